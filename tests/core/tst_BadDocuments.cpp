#include "TestFiles.h"

#include "core/Error.h"
#include "core/ProgramValues.h"
#include "core/documents/KnownCertDocument.h"
#include "core/documents/ParGenDocument.h"
#include "core/documents/VariablesDocument.h"
#include "core/image/Compiler.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace sw;
using sw::test::readFile;
using sw::test::writeFile;

namespace {

// What stands at the path a reader opens.
enum class Entry { File, Folder, DanglingLink, NamedPipe, LinkToEndlessDevice };

// What every reader makes of it.
enum class Outcome {
    Refused, // each document reader throws sw::Error naming the file; the settings take their defaults
    Read, // the values that the document holds arrive (see withValues)
    Defaults, // read without error, but nothing in it: defaults, no rows
};

// Every reader on this machine must be done with any one case well within this time.
constexpr qint64 TimeLimitMs = 5000;
// Growth of the process's peak memory allowed for one case: the 10 MB text is held a few times
// over (bytes, parsed tree, UTF-16 copies); an expanding entity would take far more.
constexpr long MemoryLimitKiB = 512 * 1024;

// A document that every reader takes something from, whatever its first top-level node is named:
// a row for the two list readers, a server port for ParGen.xml and the image, a project name for
// the settings. `inside` goes after them, so a reader that gets past it has read all of it.
QByteArray withValues(const QByteArray &inside = {})
{
    return "<Par_Gen><row Enable=\"Y\" Name=\"V\" Certificate=\"C\"/>"
           "<IEC61850_Server_Port>80</IEC61850_Server_Port>"
           "<lastproj><projectname>P</projectname></lastproj>"
        + inside + "</Par_Gen>";
}

QByteArray utf16(const QByteArray &utf8, QStringConverter::Encoding encoding)
{
    QStringEncoder encode(encoding, QStringConverter::Flag::Stateless); // no byte-order mark
    return encode(QString::fromUtf8(utf8));
}

QByteArray randomBytes(qsizetype size)
{
    QRandomGenerator random(61942);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &c : bytes)
        c = char(random.bounded(256));
    return bytes;
}

// Builds the entry at `path`; false when the system does not allow it.
bool place(Entry entry, const QString &path, const QByteArray &bytes)
{
    switch (entry) {
    case Entry::File:
        return writeFile(path, bytes);
    case Entry::Folder:
        return QDir().mkpath(path);
    case Entry::DanglingLink:
        return QFile::link(QFileInfo(path).absolutePath() + QStringLiteral("/nowhere.xml"), path);
    case Entry::NamedPipe:
        return QDir().mkpath(QFileInfo(path).absolutePath())
            && ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
    case Entry::LinkToEndlessDevice:
        return QFileInfo(path).dir().mkpath(QStringLiteral(".")) && QFile::link(QStringLiteral("/dev/zero"), path);
    }
    return false;
}

// What is on disk at `path`, without opening it (a pipe would block, a device never end).
QByteArray stateOf(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        return "link to " + info.symLinkTarget().toUtf8();
    if (info.isDir())
        return "folder";
    if (info.isFile())
        return "file " + readFile(path);
    return info.exists() ? "other" : "missing";
}

long peakMemoryKiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The message of the sw::Error that `run` throws; a null string when it throws none.
template <class F> QString errorOf(F &&run)
{
    try {
        run();
    } catch (const Error &e) {
        return e.message();
    }
    return {};
}

enum class Reader { Settings, ParGen, Variables, KnownCerts, ImageFromParGen, ImageFromVariables, ImageFromKnownCerts };

constexpr Reader AllReaders[] = { Reader::Settings, Reader::ParGen, Reader::Variables, Reader::KnownCerts,
    Reader::ImageFromParGen, Reader::ImageFromVariables, Reader::ImageFromKnownCerts };

