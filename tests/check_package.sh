#!/usr/bin/env bash
# Builds the Debian package from a build folder with CPack and checks it with
# Debian's own tools: its name, version and computed dependencies, the files it
# holds, lintian, the AppStream and desktop-entry validators, the manual page
# against the options the program takes, and the programs themselves, unpacked
# and run (veltrace-cli --version, and one render into a file and to standard
# output).
#
# A package given is checked instead of one built here; the package of a cross
# build (scripts/package.sh --arch arm64) is checked the same way, for its
# architecture: its programs run under the emulator qemu-user-static installs.
#
# usage: check_package.sh BUILD_DIR [PACKAGE.deb]   (exit status 77: skipped)
set -euo pipefail

build=${1:?usage: check_package.sh BUILD_DIR [PACKAGE.deb]}
given=${2:-}
# The test set-up installs these (dpkg-dev, lintian, appstream, desktop-file-utils, man-db).
for tool in cpack dpkg-deb dpkg-parsechangelog lintian appstreamcli desktop-file-validate man; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done
fail() {
    echo "FAIL: $*"
    exit 1
}

# The package is for the programs as released; those of a sanitizer build are
# not, and their leak checks would judge the system's libraries.
if grep -qx 'VELTRACE_SANITIZE:BOOL=ON' "$build/CMakeCache.txt"; then
    echo "skipped: $build is a sanitizer build"
    exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [[ -n "$given" ]]; then
    deb=$given
elif cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
    deb=$(ls "$work"/out/*.deb)
else
    cat "$work/cpack.log"
    fail "cpack could not build the package"
fi
project_version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

# The architecture the build is for: the machine's own, unless it is a cross
# build, whose programs then run under the emulator (the architecture's
# libraries are installed beside the machine's own, where its loader finds them).
native=$(dpkg --print-architecture)
arch=$(sed -n 's/^set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
arch=${arch:-$native}
multiarch=$(dpkg-architecture -a "$arch" -qDEB_HOST_MULTIARCH 2>/dev/null)
objdump=objdump
run=()
if [[ $arch != "$native" ]]; then
    objdump=$(dpkg-architecture -a "$arch" -qDEB_HOST_GNU_TYPE 2>/dev/null)-objdump
    run=("qemu-$(dpkg-architecture -a "$arch" -qDEB_HOST_GNU_CPU 2>/dev/null)-static")
    export QEMU_LD_PREFIX=/
fi
for tool in "$objdump" "${run[@]}"; do
    command -v "$tool" >/dev/null || fail "$tool is not installed"
done

[[ $(basename "$deb") == "veltrace_${project_version}_$arch.deb" ]] || fail "package named $(basename "$deb")"
[[ $(dpkg-deb -f "$deb" Version) == "$project_version" ]] || fail "version $(dpkg-deb -f "$deb" Version)"
[[ $(dpkg-deb -f "$deb" Architecture) == "$arch" ]] || fail "architecture $(dpkg-deb -f "$deb" Architecture)"

# Libraries as dpkg-shlibdeps found them, the fonts the plots need and Qt's
# translations for its dialogs.
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libzip4 libfreexl1 \
    fonts-liberation2 fonts-noto-cjk qt6-translations-l10n; do
    [[ ", $depends," =~ ", $needed"[\ ,] ]] || fail "Depends lacks $needed: $depends"
done

dpkg-deb -c "$deb" | awk '{ print $6 }' >"$work/files"
icons=()
for size in 16 24 32 48 64 128 256; do
    icons+=("./usr/share/icons/hicolor/${size}x${size}/apps/veltrace.png")
done
for path in ./usr/bin/veltrace ./usr/bin/veltrace-cli ./usr/share/applications/veltrace.desktop \
    ./usr/share/metainfo/example.veltrace.Veltrace.metainfo.xml "${icons[@]}" \
    ./usr/share/man/man1/veltrace.1.gz ./usr/share/man/man1/veltrace-cli.1.gz \
    ./usr/share/man/zh_CN/man1/veltrace-cli.1.gz \
    ./usr/share/doc/veltrace/copyright ./usr/share/doc/veltrace/changelog.gz; do
    grep -qxF "$path" "$work/files" || fail "the package lacks $path"
done

if ! lintian --fail-on error --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1; then
    cat "$work/lintian.log"
    fail "lintian reports errors"
fi
cat "$work/lintian.log"

root="$work/root"
dpkg-deb -x "$deb" "$root"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml >"$work/appstream.log" 2>&1 ||
    { cat "$work/appstream.log"; fail "appstreamcli validate"; }
desktop-file-validate "$root/usr/share/applications/veltrace.desktop" || fail "desktop-file-validate"

# The menu entry starts a program of the package and shows one of its icons.
entry="$root/usr/share/applications/veltrace.desktop"
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
icon_name=$(sed -n 's/^Icon=//p' "$entry")
[[ -x "$root/usr/bin/$exec_name" ]] || fail "Exec=$exec_name is not in /usr/bin"
grep -qx "\./usr/share/icons/hicolor/48x48/apps/$icon_name.png" "$work/files" || fail "Icon=$icon_name"

zcat "$root/usr/share/doc/veltrace/changelog.gz" >"$work/changelog"
[[ $(dpkg-parsechangelog -l "$work/changelog" -S Version) == "$project_version" ]] ||
    fail "the changelog's latest entry is not $project_version"

for program in veltrace veltrace-cli; do
    file -b "$root/usr/bin/$program" | grep -q ', stripped' || fail "$program is not stripped"
done

# Every library the programs load is one of the package's architecture, and the
# package depends on the package that holds it.
for program in veltrace veltrace-cli; do
    for library in $("$objdump" -p "$root/usr/bin/$program" | awk '$1 == "NEEDED" { print $2 }'); do
        holder=$(dpkg -S "*/$library" 2>/dev/null |
            sed -n "s|^\([^ :]*\):$arch: \(/usr\)\?/lib\(64\)\?\(/$multiarch\)\?/$library\$|\1|p" | sort -u)
        [[ -n "$holder" ]] || fail "no $arch package holds $library, which $program loads"
        [[ ", $depends," =~ ", $holder"[\ ,] ]] || fail "Depends lacks $holder ($library): $depends"
    done
