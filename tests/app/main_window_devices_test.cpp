#include "app/main_menu.h"
#include "app/screens/frm_main.h"
#include "base/ini_file.h"
#include "devices/devices.h"
#include "report/screens/report_rendering.h"
#include "support/data_fixture.h"
#include "support/pty_pair.h"
#include "support/qt_printers.h"
#include "support/screen_helpers.h"

namespace quilmo {
namespace {

using namespace Qt::StringLiterals;

// The main window opens the pole display's port whenever it shows.
class MainWindowDevicesTest : public test::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(pty.ok());
    session.OverFlag = 1;
    for (const auto& [section, key, value] : std::vector<std::tuple<QString, QString, QString>>{
             {u"HardWareSet"_s, u"HaveScreen"_s, u"Y"_s},
             {u"HardWareSet"_s, u"ScreenType"_s, u"DIY-PDLED8"_s},
             {u"HardWareSet"_s, u"ScreenPort"_s, u"Com1"_s},
             {u"DevicePorts"_s, u"Com1"_s, pty.slavePath()}}) {
      ASSERT_TRUE(WriteIniString(session.IniFile, section, key, value));
    }
    devices = std::make_unique<Devices>(
        DeviceSetup{session.IniFile, HomePath(), dm.conClient, ui, printer, clock});
    app.devices = devices.get();
    RegisterMainScreens(menu);
  }

  test::PtyPair pty;
  QtReportPrinter printer;
  // Made once the fixture has its settings file.
  std::unique_ptr<Devices> devices;
  AppContext app{session, dm, ui, clock, HomePath()};
  MainMenu menu;
};

TEST_F(MainWindowDevicesTest, ShowingTheMainWindowInitialisesTheDisplay) {
  ASSERT_TRUE(test::SerialPortIsFree(pty.slavePath()));
  TfrmMain window(app, menu);
  test::ShowActive(&window);
  EXPECT_FALSE(test::SerialPortIsFree(pty.slavePath()));
  EXPECT_EQ(pty.Speed(), 2400);
  devices->ShowOnDisplay(1, Money::FromUnits(888800));
  EXPECT_EQ(test::Hex(pty.Read()), u"1B 73 32 1B 51 41 38 38 2E 38 38 0D"_s);

  // Back from another screen, after the model was changed on the settings screen.
  window.hide();
  ASSERT_TRUE(WriteIniString(session.IniFile, u"HardWareSet"_s, u"ScreenType"_s, u"LED11"_s));
  test::ShowActive(&window);
  EXPECT_EQ(pty.Speed(), 9600);
}

TEST_F(MainWindowDevicesTest, ADisplayThatCannotBeOpenedDoesNotStopTheWindow) {
  ASSERT_TRUE(WriteIniString(session.IniFile, u"DevicePorts"_s, u"Com1"_s,
                             QDir(HomePath()).filePath(u"no-such-tty"_s)));
  TfrmMain window(app, menu);
  test::ShowActive(&window);
  EXPECT_TRUE(window.isVisible());
  EXPECT_TRUE(ui.messages().empty());
  devices->ShowOnDisplay(1, Money::Whole(5));  // logged, nothing thrown
}

}  // namespace
}  // namespace quilmo
