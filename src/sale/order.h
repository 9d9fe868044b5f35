#pragma once

#include <QDateTime>
#include <QString>
#include <functional>
#include <span>
#include <vector>

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
  double Amount = 0;
  double RealAmount = 0;
  double AdjustAmount = 0;
  QString CardCode;
  double CashAmount = 0;
  double CardAmount = 0;
  QString BankCardNo;
  double BankCardAmount = 0;
  double Card1Amount = 0;
  double BackAmount = 0;
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
  double OrigPrice = 0;  // reference price; for a points gift, the points it cost
  double Price = 0;
  double Quantity = 0;  // negative for a returned item and for a cash-off line
  double Discount = 100;
  double Amount = 0;
  double CKPrice = 0;
  double CKAmount = 0;
  QString Memo;
  int PriceFlag = 0;
  QString CXOrderNo;
  int CXFlag = -1;
  int CXQty = 0;
  int GiftQty = 0;
  double AddMoney = 0;

  // Display columns joined from JBGoods, JBColor and JBSize.
  QString GoodsCode;
  QString BarCode;
  QString ProduceArea;
  QString GoodsName;  // carries the price label (【促销】, 【特价】, …)
  QString Model;
  QString BaseUnit;
  double MinSPrice = 0;
  QString ColorCode;
  QString ColorName;
  QString SizeCode;
  QString SizeName;

  static std::span<const FieldDef<OrderLine>> Fields();
};

// Discount / 100 × (Price × Quantity), worked out in extended precision and rounded to
// `decimals` places: 19.99 × 3 at 85 % is 50.97 with two places and 51 with none.
double LineAmount(double price, double quantity, double discount, int decimals);

// Rounds to `decimals` places on the decimal value of the number, halves away from zero, as
// the amount text the till has always printed: 50.9745 to three places is 50.975 even though
// the nearest double lies a hair below the half.
double RoundAmount(double value, int decimals);

// The three line fields whose change makes the line recompute its amount.
enum class LineField { Quantity, Price, Discount };

// The order's lines with a current-line cursor, as the sale grid shows them. Setting the
// quantity, price or discount of a line runs the line rules: first the checks the sale screen
// hangs on them (stock warning, returns, special prices, the cashier's lowest discount), then
// Amount and CKAmount. The rules do not run again for values they write themselves, and a
// caller that restores stored lines (a parked order) suspends them.
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
  void SetPrice(int row, double value);
  void SetDiscount(int row, double value);
  // Copy by column name (case does not matter); quantity, price and discount go through the
  // rules. False for a name that is not a column.
  bool SetField(int row, QAnyStringView name, const QVariant& value);
  QVariant Field(int row, QAnyStringView name) const;

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
  void Set(int row, double OrderLine::*member, LineField field, double value);
  void RunRules(int row, LineField changed);

  std::vector<OrderLine> lines_;
  int current_ = -1;
  int amount_point_;
  LineChecks checks_;
  int suspended_ = 0;
  bool running_ = false;
};

}  // namespace quilmo
