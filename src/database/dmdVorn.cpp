#include "database/dmdVorn.h"

#include "platform/core/SystemInfo.h"
#include "platform/data/DataError.h"
#include "platform/data/DataSource.h"
#include "platform/data/Database.h"
#include "platform/data/Query.h"
#include "platform/data/SqlDialect.h"
#include "platform/data/StoredProc.h"

#include <QPointer>
#include <QScopeGuard>

using vorn::Database;
using vorn::Dataset;
using vorn::Query;

static QPointer<TdmVorn> g_dmVorn;
TdmVorn *dmVorn() { return g_dmVorn; }

// The names and descriptions the lists show are cut at 250 characters.
static const char *const kGroupSql = "select Id, substring(GrpName, 1, 250) as GrpName, IdParent, Numm from vwVornGroup ORDER BY Numm";
static const char *const kGrpBodySql =
    "select b.Id, b.IdGroup, b.IdForm, b.IdScript, b.Numm, substring(f.Name, 1, 250) as Name, f.IdDestination, f.IdTypExec "
    "from VornGrpBody b join vwVornForm f on f.Id = b.IdForm "
    "union all "
    "select b.Id, b.IdGroup, b.IdForm, b.IdScript, b.Numm, substring(s.Name, 1, 250) as Name, 0 as IdDestination, 0 as IdTypExec "
    "from VornGrpBody b join vwVornScript s on s.Id = b.IdScript "
    "ORDER BY 2, 5";
static const char *const kFormSql = "select Id, Numm, substring(Name, 1, 250) as Name, IdDestination, IdTypExec, "
                                    "substring(Description, 1, 250) as Description from vwVornForm ORDER BY Numm";
static const char *const kQuerySql = "select Id, Numm, substring(Name, 1, 250) as Name from VornQuery ORDER BY Numm";
static const char *const kRemoteSql = "select Id, Numm, substring(Name, 1, 250) as Name from VornRemoteData ORDER BY Numm";
static const char *const kScriptSql = "select Id, Numm, substring(Name, 1, 250) as Name from vwVornScript ORDER BY Numm";
static const char *const kImportsSql = "select Id, Numm, substring(Name, 1, 250) as Name, FileTemplate, "
                                       "substring(Description, 1, 250) as Description, IdScrEng from vwVornImports ORDER BY Numm";
static const char *const kFrm2QrySql =
    "select l.Id, l.IdForm, l.Numm, l.IdQuery, l.IdRemoteData, l.IsMaster, l.QueryShortName, substring(q.Name, 1, 250) as Name "
    "from VornFrm2Qry l join VornQuery q on q.Id = l.IdQuery "
    "union all "
    "select l.Id, l.IdForm, l.Numm, l.IdQuery, l.IdRemoteData, l.IsMaster, l.QueryShortName, substring(r.Name, 1, 250) as Name "
    "from VornFrm2Qry l join VornRemoteData r on r.Id = l.IdRemoteData "
    "order by 2, 3";
static const char *const kQueryParamSql = "select Id, IdQuery, Numm, ParName, ParLabel, IdParTyp from VornParam "
                                          "where IdQuery is not null order by IdQuery, Numm";
static const char *const kRemoteParamSql = "select Id, IdRemoteData, Numm, ParName, ParLabel, IdParTyp from VornParam "
                                           "where IdRemoteData is not null order by IdRemoteData, Numm";
static const char *const kFrmRepSql = "select Id, Report, IdDestination, IdTypExec from VornForm where Id = :Id";
static const char *const kScriptBodySql =
    "select s.ScriptText, l.Item as ScrEngName, s.Name from VornScript s "
    "left join Lookups l on l.Teg = 'VornScript_IdScrEng' and l.Ival = s.IdScrEng where s.Id = :Id";
static const char *const kImportsBodySql =
    "select i.Id, i.Numm, i.Name, i.Description, i.FileTemplate, i.IdScrEng, i.SQLtext, i.ScriptText, l.Item as ScrEngName "
    "from VornImports i left join Lookups l on l.Teg = 'VornScript_IdScrEng' and l.Ival = i.IdScrEng where i.Id = :Id";
