// The catalogue tree window: filling the tree from the data module's lists, the
// enabling table of the actions, the actions themselves (creating, renaming, regrouping,
// deleting, editing and running catalogue objects), drag and drop, and the sort menu.
#include "catalogue/fVornMain.h"

#include "catalogue/VornCatProcs.h"
#include "catalogue/fVornDelDep.h"
#include "catalogue/fVornFrm.h"
#include "catalogue/fVornGrp.h"
#include "catalogue/fVornParam.h"
#include "catalogue/fVornQry.h"
#include "catalogue/fVornRemt.h"
#include "database/VornMessages.h"
#include "database/dmdVorn.h"
#include "execution/VornReportRun.h"
#include "platform/core/SettingsStore.h"
#include "platform/core/SystemInfo.h"
#include "platform/data/DataSource.h"
#include "platform/data/Database.h"
#include "platform/data/Query.h"
#include "platform/widgets/WindowPlacement.h"
#include "VornImages.h"
#include "rights/fVornRights.h"
#include "scripting/fVornActScpSite.h"
#include "scripting/fVornScr.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScopeGuard>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const char *const kPlacementKey = "TfrmVornMain";

// Which actions a node enables for an administrator, by its kind and branch.
QStringList adminActions(int kind, int branch)
{
    const bool ofReport = branch == vnbGroups || branch == vnbReports;
    QStringList a;
    switch (kind) {
    case vnkGroup:
        if (branch == vnbGroups)
            a = {"actnNewGrpFrm", "actnEditGrpFrm", "actnDelGrpFrm", "actnNewFrm", "actnUsersList"};
        else
            a = {"actnNewGrpFrm", "actnNewFrm", "actnEditFrm", "actnUsersList"};
        break;
    case vnkReport:
        a = {"actnNewFrm", "actnEditFrm", "actnDelFrm", "actnNewSQL", "actnNewParam", "actnUsersList",
             "actnExec", "actnExecAsTbl", "actnEdtRepFrm"};
        a.prepend(branch == vnbGroups ? "actnEditGrpFrm" : "actnNewGrpFrm");
        break;
    case vnkQueries:
        if (ofReport)
            a = {"actnEditFrm", "actnNewSQL", "actnNewParam"};
        else
            a = {"actnNewGrpFrm", "actnNewSQL", "actnEditSQL", "actnUsersList"};
        break;
    case vnkQuery:
        if (ofReport)
            a = {"actnEditFrm", "actnNewSQL", "actnEditSQL", "actnExec", "actnExecAsTbl"};
        else
            a = {"actnNewFrm", "actnNewSQL", "actnEditSQL", "actnDelSQL", "actnNewParam", "actnEditParam",
                 "actnUsersList", "actnExec", "actnExecAsTbl"};
        break;
    case vnkRemoteData:
        if (ofReport)
            a = {"actnEditFrm", "actnNewRemoteData", "actnEditRemoteData", "actnExec", "actnExecAsTbl"};
        else
            a = {"actnNewFrm", "actnNewParam", "actnEditParam", "actnNewRemoteData", "actnEditRemoteData",
                 "actnDelRemoteData", "actnUsersList", "actnExec", "actnExecAsTbl"};
        break;
    case vnkParams:
        a = ofReport ? QStringList{"actnNewParam"} : QStringList{"actnNewParam", "actnEditParam", "actnUsersList"};
        break;
    case vnkParam:
        a = ofReport ? QStringList{"actnNewParam", "actnEditParam"}
                     : QStringList{"actnNewParam", "actnEditParam", "actnDelParam", "actnUsersList"};
        break;
    case vnkScript:
        if (branch == vnbGroups)
            a = {"actnEditGrpFrm", "actnEditScript", "actnDelScript", "actnUsersList", "actnExec"};
        else
            a = {"actnNewGrpFrm", "actnNewScript", "actnEditScript", "actnDelScript", "actnUsersList", "actnExec"};
        break;
    case vnkScriptsRoot: a = {"actnNewScript", "actnEditScript", "actnUsersList"}; break;
    case vnkRemoteRoot: a = {"actnNewGrpFrm", "actnNewRemoteData", "actnEditRemoteData", "actnUsersList"}; break;
    default: break;
    }
    // Below a report in "Все отчеты" the rights window is offered too.
    if (branch == vnbReports && kind >= vnkQueries && kind != vnkScript && !a.contains("actnUsersList"))
        a << "actnUsersList";
    return a;
}

QString id(int n) { return QString::number(n); }

// Tree nodes share one icon object per image instead of building one per node.
const QIcon &treeIcon(int image)
{
    static QHash<int, QIcon> icons;
    auto it = icons.find(image);
    if (it == icons.end())
        it = icons.insert(image, vornIcon(image));
    return *it;
}

// A small modal choice: a label and a list, OK and Cancel.
class TdlgVornChoice : public QDialog
{
public:
    TdlgVornChoice(const QString &caption, const QString &label, QWidget *parent) : QDialog(parent)
    {
        setObjectName(QStringLiteral("dlgVornChoice"));
        setWindowTitle(caption);
        auto *l = new QVBoxLayout(this);
        auto *lbl = new QLabel(label, this);
        List = new QComboBox(this);
        List->setObjectName(QStringLiteral("cbList"));
        lbl->setBuddy(List);
        l->addWidget(lbl);
        l->addWidget(List);
        auto *b = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        connect(b, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(b, &QDialogButtonBox::rejected, this, &QDialog::reject);
        l->addWidget(b);
        resize(320, 110);
    }
    void Fill(vorn::Query *list, const QString &column)
    {
        for (list->first(); !list->eof(); list->next())
            List->addItem(list->fieldValue(column).toString(), list->fieldValue(QStringLiteral("Id")));
    }
    int ChosenId() const { return List->currentIndex() >= 0 ? List->currentData().toInt() : 0; }
    QComboBox *List;
};

} // namespace

// ---------------------------------------------------------------- tree control

TVornTreeView::TVornTreeView(QWidget *parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("tvVornMain"));
    setHeaderHidden(true);
    setColumnCount(1);
    setIndentation(20);
    setIconSize(QSize(17, 17));
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Keep the selection visible when the tree loses the focus.
    QPalette p = palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(p);
}

void TVornTreeView::startDrag(Qt::DropActions supported)
{
    m_dragged = static_cast<TVornTreeNode *>(currentItem());
    if (!m_dragged || !canDrop || !canDrop(m_dragged, nullptr)) {
        m_dragged = nullptr;
        return;
    }
    QTreeWidget::startDrag(supported & Qt::CopyAction);
    m_dragged = nullptr;
}

void TVornTreeView::dragEnterEvent(QDragEnterEvent *e)
{
    if (e->source() == this && m_dragged)
        e->acceptProposedAction();
    else
        e->ignore();
}

void TVornTreeView::dragMoveEvent(QDragMoveEvent *e)
{
    auto *target = static_cast<TVornTreeNode *>(itemAt(e->position().toPoint()));
    if (e->source() == this && m_dragged && target && canDrop && canDrop(m_dragged, target)) {
        e->setDropAction(Qt::CopyAction);
        e->accept();
    } else {
        e->ignore();
    }
}

