// Spreadsheet and text export. The workbook is written with libxlsxwriter row by row
// (constant memory), so the layout the Excel automation built afterwards - deleted
// empty columns, totals, colours - is settled before the first cell is written.
#include "execution/VornExport.h"

#include "database/VornMessages.h"
#include "execution/ParamAskMe.h"
#include "execution/fVornQryBro.h"
#include "platform/core/CodePage.h"
#include "platform/data/DataError.h"
#include "platform/data/Dataset.h"
#include "platform/widgets/DataGrid.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryFile>
#include <QThread>

#include <xlsxwriter.h>

#include <cmath>
#include <dlfcn.h>

using vorn::Dataset;
using vorn::Field;
using vorn::FieldType;
namespace ft = vorn::fieldtype;

// ---------------------------------------------------------------- zip level

// libxlsxwriter deflates every part at zlib's default level, which is most of the time
// an export takes. Sheets are very repetitive XML: the fastest level makes the file
// about a third larger and the export twice as fast, so the library's call into
// minizip is taken here and passed on with level 1.
extern "C" int zipOpenNewFileInZip4_64(void *file, const char *filename, const void *zipfi,
                                       const void *extrafieldLocal, unsigned sizeExtrafieldLocal,
                                       const void *extrafieldGlobal, unsigned sizeExtrafieldGlobal,
                                       const char *comment, int method, int level, int raw, int windowBits,
                                       int memLevel, int strategy, const char *password, unsigned long crcForCrypting,
                                       unsigned long versionMadeBy, unsigned long flagBase, int zip64)
{
    using Fn = int (*)(void *, const char *, const void *, const void *, unsigned, const void *, unsigned,
                       const char *, int, int, int, int, int, int, const char *, unsigned long, unsigned long,
                       unsigned long, int);
    static const Fn next = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "zipOpenNewFileInZip4_64"));
    if (!next)
        return -104;  // ZIP_INTERNALERROR: the library reports it as a failed write
    if (method != 0 && level != 0)
        level = 1;
    return next(file, filename, zipfi, extrafieldLocal, sizeExtrafieldLocal, extrafieldGlobal, sizeExtrafieldGlobal,
                comment, method, level, raw, windowBits, memLevel, strategy, password, crcForCrypting, versionMadeBy,
                flagBase, zip64);
}

// ---------------------------------------------------------------- column classes

bool HasOwnCaption(const Field *f)
{
    const QString label = f->displayLabel().trimmed();
    if (label.isEmpty() || label == f->fieldName())
        return false;
    for (const char c : vorn::codepage::toCp1251(label))
        if (uchar(c) >= 192)
            return true;
    return false;
}

bool IsCaptionedDataSet(const Dataset *ds)
{
    for (int i = 0; i < ds->fieldCount(); ++i)
        if (HasOwnCaption(ds->field(i)))
            return true;
    return false;
}

bool IsSecondaryField(const Field *f, bool captionedDataSet)
{
    if (captionedDataSet)
        return !HasOwnCaption(f);
    return f->fieldName().toLower().startsWith(QLatin1String("id"));
}

QString ExcelHeaderText(const Field *f, bool secondary)
{
    const QString label = f->displayLabel();
    if (!secondary && !label.trimmed().isEmpty() && label != f->fieldName())
        return label;
    return f->fieldName();
}

bool LooksLikeNumberText(const QString &text)
{
    if (text.trimmed().isEmpty())
        return false;
    for (const QChar c : text)
        if (!(c.isDigit() && c.unicode() < 128) && !QStringView(u"\t +,-.Ee").contains(c))
            return false;
    return true;
}

QString ExcelColumnName(int column)
{
    QString name;
    for (int n = column; n > 0; n = (n - 1) / 26)
        name.prepend(QChar(u'a' + (n - 1) % 26));
    return name;
}

QString ExcelCellAddress(int row, int column) { return ExcelColumnName(column) + QString::number(row); }

// ---------------------------------------------------------------- the workbook

static const QString kExcelTrouble = QStringLiteral(
    "К сожалению, с Excel'ем у Вас проблемы\n\rПеренести данные из программы не удаётся.\n\r"
    "Вы можете попробовать еще раз, может сработает,\n\rно, скорее всего, потребуется переустановить Excel");

