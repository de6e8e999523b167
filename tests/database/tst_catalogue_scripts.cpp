// The catalogue scripts themselves: the statement splitter that runs them, and the
// three dialects kept parallel (same tables and columns, views, procedure parameters
// and code lists) — the only check the SQL Server scripts get on this machine.
#include "tools/vorncatalogue/CatalogueBuilder.h"

#include <QRegularExpression>
#include <QSet>
#include <QtTest>

using namespace vorn::catalogue;

namespace {

QString allScripts(Dialect d, bool demo = false)
{
    QString text;
    for (const QString &f : CatalogueBuilder(d).scripts(demo))
        text += CatalogueBuilder::readScript(f) + QLatin1Char('\n');
    return text;
}

QString schemaFile(Dialect d, const QString &name)
{
    return CatalogueBuilder::readScript(QStringLiteral(":/vorn/sql/%1/%2").arg(scriptFolder(d), name));
}

// Table name -> its column names (lower case), from CREATE TABLE statements.
QMap<QString, QStringList> tables(const QString &sql)
{
    QMap<QString, QStringList> out;
    static const QRegularExpression re(QStringLiteral(R"(CREATE TABLE (\w+) \((.*?)\n\);)"),
                                       QRegularExpression::DotMatchesEverythingOption);
    for (auto it = re.globalMatch(sql); it.hasNext();) {
        const auto m = it.next();
        QStringList cols;
        for (const QString &line : m.captured(2).split(u'\n')) {
            const QString first = line.trimmed().section(u' ', 0, 0);
            if (first.isEmpty() || first == QLatin1String("CHECK") || first == QLatin1String("UNIQUE")
                || first == QLatin1String("PRIMARY"))
                continue;
            cols << first.toLower();
        }
        out.insert(m.captured(1).toLower(), cols);
    }
    return out;
}

QSet<QString> views(const QString &sql)
{
    QSet<QString> out;
    static const QRegularExpression re(QStringLiteral(R"(CREATE VIEW (\w+) AS)"));
    for (auto it = re.globalMatch(sql); it.hasNext();)
        out << it.next().captured(1).toLower();
    return out;
}

// Procedure name -> "name:direction" of each parameter without its prefix, in order.
QMap<QString, QStringList> procedures(Dialect d)
{
    QMap<QString, QStringList> out;
    const QString sql = schemaFile(d, QStringLiteral("03_procedures.sql"));
    if (d == Dialect::Sqlite) {
        static const QRegularExpression re(QStringLiteral(R"(VALUES \('(\w+)',\s*'([^']*)')"));
        for (auto it = re.globalMatch(sql); it.hasNext();) {
            const auto m = it.next();
            QStringList params;
            for (const QString &p : m.captured(2).split(u',', Qt::SkipEmptyParts)) {
                const QStringList w = p.simplified().split(u' ');
                params << w.first().mid(1).toLower() + (w.last() == QLatin1String("out") ? QLatin1String(":out") : QLatin1String(":in"));
            }
            out.insert(m.captured(1).toLower(), params);
        }
    } else if (d == Dialect::PostgreSql) {
        static const QRegularExpression re(QStringLiteral(R"(CREATE FUNCTION (\w+)\(([^)]*)\))"));
        for (auto it = re.globalMatch(sql); it.hasNext();) {
            const auto m = it.next();
            QStringList params;
            for (const QString &p : m.captured(2).split(u',', Qt::SkipEmptyParts)) {
                const QStringList w = p.simplified().split(u' ');
                const bool isOut = w.first() == QLatin1String("OUT");
                params << (isOut ? w.at(1) : w.first()).mid(2).toLower() + (isOut ? QLatin1String(":out") : QLatin1String(":in"));
            }
            out.insert(m.captured(1).toLower(), params);
        }
    } else {
        static const QRegularExpression re(QStringLiteral(R"(CREATE PROCEDURE (\w+)(.*?)\s(?:WITH [A-Z ]+ )?AS\n)"),
                                           QRegularExpression::DotMatchesEverythingOption);
        for (auto it = re.globalMatch(sql); it.hasNext();) {
            const auto m = it.next();
            QStringList params;
            for (const QString &p : m.captured(2).split(u',', Qt::SkipEmptyParts)) {
                const QStringList w = p.simplified().split(u' ');
                params << w.first().mid(1).toLower() + (w.last() == QLatin1String("OUTPUT") ? QLatin1String(":out") : QLatin1String(":in"));
            }
            out.insert(m.captured(1).toLower(), params);
        }
    }
    return out;
}

// The Lookups rows as written, literals without their Unicode marker.
QStringList lookupRows(Dialect d)
{
    QStringList out;
    static const QRegularExpression re(QStringLiteral(R"(INSERT INTO Lookups \(([^)]*)\) VALUES \((.*)\);)"));
    for (auto it = re.globalMatch(schemaFile(d, QStringLiteral("04_lookups.sql"))); it.hasNext();) {
        const auto m = it.next();
        QString values = m.captured(2);
        values.replace(QRegularExpression(QStringLiteral(R"((^|[ (,])N')")), QStringLiteral("\\1'"));
        if (!values.contains(QLatin1String("Vorn_prmPrefix")))
            out << m.captured(1) + u'=' + values;
    }
    return out;
}

QString prefixRow(Dialect d)
{
    static const QRegularExpression re(QStringLiteral(R"('Vorn_prmPrefix', NULL, N?'([^']*)')"));
    return re.match(schemaFile(d, QStringLiteral("04_lookups.sql"))).captured(1);
}

} // namespace

