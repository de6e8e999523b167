// Ordered INI parsing and writing. Lines before the first section belong to a
// nameless section; comments (';' or '#') are not kept, as TIniFile does not keep them.
#include "platform/core/IniFile.h"

#include <QFile>
#include <QSaveFile>

namespace vorn {

IniFile::IniFile(const QString &fileName) : m_fileName(fileName)
{
    if (QFile::exists(fileName))
        load(fileName);
}

bool IniFile::load(const QString &fileName)
{
    m_fileName = fileName;
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    loadFromBytes(f.readAll());
    return true;
}

void IniFile::loadFromBytes(const QByteArray &raw)
{
    m_sections.clear();
    QByteArray bytes = raw;
    if (codepage::looksLikeUtf8(bytes)) {
        m_encoding = codepage::CodePage::Utf8;
        if (bytes.startsWith("\xEF\xBB\xBF"))
            bytes.remove(0, 3);
    } else {
        m_encoding = codepage::CodePage::Cp1251;
    }
    const QString text = codepage::decode(bytes, m_encoding);
    Section *current = nullptr;
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            const QString name = line.mid(1, line.size() - 2).trimmed().toString();
            current = findSection(name);
            if (!current) {
                m_sections.push_back({name, {}});
                current = &m_sections.back();
            }
            continue;
        }
        if (!current) {
            m_sections.push_back({QString(), {}});
            current = &m_sections.back();
        }
        const qsizetype eq = line.indexOf(u'=');
        const QString key = (eq < 0 ? line : line.left(eq)).trimmed().toString();
        const QString val = eq < 0 ? QString() : line.mid(eq + 1).trimmed().toString();
        bool found = false;
        for (Entry &e : current->entries)
            if (e.key.compare(key, Qt::CaseInsensitive) == 0) {
                found = true;  // the first occurrence wins, as in GetPrivateProfileString
                break;
            }
        if (!found)
            current->entries.push_back({key, val});
    }
}

QByteArray IniFile::toBytes() const
{
    QString text;
    for (const Section &s : m_sections) {
        if (!s.name.isNull())
            text += QLatin1Char('[') + s.name + QLatin1String("]\r\n");
        for (const Entry &e : s.entries)
            text += e.key + QLatin1Char('=') + e.value + QLatin1String("\r\n");
        text += u"\r\n";
    }
    return codepage::encode(text, m_encoding);
}

bool IniFile::save() const { return saveAs(m_fileName); }

bool IniFile::saveAs(const QString &fileName) const
{
    QSaveFile f(fileName);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(toBytes());
    return f.commit();
}

IniFile::Section *IniFile::findSection(const QString &name)
{
    for (Section &s : m_sections)
        if (s.name.compare(name, Qt::CaseInsensitive) == 0 && s.name.isNull() == name.isNull())
            return &s;
    return nullptr;
}

const IniFile::Section *IniFile::findSection(const QString &name) const
{
    return const_cast<IniFile *>(this)->findSection(name);
}

QStringList IniFile::sections() const
{
    QStringList out;
    for (const Section &s : m_sections)
        if (!s.name.isNull())
            out << s.name;
    return out;
}

bool IniFile::hasSection(const QString &section) const { return findSection(section) != nullptr; }

QStringList IniFile::keys(const QString &section) const
{
    QStringList out;
    if (const Section *s = findSection(section))
        for (const Entry &e : s->entries)
            out << e.key;
    return out;
}

bool IniFile::hasKey(const QString &section, const QString &key) const
{
    if (const Section *s = findSection(section))
        for (const Entry &e : s->entries)
            if (e.key.compare(key, Qt::CaseInsensitive) == 0)
                return true;
    return false;
}

QString IniFile::value(const QString &section, const QString &key, const QString &def) const
{
    if (const Section *s = findSection(section))
        for (const Entry &e : s->entries)
            if (e.key.compare(key, Qt::CaseInsensitive) == 0)
                return e.value;
    return def;
}

int IniFile::intValue(const QString &section, const QString &key, int def) const
{
    bool ok = false;
    const int v = value(section, key).toInt(&ok);
    return ok ? v : def;
}

void IniFile::setValue(const QString &section, const QString &key, const QString &val)
{
    Section *s = findSection(section);
    if (!s) {
        m_sections.push_back({section, {}});
        s = &m_sections.back();
    }
    for (Entry &e : s->entries)
        if (e.key.compare(key, Qt::CaseInsensitive) == 0) {
            e.value = val;
            return;
        }
    s->entries.push_back({key, val});
}

void IniFile::removeKey(const QString &section, const QString &key)
{
    if (Section *s = findSection(section))
        std::erase_if(s->entries, [&](const Entry &e) { return e.key.compare(key, Qt::CaseInsensitive) == 0; });
}

void IniFile::removeSection(const QString &section)
{
    std::erase_if(m_sections, [&](const Section &s) {
        return !s.name.isNull() && s.name.compare(section, Qt::CaseInsensitive) == 0;
    });
}

void IniFile::renameSection(const QString &from, const QString &to)
{
    if (Section *s = findSection(from))
        s->name = to;
}

} // namespace vorn
