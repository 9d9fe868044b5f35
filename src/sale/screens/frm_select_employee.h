#pragma once

#include <exception>

#include "frame/frm_root_input.h"
#include "sale/sale_ui.h"

namespace quilmo {

// "选择导购员": the one-field input dialog for a sales assistant's code. OK asks the finder;
// an unknown code keeps the dialog open (the finder has said why).
class TfrmSelectEmployee : public TfrmRootInput {
  Q_OBJECT
 public:
  TfrmSelectEmployee(Ui& ui, SaleUi::EmployeeFinder find, QWidget* parent = nullptr);

  // The chosen assistant's EmployeeNo; empty when the dialog was cancelled.
  const QString& employeeNo() const { return employee_no_; }
  // An error the finder raised; the dialog closed and the caller rethrows it.
  std::exception_ptr error() const { return error_; }

 protected:
  bool AcceptValue(const QString& text) override;

 private:
  Ui& ui_;
  SaleUi::EmployeeFinder find_;
  QString employee_no_;
  std::exception_ptr error_;
};

}  // namespace quilmo
