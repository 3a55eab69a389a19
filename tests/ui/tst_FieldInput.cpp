// Hostile text in the address boxes and numeric fields: the texts of the rules themselves, signs and
// blanks, digits of other scripts, control characters, a lone surrogate and a very long text. OK
// either refuses with the field's own message and writes nothing, or stores exactly what was typed.

#include "DialogFixture.h"

#include "core/Error.h"
#include "core/Workspace.h"
#include "core/documents/ParGenDocument.h"
#include "core/text/MessageIds.h"
#include "core/update/UpdateParameters.h"
#include "ui/documents/UParGen.h"
#include "ui/update/UBoot.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QtTest>

using namespace sw;
using Kind = sw::test::ScriptedMessages::Kind;
using sw::test::readFile;

namespace {

// The hostile texts, each with how it reads as a decimal integer (blanks around it ignored) and
// whether an XML document can hold it.
void addTexts()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("integer");
    QTest::addColumn<qint64>("value");
    QTest::addColumn<bool>("storable");

    const auto number = [](const char *name, const QString &text, qint64 value) {
        QTest::newRow(name) << text << true << value << true;
    };
    const auto other = [](const char *name, const QString &text, bool storable = true) {
        QTest::newRow(name) << text << false << qint64(0) << storable;
    };
    // The ends of the rules' ranges and just beyond them.
    number("0", "0", 0);
    number("1", "1", 1);
    number("247", "247", 247);
    number("248", "248", 248);
    number("255", "255", 255);
    number("256", "256", 256);
    number("10000", "10000", 10000);
    number("65535", "65535", 65535);
    number("65536", "65536", 65536);
    number("-1", "-1", -1);
    other("empty", "");
    other("letters", "abc");
    // Signs and blanks.
    number("plus sign", "+12", 12);
    number("minus zero", "-0", 0);
    number("leading zeros", "007", 7);
    number("blanks around", " 12 ", 12);
    number("no-break space before", QStringLiteral("\u00A012"), 12);
    other("sign alone", "+");
    other("two signs", "+-1");
    other("blank after the sign", "- 1");
    other("blank inside", "1 2");
    other("blanks only", "   ");
    // Other forms of numbers.
    other("decimal mark", "12.0");
    other("exponent", "1e2");
    other("hexadecimal", "0x10");
    other("beyond 64 bits", "99999999999999999999");
    other("Arabic-Indic digits", QStringLiteral("\u0661\u0662"));
    other("full-width digits", QStringLiteral("\uFF11\uFF12"));
    // Control characters: the blank ones count as blanks, the others make no number.
    number("tab after", "12\t", 12);
    number("CR after", "12\r", 12);
    number("LF before", "\n12", 12);
    other("NUL after", QStringLiteral("12") + QChar(0), false);
    other("ESC before",
        "\x1b"
        "12",
        false);
    other("lone high surrogate", QStringLiteral("12") + QChar(0xD800), false);
    other("lone low surrogate", QChar(0xDC00) + QStringLiteral("12"), false);
    // 100,000 characters.
    other("100,000 nines", QString(100000, u'9'));
    number("100,000 characters, zeros then 12", QString(99998, u'0') + QStringLiteral("12"), 12);
}

// What the echo takes for an address: four decimal parts 0 to 255, no sign, blank or leading zero.
// Anything else it refuses before sending, as the system's own check does.
bool isDottedIPv4(const QString &address)
{
    const QStringList parts = address.split(u'.');
    if (parts.size() != 4)
        return false;
    for (const QString &part : parts) {
        if (part.isEmpty() || part.size() > 3 || (part.size() > 1 && part[0] == u'0'))
            return false;
        for (const QChar c : part) {
            if (c < u'0' || c > u'9')
                return false;
        }
        if (part.toInt() > 255)
            return false;
    }
    return true;
}

// A numeric field of the parameter dialog: its range with the one value inside it that is refused
// (-1: none), the message that refuses it (0: the field is not checked) and its value in the document.
struct NumericField
{
    const char *control;
    qint64 low;
    qint64 high;
    qint64 refusedInside;
    int message;
    QString ParGenValues::*value;
    bool gateway = false; // the gateway in use
};

