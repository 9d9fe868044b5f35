#include "devices/devices.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include "base/ini_file.h"
#include "devices/receipt_fixture.h"
#include "devices/receipt_from_order.h"
#include "devices/receipt_store.h"
#include "devices/text_receipt.h"
#include "report/screens/report_rendering.h"
#include "report/template_files.h"
#include "sale/field_table.h"
#include "support/data_fixture.h"
#include "support/pty_pair.h"
#include "support/qt_printers.h"

namespace quilmo {
namespace {

using namespace Qt::StringLiterals;

// How many receipts the local file keeps for a reprint.
int KeptReceipts(TDMFM& dm) {
  return dm.conClient.Scalar(QStringLiteral("SELECT COUNT(*) FROM QTReceiptLog")).toInt();
}

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The text of a PDF as poppler reads it.
QString PdfText(const QString& pdf) {
  QProcess p;
  p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
  if (!p.waitForFinished(30000) || p.exitCode() != 0) return QStringLiteral("<pdftotext failed>");
  return QString::fromUtf8(p.readAllStandardOutput());
}

// Counts the reports printed and prints them for real.
class CountingPrinter final : public ReportPrinter {
 public:
  void Print(const Report& report, const QString& printer) override {
    ++prints;
    real.Print(report, printer);
  }
  int prints = 0;
  QtReportPrinter real;
};

class DevicesTest : public test::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    if (HasFatalFailure()) return;
    devices = std::make_unique<Devices>(
        DeviceSetup{session.IniFile, HomePath(), dm.conClient, ui, printer, clock});
    Configure();
  }
  // A text-receipt printer on LPT1 (a file) and the receipt texts of the golden receipts.
  void Configure() {
    Set("HardWareSet", {{"HavePrinter", u"Y"_s},
                        {"PrintModel", u"0"_s},
                        {"PrintPort", u"LPT1"_s},
                        {"PaperType", u"0"_s}});
    Set("DevicePorts", {{"LPT1", Printed()}});
    const ReceiptSettings s = test::SampleSettings();
    Set("Options", {{"Header", s.Header},
                    {"HeaderExplain", s.HeaderExplain},
                    {"Footer", s.Footer},
                    {"FooterExplain", s.FooterExplain}});
  }

  void Set(const char* section, std::initializer_list<std::pair<const char*, QString>> values) {
    for (const auto& [key, value] : values) {
      ASSERT_TRUE(WriteIniString(session.IniFile, QString::fromLatin1(section),
                                 QString::fromLatin1(key), value));
    }
  }
  QString Printed() const { return QDir(HomePath()).filePath(QStringLiteral("printer.out")); }
  QString Pdf() const { return QDir(HomePath()).filePath(QStringLiteral("receipt.pdf")); }
  QByteArray Golden40() const {
    return TextReceipt(test::SampleReceipt(), test::SampleSettings(), 40);
  }

  CountingPrinter printer;
  // Made once the fixture has its settings file.
  std::unique_ptr<Devices> devices;
};

TEST_F(DevicesTest, TheTextReceiptGoesToThePrinterPortOncePerCopyAndIsKept) {
  EXPECT_TRUE(devices->PrintReceipt(test::SampleReceipt(), 1));
  EXPECT_EQ(ReadAll(Printed()), Golden40());
  EXPECT_TRUE(devices->PrintReceipt(test::SampleReceipt(), 2));  // PrintTwo
  EXPECT_EQ(ReadAll(Printed()), Golden40() + Golden40() + Golden40());
  EXPECT_TRUE(ui.messages().empty()) << ui.last().toStdString();

  const std::optional<StoredReceipt> kept = ReceiptStore(dm.conClient).Last();
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->Content, Golden40());
  EXPECT_EQ(kept->PrintModel, QStringLiteral("0"));
  EXPECT_EQ(kept->OrderNo, QStringLiteral("XS0120261210000001"));
  EXPECT_EQ(KeptReceipts(dm), 2);
}

