// Page painting. Coordinates are converted from millimetres to device pixels
// here rather than through a painter transform, so fonts are sized by the
// device's own resolution and text stays vector text in PDF and SVG.
#include "platform/report/ReportPainter.h"
#include "platform/report/ReportText.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QRawFont>
#include <memory>
#include <vector>

namespace vorn::report {

namespace {

// Report text is Latin and Cyrillic without shaping needs, so lines are drawn as
// glyph runs straight from the font's character map: several times faster than
// drawText on long reports. Text with a character the font lacks goes through
// drawText, which finds a fallback font.
struct FontCache
{
    QFont font;
    QRawFont raw;
    QFontMetricsF metrics;
    bool decorated;
};

bool drawLine(QPainter &p, FontCache &fc, const QString &line, double x, double baseline, Qt::Alignment al, const QRectF &r)
{
    if (!fc.raw.isValid())
        return false;
    QList<quint32> glyphs = fc.raw.glyphIndexesForString(line);
    for (quint32 g : glyphs)
        if (g == 0)
            return false;
    const QList<QPointF> advances = fc.raw.advancesForGlyphIndexes(glyphs);
    QList<QPointF> positions;
    positions.reserve(advances.size());
    double w = 0;
    for (const QPointF &a : advances) {
        positions.append(QPointF(w, 0));
        w += a.x();
    }
    if (al & Qt::AlignRight) x = r.right() - w;
    else if (al & Qt::AlignHCenter) x = r.left() + (r.width() - w) / 2;
    QGlyphRun run;
    run.setRawFont(fc.raw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    run.setUnderline(fc.font.underline());
    run.setStrikeOut(fc.font.strikeOut());
    p.drawGlyphRun(QPointF(x, baseline), run);
    return true;
}

} // namespace

void paintPage(QPainter &p, const ReportPages &pages, int index, QPointF origin)
{
    const ReportPage &page = pages.page(index);
    QPaintDevice *dev = p.device();
    const double kx = dev->logicalDpiX() / 25.4;
    const double ky = dev->logicalDpiY() / 25.4;
    auto pt = [&](QPointF mm) { return QPointF(origin.x() + mm.x() * kx, origin.y() + mm.y() * ky); };
    auto rc = [&](const QRectF &mm) { return QRectF(pt(mm.topLeft()), pt(mm.bottomRight())); };
    QHash<int, FontCache *> fonts;
    std::vector<std::unique_ptr<FontCache>> owned;
    FontCache *lastFont = nullptr;
    QRgb lastColor = 0;
    bool lastPenWasShape = true;
    // SVG keeps text as text elements only through drawText
    const bool glyphRuns = !p.paintEngine() || p.paintEngine()->type() != QPaintEngine::SVG;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    for (const PageItem &it : page.items) {
        switch (it.kind) {
        case PageItem::Text: {
            if (it.text.isEmpty() && it.lines.isEmpty()) break;
            FontCache *fc = fonts.value(it.font);
            if (!fc) {
                QFont qf = it.font >= 0 && it.font < pages.fonts().size() ? toQFont(pages.fonts().at(it.font)) : toQFont(PageFont{QStringLiteral("Arial"), 10});
                QFontMetricsF m(qf, dev);
                QRawFont raw = QRawFont::fromFont(qf);
                raw.setPixelSize(qf.pointSizeF() * dev->logicalDpiY() / 72.0);
                owned.push_back(std::unique_ptr<FontCache>(new FontCache{qf, raw, m, false}));
                fc = owned.back().get();
                fonts.insert(it.font, fc);
            }
            // state changes cost bytes in every PDF page stream; set only what changed
            if (fc != lastFont) {
                p.setFont(fc->font);
                lastFont = fc;
            }
            if (it.color != lastColor || lastPenWasShape) {
                p.setPen(QColor::fromRgba(it.color));
                lastColor = it.color;
                lastPenWasShape = false;
            }
            const QFontMetricsF &fm = fc->metrics;
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
                if (glyphRuns && drawLine(p, *fc, line, x, y + fm.ascent(), al, r)) {
                    y += lh;
                    continue;
                }
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
            lastPenWasShape = true;
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
            lastPenWasShape = true;
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
