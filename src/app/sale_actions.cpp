#include "app/sale_actions.h"

#include "app/server_connection.h"

namespace quilmo {

SaleScreenActions SaleActionsFor(AppContext& app) {
  SaleScreenActions actions;
  // Ctrl+Alt+Z: the main window's mode switch, without its question.
  actions.switchMode = [&app] { return SwitchMode(app); };
  // Ctrl+X: the download options ("选择下载方式"), online only (the screen checks).
  actions.download = [&app] { app.ui.ShowDownloadOptions(app); };
  // Still to come from their parts: chooseCard (F4), suspend (F10), retrieve (F11),
  // checkout (F12), withdrawCash (Ctrl+Q), startReturn and returnForLine (returns against
  // earlier sales), lockScreen
  // (Ctrl+K), keyList (Ctrl+J), upload (Ctrl+S), designReceipt (Ctrl+Alt+Y).
  return actions;
}

}  // namespace quilmo
