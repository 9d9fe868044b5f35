#pragma once

#include <QString>
#include <functional>

#include "base/money.h"
#include "base/ui.h"

namespace quilmo {

struct CardContext;
struct Order;

// What the stored-value payment dialog shows: the amount due, the card and its balance as the
// logic read it.
struct CardPayRequest {
  Money AmountDue;
  QString CardsCode;
  double CardDiscount = 100;
  Money Balance;
};

// The split the cashier agreed in the stored-value payment dialog.
struct CardPayment {
  bool Confirmed = false;
  Money CardPayAmount;  // from the card
  Money CashPart;       // extra cash
};

// The split the cashier agreed in the bank-card and voucher dialog.
struct BankCardPayment {
  bool Confirmed = false;
  Money BankCardPart;
  Money CashPart;
  Money VoucherPart;
  QString BankCardNo;  // the dialog asks for none, so it stays empty
};

// What became of an OK in the password change dialog.
enum class CardPasswordStep {
  WrongOld,  // told; the old-password edit is to be corrected
  Mismatch,  // told; the new password and its confirmation differ
  Closed,    // changed, or the change failed and the cashier was told: the dialog closes
};

// The three texts of the password change dialog.
struct CardPasswordChange {
  QString OldPassword;
  QString NewPassword;
  QString Confirmation;
};

// The card screens the payment logic opens. The dialogs that act on the database while they
// are open get the logic as a function to call and stay open as long as it says so.
class CardUi : public virtual Ui {
 public:
  // The card choice (TfrmSelectCards) for the order being rung up; true when a card was taken.
  virtual bool SelectCards(CardContext& cards, Order& order) = 0;
  // The card password (TfrmCardPSWInput): each OK hands the typed text to `check`, which tells
  // the cashier when it is wrong; the dialog closes when it is right (true) or on cancel
  // (false).
  virtual bool CardPasswordInput(const QString& cards_code,
                                 const std::function<bool(const QString&)>& check) = 0;
  // The password change (TfrmChangeCardPSW): each OK hands the three texts to `change`.
  // Closing without a change is a cancel.
  virtual void ChangeCardPassword(
      const QString& cards_code,
      const std::function<CardPasswordStep(const CardPasswordChange&)>& change) = 0;
  // The stored-value payment (TfrmCardPay).
  virtual CardPayment CardPay(const CardPayRequest& request) = 0;
  // The bank-card and voucher payment (TfrmBankCardPay) of an amount due.
  virtual BankCardPayment BankCardPay(Money amount_due) = 0;
};

}  // namespace quilmo
