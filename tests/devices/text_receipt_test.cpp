#include "devices/text_receipt.h"

#include <gtest/gtest.h>

#include <QFile>

#include "devices/receipt_fixture.h"
#include "support/qt_printers.h"

namespace quilmo {
namespace {

QByteArray Golden(const char* name) {
  QFile f(QStringLiteral(QUILMO_GOLDEN_DIR "/receipts/") + QLatin1String(name));
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
  return f.readAll();
}

// Shows a receipt as readable lines when a comparison fails.
std::string Readable(const QByteArray& gbk) {
  return QString::fromUtf8(QByteArray(gbk).replace("\r\n", "|\n")).toStdString();
}

TEST(TextReceiptTest, GoldenReceiptsAt40And30ColumnsWithAndWithoutEveryOption) {
  using test::AllOptions;
  using test::SampleSettings;
  struct Case {
    const char* golden;
    ReceiptData receipt;
    ReceiptSettings settings;
    int width;
  };
  ReceiptSettings bare;
  bare.HeaderExplain = QStringLiteral("   ");
  bare.FooterExplain = QStringLiteral(" ");
  bare.PrintCardNo = bare.PrintPOSEmployee = true;
  ReceiptData one_line = test::SampleReceipt();
  one_line.Lines.resize(1);
  one_line.RealAmount = Money::Whole(170);
  one_line.BackAmount = Money();
  one_line.CardsCode.clear();
  one_line.EmployeeName.clear();

  const Case cases[] = {
      {"receipt_40_plain.txt", test::SampleReceipt(), SampleSettings(), 40},
      {"receipt_30_plain.txt", test::SampleReceipt(), SampleSettings(), 30},
      {"receipt_40_all.txt", test::SampleCardReceipt(),
       AllOptions(QStringLiteral("代码+数量+单价+金额")), 40},
      {"receipt_30_all.txt", test::SampleCardReceipt(),
       AllOptions(QStringLiteral("条码+数量+单价+金额")), 30},
      {"receipt_40_bare.txt", one_line, bare, 40},
  };
  for (const Case& c : cases) {
    const QByteArray expected = Golden(c.golden);
    const QByteArray actual = TextReceipt(c.receipt, c.settings, c.width);
    EXPECT_EQ(actual, expected) << c.golden << "\n"
                                << Readable(actual) << "\nexpected (GBK):\n"
                                << Readable(expected);
  }
}

TEST(TextReceiptTest, OnlyPaperTypeZeroIsFortyColumns) {
  EXPECT_EQ(ReceiptWidth(QStringLiteral("0")), 40);
  for (const QString& other :
       {QStringLiteral("1"), QString(), QStringLiteral("00"), QStringLiteral("75")}) {
    EXPECT_EQ(ReceiptWidth(other), 30) << other.toStdString();
  }
}

QList<QByteArray> ReceiptLines(const QByteArray& receipt) { return receipt.split('\n'); }

// Text from the back office or the settings can hold anything: quotes, "%1", characters GBK
// lacks, control characters. Each prints as far as GBK allows, in its own place, and the
// columns after it stay where they belong.
TEST(TextReceiptTest, HostileTextNeverShiftsColumnsOrReachesThePrinterAsACommand) {
  ReceiptData r = test::SampleReceipt();
  r.Lines.resize(1);
  r.Lines[0].GoodsName = QStringLiteral("T恤\U0001F600\x1B@éä");
  r.CashierName = QStringLiteral("%1 \"O'Neil\"");
  ReceiptSettings s = test::SampleSettings();
  s.Header = QStringLiteral("\"A&B\" 100% %2");
  s.Footer = QStringLiteral("line\rbreak");
  const QList<QByteArray> lines = ReceiptLines(TextReceipt(r, s, 40));
  EXPECT_EQ(lines[0], QByteArray("             \"A&B\" 100% %2\r"));
  EXPECT_EQ(lines[2], QByteArray("\xCA\xD5\xD2\xF8\xD4\xB1:%1 \"O'Neil\"\r"));
  // T, 恤 (2 bytes), one "?" for the emoji, a blank for ESC, "@", é (GBK has it: A8 A6), and
  // "?" for ä, which GBK lacks.
  EXPECT_EQ(lines[6].left(23), QByteArray("T\xD0\xF4? @\xA8\xA6?").leftJustified(23, ' '));
  EXPECT_EQ(lines[6].size(), 40 + 1);  // the figures still end in column 40
  EXPECT_FALSE(TextReceipt(r, s, 40).contains('\x1B'));
  EXPECT_TRUE(TextReceipt(r, s, 40).contains("line break\r\n"));
}

TEST(TextReceiptTest, FiguresUseTheShortestFormAndWiderValuesAreNotCut) {
  ReceiptData r = test::SampleReceipt();
  r.Lines = {{QStringLiteral("G"),
              {},
              QStringLiteral("袜子"),
              {},
              {},
              Money::FromUnits(3500),
              0.5,
              87.5,
              Money::FromUnits(1531)},
             {QStringLiteral("G"),
              {},
              QStringLiteral("大衣"),
              {},
              {},
              Money::Whole(1234567),
              1000,
              100,
              Money::Whole(1234567000)}};
  ReceiptSettings s;
  s.PrintDiscount = true;
  const QList<QByteArray> lines = ReceiptLines(TextReceipt(r, s, 40));
  EXPECT_EQ(lines[5], QByteArray("\xCD\xE0\xD7\xD3               0.5   0.35"
                                 "87.5 0.1531\r"));
  EXPECT_EQ(lines[6], QByteArray("\xB4\xF3\xD2\xC2               10001234567    1234567000\r"));
}

}  // namespace
}  // namespace quilmo
