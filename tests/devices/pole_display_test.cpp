#include "devices/pole_display.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

#include "devices/device_error.h"
#include "devices/device_fixture.h"
#include "devices/port_map.h"

namespace quilmo {
namespace {

using test::FromHex;
using test::Hex;
using test::PtyPair;
using test::SerialPortIsFree;

struct GoldenFrame {
  QString model;
  int state;
  Money amount;
  std::vector<QByteArray> frames;
};

std::vector<GoldenFrame> ReadGoldenFrames() {
  std::vector<GoldenFrame> out;
  QFile file(QStringLiteral(QUILMO_GOLDEN_DIR "/display/frames.txt"));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << "golden file missing";
  QTextStream in(&file);
  while (!in.atEnd()) {
    const QString line = in.readLine();
    if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
    const QStringList parts = line.split(QLatin1Char(';'));
    EXPECT_EQ(parts.size(), 4) << line.toStdString();
    if (parts.size() != 4) continue;
    GoldenFrame g{parts[0], parts[1].toInt(), *Money::Parse(parts[2]), {}};
    if (!parts[3].isEmpty()) {
      for (const QString& frame : parts[3].split(QLatin1Char('/')))
        g.frames.push_back(FromHex(frame));
    }
    out.push_back(g);
  }
  return out;
}

int ModelSpeed(const QString& model) {
  const std::optional<int> baud = DisplayBaudRate(model);
  return baud ? *baud : 0;
}

class PoleDisplayTest : public test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    ASSERT_TRUE(pty.ok());
    MapPort("Com1", pty.slavePath());
    Hardware({{"HaveScreen", QStringLiteral("Y")}, {"ScreenPort", QStringLiteral("Com1")}});
  }

  PtyPair pty;
};

// Every model and state of the golden file, through a real serial line: the frames one by one,
// the bytes that arrive on the other side, and the speed the port was opened at.
TEST_F(PoleDisplayTest, EveryModelSendsItsGoldenBytesAtItsSpeed) {
  const std::vector<GoldenFrame> golden = ReadGoldenFrames();
  ASSERT_GE(golden.size(), 20u);
  for (const GoldenFrame& g : golden) {
    SCOPED_TRACE(g.model.toStdString() + " state " + std::to_string(g.state));
    EXPECT_EQ(DisplayFrames(g.model, g.state, g.amount), g.frames);

    Hardware({{"ScreenType", g.model}});
    PoleDisplay display(Ini());
    display.InitDisplay();
    const int speed = ModelSpeed(g.model);
    EXPECT_EQ(display.IsOpen(), speed != 0);
    if (speed != 0) {
      EXPECT_EQ(pty.Speed(), speed);
      EXPECT_TRUE(pty.Is8N1());
    }
    display.Show(g.state, g.amount);
    QByteArray expected;
    for (const QByteArray& f : g.frames) expected += f;
    EXPECT_EQ(Hex(pty.Read()), Hex(expected));
  }
}

TEST_F(PoleDisplayTest, TheModelsOpenTheirPortsAtTheirSpeeds) {
  const std::pair<const char16_t*, int> speeds[] = {
      {u"LED11", 9600},
      {u"LED12", 2400},
      {u"MBI-1828单行", 9600},
      {u"DIY-PDLED8", 2400},
      {u"DIY-PDVFD8CV", 2400},
      {u"LCD-DSP430", 0},
      {u"LCD-DSP440", 9600},
      {u"IC-851A", 9600},
      {u"IC-851B", 9600},
      {u"led11", 0},
      {u"", 0},
  };
  for (const auto& [model, speed] : speeds) {
    EXPECT_EQ(ModelSpeed(QString::fromUtf16(model)), speed)
        << QString::fromUtf16(model).toStdString();
  }
}

// Without "Y" nothing is opened and nothing sent, and a silent or unknown model never holds
// the port: the drawer or another program may use it.
TEST_F(PoleDisplayTest, NoDisplaySilentAndUnknownModelsLeaveThePortAlone) {
  for (const auto& [have, model] : std::vector<std::pair<QString, QString>>{
           {QStringLiteral("N"), QStringLiteral("LED11")},
           {QString(), QStringLiteral("LED11")},
           {QStringLiteral("Y"), QStringLiteral("LCD-DSP430")},
           {QStringLiteral("Y"), QStringLiteral("VFD-2000")},
       }) {
    SCOPED_TRACE((have + QLatin1Char(' ') + model).toStdString());
    Hardware({{"HaveScreen", have}, {"ScreenType", model}});
    PoleDisplay display(Ini());
    display.InitDisplay();
    EXPECT_TRUE(SerialPortIsFree(pty.slavePath()));
    display.ShowOnDisplay(1, Money::Whole(5));
    EXPECT_TRUE(pty.Read().isEmpty());
  }
}

TEST_F(PoleDisplayTest, APortNameInAnotherCaseOrEmptyIsPortOne) {
  PtyPair second;
  ASSERT_TRUE(second.ok());
  MapPort("Com2", second.slavePath());
  Hardware({{"ScreenType", QStringLiteral("LCD-DSP440")}});
  for (const QString& port :
       {QStringLiteral("COM2"), QStringLiteral("com2"), QString(), QStringLiteral("Com5")}) {
    SCOPED_TRACE(port.toStdString());
    Hardware({{"ScreenPort", port}});
    PoleDisplay display(Ini());
    display.InitDisplay();
    display.Show(1, Money::Whole(5));
    EXPECT_EQ(Hex(pty.Read()), Hex(FromHex(QStringLiteral("1B 51 41 35 2E 30 30 0D"))));
    EXPECT_TRUE(second.Read().isEmpty());
  }
  Hardware({{"ScreenPort", QStringLiteral("Com2")}});
  PoleDisplay display(Ini());
  display.InitDisplay();
  display.Show(1, Money::Whole(5));
  EXPECT_FALSE(second.Read().isEmpty());
}

