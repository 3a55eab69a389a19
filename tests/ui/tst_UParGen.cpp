#include "CertificateFixtures.h"
#include "PlainTips.h"
#include "ProgramFolder.h"
#include "UnreadableDocument.h"

#include "core/documents/ParGenDocument.h"
#include "core/text/Catalogue.h"
#include "core/text/MessageIds.h"
#include "core/xml/Xml.h"
#include "ui/documents/UParGen.h"
#include "ui/widgets/CollapsibleSection.h"
#include "ui/widgets/FindingMarks.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtTest>

#include <functional>
#include <memory>

using namespace sw;
using sw::test::readFile;
using sw::test::ScriptedMessages;
using sw::test::writeFile;

namespace {

// A project folder with the dialog created as at start-up; ParGen.xml is written by the test.
struct Fixture : test::ProgramFolder
{
    std::unique_ptr<TFParGen> dlg;

    Fixture()
    {
        Default_Messages(pv.Msg_Catalogue);
        pv.File_ParGen = path(QStringLiteral("ParGen.xml"));
        dlg = std::make_unique<TFParGen>(pv, services);
    }

    template <class T = QWidget> T *get(const QString &name) const
    {
        T *w = dlg->findChild<T *>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    QLineEdit *edit(const QString &name) const { return get<QLineEdit>(name); }
    QString text(const QString &name) const { return edit(name)->text(); }
    QString address(const char *prefix) const
    {
        QStringList bytes;
        for (int k = 1; k <= 4; ++k)
            bytes << text(QStringLiteral("%1%2").arg(QLatin1String(prefix)).arg(k));
        return bytes.join(u'.');
    }
    void open() const
    {
        dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(dlg.get()));
    }
    void ok() const { QTest::mouseClick(get<QPushButton>("Btn_OK"), Qt::LeftButton); }
    // Presses Cancel and answers No: true when Cancel asked (something had changed), the dialog
    // then staying open. Without a question the dialog closes.
    bool cancelAsks()
    {
        messages.clear();
        messages.answers = { false };
        QTest::mouseClick(get<QPushButton>("Btn_Cancel"), Qt::LeftButton);
        messages.answers.clear();
        const bool asked = !messages.records.isEmpty();
        if (asked) {
            [&] {
                QCOMPARE(messages.records.size(), 1);
                QCOMPARE(messages.records[0].kind, ScriptedMessages::Kind::Confirm);
                QCOMPARE(messages.last(), pv.msg(MsgId::ParGenExitWithoutSaving));
                QVERIFY(dlg->isVisible());
            }();
        } else {
            [&] {
                QVERIFY(!dlg->isVisible());
                QCOMPARE(dlg->result(), int(QDialog::Rejected));
            }();
        }
        messages.clear();
        return asked;
    }
};

// Certificates valid around the time the tests run: the dialog reads them at the current time.
const QDateTime CertificatesMadeAt = QDateTime::currentDateTimeUtc();

const test::CertificateFixtures &certs()
{
    static const test::CertificateFixtures made(CertificatesMadeAt);
    return made;
}

// The summary lines of a certificate of the fixtures, made at the given offsets from their time.
QString described(const char *subject, const char *issuer, const QDateTime &from, const QDateTime &until)
{
    const auto time = [](const QDateTime &t) { return t.toString(QStringLiteral("yyyy-MM-dd HH:mm 'UTC'")); };
    return QStringLiteral("Subject: O=Test Lab, CN=%1\nIssuer: O=Test Lab, CN=%2\nValid from: %3\nValid until: %4")
        .arg(QLatin1String(subject), QLatin1String(issuer), time(from), time(until));
}

// The boxes that the dialog inspects, in table order: key, server certificate, root certificate.
const QStringList InspectedBoxes = { "E_TLS_Server_Key", "E_TLS_Server_Server_Cert", "E_TLS_Server_Root_Cert" };

// The colour of the frame drawn around a box: "error", "warning" or "none" for any other colour.
QString frameOf(QPlainTextEdit *box)
{
    const QColor edge = box->grab().toImage().pixelColor(0, box->height() / 2);
    if (edge == markFrameColour(FindingMark::Error))
        return QStringLiteral("error");
    if (edge == markFrameColour(FindingMark::Warning))
        return QStringLiteral("warning");
    return QStringLiteral("none");
}

// The name of a control in the focus chain; a section header is named after its section.
QString focusName(const QWidget *w)
{
    if (!w)
        return QStringLiteral("(none)");
    if (qobject_cast<const SectionHeader *>(w))
        return w->parentWidget()->objectName() + QStringLiteral(" header");
    return w->objectName();
}

} // namespace

using Action = std::function<void(Fixture &)>;
Q_DECLARE_METATYPE(Action)

class tst_UParGen : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaultsWithoutFileAndCancelAtOnce();
    void everyFieldShowsAndStoresItsOwnValue();
    void savedAndReopenedKeepsEveryValue();
    void longValuesWrittenBackExactly();
    void malformedFileShowsErrorAndDefaults_data();
    void malformedFileShowsErrorAndDefaults();
    void writeFailureKeepsDialogOpen();
    void tlsRowsFollowTheSwitch();
    void pasteBoxKeepsItsFirstLineInView_data();
    void pasteBoxKeepsItsFirstLineInView();
    void sectionsCollapseAndKeepTheirState();
    void tabOrder_data();
    void tabOrder();
    void validation_data();
    void validation();
    void cancelAsksOnlyAfterAnEdit_data();
    void cancelAsksOnlyAfterAnEdit();
    void cancelAfterEditAsks();
    void dotKeyMovesAlongTheAddressChain();
    void wheelScrollsTheGroupOnly();
    void widthSpringsBack();
    void languageChangeRelabelsSectionCaptions_data();
    void languageChangeRelabelsSectionCaptions();
    void certificateState_data();
    void certificateState();
    void certificateStateFollowsEdits();
    void keyIsReadWithoutHoldingTheWindow();
    void undoAndRedoAcrossTheFields();
};

