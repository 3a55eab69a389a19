#include "PlainTips.h"
#include "ProgramFolder.h"

#include "core/Error.h"
#include "core/ProgramValues.h"
#include "core/files/AtomicFile.h"
#include "core/text/Catalogue.h"
#include "ui/CatalogueDialog.h"
#include "ui/Vendor.h"
#include "ui/shell/Application.h"
#include "ui/shell/UAbout.h"
#include "ui/shell/UNew_Project.h"
#include "ui/shell/UOpenConf.h"
#include "ui/shell/UTalventoFirmWare.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <QtTest>
#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <thread>

using namespace sw;
using sw::test::ScriptedMessages;

Q_DECLARE_METATYPE(std::exception_ptr)

namespace {

// Counts its showings and language updates; answers exec() without a modal loop.
class FakeDialog final : public CatalogueDialog
{
public:
    FakeDialog(ProgramValues &values, Services &svc, QWidget *parent, QStringList *langLog, const QString &name)
        : CatalogueDialog(values, svc, parent)
        , m_langLog(langLog)
    {
        setObjectName(name);
    }
    int shows = 0;
    int result = QDialog::Rejected;
    std::function<void()> onShow;

    int exec() override
    {
        ++shows;
        if (onShow)
            onShow();
        return result;
    }
    void Set_Lang() override
    {
        if (m_langLog)
            m_langLog->append(objectName());
    }

private:
    QStringList *m_langLog;
};

// The program folder with the main window, whose step dialogs are fakes.
struct Program : test::ProgramFolder
{
    QStringList langLog;
    std::unique_ptr<TFTalventoFirmWare> window;
    FakeDialog *softOptions = nullptr;
    FakeDialog *boot = nullptr;
    FakeDialog *parGen = nullptr;
    FakeDialog *tlsKnownCert = nullptr;
    FakeDialog *iec61850Variables = nullptr;

    // Creates the window (running the start-up) and its dialogs; the step dialogs are fakes.
    TFTalventoFirmWare *start()
    {
        window = std::make_unique<TFTalventoFirmWare>(pv, services, dir.path());
        TFTalventoFirmWare::Dialogs d;
        d.newProject = new TFNew_Project(pv, services, window.get());
        d.openConf = new TFOpenConf(pv, services, window.get());
        d.about = new TFAbout(pv, services, window.get());
        const auto fake = [this](const char *name) {
            return new FakeDialog(pv, services, window.get(), &langLog, QLatin1String(name));
        };
        d.softOptions = softOptions = fake("options");
        d.boot = boot = fake("boot");
        d.parGen = parGen = fake("parGen");
        d.tlsKnownCert = tlsKnownCert = fake("tls");
        d.iec61850Variables = iec61850Variables = fake("iec");
        window->setDialogs(d);
        return window.get();
    }

    template <typename T = QWidget> T *control(const char *name) const
    {
        T *w = window->findChild<T *>(QLatin1String(name));
        if (!w)
            qWarning("no control %s", name);
        return w;
    }
    void click(const char *name) const { control<QAbstractButton>(name)->click(); }
    QTimer *timer() const { return control<QTimer>("Timer_Update"); }
    // The timer's handler, as a tick runs it. The check runs on another thread: until its answer
    // is applied on this one the timer stays stopped.
    void tick() const { QVERIFY(QMetaObject::invokeMethod(window.get(), "Timer_UpdateTimer")); }
    // A tick and the arrival of its answer, which starts the timer again.
    void tickAndAnswer()
    {
        const int before = checker.calls;
        checker.delay = std::chrono::milliseconds(50);
        tick();
        QVERIFY(!timer()->isActive());
        QTRY_VERIFY_WITH_TIMEOUT(timer()->isActive(), 5000);
        QCOMPARE(checker.calls.load(), before + 1);
        QVERIFY(checker.thread != std::this_thread::get_id());
    }
    QString text(const char *name) const { return control<QLabel>(name)->text(); }
};

QByteArray settings(const QByteArray &projectName, const QByteArray &internet = "0", const QByteArray &update = "0")
{
    return "<Conf_Settings><lastproj><projectname>" + projectName
        + "</projectname></lastproj>"
          "<lastinternet><enable_internet>"
        + internet + "</enable_internet><enable_update>" + update + "</enable_update></lastinternet></Conf_Settings>";
}

QString entry(int index)
{
    QStringList catalogue;
    Default_Messages(catalogue);
    return catalogue.at(index);
}

} // namespace

class tst_MainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstStartWithoutSettings();
    void layout_data();
    void layout();
    void everyControlReachableAndNamed();
    void rememberedConfiguration_data();
    void rememberedConfiguration();
    void stepButtons_data();
    void stepButtons();
    void failedBuildEndsInGeneralError_data();
    void failedBuildEndsInGeneralError();
    void headerButtonsNeedNoConfiguration();
    void enterPressesFocusedButton_data();
    void enterPressesFocusedButton();
    void keysPressTheirButtons_data();
    void keysPressTheirButtons();
    void timerAtStart_data();
    void timerAtStart();
    void optionsDialog_data();
    void optionsDialog();
    void timerTickShowsOrHidesNotice();
    void timerFiresAndReenablingKeepsInterval();
    void closingWritesSettings_data();
    void closingWritesSettings();
    void unwritableSettingsReportedOnceAndCloses();
    void unwritableWorkspaceSaidOnceAtStart();
    void vendorLinkOpensHomePage();
    void languageChangeRelabels();
    void qtTextsFollowTheLanguage_data();
    void qtTextsFollowTheLanguage();
    void desktopIdentity();
    void largerThanTheScreenKeepsItsTitleBarOnIt();
    void applicationCreatesEveryDialog();
    void dialogMadeOnFirstOpen_data();
    void dialogMadeOnFirstOpen();
    void dialogMadeLaterTakesCurrentLanguage();
};

