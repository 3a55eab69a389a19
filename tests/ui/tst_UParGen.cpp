#include "ScriptedMessages.h"

#include "core/Catalogue.h"
#include "core/MessageIds.h"
#include "core/ParGenDocument.h"
#include "core/ProgramValues.h"
#include "ui/Services.h"
#include "ui/documents/CollapsibleSection.h"
#include "ui/documents/UParGen.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtTest>

#include <memory>

using namespace sw;
using sw::test::ScriptedMessages;

namespace {

// A project folder with the dialog created as at start-up; ParGen.xml is written by the test.
struct Fixture
{
    QTemporaryDir dir;
    ProgramValues pv;
    ScriptedMessages messages;
    Services services { &messages, nullptr, nullptr, nullptr };
    std::unique_ptr<TFParGen> dlg;

    Fixture()
    {
        Default_Messages(pv.Msg_Catalogue);
        pv.File_ParGen = dir.filePath(QStringLiteral("ParGen.xml"));
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
    void writeFile(const QByteArray &bytes) const
    {
        QFile f(pv.File_ParGen);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    void open() const
    {
        dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(dlg.get()));
    }
};

} // namespace

class tst_UParGen : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaultsWithoutFileAndCancelAtOnce();
    void savedAndReopenedKeepsEveryValue();
    void longValuesWrittenBackExactly();
    void malformedFileShowsErrorAndDefaults();
    void writeFailureKeepsDialogOpen();
    void tlsRowsFollowTheSwitch();
    void sectionsCollapseAndKeepTheirState();
    void validation_data();
    void validation();
    void cancelAfterEditAsks();
    void dotKeyMovesAlongTheAddressChain();
    void wheelScrollsTheGroupOnly();
    void widthSpringsBack();
    void languageChangeKeepsSectionCaptions();
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
    QVERIFY(!f.dlg->Is_Change);

    QTest::mouseClick(f.get<QPushButton>("Btn_Cancel"), Qt::LeftButton);
    QVERIFY(f.messages.records.isEmpty());
    QVERIFY(!f.dlg->isVisible());
    QCOMPARE(f.dlg->result(), int(QDialog::Rejected));
    QVERIFY(!QFile::exists(f.pv.File_ParGen));
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
    f.writeFile(ParGen_Document(v));
    f.open();
    QCOMPARE(f.get<QPlainTextEdit>("E_TLS_Server_Key")->toPlainText(), v.TLS_Server_Key);
    QCOMPARE(f.get<QComboBox>("CB_ModbusSlave_Parity")->currentIndex(), 2);
    QVERIFY(!f.dlg->Is_Change);

    f.edit("E_IEC61850_Server_Port")->setText(QStringLiteral("010"));
    f.get<QCheckBox>("CB_Ethernet_En_GAT")->click();
    f.edit("E_Ethernet_GAT4")->setText(QStringLiteral("254"));
    QTest::mouseClick(f.get<QPushButton>("Btn_OK"), Qt::LeftButton);
    QVERIFY2(f.messages.records.isEmpty(), qPrintable(f.messages.last()));
    QCOMPARE(f.dlg->result(), int(QDialog::Accepted));
    QVERIFY(!f.dlg->isVisible());

    v.IEC61850_Server_Port = QStringLiteral("010"); // stored as typed
    v.Ethernet_EN_GAT = true;
    v.Ethernet_GAT4 = QStringLiteral("254");
    QCOMPARE(Read_ParGen_File(f.pv.File_ParGen), v);

    f.open();
    QCOMPARE(f.text("E_IEC61850_Server_Port"), QStringLiteral("010"));
    QCOMPARE(f.text("E_Ethernet_TCP_Port"), QStringLiteral("502"));
    QVERIFY(!f.dlg->Is_Change);
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
    f.writeFile(ParGen_Document(v));
    f.open();
    QCOMPARE(f.text("E_IEC61850_Server_Password").size(), v.IEC61850_Server_Password.size());
    QVERIFY(!f.dlg->Is_Change);

    QTest::mouseClick(f.get<QPushButton>("Btn_OK"), Qt::LeftButton);
    QVERIFY2(f.messages.records.isEmpty(), qPrintable(f.messages.last()));
    QCOMPARE(f.dlg->result(), int(QDialog::Accepted));
    QCOMPARE(Read_ParGen_File(f.pv.File_ParGen), v);
}

