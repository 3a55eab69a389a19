#include "CertificateFixtures.h"
#include "TestFiles.h"

#include "core/Error.h"
#include "core/documents/KnownCertDocument.h"
#include "core/documents/ParGenDocument.h"
#include "core/documents/ProjectFiles.h"
#include "core/documents/VariablesDocument.h"
#include "core/image/Compiler.h"
#include "core/text/Catalogue.h"
#include "core/text/LanguageFile.h"
#include "core/text/MessageIds.h"
#include "report/ConfigurationReport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace sw;
using namespace sw::report;
using sw::test::readFile;
using sw::test::writeFile;

namespace {

const QDateTime Now = QDateTime(QDate(2026, 12, 1), QTime(9, 30), Qt::UTC);

// A project with TLS on, a key that matches its certificate, secrets that must not appear, enough
// variables for several pages and texts that a page must not take as markup.
struct Fixture
{
    QTemporaryDir dir;
    QString folder = dir.filePath(QStringLiteral("Plant Nord"));
    QString keyPem;

    explicit Fixture(bool matchingKey = true)
    {
        QDir().mkpath(folder);
        const test::TestKeys keys = test::newKeys();
        const test::TestKeys other = test::newKeys();
        keyPem = matchingKey ? keys.privatePem : other.privatePem;
        const QString cert
            = test::certificatePem(keys.key, "gateway-01", keys.key, "gateway-01", Now.addDays(-1), Now.addYears(1));
        ParGenValues v;
        v.IEC61850_Server_Password = QStringLiteral("hunter2-secret");
        v.TLS_Server_Enable = true;
        v.TLS_Server_Key = keyPem;
        v.TLS_Server_Key_Password = QStringLiteral("kpw-secret");
        v.TLS_Server_Server_Certificate = cert;
        v.TLS_Server_Root_Certificate = cert;
        v.MODBUS_SLAVE_BAUDRATE = 4;
        const ProjectDocuments docs = projectDocuments(folder);
        writeParGenFile(docs.parGen, v);
        QList<VariableRow> rows;
        for (int i = 1; i <= 60; ++i) {
            VariableRow r;
            r.Name = QStringLiteral("Pressure_%1").arg(i);
            r.Type = QStringLiteral("Float");
            r.Length = QStringLiteral("4");
            r.Position = QString::number(4 * i);
            r.Conversion = QStringLiteral("None");
            r.MultiplicationFactor = QStringLiteral("None");
            r.Mnemonic = i == 2 ? QStringLiteral("<i>Öl</i> K") : QString();
            rows << r;
        }
        writeVariablesFile(docs.variables, rows.mid(0, VariableListCapacity));
        writeKnownCertFile(docs.knownCerts, { KnownCertRow { true, cert, QStringLiteral("SCADA client") } });
    }

    ReportInput input(const QStringList &catalogue = defaultMessages()) const
    {
        return { folder, QStringLiteral("Plant Nord"), QStringLiteral("1.000"), Now, catalogue };
    }
};

QString tool(const char *name)
{
    return QStandardPaths::findExecutable(QLatin1String(name));
}

// The text of a PDF page by page, as pdftotext gives it (pages end in a form feed).
QStringList pdfPages(const QString &pdf)
{
    QProcess p;
    p.start(tool("pdftotext"), { QStringLiteral("-layout"), pdf, QStringLiteral("-") });
    if (!p.waitForFinished(30000))
        return {};
    // NFKC undoes the ligatures ("fi") that the layout puts into the text.
    QStringList pages
        = QString::fromUtf8(p.readAllStandardOutput()).normalized(QString::NormalizationForm_KC).split(u'\f');
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

} // namespace

class tst_ConfigurationReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pdfHoldsTheConfiguration()
    {
        if (tool("pdftotext").isEmpty() || tool("pdftoppm").isEmpty())
            QSKIP("pdftotext and pdftoppm (poppler-utils) are not installed; scripts/install-deps installs them");
        Fixture f;
        const QString pdf = f.dir.filePath(QStringLiteral("report.pdf"));
        writeReport(pdf, f.input());
        QVERIFY(readFile(pdf).startsWith("%PDF-"));
        const QStringList pages = pdfPages(pdf);
        QVERIFY2(pages.size() >= 2, qPrintable(QString::number(pages.size())));
        const QString all = pages.join(u'\n');
        for (const char *expected : { "Configuration Report", "Plant Nord", "2026-12-01 09:30 UTC", "1.000", "Baudrate",
                 "19200", "set, can be read; matches the server certificate", "CN=gateway-01", "Pressure_50",
                 "SCADA client", "<i>Öl</i>", "bank1.bin", "2048" })
            QVERIFY2(all.contains(QString::fromUtf8(expected)), expected);
        // Secrets and the key never appear, only whether they are set.
        for (const char *secret : { "hunter2-secret", "kpw-secret", "PRIVATE KEY" })
            QVERIFY2(!all.contains(QLatin1String(secret)), secret);
        // The image's SHA-256 as the compiler builds it now.
        image::ImageCompiler compiler;
        const image::Images images = compiler.Compile_Bin(projectDocuments(f.folder));
        const QString sha
            = QString::fromLatin1(QCryptographicHash::hash(images.bank2, QCryptographicHash::Sha256).toHex());
        QVERIFY2(QString(all).remove(u' ').remove(u'\n').contains(sha), qPrintable(sha));
        // The variable table continues on the next page under its header again, and pages are numbered.
        const qsizetype firstVariablePage = pages.indexOf(pages.filter(QStringLiteral("Pressure_1 ")).value(0));
        QVERIFY(firstVariablePage >= 0 && firstVariablePage + 1 < pages.size());
        QVERIFY(pages[firstVariablePage + 1].contains(QStringLiteral("Molt.")));
        QCOMPARE(pages[1].trimmed().split(u'\n').last().trimmed(), QStringLiteral("2"));

