#pragma once

#include <QString>

#include "data/connection.h"
#include "report/report.h"
#include "report/report_variables.h"

namespace quilmo {

// The shift-report template filled for one shift: <program folder>/SysFile/QTOver.frf (the
// shipped one when the file is missing), the shift's record of the local file as its data set
// (every column of QTOnOverOrder: OrderNo, OnTime, OverTime, OnBoxAmount, SaleAmount,
// GetAmount, OverAmount …) and the thirteen standard variables.
Report ShiftReportTemplate(const Connection& local, const QString& shift_no,
                           const QString& ini_file, const QString& program_folder,
                           const ReportPeople& people);

}  // namespace quilmo
