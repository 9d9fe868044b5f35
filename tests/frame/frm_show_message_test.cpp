#include "frame/frm_show_message.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>

namespace quilmo {
namespace {

TEST(ShowMessageTest, TheWindowGrowsToShowItsLongestTextWholeAndStaysCentred) {
  TfrmShowMessage window;
  window.show();
  window.SetSteps(21);
  const QString longest = QStringLiteral("正在从服务器下载更新的零售店相关资料,请稍候..........");
  for (const QString& text :
       {QStringLiteral("正在从服务器下载更新的基本资料,请稍候.........."), longest,
        QStringLiteral("正在从服务器下载更新的仓库资料,请稍候..........")}) {
    window.SetText(text);
    // Right away, not at some later event: the work may keep the window thread busy.
    const QRect label(window.lblMsg->mapTo(&window, QPoint(0, 0)), window.lblMsg->size());
    EXPECT_GE(window.lblMsg->width(), window.lblMsg->sizeHint().width()) << text.toStdString();
    EXPECT_TRUE(window.rect().adjusted(1, 1, -1, -1).contains(label)) << text.toStdString();
    const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE((window.geometry().center() - centre).manhattanLength(), 2);
  }
  // Back to a shorter text, the window keeps its width rather than jump about.
  const int width = window.width();
  window.SetText(QStringLiteral("短"));
  EXPECT_EQ(window.width(), width);
}

}  // namespace
}  // namespace quilmo
