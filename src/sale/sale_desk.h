#pragma once

#include <QString>
#include <array>
#include <exception>
#include <functional>
#include <optional>

#include "base/rights.h"
#include "sale/goods_lookup.h"
#include "sale/order.h"
#include "sale/sale_context.h"

namespace quilmo {

// The columns of the sale grid, in the grid's order.
enum class GridColumn {
  SerialNo,
  BarCode,
  GoodsCode,
  GoodsName,
  ColorName,
  SizeName,
  BaseUnit,
  OrigPrice,
  Price,
  Quantity,
  Discount,
  Amount,
  Model,
  Memo,
};
inline constexpr int kGridColumnCount = 14;

// What a discount typed into the discount edit is for.
enum class DiscountTarget {
  NextGoods = 0,   // the next goods only
  WholeOrder = 1,  // every line of the order (F3, a card with a discount)
  SingleLine = 2,  // the next goods, as a single-goods discount (F8)
};

// The keys that open the grid for editing.
enum class GridEditKey { Up, Right, Down, CtrlB, CtrlN };

// An editing key's effect: whether the grid opened, and the column the cursor goes to (none:
// it stays in its column).
struct GridEdit {
  bool opened = false;
  std::optional<GridColumn> column;
};

// An entry edit's check: whether the value stands; when it does not, the text the edit gets
// and whether the cashier is put back into the edit to type again.
struct EntryCheck {
  bool ok = true;
  QString reset;
  bool refocus = true;
};

// What the four entry edits hold when the cashier presses Enter in the goods edit.
struct EntryTexts {
  QString goods;
  QString quantity;
  QString price;
  QString discount;
};

// A sales assistant (guide) of the shop floor.
struct Employee {
  QString EmployeeNo;
  QString EmployeeCode;
  QString EmployeeName;
};

// The columns a guide is looked up by.
enum class EmployeeColumn { EmployeeCode, EmployeeNo };

// A sales assistant who is not stopped and works at the front desk, by code or number; the
// value is bound, never spliced.
std::optional<Employee> FindEmployee(TDMFM& dm, EmployeeColumn column, const QString& value);

// How an error that reached the sale screen ended.
enum class FailureOutcome {
  Reported,         // shown to the cashier (and written to the log)
  Reconnected,      // the server connection was lost and is open again; shown too
  SwitchedOffline,  // the server is gone: the till now sells offline
};

// The order being rung up on the sale screen and everything the screen decides about it: the
// order's life (opening, numbering, dropping), the checks of the entry edits, the line rules
// hung on the order's lines, the discount states, the guards of the keys and what happens when
// the server goes away. The screen shows what this holds and passes the cashier's keys on.
class SaleDesk {
 public:
  explicit SaleDesk(SaleContext& sale);
  SaleDesk(const SaleDesk&) = delete;
  SaleDesk& operator=(const SaleDesk&) = delete;

  SaleContext& sale() { return sale_; }
  Order& order() { return order_; }
  const Order& order() const { return order_; }
  PosSession& session() { return sale_.session(); }
  SaleUi& ui() { return sale_.ui; }

  // When the focus leaves the goods edit it comes back; leaving the other edits after a valid
  // entry goes to the goods edit.
  bool returnToGoods = true;
  DiscountTarget discountTarget = DiscountTarget::NextGoods;

  // ---- The order's life ----
  // The screen opens: the cashier needs right 3 (else the refusal, and false: nothing is
  // numbered), then the first order starts.
  bool Open();
  // A new order: a new number (never given back), the header filled from the session, the
  // guide, card and discount state reset. Without a number: "取单号失败！", false, and the
  // order keeps its header.
  bool StartNewOrder();
  // The lines go (nothing of them had been written anywhere).
  void DropLines();
  // The order's totals, recomputed with its promotions.
  OrderTotals Recalc();

