#include "payment/screens/frm_qtxs_pay.h"

#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace quilmo {
namespace {

QLineEdit* AmountEdit(const char* name, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QLatin1String(name));
  QFont font = edit->font();
  font.setPointSize(22);
  font.setBold(true);
  edit->setFont(font);
  edit->setMinimumHeight(48);
  return edit;
}

QLabel* Caption(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  QFont font = label->font();
  font.setPointSize(20);
  font.setBold(true);
  label->setFont(font);
  return label;
}

QLabel* KeyLabel(const char* name, const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  return label;
}

}  // namespace

TfrmQTXSPay::TfrmQTXSPay(CheckoutFlow& flow, QWidget* parent)
    : TfrmRootDialog(parent, KeyHandling::OwnOnly), flow_(flow) {
  setObjectName(QStringLiteral("TfrmQTXSPay"));
  setWindowTitle(QStringLiteral("前台收款"));
  body()->setFixedSize(441, 327);

  suiEdtAmount = AmountEdit("suiEdtAmount", body());
  suiEdtAmount->setReadOnly(true);
  suiEdtAmount->setFocusPolicy(Qt::NoFocus);
  suiEdtReciveAmount = AmountEdit("suiEdtReciveAmount", body());
  suiEdtBackAmount = AmountEdit("suiEdtBackAmount", body());
  suiEdtBackAmount->setReadOnly(true);
  suiEdtBackAmount->setFocusPolicy(Qt::NoFocus);

  auto* amounts = new QGridLayout;
  amounts->setVerticalSpacing(14);
  amounts->addWidget(Caption(QStringLiteral("应收款："), body()), 0, 0);
  amounts->addWidget(suiEdtAmount, 0, 1);
  amounts->addWidget(Caption(QStringLiteral("实收款："), body()), 1, 0);
  amounts->addWidget(suiEdtReciveAmount, 1, 1);
  amounts->addWidget(Caption(QStringLiteral("找  零："), body()), 2, 0);
  amounts->addWidget(suiEdtBackAmount, 2, 1);

  Label6 = KeyLabel("Label6", QStringLiteral("银行卡/现金卷[F4]"), body());
  lblCardPay = KeyLabel("lblCardPay", QStringLiteral("储值卡支付[F2]"), body());
  Label4 = KeyLabel("Label4", QStringLiteral("抹零[F5]"), body());
  Label7 = KeyLabel("Label7", QStringLiteral("四舍五入[F6]"), body());
  Label5 = KeyLabel("Label5", QStringLiteral("不打印小票[F9]"), body());
  lblReprint = KeyLabel("lblReprint", QStringLiteral("重打小票[Ctrl+P]"), body());
  lblReprint->setStyleSheet(QStringLiteral("color: rgb(192, 0, 0); font-weight: bold;"));
  for (QLabel* clickable : {Label6, Label4, Label7}) {
    clickable->setCursor(Qt::PointingHandCursor);
    clickable->installEventFilter(this);
  }
  suiBtSave = new QPushButton(QStringLiteral("确定[F12]"), body());
  suiBtSave->setObjectName(QStringLiteral("suiBtSave"));
  suiBtCancel = new QPushButton(QStringLiteral("取消[Esc]"), body());
  suiBtCancel->setObjectName(QStringLiteral("suiBtCancel"));

  // Two rows, so every key's caption reads whole in the dialog's width.
  auto* keys = new QGridLayout;
  keys->setHorizontalSpacing(14);
  keys->setVerticalSpacing(4);
  keys->addWidget(Label6, 0, 0);
  keys->addWidget(lblCardPay, 0, 1);
  keys->addWidget(lblReprint, 0, 2);
  keys->addWidget(Label4, 1, 0);
  keys->addWidget(Label7, 1, 1);
  keys->addWidget(Label5, 1, 2);
  keys->setColumnStretch(3, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(suiBtSave);
  buttons->addWidget(suiBtCancel);

  auto* layout = new QVBoxLayout(body());
  layout->setContentsMargins(18, 16, 18, 14);
  layout->addLayout(amounts);
  layout->addStretch();
  layout->addLayout(keys);
  layout->addLayout(buttons);

  connect(suiBtSave, &QPushButton::clicked, this, [this] { Ok(); });
  connect(suiBtCancel, &QPushButton::clicked, this, [this] { Cancel(); });
  // Only what the cashier types: the texts the flow writes back do not start it again.
  connect(suiEdtReciveAmount, &QLineEdit::textEdited, this, [this](const QString& text) {
    flow_.ReceivedEdited(text);
    After();
  });

  Refresh();
  suiEdtReciveAmount->setFocus();
}

void TfrmQTXSPay::Refresh() {
  suiEdtAmount->setText(flow_.amountText());
  if (suiEdtReciveAmount->text() != flow_.receivedText()) {
    suiEdtReciveAmount->setText(flow_.receivedText());
  }
  suiEdtBackAmount->setText(flow_.changeText());
  suiEdtReciveAmount->setReadOnly(flow_.receivedReadOnly());
  lblCardPay->setVisible(flow_.cardPayVisible());
  Label5->setText(flow_.printLabel());
  lblReprint->setVisible(flow_.saved() && flow_.receiptFailed());
}

void TfrmQTXSPay::After() {
  Refresh();
  if (flow_.focusReceived()) suiEdtReciveAmount->setFocus();
  if (flow_.selectReceived()) suiEdtReciveAmount->selectAll();
  if (flow_.closed()) accept();
}

void TfrmQTXSPay::Ok() {
  flow_.Confirm();
  After();
}

void TfrmQTXSPay::Cancel() {
  flow_.Close();
  reject();
}

bool TfrmQTXSPay::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease) {
    if (watched == Label6) {
      flow_.PayByBankCardOrVoucher();
      After();
      return true;
    }
    if (watched == Label4) {
      flow_.RoundOff();
      After();
      return true;
    }
    if (watched == Label7) {
      flow_.RoundWhole();
      After();
      return true;
    }
  }
  return TfrmRootDialog::eventFilter(watched, event);
}

