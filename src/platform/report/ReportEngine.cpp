// Band engine. One run walks the main detail band's dataset record by record;
// group headers and footers open and close around it as group values change,
// sub-details are re-read for every master record, and each band is measured,
// fitted into the space left above the page footer (moved on or split across
// pages) and appended to the current page. When an expression uses the page
// count the whole walk is done twice, the first time only to count pages.
#include "platform/report/ReportEngine.h"
#include "platform/report/ReportText.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QImage>
#include <QLocale>
#include <QSet>
#include <cmath>
#include <limits>
#include <zint.h>

namespace vorn::report {

namespace {

struct ItemRt
{
    Expression expr;                                  // value of data field / expression / memo
    Expression condition;
    int font = -1;                                    // page font index
    std::unique_ptr<TextMeasure> measure;
    int imageIndex = -1;                              // embedded image already in the pages
    int source = -1;                                  // name index of the item
};

struct BandRt
{
    ReportBand *band = nullptr;
    int index = -1;
    int nameIndex = -1;
    Expression condition;
    Expression groupExpr;                             // GroupHeader
    std::vector<ItemRt> items;
    ReportDataSet *dataSet = nullptr;                 // Detail / SubDetail
    QList<int> groups;                                // Detail: its group headers, outer first
    QList<int> footers;                               // parallel to groups: footer band or -1
    QList<int> subDetails;                            // Detail / SubDetail: nested sub-details
    QList<int> children;                              // Child bands that follow this one
    QList<int> bandAggregates;                        // accumulators reset after this band prints
    QList<int> groupAggregates;                       // GroupHeader: accumulators reset when the group starts
    QList<int> feedAggregates;                        // Detail: accumulators fed by each record
    int detailNumber = 0;
    int detailOf = -1;                                // GroupHeader / GroupFooter: the detail band
    int up = -1;                                      // SubDetail: its master band; Child: its parent band
    int groupHeader = -1;                             // GroupFooter: its header
    ReportValue groupValue;
};

struct Accumulator
{
    AggregateKind kind = AggregateKind::Sum;
    AggregateScope scope = AggregateScope::Report;
    const ExpressionNode *argument = nullptr;
    int feedBand = -1;
    double sum = 0;
    __int128 isum = 0;                                // integers summed without wrapping
    bool allInt = true;
    qint64 count = 0;
    ReportValue min, max;

    void reset()
    {
        sum = 0; isum = 0; allInt = true; count = 0;
        min = max = ReportValue();
    }
    ReportValue result() const
    {
        switch (kind) {
        case AggregateKind::Sum:
            // a sum of integers beyond 64 bits becomes a floating value, as integer + does
            if (!allInt) return ReportValue(sum);
            if (isum > std::numeric_limits<qint64>::max() || isum < std::numeric_limits<qint64>::min())
                return ReportValue(double(isum));
            return ReportValue(qint64(isum));
        case AggregateKind::Count: return ReportValue(count);
        case AggregateKind::Average: return count ? ReportValue(sum / double(count)) : ReportValue();
        case AggregateKind::Min: return min;
        case AggregateKind::Max: return max;
        }
        return {};
    }
};

// A measured band: items relative to the band's top left.
struct BandContent
{
    double height = 0;
    QVector<PageItem> items;
};

struct Cancelled {};

// Sub-details print inside their master's walk, one call level per nesting level.
constexpr int maxSubDetailNesting = 64;


} // namespace

struct ReportEngine::Private : public ExpressionContext
{
    ReportEngine *q = nullptr;
    ReportLayout layout;
    FunctionRegistry functions = FunctionRegistry::standard();
    QList<ReportDataSet *> dataSets;
    std::vector<std::unique_ptr<ReportDataSet>> owned;
    BeforeOpenHook beforeOpen;
    BeforePrintHook beforePrint;
    bool progressive = false;
    bool cancelled = false;
    bool running = false;
    QString error;
    QStringList warnings;
    QSet<QString> warned;
    bool strictNames = false;
    QStringList unknownNames;                         // names no dataset had, in order of first use

    // --- per run --------------------------------------------------------------
    ReportPages *pages = nullptr;
    std::vector<BandRt> bands;
    QHash<QString, int> bandByName;                   // lower-case name: the first band of that name
    std::vector<Accumulator> accs;
    QHash<QString, QPair<ReportDataSet *, int>> resolveCache;
    QHash<ReportDataSet *, QVector<QVariant>> snapshots;   // rows shown while group footers print
    QHash<ReportDataSet *, QVector<QVariant>> lastRows;
    ReportDataSet *currentDataSet = nullptr;
    int currentDetail = -1;
    int mainDetail = -1;
    bool countOnly = false;
    int knownPageCount = 0;
    int pageNo = 0;
    ReportPage page;
    bool pageOpen = false;
    int lastPageItems = 256;                          // capacity hint: pages of a report look alike
    bool pageHasBody = false;
    double cursorY = 0;
    int column = 0;
    double columnTop = 0;
    QRectF body;                                      // printable rect
    double footerHeight = 0;
    double columnWidth = 0;
    int pageHeaderBand = -1, pageFooterBand = -1, titleBand = -1, summaryBand = -1, columnHeaderBand = -1;
    QList<int> backgroundBands, overlayBands;
    QList<int> openGroups;                            // group headers currently open (repeat on new page)
    bool lastPage = false;
    qint64 recordsDone = 0;
    qint64 recordsTotal = -1;
    int lastProgress = -1;
    QElapsedTimer sinceEvents;
    int pass = 0, passes = 1;
    // While a record's band looks for room, its values are already in the
    // running totals; a page closed in that moment shows the totals without it.
    std::vector<Accumulator> beforeFeed;
    bool feedInFlight = false;

    // --- ExpressionContext ------------------------------------------------------
    bool resolve(const QString &name, ReportValue *value) override
    {
        auto it = resolveCache.constFind(name);
        if (it == resolveCache.constEnd()) {
            ReportDataSet *ds = nullptr;
            int field = -1;
            const int dot = name.indexOf(u'.');
            if (dot > 0) {
                ds = findDataSet(name.left(dot));
                if (ds) field = ds->fieldIndex(name.mid(dot + 1));
            }
            if (field < 0 && currentDataSet) {
                ds = currentDataSet;
                field = ds->fieldIndex(name);
            }
            if (field < 0)
                for (ReportDataSet *d : std::as_const(dataSets))
                    if (d->isOpen() && (field = d->fieldIndex(name)) >= 0) {
                        ds = d;
                        break;
                    }
            if (field < 0 || !ds) {
                if (!unknownNames.contains(name, Qt::CaseInsensitive))
                    unknownNames.append(name);
                return false;
            }
            // bare names depend on the current dataset and are not cached
            if (dot > 0)
                it = resolveCache.insert(name, {ds, field});
            else {
                *value = rowValue(ds, field);
                return true;
            }
        }
        *value = rowValue(it->first, it->second);
        return true;
    }

    ReportValue rowValue(ReportDataSet *ds, int field)
    {
        auto s = snapshots.constFind(ds);
        if (s != snapshots.constEnd())
            return ReportValue::fromVariant(s->value(field));
        if (ds->eof()) {
            auto l = lastRows.constFind(ds);
            if (l != lastRows.constEnd())
                return ReportValue::fromVariant(l->value(field));
        }
        return ReportValue::fromVariant(ds->value(field));
    }

    ReportValue aggregate(int slot) override
    {
        if (slot < 0 || slot >= int(accs.size()))
            return ReportValue::error(QStringLiteral("Итог вне полосы"));
        return accs[slot].result();
    }
    ReportValue pageNumber() override { return ReportValue(pageNo); }
    ReportValue pageCount() override { return ReportValue(knownPageCount > 0 ? knownPageCount : pageNo); }

    ReportDataSet *findDataSet(const QString &name) const
    {
        for (ReportDataSet *d : dataSets)
            if (d->name().compare(name, Qt::CaseInsensitive) == 0)
                return d;
        return nullptr;
    }

