#include "core/ErrorText.h"

#include "core/Error.h"

namespace sw {

QString errorText(const std::exception &e)
{
    if (const auto *error = dynamic_cast<const Error *>(&e))
        return error->message();
    return QString::fromUtf8(e.what());
}

} // namespace sw
