// The engine layer (registry, named items, type libraries, errors, interrupt),
// one test dispatch object driven from VBScript and from JScript, and the
// vornscript command-line host.
#include "ScriptTestSite.h"
#include "platform/automation/TypeLibrary.h"
#include "platform/automation/VariantOps.h"
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <stdexcept>
#include <thread>

using namespace vorn;
using namespace vorn::script;

namespace {

class ProbeItems : public DispatchObject
{
public:
    QVector<Variant> items{Variant(QStringLiteral("a")), Variant(QStringLiteral("b")), Variant(QStringLiteral("c"))};
    static const TypeInfo *staticTypeInfo()
    {
        static TypeInfo *ti = [] {
            auto *t = new TypeInfo(QStringLiteral("IProbeItems"));
            TypeBuilder<ProbeItems>(t)
                .property(QStringLiteral("Item"), DISPID_VALUE, {ParamInfo(QStringLiteral("Index"))}, VarType::Variant,
                          [](ProbeItems &c, CallArgs &a) {
                              int pos = collectionPosition(a[0], c.items, [&](int i) { return c.items[i].toString(); });
                              return c.items[pos];
                          })
                .property(QStringLiteral("Count"), 1, {}, VarType::Long, [](ProbeItems &c, CallArgs &) { return Variant(int(c.items.size())); })
                .property(QStringLiteral("_NewEnum"), DISPID_NEWENUM, {}, VarType::Object,
                          [](ProbeItems &c, CallArgs &) { return Variant(static_cast<DispatchObject *>(new ListEnumerator(c.items, &c))); });
            return t;
        }();
        return ti;
    }
    const TypeInfo *typeInfo() const override { return staticTypeInfo(); }
};

// The object both engines drive.
class Probe : public DispatchObject
{
public:
    int value = 0;
    static const TypeInfo *staticTypeInfo()
    {
        static TypeInfo *ti = [] {
            auto *t = new TypeInfo(QStringLiteral("IProbe"));
            TypeBuilder<Probe>(t)
                .property(QStringLiteral("Value"), DISPID_VALUE, {}, VarType::Long,
                          [](Probe &p, CallArgs &) { return Variant(p.value); },
                          [](Probe &p, CallArgs &a) { p.value = a[0].toLong(); return Variant(); })
                .method(QStringLiteral("Add"), 1, {ParamInfo(QStringLiteral("N"), VarType::Long), ParamInfo(QStringLiteral("Times"), VarType::Long, true, Variant(1))},
                        VarType::Long, [](Probe &p, CallArgs &a) { p.value += a[0].toLong() * a[1].toLong(); return Variant(p.value); })
                .property(QStringLiteral("Items"), 2, {}, VarType::Object, [](Probe &, CallArgs &) { return Variant(static_cast<DispatchObject *>(new ProbeItems)); })
                .method(QStringLiteral("Kind"), 3, {ParamInfo(QStringLiteral("X"), VarType::Variant, true)}, VarType::String,
                        [](Probe &, CallArgs &a) { return Variant(a[0].isMissing() ? QStringLiteral("missing") : a[0].typeName()); })
                .method(QStringLiteral("Fail"), 4, {ParamInfo(QStringLiteral("Message"), VarType::String)}, VarType::Empty,
                        [](Probe &, CallArgs &a) -> Variant { throw std::runtime_error(a[0].toString().toStdString()); })
                .method(QStringLiteral("Swap"), 5, {ParamInfo(QStringLiteral("A"), VarType::Variant, false, Variant(), true), ParamInfo(QStringLiteral("B"), VarType::Variant, false, Variant(), true)},
                        VarType::Empty, [](Probe &, CallArgs &a) {
                            Variant t = a[0];
                            a[0] = a[1];
                            a[1] = t;
                            return Variant();
                        });
            return t;
        }();
        return ti;
    }
    const TypeInfo *typeInfo() const override { return staticTypeInfo(); }
};

} // namespace

class TstScriptEngines : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void registryNames_data();
    void registryNames();
    void crossEngine_data();
    void crossEngine();
    void byRefArguments();
    void typeLibraryConstants_data();
    void typeLibraryConstants();
    void errorPositions_data();
    void errorPositions();
    void parseOrderAndEvaluate();
    void localeIsPerEngine();
    void jscriptLoops_data();
    void jscriptLoops();
    void interrupt_data();
    void interrupt();
    void host_data();
    void host();
    void hostUnderCLocale();
    void regexpGiveUpIsAnError_data();
    void regexpGiveUpIsAnError();
};

