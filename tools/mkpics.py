#!/usr/bin/env python3
"""Builds every picture of Tovra and Rundelo from the text sources in resources/pictures.

Icons are drawn whole as pixel art. Each button glyph is drawn once and composed by code with
the frame of each bitmap set (plain, "9", "8", "X") and each state (Up, Dn, In).

  mkpics.py --src resources/pictures --out DIR   writes the .bmp/.ico files and the two .rc files
  mkpics.py --src resources/pictures --sheet x.png   writes an enlarged contact sheet to look at
"""
import argparse
import hashlib
import os
import struct
import sys
import zlib

# The 16 colours every 16-colour display has; icons and the plain button set use exactly these.
VGA = {
    'K': (0x00, 0x00, 0x00), 'r': (0x80, 0x00, 0x00), 'l': (0x00, 0x80, 0x00),
    'y': (0x80, 0x80, 0x00), 'b': (0x00, 0x00, 0x80), 'm': (0x80, 0x00, 0x80),
    'c': (0x00, 0x80, 0x80), 's': (0xC0, 0xC0, 0xC0), 'G': (0x80, 0x80, 0x80),
    'R': (0xFF, 0x00, 0x00), 'L': (0x00, 0xFF, 0x00), 'Y': (0xFF, 0xFF, 0x00),
    'B': (0x00, 0x00, 0xFF), 'M': (0xFF, 0x00, 0xFF), 'C': (0x00, 0xFF, 0xFF),
    'W': (0xFF, 0xFF, 0xFF),
}
VGA_ORDER = 'KrlybmcsGRLYBMCW'
CLEAR = '.'

BUTTON_W, BUTTON_H = 32, 20
ICON_SIZES = (32, 16)

# Plain names and lettered stems of the fifteen buttons, in the order of the icon bar.
BUTTONS = [
    ('Divi', 'Divi'), ('Merge', 'Merge'), ('Credir', 'Credi'), ('Copy2', 'Copy2'),
    ('Rename', 'Renam'), ('Delete', 'Delet'), ('Comp', 'Comp'), ('Decomp', 'Decom'),
    ('FlSize', 'FlSiz'), ('TsChg', 'TsChg'), ('Attrb', 'Attrb'), ('About', 'About'),
    ('Help', 'Help'), ('Exit', 'Exit'), ('DirUp', 'DirUp'),
]
SET_LETTERS = ('', '9', '8', 'X')
STATES = ('Up', 'Dn', 'In')

TOVRA_ICONS = ('A_ICON_1', 'FLD_ICON', 'OPEN_ICON', 'RCL_XP_ICON', 'RCL_ME_ICON', 'RCL_9X_ICON',
               'DOC_ME_ICON', 'DOC_9X_ICON', 'NO_FIL_ICON', 'NO_DRV_ICON', '133')
RUNDELO_ICONS = ('ICON_1',)
# Rundelo's icon is drawn at 16 x 16 only: the system makes its large icon from that, and a
# 32 x 32 image would cost 512 of the bytes it has beside FILE-1 on the first disk.
RUNDELO_ICON_SIZES = (16,)


class SourceError(Exception):
    pass


def bitmap_name(plain, stem, letter, state):
    return (plain if not letter else stem + letter) + state


def all_bitmap_names():
    return [bitmap_name(p, s, letter, st) for p, s in BUTTONS for letter in SET_LETTERS
            for st in STATES]


# Reading the text sources.

def read_art(path):
    """Reads blocks of 'kind name [size]' followed by rows of colour letters."""
    blocks = {}
    key = None
    with open(path, encoding='utf-8') as f:
        for number, line in enumerate(f, 1):
            text = line.rstrip('\n').rstrip()
            if not text or text.startswith('#'):
                key = None if not text else key
                continue
            words = text.split()
            if words[0] in ('icon', 'glyph'):
                key = tuple(words)
                if key in blocks:
                    raise SourceError(f'{path}:{number}: {text} drawn twice')
                blocks[key] = []
                continue
            if key is None:
                raise SourceError(f'{path}:{number}: rows outside a picture')
            if text.strip() != text or ' ' in text:
                raise SourceError(f'{path}:{number}: spaces inside a row')
            bad = set(text) - set(VGA) - {CLEAR}
            if bad:
                raise SourceError(f'{path}:{number}: unknown colour {"".join(sorted(bad))}')
            blocks[key].append(text)
    for key, rows in blocks.items():
        if not rows or any(len(r) != len(rows[0]) for r in rows):
            raise SourceError(f'{path}: {" ".join(key)}: rows of unequal width')
    return blocks


