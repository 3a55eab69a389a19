#include "CertificateFixtures.h"
#include "DialogFixture.h"
#include "PlainTips.h"
#include "TableCells.h"
#include "UnreadableDocument.h"

#include "core/documents/KnownCertDocument.h"
#include "core/text/Catalogue.h"
#include "core/text/MessageIds.h"
#include "core/xml/Xml.h"
#include "ui/documents/UTLS_Server_Known_Cert.h"
#include "ui/widgets/FindingMarks.h"
#include "ui/widgets/ListTable.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QtTest>

#include <memory>

using namespace sw;
using sw::test::readFile;
using sw::test::ScriptedMessages;
using sw::test::writeFile;

namespace {

enum Column { Enable, Certificate, Mnemonic };

const QString Pem = QStringLiteral("-----BEGIN CERTIFICATE-----\r\nMIIB+zCCAWSgAwIBAgIJAKx/3Q==\r\n"
                                   "-----END CERTIFICATE-----\r\n");
const QString PemLf = QString(Pem).remove(u'\r');
const QString DefaultRow = QStringLiteral("[x]||");

// A project folder with the dialog created as at start-up; the document is written by the test.
// A table row reads and is written as "[x]|certificate|mnemonic", "[ ]" when unchecked.
struct Fixture : test::DialogFixture<TFTLS_Server_Known_Cert>
{
    Fixture()
    {
        pv.File_TLS_Known_Cert = path(QStringLiteral("TLS_Known_Cert.xml"));
        dlg = std::make_unique<TFTLS_Server_Known_Cert>(pv, services);
    }

    ListTable *table() const { return get<ListTable>(QStringLiteral("ASG")); }
    [[nodiscard]] bool writeRows(const QList<KnownCertRow> &rows) const
    {
        return writeFile(pv.File_TLS_Known_Cert, knownCertDocument(rows));
    }

    QString row(int r) const
    {
        return QStringLiteral("%1|%2|%3")
            .arg(test::isChecked(table(), r, Enable) ? QStringLiteral("[x]") : QStringLiteral("[ ]"),
                test::cellText(table(), r, Certificate), test::cellText(table(), r, Mnemonic));
    }
    QStringList rows() const
    {
        QStringList out;
        for (int r = 0; r < table()->rowCount(); ++r)
            out << row(r);
        return out;
    }
    void setRow(int r, const QString &text) const
    {
        const QStringList parts = text.split(u'|');
        QVERIFY(test::setChecked(table(), r, Enable, parts[0] == u"[x]"));
        QVERIFY(test::setCellText(table(), r, Certificate, parts[1]));
        QVERIFY(test::setCellText(table(), r, Mnemonic, parts[2]));
    }
    void setRows(const QStringList &texts) const
    {
        for (int r = 0; r < texts.size(); ++r)
            setRow(r, texts[r]);
    }
};

// The tooltip that shows when the pointer rests on the cell, as plain text; empty when none shows.
QString shownToolTip(ListTable *t, int row, int column)
{
    const QPoint at = t->visualRect(t->model()->index(row, column)).center();
    QHelpEvent help(QEvent::ToolTip, at, t->viewport()->mapToGlobal(at));
    QApplication::sendEvent(t->viewport(), &help);
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (const auto *label = qobject_cast<QLabel *>(w);
            label && label->isVisible() && label->objectName() == QLatin1String("qtooltip_label")) {
            if (!Qt::mightBeRichText(label->text()))
                return label->text();
            QTextDocument document;
            document.setHtml(label->text());
            return document.toPlainText();
        }
    }
    return QString();
}

// Certificates valid around the time the tests run: the dialog reads them at the current time.
const QDateTime CertificatesMadeAt = QDateTime::currentDateTimeUtc();

const test::CertificateFixtures &certs()
{
    static const test::CertificateFixtures made(CertificatesMadeAt);
    return made;
}

QString timeText(const QDateTime &t)
{
    return t.toString(QStringLiteral("yyyy-MM-dd HH:mm 'UTC'"));
}

// The summary of a server certificate of the fixtures valid between the two instants.
QString described(const QDateTime &from, const QDateTime &until)
{
    return QStringLiteral("Subject: O=Test Lab, CN=gateway\nIssuer: O=Test Lab, CN=Test Root\nValid from: %1\n"
                          "Valid until: %2")
        .arg(timeText(from), timeText(until));
}

// How the certificate cell of a row is marked: "error", "warning" or "none", going by its colours and sign;
// "mixed" for anything else.
QString markOfCell(const QAbstractItemView *table, int row)
{
    const QModelIndex cell = test::cellAt(table, row, Certificate);
    const bool sign = !test::cellIcon(table, row, Certificate).isNull();
    const QColor background = test::cellBackground(table, row, Certificate).color();
    for (FindingMark mark : { FindingMark::Error, FindingMark::Warning }) {
        if (background == markBackground(mark) && cell.data(Qt::ForegroundRole).value<QColor>() == markForeground(mark)
            && sign)
            return mark == FindingMark::Error ? QStringLiteral("error") : QStringLiteral("warning");
    }
    if (background == QColor(224, 250, 254) && !cell.data(Qt::ForegroundRole).isValid() && !sign)
        return QStringLiteral("none");
    return QStringLiteral("mixed");
}

// `texts` from row 1 down, default rows below them.
QStringList tableOf(const QStringList &texts)
{
    QStringList out = texts;
    while (out.size() < KnownCertListCapacity)
        out << DefaultRow;
    return out;
}

} // namespace

