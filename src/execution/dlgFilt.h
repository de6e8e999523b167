// The filter dialog "Установка фильтра": builds filter lines from a field, an
// operation, a value and a logical link, and sets them as the dataset's filter.
#pragma once
#include "execution/VornGridTools.h"

#include <QDialog>

class QComboBox;
class QDateEdit;
class QDoubleSpinBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
namespace vorn { class DataGrid; }

class TdlgFilter : public QDialog
{
    Q_OBJECT
public:
    TdlgFilter(vorn::Dataset *ds, vorn::DataGrid *grid, QWidget *parent = nullptr);

    void SetField(const QString &fieldName);
    QString FieldName() const { return m_fieldName; }
    void SetOperation(const QString &op);      // "" = none chosen
    void SetLink(const QString &link);         // "" = none chosen
    void SetValue(const QVariant &v);
    void Add();                                // "Добавить"
    void Apply();                              // "Установить"
    void Remove();                             // "СнятьФильтер"
    void Clear();                              // "Очистить"
    QPlainTextEdit *Memo() const { return m_memo; }
    QPushButton *AddButton() const { return m_add; }
    QPushButton *ApplyButton() const { return m_apply; }
    QComboBox *LinkBox() const { return m_link; }

private:
    void updateButtons();
    void chooseField();
    QVariant value() const;

    vorn::Dataset *m_ds;
    vorn::DataGrid *m_grid;
    TMyFieldList m_fields;
    QString m_fieldName;
    QLineEdit *m_fieldBox;
    QComboBox *m_op, *m_link;
    QStackedWidget *m_valueStack;
    QLineEdit *m_text;
    QDoubleSpinBox *m_number;
    QDateEdit *m_date;
    QPlainTextEdit *m_memo;
    QPushButton *m_pick, *m_add, *m_apply, *m_remove, *m_clear, *m_exit;
};

void ShowFilterDialog(vorn::Dataset *ds, vorn::DataGrid *grid);
