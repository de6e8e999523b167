# Reference for the report benchmark: the same grouped rows as a ReportLab
# platypus table (one table per region with a repeated header, group totals,
# page numbers), A4, Liberation Sans so Cyrillic renders. Prints timings.
import sqlite3, sys, time, resource
from reportlab.lib.pagesizes import A4
from reportlab.lib.units import mm
from reportlab.lib import colors
from reportlab.platypus import SimpleDocTemplate, Table, TableStyle, Paragraph, Spacer
from reportlab.lib.styles import ParagraphStyle
from reportlab.pdfbase import pdfmetrics
from reportlab.pdfbase.ttfonts import TTFont

db_path, out = sys.argv[1], sys.argv[2]
pdfmetrics.registerFont(TTFont('LS', '/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf'))
pdfmetrics.registerFont(TTFont('LSB', '/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf'))

t0 = time.time()
rows = sqlite3.connect(db_path).execute(
    'select id, region, customer, product, qty, price, qty * price as amount from sales order by region, id').fetchall()
t_fetch = time.time()

def money(v):
    return '{:,.2f}'.format(v).replace(',', '\u00a0').replace('.', ',')

story = [Paragraph('Продажи по регионам', ParagraphStyle('t', fontName='LSB', fontSize=14, alignment=1)), Spacer(1, 4 * mm)]
header = ['№', 'Покупатель', 'Товар', 'Кол-во', 'Цена', 'Сумма']
widths = [16 * mm, 56 * mm, 41 * mm, 19 * mm, 25 * mm, 28 * mm]
style = TableStyle([('FONT', (0, 0), (-1, -1), 'LS', 9), ('FONT', (0, 0), (-1, 0), 'LSB', 9),
                    ('LINEBELOW', (0, 0), (-1, 0), 0.5, colors.black), ('ALIGN', (3, 0), (-1, -1), 'RIGHT'),
                    ('FONT', (0, -1), (-1, -1), 'LSB', 9), ('LINEABOVE', (5, -1), (5, -1), 0.5, colors.black),
                    ('TOPPADDING', (0, 0), (-1, -1), 0.5), ('BOTTOMPADDING', (0, 0), (-1, -1), 1.5)])
grand = 0.0
i = 0
while i < len(rows):
    region = rows[i][1]
    data = [header]
    qty = 0
    total = 0.0
    while i < len(rows) and rows[i][1] == region:
        r = rows[i]
        data.append([str(r[0]), r[2], r[3], str(r[4]), money(r[5]), money(r[6])])
        qty += r[4]
        total += r[6]
        i += 1
    grand += total
    story.append(Paragraph('Регион: ' + region, ParagraphStyle('g', fontName='LSB', fontSize=9)))
    data.append(['', 'Итого по региону ' + region, '', str(qty), '', money(total)])
    story.append(Table(data, colWidths=widths, repeatRows=1, style=style))
story.append(Paragraph('Всего ' + money(grand), ParagraphStyle('s', fontName='LSB', fontSize=10, alignment=2)))

def footer(canvas, doc):
    canvas.setFont('LS', 9)
    canvas.drawRightString(A4[0] - 10 * mm, 8 * mm, 'Страница %d' % doc.page)

doc = SimpleDocTemplate(out, pagesize=A4, leftMargin=15 * mm, rightMargin=10 * mm, topMargin=10 * mm, bottomMargin=14 * mm)
doc.build(story, onFirstPage=footer, onLaterPages=footer)
t_done = time.time()
print('pages=%d fetch_ms=%d build_ms=%d total_ms=%d maxrss_kb=%d' % (
    doc.page, (t_fetch - t0) * 1000, (t_done - t_fetch) * 1000, (t_done - t0) * 1000,
    resource.getrusage(resource.RUSAGE_SELF).ru_maxrss))
