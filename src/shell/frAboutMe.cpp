#include "shell/frAboutMe.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TfrAboutMe::TfrAboutMe(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frAboutMe"));
    setWindowTitle(QStringLiteral("О программе и авторе"));
    setModal(true);
    auto *lay = new QVBoxLayout(this);
    auto *title = new QLabel(QStringLiteral("Генератор отчётов Vorn"), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    QFont f = title->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.3);
    title->setFont(f);
    title->setAlignment(Qt::AlignCenter);
    auto *version = new QLabel(VersionText(), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    version->setAlignment(Qt::AlignCenter);
    lay->addWidget(title);
    lay->addWidget(version);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->setCenterButtons(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    lay->addWidget(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(300, 140)));
}

QString TfrAboutMe::VersionText() { return QStringLiteral("Версия ") + QStringLiteral(VORN_VERSION); }
