// Every output written to a real file and read back: PDF text through pdftotext,
// XLSX cells from the workbook's XML, CSV / text grid / HTML / RTF / SVG content,
// PNG pixels, the printer path, the saved-report file and the preview widget.
#include "ReportTestUtil.h"
#include "platform/report/ReportExport.h"
#include "platform/report/ReportPreview.h"

#include <QDataStream>
#include <QKeyEvent>
#include <QPrinter>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>
#include <cmath>

using namespace vorn::report;
using namespace vorn::report::test;

namespace {

QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QStringLiteral("<failed: %1>").arg(QString::fromUtf8(p.readAllStandardError()));
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString readAll(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// Cells of the first sheet as "A1=value" lines; shared strings resolved.
QString xlsxCells(const QString &file)
{
    const char *script = R"PY(
import sys, zipfile, xml.etree.ElementTree as ET
ns = {'m': 'http://schemas.openxmlformats.org/spreadsheetml/2006/main'}
z = zipfile.ZipFile(sys.argv[1])
shared = []
if 'xl/sharedStrings.xml' in z.namelist():
    for si in ET.fromstring(z.read('xl/sharedStrings.xml')).findall('m:si', ns):
        shared.append(''.join(t.text or '' for t in si.iter('{%s}t' % ns['m'])))
for c in ET.fromstring(z.read('xl/worksheets/sheet1.xml')).iter('{%s}c' % ns['m']):
    v = c.find('m:v', ns)
    val = v.text if v is not None else ''
    if c.get('t') == 's':
        val = 's:' + shared[int(val)]
    else:
        val = 'n:' + val
    print(c.get('r') + '=' + val)
)PY";
    return run(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromUtf8(script), file});
}

} // namespace

class TestReportExport : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void pdf();
    void pdfFallbackGlyphs();
    void png();
    void svg();
    void text();
    void csv();
    void html();
    void xlsx();
    void xlsxDates();
    void rtf();
    void printerRange();
    void savedReport();
    void savedReportDamaged_data();
    void savedReportDamaged();
    void savedReportHostile_data();
    void savedReportHostile();
    void textOutsidePage();
    void byExtension_data();
    void byExtension();
    void preview();

private:
    QTemporaryDir m_dir;
    ReportPages m_pages;
    QString path(const char *name) const { return m_dir.filePath(QLatin1String(name)); }
};

