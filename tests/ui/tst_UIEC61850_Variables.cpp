#include "DialogFixture.h"
#include "MalformedDocuments.h"

#include "core/Catalogue.h"
#include "core/MessageIds.h"
#include "core/VariablesDocument.h"
#include "core/Xml.h"
#include "ui/documents/CellEditors.h"
#include "ui/documents/ListTable.h"
#include "ui/documents/UIEC61850_Variables.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
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

// A row that every rule accepts.
VariableRow validRow(const QString &name)
{
    VariableRow row;
    row.Name = name;
    row.Type = QStringLiteral("Float");
    row.Length = QStringLiteral("4");
    row.ReadOnly = QStringLiteral("N");
    row.Position = QStringLiteral("10");
    row.Conversion = QStringLiteral("None");
    row.MultiplicationFactor = QStringLiteral("None");
    row.Swap = QStringLiteral("N");
    row.SwapWord = QStringLiteral("N");
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
    QString cell(int row, int column) const { return table()->item(row - 1, column - 1)->text(); }
    void setCell(int row, int column, const QString &text) const { table()->item(row - 1, column - 1)->setText(text); }
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
};

// The table as the dialog shows it after a load of `rows`: those rows, then default rows.
void verifyShows(const Fixture &f, const QList<VariableRow> &rows)
{
    for (int r = 1; r <= VariableListCapacity; ++r)
        QCOMPARE(f.rowAt(r), rows.value(r - 1));
}

const QRegularExpression PlaceAndReason(QStringLiteral("line \\d+, column \\d+: \\S"));

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
        QCOMPARE(t->horizontalHeaderItem(c)->text(), QString::fromLatin1(e.header));
        QCOMPARE(t->model()->headerData(c, Qt::Horizontal, Qt::ToolTipRole).toString(), f.pv.msg(e.hint));
        QVERIFY2(t->columnWidth(c) == e.width, where);
        QAbstractItemDelegate *d = t->itemDelegateForColumn(c);
        QString editor = QStringLiteral("none");
        QStringList choices;
        if (qobject_cast<CheckBoxDelegate *>(d)) {
            editor = QStringLiteral("check");
        } else if (qobject_cast<TextDelegate *>(d)) {
            editor = QStringLiteral("text");
        } else if (auto *list = qobject_cast<ChoiceDelegate *>(d)) {
            editor = QStringLiteral("list");
            choices = list->choices();
        } else if (auto *typed = qobject_cast<EditableChoiceDelegate *>(d)) {
            editor = QStringLiteral("typed list");
            choices = typed->choices();
        }
        QVERIFY2(editor == QLatin1String(e.editor), where);
        QVERIFY2(choices == e.choices, where);
    }
    // Every cell of every column can be edited, whatever the row holds.
    for (int c = 0; c < 12; ++c)
        QVERIFY(t->item(7, c)->flags().testFlag(Qt::ItemIsEditable));

    // The six buttons from left to right, with their captions and hints.
    const QList<std::pair<const char *, int>> buttons = { { "Btn_OK", 902 }, { "Btn_Cancel", 903 },
        { "Btn_DelRow", 904 }, { "Btn_InsRow", 905 }, { "Btn_CopyRow", 906 }, { "Btn_PasteRow", 907 } };
    int left = -1;
    for (const auto &[name, caption] : buttons) {
        auto *button = f.get<QPushButton>(name);
        QVERIFY2(button->isVisible() && button->x() > left, name);
        left = button->x();
        QCOMPARE(button->text(), f.pv.msg(caption));
        QCOMPARE(button->toolTip(), f.pv.msg(caption + 6));
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
    QCOMPARE(t->horizontalHeaderItem(Name - 1)->text(), QStringLiteral("Nome"));
    QCOMPARE(t->model()->headerData(SwapWord - 1, Qt::Horizontal, Qt::ToolTipRole).toString(),
        QStringLiteral("Scambia le parole"));
    QCOMPARE(t->model()->headerData(Mnemonic - 1, Qt::Horizontal, Qt::ToolTipRole).toString(),
        f.pv.msg(MsgId::VariablesHintMnemonic));
    QCOMPARE(f.get<QPushButton>("Btn_PasteRow")->text(), QStringLiteral("Incolla"));
    QCOMPARE(f.get<QPushButton>("Btn_PasteRow")->toolTip(), QStringLiteral("Incolla la riga copiata"));
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
    QVERIFY(f.writeRows({ validRow("A"), validRow("B") }));
    f.open();
    f.setCell(1, Name, QStringLiteral("Edited"));
    f.setCell(5, Name, QStringLiteral("Added"));
    f.click("Btn_Cancel");
    QVERIFY(!f.dlg->isVisible());
    QCOMPARE(f.file(), variablesDocument({ validRow("A"), validRow("B") }));

    // Shown again: the file as it is now, nothing of the edits.
    QVERIFY(f.writeRows({ validRow("C") }));
    f.open();
    verifyShows(f, { validRow("C") });

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
        rows.append(validRow(QStringLiteral("V%1").arg(r)));
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
    f.setRow(1, validRow("A"));
    f.setRow(2, validRow("B"));
    // Row 3 ends the list: its Name is only blanks. Row 4 would fail every rule.
    VariableRow blank = validRow("   ");
    f.setRow(3, blank);
    VariableRow after = validRow("After");
    after.Length = QStringLiteral("x");
    f.setRow(4, after);

    f.click("Btn_OK");
    QVERIFY2(f.messages.records.isEmpty(), qPrintable(f.messages.last()));
    QCOMPARE(f.dlg->result(), int(QDialog::Accepted));
    QCOMPARE(f.file(), variablesDocument({ validRow("A"), validRow("B") }));

    f.open();
    verifyShows(f, { validRow("A"), validRow("B") });
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
    f.click("Btn_InsRow");
    QVERIFY(f.messages.records.isEmpty());
    // The new row has Enable "Y" and nothing else; the last row's content is lost.
    rows.insert(1, VariableRow {});
    rows.removeLast();
    verifyShows(f, rows);
}

