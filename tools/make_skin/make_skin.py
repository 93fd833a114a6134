#!/usr/bin/env python3
"""Draws our own flat skins in code and writes one as a skin file (".lsk").

usage: make_skin.py OUT.lsk [--skin NAME] [--manifest FILE] [--resources DIR] [--fixtures DIR]

--skin picks the skin: "default" (blue, the programs' own), "slate", "jade", or "probe", whose
frame parts are each one solid colour of their own so that tests can tell them apart on screen.

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


WHITE = (255, 255, 255)


class Theme:
    """A skin's palette and shapes: one accent on light surfaces with thin borders."""

    def __init__(self, name, accent, accent_hot, accent_down, accent_top, surface, surface_hot, surface_down,
                 border, text, muted, close_hot, track, toolbar_end, thumb, grip, scroll,
                 caption_height=30, corner_radius=4, side_width=4, bottom_height=4, round_buttons=False):
        self.name = name
        self.accent, self.accent_hot, self.accent_down, self.accent_top = (
            hex_rgb(accent), hex_rgb(accent_hot), hex_rgb(accent_down), hex_rgb(accent_top))
        self.surface, self.surface_hot, self.surface_down = (
            hex_rgb(surface), hex_rgb(surface_hot), hex_rgb(surface_down))
        self.border, self.text, self.muted, self.close_hot = (
            hex_rgb(border), hex_rgb(text), hex_rgb(muted), hex_rgb(close_hot))
        self.track, self.toolbar_end = hex_rgb(track), hex_rgb(toolbar_end)
        self.thumb, self.grip, self.scroll = hex_rgb(thumb), hex_rgb(grip), hex_rgb(scroll)
        self.caption_height, self.corner_radius = caption_height, corner_radius
        self.side_width, self.bottom_height, self.round_buttons = side_width, bottom_height, round_buttons


# Blue on near-white: the skin both programs carry.
DEFAULT = Theme("default", accent="2D7DD2", accent_hot="4A93E0", accent_down="1F5FA6", accent_top="3A88DA",
                surface="F4F5F7", surface_hot="E8EEF6", surface_down="D6DEEA", border="C3C8D0", text="1E2329",
                muted="9AA1AB", close_hot="D9443A", track="E4E7EC", toolbar_end="E9ECF0", thumb="C9CED6",
                grip="A7AEB8", scroll="EEF0F3")
# A flat dark caption with square corners and thin borders.
SLATE = Theme("slate", accent="4C5A6E", accent_hot="66768C", accent_down="323C4A", accent_top="4C5A6E",
              surface="ECEFF3", surface_hot="DCE3EC", surface_down="C5CFDB", border="A9B3C0", text="1B2330",
              muted="8C96A3", close_hot="C0392B", track="DDE2E8", toolbar_end="E1E6EC", thumb="B7C0CC",
              grip="8E99A8", scroll="E4E8ED", caption_height=26, corner_radius=0, side_width=3, bottom_height=3)
# Green with a deep caption, wide rounded corners, thick borders and round button faces.
JADE = Theme("jade", accent="1F8A67", accent_hot="2FA57E", accent_down="156349", accent_top="2E9C77",
             surface="F2F8F5", surface_hot="DFF0E8", surface_down="C6E3D6", border="A8CBBB", text="17302A",
             muted="8FA89E", close_hot="C8553D", track="DCEBE4", toolbar_end="E3F0EA", thumb="B4D3C5",
             grip="86AE9C", scroll="E8F2ED", caption_height=32, corner_radius=7, side_width=5, bottom_height=5,
             round_buttons=True)
THEMES = {t.name: t for t in (DEFAULT, SLATE, JADE)}
SURFACE = DEFAULT.surface


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
# The themes

