#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "base/ui.h"
#include "sale/goods_candidate.h"

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
  // The guide dialog (TfrmSelectEmployee): the cashier types a sales assistant's code; each
  // OK hands the trimmed code to `find`, which answers the assistant's EmployeeNo or, having
  // told the cashier why, an empty text, and the dialog stays. The chosen EmployeeNo, or an
  // empty text when the dialog was cancelled.
  using EmployeeFinder = std::function<QString(const QString& code)>;
  virtual QString SelectEmployee(const EmployeeFinder& find) = 0;
};

}  // namespace quilmo
