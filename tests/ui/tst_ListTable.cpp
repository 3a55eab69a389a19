#include "TableCells.h"

#include "core/ProgramValues.h"
#include "core/models/RowModel.h"
#include "ui/widgets/CellEditors.h"
#include "ui/widgets/ListTable.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolTip>
#include <QtTest>

using namespace sw;

namespace {

enum Column { Enable, Name, Type, Factor, Certificate, Own, ReadOnly, ColumnCount };
enum Action { Click, ClickBeside, Space, TypeLetter };

// One row of cells, a field per column.
struct Cells
{
    QString enable;
    QString name;
    QString type;
    QString factor;
    QString certificate;
    bool own = true;
    QString fixed;
    friend bool operator==(const Cells &, const Cells &) = default;
};

constexpr RowColumn<Cells> Columns[] = {
    { CellKind::TextCheck, &Cells::enable },
    { CellKind::Text, &Cells::name },
    { CellKind::Text, &Cells::type },
    { CellKind::Text, &Cells::factor },
    { CellKind::Text, &Cells::certificate },
    { CellKind::StateCheck, nullptr, &Cells::own },
    { CellKind::Text, &Cells::fixed },
};

// The model, with a last column that cannot be edited.
struct Model : RowModel<Cells>
{
    explicit Model(int rows)
        : RowModel<Cells>(Columns, rows)
    {
    }
    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        const Qt::ItemFlags flags = RowModel<Cells>::flags(index);
        return index.column() == ReadOnly ? flags & ~Qt::ItemIsEditable : flags;
    }
};

// A shown table with one column per kind of cell editor, and a read-only text column. A cell is
// written and read as its text, or as "[x]" / "[ ]" when it carries a check box of its own.
struct Fixture
{
    ProgramValues pv;
    CheckBoxDelegate check;
    TextDelegate text;
    ChoiceDelegate choice { { "Int", "Float", "Digital (Bit)" }, false };
    ChoiceDelegate factor { { "None" }, true };
    MultiLineDelegate multi;
    CellCheckDelegate own;
    Model model;
    ListTable table;

    explicit Fixture(int rows = 4)
        : model(rows)
        , table(&model, pv)
    {
        table.setItemDelegateForColumn(Enable, &check);
        table.setItemDelegateForColumn(Name, &text);
        table.setItemDelegateForColumn(Type, &choice);
        table.setItemDelegateForColumn(Factor, &factor);
        table.setItemDelegateForColumn(Certificate, &multi);
        table.setItemDelegateForColumn(Own, &own);
        model.setHeaders({ "Enable", "Name", "Type", "Factor", "Certificate", "Own", "Fixed" }, {});
        table.resize(900, 300);
        table.show();
        table.activateWindow();
    }
    bool ready() { return QTest::qWaitForWindowActive(&table); }

    void set(int r, int c, const QString &value)
    {
        if (value == u"[x]" || value == u"[ ]")
            model.setCell(r, c, value == u"[x]");
        else
            model.setCell(r, c, value);
    }
    QString get(int r, int c) const
    {
        if (test::hasCheckBox(&table, r, c))
            return test::isChecked(&table, r, c) ? QStringLiteral("[x]") : QStringLiteral("[ ]");
        return test::cellText(&table, r, c);
    }
    QPoint centre(int r, int c) const { return table.visualRect(table.model()->index(r, c)).center(); }
    bool editing(int r, int c) const { return table.indexWidget(table.model()->index(r, c)) != nullptr; }
};

} // namespace

class TestListTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void checkBoxes_data();
    void checkBoxes();
    void editors_data();
    void editors();
    void multiLineEditorKeepsUnchangedText();
    void enterKey_data();
    void enterKey();
    void deleteClearsEditableText();
    void headerDoubleClick_data();
    void headerDoubleClick();
    void toolTips_data();
    void toolTips();
    void focusCellScrollsIntoView();
};

