#!/usr/bin/env python3
# Writes the layouts of the demo reports, one XML file per report (the catalogue
# builder knows which file belongs to which report). Deterministic; edit this script.
import os
from xml.sax.saxutils import escape, quoteattr

here = os.path.dirname(os.path.abspath(__file__))


def item(kind, name, left, top, width, height, text=None, expr=None, fmt=None, align=None,
         font=None, frame=None, system=None, wrap=False):
    a = [('type', kind), ('name', name), ('left', left), ('top', top), ('width', width), ('height', height)]
    if fmt:
        a.append(('format', fmt))
    if system:
        a.append(('system', system))
    if align:
        a.append(('align', align))
    if wrap:
        a.append(('wordWrap', 'true'))
    if frame:
        a += [('frame', frame), ('frameWidth', 0.2)]
    s = '   <Item ' + ' '.join('%s=%s' % (k, quoteattr(str(v))) for k, v in a) + '>\n'
    if font:
        s += '    <Font family="Arial" size="%s"%s/>\n' % (font[0], ' bold="true"' if font[1] else '')
    if text is not None:
        s += '    <Text>%s</Text>\n' % escape(text)
    if expr is not None:
        s += '    <Expression>%s</Expression>\n' % escape(expr)
    return s + '   </Item>\n'


def label(name, left, top, width, text, **kw):
    return item('Label', name, left, top, width, kw.pop('height', 5), text=text, **kw)


def field(name, left, top, width, expr, **kw):
    return item('DataField', name, left, top, width, kw.pop('height', 5), expr=expr, **kw)


def calc(name, left, top, width, expr, **kw):
    return item('Expression', name, left, top, width, kw.pop('height', 5), expr=expr, **kw)


def band(kind, name, height, items, **attrs):
    a = ''.join(' %s=%s' % (k, quoteattr(str(v))) for k, v in attrs.items())
    return '  <Band type="%s" name="%s" height="%s"%s>\n%s  </Band>\n' % (kind, name, height, a, ''.join(items))


def dataset(cls, name, sql=None, master=None, source_of=None, fields=()):
    a = ' class="%s" name="%s"' % (cls, name)
    if cls == 'TVornQuery':
        a += ' DatabaseConnName="dbMain"'
    if source_of:
        a += ' DataSet="%s"' % source_of
    if master:
        a += ' MasterSource="%s"' % master
    body = ''
    if sql:
        body += '   <SQL>%s</SQL>\n' % escape(sql)
    for f, t in fields:
        body += '   <Field name="%s" type="%s"/>\n' % (f, t)
    return '  <DataSet%s>\n%s  </DataSet>\n' % (a, body) if body else '  <DataSet%s/>\n' % a


def layout(title, datasets, bands, landscape=False):
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<!-- Layout of the demo report %s; written by make_layouts.py, edit that script.\n'
            '     A catalogue layout: its datasets (Query1, ...) take their SQL, parameters and master links\n'
            '     from the catalogue\'s queries of the report when it runs (in the program, or by vornreport\n'
            '     given the report\'s Id). The SQL stored here is a placeholder: rendered alone as a file,\n'
            '     the layout fails with "Неизвестное имя ...". -->\n'
            '<VornReport version="1" title=%s>\n'
            ' <Page paper="A4" orientation="%s" marginLeft="15" marginTop="10" marginRight="10" marginBottom="10" columns="1"/>\n'
            ' <Font family="Arial" size="9"/>\n'
            ' <DataSets>\n%s </DataSets>\n'
            ' <Bands>\n%s </Bands>\n'
            '</VornReport>\n') % (escape(title).replace('--', '-'), quoteattr(title), 'landscape' if landscape else 'portrait',
                                  ''.join(datasets), ''.join(bands))


MONEY = '#,##0.00'
DATE = 'dd.mm.yyyy'
H1 = (14, True)
B = (9, True)


def title_band(text, subtitle_expr=None, extra=(), extra_height=0):
    """The report's title (the run's caption), a subtitle and any further lines."""
    items = [item('SystemData', 'sysTitle', 0, 0, 185, 8, system='ReportTitle', font=H1, align='center top')]
    if subtitle_expr:
        items.append(calc('exSubtitle', 0, 9, 185, subtitle_expr, align='center top'))
    top = 16 if subtitle_expr else 10
    items += list(extra)
    return band('Title', 'Title', top + extra_height, items)


