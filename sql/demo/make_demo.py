#!/usr/bin/env python3
# Writes the demo trading business (02_business_data.sql) and the demo catalogue
# over it (04_catalogue.sql) as plain INSERT statements every dialect accepts.
# Deterministic: the same files come out on every run.
import datetime
import os
import random

here = os.path.dirname(os.path.abspath(__file__))
rnd = random.Random(20240611)


def q(v):
    if v is None:
        return 'NULL'
    if isinstance(v, (int, float)):
        return repr(v)
    return "'" + str(v).replace("'", "''") + "'"


def inserts(table, cols, rows, chunk=400):
    out = []
    for i in range(0, len(rows), chunk):
        part = rows[i:i + chunk]
        out.append('INSERT INTO %s (%s) VALUES\n%s;\n' % (
            table, ', '.join(cols), ',\n'.join('(' + ', '.join(q(v) for v in r) + ')' for r in part)))
    return ''.join(out)


# ---------------------------------------------------------------- business data
regions = ['Москва', 'Московская область', 'Санкт-Петербург', 'Ленинградская область',
           'Нижегородская область', 'Республика Татарстан', 'Свердловская область',
           'Новосибирская область', 'Краснодарский край', 'Самарская область']
cities = ['Москва', 'Подольск', 'Санкт-Петербург', 'Гатчина', 'Нижний Новгород', 'Казань',
          'Екатеринбург', 'Новосибирск', 'Краснодар', 'Самара']
streets = ['ул. Ленина', 'ул. Гагарина', 'пр. Мира', 'ул. Садовая', 'ул. Советская',
           'ул. Победы', 'Заводская ул.', 'ул. Лесная', 'Центральная ул.', 'ул. Строителей']
forms = ['ООО', 'ООО', 'ООО', 'АО', 'ИП', 'ТД']
roots = ['Весна', 'Радуга', 'Колос', 'Северный ветер', 'Продторг', 'Меркурий', 'Гермес',
         'Альянс', 'Вектор', 'Снабженец', 'Горизонт', 'Берёзка', 'Магистраль', 'Урожай',
         'Континент', 'Сфера', 'Торговый двор', 'Лидер', 'Оптовик', 'Стимул', 'Фортуна',
         'Восход', 'Партнёр', 'Перекрёсток', 'Успех', 'Ярмарка', 'Дельта', 'Кристалл',
         'Атлант', 'Светлый путь']
surnames = ['Иванов', 'Смирнов', 'Кузнецов', 'Попов', 'Васильев', 'Петров', 'Соколов',
            'Михайлов', 'Новиков', 'Фёдоров', 'Морозов', 'Волков', 'Алексеев', 'Лебедев']
initials = ['А.А.', 'В.С.', 'И.П.', 'Н.В.', 'О.Г.', 'С.М.', 'Т.Е.', 'Д.К.']

region_rows = [(i + 1, n) for i, n in enumerate(regions)]

client_rows = []
names = set()
while len(client_rows) < 150:
    form = rnd.choice(forms)
    if form == 'ИП':
        name = 'ИП %s %s' % (rnd.choice(surnames), rnd.choice(initials))
    else:
        name = '%s «%s%s»' % (form, rnd.choice(roots), rnd.choice(['', '', '-Плюс', '-М', ' и К']))
    if name in names:
        continue
    names.add(name)
    reg = rnd.randrange(len(regions))
    cid = len(client_rows) + 1
    client_rows.append((cid, name, reg + 1, '%010d' % rnd.randrange(10 ** 9, 10 ** 10),
                        '+7 (%03d) %03d-%02d-%02d' % (rnd.randrange(900, 999), rnd.randrange(1000),
                                                      rnd.randrange(100), rnd.randrange(100)),
                        'г. %s, %s, д. %d' % (cities[reg], rnd.choice(streets), rnd.randrange(1, 120)),
                        float(rnd.choice([50000, 100000, 150000, 250000, 500000, 1000000]))))

