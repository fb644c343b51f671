#!/usr/bin/env bash
# xvfb_run.sh -- runs one command against a private X server of its own, then stops the server.
#   bench/xvfb_run.sh WIDTHxHEIGHT COMMAND [ARGS...]
# The command sees DISPLAY and XVFB_PID (so it can weigh the server's own CPU time).
set -euo pipefail
size=$1
shift
n=200
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true' EXIT
for _ in $(seq 100); do xdpyinfo -display ":$n" >/dev/null 2>&1 && break; sleep 0.05; done
xdpyinfo -display ":$n" >/dev/null 2>&1 || { echo "xvfb_run.sh: Xvfb :$n did not start" >&2; exit 1; }
DISPLAY=":$n" XVFB_PID=$xvfb "$@"