void TestListTable::checkBoxes_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("after");

    QTest::newRow("Y, click") << int(Enable) << "Y" << int(Click) << "N";
    QTest::newRow("N, Space") << int(Enable) << "N" << int(Space) << "Y";
    QTest::newRow("empty, click") << int(Enable) << "" << int(Click) << "Y";
    QTest::newRow("lower-case y shows unchecked") << int(Enable) << "y" << int(Click) << "Y";
    QTest::newRow("click beside the box") << int(Enable) << "Y" << int(ClickBeside) << "Y";
    QTest::newRow("typing opens no editor") << int(Enable) << "Y" << int(TypeLetter) << "Y";
    QTest::newRow("own check box, click") << int(Own) << "[x]" << int(Click) << "[ ]";
    QTest::newRow("own check box, Space") << int(Own) << "[ ]" << int(Space) << "[x]";
}

void TestListTable::checkBoxes()
{
    QFETCH(int, column);
    QFETCH(QString, before);
    QFETCH(int, action);
    QFETCH(QString, after);

    Fixture f;
    QVERIFY(f.ready());
    f.set(1, column, before);
    f.table.setCurrentCell(1, column);
    QWidget *viewport = f.table.viewport();
    switch (Action(action)) {
    case Click:
        QTest::mouseClick(viewport, Qt::LeftButton, {}, f.centre(1, column));
        break;
    case ClickBeside:
        QTest::mouseClick(
            viewport, Qt::LeftButton, {}, f.table.visualRect(f.table.currentIndex()).topLeft() + QPoint(2, 2));
        break;
    case Space:
        QTest::keyClick(&f.table, Qt::Key_Space);
        break;
    case TypeLetter:
        QTest::keyClicks(&f.table, QStringLiteral("a"));
        QTest::keyClick(&f.table, Qt::Key_F2);
        break;
    }
    QCOMPARE(f.get(1, column), after);
    QVERIFY(!f.editing(1, column));
    QVERIFY(!f.table.model()->index(1, Own).data(Qt::DisplayRole).isValid());
}

void TestListTable::editors_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QStringList>("lines"); // typed, with Return between them
    QTest::addColumn<int>("endKey");
    QTest::addColumn<QString>("after");

    const int enter = Qt::Key_Return;
    const int escape = Qt::Key_Escape;
    QTest::newRow("text") << int(Name) << "abc" << QStringList { "xyz" } << enter << "xyz";
    QTest::newRow("text, Escape cancels") << int(Name) << "abc" << QStringList { "xyz" } << escape << "abc";
    QTest::newRow("fixed list, a choice") << int(Type) << "Int" << QStringList { "F" } << enter << "Float";
    QTest::newRow("fixed list, unknown text kept") << int(Type) << "float" << QStringList() << enter << "float";
    QTest::newRow("free text") << int(Factor) << "None" << QStringList { "1,5" } << enter << "1,5";
    QTest::newRow("free text, letter case kept") << int(Factor) << "" << QStringList { "none" } << enter << "none";
    QTest::newRow("multi-line, Enter breaks the line")
        << int(Certificate) << "" << QStringList { "-----BEGIN", "AB", "-----END" } << int(Qt::Key_Tab)
        << "-----BEGIN\nAB\n-----END";
    QTest::newRow("multi-line, Escape cancels")
        << int(Certificate) << "old" << QStringList { "x", "y" } << escape << "old";
}

void TestListTable::editors()
{
    QFETCH(int, column);
    QFETCH(QString, before);
    QFETCH(QStringList, lines);
    QFETCH(int, endKey);
    QFETCH(QString, after);

    Fixture f;
    QVERIFY(f.ready());
    f.set(0, column, before);
    f.table.setCurrentCell(0, column);
    QTest::keyClick(&f.table, Qt::Key_F2);
    QVERIFY(f.editing(0, column));
    QWidget *editor = QApplication::focusWidget();
    QVERIFY(editor && editor != &f.table);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            QTest::keyClick(editor, Qt::Key_Return);
        QTest::keyClicks(editor, lines.at(i));
    }
    QVERIFY(f.editing(0, column)); // Enter in the multi-line editor stays in it
    QTest::keyClick(editor, Qt::Key(endKey));
    QTRY_COMPARE(f.get(0, column), after);
    QTRY_VERIFY(!f.editing(0, column));
}

