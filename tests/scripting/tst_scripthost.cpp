// The script host and the object model from end to end: the demo's scripts, every
// error message of the object model with its position, collections and enumerators,
// parameters and their binding, objects kept after their owner closed, exports read
// back, the action log and stopping a running script.
#include "../execution/run/RunTestUtil.h"

#include "platform/data/Database.h"
#include "platform/data/Query.h"
#include "platform/script/ScriptEngine.h"
#include "scripting/fVornActScpSite.h"

#include <QKeyEvent>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

using namespace runtest;

namespace {

struct CaretEditor : IScriptCaretEditor
{
    int line = 0, column = 0;
    QWidget widget;
    void SetCaret(int l, int c) override { line = l; column = c; }
    QWidget *FocusWidget() override { return &widget; }
};

QStringList runScript(const QString &engine, const QString &text, CaretEditor *editor = nullptr)
{
    MessageLog log;
    ExecuteScript(engine, text, 0, editor, QStringLiteral("test"));
    return log.texts;
}

int scalar(const QString &sql) { return vorn::Database::defaultDatabase()->selectValue(sql).toInt(); }

} // namespace

class TstScriptHost : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void demoScripts_data() { DemoCatalogues::driverRows(); }
    void demoScripts();
    void walkReportData_data() { DemoCatalogues::driverRows(); }
    void walkReportData();
    void parameters_data() { DemoCatalogues::driverRows(); }
    void parameters();
    void runToFile_data() { DemoCatalogues::driverRows(); }
    void runToFile();
    void bindQueryParams_data() { DemoCatalogues::driverRows(); }
    void bindQueryParams();
    void errors_data();
    void errors();
    void syntaxError();
    void caretOnError();
    void enumerators();
    void excelExport();
    void tableExport();
    void stopRunningScript_data();
    void stopRunningScript();
    void unknownEngine();
    void vornscriptCatalogue();

private:
    std::unique_ptr<Session> open(const QString &driver);

    QTemporaryDir m_dir;
    DemoCatalogues m_demo;
};

void TstScriptHost::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", m_dir.filePath("config").toUtf8());
    QCOMPARE(m_demo.create(m_dir.path()), QString());
}

std::unique_ptr<Session> TstScriptHost::open(const QString &driver)
{
    return m_demo.open(driver);
}

