// INI benchmark: an INI text with N keys in one section (a wide grid layout or a
// long list of remembered values) is loaded, every key is read back, the file is
// filled key by key and written; times for N and 4N show whether the cost grows
// linearly. Usage: bench_ini [--keys N]   (default 20000)
#include "platform/core/IniFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

using vorn::IniFile;

namespace {

void run(int keys)
{
    QByteArray text = "[Grid]\r\n";
    for (int i = 0; i < keys; ++i)
        text += "Column" + QByteArray::number(i) + "=" + QByteArray::number(i * 7) + "\r\n";

    QElapsedTimer t;
    t.start();
    IniFile ini;
    ini.loadFromBytes(text);
    const qint64 loadMs = t.elapsed();

    t.restart();
    qint64 sum = 0;
    for (int i = 0; i < keys; ++i)
        sum += ini.value(QStringLiteral("Grid"), QStringLiteral("column%1").arg(i)).toLongLong();
    const qint64 readMs = t.elapsed();

    t.restart();
    IniFile filled;
    for (int i = 0; i < keys; ++i)
        filled.setValue(QStringLiteral("Grid"), QStringLiteral("Column%1").arg(i), QString::number(i));
    const QByteArray out = filled.toBytes();
    const qint64 fillMs = t.elapsed();

    std::printf("keys=%d load_ms=%lld read_ms=%lld fill_and_write_ms=%lld (check %lld, %lld bytes)\n", keys, loadMs,
                readMs, fillMs, sum, qint64(out.size()));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int keys = 20000;
    const QStringList args = app.arguments();
    if (const qsizetype i = args.indexOf(QStringLiteral("--keys")); i > 0 && i + 1 < args.size())
        keys = args.at(i + 1).toInt();
    run(keys);
    run(keys * 4);
    return 0;
}
