// The generated prompt dialog on the demo catalogue, offscreen: geometry of every row
// kind, dependent lookup refresh, select-all, day spins, defaults recomputed on entry,
// OK storing remembered values, the no-parameter question and ApplyDefaults.
#include "CatalogueFixture.h"
#include "database/VornMessages.h"
#include "execution/Askme.h"
#include "platform/core/SettingsStore.h"
#include "platform/data/DataError.h"
#include "platform/data/DataSource.h"  // Query.h needs it complete
#include "platform/data/Query.h"

#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyleOptionViewItem>
#include <QTimeEdit>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

#ifdef VORN_TEST_PG
constexpr CatalogueFixture::Kind kKind = CatalogueFixture::Postgres;
#else
constexpr CatalogueFixture::Kind kKind = CatalogueFixture::Sqlite;
#endif

namespace {

struct MessageLog
{
    QList<TMsgRequest> requests;
    TMsgButton answer = TMsgButton::Ok;
    TMsgAnswerer previous;
    MessageLog()
    {
        previous = SetMessageAnswerer([this](const TMsgRequest &r) {
            requests << r;
            return answer;
        });
    }
    ~MessageLog() { SetMessageAnswerer(previous); }
};

const char *kInvoicesOf = "SELECT Id, InvNo, InvDate, Total FROM Invoices WHERE ClientId = :Client ORDER BY InvDate DESC";

} // namespace

class TestAskMe : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void geometry();
    void startValues();
    void dependentLookup();
    void selectAll();
    void multiSelectPopup();
    void multiSelectOpensOnClick();
    void daySpins();
    void defaultOnEnter();
    void readOnLeave();
    void requeryOnEnter();
    void okStoresRemembered();
    void numbersKeptOrRefused_data();
    void numbersKeptOrRefused();
    void datesTypedOver_data();
    void datesTypedOver();
    void unknownTypeBlocksOk();
    void sqlErrors();
    void prepareWithoutParams();
    void applyDefaults();
    void grabDemoReport();
    void demoDependentReport();

private:
    // One parameter of every type, with dependent lists and defaults.
    std::unique_ptr<TParamAskMeList> everyType()
    {
        auto l = std::make_unique<TParamAskMeList>();
        l->SetDatabase(fx.db.get());
        l->SetSettings(store.get());
        auto add = [&](const char *name, const char *label, int type) {
            TParamAskMe *p = l->Add(name, QString::fromUtf8(label), type);
            p->Id = 100 + l->Count();
            return p;
        };
        add("Name", "Наименование", ptText);
        TParamAskMe *early = add("Early", "Накладная (раньше клиента)", ptLookup);
        early->Lookup->SQL = kInvoicesOf;
        early->Lookup->LookupField = "Id";
        early->Lookup->LookupDisplay = "InvNo";
        add("DateFrom", "С даты", ptDate)->Value = QDate(2025, 1, 10);
        add("MinTotal", "Оборот не менее, руб.", ptMoney)->Value = 1234567.5;
        add("Discount", "Скидка, %", ptNumber)->Value = 2.5;
        add("MinCount", "Накладных не менее", ptInteger)->Value = qint64(3);
        TParamAskMe *client = add("Client", "Клиент", ptLookup);
        client->Width = 300;
        client->IdTypDefVal = dvRemembered;
        client->Lookup->SQL = "SELECT Id, Name FROM Clients ORDER BY Name";
        client->Lookup->LookupField = "Id";
        client->Lookup->LookupDisplay = "Name";
        TParamAskMe *inv = add("Invoice", "Накладная", ptLookup);
        inv->Lookup->SQL = kInvoicesOf;
        inv->Lookup->LookupField = "Id";
        inv->Lookup->LookupDisplay = "InvNo;InvDate";
        inv->Lookup->LookupDisplayIndex = -1;
        TParamAskMe *regions = add("Regions", "Регионы", ptMultiLookup);
        regions->Lookup->SQL = "SELECT Id, Name FROM Regions ORDER BY Name";
        regions->Lookup->LookupField = "Id";
        regions->Lookup->LookupDisplay = "Name";
        add("SinceTime", "Начиная с (дата и время)", ptDateTime)->Value = QDateTime(QDate(2025, 2, 1), QTime(8, 30));
        add("Pwd", "Пароль", ptPassword)->Value = QStringLiteral("секрет");
        TParamAskMe *last = add("LastDate", "Последняя накладная", ptDate);
        last->IdTypDefVal = dvSql;
        last->DefSQL = "SELECT MAX(InvDate) FROM Invoices WHERE ClientId = :Client AND InvDate >= :DateFrom";
        TParamAskMe *note = add("Note", "Примечание", ptText);
        note->IdTypDefVal = dvSql;
        note->DefSQL = "SELECT 'клиент ' || %%Client%%";
        return l;
    }
    template <class T = QWidget>
    T *child(QWidget *dlg, const QString &name)
    {
        return dlg->findChild<T *>(name, Qt::FindDirectChildrenOnly);
    }
    int count(const QString &sql) { return fx.db->selectValue(sql).toInt(); }
    // Shows the dialog and types into the named box over its whole selected value,
    // as a user does after Tab; nullptr when the dialog or the box is missing.
    template <class T>
    T *typeOver(TfrmAskMe &dlg, const QString &name, const QString &typed)
    {
        dlg.show();
        QApplication::setActiveWindow(&dlg);
        T *edit = child<T>(&dlg, name);
        if (!QTest::qWaitForWindowActive(&dlg) || !edit)
            return nullptr;
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, typed);
        return edit;
    }

    CatalogueFixture fx;
    QTemporaryDir dir;
    std::unique_ptr<vorn::SettingsStore> store;
};

