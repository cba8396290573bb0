#!/usr/bin/python3
"""Reads a filled report template converted to OpenDocument by LibreOffice.

usage: check_filled_template.py DOCUMENT.odt PLOTS

Walks the text in document order and checks that every segment heading
("N. segment") is followed directly by the picture of that segment (by the
description LibreOffice took from the alternative text), that there are PLOTS
such pictures in all, and that no placeholder named after a segment is left.
"""

import re
import sys
import zipfile
import xml.etree.ElementTree as ElementTree

TEXT = "urn:oasis:names:tc:opendocument:xmlns:text:1.0"
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


def main(path, plots):
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


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], int(sys.argv[2]))
