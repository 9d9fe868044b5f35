#include "sale/suspended_orders.h"

#include <QSqlRecord>

#include "sale/promotions.h"
#include "sale/sale_fixture.h"

namespace quilmo {
namespace {

using test::SaleTest;
using namespace Qt::StringLiterals;

// Choosing a card as checkout does it: found by its code while in use, its state by its sales
// type. It stands in for the card lookup the application hands in.
bool ChooseCard(TDMFM& dm, const QString& code, Order& order) {
  const QSqlRecord card = dm.Current().FirstRow(
      u"SELECT CardsCode, HolderName, PointTotal, CardType, SalesType, Discount FROM QTCards "
      "WHERE CardsCode = :Code AND COALESCE(StopFlag, 0) = 0"_s,
      {{u":Code"_s, code}});
  if (card.isEmpty()) return false;
  order.CardsCode = card.value(u"CardsCode"_s).toString();
  order.HolderName = card.value(u"HolderName"_s).toString();
  order.PointTotal = card.value(u"PointTotal"_s).toDouble();
  order.CardType = card.value(u"CardType"_s).toString() == u"储值卡"_s ? 2 : 1;
  order.SalesType = card.value(u"SalesType"_s).toString();
  order.GiftPoints = 0;
  if (order.SalesType == u"会员价消费"_s) {
    order.DiscountMode = 2;
    order.CardDiscount = 100;
  } else if (order.SalesType == u"积分兑换礼品"_s) {
    order.DiscountMode = 0;
  } else {
    const double discount = card.value(u"Discount"_s).toDouble();
    order.DiscountMode = 1;
    order.CardDiscount = discount == 0 ? 100 : discount;
  }
  return true;
}

class SuspendedOrderTest : public SaleTest {
 protected:
  void SetUp() override {
    SaleTest::SetUp();
    if (HasFatalFailure()) return;
    Goods(u"G1"_s, u"SHIRT"_s, 100);
    Goods(u"G2"_s, u"PANTS"_s, 80);
    Goods(u"G3"_s, u"SOCKS"_s, 10);
    Goods(u"GF1"_s, u"GIFT1"_s, 30, {{u"IsGift"_s, 1}});
    Insert(u"JBEmployee"_s, {{u"EmployeeNo"_s, u"E01"_s},
                             {u"EmployeeCode"_s, u"01"_s},
                             {u"EmployeeName"_s, u"李四"_s},
                             {u"QTEmployeeFlag"_s, 1}});
    Insert(u"QTCashier"_s, {{u"CashierNo"_s, u"C01"_s}, {u"CashierName"_s, u"张三"_s}});
    Card(u"VIP85"_s, u"固定折扣"_s, 85, 200);
    Card(u"GIFTCARD"_s, u"积分兑换礼品"_s, 0, 100);
    header.CashierNo = u"C01"_s;
    restore = [this](const QString& code, Order& o) { return ChooseCard(dm, code, o); };
  }

  void Card(const QString& code, const QString& sales_type, double discount, double points) {
    Insert(u"QTCards"_s, {{u"CardNo"_s, code},
                          {u"CardsCode"_s, code},
                          {u"HolderName"_s, u"王五"_s},
                          {u"CardType"_s, u"会员卡"_s},
                          {u"SalesType"_s, sales_type},
                          {u"Discount"_s, discount},
                          {u"PointTotal"_s, points}});
  }

  void TakeCard(const QString& code) {
    ASSERT_TRUE(ChooseCard(dm, code, order));
    header.CardCode = code;
  }

  void Scan(const QString& code, double quantity = 1) {
    FindAndAddGoods(sale, order, {.code = code, .quantity = quantity});
  }

  // The sale screen after a park: a new, empty order under a new number.
  void StartNewOrder(const QString& number) {
    Order fresh(session.AmountPoint);
    fresh.CardDiscount = 100;
    fresh.header.OrderNo = number;
    fresh.header.CashierNo = u"C01"_s;
    order = std::move(fresh);
  }

  QStringList Codes() const {
    QStringList out;
    for (const OrderLine& l : lines) out << l.GoodsCode;
    return out;
  }

  int Count(const char* table) {
    return dm.conClient.Scalar(u"SELECT COUNT(*) FROM %1"_s.arg(QLatin1StringView(table))).toInt();
  }