def page_footer():
    return band('PageFooter', 'PageFooter', 8, [
        calc('exUser', 0, 2, 120, "'Отчёт сформировал: ' + USERFIO"),
        item('SystemData', 'sysPage', 130, 2, 55, 5, system='PageNofM', align='right top'),
    ])


def header_row(name, cols):
    return band('ColumnHeader', name, 7, [
        label('h' + c[0], c[1], 1, c[2], c[3], font=B, frame='B', align=c[4] if len(c) > 4 else None)
        for c in cols], repeat='true')


files = {}

# 1. Sales by region: grouped list with totals, period and regions from usrPARAM
files['sales_by_region.xml'] = layout(
    'Продажи по регионам за период',
    [dataset('TVornQuery', 'Query1', 'select 1'), dataset('TDataSource', 'dsQuery1', source_of='Query1'),
     dataset('TRxMemoryData', 'usrPARAM', fields=[('DateFrom', 'Date'), ('DateTo', 'Date'), ('Regions', 'String'),
                                                 ('Regions_Display', 'String')])],
    [title_band('Продажи по регионам',
                "'с ' + FORMATDATETIME('dd.mm.yyyy', usrPARAM.DateFrom) + ' по ' + FORMATDATETIME('dd.mm.yyyy', usrPARAM.DateTo)",
                [calc('exRegions', 0, 16, 185, "'Регионы: ' + usrPARAM.Regions_Display", wrap=True, height=10)], 12),
     header_row('Header', [('Client', 0, 85, 'Клиент'), ('InvNo', 85, 25, 'Накладная'), ('InvDate', 110, 25, 'Дата'),
                           ('Total', 135, 30, 'Сумма', 'right top'), ('Paid', 168, 17, 'Оплата')]),
     band('GroupHeader', 'RegionHeader', 8, [calc('exRegion', 0, 2, 185, "'Регион: ' + Query1.Region", font=(10, True))],
          expression='Query1.Region'),
     band('Detail', 'Detail', 5, [
         field('fClient', 2, 0, 83, 'Query1.Client'), field('fInvNo', 85, 0, 25, 'Query1.InvNo'),
         field('fInvDate', 110, 0, 25, 'Query1.InvDate', fmt=DATE),
         field('fTotal', 135, 0, 30, 'Query1.Total', fmt=MONEY, align='right top'),
         calc('exPaid', 168, 0, 17, "IF(Query1.Paid = 1, 'да', 'нет')")], dataSet='Query1'),
     band('GroupFooter', 'RegionFooter', 7, [
         calc('exRegionCount', 60, 1, 75, "'Итого по региону, накладных: ' + STR(COUNT())", align='right top', font=B),
         calc('exRegionSum', 135, 1, 30, 'SUM(Query1.Total)', fmt=MONEY, align='right top', font=B, frame='T')],
          header='RegionHeader'),
     band('Summary', 'Summary', 9, [
         calc('exAllCount', 30, 2, 105, "'Всего накладных: ' + STR(COUNT())", align='right top', font=(10, True)),
         calc('exAllSum', 135, 2, 30, 'SUM(Query1.Total)', fmt=MONEY, align='right top', font=(10, True))]),
     page_footer()])

