// The report run from end to end on real demo catalogues (SQLite, and PostgreSQL
// when the test cluster is there): modes, execution types, destinations, list
// ownership, the run context, layouts fed from the catalogue, remote data modules
// against the sample server, the report functions and the preview window.
#include "RunTestUtil.h"

#include "catalogue/fVornMain.h"
#include "execution/ParamAskMe.h"
#include "execution/Qrprevr.h"
#include "execution/VornLayoutEditor.h"
#include "execution/VornRemoteData.h"
#include "execution/VornReportDesigner.h"
#include "execution/VornRun.h"
#include "execution/VornRunParams.h"
#include "execution/WordNumber.h"
#include "execution/fVornQryBro.h"
#include "execution/unAddQRFnc.h"
#include "platform/data/DataError.h"
#include "platform/data/DataSource.h"
#include "platform/data/MemoryTable.h"
#include "platform/data/Query.h"
#include "platform/report/ReportPages.h"
#include "platform/report/ReportPreview.h"
#include "platform/widgets/DataGrid.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QJsonDocument>
#include <QNetworkInterface>
#include <QProgressDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeWidgetItemIterator>

using namespace runtest;
using vorn::report::ReportValue;

namespace {

int idOf(const QString &table, const QString &name)
{
    return SelectValue("select Id from " + table + " where Name=" + QuotedSql(name)).toInt();
}

int logCount(int action, int id)
{
    return SelectValue(QString("select count(*) from VornActionLog where IdAction=%1 and ValueId=%2").arg(action).arg(id)).toInt();
}

void checkContextCleared()
{
    QVERIFY(dmVorn()->RunParams == nullptr);
    QVERIFY(dmVorn()->RunQueries == nullptr);
    QVERIFY(dmVorn()->RunCaption.isEmpty());
}

QString pdfText(const QString &file)
{
    QProcess p;
    p.start("pdftotext", {"-layout", file, "-"});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString fileText(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QList<TQRRussianPreview *> previews()
{
    QList<TQRRussianPreview *> out;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *p = qobject_cast<TQRRussianPreview *>(w); p && p->isVisible())
            out << p;
    return out;
}

void closePreviews()
{
    for (TQRRussianPreview *p : previews())
        p->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// One data source of a test report: the query text, master flag and short name.
struct Source
{
    QString sql;
    bool master = false;
    QString shortName;
};

// A report with its own queries; returns its Id.
int addReport(const QString &name, int execType, int destination, const QByteArray &layout, const QList<Source> &sources)
{
    vorn::Database *db = vorn::Database::defaultDatabase();
    vorn::ParamList p;
    p.add(vorn::Param("Name")).setAsString(name);
    p.add(vorn::Param("T")).setAsInteger(execType);
    p.add(vorn::Param("D")).setAsInteger(destination);
    if (layout.isEmpty())
        db->execSql("insert into VornForm (Numm, Name, IdDestination, IdTypExec) values (900, :Name, :D, :T)", p);
    else {
        p.add(vorn::Param("R")).setAsBlob(layout);
        db->execSql("insert into VornForm (Numm, Name, IdDestination, IdTypExec, Report) values (900, :Name, :D, :T, :R)", p);
    }
    const int id = SelectValue("select max(Id) from VornForm").toInt();
    int n = 0;
    for (const Source &s : sources) {
        if (s.sql.startsWith("remote:")) {  // a data module of the catalogue, by name
            vorn::ParamList l;
            l.add(vorn::Param("F")).setAsInteger(id);
            l.add(vorn::Param("N")).setAsInteger(++n);
            l.add(vorn::Param("R")).setAsInteger(idOf("VornRemoteData", s.sql.mid(7)));
            l.add(vorn::Param("S")).setAsString(s.shortName);
            db->execSql("insert into VornFrm2Qry (IdForm, Numm, IdRemoteData, IsMaster, QueryShortName) values (:F, :N, :R, 0, :S)", l);
            continue;
        }
        vorn::ParamList q;
        q.add(vorn::Param("Name")).setAsString(name + " / " + s.shortName);
        q.add(vorn::Param("S")).setAsString(s.sql);
        db->execSql("insert into VornQuery (Numm, Name, SQLtext) values (900, :Name, :S)", q);
        const int qid = SelectValue("select max(Id) from VornQuery").toInt();
        vorn::ParamList l;
        l.add(vorn::Param("F")).setAsInteger(id);
        l.add(vorn::Param("N")).setAsInteger(++n);
        l.add(vorn::Param("Q")).setAsInteger(qid);
        l.add(vorn::Param("M")).setAsInteger(s.master ? 1 : 0);
        l.add(vorn::Param("S")).setAsString(s.shortName);
        db->execSql("insert into VornFrm2Qry (IdForm, Numm, IdQuery, IsMaster, QueryShortName) values (:F, :N, :Q, :M, :S)", l);
    }
    return id;
}

// A layout printing the given expressions in a detail band over Query1 (or a title
// band when dataSet is empty); extra holds additional <DataSet> elements.
QByteArray simpleLayout(const QStringList &expressions, const QString &dataSet = "Query1", const QString &extra = {})
{
    QString items;
    for (int i = 0; i < expressions.size(); ++i)
        items += QString("<Item type=\"Expression\" name=\"e%1\" left=\"0\" top=\"%2\" width=\"180\" height=\"5\">"
                         "<Expression>%3</Expression></Item>")
                     .arg(i).arg(i * 5).arg(expressions[i].toHtmlEscaped());
    const QString band = dataSet.isEmpty()
        ? QString("<Band type=\"Title\" name=\"Title\" height=\"%1\">%2</Band>").arg(expressions.size() * 5).arg(items)
        : QString("<Band type=\"Detail\" name=\"Detail\" height=\"%1\" dataSet=\"%2\">%3</Band>").arg(expressions.size() * 5).arg(dataSet, items);
    return QString("<?xml version=\"1.0\"?><VornReport version=\"1\" title=\"t\"><Page paper=\"A4\"/>"
                   "<DataSets>%1</DataSets><Bands>%2</Bands></VornReport>").arg(extra, band).toUtf8();
}

} // namespace

class TstReportRun : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void outputs_data();
    void outputs();
    void promptCancelled_data() { DemoCatalogues::driverRows(); }
    void promptCancelled();
    void grids_data();
    void grids();
    void callersList();
    void layoutFollowsCatalogue_data() { DemoCatalogues::driverRows(); }
    void layoutFollowsCatalogue();
    void unknownDataSource_data() { DemoCatalogues::driverRows(); }
    void unknownDataSource();
    void remoteFirstSource_data() { DemoCatalogues::driverRows(); }
    void remoteFirstSource();
    void twoMasters_data() { DemoCatalogues::driverRows(); }
    void twoMasters();
    void design_data();
    void design();
    void remoteModule_data();
    void remoteModule();
    void remoteResult_data();
    void remoteResult();
    void remoteWideIntegers();
    void remoteAnswerLimit();
    void remoteCancel();
    void remotePassword_data();
    void remotePassword();
    void remotePasswordSent();
    void numToRus_data();
    void numToRus();
    void userFio();
    void preview();
    void demoReports_data();
    void demoReports();
    void batch_data();
    void batch();
    void batchLikeACronJob();
    void fromTheTree();

private:
    std::unique_ptr<Session> open(const QString &driver);

    QTemporaryDir m_dir;
    DemoCatalogues m_demo;
    std::unique_ptr<ModuleServer> m_server;
};

void TstReportRun::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", m_dir.filePath("config").toUtf8());
    QCOMPARE(m_demo.create(m_dir.path()), QString());
    m_server = std::make_unique<ModuleServer>();
    QVERIFY2(m_server->port > 0, "the sample module server did not start");
}

void TstReportRun::cleanup()
{
    closePreviews();
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == "frmRunGrids")
            w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    TReportDesignerDialog::SetPrinterSetup({});
}

std::unique_ptr<Session> TstReportRun::open(const QString &driver)
{
    auto s = m_demo.open(driver);
    if (s)
        ExecSql(QString("update VornRemoteData set ComputerName='127.0.0.1', Port=%1").arg(m_server->port));
    return s;
}