def caption_piece(t, width, left_corner=False, right_corner=False):
    h = t.caption_height
    p = Picture(width, h)
    p.vgradient(0, 0, width, h, t.accent_top, t.accent)
    p.fill(0, h - 1, width, h, t.accent_down)
    if left_corner:
        p.fill(0, 0, 1, h, t.accent_down)
    if right_corner:
        p.fill(width - 1, 0, width, h, t.accent_down)
    p.rounded_top(left_corner, right_corner, t.corner_radius)
    return p


def glyph(t, kind, p, color):
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
        p.fill(5, 6, 13, 14, t.accent_top if color == WHITE else p.rows[0][0])
        p.frame(5, 6, 13, 14, color)
    elif kind == "minimise":
        p.fill(6, 12, 15, 14, color)
    else:   # close
        p.line(6, 4, 14, 12, color)
        p.line(14, 4, 6, 12, color)
        p.line(7, 4, 15, 12, color)
        p.line(15, 4, 7, 12, color)


def title_buttons(t):
    cells = []
    for kind in ("system", "help", "maximise", "restore", "minimise", "close"):
        for state in range(3):
            c = Picture(20, 18, TRANSPARENT)
            if state:
                hot = t.close_hot if kind == "close" else t.accent_hot
                face = hot if state == 1 else t.accent_down
                if t.round_buttons:
                    c.disc(10, 9, 8.5, face)
                else:
                    c.fill(1, 1, 19, 17, face)
            if kind != "system":
                glyph(t, kind, c, WHITE)
            else:
                c.fill(6, 6, 14, 12, WHITE)
            cells.append(c)
    return strip(cells)


def push_button(t):
    """Push-button cells, drawn nine-part. Their height is odd: the left side is stretched from
    rows h/2 to h - h/2 of the cell, one row when h is odd and none when it is even, which
    would leave a gap in the left side of every button."""
    cells = []
    for face, edge in ((t.surface, t.border), (t.surface_hot, t.accent), (t.surface_down, t.accent_down)):
        c = Picture(24, 23, TRANSPARENT)
        c.fill(1, 1, 23, 22, face)
        c.frame(0, 1, 24, 22, edge)
        c.frame(1, 0, 23, 23, edge)
        cells.append(c)
    return strip(cells)


def check_cell(t, state, enabled):
    c = Picture(13, 13, TRANSPARENT)
    box = t.accent if enabled else t.muted
    c.fill(0, 0, 13, 13, WHITE if state == "unchecked" else box)
    c.frame(0, 0, 13, 13, t.border if state == "unchecked" else box)
    if state == "checked":
        c.line(3, 6, 5, 8, WHITE)
        c.line(5, 8, 9, 4, WHITE)
        c.line(3, 7, 5, 9, WHITE)
        c.line(5, 9, 9, 5, WHITE)
    elif state == "grayed":
        c.fill(3, 6, 10, 8, WHITE)
    return c


def radio_cell(t, checked, enabled):
    c = Picture(13, 13, TRANSPARENT)
    ring = (t.accent if enabled else t.muted) if checked else t.border
    c.disc(6.5, 6.5, 6.5, ring)
    c.disc(6.5, 6.5, 5.5, WHITE)
    if checked:
        c.disc(6.5, 6.5, 3.0, ring)
    return c


def arrow_button(t, up):
    cells = []
    for face in (t.surface, t.surface_hot, t.surface_down):
        c = Picture(17, 17, face)
        c.frame(0, 0, 17, 17, t.border)
        for i in range(4):
            y = (6 + i) if up else (10 - i)
            c.fill(8 - i, y, 9 + i, y + 1, t.text)
        cells.append(c)
    return strip(cells)


def thumb(t):
    p = Picture(17, 33, TRANSPARENT)
    p.fill(1, 0, 16, 33, t.thumb)
    p.fill(0, 1, 17, 32, t.thumb)
    for y in (14, 16, 18):   # grip lines in the middle piece
        p.fill(5, y, 12, y + 1, t.grip)
    return p


