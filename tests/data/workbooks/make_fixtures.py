#!/usr/bin/python3
"""Writes the sample workbooks of tst_workbook.

Run with Debian's interpreter from this folder:

    /usr/bin/python3 make_fixtures.py            # xlwt, openpyxl and hand-written zips
    /usr/bin/python3 make_fixtures.py --calc     # plus the LibreOffice Calc re-saves

The .xls files come from xlwt and the .xlsx files from openpyxl, two writers that share
nothing with the reader under test. The hand-written .xlsx files exercise parts of the
format those writers do not produce (rich text runs, inline strings, cells without a
reference, absolute relationship targets, the 1904 date system) and damaged or hostile
packages. protected.xlsx is a compound file laid out like Excel's password-protected
.xlsx. With --calc the "basic" workbook is also re-saved by LibreOffice Calc in both
formats, and Calc writes protected.xls with a password (through its UNO interface, so
python3-uno must be installed).
"""

import datetime
import os
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

import openpyxl
import xlwt

HERE = os.path.dirname(os.path.abspath(__file__))

HEADINGS = ["驻波段", "驻波比", "0.110馈线长", "0.070馈线长", "测试时间"]

# One logical workbook; None is an empty cell. Column F carries a remark in one row
# to show that columns past E do no harm.
BASIC_ROWS = [
    ["1扇区", 1.18, None, 25.36, datetime.time(14, 5, 9), "复测"],
    ["2扇区", 1.25, 8, 30, datetime.date(2026, 12, 7)],
    [],
    ["3扇区", None, 12.5, None, datetime.datetime(2026, 12, 7, 14, 5, 9)],
    ["4扇区", 1.3, None, 40, datetime.time(9, 30, 0)],
]

# Every row complete: a segment, a VSWR, a feeder length and a time.
COMPLETE_ROWS = [
    ["1扇区", 1.18, None, 25.36, datetime.time(14, 5, 9)],
    ["2扇区", 1.25, 8, None, datetime.time(9, 30, 0)],
    ["3扇区", 1.32, 12.5, None, datetime.time(10, 0, 0)],
    ["4扇区", 1.3, None, 40, datetime.time(11, 15, 0)],
    ["5扇区", 1.21, None, 18.2, datetime.time(12, 0, 0)],
]

# Column B mixes numbers and texts, C holds only numbers, D mixes a number with
# empty cells and a text.
MIXED_ROWS = [
    ["A1", 1.18, 8, None],
    ["A2", "无", 9.5, 12],
    ["A3", 2, 10, "未测"],
    ["A4", None, 11, None],
]


def number_format(value):
    if isinstance(value, datetime.datetime):
        return "yyyy-mm-dd hh:mm:ss"
    if isinstance(value, datetime.date):
        return "yyyy-mm-dd"
    if isinstance(value, datetime.time):
        return "hh:mm:ss"
    return None


def write_xls(path, sheets):
    book = xlwt.Workbook(encoding="utf-8")
    styles = {}
    for name, rows in sheets:
        sheet = book.add_sheet(name)
        for r, row in enumerate(rows):
            for c, value in enumerate(row):
                if value is None:
                    continue
                fmt = number_format(value)
                if fmt:
                    style = styles.setdefault(fmt, xlwt.easyxf(num_format_str=fmt))
                    sheet.write(r, c, value, style)
                else:
                    sheet.write(r, c, value)
    book.save(path)


def write_xlsx(path, sheets):
    book = openpyxl.Workbook()
    book.remove(book.active)
    for name, rows in sheets:
        sheet = book.create_sheet(name)
        for r, row in enumerate(rows, start=1):
            for c, value in enumerate(row, start=1):
                if value is None:
                    continue
                cell = sheet.cell(row=r, column=c, value=value)
                fmt = number_format(value)
                if fmt:
                    cell.number_format = fmt
    book.save(path)


def write_both(stem, sheets):
    write_xls(os.path.join(HERE, stem + ".xls"), sheets)
    write_xlsx(os.path.join(HERE, stem + ".xlsx"), sheets)


# --- hand-written packages -------------------------------------------------------------

