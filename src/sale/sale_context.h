#pragma once

#include "base/pos_session.h"
#include "data/tdmfm.h"
#include "sale/customer_display.h"
#include "sale/sale_ui.h"

namespace quilmo {

// What the sale logic works with besides the order itself: the data module (and through it
// the till's session and clock), the cashier's screens, and the pole display.
struct SaleContext {
  TDMFM& dm;
  SaleUi& ui;
  CustomerDisplay& display;

  PosSession& session() const { return dm.session(); }
};

}  // namespace quilmo