void TstScriptEngines::registryNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("engine");
    QTest::newRow("exact") << "VBScript" << "VBScript";
    QTest::newRow("blanks and case") << "  vbscript\t\r\n" << "VBScript";
    QTest::newRow("jscript") << "JSCRIPT " << "JScript";
    QTest::newRow("unknown") << "PerlScript" << "";
}

void TstScriptEngines::registryNames()
{
    QFETCH(QString, name);
    QFETCH(QString, engine);
    auto e = ScriptEngineRegistry::instance().create(name);
    QCOMPARE(e ? e->name() : QString(), engine);
}

void TstScriptEngines::crossEngine_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("first");
    QTest::addColumn<int>("errorLine");
    // VBScript hands Echo the object itself, which reads its default value after the
    // other arguments ran; JScript's Probe() reads it first
    QTest::newRow("VBScript") << "VBScript"
                              << "Probe.Value = 5\n"
                                 "Echo Probe, Probe.value, Probe.add(2), Probe.ADD(1, 10), Probe.Value\n"
                                 "Echo Probe.Items.Count, Probe.Items(1), Probe.Items.Item(3), Probe.Items(\"b\")\n"
                                 "For Each x In Probe.Items : s = s & x : Next : Echo s\n"
                                 "Echo Probe.Kind(), Probe.Kind(100000), Probe.Kind(\"s\")\n"
                                 "On Error Resume Next\nProbe.Fail \"плохо\"\nEcho Err.Number, Err.Description\n"
                                 "x = Probe.Items(0)\nEcho Err.Description\nOn Error GoTo 0\n"
                                 "Probe.Nope\n" << "17" << 11;
    QTest::newRow("JScript") << "JScript"
                             << "Probe.Value = 5;\n"
                                "Echo(Probe(), Probe.value, Probe.add(2), Probe.ADD(1, 10), Probe.Value);\n"
                                "Echo(Probe.Items.Count, Probe.Items(1), Probe.Items.Item(3), Probe.Items('b'));\n"
                                "var s = ''; for (var e = new Enumerator(Probe.Items); !e.atEnd(); e.moveNext()) s += e.item(); Echo(s);\n"
                                "Echo(Probe.Kind(), Probe.Kind(100000), Probe.Kind('s'));\n"
                                "try { Probe.Fail('плохо'); } catch (ex) { Echo(ex.number, ex.description); }\n"
                                "try { var x = Probe.Items(0); } catch (ex) { Echo(ex.description); }\n"
                                "Probe.Nope();\n" << "5" << 7;
}

void TstScriptEngines::crossEngine()
{
    QFETCH(QString, engine);
    QFETCH(QString, script);
    QFETCH(QString, first);
    QFETCH(int, errorLine);
    TestSite site;
    site.extra.insert(QStringLiteral("Probe"), ObjectPtr<DispatchObject>(new Probe));
    auto e = runScript(engine, script, site, {QStringLiteral("Probe")});
    QCOMPARE(site.output(), first + QStringLiteral(" 5 7 17 17\n3 a c b\nabc\nmissing Long String\n-2147418113 плохо\nInvalid index value"));
    QCOMPARE(site.errors.size(), 1);   // the missing member ends the script
    QCOMPARE(site.errors[0].line, errorLine);
}

void TstScriptEngines::byRefArguments()
{
    TestSite site;
    site.extra.insert(QStringLiteral("Probe"), ObjectPtr<DispatchObject>(new Probe));
    auto e = runScript(QStringLiteral("VBScript"), QStringLiteral("a = 1 : b = \"two\" : Probe.Swap a, b : Echo a, b, TypeName(b)\n"
                                                                  "Probe.Swap (a), b : Echo a, b"), site, {QStringLiteral("Probe")});
    QVERIFY(site.errors.isEmpty());
    QCOMPARE(site.output(), QStringLiteral("two 1 Integer\ntwo two"));
}

void TstScriptEngines::typeLibraryConstants_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("script");
    QTest::newRow("VBScript") << "VBScript" << "Echo ForAppending, TristateTrue, TextCompare";
    QTest::newRow("JScript") << "JScript" << "Echo(ForAppending, TristateTrue, TextCompare);";
}

