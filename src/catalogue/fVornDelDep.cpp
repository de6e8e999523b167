// Dependency-aware deletion: building the dependant list of a report, query or data
// module, the dialog that shows it, and the transaction that deletes the marked objects
// in reverse order (parameters before their owner, every dependant before the root).
#include "catalogue/fVornDelDep.h"

#include "catalogue/VornCatProcs.h"
#include "database/VornMessages.h"
#include "database/dmdVorn.h"
#include "platform/core/SettingsStore.h"
#include "platform/core/SystemInfo.h"
#include "platform/data/DataSource.h"
#include "platform/data/Database.h"
#include "platform/data/Query.h"
#include "VornImages.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

// ---------------------------------------------------------------- kinds

int VornObjectIcon(int kind)
{
    switch (kind) {
    case vokGroup: return VornImg::Group;
    case vokReport: return VornImg::Report;
    case vokQuery: return VornImg::Query;
    case vokParam: return VornImg::Parameter;
    case vokScript: return VornImg::Script;
    case vokImport: return VornImg::ImportDefinition;
    case vokRemoteData: return VornImg::DataModule;
    default: return 0;
    }
}

QString VornDeleteText(int kind)
{
    switch (kind) {
    case vokGroup: return QStringLiteral("Удалить группу ");
    case vokReport: return QStringLiteral("Удалить отчёт ");
    case vokQuery: return QStringLiteral("Удалить запрос ");
    case vokScript: return QStringLiteral("Удалить скрипт ");
    case vokRemoteData: return QStringLiteral("Удалить модуль данных ");
    default: return QString();
    }
}

QString VornObjectTable(int kind)
{
    switch (kind) {
    case vokGroup: return QStringLiteral("VornGroup");
    case vokReport: return QStringLiteral("VornForm");
    case vokQuery: return QStringLiteral("VornQuery");
    case vokParam: return QStringLiteral("VornParam");
    case vokScript: return QStringLiteral("VornScript");
    case vokImport: return QStringLiteral("VornImports");
    case vokRemoteData: return QStringLiteral("VornRemoteData");
    default: return QString();
    }
}

static void deleteRoot(int kind, int id)
{
    switch (kind) {
    case vokGroup: CatGrpDel(id); break;
    case vokReport: CatFormDel(id); break;
    case vokQuery: CatQueryDel(id); break;
    case vokScript: CatScriptDel(id); break;
    case vokRemoteData: CatRemoteDataDel(id); break;
    default: break;
    }
}

// ---------------------------------------------------------------- the list

TVornDependList::~TVornDependList() { qDeleteAll(m_items); }

TVornDependItem *TVornDependList::Add(int kind, int id, const QString &name, TVornDelMode mode, int level,
                                      int parentId, int parentKind)
{
    auto *item = new TVornDependItem;
    item->Kind = kind;
    item->Id = id;
    item->Name = name;
    item->Mode = mode;
    item->Level = level;
    item->ParentId = parentId;
    item->ParentKind = parentKind;
    item->List = this;
    m_items.append(item);
    return item;
}

void TVornDependList::addParams(int ownerId, int ownerKind, int level)
{
    const QString column = ownerKind == vokQuery ? QStringLiteral("IdQuery") : QStringLiteral("IdRemoteData");
    vorn::Query q;
    q.setDatabase(vorn::Database::defaultDatabase());
    q.setSql(QStringLiteral("select Id, ParLabel Name from VornParam where ") + column + u'=' +
             QString::number(ownerId) + QStringLiteral(" ORDER BY Numm"));
    q.open();
    for (q.first(); !q.eof(); q.next()) {
        TVornDependItem *p = Add(vokParam, q.fieldValue(QStringLiteral("Id")).toInt(),
                                 q.fieldValue(QStringLiteral("Name")).toString(), delParent, level, ownerId, ownerKind);
        SetInitialMarking(p);
    }
}

