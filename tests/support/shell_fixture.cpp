#include "support/shell_fixture.h"

#include "base/ini_file.h"
#include "base/password_scramble.h"
#include "data/schema.h"

namespace quilmo::test {

void ShellTest::SetUp() {
  DataTest::SetUp();
  if (HasFatalFailure()) return;
  app.catalog_database = CreateDatabase(QStringLiteral("_cat"), QStringLiteral("msdb.sql"));
  CatalogExec(QStringLiteral("INSERT INTO AccountInfo (AccountNo, DBName, PosFlag) "
                             "VALUES ('1', '%1', 1)")
                  .arg(databaseName()));
  WriteConnectSettings(ServerName(), server().user, server().password);
}

void ShellTest::TearDown() {
  dm.conServer.Close();
  for (const QString& name : created_) {
    try {
      PgExec(server(), QStringLiteral("postgres"),
             QStringLiteral("DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)").arg(name));
    } catch (const std::exception& e) {
      ADD_FAILURE() << e.what();
    }
  }
  DataTest::TearDown();
}

QString ShellTest::ServerName() const {
  return QStringLiteral("%1:%2").arg(server().host).arg(server().port);
}

void ShellTest::WriteConnectSettings(const QString& server_name, const QString& login,
                                     const QString& password) {
  const QString ini = app.IniPath();
  ASSERT_TRUE(
      WriteIniString(ini, QStringLiteral("ConnectSet"), QStringLiteral("ServerName"), server_name));
  ASSERT_TRUE(WriteIniString(ini, QStringLiteral("ConnectSet"), QStringLiteral("DBAName"), login));
  ASSERT_TRUE(WriteIniString(ini, QStringLiteral("ConnectSet"), QStringLiteral("DBAPSW"),
                             ScramblePassword(password)));
}

QString ShellTest::CreateDatabase(const QString& suffix, const QString& schema_file) {
  const QString name = databaseName() + suffix;
  CreateDatabaseNamed(name, {schema_file});
  return name;
}

void ShellTest::CreateDatabaseNamed(const QString& name, const QStringList& schema_files) {
  // Quoted, as quilmo-admin creates them: the name keeps its case.
  PgExec(server(), QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE \"%1\"").arg(name));
  created_ << name;
  for (const QString& file : schema_files) PgExec(server(), name, SchemaText(file));
}

void ShellTest::CatalogExec(const QString& sql) { PgExec(server(), CatalogName(), sql); }

}  // namespace quilmo::test
