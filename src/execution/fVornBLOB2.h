// The image viewer of a BLOB or picture field of a result browser: decodes the
// current row's picture 300 ms after the last row change, with zoom presets, a ±5 %
// spin and the fit-width / whole-picture modes.
#pragma once
#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>

class QLabel;
class QScrollArea;
class QToolButton;
class TfrmVornQueryBro;
#include "platform/data/DataSource.h"

class TfrmVornBLOBimage : public QWidget
{
    Q_OBJECT
public:
    enum FitMode { FitNone, FitWhole, FitNatural, FitWidth };

    TfrmVornBLOBimage(const QString &fieldName, vorn::DataSource *source, QWidget *parent = nullptr);
    ~TfrmVornBLOBimage() override;

    QString FieldName() const { return m_fieldName; }
    vorn::DataSource *Source() const { return m_source; }
    int Zoom() const { return m_zoom; }
    void SetZoom(int percent);           // 0 or less is ignored; releases nothing
    void ChoosePreset(int percent);      // a drop-down preset: releases the fit buttons
    void Spin(int delta);                // ±5: releases the fit buttons
    void SetFitMode(FitMode mode);
    FitMode Fit() const { return m_fit; }
    const QImage &Picture() const { return m_image; }
    int LoadCount() const { return m_loads; }   // pictures loaded so far
    QTimer *LoadTimer() { return &m_timer; }
    QLabel *PictureBox() const { return m_box; }
    QScrollArea *ScrollArea() const { return m_scroll; }
    void LoadPicture();                  // what the timer runs

    // The fit zooms: (area - scroll bar - 4) / picture x 100, integer part, minus 1;
    // the current zoom when the picture has no size.
    static int FitWidthZoom(int areaWidth, int scrollBarWidth, int pictureWidth, int current);
    static int FitWholeZoom(int areaWidth, int scrollBarWidth, int areaHeight, int scrollBarHeight, QSize picture,
                            int current);
    // GIF first, then JPEG, then whatever Qt reads.
    static QImage Decode(const QByteArray &data);

protected:
    void resizeEvent(QResizeEvent *e) override;

private:
    void rowMoved();
    void applyZoom();
    void applyFit();

    QString m_fieldName;
    QPointer<vorn::DataSource> m_source;    // the browser's, not owned
    QMetaObject::Connection m_link1, m_link2;
    QTimer m_timer;                          // 300 ms debounce of row moves
    QImage m_image;                          // the decoded picture
    int m_zoom = 100;                        // percent
    int m_loads = 0;
    FitMode m_fit = FitNatural;
    QScrollArea *m_scroll;
    QLabel *m_box;
    QToolButton *m_btnWhole, *m_btn100, *m_btnWidth, *m_btnZoom;
};

TfrmVornBLOBimage *ShowBlobImage(TfrmVornQueryBro *browser, const QString &fieldName, vorn::DataSource *source);
