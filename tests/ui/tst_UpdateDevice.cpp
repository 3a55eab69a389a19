#include "CertificateFixtures.h"
#include "ProgramFolder.h"

#include "core/documents/KnownCertDocument.h"
#include "core/documents/ParGenDocument.h"
#include "core/documents/VariablesDocument.h"
#include "core/files/Paths.h"
#include "core/text/MessageIds.h"
#include "ui/CatalogueDialog.h"
#include "ui/ImageBuilder.h"
#include "ui/shell/UTalventoFirmWare.h"

#include <QPushButton>
#include <QtTest>

using namespace sw;
using sw::test::readFile;
using sw::test::writeFile;

namespace {

// Stands in for the update dialog: counts its showings without a modal loop.
class FakeBoot final : public CatalogueDialog
{
public:
    using CatalogueDialog::CatalogueDialog;
    int shows = 0;
    int exec() override
    {
        ++shows;
        return QDialog::Accepted;
    }
    void Set_Lang() override { }
};

// The real image compiler, counting its builds.
class CountingBuilder final : public ImageBuilder
{
public:
    int calls = 0;
    WrittenImages buildImages(const ProjectDocuments &documents, const QString &folder) override
    {
        ++calls;
        return compiler.buildImages(documents, folder);
    }

private:
    CompilingImageBuilder compiler;
};

// The window with the real image compiler behind step 5.
struct Program : test::ProgramFolder
{
    CountingBuilder compiler;
    std::unique_ptr<TFTalventoFirmWare> window;
    FakeBoot *boot = nullptr;

    // Starts the window with the configuration "Plant" active and its folder holding no bin folder.
    // False when the program folder cannot be laid out.
    [[nodiscard]] bool start()
    {
        services.imageBuilder = &compiler;
        if (!rememberConfiguration(QStringLiteral("Plant")))
            return false;
        window = std::make_unique<TFTalventoFirmWare>(pv, services, dir.path());
        TFTalventoFirmWare::Dialogs dialogs;
        dialogs.boot = boot = new FakeBoot(pv, services, window.get());
        window->setDialogs(dialogs);
        return true;
    }
    QString binFile(const char *name) const
    {
        return joinPath(joinPath(pv.Conf_Dir, QStringLiteral("bin")), QLatin1String(name));
    }
    void pressUpdate()
    {
        auto *button = window->findChild<QPushButton *>(QStringLiteral("Btn_CreateBin"));
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
    }
};

// Certificates valid around the time the tests run: step 5 checks them at the current time.
const QDateTime CertificatesMadeAt = QDateTime::currentDateTimeUtc();

const test::CertificateFixtures &certs()
{
    static const test::CertificateFixtures made(CertificatesMadeAt);
    return made;
}

// The documents of a configuration: the TLS server's key, its certificate and the root, the
// known certificates, and the variables.
struct Setup
{
    bool tls = true;
    bool knownOnly = false;
    QString key, server, root;
    QList<KnownCertRow> known;
    QList<VariableRow> variables;
};

// An enabled Int variable of `length` bytes at `position`.
VariableRow variable(const char *name, int position, int length)
{
    VariableRow row;
    row.Name = QLatin1String(name);
    row.Type = QStringLiteral("Int");
    row.Length = QString::number(length);
    row.Position = QString::number(position);
    row.Conversion = QStringLiteral("None");
    row.MultiplicationFactor = QStringLiteral("None");
    return row;
}

} // namespace

Q_DECLARE_METATYPE(Setup)

