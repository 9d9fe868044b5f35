#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "app/shell_ui.h"
#include "payment/card_ui.h"
#include "payment/payment_ui.h"
#include "report/report_ui.h"
#include "sale/sale_ui.h"
#include "shift/shift_ui.h"

namespace quilmo::test {

// A Ui that records every box verbatim and answers from queues the test fills, so a test
// reads like what the cashier saw. A question or input that nobody scripted fails the test
// and is answered No / cancelled.
class ScriptedUi : public SaleUi, public ShellUi, public ReportUi, public PaymentUi {
 public:
  struct Message {
    QString caption;
    QString text;
    MsgIcon icon;
    MsgButtons buttons;
  };

  MsgResult MessageBox(const QString& caption, const QString& text, MsgIcon icon,
                       MsgButtons buttons) override;
  InputResult Input(const InputRequest& request) override;
  std::unique_ptr<Progress> ShowProgress(const QString& text) override;

  // ---- Sale: choosing goods, colour and size ----
  int SelectGoods(const std::vector<GoodsCandidate>& rows) override;
  ColorSizeChoice SelectColorSize(const ColorSizeRequest& request) override;
  QString SelectEmployee(const EmployeeFinder& find) override;
  // The coming guide dialogs: each code is typed and confirmed in turn, as the cashier would
  // until the dialog closes; CancelEmployee() presses 取消.
  void TypeEmployeeCode(const QString& code) { employee_answers_.push_back(code); }
  void CancelEmployee() { employee_answers_.push_back(QString()); }
  // The coming goods lists: pick the row with this goods code, or leave the list.
  void ChooseGoods(const QString& goods_code) { goods_answers_.push_back(goods_code); }
  void LeaveGoodsList() { goods_answers_.push_back(QString()); }
  // The coming colour/size lists: pick the entry with this name, or close the window. An
  // empty list closes by itself, as the screen does, and takes no answer.
  void ChooseColorSize(const QString& name) { color_size_answers_.push_back(name); }
  void CloseColorSize() { color_size_answers_.push_back(QString()); }
  // The goods codes of every goods list shown, in order.
  const std::vector<QStringList>& goodsLists() const { return goods_lists_; }
  const std::vector<ColorSizeRequest>& colorSizeRequests() const { return color_size_requests_; }

  QString SelectSuspendedOrder(const std::vector<ParkedOrder>& orders) override;
  // The coming lists of parked orders: take the order with this number, or leave the list.
  void ChooseSuspendedOrder(const QString& order_no) { parked_answers_.push_back(order_no); }
  void LeaveSuspendedOrders() { parked_answers_.push_back(QString()); }
  // The order numbers of every list of parked orders shown, in order.
  const std::vector<QStringList>& suspendedLists() const { return parked_lists_; }

  std::optional<SoldLine> SelectReturnLine(const ReturnPickerRequest& request) override;
  // The coming return pickers. Each opens with its list as the picker does (the request's
  // search over its dates); an action then answers with the request and that list.
  using ReturnPickerAction = std::function<std::optional<SoldLine>(
      const ReturnPickerRequest& request, const std::vector<SoldLine>& listed)>;
  void OnReturnPicker(ReturnPickerAction action) { return_actions_.push_back(std::move(action)); }
  // Chooses the listed line of this sale and line number, as 选 择 does: taken only when the
  // picker allows it; a refused line leaves the picker with 退 出.
  void ChooseReturnLine(const QString& order_no, int serial_no);
  void LeaveReturnPicker() { OnReturnPicker({}); }
  // What every return picker listed when it opened, and the dates it opened with.
  const std::vector<std::vector<SoldLine>>& returnLists() const { return return_lists_; }
  const std::vector<std::pair<QDate, QDate>>& returnDates() const { return return_dates_; }
  // ---- end of sale ----