// The two stored demo scripts run through RunStoredScript, end to end: query parameters
// from a dictionary (VBScript) and from NewQueryParams (JScript), a report's rows walked
// after setting its parameters, the report run to a file; each run is logged as action 3.
void TstScriptHost::demoScripts()
{
    OPEN_SESSION();
    const int vbs = scalar("select Id from VornScript where Name = 'Сводка продаж'");
    const int js = scalar("select Id from VornScript where Name = 'Оборот по регионам'");
    const int logged = scalar("select count(*) from VornActionLog where IdAction = 3");
    const QString tmp = m_dir.filePath(driver + "_tmp");
    QVERIFY(QDir().mkpath(tmp));
    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", tmp.toUtf8());
    auto restoreTmp = qScopeGuard([&] { qputenv("TMPDIR", oldTmp); });
    MessageLog log;
    QCOMPARE(RunStoredScript(vbs), 1);
    QCOMPARE(RunStoredScript(js), 1);
    QCOMPARE(log.texts.size(), 2);

    auto *db = vorn::Database::defaultDatabase();
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    const QStringList summary = log.texts[0].split("\r\n");
    QCOMPARE(summary.size(), 5);
    QCOMPARE(summary[0], "Накладных: " + QString::number(scalar("select count(*) from Invoices")));
    QVERIFY2(summary[2].startsWith("Оплачено: " + QString::number(scalar("select count(*) from Invoices where Paid = 1")) + " на "),
             qPrintable(summary[2]));
    // the debts are the report's rows on today's date, summed by the script
    const QString debts = QString("from Invoices where Paid = 0 and InvDate <= '%1'").arg(today);
    const QString debt = QString::number(db->selectValue("select sum(Total) " + debts).toDouble(), 'f', 2);
    QString shown = summary[3].section(" на ", 1).section(" руб.", 0, 0);
    QCOMPARE(summary[3].section(" на ", 0, 0), "Не оплачено: " + QString::number(scalar("select count(*) " + debts)));
    QCOMPARE(shown.remove(QRegularExpression("\\D")), QString(debt).remove('.'));   // two decimals; separators follow the locale
    const QString pdf = QDir(tmp).filePath("Неоплаченные накладные.pdf");
    QCOMPARE(summary[4], "Отчёт о долгах: " + pdf);
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    p.waitForFinished(30000);
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    const QString debtor = db->selectValue("select c.Name " + QString(debts).replace("from Invoices", "from Invoices i join Clients c on c.Id = i.ClientId")
                                           + " order by c.Name").toString();
    QVERIFY2(text.contains("Неоплаченные накладные") && text.contains(debtor), qPrintable(text.left(600)));

    const QStringList regions = log.texts[1].split("\r\n");
    QStringList turnover;
    vorn::Query q;
    q.setSql("select r.Name, sum(i.Total) from Invoices i join Clients c on c.Id = i.ClientId join Regions r on r.Id = c.RegionId "
              "where i.Paid = 1 group by r.Name order by 2 desc");
    q.open();
    for (; !q.eof(); q.next())
        turnover << q.field(0)->value().toString() + ": " + QString::number(q.field(1)->value().toDouble(), 'f', 2) + " руб.";
    QCOMPARE(regions.mid(0, regions.size() - 1), turnover);
    const int big = scalar("select count(*) from (select ClientId from Invoices group by ClientId having sum(Total) >= 1000000) t");
    QVERIFY(big > 0);
    QCOMPARE(regions.last(), "Покупателей с оборотом от 1 000 000 руб.: " + QString::number(big));

    QCOMPARE(scalar("select count(*) from VornActionLog where IdAction = 3"), logged + 2);
    QCOMPARE(scalar(QString("select count(*) from VornActionLog where IdAction = 3 and ValueId = %1 and Name = 'Сводка продаж'").arg(vbs)), 1);
}

// A report's datasets through Querys, in both languages: the walk, Rows and RowsAsText
// (the cursor stays), Values past the end, MoveBy, RecNo, the master/detail pair and
// action 2 in the log.
void TstScriptHost::walkReportData()
{
    OPEN_SESSION();
    const int clients = scalar("select count(*) from Clients");
    const int logged = scalar("select count(*) from VornActionLog where IdAction = 2");
    const QString vb = R"(
Set r = GlobalVornMain.Report("Справочник клиентов")
Set q = r.Querys
Set ds = q.Item(1)
n = 0
Do While Not ds.Eof
  n = n + 1
  ds.Next
Loop
MsgBox n & "|" & ds.RecordCount & "|" & ds.ShortName & "|" & ds.Name & "|" & ds.Number & "|" & q.Count
ds.First
ds.MoveBy 2
rows = ds.Rows
txt = ds.RowsAsText
MsgBox ds.RecNo & "|" & LBound(rows) & "|" & UBound(rows) & "|" & UBound(txt) & "|" & txt(1)(1) & "|" & (rows(3)(2) = ds.Values(2))
MsgBox ds.MoveBy(-100) & "|" & ds.Bof
ds.Last
ds.Next
MsgBox ds.Eof & "|" & (ds.Values(1) = rows(UBound(rows))(1)) & "|" & ds.FieldCount & "|" & Join(ds.FieldNames, ",")
ds.RecNo = 4
MsgBox ds.Fields("Name").Value = rows(4)(2)
)";
    const QString fieldNames = "Id,Name,Region,Inn,Phone,Address,CreditLimit";
    QStringList texts = runScript("VBScript", vb);
    if (driver == "POSTGRESQL")  // the server folds unquoted names
        texts[3].replace(fieldNames.toLower(), fieldNames), texts[1].replace("|id|", "|Id|");
    QCOMPARE(texts, QStringList({QString("%1|%1|Query1|Справочник клиентов|1|1").arg(clients),
                                 QString("3|1|%1|%2|Id|True").arg(clients).arg(clients + 1),
                                 "-2|True", "True|True|7|" + fieldNames, "True"}));
    const QString js = R"(
