// PDF writing. Fonts are embedded whole as CID TrueType fonts with Identity
// encoding, so each text line becomes one Tj of glyph ids; a ToUnicode map of
// the glyphs used lets viewers and pdftotext give the text back. Page streams
// are deflated; fonts, images and the page tree are written after the pages,
// as only then is known what the pages used.
#include "platform/report/ReportPdf.h"

#include <QFile>
#include <QHash>
#include <QIODevice>
#include <QMap>
#include <QRawFont>
#include <cmath>
#include <fontconfig/fontconfig.h>
#include <map>
#include <memory>
#include <vector>

namespace vorn::report {

namespace {

constexpr double ptPerMm = 72.0 / 25.4;

// Numbers in page streams: three decimals at most, no trailing zeros. Written
// by hand because formatting them was a large share of the export time.
QByteArray num(double v)
{
    char buf[32];
    char *p = buf + sizeof buf;
    qint64 n = std::llround(v * 1000);
    const bool neg = n < 0;
    if (neg) n = -n;
    int frac = int(n % 1000);
    qint64 whole = n / 1000;
    int digits = 3;
    while (digits > 0 && frac % 10 == 0) {
        frac /= 10;
        --digits;
    }
    if (digits > 0) {
        for (int i = 0; i < digits; ++i) {
            *--p = char('0' + frac % 10);
            frac /= 10;
        }
        *--p = '.';
    }
    do {
        *--p = char('0' + whole % 10);
        whole /= 10;
    } while (whole);
    if (neg) *--p = '-';
    return QByteArray(p, int(buf + sizeof buf - p));
}

// Page streams are deflated at the fastest level: on long reports compression
// dominated the export, while level 6 saved only about a tenth of the size.
QByteArray deflate(const QByteArray &data, int level = 1)
{
    return qCompress(data, level).mid(4);   // qCompress prefixes the length; the rest is a zlib stream
}

QByteArray pdfName(const QString &s)
{
    QByteArray out;
    for (char c : s.toLatin1())
        out += (c > 32 && c < 127 && !QByteArray("()<>[]{}/%#").contains(c)) ? QByteArray(1, c) : QByteArray("_");
    return out;
}

QByteArray utf16Hex(const QString &s)
{
    QByteArray out = "<FEFF";
    for (QChar c : s)
        out += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
    return out + '>';
}

QByteArray colorOp(QRgb c, const char *op)
{
    return num(qRed(c) / 255.0) + ' ' + num(qGreen(c) / 255.0) + ' ' + num(qBlue(c) / 255.0) + ' ' + op + '\n';
}

struct EmbeddedFont
{
    int object = 0;                                   // the Type0 font object
    QByteArray resourceName;                          // F0, F1...
    QByteArray fileData;
    QByteArray postscriptName;
    bool trueType = true;
    QRawFont raw;                                     // at 1000 pixels: advances in text space units
    std::map<quint32, QString> used;                  // glyph -> characters, for ToUnicode
    std::map<quint32, double> widths;                 // glyph -> advance, also the cache of advances
    QHash<char16_t, quint32> glyphOf;                 // character -> glyph; FreeType is asked once per character
    std::vector<qint32> fastGlyph = std::vector<qint32>(0x500, -1);   // the same for Latin and Cyrillic, -1 = not asked yet
    std::vector<double> advance;                      // glyph -> advance, flat copy of widths
    EmbeddedFont *fallback = nullptr;                 // for characters this font lacks
    bool fallbackTried = false;
    PageFont style;                                   // as first asked for, to find the fallback in the same style
    double ascent = 800, descent = -200;
};

class Writer
{
public:
    Writer(QIODevice *out) : m_out(out) {}

    int allocate()
    {
        m_offsets.push_back(-1);
        return int(m_offsets.size());
    }

    void begin(int obj)
    {
        m_offsets[obj - 1] = m_pos;
        write(QByteArray::number(obj) + " 0 obj\n");
    }

    void object(int obj, const QByteArray &body)
    {
        begin(obj);
        write(body + "\nendobj\n");
    }

    void stream(int obj, const QByteArray &dict, const QByteArray &data, int level = 1)
    {
        const bool compress = level > 0;
        const QByteArray payload = compress ? deflate(data, level) : data;
        begin(obj);
        write("<<" + dict + " /Length " + QByteArray::number(payload.size()) + (compress ? " /Filter /FlateDecode" : "") + ">>\nstream\n");
        write(payload);
        write("\nendstream\nendobj\n");
    }

