// The per-user settings store: the stand-in for the registry key "Software\" + the
// executable's name. Keys form a tree (paths with '\'), values are typed (string,
// integer, float, date/time, boolean); the whole tree is one INI file under the XDG
// config directory, named after the executable, rewritten atomically on each change.
#pragma once
#include "platform/core/IniFile.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace vorn {

class SettingsStore
{
public:
    enum class ValueType { None, String, Integer, Float, DateTime, Boolean };

    // appName: the executable's name without extension; dir: where the file lives
    // (empty = the XDG config directory).
    explicit SettingsStore(const QString &appName, const QString &dir = {});

    QString fileName() const { return m_ini.fileName(); }
    void reload();

    bool keyExists(const QString &key) const;
    bool valueExists(const QString &key, const QString &name) const;
    ValueType valueType(const QString &key, const QString &name) const;
    QStringList valueNames(const QString &key) const;  // in the order written
    QStringList subKeys(const QString &key) const;     // direct children only

    QString readString(const QString &key, const QString &name, const QString &def = {}) const;
    qint64 readInteger(const QString &key, const QString &name, qint64 def = 0) const;
    double readFloat(const QString &key, const QString &name, double def = 0) const;
    QDateTime readDateTime(const QString &key, const QString &name, const QDateTime &def = {}) const;
    bool readBool(const QString &key, const QString &name, bool def = false) const;
    QVariant readValue(const QString &key, const QString &name) const;  // typed; invalid when absent

    void writeString(const QString &key, const QString &name, const QString &v);
    void writeInteger(const QString &key, const QString &name, qint64 v);
    void writeFloat(const QString &key, const QString &name, double v);
    void writeDateTime(const QString &key, const QString &name, const QDateTime &v);
    void writeBool(const QString &key, const QString &name, bool v);

    void deleteValue(const QString &key, const QString &name);
    void deleteKey(const QString &key);  // the key and everything below it
    void deleteAll();                    // erases the whole store, file included

    static QString defaultDirectory();

private:
    static QString normalise(const QString &key);
    void write(const QString &key, const QString &name, QChar tag, const QString &payload);
    QString raw(const QString &key, const QString &name, QChar *tag) const;

    IniFile m_ini;
};

} // namespace vorn