var r = GlobalVornMain.Report("Накладные клиента с составом");
var q = r.Querys;
var master = q.Item("Query1"), detail = q("Query2");
var e = new Enumerator(q), names = [];
for (; !e.atEnd(); e.moveNext()) names.push(e.item().ShortName);
var rows = new VBArray(detail.Rows).toArray();
GlobalVornMain.Functions.MessageBox(names.join(",") + "|" + master.RecordCount + "|" + (detail.RecordCount == rows.length), 0, "");
)";
    texts = runScript("JScript", js);
    QCOMPARE(texts.size(), 1);
    QVERIFY2(texts[0].startsWith("Query1,Query2|") && texts[0].endsWith("|true"), qPrintable(texts[0]));
    QCOMPARE(scalar("select count(*) from VornActionLog where IdAction = 2"), logged + 2);
}

// Report parameters: values set through Params are what Querys binds; Item by exact
// name; the same collection every time; values as automation values.
void TstScriptHost::parameters()
{
    OPEN_SESSION();
    const QString vb = R"(
Set r = GlobalVornMain.Report("Неоплаченные накладные")
Set p = r.Params
MsgBox p.Count & "|" & p(1).Name & "|" & p.Item("OnDate").Label & "|" & p(1).IdParTyp & "|" & p(1).Number & "|" & (p Is r.Params) & "|" & (p(1).Id > 0)
p("OnDate").Value = DateSerial(1990, 1, 1)
MsgBox r.Querys(1).RecordCount & "|" & Year(p(1).Value)
p("OnDate").Value = DateSerial(2100, 1, 1)
MsgBox r.Querys(1).RecordCount
)";
    const QStringList texts = runScript("VBScript", vb);
    QCOMPARE(texts, QStringList({"1|OnDate|На дату|1|1|True|True", "0|1990",
                                 QString::number(scalar("select count(*) from Invoices where Paid = 0"))}));
}

// RunEx prints to a file with the values set through Params, without a prompt;
// AskParams shows the prompt once and a later Run takes what was confirmed there.
void TstScriptHost::runToFile()
{
    OPEN_SESSION();
    const QString pdf = m_dir.filePath(driver + "_unpaid.pdf");
    const QString client = vorn::Database::defaultDatabase()
                               ->selectValue("select c.Name from Invoices i join Clients c on c.Id = i.ClientId "
                                             "where i.Paid = 0 order by c.Name")
                               .toString();
    DialogScript dialogs;
    const QString vb = QString(R"(
Set r = GlobalVornMain.Report("Неоплаченные накладные")
r.Params("OnDate").Value = DateSerial(2100, 1, 1)
r.RunEx 3, 1, "%1"
Set r2 = GlobalVornMain.Report("Неоплаченные накладные")
MsgBox r2.AskParams & "|" & (r2.Params(1).Value = r.Params(1).Value)
)").arg(pdf);
    const QStringList texts = runScript("VBScript", vb);
    QCOMPARE(dialogs.shown, QStringList({"frmAskMe"}));
    QCOMPARE(texts.size(), 1);
    QVERIFY2(texts[0].startsWith("True|"), qPrintable(texts[0]));
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    p.waitForFinished(30000);
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    QVERIFY2(text.contains("Неоплаченные накладные") && text.contains(client), qPrintable(text.left(600)));
}

