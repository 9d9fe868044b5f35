#pragma once

#include <QDir>
#include <QString>

#include "app/shell_ui.h"
#include "base/clock.h"
#include "base/error.h"
#include "base/pos_session.h"
#include "data/tdmfm.h"
#include "sale/customer_display.h"

namespace quilmo {

// Where the order total goes while no pole display is connected: nowhere.
class NoCustomerDisplay final : public CustomerDisplay {
 public:
  void ShowOnDisplay(int, Money) override {}
};

// What most of the shell needs at hand: the session, the data module, the Ui port, the
// clock and the program folder. The application builds one; a test builds its own.
struct AppContext {
  PosSession& session;
  TDMFM& dm;
  ShellUi& ui;
  const Clock& clock;
  QString home;  // the program folder: SysFile/ lives under it
  // The server's account catalogue database (AccountInfo). Always msdb at a shop; a test
  // names its own so that tests running side by side on one server do not share it.
  QString catalog_database = QStringLiteral("msdb");
  // The customer pole display; none until one is connected.
  CustomerDisplay* display = nullptr;

  CustomerDisplay& Display() {
    static NoCustomerDisplay none;
    return display ? *display : none;
  }

  QString IniPath() const { return QDir(home).filePath(QStringLiteral("SysFile/QTSet.ini")); }
  QString LocalDatabasePath() const {
    return QDir(home).filePath(QStringLiteral("SysFile/Orvel.db"));
  }
};

}  // namespace quilmo