class TExcelBook
{
public:
    lxw_workbook *wb = nullptr;
    QString fileName;
    QList<lxw_worksheet *> sheets;
    QHash<int, lxw_format *> formats;  // by style bits
    ~TExcelBook()
    {
        if (wb)
            workbook_close(wb);  // an abandoned export still releases its temporary files
    }
};

void TExcelBookDeleter::operator()(TExcelBook *b) const { delete b; }

TExcelHandle StartExcel(const QString &fileName)
{
    TExcelHandle book(new TExcelBook);
    book->fileName = fileName;
    if (book->fileName.isEmpty()) {
        QTemporaryFile tmp(QDir::tempPath() + QStringLiteral("/vorn-XXXXXX.xlsx"));
        tmp.setAutoRemove(false);
        if (tmp.open())
            book->fileName = tmp.fileName();
    }
    // The first attempt may meet a file still held by a closing viewer: one more try
    // after about a second, as the automation start did.
    for (int attempt = 0; attempt < 2 && !book->wb; ++attempt) {
        if (attempt > 0)
            for (int i = 0; i < 30; ++i) {
                QApplication::processEvents();
                QThread::msleep(30);
            }
        QFile probe(book->fileName);
        if (!probe.open(QIODevice::WriteOnly))
            continue;
        probe.close();
        lxw_workbook_options opt{};
        opt.constant_memory = LXW_TRUE;  // rows go out as written: any size fits in memory
        const QByteArray tmpdir = QDir::tempPath().toLocal8Bit();
        opt.tmpdir = const_cast<char *>(tmpdir.constData());
        book->wb = workbook_new_opt(QFile::encodeName(book->fileName).constData(), &opt);
    }
    if (!book->wb)
        throw vorn::DataError(kExcelTrouble);
    return book;
}

namespace {

enum StyleBits {
    sbHeader = 1, sbBorder = 2, sbSecondary = 4, sbMoney = 8, sbDate = 16, sbDateTime = 32, sbTotals = 64,
    sbTime = 128
};

lxw_format *styleOf(TExcelBook *book, int bits)
{
    if (lxw_format *f = book->formats.value(bits))
        return f;
    lxw_format *f = workbook_add_format(book->wb);
    if (bits & (sbHeader | sbTotals))
        format_set_bold(f);
    if (bits & sbHeader) {
        format_set_align(f, LXW_ALIGN_CENTER);
        format_set_align(f, LXW_ALIGN_VERTICAL_CENTER);
    }
    if (bits & sbBorder)
        format_set_border(f, LXW_BORDER_THIN);
    if (bits & sbSecondary)
        format_set_font_color(f, 0xCECEFF);  // 16764622 as Excel's BGR colour value
    if (bits & sbMoney)
        format_set_num_format(f, "# ### ### ##0.00");
    if (bits & sbDate)
        format_set_num_format(f, "dd.mm.yyyy");
    if (bits & sbDateTime)
        format_set_num_format(f, "dd.mm.yyyy hh:mm:ss");
    if (bits & sbTime)
        format_set_num_format(f, "hh:mm:ss");
    book->formats.insert(bits, f);
    return f;
}

struct Column
{
    Field *field;
    bool secondary;
    bool money;
    double sum = 0;
    int width = 0;                        // characters
    int style = 0;                        // style bits of its value cells
    lxw_format *format = nullptr;         // of its value cells
    lxw_format *dateFormat = nullptr, *dateTimeFormat = nullptr;
};

QString cellText(const QVariant &v, FieldType type)
{
    if (v.isNull())
        return {};
    if (ft::isBlob(type) && type != vorn::ftMemo && type != vorn::ftFmtMemo && type != vorn::ftOraClob)
        return {};
    return vorn::Field::formatValue(v, type, QString());
}

// Length of the text a cell shows, without building it for numbers and dates.
int textLength(const QVariant &v, FieldType type)
{
    if (ft::isInteger(type)) {
        qint64 n = v.toLongLong();
        int len = n < 0 ? 2 : 1;
        for (n = n < 0 ? -n : n; n >= 10; n /= 10)
            ++len;
        return len;
    }
    if (ft::isFloat(type)) {
        char buf[40];
        return std::snprintf(buf, sizeof buf, "%.2f", v.toDouble()) + 1;  // with a group separator or two
    }
    if (type == vorn::ftDate)
        return 10;
    if (type == vorn::ftDateTime)
        return 19;
    if (type == vorn::ftBoolean)
        return 5;
    return int(cellText(v, type).size());
}

void check(lxw_error e)
{
    if (e != LXW_NO_ERROR && e != LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED)
        throw vorn::DataError(QString::fromUtf8(lxw_strerror(e)));
}

} // namespace

