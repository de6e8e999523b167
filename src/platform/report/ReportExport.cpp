// Exporters. Paged outputs (PDF, PNG, SVG, printer) paint through ReportPainter;
// table-like outputs (text grid, CSV, XLSX) regroup text runs into rows and
// columns; HTML and RTF position each run absolutely as on the page. Files are
// written through a temporary file and renamed when complete.
#include "platform/report/ReportExport.h"
#include "platform/report/ReportPainter.h"
#include "platform/report/ReportPdf.h"

#include <QBuffer>
#include <QFile>
#include <QRegularExpression>
#include <QFileInfo>
#include <QImage>
#include <QLocale>
#include <QPageSize>
#include <QPrinter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <map>
#include <xlsxwriter.h>

namespace vorn::report {

namespace {

bool fail(QString *error, const QString &msg)
{
    if (error) *error = msg;
    return false;
}

QString cannotWrite(const QString &file, const QString &why)
{
    return QStringLiteral("Не удалось записать файл \"%1\": %2").arg(file, why);
}

bool writeText(const QString &fileName, const QByteArray &data, QString *error)
{
    QSaveFile f(fileName);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size() || !f.commit())
        return fail(error, cannotWrite(fileName, f.errorString()));
    return true;
}

QString numberedName(const QString &fileName, int page, int count)
{
    if (count <= 1) return fileName;
    const QFileInfo fi(fileName);
    const QString suffix = fi.suffix();
    QString base = fileName.left(fileName.size() - (suffix.isEmpty() ? 0 : suffix.size() + 1));
    return base + u'-' + QString::number(page + 1) + (suffix.isEmpty() ? QString() : u'.' + suffix);
}

} // namespace

QList<QList<const PageItem *>> textRows(const ReportPage &page)
{
    QVector<const PageItem *> items;
    for (const PageItem &it : page.items)
        if (it.kind == PageItem::Text && !it.text.isEmpty())
            items.append(&it);
    std::stable_sort(items.begin(), items.end(), [](const PageItem *a, const PageItem *b) { return a->rect.top() < b->rect.top(); });
    QList<QList<const PageItem *>> rows;
    double rowTop = -1e9;
    for (const PageItem *it : items) {
        if (rows.isEmpty() || it->rect.top() - rowTop > 0.5) {
            rows.append(QList<const PageItem *>());
            rowTop = it->rect.top();
        }
        rows.last().append(it);
    }
    for (auto &r : rows)
        std::stable_sort(r.begin(), r.end(), [](const PageItem *a, const PageItem *b) { return a->rect.left() < b->rect.left(); });
    return rows;
}

// --- PDF, PNG, SVG, printer -------------------------------------------------------------

bool exportPdf(const ReportPages &pages, const QString &fileName, QString *error)
{
    QSaveFile f(fileName);
    QString why;
    if (!f.open(QIODevice::WriteOnly) || !writePdf(pages, &f, &why) || !f.commit())
        return fail(error, cannotWrite(fileName, why.isEmpty() ? f.errorString() : why));
    return true;
}

bool exportPng(const ReportPages &pages, const QString &fileName, double dpi, QString *error, QStringList *written)
{
    for (int i = 0; i < pages.pageCount(); ++i) {
        const QSizeF mm = pages.page(i).size;
        QImage img(int(std::lround(mm.width() / 25.4 * dpi)), int(std::lround(mm.height() / 25.4 * dpi)), QImage::Format_RGB32);
        img.setDotsPerMeterX(int(std::lround(dpi / 0.0254)));
        img.setDotsPerMeterY(int(std::lround(dpi / 0.0254)));
        img.fill(Qt::white);
        {
            QPainter p(&img);
            paintPage(p, pages, i);
        }
        const QString name = numberedName(fileName, i, pages.pageCount());
        QSaveFile f(name);
        if (!f.open(QIODevice::WriteOnly) || !img.save(&f, "PNG") || !f.commit())
            return fail(error, cannotWrite(name, f.errorString()));
        if (written) written->append(name);
    }
    return true;
}