static const char *const kScrEngSql = "select Ival, Item, Comment from Lookups where Teg = 'VornScript_IdScrEng' order by Id";
static const char *const kTypObjSql = "select Ival, Item from Lookups where Teg = 'VornUsers_IdTypObj' order by Ival";
static const char *const kMSserversSql =
    "select distinct hostname as Server from master..sysprocesses where program_name = :PROGRAM and suid <> SUSER_ID()";

TdmVorn::TdmVorn(QObject *parent) : QObject(parent)
{
    setObjectName(QStringLiteral("dmVorn"));
    qGroup = makeQuery("qGroup", QLatin1String(kGroupSql));
    qGrpBody = makeQuery("qGrpBody", QLatin1String(kGrpBodySql));
    qForm = makeQuery("qForm", QLatin1String(kFormSql));
    qQuery = makeQuery("qQuery", QLatin1String(kQuerySql));
    qRemoteData = makeQuery("qRemoteData", QLatin1String(kRemoteSql));
    qScript = makeQuery("qScript", QLatin1String(kScriptSql));
    qImports = makeQuery("qImports", QLatin1String(kImportsSql));
    qFrm2Qry = makeQuery("qFrm2Qry", QLatin1String(kFrm2QrySql));
    qQueryParam = makeQuery("qQueryParam", QLatin1String(kQueryParamSql));
    qRemoteDataParam = makeQuery("qRemoteDataParam", QLatin1String(kRemoteParamSql));
    qFrmRep = makeQuery("qFrmRep", QLatin1String(kFrmRepSql));
    qFrmRep->setRequestLive(true);
    qFrmRep->setUpdateTable(QStringLiteral("VornForm"));
    qScriptBody = makeQuery("qScriptBody", QLatin1String(kScriptBodySql));
    qImportsBody = makeQuery("qImportsBody", QLatin1String(kImportsBodySql));
    qScrEng = makeQuery("qScrEng", QLatin1String(kScrEngSql));
    qTypObj = makeQuery("qTypObj", QLatin1String(kTypObjSql));
    qMSservers = makeQuery("qMSservers", QLatin1String(kMSserversSql));
    dsGroup = new vorn::DataSource(qGroup, this);
    dsGroup->setObjectName(QStringLiteral("dsGroup"));
    dsForm = new vorn::DataSource(qForm, this);
    dsForm->setObjectName(QStringLiteral("dsForm"));
    g_dmVorn = this;
}

TdmVorn::~TdmVorn() = default;

Query *TdmVorn::makeQuery(const char *name, const QString &sql)
{
    auto *q = new Query(this);
    q->setObjectName(QLatin1String(name));
    q->setDatabaseName(QStringLiteral("dbMain"));
    q->setSql(sql);
    return q;
}

QString TdmVorn::SortClause(Query *list) const
{
    const int k = std::clamp(CatalogueSortKey, 0, 2);
    if (list == qGroup) {
        static const char *const cols[] = {"Numm", "GrpName", "Id"};
        return QStringLiteral("ORDER BY ") + QLatin1String(cols[k]);
    }
    if (list == qGrpBody) {
        static const char *const cols[] = {"2, 5", "2, 6", "2, 1"};
        return QStringLiteral("ORDER BY ") + QLatin1String(cols[k]);
    }
    if (list == qForm || list == qQuery || list == qRemoteData || list == qScript || list == qImports) {
        static const char *const cols[] = {"Numm", "Name", "Id"};
        return QStringLiteral("ORDER BY ") + QLatin1String(cols[k]);
    }
    return QString();
}

void TdmVorn::OpenSorted(Query *list)
{
    const QString clause = SortClause(list);
    if (!clause.isEmpty())
        SetOrderBy(list, clause);
    ReopenKeepingPosition(list);
}

void TdmVorn::ClearRunContext()
{
    RunParams = nullptr;
    RunQueries = nullptr;
    RunCaption.clear();
}

QString TdmVorn::LoginName() const
{
    try {
        return Database::defaultDatabase()->params().value(QStringLiteral("USER NAME"));
    } catch (const vorn::DataError &) {
        return QString();
    }
}

