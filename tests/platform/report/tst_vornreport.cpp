// The command-line renderer as users run it: a layout file and a SQLite file
// with parameters on the command line, to PDF and XLSX, and its error exits.
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

class TestVornReport : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void help();
    void pdfWithParameters();
    void xlsxByExtension();
    void connectionProfile();
    void errors_data();
    void errors();

private:
    int run(const QStringList &args, QString *out = nullptr, QString *err = nullptr);
    QString m_tool, m_layout;
    QTemporaryDir m_dir;
};

void TestVornReport::initTestCase()
{
    m_tool = qEnvironmentVariable("VORN_BINARY_DIR") + QStringLiteral("/bin/vornreport");
    m_layout = qEnvironmentVariable("VORN_SOURCE_DIR") + QStringLiteral("/tests/platform/report/data/showcase.vrl");
    QVERIFY(QFile::exists(m_tool));
    QVERIFY(QFile::exists(m_layout));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make"));
        db.setDatabaseName(m_dir.filePath(QStringLiteral("goods.db")));
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("create table goods(id integer primary key, name text, qty integer, price real, note text, paid integer, code text)")));
        for (int i = 1; i <= 8; ++i)
            QVERIFY(q.exec(QStringLiteral("insert into goods values (%1, 'Изделие %1', %1, 10.5, %2, %3, 'C%1')")
                               .arg(i).arg(i == 2 ? QStringLiteral("'хрупкое'") : QStringLiteral("null")).arg(i % 2)));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("make"));
}

int TestVornReport::run(const QStringList &args, QString *out, QString *err)
{
    QProcess p;
    p.start(m_tool, args);
    if (!p.waitForFinished(60000)) return -1;
    if (out) *out = QString::fromUtf8(p.readAllStandardOutput());
    if (err) *err = QString::fromUtf8(p.readAllStandardError());
    return p.exitCode();
}

void TestVornReport::help()
{
    QString out;
    QCOMPARE(run({QStringLiteral("--help")}, &out), 0);
    for (const char *opt : {"--sqlite", "--param", "--format", "--driver", "--user", "--stats", "xlsx"})
        QVERIFY2(out.contains(QLatin1String(opt)), opt);
}

void TestVornReport::pdfWithParameters()
{
    const QString pdf = m_dir.filePath(QStringLiteral("n.pdf"));
    QString err;
    QCOMPARE(run({QStringLiteral("--sqlite"), m_dir.filePath(QStringLiteral("goods.db")), QStringLiteral("-p"), QStringLiteral("MaxId=5"),
                  QStringLiteral("--param"), QStringLiteral("Supplier=ООО «Метиз»"), m_layout, pdf}, nullptr, &err), 0);
    QProcess t;
    t.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(t.waitForFinished());
    const QString text = QString::fromUtf8(t.readAllStandardOutput());
    QVERIFY2(text.contains(QStringLiteral("Поставщик: ООО «Метиз»")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Изделие 5")));
    QVERIFY(!text.contains(QStringLiteral("Изделие 6")));
    QVERIFY(text.contains(QStringLiteral("Примечание: хрупкое")));
    // 10,5 * (1+2+3+4+5)
    QVERIFY(text.contains(QRegularExpression(QStringLiteral("Итого:\\s+157,50"))));
    QVERIFY(text.contains(QStringLiteral("Страница 1 из 1")));
}

void TestVornReport::xlsxByExtension()
{
    const QString xlsx = m_dir.filePath(QStringLiteral("n.xlsx"));
    QCOMPARE(run({QStringLiteral("--sqlite"), m_dir.filePath(QStringLiteral("goods.db")), QStringLiteral("-p"), QStringLiteral("MaxId=8"),
                  QStringLiteral("-p"), QStringLiteral("Supplier=X"), m_layout, xlsx}), 0);
    QFile f(xlsx);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.read(2), QByteArray("PK"));
}

void TestVornReport::connectionProfile()
{
    const QString ini = m_dir.filePath(QStringLiteral("VornConn.ini"));
    QFile f(ini);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("[Connections]\nСклад=Склад\n[Склад]\nDriver=SQLITE\nDATABASE NAME=%1\n").arg(m_dir.filePath(QStringLiteral("goods.db"))).toUtf8());
    f.close();
    const QString csv = m_dir.filePath(QStringLiteral("p.csv"));
    QString err;
    QCOMPARE(run({QStringLiteral("--ini"), ini, QStringLiteral("--profile"), QStringLiteral("Склад"), QStringLiteral("-u"), QStringLiteral("admin"),
                  QStringLiteral("-p"), QStringLiteral("MaxId=1"), QStringLiteral("-p"), QStringLiteral("Supplier=Y"), m_layout, csv}, nullptr, &err), 0);
    QFile out(csv);
    QVERIFY(out.open(QIODevice::ReadOnly));
    QVERIFY(QString::fromUtf8(out.readAll()).contains(QStringLiteral("1,Изделие 1,1,\"10,50\",\"10,50\"")));
    QCOMPARE(run({QStringLiteral("--ini"), ini, QStringLiteral("--profile"), QStringLiteral("Нет"), m_layout, csv}, nullptr, &err), 1);
    QVERIFY2(err.contains(QStringLiteral("no profile \"Нет\"")), qPrintable(err));
}

void TestVornReport::errors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("no arguments") << QStringList() << "a layout file and an output file are needed";
    QTest::newRow("missing database") << QStringList{"--sqlite", "/nonexistent/x.db", "a.vrl", "b.pdf"} << "no such database file";
    QTest::newRow("bad parameter") << QStringList{"-p", "novalue", "LAYOUT", "b.pdf"} << "parameter must be Name=Value";
    QTest::newRow("damaged layout") << QStringList{"DAMAGED", "b.pdf"} << "Макет отчёта повреждён";
    QTest::newRow("unknown format") << QStringList{"--sqlite", "DB", "-p", "MaxId=1", "LAYOUT", "b.doc"} << "Неизвестный формат вывода \"doc\"";
    // names the datasets lack would print as markers: in a batch run they are an error
    QTest::newRow("parameter not given") << QStringList{"--sqlite", "DB", "-p", "MaxId=1", "LAYOUT", "b.pdf"}
                                         << "Неизвестное имя usrPARAM.Supplier";
    QTest::newRow("catalogue layout without its queries") << QStringList{"--sqlite", "DB", "DEMO", "b.pdf"}
                                                          << "Неизвестные имена: Query1.Name, Query1.Region";
}

void TestVornReport::errors()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    const QString damaged = m_dir.filePath(QStringLiteral("damaged.vrl"));
    QFile d(damaged);
    QVERIFY(d.open(QIODevice::WriteOnly));
    d.write("<VornReport version=\"1\"><Bands><Band");
    d.close();
    for (QString &a : args) {
        if (a == u"LAYOUT") a = m_layout;
        if (a == u"DAMAGED") a = damaged;
        if (a == u"DB") a = m_dir.filePath(QStringLiteral("goods.db"));
        if (a == u"DEMO") a = qEnvironmentVariable("VORN_SOURCE_DIR") + QStringLiteral("/sql/demo/layouts/clients.xml");
        if (a.endsWith(QLatin1String(".pdf")) || a.endsWith(QLatin1String(".doc"))) a = m_dir.filePath(a);
    }
    QString err;
    QCOMPARE(run(args, nullptr, &err), 1);
    QVERIFY2(err.contains(message), qPrintable(err));
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("b.pdf"))));
}

QTEST_MAIN(TestVornReport)
#include "tst_vornreport.moc"
