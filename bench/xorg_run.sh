#!/usr/bin/env bash
# xorg_run.sh -- runs one command against a private Xorg on the dummy video driver (a headless screen that
# switches modes, 1280x1024 desktop), with openbox on it, then stops both.
#   bench/xorg_run.sh COMMAND [ARGS...]
# Xorg needs root. The command sees DISPLAY and XSERVER_PID (so it can weigh the server's own CPU time).
set -euo pipefail
cd "$(dirname "$0")/.."
[ "$(id -u)" = 0 ] || { echo "xorg_run.sh: Xorg needs root; skipped" >&2; exit 0; }
n=350
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
log=$(mktemp -d /tmp/craterduel-bench-xorg-XXXXXX)
/usr/lib/xorg/Xorg ":$n" -noreset -nolisten tcp -config "$PWD/tests/e2e/xorg_dummy.conf" \
    -logfile "$log/Xorg.log" >/dev/null 2>&1 &
xorg=$!
wm=
trap 'kill $wm "$xorg" 2>/dev/null || true; wait $wm "$xorg" 2>/dev/null || true; rm -rf "$log"' EXIT
for _ in $(seq 200); do xdpyinfo -display ":$n" >/dev/null 2>&1 && break; sleep 0.05; done
if ! xdpyinfo -display ":$n" >/dev/null 2>&1; then
    echo "xorg_run.sh: Xorg :$n did not start; see $log" >&2
    trap - EXIT
    exit 1
fi
DISPLAY=":$n" openbox >/dev/null 2>&1 &
wm=$!
sleep 0.5
DISPLAY=":$n" XSERVER_PID=$xorg "$@"