class TestCatalogueScripts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void split_data()
    {
        QTest::addColumn<int>("dialect");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("statements");
        const int lite = int(Dialect::Sqlite), pg = int(Dialect::PostgreSql), ms = int(Dialect::MsSql);
        QTest::newRow("plain") << lite << "select 1; select 2;" << QStringList{"select 1", "select 2"};
        QTest::newRow("no final semicolon") << lite << "select 1;\nselect 2" << QStringList{"select 1", "select 2"};
        QTest::newRow("semicolon in string") << lite << "insert into t values ('a;b');select 'it''s;'"
                                             << QStringList{"insert into t values ('a;b')", "select 'it''s;'"};
        QTest::newRow("procedure body row") << lite << "insert into p values ('x', 'delete from a; select 1 as A');"
                                            << QStringList{"insert into p values ('x', 'delete from a; select 1 as A')"};
        QTest::newRow("quoted name") << lite << "select \"a;b\" from t;" << QStringList{"select \"a;b\" from t"};
        QTest::newRow("comments only dropped") << lite << "-- header; still comment\n/* a; b */\nselect 1;\n-- tail\n"
                                               << QStringList{"-- header; still comment\n/* a; b */\nselect 1"};
        QTest::newRow("dollar body") << pg << "create function f() returns int as $$ begin; return 1; end $$ language plpgsql;select 2"
                                     << QStringList{"create function f() returns int as $$ begin; return 1; end $$ language plpgsql",
                                                    "select 2"};
        QTest::newRow("tagged dollar body") << pg << "do $x$ begin perform 'a;'; end $x$; select $1"
                                            << QStringList{"do $x$ begin perform 'a;'; end $x$", "select $1"};
        QTest::newRow("dollar only in postgresql") << lite << "select '$$'; select 2"
                                                   << QStringList{"select '$$'", "select 2"};
        QTest::newRow("go batches") << ms << "create table t (a int);\ninsert into t values (1);\nGO\n  go  \ncreate view v as select a from t\nGO"
                                    << QStringList{"create table t (a int);\ninsert into t values (1);", "create view v as select a from t"};
        QTest::newRow("go inside string") << ms << "insert into t values ('x\nGO\ny')\nGO\nselect 1"
                                          << QStringList{"insert into t values ('x\nGO\ny')", "select 1"};
        QTest::newRow("go as a word") << ms << "select 1 as go;\nselect [GO;]\n" << QStringList{"select 1 as go;\nselect [GO;]"};
    }
    void split()
    {
        QFETCH(int, dialect);
        QFETCH(QString, script);
        QFETCH(QStringList, statements);
        QCOMPARE(splitStatements(script, Dialect(dialect)), statements);
    }

    void unicode_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected");
        QTest::newRow("literals") << "values ('Отчёт', 1, 'a''b')" << "values (N'Отчёт', 1, N'a''b')";
        QTest::newRow("already unicode") << "values (N'x', n'y')" << "values (N'x', n'y')";
        QTest::newRow("word before literal") << "select case when a then'x' end, b IN'y'"
                                             << "select case when a then N'x' end, b IN N'y'";
        QTest::newRow("comment and names") << "-- it's\nselect [a'b], \"c'd\"" << "-- it's\nselect [a'b], \"c'd\"";
    }
    void unicode()
    {
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        QCOMPARE(unicodeLiterals(sql), expected);
    }

    void scriptsRunInNumberOrder()
    {
        const QStringList s = CatalogueBuilder(Dialect::PostgreSql).scripts(true);
        QStringList names;
        for (const QString &f : s)
            names << f.section(u'/', -2);
        QCOMPARE(names, (QStringList{"postgresql/01_tables.sql", "postgresql/02_views.sql", "postgresql/03_procedures.sql",
                                     "postgresql/04_lookups.sql", "postgresql/01_business_tables.sql",
                                     "demo/02_business_data.sql", "postgresql/03_logins.sql", "demo/04_catalogue.sql"}));
    }

    void dialectsHaveTheSameTables()
    {
        const auto lite = tables(allScripts(Dialect::Sqlite, true));
        QVERIFY(lite.contains("vornform") && lite.contains("invoices"));
        for (Dialect d : {Dialect::PostgreSql, Dialect::MsSql}) {
            auto other = tables(allScripts(d, true));
            auto expected = lite;
            for (const char *own : {"vornprocedure", "vornlogin", "vornloginmember", "vornadmincheck"})
                expected.remove(QString::fromLatin1(own));
            QCOMPARE(other, expected);
        }
    }

    void dialectsHaveTheSameViews()
    {
        const QSet<QString> read = {"vwvornform", "vwvorngroup", "vwvornscript", "vwvornimports", "vwvornlogins",
                                    "vwvornobjects", "vwvornrightsbyuser", "vwvornisadmin", "vwvornsessions",
                                    "vwvornrecipients"};
        for (Dialect d : {Dialect::Sqlite, Dialect::PostgreSql, Dialect::MsSql}) {
            const QSet<QString> v = views(schemaFile(d, QStringLiteral("02_views.sql")));
            QVERIFY2(v.contains(read), qPrintable(scriptFolder(d)));
        }
    }

    void dialectsHaveTheSameProcedures()
    {
        const auto lite = procedures(Dialect::Sqlite);
        QCOMPARE(lite.size(), 22);
        QCOMPARE(lite.value("spvornparamadd"),
                 (QStringList{"parname:in", "idquery:in", "idremotedata:in", "idparam:out"}));
        QCOMPARE(procedures(Dialect::PostgreSql), lite);
        QCOMPARE(procedures(Dialect::MsSql), lite);
    }

    void dialectsHaveTheSameCodeLists()
    {
        const QStringList lite = lookupRows(Dialect::Sqlite);
        QVERIFY(lite.size() > 30);
        QCOMPARE(lookupRows(Dialect::PostgreSql), lite);
        QCOMPARE(lookupRows(Dialect::MsSql), lite);
        QCOMPARE(prefixRow(Dialect::Sqlite), QStringLiteral("@"));
        QCOMPARE(prefixRow(Dialect::MsSql), QStringLiteral("@"));
        QCOMPARE(prefixRow(Dialect::PostgreSql), QStringLiteral("p_"));
    }

    // What one dialect writes and another does not understand must not leak across.
    void noForeignSyntax_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("pattern");
        const QString lite = QStringLiteral("sqlite/"), pg = QStringLiteral("postgresql/"), ms = QStringLiteral("mssql/");
        for (const char *f : {"01_tables.sql", "02_views.sql", "03_procedures.sql", "04_lookups.sql"}) {
            const QString n = QString::fromLatin1(f);
            for (const char *re : {R"(^\s*GO\s*$)", R"(\$\$)", "::", R"(\bnvarchar\b)", R"(\bSCOPE_IDENTITY\b)",
                                   R"(\bIS_MEMBER\b)", R"(\bRETURNING\b)", R"(\bp_\w+)"})
                QTest::addRow("%s %s", qPrintable(lite + n), re) << lite + n << QString::fromLatin1(re);
            for (const char *re : {R"(^\s*GO\s*$)", R"(@\w+)", R"(\bIDENTITY\()", R"(\bAUTOINCREMENT\b)",
                                   R"(\bSCOPE_IDENTITY\b)", R"(\bnvarchar\b)", R"(\bvorn_login\b)", R"(\bIS_MEMBER\b)",
                                   R"(\blast_insert_rowid\b)"})
                QTest::addRow("%s %s", qPrintable(pg + n), re) << pg + n << QString::fromLatin1(re);
            for (const char *re : {R"(\|\|)", R"(\$\$)", R"(::(int|integer|text|varchar|numeric|date|timestamp)\b)", R"(\bLIMIT\b)", R"(\bAUTOINCREMENT\b)", R"(\bRETURNING\b)",
                                   R"(\bvorn_login\b)", R"(\blast_insert_rowid\b)", R"(\bBOOLEAN\b)", R"(\bp_\w+)",
                                   R"(\bcurrent_user\b)", R"(\bpg_\w+)", R"(\bELSIF\b)"})
                QTest::addRow("%s %s", qPrintable(ms + n), re) << ms + n << QString::fromLatin1(re);
        }
        // the common demo files run everywhere, the query texts they store too
        for (const char *f : {"demo/02_business_data.sql", "demo/04_catalogue.sql"})
            for (const char *re : {R"(\|\|)", "::", R"(\bLIMIT\b)", R"(\bTOP\b)", R"(\bILIKE\b)", R"(\bISNULL\()",
                                   R"(\bIFNULL\()", R"(\bGETDATE\b)", R"(\bnow\b)", R"(\bN')", R"(^\s*GO\s*$)", R"(\$\$)",
                                   R"(\bTRUE\b)", R"(\bFALSE\b)"})
                QTest::addRow("%s %s", f, re) << QString::fromLatin1(f) << QString::fromLatin1(re);
    }
    void noForeignSyntax()
    {
        QFETCH(QString, file);
        QFETCH(QString, pattern);
        QString text = CatalogueBuilder::readScript(QStringLiteral(":/vorn/sql/") + file);
        text.remove(QRegularExpression(QStringLiteral("--[^\n]*")));
        if (!file.startsWith(QLatin1String("demo/")))
            text.remove(QRegularExpression(QStringLiteral("'(?:[^']|'')*'")));   // literals may say anything
        const QRegularExpression re(pattern, QRegularExpression::MultilineOption | QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch m = re.match(text);
        QVERIFY2(!m.hasMatch(), qPrintable(m.captured(0) + QStringLiteral(" at ") + text.mid(qMax(0, int(m.capturedStart()) - 60), 120)));
    }

    void everySqlServerBatchEndsWithGo()
    {
        // CREATE VIEW / PROCEDURE must open their batch in T-SQL.
        for (const QString &f : CatalogueBuilder(Dialect::MsSql).scripts(true)) {
            if (!f.contains(QLatin1String("/mssql/")))
                continue;
            for (const QString &batch : splitStatements(CatalogueBuilder::readScript(f), Dialect::MsSql)) {
                QString body = batch;
                body.remove(QRegularExpression(QStringLiteral("--[^\n]*")));
                const int creates = int(body.count(QRegularExpression(QStringLiteral(R"(\bCREATE (VIEW|PROCEDURE)\b)"))));
                if (creates > 0) {
                    QVERIFY2(creates == 1 && body.trimmed().startsWith(QLatin1String("CREATE")), qPrintable(f + ": " + batch.left(80)));
                }
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestCatalogueScripts)
#include "tst_catalogue_scripts.moc"
