#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include "app/screens/frm_main.h"
#include "frame/frm_message_box.h"
#include "support/data_fixture.h"
#include "support/qt_printers.h"
#include "support/screen_helpers.h"

namespace quilmo {
namespace {

using test::Press;
using test::ShowActive;

TEST(MainKeyTableTest, FunctionKeysIgnoreModifiersAndTheCombinationsNeedExactlyTheirs) {
  const auto ctrl = Qt::ControlModifier, alt = Qt::AltModifier, shift = Qt::ShiftModifier;
  struct Case {
    int key;
    Qt::KeyboardModifiers mods;
    std::optional<MainCommand> command;
  };
  for (const Case& c : {
           Case{Qt::Key_F2, {}, MainCommand::OnClass},
           Case{Qt::Key_F6, ctrl | shift, MainCommand::QTSale},
           Case{Qt::Key_F9, alt, MainCommand::Exit},
           Case{Qt::Key_F12, ctrl | alt | shift, MainCommand::SPGoods},
           Case{Qt::Key_K, ctrl, MainCommand::CKList},
           Case{Qt::Key_K, ctrl | Qt::KeypadModifier, MainCommand::CKList},
           Case{Qt::Key_K, ctrl | shift, std::nullopt},
           Case{Qt::Key_K, {}, std::nullopt},
           Case{Qt::Key_C, ctrl | alt | shift, MainCommand::ClearData},
           Case{Qt::Key_C, ctrl | alt, std::nullopt},
           Case{Qt::Key_C, ctrl | alt | shift | Qt::MetaModifier, std::nullopt},
           Case{Qt::Key_F1, {}, std::nullopt},
       }) {
    EXPECT_EQ(MainKeyCommand(c.key, c.mods), c.command) << c.key << " " << c.mods.toInt();
  }
}

class MainWindowTest : public test::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    if (HasFatalFailure()) return;
    session.OverFlag = 1;
    // The screens behind these keys come from other parts of the till; here each one only
    // says that it was asked for.
    for (MainCommand c : {MainCommand::OnClass, MainCommand::QrySale, MainCommand::ChangePassword,
                          MainCommand::QTSale, MainCommand::OverClass, MainCommand::CKList}) {
      menu.Register(c, [this, c](AppContext&) { opened.push_back(c); });
    }
    window = std::make_unique<TfrmMain>(app, menu);
    ShowActive(window.get());
    ASSERT_TRUE(window->isActiveWindow());
  }
  void TearDown() override {
    window.reset();
    DataTest::TearDown();
  }

  AppContext app{session, dm, ui, clock, HomePath()};
  MainMenu menu;
  std::vector<MainCommand> opened;
  std::unique_ptr<TfrmMain> window;
};

TEST_F(MainWindowTest, ShowsTheTitleTheBoardAndTheButtonsWithTheirCaptionsAsTooltips) {
  EXPECT_TRUE(window->isFullScreen());
  EXPECT_EQ(window->lblTitle->text(), QStringLiteral("Quilmo服装鞋业POS系统"));
  auto* board = window->findChild<QGroupBox*>(QStringLiteral("gbAffiche"));
  ASSERT_NE(board, nullptr);
  EXPECT_EQ(board->title(), QStringLiteral("公告栏"));
  EXPECT_NE(window->findChild<QListWidget*>(QStringLiteral("ListView2")), nullptr);
  const std::pair<const char*, const char*> captions[] = {
      {"spbtOnClass", "前台当班(F2)"},     {"spbtQrySale", "销售明细(F3)"},
      {"spbtChangePSS", "修改密码(F4)"},   {"spbtAddCardAmount", "切换模式(F5)"},
      {"spbtQTSale", "前台销售(F6)"},      {"spbtOverClass", "前台交班(F7)"},
      {"spbtSysSet", "参数设置(F8)"},      {"spBtExit", "退出系统(F9)"},
      {"sptGoods", "浏览商品资料(F10)"},   {"sptCards", "浏览会员卡资料(F11)"},
      {"sptSPGoods", "促销商品清单(F12)"}, {"sptCKList", "库存明细(Ctrl+K)"}};
  for (const auto& [name, caption] : captions) {
    auto* b = window->findChild<QPushButton*>(QLatin1String(name));
    ASSERT_NE(b, nullptr) << name;
    EXPECT_EQ(b->text(), QString::fromUtf8(caption));
    EXPECT_EQ(b->toolTip(), QString::fromUtf8(caption));
  }
  // Left column F2..F5 above each other, right column F6..F9 beside them, small row below.
  auto pos = [&](const char* n) {
    return window->findChild<QPushButton*>(QLatin1String(n))->geometry();
  };
  EXPECT_LT(pos("spbtOnClass").y(), pos("spbtAddCardAmount").y());
  EXPECT_EQ(pos("spbtOnClass").y(), pos("spbtQTSale").y());
  EXPECT_LT(pos("spbtOnClass").x(), pos("spbtQTSale").x());
  EXPECT_LT(pos("spBtExit").bottom(), pos("sptGoods").y());
  EXPECT_LT(pos("sptSPGoods").x(), pos("sptCards").x());
  EXPECT_LT(pos("sptGoods").x(), pos("sptCKList").x());
  // A key whose screen nobody has registered yet is shown disabled, not as a dead button.
  EXPECT_FALSE(window->button(MainCommand::SysSet)->isEnabled());
  EXPECT_TRUE(window->button(MainCommand::QrySale)->isEnabled());
  EXPECT_TRUE(window->button(MainCommand::SwitchMode)->isEnabled());
}

