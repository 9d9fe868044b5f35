#pragma once

#include <QString>
#include <functional>

#include "base/clock.h"
#include "data/connection.h"
#include "devices/pole_display.h"
#include "devices/receipt_data.h"
#include "report/report_printer.h"
#include "report/report_ui.h"
#include "report/report_variables.h"
#include "sale/customer_display.h"

namespace quilmo {

// What the rest of the till asks of its devices: the main window, the sale screen, the
// checkout and the shift close. No call throws, and none can cost a sale: a device that fails
// is reported to the cashier (the pole display only logs, as it always stayed silent), and the
// call returns false.
class TillDevices : public CustomerDisplay {
 public:
  // Opens the pole display's port at its model's speed (the main window, each time it shows).
  virtual void InitDisplay() = 0;
  // ShowOnDisplay(state, amount), from CustomerDisplay: 1 the order total, 2 received, 3 change.

  // Opens the cash drawer as the settings say it is wired.
  virtual bool OpenCashDrawer() = 0;
  // Prints the receipt of a saved sale `copies` times (2 with PrintTwo), as text to the
  // printer's port or through the receipt template, and keeps it for a reprint first. A
  // printer fault is told to the cashier; the sale stays saved and the receipt can be printed
  // again. True when printed, or when the till has no printer.
  virtual bool PrintReceipt(const ReceiptData& receipt, int copies) = 0;
  // Prints the last receipt again, byte for byte as it was (a template receipt from its kept
  // values). The sale screen's Ctrl+P and the checkout's closing state.
  virtual bool ReprintLastReceipt() = 0;
  // Opens the receipt template in the report designer, with the receipt given as its sample
  // data (the order on the screen). The sale screen's Ctrl+Alt+Y.
  virtual void DesignReceiptTemplate(const ReceiptData& sample) = 0;

  // The shift report of the local file's shift record `shift_no` through the template
  // SysFile/QTOver.frf, on the report printer. A failure is told; the shift stays closed.
  virtual bool PrintShiftReport(const QString& shift_no, const ReportPeople& people) = 0;
  // The shift report's text lines to the printer port named `port` (a name of the device
  // ports section, or a path). A failure is told; the shift stays closed.
  virtual bool PrintShiftText(const QString& port, const QByteArray& bytes) = 0;
  // The shift-report template in the report designer, with the shift as its sample data (the
  // shift report's Ctrl+Alt+Y).
  virtual void DesignShiftTemplate(const QString& shift_no, const ReportPeople& people) = 0;
  // A slip's text lines (a stored-value top-up) to the printer port named `port`. A failure is
  // told; what the slip records is done already.
  virtual bool PrintSlipText(const QString& port, const QByteArray& bytes) = 0;
};

// What the devices work with.
struct DeviceSetup {
  QString ini_file;         // QTSet.ini, read afresh at every call
  QString program_folder;   // where SysFile/ and the drawer programs live
  const Connection& local;  // the till's local file, which keeps the last receipts
  ReportUi& ui;
  ReportPrinter& printer;
  const Clock& clock;
};

// The till's devices.
class Devices final : public TillDevices {
 public:
  explicit Devices(DeviceSetup setup) : setup_(std::move(setup)), display_(setup_.ini_file) {}

  void InitDisplay() override;
  void ShowOnDisplay(int state, Money amount) override;
  bool OpenCashDrawer() override;
  bool PrintReceipt(const ReceiptData& receipt, int copies) override;
  bool ReprintLastReceipt() override;
  void DesignReceiptTemplate(const ReceiptData& sample) override;
  bool PrintShiftReport(const QString& shift_no, const ReportPeople& people) override;
  bool PrintShiftText(const QString& port, const QByteArray& bytes) override;
  bool PrintSlipText(const QString& port, const QByteArray& bytes) override;
  void DesignShiftTemplate(const QString& shift_no, const ReportPeople& people) override;

  // The display itself, for the settings screen's test, which reports what InitDisplay hides.
  PoleDisplay& display() { return display_; }

 private:
  QString Setting(const char* key) const;
  // The text receipt's port as a device path; throws DeviceError when it maps to nothing.
  QString PrinterPath(const QString& port) const;
  void PrintTemplate(const ReceiptData& receipt, int copies);
  void TellPrintFailed(const QString& reason);
  // Runs a printing of the shift report; a failure is told, and the answer is false.
  bool PrintShift(const std::function<void()>& print);

  DeviceSetup setup_;
  PoleDisplay display_;
};

}  // namespace quilmo
