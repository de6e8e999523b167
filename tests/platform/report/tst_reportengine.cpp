// Band engine by content: which band printed where, group and page totals,
// page breaks (footers moved on, memos split), page N of M, sub-details over a
// real SQLite file, loop bands with the before-print hook, progressive runs.
#include "ReportTestUtil.h"

#include "platform/report/ReportText.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QSqlError>
#include <QtTest>

using namespace vorn::report;
using namespace vorn::report::test;

namespace {

// Body of smallPageLayout(): y from 10 to 90 mm.
constexpr double bodyTop = 10;

struct Placed
{
    int page;
    double top;
    QString text;
};

// Every text item a band printed, in page order.
QList<Placed> placed(const ReportPages &pages, const QString &band)
{
    QList<Placed> out;
    const int b = pages.names().indexOf(band);
    for (int p = 0; p < pages.pageCount(); ++p)
        for (const PageItem &it : pages.page(p).items)
            if (it.kind == PageItem::Text && it.band == b)
                out.append({p, it.rect.top(), it.text});
    return out;
}

} // namespace

class TestReportEngine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void groupFooterMovesToNextPage();
    void pageAndReportTotals();
    void memoSplitsAcrossPages_data();
    void memoSplitsAcrossPages();
    void stretchedBandPushesNextBand();
    void pageNofM();
    void subDetailFollowsMaster();
    void printIfEmpty_data();
    void printIfEmpty();
    void groupNewPageAndRepeat();
    void columns();
    void loopBandWithHook_data();
    void loopBandWithHook();
    void loaderHooks();
    void missingDataSet();
    void progressiveAndCancel();
    void blobImageAndCheckBox();
    void nestedSubDetails();
    void bandPlacement_data();
    void bandPlacement();
    void structureRefused_data();
    void structureRefused();
    void longChildChain();
    void richTextLimits_data();
    void richTextLimits();
    void wrapLongWords_data();
    void wrapLongWords();
    void integerSumBeyond64Bits();

private:
    QTemporaryDir m_dir;
    QSqlDatabase m_db;
};

void TestReportEngine::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("engine"));
    m_db.setDatabaseName(m_dir.filePath(QStringLiteral("data.db")));
    QVERIFY(m_db.open());
    QSqlQuery q(m_db);
    QVERIFY(q.exec(QStringLiteral("create table orders(id integer primary key, customer text)")));
    QVERIFY(q.exec(QStringLiteral("create table lines(order_id integer, item text, amount real)")));
    QVERIFY(q.exec(QStringLiteral("insert into orders values (1, 'ООО «Ромашка»'), (2, 'ИП Петров'), (3, 'Без строк')")));
    QVERIFY(q.exec(QStringLiteral("insert into lines values (1, 'Болты', 10.5), (1, 'Гайки', 4.5), (2, 'Шайбы', 7), (2, 'Винты', 1), (2, 'Клей', 2)")));
    QVERIFY(q.exec(QStringLiteral("create table sales(region text, n integer)")));
    QVERIFY(m_db.transaction());
    for (int i = 1; i <= 13; ++i) QVERIFY(q.exec(QStringLiteral("insert into sales values ('Амур', %1)").arg(i)));
    for (int i = 1; i <= 3; ++i) QVERIFY(q.exec(QStringLiteral("insert into sales values ('Волга', %1)").arg(i * 100)));
    QVERIFY(m_db.commit());
}

void TestReportEngine::groupFooterMovesToNextPage()
{
    // 70 mm of body above a 10 mm page footer: header + 13 rows fill page 1
    // exactly, so the group's footer must open page 2, not overlap the footer.
    ReportLayout l = smallPageLayout();
    auto &gh = l.addBand(BandType::GroupHeader, QStringLiteral("gh"), 5);
    gh.groupExpression = QStringLiteral("Sales.region");
    gh.items.append(expr(QStringLiteral("name"), 0, 0, QStringLiteral("Sales.region")));
    auto &d = l.addBand(BandType::Detail, QStringLiteral("detail"), 5);
    d.dataSet = QStringLiteral("Sales");
    d.items.append(expr(QStringLiteral("n"), 0, 0, QStringLiteral("Sales.n")));
    auto &gf = l.addBand(BandType::GroupFooter, QStringLiteral("gf"), 5);
    gf.groupHeader = QStringLiteral("gh");
    gf.items.append(expr(QStringLiteral("total"), 0, 0, QStringLiteral("'Итого ' + Sales.region + ': ' + STR(SUM(Sales.n))")));
    auto &s = l.addBand(BandType::Summary, QStringLiteral("summary"), 5);
    s.items.append(expr(QStringLiteral("grand"), 0, 0, QStringLiteral("'Всего: ' + STR(SUM(Sales.n))")));
    auto &pf = l.addBand(BandType::PageFooter, QStringLiteral("pf"), 10);
    pf.items.append(expr(QStringLiteral("page"), 0, 2, QStringLiteral("'Page ' + STR(PAGENUMBER) + ' of ' + STR(PAGECOUNT)")));

    ReportEngine engine;
    engine.setLayout(l);
    engine.addDataSet(std::make_unique<SqlReportDataSet>(QStringLiteral("Sales"), m_db,
                                                          QStringLiteral("select region, n from sales order by region, n")));
    ReportPages pages;
    QVERIFY2(engine.run(&pages), qPrintable(engine.errorString()));
    QCOMPARE(pages.pageCount(), 2);
    const QList<Placed> footers = placed(pages, QStringLiteral("gf"));
    QCOMPARE(footers.size(), 2);
    QCOMPARE(footers[0].text, QStringLiteral("Итого Амур: 91"));
    QCOMPARE(footers[0].page, 1);
    QCOMPARE(footers[0].top, bodyTop);
    QCOMPARE(footers[1].text, QStringLiteral("Итого Волга: 600"));
    const QList<Placed> rows = placed(pages, QStringLiteral("detail"));
    QCOMPARE(rows.size(), 16);
    QCOMPARE(rows[12].page, 0);
    QCOMPARE(rows[12].top, 75.0);
    QCOMPARE(placed(pages, QStringLiteral("summary")).last().text, QStringLiteral("Всего: 691"));
    QCOMPARE(pages.bandTexts(0, QStringLiteral("pf")), QStringList{QStringLiteral("Page 1 of 2")});
    QCOMPARE(pages.bandTexts(1, QStringLiteral("pf")), QStringList{QStringLiteral("Page 2 of 2")});
    QCOMPARE(placed(pages, QStringLiteral("pf"))[0].top, 82.0);
    // nothing of the body reaches into the page footer
    for (int p = 0; p < pages.pageCount(); ++p)
        for (const PageItem &it : pages.page(p).items)
            if (it.band != pages.names().indexOf(QStringLiteral("pf")))
                QVERIFY(it.rect.bottom() <= 80.0 + 1e-6);
}

