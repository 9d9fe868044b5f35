#include "support/scripted_ui.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

namespace quilmo::test {

class ScriptedProgress final : public Progress {
 public:
  explicit ScriptedProgress(ScriptedUi& ui) : ui_(ui) { ui_.progress_open_ = true; }
  ~ScriptedProgress() override { ui_.progress_open_ = false; }
  void SetText(const QString& text) override { ui_.progress_texts_ << text; }
  void SetSteps(int total) override { ui_.progress_steps_ = total; }
  void SetStep(int done) override { ui_.progress_last_step_ = done; }

 private:
  ScriptedUi& ui_;
};

MsgResult ScriptedUi::MessageBox(const QString& caption, const QString& text, MsgIcon icon,
                                 MsgButtons buttons) {
  // Boxes are shown on the window thread only; another thread reports through it.
  EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread()) << text.toStdString();
  messages_.push_back({caption, text, icon, buttons});
  if (buttons == MsgButtons::Ok) return MsgResult::Ok;
  if (answers_.empty()) {
    ADD_FAILURE() << "unscripted question: " << caption.toStdString() << " | "
                  << text.toStdString();
    return MsgResult::No;
  }
  MsgResult answer = answers_.front();
  answers_.pop_front();
  return answer;
}

InputResult ScriptedUi::Input(const InputRequest& request) {
  input_requests_.push_back(request);
  if (inputs_.empty()) {
    ADD_FAILURE() << "unscripted input: " << request.caption.toStdString() << " | "
                  << request.prompt.toStdString();
    return {};
  }
  InputResult result = inputs_.front();
  inputs_.pop_front();
  return result;
}

std::unique_ptr<Progress> ScriptedUi::ShowProgress(const QString& text) {
  progress_texts_ << text;
  return std::make_unique<ScriptedProgress>(*this);
}

// ---- Payment and shift ----
void ScriptedUi::ShowCheckout(CheckoutFlow& flow) {
  screens_ << QStringLiteral("TfrmQTXSPay");
  if (checkouts_.empty()) {
    ADD_FAILURE() << "unscripted checkout";
    return;
  }
  auto action = std::move(checkouts_.front());
  checkouts_.pop_front();
  action(flow);
}

bool ScriptedUi::ShowOverMsg(const ShiftReport& report, const std::function<void()>& design) {
  screens_ << QStringLiteral("TfrmShowOverMsg");
  if (over_design_ && design) design();
  over_reports_.push_back(report);
  if (over_answers_.empty()) {
    ADD_FAILURE() << "unscripted shift report";
    return false;
  }
  const bool print = over_answers_.front();
  over_answers_.pop_front();
  return print;
}

// ---- Sale: choosing goods, colour and size ----
int ScriptedUi::SelectGoods(const std::vector<GoodsCandidate>& rows) {
  QStringList codes;
  for (const GoodsCandidate& g : rows) codes << g.GoodsCode;
  goods_lists_.push_back(codes);
  if (goods_answers_.empty()) {
    ADD_FAILURE() << "unscripted goods list: " << codes.join(QLatin1Char(',')).toStdString();
    return -1;
  }
  const QString answer = goods_answers_.front();
  goods_answers_.pop_front();
  if (answer.isNull()) return -1;
  const int row = static_cast<int>(codes.indexOf(answer));
  if (row < 0) {
    ADD_FAILURE() << "goods " << answer.toStdString() << " is not in the list "
                  << codes.join(QLatin1Char(',')).toStdString();
  }
  return row;
}

ColorSizeChoice ScriptedUi::SelectColorSize(const ColorSizeRequest& request) {
  color_size_requests_.push_back(request);
  if (request.items.empty()) return {};
  if (color_size_answers_.empty()) {
    ADD_FAILURE() << "unscripted colour/size list for " << request.goodsName.toStdString();
    return {};
  }
  const QString answer = color_size_answers_.front();
  color_size_answers_.pop_front();
  if (answer.isNull()) return {};
  for (const ColorSizeItem& item : request.items) {
    if (item.Name == answer) return {item.No, item.Name};
  }
  ADD_FAILURE() << answer.toStdString() << " is not in the colour/size list";
  return {};
}

