#include "support/pg_database.h"

#include <QSqlDatabase>
#include <QSqlQuery>

#include "support/qt_printers.h"

namespace quilmo::test {
namespace {

// Two tests write the same table; each must start from the template and see only its rows.
class FreshDatabaseTest : public PgDatabaseTest {
 protected:
  int CountAfterInsert() {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("fresh"));
    db.setHostName(server().host);
    db.setPort(server().port);
    db.setUserName(server().user);
    db.setDatabaseName(databaseName());
    EXPECT_TRUE(db.open());
    int count = -1;
    {
      QSqlQuery q(db);
      EXPECT_TRUE(q.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS probe (n int)")));
      EXPECT_TRUE(q.exec(QStringLiteral("INSERT INTO probe VALUES (1)")));
      EXPECT_TRUE(q.exec(QStringLiteral("SELECT count(*) FROM probe")));
      if (q.next()) count = q.value(0).toInt();
    }
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("fresh"));
    return count;
  }
};

TEST_F(FreshDatabaseTest, FirstTestSeesOnlyItsOwnRow) { EXPECT_EQ(CountAfterInsert(), 1); }
TEST_F(FreshDatabaseTest, SecondTestSeesOnlyItsOwnRow) { EXPECT_EQ(CountAfterInsert(), 1); }

}  // namespace
}  // namespace quilmo::test
