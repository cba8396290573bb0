#!/usr/bin/python3
"""Makes the sample report template and the workbook that fills it.

report-template.docx   a whole test report from one batch: a title, a summary
                       line of summary placeholders ({{段数}}, {{不合格数}},
                       {{最大驻波比}}, ...), a results table whose one template row
                       of row placeholders ({{序号}}, {{测试段}}, {{结论}}, ...)
                       becomes a row per segment, and a section between
                       {{#每段}} and {{/每段}} repeated per segment: a heading
                       "{{序号}}. {{测试段}}", the plot ({{驻波图}}) and a line of
                       its values. An appendix's plain placeholder {{驻波图}}
                       takes the first plot saved by hand (the window asks for
                       one before it imports a workbook).
report-template.xlsx   the twelve segments on the sheet "Sheet1", one per row:
                       segment, VSWR, feeder length (0.110 or 0.070 dB/m feeder),
                       test time. One segment's VSWR is over the limit of 1.5.

Run from anywhere:  /usr/bin/python3 docs/make_template.py
(needs python3-docx and python3-openpyxl; run with Debian's /usr/bin/python3).
"""

import datetime
import os

import openpyxl
from docx import Document
from docx.enum.table import WD_TABLE_ALIGNMENT
from docx.enum.text import WD_ALIGN_PARAGRAPH
from docx.shared import Cm

HERE = os.path.dirname(os.path.abspath(__file__))
# When the sample was made (UTC), as its properties say.
MADE = datetime.datetime(2026, 3, 7, 9, 0, 0)

# site, segment, VSWR, feeder length of the 0.110 dB/m feeder, of the 0.070 dB/m
# feeder (one of the two is given), test time
SEGMENTS = [
    ("站点A：1号楼", "A1-B1F--A2-B1F", 1.18, 25.36, None, "09:30:00"),
    ("站点A：1号楼", "A2-B1F--A3-1F", 1.12, None, 13.5, "09:36:00"),
    ("站点A：1号楼", "A3-1F--A4-2F", 1.25, 8, None, "09:41:00"),
    ("站点A：1号楼", "A4-2F--A5-3F", 1.09, None, 31.2, "09:47:00"),
    ("站点B：2号楼", "B1-B1F--B2-1F", 1.21, 18.4, None, "10:12:00"),
    ("站点B：2号楼", "B2-1F--B3-2F", 1.15, None, 22.75, "10:18:00"),
    ("站点B：2号楼", "B3-2F--B4-3F", 1.56, 11.6, None, "10:25:00"),
    ("站点B：2号楼", "B4-3F--B5-4F", 1.07, None, 40, "10:31:00"),
    ("站点C：地下车库", "C1-B1F--C2-B1F", 1.14, 27.9, None, "11:02:00"),
    ("站点C：地下车库", "C2-B1F--C3-B1F", 1.22, None, 16.3, "11:09:00"),
    ("站点C：地下车库", "C3-B1F--C4-B2F", 1.1, 9.8, None, "11:15:00"),
    ("站点C：地下车库", "C4-B2F--C5-B2F", 1.28, None, 35.45, "11:22:00"),
]


def placeholder(document, text):
    paragraph = document.add_paragraph(text)
    paragraph.alignment = WD_ALIGN_PARAGRAPH.CENTER
    return paragraph


def results_table(document):
    """The heading row and one template row, repeated per segment by a batch."""
    table = document.add_table(rows=2, cols=6)
    table.style = "Table Grid"
    table.alignment = WD_TABLE_ALIGNMENT.CENTER
    headings = ("序号", "测试段", "馈线长（m）", "插损", "驻波比", "结论")
    fields = ("{{序号}}", "{{测试段}}", "{{馈线长}}", "{{插损}}", "{{驻波比}}", "{{结论}}")
    for cell, text in zip(table.rows[0].cells, headings):
        cell.text = text
        cell.paragraphs[0].runs[0].bold = True
    for cell, text in zip(table.rows[1].cells, fields):
        cell.text = text
    # Word reads the cells' widths, LibreOffice the grid's.
    table.autofit = False
    for column, width in zip(table.columns, (1.3, 5.0, 2.6, 2.8, 1.8, 2.5)):
        column.width = Cm(width)
        for cell in column.cells:
            cell.width = Cm(width)


def make_document(path):
    document = Document()
    section = document.sections[0]
    section.page_width, section.page_height = Cm(21.0), Cm(29.7)
    section.left_margin = section.right_margin = Cm(2.5)
    section.top_margin = section.bottom_margin = Cm(2.2)
    section.header.paragraphs[0].text = "天馈线驻波测试报告（示例）"

    document.add_heading("天馈线驻波测试报告", level=0)
    document.add_paragraph("工程名称：示例工程　　测试仪表：手持式天馈线测试仪　　报告日期：{{报告日期}}")
    document.add_paragraph(
        "本次共测试 {{段数}} 段，合格 {{合格数}} 段，不合格 {{不合格数}} 段；最大驻波比 {{最大驻波比}}"
        "（{{最大驻波比测试段}}），驻波比上限 {{驻波比上限}}。")
    document.add_heading("测试结果", level=1)
    results_table(document)
    document.add_heading("各测试段驻波图", level=1).paragraph_format.page_break_before = True
    document.add_paragraph("{{#每段}}")
    document.add_heading("{{序号}}. {{测试段}}", level=2)
    placeholder(document, "{{驻波图}}")
    document.add_paragraph("驻波比 {{驻波比}}，馈线长 {{馈线长}} m，测试时间 {{测试时间}}，结论：{{结论}}")
    document.add_paragraph("{{/每段}}")
    document.add_heading("附录：参考驻波图", level=1).paragraph_format.page_break_before = True
    document.add_paragraph("第一次手工保存的驻波图放在这里；批处理的驻波图放在各测试段的标题下。")
    placeholder(document, "{{驻波图}}")
    set_properties(document)
    document.save(path)


def set_properties(document):
    """The sample's own properties, in place of those python-docx's default
    document brings along (its author and a date of 2013), with a fixed date
    rather than the day it happens to be made."""
    properties = document.core_properties
    properties.author = properties.last_modified_by = "Veltrace"
    properties.title = "天馈线驻波测试报告（示例）"
    properties.comments = ""
    properties.revision = 1
    properties.created = properties.modified = MADE


def make_workbook(path):
    workbook = openpyxl.Workbook()
    sheet = workbook.active
    sheet.title = "Sheet1"
    sheet.append(["测试段", "驻波比", "馈线长（0.110dB/m）", "馈线长（0.070dB/m）", "测试时间"])
    for _, segment, vswr, thick, thin, time in SEGMENTS:
        sheet.append([segment, vswr, thick, thin, datetime.time.fromisoformat(time)])
    for row in sheet.iter_rows(min_row=2, min_col=5, max_col=5):
        row[0].number_format = "hh:mm:ss"
    workbook.properties.creator = workbook.properties.lastModifiedBy = "Veltrace"
    workbook.properties.created = workbook.properties.modified = MADE
    workbook.save(path)


def main():
    make_document(os.path.join(HERE, "report-template.docx"))
    make_workbook(os.path.join(HERE, "report-template.xlsx"))


if __name__ == "__main__":
    main()
