#include "data/download.h"

#include <QCoreApplication>
#include <QDir>
#include <QSqlQuery>
#include <QThread>

#include "base/ini_file.h"
#include "support/data_fixture.h"
#include "support/qt_printers.h"

namespace quilmo {
namespace {

// A small back office: two stores, two goods with barcodes and colour/size groups, a shop,
// a cashier, a card, a promotion, and the whole-table rows.
class DownloadTest : public test::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    if (HasFatalFailure()) return;
    Server(QStringLiteral(
        "INSERT INTO JBStore (StoreNo, StoreName, DownlogNo) VALUES ('S1', '一号仓', 1), ('S2', "
        "'二号仓', 2);"
        "INSERT INTO JBEmployee (EmployeeNo, EmployeeName, DownlogNo) VALUES ('E1', '导购', 1);"
        "INSERT INTO JBGoodsType (GoodsTypeNo, GoodsTypeName) VALUES ('T1', '衬衫');"
        "INSERT INTO JBColor (ColorNo, ColorName) VALUES ('C1', '红'), ('C2', '蓝');"
        "INSERT INTO JBSize (SizeNo, SizeName) VALUES ('Z1', 'M'), ('Z2', 'L');"
        "INSERT INTO JBCGroup (CGroupNo, CGroupName) VALUES ('CG1', '红组'), ('CG2', '蓝组');"
        "INSERT INTO JBCGroupDetail (CGroupNo, ColorNo) VALUES ('CG1', 'C1'), ('CG2', 'C2');"
        "INSERT INTO JBSGroup (SGroupNo, SGroupName) VALUES ('SG1', '上装'), ('SG2', '下装');"
        "INSERT INTO JBSGroupDetail (SGroupNo, SizeNo) VALUES ('SG1', 'Z1'), ('SG1', 'Z2'), "
        "('SG2', 'Z2');"
        "INSERT INTO JBGoods (GoodsNo, GoodsCode, GoodsName, CGroupNo, SGroupNo, DownlogNo) VALUES "
        "  ('G1', 'A001', '衬衫甲', 'CG1', 'SG1', 5), ('G2', 'A002', '衬衫乙', 'CG1', 'SG1', 7);"
        "INSERT INTO JBClothBarCode (BarCode, GoodsNo, ColorNo, SizeNo) VALUES "
        "  ('B11', 'G1', 'C1', 'Z1'), ('B12', 'G1', 'C1', 'Z2'), ('B21', 'G2', 'C1', 'Z1');"
        "INSERT INTO QTShop (ShopNo, ShopName, StoreNo, DownlogNo) VALUES ('01', '东门店', 'S1', "
        "1);"
        "INSERT INTO QTShopTem (ShopTemNo, ShopNo, DownlogNo) VALUES ('T1', '01', 1);"
        "INSERT INTO QTCards (CardNo, CardsCode, DownLogNo) VALUES ('K1', '8001', 3);"
        "INSERT INTO QTCashier (CashierNo, CashierCode, ShopNo, DownlogNo) VALUES ('C1', '001', "
        "'01', 4);"
        "INSERT INTO QTCashierRight (CashierNo, RightID) VALUES ('C1', 3);"
        "INSERT INTO QTCardDiscount (IntegralNo, DownAmount, UpAmount, Discount) VALUES ('I1', 0, "
        "100, 95);"
        "INSERT INTO QTSysSet (SysSetNo) VALUES ('1');"
        "INSERT INTO JBOrgan (OrganNo, FirstLen, LastLen) VALUES ('O1', 1, 2);"
        "INSERT INTO QTCXOrder (ORderNo, CXFlag) VALUES ('X1', 1);"
        "INSERT INTO QTCXOrderDetail (OrderNo, GoodsNo, SPrice) VALUES ('X1', 'G1', 50);"));
  }
  void Server(const QString& sql) { dm.conServer.RunScript(sql); }
  void Local(const QString& sql) { dm.conClient.RunScript(sql); }
  int Counter(const char* table) {
    return dm.conClient
        .Scalar(QStringLiteral("SELECT DownLogNo FROM DownLog WHERE DownTable = '%1'")
                    .arg(QLatin1String(table)))
        .toInt();
  }
  // The rows of a local table as "a|b|c" lines, sorted.
  QStringList Rows(const QString& sql) {
    QSqlQuery q = dm.conClient.Query(sql);
    QStringList rows;
    while (q.next()) {
      QStringList cells;
      for (int i = 0; i < q.record().count(); ++i) cells << q.value(i).toString();
      rows << cells.join(QLatin1Char('|'));
    }
    rows.sort();
    return rows;
  }
  // A second session on the account database: the back office at work beside the till.
  Connection& BackOffice() {
    if (!back_office_.isOpen()) {
      QString error;
      EXPECT_TRUE(back_office_.OpenServer(
          {server().host, server().port, server().user, server().password}, databaseName(), &error))
          << error.toStdString();
    }
    return back_office_;
  }
  void TearDown() override {
    back_office_.Close();
    DataTest::TearDown();
  }
  DownloadResult Download(int kind, bool with_promotions = true) {
    return DownloadMasterData(dm, kind, with_promotions);
  }
  // The download's horizon is the server's: a transaction of another test running on the same
  // cluster holds it back, and the next download then fetches a row again (harmless, but not
  // what a test of "nothing fetched twice" may see). Waits, for a few seconds at most, until
  // no transaction but this test's own back-office one is open.
  DownloadResult QuietDownload(int kind) {
    const QString own =
        back_office_.isOpen()
            ? back_office_.Scalar(QStringLiteral("SELECT pg_backend_pid()")).toString()
            : QStringLiteral("0");
    for (int i = 0; i < 100; ++i) {
      const int busy =
          dm.conServer
              .Scalar(QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity WHERE "
                                     "(backend_xid IS NOT NULL OR backend_xmin IS NOT NULL) AND "
                                     "pid <> pg_backend_pid() AND pid <> :Own"),
                      {{QStringLiteral(":Own"), own.toInt()}})
              .toInt();
      if (busy == 0) break;
      QThread::msleep(50);
    }
    return Download(kind);
  }
  int Count(const char* table) {
    return dm.conClient.Scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table)))
        .toInt();
  }

 private:
  Connection back_office_{QStringLiteral("download_test_back_office"), Engine::Server};
};

