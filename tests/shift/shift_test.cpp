#include "shift/shift.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include "app/main_menu.h"
#include "app/screens/frm_main.h"
#include "app/screens/qt_ui.h"
#include "base/gbk.h"
#include "base/ini_file.h"
#include "devices/devices.h"
#include "payment/card_select.h"
#include "report/screens/report_rendering.h"
#include "report/template_files.h"
#include "sale/saving_fixture.h"
#include "shift/screens/frm_show_over_msg.h"
#include "support/screen_helpers.h"

namespace quilmo {
namespace {

using namespace Qt::StringLiterals;

class RecordingShiftDevices : public ShiftDevices {
 public:
  void OpenCashDrawer() override { calls << u"drawer"_s; }
  void PrintShiftTemplate(const ShiftReport&, const ShiftRecord& shift) override {
    calls << u"template "_s + shift.OrderNo;
  }
  void PrintShiftText(const QString& port, const QByteArray& bytes) override {
    calls << u"text "_s + port;
    text = bytes;
  }
  void DesignShiftTemplate(const ShiftRecord& shift) override {
    calls << u"design "_s + shift.OrderNo;
  }
  QStringList calls;
  QByteArray text;
};

class Parked : public ParkedOrders {
 public:
  bool Any() override { return count > 0; }
  void ClearAll() override { count = 0; }
  int count = 0;
};

class ShiftTest : public test::SavingTest {
 protected:
  void SetUp() override {
    SavingTest::SetUp();
    if (HasFatalFailure()) return;
    // No shift is open at the start; the fixture's record is an old one.
    session.OverFlag = 1;
    WriteIniString(session.IniFile, u"SysSet"_s, u"OverFlag"_s, u"1"_s);
    Insert(u"QTCashier"_s, {{u"CashierNo"_s, u"C01"_s},
                            {u"CashierCode"_s, u"001"_s},
                            {u"CashierName"_s, u"张三"_s},
                            {u"ShopNo"_s, u"P01"_s}});
    for (int right : {1, 2, 13}) {
      Insert(u"QTCashierRight"_s, {{u"CashierNo"_s, u"C01"_s}, {u"RightID"_s, right}});
    }
    Goods(u"G120"_s, u"S120"_s, 120);
    Goods(u"G80"_s, u"S080"_s, 80);
  }
  QString Ini(const char* key) {
    return ReadIniString(session.IniFile, u"SysSet"_s, QString::fromLatin1(key));
  }