// A changed model shows at once; a changed port only after the next InitDisplay.
TEST_F(PoleDisplayTest, ModelChangesShowAtOncePortChangesAfterInit) {
  PtyPair second;
  ASSERT_TRUE(second.ok());
  MapPort("Com2", second.slavePath());
  Hardware({{"ScreenType", QStringLiteral("LCD-DSP440")}});
  PoleDisplay display(Ini());
  display.InitDisplay();
  Hardware({{"ScreenType", QStringLiteral("DIY-PDLED8")}, {"ScreenPort", QStringLiteral("Com2")}});
  display.Show(3, Money::FromUnits(125000));
  EXPECT_EQ(Hex(pty.Read()), QStringLiteral("1B 73 34 1B 51 41 31 32 2E 35 30 0D"));
  EXPECT_EQ(pty.Speed(), 9600);  // still the speed it was opened at
  display.InitDisplay();
  display.Show(1, Money::Whole(5));
  EXPECT_TRUE(pty.Read().isEmpty());
  EXPECT_EQ(Hex(second.Read()), QStringLiteral("1B 73 32 1B 51 41 35 2E 30 30 0D"));
  EXPECT_EQ(second.Speed(), 2400);
  EXPECT_TRUE(SerialPortIsFree(pty.slavePath()));  // the old port was let go
}

// A display that is missing at start-up is reported by InitDisplay (the settings screen's test
// shows it), never by ShowOnDisplay, and starts working once it is there.
TEST_F(PoleDisplayTest, AMissingDisplayDisturbsNothingAndIsPickedUpWhenItAppears) {
  const QString link = Path(QStringLiteral("ttyDisplay"));
  MapPort("Com1", link);
  Hardware({{"ScreenType", QStringLiteral("LCD-DSP440")}});
  PoleDisplay display(Ini());
  EXPECT_THROW(display.InitDisplay(), DeviceError);
  display.ShowOnDisplay(1, Money::Whole(5));  // logged, nothing thrown

  ASSERT_TRUE(QFile::link(pty.slavePath(), link));
  display.ShowOnDisplay(1, Money::Whole(7));
  EXPECT_EQ(Hex(pty.Read()), QStringLiteral("1B 51 41 37 2E 30 30 0D"));
  EXPECT_EQ(pty.Speed(), 9600);
}

TEST(DisplayAmountTextTest, EightColumnsTwoDecimalsNeverCut) {
  EXPECT_EQ(DisplayAmountText(Money::FromUnits(88888800)), QByteArray(" 8888.88"));
  EXPECT_EQ(DisplayAmountText(Money::Whole(5)), QByteArray("    5.00"));
  EXPECT_EQ(DisplayAmountText(Money::FromUnits(1234567891)), QByteArray("123456.79"));
  EXPECT_EQ(DisplayAmountText(Money::FromUnits(-50)), QByteArray("   -0.01"));
  EXPECT_EQ(DisplayAmountText(Money()), QByteArray("    0.00"));
}

TEST(PortMapTest, NamesMapThroughTheSettingsElseToTheDefaults) {
  EXPECT_EQ(DefaultDevicePath(QStringLiteral("LPT1")), QStringLiteral("/dev/usb/lp0"));
  EXPECT_EQ(DefaultDevicePath(QStringLiteral("lpt3")), QStringLiteral("/dev/usb/lp2"));
  EXPECT_EQ(DefaultDevicePath(QStringLiteral("Com1")), QStringLiteral("/dev/ttyS0"));
  EXPECT_EQ(DefaultDevicePath(QStringLiteral("COM4")), QStringLiteral("/dev/ttyS3"));
  EXPECT_EQ(DefaultDevicePath(QStringLiteral("USB1")), QString());
  EXPECT_EQ(DefaultDevicePath(QString()), QString());
  EXPECT_EQ(DisplayPortNumber(QStringLiteral("Com3")), 3);
  EXPECT_EQ(DisplayPortNumber(QStringLiteral("COM3")), 1);
  EXPECT_EQ(DisplayPortNumber(QStringLiteral("Com 3")), 1);
}

class PortMapFileTest : public test::DeviceTest {};

TEST_F(PortMapFileTest, TheSettingsSectionOverridesAndAPathStandsForItself) {
  MapPort("Com1", QStringLiteral("/dev/ttyUSB0"));
  MapPort("LPT2", QStringLiteral("/var/spool/till/receipts.txt"));
  EXPECT_EQ(DevicePath(Ini(), QStringLiteral("Com1")), QStringLiteral("/dev/ttyUSB0"));
  EXPECT_EQ(DevicePath(Ini(), QStringLiteral("COM1")), QStringLiteral("/dev/ttyUSB0"));
  EXPECT_EQ(DevicePath(Ini(), QStringLiteral("LPT2")),
            QStringLiteral("/var/spool/till/receipts.txt"));
  EXPECT_EQ(DevicePath(Ini(), QStringLiteral("LPT1")), QStringLiteral("/dev/usb/lp0"));
  EXPECT_EQ(DevicePath(Ini(), QStringLiteral("/tmp/r.txt")), QStringLiteral("/tmp/r.txt"));
  EXPECT_EQ(DevicePath(Ini(), QStringLiteral("PRN")), QString());
  EXPECT_EQ(DevicePath(Ini(), QString()), QString());
}

}  // namespace
}  // namespace quilmo