// BindQueryParams from a dictionary (an empty value binds NULL) and from NewQueryParams
// (names without regard to case, the data type given), and a query without parameters.
void TstScriptHost::bindQueryParams()
{
    OPEN_SESSION();
    const QString vb = R"(
Set f = GlobalVornMain.Functions
Set d = CreateObject("Scripting.Dictionary")
d.Add "Paid", 0
Set ds = f.OpenQuery("SELECT COUNT(*) AS Cnt FROM Invoices WHERE Paid = :Paid", d)
MsgBox ds.Fields("Cnt").Value
d("Paid") = Empty
Set ds = f.OpenQuery("SELECT COUNT(*) AS Cnt FROM Invoices WHERE CAST(:Paid AS VARCHAR(10)) IS NULL", d)
MsgBox ds.Fields("Cnt").Value
Set qp = GlobalVornMain.NewQueryParams
qp.Add "PAID", 1, 3, ""
MsgBox qp.Item("paid").Name & "|" & qp("Paid").DataType & "|" & qp.Count
Set ds = f.OpenQuery("SELECT COUNT(*) AS Cnt FROM Invoices WHERE Paid = :Paid", qp)
MsgBox ds.Fields(1).Value
Set ds = f.OpenQuery("SELECT COUNT(*) AS Cnt FROM Invoices", CreateObject("Scripting.Dictionary"))
MsgBox ds.Fields(1).Value
qp.Clear
MsgBox qp.Count
)";
    const QStringList texts = runScript("VBScript", vb);
    QCOMPARE(texts.join('\n'), QStringList({QString::number(scalar("select count(*) from Invoices where Paid = 0")),
                                 QString::number(scalar("select count(*) from Invoices")), "PAID|3|1",
                                 QString::number(scalar("select count(*) from Invoices where Paid = 1")),
                                 QString::number(scalar("select count(*) from Invoices")), "0"}).join('\n'));
}

