#pragma once

#include <QList>

#include "app/shell_ui.h"
#include "frame/frm_root.h"

class QComboBox;
class QPushButton;

namespace quilmo {

// "选择零售店": the shops no till has taken yet, as the logic read them. OK (or Enter in the
// list) hands back the chosen shop's number; the logic then asks to confirm it.
class TfrmSelectShop : public TfrmRootDialog {
  Q_OBJECT
 public:
  explicit TfrmSelectShop(const QList<ShopChoice>& shops, QWidget* parent = nullptr);

  // The chosen shop's number; a null text when the list was left without a choice, an empty
  // one when OK was pressed on an empty list.
  const QString& chosen() const { return chosen_; }

  QComboBox* suiDBLookupComboBox1;
  QPushButton* suiButton1;
  QPushButton* suiButton2;

 protected:
  bool EnterInControl(QWidget* control) override;

 private:
  void suiButton1Click();

  QString chosen_;
};

}  // namespace quilmo
