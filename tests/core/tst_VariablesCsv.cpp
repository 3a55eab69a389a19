#include "VariableRows.h"

#include "core/documents/VariablesCsv.h"
#include "core/text/Catalogue.h"
#include "core/text/MessageIds.h"

#include <QtTest>

using sw::VariableRow;
using sw::VariablesCsvProblem;
using sw::test::validRow;
using Rows = QList<VariableRow>;
Q_DECLARE_METATYPE(VariablesCsvProblem)

namespace {

// A list whose cells hold everything a reader could split, end, trim or garble. Disabled rows are
// not checked, so their cells can be anything, empty ones included.
Rows awkwardList()
{
    VariableRow quotes = validRow(QStringLiteral("say \"hi\""));
    quotes.Mnemonic = QStringLiteral("\"");
    VariableRow separators = validRow(QStringLiteral("a;b,c\td"));
    separators.Mnemonic = QStringLiteral(";");
    separators.Type = QStringLiteral(",");
    VariableRow breaks = validRow(QStringLiteral("first\nsecond"));
    breaks.Mnemonic = QStringLiteral("one\r\ntwo\rthree\n");
    VariableRow text = validRow(QStringLiteral("Temperatur Kessel \u00e4\u00f6\u00fc \u6e29\u5ea6 \U0001F525"));
    text.Mnemonic = QStringLiteral("\uFEFFstarts with a byte-order mark");
    VariableRow blanks = validRow(QStringLiteral("  padded\t"));
    blanks.Mnemonic = QStringLiteral(" ");
    // Cells a spreadsheet would take as formulas, and texts that already start with apostrophes.
    VariableRow formula = validRow(QStringLiteral("=HYPERLINK(\"http://example.invalid\")"));
    formula.Mnemonic = QStringLiteral("@SUM(A1)");
    VariableRow signs = validRow(QStringLiteral("-1+2"));
    signs.Mnemonic = QStringLiteral("+cmd");
    VariableRow apostrophes = validRow(QStringLiteral("'=already"));
    apostrophes.Mnemonic = QStringLiteral("''\tx");
    VariableRow plainApostrophe = validRow(QStringLiteral("'quoted'"));
    plainApostrophe.Mnemonic = QStringLiteral("\rstarts with CR");
    VariableRow empty;
    empty.Enable = QString();
    empty.Name = QStringLiteral("x");
    VariableRow disabled;
    disabled.Enable = QStringLiteral("N");
    disabled.Name = QStringLiteral("off");
    disabled.Length = QStringLiteral("99");
    disabled.MultiplicationFactor = QStringLiteral("1,5");
    disabled.Swap = QStringLiteral("\"\"");
    return { quotes, separators, breaks, text, blanks, formula, signs, apostrophes, plainApostrophe, empty, disabled };
}

const QByteArray header = "Enable;Name;Type;Length;ReadOnly;Position;StartBit;Conversion;MultiplicationFactor;Swap;"
                          "SwapWord;Mnemonic\r\n";

// `rows` lines of a valid row under the header, separated by ";".
QByteArray listOf(int rows)
{
    QByteArray csv = header;
    for (int i = 0; i < rows; ++i)
        csv += "Y;V" + QByteArray::number(i) + ";Int;2;N;10;;None;None;N;N;\r\n";
    return csv;
}

QString describe(const sw::VariablesCsvImport &result)
{
    if (!result.failure)
        return QStringLiteral("%1 rows").arg(result.rows.size());
    QStringList catalogue;
    sw::Default_Messages(catalogue);
    return sw::variablesCsvFailureText(*result.failure, catalogue);
}

} // namespace

class tst_VariablesCsv : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void exportBytes_data();
    void exportBytes();
    void separators_data();
    void separators();
    void columnsByName();
    void refusals_data();
    void refusals();
};

void tst_VariablesCsv::roundTrip_data()
{
    QTest::addColumn<QChar>("decimalSeparator");
    QTest::addColumn<QByteArray>("headerStart");
    QTest::newRow("decimal comma") << QChar(u',')
                                   << QByteArray("\xEF\xBB\xBF"
                                                 "Enable;Name;Type;");
    QTest::newRow("decimal point") << QChar(u'.')
                                   << QByteArray("\xEF\xBB\xBF"
                                                 "Enable,Name,Type,");
}

// Every stored row comes back with the same document bytes; the rows after a blank Name are not
// stored and so are not exported.
void tst_VariablesCsv::roundTrip()
{
    QFETCH(QChar, decimalSeparator);
    QFETCH(QByteArray, headerStart);
    Rows table = awkwardList();
    const Rows stored = table;
    table.append(VariableRow());
    table.append(validRow(QStringLiteral("after the end")));

    const QByteArray csv = sw::exportVariablesCsv(table, decimalSeparator);
    QVERIFY2(csv.startsWith(headerStart), csv.left(40).constData());
    QVERIFY(csv.endsWith("\r\n"));

    const sw::VariablesCsvImport back = sw::importVariablesCsv(csv, decimalSeparator);
    QVERIFY2(!back.failure, qPrintable(describe(back)));
    QCOMPARE(sw::variablesDocument(back.rows), sw::variablesDocument(stored));
    QCOMPARE(back.rows, stored);
}

