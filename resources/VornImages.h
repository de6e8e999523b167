// The shared 17x17 image list of the tree and the tool bars, and the small grid bitmaps.
// Images are drawn as SVG inside the program's resources and rendered once on first use;
// an index or name that has no picture gives a transparent image of the usual size.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// Indexes into the image list. Tree nodes, object kinds and the rights grid use the
// fixed numbers 0-5, 28-30, 38-40, 48-49; the others belong to tool-bar actions.
namespace VornImg {
enum : int {
    Group = 0,              // report group, "Все отчеты"
    Report = 1,
    QueriesFolder = 2,      // "Запросы" of a report, "Все запросы"
    Query = 3,
    ParametersFolder = 4,   // "Параметры"
    Parameter = 5,
    NewGroup = 6,           // the six add / change / delete triples of the edit tool bar
    EditGroup = 7,
    DeleteGroup = 8,
    NewReport = 9,
    EditReport = 10,
    DeleteReport = 11,
    NewQuery = 12,
    EditQuery = 13,
    DeleteQuery = 14,
    NewDataModule = 15,
    EditDataModule = 16,
    DeleteDataModule = 17,
    NewParameter = 18,
    EditParameter = 19,
    DeleteParameter = 20,
    NewScript = 21,
    EditScript = 22,
    DeleteScript = 23,
    Run = 24,               // "Выполнить"
    RunAsTable = 25,        // "Вывести как таблицу", "Выполнить запросы"
    DesignLayout = 26,      // "Редактировать форму отчета"
    Refresh = 27,           // "Обновить список", reopen
    MasterQuery = 28,       // master source of its report
    ScriptsRoot = 29,       // "Все скрипты (макросы)"
    Script = 30,
    Rights = 31,            // "Права доступа", "Права пользователей"
    Sort = 32,              // "Порядок сортировки", "Сортировка"
    Find = 33,              // "Поиск записи"
    Filter = 34,            // "Фильтр"
    ExportExcel = 35,       // "Вывод в Excel"
    ExportText = 36,        // "Вывод в текст. файл"
    Save = 37,              // save query / script to a file
    ImportDefinition = 38,
    DataModulesRoot = 39,   // "Все модули данных"
    DataModule = 40,
    Load = 41,              // load query / script from a file
    CopyParameters = 42,    // copy all parameters
    CopyParameter = 43,     // copy the current parameter
    PasteParameters = 44,
    Print = 45,             // "Печать "
    ColumnSum = 46,         // "Сумма текущей колонки"
    ClearLayout = 47,       // "Удалить форму отчета"
    Person = 48,            // a login (IsRole 0)
    Role = 49,              // a role (IsRole 1)
    ObjectBrowser = 50,     // "Просмотр объектов"
    References = 51,        // "Ссылки"
    Exit = 52,              // "Выход"
    Message = 53,           // "Сообщение", "Послать"
    ImportRun = 54,         // "Импорт данных"
};
}

// Number of slots in the image list (valid indexes are 0 .. count-1).
int vornImageCount();

// The image at index as a 17x17 pixmap; transparent for an index without a picture.
QPixmap vornImage(int index);

// The same image as an icon, with a double-size rendering for high-density screens.
QIcon vornIcon(int index);

// A grid bitmap by its resource name ("BOOLGRDCHECKED", "BOOLGRDUNCHECK", "CHECKONLY",
// "DBG_MEMO", "DBG_BLOB", "BTNSELECTALL") at its drawn size; a null pixmap when unknown.
QPixmap vornBitmap(const QString &name);
