#include "payment/screens/pay_step_view.h"

namespace quilmo {

void ShowPayStep(Ui& ui, const PayStep& step, QLineEdit* cash, QWidget* next) {
  if (!step.Accepted()) ui.ShowNoticeBox(step.Notice);
  if (step.CashText) cash->setText(*step.CashText);
  if (!next) return;
  next->setFocus();
  if (step.Accepted()) return;
  if (auto* edit = qobject_cast<QLineEdit*>(next)) edit->selectAll();
}

}  // namespace quilmo
