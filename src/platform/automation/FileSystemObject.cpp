// FileSystemObject, TextStream, File, Folder and Files: declarations and the file
// operations behind them, with the error numbers scripts expect (53, 58, 62, 76).
#include "platform/automation/FileSystemObject.h"
#include "platform/automation/Variant.h"
#include "platform/core/CodePage.h"
#include <QDateTime>
#include <QDir>
#include <QRandomGenerator>
#include <QStringDecoder>

namespace vorn {

QString FileSystemObject::nativePath(const QString &p)
{
    QString s = p;
    s.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return s;
}

static int lastSep(const QString &p)
{
    return int(std::max(p.lastIndexOf(QLatin1Char('/')), p.lastIndexOf(QLatin1Char('\\'))));
}

QString FileSystemObject::buildPath(const QString &path, const QString &name)
{
    if (path.isEmpty()) return name;
    if (path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\'))) return path + name;
    QChar sep = path.contains(QLatin1Char('\\')) && !path.contains(QLatin1Char('/')) ? QLatin1Char('\\') : QLatin1Char('/');
    return path + sep + name;
}

QString FileSystemObject::fileName(const QString &path)
{
    QString p = path;
    while (p.size() > 1 && (p.endsWith(QLatin1Char('/')) || p.endsWith(QLatin1Char('\\')))) p.chop(1);
    return p.mid(lastSep(p) + 1);
}

QString FileSystemObject::baseName(const QString &path)
{
    QString n = fileName(path);
    int dot = int(n.lastIndexOf(QLatin1Char('.')));
    return dot < 0 ? n : n.left(dot);
}

QString FileSystemObject::extensionName(const QString &path)
{
    QString n = fileName(path);
    int dot = int(n.lastIndexOf(QLatin1Char('.')));
    return dot < 0 ? QString() : n.mid(dot + 1);
}

QString FileSystemObject::parentFolderName(const QString &path)
{
    QString p = path;
    while (p.size() > 1 && (p.endsWith(QLatin1Char('/')) || p.endsWith(QLatin1Char('\\')))) p.chop(1);
    int s = lastSep(p);
    if (s < 0) return QString();
    if (s == 0) return p.left(1);
    return p.left(s);
}

QString FileSystemObject::tempName()
{
    return QStringLiteral("rad%1.tmp").arg(QRandomGenerator::global()->bounded(0x100000), 5, 16, QLatin1Char('0')).toUpper().replace(QStringLiteral("RAD"), QStringLiteral("rad")).replace(QStringLiteral(".TMP"), QStringLiteral(".tmp"));
}

// ---- TextStream --------------------------------------------------------------------

TextStream::TextStream(const QString &path, Mode mode, bool create, int format, bool overwrite)
    : m_file(FileSystemObject::nativePath(path)), m_mode(mode), m_unicode(format == -1)
{
    const QString native = FileSystemObject::nativePath(path);
    const bool exists = QFileInfo::exists(native);
    if (mode == ForReading) {
        if (!exists) throw AutomationError(53);
        if (!m_file.open(QIODevice::ReadOnly)) throw AutomationError(70);
        QByteArray b = m_file.readAll();
        m_file.close();
        if (b.startsWith("\xFF\xFE")) { m_unicode = true; b.remove(0, 2); }
        if (m_unicode) {
            m_text = QString::fromUtf16(reinterpret_cast<const char16_t *>(b.constData()), b.size() / 2);
        } else if (b.startsWith("\xEF\xBB\xBF")) {
            m_text = QString::fromUtf8(b.mid(3));   // a UTF-8 file written on Linux
        } else {
            m_text = codepage::fromCp1251(b);
        }
        return;
    }
    if (!exists && !create) throw AutomationError(53);
    if (exists && mode == ForWriting && !overwrite) throw AutomationError(58);
    if (!QFileInfo(native).absoluteDir().exists()) throw AutomationError(76);
    QIODevice::OpenMode om = mode == ForAppending ? (QIODevice::WriteOnly | QIODevice::Append) : (QIODevice::WriteOnly | QIODevice::Truncate);
    bool wasEmpty = !exists || QFileInfo(native).size() == 0 || mode == ForWriting;
    if (!m_file.open(om)) throw AutomationError(70);
    if (m_unicode && wasEmpty) m_file.write("\xFF\xFE", 2);
}

TextStream::~TextStream() { close(); }

void TextStream::close()
{
    if (m_file.isOpen()) m_file.close();
    m_closed = true;
}

void TextStream::needRead() const
{
    if (m_closed && m_mode != ForReading) throw AutomationError(52);
    if (m_mode != ForReading) throw AutomationError(54);
}

void TextStream::needWrite() const
{
    if (m_mode == ForReading) throw AutomationError(54);
    if (!m_file.isOpen()) throw AutomationError(52);
}

void TextStream::advance(const QString &consumed)
{
    for (QChar c : consumed) {
        if (c == QLatin1Char('\n')) { ++m_line; m_column = 1; }
        else ++m_column;
    }
}

bool TextStream::atEndOfStream() const
{
    needRead();
    return m_pos >= m_text.size();
}

bool TextStream::atEndOfLine() const
{
    needRead();
    return m_pos >= m_text.size() || m_text.at(m_pos) == QLatin1Char('\r') || m_text.at(m_pos) == QLatin1Char('\n');
}

QString TextStream::readLine()
{
    needRead();
    if (m_pos >= m_text.size()) throw AutomationError(62);
    int nl = int(m_text.indexOf(QLatin1Char('\n'), m_pos));
    int end = nl < 0 ? int(m_text.size()) : nl;
    QString line = m_text.mid(m_pos, end - m_pos);
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    m_pos = nl < 0 ? int(m_text.size()) : nl + 1;
    if (nl >= 0) { ++m_line; m_column = 1; } else m_column += int(line.size());
    return line;
}

QString TextStream::read(int chars)
{
    needRead();
    if (m_pos >= m_text.size()) throw AutomationError(62);
    QString s = m_text.mid(m_pos, chars);
    m_pos += int(s.size());
    advance(s);
    return s;
}

QString TextStream::readAll()
{
    needRead();
    if (m_pos >= m_text.size()) throw AutomationError(62);
    QString s = m_text.mid(m_pos);
    m_pos = int(m_text.size());
    advance(s);
    return s;
}

void TextStream::skip(int chars)
{
    needRead();
    QString s = m_text.mid(m_pos, chars);
    m_pos += int(s.size());
    advance(s);
}

void TextStream::skipLine() { readLine(); }

void TextStream::write(const QString &s)
{
    needWrite();
    if (m_unicode) m_file.write(reinterpret_cast<const char *>(s.utf16()), s.size() * 2);
    else m_file.write(codepage::toCp1251(s));
    advance(s);
}

void TextStream::writeLine(const QString &s) { write(s + QStringLiteral("\r\n")); }

void TextStream::writeBlankLines(int n)
{
    for (int i = 0; i < n; ++i) write(QStringLiteral("\r\n"));
}

const TypeInfo *TextStream::staticTypeInfo()
{
    static TypeInfo *ti = [] {
        auto *t = new TypeInfo(QStringLiteral("ITextStream"), QUuid(QStringLiteral("{53BAD8C1-E718-11CF-893D-00A0C9054228}")));
        using B = TypeBuilder<TextStream>;
        B(t).property(QStringLiteral("Line"), 10000, {}, VarType::Long, [](TextStream &s, CallArgs &) { return Variant(s.line()); })
            .property(QStringLiteral("Column"), -529, {}, VarType::Long, [](TextStream &s, CallArgs &) { return Variant(s.column()); })
            .property(QStringLiteral("AtEndOfStream"), 10002, {}, VarType::Boolean, [](TextStream &s, CallArgs &) { return Variant(s.atEndOfStream()); })
            .property(QStringLiteral("AtEndOfLine"), 10003, {}, VarType::Boolean, [](TextStream &s, CallArgs &) { return Variant(s.atEndOfLine()); })
            .method(QStringLiteral("Read"), 10004, {{QStringLiteral("Characters"), VarType::Long}}, VarType::String,
                    [](TextStream &s, CallArgs &a) { return Variant(s.read(a[0].toLong())); })
            .method(QStringLiteral("ReadLine"), 10005, {}, VarType::String, [](TextStream &s, CallArgs &) { return Variant(s.readLine()); })
            .method(QStringLiteral("ReadAll"), 10006, {}, VarType::String, [](TextStream &s, CallArgs &) { return Variant(s.readAll()); })
            .method(QStringLiteral("Write"), 10007, {{QStringLiteral("Text"), VarType::String}}, VarType::Empty,
                    [](TextStream &s, CallArgs &a) { s.write(a[0].toString()); return Variant(); })
            .method(QStringLiteral("WriteLine"), 10008, {{QStringLiteral("Text"), VarType::String, true, Variant(QString())}}, VarType::Empty,
                    [](TextStream &s, CallArgs &a) { s.writeLine(a[0].toString()); return Variant(); })
            .method(QStringLiteral("WriteBlankLines"), 10009, {{QStringLiteral("Lines"), VarType::Long}}, VarType::Empty,
                    [](TextStream &s, CallArgs &a) { s.writeBlankLines(a[0].toLong()); return Variant(); })
            .method(QStringLiteral("Skip"), 10010, {{QStringLiteral("Characters"), VarType::Long}}, VarType::Empty,
                    [](TextStream &s, CallArgs &a) { s.skip(a[0].toLong()); return Variant(); })
            .method(QStringLiteral("SkipLine"), 10011, {}, VarType::Empty, [](TextStream &s, CallArgs &) { s.skipLine(); return Variant(); })
            .method(QStringLiteral("Close"), 10012, {}, VarType::Empty, [](TextStream &s, CallArgs &) { s.close(); return Variant(); });
        return t;
    }();
    return ti;
}

// ---- File, Folder, collections ---------------------------------------------------------

static Variant dateOf(const QDateTime &dt) { return Variant::dateTime(dt); }

static void removeWithWildcards(const QString &fileSpec, bool folders)
{
    QString native = FileSystemObject::nativePath(fileSpec);
    QFileInfo fi(native);
    QString name = fi.fileName();
    if (name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'))) {
        QDir dir = fi.absoluteDir();
        const QFileInfoList list = dir.entryInfoList({name}, folders ? (QDir::Dirs | QDir::NoDotAndDotDot) : QDir::Files);
        if (list.isEmpty()) throw AutomationError(folders ? 76 : 53);
        for (const QFileInfo &f : list) {
            bool ok = folders ? QDir(f.absoluteFilePath()).removeRecursively() : QFile::remove(f.absoluteFilePath());
            if (!ok) throw AutomationError(70);
        }
        return;
    }
    if (folders) {
        if (!fi.isDir()) throw AutomationError(76);
        if (!QDir(native).removeRecursively()) throw AutomationError(70);
    } else {
        if (!fi.isFile()) throw AutomationError(53);
        if (!QFile::remove(native)) throw AutomationError(70);
    }
}

static void copyOrMove(const QString &src, const QString &dst, bool overwrite, bool move)
{
    QString s = FileSystemObject::nativePath(src), d = FileSystemObject::nativePath(dst);
    QFileInfo sfi(s);
    QStringList sources;
    if (sfi.fileName().contains(QLatin1Char('*')) || sfi.fileName().contains(QLatin1Char('?'))) {
        for (const QFileInfo &f : sfi.absoluteDir().entryInfoList({sfi.fileName()}, QDir::Files)) sources << f.absoluteFilePath();
        if (sources.isEmpty()) throw AutomationError(53);
    } else {
        if (!sfi.isFile()) throw AutomationError(53);
        sources << s;
    }
    bool toDir = d.endsWith(QLatin1Char('/')) || QFileInfo(d).isDir() || sources.size() > 1;
    for (const QString &f : sources) {
        QString target = toDir ? QDir(d).filePath(QFileInfo(f).fileName()) : d;
        if (QFileInfo::exists(target)) {
            if (move || !overwrite) throw AutomationError(58);
            QFile::remove(target);
        }
        bool ok = move ? QFile::rename(f, target) : QFile::copy(f, target);
        if (!ok) throw AutomationError(QFileInfo(target).absoluteDir().exists() ? 70 : 76);
    }
}

FileObject::FileObject(const QString &path) : m_path(QFileInfo(FileSystemObject::nativePath(path)).absoluteFilePath()) {}

const TypeInfo *FileObject::staticTypeInfo()
{
    static TypeInfo *ti = [] {
        auto *t = new TypeInfo(QStringLiteral("IFile"), QUuid(QStringLiteral("{C7C3F5B5-88A3-11D0-ABCB-00A0C90FFFC0}")));
        using B = TypeBuilder<FileObject>;
        B(t).property(QStringLiteral("Path"), DISPID_VALUE, {}, VarType::String, [](FileObject &f, CallArgs &) { return Variant(f.path()); })
            .property(QStringLiteral("Name"), 1000, {}, VarType::String, [](FileObject &f, CallArgs &) { return Variant(QFileInfo(f.path()).fileName()); })
            .property(QStringLiteral("ShortPath"), 1002, {}, VarType::String, [](FileObject &f, CallArgs &) { return Variant(f.path()); })
            .property(QStringLiteral("ShortName"), 1003, {}, VarType::String, [](FileObject &f, CallArgs &) { return Variant(QFileInfo(f.path()).fileName()); })
            .property(QStringLiteral("ParentFolder"), 1005, {}, VarType::Object, [](FileObject &f, CallArgs &) { return Variant(static_cast<DispatchObject *>(new FolderObject(QFileInfo(f.path()).absolutePath()))); })
            .property(QStringLiteral("Attributes"), 1003 + 3, {}, VarType::Long, [](FileObject &f, CallArgs &) { return Variant(QFileInfo(f.path()).isWritable() ? 32 : 33); })
            .property(QStringLiteral("DateCreated"), 1007, {}, VarType::Date, [](FileObject &f, CallArgs &) { QFileInfo fi(f.path()); return dateOf(fi.birthTime().isValid() ? fi.birthTime() : fi.lastModified()); })
            .property(QStringLiteral("DateLastModified"), 1008, {}, VarType::Date, [](FileObject &f, CallArgs &) { return dateOf(QFileInfo(f.path()).lastModified()); })
            .property(QStringLiteral("DateLastAccessed"), 1009, {}, VarType::Date, [](FileObject &f, CallArgs &) { return dateOf(QFileInfo(f.path()).lastRead()); })
            .property(QStringLiteral("Size"), 1010, {}, VarType::Variant, [](FileObject &f, CallArgs &) { qint64 s = QFileInfo(f.path()).size(); return s <= INT32_MAX ? Variant(int(s)) : Variant(double(s)); })
            .property(QStringLiteral("Type"), 1011, {}, VarType::String, [](FileObject &f, CallArgs &) { return Variant(FileSystemObject::extensionName(f.path()).toUpper() + QStringLiteral(" File")); })
            .method(QStringLiteral("Delete"), 1200, {{QStringLiteral("Force"), VarType::Boolean, true, Variant(false)}}, VarType::Empty,
                    [](FileObject &f, CallArgs &) { removeWithWildcards(f.path(), false); return Variant(); })
            .method(QStringLiteral("Copy"), 1202, {{QStringLiteral("Destination"), VarType::String}, {QStringLiteral("OverWriteFiles"), VarType::Boolean, true, Variant(true)}}, VarType::Empty,
                    [](FileObject &f, CallArgs &a) { copyOrMove(f.path(), a[0].toString(), a[1].toBool(), false); return Variant(); })
            .method(QStringLiteral("Move"), 1204, {{QStringLiteral("Destination"), VarType::String}}, VarType::Empty,
                    [](FileObject &f, CallArgs &a) { copyOrMove(f.path(), a[0].toString(), false, true); return Variant(); })
            .method(QStringLiteral("OpenAsTextStream"), 1100, {{QStringLiteral("IOMode"), VarType::Long, true, Variant(1)}, {QStringLiteral("Format"), VarType::Long, true, Variant(0)}}, VarType::Object,
                    [](FileObject &f, CallArgs &a) { return Variant(static_cast<DispatchObject *>(new TextStream(f.path(), TextStream::Mode(a[0].toLong()), false, a[1].toLong()))); });
        return t;
    }();
    return ti;
}

FolderObject::FolderObject(const QString &path) : m_path(QFileInfo(FileSystemObject::nativePath(path)).absoluteFilePath()) {}

const TypeInfo *FolderObject::staticTypeInfo()
{
    static TypeInfo *ti = [] {
        auto *t = new TypeInfo(QStringLiteral("IFolder"), QUuid(QStringLiteral("{C7C3F5B3-88A3-11D0-ABCB-00A0C90FFFC0}")));
        using B = TypeBuilder<FolderObject>;
        B(t).property(QStringLiteral("Path"), DISPID_VALUE, {}, VarType::String, [](FolderObject &f, CallArgs &) { return Variant(f.path()); })
            .property(QStringLiteral("Name"), 1000, {}, VarType::String, [](FolderObject &f, CallArgs &) { return Variant(QFileInfo(f.path()).fileName()); })
            .property(QStringLiteral("ParentFolder"), 1005, {}, VarType::Object, [](FolderObject &f, CallArgs &) { return Variant(static_cast<DispatchObject *>(new FolderObject(QFileInfo(f.path()).absolutePath()))); })
            .property(QStringLiteral("IsRootFolder"), 10000, {}, VarType::Boolean, [](FolderObject &f, CallArgs &) { return Variant(QDir(f.path()).isRoot()); })
            .property(QStringLiteral("DateLastModified"), 1008, {}, VarType::Date, [](FolderObject &f, CallArgs &) { return dateOf(QFileInfo(f.path()).lastModified()); })
            .property(QStringLiteral("Files"), 10002, {}, VarType::Object, [](FolderObject &f, CallArgs &) { return Variant(static_cast<DispatchObject *>(new FileCollection(f.path(), false))); })
            .property(QStringLiteral("SubFolders"), 10003, {}, VarType::Object, [](FolderObject &f, CallArgs &) { return Variant(static_cast<DispatchObject *>(new FileCollection(f.path(), true))); })
            .method(QStringLiteral("Delete"), 1200, {{QStringLiteral("Force"), VarType::Boolean, true, Variant(false)}}, VarType::Empty,
                    [](FolderObject &f, CallArgs &) { removeWithWildcards(f.path(), true); return Variant(); })
            .method(QStringLiteral("CreateTextFile"), 10004, {{QStringLiteral("FileName"), VarType::String}, {QStringLiteral("Overwrite"), VarType::Boolean, true, Variant(true)}, {QStringLiteral("Unicode"), VarType::Boolean, true, Variant(false)}}, VarType::Object,
                    [](FolderObject &f, CallArgs &a) { return Variant(static_cast<DispatchObject *>(new TextStream(QDir(f.path()).filePath(FileSystemObject::nativePath(a[0].toString())), TextStream::ForWriting, true, a[2].toBool() ? -1 : 0, a[1].toBool()))); });
        return t;
    }();
    return ti;
}

FileCollection::FileCollection(const QString &folder, bool folders) : m_folder(folder), m_folders(folders) {}

QVector<Variant> FileCollection::elements() const
{
    QVector<Variant> r;
    const QFileInfoList list = QDir(m_folder).entryInfoList(m_folders ? (QDir::Dirs | QDir::NoDotAndDotDot) : QDir::Files, QDir::Name);
    for (const QFileInfo &fi : list)
        r.append(m_folders ? Variant(static_cast<DispatchObject *>(new FolderObject(fi.absoluteFilePath())))
                           : Variant(static_cast<DispatchObject *>(new FileObject(fi.absoluteFilePath()))));
    return r;
}

int FileCollection::count() const
{
    return int(QDir(m_folder).entryList(m_folders ? (QDir::Dirs | QDir::NoDotAndDotDot) : QDir::Files).size());
}

Variant FileCollection::item(const QString &name) const
{
    QFileInfo fi(QDir(m_folder).filePath(name));
    if (m_folders ? !fi.isDir() : !fi.isFile()) throw AutomationError(m_folders ? 76 : 53);
    return m_folders ? Variant(static_cast<DispatchObject *>(new FolderObject(fi.absoluteFilePath())))
                     : Variant(static_cast<DispatchObject *>(new FileObject(fi.absoluteFilePath())));
}

const TypeInfo *FileCollection::staticTypeInfo()
{
    static TypeInfo *ti = [] {
        auto *t = new TypeInfo(QStringLiteral("IFileCollection"), QUuid(QStringLiteral("{C7C3F5B7-88A3-11D0-ABCB-00A0C90FFFC0}")));
        TypeBuilder<FileCollection>(t)
            .property(QStringLiteral("Item"), DISPID_VALUE, {{QStringLiteral("Key")}}, VarType::Object, [](FileCollection &c, CallArgs &a) { return c.item(a[0].toString()); })
            .property(QStringLiteral("Count"), 1, {}, VarType::Long, [](FileCollection &c, CallArgs &) { return Variant(c.count()); })
            .property(QStringLiteral("_NewEnum"), DISPID_NEWENUM, {}, VarType::Object,
                      [](FileCollection &c, CallArgs &) { return Variant(static_cast<DispatchObject *>(new ListEnumerator(c.elements(), &c))); });
        return t;
    }();
    return ti;
}

// ---- FileSystemObject ---------------------------------------------------------------

const TypeInfo *FileSystemObject::staticTypeInfo()
{
    static TypeInfo *ti = [] {
        auto *t = new TypeInfo(QStringLiteral("IFileSystem"), QUuid(QStringLiteral("{0AB5A3D0-E5B6-11D0-ABF5-00A0C90FFFC0}")), QStringLiteral("FileSystem Object"));
        using B = TypeBuilder<FileSystemObject>;
        const ParamInfo path{QStringLiteral("Path"), VarType::String};
        const ParamInfo fileSpec{QStringLiteral("FileSpec"), VarType::String};
        auto obj = [](DispatchObject *o) { return Variant(o); };
        B(t).method(QStringLiteral("BuildPath"), 10000, {path, {QStringLiteral("Name"), VarType::String}}, VarType::String,
                    [](FileSystemObject &, CallArgs &a) { return Variant(buildPath(a[0].toString(), a[1].toString())); })
            .method(QStringLiteral("GetDriveName"), 10002, {path}, VarType::String, [](FileSystemObject &, CallArgs &a) {
                QString p = a[0].toString();
                return Variant(p.size() >= 2 && p.at(1) == QLatin1Char(':') ? p.left(2) : QString()); })
            .method(QStringLiteral("GetParentFolderName"), 10003, {path}, VarType::String, [](FileSystemObject &, CallArgs &a) { return Variant(parentFolderName(a[0].toString())); })
            .method(QStringLiteral("GetFileName"), 10004, {path}, VarType::String, [](FileSystemObject &, CallArgs &a) { return Variant(fileName(a[0].toString())); })
            .method(QStringLiteral("GetBaseName"), 10005, {path}, VarType::String, [](FileSystemObject &, CallArgs &a) { return Variant(baseName(a[0].toString())); })
            .method(QStringLiteral("GetExtensionName"), 10006, {path}, VarType::String, [](FileSystemObject &, CallArgs &a) { return Variant(extensionName(a[0].toString())); })
            .method(QStringLiteral("GetAbsolutePathName"), 10007, {path}, VarType::String, [](FileSystemObject &, CallArgs &a) { return Variant(QFileInfo(nativePath(a[0].toString())).absoluteFilePath()); })
            .method(QStringLiteral("GetTempName"), 10008, {}, VarType::String, [](FileSystemObject &, CallArgs &) { return Variant(tempName()); })
            .method(QStringLiteral("FileExists"), 10010, {fileSpec}, VarType::Boolean, [](FileSystemObject &, CallArgs &a) { return Variant(QFileInfo(nativePath(a[0].toString())).isFile()); })
            .method(QStringLiteral("FolderExists"), 10011, {{QStringLiteral("FolderSpec"), VarType::String}}, VarType::Boolean, [](FileSystemObject &, CallArgs &a) { return Variant(QFileInfo(nativePath(a[0].toString())).isDir()); })
            .method(QStringLiteral("GetFile"), 10013, {{QStringLiteral("FilePath"), VarType::String}}, VarType::Object, [obj](FileSystemObject &, CallArgs &a) {
                QString p = nativePath(a[0].toString());
                if (!QFileInfo(p).isFile()) throw AutomationError(53);
                return obj(new FileObject(p)); })
            .method(QStringLiteral("GetFolder"), 10014, {{QStringLiteral("FolderPath"), VarType::String}}, VarType::Object, [obj](FileSystemObject &, CallArgs &a) {
                QString p = nativePath(a[0].toString());
                if (!QFileInfo(p).isDir()) throw AutomationError(76);
                return obj(new FolderObject(p)); })
            .method(QStringLiteral("GetSpecialFolder"), 10015, {{QStringLiteral("SpecialFolder"), VarType::Long}}, VarType::Object, [obj](FileSystemObject &, CallArgs &a) {
                int k = a[0].toLong();
                return obj(new FolderObject(k == 2 ? QDir::tempPath() : QDir::rootPath())); })
            .method(QStringLiteral("DeleteFile"), 1000, {fileSpec, {QStringLiteral("Force"), VarType::Boolean, true, Variant(false)}}, VarType::Empty,
                    [](FileSystemObject &, CallArgs &a) { removeWithWildcards(a[0].toString(), false); return Variant(); })
            .method(QStringLiteral("DeleteFolder"), 1001, {{QStringLiteral("FolderSpec"), VarType::String}, {QStringLiteral("Force"), VarType::Boolean, true, Variant(false)}}, VarType::Empty,
                    [](FileSystemObject &, CallArgs &a) { removeWithWildcards(a[0].toString(), true); return Variant(); })
            .method(QStringLiteral("MoveFile"), 1002, {{QStringLiteral("Source"), VarType::String}, {QStringLiteral("Destination"), VarType::String}}, VarType::Empty,
                    [](FileSystemObject &, CallArgs &a) { copyOrMove(a[0].toString(), a[1].toString(), false, true); return Variant(); })
            .method(QStringLiteral("CopyFile"), 1004, {{QStringLiteral("Source"), VarType::String}, {QStringLiteral("Destination"), VarType::String}, {QStringLiteral("OverWriteFiles"), VarType::Boolean, true, Variant(true)}}, VarType::Empty,
                    [](FileSystemObject &, CallArgs &a) { copyOrMove(a[0].toString(), a[1].toString(), a[2].toBool(), false); return Variant(); })
            .method(QStringLiteral("CreateFolder"), 1120, {{QStringLiteral("Path"), VarType::String}}, VarType::Object, [obj](FileSystemObject &, CallArgs &a) {
                QString p = nativePath(a[0].toString());
                if (QFileInfo::exists(p)) throw AutomationError(58);
                if (!QDir().mkdir(p)) throw AutomationError(76);
                return obj(new FolderObject(p)); })
            .method(QStringLiteral("CreateTextFile"), 1101, {{QStringLiteral("FileName"), VarType::String}, {QStringLiteral("Overwrite"), VarType::Boolean, true, Variant(true)}, {QStringLiteral("Unicode"), VarType::Boolean, true, Variant(false)}}, VarType::Object,
                    [obj](FileSystemObject &, CallArgs &a) { return obj(new TextStream(a[0].toString(), TextStream::ForWriting, true, a[2].toBool() ? -1 : 0, a[1].toBool())); })
            .method(QStringLiteral("OpenTextFile"), 1100, {{QStringLiteral("FileName"), VarType::String}, {QStringLiteral("IOMode"), VarType::Long, true, Variant(1)}, {QStringLiteral("Create"), VarType::Boolean, true, Variant(false)}, {QStringLiteral("Format"), VarType::Long, true, Variant(0)}}, VarType::Object,
                    [obj](FileSystemObject &, CallArgs &a) {
                        int mode = a[1].toLong();
                        if (mode != 1 && mode != 2 && mode != 8) throw AutomationError(5);
                        return obj(new TextStream(a[0].toString(), TextStream::Mode(mode), a[2].toBool(), a[3].toLong())); });
        return t;
    }();
    return ti;
}

} // namespace vorn
