// Data-aware editors bound to one field of a data source: line edit, memo, check box,
// numeric edit with a display format, date edit, and the lookup combo box (a key
// field and display fields of a list source, optionally writing the key into a field).
// Each reloads when the row or the value changes and writes the user's input to the
// field (which puts the dataset into edit state). Errors come out as dataError.
#pragma once
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <functional>

#include "platform/data/DataSource.h"

namespace vorn {

class DataSource;
class Dataset;
class Field;

// The binding the editors share: a data source plus a field name.
class FieldLink : public QObject
{
    Q_OBJECT
public:
    explicit FieldLink(QObject *parent, std::function<void()> reload);
    DataSource *dataSource() const { return m_source; }
    void setDataSource(DataSource *source);
    QString fieldName() const { return m_fieldName; }
    void setFieldName(const QString &name);
    Field *field() const;             // nullptr when the dataset is closed or lacks it
    bool isReloading() const { return m_reloading; }
    // Writes through the field; false (and dataError) when the dataset refused it.
    bool write(const QVariant &value);
    void reload();

Q_SIGNALS:
    void dataError(const QString &message);

private:
    QPointer<DataSource> m_source;           // not owned
    QString m_fieldName;                     // bound field
    std::function<void()> m_reload;          // the editor's refresh
    bool m_reloading = false;                // inside reload: ignore the editor's change signals
    QList<QMetaObject::Connection> m_links;  // to the data source
};

class FieldLineEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit FieldLineEdit(QWidget *parent = nullptr);
    FieldLink *link() const { return m_link; }
    void setDataSource(DataSource *s);
    void setFieldName(const QString &n);
Q_SIGNALS:
    void dataError(const QString &message);
private:
    FieldLink *m_link;                       // binding
};

class FieldMemo : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit FieldMemo(QWidget *parent = nullptr);
    FieldLink *link() const { return m_link; }
    void setDataSource(DataSource *s);
    void setFieldName(const QString &n);
Q_SIGNALS:
    void dataError(const QString &message);
private:
    FieldLink *m_link;                       // binding
};

class FieldCheckBox : public QCheckBox
{
    Q_OBJECT
public:
    explicit FieldCheckBox(QWidget *parent = nullptr);
    FieldLink *link() const { return m_link; }
    void setDataSource(DataSource *s);
    void setFieldName(const QString &n);
Q_SIGNALS:
    void dataError(const QString &message);
private:
    FieldLink *m_link;                       // binding
};

// Shows the value in the display format ("#,##0.00") while not focused, the plain
// number while editing.
class FieldNumberEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit FieldNumberEdit(QWidget *parent = nullptr);
    FieldLink *link() const { return m_link; }
    void setDataSource(DataSource *s);
    void setFieldName(const QString &n);
    QString displayFormat() const { return m_format; }
    void setDisplayFormat(const QString &f);
    int decimals() const { return m_decimals; }
    void setDecimals(int d) { m_decimals = d; }
Q_SIGNALS:
    void dataError(const QString &message);
protected:
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
private:
    void show_(bool editing);
    void commit();
    FieldLink *m_link;                       // binding
    QString m_format;                        // display format, "" = the field's own
    int m_decimals = -1;                     // decimals while editing, -1 = as needed
};

// An empty (null) date shows as a blank.
class FieldDateEdit : public QDateEdit
{
    Q_OBJECT
public:
    explicit FieldDateEdit(QWidget *parent = nullptr);
    FieldLink *link() const { return m_link; }
    void setDataSource(DataSource *s);
    void setFieldName(const QString &n);
    bool isNull() const { return date() == minimumDate(); }
    void setNull() { setDate(minimumDate()); }
Q_SIGNALS:
    void dataError(const QString &message);
private:
    FieldLink *m_link;                       // binding
};

// Lists the rows of listSource as display fields' text; the item's key is keyField.
// With a data field bound it shows and writes that field's key; without one it is a
// selector that follows and moves the list's cursor.
class LookupComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit LookupComboBox(QWidget *parent = nullptr);
    void setListSource(DataSource *s);
    DataSource *listSource() const { return m_list; }
    void setKeyField(const QString &n) { m_keyField = n; rebuild(); }
    QString keyField() const { return m_keyField; }
    void setListFields(const QString &names) { m_listFields = names; rebuild(); } // "Name" or "Name;Id"
    QString listFields() const { return m_listFields; }
    FieldLink *link() const { return m_link; }
    void setDataSource(DataSource *s);
    void setDataField(const QString &n);
    QVariant keyValue() const { return currentData(); }
Q_SIGNALS:
    void dataError(const QString &message);
private:
    void rebuild();
    void sync();
    void chosen(int index);
    QPointer<DataSource> m_list;             // list rows, not owned
    QString m_keyField;                      // key column of the list
    QString m_listFields;                    // shown columns of the list
    FieldLink *m_link;                       // optional data binding
    bool m_syncing = false;                  // programmatic index change
    QList<QMetaObject::Connection> m_listLinks; // to the list source
};

} // namespace vorn
