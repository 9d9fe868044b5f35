#include "sale/order_saving.h"

#include <QThread>
#include <atomic>
#include <cmath>
#include <functional>
#include <thread>

#include "sale/pricing.h"
#include "sale/saving_fixture.h"

namespace quilmo {
namespace {

using namespace Qt::StringLiterals;

class OrderSavingTest : public test::SavingTest {};
QUILMO_BOTH_MODES(OrderSavingTest);

OrderLine Line(int serial, Money amount, int price_flag = kOrdinaryPrice, double quantity = 1) {
  OrderLine l;
  l.SerialNo = serial;
  l.GoodsNo = u"G1"_s;
  l.Quantity = quantity;
  l.Price = amount;
  l.Amount = amount.Times(quantity);
  l.PriceFlag = price_flag;
  return l;
}

OrderLine GiftLine(int serial, double points) {
  OrderLine l = Line(serial, 0, kGiftPrice);
  l.Memo = u"【礼品】"_s;
  l.OrigPrice = Money::FromDouble(points);
  return l;
}

TEST_P(OrderSavingTest, TheCardEarnsItsPointsAndPaysItsPartInOneStatementForThatCardOnly) {
  struct Case {
    const char* name;
    std::vector<OrderLine> lines;
    double per;
    Money card_paid;
    double points;
  };
  const Money m100 = 100, m60 = 60, m40 = 40;
  const std::vector<Case> cases = {
      {"plain", {Line(1, m100)}, 10, 0, 10},
      {"no-point lines", {Line(1, m60), Line(2, m40, kGoodsPromotion)}, 10, 0, 6},
      {"gift points", {Line(1, m60), Line(2, m40, kGoodsPromotion), GiftLine(3, 3)}, 10, 0, 3},
      {"per 0", {Line(1, m100)}, 0, 0, 100},
      {"return", {Line(1, 50, kOrdinaryPrice, -1)}, 10, 0, -5},
      {"stored value", {Line(1, m100)}, 10, 50, 10},
  };
  Card(u"OTHER"_s, u"会员卡"_s, 80);
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString code = u"CARD%1"_s.arg(++n);
    Card(code, c.card_paid.IsZero() ? u"会员卡"_s : u"储值卡"_s, 200);
    session.PerJFAmount = c.per;
    header = OrderHeader();
    header.OrderNo = u"XS01202612100000%1"_s.arg(n);
    header.OnOverOrderNo = session.OnOverOrderNo;
    header.CardCode = code;
    header.CardAmount = c.card_paid;
    lines.Clear();
    Money total;
    for (OrderLine l : c.lines) {
      l.OrderNo = header.OrderNo;
      total += l.Amount;
      OrderLines::SuspendRules keep(lines);
      lines.Append(l);
    }
    header.Amount = header.RealAmount = total;
    header.CashAmount = total - c.card_paid;
    ASSERT_TRUE(Save()) << ui.last().toStdString();

    const QSqlRecord card = CardRow(code, GetParam());
    EXPECT_DOUBLE_EQ(D(card, "PointTotal"), c.points);
    EXPECT_DOUBLE_EQ(D(card, "TotalSaleAmount"), total.ToDouble());
    EXPECT_EQ(card.value(u"TotalSaleCount"_s).toInt(), 1);
    EXPECT_DOUBLE_EQ(D(card, "Amount"), 200 - c.card_paid.ToDouble());
    // Online the changed card goes to the other tills' next download.
    EXPECT_EQ(card.value(u"DownLogNo"_s).toInt(), GetParam() ? 7 + n : 7);
    EXPECT_EQ(Count(u"QTSaleOrderDetail"_s, header.OrderNo, GetParam()),
              static_cast<int>(c.lines.size()));
  }
  // No other card was touched, not even to turn its missing totals into 0.
  const QSqlRecord other = CardRow(u"OTHER"_s, GetParam());
  EXPECT_TRUE(other.value(u"TotalSaleCount"_s).isNull());
  EXPECT_TRUE(other.value(u"PointTotal"_s).isNull());
  EXPECT_DOUBLE_EQ(D(other, "Amount"), 80);
  EXPECT_EQ(other.value(u"DownLogNo"_s).toInt(), 7);
  // Cash of each sale reached the shift: 100 + 100 + 100 + 100 − 50 + 50.
  EXPECT_DOUBLE_EQ(D(ShiftRow(), "SaleAmount"), 400);
  EXPECT_DOUBLE_EQ(D(ShiftRow(), "OverAmount"), 900);
}

TEST_P(OrderSavingTest, AFailedSaveLeavesNoTraceOfTheOrderTheCardOrTheShift) {
  NewOrder(u"XS0120261210000001"_s, {u"A001"_s, u"A002"_s}, u"VIP001"_s);
  ASSERT_TRUE(Save());
  const QSqlRecord card_before = CardRow(u"VIP001"_s, GetParam());
  const QSqlRecord shift_before = ShiftRow();

  // The same order number again: the header cannot be stored, and nothing else may be.
  ui.clear();
  EXPECT_FALSE(Save());
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_EQ(ui.messages()[0].caption, QString());
  EXPECT_EQ(ui.messages()[0].icon, MsgIcon::Error);
  EXPECT_TRUE(ui.messages()[0].text.startsWith(u"保存单据错误！原因："_s));
  // A line that cannot be stored (two lines with one number) after a header that could.
  NewOrder(u"XS0120261210000002"_s, {u"A001"_s, u"A003"_s}, u"VIP001"_s);
  lines[1].SerialNo = lines[0].SerialNo;
  EXPECT_FALSE(Save());
  EXPECT_EQ(Count(u"QTSaleOrder"_s, header.OrderNo, GetParam()), 0);
  EXPECT_EQ(Count(u"QTSaleOrderDetail"_s, header.OrderNo, GetParam()), 0);

  const QSqlRecord card_after = CardRow(u"VIP001"_s, GetParam());
  for (const char* c : {"PointTotal", "TotalSaleAmount", "TotalSaleCount", "Amount", "DownLogNo"}) {
    EXPECT_EQ(card_after.value(QLatin1StringView(c)), card_before.value(QLatin1StringView(c))) << c;
  }
  EXPECT_DOUBLE_EQ(D(ShiftRow(), "SaleAmount"), D(shift_before, "SaleAmount"));
  EXPECT_DOUBLE_EQ(D(ShiftRow(), "OverAmount"), D(shift_before, "OverAmount"));
  EXPECT_EQ(dm.conClient.Scalar(u"SELECT COUNT(*) FROM QTShiftPending"_s).toInt(), 0);
}

// A NUL pasted into a memo cut the server's statement short; saved offline, the sale then
// failed every upload. The save keeps the text and drops the control characters.
TEST_P(OrderSavingTest, ControlCharactersNeverReachTheBooks) {
  NewOrder(u"XS0120261210000001"_s, {u"A001"_s});
  const QString nul(QChar(0));
  lines[0].Memo = u"退"_s + nul + u"货"_s + QChar(0x1b);
  header.Memo = u"顾客"_s + nul + u"备注"_s;
  ASSERT_TRUE(Save()) << ui.last().toStdString();
  EXPECT_EQ(dm.Current()
                .Scalar(u"SELECT Memo FROM QTSaleOrderDetail WHERE OrderNo = :No"_s,
                        {{u":No"_s, header.OrderNo}})
                .toString(),
            u"退货"_s);
  EXPECT_EQ(dm.Current()
                .Scalar(u"SELECT Memo FROM QTSaleOrder WHERE OrderNo = :No"_s,
                        {{u":No"_s, header.OrderNo}})
                .toString(),
            u"顾客备注"_s);
}

// Whatever a screen hands it, the save itself books only an order whose money adds up: each
// fault is refused with its reason and leaves nothing in the tables and nothing in the shift's
// cash. A return, with every part negative, still saves.
TEST_P(OrderSavingTest, AnOrderWhoseMoneyDoesNotAddUpIsRefusedAndNothingIsWritten) {
  struct Case {
    const char* name;
    std::function<void(OrderHeader&)> change;
    const char* reason;  // empty: saved
  };
  const Case cases[] = {
      {"amount is not the sum of the lines",
       [](OrderHeader& h) { h.Amount = h.RealAmount = h.CashAmount = 150; },
       "单据金额150与商品金额合计140不符！"},
      {"real amount is not amount less rounding",
       [](OrderHeader& h) { h.RealAmount = h.CashAmount = 130; },
       "实收金额130不等于单据金额140减抹零0！"},
      {"rounding past zero",
       [](OrderHeader& h) {
         h.AdjustAmount = 190;
         h.RealAmount = h.CashAmount = -50;
       },
       "抹零金额190超出单据金额140！"},
      {"parts short of the due", [](OrderHeader& h) { h.CashAmount = 100; },
       "现金、储值卡、银行卡与现金卷合计100不等于实收金额140！"},
      {"negative bank card",
       [](OrderHeader& h) {
         h.BankCardAmount = -50;
         h.CashAmount = 190;
       },
       "银行卡金额-50不能小于零！"},
      {"bank card and voucher over the due",
       [](OrderHeader& h) {
         h.BankCardAmount = 80;
         h.Card1Amount = 80;
         h.CashAmount = -20;
       },
       "现金金额-20不能小于零！"},
      {"negative change", [](OrderHeader& h) { h.BackAmount = -10; }, "找零金额-10不能小于零！"},
  };
  int serial = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NewOrder(u"XS01202612100000%1"_s.arg(++serial, 2, 10, QLatin1Char('0')),
             {u"A001"_s, u"A002"_s});
    c.change(header);
    const QSqlRecord shift_before = ShiftRow();
    ui.clear();
    EXPECT_FALSE(Save());
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, u"保存单据错误！原因："_s + QString::fromUtf8(c.reason));
    EXPECT_EQ(Count(u"QTSaleOrder"_s, header.OrderNo, GetParam()), 0);
    EXPECT_EQ(Count(u"QTSaleOrderDetail"_s, header.OrderNo, GetParam()), 0);
    EXPECT_DOUBLE_EQ(D(ShiftRow(), "SaleAmount"), D(shift_before, "SaleAmount"));
    EXPECT_DOUBLE_EQ(D(ShiftRow(), "OverAmount"), D(shift_before, "OverAmount"));
    EXPECT_EQ(dm.conClient.Scalar(u"SELECT COUNT(*) FROM QTShiftPending"_s).toInt(), 0);
  }

  // A return of 100 paid back in cash: every part negative, and booked.
  NewOrder(u"XS0120261210000099"_s, {});
  OrderLine returned = Line(1, 100, kOrdinaryPrice, -1);
  returned.OrderNo = header.OrderNo;
  header.Amount = header.RealAmount = header.CashAmount = -100;
  EXPECT_TRUE(SaveOrder(dm, ui, header, {returned}, true)) << ui.last().toStdString();
  EXPECT_DOUBLE_EQ(D(ShiftRow(), "SaleAmount"), -100);
}