void tst_MainWindow::firstStartWithoutSettings()
{
    Program p;
    TFTalventoFirmWare *w = p.start();

    for (const char *folder : { "MASTER", "PROJECTS", "LANGUAGE" })
        QVERIFY2(QFileInfo(p.path(QLatin1String(folder))).isDir(), folder);
    QCOMPARE(p.pv.Msg_Catalogue.size(), Msg_Catalogue_Size);
    QCOMPARE(w->windowTitle(), QStringLiteral("Quorvex - Configurator SW61942 - IEC61850 Server / Modbus Slave "));
    QCOMPARE(p.text("L_SW_Code"), QStringLiteral("SW61942"));
    QCOMPARE(p.text("L_SW_Desc"), QStringLiteral("IEC61850 Server / Modbus Slave - Converter"));
    QCOMPARE(p.text("L_Name_Conf"), QStringLiteral("None Configuration Opened "));
    QCOMPARE(p.text("L_Name_Conf_L2"), QStringLiteral("Use Step1 to open or create new configuration"));
    QVERIFY(p.pv.Conf_Name.isEmpty());
    QVERIFY(p.pv.Conf_Dir.isEmpty());
    QCOMPARE(p.pv.Last_IP_Address, QStringLiteral("192.168.2.205"));
    QCOMPARE(p.pv.Language_Name, QStringLiteral("English"));
    QVERIFY(!p.pv.Opt_Enable_Internet && !p.pv.Opt_Enable_Update);
    QVERIFY(!p.pv.Opt_Jump_Field_Tables && !p.pv.Opt_Double_Click_Auto_Size);
    QVERIFY(!p.timer()->isActive());
    QCOMPARE(p.timer()->interval(), 60000);
    QVERIFY(p.control<QLabel>("LL_Update")->isHidden());
    QVERIFY(p.pv.Row_Copy_List.isEmpty());
    QVERIFY(!QFile::exists(p.path(QStringLiteral("Talvento.xml")))); // nothing written before the close

    w->show();
    QVERIFY(w->close());
    QCOMPARE(p.read(QStringLiteral("Talvento.xml")),
        QByteArray("<Conf_Settings><lastproj><projectname/></lastproj>"
                   "<lastipadd><ipaddress>192.168.2.205</ipaddress></lastipadd>"
                   "<lastlang><language>English</language></lastlang>"
                   "<lastinternet><enable_internet>0</enable_internet><enable_update>0</enable_update>"
                   "<enable_jump_field_tables>0</enable_jump_field_tables>"
                   "<Double_Click_Auto_Size>0</Double_Click_Auto_Size></lastinternet></Conf_Settings>"));
    QVERIFY(p.messages.records.isEmpty());
}

void tst_MainWindow::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QPoint>("topLeft");
    QTest::addColumn<QSize>("size"); // empty when the layout leaves it open

    const QSize open;
    const QSize step(170, 36);
    const QSize picture(50, 50);
    QTest::newRow("L_SW_Code") << "L_SW_Code" << QPoint(16, 8) << open;
    QTest::newRow("L_SW_Desc") << "L_SW_Desc" << QPoint(16, 42) << open;
    QTest::newRow("Shape2") << "Shape2" << QPoint(80, 70) << QSize(348, 36);
    QTest::newRow("L_Name_Conf") << "L_Name_Conf" << QPoint(87, 75) << open;
    QTest::newRow("L_Begin") << "L_Begin" << QPoint(16, 84) << open;
    QTest::newRow("L_Name_Conf_L2") << "L_Name_Conf_L2" << QPoint(87, 88) << open;
    QTest::newRow("Btn_Info") << "Btn_Info" << QPoint(516, 8) << picture;
    QTest::newRow("Btn_Opz") << "Btn_Opz" << QPoint(574, 8) << picture;
    QTest::newRow("Btn_Close") << "Btn_Close" << QPoint(632, 8) << picture;
    for (int k = 1; k <= 5; ++k) {
        const QString name = QStringLiteral("L_Step_%1").arg(k);
        QTest::newRow(qPrintable(name)) << name << QPoint(16, 128 + 44 * (k - 1)) << open;
    }
    QTest::newRow("Btn_New") << "Btn_New" << QPoint(80, 112) << step;
    QTest::newRow("Btn_Open") << "Btn_Open" << QPoint(258, 112) << step;
    QTest::newRow("Btn_Prm_Gen") << "Btn_Prm_Gen" << QPoint(80, 156) << step;
    QTest::newRow("Btn_IEC61850_Access") << "Btn_IEC61850_Access" << QPoint(80, 200) << step;
    QTest::newRow("Btn_TLS_List_Certificates") << "Btn_TLS_List_Certificates" << QPoint(80, 244) << step;
    QTest::newRow("Btn_CreateBin") << "Btn_CreateBin" << QPoint(80, 288) << step;
    QTest::newRow("L_Quorvex") << "L_Quorvex" << QPoint(565, 304) << open;
    QTest::newRow("Shape1") << "Shape1" << QPoint(10, 339) << QSize(674, 1);
}

void tst_MainWindow::layout()
{
    QFETCH(QString, name);
    QFETCH(QPoint, topLeft);
    QFETCH(QSize, size);

    Program p;
    TFTalventoFirmWare *w = p.start();
    QCOMPARE(w->size(), QSize(694, 440));
    QCOMPARE(w->minimumSize(), w->maximumSize()); // not resizable
    QWidget *control = p.control(qPrintable(name));
    QVERIFY(control);
    QCOMPARE(control->pos(), topLeft);
    if (size.isValid())
        QCOMPARE(control->size(), size);
    QVERIFY(w->rect().contains(control->geometry()));
}

