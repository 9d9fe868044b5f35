#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "app/screens/qt_ui.h"
#include "payment/card_fixture.h"
#include "payment/card_pay.h"
#include "payment/card_select.h"
#include "payment/screens/frm_bank_card_pay.h"
#include "payment/screens/frm_card_pay.h"
#include "payment/screens/frm_card_psw_input.h"
#include "payment/screens/frm_change_card_psw.h"
#include "payment/screens/frm_select_cards.h"
#include "support/screen_helpers.h"

namespace quilmo {
namespace {

using test::Press;
using test::ShowActive;
using namespace Qt::StringLiterals;

// Types text into whatever has the focus, key by key.
void Type(const QString& text) { QTest::keyClicks(QApplication::focusWidget(), text); }

QWidget* Focus() { return QApplication::focusWidget(); }

// The card dialog over real databases, online, where all of its commands work.
class SelectCardsScreenTest : public test::CardTest {
 protected:
  void SetUp() override {
    CardTest::SetUp();
    if (HasFatalFailure()) return;
    Card(u"SV"_s, u"储值卡"_s, u"固定折扣"_s,
         {{u"Amount"_s, 300},
          {u"Discount"_s, 95},
          {u"PointTotal"_s, 120},
          {u"BeginDate"_s, QDateTime(QDate(2099, 1, 31), QTime())}});
    Card(u"PTS"_s, u"VIP会员卡"_s, u"累计积分折扣"_s, {{u"PointTotal"_s, 800}});
    for (int right : {12, 16}) GrantRight(right);
  }