TEST_F(MainWindowTest, KeysAndClicksReachTheRegisteredScreensPastTheWindowsOwnGuards) {
  session.IsOnline = false;
  Press(Qt::Key_F2, Qt::ShiftModifier);
  Press(Qt::Key_F4);
  Press(Qt::Key_K, Qt::ControlModifier);
  Press(Qt::Key_F6);
  Press(Qt::Key_F8);  // nobody registered: nothing happens
  EXPECT_EQ(opened, std::vector<MainCommand>{MainCommand::OnClass});
  EXPECT_EQ(ui.texts(), (QStringList{QStringLiteral("该功能只在连网模式下有效！"),
                                     QStringLiteral("该功能只在连网模式下有效！"),
                                     QStringLiteral("当前还没有当班，不能销售！")}));

  ui.clear();
  opened.clear();
  session.IsOnline = true;
  session.OverFlag = 0;
  Press(Qt::Key_F4, Qt::ControlModifier);
  Press(Qt::Key_K, Qt::ControlModifier);
  Press(Qt::Key_K, Qt::ControlModifier | Qt::AltModifier);
  Press(Qt::Key_F6);
  window->button(MainCommand::OverClass)->click();
  window->button(MainCommand::QrySale)->click();
  EXPECT_EQ(opened, (std::vector<MainCommand>{MainCommand::ChangePassword, MainCommand::CKList,
                                              MainCommand::QTSale, MainCommand::OverClass,
                                              MainCommand::QrySale}));
  EXPECT_TRUE(ui.messages().empty());
}

TEST_F(MainWindowTest, F5AsksAndSwitchesModeWithoutReloading) {
  session.IsOnline = true;
  session.CashierName = QStringLiteral("张三");
  ui.AnswerNo();
  Press(Qt::Key_F5);
  EXPECT_TRUE(session.IsOnline);
  EXPECT_EQ(ui.last(), QStringLiteral("|当前为连网模式，是否要切换到断网模式？"));
  ui.AnswerYes();
  Press(Qt::Key_F5);
  EXPECT_FALSE(session.IsOnline);
  EXPECT_EQ(session.CashierName, QStringLiteral("张三"));
  ui.AnswerNo();
  Press(Qt::Key_F5);
  EXPECT_EQ(ui.last(), QStringLiteral("|当前为断网模式，是否要切换到连网模式？"));
}

TEST_F(MainWindowTest, TheStatusStripFollowsTheModeAndTheBackgroundDownload) {
  session.IsOnline = true;
  session.ShopCode = QStringLiteral("D");
  session.ShopName = QStringLiteral("东门店");
  session.CashierCode = QStringLiteral("001");
  session.CashierName = QStringLiteral("李四");
  ui.AnswerNo();
  Press(Qt::Key_F5);  // asked and left as it was: the strip shows the till as it is
  EXPECT_EQ(window->lblMode->text(), QStringLiteral("连网销售"));
  EXPECT_EQ(window->lblShop->text(), QStringLiteral("零售店：D 东门店"));
  EXPECT_EQ(window->lblCashier->text(), QStringLiteral("收银员：001 李四"));
  EXPECT_EQ(window->lblDate->text(), QStringLiteral("日期：2026-12-10"));
  EXPECT_FALSE(window->lblDownload->isVisible());
  // Along the bottom edge, below every button.
  EXPECT_EQ(window->pnlStatus->geometry().bottom(), window->rect().bottom());
  EXPECT_LT(window->button(MainCommand::CKList)->mapTo(window.get(), QPoint(0, 0)).y(),
            window->pnlStatus->y());

  ui.AnswerYes();
  Press(Qt::Key_F5);
  EXPECT_FALSE(session.IsOnline);
  EXPECT_EQ(window->lblMode->text(), QStringLiteral("断网销售"));

  // The background download starts and ends without anyone touching the window.
  session.DownloadRunning = true;
  EXPECT_TRUE(QTest::qWaitFor([&] { return window->lblDownload->isVisible(); }, 3000));
  EXPECT_EQ(window->lblDownload->text(), QStringLiteral("正在后台下载资料……"));
  session.DownloadRunning = false;
  EXPECT_TRUE(QTest::qWaitFor([&] { return !window->lblDownload->isVisible(); }, 3000));
}

