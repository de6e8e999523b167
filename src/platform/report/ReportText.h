// Text measurement shared by the engine and the painters: fonts as the layout
// names them (Arial → Liberation Sans through fontconfig), widths in millimetres
// measured at a fixed high resolution without hinting, and word wrapping.
#pragma once

#include "platform/report/ReportPages.h"

#include <QFont>
#include <QFontMetricsF>
#include <QString>
#include <QStringList>

namespace vorn::report {

QFont toQFont(const PageFont &font);                  // point-sized, unhinted

class TextMeasure
{
public:
    explicit TextMeasure(const PageFont &font);
    double width(const QString &text) const;          // mm
    double lineHeight() const { return m_lineHeight; }  // mm
    double ascent() const { return m_ascent; }        // mm
    QStringList wrap(const QString &text, double widthMm) const;   // keeps explicit line breaks

private:
    QFont m_font;
    QFontMetricsF m_metrics;
    double m_lineHeight;
    double m_ascent;
};

// Rich text (HTML) laid out into runs of one font each, positions in mm
// relative to the item's top left; each run becomes a text item of the page.
struct TextRun
{
    QString text;
    PageFont font;
    QRgb color;
    QRectF rect;
};
// Markup beyond the limits the layout can take in reasonable time is laid out as
// plain text; *refusal then says why (empty when the markup was used).
QList<TextRun> layoutRichText(const QString &html, const PageFont &base, QRgb color, double widthMm, double *heightMm,
                              QString *refusal = nullptr);
QString richTextRefusal(const QString &html);        // empty when the markup is within the limits

} // namespace vorn::report