class tst_UTLS_Server_Known_Cert : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void opensWithDefaultRowsAndItsLayout();
    void languageChangeReachesHeadersAndHints();
    void loadShowsEachRow_data();
    void loadShowsEachRow();
    void storesEnableFromTheCheckBoxes();
    void certificateThroughTheEditor_data();
    void certificateThroughTheEditor();
    void rowsAfterBlankCertificateNotStored();
    void deleteRowAsksFirst_data();
    void deleteRowAsksFirst();
    void insertRowFreesACheckedRow();
    void pasteIntoRow_data();
    void pasteIntoRow();
    void pasteRefusedWithoutCopyInThisShowing();
    void malformedDocument_data();
    void malformedDocument();
    void failedWriteKeepsDialogOpen_data();
    void failedWriteKeepsDialogOpen();
    void cancelDiscardsAndEveryShowingReloads();
    void keyboardAlone();
    void longTextsShowWholeInTooltips_data();
    void longTextsShowWholeInTooltips();
    void certificateCellsDescribeAndMark_data();
    void certificateCellsDescribeAndMark();
    void certificateMarksFollowEditsAndRows();
    void marksTakeTheDateFromTheClock_data();
    void marksTakeTheDateFromTheClock();
    void undoRestoresCheckBoxesAndMarks_data();
    void undoRestoresCheckBoxesAndMarks();
};

void tst_UTLS_Server_Known_Cert::opensWithDefaultRowsAndItsLayout()
{
    Fixture f;
    f.open();
    QVERIFY(f.messages.records.isEmpty());
    QCOMPARE(f.rows(), tableOf({}));
    QCOMPARE(f.dlg->size(), QSize(800, 337));
    QCOMPARE(f.dlg->windowTitle(), QStringLiteral("Definition the list of Known Certificates"));
    QCOMPARE(f.get<QLabel>("L_SW_Code")->text(), QStringLiteral("SW61942"));

    ListTable *t = f.table();
    QCOMPARE(t->columnCount(), 3);
    QCOMPARE(t->cornerText(), QStringLiteral("N"));
    QCOMPARE(t->verticalHeader()->width(), 40);
    const QList<int> widths = { 50, 500, 160 };
    const QStringList headers = { "Enable", "Certificate", "Mnemonic" };
    const QStringList hints = { "Enable/Disable the Row with TLS Certificate", "Insert the TLS Certificate",
        "Insert a Description of TLS Certificate" };
    const QList<QColor> colours = { QColor(255, 216, 176), QColor(224, 250, 254), Qt::white };
    for (int c = 0; c < 3; ++c) {
        QCOMPARE(t->columnWidth(c), widths[c]);
        QCOMPARE(test::headerText(t, c), headers[c]);
        QCOMPARE(test::shownTip(t->model()->headerData(c, Qt::Horizontal, Qt::ToolTipRole).toString()), hints[c]);
        for (int r = 0; r < t->rowCount(); ++r)
            QCOMPARE(test::cellBackground(t, r, c).color(), colours[c]);
    }
    for (int r = 0; r < t->rowCount(); ++r) {
        QCOMPARE(t->rowHeight(r), 60);
        QCOMPARE(t->model()->headerData(r, Qt::Vertical).toString(), QString::number(r + 1));
        QVERIFY(!(test::cellAt(t, r, Enable).flags() & Qt::ItemIsEditable)); // toggled, not typed
    }

    // The six buttons, left to right, each wide enough for its caption.
    const QStringList buttons = { "Btn_OK", "Btn_Cancel", "Btn_DelRow", "Btn_InsRow", "Btn_CopyRow", "Btn_PasteRow" };
    const QStringList captions = { "OK", "Cancel", "Delete Row", "Insert Row", "Copy Row", "Paste Row" };
    int left = -1;
    for (int i = 0; i < buttons.size(); ++i) {
        const auto *button = f.get<QPushButton>(buttons[i]);
        QCOMPARE(button->text(), captions[i]);
        QVERIFY2(button->x() > left, qPrintable(buttons[i]));
        QVERIFY2(button->sizeHint().width() <= button->width(), qPrintable(buttons[i]));
        left = button->x();
    }
    QCOMPARE(test::shownTip(f.get<QPushButton>("Btn_DelRow")->toolTip()),
        QStringLiteral("Delete the selected Row in the table"));

    const QString shots = qEnvironmentVariable("SW_SCREENSHOT_DIR");
    if (!shots.isEmpty()) {
        f.setRows({ "[x]|" + Pem + "|Plant gateway A", "[ ]|" + PemLf + "|Spare, not yet in use",
            "[x]|-----BEGIN CERTIFICATE-----|" });
        f.dlg->grab().save(shots + QStringLiteral("/TFTLS_Server_Known_Cert.png"));
        f.table()->edit(f.table()->model()->index(1, Certificate));
        f.dlg->grab().save(shots + QStringLiteral("/TFTLS_Server_Known_Cert-editing.png"));
        f.table()->setCurrentCell(0, Enable);
    }

    // Cancel writes nothing.
    f.click("Btn_Cancel");
    QVERIFY(!f.dlg->isVisible());
    QCOMPARE(f.dlg->result(), int(QDialog::Rejected));
    QVERIFY(!QFile::exists(f.pv.File_TLS_Known_Cert));
}

