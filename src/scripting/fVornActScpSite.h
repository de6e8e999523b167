// The script host: ExecuteScript runs one catalogue script in its engine with the
// object model published as "GlobalVornMain".
#pragma once
#include <QString>

class QWidget;

// editor: the code editor whose caret moves to errors, or nullptr.
void ExecuteScript(const QString &engineName, const QString &scriptText, int scriptId, QWidget *editor,
                   const QString &scriptName);
