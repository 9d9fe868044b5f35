#include "app/screens/frm_main.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace quilmo {

TfrmMain::TfrmMain(AppContext& app, const MainMenu& menu, QWidget* parent)
    : TfrmRootFullSreen(parent, KeyHandling::Common), app_(app), menu_(menu) {
  setObjectName(QStringLiteral("TfrmMain"));
  setWindowTitle(ApplicationTitle());

  lblTitle = new QLabel(QStringLiteral("Quilmo服装鞋业POS系统"), this);
  lblTitle->setObjectName(QStringLiteral("lblTitle"));
  lblTitle->setAlignment(Qt::AlignCenter);
  auto* band = new QWidget(this);
  band->setObjectName(QStringLiteral("pnlTop"));
  auto* band_layout = new QVBoxLayout(band);
  band_layout->setContentsMargins(0, 24, 0, 24);
  band_layout->addWidget(lblTitle);

  auto* board = new QGroupBox(QStringLiteral("公告栏"), this);
  board->setObjectName(QStringLiteral("gbAffiche"));
  ListView2 = new QListWidget(board);
  ListView2->setObjectName(QStringLiteral("ListView2"));
  auto* board_layout = new QVBoxLayout(board);
  board_layout->addWidget(ListView2);
  board->setFixedWidth(300);

  auto* large = new QGridLayout;
  large->setHorizontalSpacing(24);
  large->setVerticalSpacing(18);
  auto* small = new QHBoxLayout;
  small->setSpacing(12);
  const auto& all = MainButtons();
  for (size_t i = 0; i < all.size(); ++i) {
    const MainButton& b = all[i];
    auto* button = new QPushButton(b.caption, this);
    button->setObjectName(QLatin1String(b.control));
    button->setToolTip(b.caption);
    button->setFlat(true);
    button->setFocusPolicy(Qt::NoFocus);  // the keys drive this window, not the focus
    button->setEnabled(menu_.Has(b.command));
    if (i < 8) {
      button->setProperty("kind", QStringLiteral("large"));
      button->setFixedSize(240, 64);
      large->addWidget(button, static_cast<int>(i % 4), static_cast<int>(i / 4));
    } else {
      button->setProperty("kind", QStringLiteral("small"));
      button->setFixedSize(162, 40);
      small->addWidget(button);
    }
    const MainCommand command = b.command;
    connect(button, &QPushButton::clicked, this, [this, command] { Dispatch(command); });
    buttons_.insert(command, button);
  }
  auto* menu_block = new QVBoxLayout;
  menu_block->setSpacing(28);
  menu_block->addStretch(1);
  menu_block->addLayout(large);
  menu_block->addLayout(small);
  menu_block->addStretch(1);

  auto* middle = new QHBoxLayout;
  middle->setContentsMargins(40, 10, 40, 40);
  middle->setSpacing(40);
  middle->addWidget(board);
  middle->addStretch(1);
  middle->addLayout(menu_block);
  middle->addStretch(1);

  // Nothing else on the window says which mode the till is in, for which shop and cashier,
  // or that a download is still running; a quiet strip along the bottom does.
  pnlStatus = new QWidget(this);
  pnlStatus->setObjectName(QStringLiteral("pnlStatus"));
  pnlStatus->setAttribute(Qt::WA_StyledBackground);
  auto status_label = [this](const char* name) {
    auto* label = new QLabel(pnlStatus);
    label->setObjectName(QLatin1String(name));
    return label;
  };
  lblMode = status_label("lblMode");
  lblShop = status_label("lblShop");
  lblCashier = status_label("lblCashier");
  lblDate = status_label("lblDate");
  lblDownload = status_label("lblDownload");
  auto* strip = new QHBoxLayout(pnlStatus);
  strip->setContentsMargins(30, 4, 30, 4);
  strip->setSpacing(28);
  strip->addWidget(lblMode);
  strip->addWidget(lblShop);
  strip->addWidget(lblCashier);
  strip->addStretch(1);
  strip->addWidget(lblDownload);
  strip->addWidget(lblDate);
  status_timer_ = new QTimer(this);
  status_timer_->setInterval(1000);
  connect(status_timer_, &QTimer::timeout, this, &TfrmMain::RefreshStatus);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(band);
  layout->addLayout(middle, 1);
  layout->addWidget(pnlStatus);
}

void TfrmMain::showEvent(QShowEvent* event) {
  TfrmRootFullSreen::showEvent(event);
  RefreshStatus();
  status_timer_->start();
  menu_.RunShowHandlers(app_);
}

void TfrmMain::hideEvent(QHideEvent* event) {
  status_timer_->stop();
  TfrmRootFullSreen::hideEvent(event);
}

void TfrmMain::RefreshStatus() {
  const MainStatus status = MainStatusOf(app_);
  lblMode->setText(status.mode);
  const QString online = app_.session.IsOnline ? QStringLiteral("true") : QStringLiteral("false");
  if (lblMode->property("online").toString() != online) {
    lblMode->setProperty("online", online);
    lblMode->style()->unpolish(lblMode);
    lblMode->style()->polish(lblMode);
  }
  lblShop->setText(status.shop);
  lblCashier->setText(status.cashier);
  lblDate->setText(status.date);
  lblDownload->setText(status.download);
  lblDownload->setVisible(!status.download.isEmpty());
}

bool TfrmMain::FormKeyDown(QKeyEvent* event) {
  const std::optional<MainCommand> command = MainKeyCommand(event->key(), event->modifiers());
  if (!command) return false;
  Dispatch(*command);
  return true;
}

void TfrmMain::Dispatch(MainCommand command) {
  const MainOutcome outcome = menu_.Run(app_, command);
  RefreshStatus();
  switch (outcome) {
    case MainOutcome::Done:
      break;
    case MainOutcome::CloseWindow:
      reject();
      break;
    case MainOutcome::EndProgram:
      End();
      break;
    case MainOutcome::LoginAgain:
      // A shift change: the next cashier logs in; without a login the program ends.
      hide();
      if (app_.ui.ShowLogin(app_)) {
        show();
      } else {
        End();
      }
      break;
  }
}

void TfrmMain::reject() {
  if (ending_) return;
  if (!MainMayClose(app_)) return;
  End();
}

void TfrmMain::End() {
  ending_ = true;
  TfrmRootFullSreen::reject();
  emit programEnds();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  // A close from outside (the window manager, Alt+F4) takes the same road as Esc.
  event->ignore();
  if (!ending_) reject();
}

}  // namespace quilmo
