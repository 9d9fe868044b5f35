#include "frame/frm_message_box.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace quilmo {
namespace {

QStyle::StandardPixmap PixmapOf(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Warning:
      return QStyle::SP_MessageBoxWarning;
    case MsgIcon::Error:
      return QStyle::SP_MessageBoxCritical;
    case MsgIcon::Question:
      return QStyle::SP_MessageBoxQuestion;
    case MsgIcon::Information:
    case MsgIcon::None:
      break;
  }
  return QStyle::SP_MessageBoxInformation;
}

}  // namespace

TfrmMessageBox::TfrmMessageBox(const QString& caption, const QString& text, MsgIcon icon,
                               MsgButtons buttons, QWidget* parent)
    : TfrmRootDialog(parent, KeyHandling::OwnOnly),
      icon_(icon),
      buttons_(buttons),
      answer_(buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::No) {
  setObjectName(QStringLiteral("TfrmMessageBox"));
  setWindowTitle(caption);

  lblIcon = new QLabel(body());
  lblIcon->setObjectName(QStringLiteral("lblIcon"));
  if (icon != MsgIcon::None)
    lblIcon->setPixmap(style()->standardIcon(PixmapOf(icon)).pixmap(32, 32));
  lblIcon->setAlignment(Qt::AlignTop);
  lblText = new QLabel(text, body());
  lblText->setObjectName(QStringLiteral("lblText"));
  lblText->setWordWrap(true);
  lblText->setMinimumWidth(220);
  lblText->setMaximumWidth(520);
  lblText->setTextInteractionFlags(Qt::NoTextInteraction);

  auto* row = new QHBoxLayout;
  row->addStretch(1);
  auto add_button = [this, row](const QString& caption_text, const char* name, MsgResult result) {
    auto* b = new QPushButton(caption_text, body());
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [this, result] { Answer(result); });
    row->addWidget(b);
    return b;
  };
  if (buttons == MsgButtons::Ok) {
    btnOk = add_button(QStringLiteral("确定"), "btnOk", MsgResult::Ok);
  } else {
    btnYes = add_button(QStringLiteral("是(&Y)"), "btnYes", MsgResult::Yes);
    btnNo = add_button(QStringLiteral("否(&N)"), "btnNo", MsgResult::No);
  }
  row->addStretch(1);

  auto* top = new QHBoxLayout;
  top->setSpacing(14);
  top->addWidget(lblIcon);
  top->addWidget(lblText, 1);
  auto* layout = new QVBoxLayout(body());
  layout->setContentsMargins(18, 14, 18, 12);
  layout->setSpacing(14);
  layout->addLayout(top);
  layout->addLayout(row);
}

void TfrmMessageBox::showEvent(QShowEvent* event) {
  // The first button has the focus, as the cashier expects: Enter answers OK or Yes.
  (btnOk ? btnOk : btnYes)->setFocus();
  TfrmRootDialog::showEvent(event);
}

void TfrmMessageBox::Answer(MsgResult answer) {
  answer_ = answer;
  accept();
}

bool TfrmMessageBox::FormKeyDown(QKeyEvent* event) {
  const bool yes_no = buttons_ == MsgButtons::YesNo;
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
      if (auto* b = qobject_cast<QPushButton*>(QApplication::focusWidget())) {
        b->click();
      } else {
        Answer(yes_no ? MsgResult::Yes : MsgResult::Ok);
      }
      return true;
    case Qt::Key_Escape:
      Answer(yes_no ? MsgResult::No : MsgResult::Ok);
      return true;
    case Qt::Key_Y:
      if (yes_no) Answer(MsgResult::Yes);
      return yes_no;
    case Qt::Key_N:
      if (yes_no) Answer(MsgResult::No);
      return yes_no;
    case Qt::Key_Left:
    case Qt::Key_Right:
      if (yes_no) (btnYes->hasFocus() ? btnNo : btnYes)->setFocus();
      return true;
    default:
      return false;
  }
}

}  // namespace quilmo
