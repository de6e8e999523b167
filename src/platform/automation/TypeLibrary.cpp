// Type-library description files and the registry of libraries by identifier and
// version; the scripting runtime's own library is built in.
#include "platform/automation/TypeLibrary.h"
#include "platform/automation/Dictionary.h"
#include "platform/automation/FileSystemObject.h"
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

namespace vorn {

const TypeInfo *TypeLibrary::findInterface(const QString &n) const
{
    for (const auto &i : interfaces)
        if (i->name.compare(n, Qt::CaseInsensitive) == 0) return i.get();
    return nullptr;
}

QVector<EnumConstant> TypeLibrary::allConstants() const
{
    QVector<EnumConstant> all;
    for (const EnumInfo &e : enums) all += e.constants;
    return all;
}

static QJsonValue defaultJson(const Variant &v) { return v.isEmpty() ? QJsonValue() : v.toJson(); }

QJsonObject TypeLibrary::toJson() const
{
    QJsonObject o;
    o.insert(QStringLiteral("name"), name);
    o.insert(QStringLiteral("id"), id.toString(QUuid::WithBraces).toUpper());
    o.insert(QStringLiteral("version"), QStringLiteral("%1.%2").arg(major).arg(minor));
    o.insert(QStringLiteral("doc"), doc);
    o.insert(QStringLiteral("helpFile"), helpFile);
    QJsonArray ea;
    for (const EnumInfo &e : enums) {
        QJsonArray ca;
        for (const EnumConstant &c : e.constants)
            ca.append(QJsonObject{{QStringLiteral("name"), c.name}, {QStringLiteral("value"), c.value}, {QStringLiteral("doc"), c.doc}});
        ea.append(QJsonObject{{QStringLiteral("name"), e.name}, {QStringLiteral("doc"), e.doc}, {QStringLiteral("constants"), ca}});
    }
    o.insert(QStringLiteral("enums"), ea);
    QJsonArray ia;
    for (const auto &ti : interfaces) {
        QJsonArray ma;
        for (const MemberInfo &m : ti->members) {
            QJsonArray pa;
            for (const ParamInfo &p : m.params)
                pa.append(QJsonObject{{QStringLiteral("name"), p.name}, {QStringLiteral("type"), int(p.type)},
                                      {QStringLiteral("optional"), p.optional}, {QStringLiteral("byRef"), p.byRef},
                                      {QStringLiteral("default"), defaultJson(p.defaultValue)}});
            ma.append(QJsonObject{{QStringLiteral("name"), m.name}, {QStringLiteral("dispId"), m.dispId},
                                  {QStringLiteral("kinds"), m.kinds}, {QStringLiteral("result"), int(m.resultType)},
                                  {QStringLiteral("doc"), m.doc}, {QStringLiteral("hidden"), m.hidden},
                                  {QStringLiteral("params"), pa}});
        }
        ia.append(QJsonObject{{QStringLiteral("name"), ti->name}, {QStringLiteral("iid"), ti->iid.toString(QUuid::WithBraces).toUpper()},
                              {QStringLiteral("doc"), ti->doc}, {QStringLiteral("members"), ma}});
    }
    o.insert(QStringLiteral("interfaces"), ia);
    QJsonArray ca;
    for (const CoClassInfo &c : classes)
        ca.append(QJsonObject{{QStringLiteral("name"), c.name}, {QStringLiteral("clsid"), c.clsid.toString(QUuid::WithBraces).toUpper()},
                              {QStringLiteral("progId"), c.progId}, {QStringLiteral("creatable"), c.creatable},
                              {QStringLiteral("interface"), c.interfaceName}, {QStringLiteral("doc"), c.doc}});
    o.insert(QStringLiteral("classes"), ca);
    return o;
}

std::shared_ptr<TypeLibrary> TypeLibrary::fromJson(const QJsonObject &o)
{
    auto lib = std::make_shared<TypeLibrary>();
    lib->name = o.value(QStringLiteral("name")).toString();
    lib->id = QUuid(o.value(QStringLiteral("id")).toString());
    QStringList ver = o.value(QStringLiteral("version")).toString().split(QLatin1Char('.'));
    lib->major = ver.value(0).toInt();
    lib->minor = ver.value(1).toInt();
    lib->doc = o.value(QStringLiteral("doc")).toString();
    lib->helpFile = o.value(QStringLiteral("helpFile")).toString();
    for (const QJsonValue &ev : o.value(QStringLiteral("enums")).toArray()) {
        EnumInfo e{ev[QStringLiteral("name")].toString(), ev[QStringLiteral("doc")].toString(), {}};
        for (const QJsonValue &cv : ev[QStringLiteral("constants")].toArray())
            e.constants.append({cv[QStringLiteral("name")].toString(), cv[QStringLiteral("value")].toInt(), cv[QStringLiteral("doc")].toString()});
        lib->enums.append(e);
    }
    for (const QJsonValue &iv : o.value(QStringLiteral("interfaces")).toArray()) {
        auto ti = std::make_shared<TypeInfo>(iv[QStringLiteral("name")].toString(), QUuid(iv[QStringLiteral("iid")].toString()),
                                             iv[QStringLiteral("doc")].toString());
        for (const QJsonValue &mv : iv[QStringLiteral("members")].toArray()) {
            MemberInfo m;
            m.name = mv[QStringLiteral("name")].toString();
            m.dispId = mv[QStringLiteral("dispId")].toInt();
            m.kinds = mv[QStringLiteral("kinds")].toInt();
            m.resultType = VarType(mv[QStringLiteral("result")].toInt());
            m.doc = mv[QStringLiteral("doc")].toString();
            m.hidden = mv[QStringLiteral("hidden")].toBool();
            for (const QJsonValue &pv : mv[QStringLiteral("params")].toArray()) {
                ParamInfo p;
                p.name = pv[QStringLiteral("name")].toString();
                p.type = VarType(pv[QStringLiteral("type")].toInt());
                p.optional = pv[QStringLiteral("optional")].toBool();
                p.byRef = pv[QStringLiteral("byRef")].toBool();
                if (!pv[QStringLiteral("default")].isNull()) p.defaultValue = Variant::fromJson(pv[QStringLiteral("default")]);
                m.params.append(p);
            }
            ti->add(m);
        }
        lib->interfaces.append(ti);
    }
    for (const QJsonValue &cv : o.value(QStringLiteral("classes")).toArray())
        lib->classes.append({cv[QStringLiteral("name")].toString(), QUuid(cv[QStringLiteral("clsid")].toString()),
                             cv[QStringLiteral("progId")].toString(), cv[QStringLiteral("creatable")].toBool(),
                             cv[QStringLiteral("interface")].toString(), cv[QStringLiteral("doc")].toString()});
    return lib;
}

bool TypeLibrary::save(const QString &path) const
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    f.write(QJsonDocument(toJson()).toJson());
    return f.commit();
}

