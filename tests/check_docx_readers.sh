#!/usr/bin/env bash
# Reads documents written by the document layer with programs that share no
# code with it: python-docx (pictures, their order, paragraphs, PNG parts) and
# LibreOffice Writer (each document converts to PDF holding every picture; the
# templates of tst_placement's showsPicturesWhole and fitsTheParagraphsWidth
# and of tst_templateparts' fillsATemplateOfExactLines show every plot whole,
# at its size, within its column of text).
#
# usage: check_docx_readers.sh BUILD_DIR
# The samples come from tst_docx's appendsPicturesInOrder, tst_templatefill's
# fillsTemplates (placeholders, bookmarks), tst_placement and tst_templateparts
# (styles of exact line height, rows of exact height, indents, numbering,
# columns, a header's logo), which keep what they write when VELTRACE_KEEP_DIR
# is set. Set VELTRACE_KEEP_DIR for this script too to keep the documents, PDFs
# and a rendering of each PDF's first page.
set -euo pipefail

build=${1:?usage: check_docx_readers.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3
# The test set-up installs these (libreoffice-writer-nogui, poppler-utils, python3-docx).
for tool in soffice pdfimages pdfinfo pdftoppm; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done
"$python" -c "import docx" 2>/dev/null || { echo "FAIL: python3-docx is not installed"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
samples="$work/samples"
mkdir -p "$samples" "$work/pdf"

source "$here/tools/keep_samples.sh"
keep_samples tst_docx appendsPicturesInOrder
keep_samples tst_templatefill fillsTemplates
keep_samples tst_placement showsPicturesWhole fitsTheParagraphsWidth
keep_samples tst_templateparts fillsATemplateOfExactLines

shopt -s nullglob
documents=("$samples"/*.docx)
if [[ ${#documents[@]} -eq 0 ]]; then
    echo "FAIL: the tests wrote no samples"
    exit 1
fi

for document in "${documents[@]}"; do
    "$python" "$here/tools/check_docx_pictures.py" "$document" "${document%.docx}.json"
done

soffice "-env:UserInstallation=file://$work/lo-profile" --headless --convert-to pdf \
    --outdir "$work/pdf" "${documents[@]}" >"$work/soffice.log" 2>&1 || true
status=0
for document in "${documents[@]}"; do
    name=$(basename "${document%.docx}")
    pdf="$work/pdf/$name.pdf"
    if [[ ! -s "$pdf" ]]; then
        echo "FAIL: LibreOffice did not convert $name.docx"
        cat "$work/soffice.log"
        status=1
        continue
    fi
    # A picture in the page header is drawn once on every page.
    pages=$(pdfinfo "$pdf" | awk '$1 == "Pages:" { print $2 }')
    expected=$("$python" -c 'import json, sys; e = json.load(open(sys.argv[1]))
print(e["earlier_pictures"] + len(e["segments"]) + e.get("header_pictures", 0) * int(sys.argv[2]))' \
        "${document%.docx}.json" "$pages")
    images=$(pdfimages -list "$pdf" | awk 'NR > 2 && $3 == "image"' | wc -l)
    if [[ "$images" -ne "$expected" ]]; then
        echo "FAIL: $name.pdf shows $images pictures, expected $expected"
        status=1
    else
        echo "ok $name.pdf: $images pictures"
    fi
    pdftoppm -r 50 -f 1 -l 1 -png "$pdf" "$work/pdf/$name" >/dev/null 2>&1 || true
done
"$python" "$here/tools/check_pictures_shown.py" "$work/pdf" "${documents[@]}" || status=1

if [[ -n "${VELTRACE_KEEP_DIR:-}" ]]; then
    mkdir -p "$VELTRACE_KEEP_DIR"
    cp "$samples"/* "$work"/pdf/* "$VELTRACE_KEEP_DIR"/
fi
exit "$status"