TEST_F(DevicesTest, PaperTypeOtherThanZeroPrintsThirtyColumns) {
  Set("HardWareSet", {{"PaperType", u"1"_s}});
  EXPECT_TRUE(devices->PrintReceipt(test::SampleReceipt(), 1));
  EXPECT_EQ(ReadAll(Printed()), TextReceipt(test::SampleReceipt(), test::SampleSettings(), 30));
}

TEST_F(DevicesTest, NoPrinterPrintsNothingAndAMisconfiguredOneIsTold) {
  struct Case {
    const char* key;
    const char* value;
    bool result;
    QString notice;
  };
  const Case cases[] = {
      {"HavePrinter", "N", true, QString()},
      {"HavePrinter", "", true, QString()},
      {"PrintModel", "2", false, QStringLiteral("未知打印方式，不能打印！")},
      {"PrintModel", "", false, QStringLiteral("未知打印方式，不能打印！")},
      {"PrintPort", "", false, QStringLiteral("未设置票据打印机连接端口！")},
  };
  for (const Case& c : cases) {
    Configure();
    ui.clear();
    Set("HardWareSet", {{c.key, QString::fromLatin1(c.value)}});
    EXPECT_EQ(devices->PrintReceipt(test::SampleReceipt(), 1), c.result) << c.key << c.value;
    EXPECT_EQ(ui.texts(), c.notice.isEmpty() ? QStringList() : QStringList{c.notice});
    if (!c.notice.isEmpty()) {
      EXPECT_EQ(ui.messages()[0].caption, QStringLiteral("提示！"));
    }
    EXPECT_TRUE(ReadAll(Printed()).isEmpty());
  }
}

// The sale is saved first, then the receipt prints. A printer
// that is gone by then costs neither the sale nor the receipt.
TEST_F(DevicesTest, APrinterFaultAfterTheSaveKeepsTheSaleAndTheReceiptPrintsAgainByteForByte) {
  Order order(2);
  OrderHeader& header = order.header;
  OrderLines& lines = order.lines;
  header.OrderNo = QStringLiteral("XS0120261210000007");
  header.OrderDate = QDateTime(QDate(2026, 12, 10), QTime(9, 30, 0));
  header.RealAmount = M("254.7");
  header.BackAmount = M("45.3");
  OrderLine a;
  a.OrderNo = header.OrderNo;
  a.SerialNo = 1;
  a.GoodsNo = QStringLiteral("1");
  a.GoodsCode = QStringLiteral("G001");
  a.GoodsName = QStringLiteral("休闲衬衫");
  a.Price = M("99.9");
  a.Quantity = 2;
  a.Discount = 90;
  lines.Append(a);
  OrderLine b = a;
  b.SerialNo = 2;
  b.GoodsCode = QStringLiteral("G002");
  b.GoodsName = QStringLiteral("牛仔裤");
  b.Price = M("74.88");
  b.Quantity = 1;
  b.Discount = 100;
  lines.Append(b);
  session.CashierName = QStringLiteral("张三");
  {
    Transaction tx(dm.conClient);
    dm.conClient.Exec(InsertStatement<OrderHeader>(QStringLiteral("QTSaleOrder")),
                      ToParams(header));
    for (const OrderLine& l : lines) {
      dm.conClient.Exec(InsertStatement<OrderLine>(QStringLiteral("QTSaleOrderDetail")),
                        ToParams(l));
    }
    tx.Commit();
  }

  test::PtyPair printer_device;
  ASSERT_TRUE(printer_device.ok());
  Set("DevicePorts", {{"LPT1", printer_device.slavePath()}});
  printer_device.CloseMaster();  // unplugged

  const ReceiptData receipt = ReceiptFromOrder(order, session);
  EXPECT_FALSE(devices->PrintReceipt(receipt, 1));
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_EQ(ui.messages()[0].caption, QStringLiteral("错误！"));
  const QString told = ui.messages()[0].text;
  EXPECT_TRUE(told.startsWith(QStringLiteral("小票没有打印出来：不能打开打印端口 LPT1")))
      << told.toStdString();
  EXPECT_TRUE(told.contains(printer_device.slavePath())) << told.toStdString();
  EXPECT_TRUE(told.contains(QStringLiteral("这笔销售已经保存"))) << told.toStdString();

  EXPECT_EQ(dm.conClient.Scalar(QStringLiteral("SELECT COUNT(*) FROM QTSaleOrder")).toInt(), 1);
  EXPECT_EQ(dm.conClient.Scalar(QStringLiteral("SELECT COUNT(*) FROM QTSaleOrderDetail")).toInt(),
            2);

  // The printer is back (here: a file); the reprint is the receipt that was lost.
  Set("DevicePorts", {{"LPT1", Printed()}});
  ui.clear();
  EXPECT_TRUE(devices->ReprintLastReceipt());
  EXPECT_TRUE(ui.messages().empty()) << ui.last().toStdString();
  const QByteArray expected = TextReceipt(receipt, test::SampleSettings(), 40);
  EXPECT_EQ(ReadAll(Printed()), expected);
  const QString text = QString::fromUtf8(ReadAll(Printed()));  // (GBK, read for its ASCII)
  EXPECT_TRUE(ReadAll(Printed()).contains("179.82")) << text.toStdString();  // 2 × 99.9 at 90 %
  EXPECT_TRUE(ReadAll(Printed()).contains("74.88"));
  EXPECT_TRUE(
      ReadAll(Printed()).contains("\xD3\xA6\xCA\xD5\xB6\xEE\xA3\xBA"
                                  "254.7"));  // 应收额：
  EXPECT_TRUE(
      ReadAll(Printed()).contains("\xBF\xCD\xB8\xB6\xB6\xEE\xA3\xBA"
                                  "300"));  // 客付额：
}

