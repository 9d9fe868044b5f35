#include "data/values_apart.h"

#include <QSqlQuery>

#include "data/pg_params.h"

namespace quilmo {

int ExecValuesApart(const Connection& connection, const QString& sql, const QVariantMap& params) {
  if (connection.engine() == Engine::Local) {
    QSqlQuery q = connection.Query(sql, params);
    if (!q.isSelect()) return q.numRowsAffected();
    int rows = 0;
    while (q.next()) ++rows;
    return rows;
  }
  PGconn* pg = PgHandle(connection);
  const PgParams statement(sql, params);
  PGresult* r = PQexecParams(pg, statement.sql(), statement.count(), nullptr, statement.values(),
                             nullptr, nullptr, 0);
  const ExecStatusType status = PQresultStatus(r);
  int rows = 0;
  if (status == PGRES_TUPLES_OK) {
    rows = PQntuples(r);
  } else if (status == PGRES_COMMAND_OK) {
    rows = QByteArray(PQcmdTuples(r)).toInt();
  } else {
    const QString message = QString::fromUtf8(r ? PQresultErrorMessage(r) : PQerrorMessage(pg));
    PQclear(r);
    throw DbError(message.trimmed());
  }
  PQclear(r);
  return rows;
}

}  // namespace quilmo
