// JScript on QJSEngine. Dispatch objects cross into JavaScript as Proxy objects
// whose traps call back into a bridge (member names matched by the object, so
// without regard to case; calling the proxy calls the default member). Values
// the bridge holds for JavaScript live in a handle table until the engine closes.
#include "platform/script/jscript/JScriptEngine.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/automation/TypeLibrary.h"
#include "platform/automation/VariantOps.h"
#include <QJSEngine>
#include <QJSValueIterator>
#include <QRegularExpression>
#include <cmath>
#include <functional>

namespace vorn::js {

class Bridge;

// A JavaScript object seen from the automation side (callbacks, JS objects put
// into dictionaries or passed to host members).
class JsObject : public DispatchObject
{
public:
    JsObject(Bridge *b, const QJSValue &v) : m_bridge(b), m_value(v) {}
    QString className() const override { return QStringLiteral("JScriptTypeInfo"); }
    int memberId(const QString &name) const override;
    Variant invoke(int dispId, int kind, CallArgs &args) override;
    QJSValue value() const { return m_value; }
private:
    Bridge *m_bridge;
    QJSValue m_value;
    mutable QStringList m_names;   // dispatch id - 1 -> property name
};

class Bridge : public QObject
{
    Q_OBJECT
public:
    explicit Bridge(QJSEngine *e) : engine(e) {}
    QJSEngine *engine;
    std::function<void()> poll;     // lets the host look up (and stop the script)
    std::vector<Variant> handles;   // objects and arrays JavaScript refers to
    QJSValue wrapFn, arrayFn;       // JS helpers that make the proxies

    int hold(const Variant &v) { handles.push_back(v); return int(handles.size()) - 1; }
    const Variant &at(int h) const { static Variant none; return h >= 0 && h < int(handles.size()) ? handles[h] : none; }

    QJSValue toJs(const Variant &v0)
    {
        const Variant &v = v0.deref();
        switch (v.type()) {
        case VarType::Empty: return QJSValue(QJSValue::UndefinedValue);
        case VarType::Null: return QJSValue(QJSValue::NullValue);
        case VarType::Boolean: return QJSValue(v.rawBool());
        case VarType::Integer: case VarType::Long: case VarType::Byte: return QJSValue(v.rawInt());
        case VarType::Single: case VarType::Double: return QJSValue(v.rawDouble());
        case VarType::Currency: return QJSValue(double(v.rawCurrency()) / 10000.0);
        case VarType::String: return QJSValue(v.rawString());
        case VarType::Date: return engine->toScriptValue(automationdate::toDateTime(v.rawDouble()));
        case VarType::Object: {
            if (!v.rawObject()) return QJSValue(QJSValue::NullValue);
            if (auto *jo = dynamic_cast<JsObject *>(v.rawObject())) return jo->value();
            return wrapFn.call({QJSValue(hold(v))});
        }
        case VarType::Array: return arrayFn.call({QJSValue(hold(v))});
        default: return QJSValue(QJSValue::UndefinedValue);
        }
    }

    Variant fromJs(const QJSValue &j)
    {
        if (j.isUndefined()) return Variant();
        if (j.isNull()) return Variant::null();
        if (j.isBool()) return Variant(j.toBool());
        if (j.isNumber()) {
            double d = j.toNumber();
            if (d == std::trunc(d) && d >= INT32_MIN && d <= INT32_MAX) return Variant(int(d));
            return Variant(d);
        }
        if (j.isString()) return Variant(j.toString());
        if (j.isDate()) return Variant::dateTime(j.toDateTime().toLocalTime());
        if (j.isObject()) {
            QJSValue h = j.property(QStringLiteral("__handle"));
            if (h.isNumber()) return at(h.toInt());
            QJSValue a = j.property(QStringLiteral("__vbarray"));
            if (a.isNumber()) return at(a.toInt());
            if (j.isArray()) {
                QVector<Variant> items;
                int n = j.property(QStringLiteral("length")).toInt();
                for (int i = 0; i < n; ++i) items.append(fromJs(j.property(quint32(i))));
                return makeArray(items);
            }
            return Variant(static_cast<DispatchObject *>(new JsObject(this, j)));
        }
        return Variant();
    }