void TestReportExport::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    ReportLayout l;
    l.setTitle(QStringLiteral("Счёт-фактура"));
    auto &t = l.addBand(BandType::Title, QStringLiteral("title"), 12);
    ReportItem ti = textItem(ItemType::SystemData, QStringLiteral("title"), 0, 0, 190, 10, QString());
    ti.systemData = SystemData::ReportTitle;
    ti.useDefaultFont = false;
    ti.font = ReportFont{QStringLiteral("Arial"), 16, true, false, false, false};
    ti.alignment = Qt::AlignHCenter | Qt::AlignTop;
    t.items.append(ti);
    auto &ch = l.addBand(BandType::ColumnHeader, QStringLiteral("columns"), 6);
    ch.items.append(label(QStringLiteral("h1"), 0, 0, QStringLiteral("Товар"), 80));
    ReportItem h2 = label(QStringLiteral("h2"), 100, 0, QStringLiteral("Сумма"), 40);
    h2.alignment = Qt::AlignRight | Qt::AlignTop;
    ch.items.append(h2);
    ReportItem h3 = label(QStringLiteral("h3"), 150, 0, QStringLiteral("Times"), 40);
    h3.useDefaultFont = false;
    h3.font = ReportFont{QStringLiteral("Times New Roman"), 10, false, true, false, false};
    ch.items.append(h3);
    auto &d = l.addBand(BandType::Detail, QStringLiteral("detail"), 6);
    d.dataSet = QStringLiteral("T");
    ReportItem name = expr(QStringLiteral("name"), 0, 0, QStringLiteral("T.name"), 80);
    name.frame = FrameBottom;
    d.items.append(name);
    ReportItem sum = expr(QStringLiteral("sum"), 100, 0, QStringLiteral("T.sum"), 40);
    sum.displayFormat = QStringLiteral("0.00");
    sum.alignment = Qt::AlignRight | Qt::AlignTop;
    d.items.append(sum);
    ReportItem code = textItem(ItemType::Barcode, QStringLiteral("code"), 150, 0, 30, 5.5, QStringLiteral("T.code"));
    code.barcodeShowText = false;
    d.items.append(code);
    auto &s = l.addBand(BandType::Summary, QStringLiteral("summary"), 30);
    ReportItem total = expr(QStringLiteral("total"), 0, 2, QStringLiteral("'Итого, руб.: ' + FORMATNUMERIC('#,##0.00', SUM(T.sum))"), 140);
    total.useDefaultFont = false;
    total.font.bold = true;
    s.items.append(total);
    ReportItem qr = textItem(ItemType::Barcode, QStringLiteral("qr"), 160, 2, 20, 20, QString());
    qr.barcodeType = QStringLiteral("QR");
    qr.text = QStringLiteral("https://example.org/счёт/42");
    s.items.append(qr);
    ReportItem box;
    box.type = ItemType::RoundRect;
    box.geometry = QRectF(0, 10, 60, 15);
    box.background = QColor(QStringLiteral("#ffeecc"));
    s.items.append(box);
    ReportItem ell;
    ell.type = ItemType::Ellipse;
    ell.geometry = QRectF(70, 10, 20, 15);
    s.items.append(ell);
    ReportItem check = textItem(ItemType::CheckBox, QStringLiteral("paid"), 100, 12, 5, 5, QStringLiteral("1 = 1"));
    s.items.append(check);
    ReportEngine engine;
    engine.setLayout(l);
    QList<QVariantList> rows;
    for (int i = 1; i <= 60; ++i)
        rows.append({QStringLiteral("Позиция №%1 «товар»").arg(i), i * 10.25, QStringLiteral("INV%1").arg(i, 4, 10, QLatin1Char('0'))});
    engine.addDataSet(table(QStringLiteral("T"), {QStringLiteral("name"), QStringLiteral("sum"), QStringLiteral("code")}, rows));
    QVERIFY2(engine.run(&m_pages), qPrintable(engine.errorString()));
    QVERIFY2(engine.warnings().isEmpty(), qPrintable(engine.warnings().join(u'\n')));
    QCOMPARE(m_pages.pageCount(), 2);
}

void TestReportExport::pdf()
{
    QString error;
    QVERIFY2(exportPdf(m_pages, path("r.pdf"), &error), qPrintable(error));
    const QString info = run(QStringLiteral("pdfinfo"), {path("r.pdf")});
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+2"))), qPrintable(info));
    QVERIFY(info.contains(QStringLiteral("Счёт-фактура")));
    const QString page1 = run(QStringLiteral("pdftotext"), {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
                                                            QStringLiteral("-layout"), path("r.pdf"), QStringLiteral("-")});
    QVERIFY2(page1.contains(QStringLiteral("Счёт-фактура")), qPrintable(page1));
    QVERIFY(page1.contains(QRegularExpression(QStringLiteral("Позиция №1 «товар»\\s+10,25"))));
    QVERIFY(!page1.contains(QStringLiteral("Итого")));
    const QString page2 = run(QStringLiteral("pdftotext"), {QStringLiteral("-f"), QStringLiteral("2"), QStringLiteral("-layout"), path("r.pdf"), QStringLiteral("-")});
    QVERIFY2(page2.contains(QStringLiteral("Товар")), qPrintable(page2));   // column header repeats
    QVERIFY2(page2.contains(QRegularExpression(QStringLiteral("Итого, руб\\.: 18.757,50"))), qPrintable(page2));
    const QString fonts = run(QStringLiteral("pdffonts"), {path("r.pdf")});
    QVERIFY2(fonts.contains(QStringLiteral("LiberationSans-Bold")) && fonts.contains(QStringLiteral("LiberationSerif-Italic")), qPrintable(fonts));
    for (const QString &line : fonts.split(u'\n').mid(2))
        if (!line.trimmed().isEmpty()) QVERIFY2(line.contains(QStringLiteral(" yes ")), qPrintable(line));   // embedded
}

