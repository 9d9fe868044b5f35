#pragma once

#include "base/money.h"
#include "sale/order.h"

namespace quilmo {

// The devices a checkout drives once the order is saved: the pole display (state 2 the amount
// received, 3 the change), the cash drawer and the receipt printer. The checkout calls each
// only when the settings file says the shop has it (HardWareSet HaveScreen, HaveCashBox,
// HavePrinter "Y"); the application hands in the implementation. A failure is thrown as an
// Error and reported by the checkout; it never undoes the saved order.
class CheckoutDevices {
 public:
  virtual ~CheckoutDevices() = default;
  virtual void ShowOnDisplay(int state, Money amount) = 0;
  virtual void OpenCashDrawer() = 0;
  virtual void PrintReceipt(const Order& order) = 0;
};

}  // namespace quilmo