    void write(const QByteArray &b)
    {
        if (m_out->write(b) != b.size()) m_failed = true;
        m_pos += b.size();
    }

    void finish(int catalog, int info)
    {
        const qint64 xref = m_pos;
        QByteArray x = "xref\n0 " + QByteArray::number(m_offsets.size() + 1) + "\n0000000000 65535 f \n";
        for (qint64 off : m_offsets)
            x += off < 0 ? QByteArray("0000000000 65535 f \n") : QByteArray::number(off).rightJustified(10, '0') + " 00000 n \n";
        x += "trailer\n<< /Size " + QByteArray::number(m_offsets.size() + 1) + " /Root " + QByteArray::number(catalog)
           + " 0 R /Info " + QByteArray::number(info) + " 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
        write(x);
    }

    bool failed() const { return m_failed; }

private:
    QIODevice *m_out;
    qint64 m_pos = 0;
    std::vector<qint64> m_offsets;
    bool m_failed = false;
};

// The font file fontconfig chooses for a family and style, as Qt would.
bool findFontFile(const PageFont &f, QByteArray *data, QByteArray *psName, QString *error)
{
    FcPattern *pat = FcPatternCreate();
    const QByteArray family = (f.family.isEmpty() ? QStringLiteral("Arial") : f.family).toUtf8();
    FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8 *>(family.constData()));
    FcPatternAddInteger(pat, FC_WEIGHT, f.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pat, FC_SLANT, f.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult result;
    FcPattern *match = FcFontMatch(nullptr, pat, &result);
    FcPatternDestroy(pat);
    if (!match) {
        *error = QStringLiteral("Не найден шрифт \"%1\"").arg(f.family);
        return false;
    }
    FcChar8 *file = nullptr;
    FcChar8 *ps = nullptr;
    QString path;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch)
        path = QString::fromUtf8(reinterpret_cast<const char *>(file));
    if (FcPatternGetString(match, FC_POSTSCRIPT_NAME, 0, &ps) == FcResultMatch)
        *psName = QByteArray(reinterpret_cast<const char *>(ps));
    FcPatternDestroy(match);
    QFile in(path);
    if (path.isEmpty() || !in.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Не удалось прочитать шрифт \"%1\" (%2)").arg(f.family, path);
        return false;
    }
    *data = in.readAll();
    if (psName->isEmpty()) *psName = pdfName(f.family);
    return true;
}

} // namespace

