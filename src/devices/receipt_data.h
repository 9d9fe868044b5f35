#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

#include "base/money.h"

namespace quilmo {

// One line of a receipt.
struct ReceiptLine {
  QString GoodsCode;
  QString BarCode;
  QString GoodsName;
  QString ColorName;
  QString SizeName;
  Money Price;
  double Quantity = 0;
  double Discount = 100;  // percent of the full price; 100 = none
  Money Amount;           // after the discount
};

// Everything a receipt prints, as plain values: the order's header figures, its lines, and who
// sold it. The checkout fills it from the order (ReceiptFromOrder) once the sale is saved;
// the receipt never reads the order or the session itself.
struct ReceiptData {
  // The order.
  QString OrderNo;
  QDateTime OrderDate;
  Money RealAmount;  // due
  Money BackAmount;  // change given
  QString CardCode;  // the stored-value card that paid a part; empty when none
  Money CashAmount;
  Money CardAmount;
  std::vector<ReceiptLine> Lines;

  // The shop and the people.
  QString ShopCode;
  QString ShopName;
  QString StoreName;
  QString CashierCode;
  QString CashierName;
  QString EmployeeCode;  // the sales assistant
  QString EmployeeName;
  QString CardsCode;  // the membership card of the sale; empty when none
  QString HolderName;
  double PointTotal = 0;

  // Paid by the customer: due plus change.
  Money Received() const { return RealAmount + BackAmount; }
  // What the lines were given off their full price: Σ quantity × price − amount.
  Money DiscountTotal() const;

  // A self-contained text form, kept with a printed receipt so that it can be printed again.
  QByteArray ToJson() const;
  static std::optional<ReceiptData> FromJson(const QByteArray& json);
};

// A number as the receipts print it: the shortest form, no thousands separator (12.5, 100,
// 0.35), at most 15 significant digits.
QString GeneralNumber(double value);
inline QString GeneralNumber(Money value) { return value.ShortText(); }

}  // namespace quilmo
