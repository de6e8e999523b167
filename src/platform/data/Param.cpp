// Parameter values and lists.
#include "platform/data/Param.h"
#include "platform/data/DataError.h"

#include <QFile>

namespace vorn {

void Param::setValue(const QVariant &v)
{
    m_value = v;
    m_bound = true;
    if (m_dataType == ftUnknown && v.isValid())
        m_dataType = fieldtype::fromMetaType(v.metaType().id());
}

void Param::loadFromFile(const QString &fileName, FieldType type)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        throw DataError(QStringLiteral("Не удалось открыть файл %1").arg(fileName));
    const QByteArray data = f.readAll();
    if (type == ftMemo || type == ftFmtMemo)
        set(type, QString::fromUtf8(data));
    else
        set(type, data);
}

QVariant Param::typedValue() const
{
    if (m_value.isNull() || m_dataType == ftUnknown)
        return m_value;
    bool ok = true;
    QVariant v = fieldtype::convert(m_value, m_dataType, &ok);
    if (!ok)
        throw DataError(QStringLiteral("\"%1\" - неверное значение параметра \"%2\"")
                            .arg(m_value.toString(), m_name));
    return v;
}

Param *ParamList::findParam(const QString &name)
{
    for (Param &p : m_items)
        if (p.name().compare(name, Qt::CaseInsensitive) == 0)
            return &p;
    return nullptr;
}

const Param *ParamList::findParam(const QString &name) const
{
    return const_cast<ParamList *>(this)->findParam(name);
}

Param &ParamList::paramByName(const QString &name)
{
    if (Param *p = findParam(name))
        return *p;
    throw DataError(QStringLiteral("Параметр \"%1\" не найден").arg(name));
}

void ParamList::assignNames(const QStringList &names)
{
    QList<Param> next;
    for (const QString &n : names) {
        if (const Param *old = findParam(n)) {
            Param p = *old;
            p.setName(n);
            next.append(p);
        } else {
            next.append(Param(n));
        }
    }
    m_items = next;
}

} // namespace vorn