bool writePdf(const ReportPages &pages, QIODevice *out, QString *error)
{
    Writer w(out);
    w.write("%PDF-1.4\n%\xe2\xe3\xcf\xd3\n");
    const int catalog = w.allocate();
    const int pageTree = w.allocate();
    const int resources = w.allocate();
    const int info = w.allocate();
    QList<int> pageObjects;
    std::vector<std::unique_ptr<EmbeddedFont>> fonts;   // by file + name, shared by page fonts
    QHash<int, EmbeddedFont *> byPageFont;
    QHash<int, int> imageObjects;                       // image index -> object
    QString err;

    auto embed = [&](const PageFont &pf) -> EmbeddedFont * {
        QByteArray data, ps;
        if (!findFontFile(pf, &data, &ps, &err)) return nullptr;
        for (const auto &f : fonts)
            if (f->postscriptName == ps) return f.get();
        auto f = std::make_unique<EmbeddedFont>();
        f->fileData = data;
        f->postscriptName = ps;
        f->trueType = !data.startsWith("OTTO");
        f->raw.loadFromData(data, 1000, QFont::PreferNoHinting);
        if (!f->raw.isValid()) {
            err = QStringLiteral("Шрифт \"%1\" не читается").arg(QString::fromLatin1(ps));
            return nullptr;
        }
        f->ascent = f->raw.ascent();
        f->descent = -f->raw.descent();
        f->resourceName = "F" + QByteArray::number(fonts.size());
        f->object = w.allocate();
        fonts.push_back(std::move(f));
        return fonts.back().get();
    };
    auto fontFor = [&](int index) -> EmbeddedFont * {
        auto it = byPageFont.constFind(index);
        if (it != byPageFont.constEnd()) return *it;
        const PageFont pf = index >= 0 && index < pages.fonts().size() ? pages.fonts().at(index) : PageFont{QStringLiteral("Arial"), 10};
        EmbeddedFont *f = embed(pf);
        if (f) f->style = pf;
        byPageFont.insert(index, f);
        return f;
    };
    auto glyphOf = [](EmbeddedFont *f, QChar ch) -> quint32 {
        const char16_t u = ch.unicode();
        if (u < 0x500 && f->fastGlyph[u] >= 0) return quint32(f->fastGlyph[u]);
        auto g = f->glyphOf.constFind(u);
        if (g != f->glyphOf.constEnd()) return *g;
        // surrogate halves map to nothing here: astral characters are outside report fonts
        const QList<quint32> one = ch.isSurrogate() ? QList<quint32>{0} : f->raw.glyphIndexesForString(QString(ch));
        const quint32 gid = one.value(0);
        if (f->widths.find(gid) == f->widths.end()) {
            f->widths[gid] = f->raw.advancesForGlyphIndexes(QList<quint32>{gid}).value(0).x();
            if (gid) f->used[gid] = QString(ch);
            if (f->advance.size() <= gid) f->advance.resize(gid + 1, 0);
            f->advance[gid] = f->widths[gid];
        }
        f->glyphOf.insert(u, gid);
        if (u < 0x500) f->fastGlyph[u] = qint32(gid);
        return gid;
    };

    for (int pi = 0; pi < pages.pageCount(); ++pi) {
        const ReportPage &page = pages.page(pi);
        const double H = page.size.height() * ptPerMm;
        auto X = [](double mm) { return mm * ptPerMm; };
        auto Y = [H](double mm) { return H - mm * ptPerMm; };
        QByteArray c;
        c.reserve(32768);
        QRgb fill = 0xff000000, stroke = 0xff000000;
        double lineWidth = -1;
        // consecutive text shares one text object; the font is set only when it changes
        bool inText = false;
        EmbeddedFont *tfFont = nullptr;
        double tfSize = -1;
        auto endText = [&] {
            if (inText) c += "ET\n";
            inText = false;
        };
        c += "0 0 0 rg 0 0 0 RG\n";
        auto setFill = [&](QRgb col) { if (col != fill) { c += colorOp(col, "rg"); fill = col; } };
        auto setStroke = [&](QRgb col, double wdt) {
            if (col != stroke) { c += colorOp(col, "RG"); stroke = col; }
            if (wdt != lineWidth) { c += num(wdt) + " w\n"; lineWidth = wdt; }
        };
        auto roundRect = [&](const QRectF &r, double rad) {
            const double k = 0.5523 * rad;
            const double l = X(r.left()), rt = X(r.right()), t = Y(r.top()), b = Y(r.bottom());
            const double rx = qMin(rad, (rt - l) / 2), ry = qMin(rad, (t - b) / 2);
            const double kx = qMin(k, rx * 0.5523 / 1.0), ky = qMin(k, ry * 0.5523 / 1.0);
            c += num(l + rx) + ' ' + num(b) + " m " + num(rt - rx) + ' ' + num(b) + " l "
               + num(rt - rx + kx) + ' ' + num(b) + ' ' + num(rt) + ' ' + num(b + ry - ky) + ' ' + num(rt) + ' ' + num(b + ry) + " c "
               + num(rt) + ' ' + num(t - ry) + " l "
               + num(rt) + ' ' + num(t - ry + ky) + ' ' + num(rt - rx + kx) + ' ' + num(t) + ' ' + num(rt - rx) + ' ' + num(t) + " c "
               + num(l + rx) + ' ' + num(t) + " l "
               + num(l + rx - kx) + ' ' + num(t) + ' ' + num(l) + ' ' + num(t - ry + ky) + ' ' + num(l) + ' ' + num(t - ry) + " c "
               + num(l) + ' ' + num(b + ry) + " l "
               + num(l) + ' ' + num(b + ry - ky) + ' ' + num(l + rx - kx) + ' ' + num(b) + ' ' + num(l + rx) + ' ' + num(b) + " c h\n";
        };
        for (const PageItem &it : page.items) {
            switch (it.kind) {
            case PageItem::Text: {
                if (it.text.isEmpty() && it.lines.isEmpty()) break;
                EmbeddedFont *f = fontFor(it.font);
                if (!f) {
                    if (error) *error = err;
                    return false;
                }
                const PageFont pf = it.font >= 0 && it.font < pages.fonts().size() ? pages.fonts().at(it.font) : PageFont{QStringLiteral("Arial"), 10};
                const double size = pf.size;
                const QStringList lines = it.lines.isEmpty() ? QStringList(it.text) : it.lines;
                const double lh = it.lineHeight > 0 ? it.lineHeight * ptPerMm : (f->ascent + f->descent + f->raw.leading()) * size / 1000.0;
                const QRectF r(X(it.rect.left()), it.rect.top() * ptPerMm, it.rect.width() * ptPerMm, it.rect.height() * ptPerMm);
                const double blockH = lines.size() * lh;
                double y = r.top();
                const Qt::Alignment al(it.alignment);
                if (al & Qt::AlignBottom) y = r.bottom() - blockH;
                else if (al & Qt::AlignVCenter) y = r.top() + (r.height() - blockH) / 2;
                setFill(it.color);
                for (const QString &line : lines) {
                    if (line.isEmpty()) { y += lh; continue; }
                    // runs of glyphs per font: the item's font, or its fallback where it lacks one
                    static const char digits[] = "0123456789abcdef";
                    QByteArray ops;
                    EmbeddedFont *current = nullptr;
                    double width = 0;
                    for (QChar ch : line) {
                        EmbeddedFont *use = f;
                        quint32 gid = glyphOf(f, ch);
                        if (gid == 0 && !ch.isSpace() && !f->fallbackTried) {
                            // characters the font lacks (the rouble sign is not in Liberation) come from DejaVu
                            f->fallbackTried = true;
                            PageFont fb = f->style;
                            fb.family = QStringLiteral("DejaVu Sans");
                            EmbeddedFont *d = embed(fb);
                            f->fallback = d && d != f ? d : nullptr;
                        }
                        if (gid == 0 && f->fallback) {
                            const quint32 alt = glyphOf(f->fallback, ch);
                            if (alt) {
                                use = f->fallback;
                                gid = alt;
                            }
                        }
                        if (use != current) {
                            if (current) ops += "> Tj ";
                            if (use != tfFont || size != tfSize) {
                                ops += '/' + use->resourceName + ' ' + num(size) + " Tf ";
                                tfFont = use;
                                tfSize = size;
                            }
                            ops += '<';
                            current = use;
                        }
                        width += use->advance[gid];
                        ops += digits[(gid >> 12) & 15];
                        ops += digits[(gid >> 8) & 15];
                        ops += digits[(gid >> 4) & 15];
                        ops += digits[gid & 15];
                    }
                    ops += "> Tj";
                    width = width * size / 1000.0;
                    double x = r.left();
                    if (al & Qt::AlignRight) x = r.right() - width;
                    else if (al & Qt::AlignHCenter) x = r.left() + (r.width() - width) / 2;
                    const double baseline = H - (y + f->ascent * size / 1000.0);
                    if (!inText) {
                        c += "BT\n";
                        inText = true;
                    }
                    c += "1 0 0 1 " + num(x) + ' ' + num(baseline) + " Tm " + ops + '\n';
                    if (pf.underline || pf.strikeOut) {
                        endText();
                        const double ly = pf.underline ? baseline - size * 0.1 : baseline + size * 0.28;
                        setStroke(it.color, size * 0.06);
                        c += num(x) + ' ' + num(ly) + " m " + num(x + width) + ' ' + num(ly) + " l S\n";
                    }
                    y += lh;
                }
                break;
            }
            case PageItem::Line:
                endText();
                setStroke(it.color, qMax(0.05, it.penWidth) * ptPerMm);
                c += num(X(it.rect.left())) + ' ' + num(Y(it.rect.top())) + " m " + num(X(it.rect.right())) + ' ' + num(Y(it.rect.bottom())) + " l S\n";
                break;
            case PageItem::Rect:
            case PageItem::Ellipse: {
                const bool doFill = it.fill != 0;
                const bool doStroke = it.penWidth > 0;
                if (!doFill && !doStroke) break;
                endText();
                if (doFill) setFill(it.fill);
                if (doStroke) setStroke(it.color, it.penWidth * ptPerMm);
                const QRectF r = it.rect.normalized();
                if (it.kind == PageItem::Ellipse) {
                    const double cx = X(r.center().x()), cy = Y(r.center().y());
                    const double rx = r.width() * ptPerMm / 2, ry = r.height() * ptPerMm / 2;
                    const double kx = rx * 0.5523, ky = ry * 0.5523;
                    c += num(cx + rx) + ' ' + num(cy) + " m "
                       + num(cx + rx) + ' ' + num(cy + ky) + ' ' + num(cx + kx) + ' ' + num(cy + ry) + ' ' + num(cx) + ' ' + num(cy + ry) + " c "
                       + num(cx - kx) + ' ' + num(cy + ry) + ' ' + num(cx - rx) + ' ' + num(cy + ky) + ' ' + num(cx - rx) + ' ' + num(cy) + " c "
                       + num(cx - rx) + ' ' + num(cy - ky) + ' ' + num(cx - kx) + ' ' + num(cy - ry) + ' ' + num(cx) + ' ' + num(cy - ry) + " c "
                       + num(cx + kx) + ' ' + num(cy - ry) + ' ' + num(cx + rx) + ' ' + num(cy - ky) + ' ' + num(cx + rx) + ' ' + num(cy) + " c h\n";
                } else if (it.radius > 0) {
                    roundRect(r, it.radius * ptPerMm);
                } else {
                    c += num(X(r.left())) + ' ' + num(Y(r.bottom())) + ' ' + num(r.width() * ptPerMm) + ' ' + num(r.height() * ptPerMm) + " re\n";
                }
                c += doFill && doStroke ? "B\n" : doFill ? "f\n" : "S\n";
                break;
            }
            case PageItem::Image: {
                if (it.image < 0 || it.image >= pages.images().size()) break;
                endText();
                if (!imageObjects.contains(it.image)) imageObjects.insert(it.image, w.allocate());
                const QRectF r = it.rect.normalized();
                c += "q " + num(r.width() * ptPerMm) + " 0 0 " + num(r.height() * ptPerMm) + ' ' + num(X(r.left())) + ' ' + num(Y(r.bottom()))
                   + " cm /Im" + QByteArray::number(it.image) + " Do Q\n";
                break;
            }
            }
        }
        endText();
        const int contents = w.allocate();
        w.stream(contents, QByteArray(), c);
        const int pageObj = w.allocate();
        w.object(pageObj, "<< /Type /Page /Parent " + QByteArray::number(pageTree) + " 0 R /MediaBox [0 0 " + num(page.size.width() * ptPerMm)
                              + ' ' + num(H) + "] /Resources " + QByteArray::number(resources) + " 0 R /Contents "
                              + QByteArray::number(contents) + " 0 R >>");
        pageObjects.append(pageObj);
    }

    // images
    QByteArray xobjects;
    for (auto it = imageObjects.constBegin(); it != imageObjects.constEnd(); ++it) {
        const QImage &src = pages.images().at(it.key());
        const QImage rgb = src.convertToFormat(QImage::Format_RGB888);
        QByteArray pixels;
        pixels.reserve(rgb.width() * rgb.height() * 3);
        for (int y = 0; y < rgb.height(); ++y)
            pixels.append(reinterpret_cast<const char *>(rgb.constScanLine(y)), rgb.width() * 3);
        QByteArray dict = " /Type /XObject /Subtype /Image /Width " + QByteArray::number(rgb.width()) + " /Height " + QByteArray::number(rgb.height())
                        + " /ColorSpace /DeviceRGB /BitsPerComponent 8";
        if (src.hasAlphaChannel()) {
            const QImage a = src.convertToFormat(QImage::Format_Alpha8);
            QByteArray alpha;
            for (int y = 0; y < a.height(); ++y)
                alpha.append(reinterpret_cast<const char *>(a.constScanLine(y)), a.width());
            const int mask = w.allocate();
            w.stream(mask, " /Type /XObject /Subtype /Image /Width " + QByteArray::number(a.width()) + " /Height " + QByteArray::number(a.height())
                               + " /ColorSpace /DeviceGray /BitsPerComponent 8", alpha);
            dict += " /SMask " + QByteArray::number(mask) + " 0 R";
        }
        w.stream(it.value(), dict, pixels);
        xobjects += " /Im" + QByteArray::number(it.key()) + ' ' + QByteArray::number(it.value()) + " 0 R";
    }

    // fonts
    QByteArray fontDict;
    for (const auto &f : fonts) {
        const int cid = w.allocate(), descriptor = w.allocate(), file = w.allocate(), toUnicode = w.allocate();
        w.stream(file, " /Length1 " + QByteArray::number(f->fileData.size()) + (f->trueType ? QByteArray() : QByteArray(" /Subtype /OpenType")), f->fileData, 6);
        const QByteArray head = f->raw.fontTable("head");
        double bbox[4] = {-600, -300, 1500, 1000};
        if (head.size() >= 44) {
            auto u16 = [&](int o) { return quint16((uchar(head[o]) << 8) | uchar(head[o + 1])); };
            const double upem = u16(18) ? u16(18) : 1000;
            for (int i = 0; i < 4; ++i) bbox[i] = qint16(u16(36 + 2 * i)) * 1000.0 / upem;
        }
        const QByteArray bboxText = "[" + num(bbox[0]) + ' ' + num(bbox[1]) + ' ' + num(bbox[2]) + ' ' + num(bbox[3]) + ']';
        w.object(descriptor, "<< /Type /FontDescriptor /FontName /" + f->postscriptName + " /Flags 32 /FontBBox " + bboxText
                                 + " /ItalicAngle 0 /Ascent " + num(f->ascent) + " /Descent " + num(-f->descent) + " /CapHeight " + num(f->ascent * 0.9)
                                 + " /StemV 80 " + (f->trueType ? "/FontFile2 " : "/FontFile3 ") + QByteArray::number(file) + " 0 R >>");
        QByteArray widths = "[";
        for (const auto &[gid, wd] : f->widths)
            widths += QByteArray::number(gid) + " [" + num(wd) + "] ";
        widths += ']';
        w.object(cid, "<< /Type /Font /Subtype " + QByteArray(f->trueType ? "/CIDFontType2" : "/CIDFontType0") + " /BaseFont /" + f->postscriptName
                          + " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> /FontDescriptor "
                          + QByteArray::number(descriptor) + " 0 R" + (f->trueType ? " /CIDToGIDMap /Identity" : "") + " /DW 1000 /W " + widths + " >>");
        QByteArray cmap = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                          "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
        std::vector<std::pair<quint32, QString>> entries;
        for (const auto &[gid, text] : f->used)
            if (!text.isEmpty()) entries.emplace_back(gid, text);
        for (size_t i = 0; i < entries.size(); i += 100) {
            const size_t n = qMin<size_t>(100, entries.size() - i);
            cmap += QByteArray::number(qulonglong(n)) + " beginbfchar\n";
            for (size_t k = i; k < i + n; ++k) {
                cmap += '<' + QByteArray::number(entries[k].first, 16).rightJustified(4, '0') + "> <";
                for (QChar ch : entries[k].second) cmap += QByteArray::number(ch.unicode(), 16).rightJustified(4, '0');
                cmap += ">\n";
            }
            cmap += "endbfchar\n";
        }
        cmap += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
        w.stream(toUnicode, QByteArray(), cmap);
        w.object(f->object, "<< /Type /Font /Subtype /Type0 /BaseFont /" + f->postscriptName + " /Encoding /Identity-H /DescendantFonts ["
                                + QByteArray::number(cid) + " 0 R] /ToUnicode " + QByteArray::number(toUnicode) + " 0 R >>");
        fontDict += " /" + f->resourceName + ' ' + QByteArray::number(f->object) + " 0 R";
    }
    w.object(resources, "<< /ProcSet [/PDF /Text /ImageC] /Font <<" + fontDict + " >> /XObject <<" + xobjects + " >> >>");
    QByteArray kids;
    for (int p : std::as_const(pageObjects)) kids += QByteArray::number(p) + " 0 R ";
    w.object(pageTree, "<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(pageObjects.size()) + " >>");
    w.object(catalog, "<< /Type /Catalog /Pages " + QByteArray::number(pageTree) + " 0 R >>");
    w.object(info, "<< /Title " + utf16Hex(pages.title()) + " /Creator (Vorn) /Producer (Vorn report engine) >>");
    w.finish(catalog, info);
    if (w.failed()) {
        if (error) *error = QStringLiteral("ошибка записи");
        return false;
    }
    return true;
}

} // namespace vorn::report
