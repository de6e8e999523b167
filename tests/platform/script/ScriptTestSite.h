// A script site for tests: a named item "Host" whose members are global
// (Echo collects output lines) and the errors the engine reports.
#pragma once
#include "platform/automation/Dispatch.h"
#include "platform/script/ScriptEngine.h"
#include <QStringList>

class HostObject : public vorn::DispatchObject
{
public:
    QStringList lines;   // one per Echo
    static const vorn::TypeInfo *staticTypeInfo()
    {
        using namespace vorn;
        static TypeInfo *ti = [] {
            auto *t = new TypeInfo(QStringLiteral("IHost"));
            QVector<ParamInfo> p;
            for (int i = 0; i < 16; ++i) p.append(ParamInfo(QStringLiteral("a%1").arg(i), VarType::Variant, true));
            TypeBuilder<HostObject>(t).method(QStringLiteral("Echo"), 1, p, VarType::Empty, [](HostObject &h, CallArgs &a) {
                QStringList parts;
                for (int i = 0; i < a.count(); ++i)
                    if (!a[i].isMissing()) parts << (a[i].isNull() ? QStringLiteral("Null") : a[i].toString());
                h.lines << parts.join(QLatin1Char(' '));
                return Variant();
            });
            return t;
        }();
        return ti;
    }
    const vorn::TypeInfo *typeInfo() const override { return staticTypeInfo(); }
};

class TestSite : public vorn::script::ScriptSite
{
public:
    TestSite() : host(new HostObject) {}
    vorn::DispatchObject *itemObject(const QString &name) override
    {
        askedFor << name;
        if (name == QLatin1String("Host")) return host.get();
        auto it = extra.find(name);
        return it == extra.end() ? nullptr : it->get();
    }
    void onScriptError(const vorn::script::ScriptErrorInfo &e) override { errors << e; }
    QString output() const { return host->lines.join(QLatin1Char('\n')); }

    vorn::ObjectPtr<HostObject> host;
    QHash<QString, vorn::ObjectPtr<vorn::DispatchObject>> extra;
    QStringList askedFor;
    QList<vorn::script::ScriptErrorInfo> errors;
};

// Runs one text in a fresh engine with Host's members global.
inline std::unique_ptr<vorn::script::ScriptEngine> runScript(const QString &engineName, const QString &text, TestSite &site,
                                                             const QStringList &extraItems = {})
{
    using namespace vorn::script;
    auto e = ScriptEngineRegistry::instance().create(engineName);
    e->setSite(&site);
    e->initNew();
    e->addNamedItem(QStringLiteral("Host"), ItemIsVisible | ItemGlobalMembers);
    for (const QString &n : extraItems) e->addNamedItem(n, ItemIsVisible);
    if (e->parseScriptText(text)) e->run();
    return e;
}