void tst_MainWindow::everyControlReachableAndNamed()
{
    Program p;
    TFTalventoFirmWare *w = p.start();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));

    // Walk the keyboard focus chain once round.
    QSet<QString> reached;
    QWidget *next = w->nextInFocusChain();
    for (int i = 0; i < 100 && next != w; ++i, next = next->nextInFocusChain()) {
        if (next->isVisibleTo(w) && (next->focusPolicy() & Qt::TabFocus))
            reached.insert(next->objectName());
    }
    for (const char *name : { "Btn_New", "Btn_Open", "Btn_Prm_Gen", "Btn_IEC61850_Access", "Btn_TLS_List_Certificates",
             "Btn_CreateBin", "Btn_Info", "Btn_Opz", "Btn_Close", "L_Quorvex" })
        QVERIFY2(reached.contains(QLatin1String(name)), name);

    for (QAbstractButton *b : w->findChildren<QAbstractButton *>(QString(), Qt::FindDirectChildrenOnly)) {
        QVERIFY2(!b->text().isEmpty() || !b->accessibleName().isEmpty(), qPrintable(b->objectName()));
        QVERIFY2(!b->toolTip().isEmpty(), qPrintable(b->objectName()));
    }
    QCOMPARE(p.control("Btn_Close")->accessibleName(), QStringLiteral("Close Configurator"));
}

void tst_MainWindow::rememberedConfiguration_data()
{
    QTest::addColumn<QString>("remembered");
    QTest::addColumn<QString>("existingFolder"); // relative to the program folder
    QTest::addColumn<bool>("active");

    QTest::newRow("folder exists") << "Plant 1"
                                   << "PROJECTS/Plant 1" << true;
    QTest::newRow("folder deleted") << "Plant 1"
                                    << "" << false;
    QTest::newRow("name reaching outside PROJECTS") << "../Outside"
                                                    << "Outside" << false;
    QTest::newRow("nested name") << "a/b"
                                 << "PROJECTS/a/b" << false;
    QTest::newRow("markup in the name") << "<b>Bold<b>"
                                        << "PROJECTS/<b>Bold<b>" << true;
#ifdef Q_OS_WIN
    QTest::newRow("backslash") << "a\\b"
                               << "PROJECTS/a/b" << false;
#else
    // An ordinary character in a folder name here.
    QTest::newRow("backslash") << "a\\b"
                               << "PROJECTS/a\\b" << true;
#endif
}

void tst_MainWindow::rememberedConfiguration()
{
    QFETCH(QString, remembered);
    QFETCH(QString, existingFolder);
    QFETCH(bool, active);

    Program p;
    QVERIFY(p.write(QStringLiteral("Talvento.xml"), settings(remembered.toHtmlEscaped().toUtf8())));
    if (!existingFolder.isEmpty())
        QVERIFY(QDir().mkpath(p.path(existingFolder)));
    TFTalventoFirmWare *w = p.start();

    QCOMPARE(p.pv.Conf_Name, remembered);
    if (active) {
        const QString folder = QDir::toNativeSeparators(p.path(existingFolder));
        QCOMPARE(p.pv.Conf_Dir, folder);
        QCOMPARE(p.pv.File_ParGen, folder + QDir::separator() + QStringLiteral("ParGen.xml"));
        QCOMPARE(p.pv.File_TLS_Known_Cert, folder + QDir::separator() + QStringLiteral("TLS_Known_Cert.xml"));
        QCOMPARE(p.pv.File_IEC61850_Variables, folder + QDir::separator() + QStringLiteral("IEC61850_Variables.xml"));
        QCOMPARE(p.text("L_Name_Conf"), entry(11));
        QCOMPARE(p.text("L_Name_Conf_L2"), remembered);
        QCOMPARE(p.control<QLabel>("L_Name_Conf_L2")->textFormat(), Qt::PlainText);
    } else {
        QVERIFY(p.pv.Conf_Dir.isEmpty());
        QCOMPARE(p.text("L_Name_Conf"), entry(9));
        QCOMPARE(p.text("L_Name_Conf_L2"), entry(10));
        p.click("Btn_Prm_Gen");
        QCOMPARE(p.messages.texts(), QStringList { QStringLiteral("Error! Project not Valid") });
        QCOMPARE(p.parGen->shows, 0);
    }

    // The remembered name goes back unchanged, active or not.
    w->close();
    ProgramValues reread;
    readSettingsBytes(reread, p.read(QStringLiteral("Talvento.xml")));
    QCOMPARE(reread.Conf_Name, remembered);
}

void tst_MainWindow::stepButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("opens"); // the fake dialog's name
    QTest::addColumn<bool>("active");

    const struct
    {
        const char *button;
        const char *opens;
    } steps[] = { { "Btn_Prm_Gen", "parGen" }, { "Btn_IEC61850_Access", "iec" }, { "Btn_TLS_List_Certificates", "tls" },
        { "Btn_CreateBin", "boot" } };
    for (const auto &s : steps) {
        QTest::addRow("%s without configuration", s.button) << s.button << s.opens << false;
        QTest::addRow("%s with configuration", s.button) << s.button << s.opens << true;
    }
}

