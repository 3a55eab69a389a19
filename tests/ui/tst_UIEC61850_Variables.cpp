#include "DialogFixture.h"
#include "PlainTips.h"
#include "TableCells.h"
#include "UnreadableDocument.h"
#include "VariableRows.h"

#include "core/documents/VariablesCsv.h"
#include "core/documents/VariablesDocument.h"
#include "core/text/Catalogue.h"
#include "core/text/MessageIds.h"
#include "core/xml/Xml.h"
#include "ui/documents/UIEC61850_Variables.h"
#include "ui/widgets/CellEditors.h"
#include "ui/widgets/FindingMarks.h"
#include "ui/widgets/ListTable.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include <memory>

using namespace sw;
using sw::test::readFile;
using sw::test::ScriptedMessages;
using sw::test::writeFile;

namespace {

// Data columns of the table, counted as the document's attributes are (1 = Enable ... 12 = Mnemonic).
enum Column {
    Enable = 1,
    Name,
    Type,
    Length,
    ReadOnly,
    Position,
    StartBit,
    Conversion,
    Factor,
    Swap,
    SwapWord,
    Mnemonic,
};

// A row that every rule accepts, as the table holds it: a Float of 4 bytes at position 10, its
// check boxes unticked.
VariableRow floatRow(const QString &name)
{
    VariableRow row = test::validRow(name);
    row.Type = QStringLiteral("Float");
    row.Length = QStringLiteral("4");
    row.ReadOnly = row.Swap = row.SwapWord = QStringLiteral("N");
    return row;
}

// A row holding `name` and nothing else but an unchecked Enable, so that no rule looks at it.
VariableRow namedRow(const QString &name)
{
    VariableRow row;
    row.Enable = QStringLiteral("N");
    row.Name = name;
    return row;
}

// A project folder with the dialog created as at start-up; the document is written by the test.
struct Fixture : test::DialogFixture<TFIEC61850_Variables>
{
    Fixture()
    {
        pv.File_IEC61850_Variables = path(QStringLiteral("IEC61850_Variables.xml"));
        dlg = std::make_unique<TFIEC61850_Variables>(pv, services);
    }

    ListTable *table() const { return get<ListTable>(QStringLiteral("ACG")); }

    [[nodiscard]] bool writeRows(const QList<VariableRow> &rows) const
    {
        return writeFile(pv.File_IEC61850_Variables, variablesDocument(rows));
    }
    QByteArray file() const { return readFile(pv.File_IEC61850_Variables); }

    // The cell of list row `row` (1 = first) and data column `column`.
    QString cell(int row, int column) const { return test::cellText(table(), row - 1, column - 1); }
    void setCell(int row, int column, const QString &text) const
    {
        QVERIFY(test::setCellText(table(), row - 1, column - 1, text));
    }
    VariableRow rowAt(int row) const
    {
        VariableRow v;
        for (int c = Enable; c <= Mnemonic; ++c)
            v.*VariableAttributes[size_t(c - 1)].member = cell(row, c);
        return v;
    }
    void setRow(int row, const VariableRow &v) const
    {
        for (int c = Enable; c <= Mnemonic; ++c)
            setCell(row, c, v.*VariableAttributes[size_t(c - 1)].member);
    }
    void select(int row) const { table()->setCurrentCell(row - 1, Name - 1); }

    QAction *action(const char *name) const { return get<QAction>(QString::fromLatin1(name)); }
    // Where the file choosers start, as the user sees it.
    QString folder() const { return QDir::toNativeSeparators(dir.path()); }

    // Every cell that shows a mark, as "row column severity: tooltip" with the tooltip as plain
    // text; "(no sign)" when the cell lacks the sign that stays visible under the selection.
    QStringList marks() const
    {
        QStringList found;
        const ListTable *t = table();
        for (int r = 0; r < t->rowCount(); ++r) {
            for (int c = 0; c < t->columnCount(); ++c) {
                const QString tip = test::cellTip(t, r, c);
                const QBrush background = test::cellBackground(t, r, c);
                const bool sign = !test::cellIcon(t, r, c).isNull();
                if (tip.isEmpty() && background.style() == Qt::NoBrush && !sign)
                    continue;
                QString severity = QStringLiteral("unknown");
                if (background.color() == markBackground(FindingMark::Error))
                    severity = QStringLiteral("error");
                else if (background.color() == markBackground(FindingMark::Warning))
                    severity = QStringLiteral("warning");
                found << QStringLiteral("%1 %2 %3%4: %5")
                             .arg(r + 1)
                             .arg(test::headerText(t, c), severity, sign ? QString() : QStringLiteral(" (no sign)"),
                                 test::shownTip(tip));
            }
        }
        return found;
    }
};

// The table as the dialog shows it after a load of `rows`: those rows, then default rows.
void verifyShows(const Fixture &f, const QList<VariableRow> &rows)
{
    for (int r = 1; r <= VariableListCapacity; ++r)
        QCOMPARE(f.rowAt(r), rows.value(r - 1));
}

// floatRow at another place of the internal data.
VariableRow validRowAt(const QString &name, int position)
{
    VariableRow row = floatRow(name);
    row.Position = QString::number(position);
    return row;
}

} // namespace

class tst_UIEC61850_Variables : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void layoutTextsAndEditors();
    void languageChangeReappliesTexts();
    void defaultRowsWithoutDocument();
    void everyColumnShowsAndStoresItsField();
    void everyShowingReloadsAndCancelDiscards();
    void validation_data();
    void validation();
    void listEndsAtFirstBlankName();
    void okRefusesABlankFirstRow_data();
    void okRefusesABlankFirstRow();
    void disabledRowsStoredUnchecked();
    void deleteRowAsksFirst_data();
    void deleteRowAsksFirst();
    void insertRowMakesAnEnabledRow();
    void copyAndPaste();
    void malformedDocumentShowsErrorAndDefaults_data();
    void malformedDocumentShowsErrorAndDefaults();
    void writeFailureKeepsDialogOpen_data();
    void writeFailureKeepsDialogOpen();
    void keyboardAlone();
    void exportWritesTheRowsShown_data();
    void exportWritesTheRowsShown();
    void exportFailureShowsTheReason();
    void importReplacesTheTable_data();
    void importReplacesTheTable();
    void refusedImportChangesNothing_data();
    void refusedImportChangesNothing();
    void cancelledChooserDoesNothing_data();
    void cancelledChooserDoesNothing();
    void menuAndKeysReachTheCommands_data();
    void menuAndKeysReachTheCommands();
    void closingWhileEditing();
    void marksFollowTheFindings_data();
    void marksFollowTheFindings();
    void undoAndRedoEachStep_data();
    void undoAndRedoEachStep();
    void undoingBackCountsAsUnchanged();
    void editAfterAnUndoKeepsTheUndoneCell_data();
    void editAfterAnUndoKeepsTheUndoneCell();
    void editsOfOneCellAreOneStep();
};

