#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>

#include "app/screens/frm_connect_to_server.h"
#include "app/screens/frm_download_options.h"
#include "app/screens/frm_login_options.h"
#include "app/screens/frm_select_shop.h"
#include "app/server_connection.h"
#include "base/ini_file.h"
#include "base/password_scramble.h"
#include "support/qt_printers.h"
#include "support/screen_helpers.h"
#include "support/shell_fixture.h"

namespace quilmo {
namespace {

using test::Press;
using test::ShowActive;

TEST(LoginOptionsTest, F4IsOnlineF5OfflineAndEscNoChoice) {
  struct Case {
    Qt::Key key;
    int mode;
  };
  for (const Case& c : {Case{Qt::Key_F4, 1}, Case{Qt::Key_F5, 2}, Case{Qt::Key_Escape, 0}}) {
    TfrmLoginOptions screen;
    ShowActive(&screen);
    Press(c.key);
    EXPECT_EQ(screen.mode(), c.mode) << c.key;
    EXPECT_FALSE(screen.isVisible());
  }
  TfrmLoginOptions screen;
  EXPECT_EQ(screen.windowTitle(), QStringLiteral("登陆模式选择"));
  EXPECT_EQ(screen.suiButton1->text(), QStringLiteral("连网模式[F4]"));
  EXPECT_EQ(screen.suiButton2->text(), QStringLiteral("断网模式[F5]"));
  EXPECT_EQ(screen.findChild<QLabel*>(QStringLiteral("Label4"))->text(),
            QStringLiteral("（注：首次使用系统时必须是连网模式）"));
  ShowActive(&screen);
  screen.suiButton2->click();
  EXPECT_EQ(screen.mode(), 2);
  ShowActive(&screen);  // shown again: the choice starts from nothing
  EXPECT_EQ(screen.mode(), 0);
}

class ShellScreensTest : public test::ShellTest {};

TEST_F(ShellScreensTest, SettingsPageStartsFromDefaultsAndSavesWhatConnects) {
  WriteConnectSettings(QStringLiteral("stored"), QStringLiteral("stored"), QString());
  TfrmConnectToServer screen(app, TfrmConnectToServer::kSettingsPage);
  ShowActive(&screen);
  EXPECT_EQ(screen.windowTitle(), QStringLiteral("登陆配置"));
  EXPECT_EQ(screen.pgcMain->currentIndex(), 0);
  EXPECT_EQ(screen.suiSerName->text(), QStringLiteral("."));
  EXPECT_EQ(screen.suiSaName->text(), QStringLiteral("sa"));
  EXPECT_EQ(screen.suiSAPasssword->echoMode(), QLineEdit::Password);
  EXPECT_TRUE(screen.suiSerName->hasFocus());

  // Under the server field: the form of an address, and that the login is the database's.
  EXPECT_TRUE(screen.lblServerHint->isVisible());
  EXPECT_TRUE(screen.lblServerHint->text().contains(QStringLiteral("主机[:端口]")));
  EXPECT_TRUE(screen.lblLoginHint->text().contains(QStringLiteral("数据库")));
  EXPECT_LT(screen.suiSerName->geometry().bottom(), screen.lblServerHint->geometry().top());
  EXPECT_LT(screen.lblServerHint->geometry().bottom(), screen.suiSaName->geometry().top());

  screen.suiSerName->setText(QStringLiteral("127.0.0.1:1"));
  screen.suiButton5->click();
  EXPECT_TRUE(ui.last().startsWith(QStringLiteral("错误！|连接失败！请确认输入是否正确\r\n")));
  EXPECT_TRUE(screen.isVisible());
  EXPECT_TRUE(screen.suiSerName->hasFocus());
  EXPECT_FALSE(screen.settingsSaved());

  screen.suiSerName->setText(ServerName());
  screen.suiSaName->setText(server().user);
  screen.suiSAPasssword->setText(QStringLiteral("abc"));
  screen.suibtCheckSave->click();
  EXPECT_EQ(ui.last(), QStringLiteral("提示！|连接成功，你可以进行下一步操作"));
  screen.suiButton5->click();
  EXPECT_TRUE(screen.settingsSaved());
  EXPECT_FALSE(screen.isVisible());
  EXPECT_EQ(
      ReadIniString(session.IniFile, QStringLiteral("ConnectSet"), QStringLiteral("ServerName")),
      ServerName());
  EXPECT_EQ(ReadIniString(session.IniFile, QStringLiteral("ConnectSet"), QStringLiteral("DBAPSW")),
            ScramblePassword(QStringLiteral("abc")));
}

TEST_F(ShellScreensTest, SettingsPageOpensOnTheEntriesThatFailedAndBothButtonsTrimThem) {
  WriteConnectSettings(QString(), QString(), QString());
  TfrmConnectToServer screen(app, TfrmConnectToServer::kSettingsPage, nullptr,
                             {QStringLiteral("127.0.0.1:1"), server().user, QStringLiteral("pw")});
  ShowActive(&screen);
  EXPECT_EQ(screen.suiSerName->text(), QStringLiteral("127.0.0.1:1"));
  EXPECT_EQ(screen.suiSaName->text(), server().user);
  EXPECT_EQ(screen.suiSAPasssword->text(), QStringLiteral("pw"));
  EXPECT_TRUE(screen.suiSerName->hasFocus());

  // The address typed with the spaces a copy and paste brings along.
  screen.suiSerName->selectAll();
  QTest::keyClicks(screen.suiSerName, QStringLiteral(" ") + ServerName() + QStringLiteral("  "));
  screen.suiSAPasssword->setText(server().password);
  screen.suibtCheckSave->click();
  EXPECT_EQ(ui.last(), QStringLiteral("提示！|连接成功，你可以进行下一步操作"));
  screen.suiButton5->click();
  EXPECT_EQ(ui.messages().size(), 1u);
  EXPECT_TRUE(screen.settingsSaved());
  EXPECT_EQ(
      ReadIniString(session.IniFile, QStringLiteral("ConnectSet"), QStringLiteral("ServerName")),
      ServerName());
}

TEST_F(ShellScreensTest, SettingsPageRefusesALineBreakPastedIntoAnEntry) {
  WriteIniString(session.IniFile, QStringLiteral("SysSet"), QStringLiteral("ShopNo"),
                 QStringLiteral("0001"));
  const QByteArray before = [&] {
    QFile f(session.IniFile);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }();
  TfrmConnectToServer screen(app, TfrmConnectToServer::kSettingsPage);
  ShowActive(&screen);
  screen.suiSerName->setText(ServerName());
  screen.suiSaName->setText(server().user);
  // A password pasted together with the lines that followed it.
  screen.suiSAPasssword->setText(QStringLiteral("abc\n[SysSet]\nShopNo=02"));
  for (QPushButton* button : {screen.suibtCheckSave, screen.suiButton5}) {
    ui.clear();
    button->click();
    EXPECT_EQ(ui.texts(),
              QStringList{QStringLiteral("服务器名、管理员名和管理员密码中不能有换行符！")});
  }
  EXPECT_TRUE(screen.isVisible());
  EXPECT_FALSE(screen.settingsSaved());
  QFile f(session.IniFile);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), before);
  EXPECT_EQ(ReadIniString(session.IniFile, QStringLiteral("SysSet"), QStringLiteral("ShopNo")),
            QStringLiteral("0001"));
}