void tst_MainWindow::stepButtons()
{
    QFETCH(QString, button);
    QFETCH(QString, opens);
    QFETCH(bool, active);

    Program p;
    if (active) {
        QVERIFY(p.write(QStringLiteral("Talvento.xml"), settings("Plant")));
        QVERIFY(p.createConfiguration(QStringLiteral("Plant")));
    }
    p.start();
    p.click(qPrintable(button));

    for (const FakeDialog *fake : { p.parGen, p.iec61850Variables, p.tlsKnownCert, p.boot })
        QCOMPARE(fake->shows, active && fake->objectName() == opens ? 1 : 0);
    // The update step builds the image of the active configuration before its dialog opens.
    const bool builds = active && opens == QStringLiteral("boot");
    QCOMPARE(p.imageBuilder.calls.size(), builds ? 1 : 0);
    if (builds) {
        const test::FakeImageBuilder::Call &call = p.imageBuilder.calls.first();
        QCOMPARE(call.folder, QDir::toNativeSeparators(p.path(QStringLiteral("PROJECTS/Plant/bin"))));
        QCOMPARE(call.documents.parGen, p.pv.File_ParGen);
        QCOMPARE(call.documents.variables, p.pv.File_IEC61850_Variables);
        QCOMPARE(call.documents.knownCerts, p.pv.File_TLS_Known_Cert);
    }
    if (active) {
        QVERIFY(p.messages.records.isEmpty());
    } else {
        QCOMPARE(p.messages.records.size(), 1);
        QCOMPARE(p.messages.records.first().kind, ScriptedMessages::Kind::Error);
        QCOMPARE(p.messages.last(), QStringLiteral("Error! Project not Valid"));
        QCOMPARE(p.text("L_Name_Conf"), entry(9));
    }
}

void tst_MainWindow::failedBuildEndsInGeneralError_data()
{
    QTest::addColumn<std::exception_ptr>("failure");
    QTest::addColumn<QString>("text");

    const QString message = QStringLiteral("Cannot write \"Stra\u00dfe \u20ac/bin/bank2.bin\"");
    QTest::newRow("document or file error") << std::make_exception_ptr(Error(message)) << message;
    QTest::newRow("other failure, UTF-8 text")
        << std::make_exception_ptr(std::runtime_error("caf\xC3\xA9 \xE2\x82\xAC"))
        << QStringLiteral("caf\u00e9 \u20ac");
}

void tst_MainWindow::failedBuildEndsInGeneralError()
{
    QFETCH(std::exception_ptr, failure);
    QFETCH(QString, text);

    Program p;
    QVERIFY(p.write(QStringLiteral("Talvento.xml"), settings("Plant")));
    QVERIFY(p.createConfiguration(QStringLiteral("Plant")));
    p.start();
    p.imageBuilder.failure = failure;
    p.click("Btn_CreateBin");

    QCOMPARE(p.imageBuilder.calls.size(), 1);
    QCOMPARE(p.boot->shows, 0);
    QCOMPARE(p.messages.records.size(), 1);
    QCOMPARE(p.messages.records.first().kind, ScriptedMessages::Kind::GeneralError);
    QCOMPARE(p.messages.last(), text);
}

void tst_MainWindow::headerButtonsNeedNoConfiguration()
{
    Program p;
    p.start();

    p.click("Btn_Opz");
    QCOMPARE(p.softOptions->shows, 1);

    bool aboutShown = false;
    QTimer::singleShot(0, [&] {
        auto *about = qobject_cast<TFAbout *>(QApplication::activeModalWidget());
        aboutShown = about != nullptr;
        if (about)
            about->reject();
    });
    p.click("Btn_Info");
    QVERIFY(aboutShown);
    QVERIFY(p.messages.records.isEmpty());
}

void tst_MainWindow::enterPressesFocusedButton_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("effect"); // the dialog shown or "closed"

    QTest::newRow("new") << "Btn_New"
                         << "TFNew_Project";
    QTest::newRow("open") << "Btn_Open"
                          << "TFOpenConf";
    QTest::newRow("parameters") << "Btn_Prm_Gen"
                                << "parGen";
    QTest::newRow("variables") << "Btn_IEC61850_Access"
                               << "iec";
    QTest::newRow("certificates") << "Btn_TLS_List_Certificates"
                                  << "tls";
    QTest::newRow("update") << "Btn_CreateBin"
                            << "boot";
    QTest::newRow("about") << "Btn_Info"
                           << "TFAbout";
    QTest::newRow("options") << "Btn_Opz"
                             << "options";
    QTest::newRow("close") << "Btn_Close"
                           << "closed";
}

void tst_MainWindow::enterPressesFocusedButton()
{
    QFETCH(QString, button);
    QFETCH(QString, effect);

    Program p;
    QVERIFY(p.write(QStringLiteral("Talvento.xml"), settings("Plant")));
    QVERIFY(p.createConfiguration(QStringLiteral("Plant")));
    TFTalventoFirmWare *w = p.start();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));

    // A modal dialog that opens is noted and closed again.
    QString modal;
    QTimer closer;
    closer.setSingleShot(true);
    connect(&closer, &QTimer::timeout, this, [&modal] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            modal = dialog->objectName();
            dialog->reject();
        }
    });
    closer.start(0);

    QWidget *target = p.control(qPrintable(button));
    target->setFocus(Qt::TabFocusReason);
    QTest::keyClick(target, Qt::Key_Return);

    QStringList happened;
    if (!modal.isEmpty())
        happened << modal;
    for (const FakeDialog *fake : { p.softOptions, p.boot, p.parGen, p.tlsKnownCert, p.iec61850Variables }) {
        if (fake->shows > 0)
            happened << fake->objectName();
    }
    if (!w->isVisible())
        happened << QStringLiteral("closed");
    QCOMPARE(happened, QStringList { effect });
    QCOMPARE(p.imageBuilder.calls.size(), effect == QStringLiteral("boot") ? 1 : 0);
    QVERIFY(p.messages.records.isEmpty());
}

