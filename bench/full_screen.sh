#!/usr/bin/env bash
# full_screen.sh -- full screen against a window at the same size, 20 s each (1200 frames) on Xorg's dummy
# driver with Mesa's software GL: frames per second and CPU of the game and of the X server. The full
# screen runs the way the game chooses there (the window surface) and with the GL renderer forced.
#   bench/full_screen.sh [build-dir] [frames]   (default build-bench, 1200)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
frames=${2:-1200}
[ -x "$build/bench/pacing" ] || {
    echo "no $build/bench/pacing: build with -DCRATERDUEL_BENCH=ON" >&2
    exit 1
}
load=$(cut -d' ' -f1-3 /proc/loadavg)
echo "full screen against a window, $frames frames each; load average before: $load"
for size in "800 600" "1920 1080"; do
    for how in "" --full-screen --full-screen=renderer; do
        # shellcheck disable=SC2086
        bench/xorg_run.sh "$build/bench/pacing" $size "$frames" $how |
            grep -E '^pacing|frames per second|CPU|mean interval|load average'
    done
done
