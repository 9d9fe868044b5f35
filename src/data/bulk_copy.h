#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

#include "data/connection.h"

namespace quilmo {

// Copies the rows a server statement returns into a local table, matching columns by name
// the way BuildInsert and CopyRows do (columns only in the target keep their default,
// columns only in the source are ignored, null stays null). Runs inside the caller's local
// transaction; errors throw DbError and the caller rolls back.
//
// This is the master-data download's path for large tables: it streams the server rows one
// at a time and writes them with SQLite's own prepared statement, several times faster than
// going through a QSqlQuery on each side. Returns the number of rows copied.
int CopyServerRowsToLocal(const Connection& server, const QString& select_sql,
                          const QVariantMap& params, const Connection& local, const QString& table);

// ":Name" placeholders to PostgreSQL's "$n", in order of first use, leaving text in quotes
// and "::" casts alone. The names in their order go to *names.
QString ToPositionalParameters(const QString& sql, QStringList* names);

}  // namespace quilmo

namespace quilmo {

// Replaces every row of a local table in bulk, inside the caller's transaction. Rows going in
// one by one would each update every secondary index and fire every trigger (the goods
// table's triggers keep its full-text search index); for a whole catalogue that costs several
// times the copy itself. So the table's triggers and secondary indexes are set aside while it
// is emptied and refilled, then the indexes are built again in one pass, full-text indexes
// whose content is this table are rebuilt, and the triggers are put back. A failure anywhere
// rolls all of it back with the caller's transaction.
class LocalTableReload {
 public:
  // Empties the table; fill it, then call Finish().
  LocalTableReload(const Connection& local, const QString& table);
  void Finish();

 private:
  const Connection& local_;
  QString table_;
  QStringList indexes_;   // CREATE INDEX statements
  QStringList triggers_;  // CREATE TRIGGER statements
  QStringList mirrors_;   // full-text tables whose content is this table
};

}  // namespace quilmo
