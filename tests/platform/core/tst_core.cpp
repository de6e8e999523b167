// Ordered INI files, code pages, the settings store and program naming.
#include "platform/core/CodePage.h"
#include "platform/core/IniFile.h"
#include "platform/core/SettingsStore.h"
#include "platform/core/SystemInfo.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace vorn;

class TstCore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void iniKeepsFileOrder();
    void iniRoundTrip_data();
    void iniRoundTrip();
    void iniAwkwardNamesAndValues_data();
    void iniAwkwardNamesAndValues();
    void iniReadsOriginalFiles();
    void codePages();
    void settingsStore();
    void programName_data();
    void programName();
};

void TstCore::iniKeepsFileOrder()
{
    IniFile ini;
    ini.loadFromBytes("[Profiles]\r\nZeta=1\r\nalpha=2\r\nMid=3\r\n[Other]\r\nk=v\r\n");
    QCOMPARE(ini.keys("profiles"), (QStringList{"Zeta", "alpha", "Mid"}));
    QCOMPARE(ini.value("PROFILES", "ALPHA"), QString("2"));
    ini.setValue("Profiles", "Beta", "4");     // new key goes last
    ini.setValue("profiles", "zeta", "9");     // existing key keeps its place and spelling
    QCOMPARE(ini.keys("Profiles"), (QStringList{"Zeta", "alpha", "Mid", "Beta"}));
    QCOMPARE(ini.value("Profiles", "Zeta"), QString("9"));
    ini.removeKey("Profiles", "MID");
    QCOMPARE(ini.keys("Profiles"), (QStringList{"Zeta", "alpha", "Beta"}));
    QCOMPARE(ini.sections(), (QStringList{"Profiles", "Other"}));
}

void TstCore::iniRoundTrip_data()
{
    QTest::addColumn<int>("encoding");
    QTest::newRow("utf8") << int(codepage::CodePage::Utf8);
    QTest::newRow("cp1251") << int(codepage::CodePage::Cp1251);
}

void TstCore::iniRoundTrip()
{
    QFETCH(int, encoding);
    QTemporaryDir dir;
    const QString path = dir.filePath("VornConn.ini");
    IniFile a;
    a.setEncoding(codepage::CodePage(encoding));
    a.setValue("Демо", "DATABASE NAME", "База данных №1");
    a.setValue("Демо", "USER NAME", "Иванов");
    a.setValue("Second", "SERVER NAME", "srv");
    QVERIFY(a.saveAs(path));
    IniFile b(path);
    QCOMPARE(int(b.encoding()), encoding);  // detected on load
    QCOMPARE(b.sections(), (QStringList{"Демо", "Second"}));
    QCOMPARE(b.value("демо", "database name"), QString("База данных №1"));
    QCOMPARE(b.toBytes(), a.toBytes());
}

void TstCore::iniAwkwardNamesAndValues_data()
{
    // Grid layouts store column names as keys; remembered values keep their blanks.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::newRow("equals in name") << "Сумма=Итог" << "120";
    QTest::newRow("semicolon first") << ";Примечание" << "80";
    QTest::newRow("hash first") << "#Номер" << "40";
    QTest::newRow("bracket first") << "[Код]" << "40";
    QTest::newRow("quote first") << "\"Кавычки\" и \\" << "1";
    QTest::newRow("blanks around name") << "  Клиент " << "200";
    QTest::newRow("trailing blanks in value") << "Filter" << "ООО \"Ромашка\"   ";
    QTest::newRow("leading blanks in value") << "Indent" << "   x";
    QTest::newRow("value in quotes") << "Quoted" << "\"abc\"";
    QTest::newRow("only blanks") << "Blank" << " ";
    QTest::newRow("plain") << "SERVER NAME" << "srv";
}

void TstCore::iniAwkwardNamesAndValues()
{
    QFETCH(QString, name);
    QFETCH(QString, value);
    QTemporaryDir dir;
    IniFile a;
    a.setValue("Grid", "Before", "b");
    a.setValue("Grid", name, value);
    a.setValue("Grid", "After", "a");
    QVERIFY(a.saveAs(dir.filePath("x.ini")));
    IniFile b(dir.filePath("x.ini"));
    QCOMPARE(b.keys("Grid"), (QStringList{"Before", name, "After"}));
    QCOMPARE(b.value("Grid", name), value);
    QCOMPARE(b.value("Grid", "After"), QString("a"));
    // the settings store keeps them too
    {
        SettingsStore s("VornGen", dir.path());
        s.writeString("Grids\\TfrmVornQryBro", name, value);
    }
    SettingsStore s("VornGen", dir.path());
    QCOMPARE(s.valueNames("Grids\\TfrmVornQryBro"), QStringList{name});
    QCOMPARE(s.readString("Grids\\TfrmVornQryBro", name), value);
}

