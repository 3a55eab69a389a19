#include "core/update/IpAddress.h"

#include <QtTest>

using sw::IpAddressParts;

class tst_IpAddress : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void split_data();
    void split();
    void joinKeepsTextsAsTyped_data();
    void joinKeepsTextsAsTyped();
    void parseIpv4_data();
    void parseIpv4();
    void parsedInHostOrder();
};

void tst_IpAddress::split_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("parts"); // empty when the split fails

    const QStringList fails;
    QTest::newRow("usual address") << "192.168.2.205" << QStringList { "192", "168", "2", "205" };
    QTest::newRow("range ends") << "0.255.0.255" << QStringList { "0", "255", "0", "255" };
    QTest::newRow("blanks around and between trimmed") << " \t192 . 168 .2.  205 \n"
                                                       << QStringList { "192", "168", "2", "205" };
    QTest::newRow("leading zeros kept in the text") << "010.001.0.00" << QStringList { "010", "001", "0", "00" };
    QTest::newRow("three parts") << "192.168.2" << fails;
    QTest::newRow("five parts") << "192.168.2.205.1" << fails;
    QTest::newRow("trailing point") << "192.168.2.205." << fails;
    QTest::newRow("256 in the last part") << "192.168.2.256" << fails;
    QTest::newRow("300 in the third part") << "192.168.300.1" << fails;
    QTest::newRow("negative") << "-1.168.2.205" << fails;
    QTest::newRow("letters") << "a.b.c.d" << fails;
    QTest::newRow("hexadecimal") << "0x10.1.1.1" << fails;
    QTest::newRow("blank inside a part") << "1 2.168.2.205" << fails;
    QTest::newRow("empty part") << "192.168..205" << fails;
    QTest::newRow("too large for any integer") << "99999999999999999999.1.1.1" << fails;
    QTest::newRow("only points") << "..." << fails;
    QTest::newRow("empty") << "" << fails;
    QTest::newRow("blanks only") << "   " << fails;
    // Texts that reach the address boxes from the settings file.
    QTest::newRow("signs read as part of the number") << "+1.-0.2.3" << QStringList { "+1", "-0", "2", "3" };
    QTest::newRow("sign alone") << "+.1.2.3" << fails;
    QTest::newRow("CR and no-break space around trimmed")
        << QStringLiteral("\u00A0192.168.2.205\r") << QStringList { "192", "168", "2", "205" };
    QTest::newRow("Arabic-Indic digits") << QStringLiteral("\u0661\u0669\u0662.168.2.205") << fails;
    QTest::newRow("full-width digits") << QStringLiteral("\uFF11\uFF19\uFF12.168.2.205") << fails;
    QTest::newRow("full-width full stops") << QStringLiteral("192\uFF0E168\uFF0E2\uFF0E205") << fails;
    QTest::newRow("NUL after") << QStringLiteral("192.168.2.205") + QChar(0) << fails;
    QTest::newRow("ESC before") << QStringLiteral("\u001B192.168.2.205") << fails;
    QTest::newRow("lone surrogate") << QStringLiteral("192.168.2.205") + QChar(0xD800) << fails;
    QTest::newRow("100,000 characters, zeros then 5") << QStringLiteral("192.168.2.") + QString(99999, u'0') + u'5'
                                                      << QStringList { "192", "168", "2", QString(99999, u'0') + u'5' };
    QTest::newRow("100,000 nines") << QStringLiteral("192.168.2.") + QString(100000, u'9') << fails;
    QTest::newRow("100,000 points") << QString(100000, u'.') << fails;
}

void tst_IpAddress::split()
{
    QFETCH(QString, text);
    QFETCH(QStringList, parts);

    const std::optional<IpAddressParts> got = sw::Split_IP_Address(text);
    if (parts.isEmpty()) {
        QVERIFY2(!got, qPrintable(got ? QStringList(got->begin(), got->end()).join(u'|') : QString()));
        return;
    }
    QVERIFY(got);
    QCOMPARE(QStringList(got->begin(), got->end()), parts);
}