  // ---- The entry edits ----
  // The checks of a typed quantity, price and discount are the same whether the value came
  // through an entry edit or a grid cell: the range, and the right the change needs.
  EntryCheck CheckQuantity(const QString& text);
  EntryCheck CheckPrice(const QString& text);
  EntryCheck CheckDiscount(const QString& text);
  // A discount that passed its check was confirmed. Below 100 and with no order discount yet,
  // it starts the single-goods discount (after F8) or is set on every line (after F3). True
  // when the lines changed.
  bool ConfirmDiscount(const QString& text);
  // Enter in the goods edit. Nothing (no result) for an empty code or while the order still
  // needs a guide; otherwise what became of the scan.
  std::optional<AddResult> EnterGoods(const EntryTexts& entry);
  // The discount edit after a goods entry: the whole-order discount stays, else 100.
  QString DiscountAfterEntry() const;
  // Whether the discount edit may take the focus: with right 8, as F3 and F8 ask, whatever
  // led there (Tab, a click); the price edit asks MayChangePrice. Refused, the cashier is told.
  bool MayEnterDiscount();

  // ---- Keys ----
  bool HasRight(Right right);
  bool CheckRight(Right right);
  bool CheckRight(Right right, const QString& refusal);
  // F2: the guide dialog; true when a guide was chosen.
  bool ChooseGuide();
  // F3, F8, F7: the guards; true when the key may act.
  bool MayDiscountWholeOrder();
  bool MayDiscountSingleGoods();
  bool MayChangePrice();
  // F9: the current line becomes a gift. True when it changed.
  bool MakeGift();
  // Ctrl+T without returns against earlier sales: the current line's quantity turns negative.
  void NegateCurrentLine();
  // Del in the grid: the current line goes; a points gift gives its points back. True when a
  // line went.
  bool DeleteCurrentLine();
  // F4 needs an order without lines, F12 one with.
  bool MayChooseCard();
  bool MayCheckout();
  // The guide, the header's EmployeeNo and the session's per-order fields come from the
  // order; shown by the screen.
  QString EmployeeName() const { return order_.EmployeeName; }

  // ---- The grid ----
  // An editing key on the current line. Not opened when there are no lines or the line may
  // not be edited that way; returnToGoods is cleared whenever there is a line.
  GridEdit EnterGridEdit(GridEditKey key);
  bool ColumnEditable(GridColumn column) const { return editable_[static_cast<size_t>(column)]; }
  // F7 and F8 while the grid has the focus: the price or discount column opens with the
  // right, else the refusal and it stays closed.
  void GridPriceKey();
  void GridDiscountKey();
  // Leaving the grid: every column read-only again.
  void CloseGrid();
  // Typing into a cell of a gift line: the refusal to show, or empty when typing is allowed.
  QString GiftEditRefusal(int row, GridColumn column) const;
  // A value typed into a cell, through the same checks as the entry edits and the line's
  // kind (a gift keeps its quantity and price, a promotion's line its price and discount).
  // False when it was refused: no number (the box said "错误"), or the refusal was shown.
  bool SetCell(int row, GridColumn column, const QString& text);

  // ---- Failures ----
  // An error that reached the screen. Online, when the server no longer answers, the
  // connection is opened again within the reconnect limit; when that fails the cashier is told
  // and the till goes offline with the order kept. Any other error is shown and logged: none
  // vanishes, in either mode.
  FailureOutcome HandleFailure(const std::exception& error);
  void SetReconnectLimit(int seconds) { reconnect_limit_s_ = seconds; }

  // Returns against earlier sales (the BackFlag option): a line made negative asks for the
  // earlier sale it came from. The screen hands in SaleScreenActions::returnForLine; without
  // it nothing more happens.
  std::function<void(SaleDesk&, int row)> returnForLine;

 private:
  void LineChecks(OrderLines& lines, int row, LineField changed);
  // A typed quantity, price or discount read and bounded; empty with `refusal` set when it
  // does not stand. The rights are the callers': a negative quantity needs right 10.
  std::optional<double> ReadQuantity(const QString& text, QString& refusal);
  std::optional<Money> ReadPrice(const QString& text, QString& refusal);
  std::optional<double> ReadDiscount(const QString& text, QString& refusal);
  // A discount other than 100 needs right 8, unless it is the card's discount or the
  // whole-order discount already granted on this order.
  bool DiscountNeedsRight(double value) const;
  void SetEditable(std::initializer_list<GridColumn> columns, bool editable);

  SaleContext& sale_;
  Order order_;
  std::array<bool, kGridColumnCount> editable_{};
  std::optional<double> whole_order_discount_;  // set by F3 with right 8, for this order
  int reconnect_limit_s_ = 15;
};

}  // namespace quilmo
