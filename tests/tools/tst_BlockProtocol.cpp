#include "common/BlockProtocol.h"

#include <QTest>

using namespace sw::block;

Q_DECLARE_METATYPE(sw::block::Packet)

// Which answers the updater takes for its request: everything but an exact echo of the request's
// command, sequence number, address and length is someone else's answer or a forgery.
class tst_BlockProtocol : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void isAnswerTo_data()
    {
        QTest::addColumn<Packet>("request");
        QTest::addColumn<Packet>("answer");
        QTest::addColumn<bool>("taken");

        const QByteArray block(16, '\x5A');
        const Packet write { Write, Done, 7, 0x08000, 16, block };
        const Packet read { Read, Done, 8, 0x08000, 16, {} };
        const quint8 writeAnswer = Write | AnswerBit;
        const quint8 readAnswer = Read | AnswerBit;

        QTest::newRow("write done") << write << Packet { writeAnswer, Done, 7, 0x08000, 16, {} } << true;
        QTest::newRow("write refused") << write << Packet { writeAnswer, Refused, 7, 0x08000, 16, {} } << true;
        QTest::newRow("another sequence") << write << Packet { writeAnswer, Done, 6, 0x08000, 16, {} } << false;
        QTest::newRow("another command") << write << Packet { readAnswer, Done, 7, 0x08000, 16, block } << false;
        QTest::newRow("no answer bit: the request reflected") << write << write << false;
        QTest::newRow("another address") << write << Packet { writeAnswer, Done, 7, 0x08400, 16, {} } << false;
        QTest::newRow("another length") << write << Packet { writeAnswer, Done, 7, 0x08000, 15, {} } << false;
        QTest::newRow("write answer with data")
            << write << Packet { writeAnswer, Done, 7, 0x08000, 16, block } << false;

        QTest::newRow("read done") << read << Packet { readAnswer, Done, 8, 0x08000, 16, block } << true;
        QTest::newRow("read one byte short")
            << read << Packet { readAnswer, Done, 8, 0x08000, 15, block.left(15) } << false;
        QTest::newRow("read done without data") << read << Packet { readAnswer, Done, 8, 0x08000, 0, {} } << false;
        QTest::newRow("read refused, no data") << read << Packet { readAnswer, Refused, 8, 0x08000, 0, {} } << true;
        QTest::newRow("read refused with data")
            << read << Packet { readAnswer, Refused, 8, 0x08000, 16, block } << false;

        QTest::newRow("start done") << Packet { Start, Done, 9, 0, 0, {} }
                                    << Packet { quint8(Start | AnswerBit), Done, 9, 0, 0, {} } << true;
    }

    // The rule is checked on decoded packets, as the updater sees them off the wire.
    void isAnswerTo()
    {
        QFETCH(Packet, request);
        QFETCH(Packet, answer);
        QFETCH(bool, taken);

        const std::optional<Packet> decoded = decode(encode(answer));
        QCOMPARE(decoded && sw::block::isAnswerTo(*decoded, request), taken);
    }
};

QTEST_GUILESS_MAIN(tst_BlockProtocol)
#include "tst_BlockProtocol.moc"
