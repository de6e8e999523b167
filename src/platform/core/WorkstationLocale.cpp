// One rule for the program and the command-line tools, so that a batch job reads
// "1,5" and "02.03.2024" as the program does and prints amounts the same way.
#include "platform/core/WorkstationLocale.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace vorn {

QLocale workstationLocale()
{
    const QLocale system = QLocale::system();
    return system.language() == QLocale::C ? QLocale(QLocale::Russian, QLocale::Russia) : system;
}

void applyWorkstationLocale(QCoreApplication *app)
{
    const QLocale locale = workstationLocale();
    QLocale::setDefault(locale);
    if (!app || locale.language() == QLocale::English)
        return;
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto *qt = new QTranslator(app);
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), dir))
        QCoreApplication::installTranslator(qt);
    else
        delete qt;  // no translations installed: Qt's texts stay English
}

} // namespace vorn