    void warn(const QString &w)
    {
        if (!warned.contains(w)) {
            warned.insert(w);
            warnings.append(w);
        }
    }

    // --- preparation ------------------------------------------------------------
    int bandIndex(const QString &name) const { return bandByName.value(name.toLower(), -1); }

    PageFont pageFont(const ReportItem &it) const
    {
        const ReportFont &f = it.useDefaultFont ? layout.defaultFont() : it.font;
        return PageFont{f.family, f.size, f.bold, f.italic, f.underline, f.strikeOut};
    }

    bool usesPageCount() const
    {
        for (const BandRt &b : bands)
            for (size_t i = 0; i < b.items.size(); ++i) {
                const ReportItem &it = b.band->items[int(i)];
                if (it.type == ItemType::SystemData && (it.systemData == SystemData::PageCount || it.systemData == SystemData::PageNofM))
                    return true;
                if (b.items[i].expr.usesPageCount())
                    return true;
            }
        return false;
    }

    bool isTextItem(ItemType t) const
    {
        return t == ItemType::Label || t == ItemType::DataField || t == ItemType::Expression || t == ItemType::SystemData
            || t == ItemType::Memo || t == ItemType::RichText;
    }

    void compileItem(BandRt &b, int i)
    {
        ReportItem &it = b.band->items[i];
        ItemRt &rt = b.items[i];
        rt.expr = Expression();
        if (!it.expression.isEmpty() && it.type != ItemType::Label)
            rt.expr = Expression::compile(it.expression, functions);
        if (!it.printCondition.isEmpty())
            rt.condition = Expression::compile(it.printCondition, functions);
        rt.font = pages->fontIndex(pageFont(it));
        rt.measure = std::make_unique<TextMeasure>(pageFont(it));
        rt.source = pages->nameIndex(it.name);
        rt.imageIndex = -1;
    }

    int feedBandFor(const QStringList &names, int ownerBand)
    {
        // the deepest detail band whose dataset the argument reads
        int best = -1;
        int bestDepth = -1;
        for (const QString &n : names) {
            const int dot = n.indexOf(u'.');
            const QString ds = dot > 0 ? n.left(dot) : QString();
            for (int i = 0; i < int(bands.size()); ++i) {
                const BandRt &b = bands[i];
                if (!b.dataSet || (b.band->type != BandType::Detail && b.band->type != BandType::SubDetail))
                    continue;
                if (ds.isEmpty() || b.dataSet->name().compare(ds, Qt::CaseInsensitive) != 0)
                    continue;
                int depth = 0;
                for (int m = i; m >= 0 && bands[m].band->type == BandType::SubDetail; m = bands[m].up)
                    ++depth;
                if (depth > bestDepth) {
                    best = i;
                    bestDepth = depth;
                }
            }
        }
        if (best >= 0)
            return best;
        const BandRt &o = bands[ownerBand];
        switch (o.band->type) {
        case BandType::Detail: case BandType::SubDetail: return ownerBand;
        case BandType::GroupHeader: case BandType::GroupFooter: return o.detailOf;
        case BandType::Child: {
            int p = o.up;                             // the first parent that is not a child band decides
            while (p >= 0 && bands[p].band->type == BandType::Child)
                p = bands[p].up;
            return p >= 0 ? feedBandFor(QStringList(), p) : mainDetail;
        }
        default: return mainDetail;
        }
    }

    int innermostGroupOf(int detailBand) const
    {
        if (detailBand < 0) return -1;
        const BandRt &d = bands[detailBand];
        return d.groups.isEmpty() ? -1 : d.groups.last();
    }

    void bindAggregates(int bandIdx)
    {
        BandRt &b = bands[bandIdx];
        for (size_t i = 0; i < b.items.size(); ++i) {
            Expression &e = b.items[i].expr;
            for (int a = 0; a < e.aggregates().size(); ++a) {
                const Expression::Aggregate &ag = e.aggregates()[a];
                Accumulator acc;
                acc.kind = ag.kind;
                acc.argument = ag.argument;
                acc.feedBand = feedBandFor(Expression::namesUnder(ag.argument), bandIdx);
                AggregateScope scope = ag.scope;
                int group = -1;
                if (scope == AggregateScope::Default) {
                    switch (b.band->type) {
                    case BandType::GroupHeader: scope = AggregateScope::Group; group = bandIdx; break;
                    case BandType::GroupFooter: scope = AggregateScope::Group; group = b.groupHeader; break;
                    case BandType::PageHeader: case BandType::PageFooter: case BandType::ColumnHeader:
                        scope = AggregateScope::Page; break;
                    default: scope = AggregateScope::Report; break;
                    }
                } else if (scope == AggregateScope::Group) {
                    if (!ag.groupName.isEmpty()) group = bandIndex(ag.groupName);
                    else if (b.band->type == BandType::GroupHeader) group = bandIdx;
                    else if (b.band->type == BandType::GroupFooter) group = b.groupHeader;
                    else group = innermostGroupOf(acc.feedBand);
                    if (group < 0) scope = AggregateScope::Report;
                }
                acc.scope = scope;
                const int slot = int(accs.size());
                accs.push_back(acc);
                e.setAggregateSlot(a, slot);
                if (acc.feedBand >= 0)
                    bands[acc.feedBand].feedAggregates.append(slot);
                if (scope == AggregateScope::Band)
                    b.bandAggregates.append(slot);
                else if (scope == AggregateScope::Group && group >= 0)
                    bands[group].groupAggregates.append(slot);
            }
        }
    }

