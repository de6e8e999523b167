// Values are stored as "<tag>:<text>" so that a read knows the type it was written
// with (the registry keeps value types); tags: s string, i integer, f float,
// d date-time (ISO 8601 with milliseconds), b boolean.
#include "platform/core/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace vorn {

SettingsStore::SettingsStore(const QString &appName, const QString &dir)
{
    const QString base = dir.isEmpty() ? defaultDirectory() : dir;
    QDir().mkpath(base);
    m_ini.setFileName(base + QLatin1Char('/') + appName + QLatin1String(".settings.ini"));
    m_ini.setEncoding(codepage::CodePage::Utf8);
    reload();
}

QString SettingsStore::defaultDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

void SettingsStore::reload()
{
    m_ini.clear();
    if (QFile::exists(m_ini.fileName()))
        m_ini.load(m_ini.fileName());
    m_ini.setEncoding(codepage::CodePage::Utf8);
}

QString SettingsStore::normalise(const QString &key)
{
    QString k = key;
    k.replace(u'/', u'\\');
    while (k.startsWith(u'\\'))
        k.remove(0, 1);
    while (k.endsWith(u'\\'))
        k.chop(1);
    return k;
}

bool SettingsStore::keyExists(const QString &key) const
{
    const QString k = normalise(key);
    if (m_ini.hasSection(k))
        return true;
    const QString prefix = k + u'\\';
    for (const QString &s : m_ini.sections())
        if (s.startsWith(prefix, Qt::CaseInsensitive))
            return true;
    return false;
}

bool SettingsStore::valueExists(const QString &key, const QString &name) const
{
    return m_ini.hasKey(normalise(key), name);
}

QStringList SettingsStore::valueNames(const QString &key) const { return m_ini.keys(normalise(key)); }

QStringList SettingsStore::subKeys(const QString &key) const
{
    const QString k = normalise(key);
    const QString prefix = k.isEmpty() ? QString() : k + u'\\';
    QStringList out;
    for (const QString &s : m_ini.sections()) {
        if (!s.startsWith(prefix, Qt::CaseInsensitive) || s.size() == prefix.size())
            continue;
        const QString child = s.mid(prefix.size()).section(u'\\', 0, 0);
        bool seen = false;
        for (const QString &o : out)
            seen = seen || o.compare(child, Qt::CaseInsensitive) == 0;
        if (!seen)
            out << child;
    }
    return out;
}

QString SettingsStore::raw(const QString &key, const QString &name, QChar *tag) const
{
    const QString k = normalise(key);
    if (!m_ini.hasKey(k, name)) {
        *tag = QChar();
        return {};
    }
    const QString v = m_ini.value(k, name);
    if (v.size() >= 2 && v.at(1) == u':') {
        *tag = v.at(0);
        return v.mid(2);
    }
    *tag = u's';  // hand-written entries read as strings
    return v;
}

SettingsStore::ValueType SettingsStore::valueType(const QString &key, const QString &name) const
{
    QChar tag;
    raw(key, name, &tag);
    switch (tag.unicode()) {
    case 's': return ValueType::String;
    case 'i': return ValueType::Integer;
    case 'f': return ValueType::Float;
    case 'd': return ValueType::DateTime;
    case 'b': return ValueType::Boolean;
    default: return ValueType::None;
    }
}

static QString unescape(const QString &s)
{
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s.at(i) == u'\\' && i + 1 < s.size()) {
            const QChar n = s.at(++i);
            out += n == u'n' ? QChar(u'\n') : n == u'r' ? QChar(u'\r') : n;
        } else {
            out += s.at(i);
        }
    }
    return out;
}

static QString escape(const QString &s)
{
    QString out;
    out.reserve(s.size());
    for (QChar c : s) {
        if (c == u'\\') out += u"\\\\";
        else if (c == u'\n') out += u"\\n";
        else if (c == u'\r') out += u"\\r";
        else out += c;
    }
    return out;
}

QString SettingsStore::readString(const QString &key, const QString &name, const QString &def) const
{
    QChar tag;
    const QString v = raw(key, name, &tag);
    if (tag.isNull())
        return def;
    return tag == u's' ? unescape(v) : v;
}

qint64 SettingsStore::readInteger(const QString &key, const QString &name, qint64 def) const
{
    QChar tag;
    const QString v = raw(key, name, &tag);
    bool ok = false;
    const qint64 r = v.toLongLong(&ok);
    return ok ? r : def;
}

double SettingsStore::readFloat(const QString &key, const QString &name, double def) const
{
    QChar tag;
    const QString v = raw(key, name, &tag);
    bool ok = false;
    const double r = v.toDouble(&ok);
    return ok ? r : def;
}

QDateTime SettingsStore::readDateTime(const QString &key, const QString &name, const QDateTime &def) const
{
    QChar tag;
    const QString v = raw(key, name, &tag);
    const QDateTime d = QDateTime::fromString(v, Qt::ISODateWithMs);
    return d.isValid() ? d : def;
}

bool SettingsStore::readBool(const QString &key, const QString &name, bool def) const
{
    QChar tag;
    const QString v = raw(key, name, &tag);
    if (tag.isNull())
        return def;
    return v == u"1" || v.compare(u"true", Qt::CaseInsensitive) == 0;
}

QVariant SettingsStore::readValue(const QString &key, const QString &name) const
{
    switch (valueType(key, name)) {
    case ValueType::String: return readString(key, name);
    case ValueType::Integer: return readInteger(key, name);
    case ValueType::Float: return readFloat(key, name);
    case ValueType::DateTime: return readDateTime(key, name);
    case ValueType::Boolean: return readBool(key, name);
    case ValueType::None: break;
    }
    return {};
}

void SettingsStore::write(const QString &key, const QString &name, QChar tag, const QString &payload)
{
    m_ini.setValue(normalise(key), name, QString(tag) + QLatin1Char(':') + payload);
    m_ini.save();
}

void SettingsStore::writeString(const QString &key, const QString &name, const QString &v) { write(key, name, u's', escape(v)); }
void SettingsStore::writeInteger(const QString &key, const QString &name, qint64 v) { write(key, name, u'i', QString::number(v)); }
void SettingsStore::writeFloat(const QString &key, const QString &name, double v) { write(key, name, u'f', QString::number(v, 'g', 17)); }
void SettingsStore::writeDateTime(const QString &key, const QString &name, const QDateTime &v) { write(key, name, u'd', v.toString(Qt::ISODateWithMs)); }
void SettingsStore::writeBool(const QString &key, const QString &name, bool v) { write(key, name, u'b', v ? u"1"_qs : u"0"_qs); }

void SettingsStore::deleteValue(const QString &key, const QString &name)
{
    m_ini.removeKey(normalise(key), name);
    m_ini.save();
}

void SettingsStore::deleteKey(const QString &key)
{
    const QString k = normalise(key);
    const QString prefix = k + u'\\';
    for (const QString &s : m_ini.sections())
        if (s.compare(k, Qt::CaseInsensitive) == 0 || s.startsWith(prefix, Qt::CaseInsensitive))
            m_ini.removeSection(s);
    m_ini.save();
}

void SettingsStore::deleteAll()
{
    m_ini.clear();
    QFile::remove(m_ini.fileName());
}

} // namespace vorn
