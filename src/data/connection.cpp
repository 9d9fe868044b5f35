#include "data/connection.h"

#include <sqlite3.h>

#include <QFile>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <algorithm>

#include "base/input_rules.h"
#include "base/money.h"

namespace quilmo {
namespace {

[[noreturn]] void Fail(const QSqlQuery& q) { throw DbError(DriverMessage(q.lastError())); }

// lower(text) with Unicode letters, as the server's lower() and ILIKE fold them: SQLite's own
// lower() and LIKE fold ASCII letters only, so an offline search for "ａｂｃ" or "café" would
// miss what the same search finds online. ASCII text, nearly every barcode and code, is
// folded without leaving UTF-8.
void FoldFunction(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
    sqlite3_result_null(context);
    return;
  }
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
  const int size = sqlite3_value_bytes(argv[0]);
  bool ascii = true;
  bool upper = false;
  for (int i = 0; i < size && ascii; ++i) {
    ascii = static_cast<unsigned char>(text[i]) < 0x80;
    upper = upper || (text[i] >= 'A' && text[i] <= 'Z');
  }
  if (ascii && !upper) {
    sqlite3_result_value(context, argv[0]);
    return;
  }
  if (ascii) {
    char* out = static_cast<char*>(sqlite3_malloc(size + 1));
    if (!out) {
      sqlite3_result_error_nomem(context);
      return;
    }
    for (int i = 0; i < size; ++i) {
      const char c = text[i];
      out[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
    }
    out[size] = 0;
    sqlite3_result_text(context, out, size, sqlite3_free);
    return;
  }
  const QByteArray folded = QString::fromUtf8(text, size).toLower().toUtf8();
  sqlite3_result_text(context, folded.constData(), static_cast<int>(folded.size()),
                      SQLITE_TRANSIENT);
}

}  // namespace

QString DriverMessage(const QSqlError& error) {
  // One line: the server's words run over several lines when a connection breaks, and the
  // box shows the reason after "原因：".
  QString text = error.databaseText().simplified();
  if (text.isEmpty()) text = error.driverText().simplified();
  if (text.isEmpty()) text = QStringLiteral("数据库没有给出错误原因");
  return text;
}

QString Dialect::DayDiff(const QString& a, const QString& b) const {
  if (engine == Engine::Server) {
    return QStringLiteral("(CAST(%2 AS DATE) - CAST(%1 AS DATE))").arg(a, b);
  }
  return QStringLiteral("CAST(julianday(date(%2)) - julianday(date(%1)) AS INTEGER)").arg(a, b);
}

QString Dialect::Contains(const QString& haystack, const QString& needle) const {
  if (engine == Engine::Server) return QStringLiteral("strpos(%1, %2) <> 0").arg(haystack, needle);
  return QStringLiteral("instr(%1, %2) <> 0").arg(haystack, needle);
}

QString EscapeLike(const QString& text) {
  QString out;
  out.reserve(text.size() + 4);
  for (QChar c : text) {
    if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_')) {
      out += QLatin1Char('\\');
    }
    out += c;
  }
  return out;
}

QDateTime ToDateTime(const QVariant& value) {
  if (value.isNull()) return {};
  if (value.typeId() == QMetaType::QDateTime) return value.toDateTime();
  if (value.typeId() == QMetaType::QDate) return value.toDate().startOfDay();
  const QString text = value.toString().trimmed();
  QDateTime dt = QDateTime::fromString(text, QLatin1String(kLocalDateFormat));
  if (!dt.isValid()) dt = QDateTime::fromString(text, Qt::ISODateWithMs);
  if (!dt.isValid()) dt = QDateTime::fromString(text, Qt::ISODate);
  if (!dt.isValid()) {
    const QDate d = QDate::fromString(text.left(10), Qt::ISODate);
    if (d.isValid()) dt = d.startOfDay();
  }
  return dt;
}

Connection::Connection(QString name, Engine engine) : name_(std::move(name)), dialect_{engine} {}

