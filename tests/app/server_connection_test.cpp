#include "app/server_connection.h"

#include <QSqlQuery>

#include "base/ini_file.h"
#include "base/password_scramble.h"
#include "support/http_server.h"
#include "support/qt_printers.h"
#include "support/shell_fixture.h"

namespace quilmo {
namespace {

using test::ShellTest;
using test::TinyHttpServer;

QString Ini(const QString& file, const char* section, const char* key) {
  return ReadIniString(file, QLatin1String(section), QLatin1String(key));
}

class ConnectServerTest : public ShellTest {
 protected:
  bool Connect(const QString& server, const QString& password = QString()) {
    return ConnectServer(app, server, this->server().user, password);
  }
};

TEST_F(ConnectServerTest, FindsTheTillAccountInTheCatalogueAndGoesOnline) {
  CatalogExec(QStringLiteral("INSERT INTO AccountInfo VALUES ('0', 'not_for_tills', 0)"));
  ASSERT_TRUE(Connect(ServerName()));
  EXPECT_TRUE(session.IsOnline);
  EXPECT_FALSE(session.IsDemo);
  EXPECT_EQ(session.DBName, databaseName());
  EXPECT_EQ(dm.conServer.databaseName(), databaseName());
  EXPECT_TRUE(dm.conServer.Query(QStringLiteral("SELECT * FROM QTShop")).isActive());
  EXPECT_EQ(ui.splashTexts(), QStringList{QStringLiteral("正在与服务器建立连接，请稍后.........")});
  EXPECT_FALSE(ui.splashOpen());
  EXPECT_TRUE(ui.messages().empty());
}

TEST_F(ConnectServerTest, OnlyAnAccountNamedDemoInThatCaseMakesADemonstrationTill) {
  for (const auto& [prefix, demo] : {std::pair{"Demo", true}, std::pair{"demo", false}}) {
    const QString db = QLatin1String(prefix) + databaseName();
    CreateDatabaseNamed(db, {QStringLiteral("common.sql"), QStringLiteral("server.sql")});
    CatalogExec(QStringLiteral("UPDATE AccountInfo SET DBName = '%1'").arg(db));
    session.IsDemo = false;
    ASSERT_TRUE(Connect(ServerName())) << prefix;
    EXPECT_EQ(session.IsDemo, demo) << prefix;
    EXPECT_EQ(session.DBName, db);
    EXPECT_EQ(dm.conServer.databaseName(), db);
  }
}

TEST_F(ConnectServerTest, AMissingOrUnreachableAccountExplainsItselfInTwoBoxes) {
  CatalogExec(QStringLiteral("UPDATE AccountInfo SET PosFlag = 0"));
  EXPECT_FALSE(Connect(ServerName()));
  EXPECT_EQ(ui.texts(),
            (QStringList{QStringLiteral("没有找到相关POS帐套！请在服务器设置一个POS帐套。"),
                         QStringLiteral("无法取得帐套信息！")}));
  EXPECT_EQ(ui.messages()[0].caption, QStringLiteral("错误"));
  EXPECT_EQ(ui.messages()[0].icon, MsgIcon::Error);
  EXPECT_FALSE(session.IsOnline);

  ui.clear();
  CatalogExec(QStringLiteral("UPDATE AccountInfo SET PosFlag = 1, DBName = 'no_such_account'"));
  EXPECT_FALSE(Connect(ServerName()));
  EXPECT_EQ(ui.texts(), (QStringList{QStringLiteral("无法连接到POS帐套,请检查网络是否断开！"),
                                     QStringLiteral("无法取得帐套信息！")}));
  EXPECT_FALSE(session.IsOnline);
}

TEST_F(ConnectServerTest, ARefusedConnectionReturnsFalseWithoutAMessageButSaysWhyInOneLine) {
  struct Case {
    QString server;
    QString login;
    QString failure;  // the whole line, or its start when the driver's words follow
    bool whole;
  };
  for (const Case& c : {
           Case{QStringLiteral("127.0.0.1:1"), server().user,
                QStringLiteral("连接 127.0.0.1:1 失败："), false},
           Case{QStringLiteral("127.0.0.1:notaport"), server().user,
                QStringLiteral("服务器名“127.0.0.1:notaport”无效，应写成 主机[:端口]"), true},
           Case{ServerName(), QStringLiteral("no_such_login"),
                QStringLiteral("连接 %1 失败：").arg(ServerName()), false},
       }) {
    QString failure = QStringLiteral("stale");
    EXPECT_FALSE(ConnectServer(app, c.server, c.login, QString(), &failure))
        << c.server.toStdString();
    if (c.whole) {
      EXPECT_EQ(failure, c.failure);
    } else {
      // The driver's reason follows, on the same line, without its own "connection to server
      // at ..., port ... failed" and without its hint lines.
      EXPECT_TRUE(failure.startsWith(c.failure)) << failure.toStdString();
      const QString reason = failure.mid(c.failure.size());
      EXPECT_FALSE(reason.isEmpty());
      EXPECT_FALSE(reason.contains(QLatin1Char('\n'))) << reason.toStdString();
      EXPECT_FALSE(reason.contains(QStringLiteral("127.0.0.1"))) << reason.toStdString();
    }
  }
  EXPECT_TRUE(ui.messages().empty());
  EXPECT_FALSE(session.IsOnline);
  EXPECT_FALSE(ui.splashOpen());
}

// An alias directory on the test server, named by a discovery file on a local web server.
class AliasTest : public ConnectServerTest {
 protected:
  void SetUp() override {
    ConnectServerTest::SetUp();
    if (HasFatalFailure()) return;
    directory_ = CreateDatabase(QStringLiteral("_dir"), QStringLiteral("tarvix.sql"));
    PgExec(server(), directory_,
           QStringLiteral("INSERT INTO JBUser (DnsName, IP, DBName, DBPSW) VALUES "
                          "('tarvix.shop1', '', '%1', 'secret'), "
                          "('tarvix.iponly', '%2', '', '')")
               .arg(databaseName(), ServerName()));
    ASSERT_TRUE(WriteIniString(session.IniFile, QStringLiteral("ConnectSet"),
                               QStringLiteral("DiscoveryServer"), web_.address()));
    Serve(ServerName(), ServerName());
  }
  void Serve(const QString& ip, const QString& ip2, const QString& dbname = QString()) {
    web_.SetBody(
        QStringLiteral("<db><ip>%1</ip><ip2>%2</ip2><dbname>%3</dbname><sa>%4</sa>"
                       "<password>%5</password></db>")
            .arg(ip, ip2, dbname.isEmpty() ? directory_ : dbname, server().user, server().password)
            .toUtf8());
  }
  static QString Unreachable() { return QStringLiteral("127.0.0.1:1"); }

