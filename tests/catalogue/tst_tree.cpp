// The catalogue tree window and dependency-aware deletion on real catalogues: a fresh
// SQLite demo catalogue per test, and a PostgreSQL copy of the demo when the test
// cluster is there. Expected shapes come from the catalogue's own rows.
#include "catalogue/VornCatProcs.h"
#include "catalogue/VornEntryTrace.h"
#include "catalogue/fVornDelDep.h"
#include "catalogue/fVornMain.h"
#include "VornTestMessages.h"
#include "database/VornMessages.h"
#include "database/dmdVorn.h"
#include "platform/data/DataSource.h"
#include "platform/data/Database.h"
#include "platform/data/Query.h"
#include "shell/frVornGenAppMDIMain.h"
#include "tools/vorncatalogue/CatalogueBuilder.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolBar>
#include <QUuid>
#include <QtTest>

using vorn::Database;

namespace {

using vorntest::MessageLog;

struct DialogScript
{
    QList<std::function<int(QDialog *)>> steps;  // one per dialog shown
    int shown = 0;
    TDialogRunner previous;
    DialogScript()
    {
        previous = SetDialogRunner([this](QDialog *d) {
            ++shown;
            return steps.isEmpty() ? int(QDialog::Rejected) : steps.takeFirst()(d);
        });
    }
    ~DialogScript() { SetDialogRunner(previous); }
};

struct EntryLog
{
    QList<std::pair<QString, QVariantList>> calls;
    TEntryTracer previous;
    EntryLog()
    {
        previous = SetEntryTracer([this](const QString &e, const QVariantList &a) { calls.append({e, a}); });
    }
    ~EntryLog() { SetEntryTracer(previous); }
    QVariantList argsOf(const QString &entry) const
    {
        for (const auto &c : calls)
            if (c.first == entry)
                return c.second;
        return {};
    }
};

bool pgAvailable() { return !qEnvironmentVariableIsEmpty("VORN_PG_PORT"); }

QSqlDatabase pgAdmin(const QString &conn, const QString &dbName)
{
    QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", conn);
    db.setHostName(qEnvironmentVariable("VORN_PG_HOST"));
    db.setPort(qEnvironmentVariable("VORN_PG_PORT").toInt());
    db.setUserName(qEnvironmentVariable("VORN_PG_USER"));
    db.setPassword(qEnvironmentVariable("VORN_PG_PASSWORD"));
    db.setDatabaseName(dbName);
    return db;
}

bool pgExec(const QString &dbName, const QString &sql)
{
    bool ok = false;
    {
        QSqlDatabase db = pgAdmin("pgexec", dbName);
        ok = db.open() && db.exec(sql).lastError().type() == QSqlError::NoError;
        db.close();
    }
    QSqlDatabase::removeDatabase("pgexec");
    return ok;
}

QList<TVornTreeNode *> kidsOf(QTreeWidgetItem *item)
{
    QList<TVornTreeNode *> l;
    for (int i = 0; i < item->childCount(); ++i)
        l << static_cast<TVornTreeNode *>(item->child(i));
    return l;
}

QList<TVornTreeNode *> topLevel(QTreeWidget *t)
{
    QList<TVornTreeNode *> l;
    for (int i = 0; i < t->topLevelItemCount(); ++i)
        l << static_cast<TVornTreeNode *>(t->topLevelItem(i));
    return l;
}

QStringList texts(const QList<TVornTreeNode *> &nodes)
{
    QStringList l;
    for (auto *n : nodes)
        l << n->text(0);
    return l;
}

// Rows of a statement on the default connection, first column as text.
QStringList column(const QString &sql)
{
    vorn::Query q;
    q.setDatabase(Database::defaultDatabase());
    q.setSql(sql);
    q.open();
    QStringList l;
    for (q.first(); !q.eof(); q.next())
        l << q.field(0)->value().toString();
    return l;
}

int count(const QString &sql) { return SelectValue(sql).toInt(); }
QString n(int i) { return QString::number(i); }

} // namespace

class TstTree : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void treeShape_data();
    void treeShape();
    void enabling_data();
    void enabling();
    void uniqueNames_data();
    void uniqueNames();
    void confirmationNo_data();
    void confirmationNo();
    void reportFromSource_data();
    void reportFromSource();
    void reportFromDataModule_data();
    void reportFromDataModule();
    void rename_data();
    void rename();
    void dropOnGroup_data();
    void dropOnGroup();
    void sortKeepsSelection_data();
    void sortKeepsSelection();
    void callsOut_data();
    void callsOut();
    void deleteFromTree_data();
    void deleteFromTree();
    void dependants_data();
    void dependants();
    void deletionRollsBack_data();
    void deletionRollsBack();
    void openOnceWithPlacement();
    void grabWindows();

private:
    void drivers();
    bool open(const QString &driver, const QString &user);
    void close();
    TVornTreeNode *node(TfrmVornMain &w, int kind, int branch, int nth = 0);

    QTemporaryDir m_dir;
    QString m_template;            // the SQLite demo catalogue, copied for every test
    QString m_pgTemplate;          // the PostgreSQL demo database, copied likewise
    QString m_pgCopy;              // the current test's PostgreSQL database
    int m_seq = 0;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<TdmVorn> m_dm;
};

void TstTree::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", m_dir.filePath("config").toUtf8());
    m_template = m_dir.filePath("demo.sqlite");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "build");
        db.setDatabaseName(m_template);
        QVERIFY(db.open());
        vorn::catalogue::CatalogueBuilder(vorn::catalogue::Dialect::Sqlite).build(db, true);
        db.close();
    }
    QSqlDatabase::removeDatabase("build");
    if (!pgAvailable())
        return;
    m_pgTemplate = "vorn_tree_" + QUuid::createUuid().toString(QUuid::Id128).left(12);
    QVERIFY(pgExec("postgres", "create database " + m_pgTemplate));
    {
        QSqlDatabase db = pgAdmin("pgbuild", m_pgTemplate);
        QVERIFY(db.open());
        vorn::catalogue::CatalogueBuilder(vorn::catalogue::Dialect::PostgreSql).build(db, true);
        db.close();
    }
    QSqlDatabase::removeDatabase("pgbuild");
}

void TstTree::cleanupTestCase()
{
    close();
    if (!m_pgTemplate.isEmpty())
        pgExec("postgres", "drop database if exists " + m_pgTemplate + " with (force)");
}

void TstTree::cleanup() { close(); }

void TstTree::drivers()
{
    QTest::addColumn<QString>("driver");
}

bool TstTree::open(const QString &driver, const QString &user)
{
    close();
    m_db = std::make_unique<Database>();
    m_db->setDatabaseName("dbMain");
    m_db->setDriverName(driver);
    if (driver == "POSTGRESQL") {
        if (m_pgTemplate.isEmpty())
            return false;
        m_pgCopy = m_pgTemplate + "_" + n(++m_seq);
        if (!pgExec("postgres", "create database " + m_pgCopy + " template " + m_pgTemplate))
            return false;
        m_db->params().setValue("SERVER NAME", qEnvironmentVariable("VORN_PG_HOST") + ":" + qEnvironmentVariable("VORN_PG_PORT"));
        m_db->params().setValue("DATABASE NAME", m_pgCopy);
    } else {
        const QString file = m_dir.filePath("cat" + n(++m_seq) + ".sqlite");
        if (!QFile::copy(m_template, file))
            return false;
        m_db->params().setValue("DATABASE NAME", file);
    }
    m_db->params().setValue("USER NAME", user);
    m_db->params().setValue("PASSWORD", user);
    m_db->open();
    m_dm = std::make_unique<TdmVorn>();
    m_dm->ReadParamPrefix();
    m_dm->IsAdmin(true);
    return true;
}

void TstTree::close()
{
    if (m_dm)
        m_dm->CloseAll();
    m_dm.reset();
    m_db.reset();
    if (!m_pgCopy.isEmpty()) {
        pgExec("postgres", "drop database if exists " + m_pgCopy + " with (force)");
        m_pgCopy.clear();
    }
}

#define OPEN_OR_SKIP(driver, user)                                                \
    do {                                                                          \
        if (driver == "POSTGRESQL" && m_pgTemplate.isEmpty())                     \
            QSKIP("no PostgreSQL test cluster");                                  \
        QVERIFY(open(driver, user));                                              \
    } while (0)