void TVornTreeView::dropEvent(QDropEvent *e)
{
    // The tree never moves its own items: a drop becomes a group membership.
    auto *target = static_cast<TVornTreeNode *>(itemAt(e->position().toPoint()));
    TVornTreeNode *dragged = m_dragged;
    e->setDropAction(Qt::CopyAction);
    e->accept();
    if (dragged && target && onDrop)
        QTimer::singleShot(0, this, [this, rec = dragged->Rec, trec = target->Rec] {
            // The drag has finished by now; find the nodes again by their records.
            TVornTreeNode *d = nullptr, *t = nullptr;
            for (QTreeWidgetItemIterator it(this); *it; ++it) {
                auto *n = static_cast<TVornTreeNode *>(*it);
                if (!d && n->Rec.sameNode(rec))
                    d = n;
                if (!t && n->Rec.sameNode(trec))
                    t = n;
            }
            if (d && t)
                onDrop(d, t);
        });
}

// ---------------------------------------------------------------- window

TfrmVornMain::TfrmVornMain(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmVornMain"));
    setWindowTitle(QStringLiteral("Генератор отчётов"));
    setWindowIcon(vornIcon(VornImg::Group));
    m_admin = dmVorn() && dmVorn()->IsAdmin();

    m_tree = new TVornTreeView(this);
    m_tree->canDrop = [this](TVornTreeNode *d, TVornTreeNode *t) {
        return t ? CanDrop(d, t) : (m_admin && ((d->Rec.Kind == vnkReport && d->Rec.Branch == vnbReports) ||
                                                (d->Rec.Kind == vnkScript && d->Rec.Branch == vnbScripts)));
    };
    m_tree->onDrop = [this](TVornTreeNode *d, TVornTreeNode *t) {
        try {
            return DropOnGroup(d, t);
        } catch (const std::exception &e) {
            ShowError(QString::fromUtf8(e.what()));
            return false;
        }
    };
    m_changeTimer = new QTimer(this);
    m_changeTimer->setSingleShot(true);
    m_changeTimer->setInterval(50);
    connect(m_changeTimer, &QTimer::timeout, this, &TfrmVornMain::UpdateActions);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this] { m_changeTimer->start(); });
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, &TfrmVornMain::nodeDoubleClicked);
    connect(m_tree, &QTreeWidget::itemChanged, this, &TfrmVornMain::nodeChanged);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_tree, &QWidget::customContextMenuRequested, this, &TfrmVornMain::contextMenu);

    createActions();
    createToolBars();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The edit bar is long: it takes a row of its own above the other two.
    auto *editRow = new QHBoxLayout;
    editRow->addWidget(m_tbEdit);
    editRow->addStretch(1);
    auto *bars = new QHBoxLayout;
    bars->setSpacing(2);
    bars->addWidget(m_tbOther);
    bars->addWidget(m_tbRun);
    bars->addStretch(1);
    layout->addLayout(editRow);
    layout->addLayout(bars);
    layout->addWidget(m_tree, 1);
    if (!m_admin) {
        m_tbEdit->hide();
        m_tbOther->hide();
        for (QAction *a : m_editActions)
            a->setEnabled(false);
    }
    resize(420, 520);
    try {
        BuildTree(false);
    } catch (const std::exception &e) {
        ShowError(QString::fromUtf8(e.what()));
    }
}

TfrmVornMain::~TfrmVornMain() = default;

QAction *TfrmVornMain::addAction(const char *name, const QString &caption, int image, void (TfrmVornMain::*slot)())
{
    auto *a = new QAction(vornIcon(image), caption, this);
    a->setObjectName(QLatin1String(name));
    a->setToolTip(caption);
    a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(a, &QAction::triggered, this, [this, slot] { run(slot); });
    QWidget::addAction(a);
    return a;
}

void TfrmVornMain::createActions()
{
    struct Def { const char *name; const char *caption; int image; void (TfrmVornMain::*slot)(); };
    const Def edit[] = {
        {"actnNewGrpFrm", "Добавить (в) группу отчетов", VornImg::NewGroup, &TfrmVornMain::NewGrpFrm},
        {"actnEditGrpFrm", "Изменить группу отчетов", VornImg::EditGroup, &TfrmVornMain::EditGrpFrm},
        {"actnDelGrpFrm", "Удалить группу отчетов", VornImg::DeleteGroup, &TfrmVornMain::DelGrpFrm},
        {"actnNewFrm", "Добавить (в) отчет", VornImg::NewReport, &TfrmVornMain::NewFrm},
        {"actnEditFrm", "Изменить отчет", VornImg::EditReport, &TfrmVornMain::EditFrm},
        {"actnDelFrm", "Удалить отчет", VornImg::DeleteReport, &TfrmVornMain::DelFrm},
        {"actnNewSQL", "Добавить запрос", VornImg::NewQuery, &TfrmVornMain::NewSQL},
        {"actnEditSQL", "Изменить запрос", VornImg::EditQuery, &TfrmVornMain::EditSQL},
        {"actnDelSQL", "Удалить запрос", VornImg::DeleteQuery, &TfrmVornMain::DelSQL},
        {"actnNewRemoteData", "Добавить модуль данных", VornImg::NewDataModule, &TfrmVornMain::NewRemoteData},
        {"actnEditRemoteData", "Изменить модуль данных", VornImg::EditDataModule, &TfrmVornMain::EditRemoteData},
        {"actnDelRemoteData", "Удалить модуль данных", VornImg::DeleteDataModule, &TfrmVornMain::DelRemoteData},
        {"actnNewParam", "Добавить параметр", VornImg::NewParameter, &TfrmVornMain::NewParam},
        {"actnEditParam", "Изменить параметр", VornImg::EditParameter, &TfrmVornMain::EditParam},
        {"actnDelParam", "Удалить параметр", VornImg::DeleteParameter, &TfrmVornMain::DelParam},
        {"actnNewScript", "Добавить скрипт", VornImg::NewScript, &TfrmVornMain::NewScript},
        {"actnEditScript", "Изменить скрипт", VornImg::EditScript, &TfrmVornMain::EditScript},
        {"actnDelScript", "Удалить скрипт", VornImg::DeleteScript, &TfrmVornMain::DelScript},
    };
    for (const Def &d : edit)
        m_editActions << addAction(d.name, QString::fromUtf8(d.caption), d.image, d.slot);
    addAction("actnUsersList", QStringLiteral("Права доступа"), VornImg::Rights, &TfrmVornMain::UsersList);
    addAction("actnEdtRepFrm", QStringLiteral("Редактировать форму отчета"), VornImg::DesignLayout,
              &TfrmVornMain::EdtRepFrm);
    QAction *exec = addAction("actnExec", QStringLiteral("Выполнить"), VornImg::Run, &TfrmVornMain::Exec);
    exec->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    addAction("actnExecAsTbl", QStringLiteral("Вывести как таблицу"), VornImg::RunAsTable, &TfrmVornMain::ExecAsTbl);
    addAction("actnRefresh", QStringLiteral("Обновить список"), VornImg::Refresh, &TfrmVornMain::Refresh);
}