void TstScriptEngines::typeLibraryConstants()
{
    QFETCH(QString, engine);
    QFETCH(QString, script);
    TestSite site;
    auto e = ScriptEngineRegistry::instance().create(engine);
    e->setSite(&site);
    e->initNew();
    e->addNamedItem(QStringLiteral("Host"), ItemIsVisible | ItemGlobalMembers);
    QVERIFY(e->addTypeLib(TypeLibraryRegistry::scriptingRuntimeId(), 1, 0));
    QVERIFY(!e->addTypeLib(QUuid::createUuid(), 1, 0));
    QVERIFY(e->parseScriptText(script));
    QVERIFY(e->run());
    QCOMPARE(site.output(), QStringLiteral("8 -1 1"));
    QCOMPARE(site.askedFor, QStringList{QStringLiteral("Host")});
}

void TstScriptEngines::errorPositions_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("line");
    QTest::addColumn<bool>("syntax");
    QTest::addColumn<QString>("sourceLine");
    QTest::newRow("vbs runtime") << "VBScript" << "x = 1\n  y = x / 0" << 1 << false << "  y = x / 0";
    QTest::newRow("vbs syntax") << "VBScript" << "x = 1\nIf x\n" << 1 << true << "If x";
    QTest::newRow("js runtime") << "JScript" << "var a = 1;\nnull.foo();" << 1 << false << "null.foo();";
    QTest::newRow("js syntax") << "JScript" << "var a = 1;\nvar = ;" << 1 << true << "var = ;";
}

void TstScriptEngines::errorPositions()
{
    QFETCH(QString, engine);
    QFETCH(QString, script);
    QFETCH(int, line);
    QFETCH(bool, syntax);
    QFETCH(QString, sourceLine);
    TestSite site;
    auto e = runScript(engine, script, site);
    QCOMPARE(site.errors.size(), 1);
    QCOMPARE(site.errors[0].line, line);
    QCOMPARE(site.errors[0].syntax, syntax);
    QCOMPARE(site.errors[0].sourceLine, sourceLine);
    QVERIFY(!site.errors[0].description.isEmpty());
}

void TstScriptEngines::regexpGiveUpIsAnError_data()
{
    // (a+)+b backtracks exponentially on the run of a's before it finds "ab" at the
    // end: a matcher that gives up must say so, never answer "no match".
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("output");
    QTest::newRow("VBScript") << "VBScript"
                              << "Set r = New RegExp : r.Pattern = \"(a+)+b\"\ns = String(40, \"a\") & \"c ab\"\n"
                                 "On Error Resume Next\nx = r.Test(s) : Echo Err.Number : Err.Clear\n"
                                 "Set m = r.Execute(s) : Echo Err.Number : Err.Clear\n"
                                 "r.Pattern = \"a(b)\" : Echo r.Test(s), r.Execute(s)(0).FirstIndex, r.Test(\"xyz\"), Err.Number"
                              << "28\n28\nTrue 42 False 0";
    QTest::newRow("JScript") << "JScript"
                             << "var s = Array(41).join('a') + 'c ab';\n"
                                "try { Echo(String(/(a+)+b/.test(s))); } catch (ex) { Echo(ex.number & 0xFFFF); }\n"
                                "try { Echo(String(/(a+)+b/g.exec(s))); } catch (ex) { Echo(ex.number & 0xFFFF); }\n"
                                "var g = /a(b)/g; Echo(String(/a(b)/.test(s)), /a(b)/.exec(s).index, String(/q/.test(s)), g.exec('xab')[1], String(g.exec('xab')));"
                             << "28\n28\ntrue 42 false b null";
}

void TstScriptEngines::regexpGiveUpIsAnError()
{
    QFETCH(QString, engine);
    QFETCH(QString, script);
    QFETCH(QString, output);
    TestSite site;
    auto e = runScript(engine, script, site);
    QVERIFY2(site.errors.isEmpty(), qPrintable(site.errors.isEmpty() ? QString() : site.errors[0].description));
    QCOMPARE(site.output(), output);
}

void TstScriptEngines::parseOrderAndEvaluate()
{
    for (const QString &engine : {QStringLiteral("VBScript"), QStringLiteral("JScript")}) {
        TestSite site;
        auto e = ScriptEngineRegistry::instance().create(engine);
        e->setSite(&site);
        e->initNew();
        e->addNamedItem(QStringLiteral("Host"), ItemIsVisible | ItemGlobalMembers);
        bool vbs = engine == QLatin1String("VBScript");
        QVERIFY(e->parseScriptText(vbs ? QStringLiteral("Echo \"first\" : n = 40") : QStringLiteral("Echo('first'); var n = 40;")));
        QVERIFY(e->parseScriptText(vbs ? QStringLiteral("Echo \"second\"") : QStringLiteral("Echo('second');")));
        QVERIFY(site.output().isEmpty());   // nothing runs before the engine is connected
        QVERIFY(e->run());
        QVERIFY(e->parseScriptText(vbs ? QStringLiteral("Echo \"third\"") : QStringLiteral("Echo('third');")));
        QCOMPARE(site.output(), QStringLiteral("first\nsecond\nthird"));
        bool ok = false;
        QCOMPARE(e->evaluate(QStringLiteral("n + 2"), &ok).toLong(), 42);
        QVERIFY(ok);
        e->close();
        QCOMPARE(e->state(), ScriptState::Closed);
    }
}

