#pragma once

#include <QString>
#include <exception>
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

// The text that the general error box shows for `e`: the message of an sw::Error, otherwise what()
// read as UTF-8 (the encoding sw::Error itself gives to what()).
inline QString errorText(const std::exception &e)
{
    if (const auto *error = dynamic_cast<const Error *>(&e))
        return error->message();
    return QString::fromUtf8(e.what());
}

} // namespace sw
