#include "VariableRows.h"

#include "core/documents/VariablesRules.h"
#include "core/text/Catalogue.h"
#include "core/text/MessageIds.h"

#include <QtTest>

#include <functional>

using sw::VariableRow;
using sw::test::validRow;
using Rows = QList<VariableRow>;
using Edit = std::function<void(Rows &)>;
Q_DECLARE_METATYPE(Edit)

namespace {

// The table as the dialog hands it over: three valid rows, then new rows up to the 50th.
Rows table()
{
    Rows rows { validRow("A"), validRow("B"), validRow("C") };
    rows.resize(sw::VariableListCapacity);
    return rows;
}

QString describe(const std::optional<sw::VariablesFailure> &f)
{
    if (!f)
        return QStringLiteral("valid");
    return QStringLiteral("row %1, entry %2 + \"%3\", %4 in column %5")
        .arg(f->row)
        .arg(f->message)
        .arg(f->detail, QString::fromLatin1(f->attribute))
        .arg(f->column);
}

} // namespace

class tst_VariablesRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstFailingVariable_data();
    void firstFailingVariable();
    void failureText_data();
    void failureText();
};

void tst_VariablesRules::firstFailingVariable_data()
{
    QTest::addColumn<Edit>("edit"); // applied to table()
    QTest::addColumn<QString>("expected");

    using namespace sw::MsgId;
    const auto row = [](const char *name, Edit edit, int message = 0, const char *attribute = "", int column = 0,
                         int at = 2, const char *detail = "") {
        QTest::newRow(name) << edit
                            << (message ? describe(sw::VariablesFailure { at, message, detail, attribute, column })
                                        : QStringLiteral("valid"));
    };
    // Sets one field of table row 2.
    const auto set = [](QString VariableRow::*member, const QString &text) {
        return Edit([=](Rows &rows) { rows[1].*member = text; });
    };
    using V = VariableRow;

    row("valid table", [](Rows &) {});
    row("empty Type passes", set(&V::Type, ""));

    // Length: 1 to 4; text that is no integer counts as -1.
    row("Length 1", set(&V::Length, "1"));
    row("Length 4", set(&V::Length, "4"));
    row("Length with blanks around", set(&V::Length, " 3 "));
    for (const char *bad : { "0", "5", "-1", "", "abc", "2.0", "0x2", "99999999999999999999" })
        row(qPrintable(QStringLiteral("Length \"%1\"").arg(QLatin1String(bad))), set(&V::Length, bad),
            VariablesErrLength, "Length", 4);

    // Position: 0 to 1437, reported with the highest position.
    row("Position 0", set(&V::Position, "0"));
    row("Position 1437", set(&V::Position, "1437"));
    for (const char *bad : { "1438", "-1", "", "x", "1e3" })
        row(qPrintable(QStringLiteral("Position \"%1\"").arg(QLatin1String(bad))), set(&V::Position, bad),
            VariablesErrPosition, "Position", 6, 2, "1437");

    // Start Bit: required only for the exact type "Digital (Bit)".
    const auto bitType = [](const char *type, const char *startBit) {
        return Edit([=](Rows &rows) {
            rows[1].Type = type;
            rows[1].StartBit = startBit;
        });
    };
    row("Digital with Start Bit 0", bitType("Digital (Bit)", "0"));
    row("Digital without Start Bit", bitType("Digital (Bit)", ""), VariablesErrStartBit, "StartBit", 7);
    row("Digital with blank Start Bit", bitType("Digital (Bit)", "  "), VariablesErrStartBit, "StartBit", 7);
    row("Float without Start Bit", bitType("Float", ""));
    row("type in other case needs no Start Bit", bitType("digital (bit)", ""));
    row("padded type needs no Start Bit", bitType(" Digital (Bit)", ""));

    // Conversion: any text but a blank one.
    row("Conversion free text", set(&V::Conversion, "x"));
    row("Conversion empty", set(&V::Conversion, ""), VariablesErrConversion, "Conversion", 8);
    row("Conversion blank", set(&V::Conversion, " \t"), VariablesErrConversion, "Conversion", 8);

    // Molt. Factor: "None" in any case with blanks around, or a number with either decimal mark.
    for (const char *good : { " none ", "NoNe", "1.5", "1,5", "-2", "0", "1e3" })
        row(qPrintable(QStringLiteral("factor \"%1\"").arg(QLatin1String(good))), set(&V::MultiplicationFactor, good));
    for (const char *bad : { "", "  ", "abc", "1,000.5", " 1.5", "None1", "1.5 " })
        row(qPrintable(QStringLiteral("factor \"%1\"").arg(QLatin1String(bad))), set(&V::MultiplicationFactor, bad),
            VariablesErrFactor, "MultiplicationFactor", 9);

    // Rules in their order; the first failing row is reported.
    row(
        "Length before Position",
        [](Rows &rows) {
            rows[1].Length = "9";
            rows[1].Position = "9999";
            rows[1].Conversion = "";
        },
        VariablesErrLength, "Length", 4);
    row(
        "Start Bit before Conversion and factor",
        [](Rows &rows) {
            rows[1].Type = "Digital (Bit)";
            rows[1].Conversion = "";
            rows[1].MultiplicationFactor = "x";
        },
        VariablesErrStartBit, "StartBit", 7);
    row(
        "earlier row first",
        [](Rows &rows) {
            rows[0].MultiplicationFactor = "x";
            rows[2].Length = "0";
        },
        VariablesErrFactor, "MultiplicationFactor", 9, 1);
    row(
        "failure in the 50th row",
        [](Rows &rows) {
            for (int i = 3; i < 50; ++i)
                rows[i] = validRow(QStringLiteral("V%1").arg(i + 1));
            rows[49].Conversion = "";
        },
        VariablesErrConversion, "Conversion", 8, 50);

    // Only enabled rows are checked: Enable trimmed must be exactly "Y".
    const auto invalidWithEnable = [](const char *enable) {
        return Edit([=](Rows &rows) {
            rows[1] = VariableRow { enable, "B", "Digital (Bit)", "x", "", "-5", "", "", "?", "", "", "" };
        });
    };
    row("disabled row not checked", invalidWithEnable("N"));
    row("lower-case y not checked", invalidWithEnable("y"));
    row("empty Enable not checked", invalidWithEnable(""));
    row("padded Y checked", invalidWithEnable(" Y "), VariablesErrLength, "Length", 4);

    // The list ends at the first blank Name: rows after it are not checked.
    const auto blankNameBeforeInvalid = [](const char *name) {
        return Edit([=](Rows &rows) {
            rows[1].Name = name;
            rows[1].Length = "0";
            rows[2].Position = "-1";
        });
    };
    row("empty Name ends the list", blankNameBeforeInvalid(""));
    row("blank Name ends the list", blankNameBeforeInvalid(" \t "));
    row("padded Name is a variable", blankNameBeforeInvalid(" B "), VariablesErrLength, "Length", 4);
    row("no rows at all", [](Rows &rows) { rows.clear(); });
}

