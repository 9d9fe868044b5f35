#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

#include "base/pos_session.h"
#include "data/tdmfm.h"
#include "payment/card_ui.h"

namespace quilmo {

// What the card logic works with: the data module (and through it the till's session and
// clock) and the card screens.
struct CardContext {
  TDMFM& dm;
  CardUi& ui;
  // Text lines to a printer port (a top-up's slip); the application hands it in, a tool
  // without devices leaves it empty and prints nothing.
  std::function<void(const QString& port, const QByteArray& bytes)> print_text = {};

  PosSession& session() const { return dm.session(); }
};

}  // namespace quilmo
