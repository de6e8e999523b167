// Code page conversions through Qt's ICU-backed encoders; characters that the
// target page cannot hold become '?', as the Windows conversion functions do.
#include "platform/core/CodePage.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace vorn::codepage {

static const char *codecName(CodePage cp)
{
    switch (cp) {
    case CodePage::Cp1251: return "windows-1251";
    case CodePage::Cp866: return "IBM866";
    case CodePage::Utf8: break;
    }
    return "UTF-8";
}

QByteArray encode(const QString &text, CodePage cp)
{
    if (cp == CodePage::Utf8)
        return text.toUtf8();
    QStringEncoder enc(codecName(cp), QStringConverter::Flag::Stateless);
    Q_ASSERT(enc.isValid());
    QByteArray out;
    out.reserve(text.size());
    // Encode per character so unmappable ones turn into '?' instead of being dropped.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x80) {
            out.append(char(c.unicode()));
            continue;
        }
        QByteArray b = enc.encode(QStringView(&text.constData()[i], 1));
        if (enc.hasError() || b.isEmpty()) {
            enc.resetState();
            out.append('?');
        } else {
            out.append(b);
        }
    }
    return out;
}

QString decode(const QByteArray &bytes, CodePage cp)
{
    if (cp == CodePage::Utf8)
        return QString::fromUtf8(bytes);
    QStringDecoder dec(codecName(cp), QStringConverter::Flag::Stateless);
    Q_ASSERT(dec.isValid());
    return dec.decode(bytes);
}

bool looksLikeUtf8(const QByteArray &bytes)
{
    // A hand check: Qt's decoder does not flag every malformed sequence.
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char c = p[i];
        int extra = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : -1;
        if (extra < 0 || (extra == 1 && c < 0xC2) || i + extra >= n + (extra == 0 ? 1 : 0))
            return false;
        for (int k = 1; k <= extra; ++k)
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
        i += extra + 1;
    }
    return true;
}

} // namespace vorn::codepage
