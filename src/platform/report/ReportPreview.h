// Preview widget over ReportPages: one page at a time with zoom (whole page,
// 100 %, page width or any percentage), page navigation and signals a preview
// window builds its tool bar and status bar on. Pages appear as they are made.
#pragma once

#include "platform/report/ReportPages.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QPointer>

namespace vorn::report {

class ReportPreview : public QAbstractScrollArea
{
    Q_OBJECT
public:
    enum ZoomMode { WholePage, ActualSize, PageWidth, CustomZoom };
    Q_ENUM(ZoomMode)

    explicit ReportPreview(QWidget *parent = nullptr);

    void setPages(ReportPages *pages);                // not owned
    ReportPages *pages() const { return m_pages; }
    int currentPage() const { return m_page + 1; }   // 1-based; 0 when there are no pages
    int pageCount() const;
    ZoomMode zoomMode() const { return m_mode; }
    int zoomPercent() const;                          // effective zoom for the current mode

public Q_SLOTS:
    void setCurrentPage(int page);                    // 1-based
    void firstPage();
    void previousPage();
    void nextPage();
    void lastPage();
    void setZoomMode(ZoomMode mode);
    void setZoomPercent(int percent);                 // switches to CustomZoom
    void zoomIn();                                    // +10 percentage points
    void zoomOut();
    void setProgress(int percent);                    // re-emitted as progressChanged

Q_SIGNALS:
    void pageChanged(int page, int count);
    void pageCountChanged(int count);
    void zoomChanged(int percent);
    void progressChanged(int percent);

protected:
    void paintEvent(QPaintEvent *) override;
    void resizeEvent(QResizeEvent *) override;
    void keyPressEvent(QKeyEvent *) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    double pixelsPerMm() const;
    void updateScrollBars();
    void invalidate();
    void onPageAdded(int count);

    QPointer<ReportPages> m_pages;
    int m_page = -1;
    ZoomMode m_mode = PageWidth;
    int m_percent = 100;
    QImage m_cache;
    int m_cachePage = -1;
    double m_cacheScale = 0;
};

} // namespace vorn::report
