#!/usr/bin/python3
"""Writes a report of photos for the write benchmark: make_photo_report.py MEGABYTES PATH

A python-docx document with a heading and, one to a paragraph, pictures of random
pixels (PNGs whose image data is stored, not compressed) of about 3 MB each, until the
file holds about MEGABYTES megabytes. Random pixels do not compress, as the photos of
a field report hardly do, so the file is as large as its pictures.
"""
import io
import random
import struct
import sys
import zlib

import docx
from docx.shared import Cm

WIDTH, HEIGHT = 1024, 1000  # RGB: 3 MB of pixels a picture


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def noise_png(rng):
    rows = b"".join(b"\0" + rng.randbytes(WIDTH * 3) for _ in range(HEIGHT))
    header = struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(rows, 0)) + chunk(b"IEND", b""))


def main():
    megabytes, path = int(sys.argv[1]), sys.argv[2]
    rng = random.Random(20260307)
    document = docx.Document()
    document.add_heading("天馈驻波测试报告（现场照片）", level=1)
    pictures = max(1, megabytes * 1000 * 1000 // (WIDTH * HEIGHT * 3))
    for number in range(pictures):
        document.add_paragraph("照片 %d" % (number + 1))
        document.add_picture(io.BytesIO(noise_png(rng)), width=Cm(15))
    document.save(path)


if __name__ == "__main__":
    main()
