#pragma once

#include "platform/IcmpEcho.h"
#include "platform/Launcher.h"
#include "platform/RegionalSettings.h"
#include "platform/Shell.h"
#include "platform/VersionCheck.h"
#include "ui/Clock.h"
#include "ui/FileChooser.h"
#include "ui/ImageBuilder.h"

#include <QDateTime>
#include <QList>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <exception>
#include <functional>
#include <optional>
#include <thread>

namespace sw::test {

class FakeShell final : public Shell
{
public:
    QStringList opened;
    bool openUrl(const QString &url) override
    {
        opened.append(url);
        return true;
    }
};

class FakeRegionalSettings final : public RegionalSettings
{
public:
    std::optional<QChar> separator = QChar(u'.');
    std::optional<QChar> decimalSeparator() const override { return separator; }
};

// Answers `newer` after `delay`. The check runs on a worker thread, so what it shares with the
// test is atomic; `thread` is the thread of the last check, to be read once its answer arrived.
class FakeVersionChecker final : public VersionChecker
{
public:
    std::atomic<bool> newer = false;
    std::atomic<int> calls = 0;
    std::atomic<int> finished = 0;
    std::chrono::milliseconds delay { 0 };
    std::thread::id thread;
    bool Check_Version() override
    {
        ++calls;
        thread = std::this_thread::get_id();
        if (delay.count() > 0)
            std::this_thread::sleep_for(delay);
        const bool answer = newer;
        ++finished; // the last access to this object
        return answer;
    }
};

// Records each build and answers with `result`, or throws `failure` when one is set. Writes nothing.
class FakeImageBuilder final : public ImageBuilder
{
public:
    struct Call
    {
        ProjectDocuments documents;
        QString folder;
    };
    QList<Call> calls;
    WrittenImages result;
    std::exception_ptr failure;

    WrittenImages buildImages(const ProjectDocuments &documents, const QString &folder) override
    {
        calls.append({ documents, folder });
        if (failure)
            std::rethrow_exception(failure);
        return result;
    }
};

// Answers echo requests from a script, one answer per request; once the script is used up the
// device is silent. Keeps its own clock: an answer takes `answerTime`, silence the whole time-out,
// so a dialog reading `now` sees time pass without waiting. Throws `failure` when one is set.
class FakeIcmpEcho final : public IcmpEcho
{
public:
    struct Request
    {
        QString address;
        QByteArray payload;
        std::chrono::milliseconds timeout;
        bool whileWaitingGiven;
    };
    QList<Request> requests;
    QList<bool> answers; // consumed front to back
    std::chrono::milliseconds now { 0 };
    std::chrono::milliseconds answerTime { 2 };
    std::exception_ptr failure;
    std::function<void()> onRequest; // runs inside each request, before it is answered
    std::function<void()> whileWaiting; // the caller's, while onRequest runs

    bool echo(const QString &address, const QByteArray &payload, std::chrono::milliseconds timeout,
        const std::function<void()> &callerWaiting) override
    {
        requests.append({ address, payload, timeout, bool(callerWaiting) });
        whileWaiting = callerWaiting;
        if (onRequest)
            onRequest();
        whileWaiting = {};
        if (failure)
            std::rethrow_exception(failure);
        const bool answered = !answers.isEmpty() && answers.takeFirst();
        now += answered ? answerTime : timeout;
        return answered;
    }
};

// Records each start and answers with `result`. Starts nothing.
class FakeLauncher final : public Launcher
{
public:
    struct Start
    {
        QString program;
        std::chrono::milliseconds limit;
        bool whileWaitingGiven;
    };
    QList<Start> starts;
    StartResult result;
    std::function<void()> onStart; // runs inside each start, as if the program were running
    std::function<void()> whileWaiting; // the caller's, while onStart runs

    StartResult Start_Program(
        const QString &program, std::chrono::milliseconds limit, const std::function<void()> &callerWaiting) override
    {
        starts.append({ program, limit, bool(callerWaiting) });
        whileWaiting = callerWaiting;
        if (onStart && result.started())
            onStart();
        whileWaiting = {};
        return result;
    }
};

// Answers file choosers from a script, one answer per question; an empty answer, or none left, is a
// cancel. Records every question.
// The system's time unless a test sets `date` (certificate expiry at a fixed date) or
// `steadyTime` (waits measured on a clock that the test advances).
class FakeClock final : public Clock
{
public:
    std::optional<QDateTime> date;
    std::function<std::chrono::milliseconds()> steadyTime;

    QDateTime nowUtc() const override { return date.value_or(QDateTime::currentDateTimeUtc()); }
    std::chrono::milliseconds steady() const override { return steadyTime ? steadyTime() : system.steady(); }

private:
    SystemClock system;
};

class FakeFileChooser final : public FileChooser
{
public:
    struct Call
    {
        bool save;
        QString caption;
        QString start;
        QString filter;
    };
    QList<Call> calls;
    QStringList answers; // consumed front to back

    QString openFileName(QWidget *, const QString &caption, const QString &start, const QString &filter) override
    {
        return answer({ false, caption, start, filter });
    }
    QString saveFileName(QWidget *, const QString &caption, const QString &start, const QString &filter) override
    {
        return answer({ true, caption, start, filter });
    }

private:
    QString answer(const Call &call)
    {
        calls.append(call);
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
};

} // namespace sw::test