// Every message of the object model, with the line it is reported on.
void TstScriptHost::errors_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("description");
    QTest::addColumn<int>("line");
    const QString rep = "Set r = GlobalVornMain.Report(\"Справочник клиентов\")\n";
    const QString par = "Set r = GlobalVornMain.Report(\"Неоплаченные накладные\")\n";
    const QString f = "Set f = GlobalVornMain.Functions\n";
    const QString sql = "\"SELECT COUNT(*) AS Cnt FROM Invoices WHERE Paid = :Paid\"";
    const struct { const char *name, *engine; QString script; const char *description; int line; } rows[] = {
        {"report null", "VBScript", "x = 1\nSet r = GlobalVornMain.Report(Null)", "Invalid index type", 2},
        {"report empty", "VBScript", "Set r = GlobalVornMain.Report(Empty)", "Invalid index type", 1},
        {"report date", "VBScript", "Set r = GlobalVornMain.Report(Now)", "Invalid index type", 1},
        {"report boolean", "VBScript", "Set r = GlobalVornMain.Report(True)", "Invalid index type", 1},
        {"report unknown id", "VBScript", "Set r = GlobalVornMain.Report(999999)", "Invalid index value", 1},
        {"report id as name", "VBScript", "Set r = GlobalVornMain.Report(\"1\")", "Invalid index value", 1},
        {"report name case", "VBScript", "Set r = GlobalVornMain.Report(\"справочник клиентов\")", "Invalid index value", 1},
        {"querys item 0", "VBScript", rep + "Set d = r.Querys.Item(0)", "Invalid index value", 2},
        {"querys item count+1", "VBScript", rep + "Set q = r.Querys\nSet d = q(q.Count + 1)", "Invalid index value", 3},
        {"querys short name case", "VBScript", rep + "Set d = r.Querys(\"query1\")", "Invalid index value", 2},
        {"querys item null", "VBScript", rep + "Set d = r.Querys(Null)", "Invalid index type", 2},
        {"querys foreign object", "VBScript", rep + "Set d = r.Querys(r)", "List index out of bounds (-1)", 2},
        {"fields unknown name", "VBScript", rep + "x = r.Querys(1).Fields(\"Nam\").Value", "Invalid index value", 2},
        {"fields item 0", "VBScript", rep + "x = r.Querys(1).Fields(0).Value", "Invalid index value", 2},
        {"params name case", "VBScript", par + "x = r.Params(\"ondate\").Value", "Invalid index value", 2},
        {"params item 2", "VBScript", par + "x = r.Params(2).Value", "Invalid index value", 2},
        {"params item empty", "VBScript", par + "x = r.Params(Empty).Value", "Invalid index type", 2},
        {"query params twice", "VBScript", "Set p = GlobalVornMain.NewQueryParams\np.Add \"Abc\", 1, 3, \"\"\np.Add \"aBC\", 2, 3, \"\"",
         "Invalid VornQueryParam Name (already exists) : aBC", 3},
        {"query params item missing", "VBScript", "Set p = GlobalVornMain.NewQueryParams\nx = p(\"Q\").Value", "Invalid index value", 2},
        {"dictionary without key", "VBScript", f + "Set ds = f.OpenQuery(" + sql + ", CreateObject(\"Scripting.Dictionary\"))",
         "Parametr with name <Paid> NOT FOUND", 2},
        {"list without name", "VBScript", f + "Set ds = f.OpenQuery(" + sql + ", GlobalVornMain.NewQueryParams)", "Invalid index value", 2},
        {"source number", "VBScript", f + "Set ds = f.OpenQuery(" + sql + ", 5)", "Invalid Data Type", 2},
        {"source string", "VBScript", f + "Set ds = f.OpenQuery(" + sql + ", \"Paid\")", "Invalid Data Type", 2},
        {"source other object", "VBScript", f + "Set ds = f.OpenQuery(" + sql + ", GlobalVornMain)", "Invalid Interface Type", 2},
        {"field not blob", "VBScript", rep + "r.Querys(1).Fields(1).SaveToFile \"x.bin\"", "Invalid Data Type", 2},
        {"dataset after report released", "VBScript",
         rep + "Set d = r.Querys(1)\nSet r = Nothing\nSet r2 = GlobalVornMain.Report(\"Прайс-лист\")\nx = d.RecordCount",
         "Объект больше не доступен", 5},
        {"field after report released", "VBScript",
         rep + "Set fl = r.Querys(1).Fields(2)\nSet r = Nothing\nSet r2 = GlobalVornMain.Report(\"Прайс-лист\")\nx = fl.Value",
         "Объект больше не доступен", 5},
        {"field after single query released", "VBScript",
         "Set ds = GlobalVornMain.Functions.OpenQuery(\"SELECT 1 AS A\")\nSet fl = ds.Fields(1)\nSet ds = Nothing\nx = fl.Name",
         "Объект больше не доступен", 4},
        {"parameter after report released", "VBScript",
         par + "Set p = r.Params(1)\nSet r = Nothing\nSet r2 = GlobalVornMain.Report(\"Прайс-лист\")\np.Value = 1",
         "Объект больше не доступен", 5},
        {"jscript report type", "JScript", "var r = GlobalVornMain.Report(null);", "Invalid index type", 1},
        {"jscript report name", "JScript", "\nvar r = GlobalVornMain.Report('нет такого');", "Invalid index value", 2},
        {"jscript item 0", "JScript", "var r = GlobalVornMain.Report('Справочник клиентов');\nvar d = r.Querys.Item(0);",
         "Invalid index value", 2},
        {"jscript duplicate", "JScript", "var p = GlobalVornMain.NewQueryParams;\np.Add('a', 1, 3, '');\np.Add('A', 1, 3, '');",
         "Invalid VornQueryParam Name (already exists) : A", 3},
    };
    for (const auto &r : rows)
        QTest::newRow(r.name) << r.engine << r.script << r.description << r.line;
}

void TstScriptHost::errors()
{
    QFETCH(QString, engine);
    QFETCH(QString, script);
    QFETCH(QString, description);
    QFETCH(int, line);
    auto session = open("SQLITE");
    const QStringList texts = runScript(engine, script);
    QCOMPARE(texts.size(), 1);
    const QStringList parts = texts[0].split("\r\n");
    QVERIFY2(parts.size() == 4, qPrintable(texts[0]));
    QCOMPARE(parts[0], script.split('\n').at(line - 1));
    QVERIFY2(parts[1].startsWith("Ошибка: "), qPrintable(parts[1]));
    QVERIFY2(parts[2].startsWith(QString("Строка: %1 Колонка: ").arg(line)), qPrintable(parts[2]));
    QCOMPARE(parts[3], description);
}

