#pragma once

#include "frame/frm_root.h"

class QPushButton;

namespace quilmo {

// The mode choice at start: online (F4) or offline (F5). mode() is 0 when the screen was
// closed without a choice.
class TfrmLoginOptions : public TfrmRootDialog {
  Q_OBJECT
 public:
  explicit TfrmLoginOptions(QWidget* parent = nullptr);

  int mode() const { return mode_; }

  QPushButton* suiButton1;
  QPushButton* suiButton2;

 protected:
  void showEvent(QShowEvent* event) override;
  bool FormKeyDown(QKeyEvent* event) override;

 private:
  void Choose(int mode);
  int mode_ = 0;
};

}  // namespace quilmo