void tst_VariablesRules::firstFailingVariable()
{
    QFETCH(Edit, edit);
    QFETCH(QString, expected);

    Rows rows = table();
    edit(rows);
    // Either decimal mark works whichever separator the system uses.
    for (const QChar separator : { QChar(u','), QChar(u'.') })
        QCOMPARE(describe(sw::firstFailingVariable(rows, separator)), expected);
}

void tst_VariablesRules::failureText_data()
{
    QTest::addColumn<int>("message");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("detail");
    QTest::addColumn<QString>("expected");

    using namespace sw::MsgId;
    QTest::newRow("Length") << VariablesErrLength << 12 << ""
                            << "Error row 12!! Length must be between 1 and 4";
    QTest::newRow("Position") << VariablesErrPosition << 3 << "1437"
                              << "Error row 3!! Position must be between 0 and 1437";
    QTest::newRow("Start Bit") << VariablesErrStartBit << 1 << ""
                               << "Error row 1!! Start Bit must be Selected ";
    QTest::newRow("Conversion") << VariablesErrConversion << 50 << ""
                                << "Error row 50!! Conversion must be Selected ";
    QTest::newRow("factor") << VariablesErrFactor << 7 << ""
                            << "Error row 7!! Molt. Factor must be a valid Float";
}

void tst_VariablesRules::failureText()
{
    QFETCH(int, message);
    QFETCH(int, row);
    QFETCH(QString, detail);
    QFETCH(QString, expected);

    QStringList catalogue;
    sw::Default_Messages(catalogue);
    const sw::VariablesFailure failure { row, message, detail, "", 0 };
    QCOMPARE(sw::variablesFailureText(failure, catalogue), expected);

    // The texts come from the catalogue in use.
    catalogue[sw::MsgId::VariablesErrRow] = "Fehler Zeile ";
    catalogue[message] = ": x";
    QCOMPARE(sw::variablesFailureText(failure, catalogue), "Fehler Zeile " + QString::number(row) + ": x" + detail);
}

QTEST_GUILESS_MAIN(tst_VariablesRules)
#include "tst_VariablesRules.moc"