void ExportDataSetToExcel(Dataset *ds, TExcelHandle &book)
{
    if (!book)
        book = StartExcel();
    lxw_worksheet *ws = workbook_add_worksheet(book->wb, ds->objectName().toUtf8().constData());
    if (!ws)
        throw vorn::DataError(QStringLiteral("Недопустимое имя листа: ") + ds->objectName());
    book->sheets << ws;

    auto afterScroll = std::exchange(ds->events.afterScroll, nullptr);
    auto restore = qScopeGuard([&] { ds->events.afterScroll = afterScroll; });

    // Columns: primary then secondary, all-null ones dropped (the automation deleted
    // them from the right, which leaves the same sheet).
    const bool captioned = IsCaptionedDataSet(ds);
    const int records = ds->recordCount();
    QList<Column> primary, secondary;
    for (int i = 0; i < ds->fieldCount(); ++i) {
        Field *f = ds->field(i);
        bool any = false;
        for (int r = 0; r < records && !any; ++r)
            any = !ds->valueAt(r, i).isNull();
        if (!any)
            continue;
        const bool sec = IsSecondaryField(f, captioned);
        Column c{f, sec, ft::isFloat(f->dataType())};
        (sec ? secondary : primary) << c;
    }
    const int P = int(primary.size());
    QList<Column> cols = primary + secondary;
    const int C = int(cols.size());
    const int R = records + 1;

    // widths as an auto-fit would make them: the longest text, header included
    for (Column &c : cols) {
        int w = ExcelHeaderText(c.field, c.secondary).size() + 2;  // bold header
        const int idx = c.field->index();
        const FieldType type = c.field->dataType();
        for (int r = 0; r < records; ++r) {
            const QVariant &v = ds->valueAt(r, idx);
            if (v.isNull())
                continue;
            if (c.money)
                c.sum += v.toDouble();
            w = std::max(w, textLength(v, type) + 1);
        }
        c.width = w;
    }
    for (int j = 0; j < C; ++j) {
        Column &c = cols[j];
        const double width = j < P ? std::min(c.width, 40) : c.width;
        const int bits = (c.secondary ? sbSecondary : 0) | (c.money ? sbMoney : 0);
        check(worksheet_set_column(ws, lxw_col_t(j), lxw_col_t(j), width, bits ? styleOf(book.get(), bits) : nullptr));
        c.style = (j < P ? sbBorder : 0) | bits;
        c.format = c.style ? styleOf(book.get(), c.style) : nullptr;
        c.dateFormat = styleOf(book.get(), c.style | sbDate);
        c.dateTimeFormat = styleOf(book.get(), c.style | sbDateTime);
    }
    worksheet_gridlines(ws, LXW_HIDE_ALL_GRIDLINES);

    // header row: bold, centred, twice as high
    check(worksheet_set_row(ws, 0, 30, styleOf(book.get(), sbHeader)));
    for (int j = 0; j < C; ++j) {
        const Column &c = cols[j];
        const int bits = sbHeader | (j < P ? sbBorder : 0) | (c.secondary ? sbSecondary : 0);
        check(worksheet_write_string(ws, 0, lxw_col_t(j), ExcelHeaderText(c.field, c.secondary).toUtf8().constData(),
                                     styleOf(book.get(), bits)));
    }
    // the value block
    QByteArray utf8;
    for (int r = 0; r < records; ++r) {
        const lxw_row_t row = lxw_row_t(r + 1);
        for (int j = 0; j < C; ++j) {
            const Column &c = cols[j];
            const FieldType type = c.field->dataType();
            const QVariant &v = ds->valueAt(r, c.field->index());
            const lxw_col_t col = lxw_col_t(j);
            if (v.isNull()) {
                if (c.format)
                    check(worksheet_write_blank(ws, row, col, c.format));
                continue;
            }
            if (ft::isInteger(type) || ft::isFloat(type)) {
                check(worksheet_write_number(ws, row, col, v.toDouble(), c.format));
            } else if (type == vorn::ftBoolean) {
                check(worksheet_write_boolean(ws, row, col, v.toBool(), c.format));
            } else if (type == vorn::ftDate || type == vorn::ftDateTime) {
                // a plain date needs no time zone (local date-times cost a zone lookup each)
                QDate d;
                QTime t(0, 0);
                if (v.metaType().id() == QMetaType::QDate)
                    d = v.toDate();
                else {
                    const QDateTime dt = v.toDateTime();
                    d = dt.date();
                    t = dt.time();
                }
                const bool dateOnly = type == vorn::ftDate || t == QTime(0, 0);
                lxw_datetime x{d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second() + t.msec() / 1000.0};
                check(worksheet_write_datetime(ws, row, col, &x, dateOnly ? c.dateFormat : c.dateTimeFormat));
            } else if (type == vorn::ftTime) {
                const QTime t = v.toTime();
                check(worksheet_write_number(ws, row, col, t.msecsSinceStartOfDay() / 86400000.0,
                                             styleOf(book.get(), c.style | sbTime)));
            } else {
                // Strings (number-like ones included) go in as text cells, which every
                // spreadsheet shows as the text itself; BLOBs leave the cell empty.
                const QString text = cellText(v, type);
                if (text.isEmpty()) {
                    if (c.format)
                        check(worksheet_write_blank(ws, row, col, c.format));
                    continue;
                }
                utf8 = text.left(32767).toUtf8();
                check(worksheet_write_string(ws, row, col, utf8.constData(), c.format));
            }
        }
    }
    // half-height spacer, bold totals of the money columns
    check(worksheet_set_row(ws, lxw_row_t(R), 7, nullptr));
    check(worksheet_set_row(ws, lxw_row_t(R + 1), LXW_DEF_ROW_HEIGHT, styleOf(book.get(), sbTotals)));
    for (int j = 0; j < C; ++j) {
        const Column &c = cols[j];
        if (!c.money)
            continue;
        const QString formula = QStringLiteral("=sum(") + ExcelCellAddress(2, j + 1) + u':' +
                                ExcelCellAddress(R, j + 1) + u')';
        check(worksheet_write_formula_num(ws, lxw_row_t(R + 1), lxw_col_t(j), formula.toUtf8().constData(),
                                          styleOf(book.get(), sbTotals | sbMoney | (c.secondary ? sbSecondary : 0)),
                                          c.sum));
    }
}

