#pragma once

#include <QWidget>

#include "frame/frm_root.h"

class QLabel;
class QProgressBar;
class QTimer;

namespace quilmo {

// The 16-pixel searching magnifier of the progress and splash windows.
class SearchAnimation : public QWidget {
  Q_OBJECT
 public:
  explicit SearchAnimation(QWidget* parent = nullptr);
  QSize sizeHint() const override { return {16, 16}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QTimer* timer_;
  int frame_ = 0;
};

// The small progress window shown, without blocking, around long work (download, upload).
// The owner sets the text between steps; when it knows the number of steps it drives the
// bar as well.
class TfrmShowMessage : public TfrmRootDialog {
  Q_OBJECT
 public:
  explicit TfrmShowMessage(QWidget* parent = nullptr);

  void SetText(const QString& text);
  void SetSteps(int total);
  void SetStep(int done);

  QLabel* lblMsg;
  QProgressBar* pbProgress;

 private:
  // Resizes the window to its contents at once and keeps it centred.
  void Fit();
  // Work may run on this thread, so the window repaints only when we let it.
  void Refresh();
};

// Shown without blocking while the till connects to the server.
class TfrmSplash : public TfrmRootDialog {
  Q_OBJECT
 public:
  explicit TfrmSplash(QWidget* parent = nullptr);
  void SetText(const QString& text);

  QLabel* lblMsg;
};

}  // namespace quilmo