TEST_F(DownloadTest, FullDownloadCopiesEverythingAndSetsEachCounterToTheServerMaximum) {
  Local(QStringLiteral(
      "INSERT INTO GoodsTemp VALUES ('OLD'); INSERT INTO JBGoods (GoodsNo) VALUES ('GONE')"));
  DownloadResult result;
  {
    auto progress =
        ui.ShowProgress(QStringLiteral("正在从服务器下载更新的基本资料,请稍候.........."));
    result = DownloadMasterData(dm, kFullDownload, /*with_promotions=*/true, progress.get());
  }
  EXPECT_TRUE(result.finished);
  EXPECT_TRUE(result.failures.empty());
  EXPECT_TRUE(result.error.isEmpty());

  EXPECT_EQ(Rows(QStringLiteral("SELECT GoodsNo, GoodsName, CGroupNo FROM JBGoods")),
            (QStringList{QStringLiteral("G1|衬衫甲|CG1"), QStringLiteral("G2|衬衫乙|CG1")}));
  EXPECT_EQ(Count("JBClothBarCode"), 3);
  EXPECT_EQ(Count("JBCGroupDetail"), 2);
  EXPECT_EQ(Count("JBSGroupDetail"), 3);
  EXPECT_EQ(Count("QTCXOrderDetail"), 1);
  EXPECT_EQ(Count("GoodsTemp"), 0);
  for (const auto& [table, max] :
       {std::pair{"JBStore", 2}, std::pair{"JBEmployee", 1}, std::pair{"JBGoods", 7},
        std::pair{"QTShop", 1}, std::pair{"QTShopTem", 1}, std::pair{"QTCards", 3},
        std::pair{"QTCashier", 4}}) {
    EXPECT_EQ(Counter(table), max) << table;
  }
  EXPECT_EQ(ui.progressTexts(),
            (QStringList{QStringLiteral("正在从服务器下载更新的基本资料,请稍候.........."),
                         QStringLiteral("正在从服务器下载更新的仓库资料,请稍候.........."),
                         QStringLiteral("正在从服务器下载更新的导购员资料,请稍候.........."),
                         QStringLiteral("正在从服务器下载更新的商品资料,请稍候.........."),
                         QStringLiteral("正在从服务器下载更新的零售店相关资料,请稍候..........")}));
  EXPECT_EQ(ui.progressSteps(), 21);
  EXPECT_EQ(ui.progressLastStep(), 21);
  EXPECT_FALSE(ui.progressOpen());
  EXPECT_TRUE(ui.messages().empty());
}

