// Renders the SVG pictures of the image list and the grid bitmaps, once each.
// The resources live in a static library, so they are registered here before the first
// look-up rather than relying on the linker to keep their initialiser.
#include "VornImages.h"

#include <QFile>
#include <QHash>
#include <QImage>
#include <QMutex>
#include <QPainter>
#include <QSvgRenderer>

#include <mutex>

static void registerVornResources()
{
    Q_INIT_RESOURCE(vorn);
}

namespace {

constexpr int imageSide = 17;
constexpr int imageSlots = VornImg::ImportRun + 1;

void ensureResources()
{
    static std::once_flag once;
    std::call_once(once, registerVornResources);
}

// Rendered pictures are kept as images: they are safe to hold in statics past the
// application object, unlike pixmaps.
struct RenderCache
{
    QMutex mutex;
    QHash<QString, QImage> images;
};

RenderCache &cache()
{
    static RenderCache c;
    return c;
}

// size: the target size, or an empty size for the picture's own size.
QImage render(const QString &path, QSize size)
{
    QImage image;
    if (!QFile::exists(path))
        return image;
    QSvgRenderer renderer(path);
    if (renderer.isValid()) {
        if (size.isEmpty())
            size = renderer.defaultSize();
        image = QImage(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
    }
    return image;
}

QImage cachedImage(const QString &path, QSize size)
{
    ensureResources();
    const QString key = path + QLatin1Char('@') + QString::number(size.width());
    RenderCache &c = cache();
    QMutexLocker lock(&c.mutex);
    auto it = c.images.constFind(key);
    if (it == c.images.constEnd())
        it = c.images.insert(key, render(path, size));
    return *it;
}

QString iconPath(int index)
{
    return QStringLiteral(":/vorn/icons/%1.svg").arg(index);
}

QPixmap imageAt(int index, int side)
{
    QImage image;
    if (index >= 0 && index < imageSlots)
        image = cachedImage(iconPath(index), QSize(side, side));
    if (image.isNull()) {
        image = QImage(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
    }
    return QPixmap::fromImage(image);
}

} // namespace

int vornImageCount()
{
    return imageSlots;
}

QPixmap vornImage(int index)
{
    return imageAt(index, imageSide);
}

QIcon vornIcon(int index)
{
    QIcon icon;
    icon.addPixmap(imageAt(index, imageSide));
    QPixmap large = imageAt(index, imageSide * 2);
    large.setDevicePixelRatio(2.0);
    icon.addPixmap(large);
    return icon;
}

QPixmap vornBitmap(const QString &name)
{
    if (name.isEmpty())
        return {};
    const QImage image = cachedImage(QStringLiteral(":/vorn/bitmaps/%1.svg").arg(name), QSize());
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}
