#include <QApplication>
#include <QLineEdit>
#include <QSqlRecord>
#include <QTimer>
#include <functional>

#include "app/sale_actions.h"
#include "app/screens/frm_main.h"
#include "app/screens/qt_ui.h"
#include "payment/card_select.h"
#include "payment/checkout.h"
#include "payment/screens/frm_qtxs_pay.h"
#include "sale/screens/frm_qt_sale.h"
#include "support/data_fixture.h"
#include "support/screen_helpers.h"

namespace quilmo {
namespace {

using test::ShowActive;

// A key to the widget with the focus; to `window` itself when the platform has not given the
// focus back yet after a dialog closed.
void PressOn(QWidget* window, Qt::Key key) {
  QWidget* target = QApplication::focusWidget();
  QTest::keyClick(target ? target : window, key);
}
using namespace Qt::StringLiterals;

// The cashier's way to the money: F6 on the main window, a scan, F12 and then the keys of the
// real checkout dialog. What the dialog shows and what the till's file holds afterwards are
// what the cashier and the books see.
class CheckoutKeyTest : public test::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    if (HasFatalFailure()) return;
    session.OverFlag = 0;
    session.CashierNo = u"C1"_s;
    session.ShopCode = u"01"_s;
    for (int right : {3, 4, 15}) {
      ExecBoth(u"INSERT INTO QTCashierRight (CashierNo, RightID) VALUES ('C1', %1)"_s.arg(right));
    }
    ExecBoth(
        u"INSERT INTO JBGoods (GoodsNo, GoodsCode, GoodsName, SRefPrice) "
        "VALUES ('G1', 'A100', '衬衫', 99)"_s);
    ExecBoth(
        u"INSERT INTO QTCards (CardNo, CardsCode, HolderName, CardType, SalesType, Discount, "
        "StopFlag, Amount) VALUES ('C8', 'SV', '赵六', '储值卡', '固定折扣', 100, 0, 500)"_s);
    dm.conClient.Exec(
        u"INSERT INTO QTOnOverOrder (OrderNo, OnBoxAmount, SaleAmount, GetAmount, OverFlag, "
        "OverAmount) VALUES ('BC01', 500, 0, 0, 0, 500)"_s);
    session.OnOverOrderNo = u"BC01"_s;
    RegisterMainScreens(menu);
    window = std::make_unique<TfrmMain>(app, menu);
    ShowActive(window.get());
  }
  void TearDown() override {
    window.reset();
    DataTest::TearDown();
  }

  // One sale from the main window: the card first when asked for, the goods scanned, F12, and
  // `keys` pressed on the real checkout dialog, which it leaves with Esc when still open.
  // Answers the order number.
  QString Sell(const QString& code, bool with_card, const std::function<void(TfrmQTXSPay&)>& keys) {
    ui.OnCheckout([keys](CheckoutFlow& flow) {
      TfrmQTXSPay dialog(flow);
      QTimer::singleShot(0, [&] {
        ShowActive(&dialog);
        keys(dialog);
        if (dialog.isVisible()) PressOn(&dialog, Qt::Key_Escape);
      });
      dialog.exec();
    });
    if (with_card) {
      ui.OnSelectCards(
          [](CardContext& c, Order& o) { return IdentifyCard(c, o, u"SV"_s).has_value(); });
    }
    ui.OnSaleScreen([this](AppContext& a) {
      RunSaleScreen(a, ui, nullptr);
      return true;
    });
    QString order_no;
    QTimer::singleShot(0, [&] {
      auto* screen = qobject_cast<TfrmQTSale*>(QApplication::activeModalWidget());
      if (!screen) {
        ADD_FAILURE() << "no sale screen";
        return;
      }
      ShowActive(screen);
      if (with_card) PressOn(screen, Qt::Key_F4);
      order_no = screen->lblOrderNo->text();
      screen->suiEdtGoods->setText(code);
      screen->suiEdtGoods->setFocus();
      PressOn(screen, Qt::Key_Return);
      PressOn(screen, Qt::Key_F12);
      ShowActive(screen);  // back from the checkout dialog
      ui.AnswerYes();
      PressOn(screen, Qt::Key_Escape);
    });
    PressOn(window.get(), Qt::Key_F6);
    return order_no;
  }

  QSqlRecord Stored(const QString& order_no) {
    return dm.conClient.FirstRow(
        u"SELECT Amount, RealAmount, AdjustAmount, CashAmount, CardAmount, BankCardAmount, "
        "Card1Amount, BackAmount FROM QTSaleOrder WHERE OrderNo = :No"_s,
        {{u":No"_s, order_no}});
  }
  static Money M(const QSqlRecord& r, const char* column) {
    return Money::FromVariant(r.value(QLatin1StringView(column)));
  }
  Money CardBalance() {
    return Money::FromVariant(
        dm.conClient.Scalar(u"SELECT Amount FROM QTCards WHERE CardsCode = 'SV'"_s));
  }
  Money ShiftSales() {
    return Money::FromVariant(dm.conClient.Scalar(
        u"SELECT COALESCE(SUM(SaleAmount), 0) FROM QTOnOverOrder WHERE OrderNo = :No"_s,
        {{u":No"_s, session.OnOverOrderNo}}));
  }

  AppContext app{session, dm, ui, clock, HomePath()};
  MainMenu menu;
  std::unique_ptr<TfrmMain> window;
};