QList<NumericField> numericFields()
{
    using V = ParGenValues;
    QList<NumericField> fields { { "E_IEC61850_Server_Port", 0, 65535, 10000, MsgId::ParGenErrPort,
                                     &V::IEC61850_Server_Port },
        { "E_ModbusSlave_IDDevice", 1, 247, -1, MsgId::ParGenErrIDDevice, &V::MODBUS_SLAVE_IDDEVICE } };
    const std::array<QString V::*, 4> ip { &V::Ethernet_IP1, &V::Ethernet_IP2, &V::Ethernet_IP3, &V::Ethernet_IP4 };
    const std::array<QString V::*, 4> mask { &V::Ethernet_SM1, &V::Ethernet_SM2, &V::Ethernet_SM3, &V::Ethernet_SM4 };
    const std::array<QString V::*, 4> gateway { &V::Ethernet_GAT1, &V::Ethernet_GAT2, &V::Ethernet_GAT3,
        &V::Ethernet_GAT4 };
    static const char *const names[] = { "E_Ethernet_IP1", "E_Ethernet_IP2", "E_Ethernet_IP3", "E_Ethernet_IP4",
        "E_Ethernet_SM1", "E_Ethernet_SM2", "E_Ethernet_SM3", "E_Ethernet_SM4", "E_Ethernet_GAT1", "E_Ethernet_GAT2",
        "E_Ethernet_GAT3", "E_Ethernet_GAT4" };
    for (int k = 0; k < 4; ++k) {
        fields.append({ names[k], 0, 255, -1, MsgId::ParGenErrIP1 + k, ip[size_t(k)] });
        fields.append({ names[4 + k], 0, 255, -1, MsgId::ParGenErrSM1 + k, mask[size_t(k)] });
        fields.append({ names[8 + k], 0, 255, -1, MsgId::ParGenErrGAT1 + k, gateway[size_t(k)], true });
        // With the gateway not in use its boxes take any text.
        fields.append({ names[8 + k], 0, 0, -1, 0, gateway[size_t(k)] });
    }
    return fields;
}

} // namespace

class tst_FieldInput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parameterFields_data() { addTexts(); }
    void parameterFields();
    void updateAddressBoxes_data() { addTexts(); }
    void updateAddressBoxes();
};

void tst_FieldInput::parameterFields()
{
    QFETCH(QString, text);
    QFETCH(bool, integer);
    QFETCH(qint64, value);
    QFETCH(bool, storable);

    test::DialogFixture<TFParGen> f;
    f.pv.File_ParGen = f.path(QStringLiteral("ParGen.xml"));
    f.dlg = std::make_unique<TFParGen>(f.pv, f.services);

    for (const NumericField &field : numericFields()) {
        const QString where = QStringLiteral("%1, gateway %2").arg(QLatin1String(field.control)).arg(field.gateway);
        QFile::remove(f.pv.File_ParGen);
        f.messages.clear();
        f.open(); // no file: every other field holds its default, which passes
        f.get<QCheckBox>(QStringLiteral("CB_Ethernet_En_GAT"))->setChecked(field.gateway);
        auto *box = f.get<QLineEdit>(QLatin1String(field.control));
        box->setText(text);
        QVERIFY2(box->text() == text, qPrintable(where)); // the box holds the whole text
        f.click("Btn_OK");

        const bool checked = field.message != 0;
        const bool stored
            = checked ? integer && value >= field.low && value <= field.high && value != field.refusedInside : storable;
        if (stored) {
            QVERIFY2(f.messages.records.isEmpty(), qPrintable(where + u' ' + f.messages.last()));
            QVERIFY2(!f.dlg->isVisible() && f.dlg->result() == QDialog::Accepted, qPrintable(where));
            QVERIFY2(readParGenFile(f.pv.File_ParGen).*field.value == text, qPrintable(where));
            continue;
        }
        // Refused: one message, the dialog open with the text, nothing written.
        QVERIFY2(f.messages.records.size() == 1, qPrintable(where + u' ' + f.messages.texts().join(u'|')));
        if (checked) {
            QVERIFY2(f.messages.records[0].kind == Kind::Error, qPrintable(where));
            QVERIFY2(f.messages.last() == f.pv.msg(field.message), qPrintable(where + u' ' + f.messages.last()));
        } else {
            // No rule for it: the document cannot hold the text, and saying so names the file.
            QVERIFY2(f.messages.records[0].kind == Kind::GeneralError, qPrintable(where));
            QVERIFY2(f.messages.last().contains(QDir::toNativeSeparators(f.pv.File_ParGen)),
                qPrintable(where + u' ' + f.messages.last()));
        }
        QVERIFY2(f.dlg->isVisible() && box->text() == text, qPrintable(where));
        QVERIFY2(!QFile::exists(f.pv.File_ParGen), qPrintable(where));
        f.dlg->reject();
    }
}

