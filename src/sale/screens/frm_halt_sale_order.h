#pragma once

#include <QString>
#include <vector>

#include "frame/frm_root.h"
#include "sale/order_choices.h"

class QSplitter;
class QStandardItemModel;
class QTableView;

namespace quilmo {

// "选择挂单": the parked orders above, the lines of the one under the cursor below. Enter or a
// double-click on an order takes it back; Esc leaves without one.
class TfrmHaltSaleOrder : public TfrmRootDialog {
  Q_OBJECT
 public:
  explicit TfrmHaltSaleOrder(const std::vector<ParkedOrder>& orders, QWidget* parent = nullptr);

  bool chosen() const { return chosen_; }
  // The number of the order chosen; empty until one is.
  const QString& chosenOrderNo() const { return chosen_order_no_; }

  QTableView* dbgMain;
  QTableView* dbgDetail;
  QSplitter* splitter;

 protected:
  void showEvent(QShowEvent* event) override;
  bool EnterInControl(QWidget* control) override;

 private:
  void ShowLines(int row);
  void Choose();

  const std::vector<ParkedOrder>& orders_;
  QStandardItemModel* main_model_;
  QStandardItemModel* detail_model_;
  bool chosen_ = false;
  QString chosen_order_no_;
};

}  // namespace quilmo
