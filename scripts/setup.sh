#!/usr/bin/env bash
# Installs the Debian packages the project needs. With --tests, also what the
# test suite needs. Quick when everything is installed already.
set -euo pipefail

# dpkg-dev and file: CPack's Debian package (dpkg-shlibdeps finds the
# libraries the programs need among the files file calls executables).
# qt6-translations-l10n: Qt's own dialogs and buttons in Chinese.
packages=(g++ cmake make pkg-config qt6-base-dev libzip-dev libfreexl-dev libdeflate-dev
          fonts-liberation2 fonts-noto-cjk qt6-translations-l10n xvfb xauth dpkg-dev file)
if [[ "${1:-}" == "--tests" ]]; then
    packages+=(libbenchmark-dev clang-format python3-docx python3-xlwt python3-openpyxl
               libreoffice-writer-nogui poppler-utils time lintian appstream
               desktop-file-utils man-db)
fi

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
