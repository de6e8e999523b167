// VBScript conformance as tables: script text -> output lines, or -> error
// number and zero-based position, with Russian descriptions.
#include "ScriptTestSite.h"
#include "platform/script/vbscript/VBScriptEngine.h"
#include <QtTest>

using namespace vorn;

class TstVBScript : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void output_data();
    void output();
    void errors_data();
    void errors();
    void descriptions_data();
    void descriptions();
    void terminateOrder();
};

static QString lines(std::initializer_list<const char *> l)
{
    QStringList out;
    for (const char *s : l) out << QString::fromUtf8(s);
    return out.join(QLatin1Char('\n'));
}

void TstVBScript::output_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("expected");
    auto row = [](const char *name, const char *script, const char *expected) {
        QTest::newRow(name) << QString::fromUtf8(script) << QString::fromUtf8(expected);
    };
    row("literal subtypes", "Echo TypeName(1), TypeName(32768), TypeName(1.5), TypeName(2147483648), TypeName(&HFFFF), &HFFFF",
        "Integer Long Double Double Integer -1");
    row("integer overflow widens", "a = 32767 : a = a + 1 : Echo TypeName(a), a : b = 2147483647 : b = b + 1 : Echo TypeName(b)",
        "Long 32768\nDouble");
    row("plus and ampersand", "Echo \"2\" + 3, \"2\" & 3, \"a\" + \"b\", 1 & Null, TypeName(\"2\" + 3)", "5 23 ab 1 Double");
    row("literal comparison reads the string", "x = \"10\" : Echo x = 10, x > 9, x = \"10\"", "True True True");
    row("variable number below string", "a = \"10\" : b = 9 : Echo a > b, b < a, Empty = 0, Empty = \"\"", "True True True True");
    row("null propagation", "Echo IsNull(Null + 1), Null & \"a\", IsNull(Null = 1), False And Null, True Or Null", "True a True False True");
    row("precedence", "Echo 2 + 3 * 4, -2 ^ 2, 10 \\ 3 * 2, 7 Mod 3 + 1, Not 1 = 2, 1 Or 2 And 0, 2 ^ 3 ^ 2", "14 -4 1 2 True 1 64");
    row("logical operators", "Echo True Eqv False, False Imp True, 5 Xor 3, Not 0, True And -1, TypeName(5 And 3)", "False True 6 -1 -1 Integer");
    row("integer division and mod", "Echo 7.6 \\ 2, -7 Mod 3, 5.5 Mod 2, TypeName(100000 \\ 3)", "4 -1 0 Long");
    row("currency four decimals", "SetLocale 1049 : c = CCur(1.23456) : Echo c, TypeName(c), c * 2, CCur(0.00005) + CCur(0.00005)", "1,2346 Currency 2,4692 0");
    row("dates ru", "SetLocale 1049 : d = DateSerial(2024, 2, 29) : Echo d, Year(d), Month(d), Day(d), Weekday(d), DateAdd(\"yyyy\", 1, d), DateDiff(\"d\", d, #3/1/2024#)",
        "29.02.2024 2024 2 29 5 28.02.2025 1");
    row("date arithmetic", "SetLocale 1049 : d = #1/31/2024 10:30:00# : Echo d, Hour(d), Minute(d), DateAdd(\"m\", 1, d), d + 1, TypeName(d - #1/1/2024#)",
        "31.01.2024 10:30:00 10 30 29.02.2024 10:30:00 01.02.2024 10:30:00 Double");
    row("date parts", "SetLocale 1049 : d = DateSerial(2023, 12, 31) : Echo DatePart(\"q\", d), DatePart(\"y\", d), DateDiff(\"m\", #1/15/2023#, d), DateDiff(\"yyyy\", #12/31/2022#, #1/1/2023#), MonthName(1)",
        "4 365 11 1 январь");
    row("en-US locale", "SetLocale \"en-us\" : Echo CStr(1.5), DateSerial(2024, 2, 29), FormatNumber(1234.5), CDbl(\"2.5\"), GetLocale()",
        "1.5 2/29/2024 1,234.50 2.5 1033");
    row("ru-RU locale", "old = SetLocale(1049) : Echo CStr(1.5), CDbl(\"2,5\"), FormatNumber(1234.5, 1), FormatNumber(0.5, 2, 0), FormatPercent(0.256), GetLocale()",
        "1,5 2,5 1\u00a0234,5 ,50 25,60% 1049");
    row("format date time", "SetLocale 1049 : d = #2/3/2024 14:05:09# : Echo FormatDateTime(d, 2), FormatDateTime(d, 3), FormatDateTime(d, 4)",
        "03.02.2024 14:05:09 14:05");
    row("string functions", "Echo Left(\"hello\", 2), Right(\"hello\", 3), Mid(\"hello\", 2), InStr(1, \"Hello\", \"l\"), InStr(1, \"HELLO\", \"l\", 1), InStrRev(\"a.b.c\", \".\"), Trim(\"  x \") & \"|\", StrReverse(\"abc\"), Replace(\"aaaa\", \"a\", \"b\", 1, 2), String(3, \"*\"), StrComp(\"a\", \"B\", 1), StrComp(\"a\", \"B\")",
        "he llo ello 3 3 4 x| cba bbaa *** -1 1");
    row("cyrillic strings", "s = \"Привет, мир\" : Echo Len(s), UCase(s), LCase(\"ЁЖ\"), Asc(\"Я\"), AscW(\"Я\"), Chr(192), ChrW(1046)",
        "11 ПРИВЕТ, МИР ёж 223 1071 А Ж");
    row("split join filter", "a = Split(\"a,b,,c\", \",\") : Echo UBound(a), Join(a, \"|\"), Join(Filter(a, \"b\"), \";\"), UBound(Split(\"\")), Join(Split(\"x y\"), \"+\"), UBound(Split(\"a,b,c\", \",\", 2))",
        "3 a|b||c b -1 x+y 1");
    row("arrays and ReDim Preserve", "Dim a() : ReDim a(2) : a(0) = 1 : a(2) = 3 : ReDim Preserve a(4) : a(4) = 5 : Echo UBound(a), a(0), IsEmpty(a(3)), a(4) : ReDim a(1) : Echo IsEmpty(a(0))",
        "4 1 True 5\nTrue");
    row("multi-dimensional arrays", "ReDim m(1, 2) : m(1, 2) = \"x\" : m(0, 0) = \"y\" : ReDim Preserve m(1, 3) : Echo m(1, 2), m(0, 0), UBound(m, 2), UBound(m, 1), LBound(m, 2)",
        "x y 3 1 0");
    row("array value semantics", "a = Array(1, 2) : b = a : b(0) = 9 : Echo a(0), b(0), TypeName(a), VarType(a)", "1 9 Variant() 8204");
    row("for each over array", "a = Array(1, \"two\", 3.5) : For Each v In a : s = s & TypeName(v) & \" \" : Next : Echo s & LBound(a)",
        "Integer String Double 0");
    row("byref and byval", "Sub S(ByVal a, b) : a = a + 1 : b = b + 1 : End Sub\nx = 1 : y = 1 : S x, y : Echo x, y : S x, (y) : Echo y : Call S(x, y) : Echo y",
        "1 2\n2\n3");
    row("byref from function", "Function F(ByRef v) : v = v & \"!\" : F = Len(v) : End Function\ns = \"ab\" : n = F(s) : Echo n, s", "3 ab!");
    row("class properties and default", "Class P\n Private m\n Public Property Get V : V = m : End Property\n Public Property Let V(x) : m = x * 2 : End Property\n Public Default Function Item(i) : Item = i + m : End Function\nEnd Class\nSet o = New P : o.V = 5 : Echo o.V, o(1), TypeName(o)",
        "10 11 P");
    row("class with set property", "Class H\n Private obj\n Public Property Set Target(o) : Set obj = o : End Property\n Public Property Get Target : Set Target = obj : End Property\nEnd Class\nSet h = New H : Set h.Target = CreateObject(\"Scripting.Dictionary\") : h.Target.Add 1, 2 : Echo h.Target.Count",
        "1");
    row("me and fields", "Class C\n Public n\n Sub Bump : n = n + 1 : Me.n = Me.n + 1 : End Sub\nEnd Class\nSet c = New C : c.n = 1 : c.Bump : c.Bump : Echo c.n", "5");
    row("on error resume next", "On Error Resume Next : Err.Raise 5000, \"src\", \"custom\" : Echo Err.Number, Err.Source, Err.Description : Err.Clear : Echo Err.Number",
        "5000 src custom\n0");
    row("error in callee resumes in caller", "Function F : F = 1 : x = 1 / 0 : F = 2 : End Function\nOn Error Resume Next\nr = F()\nEcho Err.Number, IsEmpty(r), Err.Description",
        "11 True Деление на ноль");
    row("on error goto 0 clears", "On Error Resume Next : x = 1 / 0 : On Error GoTo 0 : Echo Err.Number", "0");
    row("resume next enters if body", "On Error Resume Next\nIf 1 / 0 Then\n Echo \"inside\"\nEnd If\nEcho Err.Number", "inside\n11");
    row("regexp", "Set r = New RegExp : r.Pattern = \"^(\\w+)@(\\w+)\\.ru$\" : r.IgnoreCase = True : Echo r.Test(\"Ivan@Mail.RU\"), r.Replace(\"ivan@mail.ru\", \"$2:$1\")",
        "True mail:ivan");
    row("out of memory is trappable", "On Error Resume Next : x = String(2000000000, \"a\") : Echo Err.Number, Err.Description, IsEmpty(x)",
        "7 Недостаточно памяти True");
    row("regexp empty matches", "Set r = New RegExp : r.Pattern = \"x*\" : r.Global = True : Echo r.Replace(\"abc\", \"-\"), r.Execute(\"ab\").Count",
        "-a-b-c- 3");
    row("regexp matches", "Set r = New RegExp : r.Pattern = \"(\\d)(\\d)?\" : r.Global = True : Set ms = r.Execute(\"a12b3\") : For Each m In ms : s = s & m.FirstIndex & \":\" & m.Value & \":\" & m.SubMatches(0) & \"/\" & IsEmpty(m.SubMatches(1)) & \" \" : Next : Echo ms.Count, s",
        "2 1:12:1/False 4:3:3/True ");
    row("for step and exit", "For i = 10 To 1 Step -3 : s = s & i & \",\" : If i < 5 Then Exit For\nNext\nEcho s, i", "10,7,4, 4");
    row("for loop bounds evaluated once", "n = 3 : For i = 1 To n : n = 10 : c = c + 1 : Next : Echo c, i", "3 4");
    row("do loops", "i = 0 : Do : i = i + 1 : Loop While i < 5 : Echo i : Do Until i = 0 : i = i - 1 : Loop : Echo i : Do While True : i = i + 1 : If i = 3 Then Exit Do\nLoop : Echo i",
        "5\n0\n3");
    row("while wend", "i = 1 : While i < 100 : i = i * 3 : Wend : Echo i", "243");
    row("select case", "For Each x In Array(1, 4, 15, -5) : Select Case x\n Case 1, 2 : s = s & \"low \"\n Case 3 To 6 : s = s & \"mid \"\n Case Is >= 10 : s = s & \"big \"\n Case Else : s = s & \"other \"\n End Select : Next : Echo s",
        "low mid big other ");
    row("with block", "Set d = CreateObject(\"Scripting.Dictionary\") : With d : .Add \"k\", \"v\" : .Item(\"n\") = 2 : Echo .Count, .Item(\"k\"), d(\"n\") : End With",
        "2 v 2");
    row("getref", "Function Sq(x) : Sq = x * x : End Function\nSet f = GetRef(\"Sq\") : Echo f(7)", "49");
    row("eval and execute see locals", "Sub T : Dim loc : loc = 3 : Execute \"loc = loc * 2\" : Echo Eval(\"loc + 1\") : End Sub\nT", "7");
    row("executeglobal", "ExecuteGlobal \"Function G() : G = \"\"g\"\" : End Function\" : Echo G(), Eval(\"2 * 21\")", "g 42");
    row("hex oct", "Echo Hex(255), Hex(-1), Hex(-65536), Oct(8), Hex(65536)", "FF FFFF FFFF0000 10 10000");
    row("rounding", "SetLocale 1049 : Echo Int(-2.5), Fix(-2.5), Round(2.5), Round(3.5), CInt(2.5), CInt(3.5), Round(1.2345, 2), CLng(-1.5)", "-3 -2 2 4 2 4 1,23 -2");
    row("type tests", "SetLocale 1049 : Echo VarType(\"x\"), IsNumeric(\"1,5\"), IsNumeric(\"abc\"), IsDate(\"29.02.2024\"), IsEmpty(zz), IsObject(Nothing), IsArray(Array()), TypeName(Null), TypeName(Nothing)",
        "8 True False True True True True Null Nothing");
    row("conversions", "Echo CBool(\"true\"), CBool(0), CInt(\"12\"), CByte(255), TypeName(CSng(1.5)), CStr(True), CLng(\"&H10\")", "True False 12 255 Single True 16");
    row("dictionary", "Set d = CreateObject(\"Scripting.Dictionary\") : d.CompareMode = 1 : d.Add \"Key\", 1 : Echo d.Exists(\"KEY\"), d.Count : d.Key(\"Key\") = \"New\" : d(\"x\") = 2 : Echo Join(d.Keys), Join(d.Items) : d.Remove \"New\" : Echo d.Count, d.Items()(0)",
        "True 1\nNew x 1 2\n1 2");
    row("dictionary read adds key", "Set d = CreateObject(\"Scripting.Dictionary\") : v = d(\"missing\") : Echo d.Count, IsEmpty(v)", "1 True");
    row("line continuation and comments", "x = 1 + _\n  2 ' comment\nRem another\nEcho x", "3");
    row("single-line if else", "x = 5 : If x > 3 Then Echo \"a\" : Echo \"b\" Else Echo \"c\"\nIf x < 3 Then Echo \"no\" Else Echo \"yes\" : Echo \"also\"", "a\nb\nyes\nalso");
    row("elseif chain", "For Each x In Array(1, 2, 3) : If x = 1 Then\n s = s & \"one\"\nElseIf x = 2 Then\n s = s & \"two\"\nElse\n s = s & \"many\"\nEnd If\nNext : Echo s", "onetwomany");
    row("const", "Const A = 2, B = \"x\" : Const C = A * 10 : Echo A, B, C, vbCrLf = Chr(13) & Chr(10), vbTextCompare", "2 x 20 True 1");
    row("recursion", "Function Fact(n) : If n <= 1 Then : Fact = 1 : Else : Fact = n * Fact(n - 1) : End If : End Function\nEcho Fact(10), TypeName(Fact(10))", "3628800 Long");
    row("implicit locals do not leak", "Sub S : tmp = 5 : End Sub\nS : Echo IsEmpty(tmp)", "True");
    row("globals used in procedures", "Dim counter : counter = 1 : Sub Up : counter = counter + 1 : End Sub\nUp : Up : Echo counter", "3");
    row("erase", "Dim f(2) : f(1) = 5 : Erase f : Echo UBound(f), IsEmpty(f(1)) : ReDim g(3) : Erase g : On Error Resume Next : u = UBound(g) : Echo Err.Number", "2 True\n9");
    row("escape unescape", "Echo Escape(\"a b&ж\"), Unescape(\"%41%u0416\")", "a%20b%26%u0436 AЖ");
    row("property with arguments and exit property", "Class Grid\n Private cells(2, 2)\n Public Property Get Cell(r, c) : Cell = cells(r, c) : End Property\n Public Property Let Cell(r, c, v)\n  If v = \"\" Then Exit Property\n  cells(r, c) = v\n End Property\n Public Sub Fill(v) : Execute \"cells(1, 1) = v\" : End Sub\nEnd Class\nSet g = New Grid : g.Cell(0, 1) = \"x\" : g.Cell(0, 2) = \"\" : g.Fill \"filled\"\nEcho g.Cell(0, 1), IsEmpty(g.Cell(0, 2)), g.Cell(1, 1)",
        "x True filled");
    row("nested with", "Set d1 = CreateObject(\"Scripting.Dictionary\") : Set d2 = CreateObject(\"Scripting.Dictionary\")\nWith d1\n .Add \"a\", 1\n With d2\n  .Add \"b\", 2\n End With\n .Add \"c\", 3\nEnd With\nEcho d1.Count, d2.Count", "2 1");
    row("error in class_initialize", "Class Bad\n Sub Class_Initialize : Err.Raise 1001, \"Bad\", \"no init\" : End Sub\nEnd Class\nOn Error Resume Next\nSet b = New Bad\nEcho Err.Number, Err.Source, Err.Description, IsEmpty(b)", "1001 Bad no init True");
    row("procedures of a later text", "ExecuteGlobal \"Sub Later(x) : Echo x * 2 : End Sub\" : Later 21", "42");
    row("array elements by reference", "Sub Inc(x) : x = x + 1 : End Sub\nSub IncV(ByVal x) : x = x + 1 : End Sub\nDim a(3) : a(1) = 5\nInc a(1) : IncV a(1) : Inc (a(1)) : Echo a(1) : Call Inc(a(1)) : Echo a(1)\nSet d = CreateObject(\"Scripting.Dictionary\") : d(\"k\") = 1 : Inc d(\"k\") : Echo d(\"k\")\nReDim m(1, 1) : m(1, 0) = 3 : Inc m(1, 0) : Echo m(1, 0)",
        "6\n7\n1\n4");
    row("nothing and is", "Set a = CreateObject(\"Scripting.Dictionary\") : Set b = a : Echo a Is b, a Is Nothing, Nothing Is Nothing", "True False True");
}