void TVornDependList::Build()
{
    if (RootKind == vokQuery || RootKind == vokRemoteData) {
        addParams(RootId, RootKind, 0);
        return;
    }
    if (RootKind != vokReport)
        return;
    struct Entry { int idQuery, idRemote; };
    QList<Entry> entries;
    {
        vorn::Query q;
        q.setDatabase(vorn::Database::defaultDatabase());
        q.setSql(QStringLiteral("select Id, IdQuery, IdRemoteData from VornFrm2Qry where IdForm=") +
                 QString::number(RootId) + QStringLiteral(" ORDER BY Numm"));
        q.open();
        for (q.first(); !q.eof(); q.next())
            entries.append({q.fieldValue(QStringLiteral("IdQuery")).toInt(),
                            q.fieldValue(QStringLiteral("IdRemoteData")).toInt()});
    }
    for (const Entry &e : entries) {
        const bool isQuery = e.idQuery > 0;
        const int kind = isQuery ? vokQuery : vokRemoteData;
        const int id = isQuery ? e.idQuery : e.idRemote;
        const QString column = isQuery ? QStringLiteral("IdQuery") : QStringLiteral("IdRemoteData");
        const QString name =
            SelectValue(QStringLiteral("select Name from ") + VornObjectTable(kind) + QStringLiteral(" where Id=") +
                        QString::number(id)).toString();
        const int usedElsewhere =
            SelectValue(QStringLiteral("select count(*) from VornFrm2Qry where ") + column + u'=' + QString::number(id) +
                        QStringLiteral(" and IdForm<>") + QString::number(RootId)).toInt();
        TVornDependItem *item = Add(kind, id, name, usedElsewhere > 0 ? delNone : delOptional, 0, RootId, vokReport);
        addParams(id, kind, 1);
        SetInitialMarking(item);
    }
}

TVornDependItem *TVornDependList::Owner(const TVornDependItem *item) const
{
    for (TVornDependItem *o : m_items)
        if (o != item && o->Id == item->ParentId && o->Kind == item->ParentKind)
            return o;
    return nullptr;
}

void TVornDependList::setDependantsMarked(const TVornDependItem *owner, bool marked)
{
    for (TVornDependItem *d : m_items)
        if (d->Mode == delParent && d->ParentId == owner->Id && d->ParentKind == owner->Kind)
            d->Marked = marked;
}

void TVornDependList::SetInitialMarking(TVornDependItem *item)
{
    switch (item->Mode) {
    case delNone:
        item->Marked = false;
        setDependantsMarked(item, false);
        break;
    case delParent:
        item->Marked = true;
        break;
    case delOptional:
        item->Marked = true;
        setDependantsMarked(item, true);
        break;
    }
}

bool TVornDependList::Toggle(int index)
{
    if (index < 0 || index >= Count())
        return false;
    TVornDependItem *item = m_items.at(index);
    if (item->Mode != delOptional)
        return false;
    item->Marked = !item->Marked;
    setDependantsMarked(item, item->Marked);
    return true;
}

void TVornDependList::DeleteMarked()
{
    vorn::Database *db = vorn::Database::defaultDatabase();
    db->startTransaction();
    try {
        for (int i = Count() - 1; i >= 0; --i) {
            const TVornDependItem *item = m_items.at(i);
            if (!item->Marked)
                continue;
            const QString id = QString::number(item->Id);
            switch (item->Kind) {
            case vokGroup: CatGrpDel(item->Id); break;
            case vokReport: CatFormDel(item->Id); break;
            case vokQuery:
                if (item->ParentId > 0)
                    ExecSql(QStringLiteral("delete from VornFrm2Qry where IdForm=") + QString::number(item->ParentId) +
                            QStringLiteral(" and IdQuery=") + id);
                CatQueryDel(item->Id);
                break;
            case vokParam: CatParamDel(item->Id); break;
            case vokScript: CatScriptDel(item->Id); break;
            case vokRemoteData:
                if (item->ParentId > 0)
                    ExecSql(QStringLiteral("delete from VornFrm2Qry where IdForm=") + QString::number(item->ParentId) +
                            QStringLiteral(" and IdRemoteData=") + id);
                CatRemoteDataDel(item->Id);
                break;
            default: break;
            }
        }
        deleteRoot(RootKind, RootId);
        db->commit();
    } catch (...) {
        if (db->inTransaction())
            db->rollback();
        throw;
    }
}

