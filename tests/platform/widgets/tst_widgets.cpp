// Data-aware widgets over a memory table: grid and cursor in step both ways, the cell
// painter hook, column layouts through the settings store, the navigator's subset and
// hook, the field editors writing into the dataset, and window placement.
#include "platform/core/SettingsStore.h"
#include "platform/data/DataSource.h"
#include "platform/data/MemoryTable.h"
#include "platform/widgets/DataGrid.h"
#include "platform/widgets/DataNavigator.h"
#include "platform/widgets/DatasetModel.h"
#include "platform/widgets/FieldEdits.h"
#include "platform/widgets/WindowPlacement.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace vorn;

class TestWidgets : public QObject
{
    Q_OBJECT
    std::unique_ptr<MemoryTable> m_t;
    std::unique_ptr<DataSource> m_ds;

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }

    void init()
    {
        m_t = std::make_unique<MemoryTable>();
        m_t->addFieldDef("Id", ftInteger);
        m_t->addFieldDef("Name", ftString, 20);
        m_t->addFieldDef("Sum", ftFloat);
        m_t->addFieldDef("On", ftBoolean);
        m_t->addFieldDef("D", ftDate);
        m_t->createTable();
        m_t->appendRecord({1, "один", 1234.5, true, QDate(2024, 5, 1)});
        m_t->appendRecord({2, "два", 2.0, false, QVariant()});
        m_t->appendRecord({3, "три", QVariant(), true, QDate(2024, 5, 3)});
        m_t->first();
        m_ds = std::make_unique<DataSource>(m_t.get());
    }

    void gridFollowsCursorBothWays()
    {
        DataGrid grid;
        grid.setDataSource(m_ds.get());
        grid.resize(400, 200);
        grid.show();
        QCOMPARE(grid.model()->rowCount(), 3);
        QCOMPARE(grid.model()->headerData(1, Qt::Horizontal).toString(), QString("Name"));
        QCOMPARE(grid.model()->index(0, 2).data().toString(), QString("1234,5"));
        m_t->last();
        QCOMPARE(grid.currentIndex().row(), 2);
        grid.setCurrentIndex(grid.model()->index(1, 1));
        QCOMPARE(m_t->fieldByName("Id")->asInteger(), 2);
        QCOMPARE(grid.selectedField()->fieldName(), QString("Name"));
        // inserting shows the new row where the cursor was
        m_t->insert();
        QCOMPARE(grid.model()->rowCount(), 4);
        m_t->fieldByName("Name")->setValue("новая");
        QCOMPARE(grid.model()->index(1, 1).data().toString(), QString("новая"));
        m_t->cancel();
        QCOMPARE(grid.model()->rowCount(), 3);
        // editing a cell edits the current row of the dataset
        QVERIFY(grid.model()->setData(grid.model()->index(2, 1), "ТРИ"));
        QCOMPARE(m_t->state(), DatasetState::Edit);
        m_t->post();
        QCOMPARE(m_t->fieldByName("Name")->asString(), QString("ТРИ"));
    }

    void cellPainterHook()
    {
        DataGrid grid;
        grid.setDataSource(m_ds.get());
        QStringList painted;
        grid.setCellPainter([&](QPainter *, const QStyleOptionViewItem &, Field *f, const QModelIndex &) {
            painted << f->fieldName();
            return f->dataType() == ftBoolean;
        });
        grid.resize(500, 200);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        grid.viewport()->repaint();
        QVERIFY(painted.contains("On"));
        QVERIFY(painted.contains("Name"));
    }

    void layoutRoundTrip()
    {
        QTemporaryDir dir;
        SettingsStore store("tst_widgets", dir.path());
        {
            DataGrid grid;
            grid.setDataSource(m_ds.get());
            grid.horizontalHeader()->resizeSection(1, 177);
            grid.horizontalHeader()->moveSection(1, 3);  // Name to visual position 3
            grid.saveLayout(store, "TfrmTest\\DBgrid_q");
        }
        SettingsStore reread("tst_widgets", dir.path());
        DataGrid grid;
        grid.setDataSource(m_ds.get());
        grid.restoreLayout(reread, "TfrmTest\\DBgrid_q");
        QCOMPARE(grid.horizontalHeader()->sectionSize(1), 177);
        QCOMPARE(grid.horizontalHeader()->visualIndex(1), 3);
        QCOMPARE(grid.horizontalHeader()->logicalIndex(0), 0);
    }

    // Window placement: what is stored is what comes back, for top-level windows and
    // MDI sub-windows, maximised or not.
    void placementRoundTrip()
    {
        QTemporaryDir dir;
        SettingsStore store("tst_widgets", dir.path());
        {
            QWidget w;
            auto *p = new WindowPlacement(&w, &store, "TfrmTop");
            QVERIFY(!p->restore());  // nothing stored yet
            w.setGeometry(120, 130, 333, 222);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            w.showMaximized();
            QTRY_VERIFY(w.isMaximized());
        }  // destroyed while maximised
        QCOMPARE(store.readInteger("TfrmTop", "Left"), 120);
        QCOMPARE(store.readInteger("TfrmTop", "Top"), 130);
        QCOMPARE(store.readInteger("TfrmTop", "Width"), 333);
        QCOMPARE(store.readInteger("TfrmTop", "Height"), 222);
        QVERIFY(store.readBool("TfrmTop", "Maximized"));
        {
            QWidget w;
            auto *p = new WindowPlacement(&w, &store, "TfrmTop");
            QVERIFY(p->restore());
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QVERIFY(w.isMaximized());
            w.showNormal();
            QTRY_COMPARE(w.geometry(), QRect(120, 130, 333, 222));
            w.setGeometry(QRect(QPoint(140, 150), w.size()));  // moved by the user, then closed
            QTRY_COMPARE(w.geometry().topLeft(), QPoint(140, 150));
            w.close();
        }
        QCOMPARE(store.readInteger("TfrmTop", "Left"), 140);
        QVERIFY(!store.readBool("TfrmTop", "Maximized"));

        // an MDI sub-window: the normal rectangle survives maximising
        QMdiArea area;
        area.resize(900, 700);
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        QMdiSubWindow *sub = area.addSubWindow(new QLabel("каталог"));
        sub->setAttribute(Qt::WA_DeleteOnClose);
        new WindowPlacement(sub, &store, "TfrmSub");
        sub->setGeometry(30, 40, 333, 444);
        sub->show();
        sub->showMaximized();
        QVERIFY(sub->isMaximized());
        sub->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(store.readBool("TfrmSub", "Maximized"));
        sub = area.addSubWindow(new QLabel("каталог"));
        auto *p = new WindowPlacement(sub, &store, "TfrmSub");
        sub->show();
        QVERIFY(p->restore());
        QVERIFY(sub->isMaximized());
        sub->showNormal();
        QCOMPARE(sub->geometry(), QRect(30, 40, 333, 444));

        // position only: a dialog keeps the size it gives itself
        store.writeInteger("TfrmDlg", "Left", 200);
        store.writeInteger("TfrmDlg", "Top", 210);
        QWidget dlg;
        dlg.setMinimumSize(150, 90);
        auto *d = new WindowPlacement(&dlg, &store, "TfrmDlg", WindowPlacement::Position);
        QVERIFY(d->restore());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(dlg.geometry().topLeft(), QPoint(200, 210));
        QVERIFY(dlg.width() >= 150);
        QVERIFY(!store.valueExists("TfrmDlg", "Width"));
        // a position on no screen is not taken
        store.writeInteger("TfrmGone", "Left", -5000);
        store.writeInteger("TfrmGone", "Top", -5000);
        QWidget gone;
        auto *g = new WindowPlacement(&gone, &store, "TfrmGone", WindowPlacement::Position);
        g->restore();
        QVERIFY(gone.geometry().left() > -5000);
    }

    void navigatorSubsetAndHook()
    {
        DataNavigator nav;
        nav.setDataSource(m_ds.get());
        nav.setVisibleButtons(DataNavigator::First | DataNavigator::Next | DataNavigator::Post);
        nav.show();
        QVERIFY(nav.button(DataNavigator::Next)->isVisible());
        QVERIFY(!nav.button(DataNavigator::Delete)->isVisible());
        QVERIFY(!nav.button(DataNavigator::First)->isEnabled());  // at the first row
        QVERIFY(!nav.button(DataNavigator::Post)->isEnabled());
        nav.button(DataNavigator::Next)->click();
        QCOMPARE(m_t->recNo(), 2);
        QVERIFY(nav.button(DataNavigator::First)->isEnabled());
        QList<DataNavigator::Button> asked;
        nav.setBeforeAction([&](DataNavigator::Button b) {
            asked << b;
            return b != DataNavigator::Next;  // the program moves by itself
        });
        nav.click(DataNavigator::Next);
        QCOMPARE(m_t->recNo(), 2);
        nav.click(DataNavigator::Delete);
        QCOMPARE(m_t->recordCount(), 2);
        QCOMPARE(asked, (QList<DataNavigator::Button>{DataNavigator::Next, DataNavigator::Delete}));
        m_t->edit();
        QVERIFY(nav.button(DataNavigator::Post)->isEnabled());
    }

    void fieldEditors()
    {
        FieldLineEdit name;
        name.setDataSource(m_ds.get());
        name.setFieldName("Name");
        QCOMPARE(name.text(), QString("один"));
        QCOMPARE(name.maxLength(), 20);
        name.setFocus();
        QTest::keyClicks(&name, "!");
        QCOMPARE(m_t->state(), DatasetState::Edit);
        QCOMPARE(m_t->fieldByName("Name")->asString(), QString("один!"));
        m_t->post();

        FieldNumberEdit sum;
        sum.setDataSource(m_ds.get());
        sum.setFieldName("Sum");
        sum.setDisplayFormat("#,##0.00");
        QCOMPARE(sum.text(), QString("1\u00a0234,50"));
        sum.setText("12,25");
        sum.setModified(true);
        Q_EMIT sum.editingFinished();
        QCOMPARE(m_t->fieldByName("Sum")->asFloat(), 12.25);
        sum.setText("abc");
        sum.setModified(true);
        QSignalSpy errors(&sum, &FieldNumberEdit::dataError);
        Q_EMIT sum.editingFinished();
        QCOMPARE(errors.count(), 1);
        QCOMPARE(m_t->fieldByName("Sum")->asFloat(), 12.25);
        m_t->post();
        // stored as typed or refused: no digit cut, no integer wrapped or rounded
        const struct { const char *field, *typed; QVariant stored; } numbers[] = {
            {"Sum", "12345678901234,56", 12345678901234.56},
            {"Sum", "922337203685477,58", QVariant()},
            {"Sum", "0,00005", 0.00005},
            {"Id", "2147483647", 2147483647},
            {"Id", "2147483648", QVariant()},
            {"Id", "2,5", QVariant()},
        };
        for (const auto &n : numbers) {
            FieldNumberEdit e;
            e.setDataSource(m_ds.get());
            e.setFieldName(n.field);
            const QVariant before = m_t->fieldByName(n.field)->value();
            QSignalSpy refused(&e, &FieldNumberEdit::dataError);
            e.setText(QString::fromUtf8(n.typed));
            e.setModified(true);
            Q_EMIT e.editingFinished();
            QCOMPARE(refused.count(), n.stored.isValid() ? 0 : 1);
            QCOMPARE(m_t->fieldByName(n.field)->value().toDouble(), (n.stored.isValid() ? n.stored : before).toDouble());
            m_t->cancel();
        }
        m_t->edit();
        m_t->fieldByName("Sum")->setValue(1234567890123.456);
        FieldNumberEdit every;
        every.setDataSource(m_ds.get());
        every.setFieldName("Sum");
        every.setFocus();
        every.show();
        QApplication::setActiveWindow(&every);
        QTRY_VERIFY(every.hasFocus());
        QCOMPARE(every.text(), QString("1234567890123,456"));
        m_t->cancel();

        FieldCheckBox on;
        on.setDataSource(m_ds.get());
        on.setFieldName("On");
        QVERIFY(on.isChecked());
        on.click();
        QCOMPARE(m_t->fieldByName("On")->asBoolean(), false);
        m_t->cancel();
        QVERIFY(on.isChecked());

        FieldDateEdit d;
        d.setDataSource(m_ds.get());
        d.setFieldName("D");
        QCOMPARE(d.date(), QDate(2024, 5, 1));
        m_t->next();
        QVERIFY(d.isNull());
        d.setDate(QDate(2025, 1, 2));
        QCOMPARE(m_t->fieldByName("D")->asDate(), QDate(2025, 1, 2));
        m_t->post();

        FieldMemo memo;
        memo.setDataSource(m_ds.get());
        memo.setFieldName("Name");
        QCOMPARE(memo.toPlainText(), QString("два"));
    }

    void lookupCombo()
    {
        MemoryTable people;
        people.addFieldDef("Id", ftInteger);
        people.addFieldDef("FullName", ftString, 40);
        people.createTable();
        people.appendRecord({2, "Иванов"});
        people.appendRecord({3, "Петров"});
        people.first();
        DataSource list(&people);
        // bound: shows and writes the key of the data field
        LookupComboBox combo;
        combo.setListSource(&list);
        combo.setKeyField("Id");
        combo.setListFields("FullName");
        combo.setDataSource(m_ds.get());
        combo.setDataField("Id");
        QCOMPARE(combo.count(), 2);
        QCOMPARE(combo.currentIndex(), -1);  // Id 1 is not in the list
        m_t->next();
        QCOMPARE(combo.currentText(), QString("Иванов"));
        combo.setCurrentIndex(1);
        Q_EMIT combo.activated(1);
        QCOMPARE(m_t->fieldByName("Id")->asInteger(), 3);
        m_t->cancel();
        // selector: follows and moves the list's cursor
        LookupComboBox selector;
        selector.setListSource(&list);
        selector.setKeyField("Id");
        selector.setListFields("FullName;Id");
        QCOMPARE(selector.itemText(1), QString("Петров  3"));
        people.last();
        QCOMPARE(selector.currentIndex(), 1);
        Q_EMIT selector.activated(0);
        QCOMPARE(people.recNo(), 1);
    }
};

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
