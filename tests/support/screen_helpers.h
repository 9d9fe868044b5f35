#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>

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

// Runs `work` on the modal window about to open (a port's dialog, a box over a screen), once
// it is the active window, so keys sent there reach it.
inline void InNextModal(std::function<void(QWidget*)> work) {
  QTimer::singleShot(0, [work = std::move(work)] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    QApplication::setActiveWindow(modal);
    ASSERT_TRUE(QTest::qWaitForWindowActive(modal, 1000));
    work(modal);
  });
}

}  // namespace quilmo::test
