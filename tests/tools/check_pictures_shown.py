#!/usr/bin/python3
"""Checks that PDFs converted from .docx documents show every plot whole, at its size.

usage: check_pictures_shown.py PDF_DIR DOCUMENT.docx...

Each DOCUMENT.docx has its expectation DOCUMENT.json beside it and its PDF,
of the same name, in PDF_DIR. Only documents whose expectation asks for it
("whole": true) are checked. The plots the tests
write (tests/support/DocxBuild's plot()) have a bar of their own colour down
their left edge, 60 of their 601 pixels wide and their full height. Each page
of the PDF is rendered (pdftoppm) and each plot's bar found by its colour: its
width must be the one the document gives the picture (so the reader scaled it
to that width), its height that of the whole picture in proportion (so no
exact line height or row height cut it to a strip), and the picture, from
where the reader put its left edge (after indents and list numbers), must end
within the column of text it starts in, as the body's last section
properties lay the columns out (so no column or margin cuts it).
"""

import colorsys
import glob
import json
import os
import re
import subprocess
import sys
import tempfile
import zipfile
import xml.etree.ElementTree as ElementTree

DPI = 48
EMU_PER_INCH = 914400
WP = "http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing"
W = "http://schemas.openxmlformats.org/wordprocessingml/2006/main"
MARK = re.compile(r"^驻波图：(.*)（由 Veltrace 合成）$")


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def plot_colour(index):
    """QColor::fromHsv((index * 47) % 360, 170, 235) as RGB."""
    red, green, blue = colorsys.hsv_to_rgb(((index * 47) % 360) / 360, 170 / 255, 235 / 255)
    return round(red * 255), round(green * 255), round(blue * 255)


def columns(root):
    """The columns of text of the body's last section as (left, right) in
    pixels from the page's left edge."""
    section = root.find(f"{{{W}}}body/{{{W}}}sectPr")
    twips = lambda element, name, default: float(element.get(f"{{{W}}}{name}", default))
    page = twips(section.find(f"{{{W}}}pgSz"), "w", 0)
    margins = section.find(f"{{{W}}}pgMar")
    left = twips(margins, "left", 0)
    text = page - left - twips(margins, "right", 0)
    cols = section.find(f"{{{W}}}cols")
    number = int(cols.get(f"{{{W}}}num", "1")) if cols is not None else 1
    space = twips(cols, "space", 720) if cols is not None else 0
    own = cols.findall(f"{{{W}}}col") if cols is not None else []
    if own and cols.get(f"{{{W}}}equalWidth") in ("0", "false"):
        widths = [(twips(col, "w", 0), twips(col, "space", 0)) for col in own]
    else:
        widths = [((text - (number - 1) * space) / number, space)] * number
    found, at = [], left
    for width, gap in widths:
        found.append((at * DPI / 1440, (at + width) * DPI / 1440))
        at += width + gap
    return found


def pictures(root):
    """(segment, cx, cy) of each picture of this program in the main part, in order."""
    found = []
    for inline in root.iter(f"{{{WP}}}inline"):
        extent = inline.find(f"{{{WP}}}extent")
        match = MARK.match(inline.find(f"{{{WP}}}docPr").get("descr") or "")
        if match:
            found.append((match.group(1), int(extent.get("cx")), int(extent.get("cy"))))
    return found


def read_ppm(path):
    with open(path, "rb") as handle:
        data = handle.read()
    fields = data.split(maxsplit=4)
    if fields[0] != b"P6" or fields[3] != b"255":
        fail(f"{path} is not an 8-bit PPM")
    return int(fields[1]), int(fields[2]), fields[4]


def bar_sizes(pages, colours):
    """For each colour, the left edge, width and height in pixels of its bar
    on the page that shows most of it."""
    best = {colour: (0, 0, 0, 0) for colour in colours}
    for width, height, pixels in pages:
        rows = {colour: {} for colour in colours}
        columns = {colour: {} for colour in colours}
        for offset in range(0, len(pixels) - 2, 3):
            red, green, blue = pixels[offset], pixels[offset + 1], pixels[offset + 2]
            if max(red, green, blue) - min(red, green, blue) < 60:
                continue  # white, black and greys: no bar
            for colour in colours:
                if (abs(red - colour[0]) <= 40 and abs(green - colour[1]) <= 40
                        and abs(blue - colour[2]) <= 40):
                    y, x = divmod(offset // 3, width)
                    rows[colour][y] = rows[colour].get(y, 0) + 1
                    columns[colour][x] = columns[colour].get(x, 0) + 1
        for colour in colours:
            count = sum(rows[colour].values())
            if count > best[colour][0]:
                bar = [x for x, n in columns[colour].items() if n >= 3]
                bar_height = sum(1 for n in rows[colour].values() if n >= max(1, len(bar) // 2))
                best[colour] = (count, min(bar, default=0), len(bar), bar_height)
    return {colour: size[1:] for colour, size in best.items()}


def check(docx_path, pdf_path, expectation_path):
    with open(expectation_path, encoding="utf-8") as handle:
        expected = json.load(handle)
    if not expected.get("whole"):
        return
    with tempfile.TemporaryDirectory() as work:
        subprocess.run(["pdftoppm", "-r", str(DPI), pdf_path, os.path.join(work, "page")],
                       check=True)
        pages = [read_ppm(page) for page in sorted(glob.glob(os.path.join(work, "page*.ppm")))]
    name = os.path.basename(docx_path)
    with zipfile.ZipFile(docx_path) as package:
        root = ElementTree.fromstring(package.read("word/document.xml"))
    shown = pictures(root)
    text_columns = columns(root)
    colours = {segment: plot_colour(expected["segments"].index(segment)) for segment, _, _ in shown}
    sizes = bar_sizes(pages, list(set(colours.values())))
    for segment, cx, cy in shown:
        left, width, height = sizes[colours[segment]]
        want_width = 60 / 601 * cx / EMU_PER_INCH * DPI
        want_height = cy / EMU_PER_INCH * DPI
        if abs(width - want_width) > max(2, 0.1 * want_width):
            fail(f"{name}: the plot of {segment} is drawn {width} px wide at its left bar, "
                 f"expected {want_width:.0f}")
        if height < 0.9 * want_height:
            fail(f"{name}: the plot of {segment} is cut to {height} px of its "
                 f"{want_height:.0f} px height")
        right = left + cx / EMU_PER_INCH * DPI
        column = next((c for c in text_columns if c[0] - 2 <= left < c[1]), None)
        if column is None or right > column[1] + 2:
            fail(f"{name}: the plot of {segment} runs from {left} to {right:.0f} px, "
                 f"beyond its column of text {column}")
    print(f"ok {name}: every plot drawn whole at its size")


def main(pdf_dir, documents):
    for document in documents:
        stem = os.path.splitext(document)[0]
        check(document, os.path.join(pdf_dir, os.path.basename(stem) + ".pdf"), stem + ".json")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2:])
