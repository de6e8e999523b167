// Field chooser: display labels of the offered fields, confirmed by OK or a double click.
#include "execution/Nfindlg2.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QVBoxLayout>

TdlgNFields::TdlgNFields(const TMyFieldList &fields, const QString &current, QWidget *parent)
    : QDialog(parent), m_fields(fields)
{
    setObjectName(QStringLiteral("dlgNFields"));
    setWindowTitle(QStringLiteral("Выбор поля"));
    m_list = new QListWidget(this);
    for (int i = 0; i < fields.Count(); ++i) {
        m_list->addItem(fields.Items(i).DisplayLabel);
        if (fields.Items(i).FieldName == current)
            m_list->setCurrentRow(i);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto *lay = new QVBoxLayout(this);
    lay->addWidget(m_list);
    lay->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    resize(260, 320);
}

QString TdlgNFields::FieldName() const
{
    const int r = m_list->currentRow();
    return r >= 0 && r < m_fields.Count() ? m_fields.Items(r).FieldName : QString();
}