void tst_MainWindow::keysPressTheirButtons_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("button"); // whose tooltip names the keys
    QTest::addColumn<QString>("effect"); // the dialog shown or "closed"

    QTest::newRow("Ctrl+N") << "Ctrl+N"
                            << "Btn_New"
                            << "TFNew_Project";
    QTest::newRow("Ctrl+O") << "Ctrl+O"
                            << "Btn_Open"
                            << "TFOpenConf";
    QTest::newRow("Ctrl+Q") << "Ctrl+Q"
                            << "Btn_Close"
                            << "closed";
}

void tst_MainWindow::keysPressTheirButtons()
{
    QFETCH(QString, keys);
    QFETCH(QString, button);
    QFETCH(QString, effect);

    Program p;
    QVERIFY(p.write(QStringLiteral("Talvento.xml"), settings("Plant")));
    QVERIFY(p.createConfiguration(QStringLiteral("Plant")));
    TFTalventoFirmWare *w = p.start();
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    const QString native = QKeySequence(keys).toString(QKeySequence::NativeText);
    QVERIFY2(test::shownTip(p.control(qPrintable(button))->toolTip()).endsWith(QStringLiteral(" (%1)").arg(native)),
        qPrintable(p.control(qPrintable(button))->toolTip()));

    QString modal;
    QTimer::singleShot(0, this, [&modal] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            modal = dialog->objectName();
            dialog->reject();
        }
    });
    // Pressed wherever the keyboard is in the window.
    p.control("Btn_CreateBin")->setFocus();
    p.pv.Last_IP_Address = QStringLiteral("10.0.0.9");
    QTest::keySequence(QApplication::focusWidget(), QKeySequence(keys));

    if (effect == u"closed") {
        QVERIFY(!w->isVisible());
        QVERIFY(modal.isEmpty());
        // Closed the way the close box closes: the settings are written.
        ProgramValues reread;
        readSettingsBytes(reread, p.read(QStringLiteral("Talvento.xml")));
        QCOMPARE(reread.Last_IP_Address, QStringLiteral("10.0.0.9"));
    } else {
        QCOMPARE(modal, effect);
        QVERIFY(w->isVisible());
    }
    QVERIFY(p.messages.records.isEmpty());
}

void tst_MainWindow::timerAtStart_data()
{
    QTest::addColumn<QByteArray>("internet");
    QTest::addColumn<QByteArray>("update");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("both set") << QByteArray("1") << QByteArray("1") << true;
    QTest::newRow("update check off") << QByteArray("1") << QByteArray("0") << false;
    QTest::newRow("internet off") << QByteArray("0") << QByteArray("1") << false;
    QTest::newRow("flag written as true") << QByteArray("true") << QByteArray("1") << false;
}

void tst_MainWindow::timerAtStart()
{
    QFETCH(QByteArray, internet);
    QFETCH(QByteArray, update);
    QFETCH(bool, enabled);

    Program p;
    QVERIFY(p.write(QStringLiteral("Talvento.xml"), settings("", internet, update)));
    p.start();
    QCOMPARE(p.timer()->isActive(), enabled);
    QCOMPARE(p.timer()->interval(), 60000);
    QCOMPARE(p.checker.calls.load(), 0); // the first check comes only after the interval
}

void tst_MainWindow::optionsDialog_data()
{
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<bool>("internet");
    QTest::addColumn<bool>("update");
    QTest::addColumn<bool>("timerWasOn");
    QTest::addColumn<bool>("timerOn");
    QTest::addColumn<bool>("writable"); // whether the settings file can be written

    QTest::newRow("OK enables both") << true << true << true << false << true << true;
    QTest::newRow("OK without update check") << true << true << false << true << false << true;
    QTest::newRow("OK without internet") << true << false << true << true << false << true;
    QTest::newRow("Cancel leaves timer on") << false << false << false << true << true << true;
    QTest::newRow("Cancel leaves timer off") << false << true << true << false << false << true;
    // The write error is shown, and the timer still follows the choice.
    QTest::newRow("OK without internet, unwritable") << true << false << true << true << false << false;
    QTest::newRow("OK enables both, unwritable") << true << true << true << false << true << false;
}

void tst_MainWindow::optionsDialog()
{
    QFETCH(bool, accepted);
    QFETCH(bool, internet);
    QFETCH(bool, update);
    QFETCH(bool, timerWasOn);
    QFETCH(bool, timerOn);
    QFETCH(bool, writable);

    Program p;
    QVERIFY(p.write(QStringLiteral("Talvento.xml"), settings("", timerWasOn ? "1" : "0", timerWasOn ? "1" : "0")));
    const QByteArray before = p.read(QStringLiteral("Talvento.xml"));
    p.start();
    p.softOptions->result = accepted ? QDialog::Accepted : QDialog::Rejected;
    p.softOptions->onShow = [&] {
        p.pv.Opt_Enable_Internet = internet;
        p.pv.Opt_Enable_Update = update;
    };
    const auto noFault = qScopeGuard([] { files::setSaveFault({}); });
    if (!writable)
        files::setSaveFault(
            [](files::SaveStep, const QString &) { return std::optional(QStringLiteral("disk full")); });
    p.click("Btn_Opz");

    QCOMPARE(p.timer()->isActive(), timerOn);
    const QByteArray after = p.read(QStringLiteral("Talvento.xml"));
    if (accepted && writable)
        QCOMPARE(after, settingsDocument(p.pv));
    else
        QCOMPARE(after, before);
    if (writable) {
        QVERIFY(p.messages.records.isEmpty());
    } else {
        QCOMPARE(p.messages.records.size(), 1);
        QCOMPARE(p.messages.records[0].kind, ScriptedMessages::Kind::GeneralError);
        QVERIFY2(p.messages.last().contains(QStringLiteral("Talvento.xml")), qPrintable(p.messages.last()));
    }
}

