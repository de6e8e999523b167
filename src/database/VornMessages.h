// Message boxes and window helpers every window uses: ShowError / ShowWarning /
// Confirm route through one answerer that tests replace, ShowChildForm keeps one MDI
// child per window class, NotifyCatalogueChanged posts the catalogue-changed event.
#pragma once
#include <QEvent>
#include <QString>
#include <functional>

class QMdiArea;
class QWidget;
struct QMetaObject;

// The program's own window messages, delivered as Qt events of the same numbers.
constexpr QEvent::Type WM_CATALOGUE_CHANGED = QEvent::Type(1164);  // WM_USER + 140
constexpr QEvent::Type WM_VORN_HIDE = QEvent::Type(1172);
constexpr QEvent::Type WM_OPEN_CATALOGUE = QEvent::Type(1175);     // WM_USER + 151

enum class TMsgKind { Error, Warning, Information, Confirmation };
enum class TMsgButton { Ok = 1, Cancel = 2, Abort = 4, Yes = 8, No = 16, SaveAs = 32 };  // SaveAs: "Сохранить как…"

struct TMsgRequest
{
    TMsgKind kind;
    QString caption;
    QString text;
    int buttons;  // TMsgButton bits
};

// Answers a message box; the default shows a modal QMessageBox. Tests install their own.
using TMsgAnswerer = std::function<TMsgButton(const TMsgRequest &)>;
TMsgAnswerer SetMessageAnswerer(TMsgAnswerer answerer);  // returns the previous one

TMsgButton ShowMessage(TMsgKind kind, const QString &text, int buttons, const QString &caption = {});
void ShowError(const QString &text);
void ShowWarning(const QString &text);
void ShowInformation(const QString &text);
bool Confirm(const QString &text);
TMsgButton ConfirmYesNoCancel(const QString &text);

// Runs a modal dialog; tests install a runner that fills it in and answers.
class QDialog;
using TDialogRunner = std::function<int(QDialog *)>;
TDialogRunner SetDialogRunner(TDialogRunner runner);  // returns the previous one
int ExecDialog(QDialog *dialog);

// The MDI area the child windows live in (set by the main window).
void SetMdiArea(QMdiArea *area);
QMdiArea *MdiArea();
QWidget *MainWindow();

// Shows w as an MDI child on top of the others and active, adding it to the MDI area when
// it has no sub-window yet; without an area it becomes a window of its own. Returns w.
QWidget *ShowMdiChild(QWidget *w);
// Shows the open child of exactly this class, or creates one with create().
QWidget *ShowChildFormOf(const QMetaObject &cls, const std::function<QWidget *()> &create);
template <class T>
T *ShowChildForm(QWidget *owner = nullptr)
{
    return static_cast<T *>(ShowChildFormOf(T::staticMetaObject, [owner] { return new T(owner); }));
}
QWidget *FindChildForm(const QMetaObject &cls);

// Posts WM_CATALOGUE_CHANGED to the main window and to every MDI child.
void NotifyCatalogueChanged();