// ------------------------------------------------------------------ destinations

void TstReportRun::outputs_data()
{
    QTest::addColumn<QString>("driver");
    QTest::addColumn<QString>("report");
    QTest::addColumn<int>("destination");  // -1: the report's own
    QTest::addColumn<QString>("choice");   // the entry chosen in "Выбор вывода отчета", "" = Cancel
    QTest::addColumn<QString>("fileName"); // given to the run; "?" = asked for
    QTest::addColumn<QString>("produced"); // screen, printer, file or nothing
    for (const QString d : {"SQLITE", "POSTGRESQL"}) {
        const QByteArray p = d == "SQLITE" ? "sqlite " : "pg ";
        QTest::newRow(p + "screen") << d << "Справочник клиентов" << -1 << "" << "" << "screen";
        QTest::newRow(p + "printer") << d << "Неоплаченные накладные" << 2 << "" << "" << "printer";
        QTest::newRow(p + "file named pdf") << d << "Справочник клиентов" << 3 << "" << "out.pdf" << "file";
        QTest::newRow(p + "file named, text") << d << "Справочник клиентов" << 3 << "" << "out.lst" << "file";
        QTest::newRow(p + "file asked") << d << "Справочник клиентов" << 3 << "" << "?" << "file";
        QTest::newRow(p + "ask, cancelled") << d << "Крупные покупатели" << -1 << "" << "" << "nothing";
        QTest::newRow(p + "ask, screen") << d << "Крупные покупатели" << -1 << "На экран" << "" << "screen";
        QTest::newRow(p + "ask, file") << d << "Крупные покупатели" << -1 << "В файл" << "?" << "file";
        QTest::newRow(p + "unknown destination") << d << "Справочник клиентов" << 7 << "" << "" << "nothing";
    }
}

void TstReportRun::outputs()
{
    OPEN_SESSION();
    QFETCH(QString, report);
    QFETCH(int, destination);
    QFETCH(QString, choice);
    QFETCH(QString, fileName);
    QFETCH(QString, produced);
    const int id = idOf("VornForm", report);
    QVERIFY(id > 0);
    const QString asked = m_dir.filePath("asked-" + QString::number(qHash(QTest::currentDataTag())) + ".txt");
    const QString given = fileName.isEmpty() || fileName == "?" ? QString() : m_dir.filePath(fileName);
    const QString printed = m_dir.filePath("printed.pdf");
    QFile::remove(printed);
    QFile::remove(asked);
    if (!given.isEmpty())
        QFile::remove(given);
    TReportDesignerDialog::SetPrinterSetup([&](QPrinter *p) {
        p->setOutputFormat(QPrinter::PdfFormat);
        p->setOutputFileName(printed);
    });
    MessageLog log;
    DialogScript dialogs;
    int chooserStart = -1;
    dialogs.handlers["dlgChooseOutput"] = [&](QDialog *d) {
        auto *cb = d->findChild<QComboBox *>("cbOutput");
        chooserStart = cb->currentIndex();
        if (d->size() != QSize(300, 100) || d->windowTitle() != "Выбор вывода отчета" || cb->pos() != QPoint(120, 4) ||
            cb->count() != 3 || cb->itemText(2) != "В файл" || cb->isEditable())
            chooserStart = -2;
        d->grab().save(qEnvironmentVariable("VORN_BINARY_DIR") + "/run-shots/choose-output.png");
        if (choice.isEmpty()) {
            d->reject();
            return int(QDialog::Rejected);
        }
        cb->setCurrentIndex(cb->findText(choice));
        d->accept();
        return int(QDialog::Accepted);
    };
    dialogs.handlers["dlgReportFile"] = [&](QDialog *d) {
        auto *fd = qobject_cast<QFileDialog *>(d);
        fd->selectFile(asked);
        static_cast<QDialog *>(fd)->accept();
        return int(QDialog::Accepted);
    };
    const int before = logCount(1, id);
    QVERIFY(ExecuteReport(id, report, nullptr, true, 0, destination, given, vrmRun));
    checkContextCleared();
    QVERIFY(!dmVorn()->qFrmRep->isActive());
    if (dialogs.shown.contains("dlgChooseOutput"))
        QCOMPARE(chooserStart, 1);  // destination 1 opens on "На принтер"
    QCOMPARE(logCount(1, id), before + (produced == "nothing" ? 0 : 1));
    QCOMPARE(previews().size(), produced == "screen" ? 1 : 0);
    if (produced == "screen") {
        TQRRussianPreview *p = previews().first();
        QTRY_VERIFY(p->Pages()->isFinished());
        QVERIFY(p->Pages()->pageCount() > 0);
        QCOMPARE(p->windowTitle(), report);
    } else if (produced == "printer") {
        QVERIFY(pdfText(printed).contains("Неоплаченные накладные"));
    } else if (produced == "file") {
        const QString out = given.isEmpty() ? asked : given;
        QVERIFY2(QFile::exists(out), qPrintable(out));
        const QString text = out.endsWith(".pdf") ? pdfText(out) : fileText(out);
        QVERIFY2(text.contains(report), qPrintable(text.left(300)));
    } else {
        QVERIFY(!QFile::exists(printed) && !QFile::exists(asked));
    }
}

void TstReportRun::promptCancelled()
{
    OPEN_SESSION();
    const int id = idOf("VornForm", "Справочник клиентов");
    MessageLog log;
    log.answers << TMsgButton::Cancel;
    const int before = logCount(1, id);
    QVERIFY(!RunReport(id, "Справочник клиентов", -1, 0));
    QCOMPARE(log.texts, QStringList{"Выполнить :Справочник клиентов"});
    QCOMPARE(logCount(1, id), before);
    QCOMPARE(previews().size(), 0);
    checkContextCleared();
    // a parameter dialog cancelled ends the run the same way
    DialogScript dialogs;
    dialogs.handlers["frmAskMe"] = [](QDialog *d) {
        d->reject();
        return int(QDialog::Rejected);
    };
    QVERIFY(!RunReport(idOf("VornForm", "Неоплаченные накладные"), "x", -1, 0));
    checkContextCleared();
}

// ------------------------------------------------------------------ grids and list ownership

void TstReportRun::grids_data()
{
    QTest::addColumn<QString>("driver");
    QTest::addColumn<QString>("object");  // VornForm, VornQuery or VornRemoteData name
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("rows");        // rows in the first grid; -1 any
    for (const QString d : {"SQLITE", "POSTGRESQL"}) {
        const QByteArray p = d == "SQLITE" ? "sqlite " : "pg ";
        QTest::newRow(p + "report of type 1000") << d << "Закупочные цены" << 1 << int(vrmRun) << -1;
        QTest::newRow(p + "report as grids") << d << "Накладные клиента с составом" << 1 << int(vrmGrids) << -1;
        QTest::newRow(p + "query") << d << "Справочник клиентов" << 3 << int(vrmGrids) << -1;
        QTest::newRow(p + "remote module") << d << "Остатки на складе" << 9 << int(vrmGrids) << 7;
    }
}

void TstReportRun::grids()
{
    OPEN_SESSION();
    QFETCH(QString, object);
    QFETCH(int, kind);
    QFETCH(int, mode);
    QFETCH(int, rows);
    const QString table = kind == 1 ? "VornForm" : kind == 3 ? "VornQuery" : "VornRemoteData";
    const int id = idOf(table, object);
    QVERIFY(id > 0);
    MessageLog log;
    DialogScript dialogs;
    dialogs.handlers["frmAskMe"] = [](QDialog *d) {
        if (auto *pw = d->findChild<QLineEdit *>("Password"))
            pw->setText("закупка");
        return confirm(d);
    };
    const int before = logCount(2, id);
    QVERIFY(ExecuteReport(id, object, nullptr, true, mode == vrmGrids ? kind : 0, -1, QString(), mode));
    checkContextCleared();
    QCOMPARE(logCount(2, id), before + 1);
    QPointer<QWidget> w = FindQueryBrowser(id, kind);
    QVERIFY(w);
    auto *grid = w->findChild<vorn::DataGrid *>("DBgrid_Query1");
    QVERIFY(grid);
    if (rows >= 0)
        QCOMPARE(grid->model()->rowCount(), rows);
    else
        QVERIFY(grid->model()->rowCount() > 0);
    // the window keeps the lists: its datasets still read them after the run ended
    auto *q1 = w->findChild<vorn::Dataset *>("Query1");
    QVERIFY(q1 && q1->isActive());
    // a second run brings the same window forward
    QVERIFY(ExecuteReport(id, object, nullptr, true, mode == vrmGrids ? kind : 0, -1, QString(), mode));
    int windows = 0;
    for (QWidget *t : QApplication::topLevelWidgets())
        if (auto *b = qobject_cast<TfrmVornQueryBro *>(t))
            windows += b->ObjectId() == id;
    QCOMPARE(windows, 1);
    checkContextCleared();
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(w.isNull());
}

