// Master-data download over the benchmark catalogue (200,000 goods with 1,000,000 colour/size
// barcodes, bench_world.h) into SQLite files of the benchmark's own. The server's data is left
// exactly as the tools made it: `quilmo-admin generate` stamps the whole catalogue with one
// change counter, as a bulk import in a back office does, and that is what a till meets.
//
//   scripts/bench.sh --benchmark_filter=Download
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

#include "base/clock.h"
#include "base/pos_session.h"
#include "bench_world.h"
#include "data/download.h"
#include "data/schema.h"
#include "data/tdmfm.h"

namespace quilmo {
namespace {

// A till with a fresh local file on the benchmark catalogue.
struct Till {
  Till() {
    const bench::BenchWorld& catalogue = bench::World();
    QString error;
    local_path = QDir(dir.path()).filePath(QStringLiteral("Orvel.db"));
    {
      Connection maker(QStringLiteral("download_bench_local_maker"), Engine::Local);
      if (!maker.OpenLocal(local_path, &error)) throw DbError(error);
      CreateLocalSchema(maker);
    }
    dm = std::make_unique<TDMFM>(session, clock);
    if (!dm->conServer.OpenServer(catalogue.server, catalogue.account, &error))
      throw DbError(error);
    if (!dm->conClient.OpenLocal(local_path, &error)) throw DbError(error);
    session.IsOnline = true;
  }
  int LocalCount(const char* table) const {
    return dm->conClient.Scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table)))
        .toInt();
  }
  int ServerCount(const char* table) const {
    return dm->conServer.Scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table)))
        .toInt();
  }
  // Whether the download went through and the till holds the whole catalogue; the benchmark
  // fails otherwise, so a download that skipped tables cannot pass for a fast one.
  bool Check(benchmark::State& state, const DownloadResult& result) const {
    const int goods = LocalCount("JBGoods");
    const int barcodes = LocalCount("JBClothBarCode");
    state.counters["goods"] = goods;
    state.counters["barcodes"] = barcodes;
    state.counters["failures"] = static_cast<double>(result.failures.size());
    if (!result.finished || !result.failures.empty() || !result.error.isEmpty()) {
      state.SkipWithError("the download did not finish cleanly");
      return false;
    }
    if (goods != ServerCount("JBGoods") || barcodes != ServerCount("JBClothBarCode")) {
      state.SkipWithError("the local file does not hold the server's catalogue");
      return false;
    }
    return true;
  }

  QTemporaryDir dir;
  QString local_path;
  PosSession session;
  SystemClock clock;
  std::unique_ptr<TDMFM> dm;
};

// Connections must go while the application object their drivers belong to still lives.
std::unique_ptr<Till>& Kept() {
  static std::unique_ptr<Till> till;
  static const bool registered = [] {
    qAddPostRoutine([] { Kept().reset(); });
    return true;
  }();
  (void)registered;
  return till;
}

void BM_FullDownload(benchmark::State& state) {
  Kept() = std::make_unique<Till>();
  Till& till = *Kept();
  DownloadResult result;
  for (auto _ : state)
    result = DownloadMasterData(*till.dm, kFullDownload, /*with_promotions=*/true);
  till.Check(state, result);
}
BENCHMARK(BM_FullDownload)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

// The first start of a till: an incremental download into an empty file, which must cost
// about what a full download does.
void BM_FirstStartIncrementalDownload(benchmark::State& state) {
  DownloadResult result;
  for (auto _ : state) {
    state.PauseTiming();
    Kept() = std::make_unique<Till>();
    state.ResumeTiming();
    result = DownloadMasterData(*Kept()->dm, kIncrementalDownload, /*with_promotions=*/true);
  }
  Kept()->Check(state, result);
}
BENCHMARK(BM_FirstStartIncrementalDownload)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();

// Every later online start: nothing changed since the last download, with the whole catalogue
// under one change counter. It must take well under a second.
void BM_IncrementalDownloadNothingChanged(benchmark::State& state) {
  if (!Kept()) {
    Kept() = std::make_unique<Till>();
    DownloadMasterData(*Kept()->dm, kFullDownload, true);
  }
  Till& till = *Kept();
  DownloadResult result;
  for (auto _ : state) {
    result = DownloadMasterData(*till.dm, kIncrementalDownload, /*with_promotions=*/true);
  }
  if (till.Check(state, result)) {
    state.counters["goods_fetched"] =
        till.dm->conClient.Scalar(QStringLiteral("SELECT COUNT(*) FROM GoodsTemp")).toInt();
  }
}
BENCHMARK(BM_IncrementalDownloadNothingChanged)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseRealTime();

}  // namespace
}  // namespace quilmo
