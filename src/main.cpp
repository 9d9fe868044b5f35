#include <QApplication>
#include <QTextStream>

#include "app/app_context.h"
#include "app/main_menu.h"
#include "app/program_home.h"
#include "app/screens/frm_main.h"
#include "app/screens/qt_ui.h"
#include "app/startup.h"
#include "data/tdmfm.h"

int main(int argc, char** argv) {
  using namespace quilmo;
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("quilmo-pos"));
  QApplication::setApplicationVersion(QStringLiteral(QUILMO_VERSION));
  QApplication::setApplicationDisplayName(ApplicationTitle());
  if (app.arguments().contains(QStringLiteral("--version"))) {
    QTextStream(stdout) << "quilmo-pos " << QUILMO_VERSION << Qt::endl;
    return 0;
  }
  ApplySkin();
  // The main window ends the program itself, after its exit rules; a dialog closing while
  // start-up runs must not.
  QApplication::setQuitOnLastWindowClosed(false);

  PosSession session;
  QtUi ui;
  SystemClock clock;
  TDMFM dm(session, clock);
  dm.AttachUi(ui);
  AppContext context{session, dm, ui, clock, ProgramHome(app.arguments())};

  MainMenu menu;
  RegisterMainScreens(menu);
  TfrmMain main_window(context, menu);
  QObject::connect(&main_window, &TfrmMain::programEnds, &app, &QCoreApplication::quit,
                   Qt::QueuedConnection);

  if (!RunStartupReporting(context)) return 0;
  main_window.show();
  return app.exec();
}