goods_src = [
    ('Бакалея', 'кг', [('Сахар-песок', 62), ('Рис круглозёрный', 95), ('Гречка ядрица', 88),
                       ('Мука пшеничная в/с', 48), ('Пшено шлифованное', 55), ('Макароны «Перья»', 74),
                       ('Соль поваренная', 18), ('Горох колотый', 41)]),
    ('Бакалея', 'шт', [('Масло подсолнечное 1 л', 139), ('Чай чёрный 100 г', 89), ('Кофе молотый 250 г', 349),
                       ('Какао-порошок 100 г', 119), ('Уксус столовый 9% 0,5 л', 39)]),
    ('Консервы', 'шт', [('Тушёнка говяжья 325 г', 189), ('Сайра в масле 250 г', 129),
                        ('Горошек зелёный 400 г', 79), ('Кукуруза сладкая 340 г', 85),
                        ('Шпроты в масле 160 г', 135), ('Томатная паста 380 г', 92),
                        ('Сгущённое молоко 380 г', 98), ('Огурцы маринованные 680 г', 145)]),
    ('Молочные продукты', 'шт', [('Молоко 3,2% 1 л', 79), ('Кефир 2,5% 1 л', 85), ('Сметана 20% 400 г', 119),
                                 ('Творог 9% 200 г', 109), ('Масло сливочное 82,5% 180 г', 199),
                                 ('Сыр «Российский» 200 г', 229), ('Йогурт питьевой 270 г', 59)]),
    ('Напитки', 'шт', [('Вода минеральная 1,5 л', 59), ('Сок яблочный 1 л', 115), ('Морс клюквенный 1 л', 99),
                       ('Квас хлебный 1,5 л', 89), ('Лимонад «Буратино» 1,5 л', 79)]),
    ('Бытовая химия', 'шт', [('Стиральный порошок 3 кг', 649), ('Средство для посуды 500 мл', 119),
                             ('Мыло хозяйственное 200 г', 45), ('Чистящий порошок 400 г', 59),
                             ('Отбеливатель 1 л', 89), ('Средство для стёкол 500 мл', 139)]),
    ('Хозтовары', 'шт', [('Губки для посуды, 5 шт.', 69), ('Перчатки хозяйственные', 79),
                         ('Мешки для мусора 60 л', 129), ('Бумага туалетная, 4 рул.', 149),
                         ('Салфетки бумажные', 49), ('Плёнка пищевая 20 м', 119)]),
]
goods_rows = []
for grp, unit, items in goods_src:
    for name, price in items:
        for pack, mul in [('', 1.0), (' (коробка)', 0.0)]:
            gid = len(goods_rows) + 1
            if mul == 0.0:
                # a wholesale box of 12 at a discount
                goods_rows.append((gid, name + pack, 'кор', round(price * 12 * 0.93, 2), grp, 'Т%05d' % gid))
            else:
                goods_rows.append((gid, name, unit, float(price), grp, 'Т%05d' % gid))

invoice_rows = []
line_rows = []
start = datetime.date(2025, 1, 9)
days = (datetime.date(2026, 11, 30) - start).days
managers = ['Иванов И.П.', 'Петрова Н.В.', 'Сидоров А.А.']
for n in range(1, 1201):
    d = start + datetime.timedelta(days=rnd.randrange(days))
    client = rnd.randrange(1, len(client_rows) + 1)
    total = 0.0
    for _ in range(rnd.randint(2, 7)):
        g = rnd.choice(goods_rows)
        qty = rnd.randint(1, 40) if g[2] != 'кг' else rnd.choice([5, 10, 25, 50, 100])
        amount = round(qty * g[3], 2)
        total += amount
        line_rows.append((len(line_rows) + 1, n, g[0], qty, g[3], amount))
    invoice_rows.append([n, 'РН-%06d' % n, d.isoformat(), client, round(total, 2), 0, rnd.choice(managers)])