  CardRestorer restore;
};

TEST_P(SuspendedOrderTest, AParkedOrderComesBackWithItsNumberLinesGuideAndCard) {
  TakeCard(u"VIP85"_s);
  header.EmployeeNo = order.EmployeeNo = u"E01"_s;
  Scan(u"SHIRT"_s);
  Scan(u"PANTS"_s, 2);
  Scan(u"SOCKS"_s, 3);
  RecalcOrder(sale, order);
  ui.AnswerYes();
  ASSERT_TRUE(SuspendOrderCommand(sale, order));
  EXPECT_EQ(ui.last(), u"提示|您真的要挂起该单吗？"_s);
  EXPECT_TRUE(HasSuspendedOrders(dm));

  StartNewOrder(u"XS0120261210000002"_s);
  int rules_ran = 0;
  lines.SetLineChecks([&rules_ran](OrderLines&, int, LineField) { ++rules_ran; });
  clock.Set(QDateTime(QDate(2026, 12, 10), QTime(11, 15, 0)));
  ui.ChooseSuspendedOrder(u"XS0120261210000001"_s);
  ASSERT_TRUE(RecallSuspendedOrderCommand(sale, order, restore));

  EXPECT_EQ(ui.suspendedLists(), std::vector{QStringList{u"XS0120261210000001"_s}});
  EXPECT_EQ(header.OrderNo, u"XS0120261210000001"_s);
  EXPECT_EQ(header.OrderDate, clock.Now());
  ASSERT_EQ(lines.size(), 3);
  EXPECT_EQ(Codes(), (QStringList{u"SHIRT"_s, u"PANTS"_s, u"SOCKS"_s}));
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(lines[row].SerialNo, row + 1);
    EXPECT_EQ(lines[row].OrderNo, u"XS0120261210000001"_s);
  }
  EXPECT_EQ(next_serial, 4);
  EXPECT_EQ(lines[1].Quantity, 2);
  EXPECT_EQ(lines[1].Amount, 160);
  EXPECT_EQ(rules_ran, 9);  // quantity, price and discount of each line
  // The guide and the card, on the order and in its header.
  EXPECT_EQ(order.EmployeeNo, u"E01"_s);
  EXPECT_EQ(order.EmployeeCode, u"01"_s);
  EXPECT_EQ(order.EmployeeName, u"李四"_s);
  EXPECT_EQ(header.EmployeeNo, u"E01"_s);
  EXPECT_EQ(order.CardsCode, u"VIP85"_s);
  EXPECT_EQ(header.CardCode, u"VIP85"_s);
  EXPECT_EQ(order.SalesType, u"固定折扣"_s);
  EXPECT_EQ(order.CardDiscount, 85);
  EXPECT_EQ(order.DiscountMode, 1);
  EXPECT_EQ(order.PointTotal, 200);
  EXPECT_EQ(order.GiftPoints, 0);

