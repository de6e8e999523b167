// Layouts are bound as BLOB parameters, so the XML reaches every dialect unchanged.
#include "tools/vorncatalogue/DemoLayouts.h"

#include "tools/vorncatalogue/CatalogueBuilder.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>

namespace vorn::catalogue {

QList<QPair<QString, QString>> demoLayouts()
{
    const QString dir = QStringLiteral(":/vorn/sql/demo/layouts/");
    return {
        {QStringLiteral("Продажи по регионам за период"), dir + QStringLiteral("sales_by_region.xml")},
        {QStringLiteral("Накладные клиента с составом"), dir + QStringLiteral("client_invoices.xml")},
        {QStringLiteral("Состав накладной"), dir + QStringLiteral("invoice_lines.xml")},
        {QStringLiteral("Крупные покупатели"), dir + QStringLiteral("big_buyers.xml")},
        {QStringLiteral("Прайс-лист"), dir + QStringLiteral("price_list.xml")},
        {QStringLiteral("Закупочные цены"), dir + QStringLiteral("purchase_prices.xml")},
        {QStringLiteral("Справочник клиентов"), dir + QStringLiteral("clients.xml")},
        {QStringLiteral("Неоплаченные накладные"), dir + QStringLiteral("unpaid_invoices.xml")},
        {QStringLiteral("Остатки на складе"), dir + QStringLiteral("stock.xml")},
    };
}

void loadDemoLayouts(QSqlDatabase &db)
{
    QSqlQuery q(db);
    for (const auto &[report, file] : demoLayouts()) {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly))
            throw BuildError(QStringLiteral("Не найден макет демонстрационного отчёта: ") + file);
        q.prepare(QStringLiteral("UPDATE VornForm SET Report = ? WHERE Name = ?"));
        q.addBindValue(f.readAll());
        q.addBindValue(report);
        if (!q.exec())
            throw BuildError(QStringLiteral("%1: %2").arg(file, q.lastError().text()));
        if (q.numRowsAffected() == 0)
            throw BuildError(QStringLiteral("Нет демонстрационного отчёта \"%1\" для макета %2").arg(report, file));
        q.finish();
    }
}

} // namespace vorn::catalogue
