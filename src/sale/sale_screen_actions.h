#pragma once

#include <QString>
#include <functional>
#include <optional>

namespace quilmo {

class SaleDesk;

// The amounts of an order the checkout saved, as its three amount edits showed them.
struct CheckoutAmounts {
  QString due;
  QString received;
  QString change;
};

// The sale screen's keys whose work belongs to other parts of the till. `app/` fills in what
// exists; a key whose action is empty shows its label disabled and does nothing. The sale
// screen runs its own guards first (rights, an order with or without lines, online only, the
// confirmation questions) and then calls the action, which gets the desk and through it the
// order, the data module and the cashier's screens.
struct SaleScreenActions {
  // F4, on an order without lines: the card dialog. True when a card was chosen (the card,
  // its sales type, discount, points and DiscountMode are then set on the order).
  std::function<bool(SaleDesk&)> chooseCard;
  // F10: on an order with lines, asks "您真的要挂起该单吗？" and parks the order. True when it
  // was parked; the screen then drops the lines and starts the next order.
  std::function<bool(SaleDesk&)> suspend;
  // F11: refused on an order with lines ("现在正在销售，不能取单！"); otherwise recalls a parked
  // order into this one. True when one came.
  std::function<bool(SaleDesk&)> retrieve;
  // F12, on an order with lines, totals just recomputed: card payment and checkout. The
  // amounts when the order was saved; nothing when it stays on the screen.
  std::function<std::optional<CheckoutAmounts>(SaleDesk&)> checkout;
  // Ctrl+Q, with right 13: the withdrawal amount and the drawer.
  std::function<void(SaleDesk&)> withdrawCash;
  // Ctrl+T with right 10 while returns must refer to an earlier sale (BackFlag).
  std::function<void(SaleDesk&)> startReturn;
  // The same option: a line whose quantity was made negative (in the grid or the edits) asks
  // for the earlier sale it came from. `row` is the line.
  std::function<void(SaleDesk&, int row)> returnForLine;
  // Ctrl+K lock, Ctrl+J the key list.
  std::function<void()> lockScreen;
  std::function<void()> keyList;
  // Ctrl+S upload and Ctrl+X download, online only.
  std::function<void()> upload;
  std::function<void()> download;
  // Ctrl+Alt+Y: the receipt template in the designer.
  std::function<void(SaleDesk&)> designReceipt;
  // Ctrl+P: the last receipt printed again, as it was.
  std::function<void()> reprintReceipt;
  // Ctrl+Alt+Z: online <-> offline. True when the mode changed.
  std::function<bool()> switchMode;
};

}  // namespace quilmo
