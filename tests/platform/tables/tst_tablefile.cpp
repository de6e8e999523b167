// Table files written from a memory table and read back: every value whole (large
// integers, decimals, Cyrillic text in the Windows code page, nulls), dates and
// logicals in their column types, ASCII fixed-width and delimited with the schema,
// and values a kind cannot hold refused without a partial file.
#include "platform/core/CodePage.h"
#include "platform/data/DataError.h"
#include "platform/data/MemoryTable.h"
#include "platform/tables/TableFile.h"

#include <QTemporaryDir>
#include <QtTest>
extern "C" {
#include <paradox.h>
}
#include <shapefil.h>

using namespace vorn;
using namespace vorn::tables;

class TstTableFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void dbf_data();
    void dbf();
    void ascii_data();
    void ascii();
    void paradox();
    void refused();

private:
    std::unique_ptr<MemoryTable> m_table;
    QTemporaryDir m_dir;
};

void TstTableFile::init()
{
    m_table = std::make_unique<MemoryTable>();
    m_table->addFieldDef("Id", ftLargeint);
    m_table->addFieldDef("Name", ftString, 40);
    m_table->addFieldDef("Price", ftFloat);
    m_table->addFieldDef("Paid", ftBoolean);
    m_table->addFieldDef("InvDate", ftDate);
    m_table->addFieldDef("VeryLongFieldName", ftInteger);
    m_table->open();
    m_table->appendRecord({qint64(9007199254740993LL), "Ромашка \"ООО\"", 1234.5, true, QDate(2026, 12, 11), 7});
    m_table->appendRecord({qint64(-1), QVariant(), 0.001, false, QVariant(), QVariant()});
}

void TstTableFile::dbf_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<char>("floatType");
    QTest::newRow("dBASE") << int(TableKind::DBase) << 'N';
    QTest::newRow("FoxPro") << int(TableKind::FoxPro) << 'F';
}

void TstTableFile::dbf()
{
    QFETCH(int, kind);
    QFETCH(char, floatType);
    const QString file = m_dir.filePath("out.DBF");
    WriteTable(*m_table, file, TableKind(kind));
    DBFHandle h = DBFOpen(QFile::encodeName(file).constData(), "rb");
    QVERIFY(h);
    QCOMPARE(DBFGetRecordCount(h), 2);
    QCOMPARE(DBFGetFieldCount(h), 6);
    char name[12];
    QCOMPARE(DBFGetNativeFieldType(h, 2), floatType);
    DBFGetFieldInfo(h, 5, name, nullptr, nullptr);
    QCOMPARE(QByteArray(name), QByteArray("VeryLongFi"));
    QCOMPARE(QByteArray(DBFReadStringAttribute(h, 0, 0)).trimmed(), QByteArray("9007199254740993"));
    QCOMPARE(codepage::fromCp1251(QByteArray(DBFReadStringAttribute(h, 0, 1)).trimmed()), QString("Ромашка \"ООО\""));
    QCOMPARE(QByteArray(DBFReadStringAttribute(h, 0, 2)).trimmed(), QByteArray("1234.500"));
    QCOMPARE(QByteArray(DBFReadStringAttribute(h, 1, 2)).trimmed(), QByteArray("0.001"));
    QCOMPARE(QByteArray(DBFReadStringAttribute(h, 0, 3)), QByteArray("T"));
    QCOMPARE(QByteArray(DBFReadStringAttribute(h, 0, 4)), QByteArray("20261211"));
    QVERIFY(DBFIsAttributeNULL(h, 1, 1));
    QVERIFY(DBFIsAttributeNULL(h, 1, 4));
    DBFClose(h);
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"out.DBF"}));
}

void TstTableFile::ascii_data()
{
    QTest::addColumn<bool>("delimited");
    QTest::addColumn<QString>("firstLine");
    QTest::addColumn<QString>("fileType");
    QTest::newRow("delimited") << true << "9007199254740993,\"Ромашка \"\"ООО\"\"\",1234.500,T,20261211,7" << "VARYING";
    QTest::newRow("fixed") << false << "9007199254740993Ромашка \"ООО\"1234.500T202612117" << "FIXED";
}