    void throwJs(const AutomationError &e)
    {
        QJSValue err = engine->newErrorObject(QJSValue::GenericError, e.fullDescription());
        int num = e.number();
        if (num > 0 && num < 65536) num = int(0x800A0000u | unsigned(num));
        err.setProperty(QStringLiteral("number"), num);
        err.setProperty(QStringLiteral("description"), e.fullDescription());
        engine->throwError(err);
    }

    DispatchObject *objectOf(int h)
    {
        const Variant &v = at(h);
        if (!v.isObject() || !v.rawObject()) throw AutomationError(424);
        return v.rawObject();
    }

    QJSValue invoke(int h, const QString &name, const QJSValue &args, int kind, bool byName = true)
    {
        try {
            DispatchObject *o = objectOf(h);
            int id = byName ? o->memberId(name) : DISPID_VALUE;
            if (id == DISPID_UNKNOWN) throw AutomationError(438, name);
            std::vector<Variant> a;
            int n = args.isArray() ? args.property(QStringLiteral("length")).toInt() : 0;
            for (int i = 0; i < n; ++i) a.push_back(fromJs(args.property(quint32(i))));
            CallArgs ca{a.data(), int(a.size())};
            return toJs(o->invoke(id, kind, ca));
        } catch (const AutomationError &e) {
            throwJs(e);
            return QJSValue();
        }
    }

public Q_SLOTS:
    void pollHost() { if (poll) poll(); }

    // After the engine's matcher answered "no match": raises error 28 when that
    // answer cannot be trusted, because the matcher gives up silently once it has
    // backtracked past its limit. A second matcher decides: a match it finds, or its
    // own giving up, means the first answer was not a real "no match".
    void checkNoMatch(const QString &source, const QString &flags, const QString &subject, int from)
    {
        QRegularExpression::PatternOptions o = QRegularExpression::NoPatternOption;
        if (flags.contains(u'i')) o |= QRegularExpression::CaseInsensitiveOption;
        if (flags.contains(u'm')) o |= QRegularExpression::MultilineOption;
        if (flags.contains(u's')) o |= QRegularExpression::DotMatchesEverythingOption;
        const QRegularExpression re(source, o);
        if (!re.isValid() || from < 0 || from > subject.size())
            return;  // a pattern only the engine's own syntax allows: its answer stands
        const QRegularExpressionMatch m = re.match(subject, from);
        if (!m.isValid() || m.hasMatch())
            throwJs(AutomationError(28));
    }

