#include "core/models/ListColumns.h"
#include "core/models/RowModel.h"

#include <QSignalSpy>
#include <QtTest>

using namespace sw;

namespace {

// One column of each kind.
struct Item
{
    QString name;
    QString enable = QStringLiteral("Y");
    bool own = true;
    friend bool operator==(const Item &, const Item &) = default;
};

enum Column { Name, Enable, Own };

constexpr RowColumn<Item> ItemColumns[] = {
    { CellKind::Text, &Item::name },
    { CellKind::TextCheck, &Item::enable },
    { CellKind::StateCheck, nullptr, &Item::own },
};

constexpr int Capacity = 4;

struct Model : RowModel<Item>
{
    Model()
        : RowModel<Item>(ItemColumns, Capacity)
    {
    }
};

// What dataChanged said, as "first-last roles" with the rows of its corners and whether it named
// the content roles ("content") or others (their numbers).
QStringList changes(const QSignalSpy &spy)
{
    QStringList out;
    for (const QList<QVariant> &signal : spy) {
        const auto topLeft = signal.at(0).value<QModelIndex>();
        const auto bottomRight = signal.at(1).value<QModelIndex>();
        const auto roles = signal.at(2).value<QList<int>>();
        QStringList names;
        if (roles == RowTableModel::contentRoles()) {
            names << QStringLiteral("content");
        } else {
            for (int role : roles)
                names << QString::number(role);
        }
        out << QStringLiteral("%1,%2-%3,%4 %5")
                   .arg(topLeft.row())
                   .arg(topLeft.column())
                   .arg(bottomRight.row())
                   .arg(bottomRight.column())
                   .arg(names.join(u' '));
    }
    return out;
}

} // namespace

Q_DECLARE_METATYPE(Item)

class tst_RowModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cellsAnswerTheirRoles_data();
    void cellsAnswerTheirRoles();
    void editsThroughRoles_data();
    void editsThroughRoles();
    void editHandlerTakesTheEdits();
    void rowsAreFilledAndCut();
    void replacedRowsStayInTheTable();
    void viewDataByCellAndColumn();
    void headers();
    void listColumns();
};

void tst_RowModel::cellsAnswerTheirRoles_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QVariant>("display");
    QTest::addColumn<QVariant>("check");
    QTest::addColumn<int>("flags");

    const int editable = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
    QTest::newRow("text") << int(Name) << QVariant(QStringLiteral("n")) << QVariant() << editable;
    // A check box held as text is the delegate's business: the model shows the text.
    QTest::newRow("check box as text") << int(Enable) << QVariant(QStringLiteral("N")) << QVariant() << editable;
    // A check box of its own has no text and is toggled, not edited.
    QTest::newRow("check box of its own") << int(Own) << QVariant() << QVariant(int(Qt::Unchecked))
                                          << int(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
}

void tst_RowModel::cellsAnswerTheirRoles()
{
    QFETCH(int, column);
    QFETCH(QVariant, display);
    QFETCH(QVariant, check);
    QFETCH(int, flags);

    Model model;
    model.setRows({ Item {}, Item { QStringLiteral("n"), QStringLiteral("N"), false } });
    const QModelIndex cell = model.index(1, column);
    QCOMPARE(cell.data(Qt::DisplayRole), display);
    QCOMPARE(cell.data(Qt::EditRole), display);
    QCOMPARE(cell.data(Qt::CheckStateRole), check);
    QCOMPARE(int(cell.flags()), flags);
    // A text is a text even when empty, so that editors are made for text.
    if (display.isValid())
        QCOMPARE(model.index(3, column).data(Qt::EditRole).typeId(), QMetaType::QString);
    QVERIFY(!model.index(Capacity, column).data(Qt::DisplayRole).isValid());
}

void tst_RowModel::editsThroughRoles_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("role");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<Item>("after");

    const Item before;
    QTest::newRow("text") << int(Name) << int(Qt::EditRole) << QVariant(QStringLiteral(" a ")) << true
                          << Item { QStringLiteral(" a "), QStringLiteral("Y"), true };
    QTest::newRow("check box as text, any text") << int(Enable) << int(Qt::EditRole) << QVariant(QStringLiteral("y"))
                                                 << true << Item { QString(), QStringLiteral("y"), true };
    QTest::newRow("check box of its own") << int(Own) << int(Qt::CheckStateRole) << QVariant(int(Qt::Unchecked)) << true
                                          << Item { QString(), QStringLiteral("Y"), false };
    QTest::newRow("no text into a check box of its own")
        << int(Own) << int(Qt::EditRole) << QVariant(QStringLiteral("N")) << false << before;
    QTest::newRow("no state into a text")
        << int(Enable) << int(Qt::CheckStateRole) << QVariant(int(Qt::Unchecked)) << false << before;
}

