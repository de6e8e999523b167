// The record search dialog "Поиск": a field, a value box by its type, exact or
// substring, forwards or backwards, "Дальше", and "Прервать" while it runs.
#pragma once
#include "execution/VornGridTools.h"

#include <QDialog>

class QComboBox;
class QDateEdit;
class QDoubleSpinBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
namespace vorn { class DataGrid; }

class TdlgnFind : public QDialog
{
    Q_OBJECT
public:
    TdlgnFind(vorn::Dataset *ds, vorn::DataGrid *grid, const QString &fieldName, QWidget *parent = nullptr);

    QString FieldName() const { return m_fieldName; }
    void SetField(const QString &fieldName);     // one of the offered fields
    void SetValue(const QVariant &v);
    QVariant Value() const;
    void SetSubstring(bool on);
    bool Substring() const;
    void SetForward(bool on);
    // "Искать" (continuing false) and "Дальше" (true); shows the failure message.
    TFindResult Search(bool continuing);
    void Interrupt() { m_abort = true; }
    QPushButton *CloseButton() const { return m_close; }
    QLineEdit *FieldBox() const { return m_fieldBox; }

private:
    void chooseField();
    void setBusy(bool busy);

    vorn::Dataset *m_ds;
    TMyFieldList m_fields;
    QString m_fieldName;
    vorn::FieldType m_type = vorn::ftUnknown;
    QLineEdit *m_fieldBox;
    QStackedWidget *m_valueStack;
    QLineEdit *m_text;
    QDoubleSpinBox *m_number;
    QDateEdit *m_date;
    QComboBox *m_kind;
    QRadioButton *m_forward, *m_backward;
    QPushButton *m_find, *m_next, *m_close, *m_pick;
    bool m_busy = false, m_abort = false;
};

void ShowFindDialog(vorn::Dataset *ds, vorn::DataGrid *grid, const QString &fieldName);
