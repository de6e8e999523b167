// The query result browser: the data sources of a report, query or remote data module
// as read-only grids, one tab each, with the run's parameter values, a navigator,
// reopening with the same values, export to text and to a workbook, and BLOB viewers.
#pragma once
#include "execution/VornRun.h"

#include <QPointer>
#include <QWidget>
#include <memory>

class QAction;
class QSplitter;
class QTabWidget;
class QTableWidget;
class QToolBar;
namespace vorn {
class DataGrid;
class DataNavigator;
class DataSource;
class Dataset;
}

class TfrmVornQueryBro : public QWidget
{
    Q_OBJECT
public:
    // Takes both lists (params only when ownsParams); nothing is opened yet.
    TfrmVornQueryBro(int objectId, int objectKind, const QString &caption, std::unique_ptr<TQueryList> queries,
                     TParamAskMeList *params, bool ownsParams, QWidget *parent = nullptr);
    ~TfrmVornQueryBro() override;

    // Opens the data sources and binds the grids; errors propagate.
    void OpenData();
    // Re-runs every data source with the same parameter values.
    void Reopen();

    int ObjectId() const { return m_objectId; }
    int ObjectKind() const { return m_objectKind; }
    TQueryList *Queries() const { return m_queries.get(); }
    TParamAskMeList *Params() const { return m_params; }

    QTabWidget *Tabs() const { return m_tabs; }
    QTableWidget *ParamPanel() const { return m_paramGrid; }  // nullptr when not shown
    vorn::DataNavigator *Navigator() const { return m_navigator; }
    vorn::DataGrid *Grid(int index) const;
    vorn::DataGrid *CurrentGrid() const;
    vorn::Dataset *CurrentDataSet() const;
    vorn::DataSource *CurrentDataSource() const;

    // A viewer owned by the browser: closed with it.
    void AddViewer(QWidget *viewer);
    QList<QWidget *> Viewers() const;

    // The panel shows only for an administrator when there are parameters.
    static bool ParamPanelShown(bool isAdmin, const TParamAskMeList *params);
    // Rows of the panel (the header excluded): lookups add their display text row.
    static int ParamPanelRows(const TParamAskMeList *params);
    // min(rows with the header, 5) x row height + 12.
    static int ParamPanelHeight(int rowsWithHeader, int rowHeight) { return std::min(rowsWithHeader, 5) * rowHeight + 12; }

    bool IsClosing() const { return m_closing; }  // closed, waiting to be deleted

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    void buildParamPanel(bool isAdmin);
    void tabChanged(int index);
    void cellClicked(vorn::DataGrid *grid, const QModelIndex &index);

    int m_objectId, m_objectKind;
    std::unique_ptr<TQueryList> m_queries;          // owned
    TParamAskMeList *m_params;                      // owned when m_ownsParams
    bool m_ownsParams;
    QToolBar *m_toolBar = nullptr;
    QAction *m_actText = nullptr, *m_actExcel = nullptr, *m_actReopen = nullptr;
    vorn::DataNavigator *m_navigator = nullptr;
    QSplitter *m_splitter = nullptr;
    QTableWidget *m_paramGrid = nullptr;            // the parameter panel
    QTabWidget *m_tabs = nullptr;
    QList<vorn::DataGrid *> m_grids;                // one per query-list item
    QList<QPointer<QWidget>> m_viewers;             // open BLOB viewers
    bool m_closing = false;
};

// The browser window of an MDI child or top-level widget, nullptr when w is none.
TfrmVornQueryBro *QueryBrowserOf(QWidget *w);
