#include "FakeServices.h"

#include "core/ProgramValues.h"
#include "core/text/Catalogue.h"
#include "core/text/MessageIds.h"
#include "ui/widgets/CellEditors.h"
#include "ui/widgets/TableOperations.h"

#include <QApplication>
#include <QHeaderView>
#include <QTableWidget>
#include <QtTest>

#include <optional>

using namespace sw;
using sw::test::FakeRegionalSettings;
using sw::test::ScriptedMessages;

namespace {

enum class Family { Plain, Check };

// A table of four columns, the third one hidden (operations must move it all the same).
// Plain family: columns 0 and 3 are "Y"/"N" check-box columns. Check-box family: column 0 carries
// check boxes of its own. Rows are written and read as "cell|cell|cell|cell", a check box of its
// own as "[x]" or "[ ]".
struct Table
{
    ProgramValues pv;
    ScriptedMessages messages;
    CheckBoxDelegate checkDelegate;
    QTableWidget table;
    Family family;

    Table(Family f, const QStringList &rows)
        : table(int(rows.size()), 4)
        , family(f)
    {
        Default_Messages(pv.Msg_Catalogue);
        if (family == Family::Plain) {
            table.setItemDelegateForColumn(0, &checkDelegate);
            table.setItemDelegateForColumn(3, &checkDelegate);
        }
        table.setColumnHidden(2, true);
        for (int r = 0; r < rows.size(); ++r)
            setRow(r, rows.at(r));
    }

    void setRow(int r, const QString &row)
    {
        const QStringList cells = row.split(u'|');
        for (int c = 0; c < 4; ++c) {
            auto *item = new QTableWidgetItem;
            const QString cell = cells.value(c);
            if (cell == u"[x]" || cell == u"[ ]")
                item->setCheckState(cell == u"[x]" ? Qt::Checked : Qt::Unchecked);
            else
                item->setText(cell);
            table.setItem(r, c, item);
        }
    }
    QString row(int r) const
    {
        QStringList cells;
        for (int c = 0; c < 4; ++c) {
            const QTableWidgetItem *item = table.item(r, c);
            if (carriesCheckBox(item))
                cells << (item->checkState() == Qt::Checked ? QStringLiteral("[x]") : QStringLiteral("[ ]"));
            else
                cells << (item ? item->text() : QString());
        }
        return cells.join(u'|');
    }
    QStringList rows() const
    {
        QStringList out;
        for (int r = 0; r < table.rowCount(); ++r)
            out << row(r);
        return out;
    }
    QStringList rowNumbers() const
    {
        QStringList out;
        for (int r = 0; r < table.rowCount(); ++r)
            out << table.model()->headerData(r, Qt::Vertical).toString();
        return out;
    }

    void copy(int r)
    {
        if (family == Family::Plain)
            Copy_Row(&table, r, pv);
        else
            Copy_Row_Check(&table, r, pv);
    }
    void paste(int r, bool copied)
    {
        if (family == Family::Plain)
            Paste_Row(&table, r, copied, pv, messages);
        else
            Paste_Row_Check(&table, r, copied, pv, messages);
    }
};

QString msg(int id)
{
    QStringList catalogue;
    Default_Messages(catalogue);
    return catalogue.at(id);
}

const QStringList plainRows { "Y|a|h1|N", "N|b|h2|Y", "Y|c|h3|N", "Y|d|h4|Y" };
const QStringList checkRows { "[x]|a|h1|m1", "[ ]|b|h2|m2", "[x]|c|h3|m3", "[ ]|d|h4|m4" };

} // namespace

class TestTableOperations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deleteRow_data();
    void deleteRow();
    void insertRow_data();
    void insertRow();
    void copyFillsBuffer_data();
    void copyFillsBuffer();
    void paste_data();
    void paste();
    void pasteRefused_data();
    void pasteRefused();
    void pasteCheckStateOnlyFromY();
    void enterKey_data();
    void enterKey();
    void autoSize_data();
    void autoSize();
    void decimalSeparator_data();
    void decimalSeparator();
};

