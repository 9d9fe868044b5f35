#include "sale/screens/frm_select_employee.h"

#include <QLineEdit>

namespace quilmo {
namespace {

InputRequest EmployeeRequest() {
  InputRequest request;
  request.caption = QStringLiteral("选择导购员");
  request.prompt = QStringLiteral("导购员代码");
  request.kind = InputKind::NonEmpty;
  request.initial = QStringLiteral("");  // an empty edit, not the kind's "0"
  return request;
}

}  // namespace

TfrmSelectEmployee::TfrmSelectEmployee(Ui& ui, SaleUi::EmployeeFinder find, QWidget* parent)
    : TfrmRootInput(ui, EmployeeRequest(), parent), ui_(ui), find_(std::move(find)) {
  setObjectName(QStringLiteral("TfrmSelectEmployee"));
  suiEdtInput->setMaxLength(20);
}

bool TfrmSelectEmployee::AcceptValue(const QString& text) {
  const QString code = text.trimmed();
  if (code.isEmpty()) {
    ui_.MessageBox(QStringLiteral("提示"), QStringLiteral("输入的内容不能为空！"),
                   MsgIcon::Information, MsgButtons::Ok);
    return false;
  }
  try {
    employee_no_ = find_(code);
  } catch (...) {
    // An error must not cross the dialog's event loop: it leaves with the dialog.
    error_ = std::current_exception();
    reject();
    return false;
  }
  return !employee_no_.isEmpty();
}

}  // namespace quilmo