bool exportSvg(const ReportPages &pages, const QString &fileName, QString *error, QStringList *written)
{
    const int dpi = 254; // ten units per millimetre
    for (int i = 0; i < pages.pageCount(); ++i) {
        const QSizeF mm = pages.page(i).size;
        const QString name = numberedName(fileName, i, pages.pageCount());
        QSaveFile f(name);
        if (!f.open(QIODevice::WriteOnly))
            return fail(error, cannotWrite(name, f.errorString()));
        {
            QSvgGenerator g;
            g.setOutputDevice(&f);
            g.setResolution(dpi);
            const QSize px(int(std::lround(mm.width() * 10)), int(std::lround(mm.height() * 10)));
            g.setSize(px);
            g.setViewBox(QRect(QPoint(0, 0), px));
            g.setTitle(pages.title());
            QPainter p(&g);
            paintPage(p, pages, i);
        }
        if (!f.commit())
            return fail(error, cannotWrite(name, f.errorString()));
        if (written) written->append(name);
    }
    return true;
}

bool printPages(const ReportPages &pages, QPrinter *printer, QString *error)
{
    if (pages.pageCount() == 0)
        return fail(error, QStringLiteral("В отчёте нет страниц"));
    int from = 1, to = pages.pageCount();
    if (printer->printRange() == QPrinter::PageRange && printer->fromPage() > 0) {
        from = qMax(1, printer->fromPage());
        to = qMin(pages.pageCount(), printer->toPage() > 0 ? printer->toPage() : pages.pageCount());
    }
    printer->setFullPage(true);
    printer->setDocName(pages.title());
    printer->setPageSize(QPageSize(pages.page(from - 1).size, QPageSize::Millimeter));
    printer->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    QPainter p;
    if (!p.begin(printer))
        return fail(error, QStringLiteral("Не удалось начать печать"));
    for (int i = from - 1; i < to; ++i) {
        if (i > from - 1) {
            printer->setPageSize(QPageSize(pages.page(i).size, QPageSize::Millimeter));
            printer->newPage();
        }
        paintPage(p, pages, i);
    }
    p.end();
    return true;
}

// --- text grid ------------------------------------------------------------------------------

namespace {
constexpr double gridCharWidth = 2.0;   // mm per character cell
constexpr double gridLineHeight = 4.2;  // mm per text line
}

namespace {

// The horizontal extent of a text on the grid: the paper's width bounds it, so a
// text placed beyond the page (or at a position no page has) lands at its edge
// instead of asking for a line of billions of characters.
bool textSpan(const PageItem &it, const ReportPage &page, double *left, double *right)
{
    const QRectF r = it.rect;
    if (!std::isfinite(r.left()) || !std::isfinite(r.right()) || !std::isfinite(r.top()))
        return false;
    const double width = std::isfinite(page.size.width()) ? qBound(0.0, page.size.width(), 100000.0) : 0.0;
    *left = qBound(0.0, r.left(), width);
    *right = qBound(*left, r.right(), width);
    return true;
}

} // namespace

