#include "shell/frVornGenAppMDIMain.h"

#include "database/VornMessages.h"
#include "platform/core/SettingsStore.h"
#include "platform/core/SystemInfo.h"
#include "platform/data/Database.h"
#include "shell/VornCmndLine.h"
#include "shell/frAboutMe.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QTimer>

static QPointer<TfrmVornGenAppMDImain> g_mainWindow;
TfrmVornGenAppMDImain *frmVornGenAppMDImain() { return g_mainWindow; }

static TDataCommandHandler &dataHandler()
{
    static TDataCommandHandler h;
    return h;
}
void SetDataCommandHandler(TDataCommandHandler handler) { dataHandler() = std::move(handler); }

TDataControlKind ClassifyDataControl(QWidget *w, QWidget **control)
{
    for (; w; w = w->parentWidget()) {
        const QString kind = w->property("vornDataControl").toString();
        if (kind == u"grid" || kind == u"edit") {
            if (control)
                *control = w;
            return kind == u"grid" ? TDataControlKind::Grid : TDataControlKind::Edit;
        }
        if (w->isWindow() || qobject_cast<QMdiSubWindow *>(w))
            break;
    }
    if (control)
        *control = nullptr;
    return TDataControlKind::None;
}

TfrmVornGenAppMDImain::TfrmVornGenAppMDImain(std::unique_ptr<TMainWindowServices> services, QWidget *parent)
    : QMainWindow(parent), m_services(services ? std::move(services) : std::make_unique<TMainWindowServices>())
{
    setObjectName(QStringLiteral("frmVornGenAppMDImain"));
    setWindowTitle(kVornAppTitle);
    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("MDIClient"));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);
    SetMdiArea(m_mdi);
    m_status = new TVornStatusBar(this);
    setStatusBar(m_status);
    m_status->hide();  // shown at load
    buildMenus();
    updateConnectedState(false);
    g_mainWindow = this;
    if (vorn::Database *db = m_services->Db())
        connect(db, &vorn::Database::connectionLost, this, [this] {
            if (!m_lostPending) {
                m_lostPending = true;
                QTimer::singleShot(0, this, &TfrmVornGenAppMDImain::ConnectionLost);
            }
        });
}

TfrmVornGenAppMDImain::~TfrmVornGenAppMDImain()
{
    if (QAction *a = Action(QStringLiteral("mnuDeleteSettingsOnClose")); a && a->isChecked())
        DeleteUserSettings();
}

QAction *TfrmVornGenAppMDImain::Action(const QString &objectName) const
{
    return findChild<QAction *>(objectName);
}

QAction *TfrmVornGenAppMDImain::addItem(QMenu *menu, const QString &name, const QString &caption, const QKeySequence &key)
{
    auto *a = new QAction(caption, this);
    a->setObjectName(name);
    if (!key.isEmpty())
        a->setShortcut(key);
    menu->addAction(a);
    return a;
}