void TstReportRun::callersList()
{
    // A script's own list stays the script's: no prompt, never freed by the run, and a
    // result window keeps a copy that lives on after the script dropped its list.
    Session s("SQLITE", m_demo.sqlite);
    MessageLog log;
    DialogScript dialogs;
    const int qid = idOf("VornQuery", "Неоплаченные накладные");
    auto list = RunBuildParamList(qid, okQuery);
    QCOMPARE(list->Count(), 1);
    list->Items(0)->Value = QDate(2026, 11, 1);
    QVERIFY(ExecuteReport(qid, "Долги", list.get(), false, okQuery, 0, QString(), vrmGrids));
    QVERIFY(dialogs.shown.isEmpty() && log.texts.isEmpty());
    QCOMPARE(list->Items(0)->Value.toDate(), QDate(2026, 11, 1));
    list.reset();
    QPointer<QWidget> w = FindQueryBrowser(qid, okQuery);
    QVERIFY(w);
    const int rows = w->findChild<vorn::DataGrid *>("DBgrid_Query1")->model()->rowCount();
    QVERIFY(rows > 0);
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(w.isNull());
    // run by a report's layout with the caller's list, to a file
    const int id = idOf("VornForm", "Неоплаченные накладные");
    auto reportList = RunBuildParamList(id, okReport);
    reportList->Items(0)->Value = QDate(2026, 11, 1);
    const QString out = m_dir.filePath("callers-list.txt");
    QVERIFY(ExecuteReport(id, "Неоплаченные накладные", reportList.get(), false, etLayout, dsFile, out, vrmRun));
    QVERIFY(fileText(out).contains("на 01.11.2026"));
    QCOMPARE(reportList->Count(), 1);
    checkContextCleared();
}

// ------------------------------------------------------------------ layouts and the catalogue

void TstReportRun::layoutFollowsCatalogue()
{
    OPEN_SESSION();
    // The layout stores its own SQL and a usrPARAM of design time with one old field.
    const QByteArray layout = simpleLayout(
        {"Query1.Word", "'параметр: ' + usrPARAM.Extra"}, "Query1",
        "<DataSet class=\"TVornQuery\" name=\"Query1\" DatabaseConnName=\"dbMain\"><SQL>select 'из макета' as Word</SQL></DataSet>"
        "<DataSet class=\"TRxMemoryData\" name=\"usrPARAM\"><Field name=\"Old\" type=\"String\"/></DataSet>");
    const int id = addReport("Макет и каталог " + driver, 1, 3, layout, {{"select 'старый' as Word", false, "Query1"}});
    const int qid = SelectValue(QString("select IdQuery from VornFrm2Qry where IdForm=%1").arg(id)).toInt();
    ExecSql(QString("update VornQuery set SQLtext='select ''новый'' as Word' where Id=%1").arg(qid));
    ExecSql(QString("insert into VornParam (IdQuery, Numm, ParName, ParLabel, IdParTyp, Width, IdTypDefVal) "
                    "values (%1, 1, 'Extra', 'Добавлен позже', 0, 0, 0)").arg(qid));
    MessageLog log;
    DialogScript dialogs;
    dialogs.handlers["frmAskMe"] = [](QDialog *d) {
        d->findChild<QLineEdit *>("Extra")->setText("значение");
        return confirm(d);
    };
    const QString out = m_dir.filePath("follows-" + driver + ".txt");
    QVERIFY(ExecuteReport(id, "x", nullptr, true, 0, -1, out, vrmRun));
    const QString text = fileText(out);
    QVERIFY2(text.contains("новый") && !text.contains("из макета"), qPrintable(text));
    QVERIFY2(text.contains("параметр: значение"), qPrintable(text));
    checkContextCleared();
}

void TstReportRun::unknownDataSource()
{
    OPEN_SESSION();
    const QByteArray layout = simpleLayout(
        {"Query9.A"}, "Query9",
        "<DataSet class=\"TVornQuery\" name=\"Query9\" DatabaseConnName=\"dbMain\"><SQL>select 1 as A</SQL></DataSet>");
    const int id = addReport("Чужой набор " + driver, 1, 3, layout, {{"select 1 as A", false, "Query1"}});
    MessageLog log;
    QString error;
    try {
        ExecuteReport(id, "x", nullptr, true, 0, -1, m_dir.filePath("never.txt"), vrmRun);
    } catch (const std::exception &e) {
        error = QString::fromUtf8(e.what());
    }
    QCOMPARE(error, QString("Invalid Query (TQueryList) : \"Query9\""));
    QVERIFY(!QFile::exists(m_dir.filePath("never.txt")));
    checkContextCleared();
    QVERIFY(!dmVorn()->qFrmRep->isActive());

    // a source the layout lacks that fails to open is a warning; the report still prints
    const int id2 = addReport("Сбой источника " + driver, 1, 3, simpleLayout({"'напечатано'"}, ""),
                              {{"select 1 as A", false, "Query1"}, {"select * from NoSuchTable", false, "Query2"}});
    const QString out = m_dir.filePath("warned-" + driver + ".txt");
    QVERIFY(ExecuteReport(id2, "x", nullptr, true, 0, -1, out, vrmRun));
    QCOMPARE(log.texts.size(), 3);  // two confirmations, one warning
    QVERIFY2(log.texts.last().contains("NoSuchTable", Qt::CaseInsensitive) ||
                 log.texts.last().contains("nosuchtable", Qt::CaseInsensitive), qPrintable(log.texts.last()));
    QVERIFY(fileText(out).contains("напечатано"));
    checkContextCleared();

    // a parameter table stored without fields, for a report without parameters
    const int id3 = addReport("Пустой usrPARAM " + driver, 1, 3,
                              simpleLayout({"'без параметров'"}, "", "<DataSet class=\"TRxMemoryData\" name=\"usrPARAM\"/>"),
                              {{"select 1 as A", false, "Query1"}});
    const QString out3 = m_dir.filePath("empty-params-" + driver + ".txt");
    QVERIFY(ExecuteReport(id3, "x", nullptr, true, 0, -1, out3, vrmRun));
    QVERIFY(fileText(out3).contains("без параметров"));
    // on the screen: no empty preview is left behind, and nothing was output to log
    error.clear();
    try {
        ExecuteReport(id, "x", nullptr, true, 0, dsScreen, QString(), vrmRun);
    } catch (const std::exception &e) {
        error = QString::fromUtf8(e.what());
    }
    QCOMPARE(error, QString("Invalid Query (TQueryList) : \"Query9\""));
    QVERIFY(previews().isEmpty());
    QCOMPARE(logCount(1, id), 0);
    checkContextCleared();
}

void TstReportRun::remoteFirstSource()
{
    OPEN_SESSION();
    // The module comes first: its parameter is prompted for, and the query takes it by name.
    const QByteArray layout = simpleLayout({"Query1.Store + ' ' + Query1.Goods", "'запрос: ' + Query2.S"}, "Query1",
                                           "<DataSet class=\"TClientDataSet\" name=\"Query1\"/>");
    const int id = addReport("Модуль первым " + driver, 1, 3, layout,
                             {{"remote:Остатки на складе", false, "Query1"}, {"select :Store as S", false, "Query2"}});
    MessageLog log;
    DialogScript dialogs;
    QStringList asked;
    dialogs.handlers["frmAskMe"] = [&](QDialog *d) {
        for (QLabel *l : d->findChildren<QLabel *>())
            if (l->objectName().startsWith("lbl"))
                asked << l->objectName();
        d->findChild<QLineEdit *>("Store")->setText("Северный");
        return confirm(d);
    };
    const QString out = m_dir.filePath("remote-first-" + driver + ".txt");
    QVERIFY(ExecuteReport(id, "x", nullptr, true, 0, -1, out, vrmRun));
    QCOMPARE(asked, QStringList{"lblStore"});
    const QString text = fileText(out);
    QVERIFY2(text.contains("Северный Чай чёрный 100 г") && !text.contains("Основной"), qPrintable(text));
    QVERIFY2(text.contains("запрос: Северный"), qPrintable(text));
    checkContextCleared();
}

