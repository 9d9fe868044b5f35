#include "data/schema.h"

#include <QFile>

namespace quilmo {

QString SchemaText(const QString& file) {
  QFile f(QStringLiteral(":/schema/") + file);
  if (!f.open(QIODevice::ReadOnly)) throw DbError(QStringLiteral("missing schema file ") + file);
  return QString::fromUtf8(f.readAll());
}

void CreateAccountSchema(const Connection& server) {
  server.RunScript(SchemaText(QStringLiteral("common.sql")));
  server.RunScript(SchemaText(QStringLiteral("server.sql")));
}

void CreateLocalSchema(const Connection& local) {
  Transaction tx(local);
  // The local file keeps money as REAL; the program makes it exact again as it reads it.
  local.RunScript(
      SchemaText(QStringLiteral("common.sql"))
          .replace(QStringLiteral("NUMERIC(18,4)"), QStringLiteral("DOUBLE PRECISION")));
  local.RunScript(SchemaText(QStringLiteral("local.sql")));
  local.RunScript(SchemaText(QStringLiteral("local_search.sql")));
  local.RunScript(SchemaText(QStringLiteral("local_receipts.sql")));
  tx.Commit();
}

}  // namespace quilmo
