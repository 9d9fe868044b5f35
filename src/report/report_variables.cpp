#include "report/report_variables.h"

#include "base/ini_file.h"

namespace quilmo {

ReportPeople TillPeople(const PosSession& s) {
  ReportPeople p;
  p.ShopCode = s.ShopCode;
  p.ShopName = s.ShopName;
  p.StoreName = s.StoreName;
  p.CashierCode = s.CashierCode;
  p.CashierName = s.CashierName;
  return p;
}

const QStringList& StandardVariableNames() {
  static const QStringList names = {
      QStringLiteral("报表标题"),   QStringLiteral("附属说明"),   QStringLiteral("报表脚注"),
      QStringLiteral("脚注说明"),   QStringLiteral("店编号"),     QStringLiteral("店名称"),
      QStringLiteral("仓库名称"),   QStringLiteral("收银员编号"), QStringLiteral("收银员名称"),
      QStringLiteral("导购员编号"), QStringLiteral("导购员名称"), QStringLiteral("持卡人"),
      QStringLiteral("积分点"),
  };
  return names;
}

void SetReportVariables(Report& report, const QString& ini, const ReportPeople& p) {
  const auto option = [&](const char* key) {
    return ReadIniString(ini, QStringLiteral("Options"), QString::fromLatin1(key));
  };
  const QString point_total =
      p.PointTotal == 0 ? QStringLiteral("0") : QString::number(p.PointTotal, 'g', 15);
  const QString values[] = {
      option("Header"), option("HeaderExplain"),
      option("Footer"), option("FooterExplain"),
      p.ShopCode,       p.ShopName,
      p.StoreName,      p.CashierCode,
      p.CashierName,    p.EmployeeCode,
      p.EmployeeName,   p.HolderName,
      point_total,
  };
  const QStringList& names = StandardVariableNames();
  for (qsizetype i = 0; i < names.size(); ++i) report.SetVariable(names[i], values[i]);
}

}  // namespace quilmo