void TestTableOperations::deleteRow_data()
{
    QTest::addColumn<int>("family");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("checkFirst");
    QTest::addColumn<QStringList>("after");

    QTest::newRow("plain, middle") << int(Family::Plain) << plainRows << 1 << false
                                   << QStringList { "Y|a|h1|N", "Y|c|h3|N", "Y|d|h4|Y", "|||" };
    QTest::newRow("plain, first") << int(Family::Plain) << plainRows << 0 << false
                                  << QStringList { "N|b|h2|Y", "Y|c|h3|N", "Y|d|h4|Y", "|||" };
    QTest::newRow("plain, last only empties it")
        << int(Family::Plain) << plainRows << 3 << false << QStringList { "Y|a|h1|N", "N|b|h2|Y", "Y|c|h3|N", "|||" };
    QTest::newRow("check, middle, freed row checked")
        << int(Family::Check) << checkRows << 1 << true
        << QStringList { "[x]|a|h1|m1", "[x]|c|h3|m3", "[ ]|d|h4|m4", "[x]|||" };
    QTest::newRow("check, middle, freed row unchecked")
        << int(Family::Check) << checkRows << 1 << false
        << QStringList { "[x]|a|h1|m1", "[x]|c|h3|m3", "[ ]|d|h4|m4", "[ ]|||" };
    QTest::newRow("check, last") << int(Family::Check) << checkRows << 3 << true
                                 << QStringList { "[x]|a|h1|m1", "[ ]|b|h2|m2", "[x]|c|h3|m3", "[x]|||" };
    QTest::newRow("outside the table") << int(Family::Plain) << plainRows << -1 << false << plainRows;
}

void TestTableOperations::deleteRow()
{
    QFETCH(int, family);
    QFETCH(QStringList, before);
    QFETCH(int, row);
    QFETCH(bool, checkFirst);
    QFETCH(QStringList, after);

    Table t(Family(family), before);
    if (t.family == Family::Plain)
        Delete_Row(row, &t.table);
    else
        Delete_Row_Check(row, &t.table, checkFirst);
    QCOMPARE(t.rows(), after);
    QCOMPARE(t.table.rowCount(), before.size());
    QCOMPARE(t.rowNumbers(), QStringList({ "1", "2", "3", "4" }));
}

void TestTableOperations::insertRow_data()
{
    QTest::addColumn<int>("family");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("flag");
    QTest::addColumn<QStringList>("after");

    QTest::newRow("plain, enabled new row")
        << int(Family::Plain) << plainRows << 1 << true << QStringList { "Y|a|h1|N", "Y|||", "N|b|h2|Y", "Y|c|h3|N" };
    QTest::newRow("plain, empty new row")
        << int(Family::Plain) << plainRows << 0 << false << QStringList { "|||", "Y|a|h1|N", "N|b|h2|Y", "Y|c|h3|N" };
    QTest::newRow("plain, last only empties it")
        << int(Family::Plain) << plainRows << 3 << true << QStringList { "Y|a|h1|N", "N|b|h2|Y", "Y|c|h3|N", "Y|||" };
    QTest::newRow("check, new row checked") << int(Family::Check) << checkRows << 1 << true
                                            << QStringList { "[x]|a|h1|m1", "[x]|||", "[ ]|b|h2|m2", "[x]|c|h3|m3" };
    QTest::newRow("check, new row unchecked") << int(Family::Check) << checkRows << 0 << false
                                              << QStringList { "[ ]|||", "[x]|a|h1|m1", "[ ]|b|h2|m2", "[x]|c|h3|m3" };
}

void TestTableOperations::insertRow()
{
    QFETCH(int, family);
    QFETCH(QStringList, before);
    QFETCH(int, row);
    QFETCH(bool, flag);
    QFETCH(QStringList, after);

    Table t(Family(family), before);
    if (t.family == Family::Plain)
        Insert_Row(row, &t.table, flag);
    else
        Insert_Row_Check(row, &t.table, flag);
    QCOMPARE(t.rows(), after);
    QCOMPARE(t.rowNumbers(), QStringList({ "1", "2", "3", "4" }));
}

void TestTableOperations::copyFillsBuffer_data()
{
    QTest::addColumn<int>("family");
    QTest::addColumn<QString>("row");
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QList<bool>>("isCheck");

    // The plain copy leaves the flags as they were (here: from an earlier check-box copy).
    QTest::newRow("plain") << int(Family::Plain) << "N| b |h|Y" << QStringList { "N", " b ", "h", "Y" }
                           << QList<bool> { true, false, false, false };
    QTest::newRow("check, checked") << int(Family::Check) << "[x]|c||m" << QStringList { "Y", "c", "", "m" }
                                    << QList<bool> { true, false, false, false };
    QTest::newRow("check, unchecked") << int(Family::Check) << "[ ]|c|h|[x]" << QStringList { "N", "c", "h", "Y" }
                                      << QList<bool> { true, false, false, true };
}

void TestTableOperations::copyFillsBuffer()
{
    QFETCH(int, family);
    QFETCH(QString, row);
    QFETCH(QStringList, list);
    QFETCH(QList<bool>, isCheck);

    Table t(Family(family), { row });
    t.pv.Row_Copy_List = QStringList { "stale" };
    t.pv.Row_Copy_Is_Check = QList<bool> { true, false, false, false };
    t.copy(0);
    QCOMPARE(t.pv.Row_Copy_List, list);
    QCOMPARE(t.pv.Row_Copy_Is_Check, isCheck);
}