void TestAskMe::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const QString why = fx.create(kKind);
    if (why == u"skip")
        QSKIP("no PostgreSQL cluster (VORN_PG_HOST unset)");
    QVERIFY2(why.isEmpty(), qPrintable(why));
    store = std::make_unique<vorn::SettingsStore>("VornGen", dir.path());
}

void TestAskMe::geometry()
{
    auto list = everyType();
    TfrmAskMe dlg(list.get());
    QFont f = dlg.font();
    QCOMPARE(f.pixelSize(), 13);
    int widest = 0;
    for (int i = 0; i < list->Count(); ++i)
        widest = std::max(widest, QFontMetrics(f).horizontalAdvance(list->Items(i)->ParLabel));
    const int lw = std::max(widest, 100) + 10;
    QCOMPARE(dlg.LabelColumnWidth(), lw);
    const int left = lw + 10;

    for (int i = 0; i < list->Count(); ++i) {
        const TParamAskMe *p = list->Items(i);
        const int top = i * 30 + 10;
        auto *label = child<QLabel>(&dlg, "lbl" + p->ParName);
        QVERIFY(label);
        QCOMPARE(label->text(), p->ParLabel);
        QCOMPARE(label->geometry().topLeft(), QPoint(5, top));
        QCOMPARE(label->width(), lw);
        QVERIFY(label->alignment() & Qt::AlignRight);
        QWidget *c = child(&dlg, p->IdParTyp == ptDateTime ? "DatePart_" + p->ParName : p->ParName);
        QVERIFY2(c, qPrintable(p->ParName));
        QCOMPARE(c->property("Tag").toInt(), i);
        QCOMPARE(c->geometry().topLeft(), QPoint(left, top));
        const int w = p->Width ? p->Width : p->IdParTyp == ptDate ? 150 : p->IdParTyp == ptDateTime ? 120 : 200;
        QCOMPARE(c->width(), w);
    }
    QVERIFY(qobject_cast<QDateEdit *>(child(&dlg, "DateFrom")));
    QCOMPARE(qobject_cast<QLineEdit *>(child(&dlg, "Pwd"))->echoMode(), QLineEdit::Password);
    QCOMPARE(qobject_cast<QDoubleSpinBox *>(child(&dlg, "MinTotal"))->decimals(), 2);
    QCOMPARE(qobject_cast<QDoubleSpinBox *>(child(&dlg, "Discount"))->decimals(), 6);
    QCOMPARE(qobject_cast<QDoubleSpinBox *>(child(&dlg, "MinCount"))->decimals(), 0);
    QCOMPARE(qobject_cast<QDoubleSpinBox *>(child(&dlg, "MinTotal"))->text(), QStringLiteral("1\u00A0234\u00A0567,50"));
    QCOMPARE(qobject_cast<QDoubleSpinBox *>(child(&dlg, "Discount"))->text(), QStringLiteral("2,5"));
    QVERIFY(qobject_cast<MultiSelectCombo *>(child(&dlg, "Regions")));
    QCOMPARE(child<QObject>(&dlg, "query_Client")->property("Tag").toInt(), -1);
    QVERIFY(child<QObject>(&dlg, "datasource_Client"));

    // day spin right of the date edit: as tall as it less one, square
    QWidget *date = child(&dlg, "DateFrom");
    QWidget *spin = child(&dlg, "sbtn__DateFrom");
    QCOMPARE(spin->geometry(), QRect(date->geometry().right() + 1, date->y(), date->height() - 1, date->height() - 1));
    QCOMPARE(spin->toolTip(), QStringLiteral("Изменить дату на день"));
    QCOMPARE(spin->property("Tag").toInt(), -1);
    // select-all: square, two pixels shorter, one lower
    QWidget *box = child(&dlg, "Regions");
    QWidget *all = child(&dlg, "sbtn__Regions");
    QCOMPARE(all->geometry(), QRect(box->geometry().right() + 1, box->y() + 1, box->height() - 2, box->height() - 2));
    QCOMPARE(all->toolTip(), QStringLiteral("Выделить всё"));
    QVERIFY(!qobject_cast<QToolButton *>(all)->icon().isNull());
    // date and time: spin, 10 pixels, a time picker as wide as the date part less its height
    QWidget *dpart = child(&dlg, "DatePart_SinceTime");
    QWidget *dspin = child(&dlg, "sbtn__DatePart_SinceTime");
    QWidget *tpart = child(&dlg, "TimePart_SinceTime");
    QCOMPARE(dspin->x(), dpart->geometry().right() + 1);
    QCOMPARE(tpart->geometry(), QRect(dspin->geometry().right() + 11, dpart->y(), dpart->width() - dpart->height(), dpart->height()));

    // size and buttons
    const int n = list->Count();
    const int widestRow = 300;  // the client box, wider than any date-time or multi row
    QCOMPARE(dlg.size(), QSize(lw + widestRow + 30, n * 30 + 25 + 20));
    QCOMPARE(dlg.BitBtnOK()->geometry(), QRect(dlg.width() / 2 - 10 - 81, n * 30 + 10, 81, 25));
    QCOMPARE(dlg.BitBtnCancel()->geometry(), QRect(dlg.width() / 2 + 10, n * 30 + 10, 81, 25));
    // tab order: the rows' controls in list order, then OK and Cancel
    QWidget *w = child(&dlg, "Name");
    QStringList chain;
    for (int guard = 0; guard < 200 && chain.size() < 20; ++guard) {
        w = w->nextInFocusChain();
        if (w->parentWidget() == &dlg && w->focusPolicy() & Qt::TabFocus && !chain.contains(w->objectName()))
            chain << w->objectName();
        if (w == child(&dlg, "Name"))
            break;
    }
    QCOMPARE(chain.indexOf("BitBtnOK"), chain.indexOf("BitBtnCancel") - 1);
    QVERIFY(chain.indexOf("Note") < chain.indexOf("BitBtnOK"));
    QVERIFY(chain.indexOf("DateFrom") < chain.indexOf("Client"));
}

