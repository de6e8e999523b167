// Data-aware editors.
#include "platform/widgets/FieldEdits.h"
#include "platform/core/DecimalText.h"
#include "platform/data/DataError.h"
#include "platform/data/DataSource.h"
#include "platform/data/Dataset.h"

#include <QLocale>

namespace vorn {

// ---- FieldLink --------------------------------------------------------------------

FieldLink::FieldLink(QObject *parent, std::function<void()> reload) : QObject(parent), m_reload(std::move(reload)) {}

void FieldLink::setDataSource(DataSource *source)
{
    for (const auto &c : m_links)
        disconnect(c);
    m_links.clear();
    m_source = source;
    if (source) {
        m_links << connect(source, &DataSource::dataChanged, this, &FieldLink::reload);
        m_links << connect(source, &DataSource::currentChanged, this, &FieldLink::reload);
        m_links << connect(source, &DataSource::stateChanged, this, &FieldLink::reload);
        m_links << connect(source, &DataSource::datasetChanged, this, &FieldLink::reload);
        m_links << connect(source, &DataSource::fieldChanged, this, [this](Field *f) {
            if (f == field()) reload();
        });
    }
    reload();
}

void FieldLink::setFieldName(const QString &name)
{
    m_fieldName = name;
    reload();
}

Field *FieldLink::field() const
{
    Dataset *d = m_source ? m_source->dataset() : nullptr;
    return d && d->isActive() && !m_fieldName.isEmpty() ? d->findField(m_fieldName) : nullptr;
}

bool FieldLink::write(const QVariant &value)
{
    if (m_reloading)
        return true;
    Field *f = field();
    if (!f)
        return false;
    try {
        if (f->value() != value || f->value().isNull() != value.isNull())
            f->setValue(value);
        return true;
    } catch (const DataError &e) {
        Q_EMIT dataError(e.message());
        reload();
        return false;
    }
}

void FieldLink::reload()
{
    if (m_reloading)
        return;
    m_reloading = true;
    m_reload();
    m_reloading = false;
}

// ---- line edit, memo, check box -------------------------------------------------------

FieldLineEdit::FieldLineEdit(QWidget *parent) : QLineEdit(parent)
{
    setProperty("vornDataControl", QStringLiteral("edit"));  // the main window's data commands find it
    m_link = new FieldLink(this, [this] {
        Field *f = m_link->field();
        setText(f ? f->asString() : QString());
        setEnabled(f != nullptr);
        if (f && f->size() > 0) setMaxLength(f->size());
    });
    connect(m_link, &FieldLink::dataError, this, &FieldLineEdit::dataError);
    connect(this, &QLineEdit::textEdited, this, [this](const QString &t) {
        m_link->write(t.isEmpty() ? QVariant() : QVariant(t));
    });
}
void FieldLineEdit::setDataSource(DataSource *s) { m_link->setDataSource(s); }
void FieldLineEdit::setFieldName(const QString &n) { m_link->setFieldName(n); }

FieldMemo::FieldMemo(QWidget *parent) : QPlainTextEdit(parent)
{
    setProperty("vornDataControl", QStringLiteral("edit"));  // the main window's data commands find it
    m_link = new FieldLink(this, [this] {
        Field *f = m_link->field();
        const QString t = f ? f->asString() : QString();
        if (t != toPlainText()) setPlainText(t);
        setEnabled(f != nullptr);
    });
    connect(m_link, &FieldLink::dataError, this, &FieldMemo::dataError);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_link->isReloading()) {
            const QString t = toPlainText();
            m_link->write(t.isEmpty() ? QVariant() : QVariant(t));
        }
    });
}
void FieldMemo::setDataSource(DataSource *s) { m_link->setDataSource(s); }
void FieldMemo::setFieldName(const QString &n) { m_link->setFieldName(n); }

