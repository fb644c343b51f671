#!/usr/bin/env bash
# Remakes docs/screenshot.png from the real game in a real X window: both fighters, craters
# and shots in flight. Needs the packages `make run` installs (Xvfb, xdotool, ImageMagick).
#   scripts/screenshot.sh [path/to/craterduel] [out.png]
set -euo pipefail
cd "$(dirname "$0")/.."
game=${1:-build/craterduel}
out=${2:-docs/screenshot.png}
[ -x "$game" ] || { echo "no game binary at $game: run 'make build' first" >&2; exit 1; }

display=:$(( 150 + RANDOM % 50 ))
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
fifo=$(mktemp -u)
mkfifo "$fifo"
cleanup() { kill "$xvfb" 2>/dev/null || true; rm -f "$fifo"; }
trap cleanup EXIT
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
export DISPLAY=$display

# A window exactly the size of the screen, so the window is the whole picture.
DISPLAY=$display "$game" < "$fifo" > /dev/null &
game_pid=$!
exec 3> "$fifo"
printf '800\n600\n0\n' >&3
window=""
for _ in $(seq 50); do
    window=$(xdotool search --pid "$game_pid" 2>/dev/null | head -n 1) && [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "the game window did not appear" >&2; exit 1; }
sleep 0.5

# Blast a few craters along the middle so the shots have somewhere to go.
for x in 200 300 420 520 600; do
    xdotool mousemove --window "$window" "$x" 300 click 1
    sleep 0.05
done
# Walk the fighters towards each other a little and let them fire.
xdotool keydown Left keydown h; sleep 0.4; xdotool keyup Left keyup h
xdotool keydown j keydown d; sleep 0.9
import -window "$window" "$out"
xdotool keyup j keyup d
# Only the press: the game is gone before a release could reach its window.
xdotool keydown --window "$window" Escape
wait "$game_pid"
echo "wrote $out"