void tst_UParGen::defaultsWithoutFileAndCancelAtOnce()
{
    Fixture f;
    f.open();
    QCOMPARE(f.dlg->windowTitle(), QStringLiteral("Set Communication"));
    QCOMPARE(f.get<QLabel>("L_SW_Code")->text(), QStringLiteral("SW61942"));
    QCOMPARE(f.text("E_IEC61850_Server_Port"), QStringLiteral("102"));
    QCOMPARE(f.text("E_IEC61850_Server_Password"), QString());
    QVERIFY(!f.get<QCheckBox>("CB_TLS_Server_Enable")->isChecked());
    QCOMPARE(f.get<QPlainTextEdit>("E_TLS_Server_Key")->toPlainText(), QString());
    QCOMPARE(f.address("E_Ethernet_IP"), QStringLiteral("192.168.0.10"));
    QCOMPARE(f.address("E_Ethernet_SM"), QStringLiteral("255.255.255.0"));
    QCOMPARE(f.address("E_Ethernet_GAT"), QStringLiteral("192.168.0.1"));
    QVERIFY(!f.get<QCheckBox>("CB_Ethernet_En_GAT")->isChecked());
    QCOMPARE(f.get<QComboBox>("CB_ModbusSlave_Serial")->currentText(), QStringLiteral("RS232"));
    QCOMPARE(f.get<QComboBox>("CB_ModbusSlave_Baudrate")->currentText(), QStringLiteral("115200"));
    QCOMPARE(f.get<QComboBox>("CB_ModbusSlave_Parity")->currentText(), QStringLiteral("NONE"));
    QCOMPARE(f.get<QComboBox>("CB_ModbusSlave_StopBits")->currentText(), QStringLiteral("1 Stop Bits"));
    QCOMPARE(f.text("E_ModbusSlave_IDDevice"), QStringLiteral("10"));
    QVERIFY(f.get<QCheckBox>("CB_ModbusSlave_ReadInput")->isChecked());
    QCOMPARE(f.get<CollapsibleSection>("CP_TLS_Server")->caption(),
        QStringLiteral("2. TLS (Transport Layer Security) Server"));

    // Cancel closes at once without a question and writes nothing.
    QVERIFY(!f.cancelAsks());
    QVERIFY(f.messages.records.isEmpty());
    QVERIFY(!QFile::exists(f.pv.File_ParGen));
}

void tst_UParGen::everyFieldShowsAndStoresItsOwnValue()
{
    // Every value differs from its default and from every other, so a field bound to the wrong
    // value, or to none, shows or writes something else.
    ParGenValues v;
    v.IEC61850_Server_Port = "1";
    v.IEC61850_Server_Password = "2";
    v.TLS_Server_Enable = true;
    v.TLS_Server_Key = "3";
    v.TLS_Server_Key_Password = "4";
    v.TLS_Server_Server_Certificate = "5";
    v.TLS_Server_Root_Certificate = "6";
    v.TLS_Server_Enable_Known_Cert = true;
    v.Ethernet_IP1 = "11";
    v.Ethernet_IP2 = "12";
    v.Ethernet_IP3 = "13";
    v.Ethernet_IP4 = "14";
    v.Ethernet_SM1 = "21";
    v.Ethernet_SM2 = "22";
    v.Ethernet_SM3 = "23";
    v.Ethernet_SM4 = "24";
    v.Ethernet_GAT1 = "31";
    v.Ethernet_GAT2 = "32";
    v.Ethernet_GAT3 = "33";
    v.Ethernet_GAT4 = "34";
    v.Ethernet_EN_GAT = true;
    v.Ethernet_DNS1 = "41";
    v.Ethernet_DNS2 = "42";
    v.Ethernet_DNS3 = "43";
    v.Ethernet_DNS4 = "44";
    v.Ethernet_EN_DNS = true;
    v.Ethernet_TCP_Port = "51";
    v.Ethernet_UDP_Port = "52";
    v.MODBUS_SLAVE_SERIAL = 1;
    v.MODBUS_SLAVE_BAUDRATE = 2;
    v.MODBUS_SLAVE_PARITY = 0;
    v.MODBUS_SLAVE_STOPBITS = 1;
    v.MODBUS_SLAVE_IDDEVICE = "61";
    v.MODBUS_SLAVE_READ_INPUT_REGISTER = false;

    Fixture f;
    QVERIFY(writeFile(f.pv.File_ParGen, parGenDocument(v)));
    f.open();
    QCOMPARE(f.text("E_IEC61850_Server_Port"), v.IEC61850_Server_Port);
    QCOMPARE(f.text("E_IEC61850_Server_Password"), v.IEC61850_Server_Password);
    QCOMPARE(f.get<QPlainTextEdit>("E_TLS_Server_Key")->toPlainText(), v.TLS_Server_Key);
    QCOMPARE(f.text("E_TLS_Server_Key_Pass"), v.TLS_Server_Key_Password);
    QCOMPARE(f.get<QPlainTextEdit>("E_TLS_Server_Server_Cert")->toPlainText(), v.TLS_Server_Server_Certificate);
    QCOMPARE(f.get<QPlainTextEdit>("E_TLS_Server_Root_Cert")->toPlainText(), v.TLS_Server_Root_Certificate);
    QVERIFY(f.get<QCheckBox>("CB_TLS_Server_Enable")->isChecked());
    QVERIFY(f.get<QCheckBox>("CB_TLS_Server_En_Known_Cert")->isChecked());
    QCOMPARE(f.address("E_Ethernet_IP"), QStringLiteral("11.12.13.14"));
    QCOMPARE(f.address("E_Ethernet_SM"), QStringLiteral("21.22.23.24"));
    QCOMPARE(f.address("E_Ethernet_GAT"), QStringLiteral("31.32.33.34"));
    QVERIFY(f.get<QCheckBox>("CB_Ethernet_En_GAT")->isChecked());
    QCOMPARE(f.address("E_Ethernet_DNS"), QStringLiteral("41.42.43.44"));
    QVERIFY(f.get<QCheckBox>("CB_Ethernet_DNS")->isChecked());
    QCOMPARE(f.text("E_Ethernet_TCP_Port"), v.Ethernet_TCP_Port);
    QCOMPARE(f.text("E_Ethernet_UDP_Port"), v.Ethernet_UDP_Port);
    QCOMPARE(f.get<QComboBox>("CB_ModbusSlave_Serial")->currentIndex(), 1);
    QCOMPARE(f.get<QComboBox>("CB_ModbusSlave_Baudrate")->currentIndex(), 2);
    QCOMPARE(f.get<QComboBox>("CB_ModbusSlave_StopBits")->currentIndex(), 1);
    QCOMPARE(f.text("E_ModbusSlave_IDDevice"), v.MODBUS_SLAVE_IDDEVICE);
    QVERIFY(!f.get<QCheckBox>("CB_ModbusSlave_ReadInput")->isChecked());

    // Confirmed without an edit, the document is written back as it was.
    QFile::remove(f.pv.File_ParGen);
    f.ok();
    QVERIFY2(f.messages.records.isEmpty(), qPrintable(f.messages.last()));
    QCOMPARE(readParGenFile(f.pv.File_ParGen), v);
}

