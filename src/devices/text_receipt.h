#pragma once

#include <QByteArray>
#include <QString>

#include "devices/receipt_data.h"

namespace quilmo {

// The receipt options of section Options of QTSet.ini, read afresh for every receipt. A flag
// is on only when its value is exactly "1".
struct ReceiptSettings {
  QString Header;
  QString HeaderExplain;
  QString Footer;
  QString FooterExplain;
  QString PrintContent;
  bool PrintDiscount = false;
  bool PrintCardNo = false;
  bool PrintOrderNo = false;
  bool PrintDisAmount = false;
  bool PrintPOSEmployee = false;

  static ReceiptSettings Read(const QString& ini_file);
};

// The line width of HardWareSet/PaperType: "0" is 75 mm paper, 40 columns; anything else is
// 57 mm paper, 30 columns.
int ReceiptWidth(const QString& paper_type);

// The text receipt as the printer gets it: GBK lines ended by CR LF, `width` columns (40 or
// 30), widths counted in GBK bytes. A character GBK cannot print becomes "?" and a control
// character a blank, so neither can shift the columns nor reach the printer as a command.
QByteArray TextReceipt(const ReceiptData& receipt, const ReceiptSettings& settings, int width);

// Text as the receipt printer gets it (see TextReceipt).
QByteArray PrinterText(const QString& text);

}  // namespace quilmo
