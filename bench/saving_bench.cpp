// Saving a 20-line order with a card (one of 100 000) at checkout, offline on the till's
// SQLite file and online on PostgreSQL, over the benchmark catalogue; and uploading 1000
// orders of 5 lines saved offline. p50_us/p99_us are per save; the upload reports its
// seconds and its orders per second.

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QTemporaryDir>

#include "app/null_ui.h"
#include "base/clock.h"
#include "base/pos_session.h"
#include "bench_world.h"
#include "data/schema.h"
#include "data/tdmfm.h"
#include "latency.h"
#include "sale/order_saving.h"
#include "sale/upload_sales.h"

namespace quilmo::bench {
namespace {

constexpr int kCards = 100000;
const QString kShift = QStringLiteral("BCBENCH0001");

QString GoodsNo(int n) { return QStringLiteral("BG%1").arg(n, 7, 10, QLatin1Char('0')); }
QString CardCode(int n) { return QStringLiteral("BC%1").arg(n, 8, 10, QLatin1Char('0')); }

// 100 000 cards in both databases and an open shift record in the local file.
void AddCards(TDMFM& dm) {
  const QString count = QStringLiteral("SELECT COUNT(*) FROM QTCards WHERE CardNo LIKE 'BC%'");
  if (dm.conServer.Scalar(count).toInt() < kCards) {
    dm.conServer.Exec(QStringLiteral(
        "INSERT INTO QTCards (CardNo, CardsCode, CardType, Amount, DownLogNo) "
        "SELECT 'BC' || lpad(n::text, 8, '0'), 'BC' || lpad(n::text, 8, '0'), '储值卡', 100000, "
        "n FROM generate_series(1, 100000) n ON CONFLICT DO NOTHING"));
  }
  if (dm.conClient.Scalar(count).toInt() < kCards) {
    dm.conClient.Exec(QStringLiteral(
        "WITH RECURSIVE s(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM s WHERE n < 100000) "
        "INSERT OR IGNORE INTO QTCards (CardNo, CardsCode, CardType, Amount, DownLogNo) "
        "SELECT 'BC' || substr('0000000' || n, -8), 'BC' || substr('0000000' || n, -8), "
        "'储值卡', 100000, n FROM s"));
  }
  dm.conClient.Exec(QStringLiteral("INSERT OR IGNORE INTO QTOnOverOrder (OrderNo, OnBoxAmount, "
                                   "SaleAmount, GetAmount, OverAmount, OverFlag) "
                                   "VALUES (:No, 0, 0, 0, 0, 0)"),
                    {{QStringLiteral(":No"), kShift}});
}

struct Till {
  PosSession session;
  BenchUi ui;
  SystemClock clock;
  TDMFM dm{session, clock};

