#pragma once

#include "base/ui.h"

namespace quilmo {

class CheckoutFlow;

// The screens of payment.
class PaymentUi : public virtual Ui {
 public:
  // The checkout dialog TfrmQTXSPay over a flow: it shows the flow's amounts, hands the
  // cashier's keys to it and returns when the flow is closed (saved, or left with Esc).
  virtual void ShowCheckout(CheckoutFlow& flow) = 0;
};

}  // namespace quilmo
