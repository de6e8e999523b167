#include "shell/SBctrl.h"

#include <QApplication>
#include <QPainter>

TSBMessagePanel::TSBMessagePanel(QWidget *parent) : QWidget(parent), color(Qt::black)
{
    setObjectName(QStringLiteral("StatusMessagePanel"));
    setMinimumWidth(50);
}

void TSBMessagePanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    if (text.trimmed().isEmpty())
        return;
    QFont f = font();
    f.setBold(style & fsBold);
    f.setItalic(style & fsItalic);
    f.setUnderline(style & fsUnderline);
    p.setFont(f);
    p.setPen(color);
    p.drawText(rect().adjusted(3, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
}

TSBctrl::TSBctrl(QStatusBar *bar, TSBMessagePanel *panel, QObject *parent)
    : QObject(parent), m_bar(bar), m_panel(panel)
{
}

void TSBctrl::repaintNow()
{
    // Scripts set the text in the middle of long work: show it before going on.
    QCoreApplication::processEvents();
    if (m_panel)
        m_panel->repaint();
    if (m_bar)
        m_bar->repaint();
    QCoreApplication::processEvents();
}

void TSBctrl::SetText(const QString &text)
{
    m_panel->text = text;
    if (m_bar)
        m_bar->clearMessage();
    repaintNow();
}

void TSBctrl::SetColor(const QColor &c)
{
    m_panel->color = c;
    m_panel->update();
}

void TSBctrl::SetFontStyle(int bits)
{
    m_panel->style = bits & (fsBold | fsItalic | fsUnderline);
    m_panel->update();
}

TVornStatusBar::TVornStatusBar(QWidget *parent) : QStatusBar(parent)
{
    setObjectName(QStringLiteral("StatusBar1"));
    setSizeGripEnabled(false);
    const int widths[] = {100, 150, 150};
    for (int i = 0; i < 3; ++i) {
        auto *l = new QLabel(this);
        l->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setFixedWidth(widths[i]);
        addPermanentWidget(l);
        m_panels << l;
    }
    m_message = new TSBMessagePanel(this);
    addPermanentWidget(m_message, 1);
}

int TVornStatusBar::PanelWidth(int i) const { return m_panels.value(i) ? m_panels[i]->width() : 0; }

void TVornStatusBar::SetStatusText(int i, const QString &text)
{
    QLabel *l = m_panels.value(i);
    if (!l)
        return;
    l->setText(text);
    const int need = l->fontMetrics().horizontalAdvance(text) + 6;
    if (l->minimumWidth() < need)
        l->setFixedWidth(need);
}