class tst_UpdateDevice : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void buildsTheImageBeforeTheUpdateDialog()
    {
        Program p;
        QVERIFY(p.start());
        QVERIFY(!p.pv.Conf_Dir.isEmpty());
        QVERIFY(writeFile(p.pv.File_ParGen, "<Par_Gen><IEC61850_Server_Port>2404</IEC61850_Server_Port></Par_Gen>"));
        p.pressUpdate();

        QCOMPARE(p.boot->shows, 1);
        QVERIFY2(p.messages.records.isEmpty(), qPrintable(p.messages.texts().join(u'\n')));
        QCOMPARE(readFile(p.binFile("bank1.bin")).size(), 2048);
        const QByteArray bank2 = readFile(p.binFile("bank2.bin"));
        QCOMPARE(bank2.size(), 55);
        QCOMPARE(quint8(bank2[0]) | quint8(bank2[1]) << 8, 2404); // the port read from the project
    }

    void brokenDocumentStopsBeforeTheUpdateDialog()
    {
        Program p;
        QVERIFY(p.start());
        QVERIFY(QDir().mkpath(joinPath(p.pv.Conf_Dir, QStringLiteral("bin"))));
        QVERIFY(writeFile(p.binFile("bank1.bin"), "old 1"));
        QVERIFY(writeFile(p.binFile("bank2.bin"), "old 2"));
        QVERIFY(writeFile(p.pv.File_IEC61850_Variables, "<IEC61850_Variables><row Enable=\"Y\""));
        p.pressUpdate();

        QCOMPARE(p.boot->shows, 0);
        QCOMPARE(p.messages.records.size(), 1);
        QCOMPARE(p.messages.records[0].kind, test::ScriptedMessages::Kind::GeneralError);
        QVERIFY(p.messages.records[0].text.contains(QStringLiteral("IEC61850_Variables.xml")));
        QCOMPARE(readFile(p.binFile("bank1.bin")), QByteArray("old 1"));
        QCOMPARE(readFile(p.binFile("bank2.bin")), QByteArray("old 2"));
    }

    void unwritableImageStopsBeforeTheUpdateDialog()
    {
        Program p;
        QVERIFY(p.start());
        // A file where the bin folder belongs: the images cannot be written.
        QVERIFY(writeFile(joinPath(p.pv.Conf_Dir, QStringLiteral("bin")), "not a folder"));
        p.pressUpdate();

        QCOMPARE(p.boot->shows, 0);
        QCOMPARE(p.messages.records.size(), 1);
        QCOMPARE(p.messages.records[0].kind, test::ScriptedMessages::Kind::GeneralError);
    }

    // Errors that sw61942-image --check would report (keys and certificates of a TLS server that is
    // on, variables that the image takes) are listed in one question before anything is built:
    // the first five, then how many more. Warnings alone and a TLS server that is off ask nothing.
    void configurationErrorsAskFirst_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QStringList>("errors"); // the lines of the question; none: no question
        QTest::addColumn<int>("count"); // the errors in all
        QTest::addColumn<bool>("yes");

        const test::CertificateFixtures &c = certs();
        const Setup valid { true, false, c.server.privatePem, c.serverCert, c.rootCert, {}, {} };
        const auto with = [&](auto change) {
            Setup setup = valid;
            change(setup);
            return setup;
        };
        const Setup mismatch = with([&](Setup &s) { s.key = c.other.privatePem; });
        const QString mismatchLine
            = QStringLiteral("ParGen.xml: TLS_Server_Key: does not belong to the server certificate");
        const QString expiredOn
            = QStringLiteral("expired on ") + CertificatesMadeAt.addSecs(-60).toString("yyyy-MM-dd HH:mm 'UTC'");
        // Row 2 at Position 2 lies over bytes 2 and 3 of row 1.
        const QList<VariableRow> overlapping { variable("A", 0, 4), variable("B", 2, 4) };
        const QString overlapLine = QStringLiteral(
            "IEC61850_Variables.xml:2: Position: the range bytes 2 to 5 overlaps row 1 (bytes 0 to 3)");
        const auto overlapsRow = [](int row, int other) {
            return QStringLiteral("IEC61850_Variables.xml:%1: Position: the range byte 0 overlaps row %2 (byte 0)")
                .arg(row)
                .arg(other);
        };

        QTest::newRow("valid chain") << valid << QStringList() << 0 << true;
        QTest::newRow("mismatched key, No") << mismatch << QStringList { mismatchLine } << 1 << false;
        QTest::newRow("mismatched key, Yes") << mismatch << QStringList { mismatchLine } << 1 << true;
        QTest::newRow("TLS off") << with([&](Setup &s) {
            s.tls = false;
            s.key = c.other.privatePem;
        }) << QStringList() << 0 << true;
        QTest::newRow("only warnings") << with([&](Setup &s) {
            s.server = c.expiringSoonCert;
            s.knownOnly = true;
            s.known = { { true, c.thirtyDaysCert, "soon" } };
            VariableRow odd = variable("1st", 0, 2);
            odd.Type = QStringLiteral("Text");
            s.variables = { odd };
        }) << QStringList() << 0 << true;
        // Errors only, in the order of the check; rows keep their numbers, disabled rows are not read.
        QTest::newRow("errors in both certificate documents")
            << with([&](Setup &s) {
                   s.server = c.expiringSoonCert;
                   s.root = QStringLiteral("pasted by mistake");
                   s.knownOnly = true;
                   s.known = { { false, c.expiredCert, "off" }, { true, c.expiredCert, "old" },
                       { true, c.thirtyDaysCert, "soon" } };
               })
            << QStringList { "ParGen.xml: TLS_Server_Root_Certificate: cannot be read: no PEM certificate found",
                   "TLS_Known_Cert.xml:2: Certificate: " + expiredOn }
            << 2 << false;
        QTest::newRow("known certificates not required") << with([&](Setup &s) {
            s.known = { { true, c.expiredCert, "old" } };
        }) << QStringList() << 0 << true;
        QTest::newRow("overlapping variables, No")
            << with([&](Setup &s) { s.variables = overlapping; }) << QStringList { overlapLine } << 1 << false;
        QTest::newRow("overlapping variables, Yes")
            << with([&](Setup &s) { s.variables = overlapping; }) << QStringList { overlapLine } << 1 << true;
        QTest::newRow("certificates and variables in one question") << with([&](Setup &s) {
            s.key = c.other.privatePem;
            s.variables = overlapping;
        }) << QStringList { mismatchLine, overlapLine } << 2 << false;
        // Four variables on byte 0: rows 2, 3 and 4 overlap every row above them, six errors.
        QTest::newRow("the first five of six")
            << with([&](Setup &s) {
                   s.tls = false;
                   s.variables = { variable("A", 0, 1), variable("B", 0, 1), variable("C", 0, 1), variable("D", 0, 1) };
               })
            << QStringList { overlapsRow(2, 1), overlapsRow(3, 1), overlapsRow(3, 2), overlapsRow(4, 1),
                   overlapsRow(4, 2), QStringLiteral("... and 1 more") }
            << 6 << false;
    }

    void configurationErrorsAskFirst()
    {
        QFETCH(Setup, setup);
        QFETCH(QStringList, errors);
        QFETCH(int, count);
        QFETCH(bool, yes);

        Program p;
        QVERIFY(p.start());
        ParGenValues values;
        values.TLS_Server_Enable = setup.tls;
        values.TLS_Server_Enable_Known_Cert = setup.knownOnly;
        values.TLS_Server_Key = setup.key;
        values.TLS_Server_Server_Certificate = setup.server;
        values.TLS_Server_Root_Certificate = setup.root;
        writeParGenFile(p.pv.File_ParGen, values);
        writeKnownCertFile(p.pv.File_TLS_Known_Cert, setup.known);
        writeVariablesFile(p.pv.File_IEC61850_Variables, setup.variables);
        p.messages.answers = { yes };
        p.pressUpdate();

        if (errors.isEmpty()) {
            QVERIFY2(p.messages.records.isEmpty(), qPrintable(p.messages.texts().join(u'\n')));
        } else {
            QCOMPARE(p.messages.records.size(), 1);
            QCOMPARE(p.messages.records[0].kind, test::ScriptedMessages::Kind::Confirm);
            QCOMPARE(p.messages.last(),
                QStringLiteral("The configuration to be written into the device has errors (%1):\n%2\n\n"
                               "Update the device anyway?")
                    .arg(count)
                    .arg(errors.join(u'\n')));
        }
        // No stops before the build: no image files, no update dialog.
        QCOMPARE(p.compiler.calls, yes ? 1 : 0);
        QCOMPARE(p.boot->shows, yes ? 1 : 0);
        QCOMPARE(QFile::exists(p.binFile("bank1.bin")), yes);
        QCOMPARE(QFile::exists(p.binFile("bank2.bin")), yes);
    }
};

QTEST_MAIN(tst_UpdateDevice)
#include "tst_UpdateDevice.moc"
