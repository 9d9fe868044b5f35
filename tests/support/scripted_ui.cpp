#include "support/scripted_ui.h"

#include <gtest/gtest.h>

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

bool ScriptedUi::ShowConnectionSettings(AppContext& app) {
  screens_ << QStringLiteral("TfrmConnectToServer:settings");
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
  modes_.clear();
  settings_.clear();
  shops_.clear();
  shop_lists_.clear();
  logins_.clear();
  downloads_.clear();
  screens_.clear();
  splash_texts_.clear();
}

}  // namespace quilmo::test
