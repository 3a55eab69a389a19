#include "DocumentTests.h"
#include "TestFiles.h"

#include "core/Error.h"
#include "core/documents/ParGenDocument.h"

#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using sw::ParGenValues;
using sw::test::readFile;
using sw::test::writeFile;

namespace sw {
// Failed comparisons print the values as the document that would be written.
char *toString(const ParGenValues &v)
{
    return qstrdup(parGenDocument(v).constData());
}
} // namespace sw

using Edit = std::function<void(ParGenValues &)>;
Q_DECLARE_METATYPE(Edit)

namespace {

QByteArray inRoot(const char *elements)
{
    return QByteArray("<Par_Gen>") + elements + "</Par_Gen><!--SW_VERSION = 1.000-->";
}

} // namespace

class tst_ParGenDocument : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reading_data();
    void reading();
    void malformedFileRaisesError_data();
    void malformedFileRaisesError();
    void roundTripKeepsEveryValue();
    void normalisesForeignDocument();
    void defaultsDocumentBytes();
    void writeFailureRaisesError();
};

void tst_ParGenDocument::reading_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<Edit>("expected"); // applied to the defaults

    const Edit none = [](ParGenValues &) {};
    QTest::newRow("missing file") << false << QByteArray() << none;
    QTest::newRow("empty root") << true << QByteArray("<Par_Gen/>") << none;
    QTest::newRow("root of another name still read")
        << true << QByteArray("<Other><IEC61850_Server_Port>80</IEC61850_Server_Port></Other>")
        << Edit([](ParGenValues &v) { v.IEC61850_Server_Port = "80"; });
    QTest::newRow("leading declaration passed over")
        << true << QByteArray("<?xml version=\"1.0\"?>") + inRoot("<IEC61850_Server_Port>80</IEC61850_Server_Port>")
        << Edit([](ParGenValues &v) { v.IEC61850_Server_Port = "80"; });
    QTest::newRow("leading comment passed over")
        << true << QByteArray("<!--x-->") + inRoot("<MODBUS_SLAVE_IDDEVICE>5</MODBUS_SLAVE_IDDEVICE>")
        << Edit([](ParGenValues &v) { v.MODBUS_SLAVE_IDDEVICE = "5"; });
    QTest::newRow("texts as stored, empty and blanks kept")
        << true
        << inRoot(
               "<IEC61850_Server_Port>010</IEC61850_Server_Port><IEC61850_Server_Password>  </IEC61850_Server_Password>"
               "<Ethernet_IP1/><TLS_Server_Key> a\nb </TLS_Server_Key>")
        << Edit([](ParGenValues &v) {
               v.IEC61850_Server_Port = "010";
               v.IEC61850_Server_Password = "  ";
               v.Ethernet_IP1 = "";
               v.TLS_Server_Key = " a\nb ";
           });
    QTest::newRow("element with child elements reads as missing")
        << true << inRoot("<IEC61850_Server_Port><x>80</x></IEC61850_Server_Port>") << none;
    QTest::newRow("text interrupted by a comment reads as missing")
        << true << inRoot("<IEC61850_Server_Port>1<!--x-->02</IEC61850_Server_Port>") << none;
    QTest::newRow("names are case-sensitive")
        << true << inRoot("<iec61850_server_port>80</iec61850_server_port>") << none;
    QTest::newRow("integer flags: 01 is on")
        << true
        << inRoot("<TLS_Server_Enable>01</TLS_Server_Enable><TLS_Server_Enable_Known_Cert> 1 "
                  "</TLS_Server_Enable_Known_Cert>")
        << Edit([](ParGenValues &v) { v.TLS_Server_Enable = v.TLS_Server_Enable_Known_Cert = true; });
    QTest::newRow("integer flags: 2 and text are off")
        << true
        << inRoot("<TLS_Server_Enable>2</TLS_Server_Enable><TLS_Server_Enable_Known_Cert>yes</"
                  "TLS_Server_Enable_Known_Cert>")
        << none;
    QTest::newRow("exact flags: only 1 is on")
        << true << inRoot("<Ethernet_EN_GAT>01</Ethernet_EN_GAT><Ethernet_EN_DNS>1</Ethernet_EN_DNS>")
        << Edit([](ParGenValues &v) { v.Ethernet_EN_DNS = true; });
    QTest::newRow("read input register empty is off")
        << true << inRoot("<MODBUS_SLAVE_READ_INPUT_REGISTER/>")
        << Edit([](ParGenValues &v) { v.MODBUS_SLAVE_READ_INPUT_REGISTER = false; });
    QTest::newRow("read input register 0 is off")
        << true << inRoot("<MODBUS_SLAVE_READ_INPUT_REGISTER>0</MODBUS_SLAVE_READ_INPUT_REGISTER>")
        << Edit([](ParGenValues &v) { v.MODBUS_SLAVE_READ_INPUT_REGISTER = false; });
    QTest::newRow("indexes read as integers")
        << true
        << inRoot("<MODBUS_SLAVE_SERIAL>1</MODBUS_SLAVE_SERIAL><MODBUS_SLAVE_BAUDRATE>03</MODBUS_SLAVE_BAUDRATE>"
                  "<MODBUS_SLAVE_PARITY>2</MODBUS_SLAVE_PARITY><MODBUS_SLAVE_STOPBITS>1</MODBUS_SLAVE_STOPBITS>")
        << Edit([](ParGenValues &v) {
               v.MODBUS_SLAVE_SERIAL = 1;
               v.MODBUS_SLAVE_BAUDRATE = 3;
               v.MODBUS_SLAVE_PARITY = 2;
               v.MODBUS_SLAVE_STOPBITS = 1;
           });
    QTest::newRow("fast baud rate gives 115200")
        << true << inRoot("<MODBUS_SLAVE_BAUDRATE>fast</MODBUS_SLAVE_BAUDRATE>") << none;
    QTest::newRow("indexes outside their list give the default")
        << true
        << inRoot(
               "<MODBUS_SLAVE_PARITY>9</MODBUS_SLAVE_PARITY><MODBUS_SLAVE_BAUDRATE>-1</MODBUS_SLAVE_BAUDRATE>"
               "<MODBUS_SLAVE_SERIAL>99999999999</MODBUS_SLAVE_SERIAL><MODBUS_SLAVE_STOPBITS>2</MODBUS_SLAVE_STOPBITS>")
        << none;
    QTest::newRow("reordered, extra and duplicate elements")
        << true
        << inRoot("<Extra>1</Extra><MODBUS_SLAVE_IDDEVICE>5</MODBUS_SLAVE_IDDEVICE>"
                  "<IEC61850_Server_Port>80</IEC61850_Server_Port><IEC61850_Server_Port>81</IEC61850_Server_Port>")
        << Edit([](ParGenValues &v) {
               v.MODBUS_SLAVE_IDDEVICE = "5";
               v.IEC61850_Server_Port = "80";
           });
}

