#include "data/bulk_copy.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlQuery>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "data/pg_params.h"

namespace quilmo {
namespace {

// PostgreSQL type oids we convert; every other type travels as text.
enum Oid : unsigned {
  kBool = 16,
  kInt8 = 20,
  kInt2 = 21,
  kInt4 = 23,
  kFloat4 = 700,
  kFloat8 = 701,
  kNumeric = 1700,
  kDate = 1082,
  kTimestamp = 1114,
  kTimestampTz = 1184,
};

struct Column {
  int source;  // field index in the server result
  unsigned oid;
};

class Statement {
 public:
  Statement(sqlite3* db, const QByteArray& sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql.constData(), static_cast<int>(sql.size()), &stmt_, nullptr) !=
        SQLITE_OK) {
      throw DbError(QString::fromUtf8(sqlite3_errmsg(db)));
    }
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  sqlite3_stmt* get() const { return stmt_; }
  void Step() {
    if (sqlite3_step(stmt_) != SQLITE_DONE) throw DbError(QString::fromUtf8(sqlite3_errmsg(db_)));
    sqlite3_reset(stmt_);
  }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

// The server's reason for a failure, on one line. A result that broke off with the connection
// carries no message of its own; the connection's then says what happened.
QString PgMessage(PGconn* conn, const PGresult* result) {
  QString text = result ? QString::fromUtf8(PQresultErrorMessage(result)).simplified() : QString();
  if (text.isEmpty()) text = QString::fromUtf8(PQerrorMessage(conn)).simplified();
  if (text.isEmpty() && PQstatus(conn) != CONNECTION_OK) {
    text = QStringLiteral("connection to the server was lost");
  }
  if (text.isEmpty()) text = QStringLiteral("数据库没有给出错误原因");
  return text;
}

// Drains what the server still has to say, so the connection stays usable after an error.
void Drain(PGconn* conn) {
  while (PGresult* r = PQgetResult(conn)) PQclear(r);
}

void Bind(sqlite3_stmt* stmt, int index, const PGresult* row, const Column& c) {
  if (PQgetisnull(row, 0, c.source)) {
    sqlite3_bind_null(stmt, index);
    return;
  }
  const char* text = PQgetvalue(row, 0, c.source);
  const int length = PQgetlength(row, 0, c.source);
  switch (c.oid) {
    case kInt2:
    case kInt4:
    case kInt8:
      sqlite3_bind_int64(stmt, index, std::strtoll(text, nullptr, 10));
      return;
    case kFloat4:
    case kFloat8:
    case kNumeric:
      sqlite3_bind_double(stmt, index, std::strtod(text, nullptr));
      return;
    case kBool:
      sqlite3_bind_int(stmt, index, text[0] == 't' ? 1 : 0);
      return;
    case kTimestamp:
    case kTimestampTz:
      // The local file keeps one date form, to the second: "yyyy-MM-dd HH:mm:ss".
      sqlite3_bind_text(stmt, index, text, length < 19 ? length : 19, SQLITE_TRANSIENT);
      return;
    case kDate: {
      std::string day(text, static_cast<size_t>(length));
      day += " 00:00:00";
      sqlite3_bind_text(stmt, index, day.data(), static_cast<int>(day.size()), SQLITE_TRANSIENT);
      return;
    }
    default:
      sqlite3_bind_text(stmt, index, text, length, SQLITE_STATIC);
  }
}

}  // namespace

QString ToPositionalParameters(const QString& sql, QStringList* names) {
  QString out;
  out.reserve(sql.size());
  QChar quote;
  for (qsizetype i = 0; i < sql.size(); ++i) {
    const QChar c = sql[i];
    if (!quote.isNull()) {
      out += c;
      if (c == quote) quote = QChar();
      continue;
    }
    if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
      quote = c;
      out += c;
      continue;
    }
    if (c == QLatin1Char(':') && i + 1 < sql.size()) {
      if (sql[i + 1] == QLatin1Char(':')) {  // a cast
        out += QStringLiteral("::");
        ++i;
        continue;
      }
      qsizetype j = i + 1;
      while (j < sql.size() && (sql[j].isLetterOrNumber() || sql[j] == QLatin1Char('_'))) ++j;
      if (j > i + 1) {
        const QString name = sql.mid(i + 1, j - i - 1);
        qsizetype n = names->indexOf(name);
        if (n < 0) {
          names->append(name);
          n = names->size() - 1;
        }
        out += QLatin1Char('$') + QString::number(n + 1);
        i = j - 1;
        continue;
      }
    }
    out += c;
  }
  return out;
}

