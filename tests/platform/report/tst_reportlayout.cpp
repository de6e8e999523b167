// Layout XML: a full round trip keeps every setting and the elements this
// version does not know; damaged or foreign documents give a clear error.
#include "ReportTestUtil.h"

#include <QtTest>

using namespace vorn::report;
using namespace vorn::report::test;

class TestReportLayout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void roundTrip();
    void keepsUnknown();
    void damaged_data();
    void damaged();
    void fileErrors();
    void paperSizes_data();
    void paperSizes();
};

void TestReportLayout::roundTrip()
{
    ReportLayout l;
    l.setTitle(QStringLiteral("Ведомость \"А&Б\" <1>"));
    PageSettings p;
    p.paper = QStringLiteral("A5");
    p.landscape = true;
    p.marginLeft = 12.5;
    p.columns = 2;
    p.columnSpacing = 4;
    l.setPage(p);
    l.setDefaultFont(ReportFont{QStringLiteral("Times New Roman"), 11, true, false, false, false});
    LayoutDataSet q;
    q.className = QStringLiteral("TVornQuery");
    q.name = QStringLiteral("Query1");
    q.databaseConnName = QStringLiteral("dbMain");
    q.sql = QStringLiteral("select * from t where a < :A and b = 'x'");
    q.tag = 42;
    l.addDataSet(q);
    LayoutDataSet m;
    m.className = QStringLiteral("TRxMemoryData");
    m.name = QStringLiteral("usrPARAM");
    m.fields = {{QStringLiteral("Имя"), QStringLiteral("String")}, {QStringLiteral("N"), QStringLiteral("Integer")}};
    m.rows = {{QStringLiteral("Иванов"), QStringLiteral("3")}};
    l.addDataSet(m);
    auto &g = l.addBand(BandType::GroupHeader, QStringLiteral("gh"), 8);
    g.groupExpression = QStringLiteral("Query1.Region");
    g.groupNewPage = true;
    g.repeatOnEachPage = true;
    auto &d = l.addBand(BandType::Detail, QStringLiteral("detail"), 6);
    d.dataSet = QStringLiteral("Query1");
    d.keepTogether = true;
    d.canShrink = true;
    ReportItem it = expr(QStringLiteral("amount"), 1.5, 0.5, QStringLiteral("SUM(Query1.A) * 2"));
    it.displayFormat = QStringLiteral("#,##0.00");
    it.alignment = Qt::AlignRight | Qt::AlignVCenter;
    it.frame = FrameLeft | FrameBottom;
    it.frameWidth = 0.4;
    it.color = QColor(QStringLiteral("#123456"));
    it.background = QColor(QStringLiteral("#fedcba"));
    it.useDefaultFont = false;
    it.font = ReportFont{QStringLiteral("Courier New"), 8, false, true, true, false};
    it.printCondition = QStringLiteral("Query1.A > 0");
    d.items.append(it);
    ReportItem img;
    img.type = ItemType::Image;
    img.name = QStringLiteral("logo");
    img.imageData = QByteArray("\x89PNG\r\n\x1a\n-not-really", 19);
    d.items.append(img);
    ReportItem sys;
    sys.type = ItemType::SystemData;
    sys.systemData = SystemData::PageNofM;
    d.items.append(sys);

    const QByteArray xml = l.save();
    ReportLayout r;
    QString error;
    QVERIFY2(r.load(xml, &error), qPrintable(error));
    QCOMPARE(r.save(), xml);
    QCOMPARE(r.title(), l.title());
    QCOMPARE(r.page().pageSize(), QSizeF(210, 148));
    QCOMPARE(r.page().columns, 2);
    QCOMPARE(r.defaultFont(), l.defaultFont());
    QCOMPARE(r.dataSets().size(), 2);
    QCOMPARE(r.dataSets()[0].sql, q.sql);
    QCOMPARE(r.dataSets()[0].tag, 42);
    QCOMPARE(r.dataSets()[1].rows, m.rows);
    const ReportItem &ri = r.band(QStringLiteral("DETAIL"))->items[0];
    QCOMPARE(ri.expression, it.expression);
    QCOMPARE(ri.alignment, it.alignment);
    QCOMPARE(ri.frame, it.frame);
    QCOMPARE(ri.font, it.font);
    QCOMPARE(ri.background, it.background);
    QCOMPARE(ri.printCondition, it.printCondition);
    QCOMPARE(r.band(QStringLiteral("detail"))->items[1].imageData, img.imageData);
    QCOMPARE(r.band(QStringLiteral("detail"))->items[2].systemData, SystemData::PageNofM);
    QVERIFY(r.band(QStringLiteral("gh"))->repeatOnEachPage);
}

