#include "platform/posix/PosixLauncher.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <cerrno>
#include <sys/wait.h>

using namespace sw;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

// Sets the sleeper's instructions in the environment that the started program inherits.
class SleeperRun
{
public:
    explicit SleeperRun(int sleepMs)
    {
        qputenv("SW_SLEEPER_MS", QByteArray::number(sleepMs));
        qputenv("SW_SLEEPER_PID", QFile::encodeName(pidFile()));
        qputenv("SW_SLEEPER_END", QFile::encodeName(endFile()));
    }
    ~SleeperRun()
    {
        qunsetenv("SW_SLEEPER_MS");
        qunsetenv("SW_SLEEPER_PID");
        qunsetenv("SW_SLEEPER_END");
    }
    QString pidFile() const { return m_dir.filePath(QStringLiteral("pid")); }
    QString endFile() const { return m_dir.filePath(QStringLiteral("end")); }

    // The first line of `path`, waiting up to `waitMs` for it to appear.
    static QByteArray readWhenThere(const QString &path, int waitMs)
    {
        QElapsedTimer timer;
        timer.start();
        while (!QFile::exists(path) && timer.elapsed() < waitMs)
            QThread::msleep(5);
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readLine().trimmed() : QByteArray();
    }

private:
    QTemporaryDir m_dir;
};

// The state letter of /proc/<pid>/stat ('R', 'S', 'Z', ...); 0 when the process is gone.
char processState(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray stat = file.readAll();
    const qsizetype close = stat.lastIndexOf(')');
    return close > 0 && close + 2 < stat.size() ? stat.at(close + 2) : 0;
}

} // namespace

