#include "devices/cash_drawer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSerialPort>
#include <QThread>

#include "devices/device_error.h"
#include "devices/device_fixture.h"
#include "devices/pole_display.h"
#include "support/scripted_ui.h"

namespace quilmo {
namespace {

using test::Hex;
using test::PtyPair;

TEST(DrawerCommandTest, TokensAreByteCodesOrTheirOwnCharacters) {
  const std::pair<const char*, const char*> cases[] = {
      {"27+112+0+50+250", "1B 70 00 32 FA"},
      {"27+112+0+60+255", "1B 70 00 3C FF"},
      {"27+112+07", "1B 70 07"},
      {"2+77", "02 4D"},
      {"2++77", "02 4D"},  // an empty token adds nothing
      {"A", "41"},
      {"300", "2C"},  // the low 8 bits
      {"-1", "FF"},
      {"  27+ 112", "1B 70"},  // leading blanks are allowed
      {"27 ", "32 37 20"},     // a trailing blank makes it text
      {"$1B+x70+0x07+0X0D", "1B 70 07 0D"},
      {"4294967296", "34 32 39 34 39 36 37 32 39 36"},  // beyond 32 bits: text
      {"2147483647+-2147483648", "FF 00"},
      {"", ""},
      {"+", ""},
      {"钱", "C7 AE"},
  };
  for (const auto& [command, bytes] : cases) {
    EXPECT_EQ(Hex(DrawerCommandBytes(QString::fromUtf8(command))), QString::fromLatin1(bytes))
        << command;
  }
}

class CashDrawerTest : public test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    ASSERT_TRUE(pty.ok());
    QDir().mkpath(Path(QStringLiteral("home")));
    Configure();
  }
  // A drawer behind the printer LPT1 (a file) and a display on Com2 (the pty), both set up.
  void Configure() {
    Hardware({{"HaveCashBox", QStringLiteral("Y")},
              {"CashBoxCommand", QStringLiteral("27+112+07")},
              {"HavePrinter", QStringLiteral("Y")},
              {"PrintPort", QStringLiteral("LPT1")},
              {"HaveScreen", QStringLiteral("Y")},
              {"ScreenPort", QStringLiteral("Com2")}});
    MapPort("LPT1", Path(QStringLiteral("printer.out")));
    MapPort("Com2", pty.slavePath());
  }
  void Open() { OpenCashDrawer(Ini(), Path(QStringLiteral("home")), ui, display); }
  QByteArray Printed() { return ReadFile(Path(QStringLiteral("printer.out"))); }

  PtyPair pty;
  test::ScriptedUi ui;
  PoleDisplay display{Ini()};
};

TEST_F(CashDrawerTest, BehindThePrinterTheCommandAndCrLfGoToThePrinterPort) {
  Hardware({{"CashBoxPort", QStringLiteral("0")}});
  Open();
  EXPECT_EQ(Hex(Printed()), QStringLiteral("1B 70 07 0D 0A"));
  EXPECT_TRUE(pty.Read().isEmpty());
  EXPECT_TRUE(ui.messages().empty());
}

TEST_F(CashDrawerTest, BehindTheDisplayExactlyTheCommandAt2400N81) {
  Hardware({{"CashBoxPort", QStringLiteral("2")}});
  // Read on the far side while the drawer has the line: the drawer lets go of it at once.
  QByteArray got;
  QThread* watcher = QThread::create([&] { got = pty.Read(2000); });
  watcher->start();
  Open();
  watcher->wait();
  delete watcher;
  EXPECT_EQ(Hex(got), QStringLiteral("1B 70 07"));
  EXPECT_TRUE(Printed().isEmpty());
  EXPECT_TRUE(test::SerialPortIsFree(pty.slavePath()));
}

// The display holds the port the drawer is wired behind: the drawer borrows it at 2400 and the
// display gets it back at its own speed.
TEST_F(CashDrawerTest, BehindAnOpenDisplayTheDrawerBorrowsThePortAndGivesItBack) {
  Hardware({{"CashBoxPort", QStringLiteral("2")}, {"ScreenType", QStringLiteral("LED11")}});
  display.InitDisplay();
  ASSERT_TRUE(display.IsOpen());
  ASSERT_EQ(pty.Speed(), 9600);
  Open();
  EXPECT_EQ(Hex(pty.Read()), QStringLiteral("1B 70 07"));
  EXPECT_TRUE(display.IsOpen());
  EXPECT_EQ(pty.Speed(), 9600);
  display.Show(1, Money::Whole(5));
  EXPECT_FALSE(pty.Read().isEmpty());
}