// The card pays only what its balance covers; a payment it does not cover refuses the whole
// save, and a return pays back to the card.
TEST_P(OrderSavingTest, AStoredValuePaymentIsTakenOnlyWhenTheBalanceCoversIt) {
  Card(u"SV"_s, u"储值卡"_s, 100);
  struct Case {
    const char* card;
    const char* paid;
    bool saved;
    const char* balance_after;
  };
  const Case cases[] = {
      {"SV", "60", true, "40"},      {"SV", "50", false, "40"}, {"SV", "39.99", true, "0.01"},
      {"SV", "0.02", false, "0.01"}, {"SV", "0.01", true, "0"}, {"SV", "-20.5", true, "20.5"},
      {"GONE", "1", false, nullptr},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.card) + " " + c.paid);
    NewOrder(u"XS012026121000%1"_s.arg(++n, 4, 10, QLatin1Char('0')), {u"A001"_s});
    header.CardCode = QString::fromLatin1(c.card);
    header.CardAmount = M(c.paid);
    if (header.CardAmount < 0) {
      // Only a return pays back to the card: the goods come back.
      OrderLine& back = lines[0];
      back.Quantity = -1;
      back.Amount = -back.Amount;
      header.Amount = header.RealAmount = back.Amount;
    }
    header.CashAmount = header.RealAmount - header.CardAmount;
    const double shift_before = D(ShiftRow(), "SaleAmount");
    ui.clear();
    EXPECT_EQ(Save(), c.saved);
    EXPECT_EQ(Count(u"QTSaleOrder"_s, header.OrderNo, GetParam()), c.saved ? 1 : 0);
    EXPECT_EQ(Count(u"QTSaleOrderDetail"_s, header.OrderNo, GetParam()), c.saved ? 1 : 0);
    if (!c.saved) {
      EXPECT_EQ(ui.last(), u"|保存单据错误！原因：卡内余额不够！"_s);
      EXPECT_DOUBLE_EQ(D(ShiftRow(), "SaleAmount"), shift_before);
      EXPECT_EQ(dm.conClient.Scalar(u"SELECT COUNT(*) FROM QTShiftPending"_s).toInt(), 0);
    }
    if (c.balance_after) {
      EXPECT_EQ(Money::FromVariant(CardRow(u"SV"_s, GetParam()).value(u"Amount"_s)),
                M(c.balance_after));
    }
  }
}

