#!/usr/bin/env bash
# Checks every kind of document the program writes against the OOXML schemas
# and rules (relationship ids that resolve, unique ids in a part) with the
# validator @ooxml-tools/validate, which scripts/setup.sh --tests installs from
# npm into .tools/ooxml. A document may keep the errors of the document it
# started from; it may add none.
#
# usage: check_ooxml_schema.sh BUILD_DIR
# The documents: the samples of tst_docx and tst_templatefill (appended
# pictures, filled templates; written when VELTRACE_KEEP_DIR is set), and
# veltrace-cli batches into a new document and into the sample template.
set -euo pipefail

build=${1:?usage: check_ooxml_schema.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
root="$here/.."
validator="$root/.tools/ooxml/node_modules/@ooxml-tools/validate"
command -v node >/dev/null || { echo "FAIL: node is not installed"; exit 1; }
[[ -d "$validator" ]] || { echo "FAIL: $validator is not installed (scripts/setup.sh --tests)"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
samples="$work/samples"
mkdir -p "$samples"
source "$here/tools/keep_samples.sh"
keep_samples tst_docx appendsPicturesInOrder
keep_samples tst_templatefill fillsTemplates

cli="$build/src/app/veltrace-cli"
workbooks="$here/data/workbooks"
"$cli" batch "$workbooks/complete.xlsx" --into "$samples/cli-new.docx" --seed 1 >/dev/null 2>&1
cp "$root/docs/report-template.docx" "$samples/cli-template.docx"
chmod u+w "$samples/cli-template.docx"
cp "$samples/cli-template.docx" "$samples/cli-template.docx.source"
"$cli" batch "$root/docs/report-template.xlsx" --into "$samples/cli-template.docx" --seed 1 \
    >/dev/null 2>&1

shopt -s nullglob
documents=("$samples"/*.docx)
# The validator is an ES module found from the script's folder.
ln -s "$root/.tools/ooxml/node_modules" "$work/node_modules"
cp "$here/tools/ooxml_validate.mjs" "$work/"
node "$work/ooxml_validate.mjs" "${documents[@]}"
