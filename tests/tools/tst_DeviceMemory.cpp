#include "sw61942-device-sim/DeviceMemory.h"

#include <QTest>

// The simulated flash: which writes it takes, what it reads back and how it reports the regions
// written, which is what the update tests compare against the image files.
class tst_DeviceMemory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mapBoundaries_data()
    {
        QTest::addColumn<quint32>("address");
        QTest::addColumn<quint32>("length");
        QTest::addColumn<bool>("taken");

        QTest::newRow("below the parameters") << 0x06FFFu << 1u << false;
        QTest::newRow("first parameter byte") << 0x07000u << 1u << true;
        QTest::newRow("whole parameter range") << 0x07000u << 0x1000u << true;
        QTest::newRow("last parameter byte") << 0x07FFFu << 1u << true;
        // The ranges touch, yet one write never spans two of them.
        QTest::newRow("parameters into firmware") << 0x07FFFu << 2u << false;
        QTest::newRow("first firmware byte") << 0x08000u << 1u << true;
        QTest::newRow("last firmware byte") << 0x7FFFFu << 1u << true;
        QTest::newRow("firmware into second image") << 0x7FC00u << 0x800u << false;
        QTest::newRow("first second-image byte") << 0x80000u << 1u << true;
        QTest::newRow("last byte of the flash") << 0xFFFFFu << 1u << true;
        QTest::newRow("past the flash") << 0xFFFFFu << 2u << false;
        QTest::newRow("above the flash") << 0x100000u << 1u << false;
        QTest::newRow("empty write") << 0x07000u << 0u << false;
        QTest::newRow("wraps around 32 bits") << 0xFFFFFFFFu << 2u << false;
    }

    // A write is stored whole or refused whole, and a read answers over the same map.
    void mapBoundaries()
    {
        QFETCH(quint32, address);
        QFETCH(quint32, length);
        QFETCH(bool, taken);

        QCOMPARE(DeviceMemory::inMap(address, length), taken);
        DeviceMemory memory;
        const QByteArray bytes(qsizetype(std::min(length, 0x1000u)), '\x5A');
        if (length <= 0x1000u) {
            QCOMPARE(memory.write(address, bytes), taken);
            QCOMPARE(memory.dump().isEmpty(), !taken);
        }
        bool ok = !taken;
        const QByteArray read = memory.read(address, length, &ok);
        QCOMPARE(ok, taken);
        QCOMPARE(read.size(), taken ? qsizetype(length) : 0);
    }

    void unwrittenMemoryReadsErased()
    {
        DeviceMemory memory;
        QVERIFY(memory.write(0x08010, QByteArray("\x01\x02", 2)));
        bool ok = false;
        QCOMPARE(memory.read(0x0800E, 6, &ok), QByteArray("\xFF\xFF\x01\x02\xFF\xFF", 6));
        QVERIFY(ok);
        QCOMPARE(memory.read(0x80000, 3, &ok), QByteArray(3, '\xFF'));
        QVERIFY(ok);
    }

    void merges_data()
    {
        // Each write is (address, bytes); the dump lists the regions that result.
        QTest::addColumn<QList<quint32>>("addresses");
        QTest::addColumn<QByteArrayList>("writes");
        QTest::addColumn<QByteArray>("dump");

        QTest::newRow("one write") << QList<quint32> { 0x07000 } << QByteArrayList { "ab" }
                                   << QByteArray("region 0x07000 2 6162\n");
        QTest::newRow("apart stay apart") << QList<quint32> { 0x08000, 0x08003 } << QByteArrayList { "a", "b" }
                                          << QByteArray("region 0x08000 1 61\nregion 0x08003 1 62\n");
        QTest::newRow("listed by address") << QList<quint32> { 0x80000, 0x07000 } << QByteArrayList { "b", "a" }
                                           << QByteArray("region 0x07000 1 61\nregion 0x80000 1 62\n");
        QTest::newRow("appended") << QList<quint32> { 0x08000, 0x08002 } << QByteArrayList { "ab", "cd" }
                                  << QByteArray("region 0x08000 4 61626364\n");
        QTest::newRow("prepended") << QList<quint32> { 0x08002, 0x08000 } << QByteArrayList { "cd", "ab" }
                                   << QByteArray("region 0x08000 4 61626364\n");
        QTest::newRow("overlap: the later write wins")
            << QList<quint32> { 0x08000, 0x08001 } << QByteArrayList { "abc", "XYZ" }
            << QByteArray("region 0x08000 4 6158595a\n");
        QTest::newRow("rewrite inside") << QList<quint32> { 0x08000, 0x08001 } << QByteArrayList { "abcd", "X" }
                                        << QByteArray("region 0x08000 4 61586364\n");
        QTest::newRow("bridge joins three")
            << QList<quint32> { 0x08000, 0x08004, 0x08001 } << QByteArrayList { "a", "e", "bcd" }
            << QByteArray("region 0x08000 5 6162636465\n");
        QTest::newRow("covers several") << QList<quint32> { 0x08001, 0x08003, 0x08000 }
                                        << QByteArrayList { "b", "d", "ABCDEF" }
                                        << QByteArray("region 0x08000 6 414243444546\n");
        // Regions that touch across a range boundary are still two writes of the device, but the
        // dump shows the written bytes, and those run on without a gap.
        QTest::newRow("adjacent ranges") << QList<quint32> { 0x07FFF, 0x08000 } << QByteArrayList { "a", "b" }
                                         << QByteArray("region 0x07FFF 2 6162\n");
    }

    void merges()
    {
        QFETCH(QList<quint32>, addresses);
        QFETCH(QByteArrayList, writes);
        QFETCH(QByteArray, dump);

        DeviceMemory memory;
        for (qsizetype i = 0; i < writes.size(); ++i)
            QVERIFY(memory.write(addresses[i], writes[i]));
        QCOMPARE(memory.dump(), dump);
    }

    // A refused write leaves what was written before untouched.
    void refusedWriteChangesNothing()
    {
        DeviceMemory memory;
        QVERIFY(memory.write(0x07FFE, "ab"));
        QVERIFY(!memory.write(0x07FFF, "XY"));
        QCOMPARE(memory.dump(), QByteArray("region 0x07FFE 2 6162\n"));
    }
};

QTEST_GUILESS_MAIN(tst_DeviceMemory)
#include "tst_DeviceMemory.moc"
