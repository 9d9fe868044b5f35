#pragma once

#include <QDialog>
#include <QPoint>
#include <QPointer>

class QKeyEvent;
class QLabel;
class QVBoxLayout;
class QWidget;

namespace quilmo {

// How a screen treats Enter, Esc, Up and Down. Each screen states its choice once, in its
// constructor, so the exceptions to the common keys are all in plain sight.
enum class KeyHandling {
  Common,        // the common keys, then the screen's own FormKeyDown for what is left
  OwnOnly,       // only the screen's FormKeyDown; Esc does not close by itself
  ControlsOnly,  // no screen-level keys at all: every key goes to the focused control
};

// The base screen. It sees keys before its controls and gives every screen the same keys:
// Enter moves on, Up and Down move between fields, Esc closes.
class TfrmRoot : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmRoot(QWidget* parent = nullptr, KeyHandling keys = KeyHandling::Common);
  ~TfrmRoot() override;

  KeyHandling keyHandling() const { return keys_; }

 protected:
  // The screen's own keys; return true when the key was used. Called after the common
  // keys (Common) or instead of them (OwnOnly).
  virtual bool FormKeyDown(QKeyEvent* event);
  // Enter in a control that has its own meaning for it (an OK on Enter, say); return true
  // when handled, and focus does not move on.
  virtual bool EnterInControl(QWidget* control);

  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  // QDialog's own Enter (default button) and Esc (close) would bypass the key handling the
  // screen chose; the common keys already give them where they apply.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  bool HandleKey(QWidget* focus, QKeyEvent* event);
  void HandBackKeyboard();
  bool CommonKey(QWidget* focus, QKeyEvent* event);

  KeyHandling keys_;
  bool filtering_ = false;
  // The window that had the keyboard when this one took it, to give it back on closing.
  QPointer<QWidget> previous_window_;
};

// The main window and the sale screen: the whole screen, no title bar, light grey.
class TfrmRootFullSreen : public TfrmRoot {
  Q_OBJECT
 public:
  explicit TfrmRootFullSreen(QWidget* parent = nullptr, KeyHandling keys = KeyHandling::Common);

 protected:
  void showEvent(QShowEvent* event) override;
};

// The skinned frame: our own title bar (bold, 11 px) over a light grey body with a grey
// border. Screens put their controls into body().
class TfrmRootSui : public TfrmRoot {
  Q_OBJECT
 public:
  explicit TfrmRootSui(QWidget* parent = nullptr, KeyHandling keys = KeyHandling::Common);

  QWidget* body() const { return body_; }
  QLabel* titleBar() const { return title_; }
  void setTitleBarVisible(bool visible);

 protected:
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLabel* title_;
  QWidget* body_;
  QPoint drag_offset_;
  bool dragging_ = false;
};

// Fixed-size dialogs: every screen but the main window, the sale screen and the connection
// settings.
class TfrmRootDialog : public TfrmRootSui {
  Q_OBJECT
 public:
  explicit TfrmRootDialog(QWidget* parent = nullptr, KeyHandling keys = KeyHandling::Common);

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace quilmo
