#!/usr/bin/env bash
# Builds the whole project with AddressSanitizer and UndefinedBehaviorSanitizer
# (warnings as errors) into build-asan/ (or $VELTRACE_ASAN_BUILD_DIR) and runs the
# test suite there. Leak detection stays on; fuzz/lsan.supp lists the leaks of
# third-party libraries that are not ours to fix.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELTRACE_ASAN_BUILD_DIR:-$root/build-asan}
bash "$root/scripts/setup.sh" --tests

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELTRACE_SANITIZE=ON \
    -DVELTRACE_WERROR=ON >/dev/null
cmake --build "$build" -j"$(nproc)"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/fuzz/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
cd "$build"
ctest --output-on-failure -j"$(nproc)"
