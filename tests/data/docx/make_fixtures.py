#!/usr/bin/python3
"""Makes the .docx samples the document-layer tests append to.

report-python-docx.docx   made with python-docx: styles, a header, Chinese and
                          English text, a table, an existing inline picture and
                          the body-level section properties (A4, 2 cm margins).
report-libreoffice.docx   the same document saved again by LibreOffice Writer,
                          so a second producer's way of writing OOXML is covered.
template-python-docx.docx a report template for tests/data/workbooks/basic.xlsx:
                          a plain placeholder split across runs and spelling
                          marks, placeholders named after segments (one for a
                          segment the workbook lacks, one twice), a plain one
                          in a narrow table cell, and one in the page header.
template-exact-lines.docx a report template whose Normal style has an exact
                          line height of 20 points (固定值): a placeholder in a
                          numbered list item, one in a table row of exact
                          height, a plain one; a grey logo in the header.

Run from anywhere:  /usr/bin/python3 tests/data/docx/make_fixtures.py
(needs python3-docx and libreoffice-writer; run with Debian's /usr/bin/python3).
"""

import os
import shutil
import struct
import subprocess
import tempfile
import zlib

from docx import Document
from docx.enum.section import WD_ORIENT
from docx.enum.table import WD_ROW_HEIGHT_RULE
from docx.enum.text import WD_LINE_SPACING
from docx.oxml import OxmlElement
from docx.oxml.ns import qn
from docx.shared import Cm, Pt

HERE = os.path.dirname(os.path.abspath(__file__))


def png_gradient(width, height, grey=False):
    """A small RGB PNG, written by hand so no imaging library is needed; in
    shades of grey, or in colours."""
    rows = b""
    for y in range(height):
        row = bytearray([0])  # filter type: none
        for x in range(width):
            shade = x * 255 // width
            row += bytes((shade, shade, shade) if grey else (shade, y * 255 // height, 160))
        rows += bytes(row)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def make_python_docx(path, picture):
    document = Document()
    section = document.sections[0]
    section.orientation = WD_ORIENT.PORTRAIT
    section.page_width = Cm(21.0)
    section.page_height = Cm(29.7)
    for side in ("left_margin", "right_margin", "top_margin", "bottom_margin"):
        setattr(section, side, Cm(2.0))
    section.header.paragraphs[0].text = "驻波测试报告 页眉"

    style = document.styles["Normal"]
    style.font.size = Pt(10.5)
    document.add_heading("馈线驻波测试报告", level=1)
    document.add_paragraph("站点：Distance-to-fault 测试。下面是已有的一张图片和测试数据表。")
    document.add_picture(picture, width=Cm(5))
    table = document.add_table(rows=3, cols=3)
    table.style = "Table Grid"
    for row, cells in enumerate([("测试段", "馈线长", "驻波比"),
                                 ("T1-B1F--T2-B1F", "13.5", "1.18"),
                                 ("T2-B1F--T3-B1F", "20", "1.25")]):
        for column, text in enumerate(cells):
            table.cell(row, column).text = text
    document.add_paragraph("以下为各测试段的驻波图。", style="Intense Quote")
    document.save(path)


def proofing_mark(kind):
    mark = OxmlElement("w:proofErr")
    mark.set(qn("w:type"), kind)
    return mark


def make_template(path):
    document = Document()
    document.sections[0].header.paragraphs[0].text = "{{驻波图}}"
    document.add_heading("站点驻波测试报告", level=1)
    document.add_heading("概况", level=2)
    split = document.add_paragraph()
    split.add_run("{{").bold = True
    word = split.add_run("驻波图")
    split.add_run("}}").bold = True
    word._r.addprevious(proofing_mark("spellStart"))
    word._r.addnext(proofing_mark("spellEnd"))
    for segment in ("1扇区", None, "3扇区", "9扇区"):
        if segment is None:
            table = document.add_table(rows=1, cols=2)
            table.style = "Table Grid"
            table.cell(0, 0).width = Cm(10)
            table.cell(0, 1).width = Cm(4)
            table.cell(0, 0).text = "备注：窄单元格中的驻波图按单元格宽度缩小。"
            table.cell(0, 1).text = "{{VSWR}}"
            continue
        document.add_heading(segment, level=2)
        document.add_paragraph("{{驻波图:%s}}" % segment)
    document.add_paragraph("{{驻波图:1扇区}}")
    document.add_paragraph("以上为各测试段的驻波图。")
    document.save(path)


def make_exact_template(path, picture):
    document = Document()
    normal = document.styles["Normal"].paragraph_format
    normal.line_spacing_rule = WD_LINE_SPACING.EXACTLY
    normal.line_spacing = Pt(20)
    document.sections[0].header.paragraphs[0].add_run().add_picture(picture, width=Cm(2))
    document.add_heading("站点驻波测试报告", level=1)
    document.add_paragraph("各测试段的驻波图：")
    document.add_paragraph("{{驻波图}}", style="List Number")
    table = document.add_table(rows=1, cols=1)
    table.style = "Table Grid"
    table.rows[0].height = Cm(1)
    table.rows[0].height_rule = WD_ROW_HEIGHT_RULE.EXACTLY
    table.cell(0, 0).text = "{{驻波图}}"
    document.add_paragraph("{{驻波图}}")
    document.save(path)


def convert_with_libreoffice(source, target):
    with tempfile.TemporaryDirectory() as work:
        profile = os.path.join(work, "profile")
        out = os.path.join(work, "out")
        subprocess.run(["soffice", "-env:UserInstallation=file://" + profile, "--headless",
                        "--convert-to", "docx:MS Word 2007 XML", "--outdir", out, source],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        shutil.move(os.path.join(out, os.path.basename(source)), target)


def main():
    with tempfile.TemporaryDirectory() as work:
        picture = os.path.join(work, "gradient.png")
        with open(picture, "wb") as out:
            out.write(png_gradient(120, 60))
        python_docx = os.path.join(HERE, "report-python-docx.docx")
        make_python_docx(python_docx, picture)
        convert_with_libreoffice(python_docx, os.path.join(HERE, "report-libreoffice.docx"))
    make_template(os.path.join(HERE, "template-python-docx.docx"))
    with tempfile.TemporaryDirectory() as work:
        picture = os.path.join(work, "logo.png")
        with open(picture, "wb") as out:
            out.write(png_gradient(80, 40, grey=True))
        make_exact_template(os.path.join(HERE, "template-exact-lines.docx"), picture)


if __name__ == "__main__":
    main()
