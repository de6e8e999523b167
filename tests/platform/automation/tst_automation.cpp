// Variants (coercions, JSON and QVariant boundaries), dispatch by declaration,
// collections and enumerators, Dictionary, FileSystemObject files, type libraries.
#include "platform/automation/ClassRegistry.h"
#include "platform/automation/Dictionary.h"
#include "platform/automation/FileSystemObject.h"
#include "platform/automation/TypeLibrary.h"
#include "platform/automation/VariantOps.h"
#include "platform/core/CodePage.h"
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>
#include <stdexcept>

using namespace vorn;
Q_DECLARE_METATYPE(vorn::Variant)
Q_DECLARE_METATYPE(vorn::VarType)

namespace {

class Sample : public DispatchObject
{
public:
    QString name = QStringLiteral("start");
    static const TypeInfo *staticTypeInfo()
    {
        static TypeInfo *ti = [] {
            auto *t = new TypeInfo(QStringLiteral("ISample"));
            TypeBuilder<Sample>(t)
                .property(QStringLiteral("Name"), DISPID_VALUE, {}, VarType::String,
                          [](Sample &s, CallArgs &) { return Variant(s.name); },
                          [](Sample &s, CallArgs &a) { s.name = a[0].toString(); return Variant(); })
                .property(QStringLiteral("ReadOnly"), 1, {}, VarType::Long, [](Sample &, CallArgs &) { return Variant(7); })
                .method(QStringLiteral("Join"), 2, {ParamInfo(QStringLiteral("A"), VarType::String), ParamInfo(QStringLiteral("Sep"), VarType::String, true, Variant(QStringLiteral("-"))),
                                                    ParamInfo(QStringLiteral("B"), VarType::Variant, true)},
                        VarType::String, [](Sample &, CallArgs &a) {
                            return Variant(a[0].toString() + a[1].toString() + (a[2].isMissing() ? QStringLiteral("?") : a[2].toString()));
                        })
                .method(QStringLiteral("Boom"), 3, {}, VarType::Empty, [](Sample &, CallArgs &) -> Variant { throw std::runtime_error("Invalid index value"); });
            return t;
        }();
        return ti;
    }
    const TypeInfo *typeInfo() const override { return staticTypeInfo(); }
};

int errorOf(const std::function<void()> &f)
{
    try { f(); } catch (const AutomationError &e) { return e.number(); }
    return 0;
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

} // namespace

class TstAutomation : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void coercions_data();
    void coercions();
    void jsonRoundTrip_data();
    void jsonRoundTrip();
    void qvariantBoundary();
    void safeArrayBounds();
    void dispatch();
    void collectionIndex_data();
    void collectionIndex();
    void enumerators();
    void dictionary();
    void textFiles_data();
    void textFiles();
    void fileOperations();
    void pathFunctions_data();
    void pathFunctions();
    void typeLibraryFile();
    void classRegistry();
};

