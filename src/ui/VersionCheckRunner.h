#pragma once

#include <QObject>
#include <functional>
#include <memory>

namespace sw {

class VersionChecker;

// Runs VersionChecker::Check_Version on a thread of its own, so that a slow or silent site never
// freezes a window, and hands the answer back on the thread that owns this object. One check at a
// time: a start while a check runs is refused. Destroying the runner before the answer arrives is
// safe; the answer is then dropped.
class VersionCheckRunner final : public QObject
{
    Q_OBJECT
public:
    explicit VersionCheckRunner(VersionChecker *checker, QObject *parent = nullptr);
    ~VersionCheckRunner() override;

    // Starts a check whose answer (a failure reads as false) goes to `done` through this object's
    // event queue. Returns false, and starts nothing, while an earlier check has not answered.
    bool start(std::function<void(bool newer)> done);
    bool isRunning() const { return m_running; }

private:
    struct Shared;
    VersionChecker *m_checker;
    std::shared_ptr<Shared> m_shared;
    bool m_running = false;
};

} // namespace sw
