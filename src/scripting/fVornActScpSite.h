// The script host: ExecuteScript runs one catalogue script in its engine with the
// object model published as "GlobalVornMain"; RunStoredScript runs a stored one.
#pragma once
#include <QString>

class QWidget;
namespace vorn::script {
struct ScriptErrorInfo;
}

// What the host needs of a code editor: put the caret on an error (one-based line
// and column; the editor clamps a line past its end) and take the focus.
class IScriptCaretEditor
{
public:
    virtual ~IScriptCaretEditor() = default;
    virtual void SetCaret(int line, int column) = 0;
    virtual QWidget *FocusWidget() = 0;   // nullptr when it cannot take the focus
};

// editor: the code editor whose caret moves to errors, or nullptr. Engine failures
// (an unknown engine name) raise; script errors are shown and the call returns.
void ExecuteScript(const QString &engineName, const QString &scriptText, int scriptId, IScriptCaretEditor *editor,
                   const QString &scriptName);
// Reads the script through the data module's qScriptBody and runs it; returns 1.
int RunStoredScript(int scriptId);

// The text of the error box: the failing line, "Ошибка: ", "Строка: ", " Колонка: ",
// the description.
QString ScriptErrorText(const vorn::script::ScriptErrorInfo &error);

// Called by object-model members while a script runs: lets the user's "Прервать"
// (or Esc) through at most every few dozen milliseconds.
void ScriptHostPoll();
// Stops the script that is running, if any.
void InterruptRunningScript();