// A syntax error on the first line: one box, and the run is still logged.
void TstScriptHost::syntaxError()
{
    auto session = open("SQLITE");
    const int logged = scalar("select count(*) from VornActionLog where IdAction = 3");
    const QStringList texts = runScript("VBScript", "x = = 1\nMsgBox 2");
    QCOMPARE(texts.size(), 1);
    const QStringList parts = texts[0].split("\r\n");
    QCOMPARE(parts.size(), 4);
    QCOMPARE(parts[0], "x = = 1");
    QCOMPARE(parts[1], "Ошибка: Ошибка компиляции Microsoft VBScript");
    QCOMPARE(parts[2], "Строка: 1 Колонка: 5");
    QCOMPARE(scalar("select count(*) from VornActionLog where IdAction = 3"), logged + 1);
}

// Started with an editor, a run-time error moves its caret (one-based) and focuses it.
void TstScriptHost::caretOnError()
{
    auto session = open("SQLITE");
    CaretEditor editor;
    editor.widget.show();
    const QStringList texts = runScript("VBScript", "x = 1\n\n  y = GlobalVornMain.Report(Null)", &editor);
    QCOMPARE(texts.size(), 1);
    QCOMPARE(editor.line, 3);
    QVERIFY(editor.column > 1);
    QVERIFY(texts[0].contains(QString("Строка: 3 Колонка: %1").arg(editor.column)));
}

// For Each over collections: empty lists, an enumerator made before Add does not see
// the new element, one made before Clear still yields the removed ones; GetItemInfo
// only answers the exact name.
void TstScriptHost::enumerators()
{
    auto session = open("SQLITE");
    const QString vb = R"(
Set p = GlobalVornMain.NewQueryParams
n = 0
For Each x In p
  n = n + 1
Next
p.Add "A", 1, 3, ""
Set e = p.[_NewEnum]
p.Add "B", 2, 3, ""
s = ""
For Each x In p
  s = s & x.Name
Next
Set r = GlobalVornMain.Report("Справочник клиентов")
c = 0
For Each fl In r.Querys(1).Fields
  c = c + 1
Next
MsgBox n & "|" & s & "|" & c & "|" & (r.Params.Count = 0)
)";
    QCOMPARE(runScript("VBScript", vb), QStringList({"0|AB|7|True"}));
    const QString js = R"(
var p = GlobalVornMain.NewQueryParams;
p.Add("A", 1, 3, ""); p.Add("B", 2, 3, "");
var e = new Enumerator(p);
p.Clear();
var s = "";
for (; !e.atEnd(); e.moveNext()) s += e.item().Name;
GlobalVornMain.Functions.MessageBox(s + "|" + p.Count, 0, "");
)";
    QCOMPARE(runScript("JScript", js), QStringList({"AB|0"}));
    // the named item is answered for its exact name only: JScript's "globalvornmain" is undefined
    const QStringList texts = runScript("JScript", "var x = globalvornmain.NewQueryParams;");
    QCOMPARE(texts.size(), 1);
    QVERIFY2(texts[0].contains("globalvornmain"), qPrintable(texts[0]));
}

