// Messages the run would show in a box go to standard error instead; a run that
// shows one ends with a failure code, so a cron job notices.
#include "tools/vornreport/CatalogueReport.h"

#include "database/VornMessages.h"
#include "execution/ParamAskMe.h"
#include "execution/VornReportDesigner.h"
#include "execution/VornRun.h"
#include "execution/VornRunParams.h"
#include "tools/ToolCatalogue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <cstdio>

int runCatalogueReport(const CatalogueReportJob &job)
{
    bool failed = false;
    SetMessageAnswerer([&](const TMsgRequest &r) {
        std::fprintf(stderr, "vornreport: %s\n", qPrintable(r.text));
        if (r.kind == TMsgKind::Error || r.kind == TMsgKind::Warning)
            failed = true;
        return TMsgButton(r.buttons & -r.buttons);  // OK, or Abort for errors
    });
    TToolCatalogue cat;
    if (!cat.Connect(job.iniFile, job.profile, job.login, job.password))
        return 1;
    // nobody looks at the pages before they are written: a layout asking for data
    // its datasets lack is an error, not a page of markers
    ReportDesignerDialog1()->StrictNames = true;
    int rc = 0;
    try {
        cat.dm->ReadParamPrefix();
        // The rights view is what the catalogue tree shows this login: a report the
        // tree would not offer is not rendered here either.
        const QString id = QString::number(job.reportId);
        const QVariant caption = SelectValue(QStringLiteral("select Name from vwVornForm where Id=") + id);
        if (caption.isNull()) {
            if (SelectValue(QStringLiteral("select Name from VornForm where Id=") + id).isNull())
                std::fprintf(stderr, "vornreport: no report with Id %d\n", job.reportId);
            else
                std::fprintf(stderr, "vornreport: %s\n",
                             qPrintable(QStringLiteral("у пользователя %1 нет прав на отчёт с Id %2").arg(cat.dm->LoginName(), id)));
            cat.db.close();
            return 1;
        }
        auto params = RunBuildParamList(job.reportId, okReport);
        for (auto it = job.params.begin(); it != job.params.end(); ++it)
            if (!params->FindOrNull(it.key()))
                std::fprintf(stderr, "vornreport: warning: the report has no parameter %s\n", qPrintable(it.key()));
        RunApplyDefaults(params.get(), job.params);
        if (job.output == u"print") {
            TReportDesignerDialog::SetPrinterSetup([&job](QPrinter *p) {
                if (!job.printer.isEmpty())
                    p->setPrinterName(job.printer);
                p->setCopyCount(qMax(1, job.copies));
            });
            ExecuteReport(job.reportId, caption.toString(), params.get(), false, etLayout, dsPrinter, QString(), vrmRun);
            cat.db.close();
            return failed ? 1 : 0;
        }
        // the run picks the output format by the extension; another format goes through a temporary name
        QString target = QFileInfo(job.output).absoluteFilePath();
        const bool renamed = !job.format.isEmpty() && QFileInfo(target).suffix().compare(job.format, Qt::CaseInsensitive) != 0;
        const QString written = renamed ? target + u'.' + job.format.toLower() : target;
        ExecuteReport(job.reportId, caption.toString(), params.get(), false, etLayout, dsFile, written, vrmRun);
        if (renamed) {
            QFile::remove(target);
            if (!QFile::rename(written, target)) {
                std::fprintf(stderr, "vornreport: cannot write %s\n", qPrintable(target));
                rc = 1;
            }
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "vornreport: %s\n", e.what());
        rc = 1;
    }
    cat.db.close();
    return rc != 0 || failed ? 1 : 0;
}