QString FinishExcel(TExcelHandle &book)
{
    if (!book)
        return {};
    if (!book->sheets.isEmpty())
        worksheet_activate(book->sheets.first());
    lxw_workbook *wb = std::exchange(book->wb, nullptr);
    const lxw_error e = workbook_close(wb);
    const QString file = book->fileName;
    book.reset();
    if (e != LXW_NO_ERROR)
        throw vorn::DataError(QString::fromUtf8(lxw_strerror(e)));
    return file;
}

// ---------------------------------------------------------------- the command

// xdg-open reports through its exit code only; it may run the spreadsheet program in
// the foreground, so it is waited for asynchronously and a failure told when it comes.
static void openWithDesktop(const QString &file, const TOpenFailed &failed)
{
    auto *p = new QProcess(qApp);
    QObject::connect(p, &QProcess::errorOccurred, p, [p, failed](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart)
            return;
        failed(QStringLiteral("не найдена программа xdg-open"));
        p->deleteLater();
    });
    QObject::connect(p, &QProcess::finished, p, [p, failed](int code, QProcess::ExitStatus status) {
        if (status != QProcess::NormalExit)
            failed(QStringLiteral("программа открытия файлов прервана"));
        else if (code == 3)
            failed(QStringLiteral("на рабочем столе нет программы для таблиц"));
        else if (code != 0)
            failed(QStringLiteral("программа открытия файлов завершилась с кодом %1").arg(code));
        p->deleteLater();
    });
    p->start(QStringLiteral("xdg-open"), {file});
}

static TFileOpener &fileOpener()
{
    static TFileOpener opener = openWithDesktop;
    return opener;
}

