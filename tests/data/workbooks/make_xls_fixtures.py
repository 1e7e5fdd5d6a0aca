#!/usr/bin/python3
# Makes the Excel 97-2003 (.xls) fixtures of this folder once; they are
# committed. Run here with Debian's Python (python3-xlwt):
#     /usr/bin/python3 make_xls_fixtures.py
#
# xlwt writes the cells; what it cannot write (MULRK from other programs,
# LABEL, RSTRING, cached formula strings, phonetic strings, a chart sheet,
# an encrypted or Excel 5 workbook, macros and other streams, cells that a
# later record takes over) is added to its record stream here, and the
# compound file is built here too, in other writers' ways where asked (a
# stream named BOOK, a mini stream size that ends inside a sector), as is an
# encrypted package of the Office Open XML family.
import struct
import xlwt

BOF, EOF, BOUNDSHEET, SST, WINDOW1 = 0x0809, 0x000A, 0x0085, 0x00FC, 0x003D
FILEPASS, LABEL, RSTRING, FORMULA, STRING = 0x002F, 0x0204, 0x00D6, 0x0006, 0x0207
BOOLERR, MULRK, MULBLANK, DIMENSIONS = 0x0205, 0x00BD, 0x00BE, 0x0200
INDEX, DBCELL, SHRFMLA, ARRAY = 0x020B, 0x00D7, 0x04BC, 0x0221


def records(stream):
    out, p = [], 0
    while p + 4 <= len(stream):
        kind, size = struct.unpack('<HH', stream[p:p + 4])
        out.append([kind, stream[p + 4:p + 4 + size]])
        p += 4 + size
    return out


def split(stream):
    """Globals and sheet substreams as record lists."""
    recs = records(stream)
    subs, current = [], []
    for rec in recs:
        current.append(rec)
        if rec[0] == EOF:
            subs.append(current)
            current = []
    return subs[0], subs[1:]


def raw(recs):
    return b''.join(struct.pack('<HH', k, len(d)) + d for k, d in recs)