void TestReportLayout::keepsUnknown()
{
    const QByteArray xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<VornReport version="1" title="t" futureFlag="on">
 <Page paper="A4"/>
 <Chart kind="TeeChart"><Series name="s1">1,2,3</Series></Chart>
 <Bands>
  <Band type="Detail" name="d" height="5" shadow="soft">
   <Item type="Label" name="l" left="0" top="0" width="10" height="5" rotation="90"><Text>x</Text><Script lang="vb">a &lt; b</Script></Item>
   <Guide pos="3"/>
  </Band>
 </Bands>
</VornReport>)";
    ReportLayout l;
    QString error;
    QVERIFY2(l.load(xml, &error), qPrintable(error));
    const QByteArray saved = l.save();
    for (const char *kept : {"futureFlag=\"on\"", "<Chart kind=\"TeeChart\">", "<Series name=\"s1\">1,2,3</Series>",
                             "shadow=\"soft\"", "rotation=\"90\"", "<Script lang=\"vb\">a &lt; b</Script>", "<Guide pos=\"3\"/>"})
        QVERIFY2(saved.contains(kept), saved.constData());
    ReportLayout again;
    QVERIFY(again.load(saved, &error));
    QCOMPARE(again.save(), saved);
}

void TestReportLayout::damaged_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << QByteArray() << "пустой документ";
    QTest::newRow("not xml") << QByteArray("\x00\x01garbage", 9) << "строка 1";
    QTest::newRow("truncated") << QByteArray("<VornReport version=\"1\"><Bands><Band type=\"Detail\" name=\"d\"") << "повреждён";
    QTest::newRow("foreign root") << QByteArray("<html/>") << "корневой элемент \"html\"";
    QTest::newRow("future version") << QByteArray("<VornReport version=\"7\"/>") << "неизвестная версия формата \"7\"";
    QTest::newRow("no version") << QByteArray("<VornReport/>") << "неизвестная версия";
    QTest::newRow("bad number") << QByteArray("<VornReport version=\"1\"><Bands><Band type=\"Detail\" name=\"d\" height=\"abc\"/></Bands></VornReport>")
                                << "неверное число в атрибуте \"height\"";
    QTest::newRow("unknown band") << QByteArray("<VornReport version=\"1\"><Bands><Band type=\"Sidebar\" name=\"d\"/></Bands></VornReport>")
                                  << "неизвестный вид полосы \"Sidebar\"";
    QTest::newRow("unknown item") << QByteArray("<VornReport version=\"1\"><Bands><Band type=\"Detail\" name=\"d\"><Item type=\"Chart\"/></Band></Bands></VornReport>")
                                  << "неизвестный вид элемента \"Chart\"";
    QTest::newRow("margins too big") << QByteArray("<VornReport version=\"1\"><Page paper=\"A5\" marginLeft=\"100\" marginRight=\"100\"/></VornReport>")
                                     << "поля страницы больше самой страницы";
    QTest::newRow("unnamed dataset") << QByteArray("<VornReport version=\"1\"><DataSets><DataSet class=\"TVornQuery\"/></DataSets></VornReport>")
                                     << "набор данных без имени";
    // numbers no page has: NaN, infinities, sizes of kilometres, counts beyond an int
    auto item = [](const char *attrs) {
        return QByteArray("<VornReport version=\"1\"><Bands><Band type=\"Detail\" name=\"d\">\n<Item type=\"Label\" ") + attrs +
               "/></Band></Bands></VornReport>";
    };
    QTest::newRow("NaN position") << item("left=\"nan\"") << "(строка 2, позиция 31): недопустимое значение атрибута \"left\": \"nan\"";
    QTest::newRow("infinite width") << item("width=\"inf\"") << "недопустимое значение атрибута \"width\": \"inf\"";
    QTest::newRow("kilometre height") << item("height=\"1e6\"") << "недопустимое значение атрибута \"height\": \"1e6\" (допустимо от 0 до 10000)";
    QTest::newRow("negative width") << item("width=\"-5\"") << "недопустимое значение атрибута \"width\"";
    QTest::newRow("NaN pen") << item("frame=\"LTRB\" frameWidth=\"NaN\"") << "недопустимое значение атрибута \"frameWidth\"";
    QTest::newRow("NaN font size") << QByteArray("<VornReport version=\"1\"><Font family=\"Arial\" size=\"nan\"/></VornReport>")
                                   << "недопустимое значение атрибута \"size\"";
    QTest::newRow("NaN band height") << QByteArray("<VornReport version=\"1\"><Bands><Band type=\"Detail\" name=\"d\" height=\"nan\"/></Bands></VornReport>")
                                     << "недопустимое значение атрибута \"height\"";
    QTest::newRow("loop count beyond int") << QByteArray("<VornReport version=\"1\"><Bands><Band type=\"Detail\" name=\"d\" printCount=\"1e12\"/></Bands></VornReport>")
                                           << "недопустимое значение атрибута \"printCount\"";
    QTest::newRow("tag beyond int") << QByteArray("<VornReport version=\"1\"><DataSets><DataSet class=\"TVornQuery\" name=\"q\" Tag=\"1e20\"/></DataSets></VornReport>")
                                    << "недопустимое значение атрибута \"Tag\"";
    QTest::newRow("paper of light years") << QByteArray("<VornReport version=\"1\"><Page paper=\"Custom\" width=\"1e300\" height=\"100\"/></VornReport>")
                                          << "недопустимое значение атрибута \"width\"";
    QTest::newRow("a billion columns") << QByteArray("<VornReport version=\"1\"><Page paper=\"A4\" columns=\"1e9\"/></VornReport>")
                                       << "недопустимое значение атрибута \"columns\"";
}