void TestReportExport::pdfFallbackGlyphs()
{
    // Liberation Sans has no rouble sign: it must still come out, from DejaVu
    ReportLayout l;
    ReportItem it = label(QStringLiteral("price"), 0, 0, QStringLiteral("Итого 1 000 ₽"), 80);
    it.alignment = Qt::AlignRight | Qt::AlignTop;
    l.addBand(BandType::Title, QStringLiteral("t"), 10).items.append(it);
    ReportEngine engine;
    engine.setLayout(l);
    ReportPages pages;
    QVERIFY(engine.run(&pages));
    QString error;
    QVERIFY2(exportPdf(pages, path("rub.pdf"), &error), qPrintable(error));
    QVERIFY(run(QStringLiteral("pdftotext"), {path("rub.pdf"), QStringLiteral("-")}).contains(QStringLiteral("Итого 1 000 ₽")));
    const QString fonts = run(QStringLiteral("pdffonts"), {path("rub.pdf")});
    QVERIFY2(fonts.contains(QStringLiteral("LiberationSans ")) && fonts.contains(QStringLiteral("DejaVuSans ")), qPrintable(fonts));
}

void TestReportExport::png()
{
    QString error;
    QStringList files;
    QVERIFY2(exportPng(m_pages, path("r.png"), 100, &error, &files), qPrintable(error));
    QCOMPARE(files, (QStringList{path("r-1.png"), path("r-2.png")}));
    QImage img(files[0]);
    QCOMPARE(img.size(), QSize(827, 1169));
    // the bold centred title is dark ink around the page's middle, the margin stays white
    int ink = 0;
    for (int x = 300; x < 530; ++x)
        for (int y = 40; y < 75; ++y) ink += qGray(img.pixel(x, y)) < 128;
    QVERIFY2(ink > 300, qPrintable(QString::number(ink)));
    for (int y = 0; y < img.height(); ++y) QCOMPARE(img.pixel(10, y), qRgb(255, 255, 255));
}

void TestReportExport::svg()
{
    QString error;
    QStringList files;
    QVERIFY2(exportSvg(m_pages, path("r.svg"), &error, &files), qPrintable(error));
    QCOMPARE(files.size(), 2);
    const QString s = readAll(files[1]);
    QVERIFY(s.contains(QStringLiteral("<svg")));
    QVERIFY(s.contains(QStringLiteral("Итого, руб.:")));
    QVERIFY(s.contains(QStringLiteral("viewBox=\"0 0 2100 2970\"")));
}

void TestReportExport::text()
{
    QString error;
    QVERIFY2(exportText(m_pages, path("r.txt"), &error), qPrintable(error));
    const QString t = readAll(path("r.txt"));
    QCOMPARE(t.count(u'\f'), 1);
    const QStringList lines = t.split(u'\n');
    // right-aligned sums end in the same column whatever their width
    int end9 = -1, end10 = -1;
    for (const QString &line : lines) {
        if (line.startsWith(QStringLiteral("Позиция №9 "))) end9 = int(line.indexOf(QStringLiteral("92,25"))) + 5;
        if (line.startsWith(QStringLiteral("Позиция №10 "))) end10 = int(line.indexOf(QStringLiteral("102,50"))) + 6;
    }
    QVERIFY2(end9 > 0, qPrintable(lines.mid(0, 12).join(u"\n")));
    QCOMPARE(end9, end10);
    QVERIFY(lines.contains(QStringLiteral("Позиция №1 «товар»") + QString(55 - 18 - 5, u' ') + QStringLiteral("10,25"))
            || t.contains(QRegularExpression(QStringLiteral("Позиция №1 «товар» +10,25"))));
    QVERIFY(t.contains(QStringLiteral("Итого, руб.:")));
}