  QStringList Values(const TfrmSelectCards& s) {
    QStringList out;
    for (const QLabel* l :
         {s.lblCardType, s.lblCardDiscountType, s.lblHoldeNAme, s.lblSendName, s.lblSendDate,
          s.lblValidate, s.lblDiscount2, s.lblAmount2, s.lblPointCount2}) {
      out << l->text();
    }
    return out;
  }
};

TEST_P(SelectCardsScreenTest, EnterTakesTheCardAndShowsItsValuesF12Closes) {
  TfrmSelectCards screen(cards, order);
  EXPECT_EQ(screen.windowTitle(), u"选择会员卡/储值卡"_s);
  EXPECT_EQ(screen.suibtSave->text(), u"确 定[F12]"_s);
  EXPECT_EQ(screen.suibtChangePSW->text(), u"修改密码[F9]"_s);
  ShowActive(&screen);
  EXPECT_EQ(Focus(), screen.suiEdtCardCode);
  EXPECT_TRUE(screen.lblAmount2->isHidden());
  EXPECT_TRUE(screen.suibtAddAmount->isHidden());

  Type(u"SV"_s);
  Press(Qt::Key_Return);
  EXPECT_TRUE(screen.cardChosen());
  EXPECT_EQ(Focus(), screen.suibtSave);
  EXPECT_EQ(Values(screen),
            (QStringList{u"储值卡"_s, u"固定折扣"_s, u"持卡人SV"_s, u"李四"_s, u"2025-03-01"_s,
                         u"2099-01-31"_s, u"95"_s, u"300"_s, u"120"_s}));
  EXPECT_FALSE(screen.lblAmount1->isHidden());
  EXPECT_FALSE(screen.lblDiscount2->isHidden());
  EXPECT_FALSE(screen.suibtAddAmount->isHidden());
  EXPECT_TRUE(screen.suibtADDPoint->isHidden());
  EXPECT_EQ(order.CardsCode, u"SV"_s);
  EXPECT_EQ(order.CardType, 2);

  // F5 tops the card up; F4 does nothing while its button is hidden.
  ui.Type(u"500"_s);
  Press(Qt::Key_F5);
  EXPECT_EQ(screen.lblAmount2->text(), u"800"_s);
  Press(Qt::Key_F4);
  EXPECT_EQ(ui.inputRequests().size(), 1u);
  for (bool server : {true, false}) EXPECT_EQ(Balance(server, u"SV"_s), 800);

  Press(Qt::Key_F12);
  EXPECT_FALSE(screen.isVisible());
  EXPECT_EQ(screen.result(), QDialog::Accepted);
  // The only word is the top-up's number.
  EXPECT_EQ(ui.texts(), QStringList{u"冲值成功！冲值单号：0001"_s});
}

TEST_P(SelectCardsScreenTest, ARefusedCardKeepsTheTextSelectedAndF2StartsAnew) {
  TfrmSelectCards screen(cards, order);
  ShowActive(&screen);
  Type(u"NOSUCH"_s);
  Press(Qt::Key_F12);  // OK before any card identifies the text first
  EXPECT_EQ(ui.texts(), QStringList{u"你输入的会员卡号不存在！"_s});
  EXPECT_TRUE(screen.isVisible());
  EXPECT_EQ(Focus(), screen.suiEdtCardCode);
  EXPECT_EQ(screen.suiEdtCardCode->selectedText(), u"NOSUCH"_s);
  EXPECT_FALSE(screen.cardChosen());

  // The points card: F4 adjusts its points.
  Press(Qt::Key_F2);
  EXPECT_TRUE(screen.suiEdtCardCode->text().isEmpty());
  Type(u"PTS"_s);
  Press(Qt::Key_Return);
  EXPECT_FALSE(screen.suibtADDPoint->isHidden());
  ui.Type(u"-200"_s);
  Press(Qt::Key_F4);
  EXPECT_EQ(screen.lblPointCount2->text(), u"600"_s);

  // Back into the card edit: a new card, the values of the last one gone. Leaving now still
  // gives the order the card taken.
  Press(Qt::Key_F2);
  EXPECT_EQ(Focus(), screen.suiEdtCardCode);
  EXPECT_EQ(Values(screen), QStringList(9, QString()));
  EXPECT_TRUE(screen.suibtADDPoint->isHidden());
  Press(Qt::Key_Escape);
  EXPECT_FALSE(screen.isVisible());
  EXPECT_TRUE(screen.cardChosen());
  EXPECT_EQ(order.CardsCode, u"PTS"_s);
}

TEST_P(SelectCardsScreenTest, TheRealPortAsksThePasswordInItsOwnMaskedDialog) {
  Card(u"PW"_s, u"普通会员卡"_s, u"会员价消费"_s, {{u"Password"_s, u"12'34"_s}});
  QtUi qt_ui;
  CardContext real{dm, qt_ui};
  QStringList seen;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<TfrmSelectCards*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog, 1000));
    Type(u"PW"_s);
    QTimer::singleShot(0, [&] {
      auto* password = qobject_cast<TfrmCardPSWInput*>(QApplication::activeModalWidget());
      ASSERT_NE(password, nullptr);
      ASSERT_TRUE(QTest::qWaitForWindowActive(password, 1000));
      seen << password->windowTitle() << password->lblMsg->text() << password->cardsCode();
      EXPECT_EQ(password->suiEdtInput->echoMode(), QLineEdit::Password);
      Type(u"12'34"_s);
      Press(Qt::Key_Return);
    });
    Press(Qt::Key_Return);  // returns once the password dialog has closed
    QApplication::setActiveWindow(dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog, 1000));
    EXPECT_EQ(Focus(), dialog->suibtSave);
    Press(Qt::Key_Return);
  });
  EXPECT_TRUE(SelectCardForOrder(real, order));
  EXPECT_EQ(seen, (QStringList{u"会员/储值卡密码输入"_s, u"密码："_s, u"PW"_s}));
  EXPECT_EQ(order.CardsCode, u"PW"_s);
  EXPECT_EQ(order.DiscountMode, 2);
}

INSTANTIATE_TEST_SUITE_P(Online, SelectCardsScreenTest, ::testing::Values(true), test::ModeName);

TEST(CardPasswordScreens, AWrongPasswordKeepsTheDialogOpen) {
  test::ScriptedUi ui;
  QStringList tried;
  TfrmCardPSWInput screen(ui, u"8800008"_s, [&](const QString& typed) {
    tried << typed;
    return typed == u"1234"_s;
  });
  ShowActive(&screen);
  Type(u"9999"_s);
  Press(Qt::Key_Return);
  EXPECT_TRUE(screen.isVisible());
  EXPECT_EQ(screen.suiEdtInput->selectedText(), u"9999"_s);
  Type(u"1234"_s);
  Press(Qt::Key_Return);
  EXPECT_FALSE(screen.isVisible());
  EXPECT_TRUE(screen.confirmed());
  EXPECT_EQ(tried, (QStringList{u"9999"_s, u"1234"_s}));
}