  TinyHttpServer web_{QStringLiteral("/UploadFile/db.xml"), QByteArray()};
  QString directory_;
};

TEST_F(AliasTest, MarkerAtTheStartUsesIpAndAtBothEndsIp2) {
  struct Case {
    QString server;
    QString ip;
    QString ip2;
  };
  for (const Case& c : {Case{QStringLiteral("tarvix.shop1"), ServerName(), Unreachable()},
                        Case{QStringLiteral("tarvix.shop1tarvix."), Unreachable(), ServerName()}}) {
    Serve(c.ip, c.ip2);
    session.IsOnline = false;
    EXPECT_TRUE(Connect(c.server, QStringLiteral("secret"))) << c.server.toStdString();
    EXPECT_TRUE(session.IsOnline);
    EXPECT_EQ(session.DBName, databaseName());
    EXPECT_EQ(dm.conServer.databaseName(), databaseName());
  }
  EXPECT_EQ(web_.requests(), 2);
  EXPECT_TRUE(ui.messages().empty());
}

TEST_F(AliasTest, AWrongAliasPasswordIsRefusedAlthoughTheAliasExists) {
  EXPECT_FALSE(Connect(QStringLiteral("tarvix.shop1"), QStringLiteral("guess")));
  EXPECT_FALSE(session.IsOnline);
  EXPECT_TRUE(ui.messages().empty());
  EXPECT_EQ(web_.requests(), 1);
  QString failure;
  EXPECT_FALSE(TestConnection(app, QStringLiteral("tarvix.shop1"), server().user,
                              QStringLiteral("guess"), &failure));
  EXPECT_EQ(failure, QStringLiteral("连接 %1 失败：别名密码不正确").arg(ServerName()));
  EXPECT_TRUE(
      TestConnection(app, QStringLiteral("tarvix.shop1"), server().user, QStringLiteral("secret")));
}

TEST_F(AliasTest, AnAliasWithOnlyAnAddressKeepsTheTypedLogin) {
  EXPECT_TRUE(Connect(QStringLiteral("tarvix.iponly")));
  EXPECT_EQ(session.DBName, databaseName());  // found through PosFlag, as without an alias
  EXPECT_FALSE(ConnectServer(app, QStringLiteral("tarvix.iponly"), QStringLiteral("nobody"), {}));
}

TEST_F(AliasTest, ANameWithoutTheMarkerNeverFetchesTheDiscoveryFile) {
  EXPECT_TRUE(Connect(ServerName()));
  EXPECT_TRUE(TestConnection(app, ServerName(), server().user, QString()));
  EXPECT_EQ(web_.requests(), 0);
}

TEST_F(AliasTest, DiscoveryOrDirectoryFailuresRaiseAndSwitchModeReportsThem) {
  struct Case {
    const char* name;
    std::function<void()> arrange;
  };
  for (const Case& c : {
           Case{"directory refuses",
                [&] { Serve(ServerName(), ServerName(), QStringLiteral("no_such_dir")); }},
           Case{"directory unreachable", [&] { Serve(Unreachable(), Unreachable()); }},
           Case{"file not XML", [&] { web_.SetBody("<db><ip>"); }},
           Case{"no web server",
                [&] {
                  WriteIniString(session.IniFile, QStringLiteral("ConnectSet"),
                                 QStringLiteral("DiscoveryServer"), Unreachable());
                }},
       }) {
    c.arrange();
    EXPECT_THROW(Connect(QStringLiteral("tarvix.shop1"), QStringLiteral("secret")), ConnectError)
        << c.name;
    EXPECT_THROW(TestConnection(app, QStringLiteral("tarvix.shop1"), server().user, {}),
                 ConnectError)
        << c.name;
    EXPECT_FALSE(ui.splashOpen()) << c.name;

    WriteConnectSettings(QStringLiteral("tarvix.shop1"), server().user, QStringLiteral("secret"));
    ui.clear();
    session.IsOnline = false;
    EXPECT_FALSE(SwitchMode(app)) << c.name;
    EXPECT_FALSE(session.IsOnline);
    ASSERT_EQ(ui.messages().size(), 1u) << c.name;
    EXPECT_EQ(ui.messages()[0].caption, QStringLiteral("提示"));
    EXPECT_TRUE(
        ui.messages()[0].text.startsWith(QStringLiteral(" 切换到【连网销售】模式失败，原因：")))
        << ui.messages()[0].text.toStdString();
    EXPECT_TRUE(ui.messages()[0].text.endsWith(QStringLiteral("。")));
  }
}

TEST_F(ConnectServerTest, SwitchModeLeavesOnlineAtOnceAndComesBackWithTheStoredSettings) {
  ASSERT_TRUE(Connect(ServerName()));
  EXPECT_TRUE(SwitchMode(app));
  EXPECT_FALSE(session.IsOnline);
  EXPECT_TRUE(dm.conServer.isOpen());  // kept: nothing is reloaded
  EXPECT_TRUE(SwitchMode(app));
  EXPECT_TRUE(session.IsOnline);
  EXPECT_EQ(dm.conServer.databaseName(), databaseName());
  EXPECT_TRUE(ui.messages().empty());

  session.IsOnline = false;
  WriteConnectSettings(QStringLiteral("127.0.0.1:1"), server().user, QString());
  EXPECT_FALSE(SwitchMode(app));
  EXPECT_FALSE(session.IsOnline);
  // The fixed reason, then the address tried and why it failed.
  EXPECT_TRUE(ui.last().startsWith(
      QStringLiteral("提示| 切换到【连网销售】模式失败，原因：无法与服务器建立连接！\r\n"
                     "连接 127.0.0.1:1 失败：")))
      << ui.last().toStdString();
  EXPECT_TRUE(ui.last().endsWith(QStringLiteral("。")));
}

TEST_F(ShellTest, ShopIsRegisteredNeedsBothKeysAndOnlineTheShop) {
  dm.conServer.Exec(
      QStringLiteral("INSERT INTO QTShop (ShopNo, ShopName, StoreNo) VALUES ('01', 'A', 'S1')"));
  struct Case {
    const char* shop;
    const char* store;
    bool online;
    bool registered;
  };
  for (const Case& c :
       {Case{"", "S1", false, false}, Case{"01", "", false, false}, Case{"99", "S1", false, true},
        Case{"01", "S1", true, true}, Case{"99", "S1", true, false}}) {
    WriteIniString(session.IniFile, QStringLiteral("SysSet"), QStringLiteral("ShopNo"),
                   QLatin1String(c.shop));
    WriteIniString(session.IniFile, QStringLiteral("SysSet"), QStringLiteral("StoreNo"),
                   QLatin1String(c.store));
    session.IsOnline = c.online;
    EXPECT_EQ(ShopIsRegistered(app), c.registered) << c.shop << "/" << c.store << " " << c.online;
  }
}

TEST_F(ShellTest, SettingsPageStoresTheScrambledPasswordOnlyWhenTheEntriesConnect) {
  const QString ini = session.IniFile;
  WriteConnectSettings(QString(), QString(), QString());
  // Test and OK take the same entries the same way: trimmed, so padded entries pass both and
  // what is stored carries no spaces.
  const QString padded_server = QStringLiteral(" ") + ServerName() + QStringLiteral(" ");
  const QString padded_login = server().user + QStringLiteral(" ");
  CheckConnectionSettings(app, padded_server, padded_login, server().password);
  EXPECT_EQ(ui.last(), QStringLiteral("提示！|连接成功，你可以进行下一步操作"));
  ASSERT_TRUE(SaveConnectionSettings(app, padded_server, padded_login, server().password));
  EXPECT_EQ(Ini(ini, "ConnectSet", "ServerName"), ServerName());
  EXPECT_EQ(Ini(ini, "ConnectSet", "DBAName"), server().user);

  // Entries that do not connect: the error box says where and why, nothing is stored.
  WriteConnectSettings(QString(), QString(), QString());
  EXPECT_FALSE(SaveConnectionSettings(app, QStringLiteral("127.0.0.1:1"), server().user,
                                      QStringLiteral("pw")));
  EXPECT_TRUE(ui.last().startsWith(
      QStringLiteral("错误！|连接失败！请确认输入是否正确\r\n连接 127.0.0.1:1 失败：")))
      << ui.last().toStdString();
  EXPECT_EQ(Ini(ini, "ConnectSet", "ServerName"), QString());

  ASSERT_TRUE(SaveConnectionSettings(app, ServerName(), server().user, QStringLiteral("Pw-9密")));
  EXPECT_EQ(Ini(ini, "ConnectSet", "ServerName"), ServerName());
  EXPECT_EQ(Ini(ini, "ConnectSet", "DBAName"), server().user);
  const QString stored = Ini(ini, "ConnectSet", "DBAPSW");
  EXPECT_NE(stored, QStringLiteral("Pw-9密"));
  EXPECT_EQ(UnscramblePassword(stored), QStringLiteral("Pw-9密"));
  EXPECT_EQ(ReadConnectionSettings(ini).password, QStringLiteral("Pw-9密"));
}

class SelectShopTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    if (HasFatalFailure()) return;
    dm.conServer.Exec(QStringLiteral(
        "INSERT INTO JBStore (StoreNo, StoreName) VALUES ('S1', '一号仓'), ('S2', '二号仓')"));
    dm.conServer.Exec(QStringLiteral(
        "INSERT INTO QTShop (ShopNo, ShopName, StoreNo, IsRegist) VALUES "
        "('01', '东门店', 'S1', NULL), ('02', '西门店', 'S2', 1), ('03', 'O''Neil店', 'S2', 0)"));
  }
  int IsRegist(const QString& shop) {
    return dm.conServer
        .Scalar(QStringLiteral("SELECT COALESCE(IsRegist, 0) FROM QTShop WHERE ShopNo = :S"),
                {{QStringLiteral(":S"), shop}})
        .toInt();
  }
};