void TstAutomation::coercions_data()
{
    QTest::addColumn<Variant>("input");
    QTest::addColumn<VarType>("target");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");   // result as CStr shows it, or "#n" for error n
    QTest::newRow("ru decimal comma") << Variant(QStringLiteral("1,5")) << VarType::Double << "ru_RU" << "1,5";
    QTest::newRow("ru rejects point") << Variant(QStringLiteral("1.5")) << VarType::Double << "ru_RU" << "#13";
    QTest::newRow("en point") << Variant(QStringLiteral("1.5")) << VarType::Double << "en_US" << "1.5";
    QTest::newRow("bankers 2.5") << Variant(2.5) << VarType::Integer << "ru_RU" << "2";
    QTest::newRow("bankers 3.5") << Variant(3.5) << VarType::Integer << "ru_RU" << "4";
    QTest::newRow("bankers -2.5") << Variant(-2.5) << VarType::Long << "ru_RU" << "-2";
    QTest::newRow("integer overflow") << Variant(40000) << VarType::Integer << "ru_RU" << "#6";
    QTest::newRow("byte range") << Variant(-1) << VarType::Byte << "ru_RU" << "#6";
    QTest::newRow("string to boolean") << Variant(QStringLiteral("True")) << VarType::Boolean << "ru_RU" << "True";
    QTest::newRow("not a number") << Variant(QStringLiteral("abc")) << VarType::Long << "ru_RU" << "#13";
    QTest::newRow("null to long") << Variant::null() << VarType::Long << "ru_RU" << "#94";
    QTest::newRow("empty to string") << Variant() << VarType::String << "ru_RU" << "";
    QTest::newRow("currency rounds to 4") << Variant(1.23456) << VarType::Currency << "ru_RU" << "1,2346";
    QTest::newRow("currency bankers") << Variant(0.00025) << VarType::Currency << "en_US" << "0.0002";
    QTest::newRow("ru date text") << Variant(QStringLiteral("29.02.2024")) << VarType::Date << "ru_RU" << "29.02.2024";
    QTest::newRow("en date text") << Variant(QStringLiteral("2/29/2024 1:05:00 PM")) << VarType::Date << "en_US" << "2/29/2024 1:05:00 PM";
    QTest::newRow("number to date") << Variant(45351.5) << VarType::Date << "ru_RU" << "29.02.2024 12:00:00";
    QTest::newRow("time only") << Variant(0.75) << VarType::Date << "ru_RU" << "18:00:00";
    QTest::newRow("before epoch") << Variant(-1.25) << VarType::Date << "ru_RU" << "29.12.1899 6:00:00";
    QTest::newRow("hex string") << Variant(QStringLiteral("&HFF")) << VarType::Long << "ru_RU" << "255";
    QTest::newRow("true is -1") << Variant(true) << VarType::Long << "ru_RU" << "-1";
    QTest::newRow("big double text") << Variant(1e20) << VarType::String << "ru_RU" << "1E+20";
    QTest::newRow("small double text") << Variant(0.00001) << VarType::String << "en_US" << "0.00001";
    QTest::newRow("fifteen digits") << Variant(0.1 + 0.2) << VarType::String << "en_US" << "0.3";
    QTest::newRow("single digits") << Variant::single(1.1f) << VarType::String << "en_US" << "1.1";
}

void TstAutomation::coercions()
{
    QFETCH(Variant, input);
    QFETCH(VarType, target);
    QFETCH(QString, locale);
    QFETCH(QString, text);
    setScriptLocale(QLocale(locale));
    QString got;
    try {
        Variant r = input.convertTo(target);
        QCOMPARE(r.type(), target);
        got = r.toString();
    } catch (const AutomationError &e) {
        got = QStringLiteral("#%1").arg(e.number());
    }
    QCOMPARE(got, text);
}

void TstAutomation::jsonRoundTrip_data()
{
    QTest::addColumn<Variant>("value");
    QTest::newRow("empty") << Variant();
    QTest::newRow("null") << Variant::null();
    QTest::newRow("integer") << Variant::integer(-5);
    QTest::newRow("long") << Variant(123456);
    QTest::newRow("byte") << Variant::byte(200);
    QTest::newRow("double") << Variant(2.75);
    QTest::newRow("currency") << Variant::currency(Currency{123456789});
    QTest::newRow("date") << Variant::date(automationdate::fromParts(2024, 2, 29, 13, 5, 7));
    QTest::newRow("string") << Variant(QStringLiteral("Привет"));
    QTest::newRow("boolean") << Variant(true);
    QTest::newRow("missing") << Variant::missing();
    auto *a = new SafeArray({{1, 2}, {0, 3}});
    for (int i = 0; i < a->count(); ++i) a->at(i) = Variant(i * 10);
    QTest::newRow("2-d array with lower bounds") << Variant::array(a);
    QTest::newRow("vector") << makeArray({Variant(1), Variant(QStringLiteral("x"))});
}

