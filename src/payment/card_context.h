#pragma once

#include "base/pos_session.h"
#include "data/tdmfm.h"
#include "payment/card_ui.h"

namespace quilmo {

// What the card logic works with: the data module (and through it the till's session and
// clock) and the card screens.
struct CardContext {
  TDMFM& dm;
  CardUi& ui;

  PosSession& session() const { return dm.session(); }
};

}  // namespace quilmo