QString pagesToText(const ReportPages &pages)
{
    // the grid starts at the leftmost text of the report, not at the paper's edge
    double minLeft = 1e9;
    for (int pi = 0; pi < pages.pageCount(); ++pi)
        for (const PageItem &it : pages.page(pi).items) {
            double l, r;
            if (it.kind == PageItem::Text && !it.text.isEmpty() && textSpan(it, pages.page(pi), &l, &r)) minLeft = qMin(minLeft, l);
        }
    if (minLeft > 1e8) minLeft = 0;
    QString out;
    struct Piece
    {
        double top;
        double left, right;
        Qt::Alignment align;
        QString text;
    };
    for (int pi = 0; pi < pages.pageCount(); ++pi) {
        // every line of text is a piece; pieces whose tops are close share a row,
        // and rows follow one another so lines at different heights never collide
        QVector<Piece> pieces;
        for (const PageItem &it : pages.page(pi).items) {
            double left, right;
            if (it.kind != PageItem::Text || it.text.isEmpty() || !textSpan(it, pages.page(pi), &left, &right)) continue;
            const QStringList lines = it.lines.isEmpty() ? it.text.split(u'\n') : it.lines;
            const double lh = it.lineHeight > 0 && std::isfinite(it.lineHeight) ? it.lineHeight : gridLineHeight;
            for (int li = 0; li < lines.size(); ++li) {
                const QString s = lines.at(li).trimmed();
                if (!s.isEmpty())
                    pieces.append({it.rect.top() + li * lh, left - minLeft, right - minLeft, Qt::Alignment(it.alignment), s});
            }
        }
        std::stable_sort(pieces.begin(), pieces.end(), [](const Piece &a, const Piece &b) { return a.top < b.top; });
        if (pi > 0) out += u'\f';
        // rows first, then each row left to right
        QList<QVector<Piece>> rows;
        QList<double> gaps;
        double rowTop = -1e9;
        for (const Piece &p : pieces) {
            if (p.top - rowTop > 1.5) {
                gaps.append(rowTop > -1e8 ? p.top - rowTop : 0);
                rows.append(QVector<Piece>());
                rowTop = p.top;
            }
            rows.last().append(p);
        }
        for (int r = 0; r < rows.size(); ++r) {
            if (gaps[r] > 1.8 * gridLineHeight) out += u'\n';   // keep a visible gap as one empty line
            QVector<Piece> &row = rows[r];
            std::stable_sort(row.begin(), row.end(), [](const Piece &a, const Piece &b) { return a.left < b.left; });
            QString line;
            for (const Piece &p : row) {
                const int left = int(std::lround(p.left / gridCharWidth));
                const int right = int(std::lround(p.right / gridCharWidth));
                int col = left;
                if (p.align & Qt::AlignRight) col = qMax(left, right - int(p.text.size()));
                else if (p.align & Qt::AlignHCenter) col = qMax(left, left + (right - left - int(p.text.size())) / 2);
                // never write over text already in the row: move right past it
                int end = int(line.size());
                while (end > 0 && line.at(end - 1) == u' ') --end;
                if (end > 0 && col <= end) col = end + 1;
                line = line.leftJustified(col, u' ') + p.text;
            }
            out += line + u'\n';
        }
    }
    return out;
}

bool exportText(const ReportPages &pages, const QString &fileName, QString *error)
{
    return writeText(fileName, pagesToText(pages).toUtf8(), error);
}

// --- CSV ---------------------------------------------------------------------------------------

bool exportCsv(const ReportPages &pages, const QString &fileName, QString *error, QChar sep)
{
    QString out;
    auto quote = [sep](QString s) {
        s.replace(u'\n', u' ');
        if (s.contains(sep) || s.contains(u'"') || s.startsWith(u' ') || s.endsWith(u' ')) {
            s.replace(QLatin1String("\""), QLatin1String("\"\""));
            return u'"' + s + u'"';
        }
        return s;
    };
    for (int pi = 0; pi < pages.pageCount(); ++pi)
        for (const auto &row : textRows(pages.page(pi))) {
            QStringList cells;
            for (const PageItem *it : row) cells.append(quote(it->text));
            out += cells.join(sep) + QLatin1String("\r\n");
        }
    return writeText(fileName, out.toUtf8(), error);
}

// --- HTML ---------------------------------------------------------------------------------------

namespace {
QString cssColor(QRgb c) { return QColor::fromRgba(c).name(); }
QString mm(double v) { return QString::number(v, 'f', 2) + QLatin1String("mm"); }
}

