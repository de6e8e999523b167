// Record search dialog; the search itself is FindRecord, interrupted from the close
// button, which reads "Прервать" while a search runs.
#include "execution/NFindDlg.h"

#include "database/VornMessages.h"
#include "execution/Nfindlg2.h"
#include "platform/data/Dataset.h"
#include "platform/widgets/DataGrid.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>

namespace ft = vorn::fieldtype;

static const QString kExact = QStringLiteral("Точный ");
static const QString kSubstring = QStringLiteral("По подстроке");

TdlgnFind::TdlgnFind(vorn::Dataset *ds, vorn::DataGrid *grid, const QString &fieldName, QWidget *parent)
    : QDialog(parent), m_ds(ds)
{
    setObjectName(QStringLiteral("dlgnFind"));
    setWindowTitle(QStringLiteral("Поиск"));
    m_fields.FillFromDataSet(ds);

    m_fieldBox = new QLineEdit(this);
    m_fieldBox->setReadOnly(true);
    m_pick = new QPushButton(QStringLiteral("..."), this);
    m_pick->setFixedWidth(28);
    auto *fieldRow = new QHBoxLayout;
    fieldRow->addWidget(m_fieldBox, 1);
    fieldRow->addWidget(m_pick);
    m_valueStack = new QStackedWidget(this);
    m_text = new QLineEdit;
    m_number = new QDoubleSpinBox;
    m_number->setRange(-1e15, 1e15);
    m_number->setGroupSeparatorShown(true);
    m_date = new QDateEdit;
    m_date->setCalendarPopup(true);
    m_date->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    m_valueStack->addWidget(m_text);
    m_valueStack->addWidget(m_number);
    m_valueStack->addWidget(m_date);
    m_kind = new QComboBox(this);
    m_kind->addItems({kExact, kSubstring});
    m_forward = new QRadioButton(QStringLiteral("Вперед"), this);
    m_backward = new QRadioButton(QStringLiteral("Назад"), this);
    m_forward->setChecked(true);
    auto *dir = new QHBoxLayout;
    dir->addWidget(m_forward);
    dir->addWidget(m_backward);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Поле"), fieldRow);
    form->addRow(QStringLiteral("Значение"), m_valueStack);
    form->addRow(QStringLiteral("Поиск"), m_kind);
    form->addRow(QString(), dir);
    m_find = new QPushButton(QStringLiteral("Искать"), this);
    m_next = new QPushButton(QStringLiteral("Дальше"), this);
    m_next->setDefault(true);
    m_close = new QPushButton(QStringLiteral("Закрыть"), this);
    m_close->setObjectName(QStringLiteral("btnClose"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_find);
    buttons->addWidget(m_next);
    buttons->addWidget(m_close);
    auto *lay = new QVBoxLayout(this);
    lay->addLayout(form);
    lay->addLayout(buttons);
    connect(m_pick, &QPushButton::clicked, this, &TdlgnFind::chooseField);
    connect(m_find, &QPushButton::clicked, this, [this] { Search(false); });
    connect(m_next, &QPushButton::clicked, this, [this] { Search(true); });
    connect(m_close, &QPushButton::clicked, this, [this] {
        if (m_busy)
            Interrupt();
        else
            reject();
    });

    // the given field (two characters or more), else the grid's (a lookup's key field)
    QString start = fieldName.size() >= 2 ? fieldName : QString();
    if (start.isEmpty() && grid)
        if (vorn::Field *f = grid->selectedField())
            start = f->isLookup() ? f->keyFields().section(u';', 0, 0) : f->fieldName();
    if (m_fields.Find(start) < 0 && m_fields.Count() > 0)
        start = m_fields.Items(0).FieldName;
    SetField(start);
}

void TdlgnFind::SetField(const QString &fieldName)
{
    const int at = m_fields.Find(fieldName);
    if (at < 0)
        return;
    const TMyFieldRec &r = m_fields.Items(at);
    m_fieldName = r.FieldName;
    m_type = r.DataType;
    m_fieldBox->setText(r.DisplayLabel);
    if (ft::isString(m_type) || m_type == vorn::ftMemo) {
        m_valueStack->setCurrentWidget(m_text);
        m_kind->setCurrentText(kSubstring);
    } else if (m_type == vorn::ftSmallint || m_type == vorn::ftInteger || m_type == vorn::ftFloat ||
               m_type == vorn::ftCurrency) {
        m_valueStack->setCurrentWidget(m_number);
        m_number->setDecimals(m_type == vorn::ftFloat ? 7 : m_type == vorn::ftCurrency ? 2 : 0);
        m_number->setValue(0);
        m_kind->setCurrentText(kExact);
    } else if (m_type == vorn::ftDate || m_type == vorn::ftDateTime) {
        m_valueStack->setCurrentWidget(m_date);
        m_date->setDate(QDate::currentDate());
        m_kind->setCurrentText(kExact);
    } else
        m_valueStack->setCurrentWidget(m_text);
}

void TdlgnFind::SetValue(const QVariant &v)
{
    if (m_valueStack->currentWidget() == m_number)
        m_number->setValue(v.toDouble());
    else if (m_valueStack->currentWidget() == m_date)
        m_date->setDate(v.toDate());
    else
        m_text->setText(v.toString());
}

QVariant TdlgnFind::Value() const
{
    if (m_valueStack->currentWidget() == m_number)
        return m_number->value();
    if (m_valueStack->currentWidget() == m_date)
        return QDateTime(m_date->date(), QTime(0, 0));
    return m_text->text();
}

void TdlgnFind::SetSubstring(bool on) { m_kind->setCurrentText(on ? kSubstring : kExact); }
bool TdlgnFind::Substring() const { return m_kind->currentText() == kSubstring; }
void TdlgnFind::SetForward(bool on) { (on ? m_forward : m_backward)->setChecked(true); }

void TdlgnFind::chooseField()
{
    TdlgNFields chooser(m_fields, m_fieldName, this);
    chooser.move(m_fieldBox->mapToGlobal(QPoint(10, m_fieldBox->height() + 10)));
    if (ExecDialog(&chooser) == QDialog::Accepted && !chooser.FieldName().isEmpty())
        SetField(chooser.FieldName());
}

void TdlgnFind::setBusy(bool busy)
{
    m_busy = busy;
    for (QWidget *w : std::initializer_list<QWidget *>{m_fieldBox, m_pick, m_valueStack, m_kind, m_forward,
                                                       m_backward, m_find, m_next})
        w->setEnabled(!busy);
    m_close->setText(busy ? QStringLiteral("Прервать") : QStringLiteral("Закрыть"));
    setWindowTitle(busy ? QStringLiteral("Ищем ...") : QStringLiteral("Поиск"));
}

TFindResult TdlgnFind::Search(bool continuing)
{
    if (m_fieldName.isEmpty() || m_busy)
        return TFindResult::NotFound;
    m_abort = false;
    setBusy(true);
    TFindResult res = TFindResult::NotFound;
    try {
        res = FindRecord(m_ds, m_fieldName, Value(), Substring(), m_forward->isChecked(), continuing, [this] {
            QApplication::processEvents();
            return m_abort;
        });
    } catch (const std::exception &e) {
        setBusy(false);
        ShowError(QString::fromUtf8(e.what()));
        return TFindResult::NotFound;
    }
    setBusy(false);
    if (res == TFindResult::NotFound)
        ShowError(QStringLiteral("Значение не найдено."));
    else if (res == TFindResult::Interrupted)
        ShowError(QStringLiteral("Поиск прерван."));
    return res;
}

void ShowFindDialog(vorn::Dataset *ds, vorn::DataGrid *grid, const QString &fieldName)
{
    TdlgnFind dlg(ds, grid, fieldName, MainWindow());
    ExecDialog(&dlg);
}
