#include "frame/frm_root_input.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/input_rules.h"

namespace quilmo {

TfrmRootInput::TfrmRootInput(Ui& ui, const InputRequest& request, QWidget* parent)
    : TfrmRootDialog(parent),
      ui_(ui),
      kind_(request.kind),
      field_(request.field),
      initial_(request.initial) {
  setObjectName(QStringLiteral("TfrmRootInput"));
  setWindowTitle(request.caption);

  lblMsg = new QLabel(request.prompt, body());
  lblMsg->setObjectName(QStringLiteral("lblMsg"));
  suiEdtInput = new QLineEdit(body());
  suiEdtInput->setObjectName(QStringLiteral("suiEdtInput"));
  suiEdtInput->setMinimumWidth(240);
  if (request.masked) {
    suiEdtInput->setEchoMode(QLineEdit::Password);
    // "*" as the till has always shown it, not the platform's bullet.
    suiEdtInput->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
  }
  suibtSave = new QPushButton(QStringLiteral("确 定"), body());
  suibtSave->setObjectName(QStringLiteral("suibtSave"));
  suibtCancel = new QPushButton(QStringLiteral("取消"), body());
  suibtCancel->setObjectName(QStringLiteral("suibtCancel"));
  // Buttons never act as a dialog default: Enter belongs to the edit.
  suibtSave->setAutoDefault(false);
  suibtCancel->setAutoDefault(false);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(suibtSave);
  buttons->addWidget(suibtCancel);
  auto* layout = new QVBoxLayout(body());
  layout->setContentsMargins(16, 12, 16, 12);
  layout->addWidget(lblMsg);
  layout->addWidget(suiEdtInput);
  layout->addLayout(buttons);

  connect(suibtSave, &QPushButton::clicked, this, &TfrmRootInput::Save);
  connect(suibtCancel, &QPushButton::clicked, this, &TfrmRootInput::reject);
}

void TfrmRootInput::showEvent(QShowEvent* event) {
  confirmed_ = false;
  value_ = initial_.isNull() ? InitialInputValue(kind_) : initial_;
  suiEdtInput->setText(value_);
  suiEdtInput->selectAll();
  suiEdtInput->setFocus();
  TfrmRootDialog::showEvent(event);
}

bool TfrmRootInput::EnterInControl(QWidget* control) {
  if (control != suiEdtInput) return false;
  Save();
  return true;
}

void TfrmRootInput::Save() {
  const QString text = suiEdtInput->text();
  const QString problem = CheckInput(kind_, field_, text);
  if (!problem.isEmpty()) {
    ui_.MessageBox(QStringLiteral("提示"), problem, MsgIcon::Information, MsgButtons::Ok);
    suiEdtInput->setFocus();
    suiEdtInput->selectAll();
    return;
  }
  if (!AcceptValue(text)) {
    suiEdtInput->setFocus();
    suiEdtInput->selectAll();
    return;
  }
  value_ = text;
  confirmed_ = true;
  accept();
}

bool TfrmRootInput::AcceptValue(const QString&) { return true; }

}  // namespace quilmo
