#!/usr/bin/python3
"""Writes the GIF and PCX fixtures of gif_decoder_test and pcx_decoder_test.

Run from this folder with Debian's python3 (Pillow) and ImageMagick's convert. The
pictures come from formulas that the tests repeat, so a test checks every pixel
against the formula rather than against another decoder.
"""
import subprocess

from PIL import Image


def noise_index(x, y):
    # Mirrored by NoiseIndex() in gif_decoder_test.cpp.
    return (x * x * 7 + y * 13 + x * y * 3 + (x ^ y)) & 255


def noise_palette():
    # Entry i is (i, 7i mod 256, 255 - i), mirrored by NoiseColour().
    palette = []
    for i in range(256):
        palette += [i, (i * 7) & 255, 255 - i]
    return palette


def paletted(width, height, index, palette):
    image = Image.new("P", (width, height))
    image.putpalette(palette)
    image.putdata([index(x, y) for y in range(height) for x in range(width)])
    return image


def gifs():
    # 97 x 61 of near noise: enough codes to fill the 4096-entry table more than once.
    noise = paletted(97, 61, noise_index, noise_palette())
    # The comment makes the writer choose GIF89a; the GIF87a twin comes from another
    # encoder.
    noise.save("gif_noise.gif", optimize=False, interlace=0, comment=b"noise")
    noise.save("gif_noise_interlaced.gif", optimize=False, interlace=1)
    subprocess.run(["convert", "gif_noise.gif", "GIF87:gif_noise_87a.gif"], check=True)

    # Two frames of 8 x 6 in a red, green, blue cycle: the first is x + y, the second
    # 7 everywhere.
    small = [255, 0, 0, 0, 255, 0, 0, 0, 255] * 85 + [0, 0, 0]
    first = paletted(8, 6, lambda x, y: (x + y) % 8, small)
    second = paletted(8, 6, lambda x, y: 7, small)
    first.save("gif_animated.gif", save_all=True, append_images=[second], duration=100,
               loop=0, optimize=False, disposal=1)

    # 5 x 4 of x % 4 with index 3 (green) marked transparent.
    palette = [10, 20, 30, 40, 50, 60, 70, 80, 90, 0, 200, 0] + [0, 0, 0] * 252
    paletted(5, 4, lambda x, y: x % 4, palette).save("gif_transparent.gif", transparency=3,
                                                       optimize=False)


def pcx_index(x, y):
    # Mirrored by PcxIndex() in pcx_decoder_test.cpp.
    return (x * 17 + y * 29) & 255


def pcx_bit(x, y):
    # Mirrored by PcxBit() in pcx_decoder_test.cpp.
    return (x * 3 + y) % 5 < 2


def pcxs():
    # 13 x 9 at 8 bits: bytes per line 14, so each file row carries a padding value.
    paletted(13, 9, pcx_index, noise_palette()).save("pcx_8bit.pcx")

    # 21 x 5 at 1 bit: 3 bytes cover a row, the file rows are 4 bytes long. The writer
    # stamps version 2; version 3 is what format detection expects of a 1-bit file.
    mono = Image.new("1", (21, 5))
    mono.putdata([255 if pcx_bit(x, y) else 0 for y in range(5) for x in range(21)])
    mono.save("pcx_1bit.pcx")
    with open("pcx_1bit.pcx", "r+b") as f:
        f.seek(1)
        f.write(bytes([3]))


gifs()
pcxs()
