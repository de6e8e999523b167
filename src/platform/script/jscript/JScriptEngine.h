// JScript engine on QJSEngine: named items and type-library constants as globals,
// dispatch objects as JavaScript objects (through Proxy), ActiveXObject,
// Enumerator and VBArray, errors through the same site callback.
#pragma once
#include "platform/script/ScriptEngine.h"
#include <memory>

namespace vorn::js {

class JScriptEngine : public script::ScriptEngine
{
public:
    JScriptEngine();
    ~JScriptEngine() override;
    QString name() const override { return QStringLiteral("JScript"); }
    void setSite(script::ScriptSite *site) override;
    script::ScriptSite *site() const override;
    void initNew() override;
    void addNamedItem(const QString &name, int flags) override;
    bool addTypeLib(const QUuid &libId, int major, int minor, int flags = 0) override;
    bool parseScriptText(const QString &code, const QString &itemName = QString(), int startLine = 0, quint32 cookie = 0) override;
    Variant evaluate(const QString &expression, bool *ok = nullptr) override;
    bool run() override;
    script::ScriptState state() const override;
    void close() override;
    void interrupt() override;

    struct Private;
private:
    std::unique_ptr<Private> d;
};

} // namespace vorn::js
