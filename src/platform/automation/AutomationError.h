// Automation errors: the exception every dispatch member, coercion and script run
// raises, carrying the error number scripts see in Err.Number and a description.
#pragma once
#include <QString>
#include <exception>

namespace vorn {

class AutomationError : public std::exception
{
public:
    // A VBScript-style number (13, 438 ...) with the system's description for it.
    explicit AutomationError(int number, const QString &detail = QString());
    // A failure with its own description (an exception inside a member).
    AutomationError(int number, const QString &description, const QString &source);

    int number() const { return m_number; }
    const QString &description() const { return m_description; }
    // The description with the name it concerns, as error reports show it
    // ("Объект не поддерживает это свойство или метод: 'Foo'").
    QString fullDescription() const { return m_detail.isEmpty() ? m_description : m_description + QStringLiteral(": '") + m_detail + QLatin1Char('\''); }
    const QString &detail() const { return m_detail; }
    const QString &source() const { return m_source; }
    void setSource(const QString &s) { m_source = s; }
    const char *what() const noexcept override;

    // Number given to failures that carry only a message (E_UNEXPECTED as a failed
    // safecall result reaches the script).
    static constexpr int Unexpected = int(0x8000FFFF);

private:
    int m_number;
    QString m_description;
    QString m_source;
    QString m_detail;           // the name an error concerns
    mutable QByteArray m_what;
};

// The description a Russian system shows for a VBScript run-time or syntax error
// number; empty for numbers it does not know.
QString errorDescription(int number);
// "Ошибка выполнения Microsoft VBScript" / "Ошибка компиляции Microsoft VBScript".
QString runtimeErrorSource();
QString syntaxErrorSource();

} // namespace vorn