void TfrmVornGenAppMDImain::buildMenus()
{
    QMenuBar *bar = menuBar();
    QMenu *file = bar->addMenu(QStringLiteral("&Файл  "));
    file->setObjectName(QStringLiteral("mnuFile"));
    connect(addItem(file, "mnuOpenDB", QStringLiteral("&Открыть базу данных  ")), &QAction::triggered, this,
            &TfrmVornGenAppMDImain::OpenDatabase);
    connect(addItem(file, "mnuCloseDB", QStringLiteral("&Закрыть базу данных")), &QAction::triggered, this,
            &TfrmVornGenAppMDImain::CloseDatabase);
    file->addSeparator();
    connect(addItem(file, "mnuExit", QStringLiteral("В&ыход")), &QAction::triggered, this, &QWidget::close);

    QMenu *actions = bar->addMenu(QStringLiteral("&Действия  "));
    actions->setObjectName(QStringLiteral("mnuActions"));
    connect(addItem(actions, "mnuReports", QStringLiteral("&Вывод отчётов")), &QAction::triggered, this,
            [this] { m_services->ShowCatalogue(); });
    connect(addItem(actions, "mnuImport", QStringLiteral("&Импорт данных")), &QAction::triggered, this,
            [this] { m_services->ShowImportRun(); });
    actions->addSeparator();
    connect(addItem(actions, "mnuImportSetup", QStringLiteral("&Настройка импорта данных")), &QAction::triggered,
            this, [this] { m_services->ShowImportSetup(); });

    QMenu *service = bar->addMenu(QStringLiteral("С&ервис  "));
    service->setObjectName(QStringLiteral("mnuService"));
    QMenu *data = service->addMenu(QStringLiteral("Данные"));
    data->setObjectName(QStringLiteral("mnData"));
    const struct { const char *name; const char *caption; QKeySequence key; TDataCommand cmd; } items[] = {
        {"mnFind", "Поиск записи", QKeySequence(Qt::CTRL | Qt::Key_F), TDataCommand::Find},
        {"mnSort", "Сортировка", QKeySequence(Qt::CTRL | Qt::Key_O), TDataCommand::Sort},
        {"mnFilter", "Фильтр", QKeySequence(Qt::CTRL | Qt::Key_L), TDataCommand::Filter},
        {"mnRefreshAll", "Обновить всё", QKeySequence(Qt::CTRL | Qt::Key_R), TDataCommand::RefreshAll},
        {"mnSumColumn", "Сумма текущей колонки", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S), TDataCommand::SumColumn},
        {"mnInfo", "Информация", QKeySequence(Qt::CTRL | Qt::Key_I), TDataCommand::Info},
        {"mnExportExcel", "Экспорт данных в Excel", QKeySequence(Qt::CTRL | Qt::Key_E), TDataCommand::ExportExcel},
    };
    for (const auto &it : items) {
        if (it.cmd == TDataCommand::ExportExcel)
            data->addSeparator();
        const TDataCommand cmd = it.cmd;
        connect(addItem(data, QLatin1String(it.name), QString::fromUtf8(it.caption), it.key), &QAction::triggered,
                this, [this, cmd] { ExecuteDataCommand(cmd); });
    }
    connect(addItem(service, "mnuChangePassword", QStringLiteral("Сменить пароль")), &QAction::triggered, this,
            [this] { m_services->ChangePassword(); });
    service->addSeparator();
    connect(addItem(service, "mnuDeleteSettings", QStringLiteral("Удалить настройки пользователя")),
            &QAction::triggered, this, [this] {
                if (Confirm(QStringLiteral("Удалить настройки пользователя (расположение окон, последние подключения, "
                                           "запомненные значения параметров)?")))
                    DeleteUserSettings();
            });
    addItem(service, "mnuDeleteSettingsOnClose", QStringLiteral("Удалить настройки после закрытия"))->setCheckable(true);
    service->addSeparator();
    connect(addItem(service, "mnuMessage", QStringLiteral("Сообщение"), QKeySequence(Qt::CTRL | Qt::Key_S)),
            &QAction::triggered, this, [this] { m_services->ShowMessageWindow(); });

    m_windowMenu = bar->addMenu(QStringLiteral("&Окна  "));
    m_windowMenu->setObjectName(QStringLiteral("mnuWindows"));
    connect(m_windowMenu, &QMenu::aboutToShow, this, &TfrmVornGenAppMDImain::buildWindowMenu);
    buildWindowMenu();

    QMenu *help = bar->addMenu(QStringLiteral("&?"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    connect(addItem(help, "mnuAbout", QStringLiteral("О программе")), &QAction::triggered, this,
            &TfrmVornGenAppMDImain::ShowAbout);
}

void TfrmVornGenAppMDImain::buildWindowMenu()
{
    // The fixed items stay; the list of open children is made anew each time.
    for (QAction *a : m_windowMenu->actions())
        if (a->property("vornChildEntry").toBool() || a->isSeparator())
            delete a;
    if (m_windowMenu->actions().isEmpty()) {
        connect(addItem(m_windowMenu, "mnuCascade", QStringLiteral("Расположить каскадом")), &QAction::triggered,
                m_mdi, &QMdiArea::cascadeSubWindows);
        connect(addItem(m_windowMenu, "mnuTile", QStringLiteral("Расположить мозаикой")), &QAction::triggered, m_mdi,
                &QMdiArea::tileSubWindows);
        connect(addItem(m_windowMenu, "mnuArrangeIcons", QStringLiteral("Упорядочить значки")), &QAction::triggered,
                this, [this] {
                    int x = 0;
                    for (QMdiSubWindow *s : m_mdi->subWindowList())
                        if (s->isMinimized()) {
                            s->move(x, m_mdi->viewport()->height() - s->height());
                            x += s->width();
                        }
                });
    }
    const auto subs = m_mdi->subWindowList();
    if (!subs.isEmpty())
        m_windowMenu->addSeparator()->setProperty("vornChildEntry", true);
    int n = 1;
    for (QMdiSubWindow *s : subs) {
        auto *a = m_windowMenu->addAction(QStringLiteral("&%1 %2").arg(n++).arg(s->windowTitle()));
        a->setProperty("vornChildEntry", true);
        a->setCheckable(true);
        a->setChecked(s == m_mdi->activeSubWindow());
        connect(a, &QAction::triggered, this, [this, s] {
            if (s->isMinimized())
                s->showNormal();
            m_mdi->setActiveSubWindow(s);
        });
    }
}

void TfrmVornGenAppMDImain::updateConnectedState(bool connected)
{
    Action("mnuOpenDB")->setEnabled(!connected);
    for (const char *name : {"mnuCloseDB", "mnuReports", "mnuImport", "mnuImportSetup", "mnuMessage"})
        Action(QLatin1String(name))->setEnabled(connected);
}

bool TfrmVornGenAppMDImain::FormLoad(bool startedByAutomation)
{
    m_startedByAutomation = startedByAutomation;
    m_InitialCaption = windowTitle();
    m_sbctrl = new TSBctrl(m_status, m_status->MessagePanel(), this);
    m_status->show();

    if (startedByAutomation) {
        QMenuBar *bar = menuBar();
        bar->clear();
        auto *exit = new QAction(QStringLiteral("В&ыход"), this);
        exit->setObjectName(QStringLiteral("mnuExitOnly"));
        connect(exit, &QAction::triggered, this, &QWidget::close);
        bar->addAction(exit);
        setWindowState(windowState() | Qt::WindowMinimized);
        if (m_services->IsConnected())
            m_services->CloseConnection();
        return true;
    }

    const TVornCmndLine &cmd = VornCmndLine();
    const QString loginKey = cmd.Contains(QStringLiteral("U")) ? QStringLiteral("U") : QStringLiteral("L");
    if (cmd.Count() > 0 && cmd.IsGiven(QStringLiteral("CN")) && cmd.IsGiven(loginKey) && cmd.IsGiven(QStringLiteral("P"))) {
        const QString profile = cmd.Value(QStringLiteral("CN"));
        const bool connected = m_services->ConnectFromProfile(profile, cmd.Value(loginKey), cmd.Value(QStringLiteral("P")));
        if (connected) {
            m_ConnectionName = profile;
            OnAfterConnect();
        }
        // Batch step: a script or an import, then the program ends. Without the
        // connection the step could only fail again; the run ends as failed, so that
        // whoever started it (cron, a shell script) can tell.
        if (cmd.IsGiven(QStringLiteral("RUNSCRIPT"))) {
            const int id = cmd.Value(QStringLiteral("RUNSCRIPT")).toInt();
            if (id > 0) {
                if (connected)
                    m_services->RunStoredScript(id);
                else
                    m_exitCode = 1;
                return false;
            }
        } else if (cmd.IsGiven(QStringLiteral("RUNIMPORT"))) {
            const QString file = cmd.IsGiven(QStringLiteral("IMPORTFILE")) ? cmd.Value(QStringLiteral("IMPORTFILE")) : QString();
            const int id = cmd.Value(QStringLiteral("RUNIMPORT")).toInt();
            if (id > 0) {
                if (connected)
                    m_services->RunImport(id, file);
                else
                    m_exitCode = 1;
                return false;
            }
        }
    } else {
        QString profile;
        const bool connected = m_services->LoginDialog(false, &profile);
        if (m_services->EndRequested())
            return false;
        m_ConnectionName = profile;
        if (connected)
            OnAfterConnect();
    }
    m_services->StartMessageReceiver();
    if (m_services->IsConnected()) {
        setWindowTitle(m_InitialCaption + QStringLiteral(" /") + m_ConnectionName + u'/');
        QCoreApplication::postEvent(this, new QEvent(WM_OPEN_CATALOGUE));
    }
    return true;
}

void TfrmVornGenAppMDImain::OnAfterConnect()
{
    const TMainWindowServices::ConnectionInfo info = m_services->Connection();
    SetStatusText(0, info.login);
    SetStatusText(1, QStringLiteral("Сервер: ") + info.server);
    SetStatusText(2, QStringLiteral("БД: ") + info.database);
    updateConnectedState(true);
    m_services->ReadParamPrefix();
    Action("mnuImportSetup")->setEnabled(m_services->IsAdmin(true));
}

void TfrmVornGenAppMDImain::connectedAs(const QString &profile)
{
    m_ConnectionName = profile;
    OnAfterConnect();
    setWindowTitle(m_InitialCaption + QStringLiteral(" /") + m_ConnectionName + u'/');
    QCoreApplication::postEvent(this, new QEvent(WM_OPEN_CATALOGUE));
}

void TfrmVornGenAppMDImain::OpenDatabase()
{
    QString profile;
    const bool connected = m_services->LoginDialog(false, &profile);
    m_ConnectionName = profile;
    if (connected)
        connectedAs(profile);
}

void TfrmVornGenAppMDImain::CloseDatabase()
{
    // A connection the server dropped unnoticed is no longer open, but the window
    // still shows it: closing must still reset the window.
    if (!m_services->IsConnected() && !Action(QStringLiteral("mnuCloseDB"))->isEnabled())
        return;
    m_services->CloseConnection();
    enterNotConnectedState();
}

void TfrmVornGenAppMDImain::ConnectionLost()
{
    // The action that met the broken connection is still showing its error (or
    // unwinding under it): its windows must not close beneath it.
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
        QTimer::singleShot(100, this, &TfrmVornGenAppMDImain::ConnectionLost);
        return;
    }
    m_lostPending = false;
    if (m_services->IsConnected())
        return;  // connected again meanwhile
    const QString profile = m_ConnectionName;
    m_services->CloseConnection();  // the data module's lists go with the connection
    enterNotConnectedState();
    if (m_startedByAutomation || !m_services->CanReconnect())
        return;
    if (Confirm(QStringLiteral("Соединение с базой данных потеряно. Подключиться снова?")) && m_services->Reconnect())
        connectedAs(profile);
}

