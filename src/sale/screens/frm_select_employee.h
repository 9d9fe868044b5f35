#pragma once

#include <exception>

#include "frame/frm_root.h"
#include "sale/sale_ui.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace quilmo {

// "选择导购员": the one-field dialog for a sales assistant's code. OK asks the finder; an
// unknown code keeps the dialog open (the finder has said why).
class TfrmSelectEmployee : public TfrmRootDialog {
  Q_OBJECT
 public:
  TfrmSelectEmployee(Ui& ui, SaleUi::EmployeeFinder find, QWidget* parent = nullptr);

  // The chosen assistant's EmployeeNo; empty when the dialog was cancelled.
  const QString& employeeNo() const { return employee_no_; }
  // An error the finder raised; the dialog closed and the caller rethrows it.
  std::exception_ptr error() const { return error_; }

  QLabel* lblMsg;
  QLineEdit* suiEdtInput;
  QPushButton* suibtSave;
  QPushButton* suibtCancel;

 protected:
  bool EnterInControl(QWidget* control) override;

 private:
  void Save();

  Ui& ui_;
  SaleUi::EmployeeFinder find_;
  QString employee_no_;
  std::exception_ptr error_;
};

}  // namespace quilmo
