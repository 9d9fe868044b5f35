#pragma once

#include <QMap>

#include "app/app_context.h"
#include "app/main_menu.h"
#include "frame/frm_root.h"

class QLabel;
class QListWidget;
class QPushButton;
class QTimer;

namespace quilmo {

// The main window: a full-screen menu of large buttons, one function key each, and the
// announcement board. Closing it ends the program.
class TfrmMain : public TfrmRootFullSreen {
  Q_OBJECT
 public:
  TfrmMain(AppContext& app, const MainMenu& menu, QWidget* parent = nullptr);

  QPushButton* button(MainCommand command) const { return buttons_.value(command); }

  QLabel* lblTitle;
  QListWidget* ListView2;
  // The status strip along the bottom edge.
  QWidget* pnlStatus;
  QLabel* lblMode;
  QLabel* lblShop;
  QLabel* lblCashier;
  QLabel* lblDate;
  QLabel* lblDownload;

  // Shows the mode, shop, cashier, date and download as they are now. Runs after every
  // command and once a second while the window shows, which catches the end of the
  // background download and a new day.
  void RefreshStatus();

 signals:
  // The window has closed for good: the program ends.
  void programEnds();

 public slots:
  // Esc and every other way of closing pass the exit rules first.
  void reject() override;

 protected:
  bool FormKeyDown(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void Dispatch(MainCommand command);
  void End();

  AppContext& app_;
  const MainMenu& menu_;
  QMap<MainCommand, QPushButton*> buttons_;
  QTimer* status_timer_;
  bool ending_ = false;
};

}  // namespace quilmo
