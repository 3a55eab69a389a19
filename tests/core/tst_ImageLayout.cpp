#include "TestFiles.h"

#include "core/Error.h"
#include "core/image/ParamBlock.h"
#include "core/image/SecondImage.h"

#include <QTest>

using namespace sw::image;
using sw::test::read32;

namespace {

constexpr quint32 B = 0x80000;

// Expected bytes written out by hand, little-endian.
struct Bytes
{
    QByteArray b;
    Bytes &u8(int v)
    {
        b.append(static_cast<char>(v));
        return *this;
    }
    Bytes &u16(quint16 v) { return u8(v & 0xFF).u8(v >> 8); }
    Bytes &u32(quint32 v) { return u16(static_cast<quint16>(v & 0xFFFF)).u16(static_cast<quint16>(v >> 16)); }
    Bytes &text(const char *raw)
    {
        b.append(raw);
        return u8(0);
    }
};

TIEC61850 emptyRecord()
{
    TIEC61850 r;
    r.port = 102;
    return r;
}

TIEC61850_Var variable(const QString &name)
{
    TIEC61850_Var v;
    v.Name = name;
    v.Data_Type = DataTypeInteger;
    v.Multiplication_Factor = 1.0f;
    return v;
}

void addVariable(TIEC61850 &r, const TIEC61850_Var &v)
{
    r.Variables.append(v);
    r.Var_Number = static_cast<quint32>(r.Variables.size());
}

void addKnownCert(TIEC61850 &r, const QString &text)
{
    TTLS_Certificate c;
    c.Certificate = text;
    c.Certificate_Length = static_cast<quint32>(text.toUtf8().size() + 1);
    r.TLS_Data.Known_Cert.append(c);
    r.TLS_Data.Known_Cert_Num = static_cast<quint32>(r.TLS_Data.Known_Cert.size());
}

} // namespace