void TestReportExport::csv()
{
    QString error;
    QVERIFY2(exportCsv(m_pages, path("r.csv"), &error), qPrintable(error));
    const QStringList lines = readAll(path("r.csv")).split(QStringLiteral("\r\n"));
    QCOMPARE(lines[0], QStringLiteral("Счёт-фактура"));
    QCOMPARE(lines[1], QStringLiteral("Товар,Сумма,Times"));
    QCOMPARE(lines[2], QStringLiteral("Позиция №1 «товар»,\"10,25\""));
    QVERIFY(lines.contains(QStringLiteral("\"Итого, руб.: 18") + QLocale().groupSeparator() + QStringLiteral("757,50\"")));
}

void TestReportExport::html()
{
    QString error;
    QVERIFY2(exportHtml(m_pages, path("r.html"), &error), qPrintable(error));
    const QString h = readAll(path("r.html"));
    QCOMPARE(h.count(QStringLiteral("class=\"page\"")), 2);
    QVERIFY(h.contains(QStringLiteral("<title>Счёт-фактура</title>")));
    QVERIFY(h.contains(QStringLiteral(">Позиция №60 «товар»</div>")));
    QVERIFY(h.contains(QStringLiteral("font:bold 16pt 'Arial'")));
    QVERIFY(h.contains(QStringLiteral("border-radius:50%")));
}

void TestReportExport::xlsx()
{
    QString error;
    QVERIFY2(exportXlsx(m_pages, path("r.xlsx"), &error), qPrintable(error));
    const QStringList cells = xlsxCells(path("r.xlsx")).split(u'\n', Qt::SkipEmptyParts);
    QVERIFY2(cells.contains(QStringLiteral("A1=s:Счёт-фактура")), qPrintable(cells.mid(0, 10).join(u' ')));
    QVERIFY(cells.contains(QStringLiteral("A2=s:Товар")));
    QVERIFY(cells.contains(QStringLiteral("B2=s:Сумма")));
    QVERIFY(cells.contains(QStringLiteral("A3=s:Позиция №1 «товар»")));
    QVERIFY(cells.contains(QStringLiteral("B3=n:10.25")));   // a number, not text
    const QString last = cells.filter(QStringLiteral("=s:Позиция №60 «товар»")).value(0);
    QVERIFY(last.startsWith(u'A'));
    QVERIFY(cells.contains(u'B' + last.section(u'=', 0, 0).mid(1) + QStringLiteral("=n:615")));
    QVERIFY(!QFile::exists(path("r.xlsx.part")));
    // the sums keep their two decimals as a number format
    QProcess unzip;
    unzip.start(QStringLiteral("python3"), {QStringLiteral("-c"), QStringLiteral("import zipfile,sys;print(zipfile.ZipFile(sys.argv[1]).read('xl/styles.xml').decode())"), path("r.xlsx")});
    QVERIFY(unzip.waitForFinished());
    QVERIFY(QString::fromUtf8(unzip.readAllStandardOutput()).contains(QStringLiteral("formatCode=\"0.00\"")));
}

