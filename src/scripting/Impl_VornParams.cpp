// Report parameters, free query-parameter lists and BindQueryParams.
#include "scripting/Impl_VornParams.h"
#include "execution/ParamAskMe.h"
#include "platform/data/Database.h"
#include "platform/data/Query.h"

using namespace vorn;

namespace {

const QUuid kDictionaryIid(QStringLiteral("{42C642C1-97E1-11CF-978F-00A02463E06F}"));

bool isNoValue(const Variant &v)
{
    return v.isEmpty() || v.isNull() || v.isMissing();
}

void bindNull(Param &p)
{
    p.setDataType(ftString);
    p.setNull();
}

} // namespace

// ---- TVornParam

TVornParam::TVornParam(std::weak_ptr<TParamAskMeList> list, int number) : m_list(std::move(list)), m_number(number) {}

TParamAskMe *TVornParam::Param() const
{
    const auto list = m_list.lock();
    if (!list || m_number > list->Count())
        RaiseVornError(VornObjectGoneText());
    return list->Items(m_number - 1);
}

Variant TVornParam::Value() const { return Variant::fromQVariant(Param()->Value); }

void TVornParam::SetValue(const Variant &v)
{
    // the value kind stays: binding later converts to the parameter's type
    Param()->Value = v.toQVariant();
}

const TypeInfo *TVornParam::staticTypeInfo()
{
    static TypeInfo *ti = [] {
        auto *t = new TypeInfo(QStringLiteral("IVornParam"), QUuid(QStringLiteral("{F32D2B21-0C35-11D3-992E-00C0DFE97D5A}")),
                               QStringLiteral("Параметр отчета"));
        TypeBuilder<TVornParam>(t)
            .property(QStringLiteral("Id"), 1, {}, VarType::Long, [](TVornParam &p, CallArgs &) { return Variant(p.Param()->Id); })
            .property(QStringLiteral("Number"), 2, {}, VarType::Long, [](TVornParam &p, CallArgs &) { return Variant(p.Number()); })
            .property(QStringLiteral("Name"), 3, {}, VarType::String, [](TVornParam &p, CallArgs &) { return Variant(p.Param()->ParName); })
            .property(QStringLiteral("Label"), 4, {}, VarType::String, [](TVornParam &p, CallArgs &) { return Variant(p.Param()->ParLabel); })
            .property(QStringLiteral("IdParTyp"), 5, {}, VarType::Long,
                      [](TVornParam &p, CallArgs &) { return Variant(int(p.Param()->IdParTyp)); })
            .property(QStringLiteral("Value"), 6, {}, VarType::Variant, [](TVornParam &p, CallArgs &) { return p.Value(); },
                      [](TVornParam &p, CallArgs &a) { p.SetValue(a[a.count() - 1]); return Variant(); });
        return t;
    }();
    return ti;
}

// ---- TVornParams

TVornParams::TVornParams(const std::shared_ptr<TParamAskMeList> &list)
{
    for (int i = 0; i < list->Count(); ++i)
        m_items.append(Variant(static_cast<DispatchObject *>(new TVornParam(list, i + 1))));
}

QString TVornParams::ItemName(int i) const
{
    return static_cast<TVornParam *>(m_items.at(i).rawObject())->Param()->ParName;
}

const TypeInfo *TVornParams::staticTypeInfo()
{
    static TypeInfo *ti = [] {
        auto *t = new TypeInfo(QStringLiteral("IVornParams"), QUuid(QStringLiteral("{F32D2B4B-0C35-11D3-992E-00C0DFE97D5A}")),
                               QStringLiteral("Параметры отчета"));
        DeclareCollection<TVornParams>(t, QStringLiteral("IVornParam by number or name"));
        return t;
    }();
    return ti;
}

// ---- TVornQueryParam

const TypeInfo *TVornQueryParam::staticTypeInfo()
{
    static TypeInfo *ti = [] {
        auto *t = new TypeInfo(QStringLiteral("IVornQueryParam"), QUuid(QStringLiteral("{1062BE40-063F-11D4-BA10-00D0B7166D19}")),
                               QStringLiteral("Именованный параметр запроса"));
        TypeBuilder<TVornQueryParam>(t)
            .property(QStringLiteral("DataType"), 1, {}, VarType::Long, [](TVornQueryParam &p, CallArgs &) { return Variant(p.DataType); },
                      [](TVornQueryParam &p, CallArgs &a) { p.DataType = a[a.count() - 1].toLong(); return Variant(); })
            .property(QStringLiteral("Value"), 3, {}, VarType::Variant, [](TVornQueryParam &p, CallArgs &) { return p.Value; },
                      [](TVornQueryParam &p, CallArgs &a) { p.Value = a[a.count() - 1]; return Variant(); })
            .property(QStringLiteral("Name"), 5, {}, VarType::String, [](TVornQueryParam &p, CallArgs &) { return Variant(p.Name); })
            .property(QStringLiteral("FileName"), 6, {}, VarType::String, [](TVornQueryParam &p, CallArgs &) { return Variant(p.FileName); },
                      [](TVornQueryParam &p, CallArgs &a) { p.FileName = a[a.count() - 1].toString(); return Variant(); });
        return t;
    }();
    return ti;
}

