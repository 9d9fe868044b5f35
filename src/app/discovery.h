#pragma once

#include <QByteArray>
#include <QString>
#include <stdexcept>

#include "base/error.h"

namespace quilmo {

// Server discovery or the alias directory failed. Start-up ends with it; switching modes
// reports it after "原因：".
class ConnectError : public Error {
 public:
  using Error::Error;
};

// The discovery file: where the alias directory lives and how to log in to it.
struct DiscoveryInfo {
  QString ip;        // directory server
  QString ip2;       // its second address, for aliases marked at both ends
  QString dbname;    // directory database
  QString sa;        // login for the directory and for the accounts it lists
  QString password;  // that login's password
};

// Reads the discovery document: a root element of any name whose children ip, ip2, dbname,
// sa and password hold text. Throws ConnectError when it is not well-formed XML.
DiscoveryInfo ParseDiscoveryFile(const QByteArray& xml);

// The address of the discovery file on the configured web server ("host[:port]" or a URL).
QString DiscoveryUrl(const QString& web_server);

// Fetches and parses the discovery file over HTTP. Waits at most timeout_ms; the window
// keeps repainting meanwhile but takes no keys or clicks. Throws ConnectError on any failure.
DiscoveryInfo FetchDiscoveryFile(const QString& web_server, int timeout_ms = 15000);

}  // namespace quilmo
