#include "DocumentTests.h"
#include "MalformedDocuments.h"
#include "TestFiles.h"

#include "core/Error.h"
#include "core/documents/VariablesDocument.h"

#include <QTemporaryDir>
#include <QtTest>

using sw::VariableRow;
using sw::test::readFile;
using sw::test::writeFile;
using Rows = QList<VariableRow>;

namespace sw {
// Failed comparisons print the rows as the document that would be written.
char *toString(const QList<VariableRow> &rows)
{
    return qstrdup(variablesDocument(rows).constData());
}
} // namespace sw

namespace {

QByteArray inRoot(const QByteArray &rows)
{
    return "<IEC61850_Variables>" + rows + "</IEC61850_Variables><!--SW_VERSION = 1.000-->";
}

// A row with every field set, each to a text of its own.
VariableRow filledRow()
{
    VariableRow r;
    r.Enable = "N";
    r.Name = "Voltage";
    r.Type = "Float";
    r.Length = "4";
    r.ReadOnly = "Y";
    r.Position = "12";
    r.StartBit = "3";
    r.Conversion = "Int to Float";
    r.MultiplicationFactor = "0,5";
    r.Swap = "Y";
    r.SwapWord = "N";
    r.Mnemonic = "Line voltage";
    return r;
}

// filledRow() as a stored element, without the attribute `skip`.
QByteArray filledElement(const char *skip = "")
{
    const VariableRow r = filledRow();
    QByteArray e = "<row";
    for (const sw::VariableAttribute &a : sw::VariableAttributes) {
        if (qstrcmp(a.name, skip) != 0)
            e += ' ' + QByteArray(a.name) + "=\"" + (r.*a.member).toUtf8() + '"';
    }
    return e + "/>";
}

} // namespace

class tst_VariablesDocument : public QObject
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
    void cutAtBlankName_data();
    void cutAtBlankName();
    void writeFailureRaisesError();
};

void tst_VariablesDocument::reading_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<Rows>("expected");

    const VariableRow defaults = [] {
        VariableRow r;
        r.ReadOnly = r.Swap = r.SwapWord = "N";
        return r;
    }();

    QTest::newRow("missing file") << false << QByteArray() << Rows {};
    QTest::newRow("empty root") << true << inRoot("") << Rows {};
    QTest::newRow("stored row") << true << inRoot(filledElement()) << Rows { filledRow() };

    // Each missing attribute takes its own default; the other eleven are still read.
    for (const sw::VariableAttribute &a : sw::VariableAttributes) {
        VariableRow expected = filledRow();
        expected.*a.member = QString::fromLatin1(a.missing);
        QTest::addRow("without %s", a.name) << true << inRoot(filledElement(a.name)) << Rows { expected };
    }
    QTest::newRow("bare row: every default") << true << inRoot("<row/>") << Rows { defaults };
    QTest::newRow("empty attributes stay empty")
        << true << inRoot("<row Enable=\"\" ReadOnly=\"\" Swap=\"\" SwapWord=\"\" Name=\"\"/>")
        << Rows { VariableRow { "", "", "", "", "", "", "", "", "", "", "", "" } };
    QTest::newRow("attribute names are case-sensitive")
        << true << inRoot("<row enable=\"N\" NAME=\"x\" Name=\"V\"/>") << [&] {
               VariableRow r = defaults;
               r.Name = "V";
               return Rows { r };
           }();
    QTest::newRow("texts unchanged, blanks kept")
        << true << inRoot("<row Name=\" V 1 \" Length=\" 4\" Mnemonic=\"a&amp;b &lt;&quot;&#10;\"/>") << [&] {
               VariableRow r = defaults;
               r.Name = " V 1 ";
               r.Length = " 4";
               r.Mnemonic = "a&b <\"\n";
               return Rows { r };
           }();

    // Which nodes are rows: every child of the first top-level node, whatever its name or kind,
    // but not the blanks laid out between them.
    QTest::newRow("root and rows of any name")
        << true << QByteArray("<Other><v Name=\"A\"/><w Name=\"B\"/></Other>") << [&] {
               VariableRow a = defaults, b = defaults;
               a.Name = "A";
               b.Name = "B";
               return Rows { a, b };
           }();
    QTest::newRow("indented document")
        << true
        << QByteArray("<IEC61850_Variables>\r\n  <row Name=\"A\"/>\n\t<row Name=\"B\"/>\n</IEC61850_Variables>\n")
        << [&] {
               VariableRow a = defaults, b = defaults;
               a.Name = "A";
               b.Name = "B";
               return Rows { a, b };
           }();
    QTest::newRow("root holding only blanks")
        << true << QByteArray("<IEC61850_Variables>\n  </IEC61850_Variables>") << Rows {};
    QTest::newRow("comment and text inside the root are not rows")
        << true << inRoot("<!--c-->text<row Name=\"A\"/>") << [&] {
               VariableRow a = defaults;
               a.Name = "A";
               return Rows { a };
           }();
    QTest::newRow("leading declaration, comment, instruction, DOCTYPE passed over")
        << true << "<?xml version=\"1.0\"?><!--x--><?pi x?><!DOCTYPE IEC61850_Variables>" + inRoot(filledElement())
        << Rows { filledRow() };

    QByteArray many;
    for (int i = 1; i <= 52; ++i)
        many += "<row Name=\"V" + QByteArray::number(i) + "\"/>";
    Rows first50;
    for (int i = 1; i <= sw::VariableListCapacity; ++i) {
        VariableRow r = defaults;
        r.Name = QStringLiteral("V%1").arg(i);
        first50.append(r);
    }
    QTest::newRow("rows beyond the table are not read") << true << inRoot(many) << first50;
}

