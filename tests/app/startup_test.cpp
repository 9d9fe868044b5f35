#include "app/startup.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <QThread>

#include "app/login.h"
#include "app/server_connection.h"
#include "base/ini_file.h"
#include "support/qt_printers.h"
#include "support/shell_fixture.h"

namespace quilmo {
namespace {

// A till whose server is reachable and knows shop 01 with cashier 001/123.
class StartupTest : public test::ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    if (HasFatalFailure()) return;
    clock.Set(QDateTime::currentDateTime());
    BackOffice(dm.conServer);
  }
  static void BackOffice(const Connection& c) {
    c.RunScript(QStringLiteral(
        "INSERT INTO JBStore (StoreNo, StoreName, DownlogNo) VALUES ('S1', '一号仓', 1);"
        "INSERT INTO QTShop (ShopNo, ShopCode, ShopName, StoreNo, DownlogNo) VALUES ('01', 'D', "
        "'东门店', 'S1', 1);"
        "INSERT INTO QTCashier (CashierNo, CashierCode, CashierName, Password, ShopNo, DownlogNo) "
        "  VALUES ('C1', '001', '李四', '123', '01', 1);"
        "INSERT INTO JBGoods (GoodsNo, GoodsName, DownlogNo) VALUES ('G1', '衬衫', 1);"
        "INSERT INTO QTSysSet (SysSetNo, ManuDownCX) VALUES ('1', 0);"
        "INSERT INTO QTCXOrder (ORderNo) VALUES ('X1');"));
  }
  void RegisterShop(const char* shop = "01", const char* store = "S1") {
    WriteIniString(session.IniFile, QStringLiteral("SysSet"), QStringLiteral("ShopNo"),
                   QLatin1String(shop));
    WriteIniString(session.IniFile, QStringLiteral("SysSet"), QStringLiteral("StoreNo"),
                   QLatin1String(store));
  }
  // The login page as a cashier would fill it in.
  void LoginAs(const QString& code, const QString& password) {
    ui.OnLogin([code, password](AppContext& a) { return LoginCashier(a, code, password); });
  }
  int LocalCount(const char* table) {
    return dm.conClient.Scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table)))
        .toInt();
  }
};

TEST_F(StartupTest, ClosingTheModeChoiceEndsBeforeAnythingElse) {
  WriteConnectSettings(QString(), QString(), QString());
  ui.ChooseMode(0);
  EXPECT_FALSE(RunStartup(app));
  EXPECT_EQ(ui.screens(), QStringList{QStringLiteral("TfrmLoginOptions")});
  EXPECT_TRUE(ui.messages().empty());
  EXPECT_EQ(session.IniFile, app.IniPath());
}

TEST_F(StartupTest, OnlineWithoutAServerNameAsksForTheSettingsAndCancellingEnds) {
  WriteConnectSettings(QString(), QStringLiteral("sa"), QString());
  ui.ChooseMode(1);
  ui.OnConnectionSettings([](AppContext&) { return false; });
  EXPECT_FALSE(RunStartup(app));
  EXPECT_EQ(ui.screens(), (QStringList{QStringLiteral("TfrmLoginOptions"),
                                       QStringLiteral("TfrmConnectToServer:settings")}));
  EXPECT_TRUE(ui.messages().empty());
}

TEST_F(StartupTest, OnlineStartRunsTheWholeSequenceAndDownloadsInTheForeground) {
  WriteConnectSettings(QString(), QString(), QString());
  RegisterShop();
  ui.ChooseMode(1);
  ui.OnConnectionSettings([this](AppContext& a) {
    return SaveConnectionSettings(a, ServerName(), server().user, server().password);
  });
  LoginAs(QStringLiteral("001"), QStringLiteral("123"));
  ui.AnswerNo();  // no quick login
  ASSERT_TRUE(RunStartup(app));
  EXPECT_TRUE(session.IsOnline);
  EXPECT_EQ(session.ShopName, QStringLiteral("东门店"));
  EXPECT_EQ(session.StoreName, QStringLiteral("一号仓"));
  EXPECT_EQ(session.CashierName, QStringLiteral("李四"));
  EXPECT_EQ(ui.last(), QStringLiteral("|是否需要快速登陆？快速登陆将使用线程隐藏下载"));
  EXPECT_EQ(LocalCount("JBGoods"), 1);
  EXPECT_EQ(LocalCount("QTCXOrder"), 1);
  EXPECT_FALSE(session.DownloadRunning);
  EXPECT_FALSE(ui.unansweredLeft());
}

