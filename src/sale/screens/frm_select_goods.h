#pragma once

#include <vector>

#include "frame/frm_root.h"
#include "sale/goods_candidate.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace quilmo {

// "选择商品": the cashier picks one goods from the hits of a search, a promotion's goods list
// or the gift list. The row under the grid cursor is the one chosen.
class TfrmSelectGoods : public TfrmRootDialog {
  Q_OBJECT
 public:
  explicit TfrmSelectGoods(const std::vector<GoodsCandidate>& rows, QWidget* parent = nullptr);

  bool chosen() const { return chosen_; }
  // The row under the grid cursor, or -1.
  int currentRow() const;

  QTableView* DBGridEh1;
  QLabel* lblSearch;
  QLineEdit* suiEdit1;
  QPushButton* suiButton3;  // 查询
  QPushButton* suiButton1;  // 选 择(Enter)
  QPushButton* suiButton2;  // 退出(Esc)

 protected:
  void showEvent(QShowEvent* event) override;
  bool EnterInControl(QWidget* control) override;

 private:
  void Choose();
  void Search();

  const std::vector<GoodsCandidate>& rows_;
  bool chosen_ = false;
};

}  // namespace quilmo
