#include <QApplication>
#include <QTextStream>

#include "app/screens/qt_ui.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("quilmo-pos"));
  QApplication::setApplicationVersion(QStringLiteral(QUILMO_VERSION));
  QTextStream out(stdout);
  if (app.arguments().contains(QStringLiteral("--version"))) {
    out << "quilmo-pos " << QUILMO_VERSION << Qt::endl;
    return 0;
  }
  quilmo::ApplySkin();
  QTextStream(stderr) << "quilmo-pos: the start-up sequence is not built yet; "
                         "only --version is available\n";
  return 2;
}