void TfrmVornMain::createToolBars()
{
    m_tbEdit = new QToolBar(this);
    m_tbEdit->setObjectName(QStringLiteral("tbEdit"));
    m_tbEdit->setIconSize(QSize(17, 17));
    for (int i = 0; i < m_editActions.size(); ++i) {
        if (i > 0 && i % 3 == 0)
            m_tbEdit->addSeparator();
        m_tbEdit->addAction(m_editActions[i]);
    }
    m_tbOther = new QToolBar(this);
    m_tbOther->setObjectName(QStringLiteral("tbOther"));
    m_tbOther->setIconSize(QSize(17, 17));
    m_tbOther->addAction(Action(QStringLiteral("actnUsersList")));
    m_tbOther->addAction(Action(QStringLiteral("actnEdtRepFrm")));

    m_tbRun = new QToolBar(this);
    m_tbRun->setObjectName(QStringLiteral("tbRun"));
    m_tbRun->setIconSize(QSize(17, 17));
    m_tbRun->addAction(Action(QStringLiteral("actnExec")));
    m_tbRun->addAction(Action(QStringLiteral("actnExecAsTbl")));
    m_sortMenu = new QMenu(this);
    m_sortMenu->setObjectName(QStringLiteral("pmSort"));
    m_sortGroup = new QActionGroup(this);
    m_sortGroup->setExclusive(true);
    const std::pair<const char *, const char *> sorts[] = {
        {"mnSortNumm", "по номеру"}, {"mnSortName", "по наименованию"}, {"mnSortId", "по порядку ввода (Id)"}};
    const int current = dmVorn() ? std::clamp(dmVorn()->CatalogueSortKey, 0, 2) : 0;
    for (int k = 0; k < 3; ++k) {
        QAction *a = m_sortMenu->addAction(QString::fromUtf8(sorts[k].second));
        a->setObjectName(QLatin1String(sorts[k].first));
        a->setCheckable(true);
        a->setChecked(k == current);
        m_sortGroup->addAction(a);
        connect(a, &QAction::triggered, this, [this, k] {
            try {
                SetSortKey(k);
            } catch (const std::exception &e) {
                ShowError(QString::fromUtf8(e.what()));
            }
        });
    }
    m_sortButton = new QToolButton(m_tbRun);
    m_sortButton->setObjectName(QStringLiteral("tbtnSort"));
    m_sortButton->setIcon(vornIcon(VornImg::Sort));
    m_sortButton->setToolTip(QStringLiteral("Порядок сортировки"));
    m_sortButton->setMenu(m_sortMenu);
    m_sortButton->setPopupMode(QToolButton::InstantPopup);
    m_tbRun->addWidget(m_sortButton);
    m_tbRun->addAction(Action(QStringLiteral("actnRefresh")));
}

QAction *TfrmVornMain::Action(const QString &objectName) const
{
    return findChild<QAction *>(objectName, Qt::FindDirectChildrenOnly);
}

QMenu *TfrmVornMain::PopupMenu()
{
    if (!m_popup) {
        m_popup = new QMenu(this);
        m_popup->setObjectName(QStringLiteral("pmTree"));
    }
    m_popup->clear();
    QList<QList<QAction *>> groups;
    for (int i = 0; i < m_editActions.size(); i += 3)
        groups << m_editActions.mid(i, 3);
    groups << QList<QAction *>{Action(QStringLiteral("actnExec")), Action(QStringLiteral("actnExecAsTbl")),
                               Action(QStringLiteral("actnRefresh"))};
    // Disabled items are left out, and so are separators that would stand alone.
    for (const QList<QAction *> &g : groups) {
        QList<QAction *> on;
        for (QAction *a : g)
            if (a->isEnabled())
                on << a;
        if (on.isEmpty())
            continue;
        if (!m_popup->isEmpty())
            m_popup->addSeparator();
        m_popup->addActions(on);
    }
    return m_popup;
}

void TfrmVornMain::contextMenu(const QPoint &pos)
{
    if (QTreeWidgetItem *it = m_tree->itemAt(pos))
        SelectNode(it);
    PopupMenu()->popup(m_tree->viewport()->mapToGlobal(pos));
}

void TfrmVornMain::run(void (TfrmVornMain::*handler)())
{
    try {
        (this->*handler)();
    } catch (const EAbort &) {
    } catch (const std::exception &e) {
        ShowError(QString::fromUtf8(e.what()));
    }
}

bool TfrmVornMain::event(QEvent *e)
{
    if (e->type() == WM_CATALOGUE_CHANGED) {
        try {
            BuildTree(true);
        } catch (const std::exception &ex) {
            ShowError(QString::fromUtf8(ex.what()));
        }
        return true;
    }
    return QWidget::event(e);
}

// ---------------------------------------------------------------- placement

void TfrmVornMain::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    if (!m_placed) {
        m_placed = true;
        // the sub-window is what the user moves, sizes and maximises
        QWidget *w = qobject_cast<QMdiSubWindow *>(parentWidget()) ? parentWidget() : this;
        auto *placement = new vorn::WindowPlacement(w, vorn::sysinfo::executableBaseName(), QLatin1String(kPlacementKey));
        placement->restore();
    }
}

// ---------------------------------------------------------------- building

TVornTreeNode *TfrmVornMain::addNode(QTreeWidgetItem *parent, const TVornNodeRec &rec, const QString &text, int image)
{
    auto *n = new TVornTreeNode(rec);
    n->setText(0, text);
    n->setData(0, Qt::UserRole, text);  // the name before an in-place edit
    n->setIcon(0, treeIcon(image));
    n->setData(0, Qt::UserRole + 1, image);
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
    if (CanRename(n))
        f |= Qt::ItemIsEditable;
    n->setFlags(f);
    if (parent)
        parent->addChild(n);
    else
        m_tree->addTopLevelItem(n);
    return n;
}

void TfrmVornMain::addParams(QTreeWidgetItem *parent, int branch, int linkId, int ownerId, bool remote)
{
    const QList<TParamRow> rows = (remote ? m_remoteParams : m_queryParams).value(ownerId);
    if (rows.isEmpty())
        return;
    TVornTreeNode *folder =
        addNode(parent, {vnkParams, branch, ownerId, 0, linkId, 0, 0}, QStringLiteral("Параметры"), VornImg::ParametersFolder);
    for (const TParamRow &p : rows)
        addNode(folder, {vnkParam, branch, p.Id, p.Numm, linkId, 0, 0}, p.Label, VornImg::Parameter);
}

void TfrmVornMain::addReport(QTreeWidgetItem *parent, int branch, int linkId, int idForm, int numm, const QString &name,
                             int destination, int typExec)
{
    TVornTreeNode *report =
        addNode(parent, {vnkReport, branch, idForm, numm, linkId, destination, typExec}, name, VornImg::Report);
    TVornTreeNode *queries =
        addNode(report, {vnkQueries, branch, 0, 0, linkId, 0, 0}, QStringLiteral("Запросы"), VornImg::QueriesFolder);
    const QList<TSourceRow> sources = m_sources.value(idForm);
    for (const TSourceRow &s : sources) {
        if (s.IdQuery > 0)
            addNode(queries, {vnkQuery, branch, s.IdQuery, s.Numm, linkId, 0, 0}, s.Name,
                    s.IsMaster > 0 ? VornImg::MasterQuery : VornImg::Query);
        else if (s.IdRemoteData > 0)
            addNode(queries, {vnkRemoteData, branch, s.IdRemoteData, s.Numm, linkId, 0, 0}, s.Name, VornImg::DataModule);
    }
    if (sources.isEmpty())
        return;
    if (sources.first().IdQuery > 0)
        addParams(report, branch, linkId, sources.first().IdQuery, false);
    else if (sources.first().IdRemoteData > 0)
        addParams(report, branch, linkId, sources.first().IdRemoteData, true);
}

static int intOf(vorn::Query *q, const char *field) { return q->fieldValue(QLatin1String(field)).toInt(); }
static QString textOf(vorn::Query *q, const char *field) { return q->fieldValue(QLatin1String(field)).toString(); }

