// The text viewer of a memo field of a result browser: plain text or rich text,
// following the browser's current row.
#pragma once
#include <QPointer>
#include <QWidget>

class QCheckBox;
class QTextEdit;
class TfrmVornQueryBro;
#include "platform/data/DataSource.h"

class TfrmVornBLOBtxt : public QWidget
{
    Q_OBJECT
public:
    TfrmVornBLOBtxt(const QString &fieldName, vorn::DataSource *source, QWidget *parent = nullptr);
    QString FieldName() const { return m_fieldName; }
    vorn::DataSource *Source() const { return m_source; }
    QTextEdit *Text() const { return m_text; }
    QCheckBox *RichText() const { return m_rich; }
    void Reload();   // re-binds to the field's value in the current row

private:
    QString m_fieldName;
    QPointer<vorn::DataSource> m_source;   // the browser's, not owned
    QTextEdit *m_text;
    QCheckBox *m_rich;
};

// The open viewer of (browser, field, source) brought forward, or a new one.
TfrmVornBLOBtxt *ShowBlobText(TfrmVornQueryBro *browser, const QString &fieldName, vorn::DataSource *source);
// Plain text of an RTF document (control words dropped, \par as line breaks);
// other text is returned as it is.
QString RtfToPlainText(const QString &rtf);
