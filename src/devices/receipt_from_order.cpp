#include "devices/receipt_from_order.h"

namespace quilmo {

ReceiptData ReceiptFromOrder(const Order& order, const PosSession& session) {
  const OrderHeader& header = order.header;
  ReceiptData r;
  r.OrderNo = header.OrderNo;
  r.OrderDate = header.OrderDate;
  r.RealAmount = header.RealAmount;
  r.BackAmount = header.BackAmount;
  r.CardCode = header.CardCode;
  r.CashAmount = header.CashAmount;
  r.CardAmount = header.CardAmount;
  for (const OrderLine& l : order.lines) {
    r.Lines.push_back({l.GoodsCode, l.BarCode, l.GoodsName, l.ColorName, l.SizeName, l.Price,
                       l.Quantity, l.Discount, l.Amount});
  }
  r.ShopCode = session.ShopCode;
  r.ShopName = session.ShopName;
  r.StoreName = session.StoreName;
  r.CashierCode = session.CashierCode;
  r.CashierName = session.CashierName;
  r.EmployeeCode = order.EmployeeCode;
  r.EmployeeName = order.EmployeeName;
  r.CardsCode = order.CardsCode;
  r.HolderName = order.HolderName;
  r.PointTotal = order.PointTotal;
  return r;
}

}  // namespace quilmo