void tst_UIEC61850_Variables::copyAndPaste()
{
    Fixture f;
    VariableRow a = validRow("A");
    a.Mnemonic = QStringLiteral("copied");
    a.ReadOnly = QStringLiteral("Y");
    const VariableRow b = validRow("B");
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
    QTest::addColumn<QByteArray>("document");
    const QList<std::pair<const char *, QByteArray>> all = sw::test::malformedDocuments();
    for (const char *name : { "duplicated attribute", "unclosed element", "empty file" }) {
        const auto it
            = std::find_if(all.begin(), all.end(), [&](const auto &row) { return qstrcmp(row.first, name) == 0; });
        QVERIFY2(it != all.end(), name);
        QTest::newRow(name) << it->second;
    }
}

void tst_UIEC61850_Variables::malformedDocumentShowsErrorAndDefaults()
{
    QFETCH(QByteArray, document);
    Fixture f;
    QVERIFY(f.writeRows({ validRow("Earlier") }));
    f.open();
    f.click("Btn_Cancel");

    QVERIFY(writeFile(f.pv.File_IEC61850_Variables, document));
    f.open();
    QVERIFY(f.dlg->isVisible());
    QCOMPARE(f.messages.records.size(), 1);
    QCOMPARE(f.messages.records[0].kind, ScriptedMessages::Kind::GeneralError);
    // The general error box names the file, the place and the reason.
    const QString shown = f.messages.last();
    const std::optional<QString> problem = xml::wellFormednessProblem(document);
    QVERIFY(problem);
    QVERIFY2(shown.contains(QDir::toNativeSeparators(f.pv.File_IEC61850_Variables)), qPrintable(shown));
    QVERIFY2(shown.contains(*problem), qPrintable(shown));
    QVERIFY2(shown.contains(PlaceAndReason), qPrintable(shown));
    // Nothing of the earlier showing is left over.
    verifyShows(f, {});

    // Leaving writes nothing; OK replaces the unreadable file with the list on show.
    f.click("Btn_Cancel");
    QCOMPARE(f.file(), document);
    f.open();
    f.setRow(1, validRow("New"));
    f.click("Btn_OK");
    QCOMPARE(f.dlg->result(), int(QDialog::Accepted));
    QCOMPARE(f.file(), variablesDocument({ validRow("New") }));
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
        QVERIFY(f.writeRows({ validRow("Earlier") }));
    const QByteArray before = f.file();
    f.open();
    VariableRow row = validRow("Changed");
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

QTEST_MAIN(tst_UIEC61850_Variables)
#include "tst_UIEC61850_Variables.moc"