QString ScriptedUi::SelectSuspendedOrder(const std::vector<ParkedOrder>& orders) {
  QStringList numbers;
  for (const ParkedOrder& o : orders) numbers << o.OrderNo;
  parked_lists_.push_back(numbers);
  if (parked_answers_.empty()) {
    ADD_FAILURE() << "unscripted list of parked orders: "
                  << numbers.join(QLatin1Char(',')).toStdString();
    return {};
  }
  const QString answer = parked_answers_.front();
  parked_answers_.pop_front();
  if (!answer.isNull() && !numbers.contains(answer)) {
    ADD_FAILURE() << "parked order " << answer.toStdString() << " is not in the list";
    return {};
  }
  return answer;
}

std::optional<SoldLine> ScriptedUi::SelectReturnLine(const ReturnPickerRequest& request) {
  return_dates_.emplace_back(request.beginDate, request.endDate);
  const std::vector<SoldLine> listed = request.search({request.beginDate, request.endDate, {}, {}});
  return_lists_.push_back(listed);
  if (return_actions_.empty()) {
    ADD_FAILURE() << "unscripted return picker";
    return {};
  }
  ReturnPickerAction action = std::move(return_actions_.front());
  return_actions_.pop_front();
  if (!action) return {};
  return action(request, listed);
}

void ScriptedUi::ChooseReturnLine(const QString& order_no, int serial_no) {
  OnReturnPicker(
      [order_no, serial_no](const ReturnPickerRequest& request,
                            const std::vector<SoldLine>& listed) -> std::optional<SoldLine> {
        for (const SoldLine& line : listed) {
          if (line.OrderNo != order_no || line.SerialNo != serial_no) continue;
          if (request.mayChoose && !request.mayChoose(line)) return {};
          return line;
        }
        ADD_FAILURE() << "sold line " << order_no.toStdString() << "/" << serial_no
                      << " is not in the return picker";
        return {};
      });
}

QString ScriptedUi::SelectEmployee(const EmployeeFinder& find) {
  screens_ << QStringLiteral("TfrmSelectEmployee");
  while (!employee_answers_.empty()) {
    const QString code = employee_answers_.front();
    employee_answers_.pop_front();
    if (code.isNull()) return {};
    const QString no = find(code.trimmed());
    if (!no.isEmpty()) return no;
  }
  ADD_FAILURE() << "unscripted guide dialog";
  return {};
}
// ---- end of sale ----

// ---- Cards ----
bool ScriptedUi::SelectCards(CardContext& cards, Order& order) {
  screens_ << QStringLiteral("TfrmSelectCards");
  if (select_cards_.empty()) {
    ADD_FAILURE() << "unscripted screen: TfrmSelectCards";
    return false;
  }
  CardScreenAction action = std::move(select_cards_.front());
  select_cards_.pop_front();
  return action(cards, order);
}

bool ScriptedUi::CardPasswordInput(const QString& cards_code,
                                   const std::function<bool(const QString&)>& check) {
  screens_ << QStringLiteral("TfrmCardPSWInput:") + cards_code;
  while (!card_passwords_.empty()) {
    const QString typed = card_passwords_.front();
    card_passwords_.pop_front();
    if (typed.isNull()) return false;
    if (check(typed)) return true;
  }
  ADD_FAILURE() << "unscripted screen: TfrmCardPSWInput";
  return false;
}

void ScriptedUi::ChangeCardPassword(
    const QString& cards_code,
    const std::function<CardPasswordStep(const CardPasswordChange&)>& change) {
  screens_ << QStringLiteral("TfrmChangeCardPSW:") + cards_code;
  while (!password_changes_.empty()) {
    const std::optional<CardPasswordChange> typed = password_changes_.front();
    password_changes_.pop_front();
    if (!typed || change(*typed) == CardPasswordStep::Closed) return;
  }
  ADD_FAILURE() << "unscripted screen: TfrmChangeCardPSW";
}

CardPayment ScriptedUi::CardPay(const CardPayRequest& request) {
  screens_ << QStringLiteral("TfrmCardPay");
  card_pay_requests_.push_back(request);
  if (card_pays_.empty()) {
    ADD_FAILURE() << "unscripted screen: TfrmCardPay";
    return {};
  }
  const CardPayment answer = card_pays_.front();
  card_pays_.pop_front();
  return answer;
}

BankCardPayment ScriptedUi::BankCardPay(Money amount_due) {
  screens_ << QStringLiteral("TfrmBankCardPay");
  bank_card_pay_dues_.push_back(amount_due);
  if (bank_card_pays_.empty()) {
    ADD_FAILURE() << "unscripted screen: TfrmBankCardPay";
    return {};
  }
  const BankCardPayment answer = bank_card_pays_.front();
  bank_card_pays_.pop_front();
  return answer;
}
// ---- end of cards ----

