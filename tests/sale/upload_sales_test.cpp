#include "sale/upload_sales.h"

#include "sale/saving_fixture.h"

namespace quilmo {
namespace {

using namespace Qt::StringLiterals;

// Sales saved offline, uploaded online.
class UploadSalesTest : public test::SavingTest {
 protected:
  void SetUp() override {
    SavingTest::SetUp();
    session.IsOnline = false;
  }
  void GoOnline() { session.IsOnline = true; }
};
INSTANTIATE_TEST_SUITE_P(Online, UploadSalesTest, ::testing::Values(true));

TEST_P(UploadSalesTest, NothingToUploadSaysZeroTwiceAndOfflineTheKeyRefuses) {
  UploadSalesKey(dm, ui);
  EXPECT_EQ(ui.last(), u"提示！|上传只能在连网模式下操作！"_s);
  GoOnline();
  const UploadCounts counts = UploadSales(dm, ui);
  EXPECT_EQ(
      ui.progressTexts().front(),
      u"正在上传本地数据到服务器,请稍候.............. \r\n 共：(0)条销售记录,(0)条交接班信息"_s);
  EXPECT_FALSE(ui.progressOpen());
  EXPECT_EQ(counts.sales + counts.shifts, 0);
}

TEST_P(UploadSalesTest, SalesGoUpOnceWithThePointsTheyEarnedAndTheOpenShiftStays) {
  // A card order with two gifts worth 50 and 30 points, and one without a card.
  NewOrder(u"XS0120261210000001"_s, {u"A001"_s, u"A002"_s, u"A003"_s}, u"VIP001"_s);
  for (double price : {50.0, 30.0}) {
    OrderLine gift;
    gift.OrderNo = header.OrderNo;
    gift.SerialNo = lines.size() + 1;
    gift.GoodsNo = u"G3"_s;
    gift.Quantity = 1;
    gift.PriceFlag = 11;
    gift.Memo = u"【礼品】"_s;
    gift.OrigPrice = Money::FromDouble(price);
    OrderLines::SuspendRules keep(lines);
    lines.Append(gift);
  }
  ASSERT_TRUE(Save());
  const double local_points = D(CardRow(u"VIP001"_s, false), "PointTotal");
  EXPECT_DOUBLE_EQ(local_points, 200.0 / 10 - 80);
  NewOrder(u"XS0120261210000002"_s, {u"A001"_s});
  ASSERT_TRUE(Save());
  // The second was already stored by an upload that stopped before its local delete.
  SaveRequest upload;
  upload.on_server = true;
  upload.add_to_shift = false;
  StoreOrder(dm, header, LinesOf(lines), upload);
  // A closed shift record of yesterday; today's shift is open.
  dm.conClient.Exec(
      u"INSERT INTO QTOnOverOrder (OrderNo, OverFlag, OnBoxAmount, OverAmount) "
      "VALUES ('BC0120261209001', 1, 100, 100)"_s);

  // Another card held by the till now changes nothing about what the order earns.
  session.PerJFAmount = 10;
  GoOnline();
  const UploadCounts counts = UploadSales(dm, ui);
  EXPECT_EQ(
      ui.progressTexts().front(),
      u"正在上传本地数据到服务器,请稍候.............. \r\n 共：(2)条销售记录,(1)条交接班信息"_s);
  EXPECT_EQ(counts.sales_uploaded, 1);
  EXPECT_EQ(counts.sales_present, 1);
  EXPECT_EQ(counts.shifts_uploaded, 1);
  EXPECT_EQ(dm.conServer.Scalar(u"SELECT COUNT(*) FROM QTSaleOrder"_s).toInt(), 2);
  EXPECT_EQ(Count(u"QTSaleOrderDetail"_s, u"XS0120261210000001"_s, true), 5);
  const QSqlRecord card = CardRow(u"VIP001"_s, true);
  EXPECT_DOUBLE_EQ(D(card, "PointTotal"), local_points);
  EXPECT_EQ(card.value(u"TotalSaleCount"_s).toInt(), 1);
  EXPECT_EQ(dm.conClient.Scalar(u"SELECT COUNT(*) FROM QTSaleOrder"_s).toInt(), 0);
  EXPECT_EQ(dm.conClient.Scalar(u"SELECT COUNT(*) FROM QTSaleOrderDetail"_s).toInt(), 0);
  // The open shift stays local, with its cash; the closed one went up.
  EXPECT_EQ(dm.conClient.Scalar(u"SELECT OrderNo FROM QTOnOverOrder"_s).toString(),
            session.OnOverOrderNo);
  EXPECT_DOUBLE_EQ(D(ShiftRow(), "SaleAmount"), 300);
  EXPECT_EQ(dm.conServer.Scalar(u"SELECT OnBoxAmount FROM QTOnOverOrder"_s).toDouble(), 100);
  EXPECT_TRUE(ui.texts().isEmpty()) << ui.texts().join(u"|"_s).toStdString();
}

TEST_P(UploadSalesTest, AFailingSaleIsReportedAndStaysWhileTheOthersGoUp) {
  NewOrder(u"XS0120261210000001"_s, {u"A001"_s});
  ASSERT_TRUE(Save());
  NewOrder(u"XS0120261210000002"_s, {u"A002"_s});
  ASSERT_TRUE(Save());
  // The server refuses the first: its goods number is longer than the server allows.
  dm.conClient.Exec(
      u"UPDATE QTSaleOrderDetail SET GoodsNo = :Long WHERE OrderNo = :No"_s,
      {{u":Long"_s, QString(40, QLatin1Char('G'))}, {u":No"_s, u"XS0120261210000001"_s}});
  GoOnline();
  const UploadCounts counts = UploadSales(dm, ui);
  EXPECT_EQ(counts.sales_failed, 1);
  EXPECT_EQ(counts.sales_uploaded, 1);
  EXPECT_EQ(ui.texts().back(), u"上传销售单[XS0120261210000001]失败！"_s);
  EXPECT_TRUE(ui.texts().front().startsWith(u"保存单据错误！原因："_s));
  EXPECT_EQ(dm.conClient.Scalar(u"SELECT OrderNo FROM QTSaleOrder"_s).toString(),
            u"XS0120261210000001"_s);
  EXPECT_EQ(Count(u"QTSaleOrder"_s, u"XS0120261210000001"_s, true), 0);
}

// Two offline sales paid 20 and 25.50 from a card whose balance on the server fell to 30
// meanwhile: both are kept as they were made; the balance gives what it has, down to 0, and
// the 15.50 it could not cover waits in QTCardShortfall for the back office. The till's own
// copy was checked when it sold.
TEST_P(UploadSalesTest, AnOfflineCardSaleTheServerBalanceNoLongerCoversGoesUpWithItsShortfall) {
  Card(u"SV"_s, u"储值卡"_s, 100);
  int n = 0;
  for (const char* paid : {"20", "25.5"}) {
    NewOrder(u"XS012026121000000%1"_s.arg(++n), {u"A001"_s}, u"SV"_s);
    header.CardAmount = M(paid);
    header.CashAmount = header.RealAmount - header.CardAmount;
    ASSERT_TRUE(Save()) << ui.last().toStdString();
  }
  EXPECT_EQ(Money::FromVariant(CardRow(u"SV"_s, false).value(u"Amount"_s)), M("54.5"));
  dm.conServer.Exec(u"UPDATE QTCards SET Amount = 30 WHERE CardsCode = 'SV'"_s);

  GoOnline();
  EXPECT_EQ(UploadSales(dm, ui).sales_uploaded, 2);
  EXPECT_EQ(Money::FromVariant(CardRow(u"SV"_s, true).value(u"Amount"_s)), 0);
  EXPECT_EQ(Money::FromVariant(dm.conServer.Scalar(
                u"SELECT SUM(CardAmount) FROM QTSaleOrder WHERE CardCode = 'SV'"_s)),
            M("45.5"));
  const QSqlRecord short_row = dm.conServer.FirstRow(u"SELECT * FROM QTCardShortfall"_s);
  EXPECT_EQ(short_row.value(u"orderno"_s).toString(), u"XS0120261210000002"_s);
  EXPECT_EQ(short_row.value(u"cardscode"_s).toString(), u"SV"_s);
  EXPECT_EQ(Money::FromVariant(short_row.value(u"cardamount"_s)), M("25.5"));
  EXPECT_EQ(Money::FromVariant(short_row.value(u"debitamount"_s)), 10);
  EXPECT_EQ(Money::FromVariant(short_row.value(u"shortamount"_s)), M("15.5"));
  EXPECT_EQ(dm.conServer.Scalar(u"SELECT COUNT(*) FROM QTCardShortfall"_s).toInt(), 1);
}

}  // namespace
}  // namespace quilmo