CONTENT_TYPES = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
<Default Extension="xml" ContentType="application/xml"/>
<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>
</Types>"""

ROOT_RELS = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>
</Relationships>"""

NS_MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
NS_REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
REL_BASE = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/"


def workbook_xml(sheets, date1904=False):
    pr = '<workbookPr date1904="1"/>' if date1904 else "<workbookPr/>"
    items = "".join(
        '<sheet name="%s" sheetId="%d" r:id="%s"/>' % (name, i + 1, rid)
        for i, (name, rid) in enumerate(sheets)
    )
    return ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
            '<workbook xmlns="%s" xmlns:r="%s">%s<sheets>%s</sheets></workbook>'
            % (NS_MAIN, NS_REL, pr, items))


def rels_xml(rels):
    items = "".join(
        '<Relationship Id="%s" Type="%s%s" Target="%s"/>' % (rid, REL_BASE, kind, target)
        for rid, kind, target in rels
    )
    return ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
            '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
            '%s</Relationships>' % items)


def sheet_xml(sheet_data, extra=""):
    return ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
            '<worksheet xmlns="%s" xmlns:r="%s">%s<sheetData>%s</sheetData></worksheet>'
            % (NS_MAIN, NS_REL, extra, sheet_data))


# cellXfs: 0 general, 1 built-in date (14), 2 built-in time (21), 3 custom date-time,
# 4 custom text with a quoted "d" and a bracketed colour (no date), 5 built-in 46 ([h]:mm:ss),
# 6 built-in 22 (date and time)
STYLES = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<styleSheet xmlns="%s">
<numFmts count="2">
<numFmt numFmtId="164" formatCode="yyyy/m/d\\ h:mm:ss"/>
<numFmt numFmtId="165" formatCode="[Red]0.00&quot; dB&quot;"/>
</numFmts>
<cellXfs count="7">
<xf numFmtId="0"/><xf numFmtId="14" applyNumberFormat="1"/><xf numFmtId="21"/>
<xf numFmtId="164"/><xf numFmtId="165"/><xf numFmtId="46"/><xf numFmtId="22"/>
</cellXfs>
</styleSheet>""" % NS_MAIN

SHARED_STRINGS = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<sst xmlns="%s" count="4" uniqueCount="4">
<si><t>驻波段</t></si>
<si><r><rPr><b/></rPr><t>驻波</t></r><r><t xml:space="preserve">比</t></r></si>
<si><t>天馈</t><rPh sb="0" eb="2"><t>てんき</t></rPh></si>
<si><r><t>3</t></r><r><rPr><i/></rPr><t>扇区</t></r></si>
</sst>""" % NS_MAIN

# Sheet1 of features.xlsx. Rows 2 and 4 have no r and follow their predecessors; cells
# without r follow the previous cell of their row. Row 5 is absent (an empty data row),
# row 7 is the last. Column J of row 7 is out of the columns the program uses.
FEATURES_SHEET = (
    '<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c>'
    '<c r="C1" t="inlineStr"><is><t>C</t></is></c></row>'
    '<row><c t="s"><v>2</v></c><c><v>1.18</v></c><c t="b"><v>1</v></c>'
    '<c s="1"><v>46363</v></c><c s="2"><v>0.58690972222222221</v></c></row>'
    '<row r="3"><c r="A3" t="inlineStr"><is><r><t>内联</t></r><r><t>文本</t></r></is></c>'
    '<c r="B3" t="str"><f>1/0</f><v>公式文本</v></c><c r="D3" t="e"><v>#DIV/0!</v></c>'
    '<c r="E3" s="3"><v>46363.586909722222</v></c></row>'
    '<row><c r="A4" t="s"><v>3</v></c><c r="B4" s="4"><v>25</v></c><c r="C4" t="b"><v>0</v></c>'
    '<c r="E4" s="5"><v>0.5</v></c></row>'
    '<row r="6" spans="1:5"><c r="A6" s="1"/><c r="B6"><v>-0.5</v></c>'
    '<c r="E6" s="6"><v>46363.586909722222</v></c></row>'
    '<row r="7"><c r="A7" t="d"><v>2026-12-07T14:05:09</v></c><c r="J7"><v>99</v></c></row>'
)