class tst_ImageLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaultParameterBlock()
    {
        ParamBlock block;
        block.put8(100, 0x55); // anything left from before is cleared
        Set_Default_Parameters(block);
        block.put32(0x5E8, B);
        const QByteArray bank1 = Build_Bank1(block);

        QByteArray expected(2048, '\0');
        auto place = [&](int at, const Bytes &bytes) { expected.replace(at, bytes.b.size(), bytes.b); };
        place(0x000, Bytes().u8(0x90).u8(0xD0).u8(0x03).u8(0x00)); // 250000
        place(0x004, Bytes().u8(0x90).u8(0xD0).u8(0x03).u8(0x00));
        place(0x00C, Bytes().u8(0x80).u8(0x25)); // 9600
        place(0x028, Bytes().u8(192).u8(168).u8(2).u8(205));
        place(0x02C, Bytes().u8(255).u8(255).u8(255).u8(0));
        place(0x030, Bytes().u8(255).u8(255).u8(255).u8(255));
        place(0x034, Bytes().u8(0x10).u8(0x27)); // 10000
        place(0x036, Bytes().u8(0x11).u8(0x27)); // 10001
        place(0x038, Bytes().u8(0x11).u8(0x27));
        place(0x1B4, Bytes().u8(8).u8(8).u8(8).u8(8).u8(8).u8(8).u8(8).u8(8));
        place(0x5E8, Bytes().u8(0x00).u8(0x00).u8(0x08).u8(0x00));
        // 2 x 355 + 165 + 567 + 765 + 1020 + 55 + 2 x 56 + 64 + 8
        place(0x7FC, Bytes().u32(3466));
        QCOMPARE(bank1.size(), 2048);
        QCOMPARE(bank1.toHex(), expected.toHex());
    }

    void checksumCoversBytesBeforeItOnly_data()
    {
        QTest::addColumn<int>("offset");
        QTest::newRow("first byte") << 0;
        QTest::newRow("serial flags") << 0x061;
        QTest::newRow("base address") << 0x5E8;
        QTest::newRow("field at 2040") << 2040;
        QTest::newRow("last summed byte") << 2043;
    }
    void checksumCoversBytesBeforeItOnly()
    {
        QFETCH(int, offset);
        ParamBlock block;
        Set_Default_Parameters(block);
        block.put32(0x5E8, B);
        const quint32 before = read32(Build_Bank1(block), 2044);

        block.put8(offset, static_cast<quint8>(block.get8(offset) + 1));
        block.put32(0x7FC, 0xDEADBEEF); // a stale checksum never enters the sum
        const QByteArray raised = Build_Bank1(block);
        QCOMPARE(read32(raised, 2044), before + 1);
    }

    void emptySecondImage()
    {
        TIEC61850 r = emptyRecord();
        const QByteArray bank2 = Build_Bank2(B, r);
        const QByteArray expected = Bytes()
                                        .u16(102)
                                        .u32(0)
                                        .u32(B + 54) // key: the separator
                                        .u32(0)
                                        .u32(0) // no key password
                                        .u32(B + 54)
                                        .u32(0)
                                        .u32(B + 54)
                                        .u32(0)
                                        .u32(0)
                                        .u32(B + 54) // known-certificate table
                                        .u32(0) // no password
                                        .u32(0)
                                        .u32(B + 54) // variable table
                                        .u8(0)
                                        .b;
        QCOMPARE(bank2.size(), 55);
        QCOMPARE(bank2.toHex(), expected.toHex());
    }

    void oneVariable()
    {
        TIEC61850 r = emptyRecord();
        TIEC61850_Var v = variable(QStringLiteral("AB"));
        v.Data_Type = DataTypeFloat;
        v.Position = 300;
        v.Start_Bit = 3;
        v.Length = 4;
        v.Read_Only = 1;
        v.Multiplication_Factor = 1.5f;
        v.Operation = 2;
        v.Options = OptionSwap | OptionSwapWord;
        addVariable(r, v);

        const QByteArray bank2 = Build_Bank2(B, r);
        const QByteArray expected = Bytes()
                                        .u16(102)
                                        .u32(0)
                                        .u32(B + 86)
                                        .u32(0)
                                        .u32(0)
                                        .u32(B + 86)
                                        .u32(0)
                                        .u32(B + 86)
                                        .u32(0)
                                        .u32(0)
                                        .u32(B + 54)
                                        .u32(0)
                                        .u32(1)
                                        .u32(B + 54)
                                        // variable entry
                                        .u32(B + 87)
                                        .u32(6)
                                        .u32(300)
                                        .u32(3)
                                        .u32(4)
                                        .u32(1)
                                        .u32(0x3FC00000) // 1.5f
                                        .u16(2)
                                        .u16(3)
                                        .u8(0) // separator at 86
                                        .text("AB")
                                        .b;
        QCOMPARE(bank2.size(), 90);
        QCOMPARE(bank2.toHex(), expected.toHex());
        // The addresses are stored back into the record.
        QCOMPARE(r.Variables[0].Name_Add, B + 87);
        QCOMPARE(r.Var_Add, B + 54);
        QCOMPARE(r.TLS_Data.key_add, B + 86);
        QCOMPARE(r.Password_Add, 0u);
    }

    void tlsWithoutRestrictionLeavesKnownCertsOut()
    {
        TIEC61850 r = emptyRecord();
        r.TLS_Enable = 1;
        r.TLS_Data.key = QStringLiteral("k1");
        r.TLS_Data.Key_Password = QStringLiteral("pw");
        r.TLS_Data.Server_Cert.Certificate = QStringLiteral("S");
        r.TLS_Data.Root_Cert.Certificate = QStringLiteral("R");
        r.Password = QStringLiteral("P");
        addKnownCert(r, QStringLiteral("C1"));
        addKnownCert(r, QStringLiteral("C2"));

        const QByteArray bank2 = Build_Bank2(B, r);
        const QByteArray expected = Bytes()
                                        .u16(102)
                                        .u32(1)
                                        .u32(B + 55)
                                        .u32(2)
                                        .u32(B + 58)
                                        .u32(B + 61)
                                        .u32(1)
                                        .u32(B + 63)
                                        .u32(1)
                                        .u32(0) // no table, whatever Known_Cert_Num holds
                                        .u32(B + 54)
                                        .u32(B + 65)
                                        .u32(0)
                                        .u32(B + 54) // variable table right after the header
                                        .u8(0)
                                        .text("k1")
                                        .text("pw")
                                        .text("S")
                                        .text("R")
                                        .text("P")
                                        .b;
        QCOMPARE(bank2.toHex(), expected.toHex());
    }

    void knownCertificateTable()
    {
        TIEC61850 r = emptyRecord();
        r.TLS_Enable = 1;
        r.TLS_Data.Known_Cert_En = 1;
        r.Password = QStringLiteral("P");
        addKnownCert(r, QStringLiteral("C1"));
        addKnownCert(r, QString()); // an empty certificate takes the next text's address
        addKnownCert(r, QStringLiteral("C333"));
        addVariable(r, variable(QStringLiteral("V")));

        const QByteArray bank2 = Build_Bank2(B, r);
        // T = 54 + 3 x 8 + 32 = 110
        const QByteArray expected = Bytes()
                                        .u16(102)
                                        .u32(1)
                                        .u32(B + 110)
                                        .u32(0)
                                        .u32(0)
                                        .u32(B + 110)
                                        .u32(0)
                                        .u32(B + 110)
                                        .u32(0)
                                        .u32(3)
                                        .u32(B + 54)
                                        .u32(B + 111)
                                        .u32(1)
                                        .u32(B + 78)
                                        // known-certificate entries
                                        .u32(B + 113)
                                        .u32(2)
                                        .u32(B + 116)
                                        .u32(0)
                                        .u32(B + 116)
                                        .u32(4)
                                        // variable entry at 78
                                        .u32(B + 121)
                                        .u32(4)
                                        .u32(0)
                                        .u32(0)
                                        .u32(0)
                                        .u32(0)
                                        .u32(0x3F800000) // 1.0f
                                        .u16(0)
                                        .u16(0)
                                        .u8(0)
                                        .text("P")
                                        .text("C1")
                                        .text("C333")
                                        .text("V")
                                        .b;
        QCOMPARE(bank2.toHex(), expected.toHex());
        QCOMPARE(r.TLS_Data.Known_Cert[1].Certificate_Add, B + 116);
    }

    void knownTableCondition_data()
    {
        QTest::addColumn<quint32>("tls");
        QTest::addColumn<quint32>("restriction");
        QTest::addColumn<quint32>("entries");
        QTest::newRow("both on") << 1u << 1u << 2u;
        QTest::newRow("TLS off") << 0u << 1u << 0u;
        QTest::newRow("restriction off") << 1u << 0u << 0u;
        QTest::newRow("TLS 2 is not on") << 2u << 1u << 0u;
        QTest::newRow("restriction 2 is not on") << 1u << 2u << 0u;
    }
    void knownTableCondition()
    {
        QFETCH(quint32, tls);
        QFETCH(quint32, restriction);
        QFETCH(quint32, entries);
        TIEC61850 r = emptyRecord();
        r.TLS_Enable = tls;
        r.TLS_Data.Known_Cert_En = restriction;
        addKnownCert(r, QStringLiteral("AAAA"));
        addKnownCert(r, QStringLiteral("BBBB"));
        const QByteArray bank2 = Build_Bank2(B, r);
        QCOMPARE(read32(bank2, 2), tls); // the integer as read
        QCOMPARE(read32(bank2, 34), entries);
        QCOMPARE(read32(bank2, 38), B + 54);
        QCOMPARE(read32(bank2, 50), B + 54 + 8 * entries);
        QCOMPARE(bank2.size(), qsizetype(55 + 8 * entries + 5 * entries));
        QCOMPARE(bank2.contains("AAAA"), entries > 0);
    }

    void longKey()
    {
        QString key;
        while (key.size() < 1000)
            key += QStringLiteral("MIIBIjANBgkqhkiG9w0BAQEFAAOCAQ8AMIIBCgKCAQEA\r\n");
        key.truncate(1000);
        TIEC61850 r = emptyRecord();
        r.TLS_Data.key = key;
        r.TLS_Data.Server_Cert.Certificate = QStringLiteral("S");

        const QByteArray bank2 = Build_Bank2(B, r);
        QCOMPARE(read32(bank2, 6), B + 55);
        QCOMPARE(read32(bank2, 10), 1000u);
        QCOMPARE(read32(bank2, 18), B + 55 + 1001); // the key occupies 1001 bytes
        QCOMPARE(bank2.mid(55, 1001), key.toLatin1() + '\0');
        QCOMPARE(bank2.size(), 55 + 1001 + 2);
    }

    void textEncodings()
    {
        const QString e = QStringLiteral("\u00e9");
        TIEC61850 r = emptyRecord();
        r.TLS_Enable = 1;
        r.TLS_Data.Known_Cert_En = 1;
        addKnownCert(r, e);
        addVariable(r, variable(e));
        const QByteArray bank2 = Build_Bank2(B, r);
        // T = 54 + 8 + 32 = 94; certificate at 95 (3 bytes), name at 98 (2 bytes)
        QCOMPARE(read32(bank2, 54), B + 95);
        QCOMPARE(read32(bank2, 58), 2u);
        QCOMPARE(bank2.mid(95, 3).toHex(), QByteArray("c3a900"));
        QCOMPARE(read32(bank2, 62), B + 98);
        QCOMPARE(bank2.mid(98).toHex(), QByteArray("e900"));
    }

    void putText_data()
    {
        QTest::addColumn<bool>("utf8");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("hex");
        QTest::newRow("utf8 empty writes nothing") << true << QString() << QByteArray();
        QTest::newRow("utf8 latin") << true << QStringLiteral("a\u00e9") << QByteArray("61c3a900");
        QTest::newRow("utf8 line break kept") << true << QStringLiteral("a\r\nb") << QByteArray("610d0a6200");
        QTest::newRow("utf8 outside the BMP") << true << QStringLiteral("\U0001F600") << QByteArray("f09f988000");
        QTest::newRow("byte empty writes nothing") << false << QString() << QByteArray();
        QTest::newRow("byte latin-1") << false << QStringLiteral("A\u00e9") << QByteArray("41e900");
        QTest::newRow("byte beyond latin-1 is a question mark")
            << false << QStringLiteral("\u20ac") << QByteArray("3f00");
        QTest::newRow("byte U+0100 does not end the text")
            << false << QStringLiteral("a\u0100b") << QByteArray("613f6200");
    }
    void putText()
    {
        QFETCH(bool, utf8);
        QFETCH(QString, text);
        QFETCH(QByteArray, hex);
        QByteArray buffer(16, '\x55');
        const qsizetype end = utf8 ? Put_UTF8_Text(text, buffer, 3) : Put_Byte_Text(text, buffer, 3);
        const QByteArray bytes = QByteArray::fromHex(hex);
        QCOMPARE(end, 3 + bytes.size());
        QCOMPARE(buffer.mid(3, bytes.size()).toHex(), hex);
        QCOMPARE(buffer.at(end), '\x55'); // nothing written past the text
    }

    void capacity()
    {
        // Empty record: 55 bytes plus the key and its terminator.
        TIEC61850 r = emptyRecord();
        r.TLS_Data.key = QString(524288 - 56, u'k');
        QCOMPARE(Build_Bank2(B, r).size(), 524288);

        r.TLS_Data.key += u'k';
        try {
            Build_Bank2(B, r);
            QFAIL("an image over the limit was built");
        } catch (const sw::Error &error) {
            QVERIFY2(error.message().contains(QLatin1String("524,289")), qPrintable(error.message()));
            QVERIFY2(error.message().contains(QLatin1String("524,288")), qPrintable(error.message()));
        }
    }

    void countsMustMatchLists()
    {
        TIEC61850 r = emptyRecord();
        addVariable(r, variable(QStringLiteral("A")));
        r.Var_Number = 2;
        QVERIFY_THROWS_EXCEPTION(sw::Error, Build_Bank2(B, r));
    }
};

QTEST_GUILESS_MAIN(tst_ImageLayout)
#include "tst_ImageLayout.moc"
