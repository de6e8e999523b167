// Navigator bar.
#include "platform/widgets/DataNavigator.h"
#include "platform/data/DataError.h"
#include "platform/data/DataSource.h"
#include "platform/data/Dataset.h"

#include <QHBoxLayout>
#include <QStyle>
#include <QToolButton>

namespace vorn {

DataNavigator::DataNavigator(QWidget *parent) : QWidget(parent)
{
    auto *lay = new QHBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(1);
    const struct { Button b; const char *text; const char *hint; QStyle::StandardPixmap icon; } defs[] = {
        {First, "|<", "Первая запись", QStyle::SP_MediaSkipBackward},
        {Prior, "<", "Предыдущая запись", QStyle::SP_MediaSeekBackward},
        {Next, ">", "Следующая запись", QStyle::SP_MediaSeekForward},
        {Last, ">|", "Последняя запись", QStyle::SP_MediaSkipForward},
        {Insert, "+", "Вставить запись", QStyle::SP_FileDialogNewFolder},
        {Delete, "-", "Удалить запись", QStyle::SP_TrashIcon},
        {Edit, "^", "Изменить запись", QStyle::SP_FileDialogDetailedView},
        {Post, "v", "Сохранить изменения", QStyle::SP_DialogApplyButton},
        {Cancel, "x", "Отменить изменения", QStyle::SP_DialogCancelButton},
        {Refresh, "@", "Обновить данные", QStyle::SP_BrowserReload},
    };
    for (const auto &d : defs) {
        auto *tb = new QToolButton(this);
        tb->setText(QString::fromUtf8(d.text));
        tb->setToolTip(QString::fromUtf8(d.hint));
        tb->setIcon(style()->standardIcon(d.icon));
        tb->setAutoRaise(true);
        lay->addWidget(tb);
        const Button b = d.b;
        connect(tb, &QToolButton::clicked, this, [this, b] { click(b); });
        m_buttons.append({b, tb});
    }
    lay->addStretch();
    updateButtons();
}

QToolButton *DataNavigator::button(Button b) const
{
    for (const auto &p : m_buttons)
        if (p.first == b)
            return p.second;
    return nullptr;
}

void DataNavigator::setDataSource(DataSource *source)
{
    for (const auto &c : m_links)
        disconnect(c);
    m_links.clear();
    m_source = source;
    if (source) {
        m_links << connect(source, &DataSource::stateChanged, this, &DataNavigator::updateButtons);
        m_links << connect(source, &DataSource::dataChanged, this, &DataNavigator::updateButtons);
        m_links << connect(source, &DataSource::currentChanged, this, &DataNavigator::updateButtons);
        m_links << connect(source, &DataSource::fieldChanged, this, &DataNavigator::updateButtons);
        m_links << connect(source, &DataSource::datasetChanged, this, &DataNavigator::updateButtons);
    }
    updateButtons();
}

void DataNavigator::setVisibleButtons(Buttons b)
{
    m_visible = b;
    for (const auto &p : m_buttons)
        p.second->setVisible(b.testFlag(p.first));
}

void DataNavigator::updateButtons()
{
    Dataset *d = m_source ? m_source->dataset() : nullptr;
    const bool active = d && d->isActive();
    const bool editing = active && (d->state() == DatasetState::Edit || d->state() == DatasetState::Insert);
    const bool canMove = active && !editing;
    const bool canWrite = active && !d->isReadOnly();
    for (const auto &p : m_buttons) {
        bool on = false;
        switch (p.first) {
        case First: case Prior: on = canMove && !d->bof(); break;
        case Next: case Last: on = canMove && !d->eof(); break;
        case Insert: on = canWrite && !editing; break;
        case Delete: on = canWrite && !d->isEmpty(); break;
        case Edit: on = canWrite && !editing && !d->isEmpty(); break;
        case Post: case Cancel: on = editing; break;
        case Refresh: on = active && !editing; break;
        default: break;
        }
        p.second->setEnabled(on);
    }
}

void DataNavigator::click(Button b)
{
    if (m_before && !m_before(b))
        return;
    Dataset *d = m_source ? m_source->dataset() : nullptr;
    if (!d)
        return;
    try {
        switch (b) {
        case First: d->first(); break;
        case Prior: d->prior(); break;
        case Next: d->next(); break;
        case Last: d->last(); break;
        case Insert: d->insert(); break;
        case Delete: d->deleteRecord(); break;
        case Edit: d->edit(); break;
        case Post: d->post(); break;
        case Cancel: d->cancel(); break;
        case Refresh: d->refresh(); break;
        default: break;
        }
    } catch (const DataError &e) {
        updateButtons();
        Q_EMIT dataError(e.message());
        return;
    }
    updateButtons();
    Q_EMIT clicked(b);
}

} // namespace vorn