TEST_F(MainWindowTest, TheWindowTakesTheKeyboardBackWhenABoxCloses) {
  // Nothing outside the program gives the focus back: without a window manager nobody would.
  for (MsgButtons buttons : {MsgButtons::Ok, MsgButtons::YesNo}) {
    TfrmMessageBox box(QStringLiteral("提示！"), QStringLiteral("..."), MsgIcon::Information,
                       buttons);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&box, 1000));
    Press(Qt::Key_Escape);
    EXPECT_FALSE(box.isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get(), 1000));
    ui.AnswerNo();
    Press(Qt::Key_F5);
    EXPECT_EQ(ui.last(), QStringLiteral("|当前为断网模式，是否要切换到连网模式？"));
  }
}

TEST_F(MainWindowTest, ExitRulesApplyInTheirOrder) {
  QSignalSpy ends(window.get(), &TfrmMain::programEnds);
  struct Case {
    const char* name;
    bool downloading;
    int over_flag;
    std::optional<bool> answer;
    QString text;
    bool closes;
  };
  const QString shift_open = QStringLiteral(
      "您还没有【交班】，退出系统可能给您的财务结算带来问题 \r\n你真的要退出系统吗？");
  const QString plain = QStringLiteral("你真的要退出系统吗？");
  for (const Case& c : {
           Case{"download running", true, 0, std::nullopt,
                QStringLiteral("有线程正在下载，请稍侯再退出系统！"), false},
           Case{"shift open, No", false, 0, false, shift_open, false},
           Case{"no shift, No", false, 1, false, plain, false},
       }) {
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_F9}) {
      session.DownloadRunning = c.downloading;
      session.OverFlag = c.over_flag;
      ui.clear();
      if (c.answer) *c.answer ? ui.AnswerYes() : ui.AnswerNo();
      Press(key);
      EXPECT_EQ(ui.texts(), QStringList{c.text}) << c.name;
      EXPECT_TRUE(window->isVisible()) << c.name;
    }
  }
  EXPECT_EQ(ends.count(), 0);
  session.DownloadRunning = false;
  session.OverFlag = 0;
  ui.AnswerYes();
  window->close();  // the window manager's close takes the same road
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(ends.count(), 1);
  EXPECT_EQ(ui.texts().last(), shift_open);
}

TEST_F(MainWindowTest, CtrlAltShiftCAnsweredNoChangesNothingAndYesClearsAndEnds) {
  QSignalSpy ends(window.get(), &TfrmMain::programEnds);
  dm.conClient.Exec(QStringLiteral("INSERT INTO JBGoods (GoodsNo) VALUES ('G1')"));
  dm.conClient.Exec(QStringLiteral("UPDATE DownLog SET DownLogNo = 5"));
  const auto all = Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier;
  ui.AnswerNo();
  Press(Qt::Key_C, all);
  EXPECT_EQ(ui.last(), QStringLiteral("|您确实要清空数据吗 ？"));
  EXPECT_EQ(dm.conClient.Scalar(QStringLiteral("SELECT COUNT(*) FROM JBGoods")).toInt(), 1);
  EXPECT_TRUE(window->isVisible());

  Press(Qt::Key_C, Qt::ControlModifier | Qt::AltModifier);  // not the combination: nothing
  EXPECT_EQ(ui.messages().size(), 1u);

  ui.AnswerYes();
  Press(Qt::Key_C, all);
  EXPECT_EQ(dm.conClient.Scalar(QStringLiteral("SELECT COUNT(*) FROM JBGoods")).toInt(), 0);
  EXPECT_EQ(dm.conClient.Scalar(QStringLiteral("SELECT MAX(DownLogNo) FROM DownLog")).toInt(), 0);
  EXPECT_EQ(ends.count(), 1);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(ui.messages().size(), 2u);  // no exit question after clearing
}

