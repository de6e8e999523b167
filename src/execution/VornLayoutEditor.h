// The layout source editor used to design a report until the visual designer
// exists: the layout's XML with highlighting, a preview, and a check by the engine
// before anything is stored.
#pragma once
#include <QDialog>

class QPlainTextEdit;

class TfrmLayoutEditor : public QDialog
{
    Q_OBJECT
public:
    TfrmLayoutEditor(const QByteArray &xml, const QString &title, QWidget *parent = nullptr);

    QByteArray LayoutXml() const;
    void SetLayoutXml(const QByteArray &xml);
    QPlainTextEdit *Editor() const { return m_edit; }
    // The engine's verdict on the text: empty when it is a valid layout.
    QString Check() const;

    void accept() override;   // refuses an invalid layout with the engine's error
    void Preview();           // the layout as it prints, on the catalogue's data

private:
    QPlainTextEdit *m_edit;
};
