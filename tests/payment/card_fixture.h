#pragma once

#include <QDate>
#include <QDateTime>

#include "payment/card_context.h"
#include "sale/sale_fixture.h"

namespace quilmo::test {

// A till with an empty order and a cashier (C1, 张三), online or offline (GetParam()). Cards
// go into the server database and the local file alike, as a download leaves them.
class CardTest : public SaleTest {
 protected:
  void SetUp() override {
    SaleTest::SetUp();
    if (HasFatalFailure()) return;
    session.CashierNo = u"C1"_s;
    session.CashierName = u"张三"_s;
  }

  // A card of a kind and sales type; `more` overrides or adds columns.
  void Card(const QString& code, const QString& card_type, const QString& sales_type,
            QVariantMap more = {}) {
    QVariantMap row{{u"CardNo"_s, u"K"_s + code},
                    {u"CardsCode"_s, code},
                    {u"HolderName"_s, u"持卡人"_s + code},
                    {u"Telephone"_s, u"139"_s + code},
                    {u"CardType"_s, card_type},
                    {u"SalesType"_s, sales_type},
                    {u"Discount"_s, 100},
                    {u"Password"_s, u""_s},
                    {u"StopFlag"_s, 0},
                    {u"SendDate"_s, QDateTime(QDate(2025, 3, 1), QTime(10, 0))},
                    {u"SendOperator"_s, u"李四"_s},
                    {u"Amount"_s, 0},
                    {u"PointTotal"_s, 0},
                    {u"DownLogNo"_s, 1}};
    for (auto it = more.begin(); it != more.end(); ++it) row.insert(it.key(), it.value());
    Insert(u"QTCards"_s, row);
  }

  void Tier(const QString& no, double down, double up, double discount) {
    Insert(u"QTCardDiscount"_s, {{u"IntegralNo"_s, no},
                                 {u"DownAmount"_s, down},
                                 {u"UpAmount"_s, up},
                                 {u"Discount"_s, discount}});
  }

  void GrantRight(int right) {
    Insert(u"QTCashierRight"_s, {{u"CashierNo"_s, u"C1"_s}, {u"RightID"_s, right}});
  }

  // A column of a card as one side holds it now.
  QVariant CardColumn(bool on_server, const QString& code, const char* column) {
    return dm.On(on_server).Scalar(
        QStringLiteral("SELECT %1 FROM QTCards WHERE CardsCode = :CardsCode")
            .arg(QLatin1StringView(column)),
        {{u":CardsCode"_s, code}});
  }
  Money Balance(bool on_server, const QString& code) {
    return Money::FromVariant(CardColumn(on_server, code, "Amount"));
  }

  CardContext cards{dm, ui};
};

}  // namespace quilmo::test
