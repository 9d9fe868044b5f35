#include "app/discovery.h"

#include <gtest/gtest.h>

#include "support/http_server.h"
#include "support/qt_printers.h"

namespace quilmo {
namespace {

TEST(DiscoveryTest, ReadsTheFiveElementsUnderAnyRoot) {
  const DiscoveryInfo info = ParseDiscoveryFile(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<servers><ip>10.0.0.1:5432</ip><ip2>db2.example:6543</ip2>"
      "<dbname>tarvix</dbname><sa>dir</sa><password> p&amp;w </password><other>x</other>"
      "</servers>");
  EXPECT_EQ(info.ip, QStringLiteral("10.0.0.1:5432"));
  EXPECT_EQ(info.ip2, QStringLiteral("db2.example:6543"));
  EXPECT_EQ(info.dbname, QStringLiteral("tarvix"));
  EXPECT_EQ(info.sa, QStringLiteral("dir"));
  EXPECT_EQ(info.password, QStringLiteral("p&w"));
}

TEST(DiscoveryTest, BrokenOrEmptyDocumentsThrow) {
  for (const QByteArray& xml :
       {QByteArray("<a><ip>1</a>"), QByteArray(""), QByteArray("not xml at all")}) {
    EXPECT_THROW(ParseDiscoveryFile(xml), ConnectError) << xml.constData();
  }
}

TEST(DiscoveryTest, UrlTakesAHostOrAWholeAddress) {
  EXPECT_EQ(DiscoveryUrl(QStringLiteral("127.0.0.1:8080")),
            QStringLiteral("http://127.0.0.1:8080/UploadFile/db.xml"));
  EXPECT_EQ(DiscoveryUrl(QStringLiteral("http://web.example/")),
            QStringLiteral("http://web.example/UploadFile/db.xml"));
}

TEST(DiscoveryTest, FetchesOverHttp) {
  test::TinyHttpServer web(QStringLiteral("/UploadFile/db.xml"),
                           "<r><ip>a</ip><dbname>tarvix</dbname></r>");
  const DiscoveryInfo info = FetchDiscoveryFile(web.address());
  EXPECT_EQ(info.ip, QStringLiteral("a"));
  EXPECT_EQ(info.dbname, QStringLiteral("tarvix"));
  EXPECT_EQ(web.requests(), 1);
}

TEST(DiscoveryTest, FetchFailuresThrowWithTheReason) {
  test::TinyHttpServer missing(QStringLiteral("/elsewhere.xml"), "<r/>");
  test::TinyHttpServer broken(QStringLiteral("/UploadFile/db.xml"), "<r><ip>");
  test::TinyHttpServer silent(QStringLiteral("/UploadFile/db.xml"), "<r/>");
  silent.SetSilent(true);
  struct Case {
    const char* name;
    QString server;
    int timeout_ms;
  };
  for (const Case& c :
       {Case{"404", missing.address(), 5000}, Case{"not XML", broken.address(), 5000},
        Case{"no answer", silent.address(), 300},
        Case{"nobody listening", QStringLiteral("127.0.0.1:1"), 5000},
        Case{"not configured", QString(), 5000}}) {
    try {
      FetchDiscoveryFile(c.server, c.timeout_ms);
      ADD_FAILURE() << c.name << ": no error";
    } catch (const ConnectError& e) {
      EXPECT_FALSE(e.message().isEmpty()) << c.name;
    }
  }
}

}  // namespace
}  // namespace quilmo
