#!/usr/bin/python3
"""Makes the pictures that are compiled into the program.

    /usr/bin/python3 resources/make_resources.py [output folder]

Writes builtin_picture.jpg, program_icon.ico and link_picture.gif next to this
script (or into the given folder). Everything is drawn from shapes, with one
fixed random seed, so a run gives the same bytes every time on the same
Pillow/libjpeg. Needs only Pillow (Debian: python3-pil).

The ICO and the GIF are written byte by byte here: Pillow writes 32-bit icon
entries as PNG and chooses its own GIF palette size, and the program relies on
a BITMAPINFOHEADER icon entry and on a 16-colour GIF palette.
"""

import io
import os
import random
import struct
import sys

from PIL import Image, ImageChops, ImageDraw

# ---------------------------------------------------------------------------
# Built-in picture: a sunset over mountains and a lake, 500 x 600.
# ---------------------------------------------------------------------------

kPictureWidth = 500
kPictureHeight = 600
# Drawn larger and scaled down, which smooths every edge without blurring it.
kSupersample = 3
# Chosen so that the file lands near 64 KB, the weight of a photograph this size.
kJpegQuality = 88
kJpegSubsampling = 0  # 4:4:4: keeps the sun's and the roof's red edges crisp.
kHorizonY = 402
kSeed = 20240917


def Mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def Ramp(stops, t):
    """Colour at t in [0, 1] along a list of (position, colour) stops."""
    t = min(max(t, 0.0), 1.0)
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            return Mix(c0, c1, (t - p0) / (p1 - p0) if p1 > p0 else 0.0)
    return stops[-1][1]


def VerticalGradient(size, stops):
    width, height = size
    image = Image.new("RGB", size)
    draw = ImageDraw.Draw(image)
    for y in range(height):
        draw.line([(0, y), (width - 1, y)], fill=Ramp(stops, y / max(height - 1, 1)))
    return image


def Ridge(rng, x0, x1, base, peaks, scale):
    """Polygon of a mountain range: straight slopes between the given peaks,
    each slope broken by a few small deterministic bumps."""
    points = [(x0, base)]
    previous = (x0, peaks[0][1] + (base - peaks[0][1]) * 0.6)
    points.append(previous)
    for peak in peaks + [(x1, previous[1])]:
        steps = 5
        for k in range(1, steps):
            t = k / steps
            x = previous[0] + (peak[0] - previous[0]) * t
            y = previous[1] + (peak[1] - previous[1]) * t
            points.append((x, y + (rng.random() - 0.5) * 9))
        points.append(peak)
        previous = peak
    points.append((x1, base))
    return [(x * scale, y * scale) for x, y in points]


