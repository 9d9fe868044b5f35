#pragma once

#include <QByteArray>
#include <QString>

namespace quilmo::test {

// A pseudo-terminal pair standing in for a serial device: the program opens the slave side as
// its port, the test reads what arrived on the master side.
class PtyPair {
 public:
  PtyPair();
  ~PtyPair();
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool ok() const { return master_ >= 0; }
  // The device path the program is pointed at.
  const QString& slavePath() const { return slave_; }
  // Everything that arrives until nothing more comes for `quiet_ms`.
  QByteArray Read(int quiet_ms = 150);
  // The line speed the slave side is set to now (9600, 2400, …), 0 when unknown.
  int Speed() const;
  // Whether the line is 8 data bits, no parity, 1 stop bit.
  bool Is8N1() const;
  // Closes the master side: the "device" is gone, writes to the slave fail.
  void CloseMaster();

 private:
  int master_ = -1;
  QString slave_;
};

// True when nobody holds the serial port: the test can open it exclusively itself.
bool SerialPortIsFree(const QString& path);

// Bytes as spaced hex ("1B 70 07"), for readable failures.
QString Hex(const QByteArray& bytes);
QByteArray FromHex(const QString& spaced);

}  // namespace quilmo::test