void TstTableFile::ascii()
{
    QFETCH(bool, delimited);
    QFETCH(QString, firstLine);
    QFETCH(QString, fileType);
    const QString file = m_dir.filePath("price.txt");
    WriteTable(*m_table, file, TableKind::Ascii, delimited);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QStringList lines = codepage::fromCp1251(f.readAll()).split("\r\n");
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], firstLine);
    QFile s(AsciiSchemaFileName(file));
    QVERIFY(s.open(QIODevice::ReadOnly));
    const QString schema = QString::fromLatin1(s.readAll());
    QVERIFY2(schema.startsWith("[PRICE]\r\nFILETYPE = " + fileType + "\r\nCHARSET = ascii\r\n"), qPrintable(schema));
    QVERIFY2(schema.contains("Field3 = Price,FLOAT,8,03,"), qPrintable(schema));
    if (!delimited) {
        QVERIFY(schema.contains("Field2 = Name,CHAR,13,00,16\r\n"));
        QCOMPARE(lines[1].size(), lines[0].size());
    }
}

// Paradox read back with pxlib: a whole number beyond 32 bits in a floating column
// (one beyond 2^53 is refused), the text in the Windows code page, the date, the
// logical and the null fields.
void TstTableFile::paradox()
{
    const QString file = m_dir.filePath("out.db");
    QVERIFY_THROWS_EXCEPTION(DataError, WriteTable(*m_table, file, TableKind::Paradox));
    m_table->first();
    m_table->edit();
    m_table->field(0)->setValue(qint64(5000000001LL));
    m_table->post();
    WriteTable(*m_table, file, TableKind::Paradox);
    pxdoc_t *doc = PX_new();
    QVERIFY(PX_open_file(doc, QFile::encodeName(file).constData()) == 0);
    QCOMPARE(PX_get_num_records(doc), 2);
    QCOMPARE(PX_get_num_fields(doc), 6);
    QCOMPARE(int(PX_get_field(doc, 0)->px_ftype), int(pxfNumber));
    QCOMPARE(int(PX_get_field(doc, 1)->px_ftype), int(pxfAlpha));
    QCOMPARE(int(PX_get_field(doc, 4)->px_ftype), int(pxfDate));
    QByteArray record(1024, '\0');
    QVERIFY(PX_get_record(doc, 0, record.data()));
    char *at = record.data();
    char *text = nullptr;
    double id = 0;
    QVERIFY(PX_get_data_double(doc, at, 8, &id) > 0);
    QCOMPARE(id, 5000000001.0);
    at += 8;
    QVERIFY(PX_get_data_alpha(doc, at, PX_get_field(doc, 1)->px_flen, &text) > 0);
    QCOMPARE(codepage::fromCp1251(QByteArray(text)), QString("Ромашка \"ООО\""));
    at += PX_get_field(doc, 1)->px_flen;
    double price = 0;
    QVERIFY(PX_get_data_double(doc, at, 8, &price) > 0);
    QCOMPARE(price, 1234.5);
    at += 8;
    char paid = 0;
    QVERIFY(PX_get_data_byte(doc, at, 1, &paid) > 0);
    QCOMPARE(int(paid), 1);
    at += 1;
    long date = 0;
    QVERIFY(PX_get_data_long(doc, at, 4, &date) > 0);
    int y, m, d;
    PX_SdnToGregorian(date + 1721425, &y, &m, &d);
    QCOMPARE(QDate(y, m, d), QDate(2026, 12, 11));
    QVERIFY(PX_get_record(doc, 1, record.data()));
    QCOMPARE(PX_get_data_alpha(doc, record.data() + 8, PX_get_field(doc, 1)->px_flen, &text), 0);  // null
    PX_close(doc);
    PX_delete(doc);
}

// A text over 254 characters has no place in a dBASE column, nor over 255 in Paradox.
void TstTableFile::refused()
{
    m_table->appendRecord({qint64(3), QString(300, u'я'), 1.0, true, QDate(2026, 1, 1), 1});
    const QString file = m_dir.filePath("long.dbf");
    QVERIFY_THROWS_EXCEPTION(DataError, WriteTable(*m_table, file, TableKind::DBase));
    QVERIFY(!QFile::exists(file));
    QVERIFY_THROWS_EXCEPTION(DataError, WriteTable(*m_table, m_dir.filePath("p.db"), TableKind::Paradox));
    QVERIFY(!QFile::exists(m_dir.filePath("p.db")));
}

QTEST_MAIN(TstTableFile)
#include "tst_tablefile.moc"
