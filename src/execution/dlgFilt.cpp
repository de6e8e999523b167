// Filter dialog: the memo collects the lines, "Установить" hands them to the dataset's
// filter and marks the grid's headers red, "СнятьФильтер" takes it off again.
#include "execution/dlgFilt.h"

#include "database/VornMessages.h"
#include "execution/Nfindlg2.h"
#include "platform/data/Dataset.h"
#include "platform/widgets/DataGrid.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>

namespace ft = vorn::fieldtype;

TdlgFilter::TdlgFilter(vorn::Dataset *ds, vorn::DataGrid *grid, QWidget *parent) : QDialog(parent), m_ds(ds), m_grid(grid)
{
    setObjectName(QStringLiteral("dlgFilter"));
    setWindowTitle(QStringLiteral("Установка фильтра"));
    m_fields.FillFromDataSet(ds);
    m_fieldBox = new QLineEdit(this);
    m_fieldBox->setReadOnly(true);
    m_pick = new QPushButton(QStringLiteral("..."), this);
    m_pick->setFixedWidth(28);
    auto *fieldRow = new QHBoxLayout;
    fieldRow->addWidget(m_fieldBox, 1);
    fieldRow->addWidget(m_pick);
    m_op = new QComboBox(this);
    m_op->addItems({QString(), QStringLiteral("="), QStringLiteral("<>"), QStringLiteral(">"), QStringLiteral("<"),
                    QStringLiteral(">="), QStringLiteral("<="), QStringLiteral("IS NULL"), QStringLiteral("IS NOT NULL")});
    m_link = new QComboBox(this);
    m_link->addItems({QString(), QStringLiteral("AND"), QStringLiteral("OR"), QStringLiteral("NOT")});
    m_valueStack = new QStackedWidget(this);
    m_text = new QLineEdit;
    m_number = new QDoubleSpinBox;
    m_number->setRange(-1e15, 1e15);
    m_date = new QDateEdit(QDate::currentDate());
    m_date->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    m_valueStack->addWidget(m_text);
    m_valueStack->addWidget(m_number);
    m_valueStack->addWidget(m_date);
    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(QStringLiteral("mmFilter"));
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Связка"), m_link);
    form->addRow(QStringLiteral("Поле"), fieldRow);
    form->addRow(QStringLiteral("Операция"), m_op);
    form->addRow(QStringLiteral("Значение"), m_valueStack);
    m_add = new QPushButton(QStringLiteral("Добавить"), this);
    m_apply = new QPushButton(QStringLiteral("Установить"), this);
    m_remove = new QPushButton(QStringLiteral("СнятьФильтер"), this);
    m_clear = new QPushButton(QStringLiteral("Очистить"), this);
    m_exit = new QPushButton(QStringLiteral("Выход"), this);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {m_add, m_apply, m_remove, m_clear, m_exit})
        buttons->addWidget(b);
    auto *lay = new QVBoxLayout(this);
    lay->addLayout(form);
    lay->addWidget(m_memo, 1);
    lay->addLayout(buttons);
    connect(m_pick, &QPushButton::clicked, this, &TdlgFilter::chooseField);
    connect(m_add, &QPushButton::clicked, this, &TdlgFilter::Add);
    connect(m_apply, &QPushButton::clicked, this, &TdlgFilter::Apply);
    connect(m_remove, &QPushButton::clicked, this, &TdlgFilter::Remove);
    connect(m_clear, &QPushButton::clicked, this, &TdlgFilter::Clear);
    connect(m_exit, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_op, &QComboBox::currentTextChanged, this, [this] {
        m_valueStack->setEnabled(!m_op->currentText().contains(QLatin1String("NULL")));
        updateButtons();
    });
    connect(m_link, &QComboBox::currentTextChanged, this, &TdlgFilter::updateButtons);
    connect(m_memo, &QPlainTextEdit::textChanged, this, &TdlgFilter::updateButtons);
    if (ds->isFiltered())
        m_memo->setPlainText(ds->filter());
    if (grid && grid->selectedField())
        SetField(grid->selectedField()->fieldName());
    resize(520, 380);
    updateButtons();
}

