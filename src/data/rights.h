#pragma once

#include <QString>

#include "base/rights.h"
#include "base/ui.h"
#include "data/tdmfm.h"

namespace quilmo {

// Whether the back office granted the cashier the right, asked on the mode's connection every
// time: no answer is kept, so a right withdrawn in the back office counts at the next attempt.
bool HasRight(TDMFM& dm, const QString& cashier_no, Right right);
// The same by the right's number (QTCashierRight.RightID).
inline bool HasRight(TDMFM& dm, const QString& cashier_no, int right_id) {
  return HasRight(dm, cashier_no, static_cast<Right>(right_id));
}

// The logged-in cashier's right. Without it the cashier is told `refusal` (the right's own
// words unless the place has its variant) in a notice, and the answer is false.
bool CheckRight(TDMFM& dm, Ui& ui, Right right);
bool CheckRight(TDMFM& dm, Ui& ui, Right right, const QString& refusal);

}  // namespace quilmo
