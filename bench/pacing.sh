#!/usr/bin/env bash
# pacing.sh -- frame pacing of the real SDL backend in a window under a private Xvfb, at 800x600
# and 1920x1080.   bench/pacing.sh [build-dir]   (default build-bench)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
[ -x "$build/bench/pacing" ] || { echo "no $build/bench/pacing: build with -DCRATERDUEL_BENCH=ON" >&2; exit 1; }
for size in "800 600" "1920 1080"; do
    # shellcheck disable=SC2086
    bench/xvfb_run.sh 2048x1200 "$build/bench/pacing" $size 600 --control
done
