// Data source: relays dataset notifications.
#include "platform/data/DataSource.h"
#include "platform/data/Dataset.h"

namespace vorn {

DataSource::DataSource(QObject *parent) : QObject(parent) {}

DataSource::DataSource(Dataset *dataset, QObject *parent) : QObject(parent) { setDataset(dataset); }

void DataSource::setDataset(Dataset *dataset)
{
    if (m_dataset == dataset)
        return;
    for (const auto &c : m_links)
        disconnect(c);
    m_links.clear();
    m_dataset = dataset;
    if (dataset) {
        const auto relay = [this](auto signal, auto mine) {
            m_links << connect(m_dataset.data(), signal, this, [this, mine] { if (m_enabled) Q_EMIT (this->*mine)(); });
        };
        relay(&Dataset::dataChanged, &DataSource::dataChanged);
        relay(&Dataset::currentChanged, &DataSource::currentChanged);
        relay(&Dataset::stateChanged, &DataSource::stateChanged);
        m_links << connect(dataset, &Dataset::fieldChanged, this, [this](Field *f) {
            if (m_enabled) Q_EMIT fieldChanged(f);
        });
        m_links << connect(dataset, &QObject::destroyed, this, [this] { setDataset(nullptr); });
    }
    Q_EMIT datasetChanged();
}

void DataSource::setEnabled(bool e)
{
    if (m_enabled == e)
        return;
    m_enabled = e;
    if (e) {
        Q_EMIT dataChanged();
        Q_EMIT currentChanged();
    }
}

} // namespace vorn
