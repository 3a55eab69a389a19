#include "MalformedDocuments.h"
#include "TestFiles.h"

#include "core/ProgramValues.h"
#include "core/documents/VariablesDocument.h"
#include "core/image/Compiler.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace sw::image;
using sw::test::readFile;
using sw::test::writeFile;

namespace {

const QString toolPath = QStringLiteral(SW_PROGRAM_DIR "/sw61942-image");

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run runTool(const QStringList &args)
{
    QProcess process;
    process.start(toolPath, args);
    Run run;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace

class tst_ImageTool : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_project;

private Q_SLOTS:
    void init()
    {
        if (!QFileInfo(toolPath).isExecutable())
            QSKIP("sw61942-image is not built");
        QVERIFY(m_dir.isValid());
        m_project = m_dir.filePath(QStringLiteral("Plant A"));
        QDir(m_project).removeRecursively();
        QVERIFY(QDir().mkpath(m_project));
        QVERIFY(writeFile(m_project + QStringLiteral("/ParGen.xml"),
            "<Par_Gen><Ethernet_IP4>77</Ethernet_IP4><MODBUS_SLAVE_IDDEVICE>5</MODBUS_SLAVE_IDDEVICE></Par_Gen>"
            "<!--SW_VERSION = 1.000-->"));
        QVERIFY(writeFile(m_project + QStringLiteral("/IEC61850_Variables.xml"),
            "<IEC61850_Variables><row Enable=\"Y\" Name=\"AB\" Type=\"Float\" Length=\"4\" Position=\"12\" "
            "MultiplicationFactor=\"0,5\"/></IEC61850_Variables>"));
    }

    void compilesIntoTheBinFolder()
    {
        const Run run = runTool({ m_project });
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
        QVERIFY2(run.out.contains(QStringLiteral("2048 bytes")) && run.out.contains(QStringLiteral("90 bytes")),
            qPrintable(run.out));

        // The same bytes as the configurator's own compiler.
        ImageCompiler compiler;
        const Images expected = compiler.Compile_Bin(sw::projectDocuments(m_project));
        QCOMPARE(readFile(m_project + QStringLiteral("/bin/bank1.bin")), expected.bank1);
        QCOMPARE(readFile(m_project + QStringLiteral("/bin/bank2.bin")), expected.bank2);
    }

    void listsWithoutWriting()
    {
        const Run run = runTool({ QStringLiteral("--list"), m_project });
        QCOMPARE(run.exitCode, 0);
        for (const char *expected : { "192.168.0.77", "Device address            5", "AB", "0x80057", "float", "0.5" })
            QVERIFY2(run.out.contains(QLatin1String(expected)), qPrintable(QLatin1String(expected) + u'\n' + run.out));
        QVERIFY(!QFileInfo::exists(m_project + QStringLiteral("/bin")));
    }

    void brokenDocumentWritesNothing_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<QByteArray>("bytes");
        for (const auto &[name, bytes] : sw::test::malformedDocuments()) {
            for (const char *document : { "ParGen.xml", "IEC61850_Variables.xml", "TLS_Known_Cert.xml" })
                QTest::addRow("%s in %s", name, document) << QString::fromLatin1(document) << bytes;
        }
    }
    void brokenDocumentWritesNothing()
    {
        QFETCH(QString, document);
        QFETCH(QByteArray, bytes);
        QVERIFY(QDir().mkpath(m_project + QStringLiteral("/bin")));
        QVERIFY(writeFile(m_project + QStringLiteral("/bin/bank1.bin"), "old 1"));
        QVERIFY(writeFile(m_project + QStringLiteral("/bin/bank2.bin"), "old 2"));
        QVERIFY(writeFile(m_project + u'/' + document, bytes));

        const Run run = runTool({ m_project });
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err.count(u'\n'), 1);
        QVERIFY2(run.err.contains(document) && run.err.contains(QStringLiteral("line ")), qPrintable(run.err));
        QCOMPARE(readFile(m_project + QStringLiteral("/bin/bank1.bin")), QByteArray("old 1"));
        QCOMPARE(readFile(m_project + QStringLiteral("/bin/bank2.bin")), QByteArray("old 2"));
        QCOMPARE(QDir(m_project + QStringLiteral("/bin")).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    // Every exit status of the tool. In args, "@project" stands for the test project (one variable),
    // "@empty" for an empty folder and "@csv" for a point-list file beside them.
    void exitStatus_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("stdoutHas");
        QTest::addColumn<QString>("stderrHas");
        const QString none;
        const QString noDocument = QStringLiteral("holds none of ParGen.xml, IEC61850_Variables.xml and "
                                                  "TLS_Known_Cert.xml");
        QTest::newRow("help") << QStringList { QStringLiteral("--help") } << 0 << QStringLiteral("Usage:") << none;
        QTest::newRow("build") << QStringList { QStringLiteral("@project") } << 0 << QStringLiteral("bank1.bin")
                               << none;
        QTest::newRow("export, file attached")
            << QStringList { QStringLiteral("--export-variables=@csv"), QStringLiteral("@project") } << 0
            << QStringLiteral(": 1 variable\n") << none;
        QTest::newRow("export, file after the folder")
            << QStringList { QStringLiteral("--export-variables"), QStringLiteral("@project"), QStringLiteral("@csv") }
            << 0 << QStringLiteral(": 1 variable\n") << none;
        QTest::newRow("empty folder built")
            << QStringList { QStringLiteral("@empty") } << 0 << QStringLiteral("bank2.bin") << noDocument;
        QTest::newRow("empty folder listed") << QStringList { QStringLiteral("--list"), QStringLiteral("@empty") } << 0
                                             << QStringLiteral("Variables: 0") << noDocument;
        QTest::newRow("empty folder exported")
            << QStringList { QStringLiteral("--export-variables=@csv"), QStringLiteral("@empty") } << 0
            << QStringLiteral(": 0 variables\n") << noDocument;
        QTest::newRow("empty folder checked") << QStringList { QStringLiteral("--check"), QStringLiteral("@empty") }
                                              << 3 << QStringLiteral(": warning: ") + noDocument << none;
        QTest::newRow("missing folder") << QStringList { QStringLiteral("/nonexistent/project") } << 1 << none
                                        << QStringLiteral("is not a folder");
        QTest::newRow("no folder") << QStringList() << 2 << none << QStringLiteral("expected one project folder");
        QTest::newRow("two folders") << QStringList { QStringLiteral("a"), QStringLiteral("b") } << 2 << none
                                     << QStringLiteral("expected one project folder");
        QTest::newRow("unknown option") << QStringList { QStringLiteral("--fast"), QStringLiteral("a") } << 2 << none
                                        << QStringLiteral("'fast'");
        QTest::newRow("attached file empty")
            << QStringList { QStringLiteral("--export-variables="), QStringLiteral("@project") } << 2 << none
            << QStringLiteral("expected a project folder and a CSV file");
        QTest::newRow("file attached and after the folder") << QStringList {
            QStringLiteral("--export-variables=@csv"), QStringLiteral("@project"), QStringLiteral("@csv")
        } << 2 << none << QStringLiteral("expected a project folder and a CSV file");
    }
    void exitStatus()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, stdoutHas);
        QFETCH(QString, stderrHas);
        const QString empty = m_dir.filePath(QStringLiteral("empty"));
        QVERIFY(QDir().mkpath(empty));
        args.replaceInStrings(QStringLiteral("@project"), m_project)
            .replaceInStrings(QStringLiteral("@empty"), empty)
            .replaceInStrings(QStringLiteral("@csv"), m_dir.filePath(QStringLiteral("points.csv")));
        const Run run = runTool(args);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.out.contains(stdoutHas), qPrintable(run.out));
        QVERIFY2(run.err.contains(stderrHas), qPrintable(run.err));
        QCOMPARE(run.err.count(u'\n'), stderrHas.isEmpty() ? 0 : 1);
        QDir(empty).removeRecursively();
    }

    // "@project" in args stands for the test project, which none of these runs may write into.
    void versionOption_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("long") << QStringList { QStringLiteral("--version") };
        QTest::newRow("short") << QStringList { QStringLiteral("-v") };
        QTest::newRow("beside a folder") << QStringList { QStringLiteral("@project"), QStringLiteral("--version") };
    }
    void versionOption()
    {
        QFETCH(QStringList, args);
        const Run run = runTool(args.replaceInStrings(QStringLiteral("@project"), m_project));
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QStringLiteral("sw61942-image %1\n").arg(QLatin1String(sw::Program_Version)));
        QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
        QVERIFY(!QFileInfo::exists(m_project + QStringLiteral("/bin")));
    }

    void helpOption_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("long") << QStringList { QStringLiteral("--help") };
        QTest::newRow("short") << QStringList { QStringLiteral("-h") };
        QTest::newRow("beside a folder") << QStringList { QStringLiteral("--help"), QStringLiteral("@project") };
        QTest::newRow("beside an unknown option") << QStringList { QStringLiteral("--fast"), QStringLiteral("-h") };
    }
    void helpOption()
    {
        QFETCH(QStringList, args);
        const Run run = runTool(args.replaceInStrings(QStringLiteral("@project"), m_project));
        QCOMPARE(run.exitCode, 0);
        for (const char *expected : { "Usage:", "PROJECT_FOLDER", "--list", "--version", "bank1.bin",
                 "Exit status:", "  2  the command line is wrong", "  3  --check found warnings only", "Environment:" })
            QVERIFY2(run.out.contains(QLatin1String(expected)), qPrintable(QLatin1String(expected) + u'\n' + run.out));
        QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
        QVERIFY(!QFileInfo::exists(m_project + QStringLiteral("/bin")));
    }

    void argumentErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("errorHas");
        QTest::newRow("unknown option") << QStringList { QStringLiteral("--fast"), QStringLiteral("@project") }
                                        << QStringLiteral("'fast'");
        QTest::newRow("unknown short options")
            << QStringList { QStringLiteral("-xy"), QStringLiteral("@project") } << QStringLiteral("x, y");
        QTest::newRow("value given to --list")
            << QStringList { QStringLiteral("--list=yes"), QStringLiteral("@project") } << QStringLiteral("--list");
        QTest::newRow("--list without folder")
            << QStringList { QStringLiteral("--list") } << QStringLiteral("expected one project folder");
        QTest::newRow("folder twice") << QStringList { QStringLiteral("@project"), QStringLiteral("@project") }
                                      << QStringLiteral("expected one project folder");
        QTest::newRow("--check with a file") << QStringList { QStringLiteral("--check"), QStringLiteral("@project"),
            QStringLiteral("x.csv") } << QStringLiteral("expected one project folder");
        QTest::newRow("--export-variables without file") << QStringList { QStringLiteral("--export-variables"),
            QStringLiteral("@project") } << QStringLiteral("expected a project folder and a CSV file");
        QTest::newRow("--import-variables without file") << QStringList { QStringLiteral("--import-variables"),
            QStringLiteral("@project") } << QStringLiteral("expected a project folder and a CSV file");
        QTest::newRow("--report to a text file")
            << QStringList { QStringLiteral("--report"), QStringLiteral("@project"), QStringLiteral("r.txt") }
            << QStringLiteral("must end in .pdf or .html");
        QTest::newRow("--check with --list") << QStringList { QStringLiteral("--check"), QStringLiteral("--list"),
            QStringLiteral("@project") } << QStringLiteral("exclude each other");
    }
    void argumentErrors()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, errorHas);
        const Run run = runTool(args.replaceInStrings(QStringLiteral("@project"), m_project));
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.out.isEmpty(), qPrintable(run.out));
        // One line: what is wrong, then where the usage is.
        QCOMPARE(run.err.count(u'\n'), 1);
        QVERIFY2(run.err.startsWith(QStringLiteral("sw61942-image: ")) && run.err.contains(errorHas)
                && run.err.endsWith(QStringLiteral("(see --help)\n")),
            qPrintable(run.err));
        QVERIFY(!QFileInfo::exists(m_project + QStringLiteral("/bin")));
    }

    // --check prints one line per finding on stdout and tells the worst severity by its status.
    void check_data()
    {
        QTest::addColumn<QByteArray>("variables");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("lines");
        const QByteArray ok = "Enable=\"Y\" Type=\"Int\" Conversion=\"None\" MultiplicationFactor=\"None\"";
        QTest::newRow("sound") << QByteArray("<IEC61850_Variables><row Name=\"AB\" Length=\"4\" Position=\"12\" "
            + QByteArray(ok).replace("Int", "Float") + "/></IEC61850_Variables>")
                               << 0 << QStringList();
        QTest::newRow("unknown Type")
            << QByteArray("<IEC61850_Variables><row Name=\"AB\" Length=\"2\" Position=\"0\" "
                   + QByteArray(ok).replace("Int", "Foo") + "/></IEC61850_Variables>")
            << 3
            << QStringList { QStringLiteral("IEC61850_Variables.xml:1: warning: Type: Type \"Foo\" is none of \"Int\", "
                                            "\"Float\" and \"Digital (Bit)\": the image takes it as Int") };
        QTest::newRow("warning only") << QByteArray(
            "<IEC61850_Variables><row Name=\"1AB\" Length=\"4\" Position=\"0\" " + ok + "/></IEC61850_Variables>")
                                      << 3
                                      << QStringList { QStringLiteral("IEC61850_Variables.xml:1: warning: Name: ") };
        QTest::newRow("warning and error")
            << QByteArray("<IEC61850_Variables><row Name=\"A-B\" Length=\"4\" Position=\"0\" " + ok
                   + "/><row Name=\"C\" Length=\"2\" Position=\"3\" " + ok + "/></IEC61850_Variables>")
            << 1
            << QStringList { QStringLiteral("IEC61850_Variables.xml:1: warning: Name: "),
                   QStringLiteral("IEC61850_Variables.xml:2: error: Position: the range bytes 3 to 4 overlaps row 1") };
        // What the image takes, and the editor would not store, is checked all the same.
        QByteArray many = "<IEC61850_Variables>";
        for (int i = 1; i <= 50; ++i)
            many += "<row Name=\"V" + QByteArray::number(i) + "\" Length=\"1\" Position=\"" + QByteArray::number(i)
                + "\" " + ok + "/>";
        many += "<row Name=\"V1\" Length=\"1\" Position=\"5000\" " + ok + "/></IEC61850_Variables>";
        QTest::newRow("51st row") << many << 1
                                  << QStringList { QStringLiteral(
                                                       "IEC61850_Variables.xml:51: error: Enable: variable 51 "),
                                         QStringLiteral("IEC61850_Variables.xml:51: error: Name: the name \"V1\" "),
                                         QStringLiteral("IEC61850_Variables.xml:51: error: Position: the range byte "
                                                        "5000 runs past the end") };
        QTest::newRow("Position -1")
            << QByteArray(
                   "<IEC61850_Variables><row Name=\"A\" Length=\"2\" Position=\"-1\" " + ok + "/></IEC61850_Variables>")
            << 1
            << QStringList { QStringLiteral(
                   "IEC61850_Variables.xml:1: error: Position: Position \"-1\" is not a byte") };
        QTest::newRow("enabled row after a blank Name")
            << QByteArray("<IEC61850_Variables><row Name=\"A\" Length=\"2\" Position=\"0\" " + ok
                   + "/><row Enable=\"N\" Name=\" \"/><row Name=\"B\" Length=\"2\" Position=\"2\" " + ok
                   + "/></IEC61850_Variables>")
            << 3
            << QStringList { QStringLiteral(
                   "IEC61850_Variables.xml:3: warning: Name: this row follows the blank Name of row 2") };
        QTest::newRow("Length 0 and 99")
            << QByteArray("<IEC61850_Variables><row Name=\"A\" Length=\"0\" Position=\"0\" " + ok
                   + "/><row Name=\"B\" Length=\"99\" Position=\"10\" " + ok + "/></IEC61850_Variables>")
            << 1
            << QStringList { QStringLiteral("IEC61850_Variables.xml:1: error: Length: Length \"0\" is not 1 to 4"),
                   QStringLiteral("IEC61850_Variables.xml:2: error: Length: Length \"99\" is not 1 to 4") };
        QTest::newRow("unreadable document") << QByteArray("<IEC61850_Variables><row") << 1
                                             << QStringList { QStringLiteral("IEC61850_Variables.xml: error: ") };
    }
    void check()
    {
        QFETCH(QByteArray, variables);
        QFETCH(int, exitCode);
        QFETCH(QStringList, lines);
        QVERIFY(writeFile(m_project + QStringLiteral("/IEC61850_Variables.xml"), variables));
        const Run run = runTool({ QStringLiteral("--check"), m_project });
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
        const QStringList printed = run.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(printed.size(), lines.size());
        for (qsizetype i = 0; i < lines.size(); ++i)
            QVERIFY2(printed[i].startsWith(lines[i]), qPrintable(printed[i]));
        QVERIFY(!QFileInfo::exists(m_project + QStringLiteral("/bin")));
    }

    // Export then import gives back the same document bytes, texts that need quoting included.
    void variablesRoundTrip()
    {
        sw::VariableRow quoted;
        quoted.Name = QStringLiteral("Level_1");
        quoted.Type = QStringLiteral("Float");
        quoted.Length = QStringLiteral("4");
        quoted.Position = QStringLiteral("0");
        quoted.Conversion = QStringLiteral("None");
        quoted.MultiplicationFactor = QStringLiteral("0,5");
        quoted.Mnemonic = QStringLiteral("tank \"A\"; north,\nsecond line ");
        sw::VariableRow bit = quoted;
        bit.Enable = QStringLiteral("N");
        bit.Name = QStringLiteral("Alarm");
        bit.Type = QStringLiteral("Digital (Bit)");
        bit.Length = QStringLiteral("1");
        bit.StartBit = QStringLiteral("3");
        bit.MultiplicationFactor = QStringLiteral("1.25");
        bit.Mnemonic = QStringLiteral("Füllstand");
        const QString document = m_project + QStringLiteral("/IEC61850_Variables.xml");
        sw::writeVariablesFile(document, { quoted, bit });
        const QByteArray before = readFile(document);
        const QString csv = m_dir.filePath(QStringLiteral("points.csv"));

        Run run = runTool({ QStringLiteral("--export-variables"), m_project, csv });
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
        const QByteArray exported = readFile(csv);
        QVERIFY2(exported.startsWith("\xEF\xBB\xBF"
                                     "Enable,Name,Type,"),
            exported.constData());

        QVERIFY(QFile::remove(document));
        run = runTool({ QStringLiteral("--import-variables"), m_project, csv });
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
        QCOMPARE(readFile(document), before);
    }

    // A refused point list leaves the document as it was and says why in one line.
    void importRefused_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("errorHas");
        const QByteArray header = "Enable;Name;Length;Position;Conversion;MultiplicationFactor\r\n";
        QTest::newRow("invalid row") << header + "Y;A;2;0;None;None\r\nY;B;9;2;None;None\r\n"
                                     << QStringLiteral("Line 3");
        QTest::newRow("unknown column") << QByteArray("Name;Colour\r\nA;red\r\n") << QStringLiteral("Colour");
        QTest::newRow("unclosed quote") << header + "Y;\"A;2;0;None;None\r\n" << QStringLiteral("Line 2");
        QTest::newRow("missing file") << QByteArray() << QStringLiteral("Cannot read");
    }
    void importRefused()
    {
        QFETCH(QByteArray, csv);
        QFETCH(QString, errorHas);
        const QString csvPath = m_dir.filePath(QStringLiteral("points.csv"));
        QFile::remove(csvPath);
        if (!csv.isEmpty())
            QVERIFY(writeFile(csvPath, csv));
        const QString document = m_project + QStringLiteral("/IEC61850_Variables.xml");
        const QByteArray before = readFile(document);

        const Run run = runTool({ QStringLiteral("--import-variables"), m_project, csvPath });
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err.count(u'\n'), 1);
        QVERIFY2(
            run.err.startsWith(QStringLiteral("sw61942-image: ")) && run.err.contains(errorHas), qPrintable(run.err));
        QCOMPARE(readFile(document), before);
        QCOMPARE(QDir(m_project).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    // A second project made from the first with one document replaced, compared with the first
    // or, for "image", the first's image with the second.
    void diff_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("againstImage");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("lines");
        const QByteArray vars = "<IEC61850_Variables><row Enable=\"Y\" Name=\"AB\" Type=\"Float\" Length=\"4\" "
                                "Position=\"14\" MultiplicationFactor=\"0,5\" Mnemonic=\"m\"/></IEC61850_Variables>";
        QTest::newRow("equal") << QString() << QByteArray() << false << 0 << QStringList();
        QTest::newRow("parameters")
            << QStringLiteral("ParGen.xml")
            << QByteArray("<Par_Gen><Ethernet_IP4>78</Ethernet_IP4><MODBUS_SLAVE_IDDEVICE>5</MODBUS_SLAVE_IDDEVICE>"
                          "<MODBUS_SLAVE_BAUDRATE>4</MODBUS_SLAVE_BAUDRATE><IEC61850_Server_Password>secret"
                          "</IEC61850_Server_Password></Par_Gen>")
            << false << 1
            << QStringList { QStringLiteral("IEC 61850 server password: not set -> set"),
                   QStringLiteral("IP address: 192.168.0.77 -> 192.168.0.78"),
                   QStringLiteral("Modbus baud rate: 115200 -> 19200") };
        QTest::newRow("variable") << QStringLiteral("IEC61850_Variables.xml") << vars << false << 1
                                  << QStringList { QStringLiteral("variable 1 (AB) Position: 12 -> 14"),
                                         QStringLiteral("variable 1 (AB) Mnemonic: (empty) -> m") };
        // The image holds no mnemonic, so only the position differs.
        QTest::newRow("variable against image") << QStringLiteral("IEC61850_Variables.xml") << vars << true << 1
                                                << QStringList { QStringLiteral("variable 1 (AB) Position: 14 -> 12") };
        QTest::newRow("certificate added")
            << QStringLiteral("TLS_Known_Cert.xml")
            << QByteArray("<TLS_Server_Known_Cert><row Enable=\"Y\" Certificate=\"c\"/></TLS_Server_Known_Cert>")
            << false << 1 << QStringList { QStringLiteral("known certificate 1 added") };
        QTest::newRow("own image") << QString() << QByteArray() << true << 0 << QStringList();
    }
    void diff()
    {
        QFETCH(QString, document);
        QFETCH(QByteArray, content);
        QFETCH(bool, againstImage);
        QFETCH(int, status);
        QFETCH(QStringList, lines);
        const QString other = m_dir.filePath(QStringLiteral("Plant B"));
        QDir(other).removeRecursively();
        for (const QString &name : QDir(m_project).entryList(QDir::Files))
            QVERIFY(writeFile(other + u'/' + name, readFile(m_project + u'/' + name)));
        if (!document.isEmpty())
            QVERIFY(writeFile(other + u'/' + document, content));
        QStringList args { QStringLiteral("--diff"), m_project, other };
        if (againstImage) {
            QCOMPARE(runTool({ m_project }).exitCode, 0);
            args = QStringList { QStringLiteral("--diff"), other, m_project + QStringLiteral("/bin") };
        }
        const Run run = runTool(args);
        QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
        QCOMPARE(run.out, lines.isEmpty() ? QString() : lines.join(u'\n') + u'\n');
        QCOMPARE(run.exitCode, status);
    }

    void diffTrouble_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("errorHas");
        QTest::newRow("one folder") << QStringList { QStringLiteral("--diff"), QStringLiteral("@project") }
                                    << QStringLiteral("expected two folders");
        QTest::newRow("unknown option") << QStringList { QStringLiteral("--diff"), QStringLiteral("--fast"),
            QStringLiteral("@project"), QStringLiteral("@project") }
                                        << QStringLiteral("'fast'");
        QTest::newRow("no folder") << QStringList { QStringLiteral("--diff"), QStringLiteral("@project"),
            QStringLiteral("@project/none") }
                                   << QStringLiteral("is not a folder");
        QTest::newRow("damaged image") << QStringList { QStringLiteral("--diff"), QStringLiteral("@project"),
            QStringLiteral("@project/bin") }
                                       << QStringLiteral("bank1.bin: 10 bytes long");
    }
    void diffTrouble()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, errorHas);
        QVERIFY(writeFile(m_project + QStringLiteral("/bin/bank1.bin"), QByteArray(10, 'x')));
        QVERIFY(writeFile(m_project + QStringLiteral("/bin/bank2.bin"), QByteArray(60, 'x')));
        const Run run = runTool(args.replaceInStrings(QStringLiteral("@project"), m_project));
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(errorHas), qPrintable(run.err));
        QVERIFY(run.out.isEmpty());
    }

    // The tool lays out the PDF without a display.
    void report_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("pdf") << QStringLiteral("r.pdf") << QByteArray("%PDF-");
        QTest::newRow("html") << QStringLiteral("r.html") << QByteArray("<!DOCTYPE html>");
    }
    void report()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, start);
        const QString path = m_dir.filePath(file);
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        process.setProcessEnvironment(env);
        process.start(toolPath, { QStringLiteral("--report"), m_project, path });
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 0);
        QVERIFY(readFile(path).startsWith(start));
        QVERIFY(!QFileInfo::exists(m_project + QStringLiteral("/bin")));
    }

    void decodeRebuildsTheProject()
    {
        QCOMPARE(runTool({ m_project }).exitCode, 0);
        const QString rebuilt = m_dir.filePath(QStringLiteral("Rebuilt"));
        QDir(rebuilt).removeRecursively();
        const Run run = runTool({ QStringLiteral("--decode"), m_project + QStringLiteral("/bin"), rebuilt });
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.contains(QStringLiteral("Mnemonics of the variables: empty")), qPrintable(run.out));
        const QList<sw::VariableRow> rows = sw::readVariablesFile(rebuilt + QStringLiteral("/IEC61850_Variables.xml"));
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.front().MultiplicationFactor, QStringLiteral("0.5"));
        QCOMPARE(runTool({ rebuilt }).exitCode, 0);
        for (const char *bank : { "/bin/bank1.bin", "/bin/bank2.bin" })
            QCOMPARE(readFile(rebuilt + QLatin1String(bank)), readFile(m_project + QLatin1String(bank)));
    }

    void decodeRefusesAndWritesNothing_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("errorHas");
        QTest::newRow("bad checksum") << 0 << QStringLiteral("checksum");
        QTest::newRow("target not empty") << 1 << QStringLiteral("is not empty");
    }
    void decodeRefusesAndWritesNothing()
    {
        QFETCH(int, fault);
        QFETCH(QString, errorHas);
        QCOMPARE(runTool({ m_project }).exitCode, 0);
        const QString bank1 = m_project + QStringLiteral("/bin/bank1.bin");
        const QString target = m_dir.filePath(QStringLiteral("Rebuilt"));
        QDir(target).removeRecursively();
        if (fault == 0) {
            QByteArray bytes = readFile(bank1);
            bytes[100] = char(bytes[100] + 1);
            QVERIFY(writeFile(bank1, bytes));
        } else {
            QVERIFY(writeFile(target + QStringLiteral("/notes.txt"), "mine"));
        }
        const Run run = runTool({ QStringLiteral("--decode"), m_project, target });
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(errorHas), qPrintable(run.err));
        QCOMPARE(QDir(target).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
            fault == 0 ? QStringList() : QStringList { QStringLiteral("notes.txt") });
    }
};

QTEST_GUILESS_MAIN(tst_ImageTool)
#include "tst_ImageTool.moc"