TVornTreeNode *TstTree::node(TfrmVornMain &w, int kind, int branch, int nth)
{
    for (QTreeWidgetItemIterator it(w.Tree()); *it; ++it) {
        auto *x = static_cast<TVornTreeNode *>(*it);
        if (x->Rec.Kind == kind && x->Rec.Branch == branch && nth-- == 0)
            return x;
    }
    return nullptr;
}

// ---------------------------------------------------------------- shape

void TstTree::treeShape_data()
{
    QTest::addColumn<QString>("driver");
    QTest::addColumn<QString>("user");
    for (const char *d : {"SQLITE", "POSTGRESQL"})
        for (const char *u : {"director", "ivanov", "petrova"})
            QTest::newRow(qPrintable(QString("%1 %2").arg(d, u))) << d << u;
}

void TstTree::treeShape()
{
    QFETCH(QString, driver);
    QFETCH(QString, user);
    OPEN_OR_SKIP(driver, user);
    MessageLog log;
    const bool admin = user == "director";
    QCOMPARE(m_dm->IsAdmin(), admin);
    TfrmVornMain w;
    QCOMPARE(w.windowTitle(), QString("Генератор отчётов"));
    QCOMPARE(w.Tree()->indentation(), 20);

    // Groups as the user's view gives them, then the four branches of administrators.
    QStringList expectedTop = column("select GrpName from vwVornGroup order by Numm");
    QVERIFY(!expectedTop.isEmpty());
    if (admin)
        expectedTop << "Все отчеты" << "Все запросы" << "Все модули данных" << "Все скрипты (макросы)";
    const QList<TVornTreeNode *> top = topLevel(w.Tree());
    QCOMPARE(texts(top), expectedTop);

    auto checkReport = [&](TVornTreeNode *r, int branch, int linkId) {
        QCOMPARE(r->Rec.Kind, int(vnkReport));
        QCOMPARE(r->Rec.LinkId, linkId);
        const QString form = n(r->Rec.ObjectId);
        QCOMPARE(r->Rec.IdDestination, count("select IdDestination from VornForm where Id=" + form));
        QCOMPARE(r->Rec.IdTypExec, count("select IdTypExec from VornForm where Id=" + form));
        const QList<TVornTreeNode *> kids = kidsOf(r);
        QVERIFY(!kids.isEmpty());
        QCOMPARE(kids[0]->text(0), QString("Запросы"));
        QCOMPARE(kids[0]->Rec.Kind, int(vnkQueries));
        const QStringList sources = column("select coalesce(q.Name, d.Name) from VornFrm2Qry l left join VornQuery q on q.Id = l.IdQuery "
                                           "left join VornRemoteData d on d.Id = l.IdRemoteData where l.IdForm=" + form + " order by l.Numm");
        QCOMPARE(texts(kidsOf(kids[0])), sources);
        for (TVornTreeNode *s : kidsOf(kids[0])) {
            QCOMPARE(s->Rec.LinkId, linkId);
            QCOMPARE(s->Rec.Branch, branch);
            if (s->Rec.Kind == vnkQuery) {
                const int master = count("select IsMaster from VornFrm2Qry where IdForm=" + form + " and IdQuery=" + n(s->Rec.ObjectId));
                QCOMPARE(s->data(0, Qt::UserRole + 1).toInt(), master > 0 ? 28 : 3);
            }
        }
        const int q1 = count("select IdQuery from VornFrm2Qry where IdForm=" + form + " order by Numm");
        const int d1 = count("select IdRemoteData from VornFrm2Qry where IdForm=" + form + " order by Numm");
        const QStringList params = q1 > 0 ? column("select ParLabel from VornParam where IdQuery=" + n(q1) + " order by Numm")
                                 : d1 > 0 ? column("select ParLabel from VornParam where IdRemoteData=" + n(d1) + " order by Numm")
                                          : QStringList();
        QCOMPARE(kids.size(), params.isEmpty() ? 1 : 2);
        if (!params.isEmpty()) {
            QCOMPARE(kids[1]->text(0), QString("Параметры"));
            QCOMPARE(kids[1]->Rec.ObjectId, q1 > 0 ? q1 : d1);
            QCOMPARE(texts(kidsOf(kids[1])), params);
        }
    };

    // Group members in Numm order, as the views let the user see them.
    for (int g = 0; g < expectedTop.size() - (admin ? 4 : 0); ++g) {
        TVornTreeNode *gn = top[g];
        QCOMPARE(gn->Rec.Kind, int(vnkGroup));
        QCOMPARE(gn->Rec.Branch, int(vnbGroups));
        QCOMPARE(gn->Rec.LinkId, gn->Rec.ObjectId);
        const QString gid = n(gn->Rec.ObjectId);
        const QStringList members = column(
            "select x.Name from (select b.Numm, f.Name from VornGrpBody b join vwVornForm f on f.Id = b.IdForm where b.IdGroup=" + gid +
            " union all select b.Numm, s.Name from VornGrpBody b join vwVornScript s on s.Id = b.IdScript where b.IdGroup=" + gid +
            ") x order by x.Numm");
        QCOMPARE(texts(kidsOf(gn)), members);
        for (TVornTreeNode *m : kidsOf(gn)) {
            QCOMPARE(m->Rec.LinkId, count("select Id from VornGrpBody where IdGroup=" + gid + " and (IdForm=" + n(m->Rec.ObjectId) +
                                          " and " + n(m->Rec.Kind) + "=1 or IdScript=" + n(m->Rec.ObjectId) + " and " +
                                          n(m->Rec.Kind) + "=7)"));
            if (m->Rec.Kind == vnkReport)
                checkReport(m, vnbGroups, m->Rec.LinkId);
        }
    }
    if (admin) {
        TVornTreeNode *reports = top[expectedTop.size() - 4];
        QCOMPARE(texts(kidsOf(reports)), column("select Name from VornForm order by Numm"));
        for (TVornTreeNode *r : kidsOf(reports))
            checkReport(r, vnbReports, r->Rec.ObjectId);
        TVornTreeNode *queries = top[expectedTop.size() - 3];
        QCOMPARE(texts(kidsOf(queries)), column("select Name from VornQuery order by Numm"));
        for (TVornTreeNode *q : kidsOf(queries)) {
            const QStringList params = column("select ParLabel from VornParam where IdQuery=" + n(q->Rec.ObjectId) + " order by Numm");
            QCOMPARE(q->childCount(), params.isEmpty() ? 0 : 1);
            if (!params.isEmpty())
                QCOMPARE(texts(kidsOf(q->child(0))), params);
        }
        TVornTreeNode *remote = top[expectedTop.size() - 2];
        QCOMPARE(texts(kidsOf(remote)), column("select Name from VornRemoteData order by Numm"));
        QCOMPARE(remote->data(0, Qt::UserRole + 1).toInt(), 39);
        TVornTreeNode *scripts = top[expectedTop.size() - 1];
        QCOMPARE(texts(kidsOf(scripts)), column("select Name from VornScript order by Numm"));
        QCOMPARE(scripts->data(0, Qt::UserRole + 1).toInt(), 29);
        QVERIFY(!w.findChild<QToolBar *>("tbEdit")->isHidden());
    } else {
        // Only the groups, the first one open; only the run tool bar.
        QVERIFY(top[0]->isExpanded());
        QVERIFY(w.findChild<QToolBar *>("tbEdit")->isHidden());
        QVERIFY(w.findChild<QToolBar *>("tbOther")->isHidden());
        QVERIFY(!w.findChild<QToolBar *>("tbRun")->isHidden());
        QCOMPARE(top.size(), count("select count(*) from vwVornGroup"));
        QVERIFY(top.size() < count("select count(*) from VornGroup"));
    }
    QVERIFY2(log.texts.isEmpty(), qPrintable(log.texts.join('\n')));
}

// ---------------------------------------------------------------- enabling