TEST(CardPasswordScreens, TheChangeDialogStaysOpenUntilTheLogicClosesIt) {
  std::vector<CardPasswordChange> seen;
  std::vector<CardPasswordStep> answers{CardPasswordStep::WrongOld, CardPasswordStep::Mismatch,
                                        CardPasswordStep::Closed};
  TfrmChangeCardPSW screen(u"8800008"_s, [&](const CardPasswordChange& change) {
    seen.push_back(change);
    return answers[seen.size() - 1];
  });
  EXPECT_EQ(screen.windowTitle(), u"修改卡密码"_s);
  EXPECT_EQ(screen.lblCardCode->text(), u"8800008"_s);
  for (QLineEdit* e : {screen.suiEdtOldPsw, screen.suiEdtNewPsw, screen.suiEdtNewPswCon}) {
    EXPECT_EQ(e->echoMode(), QLineEdit::Password);
  }
  ShowActive(&screen);
  EXPECT_EQ(Focus(), screen.suiEdtOldPsw);
  Type(u"old"_s);
  Press(Qt::Key_Return);
  Type(u"new"_s);
  Press(Qt::Key_Return);
  Type(u"new"_s);
  Press(Qt::Key_Return);
  EXPECT_EQ(Focus(), screen.suiButton1);
  Press(Qt::Key_Return);
  EXPECT_EQ(Focus(), screen.suiEdtOldPsw);
  EXPECT_EQ(screen.suiEdtOldPsw->selectedText(), u"old"_s);
  screen.suiButton1->click();
  EXPECT_EQ(Focus(), screen.suiEdtNewPsw);
  screen.suiButton1->click();
  EXPECT_FALSE(screen.isVisible());
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].OldPassword, u"old"_s);
  EXPECT_EQ(seen[0].NewPassword, u"new"_s);
  EXPECT_EQ(seen[0].Confirmation, u"new"_s);
}

TEST(CardPayScreen, OpensWithTheSplitAndTakesCardThenCash) {
  test::ScriptedUi ui;
  TfrmCardPay screen(ui, {M("258.4"), u"9900001"_s, 95, 100});
  EXPECT_EQ(screen.windowTitle(), u"储值卡支付"_s);
  ShowActive(&screen);
  EXPECT_EQ(screen.lblRealAmount->text(), u"258.4"_s);
  EXPECT_EQ(screen.lblCardCode->text(), u"9900001"_s);
  EXPECT_EQ(screen.lblAmount->text(), u"100"_s);
  EXPECT_EQ(screen.lblDiscount->text(), u"95"_s);
  EXPECT_EQ(screen.suiEdtCardPay->text(), u"100.00 "_s);
  EXPECT_EQ(screen.suiEdtCash->text(), u"158.40 "_s);
  EXPECT_EQ(screen.lblPayToTal->text(), u"258.40 "_s);
  EXPECT_EQ(Focus(), screen.suiEdtCardPay);

  // Letters never reach an amount edit.
  Type(u"1a2b0"_s);
  EXPECT_EQ(screen.suiEdtCardPay->text(), u"120"_s);
  Press(Qt::Key_Return);
  EXPECT_EQ(ui.texts(), QStringList{u"卡内余额不够！"_s});
  EXPECT_EQ(screen.suiEdtCardPay->selectedText(), u"120"_s);
  Type(u"100"_s);
  Press(Qt::Key_Return);
  EXPECT_EQ(Focus(), screen.suiEdtCash);
  EXPECT_EQ(screen.suiEdtCash->text(), u"158.40 "_s);
  screen.suiEdtCash->selectAll();
  Type(u"50"_s);
  EXPECT_EQ(screen.lblPayToTal->text(), u"150.00 "_s);
  Press(Qt::Key_Return);
  EXPECT_EQ(ui.texts().last(), u"输入金额太小！应收金额减客付总金额不能大于100"_s);
  Type(u"60"_s);
  Press(Qt::Key_Return);
  EXPECT_EQ(Focus(), screen.suiButton1);
  Press(Qt::Key_Escape);  // the dialog has no Esc of its own
  EXPECT_TRUE(screen.isVisible());
  Press(Qt::Key_Return);
  EXPECT_FALSE(screen.isVisible());
  EXPECT_TRUE(screen.result().Confirmed);
  EXPECT_EQ(screen.result().CardPayAmount, 100);
  EXPECT_EQ(screen.result().CashPart, 60);
}

