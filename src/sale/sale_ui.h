#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "base/ui.h"
#include "sale/goods_candidate.h"
#include "sale/order_choices.h"

namespace quilmo {

// The screens the sale logic opens in the middle of its work.
class SaleUi : public virtual Ui {
 public:
  // The goods list (TfrmSelectGoods): the row the cashier chose, or -1 when the list was left
  // without a choice.
  virtual int SelectGoods(const std::vector<GoodsCandidate>& rows) = 0;
  // The colour or size list (TfrmSelectColorSize). An empty list closes at once, without a
  // choice; a choice has a non-empty name.
  virtual ColorSizeChoice SelectColorSize(const ColorSizeRequest& request) = 0;
  // The list of parked orders (TfrmHaltSaleOrder): the number of the order chosen, or empty.
  virtual QString SelectSuspendedOrder(const std::vector<ParkedOrder>& orders) = 0;
  // The return picker (TfrmQTback): the sold line chosen, or nothing. A database error of the
  // request's search reaches the caller.
  virtual std::optional<SoldLine> SelectReturnLine(const ReturnPickerRequest& request) = 0;
  // The guide dialog (TfrmSelectEmployee): the cashier types a sales assistant's code; each
  // OK hands the trimmed code to `find`, which answers the assistant's EmployeeNo or, having
  // told the cashier why, an empty text, and the dialog stays. The chosen EmployeeNo, or an
  // empty text when the dialog was cancelled.
  using EmployeeFinder = std::function<QString(const QString& code)>;
  virtual QString SelectEmployee(const EmployeeFinder& find) = 0;
};

}  // namespace quilmo