void TestListTable::multiLineEditorKeepsUnchangedText()
{
    // Pasted with CR LF line ends and a no-break space: opening and leaving the editor without a
    // change writes nothing back; a change keeps the other lines and the no-break space.
    Fixture f;
    QVERIFY(f.ready());
    const QString pem = QStringLiteral("-----BEGIN CERTIFICATE-----\r\nMIIB\u00A0x\r\n-----END CERTIFICATE-----");
    f.set(0, Certificate, pem);
    f.table.setCurrentCell(0, Certificate);
    QTest::keyClick(&f.table, Qt::Key_F2);
    auto *editor = qobject_cast<QPlainTextEdit *>(QApplication::focusWidget());
    QVERIFY(editor);
    QTest::keyClick(editor, Qt::Key_Tab);
    QTRY_COMPARE_NE(f.table.currentColumn(), int(Certificate));
    QCOMPARE(f.get(0, Certificate), pem);

    f.table.setCurrentCell(0, Certificate);
    QTest::keyClick(&f.table, Qt::Key_F2);
    editor = qobject_cast<QPlainTextEdit *>(QApplication::focusWidget());
    QVERIFY(editor);
    editor->moveCursor(QTextCursor::End);
    editor->insertPlainText(QStringLiteral("\nextra"));
    QTest::keyClick(editor, Qt::Key_Tab);
    QTRY_COMPARE(f.get(0, Certificate),
        QStringLiteral("-----BEGIN CERTIFICATE-----\nMIIB\u00A0x\n-----END CERTIFICATE-----\nextra"));
}

void TestListTable::enterKey_data()
{
    QTest::addColumn<bool>("option");
    QTest::addColumn<bool>("editing");
    QTest::addColumn<QPoint>("from"); // (column, row)
    QTest::addColumn<bool>("factorLast"); // the columns after Factor hidden: Factor ends the row
    QTest::addColumn<QPoint>("to");

    QTest::newRow("option on, next field") << true << false << QPoint(Name, 1) << false << QPoint(Type, 1);
    QTest::newRow("option on, ends an edit and moves on")
        << true << true << QPoint(Name, 1) << false << QPoint(Type, 1);
    QTest::newRow("option on, ends an edit at the end of a row")
        << true << true << QPoint(Factor, 1) << true << QPoint(Enable, 2);
    QTest::newRow("option on, ends an edit in the last row")
        << true << true << QPoint(Factor, 3) << true << QPoint(Enable, 0);
    QTest::newRow("option on, last column") << true << false << QPoint(ReadOnly, 1) << false << QPoint(Enable, 2);
    QTest::newRow("option off, stays") << false << false << QPoint(Name, 1) << false << QPoint(Name, 1);
    QTest::newRow("option off, ends an edit and stays") << false << true << QPoint(Name, 1) << false << QPoint(Name, 1);
}