void tst_UIEC61850_Variables::layoutTextsAndEditors()
{
    Fixture f;
    f.open();
    QCOMPARE(f.dlg->windowTitle(), QStringLiteral("Set Variables Access for IEC61850"));
    QCOMPARE(f.get<QLabel>("L_SW_Code")->text(), QStringLiteral("SW61942"));
    QCOMPARE(f.get<QLabel>("L_SW_Desc")->text(), QStringLiteral("Set Variables Access for IEC61850"));
    QCOMPARE(f.dlg->size(), QSize(1155, 337));

    ListTable *t = f.table();
    QCOMPARE(t->rowCount(), 50);
    QCOMPARE(t->columnCount(), 12);
    QCOMPARE(t->cornerText(), QStringLiteral("N"));
    QCOMPARE(t->verticalHeader()->width(), 40);
    QCOMPARE(t->model()->headerData(0, Qt::Vertical).toString(), QStringLiteral("1"));
    QCOMPARE(t->model()->headerData(49, Qt::Vertical).toString(), QStringLiteral("50"));

    struct Expected
    {
        const char *header;
        int hint;
        const char *editor;
        QStringList choices;
        int width;
    };
    const QList<Expected> columns = {
        { "Enable", 922, "check", {}, 50 },
        { "Name", 923, "text", {}, 250 },
        { "Type", 924, "list", { "Int", "Float", "Digital (Bit)" }, 80 },
        { "Length", 925, "text", {}, 65 },
        { "Read Only", 926, "check", {}, 65 },
        { "Position", 927, "text", {}, 80 },
        { "Start Bit", 935, "list", { "0", "1", "2", "3", "4", "5", "6", "7" }, 60 },
        { "Conversion", 936, "list", { "None", "Int to Float", "Float to Int" }, 75 },
        { "Molt. Factor", 937, "typed list", { "None" }, 75 },
        { "Swap", 944, "check", {}, 45 },
        { "Swap Word", 945, "check", {}, 80 },
        { "Mnemonic", 928, "text", {}, 128 },
    };
    for (int c = 0; c < 12; ++c) {
        const Expected &e = columns[c];
        const char *where = e.header;
        QCOMPARE(test::headerText(t, c), QString::fromLatin1(e.header));
        QCOMPARE(
            test::shownTip(t->model()->headerData(c, Qt::Horizontal, Qt::ToolTipRole).toString()), f.pv.msg(e.hint));
        QVERIFY2(t->columnWidth(c) == e.width, where);
        QAbstractItemDelegate *d = t->itemDelegateForColumn(c);
        QString editor = QStringLiteral("none");
        QStringList choices;
        if (qobject_cast<CheckBoxDelegate *>(d)) {
            editor = QStringLiteral("check");
        } else if (qobject_cast<TextDelegate *>(d)) {
            editor = QStringLiteral("text");
        } else if (auto *list = qobject_cast<ChoiceDelegate *>(d)) {
            editor = list->isEditable() ? QStringLiteral("typed list") : QStringLiteral("list");
            choices = list->choices();
        }
        QVERIFY2(editor == QLatin1String(e.editor), where);
        QVERIFY2(choices == e.choices, where);
    }
    // Every cell of every column can be edited, whatever the row holds.
    for (int c = 0; c < 12; ++c)
        QVERIFY(t->model()->index(7, c).flags().testFlag(Qt::ItemIsEditable));

    // The six buttons from left to right, with their captions and hints.
    const QList<std::pair<const char *, int>> buttons = { { "Btn_OK", 902 }, { "Btn_Cancel", 903 },
        { "Btn_DelRow", 904 }, { "Btn_InsRow", 905 }, { "Btn_CopyRow", 906 }, { "Btn_PasteRow", 907 } };
    int left = -1;
    for (const auto &[name, caption] : buttons) {
        auto *button = f.get<QPushButton>(name);
        QVERIFY2(button->isVisible() && button->x() > left, name);
        left = button->x();
        QCOMPARE(button->text(), f.pv.msg(caption));
        QCOMPARE(test::shownTip(button->toolTip()), f.pv.msg(caption + 6));
        // Each caption shows whole.
        QVERIFY2(button->width() >= button->fontMetrics().horizontalAdvance(button->text()), name);
    }
    // The table lies between the title panel and the button band, and every column fits beside
    // the row numbers without a horizontal scroll bar.
    QVERIFY(t->geometry().top() >= f.get("P_Title")->geometry().bottom());
    QVERIFY(t->geometry().bottom() <= f.get("P_Button")->geometry().top());
    QVERIFY(!t->horizontalScrollBar()->isVisible());
}

void tst_UIEC61850_Variables::languageChangeReappliesTexts()
{
    Fixture f;
    f.pv.Msg_Catalogue[MsgId::VariablesCaption] = QStringLiteral("Variabili IEC61850");
    f.pv.Msg_Catalogue[MsgId::VariablesRowNumber] = QStringLiteral("Nr");
    f.pv.Msg_Catalogue[MsgId::VariablesName] = QStringLiteral("Nome");
    f.pv.Msg_Catalogue[MsgId::VariablesHintSwapWord] = QStringLiteral("Scambia le parole");
    f.pv.Msg_Catalogue[MsgId::VariablesPasteRow] = QStringLiteral("Incolla");
    f.pv.Msg_Catalogue[MsgId::VariablesHintPasteRow] = QStringLiteral("Incolla la riga copiata");
    f.dlg->Set_Lang();
    f.dlg->Set_Lang(); // the hints are replaced, not added to

    ListTable *t = f.table();
    QCOMPARE(f.dlg->windowTitle(), QStringLiteral("Variabili IEC61850"));
    QCOMPARE(t->cornerText(), QStringLiteral("Nr"));
    QCOMPARE(test::headerText(t, Name - 1), QStringLiteral("Nome"));
    QCOMPARE(test::shownTip(t->model()->headerData(SwapWord - 1, Qt::Horizontal, Qt::ToolTipRole).toString()),
        QStringLiteral("Scambia le parole"));
    QCOMPARE(test::shownTip(t->model()->headerData(Mnemonic - 1, Qt::Horizontal, Qt::ToolTipRole).toString()),
        f.pv.msg(MsgId::VariablesHintMnemonic));
    QCOMPARE(f.get<QPushButton>("Btn_PasteRow")->text(), QStringLiteral("Incolla"));
    QCOMPARE(test::shownTip(f.get<QPushButton>("Btn_PasteRow")->toolTip()), QStringLiteral("Incolla la riga copiata"));
}

void tst_UIEC61850_Variables::defaultRowsWithoutDocument()
{
    Fixture f;
    f.open();
    verifyShows(f, {});
    QCOMPARE(f.cell(50, Enable), QStringLiteral("Y"));

    // Cancel writes nothing; OK on the default rows stores an empty list.
    f.click("Btn_Cancel");
    QVERIFY(!f.dlg->isVisible());
    QCOMPARE(f.dlg->result(), int(QDialog::Rejected));
    QVERIFY(!QFile::exists(f.pv.File_IEC61850_Variables));

    f.open();
    f.click("Btn_OK");
    QVERIFY2(f.messages.records.isEmpty(), qPrintable(f.messages.last()));
    QCOMPARE(f.dlg->result(), int(QDialog::Accepted));
    QCOMPARE(f.file(), variablesDocument({}));
}

void tst_UIEC61850_Variables::everyColumnShowsAndStoresItsField()
{
    // Every field of a row differs from every other and from its default, blanks kept, so a
    // column bound to the wrong field, or to none, shows or stores something else.
    const VariableRow first { QStringLiteral("Y"), QStringLiteral(" LD0/MMXU1.TotW "), QStringLiteral("Int"),
        QStringLiteral("2"), QStringLiteral("Y"), QStringLiteral("1437"), QStringLiteral("5"),
        QStringLiteral("Float to Int"), QStringLiteral("0,25"), QStringLiteral("Y"), QStringLiteral("N"),
        QStringLiteral("Total power, <kW> & \"net\"") };
    const VariableRow second { QStringLiteral("N"), QStringLiteral("Spare"), QStringLiteral("odd type"),
        QStringLiteral("x"), QStringLiteral(""), QStringLiteral("-3"), QStringLiteral("9"), QString(),
        QStringLiteral("abc"), QStringLiteral("N"), QStringLiteral("Y"), QString() };
    Fixture f;
    // The third row lacks every attribute but Name: Enable reads "Y", the check boxes "N".
    QByteArray document = variablesDocument({ first, second });
    document.replace("</IEC61850_Variables>", "<row Name=\"Third\" Length=\"1\"/></IEC61850_Variables>");
    QVERIFY(writeFile(f.pv.File_IEC61850_Variables, document));
    VariableRow third;
    third.Name = QStringLiteral("Third");
    third.Length = QStringLiteral("1");
    third.ReadOnly = third.Swap = third.SwapWord = QStringLiteral("N");

    f.open();
    verifyShows(f, { first, second, third });

    // The third row needs a Position and a Conversion to pass; then all three are stored as shown.
    third.Position = QStringLiteral("0");
    third.Conversion = QStringLiteral("Int to Float");
    third.MultiplicationFactor = QStringLiteral(" none ");
    f.setRow(3, third);
    QFile::remove(f.pv.File_IEC61850_Variables);
    f.click("Btn_OK");
    QVERIFY2(f.messages.records.isEmpty(), qPrintable(f.messages.last()));
    QCOMPARE(f.file(), variablesDocument({ first, second, third }));

    f.open();
    verifyShows(f, { first, second, third });
}

