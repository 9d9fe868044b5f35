#include "bench_world.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/null_ui.h"
#include "base/clock.h"
#include "base/pos_session.h"
#include "data/bulk_copy.h"
#include "data/schema.h"
#include "data/tdmfm.h"

namespace quilmo::bench {
namespace {

constexpr int kGoods = 200000;
constexpr int kBarcodes = 1000000;

[[noreturn]] void Die(const QString& message) {
  std::fprintf(stderr, "bench: %s\n", message.toUtf8().constData());
  std::exit(2);
}

ServerAddress ServerFromEnv() {
  const QString url = qEnvironmentVariable("QUILMO_PG");
  if (url.isEmpty()) Die(QStringLiteral("QUILMO_PG is not set; run scripts/bench.sh"));
  ServerAddress a;
  for (const QString& part : url.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
    const QString key = part.section(QLatin1Char('='), 0, 0);
    const QString value = part.section(QLatin1Char('='), 1);
    if (key == QStringLiteral("host")) a.host = value;
    if (key == QStringLiteral("port")) a.port = value.toInt();
    if (key == QStringLiteral("user")) a.user = value;
    if (key == QStringLiteral("password")) a.password = value;
  }
  return a;
}

void Note(const QString& text) { std::fprintf(stderr, "bench: %s\n", text.toUtf8().constData()); }

BenchWorld Build() {
  BenchWorld w;
  w.server = ServerFromEnv();
  // The names carry a hash of the SQL that built them, so a changed schema builds anew.
  auto fingerprint = [](std::initializer_list<const char*> files) {
    QByteArray all;
    for (const char* f : files) all += SchemaText(QLatin1String(f)).toUtf8();
    return QString::fromLatin1(
        QCryptographicHash::hash(all, QCryptographicHash::Sha1).toHex().left(10));
  };
  w.account = QStringLiteral("quilmo_bench_%1k_%2")
                  .arg(kGoods / 1000)
                  .arg(fingerprint({"common.sql", "server.sql", "demo/seed.sql", "generate.sql"}));
  w.goods = kGoods;
  w.barcodes = kBarcodes;
  const QString home =
      qEnvironmentVariable("QUILMO_BENCH_DIR", QDir::tempPath() + QStringLiteral("/quilmo-bench"));
  QDir().mkpath(home);
  w.local_path = home + QStringLiteral("/") + w.account + QLatin1Char('_') +
                 fingerprint({"common.sql", "local.sql", "local_search.sql"}) +
                 QStringLiteral(".db");

  QString error;
  Connection postgres(QStringLiteral("bench_postgres"), Engine::Server);
  if (!postgres.OpenServer(w.server, QStringLiteral("postgres"), &error)) Die(error);
  const bool exists = postgres
                          .Query(QStringLiteral("SELECT 1 FROM pg_database WHERE datname = :n"),
                                 {{QStringLiteral(":n"), w.account}})
                          .next();
  if (!exists) {
    Note(QStringLiteral("building %1 (once)").arg(w.account));
    QElapsedTimer t;
    t.start();
    postgres.Exec(QStringLiteral("CREATE DATABASE %1").arg(w.account));
    Connection db(QStringLiteral("bench_build"), Engine::Server);
    if (!db.OpenServer(w.server, w.account, &error)) Die(error);
    CreateAccountSchema(db);
    db.RunScript(SchemaText(QStringLiteral("demo/seed.sql")));
    db.RunScript(SchemaText(QStringLiteral("generate.sql")));
    db.Exec(QStringLiteral("SELECT quilmo_generate_catalogue(:g, :b)"),
            {{QStringLiteral(":g"), kGoods}, {QStringLiteral(":b"), kBarcodes}});
    db.Exec(QStringLiteral("VACUUM ANALYZE"));
    Note(QStringLiteral("server catalogue built in %1 s").arg(t.elapsed() / 1000.0));
    QFile::remove(w.local_path);
  }

  if (!QFile::exists(w.local_path)) {
    Note(QStringLiteral("copying the catalogue into %1 (once)").arg(w.local_path));
    {
      Connection maker(QStringLiteral("bench_local_maker"), Engine::Local);
      if (!maker.OpenLocal(w.local_path, &error)) Die(error);
      CreateLocalSchema(maker);
    }
    PosSession session;
    SystemClock clock;
    TDMFM dm(session, clock);
    if (!dm.conServer.OpenServer(w.server, w.account, &error)) Die(error);
    if (!dm.conClient.OpenLocal(w.local_path, &error)) Die(error);
    Transaction tx(dm.conClient);
    for (const char* table :
         {"JBGoods", "JBClothBarCode", "JBColor", "JBSize", "JBCGroup", "JBCGroupDetail",
          "JBSGroup", "JBSGroupDetail", "JBStore", "QTShop", "QTCashier", "QTCashierRight",
          "QTCards", "QTCXOrder", "QTCXOrderDetail", "QTCardDiscount", "JBEmployee"}) {
      const QString name = QLatin1String(table);
      LocalTableReload reload(dm.conClient, name);
      CopyServerRowsToLocal(dm.conServer, QStringLiteral("SELECT * FROM %1").arg(name), {},
                            dm.conClient, name);
      reload.Finish();
    }
    tx.Commit();
    dm.conClient.Exec(QStringLiteral("ANALYZE"));
  }
  return w;
}

}  // namespace

MsgResult BenchUi::MessageBox(const QString& caption, const QString& text, MsgIcon, MsgButtons) {
  std::fprintf(stderr, "bench: box %s: %s\n", caption.toUtf8().constData(),
               text.toUtf8().constData());
  ++boxes;
  return MsgResult::No;
}

// Two promotions on ten generated goods each: a discount by pieces and a discount by spend.
// Both act on every pass and ask the cashier nothing. Written into both databases, replacing
// what an earlier run left.
void OpenWorld(TDMFM& dm) {
  const BenchWorld& w = World();
  QString error;
  if (!dm.conServer.OpenServer(w.server, w.account, &error)) Die(error);
  if (!dm.conClient.OpenLocal(w.local_path, &error)) Die(error);
}

void AddBenchPromotions(const Connection& db, int goods) {
  for (const char* table : {"QTCXOrderDetail", "QTCXOrder"}) {
    db.Exec(QStringLiteral("DELETE FROM %1 WHERE %2 IN ('BENCH9', 'BENCH5')")
                .arg(QLatin1String(table),
                     QLatin1String(qstrcmp(table, "QTCXOrder") == 0 ? "ORderNo" : "OrderNo")));
  }
  db.Exec(QStringLiteral(
              "INSERT INTO QTCXOrder (ORderNo, CXFlag, CXQty, GiftQty, AddMoney, StoreNoList, "
              "Begindate, EndDate, Checkflag) VALUES "
              "('BENCH9', 9, 95, 90, 85, '0001,0002', :Begin, :End, 1), "
              "('BENCH5', 5, 300, 90, 0, '0001,0002', :Begin, :End, 1)"),
          {{QStringLiteral(":Begin"), QDateTime(QDate(2000, 1, 1), QTime(0, 0))},
           {QStringLiteral(":End"), QDateTime(QDate(2099, 12, 31), QTime(0, 0))}});
  for (int i = 1; i <= 20; ++i) {
    db.Exec(QStringLiteral(
                "INSERT INTO QTCXOrderDetail (OrderNo, GoodsNo) VALUES (:OrderNo, :GoodsNo)"),
            {{QStringLiteral(":OrderNo"),
              i <= 10 ? QStringLiteral("BENCH9") : QStringLiteral("BENCH5")},
             {QStringLiteral(":GoodsNo"),
              QStringLiteral("BG%1").arg(i * 7919 % goods + 1, 7, 10, QLatin1Char('0'))}});
  }
}

qint64 ServerTransactions(const Connection& session, const QString& database) {
  // A backend reports its counts when it goes idle, at most once a second unless asked.
  session.Exec(QStringLiteral("SELECT pg_stat_force_next_flush()"));
  static Connection stats(QStringLiteral("bench_stats"), Engine::Server);
  QString error;
  if (!stats.isOpen() && !stats.OpenServer(World().server, QStringLiteral("postgres"), &error)) {
    Die(error);
  }
  stats.Exec(QStringLiteral("SELECT pg_stat_clear_snapshot()"));
  return stats
      .Scalar(QStringLiteral("SELECT xact_commit + xact_rollback FROM pg_stat_database "
                             "WHERE datname = :Db"),
              {{QStringLiteral(":Db"), database}})
      .toLongLong();
}

const BenchWorld& World() {
  static const BenchWorld world = Build();
  return world;
}

QList<QSqlRecord> SampleRows(const QString& columns, const QString& table, int count) {
  Connection db(QStringLiteral("bench_sample"), Engine::Server);
  QString error;
  if (!db.OpenServer(World().server, World().account, &error)) Die(error);
  const double rows = db.Scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table)).toDouble();
  if (rows <= 0) Die(QStringLiteral("%1 is empty").arg(table));
  // BERNOULLI picks rows, SYSTEM picks pages: 2,000 barcodes from SYSTEM came from about 15
  // adjacent pages and made a probe look a third cheaper than a random one.
  const double percent = std::min(100.0, 100.0 * 1.2 * count / rows);
  QSqlQuery q = db.Query(QStringLiteral("SELECT %1 FROM %2 TABLESAMPLE BERNOULLI (%3) "
                                        "REPEATABLE (4711) ORDER BY md5(CAST(ctid AS TEXT)) "
                                        "LIMIT :n")
                             .arg(columns, table, QString::number(percent, 'f', 6)),
                         {{QStringLiteral(":n"), count}});
  QList<QSqlRecord> out;
  while (q.next()) out << q.record();
  if (out.isEmpty()) Die(QStringLiteral("no sample of %1").arg(table));
  return out;
}

}  // namespace quilmo::bench