void TestReportEngine::pageAndReportTotals()
{
    ReportLayout l = smallPageLayout();
    auto &d = l.addBand(BandType::Detail, QStringLiteral("detail"), 5);
    d.dataSet = QStringLiteral("T");
    d.items.append(expr(QStringLiteral("x"), 0, 0, QStringLiteral("T.x")));
    d.items.append(expr(QStringLiteral("running"), 30, 0, QStringLiteral("SUM(T.x)")));
    auto &pf = l.addBand(BandType::PageFooter, QStringLiteral("pf"), 10);
    pf.items.append(expr(QStringLiteral("pageSum"), 0, 0, QStringLiteral("'на странице ' + STR(SUM(T.x))")));
    pf.items.append(expr(QStringLiteral("reportSum"), 0, 5, QStringLiteral("'с начала ' + STR(SUM(T.x, report))")));
    QList<QVariantList> rows;
    for (int i = 1; i <= 30; ++i) rows.append(QVariantList{i * i});
    ReportEngine engine;
    engine.setLayout(l);
    engine.addDataSet(table(QStringLiteral("T"), {QStringLiteral("x")}, rows));
    ReportPages pages;
    QVERIFY(engine.run(&pages));
    // 14 rows of 5 mm per page: 14, 14, 2
    QCOMPARE(pages.pageCount(), 3);
    int from = 1;
    long running = 0;
    for (int p = 0; p < 3; ++p) {
        const int to = qMin(30, from + 13);
        long sum = 0;
        for (int i = from; i <= to; ++i) sum += i * i;
        running += sum;
        QCOMPARE(pages.bandTexts(p, QStringLiteral("pf")),
                 (QStringList{QStringLiteral("на странице %1").arg(sum), QStringLiteral("с начала %1").arg(running)}));
        from = to + 1;
    }
    const QList<Placed> r = placed(pages, QStringLiteral("detail"));
    QCOMPARE(r[6].text, QStringLiteral("16"));
    QCOMPARE(r[7].text, QStringLiteral("30"));   // running total 1+4+9+16 on the fourth row
}

void TestReportEngine::memoSplitsAcrossPages_data()
{
    QTest::addColumn<bool>("keepTogether");
    QTest::addColumn<int>("firstPage");
    QTest::addColumn<double>("firstTop");
    QTest::newRow("flows on under the title") << false << 0 << 30.0;
    QTest::newRow("kept together: starts a page") << true << 1 << bodyTop;
}

void TestReportEngine::memoSplitsAcrossPages()
{
    QFETCH(bool, keepTogether);
    QFETCH(int, firstPage);
    QFETCH(double, firstTop);
    ReportLayout l = smallPageLayout();
    l.addBand(BandType::Title, QStringLiteral("title"), 20).items.append(label(QStringLiteral("t"), 0, 0, QStringLiteral("Заголовок")));
    auto &d = l.addBand(BandType::Detail, QStringLiteral("detail"), 5);
    d.printCount = 1;
    d.keepTogether = keepTogether;
    ReportItem memo = textItem(ItemType::Memo, QStringLiteral("memo"), 0, 0, 80, 5, QString());
    QStringList lines;
    for (int i = 1; i <= 40; ++i) lines.append(QStringLiteral("Строка примечания %1").arg(i));
    memo.text = lines.join(u'\n');
    memo.autoHeight = true;
    d.items.append(memo);
    l.addBand(BandType::Summary, QStringLiteral("summary"), 5).items.append(label(QStringLiteral("end"), 0, 0, QStringLiteral("Конец")));
    ReportEngine engine;
    engine.setLayout(l);
    ReportPages pages;
    QVERIFY(engine.run(&pages));
    QVERIFY(pages.pageCount() >= 2);
    const QList<Placed> parts = placed(pages, QStringLiteral("detail"));
    QStringList joined;
    for (int i = 0; i < parts.size(); ++i) {
        QCOMPARE(parts[i].page, firstPage + i);
        QCOMPARE(parts[i].top, i == 0 ? firstTop : bodyTop);
        joined.append(parts[i].text);
    }
    QCOMPARE(joined.join(u'\n'), memo.text);
    for (int p = 0; p < pages.pageCount(); ++p)
        for (const PageItem &it : pages.page(p).items)
            QVERIFY(it.rect.bottom() <= 90.0 + 1e-6);
    QCOMPARE(placed(pages, QStringLiteral("summary")).last().page, pages.pageCount() - 1);
}

void TestReportEngine::stretchedBandPushesNextBand()
{
    ReportLayout l = smallPageLayout();
    auto &d = l.addBand(BandType::Detail, QStringLiteral("detail"), 5);
    d.dataSet = QStringLiteral("T");
    ReportItem wrap = expr(QStringLiteral("text"), 0, 0, QStringLiteral("T.text"), 30);
    wrap.wordWrap = true;
    wrap.autoHeight = true;
    d.items.append(wrap);
    ReportEngine engine;
    engine.setLayout(l);
    engine.addDataSet(table(QStringLiteral("T"), {QStringLiteral("text")},
                            {{QStringLiteral("коротко")},
                             {QStringLiteral("очень длинный текст, который не помещается в одну строку шириной три сантиметра")},
                             {QStringLiteral("после")}}));
    ReportPages pages;
    QVERIFY(engine.run(&pages));
    const QList<Placed> r = placed(pages, QStringLiteral("detail"));
    QCOMPARE(r.size(), 3);
    QCOMPARE(r[1].top, 15.0);
    QVERIFY2(r[2].top >= 15.0 + 3 * 3.5, qPrintable(QString::number(r[2].top)));
    const PageItem *wrapped = nullptr;
    for (const PageItem &it : pages.page(0).items)
        if (it.text.startsWith(QStringLiteral("очень"))) wrapped = &it;
    QVERIFY(wrapped && wrapped->lines.size() >= 3);
    QCOMPARE(r[2].top, r[1].top + wrapped->lines.size() * wrapped->lineHeight);
}