void tst_UIEC61850_Variables::everyShowingReloadsAndCancelDiscards()
{
    Fixture f;
    QVERIFY(f.writeRows({ floatRow("A"), floatRow("B") }));
    f.open();
    f.setCell(1, Name, QStringLiteral("Edited"));
    f.setCell(5, Name, QStringLiteral("Added"));
    f.click("Btn_Cancel");
    QVERIFY(!f.dlg->isVisible());
    QCOMPARE(f.file(), variablesDocument({ floatRow("A"), floatRow("B") }));

    // Shown again: the file as it is now, nothing of the edits.
    QVERIFY(f.writeRows({ floatRow("C") }));
    f.open();
    verifyShows(f, { floatRow("C") });

    // The document gone, the table is back to its default rows.
    f.dlg->reject();
    QVERIFY(QFile::remove(f.pv.File_IEC61850_Variables));
    f.open();
    verifyShows(f, {});
}

void tst_UIEC61850_Variables::validation_data()
{
    // The rules and their boundaries are checked in core; here each rule is reached through the
    // table, in a row far enough down that its cell must be scrolled into view.
    QTest::addColumn<QStringList>("edits"); // "column=text" in row 40
    QTest::addColumn<QString>("message"); // empty: accepted
    QTest::addColumn<int>("column"); // the refused cell's

    QTest::newRow("Length") << QStringList { "4=5" } << "Error row 40!! Length must be between 1 and 4" << int(Length);
    QTest::newRow("Position") << QStringList { "6=1438" } << "Error row 40!! Position must be between 0 and 1437"
                              << int(Position);
    QTest::newRow("Start Bit") << QStringList { "3=Digital (Bit)", "7= " }
                               << "Error row 40!! Start Bit must be Selected " << int(StartBit);
    QTest::newRow("Conversion") << QStringList { "8=" } << "Error row 40!! Conversion must be Selected "
                                << int(Conversion);
    QTest::newRow("Molt. Factor") << QStringList { "9=1.5.0" } << "Error row 40!! Molt. Factor must be a valid Float"
                                  << int(Factor);
    QTest::newRow("the first rule of the row wins")
        << QStringList { "4=0", "8=", "9=" } << "Error row 40!! Length must be between 1 and 4" << int(Length);
    QTest::newRow("accepted: digital with a bit, factor with either mark")
        << QStringList { "3=Digital (Bit)", "7=3", "9=1,5" } << "" << 0;
}

void tst_UIEC61850_Variables::validation()
{
    QFETCH(QStringList, edits);
    QFETCH(QString, message);
    QFETCH(int, column);

    Fixture f;
    QList<VariableRow> rows;
    for (int r = 1; r <= 45; ++r)
        rows.append(floatRow(QStringLiteral("V%1").arg(r)));
    rows[2].MultiplicationFactor = QStringLiteral("0.5");
    QVERIFY(f.writeRows(rows));
    QVERIFY(f.openActive());
    const QByteArray before = f.file();
    for (const QString &e : edits) {
        const qsizetype eq = e.indexOf(u'=');
        f.setCell(40, e.left(eq).toInt(), e.mid(eq + 1));
    }
    f.get("Btn_OK")->setFocus();
    f.click("Btn_OK");

    if (message.isEmpty()) {
        QVERIFY2(f.messages.records.isEmpty(), qPrintable(f.messages.last()));
        QCOMPARE(f.dlg->result(), int(QDialog::Accepted));
        QCOMPARE(readVariablesFile(f.pv.File_IEC61850_Variables).value(39), f.rowAt(40));
        return;
    }
    QCOMPARE(f.messages.records.size(), 1);
    QCOMPARE(f.messages.records[0].kind, ScriptedMessages::Kind::Error);
    QCOMPARE(f.messages.last(), message);
    QVERIFY(f.dlg->isVisible());
    QCOMPARE(f.file(), before);
    // The refused cell is current, in view and has the keyboard.
    ListTable *t = f.table();
    QCOMPARE(t->currentRow(), 39);
    QCOMPARE(t->currentColumn(), column - 1);
    QCOMPARE(QApplication::focusWidget(), t);
    QVERIFY(t->viewport()->rect().contains(t->visualRect(t->currentIndex())));
}

void tst_UIEC61850_Variables::listEndsAtFirstBlankName()
{
    Fixture f;
    f.open();
    f.setRow(1, floatRow("A"));
    f.setRow(2, floatRow("B"));
    // Row 3 ends the list: its Name is only blanks. Row 4 would fail every rule.
    VariableRow blank = floatRow("   ");
    f.setRow(3, blank);
    VariableRow after = floatRow("After");
    after.Length = QStringLiteral("x");
    f.setRow(4, after);

    // OK refuses while a row below the end holds anything, naming the blank row.
    f.click("Btn_OK");
    QVERIFY(f.dlg->isVisible());
    QCOMPARE(f.messages.records.size(), 1);
    QCOMPARE(f.messages.last(),
        QStringLiteral("Row 3 has no Name, so the list ends there and the rows below it "
                       "would not be stored. Fill in row 3 or delete it."));
    QCOMPARE(f.table()->currentRow(), 2);
    QCOMPARE(f.table()->currentColumn(), 1);
    QCOMPARE(f.file(), QByteArray("<unreadable>"));

    // Emptied, row 4 is dropped with the end row, whatever row 3 holds besides its Name.
    f.messages.clear();
    f.setRow(4, VariableRow {});
    f.click("Btn_OK");
    QVERIFY2(f.messages.records.isEmpty(), qPrintable(f.messages.last()));
    QCOMPARE(f.dlg->result(), int(QDialog::Accepted));
    QCOMPARE(f.file(), variablesDocument({ floatRow("A"), floatRow("B") }));

    f.open();
    verifyShows(f, { floatRow("A"), floatRow("B") });
}

void tst_UIEC61850_Variables::okRefusesABlankFirstRow_data()
{
    QTest::addColumn<QStringList>("edits"); // "row column=text"; "row" alone empties the row

    QTest::newRow("Name emptied, rows below") << QStringList { "1 2=" };
    QTest::newRow("Name of blanks, rows below") << QStringList { "1 2=   " };
    QTest::newRow("only a Mnemonic in the last row") << QStringList { "1", "2", "3", "50 12=note" };
}

// With row 1 blank the list would be empty: OK refuses while any row below holds something, and the
// stored list stays as it was.
void tst_UIEC61850_Variables::okRefusesABlankFirstRow()
{
    QFETCH(QStringList, edits);
    Fixture f;
    QVERIFY(f.writeRows({ floatRow("A"), floatRow("B"), floatRow("C") }));
    const QByteArray stored = f.file();
    f.open();
    for (const QString &edit : edits) {
        const int row = edit.section(u' ', 0, 0).toInt();
        const QString cell = edit.section(u' ', 1);
        if (cell.isEmpty())
            f.setRow(row, VariableRow {});
        else
            f.setCell(row, cell.section(u'=', 0, 0).toInt(), cell.section(u'=', 1));
    }

    f.click("Btn_OK");
    QVERIFY(f.dlg->isVisible());
    QCOMPARE(f.messages.texts(),
        QStringList { QStringLiteral("Row 1 has no Name, so the list ends there and the rows below it "
                                     "would not be stored. Fill in row 1 or delete it.") });
    QCOMPARE(f.table()->currentRow(), 0);
    QCOMPARE(f.table()->currentColumn(), Name - 1);
    QCOMPARE(f.file(), stored);
}

