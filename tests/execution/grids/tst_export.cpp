// Export tests: XLSX workbooks written and read back with a standard-library Python
// reader (sheet names, cell values, formulas, styles, widths, heights, dropped
// columns), and the text export compared byte for byte.
#include "GridTestDb.h"

#include "database/VornMessages.h"
#include "execution/ParamAskMe.h"
#include "execution/VornExport.h"
#include "platform/core/CodePage.h"

#include <QDir>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

class TstExport : public QObject
{
    Q_OBJECT
    GridTestDb data;
    QJsonObject readBook(const QString &file)
    {
        QProcess p;
        p.start(QStringLiteral("python3"), {qEnvironmentVariable("VORN_SOURCE_DIR") +
                                                QStringLiteral("/tests/execution/grids/xlsx_dump.py"), file});
        p.waitForFinished(60000);
        const QByteArray out = p.readAllStandardOutput();
        if (p.exitCode() != 0)
            qWarning() << p.readAllStandardError();
        return QJsonDocument::fromJson(out).object();
    }
    static QJsonObject sheet(const QJsonObject &book, int i) { return book[QStringLiteral("sheets")].toArray()[i].toObject(); }
    static QJsonObject cell(const QJsonObject &sh, const char *addr)
    {
        return sh[QStringLiteral("cells")].toObject()[QString::fromLatin1(addr).toUpper()].toObject();
    }
    static double colWidth(const QJsonObject &sh, int col)
    {
        for (const QJsonValue &v : sh[QStringLiteral("cols")].toArray())
            if (v[QStringLiteral("min")].toInt() <= col && col <= v[QStringLiteral("max")].toInt())
                return v[QStringLiteral("width")].toDouble();
        return -1;
    }

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }

    void addresses_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("addr");
        QTest::newRow("first") << 1 << 1 << "a1";
        QTest::newRow("z") << 5 << 26 << "z5";
        QTest::newRow("aa") << 7 << 27 << "aa7";
        QTest::newRow("az") << 2 << 52 << "az2";
        QTest::newRow("ba") << 3 << 53 << "ba3";
        QTest::newRow("zz") << 1 << 702 << "zz1";
    }
    void addresses()
    {
        QFETCH(int, row);
        QFETCH(int, col);
        QFETCH(QString, addr);
        QCOMPARE(ExcelCellAddress(row, col), addr);
    }

    void numberText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("kept");
        QTest::newRow("leading zeros") << "00123" << true;
        QTest::newRow("exponent") << "-1.5E3" << true;
        QTest::newRow("spaced list") << " 1, 2\t3 " << true;
        QTest::newRow("digits and word") << "12 шт" << false;
        QTest::newRow("blank") << "   " << false;
        QTest::newRow("letter x") << "12x" << false;
    }
    void numberText()
    {
        QFETCH(QString, text);
        QFETCH(bool, kept);
        QCOMPARE(LooksLikeNumberText(text), kept);
    }

    // Cyrillic captions except the key: the key goes last, pale, without border.
    void captionedSheet()
    {
        QObject owner;
        auto *q = data.query(&owner, QStringLiteral("qClients"),
                             QStringLiteral("select Id, Code, Name, Amount, Qty, Empty, Note from Clients order by Id"));
        q->findField(QStringLiteral("Code"))->setDisplayLabel(QStringLiteral("Код"));
        q->findField(QStringLiteral("Name"))->setDisplayLabel(QStringLiteral("Наименование"));
        q->findField(QStringLiteral("Amount"))->setDisplayLabel(QStringLiteral("Сумма"));
        q->findField(QStringLiteral("Qty"))->setDisplayLabel(QStringLiteral("Кол-во"));
        q->findField(QStringLiteral("Empty"))->setDisplayLabel(QStringLiteral("Пусто"));
        q->findField(QStringLiteral("Note"))->setDisplayLabel(QStringLiteral("Примечание"));
        const QString file = data.dir.filePath(QStringLiteral("captioned.xlsx"));
        QCOMPARE(ExportDataSetsToExcel({q}, file), file);
        const QJsonObject book = readBook(file);
        QCOMPARE(book[QStringLiteral("sheets")].toArray().size(), 1);
        const QJsonObject sh = sheet(book, 0);
        QCOMPARE(sh[QStringLiteral("name")].toString(), QStringLiteral("qClients"));
        QCOMPARE(sh[QStringLiteral("gridlines")].toBool(), false);
        // header: primaries in field order, the empty column gone, the key last
        const char *heads[] = {"a1", "b1", "c1", "d1", "e1", "f1"};
        const QStringList expected{"Код", "Наименование", "Сумма", "Кол-во", "Примечание", "Id"};
        for (int i = 0; i < 6; ++i)
            QCOMPARE(cell(sh, heads[i])[QStringLiteral("v")].toString(), expected[i]);
        QVERIFY(cell(sh, "g1").isEmpty());
        const QJsonObject a1 = cell(sh, "a1");
        QVERIFY(a1[QStringLiteral("bold")].toBool());
        QCOMPARE(a1[QStringLiteral("halign")].toString(), QStringLiteral("center"));
        QCOMPARE(a1[QStringLiteral("valign")].toString(), QStringLiteral("center"));
        QVERIFY(a1[QStringLiteral("border")].toBool());
        // the key column: pale colour, no border
        const QJsonObject f2 = cell(sh, "f2");
        QCOMPARE(f2[QStringLiteral("color")].toString(), QStringLiteral("FFCECEFF"));
        QVERIFY(!f2[QStringLiteral("border")].toBool());
        QVERIFY(cell(sh, "e3")[QStringLiteral("border")].toBool());  // a null cell inside the block
        QVERIFY(cell(sh, "a2")[QStringLiteral("color")].isNull());
        // number-like text stays text, a number a number
        QCOMPARE(cell(sh, "a2")[QStringLiteral("v")].toString(), QStringLiteral("00123"));
        QVERIFY(cell(sh, "a2")[QStringLiteral("t")].toString() != QStringLiteral("n"));
        QCOMPARE(cell(sh, "a3")[QStringLiteral("v")].toString(), QStringLiteral("12 шт"));
        QCOMPARE(cell(sh, "d2")[QStringLiteral("t")].toString(), QStringLiteral("n"));
        QCOMPARE(cell(sh, "d2")[QStringLiteral("v")].toString(), QStringLiteral("10"));
        // 3 records: header and data in rows 1-4, row 5 half height, totals in row 6
        const QJsonObject rows = sh[QStringLiteral("rows")].toObject();
        QCOMPARE(rows[QStringLiteral("1")].toDouble(), 30.0);
        QCOMPARE(rows[QStringLiteral("5")].toDouble(), 7.0);
        const QJsonObject c6 = cell(sh, "c6");
        QCOMPARE(c6[QStringLiteral("f")].toString(), QStringLiteral("sum(c2:c4)"));
        QCOMPARE(c6[QStringLiteral("v")].toString().toDouble(), 3.5);
        QVERIFY(c6[QStringLiteral("bold")].toBool());
        QCOMPARE(c6[QStringLiteral("fmt")].toString(), QStringLiteral("# ### ### ##0.00"));
        QCOMPARE(cell(sh, "c2")[QStringLiteral("fmt")].toString(), QStringLiteral("# ### ### ##0.00"));
        QVERIFY(cell(sh, "d6").isEmpty());  // an integer column gets no total
        // widths: a long primary column capped at 40
        // (the file stores Excel's width with its padding of 0.71 characters)
        QCOMPARE(int(colWidth(sh, 2)), 40);
        QVERIFY(colWidth(sh, 1) < 20);
    }

    // No Cyrillic captions: columns named id... go last, Code stays.
    void uncaptionedOrderAndSheets()
    {
        QObject owner;
        auto *q1 = data.query(&owner, QStringLiteral("qIds"),
                              QStringLiteral("select Id as IdClient, Name as id_doc, Code, Id as ID, Name from Clients"));
        auto *q2 = data.query(&owner, QStringLiteral("qSecond"), QStringLiteral("select Name, Rate from Clients"));
        const QString file = data.dir.filePath(QStringLiteral("two.xlsx"));
        ExportDataSetsToExcel({q1, q2}, file);
        const QJsonObject book = readBook(file);
        QCOMPARE(book[QStringLiteral("sheets")].toArray().size(), 2);
        QCOMPARE(book[QStringLiteral("active")].toInt(), 0);
        const QJsonObject sh = sheet(book, 0);
        QStringList heads;
        for (const char *a : {"a1", "b1", "c1", "d1", "e1"})
            heads << cell(sh, a)[QStringLiteral("v")].toString();
        QCOMPARE(heads, QStringList({"Code", "Name", "IdClient", "id_doc", "ID"}));
        // a secondary long column is not capped, a primary one is
        QCOMPARE(int(colWidth(sh, 2)), 40);
        QVERIFY(colWidth(sh, 4) > 50);
        const QJsonObject sh2 = sheet(book, 1);
        QCOMPARE(sh2[QStringLiteral("name")].toString(), QStringLiteral("qSecond"));
        QCOMPARE(cell(sh2, "b6")[QStringLiteral("f")].toString(), QStringLiteral("sum(b2:b4)"));
        QCOMPARE(cell(sh2, "b6")[QStringLiteral("v")].toString().toDouble(), 2.0);
    }

    void nothingToExport()
    {
        QStringList texts;
        auto prev = SetMessageAnswerer([&](const TMsgRequest &r) { texts << r.text; return TMsgButton::Ok; });
        QWidget empty;
        QCOMPARE(ExportToExcel(&empty), QString());
        SetMessageAnswerer(prev);
        QCOMPARE(texts, QStringList{QStringLiteral("Данные для вывода не обнаружены!")});
    }

    void windowDatasetsAndOpener()
    {
        QWidget window;
        data.query(&window, QStringLiteral("qA"), QStringLiteral("select Name from Clients"));
        data.query(&window, QStringLiteral("qNone"), QStringLiteral("select Name from Clients where Id < 0"));
        data.query(&window, QStringLiteral("qB"), QStringLiteral("select Code from Clients"));
        QString opened;
        auto prev = SetExcelFileOpener([&](const QString &f, const TOpenFailed &) { opened = f; });
        const QString file = ExportToExcel(&window, data.dir.filePath(QStringLiteral("window.xlsx")));
        SetExcelFileOpener(prev);
        QCOMPARE(opened, file);
        const QJsonObject book = readBook(file);
        QStringList names;
        for (const QJsonValue &s : book[QStringLiteral("sheets")].toArray())
            names << s[QStringLiteral("name")].toString();
        QCOMPARE(names, QStringList({"qA", "qB"}));
    }

    // A desktop that cannot open the workbook: the user is told where it is and may keep it.
    void openerFails()
    {
        QWidget window;
        data.query(&window, QStringLiteral("qA"), QStringLiteral("select Name from Clients"));
        QList<TMsgRequest> asked;
        TMsgButton answer = TMsgButton::Ok;
        auto prevMsg = SetMessageAnswerer([&](const TMsgRequest &r) { asked << r; return answer; });
        const QString kept = data.dir.filePath(QStringLiteral("kept.xlsx"));
        int dialogs = 0;
        auto prevDlg = SetDialogRunner([&](QDialog *d) {
            ++dialogs;
            auto *fd = qobject_cast<QFileDialog *>(d);
            if (!fd)
                return int(QDialog::Rejected);
            fd->selectFile(kept);
            static_cast<QDialog *>(fd)->accept();
            return int(QDialog::Accepted);
        });
        auto prev = SetExcelFileOpener([](const QString &, const TOpenFailed &failed) { failed(QStringLiteral("нет программы")); });
        const QString file = ExportToExcel(&window);  // a temporary workbook
        QCOMPARE(asked.size(), 1);
        QVERIFY(asked[0].buttons & int(TMsgButton::SaveAs));
        QVERIFY2(asked[0].text.contains(QDir::toNativeSeparators(file)), qPrintable(asked[0].text));
        QVERIFY(asked[0].text.contains(QStringLiteral("нет программы")));
        QCOMPARE(dialogs, 0);  // closed without saving
        QVERIFY(!QFile::exists(kept));
        answer = TMsgButton::SaveAs;
        const QString again = ExportToExcel(&window);
        SetExcelFileOpener(prev);
        SetDialogRunner(prevDlg);
        SetMessageAnswerer(prevMsg);
        QCOMPARE(dialogs, 1);
        QFile a(again), b(kept);
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QCOMPARE(b.readAll(), a.readAll());
        QCOMPARE(sheet(readBook(kept), 0)[QStringLiteral("name")].toString(), QStringLiteral("qA"));
        QFile::remove(file);
        QFile::remove(again);
    }

    // A failing dataset ends the export with its name; the sheets before it stay.
    void failureKeepsEarlierSheets()
    {
        QWidget window;
        data.query(&window, QStringLiteral("qGood"), QStringLiteral("select Name from Clients"));
        data.query(&window, QStringLiteral("bad:name"), QStringLiteral("select Code from Clients"));
        QStringList texts;
        auto prevMsg = SetMessageAnswerer([&](const TMsgRequest &r) { texts << r.text; return TMsgButton::Ok; });
        QString opened;
        auto prev = SetExcelFileOpener([&](const QString &f, const TOpenFailed &) { opened = f; });
        ExportToExcel(&window, data.dir.filePath(QStringLiteral("partial.xlsx")));
        SetExcelFileOpener(prev);
        SetMessageAnswerer(prevMsg);
        QCOMPARE(texts.size(), 1);
        QVERIFY2(texts[0].startsWith(QStringLiteral("Ошибка экспорта \"bad:name\"\n\rNativeError: ")), qPrintable(texts[0]));
        QVERIFY(!opened.isEmpty());
        const QJsonObject book = readBook(opened);
        QCOMPARE(book[QStringLiteral("sheets")].toArray().size(), 1);
        QCOMPARE(sheet(book, 0)[QStringLiteral("name")].toString(), QStringLiteral("qGood"));
    }

    void textExport()
    {
        QObject owner;
        auto *q = data.query(&owner, QStringLiteral("qText"),
                             QStringLiteral("select Name, Qty, Amount, Born from Short"));
        q->findField(QStringLiteral("Name"))->setDisplayLabel(QStringLiteral("Клиент"));
        q->findField(QStringLiteral("Qty"))->setDisplayLabel(QStringLiteral("Кол-во"));
        TParamAskMeList params;
        TParamAskMe *city = params.Add(QStringLiteral("City"), QStringLiteral("Город"), ptText);
        city->Value = QStringLiteral("Москва");
        TParamAskMe *client = params.Add(QStringLiteral("Client"), QStringLiteral("Клиент"), ptLookup);
        client->Value = qint64(5);
        client->ValueKind = vkInteger;
        if (!client->Lookup)
            client->Lookup = std::make_unique<TDBLookupAskMe>();
        client->Lookup->LookupField = QStringLiteral("Id");
        client->Lookup->LookupDisplay = QStringLiteral("Name");
        client->Lookup->DisplayText = QStringLiteral("Иванов");
        params.Add(QStringLiteral("Pwd"), QStringLiteral("Пароль"), ptPassword)->Value = QStringLiteral("тайна");
        const QString file = data.dir.filePath(QStringLiteral("out.txt"));
        q->setRecNo(2);
        WriteDataSetText(q, &params, file);
        QCOMPARE(q->recNo(), 2);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString nb = QString(QChar(0xA0));
        const QStringList lines{
            "       Параметр        Значение",
            "--------------- ---------------",
            "          Город          Москва",
            "         Клиент      5 (Иванов)",
            "         Пароль           *****",  // as the prompt showed it
            "",
            "Клиент  Кол-во      Amount               Born               ",
            "------- ----------- -------------------- -------------------",
            "Гвозди           12             1" + nb + "234,50 05.03.2024         ",
            "Болт              3                 0,50                    ",
            "Количество записей :2",
        };
        QByteArray expected;
        for (const QString &l : lines)
            expected += vorn::codepage::toCp1251(l) + "\r\n";
        const QByteArray got = f.readAll();
        if (got != expected)
            qWarning().noquote() << vorn::codepage::fromCp1251(got);
        QCOMPARE(got, expected);
    }

    // The kinds the fixed layout leaves open: width 20, numbers right, text left;
    // a BCD value as the grid shows it (two places at least).
    void textOtherKinds()
    {
        QObject owner;
        auto *q = data.query(&owner, QStringLiteral("qKinds"), QStringLiteral("select * from Kinds"));
        const QString file = data.dir.filePath(QStringLiteral("kinds.txt"));
        WriteDataSetText(q, nullptr, file);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QStringList lines = vorn::codepage::fromCp1251(f.readAll()).split(QStringLiteral("\r\n"));
        f.close();
        const QString pad(20, u' ');
        QCOMPARE(lines[2], QString("True" + pad).left(20) + u' ' + QString("12345678901").rightJustified(20) + u' ' +
                               QString("12,50").rightJustified(20) + u' ' + QString("(BLOB)").leftJustified(20) + u' ' +
                               QString("две строки").leftJustified(20));
    }

    // Columns whose size the driver does not declare (SQLite expressions and text,
    // PostgreSQL text) are as wide as their longest value plus one, up to 256 characters.
    void textUndeclaredSizes_data()
    {
        QTest::addColumn<QString>("driver");
        QTest::newRow("sqlite") << "SQLITE";
        QTest::newRow("postgresql") << "POSTGRESQL";
    }
    void textUndeclaredSizes()
    {
        QFETCH(QString, driver);
        const QString name = QStringLiteral("Иванов Иван Иванович, закупщик оптового отдела центрального склада");
        const QString huge(400, u'ж');
        std::unique_ptr<vorn::Database> pg;
        QString sql;
        if (driver == "SQLITE") {
            sql = "select Name || '' as N, Note, Code from Clients order by Id";
        } else {
            if (qEnvironmentVariableIsEmpty("VORN_PG_PORT"))
                QSKIP("no PostgreSQL test cluster");
            pg = std::make_unique<vorn::Database>();
            pg->setDatabaseName(QStringLiteral("pgExport"));
            pg->setDriverName(QStringLiteral("POSTGRESQL"));
            pg->params().setValue(QStringLiteral("SERVER NAME"), qEnvironmentVariable("VORN_PG_HOST") + u':' + qEnvironmentVariable("VORN_PG_PORT"));
            pg->params().setValue(QStringLiteral("DATABASE NAME"), QStringLiteral("postgres"));
            pg->params().setValue(QStringLiteral("USER NAME"), qEnvironmentVariable("VORN_PG_USER"));
            pg->params().setValue(QStringLiteral("PASSWORD"), qEnvironmentVariable("VORN_PG_PASSWORD"));
            pg->open();
            sql = QStringLiteral("select N::text as \"N\", Note::text as \"Note\", Code::varchar(10) as \"Code\" from (values"
                                 " ('%1', 'первая', '00123'), ('Петров', null, '12 шт'), ('Сидоров', 'третья', '-1.5E3')) as t(N, Note, Code)")
                      .arg(name);
        }
        QObject owner;
        auto *q = new vorn::Query(&owner);
        q->setObjectName(QStringLiteral("qWide"));
        q->setDatabase(pg ? pg.get() : data.db.get());
        q->setSql(sql);
        q->open();
        const QString file = data.dir.filePath(QStringLiteral("wide.txt"));
        WriteDataSetText(q, nullptr, file);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QStringList lines = vorn::codepage::fromCp1251(f.readAll()).split(QStringLiteral("\r\n"));
        f.close();
        // N: the longest value plus one; Note: "третья" plus one; Code: declared varchar(10) plus one
        QCOMPARE(lines[0], QString("N").leftJustified(name.size() + 1) + u' ' + QString("Note").leftJustified(7) + u' ' +
                               QString("Code").leftJustified(11));
        QCOMPARE(lines[2], name + u' ' + u' ' + QString("первая").leftJustified(7) + u' ' + QString("00123").leftJustified(11));
        QCOMPARE(lines[3].left(name.size() + 1), QString("Петров").leftJustified(name.size() + 1));

        // a value beyond the bound is cut there, as a declared size would cut it
        q->close();
        q->setSql(driver == "SQLITE" ? QStringLiteral("select '%1' || '' as N").arg(huge) : QStringLiteral("select '%1'::text as \"N\"").arg(huge));
        q->open();
        WriteDataSetText(q, nullptr, file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QStringList cut = vorn::codepage::fromCp1251(f.readAll()).split(QStringLiteral("\r\n"));
        QCOMPARE(cut[2], huge.left(256));
    }

    void textWithoutParamsStartsWithHeader()
    {
        QObject owner;
        auto *q = data.query(&owner, QStringLiteral("qT"), QStringLiteral("select Qty from Clients where Id = 1"));
        const QString file = data.dir.filePath(QStringLiteral("plain.txt"));
        WriteDataSetText(q, nullptr, file);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("Qty        \r\n-----------\r\n         10\r\nКоличество записей :1\r\n")
                                  .replace("Количество записей :", vorn::codepage::toCp1251(QStringLiteral("Количество записей :"))));
    }
};

QTEST_MAIN(TstExport)
#include "tst_export.moc"