void TstAutomation::jsonRoundTrip()
{
    QFETCH(Variant, value);
    QByteArray wire = QJsonDocument(QJsonArray{value.toJson()}).toJson(QJsonDocument::Compact);
    Variant back = Variant::fromJson(QJsonDocument::fromJson(wire).array().at(0));
    QCOMPARE(back.type(), value.type());
    if (value.isArray()) {
        QCOMPARE(back.rawArray()->dimensions(), value.rawArray()->dimensions());
        for (int d = 0; d < value.rawArray()->dimensions(); ++d) {
            QCOMPARE(back.rawArray()->lowerBound(d), value.rawArray()->lowerBound(d));
            QCOMPARE(back.rawArray()->upperBound(d), value.rawArray()->upperBound(d));
        }
        for (int i = 0; i < value.rawArray()->count(); ++i)
            QVERIFY(ops::keysEqual(back.rawArray()->at(i), value.rawArray()->at(i), false));
    } else if (!value.isEmpty() && !value.isNull() && value.type() != VarType::Error) {
        QVERIFY(ops::compare(back, value) == 0);
    } else if (value.type() == VarType::Error) {
        QVERIFY(back.isMissing());
    }
}

void TstAutomation::qvariantBoundary()
{
    QCOMPARE(Variant::fromQVariant(QVariant()).type(), VarType::Empty);
    QCOMPARE(Variant::fromQVariant(QVariant(QMetaType(QMetaType::Int))).type(), VarType::Null);
    Variant d = Variant::fromQVariant(QVariant(QDate(2024, 2, 29)));
    QCOMPARE(d.type(), VarType::Date);
    QCOMPARE(d.rawDouble(), 45351.0);
    QCOMPARE(d.toQVariant().toDateTime(), QDateTime(QDate(2024, 2, 29), QTime(0, 0)));
    Variant big = Variant::fromQVariant(QVariant(qlonglong(5000000000LL)));
    QCOMPARE(big.type(), VarType::Double);
    Variant bytes = Variant::fromQVariant(QVariant(QByteArray("\x01\xFF", 2)));
    QVERIFY(bytes.isArray());
    QCOMPARE(bytes.rawArray()->at(1).type(), VarType::Byte);
    QCOMPARE(bytes.rawArray()->at(1).rawInt(), 255);
    QCOMPARE(Variant::currency(Currency{15000}).toQVariant().toDouble(), 1.5);
    QCOMPARE(Variant(QStringLiteral("x")).toQVariant().toString(), QStringLiteral("x"));
    QVERIFY(Variant::null().toQVariant().isNull());
}

void TstAutomation::safeArrayBounds()
{
    SafeArray a({{1, 3}, {-2, 2}});   // (1 To 3, -2 To -1)
    QCOMPARE(a.count(), 6);
    int ix[2] = {3, -1};
    QCOMPARE(a.offset(ix, 2), 5);
    int bad[2] = {0, -1};
    QCOMPARE(a.offset(bad, 2), -1);
    a.at(5) = Variant(7);
    a.redimPreserve({{1, 3}, {-2, 4}});
    QCOMPARE(a.at(5).toLong(), 7);
    QCOMPARE(a.upperBound(1), 1);
    QCOMPARE(errorOf([&] { a.redimPreserve({{1, 2}, {-2, 4}}); }), 9);
    // value semantics: writing through a copy detaches it
    Variant v = makeArray({Variant(1)});
    Variant w = v;
    w.arrayForWrite()->at(0) = Variant(2);
    QCOMPARE(v.rawArray()->at(0).toLong(), 1);
}