void tst_MainWindow::timerTickShowsOrHidesNotice()
{
    Program p;
    QVERIFY(p.write(QStringLiteral("Talvento.xml"), settings("", "1", "1")));
    p.start();
    auto *notice = p.control<QLabel>("LL_Update");

    p.checker.newer = true;
    p.tickAndAnswer();
    QVERIFY(!notice->isHidden());
    QVERIFY(p.timer()->isActive());
    QCOMPARE(p.timer()->interval(), 7200000);

    const QRegularExpression anchor(QStringLiteral("^<a href=\"([^\"]*)\">(.*)</a>$"));
    const QRegularExpressionMatch m = anchor.match(notice->text());
    QVERIFY2(m.hasMatch(), qPrintable(notice->text()));
    QCOMPARE(m.captured(1), QStringLiteral("https://www.quorvex.com/Home/download/download.asp#HD61942"));
    QCOMPARE(m.captured(2), QStringLiteral("New Version Available. Click Here for more Details"));
    Q_EMIT notice->linkActivated(m.captured(1));
    QCOMPARE(p.shell.opened, QStringList { Vendor::downloadPageUrl() });

    // A later check without a newer version (or a failed one) hides the notice; the timer goes on.
    p.checker.newer = false;
    p.tickAndAnswer();
    QVERIFY(notice->isHidden());
    QVERIFY(p.timer()->isActive());
    QCOMPARE(p.timer()->interval(), 7200000);

    // Checking turned off while a check runs: its answer is applied, the timer stays stopped.
    p.checker.newer = true;
    p.tick();
    p.pv.Opt_Enable_Update = false;
    QTRY_VERIFY_WITH_TIMEOUT(!notice->isHidden(), 5000);
    QVERIFY(!p.timer()->isActive());
}

void tst_MainWindow::timerFiresAndReenablingKeepsInterval()
{
    Program p;
    QVERIFY(p.write(QStringLiteral("Talvento.xml"), settings("", "1", "1")));
    p.start();
    p.softOptions->result = QDialog::Accepted;

    // Options OK while the timer runs does not restart its interval.
    QTest::qWait(150);
    p.click("Btn_Opz");
    QVERIFY(p.timer()->isActive());
    QVERIFY2(p.timer()->remainingTime() <= 60000 - 100, qPrintable(QString::number(p.timer()->remainingTime())));

    // The real timer runs the check when it fires.
    p.timer()->setInterval(5);
    QTRY_COMPARE(p.checker.calls.load(), 1);
    QTRY_COMPARE(p.timer()->interval(), 7200000);
    QVERIFY(p.timer()->isActive());

    // Disabled by options, then enabled again: a full interval of two hours.
    p.softOptions->onShow = [&] { p.pv.Opt_Enable_Update = false; };
    p.click("Btn_Opz");
    QVERIFY(!p.timer()->isActive());
    p.softOptions->onShow = [&] { p.pv.Opt_Enable_Update = true; };
    p.click("Btn_Opz");
    QVERIFY(p.timer()->isActive());
    QVERIFY(p.timer()->remainingTime() > 7200000 - 1000);
}

void tst_MainWindow::closingWritesSettings_data()
{
    QTest::addColumn<bool>("closeButton");
    QTest::newRow("Close button") << true;
    QTest::newRow("title-bar close box") << false;
}

void tst_MainWindow::closingWritesSettings()
{
    QFETCH(bool, closeButton);

    Program p;
    QVERIFY(p.write(QStringLiteral("Talvento.xml"), "<Conf_Settings><unknown/></Conf_Settings>"));
    TFTalventoFirmWare *w = p.start();
    w->show();
    p.pv.Last_IP_Address = QStringLiteral("10.0.0.7");
    p.pv.Conf_Name = QStringLiteral("A & B");
    if (closeButton)
        p.click("Btn_Close");
    else
        QVERIFY(w->windowHandle()->close()); // the way the title-bar close box reaches the window

    QVERIFY(!w->isVisible());
    ProgramValues reread;
    readSettingsBytes(reread, p.read(QStringLiteral("Talvento.xml")));
    QCOMPARE(reread.Last_IP_Address, QStringLiteral("10.0.0.7"));
    QCOMPARE(reread.Conf_Name, QStringLiteral("A & B"));
    QVERIFY(!p.read(QStringLiteral("Talvento.xml")).contains("unknown"));
}

void tst_MainWindow::unwritableSettingsReportedOnceAndCloses()
{
    Program p;
    TFTalventoFirmWare *w = p.start();
    w->show();
    // A folder in the way of the settings file: it cannot be replaced.
    QVERIFY(QDir().mkpath(p.path(QStringLiteral("Talvento.xml"))));
    p.click("Btn_Close");

    QVERIFY(!w->isVisible());
    QCOMPARE(p.messages.records.size(), 1);
    QCOMPARE(p.messages.records.first().kind, ScriptedMessages::Kind::GeneralError);
    QVERIFY2(p.messages.last().contains(QStringLiteral("Talvento.xml")), qPrintable(p.messages.last()));
}

