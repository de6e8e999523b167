// Measuring happens on a 1200 dpi image so widths do not depend on the screen;
// painters draw unhinted at their own resolution and land on the same positions.
#include "platform/report/ReportText.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
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

QList<TextRun> layoutRichText(const QString &html, const PageFont &base, QRgb color, double widthMm, double *heightMm)
{
    const double k = 25.4 / measureDpi;
    QTextDocument doc;
    doc.documentLayout()->setPaintDevice(const_cast<QPaintDevice *>(measureDevice()));
    doc.setDefaultFont(toQFont(base));
    doc.setDocumentMargin(0);
    doc.setHtml(html);
    doc.setTextWidth(widthMm / k);
    QList<TextRun> runs;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const QTextLayout *lay = b.layout();
        const QPointF origin = doc.documentLayout()->blockBoundingRect(b).topLeft();
        const QString blockText = b.text();
        for (int li = 0; li < lay->lineCount(); ++li) {
            const QTextLine line = lay->lineAt(li);
            const int ls = line.textStart(), le = ls + line.textLength();
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                const QTextFragment f = it.fragment();
                const int fs = f.position() - b.position(), fe = fs + f.length();
                const int from = qMax(ls, fs), to = qMin(le, fe);
                if (from >= to) continue;
                const QString t = blockText.mid(from, to - from);
                if (t.trimmed().isEmpty()) continue;
                const QTextCharFormat cf = f.charFormat();
                const QFont qf = cf.font().resolve(doc.defaultFont());
                TextRun run;
                run.text = t;
                run.font = PageFont{qf.family(), qf.pointSizeF() > 0 ? qf.pointSizeF() : base.size, qf.bold(), qf.italic(),
                                    qf.underline(), qf.strikeOut()};
                run.color = cf.foreground().style() != Qt::NoBrush ? cf.foreground().color().rgba() : color;
                const double x1 = line.cursorToX(from), x2 = line.cursorToX(to);
                run.rect = QRectF((origin.x() + x1) * k, (origin.y() + line.y()) * k, (x2 - x1) * k, line.height() * k);
                runs.append(run);
            }
        }
    }
    if (heightMm) *heightMm = doc.size().height() * k;
    return runs;
}

} // namespace vorn::report
