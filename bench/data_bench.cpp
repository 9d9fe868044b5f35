// The data layer's hot paths: copying the catalogue into the local file, and the barcode
// probe every scan starts with.
#include <benchmark/benchmark.h>

#include <QSqlQuery>
#include <QTemporaryDir>
#include <chrono>

#include "base/clock.h"
#include "base/pos_session.h"
#include "bench_world.h"
#include "data/bulk_copy.h"
#include "data/schema.h"
#include "data/tdmfm.h"
#include "latency.h"
#include "sale/goods_candidate.h"

namespace quilmo::bench {
namespace {

// 200k goods rows, server to a fresh local file, in one transaction: through QSqlQuery on
// both sides (arg 0, CopyRows) or streamed natively (arg 1, CopyServerRowsToLocal).
void BM_CopyGoodsServerToLocal(benchmark::State& state) {
  const bool native = state.range(0) == 1;
  const BenchWorld& w = World();
  PosSession session;
  SystemClock clock;
  int64_t rows = 0;
  for (auto _ : state) {
    state.PauseTiming();
    QTemporaryDir dir;
    TDMFM dm(session, clock);
    QString error;
    dm.conServer.OpenServer(w.server, w.account, &error);
    {
      Connection maker(QStringLiteral("bench_copy_maker"), Engine::Local);
      maker.OpenLocal(dir.filePath(QStringLiteral("o.db")), &error);
      CreateLocalSchema(maker);
    }
    dm.conClient.OpenLocal(dir.filePath(QStringLiteral("o.db")), &error);
    state.ResumeTiming();

    Transaction tx(dm.conClient);
    if (native) {
      // As the full download replaces the goods table: the rows, then its five indexes and
      // its full-text search index built once. The two phases are reported apart.
      LocalTableReload reload(dm.conClient, QStringLiteral("JBGoods"));
      const auto t0 = std::chrono::steady_clock::now();
      rows += CopyServerRowsToLocal(dm.conServer, QStringLiteral("SELECT * FROM JBGoods"), {},
                                    dm.conClient, QStringLiteral("JBGoods"));
      const auto t1 = std::chrono::steady_clock::now();
      reload.Finish();
      const auto t2 = std::chrono::steady_clock::now();
      state.counters["rows_s"] = std::chrono::duration<double>(t1 - t0).count();
      state.counters["indexes_s"] = std::chrono::duration<double>(t2 - t1).count();
    } else {
      QSqlQuery source = dm.conServer.Query(QStringLiteral("SELECT * FROM JBGoods"));
      const QString insert = dm.BuildInsert(QStringLiteral("JBGoods"), source.record(), false);
      rows += dm.CopyRows(false, insert, source);
    }
    tx.Commit();
  }
  state.SetLabel(native ? "native" : "qt");
  state.SetItemsProcessed(rows);
  state.counters["rows_per_s"] =
      benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CopyGoodsServerToLocal)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseRealTime();

// One colour/size barcode probe, as a scan does it, on the server (arg 1) or the local file.
// The barcodes are drawn at random across the whole table and every answer is checked
// against the goods, colour and size the barcode belongs to.
void BM_BarcodeLookup(benchmark::State& state) {
  const BenchWorld& w = World();
  const bool on_server = state.range(0) == 1;
  static const QList<QSqlRecord> keys = SampleRows(
      QStringLiteral("BarCode, GoodsNo, ColorNo, SizeNo"), QStringLiteral("JBClothBarCode"), 2000);
  Connection c(QStringLiteral("bench_lookup"), on_server ? Engine::Server : Engine::Local);
  QString error;
  if (on_server)
    c.OpenServer(w.server, w.account, &error);
  else
    c.OpenLocal(w.local_path, &error);
  Latencies latencies;
  qsizetype i = 0;
  int wrong = 0;
  for (auto _ : state) {
    const QSqlRecord& key = keys[i++ % keys.size()];
    QSqlRecord row;
    latencies.Time([&] {
      row = c.FirstRow(
          QStringLiteral(
              "SELECT GoodsNo, ColorNo, SizeNo FROM JBClothBarCode WHERE BarCode = :BarCode"),
          {{QStringLiteral(":BarCode"), key.value(0)}});
    });
    if (row.isEmpty() || row.value(0).toString() != key.value(1).toString() ||
        row.value(1).toString() != key.value(2).toString() ||
        row.value(2).toString() != key.value(3).toString()) {
      ++wrong;
    }
  }
  latencies.Report(state);
  state.counters["keys"] = static_cast<double>(keys.size());
  state.counters["wrong"] = wrong;
  if (wrong > 0) state.SkipWithError("a barcode probe found the wrong goods, colour or size");
  state.SetLabel(on_server ? "server" : "local");
}
BENCHMARK(BM_BarcodeLookup)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quilmo::bench