  RecordingShiftDevices devices;
  Parked parked;
  ShiftContext shift{dm, ui, devices, parked};
};
QUILMO_BOTH_MODES(ShiftTest);

TEST_P(ShiftTest, TheShiftAddsUpFromOpeningToClose) {
  clock.Set(QDateTime(QDate(2026, 12, 10), QTime(9, 0, 0)));
  ui.Type(u"500"_s);
  RunOpenShift(shift);
  EXPECT_EQ(ui.last(), u"提示！|当班操作完成，您可以开始销售了！"_s);
  EXPECT_EQ(ui.inputRequests().back().caption, u"钱箱金额输入"_s);
  EXPECT_EQ(session.OverFlag, 0);
  EXPECT_EQ(Ini("OverFlag"), u"0"_s);
  EXPECT_EQ(Ini("OnOverOrderNo"), session.OnOverOrderNo);
  EXPECT_EQ(Ini("OnOperatorNo"), u"C01"_s);
  EXPECT_EQ(ParseIniDateTime(Ini("OnDate")), clock.Now());

  NewOrder(u"XS0120261210000001"_s, {u"S120"_s});
  ASSERT_TRUE(Save());
  NewOrder(u"XS0120261210000002"_s, {u"S080"_s});
  ASSERT_TRUE(Save());
  ui.Type(u"300"_s);
  CashWithdrawal(shift);
  EXPECT_EQ(ui.inputRequests().back().caption, u"取款金额输入"_s);

  clock.Set(QDateTime(QDate(2026, 12, 10), QTime(17, 59, 59)));
  ui.AnswerYes();
  ui.AnswerOverMsg(false);
  EXPECT_TRUE(RunCloseShift(shift));
  ASSERT_EQ(ui.overReports().size(), 1u);
  const ShiftReport& r = ui.overReports()[0];
  EXPECT_EQ((QStringList{r.CashierName, r.OnAmount, r.SaleAmount, r.GetAmount, r.OverAmount,
                         r.TimeTotal}),
            (QStringList{u"张三"_s, u"500"_s, u"200"_s, u"300"_s, u"400"_s, u"8小时 59分"_s}));
  EXPECT_EQ(Ini("OverFlag"), u"1"_s);
  EXPECT_EQ(Ini("OnverBoxAmount"), u"400"_s);
  EXPECT_TRUE(devices.calls.isEmpty());  // no drawer configured, nothing printed

  // Closed once: a second close is refused; the next opening proposes 400.
  RunCloseShift(shift);
  EXPECT_EQ(ui.last(), u"提示！|还没有当班，不能交班！"_s);
  ui.Cancel();
  RunOpenShift(shift);
  EXPECT_EQ(ui.inputRequests().back().initial, u"400"_s);
  EXPECT_EQ(session.OverFlag, 1);
}

TEST_P(ShiftTest, RefusalsNameWhoIsOnDutyAndChangeNothing) {
  ui.Type(u"100"_s);
  RunOpenShift(shift);
  const QString open_no = session.OnOverOrderNo;
  RunOpenShift(shift);
  EXPECT_EQ(ui.last(), u"提示！|还没有交班，不能当班,\r\n当班收银员是: 张三 ！"_s);
  // A download running refuses the close after the question; a No keeps the shift open.
  session.DownloadRunning = true;
  ui.AnswerYes();
  EXPECT_FALSE(RunCloseShift(shift));
  EXPECT_EQ(ui.last(), u"提示！|有线程正在下载，请稍侯再交班！"_s);
  session.DownloadRunning = false;
  ui.AnswerNo();
  EXPECT_FALSE(RunCloseShift(shift));
  EXPECT_EQ(session.OverFlag, 0);
  // Without the rights.
  dm.Current().Exec(u"DELETE FROM QTCashierRight"_s);
  const QString no_right = u"提示！|对不起，您没有权限使用该功能，请与后台管理员联系！"_s;
  RunCloseShift(shift);
  EXPECT_EQ(ui.last(), no_right);
  CashWithdrawal(shift);
  EXPECT_EQ(ui.last(), u"提示！|对不起！，你没有开钱箱的权限！"_s);
  EXPECT_EQ(session.OnOverOrderNo, open_no);
  EXPECT_EQ(D(ShiftRow(), "GetAmount"), 0);
}

// The drawer's figures are amounts of cash that is there: a box amount is never negative, a
// withdrawal is more than nothing and no more than the shift expects in the drawer, and a
// refused one changes nothing.
TEST_P(ShiftTest, WithdrawalsTakeOnlyCashTheDrawerHolds) {
  ui.Type(u"-5"_s);
  RunOpenShift(shift);
  EXPECT_EQ(ui.last(), u"提示！|钱箱金额不能为负数！"_s);
  EXPECT_EQ(session.OverFlag, 1);
  ui.Type(u"100"_s);
  RunOpenShift(shift);
  ASSERT_EQ(session.OverFlag, 0);
  NewOrder(u"XS0120261210000001"_s, {u"S120"_s});
  ASSERT_TRUE(Save());  // the drawer should hold 220 now

  struct Case {
    QString typed;
    QString refusal;  // empty: taken
  };
  const Case cases[] = {
      {u"-5"_s, u"提示！|取款金额必须大于0！"_s},
      {u"0"_s, u"提示！|取款金额必须大于0！"_s},
      {u"1e5"_s, u"提示！|“1e5”不是有效的取款金额！"_s},
      {u"220.01"_s, u"提示！|取款金额不能超过钱箱中应有的现金220.00！"_s},
      {u"200"_s, QString()},
      {u"20.01"_s, u"提示！|取款金额不能超过钱箱中应有的现金20.00！"_s},
      {u"20"_s, QString()},
  };
  Money taken;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed.toStdString());
    ui.clear();
    ui.Type(c.typed);
    CashWithdrawal(shift);
    if (c.refusal.isEmpty()) {
      taken += *Money::Parse(c.typed);
      EXPECT_TRUE(ui.messages().empty());
    } else {
      EXPECT_EQ(ui.last(), c.refusal);
    }
    EXPECT_DOUBLE_EQ(D(ShiftRow(), "GetAmount"), taken.ToDouble());
    EXPECT_DOUBLE_EQ(D(ShiftRow(), "OverAmount"), 220 - taken.ToDouble());
  }
}

