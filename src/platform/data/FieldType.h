// Column type codes shared by datasets, parameters, exports and script field objects,
// and the ADO-compatible codes derived from them. The numbering is the platform's
// field-type enumeration; it is stored and exchanged as plain integers.
#pragma once
#include <QMetaType>
#include <QString>

namespace vorn {

enum FieldType : int {
    ftUnknown = 0, ftString = 1, ftSmallint = 2, ftInteger = 3, ftWord = 4, ftBoolean = 5,
    ftFloat = 6, ftCurrency = 7, ftBCD = 8, ftDate = 9, ftTime = 10, ftDateTime = 11,
    ftBytes = 12, ftVarBytes = 13, ftAutoInc = 14, ftBlob = 15, ftMemo = 16, ftGraphic = 17,
    ftFmtMemo = 18, ftParadoxOle = 19, ftDBaseOle = 20, ftTypedBinary = 21, ftCursor = 22,
    ftFixedChar = 23, ftWideString = 24, ftLargeint = 25, ftADT = 26, ftArray = 27,
    ftReference = 28, ftDataSet = 29, ftOraBlob = 30, ftOraClob = 31, ftVariant = 32,
    ftInterface = 33, ftIDispatch = 34, ftGuid = 35
};

namespace fieldtype {
int adoType(FieldType t);              // ADO-compatible code; 0 for types without one
bool isBlob(FieldType t);              // BLOB, memo, graphic and the other large-object kinds
bool isInteger(FieldType t);           // small/integer/word/auto-increment/large integer
bool isFloat(FieldType t);             // float, currency, BCD
bool isString(FieldType t);            // string, fixed char, wide string, GUID
bool isDateTime(FieldType t);          // date, time, date-time
QString name(FieldType t);             // "ftInteger"
FieldType fromMetaType(int metaTypeId); // best code for a Qt value type
FieldType fromDeclaredType(const QString &decl, int *size = nullptr); // SQL type text ("varchar(40)")
int metaTypeOf(FieldType t);           // the Qt value type a field of this code holds
QVariant convert(const QVariant &v, FieldType t, bool *ok = nullptr); // value as held by such a field
} // namespace fieldtype

} // namespace vorn