void tst_UParGen::savedAndReopenedKeepsEveryValue()
{
    Fixture f;
    ParGenValues v;
    v.TLS_Server_Enable = true;
    v.TLS_Server_Key = QStringLiteral("-----BEGIN KEY-----\nAAAA\n-----END KEY-----\n");
    v.TLS_Server_Server_Certificate = QStringLiteral("cert\nlines");
    v.Ethernet_DNS1 = QStringLiteral("1");
    v.Ethernet_DNS4 = QStringLiteral("4");
    v.Ethernet_EN_DNS = true;
    v.Ethernet_TCP_Port = QStringLiteral("502");
    v.Ethernet_UDP_Port = QStringLiteral("503");
    v.MODBUS_SLAVE_PARITY = 2;
    v.MODBUS_SLAVE_READ_INPUT_REGISTER = false;
    QVERIFY(writeFile(f.pv.File_ParGen, parGenDocument(v)));
    f.open();
    QCOMPARE(f.get<QPlainTextEdit>("E_TLS_Server_Key")->toPlainText(), v.TLS_Server_Key);
    QCOMPARE(f.get<QComboBox>("CB_ModbusSlave_Parity")->currentIndex(), 2);
    QVERIFY(!f.cancelAsks()); // loading is no edit
    f.open();

    f.edit("E_IEC61850_Server_Port")->setText(QStringLiteral("010"));
    f.get<QCheckBox>("CB_Ethernet_En_GAT")->click();
    f.edit("E_Ethernet_GAT4")->setText(QStringLiteral("254"));
    f.ok();
    QVERIFY2(f.messages.records.isEmpty(), qPrintable(f.messages.last()));
    QCOMPARE(f.dlg->result(), int(QDialog::Accepted));
    QVERIFY(!f.dlg->isVisible());

    v.IEC61850_Server_Port = QStringLiteral("010"); // stored as typed
    v.Ethernet_EN_GAT = true;
    v.Ethernet_GAT4 = QStringLiteral("254");
    QCOMPARE(readParGenFile(f.pv.File_ParGen), v);

    f.open();
    QCOMPARE(f.text("E_IEC61850_Server_Port"), QStringLiteral("010"));
    QCOMPARE(f.text("E_Ethernet_TCP_Port"), QStringLiteral("502"));
    QVERIFY(!f.cancelAsks());
}

void tst_UParGen::longValuesWrittenBackExactly()
{
    // Longer than a one-line box holds by default; each value ends in its own marker.
    const auto longText = [](const char *end) {
        QString text;
        while (text.size() < 40000)
            text += QStringLiteral("0123456789");
        return text + QLatin1String(end);
    };
    Fixture f;
    ParGenValues v;
    v.IEC61850_Server_Password = longText("password");
    v.TLS_Server_Key_Password = longText("key password");
    v.Ethernet_TCP_Port = longText("hidden port"); // a carried value in a hidden box
    QVERIFY(writeFile(f.pv.File_ParGen, parGenDocument(v)));
    f.open();
    QCOMPARE(f.text("E_IEC61850_Server_Password").size(), v.IEC61850_Server_Password.size());

    f.ok();
    QVERIFY2(f.messages.records.isEmpty(), qPrintable(f.messages.last()));
    QCOMPARE(f.dlg->result(), int(QDialog::Accepted));
    QCOMPARE(readParGenFile(f.pv.File_ParGen), v);
}

void tst_UParGen::malformedFileShowsErrorAndDefaults_data()
{
    test::addUnreadableDocumentRows({ "unclosed element", "invalid UTF-8", "text after the root", "empty file" });
}

void tst_UParGen::malformedFileShowsErrorAndDefaults()
{
    QFETCH(QByteArray, document);
    Fixture f;
    ParGenValues v;
    v.IEC61850_Server_Port = QStringLiteral("80");
    v.TLS_Server_Enable = true;
    test::showUnreadableDocument(f.dlg.get(), f.messages, f.pv.File_ParGen, parGenDocument(v), document,
        [&] { QCOMPARE(f.text("E_IEC61850_Server_Port"), QStringLiteral("80")); });
    if (QTest::currentTestFailed())
        return;
    // Nothing of the earlier opening is left over, and the TLS rows match the unticked switch.
    QCOMPARE(f.text("E_IEC61850_Server_Port"), QStringLiteral("102"));
    QVERIFY(!f.get<QCheckBox>("CB_TLS_Server_Enable")->isChecked());
    QVERIFY(f.get("E_TLS_Server_Key")->isHidden());

    // The defaults on show are not the file: leaving asks before the change is discarded, and
    // the file stays as it was.
    QVERIFY(f.cancelAsks());
    QCOMPARE(readFile(f.pv.File_ParGen), document);
}

void tst_UParGen::writeFailureKeepsDialogOpen()
{
    Fixture f;
    f.pv.File_ParGen = f.dir.filePath(QStringLiteral("missing/ParGen.xml"));
    f.open();
    f.edit("E_IEC61850_Server_Port")->setText(QStringLiteral("8102"));
    f.ok();
    QCOMPARE(f.messages.records.size(), 1);
    QCOMPARE(f.messages.records[0].kind, ScriptedMessages::Kind::GeneralError);
    QVERIFY(f.dlg->isVisible());
    QCOMPARE(f.text("E_IEC61850_Server_Port"), QStringLiteral("8102"));
}

