// Result browser tests on the demo catalogue: one window per object, ownership of the
// lists, the parameter panel rule, tabs and navigator, reopen, failures, and the
// memo and image viewers with their debounce and zoom rules.
#include "../run/RunTestUtil.h"

#include "execution/ParamAskMe.h"
#include "execution/VornExport.h"
#include "execution/NFindDlg.h"
#include "execution/VornGridTools.h"
#include "shell/frVornGenAppMDIMain.h"
#include "execution/VornRun.h"
#include "execution/fVornBLOB1.h"
#include "execution/fVornBLOB2.h"
#include "execution/fVornQryBro.h"
#include "platform/core/CodePage.h"
#include "platform/data/DataSource.h"
#include "platform/data/Dataset.h"
#include "platform/widgets/DataGrid.h"
#include "platform/widgets/DataNavigator.h"
#include "platform/widgets/FieldEdits.h"

#include <QAction>
#include <QBuffer>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextEdit>
#include <QTreeWidget>
#include <QtTest>

using namespace runtest;

class TstBrowser : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QString file;
#ifdef VORN_TEST_PG
    const QString driver = "POSTGRESQL";
    std::unique_ptr<PgCatalogue> pg;
    const QString blobType = "bytea";
    const QString memoType = "text";
#else
    const QString memoType = "memo";  // SQLite's TEXT is a plain string column
    const QString driver = "SQLITE";
    const QString blobType = "blob";
