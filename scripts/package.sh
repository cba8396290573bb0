#!/usr/bin/env bash
# Installs what is needed, builds the programs and writes the Debian package
# veltrace_<version>_amd64.deb into the top folder of the checkout. The package
# is built in build-package/ (or $VELTRACE_PACKAGE_BUILD_DIR), without the
# tests and benchmarks.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${VELTRACE_PACKAGE_BUILD_DIR:-$root/build-package}
bash "$root/scripts/setup.sh"
# Debian's own compiler and linker flags, hardening included.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
VELTRACE_BUILD_DIR=$build bash "$root/scripts/build.sh" -DBUILD_TESTING=OFF -DVELTRACE_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
rm -f "$build"/veltrace_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
package=$(cd "$build" && ls veltrace_*_amd64.deb)
cp "$build/$package" "$root/$package"
echo "$root/$package"
