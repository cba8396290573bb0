#!/usr/bin/env bash
# Runs the batch benchmark once per workbook size, with the main window shown
# and hidden, each in its own process so that the peak memory figure belongs
# to that run alone; then the same workbooks through veltrace-cli, for
# comparison. With a display (DISPLAY set, e.g. under xvfb-run) the shown
# window is drawn by the window system.
set -euo pipefail
build=${1:-$(cd "$(dirname "$0")/.." && pwd)/build}
bench=$(cd "$(dirname "$0")" && pwd)
for rows in 100 500 1000; do
    for shown in 1 0; do
        "$build/bench/bench_batch" --benchmark_filter="BM_Batch/rows:$rows/shown:$shown" \
            2>/dev/null | grep BM_
    done
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for rows in 100 500 1000; do
    workbook=/tmp/veltrace-bench-$rows.xlsx
    [[ -f $workbook ]] || /usr/bin/python3 "$bench/make_workbook.py" "$rows" "$workbook"
    start=$(date +%s.%N)
    /usr/bin/time -f "%M" -o "$tmp/rss" "$build/src/app/veltrace-cli" batch "$workbook" \
        --into "$tmp/cli-$rows.docx" >/dev/null 2>&1
    end=$(date +%s.%N)
    awk -v r="$rows" -v s="$start" -v e="$end" -v m="$(cat "$tmp/rss")" \
        'BEGIN { printf "veltrace-cli batch/%d  %.0f ms  rows_per_s=%.1f  peak_rss_MB=%.1f\n", r, (e-s)*1000, r/(e-s), m/1024 }'
done
