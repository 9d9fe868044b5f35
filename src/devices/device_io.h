#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

class QSerialPort;

namespace quilmo {

// How long a printer may keep us waiting before the till gives up on it. A printer out of
// paper or switched off must not freeze the till with a sale on the screen.
inline constexpr int kDeviceWriteTimeoutMs = 8000;

// Writes bytes to a printer device or a plain file, as the till's printer ports always were:
// opened for writing, written, closed. A plain file is appended to, so it collects the output
// in order the way a paper roll does (a drawer command, then the receipt, then its copy).
// Throws DeviceError naming `label` (the port name the settings use) and the reason.
void WriteToDevice(const QString& path, const QByteArray& bytes, const QString& label,
                   int timeout_ms = kDeviceWriteTimeoutMs);

// A serial line at a given speed, 8 data bits, no parity, 1 stop bit.
class SerialLine {
 public:
  SerialLine();
  ~SerialLine();
  SerialLine(const SerialLine&) = delete;
  SerialLine& operator=(const SerialLine&) = delete;

  // Opens the device; throws DeviceError naming `label` when it cannot (missing, in use, not a
  // serial device).
  void Open(const QString& path, int baud, const QString& label);
  bool IsOpen() const;
  const QString& path() const { return path_; }
  int baud() const { return baud_; }
  // Sends the bytes and waits until they have left; throws DeviceError on failure.
  void Write(const QByteArray& bytes, int timeout_ms = kDeviceWriteTimeoutMs);
  void Close();

 private:
  std::unique_ptr<QSerialPort> port_;
  QString path_;
  QString label_;
  int baud_ = 0;
};

// The reason of a failed system call as the cashier reads it.
QString DeviceReason(int error_number);

}  // namespace quilmo
