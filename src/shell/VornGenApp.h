// Program start-up: command line, data module, main window, message loop.
#pragma once
#include <QStringList>

// Set when the automation system started the program (the automation server sets it
// before start-up); the command line is then not parsed and no login is offered.
void SetStartedByAutomation(bool on);
bool StartedByAutomation();

int VornGenAppMain(int argc, char **argv);