TEST_F(SelectShopTest, ListsOnlyShopsNoTillHasTaken) {
  const QList<ShopChoice> shops = UnregisteredShops(app);
  ASSERT_EQ(shops.size(), 2);
  EXPECT_EQ(shops[0].ShopName, QStringLiteral("东门店"));
  EXPECT_EQ(shops[1].ShopNo, QStringLiteral("03"));
  EXPECT_TRUE(ui.messages().empty());
  dm.conServer.Exec(QStringLiteral("UPDATE QTShop SET IsRegist = 1"));
  EXPECT_TRUE(UnregisteredShops(app).isEmpty());
  EXPECT_EQ(ui.last(), QStringLiteral("提示！|没有找到零售店，请在后台的零售店资料中设置零售店！"));
}

TEST_F(SelectShopTest, ConfirmingRegistersTheShopOnlyOnYes) {
  EXPECT_FALSE(ConfirmShop(app, QString()));
  EXPECT_EQ(ui.last(), QStringLiteral("提示！|请选择零售店"));

  ui.AnswerNo();
  EXPECT_FALSE(ConfirmShop(app, QStringLiteral("03")));
  EXPECT_EQ(ui.last(),
            QStringLiteral("提示|您选择了零售店【O'Neil店】,所属仓库为【二号仓】\r\n是否确认？"));
  EXPECT_EQ(IsRegist(QStringLiteral("03")), 0);
  EXPECT_EQ(Ini(session.IniFile, "SysSet", "ShopNo"), QString());

  ui.AnswerYes();
  EXPECT_TRUE(ConfirmShop(app, QStringLiteral("03")));
  EXPECT_EQ(IsRegist(QStringLiteral("03")), 1);
  EXPECT_EQ(IsRegist(QStringLiteral("01")), 0);
  EXPECT_EQ(Ini(session.IniFile, "SysSet", "ShopNo"), QStringLiteral("03"));
  EXPECT_EQ(Ini(session.IniFile, "SysSet", "StoreNo"), QStringLiteral("S2"));
}

}  // namespace
}  // namespace quilmo