    bool prepare()
    {
        bands.clear();
        accs.clear();
        resolveCache.clear();
        snapshots.clear();
        lastRows.clear();
        pageHeaderBand = pageFooterBand = titleBand = summaryBand = columnHeaderBand = mainDetail = -1;
        backgroundBands.clear();
        overlayBands.clear();
        QList<ReportBand> &lb = layout.bands();
        bands.resize(lb.size());
        bandByName.clear();
        for (int i = int(lb.size()) - 1; i >= 0; --i)  // the first of equal names wins
            bandByName.insert(lb[i].name.toLower(), i);
        for (int i = 0; i < lb.size(); ++i) {
            BandRt &b = bands[i];
            b.band = &lb[i];
            b.index = i;
            b.nameIndex = pages->nameIndex(lb[i].name);
            b.items.resize(lb[i].items.size());
            if (!lb[i].printCondition.isEmpty())
                b.condition = Expression::compile(lb[i].printCondition, functions);
            for (int k = 0; k < lb[i].items.size(); ++k)
                compileItem(b, k);
        }
        for (int i = 0; i < int(bands.size()); ++i) {
            BandRt &b = bands[i];
            const ReportBand &rb = *b.band;
            switch (rb.type) {
            case BandType::Title: if (titleBand < 0) titleBand = i; break;
            case BandType::PageHeader: if (pageHeaderBand < 0) pageHeaderBand = i; break;
            case BandType::PageFooter: if (pageFooterBand < 0) pageFooterBand = i; break;
            case BandType::Summary: if (summaryBand < 0) summaryBand = i; break;
            case BandType::ColumnHeader: if (columnHeaderBand < 0) columnHeaderBand = i; break;
            case BandType::Background: backgroundBands.append(i); break;
            case BandType::Overlay: overlayBands.append(i); break;
            case BandType::Detail:
            case BandType::SubDetail:
                if (!rb.dataSet.isEmpty()) {
                    b.dataSet = findDataSet(rb.dataSet);
                    if (!b.dataSet) {
                        error = QStringLiteral("Invalid Query (TQueryList) : \"%1\"").arg(rb.dataSet);
                        return false;
                    }
                }
                if (rb.type == BandType::Detail && mainDetail < 0)
                    mainDetail = i;
                break;
            default: break;
            }
        }
        for (int i = 0; i < int(bands.size()); ++i) {
            BandRt &b = bands[i];
            const ReportBand &rb = *b.band;
            if (rb.type == BandType::SubDetail) {
                const int m = rb.masterBand.isEmpty() ? mainDetail : bandIndex(rb.masterBand);
                if (m < 0 || m == i) {
                    error = QStringLiteral("Полоса \"%1\": не найдена главная полоса \"%2\"").arg(rb.name, rb.masterBand);
                    return false;
                }
                bands[m].subDetails.append(i);
                b.up = m;
                if (b.dataSet && bands[m].dataSet && b.dataSet != bands[m].dataSet && !b.dataSet->master())
                    b.dataSet->setMaster(bands[m].dataSet);
            } else if (rb.type == BandType::GroupHeader) {
                const int d = rb.detailBand.isEmpty() ? mainDetail : bandIndex(rb.detailBand);
                if (d < 0) {
                    error = QStringLiteral("Полоса \"%1\": не найдена полоса данных \"%2\"").arg(rb.name, rb.detailBand);
                    return false;
                }
                b.detailOf = d;
                bands[d].groups.append(i);
                bands[d].footers.append(-1);
            } else if (rb.type == BandType::Child) {
                const int p = bandIndex(rb.parentBand);
                if (p < 0 || p == i) {
                    error = QStringLiteral("Полоса \"%1\": не найдена родительская полоса \"%2\"").arg(rb.name, rb.parentBand);
                    return false;
                }
                bands[p].children.append(i);
                b.up = p;
            }
        }
        for (int i = 0; i < int(bands.size()); ++i) {
            BandRt &b = bands[i];
            if (b.band->type != BandType::GroupFooter)
                continue;
            const int h = bandIndex(b.band->groupHeader);
            if (h < 0 || bands[h].band->type != BandType::GroupHeader) {
                error = QStringLiteral("Полоса \"%1\": не найден заголовок группы \"%2\"").arg(b.band->name, b.band->groupHeader);
                return false;
            }
            b.groupHeader = h;
            b.detailOf = bands[h].detailOf;
            BandRt &d = bands[b.detailOf];
            d.footers[d.groups.indexOf(h)] = i;
        }
        if (!checkBandTree())
            return false;
        for (int i = 0; i < int(bands.size()); ++i)
            bindAggregates(i);
        // master links a layout states through its data sources
        for (const LayoutDataSet &lds : layout.dataSets()) {
            if (lds.masterSource.isEmpty()) continue;
            ReportDataSet *ds = findDataSet(lds.name);
            const LayoutDataSet *src = nullptr;
            for (const LayoutDataSet &s : layout.dataSets())
                if (s.name.compare(lds.masterSource, Qt::CaseInsensitive) == 0) src = &s;
            ReportDataSet *m = src ? findDataSet(src->dataSet.isEmpty() ? src->name : src->dataSet) : nullptr;
            if (ds && m && ds == m) {
                error = QStringLiteral("Набор данных \"%1\" указан главным для самого себя").arg(ds->name());
                return false;
            }
            if (ds && m) ds->setMaster(m);
        }
        return checkMasterChains();
    }

    /*
    ** Sub-details hang off their master bands and child bands off their parents,
    ** and a run follows these links by calling itself: a cycle among them would
    ** never end, and a sub-detail reading the dataset of a band it nests in would
    ** rewind that band's cursor for ever. Depths are found once per band by
    ** climbing to the first band already measured, so the check is linear.
    */
    bool checkBandTree()
    {
        const int n = int(bands.size());
        std::vector<int> depth(n, -1);                // sub-detail levels above the band; -1 not yet known
        std::vector<char> onPath(n, 0);
        std::vector<int> path;
        for (int i = 0; i < n; ++i) {
            path.clear();
            int at = i;
            while (at >= 0 && depth[at] < 0) {
                if (onPath[at]) {
                    const ReportBand &rb = *bands[at].band;
                    error = rb.type == BandType::Child
                        ? QStringLiteral("Полоса \"%1\": дочерние полосы ссылаются друг на друга по кругу").arg(rb.name)
                        : QStringLiteral("Полоса \"%1\": подчинённые полосы ссылаются друг на друга по кругу").arg(rb.name);
                    return false;
                }
                onPath[at] = 1;
                path.push_back(at);
                at = bands[at].up;
            }
            int d = at >= 0 ? depth[at] : -1;
            for (auto it = path.rbegin(); it != path.rend(); ++it) {
                onPath[*it] = 0;
                d = bands[*it].band->type == BandType::SubDetail ? d + 1 : qMax(d, 0);
                depth[*it] = d;
                if (d > maxSubDetailNesting) {
                    error = QStringLiteral("Полоса \"%1\": подчинённые полосы вложены глубже %2 уровней")
                                .arg(bands[*it].band->name).arg(maxSubDetailNesting);
                    return false;
                }
            }
        }
        for (int i = 0; i < n; ++i) {
            const BandRt &b = bands[i];
            if (b.band->type != BandType::SubDetail || !b.dataSet)
                continue;
            for (int m = b.up; m >= 0; m = bands[m].band->type == BandType::SubDetail ? bands[m].up : -1)
                if (bands[m].dataSet == b.dataSet) {
                    error = QStringLiteral("Полоса \"%1\": набор данных \"%2\" уже читает главная полоса \"%3\"")
                                .arg(b.band->name, b.dataSet->name(), bands[m].band->name);
                    return false;
                }
        }
        return true;
    }

    // A dataset that leads itself, directly or through others, would be reopened
    // by its own reopening.
    bool checkMasterChains()
    {
        for (ReportDataSet *d : std::as_const(dataSets)) {
            QList<ReportDataSet *> chain{d};
            QSet<ReportDataSet *> seen{d};
            for (ReportDataSet *m = d->master(); m; m = m->master()) {
                if (seen.contains(m)) {
                    QStringList names;
                    for (ReportDataSet *c : std::as_const(chain)) names << c->name();
                    names << m->name();
                    error = m == d && chain.size() == 1
                        ? QStringLiteral("Набор данных \"%1\" указан главным для самого себя").arg(d->name())
                        : QStringLiteral("Главные наборы данных ссылаются друг на друга по кругу: %1").arg(names.join(QStringLiteral(" → ")));
                    return false;
                }
                chain.append(m);
                seen.insert(m);
            }
        }
        return true;
    }

    bool openDataSets()
    {
        // masters first, so a detail's parameters see its master's first row
        QList<ReportDataSet *> order;
        QSet<ReportDataSet *> ordered;
        for (ReportDataSet *d : std::as_const(dataSets)) {
            QList<ReportDataSet *> chain;
            for (ReportDataSet *m = d; m && !ordered.contains(m); m = m->master())
                chain.prepend(m);
            order += chain;
            for (ReportDataSet *m : std::as_const(chain)) ordered.insert(m);
        }
        for (ReportDataSet *d : std::as_const(order)) {
            QString err;
            if (beforeOpen && !beforeOpen(*d, &err)) {
                error = err.isEmpty() ? QStringLiteral("Набор данных \"%1\" не открыт").arg(d->name()) : err;
                return false;
            }
            if (d->master()) d->master()->first();
            if (!d->open(&err)) {
                error = QStringLiteral("Набор данных \"%1\": %2").arg(d->name(), err);
                return false;
            }
        }
        return true;
    }

    // --- evaluation of one band -------------------------------------------------
    QString formatValue(const ReportValue &v, const QString &format) const
    {
        if (!format.isEmpty()) {
            if (v.type() == ReportValue::Integer) return formatNumber(format, v.toInteger());
            if (v.isNumber()) return formatNumber(format, v.toDouble());
            if (v.type() == ReportValue::DateTime) return formatDateTime(format, v.toDateTime());
        }
        return v.toString();
    }