void TestReportEngine::pageNofM()
{
    ReportLayout l = smallPageLayout();
    auto &d = l.addBand(BandType::Detail, QStringLiteral("detail"), 20);
    d.printCount = 9;
    auto &pf = l.addBand(BandType::PageFooter, QStringLiteral("pf"), 10);
    ReportItem sys;
    sys.type = ItemType::SystemData;
    sys.systemData = SystemData::PageNofM;
    sys.name = QStringLiteral("nofm");
    sys.geometry = QRectF(0, 0, 60, 5);
    pf.items.append(sys);
    ReportEngine engine;
    engine.setLayout(l);
    ReportPages pages;
    QList<int> ready;
    connect(&engine, &ReportEngine::pageReady, this, [&](int n) { ready.append(n); });
    QVERIFY(engine.run(&pages));
    QCOMPARE(pages.pageCount(), 3);          // 3 bands of 20 mm in 70 mm
    QCOMPARE(ready, (QList<int>{1, 2, 3}));  // the counting pass emits nothing
    for (int p = 0; p < 3; ++p)
        QCOMPARE(pages.bandTexts(p, QStringLiteral("pf")), QStringList{QStringLiteral("Страница %1 из 3").arg(p + 1)});
}

void TestReportEngine::subDetailFollowsMaster()
{
    ReportLayout l = smallPageLayout();
    auto &m = l.addBand(BandType::Detail, QStringLiteral("master"), 5);
    m.dataSet = QStringLiteral("Orders");
    m.items.append(expr(QStringLiteral("customer"), 0, 0, QStringLiteral("Orders.customer")));
    auto &sh = l.addBand(BandType::GroupHeader, QStringLiteral("linesHeader"), 5);
    sh.detailBand = QStringLiteral("lines");
    sh.items.append(label(QStringLiteral("cap"), 5, 0, QStringLiteral("Позиции:")));
    auto &s = l.addBand(BandType::SubDetail, QStringLiteral("lines"), 5);
    s.dataSet = QStringLiteral("Lines");
    s.masterBand = QStringLiteral("master");
    s.items.append(expr(QStringLiteral("item"), 10, 0, QStringLiteral("Lines.item + ' ' + FORMATNUMERIC('0.00', Lines.amount)")));
    auto &sf = l.addBand(BandType::GroupFooter, QStringLiteral("linesFooter"), 5);
    sf.groupHeader = QStringLiteral("linesHeader");
    sf.items.append(expr(QStringLiteral("sum"), 10, 0, QStringLiteral("'Сумма ' + STR(SUM(Lines.amount))")));
    auto &sum = l.addBand(BandType::Summary, QStringLiteral("summary"), 5);
    sum.items.append(expr(QStringLiteral("all"), 0, 0, QStringLiteral("'Всего ' + STR(SUM(Lines.amount)) + ' в ' + STR(COUNT())")));
    ReportEngine engine;
    engine.setLayout(l);
    engine.addDataSet(std::make_unique<SqlReportDataSet>(QStringLiteral("Orders"), m_db, QStringLiteral("select id, customer from orders order by id")));
    engine.addDataSet(std::make_unique<SqlReportDataSet>(QStringLiteral("Lines"), m_db,
                                                          QStringLiteral("select item, amount from lines where order_id = :id order by rowid")));
    ReportPages pages;
    QVERIFY2(engine.run(&pages), qPrintable(engine.errorString()));
    QCOMPARE(pages.pageTexts(0), (QStringList{
        QStringLiteral("ООО «Ромашка»"), QStringLiteral("Позиции:"), QStringLiteral("Болты 10,50"), QStringLiteral("Гайки 4,50"), QStringLiteral("Сумма 15"),
        QStringLiteral("ИП Петров"), QStringLiteral("Позиции:"), QStringLiteral("Шайбы 7,00"), QStringLiteral("Винты 1,00"), QStringLiteral("Клей 2,00"),
        QStringLiteral("Сумма 10"), QStringLiteral("Без строк"), QStringLiteral("Всего 25 в 3")}));

    // with print-if-empty the order without lines still shows its header and footer
    engine.layout().band(QStringLiteral("lines"))->printIfEmpty = true;
    QVERIFY(engine.run(&pages));
    const QStringList t = pages.pageTexts(0);
    QCOMPARE(t.mid(t.indexOf(QStringLiteral("Без строк"))), (QStringList{QStringLiteral("Без строк"), QStringLiteral("Позиции:"),
                                                                       QStringLiteral("Сумма 0"), QStringLiteral("Всего 25 в 3")}));
}

void TestReportEngine::printIfEmpty_data()
{
    QTest::addColumn<bool>("printIfEmpty");
    QTest::addColumn<int>("pageCount");
    QTest::newRow("prints its page") << true << 1;
    QTest::newRow("no pages") << false << 0;
}

void TestReportEngine::printIfEmpty()
{
    QFETCH(bool, printIfEmpty);
    QFETCH(int, pageCount);
    ReportLayout l = smallPageLayout();
    l.setPrintIfEmpty(printIfEmpty);
    l.addBand(BandType::Title, QStringLiteral("title"), 10).items.append(label(QStringLiteral("t"), 0, 0, QStringLiteral("Пусто")));
    l.addBand(BandType::Detail, QStringLiteral("detail"), 5).dataSet = QStringLiteral("Orders");
    l.addBand(BandType::Summary, QStringLiteral("summary"), 5).items.append(expr(QStringLiteral("n"), 0, 0, QStringLiteral("'Строк: ' + STR(COUNT())")));
    ReportEngine engine;
    engine.setLayout(l);
    engine.addDataSet(std::make_unique<SqlReportDataSet>(QStringLiteral("Orders"), m_db, QStringLiteral("select * from orders where id < 0")));
    ReportPages pages;
    QVERIFY(engine.run(&pages));
    QCOMPARE(pages.pageCount(), pageCount);
    if (pageCount)
        QCOMPARE(pages.pageTexts(0), (QStringList{QStringLiteral("Пусто"), QStringLiteral("Строк: 0")}));
}

