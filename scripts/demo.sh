#!/usr/bin/env bash
# Starts the till on its demo data. The start-up sequence and the demo back office are not
# built yet: for now this builds the program and shows its version.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target quilmo-pos
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/src/quilmo-pos" --version