    QString systemText(const ReportItem &it)
    {
        const QDateTime now = QDateTime::currentDateTime();
        switch (it.systemData) {
        case SystemData::Date: return formatValue(ReportValue(QDateTime(now.date(), QTime(0, 0))), it.displayFormat);
        case SystemData::Time: return now.time().toString(QStringLiteral("hh:mm:ss"));
        case SystemData::DateTime: return formatValue(ReportValue(QDateTime(now.date(), QTime(now.time().hour(), now.time().minute(), now.time().second()))), it.displayFormat);
        case SystemData::PageNumber: return QString::number(pageNo);
        case SystemData::PageCount: return QString::number(pageCount().toInteger());
        case SystemData::PageNofM: return QStringLiteral("Страница %1 из %2").arg(pageNo).arg(pageCount().toInteger());
        case SystemData::ReportTitle: return layout.title();
        case SystemData::DetailNumber: return QString::number(currentDetail >= 0 ? bands[currentDetail].detailNumber : 0);
        case SystemData::DetailCount: {
            ReportDataSet *d = mainDetail >= 0 ? bands[mainDetail].dataSet : nullptr;
            return QString::number(d ? d->recordCount() : 0);
        }
        }
        return QString();
    }

    ReportValue evalChecked(const Expression &e)
    {
        ReportValue v = e.evaluate(*this);
        if (v.isError())
            warn(v.errorMessage());
        return v;
    }

    void addFrame(QVector<PageItem> &out, const ReportItem &it, const QRectF &r, int band, int source)
    {
        if (!it.frame) return;
        PageItem li;
        li.kind = PageItem::Line;
        li.color = it.frameColor.rgba();
        li.penWidth = it.frameWidth;
        li.band = band;
        li.source = source;
        if (it.frame == FrameAll) {
            li.kind = PageItem::Rect;
            li.rect = r;
            out.append(li);
            return;
        }
        auto line = [&](QPointF a, QPointF b) { li.rect = QRectF(a, b); out.append(li); };
        if (it.frame & FrameTop) line(r.topLeft(), r.topRight());
        if (it.frame & FrameBottom) line(r.bottomLeft(), r.bottomRight());
        if (it.frame & FrameLeft) line(r.topLeft(), r.bottomLeft());
        if (it.frame & FrameRight) line(r.topRight(), r.bottomRight());
    }

    void addBarcode(QVector<PageItem> &out, const ReportItem &it, const QString &data, const QRectF &r, int band, int source)
    {
        zint_symbol *sym = ZBarcode_Create();
        const QString t = it.barcodeType.toUpper();
        sym->symbology = t == u"QR" || t == u"QRCODE" ? BARCODE_QRCODE
                       : t == u"EAN13" || t == u"EAN" ? BARCODE_EANX
                       : t == u"CODE39" ? BARCODE_CODE39 : BARCODE_CODE128;
        sym->input_mode = UNICODE_MODE;
        if (!it.barcodeShowText) sym->show_hrt = 0;
        const QByteArray utf8 = data.toUtf8();
        const int rc = ZBarcode_Encode(sym, reinterpret_cast<const unsigned char *>(utf8.constData()), int(utf8.size()));
        if (rc >= ZINT_ERROR || ZBarcode_Buffer_Vector(sym, 0) >= ZINT_ERROR || !sym->vector) {
            warn(QStringLiteral("Штрихкод \"%1\": %2").arg(data, QString::fromLatin1(sym->errtxt)));
            ZBarcode_Delete(sym);
            return;
        }
        const zint_vector *v = sym->vector;
        double sx = r.width() / v->width, sy = r.height() / v->height;
        if (sym->symbology == BARCODE_QRCODE) sx = sy = qMin(sx, sy);
        for (const zint_vector_rect *vr = v->rectangles; vr; vr = vr->next) {
            PageItem p;
            p.kind = PageItem::Rect;
            p.rect = QRectF(r.left() + vr->x * sx, r.top() + vr->y * sy, vr->width * sx, vr->height * sy);
            p.fill = vr->colour == 8 ? 0xffffffff : 0xff000000;
            p.band = band;
            p.source = source;
            out.append(p);
        }
        for (const zint_vector_string *vs = v->strings; vs; vs = vs->next) {
            PageItem p;
            p.kind = PageItem::Text;
            p.text = QString::fromUtf8(reinterpret_cast<const char *>(vs->text), vs->length);
            const double h = vs->fsize * sy * 1.2;
            const double w = qMax(double(vs->width) * sx, r.width());
            p.rect = QRectF(r.left() + vs->x * sx - w / 2, r.top() + vs->y * sy - vs->fsize * sy, w, h);
            p.alignment = Qt::AlignHCenter | Qt::AlignTop;
            p.font = pages->fontIndex(PageFont{QStringLiteral("Arial"), qMax(4.0, vs->fsize * sy / 25.4 * 72 * 0.9)});
            p.band = band;
            p.source = source;
            out.append(p);
        }
        ZBarcode_Delete(sym);
    }

    int imageFor(const QByteArray &bytes)
    {
        QImage img;
        if (!img.loadFromData(bytes)) return -1;
        return pages->addImage(img);
    }