void TstTree::enabling_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("branch");
    QTest::addColumn<bool>("admin");
    QTest::addColumn<QStringList>("enabled");  // without "actn", and always with Refresh
    struct Row { const char *name; int kind, branch; const char *actions; };
    const Row rows[] = {
        {"group", 0, 0, "NewGrpFrm EditGrpFrm DelGrpFrm NewFrm UsersList"},
        {"report in group", 1, 0, "EditGrpFrm NewFrm EditFrm DelFrm NewSQL NewParam UsersList Exec ExecAsTbl EdtRepFrm"},
        {"Запросы in group", 2, 0, "EditFrm NewSQL NewParam"},
        {"Запросы in all reports", 2, 1, "EditFrm NewSQL NewParam UsersList"},
        {"query of report in group", 3, 0, "EditFrm NewSQL EditSQL Exec ExecAsTbl"},
        {"query of report", 3, 1, "EditFrm NewSQL EditSQL Exec ExecAsTbl UsersList"},
        {"data module of report in group", 9, 0, "EditFrm NewRemoteData EditRemoteData Exec ExecAsTbl"},
        {"data module of report", 9, 1, "EditFrm NewRemoteData EditRemoteData Exec ExecAsTbl UsersList"},
        {"Параметры of report in group", 4, 0, "NewParam"},
        {"Параметры of report", 4, 1, "NewParam UsersList"},
        {"parameter of report in group", 5, 0, "NewParam EditParam"},
        {"parameter of report", 5, 1, "NewParam EditParam UsersList"},
        {"script in group", 7, 0, "EditGrpFrm EditScript DelScript UsersList Exec"},
        {"Все отчеты", 0, 1, "NewGrpFrm NewFrm EditFrm UsersList"},
        {"report", 1, 1, "NewGrpFrm NewFrm EditFrm DelFrm NewSQL NewParam UsersList Exec ExecAsTbl EdtRepFrm"},
        {"Все запросы", 2, 2, "NewGrpFrm NewSQL EditSQL UsersList"},
        {"query", 3, 2, "NewFrm NewSQL EditSQL DelSQL NewParam EditParam UsersList Exec ExecAsTbl"},
        {"Параметры of query", 4, 2, "NewParam EditParam UsersList"},
        {"Параметры of data module", 4, 4, "NewParam EditParam UsersList"},
        {"parameter of query", 5, 2, "NewParam EditParam DelParam UsersList"},
        {"parameter of data module", 5, 4, "NewParam EditParam DelParam UsersList"},
        {"Все скрипты (макросы)", 6, 3, "NewScript EditScript UsersList"},
        {"script", 7, 3, "NewGrpFrm NewScript EditScript DelScript UsersList Exec"},
        {"Все модули данных", 8, 4, "NewGrpFrm NewRemoteData EditRemoteData UsersList"},
        {"data module", 9, 4, "NewFrm NewParam EditParam NewRemoteData EditRemoteData DelRemoteData UsersList Exec ExecAsTbl"},
    };
    for (const Row &r : rows) {
        QStringList a = QString(r.actions).split(' ');
        QTest::newRow(qPrintable(QString("admin: ") + r.name)) << r.kind << r.branch << true << a;
        if (r.branch == 0) {
            QStringList u;
            for (const QString &x : a)
                if (x == "Exec" || x == "ExecAsTbl")
                    u << x;
            QTest::newRow(qPrintable(QString("user: ") + r.name)) << r.kind << r.branch << false << u;
        }
    }
}

void TstTree::enabling()
{
    QFETCH(int, kind);
    QFETCH(int, branch);
    QFETCH(bool, admin);
    QFETCH(QStringList, enabled);
    // petrova's groups hold a report whose first source is a query with parameters, and
    // the data-module report; ivanov's a script.
    const QString user = admin ? "director" : (kind == 7 ? "ivanov" : "petrova");
    QVERIFY(open("SQLITE", user));
    TfrmVornMain w;
    TVornTreeNode *x = node(w, kind, branch);
    if (kind == 9 && branch == 0 && !x)
        QSKIP("the user sees no data module in a group");
    QVERIFY2(x, "no such node in the demo catalogue");
    w.SelectNode(x);
    QStringList on;
    for (QAction *a : w.findChildren<QAction *>(QString(), Qt::FindDirectChildrenOnly))
        if (a->objectName().startsWith("actn") && a->isEnabled())
            on << a->objectName().mid(4);
    enabled << "Refresh";
    std::sort(on.begin(), on.end());
    std::sort(enabled.begin(), enabled.end());
    QCOMPARE(on, enabled);

    // The context menu lists exactly the enabled actions.
    QStringList menu;
    for (QAction *a : w.PopupMenu()->actions())
        if (!a->isSeparator())
            menu << a->objectName().mid(4);
    std::sort(menu.begin(), menu.end());
    enabled.removeAll("UsersList");
    enabled.removeAll("EdtRepFrm");
    QCOMPARE(menu, enabled);
}

// ---------------------------------------------------------------- new objects

void TstTree::uniqueNames_data()
{
    drivers();
    QTest::newRow("sqlite") << "SQLITE";
    QTest::newRow("postgresql") << "POSTGRESQL";
}

void TstTree::uniqueNames()
{
    QFETCH(QString, driver);
    OPEN_OR_SKIP(driver, "director");
    MessageLog log;
    TfrmVornMain w;
    w.show();
    const int groups = count("select count(*) from VornGroup");

    // No to the question changes nothing.
    w.SelectNode(node(w, vnkGroup, vnbGroups));
    log.answers = {TMsgButton::No};
    w.Action("actnNewGrpFrm")->trigger();
    QCOMPARE(log.texts, QStringList{"Создать новую группу?"});
    QCOMPARE(count("select count(*) from VornGroup"), groups);

    for (const QString name : {"Новая группа", "Новая группа 1", "Новая группа 2"}) {
        w.Tree()->closePersistentEditor(w.Tree()->currentItem());
        w.SelectNode(node(w, vnkGroup, vnbGroups));
        w.Action("actnNewGrpFrm")->trigger();
        TVornTreeNode *g = w.Selected();
        QCOMPARE(g->text(0), name);
        QCOMPARE(w.Tree()->indexOfTopLevelItem(g), 0);
        QVERIFY(w.Tree()->IsRenaming());
        QCOMPARE(SelectValue("select GrpName from VornGroup where Id=" + n(g->Rec.ObjectId)).toString(), name);
        w.Tree()->setFocus();
        QTest::keyClick(w.Tree()->viewport(), Qt::Key_Escape);
    }

    // Parameters of a free query: "NewParametr", then numbered without a blank.
    TVornTreeNode *q = node(w, vnkQuery, vnbQueries);
    const int idQuery = q->Rec.ObjectId;
    for (const QString name : {"NewParametr", "NewParametr1"}) {
        w.SelectNode(node(w, vnkQuery, vnbQueries));
        w.Action("actnNewParam")->trigger();
        TVornTreeNode *p = w.Selected();
        QCOMPARE(p->Rec.Kind, int(vnkParam));
        QCOMPARE(p->Rec.Branch, int(vnbQueries));
        QCOMPARE(SelectValue("select ParName from VornParam where Id=" + n(p->Rec.ObjectId)).toString(), name);
        QCOMPARE(count("select IdQuery from VornParam where Id=" + n(p->Rec.ObjectId)), idQuery);
    }

    // A query in a report is named after the report and hangs under its "Запросы".
    TVornTreeNode *r = node(w, vnkReport, vnbReports);
    const QString reportName = r->text(0);
    const int idForm = r->Rec.ObjectId;
    w.SelectNode(r);
    log.texts.clear();
    w.Action("actnNewSQL")->trigger();
    QCOMPARE(log.texts, QStringList{"Создать новый запрос в отчёте?"});
    TVornTreeNode *nq = w.Selected();
    QCOMPARE(nq->Rec.Kind, int(vnkQuery));
    QCOMPARE(nq->parent()->parent(), static_cast<QTreeWidgetItem *>(r));
    QVERIFY(!w.Tree()->IsRenaming());
    QCOMPARE(nq->text(0), count("select count(*) from VornQuery where Name=" + QuotedSql(reportName)) > 1
                              ? QString(reportName + " 1") : reportName);
    QCOMPARE(count("select count(*) from VornFrm2Qry where IdForm=" + n(idForm) + " and IdQuery=" + n(nq->Rec.ObjectId)), 1);

    // New objects in their own branches.
    struct Case { int rootKind, branch; const char *action, *name, *table; int kind; };
    const Case cases[] = {{vnkQueries, vnbQueries, "actnNewSQL", "Новый запрос", "VornQuery", vnkQuery},
                          {vnkGroup, vnbReports, "actnNewFrm", "Новый отчет", "VornForm", vnkReport},
                          {vnkScriptsRoot, vnbScripts, "actnNewScript", "Новый скрипт", "VornScript", vnkScript},
                          {vnkRemoteRoot, vnbRemoteData, "actnNewRemoteData", "Новый модуль данных", "VornRemoteData", vnkRemoteData}};
    for (const Case &c : cases) {
        w.SelectNode(node(w, c.rootKind, c.branch));
        QTest::keyClick(w.Tree()->viewport(), Qt::Key_Escape);
        w.SelectNode(node(w, c.rootKind, c.branch));
        w.Action(c.action)->trigger();
        TVornTreeNode *x = w.Selected();
        QCOMPARE(x->Rec.Kind, c.kind);
        QCOMPARE(x->Rec.Branch, c.branch);
        QCOMPARE(x->text(0), QString(c.name));
        QCOMPARE(SelectValue(QString("select Name from ") + c.table + " where Id=" + n(x->Rec.ObjectId)).toString(), QString(c.name));
        QVERIFY(w.Tree()->IsRenaming());
    }
    // A report without sources: an empty "Запросы" and no "Параметры", also after a rebuild.
    w.Action("actnRefresh")->trigger();
    TVornTreeNode *empty = nullptr;
    for (TVornTreeNode *x : kidsOf(node(w, vnkGroup, vnbReports)))
        if (x->text(0) == "Новый отчет")
            empty = x;
    QVERIFY(empty);
    QCOMPARE(texts(kidsOf(empty)), QStringList{"Запросы"});
    QCOMPARE(empty->child(0)->childCount(), 0);
    // It has no owner for a parameter: adding one says why and changes nothing.
    const int params = count("select count(*) from VornParam");
    for (TVornTreeNode *at : {empty, kidsOf(empty).first()}) {
        w.SelectNode(at);
        QVERIFY(w.Action("actnNewParam")->isEnabled());
        log.texts.clear();
        w.Action("actnNewParam")->trigger();
        QCOMPARE(log.texts.size(), 1);
        QVERIFY2(log.texts.first().startsWith("У отчёта нет ни запросов, ни модулей данных."), qPrintable(log.texts.first()));
        QCOMPARE(count("select count(*) from VornParam"), params);
    }
}