# 2. Invoices of a client with lines: master/detail, amount in words, the client's name from its lookup
files['client_invoices.xml'] = layout(
    'Накладные клиента с составом',
    [dataset('TVornQuery', 'Query1', 'select 1'), dataset('TDataSource', 'dsQuery1', source_of='Query1'),
     dataset('TVornQuery', 'Query2', 'select 1', master='dsQuery1'), dataset('TDataSource', 'dsQuery2', source_of='Query2'),
     dataset('TRxMemoryData', 'usrPARAM', fields=[('Client', 'Integer'), ('Client_Display', 'String'),
                                                 ('DateFrom', 'Date'), ('DateTo', 'Date')])],
    [title_band('Накладные клиента', "usrPARAM.Client_Display + ', с ' + FORMATDATETIME('dd.mm.yyyy', usrPARAM.DateFrom)"
                " + ' по ' + FORMATDATETIME('dd.mm.yyyy', usrPARAM.DateTo)"),
     band('Detail', 'Invoice', 22, [
         calc('exInvoice', 0, 2, 185, "'Накладная № ' + Query1.InvNo + ' от ' + FORMATDATETIME('dd.mm.yyyy', Query1.InvDate)",
              height=6, font=(11, True)),
         calc('exBuyer', 0, 9, 185, "'Покупатель: ' + Query1.Client + ', ' + Query1.Address"),
         calc('exManager', 0, 14, 185, "'Менеджер: ' + Query1.Manager"),
     ], dataSet='Query1', keepTogether='true'),
     band('GroupHeader', 'LinesHeader', 6, [
         label('hCode', 5, 0, 20, 'Код', font=B, frame='B'), label('hGoods', 25, 0, 70, 'Товар', font=B, frame='B'),
         label('hUnit', 95, 0, 12, 'Ед.', font=B, frame='B'),
         label('hQty', 107, 0, 22, 'Кол-во', font=B, frame='B', align='right top'),
         label('hPrice', 129, 0, 26, 'Цена', font=B, frame='B', align='right top'),
         label('hAmount', 155, 0, 30, 'Сумма', font=B, frame='B', align='right top')], detail='Lines'),
     band('SubDetail', 'Lines', 5, [
         field('fCode', 5, 0, 20, 'Query2.Code'), field('fGoods', 25, 0, 70, 'Query2.Goods'),
         field('fUnit', 95, 0, 12, 'Query2.Unit'),
         field('fQty', 107, 0, 22, 'Query2.Qty', fmt='#,##0.###', align='right top'),
         field('fPrice', 129, 0, 26, 'Query2.Price', fmt=MONEY, align='right top'),
         field('fAmount', 155, 0, 30, 'Query2.Amount', fmt=MONEY, align='right top')], dataSet='Query2', master='Invoice'),
     band('GroupFooter', 'LinesFooter', 17, [
         label('lTotal', 107, 1, 48, 'Итого:', font=B, align='right top'),
         field('fTotal', 155, 1, 30, 'Query1.Total', fmt=MONEY, align='right top', font=B, frame='T'),
         calc('exWords', 0, 7, 185,
              "'Сумма прописью: ' + NUMTORUS(Query1.Total, 'рублей', TRUE, 'копеек', 2, 'рубль', 'рубля', 'копейка', 'копейки')",
              height=9, wrap=True)], header='LinesHeader'),
     band('Summary', 'Summary', 12, [
         calc('exCount', 0, 3, 120, "'Накладных: ' + STR(COUNT())", font=B),
         calc('exSign', 0, 7, 185, "'Ответственный: ________________ ' + USERFIO")]),
     page_footer()])

# 3. Lines of a chosen invoice (run as grids; the layout prints the same)
files['invoice_lines.xml'] = layout(
    'Состав накладной',
    [dataset('TVornQuery', 'Query1', 'select 1'),
     dataset('TRxMemoryData', 'usrPARAM', fields=[('Client_Display', 'String'), ('Invoice_Display', 'String')])],
    [title_band('Состав накладной', "usrPARAM.Client_Display + ', накладная ' + usrPARAM.Invoice_Display"),
     header_row('Header', [('Goods', 0, 90, 'Товар'), ('Unit', 90, 15, 'Ед.'), ('Qty', 105, 25, 'Кол-во', 'right top'),
                           ('Price', 130, 25, 'Цена', 'right top'), ('Amount', 155, 30, 'Сумма', 'right top')]),
     band('Detail', 'Detail', 5, [
         field('fGoods', 0, 0, 90, 'Query1.Goods'), field('fUnit', 90, 0, 15, 'Query1.Unit'),
         field('fQty', 105, 0, 25, 'Query1.Qty', fmt='#,##0.###', align='right top'),
         field('fPrice', 130, 0, 25, 'Query1.Price', fmt=MONEY, align='right top'),
         field('fAmount', 155, 0, 30, 'Query1.Amount', fmt=MONEY, align='right top')], dataSet='Query1'),
     band('Summary', 'Summary', 14, [
         calc('exSum', 105, 1, 80, "'Итого: ' + FORMATNUMERIC('#,##0.00', SUM(Query1.Amount))", align='right top', font=B),
         calc('exWords', 0, 7, 185, "NUMTORUS(SUM(Query1.Amount), 'рублей', TRUE, 'копеек', 2, 'рубль', 'рубля', 'копейка', 'копейки')")]),
     page_footer()])

