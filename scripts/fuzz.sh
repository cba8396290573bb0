#!/usr/bin/env bash
# Builds the libFuzzer targets under fuzz/ with clang and runs each of them for
# SECONDS seconds (default 15) from its committed seed corpus. Exits non-zero as
# soon as a target finds a crash, a leak, a hang or a broken promise; the input
# is kept under the build folder's findings/.
#
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-15}
shift || true
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=(fuzz_xlsx fuzz_xls fuzz_docx fuzz_numbers)
build=${VELTRACE_FUZZ_BUILD_DIR:-$root/build-fuzz}

# The project's own packages, and the compiler with its fuzzing runtime.
bash "$root/scripts/setup.sh" --fuzz

CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$build" -DVELTRACE_FUZZ=ON \
    -DVELTRACE_SANITIZE=ON -DBUILD_TESTING=OFF -DVELTRACE_BENCH=OFF >/dev/null
cmake --build "$build" --target "${targets[@]}" -j"$(nproc)"

max_len_of() {
    case "$1" in
    fuzz_numbers) echo 256 ;;
    fuzz_xls) echo 65536 ;;
    *) echo 131072 ;;
    esac
}

# At most this many inputs per target, from a fixed seed: the pass is the same
# on every run, so it checks the committed corpus and known ground rather
# than failing at random. Longer, free runs are for finding new faults:
# VELTRACE_FUZZ_SEED=0 (a random seed) and VELTRACE_FUZZ_RUNS=-1 (no cap).
runs_of() {
    case "$1" in
    fuzz_numbers) echo 1000000 ;;
    fuzz_xls) echo 5000 ;;
    *) echo 20000 ;;
    esac
}

# Extra options: a dictionary of XML tokens for the targets that read packages.
options_of() {
    case "$1" in
    fuzz_xlsx | fuzz_docx) echo "-dict=$root/fuzz/ooxml.dict" ;;
    esac
}

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/fuzz/lsan.supp:print_suppressions=0}

findings="$build/findings"
rm -rf "$findings"
mkdir -p "$findings"
failed=()
for target in "${targets[@]}"; do
    # New inputs go to a scratch corpus; the committed seeds stay as they are.
    # With -jobs=1 libFuzzer runs the target in a child that logs to fuzz-0.log
    # in the current folder.
    run=$(mktemp -d "${TMPDIR:-/tmp}/$target.XXXXXX")
    mkdir "$run/corpus"
    log="$build/$target.log"
    echo "== $target: ${seconds}s"
    status=0
    (cd "$run" && "$build/fuzz/$target" "$run/corpus" "$root/fuzz/corpus/$target" \
        -max_total_time="$seconds" -max_len="$(max_len_of "$target")" \
        -seed="${VELTRACE_FUZZ_SEED:-1}" -runs="${VELTRACE_FUZZ_RUNS:-$(runs_of "$target")}" \
        -rss_limit_mb=1024 -timeout=10 -workers=1 -jobs=1 -print_final_stats=1 \
        $(options_of "$target") -artifact_prefix="$findings/$target-" >"$log" 2>&1) || status=$?
    [[ -f "$run/fuzz-0.log" ]] && cat "$run/fuzz-0.log" >>"$log"
    if [[ $status -ne 0 ]] || ls "$findings/$target-"* >/dev/null 2>&1; then
        failed+=("$target")
        tail -n 60 "$log"
    fi
    grep -E '^stat::number_of_executed_units|^Done [0-9]+ runs' "$log" | sort -u || true
    rm -rf "$run"
done

if [[ ${#failed[@]} -gt 0 ]]; then
    echo "fuzz findings in: ${failed[*]} (inputs in $findings)" >&2
    exit 1
fi
echo "no findings"
