#include "support/http_server.h"

#include <QTcpSocket>

namespace quilmo::test {

TinyHttpServer::TinyHttpServer(QString path, QByteArray body)
    : path_(std::move(path)), body_(std::move(body)) {
  server_.listen(QHostAddress::LocalHost, 0);
  QObject::connect(&server_, &QTcpServer::newConnection, this, [this] {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
      socket->setParent(this);
      QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Serve(socket); });
    }
  });
}

QString TinyHttpServer::address() const {
  return QStringLiteral("127.0.0.1:%1").arg(server_.serverPort());
}

void TinyHttpServer::Serve(QTcpSocket* socket) {
  QByteArray request = socket->property("request").toByteArray() + socket->readAll();
  socket->setProperty("request", request);
  if (!request.contains("\r\n\r\n")) return;
  ++requests_;
  if (silent_) return;
  const QList<QByteArray> first = request.left(request.indexOf("\r\n")).split(' ');
  const bool found = first.size() >= 2 && first[0] == "GET" && first[1] == path_.toUtf8();
  const QByteArray body = found ? body_ : QByteArray("not found");
  QByteArray response = found ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 404 Not Found\r\n";
  response += "Content-Type: text/xml\r\nConnection: close\r\nContent-Length: " +
              QByteArray::number(body.size()) + "\r\n\r\n" + body;
  socket->write(response);
  socket->disconnectFromHost();
}

}  // namespace quilmo::test
