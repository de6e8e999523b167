// Page painting. Coordinates are converted from millimetres to device pixels
// here rather than through a painter transform, so fonts are sized by the
// device's own resolution and text stays vector text in PDF and SVG.
#include "platform/report/ReportPainter.h"
#include "platform/report/ReportText.h"

#include <QFontMetricsF>
#include <QHash>
#include <QPaintDevice>

namespace vorn::report {

void paintPage(QPainter &p, const ReportPages &pages, int index, QPointF origin)
{
    const ReportPage &page = pages.page(index);
    QPaintDevice *dev = p.device();
    const double kx = dev->logicalDpiX() / 25.4;
    const double ky = dev->logicalDpiY() / 25.4;
    auto pt = [&](QPointF mm) { return QPointF(origin.x() + mm.x() * kx, origin.y() + mm.y() * ky); };
    auto rc = [&](const QRectF &mm) { return QRectF(pt(mm.topLeft()), pt(mm.bottomRight())); };
    QHash<int, QFont> fonts;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    for (const PageItem &it : page.items) {
        switch (it.kind) {
        case PageItem::Text: {
            if (it.text.isEmpty() && it.lines.isEmpty()) break;
            auto f = fonts.find(it.font);
            if (f == fonts.end())
                f = fonts.insert(it.font, it.font >= 0 && it.font < pages.fonts().size() ? toQFont(pages.fonts().at(it.font)) : toQFont(PageFont{QStringLiteral("Arial"), 10}));
            p.setFont(*f);
            p.setPen(QColor::fromRgba(it.color));
            const QFontMetricsF fm(*f, dev);
            const QStringList lines = it.lines.isEmpty() ? QStringList(it.text) : it.lines;
            const double lh = it.lineHeight > 0 ? it.lineHeight * ky : fm.lineSpacing();
            const QRectF r = rc(it.rect);
            const double blockH = lines.size() * lh;
            double y = r.top();
            const Qt::Alignment al(it.alignment);
            if (al & Qt::AlignBottom) y = r.bottom() - blockH;
            else if (al & Qt::AlignVCenter) y = r.top() + (r.height() - blockH) / 2;
            for (const QString &line : lines) {
                double x = r.left();
                if (al & (Qt::AlignRight | Qt::AlignHCenter)) {
                    const double w = fm.horizontalAdvance(line);
                    x = al & Qt::AlignRight ? r.right() - w : r.left() + (r.width() - w) / 2;
                }
                p.drawText(QPointF(x, y + fm.ascent()), line);
                y += lh;
            }
            break;
        }
        case PageItem::Line: {
            QPen pen(QColor::fromRgba(it.color));
            pen.setWidthF(qMax(0.05, it.penWidth) * kx);
            pen.setCapStyle(Qt::FlatCap);
            p.setPen(pen);
            p.drawLine(pt(it.rect.topLeft()), pt(it.rect.bottomRight()));
            break;
        }
        case PageItem::Rect:
        case PageItem::Ellipse: {
            if (it.penWidth > 0) {
                QPen pen(QColor::fromRgba(it.color));
                pen.setWidthF(it.penWidth * kx);
                pen.setJoinStyle(Qt::MiterJoin);
                p.setPen(pen);
            } else {
                p.setPen(Qt::NoPen);
            }
            p.setBrush(it.fill ? QBrush(QColor::fromRgba(it.fill)) : QBrush(Qt::NoBrush));
            const QRectF r = rc(it.rect);
            if (it.kind == PageItem::Ellipse)
                p.drawEllipse(r);
            else if (it.radius > 0)
                p.drawRoundedRect(r, it.radius * kx, it.radius * ky);
            else
                p.drawRect(r);
            p.setBrush(Qt::NoBrush);
            break;
        }
        case PageItem::Image:
            if (it.image >= 0 && it.image < pages.images().size())
                p.drawImage(rc(it.rect), pages.images().at(it.image));
            break;
        }
    }
    p.restore();
}

} // namespace vorn::report
