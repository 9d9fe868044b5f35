// The sale screen itself, offscreen, over the benchmark catalogue: from the Enter key in the
// goods edit to the new row in the grid's model and the totals labels set, on an order of 20
// and of 200 lines, offline and online. The order carries the two promotions of the scan
// benchmark. After each timed scan the new line is taken off again (not timed), so every
// iteration meets an order of the same size.
//
// p50_us / p99_us: the median and 99th percentile; rows_added counts the scans that added a
// row to the grid's model, so a miss cannot pass for a fast scan; round_trips is what the
// till's connection of the mode sent per scan.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
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
#include "sale/screens/frm_qt_sale.h"

namespace quilmo::bench {
namespace {

// A random colour/size barcode of the generated catalogue (goods n has BGnnnnnnn001, …).
QString RandomBarcode(const BenchWorld& w, std::mt19937& rng) {
  const int goods = std::uniform_int_distribution<int>(1, w.goods)(rng);
  const int combination = std::uniform_int_distribution<int>(1, w.barcodes / w.goods)(rng);
  return GoodsNo(goods) + QStringLiteral("%1").arg(combination, 3, 10, QLatin1Char('0'));
}

// The till with its screen open on an order of `lines` lines.
struct ScreenTill {
  PosSession session;
  FirstChoiceUi ui;
  SystemClock clock;
  TDMFM dm{session, clock};
  NoDisplay display;
  SaleContext sale{dm, ui, display};
  std::unique_ptr<TfrmQTSale> screen;

  ScreenTill(bool online, int lines) {
    const BenchWorld& w = World();
    session.IsOnline = online;
    session.StoreNo = QStringLiteral("0001");
    session.ShopNo = QStringLiteral("01");
    session.ShopCode = QStringLiteral("01");
    session.CashierNo = QStringLiteral("1111000001");  // every right
    session.AmountPoint = 2;
    session.SPNotDiscount = true;
    session.VIPNotDiscount = true;
    session.PremiumRate = 100;
    OpenWorld(dm);
    AddBenchPromotions(dm.conServer, w.goods);
    AddBenchPromotions(dm.conClient, w.goods);
    screen = std::make_unique<TfrmQTSale>(sale, SaleScreenActions{}, QString());
    if (!screen->Open()) qFatal("sale_screen_bench: the screen did not open");
    screen->show();
    QApplication::setActiveWindow(screen.get());
    screen->activateWindow();
    QApplication::processEvents();
    // The promotions' goods first (the scan benchmark put them in), then random goods.
    for (const QSqlRecord& r : dm.Current().Rows(QStringLiteral(
             "SELECT g.GoodsCode FROM QTCXOrderDetail d JOIN JBGoods g ON g.GoodsNo = d.GoodsNo "
             "WHERE d.OrderNo IN ('BENCH9', 'BENCH5') ORDER BY g.GoodsNo"))) {
      if (screen->desk().order().lines.size() >= lines) break;
      Scan(r.value(0).toString());
    }
    std::mt19937 rng(7);
    while (screen->desk().order().lines.size() < lines) Scan(RandomBarcode(w, rng));
  }

  // Enter in the goods edit, as the scanner sends it.
  void Scan(const QString& code) {
    QLineEdit* goods = screen->suiEdtGoods;
    goods->setFocus();
    goods->setText(code);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(goods, &press);
  }
};

ScreenTill& TillFor(bool online, int lines) {
  // Kept to the end of the program and never destroyed: windows must not outlive the
  // application object, which static destruction would make them do.
  static auto* tills = new std::map<std::pair<bool, int>, std::unique_ptr<ScreenTill>>;
  auto& till = (*tills)[{online, lines}];
  if (!till) till = std::make_unique<ScreenTill>(online, lines);
  return *till;
}

void BM_SaleScreenScan(benchmark::State& state, bool online, int lines) {
  const BenchWorld& w = World();
  ScreenTill& till = TillFor(online, lines);
  if (QApplication::focusWidget() != till.screen->suiEdtGoods) {
    state.SkipWithError("the goods edit does not have the focus");
    return;
  }
  OrderLines& order_lines = till.screen->desk().order().lines;
  std::mt19937 rng(20261210);
  Latencies latencies;
  int added = 0;
  qint64 round_trips = 0;
  for (auto _ : state) {
    const QString code = RandomBarcode(w, rng);
    const int rows = till.screen->model()->rowCount();
    const qint64 sent = till.dm.Current().RoundTrips();
    latencies.Time([&] { till.Scan(code); });
    round_trips += till.dm.Current().RoundTrips() - sent;
    if (till.screen->model()->rowCount() == rows + 1) {
      ++added;
      // Back to the same order size for the next scan.
      order_lines.Delete(order_lines.size() - 1);
      --till.screen->desk().order().NextSerialNo;
      till.screen->model()->Sync();
    }
    benchmark::DoNotOptimize(till.screen->lblAmount->text());
  }
  latencies.Report(state);
  state.counters["rows_added"] = added;
  state.counters["round_trips"] =
      static_cast<double>(round_trips) / static_cast<double>(state.iterations());
}

void Register() {
  struct Variant {
    const char* name;
    bool online;
    int lines;
  };
  static const Variant kVariants[] = {
      {"BM_SaleScreenScan/Offline/20", false, 20},
      {"BM_SaleScreenScan/Offline/200", false, 200},
      {"BM_SaleScreenScan/Online/20", true, 20},
      {"BM_SaleScreenScan/Online/200", true, 200},
  };
  for (const Variant& v : kVariants) {
    benchmark::RegisterBenchmark(
        v.name, [&v](benchmark::State& state) { BM_SaleScreenScan(state, v.online, v.lines); })
        ->Iterations(1000)
        ->Unit(benchmark::kMicrosecond);
  }
}

const bool kRegistered = (Register(), true);

}  // namespace
}  // namespace quilmo::bench