TEST_P(ShiftTest, ParkedOrdersAreClearedOnlyWithConsentAndTheReportPrintsAsConfigured) {
  WriteIniString(session.IniFile, u"HardWareSet"_s, u"HavePrinter"_s, u"Y"_s);
  WriteIniString(session.IniFile, u"HardWareSet"_s, u"HaveCashBox"_s, u"Y"_s);
  WriteIniString(session.IniFile, u"HardWareSet"_s, u"PrintPort"_s, u"/dev/usb/lp0"_s);
  for (const char* model : {"0", "1"}) {
    WriteIniString(session.IniFile, u"HardWareSet"_s, u"PrintModel"_s, QString::fromLatin1(model));
    ui.Type(u"50"_s);
    RunOpenShift(shift);
    parked.count = 2;
    ui.AnswerYes();  // close
    ui.AnswerNo();   // keep the parked orders
    ui.AnswerOverMsg(true);
    EXPECT_TRUE(RunCloseShift(shift));
    EXPECT_EQ(parked.count, 2);
    EXPECT_EQ(ui.messages().back().text, u"有挂单存在，是否要清除?"_s);
  }
  EXPECT_EQ(devices.calls.size(), 6);
  EXPECT_EQ(devices.calls[2], u"text /dev/usb/lp0"_s);
  EXPECT_TRUE(devices.calls[5].startsWith(u"template "_s));
  const QList<QByteArray> lines = devices.text.split('\n');
  ASSERT_EQ(lines.size(), 21);  // 20 lines, each ended by CR LF
  EXPECT_EQ(lines[2], EncodeGbk(u"      收银员：张三\r"_s));
  EXPECT_EQ(lines[4], EncodeGbk(u"当班钱箱金额：50\r"_s));
  EXPECT_EQ(lines[10], EncodeGbk(u"  储值卡冲值：0\r"_s));
  EXPECT_EQ(lines[14], EncodeGbk(u"总计收银时间：0小时 0分\r"_s));
  for (int i : {2, 4, 6, 8, 10, 12, 14}) EXPECT_EQ(lines[i].indexOf(EncodeGbk(u"："_s)), 12) << i;
}

// The main window's F2 and F7 reach the shift through the real window and the handlers the
// till registers.
class MainWindowShiftTest : public ShiftTest {};
QUILMO_BOTH_MODES(MainWindowShiftTest);

