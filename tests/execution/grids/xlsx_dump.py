# Reads an XLSX workbook with the standard library only and prints what the export
# tests check as JSON: sheets in order, the active one, cells with their resolved
# style (bold, font colour, number format, border), column widths, row heights.
import json, re, sys, zipfile
import xml.etree.ElementTree as ET

NS = {'m': 'http://schemas.openxmlformats.org/spreadsheetml/2006/main',
      'r': 'http://schemas.openxmlformats.org/officeDocument/2006/relationships'}
RELNS = '{http://schemas.openxmlformats.org/package/2006/relationships}'

z = zipfile.ZipFile(sys.argv[1])
wb = ET.fromstring(z.read('xl/workbook.xml'))
rels = {r.get('Id'): r.get('Target') for r in ET.fromstring(z.read('xl/_rels/workbook.xml.rels')).iter(RELNS + 'Relationship')}
styles = ET.fromstring(z.read('xl/styles.xml'))
numfmts = {int(n.get('numFmtId')): n.get('formatCode') for n in styles.iter('{%s}numFmt' % NS['m'])}
fonts = []
for f in styles.find('m:fonts', NS):
    color = f.find('m:color', NS)
    fonts.append({'bold': f.find('m:b', NS) is not None, 'color': color.get('rgb') if color is not None else None})
borders = []
for b in styles.find('m:borders', NS):
    left = b.find('m:left', NS)
    borders.append(left is not None and left.get('style') is not None)
xfs = []
for x in styles.find('m:cellXfs', NS):
    al = x.find('m:alignment', NS)
    xfs.append({'font': int(x.get('fontId', 0)), 'fmt': int(x.get('numFmtId', 0)), 'border': int(x.get('borderId', 0)),
                'halign': al.get('horizontal') if al is not None else None,
                'valign': al.get('vertical') if al is not None else None})
shared = []
if 'xl/sharedStrings.xml' in z.namelist():
    for si in ET.fromstring(z.read('xl/sharedStrings.xml')).findall('m:si', NS):
        shared.append(''.join(t.text or '' for t in si.iter('{%s}t' % NS['m'])))

def style(s):
    x = xfs[s]
    f = fonts[x['font']]
    return {'bold': f['bold'], 'color': f['color'], 'fmt': numfmts.get(x['fmt'], str(x['fmt'])),
            'border': borders[x['border']], 'halign': x['halign'], 'valign': x['valign']}

out = {'sheets': [], 'active': 0}
view = wb.find('m:bookViews/m:workbookView', NS)
if view is not None and view.get('activeTab'):
    out['active'] = int(view.get('activeTab'))
for sh in wb.find('m:sheets', NS):
    target = rels[sh.get('{%s}id' % NS['r'])]
    x = ET.fromstring(z.read('xl/' + target.lstrip('/').replace('xl/', '')))
    sv = x.find('m:sheetViews/m:sheetView', NS)
    sheet = {'name': sh.get('name'), 'gridlines': sv is None or sv.get('showGridLines') != '0',
             'cols': [], 'rows': {}, 'cells': {}}
    cols = x.find('m:cols', NS)
    for c in (cols if cols is not None else []):
        sheet['cols'].append({'min': int(c.get('min')), 'max': int(c.get('max')), 'width': float(c.get('width')),
                              'style': style(int(c.get('style', 0)))})
    for row in x.find('m:sheetData', NS):
        if row.get('ht'):
            sheet['rows'][row.get('r')] = float(row.get('ht'))
        for c in row:
            cell = {'t': c.get('t', 'n')}
            f = c.find('m:f', NS)
            if f is not None:
                cell['f'] = f.text
            v = c.find('m:v', NS)
            if cell['t'] == 's':
                cell['v'] = shared[int(v.text)]
            elif cell['t'] == 'inlineStr':
                cell['v'] = ''.join(t.text or '' for t in c.iter('{%s}t' % NS['m']))
            elif v is not None:
                cell['v'] = v.text
            cell.update(style(int(c.get('s', 0))))
            sheet['cells'][c.get('r')] = cell
    out['sheets'].append(sheet)
print(json.dumps(out, ensure_ascii=False))
