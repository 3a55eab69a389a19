#include "TestFiles.h"

#include "core/Error.h"
#include "core/files/AtomicFile.h"
#include "core/files/FolderExchange.h"
#include "core/image/Compiler.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using namespace sw::image;
using namespace sw::test;

namespace {

constexpr quint32 B = 0x80000;

QString parGen(const QString &elements)
{
    return QStringLiteral("<Par_Gen>%1</Par_Gen><!--SW_VERSION = 1.000-->").arg(elements);
}

QString element(const char *name, const QString &value)
{
    return QStringLiteral("<%1>%2</%1>").arg(QLatin1String(name), value.toHtmlEscaped());
}

QString variables(const QString &rows)
{
    return QStringLiteral("<IEC61850_Variables>%1</IEC61850_Variables><!--SW_VERSION = 1.000-->").arg(rows);
}

QString knownCerts(const QString &rows)
{
    return QStringLiteral("<TLS_Server_Known_Cert>%1</TLS_Server_Known_Cert><!--SW_VERSION = 1.000-->").arg(rows);
}

// A project folder with whichever of the three documents a test writes.
struct Project
{
    QTemporaryDir dir;
    ProjectDocuments docs = sw::projectDocuments(dir.path());
    QString bin() const { return dir.filePath(QStringLiteral("bin")); }
    [[nodiscard]] bool setParGen(const QString &xml) const { return writeFile(docs.parGen, xml.toUtf8()); }
    [[nodiscard]] bool setVariables(const QString &xml) const { return writeFile(docs.variables, xml.toUtf8()); }
    [[nodiscard]] bool setKnownCerts(const QString &xml) const { return writeFile(docs.knownCerts, xml.toUtf8()); }
    Images compile()
    {
        ImageCompiler compiler;
        return compiler.Compile_Bin(docs);
    }
};

Images defaultImages()
{
    ParamBlock block;
    Set_Default_Parameters(block);
    block.put32(0x5E8, B);
    TIEC61850 record;
    Images images;
    images.bank2 = Build_Bank2(B, record);
    images.bank1 = Build_Bank1(block);
    return images;
}

} // namespace

