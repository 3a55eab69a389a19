#pragma once

#include "TestFiles.h"

#include "core/update/UpdateParameters.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// The stand-in updater and the device simulator as child processes, for the tests that run an
// update from end to end on 127.0.0.1.
namespace sw::test {

inline const QString builtUpdater = QStringLiteral(SW_PROGRAM_DIR "/Ethernet_Update");
inline const QString simulatorPath = QStringLiteral(SW_PROGRAM_DIR "/sw61942-device-sim");

// What the simulator held when it ended.
struct SimulatorDump
{
    QMap<quint32, QByteArray> regions;
    int started = -1;
};

inline SimulatorDump readSimulatorDump(const QString &path)
{
    SimulatorDump dump;
    const QList<QByteArray> lines = readFile(path).split('\n');
    for (const QByteArray &line : lines) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() == 4 && fields[0] == "region")
            dump.regions.insert(fields[1].toUInt(nullptr, 16), QByteArray::fromHex(fields[3]));
        else if (fields.size() == 2 && fields[0] == "started")
            dump.started = fields[1].toInt();
    }
    return dump;
}

// The simulator as a child process; ended with SIGTERM, which makes it write its dump.
class Simulator
{
public:
    ~Simulator() { stop(); }

    // Starts it and waits (at most 10 s) for its "listening on" line. An empty string on success,
    // else what went wrong.
    QString start(const QStringList &options)
    {
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start(simulatorPath, options);
        if (!m_process.waitForStarted(10000))
            return QStringLiteral("the simulator did not start: ") + m_process.errorString();
        const QRegularExpression listening(QStringLiteral("listening on \\S+:(\\d+)"));
        const QDeadlineTimer deadline(10000);
        QByteArray out;
        while (!deadline.hasExpired()) {
            m_process.waitForReadyRead(100);
            out += m_process.readAllStandardOutput();
            const QRegularExpressionMatch match = listening.match(QString::fromUtf8(out));
            if (match.hasMatch()) {
                port = quint16(match.captured(1).toUInt());
                return {};
            }
            if (m_process.state() == QProcess::NotRunning)
                break;
        }
        return QStringLiteral("the simulator is not listening: ") + QString::fromUtf8(m_process.readAllStandardError());
    }

    // True when it ended normally with its dump written.
    bool stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return true;
        m_process.terminate();
        if (m_process.waitForFinished(5000))
            return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
        m_process.kill();
        m_process.waitForFinished(5000);
        return false;
    }

    quint16 port = 0;

private:
    QProcess m_process;
};

struct UpdaterRun
{
    int exitCode = -1; // -1 when it crashed or did not end within the limit
    QString out;
    QString err;
    qint64 elapsedMs = 0;
};

// How the updater shows itself. By default it finds no display and prints on the console; with
// `window` it opens its window on the offscreen platform, saves its snapshots into `snapshots`
// (when given) and presses Close `closeAfterMs` after the end (never when negative).
struct UpdaterDisplay
{
    bool window = false;
    QString snapshots;
    int closeAfterMs = 0;
    QStringList arguments;
};

// Runs the updater in `program` as the configurator does, with no arguments, and waits at most
// `limitMs` for it; `port` other than 0 replaces the parameter file's port. `environment`
// ("NAME=value") is set last, for a display of the test's own.
inline UpdaterRun runUpdater(const QString &program, quint16 port, int limitMs = 30000,
    const UpdaterDisplay &display = {}, const QStringList &environment = {})
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : { "SW61942_UPDATE_PORT", "SW61942_UPDATE_SNAPSHOTS", "SW61942_UPDATE_CLOSE_AFTER_MS",
             "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" })
        env.remove(QLatin1String(name));
    if (port != 0)
        env.insert(QStringLiteral("SW61942_UPDATE_PORT"), QString::number(port));
    if (display.window) {
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        if (!display.snapshots.isEmpty())
            env.insert(QStringLiteral("SW61942_UPDATE_SNAPSHOTS"), display.snapshots);
        if (display.closeAfterMs >= 0)
            env.insert(QStringLiteral("SW61942_UPDATE_CLOSE_AFTER_MS"), QString::number(display.closeAfterMs));
    }
    for (const QString &setting : environment)
        env.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
    process.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    process.start(updaterProgramPath(program), display.arguments);
    UpdaterRun run;
    const bool finished = process.waitForFinished(limitMs);
    run.elapsedMs = timer.elapsed();
    if (!finished) {
        process.kill();
        process.waitForFinished(5000);
    }
    if (finished && process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace sw::test