void tst_MainWindow::unwritableWorkspaceSaidOnceAtStart()
{
    Program p;
    // Below a regular file nothing can be created, whoever runs the test.
    QVERIFY(p.write(QStringLiteral("taken"), "x"));
    const QString folder = p.path(QStringLiteral("taken/SW61942"));
    TFTalventoFirmWare w(p.pv, p.services, folder);
    w.show();
    QTRY_COMPARE(p.messages.records.size(), 1);
    QCOMPARE(p.messages.records.first().kind, ScriptedMessages::Kind::Warning);
    QVERIFY2(p.messages.last().contains(QDir::toNativeSeparators(folder)), qPrintable(p.messages.last()));

    // Neither showing the window again nor closing it says more.
    w.hide();
    w.show();
    QTest::qWait(20);
    QVERIFY(w.close());
    QCOMPARE(p.messages.records.size(), 1);
}

void tst_MainWindow::vendorLinkOpensHomePage()
{
    Program p;
    p.start();
    auto *link = p.control<QLabel>("L_Quorvex");
    QVERIFY(link->text().contains(QLatin1String(Vendor::WebAddressText)));
    QVERIFY(link->textInteractionFlags() & Qt::LinksAccessibleByKeyboard);
    Q_EMIT link->linkActivated(QString());
    QCOMPARE(p.shell.opened, QStringList { QStringLiteral("https://www.quorvex.com/HOME/default.asp?frompg=SW61942") });
}

void tst_MainWindow::languageChangeRelabels()
{
    Program p;
    QVERIFY(p.write(QStringLiteral("Talvento.xml"), settings("Plant")));
    QVERIFY(p.createConfiguration(QStringLiteral("Plant")));
    QVERIFY(p.write(QStringLiteral("LANGUAGE/Italiano.lng"),
        "\xEF\xBB\xBFSTR0 = Inizio\r\n"
        "STR11 = \xC2\xB6"
        "Configurazione aperta : \xC2\xB6\r\n"
        "STR15 = Nuova\r\n"
        "STR100 = Nuova configurazione\r\n"
        "STR200 = Apri configurazione\r\n"));
    TFTalventoFirmWare *w = p.start();
    const QString aboutTitle = w->dialogs().about->windowTitle();
    p.langLog.clear();

    p.pv.Language_Name = QStringLiteral("Italiano");
    Load_Lang(p.pv);
    w->Change_Language();

    QCOMPARE(p.text("L_Name_Conf"), QStringLiteral("Configurazione aperta : "));
    QCOMPARE(p.text("L_Name_Conf_L2"), QStringLiteral("Plant"));
    QCOMPARE(p.text("L_Begin"), QStringLiteral("Inizio"));
    QCOMPARE(p.control<QAbstractButton>("Btn_New")->text(), QStringLiteral("Nuova"));
    QCOMPARE(w->windowTitle(), p.pv.SW_Title); // the caption is not translated
    QCOMPARE(w->dialogs().newProject->windowTitle(), QStringLiteral("Nuova configurazione"));
    QCOMPARE(w->dialogs().openConf->windowTitle(), QStringLiteral("Apri configurazione"));
    QCOMPARE(w->dialogs().about->windowTitle(), aboutTitle);
    QCOMPARE(p.langLog, (QStringList { "options", "boot", "parGen", "tls", "iec" }));
}

// Qt's standard buttons and dialogs speak the language in use from start-up on, and follow a change
// of language, back to English too.
void tst_MainWindow::qtTextsFollowTheLanguage_data()
{
    QTest::addColumn<QString>("atStart");
    QTest::addColumn<QString>("changedTo");
    QTest::addColumn<QString>("yesAtStart");
    QTest::addColumn<QString>("yesAfterChange");

    QTest::newRow("German at start, then English") << "Deutsch"
                                                   << "English"
                                                   << "&Ja"
                                                   << "&Yes";
    QTest::newRow("English, then French") << "English"
                                          << "Francais"
                                          << "&Yes"
                                          << "&Oui";
    QTest::newRow("Spanish, then German") << "Espanol"
                                          << "Deutsch" << QStringLiteral("&Sí") << "&Ja";
    QTest::newRow("unknown language stays English") << "Italiano"
                                                    << "Klingon" << QStringLiteral("&Sì") << "&Yes";
}