void TstReportRun::twoMasters()
{
    OPEN_SESSION();
    const int id = addReport("Два главных " + driver, 1, 0, {},
                             {{"select 1 as Id", true, "Query1"}, {"select 2 as Other", true, "Query2"},
                              {"select :Id as Id", false, "Query3"}});
    auto list = BuildQueryList(id, okReport);
    QCOMPARE(list->Count(), 3);
    QCOMPARE(list->Items(0)->QueryShortName, QString("Query1"));
    QVERIFY(list->Items(1)->IsMaster && !list->Items(2)->IsMaster);
    QObject owner;
    TParamAskMeList params;
    auto master = [&](const char *name) -> QString {
        auto *q = owner.findChild<vorn::Query *>(name);
        return q && q->masterSource() ? q->masterSource()->dataset()->objectName() : QString();
    };
    // a master never follows another master, so reopening (as the result window
    // does) links the same way instead of making the two lead each other
    for (int pass = 0; pass < 2; ++pass) {
        OpenReportDataSets(&owner, &params, list.get(), false);
        QCOMPARE(master("Query1"), QString());
        QCOMPARE(master("Query2"), QString());
        QCOMPARE(master("Query3"), QString("Query1"));
        // the detail took its parameter from the master's row
        QCOMPARE(owner.findChild<vorn::Query *>("Query3")->fieldByName("Id")->value().toInt(), 1);
        QCOMPARE(owner.findChildren<vorn::DataSource *>().size(), 3);
    }
    // master links that would run in a circle are refused
    auto *q1 = owner.findChild<vorn::Query *>("Query1");
    auto *q3 = owner.findChild<vorn::Query *>("Query3");
    auto sourceOf = [&](vorn::Query *q) {
        for (auto *s : owner.findChildren<vorn::DataSource *>())
            if (s->dataset() == q) return s;
        return static_cast<vorn::DataSource *>(nullptr);
    };
    try {
        q1->setMasterSource(sourceOf(q3));
        QFAIL("a cycle of masters was accepted");
    } catch (const vorn::DataError &e) {
        QCOMPARE(e.message(), QString("Главные наборы данных ссылались бы друг на друга по кругу: Query1 → Query3 → Query1"));
    }
    try {
        q1->setMasterSource(sourceOf(q1));
        QFAIL("a dataset was made its own master");
    } catch (const vorn::DataError &e) {
        QCOMPARE(e.message(), QString("Набор данных \"Query1\" не может быть главным для самого себя"));
    }
    QVERIFY(!q1->masterSource());
    // a master cannot lead a dataset that is not a query
    vorn::MemoryTable table(&owner);
    table.setObjectName("Query4");
    QVERIFY_THROWS_EXCEPTION(vorn::DataError, LinkMaster(&owner, &table, list.get()));
    try {
        list->FindByShortName("query1");
        QFAIL("short names are exact");
    } catch (const vorn::DataError &e) {
        QCOMPARE(e.message(), QString("Invalid Query (TQueryList) : \"query1\""));
    }
}

// ------------------------------------------------------------------ design

void TstReportRun::design_data()
{
    QTest::addColumn<QString>("driver");
    QTest::addColumn<QString>("edit");      // invalid, valid, cancel, empty
    for (const QString d : {"SQLITE", "POSTGRESQL"}) {
        const QByteArray p = d == "SQLITE" ? "sqlite " : "pg ";
        QTest::newRow(p + "invalid refused, then cancelled") << d << "invalid";
        QTest::newRow(p + "valid stored") << d << "valid";
        QTest::newRow(p + "cancelled") << d << "cancel";
        QTest::newRow(p + "no layout yet") << d << "empty";
    }
}

void TstReportRun::design()
{
    OPEN_SESSION();
    QFETCH(QString, edit);
    const QByteArray original = simpleLayout({"'до правки'"}, "");
    const int id = addReport("Правка макета " + edit + driver, 1, 0, edit == "empty" ? QByteArray() : original,
                             {{"select 1 as A", false, "Query1"}});
    const QByteArray changed = simpleLayout({"'после правки'"}, "");
    MessageLog log;
    DialogScript dialogs;
    QString shownText;
    dialogs.handlers["frmLayoutEditor"] = [&](QDialog *d) {
        auto *e = qobject_cast<TfrmLayoutEditor *>(d);
        shownText = e->Editor()->toPlainText();
        // the run context is live while designing
        if (!dmVorn()->RunQueries || dmVorn()->RunQueries->Count() != 1)
            return int(QDialog::Rejected);
        if (edit == "invalid") {
            e->SetLayoutXml("<VornReport version=\"1\"><Bands><Band type=\"Nonsense\"/></Bands></VornReport>");
            e->accept();
            if (e->result() == QDialog::Accepted)
                return int(QDialog::Accepted);
            e->reject();
            return int(QDialog::Rejected);
        }
        if (edit == "cancel") {
            e->SetLayoutXml(changed);
            e->reject();
            return int(QDialog::Rejected);
        }
        if (edit == "empty") {
            const QString shots = qEnvironmentVariable("VORN_BINARY_DIR") + "/run-shots";
            QDir().mkpath(shots);
            e->grab().save(shots + "/layout-editor.png");
        }
        if (edit == "valid")
            e->SetLayoutXml(changed);
        e->accept();
        return e->result();
    };
    QVERIFY(DesignReport(id, "Правка"));
    QVERIFY(dialogs.shown.contains("frmLayoutEditor"));
    QCOMPARE(log.texts.first(), QString("Выполнить :Правка"));  // the prompt comes first, designing too
    checkContextCleared();
    const QByteArray stored = SelectValue(QString("select Report from VornForm where Id=%1").arg(id)).toByteArray();
    vorn::report::ReportLayout l;
    QString error;
    if (edit == "invalid") {
        QVERIFY2(log.texts.size() == 2 && log.texts.last().contains("Макет отчёта повреждён"), qPrintable(log.texts.join('|')));
        QCOMPARE(stored, original);
    } else if (edit == "cancel") {
        QCOMPARE(stored, original);
    } else if (edit == "valid") {
        QCOMPARE(stored, changed);
    } else {
        // a report without a layout starts from its sources and the first one's columns
        QVERIFY2(l.load(shownText.toUtf8(), &error), qPrintable(error));
        QCOMPARE(stored, shownText.toUtf8());
        QVERIFY(l.dataSet("Query1") && l.dataSet("Query1")->sql == "select 1 as A");
        QVERIFY(l.band("Detail") && l.band("Detail")->items.value(0).expression.compare("Query1.A", Qt::CaseInsensitive) == 0);
    }
    QVERIFY2(l.load(stored, &error), qPrintable(error));
}

// ------------------------------------------------------------------ remote data modules

