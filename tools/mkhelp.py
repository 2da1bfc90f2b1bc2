#!/usr/bin/env python3
"""Compiles a help source into a Windows help file that the system help viewer opens, and into
an HTML copy of the same manual.

  mkhelp.py SOURCE --hlp OUT [--ids resources/ids.h] [--html OUT.html]
  mkhelp.py SOURCE --check-html DOC.html     fails when DOC.html is not what SOURCE gives

The source is UTF-8 text. Settings come first, one "name: value" a line; then the topics.

  // a comment line
  title: Tovra Help          the help title
  caption: Tovra Help        the caption of the viewer's main window
  charset: cp932             code page of the help text: cp1252 or cp932 (Shift-JIS)
  font: ＭＳ Ｐゴシック        face of every font in the help file
  lang: ja                   language of the HTML copy
  index: 索引                 heading of the keyword list in the HTML copy

  == contents: Tovra Help    a topic: context name (letters, digits, "_", ".") and title;
  keywords: FILE-0; pieces   the first topic is the contents topic. Keywords and a map
  map: IDM_DIVISION          number (for HELP_CONTEXT; a name from --ids) follow the title.

  A paragraph runs to the next blank line. [Division](division) links to the topic
  "division", **Merger** is bold, and a line that ends in a backslash \\
  breaks there. A backslash before another character keeps it as it is.

  ## A heading
  - an item of a list; indented lines continue it

The help file holds |SYSTEM, |FONT, |TOPIC (plain 4096-byte blocks), |CONTEXT, |CTXOMAP,
|TTLBTREE, the keyword index |KWBTREE, |KWDATA, |KWMAP, and the directory of them all.
"""
import argparse
import html
import re
import struct
import sys


class SourceError(Exception):
    pass


# Reading the source.

CONTEXT_NAME = re.compile(r'[A-Za-z0-9_.]+$')
LINK = re.compile(r'\[([^\]]+)\]\(([^)\s]+)\)')
SETTINGS = ('title', 'caption', 'charset', 'font', 'lang', 'index')


class Topic:
    def __init__(self, name, title, line):
        self.name, self.title, self.line = name, title, line
        self.keywords, self.map_id, self.blocks = [], None, []


def join_lines(lines):
    """Lines of one block as one text; a space joins them unless either side is not ASCII (a
    Japanese sentence runs on without one). A trailing backslash becomes a line break."""
    text = ''
    for line in lines:
        line = line.strip()
        if not text or text.endswith('\n'):
            text += line
        elif ord(text[-1]) < 0x80 and ord(line[0]) < 0x80:
            text += ' ' + line
        else:
            text += line
        if text.endswith('\\') and not text.endswith('\\\\'):
            text = text[:-1].rstrip() + '\n'
    return text.rstrip('\n')


def parse_inline(text, where):
    """Runs of a block: ('text', s), ('bold', on), ('link', s, target), ('break',)."""
    runs, buf, bold, i = [], '', False, 0

    def flush():
        nonlocal buf
        if buf:
            runs.append(('text', buf))
        buf = ''

    while i < len(text):
        c = text[i]
        if c == '\\' and i + 1 < len(text):
            buf += text[i + 1]
            i += 2
        elif c == '\n':
            flush()
            runs.append(('break',))
            i += 1
        elif text.startswith('**', i):
            flush()
            bold = not bold
            runs.append(('bold', bold))
            i += 2
        elif c == '[':
            m = LINK.match(text, i)
            if not m:
                raise SourceError('%s: "[" without "](topic)"' % where)
            flush()
            runs.append(('link', m.group(1), m.group(2)))
            i = m.end()
        else:
            buf += c
            i += 1
    flush()
    if bold:
        raise SourceError('%s: "**" not closed' % where)
    return runs


