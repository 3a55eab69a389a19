#include "TestFiles.h"

#include "core/checks/ConfigurationCheck.h"
#include "core/documents/KnownCertDocument.h"
#include "core/documents/ParGenDocument.h"
#include "core/documents/VariablesDocument.h"
#include "core/text/Catalogue.h"
#include "core/text/Excerpt.h"

#include <QTemporaryDir>
#include <QTest>

using sw::Finding;
using sw::FindingSeverity;
using sw::VariableRow;

Q_DECLARE_METATYPE(QList<VariableRow>)

namespace {

// An enabled variable of `type` covering `length` bytes from `position`.
VariableRow variable(const QString &name, const QString &type, const QString &position, const QString &length,
    const QString &startBit = QString(), const QString &enable = QStringLiteral("Y"))
{
    VariableRow row;
    row.Enable = enable;
    row.Name = name;
    row.Type = type;
    row.Position = position;
    row.Length = length;
    row.StartBit = startBit;
    return row;
}

VariableRow word(const QString &name, int position, int length = 2)
{
    return variable(name, QStringLiteral("Int"), QString::number(position), QString::number(length));
}

VariableRow bit(const QString &name, int position, int startBit)
{
    return variable(name, QStringLiteral("Digital (Bit)"), QString::number(position), QStringLiteral("1"),
        QString::number(startBit));
}

// Each finding as "row field severity", which is what the tables below compare.
QStringList summary(const QList<Finding> &findings)
{
    QStringList lines;
    for (const Finding &f : findings) {
        lines << QStringLiteral("%1 %2 %3")
                     .arg(f.row)
                     .arg(f.field,
                         f.severity == FindingSeverity::Error ? QStringLiteral("error") : QStringLiteral("warning"));
    }
    return lines;
}

} // namespace

