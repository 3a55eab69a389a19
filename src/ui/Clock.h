#pragma once

#include <QDateTime>
#include <chrono>

namespace sw {

// Where the user interface takes its time from: the date that certificates are checked against
// and a steady count that waits are measured with. The program uses SystemClock; tests set both.
class Clock
{
public:
    virtual ~Clock() = default;
    // The date and time now, in UTC.
    virtual QDateTime nowUtc() const = 0;
    // Milliseconds from any fixed start; never goes back.
    virtual std::chrono::milliseconds steady() const = 0;
};

class SystemClock final : public Clock
{
public:
    QDateTime nowUtc() const override { return QDateTime::currentDateTimeUtc(); }
    std::chrono::milliseconds steady() const override
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
    }
};

} // namespace sw