void TestReportEngine::groupNewPageAndRepeat()
{
    ReportLayout l = smallPageLayout();
    auto &ph = l.addBand(BandType::PageHeader, QStringLiteral("ph"), 5);
    ph.items.append(label(QStringLiteral("h"), 0, 0, QStringLiteral("Шапка")));
    auto &gh = l.addBand(BandType::GroupHeader, QStringLiteral("gh"), 5);
    gh.groupExpression = QStringLiteral("Sales.region");
    gh.groupNewPage = true;
    gh.repeatOnEachPage = true;
    gh.items.append(expr(QStringLiteral("name"), 0, 0, QStringLiteral("'Регион ' + Sales.region")));
    auto &d = l.addBand(BandType::Detail, QStringLiteral("detail"), 10);
    d.dataSet = QStringLiteral("Sales");
    d.items.append(expr(QStringLiteral("n"), 0, 0, QStringLiteral("Sales.n")));
    ReportEngine engine;
    engine.setLayout(l);
    engine.addDataSet(std::make_unique<SqlReportDataSet>(QStringLiteral("Sales"), m_db, QStringLiteral("select region, n from sales order by region, n")));
    ReportPages pages;
    QVERIFY(engine.run(&pages));
    // Амур: 13 rows of 10 mm, 7 fit under header + group header on each page; Волга starts a new page
    QCOMPARE(pages.pageCount(), 3);
    QCOMPARE(pages.pageTexts(0).mid(0, 3), (QStringList{QStringLiteral("Шапка"), QStringLiteral("Регион Амур"), QStringLiteral("1")}));
    QCOMPARE(pages.pageTexts(1).mid(0, 3), (QStringList{QStringLiteral("Шапка"), QStringLiteral("Регион Амур"), QStringLiteral("8")}));
    QCOMPARE(pages.pageTexts(2), (QStringList{QStringLiteral("Шапка"), QStringLiteral("Регион Волга"), QStringLiteral("100"),
                                             QStringLiteral("200"), QStringLiteral("300")}));
}

void TestReportEngine::columns()
{
    ReportLayout l = smallPageLayout();
    l.page().columns = 2;
    l.page().columnSpacing = 4;
    auto &d = l.addBand(BandType::Detail, QStringLiteral("detail"), 10);
    d.dataSet = QStringLiteral("T");
    d.items.append(expr(QStringLiteral("x"), 0, 0, QStringLiteral("T.x"), 30));
    QList<QVariantList> rows;
    for (int i = 1; i <= 20; ++i) rows.append(QVariantList{i});
    ReportEngine engine;
    engine.setLayout(l);
    engine.addDataSet(table(QStringLiteral("T"), {QStringLiteral("x")}, rows));
    ReportPages pages;
    QVERIFY(engine.run(&pages));
    // 8 rows per column, 16 per page
    QCOMPARE(pages.pageCount(), 2);
    const QList<Placed> r = placed(pages, QStringLiteral("detail"));
    double left8 = 0, left9 = 0;
    for (const PageItem &it : pages.page(0).items) {
        if (it.text == u"8") left8 = it.rect.left();
        if (it.text == u"9") left9 = it.rect.left();
    }
    QCOMPARE(left8, 10.0);
    QCOMPARE(left9, 10.0 + 38.0 + 4.0);
    QCOMPARE(r[8].top, bodyTop);
    QCOMPARE(r[16].page, 1);
}

void TestReportEngine::loopBandWithHook_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("titlePrinted");
    QTest::newRow("title") << " Библиотека типов " << true;
    QTest::newRow("blank title") << "   " << false;
    QTest::newRow("empty title") << "" << false;
}

void TestReportEngine::loopBandWithHook()
{
    // a tree printed without a database: one loop pass per node, indented by level
    QFETCH(QString, title);
    QFETCH(bool, titlePrinted);
    struct Node { QString text; int level; };
    const QList<Node> nodes = {{QStringLiteral("Корень"), 0}, {QStringLiteral("Ветка"), 1}, {QStringLiteral("Лист"), 2}, {QStringLiteral("Второй"), 0}};
    const double indent = 20 * 25.4 / 96;    // 20 screen pixels
    ReportLayout l;
    l.page().marginLeft = l.page().marginTop = l.page().marginRight = l.page().marginBottom = 10;
    auto &t = l.addBand(BandType::Title, QStringLiteral("title"), 8);
    t.printCondition = QStringLiteral("TRIM(usrPARAM.Title) <> ''");
    ReportItem ti = expr(QStringLiteral("titleText"), 0, 0, QStringLiteral("usrPARAM.Title"), 190);
    ti.useDefaultFont = false;
    ti.font.bold = true;
    t.items.append(ti);
    auto &d = l.addBand(BandType::Detail, QStringLiteral("nodes"), 6);
    d.printCount = int(nodes.size());
    d.items.append(label(QStringLiteral("text"), 6, 0, QString()));
    ReportEngine engine;
    engine.setLayout(l);
    auto params = table(QStringLiteral("usrPARAM"), {QStringLiteral("Title")}, {{title}});
    engine.addDataSet(std::move(params));
    engine.setBeforeBandPrint([&](BandPrintEvent &e) {
        if (e.band.name != u"nodes") return;
        const Node &n = nodes.at(e.recordNumber - 1);
        ReportItem *it = e.band.item(QStringLiteral("text"));
        it->text = n.text;
        it->geometry.moveLeft(6 + n.level * indent);
    });
    ReportPages pages;
    QVERIFY(engine.run(&pages));
    QStringList expected;
    if (titlePrinted) expected.append(title);
    for (const Node &n : nodes) expected.append(n.text);
    QCOMPARE(pages.pageTexts(0), expected);
    double leftRoot = 0, leftLeaf = 0;
    for (const PageItem &it : pages.page(0).items) {
        if (it.text == u"Корень") leftRoot = it.rect.left();
        if (it.text == u"Лист") leftLeaf = it.rect.left();
    }
    QCOMPARE(leftLeaf - leftRoot, 2 * indent);
}

void TestReportEngine::loaderHooks()
{
    ReportLayout l = smallPageLayout();
    LayoutDataSet q;
    q.className = QStringLiteral("TVornQuery");
    q.name = QStringLiteral("Query1");
    q.databaseConnName = QStringLiteral("dbMain");
    q.sql = QStringLiteral("select customer from orders where id = -1");   // stale SQL stored at design time
    l.addDataSet(q);
    LayoutDataSet p;
    p.className = QStringLiteral("TRxMemoryData");
    p.name = QStringLiteral("usrPARAM");
    p.fields = {{QStringLiteral("Old"), QStringLiteral("String")}};
    l.addDataSet(p);
    auto &d = l.addBand(BandType::Detail, QStringLiteral("detail"), 5);
    d.dataSet = QStringLiteral("Query1");
    d.items.append(expr(QStringLiteral("c"), 0, 0, QStringLiteral("Query1.customer + ' / ' + usrPARAM.Who")));
    QStringList connections, opened;
    ReportLoader loader;
    loader.setConnectionResolver([&](const QString &name) { connections.append(name); return m_db; });
    loader.setAfterLayoutLoaded([&](ReportLoader &ld, QString *) {
        auto *sql = dynamic_cast<SqlReportDataSet *>(ld.dataSet(QStringLiteral("query1")));
        if (!sql) return false;
        sql->setSql(QStringLiteral("select customer from orders where id <= :MaxId order by id"));
        ld.setParameters({{QStringLiteral("MaxId"), 2}, {QStringLiteral("Who"), QStringLiteral("Иванов")}});
        return true;
    });
    loader.setBeforeOpenDataSet([&](ReportDataSet &ds, QString *) { opened.append(ds.name()); return true; });
    QString error;
    QVERIFY2(loader.load(l.save(), &error), qPrintable(error));
    QCOMPARE(connections, QStringList{QStringLiteral("dbMain")});
    ReportEngine engine;
    loader.prepare(engine);
    ReportPages pages;
    QVERIFY2(engine.run(&pages), qPrintable(engine.errorString()));
    opened.sort();
    QCOMPARE(opened, (QStringList{QStringLiteral("Query1"), QStringLiteral("usrPARAM")}));
    QCOMPARE(pages.pageTexts(0), (QStringList{QStringLiteral("ООО «Ромашка» / Иванов"), QStringLiteral("ИП Петров / Иванов")}));

    // a hook that refuses stops the run with its message
    engine.setBeforeOpenDataSet([](ReportDataSet &, QString *e) { *e = QStringLiteral("нет доступа"); return false; });
    QVERIFY(!engine.run(&pages));
    QCOMPARE(engine.errorString(), QStringLiteral("нет доступа"));
}

