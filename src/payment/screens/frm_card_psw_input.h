#pragma once

#include <functional>

#include "frame/frm_root_input.h"

namespace quilmo {

// "会员/储值卡密码输入": the one-field input dialog, masked, for the card's password. Each OK
// asks `check`, which tells the cashier when the password is wrong; the dialog closes only on a
// right one or on cancel. The typed text is not kept once the dialog is gone.
class TfrmCardPSWInput : public TfrmRootInput {
  Q_OBJECT
 public:
  TfrmCardPSWInput(Ui& ui, const QString& cards_code, std::function<bool(const QString&)> check,
                   QWidget* parent = nullptr);

  const QString& cardsCode() const { return cards_code_; }

 protected:
  bool AcceptValue(const QString& text) override;

 private:
  QString cards_code_;
  std::function<bool(const QString&)> check_;
};

}  // namespace quilmo
