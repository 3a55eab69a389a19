// The whole road of an update: project documents, the configurator's image compiler and parameter
// file, then the stand-in updater against the device simulator on 127.0.0.1.

#include "DeviceSimulator.h"
#include "TestFiles.h"

#include "core/documents/ProjectFiles.h"
#include "core/image/Compiler.h"
#include "core/update/IpAddress.h"
#include "core/update/UpdateParameters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

using namespace sw::image;
using sw::test::builtUpdater;
using sw::test::readFile;
using sw::test::readSimulatorDump;
using sw::test::runUpdater;
using sw::test::Simulator;
using sw::test::simulatorPath;
using sw::test::writeFile;

namespace {

constexpr quint16 FileBootPort = 2008; // the port that the parameter file names

constexpr quint32 FirmwareAddress = 0x08000;
constexpr quint32 Bank1Address = 0x07000;
constexpr quint32 Bank2Address = 0x80000;

QByteArray parGen(const QByteArray &key)
{
    return "<Par_Gen><Ethernet_IP4>77</Ethernet_IP4><MODBUS_SLAVE_IDDEVICE>5</MODBUS_SLAVE_IDDEVICE>"
           "<IEC61850_Server_Password>pw</IEC61850_Server_Password><TLS_Server_Enable>1</TLS_Server_Enable>"
           "<TLS_Server_Enable_Known_Cert>1</TLS_Server_Enable_Known_Cert><TLS_Server_Key>"
        + key + "</TLS_Server_Key></Par_Gen><!--SW_VERSION = 1.000-->";
}

} // namespace

