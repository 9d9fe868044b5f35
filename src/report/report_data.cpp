#include "report/report_data.h"

#include <QDateTime>
#include <QSqlRecord>

namespace quilmo {
namespace {

QString Text(const QVariant& v) {
  if (v.isNull()) return {};
  switch (v.metaType().id()) {
    case QMetaType::Double:
    case QMetaType::Float: {
      const double d = v.toDouble();
      return d == 0 ? QStringLiteral("0") : QString::number(d, 'g', 15);
    }
    case QMetaType::QDateTime:
      return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case QMetaType::QDate:
      return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    default:
      return v.toString();
  }
}

}  // namespace

ReportDataSet DataSetFromQuery(QSqlQuery& query) {
  ReportDataSet data;
  const QSqlRecord record = query.record();
  for (int i = 0; i < record.count(); ++i) data.columns << record.fieldName(i);
  while (query.next()) {
    QStringList row;
    for (int i = 0; i < record.count(); ++i) row << Text(query.value(i));
    data.rows << row;
  }
  return data;
}

}  // namespace quilmo
