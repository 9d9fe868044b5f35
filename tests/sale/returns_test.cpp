#include "sale/returns.h"

#include "sale/pricing.h"
#include "sale/sale_fixture.h"
#include "sale/suspended_orders.h"

namespace quilmo {
namespace {

using test::SaleTest;
using namespace Qt::StringLiterals;

class ReturnTest : public SaleTest {
 protected:
  void SetUp() override {
    SaleTest::SetUp();
    if (HasFatalFailure()) return;
    session.BackDays = 7;
    Goods(u"G1"_s, u"SHIRT"_s, 100);
    Goods(u"G2"_s, u"PANTS"_s, 80);
    Insert(u"JBColor"_s, {{u"ColorNo"_s, u"001"_s}, {u"ColorName"_s, u"通用色"_s}});
    Insert(u"JBSize"_s, {{u"SizeNo"_s, u"001"_s}, {u"SizeName"_s, u"通用码"_s}});
    for (const auto& [no, name] : {std::pair{u"E01"_s, u"李四"_s}, {u"E02"_s, u"赵六"_s}}) {
      Insert(u"JBEmployee"_s, {{u"EmployeeNo"_s, no},
                               {u"EmployeeCode"_s, no.right(2)},
                               {u"EmployeeName"_s, name},
                               {u"QTEmployeeFlag"_s, 1}});
    }
    now = dm.ServerNow();
  }

  // A line as a sale stores it, in the all-colour and all-size of goods without either.
  static OrderLine Line(const QString& goods, double quantity, int price, double discount = 100) {
    OrderLine line;
    line.GoodsNo = goods;
    line.ColorNo = u"001"_s;
    line.SizeNo = u"001"_s;
    line.Quantity = quantity;
    line.Price = price;
    line.OrigPrice = price;
    line.Discount = discount;
    line.Amount = LineAmount(line.Price, quantity, discount, 2);
    line.CKPrice = 50;
    line.CKAmount = line.CKPrice.Times(quantity);
    return line;
  }
  static OrderLine Returned(const QString& sold_order, const QString& goods, int price) {
    OrderLine line = Line(goods, -1, price);
    line.Memo = ReturnMemo(sold_order);
    return line;
  }

  // A saved sale of this store, in the database given (the mode's unless said).
  void SaveSale(const QString& no, const QDateTime& date, const QString& employee,
                std::vector<OrderLine> sale_lines, const Connection* on = nullptr) {
    const Connection& c = on ? *on : dm.Current();
    OrderHeader h;
    h.OrderNo = no;
    h.OrderDate = date;
    h.StoreNo = u"S01"_s;
    if (!employee.isEmpty()) h.EmployeeNo = employee;
    c.Exec(InsertStatement<OrderHeader>(u"QTSaleOrder"_s), ToParams(h));
    int serial = 1;
    for (OrderLine& l : sale_lines) {
      l.OrderNo = no;
      l.SerialNo = serial++;
      c.Exec(InsertStatement<OrderLine>(u"QTSaleOrderDetail"_s), ToParams(l));
    }
  }

  static QStringList Listed(const std::vector<SoldLine>& rows) {
    QStringList out;
    for (const SoldLine& r : rows) {
      out << r.OrderNo + u'/' + QString::number(r.SerialNo) + u' ' + r.GoodsCode + u' ' +
                 NumberText(r.Left);
    }
    return out;
  }

