#include "app/main_menu.h"

namespace quilmo {

// Each part of the till that puts a screen behind a main-window key registers it here, for
// example: menu.Register(MainCommand::QrySale, [](AppContext& app) { app.ui.Show…(app); });
// A key without a handler does nothing and its button is shown disabled.
void RegisterMainScreens(MainMenu& menu) { (void)menu; }

}  // namespace quilmo
