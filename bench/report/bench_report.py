# Report benchmark driver: builds a SQLite file of N sales rows grouped by
# region, renders it to PDF with vornreport (one and two passes) and with the
# ReportLab reference, and prints time, peak memory, pages per second and the
# time from fetched data to the first page.
import argparse, os, random, re, resource, sqlite3, subprocess, sys, time

ap = argparse.ArgumentParser()
ap.add_argument('--vornreport', required=True)
ap.add_argument('--layout', required=True)
ap.add_argument('--workdir', default='.')
ap.add_argument('--rows', type=int, default=100000)
ap.add_argument('--no-reportlab', action='store_true')
a = ap.parse_args()
os.makedirs(a.workdir, exist_ok=True)
db = os.path.join(a.workdir, 'bench_sales_%d.db' % a.rows)
if not os.path.exists(db):
    random.seed(7)
    con = sqlite3.connect(db + '.tmp')
    con.execute('create table sales(id integer primary key, region text, customer text, product text, qty integer, price real)')
    regions = ['Регион %02d — %s' % (k, n) for k, n in enumerate(
        ['Москва', 'Санкт-Петербург', 'Новосибирск', 'Екатеринбург', 'Казань', 'Нижний Новгород', 'Челябинск', 'Самара',
         'Омск', 'Ростов-на-Дону', 'Уфа', 'Красноярск', 'Воронеж', 'Пермь', 'Волгоград', 'Краснодар', 'Саратов', 'Тюмень',
         'Тольятти', 'Ижевск'], 1)]
    con.executemany('insert into sales values (?,?,?,?,?,?)',
                    ((i, regions[random.randrange(len(regions))], 'ООО «Покупатель %d»' % random.randrange(1, 5000),
                      'Товар артикул %05d' % random.randrange(1, 20000), random.randint(1, 100), round(random.uniform(1, 5000), 2))
                     for i in range(1, a.rows + 1)))
    con.commit()
    con.close()
    os.rename(db + '.tmp', db)

def measure(cmd, env=None):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    t = time.time()
    p = subprocess.run(['/usr/bin/time', '-f', 'maxrss_kb=%M'] + cmd, capture_output=True, text=True, env=env)
    wall = time.time() - t
    if p.returncode != 0:
        sys.exit('failed: %s\n%s' % (' '.join(cmd), p.stderr))
    out = p.stdout + p.stderr
    vals = dict((k, int(v)) for k, v in re.findall(r'(\w+)=(\d+)', out))
    vals['wall_ms'] = int(wall * 1000)
    return vals

env = dict(os.environ, QT_QPA_PLATFORM='offscreen', LANG='ru_RU.UTF-8')
pdf = os.path.join(a.workdir, 'vorn.pdf')
results = []
v = measure([a.vornreport, '--sqlite', db, '--stats', a.layout, pdf], env)
results.append(('vornreport, page N', v))
two = os.path.join(a.workdir, 'grouped_nofm.vrl')
with open(a.layout, encoding='utf-8') as f:
    text = f.read().replace("'Страница ' + STR(PAGENUMBER)", "'Страница ' + STR(PAGENUMBER) + ' из ' + STR(PAGECOUNT)")
with open(two, 'w', encoding='utf-8') as f:
    f.write(text)
v2 = measure([a.vornreport, '--sqlite', db, '--stats', two, os.path.join(a.workdir, 'vorn_nofm.pdf')], env)
results.append(('vornreport, page N of M (two passes)', v2))
if not a.no_reportlab:
    ref = measure(['/usr/bin/python3', os.path.join(os.path.dirname(__file__), 'reportlab_ref.py'), db,
                   os.path.join(a.workdir, 'reportlab.pdf')])
    results.append(('ReportLab platypus', ref))

print('rows: %d, database: %s' % (a.rows, db))
print('%-40s %8s %8s %10s %10s %12s %10s' % ('', 'pages', 'wall ms', 'fetch ms', 'gen ms', 'first pg ms', 'peak MB'))
for name, r in results:
    gen = r.get('generate_ms', r.get('build_ms', 0))
    print('%-40s %8d %8d %10d %10d %12s %10.1f' % (name, r.get('pages', 0), r['wall_ms'], r.get('fetch_ms', 0), gen,
                                                  r.get('first_page_ms', '-'), r['maxrss_kb'] / 1024.0))
for name, r in results[:2]:
    gen = r['generate_ms'] + r['export_ms']
    print('%s: %.0f pages/s generating, %.0f pages/s generating + PDF' % (
        name, r['pages'] * 1000.0 / max(1, r['generate_ms']), r['pages'] * 1000.0 / max(1, gen)))
if not a.no_reportlab:
    print('ratio ReportLab / vornreport (wall): %.1fx' % (results[2][1]['wall_ms'] / max(1, results[0][1]['wall_ms'])))