TEST_P(OrderSavingTest, PromotionPiecesCountWhenSoldNotWhenScanned) {
  Goods(u"GP"_s, u"P001"_s, 199,
        {{u"SalesType"_s, 2}, {u"SalesPrice"_s, 99}, {u"SalesQty"_s, 10}, {u"FinishSaleQty"_s, 8}});
  // Two pieces left: the order takes both, and a third is refused while the order holds them.
  NewOrder(u"XS0120261210000001"_s, {u"P001"_s, u"P001"_s});
  EXPECT_EQ(lines.size(), 1);
  EXPECT_EQ(lines[0].Price, Money(99));
  Scan third;
  third.code = u"P001"_s;
  ui.clear();
  FindAndAddGoods(sale, order, third);
  EXPECT_TRUE(ui.texts().join(u"|"_s).contains(u"该货品当前销售量超出了促销限量!"_s));
  // Scanning counted nothing; a dropped order gives nothing back because it took nothing.
  EXPECT_DOUBLE_EQ(GoodsColumn(u"GP"_s, "FinishSaleQty").toDouble(), 8);
  EXPECT_EQ(GoodsColumn(u"GP"_s, "SalesType").toInt(), 2);

  // The sale itself counts: one priced line of two pieces.
  NewOrder(u"XS0120261210000002"_s, {u"P001"_s, u"P001"_s});
  ASSERT_TRUE(Save()) << ui.last().toStdString();
  EXPECT_DOUBLE_EQ(GoodsColumn(u"GP"_s, "FinishSaleQty").toDouble(), 10);
}