def DrawPicture():
    s = kSupersample
    w, h = kPictureWidth * s, kPictureHeight * s
    rng = random.Random(kSeed)

    sky_stops = [
        (0.00, (22, 18, 66)),
        (0.28, (78, 36, 128)),
        (0.52, (196, 58, 120)),
        (0.75, (246, 120, 62)),
        (1.00, (255, 214, 110)),
    ]
    image = VerticalGradient((w, kHorizonY * s), sky_stops)
    canvas = Image.new("RGB", (w, h))
    canvas.paste(image, (0, 0))
    draw = ImageDraw.Draw(canvas)

    # Stars in the dark top of the sky.
    for _ in range(70):
        x = rng.random() * kPictureWidth
        y = rng.random() * 120
        r = 0.8 + rng.random() * 1.6
        shade = Mix((255, 255, 255), (200, 170, 255), rng.random())
        draw.ellipse([(x - r) * s, (y - r) * s, (x + r) * s, (y + r) * s], fill=shade)

    # The sun: a yellow-to-red disc cut by horizontal bands that widen downwards.
    sun_cx, sun_cy, sun_r = 250, 292, 118
    sun = VerticalGradient((2 * sun_r * s, 2 * sun_r * s),
                           [(0.0, (255, 246, 150)), (0.55, (255, 170, 60)), (1.0, (240, 70, 70))])
    mask = Image.new("L", sun.size, 0)
    mask_draw = ImageDraw.Draw(mask)
    mask_draw.ellipse([0, 0, sun.size[0] - 1, sun.size[1] - 1], fill=255)
    band_y = sun_r * 0.62
    gap = 2.0
    while band_y < 2 * sun_r:
        mask_draw.rectangle([0, band_y * s, sun.size[0], (band_y + gap) * s], fill=0)
        band_y += gap + 12
        gap += 1.6
    canvas.paste(sun, ((sun_cx - sun_r) * s, (sun_cy - sun_r) * s), mask)

    # Birds: bold "v" strokes.
    for bx, by, span in [(96, 150, 16), (122, 136, 12), (140, 160, 10), (386, 112, 14), (408, 126, 10)]:
        draw.line([(bx - span) * s, (by - span * 0.45) * s, bx * s, by * s,
                   (bx + span) * s, (by - span * 0.45) * s], fill=(40, 20, 60), width=3 * s, joint="curve")

    # Three mountain ranges, lighter and more purple the farther away.
    far = Ridge(rng, 0, kPictureWidth, kHorizonY,
                [(60, 250), (140, 300), (205, 262), (300, 318), (390, 236), (470, 290)], s)
    draw.polygon(far, fill=(176, 86, 150))
    middle = Ridge(rng, 0, kPictureWidth, kHorizonY,
                   [(30, 318), (118, 282), (230, 346), (330, 296), (440, 338)], s)
    draw.polygon(middle, fill=(112, 50, 122))
    # Snow on the highest far peaks.
    for px, py in [(60, 250), (390, 236)]:
        draw.polygon([((px - 17) * s, (py + 21) * s), (px * s, py * s), ((px + 17) * s, (py + 21) * s),
                      ((px + 7) * s, (py + 16) * s), (px * s, (py + 22) * s), ((px - 7) * s, (py + 16) * s)],
                     fill=(250, 226, 236))
    near = Ridge(rng, 0, kPictureWidth, kHorizonY,
                 [(-10, 352), (90, 372), (190, 388), (280, 380), (380, 364), (510, 344)], s)
    draw.polygon(near, fill=(52, 30, 80))

    # The lake: the sky's colours upside down and darkened, then the sun's
    # reflection as broken bright bands that narrow towards the viewer.
    lake_top, lake_bottom = kHorizonY, 560
    lake = VerticalGradient((w, (lake_bottom - lake_top) * s),
                            [(0.0, (214, 110, 96)), (0.35, (120, 52, 110)), (1.0, (34, 26, 78))])
    canvas.paste(lake, (0, lake_top * s))
    y = lake_top + 4
    band = 0
    while y < 528:
        t = (y - lake_top) / (528 - lake_top)
        half = 100 * (1 - t) + 14
        thick = 2.5 + t * 5
        colour = Mix((255, 226, 130), (250, 120, 80), t)
        shift = (rng.random() - 0.5) * 16
        pieces = 2 if band % 3 == 1 else 1
        for k in range(pieces):
            x0 = 250 - half + shift + k * half
            x1 = 250 + half + shift - (pieces - 1 - k) * half
            if pieces == 2:
                x0, x1 = (x0 + 6, x1 - 6)
            draw.rounded_rectangle([x0 * s, y * s, x1 * s, (y + thick) * s], radius=thick * s / 2, fill=colour)
        y += thick + 3 + t * 8
        band += 1
    # Faint ripples over the whole lake.
    for _ in range(120):
        x = rng.random() * kPictureWidth
        ry = lake_top + 8 + rng.random() * (lake_bottom - lake_top - 12)
        length = 8 + rng.random() * 26
        t = (ry - lake_top) / (lake_bottom - lake_top)
        colour = Mix((236, 150, 140), (96, 70, 150), t)
        draw.line([(x - length / 2) * s, ry * s, (x + length / 2) * s, ry * s], fill=colour, width=s)

    # The near shore: a green hill across the bottom.
    shore = [(0, 500), (60, 492), (140, 512), (230, 532), (320, 522), (390, 502), (500, 494),
             (500, 600), (0, 600)]
    grass = VerticalGradient((w, 110 * s), [(0.0, (70, 150, 70)), (1.0, (22, 70, 40))])
    shore_mask = Image.new("L", (w, h), 0)
    ImageDraw.Draw(shore_mask).polygon([(x * s, y * s) for x, y in shore], fill=255)
    grass_layer = Image.new("RGB", (w, h))
    grass_layer.paste(grass, (0, 490 * s))
    canvas.paste(grass_layer, (0, 0), shore_mask)
    # Blades of grass along the hill.
    for _ in range(260):
        x = rng.random() * kPictureWidth
        top = ShoreY(shore, x)
        y0 = top + 4 + rng.random() * (600 - top)
        length = 5 + rng.random() * 8
        lean = (rng.random() - 0.5) * 6
        colour = Mix((110, 190, 90), (30, 90, 46), (y0 - top) / (600 - top))
        draw.line([x * s, y0 * s, (x + lean) * s, (y0 - length) * s], fill=colour, width=s + 1)

    # A pine tree on the left, drawn as stacked triangles.
    tx, ty = 78, 496
    draw.rectangle([(tx - 6) * s, (ty - 20) * s, (tx + 6) * s, (ty + 10) * s], fill=(70, 40, 30))
    for k, (half, top, bottom) in enumerate([(46, 380, 480), (38, 340, 430), (30, 300, 384), (20, 266, 334)]):
        colour = Mix((26, 96, 60), (44, 132, 74), k / 3)
        draw.polygon([((tx - half) * s, bottom * s), (tx * s, top * s), ((tx + half) * s, bottom * s)], fill=colour)
    draw.polygon([((tx + 6) * s, 300 * s), (tx * s, 266 * s), (tx * s, 334 * s)], fill=(64, 150, 86))

    # A small house on the right, its window lit.
    hx, hy = 390, 500  # bottom-left corner
    draw.rectangle([hx * s, (hy - 52) * s, (hx + 72) * s, hy * s], fill=(238, 222, 196))
    draw.polygon([((hx - 10) * s, (hy - 50) * s), ((hx + 36) * s, (hy - 92) * s),
                  ((hx + 82) * s, (hy - 50) * s)], fill=(196, 44, 52))
    draw.rectangle([(hx + 54) * s, (hy - 96) * s, (hx + 64) * s, (hy - 70) * s], fill=(120, 60, 50))
    draw.rectangle([(hx + 10) * s, (hy - 38) * s, (hx + 30) * s, (hy - 18) * s], fill=(255, 214, 90))
    draw.line([(hx + 20) * s, (hy - 38) * s, (hx + 20) * s, (hy - 18) * s], fill=(120, 60, 50), width=2 * s)
    draw.line([(hx + 10) * s, (hy - 28) * s, (hx + 30) * s, (hy - 28) * s], fill=(120, 60, 50), width=2 * s)
    draw.rectangle([(hx + 42) * s, (hy - 36) * s, (hx + 60) * s, hy * s], fill=(110, 62, 44))

    # Flowers in the grass: bold dots in bright colours.
    for _ in range(40):
        x = 10 + rng.random() * (kPictureWidth - 20)
        top = ShoreY(shore, x)
        y = top + 12 + rng.random() * (600 - top - 18)
        r = 2.5 + rng.random() * 2.5
        colour = [(255, 80, 90), (255, 220, 70), (250, 250, 255), (200, 110, 255)][int(rng.random() * 4)]
        draw.ellipse([(x - r) * s, (y - r) * s, (x + r) * s, (y + r) * s], fill=colour)

    return canvas.resize((kPictureWidth, kPictureHeight), Image.LANCZOS)


