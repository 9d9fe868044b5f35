#pragma once

#include <QString>

#include "app/app_context.h"
#include "support/data_fixture.h"

namespace quilmo::test {

// A till with a server to talk to: the account database of DataTest, an account catalogue
// database of its own that lists it (PosFlag 1), and the connection settings of that server
// in the settings file.
class ShellTest : public DataTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // "127.0.0.1:<port>" of the test server.
  QString ServerName() const;
  QString CatalogName() const { return databaseName() + QStringLiteral("_cat"); }
  // Writes ConnectSet/ServerName, DBAName and the scrambled DBAPSW.
  void WriteConnectSettings(const QString& server, const QString& login, const QString& password);
  // A further database on the test server, dropped when the test ends.
  QString CreateDatabase(const QString& suffix, const QString& schema_file);
  // The same with a whole name and several schema files, run in order.
  void CreateDatabaseNamed(const QString& name, const QStringList& schema_files);
  // Runs a statement on the catalogue.
  void CatalogExec(const QString& sql);

  AppContext app{session, dm, ui, clock, HomePath()};

 private:
  QStringList created_;
};

}  // namespace quilmo::test