void tst_ParGenDocument::reading()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, file);
    QFETCH(Edit, expected);

    ParGenValues want;
    expected(want);
    QCOMPARE(sw::test::readDocument(sw::readParGenFile, "ParGen.xml", exists, file), want);
}

void tst_ParGenDocument::malformedFileRaisesError_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("unclosed element") << QByteArray("<Par_Gen><IEC61850_Server_Port>80</Par_Gen>");
    QTest::newRow("empty file") << QByteArray();
}

void tst_ParGenDocument::malformedFileRaisesError()
{
    QFETCH(QByteArray, file);
    const QString problem = sw::test::refusal(sw::readParGenFile, "ParGen.xml", file);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void tst_ParGenDocument::roundTripKeepsEveryValue()
{
    ParGenValues v;
    v.IEC61850_Server_Port = " 0102";
    v.IEC61850_Server_Password = "p<&>\"é";
    v.TLS_Server_Enable = true;
    v.TLS_Server_Key = "-----BEGIN KEY-----\nAAA\nBBB\n-----END KEY-----\n";
    v.TLS_Server_Key_Password = " ";
    v.TLS_Server_Server_Certificate = "line 1\nline 2";
    v.TLS_Server_Root_Certificate = "\n\nroot\n";
    v.TLS_Server_Enable_Known_Cert = true;
    v.Ethernet_IP1 = "10";
    v.Ethernet_GAT4 = "300";
    v.Ethernet_EN_GAT = true;
    v.Ethernet_DNS1 = "1";
    v.Ethernet_DNS2 = "2";
    v.Ethernet_DNS3 = "3";
    v.Ethernet_DNS4 = "x";
    v.Ethernet_EN_DNS = true;
    v.Ethernet_TCP_Port = "502";
    v.Ethernet_UDP_Port = "";
    v.MODBUS_SLAVE_SERIAL = 1;
    v.MODBUS_SLAVE_BAUDRATE = 0;
    v.MODBUS_SLAVE_PARITY = 2;
    v.MODBUS_SLAVE_STOPBITS = 1;
    v.MODBUS_SLAVE_IDDEVICE = "247";
    v.MODBUS_SLAVE_READ_INPUT_REGISTER = false;

    QTemporaryDir dir;
    const QString path = dir.filePath("ParGen.xml");
    sw::writeParGenFile(path, v);
    const ParGenValues back = sw::readParGenFile(path);
    QCOMPARE(back, v);
    // Saving what was loaded writes the same bytes again.
    QCOMPARE(sw::parGenDocument(back), sw::parGenDocument(v));
}

void tst_ParGenDocument::normalisesForeignDocument()
{
    // Elements out of order, an unknown element and a duplicate: the rewrite has only the 34
    // elements, in their order, with the first of the duplicates and the carried values kept.
    QTemporaryDir dir;
    const QString path = dir.filePath("ParGen.xml");
    QVERIFY(writeFile(path,
        "<Par_Gen>\n  <Ethernet_UDP_Port>7</Ethernet_UDP_Port>\n  <Junk>j</Junk>\n"
        "  <Ethernet_DNS3>33</Ethernet_DNS3>\n  <Ethernet_DNS3>34</Ethernet_DNS3>\n</Par_Gen>\n"));
    ParGenValues want;
    want.Ethernet_UDP_Port = "7";
    want.Ethernet_DNS3 = "33";
    sw::writeParGenFile(path, sw::readParGenFile(path));
    QCOMPARE(readFile(path), sw::parGenDocument(want));
}

void tst_ParGenDocument::defaultsDocumentBytes()
{
    const QByteArray expected = "<Par_Gen>"
                                "<IEC61850_Server_Port>102</IEC61850_Server_Port>"
                                "<IEC61850_Server_Password/>"
                                "<TLS_Server_Enable>0</TLS_Server_Enable>"
                                "<TLS_Server_Key/>"
                                "<TLS_Server_Key_Password/>"
                                "<TLS_Server_Server_Certificate/>"
                                "<TLS_Server_Root_Certificate/>"
                                "<TLS_Server_Enable_Known_Cert>0</TLS_Server_Enable_Known_Cert>"
                                "<Ethernet_IP1>192</Ethernet_IP1>"
                                "<Ethernet_IP2>168</Ethernet_IP2>"
                                "<Ethernet_IP3>0</Ethernet_IP3>"
                                "<Ethernet_IP4>10</Ethernet_IP4>"
                                "<Ethernet_SM1>255</Ethernet_SM1>"
                                "<Ethernet_SM2>255</Ethernet_SM2>"
                                "<Ethernet_SM3>255</Ethernet_SM3>"
                                "<Ethernet_SM4>0</Ethernet_SM4>"
                                "<Ethernet_GAT1>192</Ethernet_GAT1>"
                                "<Ethernet_GAT2>168</Ethernet_GAT2>"
                                "<Ethernet_GAT3>0</Ethernet_GAT3>"
                                "<Ethernet_GAT4>1</Ethernet_GAT4>"
                                "<Ethernet_EN_GAT>0</Ethernet_EN_GAT>"
                                "<Ethernet_DNS1>8</Ethernet_DNS1>"
                                "<Ethernet_DNS2>8</Ethernet_DNS2>"
                                "<Ethernet_DNS3>8</Ethernet_DNS3>"
                                "<Ethernet_DNS4>8</Ethernet_DNS4>"
                                "<Ethernet_EN_DNS>0</Ethernet_EN_DNS>"
                                "<Ethernet_TCP_Port>10001</Ethernet_TCP_Port>"
                                "<Ethernet_UDP_Port>10001</Ethernet_UDP_Port>"
                                "<MODBUS_SLAVE_SERIAL>0</MODBUS_SLAVE_SERIAL>"
                                "<MODBUS_SLAVE_BAUDRATE>7</MODBUS_SLAVE_BAUDRATE>"
                                "<MODBUS_SLAVE_PARITY>0</MODBUS_SLAVE_PARITY>"
                                "<MODBUS_SLAVE_STOPBITS>0</MODBUS_SLAVE_STOPBITS>"
                                "<MODBUS_SLAVE_IDDEVICE>10</MODBUS_SLAVE_IDDEVICE>"
                                "<MODBUS_SLAVE_READ_INPUT_REGISTER>1</MODBUS_SLAVE_READ_INPUT_REGISTER>"
                                "</Par_Gen>"
                                "<!--SW_VERSION = 1.000-->";
    QTemporaryDir dir;
    const QString path = dir.filePath("ParGen.xml");
    sw::writeParGenFile(path, ParGenValues {});
    QCOMPARE(readFile(path), expected);
}

void tst_ParGenDocument::writeFailureRaisesError()
{
    QTemporaryDir dir;
    // Folder missing.
    QVERIFY_THROWS_EXCEPTION(sw::Error, sw::writeParGenFile(dir.filePath("gone/ParGen.xml"), ParGenValues {}));

    // The target is a folder: the failure is reported, not taken for a save.
    const QString blocked = dir.filePath("ParGen.xml");
    QVERIFY(QDir().mkdir(blocked));
    QVERIFY_THROWS_EXCEPTION(sw::Error, sw::writeParGenFile(blocked, ParGenValues {}));
    QVERIFY(QFileInfo(blocked).isDir());
}

QTEST_GUILESS_MAIN(tst_ParGenDocument)
#include "tst_ParGenDocument.moc"
