// The exception the dataset layer raises: a message text, for database errors the
// server's own text. User actions catch it and show the text.
#pragma once
#include <QByteArray>
#include <QString>
#include <exception>

namespace vorn {

class DataError : public std::exception
{
public:
    explicit DataError(const QString &message) : m_message(message), m_utf8(message.toUtf8()) {}
    QString message() const { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;   // text shown to the user
    QByteArray m_utf8;   // what() storage
};

} // namespace vorn
