#include "TestFiles.h"

#include "core/Error.h"
#include "core/update/UpdateParameters.h"
#include "core/xml/Xml.h"

#include <QTemporaryDir>
#include <QtTest>

using sw::UpdateParameters;
using sw::test::readFile;
using sw::test::writeFile;

namespace {

using Element = std::pair<QString, QString>; // name, text
using Elements = QList<Element>;

enum Kind { Firmware, FirstImage, SecondImage };

// The children of an element, each with its text; an element with children shows "<children>".
Elements childrenOf(pugi::xml_node parent)
{
    Elements out;
    for (pugi::xml_node child : parent.children()) {
        const QString name = QString::fromUtf8(child.name());
        out.append({ name,
            child.first_child().type() == pugi::node_element ? QStringLiteral("<children>")
                                                             : QString::fromUtf8(child.text().get()) });
    }
    return out;
}

// The twenty children that an operation of `kind` must hold, written out in full.
Elements expectedOperation(Kind kind, const QString &file, bool readBack, bool last)
{
    const auto pick = [kind](const char *firmware, const char *image1, const char *image2) {
        return QString::fromLatin1(kind == Firmware ? firmware : kind == FirstImage ? image1 : image2);
    };
    return {
        { "Ope_Protection_Enabled", "" },
        { "Ope_GoToBoot_Before", "0" },
        { "Ope_GoToApp_Before", "0" },
        { "Ope_IP_Address", "" },
        { "Ope_Port", "2008" },
        { "Ope_Port_Sec", "2007" },
        { "Ope_Erase_Memory", "0" },
        { "Ope_FileName", QDir::toNativeSeparators(file) },
        { "Ope_Start_Address", pick("0x8000", "0x07000", "0x80000") },
        { "Ope_Memory_Type", "0" },
        { "Ope_Bank_Type", pick("1", "2", "2") },
        { "Ope_Read_Back", readBack ? "1" : "0" },
        { "Ope_Write_CSS", pick("1", "0", "0") },
        { "Ope_Address_CSS", "0x07A00" },
        { "Ope_Command_CSS", "0x02" },
        { "Ope_Write_Internal_Data", "0" },
        { "Ope_WID_Address", "0x07810" },
        { "Ope_WID_Command", "0x02" },
        { "Ope_WID_Data", "0x00, 0x00, 0x00, 0x01" },
        { "Ope_GoToApp_After", last ? "1" : "0" },
    };
}

UpdateParameters sample(int choice, bool readBack)
{
    return { QStringLiteral(" 192.168.2.205"), choice, readBack, QStringLiteral("/w/MASTER/Sim61942.sim"),
        QStringLiteral("/w/PROJECTS/p/bin/bank1.bin"), QStringLiteral("/w/PROJECTS/p/bin/bank2.bin") };
}

} // namespace

class tst_UpdateParameters : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void documentForEachChoice_data();
    void documentForEachChoice();
    void documentBytes();
    void dataFilesInTheirFolders();
    void filesInProgramFolder();
    void writeReplacesFile();
    void writeFailureRaisesError_data();
    void writeFailureRaisesError();
};

void tst_UpdateParameters::documentForEachChoice_data()
{
    QTest::addColumn<int>("choice");
    QTest::addColumn<bool>("readBack");
    QTest::addColumn<QList<int>>("kinds"); // the operations in order

    for (const bool readBack : { true, false }) {
        const char *rb = readBack ? "read back" : "no read back";
        QTest::addRow("firmware + configuration, %s", rb)
            << 0 << readBack << QList<int> { Firmware, FirstImage, SecondImage };
        QTest::addRow("firmware, %s", rb) << 1 << readBack << QList<int> { Firmware };
        QTest::addRow("configuration, %s", rb) << 2 << readBack << QList<int> { FirstImage, SecondImage };
    }
    QTest::newRow("unknown choice writes no operation") << 3 << true << QList<int> {};
}

