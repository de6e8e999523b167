// The program's preview window "Предварительный просмотр отчёта" over the engine's
// preview widget: zoom and page tool bar, progress and page status, print, save
// and load of generated reports; it closes when the user turns to another program window.
#pragma once
#include <QMainWindow>
#include <QPointer>

class QAction;
class QActionGroup;
class QLabel;
class QToolButton;
namespace vorn::report {
class ReportPages;
class ReportPreview;
}

class TQRRussianPreview : public QMainWindow
{
    Q_OBJECT
public:
    explicit TQRRussianPreview(QWidget *parent = nullptr);
    ~TQRRussianPreview() override;

    vorn::report::ReportPages *Pages() const { return m_pages; }
    vorn::report::ReportPreview *Preview() const { return m_preview; }
    QString ProgressText() const;
    QString PageText() const;

    void SaveReport(const QString &fileName, const QString &filter);
    bool LoadReport(const QString &fileName);   // "File does not exist" when missing
    static QString SaveFilter();                 // the saved-report format, then the exports

public Q_SLOTS:
    void SetProgress(int percent);
    void actnPrintSetupExecute();
    void actnPrintExecute();
    void actnSaveExecute();
    void actnLoadExecute();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void updateCaption();
    void updatePageStatus();
    void releaseFitButtons();

    vorn::report::ReportPages *m_pages;
    vorn::report::ReportPreview *m_preview;
    QActionGroup *m_fitGroup;
    QAction *m_whole, *m_actual, *m_width, *m_printSetup;
    QToolButton *m_zoomButton;
    QLabel *m_progress, *m_pageLabel;
    int m_shownProgress = 0;
    bool m_closedOnce = false;
    bool m_beenActive = false;  // once active itself, another window's activation closes it
};

// Where the engine's preview goes for the whole program.
class TQRRussianPreviewInterface
{
public:
    static TQRRussianPreview *Show();      // created, shown and brought to the front
    static int ShowModal(TQRRussianPreview *preview);
};
