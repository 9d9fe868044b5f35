#include "frame/frm_show_message.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace quilmo {

SearchAnimation::SearchAnimation(QWidget* parent) : QWidget(parent), timer_(new QTimer(this)) {
  setFixedSize(16, 16);
  timer_->setInterval(120);
  connect(timer_, &QTimer::timeout, this, [this] {
    frame_ = (frame_ + 1) % 8;
    update();
  });
  timer_->start();
}

void SearchAnimation::paintEvent(QPaintEvent*) {
  // A magnifier circling over a page, one eighth of a turn a frame.
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const double angle = frame_ * M_PI / 4;
  const QPointF lens(8 + 2.5 * std::cos(angle) - 1.5, 8 + 2.5 * std::sin(angle) - 1.5);
  p.setPen(QPen(QColor(90, 90, 90), 1.6));
  p.setBrush(QColor(200, 225, 255));
  p.drawEllipse(lens, 4.0, 4.0);
  p.drawLine(lens + QPointF(2.9, 2.9), lens + QPointF(6.0, 6.0));
}

TfrmShowMessage::TfrmShowMessage(QWidget* parent) : TfrmRootDialog(parent) {
  setObjectName(QStringLiteral("TfrmShowMessage"));
  setTitleBarVisible(false);
  setModal(false);
  // It takes no keys, so it leaves the keyboard with the window that has it.
  setAttribute(Qt::WA_ShowWithoutActivating);
  lblMsg = new QLabel(body());
  lblMsg->setObjectName(QStringLiteral("lblMsg"));
  lblMsg->setMinimumWidth(280);
  pbProgress = new QProgressBar(body());
  pbProgress->setObjectName(QStringLiteral("pbProgress"));
  pbProgress->setTextVisible(true);
  pbProgress->hide();
  auto* row = new QHBoxLayout;
  row->addWidget(new SearchAnimation(body()));
  row->addWidget(lblMsg, 1);
  auto* layout = new QVBoxLayout(body());
  layout->setContentsMargins(14, 12, 14, 12);
  layout->addLayout(row);
  layout->addWidget(pbProgress);
}

void TfrmShowMessage::SetText(const QString& text) {
  lblMsg->setText(text);
  // Wide enough for the longest text so far: it grows to show a longer text whole and never
  // shrinks, so it does not jump about between steps.
  lblMsg->setMinimumWidth(std::max(lblMsg->minimumWidth(), lblMsg->sizeHint().width()));
  Fit();
  Refresh();
}

void TfrmShowMessage::Fit() {
  // Now, not at some later event: the work may keep this thread busy until the next step.
  body()->layout()->activate();
  layout()->activate();
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QPoint centred = screen->availableGeometry().center() - rect().center();
    if (pos() != centred) move(centred);
  }
}

void TfrmShowMessage::SetSteps(int total) {
  pbProgress->setVisible(total > 0);
  pbProgress->setRange(0, total);
  pbProgress->setValue(0);
  Fit();
  Refresh();
}

void TfrmShowMessage::SetStep(int done) {
  pbProgress->setValue(done);
  Refresh();
}

void TfrmShowMessage::Refresh() {
  // Paint, but never let a key or click start something else in the middle of the work.
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

TfrmSplash::TfrmSplash(QWidget* parent) : TfrmRootDialog(parent) {
  setObjectName(QStringLiteral("TfrmSplash"));
  setTitleBarVisible(false);
  setModal(false);
  setAttribute(Qt::WA_ShowWithoutActivating);
  auto* picture = new QLabel(QStringLiteral("Quilmo服装鞋业POS系统"), body());
  picture->setObjectName(QStringLiteral("lblProduct"));
  picture->setAlignment(Qt::AlignCenter);
  picture->setMinimumSize(420, 160);
  auto* strip = new QWidget(body());
  strip->setObjectName(QStringLiteral("splashStrip"));
  lblMsg = new QLabel(strip);
  lblMsg->setObjectName(QStringLiteral("lblMsg"));
  auto* row = new QHBoxLayout(strip);
  row->setContentsMargins(10, 4, 10, 4);
  row->addWidget(new SearchAnimation(strip));
  row->addWidget(lblMsg, 1);
  auto* layout = new QVBoxLayout(body());
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(picture, 1);
  layout->addWidget(strip);
}

void TfrmSplash::SetText(const QString& text) {
  lblMsg->setText(text);
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace quilmo
