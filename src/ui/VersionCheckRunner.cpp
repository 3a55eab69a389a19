#include "ui/VersionCheckRunner.h"

#include "platform/VersionCheck.h"

#include <mutex>
#include <system_error>
#include <thread>

namespace sw {

// What the worker thread and the runner share: the runner while it lives. The worker posts the
// answer under the lock, so the runner cannot be destroyed between the check and the post; an
// answer posted to a runner destroyed afterwards is discarded with the runner's pending events.
struct VersionCheckRunner::Shared
{
    std::mutex mutex;
    VersionCheckRunner *receiver = nullptr;
};

VersionCheckRunner::VersionCheckRunner(VersionChecker *checker, QObject *parent)
    : QObject(parent)
    , m_checker(checker)
    , m_shared(std::make_shared<Shared>())
{
    m_shared->receiver = this;
}

VersionCheckRunner::~VersionCheckRunner()
{
    const std::lock_guard lock(m_shared->mutex);
    m_shared->receiver = nullptr;
}

bool VersionCheckRunner::start(std::function<void(bool newer)> done)
{
    if (m_running)
        return false;
    m_running = true;
    const auto work = [shared = m_shared, checker = m_checker, done = std::move(done)] {
        bool newer = false;
        try {
            newer = checker && checker->Check_Version();
        } catch (...) {
            newer = false; // a failed check means no newer version
        }
        const std::lock_guard lock(shared->mutex);
        if (VersionCheckRunner *runner = shared->receiver) {
            QMetaObject::invokeMethod(
                runner,
                [runner, newer, done] {
                    runner->m_running = false;
                    if (done)
                        done(newer);
                },
                Qt::QueuedConnection);
        }
    };
    try {
        std::thread(work).detach();
    } catch (const std::system_error &) {
        m_running = false; // no thread to be had: no check this time
        return false;
    }
    return true;
}

} // namespace sw
