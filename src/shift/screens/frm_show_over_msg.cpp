#include "shift/screens/frm_show_over_msg.h"

#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quilmo {

TfrmShowOverMsg::TfrmShowOverMsg(const ShiftReport& report, std::function<void()> design,
                                 QWidget* parent)
    : TfrmRootDialog(parent), design_(std::move(design)) {
  setObjectName(QStringLiteral("TfrmShowOverMsg"));
  setWindowTitle(QStringLiteral("交班信息框"));
  body()->setMinimumWidth(340);

  auto* grid = new QGridLayout;
  grid->setVerticalSpacing(10);
  grid->setHorizontalSpacing(12);
  int row = 0;
  auto add = [&](const QString& caption, const char* name, const QString& value) {
    auto* label = new QLabel(caption, body());
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* field = new QLabel(value, body());
    field->setObjectName(QLatin1String(name));
    QFont font = field->font();
    font.setBold(true);
    font.setPixelSize(16);
    field->setFont(font);
    grid->addWidget(label, row, 0);
    grid->addWidget(field, row, 1);
    ++row;
    return field;
  };
  lblCashierName = add(QStringLiteral("收银员："), "lblCashierName", report.CashierName);
  lblOnAmount = add(QStringLiteral("当班钱箱金额："), "lblOnAmount", report.OnAmount);
  lblSaleAmount = add(QStringLiteral("总计销售额："), "lblSaleAmount", report.SaleAmount);
  lblGetAmount = add(QStringLiteral("提款金额："), "lblGetAmount", report.GetAmount);
  lblTopUpAmount = add(QStringLiteral("储值卡冲值："), "lblTopUpAmount", report.TopUpAmount);
  lblOverAmount = add(QStringLiteral("交班钱箱金额："), "lblOverAmount", report.OverAmount);
  lblTimeTotal = add(QStringLiteral("总计收银时间："), "lblTimeTotal", report.TimeTotal);
  lblTime = new QLabel(report.Time, body());
  lblTime->setObjectName(QStringLiteral("lblTime"));
  grid->addWidget(lblTime, row, 0, 1, 2, Qt::AlignRight);

  suiButton1 = new QPushButton(QStringLiteral("打印信息"), body());
  suiButton1->setObjectName(QStringLiteral("suiButton1"));
  suiButton2 = new QPushButton(QStringLiteral("退出"), body());
  suiButton2->setObjectName(QStringLiteral("suiButton2"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(suiButton1);
  buttons->addWidget(suiButton2);

  auto* layout = new QVBoxLayout(body());
  layout->setContentsMargins(24, 18, 24, 14);
  layout->setSpacing(16);
  layout->addLayout(grid);
  layout->addLayout(buttons);

  connect(suiButton1, &QPushButton::clicked, this, [this] {
    print_ = true;
    accept();
  });
  connect(suiButton2, &QPushButton::clicked, this, &QDialog::reject);
  suiButton2->setFocus();
}

bool TfrmShowOverMsg::FormKeyDown(QKeyEvent* event) {
  const Qt::KeyboardModifiers held = event->modifiers() & ~Qt::KeypadModifier;
  if (event->key() == Qt::Key_Y && held == (Qt::ControlModifier | Qt::AltModifier)) {
    if (design_) design_();
    return true;
  }
  return false;
}

}  // namespace quilmo
