#!/usr/bin/env python3
"""Draws our own flat skin in code and writes it as a skin file (".lsk").

usage: make_skin.py OUT.lsk [--manifest FILE] [--resources DIR] [--fixtures DIR]

The skin file is a ZIP archive whose first two bytes are "SK", holding one Deflate member
"SKINDATA.SK2": a container of named bitmaps, integers and bytes. The manifest lists what a
reader must load, one item a line in the reader's order, as `skintool dump` prints it.
--resources writes the two bitmap resources of the engine and an .rc file naming them;
--fixtures writes variants and malformed skin files with a table of expected results.
Standard library only: zlib for raw Deflate, the traditional PKWARE cipher from tools/zip_cipher.py.
"""
import argparse
import os
import random
import struct
import sys
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from zip_cipher import ZipCrypto  # noqa: E402

TRANSPARENT = (255, 0, 255)   # magenta: the corners cut away by the window region


def color_value(rgb):
    """A Windows colour value: red in the low byte."""
    r, g, b = rgb
    return r | (g << 8) | (b << 16)


def hex_rgb(value):
    return tuple(int(value[i:i + 2], 16) for i in (0, 2, 4))


# One accent on light surfaces with thin grey borders.
ACCENT = hex_rgb("2D7DD2")
ACCENT_HOT = hex_rgb("4A93E0")
ACCENT_DOWN = hex_rgb("1F5FA6")
SURFACE = hex_rgb("F4F5F7")
SURFACE_HOT = hex_rgb("E8EEF6")
SURFACE_DOWN = hex_rgb("D6DEEA")
BORDER = hex_rgb("C3C8D0")
TEXT = hex_rgb("1E2329")
MUTED = hex_rgb("9AA1AB")
WHITE = (255, 255, 255)
CLOSE_HOT = hex_rgb("D9443A")


class Picture:
    """A 24-bit picture drawn pixel by pixel; (0, 0) is the top left."""

    def __init__(self, width, height, fill=SURFACE):
        self.width, self.height = width, height
        self.rows = [[fill] * width for _ in range(height)]

    def put(self, x, y, rgb):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.rows[y][x] = rgb

    def fill(self, left, top, right, bottom, rgb):
        for y in range(max(top, 0), min(bottom, self.height)):
            for x in range(max(left, 0), min(right, self.width)):
                self.rows[y][x] = rgb

    def frame(self, left, top, right, bottom, rgb):
        for x in range(left, right):
            self.put(x, top, rgb)
            self.put(x, bottom - 1, rgb)
        for y in range(top, bottom):
            self.put(left, y, rgb)
            self.put(right - 1, y, rgb)

    def line(self, x0, y0, x1, y1, rgb):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.put(x0, y0, rgb)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def vgradient(self, left, top, right, bottom, a, b):
        steps = max(bottom - top - 1, 1)
        for y in range(top, bottom):
            t = (y - top) / steps
            self.fill(left, y, right, y + 1, tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3)))

    def disc(self, cx, cy, radius, rgb):
        for y in range(self.height):
            for x in range(self.width):
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= radius * radius:
                    self.rows[y][x] = rgb

    def paste(self, other, x0, y0):
        for y in range(other.height):
            for x in range(other.width):
                self.put(x0 + x, y0 + y, other.rows[y][x])

    def rounded_top(self, left_corner, right_corner, radius=4):
        """Cuts rounded top corners in the transparent colour."""
        for y in range(radius):
            cut = radius - int(round((radius * radius - (radius - y - 0.5) ** 2) ** 0.5))
            for x in range(cut):
                if left_corner:
                    self.put(x, y, TRANSPARENT)
                if right_corner:
                    self.put(self.width - 1 - x, y, TRANSPARENT)


def strip(cells):
    """Cells of one size side by side."""
    out = Picture(sum(c.width for c in cells), cells[0].height)
    x = 0
    for c in cells:
        out.paste(c, x, 0)
        x += c.width
    return out