TEST_F(DevicesTest, TheLastFiftyReceiptsAreKeptAndTheNewestReprints) {
  ui.clear();
  EXPECT_FALSE(devices->ReprintLastReceipt());
  EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("没有可以重打的小票！")});

  ReceiptData r = test::SampleReceipt();
  for (int i = 1; i <= 55; ++i) {
    r.OrderNo = QStringLiteral("XS%1").arg(i);
    ASSERT_TRUE(devices->PrintReceipt(r, 1));
  }
  ReceiptStore store(dm.conClient);
  EXPECT_EQ(KeptReceipts(dm), kKeptReceipts);
  EXPECT_EQ(store.Last()->OrderNo, QStringLiteral("XS55"));
  QFile::remove(Printed());
  EXPECT_TRUE(devices->ReprintLastReceipt());
  EXPECT_EQ(ReadAll(Printed()), TextReceipt(r, test::SampleSettings(), 40));

  Set("HardWareSet", {{"HavePrinter", u"N"_s}});
  ui.clear();
  EXPECT_FALSE(devices->ReprintLastReceipt());
  EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("没有连接票据打印机，不能重打小票！")});
}

// A local file made before receipts were kept gets the table with its first receipt.
TEST_F(DevicesTest, AnOlderLocalFileGetsTheReceiptTable) {
  dm.conClient.Exec(QStringLiteral("DROP TABLE QTReceiptLog"));
  EXPECT_TRUE(devices->PrintReceipt(test::SampleReceipt(), 1));
  EXPECT_EQ(KeptReceipts(dm), 1);
}

class TemplateReceiptTest : public DevicesTest {
 protected:
  void SetUp() override {
    DevicesTest::SetUp();
    if (HasFatalFailure()) return;
    Set("HardWareSet", {{"PrintModel", u"1"_s}, {"ReportPrinter", Pdf()}});
    ASSERT_TRUE(InstallShippedTemplates(HomePath()));
  }
};

