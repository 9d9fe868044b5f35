#include "support/pty_pair.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QSerialPort>
#include <cstdlib>

namespace quilmo::test {

PtyPair::PtyPair() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0) return;
  if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
    ::close(master_);
    master_ = -1;
    return;
  }
  slave_ = QString::fromLocal8Bit(ptsname(master_));
}

PtyPair::~PtyPair() { CloseMaster(); }

void PtyPair::CloseMaster() {
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

QByteArray PtyPair::Read(int quiet_ms) {
  QByteArray out;
  if (master_ < 0) return out;
  for (;;) {
    pollfd p{master_, POLLIN, 0};
    if (::poll(&p, 1, quiet_ms) <= 0 || !(p.revents & POLLIN)) break;
    char buffer[512];
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n <= 0) break;
    out.append(buffer, n);
  }
  return out;
}

int PtyPair::Speed() const {
  termios t{};
  // The master side reports the slave's settings.
  if (master_ < 0 || tcgetattr(master_, &t) != 0) return 0;
  switch (cfgetospeed(&t)) {
    case B1200:
      return 1200;
    case B2400:
      return 2400;
    case B4800:
      return 4800;
    case B9600:
      return 9600;
    case B19200:
      return 19200;
    case B38400:
      return 38400;
    case B115200:
      return 115200;
    default:
      return 0;
  }
}

bool PtyPair::Is8N1() const {
  termios t{};
  if (master_ < 0 || tcgetattr(master_, &t) != 0) return false;
  return (t.c_cflag & CSIZE) == CS8 && !(t.c_cflag & PARENB) && !(t.c_cflag & CSTOPB);
}

bool SerialPortIsFree(const QString& path) {
  QSerialPort port(path);
  if (!port.open(QIODevice::ReadWrite)) return false;
  port.close();
  return true;
}

QString Hex(const QByteArray& bytes) { return QString::fromLatin1(bytes.toHex(' ').toUpper()); }

QByteArray FromHex(const QString& spaced) {
  return QByteArray::fromHex(spaced.toLatin1().replace(' ', ""));
}

}  // namespace quilmo::test