invoice_rows.sort(key=lambda r: r[2])
for r in invoice_rows:
    r[5] = 1 if r[2] < '2026-10-01' or rnd.random() < 0.3 else 0
invoice_rows.sort(key=lambda r: r[0])

with open(os.path.join(here, '02_business_data.sql'), 'w', encoding='utf-8') as f:
    f.write('-- Demo trading business: regions, clients, goods, invoices and their lines.\n'
            '-- Written by make_demo.py; edit that script, not this file.\n\n')
    f.write(inserts('Regions', ['Id', 'Name'], region_rows))
    f.write(inserts('Clients', ['Id', 'Name', 'RegionId', 'Inn', 'Phone', 'Address', 'CreditLimit'], client_rows))
    f.write(inserts('Goods', ['Id', 'Name', 'Unit', 'Price', 'GroupName', 'Code'], goods_rows))
    f.write(inserts('Invoices', ['Id', 'InvNo', 'InvDate', 'ClientId', 'Total', 'Paid', 'Manager'],
                    [tuple(r) for r in invoice_rows]))
    f.write(inserts('InvoiceLines', ['Id', 'InvoiceId', 'GoodsId', 'Qty', 'Price', 'Amount'], line_rows))

# the import sample: a supplier's price list
with open(os.path.join(here, 'price_import.csv'), 'w', encoding='utf-8') as f:
    f.write('Code;Name;Unit;Price\n')
    for g in goods_rows[:24:2]:
        f.write('%s;%s;%s;%s\n' % (g[5], g[1], g[2], ('%.2f' % (g[3] * 1.05)).replace('.', ',')))

# ---------------------------------------------------------------- catalogue
out = ['-- Demo catalogue over the trading business: groups, reports, queries with\n'
       '-- parameters of every kind, a data module, scripts, an import and rights.\n'
       '-- Written by make_demo.py; edit that script, not this file. Layouts stay NULL.\n\n']


def ins(table, **cols):
    out.append('INSERT INTO %s (%s) VALUES (%s);\n' % (
        table, ', '.join(cols), ', '.join(v if isinstance(v, Raw) else q(v) for v in cols.values())))


class Raw(str):
    pass


def ref(table, name, col='Name'):
    return Raw('(SELECT Id FROM %s WHERE %s = %s)' % (table, col, q(name)))


groups = ['Продажи', 'Справочники', 'Сервис']
for i, g in enumerate(groups, 1):
    ins('VornGroup', GrpName=g, Numm=i)
out.append('\n')

