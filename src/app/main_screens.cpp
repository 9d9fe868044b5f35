#include "app/main_menu.h"
#include "app/shell_ui.h"
#include "app/till_devices.h"
#include "sale/upload_sales.h"
#include "shift/shift.h"

namespace quilmo {

// Each part of the till that puts a screen behind a main-window key registers it here, for
// example: menu.Register(MainCommand::QrySale, [](AppContext& app) { app.ui.Show…(app); });
// A key without a handler does nothing and its button is shown disabled.
void RegisterMainScreens(MainMenu& menu) {
  // The pole display's port is opened (again) whenever the main window shows: at start-up and
  // when the window comes back after a screen or a new login.
  menu.AddShowHandler([](AppContext& app) {
    if (app.devices) app.devices->InitDisplay();
  });
  menu.Register(MainCommand::OnClass, [](AppContext& app) {
    CheckoutShiftDevices devices(app);
    TillParkedOrders parked(app);
    ShiftContext shift{app.dm, app.ui, devices, parked};
    RunReported(app.ui, [&] { RunOpenShift(shift); });
  });
  menu.RegisterWithOutcome(MainCommand::OverClass, [](AppContext& app) {
    CheckoutShiftDevices devices(app);
    TillParkedOrders parked(app);
    ShiftContext shift{app.dm, app.ui, devices, parked};
    bool closed = false;
    RunReported(app.ui, [&] { closed = RunCloseShift(shift); });
    if (!closed) return MainOutcome::Done;
    // The sales of the shift and the record just closed go up at once.
    if (app.session.IsOnline) RunReported(app.ui, [&] { UploadSales(app.dm, app.ui); });
    return MainOutcome::LoginAgain;
  });
  // The sale screen checks right 3 itself when it opens.
  menu.Register(MainCommand::QTSale, [](AppContext& app) { app.ui.ShowSaleScreen(app); });
}

}  // namespace quilmo