void TstVBScript::output()
{
    QFETCH(QString, script);
    QFETCH(QString, expected);
    TestSite site;
    auto e = runScript(QStringLiteral("VBScript"), script, site);
    e->close();
    if (!site.errors.isEmpty())
        QFAIL(qPrintable(QStringLiteral("error %1 at %2,%3: %4").arg(site.errors[0].number).arg(site.errors[0].line).arg(site.errors[0].column).arg(site.errors[0].description)));
    QCOMPARE(site.output(), expected);
}

void TstVBScript::errors_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("syntax");
    QTest::addColumn<QString>("output");
    auto row = [](const char *name, const char *script, int number, int line, int col, bool syntax, const char *out = "") {
        QTest::newRow(name) << QString::fromUtf8(script) << number << line << col << syntax << QString::fromUtf8(out);
    };
    row("division by zero", "Echo 1\nx = 1 / 0\nEcho 2", 11, 1, 0, false, "1");
    row("subscript out of range", "Dim a(2)\n  a(3) = 1", 9, 1, 2, false);
    row("variable undefined", "Option Explicit\nDim x\ny = 1", 500, 2, 0, false);
    row("member missing", "Set d = CreateObject(\"Scripting.Dictionary\")\nd.NoSuch", 438, 1, 0, false);
    row("argument count of member", "Set d = CreateObject(\"Scripting.Dictionary\")\nd.Add \"a\"", 450, 1, 0, false);
    row("argument count of sub", "Sub S(a)\nEnd Sub\nS 1, 2", 450, 2, 0, false);
    row("type mismatch", "x = \"abc\" * 2", 13, 0, 0, false);
    row("object required", "Set x = 5", 424, 0, 0, false);
    row("object required for member", "x = 5\nx.Foo", 424, 1, 0, false);
    row("class not defined", "Set x = New Nope", 506, 0, 0, false);
    row("fixed array redim", "Dim b(2)\nReDim b(3)", 10, 1, 0, false);
    row("statement after colon", "y = 1 : z = 1 / 0", 11, 0, 8, false);
    row("inside function", "Function F\n  F = 1 / 0\nEnd Function\nx = F()", 11, 1, 2, false);
    row("err raise", "Err.Raise 1234", 1234, 0, 0, false);
    row("undefined sub call", "Foo 1", 13, 0, 0, false);
    row("dictionary duplicate key", "Set d = CreateObject(\"Scripting.Dictionary\")\nd.Add 1, 1\nd.Add 1, 2", 457, 2, 0, false);
    row("file not found", "Set f = CreateObject(\"Scripting.FileSystemObject\")\nSet t = f.OpenTextFile(\"/nonexistent/x.txt\")", 53, 1, 0, false);
    row("unknown progid", "Set x = CreateObject(\"No.Such\")", 429, 0, 0, false);
    row("invalid use of null", "x = Len(Null) : y = CStr(Null)", 94, 0, 16, false);
    row("missing end if", "If x Then\n  x = 1\n", 1014, 2, 0, true);
    row("missing paren", "x = (1 + 2", 1006, 0, 10, true);
    row("missing expression", "x = 1 +", 1023, 0, 7, true);
    row("expected end of statement", "x = 1 2", 1025, 0, 6, true);
    row("unterminated string", "x = \"abc", 1033, 0, 4, true);
    row("invalid character", "x = 1 ? 2", 1032, 0, 6, true);
    row("loop without do", "x = 1\nLoop", 1038, 1, 0, true);
    row("syntax error stops all", "Echo 1\nIf Then", 1023, 1, 3, true);
    row("sub call parentheses", "Sub S(a, b)\nEnd Sub\nS(1, 2)", 1044, 2, 1, true);
    row("exit outside loop", "Exit Do", 1039, 0, 0, true);
    // Absurd allocations are the script's error 7, not the end of the program.
    row("huge String", "Echo 1\nx = String(2000000000, \"a\")", 7, 1, 0, false, "1");
    row("huge Space", "x = Space(1500000000)", 7, 0, 0, false);
    row("huge ReDim Preserve", "ReDim a(1)\nReDim Preserve a(400000000)", 7, 1, 0, false);
    row("huge two-dimensional ReDim", "ReDim a(100000, 100000)", 7, 0, 0, false);
    row("concatenation past the limit", "s = String(70000000, \"a\")\ns = s & s", 7, 1, 0, false);
    row("concatenation assignment past the limit", "s = String(70000000, \"a\")\nt = s\ns = s & t & \"\"", 7, 2, 0, false);
    // A pattern the matcher gives up on must not answer "no match" when one exists.
    row("regexp backtracking limit", "Set r = New RegExp : r.Pattern = \"(a+)+b\"\nEcho r.Test(String(40, \"a\") & \"c ab\")", 28, 1, 0, false);
    row("regexp backtracking limit in Replace", "Set r = New RegExp : r.Pattern = \"(a+)+b\" : r.Global = True\nx = r.Replace(\"ab \" & String(40, \"a\") & \"c ab\", \"-\")", 28, 1, 0, false);
}