queries = [
    ('Продажи за период по регионам', 'Накладные за период в выбранных регионах',
     'SELECT r.Name AS Region, c.Name AS Client, i.InvNo, i.InvDate, i.Total, i.Paid\n'
     'FROM Invoices i\n'
     '  JOIN Clients c ON c.Id = i.ClientId\n'
     '  JOIN Regions r ON r.Id = c.RegionId\n'
     'WHERE i.InvDate BETWEEN :DateFrom AND :DateTo\n'
     '  AND r.Id IN (%%Regions%%)\n'
     'ORDER BY r.Name, i.InvDate, i.InvNo'),
    ('Накладные клиента', 'Шапки накладных одного клиента (главный запрос)',
     'SELECT i.Id, i.InvNo, i.InvDate, i.Total, i.Paid, i.Manager, c.Name AS Client, c.Address\n'
     'FROM Invoices i JOIN Clients c ON c.Id = i.ClientId\n'
     'WHERE i.ClientId = :Client AND i.InvDate BETWEEN :DateFrom AND :DateTo\n'
     'ORDER BY i.InvDate, i.InvNo'),
    ('Строки накладной', 'Строки текущей накладной (подчинённый запрос, Id из главного)',
     'SELECT l.Id AS LineId, g.Code, g.Name AS Goods, g.Unit, l.Qty, l.Price, l.Amount\n'
     'FROM InvoiceLines l JOIN Goods g ON g.Id = l.GoodsId\n'
     'WHERE l.InvoiceId = :Id\n'
     'ORDER BY l.Id'),
    ('Состав выбранной накладной', 'Клиент и его накладная выбираются из списков',
     'SELECT i.InvNo, i.InvDate, g.Name AS Goods, g.Unit, l.Qty, l.Price, l.Amount\n'
     'FROM InvoiceLines l\n'
     '  JOIN Invoices i ON i.Id = l.InvoiceId\n'
     '  JOIN Goods g ON g.Id = l.GoodsId\n'
     'WHERE i.ClientId = :Client AND i.Id = :Invoice\n'
     'ORDER BY l.Id'),
    ('Крупные покупатели', 'Покупатели с оборотом не меньше заданного',
     'SELECT c.Name AS Client, r.Name AS Region, COUNT(*) AS Invoices, SUM(i.Total) AS Total,\n'
     '       SUM(i.Total) * (100 - :Discount) / 100 AS TotalWithDiscount\n'
     'FROM Invoices i\n'
     '  JOIN Clients c ON c.Id = i.ClientId\n'
     '  JOIN Regions r ON r.Id = c.RegionId\n'
     'WHERE i.InvDate >= :SinceTime\n'
     'GROUP BY c.Name, r.Name\n'
     'HAVING SUM(i.Total) >= :MinTotal AND COUNT(*) >= :MinCount\n'
     'ORDER BY 4 DESC'),
    ('Прайс-лист', 'Товары группы с ценами',
     'SELECT g.Code, g.Name, g.Unit, g.Price, g.GroupName\n'
     'FROM Goods g\n'
     "WHERE g.GroupName LIKE '%%GoodsGroup%%%'\n"
     'ORDER BY g.GroupName, g.Name'),
    ('Закупочные цены', 'Цены со скидкой поставщика; нужен пароль',
     'SELECT g.Code, g.Name, g.Unit, g.Price, g.Price * 0.8 AS PurchasePrice\n'
     'FROM Goods g\n'
     "WHERE :Password = 'закупка'\n"
     'ORDER BY g.Name'),
    ('Справочник клиентов', 'Клиенты с регионами и лимитами',
     'SELECT c.Id, c.Name, r.Name AS Region, c.Inn, c.Phone, c.Address, c.CreditLimit\n'
     'FROM Clients c JOIN Regions r ON r.Id = c.RegionId\n'
     'ORDER BY c.Name'),
    ('Неоплаченные накладные', 'Долги клиентов на дату',
     'SELECT c.Name AS Client, i.InvNo, i.InvDate, i.Total\n'
     'FROM Invoices i JOIN Clients c ON c.Id = i.ClientId\n'
     'WHERE i.Paid = 0 AND i.InvDate <= :OnDate\n'
     'ORDER BY c.Name, i.InvDate'),
]
for i, (name, descr, sql) in enumerate(queries, 1):
    ins('VornQuery', Numm=i, Name=name, Description=descr, SQLtext=sql)
out.append('\n')

ins('VornRemoteData', Numm=1, Name='Остатки на складе', Description='Сервер приложений склада (GetData)',
    IdRemtServerType=1, ServerName='Vorn.StockServer', ServerGUID='', ComputerName='localhost',
    IdRemtProtocol=2, Port=8211)
out.append('\n')

CLIENTS = 'SELECT Id, Name FROM Clients ORDER BY Name'


def param(query, numm, name, label, typ, defkind=0, sql=None, field=None, display=None,
          dispindex=0, defsql=None, width=0, module=None):
    cols = dict(IdQuery=ref('VornQuery', query) if query else Raw('NULL'),
                IdRemoteData=ref('VornRemoteData', module) if module else Raw('NULL'),
                Numm=numm, ParName=name, ParLabel=label, IdParTyp=typ, SQL=sql, Width=width,
                LookupField=field, LookupDisplay=display, LookupDisplayIndex=dispindex,
                IdTypDefVal=defkind, DefSQL=defsql)
    ins('VornParam', **cols)


