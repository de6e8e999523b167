// The generated report as a display list: pages of positioned text runs, lines,
// shapes and images in millimetres. Exporters and the preview read only this;
// it is also what a saved-report file stores.
#pragma once

#include <QColor>
#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVector>

namespace vorn::report {

struct PageFont
{
    QString family;
    double size = 10;                                 // points
    bool bold = false, italic = false, underline = false, strikeOut = false;
    bool operator==(const PageFont &o) const = default;
};

struct PageItem
{
    enum Kind : quint8 { Text, Line, Rect, Ellipse, Image };
    Kind kind = Text;
    quint16 alignment = 0;                            // Qt::Alignment of text
    QRectF rect;                                      // mm on the page; Line: from topLeft to bottomRight
    QString text;                                     // Text: whole text of the item
    QStringList lines;                                // Text: wrapped lines when more than one
    double lineHeight = 0;                            // Text: mm between baselines of lines
    int font = -1;                                    // Text: index into ReportPages::fonts()
    QRgb color = 0xff000000;                          // text or pen colour
    QRgb fill = 0;                                    // Rect / Ellipse fill; 0 = none
    double penWidth = 0;                              // mm; 0 = no outline
    double radius = 0;                                // Rect corner radius, mm
    int image = -1;                                   // Image: index into ReportPages::images()
    int band = -1;                                    // index into ReportPages::names(): band that printed it
    int source = -1;                                  // index into names(): the layout item's name
};

struct ReportPage
{
    QSizeF size;                                      // mm
    QVector<PageItem> items;
};

class ReportPages : public QObject
{
    Q_OBJECT
public:
    explicit ReportPages(QObject *parent = nullptr);

    QString title() const { return m_title; }
    void setTitle(const QString &t) { m_title = t; }
    int pageCount() const { return int(m_pages.size()); }
    const ReportPage &page(int index) const { return m_pages.at(index); }
    ReportPage &page(int index) { return m_pages[index]; }
    bool isFinished() const { return m_finished; }

    const QVector<PageFont> &fonts() const { return m_fonts; }
    const QVector<QImage> &images() const { return m_images; }
    const QStringList &names() const { return m_names; }
    int fontIndex(const PageFont &f);                 // adds when new
    int addImage(const QImage &img);
    int nameIndex(const QString &name);               // adds when new

    void clear();
    void appendPage(ReportPage page);                 // emits pageAdded
    void finish();                                    // emits finished

    // Convenience for checks: text of every Text item on a page, in reading order.
    QStringList pageTexts(int index) const;
    // Text items printed by a band (by name) on a page.
    QStringList bandTexts(int index, const QString &band) const;

    // Saved-report file: our own page format, loaded back without the database.
    bool saveFile(const QString &fileName, QString *error) const;
    bool loadFile(const QString &fileName, QString *error);

Q_SIGNALS:
    void pageAdded(int pageCount);
    void finished();
    void cleared();

private:
    QString m_title;
    QVector<ReportPage> m_pages;
    QVector<PageFont> m_fonts;
    QVector<QImage> m_images;
    QStringList m_names;
    QHash<QString, int> m_nameIndex;
    bool m_finished = false;
};

} // namespace vorn::report
