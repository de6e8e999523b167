// Type libraries: enumerations with constants, dispatch interfaces and classes,
// as the object browser and the script engines read them; stored as description
// files (JSON) generated from the member declarations, found by id and version.
#pragma once
#include "platform/automation/Dispatch.h"
#include <QJsonObject>
#include <memory>

namespace vorn {

struct EnumConstant {
    QString name;        // constant name scripts use
    int value = 0;       // integer value
    QString doc;         // documentation
};

struct EnumInfo {
    QString name;                     // enumeration name
    QString doc;                      // documentation
    QVector<EnumConstant> constants;  // in declaration order
};

struct CoClassInfo {
    QString name;                     // class name
    QUuid clsid;                      // class identifier
    QString progId;                   // set when creatable
    bool creatable = false;           // CreateObject can make it
    QString interfaceName;            // its default dispatch interface
    QString doc;                      // documentation
};

class TypeLibrary
{
public:
    QString name;                                        // description (registry default value)
    QUuid id;                                            // library identifier
    int major = 1, minor = 0;                            // version
    QString doc, helpFile;                               // documentation string and help file
    QVector<EnumInfo> enums;                             // enumerations
    QVector<std::shared_ptr<const TypeInfo>> interfaces; // dispatch interfaces
    QVector<CoClassInfo> classes;                        // classes

    const TypeInfo *findInterface(const QString &name) const;
    // Every enumeration constant, for engines that make them global names.
    QVector<EnumConstant> allConstants() const;

    QJsonObject toJson() const;
    static std::shared_ptr<TypeLibrary> fromJson(const QJsonObject &o);   // interfaces without handlers
    bool save(const QString &path) const;                                  // write-then-rename
    static std::shared_ptr<TypeLibrary> load(const QString &path);
};

// Libraries known to this process: built in (the scripting runtime) and those
// registered from description files of the per-user and system directories.
class TypeLibraryRegistry
{
public:
    static TypeLibraryRegistry &instance();
    void add(std::shared_ptr<const TypeLibrary> lib);
    // Loads every *.vtl.json of a directory; returns how many were added.
    int scanDirectory(const QString &dir);
    // Exact version first, else the highest minor of the same major.
    std::shared_ptr<const TypeLibrary> find(const QUuid &id, int major, int minor) const;
    QVector<std::shared_ptr<const TypeLibrary>> libraries() const { return m_libs; }

    static QUuid scriptingRuntimeId();   // "Active Scripting Run Time"

private:
    TypeLibraryRegistry();
    QVector<std::shared_ptr<const TypeLibrary>> m_libs;
};

} // namespace vorn