TEST_F(DownloadTest, TheFirstIncrementalDownloadIntoAnEmptyFileGivesWhatAFullOneGives) {
  // Groups no goods uses come only with a full download: here every group is used.
  Server(
      QStringLiteral("UPDATE JBGoods SET CGroupNo = 'CG2', SGroupNo = 'SG2' WHERE GoodsNo = 'G2'"));
  // The first start of a till: every table empty, filled the fast way.
  ASSERT_TRUE(Download(kIncrementalDownload).finished);
  const QStringList tables = {QStringLiteral("JBStore"),        QStringLiteral("JBGoods"),
                              QStringLiteral("JBClothBarCode"), QStringLiteral("JBCGroupDetail"),
                              QStringLiteral("JBSGroupDetail"), QStringLiteral("QTShop"),
                              QStringLiteral("QTCashier"),      QStringLiteral("QTCards")};
  QMap<QString, QStringList> incremental;
  for (const QString& table : tables) {
    incremental[table] = Rows(QStringLiteral("SELECT * FROM %1").arg(table));
    EXPECT_FALSE(incremental[table].isEmpty()) << table.toStdString();
  }
  EXPECT_EQ(Rows(QStringLiteral("SELECT GoodsNo FROM GoodsTemp")),
            (QStringList{QStringLiteral("G1"), QStringLiteral("G2")}));
  EXPECT_EQ(Counter("JBGoods"), 7);
  // The goods' search index was rebuilt with the table.
  EXPECT_EQ(dm.conClient
                .Scalar(QStringLiteral("SELECT COUNT(*) FROM JBGoodsFind WHERE JBGoodsFind MATCH "
                                       "'\"衬衫乙\"'"))
                .toInt(),
            1);

  ASSERT_TRUE(Download(kFullDownload).finished);
  for (const QString& table : tables) {
    EXPECT_EQ(Rows(QStringLiteral("SELECT * FROM %1").arg(table)), incremental[table])
        << table.toStdString();
  }
}

TEST_F(DownloadTest, NothingChangedFetchesNothingAgainWhateverTheCountersLookLike) {
  // The back office stamps everything with one number, as a bulk import does.
  Server(QStringLiteral("UPDATE JBGoods SET DownlogNo = 7; UPDATE JBStore SET DownlogNo = 2"));
  ASSERT_TRUE(QuietDownload(kIncrementalDownload).finished);
  EXPECT_EQ(Counter("JBGoods"), 7);
  // Mark every local row: a row fetched again gets the server's text back.
  Local(QStringLiteral(
      "UPDATE JBGoods SET GoodsName = 'local'; UPDATE JBStore SET StoreName = 'local';"
      "UPDATE QTCashier SET CashierName = 'local'; UPDATE JBClothBarCode SET ColorNo = 'local'"));
  ASSERT_TRUE(QuietDownload(kIncrementalDownload).finished);
  EXPECT_EQ(Rows(QStringLiteral("SELECT GoodsNo, GoodsName FROM JBGoods")),
            (QStringList{QStringLiteral("G1|local"), QStringLiteral("G2|local")}));
  EXPECT_EQ(Rows(QStringLiteral("SELECT StoreName FROM JBStore")),
            (QStringList{QStringLiteral("local"), QStringLiteral("local")}));
  EXPECT_EQ(Rows(QStringLiteral("SELECT DISTINCT ColorNo FROM JBClothBarCode")),
            QStringList{QStringLiteral("local")});
  EXPECT_EQ(Count("GoodsTemp"), 0);
  EXPECT_EQ(Counter("JBGoods"), 7);
  EXPECT_EQ(Counter("QTCashier"), 4);
}

