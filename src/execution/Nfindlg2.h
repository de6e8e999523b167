// The field chooser "Выбор поля" of the find and filter dialogs.
#pragma once
#include "execution/VornGridTools.h"

#include <QDialog>

class QListWidget;

class TdlgNFields : public QDialog
{
    Q_OBJECT
public:
    TdlgNFields(const TMyFieldList &fields, const QString &current, QWidget *parent = nullptr);
    QListWidget *List() const { return m_list; }
    QString FieldName() const;   // the chosen one, "" when none

private:
    const TMyFieldList &m_fields;
    QListWidget *m_list;
};
