// The stand-in updater in its window: the real program against the device simulator on 127.0.0.1,
// on the offscreen platform. The window saves a picture and its state text half-way through and at
// the end, and presses its own Close button after the end, which ends the program.

#include "DeviceSimulator.h"
#include "TestFiles.h"

#include "core/update/UpdateParameters.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace sw::test;

namespace {

// "name: text" lines of a state file, by name.
QMap<QString, QString> readState(const QString &path)
{
    QMap<QString, QString> state;
    for (const QByteArray &line : readFile(path).split('\n')) {
        const qsizetype colon = line.indexOf(": ");
        if (colon > 0)
            state.insert(QString::fromUtf8(line.left(colon)), QString::fromUtf8(line.mid(colon + 2)));
    }
    return state;
}

// The value and maximum of a bar's "value/maximum" line.
std::pair<int, int> barOf(const QString &line)
{
    const QStringList parts = line.split(u'/');
    return { parts.value(0).toInt(), parts.value(1, QStringLiteral("-1")).toInt() };
}

} // namespace

class tst_UpdaterWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // A program folder with a copy of the updater and a parameter file for firmware and both images.
    QString prepare(bool readBack, bool removeBank2)
    {
        const QString program = m_dir.filePath(QStringLiteral("program"));
        QDir(program).removeRecursively();
        const QString master = QDir(program).filePath(QStringLiteral("MASTER"));
        const QString project = QDir(program).filePath(QStringLiteral("PROJECTS/Plant"));
        const sw::UpdateParameters parameters = sw::updateParameters(
            QStringLiteral("127.0.0.1"), int(sw::UpdateChoice::FirmwareAndConfiguration), readBack, master, project);
        if (!QDir().mkpath(program) || !QFile::copy(builtUpdater, sw::updaterProgramPath(program))
            || !writeFile(parameters.firmwareFile, QByteArray(6000, 'f'))
            || !writeFile(parameters.bank1File, QByteArray(2048, '1'))
            || (!removeBank2 && !writeFile(parameters.bank2File, QByteArray(3000, '2'))))
            return {};
        sw::writeUpdateParametersFile(program, parameters);
        return program;
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!QFileInfo(builtUpdater).isExecutable() || !QFileInfo(simulatorPath).isExecutable())
            QSKIP("Ethernet_Update or sw61942-device-sim is not built");
        QVERIFY(m_dir.isValid());
    }

    void window_data()
    {
        QTest::addColumn<QStringList>("device"); // simulator options
        QTest::addColumn<bool>("readBack");
        QTest::addColumn<bool>("removeBank2");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("result"); // a pattern of the window's result line

        QTest::newRow("written and read back")
            << QStringList { QStringLiteral("--delay"), QStringLiteral("5") } << true << false << 0
            << "^Update complete: 3 operation\\(s\\) written and read back\\.$";
        QTest::newRow("written only") << QStringList() << false << false << 0
                                      << "^Update complete: 3 operation\\(s\\) written\\.$";
        QTest::newRow("silent device")
            << QStringList { QStringLiteral("--silent") } << true << false << 1
            << "^Update failed: operation 1 \\(Sim61942\\.sim\\): no answer from 127\\.0\\.0\\.1:\\d+ to the write "
               "request at 0x08000 after 5 attempts";
        QTest::newRow("device silent during read-back")
            << QStringList { QStringLiteral("--stop-after"), QStringLiteral("6") } << true << false << 1
            << "^Update failed: operation 1 \\(Sim61942\\.sim\\): no answer from 127\\.0\\.0\\.1:\\d+ to the read "
               "request at 0x08000";
        QTest::newRow("missing data file")
            << QStringList() << true << true << 2
            << "^Update failed, nothing was sent: Ethernet_Update\\.xml: Operation 3: the data file .*bank2\\.bin\" "
               "does not exist$";
    }

    // The window shows each operation's progress and the result in one line, and the program ends
    // with its documented exit code once Close is pressed.
    void window()
    {
        QFETCH(QStringList, device);
        QFETCH(bool, readBack);
        QFETCH(bool, removeBank2);
        QFETCH(int, exitCode);
        QFETCH(QString, result);

        const QString program = prepare(readBack, removeBank2);
        QVERIFY(!program.isEmpty());
        const QString shots = m_dir.filePath(QStringLiteral("shots-%1").arg(QTest::currentDataTag()));
        QVERIFY(QDir().mkpath(shots));
        Simulator sim;
        const QString problem = sim.start(QStringList { QStringLiteral("--port"), QStringLiteral("0") } + device);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));

        const UpdaterRun run = runUpdater(program, sim.port, 30000, { true, shots, 0, {} });
        QVERIFY2(run.exitCode == exitCode, qPrintable(run.out + run.err));

        const QMap<QString, QString> after = readState(QDir(shots).filePath(QStringLiteral("after.txt")));
        QVERIFY2(after.value(QStringLiteral("result")).contains(QRegularExpression(result)),
            qPrintable(after.value(QStringLiteral("result"))));
        QCOMPARE(after.value(QStringLiteral("closeButton")), QStringLiteral("Close, enabled, default, focused"));
        const QImage picture(QDir(shots).filePath(QStringLiteral("after.png")));
        QVERIFY(picture.width() >= 480 && picture.height() >= 100);
        if (exitCode == 2) {
            QCOMPARE(after.value(QStringLiteral("device")),
                QStringLiteral("Device: not known, the parameter file could not be used"));
            QVERIFY(!after.contains(QStringLiteral("written1")));
            return;
        }
        QCOMPARE(after.value(QStringLiteral("device")), QStringLiteral("Device: 127.0.0.1:%1").arg(sim.port));
        // One bar of bytes written per operation, and one of bytes verified when it reads back.
        const int sizes[] = { 6000, 2048, 3000 };
        for (int i = 1; i <= 3; ++i) {
            const auto [written, size] = barOf(after.value(QStringLiteral("written%1").arg(i)));
            QCOMPARE(size, sizes[i - 1]);
            QCOMPARE(after.contains(QStringLiteral("verified%1").arg(i)), readBack);
            if (exitCode == 0) {
                QCOMPARE(written, size);
                if (readBack)
                    QCOMPARE(barOf(after.value(QStringLiteral("verified%1").arg(i))).first, size);
            }
        }
        if (exitCode == 0) {
            const QString state3 = after.value(QStringLiteral("state3"));
            QVERIFY2(state3.contains(QRegularExpression(QStringLiteral("^done in \\d+\\.\\d s, application started$"))),
                qPrintable(state3));
            // Half-way: some bytes done, not all of them, and Close not yet offered.
            const QMap<QString, QString> during = readState(QDir(shots).filePath(QStringLiteral("during.txt")));
            int done = 0;
            int all = 0;
            for (auto it = during.cbegin(); it != during.cend(); ++it) {
                if (it.key().startsWith(QLatin1String("written")) || it.key().startsWith(QLatin1String("verified"))) {
                    done += barOf(it.value()).first;
                    all += barOf(it.value()).second;
                }
            }
            QVERIFY2(2 * done >= all && done < all, qPrintable(QStringLiteral("%1 of %2").arg(done).arg(all)));
            QVERIFY2(during.value(QStringLiteral("closeButton")).startsWith(QStringLiteral("Close, disabled")),
                qPrintable(during.value(QStringLiteral("closeButton"))));
            QVERIFY(!QImage(QDir(shots).filePath(QStringLiteral("during.png"))).isNull());
        } else {
            QCOMPARE(after.value(QStringLiteral("state1")), QStringLiteral("failed"));
            QCOMPARE(after.value(QStringLiteral("state3")), QStringLiteral("not started"));
        }
    }

    // Scripts ask for the console with --no-window: no window opens even where a display is, and
    // the program ends by itself after its report.
    void noWindowOption()
    {
        const QString program = prepare(true, false);
        QVERIFY(!program.isEmpty());
        const QString shots = m_dir.filePath(QStringLiteral("shots-no-window"));
        QVERIFY(QDir().mkpath(shots));
        Simulator sim;
        const QString problem = sim.start({ QStringLiteral("--port"), QStringLiteral("0") });
        QVERIFY2(problem.isEmpty(), qPrintable(problem));

        const UpdaterRun run
            = runUpdater(program, sim.port, 10000, { true, shots, -1, { QStringLiteral("--no-window") } });
        QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));
        QVERIFY2(run.out.endsWith(QStringLiteral("Update complete\n")), qPrintable(run.out));
        QVERIFY(run.err.isEmpty());
        QCOMPARE(QDir(shots).entryList(QDir::Files), QStringList());
    }

    // A display that is named but cannot be opened (an X server that is not running, a Wayland
    // socket that is gone, a Qt platform that does not exist) leaves the updater on the console, as
    // with no display at all: it says so once, sends everything and ends by itself.
    void unusableDisplayFallsBackToTheConsole_data()
    {
        QTest::addColumn<QStringList>("environment");
        // An X display number with no server behind it.
        int number = 87;
        while (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)))
            ++number;
        QTest::newRow("X server not running") << QStringList { QStringLiteral("DISPLAY=:%1").arg(number) };
        QTest::newRow("Wayland socket gone") << QStringList { QStringLiteral("WAYLAND_DISPLAY=sw61942-no-such-socket"),
            QStringLiteral("XDG_RUNTIME_DIR=") + m_dir.path() };
        QTest::newRow("unknown Qt platform") << QStringList { QStringLiteral("QT_QPA_PLATFORM=no-such-platform") };
    }
    void unusableDisplayFallsBackToTheConsole()
    {
        QFETCH(QStringList, environment);
        const QString program = prepare(true, false);
        QVERIFY(!program.isEmpty());
        Simulator sim;
        const QString problem = sim.start({ QStringLiteral("--port"), QStringLiteral("0") });
        QVERIFY2(problem.isEmpty(), qPrintable(problem));

        const UpdaterRun run = runUpdater(program, sim.port, 20000, {}, environment);
        QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));
        QVERIFY2(run.out.endsWith(QStringLiteral("Update complete\n")), qPrintable(run.out));
        QCOMPARE(run.err,
            QStringLiteral("Ethernet_Update: the display cannot be opened; the progress is printed here only\n"));
    }

    // The window speaks the language of the configurator's settings beside the updater, also when
    // it is started through the link in a per-user workspace, whose settings count.
    void windowInTheConfiguratorsLanguage_data()
    {
        QTest::addColumn<bool>("fromWorkspace");
        QTest::newRow("program folder") << false;
        QTest::newRow("per-user workspace") << true;
    }
    void windowInTheConfiguratorsLanguage()
    {
        QFETCH(bool, fromWorkspace);
        const QString program = prepare(true, false);
        QVERIFY(!program.isEmpty());
        QVERIFY(QDir().mkpath(QDir(program).filePath(QStringLiteral("LANGUAGE"))));
        QVERIFY(QFile::copy(QStringLiteral(SW_SOURCE_DIR "/resources/LANGUAGE/Deutsch.lng"),
            QDir(program).filePath(QStringLiteral("LANGUAGE/Deutsch.lng"))));
        const QByteArray german = "<Conf_Settings><lastlang><language>Deutsch</language></lastlang></Conf_Settings>";
        QString started = program;
        if (fromWorkspace) {
            started = m_dir.filePath(QStringLiteral("workspace"));
            QDir(started).removeRecursively();
            QVERIFY(QDir().mkpath(started));
            QVERIFY(QFile::link(sw::updaterProgramPath(program), sw::updaterProgramPath(started)));
            QVERIFY(QFile::rename(sw::updateParametersPath(program), sw::updateParametersPath(started)));
        }
        QVERIFY(writeFile(QDir(started).filePath(QStringLiteral("Talvento.xml")), german));
        const QString shots = m_dir.filePath(QStringLiteral("shots-language-%1").arg(QTest::currentDataTag()));
        QDir(shots).removeRecursively();
        QVERIFY(QDir().mkpath(shots));
        Simulator sim;
        const QString problem = sim.start({ QStringLiteral("--port"), QStringLiteral("0") });
        QVERIFY2(problem.isEmpty(), qPrintable(problem));

        const UpdaterRun run = runUpdater(started, sim.port, 30000, { true, shots, 0, {} });
        QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));
        const QMap<QString, QString> after = readState(QDir(shots).filePath(QStringLiteral("after.txt")));
        QCOMPARE(after.value(QStringLiteral("heading")), QStringLiteral("Das Gerät ist aktualisiert."));
        QCOMPARE(after.value(QStringLiteral("result")),
            QStringLiteral("Aktualisierung abgeschlossen, Vorgänge geschrieben und zurückgelesen: 3."));
        QCOMPARE(after.value(QStringLiteral("closeButton")), QStringLiteral("Schließen, enabled, default, focused"));
        // The console stays in English for scripts.
        QVERIFY2(run.out.endsWith(QStringLiteral("Update complete\n")), qPrintable(run.out));
    }
};

QTEST_GUILESS_MAIN(tst_UpdaterWindow)
#include "tst_UpdaterWindow.moc"
