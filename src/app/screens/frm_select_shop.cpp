#include "app/screens/frm_select_shop.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quilmo {

TfrmSelectShop::TfrmSelectShop(const QList<ShopChoice>& shops, QWidget* parent)
    : TfrmRootDialog(parent) {
  setObjectName(QStringLiteral("TfrmSelectShop"));
  setWindowTitle(QStringLiteral("选择零售店"));
  suiDBLookupComboBox1 = new QComboBox(body());
  suiDBLookupComboBox1->setObjectName(QStringLiteral("suiDBLookupComboBox1"));
  suiDBLookupComboBox1->setMinimumWidth(220);
  suiButton1 = new QPushButton(QStringLiteral("确定"), body());
  suiButton1->setObjectName(QStringLiteral("suiButton1"));
  suiButton2 = new QPushButton(QStringLiteral("取消"), body());
  suiButton2->setObjectName(QStringLiteral("suiButton2"));

  auto* row = new QHBoxLayout;
  auto* label = new QLabel(QStringLiteral("零售店名："), body());
  label->setObjectName(QStringLiteral("Label1"));
  row->addWidget(label);
  row->addWidget(suiDBLookupComboBox1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(suiButton1);
  buttons->addWidget(suiButton2);
  auto* layout = new QVBoxLayout(body());
  layout->setContentsMargins(18, 16, 18, 14);
  layout->setSpacing(16);
  layout->addLayout(row);
  layout->addLayout(buttons);

  connect(suiButton1, &QPushButton::clicked, this, [this] { suiButton1Click(); });
  connect(suiButton2, &QPushButton::clicked, this, &QDialog::reject);

  for (const ShopChoice& shop : shops) suiDBLookupComboBox1->addItem(shop.ShopName, shop.ShopNo);
  if (suiDBLookupComboBox1->count() > 0) suiDBLookupComboBox1->setCurrentIndex(0);
  suiDBLookupComboBox1->setFocus();
}

bool TfrmSelectShop::EnterInControl(QWidget* control) {
  if (control != suiDBLookupComboBox1) return false;
  suiButton1Click();
  return true;
}

void TfrmSelectShop::suiButton1Click() {
  // Not null even for an empty list, so the logic can say that nothing was chosen.
  chosen_ = suiDBLookupComboBox1->currentData().toString();
  if (chosen_.isNull()) chosen_ = QStringLiteral("");
  accept();
}

}  // namespace quilmo