  QDateTime now;
};

TEST_P(ReturnTest, TheReturnKeyCopiesTheSoldLineNegated) {
  OrderLine shirt = Line(u"G1"_s, 2, 100, 90);
  shirt.PriceFlag = kGoodsPromotion;
  shirt.Memo = u"【促销】"_s;
  SaveSale(u"XS01"_s, now.addDays(-1), u"E01"_s, {shirt, Line(u"G2"_s, 1, 80)});
  header.EmployeeNo = u"E01"_s;
  FindAndAddGoods(sale, order, {.code = u"PANTS"_s});

  ui.ChooseReturnLine(u"XS01"_s, 1);
  EXPECT_EQ(StartReturn(sale, order), ReturnResult::Added);
  EXPECT_EQ(ui.returnDates().front(), std::pair(now.date().addDays(-7), now.date()));
  EXPECT_EQ(Listed(ui.returnLists().front()),
            (QStringList{u"XS01/1 SHIRT 2"_s, u"XS01/2 PANTS 1"_s}));
  ASSERT_EQ(lines.size(), 2);
  const OrderLine& back = lines[1];
  EXPECT_EQ(back.GoodsCode, u"SHIRT"_s);
  EXPECT_EQ(back.Quantity, -2);
  EXPECT_EQ(back.Price, 100);
  EXPECT_EQ(back.Discount, 90);
  EXPECT_EQ(back.Amount, -180);
  EXPECT_EQ(back.CKAmount, -100);
  EXPECT_EQ(back.Memo, u"退：XS01"_s);
  EXPECT_EQ(back.SerialNo, 2);
  EXPECT_EQ(next_serial, 3);
  EXPECT_EQ(back.OrderNo, header.OrderNo);
  EXPECT_EQ(back.PriceFlag, kGoodsPromotion);
  EXPECT_EQ(back.GoodsName, u"商品SHIRT【促销】"_s);
  EXPECT_EQ(back.ColorName, u"通用色"_s);
  EXPECT_EQ(lines.CurrentIndex(), 1);
  EXPECT_TRUE(ui.messages().empty());

  // Selling the same shirt again (an exchange) is a line of its own, not less of the return.
  FindAndAddGoods(sale, order, {.code = u"SHIRT"_s});
  ASSERT_EQ(lines.size(), 3);
  EXPECT_EQ(lines[1].Quantity, -2);
  EXPECT_EQ(lines[2].Quantity, 1);
  EXPECT_TRUE(lines[2].Memo.isEmpty());
}

// Seven days back: the list holds whole days from the seventh day before today, but a sale of
// that day made earlier in the day than now is more than seven times 24 hours old.
TEST_P(ReturnTest, BackDaysListsWholeDaysAndChoosesByTheTimeOfDay) {
  const QDate today = now.date();
  SaveSale(u"XS-IN"_s, now.addDays(-7).addSecs(3600), {}, {Line(u"G1"_s, 1, 100)});
  SaveSale(u"XS-EDGE"_s, today.addDays(-7).startOfDay(), {}, {Line(u"G1"_s, 1, 100)});
  SaveSale(u"XS-OUT"_s, today.addDays(-8).startOfDay().addSecs(23 * 3600), {},
           {Line(u"G1"_s, 1, 100)});
  ui.OnReturnPicker([this](const ReturnPickerRequest& request,
                           const std::vector<SoldLine>& listed) -> std::optional<SoldLine> {
    EXPECT_EQ(Listed(listed), (QStringList{u"XS-EDGE/1 SHIRT 1"_s, u"XS-IN/1 SHIRT 1"_s}));
    if (listed.size() != 2) return {};
    EXPECT_FALSE(request.mayChoose(listed[0]));
    EXPECT_EQ(ui.last(), u"提示！|7前的商品不允许退换货！"_s);
    EXPECT_TRUE(request.mayChoose(listed[1]));
    return listed[1];
  });
  EXPECT_EQ(StartReturn(sale, order), ReturnResult::Added);
  ASSERT_EQ(lines.size(), 1);
  EXPECT_EQ(lines[0].Memo, u"退：XS-IN"_s);
}

TEST_P(ReturnTest, AReturnGoesToTheSalespersonOfItsSale) {
  const QDateTime yesterday = now.addDays(-1);
  SaveSale(u"XS-A"_s, yesterday, u"E01"_s, {Line(u"G1"_s, 1, 100)});
  SaveSale(u"XS-B"_s, yesterday, u"E02"_s, {Line(u"G2"_s, 1, 80)});
  SaveSale(u"XS-C"_s, yesterday, {}, {Line(u"G2"_s, 1, 80)});

  // On an empty order the first return takes over its sale's assistant.
  ui.ChooseReturnLine(u"XS-A"_s, 1);
  EXPECT_EQ(StartReturn(sale, order), ReturnResult::Added);
  EXPECT_EQ(header.EmployeeNo, u"E01"_s);
  EXPECT_EQ(order.EmployeeCode, u"01"_s);
  EXPECT_EQ(order.EmployeeName, u"李四"_s);
  // Then a sale of another assistant, or of none, may not join it.
  for (const QString& other : {u"XS-B"_s, u"XS-C"_s}) {
    ui.clear();
    ui.ChooseReturnLine(other, 1);
    EXPECT_EQ(StartReturn(sale, order), ReturnResult::Refused);
    EXPECT_EQ(ui.texts(), QStringList{u"退货的导购员不是同一个人！"_s});
    EXPECT_EQ(lines.size(), 1);
    EXPECT_EQ(header.EmployeeNo, u"E01"_s);
  }

  // An order rung up without an assistant takes returns of sales without one only.
  Order plain(session.AmountPoint);
  plain.header.OrderNo = u"XS0120261210000002"_s;
  order = std::move(plain);
  FindAndAddGoods(sale, order, {.code = u"SHIRT"_s});
  ui.clear();
  ui.ChooseReturnLine(u"XS-A"_s, 1);
  EXPECT_EQ(StartReturn(sale, order), ReturnResult::Refused);
  ui.ChooseReturnLine(u"XS-C"_s, 1);
  EXPECT_EQ(StartReturn(sale, order), ReturnResult::Added);
  EXPECT_TRUE(header.EmployeeNo.isEmpty());
  EXPECT_EQ(lines.size(), 2);
}

// What has come back of a sale is counted wherever its returns are: saved where the mode's
// sales go, saved in the till's file (made offline, not yet uploaded), parked, and on this
// order. A return is matched to the line of its price first, so the returned gift of the
// same shirt is not taken for a paid one.
TEST_P(ReturnTest, ASecondReturnIsOfferedOnlyWhatIsLeft) {
  OrderLine gift = Line(u"G1"_s, 1, 0);
  gift.PriceFlag = kGiftPrice;
  SaveSale(u"XS01"_s, now.addDays(-3), {}, {Line(u"G1"_s, 5, 100), gift});
  SaveSale(u"XS02"_s, now.addDays(-2), {}, {Returned(u"XS01"_s, u"G1"_s, 100)});
  SaveSale(u"XS03"_s, now.addDays(-1), {}, {Returned(u"XS01"_s, u"G1"_s, 100)}, &dm.conClient);
  Order parked(session.AmountPoint);
  parked.header.OrderNo = u"XS04"_s;
  parked.lines.Append(Returned(u"XS01"_s, u"G1"_s, 0));
  ASSERT_TRUE(SuspendOrder(sale, parked));

  ui.ChooseReturnLine(u"XS01"_s, 1);
  EXPECT_EQ(StartReturn(sale, order), ReturnResult::Added);
  EXPECT_EQ(Listed(ui.returnLists().back()), QStringList{u"XS01/1 SHIRT 3"_s});
  ASSERT_EQ(lines.size(), 1);
  EXPECT_EQ(lines[0].Quantity, -3);
  EXPECT_EQ(lines[0].Amount, -300);

  // Nothing is left, so the line is offered no more.
  ui.LeaveReturnPicker();
  EXPECT_EQ(StartReturn(sale, order), ReturnResult::NotChosen);
  EXPECT_TRUE(ui.returnLists().back().empty());

  // More typed on the return line than is left is cut back to what is left.
  EXPECT_EQ(ReturnableQuantity(sale, lines, 0), 3);
  lines.SetQuantity(0, -4);
  EXPECT_TRUE(LimitReturnQuantity(sale, lines, 0));
  EXPECT_EQ(lines[0].Quantity, -3);
  EXPECT_EQ(lines[0].Amount, -300);
  EXPECT_EQ(ui.last(), u"提示！|该销售单的此商品只剩3件可退！"_s);
  EXPECT_FALSE(LimitReturnQuantity(sale, lines, 0));
  EXPECT_FALSE(ui.unansweredLeft());
}

// The other way in: a negative quantity typed on a line. The picker lists only that goods;
// the chosen sale marks the line and its own price and quantity stay. Without a sale that has
// enough left the line goes back to selling one piece.
TEST_P(ReturnTest, ANegativeQuantityPointsTheLineToItsSale) {
  SaveSale(u"XS01"_s, now.addDays(-1), {}, {Line(u"G1"_s, 2, 90), Line(u"G2"_s, 1, 80)});
  struct Case {
    const char* name;
    double typed;
    bool choose;
    ReturnResult result;
    double quantity;
    QString memo;
    QStringList messages;
  };
  const Case cases[] = {
      {"chosen", -2, true, ReturnResult::Marked, -2, u"退：XS01"_s, {}},
      {"more than was sold",
       -3,
       true,
       ReturnResult::NotChosen,
       1,
       u""_s,
       {u"该销售单的此商品只剩2件可退！"_s, u"未选择退货单！"_s}},
      {"picker left", -1, false, ReturnResult::NotChosen, 1, u""_s, {u"未选择退货单！"_s}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Order fresh(session.AmountPoint);
    fresh.header.OrderNo = u"XS0120261210000002"_s;
    order = std::move(fresh);
    FindAndAddGoods(sale, order, {.code = u"SHIRT"_s});
    lines.SetQuantity(0, c.typed);
    ui.clear();
    if (c.choose) {
      ui.ChooseReturnLine(u"XS01"_s, 1);
    } else {
      ui.LeaveReturnPicker();
    }
    EXPECT_EQ(StartReturn(sale, order, {u"G1"_s, u"001"_s, u"001"_s}), c.result);
    EXPECT_EQ(Listed(ui.returnLists().back()), QStringList{u"XS01/1 SHIRT 2"_s});
    EXPECT_EQ(lines[0].Quantity, c.quantity);
    EXPECT_EQ(lines[0].Price, 100);
    EXPECT_EQ(lines[0].Amount, LineAmount(100, c.quantity, 100, 2));
    EXPECT_EQ(lines[0].Memo, c.memo);
    EXPECT_EQ(ui.texts(), c.messages);
  }
}

// The order number and goods code typed in the picker are matched as text: a % or _ is no
// wildcard.
TEST_P(ReturnTest, ThePickersFragmentsAreMatchedLiterally) {
  SaveSale(u"XS_01"_s, now.addDays(-1), {}, {Line(u"G1"_s, 1, 100)});
  SaveSale(u"XSA01"_s, now.addDays(-1), {}, {Line(u"G2"_s, 1, 80)});
  ui.OnReturnPicker([this](const ReturnPickerRequest& request,
                           const std::vector<SoldLine>&) -> std::optional<SoldLine> {
    auto find = [&request](const QString& order_no, const QString& goods) {
      return Listed(request.search({request.beginDate, request.endDate, order_no, goods}));
    };
    EXPECT_EQ(find(u"S_0"_s, {}), QStringList{u"XS_01/1 SHIRT 1"_s});
    EXPECT_EQ(find(u"%"_s, {}), QStringList());
    EXPECT_EQ(find(u"a0"_s, {}), QStringList{u"XSA01/1 PANTS 1"_s});
    EXPECT_EQ(find({}, u"hir"_s), QStringList{u"XS_01/1 SHIRT 1"_s});
    EXPECT_EQ(find(u"XS"_s, u"_"_s), QStringList());
    // The dates are whole days: a range ending the day before lists nothing.
    EXPECT_TRUE(request.search({request.beginDate, now.date().addDays(-2), {}, {}}).empty());
    return {};
  });
  EXPECT_EQ(StartReturn(sale, order), ReturnResult::NotChosen);
}

QUILMO_BOTH_MODES(ReturnTest);

}  // namespace
}  // namespace quilmo