void tst_VariablesCsv::exportBytes_data()
{
    QTest::addColumn<QChar>("decimalSeparator");
    QTest::addColumn<QString>("golden");
    QTest::newRow("decimal comma: ';'") << QChar(u',') << QStringLiteral("semicolon.csv");
    QTest::newRow("decimal point: ','") << QChar(u'.') << QStringLiteral("comma.csv");
}

// The exact bytes a spreadsheet gets. A reader that trims or splits would hide a cell written
// unquoted from the round trip, so the export is compared with files written by hand: a cell
// with a tab or space at either end, the separator, a quote or a line break is quoted.
void tst_VariablesCsv::exportBytes()
{
    QFETCH(QChar, decimalSeparator);
    QFETCH(QString, golden);

    const auto row = [](QStringList cells) {
        VariableRow r;
        QString *fields[] = { &r.Enable, &r.Name, &r.Type, &r.Length, &r.ReadOnly, &r.Position, &r.StartBit,
            &r.Conversion, &r.MultiplicationFactor, &r.Swap, &r.SwapWord, &r.Mnemonic };
        cells.resize(12);
        for (int c = 0; c < 12; ++c)
            *fields[c] = cells[c];
        return r;
    };
    const Rows rows = {
        row({ "Y", "\tlead tab", "Int", "2", "N", "10", "", "None", "1,5", "N", "N", "trail tab\t" }),
        row({ "Y", "a;b,c", "Float", "4", "Y", "20", "", "Int to Float", "None", "N", "N", "say \"hi\"" }),
        row({ "Y", "line\nbreak", "Digital (Bit)", "1", "N", "30", "7", "None", "None", "Y", "Y", " padded " }),
        row({ "N", QStringLiteral("Kessel \u00e4\u00f6 \u6e29\u5ea6") }),
        row({ "Y", "=HYPERLINK(\"http://example.invalid\")", "Int", "2", "N", "-1", "", "None", "None", "N", "N",
            "@cmd" }),
        row({ "Y", "'+1", "Int", "2", "N", "40", "", "None", "None", "N", "N", "'plain" }),
    };

    QFile expected(QStringLiteral(SW_SOURCE_DIR "/tests/core/golden/variables-csv/") + golden);
    QVERIFY(expected.open(QIODevice::ReadOnly));
    QCOMPARE(sw::exportVariablesCsv(rows, decimalSeparator), expected.readAll());
}

void tst_VariablesCsv::separators_data()
{
    QTest::addColumn<QByteArray>("csv");
    const QByteArray names[] = { "Enable", "Name", "Type", "Length", "ReadOnly", "Position", "StartBit", "Conversion",
        "MultiplicationFactor", "Swap", "SwapWord", "Mnemonic" };
    for (const char separator : { ';', ',', '\t' }) {
        QByteArray csv;
        for (const QByteArray &name : names)
            csv += name + separator;
        csv.chop(1);
        csv += "\r\n";
        // The Mnemonic holds all three separators and a quoted line break.
        const QList<QByteArray> cells
            = { "Y", "Pump", "Int", "2", "N", "10", "", "None", "None", "N", "N", "\"a;b,c\td \"\"x\"\"\nnext\"" };
        csv += cells.join(separator) + "\n";
        QTest::addRow("'%s' with byte-order mark", separator == '\t' ? "tab" : QByteArray(1, separator).constData())
            << QByteArray("\xEF\xBB\xBF" + csv);
        QTest::addRow("'%s' without", separator == '\t' ? "tab" : QByteArray(1, separator).constData()) << csv;
    }
}

// The separator is taken from the header line, whichever the reader's own decimal mark.
void tst_VariablesCsv::separators()
{
    QFETCH(QByteArray, csv);
    VariableRow expected = validRow(QStringLiteral("Pump"));
    expected.ReadOnly = expected.Swap = expected.SwapWord = QStringLiteral("N");
    expected.Mnemonic = QStringLiteral("a;b,c\td \"x\"\nnext");
    for (const QChar decimal : { QChar(u','), QChar(u'.') }) {
        const sw::VariablesCsvImport result = sw::importVariablesCsv(csv, decimal);
        QVERIFY2(!result.failure, qPrintable(describe(result)));
        QCOMPARE(result.rows, Rows { expected });
    }
}

