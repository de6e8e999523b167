// Layout model and its XML form. Reading is strict about structure and lenient
// about content: a damaged document is refused with its line and column, while
// elements and attributes of a later minor revision are carried through unchanged.
#include "platform/report/ReportLayout.h"

/*
** The document, version 1 (sizes in millimetres, flags "true"/"false"):
**
**   <VornReport version="1" title="..." [printIfEmpty="false"]>
**     <Page paper="A4|A5|A3|B5|Letter|Legal|Custom" orientation="portrait|landscape"
**           [width height] marginLeft marginTop marginRight marginBottom columns [columnSpacing]/>
**     <Font family size [bold italic underline strikeout]/>           default font
**     <DataSets>
**       <DataSet class="TVornQuery" name="Query1" DatabaseConnName="dbMain" [MasterSource Tag]><SQL>...</SQL></DataSet>
**       <DataSet class="TRxMemoryData|TClientDataSet" name="usrPARAM"><Field name type/>...<Row><V>..</V></Row></DataSet>
**       <DataSet class="TDataSource" name="dsQuery1" DataSet="Query1"/>
**     </DataSets>
**     <Bands>
**       <Band type="Title|PageHeader|ColumnHeader|Detail|SubDetail|GroupHeader|GroupFooter|Summary|PageFooter|Child|Background|Overlay"
**             name height [dataSet master detail expression header parent newPage repeat printIfEmpty canGrow canShrink
**             keepTogether startNewPage printOnBottom printOnFirstPage printOnLastPage printCount condition background]>
**         <Item type="Label|DataField|Expression|SystemData|Memo|RichText|Line|Rectangle|RoundRect|Ellipse|Image|DBImage|CheckBox|Barcode"
**               name left top width height [format system color background align wordWrap autoHeight frame="LTRB"
**               frameWidth frameColor penWidth radius keepAspect barcode barcodeText condition]>
**           <Text>..</Text> <Expression>..</Expression> <Font .../> <Image>base64</Image>
**         </Item>
**       </Band>
**     </Bands>
**   </VornReport>
**
** A reader of version 1 keeps any other element or attribute and writes it back.
*/

#include <QFile>
#include <QSaveFile>
#include <QSet>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <climits>
#include <cmath>

