// The main window's default services: the connection dbMain (owned here, so by the
// main window), the login units, the data module's session values; parts of the
// program that are not built yet do nothing.
#include "catalogue/fVornMain.h"
#include "database/VornMessages.h"
#include "database/dmdVorn.h"
#include "database/fLoginDB.h"
#include "database/fPasswrd.h"
#include "platform/data/Database.h"
#include "platform/data/DataError.h"
#include "scripting/fVornActScpSite.h"
#include "shell/frVornGenAppMDIMain.h"

#include <QCoreApplication>

static vorn::Database *mainDb()
{
    static vorn::Database *db = [] {
        auto *d = new vorn::Database(QCoreApplication::instance());
        d->setDatabaseName(QStringLiteral("dbMain"));
        return d;
    }();
    return db;
}

vorn::Database *TMainWindowServices::Db() const { return mainDb(); }

bool TMainWindowServices::IsConnected() const { return mainDb()->isOpen(); }

TMainWindowServices::ConnectionInfo TMainWindowServices::Connection() const
{
    const vorn::ConnectionParams &p = mainDb()->params();
    return {p.value(QStringLiteral("USER NAME")), p.value(QStringLiteral("SERVER NAME")),
            p.value(QStringLiteral("DATABASE NAME"))};
}

bool TMainWindowServices::ConnectFromProfile(const QString &profile, const QString &login, const QString &password)
{
    return ::ConnectFromProfile(mainDb(), profile, login, password);
}

bool TMainWindowServices::LoginDialog(bool, QString *profile)
{
    const QString name = ::LoginDialog(mainDb(), MainWindow());
    if (profile)
        *profile = name;
    return mainDb()->isOpen();
}

bool TMainWindowServices::EndRequested() const { return ProgramEndRequested(); }

void TMainWindowServices::CloseConnection()
{
    if (dmVorn())
        dmVorn()->CloseAll();
    mainDb()->close();
}

bool TMainWindowServices::CanReconnect() const { return !mainDb()->driverName().isEmpty(); }

bool TMainWindowServices::Reconnect()
{
    try {
        mainDb()->open();
    } catch (const vorn::DataError &e) {
        ShowError(e.message());
    }
    return mainDb()->isOpen();
}

void TMainWindowServices::ChangePassword()
{
    if (!mainDb()->isOpen()) {
        ShowError(QStringLiteral("Не удалось получить дефолтную коннекцию"));
        return;
    }
    ::ChangePassword(mainDb(), true, false, MainWindow());
}

void TMainWindowServices::ReadParamPrefix()
{
    try {
        if (dmVorn())
            dmVorn()->ReadParamPrefix();
    } catch (const std::exception &e) {
        ShowError(QString::fromUtf8(e.what()));
    }
}

bool TMainWindowServices::IsAdmin(bool refresh) { return dmVorn() && dmVorn()->IsAdmin(refresh); }

void TMainWindowServices::ForgetUserFullName()
{
    if (dmVorn())
        dmVorn()->ForgetUserFullName();
}

void TMainWindowServices::RunStoredScript(int id)
{
    try {
        ::RunStoredScript(id);
    } catch (const std::exception &e) {
        ShowError(QString::fromUtf8(e.what()));
    }
}
void TMainWindowServices::RunImport(int, const QString &) {}
void TMainWindowServices::StartMessageReceiver() {}
void TMainWindowServices::ShowCatalogue() { ShowChildForm<TfrmVornMain>(); }
void TMainWindowServices::ShowImportRun() {}
void TMainWindowServices::ShowImportSetup() {}
void TMainWindowServices::ShowMessageWindow() {}
