#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

#include "app/shell_ui.h"
#include "sale/sale_ui.h"

namespace quilmo::test {

// A Ui that records every box verbatim and answers from queues the test fills, so a test
// reads like what the cashier saw. A question or input that nobody scripted fails the test
// and is answered No / cancelled.
class ScriptedUi : public SaleUi, public ShellUi {
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
  // ---- end of sale ----

  // ---- Start-up, connection, login and download screens ----
  // Each screen takes its answer from its own queue, in order; a queued action may run the
  // screen's real logic. A screen opened with nothing queued fails the test (and answers 0
  // or false). screens() lists the screens opened, in order.
  int ShowLoginOptions() override;
  bool ShowConnectionSettings(AppContext& app) override;
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
  const QStringList& splashTexts() const { return splash_texts_; }
  bool splashOpen() const { return splash_open_; }
  // ---- end of start-up screens ----

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
           !color_size_answers_.empty() || !employee_answers_.empty() || !sale_screens_.empty();
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
  std::deque<int> modes_;
  std::deque<ScreenAction> settings_, logins_, downloads_, sale_screens_;
  std::deque<QString> shops_;
  std::vector<QStringList> shop_lists_;
  QStringList screens_;
  QStringList splash_texts_;
  bool splash_open_ = false;
};

}  // namespace quilmo::test