  // ---- Cards ----
  // Each screen answers from its own queue; one opened with nothing queued fails the test.
  bool SelectCards(CardContext& cards, Order& order) override;
  bool CardPasswordInput(const QString& cards_code,
                         const std::function<bool(const QString&)>& check) override;
  void ChangeCardPassword(
      const QString& cards_code,
      const std::function<CardPasswordStep(const CardPasswordChange&)>& change) override;
  CardPayment CardPay(const CardPayRequest& request) override;
  BankCardPayment BankCardPay(Money amount_due) override;
  // The coming card dialogs: the action runs the screen's logic, its answer is CardChosen.
  using CardScreenAction = std::function<bool(CardContext&, Order&)>;
  void OnSelectCards(CardScreenAction action) { select_cards_.push_back(std::move(action)); }
  // The coming password dialogs: each text is typed and OK pressed, in order, until one is
  // accepted; CancelCardPassword() presses Cancel instead.
  void TypeCardPassword(const QString& text) { card_passwords_.push_back(text); }
  void CancelCardPassword() { card_passwords_.push_back(QString()); }
  // The coming password change dialogs, the same way.
  void TypeCardPasswordChange(const CardPasswordChange& change) {
    password_changes_.push_back(change);
  }
  void CancelCardPasswordChange() { password_changes_.push_back(std::nullopt); }
  void AnswerCardPay(const CardPayment& answer) { card_pays_.push_back(answer); }
  void AnswerBankCardPay(const BankCardPayment& answer) { bank_card_pays_.push_back(answer); }
  const std::vector<CardPayRequest>& cardPayRequests() const { return card_pay_requests_; }
  const std::vector<Money>& bankCardPayDues() const { return bank_card_pay_dues_; }
  // ---- end of cards ----

  // ---- Start-up, connection, login and download screens ----
  // Each screen takes its answer from its own queue, in order; a queued action may run the
  // screen's real logic. A screen opened with nothing queued fails the test (and answers 0
  // or false). screens() lists the screens opened, in order.
  int ShowLoginOptions() override;
  bool ShowConnectionSettings(AppContext& app, const ConnectionEntries& start) override;
  QString SelectShop(const QList<ShopChoice>& shops) override;
  bool ShowLogin(AppContext& app) override;
  void ShowDownloadOptions(AppContext& app) override;
  std::unique_ptr<Progress> ShowSplash(const QString& text) override;
  void ShowSaleScreen(AppContext& app) override;
  using ScreenAction = std::function<bool(AppContext&)>;
  void ChooseMode(int mode) { modes_.push_back(mode); }
  void OnConnectionSettings(ScreenAction action) { settings_.push_back(std::move(action)); }
  // The coming shop lists: choose the shop with this number, or leave the list.
  void ChooseShop(const QString& shop_no) { shops_.push_back(shop_no); }
  void LeaveShopList() { shops_.push_back(QString()); }
  // The shop numbers of every shop list shown, in order.
  const std::vector<QStringList>& shopLists() const { return shop_lists_; }
  void OnLogin(ScreenAction action) { logins_.push_back(std::move(action)); }
  void OnDownloadOptions(ScreenAction action) { downloads_.push_back(std::move(action)); }
  void OnSaleScreen(ScreenAction action) { sale_screens_.push_back(std::move(action)); }
  const QStringList& screens() const { return screens_; }
  // What each opening of the connection-settings page started with.
  const std::vector<ConnectionEntries>& settingsStarts() const { return settings_starts_; }
  const QStringList& splashTexts() const { return splash_texts_; }
  bool splashOpen() const { return splash_open_; }
  // ---- end of start-up screens ----

  // ---- Reports: designer and preview ----
  // The designer runs the queued action, if any, as the person at the screen would, and is
  // recorded with the report as it then stands (template, variables, data); the preview is
  // recorded with the report it was shown.
  void ShowReportDesigner(Report& report) override;
  void ShowReportPreview(const Report& report) override;
  void OnReportDesigner(std::function<void(Report&)> action) {
    designer_actions_.push_back(std::move(action));
  }
  const std::vector<Report>& designedReports() const { return designed_; }
  const std::vector<Report>& previewedReports() const { return previewed_; }
  // ---- end of reports ----
  // ---- Payment and shift ----
  // The coming checkout dialogs: each action works the flow as the cashier would (keys are
  // the flow's methods) and the dialog closes when it returns.
  void ShowCheckout(CheckoutFlow& flow) override;
  void OnCheckout(std::function<void(CheckoutFlow&)> action) {
    checkouts_.push_back(std::move(action));
  }
  // The coming shift reports: print or leave.
  bool ShowOverMsg(const ShiftReport& report, const std::function<void()>& design) override;
  // The next shift reports press Ctrl+Alt+Y before they are answered.
  void DesignOnOverMsg() { over_design_ = true; }
  void AnswerOverMsg(bool print) { over_answers_.push_back(print); }
  const std::vector<ShiftReport>& overReports() const { return over_reports_; }
  // ---- end of payment and shift ----