void TstReportRun::remoteModule_data()
{
    QTest::addColumn<QString>("progId");
    QTest::addColumn<int>("serverType");
    QTest::addColumn<QString>("store");    // parameter Store, "" = no parameters
    QTest::addColumn<int>("rows");         // -1: an error is expected
    QTest::addColumn<QString>("error");    // part of the error text
    QTest::newRow("all stock") << "Vorn.StockServer" << 1 << "" << 7 << "";
    QTest::newRow("one store by parameter") << "Vorn.StockServer" << 1 << "Северный" << 3 << "";
    QTest::newRow("ProgID case and blanks") << "vorn.stockserver" << 1 << "основной" << 4 << "";
    QTest::newRow("short array") << "Vorn.Short" << 1 << "" << -1 << "Неверный результат GetData";
    QTest::newRow("partial last row") << "Vorn.PartialRow" << 1 << "" << -1 << "Неверный результат GetData: последняя строка неполная";
    QTest::newRow("no columns") << "Vorn.NoColumns" << 1 << "" << -1 << "число столбцов";
    QTest::newRow("bad column type") << "Vorn.BadType" << 1 << "" << -1 << "описание столбца 1";
    QTest::newRow("not an array") << "Vorn.NotArray" << 1 << "" << -1 << "не массив";
    QTest::newRow("GetData fails") << "Vorn.Fails" << 1 << "" << -1 << "Сервер модуля не смог получить данные";
    QTest::newRow("class not registered") << "Vorn.Nobody" << 1 << "" << -1 << "Class not registered";
    QTest::newRow("server type 2") << "Vorn.StockServer" << 2 << "" << 0 << "";
}

void TstReportRun::remoteModule()
{
    QFETCH(QString, progId);
    QFETCH(int, serverType);
    QFETCH(QString, store);
    QFETCH(int, rows);
    QFETCH(QString, error);
    TQueryListItem item;
    item.ItemKind = 1;
    item.IdRemtServerType = serverType;
    item.ServerName = progId;
    item.ComputerName = "127.0.0.1";
    item.Port = m_server->port;
    TParamAskMeList params;
    if (!store.isEmpty())
        params.Add("Store", "Склад", ptText)->Value = store;
    vorn::MemoryTable table;
    QString raised;
    try {
        FetchRemoteData(&table, &item, &params);
    } catch (const vorn::DataError &e) {
        raised = e.message();
    }
    if (rows < 0) {
        QVERIFY2(raised.contains(error), qPrintable(raised));
        QVERIFY(!table.isActive());
        return;
    }
    QCOMPARE(raised, QString());
    if (serverType != 1) {
        QVERIFY(!table.isActive());
        QCOMPARE(table.fieldDefs().size(), 0);
        return;
    }
    QCOMPARE(table.recordCount(), rows);
    QCOMPARE(table.fieldNames(), (QStringList{"Store", "Code", "Goods", "Unit", "Qty", "Updated"}));
    QCOMPARE(table.fieldByName("Qty")->dataType(), vorn::ftFloat);
    QCOMPARE(table.fieldByName("Updated")->dataType(), vorn::ftDate);
    QVERIFY(table.fieldByName("Updated")->value().toDate().isValid());
    QVERIFY(table.isReadOnly());
    if (!store.isEmpty())
        for (table.first(); !table.eof(); table.next())
            QCOMPARE(table.fieldByName("Store")->asString().toLower(), store.toLower());
}

void TstReportRun::remoteResult_data()
{
    QTest::addColumn<QString>("json");
    QTest::addColumn<int>("rows");        // -1: refused
    QTest::addColumn<QString>("lastValue");
    QTest::newRow("two rows") << R"([2, 0, 1, "A", 3, "B", "x", 1, "y", 2])" << 2 << "2";
    QTest::newRow("no rows") << R"([1, 0, 1, "A"])" << 0 << "";
    // values that do not make whole rows: a trailing partial row is an error, never dropped
    QTest::newRow("one value too many") << R"([4, 0, 1, "A", 1, "B", 1, "C", 1, "D", "a", "b", "c", "d", "e"])" << -1 << "";
    QTest::newRow("last row short") << R"([2, 0, 1, "A", 3, "B", "x", 1, "y"])" << -1 << "";
    QTest::newRow("integer beyond 32 bits") << R"([1, 0, 3, "N", 1, 7000000000])" << 2 << "7000000000";
    QTest::newRow("small integer beyond 16 bits") << R"([1, 0, 2, "N", -40000])" << 1 << "-40000";
    QTest::newRow("header cut short") << R"([3, 0, 1, "A"])" << -1 << "";
    QTest::newRow("count not a number") << R"(["2", 0])" << -1 << "";
    QTest::newRow("empty") << "[]" << -1 << "";
    QTest::newRow("value of wrong type") << R"([1, 0, 3, "N", "abc"])" << -1 << "";
    QTest::newRow("nameless column") << R"([1, 0, 1, ""])" << -1 << "";
}

void TstReportRun::remoteResult()
{
    QFETCH(QString, json);
    QFETCH(int, rows);
    QFETCH(QString, lastValue);
    vorn::MemoryTable t;
    int got = -1;
    try {
        DecodeRemoteResult(QJsonDocument::fromJson(json.toUtf8()).array(), &t);
        got = t.recordCount();
    } catch (const vorn::DataError &e) {
        QVERIFY(e.message().startsWith("Неверный результат GetData"));
    }
    QCOMPARE(got, rows);
    if (rows > 0) {
        t.last();
        QCOMPARE(t.field(t.fieldCount() - 1)->asString(), lastValue);
    }
}

// A whole-number column beyond 32 bits keeps every value.
void TstReportRun::remoteWideIntegers()
{
    TQueryListItem item;
    item.IdRemtServerType = 1;
    item.ServerName = "Vorn.Totals";
    item.ComputerName = "127.0.0.1";
    item.Port = m_server->port;
    vorn::MemoryTable table;
    FetchRemoteData(&table, &item, nullptr);
    QCOMPARE(table.fieldByName("Kopecks")->dataType(), vorn::ftLargeint);
    QList<qint64> values;
    for (table.first(); !table.eof(); table.next())
        values << table.fieldByName("Kopecks")->value().toLongLong();
    QCOMPARE(values, (QList<qint64>{7000000000LL, -3000000000LL, 12}));
    // beyond 64 bits, or with a fraction: a floating column, the value not cut
    vorn::MemoryTable wide;
    DecodeRemoteResult(QJsonDocument::fromJson(R"([1, 0, 3, "N", 12, 1e19, 2.5])").array(), &wide);
    QCOMPARE(wide.fieldByName("N")->dataType(), vorn::ftFloat);
    QList<double> doubles;
    for (wide.first(); !wide.eof(); wide.next())
        doubles << wide.fieldByName("N")->value().toDouble();
    QCOMPARE(doubles, (QList<double>{12, 1e19, 2.5}));
}

// An answer larger than the limit is refused instead of filling the memory.
void TstReportRun::remoteAnswerLimit()
{
    TQueryListItem item;
    item.IdRemtServerType = 1;
    item.ServerName = "Vorn.Huge";
    item.ComputerName = "127.0.0.1";
    item.Port = m_server->port;
    const QByteArray body = RemoteRequestBody(item, QJsonValue(QJsonValue::Null), "", "", "", "");
    QString error;
    try {
        CallRemoteGetData(item, body, 30000, 1024 * 1024);
    } catch (const vorn::DataError &e) {
        error = e.message();
    }
    QVERIFY2(error.contains("ответ больше допустимых 1 МБ"), qPrintable(error));
    QCOMPARE(CallRemoteGetData(item, body, 30000, 16 * 1024 * 1024).size(), 4 + 2000);  // under the limit it arrives
    QCOMPARE(RemoteAnswerLimit(), qint64(200) * 1024 * 1024);
}

// A slow module shows a box whose "Отмена" ends the wait at once.
void TstReportRun::remoteCancel()
{
    TQueryListItem item;
    item.IdRemtServerType = 1;
    item.ServerName = "Vorn.Slow";
    item.ComputerName = "127.0.0.1";
    item.Port = m_server->port;
    TParamAskMeList params;
    params.Add("Seconds", "", ptText)->Value = "20";
    const QByteArray body = RemoteRequestBody(item, RemoteParamArgument(&params), "", "", "", "");
    bool boxSeen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *box = qobject_cast<QProgressDialog *>(w); box && box->objectName() == "dlgRemoteWait" && box->isVisible()) {
                boxSeen = true;
                if (auto *button = box->findChild<QPushButton *>())
                    button->click();  // "Отмена", as the user would
            }
    });
    poll.start(50);
    QString error;
    try {
        CallRemoteGetData(item, body, 60000);  // the module would answer after 20 s
    } catch (const vorn::DataError &e) {
        error = e.message();
    }
    QVERIFY(boxSeen);
    QVERIFY2(error.contains("прервано пользователем"), qPrintable(error));
}