FieldCheckBox::FieldCheckBox(QWidget *parent) : QCheckBox(parent)
{
    setProperty("vornDataControl", QStringLiteral("edit"));  // the main window's data commands find it
    m_link = new FieldLink(this, [this] {
        Field *f = m_link->field();
        setChecked(f && !f->isNull() && f->asBoolean());
        setEnabled(f != nullptr);
    });
    connect(m_link, &FieldLink::dataError, this, &FieldCheckBox::dataError);
    connect(this, &QCheckBox::clicked, this, [this](bool on) {
        Field *f = m_link->field();
        m_link->write(f && fieldtype::isInteger(f->dataType()) ? QVariant(on ? 1 : 0) : QVariant(on));
    });
}
void FieldCheckBox::setDataSource(DataSource *s) { m_link->setDataSource(s); }
void FieldCheckBox::setFieldName(const QString &n) { m_link->setFieldName(n); }

// ---- numeric edit -----------------------------------------------------------------

FieldNumberEdit::FieldNumberEdit(QWidget *parent) : QLineEdit(parent)
{
    setProperty("vornDataControl", QStringLiteral("edit"));  // the main window's data commands find it
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_link = new FieldLink(this, [this] { show_(hasFocus()); });
    connect(m_link, &FieldLink::dataError, this, &FieldNumberEdit::dataError);
    connect(this, &QLineEdit::editingFinished, this, &FieldNumberEdit::commit);
}
void FieldNumberEdit::setDataSource(DataSource *s) { m_link->setDataSource(s); }
void FieldNumberEdit::setFieldName(const QString &n) { m_link->setFieldName(n); }
void FieldNumberEdit::setDisplayFormat(const QString &f) { m_format = f; show_(hasFocus()); }

void FieldNumberEdit::show_(bool editing)
{
    Field *f = m_link->field();
    setEnabled(f != nullptr);
    if (!f || f->isNull()) {
        setText(QString());
        return;
    }
    if (editing) {
        // every digit the value has: what is edited is what is stored
        const QVariant v = f->value();
        const int id = v.metaType().id();
        const QString t = id == QMetaType::Int || id == QMetaType::LongLong
            ? QString::number(v.toLongLong())
            : m_decimals >= 0 ? decimal::rounded(v.toDouble(), m_decimals) : decimal::plain(v.toDouble());
        setText(decimal::localized(t, QString(), QLocale().decimalPoint()));
    } else {
        const QString fmt = m_format.isEmpty() ? f->displayFormat() : m_format;
        setText(Field::formatValue(f->value(), f->dataType(), fmt));
    }
}

void FieldNumberEdit::commit()
{
    if (!isModified())
        return;
    setModified(false);
    const QString t = text().trimmed();
    if (t.isEmpty()) {
        m_link->write(QVariant());
        return;
    }
    QString plain = t;
    plain.remove(QLocale().groupSeparator()).remove(u' ').remove(QChar(0xa0)).remove(QChar(0x202f));
    plain.replace(QLocale().decimalPoint(), QStringLiteral(".")).replace(u',', u'.');
    const QString number = decimal::normalized(plain);
    // a number is stored as typed or refused, never rounded or cut on the way
    QString refusal;
    QVariant value;
    Field *f = m_link->field();
    if (number.isEmpty()) {
        refusal = QStringLiteral("«%1» — не число").arg(t);
    } else if (f && fieldtype::isInteger(f->dataType())) {
        qint64 i = 0;
        if (decimal::toInteger(number, &i))
            value = i;
        else
            refusal = QStringLiteral("Число %1 не целое или не помещается в 64 бита").arg(t);
    } else {
        const double d = number.toDouble();
        if (decimal::plain(d) == number)
            value = d;
        else
            refusal = QStringLiteral("Число %1 нельзя сохранить точно: в нём больше 15 значащих цифр").arg(t);
    }
    if (!refusal.isEmpty()) {
        Q_EMIT dataError(refusal);
        show_(hasFocus());
        return;
    }
    m_link->write(value);
}

void FieldNumberEdit::focusInEvent(QFocusEvent *e)
{
    QLineEdit::focusInEvent(e);
    show_(true);
}

void FieldNumberEdit::focusOutEvent(QFocusEvent *e)
{
    commit();
    QLineEdit::focusOutEvent(e);
    show_(false);
}

// ---- date edit --------------------------------------------------------------------

