#include "data/rights.h"

namespace quilmo {

bool HasRight(TDMFM& dm, const QString& cashier_no, int right_id) {
  return !dm.Current()
              .FirstRow(QStringLiteral("SELECT RightID FROM QTCashierRight WHERE CashierNo = "
                                       ":CashierNo AND RightID = :RightID"),
                        {{QStringLiteral(":CashierNo"), cashier_no},
                         {QStringLiteral(":RightID"), right_id}})
              .isEmpty();
}

}  // namespace quilmo