void tst_UParGen::tlsRowsFollowTheSwitch()
{
    Fixture f;
    f.open();
    auto *tls = f.get<CollapsibleSection>("CP_TLS_Server");
    auto *modbus = f.get("CP_Modbus_Slave");
    auto *ethernet = f.get("CP_Ethernet");
    auto *enable = f.get<QCheckBox>("CB_TLS_Server_Enable");
    auto *knownCert = f.get("CB_TLS_Server_En_Known_Cert");
    const QStringList rows = { "L_TLS_Server_Key", "E_TLS_Server_Key", "L_TLS_Server_Key_Pass", "E_TLS_Server_Key_Pass",
        "L_TLS_Server_Server_Cert", "E_TLS_Server_Server_Cert", "L_TLS_Server_Root_Cert", "E_TLS_Server_Root_Cert",
        "CB_TLS_Server_En_Known_Cert" };
    const auto fitted = [&](QWidget *last) { return tls->headerHeight() + last->geometry().bottom() + 1 + 12; };

    for (const QString &name : rows)
        QVERIFY2(!f.get(name)->isVisible(), qPrintable(name));
    QTRY_COMPARE(tls->height(), fitted(enable));
    const int modbusTop = modbus->y();
    const int ethernetTop = ethernet->y();

    enable->click();
    for (const QString &name : rows)
        QVERIFY2(f.get(name)->isVisible(), qPrintable(name));
    QTRY_COMPARE(tls->height(), fitted(knownCert));
    QTRY_COMPARE(modbus->y(), modbusTop + tls->height() - fitted(enable));
    QVERIFY(ethernet->y() > ethernetTop);

    // The DNS and port rows stay hidden whatever happens.
    for (const char *name : { "CB_Ethernet_DNS", "E_Ethernet_DNS1", "E_Ethernet_DNS4", "L_Ethernet_DNS_Dot1",
             "L_Ethernet_TCP_Port", "E_Ethernet_TCP_Port", "E_Ethernet_UDP_Port" })
        QVERIFY2(!f.get(name)->isVisible(), name);

    // Hidden rows keep their contents, and they are saved.
    f.get<QPlainTextEdit>("E_TLS_Server_Key")->setPlainText(QStringLiteral("k1\nk2"));
    enable->click();
    QVERIFY(!f.get("E_TLS_Server_Key")->isVisible());
    QTRY_COMPARE(modbus->y(), modbusTop);
    f.ok();
    QCOMPARE(readParGenFile(f.pv.File_ParGen).TLS_Server_Key, QStringLiteral("k1\nk2"));
}

void tst_UParGen::pasteBoxKeepsItsFirstLineInView_data()
{
    QTest::addColumn<QString>("box");
    for (const char *box : { "E_TLS_Server_Key", "E_TLS_Server_Server_Cert", "E_TLS_Server_Root_Cert" })
        QTest::newRow(box) << box;
}

// A one-line box that holds text never looks empty: Enter, the cursor keys and the wheel leave
// its first line in view, while the text is kept whole.
void tst_UParGen::pasteBoxKeepsItsFirstLineInView()
{
    QFETCH(QString, box);
    Fixture f;
    f.open();
    f.get<QCheckBox>("CB_TLS_Server_Enable")->click();
    auto *edit = f.get<QPlainTextEdit>(box);
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    const auto firstLineShown = [edit] {
        return edit->verticalScrollBar()->value() == 0 && edit->cursorForPosition(QPoint(4, 4)).blockNumber() == 0;
    };

    QTest::keyClicks(edit, QStringLiteral("first"));
    QTest::keyClick(edit, Qt::Key_Return);
    QVERIFY(firstLineShown());
    QTest::keyClicks(edit, QStringLiteral("second"));
    QTest::keyClick(edit, Qt::Key_Enter);
    QTest::keyClick(edit, Qt::Key_Down);
    QVERIFY(firstLineShown());
    QCOMPARE(edit->toPlainText(), QStringLiteral("first\nsecond\n"));

    edit->setPlainText(QStringLiteral("-----BEGIN-----\nAAAA\nBBBB\n-----END-----"));
    QTest::keyClick(edit, Qt::Key_End, Qt::ControlModifier);
    QVERIFY(firstLineShown());
    QWheelEvent wheel(QPointF(4, 4), edit->viewport()->mapToGlobal(QPointF(4, 4)), QPoint(), QPoint(0, -120),
        Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(edit->viewport(), &wheel);
    QVERIFY(firstLineShown());
}

void tst_UParGen::sectionsCollapseAndKeepTheirState()
{
    Fixture f;
    f.open();
    auto *tls = f.get<CollapsibleSection>("CP_TLS_Server");
    auto *modbus = f.get("CP_Modbus_Slave");
    QVERIFY(tls->isExpanded());
    const int modbusTop = modbus->y();

    QTest::mouseClick(tls->header(), Qt::LeftButton);
    QVERIFY(!tls->isExpanded());
    QVERIFY(!f.get("CB_TLS_Server_Enable")->isVisible());
    QTRY_VERIFY(modbus->y() < modbusTop);

    f.dlg->reject();
    f.open();
    QVERIFY(!tls->isExpanded());
    QTest::keyClick(tls->header(), Qt::Key_Space);
    QVERIFY(tls->isExpanded());
    QTRY_COMPARE(modbus->y(), modbusTop);
}

void tst_UParGen::tabOrder_data()
{
    QTest::addColumn<bool>("tls");
    QTest::addColumn<QStringList>("order"); // from the first section's header to Cancel

    const QStringList iec = { "CP_IEC61850_Server header", "E_IEC61850_Server_Port", "E_IEC61850_Server_Password",
        "CP_TLS_Server header", "CB_TLS_Server_Enable" };
    const QStringList tlsRows = { "E_TLS_Server_Key", "E_TLS_Server_Key_Pass", "E_TLS_Server_Server_Cert",
        "E_TLS_Server_Root_Cert", "CB_TLS_Server_En_Known_Cert" };
    const QStringList rest = { "CP_Modbus_Slave header", "CB_ModbusSlave_Serial", "CB_ModbusSlave_Baudrate",
        "CB_ModbusSlave_Parity", "CB_ModbusSlave_StopBits", "E_ModbusSlave_IDDevice", "CB_ModbusSlave_ReadInput",
        "CP_Ethernet header", "E_Ethernet_IP1", "E_Ethernet_IP2", "E_Ethernet_IP3", "E_Ethernet_IP4", "E_Ethernet_SM1",
        "E_Ethernet_SM2", "E_Ethernet_SM3", "E_Ethernet_SM4", "CB_Ethernet_En_GAT", "E_Ethernet_GAT1",
        "E_Ethernet_GAT2", "E_Ethernet_GAT3", "E_Ethernet_GAT4", "Btn_OK", "Btn_Cancel" };
    QTest::newRow("TLS off") << false << iec + rest;
    QTest::newRow("TLS on") << true << iec + tlsRows + rest;
}

void tst_UParGen::tabOrder()
{
    QFETCH(bool, tls);
    QFETCH(QStringList, order);

    Fixture f;
    f.open();
    f.dlg->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.dlg.get()));
    f.get<QCheckBox>("CB_TLS_Server_Enable")->setChecked(tls);
    QWidget *first = f.get<CollapsibleSection>("CP_IEC61850_Server")->header();
    first->setFocus(Qt::TabFocusReason);

    QStringList seen = { focusName(f.dlg->focusWidget()) };
    while (seen.size() < order.size() + 2 && seen.last() != QLatin1String("Btn_Cancel")) {
        QTest::keyClick(f.dlg->focusWidget(), Qt::Key_Tab);
        seen << focusName(f.dlg->focusWidget());
    }
    QCOMPARE(seen, order);
}

