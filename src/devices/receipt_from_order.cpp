#include "devices/receipt_from_order.h"

namespace quilmo {

ReceiptData ReceiptFromOrder(const OrderHeader& header, const OrderLines& lines,
                             const PosSession& session) {
  ReceiptData r;
  r.OrderNo = header.OrderNo;
  r.OrderDate = header.OrderDate;
  r.RealAmount = Money::FromDouble(header.RealAmount);
  r.BackAmount = Money::FromDouble(header.BackAmount);
  r.CardCode = header.CardCode;
  r.CashAmount = Money::FromDouble(header.CashAmount);
  r.CardAmount = Money::FromDouble(header.CardAmount);
  for (const OrderLine& l : lines) {
    r.Lines.push_back({l.GoodsCode, l.BarCode, l.GoodsName, l.ColorName, l.SizeName,
                       Money::FromDouble(l.Price), l.Quantity, l.Discount,
                       Money::FromDouble(l.Amount)});
  }
  r.ShopCode = session.ShopCode;
  r.ShopName = session.ShopName;
  r.StoreName = session.StoreName;
  r.CashierCode = session.CashierCode;
  r.CashierName = session.CashierName;
  r.EmployeeCode = session.EmployeeCode;
  r.EmployeeName = session.EmployeeName;
  r.CardsCode = session.CardsCode;
  r.HolderName = session.HolderName;
  r.PointTotal = session.PointTotal;
  return r;
}

}  // namespace quilmo
