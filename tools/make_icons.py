#!/usr/bin/env python3
"""Draws Quillora's four tray icons and writes them as .ico files.

offline.ico, online.ico and checking.ico are the emblem: the letters "QL" on a
raised light-grey plaque (white upper-left edge, dark-grey lower-right shadow),
in blue, red and yellow respectively. mail_arrived.ico is a yellow envelope
outlined in black with a red exclamation mark rising from its upper right.

Each file holds one 32x32 image in 16 colours, stored the classic way (a
BITMAPINFOHEADER with a 4-bit XOR bitmap and a 1-bit AND mask) so that every
Windows version and Wine's LoadIcon read it. Only the standard library is used
and the output depends on nothing but this script, so rerunning it

    python3 tools/make_icons.py

rewrites src/resources/icons/*.ico byte for byte.

The shell shrinks these to 16x16 for the tray, by dropping every other row and
column or by merging 2x2 blocks (Wine keeps the darkest). So every stroke is two pixels wide (or more) and starts on an
even coordinate; the odd pixels only round corners.
"""

import os
import struct

SIZE = 32

# The 16-colour palette of Windows icons, in its usual order.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0x80, 0x80, 0x80),
    (0xC0, 0xC0, 0xC0), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, DARK_GREY, LIGHT_GREY = 0, 7, 8
RED, YELLOW, BLUE, WHITE = 9, 11, 12, 15
CLEAR = None  # shows the desktop through the AND mask

# The emblem's letters, drawn by hand at full size. '#' is the letter colour.
LETTERS = 'QL'  # reads better than "Qm" at 16x16
GAP = 2  # pixels between the letters
SHADOW = 2  # depth of the letters' drop shadow
GLYPHS = {
    'Q': """
        ...######...
        .##########.
        .##########.
        ####....####
        ####....####
        ####....####
        ####....####
        ####....####
        ####....####
        ####....####
        ####..######
        ####..######
        .###########
        .##########.
        ...#########
        ........####
        .........###
        """,
    'L': """
        ####....
        ####....
        ####....
        ####....
        ####....
        ####....
        ####....
        ####....
        ####....
        ####....
        ####....
        ####....
        ########
        ########
        ########
        ########
        """,
}

# The red exclamation mark of the mail icon; 'o' is its black outline.
EXCLAMATION = """
    .oooooooo.
    o########o
    o########o
    o########o
    o########o
    oo######oo
    .o######o.
    .o######o.
    .oo####oo.
    ..o####o..
    ..o####o..
    ..o####o..
    ..oooooo..
    ..oooooo..
    ..oooooo..
    ..oooooo..
    ..o####o..
    ..o####o..
    ..o####o..
    ..o####o..
    ..oooooo..
    """


def blank():
    return [[CLEAR] * SIZE for _ in range(SIZE)]


def art_rows(art):
    return [line.strip() for line in art.strip().splitlines()]


def fill(img, x0, y0, x1, y1, colour):
    """Fills the rectangle from (x0, y0) to (x1, y1), both corners included."""
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            img[y][x] = colour


def stamp(img, art, left, top, colours):
    """Paints the characters of `art` found in `colours`; others leave the
    pixel as it is."""
    for dy, line in enumerate(art_rows(art)):
        for dx, ch in enumerate(line):
            if ch in colours:
                img[top + dy][left + dx] = colours[ch]


def glyph_width(letter):
    return len(art_rows(GLYPHS[letter])[0])


def outside(mask):
    """The pixels reachable from the border without crossing the mask, i.e.
    everything but the mask and the holes it encloses."""
    seen = set()
    todo = [(x, y) for y in range(SIZE) for x in range(SIZE)
            if x in (0, SIZE - 1) or y in (0, SIZE - 1)]
    while todo:
        x, y = todo.pop()
        if (x, y) in seen or not (0 <= x < SIZE and 0 <= y < SIZE) or mask[y][x]:
            continue
        seen.add((x, y))
        todo += [(x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)]
    return seen