TEST_F(MainWindowTest, AFailedClearEndsTheProgramAsWell) {
  QSignalSpy ends(window.get(), &TfrmMain::programEnds);
  dm.conClient.RunScript(QStringLiteral(
      "INSERT INTO QTShop (ShopNo) VALUES ('01');"
      "CREATE TRIGGER keep BEFORE DELETE ON QTShop BEGIN SELECT RAISE(ABORT, 'no'); END"));
  ui.AnswerYes();
  Press(Qt::Key_C, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
  EXPECT_EQ(ui.last(), QStringLiteral("|清空数据错误，错误原因：no"));
  EXPECT_EQ(ends.count(), 1);
}

// The background download reads a table that takes a while, as a large one on a slow line does.
void SlowServerTable(const Connection& server) {
  server.RunScript(QStringLiteral(
      "ALTER TABLE JBGoodsType RENAME TO JBGoodsTypeData;"
      "CREATE VIEW JBGoodsType AS SELECT d.* FROM JBGoodsTypeData d, (SELECT pg_sleep(1.5)) s;"
      "INSERT INTO JBGoods (GoodsNo, DownlogNo) VALUES ('G1', 1)"));
}

TEST_F(MainWindowTest, ClearingOrLeavingWhileTheBackgroundDownloadRunsIsRefused) {
  QSignalSpy ends(window.get(), &TfrmMain::programEnds);
  SlowServerTable(dm.conServer);
  dm.conClient.Exec(QStringLiteral("INSERT INTO QTShop (ShopNo) VALUES ('01')"));
  app.download.Start(app);
  ASSERT_TRUE(session.DownloadRunning);

  const auto all = Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier;
  Press(Qt::Key_C, all);
  EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("有线程正在下载，请稍侯再清空数据！")});
  Press(Qt::Key_F9);
  EXPECT_EQ(ui.texts().last(), QStringLiteral("有线程正在下载，请稍侯再退出系统！"));
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(ends.count(), 0);
  EXPECT_EQ(dm.conClient.Scalar(QStringLiteral("SELECT COUNT(*) FROM QTShop")).toInt(), 1);

  // Its end comes through the window's event loop; then clearing goes ahead.
  ASSERT_TRUE(QTest::qWaitFor([&] { return !session.DownloadRunning; }, 30000));
  EXPECT_FALSE(app.download.running());
  EXPECT_EQ(dm.conClient.Scalar(QStringLiteral("SELECT COUNT(*) FROM JBGoods")).toInt(), 1);
  ui.clear();
  ui.AnswerYes();
  Press(Qt::Key_C, all);
  EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("您确实要清空数据吗 ？")});
  EXPECT_EQ(dm.conClient.Scalar(QStringLiteral("SELECT COUNT(*) FROM JBGoods")).toInt(), 0);
  EXPECT_EQ(ends.count(), 1);
}

TEST_F(MainWindowTest, TheBackgroundDownloadNeverOutlivesTheTillAndReportsOnTheWindowThread) {
  SlowServerTable(dm.conServer);
  {
    // The program ends while the thread is still inside a server statement: the context that
    // owns the thread goes first and waits for it, so nothing it uses is gone under it.
    AppContext ending{session, dm, ui, clock, HomePath()};
    ending.download.Start(ending);
    QThread::msleep(200);
    EXPECT_TRUE(ending.download.running());
  }
  EXPECT_TRUE(ui.messages().empty());  // nobody is left to report to
  EXPECT_EQ(dm.conClient.Scalar(QStringLiteral("SELECT COUNT(*) FROM JBGoods")).toInt(), 1);

  // A changed goods row the till's file refuses: its box is shown once the thread has ended.
  dm.conClient.Exec(
      QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON JBGoods "
                     "BEGIN SELECT RAISE(ABORT, 'goods refused'); END"));
  dm.conServer.Exec(QStringLiteral("UPDATE JBGoods SET DownlogNo = 2"));
  app.download.Start(app);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !session.DownloadRunning; }, 30000));
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_EQ(ui.messages()[0].caption, QString());
  EXPECT_EQ(ui.messages()[0].icon, MsgIcon::Error);
  EXPECT_EQ(ui.messages()[0].text, QStringLiteral("下载表JBGoods出错！！原因：goods refused"));

  // An error that ends the thread's download has its own box.
  ui.clear();
  dm.conServer.Exec(QStringLiteral("DROP VIEW JBGoodsType"));
  app.download.Start(app);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !session.DownloadRunning; }, 30000));
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_TRUE(ui.messages()[0].text.startsWith(QStringLiteral("线程下载表'出错！！原因：")));
  EXPECT_TRUE(ui.messages()[0].text.contains(QStringLiteral("jbgoodstype")))
      << ui.messages()[0].text.toStdString();
}

}  // namespace
}  // namespace quilmo
