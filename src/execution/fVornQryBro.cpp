// The result browser window and its entry points: one browser per (object id, kind),
// the parameter panel for administrators, one grid per data source, reopen, export.
#include "execution/fVornQryBro.h"

#include "database/VornMessages.h"
#include "database/dmdVorn.h"
#include "VornImages.h"
#include "execution/ParamAskMe.h"
#include "execution/VornExport.h"
#include "execution/VornGridTools.h"
#include "execution/fVornBLOB1.h"
#include "execution/fVornBLOB2.h"
#include "platform/data/DataSource.h"
#include "platform/data/Dataset.h"
#include "platform/widgets/DataGrid.h"
#include "platform/widgets/DataNavigator.h"
#include "platform/widgets/DatasetModel.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>

using vorn::DataGrid;

TfrmVornQueryBro::TfrmVornQueryBro(int objectId, int objectKind, const QString &caption,
                                   std::unique_ptr<TQueryList> queries, TParamAskMeList *params, bool ownsParams,
                                   QWidget *parent)
    : QWidget(parent), m_objectId(objectId), m_objectKind(objectKind), m_queries(std::move(queries)),
      m_params(params), m_ownsParams(ownsParams)
{
    setObjectName(QStringLiteral("frmVornQueryBro"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Результаты запроса \"") + caption + u'"');
    if (!m_queries)
        m_queries = std::make_unique<TQueryList>();

    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_actText = m_toolBar->addAction(vornIcon(VornImg::ExportText), QStringLiteral("Вывод в текст. файл"));
    m_actText->setObjectName(QStringLiteral("actnTextFile"));
    m_actText->setToolTip(QStringLiteral("Вывод в текст. файл"));
    m_actExcel = m_toolBar->addAction(vornIcon(VornImg::ExportExcel), QStringLiteral("Вывод в Excel"));
    m_actExcel->setObjectName(QStringLiteral("actnExcel"));
    m_actExcel->setToolTip(QStringLiteral("Вывод в Excel"));
    m_actReopen = m_toolBar->addAction(vornIcon(VornImg::Refresh), QStringLiteral("Обновить"));
    m_actReopen->setObjectName(QStringLiteral("actnReopen"));
    m_toolBar->addSeparator();
    m_navigator = new vorn::DataNavigator(m_toolBar);
    m_navigator->setObjectName(QStringLiteral("DBNavigator1"));
    m_navigator->setVisibleButtons(vorn::DataNavigator::First | vorn::DataNavigator::Prior |
                                   vorn::DataNavigator::Next | vorn::DataNavigator::Last);
    m_toolBar->addWidget(m_navigator);
    lay->addWidget(m_toolBar);

    m_splitter = new QSplitter(Qt::Vertical, this);
    m_splitter->setObjectName(QStringLiteral("Splitter1"));
    m_splitter->setChildrenCollapsible(false);
    lay->addWidget(m_splitter, 1);
    buildParamPanel(dmVorn() ? dmVorn()->IsAdmin() : false);

    m_tabs = new QTabWidget(m_splitter);
    m_tabs->setObjectName(QStringLiteral("PageControl1"));
    m_splitter->addWidget(m_tabs);
    m_splitter->setStretchFactor(m_splitter->indexOf(m_tabs), 1);
    for (int i = 0; i < m_queries->Count(); ++i) {
        const TQueryListItem *it = m_queries->Items(i);
        auto *grid = new DataGrid(m_tabs);
        grid->setObjectName(QStringLiteral("DBgrid_") + it->QueryShortName);
        grid->setProperty("vornDataControl", QStringLiteral("grid"));
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        grid->setCellPainter(DrawGridCell);
        grid->setHeaderSorting(true);  // the rows are only looked at: the user may re-order them
        connect(grid, &QAbstractItemView::clicked, this, [this, grid](const QModelIndex &ix) { cellClicked(grid, ix); });
        m_grids << grid;
        m_tabs->addTab(grid, it->Name);
    }
    connect(m_tabs, &QTabWidget::currentChanged, this, &TfrmVornQueryBro::tabChanged);
    connect(m_actText, &QAction::triggered, this, [this] {
        try {
            ExportBrowserToText(this);
        } catch (const std::exception &e) {
            ShowError(QString::fromUtf8(e.what()));
        }
    });
    connect(m_actExcel, &QAction::triggered, this, [this] { ExportToExcel(this); });
    connect(m_actReopen, &QAction::triggered, this, [this] {
        try {
            Reopen();
        } catch (const std::exception &e) {
            ShowError(QString::fromUtf8(e.what()));
        }
    });
    resize(760, 480);
}

