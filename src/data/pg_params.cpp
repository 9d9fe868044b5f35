#include "data/pg_params.h"

#include <QDateTime>

#include "base/money.h"
#include "data/bulk_copy.h"

namespace quilmo {
namespace {

QString ParamText(const QVariant& v) {
  if (v.metaType() == QMetaType::fromType<Money>())
    return MoneyForServer(v.value<Money>()).toString();
  switch (v.typeId()) {
    case QMetaType::QDateTime:
      return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    case QMetaType::QDate:
      return v.toDate().toString(Qt::ISODate);
    case QMetaType::Bool:
      return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    default:
      return v.toString();
  }
}

}  // namespace

PgParams::PgParams(const QString& sql, const QVariantMap& params) {
  QStringList names;
  sql_ = ToPositionalParameters(sql, &names).toUtf8();
  values_.reserve(static_cast<size_t>(names.size()));
  for (const QString& name : names) {
    const auto it = params.find(QLatin1Char(':') + name);
    const QVariant v = it != params.end() ? *it : params.value(name);
    values_.push_back(v.isNull() ? QByteArray() : ParamText(v).toUtf8());
    // The vector was reserved, so the buffers stay where they are.
    pointers_.push_back(v.isNull() ? nullptr : values_.back().constData());
  }
}

}  // namespace quilmo
