#pragma once

#include <QDateTime>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QVariantMap>
#include <memory>
#include <stdexcept>

#include "base/error.h"

namespace quilmo {

// The two engines behind the till's two connections.
enum class Engine {
  Server,  // the back office's account database: PostgreSQL
  Local,   // the till's own file: SQLite
};

// A statement failed. Carries the driver's message, which callers show after "原因：".
class DbError : public Error {
 public:
  using Error::Error;
};

// Address of a PostgreSQL server, as any PostgreSQL client takes it.
struct ServerAddress {
  QString host;
  int port = 5432;
  QString user;
  QString password;
  int connect_timeout_s = 50;
  // The till lets no statement run longer than 80 s; 0 = no limit (the admin tool's long
  // set-up statements).
  int statement_timeout_ms = 80000;
};

// What differs between the two engines' SQL. Everything else is written once.
struct Dialect {
  Engine engine;

  // Whole calendar days from date-time expression a to b (b - a).
  QString DayDiff(const QString& a, const QString& b) const;
  // True when `needle` (an expression, normally a bound parameter) occurs in `haystack`.
  QString Contains(const QString& haystack, const QString& needle) const;
  // Case-insensitive LIKE.
  QString ILike() const {
    return engine == Engine::Server ? QStringLiteral("ILIKE") : QStringLiteral("LIKE");
  }
};

// The driver's own words for an error, as the till shows them after "原因：".
QString DriverMessage(const QSqlError& error);

// Escapes %, _ and the escape character itself for a LIKE pattern used with ESCAPE '\'.
QString EscapeLike(const QString& text);

// The single text form of a date-time in the local file.
inline constexpr char kLocalDateFormat[] = "yyyy-MM-dd HH:mm:ss";

// Reads a date-time column of either engine (the local file keeps text).
QDateTime ToDateTime(const QVariant& value);

// One named database connection with its dialect. Statements bind every value as a named
// parameter (":Name"); a failing statement throws DbError.
class Connection {
 public:
  Connection(QString name, Engine engine);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  Engine engine() const { return dialect_.engine; }
  const Dialect& dialect() const { return dialect_; }
  const QString& name() const { return name_; }
  QSqlDatabase db() const;
  bool isOpen() const;
  void Close();

  // Opens the local file (WAL, full synchronous commits, a busy wait for other processes).
  // Its statements may call quilmo_lower(text), lower() for every Unicode letter as the
  // server's lower() folds it.
  bool OpenLocal(const QString& path, QString* error);
  // Opens a PostgreSQL database.
  bool OpenServer(const ServerAddress& address, const QString& database, QString* error);
  const ServerAddress& serverAddress() const { return address_; }
  QString databaseName() const;

  // Runs a statement and returns the positioned-before-first, forward-only result.
  QSqlQuery Query(const QString& sql, const QVariantMap& params = {}) const;
  // Runs a statement for its effect; returns the number of rows affected.
  int Exec(const QString& sql, const QVariantMap& params = {}) const;
  // The first column of the first row, or an invalid QVariant when there is no row.
  QVariant Scalar(const QString& sql, const QVariantMap& params = {}) const;
  // The first row of a point lookup, or an empty record when there is none. The statement
  // stays prepared on the connection for the next call with the same text, which saves the
  // server two round trips per scan; the caller gets a copy, never the live statement.
  QSqlRecord FirstRow(const QString& sql, const QVariantMap& params = {}) const;
  // Every row of a small result (a search's candidates), on the same kept statement.
  QList<QSqlRecord> Rows(const QString& sql, const QVariantMap& params = {}) const;
  // A write run many times with other values (a delete per fetched key), on a kept statement.
  // The number of rows it changed.
  int ExecKept(const QString& sql, const QVariantMap& params) const;

  // Runs a whole script file of several statements.
  void RunScript(const QString& script) const;

  // Converts a value for binding on this engine (the local file keeps dates as text).
  QVariant ForBinding(const QVariant& value) const;

  // How many requests this connection has sent its database so far, as the driver sends them:
  // a statement without parameters is one, a kept statement one per run (and one more to
  // prepare it the first time), any other statement with parameters three (prepare, run,
  // deallocate). Online each is a round trip to the back office.
  qint64 RoundTrips() const { return round_trips_; }

 private:
  void Bind(QSqlQuery& query, const QVariantMap& params) const;
  // Runs a kept statement; `take` reads what it needs before the statement is finished.
  template <typename Take>
  void RunKept(const QString& sql, const QVariantMap& params, Take take) const;

  QString name_;
  Dialect dialect_;
  ServerAddress address_;
  // Prepared point lookups; dropped whenever the connection is (re)opened or closed.
  mutable QHash<QString, std::shared_ptr<QSqlQuery>> prepared_;
  mutable qint64 round_trips_ = 0;
};

// A transaction that rolls back unless committed, also when an exception leaves the scope.
class Transaction {
 public:
  // `immediate` takes the local file's write lock at once, so two processes reading then
  // updating the same row cannot both read the old value.
  explicit Transaction(const Connection& connection, bool immediate = false);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void Commit();

 private:
  const Connection& connection_;
  bool open_ = false;
};

}  // namespace quilmo
