#pragma once

#include <QString>
#include <stdexcept>

namespace sw {

// An unexpected failure (a document that is not well-formed, a file that cannot be written).
// Thrown from core; the UI handler that started the operation shows it in the general error box.
class Error : public std::runtime_error
{
public:
    explicit Error(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {
    }
    const QString &message() const noexcept { return m_message; }

private:
    QString m_message;
};

} // namespace sw
