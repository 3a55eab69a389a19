// The command line of the configurator, the stand-in updater and the device simulator: every exit
// status each can end with, what --help and --version print, and that answering them needs no
// display and creates nothing. Each program runs as a copy alone in a folder of its own, without a
// display. The image tool's exit statuses are tested with its other behaviour in tst_ImageTool.

#include "DeviceSimulator.h"
#include "TestFiles.h"

#include "core/ProgramValues.h"
#include "core/update/UpdateParameters.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

using namespace sw::test;

namespace {

// What a row prepares beside the program before it runs.
enum class Setup {
    None,
    UpdateFile, // the updater's parameter file and the two images it names
    Device, // those, and the simulator listening on 127.0.0.1
    SilentDevice, // those, and a simulator that answers nothing
    BusyPort, // "@port" in the arguments names a UDP port of 127.0.0.1 already taken
};

struct Run
{
    int exitCode = -1; // -1 when it crashed or did not end within the limit
    QString out;
    QString err;
};

} // namespace

Q_DECLARE_METATYPE(Setup)

class tst_CommandLines : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // A folder holding a copy of the built program and nothing else.
    QString programFolder(const QString &program)
    {
        const QString folder = m_dir.filePath(program);
        QDir(folder).removeRecursively();
        if (!QDir().mkpath(folder)
            || !QFile::copy(QStringLiteral(SW_PROGRAM_DIR "/") + program, folder + u'/' + program))
            return {};
        return folder;
    }

    // Runs the program without a display or any variable of the updater, for at most 30 s.
    static Run run(const QString &path, const QStringList &args, quint16 updatePort = 0)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "SW61942_UPDATE_PORT",
                 "SW61942_UPDATE_SNAPSHOTS", "SW61942_UPDATE_CLOSE_AFTER_MS" })
            env.remove(QLatin1String(name));
        if (updatePort != 0)
            env.insert(QStringLiteral("SW61942_UPDATE_PORT"), QString::number(updatePort));
        process.setProcessEnvironment(env);
        process.start(path, args);
        Run result;
        if (!process.waitForFinished(30000)) {
            process.kill();
            process.waitForFinished(5000);
        } else if (process.exitStatus() == QProcess::NormalExit) {
            result.exitCode = process.exitCode();
        }
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

    static QStringList entries(const QString &folder)
    {
        QDir dir(folder);
        dir.setFilter(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
        return dir.entryList();
    }

private Q_SLOTS:
    void initTestCase()
    {
        for (const char *program : { "SW61942", "Ethernet_Update", "sw61942-device-sim" }) {
            if (!QFileInfo(QStringLiteral(SW_PROGRAM_DIR "/") + QLatin1String(program)).isExecutable())
                QSKIP("a program is not built");
        }
        QVERIFY(m_dir.isValid());
    }

    void exitStatus_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("stdoutHas");
        QTest::addColumn<QString>("stderrHas");
        const QString configurator = QStringLiteral("SW61942");
        const QString updater = QStringLiteral("Ethernet_Update");
        const QString simulator = QStringLiteral("sw61942-device-sim");
        const auto version = [](const QString &program) {
            return QStringList { program + u' ' + QLatin1String(sw::Program_Version) + u'\n' };
        };
        const QStringList helpOf = { QStringLiteral("Usage: "), QStringLiteral("--help"), QStringLiteral("--version") };
        const QString none;
        using L = QStringList;

        QTest::newRow("configurator --help") << configurator << L { QStringLiteral("--help") } << Setup::None << 0
                                             << helpOf
                + L { QStringLiteral("Exit status: 0 when"), QStringLiteral("2 when the command line is wrong"),
                      QStringLiteral("Environment: DISPLAY or WAYLAND_DISPLAY"), QStringLiteral("QT_QPA_PLATFORM") }
                                             << none;
        QTest::newRow("configurator -h beside a wrong argument")
            << configurator << L { QStringLiteral("stray"), QStringLiteral("-h") } << Setup::None << 0 << helpOf
            << none;
        QTest::newRow("configurator --version")
            << configurator << L { QStringLiteral("--version") } << Setup::None << 0 << version(configurator) << none;
        QTest::newRow("configurator -v after a Qt option")
            << configurator << L { QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("-v") }
            << Setup::None << 0 << version(configurator) << none;
        QTest::newRow("configurator, unknown option")
            << configurator << L { QStringLiteral("--fast") } << Setup::None << 2 << L()
            << QStringLiteral("SW61942: unknown option \"--fast\" (see --help)");
        // Qt reads "-platform NAME" but not "--platform=NAME", which would reach it unread.
        QTest::newRow("configurator, Qt option with an attached value")
            << configurator << L { QStringLiteral("--platform=offscreen") } << Setup::None << 2 << L()
            << QStringLiteral("SW61942: unknown option \"--platform=offscreen\"");
        QTest::newRow("configurator, stray argument")
            << configurator << L { QStringLiteral("-style=fusion"), QStringLiteral("Plant1") } << Setup::None << 2
            << L() << QStringLiteral("SW61942: unexpected argument \"Plant1\"");

        QTest::newRow("updater --help") << updater << L { QStringLiteral("--help") } << Setup::None << 0
                                        << helpOf
                + L { QStringLiteral("Exit status:"), QStringLiteral("  0  every operation succeeded"),
                      QStringLiteral("  1  the device did not answer"),
                      QStringLiteral("  2  the command line is wrong"), QStringLiteral("SW61942_UPDATE_PORT"),
                      QStringLiteral("SW61942_UPDATE_SNAPSHOTS"), QStringLiteral("SW61942_UPDATE_CLOSE_AFTER_MS"),
                      QStringLiteral("WAYLAND_DISPLAY") }
                                        << none;
        QTest::newRow("updater --version")
            << updater << L { QStringLiteral("--version") } << Setup::None << 0 << version(updater) << none;
        QTest::newRow("updater, unknown option")
            << updater << L { QStringLiteral("--fast") } << Setup::UpdateFile << 2 << L()
            << QStringLiteral("Ethernet_Update: Unknown option 'fast' (see --help)");
        QTest::newRow("updater, value given to --no-window")
            << updater << L { QStringLiteral("--no-window=yes") } << Setup::UpdateFile << 2 << L()
            << QStringLiteral("--no-window");
        QTest::newRow("updater, stray argument")
            << updater << L { QStringLiteral("--no-window"), QStringLiteral("x") } << Setup::UpdateFile << 2 << L()
            << QStringLiteral("takes no arguments");
        QTest::newRow("updater, no parameter file") << updater << L { QStringLiteral("--no-window") } << Setup::None
                                                    << 2 << L() << QStringLiteral("Ethernet_Update.xml");
        QTest::newRow("updater, device silent") << updater << L { QStringLiteral("--no-window") } << Setup::SilentDevice
                                                << 1 << L() << QStringLiteral("Ethernet_Update: operation 1");
        QTest::newRow("updater, device written") << updater << L { QStringLiteral("--no-window") } << Setup::Device << 0
                                                 << L { QStringLiteral("Update complete") } << none;

        QTest::newRow("simulator --help") << simulator << L { QStringLiteral("--help") } << Setup::None << 0
                                          << helpOf
                + L { QStringLiteral("Exit status:"), QStringLiteral("  0  ended by"),
                      QStringLiteral("  1  it could not listen"), QStringLiteral("  2  the command line is wrong"),
                      QStringLiteral("Environment:") }
                                          << none;
        QTest::newRow("simulator --version")
            << simulator << L { QStringLiteral("--version") } << Setup::None << 0 << version(simulator) << none;
        QTest::newRow("simulator, unknown option")
            << simulator << L { QStringLiteral("--fast") } << Setup::None << 2 << L()
            << QStringLiteral("sw61942-device-sim: Unknown option 'fast' (see --help)");
        QTest::newRow("simulator, stray argument")
            << simulator << L { QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("dump.txt") }
            << Setup::None << 2 << L() << QStringLiteral("unexpected argument \"dump.txt\"");
        QTest::newRow("simulator, port not a number")
            << simulator << L { QStringLiteral("--silent"), QStringLiteral("--port"), QStringLiteral("20o8") }
            << Setup::None << 2 << L() << QStringLiteral("sw61942-device-sim: invalid --port \"20o8\" (see --help)");
        QTest::newRow("simulator, loss over 100")
            << simulator << L { QStringLiteral("--port=0"), QStringLiteral("--loss=101") } << Setup::None << 2 << L()
            << QStringLiteral("invalid --loss \"101\"");
        QTest::newRow("simulator, seed not a number")
            << simulator << L { QStringLiteral("--port=0"), QStringLiteral("--seed=-1") } << Setup::None << 2 << L()
            << QStringLiteral("invalid --seed \"-1\"");
        QTest::newRow("simulator, port taken")
            << simulator << L { QStringLiteral("--port"), QStringLiteral("@port") } << Setup::BusyPort << 1 << L()
            << QStringLiteral("cannot listen on 127.0.0.1:");
    }
    void exitStatus()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QFETCH(Setup, setup);
        QFETCH(int, exitCode);
        QFETCH(QStringList, stdoutHas);
        QFETCH(QString, stderrHas);
        const QString folder = programFolder(program);
        QVERIFY(!folder.isEmpty());

        if (setup == Setup::UpdateFile || setup == Setup::Device || setup == Setup::SilentDevice) {
            const sw::UpdateParameters parameters
                = sw::updateParameters(QStringLiteral("127.0.0.1"), int(sw::UpdateChoice::Configuration), true,
                    m_dir.filePath(QStringLiteral("MASTER")), m_dir.filePath(QStringLiteral("Plant")));
            QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("Plant/bin"))));
            QVERIFY(writeFile(parameters.bank1File, QByteArray(2048, 'a')));
            QVERIFY(writeFile(parameters.bank2File, QByteArray(90, 'b')));
            sw::writeUpdateParametersFile(folder, parameters);
        }
        Simulator simulator;
        if (setup == Setup::Device || setup == Setup::SilentDevice) {
            QStringList options { QStringLiteral("--port"), QStringLiteral("0") };
            if (setup == Setup::SilentDevice)
                options << QStringLiteral("--silent");
            const QString problem = simulator.start(options);
            QVERIFY2(problem.isEmpty(), qPrintable(problem));
        }
        QUdpSocket taken;
        if (setup == Setup::BusyPort) {
            QVERIFY(taken.bind(QHostAddress(QStringLiteral("127.0.0.1")), 0));
            args.replaceInStrings(QStringLiteral("@port"), QString::number(taken.localPort()));
        }
        const QStringList before = entries(folder);

        const Run result = run(folder + u'/' + program, args, simulator.port);
        QCOMPARE(result.exitCode, exitCode);
        for (const QString &text : stdoutHas)
            QVERIFY2(result.out.contains(text), qPrintable(text + u'\n' + result.out));
        if (stderrHas.isEmpty())
            QVERIFY2(result.err.isEmpty(), qPrintable(result.err));
        else
            QVERIFY2(result.err.contains(stderrHas), qPrintable(result.err));
        // Answering the command line leaves the program's folder as it was: no workspace, no settings.
        QCOMPARE(entries(folder), before);
    }
};

QTEST_GUILESS_MAIN(tst_CommandLines)
#include "tst_CommandLines.moc"
