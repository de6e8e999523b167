// An INI file that keeps its sections and keys in file order (connection profiles
// are listed in the order of their keys) and looks names up without regard to case,
// as Windows INI files do. Reads UTF-8 or CP1251 (detected), writes in its encoding.
#pragma once
#include "platform/core/CodePage.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

namespace vorn {

class IniFile
{
public:
    IniFile() = default;
    explicit IniFile(const QString &fileName);  // loads at once when the file exists

    bool load(const QString &fileName);        // false when the file cannot be read
    void loadFromBytes(const QByteArray &bytes);
    bool save() const;                          // writes to fileName() through a temporary
    bool saveAs(const QString &fileName) const;
    QByteArray toBytes() const;

    QString fileName() const { return m_fileName; }
    void setFileName(const QString &f) { m_fileName = f; }
    codepage::CodePage encoding() const { return m_encoding; }
    void setEncoding(codepage::CodePage cp) { m_encoding = cp; }

    QStringList sections() const;
    bool hasSection(const QString &section) const;
    QStringList keys(const QString &section) const;   // in file order
    bool hasKey(const QString &section, const QString &key) const;
    QString value(const QString &section, const QString &key, const QString &def = {}) const;
    int intValue(const QString &section, const QString &key, int def = 0) const;
    void setValue(const QString &section, const QString &key, const QString &value);  // new keys go last
    void removeKey(const QString &section, const QString &key);
    void removeSection(const QString &section);
    void renameSection(const QString &from, const QString &to);
    void clear();

private:
    struct Entry { QString key; QString value; };
    struct Section
    {
        QString name;                  // null for the lines before the first section
        std::vector<Entry> entries;    // file order
        QHash<QString, qsizetype> at;  // case-folded key -> index in entries
    };
    Section *findSection(const QString &name);
    const Section *findSection(const QString &name) const;
    Section &addSection(const QString &name);
    const Entry *findEntry(const QString &section, const QString &key) const;
    void reindexSections();

    QString m_fileName;
    codepage::CodePage m_encoding = codepage::CodePage::Utf8;
    std::vector<Section> m_sections;          // file order
    QHash<QString, qsizetype> m_sectionAt;    // case-folded name -> index in m_sections
    qsizetype m_nameless = -1;                // index of the nameless section, -1 when none
};

} // namespace vorn