void TestAskMe::startValues()
{
    auto list = everyType();
    TfrmAskMe dlg(list.get());
    // a lookup takes the first row's key at once, typed by its column
    const TParamAskMe *client = list->Find("Client");
    const int firstId = fx.db->selectValue("SELECT Id FROM Clients ORDER BY Name LIMIT 1").toInt();
    QCOMPARE(client->Value.toInt(), firstId);
    QCOMPARE(int(client->ValueKind), int(vkInteger));
    QCOMPARE(client->Lookup->KeyValue, QString::number(firstId));
    QCOMPARE(client->Lookup->DisplayText, qobject_cast<QComboBox *>(child(&dlg, "Client"))->currentText());
    // the earlier list saw no client yet: no rows, no value
    QVERIFY(list->Find("Early")->Value.isNull());
    // every region selected from the start
    const TParamAskMe *regions = list->Find("Regions");
    QCOMPARE(regions->Value.toString().split(", ").size(), count("SELECT COUNT(*) FROM Regions"));
    QVERIFY(regions->Lookup->DisplayText.startsWith(MultiSelectCombo::PrefAllSel));
    QCOMPARE(child<QTimeEdit>(&dlg, "TimePart_SinceTime")->time(), QTime(8, 30));
    // the DefSQL of a later parameter sees the client chosen above
    QCOMPARE(list->Find("Note")->Value.toString(), QStringLiteral("клиент %1").arg(firstId));
}

void TestAskMe::dependentLookup()
{
    auto list = everyType();
    TfrmAskMe dlg(list.get());
    auto *clientBox = qobject_cast<QComboBox *>(child(&dlg, "Client"));
    auto *invQuery = child<vorn::Query>(&dlg, "query_Invoice");
    auto *earlyQuery = child<vorn::Query>(&dlg, "query_Early");
    const int earlyRows = earlyQuery->recordCount();
    // pick a client with invoices, different from the first one
    const int target = fx.db->selectValue("SELECT ClientId FROM Invoices GROUP BY ClientId ORDER BY COUNT(*) DESC LIMIT 1").toInt();
    int index = -1;
    auto *clientQuery = child<vorn::Query>(&dlg, "query_Client");
    for (int r = 0; r < clientQuery->recordCount(); ++r)
        if (clientQuery->valueAt(r, clientQuery->fieldByName("Id")->index()).toInt() == target)
            index = r;
    QVERIFY(index > 0);
    clientBox->setCurrentIndex(index);

    QCOMPARE(list->Find("Client")->Value.toInt(), target);
    QVERIFY(list->Find("Client")->Changed);
    QCOMPARE(invQuery->recordCount(), count(QStringLiteral("SELECT COUNT(*) FROM Invoices WHERE ClientId = %1").arg(target)));
    QVERIFY(invQuery->recordCount() > 0);
    auto *invBox = qobject_cast<QComboBox *>(child(&dlg, "Invoice"));
    QCOMPARE(invBox->count(), invQuery->recordCount());
    // a negative display index: every column of the list in the drop-down, the first
    // display column in the closed box
    QCOMPARE(invBox->model()->columnCount(), 4);
    QCOMPARE(invBox->modelColumn(), 1);
    QCOMPARE(invBox->currentText(), invQuery->valueAt(invBox->currentIndex(), invQuery->fieldByName("InvNo")->index()).toString());
    {
        auto *view = qobject_cast<QTreeView *>(invBox->view());
        QVERIFY(view);
        QVERIFY(!view->isColumnHidden(3));
        const QString date = invBox->model()->index(invBox->currentIndex(), 2).data().toString();
        QVERIFY2(QDate::fromString(date, "dd.MM.yyyy").isValid(), qPrintable(date));
    }
    // one display column, index left at -1: still the whole list, the name in the box
    auto *clientList = qobject_cast<QComboBox *>(child(&dlg, "Client"));
    QCOMPARE(clientList->model()->columnCount(), 2);
    QCOMPARE(clientList->currentText(), clientQuery->valueAt(clientList->currentIndex(), clientQuery->fieldByName("Name")->index()).toString());
    QCOMPARE(earlyQuery->recordCount(), earlyRows);  // earlier lists are left alone
    // a later DefSQL is recomputed with the new choice
    QCOMPARE(child<QLineEdit>(&dlg, "Note")->text(), QStringLiteral("клиент %1").arg(target));
}