FieldDateEdit::FieldDateEdit(QWidget *parent) : QDateEdit(parent)
{
    setProperty("vornDataControl", QStringLiteral("edit"));  // the main window's data commands find it
    setCalendarPopup(true);
    setMinimumDate(QDate(1752, 9, 14));
    setSpecialValueText(QStringLiteral(" "));
    setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
    m_link = new FieldLink(this, [this] {
        Field *f = m_link->field();
        setEnabled(f != nullptr);
        if (!f || f->isNull())
            setNull();
        else
            setDate(f->asDate());
    });
    connect(m_link, &FieldLink::dataError, this, &FieldDateEdit::dataError);
    connect(this, &QDateEdit::dateChanged, this, [this](const QDate &d) {
        if (m_link->isReloading())
            return;
        Field *f = m_link->field();
        if (!f) return;
        if (d == minimumDate())
            m_link->write(QVariant());
        else if (f->dataType() == ftDateTime)
            m_link->write(QDateTime(d, f->isNull() ? QTime(0, 0) : f->asDateTime().time()));
        else
            m_link->write(d);
    });
}
void FieldDateEdit::setDataSource(DataSource *s) { m_link->setDataSource(s); }
void FieldDateEdit::setFieldName(const QString &n) { m_link->setFieldName(n); }

// ---- lookup combo -----------------------------------------------------------------

LookupComboBox::LookupComboBox(QWidget *parent) : QComboBox(parent)
{
    m_link = new FieldLink(this, [this] { sync(); });
    connect(m_link, &FieldLink::dataError, this, &LookupComboBox::dataError);
    connect(this, qOverload<int>(&QComboBox::activated), this, &LookupComboBox::chosen);
}

void LookupComboBox::setListSource(DataSource *s)
{
    for (const auto &c : m_listLinks)
        disconnect(c);
    m_listLinks.clear();
    m_list = s;
    if (s) {
        m_listLinks << connect(s, &DataSource::dataChanged, this, &LookupComboBox::rebuild);
        m_listLinks << connect(s, &DataSource::datasetChanged, this, &LookupComboBox::rebuild);
        m_listLinks << connect(s, &DataSource::currentChanged, this, &LookupComboBox::sync);
    }
    rebuild();
}

void LookupComboBox::setDataSource(DataSource *s) { m_link->setDataSource(s); }
void LookupComboBox::setDataField(const QString &n) { m_link->setFieldName(n); }

void LookupComboBox::rebuild()
{
    m_syncing = true;
    clear();
    Dataset *d = m_list ? m_list->dataset() : nullptr;
    if (d && d->isActive()) {
        const Field *key = d->findField(m_keyField);
        QList<const Field *> shown;
        for (const QString &n : m_listFields.split(u';', Qt::SkipEmptyParts))
            if (const Field *f = d->findField(n.trimmed())) shown << f;
        if (shown.isEmpty() && key) shown << key;
        for (int p = 0; p < d->recordCount(); ++p) {
            QStringList parts;
            for (const Field *f : shown)
                parts << Field::formatValue(d->valueAt(p, f->index()), f->dataType(), f->displayFormat());
            addItem(parts.join(QStringLiteral("  ")), key ? d->valueAt(p, key->index()) : QVariant(p));
        }
    }
    m_syncing = false;
    sync();
}

void LookupComboBox::sync()
{
    if (m_syncing)
        return;
    m_syncing = true;
    if (!m_link->fieldName().isEmpty()) {
        Field *f = m_link->field();
        setEnabled(f != nullptr);
        int idx = -1;
        if (f && !f->isNull()) {
            const QVariant v = f->value();
            for (int i = 0; i < count(); ++i)
                if (itemData(i) == v || itemData(i).toString() == v.toString()) { idx = i; break; }
        }
        setCurrentIndex(idx);
    } else {
        Dataset *d = m_list ? m_list->dataset() : nullptr;
        setCurrentIndex(d && d->isActive() && !d->isInserting() ? d->rowPosition() : -1);
    }
    m_syncing = false;
}

void LookupComboBox::chosen(int index)
{
    if (m_syncing || index < 0)
        return;
    if (!m_link->fieldName().isEmpty()) {
        m_link->write(itemData(index));
        return;
    }
    Dataset *d = m_list ? m_list->dataset() : nullptr;
    if (!d || !d->isActive())
        return;
    try {
        d->setRecNo(index + 1);
    } catch (const DataError &e) {
        Q_EMIT dataError(e.message());
        sync();
    }
}

} // namespace vorn
