// The navigator bar: any subset of first / prior / next / last / insert / delete /
// edit / post / cancel / refresh over a data source, enabled by the dataset's state,
// with a before-action hook that may do the work itself and suppress the default.
#pragma once
#include <QPointer>
#include <QWidget>
#include <functional>

class QToolButton;

#include "platform/data/DataSource.h"

namespace vorn {

class DataSource;

class DataNavigator : public QWidget
{
    Q_OBJECT
public:
    enum Button { First = 0x1, Prior = 0x2, Next = 0x4, Last = 0x8, Insert = 0x10, Delete = 0x20,
                  Edit = 0x40, Post = 0x80, Cancel = 0x100, Refresh = 0x200, AllButtons = 0x3ff };
    Q_DECLARE_FLAGS(Buttons, Button)

    // Return false to suppress the default action of the button.
    using BeforeAction = std::function<bool(Button)>;

    explicit DataNavigator(QWidget *parent = nullptr);

    DataSource *dataSource() const { return m_source; }
    void setDataSource(DataSource *source);
    Buttons visibleButtons() const { return m_visible; }
    void setVisibleButtons(Buttons b);
    void setBeforeAction(BeforeAction hook) { m_before = std::move(hook); }
    QToolButton *button(Button b) const;     // for tests and tool tips
    void click(Button b);                    // as a press on the button

Q_SIGNALS:
    void clicked(vorn::DataNavigator::Button button);  // after the action
    void dataError(const QString &message);              // the action failed

private:
    void updateButtons();

    QPointer<DataSource> m_source;           // not owned
    Buttons m_visible = AllButtons;          // shown buttons
    BeforeAction m_before;                   // the hook
    QList<QPair<Button, QToolButton *>> m_buttons; // in bar order
    QList<QMetaObject::Connection> m_links;  // to the data source
};

} // namespace vorn

Q_DECLARE_OPERATORS_FOR_FLAGS(vorn::DataNavigator::Buttons)
