#pragma once

#include "frame/frm_root.h"
#include "shift/shift_ui.h"

class QLabel;
class QPushButton;

namespace quilmo {

// The shift report "交班信息框": who closed the shift, its five figures and the closing time.
// "打印信息" prints the report and closes, "退出" only closes.
class TfrmShowOverMsg : public TfrmRootDialog {
  Q_OBJECT
 public:
  // `design` is Ctrl+Alt+Y: the report template in the designer (nothing when empty).
  TfrmShowOverMsg(const ShiftReport& report, std::function<void()> design,
                  QWidget* parent = nullptr);

  bool printChosen() const { return print_; }

  QLabel* lblCashierName;
  QLabel* lblOnAmount;
  QLabel* lblSaleAmount;
  QLabel* lblGetAmount;
  QLabel* lblTopUpAmount;
  QLabel* lblOverAmount;
  QLabel* lblTimeTotal;
  QLabel* lblTime;
  QPushButton* suiButton1;
  QPushButton* suiButton2;

 protected:
  bool FormKeyDown(QKeyEvent* event) override;

 private:
  std::function<void()> design_;
  bool print_ = false;
};

}  // namespace quilmo