int CopyServerRowsToLocal(const Connection& server, const QString& select_sql,
                          const QVariantMap& params, const Connection& local,
                          const QString& table) {
  PGconn* pg = PgHandle(server);
  sqlite3* lite = NativeHandle<sqlite3>(local, {"sqlite3*"});

  // The target's columns, in its order.
  QStringList target_columns;
  {
    QSqlQuery q = local.Query(QStringLiteral("PRAGMA table_info(%1)").arg(table));
    while (q.next()) target_columns << q.value(1).toString();
  }
  if (target_columns.isEmpty()) throw DbError(QStringLiteral("no such table: ") + table);

  const PgParams statement(select_sql, params);
  if (!PQsendQueryParams(pg, statement.sql(), statement.count(), nullptr, statement.values(),
                         nullptr, nullptr, 0) ||
      !PQsetSingleRowMode(pg)) {
    const QString message = PgMessage(pg, nullptr);
    Drain(pg);
    throw DbError(message);
  }

  std::vector<Column> columns;
  std::unique_ptr<Statement> insert;
  int copied = 0;
  try {
    while (PGresult* r = PQgetResult(pg)) {
      const ExecStatusType status = PQresultStatus(r);
      if (status == PGRES_TUPLES_OK) {  // the end of the rows
        PQclear(r);
        continue;
      }
      if (status != PGRES_SINGLE_TUPLE) {
        const QString message = PgMessage(pg, r);
        PQclear(r);
        throw DbError(message);
      }
      if (!insert) {
        QStringList used;
        for (const QString& target : target_columns) {
          const int f = PQfnumber(r, target.toLower().toUtf8().constData());
          if (f < 0) continue;
          columns.push_back({f, PQftype(r, f)});
          used << target;
        }
        if (columns.empty()) {
          PQclear(r);
          Drain(pg);
          return 0;
        }
        QStringList marks;
        for (int i = 1; i <= used.size(); ++i) marks << QLatin1Char('?') + QString::number(i);
        insert = std::make_unique<Statement>(
            lite, QStringLiteral("INSERT INTO %1(%2) VALUES(%3)")
                      .arg(table, used.join(QLatin1Char(',')), marks.join(QLatin1Char(',')))
                      .toUtf8());
      }
      for (size_t i = 0; i < columns.size(); ++i) {
        Bind(insert->get(), static_cast<int>(i + 1), r, columns[i]);
      }
      try {
        insert->Step();
      } catch (...) {
        PQclear(r);
        throw;
      }
      PQclear(r);
      ++copied;
    }
  } catch (...) {
    Drain(pg);
    throw;
  }
  return copied;
}

}  // namespace quilmo

namespace quilmo {

LocalTableReload::LocalTableReload(const Connection& local, const QString& table)
    : local_(local), table_(table) {
  QStringList drops;
  {
    // Indexes SQLite made itself (primary keys, UNIQUE) have no SQL and stay.
    QSqlQuery q = local.Query(
        QStringLiteral(
            "SELECT type, name, sql FROM sqlite_master WHERE tbl_name = :t COLLATE NOCASE "
            "AND type IN ('index', 'trigger') AND sql IS NOT NULL"),
        {{QStringLiteral(":t"), table}});
    while (q.next()) {
      const bool index = q.value(0).toString() == QStringLiteral("index");
      (index ? indexes_ : triggers_) << q.value(2).toString();
      drops << QStringLiteral("DROP %1 %2")
                   .arg(index ? QStringLiteral("INDEX") : QStringLiteral("TRIGGER"),
                        q.value(1).toString());
    }
  }
  {
    static const QRegularExpression kContent(QStringLiteral("content\\s*=\\s*'([^']*)'"),
                                             QRegularExpression::CaseInsensitiveOption);
    QSqlQuery q =
        local.Query(QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'table' AND "
                                   "sql LIKE 'CREATE VIRTUAL TABLE%'"));
    while (q.next()) {
      const QRegularExpressionMatch m = kContent.match(q.value(1).toString());
      if (m.hasMatch() && m.captured(1).compare(table, Qt::CaseInsensitive) == 0) {
        mirrors_ << q.value(0).toString();
      }
    }
  }
  for (const QString& drop : drops) local.Exec(drop);
  local.Exec(QStringLiteral("DELETE FROM %1").arg(table));
}

void LocalTableReload::Finish() {
  for (const QString& sql : indexes_) local_.Exec(sql);
  for (const QString& mirror : mirrors_) {
    local_.Exec(QStringLiteral("INSERT INTO %1(%1) VALUES ('rebuild')").arg(mirror));
  }
  for (const QString& sql : triggers_) local_.Exec(sql);
}

}  // namespace quilmo
