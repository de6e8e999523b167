// The output choice "Выбор вывода отчета" and the grids shorthand of the run.
#include "execution/VornRun.h"

#include "database/VornMessages.h"

#include <QComboBox>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>


bool ChooseOutput(int &destination)
{
    QDialog dlg(MainWindow());
    dlg.setObjectName(QStringLiteral("dlgChooseOutput"));
    dlg.setWindowTitle(QStringLiteral("Выбор вывода отчета"));
    dlg.setFixedSize(300, 100);
    auto *label = new QLabel(QStringLiteral("Вывод отчета"), &dlg);
    label->move(20, 8);
    auto *cb = new QComboBox(&dlg);
    cb->setObjectName(QStringLiteral("cbOutput"));
    cb->addItems({QStringLiteral("На экран"), QStringLiteral("На принтер"), QStringLiteral("В файл")});
    cb->setEditable(false);
    cb->move(120, 4);
    cb->setCurrentIndex(qBound(0, destination, 2));
    auto *ok = new QPushButton(QStringLiteral("OK"), &dlg);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    ok->setGeometry(65, 40, 75, 25);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), &dlg);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    cancel->setGeometry(155, 40, 75, 25);
    QObject::connect(ok, &QPushButton::clicked, &dlg, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dlg, &QDialog::reject);
    if (QScreen *s = QGuiApplication::primaryScreen())
        dlg.move(s->geometry().center() - QPoint(150, 50));
    if (ExecDialog(&dlg) != QDialog::Accepted)
        return false;
    destination = cb->currentIndex();
    return true;
}

bool ShowAsGrids(int objectId, int objectKind, const QString &caption)
{
    return ExecuteReport(objectId, caption, nullptr, true, objectKind, 0, QString(), vrmGrids);
}
