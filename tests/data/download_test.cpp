#include "data/download.h"

#include <QCoreApplication>
#include <QDir>
#include <QSqlQuery>

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
  int Count(const char* table) {
    return dm.conClient.Scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table)))
        .toInt();
  }
};

TEST_F(DownloadTest, FullDownloadCopiesEverythingAndSetsEachCounterToTheServerMaximum) {
  Local(QStringLiteral(
      "INSERT INTO GoodsTemp VALUES ('OLD'); INSERT INTO JBGoods (GoodsNo) VALUES ('GONE')"));
  DownloadMasterData(dm, kFullDownload, /*with_promotions=*/true);

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

TEST_F(DownloadTest, IncrementalAfterIncrementalFetchesOnlyTheRowsAtTheHighestCounter) {
  DownloadMasterData(dm, kIncrementalDownload, true);
  EXPECT_EQ(Count("JBGoods"), 2);
  EXPECT_EQ(Counter("JBGoods"), 7);
  // Mark every local row: a row fetched again gets the server's name back.
  Local(QStringLiteral(
      "UPDATE JBGoods SET GoodsName = 'local'; UPDATE JBStore SET StoreName = 'local';"
      "UPDATE QTCashier SET CashierName = 'local'"));
  DownloadMasterData(dm, kIncrementalDownload, true);
  EXPECT_EQ(Rows(QStringLiteral("SELECT GoodsNo, GoodsName FROM JBGoods")),
            (QStringList{QStringLiteral("G1|local"), QStringLiteral("G2|衬衫乙")}));
  EXPECT_EQ(Rows(QStringLiteral("SELECT StoreNo, StoreName FROM JBStore")),
            (QStringList{QStringLiteral("S1|local"), QStringLiteral("S2|二号仓")}));
  EXPECT_EQ(Rows(QStringLiteral("SELECT GoodsNo FROM GoodsTemp")),
            QStringList{QStringLiteral("G2")});
  EXPECT_EQ(Counter("JBGoods"), 7);
  EXPECT_EQ(Counter("QTCashier"), 4);
  EXPECT_TRUE(ui.messages().empty());
}

TEST_F(DownloadTest, AChangedGoodsBringsItsBarcodesAndGroupsAndUnchangedGoodsKeepTheirs) {
  DownloadMasterData(dm, kIncrementalDownload, true);
  // G2 moves to the blue colour group and the second size group, gains a barcode and loses
  // one; G1's barcode changes on the server without G1 being counted as changed.
  Server(QStringLiteral(
      "UPDATE JBGoods SET CGroupNo = 'CG2', SGroupNo = 'SG2', DownlogNo = 8 WHERE GoodsNo = 'G2';"
      "DELETE FROM JBClothBarCode WHERE BarCode = 'B21';"
      "INSERT INTO JBClothBarCode VALUES ('B22', 'G2', 'C2', 'Z2');"
      "UPDATE JBClothBarCode SET ColorNo = 'C2' WHERE BarCode = 'B11';"));
  DownloadMasterData(dm, kIncrementalDownload, true);
  EXPECT_EQ(Rows(QStringLiteral("SELECT BarCode, GoodsNo, ColorNo FROM JBClothBarCode")),
            (QStringList{QStringLiteral("B11|G1|C1"), QStringLiteral("B12|G1|C1"),
                         QStringLiteral("B22|G2|C2")}));
  EXPECT_EQ(Rows(QStringLiteral("SELECT CGroupNo, ColorNo FROM JBCGroupDetail")),
            QStringList{QStringLiteral("CG2|C2")});
  EXPECT_EQ(Rows(QStringLiteral("SELECT SGroupNo, SizeNo FROM JBSGroupDetail")),
            QStringList{QStringLiteral("SG2|Z2")});
  EXPECT_EQ(Rows(QStringLiteral("SELECT GoodsNo, CGroupNo FROM JBGoods")),
            (QStringList{QStringLiteral("G1|CG1"), QStringLiteral("G2|CG2")}));
  EXPECT_EQ(Counter("JBGoods"), 8);
  EXPECT_TRUE(ui.messages().empty());
}

TEST_F(DownloadTest, AFailingGoodsInsertKeepsThePreviousGoodsAndTheDownloadGoesOn) {
  DownloadMasterData(dm, kIncrementalDownload, true);
  // The till's file refuses one goods row; the shop table behind it changed as well.
  Local(
      QStringLiteral("CREATE TRIGGER refuse_g2 BEFORE INSERT ON JBGoods WHEN NEW.GoodsName = 'bad' "
                     "BEGIN SELECT RAISE(ABORT, 'goods G2 refused'); END"));
  Server(
      QStringLiteral("UPDATE JBGoods SET GoodsName = 'bad', DownlogNo = 9 WHERE GoodsNo = 'G2';"
                     "UPDATE JBGoods SET GoodsName = '新名', DownlogNo = 9 WHERE GoodsNo = 'G1';"
                     "UPDATE QTShop SET ShopName = '新店名', DownlogNo = 2;"));
  DownloadMasterData(dm, kIncrementalDownload, true);

  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_EQ(ui.messages()[0].caption, QString());
  EXPECT_EQ(ui.messages()[0].icon, MsgIcon::Error);
  EXPECT_TRUE(ui.messages()[0].text.startsWith(QStringLiteral("下载表JBGoods出错！！原因：")));
  EXPECT_TRUE(ui.messages()[0].text.contains(QStringLiteral("goods G2 refused")));
  // Both goods as they were: the deletes went back with the failed inserts.
  EXPECT_EQ(Rows(QStringLiteral("SELECT GoodsNo, GoodsName FROM JBGoods")),
            (QStringList{QStringLiteral("G1|衬衫甲"), QStringLiteral("G2|衬衫乙")}));
  EXPECT_EQ(Counter("JBGoods"), 7);  // fetched again next time
  EXPECT_EQ(Rows(QStringLiteral("SELECT ShopName FROM QTShop")),
            QStringList{QStringLiteral("新店名")});
  EXPECT_EQ(Counter("QTShop"), 2);

  dm.conClient.Exec(QStringLiteral("DROP TRIGGER refuse_g2"));
  ui.clear();
  DownloadMasterData(dm, kIncrementalDownload, true);
  EXPECT_TRUE(ui.messages().empty());
  EXPECT_EQ(Rows(QStringLiteral("SELECT GoodsNo, GoodsName FROM JBGoods")),
            (QStringList{QStringLiteral("G1|新名"), QStringLiteral("G2|bad")}));
  EXPECT_EQ(Counter("JBGoods"), 9);
}

TEST_F(DownloadTest, PromotionTablesAreReplacedOnlyWhenAsked) {
  Local(
      QStringLiteral("INSERT INTO QTCXOrder (ORderNo) VALUES ('LOCAL');"
                     "INSERT INTO QTCXOrderDetail (OrderNo, GoodsNo) VALUES ('LOCAL', 'G9')"));
  DownloadMasterData(dm, kIncrementalDownload, /*with_promotions=*/false);
  EXPECT_EQ(Rows(QStringLiteral("SELECT ORderNo FROM QTCXOrder")),
            QStringList{QStringLiteral("LOCAL")});
  DownloadMasterData(dm, kIncrementalDownload, /*with_promotions=*/true);
  EXPECT_EQ(Rows(QStringLiteral("SELECT ORderNo FROM QTCXOrder")),
            QStringList{QStringLiteral("X1")});
  EXPECT_EQ(Rows(QStringLiteral("SELECT OrderNo, GoodsNo FROM QTCXOrderDetail")),
            QStringList{QStringLiteral("X1|G1")});
}

TEST_F(DownloadTest, AnErrorOutsideTheGuardedStepsEndsTheDownload) {
  Server(QStringLiteral("DROP TABLE JBColor"));
  EXPECT_THROW(DownloadMasterData(dm, kIncrementalDownload, true), DbError);
  EXPECT_EQ(Count("JBGoods"), 0);  // comes after JBColor
  EXPECT_EQ(Count("JBStore"), 2);
  EXPECT_FALSE(ui.progressOpen());
}

TEST_F(DownloadTest, TheThreadDownloadsOnItsOwnConnectionsAndClearsTheFlagHoweverItEnds) {
  QTThread* thread = QTThread::Start(dm);
  EXPECT_TRUE(session.DownloadRunning);
  ASSERT_TRUE(thread->wait(60000));
  EXPECT_FALSE(session.DownloadRunning);
  EXPECT_EQ(Count("JBGoods"), 2);
  EXPECT_EQ(Count("QTCXOrder"), 1);
  EXPECT_TRUE(ui.progressTexts().isEmpty());  // no window of its own
  EXPECT_TRUE(ui.messages().empty());

  Server(QStringLiteral("DROP TABLE JBColor"));
  thread = QTThread::Start(dm);
  ASSERT_TRUE(thread->wait(60000));
  EXPECT_FALSE(session.DownloadRunning);
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_TRUE(ui.messages()[0].text.startsWith(QStringLiteral("线程下载表'出错！！原因：")))
      << ui.messages()[0].text.toStdString();
  EXPECT_TRUE(ui.messages()[0].text.contains(QStringLiteral("jbcolor")));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(DownloadTest, ClearLocalDataEmptiesTheTablesAndResetsTheSettingsFile) {
  DownloadMasterData(dm, kFullDownload, true);
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

  ASSERT_TRUE(ClearLocalData(dm));
  for (const char* table : {"JBGoods", "JBClothBarCode", "JBCGroup", "QTShop", "QTCashier",
                            "QTCashierRight", "QTCXOrder", "QTSaleOrder", "QTSysSet", "JBStore"}) {
    EXPECT_EQ(Count(table), 0) << table;
  }
  EXPECT_EQ(Count("JBOrgan"), 1);
  EXPECT_EQ(Count("QTBill"), bills);
  EXPECT_EQ(dm.conClient.Scalar(QStringLiteral("SELECT MAX(DownLogNo) FROM DownLog")).toInt(), 0);
  for (const Key& k : keys) {
    EXPECT_EQ(ReadIniString(ini, QLatin1String(k.section), QLatin1String(k.key)),
              QString::fromUtf8(k.after))
        << k.section << "/" << k.key;
  }
  EXPECT_TRUE(ui.messages().empty());
}

TEST_F(DownloadTest, AFailedClearChangesNothingAndSaysWhy) {
  DownloadMasterData(dm, kFullDownload, true);
  WriteIniString(session.IniFile, QStringLiteral("SysSet"), QStringLiteral("ShopNo"),
                 QStringLiteral("01"));
  Local(
      QStringLiteral("CREATE TRIGGER keep_shop BEFORE DELETE ON QTShop "
                     "BEGIN SELECT RAISE(ABORT, 'shop is kept'); END"));
  EXPECT_FALSE(ClearLocalData(dm));
  EXPECT_EQ(ui.last(), QStringLiteral("|清空数据错误，错误原因：shop is kept"));
  EXPECT_EQ(ui.messages().back().icon, MsgIcon::Information);
  EXPECT_EQ(Count("JBGoods"), 2);
  EXPECT_EQ(Counter("JBGoods"), 7);
  EXPECT_EQ(ReadIniString(session.IniFile, QStringLiteral("SysSet"), QStringLiteral("ShopNo")),
            QStringLiteral("01"));
}

}  // namespace
}  // namespace quilmo