void TestAskMe::selectAll()
{
    auto list = everyType();
    TfrmAskMe dlg(list.get());
    auto *box = child<MultiSelectCombo>(&dlg, "Regions");
    const QString allKeys = box->Values().join(", ");
    box->SetSelected(0, false);
    box->SetSelected(2, false);
    QVERIFY(box->Text().startsWith(MultiSelectCombo::PrefMultiSel));
    const TParamAskMe *p = list->Find("Regions");
    QStringList expected = box->Values();
    expected.removeAt(2);
    expected.removeAt(0);
    QCOMPARE(p->Value.toString(), expected.join(", "));
    QVERIFY(!p->Lookup->DisplayText.startsWith(MultiSelectCombo::PrefAllSel));

    child<QToolButton>(&dlg, "sbtn__Regions")->click();
    QCOMPARE(p->Value.toString(), allKeys);
    QCOMPARE(p->Lookup->KeyValue, allKeys);
    QCOMPARE(p->Lookup->DisplayText, MultiSelectCombo::PrefAllSel + box->Items().join(", "));

    // a single choice has no prefix; the item text stands in for a missing value
    MultiSelectCombo solo;
    solo.SetItems({"А", "Б", "В"}, {"1"});
    solo.SetSelected(2, true);
    QCOMPARE(solo.Text(), QStringLiteral("В"));
    QCOMPARE(solo.SelectedValues(), QStringLiteral("В"));
    solo.SetSelected(0, true);
    QCOMPARE(solo.SelectedValues(), QStringLiteral("1, В"));
}

void TestAskMe::multiSelectPopup()
{
    MultiSelectCombo box;
    box.resize(200, 21);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.SetItems({"А", "Б", "В"}, {"1", "2", "3"});
    QSignalSpy changed(&box, &MultiSelectCombo::Changed);
    box.showPopup();
    auto *popup = box.findChild<QListWidget *>();
    QVERIFY(popup && box.isPopupVisible());
    auto at = [popup](int row) { return popup->visualItemRect(popup->item(row)).center(); };
    // a plain click chooses one row and closes
    QTest::mouseClick(popup->viewport(), Qt::LeftButton, Qt::NoModifier, at(1));
    QVERIFY(!box.isPopupVisible());
    QCOMPARE(box.SelectedValues(), QStringLiteral("2"));
    QVERIFY(changed.count() > 0);
    // with Ctrl held the list stays open and extends the choice; releasing Ctrl closes it
    box.showPopup();
    QTest::mouseClick(popup->viewport(), Qt::LeftButton, Qt::ControlModifier, at(2));
    QVERIFY(box.isPopupVisible());
    QTest::keyRelease(popup, Qt::Key_Control);
    QVERIFY(!box.isPopupVisible());
    QCOMPARE(box.SelectedValues(), QStringLiteral("2, 3"));
    QCOMPARE(box.Text(), MultiSelectCombo::PrefMultiSel + QStringLiteral("Б, В"));
    // Shift extends a range
    box.showPopup();
    QTest::mouseClick(popup->viewport(), Qt::LeftButton, Qt::NoModifier, at(0));
    box.showPopup();
    QTest::mouseClick(popup->viewport(), Qt::LeftButton, Qt::ShiftModifier, at(2));
    QTest::keyRelease(popup, Qt::Key_Shift);
    QCOMPARE(box.Text(), MultiSelectCombo::PrefAllSel + QStringLiteral("А, Б, В"));
}