def parse(text, source='source'):
    """(settings, topics) of a help source."""
    settings, topics, topic = {}, [], None
    lines = text.splitlines()
    block, kind, start = [], None, 0

    def end_block():
        nonlocal block, kind
        if block:
            where = '%s:%d' % (source, start)
            topic.blocks.append((kind, parse_inline(join_lines(block), where)))
        block, kind = [], None

    for number, line in enumerate(lines, 1):
        where = '%s:%d' % (source, number)
        if line.startswith('//'):
            continue
        m = re.match(r'== *([^:]+?) *: *(.+)$', line)
        if m:
            end_block()
            if not CONTEXT_NAME.match(m.group(1)):
                raise SourceError('%s: context name %r is not letters, digits, "_", "."'
                                  % (where, m.group(1)))
            topic = Topic(m.group(1), m.group(2).strip(), number)
            topics.append(topic)
            continue
        if topic is None:
            if not line.strip():
                continue
            m = re.match(r'([a-z]+): *(.*)$', line)
            if not m or m.group(1) not in SETTINGS:
                raise SourceError('%s: expected a setting (%s) or a topic' % (where, ', '.join(SETTINGS)))
            settings[m.group(1)] = m.group(2).strip()
            continue
        m = re.match(r'(keywords|map): *(.*)$', line)
        if m and not topic.blocks and not block:
            if m.group(1) == 'keywords':
                topic.keywords += [k.strip() for k in m.group(2).split(';') if k.strip()]
            else:
                topic.map_id = m.group(2).strip()
            continue
        if not line.strip():
            end_block()
        elif line.startswith('##'):
            # A Japanese heading may run on from the marks without a space.
            end_block()
            start = number
            block, kind = [line[2:].strip()], 'heading'
            end_block()
        elif line.startswith('- '):
            end_block()
            start = number
            block, kind = [line[2:]], 'item'
        elif line[0] in ' \t' and kind == 'item':
            block.append(line)
        else:
            if kind == 'item':
                end_block()
            if not block:
                start, kind = number, 'text'
            block.append(line)
    if topic:
        end_block()
    for name in ('title', 'charset', 'font'):
        if name not in settings:
            raise SourceError('%s: no "%s:" setting' % (source, name))
    if settings['charset'] not in ('cp1252', 'cp932'):
        raise SourceError('%s: charset must be cp1252 or cp932' % source)
    check(topics, source)
    return settings, topics


def check(topics, source):
    if not topics:
        raise SourceError('%s: no topic' % source)
    names, hashes, owners = {}, {}, {}
    for t in topics:
        where = '%s:%d' % (source, t.line)
        if t.name.lower() in names:
            raise SourceError('%s: topic %s defined twice' % (where, t.name))
        names[t.name.lower()] = t
        h = context_hash(t.name)
        if h in hashes:
            raise SourceError('%s: %s and %s have the same hash' % (where, t.name, hashes[h]))
        hashes[h] = t.name
        for k in t.keywords:
            # The viewer lists each keyword with one topic only.
            if owners.setdefault(k, t.name) != t.name:
                raise SourceError('%s: keyword %r is %s\'s already' % (where, k, owners[k]))
    for t in topics:
        for kind, runs in t.blocks:
            for r in runs:
                if r[0] == 'link' and r[2].lower() not in names:
                    raise SourceError('%s:%d: link to unknown topic %s' % (source, t.line, r[2]))


def read_ids(path):
    with open(path, encoding='utf-8') as f:
        return {m[1]: int(m[2]) for m in re.finditer(r'^#define\s+(\w+)\s+(\d+)\s*$', f.read(), re.M)}


def map_numbers(topics, ids):
    numbers = {}
    for t in topics:
        if t.map_id is None:
            continue
        if t.map_id.isdigit():
            numbers[t.name] = int(t.map_id)
        elif t.map_id in ids:
            numbers[t.name] = ids[t.map_id]
        else:
            raise SourceError('topic %s: map %s is neither a number nor a known name'
                              % (t.name, t.map_id))
    return numbers


# Numbers as the help file stores them.

def u8(v):
    return struct.pack('<B', v)


def u16(v):
    return struct.pack('<H', v & 0xFFFF)


def u32(v):
    return struct.pack('<I', v & 0xFFFFFFFF)


def cushort(v):
    """Compressed unsigned short: one byte below 128, else two with the low bit set."""
    return u8(v * 2) if v < 0x80 else u16(v * 2 + 1)


