#pragma once

#include "base/ui.h"
#include "frame/frm_root.h"

class QLineEdit;
class QPushButton;

namespace quilmo {

// The one-field input dialog: a prompt, an edit, OK and Cancel. The caller sets the caption,
// the prompt and the kind, shows it modally and reads confirmed() and value().
class TfrmRootInput : public TfrmRootDialog {
  Q_OBJECT
 public:
  TfrmRootInput(Ui& ui, const InputRequest& request, QWidget* parent = nullptr);

  bool confirmed() const { return confirmed_; }
  QString value() const { return value_; }
  InputKind kind() const { return kind_; }

  QLabel* lblMsg;
  QLineEdit* suiEdtInput;
  QPushButton* suibtSave;
  QPushButton* suibtCancel;

 protected:
  void showEvent(QShowEvent* event) override;
  bool EnterInControl(QWidget* control) override;
  // A dialog built on this one may refuse a text that is of the right kind (a wrong
  // password): it tells the cashier itself, and the dialog stays open on the text.
  virtual bool AcceptValue(const QString& text);

 private:
  void Save();

  Ui& ui_;
  InputKind kind_;
  NumberField field_;
  QString initial_;
  bool confirmed_ = false;
  QString value_;
};

}  // namespace quilmo