namespace quilmo {
namespace {

using namespace Qt::StringLiterals;

class UploadServerLostTest : public test::SavingTest {};
INSTANTIATE_TEST_SUITE_P(Online, UploadServerLostTest, ::testing::Values(true));

TEST_P(UploadServerLostTest, AnUploadStopsAtTheFirstSaleWhenTheServerIsGone) {
  session.IsOnline = false;
  for (int i = 1; i <= 3; ++i) {
    NewOrder(u"XS012026121000000%1"_s.arg(i), {u"A001"_s});
    ASSERT_TRUE(Save());
  }
  session.IsOnline = true;
  const QString pid = dm.conServer.Scalar(u"SELECT pg_backend_pid()"_s).toString();
  Connection admin(u"admin"_s, Engine::Server);
  QString error;
  ASSERT_TRUE(admin.OpenServer({server().host, server().port, server().user, server().password},
                               databaseName(), &error));
  admin.Exec(u"SELECT pg_terminate_backend(:Pid)"_s, {{u":Pid"_s, pid.toInt()}});
  const UploadCounts counts = UploadSales(dm, ui);
  EXPECT_TRUE(counts.server_lost);
  EXPECT_EQ(counts.sales_failed, 1);
  // One reason and one notice, not a pair of boxes for every sale.
  EXPECT_EQ(ui.texts().size(), 2);
  EXPECT_EQ(dm.conClient.Scalar(u"SELECT COUNT(*) FROM QTSaleOrder"_s).toInt(), 3);
  EXPECT_FALSE(ui.progressOpen());
}

}  // namespace
}  // namespace quilmo
