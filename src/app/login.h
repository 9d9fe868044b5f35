#pragma once

#include <QString>

#include "app/app_context.h"

namespace quilmo {

// Whether a cashier of this till's shop has this code and password, exactly as typed.
bool CheckCashier(AppContext& app, const QString& code, const QString& password);

// Whether the back office granted the cashier the right (ids 1 to 17). Asks the database
// every time, so a right granted or withdrawn counts at the next attempt.
bool HasRight(AppContext& app, const QString& cashier_no, int right_id);

// The login page's OK: checks the cashier and loads them into the session. A refusal is
// explained in a notice and returns false.
bool LoginCashier(AppContext& app, const QString& code, const QString& password);

}  // namespace quilmo