def features_package():
    return {
        "[Content_Types].xml": CONTENT_TYPES,
        "_rels/.rels": ROOT_RELS,
        "xl/workbook.xml": workbook_xml([("Notes", "rId1"), ("Sheet1", "rId2")]),
        "xl/_rels/workbook.xml.rels": rels_xml([
            ("rId1", "worksheet", "worksheets/sheet1.xml"),
            ("rId2", "worksheet", "/xl/worksheets/data.xml"),
            ("rId3", "styles", "styles.xml"),
            ("rId4", "sharedStrings", "sharedStrings.xml"),
        ]),
        "xl/styles.xml": STYLES,
        "xl/sharedStrings.xml": SHARED_STRINGS,
        "xl/worksheets/sheet1.xml": sheet_xml('<row r="1"><c r="A1"><v>1</v></c></row>'),
        "xl/worksheets/data.xml": sheet_xml(FEATURES_SHEET, '<dimension ref="A1:J7"/>'),
    }


def single_sheet_package(sheet_data, extra="", date1904=False, doctype=""):
    return {
        "[Content_Types].xml": CONTENT_TYPES,
        "_rels/.rels": ROOT_RELS,
        "xl/workbook.xml": workbook_xml([("Sheet1", "rId1")], date1904),
        "xl/_rels/workbook.xml.rels": rels_xml([
            ("rId1", "worksheet", "worksheets/sheet1.xml"),
            ("rId2", "styles", "styles.xml"),
        ]),
        "xl/styles.xml": STYLES,
        "xl/worksheets/sheet1.xml": sheet_xml(sheet_data, extra).replace(
            "?>\n", "?>\n" + doctype, 1),
    }


def column_name(column):
    """Letters of a 0-based column: 0 is A, 16383 is XFD."""
    name = ""
    column += 1
    while column:
        column, rest = divmod(column - 1, 26)
        name = chr(ord("A") + rest) + name
    return name


def write_zip(name, parts, compression=zipfile.ZIP_DEFLATED):
    with zipfile.ZipFile(os.path.join(HERE, name), "w", compression) as z:
        for part, text in parts.items():
            z.writestr(part, text.encode("utf-8") if isinstance(text, str) else text)


def write_hand_made():
    write_zip("features.xlsx", features_package())
    # 1904 date system: serial 0 is 1904-01-01 and 44901 is 2026-12-07.
    write_zip("date1904.xlsx", single_sheet_package(
        '<row r="1"><c r="A1" t="inlineStr"><is><t>日期</t></is></c></row>'
        '<row r="2"><c r="A2" s="1"><v>0</v></c></row>'
        '<row r="3"><c r="A3" s="1"><v>44901</v></c></row>', date1904=True))

    hostile = "hostile"
    os.makedirs(os.path.join(HERE, hostile), exist_ok=True)

    def write_hostile(name, parts, compression=zipfile.ZIP_DEFLATED):
        write_zip(os.path.join(hostile, name), parts, compression)

    write_hostile("doctype.xlsx", single_sheet_package(
        '<row r="1"><c r="A1" t="inlineStr"><is><t>&a;</t></is></c></row>',
        doctype='<!DOCTYPE worksheet [<!ENTITY a "aaaaaaaaaa"><!ENTITY b "&a;&a;&a;&a;">]>\n'))
    write_hostile("row-beyond-limit.xlsx", single_sheet_package(
        '<row r="1"><c r="A1"><v>1</v></c></row><row r="1048577"><c r="A1048577"><v>2</v></c></row>'))
    write_hostile("column-beyond-limit.xlsx", single_sheet_package(
        '<row r="1"><c r="A1"><v>1</v></c></row><row r="2"><c r="XFE2"><v>2</v></c></row>'))
    write_hostile("dimension-beyond-limit.xlsx", single_sheet_package(
        '<row r="1"><c r="A1"><v>1</v></c></row>', extra='<dimension ref="A1:XFD99999999"/>'))
    write_hostile("bad-number.xlsx", single_sheet_package(
        '<row r="1"><c r="A1"><v>1</v></c></row><row r="2"><c r="A2"><v>1.2.3</v></c></row>'))
    write_hostile("bad-shared-string.xlsx", single_sheet_package(
        '<row r="1"><c r="A1" t="s"><v>7</v></c></row>'))
    write_hostile("unclosed-xml.xlsx", single_sheet_package(
        '<row r="1"><c r="A1"><v>1</v></c></row><row r="2"><c r="A2"><v>2</v>'))
    missing_sheet = single_sheet_package('<row r="1"/>')
    del missing_sheet["xl/worksheets/sheet1.xml"]
    write_hostile("missing-part.xlsx", missing_sheet)
    escaping = single_sheet_package('<row r="1"/>')
    escaping["xl/_rels/workbook.xml.rels"] = rels_xml(
        [("rId1", "worksheet", "../../../../etc/passwd")])
    write_hostile("target-outside.xlsx", escaping)
    no_workbook = dict(single_sheet_package('<row r="1"/>'))
    del no_workbook["xl/workbook.xml"]
    write_hostile("no-workbook-part.xlsx", no_workbook)

    # A sheet part that unpacks to 65 MiB (of blanks after the sheet data): refused
    # by its unpacked size though the zip is small.
    bomb = single_sheet_package('<row r="1"><c r="A1"><v>1</v></c></row>')
    bomb["xl/worksheets/sheet1.xml"] = (
        bomb["xl/worksheets/sheet1.xml"].encode("utf-8") + b" " * (65 * 1024 * 1024))
    write_hostile("huge-entry.xlsx", bomb)

    # A zip that is a .docx, not a workbook.
    write_hostile("document.xlsx", {
        "[Content_Types].xml": CONTENT_TYPES,
        "_rels/.rels": ROOT_RELS.replace("xl/workbook.xml", "word/document.xml"),
        "word/document.xml": "<w:document xmlns:w=\"x\"/>",
    })