def read_icons(path, names, sizes=ICON_SIZES):
    blocks = read_art(path)
    icons = {}
    wanted = ' and '.join(str(s) for s in sizes)
    for key, rows in blocks.items():
        if key[0] != 'icon' or len(key) != 3 or not key[2].isdigit():
            raise SourceError(f'{path}: "{" ".join(key)}" is not "icon NAME SIZE"')
        size = int(key[2])
        if size not in sizes:
            raise SourceError(f'{path}: icon {key[1]}: size {size} is not {" or ".join(str(s) for s in sizes)}')
        if len(rows) != size or len(rows[0]) != size:
            raise SourceError(f'{path}: icon {key[1]} {size}: drawn {len(rows[0])}x{len(rows)}')
        icons.setdefault(key[1], {})[size] = rows
    for name in names:
        have = sorted(icons.get(name, {}))
        if have != sorted(sizes):
            raise SourceError(f'{path}: icon {name} needs {wanted}, has {have}')
    extra = set(icons) - set(names)
    if extra:
        raise SourceError(f'{path}: unexpected icons {sorted(extra)}')
    return icons


def read_glyphs(path):
    blocks = read_art(path)
    glyphs = {}
    for key, rows in blocks.items():
        if key[0] != 'glyph' or len(key) != 2:
            raise SourceError(f'{path}: "{" ".join(key)}" is not "glyph NAME"')
        # The pressed state moves the glyph one pixel; it must stay inside the 2-pixel frame.
        if len(rows) > BUTTON_H - 5 or len(rows[0]) > BUTTON_W - 5:
            raise SourceError(f'{path}: glyph {key[1]} larger than 27x15')
        glyphs[key[1]] = rows
    missing = [p for p, _ in BUTTONS if p not in glyphs]
    extra = sorted(set(glyphs) - {p for p, _ in BUTTONS})
    if missing or extra:
        raise SourceError(f'{path}: glyphs missing {missing}, unexpected {extra}')
    return glyphs


# Button sets: a palette of 16 colours, the glyph colours within it and a frame per state.

def hexrgb(text):
    return tuple(int(text[i:i + 2], 16) for i in (0, 2, 4))


class Style:
    def __init__(self, name, frame, glyph):
        self.name = name
        self.frame = {k: hexrgb(v) for k, v in frame.items()}
        self.glyph = {k: hexrgb(v) if isinstance(v, str) else v for k, v in glyph.items()}
        palette = []
        for rgb in list(self.glyph.values()) + list(self.frame.values()):
            if rgb not in palette:
                palette.append(rgb)
        if len(palette) > 16:
            raise SourceError(f'set {name} needs {len(palette)} colours')
        self.palette = palette + [(0, 0, 0)] * (16 - len(palette))


PLAIN = Style('plain',
              frame=dict(face='C0C0C0', light='FFFFFF', shadow='808080', dark='000000',
                         grey='808080', emboss='FFFFFF'),
              glyph={k: v for k, v in VGA.items()})
# Softer than the plain set: a dark grey outer edge, a lighter glyph outline, a drop shadow.
ME = Style('9',
           frame=dict(face='D4D0C8', light='FFFFFF', shadow='8C8A84', dark='6C6A66',
                      grey='8C8A84', emboss='FFFFFF', drop='B0ACA4'),
           glyph=dict(K='303030', W='FFFFFF', s='D4D0C8', G='8C8A84', R='F03C28', r='A8201C',
                      Y='FFE040', y='D08C10', B='2C70F0', b='183CA8', L='38D048', l='188C30',
                      C='48D8F8', c='1090B0', M='F03C28', m='183CA8'))
W2K = Style('8',
            frame=dict(face='D4D8E0', light='FFFFFF', shadow='8C94A4', pressed='C0C4CC',
                       grey='8C94A4', emboss='FFFFFF'),
            glyph=dict(K='3A4250', W='FFFFFF', s='C0C4CC', G='8C94A4', R='B05050', r='B05050',
                       Y='E0C878', y='A08850', B='5A78A8', b='3C5078', L='78A878', l='507850',
                       C='98BCCC', c='5A78A8', M='B05050', m='3C5078'))