TEST_F(ShellScreensTest, SettingsPageReportsAnAliasErrorAndStaysOpen) {
  TfrmConnectToServer screen(app, TfrmConnectToServer::kSettingsPage);
  ShowActive(&screen);
  WriteIniString(session.IniFile, QStringLiteral("ConnectSet"), QStringLiteral("DiscoveryServer"),
                 QStringLiteral("127.0.0.1:1"));
  screen.suiSerName->setText(QStringLiteral("tarvix.shop"));
  screen.suiButton5->click();
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_EQ(ui.messages()[0].caption, ApplicationTitle());
  EXPECT_TRUE(screen.isVisible());
  Press(Qt::Key_Escape);
  EXPECT_FALSE(screen.isVisible());
  EXPECT_FALSE(screen.settingsSaved());
}

TEST_F(ShellScreensTest, LoginPageLogsInWithEnterInThePasswordBox) {
  session.ShopNo = QStringLiteral("01");
  session.ShopName = QStringLiteral("东门店");
  dm.conClient.Exec(QStringLiteral(
      "INSERT INTO QTCashier (CashierNo, CashierCode, CashierName, Password, ShopNo) "
      "VALUES ('C1', '001', '张三', '123', '01')"));
  TfrmConnectToServer screen(app, TfrmConnectToServer::kLoginPage);
  ShowActive(&screen);
  EXPECT_EQ(screen.pgcMain->currentIndex(), 1);
  EXPECT_EQ(screen.suiShopName->text(), QStringLiteral("东门店"));
  EXPECT_TRUE(screen.suiShopName->isReadOnly());
  EXPECT_TRUE(screen.suiEdiCode->hasFocus());

  QTest::keyClicks(screen.suiEdiCode, QStringLiteral("001"));
  Press(Qt::Key_Return);
  EXPECT_TRUE(screen.suidbPassWord->hasFocus());
  QTest::keyClicks(screen.suidbPassWord, QStringLiteral("12"));
  Press(Qt::Key_Return);
  EXPECT_EQ(ui.last(), QStringLiteral("提示！|您输入的密码或代码不正确，或您不是该店的操作员！"));
  EXPECT_TRUE(screen.suiEdiCode->hasFocus());
  EXPECT_TRUE(screen.isVisible());

  screen.suidbPassWord->setText(QStringLiteral("123"));
  screen.suidbPassWord->setFocus();
  Press(Qt::Key_Return);
  EXPECT_TRUE(screen.loggedIn());
  EXPECT_FALSE(screen.isVisible());
  EXPECT_EQ(session.CashierName, QStringLiteral("张三"));
}

