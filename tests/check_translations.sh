#!/usr/bin/env bash
# The command line's translations are complete: a Chinese QStringLiteral in
# the layers below is document content (listed below), their messages being
# written through QCoreApplication::translate; and lupdate finds no text in
# the sources without a translation in src/cli/translations/ (a new message
# needs one: build the veltrace_lupdate target, then fill in its entry).
#
# usage: check_translations.sh BUILD_DIR   (the argument is not used)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
lupdate=/usr/lib/qt6/bin/lupdate
[[ -x $lupdate ]] || { echo "FAIL: $lupdate is not installed (qt6-l10n-tools)"; exit 1; }
fail=0

# Chinese literals that are no message: what a document holds (picture names
# and descriptions, the default font, the placeholders a template is read for).
content='驻波图|由 Veltrace 合成|宋体|图片 %6|驻波比上限=|: 合格$|: 不合格$|: \{\{[#/]每段\}\}$'
below=(common trace zip workbook document batch)
unwrapped=$(cd "$root/src" && find "${below[@]}" -name '*.cpp' -o -name '*.h' | sort |
    xargs perl -CSD -0777 -ne 'while (/QStringLiteral\(\s*"([^"]*)"/g) { my $text = $1;
        print "$ARGV: $text\n" if $text =~ /[\x{3000}-\x{303f}\x{4e00}-\x{9fff}\x{ff00}-\x{ffef}]/ }' |
    grep -vE "$content")
if [[ -n $unwrapped ]]; then
    echo "FAIL: Chinese messages not written through QCoreApplication::translate:"
    echo "$unwrapped"
    fail=1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root"/src/cli/translations/*.ts "$work/"
cd "$root/src/cli" || exit 1
"$lupdate" -silent -no-obsolete -locations none -source-language zh_CN -target-language en \
    "${below[@]/#/../}" -ts "$work/veltrace_en.ts" 2>/dev/null
"$lupdate" -silent -no-obsolete -locations none -target-language zh_CN . \
    -ts "$work/veltrace-cli_zh_CN.ts" 2>/dev/null
for ts in "$work"/*.ts; do
    if grep -q 'type="unfinished"' "$ts"; then
        echo "FAIL: $(basename "$ts") lacks translations of:"
        grep -B1 'type="unfinished"' "$ts" | grep -o '<source>.*' | head -20
        fail=1
    fi
done
[[ $fail -eq 0 ]] && echo "translations: complete"
exit $fail
