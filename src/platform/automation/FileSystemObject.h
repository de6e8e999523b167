// Scripting.FileSystemObject with TextStream, File, Folder and the Files/Folders
// collections: what import scripts need to read and write data files. Paths may
// use either slash; text files are ANSI (CP1251) or Unicode (UTF-16LE).
#pragma once
#include "platform/automation/Dispatch.h"
#include <QFile>
#include <QFileInfo>
#include <memory>

namespace vorn {

class TextStream : public DispatchObject
{
public:
    enum Mode { ForReading = 1, ForWriting = 2, ForAppending = 8 };
    // format: 0 ANSI, -1 Unicode, -2 system default (ANSI)
    TextStream(const QString &path, Mode mode, bool create, int format, bool overwrite = true);
    ~TextStream() override;
    static const TypeInfo *staticTypeInfo();
    const TypeInfo *typeInfo() const override { return staticTypeInfo(); }
    QString className() const override { return QStringLiteral("TextStream"); }

    QString readLine();
    QString read(int chars);
    QString readAll();
    void skip(int chars);
    void skipLine();
    void write(const QString &s);
    void writeLine(const QString &s = QString());
    void writeBlankLines(int n);
    bool atEndOfStream() const;
    bool atEndOfLine() const;
    int line() const { return m_line; }
    int column() const { return m_column; }
    void close();

private:
    void needRead() const;
    void needWrite() const;
    void advance(const QString &consumed);
    QFile m_file;            // open while writing
    Mode m_mode;             // how it was opened
    bool m_unicode;          // UTF-16LE instead of CP1251
    bool m_closed = false;   // Close was called
    QString m_text;          // whole content when reading
    int m_pos = 0;           // read position in m_text
    int m_line = 1;          // current line, one-based
    int m_column = 1;        // current column, one-based
};

class FileSystemObject : public DispatchObject
{
public:
    static const TypeInfo *staticTypeInfo();
    const TypeInfo *typeInfo() const override { return staticTypeInfo(); }
    QString className() const override { return QStringLiteral("FileSystemObject"); }

    static QString nativePath(const QString &scriptPath);   // backslashes to slashes
    static QString buildPath(const QString &path, const QString &name);
    static QString fileName(const QString &path);
    static QString baseName(const QString &path);
    static QString extensionName(const QString &path);
    static QString parentFolderName(const QString &path);
    static QString tempName();
};

class FileObject : public DispatchObject
{
public:
    explicit FileObject(const QString &path);
    static const TypeInfo *staticTypeInfo();
    const TypeInfo *typeInfo() const override { return staticTypeInfo(); }
    QString className() const override { return QStringLiteral("File"); }
    QString path() const { return m_path; }
private:
    QString m_path;          // absolute native path
};

class FolderObject : public DispatchObject
{
public:
    explicit FolderObject(const QString &path);
    static const TypeInfo *staticTypeInfo();
    const TypeInfo *typeInfo() const override { return staticTypeInfo(); }
    QString className() const override { return QStringLiteral("Folder"); }
    QString path() const { return m_path; }
private:
    QString m_path;          // absolute native path
};

// Files and Folders: Count, Item(name), _NewEnum over File / Folder objects.
class FileCollection : public DispatchObject
{
public:
    FileCollection(const QString &folder, bool folders);
    static const TypeInfo *staticTypeInfo();
    const TypeInfo *typeInfo() const override { return staticTypeInfo(); }
    QString className() const override { return m_folders ? QStringLiteral("Folders") : QStringLiteral("Files"); }
    QVector<Variant> elements() const;
    Variant item(const QString &name) const;
    int count() const;
private:
    QString m_folder;        // the folder listed
    bool m_folders;          // sub-folders instead of files
};

} // namespace vorn