TEST_P(MainWindowShiftTest, F2OpensAndF7ClosesAndReturnsToTheLogin) {
  AppContext app{session, dm, ui, clock, HomePath()};
  MainMenu menu;
  RegisterMainScreens(menu);
  TfrmMain window(app, menu);
  test::ShowActive(&window);
  EXPECT_TRUE(window.button(MainCommand::OnClass)->isEnabled());
  EXPECT_TRUE(window.button(MainCommand::OverClass)->isEnabled());

  ui.Type(u"-5"_s);
  test::Press(Qt::Key_F2);
  EXPECT_EQ(ui.last(), u"提示！|钱箱金额不能为负数！"_s);
  EXPECT_EQ(session.OverFlag, 1);
  ui.Type(u"500"_s);
  test::Press(Qt::Key_F2);
  EXPECT_EQ(ui.last(), u"提示！|当班操作完成，您可以开始销售了！"_s);
  EXPECT_EQ(session.OverFlag, 0);

  ui.AnswerYes();
  ui.AnswerOverMsg(false);
  bool logged_in = false;
  ui.OnLogin([&](AppContext&) { return logged_in = true; });
  test::Press(Qt::Key_F7);
  EXPECT_EQ(session.OverFlag, 1);
  EXPECT_TRUE(logged_in);
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(ui.screens().filter(u"TfrmShowOverMsg"_s).size(), 1);
  EXPECT_FALSE(ui.unansweredLeft());
  // Online the closed shift goes up at once; offline it waits in the file.
  const QString closed = session.OnOverOrderNo;
  EXPECT_EQ(
      dm.conServer
          .Scalar(u"SELECT COUNT(*) FROM QTOnOverOrder WHERE OrderNo = :No"_s, {{u":No"_s, closed}})
          .toInt(),
      GetParam() ? 1 : 0);
  EXPECT_EQ(
      dm.conClient
          .Scalar(u"SELECT COUNT(*) FROM QTOnOverOrder WHERE OrderNo = :No"_s, {{u":No"_s, closed}})
          .toInt(),
      GetParam() ? 0 : 1);
}

// A top-up taken during the shift: F7's report has its cash on a line of its own and in the
// cash the drawer should hold.
TEST_P(MainWindowShiftTest, F7ReportsTheTopUpsCashOnItsOwnLine) {
  if (!GetParam()) GTEST_SKIP() << "top-ups are taken online only";
  AppContext app{session, dm, ui, clock, HomePath()};
  MainMenu menu;
  RegisterMainScreens(menu);
  TfrmMain window(app, menu);
  test::ShowActive(&window);
  ui.Type(u"500"_s);
  test::Press(Qt::Key_F2);
  ASSERT_EQ(session.OverFlag, 0);

  Insert(u"QTCards"_s, {{u"CardNo"_s, u"K1"_s},
                        {u"CardsCode"_s, u"SV"_s},
                        {u"CardType"_s, u"储值卡"_s},
                        {u"SalesType"_s, u"固定折扣"_s},
                        {u"StopFlag"_s, 0},
                        {u"Amount"_s, 20},
                        {u"Password"_s, u""_s}});
  Insert(u"QTCashierRight"_s, {{u"CashierNo"_s, u"C01"_s}, {u"RightID"_s, 16}});
  // The card screen's top-up, as the F4 dialog runs it.
  CardContext cards{dm, ui};
  Order order;
  ASSERT_TRUE(IdentifyCard(cards, order, u"SV"_s));
  ui.Type(u"80"_s);
  ASSERT_TRUE(TopUpCard(cards, order).Shown);
  EXPECT_EQ(ui.last(), u"提示！|冲值成功！冲值单号：0001"_s);

  ui.AnswerYes();
  ui.AnswerOverMsg(false);
  ui.OnLogin([](AppContext&) { return true; });
  test::Press(Qt::Key_F7);
  ASSERT_EQ(ui.overReports().size(), 1u);
  const ShiftReport& r = ui.overReports()[0];
  EXPECT_EQ((QStringList{r.OnAmount, r.SaleAmount, r.TopUpAmount, r.OverAmount}),
            (QStringList{u"500"_s, u"0"_s, u"80"_s, u"580"_s}));
}

