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
#include "payment/screens/frm_bank_card_pay.h"
#include "payment/screens/frm_card_pay.h"
#include "payment/screens/frm_card_psw_input.h"
#include "payment/screens/frm_change_card_psw.h"
#include "payment/screens/frm_qtxs_pay.h"
#include "payment/screens/frm_select_cards.h"
#include "report/screens/frm_report_designer.h"
#include "report/screens/report_rendering.h"
#include "sale/screens/frm_halt_sale_order.h"
#include "sale/screens/frm_qt_back.h"
#include "sale/screens/frm_qt_sale.h"
#include "sale/screens/frm_select_color_size.h"
#include "sale/screens/frm_select_employee.h"
#include "sale/screens/frm_select_goods.h"
#include "shift/screens/frm_show_over_msg.h"

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

// A progress window asked for by a worker thread (the foreground download). The window lives
// on the window thread; every change is posted there, in order, and the work never waits
// for the window.
class ForwardedProgress final : public Progress {
 public:
  ForwardedProgress(QPointer<QWidget> parent, const QString& text)
      : shown_(std::make_shared<Shown>()) {
    Post([parent, text](Shown& s) {
      s.window = std::make_unique<WindowProgress>(parent);
      s.window->SetText(text);
    });
  }
  ~ForwardedProgress() override {
    Post([](Shown& s) { s.window.reset(); });
  }
  void SetText(const QString& text) override {
    Post([text](Shown& s) {
      if (s.window) s.window->SetText(text);
    });
  }
  void SetSteps(int total) override {
    Post([total](Shown& s) {
      if (s.window) s.window->SetSteps(total);
    });
  }
  void SetStep(int done) override {
    Post([done](Shown& s) {
      if (s.window) s.window->SetStep(done);
    });
  }

 private:
  struct Shown {
    std::unique_ptr<WindowProgress> window;  // touched on the window thread only
  };
  template <class Change>
  void Post(Change change) {
    QMetaObject::invokeMethod(
        qApp, [shown = shown_, change] { change(*shown); }, Qt::QueuedConnection);
  }
  std::shared_ptr<Shown> shown_;
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
  // A window may only be shown from the window thread: a box asked for by another thread is
  // shown there while that thread waits. (The background download itself reports its end
  // through the window thread and asks for no box from its own.)
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
  if (QThread::currentThread() != qApp->thread()) {
    return std::make_unique<ForwardedProgress>(parent_, text);
  }
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

QString QtUi::SelectSuspendedOrder(const std::vector<ParkedOrder>& orders) {
  TfrmHaltSaleOrder dialog(orders, parent_);
  dialog.exec();
  return dialog.chosen() ? dialog.chosenOrderNo() : QString();
}

std::optional<SoldLine> QtUi::SelectReturnLine(const ReturnPickerRequest& request) {
  TfrmQTback dialog(request, parent_);
  dialog.exec();
  if (dialog.error()) std::rethrow_exception(dialog.error());
  return dialog.chosen();
}

QString QtUi::SelectEmployee(const EmployeeFinder& find) {
  TfrmSelectEmployee dialog(*this, find, parent_);
  dialog.exec();
  if (dialog.error()) std::rethrow_exception(dialog.error());
  return dialog.employeeNo();
}
// ---- end of sale ----

// ---- Cards: choosing a card, its password, stored-value and bank-card payment ----
bool QtUi::SelectCards(CardContext& cards, Order& order) {
  TfrmSelectCards dialog(cards, order, parent_);
  dialog.exec();
  return dialog.cardChosen();
}

bool QtUi::CardPasswordInput(const QString& cards_code,
                             const std::function<bool(const QString&)>& check) {
  TfrmCardPSWInput dialog(*this, cards_code, check, parent_);
  dialog.exec();
  return dialog.confirmed();
}

void QtUi::ChangeCardPassword(
    const QString& cards_code,
    const std::function<CardPasswordStep(const CardPasswordChange&)>& change) {
  TfrmChangeCardPSW dialog(cards_code, change, parent_);
  dialog.exec();
}

CardPayment QtUi::CardPay(const CardPayRequest& request) {
  TfrmCardPay dialog(*this, request, parent_);
  dialog.exec();
  return dialog.result();
}

BankCardPayment QtUi::BankCardPay(Money amount_due) {
  TfrmBankCardPay dialog(*this, amount_due, parent_);
  dialog.exec();
  return dialog.result();
}
// ---- end of cards ----

int QtUi::ShowLoginOptions() {
  TfrmLoginOptions dialog(parent_);
  dialog.exec();
  return dialog.mode();
}

bool QtUi::ShowConnectionSettings(AppContext& app, const ConnectionEntries& start) {
  TfrmConnectToServer dialog(app, TfrmConnectToServer::kSettingsPage, parent_, start);
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

// ---- Reports: designer and preview ----
void QtUi::ShowReportDesigner(Report& report) {
  TfrmReportDesigner dialog(report, *this, parent_);
  dialog.exec();
}

void QtUi::ShowReportPreview(const Report& report) { ShowPrintPreview(report, parent_); }
// ---- end of reports ----
void QtUi::ShowCheckout(CheckoutFlow& flow) {
  TfrmQTXSPay dialog(flow, parent_);
  dialog.exec();
}

bool QtUi::ShowOverMsg(const ShiftReport& report, const std::function<void()>& design) {
  TfrmShowOverMsg dialog(report, design, parent_);
  dialog.exec();
  return dialog.printChosen();
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
QWidget#pnlStatus { background: rgb(214, 218, 226); border-top: 1px solid rgb(176, 180, 190); }
QWidget#pnlStatus QLabel { font-size: 14px; color: rgb(50, 50, 60); }
QLabel#lblMode { font-weight: bold; }
QLabel#lblMode[online="true"] { color: rgb(0, 110, 40); }
QLabel#lblMode[online="false"] { color: rgb(170, 90, 0); }
QLabel#lblDownload { color: rgb(30, 70, 160); }
QLabel[kind="hint"] { color: rgb(90, 90, 90); font-size: 11px; }
QMessageBox { border: 1px solid rgb(128, 128, 128); }
/* Masked entries show "*", as the till always has, whatever the style. */
QLineEdit { lineedit-password-character: 42; }
)"));
}

}  // namespace quilmo