class tst_Launcher : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The program runs with argv[0] alone in the caller's working folder; the end of a short
    // program is noticed within a few milliseconds, the wait calling back meanwhile.
    void shortProgramEndNoticed()
    {
        QTemporaryDir folder;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder.path()));
        const auto restore = qScopeGuard([&previous] { QDir::setCurrent(previous); });
        SleeperRun run(200);
        int calls = 0;
        const Clock::time_point start = Clock::now();
        const StartResult result
            = PosixLauncher().Start_Program(QStringLiteral(SW_SLEEPER_PATH), 5000ms, [&calls] { ++calls; });
        const Clock::time_point returned = Clock::now();
        QVERIFY(result.started());
        QCOMPARE(int(result.end), int(ProgramEnd::Exited));
        QCOMPARE(result.code, 0);

        const QList<QByteArray> end = SleeperRun::readWhenThere(run.endFile(), 0).split(' ');
        QCOMPARE(end.size(), 3);
        const auto endedAt = Clock::time_point(std::chrono::nanoseconds(end.at(0).toLongLong()));
        const auto late = std::chrono::duration_cast<std::chrono::milliseconds>(returned - endedAt);
        qInfo("end noticed %lld ms after the program's last step", static_cast<long long>(late.count()));
        QVERIFY2(late >= 0ms && late < 60ms, qPrintable(QString::number(late.count())));
        QVERIFY(returned - start >= 200ms);
        QCOMPARE(end.at(1), QByteArray("1"));
        QCOMPARE(QString::fromLocal8Bit(end.at(2)), QDir(folder.path()).canonicalPath());
        QVERIFY(calls >= 5);
        // Collected already: no zombie is left for anyone else.
        const qint64 pid = SleeperRun::readWhenThere(run.pidFile(), 0).toLongLong();
        QVERIFY(pid > 0);
        QCOMPARE(processState(pid), '\0');
    }

    // A program that cannot be started is reported at once, with the reason, and never waited for.
    void notStarted_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("failure"); // a StartFailure
        QTest::newRow("missing") << QStringLiteral("missing") << int(StartFailure::Missing);
        QTest::newRow("not executable") << QStringLiteral("plain") << int(StartFailure::NotExecutable);
        QTest::newRow("folder") << QStringLiteral("folder") << int(StartFailure::NotExecutable);
        QTest::newRow("not a program") << QStringLiteral("text") << int(StartFailure::NotAProgram);
        QTest::newRow("empty name") << QStringLiteral("empty") << int(StartFailure::Missing);
    }
    void notStarted()
    {
        QFETCH(QString, kind);
        QFETCH(int, failure);
        QTemporaryDir dir;
        QString program;
        const auto writeProgram = [&](const QByteArray &text, QFileDevice::Permissions permissions) {
            program = dir.filePath(QStringLiteral("updater"));
            QFile file(program);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text);
            file.close();
            QVERIFY(file.setPermissions(permissions));
        };
        if (kind == QLatin1String("missing"))
            program = dir.filePath(QStringLiteral("Ethernet_Update.exe"));
        else if (kind == QLatin1String("plain"))
            writeProgram("#!/bin/sh\nsleep 5\n", QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        else if (kind == QLatin1String("text"))
            writeProgram("neither a script nor a binary\n",
                QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        else if (kind == QLatin1String("folder"))
            program = dir.path();

        int calls = 0;
        QElapsedTimer timer;
        timer.start();
        const StartResult result = PosixLauncher().Start_Program(program, 5000ms, [&calls] { ++calls; });
        QVERIFY2(timer.elapsed() < 100, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(!result.started());
        QCOMPARE(int(result.failure), failure);
        QCOMPARE(calls, 0);
    }

    // At the limit the wait ends and the program goes on; when it ends later it is collected,
    // leaving no zombie.
    void outlivesLimit()
    {
        SleeperRun run(600);
        QElapsedTimer timer;
        timer.start();
        const StartResult result = PosixLauncher().Start_Program(QStringLiteral(SW_SLEEPER_PATH), 100ms);
        const qint64 waited = timer.elapsed();
        QVERIFY(result.started());
        QCOMPARE(int(result.end), int(ProgramEnd::StillRunning));
        QVERIFY2(waited >= 100 && waited < 300, qPrintable(QString::number(waited)));

        const qint64 pid = SleeperRun::readWhenThere(run.pidFile(), 1000).toLongLong();
        QVERIFY(pid > 0);
        const char running = processState(pid);
        QVERIFY2(running != 0 && running != 'Z', "the program still runs after the limit");
        QVERIFY(!QFile::exists(run.endFile()));

        QVERIFY(!SleeperRun::readWhenThere(run.endFile(), 3000).isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(processState(pid), '\0', 2000);
        errno = 0;
        QCOMPARE(::waitpid(pid_t(pid), nullptr, WNOHANG), -1);
        QCOMPARE(errno, ECHILD);
    }

    // How the program ended: its exit status, or the signal that ended it.
    void tellsHowTheProgramEnded_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<int>("end"); // a ProgramEnd
        QTest::addColumn<int>("code");
        QTest::newRow("exit status 0") << QByteArray("exit 0") << int(ProgramEnd::Exited) << 0;
        QTest::newRow("exit status 3") << QByteArray("exit 3") << int(ProgramEnd::Exited) << 3;
        QTest::newRow("aborted") << QByteArray("kill -ABRT $$") << int(ProgramEnd::Signalled) << 6;
        QTest::newRow("killed") << QByteArray("kill -KILL $$") << int(ProgramEnd::Signalled) << 9;
    }
    void tellsHowTheProgramEnded()
    {
        QFETCH(QByteArray, script);
        QFETCH(int, end);
        QFETCH(int, code);
        QTemporaryDir dir;
        const QString program = dir.filePath(QStringLiteral("updater"));
        QFile file(program);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n" + script + '\n');
        file.close();
        QVERIFY(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));

        const StartResult result = PosixLauncher().Start_Program(program, 5000ms);
        QVERIFY(result.started());
        QCOMPARE(int(result.end), end);
        QCOMPARE(result.code, code);
    }
};

QTEST_GUILESS_MAIN(tst_Launcher)
#include "tst_Launcher.moc"