def ShoreY(shore, x):
    """Height of the shore line at x (the top edge of the hill polygon)."""
    top = shore[:-2]
    for (x0, y0), (x1, y1) in zip(top, top[1:]):
        if x0 <= x <= x1:
            return y0 + (y1 - y0) * (x - x0) / (x1 - x0)
    return top[-1][1]


def EncodeJpeg(image, quality):
    out = io.BytesIO()
    # Pillow writes a JFIF APP0 segment and no EXIF or ICC profile unless asked.
    image.save(out, "JPEG", quality=quality, subsampling=kJpegSubsampling,
               progressive=False, optimize=False)
    return out.getvalue()


def MakeBuiltinPicture():
    data = EncodeJpeg(DrawPicture(), kJpegQuality)
    # The picture is meant to weigh about as much as a photograph of its size.
    if not 60 * 1024 <= len(data) <= 68 * 1024:
        raise SystemExit(f"builtin_picture.jpg is {len(data)} bytes; retune kJpegQuality")
    return data


# ---------------------------------------------------------------------------
# Program icon: 48 x 48, 32 bits per pixel, a mosaic of coloured cells.
# ---------------------------------------------------------------------------

kIconSize = 48


def DrawIcon():
    s = 8
    size = kIconSize * s
    icon = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    draw = ImageDraw.Draw(icon)
    draw.rounded_rectangle([1 * s, 1 * s, 47 * s - 1, 47 * s - 1], radius=9 * s, fill=(28, 24, 56, 255))
    # A 6 x 6 mosaic, the built-in picture in miniature: a sun setting behind
    # mountains, green hills and its reflection in the lake.
    colours = {
        "a": (56, 42, 140), "b": (156, 58, 164), "c": (226, 78, 120),
        "Y": (255, 226, 90), "O": (255, 160, 60), "M": (88, 44, 124),
        "G": (76, 176, 84), "W": (56, 110, 210), "R": (255, 176, 80),
    }
    cells = [
        "aaaaaa",
        "bbYYbb",
        "cYYYYc",
        "MMOOMM",
        "GGGGGG",
        "WWRRWW",
    ]
    cell, gap, origin = 6, 1, 3.5
    for row, line in enumerate(cells):
        for col, key in enumerate(line):
            x0 = origin + col * (cell + gap)
            y0 = origin + row * (cell + gap)
            draw.rounded_rectangle([x0 * s, y0 * s, (x0 + cell) * s - 1, (y0 + cell) * s - 1],
                                   radius=1.5 * s, fill=colours[key] + (255,))
    return icon.resize((kIconSize, kIconSize), Image.LANCZOS)


