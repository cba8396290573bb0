#!/usr/bin/env bash
# The layers of src/ as the build links them: a file may include headers of its
# own folder and of the folders listed for it, and only the window layers may
# include Qt Widgets, and only the package layer (zip/) and the document's
# package writer use libzip. Checks the tree, then that a planted upward include in a
# copy of it is caught.
#
#   bash tests/check_layers.sh [BUILD_DIR]   (the argument is not used)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# folder: the folders it may include from, besides itself
declare -A allowed=(
    [common]=""
    [platform]=""
    [platform/widgets]="platform"
    [picture]=""
    [trace]="platform picture"
    [zip]="common"
    [workbook]="zip common"
    [document]="zip common picture"
    [batch]="workbook document trace platform common"
    [mainwindow]="batch workbook trace platform platform/widgets common"
    [startup]="trace platform platform/widgets"
    [cli]="batch workbook trace platform common"
    [app]="mainwindow startup cli platform"
)
# Folders whose files may include Qt Widgets headers; QMessageBox and
# QFileDialog only in platform/widgets.
widget_folders=" platform/widgets mainwindow startup app "

widgets_dir=$(find /usr/include -maxdepth 3 -type d -name QtWidgets -path '*qt6*' 2>/dev/null | head -n 1)
widget_headers=" "
if [[ -n "$widgets_dir" ]]; then
    widget_headers+=$(cd "$widgets_dir" && ls | grep -E '^Q[A-Za-z]+$' | tr '\n' ' ')
else
    widget_headers+="QApplication QWidget QMessageBox QFileDialog QPushButton QLabel QLineEdit "
    widget_headers+="QListWidget QCheckBox QGroupBox QMenu "
fi

# Prints one line per include that breaks the layers under the given src/.
violations() {
    local src=$1 file folder rel line target owner
    while IFS= read -r file; do
        rel=${file#"$src"/}
        folder=$(dirname "$rel")
        [[ -v "allowed[$folder]" ]] || { echo "$rel: folder '$folder' has no layer"; continue; }
        while IFS= read -r line; do
            if [[ $line =~ ^#include\ \"([a-z/]+)/[A-Za-z0-9_]+\.h\" ]]; then
                target=${BASH_REMATCH[1]}
                [[ $target == "$folder" ]] && continue
                owner=" ${allowed[$folder]} "
                [[ $owner == *" $target "* ]] || echo "$rel: includes $target/, a layer it may not use"
            elif [[ $line == "#include <zip.h>" ]]; then
                [[ $folder == zip || $rel == document/DocxPackage*.cpp ]] ||
                    echo "$rel: uses libzip, which only zip/ and the document's package writer may"
            elif [[ $line =~ ^#include\ \<(Q[A-Za-z]+)\> ]]; then
                target=${BASH_REMATCH[1]}
                [[ $widget_headers == *" $target "* ]] || continue
                if [[ $widget_folders != *" $folder "* ]]; then
                    echo "$rel: includes the Qt Widgets header <$target>"
                elif [[ ($target == QMessageBox || $target == QFileDialog) && $folder != platform/widgets ]]; then
                    echo "$rel: includes <$target>, which only platform/widgets may show"
                fi
            fi
        done < <(grep -E '^#include ' "$file")
    done < <(find "$src" -name '*.cpp' -o -name '*.h' | sort)
}

found=$(violations "$root/src")
if [[ -n "$found" ]]; then
    echo "Includes across the layers:" >&2
    echo "$found" >&2
    exit 1
fi

# The check must notice planted upward includes and a widget in a lower layer.
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
cp -r "$root/src" "$copy/src"
echo '#include "batch/BatchRun.h"' >>"$copy/src/document/ReportDocument.cpp"
echo '#include <QMessageBox>' >>"$copy/src/workbook/Workbook.cpp"
echo '#include <zip.h>' >>"$copy/src/workbook/XlsxReader.cpp"
echo '#include "trace/Canvas.h"' >>"$copy/src/picture/PalettePng.cpp"
planted=$(violations "$copy/src")
if [[ $(grep -c . <<<"$planted") -ne 4 ]]; then
    echo "The layer check missed a planted include:" >&2
    echo "$planted" >&2
    exit 1
fi
echo "layers: every include within its layer"