void WorkbookNotOpened(const QString &fileName, const QString &reason)
{
    const QString text = QStringLiteral("Книга Excel записана в файл\n") + QDir::toNativeSeparators(fileName) +
                         QStringLiteral("\nно открыть её не удалось: ") + reason +
                         QStringLiteral(".\nЭто временный файл: чтобы сохранить книгу, нажмите «Сохранить как…».");
    if (ShowMessage(TMsgKind::Warning, text, int(TMsgButton::SaveAs) | int(TMsgButton::Ok)) != TMsgButton::SaveAs)
        return;
    QFileDialog dlg(QApplication::activeWindow(), QStringLiteral("Сохранить как…"));
    dlg.setObjectName(QStringLiteral("dlgSaveWorkbook"));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setNameFilters({QStringLiteral("Книги Excel (*.xlsx)"), QStringLiteral("Все файлы (*)")});
    dlg.setDefaultSuffix(QStringLiteral("xlsx"));
    dlg.selectFile(QFileInfo(fileName).fileName());
    if (ExecDialog(&dlg) != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return;
    const QString target = dlg.selectedFiles().first();
    if (QFileInfo(target).canonicalFilePath() == QFileInfo(fileName).canonicalFilePath())
        return;
    // the dialog has asked about replacing an existing file
    QFile::remove(target);
    QFile source(fileName);
    if (!source.copy(target))
        ShowError(QStringLiteral("Не удалось сохранить книгу в файл ") + QDir::toNativeSeparators(target) +
                  QStringLiteral(": ") + source.errorString());
}

static void openWorkbook(const QString &file)
{
    if (fileOpener())
        fileOpener()(file, [file](const QString &reason) { WorkbookNotOpened(file, reason); });
}

TFileOpener SetExcelFileOpener(TFileOpener opener) { return std::exchange(fileOpener(), std::move(opener)); }

QList<Dataset *> ExportedDataSets(QWidget *window)
{
    QList<Dataset *> out;
    if (!window)
        return out;
    for (QWidget *w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        if (auto *grid = qobject_cast<vorn::DataGrid *>(w)) {
            if (window->isAncestorOf(grid) && grid->dataset() && grid->dataset()->isActive())
                out << grid->dataset();
            if (!out.isEmpty())
                return out;
            break;
        }
    }
    for (Dataset *ds : window->findChildren<Dataset *>())
        if (ds->isActive() && ds->recordCount() > 0 && !out.contains(ds))
            out << ds;
    return out;
}

QString ExportDataSetsToExcel(const QList<Dataset *> &datasets, const QString &fileName, QString *partialFile)
{
    TExcelHandle book = StartExcel(fileName);
    for (Dataset *ds : datasets) {
        const qsizetype before = book->sheets.size();
        try {
            ExportDataSetToExcel(ds, book);
        } catch (const std::exception &e) {
            // the sheets written so far stay: the book is finished with them
            const bool any = before > 0;
            try {
                const QString file = FinishExcel(book);
                if (partialFile && any)
                    *partialFile = file;
            } catch (const std::exception &) {
            }
            throw vorn::DataError(QStringLiteral("Ошибка экспорта \"") + ds->objectName() +
                                  QStringLiteral("\"\n\rNativeError: ") + QString::fromUtf8(e.what()));
        }
    }
    return FinishExcel(book);
}

QString ExportToExcel(QWidget *window, const QString &fileName)
{
    if (!window)
        if (QMdiArea *area = MdiArea())
            if (QMdiSubWindow *s = area->activeSubWindow())
                window = s->widget();
    const QList<Dataset *> datasets = ExportedDataSets(window);
    if (datasets.isEmpty()) {
        ShowWarning(QStringLiteral("Данные для вывода не обнаружены!"));
        return {};
    }
    QString file, partial;
    try {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        file = ExportDataSetsToExcel(datasets, fileName, &partial);
    } catch (const std::exception &e) {
        ShowError(QString::fromUtf8(e.what()));
        if (!partial.isEmpty())
            openWorkbook(partial);
        return partial;
    }
    openWorkbook(file);
    return file;
}

// ---------------------------------------------------------------- text export

namespace {

QString textCell(const Field *f, const QVariant &v, bool *right);

// Longest text a column without a declared size is given room for.
constexpr int maxUndeclaredWidth = 255;

int textWidth(Dataset *ds, const Field *f)
{
    int w;
    switch (f->dataType()) {
    case vorn::ftString: case vorn::ftFixedChar: case vorn::ftWideString:
        if (f->size() > 0) {
            w = f->size() + 1;
            break;
        }
        // the driver declares no size (SQLite expressions, PostgreSQL text): as
        // if the longest value had been declared
        w = 0;
        for (int r = 0, n = ds->recordCount(); r < n && w < maxUndeclaredWidth; ++r) {
            bool right = false;
            w = std::max(w, int(textCell(f, ds->valueAt(r, f->index()), &right).size()));
        }
        w = std::min(w, maxUndeclaredWidth) + 1;
        break;
    case vorn::ftSmallint: w = 6; break;
    case vorn::ftInteger: case vorn::ftAutoInc: w = 11; break;
    case vorn::ftFloat: w = 18; break;
    case vorn::ftDate: case vorn::ftDateTime: w = 19; break;
    default: w = 20; break;
    }
    return std::max(w, int(f->displayLabel().size()));
}

// Right-aligned: the numeric kinds (word, large integer and BCD as well); the rest,
// booleans and times included, left-aligned as their display text; memo text on one
// line, binary fields as the grid's "(BLOB)".
QString textCell(const Field *f, const QVariant &v, bool *right)
{
    const FieldType t = f->dataType();
    *right = ft::isInteger(t) || ft::isFloat(t);
    if (v.isNull())
        return {};
    if (t == vorn::ftCurrency)
        return Field::formatValue(v.toDouble(), t, QStringLiteral("#,##0.00"));
    if (t == vorn::ftMemo || t == vorn::ftFmtMemo || t == vorn::ftOraClob)
        return v.toString().replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(u'\n', u' ').replace(u'\r', u' ');
    const QString s = Field::formatValue(v, t, f->displayFormat());
    return *right ? s.trimmed() : s;
}

QString fit(const QString &s, int width, bool right)
{
    const QString cut = s.left(width);
    return right ? cut.rightJustified(width) : cut.leftJustified(width);
}

} // namespace

void WriteDataSetText(Dataset *ds, const TParamAskMeList *params, const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw vorn::DataError(file.errorString());
    ds->disableControls();
    auto restore = qScopeGuard([ds] { ds->enableControls(); });
    QByteArray out;
    auto line = [&out](const QString &s) { out += vorn::codepage::toCp1251(s) + "\r\n"; };
    auto pair = [](const QString &a, const QString &b) { return a.rightJustified(15) + u' ' + b.rightJustified(15); };
    if (params && params->Count() > 0) {
        line(pair(QStringLiteral("Параметр"), QStringLiteral("Значение")));
        line(QString(15, u'-') + u' ' + QString(15, u'-'));
        for (int i = 0; i < params->Count(); ++i) {
            const TParamAskMe *p = params->Items(i);
            QString value = ParamShownText(*p);
            if (p->Lookup && (p->IdParTyp == ptLookup || p->IdParTyp == ptMultiLookup) &&
                p->Lookup->LookupField.trimmed() != p->Lookup->LookupDisplay.trimmed())
                value += QStringLiteral(" (") + p->Lookup->DisplayText + u')';
            line(pair(p->ParLabel, value));
        }
        line(QString());
    }
    QList<Field *> fields;
    QList<int> widths;
    for (int i = 0; i < ds->fieldCount(); ++i)
        if (ds->field(i)->isVisible()) {
            fields << ds->field(i);
            widths << textWidth(ds, ds->field(i));
        }
    QStringList head, dash;
    for (int j = 0; j < fields.size(); ++j) {
        head << fit(fields[j]->displayLabel(), widths[j], false);
        dash << QString(widths[j], u'-');
    }
    line(head.join(u' '));
    line(dash.join(u' '));
    const int n = ds->recordCount();
    for (int r = 0; r < n; ++r) {
        QStringList cells;
        for (int j = 0; j < fields.size(); ++j) {
            bool right = false;
            const QString s = textCell(fields[j], ds->valueAt(r, fields[j]->index()), &right);
            cells << fit(s, widths[j], right);
        }
        line(cells.join(u' '));
    }
    line(QStringLiteral("Количество записей :") + QString::number(n));
    if (file.write(out) != out.size())
        throw vorn::DataError(file.errorString());
    file.close();
}

void ExportBrowserToText(TfrmVornQueryBro *browser)
{
    Dataset *ds = browser ? browser->CurrentDataSet() : nullptr;
    if (!ds || !ds->isActive())
        return;
    QFileDialog dlg(browser);
    dlg.setObjectName(QStringLiteral("dlgSaveText"));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setNameFilters({QStringLiteral("Текст. файлы (*.txt)"), QStringLiteral("Все файлы (*)")});
    dlg.setDefaultSuffix(QStringLiteral("txt"));
    if (ExecDialog(&dlg) != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return;
    WriteDataSetText(ds, browser->Params(), dlg.selectedFiles().first());
}