void tst_UTLS_Server_Known_Cert::languageChangeReachesHeadersAndHints()
{
    Fixture f;
    f.pv.Msg_Catalogue[MsgId::KnownCertCaption] = QStringLiteral("Certificati noti");
    f.pv.Msg_Catalogue[MsgId::KnownCertRowNumber] = QStringLiteral("Nr");
    f.pv.Msg_Catalogue[MsgId::KnownCertCertificate] = QStringLiteral("Certificato");
    f.pv.Msg_Catalogue[MsgId::KnownCertHintMnemonic] = QStringLiteral("Descrizione");
    f.pv.Msg_Catalogue[MsgId::KnownCertPasteRow] = QStringLiteral("Incolla");
    f.pv.Msg_Catalogue[MsgId::KnownCertHintPasteRow] = QStringLiteral("Incolla la riga");
    f.dlg->Set_Lang();
    QCOMPARE(f.dlg->windowTitle(), QStringLiteral("Certificati noti"));
    QCOMPARE(f.table()->cornerText(), QStringLiteral("Nr"));
    QCOMPARE(test::headerText(f.table(), Certificate), QStringLiteral("Certificato"));
    QCOMPARE(test::shownTip(test::headerTip(f.table(), Mnemonic)), QStringLiteral("Descrizione"));
    QCOMPARE(f.get<QPushButton>("Btn_PasteRow")->text(), QStringLiteral("Incolla"));
    QCOMPARE(test::shownTip(f.get<QPushButton>("Btn_PasteRow")->toolTip()), QStringLiteral("Incolla la riga"));
}

void tst_UTLS_Server_Known_Cert::loadShowsEachRow_data()
{
    QTest::addColumn<QByteArray>("element");
    QTest::addColumn<QString>("shown");

    QTest::newRow("unchecked by N") << QByteArray(R"(<row Enable="N" Certificate="C" Mnemonic="M"/>)") << "[ ]|C|M";
    QTest::newRow("checked by n") << QByteArray(R"(<row Enable="n" Certificate="C" Mnemonic="M"/>)") << "[x]|C|M";
    QTest::newRow("checked by other text") << QByteArray(R"(<row Enable="No" Certificate="C"/>)") << "[x]|C|";
    QTest::newRow("no attributes") << QByteArray("<row/>") << DefaultRow;
    QTest::newRow("line breaks and blanks kept")
        << QByteArray(R"(<row Enable="N" Certificate="A&#13;&#10;B&#10;C" Mnemonic=" m "/>)")
        << QStringLiteral("[ ]|A\r\nB\nC| m ");
}

void tst_UTLS_Server_Known_Cert::loadShowsEachRow()
{
    QFETCH(QByteArray, element);
    QFETCH(QString, shown);

    Fixture f;
    QVERIFY(writeFile(f.pv.File_TLS_Known_Cert,
        "<TLS_Server_Known_Cert>" + element
            + R"(<row Enable="N" Certificate="Z"/></TLS_Server_Known_Cert><!--SW_VERSION = 1.000-->)"));
    f.open();
    QVERIFY(f.messages.records.isEmpty());
    QCOMPARE(f.rows(), tableOf({ shown, "[ ]|Z|" }));
}

void tst_UTLS_Server_Known_Cert::storesEnableFromTheCheckBoxes()
{
    Fixture f;
    QVERIFY(f.openActive());
    f.setRows({ "[x]|C1|m1", "[x]|C2|", "[x]|C3|m3", "[ ]|C4|" });
    ListTable *t = f.table();
    // Row 2 by Space, row 3 by a click on its box, row 4 back on by a click.
    t->setCurrentCell(1, Enable);
    QTest::keyClick(t, Qt::Key_Space);
    for (int r : { 2, 3 })
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, t->visualRect(t->model()->index(r, Enable)).center());
    QCOMPARE(f.rows(), tableOf({ "[x]|C1|m1", "[ ]|C2|", "[ ]|C3|m3", "[x]|C4|" }));

    f.click("Btn_OK");
    QVERIFY(f.messages.records.isEmpty());
    QVERIFY(!f.dlg->isVisible());
    QCOMPARE(f.dlg->result(), int(QDialog::Accepted));
    const QList<KnownCertRow> stored
        = { { true, "C1", "m1" }, { false, "C2", "" }, { false, "C3", "m3" }, { true, "C4", "" } };
    QCOMPARE(readFile(f.pv.File_TLS_Known_Cert), knownCertDocument(stored));

    f.open();
    QCOMPARE(f.rows(), tableOf({ "[x]|C1|m1", "[ ]|C2|", "[ ]|C3|m3", "[x]|C4|" }));
}

enum class Entry { Type, Paste, Leave };
Q_DECLARE_METATYPE(Entry)

void tst_UTLS_Server_Known_Cert::certificateThroughTheEditor_data()
{
    QTest::addColumn<QString>("loaded");
    QTest::addColumn<Entry>("entry");
    QTest::addColumn<QString>("text"); // typed with Enter at each line feed, or pasted over everything
    QTest::addColumn<QString>("stored");

    const QString typed = QStringLiteral("-----BEGIN CERTIFICATE-----\nMIIB\u00A0x\n-----END CERTIFICATE-----");
    QTest::newRow("typed") << QString() << Entry::Type << typed << typed;
    QTest::newRow("pasted with LF") << QStringLiteral("old") << Entry::Paste << PemLf << PemLf;
    QTest::newRow("pasted with CR LF") << QString() << Entry::Paste << Pem << Pem;
    QTest::newRow("pasted with CR LF over LF") << PemLf << Entry::Paste << Pem << Pem;
    QTest::newRow("lines typed into CR LF") << Pem << Entry::Type << QStringLiteral("\nX") << Pem + "\r\nX";
    QTest::newRow("mixed line ends left alone")
        << QStringLiteral("A\r\nB\nC\rD") << Entry::Leave << QString() << QStringLiteral("A\r\nB\nC\rD");
}

