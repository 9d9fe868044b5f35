#include "sale/shift_record.h"

#include <array>

namespace quilmo {

std::span<const FieldDef<ShiftRecord>> ShiftRecord::Fields() {
  using S = ShiftRecord;
  static const std::array kFields{
      Column("OrderNo", &S::OrderNo),         Column("ShopNo", &S::ShopNo),
      Column("CashierNo", &S::CashierNo),     Column("OnTime", &S::OnTime),
      Column("OnBoxAmount", &S::OnBoxAmount), Column("SaleAmount", &S::SaleAmount),
      Column("GetAmount", &S::GetAmount),     Column("OverAmount", &S::OverAmount),
      Column("OverFlag", &S::OverFlag),       Column("OverTime", &S::OverTime),
  };
  return kFields;
}

}  // namespace quilmo
