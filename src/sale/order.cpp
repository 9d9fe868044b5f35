#include "sale/order.h"

#include <algorithm>
#include <array>

namespace quilmo {

std::span<const FieldDef<OrderHeader>> OrderHeader::Fields() {
  using H = OrderHeader;
  static const std::array kFields{
      Column("OrderNo", &H::OrderNo),
      Column("OrderDate", &H::OrderDate),
      Column("StoreNo", &H::StoreNo),
      Column("ShopNo", &H::ShopNo),
      Column("CashierNo", &H::CashierNo),
      Column("EmployeeNo", &H::EmployeeNo),
      Column("OnOverOrderNo", &H::OnOverOrderNo),
      Column("Discount", &H::Discount),
      Column("Amount", &H::Amount),
      Column("RealAmount", &H::RealAmount),
      Column("AdjustAmount", &H::AdjustAmount),
      Column("CardCode", &H::CardCode),
      Column("CashAmount", &H::CashAmount),
      Column("CardAmount", &H::CardAmount),
      Column("BankCardNo", &H::BankCardNo),
      Column("BankCardAmount", &H::BankCardAmount),
      Column("Card1Amount", &H::Card1Amount),
      Column("BackAmount", &H::BackAmount),
      Column("TotalFlag", &H::TotalFlag),
      Column("Memo", &H::Memo),
  };
  return kFields;
}

std::span<const FieldDef<OrderLine>> OrderLine::Fields() {
  using L = OrderLine;
  constexpr bool kDisplay = false;
  static const std::array kFields{
      Column("OrderNo", &L::OrderNo),
      Column("SerialNo", &L::SerialNo),
      Column("GoodsNo", &L::GoodsNo),
      Column("ColorNo", &L::ColorNo),
      Column("SizeNo", &L::SizeNo),
      Column("OrigPrice", &L::OrigPrice),
      Column("Price", &L::Price),
      Column("Quantity", &L::Quantity),
      Column("Discount", &L::Discount),
      Column("Amount", &L::Amount),
      Column("CKPrice", &L::CKPrice),
      Column("CKAmount", &L::CKAmount),
      Column("Memo", &L::Memo),
      Column("PriceFlag", &L::PriceFlag),
      Column("CXOrderNo", &L::CXOrderNo),
      Column("CXFlag", &L::CXFlag),
      Column("CXQty", &L::CXQty),
      Column("GiftQty", &L::GiftQty),
      Column("AddMoney", &L::AddMoney),
      Column("GoodsCode", &L::GoodsCode, kDisplay),
      Column("BarCode", &L::BarCode, kDisplay),
      Column("ProduceArea", &L::ProduceArea, kDisplay),
      Column("GoodsName", &L::GoodsName, kDisplay),
      Column("Model", &L::Model, kDisplay),
      Column("BaseUnit", &L::BaseUnit, kDisplay),
      Column("MinSPrice", &L::MinSPrice, kDisplay),
      Column("ColorCode", &L::ColorCode, kDisplay),
      Column("ColorName", &L::ColorName, kDisplay),
      Column("SizeCode", &L::SizeCode, kDisplay),
      Column("SizeName", &L::SizeName, kDisplay),
  };
  return kFields;
}

void OrderLines::SetCurrentIndex(int row) {
  if (lines_.empty()) {
    current_ = -1;
    return;
  }
  current_ = std::clamp(row, 0, size() - 1);
}

int OrderLines::Append(const OrderLine& line) {
  lines_.push_back(line);
  ++revision_;
  current_ = size() - 1;
  const int row = current_;
  RunRules(row, LineField::Quantity);
  RunRules(row, LineField::Price);
  RunRules(row, LineField::Discount);
  return row;
}

void OrderLines::Delete(int row) {
  if (row < 0 || row >= size()) return;
  lines_.erase(lines_.begin() + row);
  ++revision_;
  if (lines_.empty()) {
    current_ = -1;
  } else if (current_ >= size()) {
    current_ = size() - 1;
  } else if (current_ > row) {
    --current_;
  }
}

void OrderLines::Clear() {
  lines_.clear();
  ++revision_;
  current_ = -1;
}

void OrderLines::SetQuantity(int row, double value) {
  Set(row, &OrderLine::Quantity, LineField::Quantity, value);
}
void OrderLines::SetPrice(int row, Money value) {
  Set(row, &OrderLine::Price, LineField::Price, value);
}
void OrderLines::SetDiscount(int row, double value) {
  Set(row, &OrderLine::Discount, LineField::Discount, value);
}

template <class V>
void OrderLines::Set(int row, V OrderLine::*member, LineField field, V value) {
  (*this)[row].*member = value;
  ++revision_;
  RunRules(row, field);
}

void OrderLines::RunRules(int row, LineField changed) {
  // The rules write the fields they watch; those writes must not start them again.
  if (suspended_ > 0 || running_) return;
  running_ = true;
  struct Done {
    bool& running;
    ~Done() { running = false; }
  } done{running_};
  if (checks_) checks_(*this, row, changed);
  if (row >= size()) return;
  OrderLine& line = (*this)[row];
  line.Amount = LineAmount(line.Price, line.Quantity, line.Discount, amount_point_);
  line.CKAmount = line.CKPrice.Times(line.Quantity);
}

}  // namespace quilmo
