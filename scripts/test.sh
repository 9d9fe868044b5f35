#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, starts a throwaway PostgreSQL
# cluster, runs every test, and stops the cluster on every exit path.
#   scripts/test.sh                 everything
#   scripts/test.sh -R IniFile      only the tests whose names match (passed to ctest)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
export PGCLUSTER_DIR=${PGCLUSTER_DIR:-$build/pgcluster-test}

"$root/scripts/install-deps.sh"

# Includes point down the floors, and the code is formatted as .clang-format says.
"$root/scripts/check-layers.sh"
find "$root/src" "$root/tests" "$root/bench" -name '*.h' -o -name '*.cpp' |
  xargs clang-format --dry-run --Werror

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILMO_WERROR=ON >/dev/null
cmake --build "$build" -j "$(nproc)"

# Qt wants a private runtime folder; a root shell in CI has none.
runtime=""
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  runtime=$(mktemp -d /tmp/quilmo-runtime.XXXXXX)
  export XDG_RUNTIME_DIR=$runtime
fi

trap '"$root/scripts/pg-cluster.sh" stop; [ -z "$runtime" ] || rm -rf "$runtime"' EXIT
"$root/scripts/pg-cluster.sh" start
QUILMO_PG=$("$root/scripts/pg-cluster.sh" url)
export QUILMO_PG
export QT_QPA_PLATFORM=offscreen

ctest --test-dir "$build" --output-on-failure -j "$(nproc)" "$@"

# The program itself starts headless.
"$build/src/quilmo-pos" --version
