#include "app/main_menu.h"
#include "app/shell_ui.h"

namespace quilmo {

// Each part of the till that puts a screen behind a main-window key registers it here, for
// example: menu.Register(MainCommand::QrySale, [](AppContext& app) { app.ui.Show…(app); });
// A key without a handler does nothing and its button is shown disabled.
void RegisterMainScreens(MainMenu& menu) {
  // The sale screen checks right 3 itself when it opens.
  menu.Register(MainCommand::QTSale, [](AppContext& app) { app.ui.ShowSaleScreen(app); });
}

}  // namespace quilmo
