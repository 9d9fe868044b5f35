#include "sale/promotions.h"

#include "sale/goods_lookup.h"
#include "sale/pricing.h"
#include "sale/returns.h"
#include "sale/sale_fixture.h"

namespace quilmo {
namespace {

using test::SaleTest;
using namespace Qt::StringLiterals;

class PromotionTest : public SaleTest {
 protected:
  void SetUp() override {
    SaleTest::SetUp();
    if (HasFatalFailure()) return;
    MoneyGoods();
    Goods(u"GF1"_s, u"GIFT1"_s, 30, {{u"IsGift"_s, 1}});
    Goods(u"GF2"_s, u"GIFT2"_s, 500, {{u"IsGift"_s, 1}});
  }

  void Scan(const QString& code, double quantity = 1) {
    FindAndAddGoods(sale, order, {.code = code, .quantity = quantity});
  }
  // The pass the sale screen runs after every change.
  void Recalc() {
    const OrderTotals totals = RecalcOrder(sale, order);
    total_qty = totals.Quantity;
    total_amount = totals.Amount;
  }

  QStringList Codes() const {
    QStringList out;
    for (const OrderLine& l : lines) out << l.GoodsCode;
    return out;
  }

  double total_qty = 0;
  Money total_amount;
};

TEST_P(PromotionTest, BuyThreeGetOneGivesAGiftPerThreePieces) {
  Goods(u"T1"_s, u"SHIRT"_s, 50);
  Goods(u"T2"_s, u"TIE"_s, 40);
  Promotion(u"CX3"_s, 3, 3, 1, 0, {u"T1"_s, u"T2"_s});

  Scan(u"SHIRT"_s, 3);
  ui.ChooseGoods(u"TIE"_s);
  Recalc();
  EXPECT_EQ(ui.texts(), QStringList{u"现为促销阶段，请选择买赠送商品！"_s});
  EXPECT_EQ(ui.goodsLists(), std::vector{(QStringList{u"SHIRT"_s, u"TIE"_s})});
  ASSERT_EQ(lines.size(), 2);
  const OrderLine& gift = lines[1];
  EXPECT_EQ(gift.GoodsCode, u"TIE"_s);
  EXPECT_EQ(gift.Price, 0);
  EXPECT_EQ(gift.Quantity, 1);
  EXPECT_EQ(gift.Memo, u"买3件 送1件"_s);
  EXPECT_EQ(gift.CXFlag, -2);
  EXPECT_EQ(gift.CXOrderNo, u"CX3"_s);
  EXPECT_EQ(total_amount, 150);  // the gift costs nothing

  // Five pieces: still one gift.
  Scan(u"SHIRT"_s, 2);
  ui.clear();
  Recalc();
  EXPECT_TRUE(ui.messages().empty());
  EXPECT_EQ(lines.size(), 3);

  // Six (the last scan adds to the line of three): a second gift is offered.
  Scan(u"SHIRT"_s, 1);
  EXPECT_EQ(lines.size(), 3);
  ui.ChooseGoods(u"TIE"_s);
  Recalc();
  ASSERT_EQ(lines.size(), 4);
  EXPECT_EQ(lines[3].GoodsCode, u"TIE"_s);
  EXPECT_EQ(lines[3].Memo, u"买3件 送1件"_s);
  EXPECT_FALSE(ui.unansweredLeft());

  // And nothing more on the next pass.
  ui.clear();
  Recalc();
  EXPECT_TRUE(ui.messages().empty());
  EXPECT_EQ(lines.size(), 4);
}

TEST_P(PromotionTest, BuyTwoGetOneWithExtraMoneyPricesTheGift) {
  Goods(u"T1"_s, u"SHIRT"_s, 50);
  Promotion(u"CX3"_s, 3, 2, 1, 10, {u"T1"_s});
  Scan(u"SHIRT"_s, 2);
  Recalc();
  // A single goods in the promotion: no list, but the cashier is told.
  EXPECT_EQ(ui.texts(), QStringList{u"现为促销阶段，请选择买赠送商品！"_s});
  EXPECT_TRUE(ui.goodsLists().empty());
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(lines[1].GoodsCode, u"SHIRT"_s);  // the same goods, on a line of its own
  EXPECT_EQ(lines[1].Price, 10);
  EXPECT_EQ(lines[1].Amount, 10);
  EXPECT_EQ(lines[0].Quantity, 2);
}

TEST_P(PromotionTest, SpendTwoHundredGetTwentyOff) {
  Goods(u"C1"_s, u"COAT"_s, 150);
  Promotion(u"CX4"_s, 4, 200, 20, 0, {u"C1"_s});
  Scan(u"COAT"_s, 3);
  Recalc();
  ASSERT_EQ(lines.size(), 2);
  const OrderLine& money = lines[1];
  EXPECT_EQ(money.GoodsCode, u"ZS001"_s);
  EXPECT_EQ(money.Price, 40);
  EXPECT_EQ(money.Quantity, -1);
  EXPECT_EQ(money.Amount, -40);
  EXPECT_EQ(money.Memo, u"买满200元 送20元"_s);
  EXPECT_EQ(money.CXFlag, -2);
  EXPECT_EQ(money.CXOrderNo, u"CX4"_s);
  // The pass that added the money line already counts it: the total never lags its lines.
  EXPECT_EQ(header.Amount, 410);
  EXPECT_EQ(total_amount, 410);
  EXPECT_EQ(display.shown.back().amount, 410);

  Recalc();
  EXPECT_EQ(lines.size(), 2);
  EXPECT_EQ(total_amount, 410);
  EXPECT_EQ(header.RealAmount, 410);
  ASSERT_FALSE(display.shown.empty());
  EXPECT_EQ(display.shown.back().state, 1);
  EXPECT_EQ(display.shown.back().amount, Money::Whole(410));

  // Two hundred more: another twenty.
  Scan(u"COAT"_s, 1);
  Recalc();
  ASSERT_EQ(lines.size(), 4);
  EXPECT_EQ(lines[3].Price, 20);
  EXPECT_EQ(lines[3].Quantity, -1);
}

TEST_P(PromotionTest, TwoMoneyOffPromotionsEachGiveTheirOwnLine) {
  Goods(u"C1"_s, u"COAT"_s, 250);
  Goods(u"C2"_s, u"CAPE"_s, 250);
  Promotion(u"CXA"_s, 4, 200, 20, 0, {u"C1"_s});
  Promotion(u"CXB"_s, 4, 200, 20, 0, {u"C2"_s});
  Scan(u"COAT"_s);
  Scan(u"CAPE"_s);
  for (int pass = 0; pass < 3; ++pass) Recalc();
  ASSERT_EQ(Codes(), (QStringList{u"COAT"_s, u"CAPE"_s, u"ZS001"_s, u"ZS001"_s}));
  EXPECT_EQ(lines[2].CXOrderNo, u"CXA"_s);
  EXPECT_EQ(lines[3].CXOrderNo, u"CXB"_s);
  EXPECT_EQ(lines[3].Quantity, -1);
  EXPECT_EQ(total_amount, 460);
}

TEST_P(PromotionTest, WithoutTheMoneyGoodsNoMoneyLine) {
  ExecBoth(u"DELETE FROM JBGoods WHERE GoodsCode = 'ZS001'"_s);
  Goods(u"C1"_s, u"COAT"_s, 150);
  Promotion(u"CX4"_s, 4, 200, 20, 0, {u"C1"_s});
  Scan(u"COAT"_s, 3);
  Recalc();
  EXPECT_EQ(ui.texts(), QStringList{u"没有找到该商品！"_s});
  EXPECT_EQ(lines.size(), 1);
  EXPECT_EQ(lines[0].Memo, QString());
  EXPECT_EQ(lines[0].CXFlag, 4);
}

TEST_P(PromotionTest, SpendThreeHundredGetNinetyPercentUnlessTheCardGivesMore) {
  Goods(u"D1"_s, u"DRESS"_s, 100);
  Goods(u"P1"_s, u"PLAIN"_s, 100);
  Promotion(u"CX5"_s, 5, 300, 90, 0, {u"D1"_s});

  struct Case {
    const char* what;
    QString card;
    double card_discount;
    double discount;
    QString memo;
  };
  const Case cases[] = {
      {"no card", {}, 100, 90, u"买满300元 打90折"_s},
      {"fixed-discount card of 85", u"固定折扣"_s, 85, 85, {}},
      {"fixed-discount card of 95", u"固定折扣"_s, 95, 90, u"买满300元 打90折"_s},
      {"member-price card", u"会员价消费"_s, 85, 90, u"买满300元 打90折"_s},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    lines.Clear();
    order.SalesType = c.card;
    order.CardDiscount = c.card_discount;
    Scan(u"DRESS"_s, 2);
    Scan(u"PLAIN"_s, 1);
    Recalc();
    EXPECT_EQ(lines[0].Discount, 100);  // 200 of the promotion's goods: not yet
    Scan(u"DRESS"_s, 1);
    Recalc();
    ASSERT_EQ(lines.size(), 3);
    for (int row : {0, 2}) {
      EXPECT_EQ(lines[row].Discount, c.discount);
      EXPECT_EQ(lines[row].Memo, c.memo);
    }
    EXPECT_EQ(lines[1].Discount, 100);
    EXPECT_EQ(lines[0].Amount, Money::FromDouble(2 * c.discount));
  }
  // The discount stays when a later pass no longer reaches the threshold.
  Recalc();
  EXPECT_EQ(lines[0].Discount, 90);
}

TEST_P(PromotionTest, DiscountByPieces) {
  Goods(u"S1"_s, u"SOCKS"_s, 10);
  Promotion(u"CX9"_s, 9, 95, 90, 85, {u"S1"_s});
  struct Case {
    int pieces;
    double discount;
    QString memo;
  };
  const Case cases[] = {
      {1, 95, u"买1件打95折"_s},
      {2, 90, u"买2件打90折"_s},
      {3, 85, u"买3件打85折"_s},
      {5, 85, u"买3件打85折"_s},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pieces);
    lines.Clear();
    Scan(u"SOCKS"_s, c.pieces);
    Recalc();
    EXPECT_EQ(lines[0].Discount, c.discount);
    EXPECT_EQ(lines[0].Memo, c.memo);
    EXPECT_EQ(lines[0].Amount, Money::FromDouble(c.pieces * 10 * c.discount / 100));
  }
}

TEST_P(PromotionTest, APromotionWithoutThresholdDoesNotStopThePass) {
  // Pieces discount set up with its 2- and 3-piece percentages only, then a money-off.
  Goods(u"S1"_s, u"SOCKS"_s, 10);
  Goods(u"C1"_s, u"COAT"_s, 250);
  Goods(u"N1"_s, u"ODD"_s, 10);
  Promotion(u"CX9"_s, 9, 0, 90, 85, {u"S1"_s});
  Promotion(u"CX0"_s, 4, 0, 20, 0, {u"N1"_s});
  Promotion(u"CX4"_s, 4, 200, 20, 0, {u"C1"_s});
  Scan(u"SOCKS"_s, 2);
  Scan(u"ODD"_s, 1);
  Scan(u"COAT"_s, 1);
  Recalc();
  EXPECT_EQ(lines[0].Discount, 90);
  EXPECT_EQ(Codes(), (QStringList{u"SOCKS"_s, u"ODD"_s, u"COAT"_s, u"ZS001"_s}));
  EXPECT_EQ(lines[3].CXOrderNo, u"CX4"_s);
}

TEST_P(PromotionTest, SpendAndAddCashForAGiftAsksOnEveryPassUntilGiven) {
  Goods(u"E1"_s, u"SUIT"_s, 250);
  Promotion(u"CX10"_s, 10, 200, 20, 0, {u"E1"_s});
  const QString question = u"买满200元加补20元现金可赠送礼品，是否需要？"_s;
  Scan(u"SUIT"_s);

  ui.AnswerNo();
  Recalc();
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_EQ(ui.messages()[0].caption, u"提示"_s);
  EXPECT_EQ(ui.messages()[0].text, question);
  EXPECT_EQ(ui.messages()[0].icon, MsgIcon::Question);
  EXPECT_EQ(lines.size(), 1);

  // Asked again after the next change; leaving the gift list gives nothing.
  ui.clear();
  ui.AnswerYes();
  ui.LeaveGoodsList();
  Recalc();
  EXPECT_EQ(ui.texts(), QStringList{question});
  EXPECT_EQ(lines.size(), 1);

  ui.clear();
  ui.AnswerYes();
  ui.ChooseGoods(u"GIFT1"_s);
  Recalc();
  EXPECT_EQ(ui.goodsLists(), std::vector{(QStringList{u"GIFT1"_s, u"GIFT2"_s})});
  ASSERT_EQ(lines.size(), 3);
  const OrderLine& gift = lines[1];
  EXPECT_EQ(gift.GoodsCode, u"GIFT1"_s);
  EXPECT_EQ(gift.Price, 0);
  EXPECT_EQ(gift.PriceFlag, 11);
  EXPECT_EQ(gift.Memo, u"【礼品】"_s);
  EXPECT_EQ(gift.SerialNo, 2);
  const OrderLine& cash = lines[2];
  EXPECT_EQ(cash.GoodsCode, u"ZS001"_s);
  EXPECT_EQ(cash.Price, 20);
  EXPECT_EQ(cash.Quantity, 1);
  EXPECT_EQ(cash.Memo, u"买满200元 加20元赠送礼品"_s);
  EXPECT_EQ(cash.CXFlag, -2);
  EXPECT_EQ(cash.CXOrderNo, u"CX10"_s);
  EXPECT_EQ(cash.SerialNo, 4);  // the number after a gift is skipped
  EXPECT_EQ(next_serial, 5);

  ui.clear();
  Recalc();
  EXPECT_TRUE(ui.messages().empty());
  EXPECT_EQ(total_amount, 270);
}

// What a promotion gave goes with the purchase that earned it: deleted, or no longer enough,
// the next pass takes the gift or the money line off, and gives what the lines earn now.
TEST_P(PromotionTest, WhatAPromotionGaveFollowsItsPurchase) {
  Goods(u"T1"_s, u"SHIRT"_s, 50);
  Goods(u"C1"_s, u"COAT"_s, 150);
  Promotion(u"CX3"_s, 3, 3, 1, 0, {u"T1"_s});
  Promotion(u"CX4"_s, 4, 200, 20, 0, {u"C1"_s});

  // Buy three get one: fewer pieces bought, the gift goes.
  Scan(u"SHIRT"_s, 3);
  Recalc();
  ASSERT_EQ(Codes(), (QStringList{u"SHIRT"_s, u"SHIRT"_s}));
  lines.SetQuantity(0, 2);
  Recalc();
  EXPECT_EQ(Codes(), QStringList{u"SHIRT"_s});
  EXPECT_EQ(total_amount, 100);

  // Spend 300 get 40 off, then a coat deleted: 150 earns nothing.
  lines.Clear();
  Scan(u"COAT"_s, 2);
  Recalc();
  ASSERT_EQ(Codes(), (QStringList{u"COAT"_s, u"ZS001"_s}));
  EXPECT_EQ(total_amount, 280);
  lines.SetQuantity(0, 1);
  Recalc();
  EXPECT_EQ(Codes(), QStringList{u"COAT"_s});
  EXPECT_EQ(total_amount, 150);

  // Four coats earn 60 off, three 40: what was given follows the amount down.
  lines.SetQuantity(0, 2);
  Recalc();
  lines.SetQuantity(0, 4);
  Recalc();
  ASSERT_EQ(Codes(), (QStringList{u"COAT"_s, u"ZS001"_s, u"ZS001"_s}));
  EXPECT_EQ(total_amount, 540);
  lines.SetQuantity(0, 3);
  Recalc();
  ASSERT_EQ(Codes(), (QStringList{u"COAT"_s, u"ZS001"_s}));
  EXPECT_EQ(lines[1].Amount, -40);
  EXPECT_EQ(total_amount, 410);

  // The purchase deleted outright: nothing of what it earned stays, no order of a −40 line.
  lines.Delete(0);
  Recalc();
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(total_amount, 0);
  EXPECT_EQ(display.shown.back().amount, 0);
}

// The gift chosen for added cash goes with its cash line when the purchase no longer reaches
// the threshold: no free gift with nothing bought.
TEST_P(PromotionTest, AGiftForAddedCashGoesWhenThePurchaseGoes) {
  Goods(u"E1"_s, u"SUIT"_s, 250);
  Promotion(u"CX10"_s, 10, 200, 20, 0, {u"E1"_s});
  Scan(u"SUIT"_s);
  ui.AnswerYes();
  ui.ChooseGoods(u"GIFT1"_s);
  Recalc();
  ASSERT_EQ(Codes(), (QStringList{u"SUIT"_s, u"GIFT1"_s, u"ZS001"_s}));
  lines.Delete(0);
  ui.clear();
  Recalc();
  EXPECT_TRUE(lines.empty());
  EXPECT_TRUE(ui.messages().empty());
  EXPECT_EQ(total_amount, 0);
}

TEST_P(PromotionTest, PointsPayForAGiftWhenThereAreEnough) {
  Goods(u"P1"_s, u"PLAIN"_s, 100);
  Scan(u"GIFT1"_s);  // bought as well: the gift must not end up on the paid line
  order.PointTotal = 100;
  order.GiftPoints = 80;

  ui.ChooseGoods(u"GIFT1"_s);
  ExchangePointsForGift(sale, order);
  EXPECT_EQ(ui.texts(), QStringList{u"积分点不够！"_s});
  EXPECT_EQ(lines.size(), 1);
  EXPECT_EQ(order.GiftPoints, 80);

  order.GiftPoints = 70;
  ui.clear();
  ui.ChooseGoods(u"GIFT1"_s);
  ExchangePointsForGift(sale, order);
  EXPECT_TRUE(ui.messages().empty());
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(lines[0].Quantity, 1);
  EXPECT_EQ(lines[0].Amount, 30);
  EXPECT_EQ(lines[1].PriceFlag, 11);
  EXPECT_EQ(lines[1].Price, 0);
  EXPECT_EQ(lines[1].OrigPrice, 30);
  EXPECT_EQ(lines[1].GoodsName, u"商品GIFT1【礼品】"_s);
  EXPECT_EQ(order.GiftPoints, 100);
  EXPECT_EQ(next_serial, 4);
  Scan(u"PLAIN"_s);
  EXPECT_EQ(lines[2].SerialNo, 4);

  // Leaving the list spends nothing.
  ui.LeaveGoodsList();
  ExchangePointsForGift(sale, order);
  EXPECT_EQ(order.GiftPoints, 100);
}

TEST_P(PromotionTest, AGivenLineKeepsThePromotionsPriceWhateverTheGoodsSays) {
  Goods(u"T1"_s, u"SHIRT"_s, 50);
  // Special-price goods with a fixed discount, given by the promotion.
  Goods(u"T2"_s, u"TIE"_s, 40, {{u"DiscountFlag"_s, 1}, {u"ProduceArea"_s, u"80"_s}});
  Promotion(u"CX3"_s, 3, 3, 1, 0, {u"T2"_s});
  Scan(u"SHIRT"_s, 3);
  Scan(u"TIE"_s, 3);  // bought at its special price: these count for the promotion
  Recalc();
  ASSERT_EQ(lines.size(), 3);
  EXPECT_EQ(lines[1].Price, 40);
  EXPECT_EQ(lines[1].GoodsName, u"商品TIE【特价】"_s);
  const OrderLine& gift = lines[2];
  EXPECT_EQ(gift.GoodsCode, u"TIE"_s);
  EXPECT_EQ(gift.Price, 0);
  EXPECT_EQ(gift.Discount, 100);
  EXPECT_EQ(gift.Amount, 0);
  EXPECT_EQ(gift.GoodsName, u"商品TIE"_s);
  EXPECT_EQ(gift.Memo, u"买3件 送1件"_s);
  EXPECT_EQ(total_amount, 150 + 120);
}

TEST_P(PromotionTest, AGiftGivenAboveThePromotionsLinesStillCounts) {
  Goods(u"T1"_s, u"SHIRT"_s, 50);
  Promotion(u"CX3"_s, 3, 3, 1, 0, {u"T1"_s});
  Scan(u"SHIRT"_s, 3);
  Recalc();
  ASSERT_EQ(lines.size(), 2);
  // The cashier deletes the bought pieces and scans them again, below the gift.
  lines.Delete(0);
  Scan(u"SHIRT"_s, 3);
  ui.clear();
  Recalc();
  EXPECT_TRUE(ui.messages().empty());
  EXPECT_EQ(lines.size(), 2);
}

QUILMO_BOTH_MODES(PromotionTest);

// Totals and points need no database: a pass over lines without order-wide promotions.
TEST(RecalcOrderTotals, LinesThatEarnNoPoints) {
  struct Case {
    bool sp_not_discount;
    bool vip_not_discount;
    double no_point_amount;
  };
  const Case cases[] = {
      {true, true, 10 + 20 + 40}, {false, true, 20}, {true, false, 10 + 40}, {false, false, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.sp_not_discount << c.vip_not_discount);
    PosSession session;
    session.SPNotDiscount = c.sp_not_discount;
    session.VIPNotDiscount = c.vip_not_discount;
    test::ScriptedUi ui;
    test::FixedClock clock;
    TDMFM dm(session, clock);
    test::RecordingDisplay display;
    SaleContext sale{dm, ui, display};
    Order order(2);
    OrderLines& lines = order.lines;
    auto add = [&lines](int price, double quantity, int price_flag, int cx_flag) {
      OrderLine l;
      l.Price = price;
      l.Quantity = quantity;
      l.PriceFlag = price_flag;
      l.CXFlag = cx_flag;
      lines.Append(l);
    };
    add(10, 1, 1, -1);  // the goods' own promotion price
    add(20, 1, 2, -1);  // a member price
    add(40, 1, 0, 2);   // priced by a discount promotion
    add(80, 2, 0, -1);  // ordinary
    add(5, -1, 0, -1);  // a returned item
    order.NextSerialNo = 6;
    const OrderTotals totals = RecalcOrder(sale, order);
    EXPECT_EQ(totals.Quantity, 4);
    EXPECT_EQ(totals.Amount, 225);
    EXPECT_EQ(order.totals.Amount, 225);
    EXPECT_EQ(order.header.Amount, 225);
    EXPECT_EQ(order.header.RealAmount, 225);
    EXPECT_EQ(order.NoPointAmount, Money::FromDouble(c.no_point_amount));
    ASSERT_EQ(display.shown.size(), 1u);
    EXPECT_EQ(display.shown[0].amount, Money::Whole(225));
  }
}

// A return brought back from an earlier sale of the promotion's goods, as the return key
// adds it: the sold line's price, discount and promotion, negated.
void AddReturn(Order& order, const QString& goods_no, const QString& code, int price,
               double quantity, const QString& cx_order, int cx_flag, int cx_qty, int gift_qty,
               double add_money, double discount = 100) {
  OrderLine sold;
  sold.OrderNo = u"XS-OLD"_s;
  sold.GoodsNo = goods_no;
  sold.GoodsCode = code;
  sold.Price = price;
  sold.Quantity = quantity;
  sold.Discount = discount;
  sold.CXOrderNo = cx_order;
  sold.CXFlag = cx_flag;
  sold.CXQty = cx_qty;
  sold.GiftQty = gift_qty;
  sold.AddMoney = add_money;
  OrderLines::SuspendRules hold(order.lines);
  AddReturnLines(order, {sold});
}

// A return counts against its promotion's measure, never for it: a coat of 450 brought back
// must not earn the 40 off that selling it earned, and next to a sale it lowers what the sale
// reaches.
TEST_P(PromotionTest, AReturnTakesItsAmountOffASpendThreshold) {
  Goods(u"C1"_s, u"COAT"_s, 150);
  Promotion(u"CX4"_s, 4, 200, 20, 0, {u"C1"_s});
  struct Case {
    const char* name;
    double sold;
    double returned;
    QStringList codes;
    int total;
  };
  const Case cases[] = {
      {"a return alone", 0, 3, {u"COAT"_s}, -450},
      {"450 sold, 150 back", 3, 1, {u"COAT"_s, u"COAT"_s, u"ZS001"_s}, 280},
      {"300 sold, 150 back", 2, 1, {u"COAT"_s, u"COAT"_s}, 150},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Order fresh(session.AmountPoint);
    fresh.header.OrderNo = header.OrderNo;
    order = std::move(fresh);
    if (c.sold > 0) Scan(u"COAT"_s, c.sold);
    AddReturn(order, u"C1"_s, u"COAT"_s, 150, c.returned, u"CX4"_s, 4, 200, 20, 0);
    Recalc();
    Recalc();
    EXPECT_EQ(Codes(), c.codes);
    EXPECT_EQ(total_amount, c.total);
  }
  EXPECT_TRUE(ui.messages().empty());
}

// Returned pieces earn no gift, and a pieces discount reached by the pieces sold leaves the
// returned piece at the discount it was sold at: the refund is what was paid.
TEST_P(PromotionTest, ReturnedPiecesEarnNoGiftAndKeepTheirDiscount) {
  Goods(u"T1"_s, u"SHIRT"_s, 50);
  Promotion(u"CX3"_s, 3, 3, 1, 0, {u"T1"_s});
  AddReturn(order, u"T1"_s, u"SHIRT"_s, 50, 3, u"CX3"_s, 3, 3, 1, 0);
  Recalc();
  EXPECT_TRUE(ui.goodsLists().empty());
  EXPECT_EQ(lines.size(), 1);
  EXPECT_EQ(total_amount, -150);

  // The gift of that earlier sale brought back does not stand for a gift of this order: three
  // shirts bought now still earn theirs.
  Goods(u"T2"_s, u"TIE"_s, 40);
  Order exchange(session.AmountPoint);
  exchange.header.OrderNo = header.OrderNo;
  order = std::move(exchange);
  Scan(u"SHIRT"_s, 3);
  AddReturn(order, u"T2"_s, u"TIE"_s, 0, 1, u"CX3"_s, -2, 0, 0, 0);
  Recalc();
  ASSERT_EQ(lines.size(), 3);
  EXPECT_EQ(lines[2].Memo, u"买3件 送1件"_s);
  EXPECT_EQ(total_amount, 150);

  Goods(u"S1"_s, u"SOCKS"_s, 100);
  Promotion(u"CX9"_s, 9, 95, 90, 85, {u"S1"_s});
  Order fresh(session.AmountPoint);
  fresh.header.OrderNo = header.OrderNo;
  order = std::move(fresh);
  Scan(u"SOCKS"_s, 2);
  AddReturn(order, u"S1"_s, u"SOCKS"_s, 100, 1, u"CX9"_s, 9, 95, 90, 85, 85);
  Recalc();
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(lines[0].Discount, 95);  // one piece net
  EXPECT_EQ(lines[0].Memo, u"买1件打95折"_s);
  EXPECT_EQ(lines[1].Discount, 85);
  EXPECT_EQ(lines[1].Amount, -85);
  EXPECT_EQ(lines[1].Memo, u"退：XS-OLD"_s);
  EXPECT_EQ(total_amount, 105);
}

TEST(SetLinesDiscount, WithoutAPromotionEveryLine) {
  Order order(2);
  OrderLines& lines = order.lines;
  for (int price : {10, 30}) {
    OrderLine l;
    l.Price = price;
    l.Quantity = 1;
    l.CXOrderNo = u"CX5"_s;
    l.CXFlag = 5;
    l.Memo = u"备注"_s;
    lines.Append(l);
  }
  SetLinesDiscount(order, QString(), 80);
  EXPECT_EQ(lines[0].Amount, 8);
  EXPECT_EQ(lines[1].Amount, 24);
  EXPECT_EQ(lines[1].Memo, u"备注"_s);
}

}  // namespace
}  // namespace quilmo