QString TdmVorn::UserFullName()
{
    if (m_fullNameCached)
        return m_fullName;
    const QString login = QuotedSql(LoginName());
    const QVariant n = SelectValue(QStringLiteral("select count(*) from vwVornLogins where LoginName=") + login +
                                   QStringLiteral(" and IsRole=0"));
    if (n.toInt() > 0)
        m_fullName = SelectValue(QStringLiteral("select FullName from vwVornLogins where LoginName=") + login +
                                 QStringLiteral(" and IsRole=0")).toString();
    else
        m_fullName = LoginName();
    m_fullNameCached = true;
    return m_fullName;
}

bool TdmVorn::IsAdmin(bool refresh)
{
    if (!refresh && m_isAdminKnown)
        return m_isAdmin;
    try {
        vorn::ParamList params;
        params.add(vorn::Param(ParamPrefix + QStringLiteral("IsAdmin"), vorn::ftInteger, vorn::ParamDirection::Output));
        ExecCatalogueProc(QStringLiteral("spVornGetIsAdmin"), params);
        m_isAdmin = params[0].value().toInt() > 0;
        m_isAdminKnown = true;
    } catch (const std::exception &e) {
        // A check that failed grants nothing: the flag of a previous login must not stay.
        m_isAdmin = false;
        m_isAdminKnown = false;
        ShowError(QStringLiteral("Error Execute spVornGetIsAdmin\r\n") + QString::fromUtf8(e.what()));
    }
    return m_isAdmin;
}

void TdmVorn::ReadParamPrefix()
{
    const QVariant v = SelectValue(QStringLiteral("select Item from Lookups where Teg='Vorn_prmPrefix'"));
    ParamPrefix = (!v.isNull() && v.typeId() == QMetaType::QString) ? v.toString().trimmed() : QString();
}

void TdmVorn::LogAction(int idAction, int valueId, const QString &name)
{
    vorn::ParamList params;
    params.add(vorn::Param(ParamPrefix + QStringLiteral("IdAction"), vorn::ftInteger)).setAsInteger(idAction);
    params.add(vorn::Param(ParamPrefix + QStringLiteral("ValueId"), vorn::ftInteger)).setAsInteger(valueId);
    params.add(vorn::Param(ParamPrefix + QStringLiteral("Name"), vorn::ftString)).setAsString(name);
    ExecCatalogueProc(QStringLiteral("spVornLogAction"), params);
}

QString TdmVorn::ProgramName() { return vorn::sysinfo::programName(); }
QString TdmVorn::ComputerName() { return vorn::sysinfo::computerName(); }

void TdmVorn::CloseAll()
{
    for (Query *q : findChildren<Query *>(QString(), Qt::FindDirectChildrenOnly))
        q->close();
    ForgetUserFullName();
    m_isAdminKnown = false;
}

// ---------------------------------------------------------------- helpers

void ExecSql(const QString &sql) { Database::defaultDatabase()->execSql(sql); }

QVariant SelectValue(const QString &sql)
{
    Query q;
    q.setDatabase(Database::defaultDatabase());
    q.setSql(sql);
    q.open();
    if (q.isEmpty() || q.fieldCount() == 0)
        return QVariant();
    QVariant v = q.field(0)->value();
    if (q.field(0)->dataType() == vorn::ftString || q.field(0)->dataType() == vorn::ftMemo ||
        q.field(0)->dataType() == vorn::ftFixedChar || q.field(0)->dataType() == vorn::ftWideString)
        v = v.isNull() ? QVariant() : QVariant(v.toString());
    return v;
}

void ExecCatalogueProc(const QString &procName, vorn::ParamList &params)
{
    vorn::StoredProc proc;
    proc.setDatabase(Database::defaultDatabase());
    proc.setStoredProcName(procName);
    proc.params() = params;
    proc.prepare();
    // A name the procedure does not declare (a wrong prefix) must fail, not pass NULL.
    for (const vorn::Param &p : params)
        if (!proc.params().findParam(p.name()))
            throw vorn::DataError(QStringLiteral("У процедуры %1 нет параметра %2 (проверьте префикс параметров: Lookups, "
                                                    "тег Vorn_prmPrefix)").arg(procName, p.name()));
    proc.execProc();
    for (int i = 0; i < params.count(); ++i)
        if (const vorn::Param *p = proc.params().findParam(params[i].name()))
            params[i].setValue(p->value());
    proc.close();
}

