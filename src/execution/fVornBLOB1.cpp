// Memo viewer: the field's text, shown plain or as rich text. Qt has no RTF reader, so
// RTF content is shown as its text; HTML-like content is rendered as rich text.
#include "execution/fVornBLOB1.h"

#include "database/VornMessages.h"
#include "execution/fVornQryBro.h"
#include "platform/core/CodePage.h"
#include "platform/data/DataSource.h"
#include "platform/data/Dataset.h"
#include "platform/report/ReportText.h"

#include <QCheckBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTextEdit>
#include <QVBoxLayout>

TfrmVornBLOBtxt::TfrmVornBLOBtxt(const QString &fieldName, vorn::DataSource *source, QWidget *parent)
    : QWidget(parent), m_fieldName(fieldName), m_source(source)
{
    setObjectName(QStringLiteral("frmVornBLOBtxt"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Поле :") + fieldName);
    auto *lay = new QVBoxLayout(this);
    m_rich = new QCheckBox(QStringLiteral("RichText Format"), this);
    m_rich->setObjectName(QStringLiteral("cbRichText"));
    m_text = new QTextEdit(this);
    m_text->setObjectName(QStringLiteral("DBRichEdit1"));
    m_text->setReadOnly(true);
    lay->addWidget(m_rich);
    lay->addWidget(m_text, 1);
    connect(m_rich, &QCheckBox::toggled, this, &TfrmVornBLOBtxt::Reload);
    if (source) {
        connect(source, &vorn::DataSource::currentChanged, this, &TfrmVornBLOBtxt::Reload);
        connect(source, &vorn::DataSource::dataChanged, this, &TfrmVornBLOBtxt::Reload);
    }
    resize(480, 320);
    Reload();
}

void TfrmVornBLOBtxt::Reload()
{
    QString value;
    if (m_source && m_source->dataset() && m_source->dataset()->isActive() && !m_source->dataset()->isEmpty())
        if (vorn::Field *f = m_source->dataset()->findField(m_fieldName))
            value = f->asString();
    if (!m_rich->isChecked())
        m_text->setPlainText(value);
    else if (value.trimmed().startsWith(QLatin1String("{\\rtf")))
        m_text->setPlainText(RtfToPlainText(value));
    else if (vorn::report::richTextRefusal(value).isEmpty())
        m_text->setHtml(value);
    else
        m_text->setPlainText(value);  // markup the rich-text layout would take minutes or crash on
}

QString RtfToPlainText(const QString &rtf)
{
    if (!rtf.trimmed().startsWith(QLatin1String("{\\rtf")))
        return rtf;
    QString out;
    int depth = 0, skipDepth = -1;
    for (qsizetype i = 0; i < rtf.size(); ++i) {
        const QChar c = rtf[i];
        if (c == u'{') {
            ++depth;
            continue;
        }
        if (c == u'}') {
            if (depth == skipDepth)
                skipDepth = -1;
            --depth;
            continue;
        }
        if (c == u'\\') {
            qsizetype j = i + 1;
            if (j < rtf.size() && !rtf[j].isLetter()) {
                if (rtf[j] == u'\'' && j + 2 < rtf.size()) {  // \'hh: a code-page byte
                    if (skipDepth < 0)
                        out += vorn::codepage::fromCp1251(QByteArray::fromHex(rtf.mid(j + 1, 2).toLatin1()));
                    i = j + 2;
                } else {
                    if (skipDepth < 0 && rtf[j] != u'*')
                        out += rtf[j];
                    else if (rtf[j] == u'*')
                        skipDepth = depth;
                    i = j;
                }
                continue;
            }
            while (j < rtf.size() && rtf[j].isLetter())
                ++j;
            const QString word = rtf.mid(i + 1, j - i - 1);
            while (j < rtf.size() && (rtf[j].isDigit() || rtf[j] == u'-'))
                ++j;
            if (j < rtf.size() && rtf[j] == u' ')
                ++j;
            if (word == u"fonttbl" || word == u"colortbl" || word == u"stylesheet" || word == u"info" || word == u"pict")
                skipDepth = depth;
            else if (skipDepth < 0 && (word == u"par" || word == u"line"))
                out += u'\n';
            else if (skipDepth < 0 && word == u"tab")
                out += u'\t';
            i = j - 1;
            continue;
        }
        if (skipDepth < 0 && c != u'\r' && c != u'\n')
            out += c;
    }
    return out.trimmed();
}

TfrmVornBLOBtxt *ShowBlobText(TfrmVornQueryBro *browser, const QString &fieldName, vorn::DataSource *source)
{
    if (browser)
        for (QWidget *w : browser->Viewers())
            if (auto *v = qobject_cast<TfrmVornBLOBtxt *>(w))
                if (v->FieldName() == fieldName && v->Source() == source) {
                    if (auto *sub = qobject_cast<QMdiSubWindow *>(v->parentWidget()))
                        if (QMdiArea *area = MdiArea())
                            area->setActiveSubWindow(sub);
                    v->raise();
                    return v;
                }
    auto *v = new TfrmVornBLOBtxt(fieldName, source);
    if (browser)
        browser->AddViewer(v);
    ShowMdiChild(v);
    return v;
}