// Every question answered No leaves the catalogue as it was.
void TstTree::confirmationNo_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("branch");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("question");
    QTest::newRow("new group") << 0 << 0 << "actnNewGrpFrm" << "Создать новую группу?";
    QTest::newRow("new report") << 0 << 1 << "actnNewFrm" << "Создать новый отчет?";
    QTest::newRow("new query in report") << 1 << 1 << "actnNewSQL" << "Создать новый запрос в отчёте?";
    QTest::newRow("new query") << 2 << 2 << "actnNewSQL" << "Создать новый запрос?";
    QTest::newRow("new parameter") << 3 << 2 << "actnNewParam" << "Создать новый параметр?";
    QTest::newRow("new parameter in report") << 1 << 1 << "actnNewParam" << "Создать новый параметра в отчёте?";
    QTest::newRow("delete parameter") << 5 << 2 << "actnDelParam" << "Удалить параметр?";
    QTest::newRow("new script") << 6 << 3 << "actnNewScript" << "Создать новый скрипт?";
    QTest::newRow("delete script") << 7 << 3 << "actnDelScript" << "Удалить скрипт?";
    QTest::newRow("script out of group") << 7 << 0 << "actnDelScript" << "Удалить скрипт из группы?";
    QTest::newRow("report out of group") << 1 << 0 << "actnDelFrm" << "Удалить отчет из группы?";
    QTest::newRow("new data module") << 8 << 4 << "actnNewRemoteData" << "Создать новый модуль данных?";
    QTest::newRow("delete group") << 0 << 0 << "actnDelGrpFrm" << "Удалить группу \"%1\"?";
}

void TstTree::confirmationNo()
{
    QFETCH(int, kind);
    QFETCH(int, branch);
    QFETCH(QString, action);
    QFETCH(QString, question);
    QVERIFY(open("SQLITE", "director"));
    auto snapshot = [] {
        QStringList l;
        for (const char *t : {"VornGroup", "VornGrpBody", "VornForm", "VornFrm2Qry", "VornQuery", "VornParam", "VornScript",
                              "VornRemoteData"})
            l << QString::number(count(QString("select count(*) from ") + t));
        return l;
    };
    const QStringList before = snapshot();
    MessageLog log;
    log.answers = {TMsgButton::No};
    TfrmVornMain w;
    TVornTreeNode *x = node(w, kind, branch);
    w.SelectNode(x);
    QVERIFY(w.Action(action)->isEnabled());
    w.Action(action)->trigger();
    QCOMPARE(log.texts, QStringList{question.arg(x->text(0))});
    QCOMPARE(snapshot(), before);
}

void TstTree::reportFromSource_data()
{
    drivers();
    QTest::newRow("sqlite") << "SQLITE";
    QTest::newRow("postgresql") << "POSTGRESQL";
}

void TstTree::reportFromSource()
{
    QFETCH(QString, driver);
    OPEN_OR_SKIP(driver, "director");
    MessageLog log;
    DialogScript dialogs;
    TfrmVornMain w;
    // "<Новый отчет>": a report named after the query, holding it.
    TVornTreeNode *q = node(w, vnkQuery, vnbQueries);
    const int idQuery = q->Rec.ObjectId;
    const QString queryName = q->text(0);
    w.SelectNode(q);
    QString caption;
    dialogs.steps << [&](QDialog *d) {
        caption = d->windowTitle();
        auto *cb = d->findChild<QComboBox *>();
        return cb->currentText() == "<Новый отчет>" ? int(QDialog::Accepted) : int(QDialog::Rejected);
    };
    w.Action("actnNewFrm")->trigger();
    QCOMPARE(caption, QString("Добавить запрос в отчёт (новый или существующий)"));
    TVornTreeNode *r = w.Selected();
    QCOMPARE(r->Rec.Kind, int(vnkReport));
    QCOMPARE(r->Rec.Branch, int(vnbReports));
    const QString expectedName = count("select count(*) from VornForm where Name=" + QuotedSql(queryName)) > 1
                                     ? queryName + " 1" : queryName;
    QCOMPARE(r->text(0), expectedName);
    QCOMPARE(count("select IdQuery from VornFrm2Qry where IdForm=" + n(r->Rec.ObjectId)), idQuery);
    QCOMPARE(texts(kidsOf(r->child(0))), QStringList{queryName});

    // An existing report: the data module joins it as the next source.
    const int idForm = r->Rec.ObjectId;
    TVornTreeNode *dm = node(w, vnkRemoteData, vnbRemoteData);
    const int idRemote = dm->Rec.ObjectId;
    w.SelectNode(dm);
    dialogs.steps << [&](QDialog *d) {
        caption = d->windowTitle();
        auto *cb = d->findChild<QComboBox *>();
        cb->setCurrentIndex(cb->findData(idForm));
        return int(QDialog::Accepted);
    };
    w.Action("actnNewFrm")->trigger();
    QCOMPARE(caption, QString("Добавить модуль данных в отчёт (новый или существующий)"));
    QCOMPARE(SelectValue("select QueryShortName from VornFrm2Qry where IdForm=" + n(idForm) + " and IdRemoteData=" + n(idRemote)).toString(),
             QString("Query2"));
    QCOMPARE(count("select Numm from VornFrm2Qry where IdForm=" + n(idForm) + " and IdRemoteData=" + n(idRemote)), 2);
    QCOMPARE(w.Selected()->Rec.ObjectId, idForm);
    QCOMPARE(w.Selected()->child(0)->childCount(), 2);

    // A parameter added on a report goes to its first source.
    w.SelectNode(w.Selected());
    w.Action("actnNewParam")->trigger();
    TVornTreeNode *p = w.Selected();
    QCOMPARE(p->Rec.Kind, int(vnkParam));
    QCOMPARE(count("select IdQuery from VornParam where Id=" + n(p->Rec.ObjectId)), idQuery);
    QCOMPARE(static_cast<TVornTreeNode *>(p->parent()->parent())->Rec.ObjectId, idForm);
    QVERIFY2(log.texts == QStringList{"Создать новый параметра в отчёте?"}, qPrintable(log.texts.join('\n')));
}

// A report made from a data module holds that module, also when a query has the same
// id and a name that begins the module's name.
void TstTree::reportFromDataModule_data()
{
    reportFromSource_data();
}