void TfrmVornMain::BuildTree(bool keep)
{
    TdmVorn *dm = dmVorn();
    if (!dm)
        return;
    dm->OpenSorted(dm->qGroup);
    dm->OpenSorted(dm->qGrpBody);
    ReopenKeepingPosition(dm->qFrm2Qry);
    ReopenKeepingPosition(dm->qQueryParam);
    ReopenKeepingPosition(dm->qRemoteDataParam);

    TVornNodeRec kept;
    bool keeping = false;
    if (keep)
        if (TVornTreeNode *s = Selected()) {
            kept = s->Rec;
            keeping = true;
        }

    m_sources.clear();
    m_queryParams.clear();
    m_remoteParams.clear();
    {
        vorn::Query *q = dm->qFrm2Qry;
        for (q->first(); !q->eof(); q->next())
            m_sources[intOf(q, "IdForm")].append(
                {intOf(q, "IdQuery"), intOf(q, "IdRemoteData"), intOf(q, "Numm"), intOf(q, "IsMaster"), textOf(q, "Name")});
    }
    // The union does not keep Numm order within a report; the tree shows it.
    for (QList<TSourceRow> &l : m_sources)
        std::stable_sort(l.begin(), l.end(), [](const TSourceRow &a, const TSourceRow &b) { return a.Numm < b.Numm; });
    for (vorn::Query *q : {dm->qQueryParam, dm->qRemoteDataParam}) {
        const bool remote = q == dm->qRemoteDataParam;
        for (q->first(); !q->eof(); q->next())
            (remote ? m_remoteParams : m_queryParams)[intOf(q, remote ? "IdRemoteData" : "IdQuery")].append(
                {intOf(q, "Id"), intOf(q, "Numm"), textOf(q, "ParLabel")});
    }

    m_building = true;
    m_tree->setUpdatesEnabled(false);
    auto restore = qScopeGuard([this] {
        m_building = false;
        m_tree->setUpdatesEnabled(true);
    });
    m_tree->clear();

    // Members of each group in the list's order.
    struct Member { int Id, IdForm, IdScript, Numm, Dest, Typ; QString Name; };
    QHash<int, QList<Member>> members;
    {
        vorn::Query *q = dm->qGrpBody;
        for (q->first(); !q->eof(); q->next())
            members[intOf(q, "IdGroup")].append({intOf(q, "Id"), intOf(q, "IdForm"), intOf(q, "IdScript"), intOf(q, "Numm"),
                                                 intOf(q, "IdDestination"), intOf(q, "IdTypExec"), textOf(q, "Name")});
    }
    {
        vorn::Query *q = dm->qGroup;
        for (q->first(); !q->eof(); q->next()) {
            const int idGroup = intOf(q, "Id");
            TVornTreeNode *g = addNode(nullptr, {vnkGroup, vnbGroups, idGroup, intOf(q, "Numm"), idGroup, 0, 0},
                                       textOf(q, "GrpName"), VornImg::Group);
            for (const Member &m : members.value(idGroup)) {
                if (m.IdForm > 0)
                    addReport(g, vnbGroups, m.Id, m.IdForm, m.Numm, m.Name, m.Dest, m.Typ);
                else if (m.IdScript > 0)
                    addNode(g, {vnkScript, vnbGroups, m.IdScript, m.Numm, m.Id, 0, 0}, m.Name, VornImg::Script);
            }
        }
    }
    if (m_admin) {
        vorn::Query *q = dm->qForm;
        dm->OpenSorted(q);
        TVornTreeNode *root = addNode(nullptr, {vnkGroup, vnbReports, 0, 0, 0, 0, 0}, QStringLiteral("Все отчеты"), VornImg::Group);
        for (q->first(); !q->eof(); q->next())
            addReport(root, vnbReports, intOf(q, "Id"), intOf(q, "Id"), intOf(q, "Numm"), textOf(q, "Name"),
                      intOf(q, "IdDestination"), intOf(q, "IdTypExec"));

        q = dm->qQuery;
        dm->OpenSorted(q);
        root = addNode(nullptr, {vnkQueries, vnbQueries, 0, 0, 0, 0, 0}, QStringLiteral("Все запросы"), VornImg::QueriesFolder);
        for (q->first(); !q->eof(); q->next()) {
            const int idQuery = intOf(q, "Id");
            TVornTreeNode *n =
                addNode(root, {vnkQuery, vnbQueries, idQuery, intOf(q, "Numm"), idQuery, 0, 0}, textOf(q, "Name"), VornImg::Query);
            addParams(n, vnbQueries, idQuery, idQuery, false);
        }

        q = dm->qRemoteData;
        dm->OpenSorted(q);
        root = addNode(nullptr, {vnkRemoteRoot, vnbRemoteData, 0, 0, 0, 0, 0}, QStringLiteral("Все модули данных"),
                       VornImg::DataModulesRoot);
        for (q->first(); !q->eof(); q->next()) {
            const int idRemote = intOf(q, "Id");
            TVornTreeNode *n = addNode(root, {vnkRemoteData, vnbRemoteData, idRemote, intOf(q, "Numm"), idRemote, 0, 0},
                                       textOf(q, "Name"), VornImg::DataModule);
            addParams(n, vnbRemoteData, idRemote, idRemote, true);
        }

        q = dm->qScript;
        dm->OpenSorted(q);
        root = addNode(nullptr, {vnkScriptsRoot, vnbScripts, 0, 0, 0, 0, 0}, QStringLiteral("Все скрипты (макросы)"),
                       VornImg::ScriptsRoot);
        for (q->first(); !q->eof(); q->next())
            addNode(root, {vnkScript, vnbScripts, intOf(q, "Id"), intOf(q, "Numm"), intOf(q, "Id"), 0, 0},
                    textOf(q, "Name"), VornImg::Script);
    }
    restore.dismiss();
    m_building = false;
    m_tree->setUpdatesEnabled(true);

    TVornTreeNode *found = keeping ? FindNode(kept) : nullptr;
    if (found)
        SelectNode(found);
    if (!m_admin && m_tree->topLevelItemCount() > 0 &&
        (!found || found == m_tree->topLevelItem(0)))
        m_tree->topLevelItem(0)->setExpanded(true);
    UpdateActions();
}

// ---------------------------------------------------------------- navigation

TVornTreeNode *TfrmVornMain::Selected() const { return static_cast<TVornTreeNode *>(m_tree->currentItem()); }

void TfrmVornMain::SelectNode(QTreeWidgetItem *node)
{
    if (!node)
        return;
    m_tree->setCurrentItem(node);
    m_tree->scrollToItem(node);
    m_changeTimer->stop();
    UpdateActions();
}

TVornTreeNode *TfrmVornMain::FindNode(int kind, int branch, int objectId, int linkId) const
{
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
        auto *n = static_cast<TVornTreeNode *>(*it);
        if (n->Rec.Kind == kind && n->Rec.Branch == branch && n->Rec.ObjectId == objectId && n->Rec.LinkId == linkId)
            return n;
    }
    return nullptr;
}

TVornTreeNode *TfrmVornMain::topLevel(int kind, int branch) const
{
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        auto *n = static_cast<TVornTreeNode *>(m_tree->topLevelItem(i));
        if (n->Rec.Kind == kind && n->Rec.Branch == branch)
            return n;
    }
    return nullptr;
}

TVornTreeNode *TfrmVornMain::reportOf(TVornTreeNode *node) const
{
    for (QTreeWidgetItem *i = node; i; i = i->parent())
        if (static_cast<TVornTreeNode *>(i)->Rec.Kind == vnkReport)
            return static_cast<TVornTreeNode *>(i);
    return nullptr;
}

TVornTreeNode *TfrmVornMain::groupOf(TVornTreeNode *node) const
{
    QTreeWidgetItem *i = node;
    while (i && i->parent())
        i = i->parent();
    auto *g = static_cast<TVornTreeNode *>(i);
    return g && g->Rec.Kind == vnkGroup && g->Rec.Branch == vnbGroups ? g : nullptr;
}

