#include "MalformedDocuments.h"
#include "TestFiles.h"

#include "core/Error.h"
#include "core/Xml.h"
#include "core/documents/ParGenDocument.h"
#include "core/image/Compiler.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

using namespace sw;
using sw::test::readFile;
using sw::test::writeFile;

namespace {

// Runs `read` and returns the message of the sw::Error it throws; a null string when it throws none.
template <class F> QString errorOf(F &&read)
{
    try {
        read();
    } catch (const Error &e) {
        return e.message();
    }
    return {};
}

} // namespace

class tst_Xml : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void malformedDocumentsAreRefused_data();
    void malformedDocumentsAreRefused();
    void wellFormedVariantsAreAccepted_data();
    void wellFormedVariantsAreAccepted();
    void textsReadBackUnchanged_data();
    void textsReadBackUnchanged();
    void unwritableCharactersAreReported_data();
    void unwritableCharactersAreReported();
    void crowdedElementIsRefusedQuickly();
};

void tst_Xml::malformedDocumentsAreRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    for (const auto &[name, bytes] : test::malformedDocuments())
        QTest::newRow(name) << bytes;
}

void tst_Xml::malformedDocumentsAreRefused()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(xml::wellFormednessProblem(bytes).has_value());

    // Each project document reader and the compiler, for each of the three documents, report the
    // file and the line; the image files that were there stay as they were.
    QTemporaryDir dir;
    const ProjectDocuments docs = projectDocuments(dir.path());
    for (const QString &path : { docs.parGen, docs.variables, docs.knownCerts }) {
        QDir(dir.path()).removeRecursively();
        QVERIFY(QDir().mkpath(dir.filePath("bin")));
        QVERIFY(writeFile(path, bytes));
        QVERIFY(writeFile(dir.filePath("bin/bank1.bin"), "old 1"));
        QVERIFY(writeFile(dir.filePath("bin/bank2.bin"), "old 2"));
        const QString message = errorOf([&] {
            image::ImageCompiler compiler;
            image::Save_Bin(dir.filePath("bin"), compiler.Compile_Bin(docs));
        });
        QVERIFY2(message.contains(QDir::toNativeSeparators(path)), qPrintable(message));
        QVERIFY2(message.contains("line "), qPrintable(message));
        QCOMPARE(readFile(dir.filePath("bin/bank1.bin")), QByteArray("old 1"));
        QCOMPARE(readFile(dir.filePath("bin/bank2.bin")), QByteArray("old 2"));
    }
    QVERIFY(writeFile(docs.parGen, bytes));
    const QString message = errorOf([&] { (void)readParGenFile(docs.parGen); });
    QVERIFY2(message.contains(QDir::toNativeSeparators(docs.parGen)) && message.contains("line "), qPrintable(message));
}

void tst_Xml::wellFormedVariantsAreAccepted_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("port"); // IEC61850_Server_Port as read
    QTest::newRow("plain") << QByteArray("<Par_Gen><IEC61850_Server_Port>80</IEC61850_Server_Port></Par_Gen>") << "80";
    QTest::newRow("byte-order mark") << QByteArray(
        "\xEF\xBB\xBF<Par_Gen><IEC61850_Server_Port>80</IEC61850_Server_Port></Par_Gen>")
                                     << "80";
    QTest::newRow("CR LF between nodes") << QByteArray(
        "<Par_Gen>\r\n<IEC61850_Server_Port>80</IEC61850_Server_Port>\r\n</Par_Gen>\r\n<!--c-->\r\n")
                                         << "80";
    QTest::newRow("character and predefined references")
        << QByteArray("<Par_Gen><IEC61850_Server_Port>&#56;&#x30;&amp;</IEC61850_Server_Port></Par_Gen>") << "80&";
    QTest::newRow("CDATA") << QByteArray(
        "<Par_Gen><IEC61850_Server_Port><![CDATA[8<0]]></IEC61850_Server_Port></Par_Gen>")
                           << "8<0";
    QTest::newRow("declaration first") << QByteArray(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Par_Gen><IEC61850_Server_Port>80</IEC61850_Server_Port></Par_Gen>")
                                       << "80";
    QTest::newRow("DOCTYPE without entities")
        << QByteArray("<!DOCTYPE Par_Gen><Par_Gen><IEC61850_Server_Port>80</IEC61850_Server_Port></Par_Gen>") << "80";
    QTest::newRow("comment and processing instruction first")
        << QByteArray("<!--c--><?pi x?><Par_Gen><IEC61850_Server_Port>80</IEC61850_Server_Port></Par_Gen>") << "80";
    // 256 attributes on the root (one with "=" in its value), and "=" signs in a comment and a
    // CDATA section, which are not attributes.
    QByteArray crowded = "<Par_Gen x=\"a=b\"";
    for (int i = 1; i < 256; ++i)
        crowded += " a" + QByteArray::number(i) + "='" + QByteArray::number(i) + "'";
    crowded += "><!-- a=1 b=2 --><IEC61850_Server_Port><![CDATA[80]]></IEC61850_Server_Port></Par_Gen><!--"
        + test::crowdedRow(300) + "-->";
    QTest::newRow("256 attributes") << crowded << "80";
    QTest::newRow("Latin-1 declared") << QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><Par_Gen/>")
                                      << "102";
}