void TstTree::reportFromDataModule()
{
    QFETCH(QString, driver);
    OPEN_OR_SKIP(driver, "director");
    MessageLog log;
    DialogScript dialogs;
    TfrmVornMain w;
    TVornTreeNode *dm = node(w, vnkRemoteData, vnbRemoteData);
    QVERIFY(dm);
    const int idRemote = dm->Rec.ObjectId;
    const QString moduleName = dm->text(0);
    QVERIFY(count("select count(*) from VornQuery where Id=" + n(idRemote)) == 1);
    ExecSql("update VornQuery set Name=" + QuotedSql(moduleName.left(3)) + " where Id=" + n(idRemote));
    w.BuildTree(true);
    dm = node(w, vnkRemoteData, vnbRemoteData);
    w.SelectNode(dm);
    dialogs.steps << [&](QDialog *d) {
        auto *cb = d->findChild<QComboBox *>();
        return cb->currentText() == "<Новый отчет>" ? int(QDialog::Accepted) : int(QDialog::Rejected);
    };
    w.Action("actnNewFrm")->trigger();
    TVornTreeNode *r = w.Selected();
    QCOMPARE(r->Rec.Kind, int(vnkReport));
    QVERIFY(r->text(0).startsWith(moduleName));
    QCOMPARE(count("select IdRemoteData from VornFrm2Qry where IdForm=" + n(r->Rec.ObjectId)), idRemote);
    QCOMPARE(count("select count(*) from VornFrm2Qry where IdQuery is not null and IdForm=" + n(r->Rec.ObjectId)), 0);
    QVERIFY2(log.texts.isEmpty(), qPrintable(log.texts.join('\n')));
}

// ---------------------------------------------------------------- renaming

void TstTree::rename_data()
{
    QTest::addColumn<QString>("driver");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("branch");
    QTest::addColumn<QString>("check");  // statement reading the written column; %1 = id
    QTest::addColumn<bool>("allowed");
    struct Row { const char *name; int kind, branch; const char *check; bool allowed; };
    const Row rows[] = {
        {"group", 0, 0, "select GrpName from VornGroup where Id=%1", true},
        {"report", 1, 1, "select Name from VornForm where Id=%1", true},
        {"query", 3, 2, "select Name from VornQuery where Id=%1", true},
        {"parameter of query", 5, 2, "select ParLabel from VornParam where Id=%1", true},
        {"script", 7, 3, "select Name from VornScript where Id=%1", true},
        {"data module", 9, 4, "select Name from VornRemoteData where Id=%1", true},
        {"report in group", 1, 0, "select Name from VornForm where Id=%1", false},
        {"query of report", 3, 1, "select Name from VornQuery where Id=%1", false},
        {"parameter of data module", 5, 4, "select ParLabel from VornParam where Id=%1", false},
    };
    for (const char *d : {"SQLITE", "POSTGRESQL"})
        for (const Row &r : rows)
            QTest::newRow(qPrintable(QString(d) + " " + r.name)) << d << r.kind << r.branch << r.check << r.allowed;
}

void TstTree::rename()
{
    QFETCH(QString, driver);
    QFETCH(int, kind);
    QFETCH(int, branch);
    QFETCH(QString, check);
    QFETCH(bool, allowed);
    OPEN_OR_SKIP(driver, "director");
    MessageLog log;
    TfrmVornMain w;
    TVornTreeNode *x = node(w, kind, branch);
    QVERIFY(x);
    const int id = x->Rec.ObjectId;
    const QString before = SelectValue(check.arg(id)).toString();
    const QString parName = SelectValue("select ParName from VornParam where Id=" + n(id)).toString();
    QCOMPARE(bool(x->flags() & Qt::ItemIsEditable), allowed);
    const QString name = "Отчёт д'Артаньяна";
    x->setText(0, name);  // what the in-place editor does when the edit ends
    QVERIFY2(log.texts.isEmpty(), qPrintable(log.texts.join('\n')));
    QCOMPARE(SelectValue(check.arg(id)).toString(), allowed ? name : before);
    if (kind == vnkParam)
        QCOMPARE(SelectValue("select ParName from VornParam where Id=" + n(id)).toString(), parName);
    QCOMPARE(x->text(0), allowed ? name : before);
    // The new name survives a rebuild.
    w.SelectNode(x);
    w.Action("actnRefresh")->trigger();
    QCOMPARE(w.Selected()->text(0), allowed ? name : before);
}

// ---------------------------------------------------------------- drag and drop

void TstTree::dropOnGroup_data()
{
    QTest::addColumn<QString>("driver");
    QTest::addColumn<int>("kind");
    for (const char *d : {"SQLITE", "POSTGRESQL"}) {
        QTest::newRow(qPrintable(QString(d) + " report")) << d << int(vnkReport);
        QTest::newRow(qPrintable(QString(d) + " script")) << d << int(vnkScript);
    }
}

void TstTree::dropOnGroup()
{
    QFETCH(QString, driver);
    QFETCH(int, kind);
    OPEN_OR_SKIP(driver, "director");
    MessageLog log;
    TfrmVornMain w;
    const int branch = kind == vnkReport ? vnbReports : vnbScripts;
    const QString column = kind == vnkReport ? "IdForm" : "IdScript";
    TVornTreeNode *src = node(w, kind, branch);
    TVornTreeNode *group = node(w, vnkGroup, vnbGroups);
    const int objectId = src->Rec.ObjectId, numm = src->Rec.Numm, groupId = group->Rec.ObjectId;
    const QString member = "select count(*) from VornGrpBody where IdGroup=" + n(groupId) + " and " + column + "=" + n(objectId);
    const int before = count(member);
    // A group that holds it already refuses it; otherwise the membership is added.
    if (before == 0) {
        w.SelectNode(src);
        QVERIFY(w.DropOnGroup(src, group));
        QVERIFY(log.texts.isEmpty());
        QCOMPARE(count(member), 1);
        QCOMPARE(count("select Numm from VornGrpBody where IdGroup=" + n(groupId) + " and " + column + "=" + n(objectId)), numm);
        QCOMPARE(w.Selected()->Rec.Kind, kind);  // the selection stays on the dragged node
        QCOMPARE(w.Selected()->Rec.Branch, branch);
        group = node(w, vnkGroup, vnbGroups);
        bool shown = false;
        for (TVornTreeNode *c : kidsOf(group))
            shown |= c->Rec.Kind == kind && c->Rec.ObjectId == objectId;
        QVERIFY(shown);
        src = w.Selected();
    }
    const int members = count("select count(*) from VornGrpBody");
    QVERIFY(!w.DropOnGroup(src, group));
    QCOMPARE(log.texts.last(), kind == vnkReport ? QString("Отчёт уже существует в указанной группе!")
                                                 : QString("Скрипт(макрос) уже существует в указанной группе!"));
    QCOMPARE(count("select count(*) from VornGrpBody"), members);
    // Only reports and scripts of their own branches, only onto groups.
    QVERIFY(!w.CanDrop(node(w, vnkReport, vnbGroups), group));
    QVERIFY(!w.CanDrop(src, node(w, vnkGroup, vnbReports)));

    // The group dialog of "Добавить (в) группу отчетов" makes the same membership.
    TVornTreeNode *other = node(w, kind, branch, 1);
    const int otherId = other->Rec.ObjectId;
    TVornTreeNode *last = nullptr;
    for (TVornTreeNode *t : topLevel(w.Tree()))
        if (t->Rec.Kind == vnkGroup && t->Rec.Branch == vnbGroups)
            last = t;
    const int lastId = last->Rec.ObjectId;
    ExecSql("delete from VornGrpBody where IdGroup=" + n(lastId) + " and " + column + "=" + n(otherId));
    DialogScript dialogs;
    dialogs.steps << [&](QDialog *d) {
        auto *cb = d->findChild<QComboBox *>();
        cb->setCurrentIndex(cb->findData(lastId));
        return int(QDialog::Accepted);
    };
    w.SelectNode(node(w, kind, branch, 1));
    w.Action("actnNewGrpFrm")->trigger();
    QCOMPARE(dialogs.shown, 1);
    QCOMPARE(count("select count(*) from VornGrpBody where IdGroup=" + n(lastId) + " and " + column + "=" + n(otherId)), 1);
    QCOMPARE(w.Selected()->Rec.Branch, int(vnbGroups));
    QCOMPARE(w.Selected()->Rec.ObjectId, otherId);
    QCOMPARE(static_cast<TVornTreeNode *>(w.Selected()->parent())->Rec.ObjectId, lastId);
}

// ---------------------------------------------------------------- sorting

void TstTree::sortKeepsSelection_data()
{
    drivers();
    QTest::newRow("sqlite") << "SQLITE";
    QTest::newRow("postgresql") << "POSTGRESQL";
}