// The click that opens the list: while the list is up it gets the mouse, so the release
// of that same click lands on it and must not close it. Ticking a row's box leaves it open.
void TestAskMe::multiSelectOpensOnClick()
{
    QWidget host;
    host.resize(300, 200);
    MultiSelectCombo box(&host);
    box.setGeometry(10, 10, 200, 21);
    box.SetItems({"А", "Б", "В"}, {"1", "2", "3"});
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    const QPoint at = box.geometry().center();
    QTest::mousePress(host.windowHandle(), Qt::LeftButton, {}, at);
    QVERIFY(box.isPopupVisible());
    QTest::mouseRelease(host.windowHandle(), Qt::LeftButton, {}, at);
    QVERIFY(box.isPopupVisible());
    auto *popup = box.findChild<QListWidget *>();
    QVERIFY(QTest::qWaitForWindowExposed(popup));
    // the check box of a row, as the style draws it
    auto tick = [popup](int row) {
        QStyleOptionViewItem opt;
        opt.initFrom(popup->viewport());
        opt.rect = popup->visualItemRect(popup->item(row));
        opt.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
        const QRect r = popup->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, popup);
        const QPoint p = popup->viewport()->mapTo(popup, r.center());
        QTest::mouseClick(popup->windowHandle(), Qt::LeftButton, {}, p);
    };
    QCOMPARE(popup->item(0)->checkState(), Qt::Unchecked);
    tick(0);
    tick(2);
    QVERIFY(box.isPopupVisible());
    QCOMPARE(box.SelectedValues(), QStringLiteral("1, 3"));
    QCOMPARE(popup->item(2)->checkState(), Qt::Checked);
    tick(0);  // a second tick takes it back
    QCOMPARE(box.SelectedValues(), QStringLiteral("3"));
    // Space ticks the current row
    popup->setCurrentRow(1, QItemSelectionModel::NoUpdate);
    QTest::keyClick(popup, Qt::Key_Space);
    QVERIFY(box.isPopupVisible());
    QCOMPARE(box.SelectedValues(), QStringLiteral("2, 3"));
    // a click beside the list closes it and keeps the ticks (the list grabs the mouse,
    // so the click reaches it in its own coordinates)
    QTest::mouseClick(popup->windowHandle(), Qt::LeftButton, {}, QPoint(popup->width() + 40, popup->height() + 40));
    QVERIFY(!box.isPopupVisible());
    QCOMPARE(box.SelectedValues(), QStringLiteral("2, 3"));
    QTest::mouseClick(host.windowHandle(), Qt::LeftButton, {}, at);
    QVERIFY(box.isPopupVisible());
    // a plain click on a row's text still chooses that row alone and closes
    QTest::mouseClick(popup->windowHandle(), Qt::LeftButton, {},
                      popup->viewport()->mapTo(popup, popup->visualItemRect(popup->item(0)).center()));
    QVERIFY(!box.isPopupVisible());
    QCOMPARE(box.SelectedValues(), QStringLiteral("1"));
    QCOMPARE(box.Text(), QStringLiteral("А"));
}

void TestAskMe::daySpins()
{
    auto list = everyType();
    TfrmAskMe dlg(list.get());
    auto *date = child<QDateEdit>(&dlg, "DateFrom");
    auto *last = child<QDateEdit>(&dlg, "LastDate");
    auto *spin = child(&dlg, "sbtn__DateFrom");
    auto buttons = spin->findChildren<QToolButton *>();
    QCOMPARE(buttons.size(), 2);
    const QDate start = date->date();

    last->setDate(QDate(2000, 1, 1));
    buttons[0]->click();  // up: one day later, later parameters refreshed
    QCOMPARE(date->date(), start.addDays(1));
    QCOMPARE(list->Find("DateFrom")->Value, QVariant(start.addDays(1)));
    QVERIFY(last->date() != QDate(2000, 1, 1));
    buttons[1]->click();
    buttons[1]->click();
    QCOMPARE(date->date(), start.addDays(-1));

    // the date part of a date-time changes without refreshing anything
    last->setDate(QDate(2000, 1, 1));
    auto *dpart = child<QDateEdit>(&dlg, "DatePart_SinceTime");
    const QDate d0 = dpart->date();
    child(&dlg, "sbtn__DatePart_SinceTime")->findChildren<QToolButton *>()[0]->click();
    QCOMPARE(dpart->date(), d0.addDays(1));
    QCOMPARE(last->date(), QDate(2000, 1, 1));
}

void TestAskMe::defaultOnEnter()
{
    auto list = everyType();
    TfrmAskMe dlg(list.get());
    auto *note = child<QLineEdit>(&dlg, "Note");
    note->setText("набрано вручную");
    dlg.CompExit(note);
    QCOMPARE(list->Find("Note")->Value.toString(), QStringLiteral("набрано вручную"));
    dlg.CompEnter(note);
    QCOMPARE(note->text(), QStringLiteral("клиент ") + list->Find("Client")->Lookup->KeyValue);
    // a plain text is left as typed
    auto *name = child<QLineEdit>(&dlg, "Name");
    name->setText("ввод");
    dlg.CompEnter(name);
    QCOMPARE(name->text(), QStringLiteral("ввод"));
}

void TestAskMe::readOnLeave()
{
    auto list = everyType();
    TfrmAskMe dlg(list.get());
    dlg.show();
    QApplication::setActiveWindow(&dlg);
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    auto *name = child<QLineEdit>(&dlg, "Name");
    name->setFocus();
    QTest::keyClicks(name, "Store 7");
    QVERIFY(list->Find("Name")->Value.toString().isEmpty());  // not yet: still inside
    auto *note = child<QLineEdit>(&dlg, "Note");
    note->setText("x");
    note->setFocus();  // leaving Name reads it; entering Note recomputes its default
    QCOMPARE(list->Find("Name")->Value.toString(), QStringLiteral("Store 7"));
    QVERIFY(list->Find("Name")->Changed);
    QCOMPARE(note->text(), QStringLiteral("клиент ") + list->Find("Client")->Lookup->KeyValue);
    // typed digits count on OK even without leaving the edit
    auto *count = child<QDoubleSpinBox>(&dlg, "MinCount");
    count->setFocus();
    count->selectAll();
    QTest::keyClicks(count, "12");
    dlg.ReadControl(list->IndexOf(list->Find("MinCount")));
    QCOMPARE(list->Find("MinCount")->Value, QVariant(qint64(12)));
}

