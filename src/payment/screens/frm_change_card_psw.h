#pragma once

#include <functional>

#include "frame/frm_root.h"
#include "payment/card_ui.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace quilmo {

// "修改卡密码": the old password, the new one and its confirmation, all masked. OK hands the
// three to the logic, which checks them and changes the password; the dialog stays open for a
// wrong old password or a confirmation that differs.
class TfrmChangeCardPSW : public TfrmRootDialog {
  Q_OBJECT
 public:
  using Change = std::function<CardPasswordStep(const CardPasswordChange&)>;
  TfrmChangeCardPSW(const QString& cards_code, Change change, QWidget* parent = nullptr);

  QLabel* lblCardCode;
  QLineEdit* suiEdtOldPsw;
  QLineEdit* suiEdtNewPsw;
  QLineEdit* suiEdtNewPswCon;
  QPushButton* suiButton1;  // 确定
  QPushButton* suiButton2;  // 取消

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void suiButton1Click();

  Change change_;
};

}  // namespace quilmo
