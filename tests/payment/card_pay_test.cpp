#include "payment/card_pay.h"

#include "payment/card_fixture.h"
#include "payment/card_select.h"

namespace quilmo {
namespace {

using test::CardTest;
using namespace Qt::StringLiterals;

TEST(CardPayRules, AmountsAreWrittenAsPercentMinus7Point2fAndReadTrimmed) {
  EXPECT_EQ(PayAmountText(M("258.4")), u"258.40 "_s);
  EXPECT_EQ(PayAmountText(5), u"5.00   "_s);
  EXPECT_EQ(PayAmountText(M("-8.5")), u"-8.50  "_s);
  EXPECT_EQ(PayAmountText(M("12345.678")), u"12345.68"_s);
  EXPECT_EQ(ReadPayAmount(u" 158.40  "_s), M("158.4"));
  EXPECT_EQ(ReadPayAmount(u"  "_s), 0);
  for (const QString& bad : {u"1..2"_s, u"-"_s, u"1-2"_s}) {
    EXPECT_THROW(ReadPayAmount(bad), Error) << bad.toStdString();
  }
  for (QChar c : u"0123456789.-\b\t\r"_s) EXPECT_TRUE(PayAmountCharAccepted(c)) << int{c.unicode()};
  for (QChar c : u"aZ +e,，。１"_s) EXPECT_FALSE(PayAmountCharAccepted(c)) << int{c.unicode()};
}

TEST(CardPayRules, TheStoredValueDialogSplitsTheAmountDueBetweenCardAndCash) {
  // The card pays what its balance covers.
  EXPECT_EQ(OpenCardPay(M("258.4"), 300).CardPart, u"258.40 "_s);
  EXPECT_EQ(OpenCardPay(M("258.4"), 300).Cash, u"0.00"_s);
  EXPECT_EQ(OpenCardPay(M("258.4"), M("258.4")).Cash, u"0.00"_s);
  EXPECT_EQ(OpenCardPay(M("258.4"), 100).CardPart, u"100.00 "_s);
  EXPECT_EQ(OpenCardPay(M("258.4"), 100).Cash, u"158.40 "_s);
  EXPECT_EQ(CardPayTotalText(u"100.00 "_s, u"158.40 "_s), u"258.40 "_s);
  EXPECT_EQ(CardPayTotalText(u""_s, u"1."_s), u"1.00   "_s);
  EXPECT_EQ(CardPayTotalText(u"1..2"_s, u"3"_s), u"3.00   "_s);

  struct Case {
    const char* due;
    const char* balance;
    const char* card;
    const char* notice;  // empty: accepted, the cash edit gets `cash`
    const char* cash;
  };
  const Case card_cases[] = {
      {"258.4", "100", "120", "卡内余额不够！", nullptr},
      {"258.4", "500", "300", "卡支付金额不能大于应收金额！", nullptr},
      {"258.4", "500", "-50", "卡支付金额不能小于零！", nullptr},
      {"258.4", "500", "100", "", "158.40 "},
      {"258.4", "500", "258.4", "", "0.00   "},
      {"258.4", "100", "0", "", "258.40 "},
      {"-30", "100", "-30", "", "0.00   "},  // a return paid back to the card
  };
  for (const Case& c : card_cases) {
    const PayStep step = CardPartEntered(M(c.due), M(c.balance), QString::fromLatin1(c.card));
    EXPECT_EQ(step.Notice, QString::fromUtf8(c.notice)) << c.card;
    if (step.Accepted()) {
      EXPECT_EQ(step.Focus, PayField::Cash);
      EXPECT_EQ(step.CashText, QString::fromLatin1(c.cash)) << c.card;
    } else {
      EXPECT_EQ(step.Focus, PayField::CardPart);
      EXPECT_FALSE(step.CashText);
    }
  }
}

TEST(CardPayRules, CashAndOkAcceptTotalsWithinAHundredOfTheAmountDue) {
  const Money due = M("258.4");
  struct Case {
    const char* card;
    const char* cash;
    const char* on_enter;  // notice of Enter in the cash edit; empty: on to OK
    const char* on_ok;     // notice of OK; empty: confirmed
  };
  const Case cases[] = {
      {"100", "50", "输入金额太小！应收金额减客付总金额不能大于100", "应收金额与客付总金额不等！"},
      // Short by 98.40: both accept; the checkout refuses the negative change later.
      {"100", "60", "", ""},
      // Short by exactly 100: Enter refuses, OK does not.
      {"100", "58.4", "输入金额太小！应收金额减客付总金额不能大于100", ""},
      {"100", "58.39", "输入金额太小！应收金额减客付总金额不能大于100",
       "应收金额与客付总金额不等！"},
      {"258.4", "99.99", "", ""},
      {"258.4", "100", "输入金额太大！客付总金额减应收总金额不能大于100",
       "输入金额太大！客付总金额减应收总金额不能大于100"},
      {"100", "", "输入金额太小！应收金额减客付总金额不能大于100", "应收金额与客付总金额不等！"},
      // Changed without Enter: OK checks the card part again.
      {"300", "0", "", "卡支付金额不能大于应收金额！"},
  };
  for (const Case& c : cases) {
    const QString card = QString::fromLatin1(c.card);
    const QString cash = QString::fromLatin1(c.cash);
    const PayStep enter = CardPayCashEntered(due, card, cash);
    EXPECT_EQ(enter.Notice, QString::fromUtf8(c.on_enter)) << c.card << "+" << c.cash;
    EXPECT_EQ(enter.Focus, enter.Accepted() ? PayField::Confirm : PayField::Cash);
    const PayStep ok = ConfirmCardPay(due, 300, card, cash);
    EXPECT_EQ(ok.Notice, QString::fromUtf8(c.on_ok)) << c.card << "+" << c.cash;
  }
  EXPECT_EQ(ConfirmCardPay(due, 200, u"300"_s, u"0"_s).Focus, PayField::CardPart);
  EXPECT_EQ(ConfirmCardPay(due, 200, u"100"_s, u"50"_s).Focus, PayField::Cash);
  EXPECT_THROW(ConfirmCardPay(due, 200, u"1..0"_s, u"0"_s), Error);
}

TEST(CardPayRules, TheBankCardDialogPaysTheRestInCash) {
  const Money due = 100;
  // Bank card 50 and Enter: cash 50.
  PayStep step = BankPartEntered(due, PayField::CardPart, u"50"_s, u"0"_s);
  EXPECT_TRUE(step.Accepted());
  EXPECT_EQ(step.CashText, u"50.00  "_s);
  EXPECT_EQ(step.Focus, PayField::Cash);
  EXPECT_EQ(BankPartEntered(due, PayField::Voucher, u"50"_s, u"20"_s).CashText, u"30.00  "_s);
  // Cash changed to 45: short; to 60: on to OK (110 paid, 10 change at checkout).
  EXPECT_EQ(BankCashEntered(due, u"50"_s, u"45"_s, u"0"_s).Notice,
            u"输入金额太小！客付金额不能小于应付金额！"_s);
  step = BankCashEntered(due, u"50"_s, u"60"_s, u"0"_s);
  EXPECT_TRUE(step.Accepted());
  EXPECT_EQ(step.Focus, PayField::Confirm);
  EXPECT_EQ(BankCashEntered(due, u"50"_s, u"150"_s, u"0"_s).Notice,
            u"输入金额太大！客付总金额减应收总金额不能大于100"_s);
  // Voucher 150 on 100.
  step = BankPartEntered(due, PayField::Voucher, u"0"_s, u"150"_s);
  EXPECT_EQ(step.Notice, u"现金卷支付金额不能大于应收金额！"_s);
  EXPECT_EQ(step.Focus, PayField::Voucher);
  step = BankPartEntered(due, PayField::CardPart, u"100.01"_s, u"0"_s);
  EXPECT_EQ(step.Notice, u"卡支付金额不能大于应收金额！"_s);
  EXPECT_EQ(step.Focus, PayField::CardPart);
  // Enter on the second of two parts that together exceed the due.
  step = BankPartEntered(due, PayField::CardPart, u"60"_s, u"60"_s);
  EXPECT_EQ(step.Notice, u"银行卡与现金卷合计不能大于应收金额！"_s);
  EXPECT_EQ(step.Focus, PayField::CardPart);
  EXPECT_EQ(BankPartEntered(due, PayField::Voucher, u"0"_s, u"-1"_s).Notice,
            u"现金卷付额不能小于零！"_s);

  struct Case {
    const char* bank;
    const char* cash;
    const char* voucher;
    const char* notice;
  };
  const Case ok_cases[] = {
      {"50", "60", "0", ""},
      {"50", "20", "30", ""},
      {"50", "0", "0", ""},  // short by less than 100: the checkout refuses it
      {"0", "0", "0", "输入金额太小！客付金额不能小于应付金额！"},
      {"50", "150", "0", "输入金额太大！客付总金额减应收总金额不能大于100"},
      // A voucher above the amount due, confirmed without Enter, would pay out cash.
      {"0", "0", "150", "现金卷支付金额不能大于应收金额！"},
      {"120", "0", "0", "卡支付金额不能大于应收金额！"},
      // A negative part would pay out cash; two parts that each fit may still exceed the due.
      {"-50", "150", "0", "银行卡付额不能小于零！"},
      {"0", "150", "-50", "现金卷付额不能小于零！"},
      {"60", "0", "60", "银行卡与现金卷合计不能大于应收金额！"},
  };
  for (const Case& c : ok_cases) {
    EXPECT_EQ(ConfirmBankCardPay(due, QString::fromLatin1(c.bank), QString::fromLatin1(c.cash),
                                 QString::fromLatin1(c.voucher))
                  .Notice,
              QString::fromUtf8(c.notice))
        << c.bank << "/" << c.cash << "/" << c.voucher;
  }
  EXPECT_EQ(BankCardPayTotalText(u"50"_s, u"60"_s, u"x"_s), u"110.00 "_s);
}

class PayByCardTest : public CardTest {};

TEST_P(PayByCardTest, TheDialogGetsTheCardsBalanceAndItsAnswerComesBack) {
  Card(u"SV"_s, u"储值卡"_s, u"固定折扣"_s, {{u"Amount"_s, 300}, {u"Discount"_s, 95}});
  ASSERT_TRUE(IdentifyCard(cards, order, u"SV"_s));
  ui.AnswerCardPay({true, M("258.4"), 0});
  const std::optional<CardPayment> paid = PayByCard(cards, order, M("258.4"));
  ASSERT_TRUE(paid);
  EXPECT_EQ(paid->CardPayAmount, M("258.4"));
  ASSERT_EQ(ui.cardPayRequests().size(), 1u);
  const CardPayRequest& request = ui.cardPayRequests()[0];
  EXPECT_EQ(request.AmountDue, M("258.4"));
  EXPECT_EQ(request.CardsCode, u"SV"_s);
  EXPECT_EQ(request.CardDiscount, 95);
  EXPECT_EQ(request.Balance, 300);

  ui.AnswerCardPay({});
  EXPECT_FALSE(PayByCard(cards, order, M("258.4")));

  ui.AnswerBankCardPay({true, 50, 60, 0, QString()});
  const BankCardPayment bank = PayByBankCard(ui, 100);
  EXPECT_TRUE(bank.Confirmed);
  EXPECT_EQ(bank.BankCardPart + bank.CashPart + bank.VoucherPart, 110);
  EXPECT_EQ(ui.bankCardPayDues(), std::vector<Money>{100});
  EXPECT_FALSE(ui.unansweredLeft());
}

QUILMO_BOTH_MODES(PayByCardTest);

}  // namespace
}  // namespace quilmo