def tabs(t):
    cells = []
    for selected in (True, False):
        c = Picture(30, 22, t.surface if selected else t.track)
        c.frame(0, 0, 30, 23 if selected else 22, t.border)
        if selected:
            c.fill(1, 0, 29, 2, t.accent)
        cells.append(c)
    return strip(cells)


def progress(t, kind):
    # The two ends (1 and 4) are solid caps in the border colour.
    p = Picture(3 if kind in (1, 4) else 8, 14, t.border if kind in (1, 4) else t.track)
    p.fill(0, 0, p.width, 1, t.border)
    p.fill(0, 13, p.width, 14, t.border)
    if kind == 2:   # the filled part; 3 is the rest of the track
        p.fill(0, 1, 8, 13, t.accent)
    return p


def checked_menu_icon(t):
    c = Picture(16, 16, WHITE)
    c.line(4, 8, 7, 11, t.text)
    c.line(7, 11, 12, 5, t.text)
    c.line(4, 9, 7, 12, t.text)
    c.line(7, 12, 12, 6, t.text)
    return c


def bitmaps(t):
    """The 34 bitmap keys in table order."""
    caption_mid = caption_piece(t, 20)
    bottom = Picture(6, t.bottom_height, t.accent)
    bottom.fill(0, 0, 6, 1, t.accent_down)
    w = t.side_width
    side = Picture(w, 30, t.accent)
    side.fill(0, 0, 1, 30, t.accent_down)
    right_side = Picture(w, 30, t.accent)
    right_side.fill(w - 1, 0, w, 30, t.accent_down)
    minimised = caption_piece(t, 160, True, True)
    menubar = Picture(10, 20)
    menubar.vgradient(0, 0, 10, 20, WHITE, t.surface)
    toolbar = Picture(10, 26)
    toolbar.vgradient(0, 0, 10, 26, WHITE, t.toolbar_end)
    track = Picture(20, 6, t.border)
    track.fill(1, 1, 19, 5, t.track)
    for x, y in ((0, 0), (19, 0), (0, 5), (19, 5)):
        track.put(x, y, TRANSPARENT)   # recoloured to the form colour when the skin loads
    slider = Picture(11, 20, TRANSPARENT)
    slider.fill(0, 0, 11, 16, t.accent)
    for i in range(4):
        slider.fill(i + 1, 16 + i, 10 - i, 17 + i, t.accent)
    vslider = Picture(20, 11, TRANSPARENT)
    vslider.fill(0, 0, 16, 11, t.accent)
    for i in range(4):
        vslider.fill(16 + i, i + 1, 17 + i, 10 - i, t.accent)
    line = Picture(10, 2, t.border)
    line.fill(0, 1, 10, 2, WHITE)
    channel_bar = Picture(10, 20, t.surface)
    channel_bar.frame(0, 0, 10, 20, t.border)
    channel_title = caption_piece(t, 10)
    scroll_button = strip([Picture(16, 16, f) for f in (t.surface, t.surface_hot, t.surface_down)])
    return [
        ("SKIN2_TITLEBAR1", caption_piece(t, 40, left_corner=True)),
        ("SKIN2_TITLEBAR2", caption_mid),
        ("SKIN2_TITLEBAR3", caption_piece(t, 40, right_corner=True)),
        ("SKIN2_TITLEBAR4", caption_piece(t, 20)),
        ("SKIN2_TITLEBAR5", caption_piece(t, 40, right_corner=True)),
        ("SKIN2_FORMLEFTBORDER", side),
        ("SKIN2_FORMRIGHTBORDER", right_side),
        ("SKIN2_FORMBOTTOMBORDER1", bottom),
        ("SKIN2_FORMBOTTOMBORDER2", bottom),
        ("SKIN2_FORMBOTTOMBORDER3", bottom),
        ("SKIN2_MINIMIZEDTITLE", minimised),
        ("SKIN2_TITLEBUTTONS", title_buttons(t)),
        ("SKIN2_CHECKEDMENUICON", checked_menu_icon(t)),
        ("SKIN2_MENUBAR", menubar),
        ("SKIN2_TOOLBAR", toolbar),
        ("SKIN2_BUTTON", push_button(t)),
        ("SKIN2_CHECKBOX", strip([check_cell(t, s, e) for e in (True, False)
                                  for s in ("checked", "grayed", "unchecked")])),
        ("SKIN2_CHECKBOXLIST", strip([check_cell(t, "checked", True), check_cell(t, "unchecked", True)])),
        ("SKIN2_RADIOBUTTON", strip([radio_cell(t, c, e) for e in (True, False) for c in (True, False)])),
        ("SKIN2_PROGRESSBAR1", progress(t, 1)),
        ("SKIN2_PROGRESSBAR2", progress(t, 2)),
        ("SKIN2_PROGRESSBAR3", progress(t, 3)),
        ("SKIN2_PROGRESSBAR4", progress(t, 4)),
        ("SKIN2_TRACKBAR", track),
        ("SKIN2_TRACKBARSLIDER", slider),
        ("SKIN2_TRACKBARVSLIDER", vslider),
        ("SKIN2_SCROLLBARUPBUTTON", arrow_button(t, True)),
        ("SKIN2_SCROLLBAR", thumb(t)),
        ("SKIN2_SCROLLBARDOWNBUTTON", arrow_button(t, False)),
        ("SKIN2_TABCONTROL", tabs(t)),
        ("SKIN2_TABCONTROLLINE", line),
        ("SKIN2_SIDECHANNELBAR", channel_bar),
        ("SKIN2_SIDECHANNELTITLE", channel_title),
        ("SKIN2_SCROLLBUTTON", scroll_button),
    ]