    // 0: no such member, 1: call it (method or property with arguments), 2: read it
    int memberKind(int h, const QString &name)
    {
        const Variant &v = at(h);
        if (!v.isObject() || !v.rawObject()) return 0;
        DispatchObject *o = v.rawObject();
        int id = o->memberId(name);
        if (id == DISPID_UNKNOWN) return 0;
        const TypeInfo *ti = o->typeInfo();
        const MemberInfo *m = ti ? ti->member(id) : nullptr;
        if (!m) return 2;
        if (m->kinds & InvokeMethod) return 1;
        if (m->requiredArgs() > 0) return 1;
        return 2;
    }
    QJSValue get(int h, const QString &name) { QJSValue none = engine->newArray(0); return invoke(h, name, none, InvokeGet | InvokeMethod); }
    QJSValue call(int h, const QString &name, const QJSValue &args) { return invoke(h, name, args, InvokeMethod | InvokeGet); }
    QJSValue callDefault(int h, const QJSValue &args) { return invoke(h, QString(), args, InvokeMethod | InvokeGet, false); }
    void put(int h, const QString &name, const QJSValue &value)
    {
        try {
            DispatchObject *o = objectOf(h);
            int id = o->memberId(name);
            if (id == DISPID_UNKNOWN) throw AutomationError(438, name);
            Variant v = fromJs(value);
            CallArgs ca{&v, 1};
            o->invoke(id, v.isObject() ? InvokePutRef : InvokePut, ca);
        } catch (const AutomationError &e) {
            throwJs(e);
        }
    }
    QJSValue defaultValue(int h)
    {
        try {
            DispatchObject *o = objectOf(h);
            CallArgs none;
            return toJs(o->invoke(DISPID_VALUE, InvokeGet, none));
        } catch (const AutomationError &) {
            return QJSValue(QStringLiteral("[object]"));
        }
    }
    QJSValue create(const QString &progId)
    {
        try {
            return toJs(Variant(ClassRegistry::instance().create(progId)));
        } catch (const AutomationError &e) {
            throwJs(e);
            return QJSValue();
        }
    }
    int enumerator(const QJSValue &coll)
    {
        try {
            Variant v = fromJs(coll);
            Enumerator *e = enumeratorFor(v);
            Variant held(static_cast<DispatchObject *>(e));
            e->release();
            return hold(held);
        } catch (const AutomationError &e) {
            throwJs(e);
            return -1;
        }
    }
    QJSValue enumNext(int h)
    {
        QJSValue r = engine->newObject();
        auto *e = dynamic_cast<Enumerator *>(at(h).isObject() ? at(h).rawObject() : nullptr);
        Variant v;
        bool ok = e && e->next(v);
        r.setProperty(QStringLiteral("end"), !ok);
        r.setProperty(QStringLiteral("value"), ok ? toJs(v) : QJSValue());
        return r;
    }
    void enumReset(int h)
    {
        if (auto *e = dynamic_cast<Enumerator *>(at(h).isObject() ? at(h).rawObject() : nullptr)) e->reset();
    }
    QJSValue arrayInfo(int h, const QString &what, const QJSValue &args)
    {
        const Variant &v = at(h);
        if (!v.isArray()) { throwJs(AutomationError(13)); return QJSValue(); }
        const SafeArray *a = v.rawArray();
        if (what == QLatin1String("dimensions")) return QJSValue(a->dimensions());
        if (what == QLatin1String("toArray")) {
            QJSValue arr = engine->newArray(quint32(a->count()));
            for (int i = 0; i < a->count(); ++i) arr.setProperty(quint32(i), toJs(a->at(i)));
            return arr;
        }
        if (what == QLatin1String("lbound") || what == QLatin1String("ubound")) {
            int d = args.property(0).isUndefined() ? 1 : args.property(0).toInt();
            if (d < 1 || d > a->dimensions()) { throwJs(AutomationError(9)); return QJSValue(); }
            return QJSValue(what == QLatin1String("lbound") ? a->lowerBound(d - 1) : a->upperBound(d - 1));
        }
        if (what == QLatin1String("getItem")) {
            int n = args.property(QStringLiteral("length")).toInt();
            QVector<int> ix(n);
            for (int i = 0; i < n; ++i) ix[i] = args.property(quint32(i)).toInt();
            int off = a->offset(ix.data(), n);
            if (off < 0) { throwJs(AutomationError(9)); return QJSValue(); }
            return toJs(a->at(off));
        }
        return QJSValue();
    }
};

int JsObject::memberId(const QString &name) const
{
    for (int i = 0; i < m_names.size(); ++i)
        if (m_names[i].compare(name, Qt::CaseInsensitive) == 0) return i + 1;
    QJSValueIterator it(m_value);
    while (it.hasNext()) {
        it.next();
        if (it.name().compare(name, Qt::CaseInsensitive) == 0) { m_names.append(it.name()); return int(m_names.size()); }
    }
    if (m_value.hasProperty(name)) { m_names.append(name); return int(m_names.size()); }
    return DISPID_UNKNOWN;
}

Variant JsObject::invoke(int dispId, int kind, CallArgs &args)
{
    QJSValueList jargs;
    int n = (kind & (InvokePut | InvokePutRef)) ? args.n - 1 : args.n;
    for (int i = 0; i < n; ++i) jargs.append(m_bridge->toJs(args[i]));
    QJSValue r;
    if (dispId == DISPID_VALUE) {
        if (!m_value.isCallable()) throw AutomationError(438);
        r = m_value.call(jargs);
    } else {
        if (dispId < 1 || dispId > m_names.size()) throw AutomationError(438);
        const QString &name = m_names[dispId - 1];
        if (kind & (InvokePut | InvokePutRef)) {
            m_value.setProperty(name, m_bridge->toJs(args[args.n - 1]));
            return Variant();
        }
        QJSValue p = m_value.property(name);
        r = p.isCallable() && (kind & InvokeMethod) ? p.callWithInstance(m_value, jargs) : p;
    }
    if (r.isError()) throw AutomationError(AutomationError::Unexpected, r.property(QStringLiteral("message")).toString(), QStringLiteral("JScript"));
    return m_bridge->fromJs(r);
}

static const char *prelude = R"JS(
(function (bridge, global) {
    function wrap(h) {
        var target = function () {};
        return new Proxy(target, {
            get: function (t, name) {
                if (name === '__handle') return h;
                if (typeof name !== 'string') return undefined;
                if (name === 'toString' || name === 'valueOf') return function () { return bridge.defaultValue(h); };
                if (name === 'then') return undefined;
                var kind = bridge.memberKind(h, name);
                if (kind === 0) return undefined;
                if (kind === 1) return function () { return bridge.call(h, name, Array.prototype.slice.call(arguments)); };
                return bridge.get(h, name);
            },
            set: function (t, name, v) { bridge.put(h, String(name), v); return true; },
            has: function (t, name) { return typeof name === 'string' && bridge.memberKind(h, name) !== 0; },
            apply: function (t, self, args) { return bridge.callDefault(h, Array.prototype.slice.call(args)); }
        });
    }
    function vbarray(h) { var o = { __vbarray: h }; return o; }
    // every loop condition of a script passes here (see withLoopPolls)
    var turns = 0;
    Object.defineProperty(global, '__vornLoopPoll', { value: function () {
        if ((++turns & 255) === 0) bridge.pollHost();
        return true;
    } });
    global.ActiveXObject = function (progId) { return bridge.create(String(progId)); };
    global.Enumerator = function (coll) {
        this._h = bridge.enumerator(coll === undefined ? [] : coll);
        this.moveFirst();
    };
    global.Enumerator.prototype._fetch = function () { var r = bridge.enumNext(this._h); this._end = r.end; this._item = r.value; };
    global.Enumerator.prototype.moveFirst = function () { bridge.enumReset(this._h); this._fetch(); };
    global.Enumerator.prototype.moveNext = function () { if (!this._end) this._fetch(); };
    global.Enumerator.prototype.atEnd = function () { return this._end; };
    global.Enumerator.prototype.item = function () { return this._end ? undefined : this._item; };
    global.VBArray = function (a) {
        if (a === null || a === undefined || typeof a.__vbarray !== 'number') throw new TypeError('VBArray expected');
        this._h = a.__vbarray;
    };
    global.VBArray.prototype.toArray = function () { return bridge.arrayInfo(this._h, 'toArray', []); };
    global.VBArray.prototype.dimensions = function () { return bridge.arrayInfo(this._h, 'dimensions', []); };
    global.VBArray.prototype.lbound = function (d) { return bridge.arrayInfo(this._h, 'lbound', [d]); };
    global.VBArray.prototype.ubound = function (d) { return bridge.arrayInfo(this._h, 'ubound', [d]); };
    global.VBArray.prototype.getItem = function () { return bridge.arrayInfo(this._h, 'getItem', Array.prototype.slice.call(arguments)); };
    var nativeExec = RegExp.prototype.exec;
    RegExp.prototype.exec = function (s) {
        var subject = String(s);
        var from = this.global || this.sticky ? this.lastIndex : 0;
        var r = nativeExec.call(this, subject);
        if (r === null && !this.sticky)
            bridge.checkNoMatch(this.source, this.flags, subject, from);
        return r;
    };
    RegExp.prototype.test = function (s) { return this.exec(s) !== null; };
    global.ScriptEngine = function () { return 'JScript'; };
    global.ScriptEngineMajorVersion = function () { return 5; };
    global.ScriptEngineMinorVersion = function () { return 8; };
    global.ScriptEngineBuildVersion = function () { return 16384; };
    return [wrap, vbarray];
})
)JS";


