// The client rectangle is what is kept: a top-level window placed with setGeometry() is
// positioned by its client area under every window manager (X11 static gravity), while
// the frame's size is unknown until the window manager has decorated the window, so a
// frame position read back and set again as the client's would drift by the title bar.
#include "platform/widgets/WindowPlacement.h"

#include "platform/core/SettingsStore.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMdiSubWindow>
#include <QScreen>
#include <QWidget>

namespace vorn {

namespace {
const QString kLeft = QStringLiteral("Left");
const QString kTop = QStringLiteral("Top");
const QString kWidth = QStringLiteral("Width");
const QString kHeight = QStringLiteral("Height");
const QString kMaximized = QStringLiteral("Maximized");
} // namespace

WindowPlacement::WindowPlacement(QWidget *window, const QString &appName, const QString &key, int parts)
    : QObject(window), m_window(window), m_store(nullptr), m_appName(appName), m_key(key), m_parts(parts)
{
    window->installEventFilter(this);
    m_normal = window->geometry();
}

WindowPlacement::WindowPlacement(QWidget *window, SettingsStore *store, const QString &key, int parts)
    : QObject(window), m_window(window), m_store(store), m_key(key), m_parts(parts)
{
    window->installEventFilter(this);
    m_normal = window->geometry();
}

WindowPlacement::~WindowPlacement() { save(); }

void WindowPlacement::withStore(const std::function<void(SettingsStore &)> &f) const
{
    if (m_store) {
        f(*m_store);
    } else {
        SettingsStore store(m_appName);
        f(store);
    }
}

bool WindowPlacement::restore()
{
    if (!m_window)
        return false;
    bool hasPos = false, hasSize = false, maximized = false;
    QPoint pos;
    QSize size;
    withStore([&](SettingsStore &store) {
        hasPos = (m_parts & Position) && store.valueExists(m_key, kLeft) && store.valueExists(m_key, kTop);
        hasSize = (m_parts & Size) && store.valueExists(m_key, kWidth) && store.valueExists(m_key, kHeight);
        maximized = (m_parts & Maximized) && store.readBool(m_key, kMaximized);
        pos = QPoint(int(store.readInteger(m_key, kLeft)), int(store.readInteger(m_key, kTop)));
        size = QSize(int(store.readInteger(m_key, kWidth)), int(store.readInteger(m_key, kHeight)));
    });
    if (!hasPos && !hasSize && !maximized)
        return false;
    QWidget *w = m_window;
    if (!hasSize && !w->testAttribute(Qt::WA_Resized))
        w->adjustSize();  // what showing would have done; the size stays the window's own
    QRect r = w->geometry();
    if (hasSize)
        r.setSize(size.expandedTo(w->minimumSize()).boundedTo(w->maximumSize()));
    if (hasPos) {
        // a top-level window kept on a screen that is gone stays where it would open
        bool onScreen = !w->isWindow();
        for (const QScreen *s : QGuiApplication::screens())
            onScreen = onScreen || s->geometry().contains(pos);
        if (onScreen)
            r.moveTopLeft(pos);
    }
    w->setGeometry(r);
    m_normal = m_previous = w->geometry();
    if (maximized) {
        if (auto *sub = qobject_cast<QMdiSubWindow *>(w); sub && sub->isVisible())
            sub->showMaximized();
        else
            w->setWindowState(w->windowState() | Qt::WindowMaximized);
    }
    m_maximized = maximized;
    return true;
}

void WindowPlacement::save() const
{
    if (!m_seen)
        return;
    withStore([this](SettingsStore &store) {
        if (m_parts & Position) {
            store.writeInteger(m_key, kLeft, m_normal.x());
            store.writeInteger(m_key, kTop, m_normal.y());
        }
        if (m_parts & Size) {
            store.writeInteger(m_key, kWidth, m_normal.width());
            store.writeInteger(m_key, kHeight, m_normal.height());
        }
        if (m_parts & Maximized)
            store.writeBool(m_key, kMaximized, m_maximized);
    });
}

void WindowPlacement::follow()
{
    QWidget *w = m_window;
    if (!w || !w->isVisible())
        return;
    if (w->windowState() & Qt::WindowMinimized)
        return;
    m_seen = true;
    m_maximized = w->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen);
    if (m_maximized) {
        // The maximised rectangle may have been reported before the state: then the
        // normal one is the rectangle before it.
        const QRect whole = w->isWindow() ? QRect() : w->parentWidget()->rect();
        if (w->isWindow()) {
            if (m_normal == w->geometry() && w->normalGeometry().isValid())
                m_normal = w->normalGeometry();
        } else if (m_normal == whole && m_previous.isValid()) {
            m_normal = m_previous;
        }
        return;
    }
    if (w->geometry() != m_normal) {
        m_previous = m_normal;
        m_normal = w->geometry();
    }
}

bool WindowPlacement::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window) {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::WindowStateChange: follow(); break;
        case QEvent::Hide: save(); break;
        default: break;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace vorn
