// Query dataset: statement execution, master/detail re-query and the two write-back
// ways. Generated statements always bind values as parameters, never paste them.
#include "platform/data/Query.h"
#include "platform/data/DataError.h"
#include "platform/data/DataSource.h"
#include "platform/data/Database.h"
#include "platform/data/SqlText.h"

#include <QRegularExpression>
#include <QSqlIndex>

namespace vorn {

Query::Query(QObject *parent) : Dataset(parent) {}

Query::~Query() = default;

Database *Query::database() const
{
    return Database::resolve(m_database, m_databaseName);
}

void Query::setSql(const QStringList &lines)
{
    if (isActive())
        close();
    m_sql = lines;
    m_prepared = false;
    m_params.assignNames(sqltext::paramNames(m_sql.join(u'\n')));
}

void Query::prepare()
{
    database()->checkSql(sqlText());
    m_prepared = true;
}

ParamList Query::effectiveParams() const
{
    ParamList p = m_params;
    Dataset *master = m_master ? m_master->dataset() : nullptr;
    for (Param &x : p) {
        if (x.isBound())
            continue;
        if (master && master->isActive()) {
            if (Field *f = master->findField(x.name())) {
                x.setDataType(f->dataType());
                x.setValue(master->recordCount() > 0 || master->isInserting() ? f->value() : QVariant());
                continue;
            }
        }
        x.setNull();
    }
    return p;
}

void Query::internalOpen(RowData &out)
{
    Database *db = database();
    const ParamList p = effectiveParams();
    m_masterValues.clear();
    for (const Param &x : p)
        m_masterValues << x.value();
    ResultSet rs = db->execute(sqlText(), p, true);
    if (rs.columns.isEmpty())
        throw DataError(QStringLiteral("Запрос не возвращает набор данных"));
    for (const ResultColumn &c : rs.columns) {
        Field *f = makeField(c.name, c.type, c.size);
        f->setOrigin(c.origin);
        out.fields << f;
    }
    out.columns = std::move(rs.data);
    out.rowCount = rs.rowCount;
}

qint64 Query::execSql()
{
    if (isActive())
        close();
    const ResultSet rs = database()->execute(sqlText(), effectiveParams(), false);
    m_rowsAffected = rs.rowsAffected;
    return m_rowsAffected;
}

void Query::setMasterSource(DataSource *master)
{
    // A dataset that leads itself, directly or through others, would re-query
    // itself from its own re-query until the stack runs out: refuse the link.
    QStringList chain{objectName()};
    for (DataSource *s = master; s && s->dataset(); ) {
        Dataset *d = s->dataset();
        chain << d->objectName();
        if (d == this)
            throw DataError(chain.size() == 2
                                ? QStringLiteral("Набор данных \"%1\" не может быть главным для самого себя").arg(objectName())
                                : QStringLiteral("Главные наборы данных ссылались бы друг на друга по кругу: %1")
                                      .arg(chain.join(QStringLiteral(" → "))));
        auto *q = qobject_cast<Query *>(d);
        s = q && chain.size() <= 10000 ? q->masterSource() : nullptr;
    }
    for (const auto &c : m_masterLinks)
        disconnect(c);
    m_masterLinks.clear();
    m_master = master;
    if (master) {
        m_masterLinks << connect(master, &DataSource::currentChanged, this, &Query::masterChanged);
        m_masterLinks << connect(master, &DataSource::dataChanged, this, &Query::masterChanged);
        m_masterLinks << connect(master, &DataSource::datasetChanged, this, &Query::masterChanged);
    }
}

void Query::masterChanged()
{
    if (!isActive() || !m_master)
        return;
    Dataset *md = m_master->dataset();
    if (md && (md->state() == DatasetState::Edit || md->state() == DatasetState::Insert))
        return;  // the master row is not settled yet
    const ParamList p = effectiveParams();
    QVariantList values;
    for (const Param &x : p)
        values << x.value();
    if (values == m_masterValues)
        return;
    // Called from the master's notification: an error cannot travel back through it.
    try {
        checkBrowseMode();
        close();
        open();
    } catch (const DataError &e) {
        Q_EMIT errorOccurred(e.message());
    }
}

// ---- write-back -----------------------------------------------------------------

void Query::checkCanModify(bool forEdit)
{
    if (m_readOnly)
        throw DataError(QStringLiteral("Набор данных открыт только для чтения"));
    if (isEditableList()) {
        if (forEdit && m_modifySql.trimmed().isEmpty())
            throw DataError(QStringLiteral("ModifySQL не заполненно "));
        return;
    }
    if (!m_requestLive)
        throw DataError(QStringLiteral("Набор данных открыт только для чтения"));
    if (updateTable().isEmpty())
        throw DataError(QStringLiteral("Набор данных открыт только для чтения"));
}

QString Query::updateTable() const
{
    if (!m_updateTable.isEmpty())
        return m_updateTable;
    static const QRegularExpression re(
        QStringLiteral("^\\s*select\\b.*?\\bfrom\\s+([\\w.\"\\[\\]]+)(?:\\s+(?:as\\s+)?(?!where\\b|order\\b|group\\b)\\w+)?\\s*(?:\\bwhere\\b|\\border\\b|\\bgroup\\b|;|$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto m = re.match(sqltext::stripComments(sqlText()));
    return m.hasMatch() ? m.captured(1) : QString();
}

QStringList Query::keyFields() const
{
    if (!m_keyFields.isEmpty())
        return m_keyFields;
    QStringList keys;
    const QString table = updateTable();
    if (!table.isEmpty()) {
        QString bare = table;
        bare.remove(u'"').remove(u'[').remove(u']');
        const QSqlIndex idx = database()->sqlDatabase().primaryIndex(bare);
        for (int i = 0; i < idx.count(); ++i)
            keys << idx.fieldName(i);
    }
    if (keys.isEmpty() && findField(QStringLiteral("Id")))
        keys << QStringLiteral("Id");
    return keys;
}

QString Query::quoteName(const QString &name) const
{
    if (database()->dialect() == Database::Dialect::MsSql)
        return u'[' + name + u']';
    return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QString Query::columnName(const Field *f) const
{
    const QString o = f->origin();
    const int dot = o.lastIndexOf(u'.');
    return dot >= 0 ? o.mid(dot + 1) : f->fieldName();
}

ParamList Query::statementParams(const QString &sql, const QVariantList &row, const QVariantList &oldRow) const
{
    ParamList out;
    for (const QString &name : sqltext::paramNames(sql)) {
        Param p(name);
        if (name.startsWith(QLatin1String("OLD_"), Qt::CaseInsensitive)) {
            if (const Field *f = findField(name.mid(4))) {
                p.setDataType(f->dataType());
                p.setValue(oldRow.value(f->index()));
                out.add(p);
                continue;
            }
        }
        if (const Field *f = findField(name)) {
            p.setDataType(f->dataType());
            p.setValue(row.value(f->index()));
        } else if (const Param *q = m_params.findParam(name)) {
            p = *q;
            p.setName(name);
            if (!p.isBound())
                p.setNull();
        } else {
            throw DataError(QStringLiteral("Параметр \"%1\" не найден").arg(name));
        }
        out.add(p);
    }
    return out;
}

void Query::rereadAndLocate(const QVariant &id)
{
    disableControls();
    try {
        close();
        open();
        if (!id.isNull() && findField(QStringLiteral("Id"))) {
            if (!locate(QStringLiteral("Id"), id))
                throw DataError(QStringLiteral("Record don't located!"));
        }
    } catch (...) {
        enableControls();
        throw;
    }
    enableControls();
    notifyDataChanged();
    notifyCurrentChanged();
}

bool Query::internalPost(DatasetState state, const QVariantList &oldRow, QVariantList &newRow)
{
    Database *db = database();
    if (isEditableList()) {
        const QString sql = state == DatasetState::Edit ? m_modifySql : m_insertSql;
        if (sql.trimmed().isEmpty())
            throw DataError(state == DatasetState::Edit ? QStringLiteral("ModifySQL не заполненно ")
                                                        : QStringLiteral("InsertSQL не заполненно "));
        db->execute(sql, statementParams(sql, newRow, oldRow), false);
        QVariant id;
        const Field *idField = findField(QStringLiteral("Id"));
        if (state == DatasetState::Edit && idField) {
            id = newRow.value(idField->index());
        } else if (idField) {
            // The new row is the one with the largest Id after the re-read.
            disableControls();
            try {
                close();
                open();
            } catch (...) {
                enableControls();
                throw;
            }
            enableControls();
            for (int p = 0; p < recordCount(); ++p) {
                const QVariant &v = valueAt(p, findField(QStringLiteral("Id"))->index());
                if (!v.isNull() && (id.isNull() || v.toLongLong() > id.toLongLong()))
                    id = v;
            }
        }
        rereadAndLocate(id);
        return true;
    }
    // Live single table.
    const QString table = updateTable();
    const QStringList keys = keyFields();
    QStringList assigns, cols, marks, where;
    ParamList p;
    int n = 0;
    const auto bind = [&](const Field *f, const QVariant &v) {
        Param x(QStringLiteral("p%1").arg(n++), f->dataType());
        x.setValue(v);
        p.add(x);
        return u':' + x.name();
    };
    const QString tablePart = QString(table).remove(u'"').remove(u'[').remove(u']');
    const auto ownColumn = [&](const Field *f) {
        if (f->fieldKind() != FieldKind::Data || f->isReadOnly())
            return false;
        const QString o = f->origin();
        const int dot = o.lastIndexOf(u'.');
        return o.isEmpty() || o.left(dot).compare(tablePart.section(u'.', -1), Qt::CaseInsensitive) == 0;
    };
    const auto keyWhere = [&](const QVariantList &row) {
        if (keys.isEmpty())
            throw DataError(QStringLiteral("У таблицы %1 нет ключевых полей").arg(table));
        for (const QString &k : keys) {
            const Field *f = fieldByName(k);
            where << quoteName(columnName(f)) + QStringLiteral(" = ") + bind(f, row.value(f->index()));
        }
    };
    QString sql;
    if (state == DatasetState::Edit) {
        for (int i = 0; i < fieldCount(); ++i) {
            const Field *f = field(i);
            if (!ownColumn(f) || newRow.value(i) == oldRow.value(i))
                continue;
            assigns << quoteName(columnName(f)) + QStringLiteral(" = ") + bind(f, newRow.value(i));
        }
        if (assigns.isEmpty())
            return false;
        keyWhere(oldRow);
        sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(table, assigns.join(QStringLiteral(", ")),
                                                               where.join(QStringLiteral(" AND ")));
        if (db->execute(sql, p, false).rowsAffected == 0)
            throw DataError(QStringLiteral("Запись не найдена или изменена другим пользователем"));
        return false;
    }
    for (int i = 0; i < fieldCount(); ++i) {
        const Field *f = field(i);
        if (!ownColumn(f) || newRow.value(i).isNull())
            continue;
        cols << quoteName(columnName(f));
        marks << bind(f, newRow.value(i));
    }
    sql = cols.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table)
                         : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, cols.join(QStringLiteral(", ")),
                                                                                  marks.join(QStringLiteral(", ")));
    const bool pg = db->dialect() == Database::Dialect::PostgreSql;
    QStringList keyCols;
    for (const QString &k : keys)
        if (const Field *f = findField(k))
            keyCols << quoteName(columnName(f));
    if (pg && !keyCols.isEmpty())
        sql += QStringLiteral(" RETURNING ") + keyCols.join(QStringLiteral(", "));
    const ResultSet rs = db->execute(sql, p, pg && !keyCols.isEmpty());
    // The server's key of the new row goes into the row, so it can be edited again.
    if (pg && rs.rowCount > 0) {
        for (int k = 0; k < keys.size() && k < rs.columns.size(); ++k)
            if (const Field *f = findField(keys.at(k)))
                newRow[f->index()] = fieldtype::convert(rs.value(0, k), f->dataType());
    } else if (keys.size() == 1) {
        if (const Field *f = findField(keys.first()); f && newRow.value(f->index()).isNull()) {
            QVariant id = db->dialect() == Database::Dialect::MsSql
                              ? db->selectValue(QStringLiteral("SELECT @@IDENTITY"))
                              : rs.lastInsertId;
            newRow[f->index()] = fieldtype::convert(id, f->dataType());
        }
    }
    return false;
}

bool Query::internalDelete(const QVariantList &row)
{
    Database *db = database();
    if (isEditableList()) {
        if (m_deleteSql.trimmed().isEmpty())
            throw DataError(QStringLiteral("DeleteSQL не заполненно "));
        // The row that follows the deleted one takes the cursor, or the one before it.
        QVariant nextId;
        if (const Field *idf = findField(QStringLiteral("Id"))) {
            const int pos = rowPosition();
            nextId = pos + 1 < recordCount() ? valueAt(pos + 1, idf->index())
                   : pos > 0                 ? valueAt(pos - 1, idf->index())
                                             : QVariant();
        }
        db->execute(m_deleteSql, statementParams(m_deleteSql, row, row), false);
        rereadAndLocate(nextId);
        return true;
    }
    const QStringList keys = keyFields();
    if (keys.isEmpty())
        throw DataError(QStringLiteral("У таблицы %1 нет ключевых полей").arg(updateTable()));
    QStringList where;
    ParamList p;
    int n = 0;
    for (const QString &k : keys) {
        const Field *f = fieldByName(k);
        Param x(QStringLiteral("p%1").arg(n++), f->dataType());
        x.setValue(row.value(f->index()));
        p.add(x);
        where << quoteName(columnName(f)) + QStringLiteral(" = :") + x.name();
    }
    const QString sql = QStringLiteral("DELETE FROM %1 WHERE %2").arg(updateTable(), where.join(QStringLiteral(" AND ")));
    if (db->execute(sql, p, false).rowsAffected == 0)
        throw DataError(QStringLiteral("Запись не найдена или изменена другим пользователем"));
    return false;
}

} // namespace vorn