    BandContent render(BandRt &b, double width)
    {
        BandContent c;
        const ReportBand &rb = *b.band;
        double height = rb.height;
        double maxBottom = 0;
        bool anyShrinkable = false;
        if (rb.background.isValid()) {
            PageItem bg;
            bg.kind = PageItem::Rect;
            bg.fill = rb.background.rgba();
            bg.rect = QRectF(0, 0, width, rb.height);
            bg.band = b.nameIndex;
            c.items.append(bg);
        }
        // a before-print hook may add or remove items of the band
        if (b.items.size() != size_t(rb.items.size())) {
            const size_t old = b.items.size();
            b.items.resize(rb.items.size());
            for (size_t i = old; i < b.items.size(); ++i)
                compileItem(b, int(i));
        }
        for (int i = 0; i < rb.items.size(); ++i) {
            const ReportItem &it = rb.items[i];
            ItemRt &rt = b.items[i];
            if ((rt.expr.text() != it.expression && it.type != ItemType::Label) || rt.condition.text() != it.printCondition)
                compileItem(b, i);
            if (!it.printCondition.isEmpty() && !evalChecked(rt.condition).toBool())
                continue;
            QRectF r = it.geometry;
            // the counting pass needs heights only: items that cannot grow are not built
            if (countOnly && !(it.autoHeight && (isTextItem(it.type)))) {
                maxBottom = qMax(maxBottom, r.bottom());
                continue;
            }
            if (it.type == ItemType::RichText) {
                const QString html = it.expression.isEmpty() ? it.text : evalChecked(rt.expr).toString();
                double h = 0;
                QString refusal;
                const QList<TextRun> runs = layoutRichText(html, pageFont(it), it.color.rgba(), r.width(), &h, &refusal);
                if (!refusal.isEmpty())
                    warn(QStringLiteral("Форматированный текст \"%1\" показан как простой: %2").arg(it.name, refusal));
                if (it.autoHeight && (h > r.height() || rb.canShrink)) r.setHeight(h);
                if (it.background.isValid()) {
                    PageItem bg;
                    bg.kind = PageItem::Rect;
                    bg.rect = r;
                    bg.fill = it.background.rgba();
                    bg.band = b.nameIndex;
                    bg.source = rt.source;
                    c.items.append(bg);
                }
                for (const TextRun &run : runs) {
                    if (!it.autoHeight && run.rect.bottom() > r.height() + 0.01) break;
                    PageItem p;
                    p.kind = PageItem::Text;
                    p.alignment = quint16(Qt::AlignLeft | Qt::AlignTop);
                    p.font = pages->fontIndex(run.font);
                    p.color = run.color;
                    p.text = run.text;
                    p.rect = run.rect.translated(r.topLeft());
                    p.band = b.nameIndex;
                    p.source = rt.source;
                    c.items.append(p);
                }
                addFrame(c.items, it, r, b.nameIndex, rt.source);
                maxBottom = qMax(maxBottom, r.bottom());
                continue;
            }
            if (isTextItem(it.type)) {
                QString text;
                switch (it.type) {
                case ItemType::Label: text = it.text; break;
                case ItemType::SystemData: text = systemText(it); break;
                case ItemType::Memo:
                    text = it.expression.isEmpty() ? it.text : formatValue(evalChecked(rt.expr), it.displayFormat);
                    break;
                default: text = formatValue(evalChecked(rt.expr), it.displayFormat); break;
                }
                PageItem p;
                p.kind = PageItem::Text;
                p.alignment = quint16(it.alignment);
                p.font = rt.font;
                p.color = it.color.rgba();
                p.band = b.nameIndex;
                p.source = rt.source;
                const bool wrap = it.wordWrap || it.type == ItemType::Memo || it.type == ItemType::RichText;
                const double pad = it.frame ? 0.5 : 0;
                if (wrap || text.contains(u'\n')) {
                    p.lines = wrap ? rt.measure->wrap(text, r.width() - 2 * pad) : text.split(u'\n');
                    p.lineHeight = rt.measure->lineHeight();
                    const double need = p.lines.size() * p.lineHeight + 2 * pad;
                    if (it.autoHeight && (need > r.height() || rb.canShrink)) {
                        r.setHeight(need);
                        anyShrinkable = true;
                    }
                    if (p.lines.size() == 1)
                        p.lines.clear();
                }
                p.text = text;
                p.rect = r.adjusted(pad, pad, -pad, -pad);
                if (it.background.isValid()) {
                    PageItem bg;
                    bg.kind = PageItem::Rect;
                    bg.rect = r;
                    bg.fill = it.background.rgba();
                    bg.band = b.nameIndex;
                    bg.source = rt.source;
                    c.items.append(bg);
                }
                c.items.append(p);
                addFrame(c.items, it, r, b.nameIndex, rt.source);
            } else {
                PageItem p;
                p.band = b.nameIndex;
                p.source = rt.source;
                p.color = it.color.rgba();
                p.penWidth = it.penWidth;
                p.fill = it.background.isValid() ? it.background.rgba() : 0;
                switch (it.type) {
                case ItemType::Line:
                    p.kind = PageItem::Line;
                    p.rect = r.width() >= r.height()
                        ? QRectF(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()))
                        : QRectF(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.bottom()));
                    c.items.append(p);
                    break;
                case ItemType::Rectangle: case ItemType::RoundRect:
                    p.kind = PageItem::Rect;
                    p.rect = r;
                    p.radius = it.type == ItemType::RoundRect ? it.radius : 0;
                    c.items.append(p);
                    break;
                case ItemType::Ellipse:
                    p.kind = PageItem::Ellipse;
                    p.rect = r;
                    c.items.append(p);
                    break;
                case ItemType::Image: case ItemType::DBImage: {
                    int idx = -1;
                    if (it.type == ItemType::Image) {
                        if (rt.imageIndex < 0) rt.imageIndex = imageFor(it.imageData);
                        idx = rt.imageIndex;
                    } else {
                        const ReportValue v = evalChecked(rt.expr);
                        const QVariant var = v.toVariant();
                        if (!v.isNull()) idx = imageFor(var.toByteArray());
                    }
                    if (idx >= 0 && !countOnly) {
                        const QImage &img = pages->images()[idx];
                        QRectF ir = r;
                        if (it.keepAspect && img.width() > 0 && img.height() > 0) {
                            const double s = qMin(r.width() / img.width(), r.height() / img.height());
                            const QSizeF sz(img.width() * s, img.height() * s);
                            ir = QRectF(QPointF(r.center().x() - sz.width() / 2, r.center().y() - sz.height() / 2), sz);
                        }
                        p.kind = PageItem::Image;
                        p.image = idx;
                        p.rect = ir;
                        c.items.append(p);
                    }
                    addFrame(c.items, it, r, b.nameIndex, rt.source);
                    break;
                }
                case ItemType::CheckBox: {
                    const bool on = evalChecked(rt.expr).toBool();
                    const double s = qMin(r.width(), r.height());
                    const QRectF box(r.left(), r.top() + (r.height() - s) / 2, s, s);
                    p.kind = PageItem::Rect;
                    p.rect = box;
                    p.fill = 0;
                    c.items.append(p);
                    if (on) {
                        PageItem l = p;
                        l.kind = PageItem::Line;
                        l.penWidth = qMax(0.3, it.penWidth * 1.5);
                        const QRectF in = box.adjusted(s * 0.2, s * 0.2, -s * 0.2, -s * 0.2);
                        l.rect = QRectF(QPointF(in.left(), in.center().y()), QPointF(in.left() + in.width() * 0.4, in.bottom()));
                        c.items.append(l);
                        l.rect = QRectF(QPointF(in.left() + in.width() * 0.4, in.bottom()), in.topRight());
                        c.items.append(l);
                    }
                    break;
                }
                case ItemType::Barcode: {
                    const QString data = it.expression.isEmpty() ? it.text : evalChecked(rt.expr).toString();
                    if (!data.isEmpty()) addBarcode(c.items, it, data, r, b.nameIndex, rt.source);
                    break;
                }
                default: break;
                }
            }
            maxBottom = qMax(maxBottom, r.bottom());
        }
        if (rb.canGrow)
            height = qMax(height, maxBottom);
        if (rb.canShrink && anyShrinkable)
            height = maxBottom;
        c.height = height;
        return c;
    }

    // --- pages ---------------------------------------------------------------------
    double bodyBottom() const { return body.bottom() - footerHeight; }
    double columnX() const { return body.left() + column * (columnWidth + layout.page().columnSpacing); }

    void placeContent(const BandContent &c, double x, double y)
    {
        if (countOnly) return;
        for (PageItem it : c.items) {
            it.rect.translate(x, y);
            page.items.append(std::move(it));
        }
    }

    void printFixed(int bandIdx, double x, double y, double width)
    {
        BandRt &b = bands[bandIdx];
        if (!passesCondition(b)) return;
        BandContent c = render(b, width);
        placeContent(c, x, y);
    }

    bool passesCondition(BandRt &b)
    {
        if (b.band->printCondition.isEmpty()) return true;
        return evalChecked(b.condition).toBool();
    }

    void startPage()
    {
        ++pageNo;
        page = ReportPage();
        page.size = layout.page().pageSize();
        if (!countOnly) page.items.reserve(lastPageItems + 16);
        pageOpen = true;
        pageHasBody = false;
        column = 0;
        for (Accumulator &a : accs)
            if (a.scope == AggregateScope::Page) a.reset();
        for (int i : std::as_const(backgroundBands))
            printFixed(i, body.left(), body.top(), body.width());
        cursorY = body.top();
        if (pageHeaderBand >= 0 && (pageNo > 1 || bands[pageHeaderBand].band->printOnFirstPage)) {
            BandRt &h = bands[pageHeaderBand];
            if (passesCondition(h)) {
                BandContent c = render(h, body.width());
                placeContent(c, body.left(), cursorY);
                cursorY += c.height;
            }
        }
        if (pageNo == 1 && titleBand >= 0) {
            BandRt &t = bands[titleBand];
            if (passesCondition(t)) {
                BandContent c = render(t, body.width());
                placeContent(c, body.left(), cursorY);
                cursorY += c.height;
            }
        }
        columnTop = cursorY;
        printColumnHeader();
        // repeated group headers of groups still open
        for (int g : std::as_const(openGroups))
            if (bands[g].band->repeatOnEachPage) {
                BandContent c = render(bands[g], columnWidth);
                placeContent(c, columnX(), cursorY);
                cursorY += c.height;
            }
    }

    void printColumnHeader()
    {
        if (columnHeaderBand < 0) return;
        BandRt &h = bands[columnHeaderBand];
        if (!passesCondition(h)) return;
        BandContent c = render(h, columnWidth);
        placeContent(c, columnX(), cursorY);
        cursorY += c.height;
    }

    void finishPage()
    {
        if (!pageOpen) return;
        if (pageFooterBand >= 0 && (!lastPage || bands[pageFooterBand].band->printOnLastPage)) {
            if (feedInFlight) std::swap(accs, beforeFeed);
            printFixed(pageFooterBand, body.left(), body.bottom() - footerHeight, body.width());
            if (feedInFlight) std::swap(accs, beforeFeed);
        }
        for (int i : std::as_const(overlayBands))
            printFixed(i, body.left(), body.top(), body.width());
        pageOpen = false;
        lastPageItems = int(page.items.size());
        if (!countOnly) {
            pages->appendPage(std::move(page));
            Q_EMIT q->pageReady(pages->pageCount());
        }
        page = ReportPage();
        tick(true);
    }

    void newPage()
    {
        finishPage();
        startPage();
    }

    // Next column when there is one, else the next page.
    void nextColumnOrPage()
    {
        if (column + 1 < layout.page().columns) {
            ++column;
            cursorY = columnTop;
            printColumnHeader();
            return;
        }
        newPage();
    }

    static bool splittable(const BandContent &c)
    {
        for (const PageItem &it : c.items)
            if (it.kind == PageItem::Text && it.lines.size() > 1)
                return true;
        return false;
    }

    // Cut a band at height h: what lies above stays, the rest moves up by h.
    static void split(const BandContent &c, double h, BandContent *first, BandContent *rest)
    {
        first->items.clear();
        rest->items.clear();
        double restBottom = 0;
        for (const PageItem &it : c.items) {
            const QRectF r = it.rect.normalized();
            if (r.bottom() <= h + 1e-6) {
                first->items.append(it);
                continue;
            }
            if (r.top() >= h - 1e-6) {
                PageItem m = it;
                m.rect.translate(0, -h);
                rest->items.append(m);
                restBottom = qMax(restBottom, m.rect.normalized().bottom());
                continue;
            }
            if (it.kind == PageItem::Text && it.lines.size() > 1 && it.lineHeight > 0) {
                const int fit = int(std::floor((h - it.rect.top()) / it.lineHeight + 1e-6));
                if (fit >= 1 && fit < it.lines.size()) {
                    PageItem a = it, b = it;
                    a.lines = it.lines.mid(0, fit);
                    a.text = a.lines.join(u'\n');
                    a.rect.setHeight(fit * it.lineHeight);
                    b.lines = it.lines.mid(fit);
                    b.text = b.lines.join(u'\n');
                    b.rect = QRectF(it.rect.left(), 0, it.rect.width(), b.lines.size() * it.lineHeight);
                    if (a.lines.size() == 1) a.lines.clear();
                    if (b.lines.size() == 1) b.lines.clear();
                    first->items.append(a);
                    rest->items.append(b);
                    restBottom = qMax(restBottom, b.rect.bottom());
                    continue;
                }
                PageItem m = it;
                m.rect.moveTop(qMax(0.0, it.rect.top() - h));
                rest->items.append(m);
                restBottom = qMax(restBottom, m.rect.bottom());
                continue;
            }
            if (it.kind == PageItem::Line || it.kind == PageItem::Rect) {
                // frames and boxes continue on the next page
                PageItem a = it, b = it;
                if (it.kind == PageItem::Line) {
                    a.rect.setBottom(qMin(it.rect.bottom(), h));
                    a.rect.setTop(qMin(it.rect.top(), h));
                    b.rect.setTop(qMax(0.0, it.rect.top() - h));
                    b.rect.setBottom(qMax(0.0, it.rect.bottom() - h));
                } else {
                    a.rect.setBottom(h);
                    b.rect = QRectF(it.rect.left(), 0, it.rect.width(), it.rect.bottom() - h);
                }
                first->items.append(a);
                rest->items.append(b);
                restBottom = qMax(restBottom, b.rect.normalized().bottom());
                continue;
            }
            PageItem m = it;
            m.rect.moveTop(qMax(0.0, it.rect.top() - h));
            rest->items.append(m);
            restBottom = qMax(restBottom, m.rect.bottom());
        }
        first->height = h;
        rest->height = qMax(restBottom, c.height - h);
    }

    // Print a band and then its child bands, each followed by its own children.
    // extraNeeded: space that must be left under the band (a group header keeps its first row).
    bool printBand(int bandIdx, double extraNeeded = 0)
    {
        if (!printOneBand(bandIdx, extraNeeded))
            return false;
        // a stack, not recursion: a long chain of child bands stays off the call stack
        QList<int> pending(bands[bandIdx].children.crbegin(), bands[bandIdx].children.crend());
        while (!pending.isEmpty()) {
            const int ch = pending.takeLast();
            if (printOneBand(ch, 0))
                for (auto it = bands[ch].children.crbegin(); it != bands[ch].children.crend(); ++it)
                    pending.append(*it);
        }
        return true;
    }

    // Print one band in the body of the page, moving on or splitting as needed.
    bool printOneBand(int bandIdx, double extraNeeded)
    {
        BandRt &b = bands[bandIdx];
        ReportBand &rb = *b.band;
        if (beforePrint) {
            BandPrintEvent ev{rb, currentDetail >= 0 ? bands[currentDetail].detailNumber : 0};
            beforePrint(ev);
            if (!ev.print) return false;
        }
        if (!passesCondition(b)) return false;
        if (rb.startNewPage && pageHasBody)
            newPage();
        BandContent c = render(b, columnWidth);
        const double freshSpace = bodyBottom() - columnTop;
        // moving on helps only when the next page offers more room than this one
        double nextStart = body.top();
        if (pageHeaderBand >= 0) nextStart += bands[pageHeaderBand].band->height;
        if (columnHeaderBand >= 0) nextStart += bands[columnHeaderBand].band->height;
        const bool roomElsewhere = pageHasBody || cursorY > nextStart + 1e-6 || column + 1 < layout.page().columns;
        if (cursorY + c.height + extraNeeded > bodyBottom() + 1e-6 && roomElsewhere) {
            const bool canSplit = splittable(c) && !rb.keepTogether && c.height > freshSpace * 0.1;
            if (!canSplit || bodyBottom() - cursorY < 5) {
                nextColumnOrPage();
                c = render(b, columnWidth);
            }
        }
        if (rb.printOnBottom && cursorY + c.height <= bodyBottom())
            cursorY = bodyBottom() - c.height;
        // a band taller than the space left flows on across pages
        int guard = 0;
        while (cursorY + c.height > bodyBottom() + 1e-6 && splittable(c) && guard++ < 10000) {
            BandContent first, rest;
            split(c, bodyBottom() - cursorY, &first, &rest);
            if (first.items.isEmpty() && !pageHasBody) break;
            placeContent(first, columnX(), cursorY);
            pageHasBody = true;
            nextColumnOrPage();
            c = std::move(rest);
        }
        placeContent(c, columnX(), cursorY);
        cursorY += c.height;
        pageHasBody = true;
        for (int slot : std::as_const(b.bandAggregates))
            accs[slot].reset();
        return true;
    }

    // --- walking ------------------------------------------------------------------------
    void feed(int detailBand, bool pageScope)
    {
        for (int slot : std::as_const(bands[detailBand].feedAggregates)) {
            Accumulator &a = accs[slot];
            if ((a.scope == AggregateScope::Page) != pageScope) continue;
            if (!a.argument) {
                ++a.count;
                continue;
            }
            const ReportValue v = Expression::evaluateNode(a.argument, *this);
            if (v.isNull() || v.isError()) {
                if (v.isError()) warn(v.errorMessage());
                continue;
            }
            ++a.count;
            if (a.kind == AggregateKind::Sum || a.kind == AggregateKind::Average) {
                if (v.type() != ReportValue::Integer && v.type() != ReportValue::Boolean)
                    a.allInt = false;
                else
                    a.isum += v.toInteger();
                a.sum += v.toDouble();
            } else if (a.kind == AggregateKind::Min || a.kind == AggregateKind::Max) {
                const ReportValue &cur = a.kind == AggregateKind::Min ? a.min : a.max;
                bool take = cur.isNull();
                if (!take) {
                    const bool numbers = v.isNumber() && cur.isNumber();
                    const int cmp = numbers ? (v.toDouble() < cur.toDouble() ? -1 : v.toDouble() > cur.toDouble())
                        : v.type() == ReportValue::DateTime ? (v.toDateTime() < cur.toDateTime() ? -1 : v.toDateTime() > cur.toDateTime())
                        : QString::compare(v.toString(), cur.toString());
                    take = a.kind == AggregateKind::Min ? cmp < 0 : cmp > 0;
                }
                if (take) (a.kind == AggregateKind::Min ? a.min : a.max) = v;
            }
        }
    }

    void tick(bool force = false)
    {
        if (cancelled) throw Cancelled{};
        if (!force && (recordsDone & 63) != 0) return;
        if (recordsTotal > 0) {
            const int base = passes == 2 && pass == 1 ? 50 : 0;
            const int span = passes == 2 ? 50 : 100;
            const int p = base + int(qMin<qint64>(recordsDone, recordsTotal) * span / recordsTotal);
            if (p != lastProgress) {
                lastProgress = p;
                Q_EMIT q->progress(qMin(p, 99));
            }
        }
        if (progressive && QCoreApplication::instance() && sinceEvents.elapsed() > 40) {
            QCoreApplication::processEvents();
            sinceEvents.restart();
            if (cancelled) throw Cancelled{};
        }
    }

    ReportValue groupValue(int g)
    {
        const ReportBand &rb = *bands[g].band;
        if (rb.groupExpression.isEmpty()) return ReportValue(QString());
        if (bands[g].groupExpr.text() != rb.groupExpression)
            bands[g].groupExpr = Expression::compile(rb.groupExpression, functions);
        return evalChecked(bands[g].groupExpr);
    }

    void openGroup(int g, bool keepWithFirst, double firstHeight)
    {
        BandRt &gb = bands[g];
        for (int slot : std::as_const(gb.groupAggregates))
            accs[slot].reset();
        if (gb.band->groupNewPage && pageHasBody)
            newPage();
        printBand(g, gb.band->keepTogether || keepWithFirst ? firstHeight : 0);
        openGroups.append(g);
    }

    void closeGroup(BandRt &d, int level)
    {
        const int g = d.groups[level];
        openGroups.removeAll(g);
        if (d.footers[level] >= 0)
            printBand(d.footers[level]);
    }

    // One detail band over its dataset (or a loop count), with its groups and sub-details.
    void walk(int detailIdx)
    {
        BandRt &d = bands[detailIdx];
        ReportDataSet *ds = d.dataSet;
        const int levels = int(d.groups.size());
        const int prevDetail = currentDetail;
        ReportDataSet *prevDs = currentDataSet;
        currentDetail = detailIdx;
        currentDataSet = ds;
        d.detailNumber = 0;
        bool has = false;
        int loops = d.band->printCount;
        if (ds) {
            if (d.band->type == BandType::SubDetail && ds->master()) {
                QString err;
                if (!ds->masterChanged(&err)) {
                    error = QStringLiteral("Набор данных \"%1\": %2").arg(ds->name(), err);
                    throw Cancelled{};
                }
            }
            has = ds->first();
        } else {
            if (loops < 0) loops = 1;
            has = loops > 0;
        }
        const bool isMain = detailIdx == mainDetail;
        if (!has) {
            if (d.band->printIfEmpty && d.band->type == BandType::SubDetail) {
                for (int l = 0; l < levels; ++l) openGroup(d.groups[l], false, 0);
                for (int l = levels - 1; l >= 0; --l) closeGroup(d, l);
            }
            currentDetail = prevDetail;
            currentDataSet = prevDs;
            return;
        }
        const double rowHeight = d.band->height;
        int loopPass = 0;
        for (;;) {
            ++d.detailNumber;
            // groups: find the outermost level whose value changed
            int changed = -1;
            QVector<ReportValue> values(levels);
            for (int l = 0; l < levels; ++l) {
                values[l] = groupValue(d.groups[l]);
                if (changed < 0 && (d.detailNumber == 1 || values[l].toString() != bands[d.groups[l]].groupValue.toString()
                                    || values[l].type() != bands[d.groups[l]].groupValue.type()))
                    changed = l;
            }
            if (changed >= 0) {
                if (d.detailNumber > 1) {
                    // footers show the group's last row
                    if (ds) snapshots.insert(ds, lastRows.value(ds));
                    --d.detailNumber;
                    for (int l = levels - 1; l >= changed; --l) closeGroup(d, l);
                    ++d.detailNumber;
                    if (ds) snapshots.remove(ds);
                }
                for (int l = changed; l < levels; ++l) {
                    bands[d.groups[l]].groupValue = values[l];
                    openGroup(d.groups[l], true, rowHeight);
                }
            }
            const bool guard = pageFooterBand >= 0 && !d.feedAggregates.isEmpty();
            if (guard) {
                beforeFeed = accs;
                feedInFlight = true;
            }
            feed(detailIdx, false);
            const bool printed = printBand(detailIdx);
            feedInFlight = false;
            if (printed)
                feed(detailIdx, true);
            for (int s : std::as_const(d.subDetails))
                walk(s);
            currentDetail = detailIdx;
            currentDataSet = ds;
            if (isMain) {
                ++recordsDone;
                tick();
            }
            if (ds) {
                QVector<QVariant> row;
                const int n = int(ds->fieldNames().size());
                row.reserve(n);
                for (int f = 0; f < n; ++f) row.append(ds->value(f));
                lastRows.insert(ds, std::move(row));
                if (!ds->next()) break;
            } else if (++loopPass >= loops) {
                break;
            }
        }
        if (ds) snapshots.insert(ds, lastRows.value(ds));
        for (int l = levels - 1; l >= 0; --l) closeGroup(d, l);
        if (ds) snapshots.remove(ds);
        currentDetail = prevDetail;
        currentDataSet = prevDs;
    }

    void generate()
    {
        pageNo = 0;
        openGroups.clear();
        lastPage = false;
        recordsDone = 0;
        for (Accumulator &a : accs) a.reset();
        for (BandRt &b : bands) b.groupValue = ReportValue();
        const PageSettings &ps = layout.page();
        body = ps.printableRect();
        footerHeight = pageFooterBand >= 0 ? bands[pageFooterBand].band->height : 0;
        const int cols = qMax(1, ps.columns);
        columnWidth = (body.width() - (cols - 1) * ps.columnSpacing) / cols;
        ReportDataSet *mainDs = mainDetail >= 0 ? bands[mainDetail].dataSet : nullptr;
        const bool empty = mainDetail < 0 ? false : mainDs ? !mainDs->first() : bands[mainDetail].band->printCount == 0;
        if (empty && !layout.printIfEmpty()) return;
        startPage();
        if (mainDetail >= 0)
            walk(mainDetail);
        if (summaryBand >= 0) {
            currentDataSet = mainDs;
            printBand(summaryBand);
        }
        lastPage = true;
        finishPage();
    }
};

