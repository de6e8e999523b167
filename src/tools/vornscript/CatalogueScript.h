// vornscript's catalogue mode: logs in through a connection profile and runs a stored
// script with the program's object model, without a window (for cron jobs).
#pragma once
#include <QString>

struct CatalogueScriptJob
{
    QString iniFile;      // VornConn.ini ("" = the program's)
    QString profile;      // connection profile
    QString login, password;
    int scriptId = 0;     // VornScript.Id
};

// 0 when the script ran without an error; messages go to standard output, errors
// to standard error.
int runCatalogueScript(const CatalogueScriptJob &job);