void tst_UIEC61850_Variables::disabledRowsStoredUnchecked()
{
    // Only an Enable of "Y" (blanks around it allowed) asks for the rules.
    Fixture f;
    f.open();
    VariableRow off = namedRow("Off");
    off.Length = QStringLiteral("99");
    off.Position = QStringLiteral("1438");
    off.Type = QStringLiteral("Digital (Bit)");
    off.MultiplicationFactor = QStringLiteral("abc");
    VariableRow empty = off;
    empty.Enable = QString();
    empty.Name = QStringLiteral("Empty enable");
    VariableRow lower = off;
    lower.Enable = QStringLiteral("y");
    lower.Name = QStringLiteral("Lower-case enable");
    f.setRow(1, off);
    f.setRow(2, empty);
    f.setRow(3, lower);
    f.click("Btn_OK");
    QVERIFY2(f.messages.records.isEmpty(), qPrintable(f.messages.last()));
    QCOMPARE(readVariablesFile(f.pv.File_IEC61850_Variables), QList<VariableRow>({ off, empty, lower }));

    f.open();
    VariableRow spaced = off;
    spaced.Enable = QStringLiteral(" Y ");
    f.setRow(2, spaced);
    f.click("Btn_OK");
    QCOMPARE(f.messages.last(), QStringLiteral("Error row 2!! Length must be between 1 and 4"));
}

void tst_UIEC61850_Variables::deleteRowAsksFirst_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("Yes deletes") << true;
    QTest::newRow("No keeps the row") << false;
}

void tst_UIEC61850_Variables::deleteRowAsksFirst()
{
    QFETCH(bool, yes);
    Fixture f;
    QList<VariableRow> rows;
    for (int r = 1; r <= 50; ++r)
        rows.append(namedRow(QStringLiteral("R%1").arg(r)));
    QVERIFY(f.writeRows(rows));
    f.open();
    f.select(12);
    f.messages.answers = { yes };
    f.click("Btn_DelRow");
    QCOMPARE(f.messages.records.size(), 1);
    QCOMPARE(f.messages.records[0].kind, ScriptedMessages::Kind::Confirm);
    QCOMPARE(f.messages.last(), QStringLiteral("Are you sure to delete the Row number 12"));
    const QByteArray stored = f.file();
    if (yes) {
        // Every row below moves up; the freed last row is entirely empty, its Enable included.
        rows.removeAt(11);
        VariableRow empty;
        empty.Enable.clear();
        rows.append(empty);
    }
    verifyShows(f, rows);
    QCOMPARE(f.table()->model()->headerData(11, Qt::Vertical).toString(), QStringLiteral("12"));
    QCOMPARE(f.file(), stored); // written only on OK
}

void tst_UIEC61850_Variables::insertRowMakesAnEnabledRow()
{
    Fixture f;
    QList<VariableRow> rows;
    for (int r = 1; r <= 50; ++r)
        rows.append(namedRow(QStringLiteral("R%1").arg(r)));
    QVERIFY(f.writeRows(rows));
    f.open();
    f.select(2);
    // The last row is in use: Insert asks first, and No changes nothing.
    f.messages.answers = { false };
    f.click("Btn_InsRow");
    QCOMPARE(f.messages.records.size(), 1);
    verifyShows(f, rows);
    f.click("Btn_InsRow"); // Yes
    // The new row has Enable "Y" and nothing else; the last row's content is lost.
    rows.insert(1, VariableRow {});
    rows.removeLast();
    verifyShows(f, rows);
}

void tst_UIEC61850_Variables::copyAndPaste()
{
    Fixture f;
    VariableRow a = floatRow("A");
    a.Mnemonic = QStringLiteral("copied");
    a.ReadOnly = QStringLiteral("Y");
    const VariableRow b = floatRow("B");
    QVERIFY(f.writeRows({ a, b }));
    f.open();

    // Nothing copied in this showing yet.
    f.select(3);
    f.click("Btn_PasteRow");
    QCOMPARE(f.messages.texts(), QStringList { f.pv.msg(MsgId::RowNothingCopied) });
    QCOMPARE(f.rowAt(3), VariableRow {});

    // A default row holds nothing but its Enable check box: pasted over without a question.
    f.messages.clear();
    f.select(1);
    f.click("Btn_CopyRow");
    f.select(3);
    f.click("Btn_PasteRow");
    QVERIFY(f.messages.records.isEmpty());
    QCOMPARE(f.rowAt(3), a);

    // A row in use asks first.
    f.select(2);
    f.messages.answers = { false };
    f.click("Btn_PasteRow");
    QCOMPARE(f.messages.texts(), QStringList { f.pv.msg(MsgId::RowAlreadyUsed) });
    QCOMPARE(f.rowAt(2), b);
    f.messages.clear();
    f.messages.answers = { true };
    f.click("Btn_PasteRow");
    QCOMPARE(f.messages.texts(), QStringList { f.pv.msg(MsgId::RowAlreadyUsed) });
    QCOMPARE(f.rowAt(2), a);

    // The copy lives only as long as the showing that made it.
    f.click("Btn_Cancel");
    f.messages.clear();
    f.open();
    QVERIFY(!f.pv.Row_Copy_List.isEmpty());
    f.select(5);
    f.click("Btn_PasteRow");
    QCOMPARE(f.messages.texts(), QStringList { f.pv.msg(MsgId::RowNothingCopied) });
    QCOMPARE(f.rowAt(5), VariableRow {});
}

void tst_UIEC61850_Variables::malformedDocumentShowsErrorAndDefaults_data()
{
    test::addUnreadableDocumentRows({ "duplicated attribute", "unclosed element", "empty file" });
}

void tst_UIEC61850_Variables::malformedDocumentShowsErrorAndDefaults()
{
    QFETCH(QByteArray, document);
    Fixture f;
    test::showUnreadableDocument(f.dlg.get(), f.messages, f.pv.File_IEC61850_Variables,
        variablesDocument({ floatRow("Earlier") }), document, [&] { verifyShows(f, { floatRow("Earlier") }); });
    if (QTest::currentTestFailed())
        return;
    // Nothing of the earlier showing is left over.
    verifyShows(f, {});

    // Leaving writes nothing; OK replaces the unreadable file with the list on show.
    f.click("Btn_Cancel");
    QCOMPARE(f.file(), document);
    f.open();
    f.setRow(1, floatRow("New"));
    f.click("Btn_OK");
    QCOMPARE(f.dlg->result(), int(QDialog::Accepted));
    QCOMPARE(f.file(), variablesDocument({ floatRow("New") }));
}

void tst_UIEC61850_Variables::writeFailureKeepsDialogOpen_data()
{
    QTest::addColumn<bool>("missingFolder");
    QTest::addColumn<QString>("mnemonic");
    QTest::newRow("folder missing") << true << "ok";
    // A control character cannot be written into the document: the save is refused whole.
    QTest::newRow("unwritable character") << false << "a\x01";
}

