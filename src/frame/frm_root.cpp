#include "frame/frm_root.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTableView>
#include <QTextEdit>
#include <QTreeView>
#include <QVBoxLayout>

#include "base/input_rules.h"

namespace quilmo {
namespace {

bool IsMemo(const QWidget* w) {
  return qobject_cast<const QTextEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w);
}
bool IsTree(const QWidget* w) { return qobject_cast<const QTreeView*>(w) != nullptr; }
bool IsGrid(const QWidget* w) { return qobject_cast<const QTableView*>(w) != nullptr; }
bool IsListBox(const QWidget* w) { return qobject_cast<const QListView*>(w) != nullptr; }

// The row of the current index, or -1.
int CurrentRow(const QAbstractItemView* view) {
  return view->currentIndex().isValid() ? view->currentIndex().row() : -1;
}
int RowCount(const QAbstractItemView* view) {
  return view->model() ? view->model()->rowCount(view->rootIndex()) : 0;
}

// Whether Down (down = true) or Up may move focus away from the focused control.
bool ArrowMayLeave(QWidget* focus, const QKeyEvent* event, bool down) {
  if (IsMemo(focus) || IsTree(focus)) return false;
  if (auto* combo = qobject_cast<QComboBox*>(focus)) {
    if (event->modifiers() & Qt::AltModifier) return false;
    if (combo->view() && combo->view()->isVisible()) return false;
    return true;
  }
  if (IsGrid(focus)) {
    // Our grids are all bound to data: Down stays inside, Up leaves only from the first row.
    if (down) return false;
    return CurrentRow(static_cast<QAbstractItemView*>(focus)) <= 0;
  }
  if (IsListBox(focus)) {
    auto* view = static_cast<QAbstractItemView*>(focus);
    int row = CurrentRow(view);
    return down ? row >= RowCount(view) - 1 : row <= 0;
  }
  return true;
}

}  // namespace

TfrmRoot::TfrmRoot(QWidget* parent, KeyHandling keys) : QDialog(parent), keys_(keys) {
  // Qt leaves the input method to the user's choice by default; no screen overrides it.
  setAttribute(Qt::WA_InputMethodEnabled, true);
}

TfrmRoot::~TfrmRoot() {
  if (filtering_) qApp->removeEventFilter(this);
}

bool TfrmRoot::FormKeyDown(QKeyEvent*) { return false; }
bool TfrmRoot::EnterInControl(QWidget*) { return false; }

void TfrmRoot::showEvent(QShowEvent* event) {
  // What a person types or pastes into an edit never holds a control character: a NUL pasted
  // with Ctrl+V cut the server's statement short, and saved offline it stopped the upload.
  for (QLineEdit* edit : findChildren<QLineEdit*>()) {
    if (edit->property("quilmoPlainText").toBool()) continue;
    edit->setProperty("quilmoPlainText", true);
    connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
      const QString plain = WithoutControlChars(text);
      if (plain == text) return;
      const int cursor = edit->cursorPosition() - static_cast<int>(text.size() - plain.size());
      edit->setText(plain);
      edit->setCursorPosition(std::max(0, cursor));
    });
  }
  // An application-wide filter lets the screen see a key before the focused control does,
  // whatever that control is. Only keys for this window are looked at.
  if (!filtering_) {
    qApp->installEventFilter(this);
    filtering_ = true;
  }
  QDialog::showEvent(event);
  // Without a window manager, as on many tills, nobody gives a new window the keyboard: the
  // X server leaves it where it was, or on the bare screen once a box has gone. So a window
  // takes the keyboard itself when it opens, and gives it back when it closes. Windows that
  // only show progress leave it where it is.
  if (!testAttribute(Qt::WA_ShowWithoutActivating)) {
    QWidget* active = QApplication::activeWindow();
    if (active != this) previous_window_ = active;
    activateWindow();
  }
}

void TfrmRoot::hideEvent(QHideEvent* event) {
  if (filtering_) {
    qApp->removeEventFilter(this);
    filtering_ = false;
  }
  QDialog::hideEvent(event);
  // Qt may already have let go of this window as the active one; what matters is that no
  // other window has taken the keyboard since.
  QWidget* active = QApplication::activeWindow();
  if (isWindow() && !testAttribute(Qt::WA_ShowWithoutActivating) && (!active || active == this)) {
    HandBackKeyboard();
  }
}

