#include "MalformedDocuments.h"
#include "TestFiles.h"
#include "XmlTrees.h"

#include "core/Error.h"
#include "core/ProgramValues.h"
#include "core/documents/KnownCertDocument.h"
#include "core/documents/ParGenDocument.h"
#include "core/documents/VariablesDocument.h"
#include "core/image/Compiler.h"
#include "core/xml/ConformingReader.h"
#include "core/xml/PlainReader.h"
#include "core/xml/Xml.h"

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
    void plainReaderBuildsTheSameTree_data();
    void plainReaderBuildsTheSameTree();
    void plainReaderDeclines_data();
    void plainReaderDeclines();
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

// The plain reader must take the documents this program writes and the plain constructs people
// add by hand, and build for each the tree the conforming parser builds.
void tst_Xml::plainReaderBuildsTheSameTree_data()
{
    QTest::addColumn<QByteArray>("bytes");

    ParGenValues parGen;
    parGen.IEC61850_Server_Password = QStringLiteral("<&>\"' ]]>");
    parGen.TLS_Server_Key = QStringLiteral("-----BEGIN KEY-----\r\nAAAA\r\n-----END KEY-----\r\n");
    parGen.TLS_Server_Server_Certificate = QStringLiteral("-----BEGIN-----\nBBBB\n-----END-----\n");
    parGen.TLS_Server_Root_Certificate = QStringLiteral("   ");
    QTest::newRow("communication parameters as written") << parGenDocument(parGen);
    VariableRow variable;
    variable.Name = QStringLiteral("LD0/MMXU1.TotW.mag.f");
    variable.Conversion = QStringLiteral("Int to Float");
    variable.Mnemonic = QStringLiteral("Zähler\t\"3\" € \U0001F321\r\n");
    QTest::newRow("variables as written") << variablesDocument({ variable, VariableRow() });
    QTest::newRow("known certificates as written")
        << knownCertDocument({ { true, "-----BEGIN-----\r\nAB\n", "" }, { false, " C ", "a & \"b\" <c>" } });
    ProgramValues settings;
    settings.Conf_Name = QStringLiteral("Anlage Süd & Nord");
    QTest::newRow("settings as written") << settingsDocument(settings);

    QTest::newRow("declaration with every pseudo-attribute")
        << QByteArray("\xEF\xBB\xBF<?xml version='1.0' encoding = \"utf-8\"\tstandalone=\"no\" ?>\r\n<a/>");
    QTest::newRow("declaration with the version alone") << QByteArray("<?xml version=\"1.0\"?><a/>");
    QTest::newRow("declaration with standalone only") << QByteArray("<?xml version=\"1.0\" standalone='yes'?><a/>");
    QTest::newRow("comments everywhere, line ends in them")
        << QByteArray("<!-- a\r\nb\rc -->\r\n<a><!--x-y-->t<!---->u<!-- \xC3\xA9 - --></a>\n<!--after-->\t\r\n");
    QTest::newRow("CDATA sections") << QByteArray("<a>x<![CDATA[<b>&amp;]]]\r\n]\r]]>y<![CDATA[]]> <![CDATA[z]]></a>");
    QTest::newRow("references in text and attributes") << QByteArray(
        "<a v=\"&lt;&#9;&#10;&#13;&#x1F321;&quot;&apos;&#xfffd;\">&amp;&#x41;&#65;&gt;&#0000065;&#x10FFFF;</a>");
    QTest::newRow("line ends, tabs and quotes in attribute values")
        << QByteArray("<a v=\"x\r\ny\rz\nw\tv\r\r\n\" w='\"' x=\"'\" y=\"a>b]]>\"/>");
    QTest::newRow("line ends in text") << QByteArray("<a>x\r\ny\rz\r\r\n<b>\r</b></a>");
    QTest::newRow("blank text") << QByteArray("<a>  <b> \r\n </b>\t<c/> <d></d>\n<e>&#32;</e> &#32; <f/> </a>");
    QTest::newRow("text beside elements") << QByteArray("<a>x<b/>y<c>z</c> </a>");
    QTest::newRow("characters beyond ASCII")
        << QByteArray("<a v=\"\xC2\x80\x7F\xEE\x80\x80\">\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEF\xBF\xBD"
                      "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF</a>");
    QTest::newRow("names of every ASCII kind") << QByteArray("<_a.b-1 c.d-2_=\"1\" xmlx=\"2\" Z=\"3\"></_a.b-1>");
    const QByteArray longName(300, 'n');
    QTest::newRow("long names") << "<" + longName + " " + longName + "=\"1\"></" + longName + ">";
    QTest::newRow("blanks inside tags") << QByteArray("<a\n\tb = \"1\"\r\n c='2' ><d\t/></a\t>");
    QTest::newRow("256 attributes") << test::crowdedRow(256);
    QTest::newRow("1,000 levels of nesting") << QByteArray("<n>").repeated(1000) + QByteArray("</n>").repeated(1000);
}

