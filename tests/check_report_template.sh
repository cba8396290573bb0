#!/usr/bin/env bash
# Fills the sample report template (docs/report-template.docx) with the twelve
# rows of docs/report-template.xlsx through veltrace-cli, then reads the result
# with LibreOffice Writer: converted to OpenDocument, every plot must stand
# right under its segment's heading, the results table must hold a row per
# segment in that order with its verdict (a red 不合格 over the limit of 1.5),
# and the summary line must count them; converted to PDF, it must show twelve
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
expected="Appended 12 plots to $work/report.docx (12 into placeholders, 0 at the end)
Filled 12 table rows, 12 sections, 7 summary values"
if [[ "$(cat "$work/out.txt")" != "$expected" ]]; then
    echo "FAIL: veltrace-cli said: $(cat "$work/out.txt")"
    exit 1
fi

# python-docx reads the filled report: the results table and the summary line.
"$python" - "$work/report.docx" <<'EOF'
import sys
import docx
document = docx.Document(sys.argv[1])
rows = [[cell.text for cell in row.cells] for row in document.tables[0].rows]
verdicts = [row[5] for row in rows[1:]]
if len(rows) != 13 or [row[0] for row in rows[1:]] != [str(n) for n in range(1, 13)]:
    sys.exit(f"FAIL: python-docx reads the results table as {rows}")
if verdicts.count("不合格") != 1 or any("{{" in "".join(row) for row in rows):
    sys.exit(f"FAIL: python-docx reads the verdicts as {verdicts}")
texts = [p.text for p in document.paragraphs]
if not any(t.startswith("本次共测试 12 段，合格 11 段，不合格 1 段；最大驻波比 1.56") for t in texts):
    sys.exit("FAIL: python-docx finds no filled summary line")
print("ok python-docx: 12 table rows, 1 不合格, the summary filled")
EOF

soffice "-env:UserInstallation=file://$work/lo-profile" --headless --convert-to odt \
    --outdir "$work" "$work/report.docx" >"$work/soffice.log" 2>&1 || true
soffice "-env:UserInstallation=file://$work/lo-profile" --headless --convert-to pdf \
    --outdir "$work" "$work/report.docx" >>"$work/soffice.log" 2>&1 || true
if [[ ! -s "$work/report.odt" || ! -s "$work/report.pdf" ]]; then
    echo "FAIL: LibreOffice did not convert the filled template"
    cat "$work/soffice.log"
    exit 1
fi
"$python" "$here/tools/check_filled_template.py" "$work/report.odt" 12 1.5
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