void tst_FieldInput::updateAddressBoxes()
{
    QFETCH(QString, text);

    test::DialogFixture<TFBoot> f;
    createWorkspace(f.pv, f.dir.path());
    activateConfiguration(f.pv, QStringLiteral("Plant"));
    const QString parameterFile = updateParametersPath(f.pv.Dir_Program);
    const QString remembered = f.pv.Last_IP_Address;

    for (int k = 1; k <= 4; ++k) {
        const QString where = QStringLiteral("E_IP%1").arg(k);
        QStringList boxes { QStringLiteral("127"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("1") };
        boxes[k - 1] = text;
        const QString address = boxes.join(u'.');
        const bool answers = isDottedIPv4(address);
        f.messages.clear();
        f.echo.requests.clear();
        f.echo.answers = { true, true };
        f.echo.failure
            = answers ? nullptr : std::make_exception_ptr(Error(QStringLiteral("not a dotted IPv4 address")));
        f.launcher.starts.clear();
        QFile::remove(parameterFile);

        f.dlg = std::make_unique<TFBoot>(f.pv, f.services);
        f.clock.steadyTime = [&f] { return f.echo.now; };
        f.dlg->show();
        for (int b = 1; b <= 4; ++b)
            f.get<QLineEdit>(QStringLiteral("E_IP%1").arg(b))->setText(boxes[b - 1]);
        f.click("Btn_Update");

        // The check asks for exactly what was typed.
        QVERIFY2(!f.echo.requests.isEmpty(), qPrintable(where));
        QVERIFY2(f.echo.requests[0].address == address, qPrintable(where));
        QVERIFY2(f.echo.requests[0].payload == address.toUtf8(), qPrintable(where));
        if (answers) {
            QVERIFY2(f.messages.records.isEmpty(), qPrintable(where + u' ' + f.messages.last()));
            QVERIFY2(f.pv.Last_IP_Address == address, qPrintable(where));
            QVERIFY2(readFile(parameterFile).contains("<IP_Address_Dev>" + address.toUtf8() + "</IP_Address_Dev>"),
                qPrintable(where));
            QVERIFY2(f.launcher.starts.size() == 1, qPrintable(where));
        } else {
            QVERIFY2(f.echo.requests.size() == 1, qPrintable(where));
            QVERIFY2(f.messages.records.size() == 1 && f.messages.records[0].kind == Kind::Error, qPrintable(where));
            QVERIFY2(
                f.messages.last() == f.pv.msg(MsgId::BootCheckAddress) + QStringLiteral("\nnot a dotted IPv4 address"),
                qPrintable(where + u' ' + f.messages.last()));
            QVERIFY2(f.pv.Last_IP_Address == remembered, qPrintable(where));
            QVERIFY2(!QFile::exists(parameterFile), qPrintable(where));
            QVERIFY2(f.launcher.starts.isEmpty(), qPrintable(where));
        }
        f.pv.Last_IP_Address = remembered;
    }
}

QTEST_MAIN(tst_FieldInput)
#include "tst_FieldInput.moc"