void tst_UIEC61850_Variables::writeFailureKeepsDialogOpen()
{
    QFETCH(bool, missingFolder);
    QFETCH(QString, mnemonic);
    Fixture f;
    if (missingFolder)
        f.pv.File_IEC61850_Variables = f.path(QStringLiteral("missing/IEC61850_Variables.xml"));
    else
        QVERIFY(f.writeRows({ floatRow("Earlier") }));
    const QByteArray before = f.file();
    f.open();
    VariableRow row = floatRow("Changed");
    row.Mnemonic = mnemonic;
    f.setRow(1, row);
    f.click("Btn_OK");

    QCOMPARE(f.messages.records.size(), 1);
    QCOMPARE(f.messages.records[0].kind, ScriptedMessages::Kind::GeneralError);
    QVERIFY2(f.messages.last().contains(QDir::toNativeSeparators(f.pv.File_IEC61850_Variables)),
        qPrintable(f.messages.last()));
    QVERIFY(f.dlg->isVisible());
    QCOMPARE(f.rowAt(1), row);
    QCOMPARE(f.file(), before);
    QCOMPARE(QDir(QFileInfo(f.pv.File_IEC61850_Variables).path()).entryList(QDir::Files),
        missingFolder ? QStringList() : QStringList { QStringLiteral("IEC61850_Variables.xml") });
}

void tst_UIEC61850_Variables::keyboardAlone()
{
    // A variable typed in, checked and stored without the mouse.
    Fixture f;
    QVERIFY(f.openActive());
    ListTable *t = f.table();
    QCOMPARE(QApplication::focusWidget(), t);
    QCOMPARE(t->currentRow(), 0);
    QCOMPARE(t->currentColumn(), 0);

    const auto key = [](Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), k, m);
    };
    const auto type = [&](const QString &text) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F2);
        QTest::keyClicks(QApplication::focusWidget(), text);
        key(Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(), t); // the editor closes once the event loop runs
    };
    key(Qt::Key_Space); // Enable off...
    key(Qt::Key_Space); // ...and on again
    key(Qt::Key_Tab);
    type(QStringLiteral("LD0/GGIO1.Ind1"));
    key(Qt::Key_Tab);
    type(QStringLiteral("D")); // Type: the first choice that starts with D
    key(Qt::Key_Tab);
    type(QStringLiteral("1"));
    key(Qt::Key_Tab);
    key(Qt::Key_Space); // Read Only
    key(Qt::Key_Tab);
    type(QStringLiteral("100"));
    key(Qt::Key_Tab);
    type(QStringLiteral("7"));
    key(Qt::Key_Tab);
    type(QStringLiteral("N"));
    key(Qt::Key_Tab);
    type(QStringLiteral("2,5"));
    QCOMPARE(QApplication::focusWidget(), t);
    VariableRow typed { QStringLiteral("Y"), QStringLiteral("LD0/GGIO1.Ind1"), QStringLiteral("Digital (Bit)"),
        QStringLiteral("1"), QStringLiteral("Y"), QStringLiteral("100"), QStringLiteral("7"), QStringLiteral("None"),
        QStringLiteral("2,5"), QString(), QString(), QString() };
    QCOMPARE(f.rowAt(1), typed);

    // Ctrl+Tab leaves the table for the buttons, Tab goes through them left to right and back into
    // the table; Ctrl+Shift+Tab leaves the table backwards.
    QStringList seen;
    key(Qt::Key_Tab, Qt::ControlModifier);
    for (int i = 0; i < 7; ++i) {
        seen << QApplication::focusWidget()->objectName();
        key(Qt::Key_Tab);
    }
    QCOMPARE(seen,
        QStringList({ "Btn_OK", "Btn_Cancel", "Btn_DelRow", "Btn_InsRow", "Btn_CopyRow", "Btn_PasteRow", "ACG" }));
    QCOMPARE(QApplication::focusWidget(), t);
    key(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Btn_PasteRow"));

    // Enter presses the focused button.
    key(Qt::Key_Tab);
    key(Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Btn_OK"));
    key(Qt::Key_Return);
    QVERIFY2(f.messages.records.isEmpty(), qPrintable(f.messages.last()));
    QCOMPARE(f.dlg->result(), int(QDialog::Accepted));
    QCOMPARE(readVariablesFile(f.pv.File_IEC61850_Variables), QList<VariableRow>({ typed }));
}

void tst_UIEC61850_Variables::exportWritesTheRowsShown_data()
{
    QTest::addColumn<std::optional<QChar>>("regional");
    QTest::addColumn<char>("separator");
    QTest::newRow("decimal point: comma separated") << std::optional<QChar>(u'.') << ',';
    QTest::newRow("decimal comma: semicolon separated") << std::optional<QChar>(u',') << ';';
    QTest::newRow("no usable mark: taken as a comma") << std::optional<QChar>() << ';';
}

void tst_UIEC61850_Variables::exportWritesTheRowsShown()
{
    QFETCH(std::optional<QChar>, regional);
    QFETCH(char, separator);
    Fixture f;
    f.regional.separator = regional;
    VariableRow a = floatRow("A");
    a.MultiplicationFactor = QStringLiteral("0,5");
    QVERIFY(f.writeRows({ a, floatRow("B") }));
    const QByteArray document = f.file();
    f.open();
    // Edits not yet stored are exported; the list ends at the first blank Name, as on OK.
    VariableRow b = floatRow("B");
    b.Mnemonic = QStringLiteral("edited; with, both");
    f.setRow(2, b);
    f.setRow(4, floatRow("After the end"));
    // An earlier, longer file is replaced whole.
    const QString target = f.path(QStringLiteral("points.csv"));
    QVERIFY(writeFile(target, QByteArray(4096, 'x')));
    f.files.answers = { target };

    f.action("exportCsv")->trigger();

    QVERIFY2(f.messages.records.isEmpty(), qPrintable(f.messages.last()));
    const QByteArray written = readFile(target);
    QCOMPARE(written, exportVariablesCsv({ a, b }, regional.value_or(u',') == u'.' ? u'.' : u','));
    const QByteArray header = QByteArray("\xEF\xBB\xBF") + "Enable" + separator + "Name" + separator;
    QVERIFY2(written.startsWith(header), written.left(40).constData());
    QCOMPARE(f.files.calls.size(), 1);
    QVERIFY(f.files.calls[0].save);
    QCOMPARE(f.files.calls[0].caption, QStringLiteral("Export to CSV"));
    QCOMPARE(f.files.calls[0].start, QDir::toNativeSeparators(f.path(QStringLiteral("IEC61850_Variables.csv"))));
    QCOMPARE(f.files.calls[0].filter, QStringLiteral("CSV point lists (*.csv)"));
    // Exporting stores nothing and leaves the dialog open.
    QCOMPARE(f.file(), document);
    QVERIFY(f.dlg->isVisible());
}

void tst_UIEC61850_Variables::exportFailureShowsTheReason()
{
    Fixture f;
    f.open();
    const QString target = f.path(QStringLiteral("missing/points.csv"));
    f.files.answers = { target };
    f.action("exportCsv")->trigger();

    QCOMPARE(f.messages.records.size(), 1);
    QCOMPARE(f.messages.records[0].kind, ScriptedMessages::Kind::Error);
    const QString prefix = QStringLiteral("The point list cannot be written: ");
    QVERIFY2(f.messages.last().startsWith(prefix) && f.messages.last().size() > prefix.size() + 3,
        qPrintable(f.messages.last()));
    QVERIFY(!QFile::exists(target));
    QVERIFY(f.dlg->isVisible());
}

void tst_UIEC61850_Variables::importReplacesTheTable_data()
{
    QTest::addColumn<bool>("ok");
    QTest::newRow("OK stores the imported rows") << true;
    QTest::newRow("Cancel keeps the document") << false;
}

void tst_UIEC61850_Variables::importReplacesTheTable()
{
    QFETCH(bool, ok);
    Fixture f;
    QVERIFY(f.writeRows({ floatRow("X"), floatRow("Y"), floatRow("Z") }));
    const QByteArray document = f.file();
    f.open();
    f.select(3);
    VariableRow second = namedRow("Second");
    second.Mnemonic = QStringLiteral("from the spreadsheet");
    const QList<VariableRow> imported = { floatRow("First"), second };
    const QString source = f.path(QStringLiteral("points.csv"));
    QVERIFY(writeFile(source, exportVariablesCsv(imported, u',')));
    f.files.answers = { source };

    f.action("importCsv")->trigger();

    QVERIFY2(f.messages.records.isEmpty(), qPrintable(f.messages.last()));
    QCOMPARE(f.files.calls.size(), 1);
    QVERIFY(!f.files.calls[0].save);
    QCOMPARE(f.files.calls[0].caption, QStringLiteral("Import from CSV"));
    QCOMPARE(f.files.calls[0].start, f.folder());
    QCOMPARE(f.files.calls[0].filter, QStringLiteral("CSV point lists (*.csv)"));
    // The imported rows, then default rows where X, Y and Z were.
    verifyShows(f, imported);
    QCOMPARE(f.file(), document);

    f.click(ok ? "Btn_OK" : "Btn_Cancel");
    // Cancel asks before it discards the imported rows (the script answers Yes).
    QCOMPARE(f.messages.records.size(), ok ? 0 : 1);
    QVERIFY(!f.dlg->isVisible());
    QCOMPARE(f.file(), ok ? variablesDocument(imported) : document);
}

void tst_UIEC61850_Variables::refusedImportChangesNothing_data()
{
    QTest::addColumn<QByteArray>("csv"); // empty: the file does not exist
    QTest::addColumn<QString>("message"); // empty: the system's reason for a missing file

    QByteArray tooMany = "Name,Enable\r\n";
    for (int r = 1; r <= 51; ++r)
        tooMany += "N" + QByteArray::number(r) + ",N\r\n";
    QTest::newRow("51 rows") << tooMany << "The point list cannot be imported. Line 52: more than 50 rows";
    QTest::newRow("unknown column") << QByteArray("Name;Enable;Colour\r\nA;N;red\r\n")
                                    << "The point list cannot be imported. Line 1: unknown column \"Colour\"";
    QTest::newRow("a row the rules refuse")
        << QByteArray("Name,Length,Position,Conversion,MultiplicationFactor\r\nA,4,0,None,None\r\nB,9,4,None,None\r\n")
        << "The point list cannot be imported. Line 3: !! Length must be between 1 and 4";
    QTest::newRow("file missing") << QByteArray() << "";
}

void tst_UIEC61850_Variables::refusedImportChangesNothing()
{
    QFETCH(QByteArray, csv);
    QFETCH(QString, message);
    Fixture f;
    QVERIFY(f.writeRows({ floatRow("X"), floatRow("Y") }));
    const QByteArray document = f.file();
    f.open();
    f.setCell(2, Mnemonic, QStringLiteral("unsaved edit"));
    const QList<VariableRow> shown = { f.rowAt(1), f.rowAt(2) };
    const QString source = f.path(QStringLiteral("points.csv"));
    if (!csv.isEmpty())
        QVERIFY(writeFile(source, csv));
    if (message.isEmpty()) {
        QFile missing(source);
        QVERIFY(!missing.open(QIODevice::ReadOnly));
        message = QStringLiteral("The point list cannot be imported. Cannot read \"%1\": %2")
                      .arg(QDir::toNativeSeparators(source), missing.errorString());
    }
    f.files.answers = { source };

    f.action("importCsv")->trigger();

    QCOMPARE(f.messages.records.size(), 1);
    QCOMPARE(f.messages.records[0].kind, ScriptedMessages::Kind::Error);
    QCOMPARE(f.messages.last(), message);
    verifyShows(f, shown);
    QCOMPARE(f.file(), document);
    QVERIFY(f.dlg->isVisible());
}

void tst_UIEC61850_Variables::cancelledChooserDoesNothing_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("export") << "exportCsv";
    QTest::newRow("import") << "importCsv";
}