// The file that `reader` reads in a program folder that is also the configuration's folder.
QString readFileOf(Reader reader, const ProgramValues &pv, const ProjectDocuments &docs)
{
    switch (reader) {
    case Reader::Settings:
        return pv.settingsFile();
    case Reader::ParGen:
    case Reader::ImageFromParGen:
        return docs.parGen;
    case Reader::Variables:
    case Reader::ImageFromVariables:
        return docs.variables;
    case Reader::KnownCerts:
    case Reader::ImageFromKnownCerts:
        return docs.knownCerts;
    }
    return {};
}

const char *readerName(Reader reader)
{
    switch (reader) {
    case Reader::Settings:
        return "settings";
    case Reader::ParGen:
        return "ParGen.xml reader";
    case Reader::Variables:
        return "variables reader";
    case Reader::KnownCerts:
        return "known certificates reader";
    case Reader::ImageFromParGen:
        return "image from ParGen.xml";
    case Reader::ImageFromVariables:
        return "image from the variables";
    case Reader::ImageFromKnownCerts:
        return "image from the known certificates";
    }
    return "";
}

} // namespace

class tst_BadDocuments : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void readersSurvive_data();
    void readersSurvive();

private:
    // An entity or a document type that a reader fetched would connect here.
    QTcpServer m_web;
};

void tst_BadDocuments::initTestCase()
{
    QVERIFY2(m_web.listen(QHostAddress::LocalHost), qPrintable(m_web.errorString()));
}

void tst_BadDocuments::readersSurvive_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<QByteArray>("bytes"); // %URL% stands for an address on the local listener
    QTest::addColumn<int>("outcome");

    auto row = [](const char *name, Entry entry, const QByteArray &bytes, Outcome outcome) {
        QTest::newRow(name) << int(entry) << bytes << int(outcome);
    };
    const QByteArray laughs = "<!DOCTYPE Par_Gen [<!ENTITY l0 \"ha\">"
                              "<!ENTITY l1 \"&l0;&l0;&l0;&l0;&l0;&l0;&l0;&l0;&l0;&l0;\">"
                              "<!ENTITY l2 \"&l1;&l1;&l1;&l1;&l1;&l1;&l1;&l1;&l1;&l1;\">"
                              "<!ENTITY l3 \"&l2;&l2;&l2;&l2;&l2;&l2;&l2;&l2;&l2;&l2;\">"
                              "<!ENTITY l4 \"&l3;&l3;&l3;&l3;&l3;&l3;&l3;&l3;&l3;&l3;\">"
                              "<!ENTITY l5 \"&l4;&l4;&l4;&l4;&l4;&l4;&l4;&l4;&l4;&l4;\">"
                              "<!ENTITY l6 \"&l5;&l5;&l5;&l5;&l5;&l5;&l5;&l5;&l5;&l5;\">"
                              "<!ENTITY l7 \"&l6;&l6;&l6;&l6;&l6;&l6;&l6;&l6;&l6;&l6;\">"
                              "<!ENTITY l8 \"&l7;&l7;&l7;&l7;&l7;&l7;&l7;&l7;&l7;&l7;\">"
                              "<!ENTITY l9 \"&l8;&l8;&l8;&l8;&l8;&l8;&l8;&l8;&l8;&l8;\">]>";
    const QByteArray password = "<IEC61850_Server_Password>%1</IEC61850_Server_Password>";
    // Carried by ParGen.xml but not put into the image, which would be too large for it.
    const QByteArray dns = "<Ethernet_DNS1>%1</Ethernet_DNS1>";

    row("10,000 levels of nesting", Entry::File,
        withValues(QByteArray("<n>").repeated(10000) + QByteArray("</n>").repeated(10000)), Outcome::Read);
    row("10 MB text", Entry::File, withValues(QByteArray(dns).replace("%1", QByteArray(10'000'000, 'x'))),
        Outcome::Read);
    row("invalid UTF-8", Entry::File, withValues("<n>caf\xE9</n>"), Outcome::Refused);
    row("overlong UTF-8 for <", Entry::File, withValues("<n>\xC0\xBC/n></n>"), Outcome::Refused);
    row("NUL characters", Entry::File, withValues(QByteArray("<n>a\0b</n>", 9)), Outcome::Refused);
    row("only NUL bytes", Entry::File, QByteArray(4096, '\0'), Outcome::Refused);
    row("cut short", Entry::File, withValues().left(60), Outcome::Refused);
    row("billion laughs", Entry::File, laughs + withValues(QByteArray(password).replace("%1", "&l9;")),
        Outcome::Refused);
    row("entity declared but not used", Entry::File, laughs + withValues(), Outcome::Refused);
    row("external entity, local file", Entry::File,
        "<!DOCTYPE Par_Gen [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
            + withValues(QByteArray(password).replace("%1", "&x;")),
        Outcome::Refused);
    row("external entity, web address", Entry::File,
        "<!DOCTYPE Par_Gen [<!ENTITY x SYSTEM \"%URL%\">]>" + withValues(QByteArray(password).replace("%1", "&x;")),
        Outcome::Refused);
    row("external parameter entity, web address", Entry::File,
        "<!DOCTYPE Par_Gen [<!ENTITY % x SYSTEM \"%URL%\"> %x;]>" + withValues(), Outcome::Refused);
    // Well-formed: the external document type is not fetched and the root after it is read.
    row("external document type, web address", Entry::File, "<!DOCTYPE Par_Gen SYSTEM \"%URL%\">" + withValues(),
        Outcome::Read);
    row("external document type, local file", Entry::File,
        "<!DOCTYPE Par_Gen SYSTEM \"file:///etc/passwd\">" + withValues(), Outcome::Read);
    // As another tool may save it: whatever stands before the root element is passed over.
    row("declaration, comment, instruction and document type before the root", Entry::File,
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- saved elsewhere -->\n<?editor keep?>\n"
        "<!DOCTYPE Par_Gen>\n"
            + withValues(),
        Outcome::Read);
    row("UTF-16 little-endian without byte-order mark", Entry::File,
        utf16(withValues("<n>\xC3\xA9</n>"), QStringConverter::Utf16LE), Outcome::Read);
    row("UTF-16 big-endian without byte-order mark", Entry::File,
        utf16(withValues("<n>\xC3\xA9</n>"), QStringConverter::Utf16BE), Outcome::Read);
    row("binary file", Entry::File, "\x89PNG\r\n\x1A\n" + randomBytes(65536), Outcome::Refused);
    row("empty file", Entry::File, QByteArray(), Outcome::Refused);
    row("folder", Entry::Folder, QByteArray(), Outcome::Refused);
    // A link to nothing is a missing document, which takes every default.
    row("dangling symbolic link", Entry::DanglingLink, QByteArray(), Outcome::Defaults);
    row("named pipe without a writer", Entry::NamedPipe, QByteArray(), Outcome::Refused);
    row("link to an endless device", Entry::LinkToEndlessDevice, QByteArray(), Outcome::Refused);
}

