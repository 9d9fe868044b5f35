#include "data/bulk_copy.h"

#include "support/data_fixture.h"
#include "support/qt_printers.h"

namespace quilmo {
namespace {

class LocalTableReloadTest : public test::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    if (HasFatalFailure()) return;
    dm.conClient.Exec(
        QStringLiteral("INSERT INTO JBGoods (GoodsNo, GoodsCode, GoodsName) VALUES "
                       "('OLD1', 'OLDCODE', '旧款衬衫')"));
    dm.conServer.Exec(
        QStringLiteral("INSERT INTO JBGoods (GoodsNo, GoodsCode, GoodsName) VALUES "
                       "('N1', 'NEWCODE', '新款式夹克'), ('N2', 'NEW2', '新款式长裤')"));
    schema_before_ = LocalSchemaObjects();
  }
  QStringList LocalSchemaObjects() {
    QSqlQuery q = dm.conClient.Query(QStringLiteral(
        "SELECT type || ' ' || name FROM sqlite_master WHERE tbl_name = 'JBGoods' ORDER BY 1"));
    QStringList out;
    while (q.next()) out << q.value(0).toString();
    return out;
  }
  // What the goods fragment search's index finds for a text (three characters at least).
  QStringList Found(const QString& text) {
    QSqlQuery q = dm.conClient.Query(
        QStringLiteral("SELECT g.GoodsNo FROM JBGoods g WHERE g.rowid IN "
                       "(SELECT rowid FROM JBGoodsFind WHERE JBGoodsFind MATCH :t) ORDER BY 1"),
        {{QStringLiteral(":t"), QLatin1Char('"') + text + QLatin1Char('"')}});
    QStringList out;
    while (q.next()) out << q.value(0).toString();
    return out;
  }
  QStringList schema_before_;
};

TEST_F(LocalTableReloadTest, ReloadedTableKeepsItsIndexesTriggersAndSearchIndex) {
  ASSERT_EQ(Found(QStringLiteral("旧款衬")), QStringList{QStringLiteral("OLD1")});
  {
    Transaction tx(dm.conClient);
    LocalTableReload reload(dm.conClient, QStringLiteral("JBGoods"));
    CopyServerRowsToLocal(dm.conServer, QStringLiteral("SELECT * FROM JBGoods"), {}, dm.conClient,
                          QStringLiteral("JBGoods"));
    reload.Finish();
    tx.Commit();
  }
  EXPECT_EQ(LocalSchemaObjects(), schema_before_);
  EXPECT_TRUE(Found(QStringLiteral("旧款衬")).isEmpty());
  EXPECT_EQ(Found(QStringLiteral("新款式")),
            (QStringList{QStringLiteral("N1"), QStringLiteral("N2")}));
  // The triggers are back: a row written later is found too.
  dm.conClient.Exec(
      QStringLiteral("INSERT INTO JBGoods (GoodsNo, GoodsCode, GoodsName) VALUES "
                     "('N3', 'NEW3', '新款式围巾')"));
  EXPECT_EQ(Found(QStringLiteral("式围巾")), QStringList{QStringLiteral("N3")});
}

TEST_F(LocalTableReloadTest, FailedReloadLeavesTableAndIndexesAsTheyWere) {
  // The second row with the code NEWCODE breaks a unique index of the local table halfway.
  dm.conServer.Exec(
      QStringLiteral("INSERT INTO JBGoods (GoodsNo, GoodsCode) VALUES ('N9', 'NEWCODE')"));
  dm.conClient.Exec(QStringLiteral("CREATE UNIQUE INDEX JBGoods_code_once ON JBGoods(GoodsCode)"));
  schema_before_ = LocalSchemaObjects();
  try {
    Transaction tx(dm.conClient);
    LocalTableReload reload(dm.conClient, QStringLiteral("JBGoods"));
    CopyServerRowsToLocal(dm.conServer, QStringLiteral("SELECT * FROM JBGoods"), {}, dm.conClient,
                          QStringLiteral("JBGoods"));
    reload.Finish();
    tx.Commit();
    FAIL() << "the duplicate code was accepted";
  } catch (const DbError&) {
  }
  EXPECT_EQ(LocalSchemaObjects(), schema_before_);
  EXPECT_EQ(dm.conClient.Scalar(QStringLiteral("SELECT GoodsNo FROM JBGoods")).toString(),
            QStringLiteral("OLD1"));
  EXPECT_EQ(Found(QStringLiteral("旧款衬")), QStringList{QStringLiteral("OLD1")});
}

}  // namespace
}  // namespace quilmo
