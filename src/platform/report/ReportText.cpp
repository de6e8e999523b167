// Measuring happens on a 1200 dpi image so widths do not depend on the screen;
// painters draw unhinted at their own resolution and land on the same positions.
#include "platform/report/ReportText.h"

#include <QImage>
#include <QRegularExpression>

namespace vorn::report {

namespace {
constexpr double measureDpi = 1200;

const QPaintDevice *measureDevice()
{
    static QImage img = [] {
        QImage i(1, 1, QImage::Format_ARGB32);
        i.setDotsPerMeterX(int(measureDpi / 0.0254 + 0.5));
        i.setDotsPerMeterY(int(measureDpi / 0.0254 + 0.5));
        return i;
    }();
    return &img;
}
} // namespace

QFont toQFont(const PageFont &f)
{
    QFont q(f.family.isEmpty() ? QStringLiteral("Arial") : f.family);
    q.setPointSizeF(f.size > 0 ? f.size : 10);
    q.setBold(f.bold);
    q.setItalic(f.italic);
    q.setUnderline(f.underline);
    q.setStrikeOut(f.strikeOut);
    q.setHintingPreference(QFont::PreferNoHinting);
    q.setKerning(false);
    return q;
}

TextMeasure::TextMeasure(const PageFont &font)
    : m_font(toQFont(font)), m_metrics(m_font, measureDevice())
{
    const double k = 25.4 / measureDpi;
    m_lineHeight = m_metrics.lineSpacing() * k;
    m_ascent = m_metrics.ascent() * k;
}

double TextMeasure::width(const QString &text) const
{
    return m_metrics.horizontalAdvance(text) * 25.4 / measureDpi;
}

QStringList TextMeasure::wrap(const QString &text, double widthMm) const
{
    QStringList out;
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(u'\r', u'\n');
    const QStringList paragraphs = t.split(u'\n');
    for (const QString &para : paragraphs) {
        if (para.isEmpty()) {
            out.append(QString());
            continue;
        }
        QString line;
        int i = 0;
        while (i < para.size()) {
            int j = i;
            while (j < para.size() && para.at(j) != u' ')
                ++j;
            while (j < para.size() && para.at(j) == u' ')
                ++j;
            const QString word = para.mid(i, j - i);
            if (line.isEmpty() || width(line + word.trimmed()) <= widthMm) {
                line += word;
            } else {
                out.append(line.trimmed());
                line = word;
            }
            // a word wider than the line is broken by characters
            while (width(line.trimmed()) > widthMm && line.trimmed().size() > 1) {
                int k = int(line.size()) - 1;
                while (k > 1 && width(line.left(k)) > widthMm)
                    --k;
                out.append(line.left(k));
                line = line.mid(k);
            }
            i = j;
        }
        out.append(line.trimmed().isEmpty() ? QString() : QString(line).remove(QRegularExpression(QStringLiteral(" +$"))));
    }
    return out;
}

} // namespace vorn::report
