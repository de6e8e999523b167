// Dataset cursor and editing. Rows are stored column by column; a filter
// keeps a list of the visible stored rows. The edit buffer holds the current row's
// values between Edit/Insert and Post/Cancel; the stored row changes only on Post,
// after the subclass has written it back, so a failed post leaves the data as it was.
#include "platform/data/Dataset.h"
#include "platform/data/DataError.h"
#include "platform/data/FilterExpression.h"

#include <QHash>

namespace vorn {

static const QVariant nullVariant;

static QStringList splitFieldList(const QString &names)
{
    QStringList out;
    for (const QString &n : names.split(u';', Qt::SkipEmptyParts))
        if (!n.trimmed().isEmpty())
            out << n.trimmed();
    return out;
}

Dataset::Dataset(QObject *parent) : QObject(parent) {}

Dataset::~Dataset() = default;

void Dataset::ensureActive() const
{
    if (m_state == DatasetState::Inactive)
        throw DataError(QStringLiteral("Операция невозможна для закрытого набора данных"));
}

void Dataset::setState(DatasetState s)
{
    if (m_state == s)
        return;
    m_state = s;
    if (!m_disableCount)
        Q_EMIT stateChanged();
}

Field *Dataset::makeField(const QString &name, FieldType type, int size)
{
    return new Field(this, name, type, size, FieldKind::Data);
}

Field *Dataset::findField(const QString &name) const
{
    for (const auto &f : m_fields)
        if (f->fieldName().compare(name, Qt::CaseInsensitive) == 0)
            return f.get();
    if (!isActive())
        for (const auto &f : m_persistent)
            if (f->fieldName().compare(name, Qt::CaseInsensitive) == 0)
                return f.get();
    return nullptr;
}

Field *Dataset::fieldByName(const QString &name) const
{
    if (Field *f = findField(name))
        return f;
    throw DataError(QStringLiteral("%1: поле \"%2\" не найдено").arg(objectName(), name));
}

QStringList Dataset::fieldNames() const
{
    QStringList out;
    for (const auto &f : m_fields)
        out << f->fieldName();
    return out;
}

Field *Dataset::addCalculatedField(const QString &name, FieldType type, int size)
{
    if (isActive())
        throw DataError(QStringLiteral("Операция невозможна для открытого набора данных"));
    m_persistent.push_back(std::make_unique<Field>(this, name, type, size, FieldKind::Calculated));
    return m_persistent.back().get();
}

Field *Dataset::addLookupField(const QString &name, FieldType type, const QString &keyFields, Dataset *lookupDataset,
                               const QString &lookupKeyFields, const QString &lookupResultField, int size)
{
    if (isActive())
        throw DataError(QStringLiteral("Операция невозможна для открытого набора данных"));
    m_persistent.push_back(std::make_unique<Field>(this, name, type, size, FieldKind::Lookup));
    m_persistent.back()->setLookup(keyFields, lookupDataset, lookupKeyFields, lookupResultField);
    return m_persistent.back().get();
}

void Dataset::removePersistentField(const QString &name)
{
    for (auto it = m_persistent.begin(); it != m_persistent.end(); ++it)
        if ((*it)->fieldName().compare(name, Qt::CaseInsensitive) == 0) {
            m_persistent.erase(it);
            return;
        }
}

// ---- open / close ---------------------------------------------------------------

void Dataset::open()
{
    if (isActive())
        return;
    if (events.beforeOpen)
        events.beforeOpen(this);
    RowData rd;
    try {
        internalOpen(rd);
    } catch (...) {
        qDeleteAll(rd.fields);
        throw;
    }
    // Persistent fields keep their objects; data fields are made afresh each open.
    std::vector<std::unique_ptr<Field>> fields;
    for (Field *f : rd.fields)
        fields.emplace_back(f);
    const int dataCount = int(fields.size());
    m_fields = std::move(fields);
    for (auto &p : m_persistent) {
        // Calculated/lookup fields are appended after the data fields; the same objects
        // are lent to m_fields for the life of the open.
        m_fields.emplace_back(p.release());
    }
    m_persistent.clear();
    for (int i = 0; i < int(m_fields.size()); ++i)
        m_fields[i]->m_index = i;
    m_stride = int(m_fields.size());
    loadColumns(std::move(rd.columns), dataCount, rd.rowCount);
    m_rows = rd.rowCount;
    m_rowIds.resize(m_rows);
    for (int r = 0; r < m_rows; ++r)
        m_rowIds[r] = m_nextRowId++;
    m_state = DatasetState::Browse;
    m_filterExpr.reset();
    try {
        computeExtras(0, m_rows - 1);
    } catch (...) {
        close();  // a failing calculation handler leaves the dataset closed, not half open
        throw;
    }
    if (m_filtered && !m_filterText.trimmed().isEmpty()) {
        try {
            m_filterExpr = FilterExpression::compile(m_filterText, *this);
        } catch (...) {
            close();
            throw;
        }
    }
    buildView();
    m_pos = recordCount() > 0 ? 0 : -1;
    m_bof = true;
    m_eof = recordCount() == 0;
    m_modified = false;
    internalAfterOpen();
    if (!m_disableCount) {
        Q_EMIT stateChanged();
        Q_EMIT opened();
    }
    notifyDataChanged();
    if (events.afterOpen)
        events.afterOpen(this);
    if (events.afterScroll)
        events.afterScroll(this);
}

void Dataset::close()
{
    if (!isActive())
        return;
    if (events.beforeClose)
        events.beforeClose(this);
    internalClose();
    std::vector<std::unique_ptr<Field>> keep;
    for (auto &f : m_fields)
        if (f->fieldKind() != FieldKind::Data)
            m_persistent.push_back(std::move(f));
    m_fields.clear();
    m_cols.clear();
    m_rowIds.clear();
    m_view.clear();
    m_viewActive = false;
    m_filterExpr.reset();
    m_rows = 0;
    m_stride = 0;
    m_pos = -1;
    m_bof = m_eof = true;
    m_buffer.clear();
    m_old.clear();
    m_modified = false;
    m_state = DatasetState::Inactive;
    if (!m_disableCount) {
        Q_EMIT stateChanged();
        Q_EMIT closed();
        Q_EMIT dataChanged();
    } else {
        m_pendingNotify = true;
    }
    if (events.afterClose)
        events.afterClose(this);
}

void Dataset::refresh()
{
    ensureActive();
    checkBrowseMode();
    const Bookmark b = bookmark();
    const int pos = m_pos;
    disableControls();
    try {
        close();
        open();
    } catch (...) {
        enableControls();
        throw;
    }
    if (bookmarkValid(b))
        gotoBookmark(b);
    else if (pos >= 0 && recordCount() > 0)
        setPosition(qMin(pos, recordCount() - 1));
    enableControls();
}

void Dataset::clearRows()
{
    for (auto &c : m_cols)
        c.clear();
    m_rowIds.clear();
    m_rows = 0;
    buildView();
    m_pos = -1;
    m_bof = m_eof = true;
}

void Dataset::setRows(QList<QList<QVariant>> &&values, int rowCount)
{
    const int dataCount = int(std::count_if(m_fields.begin(), m_fields.end(),
                                            [](const auto &f) { return f->fieldKind() == FieldKind::Data; }));
    loadColumns(std::move(values), dataCount, rowCount);
    m_rows = rowCount;
    m_rowIds.resize(m_rows);
    for (int r = 0; r < m_rows; ++r)
        m_rowIds[r] = m_nextRowId++;
    computeExtras(0, m_rows - 1);
    buildView();
    m_pos = recordCount() > 0 ? 0 : -1;
    m_bof = true;
    m_eof = recordCount() == 0;
}

// Calculated fields come from the program's handler with the cursor lent to the row;
// lookup fields from a key index of the lookup dataset built once per pass.
void Dataset::computeExtras(int firstRow, int lastRow)
{
    if (firstRow > lastRow)
        return;
    bool hasCalc = false;
    for (const auto &f : m_fields) {
        if (f->fieldKind() != FieldKind::Lookup)
            hasCalc = hasCalc || f->fieldKind() == FieldKind::Calculated;
        else {
            Dataset *ld = f->lookupDataset();
            Field *res = ld && ld->isActive() ? ld->findField(f->lookupResultField()) : nullptr;
            QList<int> keys, lkeys;
            for (const QString &k : splitFieldList(f->keyFields()))
                if (Field *kf = findField(k)) keys << kf->index();
            if (ld && ld->isActive())
                for (const QString &k : splitFieldList(f->lookupKeyFields()))
                    if (Field *kf = ld->findField(k)) lkeys << kf->index();
            QHash<QString, QVariant> index;
            const bool usable = res && !keys.isEmpty() && keys.size() == lkeys.size();
            if (usable)
                for (int r = ld->m_rows - 1; r >= 0; --r) {
                    QString key;
                    for (int k : lkeys) key += ld->storedValue(r, k).toString() + QChar(0x1f);
                    index.insert(key, ld->storedValue(r, res->index()));
                }
            for (int r = firstRow; r <= lastRow; ++r) {
                QVariant v;
                if (usable) {
                    QString key;
                    bool anyNull = false;
                    for (int k : keys) {
                        const QVariant &kv = storedValue(r, k);
                        anyNull = anyNull || kv.isNull();
                        key += kv.toString() + QChar(0x1f);
                    }
                    if (!anyNull)
                        v = index.value(key);
                }
                m_cols[f->index()][r] = v;
            }
        }
    }
    if (hasCalc && events.onCalcFields) {
        const DatasetState saved = m_state;
        m_state = DatasetState::CalcFields;
        for (int r = firstRow; r <= lastRow; ++r) {
            m_calcRow = r;
            try {
                events.onCalcFields(this);
            } catch (...) {
                m_calcRow = -1;
                m_state = saved;
                throw;
            }
        }
        m_calcRow = -1;
        m_state = saved;
    }
}

void Dataset::recomputeBufferExtras()
{
    bool any = false;
    for (const auto &f : m_fields)
        any = any || f->fieldKind() != FieldKind::Data;
    if (!any)
        return;
    // Lend a scratch stored row to the handlers: append the buffer, compute, copy back.
    for (int c = 0; c < m_stride; ++c)
        m_cols[c].append(m_buffer.at(c));
    ++m_rows;
    const auto drop = [this] {
        --m_rows;
        for (auto &col : m_cols)
            col.removeLast();
    };
    try {
        computeExtras(m_rows - 1, m_rows - 1);
    } catch (...) {
        drop();
        throw;
    }
    for (int c = 0; c < m_stride; ++c)
        m_buffer[c] = m_cols[c].at(m_rows - 1);
    drop();
}

QList<QVariant> Dataset::storedRow(int row) const
{
    QList<QVariant> out;
    out.reserve(m_stride);
    for (int c = 0; c < m_stride; ++c)
        out.append(m_cols[c].at(row));
    return out;
}

void Dataset::loadColumns(QList<QList<QVariant>> &&columns, int dataCount, int rowCount)
{
    m_cols.assign(m_stride, QList<QVariant>());
    for (int c = 0; c < m_stride; ++c) {
        if (c < dataCount && c < columns.size())
            m_cols[c] = std::move(columns[c]);
        m_cols[c].resize(rowCount);
    }
    columns = QList<QList<QVariant>>();
}

// ---- view and filter ------------------------------------------------------------

bool Dataset::rowMatchesFilter(int row)
{
    if (m_filterExpr && !m_filterExpr->matches(*this, row))
        return false;
    if (filterRecord) {
        const int saved = m_calcRow;
        const DatasetState s = m_state;
        m_calcRow = row;
        m_state = DatasetState::CalcFields;
        const bool ok = filterRecord(this);
        m_calcRow = saved;
        m_state = s;
        return ok;
    }
    return true;
}

void Dataset::buildView()
{
    m_view.clear();
    m_viewActive = m_filtered && (m_filterExpr || filterRecord);
    if (!m_viewActive)
        return;
    for (int r = 0; r < m_rows; ++r)
        if (rowMatchesFilter(r))
            m_view.append(r);
}

void Dataset::setFilter(const QString &text)
{
    m_filterText = text;
    if (isActive() && m_filtered) {
        setFiltered(false);
        setFiltered(true);
    }
}

void Dataset::setFiltered(bool on)
{
    if (!isActive()) {
        m_filtered = on;
        return;
    }
    checkBrowseMode();
    std::unique_ptr<FilterExpression> expr;
    if (on && !m_filterText.trimmed().isEmpty())
        expr = FilterExpression::compile(m_filterText, *this); // raises before anything changes
    m_filtered = on;
    m_filterExpr = std::move(expr);
    const int row = storageRowOf(m_pos);
    buildView();
    int p = row >= 0 ? positionOfStorageRow(row) : -1;
    m_pos = p >= 0 ? p : (recordCount() > 0 ? 0 : -1);
    m_bof = p < 0;
    m_eof = recordCount() == 0;
    notifyDataChanged();
    notifyCurrentChanged();
}

int Dataset::recordCount() const
{
    return m_viewActive ? int(m_view.size()) : m_rows;
}

int Dataset::storageRowOf(int position) const
{
    if (position < 0 || position >= recordCount())
        return -1;
    return m_viewActive ? m_view.at(position) : position;
}

int Dataset::positionOfStorageRow(int row) const
{
    if (row < 0 || row >= m_rows)
        return -1;
    if (!m_viewActive)
        return row;
    const auto it = std::lower_bound(m_view.begin(), m_view.end(), row);
    return it != m_view.end() && *it == row ? int(it - m_view.begin()) : -1;
}

void Dataset::sortBy(const QString &order)
{
    ensureActive();
    checkBrowseMode();
    QList<QPair<int, bool>> keys;  // field index, descending
    for (QString item : order.split(u',', Qt::SkipEmptyParts)) {
        item = item.trimmed();
        bool desc = false;
        const int d = item.toUpper().indexOf(QLatin1String(" DESC"));
        if (d >= 0) { desc = true; item = item.left(d).trimmed(); }
        const int a = item.toUpper().indexOf(QLatin1String(" ASC"));
        if (a >= 0) item = item.left(a).trimmed();
        const int dot = item.indexOf(u'.');
        if (dot >= 0) item = item.mid(dot + 1);
        item.remove(u'"').remove(u'[').remove(u']');
        if (!item.isEmpty())
            keys.append({fieldByName(item)->index(), desc});
    }
    if (keys.isEmpty())
        return;
    QList<int> idx(m_rows);
    for (int i = 0; i < m_rows; ++i) idx[i] = i;
    std::stable_sort(idx.begin(), idx.end(), [&](int x, int y) {
        for (const auto &k : keys) {
            const QVariant &a = storedValue(x, k.first), &b = storedValue(y, k.first);
            if (a.isNull() != b.isNull())
                return k.second ? b.isNull() : a.isNull();  // nulls first ascending
            if (a.isNull()) continue;
            const QPartialOrdering c = QVariant::compare(a, b);
            if (c == QPartialOrdering::Less) return !k.second;
            if (c == QPartialOrdering::Greater) return k.second;
        }
        return false;
    });
    for (auto &col : m_cols) {
        QList<QVariant> sorted;
        sorted.reserve(m_rows);
        for (int r : idx)
            sorted.append(std::move(col[r]));
        col = std::move(sorted);
    }
    QList<Bookmark> ids;
    ids.reserve(m_rows);
    for (int r : idx)
        ids.append(m_rowIds.at(r));
    m_rowIds = std::move(ids);
    buildView();
    m_pos = recordCount() > 0 ? 0 : -1;
    m_bof = true;
    m_eof = recordCount() == 0;
    notifyDataChanged();
    notifyCurrentChanged();
}

// ---- navigation -----------------------------------------------------------------

void Dataset::notifyDataChanged()
{
    if (m_disableCount)
        m_pendingNotify = true;
    else
        Q_EMIT dataChanged();
}

void Dataset::notifyCurrentChanged()
{
    if (m_disableCount)
        m_pendingNotify = true;
    else
        Q_EMIT currentChanged();
}

void Dataset::enableControls()
{
    if (m_disableCount > 0 && --m_disableCount == 0 && m_pendingNotify) {
        m_pendingNotify = false;
        Q_EMIT stateChanged();
        Q_EMIT dataChanged();
        Q_EMIT currentChanged();
    }
}

void Dataset::setPosition(int position)
{
    if (position == m_pos)
        return;
    if (events.beforeScroll)
        events.beforeScroll(this);
    m_pos = position;
    notifyCurrentChanged();
    if (events.afterScroll)
        events.afterScroll(this);
}

void Dataset::first()
{
    ensureActive();
    checkBrowseMode();
    setPosition(recordCount() > 0 ? 0 : -1);
    m_bof = true;
    m_eof = recordCount() == 0;
}

void Dataset::last()
{
    ensureActive();
    checkBrowseMode();
    setPosition(recordCount() - 1);
    m_eof = true;
    m_bof = recordCount() == 0;
}

void Dataset::next()
{
    ensureActive();
    checkBrowseMode();
    if (m_pos + 1 < recordCount()) {
        setPosition(m_pos + 1);
        m_bof = false;
        m_eof = false;
    } else {
        m_eof = true;
    }
}

void Dataset::prior()
{
    ensureActive();
    checkBrowseMode();
    if (m_pos > 0) {
        setPosition(m_pos - 1);
        m_bof = false;
        m_eof = false;
    } else {
        m_bof = true;
    }
}

int Dataset::moveBy(int distance)
{
    ensureActive();
    checkBrowseMode();
    const int count = recordCount();
    if (count == 0 || distance == 0)
        return 0;
    const int target = qBound(0, m_pos + distance, count - 1);
    const int moved = target - m_pos;
    setPosition(target);
    m_bof = distance < 0 && moved != distance;
    m_eof = distance > 0 && moved != distance;
    if (moved != 0) {
        if (distance > 0) m_bof = false;
        else m_eof = false;
    }
    return moved;
}

int Dataset::recNo() const
{
    if (m_state == DatasetState::Insert || m_pos < 0)
        return 0;
    return m_pos + 1;
}

void Dataset::setRecNo(int n)
{
    ensureActive();
    checkBrowseMode();
    if (recordCount() == 0)
        return;
    setPosition(qBound(1, n, recordCount()) - 1);
    m_bof = m_pos == 0 && n <= 1;
    m_eof = false;
}

namespace {
struct KeyMatcher
{
    QList<int> cols;        // field indexes
    QList<QVariant> values; // typed values
    QList<bool> textual;    // compare as text
    LocateOptions options;