void TstScriptEngines::localeIsPerEngine()
{
    // the tests run with LANG=ru_RU.UTF-8: every engine starts from it
    TestSite first;
    auto a = runScript(QStringLiteral("VBScript"), QStringLiteral("SetLocale 1033 : Echo CStr(1.5)"), first);
    TestSite second;
    auto b = runScript(QStringLiteral("VBScript"), QStringLiteral("Echo CStr(1.5), GetLocale()"), second);
    QVERIFY(a->parseScriptText(QStringLiteral("Echo CStr(2.5), GetLocale()")));
    QCOMPARE(first.output(), QStringLiteral("1.5\n2.5 1033"));
    QCOMPARE(second.output(), QStringLiteral("1,5 1049"));
    QCOMPARE(scriptLocale().decimalPoint(), QStringLiteral(","));
}

// JScript's loops are given a stop check in their conditions: loops of every form, and
// loop words where they are no loops (strings, comments, regular expressions, templates,
// member names), keep their meaning and their lines.
void TstScriptEngines::jscriptLoops_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("output");
    QTest::newRow("while and do-while") << "var i = 0, n = 0; while (i < 5) i++; do n += 2; while (n < 7)\nEcho(i, n);" << "5 8";
    QTest::newRow("for forms") << "var s = 0; for (var i = 0; i < 4; i++) s += i; for (var j = 9; ; ) { if (j-- < 7) break; }\n"
                                  "for (var k in {a: 1, b: 2}) s += k; for (var c of [7, 8]) s += c; Echo(s, j);" << "6ab78 5";
    QTest::newRow("header with a function") << "var r = []; for (var f = function () { var a = 1; return a; }, i = f(); i < 3; i++) r.push(i);\n"
                                               "Echo(r.join(','));" << "1,2";
    QTest::newRow("loop words that are no loops")
        << "var o = {while: 1, for: 2}; var t = 'while (x) for (;;)'; /* for (;;) */ // while (true)\n"
           "var re = /while \\(t\\)/; var d = (10) / 2 / 1; var u = `${o.while + o.for} for (;;)`;\nEcho(t, re.test('while (t)'), d, u);"
        << "while (x) for (;;) True 5 3 for (;;)";
    QTest::newRow("nested with labels") << "var n = 0; outer: for (var i = 0; i < 3; i++) { for (var j = 0; j < 3; j++) { if (j == 1) continue outer; n++; } }\n"
                                           "Echo(n);" << "3";
    QTest::newRow("condition with comma") << "var i = 0, k = 0; while (k++, i < 3) i++; Echo(i, k);" << "3 4";
}

void TstScriptEngines::jscriptLoops()
{
    QFETCH(QString, script);
    QFETCH(QString, output);
    TestSite site;
    auto e = runScript(QStringLiteral("JScript"), script + QStringLiteral("\nnull.x;"), site);
    QCOMPARE(site.output(), output);
    QCOMPARE(site.errors.size(), 1);   // the line of a later error is where it was written
    QCOMPARE(site.errors[0].line, int(script.count(QLatin1Char('\n'))) + 1);
}

void TstScriptEngines::interrupt_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("script");
    QTest::newRow("VBScript") << "VBScript" << "Do\n  i = i + 1\nLoop";
    QTest::newRow("VBScript resume next") << "VBScript" << "On Error Resume Next\nDo\n  x = 1 / 0\nLoop";
    QTest::newRow("JScript") << "JScript" << "var i = 0; while (true) { i++; }";
    QTest::newRow("VBScript recursion") << "VBScript" << "Function G(n)\n  If n < 60 Then G = G(n + 1) + G(n + 1)\nEnd Function\nx = G(0)";
}

void TstScriptEngines::interrupt()
{
    QFETCH(QString, engine);
    QFETCH(QString, script);
    TestSite site;
    auto e = ScriptEngineRegistry::instance().create(engine);
    e->setSite(&site);
    e->initNew();
    QVERIFY(e->parseScriptText(script));
    ScriptEngine *raw = e.get();
    std::thread stopper([raw] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        raw->interrupt();
    });
    QVERIFY(!e->run());
    stopper.join();
    QCOMPARE(site.errors.size(), 1);
}