// ---- TVornQueryParams

TVornQueryParam *TVornQueryParams::At(int i) const { return static_cast<TVornQueryParam *>(m_items.at(i).rawObject()); }

QString TVornQueryParams::ItemName(int i) const { return At(i)->Name; }

Variant TVornQueryParams::Item(const Variant &index0)
{
    const Variant &index = index0.deref();
    if (index.type() != VarType::String)
        return TVornCollection::Item(index);
    for (int i = 0; i < m_items.size(); ++i)
        if (At(i)->Name.compare(index.rawString(), Qt::CaseInsensitive) == 0)
            return m_items.at(i);
    RaiseVornError(QStringLiteral("Invalid index value"));
}

Variant TVornQueryParams::Add(const QString &name, const Variant &value, int dataType, const QString &fileName)
{
    for (int i = 0; i < m_items.size(); ++i)
        if (At(i)->Name.compare(name, Qt::CaseInsensitive) == 0)
            RaiseVornError(QStringLiteral("Invalid VornQueryParam Name (already exists) : ") + name);
    m_items.append(Variant(static_cast<DispatchObject *>(new TVornQueryParam(name, value, dataType, fileName))));
    return m_items.last();
}

void TVornQueryParams::Clear() { m_items.clear(); }

const TypeInfo *TVornQueryParams::staticTypeInfo()
{
    static TypeInfo *ti = [] {
        auto *t = new TypeInfo(QStringLiteral("IVornQueryParams"), QUuid(QStringLiteral("{0DF942E4-0640-11D4-BA10-00D0B7166D19}")),
                               QStringLiteral("Список именованных параметров запроса"));
        DeclareCollection<TVornQueryParams>(t, QStringLiteral("IVornQueryParam by number or name"));
        TypeBuilder<TVornQueryParams>(t)
            .method(QStringLiteral("Add"), 2,
                    {ParamInfo(QStringLiteral("Name"), VarType::String), ParamInfo(QStringLiteral("Value")),
                     ParamInfo(QStringLiteral("DataType"), VarType::Long), ParamInfo(QStringLiteral("FileName"), VarType::String)},
                    VarType::Object,
                    [](TVornQueryParams &c, CallArgs &a) {
                        return c.Add(a[0].toString(), a[1], a[2].toLong(), a[3].toString());
                    })
            .method(QStringLiteral("Clear"), 3, {}, VarType::Empty, [](TVornQueryParams &c, CallArgs &) { c.Clear(); return Variant(); });
        return t;
    }();
    return ti;
}

// ---- BindQueryParams

void BindQueryParams(Query *query, const Variant &source0)
{
    const Variant &source = source0.deref();
    if (isNoValue(source))
        return;
    if (!source.isObject())
        RaiseVornError(QStringLiteral("Invalid Data Type"));
    DispatchObject *obj = source.rawObject();
    const TypeInfo *ti = obj ? obj->typeInfo() : nullptr;
    const bool isDictionary = obj && ((ti && ti->iid == kDictionaryIid)
                                      || (obj->memberId(QStringLiteral("Exists")) != DISPID_UNKNOWN
                                          && obj->memberId(QStringLiteral("Item")) != DISPID_UNKNOWN
                                          && !dynamic_cast<TVornQueryParams *>(obj)));
    if (isDictionary) {
        for (Param &p : query->params()) {
            const Variant key(p.name());
            if (!obj->call(QStringLiteral("Exists"), {key}).toBool())
                RaiseVornError(QStringLiteral("Parametr with name <") + p.name() + QStringLiteral("> NOT FOUND"));
            const Variant v = obj->get(QStringLiteral("Item"), {key});
            if (isNoValue(v.deref())) {
                bindNull(p);
                continue;
            }
            p.setDataType(ftUnknown);
            p.setValue(v.deref().toQVariant());
        }
        return;
    }
    auto *list = dynamic_cast<TVornQueryParams *>(obj);
    if (!list)
        RaiseVornError(QStringLiteral("Invalid Interface Type"));
    for (Param &p : query->params()) {
        const Variant ev = list->Item(Variant(p.name()));
        auto *e = static_cast<TVornQueryParam *>(ev.rawObject());
        if (!e->FileName.isEmpty()) {
            p.setDataType(ftUnknown);
            p.loadFromFile(e->FileName, ftBlob);
            continue;
        }
        if (isNoValue(e->Value.deref())) {
            bindNull(p);
            continue;
        }
        p.setDataType(FieldType(e->DataType));
        p.setValue(e->Value.deref().toQVariant());
    }
}