TEST_F(StartupTest, ManuDownCXKeepsThePromotionTablesButTheQuickLoginThreadReplacesThem) {
  RegisterShop();
  dm.conServer.Exec(QStringLiteral("UPDATE QTSysSet SET ManuDownCX = 1"));
  dm.conClient.Exec(QStringLiteral("INSERT INTO QTCXOrder (ORderNo) VALUES ('LOCAL')"));
  ui.ChooseMode(1);
  LoginAs(QStringLiteral("001"), QStringLiteral("123"));
  ui.AnswerNo();
  ASSERT_TRUE(RunStartup(app));
  EXPECT_TRUE(session.ManuDownCX);
  EXPECT_EQ(LocalCount("JBGoods"), 1);
  EXPECT_EQ(dm.conClient.Scalar(QStringLiteral("SELECT ORderNo FROM QTCXOrder")).toString(),
            QStringLiteral("LOCAL"));

  ui.clear();
  ui.ChooseMode(1);
  LoginAs(QStringLiteral("001"), QStringLiteral("123"));
  ui.AnswerYes();
  ASSERT_TRUE(RunStartup(app));
  // The thread's end is reported through the window thread's event loop.
  EXPECT_TRUE(QTest::qWaitFor([&] { return !session.DownloadRunning; }, 30000));
  EXPECT_EQ(dm.conClient.Scalar(QStringLiteral("SELECT ORderNo FROM QTCXOrder")).toString(),
            QStringLiteral("X1"));
  EXPECT_TRUE(ui.progressTexts().isEmpty());
}

TEST_F(StartupTest, AnUnreachableServerAnsweredYesGoesOnOffline) {
  WriteConnectSettings(QStringLiteral("127.0.0.1:1"), QStringLiteral("sa"), QString());
  // Offline, the shop check reads the settings file only: no server knows this shop.
  RegisterShop("L1");
  dm.conClient.RunScript(
      QStringLiteral("INSERT INTO QTShop (ShopNo, ShopName) VALUES ('L1', '本地店');"
                     "INSERT INTO JBStore (StoreNo, StoreName) VALUES ('S1', '一号仓');"
                     "INSERT INTO QTCashier (CashierNo, CashierCode, Password, ShopNo) VALUES "
                     "('C1', '001', '123', 'L1')"));
  ui.ChooseMode(1);
  ui.AnswerYes();
  LoginAs(QStringLiteral("001"), QStringLiteral("123"));
  ASSERT_TRUE(RunStartup(app));
  EXPECT_FALSE(session.IsOnline);
  ASSERT_EQ(ui.messages().size(), 1u);
  // The question as the till has always asked it, then the address tried and the reason.
  EXPECT_TRUE(ui.last().startsWith(
      QStringLiteral("提示|连接服务器失败,不能进行【连网销售】！系统进入【断网销售】模式。 "
                     "\r\n是否进入【断网销售】吗？\r\n连接 127.0.0.1:1 失败：")))
      << ui.last().toStdString();
  EXPECT_EQ(session.CashierNo, QStringLiteral("C1"));

  // No to offline work, and No to mending the settings: the program ends.
  ui.clear();
  ui.ChooseMode(1);
  ui.AnswerNo();
  ui.AnswerNo();
  EXPECT_FALSE(RunStartup(app));
  EXPECT_EQ(ui.screens(), QStringList{QStringLiteral("TfrmLoginOptions")});
  EXPECT_EQ(ui.last(), QStringLiteral("提示|是否修改服务器连接设置后重新连接？"));
}