def colours(t):
    c = color_value
    return [
        ("SKIN2_TRANSCOLOR", c(TRANSPARENT)), ("SKIN2_TITLEFONTCOLOR", c(WHITE)), ("SKIN2_FORMCOLOR", c(t.surface)),
        ("SKIN2_MENUBARSTARTCOLOR", c(WHITE)), ("SKIN2_MENUBARENDCOLOR", c(t.surface)),
        ("SKIN2_TOPSELECTEDMENUCOLOR", c(t.surface_hot)), ("SKIN2_TOPSELECTEDMENUBORDERCOLOR", c(t.accent)),
        ("SKIN2_TOPSELECTEDMENUFONTCOLOR", c(t.text)), ("SKIN2_TOPMENUFONTCOLOR", c(t.text)),
        ("SKIN2_LEFTBARSTARTCOLOR", c(t.surface)), ("SKIN2_LEFTBARENDCOLOR", c(t.track)),
        ("SKIN2_MENUITEMCOLOR", c(WHITE)), ("SKIN2_MENUITEMFONTCOLOR", c(t.text)),
        ("SKIN2_SELECTEDMENUCOLOR", c(t.surface_hot)), ("SKIN2_SELECTEDMENUBORDERCOLOR", c(t.accent)),
        ("SKIN2_SELECTEDMENUFONTCOLOR", c(t.text)), ("SKIN2_TOOLBARSTARTCOLOR", c(WHITE)),
        ("SKIN2_TOOLBARENDCOLOR", c(t.toolbar_end)), ("SKIN2_TOOLBARONCOLOR", c(t.surface_hot)),
        ("SKIN2_TOOLBARBORDERCOLOR", c(t.accent)), ("SKIN2_TOOLBARDOWNCOLOR", c(t.surface_down)),
        ("SKIN2_CONTROLCOLOR", c(WHITE)), ("SKIN2_CONTROLBORDERCOLOR", c(t.border)),
        ("SKIN2_CONTROLFONTCOLOR", c(t.text)), ("SKIN2_BUTTONFONTCOLOR", c(t.text)),
        ("SKIN2_SCROLLBARCOLOR", c(t.scroll)), ("SKIN2_TABCONTROLCOLOR", c(t.surface)),
        ("SKIN2_TABCONTROLBORDERCOLOR", c(t.border)), ("SKIN2_TABCONTROLACTIVEFONTCOLOR", c(t.text)),
        ("SKIN2_TABCONTROLINACTIVEFONTCOLOR", c(t.muted)), ("SKIN2_SIDECHANNELCOLOR", c(t.surface)),
        ("SKIN2_SIDECHANNELBORDERCOLOR", c(t.border)),
    ]


