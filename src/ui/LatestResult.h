#pragma once

#include <QObject>
#include <QThreadPool>
#include <utility>

namespace sw {

// Runs work off the user-interface thread, one piece at a time, and hands its result back on the
// user-interface thread. Only the latest request counts: a new one drops the requests still
// waiting and the result of the one under way, so a slow piece of work never shows stale results
// and never holds up the window.
class LatestResult final : public QObject
{
public:
    explicit LatestResult(QObject *parent = nullptr)
        : QObject(parent)
    {
        m_pool.setMaxThreadCount(1);
    }
    // Drops what is pending and waits for the piece under way, whose result is dropped too.
    ~LatestResult() override
    {
        cancel();
        m_pool.waitForDone();
    }

    // Runs `work()` on the worker thread, then `deliver(result)` on this object's thread unless a
    // later run() or cancel() came first.
    template <class Work, class Deliver> void run(Work work, Deliver deliver)
    {
        const quint64 ticket = ++m_ticket;
        m_pool.clear();
        m_pool.start([this, ticket, work = std::move(work), deliver = std::move(deliver)]() mutable {
            auto result = work();
            // Queued to this object: the event is dropped with it, and the ticket is compared on
            // this object's thread, where it is written.
            QMetaObject::invokeMethod(
                this,
                [this, ticket, result = std::move(result), deliver = std::move(deliver)]() mutable {
                    if (ticket == m_ticket)
                        deliver(std::move(result));
                },
                Qt::QueuedConnection);
        });
    }

    // Drops every pending request and the result of the one under way.
    void cancel()
    {
        ++m_ticket;
        m_pool.clear();
    }

private:
    QThreadPool m_pool;
    quint64 m_ticket = 0;
};

} // namespace sw