TEST_F(DownloadTest, ARowChangedLaterUnderTheSameCounterIsFetched) {
  ASSERT_TRUE(QuietDownload(kIncrementalDownload).finished);
  Local(QStringLiteral("UPDATE JBGoods SET GoodsName = 'local'"));

  // A change committed after the last download, stamped with the number it already had.
  Server(
      QStringLiteral("UPDATE JBGoods SET GoodsName = '改名' WHERE GoodsNo = 'G2';"
                     "UPDATE JBClothBarCode SET SizeNo = 'Z2' WHERE BarCode = 'B21'"));
  // And one made by a transaction that began before the next download and commits only
  // after it: that download cannot see it, the one after must still fetch it.
  Connection& other = BackOffice();
  other.Exec(QStringLiteral("BEGIN"));
  other.Exec(
      QStringLiteral("UPDATE JBGoods SET GoodsName = '后改', DownlogNo = 7 WHERE GoodsNo = 'G1'"));

  ASSERT_TRUE(QuietDownload(kIncrementalDownload).finished);
  EXPECT_EQ(Rows(QStringLiteral("SELECT GoodsNo, GoodsName FROM JBGoods")),
            (QStringList{QStringLiteral("G1|local"), QStringLiteral("G2|改名")}));
  EXPECT_EQ(Rows(QStringLiteral("SELECT SizeNo FROM JBClothBarCode WHERE BarCode = 'B21'")),
            QStringList{QStringLiteral("Z2")});

  other.Exec(QStringLiteral("COMMIT"));
  Local(QStringLiteral("UPDATE JBGoods SET GoodsName = 'local' WHERE GoodsNo = 'G2'"));
  ASSERT_TRUE(QuietDownload(kIncrementalDownload).finished);
  EXPECT_EQ(Rows(QStringLiteral("SELECT GoodsNo, GoodsName FROM JBGoods")),
            (QStringList{QStringLiteral("G1|后改"), QStringLiteral("G2|local")}));
  EXPECT_EQ(Counter("JBGoods"), 7);

  // Once fetched, it is not fetched again.
  Local(QStringLiteral("UPDATE JBGoods SET GoodsName = 'local'"));
  ASSERT_TRUE(QuietDownload(kIncrementalDownload).finished);
  EXPECT_EQ(Rows(QStringLiteral("SELECT DISTINCT GoodsName FROM JBGoods")),
            QStringList{QStringLiteral("local")});
}

TEST_F(DownloadTest, AChangedGoodsBringsItsBarcodesAndGroupsAndUnchangedGoodsKeepTheirs) {
  ASSERT_TRUE(Download(kIncrementalDownload).finished);
  // G2 moves to the blue colour group and the second size group, gains a barcode and loses
  // one; G1's barcode changes on the server without G1 being counted as changed. G1 still
  // uses the groups G2 leaves.
  Server(QStringLiteral(
      "UPDATE JBGoods SET CGroupNo = 'CG2', SGroupNo = 'SG2', DownlogNo = 8 WHERE GoodsNo = 'G2';"
      "DELETE FROM JBClothBarCode WHERE BarCode = 'B21';"
      "INSERT INTO JBClothBarCode VALUES ('B22', 'G2', 'C2', 'Z2');"
      "UPDATE JBClothBarCode SET ColorNo = 'C2' WHERE BarCode = 'B11';"));
  const DownloadResult result = Download(kIncrementalDownload);
  EXPECT_TRUE(result.finished);
  EXPECT_TRUE(result.failures.empty());
  EXPECT_EQ(Rows(QStringLiteral("SELECT BarCode, GoodsNo, ColorNo FROM JBClothBarCode")),
            (QStringList{QStringLiteral("B11|G1|C1"), QStringLiteral("B12|G1|C1"),
                         QStringLiteral("B22|G2|C2")}));
  EXPECT_EQ(Rows(QStringLiteral("SELECT CGroupNo, ColorNo FROM JBCGroupDetail")),
            (QStringList{QStringLiteral("CG1|C1"), QStringLiteral("CG2|C2")}));
  EXPECT_EQ(Rows(QStringLiteral("SELECT CGroupNo FROM JBCGroup")),
            (QStringList{QStringLiteral("CG1"), QStringLiteral("CG2")}));
  EXPECT_EQ(
      Rows(QStringLiteral("SELECT SGroupNo, SizeNo FROM JBSGroupDetail")),
      (QStringList{QStringLiteral("SG1|Z1"), QStringLiteral("SG1|Z2"), QStringLiteral("SG2|Z2")}));
  EXPECT_EQ(Rows(QStringLiteral("SELECT GoodsNo, CGroupNo FROM JBGoods")),
            (QStringList{QStringLiteral("G1|CG1"), QStringLiteral("G2|CG2")}));
  EXPECT_EQ(Counter("JBGoods"), 8);

  // When the last goods leaves a group, the group goes.
  Server(QStringLiteral(
      "UPDATE JBGoods SET CGroupNo = 'CG2', SGroupNo = 'SG2', DownlogNo = 9 WHERE GoodsNo = 'G1'"));
  ASSERT_TRUE(Download(kIncrementalDownload).finished);
  EXPECT_EQ(Rows(QStringLiteral("SELECT CGroupNo, ColorNo FROM JBCGroupDetail")),
            QStringList{QStringLiteral("CG2|C2")});
  EXPECT_EQ(Rows(QStringLiteral("SELECT SGroupNo, SizeNo FROM JBSGroupDetail")),
            QStringList{QStringLiteral("SG2|Z2")});
}

