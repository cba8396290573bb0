#!/usr/bin/python3
"""Reads a filled report template converted to OpenDocument by LibreOffice.

usage: check_filled_template.py DOCUMENT.odt PLOTS [LIMIT]

Walks the text in document order and checks that every segment heading
("N. segment") is followed directly by the picture of that segment (by the
description LibreOffice took from the alternative text), that there are PLOTS
such pictures in all, and that no placeholder named after a segment is left.
With LIMIT (the VSWR limit), the document is a whole report: its first table
holds a heading row and one row per segment, numbered, in the headings'
order, with the verdict "合格" when the VSWR is at most the limit and a red
"不合格" otherwise; the summary line counts them; no field is left but the
appendix's plain {{驻波图}}.
"""

import re
import sys
import zipfile
import xml.etree.ElementTree as ElementTree

TEXT = "urn:oasis:names:tc:opendocument:xmlns:text:1.0"
TABLE = "urn:oasis:names:tc:opendocument:xmlns:table:1.0"
STYLE = "urn:oasis:names:tc:opendocument:xmlns:style:1.0"
FO = "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
DRAW = "urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
SVG = "urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
MARK = re.compile(r"^驻波图：(.*)（由 Veltrace 合成）$")
HEADING = re.compile(r"^\d+\. (.+)$")


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def sequence(root):
    items = []
    for element in root.iter():
        if element.tag == f"{{{TEXT}}}h":
            items.append(("heading", "".join(element.itertext()).strip()))
        elif element.tag == f"{{{DRAW}}}frame":
            description = element.find(f"{{{SVG}}}desc")
            match = MARK.match(description.text if description is not None else "")
            items.append(("picture", match.group(1) if match else None))
        elif element.tag == f"{{{TEXT}}}p" and "{{驻波图:" in "".join(element.itertext()):
            items.append(("placeholder", "".join(element.itertext())))
    return items


def red_styles(root):
    """The automatic text styles that colour their text red."""
    red = set()
    for style in root.iter(f"{{{STYLE}}}style"):
        properties = style.find(f"{{{STYLE}}}text-properties")
        if properties is not None and properties.get(f"{{{FO}}}color", "").lower() == "#ff0000":
            red.add(style.get(f"{{{STYLE}}}name"))
    return red


def cell_text(cell):
    return "".join(cell.itertext()).strip()


def check_report(root, segments, limit):
    """The results table, its verdicts and the summary line of a whole report."""
    table = root.find(f".//{{{TABLE}}}table")
    if table is None:
        fail("no results table")
    rows = [[cell_text(c) for c in row.iter(f"{{{TABLE}}}table-cell")]
            for row in table.iter(f"{{{TABLE}}}table-row")]
    if len(rows) != len(segments) + 1:
        fail(f"the results table has {len(rows)} rows, expected {len(segments) + 1}")
    red = red_styles(root)
    red_verdicts = [span.text for span in table.iter(f"{{{TEXT}}}span")
                    if span.get(f"{{{TEXT}}}style-name") in red]
    failed = 0
    for number, (row, segment) in enumerate(zip(rows[1:], segments), 1):
        verdict = "合格" if float(row[4]) <= limit else "不合格"
        if row[0] != str(number) or row[1] != segment or row[5] != verdict:
            fail(f"table row {number} is {row}, expected {number}, {segment}, ..., {verdict}")
        failed += verdict == "不合格"
    if red_verdicts != ["不合格"] * failed:
        fail(f"red texts in the table: {red_verdicts}, expected {failed} red 不合格")
    texts = ["".join(p.itertext()) for p in root.iter(f"{{{TEXT}}}p")]
    summary = f"本次共测试 {len(segments)} 段，合格 {len(segments) - failed} 段，不合格 {failed} 段"
    if not any(text.startswith(summary) for text in texts):
        fail(f"no summary line starting {summary!r}")
    left = [t for t in texts + ["".join(h.itertext()) for h in root.iter(f"{{{TEXT}}}h")]
            if "{{" in t and t.strip() != "{{驻波图}}"]
    if left:
        fail(f"fields left: {left[:3]}")
    print(f"ok: {len(segments)} table rows in order, {failed} red 不合格, the summary filled")


def main(path, plots, limit=None):
    with zipfile.ZipFile(path) as package:
        root = ElementTree.fromstring(package.read("content.xml"))
    items = sequence(root)
    pictures = [name for kind, name in items if kind == "picture"]
    if len(pictures) != plots:
        fail(f"{path}: {len(pictures)} pictures, expected {plots}")
    left = [text for kind, text in items if kind == "placeholder"]
    if left:
        fail(f"{path}: placeholders left: {left}")
    headings = 0
    for (kind, text), following in zip(items, items[1:] + [("end", None)]):
        match = HEADING.match(text or "") if kind == "heading" else None
        if not match:
            continue
        headings += 1
        if following != ("picture", match.group(1)):
            fail(f"{path}: heading {text!r} is followed by {following}")
    if headings != plots:
        fail(f"{path}: {headings} segment headings, expected {plots}")
    print(f"ok {path}: each of {plots} plots right under its heading")
    if limit is not None:
        check_report(root, [name for kind, name in items if kind == "picture"], limit)


if __name__ == "__main__":
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    main(sys.argv[1], int(sys.argv[2]), float(sys.argv[3]) if len(sys.argv) == 4 else None)