# 4. Big buyers: prints every parameter value it was run with
files['big_buyers.xml'] = layout(
    'Крупные покупатели',
    [dataset('TVornQuery', 'Query1', 'select 1'),
     dataset('TRxMemoryData', 'usrPARAM', fields=[('MinTotal', 'Currency'), ('MinCount', 'Integer')])],
    [title_band('Крупные покупатели', None, [
         label('lParams', 0, 10, 185, 'Условия отбора', font=B, frame='B'),
         calc('exMinTotal', 0, 16, 185, "'Оборот не менее: ' + FORMATNUMERIC('#,##0.00', usrPARAM.MinTotal) + ' руб.'"),
         calc('exMinCount', 0, 21, 185, "'Накладных не менее: ' + STR(usrPARAM.MinCount)"),
         calc('exDiscount', 0, 26, 90, "'Скидка: ' + STR(usrPARAM.Discount) + ' %'"),
         calc('exSince', 90, 26, 95, "'Начиная с: ' + FORMATDATETIME('dd.mm.yyyy hh:nn', usrPARAM.SinceTime)")], 24),
     header_row('Header', [('Client', 0, 70, 'Клиент'), ('Region', 70, 40, 'Регион'), ('Inv', 110, 15, 'Накл.', 'right top'),
                           ('Total', 125, 30, 'Оборот', 'right top'), ('Disc', 155, 30, 'Со скидкой', 'right top')]),
     band('Detail', 'Detail', 5, [
         field('fClient', 0, 0, 70, 'Query1.Client'), field('fRegion', 70, 0, 40, 'Query1.Region'),
         field('fInv', 110, 0, 15, 'Query1.Invoices', align='right top'),
         field('fTotal', 125, 0, 30, 'Query1.Total', fmt=MONEY, align='right top'),
         field('fDisc', 155, 0, 30, 'Query1.TotalWithDiscount', fmt=MONEY, align='right top')], dataSet='Query1'),
     band('Summary', 'Summary', 8, [
         calc('exCount', 0, 2, 110, "'Покупателей: ' + STR(COUNT())", font=B),
         calc('exSum', 125, 2, 30, 'SUM(Query1.Total)', fmt=MONEY, align='right top', font=B),
         calc('exSumDisc', 155, 2, 30, 'SUM(Query1.TotalWithDiscount)', fmt=MONEY, align='right top', font=B)]),
     page_footer()])

# 5. Price list grouped by goods group
files['price_list.xml'] = layout(
    'Прайс-лист',
    [dataset('TVornQuery', 'Query1', 'select 1')],
    [title_band('Прайс-лист', "IF(usrPARAM.GoodsGroup = '', 'все группы товаров', 'группы, начинающиеся с «' + usrPARAM.GoodsGroup + '»')"),
     header_row('Header', [('Code', 0, 25, 'Код'), ('Name', 25, 110, 'Наименование'), ('Unit', 135, 15, 'Ед.'),
                           ('Price', 150, 35, 'Цена, руб.', 'right top')]),
     band('GroupHeader', 'GroupHeader', 8, [calc('exGroup', 0, 2, 185, 'Query1.GroupName', font=(10, True))],
          expression='Query1.GroupName'),
     band('Detail', 'Detail', 5, [
         field('fCode', 0, 0, 25, 'Query1.Code'), field('fName', 25, 0, 110, 'Query1.Name'),
         field('fUnit', 135, 0, 15, 'Query1.Unit'),
         field('fPrice', 150, 0, 35, 'Query1.Price', fmt=MONEY, align='right top')], dataSet='Query1'),
     band('GroupFooter', 'GroupFooter', 6, [
         calc('exCount', 25, 0, 160, "'Позиций в группе: ' + STR(COUNT())", align='right top')], header='GroupHeader'),
     page_footer()])

# 6. Purchase prices
files['purchase_prices.xml'] = layout(
    'Закупочные цены',
    [dataset('TVornQuery', 'Query1', 'select 1')],
    [title_band('Закупочные цены'),
     header_row('Header', [('Code', 0, 25, 'Код'), ('Name', 25, 95, 'Наименование'), ('Unit', 120, 15, 'Ед.'),
                           ('Price', 135, 25, 'Цена', 'right top'), ('PPrice', 160, 25, 'Закупка', 'right top')]),
     band('Detail', 'Detail', 5, [
         field('fCode', 0, 0, 25, 'Query1.Code'), field('fName', 25, 0, 95, 'Query1.Name'),
         field('fUnit', 120, 0, 15, 'Query1.Unit'),
         field('fPrice', 135, 0, 25, 'Query1.Price', fmt=MONEY, align='right top'),
         field('fPPrice', 160, 0, 25, 'Query1.PurchasePrice', fmt=MONEY, align='right top')], dataSet='Query1'),
     page_footer()])

