#!/usr/bin/env bash
# Fills the sample report template (docs/report-template.docx) with the twelve
# rows of docs/report-template.xlsx through veltrace-cli, then reads the result
# with LibreOffice Writer: converted to OpenDocument, every plot must stand
# right under its segment's heading; converted to PDF, it must show twelve
# pictures. The template itself must carry its own properties (author Veltrace).
#
# usage: check_report_template.sh BUILD_DIR
# Set VELTRACE_KEEP_DIR to keep the filled document, its PDF and its pages.
set -euo pipefail

build=${1:?usage: check_report_template.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
docs="$here/../docs"
python=/usr/bin/python3
cli="$build/src/app/veltrace-cli"
for tool in soffice pdfimages pdftoppm; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done
[[ -x "$cli" ]] || { echo "FAIL: $cli is not built"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The sample's properties are its own, not those of python-docx's default document.
"$python" - "$docs/report-template.docx" <<'EOF'
import sys
import docx
properties = docx.Document(sys.argv[1]).core_properties
if properties.author != "Veltrace" or properties.created.year < 2026:
    sys.exit(f"FAIL: the template's author is {properties.author!r}, made {properties.created}")
EOF
cp "$docs/report-template.docx" "$work/report.docx"
chmod u+w "$work/report.docx"

"$cli" batch "$docs/report-template.xlsx" --into "$work/report.docx" --seed 1 \
    --specified-time >"$work/out.txt" 2>"$work/err.txt" || {
    cat "$work/out.txt" "$work/err.txt"
    exit 1
}
expected="Appended 12 plots to $work/report.docx (12 into placeholders, 0 at the end)"
if [[ "$(cat "$work/out.txt")" != "$expected" ]]; then
    echo "FAIL: veltrace-cli said: $(cat "$work/out.txt")"
    exit 1
fi

soffice "-env:UserInstallation=file://$work/lo-profile" --headless --convert-to odt \
    --outdir "$work" "$work/report.docx" >"$work/soffice.log" 2>&1 || true
soffice "-env:UserInstallation=file://$work/lo-profile" --headless --convert-to pdf \
    --outdir "$work" "$work/report.docx" >>"$work/soffice.log" 2>&1 || true
if [[ ! -s "$work/report.odt" || ! -s "$work/report.pdf" ]]; then
    echo "FAIL: LibreOffice did not convert the filled template"
    cat "$work/soffice.log"
    exit 1
fi
"$python" "$here/tools/check_filled_template.py" "$work/report.odt" 12
images=$(pdfimages -list "$work/report.pdf" | awk 'NR > 2 && $3 == "image"' | wc -l)
if [[ "$images" -ne 12 ]]; then
    echo "FAIL: the filled template's PDF shows $images pictures, expected 12"
    exit 1
fi
echo "ok report.pdf: $images pictures"

if [[ -n "${VELTRACE_KEEP_DIR:-}" ]]; then
    mkdir -p "$VELTRACE_KEEP_DIR"
    pdftoppm -png -r 80 "$work/report.pdf" "$work/page"
    cp "$work"/report.docx "$work"/report.pdf "$work"/page*.png "$VELTRACE_KEEP_DIR"/
fi