TEST(CardPayScreen, TextThatIsNoNumberIsReportedAndTheDialogStays) {
  test::ScriptedUi ui;
  TfrmCardPay screen(ui, {M("258.4"), u"9900001"_s, 95, 300});
  ShowActive(&screen);
  EXPECT_EQ(screen.suiEdtCardPay->text(), u"258.40 "_s);
  EXPECT_EQ(screen.suiEdtCash->text(), u"0.00"_s);
  Type(u"1..2"_s);
  Press(Qt::Key_Return);
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_EQ(ui.messages()[0].icon, MsgIcon::Error);
  EXPECT_TRUE(screen.isVisible());
  EXPECT_EQ(Focus(), screen.suiEdtCardPay);
  screen.suiButton2->click();
  EXPECT_FALSE(screen.result().Confirmed);
}

TEST(BankCardPayScreen, BankCardThenCashAroundTheAmountDue) {
  test::ScriptedUi ui;
  TfrmBankCardPay screen(ui, 100);
  EXPECT_EQ(screen.windowTitle(), u"银行卡/现金卷支付"_s);
  EXPECT_EQ(screen.suiButton1->text(), u"确 定[F5]"_s);
  ShowActive(&screen);
  EXPECT_EQ(screen.lblRealAmount->text(), u"100.00 "_s);
  EXPECT_EQ(screen.lblPayToTal->text(), u"100.00 "_s);
  EXPECT_EQ(screen.suiEdtCash->text(), u"0"_s);
  EXPECT_EQ(screen.suEdtCashCard->text(), u"0"_s);
  EXPECT_EQ(Focus(), screen.suiEdtCardPay);
  EXPECT_EQ(screen.suiEdtCardPay->selectedText(), u"0"_s);

  Type(u"5x0"_s);
  Press(Qt::Key_Return);
  EXPECT_EQ(Focus(), screen.suiEdtCash);
  EXPECT_EQ(screen.suiEdtCash->text(), u"50.00  "_s);
  EXPECT_EQ(screen.lblPayToTal->text(), u"100.00 "_s);
  screen.suiEdtCash->selectAll();
  Type(u"45"_s);
  Press(Qt::Key_Return);
  EXPECT_EQ(ui.texts(), QStringList{u"输入金额太小！客付金额不能小于应付金额！"_s});
  EXPECT_EQ(screen.suiEdtCash->selectedText(), u"45"_s);
  Type(u"60"_s);
  Press(Qt::Key_Return);
  EXPECT_EQ(Focus(), screen.suiButton1);
  EXPECT_EQ(screen.lblPayToTal->text(), u"110.00 "_s);
  Press(Qt::Key_F5);
  EXPECT_FALSE(screen.isVisible());
  EXPECT_TRUE(screen.result().Confirmed);
  EXPECT_EQ(screen.result().BankCardPart, 50);
  EXPECT_EQ(screen.result().CashPart, 60);
  EXPECT_EQ(screen.result().VoucherPart, 0);
  EXPECT_TRUE(screen.result().BankCardNo.isEmpty());
}

TEST(BankCardPayScreen, AVoucherAboveTheAmountDueIsRefusedAndEscCancels) {
  test::ScriptedUi ui;
  TfrmBankCardPay screen(ui, 100);
  ShowActive(&screen);
  screen.suEdtCashCard->setFocus();
  screen.suEdtCashCard->selectAll();
  Type(u"150"_s);
  Press(Qt::Key_Return);
  EXPECT_EQ(ui.texts(), QStringList{u"现金卷支付金额不能大于应收金额！"_s});
  EXPECT_EQ(Focus(), screen.suEdtCashCard);
  // OK without Enter refuses it too.
  Press(Qt::Key_F5);
  EXPECT_EQ(ui.texts().size(), 2);
  EXPECT_TRUE(screen.isVisible());
  Press(Qt::Key_Escape);
  EXPECT_FALSE(screen.isVisible());
  EXPECT_FALSE(screen.result().Confirmed);
}

}  // namespace
}  // namespace quilmo