void TfrmVornGenAppMDImain::enterNotConnectedState()
{
    setWindowTitle(m_InitialCaption);
    m_ConnectionName.clear();
    for (int i = 0; i < 3; ++i)
        m_status->Panel(i)->clear();
    m_status->repaint();
    QCoreApplication::processEvents();
    m_services->ForgetUserFullName();
    updateConnectedState(false);
    for (QMdiSubWindow *s : m_mdi->subWindowList())
        QMetaObject::invokeMethod(s, &QWidget::close, Qt::QueuedConnection);
}

void TfrmVornGenAppMDImain::DeleteUserSettings()
{
    // The legacy INI named like the executable, kept beside the settings store.
    QFile::remove(vorn::SettingsStore::defaultDirectory() + u'/' + vorn::sysinfo::executableBaseName() +
                  QStringLiteral(".INI"));
    vorn::SettingsStore(vorn::sysinfo::executableBaseName()).deleteAll();
}

void TfrmVornGenAppMDImain::ShowAbout()
{
    TfrAboutMe about(this);
    about.exec();
}

void TfrmVornGenAppMDImain::ExecuteDataCommand(TDataCommand cmd)
{
    if (cmd == TDataCommand::Info || !dataHandler())
        return;
    QWidget *target = nullptr;
    if (cmd == TDataCommand::RefreshAll || cmd == TDataCommand::ExportExcel) {
        if (QMdiSubWindow *s = m_mdi->activeSubWindow())
            target = s->widget();
    } else {
        const TDataControlKind kind = ClassifyDataControl(QApplication::focusWidget(), &target);
        const bool gridOnly = cmd == TDataCommand::Filter || cmd == TDataCommand::SumColumn;
        if (kind == TDataControlKind::None || (gridOnly && kind != TDataControlKind::Grid))
            target = nullptr;
    }
    if (target)
        dataHandler()(cmd, target);
}

bool TfrmVornGenAppMDImain::event(QEvent *e)
{
    if (e->type() == WM_OPEN_CATALOGUE) {
        m_services->ShowCatalogue();
        return true;
    }
    if (e->type() == WM_CATALOGUE_CHANGED)
        return true;  // the catalogue tree handles it
    return QMainWindow::event(e);
}

void TfrmVornGenAppMDImain::closeEvent(QCloseEvent *e)
{
    CloseDatabase();
    e->accept();
}