TEST_F(CashDrawerTest, ASerialPortInUseIsAnErrorForTheCaller) {
  Hardware({{"CashBoxPort", QStringLiteral("2")}});
  QSerialPort other(pty.slavePath());
  ASSERT_TRUE(other.open(QIODevice::ReadWrite));
  try {
    Open();
    FAIL() << "no error";
  } catch (const DeviceError& e) {
    EXPECT_TRUE(e.message().contains(QStringLiteral("Com2"))) << e.what();
    EXPECT_TRUE(e.message().contains(pty.slavePath())) << e.what();
  }
  other.close();
  EXPECT_TRUE(pty.Read().isEmpty());
}

TEST_F(CashDrawerTest, APrinterPortThatCannotBeWrittenIsAnErrorForTheCaller) {
  Hardware({{"CashBoxPort", QStringLiteral("0")}});
  MapPort("LPT1", QStringLiteral("/dev/usb/lp-quilmo-missing"));
  EXPECT_THROW(Open(), DeviceError);
  EXPECT_FALSE(QFile::exists(QStringLiteral("/dev/usb/lp-quilmo-missing")));
}

TEST_F(CashDrawerTest, EachMisconfigurationIsToldAndNothingIsSent) {
  struct Case {
    std::vector<std::pair<const char*, QString>> settings;
    QString caption;
    QString text;
  };
  const QString notice = QStringLiteral("提示");
  const std::vector<Case> cases = {
      {{{"CashBoxCommand", QString()}, {"CashBoxPort", QStringLiteral("0")}},
       QStringLiteral("错误！"),
       QStringLiteral("没有打开钱箱的指令，请设置！")},
      {{{"CashBoxPort", QStringLiteral("0")}, {"HavePrinter", QStringLiteral("N")}},
       notice,
       QStringLiteral("没有设置打印机连接端口,打开钱箱失败！")},
      {{{"CashBoxPort", QStringLiteral("0")}, {"PrintPort", QString()}},
       notice,
       QStringLiteral("没有设置打印机连接端口,打开钱箱失败！")},
      {{{"CashBoxPort", QStringLiteral("2")}, {"HaveScreen", QStringLiteral("N")}},
       notice,
       QStringLiteral("没有设置顾客显示屏连接端口，打开钱箱失败！")},
      {{{"CashBoxPort", QStringLiteral("2")}, {"ScreenPort", QString()}},
       notice,
       QStringLiteral("没有设置顾客显示屏连接端口，打开钱箱失败！")},
      {{{"CashBoxPort", QStringLiteral("3")}}, QString(), QString()},
      {{{"CashBoxPort", QString()}}, QString(), QString()},
      // No drawer: not a word, even with no command.
      {{{"HaveCashBox", QStringLiteral("N")}, {"CashBoxCommand", QString()}}, QString(), QString()},
  };
  for (const Case& c : cases) {
    Configure();
    ui.clear();
    for (const auto& [key, value] : c.settings) Hardware({{key, value}});
    Open();
    if (c.text.isEmpty()) {
      EXPECT_TRUE(ui.messages().empty()) << ui.last().toStdString();
    } else {
      ASSERT_EQ(ui.messages().size(), 1u) << c.text.toStdString();
      EXPECT_EQ(ui.messages()[0].caption, c.caption);
      EXPECT_EQ(ui.messages()[0].text, c.text);
      EXPECT_EQ(ui.messages()[0].icon, MsgIcon::Information);
    }
    EXPECT_TRUE(Printed().isEmpty());
    EXPECT_TRUE(pty.Read(50).isEmpty());
  }
}

// The drawer card: the program named by the setting is started from the program's folder, and
// nothing outside that folder is ever started.
TEST_F(CashDrawerTest, TheDrawerProgramMustLieInTheProgramFolder) {
  const QString home = Path(QStringLiteral("home"));
  const auto program = [&](const QString& path, const QString& marker) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(marker).toUtf8());
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  };
  const QString started = Path(QStringLiteral("started"));
  const QString outside_started = Path(QStringLiteral("outside-started"));
  program(QDir(home).filePath(QStringLiteral("Open3.com")), started);
  program(Path(QStringLiteral("outside.sh")), outside_started);
  Hardware({{"CashBoxPort", QStringLiteral("1")}});

  for (const QString& setting :
       {QStringLiteral("../outside.sh"), Path(QStringLiteral("outside.sh")),
        QStringLiteral("Open4.com"), QString::fromLatin1("")}) {
    Hardware({{"CashBoxCommand", setting}});
    Open();
  }
  Hardware({{"CashBoxCommand", QStringLiteral("Open3.com")}});
  Open();
  QElapsedTimer clock;
  clock.start();
  while (!QFile::exists(started) && clock.elapsed() < 5000) QThread::msleep(20);
  EXPECT_TRUE(QFile::exists(started));
  EXPECT_FALSE(QFile::exists(outside_started));
  // Only the empty command was told: the others name no program and are silently nothing.
  EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("没有打开钱箱的指令，请设置！")});
}

}  // namespace
}  // namespace quilmo
