// Master-data download over a large catalogue: 200,000 goods with 1,000,000 colour/size
// barcodes on the test PostgreSQL server (QUILMO_PG), copied into a fresh SQLite file.
//
//   export PGCLUSTER_DIR=/tmp/pg-bench; scripts/pg-cluster.sh start
//   QUILMO_PG="$(scripts/pg-cluster.sh url)" build/bench/pos_bench --benchmark_filter=Download
//
// The catalogue is made once per run by quilmo_generate_catalogue and dropped at the end.
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

#include "app/pos_session.h"
#include "app/ui.h"
#include "data/download.h"
#include "data/schema.h"
#include "data/tdmfm.h"

namespace quilmo {
namespace {

constexpr int kGoods = 200000;
constexpr int kBarcodes = 1000000;

// Says nothing and refuses every question; a box during a download is a failure here.
class SilentUi : public Ui {
 public:
  MsgResult MessageBox(const QString&, const QString& text, MsgIcon, MsgButtons) override {
    std::fprintf(stderr, "box: %s\n", text.toUtf8().constData());
    ++boxes;
    return MsgResult::No;
  }
  InputResult Input(const InputRequest&) override { return {}; }
  std::unique_ptr<Progress> ShowProgress(const QString&) override {
    return std::make_unique<NoProgress>();
  }
  int ShowLoginOptions() override { return 0; }
  bool ShowConnectionSettings(AppContext&) override { return false; }
  bool ShowSelectShop(AppContext&) override { return false; }
  bool ShowLogin(AppContext&) override { return false; }
  void ShowDownloadOptions(AppContext&) override {}
  std::unique_ptr<Progress> ShowSplash(const QString&) override {
    return std::make_unique<NoProgress>();
  }
  int boxes = 0;

 private:
  struct NoProgress : Progress {
    void SetText(const QString&) override {}
    void SetSteps(int) override {}
    void SetStep(int) override {}
  };
};

ServerAddress BenchServer() {
  ServerAddress a;
  for (const QString& part : qEnvironmentVariable("QUILMO_PG").split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
    const QString key = part.section(QLatin1Char('='), 0, 0);
    const QString value = part.section(QLatin1Char('='), 1);
    if (key == QStringLiteral("host")) a.host = value;
    if (key == QStringLiteral("port")) a.port = value.toInt();
    if (key == QStringLiteral("user")) a.user = value;
    if (key == QStringLiteral("password")) a.password = value;
  }
  return a;
}

// The server catalogue and a till, made once for all benchmarks of the run.
struct World {
  World() {
    address = BenchServer();
    if (address.host.isEmpty()) throw DbError(QStringLiteral("QUILMO_PG is not set"));
    database = QStringLiteral("quilmo_bench_%1").arg(QCoreApplication::applicationPid());
    {
      Connection admin(QStringLiteral("bench_admin"), Engine::Server);
      QString error;
      if (!admin.OpenServer(address, QStringLiteral("postgres"), &error)) throw DbError(error);
      admin.Exec(QStringLiteral("CREATE DATABASE %1").arg(database));
    }
    Connection server(QStringLiteral("bench_server"), Engine::Server);
    QString error;
    if (!server.OpenServer(address, database, &error)) throw DbError(error);
    for (const char* file : {"common.sql", "server.sql", "demo/seed.sql", "generate.sql"}) {
      server.RunScript(SchemaText(QLatin1String(file)));
    }
    server.Exec(QStringLiteral("SELECT quilmo_generate_catalogue(:Goods, :Barcodes)"),
                {{QStringLiteral(":Goods"), kGoods}, {QStringLiteral(":Barcodes"), kBarcodes}});
    // The generator stamps the whole catalogue with one download counter. A back office
    // numbers each change, so every goods carries its own; the incremental download relies
    // on that to fetch only what changed.
    server.Exec(QStringLiteral(
        "UPDATE JBGoods g SET DownlogNo = n.rn FROM (SELECT GoodsNo, row_number() OVER "
        "(ORDER BY DownlogNo, GoodsNo) AS rn FROM JBGoods) n WHERE g.GoodsNo = n.GoodsNo"));
    server.Exec(QStringLiteral("ANALYZE"));

    local_path = QDir(dir.path()).filePath(QStringLiteral("Orvel.db"));
    {
      Connection maker(QStringLiteral("bench_local_maker"), Engine::Local);
      if (!maker.OpenLocal(local_path, &error)) throw DbError(error);
      CreateLocalSchema(maker);
    }
    dm = std::make_unique<TDMFM>(session, ui, clock);
    if (!dm->conServer.OpenServer(address, database, &error)) throw DbError(error);
    if (!dm->conClient.OpenLocal(local_path, &error)) throw DbError(error);
    session.IsOnline = true;
  }
  ~World() {
    dm.reset();
    Connection admin(QStringLiteral("bench_admin_drop"), Engine::Server);
    QString error;
    if (admin.OpenServer(address, QStringLiteral("postgres"), &error)) {
      try {
        admin.Exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(database));
      } catch (const DbError&) {
      }
    }
  }
  int LocalCount(const char* table) const {
    return dm->conClient.Scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table))).toInt();
  }

  ServerAddress address;
  QString database;
  QTemporaryDir dir;
  QString local_path;
  PosSession session;
  SilentUi ui;
  SystemClock clock;
  std::unique_ptr<TDMFM> dm;
};

std::unique_ptr<World>& WorldHolder() {
  static std::unique_ptr<World> world;
  return world;
}

World& TheWorld() {
  if (!WorldHolder()) WorldHolder() = std::make_unique<World>();
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

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  int status = 0;
  try {
    benchmark::RunSpecifiedBenchmarks();
  } catch (const quilmo::DbError& e) {
    std::fprintf(stderr, "pos_bench: %s\n", e.message().toUtf8().constData());
    status = 1;
  }
  // The databases go before the application object that their drivers belong to.
  quilmo::WorldHolder().reset();
  benchmark::Shutdown();
  return status;
}
