#pragma once

#include <QString>

#include "app/app_context.h"
#include "data/rights.h"

namespace quilmo {

// Whether a cashier of this till's shop has this code and password, exactly as typed.
bool CheckCashier(AppContext& app, const QString& code, const QString& password);

// The rights check lives with the data (data/rights.h) so that every floor can ask it.
inline bool HasRight(AppContext& app, const QString& cashier_no, int right_id) {
  return HasRight(app.dm, cashier_no, static_cast<Right>(right_id));
}

// The login page's OK: checks the cashier and loads them into the session. A refusal is
// explained in a notice and returns false.
bool LoginCashier(AppContext& app, const QString& code, const QString& password);

}  // namespace quilmo
