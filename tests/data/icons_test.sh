#!/usr/bin/env bash
# The committed icons are what scripts/make_icons.sh draws today: an edit to the drawing that
# was not followed by running the script fails here. Pixels are compared, not bytes, so another
# ImageMagick version that encodes the same picture differently still passes.
#   tests/data/icons_test.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
fresh=$(mktemp -d)
trap 'rm -rf "$fresh"' EXIT
scripts/make_icons.sh "$fresh" >/dev/null
status=0
for size in 16 32 48 64 128 256; do
    committed=data/icons/${size}x${size}/craterduel.png
    differing=$(compare -metric AE "$committed" "$fresh/${size}x${size}/craterduel.png" null: 2>&1) || true
    if [ "$differing" != 0 ]; then
        echo "FAIL - $committed: $differing pixels differ from what scripts/make_icons.sh draws"
        status=1
    fi
done
if ! diff -q data/icons/craterduel.svg "$fresh/craterduel.svg" >/dev/null; then
    echo "FAIL - data/icons/craterduel.svg differs from what scripts/make_icons.sh writes"
    status=1
fi
[ "$status" = 0 ] && echo "ok - the icons are the script's"
exit "$status"
