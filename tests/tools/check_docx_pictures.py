#!/usr/bin/python3
"""Reads a .docx written by the document layer with python-docx and checks it.

usage: check_docx_pictures.py DOCUMENT.docx EXPECTATION.json

The expectation names the segments of the appended plots in order and how many
pictures the document held before; for a document the program made, its author
too (checked with when it was made and Word's compatibility mode). Checked:
the number of inline pictures, their order (by the segment named in each
alternative text), that each of the appended ones sits alone in its own
paragraph at the end of the body followed by one empty paragraph, that each is a 601 x 289 PNG part, and that its shown
size keeps the aspect ratio and fits the text width of the last section.

A filled template's expectation gives instead the sequence of the body in
document order (tables included): the text of every paragraph that has some,
and "pic:SEGMENT" for every picture. It is compared as a whole, so a picture
in the wrong place or a placeholder left behind fails.
"""

import re

import json
import struct
import sys

import docx
from docx.oxml.ns import qn


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def png_size(blob):
    if blob[:8] != b"\x89PNG\r\n\x1a\n" or blob[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", blob[16:24])


MARK = re.compile(r"^驻波图：(.*)（由 Veltrace 合成）$")


def own_elements(paragraph, tag):
    """The elements of a paragraph that are not inside a paragraph nested in it."""
    return [element for element in paragraph.iter(qn(tag))
            if next(element.iterancestors(qn("w:p"))) is paragraph]


def body_sequence(document):
    sequence = []
    for paragraph in document.element.body.iter(qn("w:p")):
        for picture in own_elements(paragraph, "wp:docPr"):
            match = MARK.match(picture.get("descr") or "")
            sequence.append("pic:" + (match.group(1) if match else "?"))
        text = "".join(t.text or "" for t in own_elements(paragraph, "w:t")).strip()
        if text:
            sequence.append(text)
    return sequence


def check_template(path, document, expected):
    found = body_sequence(document)
    if found != expected["sequence"]:
        fail(f"{path}: the body reads {found}, expected {expected['sequence']}")
    for shape in document.inline_shapes:
        embed = shape._inline.graphic.graphicData.pic.blipFill.blip.embed
        part = document.part.related_parts[embed]
        if part.content_type != "image/png" or png_size(part.blob) != (601, 289):
            fail(f"{path}: a picture is not a 601 x 289 PNG ({part.partname})")
        if abs(shape.height * 601 - shape.width * 289) > 601:
            fail(f"{path}: a picture is distorted ({shape.width} x {shape.height})")
    print(f"ok {path}: {len(found)} items in place")


def check_new_document(path, document, author):
    """A document the program made: its author and when it was made, and
    Word's compatibility mode of its current version."""
    properties = document.core_properties
    if properties.author != author or properties.created is None or properties.modified is None:
        fail(f"{path}: author {properties.author!r}, made {properties.created}, "
             f"changed {properties.modified}")
    modes = [setting.get(qn("w:val"))
             for setting in document.settings.element.iter(qn("w:compatSetting"))
             if setting.get(qn("w:name")) == "compatibilityMode"]
    if modes != ["15"]:
        fail(f"{path}: compatibility modes {modes}, expected ['15']")


def main(path, expectation_path):
    with open(expectation_path, encoding="utf-8") as handle:
        expected = json.load(handle)
    if "sequence" in expected:
        check_template(path, docx.Document(path), expected)
        return
    segments = expected["segments"]
    earlier = expected["earlier_pictures"]
    document = docx.Document(path)

    if "author" in expected:
        check_new_document(path, document, expected["author"])
    shapes = list(document.inline_shapes)
    if len(shapes) != earlier + len(segments):
        fail(f"{path}: {len(shapes)} inline pictures, expected {earlier + len(segments)}")
    section = document.sections[-1]
    text_width = None
    if section.page_width is not None:
        text_width = section.page_width - (section.left_margin or 0) - (section.right_margin or 0)

    for segment, shape in zip(segments, shapes[earlier:]):
        description = shape._inline.docPr.get("descr") or ""
        if segment not in description or "Veltrace" not in description:
            fail(f"{path}: picture for {segment!r} has alternative text {description!r}")
        embed = shape._inline.graphic.graphicData.pic.blipFill.blip.embed
        part = document.part.related_parts[embed]
        if part.content_type != "image/png" or png_size(part.blob) != (601, 289):
            fail(f"{path}: picture for {segment!r} is not a 601 x 289 PNG ({part.partname})")
        widest = 601 * 9525 if text_width is None else min(601 * 9525, text_width)
        if shape.width > widest + 1:
            fail(f"{path}: picture for {segment!r} is {shape.width} EMU wide, more than {widest}")
        if abs(shape.height * 601 - shape.width * 289) > 601:
            fail(f"{path}: picture for {segment!r} is distorted ({shape.width} x {shape.height})")

    # The end of the body: one paragraph per appended picture, then an empty one.
    paragraphs = document.paragraphs
    tail = paragraphs[len(paragraphs) - len(segments) - 1:]
    if len(tail) != len(segments) + 1:
        fail(f"{path}: too few paragraphs")
    for segment, paragraph in zip(segments, tail):
        drawings = paragraph._p.findall(".//" + qn("wp:docPr"))
        if len(drawings) != 1 or segment not in (drawings[0].get("descr") or ""):
            fail(f"{path}: the paragraph for {segment!r} does not hold exactly its picture")
    last = tail[-1]
    if last.text or last._p.findall(".//" + qn("w:drawing")):
        fail(f"{path}: the body does not end with an empty paragraph")
    print(f"ok {path}: {len(segments)} pictures after {earlier} in order")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