void tst_VariablesDocument::reading()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, file);
    QFETCH(Rows, expected);

    QCOMPARE(sw::test::readDocument(sw::readVariablesFile, "IEC61850_Variables.xml", exists, file), expected);
}

void tst_VariablesDocument::malformedFileRaisesError_data()
{
    QTest::addColumn<QByteArray>("file");
    for (const auto &[name, bytes] : sw::test::malformedDocuments()) {
        if (qstrcmp(name, "duplicated attribute") == 0 || qstrcmp(name, "unclosed element") == 0)
            QTest::newRow(name) << bytes;
    }
}

void tst_VariablesDocument::malformedFileRaisesError()
{
    QFETCH(QByteArray, file);
    const QString problem = sw::test::refusal(sw::readVariablesFile, "IEC61850_Variables.xml", file, "line 1,");
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void tst_VariablesDocument::documentBytes()
{
    VariableRow second;
    second.Name = "B";
    const QByteArray expected = "<IEC61850_Variables>"
                                "<row Enable=\"N\" Name=\"Voltage\" Type=\"Float\" Length=\"4\" ReadOnly=\"Y\" "
                                "Position=\"12\" StartBit=\"3\" Conversion=\"Int to Float\" "
                                "MultiplicationFactor=\"0,5\" Swap=\"Y\" SwapWord=\"N\" Mnemonic=\"Line voltage\"/>"
                                "<row Enable=\"Y\" Name=\"B\" Type=\"\" Length=\"\" ReadOnly=\"\" Position=\"\" "
                                "StartBit=\"\" Conversion=\"\" MultiplicationFactor=\"\" Swap=\"\" SwapWord=\"\" "
                                "Mnemonic=\"\"/>"
                                "</IEC61850_Variables>"
                                "<!--SW_VERSION = 1.000-->";
    QTemporaryDir dir;
    const QString path = dir.filePath("IEC61850_Variables.xml");
    sw::writeVariablesFile(path, { filledRow(), second });
    QCOMPARE(readFile(path), expected);

    sw::writeVariablesFile(path, {});
    QCOMPARE(readFile(path), QByteArray("<IEC61850_Variables/><!--SW_VERSION = 1.000-->"));
}

void tst_VariablesDocument::roundTripKeepsTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("blanks only") << QStringLiteral("   ");
    QTest::newRow("surrounding blanks") << QStringLiteral("  a b  ");
    QTest::newRow("LF") << QStringLiteral("line 1\nline 2\n");
    QTest::newRow("CR LF") << QStringLiteral("line 1\r\nline 2\r\n");
    QTest::newRow("lone CR") << QStringLiteral("a\rb");
    QTest::newRow("tabs") << QStringLiteral("\ta\tb\t");
    QTest::newRow("quotes and ampersands") << QStringLiteral("\"x\" & 'y' <z> &amp; &#10;");
    QTest::newRow("non-ASCII") << QStringLiteral("Tensión 変電所 € \U0001F321");
}

void tst_VariablesDocument::roundTripKeepsTexts()
{
    QFETCH(QString, text);
    // The text in every field of a named row, and alone in the Mnemonic of a second row.
    VariableRow all;
    for (const sw::VariableAttribute &a : sw::VariableAttributes)
        all.*a.member = text;
    all.Name = "N" + text;
    VariableRow one;
    one.Name = "V";
    one.Mnemonic = text;
    const Rows rows { all, one };

    QTemporaryDir dir;
    const QString path = dir.filePath("IEC61850_Variables.xml");
    sw::writeVariablesFile(path, rows);
    const Rows back = sw::readVariablesFile(path);
    QCOMPARE(back, rows);
    QCOMPARE(sw::variablesDocument(back), readFile(path));
}

void tst_VariablesDocument::cutAtBlankName_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("kept");
    QTest::newRow("no rows") << QStringList {} << 0;
    QTest::newRow("no blank name") << QStringList { "A", "B", "C" } << 3;
    QTest::newRow("first row blank") << QStringList { "", "B" } << 0;
    QTest::newRow("blank between filled rows") << QStringList { "A", "B", "", "D" } << 2;
    QTest::newRow("blanks and tabs count as blank") << QStringList { "A", " \t ", "C" } << 1;
    QTest::newRow("padded name is not blank") << QStringList { " A ", "B" } << 2;
}

void tst_VariablesDocument::cutAtBlankName()
{
    QFETCH(QStringList, names);
    QFETCH(int, kept);
    Rows rows;
    for (const QString &name : names) {
        VariableRow r;
        r.Name = name;
        r.Mnemonic = "m" + name;
        rows.append(r);
    }
    QCOMPARE(sw::cutAtBlankName(rows), rows.first(kept));
}

void tst_VariablesDocument::writeFailureRaisesError()
{
    // A text that no XML document can hold: the file is named and the earlier file stays.
    VariableRow bad;
    bad.Name = "V";
    bad.Mnemonic = QStringLiteral("a\x01");
    const QString problem = sw::test::keptOnFailedWrite(
        "IEC61850_Variables.xml", [](const QString &path) { sw::writeVariablesFile(path, { filledRow() }); },
        [&bad](const QString &path) { sw::writeVariablesFile(path, { bad }); });
    QVERIFY2(problem.isEmpty(), qPrintable(problem));

    QTemporaryDir dir;
    QVERIFY_THROWS_EXCEPTION(sw::Error, sw::writeVariablesFile(dir.filePath("gone/IEC61850_Variables.xml"), {}));
}

QTEST_GUILESS_MAIN(tst_VariablesDocument)
#include "tst_VariablesDocument.moc"