void TstScriptEngines::host_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::newRow("arguments and quit") << "s.vbs"
                                        << "WScript.Echo WScript.Arguments.Count, WScript.Arguments(0), WScript.ScriptName\n"
                                           "WScript.StdOut.WriteLine \"out\"\nWScript.Quit 3\nWScript.Echo \"not reached\""
                                        << QStringList{"a", "b c"} << 3 << "2 a s.vbs\nout\n" << "";
    QTest::newRow("named arguments") << "n.vbs"
                                     << "Set n = WScript.Arguments.Named\nWScript.Echo n.Exists(\"OUT\"), n(\"out\"), n.Exists(\"v\"), WScript.Arguments.Unnamed.Count, WScript.Arguments.Unnamed(0)"
                                     << QStringList{"/out:file.txt", "plain", "/v"} << 0 << "True file.txt True 1 plain\n" << "";
    QTest::newRow("runtime error") << "e.vbs" << "WScript.Echo 1\n  x = 1 / 0\nWScript.Echo 2" << QStringList() << 1 << "1\n"
                                   << "(2, 3) Ошибка выполнения Microsoft VBScript: Деление на ноль\n";
    QTest::newRow("syntax error") << "y.vbs" << "WScript.Echo 1\nx = (1" << QStringList() << 1 << ""
                                  << "(2, 7) Ошибка компиляции Microsoft VBScript: Предполагается наличие ')'\n";
    QTest::newRow("jscript by extension") << "j.js" << "WScript.Echo('js', 1 + 1); WScript.StdErr.Write('e');" << QStringList() << 0 << "js 2\n" << "e";
    QTest::newRow("files through fso") << "f.vbs"
                                       << "Set fso = CreateObject(\"Scripting.FileSystemObject\")\n"
                                          "p = fso.BuildPath(fso.GetParentFolderName(WScript.ScriptFullName), \"data.txt\")\n"
                                          "Set t = fso.CreateTextFile(p, True)\nt.WriteLine \"строка 1\" : t.Write \"строка 2\" : t.Close\n"
                                          "Set t = fso.OpenTextFile(p, 8) : t.WriteLine : t.WriteLine \"3\" : t.Close\n"
                                          "Set t = fso.OpenTextFile(p)\nDo Until t.AtEndOfStream : WScript.Echo t.Line & \": \" & t.ReadLine : Loop\n"
                                          "WScript.Echo fso.GetFile(p).Size, fso.GetBaseName(p), fso.FileExists(p)\n"
                                          "fso.DeleteFile p : WScript.Echo fso.FileExists(p)"
                                       << QStringList() << 0 << "1: строка 1\n2: строка 2\n3: 3\n23 data True\nFalse\n" << "";
}

void TstScriptEngines::host()
{
    QFETCH(QString, file);
    QFETCH(QString, text);
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QTemporaryDir dir;
    const QString path = dir.filePath(file);
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text.toUtf8());
    f.close();
    QProcess p;
    p.start(qEnvironmentVariable("VORN_BINARY_DIR") + QStringLiteral("/bin/vornscript"), QStringList{path} + args);
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), exitCode);
    QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()), out);
    QString errText = QString::fromUtf8(p.readAllStandardError());
    if (err.startsWith(QLatin1Char('('))) QCOMPARE(errText, path + err);
    else QCOMPARE(errText, err);
}

void TstScriptEngines::hostUnderCLocale()
{
    // A batch job under the machine's default LANG=C.UTF-8 reads numbers and dates
    // as the program does (ru_RU unless the workstation configures another locale).
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("l.vbs"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("WScript.Echo CDbl(\"1,5\") * 2, CStr(2.5)\n"
            "d = CDate(\"02.03.2024\")\nWScript.Echo Day(d), Month(d), Year(d)\n"
            "WScript.Echo GetLocale()\n");
    f.close();
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *v : {"LC_ALL", "LC_NUMERIC", "LC_TIME", "LANGUAGE"})
        env.remove(QString::fromLatin1(v));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    p.setProcessEnvironment(env);
    p.start(qEnvironmentVariable("VORN_BINARY_DIR") + QStringLiteral("/bin/vornscript"), QStringList{path});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(QString::fromUtf8(p.readAllStandardError()), QString());
    QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()), QStringLiteral("3 2,5\n2 3 2024\n1049\n"));
}

QTEST_GUILESS_MAIN(TstScriptEngines)
#include "tst_scriptengines.moc"