qn = [x[0] for x in queries]
# sales by region: a remembered date range and a multi-select region list used as a macro
param(qn[0], 1, 'DateFrom', 'С даты', 1, 1)
param(qn[0], 2, 'DateTo', 'По дату', 1, 1)
param(qn[0], 3, 'Regions', 'Регионы', 6, 0, 'SELECT Id, Name FROM Regions ORDER BY Name', 'Id', 'Name', 0,
      width=300)
# client invoices (master): a client lookup and a period whose end comes from DefSQL
param(qn[1], 1, 'Client', 'Клиент', 5, 1, CLIENTS, 'Id', 'Name', 0, width=300)
param(qn[1], 2, 'DateFrom', 'С даты', 1, 2, defsql='SELECT MIN(InvDate) FROM Invoices WHERE ClientId = :Client')
param(qn[1], 3, 'DateTo', 'По дату', 1, 2, defsql='SELECT MAX(InvDate) FROM Invoices WHERE ClientId = :Client')
# chosen invoice: a client lookup and a dependent invoice lookup
param(qn[3], 1, 'Client', 'Клиент', 5, 1, CLIENTS, 'Id', 'Name', 0, width=300)
param(qn[3], 2, 'Invoice', 'Накладная', 5, 0,
      'SELECT Id, InvNo, InvDate, Total FROM Invoices WHERE ClientId = :Client ORDER BY InvDate DESC',
      'Id', 'InvNo', -1, width=300)
# big buyers: money, number, integer and date-time
param(qn[4], 1, 'MinTotal', 'Оборот не менее, руб.', 2, 1)
param(qn[4], 2, 'MinCount', 'Накладных не менее', 4, 0)
param(qn[4], 3, 'Discount', 'Скидка, %', 3, 0)
param(qn[4], 4, 'SinceTime', 'Начиная с (дата и время)', 7, 2,
      defsql='SELECT MIN(InvDate) FROM Invoices')
# price list: a text macro inside a LIKE pattern, defaulted from the goods groups
param(qn[5], 1, 'GoodsGroup', 'Группа товаров (начало)', 0, 1)
# purchase prices: a password
param(qn[6], 1, 'Password', 'Пароль', 8, 0)
# unpaid invoices on a date
param(qn[8], 1, 'OnDate', 'На дату', 1, 0)
# the data module's own parameter
param(None, 1, 'Store', 'Склад', 0, 0, module='Остатки на складе')
out.append('\n')

forms = [
    ('Продажи по регионам за период', 'Накладные за период по выбранным регионам', 0, 1),
    ('Накладные клиента с составом', 'Главный запрос — накладные, подчинённый — их строки', 0, 1),
    ('Состав накладной', 'Данные в таблицах', 0, 1000),
    ('Крупные покупатели', 'Вывод выбирается при запуске', 1, 1),
    ('Прайс-лист', 'Товары по группам', 0, 1),
    ('Закупочные цены', 'Только по паролю', 0, 1000),
    ('Справочник клиентов', 'Все клиенты', 0, 1),
    ('Неоплаченные накладные', 'Долги на дату', 0, 1),
    ('Остатки на складе', 'Данные модуля сервера приложений', 0, 1000),
]
for i, (name, descr, dest, exe) in enumerate(forms, 1):
    ins('VornForm', Numm=i, Name=name, Description=descr, IdDestination=dest, IdTypExec=exe)
out.append('\n')


def link(form, numm, short, query=None, module=None, master=0):
    ins('VornFrm2Qry', IdForm=ref('VornForm', form), Numm=numm,
        IdQuery=ref('VornQuery', query) if query else Raw('NULL'),
        IdRemoteData=ref('VornRemoteData', module) if module else Raw('NULL'),
        IsMaster=master, QueryShortName=short)


