#pragma once

#include <QString>

#include "data/connection.h"

namespace quilmo {

// The SQL files built into the program (schema/ in the source tree).
// Throws DbError when a file is missing or a statement fails.
QString SchemaText(const QString& file);  // e.g. "common.sql", "demo/seed.sql"

// Tables of an account database on the server: shared tables, server tables, functions.
void CreateAccountSchema(const Connection& server);
// Tables and supplied rows of the till's local file.
void CreateLocalSchema(const Connection& local);

}  // namespace quilmo