#endif

    std::unique_ptr<Session> open(const QString &login)
    {
        auto s = std::make_unique<Session>(driver, file);
        s->db.close();
        s->db.params().setValue("USER NAME", login);
        s->db.params().setValue("PASSWORD", login);
        s->db.open();
        s->dm->IsAdmin(true);
        return s;
    }
    // Tables of the test's own: on PostgreSQL made by the superuser and opened to all.
    void ddl(const QString &table, const QString &columns)
    {
#ifdef VORN_TEST_PG
        {
            QSqlDatabase db = pgAdmin("ddl", file);
            QVERIFY(db.open());
            QSqlQuery q(db);
            q.exec("drop table if exists " + table);
            QVERIFY2(q.exec("create table " + table + " (" + columns + ")"), qPrintable(q.lastError().text()));
            QVERIFY(q.exec("grant all on " + table + " to public"));
            db.close();
        }
        QSqlDatabase::removeDatabase("ddl");
#else
        ExecSql("drop table if exists " + table);
        ExecSql("create table " + table + " (" + columns + ")");
#endif
    }
    static int idOf(const QString &table, const QString &name)
    {
        return SelectValue("select Id from " + table + " where Name = " + QuotedSql(name)).toInt();
    }
    static TfrmVornQueryBro *show(int id, int kind, const QString &caption, TParamAskMeList *params = nullptr)
    {
        ShowQueryBrowser(id, kind, caption, BuildQueryList(id, kind), params ? params : new TParamAskMeList, true);
        return qobject_cast<TfrmVornQueryBro *>(FindQueryBrowser(id, kind));
    }
    static void closeAll()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    static std::unique_ptr<TQueryList> oneQuery(const QString &sql, const QString &shortName = "Query1")
    {
        auto list = std::make_unique<TQueryList>();
        auto it = std::make_unique<TQueryListItem>();
        it->Name = "Своя выборка";
        it->QueryShortName = shortName;
        it->SQLtext = sql;
        list->Add(std::move(it));
        return list;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
#ifdef VORN_TEST_PG
        if (!pgAvailable())
            QSKIP("no PostgreSQL test cluster");
        pg = std::make_unique<PgCatalogue>();
        QCOMPARE(pg->error, QString());
        file = pg->name;
#else
        file = dir.filePath("catalogue.db");
        QCOMPARE(createSqliteCatalogue(file), QString());
#endif
    }
    void cleanup() { closeAll(); }

    void panelHeight_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("height");
        QTest::newRow("header and one") << 2 << 46;
        QTest::newRow("five") << 5 << 97;
        QTest::newRow("more than five") << 9 << 97;
    }
    void panelHeight()
    {
        QFETCH(int, rows);
        QFETCH(int, height);
        QCOMPARE(TfrmVornQueryBro::ParamPanelHeight(rows, 17), height);
    }

    void paramPanel_data()
    {
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("query");
        QTest::addColumn<int>("rows");  // -1: no panel
        QTest::newRow("administrator, lookup, dates, password") << "director" << "Накладные клиента" << 5;
        QTest::newRow("administrator, no parameters") << "director" << "Справочник клиентов" << -1;
        QTest::newRow("user") << "ivanov" << "Накладные клиента" << -1;
    }
    void paramPanel()
    {
        QFETCH(QString, login);
        QFETCH(QString, query);
        QFETCH(int, rows);
        auto session = open(login);
        const int id = idOf("VornQuery", query);
        auto *params = new TParamAskMeList(nullptr, id, okQuery);
        if (TParamAskMe *c = params->FindOrNull("Client")) {
            c->Value = qint64(1);
            c->ValueKind = vkInteger;
            c->Lookup->DisplayText = "ООО Первый";
        }
        if (params->Count() > 0)
            params->Add("Pwd", "Пароль", ptPassword)->Value = QString("тайна");
        TfrmVornQueryBro *b = show(id, okQuery, query, params);
        QVERIFY(b);
        QCOMPARE(b->windowTitle(), "Результаты запроса \"" + query + "\"");
        if (rows < 0) {
            QVERIFY(!b->ParamPanel());
            return;
        }
        QTableWidget *panel = b->ParamPanel();
        QVERIFY(panel);
        QCOMPARE(panel->rowCount(), rows);
        QCOMPARE(panel->horizontalHeaderItem(0)->text(), QString("Параметр"));
        QCOMPARE(panel->horizontalHeaderItem(1)->text(), QString("Значение"));
        QCOMPARE(panel->item(0, 0)->text(), QString("Клиент"));
        QCOMPARE(panel->item(0, 1)->text(), QString("1"));
        QCOMPARE(panel->item(1, 0)->text(), QString());
        QCOMPARE(panel->item(1, 1)->text(), QString("ООО Первый"));
        QCOMPARE(panel->item(2, 0)->text(), QString("С даты"));
        QCOMPARE(panel->item(rows - 1, 0)->text(), QString("Пароль"));
        QCOMPARE(panel->item(rows - 1, 1)->text(), QString("*****"));  // masked as in the prompt
        QCOMPARE(panel->property("vornPanelHeight").toInt(), TfrmVornQueryBro::ParamPanelHeight(rows + 1, 17));
        QCOMPARE(panel->columnWidth(0), 220);
        QCOMPARE(panel->columnWidth(1), 298);
    }

    void oneWindowPerObject()
    {
        auto session = open("director");
        const int id = idOf("VornQuery", "Справочник клиентов");
        QPointer<TfrmVornQueryBro> b = show(id, okQuery, "Справочник клиентов");
        QVERIFY(b);
        TQueryList *lists = b->Queries();
        vorn::DataGrid *grid = b->findChild<vorn::DataGrid *>("DBgrid_Query1");
        QVERIFY(grid);
        QVERIFY(grid->dataset() && grid->dataset()->recordCount() > 0);
        for (int c = 0; c < grid->horizontalHeader()->count(); ++c)
            QVERIFY(grid->horizontalHeader()->sectionSize(c) <= 100);
        QCOMPARE(b->Navigator()->dataSource(), grid->dataSource());
        // again: the same window, the new lists are not taken
        show(id, okQuery, "Справочник клиентов");
        int browsers = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            browsers += qobject_cast<TfrmVornQueryBro *>(w) != nullptr;
        QCOMPARE(browsers, 1);
        QCOMPARE(b->Queries(), lists);
        // the same id as a report is another object
        QVERIFY(FindQueryBrowser(id, okReport) == nullptr);
        b->close();
        QVERIFY(FindQueryBrowser(id, okQuery) == nullptr);  // closed, not yet deleted
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(b.isNull());
    }

    void tabsAndNavigator()
    {
        auto session = open("director");
        const int id = idOf("VornForm", "Накладные клиента с составом");
        auto *params = new TParamAskMeList(nullptr, id, okReport);
        if (TParamAskMe *c = params->FindOrNull("Client")) {
            c->Value = qint64(1);
            c->ValueKind = vkInteger;
        }
        TfrmVornQueryBro *b = show(id, okReport, "Накладные клиента с составом", params);
        QVERIFY(b);
        QCOMPARE(b->Tabs()->count(), 2);
        QCOMPARE(b->Tabs()->tabText(0), QString("Накладные клиента"));
        QVERIFY(b->findChild<vorn::DataGrid *>("DBgrid_Query2"));
        b->Tabs()->setCurrentIndex(1);
        QCOMPARE(b->Navigator()->dataSource(), b->Grid(1)->dataSource());
        QCOMPARE(b->CurrentDataSet()->objectName(), QString("Query2"));
        b->Tabs()->setCurrentIndex(0);
        QCOMPARE(b->Navigator()->dataSource(), b->Grid(0)->dataSource());
    }

    // The demo's money columns (numeric(12,2), a numeric(12,3) quantity) and an
    // expression over them as the grid shows them: two places and grouping, a
    // further place when the value has one.
    void moneyColumnsInGrid()
    {
        auto session = open("director");
        ddl("MoneyCols", "Id integer primary key, Price numeric(12,2), Qty numeric(12,3), Rate real");
        ExecSql("insert into MoneyCols values (1, 948.6, 1330.272, 0.5), (2, 88, 2, 1.25), (3, 1234567.5, 0.5, 3)");
        auto *b = new TfrmVornQueryBro(78, okQuery, "Суммы", oneQuery("select Price, Qty, Rate, Price * Qty as Amount, Price + 0.1 + 0.2 as Noisy "
                                                                "from MoneyCols order by Id"),
                                       new TParamAskMeList, true);
        b->OpenData();
        vorn::DataGrid *grid = b->findChild<vorn::DataGrid *>("DBgrid_Query1");
        QVERIFY(grid);
        QAbstractItemModel *m = grid->model();
        auto cell = [m](int r, int c) { return m->data(m->index(r, c), Qt::DisplayRole).toString(); };
        const QString nb = QLocale().groupSeparator();
        QCOMPARE(QStringList({cell(0, 0), cell(1, 0), cell(2, 0)}),
                 QStringList({"948,60", "88,00", "1" + nb + "234" + nb + "567,50"}));
        QCOMPARE(QStringList({cell(0, 1), cell(1, 1), cell(2, 1)}),
                 QStringList({"1" + nb + "330,272", "2,00", "0,50"}));
        QCOMPARE(QStringList({cell(0, 2), cell(1, 2), cell(2, 2)}), QStringList({"0,5", "1,25", "3"}));
        // an expression over them: SQLite declares no type for it, the server does
        QCOMPARE(QStringList({cell(0, 3), cell(1, 3), cell(2, 3)}),
                 QStringList({"1" + nb + "261" + nb + "896,0192", "176,00", "617" + nb + "283,75"}));
        // SQLite adds REALs in binary (948.9000000000001); the column still reads as money
        QCOMPARE(QStringList({cell(0, 4), cell(1, 4), cell(2, 4)}),
                 QStringList({"948,90", "88,30", "1" + nb + "234" + nb + "567,80"}));
        delete b;
    }

    // A header click sorts by that column, a second one the other way round; the current
    // row stays current; labels are wrapped between words, never cut inside one.
    void headerSortAndLabels()
    {
        auto session = open("director");
        ddl("Marks", "Id integer primary key, Name varchar(40), Score integer");
        ExecSql("insert into Marks values (1, 'Борисов', 7)");
        ExecSql("insert into Marks values (2, 'Андреев', 9)");
        ExecSql("insert into Marks values (3, 'Васильев', 8)");
        auto *b = new TfrmVornQueryBro(79, okQuery, "Оценки",
                                       oneQuery("select Id, Name as \"Фамилия\", Score as \"Оценка за контрольную работу\" from Marks order by Id"),
                                       new TParamAskMeList, true);
        b->resize(700, 400);
        b->show();
        b->OpenData();
        vorn::DataGrid *grid = b->Grid(0);
        vorn::Dataset *ds = grid->dataset();
        QHeaderView *h = grid->horizontalHeader();
        auto column = [ds](int field) {
            QStringList l;
            for (int r = 0; r < ds->recordCount(); ++r)
                l << ds->valueAt(r, field).toString();
            return l;
        };
        ds->setRecNo(3);  // Васильев
        auto clickHeader = [h](int section) {
            QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(h->sectionViewportPosition(section) + h->sectionSize(section) / 2, h->height() / 2));
        };
        clickHeader(2);
        QCOMPARE(column(2), QStringList({"7", "8", "9"}));
        QCOMPARE(h->sortIndicatorSection(), 2);
        QCOMPARE(h->sortIndicatorOrder(), Qt::AscendingOrder);
        QCOMPARE(ds->fieldByName("Id")->value().toInt(), 3);  // still the same row
        clickHeader(2);
        QCOMPARE(column(2), QStringList({"9", "8", "7"}));
        QCOMPARE(h->sortIndicatorOrder(), Qt::DescendingOrder);
        clickHeader(1);
        QCOMPARE(column(1), QStringList({"Андреев", "Борисов", "Васильев"}));
        QCOMPARE(h->sortIndicatorSection(), 1);
        // reopening gives the statement's order back
        b->Reopen();
        QCOMPARE(column(0), QStringList({"1", "2", "3"}));
        QCOMPARE(h->sortIndicatorSection(), -1);
        // the long label: every word fits its column, the header grows to more lines
        const QFontMetrics fm = h->fontMetrics();
        QVERIFY(h->sectionSize(2) <= 100 || h->sectionSize(2) == grid->headerWordWidth(2));
        QVERIFY(h->sectionSize(2) >= fm.horizontalAdvance("контрольную"));
        QVERIFY(h->height() >= 2 * fm.height());
        QVERIFY(grid->grab().save(qEnvironmentVariable("VORN_BINARY_DIR", ".") + "/browser-header.png"));
        delete b;
    }

    void reopenRunsAgain()
    {
        auto session = open("director");
        ddl("Notes", "Id integer primary key, Txt text");
        ExecSql("insert into Notes values (1, 'один')");
        auto *b = new TfrmVornQueryBro(77, okQuery, "Заметки", oneQuery("select Id, Txt from Notes order by Id"),
                                       new TParamAskMeList, true);
        b->OpenData();
        vorn::Dataset *ds = b->CurrentDataSet();
        QCOMPARE(ds->recordCount(), 1);
        ExecSql("insert into Notes values (2, 'два')");
        b->Reopen();
        QCOMPARE(b->CurrentDataSet(), ds);  // the same dataset, queried again
        QCOMPARE(ds->recordCount(), 2);
        delete b;
    }

    void openErrorShowsNoWindow()
    {
        auto session = open("director");
        bool raised = false;
        try {
            ShowQueryBrowser(78, okQuery, "Ошибка", oneQuery("select * from NoSuchTable"), new TParamAskMeList, true);
        } catch (const std::exception &) {
            raised = true;
        }
        QVERIFY(raised);
        QVERIFY(FindQueryBrowser(78, okQuery) == nullptr);
    }

    void memoViewerFollowsRow()
    {
        auto session = open("director");
        ddl("Notes", "Id integer primary key, Txt " + memoType);
        ExecSql("insert into Notes values (1, 'первая заметка')");
        ExecSql("insert into Notes values (2, '{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 жирная\\par строка}')");
        QPointer<TfrmVornQueryBro> b = new TfrmVornQueryBro(79, okQuery, "Заметки", oneQuery("select Id, Txt, Id = 1 as Flag from Notes order by Id"),
                                                            new TParamAskMeList, true);
        b->OpenData();
        b->resize(500, 200);
        b->show();
        QVERIFY(QTest::qWaitForWindowExposed(b));
        vorn::DataSource *src = b->CurrentDataSource();
        // a click on a memo cell opens the viewer of that field (PostgreSQL's text
        // columns are plain strings to the dataset layer)
        if (b->CurrentDataSet()->findField("Txt")->dataType() == vorn::ftMemo) {
            vorn::DataGrid *grid = b->Grid(0);
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(0, 1)).center());
            QCOMPARE(b->Viewers().size(), 1);
            QVERIFY(grid->grab().save(qEnvironmentVariable("VORN_BINARY_DIR") + "/tst_browser_cells.png"));
        }
        QPointer<TfrmVornBLOBtxt> v = ShowBlobText(b, "Txt", src);
        QCOMPARE(v->windowTitle(), QString("Поле :Txt"));
        QCOMPARE(v->Text()->toPlainText(), QString("первая заметка"));
        QCOMPARE(ShowBlobText(b, "Txt", src), v.data());
        src->dataset()->next();
        QVERIFY(v->Text()->toPlainText().startsWith("{\\rtf1"));
        v->RichText()->setChecked(true);
        QCOMPARE(v->Text()->toPlainText(), QString("жирная\nстрока"));
        delete b;
        QVERIFY(v.isNull());  // closed with its browser
    }

    void imageViewer()
    {
        auto session = open("director");
        ddl("Pics", "Id integer primary key, Photo " + blobType);
        auto encoded = [](const char *format, QSize size) {
            QImage img(size, QImage::Format_RGB32);
            img.fill(Qt::darkGreen);
            QByteArray bytes;
            QBuffer buf(&bytes);
            buf.open(QIODevice::WriteOnly);
            img.save(&buf, format);
            return bytes;
        };
        for (int i = 1; i <= 13; ++i) {
            vorn::ParamList p;
            p.add(vorn::Param("P")).setAsBlob(i == 13 ? QByteArray("\x00\x01\x02\x03", 4)
                                                      : encoded(i == 1 ? "JPEG" : "PNG", QSize(300, 150)));
            vorn::Database::defaultDatabase()->execute(QString("insert into Pics values (%1, :P)").arg(i), p);
        }
        QPointer<TfrmVornQueryBro> b = new TfrmVornQueryBro(80, okQuery, "Картинки", oneQuery("select Id, Photo from Pics order by Id"),
                                                            new TParamAskMeList, true);
        b->OpenData();
        vorn::DataSource *src = b->CurrentDataSource();
        TfrmVornBLOBimage *v = ShowBlobImage(b, "Photo", src);
        QCOMPARE(v->windowTitle(), QString("Поле :Photo"));
        QCOMPARE(v->LoadCount(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(v->LoadCount(), 1, 2000);   // 300 ms after opening
        QCOMPARE(v->Picture().size(), QSize(300, 150));      // JPEG
        // ten quick moves load the picture once, after the last one
        for (int i = 0; i < 10; ++i) {
            src->dataset()->next();
            QTest::qWait(10);
        }
        QCOMPARE(v->LoadCount(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(v->LoadCount(), 2, 2000);
        QTest::qWait(400);
        QCOMPARE(v->LoadCount(), 2);
        QCOMPARE(v->Picture().size(), QSize(300, 150));      // PNG through the general reader
        v->resize(420, 260);
        v->show();
        QVERIFY(v->grab().save(qEnvironmentVariable("VORN_BINARY_DIR") + "/tst_browser_image.png"));
        // zoom: natural, presets, spin, ignored zero
        QCOMPARE(v->PictureBox()->size(), QSize(300, 150));
        v->ChoosePreset(50);
        QCOMPARE(v->Fit(), TfrmVornBLOBimage::FitNone);
        QCOMPARE(v->PictureBox()->size(), QSize(150, 75));
        v->Spin(5);
        QCOMPARE(v->Zoom(), 55);
        QCOMPARE(v->PictureBox()->size(), QSize(165, 83));
        v->SetZoom(0);
        QCOMPARE(v->Zoom(), 55);
        v->SetFitMode(TfrmVornBLOBimage::FitWidth);
        const int area = v->ScrollArea()->width();
        QVERIFY(v->Zoom() != 55 || area == 0);
        // bytes that are no picture leave the box empty
        src->dataset()->last();
        v->LoadPicture();
        QVERIFY(v->Picture().isNull());
        delete b;
    }

    void fitZoom_data()
    {
        QTest::addColumn<int>("area");
        QTest::addColumn<int>("bar");
        QTest::addColumn<int>("picture");
        QTest::addColumn<int>("zoom");
        QTest::newRow("600 over 300 gives 199") << 624 << 20 << 300 << 199;
        QTest::newRow("smaller area") << 304 << 0 << 600 << 49;
        QTest::newRow("no picture keeps the zoom") << 500 << 17 << 0 << 100;
    }
    void fitZoom()
    {
        QFETCH(int, area);
        QFETCH(int, bar);
        QFETCH(int, picture);
        QFETCH(int, zoom);
        QCOMPARE(TfrmVornBLOBimage::FitWidthZoom(area, bar, picture, 100), zoom);
        // whole picture: the smaller of both directions
        QCOMPARE(TfrmVornBLOBimage::FitWholeZoom(624, 20, 324, 20, QSize(300, 300), 100), 99);
    }

    // The main window's "Данные" items act on the grid that has the focus.
    void menuActsOnFocusedGrid()
    {
        auto session = open("director");
        struct Quiet : TMainWindowServices {};
        TfrmVornGenAppMDImain main(std::make_unique<Quiet>());
        InstallDataCommands();
        main.resize(1000, 700);
        main.show();
        const int id = idOf("VornQuery", "Справочник клиентов");
        TfrmVornQueryBro *b = show(id, okQuery, "Справочник клиентов");
        QVERIFY(b && qobject_cast<QMdiSubWindow *>(b->parentWidget()));
        QApplication::setActiveWindow(&main);
        vorn::DataGrid *grid = b->Grid(0);
        grid->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), grid);
        grid->setSelectedField("CreditLimit");
        const QString name = grid->dataset()->findField("CreditLimit")->fieldName();  // lower case on PostgreSQL
        MessageLog log;
        main.Action("mnSumColumn")->trigger();
        QCOMPARE(log.texts.size(), 1);
        QVERIFY2(log.texts[0].startsWith("Сумма поля " + name + " [" + name + "] = "), qPrintable(log.texts[0]));
        QVERIFY(log.texts[0].endsWith(QString("В сетке %1 строк").arg(grid->dataset()->recordCount())));
        // export from the menu: the focused grid's dataset only
        QString opened;
        auto prev = SetExcelFileOpener([&](const QString &f, const TOpenFailed &) { opened = f; });
        main.Action("mnExportExcel")->trigger();
        SetExcelFileOpener(prev);
        QVERIFY(QFileInfo::exists(opened));
        QFile::remove(opened);
        // nothing focused that is data-aware: the find item does nothing
        main.setFocus();
        DialogScript dialogs;
        main.Action("mnFind")->trigger();
        QVERIFY(dialogs.shown.isEmpty());
        grid->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), grid);
        main.Action("mnFind")->trigger();
        QCOMPARE(dialogs.shown, QStringList{"dlgnFind"});
        main.Action("mnSort")->trigger();
        QCOMPARE(dialogs.shown.last(), QString("dlgOrder"));
        main.Action("mnFilter")->trigger();
        QCOMPARE(dialogs.shown.last(), QString("dlgFilter"));
        // a data-bound edit: find on its field, no filter
        auto *edit = new vorn::FieldLineEdit(b);
        edit->setDataSource(grid->dataSource());
        edit->setFieldName("Name");
        edit->show();
        edit->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), edit);
        QString fieldSeen;
        dialogs.handlers["dlgnFind"] = [&](QDialog *d) {
            fieldSeen = static_cast<TdlgnFind *>(d)->FieldName();
            return int(QDialog::Rejected);
        };
        const int before = dialogs.shown.size();
        main.Action("mnFind")->trigger();
        QCOMPARE(fieldSeen, grid->dataset()->findField("Name")->fieldName());
        main.Action("mnFilter")->trigger();
        QCOMPARE(dialogs.shown.size(), before + 1);
        SetMdiArea(nullptr);
    }

    // A result window opened while the main window is not active (the prompt has just
    // closed) is the active child on top once the main window is active again, not the
    // child that had the focus before; so is one brought forward.
    void newWindowOnTop()
    {
        auto session = open("director");
        struct Quiet : TMainWindowServices {};
        TfrmVornGenAppMDImain main(std::make_unique<Quiet>());
        main.resize(1000, 700);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        auto *tree = new QTreeWidget;
        tree->setObjectName("catalogue");
        ShowMdiChild(tree);
        QApplication::setActiveWindow(&main);
        tree->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(tree));
        QWidget prompt;  // stands for the dialog that just closed
        prompt.show();
        QApplication::setActiveWindow(&prompt);
        QTRY_VERIFY(!main.isActiveWindow());
        const int id = idOf("VornQuery", "Справочник клиентов");
        TfrmVornQueryBro *b = show(id, okQuery, "Справочник клиентов");
        prompt.hide();
        QApplication::setActiveWindow(&main);
        QTRY_VERIFY(main.isActiveWindow());
        QMdiArea *area = main.Mdi();
        QCOMPARE(area->activeSubWindow(), b->parentWidget());
        QCOMPARE(area->subWindowList(QMdiArea::StackingOrder).last(), b->parentWidget());
        QVERIFY(b->isAncestorOf(QApplication::focusWidget()));
        // the size it asked for, inside the sub-window's frame
        QCOMPARE(b->size(), QSize(760, 480));
        // brought forward the same way
        tree->setFocus();
        QTRY_VERIFY(area->activeSubWindow() != b->parentWidget());
        QApplication::setActiveWindow(&prompt);
        QTRY_VERIFY(!main.isActiveWindow());
        show(id, okQuery, "Справочник клиентов");
        QApplication::setActiveWindow(&main);
        QTRY_VERIFY(main.isActiveWindow());
        QCOMPARE(area->activeSubWindow(), b->parentWidget());
        SetMdiArea(nullptr);
    }

    // The browser's dataset through both exports, with the driver's own column types.
    void exportsOfBrowserData()
    {
        auto session = open("director");
        const int id = idOf("VornQuery", "Справочник клиентов");
        TfrmVornQueryBro *b = show(id, okQuery, "Справочник клиентов");
        vorn::Dataset *ds = b->CurrentDataSet();
        const int n = ds->recordCount();
        vorn::Field *limit = ds->findField("CreditLimit");
        QVERIFY(limit && vorn::fieldtype::isFloat(limit->dataType()));
        const QString xlsx = dir.filePath("browser.xlsx");
        ExportDataSetsToExcel({ds}, xlsx);
        QProcess py;
        py.start("python3", {qEnvironmentVariable("VORN_SOURCE_DIR") + "/tests/execution/grids/xlsx_dump.py", xlsx});
        QVERIFY(py.waitForFinished(60000));
        const QJsonObject sheet = QJsonDocument::fromJson(py.readAllStandardOutput())
                                      .object()["sheets"].toArray()[0].toObject();
        QCOMPARE(sheet["name"].toString(), QString("Query1"));
        // Id is a secondary column (no Cyrillic captions: its name starts with "id"): last
        const QJsonObject cells = sheet["cells"].toObject();
        QString lastHeader, limitCol;
        for (int c = 1; c <= ds->fieldCount(); ++c) {
            const QString h = cells[ExcelCellAddress(1, c).toUpper()].toObject()["v"].toString();
            if (!h.isEmpty())
                lastHeader = h;
            if (h.compare("CreditLimit", Qt::CaseInsensitive) == 0)
                limitCol = ExcelColumnName(c);
        }
        QCOMPARE(lastHeader.toLower(), QString("id"));
        QVERIFY(!limitCol.isEmpty());
        const QJsonObject total = cells[(limitCol + QString::number(n + 3)).toUpper()].toObject();
        QCOMPARE(total["f"].toString(), QString("sum(%1:%2)").arg(limitCol + "2", limitCol + QString::number(n + 1)));
        double sum = 0;
        for (int r = 0; r < n; ++r)
            sum += ds->valueAt(r, limit->index()).toDouble();
        QCOMPARE(total["v"].toString().toDouble(), sum);
        // text: one line per record after the header and its rule, then the count
        DialogScript dialogs;
        const QString txt = dir.filePath("browser.txt");
        dialogs.handlers["dlgSaveText"] = [&](QDialog *d) {
            static_cast<QFileDialog *>(d)->selectFile(txt);
            d->accept();
            return int(QDialog::Accepted);
        };
        b->findChild<QAction *>("actnTextFile")->trigger();
        QFile f(txt);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QCOMPARE(lines.size(), n + 4);  // header, rule, records, count, and the empty tail
        QVERIFY(lines[0].endsWith('\r'));
        QCOMPARE(vorn::codepage::fromCp1251(lines[n + 2]).trimmed(), QString("Количество записей :%1").arg(n));
    }

    void screenshot()
    {
        auto session = open("director");
        const int id = idOf("VornQuery", "Накладные клиента");
        auto *params = new TParamAskMeList(nullptr, id, okQuery);
        if (TParamAskMe *c = params->FindOrNull("Client")) {
            c->Value = qint64(1);
            c->ValueKind = vkInteger;
            c->Lookup->DisplayText = "ООО Первый";
        }
        params->Find("DateFrom")->Value = QDate(2000, 1, 1);
        params->Find("DateTo")->Value = QDate(2030, 1, 1);
        TfrmVornQueryBro *b = show(id, okQuery, "Накладные клиента", params);
        b->resize(900, 500);
        b->show();
        QCoreApplication::processEvents();
        QVERIFY(b->grab().save(qEnvironmentVariable("VORN_BINARY_DIR") + "/tst_browser.png"));
    }
};

QTEST_MAIN(TstBrowser)
#include "tst_browser.moc"
