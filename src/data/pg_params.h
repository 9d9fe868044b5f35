#pragma once

#include <libpq-fe.h>

#include <QByteArray>
#include <QSqlDriver>
#include <QString>
#include <QVariantMap>
#include <initializer_list>
#include <vector>

#include "data/connection.h"

namespace quilmo {

// The drivers hand out their native handles; the PostgreSQL driver names its type after
// the struct behind PGconn ("pg_conn*").
template <typename T>
T* NativeHandle(const Connection& c, std::initializer_list<const char*> type_names) {
  const QVariant h = c.db().driver()->handle();
  bool known = false;
  for (const char* name : type_names)
    known = known || (h.isValid() && qstrcmp(h.typeName(), name) == 0);
  if (!known) throw DbError(QStringLiteral("no native handle for ") + c.name());
  return *static_cast<T* const*>(h.constData());
}

inline PGconn* PgHandle(const Connection& server) {
  return NativeHandle<PGconn>(server, {"PGconn*", "pg_conn*"});
}

// A statement with ":Name" parameters as libpq takes it: "$n" placeholders and the values as
// text, each in its own buffer, sent beside the statement rather than inside it.
class PgParams {
 public:
  PgParams(const QString& sql, const QVariantMap& params);
  PgParams(const PgParams&) = delete;
  PgParams& operator=(const PgParams&) = delete;

  const char* sql() const { return sql_.constData(); }
  int count() const { return static_cast<int>(pointers_.size()); }
  const char* const* values() const { return pointers_.data(); }

 private:
  QByteArray sql_;
  std::vector<QByteArray> values_;
  std::vector<const char*> pointers_;
};

}  // namespace quilmo
