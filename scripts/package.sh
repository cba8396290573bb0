#!/usr/bin/env bash
# Installs what is needed, builds the programs and writes the Debian package
# veltrace_<version>_<arch>.deb into the top folder of the checkout, without
# the tests and benchmarks.
#
#   bash scripts/package.sh               the machine's own architecture (amd64),
#                                         built in build-package/
#   bash scripts/package.sh --arch arm64  cross-built for 64-bit ARM in build-arm64/
#
# $VELTRACE_PACKAGE_BUILD_DIR chooses another build folder. A cross build adds
# the architecture to dpkg, installs Debian's cross compilers and the arm64
# builds of the libraries beside the machine's own (scripts/setup.sh --arch)
# and builds with the toolchain file cmake/<GNU type>.cmake.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
native=$(dpkg --print-architecture)
arch=$native
while [[ $# -gt 0 ]]; do
    case "$1" in
    --arch)
        [[ $# -ge 2 ]] || { echo "package.sh: --arch needs an architecture" >&2; exit 2; }
        arch=$2
        shift
        ;;
    *) echo "package.sh: unknown option $1" >&2; exit 2 ;;
    esac
    shift
done

cmake_args=(-DBUILD_TESTING=OFF -DVELTRACE_BENCH=OFF)
if [[ $arch == "$native" ]]; then
    build=${VELTRACE_PACKAGE_BUILD_DIR:-$root/build-package}
    bash "$root/scripts/setup.sh"
else
    triplet=$(dpkg-architecture -a "$arch" -qDEB_HOST_MULTIARCH 2>/dev/null) ||
        { echo "package.sh: $arch is not a Debian architecture" >&2; exit 2; }
    toolchain=$root/cmake/$triplet.cmake
    [[ -f $toolchain ]] || { echo "package.sh: no toolchain file for $arch ($toolchain)" >&2; exit 2; }
    build=${VELTRACE_PACKAGE_BUILD_DIR:-$root/build-$arch}
    bash "$root/scripts/setup.sh" --arch "$arch"
    cmake_args+=(--toolchain "$toolchain")
fi

# Debian's own compiler and linker flags for that architecture, hardening
# included.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
flags() { DEB_HOST_ARCH=$arch dpkg-buildflags --get "$1"; }
VELTRACE_BUILD_DIR=$build bash "$root/scripts/build.sh" "${cmake_args[@]}" \
    -DCMAKE_CXX_FLAGS="$(flags CPPFLAGS) $(flags CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)"
rm -f "$build"/veltrace_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
package=$(cd "$build" && ls "veltrace_"*"_$arch.deb")
cp "$build/$package" "$root/$package"
echo "$root/$package"
