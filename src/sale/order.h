#pragma once

#include <QDateTime>
#include <QString>
#include <functional>
#include <span>
#include <vector>

#include "base/money.h"
#include "sale/field_table.h"

namespace quilmo {

// The goods code of the money lines that promotions add (cash off, cash added for a gift).
inline constexpr QStringView kMoneyGoodsCode = u"ZS001";

// The header of the order being rung up: one row of QTSaleOrder, held in memory until the
// order is saved, parked or dropped.
struct OrderHeader {
  QString OrderNo;
  QDateTime OrderDate;
  QString StoreNo;
  QString ShopNo;
  QString CashierNo;
  QString EmployeeNo;  // null until a sales assistant is chosen
  QString OnOverOrderNo;
  double Discount = 100;
  Money Amount;
  Money RealAmount;
  Money AdjustAmount;
  QString CardCode;
  Money CashAmount;
  Money CardAmount;
  QString BankCardNo;
  Money BankCardAmount;
  Money Card1Amount;
  Money BackAmount;
  int TotalFlag = 0;
  QString Memo;

  static std::span<const FieldDef<OrderHeader>> Fields();
};

// One line of the order: the columns of QTSaleOrderDetail and the goods, colour and size
// columns the sale grid shows beside them.
struct OrderLine {
  QString OrderNo;
  int SerialNo = 0;
  QString GoodsNo;
  QString ColorNo;
  QString SizeNo;
  Money OrigPrice;  // reference price; for a points gift, the points it cost
  Money Price;
  double Quantity = 0;  // negative for a returned item and for a cash-off line
  double Discount = 100;
  Money Amount;
  Money CKPrice;
  Money CKAmount;
  QString Memo;
  int PriceFlag = 0;
  QString CXOrderNo;
  int CXFlag = -1;
  int CXQty = 0;
  int GiftQty = 0;
  double AddMoney = 0;  // the promotion's third parameter: money, or a percentage

  // Display columns joined from JBGoods, JBColor and JBSize.
  QString GoodsCode;
  QString BarCode;
  QString ProduceArea;
  QString GoodsName;  // carries the price label (【促销】, 【特价】, …)
  QString Model;
  QString BaseUnit;
  Money MinSPrice;
  QString ColorCode;
  QString ColorName;
  QString SizeCode;
  QString SizeName;

  static std::span<const FieldDef<OrderLine>> Fields();
};

// The three line fields whose change makes the line recompute its amount.
enum class LineField { Quantity, Price, Discount };

// The order's lines with a current-line cursor, as the sale grid shows them. Setting the
// quantity, price or discount of a line runs the line rules: first the checks the sale screen
// hangs on them (stock warning, returns, special prices, the cashier's lowest discount), then
// Amount and CKAmount. The rules do not run again for values they write themselves, and a
// caller that must keep stored values as they are (a return copying a sold line) suspends
// them; a parked order taken back goes through them like lines being rung up.
class OrderLines {
 public:
  // The sale screen's checks: they may change the line's fields through the setters.
  using LineChecks = std::function<void(OrderLines& lines, int row, LineField changed)>;

  explicit OrderLines(int amount_point = 3) : amount_point_(amount_point) {}

  int AmountPoint() const { return amount_point_; }
  void SetAmountPoint(int decimals) { amount_point_ = decimals; }
  void SetLineChecks(LineChecks checks) { checks_ = std::move(checks); }

  int size() const { return static_cast<int>(lines_.size()); }
  bool empty() const { return lines_.empty(); }
  // Fields other than quantity, price and discount are written directly.
  OrderLine& operator[](int row) { return lines_.at(static_cast<size_t>(row)); }
  const OrderLine& operator[](int row) const { return lines_.at(static_cast<size_t>(row)); }
  auto begin() const { return lines_.cbegin(); }
  auto end() const { return lines_.cend(); }

  // The current line: -1 / nullptr when there are no lines.
  int CurrentIndex() const { return current_; }
  OrderLine* Current() { return current_ < 0 ? nullptr : &lines_[static_cast<size_t>(current_)]; }
  const OrderLine* Current() const {
    return current_ < 0 ? nullptr : &lines_[static_cast<size_t>(current_)];
  }
  void SetCurrentIndex(int row);

  // Appends a line, makes it current and runs the rules as for its quantity, price and
  // discount being set. Returns its row.
  int Append(const OrderLine& line);
  // Deletes a line; the cursor goes to the line that took its place, or to the new last one.
  void Delete(int row);
  void Clear();

  void SetQuantity(int row, double value);
  void SetPrice(int row, Money value);
  void SetDiscount(int row, double value);
  // Counts every append, delete, clear and quantity, price or discount write: whoever shows
  // the totals compares it with what it last showed instead of being told by each change.
  quint64 Revision() const { return revision_; }

  // While one exists, setting a field runs no rules.
  class SuspendRules {
   public:
    explicit SuspendRules(OrderLines& lines) : lines_(lines) { ++lines_.suspended_; }
    ~SuspendRules() { --lines_.suspended_; }
    SuspendRules(const SuspendRules&) = delete;
    SuspendRules& operator=(const SuspendRules&) = delete;

   private:
    OrderLines& lines_;
  };

 private:
  template <class V>
  void Set(int row, V OrderLine::*member, LineField field, V value);
  void RunRules(int row, LineField changed);

  std::vector<OrderLine> lines_;
  int current_ = -1;
  int amount_point_;
  LineChecks checks_;
  quint64 revision_ = 0;
  int suspended_ = 0;
  bool running_ = false;
};

// What the order adds up to: the pieces and the amount of its lines.
struct OrderTotals {
  double Quantity = 0;
  Money Amount;
};

// The order being rung up, whole: its header and lines, the next line number, and what the
// cashier attached to it (the sales assistant, the card and what the card means for this
// order's prices and points). Starting a new order starts from a new Order, so nothing of
// the last customer's card can leak into the next sale.
struct Order {
  explicit Order(int amount_point = 3) : lines(amount_point) {}

  OrderHeader header;
  OrderLines lines;
  int NextSerialNo = 1;

  // The sales assistant (guide).
  QString EmployeeNo;
  QString EmployeeCode;
  QString EmployeeName;

  // The card on the order.
  QString CardsCode;
  QString HolderName;
  int CardType = 0;  // 2 = stored-value card, 1 = any other card, 0 = none
  QString SalesType;
  double CardDiscount = 0;
  double PointTotal = 0;
  double GiftPoints = 0;  // points the gift lines of this order spend
  Money NoPointAmount;    // the part of the amount that earns no points
  int DiscountMode = 0;   // 0 none, 1 whole-order or card discount, 2 single-item discount

  OrderTotals totals;
};

}  // namespace quilmo