void TestAskMe::requeryOnEnter()
{
    auto list = everyType();
    // a list whose SQL names a parameter the list lacks never re-queries on entry
    TParamAskMe *orphan = list->Add("Orphan", "Чужой", ptLookup);
    orphan->Lookup->SQL = "SELECT Id, InvNo FROM Invoices WHERE ClientId = :Client AND (CAST(:Elsewhere AS integer) IS NULL OR 1 = 1)";
    orphan->Lookup->LookupField = "Id";
    orphan->Lookup->LookupDisplay = "InvNo";
    TfrmAskMe dlg(list.get());
    auto *inv = child<vorn::Query>(&dlg, "query_Invoice");
    auto *orph = child<vorn::Query>(&dlg, "query_Orphan");
    const int target = fx.db->selectValue("SELECT ClientId FROM Invoices GROUP BY ClientId ORDER BY COUNT(*) DESC LIMIT 1").toInt();
    TParamAskMe *client = list->Find("Client");
    client->Value = target;  // changed behind the dialog's back, as a script may
    client->Changed = true;
    const int orphanRows = orph->recordCount();
    QVERIFY(orphanRows != count(QStringLiteral("SELECT COUNT(*) FROM Invoices WHERE ClientId = %1").arg(target)));
    dlg.CompEnter(child(&dlg, "Orphan"));
    QCOMPARE(orph->recordCount(), orphanRows);
    dlg.CompEnter(child(&dlg, "Invoice"));
    QCOMPARE(inv->recordCount(), count(QStringLiteral("SELECT COUNT(*) FROM Invoices WHERE ClientId = %1").arg(target)));
    // nothing changed: entering leaves the list as it is
    client->Changed = false;
    client->Value = 0;
    dlg.CompEnter(child(&dlg, "Invoice"));
    QVERIFY(inv->recordCount() > 0);
}

void TestAskMe::okStoresRemembered()
{
    QString key;
    {
        auto list = everyType();
        TfrmAskMe dlg(list.get());
        qobject_cast<QComboBox *>(child(&dlg, "Client"))->setCurrentIndex(4);
        child<QDoubleSpinBox>(&dlg, "MinCount")->setValue(7.5);  // halves go to even
        dlg.BitBtnOKClick();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        key = list->Find("Client")->Lookup->KeyValue;
        QCOMPARE(store->readString("VORN_PARAMS_VALUE", QString::number(list->Find("Client")->Id) + "Client5"), key);
        QCOMPARE(list->Find("MinCount")->Value, QVariant(qint64(8)));
        QCOMPARE(list->Find("Pwd")->Value.toString(), QStringLiteral("секрет"));
        // nothing else had default kind 1
        QCOMPARE(store->valueNames("VORN_PARAMS_VALUE").size(), 1);
    }
    auto list = everyType();
    TfrmAskMe dlg(list.get());
    QCOMPARE(list->Find("Client")->Lookup->KeyValue, key);
    QCOMPARE(list->Find("Client")->Value.toString(), key);
    QCOMPARE(qobject_cast<QComboBox *>(child(&dlg, "Client"))->currentIndex(), 4);
}

// A number is taken exactly as typed or refused with the reason: an integer past
// 32 bits, money past the range or with more digits than a double keeps. Nothing
// is cut or wrapped on the way (99 999 999 999 999 used to reach a report as
// 276 447 231, 922 337 203 685 477,58 as ...477,63).
void TestAskMe::numbersKeptOrRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QVariant>("value");     // invalid: refused
    QTest::addColumn<QString>("message");
    const QString nb = QLocale().groupSeparator();
    const QString intRange = "(допустимо от -2" + nb + "147" + nb + "483" + nb + "648 до 2" + nb + "147" + nb + "483" + nb + "647)";
    QTest::newRow("integer at the top") << "MinCount" << "2147483647" << QVariant(qint64(2147483647)) << "";
    QTest::newRow("integer negative") << "MinCount" << "-2147483648" << QVariant(qint64(-2147483648LL)) << "";
    QTest::newRow("integer past 32 bits")
        << "MinCount" << "2147483648" << QVariant()
        << "Параметр «Накладных не менее»: число 2" + nb + "147" + nb + "483" + nb + "648 не помещается в целое " + intRange;
    QTest::newRow("integer of 14 digits")
        << "MinCount" << "99999999999999" << QVariant()
        << "Параметр «Накладных не менее»: число 99" + nb + "999" + nb + "999" + nb + "999" + nb + "999 не помещается в целое " + intRange;
    QTest::newRow("money of 16 digits kept") << "MinTotal" << "12345678901234,56" << QVariant(12345678901234.56) << "";
    QTest::newRow("money cents kept") << "MinTotal" << "-98765432,01" << QVariant(-98765432.01) << "";
    QTest::newRow("money of 17 digits")
        << "MinTotal" << "922337203685477,58" << QVariant()
        << "Параметр «Оборот не менее, руб.»: число 922" + nb + "337" + nb + "203" + nb + "685" + nb
               + "477,58 нельзя сохранить точно: в нём больше 15 значащих цифр";
    QTest::newRow("money past the range")
        << "MinTotal" << "12345678901234567" << QVariant()
        << "Параметр «Оборот не менее, руб.»: число 12" + nb + "345" + nb + "678" + nb + "901" + nb + "234" + nb
               + "567 вне допустимого диапазона (от -1" + nb + "000" + nb + "000" + nb + "000" + nb + "000" + nb
               + "000 до 1" + nb + "000" + nb + "000" + nb + "000" + nb + "000" + nb + "000)";
    QTest::newRow("number kept") << "Discount" << "0,123456" << QVariant(0.123456) << "";
}

