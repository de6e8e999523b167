// GlobalVornMain, the report object and the utility function object.
#include "scripting/Impl_VornMain.h"
#include "database/VornMessages.h"
#include "platform/data/Database.h"
#include "database/dmdVorn.h"
#include "execution/Askme.h"
#include "execution/ParamAskMe.h"
#include "execution/VornReportRun.h"
#include "execution/VornRun.h"
#include "execution/VornRunParams.h"
#include "scripting/Impl_VornParams.h"
#include "scripting/Impl_VornQuerys.h"
#include "platform/data/DataError.h"
#include "platform/data/Database.h"
#include "platform/data/Query.h"

#include <QApplication>
#include <QWidget>

using namespace vorn;

namespace {

TdmVorn *dataModule()
{
    TdmVorn *dm = dmVorn();
    if (!dm)
        RaiseVornError(QStringLiteral("Нет соединения с каталогом"));
    return dm;
}

void bringApplicationForward()
{
    if (QWidget *w = MainWindow()) {
        if (w->isMinimized())
            w->showNormal();
        w->raise();
        w->activateWindow();
    }
}

} // namespace

// ---- TVornort

TVornort::TVornort(int id, int numm, const QString &name, int idDestination, int idTypExec, const QString &description)
    : Id(id), Numm(numm), Name(name), IdDestination(idDestination), IdTypExec(idTypExec), Description(description)
{
    m_params = std::shared_ptr<TParamAskMeList>(RunBuildParamList(id, okReport).release());
    RunApplyDefaults(m_params.get());
}

TVornort::~TVornort() = default;

Variant TVornort::Params()
{
    if (!m_paramsObject)
        m_paramsObject = ObjectPtr<TVornParams>(new TVornParams(m_params));
    return Variant(static_cast<DispatchObject *>(m_paramsObject.get()));
}

void TVornort::RunEx(int destination, int execType, const QString &fileName)
{
    bringApplicationForward();
    ExecuteReport(Id, Name, m_params.get(), false, execType, destination, fileName, vrmRun);
}

bool TVornort::AskParams()
{
    bringApplicationForward();
    return ::AskParams(Name, m_params.get());
}

Variant TVornort::Querys()
{
    std::unique_ptr<TQueryList> list = BuildQueryList(Id, okReport);
    if (!m_form) {
        m_form = std::make_unique<QObject>();
        m_form->setObjectName(QStringLiteral("frmVornScriptData"));
    }
    OpenReportDataSets(m_form.get(), m_params.get(), list.get(), false);
    dataModule()->LogAction(2, Id, Name);
    ObjectPtr<TVornQuerys> querys(new TVornQuerys);
    for (int i = 0; i < list->Count(); ++i) {
        const TQueryListItem *it = list->Items(i);
        auto *ds = m_form->findChild<Dataset *>(it->QueryShortName, Qt::FindDirectChildrenOnly);
        const auto kind = qobject_cast<Query *>(ds) ? TVornDataSet::QueryObject : TVornDataSet::Simple;
        querys->Append(new TVornDataSet(kind, i + 1, it->Name, ds));
    }
    return Variant(static_cast<DispatchObject *>(querys.get()));
}