// Columns are found by name in any order; an absent one gives the reader's default text.
void tst_VariablesCsv::columnsByName()
{
    const QByteArray csv = " Position ,Name,Conversion,Length,MultiplicationFactor,Mnemonic\n"
                           "7,Level,None,4,\"2.5\",\n"
                           "0,Flow,Lin,1,None, m3/h \n";
    const sw::VariablesCsvImport result = sw::importVariablesCsv(csv, u'.');
    QVERIFY2(!result.failure, qPrintable(describe(result)));
    QCOMPARE(result.rows.size(), 2);
    VariableRow level;
    level.Name = "Level";
    level.Position = "7";
    level.Conversion = "None";
    level.Length = "4";
    level.MultiplicationFactor = "2.5";
    level.ReadOnly = level.Swap = level.SwapWord = "N";
    QCOMPARE(result.rows[0], level);
    QCOMPARE(result.rows[1].Mnemonic, QStringLiteral(" m3/h ")); // unquoted cells are not trimmed
    QCOMPARE(result.rows[1].Enable, QStringLiteral("Y"));
}

void tst_VariablesCsv::refusals_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<int>("line");
    QTest::addColumn<VariablesCsvProblem>("problem");
    QTest::addColumn<QString>("detail");
    QTest::addColumn<QString>("ruleAttribute");

    const QByteArray valid = "Y;V;Int;2;N;10;;None;None;N;N;\r\n";
    QTest::newRow("50 rows are a full table") << listOf(50) << 0 << VariablesCsvProblem::Unreadable << ""
                                              << "";
    QTest::newRow("51 rows") << listOf(51) << 52 << VariablesCsvProblem::TooManyRows << ""
                             << "";
    QTest::newRow("unknown column") << QByteArray("Name;Comment;Enable\r\nA;b;Y\r\n") << 1
                                    << VariablesCsvProblem::UnknownColumn << "Comment"
                                    << "";
    QTest::newRow("column named twice") << QByteArray("Name,Length,Name\n") << 1 << VariablesCsvProblem::DuplicateColumn
                                        << "Name"
                                        << "";
    QTest::newRow("10 MB header cell") << QByteArray(10 * 1024 * 1024, 'h') + "\r\n"
                                       << 1 << VariablesCsvProblem::UnknownColumn << QString(10 * 1024 * 1024, u'h')
                                       << "";
    QTest::newRow("cell missing") << header + valid + "Y;W;Int;2\r\n"
                                  << 3 << VariablesCsvProblem::CellCount << "4"
                                  << "";
    QTest::newRow("quote inside an unquoted cell")
        << header + valid + "Y;W\"x;Int;2;N;10;;None;None;N;N;\r\n"
        << 3 << VariablesCsvProblem::Unreadable << "error parsing data while strict checking enabled"
        << "";
    QTest::newRow("quote never closed") << header + valid + "Y;\"W;Int;2;N;10;;None;None;N;N;\r\n"
                                        << 3 << VariablesCsvProblem::Unreadable
                                        << "error parsing data while strict checking enabled"
                                        << "";
    QTest::newRow("not UTF-8") << header + "Y;K\xE4ssel;Int;2;N;10;;None;None;N;N;\r\n"
                               << 2 << VariablesCsvProblem::NotUtf8 << ""
                               << "";
    QTest::newRow("empty file") << QByteArray("\xEF\xBB\xBF") << 1 << VariablesCsvProblem::NoHeaderLine << ""
                                << "";
    // The record that fails starts after a cell with two line breaks and a blank line.
    QTest::newRow("bad row after quoted line breaks") << header + valid
            + "Y;W;Int;2;N;10;;None;None;N;N;\"two\r\nthree\nlines\"\r\n\r\n" + "Y;Bad;Int;5;N;10;;None;None;N;N;\r\n"
                                                      << 7 << VariablesCsvProblem::InvalidRow << ""
                                                      << "Length";
    QTest::newRow("bad factor") << header + "Y;F;Int;2;N;10;;None;\"2,5,0\";N;N;\r\n"
                                << 2 << VariablesCsvProblem::InvalidRow << ""
                                << "MultiplicationFactor";
}

// A refused file gives no rows and one failure naming the line where the offending record starts.
void tst_VariablesCsv::refusals()
{
    QFETCH(QByteArray, csv);
    QFETCH(int, line);
    QFETCH(VariablesCsvProblem, problem);
    QFETCH(QString, detail);
    QFETCH(QString, ruleAttribute);

    const sw::VariablesCsvImport result = sw::importVariablesCsv(csv, u',');
    if (line == 0) {
        QVERIFY2(!result.failure, qPrintable(describe(result)));
        QCOMPARE(result.rows.size(), sw::VariableListCapacity);
        return;
    }
    QVERIFY2(result.failure, "accepted");
    QVERIFY(result.rows.isEmpty());
    QCOMPARE(result.failure->line, line);
    QCOMPARE(result.failure->problem, problem);
    QCOMPARE(result.failure->detail, detail);
    QCOMPARE(result.failure->rule ? QString::fromLatin1(result.failure->rule->attribute) : QString(), ruleAttribute);
    QVERIFY(describe(result).startsWith(QStringLiteral("Line %1: ").arg(line)));
    // A message quotes outside text only in part.
    QVERIFY2(describe(result).size() < 200, qPrintable(describe(result).left(300)));
}

QTEST_GUILESS_MAIN(tst_VariablesCsv)
#include "tst_VariablesCsv.moc"