// The shipped template printed to a PDF and read back: the variables, every line, Chinese.
TEST_F(TemplateReceiptTest, TheShippedTemplatePrintsTheVariablesAndEveryLine) {
  Set("Options", {{"Header", u"\"Quilmo\" <时装> & 100% [店名称]"_s}});
  ASSERT_TRUE(devices->PrintReceipt(test::SampleReceipt(), 2));
  EXPECT_EQ(printer.prints, 2);
  EXPECT_TRUE(ui.messages().empty()) << ui.last().toStdString();
  const QString text = PdfText(Pdf());
  for (const QString& expected :
       {QStringLiteral("\"Quilmo\" <时装> & 100% [店名称]"),  // as typed, nothing expanded
        QStringLiteral("欢迎光临"), QStringLiteral("一号店"), QStringLiteral("张三"),
        QStringLiteral("XS0120261210000001"), QStringLiteral("2026-12-10"),
        QStringLiteral("14:07:09"), QStringLiteral("李四"), QStringLiteral("休闲衬衫 白 L"),
        QStringLiteral("牛仔裤 蓝 32"), QStringLiteral("春季全棉休闲长袖衬衫ABC"),
        QStringLiteral("170"), QStringLiteral("85"), QStringLiteral("419"),
        QStringLiteral("优惠额：30"), QStringLiteral("客付额：500"), QStringLiteral("找零额：81"),
        QStringLiteral("共 4 件"), QStringLiteral("谢谢惠顾欢迎再次光临本店祝您好")}) {
    EXPECT_TRUE(text.contains(expected)) << expected.toStdString() << "\n" << text.toStdString();
  }
  // One roll page, as long as the receipt.
  QProcess info;
  info.start(QStringLiteral("pdfinfo"), {Pdf()});
  ASSERT_TRUE(info.waitForFinished(30000));
  EXPECT_TRUE(QString::fromUtf8(info.readAllStandardOutput())
                  .contains(QStringLiteral("Pages:           1")));

  // The reprint renders the kept values again.
  QFile::remove(Pdf());
  EXPECT_TRUE(devices->ReprintLastReceipt());
  EXPECT_EQ(PdfText(Pdf()), text);
}

TEST_F(TemplateReceiptTest, AnEditedTemplateIsUsedAndAMissingOneFallsBackToTheShipped) {
  const QString path = TemplatePath(HomePath(), QString::fromLatin1(kReceiptTemplate));
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(
        "<p>SHOP [\xE5\xBA\x97\xE5\x90\x8D\xE7\xA7\xB0]</p><!--band--><p>ROW [GoodsCode] "
        "[Amount]</p><!--/band-->");
  }
  ASSERT_TRUE(devices->PrintReceipt(test::SampleReceipt(), 1));
  QString text = PdfText(Pdf());
  EXPECT_TRUE(text.contains(QStringLiteral("SHOP 一号店"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("ROW G001 170")));
  EXPECT_TRUE(text.contains(QStringLiteral("ROW G003-LONG-CODE-2026 199")));

  ASSERT_TRUE(QFile::remove(path));
  ASSERT_TRUE(devices->PrintReceipt(test::SampleReceipt(), 1));
  text = PdfText(Pdf());
  EXPECT_TRUE(text.contains(QStringLiteral("春季全棉休闲长袖衬衫ABC"))) << text.toStdString();
  EXPECT_TRUE(ui.messages().empty());
}

TEST_F(TemplateReceiptTest, APrinterThatDoesNotExistIsToldAndTheReceiptIsKept) {
  Set("HardWareSet", {{"ReportPrinter", u"NoSuchPrinter"_s}});
  EXPECT_FALSE(devices->PrintReceipt(test::SampleReceipt(), 1));
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_TRUE(ui.messages()[0].text.startsWith(
      QStringLiteral("小票没有打印出来：找不到打印机 NoSuchPrinter")))
      << ui.last().toStdString();
  EXPECT_EQ(KeptReceipts(dm), 1);
}