XP = Style('X',
           frame=dict(back='ECE9D8', border='003C74', gloss='FFFFFF', top='E3ECFA',
                      mid='C3D6F4', low='9DBCEC', deep='7FA6DE', green='3CB43C',
                      grey='A0A0A0', emboss='FFFFFF'),
           glyph=dict(K='1E2850', W='FFFFFF', s='C3D6F4', G='A0A0A0', R='E03020', r='E03020',
                      Y='FFD040', y='C08A10', B='2060D8', b='003C74', L='3CB43C', l='1E7A28',
                      C='9DBCEC', c='2060D8', M='E03020', m='003C74'))
STYLES = {'': PLAIN, '9': ME, '8': W2K, 'X': XP}


def blank(w, h, rgb):
    return [[rgb] * w for _ in range(h)]


def bevel(img, x0, y0, x1, y1, top_left, bottom_right):
    for x in range(x0, x1 + 1):
        img[y0][x] = top_left
        img[y1][x] = bottom_right
    for y in range(y0, y1 + 1):
        img[y][x0] = top_left
        img[y][x1] = bottom_right
    img[y1][x0] = bottom_right if y1 > y0 else top_left
    img[y0][x1] = bottom_right if x1 > x0 else top_left


def frame_plain(style, state):
    f = style.frame
    img = blank(BUTTON_W, BUTTON_H, f['face'])
    w, h = BUTTON_W - 1, BUTTON_H - 1
    if state == 'Dn':
        bevel(img, 0, 0, w, h, f['dark'], f['light'])
        bevel(img, 1, 1, w - 1, h - 1, f['shadow'], f['face'])
    else:
        bevel(img, 0, 0, w, h, f['light'], f['dark'])
        bevel(img, 1, 1, w - 1, h - 1, f['face'], f['shadow'])
    return img


def frame_w2k(style, state):
    # Flat: a single pixel of relief; pressed buttons sink and darken their face.
    f = style.frame
    w, h = BUTTON_W - 1, BUTTON_H - 1
    if state == 'Dn':
        img = blank(BUTTON_W, BUTTON_H, f['pressed'])
        bevel(img, 0, 0, w, h, f['shadow'], f['light'])
    else:
        img = blank(BUTTON_W, BUTTON_H, f['face'])
        bevel(img, 0, 0, w, h, f['light'], f['shadow'])
    return img


def frame_xp(style, state):
    f = style.frame
    img = blank(BUTTON_W, BUTTON_H, f['back'])
    w, h = BUTTON_W, BUTTON_H
    if state == 'In':
        rows = [f['gloss']] * h
        edge = f['grey']
    elif state == 'Dn':
        # Pressed: the face deepens and its light sinks to the bottom.
        rows = [f['deep']] * 4 + [f['low']] * (h - 8) + [f['mid']] * 4
        edge = f['border']
    else:
        rows = [f['gloss']] * 3 + [f['top']] * 5 + [f['mid']] * (h - 13) + [f['low']] * 5
        edge = f['border']
    for y in range(h):
        for x in range(w):
            img[y][x] = rows[y]
    # A rounded outline: corners cut by two pixels.
    for x in range(2, w - 2):
        img[0][x] = img[h - 1][x] = edge
    for y in range(2, h - 2):
        img[y][0] = img[y][w - 1] = edge
    for cx, cy in ((1, 1), (w - 2, 1), (1, h - 2), (w - 2, h - 2)):
        img[cy][cx] = edge
    for cx, cy in ((0, 0), (1, 0), (0, 1), (w - 1, 0), (w - 2, 0), (w - 1, 1),
                   (0, h - 1), (1, h - 1), (0, h - 2), (w - 1, h - 1), (w - 2, h - 1),
                   (w - 1, h - 2)):
        img[cy][cx] = f['back']
    if state == 'Up':
        # A green glint along the bottom edge.
        for x in range(3, w - 3):
            img[h - 2][x] = f['green']
    return img


FRAMES = {'': frame_plain, '9': frame_plain, '8': frame_w2k, 'X': frame_xp}

# Luminance at or above which a glyph pixel counts as background in the disabled look.
DISABLED_LIGHT = 170


def luminance(rgb):
    return (rgb[0] * 299 + rgb[1] * 587 + rgb[2] * 114) // 1000


