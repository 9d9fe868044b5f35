#pragma once

#include "app/app_context.h"
#include "sale/sale_screen_actions.h"

namespace quilmo {

// The sale screen's keys that other parts of the till do. This is the one place where such a
// part hands in its work: set the action of its key here, and the screen's key and label come
// alive (the screen's own guards run first). A key left empty stays disabled.
SaleScreenActions SaleActionsFor(AppContext& app);

}  // namespace quilmo
