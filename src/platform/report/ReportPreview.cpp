// The preview paints the current page from a cached image rendered at the
// zoom's resolution, so scrolling does not repaint the display list.
#include "platform/report/ReportPreview.h"
#include "platform/report/ReportPainter.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <cmath>

namespace vorn::report {

namespace { constexpr int pageGap = 12; }

ReportPreview::ReportPreview(QWidget *parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
    horizontalScrollBar()->setTracking(true);
    verticalScrollBar()->setTracking(true);
}

void ReportPreview::setPages(ReportPages *pages)
{
    if (m_pages) disconnect(m_pages, nullptr, this, nullptr);
    m_pages = pages;
    m_page = pages && pages->pageCount() ? 0 : -1;
    if (pages) {
        connect(pages, &ReportPages::pageAdded, this, &ReportPreview::onPageAdded);
        connect(pages, &ReportPages::cleared, this, [this] {
            m_page = -1;
            invalidate();
            Q_EMIT pageCountChanged(0);
            Q_EMIT pageChanged(0, 0);
        });
        connect(pages, &ReportPages::destroyed, this, [this] { m_page = -1; invalidate(); });
    }
    invalidate();
    Q_EMIT pageCountChanged(pageCount());
    Q_EMIT pageChanged(currentPage(), pageCount());
}

int ReportPreview::pageCount() const { return m_pages ? m_pages->pageCount() : 0; }

void ReportPreview::onPageAdded(int count)
{
    Q_EMIT pageCountChanged(count);
    if (m_page < 0) {
        m_page = 0;
        invalidate();
    }
    Q_EMIT pageChanged(currentPage(), count);
}

void ReportPreview::setCurrentPage(int page)
{
    const int n = pageCount();
    if (n == 0) return;
    const int p = qBound(1, page, n) - 1;
    if (p == m_page) return;
    m_page = p;
    invalidate();
    verticalScrollBar()->setValue(0);
    Q_EMIT pageChanged(currentPage(), n);
}

void ReportPreview::firstPage() { setCurrentPage(1); }
void ReportPreview::previousPage() { setCurrentPage(currentPage() - 1); }
void ReportPreview::nextPage() { setCurrentPage(currentPage() + 1); }
void ReportPreview::lastPage() { setCurrentPage(pageCount()); }

void ReportPreview::setZoomMode(ZoomMode mode)
{
    m_mode = mode;
    invalidate();
    Q_EMIT zoomChanged(zoomPercent());
}

void ReportPreview::setZoomPercent(int percent)
{
    m_percent = qBound(10, percent, 800);
    m_mode = CustomZoom;
    invalidate();
    Q_EMIT zoomChanged(zoomPercent());
}

void ReportPreview::zoomIn() { setZoomPercent(zoomPercent() + 10); }
void ReportPreview::zoomOut() { setZoomPercent(zoomPercent() - 10); }
void ReportPreview::setProgress(int percent) { Q_EMIT progressChanged(percent); }

double ReportPreview::pixelsPerMm() const
{
    const double actual = logicalDpiX() / 25.4;
    QSizeF size(210, 297);
    if (m_pages && m_page >= 0 && m_page < m_pages->pageCount()) size = m_pages->page(m_page).size;
    const QSize vp = viewport()->size() - QSize(2 * pageGap, 2 * pageGap);
    switch (m_mode) {
    case ActualSize: return actual;
    case PageWidth: return qMax(1.0, vp.width() / size.width());
    case WholePage: return qMax(1.0, qMin(vp.width() / size.width(), vp.height() / size.height()));
    case CustomZoom: return actual * m_percent / 100.0;
    }
    return actual;
}

int ReportPreview::zoomPercent() const
{
    return int(std::lround(pixelsPerMm() / (logicalDpiX() / 25.4) * 100));
}

void ReportPreview::invalidate()
{
    m_cachePage = -1;
    updateScrollBars();
    viewport()->update();
}

void ReportPreview::updateScrollBars()
{
    if (!m_pages || m_page < 0 || m_page >= m_pages->pageCount()) {
        horizontalScrollBar()->setRange(0, 0);
        verticalScrollBar()->setRange(0, 0);
        return;
    }
    const double k = pixelsPerMm();
    const QSizeF mm = m_pages->page(m_page).size;
    const QSize px(int(mm.width() * k) + 2 * pageGap, int(mm.height() * k) + 2 * pageGap);
    horizontalScrollBar()->setRange(0, qMax(0, px.width() - viewport()->width()));
    verticalScrollBar()->setRange(0, qMax(0, px.height() - viewport()->height()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setSingleStep(20);
    horizontalScrollBar()->setSingleStep(20);
}

void ReportPreview::paintEvent(QPaintEvent *)
{
    QPainter p(viewport());
    if (!m_pages || m_page < 0 || m_page >= m_pages->pageCount()) return;
    const double k = pixelsPerMm();
    if (m_cachePage != m_page || m_cacheScale != k) {
        const QSizeF mm = m_pages->page(m_page).size;
        m_cache = QImage(int(mm.width() * k), int(mm.height() * k), QImage::Format_RGB32);
        m_cache.setDotsPerMeterX(int(std::lround(k * 1000)));
        m_cache.setDotsPerMeterY(int(std::lround(k * 1000)));
        m_cache.fill(Qt::white);
        QPainter ip(&m_cache);
        paintPage(ip, *m_pages, m_page);
        m_cachePage = m_page;
        m_cacheScale = k;
    }
    int x = pageGap - horizontalScrollBar()->value();
    if (m_cache.width() + 2 * pageGap < viewport()->width())
        x = (viewport()->width() - m_cache.width()) / 2;
    const int y = pageGap - verticalScrollBar()->value();
    p.fillRect(QRect(x + 3, y + 3, m_cache.width(), m_cache.height()), QColor(0, 0, 0, 90));
    p.drawImage(x, y, m_cache);
}

void ReportPreview::resizeEvent(QResizeEvent *e)
{
    QAbstractScrollArea::resizeEvent(e);
    invalidate();
    if (m_mode == PageWidth || m_mode == WholePage) Q_EMIT zoomChanged(zoomPercent());
}

void ReportPreview::scrollContentsBy(int, int) { viewport()->update(); }

void ReportPreview::keyPressEvent(QKeyEvent *e)
{
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    switch (e->key()) {
    case Qt::Key_PageUp: ctrl ? firstPage() : previousPage(); break;
    case Qt::Key_PageDown: ctrl ? lastPage() : nextPage(); break;
    case Qt::Key_Home: firstPage(); break;
    case Qt::Key_End: lastPage(); break;
    default: QAbstractScrollArea::keyPressEvent(e); return;
    }
    e->accept();
}

} // namespace vorn::report