def join(globals_, sheets):
    """The stream again, with every sheet position in BOUNDSHEET and INDEX
    set."""
    position = len(raw(globals_))
    bodies = []
    index = 0
    for rec in globals_:
        if rec[0] == BOUNDSHEET:
            rec[1] = struct.pack('<I', position) + rec[1][4:]
            for r in sheets[index]:
                if r[0] == INDEX:
                    fields = struct.unpack('<%dI' % (len(r[1]) // 4), r[1])
                    r[1] = struct.pack('<4I', *fields[:4]) + b''.join(
                        struct.pack('<I', v + position) for v in fields[4:])
            body = raw(sheets[index])
            bodies.append(body)
            position += len(body)
            index += 1
    return raw(globals_) + b''.join(bodies)


CELLS = (0x0203, 0x027E, 0x00BD, 0x00BE, 0x0201, 0x0205, 0x00FD, 0x0204, 0x00D6, 0x0006,
         0x04BC, 0x0221, 0x0236, 0x0207)


def with_index(sheet):
    """The sheet's cell table in blocks of 32 rows with DBCELL records and an
    INDEX after the BOF, as Excel lays it out (positions counted from the
    sheet's BOF; join() moves them)."""
    first = next(i for i, r in enumerate(sheet) if r[0] == 0x0208 or r[0] in CELLS)
    last = max(i for i, r in enumerate(sheet) if r[0] == 0x0208 or r[0] in CELLS)
    table = sheet[first:last + 1]
    rows, cells = {}, {}
    current = None
    for r in table:
        if r[0] == 0x0208:
            current = struct.unpack('<H', r[1][:2])[0]
            rows[current] = r
        else:
            if r[0] in (0x04BC, 0x0221, 0x0236, 0x0207):
                cells[current].append(r)
                continue
            current = struct.unpack('<H', r[1][:2])[0]
            cells.setdefault(current, []).append(r)
    order = sorted(set(rows) | set(cells))
    blocks = [order[i:i + 32] for i in range(0, len(order), 32)]
    head = sheet[:1] + [[INDEX, bytes(16 + 4 * len(blocks))]] + sheet[1:first]
    position = len(raw(head))
    body, dbcells = [], []
    for block in blocks:
        row_start = position
        for r in block:
            body.append(rows[r])
            position += 4 + len(rows[r][1])
        first_row_end = row_start + 4 + len(rows[block[0]][1])
        starts = []
        for r in block:
            starts.append(position)
            for c in cells.get(r, []):
                body.append(c)
                position += 4 + len(c[1])
        offsets = [starts[0] - first_row_end] + [b - a for a, b in zip(starts, starts[1:])]
        dbcells.append(position)
        data = struct.pack('<I', position - row_start) + b''.join(struct.pack('<H', o) for o in offsets)
        body.append([DBCELL, data])
        position += 4 + len(data)
    head[1][1] = struct.pack('<4I', 0, order[0], order[-1] + 1, 0) + b''.join(
        struct.pack('<I', d) for d in dbcells)
    return head + body + sheet[last + 1:]


def u16string(text, length_bytes=2):
    wide = any(ord(c) > 0xFF for c in text)
    chars = text.encode('utf-16-le') if wide else text.encode('latin-1')
    return struct.pack('<H' if length_bytes == 2 else '<B', len(text)) + bytes([1 if wide else 0]) + chars


def cell(row, col, xf=15):
    return struct.pack('<HHH', row, col, xf)


def rk(value):
    return struct.pack('<I', (value << 2) | 2)


# --- compound file -----------------------------------------------------------

FREE, END, FATSECT = 0xFFFFFFFF, 0xFFFFFFFE, 0xFFFFFFFD


def compound(streams, mini_size_exact=False):
    """A version 3 compound file of {path: bytes}; 'a/b' makes storage a.
    With mini_size_exact the root entry records where the last stream in
    the mini stream ends, as some writers do, not its whole last sector."""
    entries = [{'name': 'Root Entry', 'type': 5, 'children': [], 'data': b''}]
    storages = {'': 0}
    for path in streams:
        parts = path.split('/')
        for depth in range(len(parts) - 1):
            key = '/'.join(parts[:depth + 1])
            if key not in storages:
                storages[key] = len(entries)
                entries[storages['/'.join(parts[:depth])]]['children'].append(len(entries))
                entries.append({'name': parts[depth], 'type': 1, 'children': [], 'data': b''})
        entries[storages['/'.join(parts[:-1])]]['children'].append(len(entries))
        entries.append({'name': parts[-1], 'type': 2, 'children': [], 'data': streams[path]})

    mini = b''
    mini_end = 0
    minifat = []
    for e in entries:
        if e['type'] == 2 and len(e['data']) < 4096:
            count = (len(e['data']) + 63) // 64
            e['start'] = len(minifat) if count else END
            minifat += [len(minifat) + i + 1 for i in range(count)]
            if count:
                minifat[-1] = END
                mini_end = len(mini) + len(e['data'])
            mini += e['data'] + b'\0' * (count * 64 - len(e['data']))
    sectors = []  # (kind, bytes)

    def add(data):
        first = len(sectors)
        count = max(1, (len(data) + 511) // 512)
        for i in range(count):
            sectors.append(data[i * 512:(i + 1) * 512].ljust(512, b'\0'))
        return first, count

    chains = []
    mini_start, mini_count = add(mini) if mini else (END, 0)
    if mini:
        chains.append((mini_start, mini_count))
    entries[0]['start'], entries[0]['size'] = mini_start, mini_end if mini_size_exact else len(mini)
    mf = b''.join(struct.pack('<I', v) for v in minifat)
    mf_start, mf_count = add(mf) if mf else (END, 0)
    if mf:
        chains.append((mf_start, mf_count))
    for e in entries:
        if e['type'] == 2 and len(e['data']) >= 4096:
            e['start'], count = add(e['data'])
            chains.append((e['start'], count))
        e.setdefault('size', len(e['data']))
        e.setdefault('start', END if e['type'] != 2 else e.get('start', END))

    # Siblings as a chain of right links in the order the format sorts names.
    def key(i):
        return (len(entries[i]['name']), entries[i]['name'].upper())
    for e in entries:
        e['left'] = e['right'] = e['child'] = FREE
    for e in entries:
        kids = sorted(e['children'], key=key)
        if kids:
            e['child'] = kids[0]
            for a, b in zip(kids, kids[1:]):
                entries[a]['right'] = b
    directory = b''
    for e in entries:
        name = e['name'].encode('utf-16-le') + b'\0\0'
        directory += name.ljust(64, b'\0') + struct.pack(
            '<HBBIII16sIQQIII', len(name), e['type'], 1, e['left'], e['right'], e['child'],
            b'\0' * 16, 0, 0, 0, e['start'] if e['type'] != 1 else 0,
            e['size'] if e['type'] != 1 else 0, 0)
    dir_start, dir_count = add(directory.ljust(((len(directory) + 511) // 512) * 512, b'\0'))
    chains.append((dir_start, dir_count))

    fat_count = 1
    while fat_count * 128 < len(sectors) + fat_count:
        fat_count += 1
    fat_first = len(sectors)
    total = len(sectors) + fat_count
    fat = [FREE] * (fat_count * 128)
    for start, count in chains:
        for i in range(count):
            fat[start + i] = start + i + 1 if i + 1 < count else END
    for i in range(fat_count):
        fat[fat_first + i] = FATSECT
    for i in range(fat_count):
        sectors.append(b''.join(struct.pack('<I', v) for v in fat[i * 128:(i + 1) * 128]))
    difat = [fat_first + i for i in range(fat_count)] + [FREE] * (109 - fat_count)
    header = (b'\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1' + b'\0' * 16 +
              struct.pack('<HHHHH6sIIIIIIIII', 0x3E, 3, 0xFFFE, 9, 6, bytes(6), 0, fat_count,
                          dir_start, 0, 4096, mf_start if mf else END, mf_count, END, 0) +
              b''.join(struct.pack('<I', v) for v in difat))
    assert len(header) == 512 and total == len(sectors)
    return header + b''.join(sectors)


def padded(stream):
    return stream + b'\0' * max(0, 4096 - len(stream))


def save(name, stream, extra=None, stream_name='Workbook', pad=True, mini_size_exact=False):
    streams = {stream_name: padded(stream) if pad else stream}
    streams.update(extra or {})
    with open(name, 'wb') as f:
        f.write(compound(streams, mini_size_exact))


# --- workbooks ---------------------------------------------------------------

def basic():
    """Two sheets: texts (one shared by several cells), numbers through
    formats, booleans, a formula; other streams and a macro storage."""
    wb = xlwt.Workbook()
    text = wb.add_sheet('Text')
    text.write(0, 0, 'apple pie')
    text.write(1, 0, 'apple pie')
    text.write(2, 0, '中文字符')
    text.write(0, 1, True)
    text.write(1, 1, False)
    text.write(0, 2, xlwt.Formula('1+1'))
    text.write(3, 0, 'shared')
    text.write(3, 1, 'shared')
    text.write_rich_text(4, 0, [('rich ', xlwt.Font()), ('text', xlwt.easyfont('bold true'))])
    numbers = wb.add_sheet('Numbers')
    formats = [(1234.5, '#,##0.00'), (0.25, '0%'), (45000, 'yyyy-mm-dd'), (3, 'General'),
               (-1.5, 'General'), (123456789012.0, 'General'), (0.1 + 0.2, 'General'),
               (44927.75, 'h:mm AM/PM'), (7, '0.00')]
    for row, (value, code) in enumerate(formats):
        numbers.write(row, 0, value, xlwt.easyxf(num_format_str=code))
    numbers.write(0, 1, 12)
    numbers.write(0, 2, 13)
    numbers.write(0, 3, 14)
    macros = {
        '_VBA_PROJECT_CUR/PROJECT': b'ID="{00000000-0000-0000-0000-000000000000}"\r\n' * 3,
        '_VBA_PROJECT_CUR/VBA/dir': bytes(range(256)) * 20,
        '_VBA_PROJECT_CUR/VBA/Module1': b'Attribute VB_Name = "Module1"\r\n' * 200,
        '\x05SummaryInformation': b'\xfe\xff' + bytes(200),
    }
    save('basic.xls', wb.get_biff_data(), macros)


def dates1904():
    wb = xlwt.Workbook()
    wb.dates_1904 = True
    sheet = wb.add_sheet('Dates')
    sheet.write(0, 0, 0, xlwt.easyxf(num_format_str='yyyy-mm-dd'))
    sheet.write(1, 0, 43000.5, xlwt.easyxf(num_format_str='yyyy-mm-dd hh:mm'))
    save('dates1904.xls', wb.get_biff_data())


def strings():
    """A shared-string table over many records and strings longer than one
    record, narrow and wide."""
    wb = xlwt.Workbook()
    sheet = wb.add_sheet('Strings')
    sheet.write(0, 0, 'x' * 10000)
    sheet.write(1, 0, '长' * 5000)
    sheet.write(2, 0, 'ab' + '长' * 4100 + 'cd')
    for i in range(3000):
        sheet.write(3 + i, 0, 'string number %d' % i)
        sheet.write(3 + i, 1, 'wide 字 %d' % i)
    save('strings.xls', wb.get_biff_data())


def records_():
    """The records other programs write: MULRK, LABEL, RSTRING, a boolean
    and an error, formulas with a cached string, boolean and error, a
    phonetic string in the table, a chart sheet that is active."""
    wb = xlwt.Workbook()
    sheet = wb.add_sheet('Cells')
    sheet.write(0, 0, 'first')
    wb.add_sheet('Other').write(0, 0, 'other')
    globals_, sheets = split(wb.get_biff_data())
    cells = sheets[0]
    at = next(i for i, r in enumerate(cells) if r[0] == 0x023E)  # before WINDOW2
    extra = [
        [MULRK, cell(1, 0)[:4] + struct.pack('<H', 15) + rk(10) + struct.pack('<H', 15) +
         struct.pack('<I', (12345 << 2) | 3) + struct.pack('<H', 1)],
        [LABEL, cell(2, 0) + u16string('label text')],
        [LABEL, cell(2, 1) + u16string('标签')],
        [RSTRING, cell(3, 0) + u16string('rich label') + struct.pack('<HHHHH', 2, 0, 0, 5, 1)],
        [BOOLERR, cell(4, 0) + bytes([1, 0])],
        [BOOLERR, cell(4, 1) + bytes([0x07, 1])],
        [FORMULA, cell(5, 0) + bytes([0, 0, 0, 0, 0, 0, 0xFF, 0xFF]) + struct.pack('<HIH', 0, 0, 3) +
         bytes([0x17, 0, 0])],
        [STRING, u16string('cached text')],
        [FORMULA, cell(5, 1) + bytes([1, 0, 1, 0, 0, 0, 0xFF, 0xFF]) + struct.pack('<HIH', 0, 0, 2) +
         bytes([0x1D, 1])],
        [FORMULA, cell(5, 2) + bytes([2, 0, 0x2A, 0, 0, 0, 0xFF, 0xFF]) + struct.pack('<HIH', 0, 0, 2) +
         bytes([0x1D, 1])],
        [FORMULA, cell(5, 3) + struct.pack('<d', 2.5) + struct.pack('<HIH', 0, 0, 2) + bytes([0x1D, 1])],
        [0x00FD, cell(6, 0) + struct.pack('<I', 2)],  # LABELSST of the phonetic string
    ]
    cells[at:at] = extra
    for r in cells:
        if r[0] == DIMENSIONS:
            r[1] = struct.pack('<IIHHH', 0, 7, 0, 4, 0)
    # A phonetic (East Asian) string appended to the table.
    for r in globals_:
        if r[0] == SST:
            total, unique = struct.unpack('<II', r[1][:8])
            ext = bytes([1, 0, 8, 0]) + bytes(8)
            phonetic = struct.pack('<HB', 2, 0x05) + struct.pack('<I', len(ext)) + '漢字'.encode('utf-16-le') + ext
            r[1] = struct.pack('<II', total + 1, unique + 1) + r[1][8:] + phonetic
        if r[0] == WINDOW1:
            r[1] = r[1][:10] + struct.pack('<H', 1) + r[1][12:]
    # A chart sheet between the two worksheets.
    at = [i for i, r in enumerate(globals_) if r[0] == BOUNDSHEET][0] + 1
    globals_.insert(at, [BOUNDSHEET, struct.pack('<IBB', 0, 0, 2) + u16string('Chart1', 1)])
    chart = [[BOF, struct.pack('<HHHHII', 0x0600, 0x0020, 0x0DBB, 0x07CC, 0, 6)],
             [0x1001, struct.pack('<H', 0)], [EOF, b'']]
    save('records.xls', join(globals_, [sheets[0], chart, sheets[1]]))


def formulas(name='formulas.xls', later=False):
    """Two sheets laid out as Excel lays them out (row blocks, DBCELL,
    INDEX), 70 rows each so that there are three blocks; the first holds a
    shared formula over A1:A3 anchored on A1 and an array formula over
    B1:B2 anchored on B1, each cell with its last value. With later, A1 and
    B1 are written again after the table's last cell (a number, a text),
    as some writers leave a cell they set twice; Excel shows the later
    record."""
    wb = xlwt.Workbook()
    first = wb.add_sheet('Formulas')
    second = wb.add_sheet('Second')
    for row in range(3, 70):
        first.write(row, 0, 'text %d' % row)
        first.write(row, 1, row)
        second.write(row - 3, 0, 'second %d' % row)
        second.write(row - 3, 1, row * 1.5)
    for row in range(3):
        first.write(row, 2, row)
    globals_, sheets = split(wb.get_biff_data())
    sheet = sheets[0]
    at = next(i for i, r in enumerate(sheet) if r[0] == 0x0208)

    def formula(row, col, value, anchor):
        return [FORMULA, cell(row, col) + struct.pack('<d', value) + struct.pack('<HIH', 8 if col == 0 else 0, 0, 5) +
                bytes([0x01]) + struct.pack('<HH', *anchor)]
    # =C1*2 shared: ptgRefN to the cell two columns right (relative), ptgInt 2, ptgMul.
    shared = struct.pack('<HHBB', 0, 2, 0, 0) + bytes([0, 3]) + struct.pack('<H', 9) + \
        bytes([0x2C]) + struct.pack('<HH', 0, 0xC002) + bytes([0x1E, 2, 0, 0x05])
    array = struct.pack('<HHBB', 0, 1, 1, 1) + bytes([0, 0, 0, 0, 0, 0]) + struct.pack('<H', 3) + \
        bytes([0x1E, 9, 0])
    rows = []
    for row in range(3):
        rows.append([0x0208, struct.pack('<HHHHHHI', row, 0, 3, 0xFF, 0, 0, 0x000F0100)])
        rows.append(formula(row, 0, row * 2.0, (0, 0)))
        if row == 0:
            rows.append([SHRFMLA, shared])
        if row < 2:
            rows.append(formula(row, 1, 9.0, (0, 1)))
        if row == 0:
            rows.append([ARRAY, array])
    # xlwt's own rows 0-2 held only column C; merge them after ours.
    own = [r for r in sheet[at:] if r[0] == 0x0208 and struct.unpack('<H', r[1][:2])[0] < 3]
    sheet[:] = [r for r in sheet if r not in own]
    sheet[at:at] = rows
    if later:
        add_cells(sheet, 0, [[0x0203, cell(0, 0) + struct.pack('<d', 42)],
                             [LABEL, cell(0, 1) + u16string('late text')]], at_end=True)
    # xlwt's C1:C3 follow without their ROW records now; with_index puts
    # every cell back with its row.
    sheets[0] = with_index(sheet)
    sheets[1] = with_index(sheets[1])
    save(name, join(globals_, sheets))


def refused():
    wb = xlwt.Workbook()
    wb.add_sheet('Secret').write(0, 0, 'secret')
    globals_, sheets = split(wb.get_biff_data())
    globals_.insert(1, [FILEPASS, struct.pack('<HHH', 1, 1, 1) + bytes(48)])
    save('encrypted.xls', join(globals_, sheets))
    # Excel 5/95: a Book stream of BIFF5 records.
    biff5 = (struct.pack('<HHHHHH', BOF, 8, 0x0500, 0x0005, 0x0DBB, 0x07CC) + struct.pack('<HH', EOF, 0))
    save('biff5.xls', biff5, stream_name='Book')
    save('biff5-in-workbook.xls', biff5)


def row_of(rec):
    return struct.unpack('<H', rec[1][:2])[0]


def add_cells(sheet, row, recs, at_end=False):
    """Puts cell records (and the STRING after a formula) into a sheet of
    xlwt's: before the row's own cells, or after the last cell of the table;
    the row's extent and DIMENSIONS grow to hold them."""
    if at_end:
        at = max(i for i, r in enumerate(sheet) if r[0] == 0x0208 or r[0] in CELLS) + 1
    else:
        at = next(i for i, r in enumerate(sheet) if r[0] in CELLS and row_of(r) == row)
    sheet[at:at] = recs
    for rec in (r for r in recs if r[0] != STRING):
        first = struct.unpack('<H', rec[1][2:4])[0]
        last = struct.unpack('<H', rec[1][-2:])[0] if rec[0] in (MULRK, MULBLANK) else first
        for r in sheet:
            if r[0] == 0x0208 and row_of(r) == row:
                lo, hi = struct.unpack('<HH', r[1][2:6])
                r[1] = r[1][:2] + struct.pack('<HH', min(lo, first), max(hi, last + 1)) + r[1][6:]
            if r[0] == DIMENSIONS:
                r0, r1, c0, c1 = struct.unpack('<IIHH', r[1][:12])
                r[1] = struct.pack('<IIHH', min(r0, row), max(r1, row + 1), min(c0, first),
                                   max(c1, last + 1)) + r[1][12:]


def xf_at(sheet, row, col):
    return next(struct.unpack('<H', r[1][4:6])[0] for r in sheet
                if r[0] in CELLS and r[1][:4] == struct.pack('<HH', row, col))


def mul(kind, row, first, items):
    """MULBLANK of styles, or MULRK of (style, integer) pairs."""
    body = b''.join(struct.pack('<H', i) if kind == MULBLANK else struct.pack('<H', i[0]) + rk(i[1])
                    for i in items)
    return [kind, struct.pack('<HH', row, first) + body + struct.pack('<H', first + len(items) - 1)]


def superseded():
    """Cells a later record takes over, as some writers leave them (Excel
    shows the later record): a MULBLANK of a bordered style over A2:E2 and
    then xlwt's date, text and number in B2:D2 (blanks first for a formatted
    block, then the values); a MULRK over A3:C3, then a text for A3 and B3;
    a MULBLANK over A4:D4 whose date in C4 comes only after the last row; a
    MULBLANK over A5:C5 and a MULRK over B5:D5 after it; a text in A9, the
    last string of the table and no other cell's, that a number after the
    last row takes over. A second sheet holds a text of its own."""
    wb = xlwt.Workbook()
    sheet = wb.add_sheet('Superseded')
    date = xlwt.easyxf(num_format_str='yyyy-mm-dd')
    sheet.write(0, 0, 'Heading apple')
    sheet.write(1, 1, 45000, date)
    sheet.write(1, 2, 'a text cell')
    sheet.write(1, 3, 12.5)
    sheet.write(2, 0, 'seven')
    sheet.write(2, 1, 'late text')
    sheet.write(3, 0, 'row four')
    sheet.write(3, 2, 44927, date)
    sheet.write(4, 5, 'row five')
    sheet.write(6, 0, None, xlwt.easyxf('borders: left thin, right thin'))
    sheet.write(7, 0, 'apple tail')
    wb.add_sheet('Other').write(0, 0, 'apple other')
    sheet.write(8, 0, 'stale text')
    globals_, sheets = split(wb.get_biff_data())
    cells = sheets[0]
    boxed, plain = xf_at(cells, 6, 0), xf_at(cells, 2, 0)
    add_cells(cells, 8, [[0x0203, cell(8, 0, plain) + struct.pack('<d', 8.5)]], at_end=True)
    add_cells(cells, 1, [mul(MULBLANK, 1, 0, [boxed] * 5)])
    add_cells(cells, 2, [mul(MULRK, 2, 0, [(plain, 1), (plain, 2), (plain, 3)])])
    late = next(r for r in cells if r[0] in CELLS and r[1][:4] == struct.pack('<HH', 3, 2))
    cells.remove(late)
    add_cells(cells, 3, [mul(MULBLANK, 3, 0, [boxed] * 4)])
    add_cells(cells, 3, [late], at_end=True)
    add_cells(cells, 4, [mul(MULBLANK, 4, 0, [boxed] * 3),
                         mul(MULRK, 4, 1, [(plain, 5), (plain, 6), (plain, 7)])])
    save('superseded.xls', join(globals_, sheets))


def empty_label():
    """Texts as LABEL records, the empty ones without their option byte
    (eight bytes long), as some writers leave them."""
    wb = xlwt.Workbook()
    sheet = wb.add_sheet('Labels')
    sheet.write(0, 0, 'label apple')
    sheet.write(2, 3, 'below')
    globals_, sheets = split(wb.get_biff_data())
    cells = sheets[0]
    add_cells(cells, 0, [[LABEL, cell(0, 1, 15) + struct.pack('<H', 0)],
                         [LABEL, cell(0, 2, 15) + u16string('after the empty one')]])
    add_cells(cells, 2, [[LABEL, cell(2, 0, 15) + struct.pack('<H', 0)]])
    save('empty-label.xls', join(globals_, sheets))


def empty_string():
    """Formulas whose cached text is empty, the STRING record after them
    without its option byte (two bytes long), as some writers leave it,
    and one with a cached text after them."""
    wb = xlwt.Workbook()
    sheet = wb.add_sheet('Results')
    sheet.write(0, 0, 'result apple')
    sheet.write(2, 3, 'below')
    globals_, sheets = split(wb.get_biff_data())
    cells = sheets[0]

    def text_formula(row, col, text):
        # ="text": a ptgStr; the result is in the STRING record after it.
        tokens = bytes([0x17]) + u16string(text, 1)
        return [[FORMULA, cell(row, col) + bytes([0, 0, 0, 0, 0, 0, 0xFF, 0xFF]) +
                 struct.pack('<HIH', 0, 0, len(tokens)) + tokens],
                [STRING, u16string(text) if text else struct.pack('<H', 0)]]
    add_cells(cells, 0, text_formula(0, 1, '') + text_formula(0, 2, 'after the empty one'))
    add_cells(cells, 2, text_formula(2, 0, ''))
    save('empty-string.xls', join(globals_, sheets))


def small_streams():
    """A workbook small enough to live in the mini stream with another
    stream after it, the root entry recording where that stream ends rather
    than the end of its last mini sector."""
    wb = xlwt.Workbook()
    sheet = wb.add_sheet('Small')
    sheet.write(0, 0, 'small apple')
    sheet.write(1, 0, 2.5)
    stream = wb.get_biff_data()
    assert len(stream) < 4096 and len(stream) % 64 != 0
    save('mini-stream-size.xls', stream, {'\x05SummaryInformation': b'\xfe\xff' + bytes(198)},
         pad=False, mini_size_exact=True)


def book_stream():
    """BIFF8 records in a stream named "BOOK", the Excel 5 name in capitals,
    as some writers name it."""
    wb = xlwt.Workbook()
    sheet = wb.add_sheet('Book')
    sheet.write(0, 0, 'book apple')
    sheet.write(0, 1, 3)
    save('book-stream.xls', wb.get_biff_data(), stream_name='BOOK')


def shared_strings():
    """Texts whose shared strings are used by one cell, by two in one block,
    by cells on both sides of a block (column D) and on two sheets; a rich
    text; a number."""
    wb = xlwt.Workbook()
    data = wb.add_sheet('Data')
    other = wb.add_sheet('Other')
    data.write(0, 0, 'apple pie')
    data.write(0, 1, 'apple pie')
    data.write(0, 2, 12)
    data.write(1, 0, 'apple')
    data.write(1, 3, 'apple')
    data.write(2, 0, 'crab apple')
    other.write(0, 0, 'crab apple')
    data.write_rich_text(3, 0, [('red ', xlwt.Font()), ('apple', xlwt.easyfont('bold true'))])
    data.write(4, 0, 'Apple cart')
    save('shared-strings.xls', wb.get_biff_data())


def encrypted_package():
    """An Office Open XML workbook encrypted with a password: a compound
    file of an EncryptionInfo stream (agile, version 4.4), the
    EncryptedPackage stream (its size, then the cipher text) and the
    DataSpaces storage, which the server refuses as encrypted."""
    info = struct.pack('<HHI', 4, 4, 0x40) + (
        b'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n'
        b'<encryption xmlns="http://schemas.microsoft.com/office/2006/encryption">'
        b'<keyData saltSize="16" blockSize="16" keyBits="256" hashSize="64" '
        b'cipherAlgorithm="AES" cipherChaining="ChainingModeCBC" hashAlgorithm="SHA512" '
        b'saltValue="AAAAAAAAAAAAAAAAAAAAAA=="/></encryption>')
    package = struct.pack('<Q', 6000) + bytes((i * 37 + 11) % 256 for i in range(6000 + 16 - 6000 % 16))
    with open('encrypted-package.xlsx', 'wb') as f:
        f.write(compound({'\x06DataSpaces/Version': b'\x3c\x00\x00\x00' + bytes(72),
                          'EncryptionInfo': info, 'EncryptedPackage': package}))


def libreoffice():
    """libreoffice.xls: a workbook as LibreOffice saves it in its own BIFF8
    dialect (its shared-string table and CONTINUE splitting, MULRK,
    MULBLANK, no INDEX or DBCELL, its own streams), and
    basic-libreoffice.xls: basic.xlsx saved as .xls, for the plug-in's runs
    over lists. Made with LibreOffice 7.4 (the first from a workbook
    openpyxl writes); only on request (--libreoffice), as the build
    machines have no LibreOffice and each save differs:
        /usr/bin/python3 make_xls_fixtures.py --libreoffice"""
    import datetime
    import os
    import subprocess
    import tempfile
    import openpyxl
    from openpyxl.styles import Alignment, Border, Font, PatternFill, Side
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = 'Orders'
    ws.append(['Name', '名称', 'Amount', 'Date', 'Share'])
    for c in ws[1]:
        c.font = Font(bold=True, color='FFFFFF')
        c.fill = PatternFill('solid', fgColor='336699')
    rows = [('apple', '苹果', 1234.5, datetime.date(2023, 3, 15), 0.25),
            ('pear', '梨', 7, datetime.date(2024, 2, 29), 0.5),
            ('apple', '苹果', -12.75, datetime.datetime(2021, 9, 23, 18, 30), 1),
            ('banana', '香蕉', 1e9, datetime.date(1999, 12, 31), 0.125)]
    for r in rows:
        ws.append(list(r))
    for row in ws.iter_rows(min_row=2, max_row=5):
        row[2].number_format = '#,##0.00'
        row[3].number_format = 'yyyy-mm-dd'
        row[4].number_format = '0.0%'
    ws['D4'].number_format = 'yyyy-mm-dd hh:mm'
    ws['C6'] = '=SUM(C2:C5)'
    ws['C6'].number_format = '#,##0.00'
    ws['A6'] = 'Total'
    ws['A6'].font = Font(italic=True)
    ws['A8'] = 'merged heading apple'
    ws.merge_cells('A8:C8')
    ws['A8'].alignment = Alignment(horizontal='center')
    thin = Side(style='thin')
    ws['B2'].border = Border(left=thin, right=thin, top=thin, bottom=thin)
    for col, width in zip('ABCDE', (14, 10, 12, 16, 8)):
        ws.column_dimensions[col].width = width
    notes = wb.create_sheet('Notes')
    notes['A1'] = 'A long note: ' + 'apple orchard records, ' * 400
    notes['A2'] = '长文本' * 3000
    notes['A3'] = 'mixed 中文 and Latin apple'
    for i in range(200):
        notes.cell(row=5 + i, column=1, value='item %d apple' % i)
        notes.cell(row=5 + i, column=2, value=i)
        notes.cell(row=5 + i, column=3, value=i * 0.5)
        notes.cell(row=5 + i, column=4, value='条目 %d' % i)
    notes['F1'] = True
    notes['F2'] = '=A3&" x"'
    numbers = wb.create_sheet('Numbers')
    for i in range(1, 40):
        for j in range(1, 8):
            numbers.cell(row=i, column=j, value=i * j)
    numbers['H1'] = 3.14159
    numbers['H1'].number_format = '0.000'
    with tempfile.TemporaryDirectory() as tmp:
        wb.save(os.path.join(tmp, 'libreoffice.xlsx'))
        os.symlink(os.path.abspath('basic.xlsx'), os.path.join(tmp, 'basic-libreoffice.xlsx'))
        for name in ('libreoffice', 'basic-libreoffice'):
            subprocess.run(['soffice', '-env:UserInstallation=file://' + tmp + '/profile',
                            '--headless', '--convert-to', 'xls:MS Excel 97',
                            os.path.join(tmp, name + '.xlsx'), '--outdir', '.'], check=True)


if __name__ == '__main__':
    import sys
    if sys.argv[1:] == ['--libreoffice']:
        libreoffice()
        sys.exit()
    basic()
    dates1904()
    strings()
    records_()
    formulas()
    refused()
    superseded()
    empty_label()
    empty_string()
    formulas('superseded-anchor.xls', later=True)
    small_streams()
    book_stream()
    encrypted_package()
    shared_strings()
