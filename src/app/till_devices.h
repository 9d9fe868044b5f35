#pragma once

#include "app/app_context.h"
#include "payment/checkout_devices.h"
#include "shift/shift.h"

namespace quilmo {

// The till's devices as checkout and the shift see them: the pole display, the drawer, the
// receipt printer and the shift report of the application's devices (AppContext::devices).
// Where the till runs without them (a test, a tool), a configured drawer or printer is told
// plainly not to have acted, never shown a success.
class CheckoutShiftDevices final : public CheckoutDevices, public ShiftDevices {
 public:
  explicit CheckoutShiftDevices(AppContext& app) : app_(app) {}

  void ShowOnDisplay(int state, Money amount) override;
  void OpenCashDrawer() override;
  bool PrintReceipt(const Order& order, int copies) override;
  bool ReprintLastReceipt() override;
  void PrintShiftTemplate(const ShiftReport& report, const ShiftRecord& shift) override;
  void PrintShiftText(const QString& port, const QByteArray& bytes) override;
  void DesignShiftTemplate(const ShiftRecord& shift) override;

 private:
  AppContext& app_;
};

// What checkout's server_lost does at the till: "网络故障！系统自动切换到『断网销售』模式。" and
// the switch to offline mode. True when the till now works offline.
bool SwitchOfflineAfterServerLoss(AppContext& app);

// The till's parked orders as the shift close sees them.
class TillParkedOrders final : public ParkedOrders {
 public:
  explicit TillParkedOrders(AppContext& app) : app_(app) {}
  bool Any() override;
  void ClearAll() override;

 private:
  AppContext& app_;
};

}  // namespace quilmo