bool TfrmQTXSPay::FormKeyDown(QKeyEvent* event) {
  if (flow_.saved()) {
    // The closing state of a sale whose receipt did not print: Ctrl+P prints it again and
    // closes once it printed.
    const Qt::KeyboardModifiers held = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_P && held == Qt::ControlModifier && flow_.receiptFailed()) {
      if (flow_.ReprintReceipt()) flow_.Close();
      After();
      return true;
    }
    // Ctrl, Shift and Alt alone are the first half of a combination, not a key of their own.
    if (event->key() == Qt::Key_Control || event->key() == Qt::Key_Shift ||
        event->key() == Qt::Key_Alt || event->key() == Qt::Key_Meta) {
      return true;
    }
    // Once the order is saved any other key closes.
    flow_.Close();
    accept();
    return true;
  }
  switch (event->key()) {
    case Qt::Key_F2:
      flow_.PayFromCard();
      After();
      return true;
    case Qt::Key_F4:
      flow_.PayByBankCardOrVoucher();
      After();
      return true;
    case Qt::Key_F5:
      flow_.RoundOff();
      After();
      return true;
    case Qt::Key_F6:
      flow_.RoundWhole();
      After();
      return true;
    case Qt::Key_F9:
      flow_.TogglePrint();
      After();
      return true;
    case Qt::Key_F12:
      Ok();
      return true;
    case Qt::Key_Escape:
      Cancel();
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (focusWidget() == suiEdtReciveAmount) {
        suiBtSave->setFocus();
        return true;
      }
      if (focusWidget() == suiBtSave) {
        Ok();
        return true;
      }
      return false;
    default:
      return false;
  }
}

}  // namespace quilmo