void TfrmVornMain::UpdateActions()
{
    QStringList on;
    if (TVornTreeNode *n = Selected()) {
        on = adminActions(n->Rec.Kind, n->Rec.Branch);
        // Other users keep only the runs the node offers.
        if (!m_admin)
            on.removeIf([](const QString &a) { return a != QLatin1String("actnExec") && a != QLatin1String("actnExecAsTbl"); });
    }
    for (QAction *a : findChildren<QAction *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!a->objectName().startsWith(QLatin1String("actn")))
            continue;
        a->setEnabled(a->objectName() == QLatin1String("actnRefresh") || on.contains(a->objectName()));
    }
}

// ---------------------------------------------------------------- names

QString TfrmVornMain::UniqueName(const QString &defaultText, const QString &table, const QString &column)
{
    QString candidate = defaultText;
    for (int n = 1; SelectValue(QStringLiteral("select count(*) from ") + table + QStringLiteral(" where ") + column +
                                u'=' + QuotedSql(candidate)).toInt() > 0;
         ++n)
        candidate = defaultText + u' ' + QString::number(n);
    return candidate;
}

QString TfrmVornMain::UniqueParamName(int ownerId, bool ownerIsRemoteData)
{
    const QString owner = (ownerIsRemoteData ? QStringLiteral("IdRemoteData") : QStringLiteral("IdQuery")) +
                          u'=' + QString::number(ownerId);
    const QString base = QStringLiteral("NewParametr");
    QString candidate = base;
    for (int n = 1; SelectValue(QStringLiteral("select count(*) from VornParam where ParName=") + QuotedSql(candidate) +
                                QStringLiteral(" and ") + owner).toInt() > 0;
         ++n)
        candidate = base + QString::number(n);
    return candidate;
}

// ---------------------------------------------------------------- renaming

bool TfrmVornMain::CanRename(const TVornTreeNode *node) const
{
    if (!m_admin || !node)
        return false;
    const int k = node->Rec.Kind, b = node->Rec.Branch;
    return (k == vnkGroup && b == vnbGroups) || (k == vnkReport && b == vnbReports) ||
           ((k == vnkQuery || k == vnkParam) && b == vnbQueries) || (k == vnkScript && b == vnbScripts) ||
           (k == vnkRemoteData && b == vnbRemoteData);
}

bool TfrmVornMain::RenameNode(TVornTreeNode *node, const QString &text)
{
    const QString old = node->data(0, Qt::UserRole).toString();
    auto setText = [this, node](const QString &t) {
        const bool was = m_building;
        m_building = true;
        node->setText(0, t);
        node->setData(0, Qt::UserRole, t);
        m_building = was;
    };
    if (!CanRename(node) || text.trimmed().isEmpty()) {
        setText(old);
        return false;
    }
    QString table, column = QStringLiteral("Name");
    switch (node->Rec.Kind) {
    case vnkGroup: table = QStringLiteral("VornGroup"); column = QStringLiteral("GrpName"); break;
    case vnkReport: table = QStringLiteral("VornForm"); break;
    case vnkQuery: table = QStringLiteral("VornQuery"); break;
    case vnkParam: table = QStringLiteral("VornParam"); column = QStringLiteral("ParLabel"); break;
    case vnkScript: table = QStringLiteral("VornScript"); break;
    case vnkRemoteData: table = QStringLiteral("VornRemoteData"); break;
    default: return false;
    }
    try {
        ExecSql(QStringLiteral("update ") + table + QStringLiteral(" set ") + column + u'=' + QuotedSql(text) +
                QStringLiteral(" where Id=") + id(node->Rec.ObjectId));
    } catch (const std::exception &e) {
        setText(old);
        ShowError(QString::fromUtf8(e.what()));
        return false;
    }
    setText(text);
    return true;
}

void TfrmVornMain::nodeChanged(QTreeWidgetItem *item, int column)
{
    if (m_building || column != 0)
        return;
    auto *n = static_cast<TVornTreeNode *>(item);
    if (n->text(0) != n->data(0, Qt::UserRole).toString())
        RenameNode(n, n->text(0));
}

void TfrmVornMain::startRename(TVornTreeNode *node)
{
    SelectNode(node);
    if (CanRename(node))
        m_tree->editItem(node, 0);
}

// ---------------------------------------------------------------- groups, drops

bool TfrmVornMain::CanDrop(const TVornTreeNode *dragged, const TVornTreeNode *target) const
{
    if (!m_admin || !dragged || !target)
        return false;
    const bool source = (dragged->Rec.Kind == vnkReport && dragged->Rec.Branch == vnbReports) ||
                        (dragged->Rec.Kind == vnkScript && dragged->Rec.Branch == vnbScripts);
    return source && target->Rec.Kind == vnkGroup && target->Rec.Branch == vnbGroups;
}

bool TfrmVornMain::addToGroup(int groupId, TVornTreeNode *node)
{
    const bool report = node->Rec.Kind == vnkReport;
    const QString column = report ? QStringLiteral("IdForm") : QStringLiteral("IdScript");
    const int n = SelectValue(QStringLiteral("select count(*) from VornGrpBody where IdGroup=") + id(groupId) +
                              QStringLiteral(" and ") + column + u'=' + id(node->Rec.ObjectId)).toInt();
    if (n > 0) {
        ShowError(report ? QStringLiteral("Отчёт уже существует в указанной группе!")
                         : QStringLiteral("Скрипт(макрос) уже существует в указанной группе!"));
        return false;
    }
    ExecSql(QStringLiteral("insert into VornGrpBody (IdGroup, ") + column + QStringLiteral(", Numm)values (") +
            id(groupId) + QStringLiteral(", ") + id(node->Rec.ObjectId) + QStringLiteral(", ") + id(node->Rec.Numm) +
            u')');
    return true;
}

bool TfrmVornMain::DropOnGroup(TVornTreeNode *dragged, TVornTreeNode *target)
{
    if (!CanDrop(dragged, target))
        return false;
    if (!addToGroup(target->Rec.ObjectId, dragged))
        return false;
    BuildTree(true);
    return true;
}

void TfrmVornMain::SetSortKey(int key)
{
    if (dmVorn())
        dmVorn()->CatalogueSortKey = std::clamp(key, 0, 2);
    if (QAction *a = m_sortGroup->actions().value(std::clamp(key, 0, 2)))
        a->setChecked(true);
    BuildTree(true);
}

// ---------------------------------------------------------------- helpers of actions

void TfrmVornMain::removeNodeSelectParent(TVornTreeNode *node)
{
    QTreeWidgetItem *parent = node->parent();
    delete node;
    if (parent)
        SelectNode(parent);
    else
        UpdateActions();
}

void TfrmVornMain::rebuildSelectNeighbour(TVornTreeNode *node, bool previousToo)
{
    QTreeWidgetItem *parent = node->parent();
    const int index = parent ? parent->indexOfChild(node) : m_tree->indexOfTopLevelItem(node);
    const int count = parent ? parent->childCount() : m_tree->topLevelItemCount();
    auto at = [&](int i) {
        return static_cast<TVornTreeNode *>(parent ? parent->child(i) : m_tree->topLevelItem(i));
    };
    QList<TVornNodeRec> candidates;
    if (index + 1 < count)
        candidates << at(index + 1)->Rec;
    if (previousToo && index > 0)
        candidates << at(index - 1)->Rec;
    if (parent)
        candidates << static_cast<TVornTreeNode *>(parent)->Rec;
    BuildTree(false);
    for (const TVornNodeRec &r : candidates)
        if (TVornTreeNode *n = FindNode(r)) {
            SelectNode(n);
            return;
        }
    if (m_tree->topLevelItemCount() > 0)
        SelectNode(m_tree->topLevelItem(0));
}