void tst_UIEC61850_Variables::cancelledChooserDoesNothing()
{
    QFETCH(QString, command);
    Fixture f;
    QVERIFY(f.writeRows({ floatRow("X") }));
    f.open();
    f.setCell(1, Mnemonic, QStringLiteral("unsaved edit"));
    const VariableRow shown = f.rowAt(1);
    const QStringList before = QDir(f.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    f.get<QAction>(command)->trigger();

    QCOMPARE(f.files.calls.size(), 1);
    QVERIFY2(f.messages.records.isEmpty(), qPrintable(f.messages.last()));
    verifyShows(f, { shown });
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    QVERIFY(f.dlg->isVisible());
}

void tst_UIEC61850_Variables::menuAndKeysReachTheCommands_data()
{
    QTest::addColumn<QString>("how"); // "menu", or the keys pressed
    QTest::addColumn<QString>("where"); // "Name" or "Enable" cell, "editing" a Name cell, or "Btn_OK"
    QTest::addColumn<bool>("save"); // the command asks for a file to write

    QTest::newRow("menu: export") << "menu"
                                  << "Name" << true;
    QTest::newRow("menu: import") << "menu"
                                  << "Enable" << false;
    QTest::newRow("Ctrl+E on a text cell") << "Ctrl+E"
                                           << "Name" << true;
    QTest::newRow("Ctrl+I on a check box") << "Ctrl+I"
                                           << "Enable" << false;
    QTest::newRow("Ctrl+E on a button") << "Ctrl+E"
                                        << "Btn_OK" << true;
    QTest::newRow("Ctrl+I while editing") << "Ctrl+I"
                                          << "editing" << false;
    QTest::newRow("Ctrl+E while editing") << "Ctrl+E"
                                          << "editing" << true;
}

void tst_UIEC61850_Variables::menuAndKeysReachTheCommands()
{
    QFETCH(QString, how);
    QFETCH(QString, where);
    QFETCH(bool, save);
    Fixture f;
    QVERIFY(f.writeRows({ floatRow("X"), floatRow("Y") }));
    QVERIFY(f.openActive());
    ListTable *t = f.table();
    t->setCurrentCell(1, (where == u"Enable" ? Enable : Name) - 1);
    if (where == u"Btn_OK") {
        f.get(where)->setFocus();
    } else if (where == u"editing") {
        QTest::keyClick(t, Qt::Key_F2);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Typed"));
    }
    const QString source = f.path(QStringLiteral("points.csv"));
    QVERIFY(writeFile(source, exportVariablesCsv({ floatRow("Imported") }, u'.')));
    f.files.answers = { save ? f.path(QStringLiteral("out.csv")) : source };

    if (how == u"menu") {
        // The menu is modal: it is read and answered once it is up, and closed at the latest
        // after a few seconds.
        QStringList entries;
        QTimer::singleShot(0, f.dlg.get(), [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu)
                return;
            for (QAction *entry : menu->actions())
                entries << entry->text();
            menu->setActiveAction(menu->actions().value(save ? 0 : 1));
            QTest::keyClick(menu, Qt::Key_Return);
        });
        QTimer::singleShot(5000, f.dlg.get(), [] {
            if (QWidget *popup = QApplication::activePopupWidget())
                popup->close();
        });
        const QPoint at = t->visualRect(t->currentIndex()).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, t->viewport()->mapToGlobal(at));
        QApplication::sendEvent(t->viewport(), &event);
        QCOMPARE(entries, QStringList({ "Export to CSV...", "Import from CSV..." }));
    } else {
        QTest::keySequence(QApplication::focusWidget(), QKeySequence(how));
    }

    QCOMPARE(f.files.calls.size(), 1);
    QCOMPARE(f.files.calls[0].save, save);
    QVERIFY2(f.messages.records.isEmpty(), qPrintable(f.messages.last()));
    // An edit in progress ended before the command: leaving the table now changes nothing more.
    f.get("Btn_Cancel")->setFocus();
    QCoreApplication::processEvents();
    if (save) {
        // The keys reached no cell on the way, and what was typed is exported with the rest.
        VariableRow second = floatRow("Y");
        if (where == u"editing")
            second.Name = QStringLiteral("Typed");
        verifyShows(f, { floatRow("X"), second });
        QCOMPARE(readFile(f.path(QStringLiteral("out.csv"))), exportVariablesCsv({ floatRow("X"), second }, u'.'));
    } else {
        verifyShows(f, { floatRow("Imported") });
    }
}

