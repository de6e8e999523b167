# The same workbook bench_export writes, made with Python's xlsxwriter (constant
# memory mode, the same formats per cell), timed without the interpreter start.
import datetime, sys, time
import xlsxwriter

path, n = sys.argv[1], int(sys.argv[2])
t0 = time.perf_counter()
wb = xlsxwriter.Workbook(path, {'constant_memory': True})
ws = wb.add_worksheet('qBench')
hdr = wb.add_format({'bold': True, 'align': 'center', 'valign': 'vcenter', 'border': 1})
hdr2 = wb.add_format({'bold': True, 'align': 'center', 'valign': 'vcenter', 'font_color': '#CECEFF'})
cell = wb.add_format({'border': 1})
money = wb.add_format({'border': 1, 'num_format': '# ### ### ##0.00'})
date = wb.add_format({'border': 1, 'num_format': 'dd.mm.yyyy'})
sec = wb.add_format({'font_color': '#CECEFF'})
tot = wb.add_format({'bold': True, 'num_format': '# ### ### ##0.00'})
bold = wb.add_format({'bold': True})
names = ['Id', 'Code', 'Name', 'Qty', 'Price', 'Rate', 'Day', 'Note', 'Amount', 'IdGroup']
# widths as the C++ side computes them: the longest text
widths = [8, 8, 15, 5, 8, 8, 12, 15, 8, 9]
for j, w in enumerate(widths):
    ws.set_column(j, j, w, money if names[j] in ('Price', 'Rate', 'Amount') else (sec if j == 9 else None))
ws.hide_gridlines(2)
ws.set_row(0, 30, hdr)
for j, name in enumerate(names):
    ws.write_string(0, j, name, hdr2 if j == 9 else hdr)
base = datetime.datetime(2020, 1, 1)
sp = sa = sr = 0.0
for i in range(1, n + 1):
    r = i
    price = (i % 1000) / 4.0
    rate = i * 0.001
    amount = i % 777 + 0.5
    sp += price; sr += rate; sa += amount
    ws.write_number(r, 0, i, cell)
    ws.write_string(r, 1, '%06d' % i, cell)
    ws.write_string(r, 2, 'Клиент %d' % i, cell)
    ws.write_number(r, 3, i % 100, cell)
    ws.write_number(r, 4, price, money)
    ws.write_number(r, 5, rate, money)
    ws.write_datetime(r, 6, base + datetime.timedelta(days=i % 1000), date)
    ws.write_string(r, 7, 'примечание %d' % (i % 17), cell)
    ws.write_number(r, 8, amount, money)
    ws.write_number(r, 9, i % 50, sec)
ws.set_row(n + 1, 7)
ws.set_row(n + 2, 15, bold)
for j, s in ((4, sp), (5, sr), (8, sa)):
    col = chr(ord('a') + j)
    ws.write_formula(n + 2, j, '=sum(%s2:%s%d)' % (col, col, n + 1), tot, s)
wb.close()
print('%.3f' % (time.perf_counter() - t0))