void TstTree::sortKeepsSelection()
{
    QFETCH(QString, driver);
    OPEN_OR_SKIP(driver, "director");
    MessageLog log;
    TfrmVornMain w;
    // A parameter of a report in a group: the deepest kind of node.
    TVornTreeNode *p = node(w, vnkParam, vnbGroups, 1);
    QVERIFY(p);
    const TVornNodeRec rec = p->Rec;
    w.SelectNode(p);
    const QStringList byNumm = column("select GrpName from VornGroup order by Numm");
    const QStringList byName = column("select GrpName from VornGroup order by GrpName");
    const QStringList byId = column("select GrpName from VornGroup order by Id");
    const std::pair<const char *, QStringList> steps[] = {{"mnSortName", byName}, {"mnSortId", byId}, {"mnSortNumm", byNumm}};
    for (const auto &[item, order] : steps) {
        QAction *a = w.findChild<QAction *>(item);
        QVERIFY(a);
        a->trigger();
        QVERIFY(a->isChecked());
        QVERIFY(w.Selected());
        QVERIFY(w.Selected()->Rec.sameNode(rec));
        QCOMPARE(texts(topLevel(w.Tree())).mid(0, order.size()), order);
    }
    // A change from elsewhere rebuilds the tree, keeping the selection.
    ExecSql("insert into VornGroup (GrpName, Numm) values ('Извне', 99)");
    QCoreApplication::postEvent(&w, new QEvent(WM_CATALOGUE_CHANGED));
    QCoreApplication::processEvents();
    QVERIFY(texts(topLevel(w.Tree())).contains("Извне"));
    QVERIFY(w.Selected()->Rec.sameNode(rec));
    QVERIFY(log.texts.isEmpty());
}

// ---------------------------------------------------------------- calls out

void TstTree::callsOut_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("branch");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("entry");
    // Arguments: obj = the node's object, report / group = its report's / group's id,
    // owner = the parameter owner, text = the node's text, dest / typ = the node's codes,
    // engine / script = the stored script's language and text; numbers as they are.
    QTest::addColumn<QString>("args");
    const struct { const char *user; int kind, branch; const char *action, *entry, *args; } rows[] = {
        {"director", 0, 0, "actnEditGrpFrm", "TfrmVornGrpFrm::ShowItem", "obj 0 0"},
        {"director", 1, 0, "actnEditGrpFrm", "TfrmVornGrpFrm::ShowItem", "group obj 0"},
        {"director", 7, 0, "actnEditGrpFrm", "TfrmVornGrpFrm::ShowItem", "group 0 obj"},
        {"director", 0, 0, "actnNewFrm", "TfrmVornGrpFrm::ShowItem", "obj 0 0"},
        {"director", 1, 1, "actnEditFrm", "TfrmVornForm::ShowItem", "obj 0 0"},
        {"director", 2, 0, "actnEditFrm", "TfrmVornForm::ShowItem", "report 0 0"},
        {"director", 3, 0, "actnEditFrm", "TfrmVornForm::ShowItem", "report obj 0"},
        {"director", 9, 1, "actnEditFrm", "TfrmVornForm::ShowItem", "report 0 obj"},
        {"director", 0, 1, "actnEditFrm", "TfrmVornForm::ShowItem", "0 0 0"},
        {"director", 3, 2, "actnEditSQL", "TfrmVornQuery::ShowItem", "obj"},
        {"director", 2, 2, "actnEditSQL", "TfrmVornQuery::ShowItem", "0"},
        {"director", 9, 4, "actnEditRemoteData", "TfrmVornRemoteData::ShowItem", "obj"},
        {"director", 7, 3, "actnEditScript", "TfrmVornScript::ShowItem", "obj"},
        {"director", 3, 2, "actnEditParam", "TfrmVornParam::ShowItem", "0 obj 0"},
        {"director", 9, 4, "actnEditParam", "TfrmVornParam::ShowItem", "1 obj 0"},
        {"director", 4, 2, "actnEditParam", "TfrmVornParam::ShowItem", "0 obj 0"},
        {"director", 5, 2, "actnEditParam", "TfrmVornParam::ShowItem", "0 owner obj"},
        {"director", 5, 4, "actnEditParam", "TfrmVornParam::ShowItem", "1 owner obj"},
        {"director", 5, 1, "actnEditParam", "TfrmVornParam::ShowItem", "ownerkind owner obj"},
        {"director", 0, 0, "actnUsersList", "TfrmVornRights::ShowItem", "1 obj"},
        {"director", 1, 0, "actnUsersList", "TfrmVornRights::ShowItem", "2 obj"},
        {"director", 7, 3, "actnUsersList", "TfrmVornRights::ShowItem", "5 obj"},
        {"director", 3, 2, "actnUsersList", "TfrmVornRights::ShowItem", "0 obj"},
        {"director", 1, 1, "actnExec", "RunReport", "obj text dest typ"},
        {"petrova", 1, 0, "actnExec", "RunReport", "obj text dest typ"},
        {"ivanov", 7, 0, "actnExec", "ExecuteScript", "engine script obj false text"},
        {"director", 3, 2, "actnExec", "ExecuteReport", "obj text false true 3 0 empty 5"},
        {"director", 9, 4, "actnExecAsTbl", "ExecuteReport", "obj text false true 9 0 empty 5"},
        {"petrova", 1, 0, "actnExecAsTbl", "ExecuteReport", "obj text false true 1 0 empty 5"},
        {"director", 1, 1, "actnEdtRepFrm", "DesignReport", "obj text"},
        {"director", 3, 2, "doubleclick", "ExecuteReport", "obj text false true 3 0 empty 5"},
        {"director", 7, 3, "doubleclick", "ExecuteScript", "engine script obj false text"},
        {"petrova", 1, 0, "doubleclick", "RunReport", "obj text dest typ"},
    };
    for (const auto &r : rows)
        QTest::newRow(qPrintable(QString("%1 %2 on %3/%4").arg(r.user, r.action).arg(r.kind).arg(r.branch)))
            << r.user << r.kind << r.branch << r.action << r.entry << r.args;
}