void tst_MainWindow::qtTextsFollowTheLanguage()
{
    QFETCH(QString, atStart);
    QFETCH(QString, changedTo);
    QFETCH(QString, yesAtStart);
    QFETCH(QString, yesAfterChange);
    if (!QFileInfo::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_de.qm")))
        QSKIP("Qt's translations are not installed (Debian package qt6-translations-l10n)");
    const auto yes = [] {
        QMessageBox box;
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        return box.button(QMessageBox::Yes)->text();
    };

    Program p;
    for (const QString &name : { atStart, changedTo })
        QVERIFY(p.write(QStringLiteral("LANGUAGE/") + name + QStringLiteral(".lng"), "STR0 = x\n"));
    QVERIFY(p.write(QStringLiteral("Talvento.xml"),
        "<Conf_Settings><lastlang><language>" + atStart.toUtf8() + "</language></lastlang></Conf_Settings>"));
    TFTalventoFirmWare *w = p.start();
    QCOMPARE(p.pv.Language_Name, atStart);
    QCOMPARE(yes(), yesAtStart);

    p.pv.Language_Name = changedTo;
    Load_Lang(p.pv);
    w->Change_Language();
    QCOMPARE(yes(), yesAfterChange);
}

// The desktop entry, the window's WM_CLASS and its icon belong together: a dock shows the entry's
// name and icon only for windows that it can tie to the entry.
void tst_MainWindow::desktopIdentity()
{
    setUpApplication();
    QCOMPARE(QGuiApplication::desktopFileName(), QLatin1String(DesktopEntryName));
    QFile entry(
        QStringLiteral(SW_SOURCE_DIR "/packaging/") + QLatin1String(DesktopEntryName) + QStringLiteral(".desktop"));
    QVERIFY(entry.open(QIODevice::ReadOnly));
    // Qt's X11 windows carry the application name as the class part of WM_CLASS.
    const QByteArrayList lines = entry.readAll().split('\n');
    QVERIFY(lines.contains("StartupWMClass=" + QCoreApplication::applicationName().toUtf8()));

    Program p;
    TFTalventoFirmWare *w = p.start();
    QVERIFY(!w->windowIcon().isNull());
    QVERIFY(!w->dialogs().about->windowIcon().isNull());
}

void tst_MainWindow::applicationCreatesEveryDialog()
{
    Program p;
    ConfiguratorApplication app(p.pv, p.services, p.dir.path());
    TFTalventoFirmWare *w = app.mainWindow();
    QVERIFY(w);
    const TFTalventoFirmWare::Dialogs &d = w->dialogs();
    QVERIFY(d.newProject && d.openConf && d.about);
    // Created after the catalogue was filled: their texts are already in place.
    QCOMPARE(d.newProject->windowTitle(), QStringLiteral("Create New Configuration"));
    QCOMPARE(d.openConf->windowTitle(), QStringLiteral("Open Configuration"));
    QCOMPARE(d.newProject->findChild<QLabel *>(QStringLiteral("L_SW_Code"))->text(), QStringLiteral("SW61942"));
    QVERIFY(!d.newProject->isVisible() && !d.openConf->isVisible() && !d.about->isVisible());
}

void tst_MainWindow::dialogMadeOnFirstOpen_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("dialog"); // its class

    QTest::newRow("new") << "Btn_New"
                         << "TFNew_Project";
    QTest::newRow("open") << "Btn_Open"
                          << "TFOpenConf";
    QTest::newRow("about") << "Btn_Info"
                           << "TFAbout";
    QTest::newRow("options") << "Btn_Opz"
                             << "TFSoftOptions";
    QTest::newRow("parameters") << "Btn_Prm_Gen"
                                << "TFParGen";
    QTest::newRow("tls") << "Btn_TLS_List_Certificates"
                         << "TFTLS_Server_Known_Cert";
    QTest::newRow("iec61850") << "Btn_IEC61850_Access"
                              << "TFIEC61850_Variables";
}

// The window shows before any dialog is made; the first press makes the dialog, every later press
// shows that same one.
void tst_MainWindow::dialogMadeOnFirstOpen()
{
    QFETCH(QString, button);
    QFETCH(QString, dialog);
    Program p;
    QVERIFY(p.write(QStringLiteral("Talvento.xml"), settings("Plant")));
    QVERIFY(p.createConfiguration(QStringLiteral("Plant")));
    ConfiguratorApplication app(p.pv, p.services, p.dir.path());
    TFTalventoFirmWare *w = app.mainWindow();
    QVERIFY(w->findChildren<QDialog *>().isEmpty());

    QList<QWidget *> shown;
    for (int press = 0; press < 2; ++press) {
        QTimer::singleShot(0, [&] {
            auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            shown.append(modal);
            if (modal)
                modal->reject();
        });
        w->findChild<QAbstractButton *>(button)->click();
    }
    QCOMPARE(shown.size(), 2);
    QVERIFY(shown[0]);
    QCOMPARE(QString::fromLatin1(shown[0]->metaObject()->className()), QStringLiteral("sw::") + dialog);
    QCOMPARE(shown[1], shown[0]);
    QCOMPARE(w->findChildren<QDialog *>(), QList<QDialog *> { qobject_cast<QDialog *>(shown[0]) });
}

// A dialog made after a language change shows the new language; one made before follows later
// changes, including the change the options dialog announces.
void tst_MainWindow::dialogMadeLaterTakesCurrentLanguage()
{
    Program p;
    QVERIFY(p.write(QStringLiteral("LANGUAGE/Italiano.lng"),
        "\xEF\xBB\xBFSTR0 = Inizio\r\nSTR100 = Nuova configurazione\r\nSTR200 = Apri configurazione\r\n"));
    ConfiguratorApplication app(p.pv, p.services, p.dir.path());
    TFTalventoFirmWare *w = app.mainWindow();
    using Dialog = TFTalventoFirmWare::Dialog;
    QDialog *open = w->dialog(Dialog::OpenConf);

    p.pv.Language_Name = QStringLiteral("Italiano");
    Load_Lang(p.pv);
    w->Change_Language();
    QCOMPARE(w->dialog(Dialog::NewProject)->windowTitle(), QStringLiteral("Nuova configurazione"));
    QCOMPARE(open->windowTitle(), QStringLiteral("Apri configurazione"));

    p.pv.Language_Name = QStringLiteral("English");
    Load_Lang(p.pv);
    QVERIFY(QMetaObject::invokeMethod(w->dialog(Dialog::SoftOptions), "languageChanged"));
    QCOMPARE(w->findChild<QLabel *>(QStringLiteral("L_Begin"))->text(), entry(0));
    QCOMPARE(w->dialog(Dialog::NewProject)->windowTitle(), QStringLiteral("Create New Configuration"));
    QCOMPARE(open->windowTitle(), QStringLiteral("Open Configuration"));
}

// A window too large for the screen (a large scale on a small screen) overhangs at the right and
// bottom: its title bar and its close box stay on the screen.
void tst_MainWindow::largerThanTheScreenKeepsItsTitleBarOnIt()
{
    Program p;
    TFTalventoFirmWare *w = p.start();
    const QRect free = w->screen()->availableGeometry();
    w->setFixedSize(free.width() + 300, free.height() + 200);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QCOMPARE(w->frameGeometry().topLeft(), free.topLeft());
}

QTEST_MAIN(tst_MainWindow)
#include "tst_MainWindow.moc"
