#pragma once

#include <QString>
#include <functional>

#include "base/money.h"
#include "data/tdmfm.h"
#include "payment/checkout_devices.h"
#include "payment/payment_ui.h"
#include "sale/order.h"
#include "sale/order_saving.h"

namespace quilmo {

// What a checkout works with: the data module (and through it the session and its settings
// file), the payment screens and the devices.
struct PaymentContext {
  TDMFM& dm;
  PaymentUi& ui;
  CheckoutDevices& devices;
  // Called when an online save failed because the server is gone: the till's switch to
  // offline mode (message and mode switch). True when the till now works offline, so the
  // cashier can save the same order again at once. Empty: nothing is switched.
  std::function<bool()> server_lost;
  // Watches the save (the reliability tests); empty at the till.
  SaveStepHook save_hook;

  PosSession& session() const { return dm.session(); }
};

// The parts agreed in the stored-value card dialog before the checkout opens.
struct StoredValuePart {
  Money card;  // paid from the card
  Money cash;  // the extra cash
};

// The checkout dialog's logic (TfrmQTXSPay): the three amounts as the dialog shows them, the
// adjustments (rounding off, rounding to whole units, the card and bank-card parts, the
// receipt switch) and OK, which writes the payment into the header, saves the order and then
// drives display, drawer and receipt. The screen shows the texts and forwards the keys.
class CheckoutFlow {
 public:
  CheckoutFlow(PaymentContext& pay, Order& order, StoredValuePart part = {});

  // The edits and labels, as shown.
  const QString& amountText() const { return amount_text_; }      // suiEdtAmount (due)
  const QString& receivedText() const { return received_text_; }  // suiEdtReciveAmount
  const QString& changeText() const { return change_text_; }      // suiEdtBackAmount
  bool receivedReadOnly() const { return received_read_only_; }
  bool cardPayVisible() const { return card_pay_visible_; }  // lblCardPay "储值卡支付[F2]"
  QString printLabel() const;                                // Label5
  bool printOn() const { return print_on_; }
  bool saved() const { return saved_; }
  bool closed() const { return closed_; }
  // The order was saved but its receipt did not print: the dialog stays open on its closing
  // state, where Ctrl+P prints the receipt again and any other key closes.
  bool receiptFailed() const { return receipt_failed_; }

  // What the screen should do with the received edit after an action.
  bool focusReceived() const { return focus_received_; }
  bool selectReceived() const { return select_received_; }

  // The cashier typed in the received edit: the change is worked out again.
  void ReceivedEdited(const QString& text);
  // F5: takes an amount off the amount due (right 15), asked in the input dialog.
  void RoundOff();
  // F6: the amount due to whole units, halves away from zero (right 15).
  void RoundWhole();
  // F9: the receipt on or off.
  void TogglePrint();
  // F2, while the stored-value part shows: the card payment dialog for what the bank card and
  // vouchers leave of the amount due.
  void PayFromCard();
  // F4 (and Label6): the bank-card and voucher dialog for what the stored-value card leaves of
  // the amount due.
  void PayByBankCardOrVoucher();
  // After the stored-value card dialog (F2) and the bank-card dialog (F4) were confirmed. Parts
  // that are negative or together exceed the amount due are refused with a notice and change
  // nothing.
  void ApplyStoredValue(Money card, Money cash);
  void ApplyBankCard(const QString& bank_card_no, Money bank_card, Money cash, Money voucher);

  enum class OkResult {
    Closed,       // already saved: the dialog closes
    FilledExact,  // nothing received yet: the amount due was filled in, nothing saved
    Refused,      // the amount received is short
    Failed,       // the save failed; the dialog stays
    Saved,        // saved, devices driven: the dialog closes
  };
  // OK (F12, Enter on the button, a click).
  OkResult Confirm();
  // Esc or Cancel: left without saving (after a save, any key closes).
  void Close() { closed_ = true; }
  // Ctrl+P on the closing state: the receipt again. True when it printed.
  bool ReprintReceipt();

 private:
  void CalculateChange();
  void SetReceived(const QString& text);
  void SetDue(Money due);
  Money Due() const;
  Money ReceivedFromParts() const;
  bool PartsFit(Money card, Money bank_card, Money voucher);
  bool MayRoundOff();
  bool HasDevice(const char* key) const;
  void DriveDevices();

  PaymentContext& pay_;
  Order& order_;
  Money card_pay_amount_;
  Money cash_part_;
  QString bank_card_no_;
  Money bank_card_part_;
  Money voucher_part_;
  QString amount_text_;
  QString received_text_;
  QString change_text_;
  bool received_read_only_ = false;
  bool card_pay_visible_ = false;
  bool print_on_ = true;
  bool saved_ = false;
  bool closed_ = false;
  bool receipt_failed_ = false;
  bool focus_received_ = true;
  bool select_received_ = false;
};

// An amount as the checkout writes it: two decimals, left-aligned in at least seven places.
QString CheckoutAmountText(Money amount);

// What the sale screen shows of the last order after a checkout: the texts of the three
// amount edits, trimmed.
struct CheckoutResult {
  bool saved = false;
  QString due;
  QString received;
  QString change;
};

// The sale screen's F12 once it has the stored-value part: opens TfrmQTXSPay over the order
// and answers whether the order was saved. After a save the sale screen starts the next order
// (a new Order) and shows the three amounts; when the dialog was left without a save the order
// stays as it is (a failed save leaves the payment fields in the header, overwritten by the
// next checkout).
CheckoutResult Checkout(PaymentContext& pay, Order& order, StoredValuePart part = {});

// The sale screen's F12: an order with a stored-value card first agrees the card part in the
// card dialog, for the header's Amount; cancelled, no checkout opens and nothing is saved.
// Then Checkout with that part.
CheckoutResult PayAndCheckout(PaymentContext& pay, Order& order);

}  // namespace quilmo