class tst_ImageCompiler : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void projectWithoutDocuments()
    {
        Project p;
        const Images images = p.compile();
        const Images expected = defaultImages();
        QCOMPARE(images.bank1.toHex(), expected.bank1.toHex());
        QCOMPARE(images.bank2.size(), 55);
        QCOMPARE(images.bank2.toHex(), expected.bank2.toHex());
        // Compiling the empty project gives the parameter block's own defaults.
        QCOMPARE(images.bank1.mid(0x028, 4).toHex(), QByteArray("c0a802cd"));
        QCOMPARE(images.bank1.mid(0x19C, 8).toHex(), QByteArray("0000000000000000"));
        QCOMPARE(read32(images.bank1, 0x018), 0u);
    }

    // Each row: the ParGen.xml content, then the bytes expected at an offset of bank1.bin.
    void parGenIntoParameterBlock_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QByteArray>("hex");

        const QString gat = element("Ethernet_GAT1", "10") + element("Ethernet_GAT2", "0")
            + element("Ethernet_GAT3", "0") + element("Ethernet_GAT4", "1");
        QTest::newRow("empty root: compiler defaults for the address") << parGen({}) << 0x028 << QByteArray("c0a8000a");
        QTest::newRow("empty root: mask") << parGen({}) << 0x02C << QByteArray("ffffff00");
        QTest::newRow("empty root: no gateway") << parGen({}) << 0x030 << QByteArray("ffffffff");
        QTest::newRow("declaration before the root passed over") << QStringLiteral("<?xml version=\"1.0\"?>")
                + parGen(element("Ethernet_IP1", "1")) << 0x028 << QByteArray("01a8000a");
        QTest::newRow("address bytes") << parGen(element("Ethernet_IP1", "10") + element("Ethernet_IP4", "300"))
                                       << 0x028 << QByteArray("0aa8002c"); // 300 keeps its low 8 bits: 44
        QTest::newRow("address: negative, blanks, leading zero, junk") << parGen(element("Ethernet_IP1", "-1")
            + element("Ethernet_IP2", " 7 ") + element("Ethernet_IP3", "010") + element("Ethernet_IP4", "1.5"))
                                                                       << 0x028 << QByteArray("ff070a0a");
        QTest::newRow("mask element with a child element gets its default")
            << parGen(QStringLiteral("<Ethernet_SM4><b/></Ethernet_SM4>") + element("Ethernet_SM1", "128")) << 0x02C
            << QByteArray("80ffff00");
        QTest::newRow("gateway off") << parGen(gat + element("Ethernet_EN_GAT", "0")) << 0x030
                                     << QByteArray("ffffffff");
        QTest::newRow("gateway on") << parGen(gat + element("Ethernet_EN_GAT", "1")) << 0x030 << QByteArray("0a000001");
        QTest::newRow("gateway 01 is off")
            << parGen(gat + element("Ethernet_EN_GAT", "01")) << 0x030 << QByteArray("ffffffff");
        QTest::newRow("gateway flag missing") << parGen(gat) << 0x030 << QByteArray("ffffffff");
        QTest::newRow("gateway on, defaults")
            << parGen(element("Ethernet_EN_GAT", "1")) << 0x030 << QByteArray("c0a80001");

        auto baud = [](quint32 rate) {
            QByteArray one(4, '\0');
            for (int i = 0; i < 4; ++i)
                one[i] = static_cast<char>((rate >> (8 * i)) & 0xFF);
            return (one + one).toHex();
        };
        const struct
        {
            const char *name;
            const char *text; // nullptr: element missing
            quint32 rate;
        } bauds[] = { { "baud 0", "0", 1200 }, { "baud 3", "3", 9600 }, { "baud 6", "6", 57600 },
            { "baud 7", "7", 115200 }, { "baud 8", "8", 9600 }, { "baud -1", "-1", 9600 },
            { "baud fast", "fast", 115200 }, { "baud missing", nullptr, 115200 } };
        for (const auto &row : bauds) {
            const QString doc
                = parGen(row.text ? element("MODBUS_SLAVE_BAUDRATE", QLatin1String(row.text)) : QString());
            QTest::newRow(row.name) << doc << 0x19C << baud(row.rate);
        }

        QTest::newRow("parity 2") << parGen(element("MODBUS_SLAVE_PARITY", "2")) << 0x1AB << QByteArray("0202");
        QTest::newRow("parity 258 keeps the low bits")
            << parGen(element("MODBUS_SLAVE_PARITY", "258")) << 0x1AB << QByteArray("0202");
        QTest::newRow("two stop bits") << parGen(element("MODBUS_SLAVE_STOPBITS", "1")) << 0x1AE
                                       << QByteArray("000000020200"
                                                     "0808080808080808");
        QTest::newRow("one stop bit") << parGen(element("MODBUS_SLAVE_STOPBITS", "0")) << 0x1B1 << QByteArray("0000");
        QTest::newRow("stop bits 2 stays")
            << parGen(element("MODBUS_SLAVE_STOPBITS", "2")) << 0x1B1 << QByteArray("0202");

        auto serial = [](const char *rs, const char *inputRegister) {
            QString doc;
            if (rs)
                doc += element("MODBUS_SLAVE_SERIAL", QLatin1String(rs));
            if (inputRegister)
                doc += element("MODBUS_SLAVE_READ_INPUT_REGISTER", QLatin1String(inputRegister));
            return parGen(doc);
        };
        QTest::newRow("RS232, holding registers") << serial("0", "0") << 0x061 << QByteArray("41");
        QTest::newRow("RS485, input registers") << serial("1", "1") << 0x061 << QByteArray("00");
        QTest::newRow("serial missing") << serial(nullptr, "0") << 0x061 << QByteArray("40");
        QTest::newRow("input register missing") << serial("0", nullptr) << 0x061 << QByteArray("01");
        QTest::newRow("serial compared exactly") << serial(" 0", "00") << 0x061 << QByteArray("00");

        QTest::newRow("slave address") << parGen(element("MODBUS_SLAVE_IDDEVICE", "247")) << 0x018
                                       << QByteArray("f7000000");
        QTest::newRow("slave address missing") << parGen({}) << 0x018 << QByteArray("0a000000");
        QTest::newRow("slave address negative")
            << parGen(element("MODBUS_SLAVE_IDDEVICE", "-2")) << 0x018 << QByteArray("feffffff");
        QTest::newRow("carried values do not reach the image")
            << parGen(element("Ethernet_TCP_Port", "502") + element("Ethernet_UDP_Port", "503")) << 0x034
            << QByteArray("102711271127");
    }
    void parGenIntoParameterBlock()
    {
        QFETCH(QString, document);
        QFETCH(int, offset);
        QFETCH(QByteArray, hex);
        Project p;
        QVERIFY(p.setParGen(document));
        const Images images = p.compile();
        QCOMPARE(images.bank1.mid(offset, hex.size() / 2).toHex(), hex);
        // Whatever was read, the base address is set and the checksum matches.
        QCOMPARE(read32(images.bank1, 0x5E8), B);
        quint32 sum = 0;
        for (int i = 0; i < 2044; ++i)
            sum += quint8(images.bank1[i]);
        QCOMPARE(read32(images.bank1, 2044), sum);
    }

    void parGenIntoServerRecord_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<int>("port");
        QTest::addColumn<uint>("tls");
        QTest::addColumn<uint>("restriction");
        QTest::newRow("defaults") << parGen({}) << 102 << 0u << 0u;
        QTest::newRow("port") << parGen(element("IEC61850_Server_Port", "65535")) << 65535 << 0u << 0u;
        QTest::newRow("port keeps the low 16 bits")
            << parGen(element("IEC61850_Server_Port", "65638")) << 102 << 0u << 0u;
        QTest::newRow("port not a number") << parGen(element("IEC61850_Server_Port", "x")) << 102 << 0u << 0u;
        QTest::newRow("flags as integers")
            << parGen(element("TLS_Server_Enable", "01") + element("TLS_Server_Enable_Known_Cert", "1")) << 102 << 1u
            << 1u;
        QTest::newRow("flag 2 is kept as read")
            << parGen(element("TLS_Server_Enable", "2") + element("TLS_Server_Enable_Known_Cert", "yes")) << 102 << 2u
            << 0u;
    }
    void parGenIntoServerRecord()
    {
        QFETCH(QString, document);
        QFETCH(int, port);
        QFETCH(uint, tls);
        QFETCH(uint, restriction);
        Project p;
        QVERIFY(p.setParGen(document));
        ImageCompiler compiler;
        const Images images = compiler.Compile_Bin(p.docs);
        QCOMPARE(int(compiler.record().port), port);
        QCOMPARE(compiler.record().TLS_Enable, tls);
        QCOMPARE(compiler.record().TLS_Data.Known_Cert_En, restriction);
        QCOMPARE(int(quint8(images.bank2[0]) | quint8(images.bank2[1]) << 8), port);
        QCOMPARE(read32(images.bank2, 2), tls);
    }

    void parGenTexts()
    {
        Project p;
        const QString key = QStringLiteral("-----BEGIN KEY-----\nAB\u00e9\n-----END KEY-----");
        QVERIFY(p.setParGen(parGen(element("IEC61850_Server_Password", QStringLiteral("pa\u00e9 "))
            + element("TLS_Server_Key", key) + element("TLS_Server_Key_Password", "kp")
            + element("TLS_Server_Server_Certificate", "SC") + QStringLiteral("<TLS_Server_Root_Certificate/>"))));
        ImageCompiler compiler;
        const Images images = compiler.Compile_Bin(p.docs);
        const TTLS_Bank &tls = compiler.record().TLS_Data;
        QCOMPARE(compiler.record().Password, QStringLiteral("pa\u00e9 ")); // unchanged, not trimmed
        QCOMPARE(tls.key, key);
        QCOMPARE(tls.Key_Length, quint32(key.toUtf8().size() + 1));
        QCOMPARE(tls.Server_Cert.Certificate_Length, 3u);
        QCOMPARE(tls.Root_Cert.Certificate_Length, 1u);
        // Key, key password, server certificate, password: the text area right after the separator.
        const QByteArray area = key.toUtf8() + '\0' + "kp" + '\0' + "SC" + '\0' + "pa\xe9 " + '\0';
        QCOMPARE(images.bank2.mid(55).toHex(), area.toHex());
    }

    void variableAttributes_data()
    {
        QTest::addColumn<QString>("attributes");
        QTest::addColumn<uint>("type");
        QTest::addColumn<uint>("length");
        QTest::addColumn<uint>("readOnly");
        QTest::addColumn<uint>("position");
        QTest::addColumn<uint>("startBit");
        QTest::addColumn<uint>("operation");
        QTest::addColumn<float>("factor");
        QTest::addColumn<uint>("options");

        QTest::newRow("nothing but Enable") << "" << 4u << 0u << 0u << 0u << 0u << 0u << 1.0f << 0u;
        QTest::newRow("editor's int row")
            << R"(Type="Int" Length="4" ReadOnly="N" Position="1437" StartBit="" Conversion="None" MultiplicationFactor="None" Swap="N" SwapWord="N")"
            << 4u << 4u << 0u << 1437u << 0u << 0u << 1.0f << 0u;
        QTest::newRow("float in lower case") << R"(Type="float")" << 6u << 0u << 0u << 0u << 0u << 0u << 1.0f << 0u;
        QTest::newRow("float with blanks") << R"(Type=" Float ")" << 6u << 0u << 0u << 0u << 0u << 0u << 1.0f << 0u;
        QTest::newRow("digital forces length 1")
            << R"x(Type="Digital (Bit)" Length="4" StartBit="7")x" << 2u << 1u << 0u << 0u << 7u << 0u << 1.0f << 0u;
        QTest::newRow("digital without length")
            << R"x(Type="digital (bit)")x" << 2u << 1u << 0u << 0u << 0u << 0u << 1.0f << 0u;
        QTest::newRow("empty type is int") << R"(Type="" Length="2")" << 4u << 2u << 0u << 0u << 0u << 0u << 1.0f << 0u;
        QTest::newRow("unknown type is int") << R"(Type="Double")" << 4u << 0u << 0u << 0u << 0u << 0u << 1.0f << 0u;
        QTest::newRow("read only folded") << R"(ReadOnly=" y ")" << 4u << 0u << 1u << 0u << 0u << 0u << 1.0f << 0u;
        QTest::newRow("integers: blanks, junk, negative") << R"(Length="x" Position=" 12 " StartBit="-1")" << 4u << 0u
                                                          << 0u << 12u << 0xFFFFFFFFu << 0u << 1.0f << 0u;
        QTest::newRow("int to float") << R"(Conversion="int to float")" << 4u << 0u << 0u << 0u << 0u << 1u << 1.0f
                                      << 0u;
        QTest::newRow("float to int") << R"(Conversion=" Float to Int ")" << 4u << 0u << 0u << 0u << 0u << 2u << 1.0f
                                      << 0u;
        QTest::newRow("unknown conversion")
            << R"(Conversion="Int2Float")" << 4u << 0u << 0u << 0u << 0u << 0u << 1.0f << 0u;
        QTest::newRow("factor None") << R"(MultiplicationFactor="None")" << 4u << 0u << 0u << 0u << 0u << 0u << 1.0f
                                     << 0u;
        QTest::newRow("factor none with blanks")
            << R"(MultiplicationFactor=" none ")" << 4u << 0u << 0u << 0u << 0u << 0u << 1.0f << 0u;
        QTest::newRow("factor with comma")
            << R"(MultiplicationFactor="1,5")" << 4u << 0u << 0u << 0u << 0u << 0u << 1.5f << 0u;
        QTest::newRow("factor with point")
            << R"(MultiplicationFactor=" 1.5 ")" << 4u << 0u << 0u << 0u << 0u << 0u << 1.5f << 0u;
        QTest::newRow("factor exponent") << R"(MultiplicationFactor="2,5e-1")" << 4u << 0u << 0u << 0u << 0u << 0u
                                         << 0.25f << 0u;
        QTest::newRow("factor not a number")
            << R"(MultiplicationFactor="abc")" << 4u << 0u << 0u << 0u << 0u << 0u << 1.0f << 0u;
        QTest::newRow("factor empty") << R"(MultiplicationFactor="")" << 4u << 0u << 0u << 0u << 0u << 0u << 1.0f << 0u;
        QTest::newRow("swap lower case is off")
            << R"(Swap="y" SwapWord="y")" << 4u << 0u << 0u << 0u << 0u << 0u << 1.0f << 0u;
        QTest::newRow("swap bytes") << R"(Swap="Y")" << 4u << 0u << 0u << 0u << 0u << 0u << 1.0f << 1u;
        QTest::newRow("swap words") << R"(SwapWord="Y")" << 4u << 0u << 0u << 0u << 0u << 0u << 1.0f << 2u;
        QTest::newRow("swap both") << R"(Swap="Y" SwapWord="Y")" << 4u << 0u << 0u << 0u << 0u << 0u << 1.0f << 3u;
    }
    void variableAttributes()
    {
        QFETCH(QString, attributes);
        QFETCH(uint, type);
        QFETCH(uint, length);
        QFETCH(uint, readOnly);
        QFETCH(uint, position);
        QFETCH(uint, startBit);
        QFETCH(uint, operation);
        QFETCH(float, factor);
        QFETCH(uint, options);

        Project p;
        QVERIFY(p.setVariables(variables(QStringLiteral(R"(<row Enable="Y" Name="V" %1/>)").arg(attributes))));
        {
            ImageCompiler compiler;
            const Images images = compiler.Compile_Bin(p.docs);
            QCOMPARE(compiler.record().Var_Number, 1u);
            const TIEC61850_Var &v = compiler.record().Variables.at(0);
            QCOMPARE(v.Data_Type, type);
            QCOMPARE(v.Length, length);
            QCOMPARE(v.Read_Only, readOnly);
            QCOMPARE(v.Position, position);
            QCOMPARE(v.Start_Bit, startBit);
            QCOMPARE(uint(v.Operation), operation);
            QCOMPARE(v.Multiplication_Factor, factor);
            QCOMPARE(uint(v.Options), options);
            QCOMPARE(images.bank2.size(), 55 + 32 + 2);
        }
    }

    void onlyEnabledVariablesInDocumentOrder()
    {
        Project p;
        // The child's element name is not checked; comments and text between rows are not variables.
        QVERIFY(p.setVariables(
            variables(QStringLiteral(R"(<row Enable="Y" Name="A"/><row Enable="N" Name="B"/>)"
                                     R"(<!-- note --><row Enable="y" Name="C"/>text<row Enable=" Y" Name="D"/>)"
                                     R"(<row Name="E"/><item Enable="Y" Name="F"/><row Enable="Y"/>)"
                                     R"(<row Enable="Y" Name="G&#xe9;"/>)"))));
        ImageCompiler compiler;
        const Images images = compiler.Compile_Bin(p.docs);
        const TIEC61850 &r = compiler.record();
        QCOMPARE(r.Var_Number, 4u);
        QCOMPARE(r.Variables.size(), 4);
        QCOMPARE(r.Variables[0].Name, QStringLiteral("A"));
        QCOMPARE(r.Variables[1].Name, QStringLiteral("F"));
        QCOMPARE(r.Variables[2].Name, QString());
        QCOMPARE(r.Variables[3].Name, QStringLiteral("G\u00e9"));
        // T = 54 + 4 x 32 = 182; names without gaps, the empty one at the next name's address.
        QCOMPARE(read32(images.bank2, 46), 4u);
        QCOMPARE(read32(images.bank2, 54), B + 183);
        QCOMPARE(read32(images.bank2, 54 + 32), B + 185);
        QCOMPARE(read32(images.bank2, 54 + 64), B + 187);
        QCOMPARE(read32(images.bank2, 54 + 96), B + 187);
        QCOMPARE(images.bank2.mid(182).toHex(),
            QByteArray("00"
                       "4100"
                       "4600"
                       "47e900"));
    }

    void knownCertificates_data()
    {
        QTest::addColumn<QString>("tls");
        QTest::addColumn<QString>("restriction");
        QTest::addColumn<uint>("entries");
        QTest::newRow("restriction off") << "1"
                                         << "0" << 0u;
        QTest::newRow("TLS off") << "0"
                                 << "1" << 0u;
        QTest::newRow("both on") << "1"
                                 << "1" << 2u;
    }
    void knownCertificates()
    {
        QFETCH(QString, tls);
        QFETCH(QString, restriction);
        QFETCH(uint, entries);
        Project p;
        QVERIFY(p.setParGen(
            parGen(element("TLS_Server_Enable", tls) + element("TLS_Server_Enable_Known_Cert", restriction))));
        QVERIFY(p.setKnownCerts(
            knownCerts(QStringLiteral(R"(<row Enable="Y" Certificate="C&#xe9;1" Mnemonic="m"/>)"
                                      R"(<row Enable="N" Certificate="C2"/><row Enable="y" Certificate="C3"/>)"
                                      R"(<row Enable="Y" Mnemonic="no certificate"/>)"))));
        ImageCompiler compiler;
        const Images images = compiler.Compile_Bin(p.docs);
        // The list is always read; whether it reaches the image depends on the two flags.
        const TTLS_Bank &bank = compiler.record().TLS_Data;
        QCOMPARE(bank.Known_Cert_Num, 2u);
        QCOMPARE(bank.Known_Cert.size(), 2);
        QCOMPARE(bank.Known_Cert[0].Certificate, QStringLiteral("C\u00e91"));
        QCOMPARE(bank.Known_Cert[0].Certificate_Length, 5u);
        QCOMPARE(bank.Known_Cert[1].Certificate, QString());
        QCOMPARE(bank.Known_Cert[1].Certificate_Length, 1u);

        QCOMPARE(read32(images.bank2, 34), entries);
        QCOMPARE(read32(images.bank2, 50), B + 54 + 8 * entries);
        const QByteArray area = entries ? QByteArray("43c3a93100") : QByteArray();
        QCOMPARE(images.bank2.mid(55 + 8 * entries).toHex(), area);
    }

    void documentNotWellFormed_data()
    {
        QTest::addColumn<int>("which");
        QTest::newRow("ParGen.xml") << 0;
        QTest::newRow("IEC61850_Variables.xml") << 1;
        QTest::newRow("TLS_Known_Cert.xml") << 2;
    }
    void documentNotWellFormed()
    {
        QFETCH(int, which);
        Project p;
        const QString path = which == 0 ? p.docs.parGen : which == 1 ? p.docs.variables : p.docs.knownCerts;
        QVERIFY(writeFile(path, "<root><row Enable=\"Y\"></root>"));
        ImageCompiler compiler;
        try {
            compiler.Compile_Bin(p.docs);
            QFAIL("a broken document was compiled");
        } catch (const sw::Error &error) {
            QVERIFY2(error.message().contains(QDir::toNativeSeparators(path)), qPrintable(error.message()));
        }
    }

    void compilationsAreIndependent()
    {
        Project full;
        QVERIFY(full.setParGen(parGen(element("TLS_Server_Enable", "1") + element("TLS_Server_Enable_Known_Cert", "1")
            + element("TLS_Server_Key", "KEY") + element("Ethernet_IP4", "77")
            + element("MODBUS_SLAVE_BAUDRATE", "2"))));
        QVERIFY(full.setVariables(
            variables(QStringLiteral(R"(<row Enable="Y" Name="A" Type="Float" MultiplicationFactor="2"/>)"))));
        QVERIFY(full.setKnownCerts(knownCerts(QStringLiteral(R"(<row Enable="Y" Certificate="C"/>)"))));
        Project empty;

        ImageCompiler compiler;
        const Images first = compiler.Compile_Bin(full.docs);
        const Images second = compiler.Compile_Bin(full.docs);
        QCOMPARE(second.bank1, first.bank1);
        QCOMPARE(second.bank2, first.bank2);
        // Nothing of the earlier project survives into the next image.
        const Images after = compiler.Compile_Bin(empty.docs);
        QCOMPARE(after.bank1.toHex(), defaultImages().bank1.toHex());
        QCOMPARE(after.bank2.toHex(), defaultImages().bank2.toHex());
    }

    void saveWritesBothFilesAndCreatesTheFolder()
    {
        Project p;
        QVERIFY(p.setVariables(variables(QStringLiteral(R"(<row Enable="Y" Name="AB"/>)"))));
        QVERIFY(!QDir(p.bin()).exists());
        const Images images = p.compile();
        Save_Bin(p.bin(), images);
        QCOMPARE(readFile(p.bin() + QStringLiteral("/bank1.bin")), images.bank1);
        QCOMPARE(readFile(p.bin() + QStringLiteral("/bank2.bin")), images.bank2);

        // A later save replaces both.
        Images other = images;
        other.bank2 = QByteArray("xyz");
        Save_Bin(p.bin(), other);
        QCOMPARE(readFile(p.bin() + QStringLiteral("/bank2.bin")), QByteArray("xyz"));
        QCOMPARE(QDir(p.bin()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    // The exchange that the pair relies on: both names see the other folder afterwards.
    void folderExchangeSwapsBothFolders()
    {
        QTemporaryDir dir;
        const QString first = dir.filePath(QStringLiteral("first"));
        const QString second = dir.filePath(QStringLiteral("second"));
        QVERIFY(QDir().mkpath(first) && QDir().mkpath(second));
        QVERIFY(writeFile(first + QStringLiteral("/f"), "1"));
        QVERIFY(writeFile(second + QStringLiteral("/s"), "2"));
        if (sw::files::exchangeFolders(first, second) == sw::files::ExchangeResult::Unavailable)
            QSKIP("this file system cannot exchange folders; saves replace file by file here");
        QCOMPARE(readFile(first + QStringLiteral("/s")), QByteArray("2"));
        QCOMPARE(readFile(second + QStringLiteral("/f")), QByteArray("1"));
        QVERIFY_THROWS_EXCEPTION(sw::Error, sw::files::exchangeFolders(first, dir.filePath(QStringLiteral("absent"))));
    }

    // What else bin holds stays, whether the pair takes its place by a folder exchange or, where
    // that is unavailable or bin holds a link, file by file; no staging folder stays behind.
    void saveKeepsWhatElseBinHolds_data()
    {
        QTest::addColumn<bool>("exchangeUnavailable");
        QTest::addColumn<bool>("withLink");
        QTest::newRow("folder exchange") << false << false;
        QTest::newRow("exchange unavailable") << true << false;
        QTest::newRow("bin holds a link") << false << true;
    }

    void saveKeepsWhatElseBinHolds()
    {
        QFETCH(bool, exchangeUnavailable);
        QFETCH(bool, withLink);
        Project p;
        QVERIFY(QDir().mkpath(p.bin() + QStringLiteral("/notes")));
        QVERIFY(writeFile(p.bin() + QStringLiteral("/bank1.bin"), "old bank1"));
        QVERIFY(writeFile(p.bin() + QStringLiteral("/bank2.bin"), "old bank2"));
        QVERIFY(writeFile(p.bin() + QStringLiteral("/readme.txt"), "kept"));
        QVERIFY(writeFile(p.bin() + QStringLiteral("/notes/site.txt"), "kept too"));
        if (withLink)
            QVERIFY(QFile::link(QStringLiteral("readme.txt"), p.bin() + QStringLiteral("/latest")));
        const auto noFault = qScopeGuard([] { sw::files::setSaveFault({}); });
        if (exchangeUnavailable) {
            sw::files::setSaveFault([](sw::files::SaveStep step, const QString &) -> std::optional<QString> {
                if (step == sw::files::SaveStep::Exchange)
                    return QStringLiteral("no exchange here");
                return std::nullopt;
            });
        }

        const Images images = p.compile();
        Save_Bin(p.bin(), images);
        QCOMPARE(readFile(p.bin() + QStringLiteral("/bank1.bin")), images.bank1);
        QCOMPARE(readFile(p.bin() + QStringLiteral("/bank2.bin")), images.bank2);
        QCOMPARE(readFile(p.bin() + QStringLiteral("/readme.txt")), QByteArray("kept"));
        QCOMPARE(readFile(p.bin() + QStringLiteral("/notes/site.txt")), QByteArray("kept too"));
        if (withLink)
            QCOMPARE(QFileInfo(p.bin() + QStringLiteral("/latest")).symLinkTarget(),
                p.bin() + QStringLiteral("/readme.txt"));
        QCOMPARE(QDir(p.dir.path()).entryList({ QStringLiteral(".staging-*") }, QDir::AllEntries | QDir::Hidden),
            QStringList());
    }

    // A kill after the exchange leaves the earlier pair in a staging folder; the next save removes
    // it, but never follows a link that merely carries such a name.
    void saveRemovesLeftoverStaging()
    {
        Project p;
        const QString leftover = p.dir.filePath(QStringLiteral(".staging-bin-killed"));
        QVERIFY(QDir().mkpath(leftover));
        QVERIFY(writeFile(leftover + QStringLiteral("/bank1.bin"), "earlier"));
        QTemporaryDir outside;
        QVERIFY(writeFile(outside.filePath(QStringLiteral("keep.txt")), "outside"));
        QVERIFY(QFile::link(outside.path(), p.dir.filePath(QStringLiteral(".staging-bin-link"))));

        Save_Bin(p.bin(), p.compile());
        QVERIFY(!QFileInfo::exists(leftover));
        QCOMPARE(readFile(outside.filePath(QStringLiteral("keep.txt"))), QByteArray("outside"));
    }

    // A bin folder that is a link would have the pair written outside the project.
    void saveRefusesBinAsLink()
    {
        Project p;
        QTemporaryDir outside;
        QVERIFY(QFile::link(outside.path(), p.bin()));
        try {
            Save_Bin(p.bin(), p.compile());
            QFAIL("the images were written through a link");
        } catch (const sw::Error &error) {
            QVERIFY2(error.message().contains(QStringLiteral("link")), qPrintable(error.message()));
        }
        QCOMPARE(QDir(outside.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
        QVERIFY(QFileInfo(p.bin()).isSymLink());
    }

    void failedSaveKeepsThePairAndReports()
    {
        Project p;
        QVERIFY(QDir().mkpath(p.bin()));
        const QString bank1 = p.bin() + QStringLiteral("/bank1.bin");
        QVERIFY(writeFile(bank1, "old bank1"));
        // bank2.bin cannot be replaced: a folder stands in its place.
        QVERIFY(QDir().mkpath(p.bin() + QStringLiteral("/bank2.bin")));

        try {
            Save_Bin(p.bin(), p.compile());
            QFAIL("a failed write was reported as success");
        } catch (const sw::Error &error) {
            QVERIFY2(error.message().contains(QStringLiteral("bank2.bin")), qPrintable(error.message()));
        }
        QCOMPARE(readFile(bank1), QByteArray("old bank1"));
        QCOMPARE(QDir(p.bin()).entryList(QDir::Files | QDir::Hidden), QStringList { QStringLiteral("bank1.bin") });
    }

    void saveIntoAFolderThatCannotBeCreated()
    {
        Project p;
        QVERIFY(writeFile(p.bin(), "a file named bin"));
        QVERIFY_THROWS_EXCEPTION(sw::Error, Save_Bin(p.bin(), p.compile()));
        QCOMPARE(readFile(p.bin()), QByteArray("a file named bin"));
    }

    void oversizedImageWritesNothing()
    {
        Project p;
        Save_Bin(p.bin(), p.compile()); // the earlier images on disk
        const QByteArray bank1Before = readFile(p.bin() + QStringLiteral("/bank1.bin"));
        const QByteArray bank2Before = readFile(p.bin() + QStringLiteral("/bank2.bin"));

        // Ten known certificates of 60,000 characters: 54 + 80 + 1 + 10 x 60,001 bytes.
        QVERIFY(p.setParGen(parGen(element("TLS_Server_Enable", "1") + element("TLS_Server_Enable_Known_Cert", "1"))));
        QString rows;
        const QString cert(60000, u'c');
        for (int i = 0; i < 10; ++i)
            rows += QStringLiteral(R"(<row Enable="Y" Certificate="%1"/>)").arg(cert);
        QVERIFY(p.setKnownCerts(knownCerts(rows)));

        try {
            // As the caller does it: save only what compiled.
            Save_Bin(p.bin(), p.compile());
            QFAIL("an oversized image was accepted");
        } catch (const sw::Error &error) {
            QVERIFY2(error.message().contains(QStringLiteral("600,145")), qPrintable(error.message()));
            QVERIFY2(error.message().contains(QStringLiteral("524,288")), qPrintable(error.message()));
        }
        QCOMPARE(readFile(p.bin() + QStringLiteral("/bank1.bin")), bank1Before);
        QCOMPARE(readFile(p.bin() + QStringLiteral("/bank2.bin")), bank2Before);
    }
};

QTEST_GUILESS_MAIN(tst_ImageCompiler)
#include "tst_ImageCompiler.moc"
