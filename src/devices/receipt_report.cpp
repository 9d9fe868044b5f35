#include "devices/receipt_report.h"

#include "report/report_variables.h"
#include "report/template_files.h"

namespace quilmo {

Report ReceiptReport(const ReceiptData& r, const QString& ini, const QString& program_folder) {
  Report report;
  LoadTemplateOrShipped(report, program_folder, QString::fromLatin1(kReceiptTemplate));

  ReportDataSet lines;
  lines.columns = {
      QStringLiteral("GoodsCode"), QStringLiteral("BarCode"),  QStringLiteral("GoodsName"),
      QStringLiteral("ColorName"), QStringLiteral("SizeName"), QStringLiteral("Quantity"),
      QStringLiteral("Price"),     QStringLiteral("Discount"), QStringLiteral("Amount")};
  double quantity = 0;
  for (const ReceiptLine& l : r.Lines) {
    quantity += l.Quantity;
    lines.rows << QStringList{l.GoodsCode.trimmed(),
                              l.BarCode.trimmed(),
                              l.GoodsName.trimmed(),
                              l.ColorName,
                              l.SizeName,
                              GeneralNumber(l.Quantity),
                              GeneralNumber(l.Price),
                              l.Discount == 100 ? QString() : GeneralNumber(l.Discount),
                              GeneralNumber(l.Amount)};
  }
  report.BindDataSet(lines);

  ReportPeople people;
  people.ShopCode = r.ShopCode;
  people.ShopName = r.ShopName;
  people.StoreName = r.StoreName;
  people.CashierCode = r.CashierCode;
  people.CashierName = r.CashierName;
  people.EmployeeCode = r.EmployeeCode;
  people.EmployeeName = r.EmployeeName;
  people.HolderName = r.HolderName;
  people.PointTotal = r.PointTotal;
  SetReportVariables(report, ini, people);

  const std::pair<const char16_t*, QString> order[] = {
      {u"单号", r.OrderNo},
      {u"日期", r.OrderDate.toString(QStringLiteral("yyyy-MM-dd"))},
      {u"时间", r.OrderDate.toString(QStringLiteral("HH:mm:ss"))},
      {u"应收额", GeneralNumber(r.RealAmount)},
      {u"客付额", GeneralNumber(r.Received())},
      {u"找零额", GeneralNumber(r.BackAmount)},
      {u"现金额", GeneralNumber(r.CashAmount)},
      {u"卡付额", GeneralNumber(r.CardAmount)},
      {u"储值卡号", r.CardCode},
      {u"会员卡号", r.CardsCode},
      {u"优惠额", GeneralNumber(r.DiscountTotal())},
      {u"总数量", GeneralNumber(quantity)},
  };
  for (const auto& [name, value] : order) report.SetVariable(QString::fromUtf16(name), value);
  return report;
}

}  // namespace quilmo