void TfrmRoot::HandBackKeyboard() {
  QWidget* next = previous_window_;
  previous_window_.clear();
  auto usable = [this](QWidget* w) {
    return w && w != this && w->isVisible() && !w->testAttribute(Qt::WA_ShowWithoutActivating);
  };
  // The window it came from, else the modal screen still open beneath, else any screen of
  // ours still showing.
  if (!usable(next)) next = QApplication::activeModalWidget();
  if (!usable(next)) {
    next = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (usable(w) && qobject_cast<TfrmRoot*>(w)) next = w;
    }
  }
  if (next) next->activateWindow();
}

void TfrmRoot::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      event->ignore();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

bool TfrmRoot::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) {
    return QDialog::eventFilter(watched, event);
  }
  auto* widget = static_cast<QWidget*>(watched);
  if (widget->window() != this) return false;
  // A key the focused control ignores travels up to its parents; look at it once only, on
  // its first delivery.
  QWidget* focus = QApplication::focusWidget();
  if (focus ? widget != focus : widget != this) return false;
  return HandleKey(focus ? focus : this, static_cast<QKeyEvent*>(event));
}

bool TfrmRoot::HandleKey(QWidget* focus, QKeyEvent* event) {
  switch (keys_) {
    case KeyHandling::ControlsOnly:
      return false;
    case KeyHandling::OwnOnly:
      return FormKeyDown(event);
    case KeyHandling::Common:
      return CommonKey(focus, event) || FormKeyDown(event);
  }
  return false;
}

bool TfrmRoot::CommonKey(QWidget* focus, QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (EnterInControl(focus)) return true;
      if (IsGrid(focus) || IsMemo(focus) || IsTree(focus)) return false;
      // A button takes Enter as its click, as anyone at a keyboard expects.
      if (focus->inherits("QAbstractButton")) return false;
      focusNextPrevChild(true);
      return true;
    case Qt::Key_Escape:
      reject();
      return true;
    case Qt::Key_Down:
    case Qt::Key_Up: {
      bool down = event->key() == Qt::Key_Down;
      if (!ArrowMayLeave(focus, event, down)) return false;
      focusNextPrevChild(down);
      return true;
    }
    default:
      return false;
  }
}

TfrmRootFullSreen::TfrmRootFullSreen(QWidget* parent, KeyHandling keys) : TfrmRoot(parent, keys) {
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  setProperty("frame", QStringLiteral("full"));
}

void TfrmRootFullSreen::showEvent(QShowEvent* event) {
  if (QScreen* screen = QGuiApplication::primaryScreen()) setGeometry(screen->geometry());
  setWindowState(windowState() | Qt::WindowFullScreen);
  TfrmRoot::showEvent(event);
}

TfrmRootSui::TfrmRootSui(QWidget* parent, KeyHandling keys) : TfrmRoot(parent, keys) {
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
  setProperty("frame", QStringLiteral("sui"));
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(1, 1, 1, 1);
  outer->setSpacing(0);
  title_ = new QLabel(this);
  title_->setObjectName(QStringLiteral("suiTitle"));
  title_->installEventFilter(this);
  body_ = new QWidget(this);
  body_->setObjectName(QStringLiteral("suiBody"));
  outer->addWidget(title_);
  outer->addWidget(body_, 1);
}

void TfrmRootSui::setTitleBarVisible(bool visible) { title_->setVisible(visible); }

void TfrmRootSui::changeEvent(QEvent* event) {
  if (event->type() == QEvent::WindowTitleChange) title_->setText(windowTitle());
  TfrmRoot::changeEvent(event);
}

bool TfrmRootSui::eventFilter(QObject* watched, QEvent* event) {
  if (watched == title_) {
    // The frame has no window-manager title bar, so ours moves the window.
    auto* mouse = static_cast<QMouseEvent*>(event);
    switch (event->type()) {
      case QEvent::MouseButtonPress:
        if (mouse->button() == Qt::LeftButton) {
          dragging_ = true;
          drag_offset_ = mouse->globalPosition().toPoint() - frameGeometry().topLeft();
        }
        return true;
      case QEvent::MouseMove:
        if (dragging_) move(mouse->globalPosition().toPoint() - drag_offset_);
        return true;
      case QEvent::MouseButtonRelease:
        dragging_ = false;
        return true;
      default:
        break;
    }
  }
  return TfrmRoot::eventFilter(watched, event);
}

TfrmRootDialog::TfrmRootDialog(QWidget* parent, KeyHandling keys) : TfrmRootSui(parent, keys) {
  setProperty("frame", QStringLiteral("dialog"));
  layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmRootDialog::showEvent(QShowEvent* event) {
  // Centred on the screen, as every dialog of the till is.
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    adjustSize();
    QRect r = screen->availableGeometry();
    move(r.center() - rect().center());
  }
  TfrmRootSui::showEvent(event);
}

}  // namespace quilmo