TEST_F(StartupTest, AWrongServerAddressIsMendedOnTheSettingsPageAndTheStartGoesOnOnline) {
  WriteConnectSettings(QStringLiteral("127.0.0.1:1"), server().user, QStringLiteral("pw"));
  RegisterShop();
  ui.ChooseMode(1);
  ui.AnswerNo();   // not offline
  ui.AnswerYes();  // mend the settings
  // The first attempt on the page is still wrong; the page stays open until one connects.
  ui.OnConnectionSettings([this](AppContext& a) {
    EXPECT_FALSE(SaveConnectionSettings(a, QStringLiteral("127.0.0.1:2"), server().user, {}));
    return SaveConnectionSettings(a, ServerName(), server().user, server().password);
  });
  LoginAs(QStringLiteral("001"), QStringLiteral("123"));
  ui.AnswerNo();  // no quick login
  ASSERT_TRUE(RunStartup(app));
  EXPECT_TRUE(session.IsOnline);
  ASSERT_EQ(ui.settingsStarts().size(), 1u);
  // The page opens on the entries that failed, not on the defaults.
  EXPECT_EQ(ui.settingsStarts()[0].server, QStringLiteral("127.0.0.1:1"));
  EXPECT_EQ(ui.settingsStarts()[0].login, server().user);
  EXPECT_EQ(ui.settingsStarts()[0].password, QStringLiteral("pw"));
  EXPECT_EQ(ReadConnectionSettings(session.IniFile).server, ServerName());
  EXPECT_EQ(LocalCount("JBGoods"), 1);
  EXPECT_FALSE(ui.unansweredLeft());

  // Cancelling the page ends the program.
  ui.clear();
  WriteConnectSettings(QStringLiteral("127.0.0.1:1"), server().user, QString());
  ui.ChooseMode(1);
  ui.AnswerNo();
  ui.AnswerYes();
  ui.OnConnectionSettings([](AppContext&) { return false; });
  EXPECT_FALSE(RunStartup(app));
  EXPECT_EQ(ui.screens().last(), QStringLiteral("TfrmConnectToServer:settings"));
}

TEST_F(StartupTest, OfflineWithoutARegisteredShopShowsTheErrorBoxAndEnds) {
  ui.ChooseMode(2);
  EXPECT_FALSE(RunStartup(app));
  EXPECT_EQ(ui.last(),
            QStringLiteral("错误|连接服务器失败,无法选择零售店! \r\n请以连网模式登陆选择零售店."));
  EXPECT_EQ(ui.messages().back().icon, MsgIcon::Error);
  EXPECT_EQ(ui.screens(), QStringList{QStringLiteral("TfrmLoginOptions")});
}

TEST_F(StartupTest, OfflineWithoutASettingsFileBlamesTheMissingFileNotTheServer) {
  ASSERT_TRUE(QFile::remove(session.IniFile.isEmpty() ? app.IniPath() : session.IniFile));
  ui.ChooseMode(2);
  EXPECT_FALSE(RunStartup(app));
  EXPECT_EQ(ui.last(), QStringLiteral("错误|找不到设置文件") +
                           QDir::toNativeSeparators(app.IniPath()) +
                           QStringLiteral("，无法确定本收银机的零售店! \r\n"
                                          "请以连网模式登陆选择零售店."));
}