def EncodeIco(image):
    width, height = image.size
    pixels = image.load()
    xor = bytearray()
    mask = bytearray()
    mask_stride = ((width + 31) // 32) * 4
    for y in range(height - 1, -1, -1):  # DIB rows run bottom-up
        bits = bytearray(mask_stride)
        for x in range(width):
            r, g, b, a = pixels[x, y]
            if a == 0:
                r = g = b = 0
                bits[x // 8] |= 0x80 >> (x % 8)
            xor += bytes((b, g, r, a))
        mask += bits
    # The header's height counts the colour rows and the mask rows together.
    header = struct.pack("<IiiHHIIiiII", 40, width, 2 * height, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image_bytes = header + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", width, height, 0, 0, 1, 32, len(image_bytes), 6 + 16)
    return directory + entry + image_bytes


def MakeProgramIcon():
    icon = DrawIcon()
    return EncodeIco(icon), icon


# ---------------------------------------------------------------------------
# Link picture: 21 x 21 GIF89a, a globe, 16-colour palette, index 15 transparent.
# ---------------------------------------------------------------------------

kLinkSize = 21
kTransparentIndex = 15
# The picture box's button-face colour, so that a reader that ignores the
# transparency still shows the background it would have let through.
kButtonFace = (240, 240, 240)


# Fifteen colours of the globe; index 15 is the transparent one.
kGlobePalette = [
    (24, 58, 130), (60, 96, 160), (132, 152, 196), (196, 204, 222),  # rim and its blends
    (104, 178, 240), (74, 150, 230), (44, 118, 210), (30, 96, 190),  # ocean, light to dark
    (110, 200, 100), (64, 172, 72), (40, 134, 56),  # land, light to dark
    (240, 248, 255), (176, 214, 246),  # glint
    (70, 158, 150), (255, 255, 255),  # where land meets ocean; spare
]


def NearestColour(palette, colour):
    return min(range(len(palette)), key=lambda i: sum((palette[i][k] - colour[k]) ** 2 for k in range(3)))


def DrawGlobe():
    """Returns the globe as 21 x 21 palette indices (row by row) and its palette."""
    s = 8
    # The globe fills the top-left 20 x 20: the box shows no more than that.
    size = 20 * s
    globe = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    draw = ImageDraw.Draw(globe)
    draw.ellipse([0.5 * s, 0.5 * s, 19.5 * s, 19.5 * s], fill=(24, 58, 130, 255))
    ocean = VerticalGradient((size, size), [(0.0, (90, 170, 240)), (1.0, (30, 100, 200))])
    inner = Image.new("L", (size, size), 0)
    ImageDraw.Draw(inner).ellipse([1.8 * s, 1.8 * s, 18.2 * s, 18.2 * s], fill=255)
    globe.paste(ocean, (0, 0), inner)
    # Continents: bold green blobs clipped to the disc.
    land = Image.new("L", (size, size), 0)
    land_draw = ImageDraw.Draw(land)
    land_draw.polygon([(4 * s, 5 * s), (8 * s, 3 * s), (10 * s, 6 * s), (8.5 * s, 9 * s),
                       (9 * s, 13 * s), (6.5 * s, 15 * s), (5.5 * s, 11 * s), (3 * s, 9 * s)], fill=255)
    land_draw.polygon([(12 * s, 4 * s), (16 * s, 5.5 * s), (17.5 * s, 9 * s), (15 * s, 10 * s),
                       (14 * s, 13.5 * s), (12.5 * s, 16.5 * s), (11.5 * s, 11 * s), (13 * s, 8 * s)], fill=255)
    land = ImageChops.multiply(land, inner)
    globe.paste(Image.new("RGB", (size, size), (60, 170, 70)), (0, 0), land)
    # A glint at the upper left makes the disc read as a sphere.
    glint = Image.new("L", (size, size), 0)
    ImageDraw.Draw(glint).ellipse([4 * s, 3.2 * s, 7.2 * s, 5.6 * s], fill=255)
    globe.paste(Image.new("RGB", (size, size), (235, 245, 255)), (0, 0), glint)

    small = globe.resize((20, 20), Image.LANCZOS)
    # Edge pixels are blended with the background they will sit on, then every
    # pixel takes the nearest colour of the fixed palette.
    flat = Image.new("RGB", (20, 20), kButtonFace)
    flat.paste(small, (0, 0), small)
    rgb = flat.load()
    alpha = small.getchannel("A").load()
    indices = []
    for y in range(kLinkSize):
        for x in range(kLinkSize):
            if x < 20 and y < 20 and alpha[x, y] >= 48:
                indices.append(NearestColour(kGlobePalette, rgb[x, y]))
            else:
                indices.append(kTransparentIndex)
    palette = b"".join(bytes(c) for c in kGlobePalette) + bytes(kButtonFace)
    return indices, bytes(palette)


def LzwEncode(indices, min_code_size):
    """GIF LZW: codes packed least significant bit first."""
    clear = 1 << min_code_size
    end = clear + 1
    out = bytearray()
    bit_buffer = 0
    bit_count = 0

    def Emit(code, width):
        nonlocal bit_buffer, bit_count
        bit_buffer |= code << bit_count
        bit_count += width
        while bit_count >= 8:
            out.append(bit_buffer & 0xFF)
            bit_buffer >>= 8
            bit_count -= 8

    def Reset():
        return {(i,): i for i in range(clear)}, end + 1, min_code_size + 1

    table, next_code, width = Reset()
    Emit(clear, width)
    current = ()
    for index in indices:
        candidate = current + (index,)
        if candidate in table:
            current = candidate
            continue
        Emit(table[current], width)
        if next_code < 4096:
            table[candidate] = next_code
            next_code += 1
            # The decoder adds each entry one code later than we do, so it
            # widens its codes when our table is one past the power of two.
            if next_code > (1 << width) and width < 12:
                width += 1
        else:
            Emit(clear, width)
            table, next_code, width = Reset()
        current = (index,)
    if current:
        Emit(table[current], width)
    Emit(end, width)
    if bit_count:
        out.append(bit_buffer & 0xFF)
    return bytes(out)


def EncodeGif(width, height, indices, palette):
    assert len(palette) == 16 * 3
    min_code_size = 4
    data = bytearray(b"GIF89a")
    # Global colour table present, 8 bits of colour resolution, 2^(3+1) entries.
    data += struct.pack("<HHBBB", width, height, 0x80 | (7 << 4) | 3, kTransparentIndex, 0)
    data += palette
    # Graphic control extension: no disposal, no delay, transparent index set.
    data += bytes((0x21, 0xF9, 4, 0x01, 0, 0, kTransparentIndex, 0))
    data += b"," + struct.pack("<HHHHB", 0, 0, width, height, 0)
    data.append(min_code_size)
    compressed = LzwEncode(indices, min_code_size)
    for start in range(0, len(compressed), 255):
        chunk = compressed[start:start + 255]
        data.append(len(chunk))
        data += chunk
    data.append(0)
    data += b";"
    return bytes(data)


def MakeLinkPicture():
    indices, palette = DrawGlobe()
    return EncodeGif(kLinkSize, kLinkSize, indices, palette), indices


# ---------------------------------------------------------------------------


def CheckWithPillow(jpeg, ico, icon, gif, gif_indices):
    """Reads the files back, so a fault in the hand-written encoders shows here."""
    with Image.open(io.BytesIO(jpeg)) as image:
        assert image.format == "JPEG" and image.size == (kPictureWidth, kPictureHeight)
        assert image.mode == "RGB" and not image.info.get("progressive")
        assert "exif" not in image.info and "icc_profile" not in image.info
    with Image.open(io.BytesIO(ico)) as image:
        assert image.size == (kIconSize, kIconSize)
        read = image.convert("RGBA").load()
        drawn = icon.load()
        for y in range(kIconSize):
            for x in range(kIconSize):
                assert read[x, y][3] == drawn[x, y][3]
                assert drawn[x, y][3] == 0 or read[x, y] == drawn[x, y]
    with Image.open(io.BytesIO(gif)) as image:
        assert image.size == (kLinkSize, kLinkSize) and image.info.get("transparency") == kTransparentIndex
        assert list(image.getdata()) == gif_indices


def Main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    jpeg = MakeBuiltinPicture()
    ico, icon = MakeProgramIcon()
    gif, gif_indices = MakeLinkPicture()
    CheckWithPillow(jpeg, ico, icon, gif, gif_indices)
    for name, data in [("builtin_picture.jpg", jpeg), ("program_icon.ico", ico), ("link_picture.gif", gif)]:
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
        print(f"{name}: {len(data)} bytes")


if __name__ == "__main__":
    Main()
