// The band engine: walks the datasets a layout names (details, sub-details
// following their masters, groups), computes expressions and aggregates, and
// lays the bands out on pages, producing ReportPages progressively.
#pragma once

#include "platform/report/ReportDataSet.h"
#include "platform/report/ReportExpression.h"
#include "platform/report/ReportLayout.h"
#include "platform/report/ReportPages.h"

#include <QObject>
#include <QSqlDatabase>
#include <functional>
#include <memory>
#include <vector>

namespace vorn::report {

// Handed to the before-print hook each time a band is about to print; the
// hook may change the band's items (text, position) or skip the band.
struct BandPrintEvent
{
    ReportBand &band;
    int recordNumber;                                 // 1-based number of the current detail record or loop pass
    bool print = true;
};

class ReportEngine : public QObject
{
    Q_OBJECT
public:
    using BeforeOpenHook = std::function<bool(ReportDataSet &dataSet, QString *error)>;
    using BeforePrintHook = std::function<void(BandPrintEvent &event)>;

    explicit ReportEngine(QObject *parent = nullptr);
    ~ReportEngine() override;

    void setLayout(const ReportLayout &layout);
    const ReportLayout &layout() const;
    ReportLayout &layout();                           // the working copy the run prints
    void setFunctions(const FunctionRegistry &functions);
    const FunctionRegistry &functions() const;

    // Datasets by component name; the engine does not own the raw-pointer ones.
    void addDataSet(ReportDataSet *dataSet);
    void addDataSet(std::unique_ptr<ReportDataSet> dataSet);
    ReportDataSet *dataSet(const QString &name) const;
    QList<ReportDataSet *> dataSets() const;
    void removeDataSet(const QString &name);

    // Called before each dataset opens (the program's "before dataset opens" hook).
    void setBeforeOpenDataSet(BeforeOpenHook hook);
    void setBeforeBandPrint(BeforePrintHook hook);

    // Let the event loop run while generating so a preview can show the first
    // pages and a cancel button can be pressed.
    void setProgressive(bool on);
    // Batch runs: a name that no dataset has (an unknown dataset or field) fails
    // the run instead of printing its error marker on the page.
    void setStrictNames(bool on);

    // Generate into pages (cleared first). False on error or cancel; see errorString().
    bool run(ReportPages *pages);
    void cancel();
    bool isCancelled() const;
    bool isRunning() const;
    QString errorString() const;
    QStringList warnings() const;                     // expression errors met while printing, once each
    QStringList unknownNames() const;                 // names no dataset had, in order of first use

Q_SIGNALS:
    void dataSetsOpened();                            // data fetched, pages start now
    void progress(int percent);
    void pageReady(int pageCount);
    void finished(bool ok);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// Builds datasets from the entries a layout carries (TVornQuery, memory tables,
// data sources) and gives the program its two hooks: after the layout loaded
// (supply or override datasets by name) and before each dataset opens.
class ReportLoader
{
public:
    using ConnectionResolver = std::function<QSqlDatabase(const QString &connectionName)>;
    using AfterLoadHook = std::function<bool(ReportLoader &loader, QString *error)>;

    ReportLoader();
    ~ReportLoader();

    void setConnectionResolver(ConnectionResolver r) { m_connections = std::move(r); }
    void setAfterLayoutLoaded(AfterLoadHook hook) { m_afterLoad = std::move(hook); }
    void setBeforeOpenDataSet(ReportEngine::BeforeOpenHook hook) { m_beforeOpen = std::move(hook); }

    bool load(const QByteArray &xml, QString *error);
    bool loadFile(const QString &fileName, QString *error);
    bool setLayout(const ReportLayout &layout, QString *error);
    ReportLayout &layout() { return m_layout; }

    ReportDataSet *dataSet(const QString &name) const;
    QList<ReportDataSet *> dataSets() const;
    void setDataSet(std::unique_ptr<ReportDataSet> dataSet);   // replaces one of the same name
    // Parameters as the one-row memory dataset "usrPARAM" (replacing a stored one).
    void setParameters(const QList<QPair<QString, QVariant>> &values);

    // Hand the layout, datasets (ownership moves) and hooks to an engine.
    void prepare(ReportEngine &engine);

private:
    ReportLayout m_layout;
    std::vector<std::unique_ptr<ReportDataSet>> m_dataSets;
    ConnectionResolver m_connections;
    AfterLoadHook m_afterLoad;
    ReportEngine::BeforeOpenHook m_beforeOpen;
};

} // namespace vorn::report
