#!/usr/bin/env bash
# Builds optimised and runs the benchmarks against a PostgreSQL cluster of their own.
# The generated catalogue (200k goods, 1M barcodes) is built on the first run and kept in
# $PGCLUSTER_DIR and $QUILMO_BENCH_DIR, so later runs start at once; `scripts/bench.sh --fresh`
# rebuilds it.   scripts/bench.sh [--fresh] [--benchmark_filter=REGEX]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BENCH_BUILD_DIR:-$root/build-bench}
export PGCLUSTER_DIR=${PGCLUSTER_DIR:-$root/build-bench/pgcluster}
export QUILMO_BENCH_DIR=${QUILMO_BENCH_DIR:-$root/build-bench/world}

if [ "${1:-}" = "--fresh" ]; then
  shift
  "$root/scripts/pg-cluster.sh" stop
  rm -rf "$QUILMO_BENCH_DIR"
fi

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILMO_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target pos_bench

# The cluster is kept between runs (it holds the generated catalogue); stop it with
# PGCLUSTER_DIR=... scripts/pg-cluster.sh stop.
"$root/scripts/pg-cluster.sh" start
QUILMO_PG=$("$root/scripts/pg-cluster.sh" url)
export QUILMO_PG
"$build/bench/pos_bench" "$@"