void tst_UParGen::malformedFileShowsErrorAndDefaults()
{
    Fixture f;
    ParGenValues v;
    v.IEC61850_Server_Port = QStringLiteral("80");
    v.TLS_Server_Enable = true;
    f.writeFile(ParGen_Document(v));
    f.open();
    QCOMPARE(f.text("E_IEC61850_Server_Port"), QStringLiteral("80"));
    f.dlg->reject();

    f.writeFile("<Par_Gen><IEC61850_Server_Port>81</Par_Gen>");
    f.open();
    QCOMPARE(f.messages.records.size(), 1);
    QCOMPARE(f.messages.records[0].kind, ScriptedMessages::Kind::GeneralError);
    QVERIFY(f.messages.last().contains(QDir::toNativeSeparators(f.pv.File_ParGen)));
    QVERIFY(f.dlg->isVisible());
    // Nothing of the earlier opening is left over, and the TLS rows match the unticked switch.
    QCOMPARE(f.text("E_IEC61850_Server_Port"), QStringLiteral("102"));
    QVERIFY(!f.get<QCheckBox>("CB_TLS_Server_Enable")->isChecked());
    QVERIFY(f.get("E_TLS_Server_Key")->isHidden());
}

void tst_UParGen::writeFailureKeepsDialogOpen()
{
    Fixture f;
    f.pv.File_ParGen = f.dir.filePath(QStringLiteral("missing/ParGen.xml"));
    f.open();
    f.edit("E_IEC61850_Server_Port")->setText(QStringLiteral("8102"));
    QTest::mouseClick(f.get<QPushButton>("Btn_OK"), Qt::LeftButton);
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
    QVERIFY(f.dlg->Is_Change);
    for (const QString &name : rows)
        QVERIFY2(f.get(name)->isVisible(), qPrintable(name));
    QTRY_COMPARE(tls->height(), fitted(knownCert));
    QTRY_COMPARE(modbus->y(), modbusTop + tls->height() - fitted(enable));
    QVERIFY(ethernet->y() > ethernetTop);

    // The DNS and port rows stay hidden whatever happens.
    for (const char *name :
        { "CB_Ethernet_DNS", "E_Ethernet_DNS1", "E_Ethernet_DNS4", "E_Ethernet_TCP_Port", "E_Ethernet_UDP_Port" })
        QVERIFY2(!f.get(name)->isVisible(), name);

    // Hidden rows keep their contents, and they are saved.
    f.get<QPlainTextEdit>("E_TLS_Server_Key")->setPlainText(QStringLiteral("k1\nk2"));
    enable->click();
    QVERIFY(!f.get("E_TLS_Server_Key")->isVisible());
    QTRY_COMPARE(modbus->y(), modbusTop);
    f.dlg->Btn_OKClick();
    QCOMPARE(Read_ParGen_File(f.pv.File_ParGen).TLS_Server_Key, QStringLiteral("k1\nk2"));
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
    QVERIFY(!f.dlg->Is_Change); // folding a section is no edit

    f.dlg->reject();
    f.open();
    QVERIFY(!tls->isExpanded());
    QTest::keyClick(tls->header(), Qt::Key_Space);
    QVERIFY(tls->isExpanded());
    QTRY_COMPARE(modbus->y(), modbusTop);
}