void tst_BadDocuments::readersSurvive()
{
    QFETCH(int, entry);
    QFETCH(QByteArray, bytes);
    QFETCH(int, outcome);
    const auto expected = Outcome(outcome);
    bytes.replace("%URL%", QStringLiteral("http://127.0.0.1:%1/x.dtd").arg(m_web.serverPort()).toUtf8());
    const long memoryBefore = peakMemoryKiB();

    for (const Reader reader : AllReaders) {
        const QByteArray what = readerName(reader);
        QTemporaryDir dir;
        const ProjectDocuments docs = projectDocuments(dir.path());
        const QString bin = imageFolder(dir.path());
        ProgramValues pv;
        pv.Dir_Program = dir.path();
        const QString path = readFileOf(reader, pv, docs);
        QVERIFY2(place(Entry(entry), path, bytes), what.constData());
        QVERIFY(writeFile(bin + "/bank1.bin", "old 1"));
        QVERIFY(writeFile(bin + "/bank2.bin", "old 2"));
        const QByteArray before = stateOf(path);

        // Values that no reader gives, so that a reader that leaves them shows.
        pv.Conf_Name = QStringLiteral("stale");
        pv.Last_IP_Address = QStringLiteral("10.9.8.7");
        pv.Language_Name = QStringLiteral("stale");
        pv.Opt_Enable_Internet = pv.Opt_Enable_Update = true;
        pv.Opt_Jump_Field_Tables = pv.Opt_Double_Click_Auto_Size = true;
        ParGenValues parGen;
        parGen.IEC61850_Server_Port = QStringLiteral("stale");
        QList<VariableRow> variables { VariableRow() };
        QList<KnownCertRow> knownCerts { KnownCertRow() };
        image::ImageCompiler compiler;

        QElapsedTimer timer;
        timer.start();
        const QString error = errorOf([&] {
            switch (reader) {
            case Reader::Settings:
                readSettings(pv);
                break;
            case Reader::ParGen:
                parGen = readParGenFile(path);
                break;
            case Reader::Variables:
                variables = readVariablesFile(path);
                break;
            case Reader::KnownCerts:
                knownCerts = readKnownCertFile(path);
                break;
            default:
                image::Save_Bin(bin, compiler.Compile_Bin(docs));
            }
        });
        QVERIFY2(
            timer.elapsed() < TimeLimitMs, (what + " took " + QByteArray::number(timer.elapsed()) + " ms").constData());
        QCOMPARE(stateOf(path), before);

        if (reader == Reader::Settings) {
            // The program must start whatever the file holds: no error, and the defaults unless the
            // file is readable.
            QVERIFY2(error.isNull(), qPrintable(error));
            QCOMPARE(pv.Conf_Name, expected == Outcome::Read ? QStringLiteral("P") : QString());
            QCOMPARE(pv.Last_IP_Address, QString::fromLatin1(DefaultIPAddress));
            QCOMPARE(pv.Language_Name, QString::fromLatin1(DefaultLanguage));
            QVERIFY(!pv.Opt_Enable_Internet && !pv.Opt_Enable_Update && !pv.Opt_Jump_Field_Tables
                && !pv.Opt_Double_Click_Auto_Size);
            continue;
        }
        if (expected == Outcome::Refused) {
            QVERIFY2(error.contains(QDir::toNativeSeparators(path)), (what + ": " + error.toUtf8()).constData());
            QCOMPARE(readFile(bin + "/bank1.bin"), QByteArray("old 1"));
            QCOMPARE(readFile(bin + "/bank2.bin"), QByteArray("old 2"));
            continue;
        }
        QVERIFY2(error.isNull(), (what + ": " + error.toUtf8()).constData());
        const bool read = expected == Outcome::Read;
        const image::TIEC61850 &record = compiler.record();
        switch (reader) {
        case Reader::ParGen:
            QCOMPARE(parGen.IEC61850_Server_Port, read ? QStringLiteral("80") : ParGenValues().IEC61850_Server_Port);
            break;
        case Reader::Variables:
            QCOMPARE(variables.isEmpty() ? QString() : variables.first().Name, read ? QStringLiteral("V") : QString());
            break;
        case Reader::KnownCerts:
            QCOMPARE(knownCerts.isEmpty() ? QString() : knownCerts.first().Certificate,
                read ? QStringLiteral("C") : QString());
            break;
        case Reader::ImageFromParGen:
            QCOMPARE(record.port, quint16(read ? 80 : 102));
            break;
        case Reader::ImageFromVariables:
            QCOMPARE(record.Variables.isEmpty() ? QString() : record.Variables.first().Name,
                read ? QStringLiteral("V") : QString());
            break;
        case Reader::ImageFromKnownCerts:
            QCOMPARE(record.TLS_Data.Known_Cert.isEmpty() ? QString() : record.TLS_Data.Known_Cert.first().Certificate,
                read ? QStringLiteral("C") : QString());
            break;
        case Reader::Settings:
            break;
        }
    }

    QVERIFY2(peakMemoryKiB() - memoryBefore < MemoryLimitKiB,
        qPrintable(QStringLiteral("peak memory grew by %1 KiB").arg(peakMemoryKiB() - memoryBefore)));
    // Nothing was fetched: the listener saw no connection.
    QVERIFY(!m_web.waitForNewConnection(0));
}

QTEST_GUILESS_MAIN(tst_BadDocuments)
#include "tst_BadDocuments.moc"