ReportEngine::ReportEngine(QObject *parent) : QObject(parent), d(std::make_unique<Private>())
{
    d->q = this;
}

ReportEngine::~ReportEngine() = default;

void ReportEngine::setLayout(const ReportLayout &layout) { d->layout = layout; }
const ReportLayout &ReportEngine::layout() const { return d->layout; }
ReportLayout &ReportEngine::layout() { return d->layout; }
void ReportEngine::setFunctions(const FunctionRegistry &functions) { d->functions = functions; }
const FunctionRegistry &ReportEngine::functions() const { return d->functions; }

void ReportEngine::addDataSet(ReportDataSet *dataSet)
{
    removeDataSet(dataSet->name());
    d->dataSets.append(dataSet);
}

void ReportEngine::addDataSet(std::unique_ptr<ReportDataSet> dataSet)
{
    ReportDataSet *raw = dataSet.get();
    addDataSet(raw);
    d->owned.push_back(std::move(dataSet));
}

ReportDataSet *ReportEngine::dataSet(const QString &name) const { return d->findDataSet(name); }
QList<ReportDataSet *> ReportEngine::dataSets() const { return d->dataSets; }

void ReportEngine::removeDataSet(const QString &name)
{
    ReportDataSet *old = d->findDataSet(name);
    if (!old) return;
    d->dataSets.removeAll(old);
    for (auto it = d->owned.begin(); it != d->owned.end(); ++it)
        if (it->get() == old) {
            d->owned.erase(it);
            break;
        }
}