  // Taken back means gone from the list.
  EXPECT_FALSE(HasSuspendedOrders(dm));
  EXPECT_EQ(Count("QTHalSaleOrderDetail"), 0);
  ui.LeaveSuspendedOrders();
  StartNewOrder(u"XS0120261210000003"_s);
  EXPECT_FALSE(RecallSuspendedOrder(sale, order, restore));
  EXPECT_EQ(ui.suspendedLists().back(), QStringList());
  EXPECT_FALSE(ui.unansweredLeft());
}

TEST_P(SuspendedOrderTest, TheKeysGuardsAndLeavingTheListChangeNothing) {
  // Parking an empty order asks nothing; a No keeps the order on the screen.
  EXPECT_FALSE(SuspendOrderCommand(sale, order));
  EXPECT_TRUE(ui.messages().empty());
  Scan(u"SHIRT"_s);
  ui.AnswerNo();
  EXPECT_FALSE(SuspendOrderCommand(sale, order));
  EXPECT_FALSE(HasSuspendedOrders(dm));

  ui.AnswerYes();
  ASSERT_TRUE(SuspendOrderCommand(sale, order));
  // Taking an order back while one is being rung up is refused before the list opens.
  ui.clear();
  EXPECT_FALSE(RecallSuspendedOrderCommand(sale, order, restore));
  EXPECT_EQ(ui.last(), u"提示！|现在正在销售，不能取单！"_s);
  EXPECT_TRUE(ui.suspendedLists().empty());

  // Leaving the list: the line number starts again at 1, nothing else moves.
  StartNewOrder(u"XS0120261210000002"_s);
  next_serial = 3;
  ui.LeaveSuspendedOrders();
  EXPECT_FALSE(RecallSuspendedOrderCommand(sale, order, restore));
  EXPECT_EQ(next_serial, 1);
  EXPECT_EQ(header.OrderNo, u"XS0120261210000002"_s);
  EXPECT_TRUE(lines.empty());
  EXPECT_TRUE(HasSuspendedOrders(dm));
}

// A parked order holds a gift paid with 30 of the card's 100 points. When it comes back the
// points are spent again, unless the card is gone or its points no longer cover the gift:
// then the gift cannot stay on the order for nothing.
TEST_P(SuspendedOrderTest, PointsGiftsComeBackOnlyWithPointsToPayForThem) {
  struct Case {
    const char* name;
    const char* change;  // what happened to the card while the order was parked
    bool keeps_gift;
  };
  const Case cases[] = {
      {"card unchanged", nullptr, true},
      {"card stopped", "UPDATE QTCards SET StopFlag = 1", false},
      {"points spent elsewhere", "UPDATE QTCards SET PointTotal = 20", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ExecBoth(u"UPDATE QTCards SET StopFlag = 0, PointTotal = 100"_s);
    StartNewOrder(u"XS0120261210000001"_s);
    TakeCard(u"GIFTCARD"_s);
    Scan(u"SHIRT"_s);
    ui.ChooseGoods(u"GIFT1"_s);
    ExchangePointsForGift(sale, order);
    ASSERT_EQ(order.GiftPoints, 30);
    ui.AnswerYes();
    ASSERT_TRUE(SuspendOrderCommand(sale, order));
    EXPECT_EQ(SuspendedGiftPoints(dm, u"XS0120261210000001"_s), 30);
    if (c.change) ExecBoth(QString::fromUtf8(c.change));

    StartNewOrder(u"XS0120261210000002"_s);
    ui.clear();
    ui.ChooseSuspendedOrder(u"XS0120261210000001"_s);
    ASSERT_TRUE(RecallSuspendedOrder(sale, order, restore));
    if (c.keeps_gift) {
      EXPECT_EQ(Codes(), (QStringList{u"SHIRT"_s, u"GIFT1"_s}));
      EXPECT_EQ(order.GiftPoints, 30);
      EXPECT_EQ(order.PointTotal, 100);
      EXPECT_TRUE(ui.messages().empty());
    } else {
      EXPECT_EQ(Codes(), QStringList{u"SHIRT"_s});
      EXPECT_EQ(order.GiftPoints, 0);
      EXPECT_EQ(ui.last(), u"提示！|会员卡积分不足，挂单中的积分兑换礼品已删除！"_s);
    }
    EXPECT_EQ(order.CardsCode.isEmpty(), c.change && QByteArray(c.change).contains("StopFlag"));
  }
}

// The server is not needed, and not touched: with its connection closed, parking and taking
// back work in either mode.
TEST_P(SuspendedOrderTest, ParkingNeverTouchesTheServer) {
  Scan(u"SHIRT"_s);
  Scan(u"PANTS"_s);
  dm.conServer.Close();
  ui.AnswerYes();
  ASSERT_TRUE(SuspendOrderCommand(sale, order));
  StartNewOrder(u"XS0120261210000002"_s);
  ui.ChooseSuspendedOrder(u"XS0120261210000001"_s);
  ASSERT_TRUE(RecallSuspendedOrder(sale, order, restore));
  EXPECT_EQ(Codes(), (QStringList{u"SHIRT"_s, u"PANTS"_s}));
  EXPECT_EQ(ui.texts(), QStringList{u"您真的要挂起该单吗？"_s});
}

TEST_P(SuspendedOrderTest, FailuresLeaveEveryParkedOrderAsItWas) {
  Scan(u"SHIRT"_s);
  ASSERT_TRUE(SuspendOrder(sale, order));
  // The same number twice: the second park fails whole and says why.
  Scan(u"PANTS"_s);
  EXPECT_FALSE(SuspendOrder(sale, order));
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_TRUE(ui.messages()[0].caption.isEmpty());
  EXPECT_TRUE(ui.messages()[0].text.startsWith(u"挂单失败！原因："_s));
  EXPECT_EQ(ui.messages()[0].icon, MsgIcon::Error);
  EXPECT_EQ(Count("QTHalSaleOrderDetail"), 1);

  // A parked order that cannot be deleted stays parked and does not come onto the screen
  // as well, where it could be saved while it can still be taken back.
  dm.conClient.Exec(
      u"CREATE TRIGGER keep_parked BEFORE DELETE ON QTHalSaleOrder "
      "BEGIN SELECT RAISE(ABORT, 'parked orders are kept'); END"_s);
  StartNewOrder(u"XS0120261210000002"_s);
  ui.clear();
  ui.ChooseSuspendedOrder(u"XS0120261210000001"_s);
  EXPECT_FALSE(RecallSuspendedOrder(sale, order, restore));
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(header.OrderNo, u"XS0120261210000002"_s);
  EXPECT_EQ(Count("QTHalSaleOrderDetail"), 1);

  // Clearing all at shift close: rolled back whole, and the reason shown.
  EXPECT_FALSE(ClearSuspendedOrders(dm, ui));
  EXPECT_TRUE(ui.last().startsWith(u"|清除挂单失败！原因："_s));
  EXPECT_EQ(Count("QTHalSaleOrderDetail"), 1);
  EXPECT_TRUE(HasSuspendedOrders(dm));

  dm.conClient.Exec(u"DROP TRIGGER keep_parked"_s);
  ui.clear();
  EXPECT_TRUE(ClearSuspendedOrders(dm, ui));
  EXPECT_FALSE(HasSuspendedOrders(dm));
  EXPECT_EQ(Count("QTHalSaleOrderDetail"), 0);
  EXPECT_TRUE(ui.messages().empty());
}

QUILMO_BOTH_MODES(SuspendedOrderTest);

}  // namespace
}  // namespace quilmo
