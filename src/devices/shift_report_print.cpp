#include "devices/shift_report_print.h"

#include <QSqlQuery>

#include "report/report_data.h"
#include "report/template_files.h"

namespace quilmo {

Report ShiftReportTemplate(const Connection& local, const QString& shift_no,
                           const QString& ini_file, const QString& program_folder,
                           const ReportPeople& people) {
  Report report;
  LoadTemplateOrShipped(report, program_folder, QString::fromLatin1(kShiftTemplate));
  QSqlQuery shift =
      local.Query(QStringLiteral("SELECT * FROM QTOnOverOrder WHERE OrderNo = :OrderNo"),
                  {{QStringLiteral(":OrderNo"), shift_no}});
  report.BindDataSet(DataSetFromQuery(shift));
  SetReportVariables(report, ini_file, people);
  return report;
}

}  // namespace quilmo