void tst_UpdateParameters::documentForEachChoice()
{
    QFETCH(int, choice);
    QFETCH(bool, readBack);
    QFETCH(QList<int>, kinds);

    const UpdateParameters p = sample(choice, readBack);
    pugi::xml_document doc;
    const auto problem = sw::xml::loadBytes(doc, sw::updateParametersDocument(p));
    QVERIFY2(!problem, qPrintable(problem.value_or(QString())));

    // One top-level node only: the root, no declaration and no comment.
    const Elements top = childrenOf(doc);
    QCOMPARE(top, Elements({ { "Ethernet_Update", "<children>" } }));
    const pugi::xml_node root = doc.first_child();
    const Elements header = {
        { "Version", "1000" },
        { "Title", "Quorvex - SW61942 Ethernet Update" },
        { "IP_Address_Dev", " 192.168.2.205" },
        { "Application_Port", "10000" },
        { "Boot_Port", "2008" },
        { "Boot_Port_Sec", "2007" },
        { "Address_Protection", "0x07800" },
        { "Protections", "<children>" },
        { "Operations", kinds.isEmpty() ? "" : "<children>" },
    };
    QCOMPARE(childrenOf(root), header);
    QCOMPARE(childrenOf(root.child("Protections")), Elements({ { "Protection", "0x20D" } }));

    const pugi::xml_node operations = root.child("Operations");
    const Elements list = childrenOf(operations);
    QCOMPARE(list.size(), kinds.size());
    const QString files[] = { p.firmwareFile, p.bank1File, p.bank2File };
    int i = 0;
    for (pugi::xml_node operation : operations.children()) {
        QCOMPARE(QString::fromUtf8(operation.name()), QStringLiteral("Operation"));
        QVERIFY(operation.attributes().empty());
        const Kind kind = Kind(kinds[i]);
        QCOMPARE(childrenOf(operation), expectedOperation(kind, files[kind], readBack, i + 1 == kinds.size()));
        ++i;
    }
}

void tst_UpdateParameters::documentBytes()
{
    const UpdateParameters p = sample(1, true);
    const QByteArray file = QDir::toNativeSeparators(p.firmwareFile).toUtf8();
    const QByteArray expected = "<Ethernet_Update><Version>1000</Version>"
                                "<Title>Quorvex - SW61942 Ethernet Update</Title>"
                                "<IP_Address_Dev> 192.168.2.205</IP_Address_Dev>"
                                "<Application_Port>10000</Application_Port><Boot_Port>2008</Boot_Port>"
                                "<Boot_Port_Sec>2007</Boot_Port_Sec><Address_Protection>0x07800</Address_Protection>"
                                "<Protections><Protection>0x20D</Protection></Protections>"
                                "<Operations><Operation><Ope_Protection_Enabled/>"
                                "<Ope_GoToBoot_Before>0</Ope_GoToBoot_Before><Ope_GoToApp_Before>0</Ope_GoToApp_Before>"
                                "<Ope_IP_Address/><Ope_Port>2008</Ope_Port><Ope_Port_Sec>2007</Ope_Port_Sec>"
                                "<Ope_Erase_Memory>0</Ope_Erase_Memory><Ope_FileName>"
        + file
        + "</Ope_FileName><Ope_Start_Address>0x8000</Ope_Start_Address><Ope_Memory_Type>0</Ope_Memory_Type>"
          "<Ope_Bank_Type>1</Ope_Bank_Type><Ope_Read_Back>1</Ope_Read_Back><Ope_Write_CSS>1</Ope_Write_CSS>"
          "<Ope_Address_CSS>0x07A00</Ope_Address_CSS><Ope_Command_CSS>0x02</Ope_Command_CSS>"
          "<Ope_Write_Internal_Data>0</Ope_Write_Internal_Data><Ope_WID_Address>0x07810</Ope_WID_Address>"
          "<Ope_WID_Command>0x02</Ope_WID_Command><Ope_WID_Data>0x00, 0x00, 0x00, 0x01</Ope_WID_Data>"
          "<Ope_GoToApp_After>1</Ope_GoToApp_After></Operation></Operations></Ethernet_Update>";
    QCOMPARE(sw::updateParametersDocument(p), expected);
}

