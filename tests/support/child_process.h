#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <functional>
#include <string_view>

namespace quilmo::test {

// Work a test runs in a child process of its own, to kill it at a chosen moment. The test
// binary runs the child named by QUILMO_CHILD instead of its tests (see test_main.cpp).
using ChildMain = int (*)();
struct ChildRegistrar {
  ChildRegistrar(const char* name, ChildMain main);
};
// The child's exit code, or -1 when no child of that name exists.
int RunChildMain(const char* name);

// How a child run ended.
struct ChildEnd {
  bool killed = false;  // by SIGKILL (its own, or the parent's after kill_after_ms)
  int exit_code = 0;
};

// Runs this test binary as the named child with the given environment added. With
// kill_after_ms >= 0 the parent kills it with SIGKILL after that long, wherever it is.
ChildEnd RunChild(const QString& name, const QProcessEnvironment& env, int kill_after_ms = -1);

// A save-step observer for a child: SIGKILL at the n-th step (counting every step), n read
// from QUILMO_KILL_AT_STEP; no observer when it is not set.
std::function<void(std::string_view)> KillAtStepFromEnvironment();

}  // namespace quilmo::test
