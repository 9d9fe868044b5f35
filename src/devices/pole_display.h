#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

#include "base/money.h"
#include "devices/device_io.h"
#include "sale/customer_display.h"

namespace quilmo {

// The display's state: what the amount is.
enum DisplayState { kDisplayTotal = 1, kDisplayReceived = 2, kDisplayChange = 3 };

// The speed a display model's port is opened at; nothing for a model whose port is never
// opened ("LCD-DSP430" and any name we do not know).
std::optional<int> DisplayBaudRate(const QString& model);

// The amount as the displays show it: two decimals right-aligned in at least 8 characters
// ("%8.2f"): 8888.88 gives " 8888.88", 5 gives "    5.00". Longer amounts are not cut.
QByteArray DisplayAmountText(Money amount);

// The byte strings a model is sent for one amount in one state, in order; each goes out on
// its own. Silent models, unknown models and states other than 1 to 3 give none.
std::vector<QByteArray> DisplayFrames(const QString& model, int state, Money amount);

// The customer pole display on its serial port. Settings are read afresh at every call: a
// changed model shows at once, a changed port or speed after the next InitDisplay. A display
// that cannot be reached never stops a sale: ShowOnDisplay logs the fault and carries on.
class PoleDisplay final : public CustomerDisplay {
 public:
  explicit PoleDisplay(QString ini_file) : ini_(std::move(ini_file)) {}

  // Closes the port and opens it again at the model's speed. Throws DeviceError when the port
  // cannot be opened (the settings screen's test reports it); the port stays closed then.
  void InitDisplay();
  // Sends one amount; throws DeviceError when the bytes cannot be sent.
  void Show(int state, Money amount);
  // Show, with a failure logged instead of raised.
  void ShowOnDisplay(int state, Money amount) override;

  // The drawer wired behind the display uses the same line at its own speed: the display's
  // port is let go while `work` runs and opened again afterwards at the display's speed.
  template <class Work>
  void LendPort(const QString& path, Work&& work) {
    const bool held = line_.IsOpen() && line_.path() == path;
    const int baud = line_.baud();
    const QString label = label_;
    if (held) line_.Close();
    struct Restore {
      PoleDisplay* self;
      bool held;
      QString path, label;
      int baud;
      ~Restore() {
        if (held) self->Reopen(path, baud, label);
      }
    } restore{this, held, path, label, baud};
    work();
  }

  bool IsOpen() const { return line_.IsOpen(); }
  QString DevicePathInUse() const { return line_.path(); }

 private:
  void Reopen(const QString& path, int baud, const QString& label);

  QString ini_;
  SerialLine line_;
  QString label_;
  // Set by InitDisplay when the model wants its port open: a port that failed (a display
  // plugged in after start-up) is tried again at the next amount.
  QString wanted_path_;
  int wanted_baud_ = 0;
};

}  // namespace quilmo