Connection::~Connection() {
  Close();
  QSqlDatabase::removeDatabase(name_);
}

QSqlDatabase Connection::db() const { return QSqlDatabase::database(name_, false); }

bool Connection::isOpen() const { return QSqlDatabase::contains(name_) && db().isOpen(); }

void Connection::Close() {
  prepared_.clear();
  if (!QSqlDatabase::contains(name_)) return;
  QSqlDatabase d = db();
  d.close();
}

QString Connection::databaseName() const {
  return QSqlDatabase::contains(name_) ? db().databaseName() : QString();
}

bool Connection::OpenLocal(const QString& path, QString* error) {
  Close();
  QSqlDatabase::removeDatabase(name_);
  QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
  d.setDatabaseName(path);
  // Another process (a second till program, the admin tool) may hold the write lock briefly.
  d.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
  if (!d.open()) {
    if (error) *error = DriverMessage(d.lastError());
    return false;
  }
  // A saved sale must survive a power cut: WAL with full synchronous commits. The first
  // statement also tells us whether the file is a database at all.
  QSqlQuery q(d);
  if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL")) ||
      !q.exec(QStringLiteral("PRAGMA synchronous=FULL")) ||
      // The catalogue with its indexes is tens of megabytes; a download that cannot keep
      // the index pages it touches in memory spends its time re-reading them.
      !q.exec(QStringLiteral("PRAGMA cache_size=-65536"))) {
    if (error) *error = DriverMessage(q.lastError());
    q = QSqlQuery();
    d.close();
    return false;
  }
  const QVariant handle = d.driver()->handle();
  if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0) {
    sqlite3* h = *static_cast<sqlite3* const*>(handle.constData());
    sqlite3_create_function_v2(h, "quilmo_lower", 1,
                               SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                               FoldFunction, nullptr, nullptr, nullptr);
  }
  return true;
}

bool Connection::OpenServer(const ServerAddress& address, const QString& database, QString* error) {
  Close();
  QSqlDatabase::removeDatabase(name_);
  address_ = address;
  QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name_);
  d.setHostName(address.host);
  d.setPort(address.port);
  d.setUserName(address.user);
  d.setPassword(address.password);
  d.setDatabaseName(database);
  // Connection timeout as the till has always had it; statements may run 80 s at most
  // (statement_timeout 0 is PostgreSQL's own "no limit").
  d.setConnectOptions(QStringLiteral("connect_timeout=%1;options='-c statement_timeout=%2'")
                          .arg(address.connect_timeout_s)
                          .arg(std::max(address.statement_timeout_ms, 0)));
  if (!d.open()) {
    if (error) *error = DriverMessage(d.lastError());
    return false;
  }
  return true;
}

QVariant Connection::ForBinding(const QVariant& value) const {
  if (value.metaType() == QMetaType::fromType<Money>()) {
    // Money reaches the server's NUMERIC columns as exact decimal text.
    const Money m = value.value<Money>();
    return engine() == Engine::Server ? MoneyForServer(m) : QVariant(m.ToDouble());
  }
  if (value.typeId() == QMetaType::QString) {
    // No control character reaches a statement, whoever let it into a text.
    return WithoutControlChars(value.toString(), /*keep_layout=*/true);
  }
  if (engine() != Engine::Local || value.isNull()) return value;
  switch (value.typeId()) {
    case QMetaType::QDateTime:
      return value.toDateTime().toString(QLatin1String(kLocalDateFormat));
    case QMetaType::QDate:
      return value.toDate().startOfDay().toString(QLatin1String(kLocalDateFormat));
    default:
      return value;
  }
}

void Connection::Bind(QSqlQuery& query, const QVariantMap& params) const {
  for (auto it = params.begin(); it != params.end(); ++it) {
    const QString key =
        it.key().startsWith(QLatin1Char(':')) ? it.key() : QLatin1Char(':') + it.key();
    query.bindValue(key, ForBinding(it.value()));
  }
}

