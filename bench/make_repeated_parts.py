#!/usr/bin/python3
"""Writes a small workbook whose workbook part names its shared strings and its styles N
times each, for the workbook benchmark: make_repeated_parts.py N PATH

Each part is sound and read once by a careful reader; the strings part unpacks to about
5 MB of 300,000 short texts, so a reader that follows every relationship reads it N times.
"""
import sys
import zipfile

NS_MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
NS_REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
HEAD = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
STRINGS = 300000


def package(repeats):
    rels = "".join(
        '<Relationship Id="rIdS%d" Type="%s/sharedStrings" Target="sharedStrings.xml"/>'
        '<Relationship Id="rIdT%d" Type="%s/styles" Target="styles.xml"/>'
        % (i, NS_REL, i, NS_REL) for i in range(repeats))
    return {
        "[Content_Types].xml": HEAD + '<Types xmlns="http://schemas.openxmlformats.org/'
        'package/2006/content-types"><Default Extension="xml" ContentType="application/xml"/>'
        '</Types>',
        "_rels/.rels": HEAD + '<Relationships xmlns="http://schemas.openxmlformats.org/package/'
        '2006/relationships"><Relationship Id="rId1" Type="%s/officeDocument" '
        'Target="xl/workbook.xml"/></Relationships>' % NS_REL,
        "xl/workbook.xml": HEAD + '<workbook xmlns="%s" xmlns:r="%s"><sheets>'
        '<sheet name="Sheet1" sheetId="1" r:id="rId1"/></sheets></workbook>' % (NS_MAIN, NS_REL),
        "xl/_rels/workbook.xml.rels": HEAD + '<Relationships xmlns="http://schemas.openxmlformats'
        '.org/package/2006/relationships"><Relationship Id="rId1" Type="%s/worksheet" '
        'Target="worksheets/sheet1.xml"/>%s</Relationships>' % (NS_REL, rels),
        "xl/styles.xml": HEAD + '<styleSheet xmlns="%s"><cellXfs count="2"><xf numFmtId="0"/>'
        '<xf numFmtId="14"/></cellXfs></styleSheet>' % NS_MAIN,
        "xl/sharedStrings.xml": HEAD + '<sst xmlns="%s">%s%s</sst>'
        % (NS_MAIN, "<si><t>驻波段</t></si><si><t>1扇区</t></si>", "<si><t>x</t></si>" * STRINGS),
        "xl/worksheets/sheet1.xml": HEAD + '<worksheet xmlns="%s"><sheetData>'
        '<row r="1"><c r="A1" t="s"><v>0</v></c></row>'
        '<row r="2"><c r="A2" t="s"><v>1</v></c><c r="B2"><v>1.18</v></c>'
        '<c r="E2" s="1"><v>46363</v></c></row></sheetData></worksheet>' % NS_MAIN,
    }


def main():
    repeats, path = int(sys.argv[1]), sys.argv[2]
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
        for name, text in package(repeats).items():
            z.writestr(name, text.encode("utf-8"))


if __name__ == "__main__":
    main()
