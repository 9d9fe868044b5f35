#include "app/server_connection.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <memory>

#include "base/ini_file.h"
#include "base/password_scramble.h"

namespace quilmo {
namespace {

constexpr int kConnectTimeoutS = 50;
constexpr int kTestTimeoutS = 35;

QString Text(const QSqlQuery& q, const char* column) {
  const int i = q.record().indexOf(QLatin1String(column));
  return i < 0 || q.value(i).isNull() ? QString() : q.value(i).toString();
}

// A connection of its own for one lookup, closed when it goes out of scope.
class TempConnection {
 public:
  TempConnection()
      : connection_(QStringLiteral("temp_") + QUuid::createUuid().toString(QUuid::WithoutBraces),
                    Engine::Server) {}
  bool Open(const ServerAddress& address, const QString& database, QString* error) {
    return connection_.OpenServer(address, database, error);
  }
  Connection& operator*() { return connection_; }
  Connection* operator->() { return &connection_; }

 private:
  Connection connection_;
};

QString ServerOrMaintenance(const QString& catalog) {
  return catalog.isEmpty() ? QStringLiteral("postgres") : catalog;
}

void SetFailure(QString* failure, const QString& text) {
  if (failure) *failure = text;
}

}  // namespace

QString ConnectFailure(const ServerAddress& address, const QString& server_name,
                       const QString& driver_message) {
  if (address.host.isEmpty()) {
    return QStringLiteral("服务器名“%1”无效，应写成 主机[:端口]").arg(server_name);
  }
  const QString where = QStringLiteral("%1:%2").arg(address.host).arg(address.port);
  // libpq says: connection to server at "h" (a), port p failed: FATAL:  the reason
  //             <hint on the next lines>
  QString reason = driver_message.section(QLatin1Char('\n'), 0, 0).trimmed();
  static const QRegularExpression kLead(
      QStringLiteral("^(connection to server at \"[^\"]*\"( \\([^)]*\\))?, port \\d+ failed: *)?"
                     "((FATAL|ERROR): *)?"));
  reason.remove(kLead);
  if (reason.isEmpty()) reason = QStringLiteral("无法连接");
  return QStringLiteral("连接 %1 失败：%2").arg(where, reason);
}

ServerAddress ParseServerName(const QString& server, const QString& login,
                              const QString& password) {
  ServerAddress a;
  a.user = login;
  a.password = password;
  QString host = server;
  QString port;
  if (host.startsWith(QLatin1Char('['))) {  // [::1]:5432
    const qsizetype close = host.indexOf(QLatin1Char(']'));
    if (close > 0) {
      port = host.mid(close + 1);
      host = host.mid(1, close - 1);
      if (port.startsWith(QLatin1Char(':'))) port = port.mid(1);
    }
  } else if (host.count(QLatin1Char(':')) == 1) {
    port = host.section(QLatin1Char(':'), 1);
    host = host.section(QLatin1Char(':'), 0, 0);
  }
  if (host == QStringLiteral(".") ||
      host.compare(QStringLiteral("(local)"), Qt::CaseInsensitive) == 0) {
    host = QStringLiteral("127.0.0.1");
  }
  if (!port.isEmpty()) {
    bool ok = false;
    a.port = port.toInt(&ok);
    if (!ok || a.port <= 0 || a.port > 65535) host.clear();
  }
  a.host = host;
  return a;
}

ServerTarget ResolveAlias(const QString& ini_file, const QString& server, const QString& catalog,
                          const QString& login, const QString& password) {
  ServerTarget target;
  target.catalog = catalog;
  target.address = ParseServerName(server, login, password);
  const QString marker = AliasMarker();
  if (!server.startsWith(marker)) return target;

  const DiscoveryInfo discovery = FetchDiscoveryFile(
      ReadIniString(ini_file, QStringLiteral("ConnectSet"), QStringLiteral("DiscoveryServer")));
  const QString address =
      server.size() >= marker.size() && server.endsWith(marker) ? discovery.ip2 : discovery.ip;
  QString alias = server;
  if (alias.endsWith(marker)) alias.chop(marker.size());

  const ServerAddress directory_address =
      ParseServerName(address, discovery.sa, discovery.password);
  TempConnection directory;
  QString error;
  if (!directory.Open(directory_address, discovery.dbname, &error)) {
    throw ConnectError(QStringLiteral("无法连接服务器目录数据库 %1：%2")
                           .arg(discovery.dbname, error.simplified()));
  }
  QSqlQuery row;
  try {
    row = directory->Query(
        QStringLiteral("SELECT IP, DBName, DBPSW FROM JBUser WHERE DnsName = :DnsName"),
        {{QStringLiteral(":DnsName"), alias}});
  } catch (const DbError& e) {
    throw ConnectError(e.message());
  }
  if (!row.next()) return target;  // unknown alias: the typed name is tried as it is

  const QString db_name = Text(row, "DBName");
  const QString ip = Text(row, "IP");
  if (!db_name.isEmpty()) {
    target.address = directory_address;
    target.db_name = db_name;
    target.catalog = db_name;
    // The directory lists each alias's own password; only someone who typed it gets the
    // directory login. We refuse here rather than send a wrong password, because a server
    // that trusts its network would let any password in.
    target.refused = Text(row, "DBPSW") != password;
  } else if (!ip.isEmpty()) {
    target.address = ParseServerName(ip, login, password);
  }
  return target;
}

bool ConnectServer(AppContext& app, const QString& server, const QString& login,
                   const QString& password, QString* failure) {
  SetFailure(failure, QString());
  // Shown from the first step: fetching the discovery file can take as long as the connection.
  auto splash = app.ui.ShowSplash(QStringLiteral("正在与服务器建立连接，请稍后........."));
  ServerTarget target =
      ResolveAlias(app.session.IniFile, server, app.catalog_database, login, password);
  app.session.DBName = target.db_name;
  app.dm.conServer.Close();
  if (target.refused) {
    SetFailure(failure, ConnectFailure(target.address, server, QStringLiteral("别名密码不正确")));
    return false;
  }
  target.address.connect_timeout_s = kConnectTimeoutS;
  QString error;
  if (!app.dm.conServer.OpenServer(target.address, target.catalog, &error)) {
    SetFailure(failure, ConnectFailure(target.address, server, error));
    return false;
  }
  splash.reset();

  // The account list lives in the catalogue (msdb); with an alias the connection is already
  // on the account.
  QString db_name;
  bool found = false;
  {
    TempConnection msdb;
    Connection* accounts = &app.dm.conServer;
    if (target.catalog != app.catalog_database) {
      if (!msdb.Open(target.address, app.catalog_database, &error)) {
        SetFailure(failure, ConnectFailure(target.address, server, error));
        return false;
      }
      accounts = &*msdb;
    }
    QSqlQuery q =
        app.session.DBName.isEmpty()
            ? accounts->Query(QStringLiteral(
                  "SELECT AccountNo, DBName FROM AccountInfo WHERE COALESCE(PosFlag, 0) = 1"))
            : accounts->Query(
                  QStringLiteral(
                      "SELECT AccountNo, DBName FROM AccountInfo WHERE DBName = :DBName"),
                  {{QStringLiteral(":DBName"), app.session.DBName}});
    if (!q.next()) {
      app.ui.MessageBox(QStringLiteral("错误"),
                        QStringLiteral("没有找到相关POS帐套！请在服务器设置一个POS帐套。"),
                        MsgIcon::Error, MsgButtons::Ok);
    } else {
      db_name = Text(q, "DBName");
      found = true;
    }
  }
  if (found && !app.dm.UseDatabase(app.dm.conServer, db_name)) {
    app.ui.MessageBox(QStringLiteral("错误"),
                      QStringLiteral("无法连接到POS帐套,请检查网络是否断开！"), MsgIcon::Error,
                      MsgButtons::Ok);
    found = false;
  }
  if (!found) {
    app.ui.MessageBox(QStringLiteral("错误"), QStringLiteral("无法取得帐套信息！"), MsgIcon::Error,
                      MsgButtons::Ok);
    return false;
  }
  app.session.DBName = db_name;
  if (!app.dm.conServer.isOpen()) {
    app.session.IsOnline = false;
    return false;
  }
  app.session.IsOnline = true;
  if (db_name.startsWith(QStringLiteral("Demo"), Qt::CaseSensitive)) app.session.IsDemo = true;
  return true;
}

bool TestConnection(AppContext& app, const QString& server, const QString& login,
                    const QString& password, QString* failure) {
  SetFailure(failure, QString());
  auto splash = app.ui.ShowSplash(QStringLiteral("正在与服务器建立连接，请稍后........."));
  ServerTarget target = ResolveAlias(app.session.IniFile, server, QString(), login, password);
  if (target.refused) {
    SetFailure(failure, ConnectFailure(target.address, server, QStringLiteral("别名密码不正确")));
    return false;
  }
  target.address.connect_timeout_s = kTestTimeoutS;
  TempConnection probe;
  QString error;
  if (probe.Open(target.address, ServerOrMaintenance(target.catalog), &error)) return true;
  SetFailure(failure, ConnectFailure(target.address, server, error));
  return false;
}

bool SwitchMode(AppContext& app) {
  if (app.session.IsOnline) {
    app.session.IsOnline = false;
    return true;
  }
  try {
    app.dm.conServer.Close();
    const ConnectionSettings settings = ReadConnectionSettings(app.session.IniFile);
    QString failure;
    if (!ConnectServer(app, settings.server, settings.login, settings.password, &failure)) {
      app.session.IsOnline = false;
      QString reason = QStringLiteral("无法与服务器建立连接！");
      if (!failure.isEmpty()) reason += QStringLiteral("\r\n") + failure;
      throw ConnectError(reason);
    }
  } catch (const ConnectError& e) {
    app.ui.MessageBox(
        QStringLiteral("提示"),
        QStringLiteral(" 切换到【连网销售】模式失败，原因：") + e.message() + QStringLiteral("。"),
        MsgIcon::Information, MsgButtons::Ok);
    return false;
  } catch (const DbError& e) {
    app.session.IsOnline = false;
    app.ui.MessageBox(
        QStringLiteral("提示"),
        QStringLiteral(" 切换到【连网销售】模式失败，原因：") + e.message() + QStringLiteral("。"),
        MsgIcon::Information, MsgButtons::Ok);
    return false;
  }
  app.session.IsOnline = true;
  return true;
}

bool ShopIsRegistered(AppContext& app) {
  const IniSnapshot ini = IniSnapshot::Read(app.session.IniFile);
  const QString shop_no = ini.Value(QStringLiteral("SysSet"), QStringLiteral("ShopNo"));
  const QString store_no = ini.Value(QStringLiteral("SysSet"), QStringLiteral("StoreNo"));
  if (shop_no.isEmpty() || store_no.isEmpty()) return false;
  if (!app.session.IsOnline) return true;
  // Online the server has the last word: the shop is this till's when the server records it
  // so, and a shop the settings name that the server still shows as free (registration broke
  // off after the settings were written, or a back office released it) is taken now. A shop
  // another till holds is not this till's, whatever the settings say. A shop taken before
  // tills recorded themselves counts as this till's.
  return TakeShop(app, shop_no, /*legacy_counts=*/true);
}

bool TakeShop(AppContext& app, const QString& shop_no, bool legacy_counts) {
  const QString till = app.dm.TillId();
  return app.dm.conServer.Exec(
             QStringLiteral("UPDATE QTShop SET IsRegist = 1, RegistTill = :Till "
                            "WHERE ShopNo = :ShopNo AND (COALESCE(IsRegist, 0) = 0 "
                            "OR RegistTill = :Till%1)")
                 .arg(legacy_counts ? QStringLiteral(" OR RegistTill IS NULL") : QString()),
             {{QStringLiteral(":ShopNo"), shop_no}, {QStringLiteral(":Till"), till}}) == 1;
}

ConnectionSettings ReadConnectionSettings(const QString& ini_file) {
  return {ReadIniString(ini_file, QStringLiteral("ConnectSet"), QStringLiteral("ServerName")),
          ReadIniString(ini_file, QStringLiteral("ConnectSet"), QStringLiteral("DBAName")),
          UnscramblePassword(
              ReadIniString(ini_file, QStringLiteral("ConnectSet"), QStringLiteral("DBAPSW")))};
}

namespace {

// The page's error box: the fixed text, then why the connection failed.
void ShowConnectFailed(AppContext& app, const QString& failure) {
  QString text = QStringLiteral("连接失败！请确认输入是否正确");
  if (!failure.isEmpty()) text += QStringLiteral("\r\n") + failure;
  app.ui.ShowErrorBox(text);
}

}  // namespace

bool ConnectionEntriesAllowed(AppContext& app, const QString& server, const QString& login,
                              const QString& password) {
  // A line break in a pasted value would end its line in the settings file and let the rest
  // stand as lines of their own.
  if (IniValueAllowed(server) && IniValueAllowed(login) && IniValueAllowed(password)) return true;
  app.ui.ShowErrorBox(QStringLiteral("服务器名、管理员名和管理员密码中不能有换行符！"));
  return false;
}

void CheckConnectionSettings(AppContext& app, const QString& server, const QString& login,
                             const QString& password) {
  if (!ConnectionEntriesAllowed(app, server, login, password)) return;
  QString failure;
  if (TestConnection(app, server.trimmed(), login.trimmed(), password.trimmed(), &failure)) {
    app.ui.ShowNoticeBox(QStringLiteral("连接成功，你可以进行下一步操作"));
  } else {
    ShowConnectFailed(app, failure);
  }
}

bool SaveConnectionSettings(AppContext& app, const QString& typed_server,
                            const QString& typed_login, const QString& typed_password) {
  if (!ConnectionEntriesAllowed(app, typed_server, typed_login, typed_password)) return false;
  // Trimmed as the test button trims them: a space copied along with an address must not make
  // OK fail where the test succeeded, nor be stored.
  const QString server = typed_server.trimmed();
  const QString login = typed_login.trimmed();
  const QString password = typed_password.trimmed();
  QString failure;
  if (!TestConnection(app, server, login, password, &failure)) {
    ShowConnectFailed(app, failure);
    return false;
  }
  QString error;
  const bool written = WriteIniStrings(
      app.IniPath(),
      {{QStringLiteral("ConnectSet"), QStringLiteral("ServerName"), server},
       {QStringLiteral("ConnectSet"), QStringLiteral("DBAName"), login},
       {QStringLiteral("ConnectSet"), QStringLiteral("DBAPSW"), ScramblePassword(password)}},
      &error);
  if (!written) {
    // Reporting success here would send the next start to a server it cannot find.
    ReportError(app.ui, error);
    return false;
  }
  return true;
}

QList<ShopChoice> UnregisteredShops(AppContext& app) {
  QList<ShopChoice> shops;
  // This till's own shop is among them: a till whose settings lost it takes it back.
  QSqlQuery q = app.dm.conServer.Query(
      QStringLiteral("SELECT * FROM QTShop WHERE COALESCE(IsRegist, 0) = 0 OR RegistTill = :Till "
                     "ORDER BY ShopNo"),
      {{QStringLiteral(":Till"), app.dm.TillId()}});
  while (q.next()) shops.push_back({Text(q, "ShopNo"), Text(q, "ShopName")});
  if (shops.isEmpty()) {
    app.ui.ShowNoticeBox(QStringLiteral("没有找到零售店，请在后台的零售店资料中设置零售店！"));
  }
  return shops;
}

bool ChooseShop(AppContext& app) {
  QList<ShopChoice> shops;
  if (!RunReported(app.ui, [&] { shops = UnregisteredShops(app); })) return false;
  for (;;) {
    const QString chosen = app.ui.SelectShop(shops);
    if (chosen.isNull()) return false;
    bool confirmed = false;
    RunReported(app.ui, [&] { confirmed = ConfirmShop(app, chosen); });
    if (confirmed) return true;
  }
}

bool ConfirmShop(AppContext& app, const QString& shop_no) {
  if (shop_no.isEmpty()) {
    app.ui.ShowNoticeBox(QStringLiteral("请选择零售店"));
    return false;
  }
  QSqlQuery q = app.dm.conServer.Query(
      QStringLiteral("SELECT ShopNo, a.StoreNo, ShopCode, ShopName, StoreCode, StoreName "
                     "FROM QTShop a LEFT JOIN JBStore b ON a.StoreNo = b.StoreNo "
                     "WHERE ShopNo = :ShopNo"),
      {{QStringLiteral(":ShopNo"), shop_no}});
  QString shop_name, store_no, store_name;
  if (q.next()) {
    shop_name = Text(q, "ShopName");
    store_no = Text(q, "StoreNo");
    store_name = Text(q, "StoreName");
  }
  q.finish();
  if (!app.ui.AskYesNo(QStringLiteral("提示"), QStringLiteral("您选择了零售店【") + shop_name +
                                                   QStringLiteral("】,") +
                                                   QStringLiteral("所属仓库为【") + store_name +
                                                   QStringLiteral("】\r\n是否确认？"))) {
    return false;
  }
  // The server first, and only while the shop is free (or already this till's): two tills
  // choosing one shop at once cannot both get it.
  if (!TakeShop(app, shop_no, /*legacy_counts=*/false)) {
    app.ui.ShowNoticeBox(QStringLiteral("零售店【") + shop_name +
                         QStringLiteral("】已被其他收银机选用，请选择其他零售店！"));
    return false;
  }
  // Then both keys in one replacement of the settings file. Should this till stop between the
  // two, the server records the shop as this till's, and the next start offers it again.
  QString error;
  if (!WriteIniStrings(app.IniPath(),
                       {{QStringLiteral("SysSet"), QStringLiteral("ShopNo"), shop_no},
                        {QStringLiteral("SysSet"), QStringLiteral("StoreNo"), store_no}},
                       &error)) {
    // The settings could not record the shop (a full disk, a read-only folder): the shop is
    // given back, so the server and the settings agree again.
    try {
      app.dm.conServer.Exec(
          QStringLiteral("UPDATE QTShop SET IsRegist = 0, RegistTill = NULL "
                         "WHERE ShopNo = :ShopNo AND RegistTill = :Till"),
          {{QStringLiteral(":ShopNo"), shop_no}, {QStringLiteral(":Till"), app.dm.TillId()}});
    } catch (const DbError&) {
      // The server stays marked for this till, which takes the shop back next time.
    }
    ReportError(app.ui, error);
    return false;
  }
  return true;
}

}  // namespace quilmo
