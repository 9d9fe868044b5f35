#pragma once

#include <QString>

#include "base/pos_session.h"
#include "report/report.h"

namespace quilmo {

// Who and where a report is printed for: the values of the standard report variables that do
// not come from the settings file.
struct ReportPeople {
  QString ShopCode;
  QString ShopName;
  QString StoreName;
  QString CashierCode;
  QString CashierName;
  QString EmployeeCode;  // the sale's sales assistant
  QString EmployeeName;
  QString HolderName;  // the sale's card holder
  double PointTotal = 0;
};

// The till's own part: shop, store and cashier. A report outside a sale (the shift report)
// has no assistant and no card.
ReportPeople TillPeople(const PosSession& session);

// The thirteen variables every report of the till receives, set as plain values in this order:
// 报表标题, 附属说明, 报表脚注, 脚注说明 (Options/Header, HeaderExplain, Footer, FooterExplain),
// 店编号, 店名称, 仓库名称, 收银员编号, 收银员名称, 导购员编号, 导购员名称, 持卡人, 积分点.
void SetReportVariables(Report& report, const QString& ini_file, const ReportPeople& people);

// The names of those variables, in order.
const QStringList& StandardVariableNames();

}  // namespace quilmo
