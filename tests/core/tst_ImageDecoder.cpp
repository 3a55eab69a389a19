#include "TestFiles.h"

#include "core/Error.h"
#include "core/image/Compiler.h"
#include "core/image/Decoder.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace sw::image;
using namespace sw::test;

namespace {

// Generated projects: every kind of field in the editors' forms and beyond them (texts the compiler
// folds, numbers it wraps), empty and full lists, texts in several scripts.
class ProjectGenerator
{
public:
    explicit ProjectGenerator(quint32 seed)
        : m_random(seed)
    {
    }

    ProjectContent project()
    {
        ProjectContent p;
        if (m_random.bounded(8) != 0)
            p.parGen = parGen();
        const int variables = pickCount(sw::VariableListCapacity);
        for (int i = 0; i < variables; ++i)
            p.variables << variable();
        const int certs = pickCount(sw::KnownCertListCapacity);
        for (int i = 0; i < certs; ++i)
            p.knownCerts << sw::KnownCertRow { m_random.bounded(4) != 0, text(1, 300, true), text(0, 20, false) };
        return p;
    }

private:
    // Empty and full lists come up often, the rest in between.
    int pickCount(int capacity)
    {
        switch (m_random.bounded(5)) {
        case 0:
            return 0;
        case 1:
            return capacity;
        default:
            return m_random.bounded(1, capacity);
        }
    }

    template <size_t N> QString pick(const char *const (&items)[N])
    {
        return QString::fromUtf8(items[m_random.bounded(int(N))]);
    }

    QString number(int low, int high) { return QString::number(m_random.bounded(low, high + 1)); }

    // Latin-1, Greek, CJK, a character outside the BMP, line breaks and blanks around.
    QString text(int minLength, int maxLength, bool multiLine)
    {
        static const char16_t pieces[] = { u'a', u'Z', u'7', u' ', u'_', u'.', u'-', u'\u00e9', u'\u00fc', u'\u00df',
            u'\u03a9', u'\u4e2d', u'\u20ac', u'<', u'&', u'"' };
        QString out;
        const int length = m_random.bounded(minLength, maxLength + 1);
        while (out.size() < length) {
            const int r = m_random.bounded(40);
            if (r == 0)
                out += QString::fromUtf8("\xF0\x9F\x98\x80");
            else if (multiLine && r == 1)
                out += m_random.bounded(2) ? QStringLiteral("\n") : QStringLiteral("\r\n");
            else if (r == 2)
                out += u'\t';
            else
                out += QChar(pieces[m_random.bounded(int(std::size(pieces)))]);
        }
        return out;
    }

    bool flag() { return m_random.bounded(2) == 1; }

    sw::ParGenValues parGen()
    {
        sw::ParGenValues v;
        static const char *const ports[] = { "102", "0", "65535", "010", "70000", "port", "" };
        v.IEC61850_Server_Port = m_random.bounded(3) ? number(0, 65535) : pick(ports);
        v.IEC61850_Server_Password = m_random.bounded(3) ? text(0, 12, false) : QString();
        v.TLS_Server_Enable = flag();
        v.TLS_Server_Key = m_random.bounded(3) ? text(0, 400, true) : QString();
        v.TLS_Server_Key_Password = m_random.bounded(2) ? text(0, 16, false) : QString();
        v.TLS_Server_Server_Certificate = text(0, 300, true);
        v.TLS_Server_Root_Certificate = text(0, 300, true);
        v.TLS_Server_Enable_Known_Cert = flag();
        static const char *const bytes[] = { "0", "255", "300", "-1", "x", "", "010" };
        QString *const quads[] = { &v.Ethernet_IP1, &v.Ethernet_IP2, &v.Ethernet_IP3, &v.Ethernet_IP4, &v.Ethernet_SM1,
            &v.Ethernet_SM2, &v.Ethernet_SM3, &v.Ethernet_SM4, &v.Ethernet_GAT1, &v.Ethernet_GAT2, &v.Ethernet_GAT3,
            &v.Ethernet_GAT4 };
        for (QString *q : quads)
            *q = m_random.bounded(4) ? number(0, 255) : pick(bytes);
        v.Ethernet_EN_GAT = flag();
        v.Ethernet_DNS1 = number(0, 255);
        v.Ethernet_EN_DNS = flag();
        v.Ethernet_TCP_Port = number(0, 65535);
        v.MODBUS_SLAVE_SERIAL = m_random.bounded(2);
        v.MODBUS_SLAVE_BAUDRATE = m_random.bounded(-1, 9);
        v.MODBUS_SLAVE_PARITY = m_random.bounded(4) ? m_random.bounded(3) : m_random.bounded(3, 300);
        v.MODBUS_SLAVE_STOPBITS = m_random.bounded(4) ? m_random.bounded(2) : m_random.bounded(2, 300);
        static const char *const ids[] = { "1", "247", "0", "-1", "id", "", "4294967296" };
        v.MODBUS_SLAVE_IDDEVICE = m_random.bounded(2) ? number(1, 247) : pick(ids);
        v.MODBUS_SLAVE_READ_INPUT_REGISTER = flag();
        return v;
    }

