#pragma once

#include <QString>
#include <QStringList>

namespace quilmo {

// The program folder: the settings file and the local database live under it.
// `--home DIR` wins, then the QUILMO_HOME environment variable, then the executable's folder.
QString ProgramHome(const QStringList& arguments);

}  // namespace quilmo