// Dates printed as the engine prints them become date cells; texts that only contain a
// date stay texts.
void TestReportExport::xlsxDates()
{
    ReportPages pages;
    ReportPage page;
    page.size = QSizeF(210, 297);
    const int font = pages.fontIndex(PageFont{QStringLiteral("Arial"), 10});
    const QStringList texts = {QStringLiteral("01.06.2025"), QStringLiteral("31.12.2024 13:45:10"),
                               QStringLiteral("с 01.06.2025"), QStringLiteral("01.06.1812"), QStringLiteral("32.01.2025")};
    for (int i = 0; i < texts.size(); ++i) {
        PageItem it;
        it.kind = PageItem::Text;
        it.rect = QRectF(10, 10 + 6 * i, 60, 5);
        it.text = texts[i];
        it.font = font;
        page.items.append(it);
    }
    pages.appendPage(page);
    pages.finish();
    QString error;
    QVERIFY2(exportXlsx(pages, path("d.xlsx"), &error), qPrintable(error));
    const QStringList cells = xlsxCells(path("d.xlsx")).split(u'\n', Qt::SkipEmptyParts);
    const qint64 serial = QDate(1899, 12, 30).daysTo(QDate(2025, 6, 1));
    QVERIFY2(cells.contains(QStringLiteral("A1=n:%1").arg(serial)), qPrintable(cells.join(u' ')));
    const QString withTime = cells.value(1);
    QVERIFY2(withTime.startsWith(QStringLiteral("A2=n:%1.57").arg(QDate(1899, 12, 30).daysTo(QDate(2024, 12, 31)))), qPrintable(withTime));
    QCOMPARE(cells.value(2), QStringLiteral("A3=s:с 01.06.2025"));
    QCOMPARE(cells.value(3), QStringLiteral("A4=s:01.06.1812"));  // before the sheet's calendar
    QCOMPARE(cells.value(4), QStringLiteral("A5=s:32.01.2025"));
    const QString styles = run(QStringLiteral("python3"), {QStringLiteral("-c"), QStringLiteral("import zipfile,sys;print(zipfile.ZipFile(sys.argv[1]).read('xl/styles.xml').decode())"), path("d.xlsx")});
    QVERIFY2(styles.contains(QStringLiteral("formatCode=\"dd.mm.yyyy\"")), qPrintable(styles));
    QVERIFY(styles.contains(QStringLiteral("formatCode=\"dd.mm.yyyy hh:mm:ss\"")));
}

void TestReportExport::rtf()
{
    QString error;
    QVERIFY2(exportRtf(m_pages, path("r.rtf"), &error), qPrintable(error));
    const QString r = readAll(path("r.rtf"));
    QVERIFY(r.startsWith(QStringLiteral("{\\rtf1")));
    QCOMPARE(r.count(QStringLiteral("\\page")), 1);
    // "Итого" as Unicode escapes
    QVERIFY(r.contains(QStringLiteral("\\u1048?\\u1090?\\u1086?\\u1075?\\u1086?")));
    QVERIFY(r.contains(QStringLiteral("Times New Roman")));
}

void TestReportExport::printerRange()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path("printed.pdf"));
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 2);
    QString error;
    QVERIFY2(printPages(m_pages, &printer, &error), qPrintable(error));
    QVERIFY(run(QStringLiteral("pdfinfo"), {path("printed.pdf")}).contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))));
    const QString t = run(QStringLiteral("pdftotext"), {path("printed.pdf"), QStringLiteral("-")});
    QVERIFY(t.contains(QStringLiteral("Итого")));
    QVERIFY(!t.contains(QStringLiteral("Счёт-фактура")));
}

void TestReportExport::savedReport()
{
    QString error;
    QVERIFY2(m_pages.saveFile(path("r.vrp"), &error), qPrintable(error));
    ReportPages loaded;
    QSignalSpy added(&loaded, &ReportPages::pageAdded);
    QVERIFY2(loaded.loadFile(path("r.vrp"), &error), qPrintable(error));
    QCOMPARE(added.count(), 2);
    QVERIFY(loaded.isFinished());
    QCOMPARE(loaded.title(), m_pages.title());
    QCOMPARE(loaded.pageCount(), 2);
    for (int p = 0; p < 2; ++p) {
        QCOMPARE(loaded.pageTexts(p), m_pages.pageTexts(p));
        QCOMPARE(loaded.page(p).items.size(), m_pages.page(p).items.size());
        QCOMPARE(loaded.page(p).items.last().rect, m_pages.page(p).items.last().rect);
    }
    QCOMPARE(loaded.bandTexts(1, QStringLiteral("summary")), m_pages.bandTexts(1, QStringLiteral("summary")));
    // a loaded report exports like a generated one
    QVERIFY(exportPdf(loaded, path("reloaded.pdf"), &error));
    QVERIFY(run(QStringLiteral("pdftotext"), {path("reloaded.pdf"), QStringLiteral("-")}).contains(QStringLiteral("Позиция №60")));
}

