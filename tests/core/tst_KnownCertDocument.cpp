#include "DocumentTests.h"
#include "MalformedDocuments.h"
#include "TestFiles.h"

#include "core/Error.h"
#include "core/documents/KnownCertDocument.h"

#include <QTemporaryDir>
#include <QtTest>

using sw::KnownCertRow;
using sw::test::readFile;
using sw::test::writeFile;
using Rows = QList<KnownCertRow>;

namespace sw {
// Failed comparisons print the rows as the document that would be written.
char *toString(const QList<KnownCertRow> &rows)
{
    return qstrdup(knownCertDocument(rows).constData());
}
} // namespace sw

namespace {

const QString Pem = QStringLiteral("-----BEGIN CERTIFICATE-----\r\nMIIB+zCCAWSgAwIBAgIJ\r\nAKx/3Q==\r\n"
                                   "-----END CERTIFICATE-----\r\n");

QByteArray inRoot(const QByteArray &rows)
{
    return "<TLS_Server_Known_Cert>" + rows + "</TLS_Server_Known_Cert><!--SW_VERSION = 1.000-->";
}

} // namespace

class tst_KnownCertDocument : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reading_data();
    void reading();
    void malformedFileRaisesError_data();
    void malformedFileRaisesError();
    void documentBytes();
    void roundTripKeepsTexts_data();
    void roundTripKeepsTexts();
    void cutAtBlankCertificate_data();
    void cutAtBlankCertificate();
    void writeFailureRaisesError();
};

void tst_KnownCertDocument::reading_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<Rows>("expected");

    QTest::newRow("missing file") << false << QByteArray() << Rows {};
    QTest::newRow("empty root") << true << inRoot("") << Rows {};
    QTest::newRow("stored rows") << true
                                 << inRoot("<row Enable=\"N\" Certificate=\"C1\" Mnemonic=\"M1\"/>"
                                           "<row Enable=\"Y\" Certificate=\"C2\" Mnemonic=\"\"/>")
                                 << Rows { { false, "C1", "M1" }, { true, "C2", "" } };

    // Only the exact text "N" is unchecked; anything else, missing included, is checked.
    for (const char *enable : { "n", " N", "No", "", "0", "Y" }) {
        QTest::addRow("Enable \"%s\" is checked", enable)
            << true << inRoot("<row Enable=\"" + QByteArray(enable) + "\" Certificate=\"C\"/>")
            << Rows { { true, "C", "" } };
    }
    QTest::newRow("without Enable") << true << inRoot("<row Certificate=\"C\" Mnemonic=\"M\"/>")
                                    << Rows { { true, "C", "M" } };
    QTest::newRow("without Certificate") << true << inRoot("<row Enable=\"N\" Mnemonic=\"M\"/>")
                                         << Rows { { false, "", "M" } };
    QTest::newRow("without Mnemonic") << true << inRoot("<row Enable=\"N\" Certificate=\"C\"/>")
                                      << Rows { { false, "C", "" } };

    QTest::newRow("root and rows of any name, indented")
        << true << QByteArray("<Other>\n  <a Certificate=\"A\"/>\n  <b Enable=\"N\"/>\n</Other>\n")
        << Rows { { true, "A", "" }, { false, "", "" } };
    QTest::newRow("comment and text inside the root are not rows")
        << true << inRoot("<!--c-->text<row Certificate=\"A\"/>") << Rows { { true, "A", "" } };
    QTest::newRow("leading declaration, comment, instruction, DOCTYPE passed over")
        << true << "<?xml version=\"1.0\"?><!--x--><?pi x?><!DOCTYPE r>" + inRoot("<row Certificate=\"A\"/>")
        << Rows { { true, "A", "" } };

    QByteArray many;
    Rows first10;
    for (int i = 1; i <= 12; ++i) {
        many += "<row Certificate=\"C" + QByteArray::number(i) + "\"/>";
        if (i <= sw::KnownCertListCapacity)
            first10.append({ true, QStringLiteral("C%1").arg(i), "" });
    }
    QTest::newRow("rows beyond the table are not read") << true << inRoot(many) << first10;
}

void tst_KnownCertDocument::reading()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, file);
    QFETCH(Rows, expected);

    QCOMPARE(sw::test::readDocument(sw::readKnownCertFile, "TLS_Known_Cert.xml", exists, file), expected);
}

