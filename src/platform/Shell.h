#pragma once

#include <QString>

namespace sw {

// Asks the operating system to "open" a web address in the default browser.
class Shell
{
public:
    virtual ~Shell() = default;
    // Returns whether the request was handed over; callers ignore failures.
    virtual bool openUrl(const QString &url) = 0;
};

} // namespace sw
