#include <QApplication>
#include <cstdio>
#include <cstring>

#include "app/app_context.h"
#include "app/main_menu.h"
#include "app/program_home.h"
#include "app/screens/frm_main.h"
#include "app/screens/qt_ui.h"
#include "app/startup.h"
#include "data/tdmfm.h"
#include "devices/devices.h"
#include "report/screens/report_rendering.h"
#include "report/template_files.h"

namespace {

const char kHelp[] =
    "usage: quilmo-pos [--home DIR] [Qt options such as -platform NAME]\n"
    "\n"
    "The till of a clothing or shoe shop: a full-screen, keyboard-driven point-of-sale\n"
    "program that sells online against the back office's PostgreSQL database or offline\n"
    "against its own local file.\n"
    "\n"
    "  --home DIR    the program folder; its SysFile/ holds the settings file QTSet.ini and\n"
    "                the local file Orvel.db (default: $QUILMO_HOME, else the program's folder)\n"
    "  --version     print the version and exit\n"
    "  -h, --help    print this text and exit\n"
    "\n"
    "The till needs a display. Without one, use a virtual X server (Xvfb) or Qt's VNC\n"
    "platform: QT_QPA_PLATFORM=vnc:size=1280x800 quilmo-pos, then a VNC viewer on port 5900.\n";

// --help and --version are answered before the window system is touched, so they work on a
// machine without a display.
bool AnsweredFromCommandLine(int argc, char** argv, int* exit_code) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--home") == 0) {
      ++i;  // a folder, whatever it is called
    } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kHelp, stdout);
      *exit_code = 0;
      return true;
    } else if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("quilmo-pos %s\n", QUILMO_VERSION);
      *exit_code = 0;
      return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace quilmo;
  int exit_code = 0;
  if (AnsweredFromCommandLine(argc, argv, &exit_code)) return exit_code;
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("quilmo-pos"));
  QApplication::setApplicationVersion(QStringLiteral(QUILMO_VERSION));
  QApplication::setApplicationDisplayName(ApplicationTitle());
  ApplySkin();
  // The main window ends the program itself, after its exit rules; a dialog closing while
  // start-up runs must not.
  QApplication::setQuitOnLastWindowClosed(false);

  PosSession session;
  QtUi ui;
  SystemClock clock;
  TDMFM dm(session, clock);
  AppContext context{session, dm, ui, clock, ProgramHome(app.arguments())};
  QtReportPrinter report_printer;
  Devices devices({context.IniPath(), context.home, dm.conClient, ui, report_printer, clock});
  context.devices = &devices;
  // The receipt and shift-report templates the till ships, for a home that lacks them.
  QString template_error;
  if (!InstallShippedTemplates(context.home, &template_error)) {
    qWarning().noquote() << "templates not installed:" << template_error;
  }

  MainMenu menu;
  RegisterMainScreens(menu);
  TfrmMain main_window(context, menu);
  QObject::connect(&main_window, &TfrmMain::programEnds, &app, &QCoreApplication::quit,
                   Qt::QueuedConnection);

  if (!RunStartupReporting(context)) return 0;
  main_window.show();
  return app.exec();
}
