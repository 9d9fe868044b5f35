#include "devices/text_receipt.h"

#include "base/gbk.h"
#include "base/ini_file.h"

namespace quilmo {
namespace {

QString Option(const QString& ini, const char* key) {
  return ReadIniString(ini, QStringLiteral("Options"), QString::fromLatin1(key));
}
bool Flag(const QString& ini, const char* key) { return Option(ini, key) == QStringLiteral("1"); }

// Lines of the receipt being written, each ended by CR LF.
class Lines {
 public:
  void Add(const QByteArray& line) { out_ += line + "\r\n"; }
  void Add(const QString& line) { Add(PrinterText(line)); }
  QByteArray& bytes() { return out_; }

 private:
  QByteArray out_;
};

QByteArray Spaces(qsizetype n) { return QByteArray(std::max<qsizetype>(n, 0), ' '); }
QByteArray PadRight(const QByteArray& s, int width) { return s + Spaces(width - s.size()); }
QByteArray PadLeft(const QByteArray& s, int width) { return Spaces(width - s.size()) + s; }

// pad = (W − width) / 2, toward zero: a text wider than the line is not indented.
QByteArray Centred(const QString& text, int width) {
  const QByteArray bytes = PrinterText(text);
  return Spaces((width - bytes.size()) / 2) + bytes;
}

// Footers break every `chunk` characters (a Chinese character counts once) while the rest is
// wider than `chunk` bytes; a blank rest is dropped.
void AddWrapped(Lines& out, QString text, int chunk) {
  while (PrinterText(text).size() > chunk) {
    // A character beyond the basic plane is one character, not two halves.
    qsizetype cut = 0;
    for (int n = 0; n < chunk && cut < text.size(); ++n) {
      cut += text[cut].isHighSurrogate() && cut + 1 < text.size() ? 2 : 1;
    }
    out.Add(text.left(cut));
    text.remove(0, cut);
  }
  if (!text.trimmed().isEmpty()) out.Add(text);
}

}  // namespace

ReceiptSettings ReceiptSettings::Read(const QString& ini) {
  ReceiptSettings s;
  s.Header = Option(ini, "Header");
  s.HeaderExplain = Option(ini, "HeaderExplain");
  s.Footer = Option(ini, "Footer");
  s.FooterExplain = Option(ini, "FooterExplain");
  s.PrintContent = Option(ini, "PrintContent");
  s.PrintDiscount = Flag(ini, "PrintDiscount");
  s.PrintCardNo = Flag(ini, "PrintCardNo");
  s.PrintOrderNo = Flag(ini, "PrintOrderNo");
  s.PrintDisAmount = Flag(ini, "PrintDisAmount");
  s.PrintPOSEmployee = Flag(ini, "PrintPOSEmployee");
  return s;
}

int ReceiptWidth(const QString& paper_type) { return paper_type == QStringLiteral("0") ? 40 : 30; }

QByteArray PrinterText(const QString& text) {
  QByteArray out;
  out.reserve(text.size() * 2);
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c.unicode() < 0x20 || c.unicode() == 0x7F) {
      out += ' ';
    } else if (c.unicode() < 0x80) {
      out += static_cast<char>(c.unicode());
    } else if (c.isSurrogate()) {
      // Beyond the basic plane GBK has nothing; one "?" for the pair.
      if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
      out += '?';
    } else {
      const QByteArray bytes = EncodeGbk(QString(c));
      // GB18030's four-byte forms are characters a GBK printer does not have.
      out += bytes.size() == 2 ? bytes : QByteArrayLiteral("?");
    }
  }
  return out;
}

QByteArray TextReceipt(const ReceiptData& r, const ReceiptSettings& s, int width) {
  const int discount_width = s.PrintDiscount ? 4 : 0;
  const int item_width = width - 4 - 6 - discount_width - 7;

  QString heading = QStringLiteral("商品名称");
  QString ReceiptLine::*item = &ReceiptLine::GoodsName;
  if (s.PrintContent == QStringLiteral("代码+数量+单价+金额")) {
    heading = QStringLiteral("商品编号");
    item = &ReceiptLine::GoodsCode;
  } else if (s.PrintContent == QStringLiteral("条码+数量+单价+金额")) {
    heading = QStringLiteral("商品条码");
    item = &ReceiptLine::BarCode;
  }

  Lines out;
  out.Add(Centred(s.Header, width));
  if (!s.HeaderExplain.trimmed().isEmpty()) out.Add(Centred(s.HeaderExplain, width));
  QString cashier = QStringLiteral("收银员:") + r.CashierName;
  if (s.PrintOrderNo) cashier += QStringLiteral("  单号:") + r.OrderNo;
  out.Add(cashier);
  out.Add(QStringLiteral("日  期:") + r.OrderDate.toString(QStringLiteral("yyyy-MM-dd")) +
          QStringLiteral(" 时间:") + r.OrderDate.toString(QStringLiteral("HH:mm:ss")));
  if (s.PrintPOSEmployee) out.Add(QStringLiteral("导购员:") + r.EmployeeName);
  if (s.PrintCardNo && !r.CardsCode.isEmpty()) {
    out.Add(QStringLiteral("持卡人:") + r.HolderName + QStringLiteral(" 卡号:") + r.CardsCode);
  }
  const QByteArray rule(width, '-');
  out.Add(rule);

  QByteArray headings = PrinterText(heading) + Spaces(item_width - 8) +
                        PrinterText(QStringLiteral("数量")) + "  " +
                        PrinterText(QStringLiteral("单价")) + " ";
  if (s.PrintDiscount) headings += PrinterText(QStringLiteral("折扣")) + "  ";
  headings += PrinterText(QStringLiteral("金额"));
  out.Add(headings);

  for (const ReceiptLine& l : r.Lines) {
    const QByteArray text = PrinterText((l.*item).trimmed());
    QByteArray line;
    if (text.size() >= item_width) {
      // A long item gets a line of its own, uncut; its figures follow under a blank item.
      out.Add(text);
      line = Spaces(item_width);
    } else {
      line = PadRight(text, item_width);
    }
    line += PadRight(GeneralNumber(l.Quantity).toLatin1(), 4);
    line += PadLeft(GeneralNumber(l.Price).toLatin1(), 6);
    if (s.PrintDiscount) {
      line += PadLeft(l.Discount == 100 ? QByteArray() : GeneralNumber(l.Discount).toLatin1(), 4);
    }
    line += PadLeft(GeneralNumber(l.Amount).toLatin1(), 7);
    out.Add(line);
  }
  out.Add(rule);

  QString due = QStringLiteral("应收额：") + GeneralNumber(r.RealAmount);
  if (s.PrintDisAmount) due += QStringLiteral("  优惠额：") + GeneralNumber(r.DiscountTotal());
  out.Add(due);
  out.Add(QStringLiteral("客付额：") + GeneralNumber(r.Received()) + QStringLiteral("  找零额：") +
          GeneralNumber(r.BackAmount));
  if (!r.CardCode.isEmpty()) {
    out.Add(QStringLiteral("现金额：") + GeneralNumber(r.CashAmount) +
            QStringLiteral("  卡付额：") + GeneralNumber(r.CardAmount));
  }
  const int chunk = width == 40 ? 20 : 16;
  AddWrapped(out, s.Footer, chunk);
  AddWrapped(out, s.FooterExplain, chunk);
  out.Add(QByteArray());
  out.Add(QByteArray());
  return out.bytes();
}

}  // namespace quilmo