QSqlQuery Connection::Query(const QString& sql, const QVariantMap& params) const {
  QSqlQuery q(db());
  q.setForwardOnly(true);
  if (params.isEmpty()) {
    ++round_trips_;
    if (!q.exec(sql)) Fail(q);
    return q;
  }
  round_trips_ += 3;
  if (!q.prepare(sql)) Fail(q);
  Bind(q, params);
  if (!q.exec()) Fail(q);
  return q;
}

template <typename Take>
void Connection::RunKept(const QString& sql, const QVariantMap& params, Take take) const {
  std::shared_ptr<QSqlQuery>& q = prepared_[sql];
  if (!q) {
    ++round_trips_;
    q = std::make_shared<QSqlQuery>(db());
    q->setForwardOnly(true);
    if (!q->prepare(sql)) {
      const QSqlError error = q->lastError();
      prepared_.remove(sql);
      throw DbError(DriverMessage(error));
    }
  }
  // Keep our own reference: a failure below drops the cache entry.
  const std::shared_ptr<QSqlQuery> query = q;
  ++round_trips_;
  Bind(*query, params);
  if (!query->exec()) {
    const QSqlError error = query->lastError();
    prepared_.remove(sql);
    throw DbError(DriverMessage(error));
  }
  take(*query);
  query->finish();
}

QSqlRecord Connection::FirstRow(const QString& sql, const QVariantMap& params) const {
  QSqlRecord row;
  RunKept(sql, params, [&row](QSqlQuery& q) {
    if (q.next()) row = q.record();
  });
  return row;
}

QList<QSqlRecord> Connection::Rows(const QString& sql, const QVariantMap& params) const {
  QList<QSqlRecord> rows;
  RunKept(sql, params, [&rows](QSqlQuery& q) {
    while (q.next()) rows << q.record();
  });
  return rows;
}

int Connection::ExecKept(const QString& sql, const QVariantMap& params) const {
  int affected = 0;
  RunKept(sql, params, [&affected](QSqlQuery& q) { affected = q.numRowsAffected(); });
  return affected;
}

int Connection::Exec(const QString& sql, const QVariantMap& params) const {
  QSqlQuery q = Query(sql, params);
  return q.numRowsAffected();
}

QVariant Connection::Scalar(const QString& sql, const QVariantMap& params) const {
  QSqlQuery q = Query(sql, params);
  if (!q.next()) return {};
  return q.value(0);
}

void Connection::RunScript(const QString& script) const {
  ++round_trips_;
  if (engine() == Engine::Server) {
    // Without parameters the PostgreSQL driver sends the text as one simple query, which
    // may hold many statements, functions included.
    QSqlQuery q(db());
    if (!q.exec(script)) throw DbError(DriverMessage(q.lastError()));
    return;
  }
  // Qt's SQLite driver runs only the first statement of a text; SQLite itself runs them all.
  const QVariant handle = db().driver()->handle();
  if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) {
    throw DbError(QStringLiteral("no SQLite handle"));
  }
  sqlite3* h = *static_cast<sqlite3* const*>(handle.constData());
  char* message = nullptr;
  if (sqlite3_exec(h, script.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
    const QString text = QString::fromUtf8(message ? message : "SQLite error");
    sqlite3_free(message);
    throw DbError(text);
  }
}

Transaction::Transaction(const Connection& connection, bool immediate) : connection_(connection) {
  const bool local = connection.engine() == Engine::Local;
  connection_.Exec(immediate && local ? QStringLiteral("BEGIN IMMEDIATE")
                                      : QStringLiteral("BEGIN"));
  open_ = true;
}

Transaction::~Transaction() {
  if (!open_) return;
  try {
    connection_.Exec(QStringLiteral("ROLLBACK"));
  } catch (const DbError&) {
    // The connection is gone; the server has rolled back already.
  }
}

void Transaction::Commit() {
  connection_.Exec(QStringLiteral("COMMIT"));
  open_ = false;
}

}  // namespace quilmo
