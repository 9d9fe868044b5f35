#pragma once

#include <QByteArray>
#include <QString>
#include <QTcpServer>

namespace quilmo::test {

// A one-file web server on 127.0.0.1 for the discovery tests. It answers GET of one path with
// the given body (404 for anything else) and counts the requests. It runs on the test's own
// thread: the code under test spins an event loop while it waits, which serves it.
class TinyHttpServer : public QObject {
 public:
  TinyHttpServer(QString path, QByteArray body);
  // "127.0.0.1:port"
  QString address() const;
  int requests() const { return requests_; }
  void SetBody(QByteArray body) { body_ = std::move(body); }
  // Accepts connections but never answers, like a hung web server.
  void SetSilent(bool silent) { silent_ = silent; }

 private:
  void Serve(QTcpSocket* socket);

  QTcpServer server_;
  QString path_;
  QByteArray body_;
  int requests_ = 0;
  bool silent_ = false;
};

}  // namespace quilmo::test