void TstAutomation::dispatch()
{
    ObjectPtr<Sample> s(new Sample);
    QCOMPARE(s->memberId(QStringLiteral("join")), 2);
    QCOMPARE(s->memberId(QStringLiteral("JOIN")), 2);
    QCOMPARE(s->memberId(QStringLiteral("nothing")), DISPID_UNKNOWN);
    QCOMPARE(s->call(QStringLiteral("Join"), {Variant(QStringLiteral("a"))}).toString(), QStringLiteral("a-?"));
    QCOMPARE(s->call(QStringLiteral("Join"), {Variant(QStringLiteral("a")), Variant::missing(), Variant(1)}).toString(), QStringLiteral("a-1"));
    QCOMPARE(errorOf([&] { s->call(QStringLiteral("Join"), {}); }), 450);
    QCOMPARE(errorOf([&] { s->call(QStringLiteral("Join"), {Variant(1), Variant(2), Variant(3), Variant(4)}); }), 450);
    QCOMPARE(errorOf([&] { s->call(QStringLiteral("Nope")); }), 438);
    QCOMPARE(errorOf([&] { s->put(QStringLiteral("ReadOnly"), Variant(1)); }), 450);
    s->put(QStringLiteral("name"), Variant(QStringLiteral("new")));
    CallArgs none;
    QCOMPARE(s->invoke(DISPID_VALUE, InvokeGet, none).toString(), QStringLiteral("new"));
    try {
        s->call(QStringLiteral("Boom"));
        QFAIL("no error");
    } catch (const AutomationError &e) {
        QCOMPARE(e.number(), AutomationError::Unexpected);
        QCOMPARE(e.description(), QStringLiteral("Invalid index value"));
        QCOMPARE(e.source(), QStringLiteral("Sample"));
    }
    // reference counting: the last release deletes
    auto *o = new Sample;
    {
        Variant a(static_cast<DispatchObject *>(o));
        Variant b = a;
        QCOMPARE(o->refCount(), 2);
    }
}

void TstAutomation::collectionIndex_data()
{
    QTest::addColumn<Variant>("index");
    QTest::addColumn<QString>("result");
    QTest::newRow("first") << Variant(1) << "0";
    QTest::newRow("count is last") << Variant::integer(3) << "2";
    QTest::newRow("double") << Variant(2.0) << "1";
    QTest::newRow("zero") << Variant(0) << "Invalid index value";
    QTest::newRow("beyond") << Variant(4) << "Invalid index value";
    QTest::newRow("name") << Variant(QStringLiteral("b")) << "1";
    QTest::newRow("name case") << Variant(QStringLiteral("B")) << "Invalid index value";
    QTest::newRow("empty") << Variant() << "Invalid index type";
    QTest::newRow("date") << Variant::date(1) << "Invalid index type";
}

void TstAutomation::collectionIndex()
{
    QFETCH(Variant, index);
    QFETCH(QString, result);
    QVector<Variant> els{Variant(QStringLiteral("a")), Variant(QStringLiteral("b")), Variant(QStringLiteral("c"))};
    QString got;
    try {
        got = QString::number(collectionPosition(index, els, [&](int i) { return els[i].toString(); }));
    } catch (const AutomationError &e) {
        got = e.description();
    }
    QCOMPARE(got, result);
}

void TstAutomation::enumerators()
{
    ObjectPtr<Dictionary> d(new Dictionary);
    d->add(Variant(QStringLiteral("x")), Variant(1));
    d->add(Variant(QStringLiteral("y")), Variant(2));
    Variant dv(static_cast<DispatchObject *>(d.get()));
    ObjectPtr<Enumerator> e(enumeratorFor(dv));
    e->release();   // ObjectPtr took its own reference
    d->add(Variant(QStringLiteral("z")), Variant(3));   // made before: does not see it
    Variant v;
    QVERIFY(e->next(v));
    QCOMPARE(v.toString(), QStringLiteral("x"));
    ObjectPtr<Enumerator> c(e->clone());
    QVERIFY(e->next(v));
    QVERIFY(!e->next(v));
    QVERIFY(c->next(v));
    QCOMPARE(v.toString(), QStringLiteral("y"));
    e->reset();
    QVERIFY(!e->skip(5));
    QVERIFY(!e->next(v));
    QCOMPARE(errorOf([] { Variant n(5); Enumerator *x = enumeratorFor(n); x->release(); }), 451);
}