TEST_P(OrderSavingTest, TheUploadKindOfSaveLeavesTheShiftAlone) {
  NewOrder(u"XS0120261210000001"_s, {u"A001"_s});
  SaveRequest request;
  request.on_server = GetParam();
  request.add_to_shift = false;
  EXPECT_EQ(StoreOrder(dm, header, LinesOf(lines), request), SaveOutcome::Saved);
  EXPECT_DOUBLE_EQ(D(ShiftRow(), "SaleAmount"), 0);
  EXPECT_DOUBLE_EQ(D(ShiftRow(), "OverAmount"), 500);
}

class OnlineSavingTest : public test::SavingTest {
 protected:
  void SetUp() override {
    SavingTest::SetUp();
    session.IsOnline = true;
  }
};
INSTANTIATE_TEST_SUITE_P(Online, OnlineSavingTest, ::testing::Values(true));

// The server keeps the same rule for what reaches it without the till's check, an uploaded
// sale: parts that do not pay the due, or a negative part in a sale, are refused there and
// nothing is stored; a return uploaded with its negative parts is stored.
TEST_P(OnlineSavingTest, TheServerRefusesASaleWhoseMoneyDoesNotAddUp) {
  SaveRequest upload;
  upload.on_server = true;
  upload.add_to_shift = false;
  upload.only_new = true;
  upload.uploaded = true;
  const std::function<void(OrderHeader&)> faults[] = {
      [](OrderHeader& h) {
        h.BankCardAmount = -50;
        h.CashAmount = 150;
      },
      [](OrderHeader& h) { h.CashAmount = 90; },
      [](OrderHeader& h) { h.BackAmount = -1; },
      [](OrderHeader& h) {
        h.AdjustAmount = 150;
        h.RealAmount = h.CashAmount = -50;
      },
  };
  int serial = 0;
  for (const auto& fault : faults) {
    NewOrder(u"XS01202612100000%1"_s.arg(++serial), {u"A001"_s});
    fault(header);
    EXPECT_THROW(StoreOrder(dm, header, LinesOf(lines), upload), SaveError) << serial;
    EXPECT_EQ(Count(u"QTSaleOrder"_s, header.OrderNo, true), 0) << serial;
    EXPECT_EQ(Count(u"QTSaleOrderDetail"_s, header.OrderNo, true), 0) << serial;
  }
  NewOrder(u"XS0120261210000009"_s, {});
  OrderLine returned = Line(1, 100, kOrdinaryPrice, -1);
  returned.OrderNo = header.OrderNo;
  header.Amount = header.RealAmount = -100;
  header.CashAmount = -60;
  header.BankCardAmount = -40;
  EXPECT_EQ(StoreOrder(dm, header, {returned}, upload), SaveOutcome::Saved);
}

