#include "MalformedDocuments.h"
#include "TestFiles.h"

#include "core/ProgramValues.h"
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

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("stdoutHas");
        QTest::newRow("help") << QStringList { QStringLiteral("--help") } << 0 << QStringLiteral("Usage:");
        QTest::newRow("no folder") << QStringList() << 1 << QString();
        QTest::newRow("two folders") << QStringList { QStringLiteral("a"), QStringLiteral("b") } << 1 << QString();
        QTest::newRow("unknown option") << QStringList { QStringLiteral("--fast"), QStringLiteral("a") } << 1
                                        << QString();
        QTest::newRow("missing folder") << QStringList { QStringLiteral("/nonexistent/project") } << 1 << QString();
    }
    void commandLine()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, stdoutHas);
        const Run run = runTool(args);
        QCOMPARE(run.exitCode, exitCode);
        if (exitCode != 0)
            QCOMPARE(run.err.count(u'\n'), 1);
        QVERIFY2(run.out.contains(stdoutHas), qPrintable(run.out));
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
        for (const char *expected : { "Usage:", "PROJECT_FOLDER", "--list", "--version", "bank1.bin" })
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
    }
    void argumentErrors()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, errorHas);
        const Run run = runTool(args.replaceInStrings(QStringLiteral("@project"), m_project));
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.out.isEmpty(), qPrintable(run.out));
        // One line: what is wrong, then where the usage is.
        QCOMPARE(run.err.count(u'\n'), 1);
        QVERIFY2(run.err.startsWith(QStringLiteral("sw61942-image: ")) && run.err.contains(errorHas)
                && run.err.endsWith(QStringLiteral("(see --help)\n")),
            qPrintable(run.err));
        QVERIFY(!QFileInfo::exists(m_project + QStringLiteral("/bin")));
    }
};

QTEST_GUILESS_MAIN(tst_ImageTool)
#include "tst_ImageTool.moc"