TEST_F(DownloadTest, AFailingGoodsInsertKeepsThePreviousGoodsAndTheDownloadGoesOn) {
  ASSERT_TRUE(Download(kIncrementalDownload).finished);
  // The till's file refuses one goods row; the shop table behind it changed as well.
  Local(
      QStringLiteral("CREATE TRIGGER refuse_g2 BEFORE INSERT ON JBGoods WHEN NEW.GoodsName = 'bad' "
                     "BEGIN SELECT RAISE(ABORT, 'goods G2 refused'); END"));
  Server(
      QStringLiteral("UPDATE JBGoods SET GoodsName = 'bad', DownlogNo = 9 WHERE GoodsNo = 'G2';"
                     "UPDATE JBGoods SET GoodsName = '新名', DownlogNo = 9 WHERE GoodsNo = 'G1';"
                     "UPDATE QTShop SET ShopName = '新店名', DownlogNo = 2;"));
  DownloadResult result = Download(kIncrementalDownload);

  EXPECT_TRUE(result.finished);
  ASSERT_EQ(result.failures.size(), 1u);
  EXPECT_EQ(result.failures[0].table, QStringLiteral("JBGoods"));
  EXPECT_TRUE(result.failures[0].reason.contains(QStringLiteral("goods G2 refused")));
  EXPECT_TRUE(TableFailureText(result.failures[0])
                  .startsWith(QStringLiteral("下载表JBGoods出错！！原因：")));
  EXPECT_TRUE(ui.messages().empty());  // the data layer shows nothing itself
  // Both goods as they were: the deletes went back with the failed inserts.
  EXPECT_EQ(Rows(QStringLiteral("SELECT GoodsNo, GoodsName FROM JBGoods")),
            (QStringList{QStringLiteral("G1|衬衫甲"), QStringLiteral("G2|衬衫乙")}));
  EXPECT_EQ(Counter("JBGoods"), 7);  // fetched again next time
  EXPECT_EQ(Rows(QStringLiteral("SELECT ShopName FROM QTShop")),
            QStringList{QStringLiteral("新店名")});
  EXPECT_EQ(Counter("QTShop"), 2);

  dm.conClient.Exec(QStringLiteral("DROP TRIGGER refuse_g2"));
  result = Download(kIncrementalDownload);
  EXPECT_TRUE(result.failures.empty());
  EXPECT_EQ(Rows(QStringLiteral("SELECT GoodsNo, GoodsName FROM JBGoods")),
            (QStringList{QStringLiteral("G1|新名"), QStringLiteral("G2|bad")}));
  EXPECT_EQ(Counter("JBGoods"), 9);
}