void TestReportEngine::missingDataSet()
{
    ReportLayout l;
    l.addBand(BandType::Detail, QStringLiteral("detail"), 5).dataSet = QStringLiteral("Query7");
    ReportEngine engine;
    engine.setLayout(l);
    ReportPages pages;
    QVERIFY(!engine.run(&pages));
    QCOMPARE(engine.errorString(), QStringLiteral("Invalid Query (TQueryList) : \"Query7\""));
    engine.addDataSet(std::make_unique<SqlReportDataSet>(QStringLiteral("Query7"), m_db, QStringLiteral("select * from no_such_table")));
    QVERIFY(!engine.run(&pages));
    QVERIFY2(engine.errorString().contains(QStringLiteral("no_such_table")), qPrintable(engine.errorString()));
}

void TestReportEngine::progressiveAndCancel()
{
    ReportLayout l = smallPageLayout();
    auto &d = l.addBand(BandType::Detail, QStringLiteral("detail"), 5);
    d.dataSet = QStringLiteral("T");
    d.items.append(expr(QStringLiteral("x"), 0, 0, QStringLiteral("T.x")));
    QList<QVariantList> rows;
    for (int i = 0; i < 5000; ++i) rows.append(QVariantList{i});
    ReportEngine engine;
    engine.setLayout(l);
    engine.setProgressive(true);
    engine.addDataSet(table(QStringLiteral("T"), {QStringLiteral("x")}, rows));
    ReportPages pages;
    bool firstSeenEarly = false;
    QList<int> progress;
    connect(&engine, &ReportEngine::progress, this, [&](int p) { progress.append(p); });
    connect(&pages, &ReportPages::pageAdded, this, [&](int n) {
        if (n == 1) firstSeenEarly = !pages.isFinished() && engine.isRunning() && pages.pageTexts(0).first() == u"0";
    });
    QVERIFY(engine.run(&pages));
    QVERIFY(firstSeenEarly);
    QCOMPARE(pages.pageCount(), 313);   // 5000 rows, 16 a page
    QVERIFY(progress.size() > 5);
    QVERIFY(std::is_sorted(progress.begin(), progress.end()));
    QCOMPARE(progress.last(), 100);

    connect(&pages, &ReportPages::pageAdded, &engine, [&](int n) {
        if (n == 10) engine.cancel();
    });
    QVERIFY(!engine.run(&pages));
    QCOMPARE(engine.errorString(), QStringLiteral("Формирование отчёта прервано"));
    QCOMPARE(pages.pageCount(), 10);
    QVERIFY(!pages.isFinished());
}

void TestReportEngine::blobImageAndCheckBox()
{
    QImage red(40, 20, QImage::Format_RGB32);
    red.fill(Qt::red);
    QByteArray png;
    QBuffer buf(&png);
    buf.open(QIODevice::WriteOnly);
    red.save(&buf, "PNG");
    QSqlQuery q(m_db);
    QVERIFY(q.exec(QStringLiteral("create table pics(id integer, pic blob, ok integer)")));
    QVERIFY(q.prepare(QStringLiteral("insert into pics values (?, ?, ?)")));
    for (int i = 1; i <= 2; ++i) {
        q.addBindValue(i);
        q.addBindValue(i == 1 ? QVariant(png) : QVariant(QMetaType(QMetaType::QByteArray)));
        q.addBindValue(i == 1 ? 1 : 0);
        QVERIFY(q.exec());
    }
    ReportLayout l = smallPageLayout();
    auto &d = l.addBand(BandType::Detail, QStringLiteral("detail"), 25);
    d.dataSet = QStringLiteral("Pics");
    ReportItem img = textItem(ItemType::DBImage, QStringLiteral("pic"), 0, 0, 40, 40, QStringLiteral("Pics.pic"));
    img.geometry = QRectF(0, 0, 40, 20);
    d.items.append(img);
    d.items.append(textItem(ItemType::CheckBox, QStringLiteral("ok"), 50, 0, 5, 5, QStringLiteral("Pics.ok = 1")));
    ReportEngine engine;
    engine.setLayout(l);
    engine.addDataSet(std::make_unique<SqlReportDataSet>(QStringLiteral("Pics"), m_db, QStringLiteral("select * from pics order by id")));
    ReportPages pages;
    QVERIFY2(engine.run(&pages), qPrintable(engine.errorString()));
    QList<const PageItem *> images, checkLines;
    for (const PageItem &it : pages.page(0).items) {
        if (it.kind == PageItem::Image) images.append(&it);
        if (it.kind == PageItem::Line) checkLines.append(&it);
    }
    QCOMPARE(images.size(), 1);                   // the null BLOB prints nothing
    QCOMPARE(images[0]->rect, QRectF(10, 10, 40, 20));   // aspect 2:1 fills the 40 x 20 box
    QCOMPARE(pages.images().at(images[0]->image).pixel(5, 5), qRgb(255, 0, 0));
    QCOMPARE(checkLines.size(), 2);               // one tick, in the first row only
    QVERIFY(checkLines[0]->rect.bottom() < 10 + 25);
}

