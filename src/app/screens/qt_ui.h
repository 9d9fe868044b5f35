#pragma once

#include <QPointer>
#include <QWidget>

#include "app/shell_ui.h"
#include "payment/card_ui.h"
#include "payment/payment_ui.h"
#include "report/report_ui.h"
#include "sale/sale_ui.h"

namespace quilmo {

// Every Ui port, opening real windows.
class QtUi final : public SaleUi, public ShellUi, public ReportUi, public PaymentUi {
 public:
  explicit QtUi(QWidget* parent = nullptr) : parent_(parent) {}

  MsgResult MessageBox(const QString& caption, const QString& text, MsgIcon icon,
                       MsgButtons buttons) override;
  InputResult Input(const InputRequest& request) override;
  std::unique_ptr<Progress> ShowProgress(const QString& text) override;

  // ---- Sale: choosing goods, colour and size ----
  int SelectGoods(const std::vector<GoodsCandidate>& rows) override;
  ColorSizeChoice SelectColorSize(const ColorSizeRequest& request) override;
  QString SelectSuspendedOrder(const std::vector<ParkedOrder>& orders) override;
  std::optional<SoldLine> SelectReturnLine(const ReturnPickerRequest& request) override;
  QString SelectEmployee(const EmployeeFinder& find) override;
  // ---- end of sale ----

  // ---- Cards: choosing a card, its password, stored-value and bank-card payment ----
  bool SelectCards(CardContext& cards, Order& order) override;
  bool CardPasswordInput(const QString& cards_code,
                         const std::function<bool(const QString&)>& check) override;
  void ChangeCardPassword(
      const QString& cards_code,
      const std::function<CardPasswordStep(const CardPasswordChange&)>& change) override;
  CardPayment CardPay(const CardPayRequest& request) override;
  BankCardPayment BankCardPay(Money amount_due) override;
  // ---- end of cards ----

  // ---- Start-up, connection, login and download screens ----
  int ShowLoginOptions() override;
  bool ShowConnectionSettings(AppContext& app, const ConnectionEntries& start) override;
  QString SelectShop(const QList<ShopChoice>& shops) override;
  bool ShowLogin(AppContext& app) override;
  void ShowDownloadOptions(AppContext& app) override;
  std::unique_ptr<Progress> ShowSplash(const QString& text) override;
  void ShowSaleScreen(AppContext& app) override;
  // ---- end of start-up screens ----

  // ---- Reports: designer and preview ----
  void ShowReportDesigner(Report& report) override;
  void ShowReportPreview(const Report& report) override;
  // ---- end of reports ----
  // ---- Payment ----
  void ShowCheckout(CheckoutFlow& flow) override;
  // ---- Shift ----
  bool ShowOverMsg(const ShiftReport& report, const std::function<void()>& design) override;

  // Dialogs opened from here are centred over this window.
  void SetParent(QWidget* parent) { parent_ = parent; }

 private:
  QPointer<QWidget> parent_;
};

// Opens the sale screen over the till's data, asking the cashier through `ui`, with the keys
// the till's parts provide (SaleActionsFor), and shows it until the cashier leaves. Nothing is
// shown when the cashier lacks the right to sell.
void RunSaleScreen(AppContext& app, SaleUi& ui, QWidget* parent);

// The look of the whole program: Fusion, the light grey body and the skinned frames.
void ApplySkin();

}  // namespace quilmo