namespace {

const QString kLoopPoll = QStringLiteral("__vornLoopPoll()");

// QJSEngine runs a script on the caller's thread and gives the host no way in while it
// runs but its interrupt flag: a loop that calls nothing of the host would never let
// the user's "Прервать" (a window event) be seen. So every loop condition of the text
// is made to call the host's poll first: `while (c)` becomes `while (__vornLoopPoll() && (c))`,
// `for (a; c; b)` likewise (an empty condition becomes the call alone); for-in and
// for-of walk finite things and stay. Only characters are inserted, never line breaks,
// so lines stay where they were. A light scanner does this (strings, comments,
// templates and regular expressions skipped); the caller keeps the original text if
// the result does not compile.
QString withLoopPolls(const QString &code)
{
    struct Header { bool isFor; int parenDepth, braceDepth, open; QList<int> semis; };
    struct Insert { int at; QString text; };
    QList<Insert> inserts;
    QList<Header> headers;
    QList<int> templateBraces;   // brace depth at which each open `${` returns to its template
    int paren = 0, brace = 0;
    int pending = 0;             // 1: `while` seen, 2: `for` seen, waiting for `(`
    bool regexAllowed = true;
    const int n = int(code.size());
    auto isIdent = [](QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$'; };
    auto skipTemplate = [&](int i) {   // i after ` or after the } closing a ${...}; returns the index after the end
        while (i < n) {
            if (code[i] == u'\\') { i += 2; continue; }
            if (code[i] == u'`') return i + 1;
            if (code[i] == u'$' && i + 1 < n && code[i + 1] == u'{') { templateBraces.append(brace); ++brace; return -(i + 2) - 1; }
            ++i;
        }
        return n;
    };
    int i = 0;
    while (i < n) {
        const QChar c = code[i];
        if (c.isSpace()) { ++i; continue; }
        if (c == u'/' && i + 1 < n && code[i + 1] == u'/') { while (i < n && code[i] != u'\n') ++i; continue; }
        if (c == u'/' && i + 1 < n && code[i + 1] == u'*') { const int e = code.indexOf(QStringLiteral("*/"), i + 2); i = e < 0 ? n : e + 2; continue; }
        if (c == u'\'' || c == u'"') {
            ++i;
            while (i < n && code[i] != c && code[i] != u'\n') i += code[i] == u'\\' ? 2 : 1;
            ++i; pending = 0; regexAllowed = false;
            continue;
        }
        if (c == u'`') {
            const int r = skipTemplate(i + 1);
            i = r < 0 ? -r - 1 : r; pending = 0; regexAllowed = r < 0;
            continue;
        }
        if (c == u'/' && regexAllowed) {
            bool inClass = false;
            ++i;
            while (i < n && code[i] != u'\n') {
                if (code[i] == u'\\') { i += 2; continue; }
                if (code[i] == u'[') inClass = true;
                else if (code[i] == u']') inClass = false;
                else if (code[i] == u'/' && !inClass) break;
                ++i;
            }
            ++i;
            while (i < n && isIdent(code[i])) ++i;
            pending = 0; regexAllowed = false;
            continue;
        }
        if (isIdent(c)) {
            const int start = i;
            while (i < n && isIdent(code[i])) ++i;
            const QStringView word = QStringView(code).mid(start, i - start);
            const bool member = start > 0 && code[start - 1] == u'.';
            if (!member && word == u"while") pending = 1;
            else if (!member && word == u"for") pending = 2;
            else if (!(pending == 2 && word == u"await")) pending = 0;
            static const QStringList beforeExpression = {"return", "typeof", "instanceof", "in", "of", "new", "delete",
                                                         "void", "throw", "case", "do", "else", "yield", "await"};
            regexAllowed = beforeExpression.contains(word.toString());
            continue;
        }
        if (c == u'(') {
            ++paren;
            if (pending) headers.append({pending == 2, paren, brace, i, {}});
        } else if (c == u')') {
            if (!headers.isEmpty() && headers.last().parenDepth == paren) {
                const Header h = headers.takeLast();
                if (!h.isFor) {
                    inserts.append({h.open + 1, kLoopPoll + QStringLiteral(" && (")});
                    inserts.append({i, QStringLiteral(")")});
                } else if (h.semis.size() == 2) {
                    const int from = h.semis[0] + 1, to = h.semis[1];
                    if (QStringView(code).mid(from, to - from).trimmed().isEmpty()) {
                        inserts.append({from, QLatin1Char(' ') + kLoopPoll});
                    } else {
                        inserts.append({from, QLatin1Char(' ') + kLoopPoll + QStringLiteral(" && (")});
                        inserts.append({to, QStringLiteral(")")});
                    }
                }
            }
            --paren;
        } else if (c == u';') {
            if (!headers.isEmpty() && headers.last().parenDepth == paren && headers.last().braceDepth == brace)
                headers.last().semis.append(i);
        } else if (c == u'{') {
            ++brace;
        } else if (c == u'}') {
            if (!templateBraces.isEmpty() && templateBraces.last() == brace - 1) {
                templateBraces.removeLast();
                --brace;
                const int r = skipTemplate(i + 1);
                i = r < 0 ? -r - 1 : r; pending = 0; regexAllowed = r < 0;
                continue;
            }
            --brace;
        }
        pending = 0;
        regexAllowed = c != u')' && c != u']';
        ++i;
    }
    if (inserts.isEmpty()) return code;
    std::stable_sort(inserts.begin(), inserts.end(), [](const Insert &a, const Insert &b) { return a.at > b.at; });
    QString out = code;
    for (const Insert &ins : inserts) out.insert(ins.at, ins.text);
    return out;
}

} // namespace

struct JScriptEngine::Private {
    QJSEngine engine;
    std::unique_ptr<Bridge> bridge;
    script::ScriptSite *site = nullptr;
    script::ScriptState state = script::ScriptState::Uninitialized;
    struct Pending { QString code, polled; int startLine; quint32 cookie; };
    std::vector<Pending> pending;