void TestReportEngine::nestedSubDetails()
{
    // three levels through memory tables linked by key fields
    ReportLayout l = smallPageLayout();
    l.addBand(BandType::Detail, QStringLiteral("a"), 5).dataSet = QStringLiteral("A");
    l.band(QStringLiteral("a"))->items.append(expr(QStringLiteral("x"), 0, 0, QStringLiteral("A.name")));
    auto &b = l.addBand(BandType::SubDetail, QStringLiteral("b"), 5);
    b.dataSet = QStringLiteral("B");
    b.masterBand = QStringLiteral("a");
    b.items.append(expr(QStringLiteral("x"), 5, 0, QStringLiteral("B.name")));
    auto &c = l.addBand(BandType::SubDetail, QStringLiteral("c"), 5);
    c.dataSet = QStringLiteral("C");
    c.masterBand = QStringLiteral("b");
    c.items.append(expr(QStringLiteral("x"), 10, 0, QStringLiteral("C.name + ' ' + STR(C.n)")));
    auto &f = l.addBand(BandType::Summary, QStringLiteral("s"), 5);
    f.items.append(expr(QStringLiteral("x"), 0, 0, QStringLiteral("'Σ ' + STR(SUM(C.n)) + ' / ' + STR(COUNT(B.name))")));
    auto A = table(QStringLiteral("A"), {QStringLiteral("id"), QStringLiteral("name")}, {{1, "А1"}, {2, "А2"}});
    auto B = table(QStringLiteral("B"), {QStringLiteral("id"), QStringLiteral("a_id"), QStringLiteral("name")},
                   {{10, 1, "Б10"}, {11, 1, "Б11"}, {20, 2, "Б20"}});
    B->setMasterLink(QStringLiteral("a_id"), QStringLiteral("id"));
    auto C = table(QStringLiteral("C"), {QStringLiteral("b_id"), QStringLiteral("name"), QStringLiteral("n")},
                   {{10, "В", 1}, {10, "Г", 2}, {20, "Д", 4}});
    C->setMasterLink(QStringLiteral("b_id"), QStringLiteral("id"));
    ReportEngine engine;
    engine.setLayout(l);
    engine.addDataSet(std::move(A));
    engine.addDataSet(std::move(B));
    engine.addDataSet(std::move(C));
    ReportPages pages;
    QVERIFY2(engine.run(&pages), qPrintable(engine.errorString()));
    QCOMPARE(pages.pageTexts(0), (QStringList{"А1", "Б10", "В 1", "Г 2", "Б11", "А2", "Б20", "Д 4", "Σ 7 / 3"}));
}

void TestReportEngine::bandPlacement_data()
{
    // three detail rows of 10 mm on the 100 mm page; each case changes one band
    // and lists where the bands' texts land: "band@page:top"
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("where");
    QTest::newRow("plain") << "" << QStringList{"ph@0:10", "d@0:15", "d@0:25", "d@0:35", "sum@0:45", "pf@0:80"};
    QTest::newRow("summary on bottom") << "sum.printOnBottom" << QStringList{"ph@0:10", "d@0:15", "d@0:25", "d@0:35", "sum@0:75", "pf@0:80"};
    QTest::newRow("summary on new page") << "sum.startNewPage" << QStringList{"ph@0:10", "d@0:15", "d@0:25", "d@0:35", "pf@0:80", "ph@1:10", "sum@1:15", "pf@1:80"};
    QTest::newRow("no header on first page") << "ph.notFirst" << QStringList{"d@0:10", "d@0:20", "d@0:30", "sum@0:40", "pf@0:80"};
    QTest::newRow("no footer on last page") << "pf.notLast" << QStringList{"ph@0:10", "d@0:15", "d@0:25", "d@0:35", "sum@0:45"};
    QTest::newRow("child after each row") << "child" << QStringList{"ph@0:10", "d@0:15", "ch@0:25", "d@0:30", "ch@0:40", "d@0:45", "ch@0:55", "sum@0:60", "pf@0:80"};
    QTest::newRow("row condition") << "d.condition" << QStringList{"ph@0:10", "d@0:15", "d@0:25", "sum@0:35", "pf@0:80"};
    QTest::newRow("background and overlay") << "layers" << QStringList{"bg@0:10", "ph@0:10", "d@0:15", "d@0:25", "d@0:35", "sum@0:45", "pf@0:80", "ov@0:50"};
}

void TestReportEngine::bandPlacement()
{
    QFETCH(QString, change);
    QFETCH(QStringList, where);
    ReportLayout l = smallPageLayout();
    auto add = [&](BandType t, const char *name, double h, const QString &text) -> ReportBand & {
        ReportBand &b = l.addBand(t, QLatin1String(name), h);
        b.items.append(expr(QStringLiteral("x"), 0, 0, text));
        return b;
    };
    if (change == u"layers") {
        add(BandType::Background, "bg", 5, QStringLiteral("'фон'"));
        auto &ov = add(BandType::Overlay, "ov", 5, QStringLiteral("'поверх'"));
        ov.items[0].geometry.moveTop(40);
    }
    add(BandType::PageHeader, "ph", 5, QStringLiteral("'шапка'"));
    add(BandType::Detail, "d", 10, QStringLiteral("T.x")).dataSet = QStringLiteral("T");
    add(BandType::Summary, "sum", 5, QStringLiteral("'итог'"));
    add(BandType::PageFooter, "pf", 10, QStringLiteral("'подвал'"));
    if (change == u"child") add(BandType::Child, "ch", 5, QStringLiteral("'к ' + STR(T.x)")).parentBand = QStringLiteral("d");
    // references taken before the last band was added would dangle
    ReportBand &ph = *l.band(QStringLiteral("ph"));
    ReportBand &d = *l.band(QStringLiteral("d"));
    ReportBand &sum = *l.band(QStringLiteral("sum"));
    ReportBand &pf = *l.band(QStringLiteral("pf"));
    if (change == u"sum.printOnBottom") sum.printOnBottom = true;
    if (change == u"sum.startNewPage") sum.startNewPage = true;
    if (change == u"ph.notFirst") ph.printOnFirstPage = false;
    if (change == u"pf.notLast") pf.printOnLastPage = false;
    if (change == u"d.condition") d.printCondition = QStringLiteral("T.x <> 2");
    ReportEngine engine;
    engine.setLayout(l);
    engine.addDataSet(table(QStringLiteral("T"), {QStringLiteral("x")}, {{1}, {2}, {3}}));
    ReportPages pages;
    QVERIFY2(engine.run(&pages), qPrintable(engine.errorString()));
    QStringList got;
    for (int p = 0; p < pages.pageCount(); ++p)
        for (const PageItem &it : pages.page(p).items)
            if (it.kind == PageItem::Text)
                got.append(QStringLiteral("%1@%2:%3").arg(pages.names().at(it.band)).arg(p).arg(it.rect.top()));
    QCOMPARE(got, where);
}

