#pragma once

#include <QDateTime>
#include <QString>
#include <stdexcept>

#include "base/error.h"
#include "base/ini_file.h"
#include "base/pos_session.h"
#include "data/tdmfm.h"

namespace quilmo {

// A settings value that should be a number or a date and is not. Start-up stops with it.
class SettingsError : public Error {
 public:
  using Error::Error;
};

// Fills the shop, store, shift and option fields from the settings file and the shop, store
// and organisation tables (on the connection the mode selects). Throws SettingsError for a
// value that is not a number or date where one is expected, for a shop or store the settings
// name that the database does not have (saying which value, or that the local file lacks its
// master data), and DbError for a failing statement.
void LoadSettings(PosSession& session, TDMFM& dm);

// Online only: the back office's option row QTSysSet overrides the options and is copied into
// the settings file, so that offline mode works with the same options.
void LoadServerOptions(PosSession& session, TDMFM& dm);

}  // namespace quilmo