bool exportHtml(const ReportPages &pages, const QString &fileName, QString *error)
{
    QString h;
    h += QLatin1String("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>") + pages.title().toHtmlEscaped()
       + QLatin1String("</title>\n<style>body{background:#888;margin:0}"
                       ".page{position:relative;background:#fff;margin:8mm auto;overflow:hidden;box-shadow:0 0 4px #000}"
                       ".page *{position:absolute;margin:0;box-sizing:border-box}"
                       ".t{white-space:pre;line-height:1.15}@media print{body{background:#fff}.page{margin:0;box-shadow:none;page-break-after:always}}"
                       "</style></head><body>\n");
    for (int pi = 0; pi < pages.pageCount(); ++pi) {
        const ReportPage &page = pages.page(pi);
        h += QStringLiteral("<div class=\"page\" style=\"width:%1;height:%2\">\n").arg(mm(page.size.width()), mm(page.size.height()));
        for (const PageItem &it : page.items) {
            const QRectF r = it.rect.normalized();
            switch (it.kind) {
            case PageItem::Text: {
                const PageFont f = it.font >= 0 && it.font < pages.fonts().size() ? pages.fonts().at(it.font) : PageFont{QStringLiteral("Arial"), 10};
                const Qt::Alignment al(it.alignment);
                QString style = QStringLiteral("left:%1;top:%2;width:%3;height:%4;font:%5%6%7pt '%8';color:%9;text-align:%10")
                    .arg(mm(r.left()), mm(r.top()), mm(r.width()), mm(r.height()),
                         f.italic ? QStringLiteral("italic ") : QString(), f.bold ? QStringLiteral("bold ") : QString(),
                         QString::number(f.size), f.family, cssColor(it.color),
                         al & Qt::AlignRight ? QStringLiteral("right") : al & Qt::AlignHCenter ? QStringLiteral("center") : QStringLiteral("left"));
                if (f.underline) style += QLatin1String(";text-decoration:underline");
                if (it.lineHeight > 0) style += QLatin1String(";line-height:") + mm(it.lineHeight);
                const QString text = it.lines.isEmpty() ? it.text : it.lines.join(u'\n');
                h += QStringLiteral("<div class=\"t\" style=\"%1\">%2</div>\n").arg(style, text.toHtmlEscaped());
                break;
            }
            case PageItem::Line: {
                const bool horiz = std::fabs(r.height()) < std::fabs(r.width());
                const double w = qMax(0.1, it.penWidth);
                h += horiz ? QStringLiteral("<div style=\"left:%1;top:%2;width:%3;border-top:%4 solid %5\"></div>\n")
                                 .arg(mm(r.left()), mm(r.top() - w / 2), mm(r.width()), mm(w), cssColor(it.color))
                           : QStringLiteral("<div style=\"left:%1;top:%2;height:%3;border-left:%4 solid %5\"></div>\n")
                                 .arg(mm(r.left() - w / 2), mm(r.top()), mm(r.height()), mm(w), cssColor(it.color));
                break;
            }
            case PageItem::Rect:
            case PageItem::Ellipse: {
                QString style = QStringLiteral("left:%1;top:%2;width:%3;height:%4").arg(mm(r.left()), mm(r.top()), mm(r.width()), mm(r.height()));
                if (it.fill) style += QLatin1String(";background:") + cssColor(it.fill);
                if (it.penWidth > 0) style += QStringLiteral(";border:%1 solid %2").arg(mm(it.penWidth), cssColor(it.color));
                if (it.kind == PageItem::Ellipse) style += QLatin1String(";border-radius:50%");
                else if (it.radius > 0) style += QLatin1String(";border-radius:") + mm(it.radius);
                h += QStringLiteral("<div style=\"%1\"></div>\n").arg(style);
                break;
            }
            case PageItem::Image: {
                if (it.image < 0) break;
                QByteArray png;
                QBuffer buf(&png);
                buf.open(QIODevice::WriteOnly);
                pages.images().at(it.image).save(&buf, "PNG");
                h += QStringLiteral("<img style=\"left:%1;top:%2;width:%3;height:%4\" src=\"data:image/png;base64,%5\">\n")
                         .arg(mm(r.left()), mm(r.top()), mm(r.width()), mm(r.height()), QString::fromLatin1(png.toBase64()));
                break;
            }
            }
        }
        h += QLatin1String("</div>\n");
    }
    h += QLatin1String("</body></html>\n");
    return writeText(fileName, h.toUtf8(), error);
}

