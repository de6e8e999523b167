// Outputs of a generated report. Every exporter reads only ReportPages: PDF,
// PNG and SVG per page, a character-grid text file, CSV, HTML, XLSX, RTF, the
// printer, and the saved-report page file.
#pragma once

#include "platform/report/ReportPages.h"

#include <QString>
#include <QStringList>

class QPrinter;

namespace vorn::report {

inline const char layoutFileExtension[] = "vrl";      // layout files (in place of .QR2)
inline const char savedReportExtension[] = "vrp";     // saved reports (in place of .QRP)

bool exportPdf(const ReportPages &pages, const QString &fileName, QString *error);
// One image per page: "name.png" for a single page, else "name-1.png", "name-2.png"...
bool exportPng(const ReportPages &pages, const QString &fileName, double dpi, QString *error, QStringList *written = nullptr);
bool exportSvg(const ReportPages &pages, const QString &fileName, QString *error, QStringList *written = nullptr);
// Text laid on a grid of characters so columns stay aligned; pages end with a form feed.
bool exportText(const ReportPages &pages, const QString &fileName, QString *error);
QString pagesToText(const ReportPages &pages);
bool exportCsv(const ReportPages &pages, const QString &fileName, QString *error, QChar separator = u',');
bool exportHtml(const ReportPages &pages, const QString &fileName, QString *error);
bool exportXlsx(const ReportPages &pages, const QString &fileName, QString *error);
bool exportRtf(const ReportPages &pages, const QString &fileName, QString *error);

// Print the printer's page range (all when none is set); copies as the printer says.
bool printPages(const ReportPages &pages, QPrinter *printer, QString *error);

// By format name (pdf, png, svg, txt, csv, html, xlsx, rtf, vrp) or, when empty, by file extension.
QStringList exportFormats();
bool exportFile(const ReportPages &pages, const QString &fileName, const QString &format, QString *error);

// The rows of text items on a page: items whose tops are within half a millimetre
// belong to one row; each row is ordered left to right (CSV, XLSX).
QList<QList<const PageItem *>> textRows(const ReportPage &page);

} // namespace vorn::report
