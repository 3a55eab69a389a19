#include "platform/posix/SystemPing.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace sw::SystemPing {

namespace {

using Clock = std::chrono::steady_clock;

// The longest single wait, so that `whileWaiting` runs about every 10 ms.
constexpr std::chrono::milliseconds Slice { 10 };
// Time for ping to start and end, beyond the time-out. A ping that takes longer is killed, and the
// request counts as unanswered.
constexpr std::chrono::milliseconds StartAllowance { 1000 };
// One request gives a few short lines; anything past this is read and dropped.
constexpr qsizetype OutputLimit = 8192;
// What ping's own messages are cut to when they are passed on.
constexpr qsizetype DetailLimit = 200;
// ICMP data of the 1024-byte request, and the longest pattern ping repeats over them.
constexpr int DataSize = 1016;
constexpr int PatternSize = 16;

bool isExecutableFile(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat status = {};
    return ::stat(native.constData(), &status) == 0 && S_ISREG(status.st_mode)
        && ::access(native.constData(), X_OK) == 0;
}

QByteArray dotted(quint32 address)
{
    return QByteArray::number(address >> 24) + '.' + QByteArray::number((address >> 16) & 0xff) + '.'
        + QByteArray::number((address >> 8) & 0xff) + '.' + QByteArray::number(address & 0xff);
}

// The child process with its output pipe. It is killed and collected on every way out.
class Child
{
public:
    Child() = default;
    Child(const Child &) = delete;
    Child &operator=(const Child &) = delete;
    ~Child()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            int status = 0;
            while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) { }
        }
        if (m_output >= 0)
            ::close(m_output);
    }

    // Starts `argv[0]` with `argv`, standard input from /dev/null and standard output and error
    // into one pipe, no signal blocked or ignored, and only LC_ALL=C as its environment, so that
    // its messages come in the one language parsed here. False when it could not be started.
    bool start(const QList<QByteArray> &arguments)
    {
        int pipe[2];
        if (::pipe2(pipe, O_CLOEXEC) != 0)
            return false;
        posix_spawn_file_actions_t actions;
        posix_spawnattr_t attributes;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        ::posix_spawn_file_actions_adddup2(&actions, pipe[1], 1);
        ::posix_spawn_file_actions_adddup2(&actions, pipe[1], 2);
        ::posix_spawnattr_init(&attributes);
        sigset_t none;
        sigset_t all;
        sigemptyset(&none);
        sigfillset(&all);
        ::posix_spawnattr_setsigmask(&attributes, &none);
        ::posix_spawnattr_setsigdefault(&attributes, &all);
        ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

        std::vector<char *> argv;
        for (const QByteArray &argument : arguments)
            argv.push_back(const_cast<char *>(argument.constData()));
        argv.push_back(nullptr);
        char environment[] = "LC_ALL=C";
        char *envp[] = { environment, nullptr };
        pid_t pid = -1;
        const int error = ::posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), envp);
        ::posix_spawn_file_actions_destroy(&actions);
        ::posix_spawnattr_destroy(&attributes);
        ::close(pipe[1]);
        m_output = pipe[0];
        if (error != 0)
            return false;
        m_pid = pid;
        return true;
    }

    int output() const { return m_output; }

    // The exit status once the process has ended (128 + the signal when one ended it).
    std::optional<int> ended()
    {
        int status = 0;
        pid_t result;
        while ((result = ::waitpid(m_pid, &status, WNOHANG)) < 0 && errno == EINTR) { }
        if (result == 0)
            return std::nullopt;
        m_pid = -1;
        if (result < 0)
            return 128; // collected elsewhere: how it ended is unknown
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

private:
    pid_t m_pid = -1;
    int m_output = -1;
};

// Reads ping's output line by line, up to a bound, for the answer it printed.
class Output
{
public:
    explicit Output(const QByteArray &target)
        : m_target(target)
    {
    }

    void append(const char *data, qsizetype size)
    {
        m_text.append(data, std::min(size, OutputLimit - m_text.size()));
        for (qsizetype end; (end = m_text.indexOf('\n', m_lineStart)) >= 0; m_lineStart = end + 1)
            readLine(m_text.mid(m_lineStart, end - m_lineStart));
    }
    // The last line, which may lack its line end.
    void finish()
    {
        readLine(m_text.mid(m_lineStart));
        m_lineStart = m_text.size();
    }