void tst_UParGen::validation_data()
{
    // The rules themselves are checked in core; these rows reach one rule through each kind of
    // control, to show that the dialog checks what the controls hold.
    QTest::addColumn<QStringList>("edits"); // "control=text"
    QTest::addColumn<bool>("gateway");
    QTest::addColumn<int>("parity");
    QTest::addColumn<int>("stopBits");
    QTest::addColumn<int>("entry"); // 0: accepted

    const auto row = [](const char *name, const QStringList &edits, int entry, bool gateway = false, int parity = 0,
                         int stopBits = 0) { QTest::newRow(name) << edits << gateway << parity << stopBits << entry; };
    row("port abc", { "E_IEC61850_Server_Port=abc" }, 437);
    row("IP 4 letter", { "E_Ethernet_IP4=a" }, 472);
    row("mask 3 -1", { "E_Ethernet_SM3=-1" }, 475);
    row("gateway off: 300 passes", { "E_Ethernet_GAT2=300" }, 0);
    row("gateway on: 300 refused", { "E_Ethernet_GAT2=300" }, 478, true);
    row("two stop bits with ODD", {}, 589, false, 1, 1);
    row("two stop bits with NONE", {}, 0, false, 0, 1);
    row("device 248", { "E_ModbusSlave_IDDevice=248" }, 590);
    row("unchecked fields are free",
        { "E_IEC61850_Server_Password=x", "E_TLS_Server_Key_Pass=?", "E_Ethernet_DNS1=999", "E_Ethernet_TCP_Port=-5" },
        0);
}

void tst_UParGen::validation()
{
    QFETCH(QStringList, edits);
    QFETCH(bool, gateway);
    QFETCH(int, parity);
    QFETCH(int, stopBits);
    QFETCH(int, entry);

    Fixture f;
    f.open();
    for (const QString &e : edits) {
        const qsizetype eq = e.indexOf(u'=');
        f.edit(e.left(eq))->setText(e.mid(eq + 1));
    }
    f.get<QCheckBox>("CB_Ethernet_En_GAT")->setChecked(gateway);
    f.get<QComboBox>("CB_ModbusSlave_Parity")->setCurrentIndex(parity);
    f.get<QComboBox>("CB_ModbusSlave_StopBits")->setCurrentIndex(stopBits);
    // A field other than the refused ones has the focus, and keeps it.
    QWidget *focused = f.get("E_IEC61850_Server_Password");
    focused->setFocus();

    f.get<QPushButton>("Btn_OK")->click();
    if (entry == 0) {
        QVERIFY2(f.messages.records.isEmpty(), qPrintable(f.messages.last()));
        QVERIFY(QFile::exists(f.pv.File_ParGen));
        QCOMPARE(f.dlg->result(), int(QDialog::Accepted));
        // Stored exactly as the fields stood, gateway boxes included when the gateway is off.
        const ParGenValues saved = readParGenFile(f.pv.File_ParGen);
        QCOMPARE(saved.Ethernet_GAT2, f.text("E_Ethernet_GAT2"));
        QCOMPARE(saved.Ethernet_EN_GAT, gateway);
    } else {
        QCOMPARE(f.messages.records.size(), 1);
        QCOMPARE(f.messages.records[0].kind, ScriptedMessages::Kind::Error);
        QCOMPARE(f.messages.last(), f.pv.msg(entry));
        QVERIFY(!QFile::exists(f.pv.File_ParGen));
        QVERIFY(f.dlg->isVisible());
        QCOMPARE(focusName(f.dlg->focusWidget()), focusName(focused));
    }
}

void tst_UParGen::cancelAsksOnlyAfterAnEdit_data()
{
    QTest::addColumn<Action>("action");
    QTest::addColumn<bool>("escape"); // Escape instead of the Cancel button
    QTest::addColumn<bool>("asks");

    const Action nothing = [](Fixture &) {};
    const Action type = [](Fixture &f) { QTest::keyClicks(f.edit("E_IEC61850_Server_Port"), "7"); };
    QTest::newRow("nothing") << nothing << false << false;
    QTest::newRow("nothing, Escape") << nothing << true << false;
    QTest::newRow("folding a section") << Action([](Fixture &f) {
        QTest::mouseClick(f.get<CollapsibleSection>("CP_Modbus_Slave")->header(), Qt::LeftButton);
    }) << false << false;
    QTest::newRow("typing in a one-line box") << type << false << true;
    QTest::newRow("typing in a one-line box, Escape") << type << true << true;
    QTest::newRow("typing in an address box")
        << Action([](Fixture &f) { QTest::keyClicks(f.edit("E_Ethernet_SM2"), "1"); }) << false << true;
    QTest::newRow("typing in a paste box") << Action([](Fixture &f) {
        f.get<QCheckBox>("CB_TLS_Server_Enable")->setChecked(true);
        QTest::keyClicks(f.get<QPlainTextEdit>("E_TLS_Server_Root_Cert"), "r");
    }) << false << true;
    QTest::newRow("choosing a list item")
        << Action([](Fixture &f) { f.get<QComboBox>("CB_ModbusSlave_Baudrate")->setCurrentIndex(0); }) << false << true;
    QTest::newRow("ticking a check box") << Action([](Fixture &f) {
        f.get<QCheckBox>("CB_ModbusSlave_ReadInput")->click();
    }) << true << true;
}

void tst_UParGen::cancelAsksOnlyAfterAnEdit()
{
    QFETCH(Action, action);
    QFETCH(bool, escape);
    QFETCH(bool, asks);

    Fixture f;
    f.open();
    action(f);
    f.messages.answers = { false, true };
    QWidget *focus = f.dlg->focusWidget() ? f.dlg->focusWidget() : f.dlg.get();
    const auto leave = [&] {
        if (escape)
            QTest::keyClick(focus, Qt::Key_Escape);
        else
            QTest::mouseClick(f.get<QPushButton>("Btn_Cancel"), Qt::LeftButton);
    };

    leave();
    if (!asks) {
        QVERIFY(f.messages.records.isEmpty());
        QVERIFY(!f.dlg->isVisible());
        QCOMPARE(f.dlg->result(), int(QDialog::Rejected));
        return;
    }
    // No keeps the dialog open with the edit; Yes closes it; nothing is written either way.
    QCOMPARE(f.messages.texts(), QStringList { f.pv.msg(MsgId::ParGenExitWithoutSaving) });
    QCOMPARE(f.messages.records[0].kind, ScriptedMessages::Kind::Confirm);
    QVERIFY(f.dlg->isVisible());
    leave();
    QCOMPARE(f.messages.records.size(), 2);
    QVERIFY(!f.dlg->isVisible());
    QCOMPARE(f.dlg->result(), int(QDialog::Rejected));
    QVERIFY(!QFile::exists(f.pv.File_ParGen));
}

