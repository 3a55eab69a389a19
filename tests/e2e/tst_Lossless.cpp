// Texts that the user pasted or typed reach ParGen.xml and the configuration image unchanged:
// the editor loads and confirms them without altering a character, and the image compiler puts
// exactly their UTF-8 bytes into bank2.bin.
#include "ProgramFolder.h"

#include "core/documents/ParGenDocument.h"
#include "core/documents/ProjectFiles.h"
#include "core/image/Compiler.h"
#include "core/text/Catalogue.h"
#include "ui/documents/UParGen.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace sw;
using namespace sw::test;

namespace {

// Where two byte strings first differ, for a readable failure on long values; -1 when equal.
qsizetype firstDifference(const QByteArray &a, const QByteArray &b)
{
    const qsizetype n = qMin(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        if (a[i] != b[i])
            return i;
    }
    return a.size() == b.size() ? -1 : n;
}

// A project folder with the communication parameters editor created as at start-up.
struct Project : ProgramFolder
{
    ProjectDocuments docs = projectDocuments(dir.path());
    std::unique_ptr<TFParGen> dlg;

    Project()
    {
        Default_Messages(pv.Msg_Catalogue);
        pv.File_ParGen = docs.parGen;
        dlg = std::make_unique<TFParGen>(pv, services);
    }
    void open() const
    {
        dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(dlg.get()));
    }
    void confirm() const
    {
        QTest::mouseClick(dlg->findChild<QPushButton *>(QStringLiteral("Btn_OK")), Qt::LeftButton);
        QVERIFY2(messages.records.isEmpty(), qPrintable(messages.last()));
        QVERIFY(!dlg->isVisible());
        QCOMPARE(dlg->result(), int(QDialog::Accepted));
    }
};

// The password, the key and the certificates all hold `text`; TLS is on so that every box shows.
ParGenValues withTexts(const QString &text)
{
    ParGenValues v;
    v.IEC61850_Server_Password = text;
    v.TLS_Server_Enable = true;
    v.TLS_Server_Key = text;
    v.TLS_Server_Key_Password = text;
    v.TLS_Server_Server_Certificate = text;
    v.TLS_Server_Root_Certificate = text;
    return v;
}

} // namespace

class tst_Lossless : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void textsKeptExactly_data();
    void textsKeptExactly();
    void editedBoxStoresWhatItShows();
};

void tst_Lossless::textsKeptExactly_data()
{
    QTest::addColumn<QString>("text");

    QString longText;
    while (longText.size() < 40000)
        longText += QStringLiteral("0123456789");
    QTest::newRow("CR") << QStringLiteral("line 1\rline 2\r");
    QTest::newRow("CR LF") << QStringLiteral("-----BEGIN KEY-----\r\nAAAA\r\n-----END KEY-----\r\n");
    QTest::newRow("mixed line breaks") << QStringLiteral("a\nb\r\nc\rd\n\n");
    QTest::newRow("tabs") << QStringLiteral("\tkey\twith tabs\t");
    QTest::newRow("leading and trailing blanks") << QStringLiteral("   padded value   ");
    QTest::newRow("blanks only") << QStringLiteral("  ");
    QTest::newRow("40,000 characters") << longText;
    QTest::newRow("non-Latin") << QStringLiteral("Schl\u00fcssel \u043a\u043b\u044e\u0447 \u9375 \U0001F511");
}

void tst_Lossless::textsKeptExactly()
{
    QFETCH(QString, text);
    Project p;
    const ParGenValues values = withTexts(text);
    const QByteArray original = parGenDocument(values);
    QVERIFY(writeFile(p.docs.parGen, original));

    // Loaded and confirmed without an edit, twice: the same values and the same bytes each time.
    for (int pass = 1; pass <= 2; ++pass) {
        p.open();
        // The one-line boxes show the whole text, however long.
        for (const char *name : { "E_IEC61850_Server_Password", "E_TLS_Server_Key_Pass" })
            QVERIFY2(p.dlg->findChild<QLineEdit *>(QLatin1String(name))->text() == text, name);
        p.confirm();
        QCOMPARE(readParGenFile(p.docs.parGen), values);
        const QByteArray written = readFile(p.docs.parGen);
        QCOMPARE(firstDifference(written, original), qsizetype(-1));
    }

    // The key, key password and certificates go into bank2.bin as their UTF-8 bytes, each ending
    // in 0x00, right after the header and its separator byte.
    image::ImageCompiler compiler;
    const image::Images images = compiler.Compile_Bin(p.docs);
    const QByteArray utf8 = text.toUtf8();
    const QByteArray texts = utf8 + '\0' + utf8 + '\0' + utf8 + '\0' + utf8 + '\0';
    QCOMPARE(firstDifference(images.bank2.mid(image::Bank2HeaderSize + 1, texts.size()), texts), qsizetype(-1));
    QCOMPARE(read32(images.bank2, 10), quint32(utf8.size())); // key
    QCOMPARE(read32(images.bank2, 22), quint32(utf8.size())); // server certificate
    QCOMPARE(read32(images.bank2, 30), quint32(utf8.size())); // root certificate
}

void tst_Lossless::editedBoxStoresWhatItShows()
{
    // A box that the user edits stores its own text; the boxes left alone keep the loaded texts.
    Project p;
    ParGenValues values = withTexts(QStringLiteral("c\r\nd"));
    values.TLS_Server_Key = QStringLiteral("a\r\nb");
    QVERIFY(writeFile(p.docs.parGen, parGenDocument(values)));
    p.open();
    auto *key = p.dlg->findChild<QPlainTextEdit *>(QStringLiteral("E_TLS_Server_Key"));
    key->setFocus();
    key->moveCursor(QTextCursor::End);
    QTest::keyClicks(key, "X");
    QCOMPARE(key->toPlainText(), QStringLiteral("a\nbX"));
    p.confirm();

    values.TLS_Server_Key = QStringLiteral("a\nbX");
    QCOMPARE(readParGenFile(p.docs.parGen), values);
}

QTEST_MAIN(tst_Lossless)
#include "tst_Lossless.moc"
