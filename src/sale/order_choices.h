#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <functional>
#include <span>
#include <vector>

#include "base/money.h"
#include "sale/field_table.h"
#include "sale/order.h"

namespace quilmo {

// A parked order as the list of parked orders shows it: its header columns, the names of its
// cashier and sales assistant, and its lines with their goods, colour and size.
struct ParkedOrder {
  QString OrderNo;
  QDateTime OrderDate;
  QString CashierName;
  QString EmployeeName;
  Money Amount;
  std::vector<OrderLine> lines;

  static std::span<const FieldDef<ParkedOrder>> Fields();
};

// One sold line the return picker lists: the sale it belongs to, the line, and how much of it
// has not come back yet (sold quantity less the returns already made against it).
struct SoldLine {
  QString OrderNo;
  int SerialNo = 0;
  QDateTime OrderDate;
  QString EmployeeCode;
  QString EmployeeName;
  QString GoodsNo;
  QString GoodsCode;
  QString GoodsName;
  QString ColorNo;
  QString ColorName;
  QString SizeNo;
  QString SizeName;
  Money Price;
  double Discount = 100;
  double Quantity = 0;
  Money Amount;
  double Left = 0;  // not a column: worked out from the returns

  static std::span<const FieldDef<SoldLine>> Fields();
};

// What the return picker's boxes hold when the list is built: the two dates (whole days, both
// included) and the two fragments the cashier typed (order number, goods code).
struct ReturnSearch {
  QDate beginDate;
  QDate endDate;
  QString orderNo;
  QString goodsCode;
};

// What the return picker needs: the dates it opens with, the search behind its list and
// query button, and the test of a chosen row. The logic supplies both functions; the screen
// only shows their answers. A refused row has been explained to the cashier and the picker
// stays open.
struct ReturnPickerRequest {
  QDate beginDate;
  QDate endDate;
  std::function<std::vector<SoldLine>(const ReturnSearch&)> search;
  std::function<bool(const SoldLine&)> mayChoose;
};

// The name the sale grid shows for a line read back from a table, which holds the goods' bare
// name: the name with the label of the line's price (【促销】, 【会员价】, 【特价】, 【礼品】)
// or of a gift given by hand (【赠品】), as when the line was first rung up.
QString GoodsNameWithLabel(const QString& goodsName, int priceFlag, const QString& memo);

}  // namespace quilmo
