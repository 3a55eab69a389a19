#include "CertificateFixtures.h"
#include "ObjectReferences.h"
#include "TestFiles.h"
#include "VariableRows.h"

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
#include "report/ReportContent.h"

#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
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

// A project with TLS and a known certificate, and 50 variables named as plants name them, up to
// the longest reference, each with a description long enough to take several lines; a row's
// description starts with "from<row>" and ends with "to<row>", so a row cut by a page shows.
struct ReferenceProject
{
    QTemporaryDir dir;
    QString folder = dir.filePath(QStringLiteral("Plant Sued"));
    QStringList names = test::objectReferences(VariableListCapacity);

    ReferenceProject()
    {
        QDir().mkpath(folder);
        const test::TestKeys keys = test::newKeys();
        const QString cert
            = test::certificatePem(keys.key, "gateway-02", keys.key, "gateway-02", Now.addDays(-1), Now.addYears(1));
        ParGenValues v;
        v.TLS_Server_Enable = true;
        v.TLS_Server_Key = keys.privatePem;
        v.TLS_Server_Server_Certificate = cert;
        v.TLS_Server_Root_Certificate = cert;
        writeParGenFile(projectDocuments(folder).parGen, v);
        writeKnownCertFile(
            projectDocuments(folder).knownCerts, { KnownCertRow { true, cert, QStringLiteral("SCADA") } });
        QList<VariableRow> rows;
        for (qsizetype i = 0; i < names.size(); ++i) {
            VariableRow r = test::validRow(names[i]);
            r.Type = i % 3 ? QStringLiteral("Float") : QStringLiteral("Digital (Bit)");
            r.StartBit = i % 3 ? QString() : QStringLiteral("3");
            r.Position = QString::number(4 * i);
            r.Conversion = QStringLiteral("Int to Float");
            r.Mnemonic = QStringLiteral("from%1 active power of the incoming feeder, averaged over one cycle to%1")
                             .arg(i, 2, 10, QChar(u'0'));
            rows << r;
        }
        writeVariablesFile(projectDocuments(folder).variables, rows);
    }
};

// The catalogue of a shipped language file.
QStringList shippedCatalogue(const char *language)
{
    QStringList catalogue = defaultMessages();
    readLanguageBytes(
        readFile(QStringLiteral(SW_SOURCE_DIR "/resources/LANGUAGE/%1.lng").arg(QLatin1String(language))), catalogue);
    return catalogue;
}

// The first page that holds `word` as a word of its own, or -1.
qsizetype pageOf(const QStringList &pages, const QString &word)
{
    const QRegularExpression whole(QStringLiteral("(^|\\s)%1(\\s|$)").arg(QRegularExpression::escape(word)));
    for (qsizetype i = 0; i < pages.size(); ++i)
        if (pages[i].contains(whole))
            return i;
    return -1;
}

// The lines of a page with text, the page number under it left off.
QStringList textLines(const QString &page)
{
    QStringList lines;
    for (const QString &line : page.split(u'\n'))
        if (!line.trimmed().isEmpty())
            lines << line;
    if (!lines.isEmpty())
        lines.removeLast();
    return lines;
}