void TstAutomation::dictionary()
{
    ObjectPtr<Dictionary> d(new Dictionary);
    d->add(Variant(2), Variant(QStringLiteral("two")));
    d->add(Variant(QStringLiteral("a")), Variant(QStringLiteral("A")));
    d->add(Variant::integer(3), Variant(3));
    QVERIFY(d->exists(Variant(2.0)));   // numeric keys compare by value
    QVERIFY(!d->exists(Variant(QStringLiteral("2"))));
    QCOMPARE(errorOf([&] { d->add(Variant(QStringLiteral("a")), Variant()); }), 457);
    QCOMPARE(errorOf([&] { d->remove(Variant(QStringLiteral("zz"))); }), 32811);
    d->rename(Variant(QStringLiteral("a")), Variant(QStringLiteral("b")));
    d->remove(Variant(2));
    QCOMPARE(d->keys().size(), 2);
    QCOMPARE(d->keys()[0].toString(), QStringLiteral("b"));
    QCOMPARE(d->items()[1].toLong(), 3);
    QCOMPARE(errorOf([&] { d->setCompareMode(1); }), 5);
    d->removeAll();
    d->setCompareMode(1);
    d->add(Variant(QStringLiteral("Ключ")), Variant(1));
    QVERIFY(d->exists(Variant(QStringLiteral("КЛЮЧ"))));
    QCOMPARE(d->get(QStringLiteral("count")).toLong(), 1);
}

void TstAutomation::textFiles_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ANSI is CP1251") << 0 << QByteArray("\xcf\xf0\xe8\xe2\xe5\xf2\r\nline 2\r\n");
    QTest::newRow("system default is ANSI") << -2 << QByteArray("\xcf\xf0\xe8\xe2\xe5\xf2\r\nline 2\r\n");
    QTest::newRow("Unicode") << -1 << (QByteArray("\xff\xfe") + QByteArray(reinterpret_cast<const char *>(u"Привет\r\nline 2\r\n"), 32));
}

void TstAutomation::textFiles()
{
    QFETCH(int, format);
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.txt"));
    {
        ObjectPtr<TextStream> w(new TextStream(path, TextStream::ForWriting, true, format));
        w->writeLine(QStringLiteral("Привет"));
        w->write(QStringLiteral("line"));
        w->close();
        ObjectPtr<TextStream> a(new TextStream(path, TextStream::ForAppending, false, format));
        a->writeLine(QStringLiteral(" 2"));
    }
    QCOMPARE(readBytes(path), bytes);
    ObjectPtr<TextStream> r(new TextStream(path, TextStream::ForReading, false, format));
    QCOMPARE(r->line(), 1);
    QCOMPARE(r->read(3), QStringLiteral("При"));
    QCOMPARE(r->readLine(), QStringLiteral("вет"));
    QCOMPARE(r->line(), 2);
    QVERIFY(!r->atEndOfStream());
    QCOMPARE(r->readAll(), QStringLiteral("line 2\r\n"));
    QVERIFY(r->atEndOfStream());
    QCOMPARE(errorOf([&] { r->readLine(); }), 62);
    QCOMPARE(errorOf([&] { r->write(QStringLiteral("x")); }), 54);
    QCOMPARE(errorOf([&] { TextStream t(path, TextStream::ForWriting, true, 0, false); }), 58);
    QCOMPARE(errorOf([&] { TextStream t(dir.filePath(QStringLiteral("none.txt")), TextStream::ForReading, false, 0); }), 53);
}