# 7. Clients
files['clients.xml'] = layout(
    'Справочник клиентов',
    [dataset('TVornQuery', 'Query1', 'select 1')],
    [title_band('Справочник клиентов'),
     header_row('Header', [('Name', 0, 55, 'Клиент'), ('Region', 55, 47, 'Регион'), ('Inn', 102, 23, 'ИНН'),
                           ('Phone', 125, 32, 'Телефон'), ('Limit', 157, 28, 'Лимит', 'right top')]),
     band('Detail', 'Detail', 9, [
         field('fName', 0, 0, 55, 'Query1.Name'), field('fRegion', 55, 0, 47, 'Query1.Region'),
         field('fInn', 102, 0, 23, 'Query1.Inn'), field('fPhone', 125, 0, 32, 'Query1.Phone'),
         field('fLimit', 157, 0, 28, 'Query1.CreditLimit', fmt=MONEY, align='right top'),
         field('fAddress', 5, 4, 180, 'Query1.Address', font=(8, False))], dataSet='Query1'),
     band('Summary', 'Summary', 7, [calc('exCount', 0, 2, 185, "'Клиентов: ' + STR(COUNT())", font=B)]),
     page_footer()])

# 8. Unpaid invoices by client
files['unpaid_invoices.xml'] = layout(
    'Неоплаченные накладные',
    [dataset('TVornQuery', 'Query1', 'select 1'),
     dataset('TRxMemoryData', 'usrPARAM', fields=[('OnDate', 'Date')])],
    [title_band('Неоплаченные накладные', "'на ' + FORMATDATETIME('dd.mm.yyyy', usrPARAM.OnDate)"),
     header_row('Header', [('InvNo', 10, 40, 'Накладная'), ('InvDate', 50, 30, 'Дата'), ('Total', 150, 35, 'Сумма', 'right top')]),
     band('GroupHeader', 'ClientHeader', 7, [calc('exClient', 0, 1, 185, 'Query1.Client', font=B)], expression='Query1.Client'),
     band('Detail', 'Detail', 5, [
         field('fInvNo', 10, 0, 40, 'Query1.InvNo'), field('fInvDate', 50, 0, 30, 'Query1.InvDate', fmt=DATE),
         field('fTotal', 150, 0, 35, 'Query1.Total', fmt=MONEY, align='right top')], dataSet='Query1'),
     band('GroupFooter', 'ClientFooter', 7, [
         calc('exDebt', 50, 1, 100, "'Долг клиента:'", align='right top'),
         calc('exDebtSum', 150, 1, 35, 'SUM(Query1.Total)', fmt=MONEY, align='right top', font=B, frame='T')],
          header='ClientHeader'),
     band('Summary', 'Summary', 9, [
         calc('exAll', 0, 2, 150, "'Всего долгов, накладных ' + STR(COUNT()) + ':'", align='right top', font=(10, True)),
         calc('exAllSum', 150, 2, 35, 'SUM(Query1.Total)', fmt=MONEY, align='right top', font=(10, True))]),
     page_footer()])

# 9. Stock from the warehouse application server (a remote data module)
files['stock.xml'] = layout(
    'Остатки на складе',
    [dataset('TClientDataSet', 'Query1')],
    [title_band('Остатки на складе', "IF(usrPARAM.Store = '', 'все склады', 'склад ' + usrPARAM.Store)"),
     header_row('Header', [('Code', 0, 25, 'Код'), ('Goods', 25, 90, 'Товар'), ('Unit', 115, 15, 'Ед.'),
                           ('Qty', 130, 25, 'Остаток', 'right top'), ('Updated', 160, 25, 'На дату')]),
     band('GroupHeader', 'StoreHeader', 7, [calc('exStore', 0, 1, 185, "'Склад: ' + Query1.Store", font=B)],
          expression='Query1.Store'),
     band('Detail', 'Detail', 5, [
         field('fCode', 0, 0, 25, 'Query1.Code'), field('fGoods', 25, 0, 90, 'Query1.Goods'),
         field('fUnit', 115, 0, 15, 'Query1.Unit'),
         field('fQty', 130, 0, 25, 'Query1.Qty', fmt='#,##0.###', align='right top'),
         field('fUpdated', 160, 0, 25, 'Query1.Updated', fmt=DATE)], dataSet='Query1'),
     page_footer()])

for name, text in files.items():
    with open(os.path.join(here, name), 'w', encoding='utf-8') as f:
        f.write(text)
