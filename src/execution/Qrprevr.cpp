// The preview window owns the generated pages it shows; the run that made them may
// end long before the window closes. Save and load use the engine's own page file
// first and its exporters after it.
#include "execution/Qrprevr.h"

#include "database/VornMessages.h"
#include "execution/VornReportDesigner.h"
#include "platform/report/ReportExport.h"
#include "platform/report/ReportPages.h"
#include "platform/report/ReportPreview.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

using namespace vorn::report;

namespace {

const char kSavedReportName[] = "Отчёт Vorn";

struct ExportFilter
{
    const char *title;
    const char *format;
};
// the export filters of the data module, in place of text, CSV, HTML, Excel, RTF, WMF
const ExportFilter kExports[] = {
    {"Текст", "txt"}, {"CSV", "csv"}, {"HTML", "html"}, {"Excel", "xlsx"}, {"RTF", "rtf"}, {"PDF", "pdf"}, {"SVG", "svg"}, {"PNG", "png"},
};

QString filterEntry(const QString &title, const QString &ext)
{
    return title + QStringLiteral(" (*.") + ext + u')';
}

} // namespace

TQRRussianPreview::TQRRussianPreview(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("QRRussianPreview"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_pages = new ReportPages(this);
    m_preview = new ReportPreview(this);
    m_preview->setObjectName(QStringLiteral("QRPreview"));
    m_preview->setPages(m_pages);
    m_preview->horizontalScrollBar()->setTracking(true);
    m_preview->verticalScrollBar()->setTracking(true);
    m_preview->installEventFilter(this);
    setCentralWidget(m_preview);

    auto *tb = addToolBar(QStringLiteral("Просмотр"));
    tb->setObjectName(QStringLiteral("ToolBar"));
    tb->setToolButtonStyle(Qt::ToolButtonFollowStyle);
    tb->setMovable(false);
    m_fitGroup = new QActionGroup(this);
    m_fitGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    auto fit = [&](const char *name, const QString &text, ReportPreview::ZoomMode mode) {
        QAction *a = tb->addAction(text);
        a->setObjectName(QLatin1String(name));
        a->setToolTip(text);
        a->setCheckable(true);
        m_fitGroup->addAction(a);
        connect(a, &QAction::triggered, this, [this, a, mode] {
            a->setChecked(true);
            m_preview->setZoomMode(mode);
        });
        return a;
    };
    m_whole = fit("ZoomToFit", QStringLiteral("Целая страница"), ReportPreview::WholePage);
    m_actual = fit("Zoom100", QStringLiteral("100%"), ReportPreview::ActualSize);
    m_width = fit("ZoomToWidth", QStringLiteral("По ширине страницы"), ReportPreview::PageWidth);
    m_width->setChecked(true);

    m_zoomButton = new QToolButton(this);
    m_zoomButton->setObjectName(QStringLiteral("ZoomButton"));
    m_zoomButton->setToolTip(QStringLiteral("Маштаб"));
    m_zoomButton->setPopupMode(QToolButton::InstantPopup);
    auto *menu = new QMenu(m_zoomButton);
    for (const char *preset : {"500%", "200%", "100%", " 75%", " 20%"}) {
        const QString text = QString::fromLatin1(preset);
        menu->addAction(text, this, [this, text] {
            releaseFitButtons();
            m_preview->setZoomPercent(text.trimmed().chopped(1).toInt());
        });
    }
    m_zoomButton->setMenu(menu);
    tb->addWidget(m_zoomButton);
    auto *spin = new QSpinBox(this);
    spin->setObjectName(QStringLiteral("ZoomSpin"));
    spin->setToolTip(QStringLiteral("Изменение маштаба +/- 10%"));
    spin->setRange(10, 500);
    spin->setSingleStep(10);
    spin->setSuffix(QStringLiteral("%"));
    connect(spin, &QSpinBox::valueChanged, this, [this](int v) {
        if (v == m_preview->zoomPercent())
            return;
        releaseFitButtons();
        m_preview->setZoomPercent(v);
    });
    tb->addWidget(spin);
    connect(m_preview, &ReportPreview::zoomChanged, this, [this, spin](int percent) {
        m_zoomButton->setText(QString::number(percent) + u'%');
        const QSignalBlocker block(spin);
        spin->setValue(percent);
    });
    tb->addSeparator();
    auto action = [&](const char *name, const QString &text, auto slot, QStyle::StandardPixmap icon = QStyle::SP_CustomBase) {
        QAction *a = tb->addAction(text);
        if (icon != QStyle::SP_CustomBase)
            a->setIcon(style()->standardIcon(icon));
        a->setObjectName(QLatin1String(name));
        a->setToolTip(text);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    action("FirstPage", QStringLiteral("Первая страница"), [this] { m_preview->firstPage(); }, QStyle::SP_MediaSkipBackward);
    action("PrevPage", QStringLiteral("Предыдущая страница"), [this] { m_preview->previousPage(); }, QStyle::SP_MediaSeekBackward);
    action("NextPage", QStringLiteral("Следующая страница"), [this] { m_preview->nextPage(); }, QStyle::SP_MediaSeekForward);
    action("LastPage", QStringLiteral("Последняя страница"), [this] { m_preview->lastPage(); }, QStyle::SP_MediaSkipForward);
    tb->addSeparator();
    m_printSetup = action("PrintSetup", QStringLiteral("Настройка печати"), [this] { actnPrintSetupExecute(); }, QStyle::SP_FileDialogDetailedView);
    action("Print", QStringLiteral("Печать"), [this] { actnPrintExecute(); }, QStyle::SP_DialogApplyButton);
    tb->addSeparator();
    action("SaveReport", QStringLiteral("Сохранить отчёт"), [this] { actnSaveExecute(); }, QStyle::SP_DialogSaveButton);
    action("LoadReport", QStringLiteral("Загрузить отчёт"), [this] { actnLoadExecute(); }, QStyle::SP_DialogOpenButton);
    tb->addSeparator();
    action("Exit", QStringLiteral("Выход"), [this] { close(); }, QStyle::SP_DialogCloseButton);

    m_progress = new QLabel(this);
    m_progress->setObjectName(QStringLiteral("ProgressPanel"));
    m_progress->setMinimumWidth(60);
    m_pageLabel = new QLabel(this);
    m_pageLabel->setObjectName(QStringLiteral("PagePanel"));
    statusBar()->addWidget(m_progress);
    statusBar()->addWidget(m_pageLabel, 1);

    connect(m_preview, &ReportPreview::pageChanged, this, [this] { updatePageStatus(); });
    connect(m_preview, &ReportPreview::pageCountChanged, this, [this] {
        updatePageStatus();
        updateCaption();
    });
    connect(m_pages, &ReportPages::finished, this, [this] { updateCaption(); });
    updateCaption();
    m_zoomButton->setText(QString::number(m_preview->zoomPercent()) + u'%');
    qApp->installEventFilter(this);
}

TQRRussianPreview::~TQRRussianPreview() { qApp->removeEventFilter(this); }

void TQRRussianPreview::updateCaption()
{
    const QString title = m_pages->title();
    setWindowTitle(title.isEmpty() ? QStringLiteral("Предварительный просмотр отчёта") : title);
}

void TQRRussianPreview::updatePageStatus()
{
    m_pageLabel->setText(QStringLiteral("Page %1 of %2").arg(m_preview->currentPage()).arg(m_pages->pageCount()));
}

QString TQRRussianPreview::ProgressText() const { return m_progress->text(); }
QString TQRRussianPreview::PageText() const { return m_pageLabel->text(); }

void TQRRussianPreview::releaseFitButtons()
{
    for (QAction *a : m_fitGroup->actions())
        a->setChecked(false);
}

void TQRRussianPreview::SetProgress(int percent)
{
    if (percent <= 0 || percent >= 100) {
        m_shownProgress = qBound(0, percent, 100);
        m_progress->clear();
    } else if (percent - m_shownProgress >= 5) {
        m_shownProgress = percent;
        m_progress->setText(QString::number(percent) + u'%');
    }
}

bool TQRRussianPreview::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_preview && event->type() == QEvent::KeyPress) {
        keyPressEvent(static_cast<QKeyEvent *>(event));
        return event->isAccepted();
    }
    if (event->type() == QEvent::WindowActivate && watched == this)
        m_beenActive = true;
    // Until the preview has been the active window itself, activations of other windows
    // are the window manager's doing, not the user's: closing the prompt gives the focus
    // back to the main window just before the new preview is mapped and focused.
    if (m_beenActive && event->type() == QEvent::WindowActivate && watched != this && watched->isWidgetType()) {
        auto *w = static_cast<QWidget *>(watched);
        // a dialog of this window (save, print) does not count
        bool own = false;
        for (QWidget *p = w; p; p = p->parentWidget())
            own = own || p == this;
        if (w->isWindow() && !own && !qobject_cast<TQRRussianPreview *>(w) && w->windowType() != Qt::Popup && w->windowType() != Qt::ToolTip)
            QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
    return QMainWindow::eventFilter(watched, event);
}

void TQRRussianPreview::keyPressEvent(QKeyEvent *e)
{
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    switch (e->key()) {
    case Qt::Key_PageUp: ctrl ? m_preview->firstPage() : m_preview->previousPage(); break;
    case Qt::Key_PageDown: ctrl ? m_preview->lastPage() : m_preview->nextPage(); break;
    case Qt::Key_Home: m_preview->firstPage(); break;
    case Qt::Key_End: m_preview->lastPage(); break;
    default: e->ignore(); return;
    }
    e->accept();
}

void TQRRussianPreview::closeEvent(QCloseEvent *event)
{
    if (!m_closedOnce) {
        m_closedOnce = true;
        qApp->removeEventFilter(this);
    }
    QMainWindow::closeEvent(event);
}

void TQRRussianPreview::actnPrintSetupExecute()
{
    QPrinter printer(QPrinter::HighResolution);
    TReportDesignerDialog::SetUpPrinter(&printer);
    QPageSetupDialog dlg(&printer, this);
    dlg.setObjectName(QStringLiteral("dlgPrintSetup"));
    ExecDialog(&dlg);
}

void TQRRussianPreview::actnPrintExecute()
{
    QPrinter printer(QPrinter::HighResolution);
    TReportDesignerDialog::SetUpPrinter(&printer);
    printer.setDocName(windowTitle());
    QPrintDialog dlg(&printer, this);
    dlg.setObjectName(QStringLiteral("dlgPrint"));
    dlg.setMinMax(1, qMax(1, m_pages->pageCount()));
    if (ExecDialog(&dlg) != QDialog::Accepted)
        return;
    TReportDesignerDialog::ApplyPrinterSetup(&printer);
    QString error;
    if (!printPages(*m_pages, &printer, &error))
        ShowError(error);
}

QString TQRRussianPreview::SaveFilter()
{
    QStringList f{filterEntry(QString::fromUtf8(kSavedReportName), QLatin1String(savedReportExtension))};
    for (const ExportFilter &e : kExports)
        f << filterEntry(QString::fromUtf8(e.title), QLatin1String(e.format));
    return f.join(QStringLiteral(";;"));
}

// The format of a save: the extension typed when it names one ("x.xlsx" is a workbook
// whatever filter was left selected), else the chosen filter's, else the saved-report file.
static QString saveFormat(const QString &fileName, const QString &filter)
{
    const QString ext = QFileInfo(fileName).suffix().toLower();
    if (exportFormats().contains(ext))
        return ext;
    for (const ExportFilter &e : kExports)
        if (filter == filterEntry(QString::fromUtf8(e.title), QLatin1String(e.format)))
            return QLatin1String(e.format);
    return QLatin1String(savedReportExtension);
}

void TQRRussianPreview::SaveReport(const QString &fileName, const QString &filter)
{
    QString error;
    if (!exportFile(*m_pages, fileName, saveFormat(fileName, filter), &error))
        ShowError(error);
}

void TQRRussianPreview::actnSaveExecute()
{
    QFileDialog dlg(this, QStringLiteral("Save report"));
    dlg.setObjectName(QStringLiteral("dlgSaveReport"));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setNameFilter(SaveFilter());
    dlg.setDefaultSuffix(QLatin1String(savedReportExtension));
    // a name typed without extension takes the one of the chosen filter
    connect(&dlg, &QFileDialog::filterSelected, &dlg, [&dlg](const QString &filter) {
        dlg.setDefaultSuffix(saveFormat(QString(), filter));
    });
    if (ExecDialog(&dlg) != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return;
    SaveReport(dlg.selectedFiles().first(), dlg.selectedNameFilter());
}

bool TQRRussianPreview::LoadReport(const QString &fileName)
{
    if (!QFileInfo::exists(fileName)) {
        ShowError(QStringLiteral("File does not exist"));
        return false;
    }
    QString error;
    if (!m_pages->loadFile(fileName, &error)) {
        ShowError(error);
        return false;
    }
    m_preview->setPages(m_pages);
    m_preview->setCurrentPage(1);
    m_printSetup->setEnabled(false);
    updateCaption();
    updatePageStatus();
    return true;
}

void TQRRussianPreview::actnLoadExecute()
{
    const QString ext = QLatin1String(savedReportExtension);
    QFileDialog dlg(this, QStringLiteral("Load report"));
    dlg.setObjectName(QStringLiteral("dlgLoadReport"));
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setNameFilter(QString::fromUtf8(kSavedReportName) + QStringLiteral(" (*.") + ext + u')');
    if (ExecDialog(&dlg) != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return;
    LoadReport(dlg.selectedFiles().first());
}

TQRRussianPreview *TQRRussianPreviewInterface::Show()
{
    auto *p = new TQRRussianPreview(MainWindow());
    p->setWindowFlag(Qt::Window);
    p->showMaximized();
    p->raise();
    p->activateWindow();
    return p;
}

int TQRRussianPreviewInterface::ShowModal(TQRRussianPreview *preview)
{
    preview->setWindowModality(Qt::ApplicationModal);
    preview->showMaximized();
    QEventLoop loop;
    QObject::connect(preview, &QObject::destroyed, &loop, &QEventLoop::quit);
    loop.exec();
    return 0;
}
