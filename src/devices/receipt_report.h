#pragma once

#include <QString>

#include "devices/receipt_data.h"
#include "report/report.h"

namespace quilmo {

// The receipt template filled for one receipt: <program folder>/SysFile/QTPrint.frf (the
// shipped one when the file is missing), the order lines as its data set and, besides the
// thirteen standard variables, the order's own figures:
//   单号, 日期, 时间, 应收额, 客付额, 找零额, 现金额, 卡付额, 储值卡号, 会员卡号, 优惠额, 总数量.
// The lines' columns: GoodsCode, BarCode, GoodsName, ColorName, SizeName, Quantity, Price,
// Discount (empty when 100) and Amount.
Report ReceiptReport(const ReceiptData& receipt, const QString& ini_file,
                     const QString& program_folder);

}  // namespace quilmo
