#include "devices/pole_display.h"

#include <QLoggingCategory>

#include "base/gbk.h"
#include "base/ini_file.h"
#include "devices/device_error.h"
#include "devices/port_map.h"

namespace quilmo {
namespace {

Q_LOGGING_CATEGORY(lcDisplay, "quilmo.devices.display")

constexpr char ESC = 0x1B;
constexpr char US = 0x1F;
constexpr char FF = 0x0C;
constexpr char CR = 0x0D;

QString Setting(const QString& ini, const char* key) {
  return ReadIniString(ini, QStringLiteral("HardWareSet"), QString::fromLatin1(key));
}

bool HaveScreen(const QString& ini) { return Setting(ini, "HaveScreen") == QStringLiteral("Y"); }

QByteArray Bytes(std::initializer_list<char> bytes) {
  return QByteArray(bytes.begin(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace

std::optional<int> DisplayBaudRate(const QString& model) {
  struct Entry {
    const char16_t* name;
    int baud;
  };
  static constexpr Entry kModels[] = {
      {u"LED11", 9600},      {u"LED12", 2400},        {u"MBI-1828单行", 9600},
      {u"DIY-PDLED8", 2400}, {u"DIY-PDVFD8CV", 2400}, {u"LCD-DSP440", 9600},
      {u"IC-851A", 9600},    {u"IC-851B", 9600},
  };
  for (const Entry& e : kModels) {
    if (model == QStringView(e.name)) return e.baud;
  }
  return std::nullopt;
}

QByteArray DisplayAmountText(Money amount) {
  return amount.ToString(2).toLatin1().rightJustified(8, ' ');
}

std::vector<QByteArray> DisplayFrames(const QString& model, int state, Money amount) {
  if (state < kDisplayTotal || state > kDisplayChange) return {};
  const QByteArray text = DisplayAmountText(amount);
  const QByteArray trimmed = text.trimmed();
  const char lamp = static_cast<char>('2' + (state - 1));
  static const char kIcStateBytes[3][2] = {{0x02, 0x01}, {0x04, 0x01}, {0x05, 0x01}};
  static const char* const kIcLabels[3] = {"TOTAL: ", "Gathering: ", "CHANGE: "};
  const QByteArray show = Bytes({ESC, 'Q', 'A'});

  if (model == QStringLiteral("LED11")) {
    return {QByteArray(11, ' '), show + text + CR};
  }
  if (model == QStringLiteral("MBI-1828单行")) {
    return {QByteArrayLiteral("~B~"),
            QByteArrayLiteral("~S") + EncodeGbk(QStringLiteral("合计")) + ' ' + text + '~'};
  }
  if (model == QStringLiteral("DIY-PDLED8")) {
    return {Bytes({ESC, 's', lamp}), show + trimmed + CR};
  }
  if (model == QStringLiteral("DIY-PDVFD8CV")) {
    return {Bytes({ESC, 's', lamp}), Bytes({US, '_', '2', '2'}), Bytes({US, 's', '2'}),
            Bytes({US, 'P', '1'}), show + trimmed + CR};
  }
  if (model == QStringLiteral("LCD-DSP440")) {
    return {show + trimmed + CR};
  }
  if (model == QStringLiteral("IC-851A")) {
    const char* b = kIcStateBytes[state - 1];
    return {Bytes({ESC, FF}), Bytes({ESC, 's', b[0], b[1]}), show + trimmed + CR};
  }
  if (model == QStringLiteral("IC-851B")) {
    const QByteArray label(kIcLabels[state - 1]);
    return {label, label + trimmed};
  }
  // "LED12", "LCD-DSP430" and names we do not know show nothing.
  return {};
}

void PoleDisplay::InitDisplay() {
  if (!HaveScreen(ini_)) return;
  const QString model = Setting(ini_, "ScreenType");
  const QString port = SerialPortName(DisplayPortNumber(Setting(ini_, "ScreenPort")));
  line_.Close();
  wanted_path_.clear();
  const std::optional<int> baud = DisplayBaudRate(model);
  if (!baud) return;
  label_ = port;
  wanted_path_ = DevicePath(ini_, port);
  wanted_baud_ = *baud;
  line_.Open(wanted_path_, wanted_baud_, label_);
}

void PoleDisplay::Show(int state, Money amount) {
  if (!HaveScreen(ini_)) return;
  const std::vector<QByteArray> frames = DisplayFrames(Setting(ini_, "ScreenType"), state, amount);
  if (frames.empty()) return;
  if (!line_.IsOpen()) {
    if (wanted_path_.isEmpty()) return;  // InitDisplay opened no port for this model
    line_.Open(wanted_path_, wanted_baud_, label_);
  }
  for (const QByteArray& frame : frames) line_.Write(frame);
}

void PoleDisplay::ShowOnDisplay(int state, Money amount) {
  try {
    Show(state, amount);
  } catch (const DeviceError& e) {
    qCWarning(lcDisplay).noquote() << "customer display:" << e.message();
  }
}

void PoleDisplay::Reopen(const QString& path, int baud, const QString& label) {
  try {
    line_.Open(path, baud, label);
  } catch (const DeviceError& e) {
    qCWarning(lcDisplay).noquote() << "customer display:" << e.message();
  }
}

}  // namespace quilmo
