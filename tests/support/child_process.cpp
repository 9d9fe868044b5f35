#include "support/child_process.h"

#include <signal.h>

#include <QCoreApplication>
#include <QProcess>
#include <map>
#include <string>

namespace quilmo::test {
namespace {

std::map<std::string, ChildMain>& Children() {
  static std::map<std::string, ChildMain> children;
  return children;
}

}  // namespace

ChildRegistrar::ChildRegistrar(const char* name, ChildMain main) { Children()[name] = main; }

int RunChildMain(const char* name) {
  const auto it = Children().find(name);
  return it == Children().end() ? -1 : it->second();
}

ChildEnd RunChild(const QString& name, const QProcessEnvironment& env, int kill_after_ms) {
  QProcess child;
  QProcessEnvironment all = QProcessEnvironment::systemEnvironment();
  for (const QString& key : env.keys()) all.insert(key, env.value(key));
  all.insert(QStringLiteral("QUILMO_CHILD"), name);
  child.setProcessEnvironment(all);
  child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  child.start(QCoreApplication::applicationFilePath(), {});
  ChildEnd end;
  if (!child.waitForStarted(10000)) {
    end.exit_code = -1;
    return end;
  }
  if (kill_after_ms >= 0 && !child.waitForFinished(kill_after_ms)) {
    ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
  }
  child.waitForFinished(60000);
  end.killed = child.exitStatus() == QProcess::CrashExit;
  end.exit_code = child.exitCode();
  return end;
}

std::function<void(std::string_view)> KillAtStepFromEnvironment() {
  bool ok = false;
  const int at = qEnvironmentVariableIntValue("QUILMO_KILL_AT_STEP", &ok);
  if (!ok || at <= 0) return {};
  return [at, seen = 0](std::string_view) mutable {
    if (++seen == at) ::raise(SIGKILL);
  };
}

}  // namespace quilmo::test