QString writePdf(const QTemporaryDir &dir, const ReportContent &content)
{
    const QString path = dir.filePath(QStringLiteral("laid-out.pdf"));
    return writeFile(path, pdfDocument(content)) ? path : QString();
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
    // Every name of a full list whole on one line of the PDF, headers without a word cut, no row
    // and no checksum parted by a page, no heading at the foot of a page; in every language.
    void pdfKeepsNamesRowsAndHeadersWhole_data()
    {
        QTest::addColumn<QStringList>("catalogue");
        for (const char *language : { "English", "Deutsch", "Francais", "Italiano", "Espanol" })
            QTest::newRow(language) << shippedCatalogue(language);
    }
    void pdfKeepsNamesRowsAndHeadersWhole()
    {
        QFETCH(QStringList, catalogue);
        if (tool("pdftotext").isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed; scripts/install-deps installs it");
        ReferenceProject project;
        const ReportInput input { project.folder, QStringLiteral("Plant Sued"), QStringLiteral("1.000"), Now,
            catalogue };
        // Kept beside the test, to be looked at.
        const QString pdf
            = QStringLiteral(QT_TESTCASE_BUILDDIR "/report-%1.pdf").arg(QString::fromLatin1(QTest::currentDataTag()));
        writeReport(pdf, input);
        const QStringList pages = pdfPages(pdf);

        QStringList headerWords;
        for (int id : { MsgId::VariablesRowNumber, MsgId::VariablesEnable, MsgId::VariablesName, MsgId::VariablesType,
                 MsgId::VariablesLength, MsgId::VariablesReadOnly, MsgId::VariablesPosition, MsgId::VariablesStartBit,
                 MsgId::VariablesConversion, MsgId::VariablesFactor, MsgId::VariablesSwap, MsgId::VariablesSwapWord,
                 MsgId::VariablesMnemonic })
            headerWords << catalogue.at(id).split(u' ', Qt::SkipEmptyParts);
        headerWords.sort();

        QSet<qsizetype> variablePages;
        for (qsizetype i = 0; i < project.names.size(); ++i) {
            const QString &name = project.names[i];
            const qsizetype page = pageOf(pages, name);
            QVERIFY2(page >= 0, qPrintable(name));
            const QString number = QString::number(i, 10).rightJustified(2, u'0');
            QCOMPARE(pageOf(pages, QStringLiteral("from") + number), page);
            QCOMPARE(pageOf(pages, QStringLiteral("to") + number), page);
            variablePages << page;
        }
        QVERIFY2(variablePages.size() >= 2, "the list is long enough to go on over a page");
        const QString variablesHeading = catalogue.at(MsgId::ReportVariables);
        for (const qsizetype page : variablePages) {
            // The header lines: after the section's heading, before the first row.
            QStringList words;
            for (const QString &line : textLines(pages[page])) {
                if (std::any_of(project.names.begin(), project.names.end(),
                        [&](const QString &name) { return line.contains(name); }))
                    break;
                if (line.trimmed() == variablesHeading)
                    words.clear();
                else
                    words << line.split(u' ', Qt::SkipEmptyParts);
            }
            words.sort();
            QCOMPARE(words, headerWords);
        }

        for (const int heading : { MsgId::ReportParameters, MsgId::ReportVariables, MsgId::ReportKnownCerts,
                 MsgId::ReportCheck, MsgId::ReportImage }) {
            QVERIFY2(pageOf(pages, catalogue.at(heading).split(u' ').front()) >= 0, qPrintable(catalogue.at(heading)));
            for (const QString &page : pages)
                QVERIFY2(textLines(page).value(textLines(page).size() - 1).trimmed() != catalogue.at(heading),
                    qPrintable(catalogue.at(heading)));
        }

        image::ImageCompiler compiler;
        const image::Images images = compiler.Compile_Bin(projectDocuments(project.folder));
        for (const QByteArray *bank : { &images.bank1, &images.bank2 }) {
            const QString sha
                = QString::fromLatin1(QCryptographicHash::hash(*bank, QCryptographicHash::Sha256).toHex());
            QVERIFY2(pageOf(pages, sha) >= 0, qPrintable(sha));
        }

        // A browser finds the same names in the page, where they may break only after "/" and ".".
        const QString html = reportHtml(input);
        for (const QString &name : project.names)
            QVERIFY2(QString(html).remove(QStringLiteral("<wbr>")).contains(name), qPrintable(name));
    }

    // A reference wider than the page breaks after "/" or "." only; a word wider than the page
    // breaks where it must and leaves the reference its room.
    void pdfBreaksLongReferencesAfterSeparators()
    {
        if (tool("pdftotext").isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed; scripts/install-deps installs it");
        QStringList parts;
        for (int i = 1; i <= 60; ++i)
            parts << QStringLiteral("Seg%1").arg(i, 3, 10, QChar(u'0'));
        const QString reference = QStringLiteral("LDx/") + parts.join(u'.');
        ReportContent content;
        Block table;
        table.kind = Block::Kind::Table;
        table.wide = true;
        table.table.columns
            = { Column { QStringLiteral("Name"), Breaks::Reference }, Column { QStringLiteral("Text") } };
        table.table.rows << Row { { reference, QString(300, u'w') } };
        content.blocks << table;
        QTemporaryDir dir;
        const QStringList pages = pdfPages(writePdf(dir, content));
        QCOMPARE(pages.size(), 1);

        static const QRegularExpression piece(QStringLiteral("\\S*Seg\\S*"));
        QStringList pieces;
        for (const QString &line : textLines(pages.front())) {
            const QRegularExpressionMatch m = piece.match(line);
            if (m.hasMatch())
                pieces << m.captured();
        }
        QVERIFY2(pieces.size() >= 2, qPrintable(pieces.join(u'|')));
        QCOMPARE(pieces.join(QString()), reference);
        for (qsizetype i = 0; i + 1 < pieces.size(); ++i)
            QVERIFY2(pieces[i].endsWith(u'.') || pieces[i].endsWith(u'/'), qPrintable(pieces[i]));
        static const QRegularExpression run(QStringLiteral("w+"));
        QStringList runs;
        for (auto it = run.globalMatch(pages.front()); it.hasNext();)
            runs << it.next().captured();
        QVERIFY2(runs.size() >= 2, qPrintable(runs.join(u'|')));
        QCOMPARE(runs.join(QString()), QString(300, u'w'));
    }

    // Headings of every height at every place on a page: each stays with its table's first row,
    // every row of several lines stays on one page, and a row taller than a page goes on over
    // pages without losing a line.
    void pdfKeepsHeadingsWithTablesAndRowsWhole()
    {
        if (tool("pdftotext").isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed; scripts/install-deps installs it");
        ReportContent content;
        for (int k = 1; k <= 40; ++k) {
            Block heading;
            heading.kind = Block::Kind::Heading;
            heading.text = QStringLiteral("Section S%1").arg(k);
            heading.wide = k > 30;
            Block table;
            table.kind = Block::Kind::Table;
            table.wide = heading.wide;
            table.table.columns = { Column { QStringLiteral("Key") },
                Column { QStringLiteral("Reference"), Breaks::Reference }, Column { QStringLiteral("Notes") } };
            for (int j = 0; j < k % 5 + 1; ++j) {
                const QString id = QStringLiteral("%1-%2").arg(k).arg(j);
                QStringList notes { QStringLiteral("start") + id };
                for (int l = 0; l < (k + j) % 4; ++l)
                    notes << QStringLiteral("middle line");
                notes << QStringLiteral("end") + id;
                table.table.rows << Row { { QStringLiteral("row") + id,
                    QStringLiteral("LD0/MMXU1.PPV.phsAB.cVal.mag.f"), notes.join(u'\n') } };
            }
            content.blocks << heading << table;
        }
        // Its header alone is taller than a page.
        Block tall;
        tall.kind = Block::Kind::Table;
        tall.table.columns
            = { Column { QStringLiteral("Key") }, Column { QStringLiteral("Notes\n").repeated(100).chopped(1) } };
        QStringList lines;
        for (int l = 1; l <= 150; ++l)
            lines << QStringLiteral("tall%1").arg(l);
        tall.table.rows << Row { { QStringLiteral("tall"), lines.join(u'\n') } };
        content.blocks << tall;

        QTemporaryDir dir;
        const QStringList pages = pdfPages(writePdf(dir, content));
        QVERIFY(pages.size() > 5);
        for (int k = 1; k <= 40; ++k) {
            const qsizetype page = pageOf(pages, QStringLiteral("S%1").arg(k));
            QVERIFY(page >= 0);
            QCOMPARE(pageOf(pages, QStringLiteral("row%1-0").arg(k)), page);
            for (int j = 0; j < k % 5 + 1; ++j) {
                const QString id = QStringLiteral("%1-%2").arg(k).arg(j);
                const qsizetype rowPage = pageOf(pages, QStringLiteral("start") + id);
                QVERIFY2(rowPage >= 0, qPrintable(id));
                QCOMPARE(pageOf(pages, QStringLiteral("end") + id), rowPage);
            }
        }
        for (const QString &page : pages)
            QVERIFY2(!textLines(page).value(textLines(page).size() - 1).contains(QStringLiteral("Section")),
                qPrintable(page));
        for (const QString &line : lines)
            QVERIFY2(pageOf(pages, line) >= 0, qPrintable(line));
    }
};

QTEST_MAIN(tst_ConfigurationReport)
#include "tst_ConfigurationReport.moc"
