#pragma once

#include <QString>
#include <memory>

namespace quilmo {

enum class MsgIcon { None, Information, Warning, Error, Question };
enum class MsgButtons { Ok, YesNo };
enum class MsgResult { Ok, Yes, No };

// Kinds of the one-field input dialog.
enum class InputKind { Integer = 1, Text = 2, Number = 3, NonEmpty = 4 };

// What a typed number stands for. Each kind has the bounds and decimals a shop works with
// (BoundsOf), so "1e5", "NaN" or a quantity of 900000000000 is refused where it is typed,
// long before it could reach an amount.
enum class NumberField {
  Quantity,      // of a line; negative for a returned item
  Price,         // a unit price; negative only as a return, which the sale's rights decide
  Amount,        // money the cashier counts or keys: received, card parts, withdrawal…
  SignedAmount,  // money that may also be taken back: a top-up and its correction
  Discount,      // percent of the full price, 100 meaning none
  Points,        // card points, negative where points are taken off
};

struct InputRequest {
  QString caption;
  QString prompt;
  InputKind kind = InputKind::NonEmpty;
  // For a number: what it stands for, which sets the bounds the dialog checks it against.
  NumberField field = NumberField::Amount;
  bool masked = false;  // password entry
  // The text the edit starts with, selected; a null text starts with the kind's own ("0" or
  // empty).
  QString initial;
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
// the cashier was shown. This is the part every floor may use: message boxes, the one-field
// input and the progress window. Each subsystem adds the modal screens its logic opens in a
// port of its own (SaleUi, ShellUi, …) that extends this one virtually, so one object, QtUi
// or a test's ScriptedUi, answers for all of them.
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

  // The two standard boxes: they differ only in their caption.
  void ShowErrorBox(const QString& text) {
    MessageBox(QStringLiteral("错误！"), text, MsgIcon::Information, MsgButtons::Ok);
  }
  void ShowNoticeBox(const QString& text) {
    MessageBox(QStringLiteral("提示！"), text, MsgIcon::Information, MsgButtons::Ok);
  }
  // A Yes/No question; true for Yes.
  bool AskYesNo(const QString& caption, const QString& text, MsgIcon icon = MsgIcon::Question) {
    return MessageBox(caption, text, icon, MsgButtons::YesNo) == MsgResult::Yes;
  }
};

}  // namespace quilmo
