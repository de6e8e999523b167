// Image viewer: debounced picture loading on row moves, zoom and fit modes. The
// window position is kept in the per-user settings.
#include "execution/fVornBLOB2.h"

#include "database/VornMessages.h"
#include "execution/fVornQryBro.h"
#include "platform/core/SettingsStore.h"
#include "platform/core/SystemInfo.h"
#include "platform/data/DataSource.h"
#include "platform/data/Dataset.h"

#include <QActionGroup>
#include <QBuffer>
#include <QImageReader>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

TfrmVornBLOBimage::TfrmVornBLOBimage(const QString &fieldName, vorn::DataSource *source, QWidget *parent)
    : QWidget(parent), m_fieldName(fieldName), m_source(source)
{
    setObjectName(QStringLiteral("frmVornBLOBimage"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Поле :") + fieldName);
    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    auto *bar = new QToolBar(this);
    auto toggle = [bar](const QString &text, const char *name) {
        auto *b = new QToolButton(bar);
        b->setText(text);
        b->setObjectName(QLatin1String(name));
        b->setCheckable(true);
        b->setAutoExclusive(true);
        bar->addWidget(b);
        return b;
    };
    m_btnWhole = toggle(QStringLiteral("Целая страница"), "btnWhole");
    m_btn100 = toggle(QStringLiteral("100%"), "btn100");
    m_btnWidth = toggle(QStringLiteral("По ширине страницы"), "btnWidth");
    m_btn100->setChecked(true);
    connect(m_btnWhole, &QToolButton::clicked, this, [this] { SetFitMode(FitWhole); });
    connect(m_btn100, &QToolButton::clicked, this, [this] { SetFitMode(FitNatural); });
    connect(m_btnWidth, &QToolButton::clicked, this, [this] { SetFitMode(FitWidth); });
    bar->addSeparator();
    m_btnZoom = new QToolButton(bar);
    m_btnZoom->setObjectName(QStringLiteral("btnZoom"));
    m_btnZoom->setToolTip(QStringLiteral("Маштаб"));
    m_btnZoom->setPopupMode(QToolButton::InstantPopup);
    auto *menu = new QMenu(m_btnZoom);
    for (const char *p : {"500%", "200%", "100%", " 75%", " 50%", " 20%"}) {
        const QString text = QLatin1String(p);
        menu->addAction(text, this, [this, text] { ChoosePreset(text.trimmed().chopped(1).toInt()); });
    }
    m_btnZoom->setMenu(menu);
    bar->addWidget(m_btnZoom);
    auto *up = new QToolButton(bar);
    up->setText(QStringLiteral("+"));
    up->setToolTip(QStringLiteral("Изменение маштаба +/- 5%"));
    connect(up, &QToolButton::clicked, this, [this] { Spin(5); });
    auto *down = new QToolButton(bar);
    down->setText(QStringLiteral("-"));
    down->setToolTip(QStringLiteral("Изменение маштаба +/- 5%"));
    connect(down, &QToolButton::clicked, this, [this] { Spin(-5); });
    bar->addWidget(up);
    bar->addWidget(down);
    bar->addSeparator();
    bar->addAction(QStringLiteral("Сохранить Image"));  // has no effect, as it never had
    bar->addAction(QStringLiteral("Выход"), this, [this] { close(); });
    lay->addWidget(bar);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("ScrollBox1"));
    m_box = new QLabel;
    m_box->setObjectName(QStringLiteral("Image1"));
    m_box->setScaledContents(true);
    m_scroll->setWidget(m_box);
    lay->addWidget(m_scroll, 1);

    m_timer.setSingleShot(true);
    m_timer.setInterval(300);
    connect(&m_timer, &QTimer::timeout, this, &TfrmVornBLOBimage::LoadPicture);
    if (source) {
        m_link1 = connect(source, &vorn::DataSource::currentChanged, this, &TfrmVornBLOBimage::rowMoved);
        m_link2 = connect(source, &vorn::DataSource::dataChanged, this, &TfrmVornBLOBimage::rowMoved);
    }
    vorn::SettingsStore store(vorn::sysinfo::executableBaseName());
    const QString key = QStringLiteral("frmVornBLOBimage");
    resize(int(store.readInteger(key, QStringLiteral("Width"), 520)), int(store.readInteger(key, QStringLiteral("Height"), 420)));
    applyZoom();
    m_timer.start();
}

TfrmVornBLOBimage::~TfrmVornBLOBimage()
{
    disconnect(m_link1);
    disconnect(m_link2);
    m_timer.stop();
    vorn::SettingsStore store(vorn::sysinfo::executableBaseName());
    const QString key = QStringLiteral("frmVornBLOBimage");
    const QWidget *frame = qobject_cast<QMdiSubWindow *>(parentWidget()) ? parentWidget() : this;
    store.writeInteger(key, QStringLiteral("Left"), frame->x());
    store.writeInteger(key, QStringLiteral("Top"), frame->y());
    store.writeInteger(key, QStringLiteral("Width"), width());
    store.writeInteger(key, QStringLiteral("Height"), height());
}

void TfrmVornBLOBimage::rowMoved() { m_timer.start(); }

QImage TfrmVornBLOBimage::Decode(const QByteArray &data)
{
    QImage img;
    if (img.loadFromData(data, "GIF"))
        return img;
    if (img.loadFromData(data, "JPEG"))
        return img;
    img.loadFromData(data);  // the stand-in for the plain bitmap load: any format Qt reads
    return img;
}

void TfrmVornBLOBimage::LoadPicture()
{
    QByteArray data;
    if (m_source && m_source->dataset() && m_source->dataset()->isActive() && !m_source->dataset()->isEmpty())
        if (vorn::Field *f = m_source->dataset()->findField(m_fieldName))
            data = f->asBytes();
    m_image = Decode(data);
    ++m_loads;
    m_box->setPixmap(QPixmap::fromImage(m_image));
    if (m_fit != FitNone && m_fit != FitNatural)
        applyFit();
    else
        applyZoom();
}

int TfrmVornBLOBimage::FitWidthZoom(int areaWidth, int scrollBarWidth, int pictureWidth, int current)
{
    if (pictureWidth <= 0)
        return current;
    return int(std::trunc(double(areaWidth - scrollBarWidth - 4) / pictureWidth * 100)) - 1;
}

int TfrmVornBLOBimage::FitWholeZoom(int areaWidth, int scrollBarWidth, int areaHeight, int scrollBarHeight,
                                     QSize picture, int current)
{
    if (picture.width() <= 0 || picture.height() <= 0)
        return current;
    return std::min(FitWidthZoom(areaWidth, scrollBarWidth, picture.width(), current),
                    FitWidthZoom(areaHeight, scrollBarHeight, picture.height(), current));
}

void TfrmVornBLOBimage::SetZoom(int percent)
{
    if (percent <= 0)
        return;
    m_zoom = percent;
    applyZoom();
}

void TfrmVornBLOBimage::ChoosePreset(int percent)
{
    SetFitMode(FitNone);
    SetZoom(percent);
}

void TfrmVornBLOBimage::Spin(int delta)
{
    SetFitMode(FitNone);
    SetZoom(m_zoom + delta);
}

void TfrmVornBLOBimage::SetFitMode(FitMode mode)
{
    m_fit = mode;
    if (mode == FitNone) {
        // release the three grouped buttons
        for (QToolButton *b : {m_btnWhole, m_btn100, m_btnWidth}) {
            b->setAutoExclusive(false);
            b->setChecked(false);
            b->setAutoExclusive(true);
        }
        return;
    }
    m_btnWhole->setChecked(mode == FitWhole);
    m_btn100->setChecked(mode == FitNatural);
    m_btnWidth->setChecked(mode == FitWidth);
    if (mode == FitNatural)
        SetZoom(100);
    else
        applyFit();
}

void TfrmVornBLOBimage::applyFit()
{
    const QSize area = m_scroll->size();
    const int vsb = m_scroll->verticalScrollBar()->sizeHint().width();
    const int hsb = m_scroll->horizontalScrollBar()->sizeHint().height();
    if (m_fit == FitWidth)
        SetZoom(FitWidthZoom(area.width(), vsb, m_image.width(), m_zoom));
    else if (m_fit == FitWhole)
        SetZoom(FitWholeZoom(area.width(), vsb, area.height(), hsb, m_image.size(), m_zoom));
}

void TfrmVornBLOBimage::applyZoom()
{
    m_btnZoom->setText(QString::number(m_zoom) + u'%');
    if (m_image.isNull()) {
        m_box->resize(0, 0);
        return;
    }
    if (m_zoom == 100)
        m_box->resize(m_image.size());
    else
        m_box->resize(int(std::lround(m_image.width() * m_zoom / 100.0)), int(std::lround(m_image.height() * m_zoom / 100.0)));
}

void TfrmVornBLOBimage::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    if (m_fit == FitWidth || m_fit == FitWhole)
        applyFit();
    else
        applyZoom();
}