TEST_F(TemplateReceiptTest, TheDesignerOpensOnTheReceiptTemplateWithTheOrderAsSample) {
  ui.OnReportDesigner([](Report& report) {
    report.SetTemplateText(report.TemplateText() + QStringLiteral("<p>DESIGNED [店名称]</p>"));
    QString error;
    ASSERT_TRUE(report.SaveTemplate(&error)) << error.toStdString();
  });
  devices->DesignReceiptTemplate(test::SampleReceipt());
  ASSERT_EQ(ui.designedReports().size(), 1u);
  const Report& opened = ui.designedReports()[0];
  EXPECT_EQ(opened.TemplatePath(), TemplatePath(HomePath(), QString::fromLatin1(kReceiptTemplate)));
  EXPECT_EQ(opened.Variable(QStringLiteral("报表标题")), QStringLiteral("Quilmo时装店"));
  EXPECT_EQ(opened.DataSet().rows.size(), 3);

  ASSERT_TRUE(devices->PrintReceipt(test::SampleReceipt(), 1));
  EXPECT_TRUE(PdfText(Pdf()).contains(QStringLiteral("DESIGNED 一号店")));
}

// The shift report through QTOver.frf: the shift's record of the local file and the
// standard variables on the report printer; its text lines through the port map; the designer
// with the shift as its sample.
TEST_F(TemplateReceiptTest,
       TheShiftReportPrintsItsRecordThroughTheTemplateAndItsTextThroughThePort) {
  dm.conClient.Exec(
      u"INSERT INTO QTOnOverOrder (OrderNo, ShopNo, CashierNo, OnTime, OverTime, OnBoxAmount, "
      "SaleAmount, GetAmount, OverFlag, OverAmount) VALUES ('BC0120261210001', 'P01', 'C01', "
      "'2026-12-10 09:00:00', '2026-12-10 17:59:59', 500, 200, 300, 1, 400)"_s);
  ReportPeople people;
  people.ShopName = u"步行街店"_s;
  people.CashierName = u"张三"_s;
  ASSERT_TRUE(devices->PrintShiftReport(u"BC0120261210001"_s, people));
  EXPECT_TRUE(ui.messages().empty()) << ui.last().toStdString();
  const QString text = PdfText(Pdf());
  for (const QString& expected :
       {u"交班报表"_s, u"步行街店"_s, u"张三"_s, u"BC0120261210001"_s, u"2026-12-10 09:00:00"_s,
        u"2026-12-10 17:59:59"_s, u"当班钱箱金额："_s, u"500"_s, u"200"_s, u"300"_s, u"400"_s}) {
    EXPECT_TRUE(text.contains(expected)) << expected.toStdString() << "\n" << text.toStdString();
  }

  EXPECT_TRUE(devices->PrintShiftText(u"LPT1"_s, "REPORT\r\n"));
  EXPECT_EQ(ReadAll(Printed()), QByteArray("REPORT\r\n"));
  EXPECT_FALSE(devices->PrintShiftText(u"NOPE"_s, "X"));
  EXPECT_TRUE(ui.last().contains(u"交班信息没有打印出来：打印端口 NOPE 没有对应的设备"_s))
      << ui.last().toStdString();

  devices->DesignShiftTemplate(u"BC0120261210001"_s, people);
  ASSERT_EQ(ui.designedReports().size(), 1u);
  EXPECT_EQ(ui.designedReports()[0].TemplatePath(),
            TemplatePath(HomePath(), QString::fromLatin1(kShiftTemplate)));
  EXPECT_EQ(ui.designedReports()[0].DataSet().Value(0, u"OverAmount"_s), u"400"_s);
}

}  // namespace
}  // namespace quilmo
