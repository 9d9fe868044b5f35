#include "sale/order.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

double RoundAmount(double value, int decimals) {
  if (!std::isfinite(value) || value == 0) return value;
  if (decimals < 0) decimals = 0;
  // Fifteen significant digits are what a double holds for sure; the digits beyond are the
  // noise of binary arithmetic (50.97449999999999…) and must not decide a half.
  constexpr int kDigits = 15;
  char text[32];
  std::snprintf(text, sizeof text, "%.*e", kDigits - 1, std::fabs(value));
  const int exponent = std::atoi(std::strchr(text, 'e') + 1);
  char digits[kDigits];
  digits[0] = text[0];
  for (int i = 1; i < kDigits; ++i) digits[i] = text[i + 1];  // skip the decimal point

  // Digit i weighs 10^(exponent - i); the kept ones weigh at least 10^-decimals.
  const int keep = exponent + decimals + 1;
  if (keep >= kDigits) return value;
  if (keep < 0) return 0.0;
  long long kept = 0;
  for (int i = 0; i < keep; ++i) kept = kept * 10 + (digits[i] - '0');
  if (digits[keep] >= '5') ++kept;
  // Back through decimal text, so the result is the double nearest to the rounded decimal.
  char rounded[48];
  std::snprintf(rounded, sizeof rounded, "%llde-%d", kept, decimals);
  const double magnitude = std::strtod(rounded, nullptr);
  return value < 0 ? -magnitude : magnitude;
}

double LineAmount(double price, double quantity, double discount, int decimals) {
  const long double exact = static_cast<long double>(discount) / 100.0L *
                            (static_cast<long double>(price) * static_cast<long double>(quantity));
  return RoundAmount(static_cast<double>(exact), decimals);
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
  current_ = -1;
}

void OrderLines::SetQuantity(int row, double value) {
  Set(row, &OrderLine::Quantity, LineField::Quantity, value);
}
void OrderLines::SetPrice(int row, double value) {
  Set(row, &OrderLine::Price, LineField::Price, value);
}
void OrderLines::SetDiscount(int row, double value) {
  Set(row, &OrderLine::Discount, LineField::Discount, value);
}

void OrderLines::Set(int row, double OrderLine::*member, LineField field, double value) {
  (*this)[row].*member = value;
  RunRules(row, field);
}

bool OrderLines::SetField(int row, QAnyStringView name, const QVariant& value) {
  const FieldDef<OrderLine>* f = FindField<OrderLine>(name);
  if (!f) return false;
  const double number = value.isNull() ? 0.0 : value.toDouble();
  if (f->member == FieldDef<OrderLine>::Member(&OrderLine::Quantity)) {
    SetQuantity(row, number);
  } else if (f->member == FieldDef<OrderLine>::Member(&OrderLine::Price)) {
    SetPrice(row, number);
  } else if (f->member == FieldDef<OrderLine>::Member(&OrderLine::Discount)) {
    SetDiscount(row, number);
  } else {
    quilmo::SetField((*this)[row], *f, value);
  }
  return true;
}

QVariant OrderLines::Field(int row, QAnyStringView name) const {
  const FieldDef<OrderLine>* f = FindField<OrderLine>(name);
  return f ? GetField((*this)[row], *f) : QVariant();
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
  line.CKAmount = line.CKPrice * line.Quantity;
}

}  // namespace quilmo