// 150 off a 99 sale would pay 51 out of the drawer: F5 says where the round-off must lie and
// the amount due stays; a round-off within it is saved as the order's rounding.
TEST_F(CheckoutKeyTest, F5TakesOffNoMoreThanTheAmountDue) {
  ui.Type(u"150"_s);
  ui.Type(u"9"_s);
  QStringList due;
  const QString no = Sell(u"A100"_s, false, [&](TfrmQTXSPay& s) {
    PressOn(&s, Qt::Key_F5);
    due << s.suiEdtAmount->text();
    PressOn(&s, Qt::Key_F5);
    due << s.suiEdtAmount->text();
    PressOn(&s, Qt::Key_F12);  // the exact amount
    PressOn(&s, Qt::Key_F12);  // saved
  });
  EXPECT_TRUE(ui.texts().contains(u"抹零金额须在0到99之间！"_s));
  EXPECT_EQ(due, (QStringList{u"99.00  "_s, u"90.00  "_s}));
  const QSqlRecord r = Stored(no);
  ASSERT_FALSE(r.isEmpty());
  EXPECT_EQ(M(r, "RealAmount"), 90);
  EXPECT_EQ(M(r, "AdjustAmount"), 9);
  EXPECT_EQ(M(r, "CashAmount"), 90);
}

// The card agreed to pay the whole 99; F5 lowers the due to 90 and the card part with it, so no
// card money goes out as change. The rounding and the change are recorded for card orders as
// for any other.
TEST_F(CheckoutKeyTest, TheCardPartFallsWithTheDueAndItsRoundingIsRecorded) {
  ui.AnswerCardPay({true, 99, 0});
  ui.Type(u"9"_s);
  QStringList seen;
  const QString first = Sell(u"A100"_s, true, [&](TfrmQTXSPay& s) {
    PressOn(&s, Qt::Key_F5);
    seen << s.suiEdtAmount->text() << s.suiEdtReciveAmount->text() << s.suiEdtBackAmount->text();
    PressOn(&s, Qt::Key_F12);
  });
  EXPECT_EQ(seen, (QStringList{u"90.00  "_s, u"90.00  "_s, u"0.00   "_s}));
  const QSqlRecord r = Stored(first);
  ASSERT_FALSE(r.isEmpty());
  EXPECT_EQ(M(r, "CardAmount"), 90);
  EXPECT_EQ(M(r, "CashAmount"), 0);
  EXPECT_EQ(M(r, "AdjustAmount"), 9);
  EXPECT_EQ(M(r, "BackAmount"), 0);
  EXPECT_EQ(CardBalance(), 410);
}

// With 60 on the card, F4 offers the bank-card dialog the 39 the card leaves; what it agrees is
// saved beside the card part and no cash is booked.
TEST_F(CheckoutKeyTest, F4IsOfferedWhatTheCardLeaves) {
  ui.AnswerCardPay({true, 60, 39});
  ui.AnswerBankCardPay({true, 39, 0, 0, QString()});
  QString received;
  const QString no = Sell(u"A100"_s, true, [&](TfrmQTXSPay& s) {
    PressOn(&s, Qt::Key_F4);
    received = s.suiEdtReciveAmount->text();
    PressOn(&s, Qt::Key_F12);
  });
  EXPECT_EQ(ui.bankCardPayDues(), std::vector<Money>{39});
  EXPECT_EQ(received, u"99.00  "_s);
  const QSqlRecord r = Stored(no);
  ASSERT_FALSE(r.isEmpty());
  EXPECT_EQ(M(r, "CardAmount"), 60);
  EXPECT_EQ(M(r, "BankCardAmount"), 39);
  EXPECT_EQ(M(r, "CashAmount"), 0);
  EXPECT_EQ(ShiftSales(), 0);
}

// A negative bank-card part (bank −50 would book cash 149) and parts that only together exceed
// the due (60 + 60 on 99) are refused where they arrive; the sale is then paid in cash.
TEST_F(CheckoutKeyTest, BankCardAndVoucherPartsThatDoNotFitAreRefused) {
  ui.AnswerBankCardPay({true, -50, 149, 0, QString()});
  ui.AnswerBankCardPay({true, 60, 0, 60, QString()});
  QStringList received;
  const QString no = Sell(u"A100"_s, false, [&](TfrmQTXSPay& s) {
    PressOn(&s, Qt::Key_F4);
    received << s.suiEdtReciveAmount->text();
    PressOn(&s, Qt::Key_F4);
    received << s.suiEdtReciveAmount->text();
    PressOn(&s, Qt::Key_F12);
    PressOn(&s, Qt::Key_F12);
  });
  EXPECT_EQ(received, (QStringList{QString(), QString()}));
  EXPECT_TRUE(ui.texts().contains(u"银行卡付额须在0到应收款99之间！"_s));
  EXPECT_TRUE(ui.texts().contains(u"储值卡、银行卡与现金卷合计不能超过应收款99！"_s));
  const QSqlRecord r = Stored(no);
  ASSERT_FALSE(r.isEmpty());
  EXPECT_EQ(M(r, "CashAmount"), 99);
  EXPECT_EQ(M(r, "BankCardAmount"), 0);
  EXPECT_EQ(M(r, "Card1Amount"), 0);
  EXPECT_EQ(ShiftSales(), 99);
}

}  // namespace
}  // namespace quilmo