TEST_P(OnlineSavingTest, TheStockPostingVetoStoresNothingAndSaysWhichGoods) {
  session.XSTotal = true;
  NewOrder(u"XS0120261210000001"_s, {u"A001"_s}, u"VIP001"_s);
  EXPECT_FALSE(Save());
  EXPECT_EQ(ui.last(),
            u"|保存单据错误！原因：商品\"商品A001\" 的出库数量可能使库存变为负数！\r\n\r\n"
            "如果允许负库存，请在帐套参数中设置。"_s);
  EXPECT_EQ(Count(u"QTSaleOrder"_s, header.OrderNo, true), 0);
  EXPECT_TRUE(CardRow(u"VIP001"_s, true).value(u"TotalSaleCount"_s).isNull());
  EXPECT_DOUBLE_EQ(D(ShiftRow(), "SaleAmount"), 0);
  EXPECT_EQ(dm.conClient.Scalar(u"SELECT COUNT(*) FROM QTShiftPending"_s).toInt(), 0);

  // With stock the same order is stored and posted.
  dm.conServer.Exec(
      u"INSERT INTO CKCurrStoreCS (StoreNo, GoodsNo, ColorNo, SizeNo, Quantity) "
      "VALUES ('S01', 'G1', :Color, :Size, 5)"_s,
      {{u":Color"_s, lines[0].ColorNo}, {u":Size"_s, lines[0].SizeNo}});
  EXPECT_TRUE(Save()) << ui.last().toStdString();
  EXPECT_EQ(dm.conServer.Scalar(u"SELECT TotalFlag FROM QTSaleOrder"_s).toInt(), 1);
  EXPECT_DOUBLE_EQ(D(ShiftRow(), "SaleAmount"), 100);
}

