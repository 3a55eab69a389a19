#include "platform/posix/PosixLauncher.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace sw {

namespace {

using Clock = std::chrono::steady_clock;

// The longest single wait: the end of the program is noticed at once through its pidfd, and
// within this slice where the kernel offers none.
constexpr std::chrono::milliseconds Slice { 5 };

// A descriptor that becomes readable when the process ends; -1 where the kernel has none.
int openPidfd(pid_t pid)
{
#ifdef SYS_pidfd_open
    return int(::syscall(SYS_pidfd_open, pid, 0));
#else
    Q_UNUSED(pid);
    return -1;
#endif
}

// Collects the process's exit status into `result`; true once it has ended.
bool reaped(pid_t pid, StartResult &result)
{
    for (;;) {
        int status = 0;
        const pid_t collected = ::waitpid(pid, &status, WNOHANG);
        if (collected == pid) {
            if (WIFSIGNALED(status)) {
                result.end = ProgramEnd::Signalled;
                result.code = WTERMSIG(status);
            } else {
                result.end = ProgramEnd::Exited;
                result.code = WEXITSTATUS(status);
            }
            return true;
        }
        if (collected < 0 && errno == EINTR)
            continue;
        // 0: still running; ECHILD: someone else already collected it.
        if (collected < 0)
            result.end = ProgramEnd::Unknown;
        return collected < 0;
    }
}

// Starts the program; its process id, or -1 with the system's error in `error`.
pid_t spawn(const QByteArray &path, int &error)
{
    posix_spawnattr_t attributes;
    error = ::posix_spawnattr_init(&attributes);
    if (error != 0)
        return -1;
    // The program starts with no signal blocked, whatever this thread blocks.
    sigset_t none;
    sigemptyset(&none);
    ::posix_spawnattr_setsigmask(&attributes, &none);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);

    char *argv[] = { const_cast<char *>(path.constData()), nullptr };
    pid_t pid = -1;
    error = ::posix_spawn(&pid, path.constData(), nullptr, &attributes, argv, environ);
    ::posix_spawnattr_destroy(&attributes);
    return error == 0 ? pid : -1;
}

StartResult notStarted(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return { StartFailure::Missing, {} };
    case EACCES:
    case EPERM:
        return { StartFailure::NotExecutable, {} };
    case ENOEXEC:
        return { StartFailure::NotAProgram, {} };
    default:
        return { StartFailure::Refused, QString::fromLocal8Bit(std::strerror(error)) };
    }
}

} // namespace

StartResult PosixLauncher::Start_Program(
    const QString &program, std::chrono::milliseconds limit, const std::function<void()> &whileWaiting)
{
    const QByteArray path = program.toLocal8Bit();
    // No file can have an empty name or one with a NUL inside.
    if (path.isEmpty() || path.contains('\0'))
        return notStarted(ENOENT);
    int error = 0;
    const pid_t pid = spawn(path, error);
    if (pid < 0)
        return notStarted(error);

    StartResult result;
    const int pidfd = openPidfd(pid);
    const Clock::time_point deadline = Clock::now() + limit;
    bool ended = reaped(pid, result);
    while (!ended) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left <= std::chrono::milliseconds::zero())
            break;
        const int slice = int(std::min(left, Slice).count());
        if (pidfd >= 0) {
            pollfd waiting { pidfd, POLLIN, 0 };
            ::poll(&waiting, 1, slice);
        } else {
            ::usleep(useconds_t(slice) * 1000);
        }
        ended = reaped(pid, result);
        if (!ended && whileWaiting)
            whileWaiting();
    }
    if (pidfd >= 0)
        ::close(pidfd);

    // Past the limit the program goes on alone; this thread collects it when it ends.
    if (!ended) {
        result.end = ProgramEnd::StillRunning;
        std::thread([pid] {
            int status = 0;
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
        }).detach();
    }
    return result;
}

} // namespace sw
