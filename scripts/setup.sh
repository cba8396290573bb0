#!/usr/bin/env bash
# Installs the Debian packages the project needs. With --tests, also what the
# test suite needs (and the OOXML validator from npm); with --fuzz, the
# compiler and runtime of the fuzz targets. Quick when everything is
# installed already.
#
#   bash scripts/setup.sh [--tests] [--fuzz]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tests=false
fuzz=false
for option in "$@"; do
    case "$option" in
    --tests) tests=true ;;
    --fuzz) fuzz=true ;;
    *) echo "setup.sh: unknown option $option" >&2; exit 2 ;;
    esac
done

# dpkg-dev and file: CPack's Debian package (dpkg-shlibdeps finds the
# libraries the programs need among the files file calls executables).
# qt6-translations-l10n: Qt's own dialogs and buttons in Chinese.
packages=(g++ cmake make pkg-config qt6-base-dev libzip-dev libfreexl-dev libdeflate-dev
          fonts-liberation2 fonts-noto-cjk qt6-translations-l10n xvfb xauth dpkg-dev file)
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

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
if [[ ${#missing[@]} -gt 0 ]]; then
    sudo=""
    [[ $(id -u) -eq 0 ]] || sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
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