void tst_UParGen::cancelAfterEditAsks()
{
    Fixture f;
    f.open();
    auto *port = f.edit("E_IEC61850_Server_Port");
    QTest::keyClicks(port, "7");

    QVERIFY(f.cancelAsks());
    QCOMPARE(port->text(), QStringLiteral("1027"));

    f.messages.answers = { true };
    QTest::mouseClick(f.get<QPushButton>("Btn_Cancel"), Qt::LeftButton);
    QVERIFY(!f.dlg->isVisible());
    QCOMPARE(f.dlg->result(), int(QDialog::Rejected));
    QVERIFY(!QFile::exists(f.pv.File_ParGen));

    // The close box discards without a question; the next opening shows the file again.
    f.open();
    QCOMPARE(port->text(), QStringLiteral("102"));
    QTest::keyClicks(port, "9");
    f.messages.clear();
    f.dlg->close();
    QVERIFY(f.messages.records.isEmpty());
    QVERIFY(!f.dlg->isVisible());
    QVERIFY(!QFile::exists(f.pv.File_ParGen));
}

void tst_UParGen::dotKeyMovesAlongTheAddressChain()
{
    Fixture f;
    f.open();
    const auto dot = [&](const char *from) {
        QLineEdit *box = f.edit(QString::fromLatin1(from));
        box->setFocus();
        const QString before = box->text();
        QTest::keyClick(box, '.');
        if (box->text() != before)
            return QStringLiteral("inserted into ") + box->objectName(); // "." is never inserted
        return f.dlg->focusWidget() ? f.dlg->focusWidget()->objectName() : QString();
    };
    QCOMPARE(dot("E_Ethernet_IP1"), QStringLiteral("E_Ethernet_IP2"));
    QCOMPARE(dot("E_Ethernet_IP4"), QStringLiteral("E_Ethernet_SM1"));
    QCOMPARE(dot("E_Ethernet_SM4"), QStringLiteral("E_Ethernet_GAT1"));
    QCOMPARE(dot("E_Ethernet_GAT4"), QStringLiteral("E_Ethernet_GAT4")); // DNS boxes are hidden

    // Other keys pass: a letter lands in the box.
    QLineEdit *ip1 = f.edit("E_Ethernet_IP1");
    ip1->setFocus();
    ip1->end(false);
    QTest::keyClick(ip1, 'a');
    QCOMPARE(ip1->text(), QStringLiteral("192a"));
}

void tst_UParGen::wheelScrollsTheGroupOnly()
{
    Fixture f;
    f.open();
    f.get<QCheckBox>("CB_TLS_Server_Enable")->click();
    f.dlg->resize(460, 400);
    auto *group = f.get<QScrollArea>("CPG");
    QScrollBar *bar = group->verticalScrollBar();
    QTRY_VERIFY(bar->maximum() > 0);
    auto *baud = f.get<QComboBox>("CB_ModbusSlave_Baudrate");
    group->ensureWidgetVisible(baud);
    const int start = bar->value();
    const int lines = QApplication::wheelScrollLines();

    const auto turn = [&](int delta) {
        const QPointF local = QPointF(baud->rect().center());
        QWheelEvent wheel(local, QPointF(baud->mapToGlobal(local.toPoint())), QPoint(), QPoint(0, delta), Qt::NoButton,
            Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(baud, &wheel);
    };
    turn(-120); // towards the user: down
    QCOMPARE(baud->currentIndex(), 7);
    QCOMPARE(bar->value(), qMin(bar->maximum(), start + lines * bar->singleStep()));
    const int down = bar->value();
    turn(120);
    QCOMPARE(baud->currentIndex(), 7);
    QCOMPARE(bar->value(), qMax(0, down - lines * bar->singleStep()));
}

void tst_UParGen::widthSpringsBack()
{
    Fixture f;
    f.open();
    QCOMPARE(f.dlg->width(), 460);
    f.dlg->resize(600, 520);
    QCOMPARE(f.dlg->width(), 460);
    QCOMPARE(f.dlg->height(), 520);
}

void tst_UParGen::languageChangeRelabelsSectionCaptions_data()
{
    QTest::addColumn<bool>("madeBefore"); // the dialog was made before the change, else after it
    QTest::newRow("made before the change") << true;
    QTest::newRow("made after the change") << false;
}

// The numbered section captions follow the language on screen as every other caption does,
// whenever the dialog was made.
void tst_UParGen::languageChangeRelabelsSectionCaptions()
{
    QFETCH(bool, madeBefore);
    Fixture f;
    if (!madeBefore)
        f.dlg.reset();
    f.pv.Msg_Catalogue[MsgId::ParGenIEC61850Server] = QStringLiteral("Server IEC61850");
    f.pv.Msg_Catalogue[MsgId::ParGenTLSServer] = QStringLiteral("Server TLS");
    f.pv.Msg_Catalogue[MsgId::ParGenModbusSlave] = QStringLiteral("Slave Modbus");
    f.pv.Msg_Catalogue[MsgId::ParGenEthernet] = QStringLiteral("Rete");
    f.pv.Msg_Catalogue[MsgId::ParGenPort] = QStringLiteral("Porta");
    if (madeBefore)
        f.dlg->Set_Lang();
    else
        f.dlg = std::make_unique<TFParGen>(f.pv, f.services);
    QCOMPARE(f.get<QLabel>("L_IEC61850_Server_Port")->text(), QStringLiteral("Porta"));
    QStringList captions;
    for (const char *section : { "CP_IEC61850_Server", "CP_TLS_Server", "CP_Modbus_Slave", "CP_Ethernet" })
        captions << f.get<CollapsibleSection>(QLatin1String(section))->caption();
    QCOMPARE(captions,
        (QStringList { QStringLiteral("1. Server IEC61850"), QStringLiteral("2. Server TLS"),
            QStringLiteral("3. Slave Modbus"), QStringLiteral("4. Rete") }));
}

void tst_UParGen::certificateState_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("root");
    QTest::addColumn<QStringList>("frames"); // key, server certificate, root certificate
    QTest::addColumn<QStringList>("tips"); // each box's tooltip after its hint

    const test::CertificateFixtures &c = certs();
    const QDateTime &now = CertificatesMadeAt;
    const QString keyRead = QStringLiteral("The private key can be read");
    const QString server = described("gateway", "Test Root", now.addDays(-1), now.addYears(1));
    const QString root = described("Test Root", "Test Root", now.addYears(-1), now.addYears(5));
    const auto until = [](const QDateTime &t) { return t.toString(QStringLiteral("yyyy-MM-dd HH:mm 'UTC'")); };
    const QStringList clean = { "none", "none", "none" };

    QTest::newRow("valid chain") << c.server.privatePem << QString() << c.serverCert << c.rootCert << clean
                                 << QStringList { keyRead, server, root };
    QTest::newRow("encrypted key, its password")
        << c.encryptedServerKey << QString(c.EncryptedKeyPassword) << c.serverCert << c.rootCert << clean
        << QStringList { keyRead, server, root };
    QTest::newRow("encrypted key, wrong password")
        << c.encryptedServerKey << QStringLiteral("wrong") << c.serverCert << c.rootCert
        << QStringList { "error", "none", "none" }
        << QStringList { "cannot be read: the password does not open the key", server, root };
    QTest::newRow("mismatched key") << c.other.privatePem << QString() << c.serverCert << c.rootCert
                                    << QStringList { "error", "none", "none" }
                                    << QStringList { keyRead + "\ndoes not belong to the server certificate", server,
                                           root };
    QTest::newRow("signed by another root")
        << c.server.privatePem << QString() << c.serverCert << c.otherRootCert
        << QStringList { "none", "error", "none" }
        << QStringList { keyRead, server + "\nnot signed by the root certificate",
               described("Other Root", "Other Root", now.addYears(-1), now.addYears(5)) };
    QTest::newRow("expired") << c.server.privatePem << QString() << c.expiredCert << c.rootCert
                             << QStringList { "none", "error", "none" }
                             << QStringList { keyRead,
                                    described("gateway", "Test Root", now.addYears(-2), now.addSecs(-60))
                                        + "\nexpired on " + until(now.addSecs(-60)),
                                    root };
    QTest::newRow("not yet valid") << c.server.privatePem << QString() << c.notYetValidCert << c.rootCert
                                   << QStringList { "none", "error", "none" }
                                   << QStringList { keyRead,
                                          described("gateway", "Test Root", now.addSecs(60), now.addYears(1))
                                              + "\nnot valid before " + until(now.addSecs(60)),
                                          root };
    QTest::newRow("expiring soon") << c.server.privatePem << QString() << c.expiringSoonCert << c.rootCert
                                   << QStringList { "none", "warning", "none" }
                                   << QStringList { keyRead,
                                          described("gateway", "Test Root", now.addDays(-1), now.addDays(10))
                                              + "\nexpires on " + until(now.addDays(10)),
                                          root };
    const QString garbage = QStringLiteral("not a key, not a certificate"); // a document holds no control codes
    QTest::newRow("garbage") << garbage << QString() << garbage << garbage << QStringList { "error", "error", "error" }
                             << QStringList { "cannot be read: no PEM private key found",
                                    "cannot be read: no PEM certificate found",
                                    "cannot be read: no PEM certificate found" };
    QTest::newRow("key derivation too costly")
        << test::costlyKeyPem(0x7FFFFFFF) << QStringLiteral("pass") << c.serverCert << c.rootCert
        << QStringList { "error", "none", "none" }
        << QStringList { "cannot be read: key derivation too costly to check", server, root };
    QTest::newRow("empty") << QString() << QString() << QString() << QString() << clean
                           << QStringList { QString(), QString(), QString() };
}

