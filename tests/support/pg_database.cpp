#include "support/pg_database.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <stdexcept>

#include "data/connection.h"
#include "support/pg_template.h"

namespace quilmo::test {
namespace {

// The template's name carries a hash of what built it, so a changed schema gets a new
// template even on a long-lived development cluster.
QString TemplateName() {
  static const QString name =
      QStringLiteral("quilmo_tpl_") +
      QString::fromLatin1(QCryptographicHash::hash(TemplateFingerprint(), QCryptographicHash::Sha1)
                              .toHex()
                              .left(16));
  return name;
}

// A connection of the fixtures' own, under a unique name, for as long as this object lives.
class ScopedPg : public Connection {
 public:
  ScopedPg(const PgAddress& server, const QString& database)
      : Connection(QStringLiteral("fixture_") + QUuid::createUuid().toString(QUuid::WithoutBraces),
                   Engine::Server) {
    QString error;
    if (!OpenServer({server.host, server.port, server.user, server.password}, database, &error)) {
      throw std::runtime_error("cannot connect to the test server: " + error.toStdString());
    }
  }
};

void EnsureTemplate(const PgAddress& server) {
  ScopedPg admin(server, QStringLiteral("postgres"));
  // Many test processes start at once; one builds the template while the others wait.
  admin.Exec(QStringLiteral("SELECT pg_advisory_lock(727001)"));
  try {
    const bool exists =
        admin
            .Scalar(QStringLiteral("SELECT EXISTS (SELECT 1 FROM pg_database WHERE datname = :n "
                                   "AND datistemplate)"),
                    {{QStringLiteral(":n"), TemplateName()}})
            .toBool();
    if (!exists) {
      admin.Exec(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(TemplateName()));
      admin.Exec(QStringLiteral("CREATE DATABASE %1").arg(TemplateName()));
      {
        ScopedPg tmpl(server, TemplateName());
        BuildTemplate(tmpl.db());
      }
      admin.Exec(QStringLiteral("ALTER DATABASE %1 WITH IS_TEMPLATE true").arg(TemplateName()));
    }
  } catch (...) {
    admin.Exec(QStringLiteral("SELECT pg_advisory_unlock(727001)"));
    throw;
  }
  admin.Exec(QStringLiteral("SELECT pg_advisory_unlock(727001)"));
}

}  // namespace

PgAddress PgServer() {
  const QString url = qEnvironmentVariable("QUILMO_PG");
  PgAddress a;
  if (url.isEmpty()) {
    ADD_FAILURE() << "QUILMO_PG is not set: server tests need the PostgreSQL cluster that "
                     "scripts/test.sh starts. Run the tests with scripts/test.sh, or start "
                     "scripts/pg-cluster.sh and export QUILMO_PG=\"$(scripts/pg-cluster.sh url)\".";
    return a;
  }
  for (const QString& part : url.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
    const qsizetype eq = part.indexOf(QLatin1Char('='));
    if (eq < 0) continue;
    const QString key = part.left(eq);
    const QString value = part.mid(eq + 1);
    if (key == QStringLiteral("host"))
      a.host = value;
    else if (key == QStringLiteral("port"))
      a.port = value.toInt();
    else if (key == QStringLiteral("user"))
      a.user = value;
    else if (key == QStringLiteral("password"))
      a.password = value;
  }
  return a;
}

void PgExec(const PgAddress& server, const QString& database, const QString& sql) {
  ScopedPg(server, database).Exec(sql);
}

void PgDatabaseTest::SetUp() {
  server_ = PgServer();
  if (server_.host.isEmpty()) GTEST_FAIL() << "no test server";
  db_name_ = QStringLiteral("t_%1_%2")
                 .arg(QCoreApplication::applicationPid())
                 .arg(QRandomGenerator::global()->generate() % 1000000);
  try {
    EnsureTemplate(server_);
    PgExec(server_, QStringLiteral("postgres"),
           QStringLiteral("CREATE DATABASE %1 TEMPLATE %2").arg(db_name_, TemplateName()));
  } catch (const std::exception& e) {
    db_name_.clear();
    GTEST_FAIL() << e.what();
  }
}

void PgDatabaseTest::TearDown() {
  if (db_name_.isEmpty()) return;
  try {
    PgExec(server_, QStringLiteral("postgres"),
           QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(db_name_));
  } catch (const std::exception& e) {
    ADD_FAILURE() << e.what();
  }
}

}  // namespace quilmo::test
