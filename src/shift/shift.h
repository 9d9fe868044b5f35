#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QStringList>
#include <optional>

#include "base/money.h"
#include "data/tdmfm.h"
#include "sale/shift_record.h"
#include "shift/shift_ui.h"

namespace quilmo {

// The devices of the shift: the cash drawer and the printer for the shift report. The
// application hands in the implementation; the shift logic asks the settings file whether the
// shop has each device before it calls.
class ShiftDevices {
 public:
  virtual ~ShiftDevices() = default;
  virtual void OpenCashDrawer() = 0;
  // The report through the template SysFile/QTOver.frf (HardWareSet/PrintModel "1").
  virtual void PrintShiftTemplate(const ShiftReport& report, const ShiftRecord& shift) = 0;
  // Text lines to the printer port named by HardWareSet/PrintPort.
  virtual void PrintShiftText(const QString& port, const QByteArray& bytes) = 0;
  // The template SysFile/QTOver.frf in the report designer, with the shift as sample data.
  virtual void DesignShiftTemplate(const ShiftRecord& shift) = 0;
};

// The parked orders, as the shift close sees them: whether there are any, and clearing them
// all when the cashier agrees.
class ParkedOrders {
 public:
  virtual ~ParkedOrders() = default;
  virtual bool Any() = 0;
  virtual void ClearAll() = 0;
};

// What the shift logic works with.
struct ShiftContext {
  TDMFM& dm;
  ShiftUi& ui;
  ShiftDevices& devices;
  ParkedOrders& parked;

  PosSession& session() const { return dm.session(); }
};

// Why a box amount cannot open a shift (negative, or more than a drawer holds); nothing when it
// can.
std::optional<QString> BoxAmountRefusal(Money box_amount);

// Why a withdrawal cannot be taken: it is not above 0, or it is more than the cash the shift
// expects in the drawer. Nothing when it can.
std::optional<QString> WithdrawalRefusal(Money amount, Money expected_in_drawer);

// Opens a shift with the cash counted in the box: a new QTOnOverOrder row, the shift state in
// the session and in SysSet of the settings file, so an open shift survives a restart. False,
// after the notice, for a box amount BoxAmountRefusal refuses, or (after "取单号失败！") when no
// shift number could be had.
bool OpenShift(ShiftContext& shift, Money box_amount);

// The main window's F2: right 1, no shift open yet, the cash-box amount dialog proposing the
// last closing amount, OpenShift and its notice.
void RunOpenShift(ShiftContext& shift);

// Closes the current shift and reads back its figures. The closing amount becomes the
// proposed opening amount of the next shift.
ShiftReport CloseShift(ShiftContext& shift, ShiftRecord* record = nullptr);

// The main window's F7 up to the report: right 2, a shift open, the question, the running
// download, the parked orders, CloseShift, TfrmShowOverMsg and its printing. True when the
// shift was closed (the caller uploads online and returns to the login).
bool RunCloseShift(ShiftContext& shift);

// A cash withdrawal: right 13, the amount checked by WithdrawalRefusal against the shift's
// expected cash, added to the shift's withdrawals and taken from the cash that should be in
// the box, then the drawer opens. False, after the notice, when it is refused.
bool WithdrawCash(ShiftContext& shift, Money amount);

// The sale screen's Ctrl+Q: right 13, the amount asked, then WithdrawCash.
void CashWithdrawal(ShiftContext& shift);

// The length of a shift as the report gives it: whole hours and minutes, "8小时 59分".
QString ShiftDuration(const QDateTime& on, const QDateTime& over);

// An amount in the report: the shortest text, "1250", "37.5".
QString ShiftAmountText(Money amount);

// The text lines of the printed report (20 lines, GBK, each ended by CR LF).
QByteArray ShiftReportText(const ShiftReport& report);

}  // namespace quilmo