def positions(t):
    """Icon, title text and buttons centred in the caption; the region band covers the corners."""
    h = t.caption_height
    return [
        ("SKIN2_TITLEBARICONPOSX", 8), ("SKIN2_TITLEBARICONPOSY", (h - 16) // 2),
        ("SKIN2_TITLEBARCAPTIONTOP", (h - 14) // 2), ("SKIN2_TITLEBARBUTTONPOSX", 6),
        ("SKIN2_TITLEBARBUTTONPOSY", (h - 18) // 2), ("SKIN2_TITLEBARREGIONMINY", 0),
        ("SKIN2_TITLEBARREGIONMAXY", max(t.corner_radius - 1, 0)), ("SKIN2_BOTTOMREGIONMINY", -1),
        ("SKIN2_BOTTOMREGIONMAXY", -1),
    ]


def booleans(t):
    return [
        ("SKIN2_TITLEFIVESECT", 0), ("SKIN2_BOTTOMBORDERTHREESECT", 1),
        ("SKIN2_TITLEBARNEEDREGION", 1 if t.corner_radius else 0),
        ("SKIN2_BOTTOMBORDERNEEDREGION", 0), ("SKIN2_TITLEBTNTRANS", 1), ("SKIN2_BUTTONTRANS", 1),
        ("SKIN2_CHECKBOXTRANS", 1), ("SKIN2_RADIOBUTTONTRANS", 1), ("SKIN2_TABCONTROLTRANS", 0),
    ]


# The probe skin: every frame part, every caption-button cell and the form one solid colour of
# its own, parts of different sizes and cut corners, so that a screen pixel names the part that
# painted it. Its other bitmaps are the default theme's.
PROBE_CAPTION_HEIGHT = 26
PROBE_CELL = (18, 16)
PROBE_CORNER = 3   # a square notch in each top corner
PROBE_FRAME = [    # key, width, height (a caption piece's height is the caption height)
    ("SKIN2_TITLEBAR1", 30, PROBE_CAPTION_HEIGHT), ("SKIN2_TITLEBAR2", 10, PROBE_CAPTION_HEIGHT),
    ("SKIN2_TITLEBAR3", 34, PROBE_CAPTION_HEIGHT), ("SKIN2_TITLEBAR4", 12, PROBE_CAPTION_HEIGHT),
    ("SKIN2_TITLEBAR5", 36, PROBE_CAPTION_HEIGHT), ("SKIN2_FORMLEFTBORDER", 5, 20),
    ("SKIN2_FORMRIGHTBORDER", 6, 20), ("SKIN2_FORMBOTTOMBORDER1", 8, 7), ("SKIN2_FORMBOTTOMBORDER2", 9, 7),
    ("SKIN2_FORMBOTTOMBORDER3", 10, 7), ("SKIN2_MINIMIZEDTITLE", 120, PROBE_CAPTION_HEIGHT),
]


def probe_colours(count):
    """Distinct saturated colours, none grey, none the transparent colour."""
    out = []
    i = 0
    while len(out) < count:
        rgb = ((i * 83 + 40) % 256, (i * 151 + 90) % 256, (i * 211 + 20) % 256)
        i += 1
        if rgb == TRANSPARENT or max(rgb) - min(rgb) < 60 or rgb in out:
            continue
        out.append(rgb)
    return out


def probe_entries():
    palette = iter(probe_colours(len(PROBE_FRAME) + 18 + 2))
    form, title_text = next(palette), next(palette)
    frame = {}
    for name, w, h in PROBE_FRAME:
        frame[name] = Picture(w, h, next(palette))
    for name, corners in (("SKIN2_TITLEBAR1", (True, False)), ("SKIN2_TITLEBAR3", (False, True)),
                          ("SKIN2_TITLEBAR5", (False, True)), ("SKIN2_MINIMIZEDTITLE", (True, True))):
        p = frame[name]
        if corners[0]:
            p.fill(0, 0, PROBE_CORNER, PROBE_CORNER, TRANSPARENT)
        if corners[1]:
            p.fill(p.width - PROBE_CORNER, 0, p.width, PROBE_CORNER, TRANSPARENT)
    frame["SKIN2_TITLEBUTTONS"] = strip([Picture(PROBE_CELL[0], PROBE_CELL[1], next(palette)) for _ in range(18)])
    pictures = [(name, frame.get(name, picture)) for name, picture in bitmaps(DEFAULT)]
    values = dict(colours(DEFAULT))
    values["SKIN2_FORMCOLOR"] = color_value(form)
    values["SKIN2_TITLEFONTCOLOR"] = color_value(title_text)
    place = dict(positions(DEFAULT))
    place.update({"SKIN2_TITLEBARICONPOSY": 5, "SKIN2_TITLEBARCAPTIONTOP": 6, "SKIN2_TITLEBARBUTTONPOSX": 4,
                  "SKIN2_TITLEBARBUTTONPOSY": 5, "SKIN2_TITLEBARREGIONMAXY": PROBE_CORNER - 1})
    flags = dict(booleans(DEFAULT))
    return ([entry(n, KIND_BITMAP, bmp24(p)) for n, p in pictures] +
            [entry(n, KIND_INTEGER, struct.pack("<i", v)) for n, v in list(values.items()) + list(place.items())] +
            [entry(n, KIND_BYTE, bytes((v,))) for n, v in flags.items()])


# ---------------------------------------------------------------------------------------------
# The container and the archive

KIND_BITMAP, KIND_INTEGER, KIND_BYTE, KIND_TEXT = 0, 1, 2, 3


def entry(name, kind, data):
    """(name bytes, kind, data bytes); the name is stored in 64 bytes, zero-ended when shorter."""
    return (name.encode("ascii") if isinstance(name, str) else name, kind, data)


def theme_entries(t):
    items = [entry(n, KIND_BITMAP, bmp24(p)) for n, p in bitmaps(t)]
    items += [entry(n, KIND_INTEGER, struct.pack("<i", v)) for n, v in colours(t) + positions(t)]
    items += [entry(n, KIND_BYTE, bytes((v,))) for n, v in booleans(t)]
    return items


def skin_entries(name):
    return probe_entries() if name == "probe" else theme_entries(THEMES[name])


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
    palette = [WHITE, DEFAULT.text, DEFAULT.muted]
    return bmp_indexed(checked_menu_icon(DEFAULT), palette, 4)


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
        entry("SKIN2_BUTTON", KIND_BITMAP, bmp24(push_button(DEFAULT))),
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
                                                                        bmp24(push_button(DEFAULT))[:200])]))]),
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
    parser.add_argument("--skin", choices=sorted(THEMES) + ["probe"], default="default")
    args = parser.parse_args()
    items = skin_entries(args.skin)
    write(args.output, archive([Member(MEMBER, container(items))]))
    if args.manifest:
        write(args.manifest, manifest(items).encode("ascii"))
    if args.resources:
        write_resources(args.resources)
    if args.fixtures:
        # The fixtures are variants of the default skin whichever skin is drawn.
        default_items = theme_entries(DEFAULT)
        write_fixtures(args.fixtures, default_items, archive([Member(MEMBER, container(default_items))]))


if __name__ == "__main__":
    main()
