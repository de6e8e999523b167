// The report layout: what the designer edits and the layout XML stores — page
// settings, named datasets, bands and their items. Sizes are in millimetres.
// Elements and attributes this version does not know are kept for round trip.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace vorn::report {

// Raw XML a reader did not understand, written back unchanged.
struct UnknownXml
{
    QList<QPair<QString, QString>> attributes;        // unknown attributes of the element
    QStringList elements;                             // unknown child elements, serialised
    bool isEmpty() const { return attributes.isEmpty() && elements.isEmpty(); }
};

struct ReportFont
{
    QString family = QStringLiteral("Arial");
    double size = 10;                                 // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    bool operator==(const ReportFont &o) const = default;
};

struct PageSettings
{
    QString paper = QStringLiteral("A4");             // A3, A4, A5, Letter, Legal, Custom
    bool landscape = false;
    double width = 210, height = 297;                 // mm, portrait; used for Custom
    double marginLeft = 10, marginTop = 10, marginRight = 10, marginBottom = 10;
    int columns = 1;
    double columnSpacing = 0;                         // mm between columns

    QSizeF pageSize() const;                          // oriented, mm
    QRectF printableRect() const;                     // inside the margins, mm
    static QSizeF paperSize(const QString &paper);    // portrait size of a named paper, invalid when unknown
};

// A dataset the layout carries: found again by component name when it loads.
struct LayoutDataSet
{
    QString className;                                // TVornQuery, TRxMemoryData, TClientDataSet, TDataSource
    QString name;                                     // component name (Query1, usrPARAM, dsQuery1)
    QString databaseConnName;                         // TVornQuery: connection name
    QString sql;                                      // TVornQuery
    QString dataSet;                                  // TDataSource: the dataset it points at
    QString masterSource;                             // TVornQuery: master data source name
    int tag = 0;
    QList<QPair<QString, QString>> fields;            // memory tables: field name, type name
    QList<QStringList> rows;                          // memory tables: stored rows as text
    UnknownXml unknown;
};

enum class BandType {
    Title, PageHeader, ColumnHeader, Detail, SubDetail, GroupHeader, GroupFooter,
    Summary, PageFooter, Child, Background, Overlay
};

enum class ItemType {
    Label, DataField, Expression, SystemData, Memo, RichText,
    Line, Rectangle, RoundRect, Ellipse, Image, DBImage, CheckBox, Barcode
};

enum class SystemData {
    Date, Time, DateTime, PageNumber, PageCount, PageNofM, ReportTitle, DetailNumber, DetailCount
};

enum FrameSide { FrameLeft = 1, FrameTop = 2, FrameRight = 4, FrameBottom = 8, FrameAll = 15 };

struct ReportItem
{
    ItemType type = ItemType::Label;
    QString name;
    QRectF geometry;                                  // mm, relative to the band's top left
    QString text;                                     // label / memo text, rich text as HTML
    QString expression;                               // data field (Query1.Field) or expression
    QString displayFormat;                            // numbers: "#,##0.00", dates: "dd.mm.yyyy"
    SystemData systemData = SystemData::Date;
    bool useDefaultFont = true;
    ReportFont font;
    QColor color = Qt::black;                         // text / pen colour
    QColor background;                                // invalid = transparent
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
    bool wordWrap = false;
    bool autoHeight = false;                          // grows (and shrinks) with its text
    int frame = 0;                                    // FrameSide bits
    double frameWidth = 0.2;                          // mm
    QColor frameColor = Qt::black;
    double penWidth = 0.2;                            // shapes and lines, mm
    double radius = 2;                                // rounded rectangle corner, mm
    QByteArray imageData;                             // embedded image (PNG/JPEG bytes)
    bool keepAspect = true;
    QString barcodeType = QStringLiteral("Code128");  // Code128, QR, EAN13, Code39
    bool barcodeShowText = true;
    QString printCondition;                           // expression; printed only when true
    UnknownXml unknown;
};

struct ReportBand
{
    BandType type = BandType::Detail;
    QString name;
    double height = 5;                                // mm, design height
    QString dataSet;                                  // Detail / SubDetail: dataset name
    QString masterBand;                               // SubDetail: band it nests under
    QString detailBand;                               // GroupHeader: detail band it groups (default: main detail)
    QString groupExpression;                          // GroupHeader
    QString groupHeader;                              // GroupFooter: its header
    QString parentBand;                               // Child: band it follows
    bool groupNewPage = false;                        // GroupHeader: each group on a new page
    bool repeatOnEachPage = false;                    // GroupHeader / ColumnHeader: repeated after a page break
    bool printIfEmpty = false;                        // Detail / SubDetail: headers and footers print with no rows
    bool canGrow = true;
    bool canShrink = false;
    bool keepTogether = false;
    bool startNewPage = false;
    bool printOnBottom = false;                       // Summary / GroupFooter: at the bottom of the page body
    bool printOnFirstPage = true;                     // PageHeader
    bool printOnLastPage = true;                      // PageFooter
    int printCount = -1;                              // Detail without dataset: loop band printed N times
    QString printCondition;
    QColor background;
    QList<ReportItem> items;
    UnknownXml unknown;

    const ReportItem *item(const QString &name) const;
    ReportItem *item(const QString &name);
};

class ReportLayout
{
public:
    static constexpr int FormatVersion = 1;

    QString title() const { return m_title; }
    void setTitle(const QString &t) { m_title = t; }
    const PageSettings &page() const { return m_page; }
    PageSettings &page() { return m_page; }
    void setPage(const PageSettings &p) { m_page = p; }
    ReportFont defaultFont() const { return m_font; }
    void setDefaultFont(const ReportFont &f) { m_font = f; }
    bool printIfEmpty() const { return m_printIfEmpty; }
    void setPrintIfEmpty(bool on) { m_printIfEmpty = on; }

    const QList<LayoutDataSet> &dataSets() const { return m_dataSets; }
    QList<LayoutDataSet> &dataSets() { return m_dataSets; }
    LayoutDataSet *dataSet(const QString &name);      // case-insensitive
    void addDataSet(const LayoutDataSet &d) { m_dataSets.append(d); }

    const QList<ReportBand> &bands() const { return m_bands; }
    QList<ReportBand> &bands() { return m_bands; }
    ReportBand *band(const QString &name);
    const ReportBand *band(const QString &name) const;
    ReportBand &addBand(BandType type, const QString &name, double height);   // valid until the next band is added

    const UnknownXml &unknown() const { return m_unknown; }

    // XML: load() returns false with a clear message in *error and leaves the layout empty.
    bool load(const QByteArray &xml, QString *error);
    bool loadFile(const QString &fileName, QString *error);
    QByteArray save() const;
    bool saveFile(const QString &fileName, QString *error) const;  // write-then-rename

    static QString bandTypeName(BandType t);
    static bool bandTypeFromName(const QString &s, BandType *t);
    static QString itemTypeName(ItemType t);
    static bool itemTypeFromName(const QString &s, ItemType *t);
    static QString systemDataName(SystemData s);
    static bool systemDataFromName(const QString &s, SystemData *d);

private:
    QString m_title;
    PageSettings m_page;
    ReportFont m_font;
    bool m_printIfEmpty = true;
    QList<LayoutDataSet> m_dataSets;
    QList<ReportBand> m_bands;
    UnknownXml m_unknown;
};

} // namespace vorn::report
