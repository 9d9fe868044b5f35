#pragma once

#include <QSqlQuery>

#include "report/report.h"

namespace quilmo {

// The rows of a query as a report's data set: every column by its name, numbers in their
// shortest form (1250, 37.5), dates as yyyy-MM-dd HH:mm:ss, NULL as an empty text.
ReportDataSet DataSetFromQuery(QSqlQuery& query);

}  // namespace quilmo