// The database password goes only to an https address or to this computer.
void TstReportRun::remotePassword_data()
{
    QTest::addColumn<QString>("computer");
    QTest::addColumn<bool>("carried");
    QTest::newRow("this computer") << "" << true;
    QTest::newRow("loopback address") << "127.0.0.1" << true;
    QTest::newRow("localhost") << "LocalHost" << true;
    QTest::newRow("IPv6 loopback") << "::1" << true;
    QTest::newRow("loopback as a URL") << "http://127.0.0.2" << true;
    QTest::newRow("https URL") << "https://reports.example.org:8443" << true;
    QTest::newRow("plain HTTP to a host") << "server1" << false;
    QTest::newRow("plain HTTP URL") << "http://10.1.2.3" << false;
    QTest::newRow("another scheme") << "ftp://127.0.0.1" << false;
}

void TstReportRun::remotePassword()
{
    QFETCH(QString, computer);
    QFETCH(bool, carried);
    TQueryListItem item;
    item.ComputerName = computer;
    item.Port = 8211;
    QCOMPARE(RemoteUrlMayCarryPassword(RemoteModuleUrl(item)), carried);
}

// What really arrives: the loopback server gets the password, the same server reached
// over the network does not.
void TstReportRun::remotePasswordSent()
{
    auto session = open("SQLITE");
    QString network;
    for (const QHostAddress &a : QNetworkInterface::allAddresses())
        if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback())
            network = a.toString();
    ModuleServer everywhere("0.0.0.0");
    QVERIFY(everywhere.port > 0);
    auto passwordArrived = [&](const QString &computer) {
        TQueryListItem item;
        item.IdRemtServerType = 1;
        item.ServerName = "Vorn.Echo";
        item.ComputerName = computer;
        item.Port = everywhere.port;
        vorn::MemoryTable table;
        FetchRemoteData(&table, &item, nullptr);
        for (table.first(); !table.eof(); table.next())
            if (table.fieldByName("Name")->asString() == "@password")
                return table.fieldByName("Value")->asString();
        return QString("?");
    };
    QCOMPARE(passwordArrived("127.0.0.1"), QString("given"));
    if (network.isEmpty())
        QSKIP("this computer has no network address besides loopback");
    QCOMPARE(passwordArrived(network), QString("none"));
}

// ------------------------------------------------------------------ report functions

void TstReportRun::numToRus_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("expected");
    const QString wrong = "Неверное кол-во аргументов";
    const QStringList rub{"рубль", "рубля", "рублей"}, kop{"копейка", "копейки", "копеек"};
    QTest::newRow("1 argument") << "NUMTORUS(21)" << NumToRus(21);
    QTest::newRow("float") << "NUMTORUS(5.5)" << NumToRus(5.5);
    QTest::newRow("2 arguments") << "NUMTORUS(2, 'штука')" << NumToRus(2, true, 2, QStringList{"штука"});
    QTest::newRow("3 arguments, feminine") << "NUMTORUS(2, 'тонна', FALSE)" << NumToRus(2, false, 2, QStringList{"тонна"});
    QTest::newRow("4 arguments") << "NUMTORUS(3.25, 'рубль', TRUE, 'копейка')"
                                 << NumToRus(3.25, true, 2, QStringList{"рубль"}, QStringList{"копейка"});
    QTest::newRow("5 arguments") << "NUMTORUS(3.125, 'метр', TRUE, 'мм', 3)"
                                 << NumToRus(3.125, true, 3, QStringList{"метр"}, QStringList{"мм"});
    QTest::newRow("9 arguments") << "NUMTORUS(1234.56, 'рубль', TRUE, 'копейка', 2, 'рубля', 'рублей', 'копейки', 'копеек')"
                                 << NumToRus(1234.56, true, 2, QStringList{"рубль", "рубля", "рублей"}, kop);
    QTest::newRow("0 arguments") << "NUMTORUS()" << wrong;
    QTest::newRow("6 arguments") << "NUMTORUS(1, 'a', TRUE, 'b', 2, 'c')" << wrong;
    QTest::newRow("7 arguments") << "NUMTORUS(1, 'a', TRUE, 'b', 2, 'c', 'd')" << wrong;
    QTest::newRow("8 arguments") << "NUMTORUS(1, 'a', TRUE, 'b', 2, 'c', 'd', 'e')" << wrong;
    QTest::newRow("10 arguments") << "NUMTORUS(1, 'a', TRUE, 'b', 2, 'c', 'd', 'e', 'f', 'g')" << wrong;
    QTest::newRow("number where a name goes") << "NUMTORUS(17, 5)" << NumToRus(0);
    QTest::newRow("text where the number goes") << "NUMTORUS('17')" << NumToRus(0);
    QTest::newRow("number where the gender goes") << "NUMTORUS(17, 'рубль', 1)" << NumToRus(0);
    QTest::newRow("float accuracy") << "NUMTORUS(3.5, 'метр', TRUE, 'см', 2.0)" << NumToRus(0);
    QTest::newRow("cut to 255") << "NUMTORUS(777777777777777, '" + QString(200, u'ж') + "')"
                                << NumToRus(777777777777777.0L, true, 2, QStringList{QString(200, u'ж')}).left(255);
}

void TstReportRun::numToRus()
{
    QFETCH(QString, expression);
    QFETCH(QString, expected);
    const vorn::report::Expression e = vorn::report::Expression::compile(expression, ReportFunctions());
    struct NoNames : vorn::report::ExpressionContext
    {
        bool resolve(const QString &, ReportValue *) override { return false; }
        ReportValue aggregate(int) override { return {}; }
    } ctx;
    const ReportValue v = e.evaluate(ctx);
    QCOMPARE(v.toString(), expected);
    QVERIFY(v.toString().size() <= 255);
    QCOMPARE(ReportFunctions().signature("NUMTORUS").arguments, QString("7N"));
}

void TstReportRun::userFio()
{
    // without a catalogue the full name cannot be had
    QCOMPARE(UserFioFunction({}).toString(), QString("????"));
    QCOMPARE(UserFioFunction({ReportValue(1)}).toString(), QString("Неверное кол-во аргументов"));
    Session s("SQLITE", m_demo.sqlite);
    QCOMPARE(UserFioFunction({}).toString(), QString("Директор Смирнов Алексей Викторович"));
    QCOMPARE(ReportFunctions().signature("USERFIO").description, QString("USERFIO| Фамилия, имя , отчество пользователя"));
}

// ------------------------------------------------------------------ preview window

