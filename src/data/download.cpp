#include "data/download.h"

#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "base/clock.h"
#include "base/ini_file.h"
#include "data/bulk_copy.h"

namespace quilmo {
namespace {

enum class Step { Counted, WholeTable, GoodsList, GoodsLinked };

struct TableStep {
  const char* table;
  Step step;
  const char* key;  // key of a counted table, link column of a goods-linked one
};

// The download order. The goods list and the goods-linked tables come before JBGoods, so
// they see the JBGoods counter as it stood before this download.
constexpr TableStep kTables[] = {
    {"JBStore", Step::Counted, "StoreNo"},
    {"JBEmployee", Step::Counted, "EmployeeNo"},
    {"JBGoodsType", Step::WholeTable, nullptr},
    {"GoodsTemp", Step::GoodsList, nullptr},
    {"JBClothBarCode", Step::GoodsLinked, "GoodsNo"},
    {"JBCGroup", Step::GoodsLinked, "CGroupNo"},
    {"JBCGroupDetail", Step::GoodsLinked, "CGroupNo"},
    {"JBColor", Step::WholeTable, nullptr},
    {"JBSGroup", Step::GoodsLinked, "SGroupNo"},
    {"JBSGroupDetail", Step::GoodsLinked, "SGroupNo"},
    {"JBSize", Step::WholeTable, nullptr},
    {"JBGoods", Step::Counted, "GoodsNo"},
    {"QTShop", Step::Counted, "ShopNo"},
    {"QTShopTem", Step::Counted, "ShopTemNo"},
    {"QTCards", Step::Counted, "CardNo"},
    {"QTCashier", Step::Counted, "CashierNo"},
    {"QTCashierRight", Step::WholeTable, nullptr},
    {"QTCardDiscount", Step::WholeTable, nullptr},
    {"QTSysSet", Step::WholeTable, nullptr},
    {"JBOrgan", Step::WholeTable, nullptr},
};
constexpr int kTableCount = static_cast<int>(std::size(kTables));
constexpr int kStepCount = kTableCount + 1;  // the promotion tables are the last step

QString Name(const char* s) { return QLatin1String(s); }

// The moment of the back office this download reads: every server read of one download runs
// in one repeatable-read transaction, so the goods list, the goods' barcodes and groups and
// the goods themselves agree with each other and with the counters written for them.
struct Snapshot {
  qint64 horizon = 0;  // every transaction with a lower id had ended
  qint64 next = 0;     // the id the next transaction gets
};

// A counted table's place: the highest DownlogNo fetched so far, and the horizon of the
// download that fetched it.
struct Counter {
  int n = 0;
  qint64 horizon = 0;
};

// Stops the download when the server connection is lost in a per-table step: every later
// step would fail the same way.
struct ConnectionLost {};

struct Run {
  TDMFM& dm;
  int kind;
  Snapshot snapshot;
  int changed_goods = -1;  // goods in GoodsTemp; -1 = not known
  DownloadResult result;
};

// Files made before the horizon was kept lack its column.
void EnsureHorizonColumn(const Connection& local) {
  QSqlQuery q = local.Query(QStringLiteral("PRAGMA table_info(DownLog)"));
  while (q.next()) {
    if (q.value(1).toString().compare(QStringLiteral("DownHorizon"), Qt::CaseInsensitive) == 0)
      return;
  }
  q.finish();
  local.Exec(QStringLiteral("ALTER TABLE DownLog ADD COLUMN DownHorizon INTEGER DEFAULT 0"));
}

Counter ReadCounter(TDMFM& dm, const QString& table, const Snapshot& snapshot) {
  const QSqlRecord row = dm.conClient.FirstRow(
      QStringLiteral("SELECT DownLogNo, DownHorizon FROM DownLog WHERE DownTable = :DownTable"),
      {{QStringLiteral(":DownTable"), table}});
  Counter c;
  if (row.isEmpty()) return c;
  c.n = row.isNull(0) ? 0 : row.value(0).toInt();
  c.horizon = row.isNull(1) ? 0 : row.value(1).toLongLong();
  // Transaction ids never go back on one server: a horizon ahead of the server's next id was
  // taken on another server (a back office restored elsewhere), and says nothing here.
  if (c.horizon > snapshot.next) c.horizon = 0;
  return c;
}

void WriteCounter(TDMFM& dm, const QString& table, const Counter& c) {
  dm.conClient.Exec(QStringLiteral("UPDATE DownLog SET DownLogNo = :DownLogNo, "
                                   "DownHorizon = :DownHorizon WHERE DownTable = :DownTable"),
                    {{QStringLiteral(":DownLogNo"), c.n},
                     {QStringLiteral(":DownHorizon"), c.horizon},
                     {QStringLiteral(":DownTable"), table}});
}

// The rows of a counted table the till has not got yet: those above its counter, and those
// at the counter whose last change was made by a transaction that had not ended when the
// last download read the table. The back office may stamp many rows with one number (a bulk
// import does) and may stamp a later change with the number it already used; re-reading every
// row at the counter would fetch the whole import on every start, while this fetches only the
// rows changed since. A row's xmin is the 32-bit id of the transaction that wrote it; it is
// widened against the snapshot's next id, since every row in the table was written before it.
QString Changed(const Counter& c) {
  const QString column =
      c.n > 0 ? QStringLiteral("DownlogNo") : QStringLiteral("COALESCE(DownlogNo, 0)");
  if (c.horizon <= 0) return QStringLiteral("%1 >= :N").arg(column);
  return QStringLiteral(
             "(%1 > :N OR (%1 = :N AND :Next - ((:Next - CAST(CAST(xmin AS TEXT) AS BIGINT)) "
             "& 4294967295) >= :Horizon))")
      .arg(column);
}

QVariantMap ChangedParams(const Counter& c, const Snapshot& snapshot) {
  QVariantMap params{{QStringLiteral(":N"), c.n}};
  if (c.horizon > 0) {
    params.insert(QStringLiteral(":Next"), snapshot.next);
    params.insert(QStringLiteral(":Horizon"), c.horizon);
  }
  return params;
}

int ServerMax(TDMFM& dm, const QString& table) {
  const QVariant v =
      dm.conServer.Scalar(QStringLiteral("SELECT MAX(DownlogNo) FROM %1").arg(table));
  return v.isNull() ? 0 : v.toInt();
}

bool LocalEmpty(TDMFM& dm, const QString& table) {
  return dm.conClient.FirstRow(QStringLiteral("SELECT 1 FROM %1 LIMIT 1").arg(table)).isEmpty();
}

// Copies every row of `source` into the local table; nothing when they share no column.
void CopyToLocal(TDMFM& dm, const QString& table, QSqlQuery& source) {
  const QString insert = dm.BuildInsert(table, source.record(), /*on_server=*/false);
  if (!insert.isEmpty()) dm.CopyRows(/*on_server=*/false, insert, source);
}

// Fills an empty local table with what a server statement returns, the fast way: indexes and
// triggers set aside and rebuilt once, rows streamed. The first start of a till fills every
// table from nothing, and row by row that took four times as long as a full download.
void FillEmptyTable(TDMFM& dm, const QString& table, const QString& select,
                    const QVariantMap& params) {
  LocalTableReload reload(dm.conClient, table);
  CopyServerRowsToLocal(dm.conServer, select, params, dm.conClient, table);
  reload.Finish();
}

// The whole table, replaced in one local transaction: a failure leaves the previous rows.
void WholeTableStep(TDMFM& dm, const QString& table) {
  Transaction tx(dm.conClient);
  FillEmptyTable(dm, table, QStringLiteral("SELECT * FROM %1").arg(table), {});
  tx.Commit();
}

// A counted or goods-linked step: its failure is the table's alone. The server reads go back
// to where they stood before the step, so the next table reads on; when even that fails the
// connection is gone and the download stops.
template <typename Body>
void Guarded(Run& run, const QString& table, Body&& body) {
  const Connection& server = run.dm.conServer;
  server.Exec(QStringLiteral("SAVEPOINT download_table"));
  try {
    body();
  } catch (const DbError& e) {
    run.result.failures.push_back({table, e.message()});
    try {
      server.Exec(QStringLiteral("ROLLBACK TO SAVEPOINT download_table"));
    } catch (const DbError&) {
      throw ConnectionLost{};
    }
    return;
  }
  server.Exec(QStringLiteral("RELEASE SAVEPOINT download_table"));
}

void CountedStep(Run& run, const QString& table, const QString& key) {
  TDMFM& dm = run.dm;
  if (run.kind == kFullDownload) {
    const int m = ServerMax(dm, table);
    WholeTableStep(dm, table);
    WriteCounter(dm, table, {m, run.snapshot.horizon});
    return;
  }
  Guarded(run, table, [&] {
    const Counter c = ReadCounter(dm, table, run.snapshot);
    const QVariantMap params = ChangedParams(c, run.snapshot);
    const QString select = QStringLiteral("SELECT * FROM %1 WHERE %2").arg(table, Changed(c));
    const int m = std::max(c.n, ServerMax(dm, table));
    // Each fetched row replaces the local row with its key. Deleting and inserting in one
    // transaction means a table that fails keeps every row it had.
    Transaction tx(dm.conClient);
    if (LocalEmpty(dm, table)) {
      FillEmptyTable(dm, table, select, params);
    } else {
      QSqlQuery rows = dm.conServer.Query(select, params);
      const int key_at = rows.record().indexOf(key);
      if (key_at < 0) throw DbError(QStringLiteral("%1 has no column %2").arg(table, key));
      const QString insert = dm.BuildInsert(table, rows.record(), /*on_server=*/false);
      const QString remove = QStringLiteral("DELETE FROM %1 WHERE %2 = :Key").arg(table, key);
      std::optional<RowInserter> add;
      if (!insert.isEmpty()) add.emplace(dm.conClient, insert, rows.record());
      while (rows.next()) {
        dm.conClient.ExecKept(remove, {{QStringLiteral(":Key"), rows.value(key_at)}});
        if (add) add->Insert(rows);
      }
    }
    WriteCounter(dm, table, {m, run.snapshot.horizon});
    tx.Commit();
  });
}

void GoodsListStep(Run& run) {
  TDMFM& dm = run.dm;
  Transaction tx(dm.conClient);
  dm.conClient.Exec(QStringLiteral("DELETE FROM GoodsTemp"));
  run.changed_goods = 0;
  if (run.kind == kIncrementalDownload) {
    const Counter c = ReadCounter(dm, QStringLiteral("JBGoods"), run.snapshot);
    run.changed_goods = CopyServerRowsToLocal(
        dm.conServer, QStringLiteral("SELECT GoodsNo FROM JBGoods WHERE %1").arg(Changed(c)),
        ChangedParams(c, run.snapshot), dm.conClient, QStringLiteral("GoodsTemp"));
  }
  tx.Commit();
}

void GoodsLinkedStep(Run& run, const QString& table, const QString& link) {
  TDMFM& dm = run.dm;
  if (run.kind == kFullDownload) {
    WholeTableStep(dm, table);
    return;
  }
  // No goods changed: nothing of theirs to fetch.
  if (run.changed_goods == 0) return;
  Guarded(run, table, [&] {
    const Counter c = ReadCounter(dm, QStringLiteral("JBGoods"), run.snapshot);
    const QVariantMap params = ChangedParams(c, run.snapshot);
    const QString select =
        QStringLiteral("SELECT * FROM %1 WHERE %2 IN (SELECT %2 FROM JBGoods WHERE %3)")
            .arg(table, link, Changed(c));
    Transaction tx(dm.conClient);
    if (LocalEmpty(dm, table)) {
      FillEmptyTable(dm, table, select, params);
      tx.Commit();
      return;
    }
    // Buffered, because the rows are read twice: once for their links, once to copy them.
    QSqlQuery rows(dm.conServer.db());
    rows.setForwardOnly(false);
    if (!rows.prepare(select)) throw DbError(DriverMessage(rows.lastError()));
    for (auto it = params.begin(); it != params.end(); ++it) rows.bindValue(it.key(), it.value());
    if (!rows.exec()) throw DbError(DriverMessage(rows.lastError()));

    // The rows of the changed goods go, found through the local JBGoods, which still holds
    // the goods' previous groups; but a group that goods left unchanged still point at stays,
    // or those goods could no longer be sold offline until a full download.
    dm.conClient.Exec(QStringLiteral("DELETE FROM %1 WHERE %2 IN (SELECT %2 FROM JBGoods "
                                     "WHERE GoodsNo IN (SELECT GoodsNo FROM GoodsTemp)) "
                                     "AND %2 NOT IN (SELECT %2 FROM JBGoods WHERE %2 IS NOT NULL "
                                     "AND GoodsNo NOT IN (SELECT GoodsNo FROM GoodsTemp))")
                          .arg(table, link));
    // So do local rows under the links being fetched: a group the goods moved to, or
    // barcodes of goods the local JBGoods does not have yet, would otherwise be doubled.
    const int link_at = rows.record().indexOf(link);
    QSet<QString> links;
    while (rows.next()) {
      if (link_at >= 0 && !rows.value(link_at).isNull())
        links.insert(rows.value(link_at).toString());
    }
    const QString remove = QStringLiteral("DELETE FROM %1 WHERE %2 = :Link").arg(table, link);
    for (const QString& value : links)
      dm.conClient.ExecKept(remove, {{QStringLiteral(":Link"), value}});
    CopyToLocal(dm, table, rows);
    tx.Commit();
  });
}

// The promotion tables are always replaced whole, both in one local transaction.
void PromotionStep(TDMFM& dm) {
  QSqlQuery orders = dm.conServer.Query(QStringLiteral("SELECT * FROM QTCXOrder"));
  Transaction tx(dm.conClient);
  dm.conClient.Exec(QStringLiteral("DELETE FROM QTCXOrderDetail"));
  dm.conClient.Exec(QStringLiteral("DELETE FROM QTCXOrder"));
  CopyToLocal(dm, QStringLiteral("QTCXOrder"), orders);
  QSqlQuery details = dm.conServer.Query(QStringLiteral("SELECT * FROM QTCXOrderDetail"));
  CopyToLocal(dm, QStringLiteral("QTCXOrderDetail"), details);
  tx.Commit();
}

void DownloadTable(Run& run, const TableStep& t) {
  const QString table = Name(t.table);
  switch (t.step) {
    case Step::Counted:
      CountedStep(run, table, Name(t.key));
      break;
    case Step::WholeTable:
      WholeTableStep(run.dm, table);
      break;
    case Step::GoodsList:
      GoodsListStep(run);
      break;
    case Step::GoodsLinked:
      GoodsLinkedStep(run, table, Name(t.key));
      break;
  }
}

// The repeatable-read, read-only transaction of one download on the server connection.
class ServerRead {
 public:
  explicit ServerRead(const Connection& server) : server_(server) {
    server_.Exec(QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"));
    open_ = true;
    const QSqlRecord row = server_.FirstRow(QStringLiteral(
        "SELECT CAST(CAST(pg_snapshot_xmin(s) AS TEXT) AS BIGINT), "
        "CAST(CAST(pg_snapshot_xmax(s) AS TEXT) AS BIGINT) FROM pg_current_snapshot() AS s"));
    snapshot_.horizon = row.value(0).toLongLong();
    snapshot_.next = row.value(1).toLongLong();
  }
  ~ServerRead() {
    if (!open_) return;
    try {
      server_.Exec(QStringLiteral("ROLLBACK"));
    } catch (const DbError&) {
      // The connection is gone; the server has ended the transaction.
    }
  }
  ServerRead(const ServerRead&) = delete;
  ServerRead& operator=(const ServerRead&) = delete;
  const Snapshot& snapshot() const { return snapshot_; }
  void End() {
    server_.Exec(QStringLiteral("COMMIT"));
    open_ = false;
  }

 private:
  const Connection& server_;
  bool open_ = false;
  Snapshot snapshot_;
};

}  // namespace

DownloadResult DownloadMasterData(TDMFM& dm, int kind, bool with_promotions, Progress* progress) {
  Run run{dm, kind, {}, -1, {}};
  if (progress) progress->SetSteps(kStepCount);
  auto say = [&](const QString& text) {
    if (progress) progress->SetText(text);
  };
  // Which text introduces which table (by its position in the list).
  auto text_before = [](int index) -> QString {
    switch (index) {
      case 0:
        return QStringLiteral("正在从服务器下载更新的仓库资料,请稍候..........");
      case 1:
        return QStringLiteral("正在从服务器下载更新的导购员资料,请稍候..........");
      case 2:
        return QStringLiteral("正在从服务器下载更新的商品资料,请稍候..........");
      case 12:
        return QStringLiteral("正在从服务器下载更新的零售店相关资料,请稍候..........");
      default:
        return {};
    }
  };
  try {
    EnsureHorizonColumn(dm.conClient);
    ServerRead read(dm.conServer);
    run.snapshot = read.snapshot();
    for (int i = 0; i < kTableCount; ++i) {
      const QString text = text_before(i);
      if (!text.isEmpty()) say(text);
      DownloadTable(run, kTables[i]);
      if (progress) progress->SetStep(i + 1);
    }
    if (with_promotions) PromotionStep(dm);
    read.End();
    if (progress) progress->SetStep(kStepCount);
    run.result.finished = true;
  } catch (const ConnectionLost&) {
    // The failed table says why; every later table would say the same.
  } catch (const Error& e) {
    run.result.error = e.message();
  }
  return run.result;
}

QString TableFailureText(const TableFailure& failure) {
  return QStringLiteral("下载表") + failure.table + QStringLiteral("出错！！原因：") +
         failure.reason;
}

void ClearLocalData(TDMFM& dm) {
  // The background download writes the same tables; clearing under it would leave neither
  // the old data nor the new.
  if (dm.session().DownloadRunning) {
    throw Error(QStringLiteral("有线程正在下载，请稍侯再清空数据！"));
  }
  static const char* const kCleared[] = {"JBEmployee",        "JBClothBarcode",
                                         "JBCGroupDetail",    "JBCGroup",
                                         "JBColor",           "JBSGroupDetail",
                                         "JBSGroup",          "JBSize",
                                         "JBGoods",           "JBGoodsType",
                                         "JBStore",           "QTAddCardAmount",
                                         "QTCardDiscount",    "QTCards",
                                         "QTCashier",         "QTCashierRight",
                                         "QTHalSaleOrder",    "QTHalSaleOrderDetail",
                                         "QTCXOrder",         "QTCXOrderDetail",
                                         "QTOnOverOrder",     "QTSaleORder",
                                         "QTSaleORderDetail", "QTShop",
                                         "QTShopTem",         "QTSysSet",
                                         "QTShiftPending"};
  // ConnectSet/DBAName and the Options section stay: the next configuration starts from them.
  const std::vector<IniEntry> resets = {
      {QStringLiteral("ConnectSet"), QStringLiteral("ServerName"), {}},
      {QStringLiteral("ConnectSet"), QStringLiteral("DBAPSW"), {}},
      {QStringLiteral("SysSet"), QStringLiteral("ShopNo"), {}},
      {QStringLiteral("SysSet"), QStringLiteral("StoreNo"), {}},
      {QStringLiteral("SysSet"), QStringLiteral("OnOverOrderNo"), {}},
      {QStringLiteral("SysSet"), QStringLiteral("OnDate"), {}},
      {QStringLiteral("SysSet"), QStringLiteral("OnOperatorNo"), {}},
      {QStringLiteral("SysSet"), QStringLiteral("OverFlag"), QStringLiteral("1")},
      {QStringLiteral("SysSet"), QStringLiteral("OnverBoxAmount"), QStringLiteral("0")},
      {QStringLiteral("HardWareSet"), QStringLiteral("HavePrinter"), QStringLiteral("N")},
      {QStringLiteral("HardWareSet"), QStringLiteral("HaveScreen"), QStringLiteral("N")},
      {QStringLiteral("HardWareSet"), QStringLiteral("HaveCashBox"), QStringLiteral("N")}};
  Transaction tx(dm.conClient);
  dm.conClient.Exec(QStringLiteral("UPDATE DownLog SET DownLogNo = 0"));
  for (const char* table : kCleared) {
    dm.conClient.Exec(QStringLiteral("DELETE FROM %1").arg(Name(table)));
  }
  // All keys in one replacement of the file: an interruption leaves all or none reset.
  QString error;
  if (!WriteIniStrings(dm.session().IniFile, resets, &error)) throw DbError(error);
  tx.Commit();
}

QTThread::QTThread(const TDMFM& dm)
    : server_(dm.conServer.serverAddress()),
      server_database_(dm.conServer.databaseName()),
      local_path_(dm.conClient.databaseName()) {}

QTThread::~QTThread() { wait(); }

void QTThread::run() {
  // Everything the download touches is made here and goes with this function: the thread
  // shares nothing with the window thread but the result it leaves behind.
  PosSession session;
  SystemClock clock;
  TDMFM dm(session, clock);
  QString error;
  if (!dm.conServer.OpenServer(server_, server_database_, &error) ||
      !dm.conClient.OpenLocal(local_path_, &error)) {
    result_.error = error.isEmpty() ? QStringLiteral("cannot open the connections") : error;
    return;
  }
  try {
    result_ = DownloadMasterData(dm, kIncrementalDownload, /*with_promotions=*/true);
  } catch (const std::exception& e) {
    result_.error = QString::fromUtf8(e.what());
  }
}

}  // namespace quilmo
