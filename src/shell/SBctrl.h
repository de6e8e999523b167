// The main window's status bar: three text panels that widen to fit their text and
// an owner-drawn message panel whose text, colour and font style scripts set.
#pragma once
#include <QColor>
#include <QLabel>
#include <QPointer>
#include <QStatusBar>
#include <QVector>

// Font style bits of the message panel.
enum TSBFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4 };

// Panel 3: paints its controller's text 3 px from the left, nothing when blank.
class TSBMessagePanel : public QWidget
{
    Q_OBJECT
public:
    explicit TSBMessagePanel(QWidget *parent = nullptr);
    QString text;       // shown text
    QColor color;       // text colour
    int style = 0;      // TSBFontStyle bits
protected:
    void paintEvent(QPaintEvent *) override;
};

// TSBctrl: owner of the message panel's state.
class TSBctrl : public QObject
{
    Q_OBJECT
public:
    TSBctrl(QStatusBar *bar, TSBMessagePanel *panel, QObject *parent = nullptr);
    QString Text() const { return m_panel->text; }
    void SetText(const QString &text);  // clears the simple text and repaints at once
    QColor Color() const { return m_panel->color; }
    void SetColor(const QColor &c);
    int FontStyle() const { return m_panel->style; }
    void SetFontStyle(int bits);
private:
    void repaintNow();
    QPointer<QStatusBar> m_bar;
    QPointer<TSBMessagePanel> m_panel;
};

class TVornStatusBar : public QStatusBar
{
    Q_OBJECT
public:
    explicit TVornStatusBar(QWidget *parent = nullptr);
    QLabel *Panel(int i) const { return m_panels.value(i); }  // panels 0..2
    int PanelWidth(int i) const;
    TSBMessagePanel *MessagePanel() const { return m_message; }
    // Writes panel i; widens it to the text's width + 6 px when narrower.
    void SetStatusText(int i, const QString &text);
private:
    QVector<QLabel *> m_panels;
    TSBMessagePanel *m_message;
};
