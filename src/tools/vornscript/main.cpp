// vornscript: runs a VBScript or JScript file with a WScript object, printing
// errors as "file(line, column) source: description" and exiting non-zero on them.
#include "WScriptObject.h"
#include "tools/vornscript/CatalogueScript.h"
#include "platform/core/CodePage.h"
#include "platform/script/ScriptEngine.h"
#include "platform/core/WorkstationLocale.h"
#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

using namespace vorn;

namespace {

class HostSite : public script::ScriptSite
{
public:
    HostSite(WScriptObject *ws, const QString &file) : m_ws(ws), m_file(file) {}
    DispatchObject *itemObject(const QString &name) override
    {
        return name.compare(QLatin1String("WScript"), Qt::CaseInsensitive) == 0 ? m_ws : nullptr;
    }
    void onScriptError(const script::ScriptErrorInfo &e) override
    {
        if (m_ws->quitting) return;   // Quit stops the script through an interrupt
        ++errors;
        QString msg = QStringLiteral("%1(%2, %3) %4: %5\n").arg(m_file).arg(e.line + 1).arg(e.column + 1).arg(e.source, e.description);
        QByteArray b = msg.toUtf8();
        fwrite(b.constData(), 1, size_t(b.size()), stderr);
        fflush(stderr);
    }
    int errors = 0;
private:
    WScriptObject *m_ws;
    QString m_file;
};

QString readScript(const QString &path, bool *ok)
{
    QFile f(path);
    *ok = f.open(QIODevice::ReadOnly);
    if (!*ok) return QString();
    QByteArray b = f.readAll();
    if (b.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(b.mid(3));
    if (b.startsWith("\xFF\xFE")) return QString::fromUtf16(reinterpret_cast<const char16_t *>(b.constData() + 2), (b.size() - 2) / 2);
    // Windows scripts are ANSI; text that reads as UTF-8 was written here
    return codepage::looksLikeUtf8(b) ? QString::fromUtf8(b) : codepage::fromCp1251(b);
}

} // namespace

int main(int argc, char **argv)
{
    // catalogue mode: vornscript --script-id N --profile P --user U [--password W] [--ini FILE]
    bool catalogueMode = false;
    for (int i = 1; i < argc; ++i)
        catalogueMode = catalogueMode || qstrcmp(argv[i], "--script-id") == 0;
    if (catalogueMode) {
        // the program's object model and its boxes need widgets, but no display
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        vorn::applyWorkstationLocale(&app);
        const QStringList args = app.arguments().mid(1);
        CatalogueScriptJob job;
        for (int i = 0; i + 1 < args.size(); i += 2) {
            const QString &k = args[i], &v = args[i + 1];
            if (k == QLatin1String("--script-id")) job.scriptId = v.toInt();
            else if (k == QLatin1String("--profile")) job.profile = v;
            else if (k == QLatin1String("--user") || k == QLatin1String("-u")) job.login = v;
            else if (k == QLatin1String("--password")) job.password = v;
            else if (k == QLatin1String("--ini")) job.iniFile = v;
            else {
                fprintf(stderr, "vornscript: unknown option %s\n", qPrintable(k));
                return 2;
            }
        }
        if (job.scriptId <= 0 || job.profile.isEmpty()) {
            fprintf(stderr, "usage: vornscript --script-id N --profile P --user U [--password W] [--ini FILE]\n");
            return 2;
        }
        return runCatalogueScript(job);
    }
    QCoreApplication app(argc, argv);
    vorn::applyWorkstationLocale(&app);  // numbers and dates read and print as in the program
    QStringList args = app.arguments().mid(1);
    QString engineName;
    QString file;
    QStringList scriptArgs;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (file.isEmpty() && (a == QLatin1String("--engine") || a == QLatin1String("-e")) && i + 1 < args.size()) { engineName = args[++i]; continue; }
        if (file.isEmpty() && a.startsWith(QLatin1String("--engine="))) { engineName = a.mid(9); continue; }
        if (file.isEmpty() && (a.startsWith(QLatin1String("//")) || a == QLatin1String("--nologo"))) {
            if (a.startsWith(QLatin1String("//e:"), Qt::CaseInsensitive)) engineName = a.mid(4);
            continue;
        }
        if (file.isEmpty() && (a == QLatin1String("-h") || a == QLatin1String("--help"))) {
            fprintf(stdout, "usage: vornscript [--engine VBScript|JScript] script.vbs|script.js [arguments...]\n"
                            "       vornscript --script-id N --profile P --user U [--password W] [--ini FILE]\n");
            return 0;
        }
        if (file.isEmpty()) file = a;
        else scriptArgs << a;
    }
    if (file.isEmpty()) {
        fprintf(stderr, "usage: vornscript [--engine VBScript|JScript] script.vbs|script.js [arguments...]\n");
        return 2;
    }
    if (engineName.isEmpty()) {
        QString ext = QFileInfo(file).suffix().toLower();
        engineName = (ext == QLatin1String("js") || ext == QLatin1String("jse")) ? QStringLiteral("JScript") : QStringLiteral("VBScript");
    }
    bool ok;
    QString text = readScript(file, &ok);
    if (!ok) {
        fprintf(stderr, "%s: cannot read the script file\n", qPrintable(file));
        return 2;
    }
    auto engine = script::ScriptEngineRegistry::instance().create(engineName);
    if (!engine) {
        fprintf(stderr, "%s: no script engine \"%s\"\n", qPrintable(file), qPrintable(engineName));
        return 2;
    }
    auto *ws = new WScriptObject(file, scriptArgs);
    ObjectPtr<WScriptObject> hold(ws);
    ws->engine = engine.get();
    HostSite site(ws, file);
    engine->setSite(&site);
    engine->initNew();
    engine->addNamedItem(QStringLiteral("WScript"), script::ItemIsVisible);
    engine->parseScriptText(text, QString(), 0, 0);
    engine->run();
    engine->close();
    engine.reset();
    if (ws->quitting) return ws->exitCode;
    return site.errors ? 1 : 0;
}