void TestReportExport::savedReportDamaged_data()
{
    QTest::addColumn<int>("cut");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << -1 << "File does not exist";
    QTest::newRow("foreign") << 0 << "неверная сигнатура";
    QTest::newRow("truncated") << 4000 << "не является сохранённым отчётом";
}

void TestReportExport::savedReportDamaged()
{
    QFETCH(int, cut);
    QFETCH(QString, message);
    QString error;
    const QString name = path("damaged.vrp");
    QFile::remove(name);
    if (cut >= 0) {
        QVERIFY(m_pages.saveFile(path("full.vrp"), &error));
        QFile f(path("full.vrp"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QByteArray data = cut == 0 ? QByteArray("PK\x03\x04 not ours") : f.readAll().left(cut);
        QFile out(name);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(data);
    }
    ReportPages p;
    p.setTitle(QStringLiteral("kept"));
    QVERIFY(!p.loadFile(name, &error));
    QVERIFY2(error.contains(message), qPrintable(error));
    QCOMPARE(p.title(), QStringLiteral("kept"));
}

namespace {

// A saved-report file written field by field, with damage the writer never makes.
QByteArray craftedReport(qint32 items, double left, double pageWidth, quint32 names)
{
    QByteArray b;
    QDataStream s(&b, QIODevice::WriteOnly);
    s.setVersion(QDataStream::Qt_6_4);
    s.writeRawData("VORNRPT", 7);
    s << qint32(1) << QStringLiteral("t") << names;
    for (quint32 i = 0; i < qMin(names, 2u); ++i) s << QStringLiteral("band");
    s << qint32(0) << qint32(0) << qint32(1);      // no fonts, no images, one page
    s << QSizeF(pageWidth, 297) << items;
    s << quint8(PageItem::Text) << quint16(0) << QRectF(left, 10, 50, 5) << QStringLiteral("текст") << QStringList() << 0.0
      << qint32(-1) << quint32(0xff000000) << quint32(0) << 0.0 << 0.0 << qint32(-1) << qint32(-1) << qint32(-1);
    return b;
}

} // namespace

void TestReportExport::savedReportHostile_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("message");    // empty: loads
    QTest::newRow("sound") << craftedReport(1, 10, 210, 1) << "";
    QTest::newRow("more items than the file holds") << craftedReport(9000000, 10, 210, 1)
                                                    << "повреждена страница 1: число элементов 9000000 больше, чем вмещает файл";
    QTest::newRow("more names than the file holds") << craftedReport(1, 10, 210, 0xfffffff0u) << "повреждён список имён";
    QTest::newRow("NaN position") << craftedReport(1, std::nan(""), 210, 1) << "повреждена страница 1, элемент 1";
    QTest::newRow("infinite page") << craftedReport(1, 10, HUGE_VAL, 1) << "повреждена страница 1: размер";
}

void TestReportExport::savedReportHostile()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, message);
    const QString name = path("hostile.vrp");
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
    f.close();
    ReportPages p;
    QString error;
    const bool ok = p.loadFile(name, &error);
    if (message.isEmpty()) {
        QVERIFY2(ok, qPrintable(error));
        QCOMPARE(p.pageTexts(0), QStringList{QStringLiteral("текст")});
        return;
    }
    QVERIFY(!ok);
    QVERIFY2(error.contains(message), qPrintable(error));
}