  explicit Till(bool online) {
    session.IsOnline = online;
    session.PerJFAmount = 10;
    session.CashierName = QStringLiteral("bench");
    OpenWorld(dm);
    AddCards(dm);
  }
};

// An order of `n` lines over generated goods, on a card.
void MakeOrder(const QString& order_no, int n, int seed, OrderHeader& h,
               std::vector<OrderLine>& lines) {
  h = OrderHeader();
  h.OrderNo = order_no;
  h.OrderDate = QDateTime::currentDateTime();
  h.StoreNo = QStringLiteral("0001");
  h.OnOverOrderNo = kShift;
  h.CardCode = CardCode(seed % kCards + 1);
  lines.clear();
  Money total;
  for (int i = 1; i <= n; ++i) {
    OrderLine l;
    l.OrderNo = order_no;
    l.SerialNo = i;
    l.GoodsNo = GoodsNo((seed * 31 + i * 7919) % World().goods + 1);
    l.Quantity = 1;
    l.Price = l.Amount = 10 + i;
    total += l.Amount;
    lines.push_back(l);
  }
  h.Amount = h.RealAmount = h.CashAmount = total;
}

QString RunId() { return QString::number(QDateTime::currentMSecsSinceEpoch() % 100000000); }

void BM_SaveOrder(benchmark::State& state) {
  Till till(state.range(0) == 1);
  const QString run = RunId();
  Latencies latencies;
  int saved = 0;
  int i = 0;
  for (auto _ : state) {
    OrderHeader h;
    std::vector<OrderLine> lines;
    ++i;
    MakeOrder(QStringLiteral("XB%1%2").arg(run).arg(i, 6, 10, QLatin1Char('0')), 20, i, h, lines);
    latencies.Time([&] { saved += SaveOrder(till.dm, till.ui, h, lines, true) ? 1 : 0; });
  }
  latencies.Report(state);
  state.counters["saved"] = saved;
}
BENCHMARK(BM_SaveOrder)->Arg(0)->Arg(1)->Iterations(300)->Unit(benchmark::kMicrosecond);

void BM_UploadOrders(benchmark::State& state) {
  Till till(true);
  for (auto _ : state) {
    state.PauseTiming();
    const QString run = RunId();
    SaveRequest offline;
    offline.on_server = false;
    offline.add_to_shift = false;
    {
      Transaction tx(till.dm.conClient);
      // Only this run's orders: the save benchmark's offline orders are not part of it.
      till.dm.conClient.Exec(QStringLiteral("DELETE FROM QTSaleOrderDetail"));
      till.dm.conClient.Exec(QStringLiteral("DELETE FROM QTSaleOrder"));
      for (int i = 1; i <= 1000; ++i) {
        OrderHeader h;
        std::vector<OrderLine> lines;
        MakeOrder(QStringLiteral("XU%1%2").arg(run).arg(i, 6, 10, QLatin1Char('0')), 5, i, h,
                  lines);
        // Written as a save writes them, in one transaction for the setup's speed.
        till.dm.conClient.Exec(InsertStatement<OrderHeader>(QStringLiteral("QTSaleOrder")),
                               ToParams(h));
        for (const OrderLine& l : lines) {
          till.dm.conClient.ExecKept(
              InsertStatement<OrderLine>(QStringLiteral("QTSaleOrderDetail")), ToParams(l));
        }
      }
      tx.Commit();
    }
    state.ResumeTiming();
    QElapsedTimer t;
    t.start();
    const UploadCounts counts = UploadSales(till.dm, till.ui);
    state.counters["seconds"] = static_cast<double>(t.elapsed()) / 1000;
    state.counters["uploaded"] = counts.sales_uploaded;
  }
}
BENCHMARK(BM_UploadOrders)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// A shop's year in the local file (110 000 orders of 5 lines over 730 shifts, never uploaded):
// the lookups of the shift close and the upload, each timed on its own.
void BM_YearOfSalesLookups(benchmark::State& state) {
  QTemporaryDir dir;
  Connection local(QStringLiteral("year"), Engine::Local);
  QString error;
  if (!local.OpenLocal(dir.filePath(QStringLiteral("year.db")), &error))
    qFatal("%s", qPrintable(error));
  CreateLocalSchema(local);
  {
    Transaction tx(local);
    local.Exec(QStringLiteral(
        "WITH RECURSIVE s(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM s WHERE n < 110000) "
        "INSERT INTO QTSaleOrder (OrderNo, OnOverOrderNo, CashAmount, RealAmount) "
        "SELECT 'XS' || substr('000000' || n, -7), 'BC' || substr('0000' || (n % 730), -5), "
        "100, 100 FROM s"));
    local.Exec(QStringLiteral(
        "WITH RECURSIVE s(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM s WHERE n < 549999) "
        "INSERT INTO QTSaleOrderDetail (OrderNo, SerialNo, GoodsNo, Quantity, Amount) "
        "SELECT 'XS' || substr('000000' || (n / 5 + 1), -7), n % 5 + 1, 'G1', 1, 20 FROM s"));
    local.Exec(QStringLiteral(
        "WITH RECURSIVE s(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM s WHERE n < 729) "
        "INSERT INTO QTOnOverOrder (OrderNo, OverFlag) "
        "SELECT 'BC' || substr('0000' || n, -5), CASE WHEN n = 729 THEN 0 ELSE 1 END FROM s"));
    tx.Commit();
  }
  Latencies shift_total, order_lines, closed_shifts;
  int i = 0;
  for (auto _ : state) {
    ++i;
    const QString shift = QStringLiteral("BC%1").arg(i % 730, 5, 10, QLatin1Char('0'));
    const QString order = QStringLiteral("XS%1").arg(i % 110000 + 1, 7, 10, QLatin1Char('0'));
    shift_total.Time([&] {
      local.FirstRow(QStringLiteral("SELECT SUM(CashAmount) FROM QTSaleOrder "
                                    "WHERE OnOverOrderNo = :No"),
                     {{QStringLiteral(":No"), shift}});
    });
    order_lines.Time([&] {
      OrderHeader h;
      std::vector<OrderLine> lines;
      ReadStoredOrder(local, order, h, lines);
    });
    closed_shifts.Time([&] {
      local.Rows(
          QStringLiteral("SELECT OrderNo FROM QTOnOverOrder WHERE OverFlag = 1 "
                         "ORDER BY OrderNo"));
    });
  }
  Latencies* all[] = {&shift_total, &order_lines, &closed_shifts};
  const char* names[] = {"shift_total", "order_and_lines", "closed_shifts"};
  for (int k = 0; k < 3; ++k) {
    benchmark::State& s = state;
    all[k]->Report(s);
    s.counters[std::string(names[k]) + "_p50_us"] = s.counters["p50_us"];
    s.counters[std::string(names[k]) + "_p99_us"] = s.counters["p99_us"];
  }
  state.counters.erase("p50_us");
  state.counters.erase("p99_us");
  state.counters.erase("max_us");
}
BENCHMARK(BM_YearOfSalesLookups)->Iterations(500)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quilmo::bench