void ReportEngine::setBeforeOpenDataSet(BeforeOpenHook hook) { d->beforeOpen = std::move(hook); }
void ReportEngine::setBeforeBandPrint(BeforePrintHook hook) { d->beforePrint = std::move(hook); }
void ReportEngine::setProgressive(bool on) { d->progressive = on; }
void ReportEngine::setStrictNames(bool on) { d->strictNames = on; }
QStringList ReportEngine::unknownNames() const { return d->unknownNames; }
void ReportEngine::cancel() { d->cancelled = true; }
bool ReportEngine::isCancelled() const { return d->cancelled; }
bool ReportEngine::isRunning() const { return d->running; }
QString ReportEngine::errorString() const { return d->error; }
QStringList ReportEngine::warnings() const { return d->warnings; }

bool ReportEngine::run(ReportPages *pages)
{
    if (d->running) {
        d->error = QStringLiteral("Отчёт уже формируется");
        return false;
    }
    d->running = true;
    d->cancelled = false;
    d->error.clear();
    d->warnings.clear();
    d->warned.clear();
    d->unknownNames.clear();
    d->lastProgress = -1;
    d->sinceEvents.start();
    pages->clear();
    pages->setTitle(d->layout.title());
    d->pages = pages;
    bool ok = d->prepare() && d->openDataSets();
    if (ok) {
        ReportDataSet *mainDs = d->mainDetail >= 0 ? d->bands[d->mainDetail].dataSet : nullptr;
        d->recordsTotal = mainDs ? mainDs->recordCount() : -1;
        Q_EMIT dataSetsOpened();
        try {
            d->passes = d->usesPageCount() ? 2 : 1;
            d->knownPageCount = 0;
            if (d->passes == 2) {
                d->pass = 0;
                d->countOnly = true;
                d->generate();
                d->knownPageCount = d->pageNo;
                d->countOnly = false;
                d->pass = 1;
            }
            d->generate();
            if (d->strictNames && !d->unknownNames.isEmpty()) {
                d->error = d->unknownNames.size() == 1
                    ? QStringLiteral("Неизвестное имя %1: в наборах данных отчёта нет такого поля").arg(d->unknownNames.first())
                    : QStringLiteral("Неизвестные имена: %1: в наборах данных отчёта нет таких полей").arg(d->unknownNames.join(QStringLiteral(", ")));
                ok = false;
            }
        } catch (const Cancelled &) {
            if (d->error.isEmpty())
                d->error = QStringLiteral("Формирование отчёта прервано");
            d->countOnly = false;
            ok = false;
        }
    }
    d->pages = nullptr;
    d->running = false;
    if (ok) {
        Q_EMIT progress(100);
        pages->finish();
    }
    Q_EMIT finished(ok);
    return ok;
}

