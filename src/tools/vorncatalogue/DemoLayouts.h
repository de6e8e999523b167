// The layouts of the demo reports: XML files compiled in beside the demo scripts,
// stored into VornForm.Report of the report each one belongs to.
#pragma once
#include <QList>
#include <QPair>
#include <QSqlDatabase>
#include <QString>

namespace vorn::catalogue {

// Report name and layout resource, in catalogue order.
QList<QPair<QString, QString>> demoLayouts();
// Stores every demo layout; throws BuildError when a report or a file is missing.
void loadDemoLayouts(QSqlDatabase &db);

} // namespace vorn::catalogue