class tst_ConfigurationCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void variables_data()
    {
        QTest::addColumn<QList<VariableRow>>("rows");
        QTest::addColumn<QStringList>("expected");
        const QStringList none;
        const QString overlapAt2 = QStringLiteral("2 Position error");

        QTest::newRow("adjacent ranges") << QList { word("A", 0), word("B", 2) } << none;
        QTest::newRow("shared last byte") << QList { word("A", 0), word("B", 1) } << QStringList { overlapAt2 };
        QTest::newRow("one inside the other")
            << QList { word("A", 10, 4), word("B", 11, 1) } << QStringList { overlapAt2 };
        QTest::newRow("bits on one byte, different bits") << QList { bit("A", 5, 0), bit("B", 5, 7) } << none;
        QTest::newRow("bits on one byte, same bit")
            << QList { bit("A", 5, 3), bit("B", 5, 3) } << QStringList { overlapAt2 };
        QTest::newRow("same bit, different bytes") << QList { bit("A", 5, 3), bit("B", 6, 3) } << none;
        QTest::newRow("bit inside a word") << QList { word("A", 4), bit("B", 5, 0) } << QStringList { overlapAt2 };
        QTest::newRow("disabled row does not count")
            << QList { word("A", 0), variable("B", "Int", "0", "2", QString(), "N"), word("C", 2) } << none;
        QTest::newRow("enable with blanks counts")
            << QList { word("A", 0), variable("B", "Int", "1", "2", QString(), " Y ") } << QStringList { overlapAt2 };
        QTest::newRow("rows after a blank name are not stored")
            << QList { word("A", 0), word("", 0), word("A", 0) } << none;
        QTest::newRow("each earlier overlap reported") << QList { word("A", 0), word("B", 2), word("C", 0, 4) }
                                                       << QStringList { "3 Position error", "3 Position error" };
        QTest::newRow("last byte of the array") << QList { word("A", 1436) } << none;
        QTest::newRow("past the end") << QList { word("A", 1437) } << QStringList { "1 Position error" };
        QTest::newRow("no integer, no range") << QList { word("A", 0), variable("B", "Int", "x", "2") } << none;
        QTest::newRow("duplicate name") << QList { word("A", 0), word("A", 2) } << QStringList { "2 Name error" };
        QTest::newRow("duplicate of a disabled row")
            << QList { variable("A", "Int", "0", "2", QString(), "N"), word("A", 2) } << none;
        QTest::newRow("names differing in case") << QList { word("Ab", 0), word("AB", 2) } << none;
        QTest::newRow("valid names") << QList { word("a_1", 0), word("Z9_", 2) } << none;
        QTest::newRow("leading digit") << QList { word("1A", 0) } << QStringList { "1 Name warning" };
        QTest::newRow("leading underscore") << QList { word("_A", 0) } << QStringList { "1 Name warning" };
        QTest::newRow("blank inside") << QList { word("A B", 0) } << QStringList { "1 Name warning" };
        QTest::newRow("non-ASCII letter")
            << QList { word(QStringLiteral("Tür"), 0) } << QStringList { "1 Name warning" };
        QTest::newRow("hyphen") << QList { word("A-B", 0) } << QStringList { "1 Name warning" };
    }
    void variables()
    {
        QFETCH(QList<VariableRow>, rows);
        QFETCH(QStringList, expected);
        const QList<Finding> findings = sw::checkVariables(rows, sw::defaultMessages());
        QCOMPARE(summary(findings), expected);
        for (const Finding &f : findings) {
            QCOMPARE(f.document, QStringLiteral("IEC61850_Variables.xml"));
            QVERIFY(!f.text.isEmpty());
        }
    }

    void objectReferences_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("warning"); // empty: the name passes

        const QString ld64(64, u'L');
        const QString ref129 = QStringLiteral("A.") + QString(127, u'b');
        QTest::newRow("single name") << "Temp_1"
                                     << "";
        QTest::newRow("logical node and data object") << "XCBR1.Pos"
                                                      << "";
        QTest::newRow("data attribute") << "XCBR1.Pos.stVal"
                                        << "";
        QTest::newRow("logical device in front") << "LD0/XCBR1.Pos.stVal"
                                                 << "";
        QTest::newRow("logical device and node only") << "LD0/XCBR1"
                                                      << "";
        QTest::newRow("logical device of 64 characters") << ld64 + "/LLN0.Mod"
                                                         << "";
        QTest::newRow("reference of 129 characters") << ref129 << "";

        QTest::newRow("empty part between dots")
            << "XCBR1..stVal"
            << "\"XCBR1..stVal\" has an empty part: an IEC 61850 object reference is names joined by single \".\", "
               "after an optional logical device name and \"/\"";
        QTest::newRow("trailing dot") << "XCBR1."
                                      << "\"XCBR1.\" has an empty part: an IEC 61850 object reference "
                                         "is names joined by single \".\", after an optional logical "
                                         "device name and \"/\"";
        QTest::newRow("empty logical device") << "/XCBR1.Pos"
                                              << "\"/XCBR1.Pos\" has an empty part: an IEC 61850 "
                                                 "object reference is names joined by single \".\", "
                                                 "after an optional logical device name and \"/\"";
        QTest::newRow("two slashes") << "A/B/C.D"
                                     << "\"A/B/C.D\" holds more than one \"/\": only the logical device name ends "
                                        "with \"/\"";
        QTest::newRow("leading digit") << "1AB"
                                       << "\"1AB\": the name \"1AB\" does not start with an ASCII letter";
        QTest::newRow("attribute with leading underscore")
            << "XCBR1.Pos._q"
            << "\"XCBR1.Pos._q\": the name \"_q\" does not start with an ASCII letter";
        QTest::newRow("hyphen in the data object")
            << "XCBR1.Pos-A"
            << "\"XCBR1.Pos-A\": the name \"Pos-A\" holds \"-\"; names hold only ASCII letters, digits and \"_\"";
        QTest::newRow("blank in the logical device")
            << "LD 0/XCBR1"
            << "\"LD 0/XCBR1\": the name \"LD 0\" holds U+0020; names hold only ASCII letters, "
               "digits and \"_\"";
        QTest::newRow("letter outside ASCII")
            << QStringLiteral("Tür.Pos")
            << QStringLiteral("\"Tür.Pos\": the name \"Tür\" holds U+00FC; names hold only ASCII letters, digits "
                              "and \"_\"");
        QTest::newRow("character outside the BMP")
            << QStringLiteral("A\U0001F321")
            << QStringLiteral("\"A\U0001F321\": the name \"A\U0001F321\" holds "
                              "U+1F321; names hold only ASCII letters, digits and \"_\"");
        QTest::newRow("logical device of 65 characters") << "L" + ld64 + "/LLN0"
                                                         << "\"" + sw::excerpt("L" + ld64 + "/LLN0")
                + "\": the logical device name \"" + sw::excerpt("L" + ld64) + "\" has 65 characters, more than 64";
        QTest::newRow("reference of 130 characters") << ref129 + "c"
                                                     << "\"" + sw::excerpt(ref129 + "c")
                + "\" has 130 characters, more than the 129 of an IEC 61850 object reference";
        QTest::newRow("placeholder in the name stays as typed")
            << "%2.%3-"
            << "\"%2.%3-\": the name \"%2\" does not start with an ASCII letter";
    }

    // A name is warned about only when it breaks the object reference syntax, saying where.
    void objectReferences()
    {
        QFETCH(QString, name);
        QFETCH(QString, warning);
        const QList<Finding> findings = sw::checkVariables({ word(name, 0) }, sw::defaultMessages());
        if (warning.isEmpty()) {
            QCOMPARE(summary(findings), QStringList());
            return;
        }
        QCOMPARE(summary(findings), QStringList { "1 Name warning" });
        QCOMPARE(findings[0].text, warning);
    }

    void typeForms_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("warning"); // empty: the image knows the type

        QTest::newRow("Int") << "Int"
                             << "";
        QTest::newRow("Float, other case and blanks") << " fLoAt "
                                                      << "";
        QTest::newRow("Digital (Bit), upper case") << "DIGITAL (BIT)"
                                                   << "";
        const QString takenAsInt = QStringLiteral(
            "Type \"%1\" is none of \"Int\", \"Float\" and \"Digital (Bit)\": the image takes it as Int");
        QTest::newRow("unknown word") << "Foo" << takenAsInt.arg("Foo");
        QTest::newRow("near miss") << "Integer" << takenAsInt.arg("Integer");
        QTest::newRow("bit without its brackets") << "Digital Bit" << takenAsInt.arg("Digital Bit");
        QTest::newRow("empty") << "" << takenAsInt.arg("");
    }

    // A Type the image does not know is taken as Int without a word: the check says so, in the
    // editor's marks and in the tool's check alike.
    void typeForms()
    {
        QFETCH(QString, type);
        QFETCH(QString, warning);
        const QString position = QStringLiteral("0");
        const QList<Finding> fromTable = sw::checkVariables(
            { variable("A", type, position, QStringLiteral("1"), QStringLiteral("0")) }, sw::defaultMessages());

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("IEC61850_Variables.xml"));
        VariableRow stored = variable("A", type, position, QStringLiteral("1"), QStringLiteral("0"));
        sw::writeVariablesFile(path, { stored });
        const QList<Finding> fromImage = sw::checkImageVariables(path, sw::defaultMessages());

        for (const QList<Finding> &findings : { fromTable, fromImage }) {
            if (warning.isEmpty()) {
                QCOMPARE(summary(findings), QStringList());
                continue;
            }
            QCOMPARE(summary(findings), QStringList { "1 Type warning" });
            QCOMPARE(findings[0].text, warning);
        }
    }

    void overlapNamesBothRows()
    {
        const QList<Finding> findings
            = sw::checkVariables({ word("A", 10, 4), word("B", 12, 2) }, sw::defaultMessages());
        QCOMPARE(findings.size(), 1);
        QCOMPARE(findings[0].text, QStringLiteral("the range bytes 12 to 13 overlaps row 1 (bytes 10 to 13)"));
    }

    // Certificates are checked only for a TLS server, known certificates only when the server
    // admits known clients alone, and enabled known rows only; rows keep their table numbers.
    void projectDocuments_data()
    {
        QTest::addColumn<bool>("tls");
        QTest::addColumn<bool>("knownOnly");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("TLS off") << false << true << QStringList { "2 Name error" };
        QTest::newRow("TLS on") << true << false
                                << QStringList { "0 TLS_Server_Server_Certificate error", "2 Name error" };
        QTest::newRow("TLS on, known only")
            << true << true
            << QStringList { "0 TLS_Server_Server_Certificate error", "3 Certificate error", "2 Name error" };
    }
    void projectDocuments()
    {
        QFETCH(bool, tls);
        QFETCH(bool, knownOnly);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const sw::ProjectDocuments documents = sw::projectDocuments(dir.path());
        sw::ParGenValues values;
        values.TLS_Server_Enable = tls;
        values.TLS_Server_Enable_Known_Cert = knownOnly;
        values.TLS_Server_Server_Certificate = QStringLiteral("not a certificate");
        sw::writeParGenFile(documents.parGen, values);
        const QString garbage = QStringLiteral("-----BEGIN CERTIFICATE-----\ngarbage\n-----END CERTIFICATE-----\n");
        sw::writeKnownCertFile(documents.knownCerts,
            { { false, garbage, QStringLiteral("off") }, { false, garbage, QStringLiteral("off") },
                { true, garbage, QStringLiteral("on") } });
        sw::writeVariablesFile(documents.variables, { word("A", 0), word("A", 2) });

        const QDateTime now = QDateTime::currentDateTimeUtc();
        const QList<Finding> findings = sw::checkConfiguration(documents, now, sw::defaultMessages());
        QCOMPARE(summary(findings), expected);

        // The certificate part alone: the same findings, without the variables'.
        QStringList certificates = expected;
        certificates.removeAll(QStringLiteral("2 Name error"));
        QCOMPARE(summary(sw::checkCertificates(documents, now, sw::defaultMessages())), certificates);
    }

    void unreadableDocumentIsAnError_data()
    {
        QTest::addColumn<QString>("document");
        QTest::newRow("ParGen") << QStringLiteral("ParGen.xml");
        QTest::newRow("variables") << QStringLiteral("IEC61850_Variables.xml");
        QTest::newRow("known certificates") << QStringLiteral("TLS_Known_Cert.xml");
    }
    void unreadableDocumentIsAnError()
    {
        QFETCH(QString, document);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(sw::test::writeFile(dir.filePath(document), "<root><unclosed></root>"));
        const QList<Finding> findings = sw::checkConfiguration(
            sw::projectDocuments(dir.path()), QDateTime::currentDateTimeUtc(), sw::defaultMessages());
        QCOMPARE(findings.size(), 1);
        QCOMPARE(findings[0].severity, FindingSeverity::Error);
        QCOMPARE(findings[0].document, document);
        QCOMPARE(findings[0].row, 0);
        QVERIFY2(findings[0].text.contains(document), qPrintable(findings[0].text));
    }

    // The certificate check leaves a document that cannot be read to the image builder and still
    // checks what can be read.
    void certificateCheckPassesOverUnreadableDocuments_data()
    {
        QTest::addColumn<QString>("broken");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("ParGen") << QStringLiteral("ParGen.xml") << QStringList();
        QTest::newRow("known certificates")
            << QStringLiteral("TLS_Known_Cert.xml") << QStringList { "0 TLS_Server_Root_Certificate error" };
    }
    void certificateCheckPassesOverUnreadableDocuments()
    {
        QFETCH(QString, broken);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const sw::ProjectDocuments documents = sw::projectDocuments(dir.path());
        sw::ParGenValues values;
        values.TLS_Server_Enable = true;
        values.TLS_Server_Enable_Known_Cert = true;
        values.TLS_Server_Root_Certificate = QStringLiteral("not a certificate");
        sw::writeParGenFile(documents.parGen, values);
        QVERIFY(sw::test::writeFile(dir.filePath(broken), "<root><unclosed></root>"));

        QCOMPARE(summary(sw::checkCertificates(documents, QDateTime::currentDateTimeUtc(), sw::defaultMessages())),
            expected);
    }

    void emptyProjectHasNoFindings()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(sw::checkConfiguration(
            sw::projectDocuments(dir.path()), QDateTime::currentDateTimeUtc(), sw::defaultMessages())
                    .isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_ConfigurationCheck)
#include "tst_ConfigurationCheck.moc"
