#!/usr/bin/python3
"""Writes a workbook whose sheet has N rows of all 16,384 columns given from XFD down to
A, for the workbook benchmark: make_descending_columns.py N PATH (15 rows make 6.7 MB of
sheet XML)."""
import sys
import zipfile

NS_MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
NS_REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
HEAD = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'


def column_name(column):
    name = ""
    column += 1
    while column:
        column, rest = divmod(column - 1, 26)
        name = chr(ord("A") + rest) + name
    return name


def main():
    rows, path = int(sys.argv[1]), sys.argv[2]
    names = [column_name(c) for c in range(16384)]
    data = ['<row r="1"><c r="A1" t="inlineStr"><is><t>驻波段</t></is></c></row>']
    for r in range(2, rows + 2):
        cells = "".join('<c r="%s%d"><v>%d</v></c>' % (names[c], r, c + 1)
                        for c in range(16383, -1, -1))
        data.append('<row r="%d">%s</row>' % (r, cells))
    parts = {
        "_rels/.rels": HEAD + '<Relationships xmlns="http://schemas.openxmlformats.org/package/'
        '2006/relationships"><Relationship Id="rId1" Type="%s/officeDocument" '
        'Target="xl/workbook.xml"/></Relationships>' % NS_REL,
        "xl/workbook.xml": HEAD + '<workbook xmlns="%s" xmlns:r="%s"><sheets>'
        '<sheet name="Sheet1" sheetId="1" r:id="rId1"/></sheets></workbook>' % (NS_MAIN, NS_REL),
        "xl/_rels/workbook.xml.rels": HEAD + '<Relationships xmlns="http://schemas.openxmlformats'
        '.org/package/2006/relationships"><Relationship Id="rId1" Type="%s/worksheet" '
        'Target="worksheets/sheet1.xml"/></Relationships>' % NS_REL,
        "xl/worksheets/sheet1.xml": HEAD + '<worksheet xmlns="%s"><sheetData>%s</sheetData>'
        '</worksheet>' % (NS_MAIN, "".join(data)),
    }
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, text in parts.items():
            z.writestr(name, text.encode("utf-8"))


if __name__ == "__main__":
    main()
