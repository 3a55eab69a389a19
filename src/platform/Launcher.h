#pragma once

#include <QString>
#include <chrono>
#include <functional>

namespace sw {

// Why a program could not be started.
enum class StartFailure {
    None, // it was started
    Missing, // no file at the path
    NotExecutable, // the file may not be run: no execute permission, or access denied
    NotAProgram, // the file is no program that the system can run
    Refused, // the system refused for another reason; the detail says which
};

// How a started program ended, as far as the wait saw it.
enum class ProgramEnd {
    Exited, // it ended by itself with an exit status
    Signalled, // a signal ended it
    StillRunning, // it was still running when the wait reached its limit
    Unknown, // it ended, but its exit status was collected elsewhere
};

// What came of a start: whether the program was started and, when not, why; when it was, how it
// ended.
struct StartResult
{
    StartFailure failure = StartFailure::None;
    QString detail; // the system's reason, for Refused
    ProgramEnd end = ProgramEnd::Exited;
    int code = 0; // the exit status (Exited) or the signal's number (Signalled)

    bool started() const { return failure == StartFailure::None; }
};

// Starts the external updater and waits for it.
class Launcher
{
public:
    virtual ~Launcher() = default;

    // Starts `program` with an empty command line in the inherited working folder and waits until
    // it ends or `limit` has passed, noticing its end within about 10 ms, and tells how it ended.
    // A program that cannot be started returns its failure at once. After the limit the program keeps running on its
    // own and leaves no zombie behind when it ends later. `whileWaiting`, when given, is called about every 10 ms
    // during the wait.
    virtual StartResult Start_Program(
        const QString &program, std::chrono::milliseconds limit, const std::function<void()> &whileWaiting = {})
        = 0;
};

} // namespace sw