  // Answers for the coming Yes/No questions, in order.
  void AnswerYes() { answers_.push_back(MsgResult::Yes); }
  void AnswerNo() { answers_.push_back(MsgResult::No); }
  // Answers for the coming input dialogs; Cancel() answers one with Cancel.
  void Type(const QString& value) { inputs_.push_back({true, value}); }
  void Cancel() { inputs_.push_back({false, {}}); }

  const std::vector<Message>& messages() const { return messages_; }
  const std::vector<InputRequest>& inputRequests() const { return input_requests_; }
  // Every text the progress window showed, in order.
  const QStringList& progressTexts() const { return progress_texts_; }
  int progressSteps() const { return progress_steps_; }
  int progressLastStep() const { return progress_last_step_; }
  bool progressOpen() const { return progress_open_; }

  // The texts of all boxes, one per entry, in order.
  QStringList texts() const;
  // "caption|text" of the last box, or empty.
  QString last() const;
  bool unansweredLeft() const {
    return !answers_.empty() || !inputs_.empty() || !modes_.empty() || !settings_.empty() ||
           !shops_.empty() || !logins_.empty() || !downloads_.empty() || !goods_answers_.empty() ||
           !color_size_answers_.empty() || !designer_actions_.empty() || !parked_answers_.empty() ||
           !return_actions_.empty() || !select_cards_.empty() || !card_passwords_.empty() ||
           !password_changes_.empty() || !card_pays_.empty() || !bank_card_pays_.empty() ||
           !checkouts_.empty() || !over_answers_.empty() || !employee_answers_.empty() ||
           !sale_screens_.empty();
  }
  void clear();

 private:
  friend class ScriptedProgress;
  std::vector<Message> messages_;
  std::vector<InputRequest> input_requests_;
  std::deque<MsgResult> answers_;
  std::deque<InputResult> inputs_;
  QStringList progress_texts_;
  int progress_steps_ = 0;
  int progress_last_step_ = 0;
  bool progress_open_ = false;
  // ---- Sale ----
  std::deque<QString> goods_answers_;
  std::deque<QString> color_size_answers_;
  std::deque<QString> employee_answers_;
  std::vector<QStringList> goods_lists_;
  std::vector<ColorSizeRequest> color_size_requests_;
  std::deque<QString> parked_answers_;
  std::vector<QStringList> parked_lists_;
  std::deque<ReturnPickerAction> return_actions_;
  std::vector<std::vector<SoldLine>> return_lists_;
  std::vector<std::pair<QDate, QDate>> return_dates_;
  // ---- Cards ----
  std::deque<CardScreenAction> select_cards_;
  std::deque<QString> card_passwords_;
  std::deque<std::optional<CardPasswordChange>> password_changes_;
  std::deque<CardPayment> card_pays_;
  std::deque<BankCardPayment> bank_card_pays_;
  std::vector<CardPayRequest> card_pay_requests_;
  std::vector<Money> bank_card_pay_dues_;
  std::deque<std::function<void(CheckoutFlow&)>> checkouts_;
  std::deque<bool> over_answers_;
  bool over_design_ = false;
  std::vector<ShiftReport> over_reports_;
  std::deque<int> modes_;
  std::deque<ScreenAction> settings_, logins_, downloads_, sale_screens_;
  std::deque<QString> shops_;
  std::vector<QStringList> shop_lists_;
  QStringList screens_;
  std::vector<ConnectionEntries> settings_starts_;
  QStringList splash_texts_;
  bool splash_open_ = false;
  // ---- Reports ----
  std::deque<std::function<void(Report&)>> designer_actions_;
  std::vector<Report> designed_;
  std::vector<Report> previewed_;
};

}  // namespace quilmo::test
