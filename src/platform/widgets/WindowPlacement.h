// Where a window was: the position and size of its client area in normal state and
// whether it was maximised, kept in the per-user settings store under the window's key
// ("Left", "Top", "Width", "Height", "Maximized"). Serves top-level windows and MDI
// sub-windows alike; the saved rectangle is the one restore() gives back, exactly.
#pragma once
#include <QObject>
#include <QPointer>
#include <QRect>
#include <functional>

class QWidget;

namespace vorn {

class SettingsStore;

class WindowPlacement : public QObject
{
    Q_OBJECT
public:
    enum Part { Position = 1, Size = 2, Maximized = 4, All = Position | Size | Maximized };

    // Watches window (and dies with it): the normal geometry is followed while the window
    // is shown, and written when it is hidden or destroyed. appName names the store, opened
    // afresh for each read and write; or the caller's store is used (it must outlive window).
    WindowPlacement(QWidget *window, const QString &appName, const QString &key, int parts = All);
    WindowPlacement(QWidget *window, SettingsStore *store, const QString &key, int parts = All);
    ~WindowPlacement() override;

    // Puts the window where the store says; call before the window is first shown (a
    // top-level window) or while its sub-window is being shown. False when nothing is stored.
    bool restore();
    void save() const;
    QRect normalGeometry() const { return m_normal; }
    bool wasMaximized() const { return m_maximized; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void follow();
    void withStore(const std::function<void(SettingsStore &)> &f) const;

    QPointer<QWidget> m_window;  // the placed window
    SettingsStore *m_store;      // the caller's store, or null: opened by m_appName
    QString m_appName, m_key;    // the store and the key under it
    int m_parts;                 // what is stored
    QRect m_normal;              // client geometry in normal state
    QRect m_previous;            // the one before: a window manager may resize before it says "maximised"
    bool m_maximized = false;    // maximised when last seen
    bool m_seen = false;         // shown at least once: only then is there anything to save
};

} // namespace vorn
