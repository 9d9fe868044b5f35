#include "devices/port_map.h"

#include <QRegularExpression>

#include "base/ini_file.h"

namespace quilmo {

QString DefaultDevicePath(const QString& port) {
  static const QRegularExpression pattern(QStringLiteral("^(LPT|COM)([1-9])$"),
                                          QRegularExpression::CaseInsensitiveOption);
  const QRegularExpressionMatch m = pattern.match(port.trimmed());
  if (!m.hasMatch()) return {};
  const int index = m.captured(2).toInt() - 1;
  if (m.captured(1).compare(QStringLiteral("LPT"), Qt::CaseInsensitive) == 0) {
    return QStringLiteral("/dev/usb/lp%1").arg(index);
  }
  return QStringLiteral("/dev/ttyS%1").arg(index);
}

QString DevicePath(const QString& ini_file, const QString& port) {
  const QString name = port.trimmed();
  if (name.isEmpty()) return {};
  if (name.startsWith(QLatin1Char('/'))) return name;
  const QString mapped =
      ReadIniString(ini_file, QString::fromLatin1(kDevicePortsSection), name).trimmed();
  if (!mapped.isEmpty()) return mapped;
  return DefaultDevicePath(name);
}

int DisplayPortNumber(const QString& screen_port) {
  for (int n = 1; n <= 4; ++n) {
    if (screen_port == SerialPortName(n)) return n;
  }
  return 1;
}

QString SerialPortName(int number) { return QStringLiteral("Com%1").arg(number); }

}  // namespace quilmo
