#pragma once

#include "base/ui.h"
#include "frame/frm_root.h"
#include "payment/card_pay.h"
#include "payment/card_ui.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace quilmo {

// "储值卡支付": the part of the amount due paid from the stored-value card and the extra cash.
// It has no keys of its own: Enter in its two edits checks them, Enter on a button presses it.
class TfrmCardPay : public TfrmRootDialog {
  Q_OBJECT
 public:
  TfrmCardPay(Ui& ui, const CardPayRequest& request, QWidget* parent = nullptr);

  const CardPayment& result() const { return result_; }

  QLabel* lblRealAmount;
  QLabel* lblCardCode;
  QLabel* lblDiscount;
  QLabel* lblAmount;
  QLineEdit* suiEdtCardPay;
  QLineEdit* suiEdtCash;
  QLabel* lblPayToTal;
  QPushButton* suiButton1;  // 确 定
  QPushButton* suiButton2;  // 取 消

 protected:
  void showEvent(QShowEvent* event) override;
  bool FormKeyDown(QKeyEvent* event) override;

 private:
  void suiEdtCardPayEnter();
  void suiEdtCashEnter();
  void suiButton1Click();
  void Apply(const PayStep& step);
  QWidget* Field(PayField field) const;

  Ui& ui_;
  CardPayRequest request_;
  CardPayment result_;
};

}  // namespace quilmo