void tst_UTLS_Server_Known_Cert::certificateThroughTheEditor()
{
    QFETCH(QString, loaded);
    QFETCH(Entry, entry);
    QFETCH(QString, text);
    QFETCH(QString, stored);

    Fixture f;
    QVERIFY(f.writeRows({ { true, loaded, "m" } }));
    QVERIFY(f.openActive());
    ListTable *t = f.table();
    t->setCurrentCell(0, Certificate);
    QTest::keyClick(t, Qt::Key_F2);
    auto *editor = qobject_cast<QPlainTextEdit *>(QApplication::focusWidget());
    QVERIFY(editor);
    const int editorLines = editor->viewport()->height() / editor->fontMetrics().lineSpacing();
    switch (entry) {
    case Entry::Type: {
        QTest::keyClick(editor, Qt::Key_End, Qt::ControlModifier);
        const QStringList lines = text.split(u'\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(editor, Qt::Key_Return);
            QTest::keyClicks(editor, lines[i]);
        }
        break;
    }
    case Entry::Paste:
        QApplication::clipboard()->setText(text);
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
        break;
    case Entry::Leave:
        break;
    }
    QVERIFY(t->indexWidget(t->model()->index(0, Certificate))); // Enter stayed in the editor
    QTest::keyClick(editor, Qt::Key_Tab);
    QTRY_COMPARE(t->currentColumn(), int(Mnemonic));

    f.click("Btn_OK");
    QVERIFY(f.messages.records.isEmpty());
    QCOMPARE(readFile(f.pv.File_TLS_Known_Cert), knownCertDocument({ { true, stored, "m" } }));
    QVERIFY2(editorLines >= 10, qPrintable(QString::number(editorLines))); // a good part of a certificate
}

// The list ends at the first blank Certificate. OK refuses while a row below it holds anything,
// naming the blank row, whose cell it makes current; once the rows below are empty, OK stores the
// rows above it.
void tst_UTLS_Server_Known_Cert::rowsAfterBlankCertificateNotStored()
{
    Fixture f;
    f.open();
    f.setRows({ "[ ]|C1|", "[x]|C2|m2", "[x]| \n |m3", "[ ]||m4" });
    f.click("Btn_OK");
    QVERIFY(f.dlg->isVisible());
    QCOMPARE(f.messages.records.size(), 1);
    QCOMPARE(f.messages.last(),
        QStringLiteral("Row 3 has no Certificate, so the list ends there and the rows below "
                       "it would not be stored. Fill in row 3 or delete it."));
    QVERIFY(!QFile::exists(f.pv.File_TLS_Known_Cert));
    QCOMPARE(f.table()->currentRow(), 2);
    QCOMPARE(f.table()->currentColumn(), int(Certificate));

    f.messages.clear();
    f.setRow(3, "[ ]||"); // an unchecked empty row holds nothing
    f.click("Btn_OK");
    QVERIFY2(f.messages.records.isEmpty(), qPrintable(f.messages.last()));
    QCOMPARE(readFile(f.pv.File_TLS_Known_Cert), knownCertDocument({ { false, "C1", "" }, { true, "C2", "m2" } }));

    f.open();
    QCOMPARE(f.rows(), tableOf({ "[ ]|C1|", "[x]|C2|m2" }));
}

void tst_UTLS_Server_Known_Cert::deleteRowAsksFirst_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QStringList>("after");

    const QStringList before = { "[x]|A|a", "[ ]|B|b", "[x]|C|c", DefaultRow, DefaultRow, DefaultRow, DefaultRow,
        DefaultRow, DefaultRow, "[ ]|J|j" };
    QTest::newRow("No keeps the rows") << false << before;
    // The rows below move up; the freed last row is empty and checked.
    QTest::newRow("Yes deletes") << true
                                 << QStringList { "[x]|A|a", "[x]|C|c", DefaultRow, DefaultRow, DefaultRow, DefaultRow,
                                        DefaultRow, DefaultRow, "[ ]|J|j", DefaultRow };
}

void tst_UTLS_Server_Known_Cert::deleteRowAsksFirst()
{
    QFETCH(bool, yes);
    QFETCH(QStringList, after);

    Fixture f;
    f.open();
    f.setRows({ "[x]|A|a", "[ ]|B|b", "[x]|C|c" });
    f.setRow(9, "[ ]|J|j");
    f.table()->setCurrentCell(1, Mnemonic);
    f.messages.answers = { yes };
    f.click("Btn_DelRow");
    QCOMPARE(f.messages.records.size(), 1);
    QCOMPARE(f.messages.records[0].kind, ScriptedMessages::Kind::Confirm);
    QCOMPARE(f.messages.last(), QStringLiteral("Are you sure to delete the Row number 2"));
    QCOMPARE(f.rows(), after);
}

