// The link between a dataset and the widgets (and detail datasets) that follow it:
// relays the dataset's notifications while enabled.
#pragma once
#include <QObject>
#include <QPointer>
#include "platform/data/Dataset.h"

namespace vorn {

class Dataset;
class Field;

class DataSource : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int Tag READ tag WRITE setTag)
    Q_PROPERTY(bool enabled READ isEnabled WRITE setEnabled)

public:
    explicit DataSource(QObject *parent = nullptr);
    explicit DataSource(Dataset *dataset, QObject *parent = nullptr);

    Dataset *dataset() const { return m_dataset; }
    void setDataset(Dataset *dataset);
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool e);
    int tag() const { return m_tag; }
    void setTag(int t) { m_tag = t; }

Q_SIGNALS:
    void datasetChanged();             // another dataset was attached
    void dataChanged();                // rows changed as a whole
    void currentChanged();             // the cursor moved
    void stateChanged();               // browse/edit/insert/closed
    void fieldChanged(vorn::Field *f); // a value of the edited row changed

private:
    QPointer<Dataset> m_dataset;       // not owned
    bool m_enabled = true;             // relay notifications
    int m_tag = 0;                     // the design's Tag
    QList<QMetaObject::Connection> m_links; // connections to the dataset
};

} // namespace vorn