void TstAutomation::fileOperations()
{
    QTemporaryDir dir;
    ObjectPtr<FileSystemObject> fso(new FileSystemObject);
    const QString base = dir.path();
    for (const char *n : {"a.txt", "b.txt", "c.csv"}) {
        QFile f(base + QLatin1Char('/') + QLatin1String(n));
        f.open(QIODevice::WriteOnly);
        f.write("12345");
    }
    // a Windows-style path with backslashes works too
    QString winStyle = base + QStringLiteral("\\sub");
    fso->call(QStringLiteral("CreateFolder"), {Variant(winStyle)});
    QVERIFY(QFileInfo(base + QStringLiteral("/sub")).isDir());
    Variant folder = fso->call(QStringLiteral("GetFolder"), {Variant(base)});
    Variant files = folder.rawObject()->get(QStringLiteral("Files"));
    QCOMPARE(files.rawObject()->get(QStringLiteral("Count")).toLong(), 3);
    QStringList names;
    ObjectPtr<Enumerator> e(enumeratorFor(files));
    e->release();
    Variant f;
    while (e->next(f)) names << f.rawObject()->get(QStringLiteral("Name")).toString() + QLatin1Char(':') + f.rawObject()->get(QStringLiteral("Size")).toString();
    QCOMPARE(names, (QStringList{"a.txt:5", "b.txt:5", "c.csv:5"}));
    QCOMPARE(folder.rawObject()->get(QStringLiteral("SubFolders")).rawObject()->get(QStringLiteral("Count")).toLong(), 1);
    fso->call(QStringLiteral("CopyFile"), {Variant(base + QStringLiteral("/*.txt")), Variant(base + QStringLiteral("/sub/"))});
    QVERIFY(QFile::exists(base + QStringLiteral("/sub/b.txt")));
    QCOMPARE(errorOf([&] { fso->call(QStringLiteral("CopyFile"), {Variant(base + QStringLiteral("/a.txt")), Variant(base + QStringLiteral("/sub/a.txt")), Variant(false)}); }), 58);
    fso->call(QStringLiteral("MoveFile"), {Variant(base + QStringLiteral("/c.csv")), Variant(base + QStringLiteral("/sub/d.csv"))});
    QVERIFY(!QFile::exists(base + QStringLiteral("/c.csv")));
    QVERIFY(QFile::exists(base + QStringLiteral("/sub/d.csv")));
    fso->call(QStringLiteral("DeleteFile"), {Variant(base + QStringLiteral("/*.txt"))});
    QVERIFY(!fso->call(QStringLiteral("FileExists"), {Variant(base + QStringLiteral("/a.txt"))}).toBool());
    QCOMPARE(errorOf([&] { fso->call(QStringLiteral("DeleteFile"), {Variant(base + QStringLiteral("/a.txt"))}); }), 53);
    QCOMPARE(errorOf([&] { fso->call(QStringLiteral("GetFolder"), {Variant(base + QStringLiteral("/none"))}); }), 76);
    QVERIFY(fso->call(QStringLiteral("GetTempName")).toString().contains(QRegularExpression(QStringLiteral("^rad[0-9A-F]{5}\\.tmp$"))));
}

void TstAutomation::pathFunctions_data()
{
    QTest::addColumn<QString>("function");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("result");
    QTest::newRow("file name win") << "GetFileName" << "C:\\data\\import.txt" << "import.txt";
    QTest::newRow("file name trailing slash") << "GetFileName" << "/data/dir/" << "dir";
    QTest::newRow("base name") << "GetBaseName" << "/data/archive.tar.gz" << "archive.tar";
    QTest::newRow("extension") << "GetExtensionName" << "C:\\data\\Report.XLS" << "XLS";
    QTest::newRow("no extension") << "GetExtensionName" << "/data/README" << "";
    QTest::newRow("parent") << "GetParentFolderName" << "C:\\data\\import.txt" << "C:\\data";
    QTest::newRow("parent of root file") << "GetParentFolderName" << "/file" << "/";
    QTest::newRow("no parent") << "GetParentFolderName" << "file" << "";
}

