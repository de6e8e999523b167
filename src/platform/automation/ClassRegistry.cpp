// The process-wide class registry, standing in for the ProgID keys of the
// system registry.
#include "platform/automation/ClassRegistry.h"
#include "platform/automation/Dictionary.h"
#include "platform/automation/FileSystemObject.h"

namespace vorn {

ClassRegistry &ClassRegistry::instance()
{
    static ClassRegistry registry;
    return registry;
}

ClassRegistry::ClassRegistry()
{
    registerClass(QStringLiteral("Scripting.Dictionary"), [] { return new Dictionary; },
                  QUuid(QStringLiteral("{EE09B103-97E0-11CF-978F-00A02463E06F}")));
    registerClass(QStringLiteral("Scripting.FileSystemObject"), [] { return new FileSystemObject; },
                  QUuid(QStringLiteral("{0D43FE01-F093-11CF-8940-00A0C9054228}")));
}

void ClassRegistry::registerClass(const QString &progId, Factory f, const QUuid &clsid)
{
    m_classes.insert(progId.trimmed().toLower(), Entry{progId, std::move(f), clsid});
}

void ClassRegistry::unregisterClass(const QString &progId) { m_classes.remove(progId.trimmed().toLower()); }

bool ClassRegistry::contains(const QString &progId) const { return m_classes.contains(progId.trimmed().toLower()); }

QStringList ClassRegistry::progIds() const
{
    QStringList l;
    for (const Entry &e : m_classes) l.append(e.progId);
    l.sort(Qt::CaseInsensitive);
    return l;
}

DispatchObject *ClassRegistry::create(const QString &progId) const
{
    auto it = m_classes.constFind(progId.trimmed().toLower());
    if (it == m_classes.constEnd()) throw AutomationError(429, progId);
    return it->factory();
}

} // namespace vorn
