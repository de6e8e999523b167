// WScript and its helper objects (Arguments collection, standard streams).
#include "WScriptObject.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/automation/Dictionary.h"
#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>
#include <cstdio>

using namespace vorn;

namespace {

void writeOut(FILE *f, const QString &s)
{
    QByteArray b = s.toUtf8();
    fwrite(b.constData(), 1, size_t(b.size()), f);
    fflush(f);
}

class StdStream : public DispatchObject
{
public:
    explicit StdStream(int which) : m_which(which) {}
    static const TypeInfo *staticTypeInfo()
    {
        static TypeInfo *ti = [] {
            auto *t = new TypeInfo(QStringLiteral("ITextStream"));
            TypeBuilder<StdStream>(t)
                .method(QStringLiteral("Write"), 10007, {ParamInfo(QStringLiteral("Text"), VarType::String)}, VarType::Empty,
                        [](StdStream &s, CallArgs &a) { s.write(a[0].toString()); return Variant(); })
                .method(QStringLiteral("WriteLine"), 10008, {ParamInfo(QStringLiteral("Text"), VarType::String, true, Variant(QString()))}, VarType::Empty,
                        [](StdStream &s, CallArgs &a) { s.write(a[0].toString() + QLatin1Char('\n')); return Variant(); })
                .method(QStringLiteral("WriteBlankLines"), 10009, {ParamInfo(QStringLiteral("Lines"), VarType::Long)}, VarType::Empty,
                        [](StdStream &s, CallArgs &a) { s.write(QString(a[0].toLong(), QLatin1Char('\n'))); return Variant(); })
                .method(QStringLiteral("ReadLine"), 10005, {}, VarType::String, [](StdStream &s, CallArgs &) { return Variant(s.readLine()); })
                .method(QStringLiteral("ReadAll"), 10006, {}, VarType::String, [](StdStream &s, CallArgs &) {
                    QString all; while (!s.atEnd()) all += s.readLine() + QLatin1Char('\n'); return Variant(all); })
                .property(QStringLiteral("AtEndOfStream"), 10002, {}, VarType::Boolean, [](StdStream &s, CallArgs &) { return Variant(s.atEnd()); })
                .method(QStringLiteral("Close"), 10012, {}, VarType::Empty, [](StdStream &, CallArgs &) { return Variant(); });
            return t;
        }();
        return ti;
    }
    const TypeInfo *typeInfo() const override { return staticTypeInfo(); }
    QString className() const override { return QStringLiteral("TextStream"); }
    void write(const QString &s)
    {
        if (m_which == 0) throw AutomationError(54);
        writeOut(m_which == 2 ? stderr : stdout, s);
    }
    bool atEnd()
    {
        if (m_which != 0) throw AutomationError(54);
        int c = fgetc(stdin);
        if (c == EOF) return true;
        ungetc(c, stdin);
        return false;
    }
    QString readLine()
    {
        if (m_which != 0) throw AutomationError(54);
        QByteArray line;
        int c;
        bool any = false;
        while ((c = fgetc(stdin)) != EOF) {
            any = true;
            if (c == '\n') break;
            line.append(char(c));
        }
        if (!any) throw AutomationError(62);
        if (line.endsWith('\r')) line.chop(1);
        return QString::fromUtf8(line);
    }
private:
    int m_which;   // 0 stdin, 1 stdout, 2 stderr
};

class ArgumentsObject : public DispatchObject
{
public:
    explicit ArgumentsObject(const QStringList &a) : m_args(a) {}
    static const TypeInfo *staticTypeInfo()
    {
        static TypeInfo *ti = [] {
            auto *t = new TypeInfo(QStringLiteral("IArguments2"));
            TypeBuilder<ArgumentsObject>(t)
                .property(QStringLiteral("Item"), DISPID_VALUE, {ParamInfo(QStringLiteral("Index"), VarType::Long)}, VarType::String,
                          [](ArgumentsObject &o, CallArgs &a) {
                              int i = a[0].toLong();
                              if (i < 0 || i >= o.m_args.size()) throw AutomationError(9);
                              return Variant(o.m_args[i]);
                          })
                .property(QStringLiteral("Count"), 1, {}, VarType::Long, [](ArgumentsObject &o, CallArgs &) { return Variant(int(o.m_args.size())); })
                .property(QStringLiteral("Length"), 2, {}, VarType::Long, [](ArgumentsObject &o, CallArgs &) { return Variant(int(o.m_args.size())); })
                .method(QStringLiteral("Count"), 1, {}, VarType::Long, [](ArgumentsObject &o, CallArgs &) { return Variant(int(o.m_args.size())); })
                .property(QStringLiteral("Named"), 3, {}, VarType::Object, [](ArgumentsObject &o, CallArgs &) {
                    // "/name:value" and "/name" arguments, names without regard to case
                    auto *d = new Dictionary;
                    Variant hold(static_cast<DispatchObject *>(d));
                    d->setCompareMode(1);
                    for (const QString &a : o.m_args) {
                        if (!a.startsWith(QLatin1Char('/')) || a.size() < 2) continue;
                        int colon = int(a.indexOf(QLatin1Char(':')));
                        QString name = colon < 0 ? a.mid(1) : a.mid(1, colon - 1);
                        if (!d->exists(Variant(name))) d->add(Variant(name), colon < 0 ? Variant() : Variant(a.mid(colon + 1)));
                    }
                    return hold;
                })
                .property(QStringLiteral("Unnamed"), 4, {}, VarType::Object, [](ArgumentsObject &o, CallArgs &) {
                    QStringList plain;
                    for (const QString &a : o.m_args)
                        if (!a.startsWith(QLatin1Char('/'))) plain << a;
                    return Variant(static_cast<DispatchObject *>(new ArgumentsObject(plain)));
                })
                .property(QStringLiteral("_NewEnum"), DISPID_NEWENUM, {}, VarType::Object, [](ArgumentsObject &o, CallArgs &) {
                    QVector<Variant> items;
                    for (const QString &s : o.m_args) items.append(Variant(s));
                    return Variant(static_cast<DispatchObject *>(new ListEnumerator(items, &o)));
                });
            return t;
        }();
        return ti;
    }
    const TypeInfo *typeInfo() const override { return staticTypeInfo(); }
    QString className() const override { return QStringLiteral("IArguments2"); }
private:
    QStringList m_args;
};

} // namespace