namespace vorn::report {

QSizeF PageSettings::paperSize(const QString &paper)
{
    const QString p = paper.toUpper();
    if (p == u"A3") return {297, 420};
    if (p == u"A4") return {210, 297};
    if (p == u"A5") return {148, 210};
    if (p == u"B5") return {176, 250};
    if (p == u"LETTER") return {215.9, 279.4};
    if (p == u"LEGAL") return {215.9, 355.6};
    return {};
}

QSizeF PageSettings::pageSize() const
{
    QSizeF s = paperSize(paper);
    if (!s.isValid())
        s = QSizeF(width, height);
    return landscape ? QSizeF(s.height(), s.width()) : s;
}

QRectF PageSettings::printableRect() const
{
    const QSizeF s = pageSize();
    return QRectF(marginLeft, marginTop, s.width() - marginLeft - marginRight, s.height() - marginTop - marginBottom);
}

const ReportItem *ReportBand::item(const QString &n) const
{
    for (const auto &i : items)
        if (i.name.compare(n, Qt::CaseInsensitive) == 0)
            return &i;
    return nullptr;
}

ReportItem *ReportBand::item(const QString &n)
{
    return const_cast<ReportItem *>(std::as_const(*this).item(n));
}

LayoutDataSet *ReportLayout::dataSet(const QString &name)
{
    for (auto &d : m_dataSets)
        if (d.name.compare(name, Qt::CaseInsensitive) == 0)
            return &d;
    return nullptr;
}

const ReportBand *ReportLayout::band(const QString &name) const
{
    for (const auto &b : m_bands)
        if (b.name.compare(name, Qt::CaseInsensitive) == 0)
            return &b;
    return nullptr;
}

ReportBand *ReportLayout::band(const QString &name)
{
    return const_cast<ReportBand *>(std::as_const(*this).band(name));
}

ReportBand &ReportLayout::addBand(BandType type, const QString &name, double height)
{
    ReportBand b;
    b.type = type;
    b.name = name;
    b.height = height;
    m_bands.append(b);
    return m_bands.last();
}

// --- names ------------------------------------------------------------------

namespace {

const char *const bandNames[] = {"Title", "PageHeader", "ColumnHeader", "Detail", "SubDetail", "GroupHeader",
                                 "GroupFooter", "Summary", "PageFooter", "Child", "Background", "Overlay"};
const char *const itemNames[] = {"Label", "DataField", "Expression", "SystemData", "Memo", "RichText", "Line",
                                 "Rectangle", "RoundRect", "Ellipse", "Image", "DBImage", "CheckBox", "Barcode"};
const char *const systemNames[] = {"Date", "Time", "DateTime", "PageNumber", "PageCount", "PageNofM",
                                   "ReportTitle", "DetailNumber", "DetailCount"};

template<int N>
int indexOfName(const char *const (&names)[N], const QString &s)
{
    for (int i = 0; i < N; ++i)
        if (s.compare(QLatin1String(names[i]), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

} // namespace

QString ReportLayout::bandTypeName(BandType t) { return QLatin1String(bandNames[int(t)]); }
bool ReportLayout::bandTypeFromName(const QString &s, BandType *t)
{
    const int i = indexOfName(bandNames, s);
    if (i >= 0) *t = BandType(i);
    return i >= 0;
}
QString ReportLayout::itemTypeName(ItemType t) { return QLatin1String(itemNames[int(t)]); }
bool ReportLayout::itemTypeFromName(const QString &s, ItemType *t)
{
    const int i = indexOfName(itemNames, s);
    if (i >= 0) *t = ItemType(i);
    return i >= 0;
}
QString ReportLayout::systemDataName(SystemData s) { return QLatin1String(systemNames[int(s)]); }
bool ReportLayout::systemDataFromName(const QString &s, SystemData *d)
{
    const int i = indexOfName(systemNames, s);
    if (i >= 0) *d = SystemData(i);
    return i >= 0;
}

// --- reading ----------------------------------------------------------------

namespace {

struct LoadError
{
    QString message;
};

// Sizes and positions beyond ten metres are no page's: refused as damage.
constexpr double maxMm = 10000;
constexpr double maxFontSize = 1000;                  // points
constexpr double maxPen = 100;                        // mm
constexpr int maxColumns = 100;
constexpr int maxPrintCount = 10000000;

// Attribute access that remembers which names were understood, so the rest can
// be kept as unknown.
class Attrs
{
public:
    explicit Attrs(const QXmlStreamAttributes &a) : m_a(a) {}
    bool has(const QString &n) const { return m_a.hasAttribute(n); }
    QString str(const QString &n, const QString &def = QString())
    {
        m_used.insert(n);
        return m_a.hasAttribute(n) ? m_a.value(n).toString() : def;
    }
    // Numbers outside [lo, hi] (NaN and infinities included) mean a damaged
    // document: carried on, they would overflow conversions and allocations later.
    double num(const QString &n, double def, double lo, double hi)
    {
        m_used.insert(n);
        if (!m_a.hasAttribute(n))
            return def;
        bool ok = false;
        const double v = m_a.value(n).toDouble(&ok);
        if (!ok)
            throw LoadError{QStringLiteral("неверное число в атрибуте \"%1\": \"%2\"").arg(n, m_a.value(n).toString())};
        if (!std::isfinite(v) || v < lo || v > hi)
            throw LoadError{QStringLiteral("недопустимое значение атрибута \"%1\": \"%2\" (допустимо от %3 до %4)")
                                .arg(n, m_a.value(n).toString(), QString::number(lo, 'g', 10), QString::number(hi, 'g', 10))};
        return v;
    }
    int integer(const QString &n, int def, int lo, int hi) { return int(num(n, def, lo, hi)); }
    bool flag(const QString &n, bool def)
    {
        m_used.insert(n);
        if (!m_a.hasAttribute(n))
            return def;
        const QString v = m_a.value(n).toString().toLower();
        return v == u"true" || v == u"1" || v == u"yes";
    }
    QColor color(const QString &n, const QColor &def)
    {
        const QString s = str(n);
        if (s.isEmpty())
            return def;
        QColor c = QColor::fromString(s);
        return c.isValid() ? c : def;
    }
    void finish(UnknownXml *u) const
    {
        for (const auto &a : m_a)
            if (!m_used.contains(a.qualifiedName().toString()))
                u->attributes.append({a.qualifiedName().toString(), a.value().toString()});
    }

private:
    QXmlStreamAttributes m_a;
    QSet<QString> m_used;
};

// Serialise the element the reader stands on (with its children) as text.
QString captureElement(QXmlStreamReader &r)
{
    QString out;
    QXmlStreamWriter w(&out);
    int depth = 0;
    do {
        switch (r.tokenType()) {
        case QXmlStreamReader::StartElement:
            w.writeStartElement(r.qualifiedName().toString());
            w.writeAttributes(r.attributes());
            ++depth;
            break;
        case QXmlStreamReader::EndElement:
            w.writeEndElement();
            --depth;
            break;
        case QXmlStreamReader::Characters:
            if (r.isCDATA())
                w.writeCDATA(r.text().toString());
            else
                w.writeCharacters(r.text().toString());
            break;
        default:
            break;
        }
        if (depth == 0)
            break;
        r.readNext();
    } while (!r.atEnd());
    return out;
}

void writeUnknownElements(QXmlStreamWriter &w, const UnknownXml &u)
{
    for (const QString &e : u.elements) {
        QXmlStreamReader r(e);
        while (!r.atEnd()) {
            r.readNext();
            switch (r.tokenType()) {
            case QXmlStreamReader::StartElement:
                w.writeStartElement(r.qualifiedName().toString());
                w.writeAttributes(r.attributes());
                break;
            case QXmlStreamReader::EndElement:
                w.writeEndElement();
                break;
            case QXmlStreamReader::Characters:
                w.writeCharacters(r.text().toString());
                break;
            default:
                break;
            }
        }
    }
}

void writeUnknownAttributes(QXmlStreamWriter &w, const UnknownXml &u)
{
    for (const auto &a : u.attributes)
        w.writeAttribute(a.first, a.second);
}

ReportFont readFont(QXmlStreamReader &r, const ReportFont &base)
{
    Attrs a(r.attributes());
    ReportFont f = base;
    f.family = a.str(QStringLiteral("family"), f.family);
    f.size = a.num(QStringLiteral("size"), f.size, 0, maxFontSize);
    f.bold = a.flag(QStringLiteral("bold"), f.bold);
    f.italic = a.flag(QStringLiteral("italic"), f.italic);
    f.underline = a.flag(QStringLiteral("underline"), f.underline);
    f.strikeOut = a.flag(QStringLiteral("strikeout"), f.strikeOut);
    r.skipCurrentElement();
    return f;
}

Qt::Alignment parseAlign(const QString &s)
{
    Qt::Alignment al;
    const QStringList parts = s.toLower().split(u' ', Qt::SkipEmptyParts);
    for (const QString &p : parts) {
        if (p == u"left") al |= Qt::AlignLeft;
        else if (p == u"right") al |= Qt::AlignRight;
        else if (p == u"center") al |= Qt::AlignHCenter;
        else if (p == u"justify") al |= Qt::AlignJustify;
        else if (p == u"top") al |= Qt::AlignTop;
        else if (p == u"vcenter") al |= Qt::AlignVCenter;
        else if (p == u"bottom") al |= Qt::AlignBottom;
    }
    if (!(al & Qt::AlignHorizontal_Mask)) al |= Qt::AlignLeft;
    if (!(al & Qt::AlignVertical_Mask)) al |= Qt::AlignTop;
    return al;
}

QString alignName(Qt::Alignment al)
{
    QString h = al & Qt::AlignRight ? QStringLiteral("right")
        : al & Qt::AlignHCenter     ? QStringLiteral("center")
        : al & Qt::AlignJustify     ? QStringLiteral("justify")
                                    : QStringLiteral("left");
    QString v = al & Qt::AlignBottom ? QStringLiteral("bottom")
        : al & Qt::AlignVCenter      ? QStringLiteral("vcenter")
                                     : QStringLiteral("top");
    return h + u' ' + v;
}

int parseFrame(const QString &s)
{
    int f = 0;
    for (QChar c : s.toUpper()) {
        if (c == u'L') f |= FrameLeft;
        if (c == u'T') f |= FrameTop;
        if (c == u'R') f |= FrameRight;
        if (c == u'B') f |= FrameBottom;
    }
    return f;
}

QString frameName(int f)
{
    QString s;
    if (f & FrameLeft) s += u'L';
    if (f & FrameTop) s += u'T';
    if (f & FrameRight) s += u'R';
    if (f & FrameBottom) s += u'B';
    return s;
}

ReportItem readItem(QXmlStreamReader &r)
{
    ReportItem it;
    Attrs a(r.attributes());
    const QString type = a.str(QStringLiteral("type"));
    if (!ReportLayout::itemTypeFromName(type, &it.type))
        throw LoadError{QStringLiteral("неизвестный вид элемента \"%1\"").arg(type)};
    it.name = a.str(QStringLiteral("name"));
    it.geometry = QRectF(a.num(QStringLiteral("left"), 0, -maxMm, maxMm), a.num(QStringLiteral("top"), 0, -maxMm, maxMm),
                         a.num(QStringLiteral("width"), 20, 0, maxMm), a.num(QStringLiteral("height"), 5, 0, maxMm));
    it.displayFormat = a.str(QStringLiteral("format"));
    const QString sys = a.str(QStringLiteral("system"));
    if (!sys.isEmpty() && !ReportLayout::systemDataFromName(sys, &it.systemData))
        throw LoadError{QStringLiteral("неизвестные системные данные \"%1\"").arg(sys)};
    it.color = a.color(QStringLiteral("color"), it.color);
    it.background = a.color(QStringLiteral("background"), QColor());
    it.alignment = parseAlign(a.str(QStringLiteral("align"), QStringLiteral("left top")));
    it.wordWrap = a.flag(QStringLiteral("wordWrap"), it.wordWrap);
    it.autoHeight = a.flag(QStringLiteral("autoHeight"), it.autoHeight);
    it.frame = parseFrame(a.str(QStringLiteral("frame")));
    it.frameWidth = a.num(QStringLiteral("frameWidth"), it.frameWidth, 0, maxPen);
    it.frameColor = a.color(QStringLiteral("frameColor"), it.frameColor);
    it.penWidth = a.num(QStringLiteral("penWidth"), it.penWidth, 0, maxPen);
    it.radius = a.num(QStringLiteral("radius"), it.radius, 0, maxMm);
    it.keepAspect = a.flag(QStringLiteral("keepAspect"), it.keepAspect);
    it.barcodeType = a.str(QStringLiteral("barcode"), it.barcodeType);
    it.barcodeShowText = a.flag(QStringLiteral("barcodeText"), it.barcodeShowText);
    it.printCondition = a.str(QStringLiteral("condition"));
    a.finish(&it.unknown);
    while (r.readNextStartElement()) {
        const auto n = r.name();
        if (n == u"Text")
            it.text = r.readElementText();
        else if (n == u"Expression")
            it.expression = r.readElementText();
        else if (n == u"Font") {
            it.useDefaultFont = false;
            it.font = readFont(r, it.font);
        } else if (n == u"Image")
            it.imageData = QByteArray::fromBase64(r.readElementText().toLatin1());
        else
            it.unknown.elements.append(captureElement(r));
    }
    return it;
}

ReportBand readBand(QXmlStreamReader &r)
{
    ReportBand b;
    Attrs a(r.attributes());
    const QString type = a.str(QStringLiteral("type"));
    if (!ReportLayout::bandTypeFromName(type, &b.type))
        throw LoadError{QStringLiteral("неизвестный вид полосы \"%1\"").arg(type)};
    b.name = a.str(QStringLiteral("name"));
    b.height = a.num(QStringLiteral("height"), b.height, 0, maxMm);
    b.dataSet = a.str(QStringLiteral("dataSet"));
    b.masterBand = a.str(QStringLiteral("master"));
    b.detailBand = a.str(QStringLiteral("detail"));
    b.groupExpression = a.str(QStringLiteral("expression"));
    b.groupHeader = a.str(QStringLiteral("header"));
    b.parentBand = a.str(QStringLiteral("parent"));
    b.groupNewPage = a.flag(QStringLiteral("newPage"), false);
    b.repeatOnEachPage = a.flag(QStringLiteral("repeat"), false);
    b.printIfEmpty = a.flag(QStringLiteral("printIfEmpty"), false);
    b.canGrow = a.flag(QStringLiteral("canGrow"), true);
    b.canShrink = a.flag(QStringLiteral("canShrink"), false);
    b.keepTogether = a.flag(QStringLiteral("keepTogether"), false);
    b.startNewPage = a.flag(QStringLiteral("startNewPage"), false);
    b.printOnBottom = a.flag(QStringLiteral("printOnBottom"), false);
    b.printOnFirstPage = a.flag(QStringLiteral("printOnFirstPage"), true);
    b.printOnLastPage = a.flag(QStringLiteral("printOnLastPage"), true);
    b.printCount = a.integer(QStringLiteral("printCount"), -1, -1, maxPrintCount);
    b.printCondition = a.str(QStringLiteral("condition"));
    b.background = a.color(QStringLiteral("background"), QColor());
    a.finish(&b.unknown);
    while (r.readNextStartElement()) {
        if (r.name() == u"Item")
            b.items.append(readItem(r));
        else
            b.unknown.elements.append(captureElement(r));
    }
    return b;
}

LayoutDataSet readDataSet(QXmlStreamReader &r)
{
    LayoutDataSet d;
    Attrs a(r.attributes());
    d.className = a.str(QStringLiteral("class"));
    d.name = a.str(QStringLiteral("name"));
    if (d.name.isEmpty())
        throw LoadError{QStringLiteral("набор данных без имени")};
    d.databaseConnName = a.str(QStringLiteral("DatabaseConnName"));
    d.dataSet = a.str(QStringLiteral("DataSet"));
    d.masterSource = a.str(QStringLiteral("MasterSource"));
    d.tag = a.integer(QStringLiteral("Tag"), 0, INT_MIN, INT_MAX);
    a.finish(&d.unknown);
    while (r.readNextStartElement()) {
        const auto n = r.name();
        if (n == u"SQL")
            d.sql = r.readElementText();
        else if (n == u"Field") {
            d.fields.append({r.attributes().value(QStringLiteral("name")).toString(),
                             r.attributes().value(QStringLiteral("type")).toString()});
            r.skipCurrentElement();
        } else if (n == u"Row") {
            QStringList row;
            while (r.readNextStartElement()) {
                if (r.name() == u"V")
                    row.append(r.readElementText());
                else
                    r.skipCurrentElement();
            }
            d.rows.append(row);
        } else
            d.unknown.elements.append(captureElement(r));
    }
    return d;
}

} // namespace

bool ReportLayout::load(const QByteArray &xml, QString *error)
{
    *this = ReportLayout();
    QXmlStreamReader r(xml);
    ReportLayout l;
    try {
        if (xml.trimmed().isEmpty())
            throw LoadError{QStringLiteral("пустой документ")};
        if (!r.readNextStartElement())
            throw LoadError{r.hasError() ? r.errorString() : QStringLiteral("пустой документ")};
        if (r.name() != u"VornReport")
            throw LoadError{QStringLiteral("это не макет отчёта (корневой элемент \"%1\")").arg(r.name().toString())};
        Attrs a(r.attributes());
        const QString ver = a.str(QStringLiteral("version"));
        bool ok = false;
        const int version = ver.section(u'.', 0, 0).toInt(&ok);
        if (!ok || version < 1 || version > FormatVersion)
            throw LoadError{QStringLiteral("неизвестная версия формата \"%1\" (поддерживается %2)").arg(ver).arg(FormatVersion)};
        l.m_title = a.str(QStringLiteral("title"));
        l.m_printIfEmpty = a.flag(QStringLiteral("printIfEmpty"), true);
        a.finish(&l.m_unknown);
        while (r.readNextStartElement()) {
            const auto n = r.name();
            if (n == u"Page") {
                Attrs p(r.attributes());
                PageSettings &pg = l.m_page;
                pg.paper = p.str(QStringLiteral("paper"), pg.paper);
                pg.landscape = p.str(QStringLiteral("orientation")).compare(u"landscape", Qt::CaseInsensitive) == 0;
                pg.width = p.num(QStringLiteral("width"), pg.width, 0, maxMm);
                pg.height = p.num(QStringLiteral("height"), pg.height, 0, maxMm);
                pg.marginLeft = p.num(QStringLiteral("marginLeft"), pg.marginLeft, 0, maxMm);
                pg.marginTop = p.num(QStringLiteral("marginTop"), pg.marginTop, 0, maxMm);
                pg.marginRight = p.num(QStringLiteral("marginRight"), pg.marginRight, 0, maxMm);
                pg.marginBottom = p.num(QStringLiteral("marginBottom"), pg.marginBottom, 0, maxMm);
                pg.columns = qMax(1, p.integer(QStringLiteral("columns"), 1, INT_MIN, maxColumns));
                pg.columnSpacing = p.num(QStringLiteral("columnSpacing"), 0, 0, maxMm);
                if (pg.pageSize().width() <= pg.marginLeft + pg.marginRight
                    || pg.pageSize().height() <= pg.marginTop + pg.marginBottom)
                    throw LoadError{QStringLiteral("поля страницы больше самой страницы")};
                r.skipCurrentElement();
            } else if (n == u"Font") {
                l.m_font = readFont(r, l.m_font);
            } else if (n == u"DataSets") {
                while (r.readNextStartElement()) {
                    if (r.name() == u"DataSet")
                        l.m_dataSets.append(readDataSet(r));
                    else
                        l.m_unknown.elements.append(captureElement(r));
                }
            } else if (n == u"Bands") {
                while (r.readNextStartElement()) {
                    if (r.name() == u"Band")
                        l.m_bands.append(readBand(r));
                    else
                        l.m_unknown.elements.append(captureElement(r));
                }
            } else {
                l.m_unknown.elements.append(captureElement(r));
            }
        }
        if (r.hasError())
            throw LoadError{r.errorString()};
    } catch (const LoadError &e) {
        if (error)
            *error = QStringLiteral("Макет отчёта повреждён (строка %1, позиция %2): %3")
                         .arg(r.lineNumber()).arg(r.columnNumber()).arg(e.message);
        return false;
    }
    *this = std::move(l);
    return true;
}

bool ReportLayout::loadFile(const QString &fileName, QString *error)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Не удалось открыть макет \"%1\": %2").arg(fileName, f.errorString());
        return false;
    }
    return load(f.readAll(), error);
}

// --- writing ----------------------------------------------------------------

namespace {

QString num(double v) { return QString::number(v, 'g', 10); }
QString flag(bool v) { return v ? QStringLiteral("true") : QStringLiteral("false"); }

void writeFont(QXmlStreamWriter &w, const ReportFont &f)
{
    w.writeStartElement(QStringLiteral("Font"));
    w.writeAttribute(QStringLiteral("family"), f.family);
    w.writeAttribute(QStringLiteral("size"), num(f.size));
    if (f.bold) w.writeAttribute(QStringLiteral("bold"), flag(true));
    if (f.italic) w.writeAttribute(QStringLiteral("italic"), flag(true));
    if (f.underline) w.writeAttribute(QStringLiteral("underline"), flag(true));
    if (f.strikeOut) w.writeAttribute(QStringLiteral("strikeout"), flag(true));
    w.writeEndElement();
}

void writeItem(QXmlStreamWriter &w, const ReportItem &it)
{
    const ReportItem def;
    w.writeStartElement(QStringLiteral("Item"));
    w.writeAttribute(QStringLiteral("type"), ReportLayout::itemTypeName(it.type));
    if (!it.name.isEmpty()) w.writeAttribute(QStringLiteral("name"), it.name);
    w.writeAttribute(QStringLiteral("left"), num(it.geometry.left()));
    w.writeAttribute(QStringLiteral("top"), num(it.geometry.top()));
    w.writeAttribute(QStringLiteral("width"), num(it.geometry.width()));
    w.writeAttribute(QStringLiteral("height"), num(it.geometry.height()));
    if (!it.displayFormat.isEmpty()) w.writeAttribute(QStringLiteral("format"), it.displayFormat);
    if (it.type == ItemType::SystemData) w.writeAttribute(QStringLiteral("system"), ReportLayout::systemDataName(it.systemData));
    if (it.color != def.color) w.writeAttribute(QStringLiteral("color"), it.color.name());
    if (it.background.isValid()) w.writeAttribute(QStringLiteral("background"), it.background.name());
    if (it.alignment != def.alignment) w.writeAttribute(QStringLiteral("align"), alignName(it.alignment));
    if (it.wordWrap) w.writeAttribute(QStringLiteral("wordWrap"), flag(true));
    if (it.autoHeight) w.writeAttribute(QStringLiteral("autoHeight"), flag(true));
    if (it.frame) {
        w.writeAttribute(QStringLiteral("frame"), frameName(it.frame));
        w.writeAttribute(QStringLiteral("frameWidth"), num(it.frameWidth));
        if (it.frameColor != def.frameColor) w.writeAttribute(QStringLiteral("frameColor"), it.frameColor.name());
    }
    if (it.penWidth != def.penWidth) w.writeAttribute(QStringLiteral("penWidth"), num(it.penWidth));
    if (it.type == ItemType::RoundRect) w.writeAttribute(QStringLiteral("radius"), num(it.radius));
    if (!it.keepAspect) w.writeAttribute(QStringLiteral("keepAspect"), flag(false));
    if (it.type == ItemType::Barcode) {
        w.writeAttribute(QStringLiteral("barcode"), it.barcodeType);
        w.writeAttribute(QStringLiteral("barcodeText"), flag(it.barcodeShowText));
    }
    if (!it.printCondition.isEmpty()) w.writeAttribute(QStringLiteral("condition"), it.printCondition);
    writeUnknownAttributes(w, it.unknown);
    if (!it.text.isEmpty()) w.writeTextElement(QStringLiteral("Text"), it.text);
    if (!it.expression.isEmpty()) w.writeTextElement(QStringLiteral("Expression"), it.expression);
    if (!it.useDefaultFont) writeFont(w, it.font);
    if (!it.imageData.isEmpty()) w.writeTextElement(QStringLiteral("Image"), QString::fromLatin1(it.imageData.toBase64()));
    writeUnknownElements(w, it.unknown);
    w.writeEndElement();
}

void writeBand(QXmlStreamWriter &w, const ReportBand &b)
{
    const ReportBand def;
    w.writeStartElement(QStringLiteral("Band"));
    w.writeAttribute(QStringLiteral("type"), ReportLayout::bandTypeName(b.type));
    w.writeAttribute(QStringLiteral("name"), b.name);
    w.writeAttribute(QStringLiteral("height"), num(b.height));
    auto opt = [&](const char *n, const QString &v) {
        if (!v.isEmpty()) w.writeAttribute(QLatin1String(n), v);
    };
    auto optFlag = [&](const char *n, bool v, bool d) {
        if (v != d) w.writeAttribute(QLatin1String(n), flag(v));
    };
    opt("dataSet", b.dataSet);
    opt("master", b.masterBand);
    opt("detail", b.detailBand);
    opt("expression", b.groupExpression);
    opt("header", b.groupHeader);
    opt("parent", b.parentBand);
    optFlag("newPage", b.groupNewPage, false);
    optFlag("repeat", b.repeatOnEachPage, false);
    optFlag("printIfEmpty", b.printIfEmpty, false);
    optFlag("canGrow", b.canGrow, def.canGrow);
    optFlag("canShrink", b.canShrink, false);
    optFlag("keepTogether", b.keepTogether, false);
    optFlag("startNewPage", b.startNewPage, false);
    optFlag("printOnBottom", b.printOnBottom, false);
    optFlag("printOnFirstPage", b.printOnFirstPage, true);
    optFlag("printOnLastPage", b.printOnLastPage, true);
    if (b.printCount >= 0) w.writeAttribute(QStringLiteral("printCount"), QString::number(b.printCount));
    opt("condition", b.printCondition);
    if (b.background.isValid()) w.writeAttribute(QStringLiteral("background"), b.background.name());
    writeUnknownAttributes(w, b.unknown);
    for (const auto &it : b.items)
        writeItem(w, it);
    writeUnknownElements(w, b.unknown);
    w.writeEndElement();
}

} // namespace

QByteArray ReportLayout::save() const
{
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.setAutoFormatting(true);
    w.setAutoFormattingIndent(1);
    w.writeStartDocument();
    w.writeStartElement(QStringLiteral("VornReport"));
    w.writeAttribute(QStringLiteral("version"), QString::number(FormatVersion));
    w.writeAttribute(QStringLiteral("title"), m_title);
    if (!m_printIfEmpty) w.writeAttribute(QStringLiteral("printIfEmpty"), flag(false));
    writeUnknownAttributes(w, m_unknown);

    w.writeStartElement(QStringLiteral("Page"));
    w.writeAttribute(QStringLiteral("paper"), m_page.paper);
    w.writeAttribute(QStringLiteral("orientation"), m_page.landscape ? QStringLiteral("landscape") : QStringLiteral("portrait"));
    if (!PageSettings::paperSize(m_page.paper).isValid()) {
        w.writeAttribute(QStringLiteral("width"), num(m_page.width));
        w.writeAttribute(QStringLiteral("height"), num(m_page.height));
    }
    w.writeAttribute(QStringLiteral("marginLeft"), num(m_page.marginLeft));
    w.writeAttribute(QStringLiteral("marginTop"), num(m_page.marginTop));
    w.writeAttribute(QStringLiteral("marginRight"), num(m_page.marginRight));
    w.writeAttribute(QStringLiteral("marginBottom"), num(m_page.marginBottom));
    w.writeAttribute(QStringLiteral("columns"), QString::number(m_page.columns));
    if (m_page.columnSpacing > 0) w.writeAttribute(QStringLiteral("columnSpacing"), num(m_page.columnSpacing));
    w.writeEndElement();
    writeFont(w, m_font);

    w.writeStartElement(QStringLiteral("DataSets"));
    for (const auto &d : m_dataSets) {
        w.writeStartElement(QStringLiteral("DataSet"));
        w.writeAttribute(QStringLiteral("class"), d.className);
        w.writeAttribute(QStringLiteral("name"), d.name);
        if (!d.databaseConnName.isEmpty()) w.writeAttribute(QStringLiteral("DatabaseConnName"), d.databaseConnName);
        if (!d.dataSet.isEmpty()) w.writeAttribute(QStringLiteral("DataSet"), d.dataSet);
        if (!d.masterSource.isEmpty()) w.writeAttribute(QStringLiteral("MasterSource"), d.masterSource);
        if (d.tag) w.writeAttribute(QStringLiteral("Tag"), QString::number(d.tag));
        writeUnknownAttributes(w, d.unknown);
        if (!d.sql.isEmpty()) w.writeTextElement(QStringLiteral("SQL"), d.sql);
        for (const auto &f : d.fields) {
            w.writeEmptyElement(QStringLiteral("Field"));
            w.writeAttribute(QStringLiteral("name"), f.first);
            w.writeAttribute(QStringLiteral("type"), f.second);
        }
        for (const auto &row : d.rows) {
            w.writeStartElement(QStringLiteral("Row"));
            for (const auto &v : row)
                w.writeTextElement(QStringLiteral("V"), v);
            w.writeEndElement();
        }
        writeUnknownElements(w, d.unknown);
        w.writeEndElement();
    }
    w.writeEndElement();

    w.writeStartElement(QStringLiteral("Bands"));
    for (const auto &b : m_bands)
        writeBand(w, b);
    w.writeEndElement();
    writeUnknownElements(w, m_unknown);
    w.writeEndElement();
    w.writeEndDocument();
    return out;
}

bool ReportLayout::saveFile(const QString &fileName, QString *error) const
{
    QSaveFile f(fileName);
    if (!f.open(QIODevice::WriteOnly) || f.write(save()) < 0 || !f.commit()) {
        if (error)
            *error = QStringLiteral("Не удалось записать макет \"%1\": %2").arg(fileName, f.errorString());
        return false;
    }
    return true;
}

} // namespace vorn::report