const TypeInfo *TVornort::staticTypeInfo()
{
    static TypeInfo *ti = [] {
        auto *t = new TypeInfo(QStringLiteral("IVornReport"), QUuid(QStringLiteral("{93307750-0A1E-11D3-992E-00C0DFE97D5A}")),
                               QStringLiteral("Отчет каталога"));
        using R = TVornort;
        TypeBuilder<R>(t)
            .property(QStringLiteral("Id"), 1, {}, VarType::Long, [](R &r, CallArgs &) { return Variant(r.Id); })
            .property(QStringLiteral("Numm"), 2, {}, VarType::Long, [](R &r, CallArgs &) { return Variant(r.Numm); })
            .property(QStringLiteral("Name"), 3, {}, VarType::String, [](R &r, CallArgs &) { return Variant(r.Name); })
            .property(QStringLiteral("IdDestination"), 4, {}, VarType::Long, [](R &r, CallArgs &) { return Variant(r.IdDestination); })
            .property(QStringLiteral("IdTypExec"), 5, {}, VarType::Long, [](R &r, CallArgs &) { return Variant(r.IdTypExec); })
            .property(QStringLiteral("Description"), 6, {}, VarType::String, [](R &r, CallArgs &) { return Variant(r.Description); })
            .property(QStringLiteral("Params"), 7, {}, VarType::Object, [](R &r, CallArgs &) { return r.Params(); })
            .method(QStringLiteral("Run"), 8, {}, VarType::Empty,
                    [](R &r, CallArgs &) { r.RunEx(r.IdDestination, r.IdTypExec, QString()); return Variant(); })
            .method(QStringLiteral("RunEx"), 9,
                    {ParamInfo(QStringLiteral("Destination"), VarType::Long), ParamInfo(QStringLiteral("TypExec"), VarType::Long),
                     ParamInfo(QStringLiteral("FileName"), VarType::String)},
                    VarType::Empty,
                    [](R &r, CallArgs &a) { r.RunEx(a[0].toLong(), a[1].toLong(), a[2].toString()); return Variant(); })
            .method(QStringLiteral("AskParams"), 10, {}, VarType::Boolean, [](R &r, CallArgs &) { return Variant(r.AskParams()); })
            .property(QStringLiteral("Querys"), 11, {}, VarType::Object, [](R &r, CallArgs &) { return r.Querys(); });
        return t;
    }();
    return ti;
}

// ---- TVornMain

TVornMain::TVornMain() = default;
TVornMain::~TVornMain() = default;

Variant TVornMain::Report(const Variant &index0)
{
    const Variant &index = index0.deref();
    Query *q = dataModule()->qForm;
    if (!q->isActive())
        q->open();
    bool found = false;
    switch (index.type()) {
    case VarType::Integer: case VarType::Long: case VarType::Single: case VarType::Double: case VarType::Currency:
    case VarType::Byte:
        found = q->locate(QStringLiteral("Id"), index.toLong());
        break;
    case VarType::String:
        found = q->locate(QStringLiteral("Name"), index.rawString());
        break;
    default:
        RaiseVornError(QStringLiteral("Invalid index type"));
    }
    if (!found)
        RaiseVornError(QStringLiteral("Invalid index value"));
    ObjectPtr<TVornort> r(new TVornort(q->fieldValue(QStringLiteral("Id")).toInt(), q->fieldValue(QStringLiteral("Numm")).toInt(),
                                       q->fieldValue(QStringLiteral("Name")).toString(),
                                       q->fieldValue(QStringLiteral("IdDestination")).toInt(),
                                       q->fieldValue(QStringLiteral("IdTypExec")).toInt(),
                                       q->fieldValue(QStringLiteral("Description")).toString()));
    m_lastReport = r;
    return Variant(static_cast<DispatchObject *>(r.get()));
}

Variant TVornMain::Functions()
{
    if (!m_functions)
        m_functions = ObjectPtr<TVornFunction>(new TVornFunction);
    return Variant(static_cast<DispatchObject *>(m_functions.get()));
}

const TypeInfo *TVornMain::staticTypeInfo()
{
    static TypeInfo *ti = [] {
        auto *t = new TypeInfo(QStringLiteral("IVornMain"), QUuid(QStringLiteral("{9330774E-0A1E-11D3-992E-00C0DFE97D5A}")),
                               QStringLiteral("Корневой объект каталога"));
        using M = TVornMain;
        TypeBuilder<M>(t)
            .method(QStringLiteral("Report"), 1, {ParamInfo(QStringLiteral("Index"))}, VarType::Object,
                    [](M &m, CallArgs &a) { return m.Report(a.value(0)); })
            .property(QStringLiteral("DataImports"), 2, {}, VarType::Object,
                      [](M &, CallArgs &) -> Variant { RaiseVornError(QStringLiteral("Импорт данных недоступен")); })
            .property(QStringLiteral("Functions"), 3, {}, VarType::Object, [](M &m, CallArgs &) { return m.Functions(); })
            .property(QStringLiteral("NewQueryParams"), 4, {}, VarType::Object,
                      [](M &, CallArgs &) { return Variant(static_cast<DispatchObject *>(new TVornQueryParams)); });
        return t;
    }();
    return ti;
}

