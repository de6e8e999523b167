// SQLite procedure executor. All statements of a body run inside one SAVEPOINT, so
// a failing statement leaves nothing behind of the earlier ones; the savepoint nests
// inside a transaction the caller may have started.
#include "platform/data/SqliteProcedure.h"
#include "platform/data/DataError.h"
#include "platform/data/SqlText.h"

#include <sqlite3.h>

namespace vorn::sqliteproc {

FieldType declaredType(const QString &type)
{
    const QString t = type.trimmed().toLower();
    if (t == u"int" || t == u"integer") return ftInteger;
    if (t == u"float") return ftFloat;
    if (t == u"money") return ftCurrency;
    if (t == u"varchar") return ftString;
    if (t == u"text") return ftMemo;
    if (t == u"date") return ftDate;
    if (t == u"datetime") return ftDateTime;
    if (t == u"blob") return ftBlob;
    return ftUnknown;
}

ParamList parseDeclaration(const QString &params)
{
    ParamList out;
    for (const QString &item : params.split(u',', Qt::SkipEmptyParts)) {
        const QStringList parts = item.simplified().split(u' ', Qt::SkipEmptyParts);
        if (parts.isEmpty())
            continue;
        if (!parts.first().startsWith(u'@') || parts.size() > 3)
            throw DataError(QStringLiteral("Неверное объявление параметра процедуры: %1").arg(item.trimmed()));
        Param p(parts.first());
        if (parts.size() > 1) {
            p.setDataType(declaredType(parts.at(1)));
            if (p.dataType() == ftUnknown)
                throw DataError(QStringLiteral("Неверный тип параметра процедуры: %1").arg(item.trimmed()));
        }
        const QString dir = parts.size() > 2 ? parts.at(2).toLower() : QStringLiteral("in");
        if (dir == u"in") p.setDirection(ParamDirection::Input);
        else if (dir == u"out") p.setDirection(ParamDirection::Output);
        else if (dir == u"inout") p.setDirection(ParamDirection::InputOutput);
        else throw DataError(QStringLiteral("Неверное направление параметра процедуры: %1").arg(item.trimmed()));
        out.add(p);
    }
    return out;
}

static bool readProcedure(sqlite3 *db, const QString &name, QString *params, QString *body)
{
    const ResultSet t = sqlite::run(
        db, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'VornProcedure' COLLATE NOCASE"),
        nullptr, {}, true);
    if (t.rowCount == 0)
        return false;
    const ResultSet r = sqlite::run(db, QStringLiteral("SELECT Params, Body FROM VornProcedure WHERE Name = ? COLLATE NOCASE"),
                                    nullptr, {name.trimmed()}, true);
    if (r.rowCount == 0)
        return false;
    *params = r.value(0, 0).toString();
    *body = r.value(0, 1).toString();
    return true;
}

ParamList declaredParams(sqlite3 *db, const QString &name)
{
    QString params, body;
    if (!readProcedure(db, name, &params, &body))
        throw DataError(QStringLiteral("Процедура не найдена: %1").arg(name));
    return parseDeclaration(params);
}

static const Param *callerValue(const ParamList &given, const QString &declared)
{
    if (const Param *p = given.findParam(declared))
        return p;
    return given.findParam(declared.mid(1));  // the caller may leave out the '@'
}

ResultSet execute(sqlite3 *db, const QString &name, ParamList &params)
{
    QString decl, body;
    if (!readProcedure(db, name, &decl, &body))
        throw DataError(QStringLiteral("Процедура не найдена: %1").arg(name));
    const ParamList declared = parseDeclaration(decl);
    ParamList bind;
    for (const Param &d : declared) {
        Param b = d;
        const Param *given = callerValue(params, d.name());
        if (given && d.direction() != ParamDirection::Output && given->isBound())
            b.setValue(given->value());
        else
            b.setNull();
        bind.add(b);
    }
    // Names the body uses without declaring them still get the caller's values.
    for (const Param &g : params)
        if (!callerValue(declared, g.name().startsWith(u'@') ? g.name() : u'@' + g.name()))
            bind.add(g);

    static int depth = 0;
    const QString sp = QStringLiteral("vorn_proc_%1").arg(++depth);
    struct Depth { ~Depth() { --depth; } } depthGuard;
    sqlite::run(db, QStringLiteral("SAVEPOINT ") + sp, nullptr, {}, false);
    ResultSet lastResult, lastRow;
    bool haveRow = false;
    try {
        for (const QString &st : sqltext::splitStatements(body)) {
            ResultSet rs = sqlite::run(db, st, &bind, {}, true);
            if (!rs.columns.isEmpty()) {
                if (rs.rowCount > 0) {
                    lastRow = rs;
                    haveRow = true;
                }
                lastResult = std::move(rs);
            } else {
                lastResult.rowsAffected = rs.rowsAffected;
            }
        }
    } catch (const DataError &e) {
        const QString message = e.message();
        try {
            sqlite::run(db, QStringLiteral("ROLLBACK TO ") + sp, nullptr, {}, false);
            sqlite::run(db, QStringLiteral("RELEASE ") + sp, nullptr, {}, false);
        } catch (const DataError &) {
        }
        throw DataError(message);
    }
    sqlite::run(db, QStringLiteral("RELEASE ") + sp, nullptr, {}, false);

    for (const Param &d : declared) {
        if (d.direction() != ParamDirection::Output && d.direction() != ParamDirection::InputOutput)
            continue;
        QVariant v;
        if (haveRow) {
            const QString bare = d.name().mid(1);
            for (int c = 0; c < lastRow.columns.size(); ++c) {
                const QString col = lastRow.columns.at(c).name;
                if (col.compare(d.name(), Qt::CaseInsensitive) == 0 || col.compare(bare, Qt::CaseInsensitive) == 0) {
                    v = fieldtype::convert(lastRow.value(0, c), d.dataType());
                    break;
                }
            }
        }
        Param *target = params.findParam(d.name());
        if (!target)
            target = params.findParam(d.name().mid(1));
        if (!target) {
            Param p = d;
            target = &params.add(p);
        }
        target->setDirection(d.direction());
        if (target->dataType() == ftUnknown)
            target->setDataType(d.dataType());
        target->setValue(v);
    }
    return lastResult;
}

} // namespace vorn::sqliteproc
