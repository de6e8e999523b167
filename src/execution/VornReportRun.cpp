// The report run: prompt, query list, run context, the report row, then design,
// output by execution type and destination, or grids. Whatever happens the run
// context is cleared and the lists are freed unless a result window took them.
// Every entry is reported to the entry tracer first.
#include "execution/VornReportRun.h"

#include "catalogue/VornEntryTrace.h"
#include "database/VornMessages.h"
#include "database/dmdVorn.h"
#include "execution/ParamAskMe.h"
#include "execution/VornReportDesigner.h"
#include "execution/VornRun.h"
#include "execution/VornRunParams.h"
#include "platform/data/DataError.h"
#include "platform/data/DataSource.h"
#include "platform/data/Database.h"
#include "platform/data/Query.h"
#include "platform/report/ReportExport.h"

#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QScopeGuard>

using vorn::DataError;

namespace {

struct FileFormat
{
    const char *title;
    const char *format;
};
// the text filter first: a file run without a name defaults to it
const FileFormat kFileFormats[] = {
    {"Текст", "txt"}, {"PDF", "pdf"}, {"Excel", "xlsx"}, {"CSV", "csv"}, {"HTML", "html"}, {"RTF", "rtf"},
    {"SVG", "svg"}, {"PNG", "png"}, {"Отчёт Vorn", "vrp"},
};

// The format for a file name: its extension when the engine knows it, else text.
QString formatFor(const QString &fileName)
{
    const QString ext = QFileInfo(fileName).suffix().toLower();
    return vorn::report::exportFormats().contains(ext) ? ext : QStringLiteral("txt");
}

// Asks for the file of a file run; "" when cancelled.
QString askFileName(const QString &caption, QString *format)
{
    QStringList filters;
    for (const FileFormat &f : kFileFormats)
        filters << QString::fromUtf8(f.title) + QStringLiteral(" (*.") + QLatin1String(f.format) + u')';
    QFileDialog dlg(MainWindow(), caption);
    dlg.setObjectName(QStringLiteral("dlgReportFile"));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setNameFilters(filters);
    dlg.setDefaultSuffix(QStringLiteral("txt"));
    if (ExecDialog(&dlg) != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    const int i = int(filters.indexOf(dlg.selectedNameFilter()));
    const QString name = dlg.selectedFiles().first();
    const QString byName = formatFor(name);
    *format = QFileInfo(name).suffix().isEmpty() || byName == u"txt" ? QLatin1String(kFileFormats[qMax(0, i)].format) : byName;
    return name;
}

QByteArray reportBlob(vorn::Query *row)
{
    vorn::Field *f = row->isEmpty() ? nullptr : row->findField(QStringLiteral("Report"));
    const QVariant v = f ? f->value() : QVariant();
    return v.typeId() == QMetaType::QByteArray ? v.toByteArray() : v.toString().toUtf8();
}

} // namespace

bool ExecuteReport(int objectId, const QString &caption, TParamAskMeList *params, bool ownsParams, int execType,
                   int destination, const QString &fileName, int runMode)
{
    TraceEntry(QStringLiteral("ExecuteReport"), {objectId, caption, params != nullptr, ownsParams, execType,
                                                  destination, fileName, runMode});
    TdmVorn *dm = dmVorn();
    if (!dm)
        throw DataError(QStringLiteral("Нет модуля данных каталога"));
    const int kind = runMode == vrmGrids ? execType : okReport;

    // 1. the prompt, in every mode, so that even the designer works on live data
    std::unique_ptr<TParamAskMeList> owned;
    if (!params) {
        bool proceed = false;
        owned = RunPrepareParams(objectId, kind, caption, &proceed);
        ownsParams = true;
        if (!proceed)
            return false;
    } else if (ownsParams)
        owned.reset(params);
    TParamAskMeList *list = owned ? owned.get() : params;

    std::unique_ptr<TQueryList> queries;
    vorn::Query *row = dm->qFrmRep;
    auto cleanup = qScopeGuard([&] {
        try {
            row->close();
        } catch (...) {
        }
        dm->ClearRunContext();
    });

    // 2.-4. the data sources, the run context, the report row
    queries = BuildQueryList(objectId, kind);
    dm->RunParams = list;
    dm->RunQueries = queries.get();
    dm->RunCaption = caption;
    row->close();
    row->paramByName(QStringLiteral("Id")).setAsInteger(objectId);
    row->open();

    auto toGrids = [&](int gridKind) {
        dm->LogAction(2, objectId, caption);
        dm->ClearRunContext();
        // A caller's own list (a script's) may die before the window: the window gets a copy.
        std::unique_ptr<TParamAskMeList> handed = ownsParams ? std::move(owned) : RunCopyParamList(*list);
        ShowQueryBrowser(objectId, gridKind, caption, std::move(queries), handed.release(), true);
    };
    auto output = [&](int chosen) {  // 0 screen, 1 printer, 2 file
        const QByteArray blob = reportBlob(row);
        if (blob.trimmed().isEmpty())
            throw DataError(QStringLiteral("У отчёта нет макета: ") + caption);
        QString file = fileName, format;
        if (chosen == 2) {
            if (file.isEmpty()) {
                file = askFileName(caption, &format);
                if (file.isEmpty())
                    return;
            } else
                format = formatFor(file);
        }
        TReportDesignerDialog *designer = ReportDesignerDialog1();
        switch (chosen) {
        case 0: designer->PreviewReport(blob); break;
        case 1: designer->PrintReport(blob); break;
        default: designer->ExportReport(blob, file, format); break;
        }
        // only output that was produced is logged: a failed load raised above
        dm->LogAction(1, objectId, caption);
    };

    // 5. by mode
    switch (runMode) {
    case vrmDesign: {
        if (row->isEmpty())
            throw DataError(QStringLiteral("Отчёт не найден: ") + QString::number(objectId));
        QByteArray blob = reportBlob(row);
        if (blob.trimmed().isEmpty())
            blob = StarterLayout(caption, queries.get(), list);
        row->edit();
        if (ReportDesignerDialog1()->EditReport(blob, caption.left(255))) {
            row->fieldByName(QStringLiteral("Report"))->setValue(blob);
            row->post();
        } else
            row->cancel();
        break;
    }
    case vrmRun: {
        if (!row->isEmpty()) {
            if (execType <= 0)
                execType = row->fieldByName(QStringLiteral("IdTypExec"))->value().toInt();
            if (destination < 0)
                destination = row->fieldByName(QStringLiteral("IdDestination"))->value().toInt();
        }
        if (execType == etLayout) {
            switch (destination) {
            case dsScreen: output(0); break;
            case dsPrinter: output(1); break;
            case dsFile: output(2); break;
            case dsAsk: {
                int chosen = destination;
                if (ChooseOutput(chosen))
                    output(chosen);
                break;
            }
            default: break;
            }
        } else if (execType == etGrids)
            toGrids(okReport);
        break;
    }
    case vrmGrids: toGrids(kind); break;
    default: break;
    }
    // 6.-7. the guard closes the row and clears the context; unique_ptrs free the lists
    return true;
}

bool RunReport(int reportId, const QString &caption, int destination, int execType)
{
    TraceEntry(QStringLiteral("RunReport"), {reportId, caption, destination, execType});
    return ExecuteReport(reportId, caption, nullptr, true, execType, destination, QString(), vrmRun);
}

bool DesignReport(int reportId, const QString &caption)
{
    TraceEntry(QStringLiteral("DesignReport"), {reportId, caption});
    return ExecuteReport(reportId, caption, nullptr, true, 0, 0, QString(), vrmDesign);
}

