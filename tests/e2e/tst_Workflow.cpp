// One engineer's road through the configurator, with the real windows wired as the program
// entry wires them: create a configuration, set its communication parameters, build the image
// and start the device update, and switch the language.
#include "ProgramFolder.h"

#include "core/ProgramValues.h"
#include "core/files/Paths.h"
#include "core/update/UpdateParameters.h"
#include "ui/ImageBuilder.h"
#include "ui/documents/UParGen.h"
#include "ui/shell/Application.h"
#include "ui/shell/UTalventoFirmWare.h"
#include "ui/update/UBoot.h"
#include "ui/widgets/CollapsibleSection.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

using namespace sw;
using sw::test::readFile;
using sw::test::writeFile;

namespace {

template <typename T> T *child(QWidget *parent, const char *name)
{
    T *w = parent->findChild<T *>(QLatin1String(name));
    if (!w)
        qWarning("no control %s", name);
    return w;
}

// Clicks `button` of the main window and, once the modal dialog it opens is up, lets `act` work
// on that dialog. Fails when no dialog opened.
bool clickAndAnswer(QWidget *window, const char *button, const std::function<void(QWidget *)> &act)
{
    bool answered = false;
    QTimer::singleShot(0, [&] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            answered = true;
            act(modal);
        }
    });
    QTest::mouseClick(child<QPushButton>(window, button), Qt::LeftButton);
    return answered;
}

} // namespace

class tst_Workflow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void createEditBuildAndTranslate()
    {
        test::ProgramFolder program;
        ProgramValues &pv = program.pv;
        CompilingImageBuilder compiler;
        program.services.imageBuilder = &compiler;
        ConfiguratorApplication app(pv, program.services, program.dir.path());
        TFTalventoFirmWare *main = app.mainWindow();
        main->show();

        // Step 1: a new configuration.
        QVERIFY(clickAndAnswer(main, "Btn_New", [](QWidget *dialog) {
            child<QLineEdit>(dialog, "E_New_Proj")->setText(QStringLiteral("Plant 1"));
            QTest::mouseClick(child<QPushButton>(dialog, "Btn_OK"), Qt::LeftButton);
        }));
        QCOMPARE(pv.Conf_Name, QStringLiteral("Plant 1"));
        QCOMPARE(child<QLabel>(main, "L_Name_Conf_L2")->text(), QStringLiteral("Plant 1"));

        // Step 2: the communication parameters, saved with OK.
        QVERIFY(clickAndAnswer(main, "Btn_Prm_Gen", [](QWidget *dialog) {
            QVERIFY(qobject_cast<TFParGen *>(dialog));
            child<QLineEdit>(dialog, "E_IEC61850_Server_Port")->setText(QStringLiteral("2404"));
            QTest::mouseClick(child<QPushButton>(dialog, "Btn_OK"), Qt::LeftButton);
        }));
        QVERIFY(readFile(pv.File_ParGen).contains("<IEC61850_Server_Port>2404</IEC61850_Server_Port>"));

        // Step 5: the image carries the new port; the update dialog opens after it is written and,
        // with the device answering, writes the updater's parameters and starts the updater.
        program.echo.answers = { true, true };
        QVERIFY(clickAndAnswer(main, "Btn_CreateBin", [](QWidget *dialog) {
            QVERIFY(qobject_cast<TFBoot *>(dialog));
            QTest::mouseClick(child<QPushButton>(dialog, "Btn_Update"), Qt::LeftButton);
            QTest::mouseClick(child<QPushButton>(dialog, "Btn_Cancel"), Qt::LeftButton);
        }));
        QVERIFY2(program.messages.records.isEmpty(), qPrintable(program.messages.texts().join(u'\n')));
        const QString bin = joinPath(pv.Conf_Dir, QStringLiteral("bin"));
        QVERIFY(readFile(updateParametersPath(pv.Dir_Program))
                    .contains(joinPath(bin, QStringLiteral("bank2.bin")).toUtf8()));
        QCOMPARE(program.launcher.starts.size(), 1);
        const QByteArray bank2 = readFile(joinPath(bin, QStringLiteral("bank2.bin")));
        QVERIFY(bank2.size() >= 55);
        QCOMPARE(quint8(bank2[0]) | quint8(bank2[1]) << 8, 2404);

        // A language change reaches the main window and the hidden dialogs, the numbered section
        // captions included.
        QVERIFY(writeFile(joinPath(pv.Dir_Language, QStringLiteral("Italiano.lng")),
            "STR11 = Configurazione aperta : \nSTR401 = Parametri di comunicazione\nSTR406 = Server IEC61850 IT\n"));
        pv.Language_Name = QStringLiteral("Italiano");
        Load_Lang(pv);
        main->Change_Language();
        QCOMPARE(child<QLabel>(main, "L_Name_Conf")->text(), QStringLiteral("Configurazione aperta :"));
        QCOMPARE(child<QLabel>(main, "L_Name_Conf_L2")->text(), QStringLiteral("Plant 1"));
        auto *parGen = main->findChild<TFParGen *>();
        QCOMPARE(child<QLabel>(parGen, "L_SW_Desc")->text(), QStringLiteral("Parametri di comunicazione"));
        QCOMPARE(child<CollapsibleSection>(parGen, "CP_IEC61850_Server")->caption(),
            QStringLiteral("1. Server IEC61850 IT"));

        // Closing writes the remembered configuration.
        main->close();
        QVERIFY(readFile(pv.settingsFile()).contains("<projectname>Plant 1</projectname>"));
        QVERIFY(readFile(pv.settingsFile()).contains("<language>Italiano</language>"));
    }
};

QTEST_MAIN(tst_Workflow)
#include "tst_Workflow.moc"