void TstVBScript::errors()
{
    QFETCH(QString, script);
    QFETCH(int, number);
    QFETCH(int, line);
    QFETCH(int, column);
    QFETCH(bool, syntax);
    QFETCH(QString, output);
    TestSite site;
    auto e = runScript(QStringLiteral("VBScript"), script, site);
    QCOMPARE(site.errors.size(), 1);
    const auto &err = site.errors[0];
    QCOMPARE(err.number, number);
    QCOMPARE(err.line, line);
    QCOMPARE(err.column, column);
    QCOMPARE(err.syntax, syntax);
    QCOMPARE(err.sourceLine, script.split(QLatin1Char('\n')).value(line));
    QCOMPARE(err.source, syntax ? QStringLiteral("Ошибка компиляции Microsoft VBScript") : err.source);
    QCOMPARE(site.output(), output);
}

void TstVBScript::descriptions_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("description");
    QTest::newRow("13") << "x = \"a\" * 1" << QStringLiteral("Несоответствие типа");
    QTest::newRow("9") << "Dim a(1) : a(5) = 0" << QStringLiteral("Индекс вне допустимого диапазона");
    QTest::newRow("424") << "Set x = 1" << QStringLiteral("Требуется объект");
    QTest::newRow("438") << "Set d = CreateObject(\"Scripting.Dictionary\") : d.Zap" << QStringLiteral("Объект не поддерживает это свойство или метод: 'Zap'");
    QTest::newRow("450") << "Set d = CreateObject(\"Scripting.Dictionary\") : d.Add 1" << QStringLiteral("Неправильное число аргументов или недопустимое присвоение значения свойства");
    QTest::newRow("500") << "Option Explicit : q = 1" << QStringLiteral("Переменная не определена: 'q'");
    QTest::newRow("1002") << "x = = 1" << QStringLiteral("Предполагается наличие выражения");
    QTest::newRow("11") << "x = 5 \\ 0" << QStringLiteral("Деление на ноль");
    QTest::newRow("custom raise keeps text") << "Err.Raise vbObjectError + 1, \"Мой\", \"Своя ошибка\"" << QStringLiteral("Своя ошибка");
}