done

# Every option either command takes, in English or in Chinese, is in the
# manual page of that language.
cli="$root/usr/bin/veltrace-cli"
for language in en zh_CN; do
    page=$root/usr/share/man/man1/veltrace-cli.1.gz
    locale=C.UTF-8
    if [[ $language != en ]]; then
        page=$root/usr/share/man/$language/man1/veltrace-cli.1.gz
        locale=$language.UTF-8
    fi
    manual=$(MANWIDTH=200 man -E UTF-8 -l "$page" 2>&1)
    for command in render batch; do
        options=$(LC_ALL=$locale "${run[@]}" "$cli" "$command" --help |
            grep -oE -- '(^|[ ,])--?[a-z][a-z-]*' | tr -d ' ,' | sort -u)
        [[ -n "$options" ]] || fail "$command --help lists no options ($language)"
        for option in $options; do
            grep -qE -- "(^|[^a-z-])$option([^a-z-]|$)" <<<"$manual" ||
                fail "the $language manual page does not describe $command's $option"
        done
    done
done

# The unpacked programs run from the system's libraries.
version=$("${run[@]}" "$cli" --version) || fail "--version exited with $?"
[[ $version == "veltrace-cli $project_version" ]] || fail "--version says $version"
fixed=(--seed 3 --field 0=T1-B1F --field 8=3/7/2026 --field 11=14:05:09)
"${run[@]}" "$cli" render "${fixed[@]}" -o "$work/plot.png" || fail "render exited with $?"
file -b "$work/plot.png" | grep -q '^PNG image data' || fail "render wrote $(file -b "$work/plot.png")"
# -o - writes the same picture to standard output.
"${run[@]}" "$cli" render "${fixed[@]}" -o - >"$work/stdout.png" || fail "render -o - exited with $?"
cmp -s "$work/plot.png" "$work/stdout.png" || fail "render -o - wrote other bytes than -o FILE"
echo "checked $(basename "$deb")"
