#!/usr/bin/env bash
# Installs what is needed, builds with warnings as errors and runs the whole
# test suite headless.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh" --tests

# Formatting is part of the build's rules.
mapfile -t sources < <(cd "$root" && git ls-files '*.cpp' '*.h' 2>/dev/null || true)
if [[ ${#sources[@]} -gt 0 ]]; then
    (cd "$root" && clang-format --dry-run --Werror "${sources[@]}")
fi

bash "$root/scripts/build.sh" -DVELTRACE_WERROR=ON
cd "${VELTRACE_BUILD_DIR:-$root/build}"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