TfrmVornBLOBimage *ShowBlobImage(TfrmVornQueryBro *browser, const QString &fieldName, vorn::DataSource *source)
{
    if (browser)
        for (QWidget *w : browser->Viewers())
            if (auto *v = qobject_cast<TfrmVornBLOBimage *>(w))
                if (v->FieldName() == fieldName && v->Source() == source) {
                    if (auto *sub = qobject_cast<QMdiSubWindow *>(v->parentWidget()))
                        if (QMdiArea *area = MdiArea())
                            area->setActiveSubWindow(sub);
                    v->raise();
                    return v;
                }
    auto *v = new TfrmVornBLOBimage(fieldName, source);
    if (browser)
        browser->AddViewer(v);
    // where the user left the last one
    const vorn::SettingsStore store(vorn::sysinfo::executableBaseName());
    const QString key = QStringLiteral("frmVornBLOBimage");
    const bool placed = store.valueExists(key, QStringLiteral("Left"));
    const QPoint at(int(store.readInteger(key, QStringLiteral("Left"))), int(store.readInteger(key, QStringLiteral("Top"))));
    if (QMdiArea *area = MdiArea()) {
        QMdiSubWindow *sub = area->addSubWindow(v);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        if (placed)
            sub->move(at);
        sub->show();
    } else {
        if (placed)
            v->move(at);
        v->show();
    }
    return v;
}
