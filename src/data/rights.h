#pragma once

#include <QString>

#include "data/tdmfm.h"

namespace quilmo {

// Whether the back office granted the cashier the right (ids 1 to 17), on the connection the
// mode selects. Asks the database every time, so a right granted or withdrawn counts at the
// next attempt. Every floor above data asks through this one function.
bool HasRight(TDMFM& dm, const QString& cashier_no, int right_id);

}  // namespace quilmo