void TfrmVornMain::firstSource(int idForm, int *idQuery, int *idRemoteData) const
{
    vorn::Query q;
    q.setDatabaseName(QStringLiteral("dbMain"));
    q.setSql(QStringLiteral("select IdQuery, IdRemoteData from VornFrm2Qry where IdForm=") + id(idForm) +
             QStringLiteral(" order by Numm"));
    q.open();
    *idQuery = q.isEmpty() ? 0 : q.fieldValue(QStringLiteral("IdQuery")).toInt();
    *idRemoteData = q.isEmpty() ? 0 : q.fieldValue(QStringLiteral("IdRemoteData")).toInt();
}

// ---------------------------------------------------------------- actions: groups

void TfrmVornMain::NewGrpFrm()
{
    TVornTreeNode *n = Selected();
    TdmVorn *dm = dmVorn();
    if (n && ((n->Rec.Kind == vnkReport && n->Rec.Branch == vnbReports) ||
              (n->Rec.Kind == vnkScript && n->Rec.Branch == vnbScripts))) {
        const bool report = n->Rec.Kind == vnkReport;
        TdlgVornChoice dlg(report ? QStringLiteral("Добавить отчет в группу") : QStringLiteral("Добавить скрипт(макрос) в группу"),
                           QStringLiteral("Группа отчетов"), this);
        dlg.Fill(dm->qGroup, QStringLiteral("GrpName"));
        dlg.List->setCurrentIndex(dlg.List->count() > 0 ? 0 : -1);
        if (ExecDialog(&dlg) != QDialog::Accepted || dlg.ChosenId() <= 0)
            return;
        const int groupId = dlg.ChosenId();
        const int objectId = n->Rec.ObjectId, kind = n->Rec.Kind;
        if (!addToGroup(groupId, n))
            return;
        BuildTree(true);
        if (TVornTreeNode *g = FindNode(vnkGroup, vnbGroups, groupId, groupId))
            for (int i = 0; i < g->childCount(); ++i) {
                auto *c = static_cast<TVornTreeNode *>(g->child(i));
                if (c->Rec.Kind == kind && c->Rec.ObjectId == objectId) {
                    g->setExpanded(true);
                    SelectNode(c);
                    break;
                }
            }
        return;
    }
    if (!Confirm(QStringLiteral("Создать новую группу?")))
        return;
    const QString name = UniqueName(QStringLiteral("Новая группа"), QStringLiteral("VornGroup"), QStringLiteral("GrpName"));
    const int idGroup = CatGrpAdd(name);
    dm->OpenSorted(dm->qGroup);
    dm->qGroup->locate(QStringLiteral("Id"), idGroup);
    const int numm = dm->qGroup->fieldValue(QStringLiteral("Numm")).toInt();
    m_building = true;
    auto *g = new TVornTreeNode({vnkGroup, vnbGroups, idGroup, numm, idGroup, 0, 0});
    g->setText(0, name);
    g->setData(0, Qt::UserRole, name);
    g->setIcon(0, treeIcon(VornImg::Group));
    g->setData(0, Qt::UserRole + 1, int(VornImg::Group));
    g->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled | Qt::ItemIsEditable);
    m_tree->insertTopLevelItem(0, g);
    m_building = false;
    startRename(g);
}

void TfrmVornMain::EditGrpFrm()
{
    TVornTreeNode *n = Selected();
    int group = 0, form = 0, script = 0;
    if (n && n->Rec.Branch == vnbGroups) {
        if (TVornTreeNode *g = groupOf(n))
            group = g->Rec.ObjectId;
        if (n->Rec.Kind == vnkReport)
            form = n->Rec.ObjectId;
        else if (n->Rec.Kind == vnkScript)
            script = n->Rec.ObjectId;
    }
    ShowChildForm<TfrmVornGrpFrm>()->ShowItem(group, form, script);
}

void TfrmVornMain::DelGrpFrm()
{
    TVornTreeNode *n = Selected();
    if (!n || n->Rec.Kind != vnkGroup || n->Rec.Branch != vnbGroups)
        return;
    if (DeleteWithDependants(n->Rec.ObjectId, vokGroup, n->text(0)))
        rebuildSelectNeighbour(n, false);
}

// ---------------------------------------------------------------- actions: reports

void TfrmVornMain::NewFrm()
{
    TVornTreeNode *n = Selected();
    if (!n)
        return;
    TdmVorn *dm = dmVorn();
    if (n->Rec.Branch == vnbGroups) {
        TVornTreeNode *g = n->Rec.Kind == vnkGroup ? n : nullptr;
        ShowChildForm<TfrmVornGrpFrm>()->ShowItem(g ? g->Rec.ObjectId : 0, 0, 0);
        return;
    }
    if (n->Rec.Branch == vnbReports) {
        if (!Confirm(QStringLiteral("Создать новый отчет?")))
            return;
        const QString name = UniqueName(QStringLiteral("Новый отчет"), QStringLiteral("VornForm"), QStringLiteral("Name"));
        const int idForm = CatFormAdd(name, 0);
        dm->OpenSorted(dm->qForm);
        dm->qForm->locate(QStringLiteral("Id"), idForm);
        QTreeWidgetItem *parent = n->Rec.Kind == vnkReport && n->parent() ? n->parent() : topLevel(vnkGroup, vnbReports);
        m_building = true;
        m_sources.remove(idForm);
        addReport(parent, vnbReports, idForm, idForm, dm->qForm->fieldValue(QStringLiteral("Numm")).toInt(), name,
                  dm->qForm->fieldValue(QStringLiteral("IdDestination")).toInt(),
                  dm->qForm->fieldValue(QStringLiteral("IdTypExec")).toInt());
        m_building = false;
        startRename(static_cast<TVornTreeNode *>(parent->child(parent->childCount() - 1)));
        return;
    }
    const bool query = n->Rec.Kind == vnkQuery && n->Rec.Branch == vnbQueries;
    const bool remote = n->Rec.Kind == vnkRemoteData && n->Rec.Branch == vnbRemoteData;
    if (!query && !remote)
        return;
    TdlgVornChoice dlg(QStringLiteral("Добавить ") + (query ? QStringLiteral("запрос") : QStringLiteral("модуль данных")) +
                           QStringLiteral(" в отчёт (новый или существующий)"),
                       QStringLiteral("Отчёты"), this);
    dlg.List->addItem(QStringLiteral("<Новый отчет>"), 0);
    dm->OpenSorted(dm->qForm);
    dlg.Fill(dm->qForm, QStringLiteral("Name"));
    dlg.List->setCurrentIndex(0);
    if (ExecDialog(&dlg) != QDialog::Accepted)
        return;
    int idForm = dlg.ChosenId();
    const QString column = query ? QStringLiteral("IdQuery") : QStringLiteral("IdRemoteData");
    if (idForm > 0) {
        const int numm = CatFrm2QryNumm(idForm);
        ExecSql(QStringLiteral("insert into VornFrm2Qry (IdForm, Numm, ") + column +
                QStringLiteral(", QueryShortName, IsMaster) values(") + id(idForm) + u',' + id(numm) + u',' +
                id(n->Rec.ObjectId) + QStringLiteral(",'Query") + id(numm) + QStringLiteral("', 0)"));
    } else {
        const QString source = SelectValue(QStringLiteral("select Name from ") +
                                           (query ? QStringLiteral("VornQuery") : QStringLiteral("VornRemoteData")) +
                                           QStringLiteral(" where Id=") + id(n->Rec.ObjectId)).toString();
        const QString name = UniqueName(source, QStringLiteral("VornForm"), QStringLiteral("Name"));
        idForm = query ? CatFormAdd(name, n->Rec.ObjectId, 0) : CatFormAdd(name, 0, n->Rec.ObjectId);
    }
    BuildTree(true);
    if (TVornTreeNode *r = FindNode(vnkReport, vnbReports, idForm, idForm))
        SelectNode(r);
}

