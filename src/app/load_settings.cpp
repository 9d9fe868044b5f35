#include "app/load_settings.h"

#include <QLocale>
#include <QSqlRecord>

#include "base/ini_file.h"

namespace quilmo {
namespace {

QString Ini(const PosSession& s, const char* section, const char* key) {
  return ReadIniString(s.IniFile, QLatin1String(section), QLatin1String(key));
}

void WriteIni(const PosSession& s, const QString& key, const QString& value) {
  QString error;
  if (!WriteIniString(s.IniFile, QStringLiteral("Options"), key, value, &error)) {
    throw SettingsError(error);
  }
}

int IntOr(const QString& text, int empty_value, const char* key) {
  if (text.isEmpty()) return empty_value;
  bool ok = false;
  const int v = text.toInt(&ok);
  if (!ok) {
    throw SettingsError(
        QStringLiteral("'%1' is not a valid integer value (%2)").arg(text, QLatin1String(key)));
  }
  return v;
}

double DoubleOr(const QString& text, double empty_value, const char* key) {
  if (text.isEmpty()) return empty_value;
  bool ok = false;
  const double v = text.toDouble(&ok);
  if (!ok) {
    throw SettingsError(QStringLiteral("'%1' is not a valid floating point value (%2)")
                            .arg(text, QLatin1String(key)));
  }
  return v;
}

// The first row's fields by name, or an empty record when the statement returns no row.
QSqlRecord FirstRow(QSqlQuery& q) { return q.next() ? q.record() : QSqlRecord(); }

QString Text(const QSqlRecord& r, const char* name) {
  const int i = r.indexOf(QLatin1String(name));
  return i < 0 || r.isNull(i) ? QString() : r.value(i).toString();
}

int Int(const QSqlRecord& r, const char* name) {
  const int i = r.indexOf(QLatin1String(name));
  return i < 0 || r.isNull(i) ? 0 : r.value(i).toInt();
}

double Double(const QSqlRecord& r, const char* name) {
  const int i = r.indexOf(QLatin1String(name));
  return i < 0 || r.isNull(i) ? 0.0 : r.value(i).toDouble();
}

}  // namespace

void LoadSettings(PosSession& s, TDMFM& dm) {
  const QString shop_no = Ini(s, "SysSet", "ShopNo");
  const QString store_no = Ini(s, "SysSet", "StoreNo");

  s.AmountPoint = IntOr(Ini(s, "Options", "AmountPoint"), 3, "AmountPoint");
  s.PerJFAmount = DoubleOr(Ini(s, "Options", "PerJFAmount"), 1.0, "PerJFAmount");
  s.SPNotDiscount = Ini(s, "Options", "SPNotDiscount") != QStringLiteral("0");
  s.VIPNotDiscount = Ini(s, "Options", "VIPNotDiscount") != QStringLiteral("0");
  s.DiscountAdd = Ini(s, "Options", "DiscountAdd") == QStringLiteral("1");
  s.PrintTwo = Ini(s, "Options", "PrintTwo") == QStringLiteral("1");
  s.BackDays = IntOr(Ini(s, "Options", "BackDays"), 7, "BackDays");
  s.LowMinStock = Ini(s, "Options", "LowMinStock") == QStringLiteral("1");
  s.HasGuid = Ini(s, "Options", "HasGuid") == QStringLiteral("1");
  s.ManuDownCX = Ini(s, "Options", "ManuDownCX") == QStringLiteral("1");

  s.OnOverOrderNo = Ini(s, "SysSet", "OnOverOrderNo");
  s.OverFlag = IntOr(Ini(s, "SysSet", "OverFlag"), 1, "OverFlag");
  const QString on_date = Ini(s, "SysSet", "OnDate");
  if (on_date.isEmpty()) {
    s.OnDate = dm.ServerNow();
  } else {
    s.OnDate = ParseIniDateTime(on_date);
    if (!s.OnDate.isValid()) {
      throw SettingsError(QStringLiteral("'%1' is not a valid date and time").arg(on_date));
    }
  }
  s.OnOperatorNo = Ini(s, "SysSet", "OnOperatorNo");

  const Connection& c = dm.Current();
  {
    QSqlQuery q = c.Query(QStringLiteral("SELECT * FROM QTShop WHERE ShopNo = :ShopNo"),
                          {{QStringLiteral(":ShopNo"), shop_no}});
    const QSqlRecord r = FirstRow(q);
    s.ShopNo = Text(r, "ShopNo");
    s.ShopCode = Text(r, "ShopCode");
    s.ShopName = Text(r, "ShopName");
  }
  {
    QSqlQuery q = c.Query(QStringLiteral("SELECT * FROM JBStore WHERE StoreNo = :StoreNo"),
                          {{QStringLiteral(":StoreNo"), store_no}});
    const QSqlRecord r = FirstRow(q);
    s.StoreNo = Text(r, "StoreNo");
    s.StoreName = Text(r, "StoreName");
  }
  {
    // An organisation table without the cut columns means no cutting.
    QSqlQuery q = c.Query(QStringLiteral("SELECT * FROM JBOrgan"));
    const bool has_cut = q.record().indexOf(QStringLiteral("FirstLen")) >= 0;
    const QSqlRecord r = FirstRow(q);
    s.FirstLen = has_cut ? Int(r, "FirstLen") : 0;
    s.LastLen = has_cut ? Int(r, "LastLen") : 0;
  }
}

void LoadServerOptions(PosSession& s, TDMFM& dm) {
  if (!s.IsOnline) return;
  QSqlQuery q = dm.conServer.Query(QStringLiteral("SELECT * FROM QTSysSet LIMIT 1"));
  const QSqlRecord r = FirstRow(q);

  s.AmountPoint = Int(r, "AmountPoint");
  s.BackDays = Int(r, "BackDays");
  s.PerJFAmount = Double(r, "PerJFAmount");
  s.DiscountAdd = Int(r, "DiscountAdd") == 1;
  s.PrintTwo = Int(r, "PrintTwo") == 1;
  s.ManuDownCX = Int(r, "ManuDownCX") == 1;
  s.LowMinStock = Int(r, "LowMinStock") == 1;
  s.HasGuid = Int(r, "HasGuid") == 1;
  s.BackFlag = Int(r, "BackFlag") == 1;
  s.XSTotal = Int(r, "XSTotal") == 1;
  s.AllChangeGF = Int(r, "AllChangeGF") == 1;
  // SPNotDiscount and VIPNotDiscount keep what the settings file said: the copy below
  // reaches them at the next start.

  // A receipt text edited on this till wins over the back office's.
  for (const char* key : {"Header", "HeaderExplain", "Footer", "FooterExplain"}) {
    if (Ini(s, "Options", key).isEmpty()) WriteIni(s, QLatin1String(key), Text(r, key));
  }

  enum class Kind { Text, Int, Float };
  struct Copied {
    const char* name;
    Kind kind;
  };
  static constexpr Copied kCopied[] = {
      {"PrintContent", Kind::Text},   {"PrintDiscount", Kind::Text},
      {"PrintCardNo", Kind::Text},    {"PrintOrderNo", Kind::Text},
      {"PrintDisAmount", Kind::Text}, {"PrintPOSEmployee", Kind::Text},
      {"AmountPoint", Kind::Int},     {"PerJFAmount", Kind::Float},
      {"SPNotDiscount", Kind::Text},  {"VIPNotDiscount", Kind::Text},
      {"DiscountAdd", Kind::Int},     {"PrintTwo", Kind::Int},
      {"ManuDownCX", Kind::Int},      {"BackDays", Kind::Int},
      {"LowMinStock", Kind::Int},     {"HasGuid", Kind::Int},
  };
  for (const Copied& c : kCopied) {
    QString value;
    switch (c.kind) {
      case Kind::Text:
        value = Text(r, c.name);
        break;
      case Kind::Int:
        value = QString::number(Int(r, c.name));
        break;
      case Kind::Float:
        value = QString::number(Double(r, c.name), 'g', QLocale::FloatingPointShortest);
        break;
    }
    WriteIni(s, QLatin1String(c.name), value);
  }
}

}  // namespace quilmo
