// Conversions between Unicode text and the two legacy code pages the program's
// files and wire formats use: Windows-1251 (ANSI) and IBM866 (OEM).
#pragma once
#include <QByteArray>
#include <QString>

namespace vorn::codepage {

enum class CodePage { Utf8, Cp1251, Cp866 };

QByteArray encode(const QString &text, CodePage cp);
QString decode(const QByteArray &bytes, CodePage cp);

inline QByteArray toCp1251(const QString &s) { return encode(s, CodePage::Cp1251); }
inline QString fromCp1251(const QByteArray &b) { return decode(b, CodePage::Cp1251); }
inline QByteArray toCp866(const QString &s) { return encode(s, CodePage::Cp866); }
inline QString fromCp866(const QByteArray &b) { return decode(b, CodePage::Cp866); }

// True when the bytes are valid UTF-8 (a BOM counts as UTF-8).
bool looksLikeUtf8(const QByteArray &bytes);

} // namespace vorn::codepage