// --- loader ------------------------------------------------------------------------------

ReportLoader::ReportLoader() = default;
ReportLoader::~ReportLoader() = default;

namespace {

QMetaType typeFromName(const QString &n)
{
    const QString t = n.toLower();
    if (t == u"integer" || t == u"smallint" || t == u"word" || t == u"autoinc" || t == u"largeint") return QMetaType(QMetaType::LongLong);
    if (t == u"float" || t == u"currency" || t == u"bcd") return QMetaType(QMetaType::Double);
    if (t == u"boolean") return QMetaType(QMetaType::Bool);
    if (t == u"date") return QMetaType(QMetaType::QDate);
    if (t == u"datetime") return QMetaType(QMetaType::QDateTime);
    return QMetaType(QMetaType::QString);
}

QVariant valueFromText(const QString &s, QMetaType t)
{
    QVariant v(s);
    if (t.id() == QMetaType::QDate) return QDate::fromString(s, Qt::ISODate);
    if (t.id() == QMetaType::QDateTime) return QDateTime::fromString(s, Qt::ISODate);
    if (v.convert(t)) return v;
    return s;
}

} // namespace

bool ReportLoader::setLayout(const ReportLayout &layout, QString *error)
{
    m_layout = layout;
    m_dataSets.clear();
    for (const LayoutDataSet &l : m_layout.dataSets()) {
        if (l.className.compare(u"TVornQuery", Qt::CaseInsensitive) == 0 || l.className.compare(u"TQuery", Qt::CaseInsensitive) == 0) {
            const QSqlDatabase db = m_connections ? m_connections(l.databaseConnName)
                : QSqlDatabase::database(l.databaseConnName.isEmpty() ? QLatin1String(QSqlDatabase::defaultConnection) : l.databaseConnName, false);
            m_dataSets.push_back(std::make_unique<SqlReportDataSet>(l.name, db, l.sql));
        } else if (l.className.compare(u"TDataSource", Qt::CaseInsensitive) != 0) {
            auto mem = std::make_unique<MemoryReportDataSet>(l.name);
            QList<QMetaType> types;
            for (const auto &f : l.fields) {
                types.append(typeFromName(f.second));
                mem->addField(f.first, types.last());
            }
            for (const QStringList &row : l.rows) {
                QVariantList vals;
                for (int i = 0; i < row.size() && i < types.size(); ++i)
                    vals.append(valueFromText(row.at(i), types.at(i)));
                mem->appendRow(vals);
            }
            m_dataSets.push_back(std::move(mem));
        }
    }
    if (m_afterLoad && !m_afterLoad(*this, error))
        return false;
    return true;
}

bool ReportLoader::load(const QByteArray &xml, QString *error)
{
    ReportLayout l;
    if (!l.load(xml, error)) return false;
    return setLayout(l, error);
}

bool ReportLoader::loadFile(const QString &fileName, QString *error)
{
    ReportLayout l;
    if (!l.loadFile(fileName, error)) return false;
    return setLayout(l, error);
}

ReportDataSet *ReportLoader::dataSet(const QString &name) const
{
    for (const auto &d : m_dataSets)
        if (d->name().compare(name, Qt::CaseInsensitive) == 0) return d.get();
    return nullptr;
}

QList<ReportDataSet *> ReportLoader::dataSets() const
{
    QList<ReportDataSet *> out;
    for (const auto &d : m_dataSets) out.append(d.get());
    return out;
}

void ReportLoader::setDataSet(std::unique_ptr<ReportDataSet> dataSet)
{
    for (auto &d : m_dataSets)
        if (d->name().compare(dataSet->name(), Qt::CaseInsensitive) == 0) {
            d = std::move(dataSet);
            return;
        }
    m_dataSets.push_back(std::move(dataSet));
}

void ReportLoader::setParameters(const QList<QPair<QString, QVariant>> &values)
{
    auto mem = std::make_unique<MemoryReportDataSet>(QStringLiteral("usrPARAM"));
    QVariantList row;
    for (const auto &v : values) {
        mem->addField(v.first, v.second.metaType());
        row.append(v.second);
    }
    mem->appendRow(row);
    setDataSet(std::move(mem));
    // the SQL datasets take the same values for their :Name parameters
    for (const auto &d : m_dataSets)
        if (auto *sql = dynamic_cast<SqlReportDataSet *>(d.get()))
            for (const auto &v : values)
                if (sql->parameterNames().contains(v.first, Qt::CaseInsensitive))
                    sql->setParameter(v.first, v.second);
}

void ReportLoader::prepare(ReportEngine &engine)
{
    engine.setLayout(m_layout);
    for (auto &d : m_dataSets)
        engine.addDataSet(std::move(d));
    m_dataSets.clear();
    if (m_beforeOpen)
        engine.setBeforeOpenDataSet(m_beforeOpen);
}

} // namespace vorn::report
