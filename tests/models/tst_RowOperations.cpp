#include "core/models/RowOperations.h"

#include <QtTest>

using namespace sw;

namespace {

enum class Family { Plain, Check };

// A row of four cells; the plain family shows `enable` and `last` as check boxes held as text, the
// check-box family shows `own` as a check box of its own in place of `enable`.
struct Cells
{
    QString enable;
    QString name;
    QString hint;
    QString last;
    bool own = false;
    friend bool operator==(const Cells &, const Cells &) = default;
};

constexpr RowColumn<Cells> PlainColumns[] = {
    { CellKind::TextCheck, &Cells::enable },
    { CellKind::Text, &Cells::name },
    { CellKind::Text, &Cells::hint },
    { CellKind::TextCheck, &Cells::last },
};
constexpr RowColumn<Cells> CheckColumns[] = {
    { CellKind::StateCheck, nullptr, &Cells::own },
    { CellKind::Text, &Cells::name },
    { CellKind::Text, &Cells::hint },
    { CellKind::Text, &Cells::last },
};

// A table of the family's columns holding `rows`, each written "cell|cell|cell|cell", a check box
// of its own as "[x]" or "[ ]".
struct Table
{
    Family family;
    RowModel<Cells> model;

    Table(Family f, const QStringList &rows)
        : family(f)
        , model(f == Family::Plain ? std::span<const RowColumn<Cells>>(PlainColumns) : CheckColumns, int(rows.size()))
    {
        QList<Cells> cells;
        for (const QString &row : rows)
            cells.append(parse(row));
        model.setRows(cells);
    }

    Cells parse(const QString &row) const
    {
        const QStringList parts = row.split(u'|');
        Cells cells;
        for (qsizetype c = 0; c < parts.size(); ++c)
            RowModel<Cells>::setValue(cells, model.columns()[size_t(c)],
                parts[c] == u"[x]" || parts[c] == u"[ ]" ? QVariant(parts[c] == u"[x]") : QVariant(parts[c]));
        return cells;
    }
    QString text(const Cells &cells) const
    {
        QStringList parts;
        for (const RowColumn<Cells> &column : model.columns()) {
            const QVariant value = RowModel<Cells>::valueOf(cells, column);
            parts << (column.kind == CellKind::StateCheck ? (value.toBool() ? "[x]" : "[ ]") : value.toString());
        }
        return parts.join(u'|');
    }
    QStringList texts(const QList<Cells> &rows) const
    {
        QStringList out;
        for (const Cells &cells : rows)
            out << text(cells);
        return out;
    }
};

const QStringList plainRows { "Y|a|h1|N", "N|b|h2|Y", "Y|c|h3|N", "Y|d|h4|Y" };
const QStringList checkRows { "[x]|a|h1|m1", "[ ]|b|h2|m2", "[x]|c|h3|m3", "[ ]|d|h4|m4" };

} // namespace

Q_DECLARE_METATYPE(Family)
Q_DECLARE_METATYPE(sw::PasteCheck)

class tst_RowOperations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deleteRow_data();
    void deleteRow();
    void insertRow_data();
    void insertRow();
    void copy_data();
    void copy();
    void paste_data();
    void paste();
    void pasteRefused_data();
    void pasteRefused();
    void pastedCheckBoxOnlyFromFlaggedY();
};

void tst_RowOperations::deleteRow_data()
{
    QTest::addColumn<Family>("family");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("checkFirst");
    QTest::addColumn<QStringList>("after");

    QTest::newRow("plain, middle") << Family::Plain << plainRows << 1 << false
                                   << QStringList { "Y|a|h1|N", "Y|c|h3|N", "Y|d|h4|Y", "|||" };
    QTest::newRow("plain, first") << Family::Plain << plainRows << 0 << false
                                  << QStringList { "N|b|h2|Y", "Y|c|h3|N", "Y|d|h4|Y", "|||" };
    QTest::newRow("plain, last only empties it")
        << Family::Plain << plainRows << 3 << false << QStringList { "Y|a|h1|N", "N|b|h2|Y", "Y|c|h3|N", "|||" };
    QTest::newRow("check, middle, freed row checked")
        << Family::Check << checkRows << 1 << true
        << QStringList { "[x]|a|h1|m1", "[x]|c|h3|m3", "[ ]|d|h4|m4", "[x]|||" };
    QTest::newRow("check, middle, freed row unchecked")
        << Family::Check << checkRows << 1 << false
        << QStringList { "[x]|a|h1|m1", "[x]|c|h3|m3", "[ ]|d|h4|m4", "[ ]|||" };
    QTest::newRow("check, last") << Family::Check << checkRows << 3 << true
                                 << QStringList { "[x]|a|h1|m1", "[ ]|b|h2|m2", "[x]|c|h3|m3", "[x]|||" };
    QTest::newRow("above the table") << Family::Plain << plainRows << -1 << false << plainRows;
    QTest::newRow("below the table") << Family::Check << checkRows << 4 << true << checkRows;
}