def csshort(v):
    if not -0x40 <= v < 0x40:
        raise SourceError('paragraph spacing %d out of range' % v)
    return cushort(v + 0x40)


def cslong(v):
    if not -0x4000 <= v < 0x4000:
        raise SourceError('paragraph too long')
    return u16((v + 0x4000) * 2)


def context_hash(name):
    """The viewer's hash of a context name, as a signed 32-bit number."""
    h = 0
    for c in name.upper():
        v = {'.': 12, '_': 13, '0': 10}.get(c)
        if v is None:
            v = ord(c) - ord('0') if c.isdigit() else ord(c) - ord('A') + 17
        h = (h * 43 + v) & 0xFFFFFFFF
    return h - (1 << 32) if h & 0x80000000 else h


# Fonts: one face; the descriptors of body text, bold text, headings and topic titles.
FONT_BODY, FONT_BOLD, FONT_HEADING, FONT_TITLE = range(4)
FONTS = ((0, 20), (1, 20), (1, 24), (1, 28))   # (attributes: 1 bold, half-points)
FAMILY_SWISS = 3

# Paragraph kinds: font and the spacing (in half-points) that follows in the paragraph bits.
SPACE_ABOVE, SPACE_BELOW, LEFT_INDENT, FIRST_INDENT = 0x0002, 0x0004, 0x0010, 0x0040
PARAGRAPHS = {
    'title': (FONT_TITLE, ((SPACE_BELOW, 6),)),
    'heading': (FONT_HEADING, ((SPACE_ABOVE, 16),)),
    'text': (FONT_BODY, ((SPACE_ABOVE, 8),)),
    'item': (FONT_BODY, ((SPACE_ABOVE, 4), (LEFT_INDENT, 20), (FIRST_INDENT, -10))),
}
BULLETS = {'cp1252': '\u2022 ', 'cp932': '・'}


class Record:
    """One TOPICLINK of |TOPIC: a topic header (type 2) or a paragraph (type 0x20)."""

    def __init__(self, kind, data1, data2, topic=None):
        self.kind, self.data1, self.data2, self.topic = kind, data1, data2, topic
        self.pos = self.offset = self.block = None

    def size(self):
        return 21 + len(self.data1) + len(self.data2)


