// The MDI main window: menus, status bar, the start-up load sequence, opening and
// closing the database, the per-user settings commands and the "Данные" dispatch.
#pragma once
#include "shell/SBctrl.h"

#include <QMainWindow>
#include <functional>
#include <memory>

class QMdiArea;
class QMenu;
namespace vorn { class Database; }

inline const QString kVornAppTitle = QStringLiteral("Генератор отчётов Vorn");

// What the main window asks of the rest of the program. The default implementation
// calls the login, script, import and messaging units; tests give their own.
class TMainWindowServices
{
public:
    struct ConnectionInfo { QString login, server, database; };
    virtual ~TMainWindowServices() = default;
    virtual bool IsConnected() const;
    virtual ConnectionInfo Connection() const;
    virtual bool ConnectFromProfile(const QString &profile, const QString &login, const QString &password);
    virtual bool LoginDialog(bool endOnFailure, QString *profile);   // true when connected
    virtual bool EndRequested() const;  // a cancelled forced password change asks the program to end
    virtual vorn::Database *Db() const; // the connection dbMain
    virtual void CloseConnection();
    // After the server dropped the connection: whether it still knows how to reopen
    // with the same parameters, and the reopen itself (errors are shown; true when open).
    virtual bool CanReconnect() const;
    virtual bool Reconnect();
    virtual void ChangePassword();
    virtual void ReadParamPrefix();
    virtual bool IsAdmin(bool refresh);
    virtual void ForgetUserFullName();
    virtual void RunStoredScript(int id);
    virtual void RunImport(int id, const QString &file);
    virtual void StartMessageReceiver();
    virtual void ShowCatalogue();      // the catalogue tree window
    virtual void ShowImportRun();
    virtual void ShowImportSetup();
    virtual void ShowMessageWindow();
};

// The "Данные" items and the control kinds they act on.
enum class TDataCommand { Find, Sort, Filter, RefreshAll, SumColumn, Info, ExportExcel };
enum class TDataControlKind { None, Grid, Edit };
// A data grid or data-bound edit marks itself with the dynamic property
// "vornDataControl" = "grid" or "edit"; the focus is classified by it.
TDataControlKind ClassifyDataControl(QWidget *w, QWidget **control);
using TDataCommandHandler = std::function<void(TDataCommand, QWidget *target)>;
void SetDataCommandHandler(TDataCommandHandler handler);

class TfrmVornGenAppMDImain : public QMainWindow
{
    Q_OBJECT
public:
    explicit TfrmVornGenAppMDImain(std::unique_ptr<TMainWindowServices> services = {}, QWidget *parent = nullptr);
    ~TfrmVornGenAppMDImain() override;

    // Main window load; false when a batch run asks the program to end.
    bool FormLoad(bool startedByAutomation);
    int ExitCode() const { return m_exitCode; }  // of a batch run that ended in FormLoad

    void OnAfterConnect();        // the connection's after-connect event
    void OpenDatabase();
    void CloseDatabase();
    // The server dropped the connection: the window goes to the not-connected state
    // and offers to connect again (once the failed action's message is answered).
    void ConnectionLost();
    void DeleteUserSettings();
    void ShowAbout();
    void ExecuteDataCommand(TDataCommand cmd);

    QString ConnectionName() const { return m_ConnectionName; }
    void SetConnectionName(const QString &n) { m_ConnectionName = n; }
    bool QuitRequested() const { return m_QuitRequested; }
    void SetQuitRequested(bool q) { m_QuitRequested = q; }
    bool IsConnected() const { return m_services->IsConnected(); }
    TMainWindowServices *Services() const { return m_services.get(); }
    QMdiArea *Mdi() const { return m_mdi; }
    TVornStatusBar *VornStatusBar() const { return m_status; }
    TSBctrl *StatusMessage() const { return m_sbctrl; }
    void SetStatusText(int panel, const QString &text) { m_status->SetStatusText(panel, text); }
    QAction *Action(const QString &objectName) const;

protected:
    bool event(QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    void buildMenus();
    void buildWindowMenu();
    void updateConnectedState(bool connected);
    void enterNotConnectedState();
    void connectedAs(const QString &profile);
    void afterLoginShown(bool connected, const QString &profile);
    QAction *addItem(QMenu *menu, const QString &name, const QString &caption, const QKeySequence &key = {});

    std::unique_ptr<TMainWindowServices> m_services;
    QMdiArea *m_mdi = nullptr;
    TVornStatusBar *m_status = nullptr;
    TSBctrl *m_sbctrl = nullptr;
    QMenu *m_windowMenu = nullptr;
    QString m_InitialCaption;     // restored when the database is closed
    QString m_ConnectionName;     // profile in use, "" when not connected
    bool m_QuitRequested = false; // set by the automation Quit call
    bool m_startedByAutomation = false;
    int m_exitCode = 0;
    bool m_lostPending = false;   // a lost connection waits for ConnectionLost
};

// The program's main window while it exists.
TfrmVornGenAppMDImain *frmVornGenAppMDImain();
