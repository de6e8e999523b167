// vornreport: renders a report layout with its data (a SQLite file or a server
// connection) to a file in any output format, for batch jobs, tests and benchmarks.
// Parameters given on the command line reach SQL as :Name and layouts as usrPARAM.Name.
#include "tools/vornreport/CatalogueReport.h"
#include "database/fLoginDB.h"
#include "platform/report/ReportEngine.h"
#include "platform/core/IniFile.h"
#include "platform/report/ReportExport.h"

#include "platform/core/WorkstationLocale.h"
#include <QApplication>
#include <QCommandLineParser>
#include <QDate>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPrinter>
#include <QSqlDatabase>
#include <QSqlError>
#include <cstdio>

using namespace vorn::report;

namespace {

QVariant typedValue(const QString &s)
{
    bool ok = false;
    const qlonglong i = s.toLongLong(&ok);
    if (ok) return i;
    const double d = s.toDouble(&ok);
    if (ok && s.contains(u'.')) return d;
    const QDate date = QDate::fromString(s, Qt::ISODate);
    if (date.isValid() && s.size() == 10) return date;
    const QDate ru = QDate::fromString(s, QStringLiteral("dd.MM.yyyy"));
    if (ru.isValid()) return ru;
    return s;
}

QString qtDriver(const QString &name)
{
    const QString n = name.toUpper();
    if (n == u"SQLITE" || n.isEmpty()) return QStringLiteral("QSQLITE");
    if (n == u"POSTGRESQL") return QStringLiteral("QPSQL");
    if (n == u"MSSQL") return QStringLiteral("QODBC");
    return name;
}

int failWith(const QString &msg)
{
    std::fprintf(stderr, "vornreport: %s\n", qPrintable(msg));
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    // a batch renderer needs no display
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    vorn::applyWorkstationLocale(&app);  // numbers and dates read and print as in the program
    QApplication::setApplicationName(QStringLiteral("vornreport"));
    QApplication::setApplicationVersion(QStringLiteral(VORN_VERSION));

    QCommandLineParser cl;
    cl.setApplicationDescription(QStringLiteral(
        "Renders a report layout with its data to a file.\n"
        "Output formats: %1 (chosen by --format or by the output file's extension).\n"
        "PNG and SVG write one file per page (name-1.png, name-2.png, ...) unless the report has one page.")
                                     .arg(exportFormats().join(QLatin1String(", "))));
    cl.addHelpOption();
    cl.addVersionOption();
    cl.addPositionalArgument(QStringLiteral("layout"), QStringLiteral("Layout file (.vrl, XML)."));
    cl.addPositionalArgument(QStringLiteral("output"), QStringLiteral("Output file; \"print\" sends the report to the printer."));
    const QCommandLineOption sqliteOpt(QStringLiteral("sqlite"), QStringLiteral("SQLite database file with the report's data."), QStringLiteral("file"));
    const QCommandLineOption driverOpt(QStringLiteral("driver"), QStringLiteral("Database driver: SQLITE, POSTGRESQL, MSSQL or a Qt driver name (QPSQL, QODBC)."), QStringLiteral("name"));
    const QCommandLineOption hostOpt(QStringLiteral("host"), QStringLiteral("Database server host."), QStringLiteral("host"));
    const QCommandLineOption portOpt(QStringLiteral("port"), QStringLiteral("Database server port."), QStringLiteral("port"));
    const QCommandLineOption dbOpt(QStringLiteral("database"), QStringLiteral("Database name (an ODBC connection string for MSSQL)."), QStringLiteral("name"));
    const QCommandLineOption userOpt(QStringList{QStringLiteral("u"), QStringLiteral("user")}, QStringLiteral("Login name."), QStringLiteral("login"));
    const QCommandLineOption passOpt(QStringLiteral("password"), QStringLiteral("Password (or the VORN_PASSWORD environment variable)."), QStringLiteral("password"));
    const QCommandLineOption paramOpt(QStringList{QStringLiteral("p"), QStringLiteral("param")},
        QStringLiteral("Parameter value Name=Value (repeatable): bound to :Name in SQL and offered as usrPARAM.Name."), QStringLiteral("name=value"));
    const QCommandLineOption formatOpt(QStringList{QStringLiteral("f"), QStringLiteral("format")}, QStringLiteral("Output format."), QStringLiteral("format"));
    const QCommandLineOption dpiOpt(QStringLiteral("dpi"), QStringLiteral("Resolution of PNG output (default 150)."), QStringLiteral("dpi"), QStringLiteral("150"));
    const QCommandLineOption pagesOpt(QStringLiteral("pages"), QStringLiteral("Printer page range from-to."), QStringLiteral("range"));
    const QCommandLineOption copiesOpt(QStringLiteral("copies"), QStringLiteral("Printer copies."), QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption printerOpt(QStringLiteral("printer"), QStringLiteral("Printer name (default printer otherwise)."), QStringLiteral("name"));
    const QCommandLineOption profileOpt(QStringLiteral("profile"), QStringLiteral("Connection profile (a section of VornConn.ini) to connect with; login by --user and --password."), QStringLiteral("name"));
    const QCommandLineOption iniOpt(QStringLiteral("ini"), QStringLiteral("Profile file (default: VornConn.ini in the current directory, else beside vornreport)."), QStringLiteral("file"));
    const QCommandLineOption statsOpt(QStringLiteral("stats"), QStringLiteral("Print timings to standard error: data fetch, first page, generation, export."));
    for (const auto &o : {sqliteOpt, profileOpt, iniOpt, driverOpt, hostOpt, portOpt, dbOpt, userOpt, passOpt, paramOpt, formatOpt, dpiOpt, pagesOpt, copiesOpt, printerOpt, statsOpt})
        cl.addOption(o);
    // catalogue mode: vornreport --report-id N --profile P -u login [--password pw] [-p Name=Value] output
    const QCommandLineOption reportOpt(QStringLiteral("report-id"), QStringLiteral("Catalogue mode: render the catalogue report with this Id (the only positional argument is then the output)."), QStringLiteral("id"));
    cl.addOption(reportOpt);
    cl.process(app);
    const QStringList args = cl.positionalArguments();
    if (cl.isSet(reportOpt)) {
        if (args.size() != 1)
            return failWith(QStringLiteral("catalogue mode takes one output file (see --help)"));
        CatalogueReportJob job;
        job.reportId = cl.value(reportOpt).toInt();
        job.profile = cl.value(profileOpt);
        job.iniFile = cl.value(iniOpt);
        job.login = cl.value(userOpt);
        job.password = cl.isSet(passOpt) ? cl.value(passOpt) : qEnvironmentVariable("VORN_PASSWORD");
        job.format = cl.value(formatOpt);
        job.output = args.at(0);
        job.printer = cl.value(printerOpt);
        job.copies = cl.value(copiesOpt).toInt();
        for (const QString &p : cl.values(paramOpt)) {
            const int eq = p.indexOf(u'=');
            if (eq <= 0) return failWith(QStringLiteral("parameter must be Name=Value: %1").arg(p));
            job.params.insert(p.left(eq), p.mid(eq + 1));
        }
        return runCatalogueReport(job);
    }
    if (args.size() != 2)
        return failWith(QStringLiteral("a layout file and an output file are needed (see --help)"));

    QElapsedTimer clock;
    clock.start();
    QSqlDatabase db;
    if (cl.isSet(profileOpt)) {
        const QString iniName = cl.isSet(iniOpt) ? cl.value(iniOpt) : ToolConnIniPath();
        vorn::IniFile ini;
        if (!ini.load(iniName))
            return failWith(QStringLiteral("cannot read profile file %1").arg(iniName));
        const QString profile = cl.value(profileOpt);
        if (!ini.hasSection(profile))
            return failWith(QStringLiteral("no profile \"%1\" in %2").arg(profile, iniName));
        const QString driver = ini.value(profile, QStringLiteral("Driver")).trimmed().toUpper();
        if (driver.isEmpty())
            return failWith(QStringLiteral("В подключении \"%1\" не указан драйвер базы данных (Driver)").arg(profile));
        const QString server = ini.value(profile, QStringLiteral("SERVER NAME"));
        const QString database = ini.value(profile, QStringLiteral("DATABASE NAME"));
        db = QSqlDatabase::addDatabase(qtDriver(driver), QStringLiteral("dbMain"));
        if (driver == u"MSSQL") {
            db.setDatabaseName(QStringLiteral("Driver={FreeTDS};Server=%1;Database=%2;TDS_Version=7.4;ClientCharset=UTF-8").arg(server, database));
        } else {
            db.setDatabaseName(database);
            const QString host = server.section(u':', 0, 0);
            db.setHostName(host);
            if (server.contains(u':')) db.setPort(server.section(u':', 1).toInt());
        }
        if (cl.isSet(portOpt)) db.setPort(cl.value(portOpt).toInt());
        db.setUserName(cl.value(userOpt));
        db.setPassword(cl.isSet(passOpt) ? cl.value(passOpt) : qEnvironmentVariable("VORN_PASSWORD"));
        if (!db.open())
            return failWith(QStringLiteral("cannot connect: %1").arg(db.lastError().text()));
    } else if (cl.isSet(sqliteOpt) || cl.isSet(driverOpt)) {
        const QString driver = cl.isSet(sqliteOpt) ? QStringLiteral("QSQLITE") : qtDriver(cl.value(driverOpt));
        db = QSqlDatabase::addDatabase(driver, QStringLiteral("dbMain"));
        if (cl.isSet(sqliteOpt)) {
            if (!QFileInfo::exists(cl.value(sqliteOpt)))
                return failWith(QStringLiteral("no such database file: %1").arg(cl.value(sqliteOpt)));
            db.setDatabaseName(cl.value(sqliteOpt));
        } else {
            db.setDatabaseName(cl.value(dbOpt));
            db.setHostName(cl.value(hostOpt));
            if (cl.isSet(portOpt)) db.setPort(cl.value(portOpt).toInt());
            db.setUserName(cl.value(userOpt));
            db.setPassword(cl.isSet(passOpt) ? cl.value(passOpt) : qEnvironmentVariable("VORN_PASSWORD"));
        }
        if (!db.open())
            return failWith(QStringLiteral("cannot connect: %1").arg(db.lastError().text()));
    }

    // an unknown format is known before the report is generated
    const QString out = args.at(1);
    if (out != u"print") {
        QString f = (cl.isSet(formatOpt) ? cl.value(formatOpt) : QFileInfo(out).suffix()).toLower();
        if (f == u"htm") f = QStringLiteral("html");
        if (f == u"text") f = QStringLiteral("txt");
        if (!exportFormats().contains(f))
            return failWith(QStringLiteral("Неизвестный формат вывода \"%1\"").arg(f));
    }

    ReportLoader loader;
    loader.setConnectionResolver([&db](const QString &) { return db; });
    QString error;
    if (!loader.loadFile(args.at(0), &error))
        return failWith(error);
    QList<QPair<QString, QVariant>> params;
    for (const QString &p : cl.values(paramOpt)) {
        const int eq = p.indexOf(u'=');
        if (eq <= 0) return failWith(QStringLiteral("parameter must be Name=Value: %1").arg(p));
        params.append({p.left(eq), typedValue(p.mid(eq + 1))});
    }
    if (!params.isEmpty() || !loader.dataSet(QStringLiteral("usrPARAM")))
        loader.setParameters(params);

    ReportEngine engine;
    loader.prepare(engine);
    engine.setStrictNames(true);
    ReportPages pages;
    qint64 openedAt = -1, firstPageAt = -1;
    QObject::connect(&engine, &ReportEngine::dataSetsOpened, [&] { openedAt = clock.elapsed(); });
    QObject::connect(&engine, &ReportEngine::pageReady, [&](int n) {
        if (n == 1) firstPageAt = clock.elapsed();
    });
    if (!engine.run(&pages))
        return failWith(engine.errorString());
    const qint64 generatedAt = clock.elapsed();
    for (const QString &w : engine.warnings())
        std::fprintf(stderr, "vornreport: warning: %s\n", qPrintable(w));

    if (out == u"print") {
        QPrinter printer(QPrinter::HighResolution);
        if (cl.isSet(printerOpt)) printer.setPrinterName(cl.value(printerOpt));
        printer.setCopyCount(cl.value(copiesOpt).toInt());
        if (cl.isSet(pagesOpt)) {
            const QStringList r = cl.value(pagesOpt).split(u'-');
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(r.value(0).toInt(), r.value(1, r.value(0)).toInt());
        }
        if (!printPages(pages, &printer, &error))
            return failWith(error);
    } else {
        QString format = cl.value(formatOpt);
        bool ok = format.compare(u"png", Qt::CaseInsensitive) == 0 || (format.isEmpty() && out.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
            ? exportPng(pages, out, cl.value(dpiOpt).toDouble(), &error)
            : exportFile(pages, out, format, &error);
        if (!ok)
            return failWith(error);
    }
    const qint64 doneAt = clock.elapsed();
    if (cl.isSet(statsOpt))
        std::fprintf(stderr, "pages=%d fetch_ms=%lld first_page_ms=%lld generate_ms=%lld export_ms=%lld total_ms=%lld\n",
                     pages.pageCount(), openedAt, firstPageAt - openedAt, generatedAt - openedAt, doneAt - generatedAt, doneAt);
    return 0;
}
