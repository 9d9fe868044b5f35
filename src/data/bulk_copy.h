#pragma once

#include <QString>
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
                          const QVariantMap& params, const Connection& local,
                          const QString& table);

// ":Name" placeholders to PostgreSQL's "$n", in order of first use, leaving text in quotes
// and "::" casts alone. The names in their order go to *names.
QString ToPositionalParameters(const QString& sql, QStringList* names);

}  // namespace quilmo