// ---- TVornFunction

Variant TVornFunction::OpenQuery(const QString &sql, const Variant &params)
{
    auto q = std::make_unique<Query>();
    q->setDatabaseName(QStringLiteral("dbMain"));
    q->setSql(sql);
    q->prepare();
    BindQueryParams(q.get(), params);
    try {
        q->open();
    } catch (const std::exception &e) {
        RaiseVornError(QStringLiteral("EDatabaseError: ") + QString::fromUtf8(e.what()));
    }
    return Variant(static_cast<DispatchObject *>(new TVornDataSet(TVornDataSet::SingleQuery, 0, QString(), q.release())));
}

void TVornFunction::ExecuteSQL(const QString &sql, const Variant &params)
{
    Query q;
    q.setDatabaseName(QStringLiteral("dbMain"));
    q.setSql(sql);
    q.prepare();
    BindQueryParams(&q, params);
    q.execSql();
}

int TVornFunction::MessageBox(const QString &text, int flags, const QString &caption)
{
    TMsgKind kind = TMsgKind::Information;
    switch (flags & 0xF0) {
    case 0x10: kind = TMsgKind::Error; break;
    case 0x20: kind = TMsgKind::Confirmation; break;
    case 0x30: kind = TMsgKind::Warning; break;
    default: break;
    }
    int buttons = int(TMsgButton::Ok);
    switch (flags & 0x0F) {
    case 1: buttons = int(TMsgButton::Ok) | int(TMsgButton::Cancel); break;
    case 2: buttons = int(TMsgButton::Abort); break;
    case 3: buttons = int(TMsgButton::Yes) | int(TMsgButton::No) | int(TMsgButton::Cancel); break;
    case 4: buttons = int(TMsgButton::Yes) | int(TMsgButton::No); break;
    case 5: buttons = int(TMsgButton::Cancel); break;
    default: break;
    }
    const QString title = caption.isEmpty() ? QApplication::applicationName() : caption;
    switch (ShowMessage(kind, text, buttons, title)) {
    case TMsgButton::Cancel: return 2;
    case TMsgButton::Abort: return 3;
    case TMsgButton::Yes: return 6;
    case TMsgButton::No: return 7;
    default: return 1;
    }
}

const TypeInfo *TVornFunction::staticTypeInfo()
{
    static TypeInfo *ti = [] {
        auto *t = new TypeInfo(QStringLiteral("IVornFunction"), QUuid(QStringLiteral("{F90EB421-549F-11D3-9931-00C0DFE97D5A}")),
                               QStringLiteral("Служебные функции"));
        using F = TVornFunction;
        TypeBuilder<F>(t)
            .property(QStringLiteral("ComputerName"), 10, {}, VarType::String,
                      [](F &, CallArgs &) { return Variant(TdmVorn::ComputerName()); })
            .method(QStringLiteral("MessageBox"), 14,
                    {ParamInfo(QStringLiteral("Text"), VarType::String), ParamInfo(QStringLiteral("Flags"), VarType::Long),
                     ParamInfo(QStringLiteral("Caption"), VarType::String)},
                    VarType::Long,
                    [](F &f, CallArgs &a) { return Variant(f.MessageBox(a[0].toString(), a[1].toLong(), a[2].toString())); })
            .method(QStringLiteral("OpenQuery"), 16,
                    {ParamInfo(QStringLiteral("SQL"), VarType::String), ParamInfo(QStringLiteral("Params"), VarType::Variant, true)}, VarType::Object,
                    [](F &f, CallArgs &a) { return f.OpenQuery(a[0].toString(), a.value(1)); })
            .property(QStringLiteral("UserFullName"), 17, {}, VarType::String,
                      [](F &, CallArgs &) { return Variant(dataModule()->UserFullName()); })
            .method(QStringLiteral("ExecuteSQL"), 19,
                    {ParamInfo(QStringLiteral("SQL"), VarType::String), ParamInfo(QStringLiteral("Params"), VarType::Variant, true)}, VarType::Empty,
                    [](F &f, CallArgs &a) { f.ExecuteSQL(a[0].toString(), a.value(1)); return Variant(); });
        return t;
    }();
    return ti;
}
