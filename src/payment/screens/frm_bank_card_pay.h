#pragma once

#include "base/money.h"
#include "base/ui.h"
#include "frame/frm_root.h"
#include "payment/card_pay.h"
#include "payment/card_ui.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace quilmo {

// "银行卡/现金卷支付": the parts of the amount due paid by bank card, by vouchers and in
// cash. The common keys, and F5 for OK.
class TfrmBankCardPay : public TfrmRootDialog {
  Q_OBJECT
 public:
  TfrmBankCardPay(Ui& ui, Money amount_due, QWidget* parent = nullptr);

  const BankCardPayment& result() const { return result_; }

  QLabel* lblRealAmount;
  QLineEdit* suiEdtCardPay;  // bank card
  QLineEdit* suiEdtCash;
  QLineEdit* suEdtCashCard;  // vouchers
  QLabel* lblPayToTal;
  QPushButton* suiButton1;  // 确 定[F5]
  QPushButton* suiButton2;  // 取 消[Esc]

 protected:
  void showEvent(QShowEvent* event) override;
  bool EnterInControl(QWidget* control) override;
  bool FormKeyDown(QKeyEvent* event) override;

 private:
  void PartEnter(PayField field);
  void suiEdtCashEnter();
  void suiButton1Click();
  void EmptyEditsToZero();
  void Apply(const PayStep& step);
  QLineEdit* Field(PayField field) const;

  Ui& ui_;
  Money amount_due_;
  BankCardPayment result_;
  bool opening_ = false;
};

}  // namespace quilmo