link(forms[0][0], 1, 'Query1', qn[0])
link(forms[1][0], 1, 'Query1', qn[1], master=1)
link(forms[1][0], 2, 'Query2', qn[2])
link(forms[2][0], 1, 'Query1', qn[3])
link(forms[3][0], 1, 'Query1', qn[4])
link(forms[4][0], 1, 'Query1', qn[5])
link(forms[5][0], 1, 'Query1', qn[6])
link(forms[6][0], 1, 'Query1', qn[7])
link(forms[7][0], 1, 'Query1', qn[8])
link(forms[8][0], 1, 'Query1', module='Остатки на складе')
out.append('\n')

vbs = '''' Сводка продаж: число накладных, оборот, оплаченное и долги клиентов
Dim f, prm, ds, r, n, debt, fso, pdf, txt
Set f = GlobalVornMain.Functions
Set ds = f.OpenQuery("SELECT COUNT(*) AS Cnt, SUM(Total) AS Total FROM Invoices", Empty)
txt = "Накладных: " & ds.Fields("Cnt").Value & vbCrLf & _
      "Оборот: " & FormatNumber(ds.Fields("Total").Value, 2) & " руб."
ds.Close
' параметры запроса берутся из словаря: имя -> значение
Set prm = CreateObject("Scripting.Dictionary")
prm.Add "Paid", 1
Set ds = f.OpenQuery("SELECT COUNT(*) AS Cnt, SUM(Total) AS Total FROM Invoices WHERE Paid = :Paid", prm)
txt = txt & vbCrLf & "Оплачено: " & ds.Fields("Cnt").Value & " на " & _
      FormatNumber(ds.Fields("Total").Value, 2) & " руб."
ds.Close
' долги на сегодня: строки отчёта «Неоплаченные накладные» с его параметром
Set r = GlobalVornMain.Report("Неоплаченные накладные")
r.Params("OnDate").Value = Date
Set ds = r.Querys(1)
n = 0
debt = 0
Do While Not ds.Eof
  n = n + 1
  debt = debt + ds.Fields("Total").Value
  ds.Next
Loop
txt = txt & vbCrLf & "Не оплачено: " & n & " на " & FormatNumber(debt, 2) & " руб."
' и тот же отчёт — в файл PDF во временной папке
Set fso = CreateObject("Scripting.FileSystemObject")
pdf = fso.BuildPath(fso.GetSpecialFolder(2).Path, "Неоплаченные накладные.pdf")
r.RunEx 3, 1, pdf
txt = txt & vbCrLf & "Отчёт о долгах: " & pdf
f.MessageBox txt, 64, "Сводка продаж"
'''
js = '''// Оборот по регионам (оплаченные накладные) и число крупных покупателей
var main = GlobalVornMain, f = main.Functions;
// параметры запроса задаются списком: имя, значение, тип
var prm = main.NewQueryParams;
prm.Add("Paid", 1, 3, "");
var ds = f.OpenQuery("SELECT r.Name AS Region, SUM(i.Total) AS Total FROM Invoices i " +
                     "JOIN Clients c ON c.Id = i.ClientId JOIN Regions r ON r.Id = c.RegionId " +
                     "WHERE i.Paid = :Paid GROUP BY r.Name ORDER BY 2 DESC", prm);
var lines = [];
for (; !ds.Eof; ds.Next())
  lines.push(ds.Fields("Region").Value + ": " + ds.Fields("Total").Value.toFixed(2) + " руб.");
ds.Close();
// отчёт «Крупные покупатели» с нашими параметрами: обходим его строки
var r = main.Report("Крупные покупатели");
r.Params("MinTotal").Value = 1000000;
r.Params("MinCount").Value = 1;
r.Params("Discount").Value = 0;
var q = r.Querys(1), n = 0;
for (; !q.Eof; q.Next())
  n++;
lines.push("Покупателей с оборотом от 1 000 000 руб.: " + n);
f.MessageBox(lines.join("\\r\\n"), 64, "Оборот по регионам");
'''
ins('VornScript', Numm=1, Name='Сводка продаж', Description='VBScript: итоги по накладным',
    IdScrEng=1, ScriptText=vbs)
