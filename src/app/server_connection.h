#pragma once

#include <QList>
#include <QString>

#include "app/app_context.h"
#include "app/discovery.h"
#include "data/connection.h"

namespace quilmo {

// The marker that makes a server name an alias to be looked up in the directory database.
inline QString AliasMarker() { return QStringLiteral("tarvix."); }

// Where a connection goes after alias resolution.
struct ServerTarget {
  ServerAddress address;  // host, port, login, password
  QString catalog;        // database to open; empty = the server's maintenance database
  QString db_name;        // account database named by the directory, or empty
  // The alias exists but the typed password is not the one the directory holds: the
  // connection is refused without asking the server.
  bool refused = false;
};

// A server name is "host[:port]" ("." is this machine). Other forms give an empty host,
// which no connection opens.
ServerAddress ParseServerName(const QString& server, const QString& login, const QString& password);

// Resolves an alias ("tarvix.<name>", "tarvix.<name>tarvix.") through the discovery file
// and the directory database's JBUser; any other name passes unchanged. The web server
// holding the discovery file is ConnectSet/DiscoveryServer of the settings file. Throws
// ConnectError when the file cannot be fetched or read or the directory refuses.
ServerTarget ResolveAlias(const QString& ini_file, const QString& server, const QString& catalog,
                          const QString& login, const QString& password);

// Why a connection was refused, in one short line for a message box: the address tried and
// the first line of the driver's reason, without the driver's own repetition of the address.
QString ConnectFailure(const ServerAddress& address, const QString& server_name,
                       const QString& driver_message);

// Connects conServer to the till's account database (found in msdb.AccountInfo) and enters
// online mode. A refused connection returns false without a message and, when `failure` is
// given, says why in one line (ConnectFailure); a missing or unreachable account explains
// itself in two boxes and leaves `failure` empty. Alias errors throw ConnectError.
bool ConnectServer(AppContext& app, const QString& server, const QString& login,
                   const QString& password, QString* failure = nullptr);

// Whether a connection with these entries opens (35 s at most); changes nothing. `failure`
// as for ConnectServer.
bool TestConnection(AppContext& app, const QString& server, const QString& login,
                    const QString& password, QString* failure = nullptr);

// Online -> offline always succeeds and keeps the server connection; offline -> online
// reconnects with the stored settings and explains a failure.
bool SwitchMode(AppContext& app);

// The till serves a shop: both settings keys are set and, online, the server records the shop
// as this till's (a shop the settings name that is still free is taken on the way).
bool ShopIsRegistered(AppContext& app);

// Marks the shop taken by this till on the server, only while it is free or already this
// till's (with `legacy_counts`, also when it was taken before tills recorded themselves).
// True when the shop is now this till's.
bool TakeShop(AppContext& app, const QString& shop_no, bool legacy_counts);

// ConnectSet as stored, the password unscrambled.
struct ConnectionSettings {
  QString server;
  QString login;
  QString password;
};
ConnectionSettings ReadConnectionSettings(const QString& ini_file);

// The connection-settings page. Both buttons trim the entries of the spaces around them, so
// the same entries never pass the test and fail on OK.
// Test: a notice, or an error box that says why the connection failed.
void CheckConnectionSettings(AppContext& app, const QString& server, const QString& login,
                             const QString& password);
// OK: stores the trimmed entries (password scrambled) when they connect.
bool SaveConnectionSettings(AppContext& app, const QString& server, const QString& login,
                            const QString& password);

// The shop selection screen.
// Shops no till has taken yet and this till's own, in the server's order; a notice when there
// are none.
QList<ShopChoice> UnregisteredShops(AppContext& app);
// Asks to confirm the shop and its store; on Yes marks the shop taken by this till on the
// server, then stores it in the settings file (giving it back when the file cannot be
// written). False when nothing was chosen, the person said No, another till has the shop, or
// the settings could not be written.
bool ConfirmShop(AppContext& app, const QString& shop_no);
// The shop selection of an unregistered till: the list of free shops until the person
// confirms one (true) or leaves the list (false). An error on the way is shown and the list
// comes back.
bool ChooseShop(AppContext& app);

}  // namespace quilmo
