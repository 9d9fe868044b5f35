// Every test binary runs headless with a real QApplication, so screens can be shown and
// driven with keys.
#include <gtest/gtest.h>

#include <QApplication>

#include "support/child_process.h"

namespace {

// The offscreen platform warns about window features it lacks; that is noise in a test log.
void QuietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& msg) {
  if (type == QtWarningMsg && msg.startsWith(QStringLiteral("This plugin does not support"))) {
    return;
  }
  qt_message_output(type, context, msg);
}

}  // namespace

int main(int argc, char** argv) {
  qInstallMessageHandler(QuietOffscreen);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // A test that kills its work at chosen moments runs that work here, in a child process.
  const QByteArray child = qgetenv("QUILMO_CHILD");
  if (!child.isEmpty()) return quilmo::test::RunChildMain(child.constData());
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