void tst_KnownCertDocument::malformedFileRaisesError_data()
{
    QTest::addColumn<QByteArray>("file");
    for (const auto &[name, bytes] : sw::test::malformedDocuments()) {
        if (qstrcmp(name, "bare ampersand") == 0 || qstrcmp(name, "text after the root") == 0)
            QTest::newRow(name) << bytes;
    }
}

void tst_KnownCertDocument::malformedFileRaisesError()
{
    QFETCH(QByteArray, file);
    const QString problem = sw::test::refusal(sw::readKnownCertFile, "TLS_Known_Cert.xml", file, "line 1,");
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void tst_KnownCertDocument::documentBytes()
{
    const QByteArray expected = "<TLS_Server_Known_Cert>"
                                "<row Enable=\"Y\" Certificate=\"-----BEGIN-----&#13;&#10;AB&#10;\" Mnemonic=\"\"/>"
                                "<row Enable=\"N\" Certificate=\" C \" Mnemonic=\"a &amp; &quot;b&quot;\"/>"
                                "</TLS_Server_Known_Cert>"
                                "<!--SW_VERSION = 1.000-->";
    QTemporaryDir dir;
    const QString path = dir.filePath("TLS_Known_Cert.xml");
    sw::writeKnownCertFile(path, { { true, "-----BEGIN-----\r\nAB\n", "" }, { false, " C ", "a & \"b\"" } });
    QCOMPARE(readFile(path), expected);

    sw::writeKnownCertFile(path, {});
    QCOMPARE(readFile(path), QByteArray("<TLS_Server_Known_Cert/><!--SW_VERSION = 1.000-->"));
}

void tst_KnownCertDocument::roundTripKeepsTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("PEM with CR LF") << Pem;
    QTest::newRow("PEM with LF") << QString(Pem).remove(u'\r');
    QTest::newRow("lone CR and tabs") << QStringLiteral("a\rb\tc\t");
    QTest::newRow("blank lines around") << QStringLiteral("\n\n  x  \n\n");
    QTest::newRow("quotes and ampersands") << QStringLiteral("\"x\" & 'y' <z> &amp;");
    QTest::newRow("non-ASCII") << QStringLiteral("Zertifikat für 変電所 €");
}

void tst_KnownCertDocument::roundTripKeepsTexts()
{
    QFETCH(QString, text);
    const Rows rows { { true, text, text }, { false, "C" + text, "" }, { true, "C", text } };
    QTemporaryDir dir;
    const QString path = dir.filePath("TLS_Known_Cert.xml");
    sw::writeKnownCertFile(path, rows);
    const Rows back = sw::readKnownCertFile(path);
    QCOMPARE(back, rows);
    QCOMPARE(sw::knownCertDocument(back), readFile(path));
}

void tst_KnownCertDocument::cutAtBlankCertificate_data()
{
    QTest::addColumn<QStringList>("certificates");
    QTest::addColumn<int>("kept");
    QTest::newRow("no rows") << QStringList {} << 0;
    QTest::newRow("no blank certificate") << QStringList { "A", "B" } << 2;
    QTest::newRow("first row blank") << QStringList { "", "B" } << 0;
    QTest::newRow("blank between filled rows") << QStringList { "A", "", "C" } << 1;
    QTest::newRow("line breaks only count as blank") << QStringList { "A", "B", "\r\n \n", "D" } << 2;
}

void tst_KnownCertDocument::cutAtBlankCertificate()
{
    QFETCH(QStringList, certificates);
    QFETCH(int, kept);
    Rows rows;
    for (const QString &c : certificates)
        rows.append({ false, c, "m" + c });
    QCOMPARE(sw::cutAtBlankCertificate(rows), rows.first(kept));
}

void tst_KnownCertDocument::writeFailureRaisesError()
{
    // A text that no XML document can hold: the file is named and the earlier file stays.
    const QString problem = sw::test::keptOnFailedWrite(
        "TLS_Known_Cert.xml",
        [](const QString &path) {
            sw::writeKnownCertFile(path, { { true, Pem, "" } });
        },
        [](const QString &path) {
            sw::writeKnownCertFile(path, { { true, QStringLiteral("C\x02"), "" } });
        });
    QVERIFY2(problem.isEmpty(), qPrintable(problem));

    QTemporaryDir dir;
    QVERIFY_THROWS_EXCEPTION(sw::Error, sw::writeKnownCertFile(dir.filePath("gone/TLS_Known_Cert.xml"), {}));
}

QTEST_GUILESS_MAIN(tst_KnownCertDocument)
#include "tst_KnownCertDocument.moc"
