#pragma once

#include "app/app_context.h"
#include "payment/checkout_devices.h"
#include "shift/shift.h"

namespace quilmo {

// The till's devices as checkout and the shift see them: the pole display, the drawer and the
// receipt printer of the application's devices (AppContext::devices). Where the till runs
// without them (a test, a tool), a configured drawer or printer is told plainly not to have
// acted, never shown a success. The shift report's text lines go to the printer port as they
// are; its template is not printed yet, which is said in the same way.
class CheckoutShiftDevices final : public CheckoutDevices, public ShiftDevices {
 public:
  explicit CheckoutShiftDevices(AppContext& app) : app_(app) {}

  void ShowOnDisplay(int state, Money amount) override;
  void OpenCashDrawer() override;
  void PrintReceipt(const Order& order) override;
  void PrintShiftTemplate(const ShiftReport& report, const ShiftRecord& shift) override;
  void PrintShiftText(const QString& port, const QByteArray& bytes) override;

 private:
  AppContext& app_;
};

// What checkout's server_lost does at the till: "网络故障！系统自动切换到『断网销售』模式。" and
// the switch to offline mode. True when the till now works offline.
bool SwitchOfflineAfterServerLoss(AppContext& app);

// Parked orders as the shift close sees them until parking is part of the till: none.
class NoParkedOrders final : public ParkedOrders {
 public:
  bool Any() override { return false; }
  void ClearAll() override {}
};

}  // namespace quilmo