void tst_UpdateParameters::dataFilesInTheirFolders()
{
    const QString master = QDir::toNativeSeparators("/w/MASTER");
    const QString project = QDir::toNativeSeparators("/w/PROJECTS/p");
    const UpdateParameters p = sw::updateParameters("10.0.0.1", 2, false, master, project);
    QCOMPARE(p.ipAddress, QStringLiteral("10.0.0.1"));
    QCOMPARE(p.choice, 2);
    QCOMPARE(p.readBack, false);
    QCOMPARE(p.firmwareFile, QDir::toNativeSeparators("/w/MASTER/Sim61942.sim"));
    QCOMPARE(p.bank1File, QDir::toNativeSeparators("/w/PROJECTS/p/bin/bank1.bin"));
    QCOMPARE(p.bank2File, QDir::toNativeSeparators("/w/PROJECTS/p/bin/bank2.bin"));
}

void tst_UpdateParameters::filesInProgramFolder()
{
    const QString dir = QDir::toNativeSeparators("/opt/sw");
    QCOMPARE(sw::updateParametersPath(dir), QDir::toNativeSeparators("/opt/sw/Ethernet_Update.xml"));
#ifdef Q_OS_WIN
    QCOMPARE(sw::updaterProgramPath(dir), QDir::toNativeSeparators("/opt/sw/Ethernet_Update.exe"));
#else
    QCOMPARE(sw::updaterProgramPath(dir), QDir::toNativeSeparators("/opt/sw/Ethernet_Update"));
#endif
}

void tst_UpdateParameters::writeReplacesFile()
{
    QTemporaryDir dir;
    const QString programDir = QDir::toNativeSeparators(dir.path());
    const QString path = sw::updateParametersPath(programDir);
    QVERIFY(writeFile(path, QByteArray(4096, 'x')));

    QCOMPARE(sw::writeUpdateParametersFile(programDir, sample(0, true)), path);
    QCOMPARE(readFile(path), sw::updateParametersDocument(sample(0, true)));
    // A second update in the same run keeps nothing of the first file.
    sw::writeUpdateParametersFile(programDir, sample(1, false));
    QCOMPARE(readFile(path), sw::updateParametersDocument(sample(1, false)));
}

void tst_UpdateParameters::writeFailureRaisesError_data()
{
    QTest::addColumn<bool>("folderExists");
    QTest::addColumn<QString>("address");
    QTest::newRow("missing program folder") << false << "192.168.2.205";
    QTest::newRow("address XML cannot hold") << true << QStringLiteral("192.168.2.\x01");
}

void tst_UpdateParameters::writeFailureRaisesError()
{
    QFETCH(bool, folderExists);
    QFETCH(QString, address);

    QTemporaryDir dir;
    const QString programDir = QDir::toNativeSeparators(folderExists ? dir.path() : dir.filePath("gone"));
    const QString path = sw::updateParametersPath(programDir);
    if (folderExists)
        QVERIFY(writeFile(path, "earlier"));
    UpdateParameters p = sample(0, true);
    p.ipAddress = address;
    try {
        sw::writeUpdateParametersFile(programDir, p);
        QFAIL("no error raised");
    } catch (const sw::Error &e) {
        QVERIFY2(e.message().contains(path), qPrintable(e.message()));
    }
    if (folderExists)
        QCOMPARE(readFile(path), QByteArray("earlier"));
}

QTEST_APPLESS_MAIN(tst_UpdateParameters)
#include "tst_UpdateParameters.moc"