void TstCore::iniReadsOriginalFiles()
{
    // Files written by hand or by the original program: blanks around '=' and
    // comments go, a value in double quotes loses them, the first duplicate wins.
    IniFile ini;
    ini.loadFromBytes("; comment\r\n[Connections]\r\n  Demo = Demo  \r\nDefConnection=Demo\r\n"
                      "[Demo]\r\nDriver = SQLITE\r\nDATABASE NAME=\"C:\\Data\\demo.db\"\r\n"
                      "driver=MSSQL\r\n\"odd=name\r\n# tail\r\n");
    QCOMPARE(ini.keys("Connections"), (QStringList{"Demo", "DefConnection"}));
    QCOMPARE(ini.value("Connections", "demo"), QString("Demo"));
    QCOMPARE(ini.value("Demo", "Driver"), QString("SQLITE"));
    QCOMPARE(ini.value("Demo", "DATABASE NAME"), QString("C:\\Data\\demo.db"));
    QCOMPARE(ini.value("Demo", "\"odd"), QString("name"));  // not a quoted name: read as before
    QCOMPARE(ini.keys("Demo").size(), 3);
}

void TstCore::codePages()
{
    const QString text = QStringLiteral("Привет, Ёж! №5");
    QCOMPARE(codepage::toCp1251(text).size(), text.size());  // one byte a character
    QCOMPARE(codepage::fromCp1251(codepage::toCp1251(text)), text);
    QCOMPARE(uchar(codepage::toCp1251("А").at(0)), uchar(0xC0));
    QCOMPARE(uchar(codepage::toCp866("А").at(0)), uchar(0x80));
    QCOMPARE(codepage::fromCp866(codepage::toCp866("Ёлка")), QString("Ёлка"));
    QCOMPARE(codepage::toCp1251(QString::fromUtf8("a\u4E2Db")), QByteArray("a?b"));  // unmappable
    QVERIFY(!codepage::looksLikeUtf8(codepage::toCp1251(text)));
}

void TstCore::settingsStore()
{
    QTemporaryDir dir;
    {
        SettingsStore s("VornGen", dir.path());
        s.writeString("VORN_PARAMS_VALUE", "12FromDate1", "01.02.2026");
        s.writeInteger("Forms\\TfrmVornMain", "Left", -5);
        s.writeFloat("Forms\\TfrmVornMain", "Ratio", 0.125);
        s.writeDateTime("Forms\\TfrmVornMain\\Sub", "When", QDateTime(QDate(2026, 12, 1), QTime(10, 20, 30, 400)));
        s.writeBool("Flags", "On", true);
        s.writeString("Flags", "Multi", "a\\b\r\nc");
    }
    SettingsStore s("VornGen", dir.path());  // read back from the file
    QCOMPARE(s.readString("VORN_PARAMS_VALUE", "12fromdate1"), QString("01.02.2026"));
    QCOMPARE(s.readInteger("forms\\tfrmvornmain", "Left"), qint64(-5));
    QCOMPARE(s.readFloat("Forms\\TfrmVornMain", "Ratio"), 0.125);
    QCOMPARE(s.readDateTime("Forms\\TfrmVornMain\\Sub", "When").time().msec(), 400);
    QCOMPARE(s.readString("Flags", "Multi"), QString("a\\b\r\nc"));
    QVERIFY(s.readBool("Flags", "On"));
    QCOMPARE(int(s.valueType("Flags", "On")), int(SettingsStore::ValueType::Boolean));
    QCOMPARE(s.readInteger("Flags", "Missing", 7), qint64(7));
    QCOMPARE(s.subKeys("Forms"), QStringList{"TfrmVornMain"});
    QCOMPARE(s.subKeys("Forms\\TfrmVornMain"), QStringList{"Sub"});
    s.deleteKey("Forms");
    QVERIFY(!s.keyExists("Forms\\TfrmVornMain\\Sub"));
    QVERIFY(s.keyExists("Flags"));
    s.deleteAll();
    QVERIFY(!QFile::exists(s.fileName()));
    QVERIFY(!s.keyExists("Flags"));
}

void TstCore::programName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << "/opt/vorn/VornGen" << "VORNGEN";
    QTest::newRow("exe") << "C:/Vorn/VornGen.exe" << "VORNGEN";
    QTest::newRow("first .EXE") << "/x/a.exe.EXE" << "A";
    QTest::newRow("other ext") << "/x/vorn.bin" << "VORN.BIN";
}

void TstCore::programName()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QCOMPARE(sysinfo::programNameFrom(path), name);
    QVERIFY(sysinfo::computerName().size() <= 15);
}

QTEST_GUILESS_MAIN(TstCore)
#include "tst_core.moc"
