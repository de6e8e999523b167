// The script host: one fresh site, root object and engine per run; errors in one
// box (and on the editor's caret); the user can stop a run with "Прервать" or Esc.
#include "scripting/fVornActScpSite.h"
#include "catalogue/VornEntryTrace.h"
#include "database/VornMessages.h"
#include "database/dmdVorn.h"
#include "platform/automation/TypeLibrary.h"
#include "platform/data/Database.h"
#include "platform/data/Query.h"
#include "platform/script/ScriptEngine.h"
#include "scripting/Impl_VornMain.h"
#include "scripting/VornGenLib.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QStatusBar>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

using namespace vorn;

namespace {

const QString kItemName = QStringLiteral("GlobalVornMain");

class EScriptHost : public std::runtime_error
{
public:
    explicit EScriptHost(const QString &m) : std::runtime_error(m.toStdString()) {}
};

class TVornActiveScriptSite : public script::ScriptSite
{
public:
    explicit TVornActiveScriptSite(IScriptCaretEditor *editor) : m_root(new TVornMain), m_editor(editor) {}

    DispatchObject *itemObject(const QString &name) override { return name == kItemName ? m_root.get() : nullptr; }
    QObject *parentWindow() override { return MainWindow(); }

    void onScriptError(const script::ScriptErrorInfo &error) override
    {
        // a stopped run says so once, without the engine's wording
        const bool stopped = error.number == script::ScriptEngine::InterruptedError;
        ShowMessage(TMsgKind::Error, stopped ? QStringLiteral("Выполнение скрипта прервано") : ScriptErrorText(error),
                    int(TMsgButton::Ok), QApplication::applicationName());
        if (m_editor) {
            m_editor->SetCaret(error.line + 1, error.column + 1);
            if (QWidget *w = m_editor->FocusWidget())
                w->setFocus();
        }
    }

    void onPoll() override { ScriptHostPoll(); }

    int messageBox(const QString &prompt, int buttons, const QString &title) override
    {
        TVornFunction f;
        f.addRef();
        const int r = f.MessageBox(prompt, buttons, title);
        return r;
    }

    QString inputBox(const QString &prompt, const QString &title, const QString &defaultText, bool *cancelled) override
    {
        QInputDialog d(MainWindow());
        d.setObjectName(QStringLiteral("dlgScriptInput"));
        d.setWindowTitle(title.isEmpty() ? QApplication::applicationName() : title);
        d.setLabelText(prompt);
        d.setTextValue(defaultText);
        const bool ok = ExecDialog(&d) == QDialog::Accepted;
        if (cancelled)
            *cancelled = !ok;
        return ok ? d.textValue() : QString();
    }

private:
    ObjectPtr<TVornMain> m_root;          // a fresh object model per run
    IScriptCaretEditor *m_editor;         // not owned
};

// The running engine, and what lets the user stop it while it runs.
script::ScriptEngine *g_running = nullptr;
std::atomic<bool> g_pollDue{false};   // set by the poll thread, taken on the main thread

class TScriptStopper : public QObject
{
public:
    TScriptStopper()
    {
        qApp->installEventFilter(this);
        m_button = new QPushButton(QStringLiteral("Прервать"));
        m_button->setObjectName(QStringLiteral("btnStopScript"));
        m_button->setToolTip(QStringLiteral("Прервать выполнение скрипта (Esc)"));
        connect(m_button, &QPushButton::clicked, [] { InterruptRunningScript(); });
        auto *main = qobject_cast<QMainWindow *>(MainWindow());
        if (main && main->isVisible() && !main->isMinimized()) {
            main->statusBar()->addPermanentWidget(m_button);
            m_button->show();
        } else {
            // a batch run (/RunScript) has no window of its own: a small one to stop it
            m_window = new QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint);
            m_window->setObjectName(QStringLiteral("frmScriptRunning"));
            m_window->setWindowTitle(QApplication::applicationName());
            auto *layout = new QHBoxLayout(m_window);
            layout->addWidget(new QLabel(QStringLiteral("Выполняется скрипт")));
            layout->addWidget(m_button);
            m_window->show();
        }
    }
    ~TScriptStopper() override
    {
        qApp->removeEventFilter(this);
        delete m_button.data();
        delete m_window.data();
    }
    void poll() { QCoreApplication::processEvents(QEventLoop::AllEvents, 20); }

protected:
    // While the script runs, the windows take no input of their own: only the stop
    // button and Esc; boxes the script opens work as usual.
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        // window-system events reach the QWindow first and the widget next: judge at the widget
        if (QApplication::activeModalWidget() || !watched->isWidgetType())
            return false;
        switch (e->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent *>(e)->key() == Qt::Key_Escape)
                InterruptRunningScript();
            return true;
        case QEvent::MouseButtonPress: case QEvent::MouseButtonRelease: case QEvent::MouseButtonDblClick:
        case QEvent::KeyRelease: case QEvent::Wheel: case QEvent::Shortcut: case QEvent::ShortcutOverride:
            return !(m_button && (watched == m_button || m_button->isAncestorOf(qobject_cast<QWidget *>(watched))));
        case QEvent::Close:
            return watched->isWidgetType() && static_cast<QWidget *>(watched)->isWindow();
        default:
            return false;
        }
    }

