// Helpers for the report tests: small layouts built in code and a memory table
// filled from rows, so each test states only what it checks.
#pragma once

#include "platform/report/ReportEngine.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace vorn::report::test {

inline ReportItem textItem(ItemType type, const QString &name, double left, double top, double width, double height,
                           const QString &textOrExpr)
{
    ReportItem it;
    it.type = type;
    it.name = name;
    it.geometry = QRectF(left, top, width, height);
    if (type == ItemType::Label || type == ItemType::Memo) it.text = textOrExpr;
    else it.expression = textOrExpr;
    return it;
}

inline ReportItem label(const QString &name, double left, double top, const QString &text, double width = 60)
{
    return textItem(ItemType::Label, name, left, top, width, 5, text);
}

inline ReportItem expr(const QString &name, double left, double top, const QString &e, double width = 60)
{
    return textItem(ItemType::Expression, name, left, top, width, 5, e);
}

inline std::unique_ptr<MemoryReportDataSet> table(const QString &name, const QStringList &fields, const QList<QVariantList> &rows)
{
    auto t = std::make_unique<MemoryReportDataSet>(name);
    for (const QString &f : fields) t->addField(f);
    for (const QVariantList &r : rows) t->appendRow(r);
    return t;
}

// A page 100 mm high with 10 mm margins: 80 mm of printable height.
inline ReportLayout smallPageLayout()
{
    ReportLayout l;
    PageSettings p;
    p.paper = QStringLiteral("Custom");
    p.width = 100;
    p.height = 100;
    p.marginLeft = p.marginRight = p.marginTop = p.marginBottom = 10;
    l.setPage(p);
    return l;
}

} // namespace vorn::report::test
