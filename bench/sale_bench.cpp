// Scan to priced line to totals over the benchmark catalogue (200 000 goods, 1 000 000
// colour/size barcodes): each iteration scans one code into a 20-line order carrying two
// order-wide promotions (FindAndAddGoods) and recomputes the order (RecalcOrder), offline on
// the till's SQLite file and online on PostgreSQL. The cashier's part (choosing among hits,
// colour and size) is answered at once by taking the first entry; the statements behind the
// lists are timed.
//
// Every iteration is timed on its own: p50_us and p99_us are the median and the 99th
// percentile; lines_added counts the scans that produced a line, so a miss cannot pass for
// a fast scan. round_trips is what the till's connection of the mode sent per scan (each a
// round trip online); server_xacts is what the server counted per scan on the account
// database (online).

#include <benchmark/benchmark.h>

#include <QSqlRecord>
#include <map>
#include <memory>
#include <random>

#include "app/null_ui.h"
#include "base/clock.h"
#include "base/pos_session.h"
#include "bench_till.h"
#include "bench_world.h"
#include "data/tdmfm.h"
#include "latency.h"
#include "sale/customer_display.h"
#include "sale/goods_candidate.h"
#include "sale/goods_lookup.h"
#include "sale/order.h"
#include "sale/promotions.h"

namespace quilmo::bench {
namespace {

constexpr char kStoreNo[] = "0001";

// One till, online or offline, and the 20-line order every iteration starts from.
struct Till {
  PosSession session;
  FirstChoiceUi ui;
  SystemClock clock;
  TDMFM dm{session, clock};
  NoDisplay display;
  SaleContext sale{dm, ui, display};
  Order order;

  explicit Till(bool online) {
    const BenchWorld& w = World();
    session.IsOnline = online;
    session.StoreNo = QLatin1String(kStoreNo);
    session.AmountPoint = 2;
    session.SPNotDiscount = true;
    session.VIPNotDiscount = true;
    order.CardDiscount = 100;
    order.lines.SetAmountPoint(2);
    order.header.OrderNo = QStringLiteral("XS00120261210000001");
    OpenWorld(dm);
    AddBenchPromotions(dm.conServer, w.goods);
    AddBenchPromotions(dm.conClient, w.goods);

    for (const QSqlRecord& r : dm.Current().Rows(QStringLiteral(
             "SELECT g.GoodsCode FROM QTCXOrderDetail d JOIN JBGoods g ON g.GoodsNo = d.GoodsNo "
             "WHERE d.OrderNo IN ('BENCH9', 'BENCH5') ORDER BY g.GoodsNo"))) {
      FindAndAddGoods(sale, order, {.code = r.value(0).toString()});
    }
    if (order.lines.size() != 20) {
      qFatal("sale_bench: the starting order has %d lines", order.lines.size());
    }
    RecalcOrder(sale, order);
  }
};

Till& TillFor(bool online) {
  static std::map<bool, std::unique_ptr<Till>> tills;
  auto& till = tills[online];
  if (!till) till = std::make_unique<Till>(online);
  return *till;
}

enum class Scanned { kClothBarCode, kGoodsCode, kFragment };

// What a cashier scans or types, for a random goods of the catalogue.
QString RandomCode(Scanned kind, int goods_count, int barcode_count, std::mt19937& rng) {
  const int goods = std::uniform_int_distribution<int>(1, goods_count)(rng);
  switch (kind) {
    case Scanned::kClothBarCode: {
      // The generator gives goods n the barcodes BGnnnnnnn001, 002, …: barcode_count /
      // goods_count of them.
      const int combination =
          std::uniform_int_distribution<int>(1, barcode_count / goods_count)(rng);
      return GoodsNo(goods) + QStringLiteral("%1").arg(combination, 3, 10, QLatin1Char('0'));
    }
    case Scanned::kGoodsCode:
      return GoodsNo(goods);
    case Scanned::kFragment:
      // Six digits of the running number: found in that goods' code, name and barcode, and by
      // chance in a few other barcodes, so the goods list is opened too.
      return QStringLiteral("%1").arg(goods, 7, 10, QLatin1Char('0')).right(6);
  }
  return {};
}

void BM_ScanIntoOrder(benchmark::State& state, bool online, Scanned kind) {
  const BenchWorld& w = World();
  Till& till = TillFor(online);
  std::mt19937 rng(20261210);
  Latencies latencies;
  int added = 0;
  qint64 round_trips = 0;
  const qint64 xacts_before = online ? ServerTransactions(till.dm.conServer, w.account) : 0;
  for (auto _ : state) {
    Order order = till.order;
    const QString code = RandomCode(kind, w.goods, w.barcodes, rng);
    OrderTotals totals;
    const qint64 sent = till.dm.Current().RoundTrips();
    latencies.Time([&] {
      FindAndAddGoods(till.sale, order, {.code = code});
      totals = RecalcOrder(till.sale, order);
    });
    round_trips += till.dm.Current().RoundTrips() - sent;
    added += order.NextSerialNo != till.order.NextSerialNo ? 1 : 0;
    benchmark::DoNotOptimize(totals);
  }
  latencies.Report(state);
  const double scans = static_cast<double>(state.iterations());
  state.counters["lines_added"] = added;
  state.counters["round_trips"] = static_cast<double>(round_trips) / scans;
  if (online) {
    // Less the one statement that hands the counts over.
    state.counters["server_xacts"] =
        static_cast<double>(ServerTransactions(till.dm.conServer, w.account) - xacts_before - 1) /
        scans;
  }
}

void RegisterScans() {
  struct Variant {
    const char* name;
    bool online;
    Scanned kind;
    int iterations;
  };
  static const Variant kVariants[] = {
      {"BM_ScanIntoOrder/Offline/ClothBarCode", false, Scanned::kClothBarCode, 3000},
      {"BM_ScanIntoOrder/Offline/GoodsCode", false, Scanned::kGoodsCode, 3000},
      {"BM_ScanIntoOrder/Offline/Fragment", false, Scanned::kFragment, 500},
      {"BM_ScanIntoOrder/Online/ClothBarCode", true, Scanned::kClothBarCode, 3000},
      {"BM_ScanIntoOrder/Online/GoodsCode", true, Scanned::kGoodsCode, 3000},
      {"BM_ScanIntoOrder/Online/Fragment", true, Scanned::kFragment, 500},
  };
  for (const Variant& v : kVariants) {
    benchmark::RegisterBenchmark(
        v.name, [&v](benchmark::State& state) { BM_ScanIntoOrder(state, v.online, v.kind); })
        ->Iterations(v.iterations)
        ->Unit(benchmark::kMicrosecond);
  }
}

// Registered before main runs, as BENCHMARK() does.
const bool kRegistered = (RegisterScans(), true);

}  // namespace
}  // namespace quilmo::bench
