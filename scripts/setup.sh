#!/usr/bin/env bash
# Installs the Debian packages the project needs. With --tests, also what the
# test suite needs (and the OOXML validator from npm); with --fuzz, the
# compiler and runtime of the fuzz targets; with --arch ARCH (arm64), what a
# cross build for that Debian architecture needs: the cross compilers, the
# ARCH builds of the libraries the programs link (through multiarch, beside
# the machine's own) and the emulator that runs ARCH programs here. Quick when
# everything is installed already.
#
#   bash scripts/setup.sh [--tests] [--fuzz] [--arch ARCH]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tests=false
fuzz=false
native=$(dpkg --print-architecture)
arch=$native
while [[ $# -gt 0 ]]; do
    case "$1" in
    --tests) tests=true ;;
    --fuzz) fuzz=true ;;
    --arch)
        [[ $# -ge 2 ]] || { echo "setup.sh: --arch needs an architecture" >&2; exit 2; }
        arch=$2
        shift
        ;;
    *) echo "setup.sh: unknown option $1" >&2; exit 2 ;;
    esac
    shift
done

# dpkg-dev and file: CPack's Debian package (dpkg-shlibdeps finds the
# libraries the programs need among the files file calls executables).
# qt6-translations-l10n: Qt's own dialogs and buttons in Chinese.
# qt6-l10n-tools: lrelease (and lupdate), the command line's translations.
packages=(g++ cmake make pkg-config qt6-base-dev qt6-l10n-tools libzip-dev libfreexl-dev
          libdeflate-dev fonts-liberation2 fonts-noto-cjk qt6-translations-l10n xvfb xauth dpkg-dev file)
if $tests; then
    packages+=(libbenchmark-dev clang-format python3-docx python3-xlwt python3-openpyxl
               libreoffice-writer-nogui poppler-utils time lintian appstream
               desktop-file-utils man-db)
    # Node.js for the OOXML validator: Debian's, unless the machine has one
    # with its npm already (a newer nodejs package that brings its own npm
    # conflicts with Debian's npm).
    command -v npm >/dev/null || packages+=(nodejs npm)
fi
if $fuzz; then
    packages+=(clang-14 libclang-rt-14-dev)
fi

cross=()
if [[ $arch != "$native" ]]; then
    cross=(crossbuild-essential-"$arch" qemu-user-static)
    for p in qt6-base-dev libzip-dev libfreexl-dev libdeflate-dev; do
        cross+=("$p:$arch")
    done
fi

# Installed for the architecture asked (NAME:ARCH) or the machine's own; once
# a second architecture is added, dpkg lists a library once per architecture.
installed() {
    local name=${1%%:*} want=$native
    [[ $1 == *:* ]] && want=${1#*:}
    dpkg-query -W -f='${Architecture} ${Status}\n' "$name" 2>/dev/null |
        grep -qE "^($want|all) install ok installed\$"
}

missing=()
for p in "${packages[@]}" "${cross[@]}"; do
    installed "$p" || missing+=("$p")
done
if [[ ${#missing[@]} -gt 0 ]]; then
    sudo=""
    [[ $(id -u) -eq 0 ]] || sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    if [[ $arch != "$native" ]] && ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
        $sudo dpkg --add-architecture "$arch"
    fi
    $sudo apt-get update -qq
    # The other architecture's libraries must fit beside the installed ones:
    # an install that would remove a package is not done.
    removals=$(apt-get -s install --no-install-recommends "${missing[@]}" | grep '^Remv' || true)
    if [[ -n "$removals" ]]; then
        echo "setup.sh: installing ${missing[*]} would remove packages; not installed:" >&2
        echo "$removals" >&2
        exit 1
    fi
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The OOXML validator the tests check written documents with, from the npm
# registry into the checkout's .tools/ (ignored by git).
validator=$root/.tools/ooxml
if $tests && [[ ! -d "$validator/node_modules/@ooxml-tools/validate" ]]; then
    mkdir -p "$validator"
    npm install --prefix "$validator" --no-audit --no-fund --loglevel=error \
        @ooxml-tools/validate@0.4.6 >/dev/null
fi
