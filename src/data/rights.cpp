#include "data/rights.h"

namespace quilmo {

bool HasRight(TDMFM& dm, const QString& cashier_no, Right right) {
  return !dm.Current()
              .FirstRow(QStringLiteral("SELECT RightID FROM QTCashierRight "
                                       "WHERE CashierNo = :CashierNo AND RightID = :RightID"),
                        {{QStringLiteral(":CashierNo"), cashier_no},
                         {QStringLiteral(":RightID"), static_cast<int>(right)}})
              .isEmpty();
}

bool CheckRight(TDMFM& dm, Ui& ui, Right right) {
  return CheckRight(dm, ui, right, RightRefusal(right));
}

bool CheckRight(TDMFM& dm, Ui& ui, Right right, const QString& refusal) {
  if (HasRight(dm, dm.session().CashierNo, right)) return true;
  ui.ShowNoticeBox(refusal);
  return false;
}

}  // namespace quilmo
