#pragma once

#include "app/app_context.h"

namespace quilmo {

// Takes the till from a cold start to a logged-in cashier: the mode choice, the server
// connection online, the local file, the shop, the date check, the settings, the login,
// the server options and the master-data download. True when the main window may show;
// false ends the program. Database and connection errors are not caught here.
bool RunStartup(AppContext& app);

// The online connection step: the stored server settings (asking for them when missing),
// then the connection. When the server cannot be reached it says why and offers offline
// work, or else the settings page filled with the entries that failed, and tries again with
// what was saved there. False ends the program.
bool ConnectOnline(AppContext& app);

// RunStartup for the program's entry: an error nobody handled on the way is shown in the
// default error box and ends the program, as the till has always done.
bool RunStartupReporting(AppContext& app);

}  // namespace quilmo
