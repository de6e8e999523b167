// A field of a dataset: name, type code, size, display label, origin, kind (data,
// calculated, lookup) and typed access to its value in the dataset's current row.
// Fields belong to their dataset and live until it is closed (persistent calculated
// and lookup fields live as long as the dataset).
#pragma once
#include "platform/data/FieldType.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>

namespace vorn {

class Dataset;

enum class FieldKind { Data, Calculated, Lookup };

class Field
{
public:
    Field(Dataset *dataset, const QString &name, FieldType type, int size, FieldKind kind);

    Dataset *dataset() const { return m_dataset; }
    int index() const { return m_index; }               // position among the dataset's fields
    QString fieldName() const { return m_name; }
    FieldType dataType() const { return m_type; }
    int size() const { return m_size; }                 // declared length for strings, else 0
    FieldKind fieldKind() const { return m_kind; }
    bool isCalculated() const { return m_kind == FieldKind::Calculated; }
    bool isLookup() const { return m_kind == FieldKind::Lookup; }
    QString displayLabel() const { return m_label.isEmpty() ? m_name : m_label; }
    void setDisplayLabel(const QString &l) { m_label = l; }
    QString origin() const { return m_origin; }         // "Table.Column", "" when unknown
    void setOrigin(const QString &o) { m_origin = o; }
    bool isVisible() const { return m_visible; }
    void setVisible(bool v) { m_visible = v; }
    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool r) { m_readOnly = r; }
    bool isRequired() const { return m_required; }
    void setRequired(bool r) { m_required = r; }
    QString displayFormat() const { return m_displayFormat; } // "#,##0.00", "dd.MM.yyyy"
    void setDisplayFormat(const QString &f) { m_displayFormat = f; }
    int displayWidth() const { return m_displayWidth; }  // characters, 0 = from the size
    void setDisplayWidth(int w) { m_displayWidth = w; }

    // Lookup fields: keyFields of this dataset ("A;B") matched against lookupKeyFields
    // of lookupDataset; the value is lookupResultField of the matching row.
    QString keyFields() const { return m_keyFields; }
    Dataset *lookupDataset() const { return m_lookupDataset; }
    QString lookupKeyFields() const { return m_lookupKeyFields; }
    QString lookupResultField() const { return m_lookupResultField; }
    void setLookup(const QString &keyFields, Dataset *lookupDataset, const QString &lookupKeyFields,
                   const QString &lookupResultField);

    int adoType() const { return fieldtype::adoType(m_type); }
    bool isBlob() const { return fieldtype::isBlob(m_type); }

    QVariant value() const;                 // current row (edit buffer while editing)
    QVariant oldValue() const;              // value before the current edit
    void setValue(const QVariant &v);       // converted to the field's type; raises on mismatch
    bool isNull() const { return value().isNull(); }
    void clear() { setValue(QVariant()); }
    QString asString() const;               // "" for null; dates in the short date format
    qint64 asInteger() const;               // raises when the text is not a number
    double asFloat() const;
    bool asBoolean() const;
    QDate asDate() const;
    QDateTime asDateTime() const;
    QByteArray asBytes() const;
    void setAsString(const QString &v) { setValue(v); }
    void setAsInteger(qint64 v) { setValue(v); }
    void setAsFloat(double v) { setValue(v); }
    void setAsBoolean(bool v) { setValue(v); }
    void setAsDateTime(const QDateTime &v) { setValue(v); }
    QString displayText() const;            // value formatted by displayFormat
    static QString formatValue(const QVariant &v, FieldType type, const QString &displayFormat);

private:
    friend class Dataset;
    Dataset *m_dataset;            // owner
    int m_index = -1;              // set by the owner
    QString m_name;                // field name
    FieldType m_type;              // field type code
    int m_size;                    // declared size
    FieldKind m_kind;              // data / calculated / lookup
    QString m_label;               // display label ("" = the name)
    QString m_origin;              // table-qualified column
    bool m_visible = true;         // shown by grids
    bool m_readOnly = false;       // edits refused
    bool m_required = false;       // post refuses a null
    QString m_displayFormat;       // number/date display format
    int m_displayWidth = 0;        // grid width in characters
    QString m_keyFields;           // lookup: own key fields
    Dataset *m_lookupDataset = nullptr; // lookup: the list dataset
    QString m_lookupKeyFields;     // lookup: key fields there
    QString m_lookupResultField;   // lookup: the value field there
};

} // namespace vorn
