#include "app/sale_actions.h"

#include "app/server_connection.h"
#include "app/till_devices.h"
#include "devices/devices.h"
#include "devices/receipt_from_order.h"
#include "payment/card_context.h"
#include "payment/card_select.h"
#include "payment/card_ui.h"
#include "payment/checkout.h"
#include "payment/payment_ui.h"
#include "sale/returns.h"
#include "sale/sale_desk.h"
#include "sale/suspended_orders.h"
#include "sale/upload_sales.h"
#include "shift/shift.h"

namespace quilmo {

SaleScreenActions SaleActionsFor(AppContext& app) {
  SaleScreenActions actions;
  // Ctrl+Alt+Z: the main window's mode switch, without its question.
  actions.switchMode = [&app] { return SwitchMode(app); };
  // Ctrl+X: the download options ("选择下载方式"), online only (the screen checks).
  actions.download = [&app] { app.ui.ShowDownloadOptions(app); };

  // F12: the stored-value card part first, then the checkout over the order on the screen; its
  // devices are the till's. The Ui the application composed answers for every port.
  actions.checkout = [&app](SaleDesk& desk) -> std::optional<CheckoutAmounts> {
    CheckoutShiftDevices devices(app);
    PaymentContext pay{app.dm,
                       dynamic_cast<PaymentUi&>(app.ui),
                       devices,
                       [&app] { return SwitchOfflineAfterServerLoss(app); },
                       {}};
    const CheckoutResult result = PayAndCheckout(pay, desk.order());
    if (!result.saved) return std::nullopt;
    return CheckoutAmounts{result.due, result.received, result.change};
  };
  // Ctrl+Q: the cash taken out of the drawer, into the shift.
  actions.withdrawCash = [&app](SaleDesk&) {
    CheckoutShiftDevices devices(app);
    TillParkedOrders parked(app);
    ShiftContext shift{app.dm, app.ui, devices, parked};
    RunReported(app.ui, [&] { CashWithdrawal(shift); });
  };
  // Ctrl+S: the offline sales up to the server.
  actions.upload = [&app] { UploadSalesKey(app.dm, app.ui); };
  // F10 and F11, each with its own guard and question. A parked order's card comes back
  // through the card lookup, by the rules of choosing it; a card stopped meanwhile does not
  // come back.
  actions.suspend = [](SaleDesk& desk) { return SuspendOrderCommand(desk.sale(), desk.order()); };
  actions.retrieve = [&app](SaleDesk& desk) {
    CardContext cards{app.dm, dynamic_cast<CardUi&>(app.ui)};
    return RecallSuspendedOrderCommand(
        desk.sale(), desk.order(),
        [&](const QString& code, Order& o) { return RestoreCardOnOrder(cards, code, o); });
  };
  // Ctrl+T and a line made negative, while returns must refer to the sale they undo.
  actions.startReturn = [](SaleDesk& desk) { StartReturn(desk.sale(), desk.order()); };
  actions.returnForLine = [](SaleDesk& desk, int row) {
    const OrderLine& line = desk.order().lines[row];
    desk.order().lines.SetCurrentIndex(row);
    StartReturn(desk.sale(), desk.order(), {line.GoodsNo, line.ColorNo, line.SizeNo});
  };
  // Ctrl+Alt+Y: the receipt template, with the order on the screen as its sample. Ctrl+P: the
  // last receipt again.
  if (app.devices) {
    actions.reprintReceipt = [&app] { app.devices->ReprintLastReceipt(); };
    actions.designReceipt = [&app](SaleDesk& desk) {
      app.devices->DesignReceiptTemplate(ReceiptFromOrder(desk.order(), app.session));
    };
  }
  // F4 on an order without lines: the card dialog, the card on the order and, for a card
  // that exchanges points for gifts, the exchange at once. The screen shows the card and sets
  // the discount edit of a discount card.
  actions.chooseCard = [&app](SaleDesk& desk) {
    CardContext cards{app.dm, dynamic_cast<CardUi&>(app.ui)};
    // The card dialog's top-up prints its slip on the till's text printer.
    if (app.devices) {
      cards.print_text = [&app](const QString& port, const QByteArray& bytes) {
        app.devices->PrintSlipText(port, bytes);
      };
    }
    bool chosen = false;
    RunReported(app.ui, [&] { chosen = ChooseCardForSale(cards, desk.sale(), desk.order()); });
    return chosen;
  };
  // Still to come: lockScreen (Ctrl+K), keyList (Ctrl+J).
  return actions;
}

}  // namespace quilmo