WScriptObject::WScriptObject(const QString &path, const QStringList &args)
    : scriptPath(QFileInfo(path).absoluteFilePath()), arguments(args)
{
}

const TypeInfo *WScriptObject::staticTypeInfo()
{
    static TypeInfo *ti = [] {
        auto *t = new TypeInfo(QStringLiteral("IHost"), QUuid(), QStringLiteral("Windows Script Host"));
        QVector<ParamInfo> echoParams;
        for (int i = 0; i < 32; ++i) echoParams.append(ParamInfo(QStringLiteral("arg%1").arg(i), VarType::Variant, true));
        TypeBuilder<WScriptObject>(t)
            .property(QStringLiteral("Name"), DISPID_VALUE, {}, VarType::String, [](WScriptObject &, CallArgs &) { return Variant(QStringLiteral("Windows Script Host")); })
            .property(QStringLiteral("FullName"), 1, {}, VarType::String, [](WScriptObject &, CallArgs &) { return Variant(QCoreApplication::applicationFilePath()); })
            .property(QStringLiteral("Path"), 2, {}, VarType::String, [](WScriptObject &, CallArgs &) { return Variant(QCoreApplication::applicationDirPath()); })
            .property(QStringLiteral("Version"), 3, {}, VarType::String, [](WScriptObject &, CallArgs &) { return Variant(QStringLiteral("5.8")); })
            .property(QStringLiteral("Interactive"), 4, {}, VarType::Boolean, [](WScriptObject &, CallArgs &) { return Variant(false); })
            .property(QStringLiteral("ScriptName"), 5, {}, VarType::String, [](WScriptObject &w, CallArgs &) { return Variant(QFileInfo(w.scriptPath).fileName()); })
            .property(QStringLiteral("ScriptFullName"), 6, {}, VarType::String, [](WScriptObject &w, CallArgs &) { return Variant(w.scriptPath); })
            .property(QStringLiteral("Arguments"), 7, {}, VarType::Object, [](WScriptObject &w, CallArgs &) { return Variant(static_cast<DispatchObject *>(new ArgumentsObject(w.arguments))); })
            .property(QStringLiteral("StdIn"), 8, {}, VarType::Object, [](WScriptObject &, CallArgs &) { return Variant(static_cast<DispatchObject *>(new StdStream(0))); })
            .property(QStringLiteral("StdOut"), 9, {}, VarType::Object, [](WScriptObject &, CallArgs &) { return Variant(static_cast<DispatchObject *>(new StdStream(1))); })
            .property(QStringLiteral("StdErr"), 10, {}, VarType::Object, [](WScriptObject &, CallArgs &) { return Variant(static_cast<DispatchObject *>(new StdStream(2))); })
            .method(QStringLiteral("Echo"), 11, echoParams, VarType::Empty, [](WScriptObject &, CallArgs &a) {
                QStringList parts;
                for (int i = 0; i < a.count(); ++i) {
                    if (a[i].isMissing()) continue;
                    parts << (a[i].isNull() ? QStringLiteral("Null") : a[i].toString());
                }
                writeOut(stdout, parts.join(QLatin1Char(' ')) + QLatin1Char('\n'));
                return Variant();
            })
            .method(QStringLiteral("Quit"), 12, {ParamInfo(QStringLiteral("ExitCode"), VarType::Long, true, Variant(0))}, VarType::Empty,
                    [](WScriptObject &w, CallArgs &a) {
                        w.exitCode = a[0].toLong();
                        w.quitting = true;
                        if (w.engine) w.engine->interrupt();
                        return Variant();
                    })
            .method(QStringLiteral("Sleep"), 13, {ParamInfo(QStringLiteral("Time"), VarType::Long)}, VarType::Empty,
                    [](WScriptObject &, CallArgs &a) { QThread::msleep(std::max(0, int(a[0].toLong()))); return Variant(); })
            .method(QStringLiteral("CreateObject"), 14, {ParamInfo(QStringLiteral("ProgID"), VarType::String), ParamInfo(QStringLiteral("Prefix"), VarType::String, true)}, VarType::Object,
                    [](WScriptObject &, CallArgs &a) { return Variant(ClassRegistry::instance().create(a[0].toString())); });
        return t;
    }();
    return ti;
}