// Layouts whose bands or datasets lead each other in a circle (or nest without
// end) are refused with a message before anything prints; before, they recursed
// until the stack ran out or looped for ever.
void TestReportEngine::structureRefused_data()
{
    QTest::addColumn<QString>("dataSets");
    QTest::addColumn<QString>("bands");
    QTest::addColumn<QString>("error");
    auto table = [](const char *name, const QString &extra = {}) {
        return QStringLiteral("<DataSet class=\"TClientDataSet\" name=\"%1\" %2><Field name=\"x\" type=\"integer\"/>"
                              "<Row><V>1</V></Row><Row><V>2</V></Row></DataSet>").arg(QLatin1String(name), extra);
    };
    const QString tu = table("T") + table("U") + table("V");
    const QString detail = QStringLiteral("<Band type=\"Detail\" name=\"d\" dataSet=\"T\"/>");
    QTest::newRow("sub-detail on its master's dataset")
        << tu << detail + "<Band type=\"SubDetail\" name=\"s\" master=\"d\" dataSet=\"T\"/>"
        << "Полоса \"s\": набор данных \"T\" уже читает главная полоса \"d\"";
    QTest::newRow("sub-detail on the dataset of an outer master")
        << tu << detail + "<Band type=\"SubDetail\" name=\"s\" master=\"d\" dataSet=\"U\"/>"
                          "<Band type=\"SubDetail\" name=\"s2\" master=\"s\" dataSet=\"T\"/>"
        << "Полоса \"s2\": набор данных \"T\" уже читает главная полоса \"d\"";
    QTest::newRow("sub-details masters of each other")
        << tu << detail + "<Band type=\"SubDetail\" name=\"s1\" master=\"s2\" dataSet=\"U\"/>"
                          "<Band type=\"SubDetail\" name=\"s2\" master=\"s1\" dataSet=\"V\"/>"
                          "<Band type=\"Summary\" name=\"sum\"><Item type=\"Expression\" name=\"e\"><Expression>SUM(U.x)</Expression></Item></Band>"
        << "Полоса \"s1\": подчинённые полосы ссылаются друг на друга по кругу";
    QTest::newRow("child bands parents of each other")
        << tu << detail + "<Band type=\"Child\" name=\"c1\" parent=\"c2\"><Item type=\"Expression\" name=\"n\"><Expression>COUNT()</Expression></Item></Band>"
                          "<Band type=\"Child\" name=\"c2\" parent=\"c1\"/>"
        << "Полоса \"c1\": дочерние полосы ссылаются друг на друга по кругу";
    QTest::newRow("dataset its own master")
        << table("T", "MasterSource=\"dsT\"") + "<DataSet class=\"TDataSource\" name=\"dsT\" DataSet=\"T\"/>" << detail
        << "Набор данных \"T\" указан главным для самого себя";
    QTest::newRow("datasets masters of each other")
        << table("T", "MasterSource=\"dsU\"") + table("U", "MasterSource=\"dsT\"") +
               "<DataSet class=\"TDataSource\" name=\"dsT\" DataSet=\"T\"/><DataSet class=\"TDataSource\" name=\"dsU\" DataSet=\"U\"/>"
        << detail << "Главные наборы данных ссылаются друг на друга по кругу: T → U → T";
    QString deep = detail;
    for (int i = 0; i < 70; ++i)
        deep += QStringLiteral("<Band type=\"SubDetail\" name=\"s%1\" master=\"%2\"/>").arg(i).arg(i ? QStringLiteral("s%1").arg(i - 1) : QStringLiteral("d"));
    QTest::newRow("sub-details nested without end") << tu << deep << "Полоса \"s64\": подчинённые полосы вложены глубже 64 уровней";
}

void TestReportEngine::structureRefused()
{
    QFETCH(QString, dataSets);
    QFETCH(QString, bands);
    QFETCH(QString, error);
    ReportLoader loader;
    QString err;
    QVERIFY2(loader.load(QStringLiteral("<VornReport version=\"1\"><DataSets>%1</DataSets><Bands>%2</Bands></VornReport>")
                             .arg(dataSets, bands).toUtf8(), &err), qPrintable(err));
    ReportEngine engine;
    loader.prepare(engine);
    ReportPages pages;
    QVERIFY(!engine.run(&pages));
    QCOMPARE(engine.errorString(), error);
    QCOMPARE(pages.pageCount(), 0);
}

// A chain of a hundred thousand child bands prints without a call level per band.
void TestReportEngine::longChildChain()
{
    ReportLayout l = smallPageLayout();
    l.addBand(BandType::Detail, QStringLiteral("d"), 5).dataSet = QStringLiteral("T");
    const int n = 100000;
    for (int i = 0; i < n; ++i)
        l.addBand(BandType::Child, QStringLiteral("c%1").arg(i), 0).parentBand = i ? QStringLiteral("c%1").arg(i - 1) : QStringLiteral("d");
    l.bands().last().items.append(expr(QStringLiteral("x"), 0, 0, QStringLiteral("'конец ' + STR(T.x)")));
    l.bands().last().height = 5;
    ReportEngine engine;
    engine.setLayout(l);
    engine.addDataSet(table(QStringLiteral("T"), {QStringLiteral("x")}, {{1}, {2}}));
    ReportPages pages;
    QVERIFY2(engine.run(&pages), qPrintable(engine.errorString()));
    QCOMPARE(pages.pageTexts(0), (QStringList{"конец 1", "конец 2"}));
}

// Rich text from data: markup the rich-text layout takes minutes on (or cannot
// survive) prints as plain text with a warning; ordinary markup still formats.
void TestReportEngine::richTextLimits_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("refusal");               // empty: laid out as rich text
    QTest::newRow("ordinary") << "<p><b>Итог</b> по <i>складу</i></p><table><tr><td>1</td><td>2</td></tr></table><ul><li>а</li></ul>" << "";
    QTest::newRow("nested tables") << QStringLiteral("<table><tr><td>").repeated(30) + "x" << "таблицы вложены глубже 8 уровней";
    QTest::newRow("nested lists") << QStringLiteral("<ul><li>").repeated(5000) + "x" << "списки и таблицы вложены глубже 32 уровней";
    QTest::newRow("huge padding") << "<table cellpadding=100000000><tr><td>x</td></tr></table>" << "слишком большие числа в разметке";
    QTest::newRow("huge padding in a style sheet") << "<style>td { padding: 100000000px }</style><table><tr><td>x</td></tr></table>"
                                                   << "слишком большие числа в разметке";
    QTest::newRow("colour and amounts are no sizes") << "<font color=#123456>1234567890</font>" << "";
    QTest::newRow("too long") << QStringLiteral("<b>x</b>").repeated(20000) << "длиннее 100000 символов";
}