void tst_RowModel::editsThroughRoles()
{
    QFETCH(int, column);
    QFETCH(int, role);
    QFETCH(QVariant, value);
    QFETCH(bool, accepted);
    QFETCH(Item, after);

    Model model;
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QCOMPARE(model.setData(model.index(2, column), value, role), accepted);
    QCOMPARE(model.row(2), after);
    QCOMPARE(model.row(1), Item {});
    // Only the cell changed.
    QCOMPARE(
        changes(changed), accepted ? QStringList { QStringLiteral("2,%1-2,%1 content").arg(column) } : QStringList());
    QVERIFY(!model.setData(model.index(Capacity, column), value, role));
}

void tst_RowModel::editHandlerTakesTheEdits()
{
    Model model;
    QList<QList<CellEdit>> handed;
    model.setEditHandler([&handed](const QList<CellEdit> &edits) { handed.append(edits); });
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    QVERIFY(model.setData(model.index(1, Name), QStringLiteral("typed")));
    QVERIFY(model.setData(model.index(0, Own), Qt::Unchecked, Qt::CheckStateRole));
    // Several cells are one edit; cells outside the table are left out.
    model.setCells({ { 3, Name, QString() }, { 0, Enable, QStringLiteral("N") }, { Capacity, Name, QString() },
        { 0, 3, QString() } });

    // The rows stay as they were until the handler makes the edits.
    QCOMPARE(model.rows(), QList<Item>(Capacity));
    QVERIFY(changed.isEmpty());
    QCOMPARE(handed.size(), 3);
    QCOMPARE(handed[0].size(), 1);
    QCOMPARE(handed[0][0].value, QVariant(QStringLiteral("typed")));
    QCOMPARE(handed[1][0].value, QVariant(false));
    QCOMPARE(handed[2].size(), 2);
    QCOMPARE(model.withCells(0, 3, handed[2]),
        QList<Item>({ Item { QString(), QStringLiteral("N"), true }, Item {}, Item {}, Item {} }));

    // Without a handler, the edits are made at once.
    model.setEditHandler(nullptr);
    model.setCells(handed[2]);
    QCOMPARE(model.row(0).enable, QStringLiteral("N"));
    QCOMPARE(changes(changed), QStringList { "0,0-3,1 content" });
}

void tst_RowModel::rowsAreFilledAndCut()
{
    Model model;
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    const Item a { QStringLiteral("a"), QStringLiteral("N"), false };

    model.setRows({ a });
    QCOMPARE(model.rows(), QList<Item>({ a, Item {}, Item {}, Item {} }));
    model.setRows(QList<Item>(Capacity + 2, a));
    QCOMPARE(model.rows(), QList<Item>(Capacity, a));
    QCOMPARE(model.rowCount(), Capacity);
    // The views keep their current cell and selection: only the cells change.
    QCOMPARE(changes(changed), QStringList({ "0,0-3,2 content", "0,0-3,2 content" }));
    QVERIFY(reset.isEmpty());
    QVERIFY(inserted.isEmpty());
}

void tst_RowModel::replacedRowsStayInTheTable()
{
    Model model;
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    const Item a { QStringLiteral("a") };
    const Item b { QStringLiteral("b") };

    model.replaceRows(2, { a, b, a });
    model.replaceRows(-1, { b, b });
    model.replaceRows(Capacity, { a });
    model.setCell(1, Own, false);
    model.setCell(1, Name, QStringLiteral("c"));
    model.replaceRows(3, { b });
    QCOMPARE(model.rows(), QList<Item>({ b, Item { QStringLiteral("c"), QStringLiteral("Y"), false }, a, b }));
    // The views hear of the cells that changed, no more.
    QCOMPARE(
        changes(changed), QStringList({ "2,0-3,0 content", "0,0-0,0 content", "1,2-1,2 content", "1,0-1,0 content" }));
}