TEST_P(OnlineSavingTest, ASaveLeftUnfinishedIsSettledOnceFromWhatTheServerHolds) {
  NewOrder(u"XS0120261210000001"_s, {u"A001"_s});
  // Pending rows as a program that died after the server's commit (the order is there) and
  // one that died before it (the order is not) leave them.
  SaveRequest upload;
  upload.on_server = true;
  upload.add_to_shift = false;
  StoreOrder(dm, header, LinesOf(lines), upload);
  dm.conClient.Exec(u"INSERT INTO QTShiftPending VALUES (:A, :S, 100), (:B, :S, 70)"_s,
                    {{u":A"_s, header.OrderNo},
                     {u":B"_s, u"XS0120261210000009"_s},
                     {u":S"_s, session.OnOverOrderNo}});
  // The order the server holds is settled at once; the other waits for the shift close.
  EXPECT_EQ(SettlePendingShiftAmounts(dm), 1);
  EXPECT_EQ(SettlePendingShiftAmounts(dm), 0);
  EXPECT_EQ(dm.conClient.Scalar(u"SELECT COUNT(*) FROM QTShiftPending"_s).toInt(), 1);
  EXPECT_EQ(SettlePendingShiftAmounts(dm, /*final=*/true), 1);
  EXPECT_EQ(dm.conClient.Scalar(u"SELECT COUNT(*) FROM QTShiftPending"_s).toInt(), 0);
  EXPECT_DOUBLE_EQ(D(ShiftRow(), "SaleAmount"), 100);
  EXPECT_DOUBLE_EQ(D(ShiftRow(), "OverAmount"), 600);
}

TEST_P(OrderSavingTest, GiftAmountTotalsTheGiftLinesOfACardOrder) {
  NewOrder(u"XS0120261210000001"_s, {u"A001"_s}, u"VIP001"_s);
  for (double price : {50.0, 30.0}) {
    OrderLine gift = GiftLine(lines.size() + 1, price);
    gift.OrderNo = header.OrderNo;
    OrderLines::SuspendRules keep(lines);
    lines.Append(gift);
  }
  EXPECT_DOUBLE_EQ(GiftAmount(header, LinesOf(lines)), 80);
  // Without a card the gifts cost no points.
  header.CardCode.clear();
  EXPECT_DOUBLE_EQ(GiftAmount(header, LinesOf(lines)), 0);
}

