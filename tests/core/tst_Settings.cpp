#include "TestFiles.h"

#include "core/Error.h"
#include "core/ProgramValues.h"
#include "core/Workspace.h"
#include "core/files/Paths.h"
#include "core/update/UpdateParameters.h"

#include <QTemporaryDir>
#include <QTest>

using namespace sw;
using sw::test::readFile;
using sw::test::writeFile;

class tst_Settings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void workspaceFoldersAreCreated()
    {
        QTemporaryDir dir;
        ProgramValues pv;
        createWorkspace(pv, dir.path());
        QCOMPARE(pv.Dir_Program, QDir::toNativeSeparators(dir.path()));
        for (const QString &f : { pv.Dir_Master, pv.Dir_Projects, pv.Dir_Language })
            QVERIFY2(QFileInfo(f).isDir(), qPrintable(f));
        QCOMPARE(pv.Dir_Projects, joinPath(pv.Dir_Program, QStringLiteral("PROJECTS")));
    }

    void workspaceFolderThatCannotBeCreatedIsPassedOver()
    {
        QTemporaryDir dir;
        // A file where the MASTER folder should be: it cannot be created, the others still are.
        QVERIFY(writeFile(dir.filePath(QStringLiteral("MASTER")), "x"));
        ProgramValues pv;
        createWorkspace(pv, dir.path());
        QVERIFY(!QFileInfo(pv.Dir_Master).isDir());
        QVERIFY(QFileInfo(pv.Dir_Projects).isDir());
        QVERIFY(QFileInfo(pv.Dir_Language).isDir());
    }

    void sharedInstallationGivesEachUserAWorkspace()
    {
        QTemporaryDir program;
        QTemporaryDir data;
        const QString updater = updaterProgramPath(program.path());
        QVERIFY(writeFile(updater, "installed updater"));

        // A portable folder is its own workspace.
        WorkspaceLocation portable = locateWorkspace(program.path(), data.path());
        QCOMPARE(portable.folder, program.path());
        QVERIFY(portable.languageFolder.isEmpty() && !portable.perUser);

        // With the marker, the user's data folder holds the workspace; the language files stay.
        QVERIFY(writeFile(joinPath(program.path(), QLatin1String(PerUserWorkspaceMarker)), "shared"));
        const WorkspaceLocation shared = locateWorkspace(program.path(), data.path());
        QVERIFY(shared.perUser);
        QCOMPARE(shared.folder, joinPath(data.path(), QStringLiteral("sw61942")));
        QCOMPARE(shared.languageFolder, joinPath(program.path(), QStringLiteral("LANGUAGE")));
        const QStringList installed = QDir(program.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

        QVERIFY(preparePerUserWorkspace(shared, program.path()));
        ProgramValues pv;
        createWorkspace(pv, shared.folder, shared.languageFolder);
        QCOMPARE(pv.Dir_Language, QDir::toNativeSeparators(shared.languageFolder));
        for (const QString &f : { pv.Dir_Master, pv.Dir_Projects })
            QVERIFY2(QFileInfo(f).isDir() && f.startsWith(shared.folder), qPrintable(f));
        QVERIFY(pv.settingsFile().startsWith(shared.folder));
        QCOMPARE(QFileInfo(updaterProgramPath(shared.folder)).symLinkTarget(), updater);
        QCOMPARE(QDir(program.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), installed);

        // An updater the user put in the workspace stays.
        QVERIFY(QFile::remove(updaterProgramPath(shared.folder)));
        QVERIFY(writeFile(updaterProgramPath(shared.folder), "real updater"));
        QVERIFY(preparePerUserWorkspace(shared, program.path()));
        QCOMPARE(readFile(updaterProgramPath(shared.folder)), QByteArray("real updater"));

        // A workspace that cannot be made is said as such.
        QVERIFY(writeFile(joinPath(data.path(), QStringLiteral("taken")), "x"));
        QVERIFY(!preparePerUserWorkspace(
            { joinPath(data.path(), QStringLiteral("taken/sw61942")), {}, true }, program.path()));
    }

    // At each start the workspace's updater link is made or mended: after the package was removed
    // and installed anew, or moved, the link left behind dangles or names the earlier place. What
    // the user put there stays: a real updater, a link to a program of their own, a folder.
    void updaterLinkIsRepaired_data()
    {
        QTest::addColumn<QString>("before"); // "file", "folder", or the target of a link ("" for none)
        QTest::addColumn<bool>("namesInstalled"); // the link names the installed updater afterwards

        QTest::newRow("nothing there") << QString() << true;
        QTest::newRow("the installed updater") << QStringLiteral("@program/Ethernet_Update") << true;
        QTest::newRow("installation removed") << QStringLiteral("@data/removed/Ethernet_Update") << true;
        QTest::newRow("relative, dangling") << QStringLiteral("../removed/Ethernet_Update") << true;
        QTest::newRow("an earlier installation's updater") << QStringLiteral("@data/earlier/Ethernet_Update") << true;
        QTest::newRow("a program of the user's") << QStringLiteral("@data/tools/Ethernet_Update") << false;
        QTest::newRow("another program of the user's") << QStringLiteral("@data/earlier/RealUpdater") << false;
        QTest::newRow("a real updater") << QStringLiteral("file") << false;
        QTest::newRow("a folder") << QStringLiteral("folder") << false;
    }
    void updaterLinkIsRepaired()
    {
        QFETCH(QString, before);
        QFETCH(bool, namesInstalled);
        QTemporaryDir program;
        QTemporaryDir data;
        const QString marker = QString::fromLatin1(PerUserWorkspaceMarker);
        QVERIFY(writeFile(joinPath(program.path(), marker), "shared"));
        QVERIFY(writeFile(updaterProgramPath(program.path()), "installed updater"));
        // An earlier shared installation, and a folder of the user's own with their programs.
        for (const QString &folder : { QStringLiteral("earlier"), QStringLiteral("tools") })
            QVERIFY(QDir().mkpath(joinPath(data.path(), folder)));
        QVERIFY(writeFile(joinPath(data.path(), QStringLiteral("earlier/") + marker), "shared"));
        for (const QString &file : { QStringLiteral("earlier/Ethernet_Update"), QStringLiteral("earlier/RealUpdater"),
                 QStringLiteral("tools/Ethernet_Update") })
            QVERIFY(writeFile(joinPath(data.path(), file), "an updater"));

        const WorkspaceLocation location = locateWorkspace(program.path(), data.path());
        const QString link = updaterProgramPath(location.folder);
        QVERIFY(QDir().mkpath(location.folder));
        const QString target = QString(before)
                                   .replace(QStringLiteral("@program"), program.path())
                                   .replace(QStringLiteral("@data"), data.path());
        if (before == QStringLiteral("file"))
            QVERIFY(writeFile(link, "real updater"));
        else if (before == QStringLiteral("folder"))
            QVERIFY(QDir().mkdir(link));
        else if (!before.isEmpty())
            QVERIFY(QFile::link(target, link));

        QVERIFY(preparePerUserWorkspace(location, program.path()));
        const QFileInfo after(link);
        if (namesInstalled) {
            QCOMPARE(after.symLinkTarget(), updaterProgramPath(program.path()));
            QCOMPARE(readFile(link), QByteArray("installed updater"));
        } else if (before == QStringLiteral("file")) {
            QCOMPARE(readFile(link), QByteArray("real updater"));
        } else if (before == QStringLiteral("folder")) {
            QVERIFY(after.isDir() && !after.isSymLink());
        } else {
            QCOMPARE(after.symLinkTarget(), target);
        }
        // Nothing else is left in the workspace.
        QCOMPARE(QDir(location.folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
            QStringList { QStringLiteral("Ethernet_Update") });
    }

    void setFilesFollowsConfDir()
    {
        ProgramValues pv;
        createWorkspace(pv, QStringLiteral("/prog"));
        activateConfiguration(pv, QStringLiteral("Plant 1"));
        const QString dir = joinPath(pv.Dir_Projects, QStringLiteral("Plant 1"));
        QCOMPARE(pv.Conf_Dir, dir);
        QCOMPARE(pv.File_ParGen, joinPath(dir, QStringLiteral("ParGen.xml")));
        QCOMPARE(pv.File_TLS_Known_Cert, joinPath(dir, QStringLiteral("TLS_Known_Cert.xml")));
        QCOMPARE(pv.File_IEC61850_Variables, joinPath(dir, QStringLiteral("IEC61850_Variables.xml")));
        clearConfiguration(pv);
        QVERIFY(pv.Conf_Name.isEmpty() && pv.Conf_Dir.isEmpty());
        QCOMPARE(pv.File_ParGen, joinPath(QString(), QStringLiteral("ParGen.xml")));
    }

    void reading_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QString>("project");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("flags"); // internet, update, jump, autosize as 0/1

        const QByteArray full = "<Conf_Settings><lastproj><projectname>Plant A</projectname></lastproj>"
                                "<lastipadd><ipaddress>10.0.0.7</ipaddress></lastipadd>"
                                "<lastlang><language>Italiano</language></lastlang>"
                                "<lastinternet><enable_internet>1</enable_internet><enable_update>1</enable_update>"
                                "<enable_jump_field_tables>1</enable_jump_field_tables>"
                                "<Double_Click_Auto_Size>1</Double_Click_Auto_Size></lastinternet></Conf_Settings>";
        QTest::newRow("complete") << full << "Plant A"
                                  << "10.0.0.7"
                                  << "Italiano"
                                  << "1111";
        QTest::newRow("only lastproj") << QByteArray(
            "<Conf_Settings><lastproj><projectname> x </projectname></lastproj></Conf_Settings>")
                                       << " x "
                                       << "192.168.2.205"
                                       << "English"
                                       << "0000";
        QTest::newRow("lastinternet without enable_update")
            << QByteArray("<Conf_Settings><lastinternet><enable_internet>1</enable_internet>"
                          "<enable_jump_field_tables>1</enable_jump_field_tables>"
                          "<Double_Click_Auto_Size>1</Double_Click_Auto_Size></lastinternet></Conf_Settings>")
            << ""
            << "192.168.2.205"
            << "English"
            << "1011";
        QTest::newRow("flags other than exactly 1")
            << QByteArray("<Conf_Settings><lastinternet><enable_internet>true</enable_internet>"
                          "<enable_update> 1</enable_update><enable_jump_field_tables></enable_jump_field_tables>"
                          "<Double_Click_Auto_Size>01</Double_Click_Auto_Size></lastinternet></Conf_Settings>")
            << ""
            << "192.168.2.205"
            << "English"
            << "0000";
        QTest::newRow("empty elements are not missing") << QByteArray(
            "<Conf_Settings><lastipadd><ipaddress/></lastipadd><lastlang><language></language></"
            "lastlang></Conf_Settings>") << ""
                                                        << ""
                                                        << ""
                                                        << "0000";
        QTest::newRow("element holding an element falls back")
            << QByteArray("<Conf_Settings><lastipadd><ipaddress><x/></ipaddress></lastipadd></Conf_Settings>") << ""
            << "192.168.2.205"
            << "English"
            << "0000";
        QTest::newRow("first child of each name counts")
            << QByteArray("<Conf_Settings><lastproj><projectname>A</projectname><projectname>B</projectname></lastproj>"
                          "<lastproj><projectname>C</projectname></lastproj></Conf_Settings>")
            << "A"
            << "192.168.2.205"
            << "English"
            << "0000";
        QTest::newRow("any root name") << QByteArray("<Other><lastproj><projectname>P</projectname></lastproj></Other>")
                                       << "P"
                                       << "192.168.2.205"
                                       << "English"
                                       << "0000";
        QTest::newRow("leading declaration, comment, instruction, DOCTYPE")
            << QByteArray("<?xml version=\"1.0\"?><!-- saved --><?pi x?><!DOCTYPE Conf_Settings>") + full << "Plant A"
            << "10.0.0.7"
            << "Italiano"
            << "1111";
        QTest::newRow("not well-formed") << QByteArray("<Conf_Settings><lastproj><projectname>A</lastproj>") << ""
                                         << "192.168.2.205"
                                         << "English"
                                         << "0000";
        QTest::newRow("blank project name kept verbatim")
            << QByteArray("<Conf_Settings><lastproj><projectname>  </projectname></lastproj></Conf_Settings>") << "  "
            << "192.168.2.205"
            << "English"
            << "0000";
        QTest::newRow("escaped text") << QByteArray(
            "<Conf_Settings><lastproj><projectname>A &amp; B</projectname></lastproj></Conf_Settings>")
                                      << "A & B"
                                      << "192.168.2.205"
                                      << "English"
                                      << "0000";
    }

    void reading()
    {
        QFETCH(QByteArray, document);
        QTemporaryDir dir;
        ProgramValues pv;
        createWorkspace(pv, dir.path());
        // Values that a failed read must overwrite.
        pv.Conf_Name = QStringLiteral("stale");
        pv.Opt_Enable_Internet = pv.Opt_Enable_Update = pv.Opt_Jump_Field_Tables = pv.Opt_Double_Click_Auto_Size = true;
        QVERIFY(writeFile(pv.settingsFile(), document));
        readSettings(pv);

        QTEST(pv.Conf_Name, "project");
        QTEST(pv.Last_IP_Address, "ip");
        QTEST(pv.Language_Name, "language");
        const QString flags = QString::number(pv.Opt_Enable_Internet) + QString::number(pv.Opt_Enable_Update)
            + QString::number(pv.Opt_Jump_Field_Tables) + QString::number(pv.Opt_Double_Click_Auto_Size);
        QTEST(flags, "flags");
    }

    void missingFileGivesDefaults()
    {
        QTemporaryDir dir;
        ProgramValues pv;
        createWorkspace(pv, dir.path());
        pv.Conf_Name = QStringLiteral("stale");
        pv.Opt_Enable_Update = true;
        readSettings(pv);
        QVERIFY(pv.Conf_Name.isEmpty());
        QCOMPARE(pv.Last_IP_Address, QStringLiteral("192.168.2.205"));
        QCOMPARE(pv.Language_Name, QStringLiteral("English"));
        QVERIFY(!pv.Opt_Enable_Update);
    }

    void writingGivesTheExactDocument()
    {
        QTemporaryDir dir;
        ProgramValues pv;
        createWorkspace(pv, dir.path());
        Save_Setting(pv);
        QCOMPARE(readFile(pv.settingsFile()),
            QByteArray("<Conf_Settings><lastproj><projectname/></lastproj><lastipadd><ipaddress>192.168.2.205"
                       "</ipaddress></lastipadd><lastlang><language>English</language></lastlang><lastinternet>"
                       "<enable_internet>0</enable_internet><enable_update>0</enable_update>"
                       "<enable_jump_field_tables>0</enable_jump_field_tables><Double_Click_Auto_Size>0"
                       "</Double_Click_Auto_Size></lastinternet></Conf_Settings>"));
    }

    void roundTripKeepsEveryValue()
    {
        QTemporaryDir dir;
        ProgramValues pv;
        createWorkspace(pv, dir.path());
        pv.Conf_Name = QStringLiteral("<Plant & \"1\">");
        pv.Last_IP_Address = QStringLiteral("10.1.2.3");
        pv.Language_Name = QStringLiteral("Français");
        pv.Opt_Enable_Internet = true;
        pv.Opt_Double_Click_Auto_Size = true;
        Save_Setting(pv);

        ProgramValues back;
        createWorkspace(back, dir.path());
        readSettings(back);
        QCOMPARE(back.Conf_Name, pv.Conf_Name);
        QCOMPARE(back.Last_IP_Address, pv.Last_IP_Address);
        QCOMPARE(back.Language_Name, pv.Language_Name);
        QCOMPARE(back.Opt_Enable_Internet, true);
        QCOMPARE(back.Opt_Enable_Update, false);
        QCOMPARE(back.Opt_Jump_Field_Tables, false);
        QCOMPARE(back.Opt_Double_Click_Auto_Size, true);
    }

    void writingDropsUnknownNodesAndRewritesFlags()
    {
        QTemporaryDir dir;
        ProgramValues pv;
        createWorkspace(pv, dir.path());
        QVERIFY(writeFile(pv.settingsFile(),
            "<Conf_Settings><extra/><lastinternet><enable_internet>true</enable_internet>"
            "</lastinternet></Conf_Settings><!-- tail -->"));
        readSettings(pv);
        Save_Setting(pv);
        const QByteArray bytes = readFile(pv.settingsFile());
        QVERIFY(!bytes.contains("extra"));
        QVERIFY(!bytes.contains("tail"));
        QVERIFY(bytes.contains("<enable_internet>0</enable_internet>"));
    }

    void unwritableFileRaisesErrorNamingIt()
    {
        QTemporaryDir dir;
        ProgramValues pv;
        createWorkspace(pv, dir.path());
        // A folder in the place of the settings file cannot be replaced by a file.
        QVERIFY(QDir().mkdir(pv.settingsFile()));
        try {
            Save_Setting(pv);
            QFAIL("no error raised");
        } catch (const Error &e) {
            QVERIFY2(e.message().contains(QStringLiteral("Talvento.xml")), qPrintable(e.message()));
        }
    }
};

QTEST_GUILESS_MAIN(tst_Settings)
#include "tst_Settings.moc"