void tst_UParGen::certificateState()
{
    QFETCH(QString, key);
    QFETCH(QString, password);
    QFETCH(QString, server);
    QFETCH(QString, root);
    QFETCH(QStringList, frames);
    QFETCH(QStringList, tips);

    Fixture f;
    ParGenValues v;
    v.TLS_Server_Enable = true;
    v.TLS_Server_Key = key;
    v.TLS_Server_Key_Password = password;
    v.TLS_Server_Server_Certificate = server;
    v.TLS_Server_Root_Certificate = root;
    writeParGenFile(f.pv.File_ParGen, v);
    f.open();

    const QList<int> hints = { MsgId::ParGenHintKey, MsgId::ParGenHintServerCert, MsgId::ParGenHintRootCert };
    for (qsizetype i = 0; i < InspectedBoxes.size(); ++i) {
        auto *box = f.get<QPlainTextEdit>(InspectedBoxes[i]);
        const QString hint = f.pv.msg(hints[i]);
        // The texts are read off the user-interface thread; the result follows.
        QTRY_COMPARE(test::shownTip(box->toolTip()), tips[i].isEmpty() ? hint : hint + u'\n' + tips[i]);
        QCOMPARE(frameOf(box), frames[i]);
    }
    QVERIFY(f.messages.records.isEmpty()); // never a message box
}

