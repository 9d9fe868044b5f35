#include "app/load_settings.h"

#include <QLocale>
#include <QSqlRecord>

#include "base/ini_file.h"

namespace quilmo {
namespace {

constexpr char kIniDateFormat[] = "yyyy-MM-dd HH:mm:ss";

QString Ini(const IniSnapshot& ini, const char* section, const char* key) {
  return ini.Value(QLatin1String(section), QLatin1String(key));
}

// A settings value holds no line break; a back-office text that has one keeps its words on
// one line.
QString OneLine(const QString& text) {
  QString out = text;
  out.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
  out.replace(QLatin1Char('\r'), QLatin1Char(' '));
  out.replace(QLatin1Char('\n'), QLatin1Char(' '));
  out.remove(QChar());
  return out;
}

// A shop or store the settings name that the database does not have: say which value is
// wrong, or that the database lacks its master data altogether.
[[noreturn]] void MissingRow(const Connection& c, bool online, const char* table, const char* key,
                             const QString& value, const QString& what) {
  const bool empty =
      c.FirstRow(QStringLiteral("SELECT 1 FROM %1 LIMIT 1").arg(QLatin1String(table))).isEmpty();
  if (!online && empty) {
    throw SettingsError(QStringLiteral("本地数据库中没有%1资料（基本资料还没有下载完整）。\r\n"
                                       "请以连网模式登陆一次，下载基本资料后再使用断网模式。")
                            .arg(what));
  }
  throw SettingsError(
      QStringLiteral("设置文件中的%1编号 SysSet/%2=\"%3\" 在%4中找不到对应的%1。\r\n"
                     "请改正设置文件中的这个值，或清空该值后以连网模式登陆重新选择零售店。")
          .arg(what, QLatin1String(key), value,
               online ? QStringLiteral("服务器") : QStringLiteral("本地数据库")));
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
  // One reading of the file for the whole step: a large file read again for every key made
  // start-up take many seconds.
  const IniSnapshot ini = IniSnapshot::Read(s.IniFile);
  const QString shop_no = Ini(ini, "SysSet", "ShopNo");
  const QString store_no = Ini(ini, "SysSet", "StoreNo");

  s.AmountPoint = IntOr(Ini(ini, "Options", "AmountPoint"), 3, "AmountPoint");
  s.PerJFAmount = DoubleOr(Ini(ini, "Options", "PerJFAmount"), 1.0, "PerJFAmount");
  s.SPNotDiscount = Ini(ini, "Options", "SPNotDiscount") != QStringLiteral("0");
  s.VIPNotDiscount = Ini(ini, "Options", "VIPNotDiscount") != QStringLiteral("0");
  s.DiscountAdd = Ini(ini, "Options", "DiscountAdd") == QStringLiteral("1");
  s.PrintTwo = Ini(ini, "Options", "PrintTwo") == QStringLiteral("1");
  s.BackDays = IntOr(Ini(ini, "Options", "BackDays"), 7, "BackDays");
  s.LowMinStock = Ini(ini, "Options", "LowMinStock") == QStringLiteral("1");
  s.HasGuid = Ini(ini, "Options", "HasGuid") == QStringLiteral("1");
  s.ManuDownCX = Ini(ini, "Options", "ManuDownCX") == QStringLiteral("1");

  s.OnOverOrderNo = Ini(ini, "SysSet", "OnOverOrderNo");
  s.OverFlag = IntOr(Ini(ini, "SysSet", "OverFlag"), 1, "OverFlag");
  const QString on_date = Ini(ini, "SysSet", "OnDate");
  if (on_date.isEmpty()) {
    s.OnDate = dm.ServerNow();
  } else {
    s.OnDate = ParseIniDateTime(on_date);
    if (!s.OnDate.isValid()) {
      throw SettingsError(QStringLiteral("'%1' is not a valid date and time").arg(on_date));
    }
  }
  s.OnOperatorNo = Ini(ini, "SysSet", "OnOperatorNo");

  const Connection& c = dm.Current();
  {
    QSqlQuery q = c.Query(QStringLiteral("SELECT * FROM QTShop WHERE ShopNo = :ShopNo"),
                          {{QStringLiteral(":ShopNo"), shop_no}});
    const QSqlRecord r = FirstRow(q);
    q.finish();
    // A value cut short ("00" for "0001") would start a till that belongs to no shop.
    if (r.isEmpty() && !shop_no.isEmpty()) {
      MissingRow(c, s.IsOnline, "QTShop", "ShopNo", shop_no, QStringLiteral("零售店"));
    }
    s.ShopNo = Text(r, "ShopNo");
    s.ShopCode = Text(r, "ShopCode");
    s.ShopName = Text(r, "ShopName");
  }
  {
    QSqlQuery q = c.Query(QStringLiteral("SELECT * FROM JBStore WHERE StoreNo = :StoreNo"),
                          {{QStringLiteral(":StoreNo"), store_no}});
    const QSqlRecord r = FirstRow(q);
    q.finish();
    if (r.isEmpty() && !store_no.isEmpty()) {
      MissingRow(c, s.IsOnline, "JBStore", "StoreNo", store_no, QStringLiteral("仓库"));
    }
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

  // Every value goes into the file in one write.
  std::vector<IniEntry> copies;
  auto copy = [&copies](const char* key, const QString& value) {
    copies.push_back({QStringLiteral("Options"), QLatin1String(key), OneLine(value)});
  };
  // A receipt text edited on this till wins over the back office's.
  const IniSnapshot ini = IniSnapshot::Read(s.IniFile);
  for (const char* key : {"Header", "HeaderExplain", "Footer", "FooterExplain"}) {
    if (Ini(ini, "Options", key).isEmpty()) copy(key, Text(r, key));
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
    copy(c.name, value);
  }
  QString error;
  if (!WriteIniStrings(s.IniFile, copies, &error)) throw SettingsError(error);
}

}  // namespace quilmo
