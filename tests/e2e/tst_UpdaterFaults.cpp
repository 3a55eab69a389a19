// The stand-in updater against a faulty device: the simulator on 127.0.0.1 loses, doubles, swaps,
// delays or stops its answers. Whatever happens, the updater either reports success with the
// device holding exactly the data, or fails in bounded time with a message that names the device
// and the request; it never takes an answer to another request for the one it waits on. Answers it
// cannot trust (from a stranger, naming another address, or contradicted by the read-back) make it
// fail the same way.

#include "DeviceSimulator.h"
#include "TestFiles.h"

#include "core/documents/ProjectFiles.h"
#include "core/update/UpdateParameters.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

using namespace sw::test;

namespace {

constexpr quint32 FirmwareAddress = 0x08000;
constexpr quint32 Bank1Address = 0x07000;
constexpr quint32 Bank2Address = 0x80000;

enum class Outcome { Completes, Fails, Either };

QByteArray pattern(int size, int salt)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 31 + i / 251 + salt) & 0xFF);
    return bytes;
}

// Whether every byte the device holds is a byte of the data at its address: a partial transfer
// is allowed, anything else is not.
QString foreignBytes(const QMap<quint32, QByteArray> &held, const QMap<quint32, QByteArray> &data)
{
    for (auto it = held.cbegin(); it != held.cend(); ++it) {
        bool inside = false;
        for (auto d = data.cbegin(); d != data.cend() && !inside; ++d) {
            const qint64 offset = qint64(it.key()) - qint64(d.key());
            inside = offset >= 0 && offset + it.value().size() <= d.value().size()
                && d.value().mid(offset, it.value().size()) == it.value();
        }
        if (!inside)
            return QStringLiteral("the device holds %1 bytes at 0x%2 that are not the data's")
                .arg(it.value().size())
                .arg(it.key(), 0, 16);
    }
    return {};
}

} // namespace

Q_DECLARE_METATYPE(Outcome)

