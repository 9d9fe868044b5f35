#pragma once

#include <QString>
#include <array>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "app/app_context.h"

namespace quilmo {

// What the main window's buttons and keys do.
enum class MainCommand {
  OnClass,         // F2  open a shift
  QrySale,         // F3  sales detail
  ChangePassword,  // F4  change password (online only)
  SwitchMode,      // F5  online <-> offline
  QTSale,          // F6  the sale screen (needs an open shift)
  OverClass,       // F7  close the shift
  SysSet,          // F8  parameter settings
  Exit,            // F9  leave the program
  Goods,           // F10 browse goods
  Cards,           // F11 browse member cards
  SPGoods,         // F12 promotion goods
  CKList,          // Ctrl+K stock detail (online only)
  ClearData,       // Ctrl+Alt+Shift+C empty the local data
};

// A button of the main window: its control name, caption (also its tooltip) and command.
struct MainButton {
  const char* control;
  QString caption;
  MainCommand command;
};
// The eight large buttons (left column F2-F5, right column F6-F9), then the four small ones
// (F12, F11, F10, Ctrl+K).
const std::array<MainButton, 12>& MainButtons();

// The key table: function keys act whatever modifiers are held; Ctrl+K only with Ctrl
// alone; Ctrl+Alt+Shift+C only with exactly those three.
std::optional<MainCommand> MainKeyCommand(int key, Qt::KeyboardModifiers modifiers);

// What the main window does after a command.
enum class MainOutcome {
  Done,         // stay
  CloseWindow,  // close the window (the exit rules still apply)
  EndProgram,   // end at once, no questions
  LoginAgain,   // hide the window for the login page; back after a login, else end
};

// The main window's dispatch. The screens behind most keys belong to other parts of the
// till; each registers its handler here, and the main window's own guards run first.
class MainMenu {
 public:
  using Handler = std::function<void(AppContext&)>;
  // A handler that tells the window what to do next (the shift close returns to the login).
  using OutcomeHandler = std::function<MainOutcome(AppContext&)>;

  void Register(MainCommand command, Handler handler);
  void RegisterWithOutcome(MainCommand command, OutcomeHandler handler);
  bool Has(MainCommand command) const;

  // Runs a command: the main window's own guards (F4 and Ctrl+K online only, F6 only with an
  // open shift), its own commands (F5, F9, Ctrl+Alt+Shift+C), else the registered handler.
  MainOutcome Run(AppContext& app, MainCommand command) const;

  // Work the main window does each time it is shown (the pole display, the announcements).
  void AddShowHandler(Handler handler) { show_handlers_.push_back(std::move(handler)); }
  void RunShowHandlers(AppContext& app) const {
    for (const Handler& h : show_handlers_) h(app);
  }

 private:
  std::map<MainCommand, OutcomeHandler> handlers_;
  std::vector<Handler> show_handlers_;
};

// What the main window's status strip shows: where the till is and what it is doing.
struct MainStatus {
  QString mode;      // "连网销售" or "断网销售"
  QString shop;      // code and name of the registered shop
  QString cashier;   // code and name of the cashier logged in
  QString date;      // the till's date
  QString download;  // empty unless the background download is running
};
MainStatus MainStatusOf(const AppContext& app);

// The close handler: a running download refuses, an open shift asks the warning question,
// else the plain question. True when the window may close.
bool MainMayClose(AppContext& app);

// F5: asks, then switches mode. Shop, store, options and cashier stay as they are.
void MainSwitchMode(AppContext& app);

// Ctrl+Alt+Shift+C: asks; on Yes empties the local data. True when the program must end
// (after Yes, whether clearing worked or not).
bool MainClearData(AppContext& app);

// Registers the screens that the till's other parts put behind the main window's keys.
void RegisterMainScreens(MainMenu& menu);

}  // namespace quilmo