void tst_UTLS_Server_Known_Cert::insertRowFreesACheckedRow()
{
    Fixture f;
    f.open();
    f.setRows({ "[x]|A|a", "[ ]|B|b", "[ ]|C|c" });
    f.setRow(9, "[ ]|J|j");
    f.table()->setCurrentCell(1, Certificate);
    const QStringList before = f.rows();
    // The last row is in use: Insert asks first, and No changes nothing.
    f.messages.answers = { false };
    f.click("Btn_InsRow");
    QCOMPARE(f.messages.records.size(), 1);
    QCOMPARE(f.messages.records[0].kind, ScriptedMessages::Kind::Confirm);
    QCOMPARE(f.messages.last(),
        QStringLiteral("The last row (10) holds data and would be lost by inserting a row. Insert anyway?"));
    QCOMPARE(f.rows(), before);
    // Yes: the new row is empty and checked; the last row's content is lost.
    f.click("Btn_InsRow");
    QCOMPARE(f.rows(), tableOf({ "[x]|A|a", DefaultRow, "[ ]|B|b", "[ ]|C|c" }));
    // With the last row free, Insert asks nothing.
    f.messages.clear();
    f.click("Btn_InsRow");
    QVERIFY(f.messages.records.isEmpty());
}

void tst_UTLS_Server_Known_Cert::pasteIntoRow_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QString>("after");

    const QString copied = QStringLiteral("[ ]|A|a");
    QTest::newRow("empty row") << DefaultRow << true << false << copied;
    QTest::newRow("unchecked empty row") << QStringLiteral("[ ]||") << true << false << copied;
    QTest::newRow("row in use, No") << QStringLiteral("[x]|B|") << false << true << QStringLiteral("[x]|B|");
    QTest::newRow("row in use, Yes") << QStringLiteral("[x]|B|") << true << true << copied;
    QTest::newRow("mnemonic alone is use") << QStringLiteral("[x]||b") << false << true << QStringLiteral("[x]||b");
    QTest::newRow("blanks are use") << QStringLiteral("[x]|  |") << false << true << QStringLiteral("[x]|  |");
}

void tst_UTLS_Server_Known_Cert::pasteIntoRow()
{
    QFETCH(QString, target);
    QFETCH(bool, yes);
    QFETCH(bool, asked);
    QFETCH(QString, after);

    Fixture f;
    f.open();
    f.setRows({ "[ ]|A|a", target });
    f.table()->setCurrentCell(0, Certificate);
    f.click("Btn_CopyRow");
    f.table()->setCurrentCell(1, Enable);
    f.messages.answers = { yes };
    f.click("Btn_PasteRow");
    QCOMPARE(f.messages.texts(), asked ? QStringList { f.pv.msg(MsgId::RowAlreadyUsed) } : QStringList());
    QCOMPARE(f.rows(), tableOf({ "[ ]|A|a", after }));
}

void tst_UTLS_Server_Known_Cert::pasteRefusedWithoutCopyInThisShowing()
{
    Fixture f;
    f.open();
    f.setRows({ "[ ]|A|a" });
    f.table()->setCurrentCell(1, Certificate);
    f.click("Btn_PasteRow");
    QCOMPARE(f.messages.texts(), QStringList { f.pv.msg(MsgId::RowNothingCopied) });

    // A row copied in an earlier showing is not offered again.
    f.table()->setCurrentCell(0, Certificate);
    f.click("Btn_CopyRow");
    f.dlg->reject();
    f.open();
    f.messages.clear();
    f.table()->setCurrentCell(1, Certificate);
    f.click("Btn_PasteRow");
    QCOMPARE(f.messages.texts(), QStringList { f.pv.msg(MsgId::RowNothingCopied) });

    // A buffer filled by a table of other columns does not fit.
    f.table()->setCurrentCell(0, Certificate);
    f.click("Btn_CopyRow");
    f.pv.Row_Copy_List.append(QStringLiteral("extra"));
    f.messages.clear();
    f.click("Btn_PasteRow");
    QCOMPARE(f.messages.texts(), QStringList { f.pv.msg(MsgId::RowCopyMismatch) });
    QCOMPARE(f.messages.records[0].kind, ScriptedMessages::Kind::Error);
    QCOMPARE(f.rows(), tableOf({}));
}

void tst_UTLS_Server_Known_Cert::malformedDocument_data()
{
    test::addUnreadableDocumentRows();
}

void tst_UTLS_Server_Known_Cert::malformedDocument()
{
    QFETCH(QByteArray, document);

    Fixture f;
    test::showUnreadableDocument(f.dlg.get(), f.messages, f.pv.File_TLS_Known_Cert,
        knownCertDocument({ { false, "C1", "m1" } }), document,
        [&] { QCOMPARE(f.row(0), QStringLiteral("[ ]|C1|m1")); });
    if (QTest::currentTestFailed())
        return;
    // Nothing of the earlier showing is left over, and nothing is written without OK.
    QCOMPARE(f.rows(), tableOf({}));
    f.click("Btn_Cancel");
    QCOMPARE(readFile(f.pv.File_TLS_Known_Cert), document);

    // OK replaces the unreadable file.
    f.open();
    f.setRows({ "[x]|C|" });
    f.click("Btn_OK");
    QVERIFY(!f.dlg->isVisible());
    QCOMPARE(readFile(f.pv.File_TLS_Known_Cert), knownCertDocument({ { true, "C", "" } }));
}

void tst_UTLS_Server_Known_Cert::failedWriteKeepsDialogOpen_data()
{
    QTest::addColumn<bool>("folderGone");
    QTest::addColumn<QString>("certificate");

    // XML cannot carry a control character such as STX, so the document cannot be written.
    QTest::newRow("control character in a certificate") << false << QStringLiteral("C\x02");
    QTest::newRow("folder gone") << true << QStringLiteral("C");
}