    std::optional<Outcome> reply() const { return m_reply; }
    // The last line printed, for a message.
    QString lastLine() const
    {
        return QString::fromLocal8Bit(m_text.trimmed().split('\n').constLast().trimmed().left(DetailLimit));
    }

private:
    void readLine(const QByteArray &line)
    {
        // "1024 bytes from 127.0.0.1: icmp_seq=1 ...": the reply's ICMP size and its sender.
        static const QRegularExpression replyLine(QStringLiteral("^(\\d{1,9}) bytes from ([0-9.]+): "));
        const QRegularExpressionMatch match = replyLine.match(QString::fromLatin1(line));
        if (!m_reply && match.hasMatch() && match.captured(2).toLatin1() == m_target)
            m_reply = match.captured(1).toInt() > 8 ? Outcome::Reply : Outcome::NoReply;
    }

    QByteArray m_target;
    QByteArray m_text;
    qsizetype m_lineStart = 0;
    std::optional<Outcome> m_reply;
};

} // namespace

QString find()
{
    QStringList folders;
    for (const QString &folder : QString::fromLocal8Bit(qgetenv("PATH")).split(u':', Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(folder)) // a relative entry would take ping from the current folder
            folders << folder;
    folders << QStringLiteral("/usr/bin") << QStringLiteral("/bin");
    for (const QString &folder : std::as_const(folders)) {
        const QString path = QDir::cleanPath(folder + QStringLiteral("/ping"));
        if (isExecutableFile(path))
            return path;
    }
    return {};
}

Result echo(const QString &program, quint32 address, const QByteArray &payload, std::chrono::milliseconds timeout,
    const std::function<void()> &whileWaiting)
{
    if (timeout <= std::chrono::milliseconds::zero())
        return { Outcome::NoReply, {} };
    const QByteArray target = dotted(address);
    QByteArray pattern = payload.left(PatternSize);
    pattern.append(PatternSize - pattern.size(), '\0');
    const Clock::time_point started = Clock::now();
    // Ping's own wait is the time-out; the limit below ends it in any case.
    const QByteArray wait = QByteArray::number(double(timeout.count()) / 1000.0, 'f', 3);
    Child child;
    if (!child.start({ QFile::encodeName(program), "-n", "-c", "1", "-W", wait, "-s", QByteArray::number(DataSize),
            "-p", pattern.toHex(), target }))
        return { Outcome::Failed, QStringLiteral("%1 could not be started").arg(program) };

    // Ping waits the time-out after its request (its output comes when it ends, for it is not
    // written to a terminal); the limit covers its start as well, and past it ping is killed.
    Output output(target);
    const Clock::time_point limit = started + timeout + StartAllowance;
    bool reading = true;
    std::optional<int> status;
    while (!status) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(limit - Clock::now());
        if (left <= std::chrono::milliseconds::zero())
            return { Outcome::NoReply, {} };
        const int slice = int(std::min(left, Slice).count());
        if (reading) {
            pollfd waiting { child.output(), POLLIN, 0 };
            if (::poll(&waiting, 1, slice) > 0) {
                char buffer[1024];
                const ssize_t received = ::read(child.output(), buffer, sizeof buffer);
                if (received > 0)
                    output.append(buffer, received);
                else if (received == 0 || errno != EINTR)
                    reading = false; // every writer has gone: ping has ended
            }
        } else if (!(status = child.ended())) {
            ::poll(nullptr, 0, slice);
        }
        if (output.reply())
            return { *output.reply(), {} };
        if (!status && whileWaiting)
            whileWaiting();
    }

    output.finish();
    if (output.reply())
        return { *output.reply(), {} };
    // 0 and 1: the request went out and no reply with data came; anything else: none went out.
    if (*status != 0 && *status != 1) {
        const QString said = output.lastLine();
        if (said.contains(QStringLiteral("unreachable"), Qt::CaseInsensitive)
            || said.contains(QStringLiteral("No route to host")))
            return { Outcome::NoRoute, said };
        return { Outcome::Failed, said };
    }
    // A request without an answer takes its whole time-out, as with a socket of this program's own,
    // also where ping ended early on an error report from the way.
    for (Clock::time_point end = started + timeout; Clock::now() < end;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now());
        ::poll(nullptr, 0, int(std::min(left, Slice).count()));
        if (whileWaiting)
            whileWaiting();
    }
    return { Outcome::NoReply, {} };
}

} // namespace sw::SystemPing
