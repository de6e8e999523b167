// Writing a dataset to a table file of the desktop database kinds, as a batch copy
// into a new table did: dBASE, FoxPro and Paradox tables (Russian Windows code page), ASCII
// text fixed-width or delimited with its schema file beside it. Values are written
// whole: a value a kind cannot hold is an error, never cut short.
#pragma once
#include <QString>

namespace vorn {
class Dataset;
}

namespace vorn::tables {

// The kinds' codes are the object model's SaveToFile kinds.
enum class TableKind { DBase = 0, Paradox = 1, FoxPro = 2, Ascii = 3 };

// Every visible row and field of the dataset (the cursor does not move). An existing
// file is replaced; on failure no partial file is left. Raises DataError.
void WriteTable(const Dataset &dataset, const QString &fileName, TableKind kind, bool delimited = false);

// The schema file of an ASCII table: the table's name with ".sch".
QString AsciiSchemaFileName(const QString &tableFile);

} // namespace vorn::tables