ins('VornScript', Numm=2, Name='Оборот по регионам', Description='JScript: обход набора данных',
    IdScrEng=2, ScriptText=js)
out.append('\n')

memberships = [('Продажи', forms[0][0], None), ('Продажи', forms[1][0], None), ('Продажи', forms[2][0], None),
               ('Продажи', forms[3][0], None), ('Продажи', forms[7][0], None),
               ('Справочники', forms[4][0], None), ('Справочники', forms[5][0], None),
               ('Справочники', forms[6][0], None), ('Справочники', forms[8][0], None),
               ('Сервис', None, 'Сводка продаж'), ('Сервис', None, 'Оборот по регионам')]
numm = {}
for grp, form, script in memberships:
    numm[grp] = numm.get(grp, 0) + 1
    ins('VornGrpBody', IdGroup=ref('VornGroup', grp, 'GrpName'),
        IdForm=ref('VornForm', form) if form else Raw('NULL'),
        IdScript=ref('VornScript', script) if script else Raw('NULL'), Numm=numm[grp])
out.append('\n')

imp_script = '''' Загрузка прайс-листа поставщика: строки "Код;Наименование;Ед.;Цена"
Dim fso, ts, line, parts, prm, n
Set fso = CreateObject("Scripting.FileSystemObject")
Set ts = fso.OpenTextFile(GlobalVornDataImport.FileName, 1)
ts.SkipLine
n = 0
Do While Not ts.AtEndOfStream
  line = ts.ReadLine
  If Len(Trim(line)) > 0 Then
    parts = Split(line, ";")
    Set prm = CreateObject("Scripting.Dictionary")
    prm("Code") = parts(0)
    prm("Name") = parts(1)
    prm("Unit") = parts(2)
    prm("Price") = GlobalVornDataImport.Functions.StrToFloatSep(parts(3), ",", " ")
    GlobalVornDataImport.ExecSQL prm, ""
    n = n + 1
  End If
Loop
ts.Close
GlobalVornDataImport.Functions.MessageBox "Загружено строк: " & n, 64, GlobalVornDataImport.Name
'''
ins('VornImports', Numm=1, Name='Прайс-лист поставщика (CSV)',
    Description='Строки файла price_import.csv в таблицу PriceImport',
    FileTemplate='price_import.csv', IdScrEng=1,
    SQLtext='INSERT INTO PriceImport (Code, Name, Unit, Price) VALUES (:Code, :Name, :Unit, :Price)',
    ScriptText=imp_script)
out.append('\n')

for login, full in [('director', 'Директор Смирнов Алексей Викторович'),
                    ('ivanov', 'Иванов Иван Петрович'), ('petrova', 'Петрова Наталья Васильевна'),
                    ('managers', 'Менеджеры по продажам')]:
    ins('VornLogins', LoginName=login, FullName=full)
out.append('\n')

rights = [(1, ref('VornGroup', 'Продажи', 'GrpName'), 'managers'),
          (5, ref('VornScript', 'Сводка продаж'), 'ivanov'),
          (6, ref('VornImports', 'Прайс-лист поставщика (CSV)'), 'ivanov'),
          (1, ref('VornGroup', 'Справочники', 'GrpName'), 'petrova'),
          (2, ref('VornForm', 'Накладные клиента с составом'), 'petrova')]
for kind, obj, login in rights:
    ins('VornUsers', IdTypObj=kind, IdObj=obj, LoginName=login)

with open(os.path.join(here, '04_catalogue.sql'), 'w', encoding='utf-8') as f:
    f.write(''.join(out))