// Text beyond the paper (a hook may move an item anywhere) lands at the page's
// edge; before, its column became a line of billions of blanks.
void TestReportExport::textOutsidePage()
{
    ReportPages pages;
    ReportPage page;
    page.size = QSizeF(100, 100);
    auto text = [&](double left, const QString &t) {
        PageItem it;
        it.kind = PageItem::Text;
        it.rect = QRectF(left, 10, 20, 5);
        it.text = t;
        page.items.append(it);
    };
    text(10, QStringLiteral("слева"));
    text(4e9, QStringLiteral("далеко"));
    text(-1e300, QStringLiteral("до"));
    text(std::nan(""), QStringLiteral("нигде"));
    pages.appendPage(page);
    const QStringList lines = pagesToText(pages).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines[0].size() <= 100 / 2 + 20, qPrintable(lines[0]));
    QVERIFY2(lines[0].startsWith(QStringLiteral("до ")) && lines[0].contains(QStringLiteral(" слева ")), qPrintable(lines[0]));
    QVERIFY(!lines[0].contains(QStringLiteral("нигде")));   // at no position at all
    QVERIFY2(lines[0].endsWith(QStringLiteral("далеко")), qPrintable(lines[0]));
}

void TestReportExport::byExtension_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QByteArray>("start");
    QTest::newRow("pdf") << "x.pdf" << "" << QByteArray("%PDF");
    QTest::newRow("xlsx") << "x.xlsx" << "" << QByteArray("PK");
    QTest::newRow("html by name") << "x.out" << "html" << QByteArray("<!DOCTYPE html>");
    QTest::newRow("saved report") << "x.vrp" << "" << QByteArray("VORNRPT");
    QTest::newRow("txt") << "x.txt" << "" << QByteArray("Счёт-фактура\n");
}

void TestReportExport::byExtension()
{
    QFETCH(QString, file);
    QFETCH(QString, format);
    QFETCH(QByteArray, start);
    QString error;
    QVERIFY2(exportFile(m_pages, m_dir.filePath(file), format, &error), qPrintable(error));
    QFile f(m_dir.filePath(file));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY2(f.readAll().trimmed().startsWith(start), qPrintable(file));
    QVERIFY(!exportFile(m_pages, m_dir.filePath(QStringLiteral("x.doc")), QString(), &error));
    QCOMPARE(error, QStringLiteral("Неизвестный формат вывода \"doc\""));
}

void TestReportExport::preview()
{
    ReportPages pages;
    ReportPreview view;
    view.resize(800, 600);
    view.show();
    QSignalSpy changed(&view, &ReportPreview::pageChanged);
    QSignalSpy counted(&view, &ReportPreview::pageCountChanged);
    view.setPages(&pages);
    QCOMPARE(view.currentPage(), 0);
    pages.appendPage(m_pages.page(0));
    QCOMPARE(view.currentPage(), 1);              // the first page shows as soon as it exists
    pages.appendPage(m_pages.page(1));
    QCOMPARE(counted.last().at(0).toInt(), 2);
    QCOMPARE(changed.last(), (QList<QVariant>{1, 2}));
    QTest::keyClick(&view, Qt::Key_PageDown);
    QCOMPARE(view.currentPage(), 2);
    QTest::keyClick(&view, Qt::Key_Home);
    QCOMPARE(view.currentPage(), 1);
    QTest::keyClick(&view, Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(view.currentPage(), 2);
    view.nextPage();
    QCOMPARE(view.currentPage(), 2);
    QCOMPARE(view.zoomMode(), ReportPreview::PageWidth);
    const int widthZoom = view.zoomPercent();
    view.setZoomMode(ReportPreview::WholePage);
    QVERIFY(view.zoomPercent() < widthZoom);
    view.setZoomMode(ReportPreview::ActualSize);
    QCOMPARE(view.zoomPercent(), 100);
    view.setZoomPercent(75);
    view.zoomIn();
    QCOMPARE(view.zoomPercent(), 85);
    QCOMPARE(view.zoomMode(), ReportPreview::CustomZoom);
    const QImage shot = view.grab().toImage();
    QVERIFY(!shot.isNull());
    pages.clear();
    QCOMPARE(view.currentPage(), 0);
}

QTEST_MAIN(TestReportExport)
#include "tst_reportexport.moc"
