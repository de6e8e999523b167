// Display list storage and the saved-report file. The file is a versioned
// binary stream (magic "VORNRPT", version) written through a temporary file so
// a failed save never leaves a half-written report behind.
#include "platform/report/ReportPages.h"

#include <QDataStream>
#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <cmath>

namespace vorn::report {

ReportPages::ReportPages(QObject *parent) : QObject(parent) {}

int ReportPages::fontIndex(const PageFont &f)
{
    for (int i = 0; i < m_fonts.size(); ++i)
        if (m_fonts.at(i) == f)
            return i;
    m_fonts.append(f);
    return int(m_fonts.size()) - 1;
}

int ReportPages::addImage(const QImage &img)
{
    m_images.append(img);
    return int(m_images.size()) - 1;
}

int ReportPages::nameIndex(const QString &name)
{
    auto it = m_nameIndex.constFind(name);
    if (it != m_nameIndex.constEnd())
        return *it;
    m_names.append(name);
    m_nameIndex.insert(name, int(m_names.size()) - 1);
    return int(m_names.size()) - 1;
}

void ReportPages::clear()
{
    m_pages.clear();
    m_fonts.clear();
    m_images.clear();
    m_names.clear();
    m_nameIndex.clear();
    m_finished = false;
    Q_EMIT cleared();
}

void ReportPages::appendPage(ReportPage page)
{
    m_pages.append(std::move(page));
    Q_EMIT pageAdded(int(m_pages.size()));
}

void ReportPages::finish()
{
    m_finished = true;
    Q_EMIT finished();
}

QStringList ReportPages::pageTexts(int index) const
{
    QVector<const PageItem *> items;
    for (const auto &it : m_pages.at(index).items)
        if (it.kind == PageItem::Text)
            items.append(&it);
    std::stable_sort(items.begin(), items.end(), [](const PageItem *a, const PageItem *b) {
        if (qAbs(a->rect.top() - b->rect.top()) > 0.5)
            return a->rect.top() < b->rect.top();
        return a->rect.left() < b->rect.left();
    });
    QStringList out;
    for (const PageItem *it : items)
        out.append(it->text);
    return out;
}

QStringList ReportPages::bandTexts(int index, const QString &band) const
{
    QStringList out;
    const int b = m_names.indexOf(band);
    if (b < 0)
        return out;
    for (const auto &it : m_pages.at(index).items)
        if (it.kind == PageItem::Text && it.band == b)
            out.append(it.text);
    return out;
}

// --- saved-report file ---------------------------------------------------------

namespace {
const char fileMagic[] = "VORNRPT";
const qint32 fileVersion = 1;
}

bool ReportPages::saveFile(const QString &fileName, QString *error) const
{
    QSaveFile f(fileName);
    if (!f.open(QIODevice::WriteOnly)) {
        if (error) *error = QStringLiteral("Не удалось записать отчёт \"%1\": %2").arg(fileName, f.errorString());
        return false;
    }
    QDataStream s(&f);
    s.setVersion(QDataStream::Qt_6_4);
    s.writeRawData(fileMagic, 7);
    s << fileVersion << m_title << m_names;
    s << qint32(m_fonts.size());
    for (const auto &ft : m_fonts)
        s << ft.family << ft.size << ft.bold << ft.italic << ft.underline << ft.strikeOut;
    s << qint32(m_images.size());
    for (const auto &img : m_images)
        s << img;
    s << qint32(m_pages.size());
    for (const auto &p : m_pages) {
        s << p.size << qint32(p.items.size());
        for (const auto &it : p.items)
            s << quint8(it.kind) << it.alignment << it.rect << it.text << it.lines << it.lineHeight << qint32(it.font)
              << it.color << it.fill << it.penWidth << it.radius << qint32(it.image) << qint32(it.band) << qint32(it.source);
    }
    if (s.status() != QDataStream::Ok || !f.commit()) {
        if (error) *error = QStringLiteral("Не удалось записать отчёт \"%1\": %2").arg(fileName, f.errorString());
        return false;
    }
    return true;
}

namespace {

// Bytes the smallest entry of each list takes in the file: a count that needs
// more than the rest of the file holds is refused before anything is allocated.
constexpr qint64 minFontBytes = 4 + 8 + 4;            // empty family, size, four flags
constexpr qint64 minImageBytes = 4;                   // null image marker
constexpr qint64 minPageBytes = 16 + 4;               // size, item count
constexpr qint64 minItemBytes = 1 + 2 + 32 + 4 + 4 + 8 + 4 + 4 + 4 + 8 + 8 + 4 + 4 + 4;
constexpr qint64 minStringBytes = 4;
// Positions and sizes beyond these are no page's (mm, points).
constexpr double maxPageMm = 100000;
constexpr double maxFontPoints = 10000;

bool finiteWithin(double v, double lo, double hi) { return std::isfinite(v) && v >= lo && v <= hi; }

// A count read from the file, checked against what the rest of the file can hold.
bool readCount(QDataStream &s, qint64 entryBytes, qint32 *n)
{
    s >> *n;
    const QIODevice *d = s.device();
    return s.status() == QDataStream::Ok && *n >= 0 && *n <= (d->size() - d->pos()) / entryBytes;
}

// QDataStream's own list reader reserves the claimed count before reading it.
bool readStringList(QDataStream &s, QStringList *out)
{
    quint32 n = 0;
    s >> n;
    const QIODevice *d = s.device();
    if (s.status() != QDataStream::Ok || qint64(n) > (d->size() - d->pos()) / minStringBytes)
        return false;
    out->clear();
    out->reserve(qsizetype(n));
    for (quint32 i = 0; i < n && s.status() == QDataStream::Ok; ++i) {
        QString t;
        s >> t;
        out->append(t);
    }
    return s.status() == QDataStream::Ok;
}

} // namespace

bool ReportPages::loadFile(const QString &fileName, QString *error)
{
    QFile f(fileName);
    if (!f.exists()) {
        if (error) *error = QStringLiteral("File does not exist");
        return false;
    }
    if (!f.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("Не удалось открыть отчёт \"%1\": %2").arg(fileName, f.errorString());
        return false;
    }
    QDataStream s(&f);
    s.setVersion(QDataStream::Qt_6_4);
    char magic[7];
    qint32 version = 0;
    auto bad = [&](const QString &why) {
        if (error) *error = QStringLiteral("Файл \"%1\" не является сохранённым отчётом: %2").arg(fileName, why);
        return false;
    };
    if (s.readRawData(magic, 7) != 7 || memcmp(magic, fileMagic, 7) != 0)
        return bad(QStringLiteral("неверная сигнатура"));
    s >> version;
    if (version != fileVersion)
        return bad(QStringLiteral("неизвестная версия %1").arg(version));
    QString title;
    QStringList names;
    QVector<PageFont> fonts;
    QVector<QImage> images;
    QVector<ReportPage> pages;
    qint32 n = 0;
    s >> title;
    if (!readStringList(s, &names))
        return bad(QStringLiteral("повреждён список имён"));
    if (!readCount(s, minFontBytes, &n))
        return bad(QStringLiteral("повреждён список шрифтов"));
    for (int i = 0; i < n && s.status() == QDataStream::Ok; ++i) {
        PageFont ft;
        s >> ft.family >> ft.size >> ft.bold >> ft.italic >> ft.underline >> ft.strikeOut;
        if (s.status() == QDataStream::Ok && !finiteWithin(ft.size, 0, maxFontPoints))
            return bad(QStringLiteral("повреждён шрифт %1").arg(i + 1));
        fonts.append(ft);
    }
    if (!readCount(s, minImageBytes, &n))
        return bad(QStringLiteral("повреждён список изображений"));
    for (int i = 0; i < n && s.status() == QDataStream::Ok; ++i) {
        QImage img;
        s >> img;
        images.append(img);
    }
    if (!readCount(s, minPageBytes, &n))
        return bad(QStringLiteral("повреждён список страниц"));
    for (int i = 0; i < n && s.status() == QDataStream::Ok; ++i) {
        ReportPage p;
        qint32 count = 0;
        s >> p.size;
        if (s.status() != QDataStream::Ok)
            break;
        if (!finiteWithin(p.size.width(), 1, maxPageMm) || !finiteWithin(p.size.height(), 1, maxPageMm))
            return bad(QStringLiteral("повреждена страница %1: размер %2 × %3 мм").arg(i + 1).arg(p.size.width()).arg(p.size.height()));
        if (!readCount(s, minItemBytes, &count))
            return bad(QStringLiteral("повреждена страница %1: число элементов %2 больше, чем вмещает файл").arg(i + 1).arg(count));
        p.items.resize(count);
        for (int k = 0; k < count && s.status() == QDataStream::Ok; ++k) {
            PageItem &it = p.items[k];
            quint8 kind;
            qint32 font, image, band, source;
            s >> kind >> it.alignment >> it.rect >> it.text;
            if (!readStringList(s, &it.lines))
                return bad(QStringLiteral("повреждена страница %1, элемент %2").arg(i + 1).arg(k + 1));
            s >> it.lineHeight >> font >> it.color >> it.fill >> it.penWidth >> it.radius >> image >> band >> source;
            const QRectF &r = it.rect;
            if (s.status() == QDataStream::Ok
                && (kind > PageItem::Image || font < -1 || font >= fonts.size() || image < -1 || image >= images.size()
                    || band < -1 || band >= names.size() || source < -1 || source >= names.size()
                    || !finiteWithin(r.x(), -maxPageMm, maxPageMm) || !finiteWithin(r.y(), -maxPageMm, maxPageMm)
                    || !finiteWithin(r.width(), -maxPageMm, maxPageMm) || !finiteWithin(r.height(), -maxPageMm, maxPageMm)
                    || !finiteWithin(it.lineHeight, 0, maxPageMm) || !finiteWithin(it.penWidth, 0, maxPageMm)
                    || !finiteWithin(it.radius, 0, maxPageMm)))
                return bad(QStringLiteral("повреждена страница %1, элемент %2").arg(i + 1).arg(k + 1));
            it.kind = PageItem::Kind(kind);
            it.font = font;
            it.image = image;
            it.band = band;
            it.source = source;
        }
        pages.append(std::move(p));
    }
    if (s.status() != QDataStream::Ok)
        return bad(QStringLiteral("файл обрезан"));
    clear();
    m_title = title;
    m_names = names;
    for (int i = 0; i < names.size(); ++i)
        m_nameIndex.insert(names.at(i), i);
    m_fonts = fonts;
    m_images = images;
    for (auto &p : pages)
        appendPage(std::move(p));
    finish();
    return true;
}

} // namespace vorn::report