void TestAskMe::numbersKeptOrRefused()
{
    QFETCH(QString, name);
    QFETCH(QString, typed);
    QFETCH(QVariant, value);
    QFETCH(QString, message);
    MessageLog log;
    auto list = everyType();
    TfrmAskMe dlg(list.get());
    auto *edit = typeOver<QDoubleSpinBox>(dlg, name, typed);
    QVERIFY(edit);
    dlg.BitBtnOKClick();
    QStringList shown;
    for (const TMsgRequest &r : log.requests)
        shown << r.text;
    if (value.isValid()) {
        QCOMPARE(shown, QStringList());
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(list->Find(name)->Value, value);
    } else {
        QCOMPARE(shown, QStringList{message});
        QVERIFY(dlg.result() != int(QDialog::Accepted));
        // the refused text stays for the user to correct
        QCOMPARE(edit->text().remove(QLocale().groupSeparator()).remove(u' '), typed);
        // Enter in the box itself is refused the same way, not answered with the old value
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Return);
        shown.clear();
        for (const TMsgRequest &r : log.requests)
            shown << r.text;
        QCOMPARE(shown, QStringList({message, message}));
        QVERIFY(dlg.result() != int(QDialog::Accepted));
        QCOMPARE(edit->text().remove(QLocale().groupSeparator()).remove(u' '), typed);
    }
}

void TestAskMe::datesTypedOver_data()
{
    QTest::addColumn<QString>("box");     // the parameter's edit
    QTest::addColumn<QString>("typed");   // over the whole selected value
    QTest::addColumn<QString>("shown");
    QTest::newRow("date with dots") << "DateFrom" << "01.01.2020" << "01.01.2020";
    QTest::newRow("date digits only") << "DateFrom" << "01012020" << "01.01.2020";
    QTest::newRow("date short parts") << "DateFrom" << "1.1.2020" << "01.01.2020";
    QTest::newRow("date end of year") << "DateFrom" << "31.12.1999" << "31.12.1999";
    QTest::newRow("date part of date and time") << "DatePart_SinceTime" << "05.03.2021" << "05.03.2021";
    QTest::newRow("time with colons") << "TimePart_SinceTime" << "07:05:09" << "07:05:09";
    QTest::newRow("time digits only") << "TimePart_SinceTime" << "230000" << "23:00:00";
}

// A user types a whole date over the selected one; Qt's box alone reads "01.01.2020"
// over "10.01.2025" as another date without a word.
void TestAskMe::datesTypedOver()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    MessageLog log;
    auto list = everyType();
    TfrmAskMe dlg(list.get());
    auto *edit = typeOver<QDateTimeEdit>(dlg, box, typed);
    QVERIFY(edit);
    QCOMPARE(edit->text(), shown);
}

void TestAskMe::unknownTypeBlocksOk()
{
    MessageLog log;
    TParamAskMeList list;
    list.SetDatabase(fx.db.get());
    list.Add("Good", "Нормальный", ptText);
    list.Add("Bad", "Неизвестный", 9);
    TfrmAskMe dlg(&list);
    QVERIFY(child(&dlg, "lblBad"));
    QVERIFY(!child(&dlg, "Bad"));
    dlg.BitBtnOKClick();
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(log.requests.size(), 1);
    QCOMPARE(log.requests[0].text, QStringLiteral("Не найден параметр Bad"));
}

void TestAskMe::sqlErrors()
{
    MessageLog log;
    // while building: the error reaches the caller and no dialog is shown
    {
        TParamAskMeList list;
        list.SetDatabase(fx.db.get());
        TParamAskMe *p = list.Add("Broken", "Сломанный", ptLookup);
        p->Lookup->SQL = "SELECT Id FROM NoSuchTable";
        p->Lookup->LookupField = "Id";
        bool raised = false;
        try {
            AskParams("Отчёт", &list);
        } catch (const vorn::DataError &) {
            raised = true;
        }
        QVERIFY(raised);
        for (QWidget *w : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<TfrmAskMe *>(w));
    }
    // while handling a change: reported, the dialog stays usable
    auto list = everyType();
    TfrmAskMe dlg(list.get());
    list->Find("LastDate")->DefSQL = "SELECT NoSuchColumn FROM Invoices";
    auto *date = child<QDateEdit>(&dlg, "DateFrom");
    const QDate before = date->date();
    child(&dlg, "sbtn__DateFrom")->findChildren<QToolButton *>()[0]->click();
    QCOMPARE(log.requests.size(), 1);
    QCOMPARE(log.requests[0].kind, TMsgKind::Error);
    QVERIFY(log.requests[0].text.contains("NoSuchColumn", Qt::CaseInsensitive));
    QCOMPARE(date->date(), before.addDays(1));
    QCOMPARE(list->Find("DateFrom")->Value, QVariant(before.addDays(1)));
}

