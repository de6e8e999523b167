// A command-line tool's connection to a catalogue: the profile file found where the
// tools look for it, the program's data module, and the program's per-user store of
// remembered parameter values. No dialog may wait for a person.
#pragma once
#include "database/VornMessages.h"
#include "database/dmdVorn.h"
#include "database/fLoginDB.h"
#include "execution/VornRunParams.h"
#include "platform/core/SettingsStore.h"
#include "platform/data/Database.h"

#include <memory>

struct TToolCatalogue
{
    vorn::Database db;
    std::unique_ptr<TdmVorn> dm;
    std::unique_ptr<vorn::SettingsStore> store;

    // False when the profile cannot be connected (the reason was shown as a message).
    bool Connect(const QString &iniFile, const QString &profile, const QString &login, const QString &password)
    {
        SetDialogRunner([](QDialog *) { return 0; });
        db.setDatabaseName(QStringLiteral("dbMain"));
        const QString ini = iniFile.isEmpty() ? ToolConnIniPath() : iniFile;
        if (!ConnectFromProfileWith(&db, ini, profile, login, password))
            return false;
        dm = std::make_unique<TdmVorn>();
        store = std::make_unique<vorn::SettingsStore>(QStringLiteral("VornGen"));
        RunSetParamStore(store.get());
        return true;
    }
};
