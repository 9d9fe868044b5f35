#pragma once

#include <QString>
#include <functional>

#include "base/ui.h"

namespace quilmo {

// The five figures of a closed shift as the report shows them, with who closed it and when.
struct ShiftReport {
  QString CashierName;  // lblCashierName: the cashier closing the shift
  QString OnAmount;     // lblOnAmount: cash in the box at the opening
  QString SaleAmount;   // lblSaleAmount: cash taken in sales
  QString GetAmount;    // lblGetAmount: cash withdrawn
  QString OverAmount;   // lblOverAmount: cash that should be in the box now
  QString TimeTotal;    // lblTimeTotal: "8小时 59分"
  QString Time;         // lblTime: the closing moment
  QString TopUpAmount;  // lblTopUpAmount: cash taken for stored-value top-ups
};

// The screens of the shift.
class ShiftUi : public virtual Ui {
 public:
  // TfrmShowOverMsg "交班信息框" showing a closed shift: true when the cashier chose
  // "打印信息", false for "退出" (or Esc). Its Ctrl+Alt+Y calls `design` (the report template
  // in the designer) when there is one.
  virtual bool ShowOverMsg(const ShiftReport& report, const std::function<void()>& design) = 0;
};

}  // namespace quilmo