def compose_button(glyph, letter, state):
    style = STYLES[letter]
    img = FRAMES[letter](style, state)
    gh, gw = len(glyph), len(glyph[0])
    ox, oy = (BUTTON_W - gw) // 2, (BUTTON_H - gh) // 2
    if state == 'Dn':
        ox, oy = ox + 1, oy + 1
    if state == 'In':
        # Etched: the dark parts of the glyph in grey over a highlight one pixel down and right.
        shape = [(x, y) for y in range(gh) for x in range(gw)
                 if glyph[y][x] != CLEAR and luminance(VGA[glyph[y][x]]) < DISABLED_LIGHT]
        for x, y in shape:
            img[oy + y + 1][ox + x + 1] = style.frame['emboss']
        for x, y in shape:
            img[oy + y][ox + x] = style.frame['grey']
        return img
    if 'drop' in style.frame:
        # A soft shadow down and to the right of the glyph.
        for y in range(gh):
            for x in range(gw):
                if glyph[y][x] != CLEAR:
                    img[oy + y + 1][ox + x + 1] = style.frame['drop']
    for y in range(gh):
        for x in range(gw):
            c = glyph[y][x]
            if c != CLEAR:
                img[oy + y][ox + x] = style.glyph[c]
    return img


def to_indices(img, palette):
    index = {rgb: i for i, rgb in reversed(list(enumerate(palette)))}
    try:
        return [[index[rgb] for rgb in row] for row in img]
    except KeyError as e:
        raise SourceError(f'colour {e} is not in the palette') from None


# File formats.

def pack_4bit_rows(rows):
    """Bottom-up 4-bit rows, each padded to a multiple of 4 bytes."""
    out = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for i in range(0, len(row), 2):
            hi = row[i]
            lo = row[i + 1] if i + 1 < len(row) else 0
            line.append(hi << 4 | lo)
        line += b'\0' * (-len(line) % 4)
        out += line
    return bytes(out)


