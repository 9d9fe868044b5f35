#include "devices/cash_drawer.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>
#include <optional>

#include "base/gbk.h"
#include "base/ini_file.h"
#include "devices/device_error.h"
#include "devices/device_io.h"
#include "devices/pole_display.h"
#include "devices/port_map.h"

namespace quilmo {
namespace {

Q_LOGGING_CATEGORY(lcDrawer, "quilmo.devices.drawer")

QString Setting(const QString& ini, const char* key) {
  return ReadIniString(ini, QStringLiteral("HardWareSet"), QString::fromLatin1(key));
}

// A token as a 32-bit integer: leading blanks, a sign, then decimal digits or, after "$", "x"
// or "0x", hexadecimal ones up to 32 bits. Nothing else may follow.
std::optional<qint64> TokenNumber(QStringView token) {
  qsizetype i = 0;
  while (i < token.size() && token[i] == QLatin1Char(' ')) ++i;
  bool negative = false;
  if (i < token.size() && (token[i] == QLatin1Char('-') || token[i] == QLatin1Char('+'))) {
    negative = token[i] == QLatin1Char('-');
    ++i;
  }
  int base = 10;
  QStringView rest = token.mid(i);
  if (rest.startsWith(QLatin1Char('$'))) {
    base = 16;
    rest = rest.mid(1);
  } else if (rest.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
    base = 16;
    rest = rest.mid(2);
  } else if (rest.startsWith(QLatin1Char('x'), Qt::CaseInsensitive)) {
    base = 16;
    rest = rest.mid(1);
  }
  if (rest.isEmpty()) return std::nullopt;
  qint64 value = 0;
  for (QChar c : rest) {
    const int digit =
        c.isDigit() && c.unicode() < 128 ? c.unicode() - '0'
        : base == 16 && c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f')
            ? c.toLower().unicode() - 'a' + 10
            : -1;
    if (digit < 0 || digit >= base) return std::nullopt;
    value = value * base + digit;
    if (value > 0xFFFFFFFFLL) return std::nullopt;
  }
  if (base == 10 && value > (negative ? 2147483648LL : 2147483647LL)) return std::nullopt;
  return negative ? -value : value;
}

void InformationBox(Ui& ui, const QString& text) {
  ui.MessageBox(QStringLiteral("提示"), text, MsgIcon::Information, MsgButtons::Ok);
}

// The drawer card's program: a file inside the program's folder, nowhere else. A setting such
// as "../../bin/sh" or an absolute path names no drawer program.
QString DrawerProgram(const QString& program_folder, const QString& setting) {
  const QString folder = QFileInfo(program_folder).canonicalFilePath();
  if (folder.isEmpty() || setting.isEmpty()) return {};
  const QFileInfo file(QDir(folder).filePath(setting));
  const QString resolved = file.canonicalFilePath();
  if (resolved.isEmpty() || !file.isFile()) return {};
  if (!resolved.startsWith(folder + QLatin1Char('/'))) return {};
  return resolved;
}

}  // namespace

QByteArray DrawerCommandBytes(const QString& command) {
  QByteArray out;
  for (const QString& token : command.split(QLatin1Char('+'))) {
    if (const std::optional<qint64> n = TokenNumber(token)) {
      out.append(static_cast<char>(static_cast<quint64>(*n) & 0xFF));
    } else {
      out.append(EncodeGbk(token));
    }
  }
  return out;
}

void OpenCashDrawer(const QString& ini, const QString& program_folder, Ui& ui,
                    PoleDisplay& display) {
  if (Setting(ini, "HaveCashBox") != QStringLiteral("Y")) return;
  const QString command = Setting(ini, "CashBoxCommand");
  if (command.isEmpty()) {
    ui.ShowErrorBox(QStringLiteral("没有打开钱箱的指令，请设置！"));
    return;
  }
  const QString wiring = Setting(ini, "CashBoxPort");
  const QByteArray bytes = DrawerCommandBytes(command);
  if (wiring == QStringLiteral("0")) {
    const QString port = Setting(ini, "PrintPort");
    if (port.isEmpty() || Setting(ini, "HavePrinter") != QStringLiteral("Y")) {
      InformationBox(ui, QStringLiteral("没有设置打印机连接端口,打开钱箱失败！"));
      return;
    }
    const QString path = DevicePath(ini, port);
    if (path.isEmpty()) {
      throw DeviceError(QStringLiteral("打印端口 %1 没有对应的设备，请在 [%2] 中设置")
                            .arg(port, QString::fromLatin1(kDevicePortsSection)));
    }
    WriteToDevice(path, bytes + QByteArrayLiteral("\r\n"), port);
  } else if (wiring == QStringLiteral("2")) {
    const QString screen_port = Setting(ini, "ScreenPort");
    if (screen_port.isEmpty() || Setting(ini, "HaveScreen") != QStringLiteral("Y")) {
      InformationBox(ui, QStringLiteral("没有设置顾客显示屏连接端口，打开钱箱失败！"));
      return;
    }
    const QString port = SerialPortName(DisplayPortNumber(screen_port));
    const QString path = DevicePath(ini, port);
    display.LendPort(path, [&] {
      SerialLine line;
      line.Open(path, kDrawerBaud, port);
      line.Write(bytes);
      line.Close();
    });
  } else if (wiring == QStringLiteral("1")) {
    const QString program = DrawerProgram(program_folder, command);
    if (program.isEmpty()) {
      qCWarning(lcDrawer).noquote() << "no drawer program" << command << "in" << program_folder;
      return;
    }
    if (!QProcess::startDetached(program, {}, QFileInfo(program).absolutePath())) {
      throw DeviceError(QStringLiteral("不能启动钱箱程序 %1").arg(program));
    }
  }
}

}  // namespace quilmo