void TstReportRun::preview()
{
    Session s("SQLITE", m_demo.sqlite);
    MessageLog log;
    DialogScript dialogs;
    const int id = idOf("VornForm", "Справочник клиентов");
    QVERIFY(RunReport(id, "Справочник клиентов", -1, 0));
    QCOMPARE(previews().size(), 1);
    QPointer<TQRRussianPreview> p = previews().first();
    QTRY_VERIFY(p->Pages()->isFinished());
    const int pages = p->Pages()->pageCount();
    QVERIFY(pages > 1);
    QVERIFY(p->windowState() & Qt::WindowMaximized);
    QCOMPARE(p->windowTitle(), QString("Справочник клиентов"));
    QVERIFY(p->findChild<QAction *>("ZoomToWidth")->isChecked());
    QVERIFY(!p->findChild<QAction *>("ZoomToFit")->isChecked());
    QCOMPARE(p->findChild<QToolButton *>("ZoomButton")->toolTip(), QString("Маштаб"));
    QCOMPARE(p->PageText(), QString("Page 1 of %1").arg(pages));
    QCOMPARE(p->ProgressText(), QString());
    QTest::keyClick(p->Preview(), Qt::Key_PageDown);
    QCOMPARE(p->PageText(), QString("Page 2 of %1").arg(pages));
    QTest::keyClick(p->Preview(), Qt::Key_End);
    QCOMPARE(p->PageText(), QString("Page %1 of %1").arg(pages));
    QTest::keyClick(p->Preview(), Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(p->PageText(), QString("Page 1 of %1").arg(pages));
    // a preset releases the fit buttons
    p->findChild<QToolButton *>("ZoomButton")->menu()->actions().at(1)->trigger();
    QCOMPARE(p->Preview()->zoomPercent(), 200);
    QVERIFY(!p->findChild<QAction *>("ZoomToWidth")->isChecked());
    QCOMPARE(p->findChild<QToolButton *>("ZoomButton")->text(), QString("200%"));
    // the spin button moves the zoom by 10 points
    p->findChild<QAction *>("ZoomToWidth")->trigger();
    QVERIFY(p->findChild<QAction *>("ZoomToWidth")->isChecked());
    auto *spin = p->findChild<QSpinBox *>("ZoomSpin");
    QCOMPARE(spin->toolTip(), QString("Изменение маштаба +/- 10%"));
    const int before = p->Preview()->zoomPercent();
    spin->stepUp();
    QCOMPARE(p->Preview()->zoomPercent(), before + 10);
    QVERIFY(!p->findChild<QAction *>("ZoomToWidth")->isChecked());
    p->findChild<QAction *>("ZoomToWidth")->trigger();
    // progress moves in steps of 5 and is emptied at the ends
    p->SetProgress(0);
    p->SetProgress(3);
    QCOMPARE(p->ProgressText(), QString());
    p->SetProgress(7);
    QCOMPARE(p->ProgressText(), QString("7%"));
    p->SetProgress(10);
    QCOMPARE(p->ProgressText(), QString("7%"));
    p->SetProgress(100);
    QCOMPARE(p->ProgressText(), QString());
    // what the user sees
    const QString shots = qEnvironmentVariable("VORN_BINARY_DIR") + "/run-shots";
    QDir().mkpath(shots);
    p->resize(1200, 900);
    QVERIFY(p->grab().save(shots + "/preview.png"));
    // save, reload, missing file
    const QString saved = m_dir.filePath("clients.vrp");
    p->SaveReport(saved, TQRRussianPreview::SaveFilter().section(";;", 0, 0));
    QVERIFY(QFile::exists(saved));
    const QString pdf = m_dir.filePath("clients.pdf");
    p->SaveReport(pdf, "PDF (*.pdf)");
    QVERIFY(pdfText(pdf).contains("Справочник клиентов"));
    // the extension typed decides when it names a format; else the filter does
    auto head = [](const QString &file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.read(4) : QByteArray();
    };
    const QString first = TQRRussianPreview::SaveFilter().section(";;", 0, 0);
    p->SaveReport(m_dir.filePath("typed.xlsx"), first);
    QCOMPARE(head(m_dir.filePath("typed.xlsx")), QByteArray("PK\x03\x04"));
    p->SaveReport(m_dir.filePath("typed.pdf"), "Excel (*.xlsx)");
    QCOMPARE(head(m_dir.filePath("typed.pdf")), QByteArray("%PDF"));
    p->SaveReport(m_dir.filePath("untyped"), "Excel (*.xlsx)");
    QCOMPARE(head(m_dir.filePath("untyped")), QByteArray("PK\x03\x04"));
    p->SaveReport(m_dir.filePath("other.dat"), first);
    QCOMPARE(head(m_dir.filePath("other.dat")), head(saved));
    QVERIFY(!p->LoadReport(m_dir.filePath("missing.vrp")));
    QCOMPARE(log.texts.last(), QString("File does not exist"));
    auto *again = TQRRussianPreviewInterface::Show();
    QVERIFY(again->LoadReport(saved));
    QCOMPARE(again->Pages()->pageCount(), pages);
    QCOMPARE(again->PageText(), QString("Page 1 of %1").arg(pages));
    QVERIFY(!again->findChild<QAction *>("PrintSetup")->isEnabled());
    QPointer<TQRRussianPreview> second = again;
    // activating another window of the program closes the previews
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    QTRY_VERIFY(p.isNull() && second.isNull());
}

// ------------------------------------------------------------------ demo reports

void TstReportRun::demoReports_data()
{
    QTest::addColumn<QString>("driver");
    QTest::addColumn<QString>("report");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("texts");  // all must be in the PDF's text
    const QList<std::tuple<QString, QString, QStringList>> reports = {
        {"Продажи по регионам за период", "sales_by_region", {"Регион:", "Итого по региону", "Всего накладных", "Регионы: {ВСЕ}"}},
        {"Накладные клиента с составом", "client_invoices", {"Накладная №", "Сумма прописью:", "рубл", "Директор Смирнов Алексей Викторович", "Итого:"}},
        {"Состав накладной", "invoice_lines", {"Состав накладной", "Итого:"}},
        {"Крупные покупатели", "big_buyers", {"Условия отбора", "Оборот не менее: 0,00 руб.", "Накладных не менее: 0"}},
        {"Прайс-лист", "price_list", {"Бакалея", "Позиций в группе", "все группы товаров"}},
        {"Закупочные цены", "purchase_prices", {"Закупка", "Сахар-песок"}},
        {"Справочник клиентов", "clients", {"Клиентов:", "ИНН"}},
        {"Неоплаченные накладные", "unpaid_invoices", {"Долг клиента:", "Всего долгов"}},
        {"Остатки на складе", "stock", {"Склад: Основной", "Склад: Северный", "Чай чёрный 100 г"}},
    };
    for (const QString d : {"SQLITE", "POSTGRESQL"})
        for (const auto &[report, file, texts] : reports)
            QTest::newRow(qPrintable((d == "SQLITE" ? "sqlite " : "pg ") + file)) << d << report << file << texts;
}

void TstReportRun::demoReports()
{
    OPEN_SESSION();
    QFETCH(QString, report);
    QFETCH(QString, file);
    QFETCH(QStringList, texts);
    MessageLog log;
    DialogScript dialogs;
    dialogs.handlers["frmAskMe"] = [](QDialog *d) {
        // the sales period covers the whole demo business; a client's period comes from its invoices
        if (!d->findChild<QComboBox *>("Client")) {
            if (auto *from = d->findChild<QDateEdit *>("DateFrom"))
                from->setDate(QDate(2025, 1, 1));
            if (auto *to = d->findChild<QDateEdit *>("DateTo"))
                to->setDate(QDate(2026, 12, 31));
        }
        if (auto *pw = d->findChild<QLineEdit *>("Password"))
            pw->setText("закупка");
        return confirm(d);
    };
    const QString dir = qEnvironmentVariable("VORN_BINARY_DIR") + "/demo-reports/" + driver.toLower();
    QDir().mkpath(dir);
    const QString pdf = dir + "/" + file + ".pdf";
    QFile::remove(pdf);
    const int id = idOf("VornForm", report);
    // every demo layout prints, also those of reports that run as grids
    QVERIFY(ExecuteReport(id, report, nullptr, true, etLayout, dsFile, pdf, vrmRun));
    QVERIFY2(log.texts.size() <= 1, qPrintable(log.texts.join('|')));  // at most the confirmation
    const QString text = pdfText(pdf);
    QVERIFY2(text.contains(report), qPrintable(text.left(400)));
    for (const QString &t : texts)
        QVERIFY2(text.contains(t), qPrintable(t + " not in:\n" + text.left(1500)));
    QVERIFY(!text.contains("????"));
    QVERIFY(ExecuteReport(id, report, nullptr, true, etLayout, dsFile, dir + "/" + file + ".png", vrmRun));
    QVERIFY(QFile::exists(dir + "/" + file + ".png") || QFile::exists(dir + "/" + file + "-1.png"));
    checkContextCleared();
}

// ------------------------------------------------------------------ vornreport by report Id

void TstReportRun::batch_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("text");  // in the output's text, or in standard error on failure
    const QStringList login{"--profile", "Demo", "-u", "director", "--password", "director"};
    QTest::newRow("period given, regions at their start") << login + QStringList{"-p", "DateFrom=2025-01-01", "-p", "DateTo=31.01.2025"}
                                                          << "sales.pdf" << 0 << "с 01.01.2025 по 31.01.2025";
    QTest::newRow("lookup key given, dates from DefSQL") << login + QStringList{"-p", "Client=5"} << "client.pdf" << 0 << "Сумма прописью:";
    QTest::newRow("other format by --format") << login + QStringList{"--format", "txt"} << "clients.out" << 0 << "Справочник клиентов";
    QTest::newRow("key not in the list") << login + QStringList{"-p", "Client=99999"} << "none.pdf" << 1 << "в списке нет значения 99999";
    QTest::newRow("field the query lacks") << login << "unknown.pdf" << 1 << "Неизвестное имя Query1.Nope";
    QTest::newRow("wrong password") << QStringList{"--profile", "Demo", "-u", "director", "--password", "x"} << "none.pdf" << 1
                                    << "Ошибка входа пользователя \"director\".";
    // the same rights as the tree: "Справочник клиентов" is in the group granted to petrova, not to ivanov's role
    QTest::newRow("report not granted") << QStringList{"--profile", "Demo", "-u", "ivanov", "--password", "ivanov", "--format", "txt"}
                                        << "clients-denied.out" << 1 << "у пользователя ivanov нет прав на отчёт";
    QTest::newRow("report granted through a group")
        << QStringList{"--profile", "Demo", "-u", "petrova", "--password", "petrova", "--format", "txt"} << "clients-granted.out" << 0
        << "Справочник клиентов";
}