// --- XLSX -----------------------------------------------------------------------------------------

namespace {

// A cell text that reads as a number in the program's locale goes in as a number.
bool cellNumber(const QString &text, double *value)
{
    QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 30) return false;
    const QLocale loc;
    t.remove(loc.groupSeparator());
    t.remove(u' ');
    t.remove(QChar(0x00a0));
    bool ok = false;
    *value = loc.toDouble(t, &ok);
    if (!ok) *value = t.toDouble(&ok);
    if (!ok) return false;
    // keep codes with leading zeros ("007") as text
    if (t.size() > 1 && t.startsWith(u'0') && t.at(1).isDigit()) return false;
    return true;
}

// A cell text that is a whole date or date and time as the engine prints them (or in the
// locale's short form) goes in as a date cell; numFormat gets the matching sheet format.
bool cellDate(const QString &text, QDateTime *value, QString *numFormat)
{
    const QString t = text.trimmed();
    if (t.size() < 8 || t.size() > 19 || !t.at(0).isDigit())
        return false;
    const struct { QString qt; const char *sheet; } shapes[] = {
        {QStringLiteral("dd.MM.yyyy"), "dd.mm.yyyy"},
        {QStringLiteral("dd.MM.yyyy hh:mm:ss"), "dd.mm.yyyy hh:mm:ss"},
        {QStringLiteral("dd.MM.yyyy hh:mm"), "dd.mm.yyyy hh:mm"},
        {QLocale().dateFormat(QLocale::ShortFormat), "dd.mm.yyyy"},
    };
    for (const auto &s : shapes) {
        const QDateTime dt = QDateTime::fromString(t, s.qt);
        // the sheet's calendar starts in 1900
        if (dt.isValid() && dt.date().year() >= 1900 && dt.date().year() <= 9999) {
            *value = dt;
            *numFormat = QString::fromLatin1(s.sheet);
            return true;
        }
    }
    return false;
}

} // namespace