class Writer:
    def __init__(self, settings, topics, maps):
        self.settings, self.topics, self.maps = settings, topics, maps
        self.codepage = settings['charset']
        self.hashes = {t.name.lower(): context_hash(t.name) for t in topics}

    def encode(self, text, where):
        try:
            return text.encode(self.codepage)
        except UnicodeEncodeError as e:
            raise SourceError('%s: %r has no %s code' % (where, text[e.start:e.end],
                                                         self.codepage)) from None

    def paragraph(self, kind, runs, where):
        font, spacing = PARAGRAPHS[kind]
        bits = 0
        values = b''
        for bit, value in sorted(spacing):  # the values follow in the order of their bits
            bits |= bit
            values += csshort(value)
        data1 = bytearray(b'\x00\x80' + u16(0) + u16(bits) + values)
        data2 = bytearray()
        pending = bytearray()

        # Every command stands after one zero-terminated piece of text.
        def command(code):
            nonlocal pending
            data2.extend(pending + b'\0')
            data1.extend(code)
            pending = bytearray()

        command(u8(0x80) + u16(font))
        if kind == 'item':
            pending += self.encode(BULLETS[self.codepage], where)
        for run in runs:
            if run[0] == 'text':
                pending += self.encode(run[1], where)
            elif run[0] == 'bold':
                command(u8(0x80) + u16(FONT_BOLD if run[1] else font))
            elif run[0] == 'break':
                command(u8(0x81))
            else:
                command(u8(0xE3) + u32(self.hashes[run[2].lower()]))
                pending += self.encode(run[1], where)
                command(u8(0x89))
        command(u8(0x82))
        command(u8(0xFF))
        if len(data2) > 4000:
            raise SourceError('%s: paragraph too long' % where)
        return Record(0x20, bytes(cslong(len(data1)) + cushort(len(data2)) + data1), bytes(data2))

    def records(self):
        out = []
        for t in self.topics:
            where = 'topic %s' % t.name
            out.append(Record(2, bytes(28), self.encode(t.title, where), t))
            out.append(self.paragraph('title', [('text', t.title)], where))
            for kind, runs in t.blocks:
                out.append(self.paragraph(kind, runs, where))
        out.append(Record(2, bytes(28), b''))
        return out

    # |TOPIC

    BLOCK = 4096

    def layout(self, records):
        """Gives every record its position (block * 0x4000 + place in the block) and its topic
        offset (block * 0x8000 + characters of earlier paragraphs in the block). A record's
        header and first data stay in one block; its text may run on into the next."""
        block, place, chars = 0, 12, 0
        for r in records:
            if self.BLOCK - place < 21 + len(r.data1):
                block, place, chars = block + 1, 12, 0
            r.pos = block * 0x4000 + place
            r.offset = block * 0x8000 + chars
            r.block = block
            if r.kind != 2:
                chars += len(r.data2)
            place += r.size()
            while place > self.BLOCK:
                block, place, chars = block + 1, place - (self.BLOCK - 12), 0
        headers = [r for r in records if r.kind == 2]
        for i, h in enumerate(headers[:-1]):
            members = records[records.index(h) + 1:records.index(headers[i + 1])]
            h.data1 = (u32(sum(m.size() for m in members)) + u32(-1) + u32(-1) + u32(i) +
                       u32(-1) + u32(members[0].pos) + u32(headers[i + 1].pos))
        headers[-1].data1 = u32(0) + u32(-1) + u32(-1) + u32(len(headers) - 1) + u32(-1) * 3

    def topic_file(self, records):
        self.layout(records)
        stream = bytearray()
        blocks = {}   # block -> (first record starting in it, last record and header before it)
        last, last_header = None, None
        for i, r in enumerate(records):
            while len(stream) < r.block * (self.BLOCK - 12) + (r.pos & 0x3FFF) - 12:
                stream.append(0)
            blocks.setdefault(r.block, (r, last, last_header))
            prev = records[i - 1].pos if i else -1
            nxt = records[i + 1].pos if i + 1 < len(records) else -1
            stream += (u32(r.size()) + u32(len(r.data2)) + u32(prev) + u32(nxt) +
                       u32(21 + len(r.data1)) + u8(r.kind) + r.data1 + r.data2)
            last = r
            if r.kind == 2:
                last_header = r
        data = self.BLOCK - 12
        # The viewer copies whole blocks, the last one too.
        stream += bytes(-len(stream) % data)
        out = bytearray()
        for b in range(len(stream) // data):
            first, before, header = blocks.get(b, (None, last, last_header))
            out += (u32(before.pos if before else -1) + u32(first.pos if first else -1) +
                    u32(header.pos if header else -1))
            out += stream[b * data:(b + 1) * data]
        return bytes(out)

    # The other internal files.

    def system_file(self, contents_offset):
        def record(kind, data):
            return u16(kind) + u16(len(data)) + data

        title = self.encode(self.settings['title'], 'title')
        caption = self.encode(self.settings.get('caption', self.settings['title']), 'caption')
        if len(caption) > 50:
            raise SourceError('caption longer than 50 bytes')
        window = (u16(0x0007) + b'main'.ljust(10, b'\0') + b'main'.ljust(9, b'\0') +
                  caption.ljust(51, b'\0') + bytes(18))
        out = u16(0x036C) + u16(33) + u16(1) + u32(0) + u16(0)
        out += record(1, title + b'\0') + record(3, u32(contents_offset)) + record(6, window)
        if self.codepage == 'cp932':
            out += record(11, u16(128))
        return out

    def font_file(self):
        face = self.encode(self.settings['font'], 'font')
        if len(face) >= 32:
            raise SourceError('font name longer than 31 bytes')
        out = u16(1) + u16(len(FONTS)) + u16(8) + u16(8 + 32) + face.ljust(32, b'\0')
        for attributes, half_points in FONTS:
            out += u8(attributes) + u8(half_points) + u8(FAMILY_SWISS) + u16(0) + bytes(6)
        return out

    def files(self):
        records = self.records()
        topic = self.topic_file(records)
        heads = {r.topic.name: r for r in records if r.kind == 2 and r.topic}
        offset = {t.name: heads[t.name].offset for t in self.topics}
        files = {
            '|SYSTEM': self.system_file(offset[self.topics[0].name]),
            '|FONT': self.font_file(),
            '|TOPIC': topic,
            '|CONTEXT': btree(sorted((context_hash(t.name), offset[t.name]) for t in self.topics),
                              lambda e: struct.pack('<i', e[0]) + u32(e[1]),
                              lambda e: struct.pack('<i', e[0]), b'L4'),
            '|TTLBTREE': btree(sorted((offset[t.name], self.encode(t.title, t.name))
                                      for t in self.topics),
                               lambda e: u32(e[0]) + e[1] + b'\0', lambda e: u32(e[0]), b'Lz'),
            '|CTXOMAP': u16(len(self.maps)) + b''.join(
                u32(n) + u32(offset[name]) for n, name in sorted((n, t) for t, n in self.maps.items())),
        }
        keywords = sorted({(self.encode(k, t.name), t.name) for t in self.topics for k in t.keywords},
                          key=lambda e: (e[0].lower(), e[0]))
        if keywords:
            entries = [(k, i * 4) for i, (k, _) in enumerate(keywords)]
            leaves = []
            files['|KWBTREE'] = btree(entries, lambda e: e[0] + b'\0' + u16(1) + u32(e[1]),
                                      lambda e: e[0] + b'\0', b'F24', leaves)
            files['|KWDATA'] = b''.join(u32(offset[name]) for _, name in keywords)
            files['|KWMAP'] = u16(len(leaves)) + b''.join(u32(first) + u16(page)
                                                          for first, page in leaves)
        return files

    def help_file(self):
        files = self.files()
        place = 16
        offsets = {}
        body = b''
        for name, data in files.items():
            offsets[name] = place
            body += file_header(data) + data
            place += 9 + len(data)
        directory = btree(sorted((n.encode('ascii'), o) for n, o in offsets.items()),
                          lambda e: e[0] + b'\0' + u32(e[1]), lambda e: e[0] + b'\0', b'z4',
                          page_size=0x400, flags=0x0402)
        whole = place + 9 + len(directory)
        return u32(0x00035F3F) + u32(place) + u32(-1) + u32(whole) + body + \
            file_header(directory) + directory


def file_header(data):
    return u32(len(data) + 9) + u32(len(data)) + u8(4)


def btree(entries, leaf, index, structure, leaves=None, page_size=0x800, flags=0x0002):
    """A B+ tree of sorted entries, with leaf(e) and index(e) giving an entry's bytes in a leaf
    and in an index page: the leaf pages first, then the index pages level by level up to the
    root, the last page. leaves (a list) receives (number of the first entry, page) of each
    leaf page, as |KWMAP needs."""
    groups, current, used = [], [], 8
    for i, e in enumerate(entries):
        row = leaf(e)
        if current and used + len(row) > page_size:
            groups.append(current)
            current, used = [], 8
        current.append((i, row, index(e)))
        used += len(row)
    groups.append(current)
    pages, level = [], []
    for n, group in enumerate(groups):
        body = b''.join(row for _, row, _ in group)
        free = page_size - 8 - len(body)
        nxt = n + 1 if n + 1 < len(groups) else -1
        pages.append(u16(free) + u16(len(group)) + u16(n - 1 if n else -1) + u16(nxt) + body +
                     bytes(free))
        level.append((n, group[0][2] if group else b''))
        if leaves is not None:
            leaves.append((group[0][0] if group else 0, n))
    levels = 1
    # An index page names its first child in its header, then each further child with the
    # first key the child holds.
    while len(level) > 1:
        levels += 1
        upper, i = [], 0
        while i < len(level):
            upper.append((len(pages), level[i][1]))
            first_child, body, count = level[i][0], b'', 0
            i += 1
            while i < len(level) and 6 + len(body) + len(level[i][1]) + 2 <= page_size:
                body += level[i][1] + u16(level[i][0])
                count += 1
                i += 1
            free = page_size - 6 - len(body)
            pages.append(u16(free) + u16(count) + u16(first_child) + body + bytes(free))
        level = upper
    header = (u16(0x293B) + u16(flags) + u16(page_size) + structure.ljust(16, b'\0') + u16(0) +
              u16(len(pages) - levels) + u16(len(pages) - 1) + u16(-1) + u16(len(pages)) +
              u16(levels) + u32(len(entries)))
    return header + b''.join(pages)


# The HTML copy.

def html_runs(runs):
    out = ''
    for r in runs:
        if r[0] == 'text':
            out += html.escape(r[1], quote=False)
        elif r[0] == 'bold':
            out += '<b>' if r[1] else '</b>'
        elif r[0] == 'break':
            out += '<br>\n'
        else:
            out += '<a href="#%s">%s</a>' % (r[2].lower(), html.escape(r[1], quote=False))
    return out


def html_page(settings, topics):
    e = lambda s: html.escape(s, quote=False)
    out = ['<!DOCTYPE html>', '<html lang="%s">' % settings.get('lang', 'en'), '<head>',
           '<meta charset="utf-8">', '<title>%s</title>' % e(settings['title']),
           '<style>body{font-family:sans-serif;max-width:48em;margin:2em auto;padding:0 1em;'
           'line-height:1.5}section{border-top:1px solid #ccc}</style>',
           '<!-- Generated by tools/mkhelp.py from the help source; do not edit. -->',
           '</head>', '<body>']
    for t in topics:
        out.append('<section id="%s">' % t.name.lower())
        out.append('<h2>%s</h2>' % e(t.title))
        in_list = False
        for kind, runs in t.blocks:
            if kind == 'item' and not in_list:
                out.append('<ul>')
            if kind != 'item' and in_list:
                out.append('</ul>')
            in_list = kind == 'item'
            tag = {'heading': 'h3', 'text': 'p', 'item': 'li'}[kind]
            out.append('<%s>%s</%s>' % (tag, html_runs(runs), tag))
        if in_list:
            out.append('</ul>')
        out.append('</section>')
    keywords = sorted((k, t) for t in topics for k in t.keywords)
    if keywords:
        out.append('<section id="keyword-index">')
        out.append('<h2>%s</h2>' % e(settings.get('index', 'Index')))
        out.append('<ul>')
        for k, t in sorted(keywords, key=lambda kt: (kt[0].lower(), kt[0])):
            out.append('<li><a href="#%s">%s</a></li>' % (t.name.lower(), e(k)))
        out.append('</ul>')
        out.append('</section>')
    out += ['</body>', '</html>', '']
    return '\n'.join(out)


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument('source')
    ap.add_argument('--hlp', help='write the help file here')
    ap.add_argument('--ids', help='header whose #defines name the map numbers')
    ap.add_argument('--html', help='write the HTML copy here')
    ap.add_argument('--check-html', help='fail unless this file is the HTML copy of the source')
    args = ap.parse_args(argv)
    try:
        with open(args.source, encoding='utf-8') as f:
            settings, topics = parse(f.read(), args.source)
        page = html_page(settings, topics)
        if args.check_html:
            with open(args.check_html, encoding='utf-8') as f:
                if f.read() != page:
                    raise SourceError('%s is not the HTML copy of %s: run tools/mkhelp.py %s '
                                      '--html %s' % (args.check_html, args.source, args.source,
                                                     args.check_html))
        if args.hlp:
            maps = map_numbers(topics, read_ids(args.ids) if args.ids else {})
            data = Writer(settings, topics, maps).help_file()
            with open(args.hlp, 'wb') as f:
                f.write(data)
        if args.html:
            with open(args.html, 'w', encoding='utf-8', newline='\n') as f:
                f.write(page)
    except (SourceError, OSError) as e:
        print('mkhelp: %s' % e, file=sys.stderr)
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