void tst_RowModel::viewDataByCellAndColumn()
{
    Model model;
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.setColumnData(Name, Qt::BackgroundRole, QStringLiteral("column colour"));
    const QModelIndex cell = model.index(1, Name);
    QCOMPARE(cell.data(Qt::BackgroundRole), QVariant(QStringLiteral("column colour")));

    // A cell's own value wins over its column's; removed, the column's shows again.
    QVERIFY(model.setItemData(cell,
        { { Qt::BackgroundRole, QStringLiteral("cell colour") }, { Qt::ToolTipRole, QStringLiteral("tip") },
            { Qt::DecorationRole, QVariant() } }));
    QCOMPARE(cell.data(Qt::BackgroundRole), QVariant(QStringLiteral("cell colour")));
    QCOMPARE(model.index(2, Name).data(Qt::BackgroundRole), QVariant(QStringLiteral("column colour")));
    QVERIFY(model.setData(cell, QVariant(), Qt::BackgroundRole));
    QCOMPARE(cell.data(Qt::BackgroundRole), QVariant(QStringLiteral("column colour")));
    // Setting what a cell holds already tells no view.
    QVERIFY(model.setData(cell, QStringLiteral("tip"), Qt::ToolTipRole));
    // Content roles keep to the row, whatever a view puts into other roles.
    QVERIFY(model.setItemData(cell, { { Qt::EditRole, QStringLiteral("text") } }));
    QCOMPARE(model.row(1).name, QStringLiteral("text"));

    QCOMPARE(changes(changed),
        QStringList({ QStringLiteral("0,0-3,0 %1").arg(Qt::BackgroundRole),
            QStringLiteral("1,0-1,0 %1 %2").arg(Qt::ToolTipRole).arg(Qt::BackgroundRole),
            QStringLiteral("1,0-1,0 %1").arg(Qt::BackgroundRole), "1,0-1,0 content" }));
}

void tst_RowModel::headers()
{
    Model model;
    QSignalSpy changed(&model, &QAbstractItemModel::headerDataChanged);
    model.setHeaders({ "Name", "Enable", "Own" }, { "tip 1", "", "tip 3" });
    QCOMPARE(changed.size(), 1);
    QCOMPARE(model.headerData(Enable, Qt::Horizontal).toString(), QStringLiteral("Enable"));
    QCOMPARE(model.headerData(Own, Qt::Horizontal, Qt::ToolTipRole).toString(), QStringLiteral("tip 3"));
    QVERIFY(!model.headerData(Enable, Qt::Horizontal, Qt::ToolTipRole).isValid());
    QVERIFY(!model.headerData(3, Qt::Horizontal).isValid());
    // The row numbers count from 1.
    QCOMPARE(model.headerData(0, Qt::Vertical).toString(), QStringLiteral("1"));
    QCOMPARE(model.headerData(Capacity - 1, Qt::Vertical).toString(), QString::number(Capacity));
}

void tst_RowModel::listColumns()
{
    // The variable list's columns follow the document's attributes; the check boxes are the
    // attributes whose missing value is "N", and Enable.
    QCOMPARE(VariableColumns.size(), VariableAttributes.size());
    for (size_t c = 0; c < VariableColumns.size(); ++c) {
        const char *name = VariableAttributes[c].name;
        QVERIFY2(VariableColumns[c].text == VariableAttributes[c].member, name);
        const bool check = qstrcmp(VariableAttributes[c].missing, "N") == 0 || qstrcmp(name, "Enable") == 0;
        QVERIFY2((VariableColumns[c].kind == CellKind::TextCheck) == check, name);
    }
    VariableModel variables(VariableColumns, VariableListCapacity);
    QCOMPARE(variables.rowCount(), 50);
    QCOMPARE(variables.columnOf(&VariableRow::Mnemonic), 11);
    QCOMPARE(variables.index(49, 0).data().toString(), QStringLiteral("Y"));

    KnownCertModel certificates(KnownCertColumns, KnownCertListCapacity);
    QCOMPARE(certificates.rowCount(), 10);
    QCOMPARE(certificates.columnCount(), 3);
    QCOMPARE(certificates.columnOf(&KnownCertRow::Enable), 0);
    QCOMPARE(certificates.columnOf(&KnownCertRow::Certificate), 1);
    QCOMPARE(certificates.columnOf(&KnownCertRow::Mnemonic), 2);
    QCOMPARE(certificates.index(9, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
}

QTEST_GUILESS_MAIN(tst_RowModel)
#include "tst_RowModel.moc"
