// The stock posting function the till calls after an online sale.
#include "support/data_fixture.h"
#include "support/qt_printers.h"

namespace quilmo {
namespace {

class DaySaleTotalTest : public test::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    if (HasFatalFailure()) return;
    const Connection& s = dm.conServer;
    s.Exec(QStringLiteral("INSERT INTO QTSysSet (SysSetNo, AllowNegativeStock) VALUES ('1', 0)"));
    s.Exec(
        QStringLiteral("INSERT INTO JBGoods (GoodsNo, GoodsCode, GoodsName) VALUES "
                       "('G1', 'A1', '纯棉T恤'), ('G2', 'A2', '牛仔裤')"));
    s.Exec(
        QStringLiteral("INSERT INTO CKCurrStoreCS (StoreNo, GoodsNo, ColorNo, SizeNo, Quantity) "
                       "VALUES ('01', 'G1', 'C1', 'Z1', 5), ('02', 'G1', 'C1', 'Z1', 50)"));
  }
  void Order(const QString& no, std::initializer_list<std::tuple<const char*, double>> lines) {
    dm.conServer.Exec(QStringLiteral("INSERT INTO QTSaleOrder (OrderNo, StoreNo, TotalFlag) "
                                     "VALUES (:no, '01', 0)"),
                      {{QStringLiteral(":no"), no}});
    int serial = 0;
    for (const auto& [goods, qty] : lines) {
      dm.conServer.Exec(
          QStringLiteral("INSERT INTO QTSaleOrderDetail (OrderNo, SerialNo, GoodsNo, "
                         "ColorNo, SizeNo, Quantity) VALUES (:no, :s, :g, 'C1', 'Z1', :q)"),
          {{QStringLiteral(":no"), no},
           {QStringLiteral(":s"), ++serial},
           {QStringLiteral(":g"), QLatin1String(goods)},
           {QStringLiteral(":q"), qty}});
    }
  }
  struct Answer {
    int msg;
    double qty;
    QString goods_name;
  };
  Answer Post(const QString& no) {
    QSqlQuery q = dm.conServer.Query(
        QStringLiteral(
            "SELECT ReturnMsg, ReturnQty, GoodsName FROM P_QTDaySale_Total(:CheckMan, :OrderNo)"),
        {{QStringLiteral(":CheckMan"), QStringLiteral("张三")}, {QStringLiteral(":OrderNo"), no}});
    EXPECT_TRUE(q.next());
    return {q.value(0).toInt(), q.value(1).toDouble(), q.value(2).toString()};
  }
  double Stock(const char* goods, const char* store = "01") {
    return dm.conServer
        .Scalar(QStringLiteral(
                    "SELECT Quantity FROM CKCurrStoreCS WHERE StoreNo = :st AND GoodsNo = :g"),
                {{QStringLiteral(":st"), QLatin1String(store)},
                 {QStringLiteral(":g"), QLatin1String(goods)}})
        .toDouble();
  }
  int TotalFlag(const QString& no) {
    return dm.conServer
        .Scalar(QStringLiteral("SELECT TotalFlag FROM QTSaleOrder WHERE OrderNo = :no"),
                {{QStringLiteral(":no"), no}})
        .toInt();
  }
};

TEST_F(DaySaleTotalTest, BooksSalesAndReturnsOffTheOrdersStoreOnce) {
  Order(QStringLiteral("XS1"), {{"G1", 2}, {"G2", -1}});
  const Answer a = Post(QStringLiteral("XS1"));
  EXPECT_EQ(a.msg, 0);
  EXPECT_DOUBLE_EQ(Stock("G1"), 3);
  EXPECT_DOUBLE_EQ(Stock("G2"), 1);  // a returned piece comes back into stock
  EXPECT_DOUBLE_EQ(Stock("G1", "02"), 50);
  EXPECT_EQ(TotalFlag(QStringLiteral("XS1")), 1);
  // Posting the same order again books nothing twice.
  EXPECT_EQ(Post(QStringLiteral("XS1")).msg, 0);
  EXPECT_DOUBLE_EQ(Stock("G1"), 3);
}

TEST_F(DaySaleTotalTest, VetoNamesTheGoodsAndBooksNothing) {
  Order(QStringLiteral("XS2"), {{"G2", -3}, {"G1", 6}});
  const Answer a = Post(QStringLiteral("XS2"));
  EXPECT_EQ(a.msg, 1);
  EXPECT_DOUBLE_EQ(a.qty, 5);
  EXPECT_EQ(a.goods_name, QStringLiteral("纯棉T恤"));
  EXPECT_DOUBLE_EQ(Stock("G1"), 5);
  EXPECT_EQ(
      dm.conServer.Scalar(QStringLiteral("SELECT COUNT(*) FROM CKCurrStoreCS WHERE GoodsNo = 'G2'"))
          .toInt(),
      0);
  EXPECT_EQ(TotalFlag(QStringLiteral("XS2")), 0);
}

TEST_F(DaySaleTotalTest, NegativeStockWhenTheAccountAllowsIt) {
  dm.conServer.Exec(QStringLiteral("UPDATE QTSysSet SET AllowNegativeStock = 1"));
  Order(QStringLiteral("XS3"), {{"G1", 6}});
  EXPECT_EQ(Post(QStringLiteral("XS3")).msg, 0);
  EXPECT_DOUBLE_EQ(Stock("G1"), -1);
}

}  // namespace
}  // namespace quilmo
