// The main window's default services. Each forwards to the unit that owns the work;
// parts of the program that are not there yet answer "not connected" / do nothing.
#include "database/VornMessages.h"
#include "shell/frVornGenAppMDIMain.h"

bool TMainWindowServices::IsConnected() const { return false; }
TMainWindowServices::ConnectionInfo TMainWindowServices::Connection() const { return {}; }

bool TMainWindowServices::ConnectFromProfile(const QString &profile, const QString &, const QString &)
{
    ShowError(QStringLiteral("Подключение не настроено: ") + profile);
    return false;
}

bool TMainWindowServices::LoginDialog(bool, QString *profile)
{
    if (profile)
        profile->clear();
    return false;
}

void TMainWindowServices::CloseConnection() {}
void TMainWindowServices::ChangePassword() {}
void TMainWindowServices::ReadParamPrefix() {}
bool TMainWindowServices::IsAdmin(bool) { return false; }
void TMainWindowServices::ForgetUserFullName() {}
void TMainWindowServices::RunStoredScript(int) {}
void TMainWindowServices::RunImport(int, const QString &) {}
void TMainWindowServices::StartMessageReceiver() {}
void TMainWindowServices::ShowCatalogue() {}
void TMainWindowServices::ShowImportRun() {}
void TMainWindowServices::ShowImportSetup() {}
void TMainWindowServices::ShowMessageWindow() {}
