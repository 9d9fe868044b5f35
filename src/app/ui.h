#pragma once

#include <QString>

#include <memory>
#include <vector>

namespace quilmo {

struct GoodsCandidate;
struct ColorSizeRequest;
struct ColorSizeChoice;
struct AppContext;

enum class MsgIcon { None, Information, Warning, Error, Question };
enum class MsgButtons { Ok, YesNo };
enum class MsgResult { Ok, Yes, No };

// Kinds of the one-field input dialog.
enum class InputKind { Integer = 1, Text = 2, Number = 3, NonEmpty = 4 };

struct InputRequest {
  QString caption;
  QString prompt;
  InputKind kind = InputKind::NonEmpty;
  bool masked = false;  // password entry
};

struct InputResult {
  bool confirmed = false;
  QString value;
};

// A progress window around long work. The work sets the text between steps and, when it
// knows how many steps there are, drives the bar. Destroying it removes the window, so a
// failing operation never leaves it behind.
class Progress {
 public:
  virtual ~Progress() = default;
  virtual void SetText(const QString& text) = 0;
  // Turns the bar into a determinate one of `total` steps; 0 keeps it indeterminate.
  virtual void SetSteps(int total) = 0;
  virtual void SetStep(int done) = 0;
};

// How logic talks to the person at the till. Logic never creates a widget; it asks this
// port. The real implementation opens dialogs; tests script the answers and read back what
// the cashier was shown.
class Ui {
 public:
  virtual ~Ui() = default;

  // A message box with a fixed caption, an icon and OK or Yes/No buttons.
  virtual MsgResult MessageBox(const QString& caption, const QString& text, MsgIcon icon,
                               MsgButtons buttons) = 0;

  // The one-field input dialog.
  virtual InputResult Input(const InputRequest& request) = 0;

  // Shows the progress window until the returned object is destroyed.
  virtual std::unique_ptr<Progress> ShowProgress(const QString& text) = 0;

  // ---- Sale: choosing goods, colour and size ----
  // The goods list (TfrmSelectGoods): the row the cashier chose, or -1 when the list was left
  // without a choice.
  virtual int SelectGoods(const std::vector<GoodsCandidate>& rows) = 0;
  // The colour or size list (TfrmSelectColorSize). An empty list closes at once, without a
  // choice; a choice has a non-empty name.
  virtual ColorSizeChoice SelectColorSize(const ColorSizeRequest& request) = 0;
  // ---- end of sale ----

  // ---- Start-up, connection, login and download screens ----
  // The mode choice: 0 = closed without a choice, 1 = online, 2 = offline.
  virtual int ShowLoginOptions() = 0;
  // The connection-settings page; true when the settings were saved.
  virtual bool ShowConnectionSettings(AppContext& app) = 0;
  // The shop selection; true when the person confirmed a shop.
  virtual bool ShowSelectShop(AppContext& app) = 0;
  // The cashier login page; true when a cashier logged in.
  virtual bool ShowLogin(AppContext& app) = 0;
  // The download-options screen (incremental or full download).
  virtual void ShowDownloadOptions(AppContext& app) = 0;
  // The splash shown while connecting to the server, until the returned object is destroyed.
  virtual std::unique_ptr<Progress> ShowSplash(const QString& text) = 0;
  // ---- end of start-up screens ----

  // The two standard boxes: they differ only in their caption.
  void ShowErrorBox(const QString& text) {
    MessageBox(QStringLiteral("错误！"), text, MsgIcon::Information, MsgButtons::Ok);
  }
  void ShowNoticeBox(const QString& text) {
    MessageBox(QStringLiteral("提示！"), text, MsgIcon::Information, MsgButtons::Ok);
  }
  // A Yes/No question; true for Yes.
  bool AskYesNo(const QString& caption, const QString& text,
                MsgIcon icon = MsgIcon::Question) {
    return MessageBox(caption, text, icon, MsgButtons::YesNo) == MsgResult::Yes;
  }
};

}  // namespace quilmo
