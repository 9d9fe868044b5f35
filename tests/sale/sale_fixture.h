#pragma once

#include <QStringList>
#include <vector>

#include "sale/customer_display.h"
#include "sale/order.h"
#include "support/data_fixture.h"
#include "support/qt_printers.h"

namespace quilmo::test {

using namespace Qt::StringLiterals;

// A pole display that remembers what it was asked to show.
class RecordingDisplay : public CustomerDisplay {
 public:
  struct Shown {
    int state;
    Money amount;
  };
  void ShowOnDisplay(int state, Money amount) override { shown.push_back({state, amount}); }
  std::vector<Shown> shown;
};

// A till in the middle of an order, online or offline (GetParam()), with the store S01 and an
// empty order ready for lines. Tests add the few goods and promotions they need with Insert,
// which writes the same row into the server database and the local file.
class SaleTest : public ModeTest {
 protected:
  void SetUp() override {
    ModeTest::SetUp();
    if (HasFatalFailure()) return;
    session.StoreNo = QStringLiteral("S01");
    session.AmountPoint = 2;
    session.SPNotDiscount = true;
    session.VIPNotDiscount = true;
    session.CardDiscount = 100;
    lines.SetAmountPoint(session.AmountPoint);
    header.OrderNo = QStringLiteral("XS0120261210000001");
    Insert(u"JBStore"_s,
           {{u"StoreNo"_s, u"S01"_s}, {u"StoreName"_s, u"一号仓"_s}, {u"PriceLevel"_s, 0}});
  }

  // One row into the same table of both databases; column names come from the test.
  void Insert(const QString& table, const QVariantMap& row) {
    QStringList columns;
    QStringList values;
    QVariantMap params;
    for (auto it = row.begin(); it != row.end(); ++it) {
      columns << it.key();
      values << QLatin1Char(':') + it.key();
      params.insert(QLatin1Char(':') + it.key(), it.value());
    }
    ExecBoth(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                 .arg(table, columns.join(QLatin1Char(',')), values.join(QLatin1Char(','))),
             params);
  }

  // A goods with a price and whatever else the test says.
  void Goods(const QString& no, const QString& code, double price, QVariantMap more = {}) {
    more.insert(QStringLiteral("GoodsNo"), no);
    more.insert(QStringLiteral("GoodsCode"), code);
    if (!more.contains(QStringLiteral("GoodsName"))) {
      more.insert(QStringLiteral("GoodsName"), QStringLiteral("商品") + code);
    }
    more.insert(QStringLiteral("SRefPrice"), price);
    if (!more.contains(QStringLiteral("CostPrice"))) {
      more.insert(QStringLiteral("CostPrice"), price / 2);
    }
    Insert(QStringLiteral("JBGoods"), more);
  }

  // A promotion order of this store running today, with its goods.
  void Promotion(const QString& no, int kind, int cx_qty, int gift_qty, double add_money,
                 const QStringList& goods, QVariantMap detail = {}) {
    const QDate today = dm.ServerNow().date();
    Insert(u"QTCXOrder"_s, {{u"ORderNo"_s, no},
                            {u"CXFlag"_s, kind},
                            {u"CXQty"_s, cx_qty},
                            {u"GiftQty"_s, gift_qty},
                            {u"AddMoney"_s, add_money},
                            {u"StoreNoList"_s, u"S01,S02"_s},
                            {u"Begindate"_s, today.addDays(-1).startOfDay()},
                            {u"EndDate"_s, today.addDays(1).startOfDay()},
                            {u"Checkflag"_s, 1}});
    for (const QString& g : goods) {
      QVariantMap row = detail;
      row.insert(QStringLiteral("OrderNo"), no);
      row.insert(QStringLiteral("GoodsNo"), g);
      Insert(QStringLiteral("QTCXOrderDetail"), row);
    }
  }

  // The money goods promotions add their cash lines with.
  void MoneyGoods() { Goods(QStringLiteral("G999"), QStringLiteral("ZS001"), 0); }

  // A column of a goods as the mode's database holds it now.
  QVariant GoodsColumn(const QString& goods_no, const char* column) {
    return dm.Current().Scalar(QStringLiteral("SELECT %1 FROM JBGoods WHERE GoodsNo = :GoodsNo")
                                   .arg(QLatin1StringView(column)),
                               {{QStringLiteral(":GoodsNo"), goods_no}});
  }

  QStringList Memos() const {
    QStringList out;
    for (const OrderLine& l : lines) out << l.Memo;
    return out;
  }

  OrderHeader header;
  OrderLines lines;
  int next_serial = 1;
  RecordingDisplay display;
};

}  // namespace quilmo::test
