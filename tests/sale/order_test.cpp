#include "sale/order.h"

#include <gtest/gtest.h>

#include "support/data_fixture.h"
#include "support/qt_printers.h"

namespace quilmo {
namespace {

OrderLine Goods(Money price, double quantity, double discount = 100) {
  OrderLine line;
  line.GoodsNo = QStringLiteral("G1");
  line.Price = price;
  line.Quantity = quantity;
  line.Discount = discount;
  line.CKPrice = M("7.5");
  return line;
}

TEST(OrderLines, SettingQuantityPriceOrDiscountRecomputesTheAmounts) {
  OrderLines lines(2);
  const int row = lines.Append(Goods(M("19.99"), 3, 85));
  EXPECT_EQ(lines.CurrentIndex(), row);
  EXPECT_EQ(lines[row].Amount, M("50.97"));
  EXPECT_EQ(lines[row].CKAmount, M("22.5"));

  lines.SetQuantity(row, 2);
  EXPECT_EQ(lines[row].Amount, M("33.98"));
  EXPECT_EQ(lines[row].CKAmount, 15);
  lines.SetPrice(row, 10);
  EXPECT_EQ(lines[row].Amount, 17);
  lines.SetDiscount(row, 100);
  EXPECT_EQ(lines[row].Amount, 20);

  // Other fields are plain data.
  lines[row].CKPrice = 1;
  EXPECT_EQ(lines[row].CKAmount, 15);
}

TEST(OrderLines, SuspendedRulesLeaveStoredAmountsAlone) {
  OrderLines lines(2);
  OrderLine parked = Goods(10, 2);
  parked.Amount = M("18.5");  // as saved: the whole-order rounding of another day
  {
    OrderLines::SuspendRules suspended(lines);
    lines.Append(parked);
    lines.SetQuantity(0, 3);
  }
  EXPECT_EQ(lines[0].Amount, M("18.5"));
  EXPECT_EQ(lines[0].Quantity, 3);
  lines.SetQuantity(0, 3);
  EXPECT_EQ(lines[0].Amount, 30);
}

TEST(OrderLines, ScreenChecksRunFirstAndDoNotRunAgainForTheirOwnWrites) {
  OrderLines lines(2);
  std::vector<LineField> seen;
  // A check in the manner of the sale screen's: a special-price line keeps its full price.
  lines.SetLineChecks([&seen](OrderLines& l, int row, LineField changed) {
    seen.push_back(changed);
    if (changed == LineField::Discount && l[row].Memo == QStringLiteral("【特价】")) {
      l.SetDiscount(row, 100);
    }
  });
  OrderLine special = Goods(50, 1);
  special.Memo = QStringLiteral("【特价】");
  const int row = lines.Append(special);
  EXPECT_EQ(seen, (std::vector{LineField::Quantity, LineField::Price, LineField::Discount}));

  seen.clear();
  lines.SetDiscount(row, 80);
  EXPECT_EQ(seen, std::vector{LineField::Discount});
  EXPECT_EQ(lines[row].Discount, 100);
  EXPECT_EQ(lines[row].Amount, 50);
}

TEST(OrderLines, CursorFollowsAppendsAndDeletes) {
  OrderLines lines;
  EXPECT_EQ(lines.Current(), nullptr);
  lines.Append(Goods(1, 1));
  lines.Append(Goods(2, 1));
  lines.Append(Goods(3, 1));
  EXPECT_EQ(lines.CurrentIndex(), 2);
  lines.SetCurrentIndex(1);
  lines.Delete(1);
  EXPECT_EQ(lines.Current()->Price, 3);
  lines.Delete(1);
  EXPECT_EQ(lines.Current()->Price, 1);
  lines.Delete(0);
  EXPECT_EQ(lines.CurrentIndex(), -1);
}

TEST(FieldTable, EveryColumnOnceAndNullsAsTheStatementsReadThem) {
  for (const auto& f : OrderLine::Fields()) {
    EXPECT_EQ(FindField<OrderLine>(QLatin1StringView(f.name)), &f) << f.name;
  }
  OrderHeader header;
  EXPECT_TRUE(GetField(header, *FindField<OrderHeader>(u"EmployeeNo")).isNull());
  EXPECT_TRUE(GetField(header, *FindField<OrderHeader>(u"OrderDate")).isNull());
  header.CardCode = QStringLiteral("");
  EXPECT_FALSE(GetField(header, *FindField<OrderHeader>(u"CardCode")).isNull());

  SetField(header, *FindField<OrderHeader>(u"Amount"), QVariant());
  EXPECT_EQ(header.Amount, 0);
  SetField(header, *FindField<OrderHeader>(u"OrderDate"), QStringLiteral("2026-12-10 09:30:00"));
  EXPECT_EQ(header.OrderDate, QDateTime(QDate(2026, 12, 10), QTime(9, 30)));

  const QVariantMap stored = ToParams(OrderLine{});
  EXPECT_TRUE(stored.contains(QStringLiteral(":CXOrderNo")));
  EXPECT_FALSE(stored.contains(QStringLiteral(":GoodsName")));
  EXPECT_TRUE(ToParams(OrderLine{}, false).contains(QStringLiteral(":GoodsName")));
}

// Saving, parking and the upload copy orders through the field tables: every stored column
// must exist in both databases and come back as it went in.
class OrderRowsTest : public test::ModeTest {};

TEST_P(OrderRowsTest, HeaderAndLineGoThroughTheirTablesUnchanged) {
  const Connection& db = dm.Current();
  OrderHeader header;
  header.OrderNo = QStringLiteral("XS0012026121000001");
  header.OrderDate = QDateTime(QDate(2026, 12, 10), QTime(9, 30, 15));
  header.StoreNo = QStringLiteral("0001");
  header.CashierNo = QStringLiteral("C1");
  header.CardCode = QStringLiteral("");
  // Amounts that binary floating point cannot hold come back exact.
  header.Amount = M("50.97");
  header.CashAmount = M("0.3");
  header.CardAmount = M("1234567.8901");
  // The parts add up to the amount due, as the server's checks ask.
  header.RealAmount = M("1234568.1901");
  header.BackAmount = M("0.0001");
  header.TotalFlag = 0;
  header.Memo = QStringLiteral("备注'引号");
  db.Exec(InsertStatement<OrderHeader>(QStringLiteral("QTSaleOrder")), ToParams(header));

  OrderLine line = Goods(M("19.99"), 3, 85);
  line.OrderNo = header.OrderNo;
  line.SerialNo = 1;
  line.Amount = M("50.97");
  line.CKPrice = M("0.1");
  line.CKAmount = M("0.2");
  line.CXOrderNo = QStringLiteral("CX0006");
  line.CXFlag = 5;
  line.GiftQty = 90;
  line.Memo = QStringLiteral("买满300元 打90折");
  line.GoodsName = QStringLiteral("衬衫");  // shown, not stored
  db.Exec(InsertStatement<OrderLine>(QStringLiteral("QTSaleOrderDetail")), ToParams(line));

  QSqlQuery h = db.Query(QStringLiteral("SELECT * FROM QTSaleOrder"));
  const std::vector<OrderHeader> headers = ReadRows<OrderHeader>(h);
  ASSERT_EQ(headers.size(), 1u);
  EXPECT_EQ(ToParams(headers[0]), ToParams(header));
  EXPECT_EQ(headers[0].CardAmount, M("1234567.8901"));
  EXPECT_EQ(headers[0].CashAmount, M("0.3"));
  EXPECT_TRUE(headers[0].EmployeeNo.isNull());
  if (db.engine() == Engine::Server) {
    // The back office keeps the exact decimal, whatever reads it.
    EXPECT_EQ(db.Scalar(QStringLiteral("SELECT CAST(CashAmount * 3 AS TEXT) FROM QTSaleOrder"))
                  .toString(),
              QStringLiteral("0.9000"));
  }

  QSqlQuery l = db.Query(QStringLiteral("SELECT * FROM QTSaleOrderDetail"));
  const std::vector<OrderLine> lines = ReadRows<OrderLine>(l);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(ToParams(lines[0]), ToParams(line));
  EXPECT_EQ(lines[0].GoodsName, QString());
}

QUILMO_BOTH_MODES(OrderRowsTest);

}  // namespace
}  // namespace quilmo
