#pragma once

#include <QString>
#include <exception>
#include <stdexcept>

#include "base/ui.h"

namespace quilmo {

// Every error of ours derives from this: what went wrong, in the words the cashier is shown
// (a driver's own text, where one exists, is part of it). Logic throws or returns results;
// only the boundaries (start-up, a screen's command, the background thread) show an error,
// through ReportError, so no text is collected and then dropped on the way.
class Error : public std::runtime_error {
 public:
  explicit Error(const QString& message)
      : std::runtime_error(message.toStdString()), message_(message) {}
  const QString& message() const { return message_; }

 private:
  QString message_;
};

// The caption of the box that reports an error nobody handled on the way.
inline QString ApplicationTitle() { return QStringLiteral("Quilmo服装鞋业POS收银"); }

// The box an unhandled error ends in: the application's title over the error's own words.
inline void ReportError(Ui& ui, const QString& text) {
  ui.MessageBox(ApplicationTitle(), text, MsgIcon::Error, MsgButtons::Ok);
}
inline void ReportError(Ui& ui, const std::exception& e) {
  if (const auto* ours = dynamic_cast<const Error*>(&e)) {
    ReportError(ui, ours->message());
  } else {
    ReportError(ui, QString::fromUtf8(e.what()));
  }
}

// Runs a command at a boundary: an error that reaches it is shown, never lost. True when the
// command ran to its end.
template <class Command>
bool RunReported(Ui& ui, Command&& command) {
  try {
    command();
    return true;
  } catch (const std::exception& e) {
    ReportError(ui, e);
    return false;
  }
}

}  // namespace quilmo