void tst_UIEC61850_Variables::closingWhileEditing()
{
    // The dialog goes while a cell editor is open, as at the end of the program: the edit ends
    // without the half-destroyed dialog reacting to it, here by clearing a mark.
    Fixture f;
    QVERIFY(f.writeRows({ validRowAt("X", 10), validRowAt("Y", 12) }));
    QVERIFY(f.openActive());
    QCOMPARE(f.marks().size(), 1);
    f.table()->setCurrentCell(1, Position - 1);
    QTest::keyClick(f.table(), Qt::Key_F2);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("0"));
    f.dlg.reset();
}

void tst_UIEC61850_Variables::marksFollowTheFindings_data()
{
    QTest::addColumn<QList<VariableRow>>("stored");
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("marks");

    const VariableRow a = validRowAt("A", 10);
    const VariableRow b = validRowAt("B", 20);
    const VariableRow c = validRowAt("C", 30);
    const VariableRow overlapping = validRowAt("B", 12);
    const QString overlap
        = QStringLiteral("2 Position error: the range bytes 12 to 15 overlaps row 1 (bytes 10 to 13)");
    VariableRow disabled = overlapping;
    disabled.Enable = QStringLiteral("N");

    QTest::newRow("loaded") << QList<VariableRow> { a, overlapping, c } << "" << QStringList { overlap };
    QTest::newRow("typed in") << QList<VariableRow> { a, b, c } << "type 2 Position 12" << QStringList { overlap };
    QTest::newRow("fixed by an edit") << QList<VariableRow> { a, overlapping, c } << "type 2 Position 14"
                                      << QStringList {};
    QTest::newRow("row disabled") << QList<VariableRow> { a, overlapping, c } << "set 2 Enable N" << QStringList {};
    QTest::newRow("row deleted above") << QList<VariableRow> { c, a, overlapping } << "delete 1"
                                       << QStringList { overlap };
    // The new row has no Name, so the rows below it are no longer part of the list.
    QTest::newRow("row inserted above") << QList<VariableRow> { a, overlapping } << "insert 2" << QStringList {};
    QTest::newRow("row pasted") << QList<VariableRow> { a, b } << "copy 1 to 3"
                                << QStringList { "3 Name error: the name \"A\" is also used by row 1",
                                       "3 Position error: the range bytes 10 to 13 overlaps row 1 (bytes 10 to 13)" };
    QTest::newRow("imported") << QList<VariableRow> { a, b, c } << "import" << QStringList { overlap };
    QTest::newRow("language changed") << QList<VariableRow> {
        a, overlapping
    } << "language" << QStringList { "2 Position error: Bereich bytes 12 to 15 / Zeile 1 / bytes 10 to 13" };
    // Both findings of a cell in its tooltip, the worse one deciding its colour; markup in a name
    // is shown as typed.
    const QString notObjectName = QStringLiteral("\"<b>\": the name \"<b>\" does not start with an ASCII letter");
    QTest::newRow("warning and error in one cell")
        << QList<VariableRow> { validRowAt("<b>", 0), validRowAt("<b>", 100) } << ""
        << QStringList { "1 Name warning: " + notObjectName,
               "2 Name error: " + notObjectName + "\nthe name \"<b>\" is also used by row 1" };
}

void tst_UIEC61850_Variables::marksFollowTheFindings()
{
    QFETCH(QList<VariableRow>, stored);
    QFETCH(QString, change);
    QFETCH(QStringList, marks);
    Fixture f;
    QVERIFY(f.writeRows(stored));
    QVERIFY(f.openActive());
    ListTable *t = f.table();

    const QStringList words = change.split(u' ');
    const int row = words.value(1).toInt();
    const auto columnNamed = [t](const QString &header) {
        for (int c = 0; c < t->columnCount(); ++c)
            if (test::headerText(t, c) == header)
                return c;
        return -1;
    };
    if (words[0] == u"type") {
        // Through the cell editor, as the user types.
        t->setCurrentCell(row - 1, columnNamed(words[2]));
        QTest::keyClick(t, Qt::Key_F2);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), words[3]);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(), t); // the editor closes once the event loop runs
    } else if (words[0] == u"set") {
        QVERIFY(test::setCellText(t, row - 1, columnNamed(words[2]), words[3]));
    } else if (words[0] == u"delete") {
        f.select(row);
        f.click("Btn_DelRow");
    } else if (words[0] == u"insert") {
        f.select(row);
        f.click("Btn_InsRow");
    } else if (words[0] == u"copy") {
        f.select(row);
        f.click("Btn_CopyRow");
        f.select(words[3].toInt());
        f.click("Btn_PasteRow");
    } else if (words[0] == u"import") {
        const QString source = f.path(QStringLiteral("points.csv"));
        QVERIFY(writeFile(source, exportVariablesCsv({ validRowAt("A", 10), validRowAt("B", 12) }, u'.')));
        f.files.answers = { source };
        f.action("importCsv")->trigger();
    } else if (words[0] == u"language") {
        f.pv.Msg_Catalogue[MsgId::CheckOverlap] = QStringLiteral("Bereich %1 / Zeile %2 / %3");
        f.dlg->Set_Lang();
    }

    QCOMPARE(f.marks(), marks);
    // Marking never asks anything.
    for (const ScriptedMessages::Record &record : std::as_const(f.messages.records))
        QCOMPARE(record.kind, ScriptedMessages::Kind::Confirm);
}

