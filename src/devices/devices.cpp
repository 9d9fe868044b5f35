#include "devices/devices.h"

#include <QLoggingCategory>

#include "base/ini_file.h"
#include "devices/cash_drawer.h"
#include "devices/device_error.h"
#include "devices/device_io.h"
#include "devices/port_map.h"
#include "devices/receipt_report.h"
#include "devices/receipt_store.h"
#include "devices/shift_report_print.h"
#include "devices/text_receipt.h"

namespace quilmo {
namespace {

Q_LOGGING_CATEGORY(lcDevices, "quilmo.devices")

}  // namespace

QString Devices::Setting(const char* key) const {
  return ReadIniString(setup_.ini_file, QStringLiteral("HardWareSet"), QString::fromLatin1(key));
}

QString Devices::PrinterPath(const QString& port) const {
  const QString path = DevicePath(setup_.ini_file, port);
  if (path.isEmpty()) {
    throw DeviceError(QStringLiteral("打印端口 %1 没有对应的设备，请在 QTSet.ini 的 [%2] 中设置")
                          .arg(port, QString::fromLatin1(kDevicePortsSection)));
  }
  return path;
}

void Devices::InitDisplay() {
  try {
    display_.InitDisplay();
  } catch (const DeviceError& e) {
    qCWarning(lcDevices).noquote() << "customer display:" << e.message();
  }
}

void Devices::ShowOnDisplay(int state, Money amount) { display_.ShowOnDisplay(state, amount); }

bool Devices::OpenCashDrawer() {
  try {
    quilmo::OpenCashDrawer(setup_.ini_file, setup_.program_folder, setup_.ui, display_);
    return true;
  } catch (const Error& e) {
    ReportError(setup_.ui, e);
    return false;
  }
}

void Devices::TellPrintFailed(const QString& reason) {
  setup_.ui.ShowErrorBox(QStringLiteral("小票没有打印出来：%1\r\n这笔销售已经保存，"
                                        "修好打印机后可以重打小票。")
                             .arg(reason));
}

bool Devices::PrintReceipt(const ReceiptData& receipt, int copies) {
  if (Setting("HavePrinter") != QStringLiteral("Y")) return true;
  copies = std::max(copies, 1);
  const QString model = Setting("PrintModel");
  if (model != QStringLiteral("0") && model != QStringLiteral("1")) {
    setup_.ui.ShowNoticeBox(QStringLiteral("未知打印方式，不能打印！"));
    return false;
  }
  const QString port = Setting("PrintPort");
  if (model == QStringLiteral("0") && port.isEmpty()) {
    setup_.ui.ShowNoticeBox(QStringLiteral("未设置票据打印机连接端口！"));
    return false;
  }

  StoredReceipt kept;
  kept.OrderNo = receipt.OrderNo;
  kept.PrintTime = setup_.clock.Now();
  kept.PrintModel = model;
  kept.Data = receipt;
  if (model == QStringLiteral("0")) {
    kept.Content = TextReceipt(receipt, ReceiptSettings::Read(setup_.ini_file),
                               ReceiptWidth(Setting("PaperType")));
  }
  // Kept before printing, so a receipt the printer lost is there to print again. A receipt
  // that cannot be kept still prints.
  try {
    ReceiptStore(setup_.local).Keep(kept);
  } catch (const Error& e) {
    qCWarning(lcDevices).noquote() << "receipt not kept for reprinting:" << e.message();
  }

  try {
    if (model == QStringLiteral("0")) {
      const QString path = PrinterPath(port);
      for (int i = 0; i < copies; ++i) WriteToDevice(path, kept.Content, port);
    } else {
      PrintTemplate(receipt, copies);
    }
    return true;
  } catch (const Error& e) {
    TellPrintFailed(e.message());
    return false;
  }
}

void Devices::PrintTemplate(const ReceiptData& receipt, int copies) {
  const Report report = ReceiptReport(receipt, setup_.ini_file, setup_.program_folder);
  const QString printer = ReadIniString(setup_.ini_file, QStringLiteral("HardWareSet"),
                                        QString::fromLatin1(kReportPrinterKey));
  for (int i = 0; i < copies; ++i) setup_.printer.Print(report, printer);
}

bool Devices::ReprintLastReceipt() {
  if (Setting("HavePrinter") != QStringLiteral("Y")) {
    setup_.ui.ShowNoticeBox(QStringLiteral("没有连接票据打印机，不能重打小票！"));
    return false;
  }
  std::optional<StoredReceipt> last;
  try {
    last = ReceiptStore(setup_.local).Last();
  } catch (const Error& e) {
    ReportError(setup_.ui, e);
    return false;
  }
  if (!last) {
    setup_.ui.ShowNoticeBox(QStringLiteral("没有可以重打的小票！"));
    return false;
  }
  try {
    if (last->PrintModel == QStringLiteral("0")) {
      const QString port = Setting("PrintPort");
      if (port.isEmpty()) {
        setup_.ui.ShowNoticeBox(QStringLiteral("未设置票据打印机连接端口！"));
        return false;
      }
      WriteToDevice(PrinterPath(port), last->Content, port);
    } else {
      PrintTemplate(last->Data, 1);
    }
    return true;
  } catch (const Error& e) {
    setup_.ui.ShowErrorBox(QStringLiteral("小票没有打印出来：%1").arg(e.message()));
    return false;
  }
}

void Devices::DesignReceiptTemplate(const ReceiptData& sample) {
  Report report = ReceiptReport(sample, setup_.ini_file, setup_.program_folder);
  setup_.ui.ShowReportDesigner(report);
}

bool Devices::PrintShiftReport(const QString& shift_no, const ReportPeople& people) {
  return PrintShift([&] {
    const Report report =
        ShiftReportTemplate(setup_.local, shift_no, setup_.ini_file, setup_.program_folder, people);
    setup_.printer.Print(report, Setting(kReportPrinterKey));
  });
}

bool Devices::PrintShiftText(const QString& port, const QByteArray& bytes) {
  return PrintShift([&] {
    if (port.isEmpty()) throw DeviceError(QStringLiteral("未设置票据打印机连接端口！"));
    WriteToDevice(PrinterPath(port), bytes, port);
  });
}

bool Devices::PrintSlipText(const QString& port, const QByteArray& bytes) {
  try {
    if (port.isEmpty()) throw DeviceError(QStringLiteral("未设置票据打印机连接端口！"));
    WriteToDevice(PrinterPath(port), bytes, port);
    return true;
  } catch (const Error& e) {
    setup_.ui.ShowErrorBox(QStringLiteral("冲值单没有打印出来：%1").arg(e.message()));
    return false;
  }
}

bool Devices::PrintShift(const std::function<void()>& print) {
  try {
    print();
    return true;
  } catch (const Error& e) {
    setup_.ui.ShowErrorBox(QStringLiteral("交班信息没有打印出来：%1").arg(e.message()));
    return false;
  }
}

void Devices::DesignShiftTemplate(const QString& shift_no, const ReportPeople& people) {
  RunReported(setup_.ui, [&] {
    Report report =
        ShiftReportTemplate(setup_.local, shift_no, setup_.ini_file, setup_.program_folder, people);
    setup_.ui.ShowReportDesigner(report);
  });
}

}  // namespace quilmo