// Kind 4 and SaveToExcel: a workbook with one sheet per dataset named by its short
// name, labels in the first row, values below; kind 0 on a data module's dataset is false.
void TstScriptHost::excelExport()
{
    auto session = open("SQLITE");
    const QString one = m_dir.filePath("one.xlsx"), all = m_dir.filePath("all.xlsx");
    const QString vb = QString(R"(
Set r = GlobalVornMain.Report("Справочник клиентов")
MsgBox r.Querys(1).SaveToFile("%1", 4, False)
Set r = GlobalVornMain.Report("Накладные клиента с составом")
MsgBox r.Querys.SaveToExcel("%2")
)").arg(one, all);
    QCOMPARE(runScript("VBScript", vb), QStringList({"True", "True"}));
    auto unzip = [](const QString &file, const QString &member) {
        QProcess p;
        p.start("unzip", {"-p", file, member});
        p.waitForFinished();
        return QString::fromUtf8(p.readAllStandardOutput());
    };
    QVERIFY(unzip(one, "xl/workbook.xml").contains("name=\"Query1\""));
    const QString strings = unzip(one, "xl/sharedStrings.xml");
    const QString firstClient = vorn::Database::defaultDatabase()->selectValue("select Name from Clients order by Name").toString();
    QVERIFY(strings.contains(">Name<") && strings.contains(">CreditLimit<") && strings.contains(firstClient));
    const QString sheet = unzip(one, "xl/worksheets/sheet1.xml");
    QVERIFY(sheet.contains(QString("r=\"G%1\"").arg(scalar("select count(*) from Clients") + 1)));
    const QString book = unzip(all, "xl/workbook.xml");
    QVERIFY(book.contains("name=\"Query1\"") && book.contains("name=\"Query2\""));
}

// Kinds 0 to 3 write table files of the report's query (read back in the tables' own test).
void TstScriptHost::tableExport()
{
    auto session = open("SQLITE");
    const QString vb = QString(R"(
Set ds = GlobalVornMain.Report("Справочник клиентов").Querys(1)
MsgBox ds.SaveToFile("%1", 0, False) & "|" & ds.SaveToFile("%2", 2, False) & "|" & ds.SaveToFile("%3", 3, True)
)").arg(m_dir.filePath("c.dbf"), m_dir.filePath("c_fox.dbf"), m_dir.filePath("c.txt"));
    QCOMPARE(runScript("VBScript", vb), QStringList({"True|True|True"}));
    QVERIFY(QFileInfo(m_dir.filePath("c.dbf")).size() > 1000);
    QVERIFY(QFile::exists(m_dir.filePath("c.sch")));
    QFile txt(m_dir.filePath("c.txt"));
    QVERIFY(txt.open(QIODevice::ReadOnly));
    QCOMPARE(txt.readAll().count("\r\n"), scalar("select count(*) from Clients"));
    const QString db = m_dir.filePath("c.db");
    QCOMPARE(runScript("VBScript", QString("MsgBox GlobalVornMain.Report(\"Справочник клиентов\").Querys(1).SaveToFile(\"%1\", 1, False)").arg(db)),
             QStringList({"True"}));
    QVERIFY(QFileInfo(db).size() > 2048);
}

// A script looping forever stops on Esc and on "Прервать" (the engine's interrupt),
// whether or not its loop calls the host, in both languages; the user is told once.
// A watchdog stops what the user could not, so a failure does not hang the run.
void TstScriptHost::stopRunningScript_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("button");
    const struct { const char *name, *engine, *script; bool button; } rows[] = {
        {"vbscript host calls, esc", "VBScript", "Do\n  Set p = GlobalVornMain.NewQueryParams\nLoop", false},
        {"vbscript bare loop, esc", "VBScript", "i = 0\nDo\n  i = i + 1\nLoop", false},
        {"vbscript bare loop, button", "VBScript", "Do While True\nLoop", true},
        {"jscript host calls, button", "JScript", "while (true) { var p = GlobalVornMain.NewQueryParams; }", true},
        {"jscript empty while, esc", "JScript", "while (true) {}", false},
        {"jscript for, esc", "JScript", "var i = 0;\nfor (;;) { i++; }", false},
        {"jscript do-while, button", "JScript", "var s = 'while (', i = 0;\ndo i++; while (i > -1)", true},
        {"jscript loop in a function, esc", "JScript", "function spin(n) { for (var k = 0; k < n; k += 0) ; }\nspin(/for (;;)/.source.length);", false},
    };
    for (const auto &r : rows)
        QTest::newRow(r.name) << r.engine << r.script << r.button;
}

