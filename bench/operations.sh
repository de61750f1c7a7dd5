#!/usr/bin/env bash
# Builds the operations benchmark (RelWithDebInfo) and runs it. Arguments pick
# the runs: paced-read paced-upgrade fast-read fast-upgrade (default: all; the
# paced ones take about 95 s each).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${MORVANE_BENCH_BUILD:-$root/build/bench}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVANE_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target morvane-bench -j2 >/dev/null
export QT_QPA_PLATFORM=offscreen QT_QPA_PLATFORMTHEME=
exec "$build/bench/morvane-bench" "$@"