TEST_F(DownloadTest, AServerThatDropsMidDownloadIsNamedWithTheDriversReasonOnOneLine) {
  ASSERT_TRUE(Download(kIncrementalDownload).finished);
  Server(QStringLiteral("UPDATE JBGoods SET DownlogNo = 8 WHERE GoodsNo = 'G2'"));
  // The colour groups read as a view that ends the reading session, as a server going down
  // while the goods' groups are fetched.
  Server(
      QStringLiteral("ALTER TABLE JBCGroup RENAME TO JBCGroupData;"
                     "CREATE VIEW JBCGroup AS SELECT d.* FROM JBCGroupData d "
                     "WHERE pg_terminate_backend(pg_backend_pid())"));
  const DownloadResult result = Download(kIncrementalDownload);
  EXPECT_FALSE(result.finished);
  ASSERT_EQ(result.failures.size(), 1u);
  EXPECT_EQ(result.failures[0].table, QStringLiteral("JBCGroup"));
  const QString reason = result.failures[0].reason;
  EXPECT_FALSE(reason.trimmed().isEmpty());
  EXPECT_FALSE(reason.contains(QLatin1Char('\n')) || reason.contains(QLatin1Char('\r')))
      << reason.toStdString();
  EXPECT_TRUE(result.error.isEmpty()) << result.error.toStdString();
  // The tables before it are written, the ones after it untouched.
  EXPECT_EQ(Counter("JBGoods"), 7);
  EXPECT_EQ(Rows(QStringLiteral("SELECT GoodsNo FROM GoodsTemp")),
            QStringList{QStringLiteral("G2")});
}

TEST_F(DownloadTest, PromotionTablesAreReplacedOnlyWhenAsked) {
  Local(
      QStringLiteral("INSERT INTO QTCXOrder (ORderNo) VALUES ('LOCAL');"
                     "INSERT INTO QTCXOrderDetail (OrderNo, GoodsNo) VALUES ('LOCAL', 'G9')"));
  Download(kIncrementalDownload, /*with_promotions=*/false);
  EXPECT_EQ(Rows(QStringLiteral("SELECT ORderNo FROM QTCXOrder")),
            QStringList{QStringLiteral("LOCAL")});
  Download(kIncrementalDownload, /*with_promotions=*/true);
  EXPECT_EQ(Rows(QStringLiteral("SELECT ORderNo FROM QTCXOrder")),
            QStringList{QStringLiteral("X1")});
  EXPECT_EQ(Rows(QStringLiteral("SELECT OrderNo, GoodsNo FROM QTCXOrderDetail")),
            QStringList{QStringLiteral("X1|G1")});
}

TEST_F(DownloadTest, AnErrorOutsideTheGuardedStepsEndsTheDownload) {
  Server(QStringLiteral("DROP TABLE JBColor"));
  const DownloadResult result = Download(kIncrementalDownload);
  EXPECT_FALSE(result.finished);
  EXPECT_TRUE(result.error.contains(QStringLiteral("jbcolor"))) << result.error.toStdString();
  EXPECT_EQ(Count("JBGoods"), 0);  // comes after JBColor
  EXPECT_EQ(Count("JBStore"), 2);
  // The server connection is usable afterwards: the reading transaction was closed.
  EXPECT_EQ(dm.conServer.Scalar(QStringLiteral("SELECT COUNT(*) FROM JBStore")).toInt(), 2);
}

TEST_F(DownloadTest, TheThreadDownloadsOnItsOwnConnectionsAndLeavesItsResult) {
  {
    QTThread thread(dm);
    thread.start();
    ASSERT_TRUE(thread.wait(60000));
    EXPECT_TRUE(thread.result().finished);
    EXPECT_TRUE(thread.result().error.isEmpty());
  }
  EXPECT_EQ(Count("JBGoods"), 2);
  EXPECT_EQ(Count("QTCXOrder"), 1);
  EXPECT_TRUE(ui.progressTexts().isEmpty());  // no window of its own
  EXPECT_TRUE(ui.messages().empty());

  Server(QStringLiteral("DROP TABLE JBColor"));
  QTThread thread(dm);
  thread.start();
  ASSERT_TRUE(thread.wait(60000));
  EXPECT_FALSE(thread.result().finished);
  EXPECT_TRUE(thread.result().error.contains(QStringLiteral("jbcolor")));
  EXPECT_TRUE(ui.messages().empty());
}