void tst_IpAddress::joinKeepsTextsAsTyped_data()
{
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("joined");

    QTest::newRow("usual") << QStringList { "192", "168", "2", "205" } << "192.168.2.205";
    QTest::newRow("leading blank kept") << QStringList { "192", " 168", "2", "205 " } << "192. 168.2.205 ";
    QTest::newRow("not checked") << QStringList { "", "x", "300", "1.2" } << ".x.300.1.2";
}

void tst_IpAddress::joinKeepsTextsAsTyped()
{
    QFETCH(QStringList, boxes);
    QFETCH(QString, joined);
    QCOMPARE(sw::joinIpAddress({ boxes[0], boxes[1], boxes[2], boxes[3] }), joined);
}

void tst_IpAddress::parseIpv4_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("address"); // in its usual form; empty when refused

    QTest::newRow("usual") << "192.168.2.205"
                           << "192.168.2.205";
    QTest::newRow("range ends") << "0.0.0.0"
                                << "0.0.0.0";
    QTest::newRow("all 255") << "255.255.255.255"
                             << "255.255.255.255";
    QTest::newRow("leading zeros") << "192.168.002.205"
                                   << "192.168.2.205";
    QTest::newRow("leading zero is decimal, not octal") << "010.0.0.1"
                                                        << "10.0.0.1";
    QTest::newRow("octal-looking 08 and 09") << "08.09.0.1"
                                             << "8.9.0.1";
    QTest::newRow("loopback padded") << "127.000.000.001"
                                     << "127.0.0.1";
    QTest::newRow("many zeros before 255") << "0000000000255.1.1.1"
                                           << "255.1.1.1";
    QTest::newRow("zeros only") << "000.00.0.0000"
                                << "0.0.0.0";

    const QString refused;
    QTest::newRow("three parts") << "1.2.3" << refused;
    QTest::newRow("five parts") << "1.2.3.4.5" << refused;
    QTest::newRow("256") << "256.1.1.1" << refused;
    QTest::newRow("256 behind zeros") << "1.1.1.0256" << refused;
    QTest::newRow("blank before") << " 1.2.3.4" << refused;
    QTest::newRow("blank after") << "1.2.3.4 " << refused;
    QTest::newRow("blank inside") << "1.2. 3.4" << refused;
    QTest::newRow("hexadecimal") << "0x7f.0.0.1" << refused;
    QTest::newRow("sign") << "+1.2.3.4" << refused;
    QTest::newRow("empty part") << "1..3.4" << refused;
    QTest::newRow("trailing point") << "1.2.3.4." << refused;
    QTest::newRow("one number") << "2130706433" << refused;
    QTest::newRow("short form") << "127.1" << refused;
    QTest::newRow("empty") << "" << refused;
    QTest::newRow("host name") << "localhost" << refused;
    QTest::newRow("full-width digit") << QStringLiteral("1.2.3.\uFF14") << refused;
    QTest::newRow("NUL after") << QStringLiteral("1.2.3.4") + QChar(0) << refused;
}

void tst_IpAddress::parseIpv4()
{
    QFETCH(QString, text);
    QFETCH(QString, address);

    const std::optional<quint32> got = sw::parseIpv4Address(text);
    if (address.isEmpty()) {
        QVERIFY2(!got, qPrintable(got ? sw::ipv4AddressText(*got) : QString()));
        return;
    }
    QVERIFY(got);
    QCOMPARE(sw::ipv4AddressText(*got), address);
}

// The first part is the most significant byte, as QHostAddress and htonl() expect.
void tst_IpAddress::parsedInHostOrder()
{
    QCOMPARE(sw::parseIpv4Address(QStringLiteral("192.168.002.205")), std::optional<quint32>(0xC0A802CDu));
}

QTEST_APPLESS_MAIN(tst_IpAddress)
#include "tst_IpAddress.moc"
