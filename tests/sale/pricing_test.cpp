#include "sale/pricing.h"

#include "sale/goods_lookup.h"
#include "sale/sale_fixture.h"

namespace quilmo {
namespace {

using test::SaleTest;
using namespace Qt::StringLiterals;

class PricingTest : public SaleTest {
 protected:
  // Scans a code as the sale screen does, with what the cashier typed beforehand.
  AddResult Scan(const QString& code, Money price = 0, double quantity = 1, double discount = 100) {
    return FindAndAddGoods(
        sale, order, {.code = code, .price = price, .quantity = quantity, .discount = discount});
  }
  void NewOrder() {
    lines.Clear();
    next_serial = 1;
    ui.clear();
  }
  // A member or discount card on the order.
  void Card(const QString& sales_type, double discount = 100) {
    header.CardCode = u"VIP0001"_s;
    order.SalesType = sales_type;
    order.CardDiscount = discount;
  }
  void NoCard() {
    header.CardCode.clear();
    order.SalesType.clear();
    order.CardDiscount = 100;
  }
};

TEST_P(PricingTest, ASecondScanOfTheSameGoodsAddsToItsLine) {
  Goods(u"G1"_s, u"A1"_s, 10);
  Goods(u"G2"_s, u"B1"_s, 20);
  Scan(u"A1"_s);
  Scan(u"A1"_s);
  ASSERT_EQ(lines.size(), 1);
  EXPECT_EQ(lines[0].Quantity, 2);
  EXPECT_EQ(lines[0].Amount, 20);
  EXPECT_EQ(next_serial, 2);

  Scan(u"B1"_s);
  Scan(u"A1"_s);  // not the current line any more: a line of its own
  ASSERT_EQ(lines.size(), 3);
  EXPECT_EQ(lines[2].GoodsCode, u"A1"_s);
  EXPECT_EQ(lines[2].SerialNo, 3);
  EXPECT_EQ(next_serial, 4);

  // A typed price that differs is a line of its own too.
  Scan(u"A1"_s, 8);
  EXPECT_EQ(lines.size(), 4);
}

TEST_P(PricingTest, PacksArePricedPerBaseUnitAndNeverMerge) {
  Goods(u"G1"_s, u"PACK"_s, 10, {{u"BUSRefPrice"_s, 48}, {u"SUSRefPrice"_s, 3}});
  std::vector<GoodsCandidate> found = SearchGoods(dm, u"PACK"_s);
  ASSERT_EQ(found.size(), 1u);
  GoodsCandidate pack = found[0];
  pack.UnitRate = 6;

  EXPECT_EQ(BuildOrderLine(sale, order, pack, {.price = 30}), AddResult::Added);
  EXPECT_EQ(BuildOrderLine(sale, order, pack, {.price = 30}), AddResult::Added);
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(lines[0].Price, 5);
  EXPECT_EQ(lines[0].Quantity, 6);
  EXPECT_EQ(lines[0].Amount, 30);
  EXPECT_EQ(lines[1].Quantity, 6);

  // Without a typed price: the pack price per base unit, and the small-unit price per unit.
  BuildOrderLine(sale, order, pack, {});
  EXPECT_EQ(lines[2].Price, 8);
  pack.UnitRate = 0.5;
  BuildOrderLine(sale, order, pack, {});
  EXPECT_EQ(lines[3].Price, 6);
  EXPECT_EQ(lines[3].Quantity, 0.5);
}

TEST_P(PricingTest, HowTheLinePriceComesAbout) {
  Insert(u"JBStore"_s, {{u"StoreNo"_s, u"S02"_s}, {u"PriceLevel"_s, 2}});
  Goods(u"P1"_s, u"PLAIN"_s, 100);
  Goods(u"SP"_s, u"SPECIAL"_s, 100, {{u"DiscountFlag"_s, 1}, {u"MemberPrice"_s, 90}});
  Goods(u"K1"_s, u"KIND1"_s, 100, {{u"MemberPrice"_s, 90}});
  Goods(u"K2"_s, u"KIND2"_s, 100);
  Goods(u"PA"_s, u"FIXED"_s, 100, {{u"ProduceArea"_s, u"85"_s}});
  Goods(u"M1"_s, u"MEMBER"_s, 100, {{u"MemberPrice"_s, 90}});
  Goods(u"M0"_s, u"NOMEMBER"_s, 100, {{u"MemberPrice"_s, 0}, {u"SPriceLevel2"_s, 88}});
  Goods(u"L0"_s, u"NOLEVEL"_s, 100, {{u"SPriceLevel2"_s, 0}});
  Goods(u"Z0"_s, u"FREE"_s, 0);
  Promotion(u"CX1"_s, 1, 0, 0, 0, {u"K1"_s}, {{u"SPrice"_s, 70}});
  Promotion(u"CX2"_s, 2, 0, 0, 0, {u"K2"_s}, {{u"Discount"_s, 80}});

  struct Case {
    const char* what;
    QString code;
    QString card;  // the card's sales type, empty for none
    double card_discount;
    bool discount_add;
    QString store;
    double typed_price;
    bool gift;
    double price;
    int flag;
    double discount;
    QString label;  // appended to the goods name
    QString memo;
    QStringList notices;
  };
  const QString member = u"会员价消费"_s;
  const QString fixed = u"固定折扣"_s;
  const Case cases[] = {
      {"ordinary", u"PLAIN"_s, {}, 100, false, u"S01"_s, 0, false, 100, 0, 100, {}, {}, {}},
      {"typed", u"PLAIN"_s, {}, 100, false, u"S01"_s, 80, false, 80, 0, 100, {}, {}, {}},
      {"special beats a typed price",
       u"SPECIAL"_s,
       {},
       100,
       false,
       u"S01"_s,
       80,
       false,
       100,
       3,
       100,
       u"【特价】"_s,
       u"【特价】"_s,
       {}},
      {"special beats a member price",
       u"SPECIAL"_s,
       member,
       100,
       false,
       u"S01"_s,
       0,
       false,
       100,
       3,
       100,
       u"【特价】"_s,
       u"【特价】"_s,
       {}},
      {"kind 1 promotion",
       u"KIND1"_s,
       member,
       100,
       false,
       u"S01"_s,
       0,
       false,
       70,
       3,
       100,
       u"【特价】"_s,
       u"【特价】"_s,
       {}},
      {"kind 2 promotion",
       u"KIND2"_s,
       {},
       100,
       false,
       u"S01"_s,
       0,
       false,
       100,
       0,
       80,
       {},
       u"【固定折扣】"_s,
       {}},
      {"kind 2 with a card multiplied on",
       u"KIND2"_s,
       fixed,
       90,
       true,
       u"S01"_s,
       0,
       false,
       100,
       0,
       72,
       {},
       u"【固定折扣】"_s,
       {}},
      {"kind 2, card not multiplied",
       u"KIND2"_s,
       fixed,
       90,
       false,
       u"S01"_s,
       0,
       false,
       100,
       0,
       80,
       {},
       u"【固定折扣】"_s,
       {}},
      {"fixed discount of the goods",
       u"FIXED"_s,
       {},
       100,
       false,
       u"S01"_s,
       0,
       false,
       100,
       0,
       85,
       {},
       u"【固定折扣】"_s,
       {}},
      {"fixed discount, accumulated-points card",
       u"FIXED"_s,
       u"累计积分折扣"_s,
       80,
       true,
       u"S01"_s,
       0,
       false,
       100,
       0,
       68,
       {},
       u"【固定折扣】"_s,
       {}},
      {"member price",
       u"MEMBER"_s,
       member,
       100,
       false,
       u"S01"_s,
       0,
       false,
       90,
       2,
       100,
       u"【会员价】"_s,
       u"【会员价】"_s,
       {}},
      {"no member price: the store level",
       u"NOMEMBER"_s,
       member,
       100,
       false,
       u"S02"_s,
       0,
       false,
       88,
       0,
       100,
       {},
       {},
       {}},
      {"store level 2 without its price",
       u"NOLEVEL"_s,
       {},
       100,
       false,
       u"S02"_s,
       0,
       false,
       100,
       0,
       100,
       {},
       {},
       {}},
      {"a gift of special goods",
       u"SPECIAL"_s,
       {},
       100,
       false,
       u"S01"_s,
       0,
       true,
       0,
       11,
       100,
       u"【礼品】"_s,
       u"【礼品】"_s,
       {}},
      {"a gift of goods with a fixed discount",
       u"FIXED"_s,
       {},
       100,
       false,
       u"S01"_s,
       0,
       true,
       0,
       11,
       85,
       u"【礼品】"_s,
       u"【礼品】"_s,
       {}},
      {"price 0 is said, the line stays",
       u"FREE"_s,
       {},
       100,
       false,
       u"S01"_s,
       0,
       false,
       0,
       0,
       100,
       {},
       {},
       {u"该商品价格为0！"_s}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    NewOrder();
    NoCard();
    if (!c.card.isEmpty()) Card(c.card, c.card_discount);
    session.DiscountAdd = c.discount_add;
    session.StoreNo = c.store;
    FindAndAddGoods(sale, order,
                    {.code = c.code, .price = Money::FromDouble(c.typed_price), .isGift = c.gift});
    ASSERT_EQ(lines.size(), 1);
    const OrderLine& l = lines[0];
    EXPECT_EQ(l.Price, Money::FromDouble(c.price));
    EXPECT_EQ(l.PriceFlag, c.flag);
    EXPECT_EQ(l.Discount, c.discount);
    EXPECT_EQ(l.Amount, LineAmount(Money::FromDouble(c.price), 1, c.discount, 2));
    EXPECT_EQ(l.GoodsName, u"商品"_s + c.code + c.label);
    EXPECT_EQ(l.Memo, c.memo);
    EXPECT_EQ(ui.texts(), c.notices);
  }
}

TEST_P(PricingTest, ALineRemembersItsGoodsAndPromotion) {
  Goods(u"K2"_s, u"KIND2"_s, 100,
        {{u"BarCode"_s, u"690"_s},
         {u"Model"_s, u"XL"_s},
         {u"BaseUnit"_s, u"件"_s},
         {u"MinSPrice"_s, 60},
         {u"CostPrice"_s, 45}});
  Promotion(u"CX9"_s, 9, 95, 90, 85, {u"K2"_s});
  Scan(u"KIND2"_s, 0, 2);
  ASSERT_EQ(lines.size(), 1);
  const OrderLine& l = lines[0];
  EXPECT_EQ(l.OrderNo, header.OrderNo);
  EXPECT_EQ(l.SerialNo, 1);
  EXPECT_EQ(l.GoodsNo, u"K2"_s);
  EXPECT_EQ(l.BarCode, u"690"_s);
  EXPECT_EQ(l.Model, u"XL"_s);
  EXPECT_EQ(l.BaseUnit, u"件"_s);
  EXPECT_EQ(l.MinSPrice, 60);
  EXPECT_EQ(l.OrigPrice, 100);
  EXPECT_EQ(l.CKPrice, 45);
  EXPECT_EQ(l.CKAmount, 90);
  EXPECT_EQ(l.CXOrderNo, u"CX9"_s);
  EXPECT_EQ(l.CXFlag, 9);
  EXPECT_EQ(l.CXQty, 95);
  EXPECT_EQ(l.GiftQty, 90);
  EXPECT_EQ(l.AddMoney, 85);

  Goods(u"P1"_s, u"PLAIN"_s, 10);
  Scan(u"PLAIN"_s);
  EXPECT_EQ(lines[1].CXOrderNo, QString());
  EXPECT_EQ(lines[1].CXFlag, -1);
}

TEST_P(PricingTest, AFixedDiscountThatIsNoNumberStopsTheScanUntouched) {
  Goods(u"BAD"_s, u"BAD"_s, 100,
        {{u"ProduceArea"_s, u"八五折"_s},
         {u"SalesType"_s, 2},
         {u"SalesPrice"_s, 50},
         {u"SalesQty"_s, 10},
         {u"FinishSaleQty"_s, 0}});
  EXPECT_THROW(Scan(u"BAD"_s), GoodsDataError);
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(next_serial, 1);
  EXPECT_EQ(GoodsColumn(u"BAD"_s, "FinishSaleQty").toDouble(), 0);
}

// Values the back office sent that no sale can use stop the scan with the goods named:
// never goods made free, charged a multiple of their price or sold below zero.
TEST_P(PricingTest, BackOfficeValuesThatMakeNoSenseStopTheScan) {
  struct Case {
    const char* what;
    QString fixed_discount;
    double price;
    QString words;
  };
  const Case cases[] = {
      {"a fixed discount of nan", u"nan"_s, 100, u"商品X的固定折扣“nan”不是有效的数字"_s},
      {"a fixed discount of inf", u"inf"_s, 100, u"商品X的固定折扣“inf”不是有效的数字"_s},
      {"a fixed discount of 500", u"500"_s, 100, u"商品X的固定折扣“500”不在1-100之间"_s},
      {"a fixed discount below 0", u"-5"_s, 100, u"商品X的固定折扣“-5”不在1-100之间"_s},
      {"a negative reference price", QString(), -100, u"商品X的价格-100为负数，不能销售"_s},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ExecBoth(u"DELETE FROM JBGoods"_s);
    Goods(u"X"_s, u"X"_s, c.price, {{u"ProduceArea"_s, c.fixed_discount}});
    try {
      Scan(u"X"_s);
      ADD_FAILURE() << "the scan went through";
    } catch (const GoodsDataError& e) {
      EXPECT_EQ(e.message(), c.words);
    }
    EXPECT_TRUE(lines.empty());
  }
}

TEST_P(PricingTest, GoodsPromotionWindows) {
  const QDateTime now = dm.ServerNow();
  struct Case {
    const char* what;
    int sales_type;
    QVariant begin;
    QVariant end;
    bool promoted;
    bool still_configured;
  };
  const QVariant none(QMetaType::fromType<QDateTime>());
  const Case cases[] = {
      {"inside the window", 1, now.addDays(-1), now.addDays(1), true, true},
      {"ended yesterday", 1, now.addDays(-10), now.addDays(-1), false, false},
      {"begins tomorrow", 1, now.addDays(1), now.addDays(10), false, true},
      {"no end date", 1, now.addDays(-1), none, false, false},
      {"window and limit, inside", 3, now.addDays(-1), now.addDays(1), true, true},
      {"window and limit, begins tomorrow", 3, now.addDays(1), now.addDays(10), false, true},
      {"window and limit, ended", 3, now.addDays(-10), now.addDays(-1), false, false},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    NewOrder();
    const QString no = u"W%1"_s.arg(++n);
    Goods(no, no, 100,
          {{u"SalesType"_s, c.sales_type},
           {u"SalesPrice"_s, 79},
           {u"SBeginDate"_s, c.begin},
           {u"SEndDate"_s, c.end},
           {u"SalesQty"_s, 5}});
    Scan(no);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0].Price, c.promoted ? 79 : 100);
    EXPECT_EQ(lines[0].PriceFlag, c.promoted ? 1 : 0);
    EXPECT_EQ(lines[0].Memo, c.promoted ? u"【促销】"_s : QString());
    EXPECT_EQ(lines[0].Discount, 100);
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_EQ(GoodsColumn(no, "SalesType").toInt(), c.still_configured ? c.sales_type : 0);
    EXPECT_EQ(GoodsColumn(no, "SBeginDate").isNull(), !c.still_configured);
    EXPECT_EQ(GoodsColumn(no, "SEndDate").isNull(), !c.still_configured);
  }
}

TEST_P(PricingTest, GoodsPromotionQuantityLimits) {
  const QString limit_notice = u"该货品当前销售量超出了促销限量!\r\n 该商品可促销量为:"_s;
  Goods(u"Q1"_s, u"LIMIT"_s, 100,
        {{u"SalesType"_s, 2}, {u"SalesPrice"_s, 60}, {u"SalesQty"_s, 10}, {u"FinishSaleQty"_s, 8}});
  Scan(u"LIMIT"_s, 0, 2);
  EXPECT_EQ(lines[0].Price, 60);
  EXPECT_EQ(lines[0].PriceFlag, 1);
  // Pieces count as sold when the order is saved, not when they are scanned.
  EXPECT_EQ(GoodsColumn(u"Q1"_s, "FinishSaleQty").toDouble(), 8);
  EXPECT_TRUE(ui.messages().empty());

  // The order holds the last two: said once, priced normally; the promotion stays, since the
  // order may yet be dropped.
  Scan(u"LIMIT"_s);
  EXPECT_EQ(ui.texts(), QStringList{limit_notice + u"0"_s});
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(lines[1].Price, 100);
  EXPECT_EQ(lines[1].PriceFlag, 0);
  EXPECT_EQ(GoodsColumn(u"Q1"_s, "SalesType").toInt(), 2);
  EXPECT_EQ(GoodsColumn(u"Q1"_s, "FinishSaleQty").toDouble(), 8);
  // All sold before: the promotion is ended.
  dm.Current().Exec(u"UPDATE JBGoods SET FinishSaleQty = 10 WHERE GoodsNo = 'Q1'"_s);
  NewOrder();
  ui.clear();
  Scan(u"LIMIT"_s);
  EXPECT_EQ(ui.texts(), QStringList{limit_notice + u"0"_s});
  EXPECT_EQ(GoodsColumn(u"Q1"_s, "SalesType").toInt(), 0);
  EXPECT_EQ(GoodsColumn(u"Q1"_s, "SalesQty").toDouble(), 0);
  EXPECT_EQ(GoodsColumn(u"Q1"_s, "FinishSaleQty").toDouble(), 0);

  // Three left and five asked: priced normally, but the three stay on offer.
  Goods(u"Q2"_s, u"LIMIT2"_s, 100,
        {{u"SalesType"_s, 2}, {u"SalesPrice"_s, 60}, {u"SalesQty"_s, 10}, {u"FinishSaleQty"_s, 7}});
  NewOrder();
  ui.clear();
  Scan(u"LIMIT2"_s, 0, 5);
  EXPECT_EQ(ui.texts(), QStringList{limit_notice + u"3"_s});
  EXPECT_EQ(lines[0].Price, 100);
  EXPECT_EQ(GoodsColumn(u"Q2"_s, "SalesType").toInt(), 2);
  EXPECT_EQ(GoodsColumn(u"Q2"_s, "FinishSaleQty").toDouble(), 7);
  Scan(u"LIMIT2"_s, 0, 3);
  EXPECT_EQ(lines[1].Price, 60);
  EXPECT_EQ(GoodsColumn(u"Q2"_s, "FinishSaleQty").toDouble(), 7);
}

TEST_P(PricingTest, WindowAndLimitTogetherSellTheWholeLimit) {
  const QDateTime now = dm.ServerNow();
  Goods(u"Q3"_s, u"BOTH"_s, 100,
        {{u"SalesType"_s, 3},
         {u"SalesPrice"_s, 50},
         {u"SalesQty"_s, 3},
         {u"FinishSaleQty"_s, 0},
         {u"SBeginDate"_s, now.addDays(-1)},
         {u"SEndDate"_s, now.addDays(1)}});
  // Scanned one by one, every piece of the limit gets the promotion price: the pieces already
  // on the order are measured against the limit once.
  for (int i = 0; i < 3; ++i) Scan(u"BOTH"_s);
  ASSERT_EQ(lines.size(), 1);
  EXPECT_EQ(lines[0].Quantity, 3);
  EXPECT_EQ(lines[0].Price, 50);
  EXPECT_TRUE(ui.messages().empty());
  EXPECT_EQ(GoodsColumn(u"Q3"_s, "FinishSaleQty").toDouble(), 0);

  Scan(u"BOTH"_s);
  EXPECT_EQ(ui.texts(), QStringList{u"该货品当前销售量超出了促销限量!\r\n 该商品可促销量为:0"_s});
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(lines[1].Price, 100);
  EXPECT_EQ(GoodsColumn(u"Q3"_s, "SalesType").toInt(), 3);
  EXPECT_FALSE(GoodsColumn(u"Q3"_s, "SEndDate").isNull());
}

TEST_P(PricingTest, PromotionsOfThisStoreApprovedAndRunningTodayByDay) {
  const QDate today = dm.ServerNow().date();
  struct Case {
    const char* what;
    QDateTime begin;
    QDateTime end;
    QString stores;
    int approved;
    bool found;
  };
  const Case cases[] = {
      {"first and last day today", today.startOfDay().addSecs(23 * 3600), today.startOfDay(),
       u"S01"_s, 1, true},
      {"ended yesterday", today.addDays(-5).startOfDay(), today.addDays(-1).startOfDay(), u"S01"_s,
       1, false},
      {"begins tomorrow", today.addDays(1).startOfDay(), today.addDays(5).startOfDay(), u"S01"_s, 1,
       false},
      {"not approved", today.addDays(-1).startOfDay(), today.addDays(1).startOfDay(), u"S01"_s, 0,
       false},
      {"other stores", today.addDays(-1).startOfDay(), today.addDays(1).startOfDay(), u"S02,S03"_s,
       1, false},
      {"this store among others", today.addDays(-1).startOfDay(), today.addDays(1).startOfDay(),
       u"S03,S01"_s, 1, true},
      {"spaces around the entries", today.addDays(-1).startOfDay(), today.addDays(1).startOfDay(),
       u"S03, S01 "_s, 1, true},
      // Store S01 must not take the promotions of stores whose numbers contain its own.
      {"a longer number holding ours", today.addDays(-1).startOfDay(),
       today.addDays(1).startOfDay(), u"S011,XS01"_s, 1, false},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const QString no = u"F%1"_s.arg(++n);
    Goods(no, no, 10);
    Insert(u"QTCXOrder"_s, {{u"ORderNo"_s, u"CX"_s + no},
                            {u"CXFlag"_s, 5},
                            {u"CXQty"_s, 300},
                            {u"GiftQty"_s, 90},
                            {u"StoreNoList"_s, c.stores},
                            {u"Begindate"_s, c.begin},
                            {u"EndDate"_s, c.end},
                            {u"Checkflag"_s, c.approved}});
    Insert(u"QTCXOrderDetail"_s, {{u"OrderNo"_s, u"CX"_s + no}, {u"GoodsNo"_s, no}});
    const quilmo::Promotion p = FindPromotion(dm, no);
    EXPECT_EQ(p.found, c.found);
    EXPECT_EQ(p.OrderNo, c.found ? u"CX"_s + no : QString());
    EXPECT_EQ(p.CXFlag, c.found ? 5 : -1);
    EXPECT_EQ(p.CXQty, c.found ? 300 : 0);
  }
}

QUILMO_BOTH_MODES(PricingTest);

// Stock is only asked for online, from the server's stock table.
using StoreStockTest = test::DataTest;
TEST_F(StoreStockTest, ReadsThisStoresStockOnTheServer) {
  session.IsOnline = true;
  session.StoreNo = u"S01"_s;
  dm.conServer.Exec(
      u"INSERT INTO CKCurrStoreCS (StoreNo, GoodsNo, ColorNo, SizeNo, Quantity) VALUES "
      "('S01', 'G1', 'C1', 'Z1', 4), ('S02', 'G1', 'C1', 'Z2', 9)"_s);
  EXPECT_EQ(GetStoreStock(dm, u"G1"_s, u"C1"_s, u"Z1"_s), 4);
  EXPECT_EQ(GetStoreStock(dm, u"G1"_s, u"C1"_s, u"Z2"_s), 0);
}

}  // namespace
}  // namespace quilmo
