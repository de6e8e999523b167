// Program start-up: command line, data module, main window, message loop.
#pragma once
#include <QStringList>

// Set when the automation system started the program (the automation server sets it
// before start-up); the command line is then not parsed and no login is offered.
void SetStartedByAutomation(bool on);
bool StartedByAutomation();

int VornGenAppMain(int argc, char **argv);

class TQRRussianPreview;

// A saved report given alone on the command line, as a file manager opens one:
// its path, or "" when the arguments are anything else.
QString SavedReportArgument(const QStringList &arguments);
// The preview window with that saved report, shown without a database connection;
// nullptr (the error shown) when the file cannot be read.
TQRRussianPreview *ShowSavedReport(const QString &fileName);
// The keys the program accepts, for --help on standard output.
QString CommandLineHelp(const QString &programName);
