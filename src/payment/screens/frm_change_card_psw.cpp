#include "payment/screens/frm_change_card_psw.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quilmo {
namespace {

QLineEdit* MaskedEdit(QWidget* parent, const char* name) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QLatin1String(name));
  edit->setEchoMode(QLineEdit::Password);
  // "*" as the till has always shown it, not the platform's bullet.
  edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
  edit->setMinimumWidth(180);
  return edit;
}

}  // namespace

TfrmChangeCardPSW::TfrmChangeCardPSW(const QString& cards_code, Change change, QWidget* parent)
    : TfrmRootDialog(parent), change_(std::move(change)) {
  setObjectName(QStringLiteral("TfrmChangeCardPSW"));
  setWindowTitle(QStringLiteral("修改卡密码"));
  lblCardCode = new QLabel(cards_code, body());
  lblCardCode->setObjectName(QStringLiteral("lblCardCode"));
  suiEdtOldPsw = MaskedEdit(body(), "suiEdtOldPsw");
  suiEdtNewPsw = MaskedEdit(body(), "suiEdtNewPsw");
  suiEdtNewPswCon = MaskedEdit(body(), "suiEdtNewPswCon");
  suiButton1 = new QPushButton(QStringLiteral("确定"), body());
  suiButton1->setObjectName(QStringLiteral("suiButton1"));
  suiButton2 = new QPushButton(QStringLiteral("取消"), body());
  suiButton2->setObjectName(QStringLiteral("suiButton2"));

  auto* grid = new QGridLayout;
  grid->setVerticalSpacing(10);
  const std::pair<const char*, QWidget*> rows[] = {{"卡号：", lblCardCode},
                                                   {"旧密码", suiEdtOldPsw},
                                                   {"新密码", suiEdtNewPsw},
                                                   {"新密码确认", suiEdtNewPswCon}};
  int row = 0;
  for (const auto& [caption, value] : rows) {
    grid->addWidget(new QLabel(QString::fromUtf8(caption), body()), row, 0, Qt::AlignRight);
    grid->addWidget(value, row++, 1);
  }
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(suiButton1);
  buttons->addWidget(suiButton2);
  auto* layout = new QVBoxLayout(body());
  layout->setContentsMargins(18, 14, 18, 12);
  layout->setSpacing(14);
  layout->addLayout(grid);
  layout->addLayout(buttons);

  connect(suiButton1, &QPushButton::clicked, this, [this] { suiButton1Click(); });
  connect(suiButton2, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmChangeCardPSW::showEvent(QShowEvent* event) {
  suiEdtOldPsw->clear();
  suiEdtNewPsw->clear();
  suiEdtNewPswCon->clear();
  suiEdtOldPsw->setFocus();
  TfrmRootDialog::showEvent(event);
}

void TfrmChangeCardPSW::suiButton1Click() {
  switch (change_({suiEdtOldPsw->text(), suiEdtNewPsw->text(), suiEdtNewPswCon->text()})) {
    case CardPasswordStep::WrongOld:
      suiEdtOldPsw->setFocus();
      suiEdtOldPsw->selectAll();
      return;
    case CardPasswordStep::Mismatch:
      suiEdtNewPsw->setFocus();
      return;
    case CardPasswordStep::Closed:
      accept();
      return;
  }
}

}  // namespace quilmo