void tst_UTLS_Server_Known_Cert::failedWriteKeepsDialogOpen()
{
    QFETCH(bool, folderGone);
    QFETCH(QString, certificate);

    Fixture f;
    if (folderGone)
        f.pv.File_TLS_Known_Cert = f.path(QStringLiteral("gone/TLS_Known_Cert.xml"));
    else
        QVERIFY(f.writeRows({ { true, "before", "" } }));
    const QByteArray before = readFile(f.pv.File_TLS_Known_Cert);
    f.open();
    f.setRow(0, "[ ]|" + certificate + "|m");
    f.click("Btn_OK");
    QCOMPARE(f.messages.records.size(), 1);
    QCOMPARE(f.messages.records[0].kind, ScriptedMessages::Kind::GeneralError);
    QVERIFY2(
        f.messages.last().contains(QDir::toNativeSeparators(f.pv.File_TLS_Known_Cert)), qPrintable(f.messages.last()));
    QVERIFY(f.dlg->isVisible());
    QCOMPARE(f.row(0), "[ ]|" + certificate + "|m");
    QCOMPARE(readFile(f.pv.File_TLS_Known_Cert), before);
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot),
        folderGone ? QStringList() : QStringList { "TLS_Known_Cert.xml" });
}

void tst_UTLS_Server_Known_Cert::cancelDiscardsAndEveryShowingReloads()
{
    Fixture f;
    QVERIFY(f.writeRows({ { true, "A", "a" } }));
    const QByteArray file = readFile(f.pv.File_TLS_Known_Cert);
    f.open();
    f.setRows({ "[ ]|B|b", "[x]|C|" });
    // Something changed: Cancel asks first, and No keeps the dialog open with the edits.
    f.messages.answers = { false, false, false };
    f.click("Btn_Cancel");
    QVERIFY(f.dlg->isVisible());
    QCOMPARE(f.messages.last(), QStringLiteral("Do you want to exit without saving changes?"));
    QCOMPARE(f.rows(), tableOf({ "[ ]|B|b", "[x]|C|" }));
    // Escape and the close box ask the same.
    QTest::keyClick(f.dlg.get(), Qt::Key_Escape);
    QVERIFY(f.dlg->isVisible());
    f.dlg->close();
    QVERIFY(f.dlg->isVisible());
    QCOMPARE(f.messages.records.size(), 3);
    f.click("Btn_Cancel"); // Yes
    QCOMPARE(f.dlg->result(), int(QDialog::Rejected));
    QVERIFY(!f.dlg->isVisible());
    QCOMPARE(readFile(f.pv.File_TLS_Known_Cert), file);
    f.messages.clear();

    f.open();
    QCOMPARE(f.rows(), tableOf({ "[x]|A|a" }));
    f.dlg->reject();

    // A file changed between two showings is shown as it is now.
    QVERIFY(f.writeRows({ { false, "D", "d" }, { true, "E", "" } }));
    f.open();
    QCOMPARE(f.rows(), tableOf({ "[ ]|D|d", "[x]|E|" }));
    QVERIFY(f.messages.records.isEmpty());
}

void tst_UTLS_Server_Known_Cert::keyboardAlone()
{
    Fixture f;
    QVERIFY(f.openActive());
    ListTable *t = f.table();
    QCOMPARE(QApplication::focusWidget(), t);
    QCOMPARE(t->currentRow(), 0);

    // Row 1: Space unticks Enable, typing opens the certificate editor, Tab goes on to edit the
    // mnemonic, Enter ends that edit.
    QTest::keyClick(t, Qt::Key_Space);
    QTest::keyClick(t, Qt::Key_Right);
    QTest::keyClick(t, 'L');
    QWidget *editor = QApplication::focusWidget();
    QVERIFY(qobject_cast<QPlainTextEdit *>(editor));
    QTest::keyClick(editor, '1');
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::keyClicks(editor, QStringLiteral("L2"));
    QTest::keyClick(editor, Qt::Key_Tab);
    QTRY_COMPARE(t->currentColumn(), int(Mnemonic));
    editor = QApplication::focusWidget();
    QVERIFY(qobject_cast<QLineEdit *>(editor));
    QTest::keyClick(editor, 'm');
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(QApplication::focusWidget(), t);
    QCOMPARE(f.row(0), QStringLiteral("[ ]|L1\nL2|m"));

    // Ctrl+Tab leaves the table from any cell; Tab goes along the buttons and back to the table.
    QCOMPARE(t->currentRow(), 0);
    QTest::keyClick(t, Qt::Key_Tab, Qt::ControlModifier);
    QStringList seen = { QApplication::focusWidget()->objectName() };
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        seen << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(seen,
        QStringList({ "Btn_OK", "Btn_Cancel", "Btn_DelRow", "Btn_InsRow", "Btn_CopyRow", "Btn_PasteRow", "ASG" }));

    // Within the table Tab walks the cells; from the first cell Shift+Tab leaves backwards, from
    // the last one Tab leaves forwards.
    t->setCurrentCell(0, Enable);
    QTest::keyClick(t, Qt::Key_Tab);
    QCOMPARE(QPoint(t->currentColumn(), t->currentRow()), QPoint(Certificate, 0));
    QCOMPARE(QApplication::focusWidget(), t);
    QTest::keyClick(t, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), t);
    QTest::keyClick(t, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Btn_PasteRow"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    t->setCurrentCell(t->rowCount() - 1, Mnemonic);
    QTest::keyClick(t, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Btn_OK"));

    // Enter on the focused OK stores the list.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(!f.dlg->isVisible());
    QCOMPARE(readFile(f.pv.File_TLS_Known_Cert), knownCertDocument({ { false, "L1\nL2", "m" } }));
}

void tst_UTLS_Server_Known_Cert::longTextsShowWholeInTooltips_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("tip");

    QTest::newRow("certificate over several lines") << int(Certificate) << Pem << true;
    QTest::newRow("one-line certificate cut short") << int(Certificate) << QString(120, u'A') << true;
    QTest::newRow("short certificate") << int(Certificate) << QStringLiteral("AAAA") << false;
    QTest::newRow("long mnemonic") << int(Mnemonic) << QStringLiteral("Substation 14, bay 3, backup gateway") << true;
    QTest::newRow("short mnemonic") << int(Mnemonic) << QStringLiteral("Bay 3") << false;
}

