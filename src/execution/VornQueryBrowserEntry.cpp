// The entry point of the result window: a plain window with one read-only table per
// data source that owns the run's lists and frees them when it closes. The full
// result browser replaces the window behind the same entry point.
#include "execution/VornRun.h"

#include "database/VornMessages.h"
#include "execution/ParamAskMe.h"
#include "platform/data/Dataset.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

class TfrmRunGrids : public QWidget
{
public:
    TfrmRunGrids(int id, int kind, const QString &caption, std::unique_ptr<TQueryList> queries, TParamAskMeList *params,
                 bool ownsParams)
        : m_id(id), m_kind(kind), m_queries(std::move(queries)), m_params(params), m_ownsParams(ownsParams)
    {
        setObjectName(QStringLiteral("frmRunGrids"));
        setAttribute(Qt::WA_DeleteOnClose);
        setWindowTitle(caption);
        setProperty("vornObjectId", id);
        setProperty("vornObjectKind", kind);
        auto *lay = new QVBoxLayout(this);
        m_tabs = new QTabWidget(this);
        lay->addWidget(m_tabs);
        try {
            OpenReportDataSets(this, m_params, m_queries.get(), false);
        } catch (const std::exception &e) {
            ShowError(QString::fromUtf8(e.what()));
        }
        for (int i = 0; i < m_queries->Count(); ++i) {
            const TQueryListItem *it = m_queries->Items(i);
            auto *ds = findChild<vorn::Dataset *>(it->QueryShortName);
            auto *grid = new QTableWidget(this);
            grid->setObjectName(QStringLiteral("DBgrid_") + it->QueryShortName);
            grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
            if (ds && ds->isActive()) {
                grid->setColumnCount(ds->fieldCount());
                grid->setHorizontalHeaderLabels(ds->fieldNames());
                grid->setRowCount(ds->recordCount());
                for (int r = 0; r < ds->recordCount(); ++r)
                    for (int c = 0; c < ds->fieldCount(); ++c)
                        grid->setItem(r, c, new QTableWidgetItem(ds->valueAt(r, c).toString()));
            }
            m_tabs->addTab(grid, it->Name.isEmpty() ? it->QueryShortName : it->Name);
        }
    }
    ~TfrmRunGrids() override
    {
        if (m_ownsParams)
            delete m_params;
    }
    TQueryList *Queries() const { return m_queries.get(); }
    TParamAskMeList *Params() const { return m_params; }

private:
    int m_id, m_kind;
    std::unique_ptr<TQueryList> m_queries;
    TParamAskMeList *m_params;
    bool m_ownsParams;
    QTabWidget *m_tabs;
};

QList<QWidget *> candidates()
{
    QList<QWidget *> out;
    if (QMdiArea *area = MdiArea())
        for (QMdiSubWindow *s : area->subWindowList())
            if (s->widget())
                out << s->widget();
    for (QWidget *w : QApplication::topLevelWidgets())
        out << w;
    return out;
}

} // namespace

QWidget *FindQueryBrowser(int objectId, int objectKind)
{
    for (QWidget *w : candidates())
        if (w->objectName() == u"frmRunGrids" && w->property("vornObjectId").toInt() == objectId &&
            w->property("vornObjectKind").toInt() == objectKind)
            return w;
    return nullptr;
}

void ShowQueryBrowser(int objectId, int objectKind, const QString &caption, std::unique_ptr<TQueryList> queries,
                      TParamAskMeList *params, bool ownsParams)
{
    if (QWidget *open = FindQueryBrowser(objectId, objectKind)) {
        if (ownsParams)
            delete params;
        open->raise();
        open->activateWindow();
        return;
    }
    auto *w = new TfrmRunGrids(objectId, objectKind, caption, std::move(queries), params, ownsParams);
    if (QMdiArea *area = MdiArea()) {
        QMdiSubWindow *sub = area->addSubWindow(w);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->show();
    } else {
        w->resize(800, 500);
        w->show();
    }
}
