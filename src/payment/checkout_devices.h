#pragma once

#include "base/money.h"
#include "sale/order.h"

namespace quilmo {

// The devices a checkout drives once the order is saved: the pole display (state 2 the amount
// received, 3 the change), the cash drawer and the receipt printer. The checkout calls each
// only when the settings file says the shop has it (HardWareSet HaveScreen, HaveCashBox,
// HavePrinter "Y"); the application hands in the implementation. A failure is thrown as an
// Error and reported by the checkout, or told by the device itself; it never undoes the saved
// order.
class CheckoutDevices {
 public:
  virtual ~CheckoutDevices() = default;
  virtual void ShowOnDisplay(int state, Money amount) = 0;
  virtual void OpenCashDrawer() = 0;
  // The receipt of the saved order, `copies` times. False when it did not print (the cashier
  // has been told); it is kept, and ReprintLastReceipt prints it again.
  virtual bool PrintReceipt(const Order& order, int copies) = 0;
  virtual bool ReprintLastReceipt() = 0;
};

}  // namespace quilmo