        // The first page as a picture, to be looked at.
        const QString png = QStringLiteral(QT_TESTCASE_BUILDDIR "/report-p1");
        QCOMPARE(QProcess::execute(tool("pdftoppm"),
                     { QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("80"), QStringLiteral("-f"),
                         QStringLiteral("1"), QStringLiteral("-singlefile"), pdf, png }),
            0);
        QVERIFY(QFileInfo(png + QStringLiteral(".png")).size() > 0);
    }

    void keyThatDoesNotMatch()
    {
        Fixture f(false);
        const QString html = reportHtml(f.input());
        QVERIFY(html.contains(QStringLiteral("set, can be read; does not match the server certificate")));
        QVERIFY(!html.contains(QStringLiteral("BEGIN")));
    }

    // Texts from the project are shown as text, never as markup; labels follow the language.
    void htmlIsSelfContainedAndEscaped()
    {
        Fixture f;
        QStringList german = defaultMessages();
        readLanguageBytes(readFile(QStringLiteral(SW_SOURCE_DIR "/resources/LANGUAGE/Deutsch.lng")), german);
        const QString html = f.dir.filePath(QStringLiteral("report.HTML"));
        writeReport(html, f.input(german));
        const QString page = QString::fromUtf8(readFile(html));
        QVERIFY(page.startsWith(QStringLiteral("<!DOCTYPE html>")));
        QVERIFY(page.contains(QStringLiteral("&lt;i&gt;Öl&lt;/i&gt;")));
        QVERIFY(!page.contains(QStringLiteral("<i>Öl")));
        QVERIFY(page.contains(QStringLiteral("Konfigurationsbericht")));
        QVERIFY(page.contains(german.at(MsgId::ParGenBaudrate)));
        for (const char *outside : { "http:", "https:", "src=", "<script" })
            QVERIFY2(!page.contains(QLatin1String(outside)), outside);
    }

    void unreadableDocumentIsReportedInItsSection()
    {
        Fixture f;
        QVERIFY(writeFile(projectDocuments(f.folder).variables, "<IEC61850_Variables><row"));
        const QString html = reportHtml(f.input());
        QVERIFY(html.contains(QStringLiteral("cannot be read: ")));
        QVERIFY(html.contains(QStringLiteral("not a well-formed XML document")));
        QVERIFY(html.contains(QStringLiteral("Baudrate"))); // the other sections stand
    }

    void unknownExtensionWritesNothing()
    {
        Fixture f;
        const QString path = f.dir.filePath(QStringLiteral("report.txt"));
        QVERIFY_THROWS_EXCEPTION(Error, writeReport(path, f.input()));
        QVERIFY(!QFileInfo::exists(path));
    }
};

QTEST_MAIN(tst_ConfigurationReport)
#include "tst_ConfigurationReport.moc"