void TestReportLayout::damaged()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, message);
    ReportLayout l;
    l.setTitle(QStringLiteral("before"));
    QString error;
    QVERIFY(!l.load(xml, &error));
    QVERIFY2(error.startsWith(QStringLiteral("Макет отчёта повреждён")), qPrintable(error));
    QVERIFY2(error.contains(message), qPrintable(error));
    QVERIFY(l.bands().isEmpty());
    QVERIFY(l.title().isEmpty());
}

void TestReportLayout::fileErrors()
{
    QTemporaryDir dir;
    ReportLayout l;
    l.setTitle(QStringLiteral("Файл"));
    l.addBand(BandType::Title, QStringLiteral("t"), 10).items.append(label(QStringLiteral("x"), 0, 0, QStringLiteral("Привет")));
    QString error;
    const QString name = dir.filePath(QStringLiteral("a.vrl"));
    QVERIFY2(l.saveFile(name, &error), qPrintable(error));
    ReportLayout r;
    QVERIFY2(r.loadFile(name, &error), qPrintable(error));
    QCOMPARE(r.band(QStringLiteral("t"))->items[0].text, QStringLiteral("Привет"));
    QVERIFY(!r.loadFile(dir.filePath(QStringLiteral("missing.vrl")), &error));
    QVERIFY(error.contains(QStringLiteral("missing.vrl")));
    QVERIFY(!l.saveFile(dir.filePath(QStringLiteral("no/such/dir/a.vrl")), &error));
}

void TestReportLayout::paperSizes_data()
{
    QTest::addColumn<QString>("paper");
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<QSizeF>("size");
    QTest::newRow("A4") << "A4" << false << QSizeF(210, 297);
    QTest::newRow("A4 landscape") << "a4" << true << QSizeF(297, 210);
    QTest::newRow("A5") << "A5" << false << QSizeF(148, 210);
    QTest::newRow("Letter") << "Letter" << false << QSizeF(215.9, 279.4);
    QTest::newRow("custom") << "Custom" << false << QSizeF(120, 80);
}

void TestReportLayout::paperSizes()
{
    QFETCH(QString, paper);
    QFETCH(bool, landscape);
    QFETCH(QSizeF, size);
    PageSettings p;
    p.paper = paper;
    p.landscape = landscape;
    p.width = 120;
    p.height = 80;
    QCOMPARE(p.pageSize(), size);
}

QTEST_MAIN(TestReportLayout)
#include "tst_reportlayout.moc"