void tst_Xml::plainReaderBuildsTheSameTree()
{
    QFETCH(QByteArray, bytes);
    pugi::xml_document conforming;
    QCOMPARE(xml::loadBytesConforming(conforming, bytes), std::nullopt);
    pugi::xml_document plain;
    QVERIFY(xml::readPlainDocument(plain, bytes.constData(), size_t(bytes.size())));
    const QString difference = test::treeDifference(plain, conforming);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

// Everything outside the plain subset, well-formed or not, is left to the conforming parser.
void tst_Xml::plainReaderDeclines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    for (const auto &[name, bytes] : test::malformedDocuments())
        QTest::newRow(qPrintable(QStringLiteral("malformed: %1").arg(QLatin1StringView(name)))) << bytes;

    // Well-formed, but for the conforming parser to read.
    QTest::newRow("document type") << QByteArray("<!DOCTYPE a><a/>");
    QTest::newRow("processing instruction before the root") << QByteArray("<?pi x?><a/>");
    QTest::newRow("processing instruction inside") << QByteArray("<a><?pi?></a>");
    QTest::newRow("Latin-1 declared") << QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a/>");
    QTest::newRow("UTF-16 with byte-order mark") << QByteArray("\xFF\xFE<\0a\0/\0>\0", 10);
    QTest::newRow("UTF-16 without byte-order mark") << QByteArray("<\0a\0/\0>\0", 8);
    QTest::newRow("namespace prefix") << QByteArray("<x:a xmlns:x=\"u\"/>");
    QTest::newRow("default namespace") << QByteArray("<a xmlns=\"u\"/>");
    QTest::newRow("name beyond ASCII") << QByteArray("<caf\xC3\xA9/>");

    // Not well-formed.
    QTest::newRow("overlong UTF-8") << QByteArray("<a>\xC0\xBC</a>");
    QTest::newRow("overlong three-byte UTF-8") << QByteArray("<a>\xE0\x9F\xBF</a>");
    QTest::newRow("UTF-8 surrogate") << QByteArray("<a>\xED\xA0\x80</a>");
    QTest::newRow("U+FFFF") << QByteArray("<a v=\"\xEF\xBF\xBF\"/>");
    QTest::newRow("beyond U+10FFFF") << QByteArray("<a>\xF4\x90\x80\x80</a>");
    QTest::newRow("sequence cut short") << QByteArray("<a>\xE2\x82</a>");
    QTest::newRow("NUL byte") << QByteArray("<a>\0</a>", 8);
    QTest::newRow("control character in an attribute") << QByteArray("<a v=\"\x1F\"/>");
    QTest::newRow("control character in a comment") << QByteArray("<a><!--\x0C--></a>");
    QTest::newRow("reference beyond U+10FFFF") << QByteArray("<a>&#x110000;</a>");
    QTest::newRow("reference to U+FFFE") << QByteArray("<a>&#xFFFE;</a>");
    QTest::newRow("reference to a control character") << QByteArray("<a v=\"&#1;\"/>");
    QTest::newRow("uppercase X in a reference") << QByteArray("<a>&#X41;</a>");
    QTest::newRow("hexadecimal digit in a decimal reference") << QByteArray("<a>&#4a;</a>");
    QTest::newRow("empty reference") << QByteArray("<a>&#;</a>");
    QTest::newRow("reference without semicolon") << QByteArray("<a>&#65 </a>");
    QTest::newRow("undefined entity in an attribute") << QByteArray("<a v=\"&nbsp;\"/>");
    QTest::newRow("< in an attribute") << QByteArray("<a v=\"<\"/>");
    QTest::newRow("bare & in an attribute") << QByteArray("<a v=\"&\"/>");
    QTest::newRow("unquoted attribute") << QByteArray("<a v=1/>");
    QTest::newRow("no blank between attributes") << QByteArray("<a v=\"1\"w=\"2\"/>");
    QTest::newRow("attribute without value") << QByteArray("<a v/>");
    QTest::newRow("unclosed attribute value") << QByteArray("<a v=\"1/>");
    QTest::newRow("comment ending in ---") << QByteArray("<a><!--x---></a>");
    QTest::newRow("unclosed comment") << QByteArray("<a/><!--");
    QTest::newRow("CDATA outside the root") << QByteArray("<![CDATA[x]]><a/>");
    QTest::newRow("unclosed CDATA") << QByteArray("<a><![CDATA[x</a>");
    QTest::newRow("end tag of another name") << QByteArray("<a></b>");
    QTest::newRow("end tag shorter") << QByteArray("<ab></a>");
    QTest::newRow("end tag longer") << QByteArray("<a></ab>");
    QTest::newRow("unclosed start tag") << QByteArray("<a");
    QTest::newRow("root left open") << QByteArray("<a><b></b>");
    QTest::newRow("text before the root") << QByteArray("x<a/>");
    QTest::newRow("reference after the root") << QByteArray("<a/>&#32;");
    QTest::newRow("comment alone") << QByteArray("<!--c-->");
    QTest::newRow("blanks alone") << QByteArray(" \r\n");
    QTest::newRow("declaration alone") << QByteArray("<?xml version=\"1.0\"?>");
    QTest::newRow("declaration after a blank") << QByteArray(" <?xml version=\"1.0\"?><a/>");
    QTest::newRow("declaration without version") << QByteArray("<?xml encoding=\"UTF-8\"?><a/>");
    QTest::newRow("standalone in capitals") << QByteArray("<?xml version=\"1.0\" standalone=\"YES\"?><a/>");
    QTest::newRow("pseudo-attributes out of order")
        << QByteArray("<?xml version=\"1.0\" standalone=\"yes\" encoding=\"UTF-8\"?><a/>");
    QTest::newRow("name starting with a digit") << QByteArray("<1a/>");
    QTest::newRow("blank after <") << QByteArray("< a/>");
}

void tst_Xml::plainReaderDeclines()
{
    QFETCH(QByteArray, bytes);
    pugi::xml_document doc;
    doc.append_child("left over");
    QVERIFY(!xml::readPlainDocument(doc, bytes.constData(), size_t(bytes.size())));
    QVERIFY(!doc.first_child());
}

QTEST_GUILESS_MAIN(tst_Xml)
#include "tst_Xml.moc"
