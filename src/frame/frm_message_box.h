#pragma once

#include "base/ui.h"
#include "frame/frm_root.h"

class QLabel;
class QPushButton;

namespace quilmo {

// The till's message box. It is one of our framed dialogs rather than the platform's box so
// that its caption ("错误！", "提示", "询问" …) shows in our own title bar: a till often runs
// without a window manager, and then the platform's box has no title at all.
// Keys: Enter presses the focused button, Esc answers No (or closes an OK box), Y and N
// answer directly, Left and Right move between the buttons.
class TfrmMessageBox : public TfrmRootDialog {
  Q_OBJECT
 public:
  TfrmMessageBox(const QString& caption, const QString& text, MsgIcon icon, MsgButtons buttons,
                 QWidget* parent = nullptr);

  MsgResult answer() const { return answer_; }
  MsgIcon icon() const { return icon_; }

  QLabel* lblIcon;
  QLabel* lblText;
  QPushButton* btnOk = nullptr;
  QPushButton* btnYes = nullptr;
  QPushButton* btnNo = nullptr;

 protected:
  bool FormKeyDown(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void Answer(MsgResult answer);

  MsgIcon icon_;
  MsgButtons buttons_;
  MsgResult answer_;
};

}  // namespace quilmo