// ---------------------------------------------------------------- entry

static void reopenAfterDelete(int kind)
{
    if (!dmVorn())
        return;
    if (kind == vokGroup)
        dmVorn()->OpenSorted(dmVorn()->qGroup);
    else if (kind == vokReport)
        dmVorn()->OpenSorted(dmVorn()->qForm);
}

bool DeleteWithDependants(int rootId, int kind, const QString &name)
{
    auto *list = new TVornDependList(rootId, kind);
    try {
        list->Build();
    } catch (...) {
        delete list;
        throw;
    }
    const QString question = VornDeleteText(kind) + u'"' + name + QStringLiteral("\"?");
    if (list->Count() == 0) {
        delete list;
        if (!Confirm(question))
            return false;
        deleteRoot(kind, rootId);
        reopenAfterDelete(kind);
        return true;
    }
    TfrmVornDelDepends dlg(list, name, kind, rootId, MainWindow());
    if (ExecDialog(&dlg) != QDialog::Accepted)
        return false;
    try {
        dlg.List()->DeleteMarked();
    } catch (const EAbort &) {
        return false;
    } catch (const std::exception &e) {
        ShowError(QString::fromUtf8(e.what()));
        return false;
    }
    reopenAfterDelete(kind);
    return true;
}

// ---------------------------------------------------------------- the dialog

namespace {

class TDependModel : public QAbstractTableModel
{
public:
    TDependModel(TVornDependList *list, QObject *parent) : QAbstractTableModel(parent), m_list(list) {}
    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : m_list->Count(); }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : 2; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid())
            return {};
        const TVornDependItem *item = m_list->Items(index.row());
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
            return index.column() == 1 ? QVariant(item->Name) : QVariant();
        return {};
    }
    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override
    {
        if (o == Qt::Horizontal && role == Qt::DisplayRole)
            return section == 0 ? QStringLiteral("Удалить") : QStringLiteral("Объект");
        return {};
    }
    void changed() { Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, 1)); }

private:
    TVornDependList *m_list;
};

// Draws the tick column from the item's mode and marking, and the object column as the
// kind's icon indented by level with the name after it.
class TDependDelegate : public QStyledItemDelegate
{
public:
    TDependDelegate(TVornDependList *list, QObject *parent) : QStyledItemDelegate(parent), m_list(list) {}
    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        // Only the cell's background and selection come from the style.
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QWidget *w = opt.widget;
        (w ? w->style() : QApplication::style())->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, p, w);
        const TVornDependItem *item = m_list->Items(index.row());
        const QRect r = option.rect;
        if (index.column() == 0) {
            QPixmap pm;
            if (item->Mode == delParent && item->Marked)
                pm = vornBitmap(QStringLiteral("CHECKONLY"));
            else if (item->Mode == delOptional)
                pm = vornBitmap(item->Marked ? QStringLiteral("BOOLGRDCHECKED") : QStringLiteral("BOOLGRDUNCHECK"));
            if (!pm.isNull())
                p->drawPixmap(r.x() + (r.width() - pm.width()) / 2, r.y() + (r.height() - pm.height()) / 2, pm);
            return;
        }
        const QPixmap icon = vornImage(VornObjectIcon(item->Kind));
        const int x = r.x() + 5 + 10 * item->Level;
        p->drawPixmap(x, r.y() + (r.height() - icon.height()) / 2, icon);
        p->save();
        p->setPen(opt.palette.color(option.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
        const QRect textRect(x + icon.width() + 10, r.y(), r.right() - (x + icon.width() + 10), r.height());
        p->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, item->Name);
        p->restore();
    }

private:
    TVornDependList *m_list;
};

} // namespace

static const char *const kDelDependsKey = "TfrmVornDelDepends";

