// Checks that every picture the windows ask for exists in the resources and draws
// something visible at its size, and that unknown ones fall back quietly.
#include <QGuiApplication>
#include <QImage>
#include <QTest>

#include "VornImages.h"

namespace {

// Opaque pixels of a picture; a broken or missing SVG renders none.
int paintedPixels(const QImage &image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    int n = 0;
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(argb.pixel(x, y)) > 128)
                ++n;
    return n;
}

} // namespace

class TestImages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fixedIndexes_data();
    void fixedIndexes();
    void everySlotIsDrawn();
    void distinctPictures();
    void unknownIndex_data();
    void unknownIndex();
    void icon();
    void bitmaps_data();
    void bitmaps();
    void unknownBitmap();
};

void TestImages::fixedIndexes_data()
{
    QTest::addColumn<int>("index");
    const QList<std::pair<const char *, int>> rows = {
        {"group", 0}, {"report", 1}, {"queries folder", 2}, {"query", 3},
        {"parameters folder", 4}, {"parameter", 5}, {"master query", 28},
        {"scripts root", 29}, {"script", 30}, {"import definition", 38},
        {"data modules root", 39}, {"data module", 40}, {"person", 48}, {"role", 49},
    };
    for (const auto &[name, index] : rows)
        QTest::newRow(name) << index;
}

void TestImages::fixedIndexes()
{
    QFETCH(int, index);
    const QPixmap pixmap = vornImage(index);
    QCOMPARE(pixmap.size(), QSize(17, 17));
    // a real picture covers a good part of its square, not a stray pixel or two
    QVERIFY2(paintedPixels(pixmap.toImage()) > 40, qPrintable(QString::number(index)));
}

void TestImages::everySlotIsDrawn()
{
    QVERIFY(vornImageCount() > VornImg::Role);
    for (int i = 0; i < vornImageCount(); ++i) {
        const QPixmap pixmap = vornImage(i);
        QCOMPARE(pixmap.size(), QSize(17, 17));
        QVERIFY2(paintedPixels(pixmap.toImage()) > 30, qPrintable(QString::number(i)));
    }
}

// A wrong alias in the resource file would show one picture under two indexes.
void TestImages::distinctPictures()
{
    QHash<QByteArray, int> seen;
    for (int i = 0; i < vornImageCount(); ++i) {
        const QImage image = vornImage(i).toImage().convertToFormat(QImage::Format_ARGB32);
        const QByteArray bytes(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes());
        QVERIFY2(!seen.contains(bytes), qPrintable(QStringLiteral("%1 looks like %2").arg(i).arg(seen.value(bytes))));
        seen.insert(bytes, i);
    }
}

void TestImages::unknownIndex_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("negative") << -1;
    QTest::newRow("past the end") << vornImageCount();
    QTest::newRow("far away") << 100000;
}

void TestImages::unknownIndex()
{
    QFETCH(int, index);
    const QPixmap pixmap = vornImage(index);
    QCOMPARE(pixmap.size(), QSize(17, 17));
    QCOMPARE(paintedPixels(pixmap.toImage()), 0);
}

void TestImages::icon()
{
    const QIcon icon = vornIcon(VornImg::Query);
    QVERIFY(!icon.isNull());
    const QPixmap small = icon.pixmap(QSize(17, 17), 1.0);
    QCOMPARE(small.size(), QSize(17, 17));
    QCOMPARE(small.toImage().convertToFormat(QImage::Format_ARGB32),
             vornImage(VornImg::Query).toImage().convertToFormat(QImage::Format_ARGB32));
    const QPixmap large = icon.pixmap(QSize(17, 17), 2.0);
    QCOMPARE(large.size(), QSize(34, 34));
    QVERIFY(paintedPixels(large.toImage()) > 4 * 40);
}

void TestImages::bitmaps_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::newRow("checked") << QStringLiteral("BOOLGRDCHECKED") << QSize(13, 13);
    QTest::newRow("unchecked") << QStringLiteral("BOOLGRDUNCHECK") << QSize(13, 13);
    QTest::newRow("tick only") << QStringLiteral("CHECKONLY") << QSize(13, 13);
    QTest::newRow("memo") << QStringLiteral("DBG_MEMO") << QSize(17, 13);
    QTest::newRow("blob") << QStringLiteral("DBG_BLOB") << QSize(17, 13);
    QTest::newRow("select all") << QStringLiteral("BTNSELECTALL") << QSize(15, 15);
}

void TestImages::bitmaps()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    const QPixmap pixmap = vornBitmap(name);
    QCOMPARE(pixmap.size(), size);
    QVERIFY(paintedPixels(pixmap.toImage()) > 10);
}

void TestImages::unknownBitmap()
{
    QVERIFY(vornBitmap(QStringLiteral("NOSUCHBITMAP")).isNull());
    QVERIFY(vornBitmap(QString()).isNull());
    // the ticked and the empty box must differ, or a grid could not show a value
    QVERIFY(vornBitmap(QStringLiteral("BOOLGRDCHECKED")).toImage()
            != vornBitmap(QStringLiteral("BOOLGRDUNCHECK")).toImage());
}

QTEST_MAIN(TestImages)
#include "tst_images.moc"