    bool matches(const QVariant &v, int k) const
    {
        const QVariant &key = values.at(k);
        if (key.isNull())
            return v.isNull();
        if (v.isNull())
            return false;
        if (!textual.at(k)) {
            if (v.metaType() == key.metaType())
                return v == key;
            return QVariant::compare(v, key) == QPartialOrdering::Equivalent;
        }
        const QString s = v.toString(), t = key.toString();
        const Qt::CaseSensitivity cs = options & LocateCaseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
        return options & LocatePartialKey ? s.startsWith(t, cs) : s.compare(t, cs) == 0;
    }
};
} // namespace

static KeyMatcher makeMatcher(const Dataset &ds, const QString &keyFields, const QVariant &keyValues,
                              LocateOptions options)
{
    KeyMatcher m;
    m.options = options;
    const QStringList names = splitFieldList(keyFields);
    QVariantList vals;
    if (names.size() > 1 || keyValues.metaType().id() == QMetaType::QVariantList)
        vals = keyValues.toList();
    else
        vals << keyValues;
    if (vals.size() != names.size())
        throw DataError(QStringLiteral("Поиск записи: %1 значений для %2 ключевых полей").arg(vals.size()).arg(names.size()));
    for (int i = 0; i < names.size(); ++i) {
        const Field *f = ds.fieldByName(names.at(i));
        m.cols << f->index();
        const FieldType t = f->dataType();
        const bool text = fieldtype::isString(t) || t == ftMemo || t == ftUnknown;
        bool ok = true;
        QVariant v = text ? (vals.at(i).isNull() ? QVariant() : QVariant(vals.at(i).toString()))
                          : fieldtype::convert(vals.at(i), t, &ok);
        if (!ok)
            throw DataError(QStringLiteral("\"%1\" - неверное значение поля \"%2\"").arg(vals.at(i).toString(), f->fieldName()));
        // Integers are stored as int or qint64 depending on size: compare as qint64.
        if (fieldtype::isInteger(t) && !v.isNull())
            v = QVariant(v.toLongLong());
        m.values << v;
        m.textual << text;
    }
    return m;
}

bool Dataset::locate(const QString &keyFields, const QVariant &keyValues, LocateOptions options)
{
    ensureActive();
    checkBrowseMode();
    const KeyMatcher m = makeMatcher(*this, keyFields, keyValues, options);
    const int count = recordCount();
    const int nkeys = int(m.cols.size());
    // One integer key, the usual case: compare the stored integers directly.
    if (nkeys == 1 && !m.textual.at(0) && m.values.at(0).metaType().id() == QMetaType::LongLong) {
        const qint64 key = m.values.at(0).toLongLong();
        const int col = m.cols.at(0);
        for (int p = 0; p < count; ++p) {
            const QVariant &v = storedValue(m_viewActive ? m_view.at(p) : p, col);
            const int t = v.metaType().id();
            const bool hit = t == QMetaType::Int        ? *static_cast<const int *>(v.constData()) == key
                           : t == QMetaType::LongLong ? *static_cast<const qlonglong *>(v.constData()) == key
                                                      : (!v.isNull() && v.toLongLong() == key);
            if (hit) {
                setPosition(p);
                m_bof = m_eof = false;
                return true;
            }
        }
        return false;
    }
    for (int p = 0; p < count; ++p) {
        const int row = m_viewActive ? m_view.at(p) : p;
        bool all = true;
        for (int k = 0; k < nkeys && all; ++k) {
            const QVariant &v = storedValue(row, m.cols.at(k));
            if (!m.textual.at(k) && v.metaType().id() == QMetaType::Int && m.values.at(k).metaType().id() == QMetaType::LongLong)
                all = v.toInt() == m.values.at(k).toLongLong();
            else
                all = m.matches(v, k);
        }
        if (all) {
            setPosition(p);
            m_bof = m_eof = false;
            return true;
        }
    }
    return false;
}

QVariant Dataset::lookup(const QString &keyFields, const QVariant &keyValues, const QString &resultFields) const
{
    ensureActive();
    const KeyMatcher m = makeMatcher(*this, keyFields, keyValues, {});
    QList<int> res;
    for (const QString &n : splitFieldList(resultFields))
        res << fieldByName(n)->index();
    const int count = recordCount();
    for (int p = 0; p < count; ++p) {
        const int row = storageRowOf(p);
        bool all = true;
        for (int k = 0; k < m.cols.size() && all; ++k)
            all = m.matches(storedValue(row, m.cols.at(k)), k);
        if (all) {
            if (res.size() == 1)
                return storedValue(row, res.first());
            QVariantList out;
            for (int c : res) out << storedValue(row, c);
            return out;
        }
    }
    return {};
}

Dataset::Bookmark Dataset::bookmark() const
{
    const int row = storageRowOf(m_pos);
    return row >= 0 ? m_rowIds.at(row) : -1;
}

Dataset::Bookmark Dataset::bookmarkAt(int position) const
{
    const int row = storageRowOf(position);
    return row >= 0 ? m_rowIds.at(row) : -1;
}

bool Dataset::bookmarkValid(Bookmark b) const
{
    if (b < 0) return false;
    const int row = int(m_rowIds.indexOf(b));
    return row >= 0 && positionOfStorageRow(row) >= 0;
}

void Dataset::gotoBookmark(Bookmark b)
{
    ensureActive();
    checkBrowseMode();
    const int row = b < 0 ? -1 : int(m_rowIds.indexOf(b));
    const int p = positionOfStorageRow(row);
    if (p < 0)
        throw DataError(QStringLiteral("Запись не найдена"));
    setPosition(p);
    m_bof = m_eof = false;
}

// ---- values ---------------------------------------------------------------------

const QVariant &Dataset::valueAt(int position, int fieldIndex) const
{
    const int row = storageRowOf(position);
    if (row < 0 || fieldIndex < 0 || fieldIndex >= m_stride)
        return nullVariant;
    return storedValue(row, fieldIndex);
}

QVariant Dataset::currentValue(int fieldIndex) const
{
    ensureActive();
    if (m_state == DatasetState::CalcFields && m_calcRow >= 0)
        return storedValue(m_calcRow, fieldIndex);
    if (m_state == DatasetState::Edit || m_state == DatasetState::Insert)
        return m_buffer.value(fieldIndex);
    return valueAt(m_pos, fieldIndex);
}

QVariant Dataset::currentOldValue(int fieldIndex) const
{
    if (m_state == DatasetState::Edit)
        return m_old.value(fieldIndex);
    if (m_state == DatasetState::Insert)
        return {};
    return currentValue(fieldIndex);
}

QVariantList Dataset::currentValues() const
{
    QVariantList out;
    for (int i = 0; i < fieldCount(); ++i)
        out << currentValue(i);
    return out;
}

QVariantList Dataset::rowValues(int position) const
{
    const int row = storageRowOf(position);
    return row >= 0 ? storedRow(row) : QVariantList();
}

void Dataset::setCurrentValue(int fieldIndex, const QVariant &v)
{
    ensureActive();
    Field *f = m_fields.at(fieldIndex).get();
    bool ok = true;
    const QVariant typed = fieldtype::convert(v, f->dataType(), &ok);
    if (!ok)
        throw DataError(QStringLiteral("\"%1\" - неверное значение поля \"%2\"").arg(v.toString(), f->fieldName()));
    if (m_state == DatasetState::CalcFields && m_calcRow >= 0) {
        if (f->fieldKind() == FieldKind::Data)
            throw DataError(QStringLiteral("Поле \"%1\" нельзя изменить").arg(f->fieldName()));
        m_cols[fieldIndex][m_calcRow] = typed;
        return;
    }
    if (m_state != DatasetState::Edit && m_state != DatasetState::Insert) {
        if (f->isReadOnly() || f->fieldKind() != FieldKind::Data)
            throw DataError(QStringLiteral("Поле \"%1\" нельзя изменить").arg(f->fieldName()));
        edit();
    }
    if (f->isReadOnly())
        throw DataError(QStringLiteral("Поле \"%1\" нельзя изменить").arg(f->fieldName()));
    m_buffer[fieldIndex] = typed;
    m_modified = true;
    if (f->fieldKind() == FieldKind::Data)
        recomputeBufferExtras();
    if (events.onFieldChange)
        events.onFieldChange(f);
    if (!m_disableCount)
        Q_EMIT fieldChanged(f);
}

// ---- editing --------------------------------------------------------------------

void Dataset::checkCanModify(bool)
{
    if (m_readOnly)
        throw DataError(QStringLiteral("Набор данных открыт только для чтения"));
}

bool Dataset::internalPost(DatasetState, const QVariantList &, QVariantList &) { return false; }
bool Dataset::internalDelete(const QVariantList &) { return false; }

void Dataset::checkBrowseMode()
{
    if (m_state == DatasetState::Edit || m_state == DatasetState::Insert) {
        if (m_modified)
            post();
        else
            cancel();
    }
}

void Dataset::edit()
{
    ensureActive();
    if (m_state == DatasetState::Edit || m_state == DatasetState::Insert)
        return;
    if (recordCount() == 0) {
        insert();
        return;
    }
    checkCanModify(true);
    if (events.beforeEdit)
        events.beforeEdit(this);
    const int row = storageRowOf(m_pos);
    m_buffer = storedRow(row);
    m_old = m_buffer;
    m_modified = false;
    setState(DatasetState::Edit);
    if (events.afterEdit)
        events.afterEdit(this);
}

void Dataset::insert()
{
    ensureActive();
    checkBrowseMode();
    checkCanModify(false);
    if (events.beforeInsert)
        events.beforeInsert(this);
    m_insertPos = qMax(0, m_pos);
    m_buffer = QList<QVariant>(m_stride);
    m_old = m_buffer;
    m_modified = false;
    setState(DatasetState::Insert);
    notifyDataChanged();
    if (events.onNewRecord)
        events.onNewRecord(this);
    recomputeBufferExtras();
    if (events.afterInsert)
        events.afterInsert(this);
}

void Dataset::append()
{
    ensureActive();
    checkBrowseMode();
    insert();
    m_insertPos = recordCount();
    notifyDataChanged();
}

void Dataset::appendRecord(const QVariantList &values)
{
    append();
    for (int i = 0; i < values.size() && i < fieldCount(); ++i)
        if (field(i)->fieldKind() == FieldKind::Data)
            setCurrentValue(i, values.at(i));
    post();
}

void Dataset::post()
{
    ensureActive();
    if (m_state != DatasetState::Edit && m_state != DatasetState::Insert)
        throw DataError(QStringLiteral("Набор данных не в режиме редактирования или вставки"));
    if (events.beforePost)
        events.beforePost(this);
    for (const auto &f : m_fields)
        if (f->isRequired() && f->fieldKind() == FieldKind::Data && m_buffer.value(f->index()).isNull())
            throw DataError(QStringLiteral("Поле \"%1\" должно иметь значение").arg(f->fieldName()));
    const DatasetState st = m_state;
    QVariantList row = m_buffer;
    // The subclass writes the row back first: an error leaves state and data unchanged.
    const bool repositioned = internalPost(st, m_old, row);
    m_modified = false;
    if (!repositioned) {
        m_buffer = row;
        recomputeBufferExtras();
        if (st == DatasetState::Edit) {
            const int r = storageRowOf(m_pos);
            for (int c = 0; c < m_stride; ++c)
                m_cols[c][r] = m_buffer.at(c);
        } else {
            const int at = m_insertPos >= recordCount() ? m_rows : storageRowOf(m_insertPos);
            for (int c = 0; c < m_stride; ++c)
                m_cols[c].insert(at, m_buffer.at(c));
            m_rowIds.insert(at, m_nextRowId++);
            ++m_rows;
            if (m_viewActive) {
                buildView();
                int p = positionOfStorageRow(at);
                if (p < 0) { // a new row the filter hides stays visible until the next refresh
                    m_view.insert(std::lower_bound(m_view.begin(), m_view.end(), at) - m_view.begin(), at);
                    p = positionOfStorageRow(at);
                }
                m_pos = p;
            } else {
                m_pos = at;
            }
        }
        m_buffer.clear();
        m_old.clear();
        setState(DatasetState::Browse);
        notifyDataChanged();
        notifyCurrentChanged();
    } else {
        m_buffer.clear();
        m_old.clear();
        setState(DatasetState::Browse);
    }
    m_bof = m_eof = false;
    if (events.afterPost)
        events.afterPost(this);
}

void Dataset::cancel()
{
    if (m_state != DatasetState::Edit && m_state != DatasetState::Insert)
        return;
    if (events.beforeCancel)
        events.beforeCancel(this);
    const bool wasInsert = m_state == DatasetState::Insert;
    m_buffer.clear();
    m_old.clear();
    m_modified = false;
    setState(DatasetState::Browse);
    if (wasInsert)
        notifyDataChanged();
    notifyCurrentChanged();
    if (events.afterCancel)
        events.afterCancel(this);
}

void Dataset::deleteRecord()
{
    ensureActive();
    if (m_state == DatasetState::Insert) {
        cancel();
        return;
    }
    if (recordCount() == 0)
        throw DataError(QStringLiteral("Операция невозможна для пустого набора данных"));
    checkBrowseMode();
    checkCanModify(false);
    if (events.beforeDelete)
        events.beforeDelete(this);
    const int row = storageRowOf(m_pos);
    const QVariantList values = storedRow(row);
    if (!internalDelete(values)) {
        for (auto &col : m_cols)
            col.removeAt(row);
        m_rowIds.removeAt(row);
        --m_rows;
        if (m_viewActive) {
            const int p = m_pos;
            m_view.removeAt(p);
            for (int &v : m_view)
                if (v > row) --v;
        }
        if (m_pos >= recordCount())
            m_pos = recordCount() - 1;
        m_bof = m_pos <= 0;
        m_eof = recordCount() == 0;
        notifyDataChanged();
        notifyCurrentChanged();
    }
    if (events.afterDelete)
        events.afterDelete(this);
    if (events.afterScroll)
        events.afterScroll(this);
}

} // namespace vorn
