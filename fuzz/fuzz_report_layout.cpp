// libFuzzer target for the report layout reader and what runs on a layout that
// loads: the band engine over small in-memory datasets (so every expression,
// aggregate, group, sub-detail and child band is evaluated) and the text export.
// A damaged layout must be refused with a message; a loaded one must run or fail
// with a message, never crash, overflow or hang.
#include "platform/report/ReportEngine.h"
#include "platform/report/ReportExport.h"

#include <QGuiApplication>
#include <QSet>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

using namespace vorn::report;

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // text is measured with real fonts
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 20000) return 0;
    ReportLayout layout;
    QString error;
    if (!layout.load(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), &error)) {
        if (!error.startsWith(QStringLiteral("Макет отчёта повреждён"))) __builtin_trap();
        return 0;
    }
    // a loop band printed millions of times is slow by request, not a fault
    for (const ReportBand &b : layout.bands())
        if (b.printCount > 200) return 0;
    // every dataset the layout names gets the same awkward rows
    QSet<QString> names;
    for (const ReportBand &b : layout.bands())
        if (!b.dataSet.isEmpty()) names.insert(b.dataSet.toLower());
    for (const LayoutDataSet &d : layout.dataSets())
        names.insert(d.name.toLower());
    ReportEngine engine;
    engine.setLayout(layout);
    for (const QString &n : std::as_const(names)) {
        auto m = std::make_unique<MemoryReportDataSet>(n);
        m->addField(QStringLiteral("A"), QMetaType(QMetaType::LongLong));
        m->addField(QStringLiteral("B"), QMetaType(QMetaType::Double));
        m->addField(QStringLiteral("C"), QMetaType(QMetaType::QString));
        m->addField(QStringLiteral("D"), QMetaType(QMetaType::QDateTime));
        m->appendRow({qlonglong(1), 2.5, QStringLiteral("первая"), QDateTime(QDate(2025, 1, 31), QTime(12, 0))});
        m->appendRow({std::numeric_limits<qlonglong>::max(), -1e300, QString(300, u'ж'), QVariant()});
        m->appendRow({qlonglong(-7), std::nan(""), QStringLiteral("<b>x</b>"), QDateTime(QDate(1, 1, 1), QTime(0, 0))});
        engine.addDataSet(std::move(m));
    }
    ReportPages pages;
    if (!engine.run(&pages) && engine.errorString().isEmpty()) __builtin_trap();
    (void)pagesToText(pages);
    return 0;
}
