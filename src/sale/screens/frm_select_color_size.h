#pragma once

#include "frame/frm_root.h"
#include "sale/goods_candidate.h"

class QTableView;

namespace quilmo {

// "选择颜色尺码": the colours or the sizes of the goods' group. Enter in the list chooses; Esc
// or closing the window leaves it with nothing chosen.
class TfrmSelectColorSize : public TfrmRootDialog {
  Q_OBJECT
 public:
  explicit TfrmSelectColorSize(const ColorSizeRequest& request, QWidget* parent = nullptr);

  // The name is empty when nothing was chosen.
  const ColorSizeChoice& choice() const { return choice_; }

  QTableView* grdList;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Choose();

  const ColorSizeRequest& request_;
  ColorSizeChoice choice_;
};

}  // namespace quilmo
