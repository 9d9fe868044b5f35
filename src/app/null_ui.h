#pragma once

#include "app/shell_ui.h"
#include "payment/card_ui.h"
#include "payment/payment_ui.h"
#include "report/report_ui.h"
#include "sale/sale_ui.h"

namespace quilmo {

// A Ui with nobody in front of it, for benchmarks and tools: boxes are not shown, questions
// are answered No, inputs and screens are cancelled, no windows open. Derive and override what
// a caller needs to see.
class NullUi : public SaleUi, public ShellUi, public ReportUi, public PaymentUi {
 public:
  MsgResult MessageBox(const QString&, const QString&, MsgIcon, MsgButtons buttons) override {
    return buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::No;
  }
  InputResult Input(const InputRequest&) override { return {}; }
  std::unique_ptr<Progress> ShowProgress(const QString&) override { return nullptr; }

  int ShowLoginOptions() override { return 0; }
  bool ShowConnectionSettings(AppContext&, const ConnectionEntries&) override { return false; }
  QString SelectShop(const QList<ShopChoice>&) override { return {}; }
  bool ShowLogin(AppContext&) override { return false; }
  void ShowDownloadOptions(AppContext&) override {}
  std::unique_ptr<Progress> ShowSplash(const QString&) override { return nullptr; }
  void ShowSaleScreen(AppContext&) override {}

  int SelectGoods(const std::vector<GoodsCandidate>&) override { return -1; }
  ColorSizeChoice SelectColorSize(const ColorSizeRequest&) override { return {}; }

  void ShowReportDesigner(Report&) override {}
  void ShowReportPreview(const Report&) override {}
  QString SelectSuspendedOrder(const std::vector<ParkedOrder>&) override { return {}; }
  std::optional<SoldLine> SelectReturnLine(const ReturnPickerRequest&) override { return {}; }
  bool SelectCards(CardContext&, Order&) override { return false; }
  bool CardPasswordInput(const QString&, const std::function<bool(const QString&)>&) override {
    return false;
  }
  void ChangeCardPassword(
      const QString&, const std::function<CardPasswordStep(const CardPasswordChange&)>&) override {}
  CardPayment CardPay(const CardPayRequest&) override { return {}; }
  BankCardPayment BankCardPay(Money) override { return {}; }
  void ShowCheckout(CheckoutFlow&) override {}
  bool ShowOverMsg(const ShiftReport&, const std::function<void()>&) override { return false; }
  QString SelectEmployee(const EmployeeFinder&) override { return {}; }
};

}  // namespace quilmo
