#!/usr/bin/env bash
# The Debian package as a player and a maintainer meet it: lintian, the menu entry, the
# metainfo, the manual page, then (as root) install it, play a real game under a private Xvfb,
# and remove it again leaving nothing behind.
#   tests/package/package_test.sh build-package/craterduel_<version>_<arch>.deb
set -uo pipefail
deb=$(realpath "${1:?usage: $0 path/to/craterduel.deb}")
failures=0
ok() { echo "ok - $*"; }
fail() { echo "FAIL - $*"; failures=$((failures + 1)); }
check() {  # check "what" command...: passes when the command succeeds
    local what=$1
    shift
    if "$@"; then ok "$what"; else fail "$what"; fi
}

work=$(mktemp -d /tmp/craterduel-package-test.XXXXXX)
xvfb=""
installed_by_us=""
cleanup() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    if [ -n "$installed_by_us" ]; then apt_purge >/dev/null 2>&1; fi
    rm -rf "$work"
}
trap cleanup EXIT
# apt-get, not dpkg alone: it waits while another apt or dpkg on the machine holds the lock.
apt_purge() { apt-get purge -y -q -o DPkg::Lock::Timeout=300 craterduel; }

version=$(dpkg-deb -f "$deb" Version)
echo "# $deb (version $version)"

# --- What a maintainer checks before uploading ---------------------------------------------
# lintian refuses to judge as root only in name; its findings are the same.
lintian --fail-on error --display-info --pedantic "$deb" >"$work/lintian" 2>&1
status=$?
grep -v '^running with root privileges' "$work/lintian" | sed 's/^/#   lintian: /'
check "lintian reports no error" test "$status" = 0

check "section games" test "$(dpkg-deb -f "$deb" Section)" = games
check "Depends worked out from the binary (names the SDL library)" \
    grep -q 'libsdl2-2.0-0' <<<"$(dpkg-deb -f "$deb" Depends)"
check "a maintainer" test -n "$(dpkg-deb -f "$deb" Maintainer)"

dpkg-deb -x "$deb" "$work/root"
r=$work/root/usr
check "the program in /usr/games" test -x "$r/games/craterduel"
check "nothing in /usr/bin" test ! -e "$r/bin"
check "the manual page in section 6" test -f "$r/share/man/man6/craterduel.6.gz"
for size in 16x16 32x32 48x48 64x64 128x128 256x256; do
    check "a $size icon of that size" \
        test "$(identify -format '%wx%h' "$r/share/icons/hicolor/$size/apps/craterduel.png" 2>&1)" = "$size"
done
check "a scalable icon" test -s "$r/share/icons/hicolor/scalable/apps/craterduel.svg"

check "desktop-file-validate passes" desktop-file-validate "$r/share/applications/craterduel.desktop"
check "the menu entry opens a terminal" grep -qx 'Terminal=true' "$r/share/applications/craterduel.desktop"

# --no-net: no reachability checks (the build may be offline). Warnings are listed, errors fail.
appstreamcli validate --no-net --no-color "$r/share/metainfo/craterduel.metainfo.xml" >"$work/appstream" 2>&1
sed 's/^/#   appstreamcli: /' "$work/appstream"
check "appstreamcli validate finds no error" bash -c "! grep -q '^E:' '$work/appstream'"
check "the metainfo names this version" grep -q "<release version=\"$version\"" "$r/share/metainfo/craterduel.metainfo.xml"

zcat "$r/share/man/man6/craterduel.6.gz" >"$work/craterduel.6"
groff_warnings() { groff "$@" -man -ww -z "$work/craterduel.6" 2>&1; }
check "the manual page renders without warnings (groff -man -ww -z)" test -z "$(groff_warnings)"
check "... and with its table run through tbl" test -z "$(groff_warnings -t)"
check "the manual page names this version" grep -q "Crater Duel $version" "$work/craterduel.6"

# --- What a player meets: install, play, remove ---------------------------------------------
if [ "$(id -u)" != 0 ]; then
    echo "# skipped: installing the package needs root (CI runs as root)"
    [ "$failures" = 0 ] && echo "# all checks passed" || echo "# $failures check(s) failed"
    exit $((failures > 0))
fi

if dpkg-query -W -f='${Status}' craterduel 2>/dev/null | grep -q 'ok installed'; then
    echo "# removing the craterduel already installed, to start from a machine without it"
    apt_purge >/dev/null 2>&1