void TestTableOperations::paste_data()
{
    QTest::addColumn<int>("family");
    QTest::addColumn<QStringList>("rows"); // copied from the first, pasted into the second
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QString>("result");

    const QList<bool> none;
    const QList<bool> yes { true };
    const QList<bool> no { false };
    const int plain = int(Family::Plain);
    const int check = int(Family::Check);

    QTest::newRow("plain, empty row") << plain << QStringList { "N|a|h|Y", "|||" } << none << false << "N|a|h|Y";
    // Check-box columns and blank text are left out of the in-use test.
    QTest::newRow("plain, only check-box columns and blanks")
        << plain << QStringList { "N|a|h|Y", "Y|  |\t|N" } << none << false << "N|a|h|Y";
    QTest::newRow("plain, text in the hidden column, Yes")
        << plain << QStringList { "N|a|h|Y", "Y||x|N" } << yes << true << "N|a|h|Y";
    QTest::newRow("plain, row in use, Yes") << plain << QStringList { "N|a|h|Y", "Y|z||N" } << yes << true << "N|a|h|Y";
    QTest::newRow("plain, row in use, No") << plain << QStringList { "N|a|h|Y", "Y|z||N" } << no << true << "Y|z||N";
    QTest::newRow("check, empty row") << check << QStringList { "[ ]|a|h|m", "[x]|||" } << none << false << "[ ]|a|h|m";
    QTest::newRow("check, blanks count as content")
        << check << QStringList { "[ ]|a|h|m", "[x]| ||" } << yes << true << "[ ]|a|h|m";
    QTest::newRow("check, row in use, No")
        << check << QStringList { "[ ]|a|h|m", "[x]|||z" } << no << true << "[x]|||z";
}

void TestTableOperations::paste()
{
    QFETCH(int, family);
    QFETCH(QStringList, rows);
    QFETCH(QList<bool>, answers);
    QFETCH(bool, asked);
    QFETCH(QString, result);

    Table t(Family(family), rows);
    t.copy(0);
    t.messages.answers = answers;
    t.paste(1, true);
    if (asked) {
        QCOMPARE(t.messages.records.size(), 1);
        QCOMPARE(t.messages.records.first().kind, ScriptedMessages::Kind::Confirm);
        QCOMPARE(t.messages.last(), msg(MsgId::RowAlreadyUsed));
    } else {
        QVERIFY(t.messages.records.isEmpty());
    }
    QCOMPARE(t.row(1), result);
    QCOMPARE(t.row(0), rows.first());
}

void TestTableOperations::pasteRefused_data()
{
    QTest::addColumn<int>("family");
    QTest::addColumn<bool>("copied");
    QTest::addColumn<QStringList>("buffer");
    QTest::addColumn<int>("message");

    const QStringList four { "Y", "a", "b", "c" };
    const QStringList three { "Y", "a", "b" };
    for (Family family : { Family::Plain, Family::Check }) {
        const char *name = family == Family::Plain ? "plain" : "check";
        QTest::addRow("%s, nothing copied", name) << int(family) << false << four << MsgId::RowNothingCopied;
        QTest::addRow("%s, buffer of another table", name) << int(family) << true << three << MsgId::RowCopyMismatch;
        QTest::addRow("%s, empty buffer", name) << int(family) << true << QStringList() << MsgId::RowCopyMismatch;
    }
}

void TestTableOperations::pasteRefused()
{
    QFETCH(int, family);
    QFETCH(bool, copied);
    QFETCH(QStringList, buffer);
    QFETCH(int, message);

    const QString target = Family(family) == Family::Plain ? "N|x||Y" : "[ ]|x||";
    Table t(Family(family), { target });
    t.pv.Row_Copy_List = buffer;
    t.pv.Row_Copy_Is_Check = QList<bool>(buffer.size(), false);
    t.paste(0, copied);
    QCOMPARE(t.messages.records.size(), 1);
    QCOMPARE(t.messages.records.first().kind, ScriptedMessages::Kind::Error);
    QCOMPARE(t.messages.last(), msg(message));
    QCOMPARE(t.row(0), target);
}