TEST_F(ShellScreensTest, SelectShopShowsTheFreeShopsAndHandsBackTheChoice) {
  dm.conServer.RunScript(
      QStringLiteral("INSERT INTO JBStore (StoreNo, StoreName) VALUES ('S1', '一号仓');"
                     "INSERT INTO QTShop (ShopNo, ShopName, StoreNo, IsRegist) VALUES ('01', "
                     "'东门店', 'S1', 1), ('02', '西门店', 'S1', 0), ('03', '南门店', 'S1', 0)"));
  const QList<ShopChoice> shops = UnregisteredShops(app);
  {
    TfrmSelectShop screen(shops);
    ShowActive(&screen);
    EXPECT_EQ(screen.windowTitle(), QStringLiteral("选择零售店"));
    ASSERT_EQ(screen.suiDBLookupComboBox1->count(), 2);
    EXPECT_EQ(screen.suiDBLookupComboBox1->currentText(), QStringLiteral("西门店"));
    EXPECT_TRUE(screen.suiDBLookupComboBox1->hasFocus());
    screen.suiDBLookupComboBox1->setCurrentIndex(1);
    Press(Qt::Key_Return);
    EXPECT_FALSE(screen.isVisible());
    EXPECT_EQ(screen.chosen(), QStringLiteral("03"));
  }
  {
    TfrmSelectShop screen(shops);
    ShowActive(&screen);
    Press(Qt::Key_Escape);
    EXPECT_FALSE(screen.isVisible());
    EXPECT_TRUE(screen.chosen().isNull());
  }
}

TEST_F(ShellScreensTest, ChoosingAShopAsksAgainUntilConfirmedOrLeft) {
  dm.conServer.RunScript(
      QStringLiteral("INSERT INTO JBStore (StoreNo, StoreName) VALUES ('S1', '一号仓');"
                     "INSERT INTO QTShop (ShopNo, ShopName, StoreNo, IsRegist) VALUES ('01', "
                     "'东门店', 'S1', 1), ('02', '西门店', 'S1', 0)"));
  ui.ChooseShop(QStringLiteral("02"));
  ui.AnswerNo();  // not this one after all: the list comes back
  ui.ChooseShop(QStringLiteral("02"));
  ui.AnswerYes();
  EXPECT_TRUE(ChooseShop(app));
  EXPECT_EQ(ui.shopLists(),
            (std::vector{QStringList{QStringLiteral("02")}, QStringList{QStringLiteral("02")}}));
  EXPECT_EQ(ReadIniString(session.IniFile, QStringLiteral("SysSet"), QStringLiteral("ShopNo")),
            QStringLiteral("02"));

  ui.clear();
  ui.LeaveShopList();
  EXPECT_FALSE(ChooseShop(app));
}

TEST_F(ShellScreensTest, DownloadOptionsRunTheChosenDownloadAndClose) {
  session.IsOnline = true;
  dm.conServer.Exec(
      QStringLiteral("INSERT INTO JBGoods (GoodsNo, DownlogNo) VALUES ('G1', 3), ('G2', 4)"));
  dm.conServer.Exec(QStringLiteral("INSERT INTO QTCXOrder (ORderNo) VALUES ('X1')"));
  {
    TfrmDownloadOptions screen(app);
    ShowActive(&screen);
    EXPECT_EQ(screen.windowTitle(), QStringLiteral("选择下载方式"));
    EXPECT_EQ(screen.suiRdbAddLoad->text(), QStringLiteral("增量下载 [F4]"));
    EXPECT_EQ(screen.suiRdbAllLoad->text(), QStringLiteral("全部下载 [F5]"));
    Press(Qt::Key_F5);
    EXPECT_FALSE(screen.isVisible());
    EXPECT_EQ(dm.conClient.Scalar(QStringLiteral("SELECT COUNT(*) FROM JBGoods")).toInt(), 2);
    EXPECT_EQ(dm.conClient.Scalar(QStringLiteral("SELECT COUNT(*) FROM GoodsTemp")).toInt(), 0);
    EXPECT_EQ(dm.conClient.Scalar(QStringLiteral("SELECT COUNT(*) FROM QTCXOrder")).toInt(), 1);
  }
  {
    // Incremental: only the goods changed since went through GoodsTemp.
    dm.conServer.Exec(QStringLiteral("UPDATE JBGoods SET GoodsName = 'new' WHERE GoodsNo = 'G2'"));
    TfrmDownloadOptions screen(app);
    ShowActive(&screen);
    screen.suiRdbAddLoad->setFocus();
    Press(Qt::Key_Return);
    EXPECT_FALSE(screen.isVisible());
    EXPECT_EQ(dm.conClient.Scalar(QStringLiteral("SELECT GoodsNo FROM GoodsTemp")).toString(),
              QStringLiteral("G2"));
  }
  {
    TfrmDownloadOptions screen(app);
    ShowActive(&screen);
    Press(Qt::Key_Escape);
    EXPECT_FALSE(screen.isVisible());
  }
  EXPECT_EQ(
      ui.progressTexts().count(QStringLiteral("正在从服务器下载更新的基本资料,请稍候..........")),
      2);
}

}  // namespace
}  // namespace quilmo
