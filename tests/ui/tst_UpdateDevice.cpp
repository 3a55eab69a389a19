#include "ProgramFolder.h"

#include "core/MessageIds.h"
#include "ui/CatalogueDialog.h"
#include "ui/ImageBuilder.h"
#include "ui/shell/UTalventoFirmWare.h"

#include <QPushButton>
#include <QtTest>

using namespace sw;
using sw::test::readFile;
using sw::test::writeFile;

namespace {

// Stands in for the update dialog: counts its showings without a modal loop.
class FakeBoot final : public CatalogueDialog
{
public:
    using CatalogueDialog::CatalogueDialog;
    int shows = 0;
    int exec() override
    {
        ++shows;
        return QDialog::Accepted;
    }
    void Set_Lang() override { }
};

// The window with the real image compiler behind step 5.
struct Program : test::ProgramFolder
{
    CompilingImageBuilder compiler;
    std::unique_ptr<TFTalventoFirmWare> window;
    FakeBoot *boot = nullptr;

    // Starts the window with the configuration "Plant" active and its folder holding no bin folder;
    // without `withBoot` there is no update dialog. False when the program folder cannot be laid out.
    [[nodiscard]] bool start(bool withBoot = true)
    {
        services.imageBuilder = &compiler;
        if (!rememberConfiguration(QStringLiteral("Plant")))
            return false;
        window = std::make_unique<TFTalventoFirmWare>(pv, services, dir.path());
        TFTalventoFirmWare::Dialogs dialogs;
        if (withBoot)
            dialogs.boot = boot = new FakeBoot(pv, services, window.get());
        window->setDialogs(dialogs);
        return true;
    }
    QString binFile(const char *name) const
    {
        return joinPath(joinPath(pv.Conf_Dir, QStringLiteral("bin")), QLatin1String(name));
    }
    void pressUpdate()
    {
        auto *button = window->findChild<QPushButton *>(QStringLiteral("Btn_CreateBin"));
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
    }
};

} // namespace

class tst_UpdateDevice : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void buildsTheImageBeforeTheUpdateDialog()
    {
        Program p;
        QVERIFY(p.start());
        QVERIFY(!p.pv.Conf_Dir.isEmpty());
        QVERIFY(writeFile(p.pv.File_ParGen, "<Par_Gen><IEC61850_Server_Port>2404</IEC61850_Server_Port></Par_Gen>"));
        p.pressUpdate();

        QCOMPARE(p.boot->shows, 1);
        QVERIFY2(p.messages.records.isEmpty(), qPrintable(p.messages.texts().join(u'\n')));
        QCOMPARE(readFile(p.binFile("bank1.bin")).size(), 2048);
        const QByteArray bank2 = readFile(p.binFile("bank2.bin"));
        QCOMPARE(bank2.size(), 55);
        QCOMPARE(quint8(bank2[0]) | quint8(bank2[1]) << 8, 2404); // the port read from the project
    }

    void withoutUpdateDialogReportsTheImagesWritten_data()
    {
        QTest::addColumn<QString>("written"); // entry 1200, empty for the default
        QTest::addColumn<QString>("bytes"); // entry 1201, empty for the default

        QTest::newRow("default texts") << QString() << QString();
        QTest::newRow("texts of a language file") << QStringLiteral("Immagine scritta in") << QStringLiteral("byte");
    }

    void withoutUpdateDialogReportsTheImagesWritten()
    {
        QFETCH(QString, written);
        QFETCH(QString, bytes);

        Program p;
        QVERIFY(p.start(false));
        if (!written.isEmpty()) {
            p.pv.Msg_Catalogue[MsgId::ImageWritten] = written;
            p.pv.Msg_Catalogue[MsgId::ImageBytes] = bytes;
        } else {
            written = QStringLiteral("Configuration image written:");
            bytes = QStringLiteral("bytes");
        }
        p.pressUpdate();

        QCOMPARE(readFile(p.binFile("bank1.bin")).size(), 2048);
        QCOMPARE(readFile(p.binFile("bank2.bin")).size(), 55);
        QCOMPARE(p.messages.records.size(), 1);
        QCOMPARE(p.messages.records[0].kind, test::ScriptedMessages::Kind::Information);
        const QString folder = QDir::toNativeSeparators(p.dir.filePath(QStringLiteral("PROJECTS/Plant/bin")));
        QCOMPARE(p.messages.last(),
            QStringLiteral("%1\n%2\nbank1.bin: 2048 %3\nbank2.bin: 55 %3").arg(written, folder, bytes));
    }

    void brokenDocumentStopsBeforeTheUpdateDialog()
    {
        Program p;
        QVERIFY(p.start());
        QVERIFY(QDir().mkpath(joinPath(p.pv.Conf_Dir, QStringLiteral("bin"))));
        QVERIFY(writeFile(p.binFile("bank1.bin"), "old 1"));
        QVERIFY(writeFile(p.binFile("bank2.bin"), "old 2"));
        QVERIFY(writeFile(p.pv.File_IEC61850_Variables, "<IEC61850_Variables><row Enable=\"Y\""));
        p.pressUpdate();

        QCOMPARE(p.boot->shows, 0);
        QCOMPARE(p.messages.records.size(), 1);
        QCOMPARE(p.messages.records[0].kind, test::ScriptedMessages::Kind::GeneralError);
        QVERIFY(p.messages.records[0].text.contains(QStringLiteral("IEC61850_Variables.xml")));
        QCOMPARE(readFile(p.binFile("bank1.bin")), QByteArray("old 1"));
        QCOMPARE(readFile(p.binFile("bank2.bin")), QByteArray("old 2"));
    }

    void unwritableImageStopsBeforeTheUpdateDialog()
    {
        Program p;
        QVERIFY(p.start());
        // A file where the bin folder belongs: the images cannot be written.
        QVERIFY(writeFile(joinPath(p.pv.Conf_Dir, QStringLiteral("bin")), "not a folder"));
        p.pressUpdate();

        QCOMPARE(p.boot->shows, 0);
        QCOMPARE(p.messages.records.size(), 1);
        QCOMPARE(p.messages.records[0].kind, test::ScriptedMessages::Kind::GeneralError);
    }
};

QTEST_MAIN(tst_UpdateDevice)
#include "tst_UpdateDevice.moc"