    Private() : bridge(std::make_unique<Bridge>(&engine))
    {
        engine.installExtensions(QJSEngine::ConsoleExtension);
        QJSValue fn = engine.evaluate(QString::fromUtf8(prelude), QStringLiteral("prelude"));
        QJSValue pair = fn.call({engine.newQObject(bridge.get()), engine.globalObject()});
        bridge->wrapFn = pair.property(0);
        bridge->arrayFn = pair.property(1);
        QJSEngine::setObjectOwnership(bridge.get(), QJSEngine::CppOwnership);
    }

    bool compiles(const QString &code, int startLine)
    {
        const QJSValue check = engine.evaluate(QStringLiteral("(function () {\n") + code + QStringLiteral("\n})"), QString(), startLine);
        return !(check.isError() && check.property(QStringLiteral("name")).toString() == QLatin1String("SyntaxError"));
    }

    // code: the text as written (its lines go into error reports); polled: what runs
    bool runText(const QString &code, int startLine, quint32 cookie, QJSValue *result, const QString &polled = QString())
    {
        if (site) site->onEnterScript();
        QJSValue r = engine.evaluate(polled.isNull() ? code : polled, QString(), startLine + 1);
        if (site) site->onLeaveScript();
        const bool interrupted = engine.isInterrupted();
        if (interrupted) engine.setInterrupted(false);
        if (r.isError()) {
            script::ScriptErrorInfo info;
            const QString kind = r.property(QStringLiteral("name")).toString();
            info.syntax = kind == QLatin1String("SyntaxError");
            QJSValue num = r.property(QStringLiteral("number"));
            info.number = num.isNumber() ? num.toInt() : int(info.syntax ? 0x800A03EA : 0x800A138F);
            info.description = r.property(QStringLiteral("message")).toString();
            info.source = info.syntax ? QStringLiteral("Ошибка компиляции Microsoft JScript") : QStringLiteral("Ошибка выполнения Microsoft JScript");
            if (interrupted) info.number = InterruptedError;
            info.line = std::max(0, r.property(QStringLiteral("lineNumber")).toInt() - 1);
            // an error raised by a host object is made inside the prelude's traps: the
            // script's line is the first frame of the stack outside the prelude
            const QStringList frames = r.property(QStringLiteral("stack")).toString().split(QLatin1Char('\n'));
            if (frames.value(0).contains(QLatin1String("prelude:")))
                for (const QString &frame : frames)
                    if (!frame.contains(QLatin1String("prelude:")) && frame.contains(QLatin1Char(':'))) {
                        bool ok = false;
                        const int n = frame.section(QLatin1Char(':'), -1).toInt(&ok);
                        if (ok && n > 0) info.line = n - 1;
                        break;
                    }
            info.column = 0;
            QStringList lines = code.split(QLatin1Char('\n'));
            int local = info.line - startLine;
            if (local >= 0 && local < lines.size()) info.sourceLine = lines[local].trimmed().isEmpty() ? lines[local] : QString(lines[local]).remove(QLatin1Char('\r'));
            info.cookie = cookie;
            if (site) site->onScriptError(info);
            return false;
        }
        if (result) *result = r;
        return true;
    }
};

JScriptEngine::JScriptEngine() : d(std::make_unique<Private>())
{
    d->bridge->poll = [this] {
        if (interruptFlag()->load(std::memory_order_relaxed))
            takeAttention();   // a stop asked there has set the engine's interrupt flag
    };
}
JScriptEngine::~JScriptEngine() { close(); }

void JScriptEngine::setSite(script::ScriptSite *site) { d->site = site; }
script::ScriptSite *JScriptEngine::site() const { return d->site; }
void JScriptEngine::initNew() { d->state = script::ScriptState::Initialized; }
script::ScriptState JScriptEngine::state() const { return d->state; }

void JScriptEngine::interrupt()
{
    ScriptEngine::interrupt();
    d->engine.setInterrupted(true);
}

void JScriptEngine::addNamedItem(const QString &name, int flags)
{
    DispatchObject *obj = d->site ? d->site->itemObject(name) : nullptr;
    QJSValue v = d->bridge->toJs(obj ? Variant(obj) : Variant::nothing());
    d->engine.globalObject().setProperty(name, v);
    if ((flags & script::ItemGlobalMembers) && obj && obj->typeInfo()) {
        // members become global functions / getters
        QJSValue defineFn = d->engine.evaluate(QStringLiteral(
            "(function (g, o, name, kind) { if (kind === 1) g[name] = function () { return o[name].apply(null, arguments); };"
            " else Object.defineProperty(g, name, { get: function () { return o[name]; }, set: function (v) { o[name] = v; }, configurable: true }); })"));
        for (const MemberInfo &m : obj->typeInfo()->members) {
            if (m.hidden || m.dispId == DISPID_NEWENUM) continue;
            int kind = (m.kinds & InvokeMethod) || m.requiredArgs() > 0 ? 1 : 2;
            defineFn.call({d->engine.globalObject(), v, QJSValue(m.name), QJSValue(kind)});
        }
    }
}

bool JScriptEngine::addTypeLib(const QUuid &libId, int major, int minor, int)
{
    auto lib = TypeLibraryRegistry::instance().find(libId, major, minor);
    if (!lib) return false;
    for (const EnumConstant &c : lib->allConstants()) d->engine.globalObject().setProperty(c.name, c.value);
    return true;
}

bool JScriptEngine::parseScriptText(const QString &code, const QString &, int startLine, quint32 cookie)
{
    // QJSEngine has no separate compile step that keeps code: check the syntax now
    // (as a function body, so nothing runs) and run it with the engine.
    if (!d->compiles(code, startLine)) {
        d->runText(code, startLine, cookie, nullptr);
        return false;
    }
    QString polled = withLoopPolls(code);
    if (polled != code && !d->compiles(polled, startLine))
        polled = code;   // the scanner misread the text: run it as written, without the polls
    if (d->state == script::ScriptState::Connected || d->state == script::ScriptState::Started)
        return d->runText(code, startLine, cookie, nullptr, polled);
    d->pending.push_back({code, polled, startLine, cookie});
    return true;
}

Variant JScriptEngine::evaluate(const QString &expression, bool *ok)
{
    QJSValue r;
    bool good = d->runText(expression, 0, 0, &r);
    if (ok) *ok = good;
    return good ? d->bridge->fromJs(r) : Variant();
}

bool JScriptEngine::run()
{
    clearInterrupt();
    d->engine.setInterrupted(false);
    d->state = script::ScriptState::Connected;
    if (d->site) d->site->onStateChange(d->state);
    bool ok = true;
    auto todo = std::move(d->pending);
    d->pending.clear();
    for (const auto &p : todo) ok = d->runText(p.code, p.startLine, p.cookie, nullptr, p.polled) && ok;
    return ok;
}

void JScriptEngine::close()
{
    if (d->state == script::ScriptState::Closed) return;
    d->pending.clear();
    d->engine.collectGarbage();
    d->bridge->handles.clear();
    d->state = script::ScriptState::Closed;
    if (d->site) d->site->onStateChange(d->state);
}

} // namespace vorn::js

#include "JScriptEngine.moc"
