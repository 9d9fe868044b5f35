#pragma once

#include <QString>
#include <QVariantMap>

#include "data/connection.h"

namespace quilmo {

// Runs a statement whose values must never become part of a statement's text: a card
// password, say. Qt's PostgreSQL driver writes bound values into the text of the EXECUTE it
// sends, where the server's log of a failing statement and its list of running statements
// show them; here the server gets them as protocol parameters of their own. On the local
// file SQLite binds values apart already. Returns the number of rows a query returned or a
// write changed. Runs inside the connection's open transaction, if any; throws DbError.
int ExecValuesApart(const Connection& connection, const QString& sql, const QVariantMap& params);

}  // namespace quilmo
