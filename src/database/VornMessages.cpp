#include "database/VornMessages.h"

#include <QApplication>
#include <QDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

static QPointer<QMdiArea> g_mdiArea;

static TMsgButton showBox(const TMsgRequest &r)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (r.kind) {
    case TMsgKind::Error: icon = QMessageBox::Critical; break;
    case TMsgKind::Warning: icon = QMessageBox::Warning; break;
    case TMsgKind::Information: icon = QMessageBox::Information; break;
    case TMsgKind::Confirmation: icon = QMessageBox::Question; break;
    }
    QMessageBox box(icon, r.caption, r.text, QMessageBox::NoButton, QApplication::activeWindow());
    const std::pair<TMsgButton, QMessageBox::StandardButton> map[] = {
        {TMsgButton::Yes, QMessageBox::Yes},     {TMsgButton::No, QMessageBox::No},
        {TMsgButton::Ok, QMessageBox::Ok},       {TMsgButton::Abort, QMessageBox::Abort},
        {TMsgButton::Cancel, QMessageBox::Cancel}};
    QAbstractButton *saveAs = (r.buttons & int(TMsgButton::SaveAs))
        ? box.addButton(QStringLiteral("Сохранить как…"), QMessageBox::AcceptRole) : nullptr;
    for (const auto &[ours, qt] : map)
        if (r.buttons & int(ours))
            box.addButton(qt);
    const int answer = box.exec();
    if (saveAs && box.clickedButton() == saveAs)
        return TMsgButton::SaveAs;
    for (const auto &[ours, qt] : map)
        if (answer == qt)
            return ours;
    // Closing the box with Escape or the title bar: the safest button offered.
    if (r.buttons & int(TMsgButton::Cancel)) return TMsgButton::Cancel;
    if (r.buttons & int(TMsgButton::No)) return TMsgButton::No;
    return (r.buttons & int(TMsgButton::Abort)) ? TMsgButton::Abort : TMsgButton::Ok;
}

static TMsgAnswerer &answerer()
{
    static TMsgAnswerer a = showBox;
    return a;
}

TMsgAnswerer SetMessageAnswerer(TMsgAnswerer a)
{
    TMsgAnswerer old = answerer();
    answerer() = a ? std::move(a) : TMsgAnswerer(showBox);
    return old;
}

TMsgButton ShowMessage(TMsgKind kind, const QString &text, int buttons, const QString &caption)
{
    QString c = caption;
    if (c.isEmpty()) {
        switch (kind) {
        case TMsgKind::Error: c = QStringLiteral("Ошибка"); break;
        case TMsgKind::Warning: c = QStringLiteral("Предупреждение"); break;
        case TMsgKind::Information: c = QStringLiteral("Информация"); break;
        case TMsgKind::Confirmation: c = QStringLiteral("Подтверждение"); break;
        }
    }
    return answerer()({kind, c, text, buttons});
}

void ShowError(const QString &text) { ShowMessage(TMsgKind::Error, text, int(TMsgButton::Abort)); }
void ShowWarning(const QString &text) { ShowMessage(TMsgKind::Warning, text, int(TMsgButton::Ok)); }
void ShowInformation(const QString &text) { ShowMessage(TMsgKind::Information, text, int(TMsgButton::Ok)); }

bool Confirm(const QString &text)
{
    return ShowMessage(TMsgKind::Confirmation, text, int(TMsgButton::Yes) | int(TMsgButton::No)) == TMsgButton::Yes;
}

TMsgButton ConfirmYesNoCancel(const QString &text)
{
    return ShowMessage(TMsgKind::Confirmation, text,
                       int(TMsgButton::Yes) | int(TMsgButton::No) | int(TMsgButton::Cancel));
}

static TDialogRunner &dialogRunner()
{
    static TDialogRunner r;
    return r;
}

TDialogRunner SetDialogRunner(TDialogRunner runner)
{
    TDialogRunner old = dialogRunner();
    dialogRunner() = std::move(runner);
    return old;
}

int ExecDialog(QDialog *dialog) { return dialogRunner() ? dialogRunner()(dialog) : dialog->exec(); }

void SetMdiArea(QMdiArea *area) { g_mdiArea = area; }
QMdiArea *MdiArea() { return g_mdiArea; }
QWidget *MainWindow() { return g_mdiArea ? g_mdiArea->window() : nullptr; }

QWidget *FindChildForm(const QMetaObject &cls)
{
    if (!g_mdiArea)
        return nullptr;
    for (QMdiSubWindow *sub : g_mdiArea->subWindowList())
        if (QWidget *w = sub->widget(); w && w->metaObject() == &cls)
            return w;
    return nullptr;
}

QWidget *ShowMdiChild(QWidget *w)
{
    if (!g_mdiArea) {
        w->show();
        w->raise();
        w->activateWindow();
        return w;
    }
    auto *sub = qobject_cast<QMdiSubWindow *>(w->parentWidget());
    if (!sub) {
        const QSize wanted = w->testAttribute(Qt::WA_Resized) ? w->size() : QSize();
        sub = g_mdiArea->addSubWindow(w);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        w->setAttribute(Qt::WA_DeleteOnClose);
        // the size the window asked for plus the sub-window's frame; a placement the window
        // restores while it is being shown comes after this and wins
        if (wanted.isValid() && w->sizeHint().isValid())
            sub->resize(wanted + sub->sizeHint() - w->sizeHint());
        sub->show();
    } else if (sub->isMinimized()) {
        sub->showNormal();
    }
    w->show();
    sub->show();
    sub->raise();
    g_mdiArea->setActiveSubWindow(sub);
    // While a dialog is closing the main window is not active yet; when the window manager
    // activates it again, the focus goes back to the widget that had it last, and the
    // child holding that widget would become the active one again. The new child takes it.
    if (!sub->isAncestorOf(QApplication::focusWidget())) {
        QWidget *target = w->focusWidget();
        if (!target || !target->isVisible())
            for (QWidget *c = w->nextInFocusChain(); c && c != w; c = c->nextInFocusChain())
                if (w->isAncestorOf(c) && c->isVisible() && c->isEnabled() && (c->focusPolicy() & Qt::TabFocus)) {
                    target = c;
                    break;
                }
        (target ? target : w)->setFocus(Qt::OtherFocusReason);
    }
    return w;
}

QWidget *ShowChildFormOf(const QMetaObject &cls, const std::function<QWidget *()> &create)
{
    if (QWidget *w = FindChildForm(cls))
        return ShowMdiChild(w);
    return ShowMdiChild(create());
}

void NotifyCatalogueChanged()
{
    if (QWidget *main = MainWindow())
        QCoreApplication::postEvent(main, new QEvent(WM_CATALOGUE_CHANGED));
    if (g_mdiArea)
        for (QMdiSubWindow *sub : g_mdiArea->subWindowList())
            if (sub->widget())
                QCoreApplication::postEvent(sub->widget(), new QEvent(WM_CATALOGUE_CHANGED));
}
