#pragma once

#include "frame/frm_root.h"
#include "payment/checkout.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace quilmo {

// The checkout dialog "前台收款": amount due, received and change, the adjustment keys and OK.
// Everything it does is CheckoutFlow's; the screen shows the flow's texts after each step.
class TfrmQTXSPay : public TfrmRootDialog {
  Q_OBJECT
 public:
  explicit TfrmQTXSPay(CheckoutFlow& flow, QWidget* parent = nullptr);

  QLineEdit* suiEdtAmount;
  QLineEdit* suiEdtReciveAmount;
  QLineEdit* suiEdtBackAmount;
  QLabel* Label6;      // 银行卡/现金卷[F4]
  QLabel* lblCardPay;  // 储值卡支付[F2]
  QLabel* Label4;      // 抹零[F5]
  QLabel* Label7;      // 四舍五入[F6]
  QLabel* Label5;      // 不打印小票[F9]
  QLabel* lblReprint;  // 重打小票[Ctrl+P]: after a save whose receipt did not print
  QPushButton* suiBtSave;
  QPushButton* suiBtCancel;

 protected:
  bool FormKeyDown(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Refresh();
  void Ok();
  void Cancel();
  void After();

  CheckoutFlow& flow_;
};

}  // namespace quilmo