bool exportXlsx(const ReportPages &pages, const QString &fileName, QString *error)
{
    // columns: the distinct left edges of text runs, close ones merged
    QVector<double> lefts;
    for (int pi = 0; pi < pages.pageCount(); ++pi)
        for (const PageItem &it : pages.page(pi).items)
            if (it.kind == PageItem::Text && !it.text.isEmpty()) lefts.append(it.rect.left());
    std::sort(lefts.begin(), lefts.end());
    QVector<double> edges;
    for (double l : lefts)
        if (edges.isEmpty() || l - edges.last() > 2.0) edges.append(l);
    auto columnOf = [&](double left) {
        int c = int(std::upper_bound(edges.begin(), edges.end(), left + 2.0) - edges.begin()) - 1;
        return qMax(0, c);
    };
    const QString tmp = fileName + QLatin1String(".part");
    const QByteArray tmpName = QFile::encodeName(tmp);
    lxw_workbook *wb = workbook_new(tmpName.constData());
    if (!wb) return fail(error, cannotWrite(fileName, QStringLiteral("книга не создана")));
    const QByteArray sheetName = (pages.title().isEmpty() ? QStringLiteral("Отчёт") : pages.title().left(31))
                                     .replace(QRegularExpression(QStringLiteral("[\\[\\]:*?/\\\\]")), QStringLiteral("_")).toUtf8();
    lxw_worksheet *ws = workbook_add_worksheet(wb, sheetName.constData());
    // one cell format per font and number shape, so "1 060,50" stays 1 060,50 in the sheet
    std::map<QString, lxw_format *> formats;
    const QLocale loc;
    auto numberFormat = [&](const QString &text) {
        const int dec = text.lastIndexOf(loc.decimalPoint());
        const int decimals = dec < 0 ? 0 : int(text.size()) - dec - 1;
        const bool grouped = text.contains(loc.groupSeparator()) || text.contains(u' ') || text.contains(QChar(0x00a0));
        return (grouped ? QStringLiteral("#,##0") : QStringLiteral("0")) + (decimals > 0 ? u'.' + QString(decimals, u'0') : QString());
    };
    auto formatFor = [&](int font, const QString &numFormat) -> lxw_format * {
        const bool known = font >= 0 && font < pages.fonts().size();
        const QString key = QString::number(known ? font : -1) + u'|' + numFormat;
        auto it = formats.find(key);
        if (it != formats.end()) return it->second;
        lxw_format *fmt = workbook_add_format(wb);
        if (known) {
            const PageFont &f = pages.fonts().at(font);
            if (f.bold) format_set_bold(fmt);
            if (f.italic) format_set_italic(fmt);
        }
        if (!numFormat.isEmpty()) format_set_num_format(fmt, numFormat.toUtf8().constData());
        formats[key] = fmt;
        return fmt;
    };
    for (int c = 0; c < edges.size(); ++c) {
        const double w = c + 1 < edges.size() ? edges[c + 1] - edges[c] : 30;
        worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c), qMax(4.0, w / 2.0), nullptr);
    }
    lxw_row_t row = 0;
    for (int pi = 0; pi < pages.pageCount(); ++pi)
        for (const auto &r : textRows(pages.page(pi))) {
            int lastCol = -1;
            for (const PageItem *it : r) {
                int col = qMax(columnOf(it->rect.left()), lastCol + 1);
                lastCol = col;
                double v = 0;
                QDateTime dt;
                QString dateFormat;
                if (cellDate(it->text, &dt, &dateFormat)) {
                    lxw_datetime d{dt.date().year(), dt.date().month(), dt.date().day(),
                                   dt.time().hour(), dt.time().minute(), double(dt.time().second())};
                    worksheet_write_datetime(ws, row, lxw_col_t(col), &d, formatFor(it->font, dateFormat));
                } else if (cellNumber(it->text, &v))
                    worksheet_write_number(ws, row, lxw_col_t(col), v, formatFor(it->font, numberFormat(it->text)));
                else
                    worksheet_write_string(ws, row, lxw_col_t(col), it->text.toUtf8().constData(), formatFor(it->font, QString()));
            }
            ++row;
        }
    const lxw_error rc = workbook_close(wb);
    if (rc != LXW_NO_ERROR) {
        QFile::remove(tmp);
        return fail(error, cannotWrite(fileName, QString::fromUtf8(lxw_strerror(rc))));
    }
    QFile::remove(fileName);
    if (!QFile::rename(tmp, fileName))
        return fail(error, cannotWrite(fileName, QStringLiteral("переименование не удалось")));
    return true;
}

// --- RTF --------------------------------------------------------------------------------------------

namespace {

QByteArray rtfText(const QString &s)
{
    QByteArray out;
    for (QChar c : s) {
        const ushort u = c.unicode();
        if (u == '\\' || u == '{' || u == '}') { out += '\\'; out += char(u); }
        else if (u == '\n') out += "\\line ";
        else if (u < 0x80) out += char(u);
        else out += "\\u" + QByteArray::number(qint16(u)) + '?';
    }
    return out;
}

int twips(double mmValue) { return int(std::lround(mmValue / 25.4 * 1440)); }

} // namespace

