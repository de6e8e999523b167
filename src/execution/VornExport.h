// Data export: datasets shown in grids to an XLSX workbook (one sheet per dataset,
// the layout the Excel export always had), and a result browser's current grid with
// the run's parameter values to a fixed-width Windows-1251 text file.
#pragma once
#include <QList>
#include <QString>
#include <functional>
#include <memory>

class QWidget;
class TParamAskMeList;
class TfrmVornQueryBro;
namespace vorn {
class Dataset;
class Field;
}

// Column classes of the spreadsheet export.
bool HasOwnCaption(const vorn::Field *f);          // a Cyrillic display label of its own
bool IsCaptionedDataSet(const vorn::Dataset *ds);
bool IsSecondaryField(const vorn::Field *f, bool captionedDataSet);
QString ExcelHeaderText(const vorn::Field *f, bool secondary);
// Text Excel would take for a number: kept as text so that leading zeros survive.
bool LooksLikeNumberText(const QString &text);
// "a1" addresses: row and column from 1, letters in lower case.
QString ExcelColumnName(int column);
QString ExcelCellAddress(int row, int column);

// The workbook being written: a file (temporary unless named) opened with the
// desktop's application when finished.
class TExcelBook;
struct TExcelBookDeleter { void operator()(TExcelBook *b) const; };
using TExcelHandle = std::unique_ptr<TExcelBook, TExcelBookDeleter>;

// Raises the "К сожалению, с Excel'ем у Вас проблемы..." message when the file
// cannot be created.
TExcelHandle StartExcel(const QString &fileName = {});
// One worksheet named by the dataset's component name; starts the book when empty.
void ExportDataSetToExcel(vorn::Dataset *ds, TExcelHandle &book);
// Writes the book, selecting the first sheet; returns the file name. Raises on failure.
QString FinishExcel(TExcelHandle &book);

// The datasets of a window the export takes (focused grid's, else every open
// non-empty one in component order).
QList<vorn::Dataset *> ExportedDataSets(QWidget *window);
// Writes the sheets of these datasets; errors carry "Ошибка экспорта "<name>"...".
// After an error the sheets written before it are kept in partialFile's book.
QString ExportDataSetsToExcel(const QList<vorn::Dataset *> &datasets, const QString &fileName = {},
                              QString *partialFile = nullptr);
// The whole command on a window (default: the active MDI child); messages shown.
// Returns the written file, "" when nothing was written.
QString ExportToExcel(QWidget *window = nullptr, const QString &fileName = {});
// Opens a finished workbook; the default hands it to the desktop (xdg-open). When that
// fails, now or later, the opener calls failed with the reason, and the user is told
// where the workbook is and offered to save it elsewhere. Returns the previous opener.
using TOpenFailed = std::function<void(const QString &reason)>;
using TFileOpener = std::function<void(const QString &fileName, const TOpenFailed &failed)>;
TFileOpener SetExcelFileOpener(TFileOpener opener);
// The message of a workbook the desktop could not open, with "Сохранить как…".
void WorkbookNotOpened(const QString &fileName, const QString &reason);

// The fixed-width text of a dataset with the run's parameters (params may be null).
void WriteDataSetText(vorn::Dataset *ds, const TParamAskMeList *params, const QString &fileName);
// "Вывод в текст. файл": asks for the file, writes the current tab's dataset.
void ExportBrowserToText(TfrmVornQueryBro *browser);
