#pragma once

#include "app/app_context.h"
#include "frame/frm_root.h"

class QComboBox;
class QPushButton;

namespace quilmo {

// "选择零售店": the shops no till has taken yet; confirming one registers this till to it.
class TfrmSelectShop : public TfrmRootDialog {
  Q_OBJECT
 public:
  explicit TfrmSelectShop(AppContext& app, QWidget* parent = nullptr);

  bool confirmed() const { return confirmed_; }

  QComboBox* suiDBLookupComboBox1;
  QPushButton* suiButton1;
  QPushButton* suiButton2;

 protected:
  void showEvent(QShowEvent* event) override;
  bool EnterInControl(QWidget* control) override;

 private:
  void suiButton1Click();

  AppContext& app_;
  bool confirmed_ = false;
};

}  // namespace quilmo
