#include "platform/core/SystemInfo.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSysInfo>

namespace vorn::sysinfo {

static QString exePath()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QStringLiteral("VornGen");
}

QString programNameFrom(const QString &executablePath)
{
    QString name = QFileInfo(executablePath).fileName().toUpper();
    const qsizetype dot = name.indexOf(u".EXE");
    if (dot >= 0)
        name.truncate(dot);
    return name;
}

QString programName() { return programNameFrom(exePath()); }

QString executableBaseName() { return QFileInfo(exePath()).completeBaseName(); }

QString computerName() { return QSysInfo::machineHostName().section(u'.', 0, 0).left(15); }

QString executableDir()
{
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString(u"."_qs);
}

} // namespace vorn::sysinfo