std::shared_ptr<TypeLibrary> TypeLibrary::load(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return nullptr;
    QJsonDocument d = QJsonDocument::fromJson(f.readAll());
    if (!d.isObject()) return nullptr;
    return fromJson(d.object());
}

QUuid TypeLibraryRegistry::scriptingRuntimeId() { return QUuid(QStringLiteral("{420B2830-E718-11CF-893D-00A0C9054228}")); }

TypeLibraryRegistry &TypeLibraryRegistry::instance()
{
    static TypeLibraryRegistry r;
    return r;
}

TypeLibraryRegistry::TypeLibraryRegistry()
{
    auto rt = std::make_shared<TypeLibrary>();
    rt->name = QStringLiteral("Microsoft Scripting Runtime");
    rt->id = scriptingRuntimeId();
    rt->doc = QStringLiteral("Active Scripting Run Time");
    rt->enums = {
        {QStringLiteral("CompareMethod"), QString(), {{QStringLiteral("BinaryCompare"), 0, {}}, {QStringLiteral("TextCompare"), 1, {}}, {QStringLiteral("DatabaseCompare"), 2, {}}}},
        {QStringLiteral("IOMode"), QString(), {{QStringLiteral("ForReading"), 1, {}}, {QStringLiteral("ForWriting"), 2, {}}, {QStringLiteral("ForAppending"), 8, {}}}},
        {QStringLiteral("Tristate"), QString(), {{QStringLiteral("TristateTrue"), -1, {}}, {QStringLiteral("TristateFalse"), 0, {}}, {QStringLiteral("TristateUseDefault"), -2, {}}, {QStringLiteral("TristateMixed"), -2, {}}}},
        {QStringLiteral("SpecialFolderConst"), QString(), {{QStringLiteral("WindowsFolder"), 0, {}}, {QStringLiteral("SystemFolder"), 1, {}}, {QStringLiteral("TemporaryFolder"), 2, {}}}},
        {QStringLiteral("FileAttribute"), QString(), {{QStringLiteral("Normal"), 0, {}}, {QStringLiteral("ReadOnly"), 1, {}}, {QStringLiteral("Hidden"), 2, {}}, {QStringLiteral("System"), 4, {}}, {QStringLiteral("Directory"), 16, {}}, {QStringLiteral("Archive"), 32, {}}}},
    };
    rt->interfaces = {std::shared_ptr<const TypeInfo>(Dictionary::staticTypeInfo(), [](const TypeInfo *) {}),
                      std::shared_ptr<const TypeInfo>(FileSystemObject::staticTypeInfo(), [](const TypeInfo *) {})};
    rt->classes = {{QStringLiteral("Dictionary"), QUuid(QStringLiteral("{EE09B103-97E0-11CF-978F-00A02463E06F}")), QStringLiteral("Scripting.Dictionary"), true, QStringLiteral("IDictionary"), QStringLiteral("Scripting.Dictionary")},
                   {QStringLiteral("FileSystemObject"), QUuid(QStringLiteral("{0D43FE01-F093-11CF-8940-00A0C9054228}")), QStringLiteral("Scripting.FileSystemObject"), true, QStringLiteral("IFileSystem"), QStringLiteral("FileSystem Object")}};
    m_libs.append(rt);
}

void TypeLibraryRegistry::add(std::shared_ptr<const TypeLibrary> lib)
{
    for (auto &l : m_libs)
        if (l->id == lib->id && l->major == lib->major && l->minor == lib->minor) { l = lib; return; }
    m_libs.append(std::move(lib));
}

int TypeLibraryRegistry::scanDirectory(const QString &dir)
{
    int n = 0;
    for (const QFileInfo &fi : QDir(dir).entryInfoList({QStringLiteral("*.vtl.json")}, QDir::Files)) {
        if (auto lib = TypeLibrary::load(fi.absoluteFilePath())) { add(lib); ++n; }
    }
    return n;
}

std::shared_ptr<const TypeLibrary> TypeLibraryRegistry::find(const QUuid &id, int major, int minor) const
{
    std::shared_ptr<const TypeLibrary> best;
    for (const auto &l : m_libs) {
        if (l->id != id || l->major != major) continue;
        if (l->minor == minor) return l;
        if (!best || l->minor > best->minor) best = l;
    }
    return best;
}

} // namespace vorn