void TstVBScript::descriptions()
{
    QFETCH(QString, script);
    QFETCH(QString, description);
    TestSite site;
    auto e = runScript(QStringLiteral("VBScript"), script, site);
    QCOMPARE(site.errors.size(), 1);
    QCOMPARE(site.errors[0].description, description);
}

void TstVBScript::terminateOrder()
{
    TestSite site;
    auto e = runScript(QStringLiteral("VBScript"),
                       QStringLiteral("Class C\n Public Name\n Sub Class_Initialize : Echo \"hello\" : End Sub\n"
                                      " Sub Class_Terminate : Echo \"bye \" & Name : End Sub\nEnd Class\n"
                                      "Sub Work\n Dim a : Set a = New C : a.Name = \"local\"\nEnd Sub\n"
                                      "Set g = New C : g.Name = \"global\"\nWork\nEcho \"after\"\nSet g = Nothing\n"
                                      "Set k = New C : k.Name = \"kept\"\nEcho \"end\""),
                       site);
    e->close();
    QVERIFY(site.errors.isEmpty());
    QCOMPARE(site.output(), lines({"hello", "hello", "bye local", "after", "bye global", "hello", "end", "bye kept"}));
}

QTEST_GUILESS_MAIN(TstVBScript)
#include "tst_vbscript.moc"
