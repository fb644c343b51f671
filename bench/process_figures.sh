#!/usr/bin/env bash
# process_figures.sh -- the real Release game in a window under a private Xvfb for 10 s at 800x600
# and 1920x1080, no keys held: start-up time, CPU per second of play, peak memory.
#   bench/process_figures.sh [build-dir] [seconds]   (default build-bench, 10)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
seconds=${2:-10}
[ -x "$build/bench/process_probe" ] || { echo "no $build/bench/process_probe: build with -DCRATERDUEL_BENCH=ON" >&2; exit 1; }
grep -q 'CMAKE_BUILD_TYPE:STRING=Release' "$build/CMakeCache.txt" || echo "warning: $build is not a Release build" >&2
for size in "800 600" "1920 1080"; do
    # shellcheck disable=SC2086
    bench/xvfb_run.sh 2048x1200 "$build/bench/process_probe" "$build/craterduel" $size "$seconds"
done