QString QuotedSql(const QString &text)
{
    // Doubling keeps a name with an apostrophe from ending the literal early; SQL
    // Server gets N'...' so Cyrillic survives a database whose collation is not Cyrillic.
    Database::Dialect d = Database::Dialect::Sqlite;
    try {
        d = Database::defaultDatabase()->dialect();
    } catch (const vorn::DataError &) {
    }
    return vorn::dialect::quotedString(d, text);
}

void ConfirmSaveChanges(Dataset *ds)
{
    if (!ds || (ds->state() != vorn::DatasetState::Edit && ds->state() != vorn::DatasetState::Insert))
        return;
    if (!ds->isModified()) {
        ds->cancel();
        return;
    }
    switch (ConfirmYesNoCancel(QStringLiteral("Данные были изменены. Сохранять?"))) {
    case TMsgButton::Yes: ds->post(); break;
    case TMsgButton::No: ds->cancel(); break;
    default: throw EAbort();
    }
}

void SetOrderBy(Dataset *ds, const QString &orderBy)
{
    if (auto *q = qobject_cast<Query *>(ds)) {
        if (orderBy.size() <= 1)
            return;
        QString sql = q->sqlText().trimmed();
        const qsizetype at = sql.toUpper().indexOf(QStringLiteral("ORDER BY"));
        if (at >= 0)
            sql = sql.left(at).trimmed();
        q->setSql(sql + u' ' + orderBy);
    } else if (auto *p = qobject_cast<vorn::StoredProc *>(ds)) {
        if (vorn::Param *sp = p->params().findParam(QStringLiteral("@parSortPart")))
            sp->setAsString(orderBy);
    }
}

void ReopenKeepingPosition(Dataset *ds, const QString &newSql)
{
    try {
        ConfirmSaveChanges(ds);
    } catch (const EAbort &) {
        ShowError(QStringLiteral("Предыдущая строка не сохранена\n\rОбновить данные невозможно"));
        return;
    }
    int id = 0;
    if (ds->isActive())
        if (vorn::Field *f = ds->findField(QStringLiteral("Id")); f && !ds->isEmpty())
            id = f->value().toInt();
    ds->disableControls();
    auto afterScroll = std::exchange(ds->events.afterScroll, nullptr);
    auto restore = qScopeGuard([&] {
        ds->events.afterScroll = afterScroll;
        ds->enableControls();
    });
    ds->close();
    if (!newSql.isNull())
        if (auto *q = qobject_cast<Query *>(ds))
            q->setSql(newSql);
    try {
        ds->open();
    } catch (const std::exception &e) {
        throw vorn::DataError(QString::fromUtf8(e.what()) + QStringLiteral("\n\rDataSet.Name=\"") + ds->objectName() + u'"');
    }
    vorn::Field *idField = ds->findField(QStringLiteral("Id"));
    if (id == 0 && idField) {
        // A list that was closed, or a new row just inserted elsewhere: go to the newest.
        for (ds->first(); !ds->eof(); ds->next())
            id = std::max(id, idField->value().toInt());
        ds->first();
    }
    if (id > 0 && idField && !ds->locate(QStringLiteral("Id"), id))
        ds->first();
    restore.dismiss();
    ds->events.afterScroll = afterScroll;
    ds->enableControls();
    if (afterScroll)
        afterScroll(ds);
}

void OpenFormDataSets(QObject *window)
{
    QList<Dataset *> readOnly, live, other;
    for (Dataset *ds : window->findChildren<Dataset *>()) {
        if (ds->tag() == -1)
            continue;
        if (auto *q = qobject_cast<Query *>(ds))
            (q->requestLive() || q->isEditableList() ? live : readOnly) << ds;
        else
            other << ds;
    }
    for (const auto *group : {&readOnly, &live, &other})
        for (Dataset *ds : *group)
            ReopenKeepingPosition(ds);
}