// A card order rung up through the promotions earns points on what was paid, and loses points
// only for a gift exchanged for them: neither a money-off line nor a gift given for added cash
// takes points off the card.
TEST_P(OrderSavingTest, ACardLosesPointsOnlyForTheGiftsItExchangesForThem) {
  session.SPNotDiscount = true;  // promotion lines earn no points
  MoneyGoods();
  Goods(u"GC"_s, u"COAT"_s, 150);
  Goods(u"GS"_s, u"SUIT"_s, 250);
  Goods(u"GF"_s, u"GIFT"_s, 300, {{u"IsGift"_s, 1}});
  Promotion(u"CX4"_s, kSpendXGetMoneyOff, 200, 20, 0, {u"GC"_s});
  Promotion(u"CX10"_s, kSpendXAddCashForGift, 200, 20, 0, {u"GS"_s});
  Card(u"POINTS"_s, u"会员卡"_s, 0);
  dm.Current().Exec(u"UPDATE QTCards SET PointTotal = 1000 WHERE CardsCode = 'POINTS'"_s);

  struct Case {
    const char* name;
    QStringList codes;
    std::function<void()> before, after;  // the cashier's answers, the keys after the scans
    Money paid;
    double earned;
  };
  const auto nothing = [] {};
  const std::vector<Case> cases = {
      // 450 of promotion goods, 40 off: what earns no points is at most the 410 paid.
      {"money off", {u"COAT"_s, u"COAT"_s, u"COAT"_s}, nothing, nothing, 410, 0},
      // 250 of promotion goods + 20 added cash for a gift worth 300: the cash earns its 2
      // points, the gift costs none.
      {"gift for added cash",
       {u"SUIT"_s},
       [this] {
         ui.AnswerYes();
         ui.ChooseGoods(u"GIFT"_s);
       },
       nothing,
       270,
       2},
      // An ordinary sale of 100 with a gift of 300 points exchanged: 10 earned, 300 spent.
      {"points gift",
       {u"A001"_s},
       nothing,
       [this] {
         order.PointTotal = 1000;
         ui.ChooseGoods(u"GIFT"_s);
         ExchangePointsForGift(sale, order);
         RecalcOrder(sale, order);
       },
       100,
       10 - 300},
  };
  double points = 1000;
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.before();
    NewOrder(u"XS012026121000010%1"_s.arg(++n), c.codes, u"POINTS"_s);
    c.after();
    header.CashAmount = header.RealAmount;
    ASSERT_EQ(header.RealAmount, c.paid);
    EXPECT_DOUBLE_EQ(OrderPoints(header, LinesOf(lines), session), c.earned);
    ASSERT_TRUE(Save()) << ui.last().toStdString();
    points += c.earned;
    EXPECT_DOUBLE_EQ(D(CardRow(u"POINTS"_s, GetParam()), "PointTotal"), points);
    // What the receipt shows after the save is the card's new total.
    EXPECT_DOUBLE_EQ(CardPointsAfterSale(dm, header, LinesOf(lines), 0), points);
  }
  // A return of promotion goods gives back no more points than the return paid out either.
  const OrderLine back = Line(1, 150, kGoodsPromotion, -1);
  EXPECT_DOUBLE_EQ(
      OrderPoints(OrderHeader{.RealAmount = -100, .CardCode = u"POINTS"_s}, {back}, session), 0);
}

// Points add up to the hundredth the back office shows, with no binary residue: ten sales of
// 0.1 point each leave exactly 1 on the card, in both databases' arithmetic.
TEST_P(OrderSavingTest, PointsAddUpToTheHundredth) {
  session.PerJFAmount = 10;
  for (int i = 1; i <= 10; ++i) {
    header = OrderHeader();
    header.OrderNo = u"XS01202612100002%1"_s.arg(i, 2, 10, QChar(u'0'));
    header.OnOverOrderNo = session.OnOverOrderNo;
    header.CardCode = u"VIP001"_s;
    lines.Clear();
    OrderLine l = Line(1, 1);
    l.OrderNo = header.OrderNo;
    {
      OrderLines::SuspendRules keep(lines);
      lines.Append(l);
    }
    header.Amount = header.RealAmount = header.CashAmount = 1;
    ASSERT_TRUE(Save()) << ui.last().toStdString();
  }
  const QString total = CardRow(u"VIP001"_s, GetParam()).value(u"PointTotal"_s).toString();
  EXPECT_EQ(total, u"1"_s);
  EXPECT_EQ(RoundPoints(0.1 + 0.2), 0.3);
  EXPECT_EQ(RoundPoints(1.005), 1.01);
  for (double bad : {std::nan(""), HUGE_VAL, -HUGE_VAL, 1e9, -1e9}) {
    EXPECT_TRUE(PointsRefusal(bad, u"积分"_s)) << bad;
  }
  EXPECT_FALSE(PointsRefusal(-99999999.99, u"积分"_s));
}

}  // namespace
}  // namespace quilmo

