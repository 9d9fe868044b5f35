#pragma once

#include "devices/receipt_data.h"
#include "devices/text_receipt.h"

namespace quilmo::test {

// The sale of the golden receipts (tests/golden/receipts): three lines, the first at 85 %, the
// third with a goods name of exactly 23 bytes and a code of exactly 19; due 419, change 81.
// The discount total is 30: 2 × 100 − 170 and 50 − 50.
inline ReceiptData SampleReceipt() {
  ReceiptData r;
  r.OrderNo = QStringLiteral("XS0120261210000001");
  r.OrderDate = QDateTime(QDate(2026, 12, 10), QTime(14, 7, 9));
  r.RealAmount = Money::Whole(419);
  r.BackAmount = Money::Whole(81);
  r.Lines = {
      {QStringLiteral("G001"), QStringLiteral("6901234567890"), QStringLiteral("休闲衬衫"),
       QStringLiteral("白"), QStringLiteral("L"), Money::Whole(100), 2, 85, Money::Whole(170)},
      {QStringLiteral("G002"), QStringLiteral("6901234567891"), QStringLiteral("牛仔裤"),
       QStringLiteral("蓝"), QStringLiteral("32"), Money::Whole(50), 1, 100, Money::Whole(50)},
      {QStringLiteral("G003-LONG-CODE-2026"), QStringLiteral("6901234567892"),
       QStringLiteral("春季全棉休闲长袖衬衫ABC"), QString(), QString(), Money::Whole(199), 1, 100,
       Money::Whole(199)},
  };
  r.ShopCode = QStringLiteral("01");
  r.ShopName = QStringLiteral("一号店");
  r.StoreName = QStringLiteral("一号仓");
  r.CashierCode = QStringLiteral("001");
  r.CashierName = QStringLiteral("张三");
  r.EmployeeCode = QStringLiteral("E01");
  r.EmployeeName = QStringLiteral("李四");
  r.CardsCode = QStringLiteral("VIP0001");
  r.HolderName = QStringLiteral("王五");
  r.PointTotal = 1250.5;
  return r;
}

// The same sale paid partly with a stored-value card.
inline ReceiptData SampleCardReceipt() {
  ReceiptData r = SampleReceipt();
  r.CardCode = QStringLiteral("CZ0001");
  r.CashAmount = Money::Whole(349);
  r.CardAmount = Money::Whole(70);
  return r;
}

// The texts of the golden receipts, and every flag off.
inline ReceiptSettings SampleSettings() {
  ReceiptSettings s;
  s.Header = QStringLiteral("Quilmo时装店");
  s.HeaderExplain = QStringLiteral("欢迎光临");
  s.Footer = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ1234");         // 30 ASCII characters
  s.FooterExplain = QStringLiteral("谢谢惠顾欢迎再次光临本店祝您好");  // 15 Chinese characters
  return s;
}

inline ReceiptSettings AllOptions(const QString& content) {
  ReceiptSettings s = SampleSettings();
  s.PrintContent = content;
  s.PrintDiscount = s.PrintCardNo = s.PrintOrderNo = s.PrintDisAmount = s.PrintPOSEmployee = true;
  return s;
}

}  // namespace quilmo::test
