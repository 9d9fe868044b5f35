#include "app/discovery.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <QXmlStreamReader>

namespace quilmo {

DiscoveryInfo ParseDiscoveryFile(const QByteArray& xml) {
  DiscoveryInfo info;
  QXmlStreamReader reader(xml);
  int depth = 0;
  bool saw_root = false;
  while (!reader.atEnd()) {
    switch (reader.readNext()) {
      case QXmlStreamReader::StartElement:
        ++depth;
        if (depth == 1) {
          saw_root = true;
        } else if (depth == 2) {
          const QString name = reader.name().toString().toLower();
          QString* field = name == QStringLiteral("ip")         ? &info.ip
                           : name == QStringLiteral("ip2")      ? &info.ip2
                           : name == QStringLiteral("dbname")   ? &info.dbname
                           : name == QStringLiteral("sa")       ? &info.sa
                           : name == QStringLiteral("password") ? &info.password
                                                                : nullptr;
          const QString text =
              reader.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
          --depth;  // readElementText consumed the end element
          if (field) *field = text;
        }
        break;
      case QXmlStreamReader::EndElement:
        --depth;
        break;
      default:
        break;
    }
  }
  if (reader.hasError()) {
    throw ConnectError(QStringLiteral("服务器配置文件格式错误：%1（第%2行）")
                           .arg(reader.errorString())
                           .arg(reader.lineNumber()));
  }
  if (!saw_root) throw ConnectError(QStringLiteral("服务器配置文件是空的"));
  return info;
}

QString DiscoveryUrl(const QString& web_server) {
  QString base = web_server.trimmed();
  if (!base.contains(QStringLiteral("://"))) base = QStringLiteral("http://") + base;
  while (base.endsWith(QLatin1Char('/'))) base.chop(1);
  return base + QStringLiteral("/UploadFile/db.xml");
}

DiscoveryInfo FetchDiscoveryFile(const QString& web_server, int timeout_ms) {
  if (web_server.trimmed().isEmpty()) {
    throw ConnectError(QStringLiteral(
        "没有设置服务器配置文件所在的网址（QTSet.ini 的 ConnectSet/DiscoveryServer）"));
  }
  const QString url_text = DiscoveryUrl(web_server);
  const QUrl url(url_text);
  if (!url.isValid() || url.host().isEmpty()) {
    throw ConnectError(QStringLiteral("服务器配置文件的网址不正确：%1").arg(url_text));
  }
  QNetworkAccessManager manager;
  QNetworkRequest request(url);
  request.setTransferTimeout(timeout_ms);
  std::unique_ptr<QNetworkReply> reply(manager.get(request));
  QEventLoop loop;
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
  // The transfer timeout covers a silent server; this covers everything else.
  QObject::connect(&guard, &QTimer::timeout, reply.get(), &QNetworkReply::abort);
  guard.start(timeout_ms + 1000);
  if (!reply->isFinished()) loop.exec(QEventLoop::ExcludeUserInputEvents);
  if (reply->error() != QNetworkReply::NoError) {
    throw ConnectError(
        QStringLiteral("无法取得服务器配置文件 %1：%2").arg(url_text, reply->errorString()));
  }
  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  if (status != 0 && status != 200) {
    throw ConnectError(
        QStringLiteral("无法取得服务器配置文件 %1：HTTP %2").arg(url_text).arg(status));
  }
  return ParseDiscoveryFile(reply->readAll());
}

}  // namespace quilmo
