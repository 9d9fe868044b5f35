#pragma once

#include <gtest/gtest.h>

#include <QString>

namespace quilmo::test {

// Connection details of the throwaway PostgreSQL cluster that scripts/test.sh starts; it
// exports them in QUILMO_PG as a libpq string ("host=… port=… user=…").
struct PgAddress {
  QString host;
  int port = 5432;
  QString user;
  QString password;
};

// Parses QUILMO_PG. Fails the test (never skips it) when it is missing.
PgAddress PgServer();

// A fresh database for one test, cloned from the run's template database, dropped when the
// fixture ends. The template is built once per test run, by whichever test gets there first.
class PgDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  const PgAddress& server() const { return server_; }
  const QString& databaseName() const { return db_name_; }

 private:
  PgAddress server_;
  QString db_name_;
};

// Runs a statement on a database of the test cluster (maintenance work of fixtures).
void PgExec(const PgAddress& server, const QString& database, const QString& sql);

}  // namespace quilmo::test
