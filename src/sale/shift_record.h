#pragma once

#include <QDateTime>
#include <QString>
#include <span>

#include "base/money.h"
#include "sale/field_table.h"

namespace quilmo {

// One cashier shift: a row of QTOnOverOrder. It lives in the local file in both modes and
// reaches the server with the upload once it is closed.
struct ShiftRecord {
  QString OrderNo;
  QString ShopNo;
  QString CashierNo;
  QDateTime OnTime;
  Money OnBoxAmount;
  Money SaleAmount;  // cash taken in sales
  Money GetAmount;   // cash withdrawn
  Money OverAmount;  // cash that should be in the box: OnBoxAmount + SaleAmount − GetAmount
  int OverFlag = 0;  // 0 open, 1 closed
  QDateTime OverTime;

  static std::span<const FieldDef<ShiftRecord>> Fields();
};

}  // namespace quilmo
