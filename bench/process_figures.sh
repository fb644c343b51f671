#!/usr/bin/env bash
# process_figures.sh -- whole-process CPU and peak memory of the real Release game in a window under a
# private Xvfb whose screen is the window's size, at 1920x1080 and 3840x2160, idle and with both
# fighters walking and firing, against a bare program that fills and presents the whole buffer at the
# same pace.   bench/process_figures.sh [build-dir] [seconds]   (default build-bench, 5)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
seconds=${2:-5}
[ -x "$build/bench/process_probe" ] || { echo "no $build/bench/process_probe: build with -DCRATERDUEL_BENCH=ON" >&2; exit 1; }
grep -q 'CMAKE_BUILD_TYPE:STRING=Release' "$build/CMakeCache.txt" || echo "warning: $build is not a Release build" >&2
out=$(mktemp)
trap 'rm -f "$out"' EXIT
probe() {  # program width height mode -> "cpu peak_kb", the probe's report shown as it runs
    bench/xvfb_run.sh "${2}x${3}" "$build/bench/process_probe" "$1" "$2" "$3" "$seconds" "$4" | tee "$out" >&2
    sed -n 's/.*figures cpu=\([0-9.]*\) peak_kb=\([0-9]*\).*/\1 \2/p' "$out"
}
summary=()
for size in "1920 1080 65536" "3840 2160 163840"; do
    read -r w h peakGoal <<<"$size"
    for mode in idle busy; do
        read -r bare _ < <(probe "$build/bench/bare_present" "$w" "$h" "$mode")
        read -r game peak < <(probe "$build/craterduel" "$w" "$h" "$mode")
        goal=$([ "$mode" = idle ] && echo 0.1 || echo 0.3)
        summary+=("$(awk -v w="$w" -v h="$h" -v m="$mode" -v g="$game" -v b="$bare" -v goal="$goal" -v p="$peak" -v pg="$peakGoal" \
            'BEGIN { r = g / b; printf "%dx%d %-4s game %5.2f%% bare %5.2f%% of a core: %.3fx (goal <= %s: %s); peak %d kB (goal < %d: %s)",
                     w, h, m, g, b, r, goal, (r <= goal ? "met" : "NOT MET"), p, pg, (p < pg ? "met" : "NOT MET") }')")
    done
done
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%s\n' "${summary[@]}"