void TstAutomation::pathFunctions()
{
    QFETCH(QString, function);
    QFETCH(QString, path);
    QFETCH(QString, result);
    ObjectPtr<FileSystemObject> fso(new FileSystemObject);
    QCOMPARE(fso->call(function, {Variant(path)}).toString(), result);
    QCOMPARE(fso->call(QStringLiteral("BuildPath"), {Variant(QStringLiteral("C:\\data")), Variant(QStringLiteral("x.txt"))}).toString(), QStringLiteral("C:\\data\\x.txt"));
    QCOMPARE(fso->call(QStringLiteral("BuildPath"), {Variant(QStringLiteral("/data/")), Variant(QStringLiteral("x.txt"))}).toString(), QStringLiteral("/data/x.txt"));
}

void TstAutomation::typeLibraryFile()
{
    QTemporaryDir dir;
    TypeLibrary lib;
    lib.name = QStringLiteral("Внутренние объекты");
    lib.id = QUuid(QStringLiteral("{93307748-0A1E-11D3-992E-00C0DFE97D5A}"));
    lib.enums = {{QStringLiteral("TDest"), QStringLiteral("destinations"), {{QStringLiteral("dsPreview"), 0, {}}, {QStringLiteral("dsPrinter"), 1, {}}}}};
    lib.interfaces = {std::shared_ptr<const TypeInfo>(Sample::staticTypeInfo(), [](const TypeInfo *) {})};
    lib.classes = {{QStringLiteral("Sample"), QUuid::createUuid(), QStringLiteral("Vorn.Sample"), true, QStringLiteral("ISample"), QString()}};
    const QString path = dir.filePath(QStringLiteral("vorn.vtl.json"));
    QVERIFY(lib.save(path));
    QCOMPARE(TypeLibraryRegistry::instance().scanDirectory(dir.path()), 1);
    auto back = TypeLibraryRegistry::instance().find(lib.id, 1, 0);
    QVERIFY(back);
    QCOMPARE(back->name, lib.name);
    QCOMPARE(back->allConstants().size(), 2);
    QCOMPARE(back->allConstants()[1].name, QStringLiteral("dsPrinter"));
    const TypeInfo *ti = back->findInterface(QStringLiteral("isample"));
    QVERIFY(ti);
    const MemberInfo *join = ti->member(2);
    QVERIFY(join);
    QCOMPARE(join->params.size(), 3);
    QVERIFY(join->params[1].optional);
    QCOMPARE(join->params[1].defaultValue.toString(), QStringLiteral("-"));
    QCOMPARE(ti->findName(QStringLiteral("NAME")), DISPID_VALUE);
    QCOMPARE(back->classes[0].progId, QStringLiteral("Vorn.Sample"));
    QVERIFY(TypeLibraryRegistry::instance().find(TypeLibraryRegistry::scriptingRuntimeId(), 1, 0));
}

void TstAutomation::classRegistry()
{
    auto &r = ClassRegistry::instance();
    QVERIFY(r.contains(QStringLiteral(" scripting.dictionary ")));
    ObjectPtr<DispatchObject> d(r.create(QStringLiteral("SCRIPTING.DICTIONARY")));
    QCOMPARE(d->className(), QStringLiteral("Dictionary"));
    QCOMPARE(errorOf([&] { r.create(QStringLiteral("Excel.Application")); }), 429);
    r.registerClass(QStringLiteral("Vorn.Sample"), [] { return new Sample; });
    ObjectPtr<DispatchObject> s(r.create(QStringLiteral("vorn.sample")));
    QCOMPARE(s->get(QStringLiteral("ReadOnly")).toLong(), 7);
    r.unregisterClass(QStringLiteral("Vorn.Sample"));
}

QTEST_GUILESS_MAIN(TstAutomation)
#include "tst_automation.moc"
