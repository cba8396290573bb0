#!/usr/bin/python3
"""Compares pictures pixel for pixel, whatever the PNG encoding.

usage: compare_png_pixels.py EXPECTED.png ACTUAL.png
       compare_png_pixels.py EXPECTED.docx ACTUAL.docx

Two PNG files are equal when they have the same size and every pixel has the
same red, green, blue and alpha; a palette picture and a true-colour one can
be equal. Two documents are equal when they hold the same pictures
(word/media/*.png, by name) and each pair is equal. Prints what differs and
exits with 1 when something does.

The decoder is written here with zlib only, so that it shares no code with the
program that wrote the pictures: non-interlaced PNGs of every colour type, bit
depths 1 to 8.
"""

import struct
import sys
import zipfile
import zlib

SIGNATURE = b"\x89PNG\r\n\x1a\n"
CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}


def chunks(data):
    position = len(SIGNATURE)
    while position + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[position:position + 8])
        yield kind, data[position + 8:position + 8 + length]
        position += 12 + length


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def unfilter(raw, height, stride, step):
    rows, previous, position = [], bytearray(stride), 0
    for _ in range(height):
        kind, row = raw[position], bytearray(raw[position + 1:position + 1 + stride])
        position += 1 + stride
        for i in range(stride):
            left = row[i - step] if i >= step else 0
            up = previous[i]
            corner = previous[i - step] if i >= step else 0
            predictor = (0, left, up, (left + up) // 2, paeth(left, up, corner))[kind]
            row[i] = (row[i] + predictor) & 0xFF
        rows.append(row)
        previous = row
    return rows


def samples(row, depth, count):
    if depth == 8:
        return list(row[:count])
    per_byte, mask = 8 // depth, (1 << depth) - 1
    return [(row[i // per_byte] >> (8 - depth * (i % per_byte + 1))) & mask for i in range(count)]


def decode(data, name):
    """The picture as (width, height, [(r, g, b, a), ...]) row by row."""
    if data[:8] != SIGNATURE:
        raise ValueError(f"{name} is not a PNG file")
    header, palette, alpha, compressed = None, [], b"", bytearray()
    for kind, body in chunks(data):
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"PLTE":
            palette = [tuple(body[i:i + 3]) for i in range(0, len(body), 3)]
        elif kind == b"tRNS":
            alpha = body
        elif kind == b"IDAT":
            compressed += body
    width, height, depth, colour, _, _, interlace = header
    if interlace or depth > 8 or colour not in CHANNELS:
        raise ValueError(f"{name}: interlaced, 16-bit or unknown PNGs are not read here")
    channels = CHANNELS[colour]
    stride = (width * channels * depth + 7) // 8
    rows = unfilter(zlib.decompress(bytes(compressed)), height, stride, max(1, channels * depth // 8))
    scale = 255 // ((1 << depth) - 1)
    pixels = []
    for row in rows:
        values = samples(row, depth, width * channels)
        for x in range(width):
            v = values[x * channels:(x + 1) * channels]
            if colour == 3:
                index = v[0]
                pixels.append(palette[index] + ((alpha[index] if index < len(alpha) else 255),))
            elif colour == 0:
                pixels.append((v[0] * scale,) * 3 + (255,))
            elif colour == 4:
                pixels.append((v[0],) * 3 + (v[1],))
            elif colour == 2:
                pixels.append(tuple(v) + (255,))
            else:
                pixels.append(tuple(v))
    return width, height, pixels


def differences(expected, actual, name):
    """Describes how two PNG files differ, None when their pixels are equal."""
    ew, eh, ep = decode(expected, name)
    aw, ah, ap = decode(actual, name)
    if (ew, eh) != (aw, ah):
        return f"{name}: {aw} x {ah} pixels, expected {ew} x {eh}"
    changed = [i for i, (e, a) in enumerate(zip(ep, ap)) if e != a]
    if not changed:
        return None
    first = changed[0]
    return (f"{name}: {len(changed)} of {ew * eh} pixels differ, the first at "
            f"({first % ew}, {first // ew}): {ap[first]}, expected {ep[first]}")


def pictures(path):
    with zipfile.ZipFile(path) as package:
        return {entry: package.read(entry) for entry in package.namelist()
                if entry.startswith("word/media/") and entry.endswith(".png")}


def main(expected_path, actual_path):
    if expected_path.endswith(".docx"):
        expected, actual = pictures(expected_path), pictures(actual_path)
        if sorted(expected) != sorted(actual):
            print(f"FAIL: {actual_path} holds {sorted(actual)}, expected {sorted(expected)}")
            return 1
        if not expected:
            print(f"FAIL: {expected_path} holds no pictures")
            return 1
    else:
        with open(expected_path, "rb") as e, open(actual_path, "rb") as a:
            expected, actual = {actual_path: e.read()}, {actual_path: a.read()}
    found = [d for d in (differences(expected[n], actual[n], n) for n in sorted(expected)) if d]
    for difference in found:
        print("FAIL:", difference)
    if not found:
        print(f"ok {actual_path}: {len(expected)} picture(s) equal pixel for pixel")
    return 1 if found else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2]))
