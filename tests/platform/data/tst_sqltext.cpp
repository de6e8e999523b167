// SQL text scanning: which ":Name" / "@Name" references are parameters, where
// statements end, what a text is made of under each server's quoting rules, and the
// string literals the program writes into SQL.
#include "platform/data/SqlDialect.h"
#include "platform/data/SqlText.h"

#include <QTest>

using namespace vorn;

class TestSqlText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void params_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("plain") << "select * from T where Id = :Id and Name = :Name" << ":" << QStringList{"Id", "Name"};
        QTest::newRow("repeat keeps order") << "where a = :B or b = :A or c = :b" << ":" << QStringList{"B", "A"};
        QTest::newRow("string") << "select ':NotA' || :Yes from T" << ":" << QStringList{"Yes"};
        QTest::newRow("doubled quote") << "select 'it''s :x' , :y" << ":" << QStringList{"y"};
        QTest::newRow("quoted identifier") << "select \"a:b\" from T where x = :p" << ":" << QStringList{"p"};
        QTest::newRow("line comment") << "select 1 -- :c it's\nwhere x = :p" << ":" << QStringList{"p"};
        QTest::newRow("block comment") << "select /* :c ' */ :p" << ":" << QStringList{"p"};
        QTest::newRow("pg cast") << "select :a::int, x::text, '1'::date" << ":" << QStringList{"a"};
        QTest::newRow("assignment") << "x := :v" << ":" << QStringList{"v"};
        QTest::newRow("dollar quoted") << "select $$ :no $$, $f$ :no2 $f$, :yes" << ":" << QStringList{"yes"};
        QTest::newRow("cyrillic name") << "where Имя = :Имя" << ":" << QStringList{"Имя"};
        QTest::newRow("time literal text") << "select '10:30', :t" << ":" << QStringList{"t"};
        QTest::newRow("bare colon") << "select : from" << ":" << QStringList{};
        QTest::newRow("at params") << "insert into T values (@Name, @Id); select @@ROWCOUNT, '@x'" << "@" << QStringList{"Name", "Id"};
    }
    void params()
    {
        QFETCH(QString, sql);
        QFETCH(QString, prefix);
        QFETCH(QStringList, names);
        QCOMPARE(sqltext::paramNames(sql, prefix.at(0)), names);
    }

    void positional()
    {
        const QString sql = "select :a::int, ':b' from t where c = :c";
        QCOMPARE(sqltext::toPositional(sql, sqltext::findParams(sql)), QString("select ?::int, ':b' from t where c = ?"));
    }

    void split_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QStringList>("statements");
        QTest::newRow("two") << "insert into a values(1); select 2;" << QStringList{"insert into a values(1)", "select 2"};
        QTest::newRow("semicolon in string") << "select 'a;b'; select 1" << QStringList{"select 'a;b'", "select 1"};
        QTest::newRow("in comment") << "select 1 -- x; y\n; select 2 /* ; */" << QStringList{"select 1 -- x; y", "select 2 /* ; */"};
        QTest::newRow("quoted identifier") << "select \"a;b\" from t" << QStringList{"select \"a;b\" from t"};
        QTest::newRow("blank parts") << " ;; select 1 ; " << QStringList{"select 1"};
    }
    void split()
    {
        QFETCH(QString, body);
        QFETCH(QStringList, statements);
        QCOMPARE(sqltext::splitStatements(body), statements);
    }

    // statements, literals, comments; "open" when the text ends inside a region
    void shape_data()
    {
        QTest::addColumn<int>("quoting");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected");
        const int lite = int(sqltext::Quoting::Sqlite), pg = int(sqltext::Quoting::PostgreSql),
                  ms = int(sqltext::Quoting::MsSql);
        QTest::newRow("plain") << lite << "select 1" << "1 0 0";
        QTest::newRow("literals and doubled quote") << lite << "select 'a', 'it''s' from t" << "1 2 0";
        QTest::newRow("semicolon in a literal") << lite << "select 'a;b'" << "1 1 0";
        QTest::newRow("two statements, trailing ;") << lite << "update t set a=1; select 2;" << "2 0 0";
        QTest::newRow("comment-only tail") << lite << "select 1; -- done" << "1 0 1";
        QTest::newRow("comments hide quotes") << lite << "select 1 -- it's\n/* ' ; */ from t" << "1 0 2";
        QTest::newRow("closed quote reopened") << lite << "where n = 'x' OR 'a'='a'" << "1 3 0";
        QTest::newRow("unterminated") << lite << "where n = 'x" << "1 1 0 open";
        QTest::newRow("sqlite brackets") << lite << "select [a'b] from t" << "1 0 0";
        QTest::newRow("sqlite backticks") << lite << "select `a;b` from t" << "1 0 0";
        QTest::newRow("pg brackets are code") << pg << "select a[1] from t where n = 'x'" << "1 1 0";
        QTest::newRow("pg escape string") << pg << "select E'a\\'b', 'c'" << "1 2 0";
        QTest::newRow("pg escape ends name") << pg << "select name'x'" << "1 1 0";
        QTest::newRow("pg dollar quoted") << pg << "select $$a'; b$$, $f$ ; $f$" << "1 2 0";
        QTest::newRow("pg nested comment") << pg << "/* a /* b */ ' */ select 1" << "1 0 1";
        QTest::newRow("sqlite comments do not nest") << lite << "/* a /* b */ select 1" << "1 0 1";
        QTest::newRow("mssql brackets doubled") << ms << "select [a]];b] from t; select N'ы'" << "2 1 0";
        QTest::newRow("double-quoted name") << ms << "select \"a\"\";\" from t" << "1 0 0";
    }
    void shape()
    {
        QFETCH(int, quoting);
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        const sqltext::Shape s = sqltext::shape(sql, sqltext::Quoting(quoting));
        QString got = QStringLiteral("%1 %2 %3").arg(s.statements).arg(s.literals).arg(s.comments);
        if (s.unterminated)
            got += QStringLiteral(" open");
        QCOMPARE(got, expected);
        // the regions cover the text without gaps
        int at = 0;
        for (const sqltext::Region &r : sqltext::regions(sql, sqltext::Quoting(quoting))) {
            QCOMPARE(r.begin, at);
            QVERIFY(r.end > r.begin);
            at = r.end;
        }
        QCOMPARE(at, int(sql.size()));
    }

    // String literals the program builds: quotes doubled; Unicode literals on SQL Server.
    void quotedString_data()
    {
        QTest::addColumn<int>("dialect");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        using D = Database::Dialect;
        QTest::newRow("sqlite") << int(D::Sqlite) << "д'Артаньян" << "'д''Артаньян'";
        QTest::newRow("postgresql") << int(D::PostgreSql) << "' or 1=1 --" << "''' or 1=1 --'";
        QTest::newRow("mssql cyrillic") << int(D::MsSql) << "Отчёт «Продажи»" << "N'Отчёт «Продажи»'";
        QTest::newRow("mssql quote") << int(D::MsSql) << "д'Артаньян" << "N'д''Артаньян'";
        QTest::newRow("mssql empty") << int(D::MsSql) << "" << "N''";
    }
    void quotedString()
    {
        QFETCH(int, dialect);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(dialect::quotedString(Database::Dialect(dialect), text), expected);
    }
};

QTEST_GUILESS_MAIN(TestSqlText)
#include "tst_sqltext.moc"
