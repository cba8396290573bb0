#!/usr/bin/env bash
# Draws the program icon (a green distance-to-fault trace with one lobe on a
# dark grid) at every size the desktop asks for, into src/platform/icons/.
# Each size is drawn on its own pixel grid rather than scaled down from the
# largest, so that the small icons stay sharp. Needs ImageMagick's convert.
# The output carries no time stamps, so re-running it changes nothing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/src/platform/icons
mkdir -p "$out"

# Drawing primitives for an icon of n pixels: a rounded dark tile, a grid over
# the plot area (0.14 n to 0.86 n), a low rippled trace with a sinc-squared
# lobe at 60 % of the width and, from 48 pixels up, a marker above the lobe.
primitives() {
    awk -v n="$1" 'BEGIN {
        lo = 0.14 * n; hi = 0.86 * n
        printf "fill \"#0e1c24\" stroke \"#35586a\" stroke-width 1\n"
        printf "roundrectangle 0.5,0.5 %.2f,%.2f %.2f,%.2f\n", n - 0.5, n - 0.5, 0.16 * n, 0.16 * n

        divisions = (n < 32) ? 2 : 4
        printf "fill none stroke \"#27485a\" stroke-width %.2f\n", (n < 128) ? 1 : n / 128
        for (k = 0; k <= divisions; k++) {
            p = lo + k * (hi - lo) / divisions
            printf "line %.2f,%.2f %.2f,%.2f\n", p, lo, p, hi
            printf "line %.2f,%.2f %.2f,%.2f\n", lo, p, hi, p
        }

        base = 0.76 * n; top = 0.22 * n; peak = 0.6
        steps = (n < 48) ? 24 : 96
        printf "stroke \"#3ee07a\" stroke-width %.2f stroke-linejoin round stroke-linecap round\n", \
            (n / 30 < 1.3) ? 1.3 : n / 30
        printf "polyline"
        for (i = 0; i <= steps; i++) {
            t = i / steps
            u = (t - peak) * 22
            lobe = (u == 0) ? 1 : (sin(u) / u) ^ 2
            ripple = (n >= 48) ? 0.025 * n * sin(t * 53) : 0
            printf " %.2f,%.2f", lo + t * (hi - lo), base - (base - top) * lobe - ripple
        }
        printf "\n"

        if (n >= 48) {
            x = lo + peak * (hi - lo); y = top - n / 40; s = n / 18
            printf "fill \"#ffb020\" stroke none\n"
            printf "polygon %.2f,%.2f %.2f,%.2f %.2f,%.2f\n", x, y, x - s, y - 1.6 * s, x + s, y - 1.6 * s
        }
    }'
}

for n in 16 24 32 48 64 128 256; do
    convert -size "${n}x${n}" xc:none -draw "$(primitives "$n")" \
        -strip -define png:exclude-chunks=date,time "PNG32:$out/veltrace-$n.png"
done
