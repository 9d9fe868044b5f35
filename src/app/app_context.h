#pragma once

#include <QDir>
#include <QString>

#include "app/downloads.h"
#include "app/shell_ui.h"
#include "base/clock.h"
#include "base/error.h"
#include "base/pos_session.h"
#include "data/tdmfm.h"
#include "devices/devices.h"
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
  // The pole display, the drawer and the receipt printer; none in tests that need no devices.
  TillDevices* devices = nullptr;
  // The quick login's background download. It goes with the context, which is made after the
  // session, the data module and the Ui it refers to, so the thread is waited for before any
  // of them is destroyed.
  BackgroundDownload download{};
  // The customer pole display is one of the till's devices: the sale screen's running total
  // goes to it, and where there are no devices (a tool, a test without them) nowhere.
  CustomerDisplay& Display() {
    static NoCustomerDisplay none;
    return devices ? static_cast<CustomerDisplay&>(*devices) : none;
  }

  QString IniPath() const { return QDir(home).filePath(QStringLiteral("SysFile/QTSet.ini")); }
  QString LocalDatabasePath() const {
    return QDir(home).filePath(QStringLiteral("SysFile/Orvel.db"));
  }
};

}  // namespace quilmo
