#!/usr/bin/env bash
# Runs the batch benchmark once per workbook size, each in its own process so
# that the peak memory figure belongs to that size alone.
set -euo pipefail
build=${1:-$(cd "$(dirname "$0")/.." && pwd)/build}
for rows in 100 500 1000; do
    "$build/bench/bench_batch" --benchmark_filter="BM_Batch/$rows/" 2>/dev/null | grep BM_
done