def bmp24(picture):
    stride = (picture.width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(picture.rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        pixels += line + b"\0" * (stride - len(line))
    return bmp_file(picture.width, picture.height, 24, b"", bytes(pixels))


def bmp_indexed(picture, palette, bits):
    """A palette picture (1 or 4 bits a pixel); every colour must be in the palette."""
    index = {rgb: i for i, rgb in enumerate(palette)}
    stride = ((picture.width * bits + 31) // 32) * 4
    pixels = bytearray()
    for row in reversed(picture.rows):
        line = bytearray(stride)
        for x, rgb in enumerate(row):
            bit = x * bits
            line[bit // 8] |= index[rgb] << (8 - bits - bit % 8)
        pixels += line
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    table += b"\0\0\0\0" * ((1 << bits) - len(palette))
    return bmp_file(picture.width, picture.height, bits, table, bytes(pixels))


def bmp_file(width, height, bits, palette, pixels):
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(pixels), 2835, 2835,
                       (1 << bits) if bits <= 8 else 0, 0)
    return header + info + palette + pixels


# ---------------------------------------------------------------------------------------------
# The theme

CAPTION_HEIGHT = 30
ACCENT_TOP = hex_rgb("3A88DA")


def caption_piece(width, left_corner=False, right_corner=False):
    p = Picture(width, CAPTION_HEIGHT)
    p.vgradient(0, 0, width, CAPTION_HEIGHT, ACCENT_TOP, ACCENT)
    p.fill(0, CAPTION_HEIGHT - 1, width, CAPTION_HEIGHT, ACCENT_DOWN)
    if left_corner:
        p.fill(0, 0, 1, CAPTION_HEIGHT, ACCENT_DOWN)
    if right_corner:
        p.fill(width - 1, 0, width, CAPTION_HEIGHT, ACCENT_DOWN)
    p.rounded_top(left_corner, right_corner)
    return p


def glyph(kind, p, color):
    """A caption-button glyph centred in a 20 x 18 cell."""
    if kind == "help":
        for x0, y0, x1, y1 in ((7, 5, 12, 5), (12, 5, 12, 8), (12, 8, 10, 9), (10, 9, 10, 10)):
            p.line(x0, y0, x1, y1, color)
        p.put(10, 12, color)
    elif kind == "maximise":
        p.frame(6, 4, 15, 13, color)
        p.fill(6, 5, 15, 6, color)
    elif kind == "restore":
        p.frame(8, 3, 16, 10, color)
        p.fill(5, 6, 13, 14, ACCENT_TOP if color == WHITE else p.rows[0][0])
        p.frame(5, 6, 13, 14, color)
    elif kind == "minimise":
        p.fill(6, 12, 15, 14, color)
    else:   # close
        p.line(6, 4, 14, 12, color)
        p.line(14, 4, 6, 12, color)
        p.line(7, 4, 15, 12, color)
        p.line(15, 4, 7, 12, color)


def title_buttons():
    cells = []
    for kind in ("system", "help", "maximise", "restore", "minimise", "close"):
        for state in range(3):
            c = Picture(20, 18, TRANSPARENT)
            if state:
                hot = CLOSE_HOT if kind == "close" else ACCENT_HOT
                c.fill(1, 1, 19, 17, hot if state == 1 else ACCENT_DOWN)
            if kind != "system":
                glyph(kind, c, WHITE)
            else:
                c.fill(6, 6, 14, 12, WHITE)
            cells.append(c)
    return strip(cells)


def push_button():
    cells = []
    for face, edge in ((SURFACE, BORDER), (SURFACE_HOT, ACCENT), (SURFACE_DOWN, ACCENT_DOWN)):
        c = Picture(24, 22, TRANSPARENT)
        c.fill(1, 1, 23, 21, face)
        c.frame(0, 1, 24, 21, edge)
        c.frame(1, 0, 23, 22, edge)
        cells.append(c)
    return strip(cells)


def check_cell(state, enabled):
    c = Picture(13, 13, TRANSPARENT)
    box = ACCENT if enabled else MUTED
    c.fill(0, 0, 13, 13, WHITE if state == "unchecked" else box)
    c.frame(0, 0, 13, 13, BORDER if state == "unchecked" else box)
    if state == "checked":
        c.line(3, 6, 5, 8, WHITE)
        c.line(5, 8, 9, 4, WHITE)
        c.line(3, 7, 5, 9, WHITE)
        c.line(5, 9, 9, 5, WHITE)
    elif state == "grayed":
        c.fill(3, 6, 10, 8, WHITE)
    return c


def radio_cell(checked, enabled):
    c = Picture(13, 13, TRANSPARENT)
    ring = (ACCENT if enabled else MUTED) if checked else BORDER
    c.disc(6.5, 6.5, 6.5, ring)
    c.disc(6.5, 6.5, 5.5, WHITE)
    if checked:
        c.disc(6.5, 6.5, 3.0, ring)
    return c


def arrow_button(up):
    cells = []
    for face in (SURFACE, SURFACE_HOT, SURFACE_DOWN):
        c = Picture(17, 17, face)
        c.frame(0, 0, 17, 17, BORDER)
        for i in range(4):
            y = (6 + i) if up else (10 - i)
            c.fill(8 - i, y, 9 + i, y + 1, TEXT)
        cells.append(c)
    return strip(cells)


def thumb():
    t = Picture(17, 33, TRANSPARENT)
    t.fill(1, 0, 16, 33, hex_rgb("C9CED6"))
    t.fill(0, 1, 17, 32, hex_rgb("C9CED6"))
    for y in (14, 16, 18):   # grip lines in the middle piece
        t.fill(5, y, 12, y + 1, hex_rgb("A7AEB8"))
    return t


def tabs():
    cells = []
    for selected in (True, False):
        c = Picture(30, 22, SURFACE if selected else hex_rgb("E4E7EC"))
        c.frame(0, 0, 30, 23 if selected else 22, BORDER)
        if selected:
            c.fill(1, 0, 29, 2, ACCENT)
        cells.append(c)
    return strip(cells)


def progress(kind):
    p = Picture(3 if kind in (1, 4) else 8, 14, hex_rgb("E4E7EC"))
    p.fill(0, 0, p.width, 1, BORDER)
    p.fill(0, 13, p.width, 14, BORDER)
    if kind == 1:
        p.fill(0, 0, 1, 14, BORDER)
    if kind == 4:
        p.fill(2, 0, 3, 14, BORDER)
    if kind == 3:
        p.fill(0, 1, 8, 13, ACCENT)
    return p


def checked_menu_icon():
    c = Picture(16, 16, WHITE)
    c.line(4, 8, 7, 11, TEXT)
    c.line(7, 11, 12, 5, TEXT)
    c.line(4, 9, 7, 12, TEXT)
    c.line(7, 12, 12, 6, TEXT)
    return c


def bitmaps():
    """The 34 bitmap keys in table order."""
    caption_mid = caption_piece(20)
    bottom = Picture(6, 4, ACCENT)
    bottom.fill(0, 0, 6, 1, ACCENT_DOWN)
    side = Picture(4, 30, ACCENT)
    side.fill(0, 0, 1, 30, ACCENT_DOWN)
    right_side = Picture(4, 30, ACCENT)
    right_side.fill(3, 0, 4, 30, ACCENT_DOWN)
    minimised = caption_piece(160, True, True)
    menubar = Picture(10, 20)
    menubar.vgradient(0, 0, 10, 20, WHITE, SURFACE)
    toolbar = Picture(10, 26)
    toolbar.vgradient(0, 0, 10, 26, WHITE, hex_rgb("E9ECF0"))
    track = Picture(20, 6, BORDER)
    track.fill(1, 1, 19, 5, hex_rgb("E4E7EC"))
    for x, y in ((0, 0), (19, 0), (0, 5), (19, 5)):
        track.put(x, y, TRANSPARENT)   # recoloured to the form colour when the skin loads
    slider = Picture(11, 20, TRANSPARENT)
    slider.fill(0, 0, 11, 16, ACCENT)
    for i in range(4):
        slider.fill(i + 1, 16 + i, 10 - i, 17 + i, ACCENT)
    vslider = Picture(20, 11, TRANSPARENT)
    vslider.fill(0, 0, 16, 11, ACCENT)
    for i in range(4):
        vslider.fill(16 + i, i + 1, 17 + i, 10 - i, ACCENT)
    line = Picture(10, 2, BORDER)
    line.fill(0, 1, 10, 2, WHITE)
    channel_bar = Picture(10, 20, SURFACE)
    channel_bar.frame(0, 0, 10, 20, BORDER)
    channel_title = caption_piece(10)
    scroll_button = strip([Picture(16, 16, f) for f in (SURFACE, SURFACE_HOT, SURFACE_DOWN)])
    return [
        ("SKIN2_TITLEBAR1", caption_piece(40, left_corner=True)),
        ("SKIN2_TITLEBAR2", caption_mid),
        ("SKIN2_TITLEBAR3", caption_piece(40, right_corner=True)),
        ("SKIN2_TITLEBAR4", caption_piece(20)),
        ("SKIN2_TITLEBAR5", caption_piece(40, right_corner=True)),
        ("SKIN2_FORMLEFTBORDER", side),
        ("SKIN2_FORMRIGHTBORDER", right_side),
        ("SKIN2_FORMBOTTOMBORDER1", bottom),
        ("SKIN2_FORMBOTTOMBORDER2", bottom),
        ("SKIN2_FORMBOTTOMBORDER3", bottom),
        ("SKIN2_MINIMIZEDTITLE", minimised),
        ("SKIN2_TITLEBUTTONS", title_buttons()),
        ("SKIN2_CHECKEDMENUICON", checked_menu_icon()),
        ("SKIN2_MENUBAR", menubar),
        ("SKIN2_TOOLBAR", toolbar),
        ("SKIN2_BUTTON", push_button()),
        ("SKIN2_CHECKBOX", strip([check_cell(s, e) for e in (True, False)
                                  for s in ("checked", "grayed", "unchecked")])),
        ("SKIN2_CHECKBOXLIST", strip([check_cell("checked", True), check_cell("unchecked", True)])),
        ("SKIN2_RADIOBUTTON", strip([radio_cell(c, e) for e in (True, False) for c in (True, False)])),
        ("SKIN2_PROGRESSBAR1", progress(1)),
        ("SKIN2_PROGRESSBAR2", progress(2)),
        ("SKIN2_PROGRESSBAR3", progress(3)),
        ("SKIN2_PROGRESSBAR4", progress(4)),
        ("SKIN2_TRACKBAR", track),
        ("SKIN2_TRACKBARSLIDER", slider),
        ("SKIN2_TRACKBARVSLIDER", vslider),
        ("SKIN2_SCROLLBARUPBUTTON", arrow_button(True)),
        ("SKIN2_SCROLLBAR", thumb()),
        ("SKIN2_SCROLLBARDOWNBUTTON", arrow_button(False)),
        ("SKIN2_TABCONTROL", tabs()),
        ("SKIN2_TABCONTROLLINE", line),
        ("SKIN2_SIDECHANNELBAR", channel_bar),
        ("SKIN2_SIDECHANNELTITLE", channel_title),
        ("SKIN2_SCROLLBUTTON", scroll_button),
    ]


def colours():
    c = color_value
    return [
        ("SKIN2_TRANSCOLOR", c(TRANSPARENT)), ("SKIN2_TITLEFONTCOLOR", c(WHITE)), ("SKIN2_FORMCOLOR", c(SURFACE)),
        ("SKIN2_MENUBARSTARTCOLOR", c(WHITE)), ("SKIN2_MENUBARENDCOLOR", c(SURFACE)),
        ("SKIN2_TOPSELECTEDMENUCOLOR", c(SURFACE_HOT)), ("SKIN2_TOPSELECTEDMENUBORDERCOLOR", c(ACCENT)),
        ("SKIN2_TOPSELECTEDMENUFONTCOLOR", c(TEXT)), ("SKIN2_TOPMENUFONTCOLOR", c(TEXT)),
        ("SKIN2_LEFTBARSTARTCOLOR", c(SURFACE)), ("SKIN2_LEFTBARENDCOLOR", c(hex_rgb("E4E7EC"))),
        ("SKIN2_MENUITEMCOLOR", c(WHITE)), ("SKIN2_MENUITEMFONTCOLOR", c(TEXT)),
        ("SKIN2_SELECTEDMENUCOLOR", c(SURFACE_HOT)), ("SKIN2_SELECTEDMENUBORDERCOLOR", c(ACCENT)),
        ("SKIN2_SELECTEDMENUFONTCOLOR", c(TEXT)), ("SKIN2_TOOLBARSTARTCOLOR", c(WHITE)),
        ("SKIN2_TOOLBARENDCOLOR", c(hex_rgb("E9ECF0"))), ("SKIN2_TOOLBARONCOLOR", c(SURFACE_HOT)),
        ("SKIN2_TOOLBARBORDERCOLOR", c(ACCENT)), ("SKIN2_TOOLBARDOWNCOLOR", c(SURFACE_DOWN)),
        ("SKIN2_CONTROLCOLOR", c(WHITE)), ("SKIN2_CONTROLBORDERCOLOR", c(BORDER)),
        ("SKIN2_CONTROLFONTCOLOR", c(TEXT)), ("SKIN2_BUTTONFONTCOLOR", c(TEXT)),
        ("SKIN2_SCROLLBARCOLOR", c(hex_rgb("EEF0F3"))), ("SKIN2_TABCONTROLCOLOR", c(SURFACE)),
        ("SKIN2_TABCONTROLBORDERCOLOR", c(BORDER)), ("SKIN2_TABCONTROLACTIVEFONTCOLOR", c(TEXT)),
        ("SKIN2_TABCONTROLINACTIVEFONTCOLOR", c(MUTED)), ("SKIN2_SIDECHANNELCOLOR", c(SURFACE)),
        ("SKIN2_SIDECHANNELBORDERCOLOR", c(BORDER)),
    ]


POSITIONS = [
    ("SKIN2_TITLEBARICONPOSX", 8), ("SKIN2_TITLEBARICONPOSY", 7), ("SKIN2_TITLEBARCAPTIONTOP", 8),
    ("SKIN2_TITLEBARBUTTONPOSX", 6), ("SKIN2_TITLEBARBUTTONPOSY", 6), ("SKIN2_TITLEBARREGIONMINY", 0),
    ("SKIN2_TITLEBARREGIONMAXY", 3), ("SKIN2_BOTTOMREGIONMINY", -1), ("SKIN2_BOTTOMREGIONMAXY", -1),
]

BOOLEANS = [
    ("SKIN2_TITLEFIVESECT", 0), ("SKIN2_BOTTOMBORDERTHREESECT", 1), ("SKIN2_TITLEBARNEEDREGION", 1),
    ("SKIN2_BOTTOMBORDERNEEDREGION", 0), ("SKIN2_TITLEBTNTRANS", 1), ("SKIN2_BUTTONTRANS", 1),
    ("SKIN2_CHECKBOXTRANS", 1), ("SKIN2_RADIOBUTTONTRANS", 1), ("SKIN2_TABCONTROLTRANS", 0),
]


# ---------------------------------------------------------------------------------------------
# The container and the archive

KIND_BITMAP, KIND_INTEGER, KIND_BYTE, KIND_TEXT = 0, 1, 2, 3


def entry(name, kind, data):
    """(name bytes, kind, data bytes); the name is stored in 64 bytes, zero-ended when shorter."""
    return (name.encode("ascii") if isinstance(name, str) else name, kind, data)


def theme_entries():
    items = [entry(n, KIND_BITMAP, bmp24(p)) for n, p in bitmaps()]
    items += [entry(n, KIND_INTEGER, struct.pack("<i", v)) for n, v in colours() + POSITIONS]
    items += [entry(n, KIND_BYTE, bytes((v,))) for n, v in BOOLEANS]
    return items


def container(items, header_length=24):
    """Header, then each entry followed by its data; a terminator entry closes the chain."""
    out = bytearray(b"LumSkinData2" + struct.pack("<III", header_length, 0, 24))
    for name, kind, data in items:
        here = len(out)
        data_offset = here + 77
        next_offset = data_offset + len(data)
        out += name[:64].ljust(64, b"\0") + struct.pack("<BIII", kind, data_offset, len(data), next_offset)
        out += data
    out += b"\0" * 64 + struct.pack("<BIII", 0, 0, 0, 0)
    return bytes(out)


def raw_deflate(data, level=9):
    c = zlib.compressobj(level, zlib.DEFLATED, -15)
    return c.compress(data) + c.flush()


DOS_TIME, DOS_DATE = (12 << 11) | (30 << 5), ((2026 - 1980) << 9) | (12 << 5) | 10


class Member:
    def __init__(self, name, data, packed=None, method=8, password=None, descriptor=False,
                 extra=b"", comment=b"", recorded_size=None, seed=1):
        self.name = name.encode("ascii") if isinstance(name, str) else name
        self.crc = zlib.crc32(data) & 0xFFFFFFFF
        self.size = len(data) if recorded_size is None else recorded_size
        self.method, self.extra, self.comment = method, extra, comment
        self.flags = (1 if password else 0) | (8 if descriptor else 0)
        body = raw_deflate(data) if packed is None else packed
        if password:
            check = (DOS_TIME << 16) if descriptor else self.crc
            rng = random.Random(seed)
            head = bytes(rng.randrange(256) for _ in range(11)) + bytes(((check >> 24) & 0xFF,))
            body = ZipCrypto(password.encode("ascii")).encrypt(head + body)
        self.body = body


def archive(members, magic=b"SK", comment=b"", cd_offset_delta=0):
    out = bytearray()
    central = bytearray()
    for m in members:
        offset = len(out)
        out += magic + b"\x03\x04" if not out else b"PK\x03\x04"
        out += struct.pack("<HHHHHIIIHH", 20, m.flags, m.method, DOS_TIME, DOS_DATE, m.crc, len(m.body),
                           m.size, len(m.name), 0)
        out += m.name + m.body
        central += b"PK\x01\x02" + struct.pack("<HHHHHHIIIHHHHHII", 20, 20, m.flags, m.method, DOS_TIME,
                                                DOS_DATE, m.crc, len(m.body), m.size, len(m.name),
                                                len(m.extra), len(m.comment), 0, 0, 0x20, offset)
        central += m.name + m.extra + m.comment
    cd_offset = len(out)
    out += central
    out += b"PK\x05\x06" + struct.pack("<HHHHIIH", 0, 0, len(members), len(members), len(central),
                                       cd_offset + cd_offset_delta, len(comment)) + comment
    return bytes(out)


MEMBER = "SKINDATA.SK2"


def manifest(items):
    """What a reader loads, in its list order (bitmaps, integers, bytes, texts); first name wins."""
    lists = {KIND_BITMAP: [], KIND_INTEGER: [], KIND_BYTE: [], KIND_TEXT: []}
    for name, kind, data in items:
        n = name.split(b"\0")[0][:64].decode("latin-1")
        if kind == KIND_BITMAP:
            w, h = struct.unpack("<ii", data[18:26])
            lists[kind].append("bitmap\t%s\t%d\t%d" % (n, w, abs(h)))
        elif kind == KIND_INTEGER:
            lists[kind].append("integer\t%s\t%d" % (n, struct.unpack("<i", data.ljust(4, b"\0"))[0]))
        elif kind == KIND_BYTE:
            lists[kind].append("byte\t%s\t%d" % (n, data[0] if data else 0))
        elif kind == KIND_TEXT:
            lists[kind].append("text\t%s\t%s" % (n, data.decode("latin-1")))
    lines = lists[KIND_BITMAP] + lists[KIND_INTEGER] + lists[KIND_BYTE] + lists[KIND_TEXT]
    return "".join(line + "\n" for line in lines)


# ---------------------------------------------------------------------------------------------
# Resources of the engine

def menu_checked_resource():
    palette = [WHITE, TEXT, MUTED]
    return bmp_indexed(checked_menu_icon(), palette, 4)


def mdi_controls_resource():
    """Minimise, restore and close glyphs in three 16-pixel cells, one bit a pixel."""
    black, white = (0, 0, 0), WHITE
    p = Picture(48, 16, white)
    p.fill(4, 11, 12, 13, black)                       # minimise
    p.frame(21, 3, 29, 9, black)                       # restore: back window
    p.fill(19, 6, 27, 13, white)
    p.frame(19, 6, 27, 13, black)
    p.fill(19, 6, 27, 7, black)
    for d in (0, 1):                                   # close
        p.line(36 + d, 4, 43 + d, 11, black)
        p.line(43 + d, 4, 36 + d, 11, black)
    return bmp_indexed(p, [black, white], 1)


def write_resources(folder):
    os.makedirs(folder, exist_ok=True)
    files = {"LUMSKIN_MENU_CHECKED": "lumskin_menu_checked.bmp",
             "LUMSKIN_MDI_CONTROLER": "lumskin_mdi_controler.bmp"}
    write(os.path.join(folder, files["LUMSKIN_MENU_CHECKED"]), menu_checked_resource())
    write(os.path.join(folder, files["LUMSKIN_MDI_CONTROLER"]), mdi_controls_resource())
    rc = "".join('%s BITMAP "%s"\n' % (name, os.path.join(folder, f).replace("\\", "/"))
                 for name, f in files.items())
    write_if_changed(os.path.join(folder, "skin_resources.rc"), rc.encode("ascii"))


# ---------------------------------------------------------------------------------------------
# Fixtures: variants that load, and damaged files with what the reader must say

READ_FAILED = "Failed to read skin file!"
WRONG_PASSWORD = "Wrong password!"


def fixture_files(items, plain):
    """(file name, password, bytes, expected): expected is a manifest text or a message."""
    data = container(items)
    good = manifest(items)
    dyn = raw_deflate(data)
    fixtures = [
        ("plain.lsk", "", archive([Member(MEMBER, data)]), good),
        ("password.lsk", "skin-pass", archive([Member(MEMBER, data, password="skin-pass")]), good),
        ("password_descriptor.lsk", "skin-pass",
         archive([Member(MEMBER, data, password="skin-pass", descriptor=True, seed=2)]), good),
        ("stored_blocks.lsk", "", archive([Member(MEMBER, data, packed=raw_deflate(data, 0), method=0)]), good),
        ("lower_case_member.lsk", "", archive([Member(MEMBER.lower(), data)]), good),
        ("earlier_entry.lsk", "",
         archive([Member("readme.txt", b"our own flat skin\r\n", extra=b"\x55\x54\x05\x00\x01\x00\x00\x00\x00",
                         comment=b"a note"), Member(MEMBER, data)]), good),
        ("long_name_entry.lsk", "", archive([Member("n" * 300, b"x"), Member(MEMBER, data)]), good),
        ("terminator_only.lsk", "", archive([Member(MEMBER, container([]))]), ""),
    ]
    extras = [
        entry("SKIN2_FORMCOLOR", KIND_INTEGER, struct.pack("<i", 0x123456)),
        entry("skin2_formcolor", KIND_INTEGER, struct.pack("<i", 7)),    # a second one: the first wins
        entry("SKIN2_TITLEBARICONPOSX", KIND_INTEGER, struct.pack("<h", 300)),   # shorter than 4 bytes
        entry("SKIN2_TITLEBTNTRANS", KIND_BYTE, b""),
        entry("NAME", KIND_TEXT, "Our flat skin".encode("ascii")),
        entry("SKIPPED", 9, b"unknown kind"),
        entry("L" * 64, KIND_BYTE, b"\x05"),                              # 64 bytes, no zero
        entry("SKIN2_BUTTON", KIND_BITMAP, bmp24(push_button())),
    ]
    fixtures.append(("container_extras.lsk", "", archive([Member(MEMBER, container(extras))]),
                     manifest([e for e in extras if e[1] != 9])))

    def damaged_container(mutate):
        d = bytearray(data)
        mutate(d)
        return archive([Member(MEMBER, bytes(d))])

    first_entry = 24
    second_entry = first_entry + 77 + len(items[0][2])

    def set32(d, at, value):
        d[at:at + 4] = struct.pack("<I", value)

    plain_end = len(plain) - 22
    bad = [
        ("missing.lsk", "", None, READ_FAILED),
        ("ordinary_zip.lsk", "", b"PK" + plain[2:], READ_FAILED),
        ("with_comment.lsk", "", archive([Member(MEMBER, data)], comment=b"hello"), READ_FAILED),
        ("too_short.lsk", "", b"SK\x03\x04" + b"\0" * 10, READ_FAILED),
        ("no_end_record.lsk", "", plain[:-22] + b"\0" * 22, READ_FAILED),
        ("member_missing.lsk", "", archive([Member("OTHER.SK2", data)]), READ_FAILED),
        ("encrypted_no_password.lsk", "", archive([Member(MEMBER, data, password="skin-pass")]), WRONG_PASSWORD),
        ("wrong_password.lsk", "other", archive([Member(MEMBER, data, password="skin-pass", seed=3)]),
         WRONG_PASSWORD),
        ("directory_past_end.lsk", "", archive([Member(MEMBER, data)], cd_offset_delta=100000), READ_FAILED),
        ("directory_into_end_record.lsk", "",
         plain[:plain_end - 46 - len(MEMBER) + 28] + b"\xFF\xFF" + plain[plain_end - 46 - len(MEMBER) + 30:],
         READ_FAILED),
        ("local_header_outside.lsk", "",
         plain[:plain_end - len(MEMBER) - 4] + struct.pack("<I", 0x7FFFFFF0) + plain[plain_end - len(MEMBER):],
         READ_FAILED),
        ("reserved_block_type.lsk", "", archive([Member(MEMBER, data, packed=b"\x07" + dyn[1:])]), READ_FAILED),
        ("truncated_data.lsk", "", archive([Member(MEMBER, data, packed=dyn[:20])]), READ_FAILED),
        ("size_larger_than_recorded.lsk", "", archive([Member(MEMBER, data, recorded_size=len(data) - 1)]),
         WRONG_PASSWORD),
        ("size_smaller_than_recorded.lsk", "", archive([Member(MEMBER, data, recorded_size=len(data) + 1)]),
         WRONG_PASSWORD),
        ("size_above_cap.lsk", "", archive([Member(MEMBER, data, recorded_size=65 * 1024 * 1024)]), READ_FAILED),
        ("empty_member.lsk", "", archive([Member(MEMBER, b"")]), READ_FAILED),
        ("header_length_25.lsk", "", damaged_container(lambda d: set32(d, 12, 25)), READ_FAILED),
        ("first_entry_outside.lsk", "", damaged_container(lambda d: set32(d, 20, len(data) + 10)), READ_FAILED),
        ("entry_loop.lsk", "", damaged_container(lambda d: set32(d, second_entry + 73, first_entry)), READ_FAILED),
        ("data_outside.lsk", "", damaged_container(lambda d: set32(d, first_entry + 65, len(data) - 3)),
         READ_FAILED),
        ("data_size_huge.lsk", "", damaged_container(lambda d: set32(d, first_entry + 69, 0xFFFFFFF0)),
         READ_FAILED),
        ("integer_size_8.lsk", "", archive([Member(MEMBER, container([entry("SKIN2_FORMCOLOR", KIND_INTEGER,
                                                                            b"\0" * 8)]))]), READ_FAILED),
        ("byte_size_2.lsk", "", archive([Member(MEMBER, container([entry("SKIN2_BUTTONTRANS", KIND_BYTE,
                                                                         b"\1\1")]))]), READ_FAILED),
        ("bitmap_not_bmp.lsk", "", archive([Member(MEMBER, container([entry("SKIN2_BUTTON", KIND_BITMAP,
                                                                            b"BM" + b"\0" * 60)]))]),
         READ_FAILED),
        ("bitmap_cut.lsk", "", archive([Member(MEMBER, container([entry("SKIN2_BUTTON", KIND_BITMAP,
                                                                        bmp24(push_button())[:200])]))]),
         READ_FAILED),
    ]
    return fixtures, bad


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def write_if_changed(path, data):
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return
    except OSError:
        pass
    write(path, data)


def write_fixtures(folder, items, plain):
    os.makedirs(folder, exist_ok=True)
    fixtures, bad = fixture_files(items, plain)
    table = []
    for name, password, data, expected in fixtures:
        write(os.path.join(folder, name), data)
        manifest_name = name[:-4] + ".manifest"
        write(os.path.join(folder, manifest_name), expected.encode("latin-1"))
        table.append("%s\t%s\tok\t%s" % (name, password, manifest_name))
    for name, password, data, message in bad:
        if data is None:
            if os.path.exists(os.path.join(folder, name)):
                os.remove(os.path.join(folder, name))
        else:
            write(os.path.join(folder, name), data)
        table.append("%s\t%s\tfail\t%s" % (name, password, message))
    # One line a file: name, password, "ok" and its manifest, or "fail" and the message.
    write(os.path.join(folder, "fixtures.txt"), ("\n".join(table) + "\n").encode("ascii"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output")
    parser.add_argument("--manifest")
    parser.add_argument("--resources")
    parser.add_argument("--fixtures")
    args = parser.parse_args()
    items = theme_entries()
    plain = archive([Member(MEMBER, container(items))])
    write(args.output, plain)
    if args.manifest:
        write(args.manifest, manifest(items).encode("ascii"))
    if args.resources:
        write_resources(args.resources)
    if args.fixtures:
        write_fixtures(args.fixtures, items, plain)


if __name__ == "__main__":
    main()
