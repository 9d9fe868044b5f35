// What quilmo-pos answers on the command line, on a machine without any display.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

#include "support/qt_printers.h"

namespace quilmo {
namespace {

TEST(PosCommandLine, HelpAndVersionNeedNoDisplay) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    env.remove(QLatin1String(name));
  }
  struct Case {
    QStringList args;
    QString starts;
  };
  for (const Case& c :
       {Case{{QStringLiteral("--help")}, QStringLiteral("usage: quilmo-pos")},
        Case{{QStringLiteral("-h")}, QStringLiteral("usage: quilmo-pos")},
        Case{{QStringLiteral("--home"), QStringLiteral("/nowhere"), QStringLiteral("--help")},
             QStringLiteral("usage: quilmo-pos")},
        Case{{QStringLiteral("--version")}, QStringLiteral("quilmo-pos ")}}) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(QUILMO_POS_BIN), c.args);
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0) << err.toStdString();
    EXPECT_TRUE(out.startsWith(c.starts)) << out.toStdString();
    EXPECT_TRUE(err.isEmpty()) << err.toStdString();
  }
}

}  // namespace
}  // namespace quilmo