TEST_F(DownloadTest, ClearLocalDataEmptiesTheTablesAndResetsTheSettingsFile) {
  Download(kFullDownload);
  const QString ini = session.IniFile;
  struct Key {
    const char* section;
    const char* key;
    const char* before;
    const char* after;
  };
  const Key keys[] = {
      {"ConnectSet", "ServerName", "srv", ""},  {"ConnectSet", "DBAName", "sa", "sa"},
      {"ConnectSet", "DBAPSW", "x", ""},        {"SysSet", "ShopNo", "01", ""},
      {"SysSet", "StoreNo", "S1", ""},          {"SysSet", "OnOverOrderNo", "B1", ""},
      {"SysSet", "OnDate", "2026-01-01", ""},   {"SysSet", "OnOperatorNo", "C1", ""},
      {"SysSet", "OverFlag", "0", "1"},         {"SysSet", "OnverBoxAmount", "12.5", "0"},
      {"HardWareSet", "HavePrinter", "Y", "N"}, {"HardWareSet", "HaveScreen", "Y", "N"},
      {"HardWareSet", "HaveCashBox", "Y", "N"}, {"Options", "Header", "店", "店"}};
  for (const Key& k : keys) {
    WriteIniString(ini, QLatin1String(k.section), QLatin1String(k.key),
                   QString::fromUtf8(k.before));
  }
  Local(QStringLiteral("INSERT INTO QTSaleOrder (OrderNo) VALUES ('unsent')"));
  const int bills = Count("QTBill");
  const QString till = dm.TillId();

  ASSERT_NO_THROW(ClearLocalData(dm));
  for (const char* table : {"JBGoods", "JBClothBarCode", "JBCGroup", "QTShop", "QTCashier",
                            "QTCashierRight", "QTCXOrder", "QTSaleOrder", "QTSysSet", "JBStore"}) {
    EXPECT_EQ(Count(table), 0) << table;
  }
  EXPECT_EQ(Count("JBOrgan"), 1);
  EXPECT_EQ(Count("QTBill"), bills);
  EXPECT_EQ(dm.TillId(), till);  // the till stays the same till
  EXPECT_EQ(dm.conClient.Scalar(QStringLiteral("SELECT MAX(DownLogNo) FROM DownLog")).toInt(), 0);
  for (const Key& k : keys) {
    EXPECT_EQ(ReadIniString(ini, QLatin1String(k.section), QLatin1String(k.key)),
              QString::fromUtf8(k.after))
        << k.section << "/" << k.key;
  }
  EXPECT_TRUE(ui.messages().empty());
}

TEST_F(DownloadTest, AFailedClearChangesNothingAndSaysWhy) {
  Download(kFullDownload);
  WriteIniString(session.IniFile, QStringLiteral("SysSet"), QStringLiteral("ShopNo"),
                 QStringLiteral("01"));
  Local(
      QStringLiteral("CREATE TRIGGER keep_shop BEFORE DELETE ON QTShop "
                     "BEGIN SELECT RAISE(ABORT, 'shop is kept'); END"));
  try {
    ClearLocalData(dm);
    ADD_FAILURE() << "cleared";
  } catch (const DbError& e) {
    EXPECT_EQ(e.message(), QStringLiteral("shop is kept"));
  }
  EXPECT_EQ(Count("JBGoods"), 2);
  EXPECT_EQ(Counter("JBGoods"), 7);
  EXPECT_EQ(ReadIniString(session.IniFile, QStringLiteral("SysSet"), QStringLiteral("ShopNo")),
            QStringLiteral("01"));

  // Nor does a clear while the background download runs.
  dm.conClient.Exec(QStringLiteral("DROP TRIGGER keep_shop"));
  session.DownloadRunning = true;
  EXPECT_THROW(ClearLocalData(dm), Error);
  EXPECT_EQ(Count("JBGoods"), 2);
}

}  // namespace
}  // namespace quilmo