class tst_UpdaterFaults : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_program;
    QMap<quint32, QByteArray> m_data; // what the three operations write, by address
    qint64 m_worstMs = 0;

    QString dumpPath() const { return m_dir.filePath(QStringLiteral("dump.txt")); }

    // What one update against the simulator came to.
    struct Result
    {
        UpdaterRun run;
        SimulatorDump dump;
        quint16 port = 0; // the simulator's
    };

    // Runs the three operations against a simulator started with `faults`: a program folder with a
    // copy of the updater (it finds its parameter file beside itself), the firmware, the two images
    // and the parameter file for all three. `data` replaces m_data.
    Result update(const QStringList &faults, bool readBack, const QMap<quint32, QByteArray> &data = {})
    {
        const QMap<quint32, QByteArray> &files = data.isEmpty() ? m_data : data;
        Result result;
        m_program = m_dir.filePath(QStringLiteral("program"));
        QDir(m_program).removeRecursively();
        QFile::remove(dumpPath());
        [&] {
            QVERIFY(QDir().mkpath(m_program));
            QVERIFY(QFile::copy(builtUpdater, sw::updaterProgramPath(m_program)));
            const QString master = QDir(m_program).filePath(QStringLiteral("MASTER"));
            const QString project = QDir(m_program).filePath(QStringLiteral("PROJECTS/Plant"));
            const sw::UpdateParameters parameters = sw::updateParameters(QStringLiteral("127.0.0.1"),
                int(sw::UpdateChoice::FirmwareAndConfiguration), readBack, master, project);
            QVERIFY(writeFile(parameters.firmwareFile, files.value(FirmwareAddress)));
            QVERIFY(writeFile(parameters.bank1File, files.value(Bank1Address)));
            QVERIFY(writeFile(parameters.bank2File, files.value(Bank2Address)));
            sw::writeUpdateParametersFile(m_program, parameters);

            Simulator sim;
            const QString problem = sim.start(
                QStringList { QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--dump"), dumpPath() }
                + faults);
            QVERIFY2(problem.isEmpty(), qPrintable(problem));
            result.port = sim.port;
            result.run = runUpdater(m_program, sim.port);
            m_worstMs = std::max(m_worstMs, result.run.elapsedMs);
            qInfo("exit %d after %lld ms %s", result.run.exitCode, result.run.elapsedMs,
                qPrintable(result.run.err.trimmed()));
            QVERIFY(sim.stop());
            result.dump = readSimulatorDump(dumpPath());
        }();
        return result;
    }

    // One line that names the operation, the device and the request it waited on.
    static void verifyFailure(const Result &result, const QString &failsOn)
    {
        const QString &err = result.run.err;
        QVERIFY2(result.run.exitCode == 1, qPrintable(result.run.out + err));
        QVERIFY2(!result.run.out.contains(QStringLiteral("Update complete")), qPrintable(result.run.out));
        QCOMPARE(err.count(u'\n'), 1);
        QVERIFY2(err.startsWith(QStringLiteral("Ethernet_Update: operation ")), qPrintable(err));
        QVERIFY2(err.contains(QStringLiteral("127.0.0.1:%1").arg(result.port)), qPrintable(err));
        QVERIFY2(err.contains(QRegularExpression(QStringLiteral("(write|read|start) request"))), qPrintable(err));
        if (!failsOn.isEmpty())
            QVERIFY2(err.contains(QRegularExpression(failsOn)), qPrintable(err));
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!QFileInfo(builtUpdater).isExecutable() || !QFileInfo(simulatorPath).isExecutable())
            QSKIP("Ethernet_Update or sw61942-device-sim is not built");
        QVERIFY(m_dir.isValid());
        // Three, two and two blocks: fifteen requests with read-back, start included.
        m_data = { { FirmwareAddress, pattern(3000, 1) }, { Bank1Address, pattern(2048, 2) },
            { Bank2Address, pattern(1500, 3) } };
    }

    void cleanupTestCase() { qInfo("longest run of the updater: %lld ms", m_worstMs); }

    void faultyDevice_data()
    {
        QTest::addColumn<QStringList>("faults"); // simulator options
        QTest::addColumn<bool>("readBack");
        QTest::addColumn<Outcome>("outcome");
        // The request a failure names, when it is certain. A device that counts requests also counts
        // a repeated one, so a run slowed past one wait may end a request earlier.
        QTest::addColumn<QString>("failsOn");

        const auto row
            = [](const char *name, const QString &faults, bool readBack, Outcome outcome, const QString &failsOn = {}) {
                  QTest::newRow(name) << faults.split(u' ', Qt::SkipEmptyParts) << readBack << outcome << failsOn;
              };
        row("sound device", {}, true, Outcome::Completes);
        row("a tenth lost", "--loss 10 --seed 1", true, Outcome::Completes);
        row("a tenth lost, no read-back", "--loss 10 --seed 2", false, Outcome::Completes);
        row("two in five lost", "--loss 40 --seed 3", true, Outcome::Either);
        row("everything lost", "--loss 100", true, Outcome::Fails, "write request at 0x08000");
        row("answers doubled", "--duplicate", true, Outcome::Completes);
        row("answers swapped", "--reorder", true, Outcome::Completes);
        row("answers swapped and doubled, no read-back", "--reorder --duplicate", false, Outcome::Completes);
        row("answers late within one wait", "--delay 60", true, Outcome::Completes);
        row("answers later than one wait", "--delay 200", true, Outcome::Completes);
        row("answers late by most of the attempts, no read-back", "--delay 400", false, Outcome::Completes);
        row("answers late by nearly all attempts", "--delay 700", false, Outcome::Either);
        row("answers later than every attempt", "--delay 1000", true, Outcome::Fails, "write request at 0x08000");
        row("silent from the start", "--stop-after 0", true, Outcome::Fails, "write request at 0x08000");
        row("silent during read-back", "--stop-after 4", true, Outcome::Fails, "read request at 0x08[04]00");
        row("silent before the start request", "--stop-after 14", true, Outcome::Fails,
            "start request|read request at 0x80400");
        // Old answers around a lost request: an updater that took them for the current one would
        // skip the lost write, and without read-back nothing else would notice.
        row("losses among doubled answers, no read-back", "--loss 30 --seed 4 --duplicate", false, Outcome::Either);
        row("losses among late answers, no read-back", "--loss 30 --seed 5 --delay 200", false, Outcome::Either);
        row("losses among swapped answers, no read-back", "--loss 30 --seed 6 --reorder", false, Outcome::Either);
        row("every fault at once", "--loss 20 --seed 7 --duplicate --reorder --delay 100", true, Outcome::Either);
    }

    void faultyDevice()
    {
        QFETCH(QStringList, faults);
        QFETCH(bool, readBack);
        QFETCH(Outcome, outcome);
        QFETCH(QString, failsOn);

        const Result result = update(faults, readBack);
        if (QTest::currentTestFailed())
            return;
        const UpdaterRun &run = result.run;
        const QString log = run.out + run.err;

        QVERIFY2(run.exitCode == 0 || run.exitCode == 1, qPrintable(log));
        if (run.exitCode == 0) {
            QVERIFY2(outcome != Outcome::Fails, qPrintable(log));
            QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
            QVERIFY2(run.out.contains(QStringLiteral("Update complete")), qPrintable(run.out));
            QCOMPARE(result.dump.regions.keys(), m_data.keys());
            for (auto it = m_data.cbegin(); it != m_data.cend(); ++it)
                QVERIFY2(result.dump.regions.value(it.key()) == it.value(), qPrintable(QString::number(it.key(), 16)));
            // A lost answer to the start request makes the updater send it again; the device starts once.
            QCOMPARE(result.dump.started, 1);
            return;
        }
        QVERIFY2(outcome != Outcome::Completes, qPrintable(log));
        verifyFailure(result, failsOn);
        if (QTest::currentTestFailed())
            return;
        const QString foreign = foreignBytes(result.dump.regions, m_data);
        QVERIFY2(foreign.isEmpty(), qPrintable(foreign));
    }

    // Data that does not fit its region stops the update before the first request, even when it is
    // the last operation's.
    void oversizedDataSendsNothing()
    {
        QMap<quint32, QByteArray> data = m_data;
        data[Bank2Address] = pattern(0x80001, 3);
        const Result result = update({}, true, data);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(result.run.exitCode, 2);
        QVERIFY2(result.run.err.contains(QStringLiteral("Operation 3: the data file")), qPrintable(result.run.err));
        QVERIFY2(result.run.err.contains(QStringLiteral("end of the bank2 region")), qPrintable(result.run.err));
        QVERIFY(result.dump.regions.isEmpty());
        QCOMPARE(result.dump.started, 0);
    }

    void untrustworthyAnswers_data()
    {
        QTest::addColumn<QStringList>("faults"); // simulator options
        QTest::addColumn<bool>("readBack");
        QTest::addColumn<QString>("failsOn"); // what the message names

        const auto row = [](const char *name, const QString &faults, bool readBack, const QString &failsOn) {
            QTest::newRow(name) << faults.split(u' ', Qt::SkipEmptyParts) << readBack << failsOn;
        };
        // The device hears every request and writes it, but a stranger answers: another process on the
        // same host, then one on another address of the device's port. Its answers are right in every
        // field the packet has.
        row("answers from another port", "--answer-from 127.0.0.1:0", true,
            "write request at 0x08000 after .*ignored \\d+ datagram\\(s\\) from other senders");
        row("answers from another address", "--answer-from 127.0.0.2", false,
            "write request at 0x08000 after .*ignored \\d+ datagram\\(s\\) from other senders");
        // The device answers, naming an address it was not asked about.
        row("answers name another address", "--shift-answers 1024", false,
            "write request at 0x08000 after .*did not match the request");
        row("stores elsewhere and says so", "--shift-writes 1024 --shift-answers 1024", true,
            "write request at 0x08000 after .*did not match the request");
        // Only the read-back can tell a device that stores elsewhere and answers as if it had not.
        row("stores elsewhere and says it did not", "--shift-writes 1024", true,
            "read-back from .* differs at 0x08000 \\(read request at 0x08000\\)");
    }

    // The updater takes no answer it has not verified: a device that cannot be trusted fails the
    // update however sound each answer looks.
    void untrustworthyAnswers()
    {
        QFETCH(QStringList, faults);
        QFETCH(bool, readBack);
        QFETCH(QString, failsOn);

        if (faults.contains(QStringLiteral("127.0.0.2"))) {
            QUdpSocket probe;
            if (!probe.bind(QHostAddress(QStringLiteral("127.0.0.2")), 0))
                QSKIP("127.0.0.2 is not a local address here");
        }
        const Result result = update(faults, readBack);
        if (QTest::currentTestFailed())
            return;
        verifyFailure(result, failsOn);
    }
};

QTEST_GUILESS_MAIN(tst_UpdaterFaults)
#include "tst_UpdaterFaults.moc"