void TstScriptHost::stopRunningScript()
{
    QFETCH(QString, engine);
    QFETCH(QString, script);
    QFETCH(bool, button);
    auto session = open("SQLITE");
    QWidget window;
    window.show();
    QTimer::singleShot(300, &window, [&window, button] {
        if (button) {
            for (QWidget *w : QApplication::allWidgets())
                if (w->objectName() == "btnStopScript")
                    QTest::mouseClick(w, Qt::LeftButton);
        } else {
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(&window, &esc);
        }
    });
    std::atomic<bool> done{false}, watchdogFired{false};
    std::thread watchdog([&] {
        for (int k = 0; k < 200 && !done.load(); ++k)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (!done.load()) {
            watchdogFired.store(true);
            InterruptRunningScript();   // the engines take a stop from any thread
        }
    });
    const QStringList texts = runScript(engine, script);
    done.store(true);
    watchdog.join();
    QVERIFY2(!watchdogFired.load(), "the user's stop did not reach the script");
    QCOMPARE(texts, QStringList({"Выполнение скрипта прервано"}));
}

// An engine name with trailing blanks finds the engine; an unknown one raises and
// nothing is logged.
void TstScriptHost::unknownEngine()
{
    auto session = open("SQLITE");
    QCOMPARE(runScript("VBScript  \t", "MsgBox 1"), QStringList({"1"}));
    const int logged = scalar("select count(*) from VornActionLog where IdAction = 3");
    QVERIFY_THROWS_EXCEPTION(std::exception, runScript("NoSuchScript", "MsgBox 1"));
    QCOMPARE(scalar("select count(*) from VornActionLog where IdAction = 3"), logged);
}

// vornscript runs a stored script of a catalogue through a profile, as cron would:
// the script's boxes on standard output, an error on standard error and exit code 1.
void TstScriptHost::vornscriptCatalogue()
{
    const QString ini = m_dir.filePath("VornConn.ini");
    QFile f(ini);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QString("[Connections]\nДемо=Демо\n[Демо]\nDriver=SQLITE\nDATABASE NAME=%1\n").arg(m_demo.sqlite).toUtf8());
    f.close();
    int broken = 0;
    {
        auto session = open("SQLITE");
        ExecSql("insert into VornScript (Numm, Name, IdScrEng, ScriptText) values (9, 'Сломанный', 1, 'MsgBox 1' || char(10) || 'x = 1 / 0')");
        broken = scalar("select Id from VornScript where Name = 'Сломанный'");
    }
    auto run = [&](int id, QString *out, QString *err) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TMPDIR", m_dir.path());   // the demo script leaves a report there
        p.setProcessEnvironment(env);
        p.start(QCoreApplication::applicationDirPath() + "/vornscript",
                {"--script-id", QString::number(id), "--profile", "Демо", "--user", "director", "--password", "director", "--ini", ini});
        p.waitForFinished(60000);
        *out = QString::fromUtf8(p.readAllStandardOutput());
        *err = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    };
    QString out, err;
    QCOMPARE(run(1, &out, &err), 0);
    QVERIFY2(out.startsWith("Накладных: "), qPrintable(out + err));
    QCOMPARE(run(broken, &out, &err), 1);
    QCOMPARE(out, "1\n");
    QVERIFY2(err.contains("Строка: 2 Колонка: ") && err.contains("x = 1 / 0"), qPrintable(err));

    // a copy of the program without VornGen.tlb beside it says so and runs nothing
    const QString lone = m_dir.filePath("lone");
    QVERIFY(QDir().mkpath(lone));
    QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + "/vornscript", lone + "/vornscript"));
    QProcess p;
    p.start(lone + "/vornscript", {"--script-id", "1", "--profile", "Демо", "--user", "director", "--password", "director", "--ini", ini});
    p.waitForFinished(60000);
    const QString loneErr = QString::fromUtf8(p.readAllStandardError());
    QCOMPARE(p.exitCode(), 1);
    QVERIFY2(QString::fromUtf8(p.readAllStandardOutput()).contains("Не могу найти VornGen.tlb !"), qPrintable(loneErr));
    QVERIFY2(!loneErr.contains("Накладных"), qPrintable(loneErr));
}

QTEST_MAIN(TstScriptHost)
#include "tst_scripthost.moc"