class tst_Road : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_program; // a program folder with a copy of the updater and the firmware in MASTER
    QString m_project;
    QByteArray m_firmware;

    QString dumpPath() const { return m_dir.filePath(QStringLiteral("dump.txt")); }
    QString imagePath(const char *name) const { return QDir(sw::imageFolder(m_project)).filePath(QLatin1String(name)); }

    // The configurator's part: compile the images and write the parameter file with the device
    // address as the boxes held it.
    void prepare(int choice, bool readBack, const QString &address = QStringLiteral("127.0.0.1"))
    {
        const Images images = ImageCompiler().Compile_Bin(sw::projectDocuments(m_project));
        Save_Bin(sw::imageFolder(m_project), images);
        sw::writeUpdateParametersFile(m_program,
            sw::updateParameters(
                address, choice, readBack, QDir(m_program).filePath(QStringLiteral("MASTER")), m_project));
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!QFileInfo(builtUpdater).isExecutable() || !QFileInfo(simulatorPath).isExecutable())
            QSKIP("Ethernet_Update or sw61942-device-sim is not built");
        QVERIFY(m_dir.isValid());
    }

    void init()
    {
        m_program = m_dir.filePath(QStringLiteral("program"));
        QDir(m_program).removeRecursively();
        QFile::remove(dumpPath());
        QVERIFY(QDir().mkpath(m_program));
        // A copy, not a link: the updater finds its parameter file through its own folder.
        QVERIFY(QFile::copy(builtUpdater, sw::updaterProgramPath(m_program)));
        m_firmware.clear();
        for (int i = 0; i < 5000; ++i)
            m_firmware.append(char((i * 7 + i / 256) & 0xFF));
        QVERIFY(writeFile(m_program + QStringLiteral("/MASTER/Sim61942.sim"), m_firmware));

        m_project = m_program + QStringLiteral("/PROJECTS/Plant A");
        QVERIFY(writeFile(m_project + QStringLiteral("/ParGen.xml"), parGen("KEY")));
        QVERIFY(writeFile(m_project + QStringLiteral("/IEC61850_Variables.xml"),
            "<IEC61850_Variables><row Enable=\"Y\" Name=\"AB\" Type=\"Float\" Length=\"4\" Position=\"12\" "
            "MultiplicationFactor=\"0,5\"/><row Enable=\"Y\" Name=\"CD\" Type=\"Digital\" Length=\"1\" "
            "Position=\"3\"/></IEC61850_Variables><!--SW_VERSION = 1.000-->"));
        QVERIFY(writeFile(m_project + QStringLiteral("/TLS_Known_Cert.xml"),
            "<TLS_Server_Known_Cert><row Enable=\"Y\" Certificate=\"C1\" Mnemonic=\"M1\"/>"
            "<row Enable=\"Y\" Certificate=\"C2\" Mnemonic=\"M2\"/></TLS_Server_Known_Cert>"
            "<!--SW_VERSION = 1.000-->"));
    }

    void wholeRoad_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<bool>("readBack");
        QTest::addColumn<int>("dropEvery");
        QTest::addColumn<bool>("filePort"); // the simulator on the file's own port, no override
        QTest::addColumn<QString>("address"); // the device address as the dialog's boxes held it
        const QString loopback = QStringLiteral("127.0.0.1");
        QTest::newRow("firmware and configuration, port of the file") << 0 << true << 0 << true << loopback;
        QTest::newRow("configuration without read back") << 2 << false << 0 << false << loopback;
        QTest::newRow("firmware only") << 1 << true << 0 << false << loopback;
        QTest::newRow("every 5th request dropped") << 0 << true << 5 << false << loopback;
        QTest::newRow("every 2nd request dropped") << 2 << true << 2 << false << loopback;
        QTest::newRow("leading zeros in the address") << 2 << true << 0 << false << QStringLiteral("127.000.000.001");
        // Octal would make it 127.0.0.8, where no device listens.
        QTest::newRow("leading zero is decimal") << 2 << false << 0 << false << QStringLiteral("127.0.0.010");
    }
    void wholeRoad()
    {
        QFETCH(int, choice);
        QFETCH(bool, readBack);
        QFETCH(int, dropEvery);
        QFETCH(bool, filePort);
        QFETCH(QString, address);
        prepare(choice, readBack, address);
        // The simulator listens on the address the text means.
        const QString device = sw::ipv4AddressText(sw::parseIpv4Address(address).value_or(0));
        if (device != QLatin1String("127.0.0.1") && !QUdpSocket().bind(QHostAddress(device), 0))
            QSKIP(qPrintable(device + QStringLiteral(" is not a local address here")));

        Simulator sim;
        const QString problem = sim.start({ QStringLiteral("--address"), device, QStringLiteral("--port"),
            QString::number(filePort ? FileBootPort : 0), QStringLiteral("--dump"), dumpPath(),
            QStringLiteral("--drop-every"), QString::number(dropEvery) });
        if (filePort && !problem.isEmpty())
            QSKIP(qPrintable(QStringLiteral("port %1 is taken: %2").arg(FileBootPort).arg(problem)));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));

        const sw::test::UpdaterRun run = runUpdater(m_program, filePort ? 0 : sim.port);
        QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));
        QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
        QVERIFY(sim.stop());

        QMap<quint32, QByteArray> expected;
        if (choice != 2)
            expected.insert(FirmwareAddress, m_firmware);
        if (choice != 1) {
            expected.insert(Bank1Address, readFile(imagePath(sw::Bank1FileName)));
            expected.insert(Bank2Address, readFile(imagePath(sw::Bank2FileName)));
        }
        const sw::test::SimulatorDump dump = readSimulatorDump(dumpPath());
        QCOMPARE(dump.regions.keys(), expected.keys());
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            QVERIFY2(dump.regions.value(it.key()) == it.value(), qPrintable(QString::number(it.key(), 16)));
        // Started once, after the last operation.
        QCOMPARE(dump.started, 1);
        const QString startLine = QStringLiteral("device asked to start its application");
        QCOMPARE(run.out.count(startLine), 1);
        QVERIFY2(run.out.indexOf(startLine) > run.out.lastIndexOf(QStringLiteral("Operation ")), qPrintable(run.out));
        QCOMPARE(run.out.count(QStringLiteral("read back and compared")), readBack ? expected.size() : 0);
        QCOMPARE(run.out.count(QStringLiteral(" on %1:").arg(device)), expected.size());
    }

    void fullSecondImage()
    {
        // A key long enough to fill bank2.bin to its last byte.
        QByteArray key(1, 'k');
        for (int pass = 0; pass < 2; ++pass) {
            QVERIFY(writeFile(m_project + QStringLiteral("/ParGen.xml"), parGen(key)));
            const qint64 size = ImageCompiler().Compile_Bin(sw::projectDocuments(m_project)).bank2.size();
            key.resize(key.size() + (Bank2MaxSize - size), 'k');
        }
        prepare(2, true);
        const QByteArray bank2 = readFile(imagePath(sw::Bank2FileName));
        QCOMPARE(bank2.size(), Bank2MaxSize);

        Simulator sim;
        const QString problem
            = sim.start({ QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--dump"), dumpPath() });
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        const sw::test::UpdaterRun run = runUpdater(m_program, sim.port);
        QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));
        QVERIFY(sim.stop());
        QVERIFY(readSimulatorDump(dumpPath()).regions.value(Bank2Address) == bank2);

        const QRegularExpressionMatchIterator times
            = QRegularExpression(QStringLiteral("done in (\\d+) ms")).globalMatch(run.out);
        QStringList figures;
        for (const QRegularExpressionMatch &m : times)
            figures << m.captured(1);
        qInfo("second image of %lld bytes: written and read back in %s ms (updater ran %lld ms in all)",
            qint64(bank2.size()), qPrintable(figures.value(1, QStringLiteral("?"))), run.elapsedMs);
    }

    void silentDevice()
    {
        prepare(0, true);
        Simulator sim;
        const QString problem = sim.start({ QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--silent"),
            QStringLiteral("--dump"), dumpPath() });
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        const sw::test::UpdaterRun run = runUpdater(m_program, sim.port);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err.count(u'\n'), 1);
        QVERIFY2(run.err.contains(QStringLiteral("no answer from 127.0.0.1:%1").arg(sim.port))
                && run.err.contains(QStringLiteral("Sim61942.sim")),
            qPrintable(run.err));
        QVERIFY2(run.elapsedMs < 10000, qPrintable(QString::number(run.elapsedMs)));
        QVERIFY(sim.stop());
        const sw::test::SimulatorDump dump = readSimulatorDump(dumpPath());
        QVERIFY(dump.regions.isEmpty());
        QCOMPARE(dump.started, 0);
    }

    // A device that refuses a write (this one would store the second image past its flash): the
    // updater stops there, after the first image.
    void refusedWrite()
    {
        prepare(2, false);
        Simulator sim;
        const QString problem = sim.start({ QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--dump"),
            dumpPath(), QStringLiteral("--shift-writes"), QStringLiteral("0x80000") });
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        const sw::test::UpdaterRun run = runUpdater(m_program, sim.port);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(QStringLiteral("refused")) && run.err.contains(QStringLiteral("0x80000"))
                && run.err.contains(QStringLiteral("bank2.bin")),
            qPrintable(run.err));
        QVERIFY(sim.stop());
        const sw::test::SimulatorDump dump = readSimulatorDump(dumpPath());
        QCOMPARE(dump.regions.keys(), QList<quint32> { Bank1Address + 0x80000 });
        QCOMPARE(dump.started, 0);
    }

    // Problems found before anything is sent: no simulator is needed, none is reached.
    void parameterFileProblems_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<QByteArray>("from"); // replaced in the written file
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QString>("removed"); // a file removed after writing, relative to the program folder
        QTest::addColumn<QString>("errorHas");
        QTest::newRow("no parameter file") << 0 << QByteArray() << QByteArray() << QStringLiteral("Ethernet_Update.xml")
                                           << QStringLiteral("not found");
        QTest::newRow("not well-formed") << 0 << QByteArray("</Operations>") << QByteArray("</Operation>") << QString()
                                         << QStringLiteral("not a well-formed");
        QTest::newRow("other root") << 0 << QByteArray("Ethernet_Update>") << QByteArray("Update>") << QString()
                                    << QStringLiteral("root element");
        QTest::newRow("unknown version") << 0 << QByteArray(">1000<") << QByteArray(">2000<") << QString()
                                         << QStringLiteral("Version is \"2000\"");
        QTest::newRow("address of three parts") << 0 << QByteArray("127.0.0.1") << QByteArray("127.0.1") << QString()
                                                << QStringLiteral("IP_Address_Dev is \"127.0.1\"");
        QTest::newRow("unknown read-back value")
            << 2 << QByteArray("<Ope_Read_Back>1<") << QByteArray("<Ope_Read_Back>yes<") << QString()
            << QStringLiteral("Operation 1: Ope_Read_Back is \"yes\"");
        QTest::newRow("start address not hexadecimal")
            << 2 << QByteArray("0x80000") << QByteArray("80000") << QString() << QStringLiteral("Ope_Start_Address");
        QTest::newRow("start address outside the flash")
            << 2 << QByteArray("0x80000") << QByteArray("0x00100") << QString()
            << QStringLiteral("Operation 2: Ope_Start_Address 0x00100 lies in none of the device's regions");
        QTest::newRow("missing element") << 2 << QByteArray("<Ope_GoToApp_After>1</Ope_GoToApp_After>") << QByteArray()
                                         << QString() << QStringLiteral("Operation 2: Ope_GoToApp_After is missing");
        QTest::newRow("no operations") << 3 << QByteArray() << QByteArray() << QString()
                                       << QStringLiteral("no Operation");
        QTest::newRow("missing firmware") << 0 << QByteArray() << QByteArray() << QStringLiteral("MASTER/Sim61942.sim")
                                          << QStringLiteral("Sim61942.sim");
        QTest::newRow("missing second image")
            << 2 << QByteArray() << QByteArray() << QStringLiteral("PROJECTS/Plant A/bin/bank2.bin")
            << QStringLiteral("bank2.bin\" does not exist");
    }
    void parameterFileProblems()
    {
        QFETCH(int, choice);
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QString, removed);
        QFETCH(QString, errorHas);
        prepare(choice, true);
        const QString parameters = sw::updateParametersPath(m_program);
        if (!from.isEmpty()) {
            QByteArray document = readFile(parameters);
            QVERIFY(document.contains(from));
            QVERIFY(writeFile(parameters, document.replace(from, to)));
        }
        if (!removed.isEmpty())
            QVERIFY(QFile::remove(QDir(m_program).filePath(removed)));

        // A port where nothing listens: the run must fail before it sends anything.
        const sw::test::UpdaterRun run = runUpdater(m_program, 9);
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.err.count(u'\n'), 1);
        QVERIFY2(
            run.err.startsWith(QStringLiteral("Ethernet_Update: ")) && run.err.contains(errorHas), qPrintable(run.err));
        QVERIFY2(!run.out.contains(QStringLiteral("Operation ")), qPrintable(run.out));
    }
};

QTEST_GUILESS_MAIN(tst_Road)
#include "tst_Road.moc"
