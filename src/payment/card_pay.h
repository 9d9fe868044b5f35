#pragma once

#include <QChar>
#include <QString>
#include <optional>

#include "base/money.h"
#include "payment/card_context.h"
#include "payment/card_ui.h"
#include "sale/order.h"

namespace quilmo {

// The payment dialogs' amount texts: "%-7.2f", two decimals, left-aligned, blank-padded to
// seven characters.
QString PayAmountText(Money amount);

// Whether a part paid other than in cash lies between zero and the amount due: on a sale not
// negative and not above the due, on a return (a negative due) the mirror of that.
bool WithinDue(Money part, Money due);

// An amount typed in a payment dialog: the blanks around it removed, empty is 0. A text that
// passed the character filter but is no number ("1..2", "-") throws Error with a text the
// boundary shows; the dialog stays open.
Money ReadPayAmount(const QString& text);

// The character filter of every amount edit: digits, ".", "-", Backspace, Tab and Enter.
bool PayAmountCharAccepted(QChar c);

// The fields of the payment dialogs a step sends the focus to.
enum class PayField { None, CardPart, Cash, Voucher, Confirm };

// What one Enter or OK in a payment dialog comes to: a refusal (its notice and the field to
// correct) or, when accepted, where the focus goes and the cash edit's new text, if any.
struct PayStep {
  QString Notice;
  PayField Focus = PayField::None;
  std::optional<QString> CashText;

  bool Accepted() const { return Notice.isEmpty(); }
};

// ---- The stored-value card dialog (TfrmCardPay) ----

struct CardPayOpening {
  QString CardPart;
  QString Cash;
};

// The card pays what its balance covers; cash makes up the rest.
CardPayOpening OpenCardPay(Money amount_due, Money balance);

// Enter in the card part: not above the balance, not above the amount due, not below 0 on a
// sale; then the cash edit gets the rest.
PayStep CardPartEntered(Money amount_due, Money balance, const QString& card_text);

// Enter in the cash edit: card part and cash together within 100 of the amount due.
PayStep CardPayCashEntered(Money amount_due, const QString& card_text, const QString& cash_text);

// OK: the card part's own checks again (it may have been changed without Enter), then the
// total: short by no more than 100, over by less than 100.
PayStep ConfirmCardPay(Money amount_due, Money balance, const QString& card_text,
                       const QString& cash_text);

// "总计客付": card part and cash, each 0 while its text is empty or no number yet.
QString CardPayTotalText(const QString& card_text, const QString& cash_text);

// F12 on the sale screen and F2 at checkout with a stored-value card: reads the card's balance
// and opens the dialog. The agreed split, or nothing when the cashier cancelled.
std::optional<CardPayment> PayByCard(CardContext& cards, const Order& order, Money amount_due);

// ---- The bank-card and voucher dialog (TfrmBankCardPay) ----

// Enter in the bank-card part (field CardPart) or the voucher part (field Voucher): each part is
// between 0 and the amount due and the two together do not exceed it; then cash gets what the
// two leave.
PayStep BankPartEntered(Money amount_due, PayField field, const QString& bank_text,
                        const QString& voucher_text);

// Enter in the cash edit: the three parts cover the amount due and exceed it by less than 100.
PayStep BankCashEntered(Money amount_due, const QString& bank_text, const QString& cash_text,
                        const QString& voucher_text);

// OK: each part's own check again, then the three parts within 100 of the amount due.
PayStep ConfirmBankCardPay(Money amount_due, const QString& bank_text, const QString& cash_text,
                           const QString& voucher_text);

// "总计客付" of the bank-card dialog: the three parts, each 0 while not a number yet.
QString BankCardPayTotalText(const QString& bank_text, const QString& cash_text,
                             const QString& voucher_text);

// F4 at checkout: the bank-card and voucher dialog for the amount due (what the stored-value
// card leaves of it).
BankCardPayment PayByBankCard(CardUi& ui, Money amount_due);

}  // namespace quilmo