def write_last_row():
    """Tiny workbooks whose last value sits in the last row of the format: row 1,048,576
    of an .xlsx, row 65,536 of an .xls. Every data row before it is empty (in columns A to
    E: row 2 of the .xlsx has a remark in F only)."""
    write_xls(os.path.join(HERE, "last-row.xls"),
              [("Sheet1", [HEADINGS] + [[]] * 65534 + [["末行"]])])
    write_zip("last-row.xlsx", single_sheet_package(
        '<row r="1"><c r="A1" t="inlineStr"><is><t>驻波段</t></is></c></row>'
        '<row r="2"><c r="F2" t="inlineStr"><is><t>备注</t></is></c></row>'
        '<row r="1048576"><c r="A1048576" t="inlineStr"><is><t>末行</t></is></c></row>'))

def write_costly_packages():
    """Packages that are sound or small but once cost a reader far more time or memory
    than their size suggests."""
    def write_hostile(name, parts):
        write_zip(os.path.join("hostile", name), parts)

    # 3 KB packed: one custom number format of 100,000 characters that 40,000 cell
    # formats use. The style reader judged the format once per cell format.
    styles = single_sheet_package(
        '<row r="1"><c r="A1" t="inlineStr"><is><t>驻波比</t></is></c></row>'
        '<row r="2"><c r="A2" s="1"><v>25.36</v></c></row>')
    styles["xl/styles.xml"] = (
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<styleSheet xmlns="%s">'
        '<numFmts count="1"><numFmt numFmtId="164" formatCode="%s"/></numFmts>'
        '<cellXfs count="40001"><xf numFmtId="0"/>%s</cellXfs></styleSheet>'
        % (NS_MAIN, "0" * 100000, '<xf numFmtId="164"/>' * 40000))
    write_hostile("long-format-many-styles.xlsx", styles)

    # Cells out of order: a row of all 16,384 columns from XFD down to A (each insertion
    # at the front moved every cell already read: 0.9 s for this row, 53 s for a
    # 6.7 MB file of them), a cell given twice (the later value stands) and a row
    # before the one above it.
    descending = "".join('<c r="%s2"><v>%d</v></c>' % (column_name(c), c + 1)
                         for c in range(16383, -1, -1))
    write_hostile("descending-columns.xlsx", single_sheet_package(
        '<row r="1"><c r="A1" t="inlineStr"><is><t>驻波段</t></is></c></row>'
        '<row r="2">%s</row>'
        '<row r="3"><c r="C3" t="inlineStr"><is><t>丙</t></is></c>'
        '<c r="A3" t="inlineStr"><is><t>旧</t></is></c><c r="B3" t="inlineStr"><is><t>乙</t></is></c>'
        '<c r="A3" t="inlineStr"><is><t>新</t></is></c></row>'
        '<row r="5"><c r="A5"><v>5</v></c></row><row r="4"><c r="B4"><v>4</v></c></row>'
        % descending))

    # A document type declaration of 60 MB (a comment inside it) in 60 KB: refused only
    # once it had been read to its end, after 2 s and 320 MB.
    write_hostile("large-doctype.xlsx", single_sheet_package(
        '<row r="1"><c r="A1"><v>1</v></c></row>',
        doctype="<!DOCTYPE worksheet [<!--%s-->]>\n" % ("x" * 60000000)))
    # The same in EBCDIC, which the XML reader switches to when the declaration names
    # it: the watch for "<!DOCTYPE" cannot read it, the limit on what may come before
    # the root element stops it.
    sheet = sheet_xml('<row r="1"><c r="A1"><v>1</v></c></row>').split("?>\n", 1)[1]
    ebcdic = single_sheet_package("")
    ebcdic["xl/worksheets/sheet1.xml"] = (
        b'<?xml version="1.0" encoding="IBM037"?>'
        + ("<!DOCTYPE worksheet [<!--%s-->]>\n%s" % ("x" * 60000000, sheet)).encode("cp037"))
    write_hostile("ebcdic-doctype.xlsx", ebcdic)
    write_repeated_parts()


