#include "core/documents/ParGenRules.h"
#include "core/text/MessageIds.h"

#include <QtTest>

#include <functional>

using sw::ParGenValues;

using Edit = std::function<void(ParGenValues &)>;
Q_DECLARE_METATYPE(Edit)

class tst_ParGenRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstFailingRule_data();
    void firstFailingRule();
};

void tst_ParGenRules::firstFailingRule_data()
{
    QTest::addColumn<Edit>("edit"); // applied to the defaults
    QTest::addColumn<int>("message"); // 0: every check passes
    QTest::addColumn<QByteArray>("element");

    using V = ParGenValues;
    const auto row = [](const char *name, Edit edit, int message = 0, const char *element = "") {
        QTest::newRow(name) << edit << message << QByteArray(element);
    };
    const auto set
        = [](QString V::*member, const char *text) { return Edit([=](V &v) { v.*member = QString::fromUtf8(text); }); };
    const auto modbus = [](int parity, int stopBits) {
        return Edit([=](V &v) {
            v.MODBUS_SLAVE_PARITY = parity;
            v.MODBUS_SLAVE_STOPBITS = stopBits;
        });
    };
    using namespace sw::MsgId;

    row("defaults", [](V &) {});

    // Port: 0 to 65535 but not 10000; text that is no integer counts as -1.
    row("port 0", set(&V::IEC61850_Server_Port, "0"));
    row("port 65535", set(&V::IEC61850_Server_Port, "65535"));
    row("port 9999", set(&V::IEC61850_Server_Port, "9999"));
    row("port 10001", set(&V::IEC61850_Server_Port, "10001"));
    for (const char *bad : { "10000", "65536", "-1", "", "abc", "1.5", "0x10", "99999999999999999999" }) {
        row(qPrintable(QStringLiteral("port \"%1\"").arg(QLatin1String(bad))), set(&V::IEC61850_Server_Port, bad),
            ParGenErrPort, "IEC61850_Server_Port");
    }

    // Address bytes: 0 to 255, each with its own entry.
    row("IP bytes 0 and 255", [](V &v) {
        v.Ethernet_IP1 = "0";
        v.Ethernet_IP4 = "255";
    });
    row("IP 1 256", set(&V::Ethernet_IP1, "256"), ParGenErrIP1, "Ethernet_IP1");
    row("IP 2 -1", set(&V::Ethernet_IP2, "-1"), ParGenErrIP1 + 1, "Ethernet_IP2");
    row("IP 3 empty", set(&V::Ethernet_IP3, ""), ParGenErrIP1 + 2, "Ethernet_IP3");
    row("IP 4 letter", set(&V::Ethernet_IP4, "a"), ParGenErrIP1 + 3, "Ethernet_IP4");
    row("mask bytes 0 and 255", [](V &v) {
        v.Ethernet_SM1 = "0";
        v.Ethernet_SM4 = "255";
    });
    row("mask 1 256", set(&V::Ethernet_SM1, "256"), ParGenErrSM1, "Ethernet_SM1");
    row("mask 3 -1", set(&V::Ethernet_SM3, "-1"), ParGenErrSM1 + 2, "Ethernet_SM3");
    row("mask 4 letter", set(&V::Ethernet_SM4, "x"), ParGenErrSM1 + 3, "Ethernet_SM4");

    // Gateway bytes: free while the gateway is off, checked while it is on.
    row("gateway off: 300 and a letter pass", [](V &v) {
        v.Ethernet_GAT2 = "300";
        v.Ethernet_GAT4 = "x";
    });
    row("gateway on: bytes 0 and 255", [](V &v) {
        v.Ethernet_EN_GAT = true;
        v.Ethernet_GAT1 = "0";
        v.Ethernet_GAT4 = "255";
    });
    row(
        "gateway on: 1 -1",
        [](V &v) {
            v.Ethernet_EN_GAT = true;
            v.Ethernet_GAT1 = "-1";
        },
        ParGenErrGAT1, "Ethernet_GAT1");
    row(
        "gateway on: 2 300",
        [](V &v) {
            v.Ethernet_EN_GAT = true;
            v.Ethernet_GAT2 = "300";
        },
        ParGenErrGAT1 + 1, "Ethernet_GAT2");
    row(
        "gateway on: 4 letter",
        [](V &v) {
            v.Ethernet_EN_GAT = true;
            v.Ethernet_GAT4 = "x";
        },
        ParGenErrGAT1 + 3, "Ethernet_GAT4");

    // Two stop bits only without parity.
    row("two stop bits with NONE", modbus(0, 1));
    row("one stop bit with EVEN", modbus(2, 0));
    row("two stop bits with ODD", modbus(1, 1), ParGenErrStopBits, "MODBUS_SLAVE_STOPBITS");
    row("two stop bits with EVEN", modbus(2, 1), ParGenErrStopBits, "MODBUS_SLAVE_STOPBITS");

    // Device address: 1 to 247.
    row("device 1", set(&V::MODBUS_SLAVE_IDDEVICE, "1"));
    row("device 247", set(&V::MODBUS_SLAVE_IDDEVICE, "247"));
    for (const char *bad : { "0", "248", "", "ten" }) {
        row(qPrintable(QStringLiteral("device \"%1\"").arg(QLatin1String(bad))), set(&V::MODBUS_SLAVE_IDDEVICE, bad),
            ParGenErrIDDevice, "MODBUS_SLAVE_IDDEVICE");
    }

    // The checks run in a fixed order and the first failure is reported.
    row(
        "port before IP",
        [](V &v) {
            v.IEC61850_Server_Port = "abc";
            v.Ethernet_IP1 = "256";
        },
        ParGenErrPort, "IEC61850_Server_Port");
    row(
        "IP before mask and device",
        [](V &v) {
            v.Ethernet_IP1 = "256";
            v.Ethernet_SM1 = "999";
            v.MODBUS_SLAVE_IDDEVICE = "0";
        },
        ParGenErrIP1, "Ethernet_IP1");
    row(
        "earlier IP byte first",
        [](V &v) {
            v.Ethernet_IP2 = "x";
            v.Ethernet_IP3 = "x";
        },
        ParGenErrIP1 + 1, "Ethernet_IP2");
    row(
        "mask before gateway",
        [](V &v) {
            v.Ethernet_EN_GAT = true;
            v.Ethernet_SM4 = "256";
            v.Ethernet_GAT1 = "256";
        },
        ParGenErrSM1 + 3, "Ethernet_SM4");
    row(
        "gateway before stop bits",
        [](V &v) {
            v.Ethernet_EN_GAT = true;
            v.Ethernet_GAT3 = "256";
            v.MODBUS_SLAVE_PARITY = 1;
            v.MODBUS_SLAVE_STOPBITS = 1;
        },
        ParGenErrGAT1 + 2, "Ethernet_GAT3");
    row(
        "stop bits before device",
        [](V &v) {
            v.MODBUS_SLAVE_PARITY = 1;
            v.MODBUS_SLAVE_STOPBITS = 1;
            v.MODBUS_SLAVE_IDDEVICE = "0";
        },
        ParGenErrStopBits, "MODBUS_SLAVE_STOPBITS");

    // Passwords, TLS texts and the carried DNS and port values are never checked.
    row("unchecked values are free", [](V &v) {
        v.IEC61850_Server_Password = "x";
        v.TLS_Server_Enable = true;
        v.TLS_Server_Key_Password = "?";
        v.Ethernet_DNS1 = "999";
        v.Ethernet_EN_DNS = true;
        v.Ethernet_TCP_Port = "-5";
        v.Ethernet_UDP_Port = "udp";
    });
}

void tst_ParGenRules::firstFailingRule()
{
    QFETCH(Edit, edit);
    QFETCH(int, message);
    QFETCH(QByteArray, element);

    ParGenValues values;
    edit(values);
    const std::optional<sw::ParGenFailure> failure = sw::firstFailingRule(values);
    if (message == 0) {
        QVERIFY2(!failure, failure ? failure->element : "");
    } else {
        QVERIFY(failure);
        QCOMPARE(failure->message, message);
        QCOMPARE(QByteArray(failure->element), element);
    }
}

QTEST_GUILESS_MAIN(tst_ParGenRules)
#include "tst_ParGenRules.moc"
