// The report designer component of the data module: loads a stored layout onto a
// form of live datasets, calls the program's two hooks, and previews, prints,
// exports or edits it. The dataset adapter lets the band engine walk our datasets.
#pragma once
#include "platform/data/Dataset.h"
#include "platform/report/ReportDataSet.h"
#include "platform/report/ReportLayout.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class QPrinter;
namespace vorn::report {
class ReportPages;
}

// A dataset of the dataset layer as the band engine reads it.
class TDatasetReportData : public vorn::report::ReportDataSet
{
public:
    explicit TDatasetReportData(vorn::Dataset *dataset) : m_ds(dataset) {}
    vorn::Dataset *dataset() const { return m_ds; }

    QString name() const override;
    bool open(QString *error = nullptr) override;
    bool isOpen() const override;
    QStringList fieldNames() const override;
    QMetaType fieldType(int field) const override;
    bool first() override;
    bool next() override;
    bool eof() const override;
    QVariant value(int field) const override;
    int recordCount() const override;
    int recordNumber() const override;
    bool masterChanged(QString *error = nullptr) override;

private:
    bool skipped() const;          // a layout dataset whose open failed: shown as empty
    QPointer<vorn::Dataset> m_ds;  // owned by the report form
};

// The form a layout is loaded onto: owns the layout's datasets and data sources.
class TReportForm : public QObject
{
    Q_OBJECT
public:
    explicit TReportForm(QObject *parent = nullptr) : QObject(parent) {}
    vorn::report::ReportLayout Layout;
};

class TReportDesignerDialog : public QObject
{
    Q_OBJECT
public:
    explicit TReportDesignerDialog(QObject *parent = nullptr);

    QString DefaultDatabaseName = QStringLiteral("dbMain");
    bool PrintIfEmpty = true;
    bool StrictNames = false;  // batch runs: a name no dataset has fails the run (see ReportEngine)
    std::function<void(TReportForm *form)> OnAfterReportLoaded;
    std::function<void(vorn::Dataset *dataset)> OnBeforeOpenDataset;

    // Loads a layout and its datasets onto a new form, then the after-load hook;
    // raises the engine's error for a damaged layout.
    std::unique_ptr<TReportForm> LoadReport(const QByteArray &xml);
    // Generates the form's report into pages (the before-open hook runs for each
    // dataset that is not open yet); raises on failure.
    void Generate(TReportForm *form, vorn::report::ReportPages *pages, bool progressive = false);

    // The three outputs of a stored layout.
    void PreviewReport(const QByteArray &xml);            // non-modal preview window
    void PrintReport(const QByteArray &xml);              // straight to the printer
    void ExportReport(const QByteArray &xml, const QString &fileName, const QString &format);
    // Opens the layout for editing; true with the new layout in xml when confirmed.
    bool EditReport(QByteArray &xml, const QString &title);

    // The printer a print goes to; tests point it at a file.
    using PrinterSetup = std::function<void(QPrinter *)>;
    static PrinterSetup SetPrinterSetup(PrinterSetup setup);
    static void SetUpPrinter(QPrinter *printer);
    // After a print dialog: the setup's own choice of printer still counts.
    static void ApplyPrinterSetup(QPrinter *printer);
};

// The program's one designer component, with the two hooks installed.
TReportDesignerDialog *ReportDesignerDialog1();

// The hooks: datasets for a loaded layout from the run context, and the preparation
// of each layout dataset before it opens.
void ReportDesignerDialog1AfterReportLoaded(TReportForm *form);
void ReportDesignerDialog1BeforeOpenDataset(vorn::Dataset *dataset);

// A layout with one empty page, for a report that has none yet.
QByteArray MinimalLayout(const QString &title);
// The layout a report without one starts from when designed: its data sources and
// "usrPARAM" as named datasets, the first source's columns in a detail band.
class TQueryList;
class TParamAskMeList;
QByteArray StarterLayout(const QString &title, TQueryList *queries, TParamAskMeList *params);