    sw::VariableRow variable()
    {
        static const char *const enables[] = { "Y", "Y", "Y", "Y", "N", "y", " Y" };
        static const char *const types[] = { "Int", "Float", "Digital (Bit)", "", "float ", " DIGITAL (bit)", "Word" };
        static const char *const lengths[] = { "1", "2", "4", "", "9", "-3", "x" };
        static const char *const yesNo[] = { "Y", "N", "", "y", " Y " };
        static const char *const conversions[] = { "None", "Int to Float", "Float to Int", "", " int to float", "x" };
        static const char *const factors[]
            = { "None", " none ", "1.5", "1,5", "-2.5e3", "0.1", "abc", "", "0", "-0", "3.4e38", "1e-40" };
        sw::VariableRow row;
        row.Enable = pick(enables);
        row.Name = m_random.bounded(10) ? text(1, 40, false) : QString();
        row.Type = pick(types);
        row.Length = pick(lengths);
        row.ReadOnly = pick(yesNo);
        row.Position = m_random.bounded(5) ? number(0, 1437) : QStringLiteral("-5");
        row.StartBit = m_random.bounded(3) ? number(0, 7) : QString();
        row.Conversion = pick(conversions);
        row.MultiplicationFactor
            = m_random.bounded(3) ? pick(factors) : QString::number(m_random.generateDouble() * 1000.0);
        row.Swap = pick(yesNo);
        row.SwapWord = pick(yesNo);
        row.Mnemonic = text(0, 20, false);
        return row;
    }

    QRandomGenerator m_random;
};

Images compileFolder(const QString &folder)
{
    ImageCompiler compiler;
    return compiler.Compile_Bin(sw::projectDocuments(folder));
}

// The image of a small project with every list filled, TLS and the restriction on.
Images sampleImages(QTemporaryDir &dir)
{
    ProjectContent p;
    p.parGen = sw::ParGenValues();
    p.parGen->TLS_Server_Enable = true;
    p.parGen->TLS_Server_Enable_Known_Cert = true;
    p.parGen->MODBUS_SLAVE_BAUDRATE = 4;
    p.parGen->MODBUS_SLAVE_STOPBITS = 1;
    p.parGen->Ethernet_EN_GAT = true;
    p.parGen->IEC61850_Server_Password = QStringLiteral("pw");
    sw::VariableRow row;
    row.Name = QStringLiteral("Pressure_2");
    row.Type = QStringLiteral("Float");
    row.Length = QStringLiteral("4");
    row.Position = QStringLiteral("10");
    row.Conversion = QStringLiteral("None");
    row.MultiplicationFactor = QStringLiteral("1,5");
    row.Mnemonic = QStringLiteral("lost in the image");
    p.variables << row;
    p.knownCerts << sw::KnownCertRow { true, QStringLiteral("cert one"), QStringLiteral("m") };
    writeProjectContent(dir.filePath(QStringLiteral("p")), p);
    return compileFolder(dir.filePath(QStringLiteral("p")));
}

void put32(QByteArray &b, qsizetype at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((value >> (8 * i)) & 0xFF);
}

// Rewrites the checksum so that a change to the block is not refused for the checksum alone.
void fixChecksum(QByteArray &bank1)
{
    quint32 sum = 0;
    for (int i = 0; i < 2044; ++i)
        sum += quint8(bank1[i]);
    put32(bank1, 2044, sum);
}

} // namespace

