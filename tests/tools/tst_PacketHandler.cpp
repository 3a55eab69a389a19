#include "sw61942-device-sim/PacketHandler.h"

#include <QTest>

using namespace sw::block;

namespace {

struct CountingActions : DeviceActions
{
    void applicationStarted() override { ++starts; }
    int starts = 0;
};

} // namespace

// The simulated device's handling of requests beyond its memory: a start request sent again after
// its answer was lost must not start the application twice.
class tst_PacketHandler : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startOnce_data()
    {
        // Requests in order, each a command and a sequence number; then how often the application started.
        QTest::addColumn<QList<int>>("commands");
        QTest::addColumn<QList<int>>("sequences");
        QTest::addColumn<int>("starts");

        QTest::newRow("one start") << QList<int> { Start } << QList<int> { 7 } << 1;
        QTest::newRow("sent again twice, answers lost")
            << QList<int> { Start, Start, Start } << QList<int> { 7, 7, 7 } << 1;
        QTest::newRow("a new sequence starts again") << QList<int> { Start, Start } << QList<int> { 7, 8 } << 2;
        QTest::newRow("the same number in a later update")
            << QList<int> { Start, Write, Start } << QList<int> { 7, 8, 7 } << 2;
        QTest::newRow("a read between") << QList<int> { Start, Read, Start } << QList<int> { 7, 8, 7 } << 2;
    }

    void startOnce()
    {
        QFETCH(QList<int>, commands);
        QFETCH(QList<int>, sequences);
        QFETCH(int, starts);

        CountingActions actions;
        PacketHandler handler(actions);
        for (qsizetype i = 0; i < commands.size(); ++i) {
            const quint8 command = quint8(commands[i]);
            const Packet request { command, Done, quint16(sequences[i]), 0x08000, quint16(command == Start ? 0 : 1),
                command == Write ? QByteArray("\x5A") : QByteArray() };
            const Packet answer = handler.answer(request);
            QVERIFY2(isAnswerTo(answer, request), qPrintable(QString::number(i)));
            QCOMPARE(answer.status, quint8(Done));
        }
        QCOMPARE(actions.starts, starts);
    }
};

QTEST_GUILESS_MAIN(tst_PacketHandler)
#include "tst_PacketHandler.moc"