void tst_Xml::wellFormedVariantsAreAccepted()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, port);
    QCOMPARE(xml::wellFormednessProblem(bytes), std::nullopt);
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("ParGen.xml"), bytes));
    QCOMPARE(readParGenFile(dir.filePath("ParGen.xml")).IEC61850_Server_Port, port);
}

void tst_Xml::textsReadBackUnchanged_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("CR") << QStringLiteral("a\rb");
    QTest::newRow("CR LF") << QStringLiteral("line 1\r\nline 2\r\n");
    QTest::newRow("LF") << QStringLiteral("\nline\n");
    QTest::newRow("tab") << QStringLiteral("\ta\tb\t");
    QTest::newRow("surrounding blanks") << QStringLiteral("  a b  ");
    QTest::newRow("blanks only") << QStringLiteral("   ");
    QTest::newRow("markup characters") << QStringLiteral("<&>\"' ]]> &amp;");
    QTest::newRow("non-Latin text") << QStringLiteral("Привет 変電所 €");
    QTest::newRow("outside the BMP") << QStringLiteral("gauge \U0001F321");
    QTest::newRow("40,000 characters") << QString(40000, u'k');
}

void tst_Xml::textsReadBackUnchanged()
{
    QFETCH(QString, text);
    pugi::xml_document doc;
    pugi::xml_node root = xml::resetWithRoot(doc, "Root", true);
    xml::appendTextElement(root, "Value", text);
    xml::setAttribute(root.append_child("row"), "Value", text);
    const QByteArray bytes = xml::toBytes(doc);

    pugi::xml_document back;
    QCOMPARE(xml::loadBytes(back, bytes), std::nullopt);
    const pugi::xml_node backRoot = xml::rootElement(back);
    QCOMPARE(xml::childText(backRoot, "Value"), std::optional<QString>(text));
    QCOMPARE(xml::attribute(xml::childElement(backRoot, "row"), "Value"), std::optional<QString>(text));
    // Written again, the bytes are the same: nothing drifts from save to save.
    pugi::xml_document again;
    pugi::xml_node againRoot = xml::resetWithRoot(again, "Root", true);
    xml::appendTextElement(againRoot, "Value", *xml::childText(backRoot, "Value"));
    xml::setAttribute(
        againRoot.append_child("row"), "Value", *xml::attribute(xml::childElement(backRoot, "row"), "Value"));
    QCOMPARE(xml::toBytes(again), bytes);
}

void tst_Xml::unwritableCharactersAreReported_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("control character") << QStringLiteral("a\x01");
    QTest::newRow("NUL") << QString(QChar(0));
    QTest::newRow("lone high surrogate") << QString(QChar(0xD800));
    QTest::newRow("noncharacter FFFE") << QString(QChar(0xFFFE));
}

void tst_Xml::unwritableCharactersAreReported()
{
    QFETCH(QString, text);
    pugi::xml_document doc;
    pugi::xml_node root = xml::resetWithRoot(doc, "Root", false);
    QVERIFY(!errorOf([&] { xml::appendTextElement(root, "Value", text); }).isNull());
    QVERIFY(!errorOf([&] { xml::setAttribute(root, "Value", text); }).isNull());

    // A save that cannot be read back is refused whole, naming the file and the value; the earlier
    // file stays.
    QTemporaryDir dir;
    const QString path = dir.filePath("ParGen.xml");
    QVERIFY(writeFile(path, "<Par_Gen/>"));
    ParGenValues values;
    values.TLS_Server_Key = text;
    const QString message = errorOf([&] { writeParGenFile(path, values); });
    QVERIFY2(
        message.contains(QDir::toNativeSeparators(path)) && message.contains("TLS_Server_Key"), qPrintable(message));
    QCOMPARE(readFile(path), QByteArray("<Par_Gen/>"));
}

// Checking many attributes for duplicates takes time with the square of their count: a crowded
// element is refused before that check, in a single pass, with the line where it starts.
void tst_Xml::crowdedElementIsRefusedQuickly()
{
    const QByteArray bytes = "<IEC61850_Variables>\n" + test::crowdedRow(100000).mid(20);
    QElapsedTimer clock;
    clock.start();
    const std::optional<QString> problem = xml::wellFormednessProblem(bytes);
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(problem.value_or(QString()), QStringLiteral("line 2, column 1: an element with more than 256 attributes"));
}

QTEST_GUILESS_MAIN(tst_Xml)
#include "tst_Xml.moc"
