#pragma once

#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <vector>

#include "base/clock.h"
#include "base/error.h"
#include "base/pos_session.h"
#include "base/ui.h"
#include "data/connection.h"

namespace quilmo {

// The insert of BuildInsert, prepared once on its target and fed row after row from one source
// query: each parameter is bound to the source field of the same name, found once.
class RowInserter {
 public:
  RowInserter(const Connection& target, const QString& insert_text, const QSqlRecord& source);
  // Inserts the source's current row; throws DbError on failure.
  void Insert(const QSqlQuery& source);

 private:
  const Connection& target_;
  QSqlQuery query_;
  std::vector<int> fields_;
};

// The local file cannot be used. The message is the one the till shows; `reason` holds the
// driver's words, where there are any.
class LocalDatabaseError : public Error {
 public:
  enum class Kind { Missing, Unusable };
  LocalDatabaseError(Kind kind, const QString& reason);
  Kind kind() const { return kind_; }
  const QString& reason() const { return reason_; }

 private:
  Kind kind_;
  QString reason_;
};

// The next running number of a text column holding digits, on one connection: "0001" for an
// empty table, else the maximum + 1 without leading zeros.
QString NextNumberText(const Connection& connection, const QString& table, const QString& column);

// The data module: the two connections and the operations every part of the till uses.
// A statement runs on conServer in online mode and on conClient offline, unless its rule
// names one connection whatever the mode (bill numbers are always local, server time and
// the option set always server). It never talks to the cashier: its operations throw an
// Error or return a result, and the caller shows what needs showing.
class TDMFM {
 public:
  TDMFM(PosSession& session, const Clock& clock);
  TDMFM(const TDMFM&) = delete;
  TDMFM& operator=(const TDMFM&) = delete;

  Connection conServer;
  Connection conClient;

  // The connection the mode selects.
  Connection& Current() { return session_.IsOnline ? conServer : conClient; }
  Connection& On(bool on_server) { return on_server ? conServer : conClient; }

  PosSession& session() { return session_; }
  const Clock& clock() const { return clock_; }

  // Opens the local file. Throws LocalDatabaseError: Missing ("找不到本地数据库文件！") and
  // conClient left as it was, or Unusable ("不能与本地数据库连接！").
  void OpenLocalDatabase(const QString& path);

  // This till's own name, made once and kept in the local file, where clearing the data does
  // not reach it: the server records which till took a shop, so the same till can take it
  // back after losing its settings.
  QString TillId();

  // Online: the server's clock; offline: the till's.
  QDateTime ServerNow();

  // The next bill number of a kind ("SaleOrder", "OnOverOrder"): prefix + shop code +
  // yyyyMMdd + a daily line of at least five digits. Always local. Empty for an unknown kind.
  QString NextBillNo(const QString& bill_name);

  // Switches a server connection to another database of the same server.
  bool UseDatabase(Connection& connection, const QString& db_name);

  // Table and column names come from program constants only; the key value is bound.
  QString LookupValue(const QString& table, const QString& key_column, const QString& key_value,
                      bool on_server, const QString& result_column);

  // Whether a server connection still answers.
  bool ServerAlive(Connection& connection);

  // "insert into T(A,B) values(:A,:B)" for the target's columns that the source also has,
  // in the target's order; empty when they share none.
  QString BuildInsert(const QString& table, const QSqlRecord& source, bool on_server);
  // Runs the insert once per source row, binding each parameter to the source field of the
  // same name (null stays null). Errors propagate to the caller's transaction.
  // Returns the number of rows copied.
  int CopyRows(bool on_server, const QString& insert_text, QSqlQuery& source);

 private:
  PosSession& session_;
  const Clock& clock_;
  QString till_id_;
  QString till_id_file_;  // the local file till_id_ was read from
};

}  // namespace quilmo