namespace {

// Presses `keys` where the keyboard is.
void press(const Fixture &f, const QString &keys)
{
    QWidget *focus = QApplication::focusWidget();
    QTest::keySequence(focus ? focus : f.dlg.get(), QKeySequence(keys));
}

// One change of the table, made as the user makes it.
void makeStep(Fixture &f, const QString &step)
{
    ListTable *t = f.table();
    if (step == u"type") {
        t->setCurrentCell(1, Name - 1);
        QTest::keyClicks(t, QStringLiteral("Q"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        // The editor commits and closes through the event queue.
        QTRY_COMPARE(QApplication::focusWidget(), t);
    } else if (step == u"check") {
        t->setCurrentCell(1, Enable - 1);
        QTest::keyClick(t, Qt::Key_Space);
    } else if (step == u"insert") {
        f.select(2);
        f.click("Btn_InsRow");
    } else if (step == u"delete") {
        f.select(1);
        f.click("Btn_DelRow");
    } else if (step == u"paste") {
        f.select(3);
        f.click("Btn_CopyRow");
        f.select(1);
        f.click("Btn_PasteRow");
    } else if (step == u"clear") {
        // Check boxes in the selection keep their state.
        t->setCurrentCell(0, SwapWord - 1);
        test::selectCells(t, 0, SwapWord - 1, 2, Mnemonic - 1);
        QTest::keyClick(t, Qt::Key_Delete);
    } else if (step == u"import") {
        const QString source = f.path(QStringLiteral("points.csv"));
        QVERIFY(writeFile(source, exportVariablesCsv({ validRowAt("Imported", 40) }, u',')));
        f.files.answers = { source };
        press(f, QStringLiteral("Ctrl+I"));
    } else {
        QFAIL(qPrintable(step));
    }
}

} // namespace

void tst_UIEC61850_Variables::undoAndRedoEachStep_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("redo");

    QTest::newRow("typed cell") << QStringList { "type" } << "Ctrl+Shift+Z";
    QTest::newRow("check box") << QStringList { "check" } << "Ctrl+Y";
    // A new row is stored once it has a name and, with nothing else in it, is disabled.
    QTest::newRow("insert row") << QStringList { "insert", "type", "check" } << "Ctrl+Y";
    QTest::newRow("delete row") << QStringList { "delete" } << "Ctrl+Shift+Z";
    QTest::newRow("paste row") << QStringList { "paste" } << "Ctrl+Y";
    QTest::newRow("Delete on a selection") << QStringList { "clear" } << "Ctrl+Shift+Z";
    QTest::newRow("CSV import") << QStringList { "import" } << "Ctrl+Y";
    QTest::newRow("every kind in turn") << QStringList { "type", "check", "delete", "clear", "paste", "import",
        "insert", "type", "check" } << "Ctrl+Shift+Z";
}

void tst_UIEC61850_Variables::undoAndRedoEachStep()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, redo);

    // The first name draws a warning, so the marks move with the rows.
    QList<VariableRow> stored = { validRowAt("<b>", 10), validRowAt("B", 20), validRowAt("C", 30) };
    for (int r = 0; r < stored.size(); ++r)
        stored[r].Mnemonic = QStringLiteral("m%1").arg(r + 1);
    Fixture f;
    QVERIFY(f.writeRows(stored));
    const QByteArray shown = f.file();

    // What OK writes after the steps.
    QVERIFY(f.openActive());
    const QStringList shownMarks = f.marks();
    QVERIFY(!shownMarks.isEmpty());
    for (const QString &step : steps)
        makeStep(f, step);
    const QStringList changedMarks = f.marks();
    f.click("Btn_OK");
    QVERIFY2(!f.dlg->isVisible(), qPrintable(f.messages.last()));
    const QByteArray changed = f.file();
    QVERIFY(changed != shown);

    // Every step undone, one more undo does nothing: OK writes the document as shown.
    QVERIFY(writeFile(f.pv.File_IEC61850_Variables, shown));
    QVERIFY(f.openActive());
    for (const QString &step : steps)
        makeStep(f, step);
    for (qsizetype i = 0; i <= steps.size(); ++i)
        press(f, QStringLiteral("Ctrl+Z"));
    verifyShows(f, stored);
    QCOMPARE(f.marks(), shownMarks);
    f.messages.clear();
    f.click("Btn_OK");
    QVERIFY2(!f.dlg->isVisible(), qPrintable(f.messages.last()));
    QCOMPARE(f.file(), shown);

    // Undone and redone, one more redo does nothing: OK writes what the steps made.
    QVERIFY(f.openActive());
    for (const QString &step : steps)
        makeStep(f, step);
    for (qsizetype i = 0; i < steps.size(); ++i)
        press(f, QStringLiteral("Ctrl+Z"));
    for (qsizetype i = 0; i <= steps.size(); ++i)
        press(f, redo);
    QCOMPARE(f.marks(), changedMarks);
    f.messages.clear();
    f.click("Btn_OK");
    QVERIFY2(!f.dlg->isVisible(), qPrintable(f.messages.last()));
    QCOMPARE(f.file(), changed);
}

void tst_UIEC61850_Variables::undoingBackCountsAsUnchanged()
{
    const QList<VariableRow> stored = { floatRow("A"), validRowAt("B", 20) };
    Fixture f;
    QVERIFY(f.writeRows(stored));
    QVERIFY(f.openActive());
    makeStep(f, QStringLiteral("type"));
    makeStep(f, QStringLiteral("delete"));
    f.messages.clear();
    press(f, QStringLiteral("Ctrl+Z"));
    press(f, QStringLiteral("Ctrl+Z"));
    // Back at the rows shown: Cancel has nothing to ask.
    f.click("Btn_Cancel");
    QVERIFY(f.messages.records.isEmpty());
    QVERIFY(!f.dlg->isVisible());

    // A showing starts without steps: what the last one discarded cannot be brought back.
    QVERIFY(f.openActive());
    makeStep(f, QStringLiteral("type"));
    f.click("Btn_Cancel"); // the script answers Yes
    QCOMPARE(f.messages.records.size(), 1);
    QVERIFY(f.openActive());
    press(f, QStringLiteral("Ctrl+Y"));
    press(f, QStringLiteral("Ctrl+Z"));
    verifyShows(f, stored);
    f.messages.clear();
    f.click("Btn_Cancel");
    QVERIFY(f.messages.records.isEmpty());
}

void tst_UIEC61850_Variables::editAfterAnUndoKeepsTheUndoneCell_data()
{
    QTest::addColumn<QString>("second"); // what is changed after the first edit was undone

    QTest::newRow("another cell of the row") << "row 2";
    QTest::newRow("a cell of another row") << "row 3";
    QTest::newRow("a row inserted above") << "insert";
    QTest::newRow("a point list imported") << "import";
}

// A cell edited and the edit undone, then another change made and undone: the first cell keeps its
// text as shown, whatever the second change spans.
void tst_UIEC61850_Variables::editAfterAnUndoKeepsTheUndoneCell()
{
    QFETCH(QString, second);
    const QList<VariableRow> stored = { floatRow("A"), floatRow("B"), floatRow("C") };
    Fixture f;
    QVERIFY(f.writeRows(stored));
    const QByteArray shown = f.file();
    QVERIFY(f.openActive());

    f.setCell(2, Name, QStringLiteral("Edited"));
    press(f, QStringLiteral("Ctrl+Z"));
    QCOMPARE(f.cell(2, Name), QStringLiteral("B"));
    if (second == u"insert") {
        f.select(1);
        f.click("Btn_InsRow");
    } else if (second == u"import") {
        makeStep(f, QStringLiteral("import"));
    } else {
        f.setCell(second.section(u' ', 1).toInt(), Mnemonic, QStringLiteral("changed"));
    }
    QVERIFY(QList<VariableRow>({ f.rowAt(1), f.rowAt(2), f.rowAt(3) }) != stored);
    press(f, QStringLiteral("Ctrl+Z"));

    verifyShows(f, stored);
    f.click("Btn_OK");
    QVERIFY2(!f.dlg->isVisible(), qPrintable(f.messages.last()));
    QCOMPARE(f.file(), shown);
}

// Edits of one cell, one after another, are one step; edits of another cell of the row are a step
// of their own; edits that end where they began are none.
void tst_UIEC61850_Variables::editsOfOneCellAreOneStep()
{
    const QList<VariableRow> stored = { floatRow("A"), floatRow("B") };
    Fixture f;
    QVERIFY(f.writeRows(stored));
    QVERIFY(f.openActive());
    ListTable *t = f.table();
    const auto typeInto = [&](int row, int column, const QString &text) {
        t->setCurrentCell(row - 1, column - 1);
        QTest::keyClick(t, Qt::Key_F2);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), text);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(), t);
    };
    typeInto(2, Name, QStringLiteral("X"));
    typeInto(2, Name, QStringLiteral("Y"));
    typeInto(2, Mnemonic, QStringLiteral("M"));
    press(f, QStringLiteral("Ctrl+Z"));
    QCOMPARE(f.cell(2, Mnemonic), QString());
    QCOMPARE(f.cell(2, Name), QStringLiteral("Y"));
    press(f, QStringLiteral("Ctrl+Z"));
    QCOMPARE(f.cell(2, Name), QStringLiteral("B"));
    press(f, QStringLiteral("Ctrl+Y"));
    QCOMPARE(f.cell(2, Name), QStringLiteral("Y"));

    // Typed back to the text shown, and a check box ticked off and on: nothing has changed, so
    // Cancel asks nothing.
    typeInto(2, Name, QStringLiteral("B"));
    t->setCurrentCell(0, Enable - 1);
    QTest::keyClick(t, Qt::Key_Space);
    QTest::keyClick(t, Qt::Key_Space);
    verifyShows(f, stored);
    QVERIFY(!f.action("undo")->isEnabled());
    f.messages.clear();
    f.click("Btn_Cancel");
    QVERIFY(f.messages.records.isEmpty());
    QVERIFY(!f.dlg->isVisible());
}

QTEST_MAIN(tst_UIEC61850_Variables)
#include "tst_UIEC61850_Variables.moc"
