// SQL text scanning: which ":Name" / "@Name" references are parameters, and where
// statements end.
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
};

QTEST_GUILESS_MAIN(TestSqlText)
#include "tst_sqltext.moc"