void tst_RowOperations::deleteRow()
{
    QFETCH(Family, family);
    QFETCH(QStringList, before);
    QFETCH(int, row);
    QFETCH(bool, checkFirst);
    QFETCH(QStringList, after);

    Table t(family, before);
    const QList<Cells> rows
        = family == Family::Plain ? Delete_Row(row, t.model) : Delete_Row_Check(row, t.model, checkFirst);
    QCOMPARE(t.texts(rows), after);
    // Computed, not made: the table is left as it was.
    QCOMPARE(t.texts(t.model.rows()), before);
}

void tst_RowOperations::insertRow_data()
{
    QTest::addColumn<Family>("family");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("flag");
    QTest::addColumn<QStringList>("after");

    QTest::newRow("plain, enabled new row")
        << Family::Plain << plainRows << 1 << true << QStringList { "Y|a|h1|N", "Y|||", "N|b|h2|Y", "Y|c|h3|N" };
    QTest::newRow("plain, empty new row")
        << Family::Plain << plainRows << 0 << false << QStringList { "|||", "Y|a|h1|N", "N|b|h2|Y", "Y|c|h3|N" };
    QTest::newRow("plain, last only empties it")
        << Family::Plain << plainRows << 3 << true << QStringList { "Y|a|h1|N", "N|b|h2|Y", "Y|c|h3|N", "Y|||" };
    QTest::newRow("check, new row checked") << Family::Check << checkRows << 1 << true
                                            << QStringList { "[x]|a|h1|m1", "[x]|||", "[ ]|b|h2|m2", "[x]|c|h3|m3" };
    QTest::newRow("check, new row unchecked") << Family::Check << checkRows << 0 << false
                                              << QStringList { "[ ]|||", "[x]|a|h1|m1", "[ ]|b|h2|m2", "[x]|c|h3|m3" };
    QTest::newRow("outside the table") << Family::Check << checkRows << -1 << true << checkRows;
}

void tst_RowOperations::insertRow()
{
    QFETCH(Family, family);
    QFETCH(QStringList, before);
    QFETCH(int, row);
    QFETCH(bool, flag);
    QFETCH(QStringList, after);

    Table t(family, before);
    const QList<Cells> rows
        = family == Family::Plain ? Insert_Row(row, t.model, flag) : Insert_Row_Check(row, t.model, flag);
    QCOMPARE(t.texts(rows), after);
}

void tst_RowOperations::copy_data()
{
    QTest::addColumn<Family>("family");
    QTest::addColumn<QString>("row");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<bool>>("isCheck"); // the check-box family's flags

    QTest::newRow("plain, blanks kept") << Family::Plain << "N| b |h|Y" << QStringList { "N", " b ", "h", "Y" }
                                        << QList<bool> {};
    QTest::newRow("check, checked") << Family::Check << "[x]|c||m" << QStringList { "Y", "c", "", "m" }
                                    << QList<bool> { true, false, false, false };
    QTest::newRow("check, unchecked, Y as text") << Family::Check << "[ ]|c|h|Y" << QStringList { "N", "c", "h", "Y" }
                                                 << QList<bool> { true, false, false, false };
}

void tst_RowOperations::copy()
{
    QFETCH(Family, family);
    QFETCH(QString, row);
    QFETCH(QStringList, texts);
    QFETCH(QList<bool>, isCheck);

    Table t(family, { "x|x|x|x", row });
    if (family == Family::Plain) {
        QCOMPARE(Copy_Row(t.model, 1), texts);
        QCOMPARE(Copy_Row(t.model, 2), QStringList());
    } else {
        const RowCopy copy = Copy_Row_Check(t.model, 1);
        QCOMPARE(copy.texts, texts);
        QCOMPARE(copy.isCheck, isCheck);
        QVERIFY(Copy_Row_Check(t.model, -1).texts.isEmpty());
    }
}