void TstTree::callsOut()
{
    QFETCH(QString, user);
    QFETCH(int, kind);
    QFETCH(int, branch);
    QFETCH(QString, action);
    QFETCH(QString, entry);
    QFETCH(QString, args);
    QVERIFY(open("SQLITE", user));
    MessageLog log;
    TfrmVornMain w;
    // On a report's parameter, prefer the report whose first source is a data module.
    TVornTreeNode *x = node(w, kind, branch);
    for (int i = 0; kind == vnkParam && branch == vnbReports; ++i) {
        TVornTreeNode *c = node(w, kind, branch, i);
        if (!c)
            break;
        if (static_cast<TVornTreeNode *>(c->parent()->parent()->child(0)->child(0))->Rec.Kind == vnkRemoteData) {
            x = c;
            break;
        }
    }
    QVERIFY(x);
    w.SelectNode(x);
    EntryLog calls;
    // A report run really starts: its parameter prompt is cancelled, and so is the
    // question a run without parameters asks, so the run ends there.
    DialogScript cancelPrompt;
    log.answers = {TMsgButton::Cancel, TMsgButton::Cancel};
    if (action == "doubleclick")
        Q_EMIT w.Tree()->itemDoubleClicked(x, 0);
    else {
        QVERIFY(w.Action(action)->isEnabled());
        w.Action(action)->trigger();
    }
    log.texts.removeIf([](const QString &t) { return t.startsWith("Выполнить :"); });
    // a demo script really runs and shows its one result box; an error box would say "Ошибка: "
    if (entry == "ExecuteScript" && log.texts.size() == 1 && !log.texts[0].contains("Ошибка: "))
        log.texts.clear();
    QVERIFY2(log.texts.isEmpty(), qPrintable(log.texts.join('\n')));
    QVariantList expected;
    TVornTreeNode *report = x;
    while (report && report->Rec.Kind != vnkReport)
        report = static_cast<TVornTreeNode *>(report->parent());
    TVornTreeNode *group = x;
    while (group && group->parent())
        group = static_cast<TVornTreeNode *>(group->parent());
    TVornTreeNode *owner = kind == vnkParam && branch >= vnbQueries ? static_cast<TVornTreeNode *>(x->parent()->parent())
                         : report && report->childCount() && report->child(0)->childCount()
                             ? static_cast<TVornTreeNode *>(report->child(0)->child(0)) : nullptr;
    for (const QString &a : args.split(' ')) {
        if (a == "obj") expected << x->Rec.ObjectId;
        else if (a == "report") expected << report->Rec.ObjectId;
        else if (a == "group") expected << group->Rec.ObjectId;
        else if (a == "owner") expected << owner->Rec.ObjectId;
        else if (a == "ownerkind") expected << (owner->Rec.Kind == vnkRemoteData ? 1 : 0);
        else if (a == "text") expected << x->text(0);
        else if (a == "dest") expected << count("select IdDestination from VornForm where Id=" + n(x->Rec.ObjectId));
        else if (a == "typ") expected << count("select IdTypExec from VornForm where Id=" + n(x->Rec.ObjectId));
        else if (a == "engine") expected << SelectValue("select l.Item from VornScript s join Lookups l on l.Teg='VornScript_IdScrEng' "
                                                        "and l.Ival=s.IdScrEng where s.Id=" + n(x->Rec.ObjectId)).toString();
        else if (a == "script") expected << SelectValue("select ScriptText from VornScript where Id=" + n(x->Rec.ObjectId)).toString();
        else if (a == "false") expected << false;
        else if (a == "true") expected << true;
        else if (a == "empty") expected << QString();
        else expected << a.toInt();
    }
    QVERIFY2(!calls.calls.isEmpty(), "no entry point was called");
    QCOMPARE(calls.calls.first().first, entry);
    QCOMPARE(calls.calls.first().second.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(calls.calls.first().second[i].toString(), expected[i].toString());
    if (kind == vnkParam && branch == vnbReports)
        QCOMPARE(owner->Rec.Kind, int(vnkRemoteData));
}

// ---------------------------------------------------------------- deletion from the tree

void TstTree::deleteFromTree_data()
{
    drivers();
    QTest::newRow("sqlite") << "SQLITE";
    QTest::newRow("postgresql") << "POSTGRESQL";
}

void TstTree::deleteFromTree()
{
    QFETCH(QString, driver);
    OPEN_OR_SKIP(driver, "director");
    MessageLog log;
    TfrmVornMain w;

    // A report taken out of a group stays in the catalogue.
    TVornTreeNode *r = node(w, vnkReport, vnbGroups);
    TVornTreeNode *g = static_cast<TVornTreeNode *>(r->parent());
    const int idForm = r->Rec.ObjectId, idGroup = g->Rec.ObjectId;
    w.SelectNode(r);
    log.answers = {TMsgButton::No};
    w.Action("actnDelFrm")->trigger();
    QCOMPARE(count("select count(*) from VornGrpBody where IdGroup=" + n(idGroup) + " and IdForm=" + n(idForm)), 1);
    w.Action("actnDelFrm")->trigger();
    QCOMPARE(log.texts, (QStringList{"Удалить отчет из группы?", "Удалить отчет из группы?"}));
    QCOMPARE(count("select count(*) from VornGrpBody where IdGroup=" + n(idGroup) + " and IdForm=" + n(idForm)), 0);
    QCOMPARE(count("select count(*) from VornForm where Id=" + n(idForm)), 1);
    QCOMPARE(w.Selected()->Rec.ObjectId, idGroup);

    // A group goes without the dialog, after the plain question; the next group is selected.
    g = node(w, vnkGroup, vnbGroups);
    const QString name = g->text(0);
    const int deletedGroup = g->Rec.ObjectId;  // the node itself goes with the rebuild
    const int next = node(w, vnkGroup, vnbGroups, 1)->Rec.ObjectId;
    w.SelectNode(g);
    log.texts.clear();
    DialogScript dialogs;
    w.Action("actnDelGrpFrm")->trigger();
    QCOMPARE(dialogs.shown, 0);
    QCOMPARE(log.texts, QStringList{"Удалить группу \"" + name + "\"?"});
    QCOMPARE(count("select count(*) from VornGroup where Id=" + n(deletedGroup)), 0);
    QCOMPARE(w.Selected()->Rec.ObjectId, next);
    QVERIFY(!texts(topLevel(w.Tree())).contains(name));

    // A free query with parameters: the dialog, then its neighbour is selected.
    TVornTreeNode *q = nullptr;
    for (int i = 0; (q = node(w, vnkQuery, vnbQueries, i)); ++i)
        if (q->childCount() > 0)
            break;
    QVERIFY(q);
    const int idQuery = q->Rec.ObjectId;
    TVornTreeNode *below = static_cast<TVornTreeNode *>(q->parent()->child(q->parent()->indexOfChild(q) + 1));
    const TVornNodeRec belowRec = below->Rec;
    w.SelectNode(q);
    dialogs.steps << [](QDialog *) { return int(QDialog::Accepted); };
    w.Action("actnDelSQL")->trigger();
    QCOMPARE(dialogs.shown, 1);
    QVERIFY2(log.texts.size() == 1, qPrintable(log.texts.join('\n')));
    QCOMPARE(count("select count(*) from VornQuery where Id=" + n(idQuery)), 0);
    QCOMPARE(count("select count(*) from VornParam where IdQuery=" + n(idQuery)), 0);
    QVERIFY(w.Selected()->Rec.sameNode(belowRec));
}

// ---------------------------------------------------------------- dependants

void TstTree::dependants_data()
{
    QTest::addColumn<QString>("driver");
    QTest::addColumn<QString>("scenario");
    for (const char *d : {"SQLITE", "POSTGRESQL"})
        for (const char *s : {"shared query", "own query kept", "own query deleted", "query with parameters", "cancel"})
            QTest::newRow(qPrintable(QString(d) + " " + s)) << d << s;
}

void TstTree::dependants()
{
    QFETCH(QString, driver);
    QFETCH(QString, scenario);
    OPEN_OR_SKIP(driver, "director");
    MessageLog log;
    DialogScript dialogs;

    // A report with its own query holding two parameters.
    const int idQuery = CatQueryAdd("Запрос д'Артаньяна", 0);
    const int p1 = CatParamAdd("A", idQuery, 0), p2 = CatParamAdd("B", idQuery, 0);
    const int idForm = CatFormAdd("Отчёт д'Артаньяна", idQuery);
    QCOMPARE(count("select count(*) from VornFrm2Qry where IdForm=" + n(idForm)), 1);
    if (scenario == "shared query") {
        const int other = CatFormAdd("Другой отчёт", idQuery);
        QVERIFY(other != idForm);
    }
    const int rootKind = scenario == "query with parameters" ? vokQuery : vokReport;
    const int rootId = rootKind == vokQuery ? idQuery : idForm;
    const QString rootName = rootKind == vokQuery ? "Запрос д'Артаньяна" : "Отчёт д'Артаньяна";

    TVornDependList list(rootId, rootKind);
    list.Build();
    struct Want { int kind, id, level; TVornDelMode mode; bool marked; };
    QList<Want> want;
    if (rootKind == vokQuery)
        want = {{vokParam, p1, 0, delParent, true}, {vokParam, p2, 0, delParent, true}};
    else if (scenario == "shared query")
        want = {{vokQuery, idQuery, 0, delNone, false}, {vokParam, p1, 1, delParent, false}, {vokParam, p2, 1, delParent, false}};
    else
        want = {{vokQuery, idQuery, 0, delOptional, true}, {vokParam, p1, 1, delParent, true}, {vokParam, p2, 1, delParent, true}};
    QCOMPARE(list.Count(), want.size());
    for (int i = 0; i < want.size(); ++i) {
        const TVornDependItem *it = list.Items(i);
        QCOMPARE(it->Kind, want[i].kind);
        QCOMPARE(it->Id, want[i].id);
        QCOMPARE(it->Level, want[i].level);
        QCOMPARE(int(it->Mode), int(want[i].mode));
        QCOMPARE(it->Marked, want[i].marked);
    }
    QCOMPARE(list.Items(0)->Name, rootKind == vokQuery ? QString("A") : QString("Запрос д'Артаньяна"));
    // Parameters never toggle by themselves; a query still used elsewhere never does.
    QVERIFY(!list.Toggle(list.Count() - 1));
    QCOMPARE(list.Items(0)->Marked, want[0].marked);
    if (scenario == "shared query")
        QVERIFY(!list.Toggle(0));
    if (scenario.startsWith("own query")) {
        QVERIFY(list.Toggle(0));
        QVERIFY(!list.Items(0)->Marked && !list.Items(1)->Marked && !list.Items(2)->Marked);
        QVERIFY(list.Toggle(0));
        QVERIFY(list.Items(0)->Marked && list.Items(1)->Marked && list.Items(2)->Marked);
    }

    // Through the dialog: the user's choice, then the deletion.
    const bool keepQuery = scenario == "own query kept";
    dialogs.steps << [&](QDialog *d) {
        auto *dlg = qobject_cast<TfrmVornDelDepends *>(d);
        if (!dlg)
            return int(QDialog::Rejected);
        if (dlg->windowTitle() != VornDeleteText(rootKind) + "\"" + rootName + "\"?")
            return int(QDialog::Rejected);
        if (keepQuery) {
            // Space in the "Удалить" column, as the user would.
            dlg->Grid()->setCurrentIndex(dlg->Grid()->model()->index(0, 0));
            QTest::keyClick(dlg->Grid(), Qt::Key_Space);
            if (dlg->List()->Items(1)->Marked)
                return int(QDialog::Rejected);
        }
        return int(scenario == "cancel" ? QDialog::Rejected : QDialog::Accepted);
    };
    const bool done = DeleteWithDependants(rootId, rootKind, rootName);
    QCOMPARE(dialogs.shown, 1);
    QVERIFY2(log.texts.isEmpty(), qPrintable(log.texts.join('\n')));
    const int queryLeft = count("select count(*) from VornQuery where Id=" + n(idQuery));
    const int paramsLeft = count("select count(*) from VornParam where IdQuery=" + n(idQuery));
    const int formLeft = count("select count(*) from VornForm where Id=" + n(idForm));
    const int linksLeft = count("select count(*) from VornFrm2Qry where IdForm=" + n(idForm));
    if (scenario == "cancel") {
        QVERIFY(!done);
        QCOMPARE(queryLeft + paramsLeft + formLeft + linksLeft, 1 + 2 + 1 + 1);
        return;
    }
    QVERIFY(done);
    if (rootKind == vokQuery) {
        QCOMPARE(queryLeft + paramsLeft, 0);
        QCOMPARE(linksLeft, 0);  // its link in the report goes with it
        QCOMPARE(formLeft, 1);
        return;
    }
    QCOMPARE(formLeft + linksLeft, 0);
    const bool queryStays = scenario == "shared query" || keepQuery;
    QCOMPARE(queryLeft, queryStays ? 1 : 0);
    QCOMPARE(paramsLeft, queryStays ? 2 : 0);
    if (scenario == "shared query")
        QCOMPARE(count("select count(*) from VornFrm2Qry where IdQuery=" + n(idQuery)), 1);
}

void TstTree::deletionRollsBack_data()
{
    drivers();
    QTest::newRow("sqlite") << "SQLITE";
    QTest::newRow("postgresql") << "POSTGRESQL";
}

void TstTree::deletionRollsBack()
{
    QFETCH(QString, driver);
    OPEN_OR_SKIP(driver, "director");
    const int idQuery = CatQueryAdd("Запрос", 0);
    CatParamAdd("A", idQuery, 0);
    CatParamAdd("B", idQuery, 0);
    const int idForm = CatFormAdd("Отчёт", idQuery);
    // The root goes last, after its query and parameters: make exactly that fail.
    if (driver == "SQLITE") {
        ExecSql("create trigger tst_keep_form before delete on VornForm begin select raise(abort, 'отчёт защищён'); end");
    } else {
        QVERIFY(pgExec(m_pgCopy, "create function tst_keep_form() returns trigger language plpgsql as "
                                 "$$ begin raise exception 'отчёт защищён'; end $$"));
        QVERIFY(pgExec(m_pgCopy, "create trigger tst_keep_form before delete on VornForm for each row execute function tst_keep_form()"));
    }
    auto snapshot = [&] {
        return QList<int>{count("select count(*) from VornQuery"), count("select count(*) from VornParam"),
                          count("select count(*) from VornFrm2Qry"), count("select count(*) from VornForm"),
                          count("select count(*) from VornGrpBody")};
    };
    const QList<int> before = snapshot();
    MessageLog log;
    DialogScript dialogs;
    dialogs.steps << [](QDialog *) { return int(QDialog::Accepted); };
    QVERIFY(!DeleteWithDependants(idForm, vokReport, "Отчёт"));
    QCOMPARE(log.texts.size(), 1);
    QVERIFY2(log.texts[0].contains("отчёт защищён"), qPrintable(log.texts[0]));
    QCOMPARE(snapshot(), before);
    QCOMPARE(count("select count(*) from VornParam where IdQuery=" + n(idQuery)), 2);
    QVERIFY(!Database::defaultDatabase()->inTransaction());
    // The connection is usable afterwards.
    ExecSql("update VornQuery set Name='после' where Id=" + n(idQuery));
    QCOMPARE(SelectValue("select Name from VornQuery where Id=" + n(idQuery)).toString(), QString("после"));
}

// ---------------------------------------------------------------- the window in the frame

void TstTree::openOnceWithPlacement()
{
    QVERIFY(open("SQLITE", "director"));
    MessageLog log;
    QMdiArea area;
    area.resize(900, 700);
    area.show();
    SetMdiArea(&area);
    auto countTrees = [&] {
        int c = 0;
        for (QMdiSubWindow *sub : area.subWindowList())
            c += qobject_cast<TfrmVornMain *>(sub->widget()) != nullptr;
        return c;
    };
    TMainWindowServices services;
    services.ShowCatalogue();
    services.ShowCatalogue();  // a second connect brings the same window forward
    QCOMPARE(countTrees(), 1);
    QMdiSubWindow *sub = area.subWindowList().first();
    sub->setGeometry(30, 40, 333, 444);
    sub->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(countTrees(), 0);
    services.ShowCatalogue();
    QCOMPARE(countTrees(), 1);
    QCOMPARE(area.subWindowList().first()->geometry(), QRect(30, 40, 333, 444));
    // maximised is remembered too, with the rectangle to go back to
    area.subWindowList().first()->showMaximized();
    area.subWindowList().first()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    services.ShowCatalogue();
    sub = area.subWindowList().first();
    QVERIFY(sub->isMaximized());
    sub->showNormal();
    QCOMPARE(sub->geometry(), QRect(30, 40, 333, 444));
    for (QMdiSubWindow *s : area.subWindowList())
        delete s;
    SetMdiArea(nullptr);
    QVERIFY(log.texts.isEmpty());
}

// ---------------------------------------------------------------- pictures

void TstTree::grabWindows()
{
    const QString dir = qEnvironmentVariable("VORN_BINARY_DIR", m_dir.path()) + "/tests/catalogue";
    QDir().mkpath(dir);
    for (const char *user : {"director", "ivanov"}) {
        QVERIFY(open("SQLITE", user));
        TfrmVornMain w;
        w.show();
        w.resize(520, 640);
        for (QTreeWidgetItemIterator it(w.Tree()); *it; ++it)
            if ((*it)->childCount() && static_cast<TVornTreeNode *>(*it)->Rec.Branch <= vnbReports &&
                static_cast<TVornTreeNode *>(*it)->Rec.Kind != vnkQueries)
                (*it)->setExpanded(QString(user) == "ivanov" || (*it)->parent() == nullptr);
        TVornTreeNode *r = node(w, vnkReport, vnbGroups, 1);
        r->setExpanded(true);
        for (TVornTreeNode *c : kidsOf(r))
            c->setExpanded(true);
        w.SelectNode(r);
        QVERIFY(w.grab().save(dir + "/tree_" + user + ".png"));
        close();
    }
    // The deletion dialog of a report with its own query.
    QVERIFY(open("SQLITE", "director"));
    const int idQuery = CatQueryAdd("Строки заказа", 0);
    CatParamAdd("A", idQuery, 0);
    CatParamAdd("B", idQuery, 0);
    const int idForm = CatFormAdd("Заказ", idQuery);
    CatFormAdd("Второй заказ", SelectValue("select min(Id) from VornQuery").toInt());
    ExecSql("insert into VornFrm2Qry (IdForm, Numm, IdQuery, QueryShortName, IsMaster) values (" + n(idForm) +
            ", 2, " + SelectValue("select min(Id) from VornQuery").toString() + ", 'Query2', 0)");
    auto *list = new TVornDependList(idForm, vokReport);
    list->Build();
    TfrmVornDelDepends dlg(list, "Заказ", vokReport, idForm);
    dlg.show();
    QVERIFY(dlg.grab().save(dir + "/deldep.png"));
}

QTEST_MAIN(TstTree)
#include "tst_tree.moc"
