#pragma once

#include <QDateTime>
#include <QString>
#include <span>

#include "base/money.h"
#include "data/connection.h"
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
  // Cash that should be in the box: OnBoxAmount + SaleAmount − GetAmount + the top-ups' cash.
  Money OverAmount;
  int OverFlag = 0;  // 0 open, 1 closed
  QDateTime OverTime;

  static std::span<const FieldDef<ShiftRecord>> Fields();
};

// The cash of a stored-value top-up into the shift, in one local transaction: its
// QTShiftTopUp row and the shift's OverAmount. (Files made before top-ups were counted get the
// table here.)
void AddTopUpToShift(const Connection& local, const QString& shift_no, const QString& add_card_no,
                     const QString& cards_code, Money amount);

// The cash of a shift's top-ups.
Money ShiftTopUpAmount(const Connection& local, const QString& shift_no);

}  // namespace quilmo