void tst_UParGen::certificateStateFollowsEdits()
{
    const test::CertificateFixtures &c = certs();
    Fixture f;
    ParGenValues v;
    v.TLS_Server_Enable = true;
    v.TLS_Server_Key = c.encryptedServerKey;
    v.TLS_Server_Key_Password = QString::fromLatin1(c.EncryptedKeyPassword);
    v.TLS_Server_Server_Certificate = c.serverCert;
    v.TLS_Server_Root_Certificate = c.rootCert;
    writeParGenFile(f.pv.File_ParGen, v);
    f.open();
    auto *key = f.get<QPlainTextEdit>("E_TLS_Server_Key");
    auto *server = f.get<QPlainTextEdit>("E_TLS_Server_Server_Cert");
    auto *root = f.get<QPlainTextEdit>("E_TLS_Server_Root_Cert");
    const auto frames = [&] { return QStringList { frameOf(key), frameOf(server), frameOf(root) }; };
    QCOMPARE(frames(), QStringList({ "none", "none", "none" }));

    // Each edit is read once typing pauses; the key is read with the password box's text.
    QLineEdit *password = f.edit("E_TLS_Server_Key_Pass");
    password->setFocus();
    QTest::keyClick(password, Qt::Key_Backspace);
    QTRY_COMPARE(frames(), QStringList({ "error", "none", "none" }));
    QVERIFY(test::shownTip(key->toolTip()).endsWith(QStringLiteral("the password does not open the key")));
    QTest::keyClick(password, 's');
    QTRY_COMPARE(frames(), QStringList({ "none", "none", "none" }));

    // A certificate that ends soon turns its own box amber; another root turns the server
    // certificate red, since the root did not sign it.
    server->setPlainText(c.expiringSoonCert);
    QTRY_COMPARE(frames(), QStringList({ "none", "warning", "none" }));
    root->setPlainText(c.otherRootCert);
    QTRY_COMPARE(frames(), QStringList({ "none", "error", "none" }));
    QVERIFY(test::shownTip(server->toolTip()).contains(QStringLiteral("not signed by the root certificate")));
    root->clear();
    QTRY_COMPARE(frames(), QStringList({ "none", "warning", "none" }));
    QCOMPARE(test::shownTip(root->toolTip()), f.pv.msg(MsgId::ParGenHintRootCert));

    // A key that belongs to another certificate is red; a blank key has no frame.
    key->setPlainText(c.other.privatePem);
    QTRY_COMPARE(frames(), QStringList({ "error", "warning", "none" }));
    const QString shots = qEnvironmentVariable("SW_SCREENSHOT_DIR");
    if (!shots.isEmpty()) {
        f.get<QScrollArea>("CPG")->ensureWidgetVisible(root);
        f.dlg->grab().save(shots + QStringLiteral("/TFParGen-certificates.png"));
    }
    key->clear();
    QTRY_COMPARE(frames(), QStringList({ "none", "warning", "none" }));

    // The tooltips follow a change of language, hint first.
    f.pv.Msg_Catalogue[MsgId::ParGenHintServerCert] = QStringLiteral("Certificato del server");
    f.pv.Msg_Catalogue[MsgId::CertSubject] = QStringLiteral("Soggetto: %1");
    f.dlg->Set_Lang();
    QTRY_VERIFY2(test::shownTip(server->toolTip())
                     .startsWith(QStringLiteral("Certificato del server\nSoggetto: O=Test Lab, CN=gateway\n")),
        qPrintable(test::shownTip(server->toolTip())));
    QVERIFY(f.messages.records.isEmpty());
}

// A key is read off the user-interface thread: the window shows, and takes input, before a key
// that takes long to open has been read. The key here asks for the most work still opened.
void tst_UParGen::keyIsReadWithoutHoldingTheWindow()
{
    Fixture f;
    ParGenValues v;
    v.TLS_Server_Enable = true;
    v.TLS_Server_Key = test::costlyKeyPem(MaxKeyDerivationIterations);
    v.TLS_Server_Key_Password = QStringLiteral("pass");
    writeParGenFile(f.pv.File_ParGen, v);
    auto *key = f.get<QPlainTextEdit>("E_TLS_Server_Key");
    const QString hint = f.pv.msg(MsgId::ParGenHintKey);

    f.dlg->show(); // loads the document; no event is handled before the next line
    QCOMPARE(test::shownTip(key->toolTip()), hint);
    QTRY_COMPARE_WITH_TIMEOUT(test::shownTip(key->toolTip()),
        hint + QStringLiteral("\ncannot be read: the password does not open the key"), 20000);
}

namespace {

// Five field changes, made with the keyboard: typing twice into the port is one of them.
void changeFields(Fixture &f)
{
    QLineEdit *port = f.edit("E_IEC61850_Server_Port");
    port->setFocus();
    QTest::keyClicks(port, "45");
    auto *readInput = f.get<QCheckBox>("CB_ModbusSlave_ReadInput");
    readInput->setFocus();
    QTest::keyClick(readInput, Qt::Key_Space);
    QLineEdit *password = f.edit("E_IEC61850_Server_Password");
    password->setFocus();
    QTest::keyClicks(password, "x");
    auto *baudrate = f.get<QComboBox>("CB_ModbusSlave_Baudrate");
    baudrate->setFocus();
    QTest::keyClick(baudrate, Qt::Key_Up);
    QLineEdit *id = f.edit("E_ModbusSlave_IDDevice");
    id->setFocus();
    id->end(false);
    QTest::keyClick(id, Qt::Key_Backspace);
}

void press(const QString &keys, int times = 1)
{
    for (int i = 0; i < times; ++i)
        QTest::keySequence(QApplication::focusWidget(), QKeySequence(keys));
}

} // namespace

void tst_UParGen::undoAndRedoAcrossTheFields()
{
    Fixture f;
    writeParGenFile(f.pv.File_ParGen, ParGenValues {});
    const QByteArray shown = readFile(f.pv.File_ParGen);
    QLineEdit *port = f.edit("E_IEC61850_Server_Port");

    // What OK writes after the changes.
    f.dlg->show();
    f.dlg->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.dlg.get()));
    changeFields(f);
    f.ok();
    QVERIFY2(!f.dlg->isVisible(), qPrintable(f.messages.last()));
    const QByteArray changed = readFile(f.pv.File_ParGen);
    QVERIFY(changed != shown);

    // The keys undo the dialog's last step, not the typing of the box they are pressed in.
    writeParGenFile(f.pv.File_ParGen, ParGenValues {});
    f.dlg->show();
    QVERIFY(QTest::qWaitForWindowActive(f.dlg.get()));
    changeFields(f);
    port->setFocus();
    press("Ctrl+Z");
    QCOMPARE(f.text("E_ModbusSlave_IDDevice"), QStringLiteral("10"));
    QCOMPARE(f.get<QComboBox>("CB_ModbusSlave_Baudrate")->currentText(), QStringLiteral("57600"));
    QCOMPARE(port->text(), QStringLiteral("10245"));
    press("Ctrl+Z", 3);
    QVERIFY(f.get<QCheckBox>("CB_ModbusSlave_ReadInput")->isChecked());
    QCOMPARE(port->text(), QStringLiteral("10245"));
    press("Ctrl+Z", 2); // the second finds nothing left to undo
    QCOMPARE(port->text(), QStringLiteral("102"));
    // Back where the opening began: Cancel has nothing to ask.
    QVERIFY(!f.cancelAsks());

    f.dlg->show();
    QVERIFY(QTest::qWaitForWindowActive(f.dlg.get()));
    changeFields(f);
    press("Ctrl+Z", 5);
    f.ok();
    QCOMPARE(readFile(f.pv.File_ParGen), shown);

    // Redone with either key, one more finding nothing to redo.
    f.dlg->show();
    QVERIFY(QTest::qWaitForWindowActive(f.dlg.get()));
    changeFields(f);
    press("Ctrl+Z", 5);
    press("Ctrl+Shift+Z", 3);
    press("Ctrl+Y", 3);
    f.ok();
    QVERIFY2(!f.dlg->isVisible(), qPrintable(f.messages.last()));
    QCOMPARE(readFile(f.pv.File_ParGen), changed);
}

QTEST_MAIN(tst_UParGen)
#include "tst_UParGen.moc"
