#include "FakeServices.h"

#include "core/ProgramValues.h"
#include "core/models/RowModel.h"
#include "ui/widgets/CellEditors.h"
#include "ui/widgets/TableOperations.h"

#include <QApplication>
#include <QHeaderView>
#include <QTableView>
#include <QtTest>

#include <optional>

using namespace sw;
using sw::test::FakeRegionalSettings;

namespace {

// A row of four texts.
struct Cells
{
    QString enable;
    QString name;
    QString hidden;
    QString swap;
    friend bool operator==(const Cells &, const Cells &) = default;
};

constexpr RowColumn<Cells> Columns[] = {
    { CellKind::TextCheck, &Cells::enable },
    { CellKind::Text, &Cells::name },
    { CellKind::Text, &Cells::hidden },
    { CellKind::TextCheck, &Cells::swap },
};

// A view of four rows with its check boxes, the third column hidden (Enter passes over it).
struct Table
{
    ProgramValues pv;
    CheckBoxDelegate checkDelegate;
    RowModel<Cells> model { Columns, 4 };
    QTableView table;

    explicit Table(const QList<Cells> &rows = {})
    {
        model.setRows(rows);
        table.setModel(&model);
        table.setItemDelegateForColumn(0, &checkDelegate);
        table.setItemDelegateForColumn(3, &checkDelegate);
        table.setColumnHidden(2, true);
    }
    QPoint current() const { return QPoint(table.currentIndex().column(), table.currentIndex().row()); }
};

} // namespace

class TestTableOperations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void enterKey_data();
    void enterKey();
    void autoSize_data();
    void autoSize();
    void decimalSeparator_data();
    void decimalSeparator();
};

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

    Table t;
    t.pv.Opt_Jump_Field_Tables = option;
    t.table.setCurrentIndex(t.model.index(from.y(), from.x()));
    QCOMPARE(Grid_Enter_Key(&t.table, key, t.pv), swallowed);
    QCOMPARE(t.current(), to);
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

    Table t({ { "Y", "a fairly long name that needs room", "", "N" }, { "N", "b", "", "Y" } });
    t.model.setHeaders({ "Enable", "Name", "Hidden", "Swap" }, {});
    t.table.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t.table));
    t.table.setColumnWidth(1, 40);
    t.table.setColumnWidth(3, 200);
    t.pv.Opt_Double_Click_Auto_Size = option;

    Grid_Auto_Size(&t.table, row, 1, t.pv);
    Grid_Auto_Size(&t.table, row, 3, t.pv);
    const int textWidth = t.table.fontMetrics().horizontalAdvance(t.model.row(0).name);
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