class tst_ImageDecoder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // project -> image -> decode -> image gives the same bytes, for generated projects.
    void roundTripKeepsTheImage()
    {
        for (quint32 seed = 1; seed <= 300; ++seed) {
            const ProjectContent original = ProjectGenerator(seed).project();
            ImageCompiler compiler;
            const Images images = compiler.Compile_Bin(documentBytes(original));
            DecodedImage decoded;
            try {
                decoded = decodeImages(images.bank1, images.bank2);
            } catch (const sw::Error &e) {
                QFAIL(qPrintable(QStringLiteral("seed %1: %2").arg(seed).arg(e.message())));
            }
            const Images again = compiler.Compile_Bin(documentBytes(decoded.content));
            if (again.bank1 != images.bank1 || again.bank2 != images.bank2)
                QFAIL(qPrintable(QStringLiteral("seed %1: the image changed").arg(seed)));
        }
    }

    void decodedValuesAndDefaults()
    {
        QTemporaryDir dir;
        const Images images = sampleImages(dir);
        const DecodedImage d = decodeImages(images.bank1, images.bank2);
        QVERIFY(d.content.parGen);
        QCOMPARE(d.content.parGen->MODBUS_SLAVE_BAUDRATE, 4);
        // Two stop bits are 2 in the device and position 1 of the editor's list.
        QCOMPARE(d.content.parGen->MODBUS_SLAVE_STOPBITS, 1);
        QCOMPARE(d.content.parGen->IEC61850_Server_Password, QStringLiteral("pw"));
        QVERIFY(d.content.parGen->TLS_Server_Enable_Known_Cert);
        QCOMPARE(d.content.variables.size(), 1);
        const sw::VariableRow &v = d.content.variables.front();
        QCOMPARE(v.Name, QStringLiteral("Pressure_2"));
        QCOMPARE(v.MultiplicationFactor, QStringLiteral("1.5"));
        QCOMPARE(v.Mnemonic, QString());
        QCOMPARE(d.content.knownCerts.size(), 1);
        QCOMPARE(d.content.knownCerts.front().Certificate, QStringLiteral("cert one"));
        QVERIFY(d.defaulted.join(u'\n').contains(QStringLiteral("Mnemonics of the variables")));
    }

    // A project without ParGen.xml gives an image that no ParGen.xml could give.
    void imageWithoutParametersHasNoParGen()
    {
        QTemporaryDir dir;
        writeProjectContent(dir.filePath(QStringLiteral("p")), ProjectContent());
        const Images images = compileFolder(dir.filePath(QStringLiteral("p")));
        const DecodedImage d = decodeImages(images.bank1, images.bank2);
        QVERIFY(!d.content.parGen);
        QVERIFY(d.defaulted.front().contains(QStringLiteral("ParGen.xml")));
    }

    void refusesDamagedImages_data()
    {
        QTest::addColumn<int>("damage");
        QTest::addColumn<QString>("reason");
        QTest::newRow("bank1 short") << 0 << QStringLiteral("bank1.bin: 2047 bytes long");
        QTest::newRow("checksum") << 1 << QStringLiteral("checksum");
        QTest::newRow("bank2 short") << 2 << QStringLiteral("bank2.bin: 54 bytes long");
        QTest::newRow("counts do not fit") << 3 << QStringLiteral("do not fit");
        QTest::newRow("name address outside") << 4 << QStringLiteral("outside the text area");
        QTest::newRow("foreign byte in block") << 5 << QStringLiteral("bank1.bin: the byte at offset 0x8");
        QTest::newRow("unknown baud rate") << 6 << QStringLiteral("baud rate 1234");
        QTest::newRow("unknown type") << 7 << QStringLiteral("unknown type 5");
        QTest::newRow("control character") << 8 << QStringLiteral("control character");
        QTest::newRow("text past its length") << 9 << QStringLiteral("does not end where its length says");
    }
    void refusesDamagedImages()
    {
        QFETCH(int, damage);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        Images images = sampleImages(dir);
        QByteArray &b1 = images.bank1;
        QByteArray &b2 = images.bank2;
        const qsizetype varEntry = 54 + 8; // one known certificate before the variable table
        switch (damage) {
        case 0:
            b1.chop(1);
            break;
        case 1:
            b1[0x40] = 1;
            break;
        case 2:
            b2.truncate(54);
            break;
        case 3:
            put32(b2, 46, 1000);
            break;
        case 4:
            put32(b2, varEntry, 0x80000 + quint32(b2.size()) + 1);
            break;
        case 5:
            b1[8] = 1;
            fixChecksum(b1);
            break;
        case 6:
            put32(b1, 0x19C, 1234);
            fixChecksum(b1);
            break;
        case 7:
            put32(b2, varEntry + 4, 5);
            break;
        case 8:
            b2[b2.size() - 2] = '\x01'; // inside the last name
            break;
        case 9:
            put32(b2, 54 + 4, read32(b2, 54 + 4) - 1); // the known certificate's length
            break;
        }
        try {
            decodeImages(b1, b2);
            QFAIL("decoded");
        } catch (const sw::Error &e) {
            QVERIFY2(e.message().contains(reason), qPrintable(e.message()));
        }
    }

    void writesOnlyIntoAnEmptyFolder()
    {
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("p/keep.txt")), "x"));
        QVERIFY_THROWS_EXCEPTION(sw::Error, writeProjectContent(dir.filePath(QStringLiteral("p")), ProjectContent()));
        QCOMPARE(
            QDir(dir.filePath(QStringLiteral("p"))).entryList(QDir::Files), QStringList { QStringLiteral("keep.txt") });
    }
};

QTEST_GUILESS_MAIN(tst_ImageDecoder)
#include "tst_ImageDecoder.moc"
