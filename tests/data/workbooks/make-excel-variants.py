# Makes workbooks as Excel writes them in cases the other producers never
# do, part by part from the package and spreadsheet formats:
# /usr/bin/python3 make-excel-variants.py DIR. Made once and kept.
#   placeholder-sheet.xlsx  the very hidden entry, without a part (r:id=""),
#                           left of an Excel 5 macro module and dialog sheet
#   utf16-parts.xlsx        parts in UTF-16 with a byte-order mark, little-
#                           and big-endian, as Excel writes on some devices
#   empty-string-index.xlsx shared-string cells whose value is empty
import sys
import zipfile

folder = sys.argv[1]
DECL = '<?xml version="1.0" encoding="%s" standalone="yes"?>\r\n'
MAIN = 'http://schemas.openxmlformats.org/spreadsheetml/2006/main'
REL = 'http://schemas.openxmlformats.org/officeDocument/2006/relationships'
PKG = 'http://schemas.openxmlformats.org/package/2006/relationships'
TYPE = 'application/vnd.openxmlformats-officedocument.spreadsheetml.'


def encode(xml, encoding):
    if encoding == 'UTF-8':
        return (DECL % 'UTF-8' + xml).encode('utf-8')
    codec = 'utf-16-le' if encoding == 'UTF-16LE' else 'utf-16-be'
    return (u'\ufeff' + DECL % 'UTF-16' + xml).encode(codec)


def rels(items, namespace=PKG):
    return '<Relationships xmlns="%s">%s</Relationships>' % (namespace, ''.join(
        '<Relationship Id="%s" Type="%s/%s" Target="%s"/>' % (i, REL, t, target)
        for i, t, target in items))


def write(name, sheets, parts, strings, encodings={}):
    """sheets: (name, r:id, extra attributes); parts: sheet XML bodies, as
    sheet1.xml on; strings: the shared strings' items."""
    overrides = [('/xl/workbook.xml', TYPE + 'sheet.main+xml'),
                 ('/xl/styles.xml', TYPE + 'styles+xml'),
                 ('/xl/sharedStrings.xml', TYPE + 'sharedStrings+xml'),
                 ('/docProps/app.xml',
                  'application/vnd.openxmlformats-officedocument.extended-properties+xml')]
    overrides += [('/xl/worksheets/sheet%d.xml' % (n + 1), TYPE + 'worksheet+xml')
                  for n in range(len(parts))]
    entries = [
        ('[Content_Types].xml',
         '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
         '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.'
         'relationships+xml"/><Default Extension="xml" ContentType="application/xml"/>' +
         ''.join('<Override PartName="%s" ContentType="%s"/>' % o for o in overrides) +
         '</Types>'),
        ('_rels/.rels', rels([('rId1', 'officeDocument', 'xl/workbook.xml'),
                              ('rId2', 'extended-properties', 'docProps/app.xml')])),
        ('docProps/app.xml',
         '<Properties xmlns="http://schemas.openxmlformats.org/officeDocument/2006/'
         'extended-properties"><Application>Microsoft Excel</Application></Properties>'),
        ('xl/workbook.xml',
         '<workbook xmlns="%s" xmlns:r="%s"><bookViews><workbookView activeTab="%d"/>'
         '</bookViews><sheets>%s</sheets></workbook>' % (
             MAIN, REL, len(sheets) - 1, ''.join(
                 '<sheet name="%s" sheetId="%d"%s r:id="%s"/>' % (s[0], n + 1, s[2], s[1])
                 for n, s in enumerate(sheets)))),
        ('xl/_rels/workbook.xml.rels', rels(
            [('rId%d' % (n + 1), 'worksheet', 'worksheets/sheet%d.xml' % (n + 1))
             for n in range(len(parts))] +
            [('rId%d' % (len(parts) + 1), 'styles', 'styles.xml'),
             ('rId%d' % (len(parts) + 2), 'sharedStrings', 'sharedStrings.xml')])),
        ('xl/styles.xml',
         '<styleSheet xmlns="%s"><fonts count="1"><font><sz val="11"/><name val="Calibri"/>'
         '</font></fonts><fills count="1"><fill><patternFill patternType="none"/></fill>'
         '</fills><borders count="1"><border/></borders><cellStyleXfs count="1"><xf/>'
         '</cellStyleXfs><cellXfs count="2"><xf numFmtId="0"/><xf numFmtId="0" '
         'fontId="0" applyAlignment="1"><alignment wrapText="1"/></xf></cellXfs>'
         '</styleSheet>' % MAIN),
        ('xl/sharedStrings.xml', '<sst xmlns="%s" count="%d" uniqueCount="%d">%s</sst>' % (
            MAIN, len(strings), len(strings), ''.join(strings)))]
    entries += [('xl/worksheets/sheet%d.xml' % (n + 1),
                 '<worksheet xmlns="%s" xmlns:r="%s"><sheetData>%s</sheetData></worksheet>' %
                 (MAIN, REL, body)) for n, body in enumerate(parts)]
    with zipfile.ZipFile(folder + '/' + name, 'w', zipfile.ZIP_DEFLATED) as z:
        for part, xml in entries:
            z.writestr(part, encode(xml, encodings.get(part, 'UTF-8')))


write('placeholder-sheet.xlsx',
      [('Data', 'rId1', ''), ('Module1', '', ' state="veryHidden"'),
       ('Dialog1', '', ' state="hidden"'), ('Summary', 'rId2', '')],
      ['<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1"><v>3</v></c></row>',
       '<row r="1"><c r="A1" t="s"><v>1</v></c></row>'],
      ['<si><t>apple pie</t></si>', '<si><t>apple total</t></si>'])

write('utf16-parts.xlsx', [('Data', 'rId1', ''), ('Rest', 'rId2', '')],
      ['<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" s="1" t="s"><v>1</v></c>'
       '<c r="C1"><v>42</v></c></row><row r="2"><c r="A2" t="inlineStr"><is><t>crab apple'
       '</t></is></c></row>',
       '<row r="1"><c r="A1" t="inlineStr"><is><t>apple</t></is></c></row><row r="2">'
       '<c r="A2"><v>7</v></c><c r="B2"><f>A2*2</f><v>14</v></c></row>'],
      [u'<si><t>apple pie</t></si>',
       u'<si><r><t>\u9752\u82f9\u679c </t></r><r><rPr><b/></rPr><t xml:space="preserve">'
       u'\U0001F34F apple</t></r></si>'],
      {'xl/workbook.xml': 'UTF-16LE', 'xl/_rels/workbook.xml.rels': 'UTF-16LE',
       'xl/styles.xml': 'UTF-16LE', 'xl/sharedStrings.xml': 'UTF-16LE',
       'xl/worksheets/sheet1.xml': 'UTF-16LE', 'xl/worksheets/sheet2.xml': 'UTF-16BE'})

write('empty-string-index.xlsx', [('Data', 'rId1', '')],
      ['<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" s="1" t="s"><v/></c>'
       '<c r="C1" t="s"><v></v></c></row><row r="2"><c r="A2" t="s"><v>1</v></c></row>'],
      ['<si><t>apple pie</t></si>', '<si><t>crab apple</t></si>'])
