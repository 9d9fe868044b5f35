#include "app/main_menu.h"

namespace quilmo {

// Each part of the till that puts a screen behind a main-window key registers it here, for
// example: menu.Register(MainCommand::QrySale, [](AppContext& app) { app.ui.Show…(app); });
// A key without a handler does nothing and its button is shown disabled.
void RegisterMainScreens(MainMenu& menu) {
  // The pole display's port is opened (again) whenever the main window shows: at start-up and
  // when the window comes back after a screen or a new login.
  menu.AddShowHandler([](AppContext& app) {
    if (app.devices) app.devices->InitDisplay();
  });
}

}  // namespace quilmo
