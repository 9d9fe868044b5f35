#include "app/till_devices.h"

#include <QFile>

#include "app/server_connection.h"

namespace quilmo {

void TillDevices::ShowOnDisplay(int, Money) {
  // The display only repeats what the checkout shows; without its driver it stays as it is.
}

void TillDevices::OpenCashDrawer() {
  app_.ui.ShowNoticeBox(QStringLiteral("本机还不能打开钱箱，请用钥匙打开钱箱！"));
}

void TillDevices::PrintReceipt(const Order&) {
  app_.ui.ShowNoticeBox(QStringLiteral("小票打印功能尚不可用，本单没有打印小票！"));
}

void TillDevices::PrintShiftTemplate(const ShiftReport&, const ShiftRecord&) {
  app_.ui.ShowNoticeBox(QStringLiteral("报表打印功能尚不可用，交班信息没有打印！"));
}

void TillDevices::PrintShiftText(const QString& port, const QByteArray& bytes) {
  QFile device(port);
  if (port.isEmpty() || !device.open(QIODevice::WriteOnly) || device.write(bytes) != bytes.size() ||
      !device.flush()) {
    throw Error(QStringLiteral("打印端口“") + port +
                QStringLiteral("”不能写入，交班信息没有打印！"));
  }
  device.close();
}

bool SwitchOfflineAfterServerLoss(AppContext& app) {
  app.ui.MessageBox(QStringLiteral("提示"),
                    QStringLiteral("网络故障！系统自动切换到『断网销售』模式。"),
                    MsgIcon::Information, MsgButtons::Ok);
  return SwitchMode(app) && !app.session.IsOnline;
}

}  // namespace quilmo