void tst_UTLS_Server_Known_Cert::longTextsShowWholeInTooltips()
{
    QFETCH(int, column);
    QFETCH(QString, text);
    QFETCH(bool, tip);

    Fixture f;
    f.open();
    ListTable *t = f.table();
    QVERIFY(test::setCellText(t, 1, column, text));
    QCOMPARE(t->cellToolTip(1, column), tip ? text : QString());
    QCOMPARE(t->cellToolTip(1, Enable), QString());

    // Shown over the cell with its lines as they are, a CR LF as one line break (the tooltip drops
    // a final line break). A certificate cell describes the certificate first.
    QString whole = tip ? QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).trimmed() : QString();
    if (column == Certificate) {
        const QString summary = f.pv.msg(MsgId::CertUnreadable)
                                    .arg(text.startsWith(u'-') ? QStringLiteral("damaged certificate (ASN1 lib)")
                                                               : f.pv.msg(MsgId::CertNoPem));
        whole = whole.isEmpty() ? summary : summary + QStringLiteral("\n\n") + whole;
    }
    QCOMPARE(shownToolTip(t, 1, column), whole);
}

void tst_UTLS_Server_Known_Cert::certificateCellsDescribeAndMark_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("certificate");
    QTest::addColumn<QString>("tip"); // before the certificate's own text
    QTest::addColumn<QString>("mark");

    const test::CertificateFixtures &c = certs();
    const QDateTime &now = CertificatesMadeAt;
    QTest::newRow("valid") << true << c.serverCert << described(now.addDays(-1), now.addYears(1)) << "none";
    QTest::newRow("expired") << true << c.expiredCert
                             << described(now.addYears(-2), now.addSecs(-60)) + "\nexpired on "
            + timeText(now.addSecs(-60))
                             << "error";
    QTest::newRow("not yet valid") << true << c.notYetValidCert
                                   << described(now.addSecs(60), now.addYears(1)) + "\nnot valid before "
            + timeText(now.addSecs(60))
                                   << "error";
    QTest::newRow("expiring soon") << true << c.expiringSoonCert
                                   << described(now.addDays(-1), now.addDays(10)) + "\nexpires on "
            + timeText(now.addDays(10))
                                   << "warning";
    QTest::newRow("garbage") << true << QStringLiteral("pasted by mistake\nsecond line")
                             << QStringLiteral("cannot be read: no PEM certificate found") << "error";
    // A disabled row is left out of the image: described, not marked.
    QTest::newRow("disabled, expired") << false << c.expiredCert << described(now.addYears(-2), now.addSecs(-60))
                                       << "none";
}

void tst_UTLS_Server_Known_Cert::certificateCellsDescribeAndMark()
{
    QFETCH(bool, enabled);
    QFETCH(QString, certificate);
    QFETCH(QString, tip);
    QFETCH(QString, mark);

    Fixture f;
    QVERIFY(f.writeRows({ { enabled, certificate, "m" } }));
    f.open();
    ListTable *t = f.table();
    const QString whole = QString(certificate).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).trimmed();
    QCOMPARE(shownToolTip(t, 0, Certificate), tip + QStringLiteral("\n\n") + whole);
    QCOMPARE(markOfCell(t, 0), mark);
    // A blank certificate keeps the table's own tooltip and colours.
    QVERIFY(!test::cellAt(t, 1, Certificate).data(Qt::ToolTipRole).isValid());
    QCOMPARE(markOfCell(t, 1), QStringLiteral("none"));
    QVERIFY(f.messages.records.isEmpty());
}

void tst_UTLS_Server_Known_Cert::certificateMarksFollowEditsAndRows()
{
    const test::CertificateFixtures &c = certs();
    Fixture f;
    QVERIFY(f.writeRows({ { true, c.expiredCert, "old" }, { true, c.serverCert, "new" } }));
    f.open();
    ListTable *t = f.table();
    const auto marks = [&] {
        QStringList out;
        for (int r = 0; r < 3; ++r)
            out << markOfCell(t, r);
        return out;
    };
    QCOMPARE(marks(), QStringList({ "error", "none", "none" }));

    // An edit, unticking and ticking a row.
    QVERIFY(test::setCellText(t, 1, Certificate, c.expiringSoonCert));
    QCOMPARE(marks(), QStringList({ "error", "warning", "none" }));
    QVERIFY(test::shownTip(test::cellTip(t, 1, Certificate)).contains(QStringLiteral("expires on")));
    QVERIFY(test::setChecked(t, 0, Enable, false));
    QCOMPARE(marks(), QStringList({ "none", "warning", "none" }));
    QVERIFY(test::setChecked(t, 0, Enable, true));
    QCOMPARE(marks(), QStringList({ "error", "warning", "none" }));

    // The marks move with the rows.
    t->setCurrentCell(0, Certificate);
    f.click("Btn_InsRow");
    QCOMPARE(marks(), QStringList({ "none", "error", "warning" }));
    QVERIFY(!test::cellAt(t, 0, Certificate).data(Qt::ToolTipRole).isValid());
    t->setCurrentCell(1, Certificate);
    f.messages.answers = { true };
    f.click("Btn_DelRow");
    QCOMPARE(marks(), QStringList({ "none", "warning", "none" }));

    // A selected marked cell is painted in the selection's colours, so its text stays readable.
    t->setCurrentCell(1, Certificate);
    const QRect cell = t->visualRect(t->model()->index(1, Certificate));
    const QImage shot = t->viewport()->grab(cell).toImage();
    QVERIFY(shot.pixelColor(cell.width() - 4, cell.height() / 2) != markBackground(FindingMark::Warning));

    // OK stores the texts alone.
    QVERIFY(test::setCellText(t, 0, Certificate, c.serverCert));
    f.click("Btn_OK");
    QCOMPARE(readFile(f.pv.File_TLS_Known_Cert),
        knownCertDocument({ { true, c.serverCert, "" }, { true, c.expiringSoonCert, "new" } }));

    const QString shots = qEnvironmentVariable("SW_SCREENSHOT_DIR");
    if (!shots.isEmpty()) {
        f.open();
        f.setRow(2, "[x]|" + c.expiredCert + "|old");
        f.table()->setCurrentCell(1, Certificate);
        f.dlg->grab().save(shots + QStringLiteral("/TFTLS_Server_Known_Cert-marks.png"));
    }
}

