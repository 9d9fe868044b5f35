#pragma once

#include <exception>
#include <optional>
#include <vector>

#include "frame/frm_root.h"
#include "sale/order_choices.h"

class QDateEdit;
class QLineEdit;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace quilmo {

// "选择退货单": the sold lines a return may point to, by date, order number and goods code.
// Enter in the grid, a double-click or 选 择 chooses the line under the cursor when the logic
// allows it; 退 出 leaves. Esc, and Enter anywhere but the grid, do nothing.
class TfrmQTback : public TfrmRootDialog {
  Q_OBJECT
 public:
  explicit TfrmQTback(const ReturnPickerRequest& request, QWidget* parent = nullptr);

  // The line chosen, or nothing.
  const std::optional<SoldLine>& chosen() const { return chosen_; }
  // The database error that closed the picker, if one did; the caller rethrows it.
  std::exception_ptr error() const { return error_; }
  // The rows the grid shows.
  const std::vector<SoldLine>& rows() const { return rows_; }

  QDateEdit* dtBeginDate;
  QDateEdit* dtEndDate;
  QLineEdit* edtORder;
  QLineEdit* suiEdtGoods;
  QPushButton* suiBtQuery;  // 查 询
  QTableView* dbgrid;
  QPushButton* suiButton2;  // 选 择
  QPushButton* suiButton1;  // 退 出

 protected:
  void showEvent(QShowEvent* event) override;
  bool FormKeyDown(QKeyEvent* event) override;

 private:
  void Query();
  void Choose();
  // Runs the logic's work; an error closes the picker and is kept for the caller.
  template <class Work>
  bool Guarded(Work&& work);

  const ReturnPickerRequest& request_;
  QStandardItemModel* model_;
  std::vector<SoldLine> rows_;
  std::optional<SoldLine> chosen_;
  std::exception_ptr error_;
};

}  // namespace quilmo
