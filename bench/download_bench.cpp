// Master-data download over the benchmark catalogue (200,000 goods with 1,000,000 colour/size
// barcodes, bench_world.h) into a fresh SQLite file.
//
//   scripts/bench.sh --benchmark_filter=Download
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

#include "app/null_ui.h"
#include "base/pos_session.h"
#include "bench_world.h"
#include "data/download.h"
#include "data/schema.h"
#include "data/tdmfm.h"

namespace quilmo {
namespace {

// A till on the benchmark catalogue, made once for all download benchmarks of the run.
struct World {
  World() {
    const bench::BenchWorld& catalogue = bench::World();
    QString error;
    {
      Connection server(QStringLiteral("download_bench_server"), Engine::Server);
      if (!server.OpenServer(catalogue.server, catalogue.account, &error)) throw DbError(error);
      // The generator stamps the whole catalogue with one download counter. A back office
      // numbers each change, so every goods carries its own; the incremental download relies
      // on that to fetch only what changed. Numbering in the present order keeps it the same
      // on every run.
      server.Exec(QStringLiteral(
          "UPDATE JBGoods g SET DownlogNo = n.rn FROM (SELECT GoodsNo, row_number() OVER "
          "(ORDER BY DownlogNo, GoodsNo) AS rn FROM JBGoods) n "
          "WHERE g.GoodsNo = n.GoodsNo AND g.DownlogNo IS DISTINCT FROM n.rn"));
    }
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

  QTemporaryDir dir;
  QString local_path;
  PosSession session;
  bench::BenchUi ui;
  SystemClock clock;
  std::unique_ptr<TDMFM> dm;
};

std::unique_ptr<World>& WorldHolder() {
  static std::unique_ptr<World> world;
  return world;
}

World& TheWorld() {
  if (!WorldHolder()) {
    WorldHolder() = std::make_unique<World>();
    // The connections go while the application object their drivers belong to still lives.
    qAddPostRoutine([] { WorldHolder().reset(); });
  }
  return *WorldHolder();
}

void BM_FullDownload(benchmark::State& state) {
  World& w = TheWorld();
  for (auto _ : state) DownloadMasterData(*w.dm, kFullDownload, /*with_promotions=*/true);
  state.counters["goods"] = w.LocalCount("JBGoods");
  state.counters["barcodes"] = w.LocalCount("JBClothBarCode");
  state.counters["boxes"] = w.ui.boxes;
}
BENCHMARK(BM_FullDownload)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

void BM_IncrementalDownloadNothingChanged(benchmark::State& state) {
  World& w = TheWorld();
  // Up to date first: everything up to the highest counter is on the till.
  DownloadMasterData(*w.dm, kFullDownload, true);
  DownloadMasterData(*w.dm, kIncrementalDownload, true);
  for (auto _ : state) DownloadMasterData(*w.dm, kIncrementalDownload, /*with_promotions=*/true);
  state.counters["goods"] = w.LocalCount("JBGoods");
  state.counters["barcodes"] = w.LocalCount("JBClothBarCode");
  state.counters["boxes"] = w.ui.boxes;
}
BENCHMARK(BM_IncrementalDownloadNothingChanged)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseRealTime();

}  // namespace
}  // namespace quilmo