def draw_text(img, text, left, top, colour):
    """Draws the glyphs over a drop shadow, black next to the letter and dark
    grey beyond. The shadow keeps yellow letters readable on the grey plaque,
    and being two pixels deep it survives halving. It stays out of the
    counters of Q: at 16x16 a shadowed counter fills up."""
    mask = blank()
    x = left
    for letter in text:
        stamp(mask, GLYPHS[letter], x, top, {'#': True})
        x += glyph_width(letter) + GAP
    free = outside(mask)
    for offset, ink in ((SHADOW, DARK_GREY), (1, BLACK), (0, colour)):
        for y in range(SIZE - offset):
            for x in range(SIZE - offset):
                if mask[y][x] and (offset == 0 or (x + offset, y + offset) in free):
                    img[y + offset][x + offset] = ink


def emblem(letter_colour):
    img = blank()
    top, bottom = 2, 29
    # Plaque with a two-pixel bevel: light from the upper left.
    fill(img, 0, top, SIZE - 1, bottom, LIGHT_GREY)
    fill(img, 0, top, SIZE - 1, top + 1, WHITE)
    fill(img, 0, top, 1, bottom, WHITE)
    fill(img, 0, bottom - 1, SIZE - 1, bottom, DARK_GREY)
    fill(img, SIZE - 2, top, SIZE - 1, bottom, DARK_GREY)
    # The corners where light meets shadow are split diagonally.
    img[bottom - 1][0] = img[bottom][0] = WHITE
    img[bottom][1] = DARK_GREY
    img[top][SIZE - 2] = img[top][SIZE - 1] = WHITE
    img[top + 1][SIZE - 1] = DARK_GREY

    width = sum(glyph_width(c) for c in LETTERS) + GAP * (len(LETTERS) - 1) + SHADOW
    left = (SIZE - width) // 2 // 2 * 2
    draw_text(img, LETTERS, left, 6, letter_colour)
    return img


def mail_arrived():
    img = blank()
    left, top, right, bottom = 0, 12, 25, 29
    fill(img, left, top, right, bottom, BLACK)
    fill(img, left + 2, top + 2, right - 2, bottom - 2, YELLOW)
    # The flap: two black lines from the upper corners meeting in the middle,
    # one row down every two columns. Two rows thick, so one of them is left
    # wherever the image is halved.
    inner_left, inner_right = left + 2, right - 2
    for x in range(inner_left, inner_right + 1):
        dist = min(x - inner_left, inner_right - x)
        y = top + 2 + dist // 2
        img[y][x] = img[y + 1][x] = BLACK
    stamp(img, EXCLAMATION, 22, 0, {'#': RED, 'o': BLACK})
    return img


def ico_bytes(img):
    """One 32x32, 4-bit image: ICONDIR, its entry, BITMAPINFOHEADER, palette,
    XOR bitmap, AND mask. Both bitmaps are stored bottom row first."""
    xor_size = SIZE * SIZE // 2
    and_size = SIZE * SIZE // 8  # 32 bits a row is already DWORD-aligned
    header_size = 40
    image_size = header_size + 4 * len(PALETTE) + xor_size + and_size

    out = bytearray()
    out += struct.pack('<HHH', 0, 1, 1)
    out += struct.pack('<BBBBHHII', SIZE, SIZE, 16, 0, 1, 4, image_size, 6 + 16)
    out += struct.pack('<IiiHHIIiiII', header_size, SIZE, SIZE * 2, 1, 4, 0,
                       xor_size + and_size, 0, 0, 16, 0)
    for r, g, b in PALETTE:
        out += bytes((b, g, r, 0))
    for row in reversed(img):
        # Transparent pixels are black in the XOR bitmap so they vanish.
        idx = [0 if c is CLEAR else c for c in row]
        out += bytes((idx[x] << 4) | idx[x + 1] for x in range(0, SIZE, 2))
    for row in reversed(img):
        bits = 0
        for c in row:
            bits = (bits << 1) | (1 if c is CLEAR else 0)
        out += struct.pack('>I', bits)
    assert len(out) == 6 + 16 + image_size
    return bytes(out)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = os.path.join(here, '..', 'src', 'resources', 'icons')
    icons = {
        'offline.ico': emblem(BLUE),
        'online.ico': emblem(RED),
        'checking.ico': emblem(YELLOW),
        'mail_arrived.ico': mail_arrived(),
    }
    for name, img in icons.items():
        with open(os.path.join(out_dir, name), 'wb') as f:
            f.write(ico_bytes(img))


if __name__ == '__main__':
    main()
