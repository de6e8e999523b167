// vornreport's catalogue mode: logs in through a connection profile and renders a
// catalogue report by its Id through the program's own run, without a window.
#pragma once
#include <QHash>
#include <QString>

struct CatalogueReportJob
{
    QString iniFile;                      // VornConn.ini ("" = the program's)
    QString profile;                      // connection profile
    QString login, password;
    int reportId = 0;
    QHash<QString, QString> params;       // ParName -> value text
    QString output;                       // file to write; "print" prints
    QString printer;                      // printer name for "print" ("" = the default)
    int copies = 1;
    QString format;                       // "" = by the output's extension
};

// 0 on success; errors go to standard error.
int runCatalogueReport(const CatalogueReportJob &job);
