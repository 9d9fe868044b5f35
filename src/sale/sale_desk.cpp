#include "sale/sale_desk.h"

#include <QDebug>
#include <cmath>

#include "base/error.h"
#include "base/input_rules.h"
#include "data/rights.h"
#include "sale/order_saving.h"
#include "sale/pricing.h"
#include "sale/promotions.h"
#include "sale/returns.h"

namespace quilmo {
namespace {

const QString kGiftMark = QStringLiteral("【礼品】");

bool IsGiftLine(const OrderLine& line) { return line.Memo.trimmed() == kGiftMark; }

QString LowestDiscountRefusal(double rate) {
  return QStringLiteral("对不起，您的折扣率权限不够，最低折扣只能") + NumberText(rate) +
         QStringLiteral("%！");
}

// The cashier's lowest discount applies unless it is 0 or 100 (no limit).
bool HasLowestDiscount(double rate) { return rate != 0 && rate != 100; }

}  // namespace

std::optional<Employee> FindEmployee(TDMFM& dm, EmployeeColumn column, const QString& value) {
  const QString sql = column == EmployeeColumn::EmployeeCode
                          ? QStringLiteral(
                                "SELECT EmployeeNo, EmployeeCode, EmployeeName FROM JBEmployee "
                                "WHERE COALESCE(Stopflag, 0) <> 1 AND QTEmployeeFlag = 1 "
                                "AND EmployeeCode = :Value")
                          : QStringLiteral(
                                "SELECT EmployeeNo, EmployeeCode, EmployeeName FROM JBEmployee "
                                "WHERE COALESCE(Stopflag, 0) <> 1 AND QTEmployeeFlag = 1 "
                                "AND EmployeeNo = :Value");
  const QSqlRecord row = dm.Current().FirstRow(sql, {{QStringLiteral(":Value"), value}});
  if (row.isEmpty()) return std::nullopt;
  return Employee{row.value(0).toString(), row.value(1).toString(), row.value(2).toString()};
}

SaleDesk::SaleDesk(SaleContext& sale) : sale_(sale), order_(sale.session().AmountPoint) {
  order_.lines.SetLineChecks(
      [this](OrderLines& lines, int row, LineField changed) { LineChecks(lines, row, changed); });
}

// ---- The order's life ----

bool SaleDesk::Open() {
  if (!CheckRight(Right::Sell)) return false;
  if (!StartNewOrder()) return false;
  order_.NextSerialNo = 1;
  returnToGoods = true;
  order_.DiscountMode = 0;
  return true;
}

bool SaleDesk::StartNewOrder() {
  const QString number = sale_.dm.NextBillNo(QStringLiteral("SaleOrder"));
  if (number.isEmpty()) {
    ui().ShowNoticeBox(QStringLiteral("取单号失败！"));
    return false;
  }
  const PosSession& s = session();
  // A new Order, so nothing of the last customer's card or guide stays; the lines and the
  // line counter are the callers' (they drop the lines first, ResetEntry numbers from 1).
  Order next(s.AmountPoint);
  next.lines = std::move(order_.lines);
  next.lines.SetAmountPoint(s.AmountPoint);
  next.NextSerialNo = order_.NextSerialNo;
  next.totals = order_.totals;
  OrderHeader& h = next.header;
  h.OrderNo = number;
  h.OrderDate = sale_.dm.ServerNow();
  h.StoreNo = s.StoreNo;
  h.ShopNo = s.ShopNo;
  h.CashierNo = s.CashierNo;
  h.OnOverOrderNo = s.OnOverOrderNo;
  h.Discount = 100;
  next.CardDiscount = 100;
  next.DiscountMode = 0;
  order_ = std::move(next);
  whole_order_discount_.reset();
  return true;
}

void SaleDesk::DropLines() { order_.lines.Clear(); }

OrderTotals SaleDesk::Recalc() { return RecalcOrder(sale_, order_); }

// ---- The entry edits ----

namespace {

// The reader's value, or the refusal: the edit's own words for a text that is no number, the
// reader's for one beyond the field's bounds.
std::optional<Money> ReadEntry(const QString& text, NumberField field, const QString& no_number,
                               QString& refusal) {
  const TypedNumber typed = ReadTypedNumber(text, field);
  if (typed) return typed.value;
  refusal = typed.noNumber() ? no_number : typed.message;
  return std::nullopt;
}

}  // namespace

std::optional<double> SaleDesk::ReadQuantity(const QString& text, QString& refusal) {
  const std::optional<Money> value =
      ReadEntry(text, NumberField::Quantity, QStringLiteral("您输入的不是数字类型！"), refusal);
  if (!value) return std::nullopt;
  if (value->IsZero()) {
    refusal = QStringLiteral("输入数量不能为0！");
    return std::nullopt;
  }
  return value->ToDouble();
}

std::optional<Money> SaleDesk::ReadPrice(const QString& text, QString& refusal) {
  const std::optional<Money> value =
      ReadEntry(text, NumberField::Price, QStringLiteral("您输入的单价不是数字类型！"), refusal);
  if (value && *value < 0) {
    // A refund is a negative quantity, which needs the returns right; a negative price
    // would get round it.
    refusal = QStringLiteral("单价不能为负数！");
    return std::nullopt;
  }
  return value;
}

std::optional<double> SaleDesk::ReadDiscount(const QString& text, QString& refusal) {
  const std::optional<Money> value =
      ReadEntry(text, NumberField::Discount, QStringLiteral("您输入的折扣非数字类型！"), refusal);
  if (!value) return std::nullopt;
  return value->ToDouble();
}

bool SaleDesk::DiscountNeedsRight(double value) const {
  if (value == 100) return false;
  if (whole_order_discount_ && *whole_order_discount_ == value) return false;
  return !(order_.DiscountMode == 1 && !order_.CardsCode.isEmpty() && order_.CardDiscount == value);
}

EntryCheck SaleDesk::CheckQuantity(const QString& text) {
  QString refusal;
  if (const std::optional<double> value = ReadQuantity(text, refusal)) {
    if (*value > 0 || HasRight(Right::Returns)) return {};
    refusal = NoRightQuantityReturn();
  }
  ui().ShowNoticeBox(refusal);
  returnToGoods = false;
  return {false, QStringLiteral("1")};
}

EntryCheck SaleDesk::CheckPrice(const QString& text) {
  if (text.trimmed().isEmpty()) return {};
  QString refusal;
  if (ReadPrice(text, refusal)) {
    if (HasRight(Right::ChangePrice)) return {};
    refusal = RightRefusal(Right::ChangePrice);
  }
  ui().MessageBox(QStringLiteral("提示"), refusal, MsgIcon::Question, MsgButtons::Ok);
  returnToGoods = false;
  return {false, QString()};
}

EntryCheck SaleDesk::CheckDiscount(const QString& text) {
  QString refusal;
  const std::optional<double> value = ReadDiscount(text, refusal);
  if (value && DiscountNeedsRight(*value) && !HasRight(Right::Discount)) {
    refusal = RightRefusal(Right::Discount);
  }
  if (!refusal.isEmpty()) {
    ui().MessageBox(QStringLiteral("提示"), refusal, MsgIcon::Question, MsgButtons::Ok);
    returnToGoods = false;
    return {false, QStringLiteral("100")};
  }
  const double rate = session().PremiumRate;
  if (HasLowestDiscount(rate) && *value < rate) {
    ui().ShowNoticeBox(LowestDiscountRefusal(rate));
    return {false, NumberText(rate), false};
  }
  return {};
}

bool SaleDesk::ConfirmDiscount(const QString& text) {
  const TypedNumber typed = ReadTypedNumber(text, NumberField::Discount);
  if (!typed || order_.DiscountMode != 0 || typed.number() >= 100) return false;
  const double value = typed.number();
  switch (discountTarget) {
    case DiscountTarget::SingleLine:
      order_.DiscountMode = 2;
      return false;
    case DiscountTarget::WholeOrder:
      SetLinesDiscount(order_, QString(), value);
      order_.DiscountMode = 1;
      whole_order_discount_ = value;
      return true;
    case DiscountTarget::NextGoods:
      return false;
  }
  return false;
}

std::optional<AddResult> SaleDesk::EnterGoods(const EntryTexts& entry) {
  const QString code = entry.goods.trimmed();
  if (code.isEmpty()) return std::nullopt;
  if (session().HasGuid && order_.EmployeeNo.isEmpty()) {
    ui().ShowNoticeBox(QStringLiteral("请选择导购员!"));
    return std::nullopt;
  }
  // The edits were checked when they were left, but the goods are priced from what they
  // hold now: the same checks again, so no focus path can bring in a value or a change that
  // the cashier's rights or the bounds refuse.
  QString refusal;
  const std::optional<double> quantity = ReadQuantity(entry.quantity, refusal);
  if (!quantity) throw Error(refusal);
  if (*quantity < 0 && !HasRight(Right::Returns)) throw Error(NoRightQuantityReturn());
  const std::optional<double> discount = ReadDiscount(entry.discount, refusal);
  if (!discount) throw Error(refusal);
  if (DiscountNeedsRight(*discount) && !HasRight(Right::Discount)) {
    throw Error(RightRefusal(Right::Discount));
  }
  Money price;
  if (!entry.price.trimmed().isEmpty()) {
    const std::optional<Money> typed = ReadPrice(entry.price, refusal);
    if (!typed) throw Error(refusal);
    if (!HasRight(Right::ChangePrice)) throw Error(RightRefusal(Right::ChangePrice));
    price = *typed;
  }
  Scan scan;
  scan.code = code;
  scan.price = price;
  scan.quantity = *quantity;
  scan.discount = *discount;
  return FindAndAddGoods(sale_, order_, scan);
}

QString SaleDesk::DiscountAfterEntry() const {
  return order_.DiscountMode == 1 ? QString() : QStringLiteral("100");
}

// ---- Keys ----

bool SaleDesk::HasRight(Right right) {
  return quilmo::HasRight(sale_.dm, session().CashierNo, right);
}

bool SaleDesk::CheckRight(Right right) { return quilmo::CheckRight(sale_.dm, ui(), right); }

bool SaleDesk::CheckRight(Right right, const QString& refusal) {
  return quilmo::CheckRight(sale_.dm, ui(), right, refusal);
}

bool SaleDesk::ChooseGuide() {
  const QString employee_no = ui().SelectEmployee([this](const QString& code) -> QString {
    const std::optional<Employee> found =
        FindEmployee(sale_.dm, EmployeeColumn::EmployeeCode, code);
    if (!found) {
      ui().ShowNoticeBox(QStringLiteral("你输入的导购员不存在！"));
      return {};
    }
    return found->EmployeeNo;
  });
  if (employee_no.isEmpty()) return false;
  const std::optional<Employee> guide =
      FindEmployee(sale_.dm, EmployeeColumn::EmployeeNo, employee_no);
  if (!guide) return false;
  order_.header.EmployeeNo = guide->EmployeeNo;
  order_.EmployeeNo = guide->EmployeeNo;
  order_.EmployeeCode = guide->EmployeeCode;
  order_.EmployeeName = guide->EmployeeName;
  return true;
}

bool SaleDesk::MayDiscountWholeOrder() {
  if (order_.DiscountMode != 0) {
    ui().ShowNoticeBox(QStringLiteral("现在是单商品折扣状态，不能进行整单折扣 ！"));
    return false;
  }
  return CheckRight(Right::Discount);
}

bool SaleDesk::MayDiscountSingleGoods() {
  if (order_.DiscountMode == 1) {
    ui().ShowNoticeBox(QStringLiteral("整单折扣或会员折扣时不能进行单个商品的折扣！"));
    return false;
  }
  return CheckRight(Right::Discount);
}

bool SaleDesk::MayChangePrice() { return CheckRight(Right::ChangePrice); }

bool SaleDesk::MayEnterDiscount() { return CheckRight(Right::Discount); }

bool SaleDesk::MakeGift() {
  OrderLines& lines = order_.lines;
  if (lines.empty()) return false;
  const OrderLine& current = *lines.Current();
  // Only goods the customer picked can be given away: a promotion's money line or what it
  // gave is not the cashier's to change.
  if (current.GoodsCode == kMoneyGoodsCode || current.CXFlag == kGivenLine) return false;
  if (!CheckRight(Right::Gift)) return false;
  const int row = lines.CurrentIndex();
  lines[row].GoodsName += QStringLiteral("【赠品】");
  lines[row].Memo = QStringLiteral("【赠品】");
  lines.SetPrice(row, Money());
  return true;
}

void SaleDesk::NegateCurrentLine() {
  OrderLines& lines = order_.lines;
  const OrderLine* line = lines.Current();
  if (!line || line->GoodsCode == kMoneyGoodsCode || line->Quantity <= 0) return;
  lines.SetQuantity(lines.CurrentIndex(), -line->Quantity);
}

bool SaleDesk::DeleteCurrentLine() {
  OrderLines& lines = order_.lines;
  const OrderLine* line = lines.Current();
  if (!line) return false;
  if (IsPointsGift(*line)) {
    // The points the gift cost come back; a gift given for added cash cost none.
    order_.GiftPoints =
        std::max(0.0, order_.GiftPoints - line->OrigPrice.ToDouble() * line->Quantity);
  }
  lines.Delete(lines.CurrentIndex());
  return true;
}

bool SaleDesk::MayChooseCard() {
  if (order_.lines.empty()) return true;
  ui().ShowNoticeBox(
      QStringLiteral("会员/储值卡的消费必须在开单之前！\r\n"
                     " 请在删除当前所有记录再选择会员/储值卡"));
  return false;
}

bool SaleDesk::MayCheckout() {
  if (!order_.lines.empty()) return true;
  ui().ShowNoticeBox(QStringLiteral("空单不能收款！"));
  return false;
}

// ---- The grid ----

void SaleDesk::SetEditable(std::initializer_list<GridColumn> columns, bool editable) {
  for (GridColumn c : columns) editable_[static_cast<size_t>(c)] = editable;
}

GridEdit SaleDesk::EnterGridEdit(GridEditKey key) {
  const OrderLine* line = order_.lines.Current();
  if (!line) return {};
  returnToGoods = false;
  using C = GridColumn;
  const bool quantity_line = line->CXFlag != kGivenLine && !IsGiftLine(*line);
  const bool plain_line = line->CXFlag == kNoPromotion;
  switch (key) {
    case GridEditKey::Up:
      if (!quantity_line) return {};
      SetEditable({C::Quantity}, true);
      SetEditable({C::SerialNo, C::GoodsCode, C::BarCode, C::GoodsName, C::BaseUnit, C::Amount,
                   C::OrigPrice, C::ColorName, C::SizeName, C::Price, C::Discount, C::Memo},
                  false);
      return {true, C::Quantity};
    case GridEditKey::Right:
      if (!plain_line) return {};
      SetEditable({C::Quantity}, true);
      SetEditable({C::SerialNo, C::GoodsCode, C::BarCode, C::GoodsName, C::BaseUnit, C::Amount,
                   C::OrigPrice, C::Discount, C::ColorName, C::SizeName, C::Memo},
                  false);
      SetEditable({C::Price}, HasRight(Right::ChangePrice));
      return {true, C::Price};
    case GridEditKey::Down:
      if (!plain_line) return {};
      SetEditable({C::Quantity}, true);
      SetEditable({C::SerialNo, C::GoodsCode, C::BarCode, C::GoodsName, C::BaseUnit, C::Amount,
                   C::OrigPrice, C::Price, C::ColorName, C::SizeName, C::Memo},
                  false);
      SetEditable({C::Discount}, HasRight(Right::Discount));
      return {true, C::Discount};
    case GridEditKey::CtrlB:
      if (!quantity_line) return {};
      SetEditable({C::Quantity}, true);
      SetEditable({C::SerialNo, C::GoodsCode, C::BarCode, C::GoodsName, C::ColorName, C::SizeName,
                   C::BaseUnit, C::OrigPrice, C::Amount, C::Model, C::Price, C::Discount, C::Memo},
                  false);
      return {true, std::nullopt};  // the cursor stays in its column
    case GridEditKey::CtrlN:
      if (!plain_line) return {};
      SetEditable({C::Memo}, true);
      SetEditable({C::SerialNo, C::GoodsCode, C::BarCode, C::GoodsName, C::BaseUnit, C::Quantity,
                   C::Amount, C::OrigPrice, C::Price, C::ColorName, C::SizeName},
                  false);
      return {true, C::Memo};
  }
  return {};
}

void SaleDesk::GridPriceKey() {
  const bool allowed = CheckRight(Right::ChangePrice, NoRightGridPrice());
  SetEditable({GridColumn::Price}, allowed);
}

void SaleDesk::GridDiscountKey() {
  const bool allowed = CheckRight(Right::Discount, NoRightGridDiscount());
  SetEditable({GridColumn::Discount}, allowed);
}

void SaleDesk::CloseGrid() { editable_.fill(false); }

QString SaleDesk::GiftEditRefusal(int row, GridColumn column) const {
  if (row < 0 || row >= order_.lines.size()) return {};
  const OrderLine& line = order_.lines[row];
  const bool gift = IsGiftLine(line);
  switch (column) {
    case GridColumn::Quantity:
      if (line.CXFlag == kGivenLine || gift) return QStringLiteral("赠送商品不能修改数量！");
      break;
    case GridColumn::Memo:
      if (gift) return QStringLiteral("赠送商品不能修改备注！");
      break;
    case GridColumn::Price:
      if (gift) return QStringLiteral("赠送商品不能修改价格！");
      break;
    default:
      break;
  }
  return {};
}

bool SaleDesk::SetCell(int row, GridColumn column, const QString& text) {
  OrderLines& lines = order_.lines;
  if (row < 0 || row >= lines.size()) return false;
  auto refuse = [this] {
    ui().MessageBox(QString(), QStringLiteral("错误"), MsgIcon::Error, MsgButtons::Ok);
    return false;
  };
  auto tell = [this](const QString& refusal) {
    ui().ShowNoticeBox(refusal);
    return false;
  };
  // A double click opens a cell as well as a key does: the line's kind is checked here.
  if (const QString gift = GiftEditRefusal(row, column); !gift.isEmpty()) return tell(gift);
  const bool plain_line = lines[row].CXFlag == kNoPromotion;
  QString refusal;
  switch (column) {
    case GridColumn::Quantity: {
      if (ReadTypedNumber(text, NumberField::Quantity).noNumber()) return refuse();
      const std::optional<double> value = ReadQuantity(text, refusal);
      if (!value) return tell(refusal);
      // A negative quantity meets the returns right in the line rules, as every way in does.
      lines.SetQuantity(row, *value);
      return true;
    }
    case GridColumn::Price: {
      if (ReadTypedNumber(text, NumberField::Price).noNumber()) return refuse();
      if (!plain_line) return tell(QStringLiteral("促销商品不能修改价格！"));
      const std::optional<Money> value = ReadPrice(text, refusal);
      if (!value) return tell(refusal);
      if (!CheckRight(Right::ChangePrice, NoRightGridPrice())) return false;
      lines.SetPrice(row, *value);
      return true;
    }
    case GridColumn::Discount: {
      if (ReadTypedNumber(text, NumberField::Discount).noNumber()) return refuse();
      if (!plain_line) return tell(QStringLiteral("促销商品不能修改折扣！"));
      const std::optional<double> value = ReadDiscount(text, refusal);
      if (!value) return tell(refusal);
      if (!CheckRight(Right::Discount, NoRightGridDiscount())) return false;
      lines.SetDiscount(row, *value);
      return true;
    }
    case GridColumn::Memo:
      // As long as the column of QTSaleOrderDetail, so the order can still be saved, and
      // without control characters, which no statement may carry.
      lines[row].Memo = WithoutControlChars(text).left(200);
      return true;
    default:
      return false;
  }
}

// ---- The line rules ----

void SaleDesk::LineChecks(OrderLines& lines, int row, LineField changed) {
  OrderLine& line = lines[row];
  const PosSession& s = session();
  if (changed == LineField::Quantity) {
    // However the quantity grew (a scan merged into the line, a copied line), it stays within
    // what a person may type: the line is cut to the bound and the cashier is told.
    const double most = BoundsOf(NumberField::Quantity).highest.ToDouble();
    if (std::abs(line.Quantity) > most) {
      ui().ShowNoticeBox(AboveLimitText(NumberField::Quantity));
      lines.SetQuantity(row, line.Quantity < 0 ? -most : most);
      return;
    }
    // A warning only: the sale goes on.
    if (s.IsOnline && s.LowMinStock &&
        GetStoreStock(sale_.dm, line.GoodsNo, line.ColorNo, line.SizeNo) - line.Quantity < 0) {
      ui().ShowNoticeBox(QStringLiteral("销售该商品可能导致库存为负！"));
    }
    if (line.Quantity <= 0 && line.GoodsCode != kMoneyGoodsCode) {
      if (!HasRight(Right::Returns)) {
        ui().ShowNoticeBox(RightRefusal(Right::Returns));
        lines.SetQuantity(row, 1);
      }
      if (s.BackFlag && lines[row].Quantity < 0 &&
          !lines[row].Memo.contains(QStringLiteral("退：")) && returnForLine) {
        returnForLine(*this, row);
      }
      // A return against an earlier sale never takes back more than is left of it, however
      // its quantity was changed (the grid, Up, Ctrl+B, a copied line).
      LimitReturnQuantity(sale_, lines, row);
    }
    return;
  }
  if (changed != LineField::Discount) return;
  // A special price is net: it takes no discount. Setting it back to none needs no word.
  if (line.Memo.trimmed() == QStringLiteral("【特价】")) {
    if (line.Discount != 100) {
      ui().ShowNoticeBox(QStringLiteral("特价商品不允许打折！"));
      lines.SetDiscount(row, 100);
    }
    return;
  }
  const double rate = s.PremiumRate;
  if (ColumnEditable(GridColumn::Discount) && HasLowestDiscount(rate) && line.Discount < rate) {
    ui().ShowNoticeBox(LowestDiscountRefusal(rate));
    lines.SetDiscount(row, rate);
  }
}

// ---- Failures ----

FailureOutcome SaleDesk::HandleFailure(const std::exception& error) {
  const auto* ours = dynamic_cast<const Error*>(&error);
  const QString text = ours ? ours->message() : QString::fromUtf8(error.what());
  PosSession& s = session();
  TDMFM& dm = sale_.dm;
  // Only a failed statement can mean a lost server, and only online.
  if (!s.IsOnline || !dynamic_cast<const DbError*>(&error) || dm.ServerAlive(dm.conServer)) {
    qWarning().noquote() << "sale screen:" << (s.IsOnline ? "online:" : "offline:") << text;
    ReportError(ui(), error);
    return FailureOutcome::Reported;
  }
  qWarning().noquote() << "sale screen: the server does not answer:" << text;
  ServerAddress address = dm.conServer.serverAddress();
  address.connect_timeout_s = reconnect_limit_s_;
  const QString database = dm.conServer.databaseName();
  QString reason;
  if (dm.conServer.OpenServer(address, database, &reason)) {
    // The connection is back, but what failed did not happen: the cashier must know.
    ReportError(ui(), error);
    return FailureOutcome::Reconnected;
  }
  qWarning().noquote() << "sale screen: reconnecting failed:" << reason;
  ui().MessageBox(QStringLiteral("提示"),
                  QStringLiteral("网络故障！系统自动切换到『断网销售』模式。"),
                  MsgIcon::Information, MsgButtons::Ok);
  // Going offline needs nothing of the server: the order is in memory and sells on.
  s.IsOnline = false;
  return FailureOutcome::SwitchedOffline;
}

}  // namespace quilmo