void TestReportEngine::richTextLimits()
{
    QFETCH(QString, html);
    QFETCH(QString, refusal);
    ReportLayout l = smallPageLayout();
    ReportBand &b = l.addBand(BandType::Detail, QStringLiteral("d"), 5);
    b.dataSet = QStringLiteral("T");
    ReportItem it = textItem(ItemType::RichText, QStringLiteral("rt"), 0, 0, 80, 5, QStringLiteral("T.html"));
    it.autoHeight = true;
    b.items.append(it);
    ReportEngine engine;
    engine.setLayout(l);
    engine.addDataSet(table(QStringLiteral("T"), {QStringLiteral("html")}, {{html}}));
    ReportPages pages;
    QVERIFY2(engine.run(&pages), qPrintable(engine.errorString()));
    const QString all = pages.pageTexts(0).join(QString());
    if (refusal.isEmpty()) {
        QVERIFY(engine.warnings().isEmpty());
        QVERIFY2(!all.contains(u'<'), qPrintable(all.left(200)));   // the markup was read as markup
    } else {
        QCOMPARE(engine.warnings(), QStringList{QStringLiteral("Форматированный текст \"rt\" показан как простой: ") + refusal});
        QVERIFY2(all.startsWith(html.left(20)), qPrintable(all.left(200)));   // the data as it came
    }
}

// A sum of integers that leaves the 64-bit range is a floating value, never a
// wrapped negative one.
void TestReportEngine::integerSumBeyond64Bits()
{
    ReportLayout l = smallPageLayout();
    l.addBand(BandType::Detail, QStringLiteral("d"), 5).dataSet = QStringLiteral("T");
    l.addBand(BandType::Summary, QStringLiteral("s"), 5).items.append(expr(QStringLiteral("x"), 0, 0, QStringLiteral("TYPEOF(SUM(T.n))")));
    l.band(QStringLiteral("s"))->items.append(expr(QStringLiteral("y"), 0, 0, QStringLiteral("SUM(T.n) > 9000000000000000000")));
    l.band(QStringLiteral("s"))->items.last().geometry.moveTop(5);
    l.band(QStringLiteral("s"))->height = 10;
    auto t = std::make_unique<MemoryReportDataSet>(QStringLiteral("T"));
    t->addField(QStringLiteral("n"), QMetaType(QMetaType::LongLong));
    t->appendRow({std::numeric_limits<qlonglong>::max()});
    t->appendRow({qlonglong(2)});
    ReportEngine engine;
    engine.setLayout(l);
    engine.addDataSet(std::move(t));
    ReportPages pages;
    QVERIFY2(engine.run(&pages), qPrintable(engine.errorString()));
    const QStringList texts = pages.bandTexts(0, QStringLiteral("s"));
    QCOMPARE(texts.size(), 2);
    QCOMPARE(texts[0], QStringLiteral("FLOAT"));
    QCOMPARE(texts[1], ReportValue(true).toString());   // not wrapped round to a negative
}

// Word wrap, the plain way: words while they fit, a word wider than the line cut
// at the longest prefix that fits. Slow on long words; the engine must give the
// same lines fast.
QStringList plainWrap(const TextMeasure &m, const QString &para, double w)
{
    QStringList out;
    QString line;
    int i = 0;
    while (i < para.size()) {
        int j = i;
        while (j < para.size() && para.at(j) != u' ') ++j;
        while (j < para.size() && para.at(j) == u' ') ++j;
        const QString word = para.mid(i, j - i);
        if (line.isEmpty() || m.width(line + word.trimmed()) <= w) {
            line += word;
        } else {
            out.append(line.trimmed());
            line = word;
        }
        while (m.width(line.trimmed()) > w && line.trimmed().size() > 1) {
            int k = int(line.size()) - 1;
            while (k > 1 && m.width(line.left(k)) > w) --k;
            out.append(line.left(k));
            line = line.mid(k);
        }
        i = j;
    }
    while (line.endsWith(u' ')) line.chop(1);
    out.append(line);
    return out;
}

void TestReportEngine::wrapLongWords_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("width");
    QString hash;
    QRandomGenerator rnd(7);
    for (int i = 0; i < 300; ++i) hash += QLatin1Char("0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ+/="[rnd.bounded(65)]);
    QTest::newRow("words") << "Счёт на оплату поставки товаров по договору поставки № 15 от 01.02.2025 года" << 40.0;
    QTest::newRow("base64 alone") << hash << 30.0;
    QTest::newRow("words around a hash") << "ключ: " + hash + " конец строки" << 45.0;
    QTest::newRow("url in a sentence") << "Ссылка https://example.org/" + QString(200, u'x') + "/index.html и далее текст" << 25.0;
    QTest::newRow("narrower than a letter") << "ШШШ Щ" << 0.5;
    QTest::newRow("leading and trailing blanks") << "   слово " + hash.left(80) + "   " << 20.0;
    // too long for the plain way (minutes): checked by what the lines must be
    QString big;
    for (int i = 0; i < 8000; ++i) big += hash.at(i % hash.size());
    QTest::newRow("8000 characters without a blank") << big << 50.0;
    QTest::newRow("characters outside the basic plane") << QString::fromUtf8("😀𝔸").repeated(150) << 12.0;
}

void TestReportEngine::wrapLongWords()
{
    QFETCH(QString, text);
    QFETCH(double, width);
    TextMeasure m(PageFont{QStringLiteral("Arial"), 10});
    const QStringList lines = m.wrap(text, width);
    if (text.size() < 1000 && std::none_of(text.begin(), text.end(), [](QChar c) { return c.isHighSurrogate(); })) {
        QCOMPARE(lines, plainWrap(m, text, width));
        return;
    }
    // every character kept in order; each line as long as the width allows; no character cut in two
    QCOMPARE(lines.join(QString()), text);
    for (int i = 0; i + 1 < lines.size(); ++i) {
        QVERIFY2(m.width(lines[i]) <= width, qPrintable(lines[i]));
        const int next = lines[i + 1].at(0).isHighSurrogate() ? 2 : 1;
        QVERIFY2(m.width(lines[i] + lines[i + 1].left(next)) > width, qPrintable(lines[i]));
        QVERIFY(!lines[i].back().isHighSurrogate());
    }
}

QTEST_MAIN(TestReportEngine)
#include "tst_reportengine.moc"
