// The editor holds the text only; the stored layout changes when the run posts the
// report row after a confirmed, checked edit, so a refused text never reaches it.
#include "execution/VornLayoutEditor.h"

#include "database/VornMessages.h"
#include "execution/VornReportDesigner.h"
#include "platform/report/ReportLayout.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSyntaxHighlighter>
#include <QVBoxLayout>

namespace {

class XmlHighlighter : public QSyntaxHighlighter
{
public:
    using QSyntaxHighlighter::QSyntaxHighlighter;

protected:
    void highlightBlock(const QString &text) override
    {
        static const QRegularExpression tag(QStringLiteral("</?[A-Za-z_][\\w.:-]*|/?>"));
        static const QRegularExpression attr(QStringLiteral("\\b[A-Za-z_][\\w.:-]*(?==)"));
        static const QRegularExpression value(QStringLiteral("\"[^\"]*\""));
        QTextCharFormat tagF, attrF, valueF;
        tagF.setForeground(QColor(0, 0, 160));
        tagF.setFontWeight(QFont::Bold);
        attrF.setForeground(QColor(128, 0, 0));
        valueF.setForeground(QColor(0, 128, 0));
        for (auto [re, f] : {std::pair{&tag, &tagF}, std::pair{&attr, &attrF}, std::pair{&value, &valueF}}) {
            for (auto it = re->globalMatch(text); it.hasNext();) {
                const auto m = it.next();
                setFormat(int(m.capturedStart()), int(m.capturedLength()), *f);
            }
        }
    }
};

} // namespace

TfrmLayoutEditor::TfrmLayoutEditor(const QByteArray &xml, const QString &title, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmLayoutEditor"));
    setWindowTitle(title);
    resize(900, 700);
    auto *lay = new QVBoxLayout(this);
    m_edit = new QPlainTextEdit(this);
    m_edit->setObjectName(QStringLiteral("edLayout"));
    m_edit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    new XmlHighlighter(m_edit->document());
    lay->addWidget(m_edit);
    auto *bb = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton *preview = bb->addButton(QStringLiteral("Просмотр"), QDialogButtonBox::ActionRole);
    preview->setObjectName(QStringLiteral("btnPreview"));
    connect(preview, &QPushButton::clicked, this, &TfrmLayoutEditor::Preview);
    connect(bb, &QDialogButtonBox::accepted, this, &TfrmLayoutEditor::accept);
    connect(bb, &QDialogButtonBox::rejected, this, &TfrmLayoutEditor::reject);
    lay->addWidget(bb);
    SetLayoutXml(xml.trimmed().isEmpty() ? MinimalLayout(title) : xml);
}

QByteArray TfrmLayoutEditor::LayoutXml() const { return m_edit->toPlainText().toUtf8(); }
void TfrmLayoutEditor::SetLayoutXml(const QByteArray &xml) { m_edit->setPlainText(QString::fromUtf8(xml)); }

QString TfrmLayoutEditor::Check() const
{
    vorn::report::ReportLayout l;
    QString error;
    return l.load(LayoutXml(), &error) ? QString() : error;
}

void TfrmLayoutEditor::accept()
{
    const QString error = Check();
    if (!error.isEmpty()) {
        ShowError(error);
        return;
    }
    QDialog::accept();
}

void TfrmLayoutEditor::Preview()
{
    try {
        ReportDesignerDialog1()->PreviewReport(LayoutXml());
    } catch (const std::exception &e) {
        ShowError(QString::fromUtf8(e.what()));
    }
}
