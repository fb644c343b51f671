#!/usr/bin/env bash
# Draws the game's icon the way the game draws its arena: a 16x16-cell corner of grey rock
# (16-pixel cells, shade 100), craters blasted out of it, the cyan fighter on the left and the
# red one on the right (a 33x5 and a 5x33 bar and an 18-pixel disc) with a shot between them.
# At 256 pixels that is the game's own scale; the smaller sizes are box averages of it.
# Writes data/icons/craterduel.svg and data/icons/<N>x<N>/craterduel.png. Needs ImageMagick.
# The output is committed, so building the game or its package needs no ImageMagick.
#   scripts/make_icons.sh [output-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-data/icons}
mkdir -p "$out"

# One list of filled shapes, pixel-exact like the game's canvas: "rect colour x y w h" covers
# pixels x to x+w-1; "disc colour x y w h" is the ellipse inscribed in that rectangle.
shapes() {
    # A cell is rock unless its centre lies inside a crater (column, row, radius in cells),
    # the same test the game's blast uses.
    awk 'BEGIN {
        split("8 8 5.6;3 8 2.2;13 8 2.2;8 2 1.6", craters, ";")
        for (j = 0; j < 16; ++j) for (i = 0; i < 16; ++i) {
            solid = 1
            for (c in craters) {
                split(craters[c], v, " ")
                if ((i - v[1]) ^ 2 + (j - v[2]) ^ 2 < v[3] ^ 2) solid = 0
            }
            if (solid) printf "rect #646464 %d %d 16 16\n", 16 * i, 16 * j
        }
    }'
    # The fighters stand on cell corners, as the game places them.
    local x y colour
    for fighter in "56 136 #00ffff" "200 136 #ff0000"; do
        read -r x y colour <<<"$fighter"
        echo "rect $colour $((x - 16)) $((y - 2)) 33 5"
        echo "rect $colour $((x - 2)) $((y - 16)) 5 33"
        echo "disc $colour $((x - 8)) $((y - 8)) 18 18"
    done
    echo "rect #ffff00 112 134 32 4"
}

# The SVG: the rock is one path, so that no renderer shows seams between neighbouring cells.
svg=$out/craterduel.svg
{
    echo '<?xml version="1.0" encoding="UTF-8"?>'
    echo '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">'
    echo '  <title>Crater Duel</title>'
    echo '  <rect width="256" height="256" fill="#000000"/>'
    shapes | awk '
        $1 == "rect" && $5 == 16 && $6 == 16 { rock = rock sprintf("M%d %dh16v16h-16z", $3, $4); colour = $2; next }
        rock != "" { printf "  <path fill=\"%s\" d=\"%s\"/>\n", colour, rock; rock = "" }
        $1 == "rect" { printf "  <rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\" fill=\"%s\"/>\n", $3, $4, $5, $6, $2 }
        $1 == "disc" { printf "  <ellipse cx=\"%g\" cy=\"%g\" rx=\"%g\" ry=\"%g\" fill=\"%s\"/>\n", $3 + $5 / 2, $4 + $6 / 2, $5 / 2, $6 / 2, $2 }'
    echo '</svg>'
} >"$svg"

# The bitmaps are drawn directly, pixel for pixel, without antialiasing and not through an
# SVG renderer. ImageMagick's pixel centres sit on whole numbers, hence the half-pixel shifts.
draw=()
while IFS= read -r line; do
    draw+=(-fill "${line%% *}" -draw "${line#* }")
done < <(shapes | awk '
    $1 == "rect" { printf "%s rectangle %d,%d %d,%d\n", $2, $3, $4, $3 + $5 - 1, $4 + $6 - 1 }
    $1 == "disc" { printf "%s ellipse %g,%g %g,%g 0,360\n", $2, $3 + $5 / 2 - 0.5, $4 + $6 / 2 - 0.5, $5 / 2, $6 / 2 }')
master=$(mktemp --suffix=.png)
trap 'rm -f "$master"' EXIT
convert -size 256x256 xc:black +antialias "${draw[@]}" "PNG32:$master"

for size in 256 128 64 48 32 16; do
    mkdir -p "$out/${size}x${size}"
    # No time stamps in the PNG, so remaking an unchanged icon changes no bytes.
    convert "$master" -filter Box -resize "${size}x${size}" -define png:exclude-chunks=date,time -strip \
        "PNG32:$out/${size}x${size}/craterduel.png"
done
echo "wrote $svg and PNGs at 16 to 256 pixels in $out"
