#include "app/screens/qt_ui.h"

#include <QApplication>
#include <QFont>
#include <QPushButton>
#include <QStyleFactory>
#include <QThread>

#include "app/app_context.h"
#include "app/sale_actions.h"
#include "app/screens/frm_connect_to_server.h"
#include "app/screens/frm_download_options.h"
#include "app/screens/frm_login_options.h"
#include "app/screens/frm_select_shop.h"
#include "frame/frm_message_box.h"
#include "frame/frm_root_input.h"
#include "frame/frm_show_message.h"
#include "sale/screens/frm_qt_sale.h"
#include "sale/screens/frm_select_color_size.h"
#include "sale/screens/frm_select_employee.h"
#include "sale/screens/frm_select_goods.h"

namespace quilmo {
namespace {

class WindowProgress final : public Progress {
 public:
  explicit WindowProgress(QWidget* parent) : window_(new TfrmShowMessage(parent)) {
    window_->setAttribute(Qt::WA_DeleteOnClose);
    window_->show();
  }
  ~WindowProgress() override {
    if (window_) window_->close();
  }
  void SetText(const QString& text) override {
    if (window_) window_->SetText(text);
  }
  void SetSteps(int total) override {
    if (window_) window_->SetSteps(total);
  }
  void SetStep(int done) override {
    if (window_) window_->SetStep(done);
  }

 private:
  QPointer<TfrmShowMessage> window_;
};

class SplashProgress final : public Progress {
 public:
  explicit SplashProgress(QWidget* parent) : window_(new TfrmSplash(parent)) {
    window_->setAttribute(Qt::WA_DeleteOnClose);
    window_->show();
  }
  ~SplashProgress() override {
    if (window_) window_->close();
  }
  void SetText(const QString& text) override {
    if (window_) window_->SetText(text);
  }
  void SetSteps(int) override {}
  void SetStep(int) override {}

 private:
  QPointer<TfrmSplash> window_;
};

}  // namespace

MsgResult QtUi::MessageBox(const QString& caption, const QString& text, MsgIcon icon,
                           MsgButtons buttons) {
  // The background download reports its errors from its own thread; a window may only be
  // shown from the window thread, so the box is shown there and this thread waits for it.
  if (QThread::currentThread() != qApp->thread()) {
    MsgResult result = MsgResult::Ok;
    QMetaObject::invokeMethod(
        qApp, [&] { result = MessageBox(caption, text, icon, buttons); },
        Qt::BlockingQueuedConnection);
    return result;
  }
  TfrmMessageBox box(caption, text, icon, buttons, parent_);
  box.exec();
  return box.answer();
}

InputResult QtUi::Input(const InputRequest& request) {
  TfrmRootInput dialog(*this, request, parent_);
  dialog.exec();
  return {dialog.confirmed(), dialog.value()};
}

std::unique_ptr<Progress> QtUi::ShowProgress(const QString& text) {
  auto progress = std::make_unique<WindowProgress>(parent_);
  progress->SetText(text);
  return progress;
}

// ---- Sale: choosing goods, colour and size ----
int QtUi::SelectGoods(const std::vector<GoodsCandidate>& rows) {
  TfrmSelectGoods dialog(rows, parent_);
  dialog.exec();
  return dialog.chosen() ? dialog.currentRow() : -1;
}

ColorSizeChoice QtUi::SelectColorSize(const ColorSizeRequest& request) {
  TfrmSelectColorSize dialog(request, parent_);
  dialog.exec();
  return dialog.choice();
}

QString QtUi::SelectEmployee(const EmployeeFinder& find) {
  TfrmSelectEmployee dialog(*this, find, parent_);
  dialog.exec();
  if (dialog.error()) std::rethrow_exception(dialog.error());
  return dialog.employeeNo();
}
// ---- end of sale ----

int QtUi::ShowLoginOptions() {
  TfrmLoginOptions dialog(parent_);
  dialog.exec();
  return dialog.mode();
}

bool QtUi::ShowConnectionSettings(AppContext& app) {
  TfrmConnectToServer dialog(app, TfrmConnectToServer::kSettingsPage, parent_);
  dialog.exec();
  return dialog.settingsSaved();
}

QString QtUi::SelectShop(const QList<ShopChoice>& shops) {
  TfrmSelectShop dialog(shops, parent_);
  dialog.exec();
  return dialog.chosen();
}

bool QtUi::ShowLogin(AppContext& app) {
  TfrmConnectToServer dialog(app, TfrmConnectToServer::kLoginPage, parent_);
  dialog.exec();
  return dialog.loggedIn();
}

void QtUi::ShowDownloadOptions(AppContext& app) {
  TfrmDownloadOptions dialog(app, parent_);
  dialog.exec();
}

void QtUi::ShowSaleScreen(AppContext& app) { RunSaleScreen(app, *this, parent_); }

void RunSaleScreen(AppContext& app, SaleUi& ui, QWidget* parent) {
  SaleContext sale{app.dm, ui, app.Display()};
  TfrmQTSale screen(sale, SaleActionsFor(app), app.home, parent);
  if (!screen.Open()) return;
  screen.exec();
}

std::unique_ptr<Progress> QtUi::ShowSplash(const QString& text) {
  auto splash = std::make_unique<SplashProgress>(parent_);
  splash->SetText(text);
  return splash;
}

void ApplySkin() {
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  QFont font(QStringLiteral("WenQuanYi Zen Hei"));
  font.setPixelSize(12);
  QApplication::setFont(font);
  qApp->setStyleSheet(QStringLiteral(R"(
QDialog, QMainWindow { background: rgb(231, 231, 231); }
QDialog[frame="sui"], QDialog[frame="dialog"] { border: 1px solid rgb(128, 128, 128); }
QLabel#suiTitle {
  font-weight: bold; font-size: 11px; color: white; padding: 4px 8px;
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 rgb(98, 124, 168), stop:1 rgb(58, 84, 128));
}
QWidget#suiBody { background: rgb(231, 231, 231); }
QWidget#splashStrip { background: rgb(210, 214, 222); border-top: 1px solid rgb(160, 160, 160); }
QLabel#lblProduct { font-size: 22px; font-weight: bold; color: rgb(58, 84, 128); }
QPushButton { min-width: 64px; padding: 4px 10px; border-radius: 4px;
  border: 1px solid rgb(140, 140, 140); background: rgb(245, 245, 245); }
QPushButton:focus { border: 1px solid rgb(58, 84, 128); background: rgb(225, 232, 245); }
QPushButton:pressed { background: rgb(200, 210, 230); }
QLabel#lblTitle { color: rgb(0, 0, 255); font-weight: bold; font-size: 36px; }
QPushButton[kind="large"], QPushButton[kind="small"] {
  border: 1px solid rgb(150, 160, 180); border-radius: 8px; color: rgb(20, 40, 90);
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 rgb(252, 252, 255), stop:1 rgb(214, 222, 238));
}
QPushButton[kind="large"] { font-size: 20px; font-weight: bold; }
QPushButton[kind="small"] { font-size: 14px; }
QPushButton[kind="large"]:hover, QPushButton[kind="small"]:hover { background: rgb(225, 235, 252); }
QPushButton[kind="large"]:disabled, QPushButton[kind="small"]:disabled { color: rgb(150, 150, 150); }
QGroupBox#gbAffiche { font-size: 14px; font-weight: bold; }
QMessageBox { border: 1px solid rgb(128, 128, 128); }
)"));
}

}  // namespace quilmo
