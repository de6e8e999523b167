// Ordered INI parsing and writing. Lines before the first section belong to a
// nameless section; comments (';' or '#') are not kept, as TIniFile does not keep them.
// Lookups go through hash indexes, so loading and filling stay linear in the size.
//
// Names and values that a plain "name=value" line cannot carry are written quoted:
// a name with '=', a leading ';', '#', '[' or '"', or surrounding blanks becomes
// "name" with '\' and '"' escaped by a backslash; a value with surrounding blanks, or
// one already in double quotes, is written between double quotes. Reading strips one
// pair of quotes around a value as GetPrivateProfileString does, so files written
// before keep their meaning.
#include "platform/core/IniFile.h"

#include <QFile>
#include <QSaveFile>

namespace vorn {

namespace {

QString folded(const QString &s) { return s.toCaseFolded(); }

bool blankAtEdge(const QString &s) { return !s.isEmpty() && (s.front().isSpace() || s.back().isSpace()); }

bool keyNeedsQuotes(const QString &k)
{
    if (k.isEmpty() || blankAtEdge(k) || k.contains(u'=') || k.contains(u'\n') || k.contains(u'\r'))
        return true;
    const QChar c = k.front();
    return c == u';' || c == u'#' || c == u'[' || c == u'"';
}

QString quotedKey(const QString &k)
{
    QString out = QStringLiteral("\"");
    for (QChar c : k) {
        if (c == u'\\' || c == u'"')
            out += u'\\';
        if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out + u'"';
}

bool valueNeedsQuotes(const QString &v)
{
    return blankAtEdge(v) || (v.size() >= 2 && v.front() == u'"' && v.back() == u'"');
}

// A quoted name at the start of line: the name and the text after its '=';
// false when the line is not of that form (an old file's name that starts with '"').
bool parseQuotedKey(QStringView line, QString *key, QStringView *rest)
{
    QString k;
    for (qsizetype i = 1; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == u'\\' && i + 1 < line.size()) {
            const QChar n = line.at(++i);
            k += n == u'n' ? QChar(u'\n') : n == u'r' ? QChar(u'\r') : n;
        } else if (c == u'"') {
            const QStringView after = line.mid(i + 1).trimmed();
            if (!after.startsWith(u'='))
                return false;
            *key = k;
            *rest = after.mid(1);
            return true;
        } else {
            k += c;
        }
    }
    return false;
}

} // namespace

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

void IniFile::clear()
{
    m_sections.clear();
    m_sectionAt.clear();
    m_nameless = -1;
}

IniFile::Section &IniFile::addSection(const QString &name)
{
    if (name.isNull())
        m_nameless = qsizetype(m_sections.size());
    else
        m_sectionAt.insert(folded(name), qsizetype(m_sections.size()));
    m_sections.push_back({name, {}, {}});
    return m_sections.back();
}

void IniFile::reindexSections()
{
    m_sectionAt.clear();
    m_nameless = -1;
    for (qsizetype i = 0; i < qsizetype(m_sections.size()); ++i) {
        if (m_sections[i].name.isNull())
            m_nameless = i;
        else
            m_sectionAt.insert(folded(m_sections[i].name), i);
    }
}

void IniFile::loadFromBytes(const QByteArray &raw)
{
    clear();
    QByteArray bytes = raw;
    if (codepage::looksLikeUtf8(bytes)) {
        m_encoding = codepage::CodePage::Utf8;
        if (bytes.startsWith("\xEF\xBB\xBF"))
            bytes.remove(0, 3);
    } else {
        m_encoding = codepage::CodePage::Cp1251;
    }
    const QString text = codepage::decode(bytes, m_encoding);
    qsizetype current = -1;
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            const QString name = line.mid(1, line.size() - 2).trimmed().toString();
            const Section *s = findSection(name);
            current = s ? qsizetype(s - m_sections.data()) : (addSection(name), qsizetype(m_sections.size()) - 1);
            continue;
        }
        if (current < 0) {
            current = m_nameless >= 0 ? m_nameless : (addSection(QString()), qsizetype(m_sections.size()) - 1);
        }
        QString key;
        QStringView rest;
        if (!(line.startsWith(u'"') && parseQuotedKey(line, &key, &rest))) {
            const qsizetype eq = line.indexOf(u'=');
            key = (eq < 0 ? line : line.left(eq)).trimmed().toString();
            rest = eq < 0 ? QStringView() : line.mid(eq + 1);
        }
        QStringView val = rest.trimmed();
        if (val.size() >= 2 && val.front() == u'"' && val.back() == u'"')
            val = val.mid(1, val.size() - 2);
        Section &s = m_sections[size_t(current)];
        const QString k = folded(key);
        if (s.at.contains(k))
            continue;  // the first occurrence wins, as in GetPrivateProfileString
        s.at.insert(k, qsizetype(s.entries.size()));
        s.entries.push_back({key, val.toString()});
    }
}

QByteArray IniFile::toBytes() const
{
    QString text;
    for (const Section &s : m_sections) {
        if (!s.name.isNull())
            text += QLatin1Char('[') + s.name + QLatin1String("]\r\n");
        for (const Entry &e : s.entries) {
            text += keyNeedsQuotes(e.key) ? quotedKey(e.key) : e.key;
            text += QLatin1Char('=');
            if (valueNeedsQuotes(e.value))
                text += QLatin1Char('"') + e.value + QLatin1Char('"');
            else
                text += e.value;
            text += QLatin1String("\r\n");
        }
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
    if (name.isNull())
        return m_nameless >= 0 ? &m_sections[size_t(m_nameless)] : nullptr;
    const auto it = m_sectionAt.constFind(folded(name));
    return it == m_sectionAt.cend() ? nullptr : &m_sections[size_t(*it)];
}

const IniFile::Section *IniFile::findSection(const QString &name) const
{
    return const_cast<IniFile *>(this)->findSection(name);
}

const IniFile::Entry *IniFile::findEntry(const QString &section, const QString &key) const
{
    const Section *s = findSection(section);
    if (!s)
        return nullptr;
    const auto it = s->at.constFind(folded(key));
    return it == s->at.cend() ? nullptr : &s->entries[size_t(*it)];
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

bool IniFile::hasKey(const QString &section, const QString &key) const { return findEntry(section, key) != nullptr; }

QString IniFile::value(const QString &section, const QString &key, const QString &def) const
{
    const Entry *e = findEntry(section, key);
    return e ? e->value : def;
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
    if (!s)
        s = &addSection(section);
    const QString k = folded(key);
    if (const auto it = s->at.constFind(k); it != s->at.cend()) {
        s->entries[size_t(*it)].value = val;
        return;
    }
    s->at.insert(k, qsizetype(s->entries.size()));
    s->entries.push_back({key, val});
}

void IniFile::removeKey(const QString &section, const QString &key)
{
    Section *s = findSection(section);
    if (!s || !s->at.contains(folded(key)))
        return;
    const qsizetype i = s->at.value(folded(key));
    s->entries.erase(s->entries.begin() + i);
    s->at.clear();
    for (qsizetype j = 0; j < qsizetype(s->entries.size()); ++j)
        s->at.insert(folded(s->entries[size_t(j)].key), j);
}

void IniFile::removeSection(const QString &section)
{
    if (section.isNull())
        return;
    const Section *s = findSection(section);
    if (!s)
        return;
    m_sections.erase(m_sections.begin() + (s - m_sections.data()));
    reindexSections();
}

void IniFile::renameSection(const QString &from, const QString &to)
{
    if (Section *s = findSection(from)) {
        s->name = to;
        reindexSections();
    }
}

} // namespace vorn
