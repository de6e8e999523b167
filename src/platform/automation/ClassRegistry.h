// Creatable classes by ProgID (CreateObject / new ActiveXObject); the scripting
// runtime's Dictionary and FileSystemObject are registered from the start.
#pragma once
#include "platform/automation/Dispatch.h"
#include <QStringList>
#include <functional>

namespace vorn {

class ClassRegistry
{
public:
    using Factory = std::function<DispatchObject *()>;

    static ClassRegistry &instance();

    // ProgIDs are compared without regard to letter case.
    void registerClass(const QString &progId, Factory factory, const QUuid &clsid = QUuid());
    void unregisterClass(const QString &progId);
    bool contains(const QString &progId) const;
    QStringList progIds() const;
    // A new object with no references yet; throws 429 for an unknown ProgID.
    DispatchObject *create(const QString &progId) const;

private:
    ClassRegistry();
    struct Entry { QString progId; Factory factory; QUuid clsid; };
    QHash<QString, Entry> m_classes;   // lower-case ProgID -> class
};

} // namespace vorn
