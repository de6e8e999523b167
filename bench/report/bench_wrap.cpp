// Word-wrap benchmark: words without blanks (hashes, URLs, base64 from data) of
// growing length wrapped into a memo 50 mm wide, and ordinary prose of the same
// length; the time per length shows whether wrapping stays near-linear.
// Usage: bench_wrap [--max N]   (longest text, default 64000 characters)
#include "platform/report/ReportText.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <cstdio>

using namespace vorn::report;

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    int max = 64000;
    for (int i = 1; i + 1 < argc; ++i)
        if (QByteArray(argv[i]) == "--max") max = QByteArray(argv[i + 1]).toInt();
    const TextMeasure m(PageFont{QStringLiteral("Arial"), 10});
    const QString alphabet = QStringLiteral("0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ+/");
    const QString prose = QStringLiteral("Накладная на отгрузку товара со склада по договору поставки ");
    std::printf("%10s %14s %14s %10s\n", "chars", "word ms", "prose ms", "lines");
    for (int n = 1000; n <= max; n *= 2) {
        QString word, text;
        for (int i = 0; i < n; ++i) {
            word += alphabet.at((i * 7 + i / 3) % alphabet.size());
            text += prose.at(i % prose.size());
        }
        QElapsedTimer t;
        t.start();
        const QStringList lines = m.wrap(word, 50);
        const qint64 wordMs = t.elapsed();
        t.restart();
        m.wrap(text, 50);
        const qint64 proseMs = t.elapsed();
        std::printf("%10d %14lld %14lld %10lld\n", n, static_cast<long long>(wordMs), static_cast<long long>(proseMs),
                    static_cast<long long>(lines.size()));
    }
    return 0;
}
