// The updater's transfer asked to stop: it sends no further request and names the one it did not
// send. Against the device simulator on 127.0.0.1, or a bare socket that only listens.

#include "DeviceSimulator.h"

#include "Ethernet_Update/Transfer.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

using namespace sw::test;
using updater::Operation;
using updater::Transfer;

namespace {

Operation operation(quint16 port, qsizetype size, bool readBack)
{
    Operation op;
    op.fileName = QStringLiteral("Sim61942.sim");
    for (qsizetype i = 0; i < size; ++i)
        op.data.append(char(i * 7));
    op.startAddress = 0x08000;
    op.host = QStringLiteral("127.0.0.1");
    op.port = port;
    op.readBack = readBack;
    op.goToAppAfter = true;
    return op;
}

} // namespace

class tst_Transfer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stoppedBeforeTheStart()
    {
        QUdpSocket device;
        QVERIFY(device.bind(QHostAddress::LocalHost, 0));
        Transfer transfer({ operation(device.localPort(), 3000, true) });
        QSignalSpy failed(&transfer, &Transfer::failed);
        transfer.requestStop();
        transfer.run();
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed[0][0].toInt(), 0);
        QCOMPARE(failed[0][1].toString(),
            QStringLiteral("the update was stopped before the write request at 0x08000 to 127.0.0.1:%1")
                .arg(device.localPort()));
        QVERIFY(!device.waitForReadyRead(100));
    }

    // A stop asked for after a block takes effect at the next request, whatever it is.
    void stoppedHalfWay_data()
    {
        QTest::addColumn<bool>("duringReadBack");
        QTest::addColumn<QString>("notSent");
        QTest::newRow("while writing") << false << "write request at 0x08400";
        QTest::newRow("while reading back") << true << "read request at 0x08400";
    }
    void stoppedHalfWay()
    {
        QFETCH(bool, duringReadBack);
        QFETCH(QString, notSent);
        if (!QFileInfo(simulatorPath).isExecutable())
            QSKIP("sw61942-device-sim is not built");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString dump = dir.filePath(QStringLiteral("dump.txt"));
        Simulator sim;
        const QString problem
            = sim.start({ QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--dump"), dump });
        QVERIFY2(problem.isEmpty(), qPrintable(problem));

        const Operation op = operation(sim.port, 3000, true);
        Transfer transfer({ op });
        QSignalSpy failed(&transfer, &Transfer::failed);
        QSignalSpy completed(&transfer, &Transfer::completed);
        connect(
            &transfer, duringReadBack ? &Transfer::verified : &Transfer::written, this, [&transfer](int, qint64 done) {
                if (done == 1024)
                    transfer.requestStop();
            });
        transfer.run();
        QCOMPARE(completed.size(), 0);
        QCOMPARE(failed.size(), 1);
        QVERIFY2(failed[0][1].toString().endsWith(notSent + QStringLiteral(" to 127.0.0.1:%1").arg(sim.port)),
            qPrintable(failed[0][1].toString()));
        QVERIFY(sim.stop());
        const SimulatorDump held = readSimulatorDump(dump);
        QCOMPARE(held.regions.value(0x08000), duringReadBack ? op.data : op.data.left(1024));
        QCOMPARE(held.started, 0);
    }
};

QTEST_GUILESS_MAIN(tst_Transfer)
#include "tst_Transfer.moc"