namespace quilmo {
namespace {

using namespace Qt::StringLiterals;

// A shop's year of sales in the local file (about 110k orders, 550k lines) stays fast only when
// the shift's sales, an order's lines and the closed shifts are found through indexes.
using LocalIndexTest = test::DataTest;

TEST_F(LocalIndexTest, TheLookupsOfTheShiftAndTheUploadUseIndexesInTheLocalFile) {
  for (const QString& sql :
       {u"SELECT SUM(CashAmount) FROM QTSaleOrder WHERE OnOverOrderNo = 'X'"_s,
        u"SELECT * FROM QTSaleOrder WHERE OrderNo = 'X'"_s,
        u"SELECT * FROM QTSaleOrderDetail WHERE OrderNo = 'X' ORDER BY SerialNo"_s,
        u"SELECT OrderNo FROM QTOnOverOrder WHERE OverFlag = 1 ORDER BY OrderNo"_s,
        u"SELECT * FROM QTShiftPending WHERE OrderNo = 'X'"_s}) {
    QStringList plan;
    QSqlQuery q = dm.conClient.Query(u"EXPLAIN QUERY PLAN "_s + sql);
    while (q.next()) plan << q.value(3).toString();
    const QString text = plan.join(u" | "_s);
    EXPECT_TRUE(text.contains(u"USING"_s)) << sql.toStdString() << ": " << text.toStdString();
  }
}

}  // namespace
}  // namespace quilmo

namespace quilmo {
namespace {

using namespace Qt::StringLiterals;

class CardDownLogTest : public test::SavingTest {};
INSTANTIATE_TEST_SUITE_P(Online, CardDownLogTest, ::testing::Values(true));

// Two tills change cards at the same time. The one that commits later must carry the larger
// DownLogNo, or a till that downloaded in between (up to the larger number) never sees it.
TEST_P(CardDownLogTest, ACardChangedWhileAnotherTillsSaleIsInFlightGetsALargerDownLogNo) {
  Card(u"VIP002"_s, u"会员卡"_s, 0);
  // The other till's sale, in flight: it holds the card lock and has numbered its card.
  Connection other(u"other_till"_s, Engine::Server);
  QString error;
  ASSERT_TRUE(other.OpenServer({server().host, server().port, server().user, server().password},
                               databaseName(), &error));
  other.Exec(u"BEGIN"_s);
  other.Exec(u"SELECT pg_advisory_xact_lock(hashtext('QTCards.DownLogNo'))"_s);
  other.Exec(
      u"UPDATE QTCards SET DownLogNo = (SELECT MAX(DownLogNo) + 1 FROM QTCards) "
      "WHERE CardsCode = 'VIP002'"_s);
  // This till's sale waits for it, on a thread of its own with its own connection.
  NewOrder(u"XS0120261210000001"_s, {u"A001"_s}, u"VIP001"_s);
  const OrderHeader h = header;
  const std::vector<OrderLine> l = LinesOf(lines);
  std::atomic<bool> done{false};
  std::thread till([&] {
    PosSession s;
    s.IsOnline = true;
    s.PerJFAmount = 10;
    test::ScriptedUi u;
    test::FixedClock c;
    TDMFM d(s, c);
    QString e;
    d.conServer.OpenServer({server().host, server().port, server().user, server().password},
                           databaseName(), &e);
    SaveRequest request;
    request.on_server = true;
    request.add_to_shift = false;
    StoreOrder(d, h, l, request);
    d.conServer.Close();
    done = true;
  });
  QThread::msleep(300);
  EXPECT_FALSE(done) << "the sale did not wait for the card numbering in flight";
  other.Exec(u"COMMIT"_s);
  till.join();
  const int other_no = CardRow(u"VIP002"_s, true).value(u"DownLogNo"_s).toInt();
  const int ours = CardRow(u"VIP001"_s, true).value(u"DownLogNo"_s).toInt();
  EXPECT_EQ(other_no, 8);
  EXPECT_EQ(ours, 9);
}

}  // namespace
}  // namespace quilmo
