#include "sale/promotions.h"
#include "sale/sale_fixture.h"

namespace quilmo {
namespace {

using test::SaleTest;
using namespace Qt::StringLiterals;

// Online, every statement is a round trip to the back office: a scan must cost few, whatever
// it finds, and still be priced by every rule.
class RoundTripsTest : public SaleTest {
 protected:
  void SetUp() override {
    SaleTest::SetUp();
    if (HasFatalFailure()) return;
    Insert(u"JBColor"_s, {{u"ColorNo"_s, u"C01"_s}, {u"ColorName"_s, u"红"_s}});
    Insert(u"JBSize"_s, {{u"SizeNo"_s, u"Z01"_s}, {u"SizeName"_s, u"M"_s}});
    Insert(u"JBCGroupDetail"_s, {{u"CGroupNo"_s, u"CG1"_s}, {u"ColorNo"_s, u"C01"_s}});
    Insert(u"JBSGroupDetail"_s, {{u"SGroupNo"_s, u"SG1"_s}, {u"SizeNo"_s, u"Z01"_s}});
    const QVariantMap sized{
        {u"CSOptions"_s, 3}, {u"CGroupNo"_s, u"CG1"_s}, {u"SGroupNo"_s, u"SG1"_s}};
    for (int i = 1; i <= 3; ++i) {
      QVariantMap more = sized;
      more.insert(u"GoodsName"_s, u"羊毛衫%1"_s.arg(i));
      Goods(u"G%1"_s.arg(i), u"W10%1"_s.arg(i), 100 + i, more);
      Insert(u"JBClothBarCode"_s, {{u"BarCode"_s, u"69000%1"_s.arg(i)},
                                   {u"GoodsNo"_s, u"G%1"_s.arg(i)},
                                   {u"ColorNo"_s, u"C01"_s},
                                   {u"SizeNo"_s, u"Z01"_s}});
    }
    // A promotion on the goods, so the promotion is found, not only looked for.
    Promotion(u"CX1"_s, 2, 0, 0, 0, {u"G2"_s}, {{u"Discount"_s, 80}});
  }
  // The round trips of a scan and the recalculation after it.
  qint64 RoundTrips(const QString& code) {
    const qint64 before = dm.conServer.RoundTrips();
    const AddResult result = FindAndAddGoods(sale, order, {.code = code});
    EXPECT_TRUE(result == AddResult::Added || result == AddResult::Merged);
    RecalcOrder(sale, order);
    return dm.conServer.RoundTrips() - before;
  }
};
TEST_P(RoundTripsTest, AScanCostsAtMostThreeRoundTripsAndKeepsItsPrice) {
  order.header.OrderDate = dm.ServerNow();
  // The first scans prepare the statements the till keeps for the next ones.
  ui.ChooseColorSize(u"红"_s);
  ui.ChooseColorSize(u"M"_s);
  ASSERT_EQ(FindAndAddGoods(sale, order, {.code = u"W101"_s}), AddResult::Added);
  ASSERT_EQ(FindAndAddGoods(sale, order, {.code = u"690003"_s}), AddResult::Added);
  ui.ChooseGoods(u"W101"_s);
  ui.ChooseColorSize(u"红"_s);
  ui.ChooseColorSize(u"M"_s);
  ASSERT_EQ(FindAndAddGoods(sale, order, {.code = u"羊毛"_s}), AddResult::Added);

  struct Case {
    QString code;
    bool lists;  // the goods list, then colour and size
    bool chosen;
  };
  for (const Case& c : {Case{u"690002"_s, false, false}, Case{u"W103"_s, false, true},
                        Case{u"羊毛"_s, true, true}}) {
    SCOPED_TRACE(c.code.toStdString());
    for (int i = 0; i < 3; ++i) {
      if (c.lists) ui.ChooseGoods(u"W102"_s);
      if (c.chosen) {
        ui.ChooseColorSize(u"红"_s);
        ui.ChooseColorSize(u"M"_s);
      }
      // The search, the colour and size lists when they are asked for, the pricing.
      EXPECT_EQ(RoundTrips(c.code), c.chosen ? 3 : 2);
    }
  }
  // The promotion was found in the one statement: G2 at 80 %, three pieces on its line.
  ASSERT_EQ(lines.size(), 6);
  EXPECT_EQ(lines[3].GoodsNo, u"G2"_s);
  EXPECT_EQ(lines[3].CXOrderNo, u"CX1"_s);
  EXPECT_EQ(lines[3].Discount, 80);
  EXPECT_EQ(lines[3].Amount, Money::FromDouble(244.8));
  EXPECT_EQ(lines[4].GoodsNo, u"G3"_s);
  EXPECT_EQ(lines[4].Quantity, 3);
  EXPECT_EQ(lines[5].GoodsNo, u"G2"_s);
  EXPECT_EQ(lines[5].Amount, Money::FromDouble(244.8));
}

INSTANTIATE_TEST_SUITE_P(Online, RoundTripsTest, ::testing::Values(true), ::quilmo::test::ModeName);

}  // namespace
}  // namespace quilmo