TEST_F(StartupTest, AStoreNumberCutShortStopsStartUpSayingWhichValue) {
  BackOffice(dm.conClient);
  RegisterShop("01", "S");
  // A settings file an older program left readable by everyone is made the owner's.
  ASSERT_TRUE(QFile::setPermissions(app.IniPath(),
                                    QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
  ui.ChooseMode(2);
  EXPECT_FALSE(RunStartupReporting(app));
  ASSERT_FALSE(ui.messages().empty());
  EXPECT_EQ(ui.messages().back().caption, ApplicationTitle());
  EXPECT_TRUE(ui.messages().back().text.startsWith(
      QStringLiteral("设置文件中的仓库编号 SysSet/StoreNo=\"S\" 在本地数据库中找不到对应的仓库。")))
      << ui.messages().back().text.toStdString();
  EXPECT_EQ(QFile::permissions(app.IniPath()) & (QFile::ReadOther | QFile::ReadGroup), 0);
}

TEST_F(StartupTest, OnlineWithoutARegisteredShopOffersTheShopSelection) {
  ui.ChooseMode(1);
  ui.LeaveShopList();
  EXPECT_FALSE(RunStartup(app));
  EXPECT_EQ(ui.screens().last(), QStringLiteral("TfrmSelectShop"));

  ui.clear();
  ui.ChooseMode(1);
  ui.ChooseShop(QStringLiteral("01"));
  ui.AnswerYes();  // confirm the shop
  LoginAs(QStringLiteral("001"), QStringLiteral("123"));
  ui.AnswerNo();
  ASSERT_TRUE(RunStartup(app));
  EXPECT_EQ(session.ShopNo, QStringLiteral("01"));
  EXPECT_EQ(ReadIniString(session.IniFile, QStringLiteral("SysSet"), QStringLiteral("StoreNo")),
            QStringLiteral("S1"));
}

// The till's own login, with the rights quilmo-admin gives it, instead of the superuser the
// other tests connect as. Roles belong to the whole cluster: each test has its own.
class TillLoginStartupTest : public StartupTest {
 protected:
  void SetUp() override {
    StartupTest::SetUp();
    if (HasFatalFailure()) return;
    login_ = QStringLiteral("till_") + databaseName();
    PgExec(server(), QStringLiteral("postgres"),
           QStringLiteral("CREATE ROLE %1 LOGIN").arg(login_));
    PgExec(server(), databaseName(), QStringLiteral("SELECT quilmo_grant_till('%1')").arg(login_));
    CatalogExec(QStringLiteral("GRANT SELECT ON AccountInfo TO %1").arg(login_));
    WriteConnectSettings(ServerName(), login_, QString());
  }
  void TearDown() override {
    StartupTest::TearDown();  // the databases go first, with what was granted in them
    if (login_.isEmpty()) return;
    try {
      PgExec(server(), QStringLiteral("postgres"),
             QStringLiteral("DROP OWNED BY %1; DROP ROLE %1").arg(login_));
    } catch (const std::exception& e) {
      ADD_FAILURE() << e.what();
    }
  }
  QString login_;
};

TEST_F(TillLoginStartupTest, TheTillStartsOnlineWithItsOwnLoginAndNeedsNoMore) {
  ui.ChooseMode(1);
  ui.ChooseShop(QStringLiteral("01"));
  ui.AnswerYes();  // confirm the shop
  LoginAs(QStringLiteral("001"), QStringLiteral("123"));
  ui.AnswerNo();  // download in the foreground
  ASSERT_TRUE(RunStartup(app));
  EXPECT_TRUE(session.IsOnline);
  EXPECT_EQ(dm.conServer.serverAddress().user, login_);
  EXPECT_EQ(dm.conServer.Scalar(QStringLiteral("SELECT IsRegist FROM QTShop")).toInt(), 1);
  EXPECT_EQ(LocalCount("JBGoods"), 1);
  EXPECT_EQ(LocalCount("QTCXOrder"), 1);
  EXPECT_FALSE(ui.unansweredLeft());
  // Only the boxes of the start itself: the question of the quick login, none of an error.
  EXPECT_EQ(ui.texts().size(), 2);
  EXPECT_THROW(dm.conServer.Exec(QStringLiteral("DELETE FROM QTShop")), DbError);
}

TEST_F(StartupTest, AServerDateOneDayOffWarnsAndStartsAnyway) {
  RegisterShop();
  clock.AddDays(-1);
  ui.ChooseMode(1);
  LoginAs(QStringLiteral("001"), QStringLiteral("123"));
  ui.AnswerNo();
  ASSERT_TRUE(RunStartup(app));
  ASSERT_FALSE(ui.messages().empty());
  EXPECT_EQ(ui.messages()[0].caption, QString());
  EXPECT_EQ(ui.messages()[0].text,
            QStringLiteral("该收银机的日期与服务器的日期不一致！，请校对时间。"));
  EXPECT_EQ(ui.messages()[0].icon, MsgIcon::Information);
}

TEST_F(StartupTest, ACancelledLoginEnds) {
  RegisterShop();
  BackOffice(dm.conClient);
  ui.ChooseMode(2);
  ui.OnLogin([](AppContext&) { return false; });
  EXPECT_FALSE(RunStartup(app));
  EXPECT_FALSE(session.IsOnline);
}

TEST_F(StartupTest, ADemonstrationAccountSkipsTheLogin) {
  const QString demo = QStringLiteral("Demo") + databaseName();
  CreateDatabaseNamed(demo, {QStringLiteral("common.sql"), QStringLiteral("server.sql")});
  {
    Connection c(QStringLiteral("demo_fill"), Engine::Server);
    QString error;
    ASSERT_TRUE(c.OpenServer({server().host, server().port, server().user, server().password}, demo,
                             &error));
    BackOffice(c);
  }
  CatalogExec(QStringLiteral("UPDATE AccountInfo SET DBName = '%1'").arg(demo));
  RegisterShop();
  ui.ChooseMode(1);
  ui.AnswerNo();
  ASSERT_TRUE(RunStartup(app));
  EXPECT_TRUE(session.IsDemo);
  EXPECT_EQ(session.CashierNo, QStringLiteral("1111000001"));
  EXPECT_EQ(session.CashierCode, QStringLiteral("001"));
  EXPECT_EQ(session.CashierName, QStringLiteral("张三"));
  EXPECT_FALSE(ui.screens().contains(QStringLiteral("TfrmConnectToServer:login")));
  EXPECT_EQ(ui.messages()[0].text,
            QStringLiteral("您现在使用的是演示数据，当正式使用时可以进入前台主界面，\r\n"
                           "按下Ctrl+Alt+Shift+C 清空数据 重新配置您的正式数据！"));
}

TEST_F(StartupTest, AnAliasThatCannotBeResolvedIsAFailedConnectionLikeAnyOther) {
  WriteConnectSettings(QStringLiteral("tarvix.shop"), QStringLiteral("sa"), QString());
  WriteIniString(session.IniFile, QStringLiteral("ConnectSet"), QStringLiteral("DiscoveryServer"),
                 QStringLiteral("127.0.0.1:1"));
  ui.ChooseMode(1);
  ui.AnswerNo();
  ui.AnswerYes();
  ui.OnConnectionSettings([](AppContext&) { return false; });
  EXPECT_FALSE(RunStartupReporting(app));
  ASSERT_EQ(ui.messages().size(), 2u);
  EXPECT_TRUE(ui.messages()[0].text.startsWith(QStringLiteral("连接服务器失败")));
  EXPECT_TRUE(ui.messages()[0].text.contains(QStringLiteral("/UploadFile/db.xml")));
  EXPECT_EQ(ui.settingsStarts()[0].server, QStringLiteral("tarvix.shop"));
  EXPECT_FALSE(ui.splashOpen());
}

TEST_F(StartupTest, AnErrorNobodyHandledEndsInTheDefaultErrorBox) {
  RegisterShop();
  dm.conServer.Exec(QStringLiteral("DROP TABLE QTShop"));
  ui.ChooseMode(1);
  EXPECT_FALSE(RunStartupReporting(app));
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_EQ(ui.messages()[0].caption, ApplicationTitle());
  EXPECT_TRUE(ui.messages()[0].text.contains(QStringLiteral("qtshop"))) << ui.last().toStdString();
  EXPECT_FALSE(ui.splashOpen());
}

}  // namespace
}  // namespace quilmo