TfrmVornDelDepends::TfrmVornDelDepends(TVornDependList *list, const QString &rootName, int rootKind, int rootId,
                                       QWidget *parent)
    : QDialog(parent), m_list(list)
{
    Q_UNUSED(rootId);
    setObjectName(QStringLiteral("frmVornDelDepends"));
    setWindowTitle(VornDeleteText(rootKind) + u'"' + rootName + QStringLiteral("\"?"));
    auto *top = new QVBoxLayout(this);

    auto *head = new QWidget(this);
    head->setObjectName(QStringLiteral("pnlTop"));
    auto *hl = new QVBoxLayout(head);
    auto *l1 = new QLabel(QStringLiteral("При удалении"), head);
    auto *rootRow = new QHBoxLayout;
    auto *rootIcon = new QLabel(head);
    rootIcon->setPixmap(vornImage(VornObjectIcon(rootKind)));
    auto *rootLabel = new QLabel(rootName, head);
    rootLabel->setObjectName(QStringLiteral("lblRootName"));
    rootRow->addWidget(rootIcon);
    rootRow->addWidget(rootLabel, 1);
    auto *l2 = new QLabel(QStringLiteral("обнаруженны следующие зависимости :"), head);
    auto *l3 = new QLabel(QStringLiteral("Отмеченные объекты будут удалены !"), head);
    QFont bold = l3->font();
    bold.setBold(true);
    l3->setFont(bold);
    QPalette red = l3->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    l3->setPalette(red);
    hl->addWidget(l1);
    hl->addLayout(rootRow);
    hl->addWidget(l2);
    hl->addWidget(l3);
    top->addWidget(head);

    m_model = new TDependModel(m_list, this);
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("grdDepends"));
    m_grid->setModel(m_model);
    m_grid->setItemDelegate(new TDependDelegate(m_list, m_grid));
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(20);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setColumnWidth(0, 60);
    m_grid->installEventFilter(this);
    connect(m_grid, &QTableView::doubleClicked, this, [this](const QModelIndex &i) {
        if (i.column() == 0)
            ToggleRow(i.row());
    });
    top->addWidget(m_grid, 1);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("Удалить"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    QPushButton *cancel = buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    top->addWidget(buttons);

    resize(460, 340);
    vorn::SettingsStore store(vorn::sysinfo::executableBaseName());
    const QString key = QLatin1String(kDelDependsKey);
    if (store.valueExists(key, QStringLiteral("Width")))
        resize(int(store.readInteger(key, QStringLiteral("Width"))), int(store.readInteger(key, QStringLiteral("Height"))));
    if (store.valueExists(key, QStringLiteral("Col0")))
        m_grid->setColumnWidth(0, int(store.readInteger(key, QStringLiteral("Col0"))));
    if (store.readBool(key, QStringLiteral("Maximized")))
        setWindowState(windowState() | Qt::WindowMaximized);
}

TfrmVornDelDepends::~TfrmVornDelDepends()
{
    saveState();
    delete m_list;
}

void TfrmVornDelDepends::saveState()
{
    vorn::SettingsStore store(vorn::sysinfo::executableBaseName());
    const QString key = QLatin1String(kDelDependsKey);
    const bool maximized = isMaximized();
    store.writeBool(key, QStringLiteral("Maximized"), maximized);
    if (!maximized) {
        store.writeInteger(key, QStringLiteral("Width"), width());
        store.writeInteger(key, QStringLiteral("Height"), height());
    }
    store.writeInteger(key, QStringLiteral("Col0"), m_grid->columnWidth(0));
}

void TfrmVornDelDepends::ToggleRow(int row)
{
    if (m_list->Toggle(row))
        static_cast<TDependModel *>(m_model)->changed();
}

bool TfrmVornDelDepends::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_grid && event->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(event);
        const QModelIndex cur = m_grid->currentIndex();
        if (k->key() == Qt::Key_Space && cur.isValid() && cur.column() == 0) {
            ToggleRow(cur.row());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