fi
check "no craterduel on the machine before installing" test ! -e /usr/games/craterduel
# Anything named after the game, outside the build trees: maintainer scripts or the game itself
# could make such files, which dpkg -L does not list.
ours() {
    find / -xdev \( -path /proc -o -path /sys -o -path /dev -o -path /run -o -path /tmp -o -path /work \
        -o -path /var/lib/dpkg -o -path /var/cache \) -prune -o -iname '*craterduel*' -print 2>/dev/null | sort
}
ours >"$work/before"

installed_by_us=yes
if apt-get install -y -q -o DPkg::Lock::Timeout=300 "$deb" >"$work/install" 2>&1; then
    ok "the package installs"
else
    sed 's/^/#   /' "$work/install"
    fail "the package installs"
fi
dpkg -L craterduel >"$work/files" 2>/dev/null

# A player's PATH is the one /etc/profile gives a non-root login; play as such a user.
#   as_player [NAME=value...] command [args...]
as_player() {
    local env=(HOME=/tmp)
    while [[ ${1-} == *=* ]]; do env+=("$1"); shift; done
    runuser -u nobody -- env -i "${env[@]}" sh -c '. /etc/profile; exec "$@"' sh "$@"
}
check "craterduel is on a player's PATH" test "$(as_player sh -c 'command -v craterduel')" = /usr/games/craterduel
check "man finds the page" test "$(man -w 6 craterduel 2>/dev/null)" = /usr/share/man/man6/craterduel.6.gz
check "--version names the package's version" \
    test "$(as_player craterduel --version)" = "craterduel (Crater Duel) $version"
check "--help prints the usage" bash -c "[[ \"\$(/usr/games/craterduel --help)\" == 'Usage: craterduel'* ]]"
/usr/games/craterduel --no-such-option >/dev/null 2>"$work/bad-option" </dev/null
check "an unknown option exits 2 naming it" \
    test "$?:$(cat "$work/bad-option")" = "2:craterduel: unknown argument '--no-such-option'; try 'craterduel --help'"

# A real game under a private X server: the first free display from :450 up.
display=""
for n in $(seq 450 499); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=:$n; break; fi
done
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 100); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done

mkfifo "$work/answers"
chmod 644 "$work/answers"
touch "$work/out" "$work/err"
chmod 666 "$work/out" "$work/err"
chmod 755 "$work"
as_player DISPLAY="$display" craterduel <"$work/answers" >"$work/out" 2>"$work/err" &
game=$!
exec 3>"$work/answers"
printf '800\n600\n0\n' >&3
prompts='Graphics Width: Graphics Height: Graphics Mode (0 = windowed, 1 = full screen) : '
for _ in $(seq 100); do [ "$(cat "$work/out")" = "$prompts"$'50\n38' ] && break; sleep 0.1; done
check "it asks its three questions and prints the grid size 50 and 38 for 800x600" \
    test "$(cat "$work/out")" = "$prompts"$'50\n38'
sleep 0.3
# No window manager: the keyboard follows the pointer, which goes to the window's centre.
DISPLAY=$display xdotool mousemove 640 512 key Escape
for _ in $(seq 100); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$game" 2>/dev/null; then
    kill "$game"
    fail "Escape ends the game"
else
    wait "$game"
    status=$?
    check "Escape ends the game with status 0 (it gave $status)" test "$status" = 0
fi
exec 3>&-
sed 's/^/#   game stderr: /' "$work/err"
kill "$xvfb" 2>/dev/null
wait "$xvfb" 2>/dev/null
xvfb=""

# Removal: every file the package brought is gone; a directory may stay only when something
# else lives in it (it is shared with other packages).
removes() { apt_purge >"$work/remove" 2>&1; }
check "the package removes" removes
installed_by_us=""
left=0
while IFS= read -r path; do
    if [ -d "$path" ] && [ ! -L "$path" ]; then
        if [ -z "$(ls -A "$path")" ] && ! dpkg -S "$path" >/dev/null 2>&1; then
            echo "#   empty directory left: $path"
            left=$((left + 1))
        fi
    elif [ -e "$path" ] || [ -L "$path" ]; then
        echo "#   left behind: $path"
        left=$((left + 1))
    fi
done <"$work/files"
check "$(wc -l <"$work/files") paths were installed and nothing of them is left" test "$left" = 0
ours >"$work/after"
check "nothing else named after the game is left" diff "$work/before" "$work/after"
check "the package list knows it no more" bash -c "! dpkg-query -W craterduel >/dev/null 2>&1"

[ "$failures" = 0 ] && echo "# all checks passed" || echo "# $failures check(s) failed"
exit $((failures > 0))