bool exportRtf(const ReportPages &pages, const QString &fileName, QString *error)
{
    QByteArray r = "{\\rtf1\\ansi\\ansicpg1251\\deff0\\uc1{\\fonttbl";
    for (int i = 0; i < pages.fonts().size(); ++i)
        r += "{\\f" + QByteArray::number(i) + "\\fnil\\fcharset204 " + rtfText(pages.fonts().at(i).family) + ";}";
    if (pages.fonts().isEmpty()) r += "{\\f0\\fnil\\fcharset204 Arial;}";
    r += "}\n{\\colortbl;";
    QVector<QRgb> colors;
    for (int pi = 0; pi < pages.pageCount(); ++pi)
        for (const PageItem &it : pages.page(pi).items)
            if (it.kind == PageItem::Text && !colors.contains(it.color)) colors.append(it.color);
    for (QRgb c : colors)
        r += "\\red" + QByteArray::number(qRed(c)) + "\\green" + QByteArray::number(qGreen(c)) + "\\blue" + QByteArray::number(qBlue(c)) + ';';
    r += "}\n";
    const QSizeF first = pages.pageCount() ? pages.page(0).size : QSizeF(210, 297);
    r += "\\paperw" + QByteArray::number(twips(first.width())) + "\\paperh" + QByteArray::number(twips(first.height()))
       + "\\margl0\\margr0\\margt0\\margb0\n";
    for (int pi = 0; pi < pages.pageCount(); ++pi) {
        if (pi > 0) r += "\\page\n";
        for (const PageItem &it : pages.page(pi).items) {
            if (it.kind != PageItem::Text || it.text.isEmpty()) continue;
            const QRectF rc = it.rect.normalized();
            const PageFont f = it.font >= 0 && it.font < pages.fonts().size() ? pages.fonts().at(it.font) : PageFont{QStringLiteral("Arial"), 10};
            const Qt::Alignment al(it.alignment);
            r += "{\\pard\\pvpg\\phpg\\posx" + QByteArray::number(twips(rc.left())) + "\\posy" + QByteArray::number(twips(rc.top()))
               + "\\absw" + QByteArray::number(qMax(twips(rc.width()), 20)) + "\\absh-" + QByteArray::number(qMax(twips(rc.height()), 20))
               + (al & Qt::AlignRight ? "\\qr" : al & Qt::AlignHCenter ? "\\qc" : "\\ql")
               + "\\f" + QByteArray::number(qMax(0, it.font)) + "\\fs" + QByteArray::number(int(std::lround(f.size * 2)))
               + "\\cf" + QByteArray::number(colors.indexOf(it.color) + 1) + (f.bold ? "\\b" : "") + (f.italic ? "\\i" : "")
               + (f.underline ? "\\ul" : "") + ' ' + rtfText(it.lines.isEmpty() ? it.text : it.lines.join(u'\n')) + "\\par}\n";
        }
    }
    r += "}\n";
    return writeText(fileName, r, error);
}

// --- by format ------------------------------------------------------------------------------------

QStringList exportFormats()
{
    return {QStringLiteral("pdf"), QStringLiteral("png"), QStringLiteral("svg"), QStringLiteral("txt"), QStringLiteral("csv"),
            QStringLiteral("html"), QStringLiteral("xlsx"), QStringLiteral("rtf"), QLatin1String(savedReportExtension)};
}

bool exportFile(const ReportPages &pages, const QString &fileName, const QString &format, QString *error)
{
    QString f = (format.isEmpty() ? QFileInfo(fileName).suffix() : format).toLower();
    if (f == u"htm") f = QStringLiteral("html");
    if (f == u"text") f = QStringLiteral("txt");
    if (f == u"pdf") return exportPdf(pages, fileName, error);
    if (f == u"png") return exportPng(pages, fileName, 150, error);
    if (f == u"svg") return exportSvg(pages, fileName, error);
    if (f == u"txt") return exportText(pages, fileName, error);
    if (f == u"csv") return exportCsv(pages, fileName, error);
    if (f == u"html") return exportHtml(pages, fileName, error);
    if (f == u"xlsx") return exportXlsx(pages, fileName, error);
    if (f == u"rtf") return exportRtf(pages, fileName, error);
    if (f == QLatin1String(savedReportExtension)) return pages.saveFile(fileName, error);
    return fail(error, QStringLiteral("Неизвестный формат вывода \"%1\"").arg(f));
}

} // namespace vorn::report