namespace {

class ScriptedSplash final : public Progress {
 public:
  explicit ScriptedSplash(bool& open) : open_(open) { open_ = true; }
  ~ScriptedSplash() override { open_ = false; }
  void SetText(const QString&) override {}
  void SetSteps(int) override {}
  void SetStep(int) override {}

 private:
  bool& open_;
};

bool RunScreen(std::deque<ScriptedUi::ScreenAction>& queue, AppContext& app, const char* name) {
  if (queue.empty()) {
    ADD_FAILURE() << "unscripted screen: " << name;
    return false;
  }
  ScriptedUi::ScreenAction action = std::move(queue.front());
  queue.pop_front();
  return action(app);
}

}  // namespace

int ScriptedUi::ShowLoginOptions() {
  screens_ << QStringLiteral("TfrmLoginOptions");
  if (modes_.empty()) {
    ADD_FAILURE() << "unscripted screen: TfrmLoginOptions";
    return 0;
  }
  const int mode = modes_.front();
  modes_.pop_front();
  return mode;
}

bool ScriptedUi::ShowConnectionSettings(AppContext& app, const ConnectionEntries& start) {
  screens_ << QStringLiteral("TfrmConnectToServer:settings");
  settings_starts_.push_back(start);
  return RunScreen(settings_, app, "TfrmConnectToServer settings page");
}

QString ScriptedUi::SelectShop(const QList<ShopChoice>& shops) {
  screens_ << QStringLiteral("TfrmSelectShop");
  QStringList numbers;
  for (const ShopChoice& shop : shops) numbers << shop.ShopNo;
  shop_lists_.push_back(numbers);
  if (shops_.empty()) {
    ADD_FAILURE() << "unscripted screen: TfrmSelectShop";
    return {};
  }
  const QString chosen = shops_.front();
  shops_.pop_front();
  return chosen;
}

bool ScriptedUi::ShowLogin(AppContext& app) {
  screens_ << QStringLiteral("TfrmConnectToServer:login");
  return RunScreen(logins_, app, "TfrmConnectToServer login page");
}

void ScriptedUi::ShowDownloadOptions(AppContext& app) {
  screens_ << QStringLiteral("TfrmDownloadOptions");
  RunScreen(downloads_, app, "TfrmDownloadOptions");
}

void ScriptedUi::ShowSaleScreen(AppContext& app) {
  screens_ << QStringLiteral("TfrmQTSale");
  RunScreen(sale_screens_, app, "TfrmQTSale");
}

std::unique_ptr<Progress> ScriptedUi::ShowSplash(const QString& text) {
  splash_texts_ << text;
  return std::make_unique<ScriptedSplash>(splash_open_);
}

QStringList ScriptedUi::texts() const {
  QStringList out;
  for (const auto& m : messages_) out << m.text;
  return out;
}

QString ScriptedUi::last() const {
  if (messages_.empty()) return {};
  return messages_.back().caption + QLatin1Char('|') + messages_.back().text;
}

// ---- Reports ----
void ScriptedUi::ShowReportDesigner(Report& report) {
  if (!designer_actions_.empty()) {
    designer_actions_.front()(report);
    designer_actions_.pop_front();
  }
  designed_.push_back(report);
}

void ScriptedUi::ShowReportPreview(const Report& report) { previewed_.push_back(report); }
// ---- end of reports ----

void ScriptedUi::clear() {
  messages_.clear();
  input_requests_.clear();
  answers_.clear();
  inputs_.clear();
  progress_texts_.clear();
  goods_answers_.clear();
  color_size_answers_.clear();
  employee_answers_.clear();
  sale_screens_.clear();
  goods_lists_.clear();
  color_size_requests_.clear();
  parked_answers_.clear();
  parked_lists_.clear();
  return_actions_.clear();
  return_lists_.clear();
  return_dates_.clear();
  select_cards_.clear();
  card_passwords_.clear();
  password_changes_.clear();
  card_pays_.clear();
  bank_card_pays_.clear();
  card_pay_requests_.clear();
  bank_card_pay_dues_.clear();
  modes_.clear();
  settings_.clear();
  shops_.clear();
  shop_lists_.clear();
  logins_.clear();
  downloads_.clear();
  screens_.clear();
  settings_starts_.clear();
  splash_texts_.clear();
  designer_actions_.clear();
  designed_.clear();
  previewed_.clear();
}

}  // namespace quilmo::test