TfrmVornQueryBro::~TfrmVornQueryBro()
{
    // viewers hold this window's data sources: they go first
    for (const QPointer<QWidget> &v : std::as_const(m_viewers))
        if (v) {
            QWidget *w = v;
            if (auto *sub = qobject_cast<QMdiSubWindow *>(w->parentWidget()))
                w = sub;
            delete w;
        }
    for (DataGrid *g : std::as_const(m_grids))
        g->setDataSource(nullptr);
    m_navigator->setDataSource(nullptr);
    if (m_ownsParams)
        delete m_params;
}

bool TfrmVornQueryBro::ParamPanelShown(bool isAdmin, const TParamAskMeList *params)
{
    return isAdmin && params && params->Count() > 0;
}

int TfrmVornQueryBro::ParamPanelRows(const TParamAskMeList *params)
{
    int rows = 0;
    for (int i = 0; params && i < params->Count(); ++i) {
        const TParamAskMe *p = params->Items(i);
        rows += (p->IdParTyp == ptLookup || p->IdParTyp == ptMultiLookup) ? 2 : 1;
    }
    return rows;
}

void TfrmVornQueryBro::buildParamPanel(bool isAdmin)
{
    if (!ParamPanelShown(isAdmin, m_params))
        return;
    m_paramGrid = new QTableWidget(ParamPanelRows(m_params), 2, m_splitter);
    m_paramGrid->setObjectName(QStringLiteral("grdParams"));
    m_paramGrid->setHorizontalHeaderLabels({QStringLiteral("Параметр"), QStringLiteral("Значение")});
    m_paramGrid->verticalHeader()->hide();
    m_paramGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_paramGrid->verticalHeader()->setDefaultSectionSize(17);
    m_paramGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_paramGrid->horizontalHeader()->setFixedHeight(17);
    m_paramGrid->setColumnWidth(0, 220);
    m_paramGrid->setColumnWidth(1, 298);
    int row = 0;
    for (int i = 0; i < m_params->Count(); ++i) {
        const TParamAskMe *p = m_params->Items(i);
        m_paramGrid->setItem(row, 0, new QTableWidgetItem(p->ParLabel));
        m_paramGrid->setItem(row, 1, new QTableWidgetItem(ParamShownText(*p)));
        ++row;
        if (p->IdParTyp == ptLookup || p->IdParTyp == ptMultiLookup) {
            m_paramGrid->setItem(row, 0, new QTableWidgetItem(QString()));
            m_paramGrid->setItem(row, 1, new QTableWidgetItem(p->Lookup ? p->Lookup->DisplayText : QString()));
            ++row;
        }
    }
    const int h = ParamPanelHeight(row + 1, 17);
    m_paramGrid->setMinimumHeight(17 + 12);
    m_paramGrid->resize(m_paramGrid->width(), h);
    m_splitter->addWidget(m_paramGrid);
    m_splitter->setSizes({h, 10000});
    m_paramGrid->setProperty("vornPanelHeight", h);
}

