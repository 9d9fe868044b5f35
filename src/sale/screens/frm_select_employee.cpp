#include "sale/screens/frm_select_employee.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quilmo {

TfrmSelectEmployee::TfrmSelectEmployee(Ui& ui, SaleUi::EmployeeFinder find, QWidget* parent)
    : TfrmRootDialog(parent), ui_(ui), find_(std::move(find)) {
  setObjectName(QStringLiteral("TfrmSelectEmployee"));
  setWindowTitle(QStringLiteral("选择导购员"));
  lblMsg = new QLabel(QStringLiteral("导购员代码"), body());
  lblMsg->setObjectName(QStringLiteral("lblMsg"));
  suiEdtInput = new QLineEdit(body());
  suiEdtInput->setObjectName(QStringLiteral("suiEdtInput"));
  suiEdtInput->setMinimumWidth(240);
  suiEdtInput->setMaxLength(20);
  suibtSave = new QPushButton(QStringLiteral("确 定"), body());
  suibtSave->setObjectName(QStringLiteral("suibtSave"));
  suibtCancel = new QPushButton(QStringLiteral("取消"), body());
  suibtCancel->setObjectName(QStringLiteral("suibtCancel"));
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
  connect(suibtSave, &QPushButton::clicked, this, &TfrmSelectEmployee::Save);
  connect(suibtCancel, &QPushButton::clicked, this, &TfrmSelectEmployee::reject);
  suiEdtInput->setFocus();
}

bool TfrmSelectEmployee::EnterInControl(QWidget* control) {
  if (control != suiEdtInput) return false;
  Save();
  return true;
}

void TfrmSelectEmployee::Save() {
  const QString code = suiEdtInput->text().trimmed();
  if (code.isEmpty()) {
    ui_.MessageBox(QStringLiteral("提示"), QStringLiteral("输入的内容不能为空！"),
                   MsgIcon::Information, MsgButtons::Ok);
  } else {
    QString no;
    try {
      no = find_(code);
    } catch (...) {
      // An error must not cross the dialog's event loop: it leaves with the dialog.
      error_ = std::current_exception();
      reject();
      return;
    }
    if (!no.isEmpty()) {
      employee_no_ = no;
      accept();
      return;
    }
  }
  suiEdtInput->setFocus();
  suiEdtInput->selectAll();
}

}  // namespace quilmo
