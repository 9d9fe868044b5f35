#pragma once

#include <QDir>
#include <QString>

#include "app/shell_ui.h"
#include "base/clock.h"
#include "base/pos_session.h"
#include "data/tdmfm.h"

namespace quilmo {

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

  QString IniPath() const { return QDir(home).filePath(QStringLiteral("SysFile/QTSet.ini")); }
  QString LocalDatabasePath() const {
    return QDir(home).filePath(QStringLiteral("SysFile/Orvel.db"));
  }
};

// The caption of the box that reports an error nobody handled on the way.
inline QString ApplicationTitle() { return QStringLiteral("Quilmo服装鞋业POS收银"); }

// The box an unhandled error ends in: the application's title over the driver's or
// resolver's own words.
inline void ShowDefaultErrorBox(Ui& ui, const QString& text) {
  ui.MessageBox(ApplicationTitle(), text, MsgIcon::Error, MsgButtons::Ok);
}

}  // namespace quilmo
