// Reading the settings file at start-up when it has grown large (100 MiB: a log pasted into a
// value, a script gone wrong). Start-up reads about twenty keys; read one by one, each read
// parses the whole file again.
//
//   scripts/bench.sh --benchmark_filter=Settings
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include "base/ini_file.h"

namespace quilmo::bench {
namespace {

const char* const kKeys[] = {"AmountPoint",  "PerJFAmount",   "SPNotDiscount", "VIPNotDiscount",
                             "DiscountAdd",  "PrintTwo",      "BackDays",      "LowMinStock",
                             "HasGuid",      "ManuDownCX",    "Header",        "Footer",
                             "PrintContent", "PrintDiscount", "PrintCardNo",   "PrintOrderNo"};

// Arg 0: the keys from one snapshot, as start-up reads them; arg 1: each key read on its own.
void BM_SettingsLargeFile(benchmark::State& state) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("QTSet.ini"));
  {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
      state.SkipWithError("cannot write the file");
      return;
    }
    f.write("[Options]\n");
    for (const char* key : kKeys) f.write(QByteArray(key) + "=1\n");
    const QByteArray junk = QByteArray("; ") + QByteArray(98, 'x') + '\n';
    for (int i = 0; i < 100 * 1024 * 1024 / junk.size(); ++i) f.write(junk);
  }
  const bool one_by_one = state.range(0) == 1;
  int found = 0;
  for (auto _ : state) {
    found = 0;
    if (one_by_one) {
      for (const char* key : kKeys) {
        found += ReadIniString(path, QStringLiteral("Options"), QLatin1String(key)) ==
                 QStringLiteral("1");
      }
    } else {
      const IniSnapshot ini = IniSnapshot::Read(path);
      for (const char* key : kKeys) {
        found += ini.Value(QStringLiteral("Options"), QLatin1String(key)) == QStringLiteral("1");
      }
    }
  }
  state.counters["keys_found"] = found;
  if (found != static_cast<int>(std::size(kKeys))) state.SkipWithError("a key was not read");
  state.SetLabel(one_by_one ? "each key alone" : "one snapshot");
}
BENCHMARK(BM_SettingsLargeFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace quilmo::bench