void tst_RowOperations::paste_data()
{
    QTest::addColumn<Family>("family");
    QTest::addColumn<QStringList>("rows"); // copied from the first, pasted into the second
    QTest::addColumn<PasteCheck>("check");

    QTest::newRow("plain, empty row") << Family::Plain << QStringList { "N|a|h|Y", "|||" } << PasteCheck::TargetFree;
    // Check-box columns and blank text are left out of the in-use test.
    QTest::newRow("plain, only check-box columns and blanks")
        << Family::Plain << QStringList { "N|a|h|Y", "Y|  |\t|N" } << PasteCheck::TargetFree;
    QTest::newRow("plain, text in the last text column")
        << Family::Plain << QStringList { "N|a|h|Y", "Y||x|N" } << PasteCheck::TargetInUse;
    QTest::newRow("plain, row in use") << Family::Plain << QStringList { "N|a|h|Y", "Y|z||N" }
                                       << PasteCheck::TargetInUse;
    QTest::newRow("check, empty row") << Family::Check << QStringList { "[ ]|a|h|m", "[x]|||" }
                                      << PasteCheck::TargetFree;
    QTest::newRow("check, blanks count as content")
        << Family::Check << QStringList { "[ ]|a|h|m", "[x]| ||" } << PasteCheck::TargetInUse;
    QTest::newRow("check, row in use") << Family::Check << QStringList { "[ ]|a|h|m", "[x]|||z" }
                                       << PasteCheck::TargetInUse;
}

void tst_RowOperations::paste()
{
    QFETCH(Family, family);
    QFETCH(QStringList, rows);
    QFETCH(PasteCheck, check);

    Table t(family, rows);
    const PastedRow<Cells> pasted = family == Family::Plain
        ? Paste_Row(t.model, 1, true, Copy_Row(t.model, 0))
        : Paste_Row_Check(t.model, 1, true, Copy_Row_Check(t.model, 0));
    QCOMPARE(pasted.check, check);
    QCOMPARE(t.text(pasted.row), rows.first());
    QCOMPARE(t.texts(t.model.rows()), rows);
}

void tst_RowOperations::pasteRefused_data()
{
    QTest::addColumn<Family>("family");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("copied");
    QTest::addColumn<QStringList>("buffer");
    QTest::addColumn<PasteCheck>("check");

    const QStringList four { "Y", "a", "b", "c" };
    const QStringList three { "Y", "a", "b" };
    for (Family family : { Family::Plain, Family::Check }) {
        const char *name = family == Family::Plain ? "plain" : "check";
        QTest::addRow("%s, nothing copied", name) << family << 0 << false << four << PasteCheck::NothingCopied;
        QTest::addRow("%s, buffer of another table", name)
            << family << 0 << true << three << PasteCheck::CopyDoesNotFit;
        QTest::addRow("%s, empty buffer", name) << family << 0 << true << QStringList() << PasteCheck::CopyDoesNotFit;
        QTest::addRow("%s, no row, nothing copied", name) << family << -1 << false << four << PasteCheck::NoRow;
    }
}

void tst_RowOperations::pasteRefused()
{
    QFETCH(Family, family);
    QFETCH(int, row);
    QFETCH(bool, copied);
    QFETCH(QStringList, buffer);
    QFETCH(PasteCheck, check);

    const QString target = family == Family::Plain ? "N|x||Y" : "[ ]|x||";
    Table t(family, { target });
    const PastedRow<Cells> pasted = family == Family::Plain
        ? Paste_Row(t.model, row, copied, buffer)
        : Paste_Row_Check(t.model, row, copied, { buffer, QList<bool>(buffer.size(), false) });
    QCOMPARE(pasted.check, check);
    if (row >= 0)
        QCOMPARE(t.text(pasted.row), target);
}

void tst_RowOperations::pastedCheckBoxOnlyFromFlaggedY()
{
    Table t(Family::Check, { "[ ]|||", "[ ]|||", "[x]|||", "[x]|||" });
    const QList<std::pair<RowCopy, QString>> cases = {
        { { { "Y", "a", "", "" }, { true, false, false, false } }, "[x]|a||" },
        { { { "y", "b", "", "" }, { true, false, false, false } }, "[ ]|b||" },
        { { { "Yes", "c", "", "" }, { true, false, false, false } }, "[ ]|c||" },
        // Not flagged as a check box: the check box keeps its state.
        { { { "N", "d", "", "" }, { false, false, false, false } }, "[x]|d||" },
    };
    for (int r = 0; r < cases.size(); ++r) {
        const PastedRow<Cells> pasted = Paste_Row_Check(t.model, r, true, cases[r].first);
        QCOMPARE(pasted.check, PasteCheck::TargetFree);
        QCOMPARE(t.text(pasted.row), cases[r].second);
    }
}

QTEST_GUILESS_MAIN(tst_RowOperations)
#include "tst_RowOperations.moc"
