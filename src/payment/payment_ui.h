#pragma once

#include "payment/card_ui.h"

namespace quilmo {

class CheckoutFlow;

// The screens of payment; the checkout opens the card payment dialogs too.
class PaymentUi : public virtual CardUi {
 public:
  // The checkout dialog TfrmQTXSPay over a flow: it shows the flow's amounts, hands the
  // cashier's keys to it and returns when the flow is closed (saved, or left with Esc).
  virtual void ShowCheckout(CheckoutFlow& flow) = 0;
};

}  // namespace quilmo