void TestTableOperations::pasteCheckStateOnlyFromY()
{
    Table t(Family::Check, { "[ ]|||", "[ ]|||", "[x]|||" });
    t.pv.Row_Copy_Is_Check = { true, false, false, false };
    t.pv.Row_Copy_List = { "Y", "a", "", "" };
    t.paste(0, true);
    t.pv.Row_Copy_List = { "y", "b", "", "" };
    t.paste(1, true);
    t.pv.Row_Copy_List = { "Yes", "c", "", "" };
    t.paste(2, true);
    QCOMPARE(t.rows(), QStringList({ "[x]|a||", "[ ]|b||", "[ ]|c||" }));
}

void TestTableOperations::enterKey_data()
{
    QTest::addColumn<bool>("option");
    QTest::addColumn<int>("key");
    QTest::addColumn<QPoint>("from"); // (column, row)
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<bool>("swallowed");

    QTest::newRow("next column, hidden one passed over")
        << true << int(Qt::Key_Return) << QPoint(1, 0) << QPoint(3, 0) << true;
    QTest::newRow("keypad Enter") << true << int(Qt::Key_Enter) << QPoint(0, 1) << QPoint(1, 1) << true;
    QTest::newRow("last column to next row") << true << int(Qt::Key_Return) << QPoint(3, 1) << QPoint(0, 2) << true;
    QTest::newRow("last cell wraps to the first")
        << true << int(Qt::Key_Return) << QPoint(3, 3) << QPoint(0, 0) << true;
    QTest::newRow("no current cell, still swallowed")
        << true << int(Qt::Key_Return) << QPoint(-1, -1) << QPoint(-1, -1) << true;
    QTest::newRow("option off") << false << int(Qt::Key_Return) << QPoint(1, 0) << QPoint(1, 0) << false;
    QTest::newRow("another key") << true << int(Qt::Key_Tab) << QPoint(1, 0) << QPoint(1, 0) << false;
}

void TestTableOperations::enterKey()
{
    QFETCH(bool, option);
    QFETCH(int, key);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(bool, swallowed);

    Table t(Family::Plain, plainRows);
    t.pv.Opt_Jump_Field_Tables = option;
    t.table.setCurrentCell(from.y(), from.x());
    QCOMPARE(Grid_Enter_Key(&t.table, key, t.pv), swallowed);
    QCOMPARE(QPoint(t.table.currentColumn(), t.table.currentRow()), to);
}

void TestTableOperations::autoSize_data()
{
    QTest::addColumn<bool>("option");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("resized");

    QTest::newRow("header, option on") << true << HeaderRow << true;
    QTest::newRow("header, option off") << false << HeaderRow << false;
    QTest::newRow("data cell, option on") << true << 0 << false;
}

void TestTableOperations::autoSize()
{
    QFETCH(bool, option);
    QFETCH(int, row);
    QFETCH(bool, resized);

    Table t(Family::Plain, { "Y|a fairly long name that needs room||N", "N|b||Y" });
    t.table.setHorizontalHeaderLabels({ "Enable", "Name", "Hidden", "Swap" });
    t.table.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t.table));
    t.table.setColumnWidth(1, 40);
    t.table.setColumnWidth(3, 200);
    t.pv.Opt_Double_Click_Auto_Size = option;

    Grid_Auto_Size(&t.table, row, 1, t.pv);
    Grid_Auto_Size(&t.table, row, 3, t.pv);
    const int textWidth = t.table.fontMetrics().horizontalAdvance(t.table.item(0, 1)->text());
    if (resized) {
        // Wide enough for the longest text, and a check-box column as narrow as its header.
        QVERIFY(t.table.columnWidth(1) >= textWidth);
        QVERIFY(t.table.columnWidth(1) < textWidth + 40);
        QCOMPARE(t.table.columnWidth(3), t.table.horizontalHeader()->sectionSizeHint(3));
    } else {
        QCOMPARE(t.table.columnWidth(1), 40);
        QCOMPARE(t.table.columnWidth(3), 200);
    }
}

void TestTableOperations::decimalSeparator_data()
{
    QTest::addColumn<std::optional<QChar>>("system");
    QTest::addColumn<QChar>("expected");

    QTest::newRow("point") << std::optional<QChar>(u'.') << QChar(u'.');
    QTest::newRow("comma") << std::optional<QChar>(u',') << QChar(u',');
    QTest::newRow("other character") << std::optional<QChar>(u'\'') << QChar(u',');
    QTest::newRow("unreadable") << std::optional<QChar>() << QChar(u',');
}

void TestTableOperations::decimalSeparator()
{
    QFETCH(std::optional<QChar>, system);
    QFETCH(QChar, expected);

    FakeRegionalSettings regional;
    regional.separator = system;
    QCOMPARE(Get_Decimal_Separator(regional), expected);
}

QTEST_MAIN(TestTableOperations)
#include "tst_TableOperations.moc"