void TdlgFilter::SetField(const QString &fieldName)
{
    const int at = m_fields.Find(fieldName);
    m_fieldName = at < 0 ? QString() : m_fields.Items(at).FieldName;
    m_fieldBox->setText(at < 0 ? QString() : m_fields.Items(at).DisplayLabel);
    if (at >= 0) {
        const vorn::FieldType t = m_fields.Items(at).DataType;
        if (ft::isInteger(t) || ft::isFloat(t) || t == vorn::ftBoolean) {
            m_valueStack->setCurrentWidget(m_number);
            m_number->setDecimals(t == vorn::ftFloat ? 7 : t == vorn::ftCurrency ? 2 : ft::isInteger(t) || t == vorn::ftBoolean ? 0 : 4);
        } else if (t == vorn::ftDate || t == vorn::ftDateTime)
            m_valueStack->setCurrentWidget(m_date);
        else
            m_valueStack->setCurrentWidget(m_text);
    }
    updateButtons();
}

void TdlgFilter::SetOperation(const QString &op) { m_op->setCurrentText(op); }
void TdlgFilter::SetLink(const QString &link) { m_link->setCurrentText(link); }

void TdlgFilter::SetValue(const QVariant &v)
{
    if (m_valueStack->currentWidget() == m_number)
        m_number->setValue(v.toDouble());
    else if (m_valueStack->currentWidget() == m_date)
        m_date->setDate(v.toDate());
    else
        m_text->setText(v.toString());
}

QVariant TdlgFilter::value() const
{
    if (m_valueStack->currentWidget() == m_number)
        return m_number->value();
    if (m_valueStack->currentWidget() == m_date)
        return m_date->date();
    return m_text->text();
}

void TdlgFilter::updateButtons()
{
    const bool hasText = m_memo->toPlainText().size() >= 2;
    m_link->setEnabled(hasText);
    m_apply->setEnabled(hasText);
    m_add->setEnabled(!m_fieldName.isEmpty() && !m_op->currentText().isEmpty() &&
                      (!m_link->isEnabled() || !m_link->currentText().isEmpty()));
}

void TdlgFilter::Add()
{
    if (!m_add->isEnabled())
        return;
    const vorn::Field *f = m_ds->findField(m_fieldName);
    if (!f)
        return;
    const QString line = FilterLine(f, m_op->currentText(), value(), m_link->isEnabled() ? m_link->currentText() : QString());
    m_memo->appendPlainText(line);
    SetField(QString());
    m_op->setCurrentIndex(0);
    m_link->setCurrentIndex(0);
    updateButtons();
}

void TdlgFilter::Apply()
{
    const QString text = m_memo->toPlainText().trimmed();
    try {
        m_ds->setFilter(text);
        m_ds->setFiltered(!text.isEmpty());
    } catch (const std::exception &e) {
        ShowError(QString::fromUtf8(e.what()));
        return;
    }
    if (m_grid)
        m_grid->setFixedColor(QColor(255, 0, 0));  // colour value 255
}

void TdlgFilter::Remove()
{
    m_ds->setFilter(QString());
    m_ds->setFiltered(false);
    if (m_grid)
        m_grid->setFixedColor(QApplication::palette().color(QPalette::Button));
}

void TdlgFilter::Clear() { m_memo->clear(); }

void TdlgFilter::chooseField()
{
    TdlgNFields chooser(m_fields, m_fieldName, this);
    chooser.move(m_fieldBox->mapToGlobal(QPoint(10, m_fieldBox->height() + 10)));
    if (ExecDialog(&chooser) == QDialog::Accepted && !chooser.FieldName().isEmpty())
        SetField(chooser.FieldName());
}

void ShowFilterDialog(vorn::Dataset *ds, vorn::DataGrid *grid)
{
    TdlgFilter dlg(ds, grid, MainWindow());
    ExecDialog(&dlg);
}