void TfrmVornMain::EditFrm()
{
    TVornTreeNode *n = Selected();
    int form = 0, query = 0, remote = 0;
    if (n && (n->Rec.Branch == vnbGroups || n->Rec.Branch == vnbReports)) {
        if (TVornTreeNode *r = reportOf(n))
            form = r->Rec.ObjectId;
        if (n->Rec.Kind == vnkQuery)
            query = n->Rec.ObjectId;
        else if (n->Rec.Kind == vnkRemoteData)
            remote = n->Rec.ObjectId;
    }
    ShowChildForm<TfrmVornForm>()->ShowItem(form, query, remote);
}

void TfrmVornMain::DelFrm()
{
    TVornTreeNode *n = Selected();
    if (!n || n->Rec.Kind != vnkReport)
        return;
    if (n->Rec.Branch == vnbReports) {
        if (DeleteWithDependants(n->Rec.ObjectId, vokReport, n->text(0)))
            rebuildSelectNeighbour(n, true);
        return;
    }
    TVornTreeNode *g = groupOf(n);
    if (!g || !Confirm(QStringLiteral("Удалить отчет из группы?")))
        return;
    ExecSql(QStringLiteral("delete from VornGrpBody where IdGroup=") + id(g->Rec.ObjectId) + QStringLiteral(" and IdForm=") +
            id(n->Rec.ObjectId));
    removeNodeSelectParent(n);
}

// ---------------------------------------------------------------- actions: queries

void TfrmVornMain::NewSQL()
{
    TVornTreeNode *n = Selected();
    if (!n)
        return;
    TdmVorn *dm = dmVorn();
    if (n->Rec.Branch == vnbGroups || n->Rec.Branch == vnbReports) {
        TVornTreeNode *r = reportOf(n);
        if (!r || !Confirm(QStringLiteral("Создать новый запрос в отчёте?")))
            return;
        const QString reportName =
            SelectValue(QStringLiteral("select Name from VornForm where Id=") + id(r->Rec.ObjectId)).toString();
        const QString name = UniqueName(reportName, QStringLiteral("VornQuery"), QStringLiteral("Name"));
        const int idQuery = CatQueryAdd(name, r->Rec.ObjectId);
        dm->OpenSorted(dm->qQuery);
        const int numm = SelectValue(QStringLiteral("select Numm from VornFrm2Qry where IdForm=") + id(r->Rec.ObjectId) +
                                     QStringLiteral(" and IdQuery=") + id(idQuery)).toInt();
        QTreeWidgetItem *folder = r->child(0);
        TVornTreeNode *q = addNode(folder, {vnkQuery, r->Rec.Branch, idQuery, numm, r->Rec.LinkId, 0, 0}, name, VornImg::Query);
        folder->setExpanded(true);
        SelectNode(q);
        return;
    }
    if (n->Rec.Branch != vnbQueries || !Confirm(QStringLiteral("Создать новый запрос?")))
        return;
    const QString name = UniqueName(QStringLiteral("Новый запрос"), QStringLiteral("VornQuery"), QStringLiteral("Name"));
    const int idQuery = CatQueryAdd(name, 0);
    dm->OpenSorted(dm->qQuery);
    dm->qQuery->locate(QStringLiteral("Id"), idQuery);
    TVornTreeNode *q = addNode(topLevel(vnkQueries, vnbQueries),
                               {vnkQuery, vnbQueries, idQuery, dm->qQuery->fieldValue(QStringLiteral("Numm")).toInt(), idQuery, 0, 0},
                               name, VornImg::Query);
    startRename(q);
}

void TfrmVornMain::EditSQL()
{
    TVornTreeNode *n = Selected();
    ShowChildForm<TfrmVornQuery>()->ShowItem(n && n->Rec.Kind == vnkQuery ? n->Rec.ObjectId : 0);
}

void TfrmVornMain::DelSQL()
{
    TVornTreeNode *n = Selected();
    if (!n || n->Rec.Kind != vnkQuery || n->Rec.Branch != vnbQueries)
        return;
    if (DeleteWithDependants(n->Rec.ObjectId, vokQuery, n->text(0)))
        rebuildSelectNeighbour(n, true);
}

// ---------------------------------------------------------------- actions: data modules

void TfrmVornMain::NewRemoteData()
{
    // Outside its own branch (a data module of a report) the action does the same as
    // there: a new data module, shown under "Все модули данных".
    if (!Selected() || !Confirm(QStringLiteral("Создать новый модуль данных?")))
        return;
    TdmVorn *dm = dmVorn();
    const QString name =
        UniqueName(QStringLiteral("Новый модуль данных"), QStringLiteral("VornRemoteData"), QStringLiteral("Name"));
    const int idRemote = CatRemoteDataAdd(name);
    TVornTreeNode *root = topLevel(vnkRemoteRoot, vnbRemoteData);
    if (!root)
        return;
    dm->OpenSorted(dm->qRemoteData);
    dm->qRemoteData->locate(QStringLiteral("Id"), idRemote);
    TVornTreeNode *r = addNode(
        root, {vnkRemoteData, vnbRemoteData, idRemote, dm->qRemoteData->fieldValue(QStringLiteral("Numm")).toInt(), idRemote, 0, 0},
        name, VornImg::DataModule);
    root->setExpanded(true);
    startRename(r);
}

void TfrmVornMain::EditRemoteData()
{
    TVornTreeNode *n = Selected();
    ShowChildForm<TfrmVornRemoteData>()->ShowItem(n && n->Rec.Kind == vnkRemoteData ? n->Rec.ObjectId : 0);
}

void TfrmVornMain::DelRemoteData()
{
    TVornTreeNode *n = Selected();
    if (!n || n->Rec.Kind != vnkRemoteData || n->Rec.Branch != vnbRemoteData)
        return;
    if (DeleteWithDependants(n->Rec.ObjectId, vokRemoteData, n->text(0)))
        rebuildSelectNeighbour(n, true);
}

// ---------------------------------------------------------------- actions: parameters

void TfrmVornMain::NewParam()
{
    TVornTreeNode *n = Selected();
    if (!n)
        return;
    int idQuery = 0, idRemote = 0;
    if (n->Rec.Branch == vnbQueries || n->Rec.Branch == vnbRemoteData) {
        int owner = 0;
        if (n->Rec.Kind == vnkQuery || n->Rec.Kind == vnkRemoteData || n->Rec.Kind == vnkParams)
            owner = n->Rec.ObjectId;
        else if (n->Rec.Kind == vnkParam && n->parent())
            owner = static_cast<TVornTreeNode *>(n->parent())->Rec.ObjectId;
        if (owner <= 0)
            return;
        (n->Rec.Branch == vnbQueries ? idQuery : idRemote) = owner;
        if (!Confirm(QStringLiteral("Создать новый параметр?")))
            return;
    } else {
        TVornTreeNode *r = reportOf(n);
        if (!r)
            return;
        // A report without sources has no owner for a parameter.
        firstSource(r->Rec.ObjectId, &idQuery, &idRemote);
        if (idQuery <= 0 && idRemote <= 0) {
            ShowWarning(QStringLiteral("У отчёта нет ни запросов, ни модулей данных. Параметры отчёта принадлежат "
                                       "его первому источнику данных: сначала добавьте в отчёт запрос."));
            return;
        }
        if (idQuery > 0)
            idRemote = 0;
        if (!Confirm(QStringLiteral("Создать новый параметра в отчёте?")))
            return;
    }
    const QString name = idQuery > 0 ? UniqueParamName(idQuery, false) : UniqueParamName(idRemote, true);
    const int idParam = CatParamAdd(name, idQuery, idRemote);
    const TVornNodeRec at = n->Rec;
    BuildTree(true);
    if (TVornTreeNode *p = FindNode(vnkParam, at.Branch, idParam, at.LinkId))
        SelectNode(p);
}

