#include "app/till_devices.h"

#include "app/server_connection.h"
#include "devices/devices.h"
#include "devices/receipt_from_order.h"
#include "report/report_variables.h"
#include "sale/suspended_orders.h"

namespace quilmo {

void CheckoutShiftDevices::ShowOnDisplay(int state, Money amount) {
  if (app_.devices) app_.devices->ShowOnDisplay(state, amount);
}

void CheckoutShiftDevices::OpenCashDrawer() {
  if (app_.devices) {
    app_.devices->OpenCashDrawer();
    return;
  }
  app_.ui.ShowNoticeBox(QStringLiteral("本机还不能打开钱箱，请用钥匙打开钱箱！"));
}

bool CheckoutShiftDevices::PrintReceipt(const Order& order, int copies) {
  if (app_.devices) {
    return app_.devices->PrintReceipt(ReceiptFromOrder(order, app_.session), copies);
  }
  // Nothing was kept either, so there is nothing to offer to print again.
  app_.ui.ShowNoticeBox(QStringLiteral("小票打印功能尚不可用，本单没有打印小票！"));
  return true;
}

bool CheckoutShiftDevices::ReprintLastReceipt() {
  return app_.devices && app_.devices->ReprintLastReceipt();
}

void CheckoutShiftDevices::PrintShiftTemplate(const ShiftReport&, const ShiftRecord& shift) {
  if (app_.devices) {
    app_.devices->PrintShiftReport(shift.OrderNo, TillPeople(app_.session));
    return;
  }
  app_.ui.ShowNoticeBox(QStringLiteral("报表打印功能尚不可用，交班信息没有打印！"));
}

void CheckoutShiftDevices::DesignShiftTemplate(const ShiftRecord& shift) {
  if (app_.devices) app_.devices->DesignShiftTemplate(shift.OrderNo, TillPeople(app_.session));
}

void CheckoutShiftDevices::PrintShiftText(const QString& port, const QByteArray& bytes) {
  if (app_.devices) {
    app_.devices->PrintShiftText(port, bytes);
    return;
  }
  app_.ui.ShowNoticeBox(QStringLiteral("报表打印功能尚不可用，交班信息没有打印！"));
}

bool TillParkedOrders::Any() { return HasSuspendedOrders(app_.dm); }

void TillParkedOrders::ClearAll() { ClearSuspendedOrders(app_.dm, app_.ui); }

bool SwitchOfflineAfterServerLoss(AppContext& app) {
  app.ui.MessageBox(QStringLiteral("提示"),
                    QStringLiteral("网络故障！系统自动切换到『断网销售』模式。"),
                    MsgIcon::Information, MsgButtons::Ok);
  return SwitchMode(app) && !app.session.IsOnline;
}

}  // namespace quilmo