void tst_UParGen::validation_data()
{
    QTest::addColumn<QStringList>("edits"); // "control=text"
    QTest::addColumn<bool>("gateway");
    QTest::addColumn<int>("parity");
    QTest::addColumn<int>("stopBits");
    QTest::addColumn<int>("entry"); // 0: accepted

    const auto row = [](const char *name, const QStringList &edits, int entry, bool gateway = false, int parity = 0,
                         int stopBits = 0) { QTest::newRow(name) << edits << gateway << parity << stopBits << entry; };
    row("port 0", { "E_IEC61850_Server_Port=0" }, 0);
    row("port 65535", { "E_IEC61850_Server_Port=65535" }, 0);
    row("port 10000", { "E_IEC61850_Server_Port=10000" }, 437);
    row("port 65536", { "E_IEC61850_Server_Port=65536" }, 437);
    row("port -1", { "E_IEC61850_Server_Port=-1" }, 437);
    row("port empty", { "E_IEC61850_Server_Port=" }, 437);
    row("port abc", { "E_IEC61850_Server_Port=abc" }, 437);
    row("port before address", { "E_IEC61850_Server_Port=abc", "E_Ethernet_IP1=256" }, 437);
    row("IP 1 256 before mask and device", { "E_Ethernet_IP1=256", "E_Ethernet_SM1=999", "E_ModbusSlave_IDDevice=0" },
        469);
    row("IP 4 letter", { "E_Ethernet_IP4=a" }, 472);
    row("mask 3 -1", { "E_Ethernet_SM3=-1" }, 475);
    row("mask before gateway", { "E_Ethernet_SM4=256", "E_Ethernet_GAT1=256" }, 476, true);
    row("gateway off: 300 passes", { "E_Ethernet_GAT2=300" }, 0);
    row("gateway on: 300 refused", { "E_Ethernet_GAT2=300" }, 478, true);
    row("gateway on: letter in box 4", { "E_Ethernet_GAT4=x" }, 480, true);
    row("two stop bits with NONE", {}, 0, false, 0, 1);
    row("two stop bits with ODD", {}, 589, false, 1, 1);
    row("two stop bits with EVEN", {}, 589, false, 2, 1);
    row("one stop bit with EVEN", {}, 0, false, 2, 0);
    row("stop bits before device", { "E_ModbusSlave_IDDevice=0" }, 589, false, 1, 1);
    row("device 1", { "E_ModbusSlave_IDDevice=1" }, 0);
    row("device 247", { "E_ModbusSlave_IDDevice=247" }, 0);
    row("device 0", { "E_ModbusSlave_IDDevice=0" }, 590);
    row("device 248", { "E_ModbusSlave_IDDevice=248" }, 590);
    row("device empty", { "E_ModbusSlave_IDDevice=" }, 590);
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

    f.dlg->Btn_OKClick();
    if (entry == 0) {
        QVERIFY2(f.messages.records.isEmpty(), qPrintable(f.messages.last()));
        QVERIFY(QFile::exists(f.pv.File_ParGen));
        QCOMPARE(f.dlg->result(), int(QDialog::Accepted));
        // Stored exactly as the fields stood, gateway boxes included when the gateway is off.
        const ParGenValues saved = Read_ParGen_File(f.pv.File_ParGen);
        QCOMPARE(saved.Ethernet_GAT2, f.text("E_Ethernet_GAT2"));
        QCOMPARE(saved.Ethernet_EN_GAT, gateway);
    } else {
        QCOMPARE(f.messages.records.size(), 1);
        QCOMPARE(f.messages.records[0].kind, ScriptedMessages::Kind::Error);
        QCOMPARE(f.messages.last(), f.pv.msg(entry));
        QVERIFY(!QFile::exists(f.pv.File_ParGen));
        QVERIFY(f.dlg->isVisible());
    }
}

void tst_UParGen::cancelAfterEditAsks()
{
    Fixture f;
    f.open();
    auto *port = f.edit("E_IEC61850_Server_Port");
    QTest::keyClicks(port, "7");
    QVERIFY(f.dlg->Is_Change);

    f.messages.answers = { false };
    QTest::mouseClick(f.get<QPushButton>("Btn_Cancel"), Qt::LeftButton);
    QCOMPARE(f.messages.records.size(), 1);
    QCOMPARE(f.messages.records[0].kind, ScriptedMessages::Kind::Confirm);
    QCOMPARE(f.messages.last(), QStringLiteral("Do you want to exit without saving changes?"));
    QVERIFY(f.dlg->isVisible());
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

void tst_UParGen::languageChangeKeepsSectionCaptions()
{
    Fixture f;
    f.pv.Msg_Catalogue[MsgId::ParGen_IEC61850Server] = QStringLiteral("Server IEC61850");
    f.pv.Msg_Catalogue[MsgId::ParGen_Port] = QStringLiteral("Porta");
    f.pv.Msg_Catalogue[MsgId::ParGen_HintPort] = QStringLiteral("Porta del server");
    f.dlg->Set_Lang();
    QCOMPARE(f.get<QLabel>("L_IEC61850_Server_Port")->text(), QStringLiteral("Porta"));
    QCOMPARE(f.edit("E_IEC61850_Server_Port")->toolTip(), QStringLiteral("Porta del server"));
    QCOMPARE(f.get<CollapsibleSection>("CP_IEC61850_Server")->caption(), QStringLiteral("1. IEC61850 Server"));
}

QTEST_MAIN(tst_UParGen)
#include "tst_UParGen.moc"
