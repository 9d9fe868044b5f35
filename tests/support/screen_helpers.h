#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

namespace quilmo::test {

// Shows a screen without a modal loop and makes it the active window, so keys sent with
// QTest reach it as they would at the till.
inline void ShowActive(QWidget* w) {
  w->show();
  QApplication::setActiveWindow(w);
  w->activateWindow();
  (void)QTest::qWaitForWindowActive(w, 1000);
}

// Sends a key to whatever has the focus, as a keyboard would.
inline void Press(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QWidget* target = QApplication::focusWidget();
  if (!target) target = QApplication::activeWindow();
  QTest::keyClick(target, key, mods);
}

}  // namespace quilmo::test
