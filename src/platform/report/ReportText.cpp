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

/*
** Word wrap. Words are added to the line while they fit; a word wider than the
** line is broken by characters. The width of a prefix grows with its length, so
** the longest prefix that fits is found by doubling its length and then halving
** the step: each probe measures at most twice a line's worth of text, and a long
** word without blanks (a URL, a hash, base64 from data) costs about its length
** times the logarithm of a line's length instead of its length cubed.
*/
namespace {

// Largest k in [1, limit] with the prefix of k characters no wider than widthMm
// (0 when not even one character fits).
int longestFit(const TextMeasure &m, QStringView s, int limit, double widthMm)
{
    int fits = 0, fails = limit + 1;
    for (int probe = 1;; probe *= 2) {
        const int k = qMin(probe, limit);
        if (m.width(s.left(k).toString()) <= widthMm) {
            fits = k;
            if (k == limit)
                return fits;
        } else {
            fails = k;
            break;
        }
    }
    while (fails - fits > 1) {
        const int mid = fits + (fails - fits) / 2;
        if (m.width(s.left(mid).toString()) <= widthMm)
            fits = mid;
        else
            fails = mid;
    }
    return fits;
}

// Whether all of s fits, measuring the whole only when its halves fit.
bool fitsWhole(const TextMeasure &m, QStringView s, double widthMm)
{
    for (qsizetype probe = 1; probe < s.size(); probe *= 2)
        if (m.width(s.left(probe).toString()) > widthMm)
            return false;
    return m.width(s.toString()) <= widthMm;
}

} // namespace

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
            const QStringView word = QStringView(para).mid(i, j - i);
            if (line.isEmpty() || fitsWhole(*this, line + word.trimmed().toString(), widthMm)) {
                line += word;
            } else {
                out.append(line.trimmed());
                line = word.toString();
            }
            // a word wider than the line is broken by characters, never inside a surrogate pair
            while (QStringView(line).trimmed().size() > 1 && !fitsWhole(*this, QStringView(line).trimmed(), widthMm)) {
                int k = qMax(1, longestFit(*this, line, int(line.size()) - 1, widthMm));
                if (line.at(k - 1).isHighSurrogate())
                    k = k > 1 ? k - 1 : k + 1;
                out.append(line.left(k));
                line.remove(0, k);
            }
            i = j;
        }
        out.append(line.trimmed().isEmpty() ? QString() : QString(line).remove(QRegularExpression(QStringLiteral(" +$"))));
    }
    return out;
}

/*
** Rich text from data goes through limits before the rich-text layout sees it.
** That layout lays nested tables out recursively, and its time doubles with each
** level of nesting; deep lists grow quadratically; huge paddings, spacings and
** spans make it loop or overflow. Markup beyond these bounds is shown as plain
** text, its tags visible, so the data is still on the page and nothing hangs.
*/
namespace {
constexpr int maxRichTextSize = 100000;              // characters
constexpr int maxRichTextTags = 20000;
constexpr int maxTableNesting = 8;
constexpr int maxBlockNesting = 32;                  // tables, lists and quotes inside each other
constexpr int maxMarkupDigits = 5;                   // numbers in tags and styles: below 100000
}

QString richTextRefusal(const QString &html)
{
    if (html.size() > maxRichTextSize)
        return QStringLiteral("длиннее %1 символов").arg(maxRichTextSize);
    int tags = 0, tables = 0, blocks = 0;
    const qsizetype n = html.size();
    // a number in markup: a run of digits that starts a value (after "=", ":", a quote, a blank...)
    auto hugeNumberIn = [&](qsizetype from, qsizetype to) {
        for (qsizetype i = from; i < to; ++i) {
            if (!html.at(i).isDigit())
                continue;
            const QChar before = i > from ? html.at(i - 1) : QChar(u' ');
            qsizetype j = i;
            while (j < to && html.at(j).isDigit())
                ++j;
            if (j - i > maxMarkupDigits && QStringView(u"=:\"'( \t\r\n-+,").contains(before))
                return true;
            i = j;
        }
        return false;
    };
    for (qsizetype i = 0; i < n; ++i) {
        if (html.at(i) != u'<')
            continue;
        qsizetype end = html.indexOf(u'>', i + 1);
        if (end < 0)
            end = n;
        if (++tags > maxRichTextTags)
            return QStringLiteral("больше %1 тегов").arg(maxRichTextTags);
        qsizetype p = i + 1;
        const bool closing = p < end && html.at(p) == u'/';
        if (closing)
            ++p;
        qsizetype q = p;
        while (q < end && html.at(q).isLetterOrNumber())
            ++q;
        const QString name = html.mid(p, q - p).toLower();
        if (hugeNumberIn(q, end))
            return QStringLiteral("слишком большие числа в разметке");
        if (name == u"style" && !closing) {
            // a style sheet is markup too
            qsizetype close = html.indexOf(QLatin1String("</style"), end, Qt::CaseInsensitive);
            if (close < 0)
                close = n;
            if (hugeNumberIn(end, close))
                return QStringLiteral("слишком большие числа в разметке");
            end = close - 1;
        }
        const bool table = name == u"table";
        if (table || name == u"ul" || name == u"ol" || name == u"dl" || name == u"blockquote") {
            if (closing) {
                blocks = qMax(0, blocks - 1);
                if (table)
                    tables = qMax(0, tables - 1);
            } else {
                if (++blocks > maxBlockNesting)
                    return QStringLiteral("списки и таблицы вложены глубже %1 уровней").arg(maxBlockNesting);
                if (table && ++tables > maxTableNesting)
                    return QStringLiteral("таблицы вложены глубже %1 уровней").arg(maxTableNesting);
            }
        }
        i = end;
    }
    return QString();
}

QList<TextRun> layoutRichText(const QString &html, const PageFont &base, QRgb color, double widthMm, double *heightMm,
                              QString *refusal)
{
    const double k = 25.4 / measureDpi;
    QTextDocument doc;
    doc.documentLayout()->setPaintDevice(const_cast<QPaintDevice *>(measureDevice()));
    doc.setDefaultFont(toQFont(base));
    doc.setDocumentMargin(0);
    const QString why = richTextRefusal(html);
    if (refusal)
        *refusal = why;
    if (why.isEmpty())
        doc.setHtml(html);
    else
        doc.setPlainText(html);
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
