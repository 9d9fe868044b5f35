#include "app/program_home.h"

#include <QCoreApplication>
#include <QDir>

namespace quilmo {

QString ProgramHome(const QStringList& arguments) {
  for (qsizetype i = 0; i + 1 < arguments.size(); ++i) {
    if (arguments[i] == QStringLiteral("--home")) return QDir(arguments[i + 1]).absolutePath();
  }
  for (const QString& a : arguments) {
    if (a.startsWith(QStringLiteral("--home="))) return QDir(a.mid(7)).absolutePath();
  }
  const QString env = qEnvironmentVariable("QUILMO_HOME");
  if (!env.isEmpty()) return QDir(env).absolutePath();
  return QCoreApplication::applicationDirPath();
}

}  // namespace quilmo