// Enter moves exactly one field, with or without an open editor: the position is taken once every
// event the key caused, queued ones included, has been handled.
void TestListTable::enterKey()
{
    QFETCH(bool, option);
    QFETCH(bool, editing);
    QFETCH(QPoint, from);
    QFETCH(bool, factorLast);
    QFETCH(QPoint, to);

    QTest::failOnWarning(QRegularExpression(QStringLiteral("does not belong to this view")));
    Fixture f;
    QVERIFY(f.ready());
    f.pv.Opt_Jump_Field_Tables = option; // read when the key comes
    for (int c = Factor + 1; factorLast && c < ColumnCount; ++c)
        f.table.setColumnHidden(c, true);
    f.table.setCurrentCell(from.y(), from.x());
    QWidget *target = &f.table;
    if (editing) {
        QTest::keyClick(&f.table, Qt::Key_F2);
        target = QApplication::focusWidget();
        QVERIFY(target != &f.table);
        QTest::keyClicks(target, QStringLiteral("v"));
    }
    QTest::keyClick(target, Qt::Key_Return);
    for (int round = 0; round < 5; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    QTest::qWait(20);
    QVERIFY(!f.editing(from.y(), from.x()));
    QCOMPARE(QPoint(f.table.currentColumn(), f.table.currentRow()), to);
    if (editing && from.x() == Name)
        QCOMPARE(f.get(from.y(), from.x()), QStringLiteral("v"));
}

void TestListTable::deleteClearsEditableText()
{
    Fixture f;
    QVERIFY(f.ready());
    const QStringList row { "Y", "name", "Float", "None", "cert", "[ ]", "fixed" };
    for (int c = 0; c < ColumnCount; ++c)
        f.set(2, c, row.at(c));
    f.table.setCurrentCell(2, Enable);
    test::selectCells(&f.table, 2, 0, 2, ColumnCount - 1);
    QTest::keyClick(&f.table, Qt::Key_Delete);
    QStringList after;
    for (int c = 0; c < ColumnCount; ++c)
        after << f.get(2, c);
    QCOMPARE(after, QStringList({ "Y", "", "", "", "", "[ ]", "fixed" }));
}

void TestListTable::headerDoubleClick_data()
{
    QTest::addColumn<bool>("option");
    QTest::addColumn<QString>("where");
    QTest::addColumn<bool>("resized");

    QTest::newRow("section, option on") << true << "section" << true;
    QTest::newRow("divider, option on") << true << "divider" << true;
    QTest::newRow("section, option off") << false << "section" << false;
    QTest::newRow("divider, option off") << false << "divider" << false;
    QTest::newRow("data cell, option on") << true << "cell" << false;
}

void TestListTable::headerDoubleClick()
{
    QFETCH(bool, option);
    QFETCH(QString, where);
    QFETCH(bool, resized);

    Fixture f;
    QVERIFY(f.ready());
    f.pv.Opt_Double_Click_Auto_Size = option;
    f.set(0, Name, QStringLiteral("a name long enough to need a wider column"));
    f.table.setColumnWidth(Name, 60);
    QHeaderView *header = f.table.horizontalHeader();
    const int left = header->sectionViewportPosition(Name);
    if (where == u"section")
        QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, QPoint(left + 30, header->height() / 2));
    else if (where == u"divider")
        QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, QPoint(left + 59, header->height() / 2));
    else
        QTest::mouseDClick(f.table.viewport(), Qt::LeftButton, {}, f.centre(1, Name));
    if (resized)
        QVERIFY(f.table.columnWidth(Name) > f.table.fontMetrics().horizontalAdvance(f.get(0, Name)));
    else
        QCOMPARE(f.table.columnWidth(Name), 60);
}

void TestListTable::toolTips_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("shown");

    QTest::newRow("fits") << int(Name) << "short" << false;
    QTest::newRow("cut short") << int(Name) << QString(60, u'W') + "<b>" << true;
    QTest::newRow("several lines") << int(Certificate) << "a\nb" << true;
    QTest::newRow("empty") << int(Name) << "" << false;
    QTest::newRow("check box held as text") << int(Enable) << "Y" << false;
}

void TestListTable::toolTips()
{
    QFETCH(int, column);
    QFETCH(QString, text);
    QFETCH(bool, shown);

    Fixture f;
    QVERIFY(f.ready());
    f.table.setColumnWidth(column, 120);
    f.set(0, column, text);
    QCOMPARE(f.table.cellToolTip(0, column), shown ? text : QString());

    QHelpEvent help(QEvent::ToolTip, f.centre(0, column), f.table.viewport()->mapToGlobal(f.centre(0, column)));
    QApplication::sendEvent(f.table.viewport(), &help);
    if (shown) {
        QTRY_VERIFY(QToolTip::isVisible());
        QVERIFY(QToolTip::text().contains(text.toHtmlEscaped()));
    } else {
        QVERIFY(!QToolTip::isVisible() || !QToolTip::text().contains(text));
    }
    QToolTip::hideText();
}

void TestListTable::focusCellScrollsIntoView()
{
    Fixture f(50);
    QVERIFY(f.ready());
    f.table.clearFocus();
    f.table.focusCell(45, Factor);
    QCOMPARE(f.table.currentRow(), 45);
    QCOMPARE(f.table.currentColumn(), int(Factor));
    QVERIFY(f.table.viewport()->rect().contains(f.table.visualRect(f.table.currentIndex())));
    QTRY_VERIFY(f.table.hasFocus());
}

QTEST_MAIN(TestListTable)
#include "tst_ListTable.moc"