private:
    QPointer<QPushButton> m_button;
    QPointer<QWidget> m_window;       // the stop window of a run without a main window
};

TScriptStopper *g_stopper = nullptr;

// The two built-in references: the object model's library and the scripting runtime.
void AddReferencedTypeLibs(script::ScriptEngine &engine)
{
    for (const QUuid &id : {VornGenLibraryId(), TypeLibraryRegistry::scriptingRuntimeId()})
        if (!engine.addTypeLib(id, 1, 0, 0))
            throw EScriptHost(QStringLiteral("Библиотека не зарегистрирована: ") + id.toString(QUuid::WithBraces).toUpper());
}

} // namespace

QString ScriptErrorText(const script::ScriptErrorInfo &e)
{
    QString text;
    if (!e.sourceLine.isNull())
        text = e.sourceLine + QStringLiteral("\r\n");
    return text + QStringLiteral("Ошибка: ") + e.source + QStringLiteral("\r\nСтрока: ") + QString::number(e.line + 1)
           + QStringLiteral(" Колонка: ") + QString::number(e.column + 1) + QStringLiteral("\r\n") + e.description;
}

void ScriptHostPoll()
{
    if (g_stopper && g_pollDue.exchange(false, std::memory_order_relaxed))
        g_stopper->poll();
}

void InterruptRunningScript()
{
    if (g_running)
        g_running->interrupt();
}

void ExecuteScript(const QString &engineName, const QString &scriptText, int scriptId, IScriptCaretEditor *editor,
                   const QString &scriptName)
{
    TraceEntry(QStringLiteral("ExecuteScript"), {engineName, scriptText, scriptId, editor != nullptr, scriptName});
    LoadVornGenTlb();
    TVornActiveScriptSite site(editor);
    std::unique_ptr<script::ScriptEngine> engine = script::ScriptEngineRegistry::instance().create(engineName.trimmed());
    if (!engine)
        throw EScriptHost(QStringLiteral("Недопустимая строка с указанием класса: ") + engineName.trimmed());
    engine->setSite(&site);
    engine->initNew();
    engine->addNamedItem(kItemName, script::ItemIsVisible | script::ItemIsSource);
    AddReferencedTypeLibs(*engine);
    engine->parseScriptText(scriptText, kItemName, 0, 0);
    if (TdmVorn *dm = dmVorn())
        dm->LogAction(3, scriptId, scriptName);

    script::ScriptEngine *outer = g_running;
    TScriptStopper *outerStopper = g_stopper;
    std::unique_ptr<TScriptStopper> stopper;
    if (!outerStopper)
        stopper = std::make_unique<TScriptStopper>();
    g_running = engine.get();
    g_stopper = outerStopper ? outerStopper : stopper.get();
    auto restore = qScopeGuard([&] {
        g_running = outer;
        g_stopper = outerStopper;
    });
    // the engine's thread is busy in the script: a second thread asks it to look up
    std::atomic<bool> done{false};
    std::thread poller([&done, e = engine.get()] {
        while (!done.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (!done.load()) {
                g_pollDue.store(true, std::memory_order_relaxed);
                e->requestPoll();
            }
        }
    });
    auto stopPoller = qScopeGuard([&] {
        done.store(true);
        poller.join();
    });
    engine->run();
    engine->close();
}

int RunStoredScript(int scriptId)
{
    TdmVorn *dm = dmVorn();
    if (!dm)
        throw EScriptHost(QStringLiteral("Нет соединения с каталогом"));
    Query *q = dm->qScriptBody;
    q->close();
    q->paramByName(QStringLiteral("Id")).setAsInteger(scriptId);
    q->open();
    auto closeBody = qScopeGuard([q] { q->close(); });
    const QString engine = q->fieldValue(QStringLiteral("ScrEngName")).toString();
    const QString text = q->fieldValue(QStringLiteral("ScriptText")).toString();
    const QString name = q->fieldValue(QStringLiteral("Name")).toString();
    // the body is read; the script may use the data module's lists itself
    closeBody.dismiss();
    q->close();
    ExecuteScript(engine, text, scriptId, nullptr, name);
    return 1;
}