void TstReportRun::batch()
{
    QFETCH(QStringList, args);
    QFETCH(QString, output);
    QFETCH(int, exitCode);
    QFETCH(QString, text);
    const QString ini = m_dir.filePath("VornConn.ini");
    {
        QFile f(ini);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(("[Connections]\nDemo=Demo\n[Demo]\nDriver=SQLITE\nDATABASE NAME=" + m_demo.sqlite + "\n").toUtf8());
    }
    const QString report = output.startsWith("sales") ? "Продажи по регионам за период"
                         : output.startsWith("clients") ? "Справочник клиентов" : "Накладные клиента с составом";
    int id = 0, before = 0;
    {
        Session s("SQLITE", m_demo.sqlite);
        id = output.startsWith("unknown")
            ? addReport("Поле, которого нет", 1, 3, simpleLayout({"Query1.Nope"}), {{"select 1 as A", false, "Query1"}})
            : idOf("VornForm", report);
        before = logCount(1, id);
    }
    const QString out = m_dir.filePath(output);
    QFile::remove(out);
    QProcess p;
    p.start(qEnvironmentVariable("VORN_BINARY_DIR") + "/bin/vornreport",
            QStringList{"--report-id", QString::number(id), "--ini", ini} + args + QStringList{out});
    QVERIFY(p.waitForFinished(60000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    QCOMPARE(p.exitCode(), exitCode);
    Session s("SQLITE", m_demo.sqlite);
    if (exitCode != 0) {
        QVERIFY2(err.contains(text), qPrintable(err));
        QVERIFY(!QFile::exists(out));
        // refused before the output started, nothing is logged; a layout that fails while it runs was
        if (!output.startsWith("unknown"))
            QCOMPARE(logCount(1, id), before);
        return;
    }
    const QString got = output.endsWith(".pdf") ? pdfText(out) : fileText(out);
    QVERIFY2(got.contains(text), qPrintable(err + got.left(500)));
    QCOMPARE(logCount(1, id), before + 1);  // a batch run is logged like any other
}

void TstReportRun::batchLikeACronJob()
{
    // A cron job: the machine's default LANG=C.UTF-8, the profile file in the working
    // directory, no --ini. Dates typed as the program takes them, amounts printed as
    // the program prints them.
    QTemporaryDir work;
    {
        QFile f(work.filePath("VornConn.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(("[Connections]\nКрон=Крон\n[Крон]\nDriver=SQLITE\nDATABASE NAME=" + m_demo.sqlite + "\n").toUtf8());
    }
    int id = 0;
    {
        Session s("SQLITE", m_demo.sqlite);
        id = idOf("VornForm", "Продажи по регионам за период");
    }
    const QString out = work.filePath("sales.txt");
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *v : {"LC_ALL", "LC_NUMERIC", "LC_TIME", "LANGUAGE"})
        env.remove(v);
    env.insert("LANG", "C.UTF-8");
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(work.path());
    p.start(qEnvironmentVariable("VORN_BINARY_DIR") + "/bin/vornreport",
            {"--report-id", QString::number(id), "--profile", "Крон", "-u", "director", "--password", "director",
             "-p", "DateFrom=01.01.2025", "-p", "DateTo=31.03.2025", out});
    QVERIFY(p.waitForFinished(60000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    QVERIFY2(p.exitCode() == 0, qPrintable(err));
    const QString text = fileText(out);
    QVERIFY2(text.contains("с 01.01.2025 по 31.03.2025"), qPrintable(text.left(600)));
    // "80 551 747,36", never "80,551,747.36"
    QVERIFY2(text.contains(QRegularExpression("\\d[ \\x{00A0}]\\d{3},\\d{2}")), qPrintable(text.left(1500)));
    QVERIFY2(!text.contains(QRegularExpression("\\d,\\d{3}\\.\\d{2}")), qPrintable(text.left(1500)));
}

// ------------------------------------------------------------------ what a new user does

void TstReportRun::fromTheTree()
{
    Session s("SQLITE", m_demo.sqlite);
    MessageLog log;
    DialogScript dialogs;
    bool prompted = false;
    dialogs.handlers["frmAskMe"] = [&](QDialog *d) {
        prompted = d->findChild<QDateEdit *>("DateFrom") != nullptr;
        d->findChild<QDateEdit *>("DateFrom")->setDate(QDate(2025, 6, 1));
        d->findChild<QDateEdit *>("DateTo")->setDate(QDate(2025, 6, 30));
        return confirm(d);
    };
    const QString printed = m_dir.filePath("tree-printed.pdf");
    QFile::remove(printed);
    TReportDesignerDialog::SetPrinterSetup([&](QPrinter *p) {
        p->setOutputFormat(QPrinter::PdfFormat);
        p->setOutputFileName(printed);
    });
    TfrmVornMain tree;
    tree.show();
    QTreeWidgetItem *item = nullptr;
    for (QTreeWidgetItemIterator it(tree.Tree()); *it && !item; ++it)
        if ((*it)->text(0) == "Продажи по регионам за период")
            item = *it;
    QVERIFY(item);
    Q_EMIT tree.Tree()->itemDoubleClicked(item, 0);
    QVERIFY(prompted);
    QCOMPARE(previews().size(), 1);
    TQRRussianPreview *p = previews().first();
    QTRY_VERIFY(p->Pages()->isFinished());
    QCOMPARE(p->windowTitle(), QString("Продажи по регионам за период"));
    const QString shots = qEnvironmentVariable("VORN_BINARY_DIR") + "/run-shots";
    QDir().mkpath(shots);
    p->resize(1280, 960);
    QVERIFY(p->grab().save(shots + "/preview-sales.png"));
    // printed through the print dialog to a PDF printer
    p->findChild<QAction *>("Print")->trigger();
    QVERIFY(dialogs.shown.contains("dlgPrint"));
    const QString text = pdfText(printed);
    QVERIFY2(text.contains("с 01.06.2025 по 30.06.2025"), qPrintable(text.left(300)));
    // saved and loaded back as a generated report
    const QString saved = m_dir.filePath("sales.vrp");
    auto choose = [&](QDialog *d) {
        auto *fd = qobject_cast<QFileDialog *>(d);
        fd->selectFile(saved);
        static_cast<QDialog *>(fd)->accept();
        return int(QDialog::Accepted);
    };
    dialogs.handlers["dlgSaveReport"] = choose;
    dialogs.handlers["dlgLoadReport"] = choose;
    p->findChild<QAction *>("SaveReport")->trigger();
    QVERIFY(QFile::exists(saved));
    const int pages = p->Pages()->pageCount();
    p->findChild<QAction *>("LoadReport")->trigger();
    QCOMPARE(p->Pages()->pageCount(), pages);
    QCOMPARE(p->PageText(), QString("Page 1 of %1").arg(pages));
    // going back to the catalogue closes the preview
    QPointer<TQRRussianPreview> guard = p;
    QApplication::setActiveWindow(&tree);
    QTRY_VERIFY(guard.isNull());
    QVERIFY2(log.texts.isEmpty(), qPrintable(log.texts.join('|')));
}

QTEST_MAIN(TstReportRun)
#include "tst_reportrun.moc"
