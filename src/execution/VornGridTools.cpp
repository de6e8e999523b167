// Grid tools shared by all windows: sort order parsing and application, search,
// filter lines, column sums, cell painting, the boolean toggle, the "Данные" commands.
#include "execution/VornGridTools.h"

#include "VornImages.h"
#include "database/VornMessages.h"
#include "database/dmdVorn.h"
#include "execution/NFindDlg.h"
#include "execution/VornExport.h"
#include "execution/dlgFilt.h"
#include "execution/dlgOrd.h"
#include "platform/core/DecimalText.h"
#include "platform/data/DataError.h"
#include "platform/data/DataSource.h"
#include "platform/data/Dataset.h"
#include "platform/data/Query.h"
#include "platform/data/StoredProc.h"
#include "platform/widgets/DataGrid.h"
#include "platform/widgets/DatasetModel.h"
#include "platform/widgets/FieldEdits.h"
#include "shell/frVornGenAppMDIMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLocale>
#include <QPainter>
#include <QScopeGuard>
#include <QStyleOptionViewItem>

using vorn::Dataset;
using vorn::Field;
namespace ft = vorn::fieldtype;

// ---------------------------------------------------------------- field lists

int TMyFieldList::Find(const QString &fieldName) const
{
    for (int i = 0; i < m_items.size(); ++i)
        if (m_items[i].FieldName == fieldName)
            return i;
    // SQL names are not case-sensitive (PostgreSQL hands them back in lower case)
    for (int i = 0; i < m_items.size(); ++i)
        if (m_items[i].FieldName.compare(fieldName, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void TMyFieldList::FillFromDataSet(const Dataset *ds)
{
    m_items.clear();
    for (int i = 0; i < ds->fieldCount(); ++i) {
        const Field *f = ds->field(i);
        if (f->isCalculated())
            continue;
        TMyFieldRec r;
        r.Index = i;
        r.FieldName = f->fieldName();
        r.DisplayLabel = f->displayLabel();
        r.DataType = f->dataType();
        r.FieldKind = f->fieldKind();
        r.KeyFields = f->keyFields();
        r.Origin = f->origin();
        m_items.append(r);
    }
}

bool TMyFieldList::MoveByOrderItem(const QString &item, TMyFieldList &to)
{
    QString name = item.trimmed();
    const qsizetype dot = name.indexOf(u'.');
    if (dot >= 0)
        name = name.mid(dot + 1);
    const qsizetype desc = name.toUpper().indexOf(QLatin1String("DESC"));
    if (desc >= 0)
        name = name.left(desc);
    name = name.trimmed();
    const int at = Find(name);
    if (at < 0)
        return false;
    TMyFieldRec r = Remove(at);
    r.Desc = desc >= 0;
    to.Add(r);
    return true;
}

// ---------------------------------------------------------------- sort order

static const QString kSortCritery = QStringLiteral("SortCritery");

TSortHook SortHookOf(Dataset *ds)
{
    if (auto *q = qobject_cast<vorn::Query *>(ds))
        return q->params().findParam(kSortCritery) ? TSortHook::SortCritery : TSortHook::OrderBy;
    if (auto *p = qobject_cast<vorn::StoredProc *>(ds))
        return p->sortPartParam() ? TSortHook::ParSortPart : TSortHook::None;
    return TSortHook::None;
}

bool CanApplySortOrder(Dataset *ds)
{
    if (auto *q = qobject_cast<vorn::Query *>(ds))
        return q->requestLive() || q->isEditableList();
    return SortHookOf(ds) == TSortHook::ParSortPart;
}

QString SqlWithoutOrderBy(const QString &sql)
{
    QString s = sql.trimmed();
    const qsizetype at = s.toUpper().indexOf(QLatin1String("ORDER BY"));
    if (at >= 0)
        s = s.left(at);
    return s.trimmed();
}

QString SqlWithoutOrderBy(vorn::Query *q) { return SqlWithoutOrderBy(q->sqlText()); }

QString CurrentOrderText(Dataset *ds, bool *isSqlClause)
{
    if (isSqlClause)
        *isSqlClause = false;
    switch (SortHookOf(ds)) {
    case TSortHook::SortCritery:
        return static_cast<vorn::Query *>(ds)->params().findParam(kSortCritery)->asString();
    case TSortHook::ParSortPart:
        return static_cast<vorn::StoredProc *>(ds)->sortPartParam()->asString();
    case TSortHook::OrderBy: {
        const QString sql = static_cast<vorn::Query *>(ds)->sqlText();
        const qsizetype at = sql.toUpper().indexOf(QLatin1String("ORDER BY"));
        if (isSqlClause)
            *isSqlClause = true;
        return at < 0 ? QString() : sql.mid(at + 8);
    }
    default:
        return {};
    }
}

void ReadSortOrder(Dataset *ds, TMyFieldList &left, TMyFieldList &right)
{
    left.FillFromDataSet(ds);
    right.Clear();
    bool clause = false;
    const QString text = CurrentOrderText(ds, &clause).trimmed();
    if (text.isEmpty())
        return;
    QStringList items = text.split(u',');
    // a last one-character item of an SQL clause (a column number) is not a field
    if (clause && !items.isEmpty() && items.last().trimmed().size() == 1)
        items.removeLast();
    for (const QString &item : items)
        left.MoveByOrderItem(item, right);
}

QString SortPartText(const TMyFieldList &order)
{
    QString s;
    for (int i = 0; i < order.Count(); ++i)
        s += u',' + order.Items(i).FieldName + (order.Items(i).Desc ? QStringLiteral(" DESC") : QString());
    if (!s.isEmpty())
        s[0] = u' ';
    return s;
}

QString SqlWithOrder(vorn::Query *q, const TMyFieldList &order)
{
    QString sql = SqlWithoutOrderBy(q);
    QStringList items;
    for (int i = 0; i < order.Count(); ++i) {
        const TMyFieldRec &r = order.Items(i);
        QString what;
        if (r.FieldKind == vorn::FieldKind::Data)
            what = r.Origin.trimmed().isEmpty() ? r.FieldName : r.Origin;
        else if (r.FieldKind == vorn::FieldKind::Lookup)
            what = r.KeyFields;
        else
            throw vorn::DataError(QStringLiteral("Сортировка по полю ") + r.FieldName + QStringLiteral(" не поддерживается"));
        if (r.Desc)
            what += QStringLiteral(" DESC");
        items << what;
    }
    if (!items.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + items.join(QStringLiteral(", "));
    return sql;
}

void ApplySortOrder(Dataset *ds, const TMyFieldList &order)
{
    QVariant id;
    if (ds->isActive() && !ds->isEmpty())
        if (Field *f = ds->findField(QStringLiteral("Id")))
            id = f->value();
    switch (SortHookOf(ds)) {
    case TSortHook::SortCritery: {
        auto *q = static_cast<vorn::Query *>(ds);
        q->close();
        q->params().findParam(kSortCritery)->setAsString(SortPartText(order));
        ReopenKeepingPosition(q);
        break;
    }
    case TSortHook::ParSortPart: {
        auto *p = static_cast<vorn::StoredProc *>(ds);
        p->close();
        p->sortPartParam()->setAsString(SortPartText(order));
        try {
            p->open();
        } catch (const std::exception &e) {
            ShowError(QStringLiteral("Ощибка построения выборки.\n\rСообщение:\n\r") + QString::fromUtf8(e.what()));
            return;
        }
        break;
    }
    case TSortHook::OrderBy: {
        auto *q = static_cast<vorn::Query *>(ds);
        QString sql;
        try {
            sql = SqlWithOrder(q, order);
        } catch (const vorn::DataError &e) {
            ShowWarning(e.message());
            return;
        }
        ReopenKeepingPosition(q, sql);
        break;
    }
    default:
        return;
    }
    if (!ds->isActive())
        return;
    if (id.isNull() || !ds->locate(QStringLiteral("Id"), id))
        ds->first();
}

// ---------------------------------------------------------------- search

bool FieldMatches(const Field *f, const QVariant &value, bool substring)
{
    const QVariant v = f->value();
    if (v.isNull())
        return false;
    const vorn::FieldType t = f->dataType();
    if (ft::isString(t) || t == vorn::ftMemo) {
        const QString a = v.toString().toUpper(), b = value.toString().toUpper();
        return substring ? a.contains(b) : a == b;
    }
    switch (t) {
    case vorn::ftSmallint: case vorn::ftInteger:
        return v.toLongLong() == value.toLongLong();
    case vorn::ftFloat: case vorn::ftCurrency:
        return v.toDouble() == value.toDouble();
    case vorn::ftDate: case vorn::ftDateTime: {
        QDateTime a = v.toDateTime(), b = value.toDateTime();
        if (!b.isValid() && value.canConvert<QDate>())
            b = QDateTime(value.toDate(), QTime(0, 0));
        return a == b;
    }
    default:
        return false;
    }
}

TFindResult FindRecord(Dataset *ds, const QString &fieldName, const QVariant &value, bool substring, bool forward,
                       bool continuing, const std::function<bool()> &interrupted)
{
    if (!ds->isActive() || ds->isEmpty())
        return TFindResult::NotFound;
    Field *f = ds->fieldByName(fieldName);
    const Dataset::Bookmark start = ds->bookmark();
    ds->disableControls();
    auto restore = qScopeGuard([ds] { ds->enableControls(); });
    if (!continuing)
        forward ? ds->first() : ds->last();
    else {
        forward ? ds->next() : ds->prior();
        if (forward ? ds->eof() : ds->bof()) {
            ds->gotoBookmark(start);
            return TFindResult::NotFound;
        }
    }
    for (;;) {
        if (FieldMatches(f, value, substring))
            return TFindResult::Found;
        if (interrupted && interrupted()) {
            ds->gotoBookmark(start);
            return TFindResult::Interrupted;
        }
        forward ? ds->next() : ds->prior();
        if (forward ? ds->eof() : ds->bof())
            break;
    }
    ds->gotoBookmark(start);
    return TFindResult::NotFound;
}

// ---------------------------------------------------------------- filter lines

QString FilterLine(const Field *f, const QString &operation, const QVariant &value, const QString &link)
{
    const bool nullTest = operation.contains(QLatin1String("NULL"));
    QString s = u'[' + f->fieldName() + u']';
    if (nullTest)
        s += u' ' + operation + u' ';
    else {
        s += operation;
        const vorn::FieldType t = f->dataType();
        // plain digits: the filter parser reads no exponent ("5e-05", "1e+15")
        if (ft::isInteger(t) || ft::isFloat(t) || t == vorn::ftBoolean)
            s += value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int
                     ? QString::number(value.toLongLong())
                     : vorn::decimal::plain(value.toDouble());
        else if (t == vorn::ftDate || t == vorn::ftDateTime)
            s += u'\'' + QLocale().toString(value.toDate(), QLocale::ShortFormat) + u'\'';
        else
            s += u'\'' + value.toString().replace(u'\'', QLatin1String("''")) + u'\'';
    }
    if (!link.isEmpty())
        s = link + u' ' + s;
    return s.trimmed();
}

// ---------------------------------------------------------------- column sum

QString ColumnSumText(Dataset *ds, const Field *f)
{
    const QString rows = QStringLiteral("В сетке ") + QString::number(ds->isActive() ? ds->recordCount() : 0) +
                         QStringLiteral(" строк");
    if (!f)
        return QStringLiteral("Суммирование не возможно!\n\r") + rows;
    const vorn::FieldType t = f->dataType();
    const bool isInt = t == vorn::ftSmallint || t == vorn::ftInteger || t == vorn::ftAutoInc || t == vorn::ftLargeint;
    const bool isFloat = t == vorn::ftFloat || t == vorn::ftCurrency || t == vorn::ftBCD;
    if (!isInt && !isFloat)
        return rows;
    __int128 isum = 0;  // a column of 64-bit values cannot overflow it
    double fsum = 0;
    ds->disableControls();
    auto restore = qScopeGuard([ds] { ds->enableControls(); });
    const int n = ds->recordCount();
    for (int r = 0; r < n; ++r) {  // stored values: the cursor does not move
        const QVariant &v = ds->valueAt(r, f->index());
        if (v.isNull())
            continue;
        if (isInt)
            isum += v.toLongLong();
        else
            fsum += v.toDouble();
    }
    QString sum;
    if (isInt) {
        unsigned __int128 m = isum < 0 ? -(unsigned __int128)isum : (unsigned __int128)isum;
        do {
            sum.prepend(QChar(u'0' + int(m % 10)));
            m /= 10;
        } while (m);
        if (isum < 0)
            sum.prepend(u'-');
    } else
        sum = Field::formatValue(fsum, vorn::ftFloat,
                                 t == vorn::ftCurrency ? QStringLiteral("#,##0.00##") : QStringLiteral("#,##0.0000####"));
    return QStringLiteral("Сумма поля ") + f->displayLabel() + QStringLiteral(" [") + f->fieldName() +
           QStringLiteral("] = ") + sum + QStringLiteral(" \n\r") + rows;
}

void SumGridColumn(vorn::DataGrid *grid)
{
    Dataset *ds = grid ? grid->dataset() : nullptr;
    if (!ds)
        return;
    ShowInformation(ColumnSumText(ds, ds->isActive() ? grid->selectedField() : nullptr));
}

// ---------------------------------------------------------------- painter, toggle

bool DrawGridCell(QPainter *painter, const QStyleOptionViewItem &option, Field *field, const QModelIndex &index)
{
    Q_UNUSED(index);
    if (!field)
        return false;
    const vorn::FieldType t = field->dataType();
    QString name;
    if (t == vorn::ftBoolean) {
        const QVariant v = index.data(vorn::DatasetModel::RawValueRole);
        name = !v.isNull() && v.toBool() ? QStringLiteral("BOOLGRDCHECKED") : QStringLiteral("BOOLGRDUNCHECK");
    } else if (t == vorn::ftMemo || t == vorn::ftFmtMemo)
        name = QStringLiteral("DBG_MEMO");
    else if (t == vorn::ftBlob || t == vorn::ftGraphic)
        name = QStringLiteral("DBG_BLOB");
    else
        return false;
    static QHash<QString, QPixmap> cache;  // loaded once
    auto it = cache.find(name);
    if (it == cache.end())
        it = cache.insert(name, vornBitmap(name));
    const bool selected = option.state & QStyle::State_Selected;
    painter->fillRect(option.rect, selected ? option.palette.highlight() : option.palette.base());
    const QPixmap &pm = *it;
    const QPoint at(option.rect.x() + (option.rect.width() - pm.width()) / 2,
                    option.rect.y() + (option.rect.height() - pm.height()) / 2);
    painter->drawPixmap(at, pm);
    return true;
}

bool ToggleBooleanCell(vorn::DataGrid *grid)
{
    Dataset *ds = grid ? grid->dataset() : nullptr;
    Field *f = ds && ds->isActive() ? grid->selectedField() : nullptr;
    if (!f || f->dataType() != vorn::ftBoolean || f->isReadOnly() || ds->isReadOnly())
        return false;
    const bool wasModified = ds->isModified();
    try {
        if (!wasModified && ds->state() == vorn::DatasetState::Browse)
            ds->edit();
        f->setValue(!f->asBoolean());
        if (!wasModified && !ds->isInserting())
            ds->post();
    } catch (const std::exception &e) {
        if (ds->state() == vorn::DatasetState::Edit && !wasModified)
            ds->cancel();
        ShowError(QString::fromUtf8(e.what()));
        return false;
    }
    grid->viewport()->update();
    return true;
}

namespace {
class TBooleanToggle : public QObject
{
public:
    explicit TBooleanToggle(vorn::DataGrid *grid) : QObject(grid), m_grid(grid) {}
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() == QEvent::MouseButtonPress && o == m_grid->viewport()) {
            auto *me = static_cast<QMouseEvent *>(e);
            const QModelIndex ix = m_grid->indexAt(me->position().toPoint());
            Field *f = m_grid->datasetModel()->fieldAt(ix.column());
            if (f && f->dataType() == vorn::ftBoolean) {
                const bool second = m_clock.isValid() && m_clock.elapsed() <= 500 && m_row == ix.row() &&
                                    m_field == f->fieldName();
                m_row = ix.row();
                m_field = f->fieldName();
                m_clock.start();
                if (second) {
                    m_clock.invalidate();
                    m_grid->setCurrentIndex(ix);
                    ToggleBooleanCell(m_grid);
                    return true;
                }
            }
        } else if (e->type() == QEvent::KeyPress && o == m_grid) {
            if (static_cast<QKeyEvent *>(e)->key() == Qt::Key_Space && ToggleBooleanCell(m_grid))
                return true;
        }
        return false;
    }

private:
    vorn::DataGrid *m_grid;
    QElapsedTimer m_clock;   // since the last click on a boolean cell
    int m_row = -1;
    QString m_field;
};
} // namespace

void InstallBooleanToggle(vorn::DataGrid *grid)
{
    auto *t = new TBooleanToggle(grid);
    grid->installEventFilter(t);
    grid->viewport()->installEventFilter(t);
}

// ---------------------------------------------------------------- "Данные"

static vorn::FieldLink *linkOf(QWidget *edit)
{
    return edit ? edit->findChild<vorn::FieldLink *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void InstallDataCommands()
{
    SetDataCommandHandler([](TDataCommand cmd, QWidget *target) {
        try {
            auto *grid = qobject_cast<vorn::DataGrid *>(target);
            vorn::FieldLink *link = grid ? nullptr : linkOf(target);
            Dataset *ds = grid ? grid->dataset() : (link && link->dataSource() ? link->dataSource()->dataset() : nullptr);
            switch (cmd) {
            case TDataCommand::Find:
                if (ds && ds->isActive())
                    ShowFindDialog(ds, grid, link ? link->fieldName() : QString());
                break;
            case TDataCommand::Sort:
                if (ds && ds->isActive())
                    ShowSortDialog(ds);
                break;
            case TDataCommand::Filter:
                if (grid && ds && ds->isActive())
                    ShowFilterDialog(ds, grid);
                break;
            case TDataCommand::SumColumn:
                if (grid)
                    SumGridColumn(grid);
                break;
            case TDataCommand::RefreshAll:
                for (Dataset *d : target->findChildren<Dataset *>())
                    if (d->isActive())
                        ReopenKeepingPosition(d);
                break;
            case TDataCommand::ExportExcel:
                ExportToExcel(target);
                break;
            case TDataCommand::Info:
                break;
            }
        } catch (const std::exception &e) {
            ShowError(QString::fromUtf8(e.what()));
        }
    });
}
