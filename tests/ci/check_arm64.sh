#!/usr/bin/env bash
# The arm64 Debian package, checked on this (amd64) machine. Run by CI after
# the test suite, not by CTest: it installs the cross tools and builds the
# programs a second time, which takes several minutes.
#
# Cross-builds the package (scripts/package.sh --arch arm64), checks it as
# tests/check_package.sh checks the amd64 one (name, architecture, computed
# dependencies, files, lintian, validators, manual page, the programs run),
# then runs its veltrace-cli under qemu user emulation, called directly (no
# binfmt_misc needed):
# - one render with every field fixed, which must give the same pixels as the
#   machine's own build given the same command;
# - a batch of the twelve rows of docs/report-template.xlsx into a new
#   document, which python-docx must open and find the twelve plots in, with
#   the same pixels as the machine's own build's batch.
#
# usage: check_arm64.sh   (the machine's own veltrace-cli is built in build/,
#                          or $VELTRACE_BUILD_DIR, if it is not there yet)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
python=/usr/bin/python3
tools="$root/tests/tools"
native_build=${VELTRACE_BUILD_DIR:-$root/build}
arm64_build=$root/build-arm64
fail() {
    echo "FAIL: $*"
    exit 1
}
step() {
    echo "== $* ($SECONDS s)"
}

step "set-up and cross build"
bash "$root/scripts/setup.sh" --tests
rm -f "$root"/veltrace_*_arm64.deb
VELTRACE_PACKAGE_BUILD_DIR=$arm64_build bash "$root/scripts/package.sh" --arch arm64
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$arm64_build/CMakeCache.txt")
deb="$root/veltrace_${version}_arm64.deb"
[[ -f "$deb" ]] || fail "scripts/package.sh --arch arm64 wrote no $(basename "$deb")"

step "the package as check_package.sh checks the amd64 one"
export QT_QPA_PLATFORM=offscreen
bash "$root/tests/check_package.sh" "$arm64_build" "$deb"

step "the machine's own veltrace-cli"
if [[ ! -f "$native_build/CMakeCache.txt" ]]; then
    cmake -S "$root" -B "$native_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$native_build" --target veltrace-cli -j"$(nproc)" >/dev/null
native="$native_build/src/app/veltrace-cli"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work/root"
arm64=("qemu-aarch64-static" "$work/root/usr/bin/veltrace-cli")
# The arm64 loader and libraries are where multiarch put them, under /.
export QEMU_LD_PREFIX=/
file -b "${arm64[1]}" | grep -q 'ARM aarch64' || fail "veltrace-cli is $(file -b "${arm64[1]}")"

step "render: arm64 against amd64"
version=$("${arm64[@]}" --version) || fail "--version exited with $?"
[[ $version == "$("$native" --version)" ]] || fail "the arm64 program says $version"
fields=(--seed 7 --field 0=T1-B1F--T2-B1F --field 1=13.5 --field 2=1.18 --field 8=12/7/2026
        --field 11=14:05:09)
"$native" render "${fields[@]}" -o "$work/amd64.png" || fail "the amd64 render exited with $?"
"${arm64[@]}" render "${fields[@]}" -o "$work/arm64.png" || fail "the arm64 render exited with $?"
"$python" "$tools/compare_png_pixels.py" "$work/amd64.png" "$work/arm64.png"

step "batch: twelve rows into a new document"
workbook="$root/docs/report-template.xlsx"
batch=(batch "$workbook" --seed 7 --specified-time --field 8=12/7/2026)
"$native" "${batch[@]}" --into "$work/amd64.docx" >/dev/null 2>"$work/amd64.err" ||
    { cat "$work/amd64.err"; fail "the amd64 batch failed"; }
said=$("${arm64[@]}" "${batch[@]}" --into "$work/arm64.docx" 2>"$work/arm64.err") ||
    { cat "$work/arm64.err"; fail "the arm64 batch failed"; }
expected="Appended 12 plots to $work/arm64.docx (0 into placeholders, 12 at the end)"
[[ $said == "$expected" ]] || fail "the arm64 batch said: $said"
# python-docx finds the twelve pictures in the rows' order (segments from the
# workbook, read by openpyxl), each its own 601 x 289 PNG in its own paragraph.
"$python" - "$workbook" "$work/expected.json" <<'EOF'
import json, sys
import openpyxl
rows = openpyxl.load_workbook(sys.argv[1], read_only=True)["Sheet1"].iter_rows(min_row=2, values_only=True)
segments = [row[0] for row in rows if row[0]]
json.dump({"segments": segments, "earlier_pictures": 0}, open(sys.argv[2], "w", encoding="utf-8"))
EOF
"$python" "$tools/check_docx_pictures.py" "$work/arm64.docx" "$work/expected.json"
"$python" "$tools/compare_png_pixels.py" "$work/amd64.docx" "$work/arm64.docx"

step "checked $(basename "$deb")"