def write_repeated_parts():
    """13 KB: a workbook part whose relationships name the shared strings and the styles
    1000 times each. The strings unpack to 1.7 MB; read once per relationship they cost
    1.7 GB of unpacking and ended in a failed allocation. Also a seed of the fuzzer."""
    rels = [("rId1", "worksheet", "worksheets/sheet1.xml")]
    for i in range(1000):
        rels += [("rIdS%d" % i, "sharedStrings", "sharedStrings.xml"),
                 ("rIdT%d" % i, "styles", "styles.xml")]
    parts = single_sheet_package(
        '<row r="1"><c r="A1" t="s"><v>0</v></c></row>'
        '<row r="2"><c r="A2" t="s"><v>1</v></c><c r="B2"><v>1.18</v></c>'
        '<c r="E2" s="1"><v>46363</v></c></row>')
    parts["xl/_rels/workbook.xml.rels"] = rels_xml(rels)
    parts["xl/sharedStrings.xml"] = (
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<sst xmlns="%s">'
        '<si><t>驻波段</t></si><si><t>1扇区</t></si>%s</sst>'
        % (NS_MAIN, "<si><t>x</t></si>" * 100000))
    for path in (os.path.join("hostile", "repeated-parts.xlsx"),
                 os.path.join("..", "..", "..", "fuzz", "corpus", "fuzz_xlsx",
                              "hostile-repeated-parts.xlsx")):
        write_zip(path, parts)


def write_duplicate_entries():
    """Packages holding two entries of one name: which one a reader takes is up to the
    reader (libzip takes the first, others the last), so both formats refuse them. The
    .docx goes to the document fuzzer's corpus."""
    import warnings

    def duplicated(path, parts, name, second):
        write_zip(path, parts)
        with warnings.catch_warnings():
            warnings.simplefilter("ignore")  # zipfile warns of the duplicate name
            with zipfile.ZipFile(os.path.join(HERE, path), "a", zipfile.ZIP_DEFLATED) as z:
                z.writestr(name, second.encode("utf-8"))

    duplicated(os.path.join("hostile", "duplicate-entry.xlsx"),
               single_sheet_package('<row r="1"><c r="A1"><v>1</v></c></row>'),
               "xl/worksheets/sheet1.xml",
               sheet_xml('<row r="1"><c r="A1"><v>2</v></c></row>'))

    word = "http://schemas.openxmlformats.org/wordprocessingml/2006/main"
    document = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
                '<w:document xmlns:w="%s"><w:body><w:p><w:r><w:t>%%s</w:t></w:r></w:p>'
                '<w:sectPr/></w:body></w:document>' % word)
    types = CONTENT_TYPES.replace(
        "/xl/workbook.xml", "/word/document.xml").replace(
        "spreadsheetml.sheet.main+xml", "wordprocessingml.document.main+xml")
    duplicated(os.path.join("..", "..", "..", "fuzz", "corpus", "fuzz_docx", "duplicate-entry.docx"),
               {"[Content_Types].xml": types,
                "_rels/.rels": ROOT_RELS.replace("xl/workbook.xml", "word/document.xml"),
                "word/document.xml": document % "一"},
               "word/document.xml", document % "二")

