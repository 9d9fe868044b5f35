#include "data/tdmfm.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlField>
#include <QUuid>
#include <vector>

namespace quilmo {

LocalDatabaseError::LocalDatabaseError(Kind kind, const QString& reason)
    : Error(kind == Kind::Missing ? QStringLiteral("找不到本地数据库文件！")
                                  : QStringLiteral("不能与本地数据库连接！")),
      kind_(kind),
      reason_(reason) {}

TDMFM::TDMFM(PosSession& session, const Clock& clock)
    : conServer(QStringLiteral("conServer_%1").arg(reinterpret_cast<quintptr>(this)),
                Engine::Server),
      conClient(QStringLiteral("conClient_%1").arg(reinterpret_cast<quintptr>(this)),
                Engine::Local),
      session_(session),
      clock_(clock) {}

void TDMFM::OpenLocalDatabase(const QString& path) {
  if (!QFileInfo(path).isFile()) {
    throw LocalDatabaseError(LocalDatabaseError::Kind::Missing, path);
  }
  QString error;
  if (!conClient.OpenLocal(path, &error)) {
    throw LocalDatabaseError(LocalDatabaseError::Kind::Unusable, error);
  }
}

QString TDMFM::TillId() {
  if (!till_id_.isEmpty() && till_id_file_ == conClient.databaseName()) return till_id_;
  // Files made before the till kept its name lack the table.
  conClient.Exec(QStringLiteral(
      "CREATE TABLE IF NOT EXISTS QTTill (TillId VARCHAR(40) NOT NULL PRIMARY KEY)"));
  Transaction tx(conClient, /*immediate=*/true);
  QVariant id = conClient.Scalar(QStringLiteral("SELECT TillId FROM QTTill LIMIT 1"));
  if (!id.isValid() || id.toString().isEmpty()) {
    id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    conClient.Exec(QStringLiteral("INSERT INTO QTTill (TillId) VALUES (:TillId)"),
                   {{QStringLiteral(":TillId"), id}});
  }
  tx.Commit();
  till_id_ = id.toString();
  till_id_file_ = conClient.databaseName();
  return till_id_;
}

QDateTime TDMFM::ServerNow() {
  if (!session_.IsOnline) return clock_.Now();
  return conServer.Scalar(QStringLiteral("SELECT LOCALTIMESTAMP(0) AS ServerTime")).toDateTime();
}

QString TDMFM::NextBillNo(const QString& bill_name) {
  // The write lock is taken before the read, so two programs on one file never hand out
  // the same number.
  Transaction tx(conClient, /*immediate=*/true);
  QSqlQuery q = conClient.Query(
      QStringLiteral("SELECT BillDate, BillLine, PreNo FROM QTBill WHERE BillName = :BillName"),
      {{QStringLiteral(":BillName"), bill_name}});
  if (!q.next()) return {};
  QDate bill_date = ToDateTime(q.value(0)).date();
  qint64 line = q.value(1).toLongLong();
  const QString prefix = q.value(2).toString();
  q.finish();

  const QDate today = clock_.Now().date();
  if (!bill_date.isValid() || today > bill_date) {
    bill_date = today;
    line = 1;
  }
  QString digits = QString::number(line);
  if (digits.size() < 5) digits = QString(5 - digits.size(), QLatin1Char('0')) + digits;
  const QString number =
      prefix + session_.ShopCode + bill_date.toString(QStringLiteral("yyyyMMdd")) + digits;

  conClient.Exec(QStringLiteral("UPDATE QTBill SET BillDate = :BillDate, BillLine = :BillLine "
                                "WHERE BillName = :BillName"),
                 {{QStringLiteral(":BillDate"), bill_date.startOfDay()},
                  {QStringLiteral(":BillLine"), line + 1},
                  {QStringLiteral(":BillName"), bill_name}});
  tx.Commit();
  return number;
}

bool TDMFM::UseDatabase(Connection& connection, const QString& db_name) {
  if (connection.engine() != Engine::Server) return false;
  QString error;
  return connection.OpenServer(connection.serverAddress(), db_name, &error);
}

QString TDMFM::LookupValue(const QString& table, const QString& key_column,
                           const QString& key_value, bool on_server, const QString& result_column) {
  const QSqlRecord row =
      On(on_server).FirstRow(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = :KeyValue")
                                 .arg(result_column, table, key_column),
                             {{QStringLiteral(":KeyValue"), key_value}});
  return row.isEmpty() || row.isNull(0) ? QString() : row.value(0).toString();
}

QString NextNumberText(const Connection& connection, const QString& table, const QString& column) {
  const QVariant v = connection.Scalar(
      QStringLiteral("SELECT MAX(CAST(%1 AS INTEGER)) AS MField FROM %2").arg(column, table));
  if (v.isNull() || v.toString().isEmpty()) return QStringLiteral("0001");
  return QString::number(v.toLongLong() + 1);
}

bool TDMFM::ServerAlive(Connection& connection) {
  try {
    connection.Query(QStringLiteral("SELECT UserNo FROM JBUser WHERE 1 <> 1"));
    return true;
  } catch (const DbError&) {
    return false;
  }
}

QString TDMFM::BuildInsert(const QString& table, const QSqlRecord& source, bool on_server) {
  QSqlQuery q = On(on_server).Query(QStringLiteral("SELECT * FROM %1 LIMIT 1").arg(table));
  const QSqlRecord target = q.record();
  QStringList columns;
  QStringList values;
  for (int i = 0; i < target.count(); ++i) {
    const QString name = target.fieldName(i);
    if (source.indexOf(name) < 0) continue;
    columns << name;
    values << QLatin1Char(':') + name;
  }
  if (columns.isEmpty()) return {};
  return QStringLiteral("insert into %1(%2) values(%3)")
      .arg(table, columns.join(QLatin1Char(',')), values.join(QLatin1Char(',')));
}

RowInserter::RowInserter(const Connection& target, const QString& insert_text,
                         const QSqlRecord& source)
    : target_(target), query_(target.db()) {
  if (!query_.prepare(insert_text)) throw DbError(DriverMessage(query_.lastError()));
  static const QRegularExpression kParam(QStringLiteral(":([A-Za-z_][A-Za-z0-9_]*)"));
  const qsizetype values_at =
      insert_text.lastIndexOf(QStringLiteral("values("), -1, Qt::CaseInsensitive);
  for (auto it = kParam.globalMatch(insert_text, values_at < 0 ? 0 : values_at); it.hasNext();) {
    const int index = source.indexOf(it.next().captured(1));
    if (index < 0) throw DbError(QStringLiteral("no source field for ") + insert_text);
    fields_.push_back(index);
  }
}

void RowInserter::Insert(const QSqlQuery& source) {
  for (size_t p = 0; p < fields_.size(); ++p) {
    query_.bindValue(static_cast<int>(p), target_.ForBinding(source.value(fields_[p])));
  }
  if (!query_.exec()) throw DbError(DriverMessage(query_.lastError()));
}

int TDMFM::CopyRows(bool on_server, const QString& insert_text, QSqlQuery& source) {
  if (!source.isActive()) return 0;
  RowInserter inserter(On(on_server), insert_text, source.record());
  if (!source.isForwardOnly() || source.at() != QSql::BeforeFirstRow) {
    if (!source.first()) return 0;
  } else if (!source.next()) {
    return 0;
  }
  int copied = 0;
  do {
    inserter.Insert(source);
    ++copied;
  } while (source.next());
  return copied;
}

}  // namespace quilmo