void TestAskMe::prepareWithoutParams()
{
    fx.db->execSql("insert into VornForm (Numm, Name, IdDestination, IdTypExec) values (99, 'Пустой', 0, 1)");
    const int id = fx.idOf("VornForm", "Пустой");
    MessageLog log;
    log.answer = TMsgButton::Cancel;
    bool proceed = true;
    auto list = PrepareParams(id, 1, "Пустой отчёт", &proceed, fx.db.get());
    QVERIFY(list);
    QCOMPARE(list->Count(), 0);
    QVERIFY(!proceed);
    QCOMPARE(log.requests.size(), 1);
    QCOMPARE(log.requests[0].text, QStringLiteral("Выполнить :Пустой отчёт"));
    QCOMPARE(log.requests[0].caption, QStringLiteral("Запрос"));
    QCOMPARE(log.requests[0].buttons, int(TMsgButton::Ok) | int(TMsgButton::Cancel));
    log.answer = TMsgButton::Ok;
    PrepareParams(id, 1, "Пустой отчёт", &proceed, fx.db.get());
    QVERIFY(proceed);
}

void TestAskMe::applyDefaults()
{
    auto list = everyType();
    store->writeString("VORN_PARAMS_VALUE", QString::number(list->Find("Client")->Id) + "Client5", "33");
    ApplyDefaults(list.get());
    QCOMPARE(list->Find("Client")->Value.toInt(), 33);
    QCOMPARE(list->Find("Regions")->Value.toString().split(", ").size(), count("SELECT COUNT(*) FROM Regions"));
    QCOMPARE(list->Find("Invoice")->Value.isNull(), count("SELECT COUNT(*) FROM Invoices WHERE ClientId = 33") == 0);
    QCOMPARE(list->Find("Note")->Value.toString(), QStringLiteral("клиент 33"));
    QCOMPARE(list->Find("SinceTime")->Value, QVariant(QDateTime(QDate(2025, 2, 1), QTime(8, 30))));
}

void TestAskMe::grabDemoReport()
{
    const QString out = qEnvironmentVariable("VORN_BINARY_DIR", ".") + (kKind == CatalogueFixture::Postgres ? "/askme_pg_" : "/askme_");
    {
        TParamAskMeList list(fx.db.get(), fx.idOf("VornForm", "Крупные покупатели"), 1, store.get());
        QCOMPARE(list.Count(), 4);
        TfrmAskMe dlg(&list);
        dlg.setWindowTitle("Крупные покупатели");
        QVERIFY(dlg.grab().save(out + "demo.png"));
    }
    auto list = everyType();
    TfrmAskMe dlg(list.get());
    QVERIFY(dlg.grab().save(out + "every_type.png"));
}

// The demo report whose invoice list follows the chosen client, end to end: choose,
// confirm, bind the report's query, and get that invoice's lines.
void TestAskMe::demoDependentReport()
{
    TParamAskMeList list(fx.db.get(), fx.idOf("VornForm", "Состав накладной"), 1, store.get());
    QCOMPARE(list.Count(), 2);
    TfrmAskMe dlg(&list);
    dlg.setWindowTitle("Состав накладной");
    auto *clients = child<vorn::Query>(&dlg, "query_Client");
    const int target = fx.db->selectValue("SELECT ClientId FROM Invoices GROUP BY ClientId ORDER BY COUNT(*) DESC LIMIT 1").toInt();
    for (int r = 0; r < clients->recordCount(); ++r)
        if (clients->valueAt(r, clients->fieldByName("Id")->index()).toInt() == target)
            qobject_cast<QComboBox *>(child(&dlg, "Client"))->setCurrentIndex(r);
    auto *invoices = child<vorn::Query>(&dlg, "query_Invoice");
    QVERIFY(invoices->recordCount() > 1);
    // one display column and a negative display index: the drop-down still shows the whole list
    QCOMPARE(qobject_cast<QComboBox *>(child(&dlg, "Invoice"))->model()->columnCount(), invoices->fieldCount());
    qobject_cast<QComboBox *>(child(&dlg, "Invoice"))->setCurrentIndex(1);
    dlg.BitBtnOKClick();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    const qint64 invoice = list.Find("Invoice")->Value.toLongLong();
    QCOMPARE(fx.db->selectValue(QStringLiteral("SELECT ClientId FROM Invoices WHERE Id = %1").arg(invoice)).toInt(), target);
    QVERIFY(dlg.grab().save(qEnvironmentVariable("VORN_BINARY_DIR", ".") + (kKind == CatalogueFixture::Postgres ? "/askme_pg_dependent.png" : "/askme_dependent.png")));

    vorn::ParamList idp;
    idp.add(vorn::Param("N")).setAsString("Состав выбранной накладной");
    vorn::Query q;
    q.setDatabase(fx.db.get());
    q.setSql(fx.db->selectValue("select SQLtext from VornQuery where Name = :N", idp).toString());
    QVERIFY(ApplyParamsToQuery(q, list));
    q.open();
    const int lines = count(QStringLiteral("SELECT COUNT(*) FROM InvoiceLines WHERE InvoiceId = %1").arg(invoice));
    QVERIFY(lines > 0);
    QCOMPARE(q.recordCount(), lines);
}

QTEST_MAIN(TestAskMe)
#include "tst_askme.moc"