def pack_mask_rows(rows):
    """Bottom-up 1-bit rows (1 = transparent), each padded to a multiple of 4 bytes."""
    out = bytearray()
    for row in reversed(rows):
        line = bytearray((len(row) + 7) // 8)
        for x, clear in enumerate(row):
            if clear:
                line[x // 8] |= 0x80 >> (x % 8)
        line += b'\0' * (-len(line) % 4)
        out += line
    return bytes(out)


def palette_bytes(palette):
    return b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)


def info_header(w, h, bits_h, image_size):
    return struct.pack('<IiiHHIIiiII', 40, w, bits_h, 1, 4, 0, image_size, 0, 0, 16, 0)


def bmp_bytes(indices, palette):
    h, w = len(indices), len(indices[0])
    bits = pack_4bit_rows(indices)
    offset = 14 + 40 + 64
    head = struct.pack('<2sIHHI', b'BM', offset + len(bits), 0, 0, offset)
    return head + info_header(w, h, h, len(bits)) + palette_bytes(palette) + bits


def icon_image(rows):
    size = len(rows)
    palette = [VGA[c] for c in VGA_ORDER]
    indices = [[0 if c == CLEAR else VGA_ORDER.index(c) for c in row] for row in rows]
    xor = pack_4bit_rows(indices)
    mask = pack_mask_rows([[c == CLEAR for c in row] for row in rows])
    # An icon's header counts the colour rows and the mask rows together.
    return info_header(size, size, 2 * size, len(xor) + len(mask)) + palette_bytes(palette) + xor + mask


def ico_bytes(images):
    """images: {size: rows}; larger image first."""
    sizes = sorted(images, reverse=True)
    blobs = [icon_image(images[s]) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, blob in zip(sizes, blobs):
        out += struct.pack('<BBBBHHII', s % 256, s % 256, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
    return out + b''.join(blobs)


def png_bytes(pixels):
    h, w = len(pixels), len(pixels[0])
    raw = b''.join(b'\0' + bytes(v for rgb in row for v in rgb) for row in pixels)

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 2, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


# Building.

def build(src):
    """Returns {file name: bytes} for every picture, plus the pictures by kind for the sheet."""
    files = {}
    glyphs = read_glyphs(os.path.join(src, 'buttons.txt'))
    buttons = []
    for plain, stem in BUTTONS:
        row = []
        for letter in SET_LETTERS:
            for state in STATES:
                name = bitmap_name(plain, stem, letter, state)
                img = compose_button(glyphs[plain], letter, state)
                files[name + '.bmp'] = bmp_bytes(to_indices(img, STYLES[letter].palette),
                                                 STYLES[letter].palette)
                row.append(img)
        buttons.append(row)
    icons = {}
    for source, names, sizes in (('tovra_icons.txt', TOVRA_ICONS, ICON_SIZES),
                                 ('rundelo_icons.txt', RUNDELO_ICONS, RUNDELO_ICON_SIZES)):
        for name, images in read_icons(os.path.join(src, source), names, sizes).items():
            files[icon_file(name)] = ico_bytes(images)
            icons[name] = images
    return files, buttons, icons


def icon_file(name):
    return ('icon' + name if name.isdigit() else name.lower()) + '.ico'


def rc_path(out, name):
    return os.path.abspath(os.path.join(out, name)).replace('\\', '/')


def rc_texts(out, files):
    def digest(names):
        h = hashlib.sha256()
        for n in names:
            h.update(n.encode() + files[n])
        return h.hexdigest()[:16]

    tovra_names = [icon_file(n) for n in TOVRA_ICONS] + [n + '.bmp' for n in all_bitmap_names()]
    lines = ['// Generated by tools/mkpics.py; do not edit.',
             # The digest changes with any picture, so resource objects that include this rebuild.
             f'// pictures {digest(tovra_names)}']
    for n in TOVRA_ICONS:
        lines.append(f'{n.upper()} ICON "{rc_path(out, icon_file(n))}"')
    for n in all_bitmap_names():
        lines.append(f'{n.upper()} BITMAP "{rc_path(out, n + ".bmp")}"')
    tovra = '\n'.join(lines) + '\n'
    rundelo = ('// Generated by tools/mkpics.py; do not edit.\n'
               f'// pictures {digest([icon_file("ICON_1")])}\n'
               f'ICON_1 ICON "{rc_path(out, icon_file("ICON_1"))}"\n')
    return {'tovra_pictures.rc': tovra.encode(), 'rundelo_pictures.rc': rundelo.encode()}


def write_if_changed(path, data):
    try:
        with open(path, 'rb') as f:
            if f.read() == data:
                return
    except OSError:
        pass
    tmp = path + '.tmp'
    with open(tmp, 'wb') as f:
        f.write(data)
    os.replace(tmp, path)


def sheet(buttons, icons, zoom=4, gap=2):
    """Buttons: a row per command, the four sets side by side, three states each; icons below."""
    bg = (0x60, 0x60, 0x70)
    set_w = len(STATES) * (BUTTON_W + gap) + 2 * gap
    width = gap + len(SET_LETTERS) * set_w
    icon_w = 32 + 16 + 3 * gap
    per_row = width // icon_w
    icon_rows = -(-len(icons) // per_row)
    height = gap + len(buttons) * (BUTTON_H + gap) + gap + icon_rows * (32 + gap)
    canvas = blank(width, height, bg)

    def put(img, x0, y0):
        for y, row in enumerate(img):
            for x, rgb in enumerate(row):
                if rgb is not None:
                    canvas[y0 + y][x0 + x] = rgb

    for r, row in enumerate(buttons):
        for i, img in enumerate(row):
            s, st = divmod(i, len(STATES))
            put(img, gap + s * set_w + st * (BUTTON_W + gap), gap + r * (BUTTON_H + gap))
    top = gap + len(buttons) * (BUTTON_H + gap) + gap
    for i, name in enumerate(icons):
        q, p = divmod(i, per_row)
        for size, dx in ((32, 0), (16, 32 + gap)):
            if size not in icons[name]:
                continue
            img = [[None if c == CLEAR else VGA[c] for c in row] for row in icons[name][size]]
            put(img, gap + p * icon_w + dx, top + q * (32 + gap))
    big = []
    for row in canvas:
        line = [rgb for rgb in row for _ in range(zoom)]
        big.extend([line] * zoom)
    return png_bytes(big)


def main(argv=None):
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument('--src', default=os.path.join(here, '..', 'resources', 'pictures'))
    ap.add_argument('--out', help='folder for the pictures and the .rc files')
    ap.add_argument('--sheet', help='write an enlarged contact sheet (PNG) here')
    args = ap.parse_args(argv)
    if not args.out and not args.sheet:
        ap.error('give --out or --sheet')
    try:
        files, buttons, icons = build(args.src)
    except (SourceError, OSError) as e:
        print(f'mkpics: {e}', file=sys.stderr)
        return 1
    if args.out:
        os.makedirs(args.out, exist_ok=True)
        files.update(rc_texts(args.out, files))
        for name, data in files.items():
            write_if_changed(os.path.join(args.out, name), data)
    if args.sheet:
        with open(args.sheet, 'wb') as f:
            f.write(sheet(buttons, icons))
    return 0


if __name__ == '__main__':
    sys.exit(main())