void tst_UTLS_Server_Known_Cert::marksTakeTheDateFromTheClock_data()
{
    QTest::addColumn<QDateTime>("date");
    QTest::addColumn<QString>("mark");

    const QDateTime from(QDate(2030, 1, 1), QTime(0, 0), Qt::UTC);
    const QDateTime until(QDate(2031, 1, 1), QTime(0, 0), Qt::UTC);
    QTest::newRow("before its validity") << from.addSecs(-1) << "error";
    QTest::newRow("first day") << from << "none";
    QTest::newRow("31 days left") << until.addDays(-31) << "none";
    QTest::newRow("30 days left") << until.addDays(-30) << "warning";
    QTest::newRow("last second") << until << "warning";
    QTest::newRow("after its end") << until.addSecs(1) << "error";
}

// The validity is checked against the program's clock, not the machine's, so these dates hold
// whenever the test runs.
void tst_UTLS_Server_Known_Cert::marksTakeTheDateFromTheClock()
{
    QFETCH(QDateTime, date);
    QFETCH(QString, mark);

    const test::CertificateFixtures &c = certs();
    const QString certificate = test::certificatePem(c.server.key, "gateway", c.root.key, "Test Root",
        QDateTime(QDate(2030, 1, 1), QTime(0, 0), Qt::UTC), QDateTime(QDate(2031, 1, 1), QTime(0, 0), Qt::UTC));
    Fixture f;
    f.clock.date = date;
    QVERIFY(f.writeRows({ { true, certificate, "m" } }));
    f.open();
    QCOMPARE(markOfCell(f.table(), 0), mark);
}

void tst_UTLS_Server_Known_Cert::undoRestoresCheckBoxesAndMarks_data()
{
    QTest::addColumn<QString>("step");
    QTest::newRow("check box") << "untick";
    QTest::newRow("delete row") << "delete";
    QTest::newRow("insert row") << "insert";
    QTest::newRow("paste row") << "paste";
}

void tst_UTLS_Server_Known_Cert::undoRestoresCheckBoxesAndMarks()
{
    QFETCH(QString, step);
    const test::CertificateFixtures &c = certs();
    Fixture f;
    QVERIFY(f.writeRows({ { true, c.expiredCert, "old" }, { false, c.serverCert, "new" } }));
    const QByteArray shown = readFile(f.pv.File_TLS_Known_Cert);
    QVERIFY(f.openActive());
    ListTable *t = f.table();
    // Each row's check box, texts and certificate mark.
    const auto cells = [&] {
        QStringList out;
        for (int r = 0; r < 3; ++r)
            out << f.row(r) + u'|' + markOfCell(t, r);
        return out;
    };
    const QStringList before = cells();
    QCOMPARE(before.first().section(u'|', -1), QStringLiteral("error"));

    if (step == u"untick") {
        t->setCurrentCell(0, Enable);
        QTest::keyClick(t, Qt::Key_Space);
    } else if (step == u"delete") {
        t->setCurrentCell(0, Certificate);
        f.click("Btn_DelRow");
    } else if (step == u"insert") {
        t->setCurrentCell(0, Certificate);
        f.click("Btn_InsRow");
    } else {
        t->setCurrentCell(1, Certificate);
        f.click("Btn_CopyRow");
        t->setCurrentCell(0, Certificate);
        f.click("Btn_PasteRow");
    }
    const QStringList after = cells();
    QVERIFY(after != before);

    QTest::keySequence(QApplication::focusWidget(), QKeySequence(QStringLiteral("Ctrl+Z")));
    QCOMPARE(cells(), before);
    QTest::keySequence(QApplication::focusWidget(), QKeySequence(QStringLiteral("Ctrl+Y")));
    QCOMPARE(cells(), after);
    QTest::keySequence(QApplication::focusWidget(), QKeySequence(QStringLiteral("Ctrl+Z")));
    f.messages.clear();
    f.click("Btn_OK");
    QVERIFY(f.messages.records.isEmpty());
    QCOMPARE(readFile(f.pv.File_TLS_Known_Cert), shown);
}

QTEST_MAIN(tst_UTLS_Server_Known_Cert)
#include "tst_UTLS_Server_Known_Cert.moc"
