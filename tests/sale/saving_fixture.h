#pragma once

#include <QSqlRecord>

#include "sale/order_saving.h"
#include "sale/promotions.h"
#include "sale/sale_fixture.h"

namespace quilmo::test {

// A till with an open shift, a few goods and a card, ready to ring up and save orders in the
// mode of the test (GetParam()).
class SavingTest : public SaleTest {
 protected:
  void SetUp() override {
    SaleTest::SetUp();
    if (HasFatalFailure()) return;
    session.ShopNo = u"P01"_s;
    session.ShopCode = u"01"_s;
    session.CashierNo = u"C01"_s;
    session.CashierName = u"张三"_s;
    session.PerJFAmount = 10;
    Goods(u"G1"_s, u"A001"_s, 100);
    Goods(u"G2"_s, u"A002"_s, 40);
    Goods(u"G3"_s, u"A003"_s, 60);
    Card(u"VIP001"_s, u"会员卡"_s, 0);
    OpenShiftRow(u"BC0120261210001"_s, 500);
  }

  void Card(const QString& code, const QString& type, double amount) {
    Insert(u"QTCards"_s, {{u"CardNo"_s, code},
                          {u"CardsCode"_s, code},
                          {u"CardType"_s, type},
                          {u"Amount"_s, amount},
                          {u"TotalSaleAmount"_s, QVariant()},
                          {u"TotalSaleCount"_s, QVariant()},
                          {u"PointTotal"_s, QVariant()},
                          {u"DownLogNo"_s, 7}});
  }

  // An open shift record in the local file, current in the session.
  void OpenShiftRow(const QString& no, double box) {
    dm.conClient.Exec(
        u"INSERT INTO QTOnOverOrder (OrderNo, ShopNo, CashierNo, OnTime, "
        "OnBoxAmount, SaleAmount, GetAmount, OverFlag, OverAmount) VALUES "
        "(:No, 'P01', 'C01', :OnTime, :Box, 0, 0, 0, :Box)"_s,
        {{u":No"_s, no}, {u":OnTime"_s, clock.Now()}, {u":Box"_s, box}});
    session.OnOverOrderNo = no;
    session.OverFlag = 0;
  }

  // A new order rung up by scanning codes and priced as the sale screen prices it.
  void NewOrder(const QString& order_no, const QStringList& codes, const QString& card = {}) {
    order = Order(session.AmountPoint);
    order.CardDiscount = 100;
    header.OrderNo = order_no;
    header.ShopNo = session.ShopNo;
    header.StoreNo = session.StoreNo;
    header.CashierNo = session.CashierNo;
    header.OnOverOrderNo = session.OnOverOrderNo;
    header.OrderDate = clock.Now();
    if (!card.isEmpty()) {
      header.CardCode = card;
      order.CardsCode = card;
      order.CardType = 1;
    }
    for (const QString& code : codes) {
      Scan scan;
      scan.code = code;
      const AddResult added = FindAndAddGoods(sale, order, scan);
      ASSERT_TRUE(added == AddResult::Added || added == AddResult::Merged) << code.toStdString();
    }
    RecalcOrder(sale, order);
    header.CashAmount = header.RealAmount;
  }

  // Saves the order as checkout does, in the mode's database.
  bool Save() { return SaveOrder(dm, ui, header, LinesOf(lines), true); }

  QSqlRecord CardRow(const QString& code, bool on_server) {
    return dm.On(on_server).FirstRow(u"SELECT * FROM QTCards WHERE CardsCode = :C"_s,
                                     {{u":C"_s, code}});
  }
  QSqlRecord ShiftRow() {
    return dm.conClient.FirstRow(u"SELECT * FROM QTOnOverOrder WHERE OrderNo = :No"_s,
                                 {{u":No"_s, session.OnOverOrderNo}});
  }
  int Count(const QString& table, const QString& order_no, bool on_server) {
    return dm.On(on_server)
        .Scalar(u"SELECT COUNT(*) FROM %1 WHERE OrderNo = :No"_s.arg(table), {{u":No"_s, order_no}})
        .toInt();
  }
  static double D(const QSqlRecord& r, const char* column) {
    return r.value(QLatin1StringView(column)).toDouble();
  }
};

}  // namespace quilmo::test
