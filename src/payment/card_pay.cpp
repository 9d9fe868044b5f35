#include "payment/card_pay.h"

#include "base/error.h"
#include "base/input_rules.h"
#include "payment/card_balance.h"
#include "payment/card_select.h"

namespace quilmo {
namespace {

const Money kHundred = 100;

QString TooSmallForCard() {
  return QStringLiteral("输入金额太小！应收金额减客付总金额不能大于100");
}
QString TooLarge() { return QStringLiteral("输入金额太大！客付总金额减应收总金额不能大于100"); }
QString TooSmallForBank() { return QStringLiteral("输入金额太小！客付金额不能小于应付金额！"); }
QString CardAboveDue() { return QStringLiteral("卡支付金额不能大于应收金额！"); }

PayStep Refuse(const QString& notice, PayField focus) { return {notice, focus, std::nullopt}; }

// A text while it is being typed: 0 until it is a number.
Money Partial(const QString& text) {
  const TypedNumber typed = ReadTypedNumber(text, NumberField::SignedAmount);
  return typed ? typed.value : Money();
}

// The card part's own checks, on Enter in it and again on OK.
QString CheckCardPart(Money amount_due, Money balance, Money card) {
  if (card > balance) return BalanceShortText();
  if (card > amount_due) return CardAboveDue();
  // A negative card part on a sale would put the cash the customer pays onto the card: a
  // top-up without its right, its number and its record.
  if (amount_due >= 0 && card < 0) return QStringLiteral("卡支付金额不能小于零！");
  return {};
}

// A bank-card or voucher part: not above the amount due, not below zero on a sale (a negative
// part would be paid out in cash), and on a return the mirror of that.
QString CheckBankPart(Money amount_due, PayField field, Money part) {
  if (WithinDue(part, amount_due)) return {};
  const bool voucher = field == PayField::Voucher;
  if (amount_due >= 0 ? part < 0 : part > 0) {
    return voucher ? QStringLiteral("现金卷付额不能小于零！")
                   : QStringLiteral("银行卡付额不能小于零！");
  }
  return voucher ? QStringLiteral("现金卷支付金额不能大于应收金额！") : CardAboveDue();
}

// Checked together, since each alone may fit while the two exceed the due.
QString CheckBankParts(Money amount_due, Money bank, Money voucher) {
  QString refusal = CheckBankPart(amount_due, PayField::Voucher, voucher);
  if (refusal.isEmpty()) refusal = CheckBankPart(amount_due, PayField::CardPart, bank);
  if (refusal.isEmpty() &&
      !CheckBankPart(amount_due, PayField::CardPart, bank + voucher).isEmpty()) {
    refusal = QStringLiteral("银行卡与现金卷合计不能大于应收金额！");
  }
  return refusal;
}

}  // namespace

bool WithinDue(Money part, Money due) {
  return due >= 0 ? part >= 0 && part <= due : part <= 0 && part >= due;
}

QString PayAmountText(Money amount) {
  return amount.ToString(2).leftJustified(7, QLatin1Char(' '));
}

Money ReadPayAmount(const QString& text) {
  const QString trimmed = text.trimmed();
  if (trimmed.isEmpty()) return Money();
  const TypedNumber amount = ReadTypedNumber(trimmed, NumberField::SignedAmount);
  if (amount.refusal == TypedNumber::Refusal::NotANumber) {
    throw Error(QStringLiteral("“%1”不是有效的金额！").arg(trimmed));
  }
  if (!amount) throw Error(amount.message);
  return amount.value;
}

bool PayAmountCharAccepted(QChar c) {
  return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.') ||
         c == QLatin1Char('-') || c == QLatin1Char('\b') || c == QLatin1Char('\t') ||
         c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

CardPayOpening OpenCardPay(Money amount_due, Money balance) {
  if (balance >= amount_due) return {PayAmountText(amount_due), QStringLiteral("0.00")};
  return {PayAmountText(balance), PayAmountText(amount_due - balance)};
}

PayStep CardPartEntered(Money amount_due, Money balance, const QString& card_text) {
  const Money card = ReadPayAmount(card_text);
  const QString refusal = CheckCardPart(amount_due, balance, card);
  if (!refusal.isEmpty()) return Refuse(refusal, PayField::CardPart);
  return {QString(), PayField::Cash, PayAmountText(amount_due - card)};
}

PayStep CardPayCashEntered(Money amount_due, const QString& card_text, const QString& cash_text) {
  const Money paid = ReadPayAmount(card_text) + ReadPayAmount(cash_text);
  if (amount_due - paid >= kHundred) return Refuse(TooSmallForCard(), PayField::Cash);
  if (paid - amount_due >= kHundred) return Refuse(TooLarge(), PayField::Cash);
  return {QString(), PayField::Confirm, std::nullopt};
}

PayStep ConfirmCardPay(Money amount_due, Money balance, const QString& card_text,
                       const QString& cash_text) {
  const Money card = ReadPayAmount(card_text);
  const Money paid = card + ReadPayAmount(cash_text);
  // Typed and confirmed without Enter, the card part has not been checked yet; a part above
  // the balance or the amount due would pay cash out of the card.
  const QString refusal = CheckCardPart(amount_due, balance, card);
  if (!refusal.isEmpty()) return Refuse(refusal, PayField::CardPart);
  if (amount_due - paid > kHundred) {
    return Refuse(QStringLiteral("应收金额与客付总金额不等！"), PayField::Cash);
  }
  if (paid - amount_due >= kHundred) return Refuse(TooLarge(), PayField::Cash);
  return {};
}

QString CardPayTotalText(const QString& card_text, const QString& cash_text) {
  return PayAmountText(Partial(card_text) + Partial(cash_text));
}

std::optional<CardPayment> PayByCard(CardContext& cards, const Order& order, Money amount_due) {
  CardPayRequest request;
  request.AmountDue = amount_due;
  request.CardsCode = order.CardsCode;
  request.CardDiscount = order.CardDiscount;
  if (const auto card = FindCard(cards.dm.Current(), order.CardsCode)) {
    request.Balance = card->Amount;
  }
  const CardPayment payment = cards.ui.CardPay(request);
  if (!payment.Confirmed) return std::nullopt;
  return payment;
}

PayStep BankPartEntered(Money amount_due, PayField field, const QString& bank_text,
                        const QString& voucher_text) {
  const Money bank = ReadPayAmount(bank_text);
  const Money voucher = ReadPayAmount(voucher_text);
  QString refusal = CheckBankPart(amount_due, field, field == PayField::Voucher ? voucher : bank);
  if (refusal.isEmpty()) refusal = CheckBankParts(amount_due, bank, voucher);
  if (!refusal.isEmpty()) return Refuse(refusal, field);
  return {QString(), PayField::Cash, PayAmountText(amount_due - voucher - bank)};
}

PayStep BankCashEntered(Money amount_due, const QString& bank_text, const QString& cash_text,
                        const QString& voucher_text) {
  const Money paid =
      ReadPayAmount(voucher_text) + ReadPayAmount(bank_text) + ReadPayAmount(cash_text);
  if (paid < amount_due) return Refuse(TooSmallForBank(), PayField::Cash);
  if (paid - amount_due >= kHundred) return Refuse(TooLarge(), PayField::Cash);
  return {QString(), PayField::Confirm, std::nullopt};
}

PayStep ConfirmBankCardPay(Money amount_due, const QString& bank_text, const QString& cash_text,
                           const QString& voucher_text) {
  const Money bank = ReadPayAmount(bank_text);
  const Money voucher = ReadPayAmount(voucher_text);
  const Money paid = bank + voucher + ReadPayAmount(cash_text);
  // A voucher or bank-card part above the amount due, typed and confirmed without Enter, would
  // hand the difference out in cash.
  QString refusal = CheckBankPart(amount_due, PayField::Voucher, voucher);
  if (!refusal.isEmpty()) return Refuse(refusal, PayField::Voucher);
  refusal = CheckBankParts(amount_due, bank, voucher);
  if (!refusal.isEmpty()) return Refuse(refusal, PayField::CardPart);
  if (amount_due - paid >= kHundred) return Refuse(TooSmallForBank(), PayField::Cash);
  if (paid - amount_due >= kHundred) return Refuse(TooLarge(), PayField::Cash);
  return {};
}

QString BankCardPayTotalText(const QString& bank_text, const QString& cash_text,
                             const QString& voucher_text) {
  return PayAmountText(Partial(bank_text) + Partial(cash_text) + Partial(voucher_text));
}

BankCardPayment PayByBankCard(CardUi& ui, Money amount_due) { return ui.BankCardPay(amount_due); }

}  // namespace quilmo