# --- LibreOffice Calc ------------------------------------------------------------------

def soffice_convert(source, fmt, out_dir, profile):
    subprocess.run(["soffice", "-env:UserInstallation=file://" + profile, "--headless",
                    "--convert-to", fmt, "--outdir", out_dir, source],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def write_calc_copies():
    work = tempfile.mkdtemp(prefix="lo-wb-")
    profile = os.path.join(work, "profile")
    try:
        for ext in ("xls", "xlsx"):
            source = os.path.join(work, "basic-calc." + ext)
            shutil.copy(os.path.join(HERE, "basic." + ext), source)
            out = os.path.join(work, "out")
            os.makedirs(out, exist_ok=True)
            soffice_convert(source, ext, out, profile)
            shutil.copy(os.path.join(out, "basic-calc." + ext), HERE)
        write_protected_xls(work, profile)
    finally:
        shutil.rmtree(work, ignore_errors=True)


def write_protected_xls(work, profile):
    """Calc saves the basic workbook as .xls with the password "veltrace" (RC4 encryption)."""
    import uno
    from com.sun.star.beans import PropertyValue

    def prop(name, value):
        p = PropertyValue()
        p.Name = name
        p.Value = value
        return p

    source_path = os.path.join(work, "protected-source.xls")
    shutil.copy(os.path.join(HERE, "basic.xls"), source_path)
    pipe = "veltrace_fixtures_%d" % os.getpid()
    office = subprocess.Popen(
        ["soffice", "-env:UserInstallation=file://" + profile, "--headless", "--invisible",
         "--accept=pipe,name=%s;urp;" % pipe],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext(
            "com.sun.star.bridge.UnoUrlResolver", local)
        context = None
        for _ in range(60):
            try:
                context = resolver.resolve(
                    "uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
                break
            except Exception:
                time.sleep(0.5)
        desktop = context.ServiceManager.createInstanceWithContext(
            "com.sun.star.frame.Desktop", context)
        doc = desktop.loadComponentFromURL(uno.systemPathToFileUrl(source_path), "_blank", 0,
                                           (prop("Hidden", True),))
        target = uno.systemPathToFileUrl(os.path.join(HERE, "protected.xls"))
        doc.storeToURL(target, (prop("FilterName", "MS Excel 97"), prop("Password", "veltrace")))
        doc.close(True)
        try:
            desktop.terminate()
        except Exception:
            pass
        office.wait(timeout=30)
    finally:
        if office.poll() is None:
            office.kill()
            office.wait()


def write_compound_file(path, streams):
    """A minimal compound file (version 3, 512-byte sectors) holding the given streams in
    the order given. Each stream must be at least 4096 bytes long so that it lives in
    ordinary sectors rather than in the mini stream."""
    import struct

    end_of_chain, free, fat_sector = 0xFFFFFFFE, 0xFFFFFFFF, 0xFFFFFFFD
    sector = 512
    assert len(streams) <= 3
    fat = [fat_sector, end_of_chain]  # sector 0 holds the FAT, sector 1 the directory
    data = b""
    starts = []
    for _, payload in streams:
        assert len(payload) >= 4096
        count = (len(payload) + sector - 1) // sector
        first = len(fat)
        starts.append(first)
        fat += [first + i + 1 for i in range(count - 1)] + [end_of_chain]
        data += payload + b"\0" * (count * sector - len(payload))
    assert len(fat) <= sector // 4
    fat += [free] * (sector // 4 - len(fat))

    def entry(name, kind, child, right, start, size):
        encoded = (name + "\0").encode("utf-16-le")
        return (encoded.ljust(64, b"\0") + struct.pack("<HBB", len(encoded), kind, 1)
                + struct.pack("<III", free, right, child) + b"\0" * 16 + b"\0" * 4
                + b"\0" * 16 + struct.pack("<IQ", start, size))

    # Root's child is the first stream; the others hang off its right sibling chain,
    # which keeps the tree ordered when the names are given shortest first.
    directory = entry("Root Entry", 5, 1, free, end_of_chain, 0)
    for i, (name, payload) in enumerate(streams):
        right = i + 2 if i + 1 < len(streams) else free
        directory += entry(name, 2, free, right, starts[i], len(payload))
    directory = directory.ljust(sector, b"\0")

    header = (bytes.fromhex("D0CF11E0A1B11AE1") + b"\0" * 16
              + struct.pack("<HHHHH", 0x3E, 3, 0xFFFE, 9, 6) + b"\0" * 6
              + struct.pack("<IIII", 0, 1, 1, 0)
              + struct.pack("<IIIII", 4096, end_of_chain, 0, end_of_chain, 0)
              + struct.pack("<I", 0) + struct.pack("<I", free) * 108)
    assert len(header) == sector
    with open(path, "wb") as out:
        out.write(header + struct.pack("<%dI" % len(fat), *fat) + directory + data)


def write_other_compound_files():
    """Compound files that hold no workbook stream: a Word document (its WordDocument
    stream) and a file of some other program, each as if renamed to .xls."""
    write_compound_file(os.path.join(HERE, "word-document.xls"),
                        [("WordDocument", b"\xec\xa5\xc1\x00".ljust(4096, b"\0"))])
    write_compound_file(os.path.join(HERE, "other-compound.xls"),
                        [("Contents", b"\0" * 4096)])


def write_long_texts():
    """Texts longer than one BIFF record. xlwt splits a shared string that does not fit
    into the rest of the table record and carries it on in a CONTINUE record: in
    long-texts.xls each split text ends in the next record, in longer-text.xls one
    text runs on through two more records."""
    rows = [HEADINGS, ["段" * 3000, 1.18], ["x" * 7000, 1.25], ["尾", 1.3]]
    write_xls(os.path.join(HERE, "long-texts.xls"), [("Sheet1", rows)])
    rows = [HEADINGS, ["段" * 12000, 1.18]]
    write_xls(os.path.join(HERE, "longer-text.xls"), [("Sheet1", rows)])


def write_split_string_past_continuation():
    """A shared string table whose one string claims 65535 two-byte characters while
    the table record and its continuation hold about 4100 of them: FreeXL copies the
    whole rest of a split string out of the continuation record, 122858 bytes past it."""
    import struct

    def record(kind, body):
        return struct.pack("<HH", kind, len(body)) + body

    def bof(kind):
        return record(0x0809, struct.pack("<HHHHII", 0x0600, kind, 0x0DBB, 0x07CC, 0, 6))

    head = struct.pack("<II", 1, 1) + struct.pack("<HB", 0xFFFF, 1)
    table = head + "甲".encode("utf-16-le") * ((8224 - len(head)) // 2)
    stream = (bof(0x0005) + record(0x00FC, table) + record(0x003C, b"\x01" + b"B\0" * 5)
              + record(0x000A, b"") + bof(0x0010)
              + record(0x0200, struct.pack("<IIHHH", 0, 1, 0, 1, 0)) + record(0x000A, b""))
    write_compound_file(os.path.join(HERE, "hostile", "split-string-past-continuation.xls"),
                        [("Workbook", stream)])


def write_mini_stream_loop():
    """2560 bytes: a workbook stream of 4 GiB less 16 bytes kept in the mini stream (the
    header's cutoff lets a stream of any size live there), whose one mini sector is chained
    to itself. The check followed that chain until it had gathered the 4 GiB the entry
    claims."""
    import struct

    end_of_chain, free, fat_sector = 0xFFFFFFFE, 0xFFFFFFFF, 0xFFFFFFFD
    sector = 512

    def entry(name, kind, child, start, size):
        encoded = (name + "\0").encode("utf-16-le")
        return (encoded.ljust(64, b"\0") + struct.pack("<HBB", len(encoded), kind, 1)
                + struct.pack("<III", free, free, child) + b"\0" * 36
                + struct.pack("<IQ", start, size))

    header = (bytes.fromhex("D0CF11E0A1B11AE1") + b"\0" * 16
              + struct.pack("<HHHHH", 0x3E, 3, 0xFFFE, 9, 6) + b"\0" * 6
              + struct.pack("<IIII", 0, 1, 1, 0)
              + struct.pack("<IIIII", 0xFFFFFFFF, 2, 1, end_of_chain, 0)
              + struct.pack("<I", 0) + struct.pack("<I", free) * 108)
    # Sector 0: the allocation table; 1: the directory; 2: the mini allocation table;
    # 3: the root's mini stream.
    fat = [fat_sector, end_of_chain, end_of_chain, end_of_chain]
    fat += [free] * (sector // 4 - len(fat))
    directory = (entry("Root Entry", 5, 1, 3, 64)
                 + entry("Workbook", 2, free, 0, 0xFFFFFFF0)).ljust(sector, b"\0")
    mini_fat = struct.pack("<I", 0) + struct.pack("<I", free) * (sector // 4 - 1)
    mini_stream = b"\0" * sector
    data = header + struct.pack("<%dI" % len(fat), *fat) + directory + mini_fat + mini_stream
    assert len(data) == 2560
    with open(os.path.join(HERE, "hostile", "mini-stream-loop.xls"), "wb") as out:
        out.write(data)


def write_protected_xlsx():
    """What Excel writes for a password-protected .xlsx: a compound file whose
    EncryptionInfo stream describes the (agile) encryption and whose EncryptedPackage
    stream holds the encrypted zip. The reader only has to recognise it, so the package
    bytes are random."""
    import random
    import struct

    rng = random.Random(7)
    info = (b"\x04\x00\x04\x00\x40\x00\x00\x00"
            b'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n'
            b'<encryption xmlns="http://schemas.microsoft.com/office/2006/encryption">'
            b'<keyData saltSize="16" blockSize="16" keyBits="256" hashSize="64" '
            b'cipherAlgorithm="AES" cipherChaining="ChainingModeCBC" hashAlgorithm="SHA512" '
            b'saltValue="AAAAAAAAAAAAAAAAAAAAAA=="/></encryption>')
    info = info.ljust(4096, b" ")
    package = struct.pack("<Q", 5131) + bytes(rng.randrange(256) for _ in range(5136))
    write_compound_file(os.path.join(HERE, "protected.xlsx"),
                        [("EncryptionInfo", info), ("EncryptedPackage", package)])


def main():
    write_both("basic", [("Sheet1", [HEADINGS] + BASIC_ROWS)])
    write_both("heading-only", [("Sheet1", [HEADINGS])])
    write_both("no-sheet1", [("Data", [HEADINGS] + BASIC_ROWS), ("Summary", [["合计"]])])
    write_both("mixed", [("Sheet1", [HEADINGS[:4]] + MIXED_ROWS)])
    write_both("second-sheet", [("说明", [["本表说明"]]), ("Sheet1", [HEADINGS] + BASIC_ROWS)])
    # Two rows of one feeder length: each derives its own test distance.
    write_xlsx(os.path.join(HERE, "equal-lengths.xlsx"),
               [("Sheet1", [HEADINGS, ["1扇区", 1.18, 8], ["2扇区", 1.25, 8]])])
    write_xlsx(os.path.join(HERE, "complete.xlsx"), [("Sheet1", [HEADINGS] + COMPLETE_ROWS)])
    # Two rows with values and nine empty ones between them.
    write_xlsx(os.path.join(HERE, "mostly-empty.xlsx"),
               [("Sheet1", [HEADINGS, ["1扇区", 1.18, 8]] + [[]] * 9 + [["2扇区", 1.2, 10]])])
    write_hand_made()
    write_costly_packages()
    write_last_row()
    write_duplicate_entries()
    write_protected_xlsx()
    write_other_compound_files()
    write_long_texts()
    write_split_string_past_continuation()
    write_mini_stream_loop()
    if "--calc" in sys.argv:
        write_calc_copies()


if __name__ == "__main__":
    main()