void TfrmVornQueryBro::OpenData()
{
    QApplication::processEvents();
    OpenReportDataSets(this, m_params, m_queries.get(), false);
    for (int i = 0; i < m_grids.size(); ++i) {
        const QString shortName = m_queries->Items(i)->QueryShortName;
        auto *src = findChild<vorn::DataSource *>(QStringLiteral("ds") + shortName, Qt::FindDirectChildrenOnly);
        DataGrid *grid = m_grids[i];
        if (grid->dataSource() != src)
            grid->setDataSource(src);
        // columns as wide as their texts would need, then every one wider than 100 narrowed,
        // but never below the longest word of its label: the label wraps instead of being cut
        QHeaderView *h = grid->horizontalHeader();
        const QFontMetrics fm = grid->fontMetrics();
        for (int c = 0; c < h->count(); ++c) {
            const vorn::Field *f = grid->datasetModel()->fieldAt(c);
            if (!f)
                continue;
            int chars = f->displayWidth();
            if (chars <= 0) {
                const vorn::FieldType t = f->dataType();
                chars = vorn::fieldtype::isString(t) ? std::max(f->size(), 4)
                        : vorn::fieldtype::isDateTime(t) ? 10
                        : t == vorn::ftBoolean || vorn::fieldtype::isBlob(t) ? 3 : 12;
            }
            const int w = std::max(fm.horizontalAdvance(f->displayLabel()) + 12, fm.horizontalAdvance(QLatin1Char('0')) * chars + 8);
            h->resizeSection(c, std::max(std::min(w, 100), grid->headerWordWidth(c)));
        }
        grid->fitHeaderHeight();
    }
    tabChanged(m_tabs->currentIndex());
}

void TfrmVornQueryBro::Reopen() { OpenData(); }

DataGrid *TfrmVornQueryBro::Grid(int index) const { return index >= 0 && index < m_grids.size() ? m_grids[index] : nullptr; }
DataGrid *TfrmVornQueryBro::CurrentGrid() const { return Grid(m_tabs->currentIndex()); }
vorn::DataSource *TfrmVornQueryBro::CurrentDataSource() const
{
    DataGrid *g = CurrentGrid();
    return g ? g->dataSource() : nullptr;
}
vorn::Dataset *TfrmVornQueryBro::CurrentDataSet() const
{
    DataGrid *g = CurrentGrid();
    return g ? g->dataset() : nullptr;
}

void TfrmVornQueryBro::tabChanged(int index)
{
    DataGrid *g = Grid(index);
    m_navigator->setDataSource(g ? g->dataSource() : nullptr);
}

void TfrmVornQueryBro::cellClicked(DataGrid *grid, const QModelIndex &index)
{
    vorn::Field *f = grid->datasetModel()->fieldAt(index.column());
    if (!f || !grid->dataSource())
        return;
    const vorn::FieldType t = f->dataType();
    if (t == vorn::ftMemo || t == vorn::ftFmtMemo)
        ShowBlobText(this, f->fieldName(), grid->dataSource());
    else if (t == vorn::ftBlob || t == vorn::ftGraphic || t == vorn::ftTypedBinary)
        ShowBlobImage(this, f->fieldName(), grid->dataSource());
}

void TfrmVornQueryBro::closeEvent(QCloseEvent *e)
{
    QWidget::closeEvent(e);
    m_closing = e->isAccepted();
}

void TfrmVornQueryBro::AddViewer(QWidget *viewer) { m_viewers << viewer; }

QList<QWidget *> TfrmVornQueryBro::Viewers() const
{
    QList<QWidget *> out;
    for (const QPointer<QWidget> &v : m_viewers)
        if (v)
            out << v;
    return out;
}

TfrmVornQueryBro *QueryBrowserOf(QWidget *w)
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(w))
        w = sub->widget();
    return qobject_cast<TfrmVornQueryBro *>(w);
}

// ---------------------------------------------------------------- entry points

static QList<QWidget *> openWindows()
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

QWidget *FindQueryBrowser(int objectId, int objectKind)
{
    for (QWidget *w : openWindows())
        if (auto *b = qobject_cast<TfrmVornQueryBro *>(w))
            if (b->ObjectId() == objectId && b->ObjectKind() == objectKind && !b->IsClosing())
                return b;
    return nullptr;
}

void ShowQueryBrowser(int objectId, int objectKind, const QString &caption, std::unique_ptr<TQueryList> queries,
                      TParamAskMeList *params, bool ownsParams)
{
    if (QWidget *open = FindQueryBrowser(objectId, objectKind)) {
        if (ownsParams)
            delete params;
        ShowMdiChild(open);
        return;
    }
    auto *w = new TfrmVornQueryBro(objectId, objectKind, caption, std::move(queries), params, ownsParams);
    try {
        w->OpenData();
    } catch (...) {
        delete w;  // frees both lists
        throw;
    }
    ShowMdiChild(w);
}