// F7 on the main window with an order parked and the report printed through its template:
// the cashier agrees to clear the parked order, the report's figures reach the printer.
TEST_P(MainWindowShiftTest, F7ClearsParkedOrdersWithConsentAndPrintsTheReportTemplate) {
  const QString pdf = QDir(HomePath()).filePath(u"shift.pdf"_s);
  WriteIniString(session.IniFile, u"HardWareSet"_s, u"PrintModel"_s, u"1"_s);
  WriteIniString(session.IniFile, u"HardWareSet"_s, u"ReportPrinter"_s, pdf);
  ASSERT_TRUE(InstallShippedTemplates(HomePath()));
  QtReportPrinter printer;
  Devices till_devices(DeviceSetup{session.IniFile, HomePath(), dm.conClient, ui, printer, clock});
  AppContext app{session, dm, ui, clock, HomePath()};
  app.devices = &till_devices;
  MainMenu menu;
  RegisterMainScreens(menu);
  TfrmMain window(app, menu);
  test::ShowActive(&window);

  ui.Type(u"500"_s);
  test::Press(Qt::Key_F2);
  dm.conClient.Exec(u"INSERT INTO QTHalSaleOrder (OrderNo) VALUES ('XS0120261210000009')"_s);
  ui.AnswerYes();  // "是否要进行交班操作?"
  ui.AnswerYes();  // "有挂单存在，是否要清除?"
  ui.AnswerOverMsg(true);
  ui.OnLogin([](AppContext&) { return true; });
  test::Press(Qt::Key_F7);
  EXPECT_EQ(session.OverFlag, 1);
  EXPECT_FALSE(ui.unansweredLeft());
  EXPECT_EQ(dm.conClient.Scalar(u"SELECT COUNT(*) FROM QTHalSaleOrder"_s).toInt(), 0);
  QProcess text;
  text.start(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s});
  ASSERT_TRUE(text.waitForFinished(30000));
  const QString printed = QString::fromUtf8(text.readAllStandardOutput());
  EXPECT_TRUE(printed.contains(u"交班钱箱金额："_s)) << printed.toStdString();
  EXPECT_TRUE(printed.contains(u"500"_s)) << printed.toStdString();
}

}  // namespace
}  // namespace quilmo

namespace quilmo {
namespace {

using namespace Qt::StringLiterals;

// The report dialog through the real port: the figures are readable, the buttons answer and
// Ctrl+Alt+Y opens the template's designer.
TEST(ShowOverMsgScreen, ShowsTheFiguresAndAnswersPrintOrLeave) {
  const ShiftReport report{
      u"张三"_s, u"500"_s, u"200"_s, u"300"_s, u"400"_s, u"8小时 59分"_s, u"2026-12-10 17:59:59"_s};
  ApplySkin();  // the till's own font, given in pixels
  QtUi ui;
  int designs = 0;
  for (bool print : {true, false}) {
    QTimer::singleShot(0, [print] {
      auto* screen = qobject_cast<TfrmShowOverMsg*>(QApplication::activeModalWidget());
      ASSERT_NE(screen, nullptr);
      EXPECT_EQ(screen->windowTitle(), u"交班信息框"_s);
      EXPECT_EQ(screen->lblOverAmount->text(), u"400"_s);
      EXPECT_EQ(screen->lblTimeTotal->text(), u"8小时 59分"_s);
      // Wide enough to read: the figures are not squeezed below their text.
      EXPECT_GE(screen->lblTimeTotal->width(), screen->lblTimeTotal->sizeHint().width());
      EXPECT_GE(screen->lblTimeTotal->fontInfo().pixelSize(), 12);
      QTest::keyClick(screen, Qt::Key_Y, Qt::ControlModifier | Qt::AltModifier);
      QTest::mouseClick(print ? screen->suiButton1 : screen->suiButton2, Qt::LeftButton);
    });
    EXPECT_EQ(ui.ShowOverMsg(report, [&designs] { ++designs; }), print);
  }
  EXPECT_EQ(designs, 2);
}

}  // namespace
}  // namespace quilmo
