#!/usr/bin/python3
"""Makes the small JPEG fixtures of the decoder tests and the fuzzers' seed pictures.

Run from anywhere: /usr/bin/python3 tests/data/pictures/make_pictures.py
Needs Pillow and ImageMagick's `convert`. The outputs are committed; rerunning
rewrites them (JPEG encoders may differ by a bit between versions).
"""
import os
import shutil
import struct
import subprocess
import tempfile

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", "..", ".."))
CORPUS = os.path.join(ROOT, "fuzz", "corpus")

# Quadrants of 16 x 16, so that 4:2:0 chroma blocks never straddle two colours.
QUADRANTS = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255)]


def quadrant_image(colours, mode="RGB"):
    im = Image.new(mode, (32, 32))
    for i, colour in enumerate(colours):
        x, y = (i % 2) * 16, (i // 2) * 16
        im.paste(colour, (x, y, x + 16, y + 16))
    return im


def gradient(width, height):
    im = Image.new("RGB", (width, height))
    im.putdata([((x * 255) // max(width - 1, 1), (y * 255) // max(height - 1, 1),
                 ((x + y) * 7) & 255) for y in range(height) for x in range(width)])
    return im


def make_jpegs():
    quadrant_image(QUADRANTS).save(os.path.join(HERE, "colour.jpg"), quality=95, subsampling=0)
    grey = Image.new("L", (32, 16))
    grey.putdata([(x * 8 + y) & 255 for y in range(16) for x in range(32)])
    grey.save(os.path.join(HERE, "grey.jpg"), quality=90)
    gradient(48, 40).save(os.path.join(HERE, "progressive.jpg"), quality=85, progressive=True)
    # Adobe CMYK (transform 0), stored inverted as Adobe's programs do. The second
    # quadrant has K at 128, so the decoder must multiply by it.
    quadrant_image([(0, 255, 255, 0), (0, 255, 255, 128), (255, 0, 255, 0), (0, 0, 0, 0)],
                   "CMYK").save(os.path.join(HERE, "cmyk.jpg"), quality=95)
    # ImageMagick writes CMYK JPEGs as YCCK (Adobe transform 2), which libjpeg turns
    # back into CMYK.
    with tempfile.TemporaryDirectory() as tmp:
        png = os.path.join(tmp, "q.png")
        quadrant_image([(255, 0, 0), (64, 128, 192), (0, 0, 0), (255, 255, 255)]).save(png)
        subprocess.run(["convert", png, "-quality", "95", "-colorspace", "CMYK",
                        os.path.join(HERE, "ycck.jpg")], check=True)


def bmp(width, height, bits, rows, table=b"", top_down=False):
    """A BITMAPFILEHEADER + BITMAPINFOHEADER bitmap; rows are given file order, padded."""
    offset = 54 + len(table)
    pixels = b"".join(row + b"\0" * (-len(row) % 4) for row in rows)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, -height if top_down else height, 1, bits,
                       0, len(pixels), 2835, 2835, len(table) // 4, 0)
    return header + info + table + pixels


def icon_image(width, height, bits, xor_rows, table=b""):
    """One icon image: header with doubled height, table, XOR rows, AND rows."""
    xor = b"".join(row + b"\0" * (-len(row) % 4) for row in xor_rows)
    mask_row = bytes((width + 7) // 8)
    and_bits = b"".join(mask_row + b"\0" * (-len(mask_row) % 4) for _ in range(height))
    info = struct.pack("<IiiHHIIiiII", 40, width, 2 * height, 1, bits, 0, 0, 0, 0,
                       len(table) // 4, 0)
    return info + table + xor + and_bits


def icon_file(images, kind=1):
    out = struct.pack("<HHH", 0, kind, len(images))
    offset = 6 + 16 * len(images)
    for width, colours, data in images:
        out += struct.pack("<BBBBHHII", width & 255, width & 255, colours, 0, 1, 0,
                           len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, _, data in images)


def pcx_1bit(width, height, rows):
    """A version-3 PCX of one plane of 1 bit, each row RLE-encoded byte by byte."""
    line = (width + 15) // 16 * 2
    header = struct.pack("<BBBBHHHHHH", 0x0A, 3, 1, 1, 0, 0, width - 1, height - 1, 72, 72)
    header += bytes(48) + struct.pack("<BBHH", 0, 1, line, 1)
    header += bytes(128 - len(header))
    data = b""
    for row in rows:
        for byte in row.ljust(line, b"\0"):
            data += bytes([0xC1, byte]) if byte >= 0xC0 else bytes([byte])
    return header + data


def write(folder, name, data):
    os.makedirs(os.path.join(CORPUS, folder), exist_ok=True)
    with open(os.path.join(CORPUS, folder, name), "wb") as f:
        f.write(data)


def make_seeds():
    grey4 = b"".join(struct.pack("<BBBB", v, v, v, 0) for v in range(0, 256, 17))
    bw = b"\0\0\0\0\xff\xff\xff\0"
    seeds_bmp = {
        "1bit.bmp": bmp(9, 3, 1, [b"\xaa\x80", b"\x55\x00", b"\xff\x80"], bw),
        "4bit.bmp": bmp(5, 2, 4, [b"\x01\x23\x40", b"\xfe\xdc\xb0"], grey4),
        "8bit.bmp": bmp(3, 2, 8, [b"\x00\x05\x0f", b"\x0a\x0b\x0c"], grey4),
        "24bit.bmp": bmp(2, 2, 24, [b"\x00\x00\xff\x00\xff\x00", b"\xff\x00\x00\xff\xff\xff"]),
        "32bit_top_down.bmp": bmp(2, 2, 32, [b"\x00\x00\xff\x7f\x00\xff\x00\x7f",
                                             b"\xff\x00\x00\x7f\xff\xff\xff\x7f"],
                                  top_down=True),
    }
    for name, data in seeds_bmp.items():
        write("bmp", name, data)
        write("picture", name, data)

    icon4 = icon_image(4, 4, 4, [b"\x01\x23"] * 4, grey4)
    icon32 = icon_image(2, 2, 32, [b"\x00\x00\xff\x80\x00\xff\x00\xff"] * 2)
    icon1 = icon_image(32, 32, 1, [b"\xf0\x0f\xaa\x55"] * 32, bw)
    icon24 = icon_image(3, 2, 24, [b"\x01\x02\x03" * 3] * 2)
    seeds_icon = {
        "three_entries.ico": icon_file([(4, 16, icon4), (32, 2, icon1), (2, 0, icon32)]),
        "one_24bit.ico": icon_file([(3, 0, icon24)]),
        "cursor.cur": icon_file([(32, 2, icon1)], kind=2),
    }
    with tempfile.TemporaryDirectory() as tmp:
        png = os.path.join(tmp, "g.png")
        ico = os.path.join(tmp, "g.ico")
        gradient(16, 16).save(png)
        subprocess.run(["convert", png, ico], check=True)
        with open(ico, "rb") as f:
            seeds_icon["imagemagick.ico"] = f.read()
    for name, data in seeds_icon.items():
        write("icon", name, data)
        write("picture", name, data)

    for name in ("colour.jpg", "grey.jpg", "progressive.jpg", "cmyk.jpg", "ycck.jpg"):
        for folder in ("jpeg", "picture"):
            os.makedirs(os.path.join(CORPUS, folder), exist_ok=True)
            shutil.copy(os.path.join(HERE, name), os.path.join(CORPUS, folder, name))

    with tempfile.TemporaryDirectory() as tmp:
        png = os.path.join(tmp, "g.png")
        gradient(12, 10).save(png)
        write("picture", "small1.pcx", pcx_1bit(10, 3, [b"\xf0\xc0", b"\x0f\x40", b"\xaa\x80"]))
        for name, args in (("small.gif", []), ("small8.pcx", ["-type", "palette"])):
            out = os.path.join(tmp, name)
            subprocess.run(["convert", png] + args + [out], check=True)
            with open(out, "rb") as f:
                write("picture", name, f.read())


if __name__ == "__main__":
    make_jpegs()
    make_seeds()