void TfrmVornMain::EditParam()
{
    TVornTreeNode *n = Selected();
    int kind = 0, owner = 0, param = 0;
    auto ownerNode = [&](TVornTreeNode *o) {
        if (o && (o->Rec.Kind == vnkQuery || o->Rec.Kind == vnkRemoteData)) {
            kind = o->Rec.Kind == vnkRemoteData ? 1 : 0;
            owner = o->Rec.ObjectId;
        }
    };
    auto firstSourceNode = [&](TVornTreeNode *x) -> TVornTreeNode * {
        TVornTreeNode *r = reportOf(x);
        QTreeWidgetItem *folder = r && r->childCount() > 0 ? r->child(0) : nullptr;
        return folder && folder->childCount() > 0 ? static_cast<TVornTreeNode *>(folder->child(0)) : nullptr;
    };
    const bool ofReport = n && (n->Rec.Branch == vnbGroups || n->Rec.Branch == vnbReports);
    if (n) {
        switch (n->Rec.Kind) {
        case vnkQuery:
        case vnkRemoteData: ownerNode(n); break;
        case vnkParams:
            if (ofReport)
                ownerNode(firstSourceNode(n));
            else
                ownerNode(static_cast<TVornTreeNode *>(n->parent()));
            break;
        case vnkParam:
            param = n->Rec.ObjectId;
            if (ofReport)
                ownerNode(firstSourceNode(n));
            else if (n->parent())
                ownerNode(static_cast<TVornTreeNode *>(n->parent()->parent()));
            break;
        default: break;
        }
    }
    ShowChildForm<TfrmVornParam>()->ShowItem(kind, owner, param);
}

void TfrmVornMain::DelParam()
{
    TVornTreeNode *n = Selected();
    if (!n || n->Rec.Kind != vnkParam || (n->Rec.Branch != vnbQueries && n->Rec.Branch != vnbRemoteData))
        return;
    if (!Confirm(QStringLiteral("Удалить параметр?")))
        return;
    CatParamDel(n->Rec.ObjectId);
    removeNodeSelectParent(n);
}

// ---------------------------------------------------------------- actions: scripts

void TfrmVornMain::NewScript()
{
    TVornTreeNode *root = topLevel(vnkScriptsRoot, vnbScripts);
    TVornTreeNode *n = Selected();
    if (!root || !n || n->Rec.Branch != vnbScripts || !Confirm(QStringLiteral("Создать новый скрипт?")))
        return;
    TdmVorn *dm = dmVorn();
    const QString name = UniqueName(QStringLiteral("Новый скрипт"), QStringLiteral("VornScript"), QStringLiteral("Name"));
    const int idScript = CatScriptAdd(name);
    dm->OpenSorted(dm->qScript);
    dm->qScript->locate(QStringLiteral("Id"), idScript);
    TVornTreeNode *s = addNode(
        root, {vnkScript, vnbScripts, idScript, dm->qScript->fieldValue(QStringLiteral("Numm")).toInt(), idScript, 0, 0},
        name, VornImg::Script);
    root->setExpanded(true);
    startRename(s);
}

void TfrmVornMain::EditScript()
{
    TVornTreeNode *n = Selected();
    ShowChildForm<TfrmVornScript>()->ShowItem(n && n->Rec.Kind == vnkScript ? n->Rec.ObjectId : 0);
}

void TfrmVornMain::DelScript()
{
    TVornTreeNode *n = Selected();
    if (!n || n->Rec.Kind != vnkScript)
        return;
    if (n->Rec.Branch == vnbScripts) {
        if (!Confirm(QStringLiteral("Удалить скрипт?")))
            return;
        CatScriptDel(n->Rec.ObjectId);
        removeNodeSelectParent(n);
        // The procedure also removed the script's group memberships shown in branch 0.
        BuildTree(true);
        return;
    }
    TVornTreeNode *g = groupOf(n);
    if (!g || !Confirm(QStringLiteral("Удалить скрипт из группы?")))
        return;
    ExecSql(QStringLiteral("delete from VornGrpBody where IdGroup=") + id(g->Rec.ObjectId) +
            QStringLiteral(" and IdScript=") + id(n->Rec.ObjectId));
    removeNodeSelectParent(n);
}

// ---------------------------------------------------------------- actions: rights, runs

void TfrmVornMain::UsersList()
{
    TVornTreeNode *n = Selected();
    if (!n)
        return;
    int kind = 0;
    if (n->Rec.Kind == vnkGroup && n->Rec.Branch == vnbGroups)
        kind = vokGroup;
    else if (n->Rec.Kind == vnkReport)
        kind = vokReport;
    else if (n->Rec.Kind == vnkScript && (n->Rec.Branch == vnbGroups || n->Rec.Branch == vnbScripts))
        kind = vokScript;
    ShowChildForm<TfrmVornRights>()->ShowItem(kind, n->Rec.ObjectId);
}

void TfrmVornMain::EdtRepFrm()
{
    TVornTreeNode *n = Selected();
    if (n && n->Rec.Kind == vnkReport)
        DesignReport(n->Rec.ObjectId, n->text(0));
}

void TfrmVornMain::Exec()
{
    TVornTreeNode *n = Selected();
    if (!n)
        return;
    switch (n->Rec.Kind) {
    case vnkScript: {
        vorn::Query *q = dmVorn()->qScriptBody;
        q->close();
        q->paramByName(QStringLiteral("Id")).setAsInteger(n->Rec.ObjectId);
        q->open();
        auto closeBody = qScopeGuard([q] { q->close(); });
        if (q->isEmpty())
            return;
        ExecuteScript(q->fieldValue(QStringLiteral("ScrEngName")).toString(),
                      q->fieldValue(QStringLiteral("ScriptText")).toString(), n->Rec.ObjectId, nullptr, n->text(0));
        break;
    }
    case vnkQuery:
    case vnkRemoteData: ExecAsTbl(); break;
    case vnkReport: RunReport(n->Rec.ObjectId, n->text(0), n->Rec.IdDestination, n->Rec.IdTypExec); break;
    default: break;
    }
}

void TfrmVornMain::ExecAsTbl()
{
    TVornTreeNode *n = Selected();
    if (n && (n->Rec.Kind == vnkReport || n->Rec.Kind == vnkQuery || n->Rec.Kind == vnkRemoteData))
        ExecuteReport(n->Rec.ObjectId, n->text(0), nullptr, true, n->Rec.Kind, 0, QString(), vrmGrids);
}

void TfrmVornMain::Refresh() { BuildTree(true); }

void TfrmVornMain::nodeDoubleClicked(QTreeWidgetItem *item)
{
    auto *n = static_cast<TVornTreeNode *>(item);
    if (Selected() != n)
        SelectNode(n);
    else
        UpdateActions();
    QAction *a = nullptr;
    if (n->Rec.Kind == vnkReport || n->Rec.Kind == vnkScript)
        a = Action(QStringLiteral("actnExec"));
    else if (n->Rec.Kind == vnkQuery && n->Rec.Branch == vnbQueries)
        a = Action(QStringLiteral("actnExecAsTbl"));
    if (a && a->isEnabled())
        a->trigger();
}
