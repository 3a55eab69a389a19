#include "ProgramFolder.h"

#include "core/ProgramValues.h"
#include "ui/FileChooser.h"
#include "ui/options/USoftOptions.h"
#include "ui/shell/Application.h"
#include "ui/shell/UTalventoFirmWare.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>
#include <memory>

using namespace sw;
using namespace std::chrono_literals;
using sw::test::ScriptedMessages;

namespace {

// The program with every real dialog, on a program folder whose LANGUAGE folder the test fills.
struct Program : test::ProgramFolder
{
    std::unique_ptr<ConfiguratorApplication> app;
    TFSoftOptions *options = nullptr;

    [[nodiscard]] bool language(const QString &name, const QByteArray &lines = "STR0 = x\n") const
    {
        return QDir().mkpath(path(QStringLiteral("LANGUAGE"))) && write(QStringLiteral("LANGUAGE/") + name, lines);
    }
    [[nodiscard]] bool flag(const QString &name) const
    {
        QImage image(48, 32, QImage::Format_RGB32);
        image.fill(Qt::red);
        return QDir().mkpath(path(QStringLiteral("LANGUAGE")))
            && image.save(path(QStringLiteral("LANGUAGE/") + name), "BMP");
    }
    void start()
    {
        app = std::make_unique<ConfiguratorApplication>(pv, services, dir.path());
        options = qobject_cast<TFSoftOptions *>(app->mainWindow()->dialog(TFTalventoFirmWare::Dialog::SoftOptions));
    }
    // Shows the dialog without a modal loop, as the test drives it.
    void show() const { options->show(); }

    template <typename T = QWidget> T *control(const QString &name) const
    {
        T *w = options->findChild<T *>(name);
        if (!w)
            qWarning("no control %s", qPrintable(name));
        return w;
    }
    QLabel *slotName(int k) const { return control<QLabel>(QStringLiteral("L_L%1").arg(k)); }
    QLabel *slotFlag(int k) const { return control<QLabel>(QStringLiteral("I_L%1").arg(k)); }
    QString text(const char *name) const { return control<QLabel>(QLatin1String(name))->text(); }
    QCheckBox *box(const char *name) const { return control<QCheckBox>(QLatin1String(name)); }
    QAbstractButton *button(const char *name) const { return control<QAbstractButton>(QLatin1String(name)); }
    // The names in the slots not hidden, top to bottom, left column first.
    QStringList shownNames() const
    {
        QStringList names;
        for (int k = 1; k <= 6; ++k) {
            if (!slotName(k)->isHidden())
                names.append(slotName(k)->text());
        }
        return names;
    }
};

QStringList numberedLanguages(int n)
{
    QStringList names;
    for (int i = 1; i <= n; ++i)
        names.append(QStringLiteral("Lang%1").arg(i, 2, 10, QLatin1Char('0')));
    return names;
}

} // namespace

class tst_USoftOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pages_data();
    void pages();
    void walkingPages();
    void listingRuleAndOrder();
    void flags();
    void enablingRule_data();
    void enablingRule();
    void okStoresFlagsAndTimer_data();
    void okStoresFlagsAndTimer();
    void languageThenCancel();
    void slotOnLaterPageChoosesItsOwnLanguage_data();
    void slotOnLaterPageChoosesItsOwnLanguage();
    void answeringNoChangesNothing();
    void checkUpdateButton_data();
    void checkUpdateButton();
    void qtTextsFollowTheLanguageOnScreen_data();
    void qtTextsFollowTheLanguageOnScreen();
};

void tst_USoftOptions::pages_data()
{
    QTest::addColumn<int>("files");
    QTest::addColumn<QString>("pageText");
    QTest::addColumn<int>("slotsShown");
    QTest::addColumn<bool>("nextShown");

    QTest::newRow("none") << 0 << "Page 1 / 0" << 1 << true;
    QTest::newRow("one") << 1 << "Page 1 / 1" << 1 << false;
    QTest::newRow("exactly six") << 6 << "Page 1 / 1" << 6 << false;
    QTest::newRow("seven") << 7 << "Page 1 / 2" << 6 << true;
    QTest::newRow("thirteen") << 13 << "Page 1 / 3" << 6 << true;
}

void tst_USoftOptions::pages()
{
    QFETCH(int, files);
    QFETCH(QString, pageText);
    QFETCH(int, slotsShown);
    QFETCH(bool, nextShown);

    Program p;
    QVERIFY(QDir().mkpath(p.path(QStringLiteral("LANGUAGE"))));
    for (const QString &name : numberedLanguages(files))
        QVERIFY(p.language(name + QStringLiteral(".lng")));
    p.start();
    p.show();

    QCOMPARE(p.text("L_Page_Lang"), pageText);
    QCOMPARE(p.shownNames().size(), slotsShown);
    QCOMPARE(p.shownNames().mid(0, files), numberedLanguages(std::min(files, 6)));
    QVERIFY(p.button("Btn_Prev")->isHidden());
    QCOMPARE(!p.button("Btn_Next")->isHidden(), nextShown);
    if (files == 0) {
        // Slot 1 stays but shows and selects nothing.
        QCOMPARE(p.slotName(1)->text(), QString());
        QVERIFY(p.slotFlag(1)->isHidden());
        QTest::mouseClick(p.slotName(1), Qt::LeftButton);
        p.button("Btn_Next")->click();
        QCOMPARE(p.options->page(), 1);
        QVERIFY(p.messages.records.isEmpty());
    }
}

void tst_USoftOptions::walkingPages()
{
    Program p;
    for (const QString &name : numberedLanguages(7))
        QVERIFY(p.language(name + QStringLiteral(".lng")));
    p.start();
    p.show();

    p.button("Btn_Next")->click();
    QCOMPARE(p.text("L_Page_Lang"), QStringLiteral("Page 2 / 2"));
    QCOMPARE(p.shownNames(), QStringList { QStringLiteral("Lang07") });
    for (int k = 2; k <= 6; ++k)
        QVERIFY(p.slotFlag(k)->isHidden());
    QVERIFY(!p.button("Btn_Prev")->isHidden());
    QVERIFY(p.button("Btn_Next")->isHidden());

    p.button("Btn_Prev")->click();
    QCOMPARE(p.text("L_Page_Lang"), QStringLiteral("Page 1 / 2"));
    QCOMPARE(p.shownNames(), numberedLanguages(6));

    // A new showing starts on page 1 again.
    p.button("Btn_Next")->click();
    p.button("Btn_Cancel")->click();
    p.show();
    QCOMPARE(p.options->page(), 1);
    QCOMPARE(p.shownNames().size(), 6);
}

void tst_USoftOptions::listingRuleAndOrder()
{
    Program p;
    QVERIFY(p.language(QStringLiteral("German.lng")));
    QVERIFY(p.language(QStringLiteral("english.lng")));
    QVERIFY(p.language(QStringLiteral("Zulu.lng")));
    QVERIFY(p.language(QStringLiteral("notes.txt")));
    QVERIFY(p.language(QStringLiteral("ReadOnly.lng")));
    QVERIFY(
        QFile::setPermissions(p.path(QStringLiteral("LANGUAGE/ReadOnly.lng")), QFile::ReadOwner | QFile::ReadGroup));
    QVERIFY(QDir().mkpath(p.path(QStringLiteral("LANGUAGE/Folder.lng"))));
    QVERIFY(QFile::link(p.path(QStringLiteral("LANGUAGE/Zulu.lng")), p.path(QStringLiteral("LANGUAGE/Link.lng"))));
    p.start();
    p.show();

    QCOMPARE(p.options->languages(),
        (QStringList { QStringLiteral("english.lng"), QStringLiteral("German.lng"), QStringLiteral("Zulu.lng") }));
    QCOMPARE(
        p.shownNames(), (QStringList { QStringLiteral("english"), QStringLiteral("German"), QStringLiteral("Zulu") }));
    QCOMPARE(p.text("L_Sel_Lang"), QStringLiteral("Selected Language : English"));
}

void tst_USoftOptions::flags()
{
    Program p;
    QVERIFY(p.language(QStringLiteral("Alpha.lng")));
    QVERIFY(p.language(QStringLiteral("Beta.lng")));
    QVERIFY(p.flag(QStringLiteral("Alpha.bmp")));
    p.start();
    p.show();
    // Its own flag; no flag and no default flag: no picture.
    QVERIFY(!p.slotFlag(1)->isHidden());
    QVERIFY(!p.slotFlag(1)->pixmap().isNull());
    QVERIFY(p.slotFlag(2)->isHidden());

    // With the default flag every language has a picture.
    QVERIFY(p.flag(QStringLiteral("DefaultFlag.bmp")));
    p.options->hide();
    p.show();
    QVERIFY(!p.slotFlag(2)->isHidden());
    QVERIFY(!p.slotFlag(2)->pixmap().isNull());
}

void tst_USoftOptions::enablingRule_data()
{
    QTest::addColumn<bool>("internet");
    QTest::addColumn<bool>("update");
    QTest::addColumn<bool>("updateEnabled");
    QTest::addColumn<bool>("checkEnabled");

    QTest::newRow("both") << true << true << true << true;
    QTest::newRow("internet only") << true << false << true << false;
    QTest::newRow("update only") << false << true << false << false;
    QTest::newRow("neither") << false << false << false << false;
}

void tst_USoftOptions::enablingRule()
{
    QFETCH(bool, internet);
    QFETCH(bool, update);
    QFETCH(bool, updateEnabled);
    QFETCH(bool, checkEnabled);

    Program p;
    p.start();
    // At showing, from the stored flags.
    p.pv.Opt_Enable_Internet = internet;
    p.pv.Opt_Enable_Update = update;
    p.show();
    QCOMPARE(p.box("CB_Update")->isEnabled(), updateEnabled);
    QCOMPARE(p.button("Btn_Check_Update")->isEnabled(), checkEnabled);
    QCOMPARE(p.box("CB_Update")->isChecked(), update);
    p.options->hide();

    // And by clicking, from the opposite state.
    p.pv.Opt_Enable_Internet = !internet;
    p.pv.Opt_Enable_Update = !update;
    p.show();
    p.box("CB_En_Con")->click();
    p.box("CB_Update")->setChecked(update); // a disabled box cannot be clicked
    QCOMPARE(p.box("CB_Update")->isEnabled(), updateEnabled);
    QCOMPARE(p.button("Btn_Check_Update")->isEnabled(), checkEnabled);
}

void tst_USoftOptions::okStoresFlagsAndTimer_data()
{
    QTest::addColumn<bool>("internet");
    QTest::addColumn<bool>("update");
    QTest::addColumn<bool>("jump");
    QTest::addColumn<bool>("autoSize");

    QTest::newRow("all on") << true << true << true << false;
    QTest::newRow("update ticked but disabled") << false << true << false << true;
    QTest::newRow("internet without update") << true << false << true << true;
}

void tst_USoftOptions::okStoresFlagsAndTimer()
{
    QFETCH(bool, internet);
    QFETCH(bool, update);
    QFETCH(bool, jump);
    QFETCH(bool, autoSize);

    Program p;
    p.start();
    p.pv.Opt_Enable_Internet = !internet;
    p.pv.Opt_Enable_Update = true;
    // Through the main window's button: the dialog runs modally, answered from the event loop.
    QTimer::singleShot(0, p.options, [&] {
        if (p.box("CB_En_Con")->isChecked() != internet)
            p.box("CB_En_Con")->click();
        p.box("CB_Update")->setChecked(update);
        p.box("CB_Soft_Set_Jump_Table")->setChecked(jump);
        p.box("CB_DoubleClick_Auto_Size")->setChecked(autoSize);
        p.button("Btn_OK")->click();
    });
    p.app->mainWindow()->findChild<QAbstractButton *>(QStringLiteral("Btn_Opz"))->click();

    QCOMPARE(p.pv.Opt_Enable_Internet, internet);
    QCOMPARE(p.pv.Opt_Enable_Update, update);
    QCOMPARE(p.pv.Opt_Jump_Field_Tables, jump);
    QCOMPARE(p.pv.Opt_Double_Click_Auto_Size, autoSize);
    QCOMPARE(p.app->mainWindow()->findChild<QTimer *>(QStringLiteral("Timer_Update"))->isActive(), internet && update);
    QCOMPARE(p.read(QLatin1String(SettingsFileName)), settingsDocument(p.pv));
    QVERIFY(p.messages.records.isEmpty());
}

void tst_USoftOptions::languageThenCancel()
{
    Program p;
    QVERIFY(p.language(QStringLiteral("English.lng"), "STR15 = New Configuration\n"));
    // Without a byte-order mark a language file is Windows-1252, where 0xB6 is the pilcrow.
    QVERIFY(p.language(
        QStringLiteral("German.lng"), "STR15 = Neue Konfiguration\nSTR302 = Sprache\nSTR305 = \xb6Seite \xb6\n"));
    QVERIFY(p.write(QLatin1String(SettingsFileName),
        "<Conf_Settings><lastlang><language>English</language></lastlang></Conf_Settings>"));
    p.start();
    p.show();
    QCOMPARE(p.shownNames(), (QStringList { QStringLiteral("English"), QStringLiteral("German") }));

    QTest::mouseClick(p.slotName(2), Qt::LeftButton);
    QCOMPARE(p.messages.records.size(), 1);
    QCOMPARE(p.messages.records[0].kind, ScriptedMessages::Kind::Confirm);
    QCOMPARE(p.messages.records[0].text, QStringLiteral("Do you want to change the Language from English to German?"));

    // Every dialog shows the new language at once; the composed labels follow.
    auto *main = p.app->mainWindow();
    QCOMPARE(
        main->findChild<QAbstractButton *>(QStringLiteral("Btn_New"))->text(), QStringLiteral("Neue Konfiguration"));
    auto *tabs = p.control<QTabWidget>(QStringLiteral("PC_Options"));
    QCOMPARE(tabs->tabText(0), QStringLiteral("Sprache"));
    QCOMPARE(p.text("L_Sel_Lang"), QStringLiteral("Selected Language : German"));
    QCOMPARE(p.text("L_Page_Lang"), QStringLiteral("Seite 1 / 1"));
    QCOMPARE(p.pv.Language_Name, QStringLiteral("English"));

    p.button("Btn_Cancel")->click();
    QVERIFY(p.options->isHidden());
    QCOMPARE(p.pv.Language_Name, QStringLiteral("English"));
    QCOMPARE(
        main->findChild<QAbstractButton *>(QStringLiteral("Btn_New"))->text(), QStringLiteral("Neue Konfiguration"));
    p.show();
    QCOMPARE(p.text("L_Sel_Lang"), QStringLiteral("Selected Language : English"));
    p.options->hide();
    main->close(); // writes the settings: still the old language
    QVERIFY(p.read(QLatin1String(SettingsFileName)).contains("English"));
    QVERIFY(!p.read(QLatin1String(SettingsFileName)).contains("German"));

    // OK after a confirmed language stores it.
    p.show();
    QTest::mouseClick(p.slotName(2), Qt::LeftButton);
    p.button("Btn_OK")->click();
    QCOMPARE(p.pv.Language_Name, QStringLiteral("German"));
}

void tst_USoftOptions::slotOnLaterPageChoosesItsOwnLanguage_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("slot");

    for (int k = 1; k <= 6; ++k)
        QTest::addRow("page 2, slot %d", k) << 2 << k;
    QTest::newRow("page 3, slot 1") << 3 << 1;
}

// A slot picks the language it shows, on whichever page: its place on the page and the page
// together name the language.
void tst_USoftOptions::slotOnLaterPageChoosesItsOwnLanguage()
{
    QFETCH(int, page);
    QFETCH(int, slot);

    Program p;
    const QStringList names = numberedLanguages(13);
    for (const QString &name : names)
        QVERIFY(p.language(name + QStringLiteral(".lng")));
    p.start();
    p.show();
    for (int k = 1; k < page; ++k)
        p.button("Btn_Next")->click();
    QCOMPARE(p.options->page(), page);

    const QString shown = p.slotName(slot)->text();
    QCOMPARE(shown, names.at((page - 1) * 6 + slot - 1));
    QTest::mouseClick(p.slotName(slot), Qt::LeftButton);
    QCOMPARE(p.messages.records.size(), 1);
    QVERIFY2(p.messages.records[0].text.endsWith(QStringLiteral(" to ") + shown + QStringLiteral("?")),
        qPrintable(p.messages.records[0].text));
    QCOMPARE(p.text("L_Sel_Lang"), QStringLiteral("Selected Language : ") + shown);
    p.button("Btn_OK")->click();
    QCOMPARE(p.pv.Language_Name, shown);
}

void tst_USoftOptions::answeringNoChangesNothing()
{
    Program p;
    QVERIFY(p.language(QStringLiteral("English.lng"), "STR15 = New Configuration\n"));
    QVERIFY(p.language(QStringLiteral("German.lng"), "STR15 = Neue Konfiguration\n"));
    p.start();
    p.show();
    p.messages.answers = { false };
    QTest::mouseClick(p.slotFlag(2)->isHidden() ? p.slotName(2) : p.slotFlag(2), Qt::LeftButton);
    QCOMPARE(p.messages.records.size(), 1);
    QCOMPARE(p.app->mainWindow()->findChild<QAbstractButton *>(QStringLiteral("Btn_New"))->text(),
        QStringLiteral("New Configuration"));
    QCOMPARE(p.text("L_Sel_Lang"), QStringLiteral("Selected Language : English"));
    p.button("Btn_OK")->click();
    QCOMPARE(p.pv.Language_Name, QStringLiteral("English"));
}

void tst_USoftOptions::checkUpdateButton_data()
{
    QTest::addColumn<bool>("newer");
    QTest::newRow("newer") << true;
    QTest::newRow("not newer") << false;
}

void tst_USoftOptions::checkUpdateButton()
{
    QFETCH(bool, newer);
    Program p;
    p.checker.newer = newer;
    p.checker.delay = 50ms;
    p.start();
    p.pv.Opt_Enable_Internet = true;
    p.pv.Opt_Enable_Update = true;
    p.show();
    auto *result = p.control<QLabel>(QStringLiteral("LL_Check_Update"));
    QVERIFY(result->isHidden());
    p.button("Btn_Check_Update")->click();
    QVERIFY(result->isHidden()); // the answer comes later, through the event loop
    QTRY_VERIFY_WITH_TIMEOUT(!result->isHidden(), 5000);
    if (newer) {
        QCOMPARE(result->text(),
            QStringLiteral("<a href=\"https://www.quorvex.com/Home/download/download.asp#HD61942\">"
                           "New Version Available. Click Here for more Details</a>"));
        Q_EMIT result->linkActivated(QStringLiteral("https://www.quorvex.com/Home/download/download.asp#HD61942"));
        QCOMPARE(p.shell.opened.size(), 1);
    } else {
        QCOMPARE(result->text(), QStringLiteral("No Update Available"));
        QCOMPARE(result->textFormat(), Qt::PlainText);
    }
    // Hidden again at the next showing.
    p.options->hide();
    p.show();
    QVERIFY(result->isHidden());
}

// Qt's own texts (the buttons of a question, the file chooser) speak the language that the windows
// show: after OK the stored one, after Cancel the one tried, which stays on screen until restart.
void tst_USoftOptions::qtTextsFollowTheLanguageOnScreen_data()
{
    QTest::addColumn<QString>("atStart");
    QTest::addColumn<int>("slot"); // 1 Deutsch, 2 English
    QTest::addColumn<bool>("ok"); // else Cancel
    QTest::addColumn<QString>("yes");
    QTest::addColumn<QString>("chooserCancel");

    QTest::newRow("German, English tried, OK") << "Deutsch" << 2 << true << "&Yes"
                                               << "Cancel";
    QTest::newRow("German, English tried, Cancel") << "Deutsch" << 2 << false << "&Yes"
                                                   << "Cancel";
    QTest::newRow("English, German tried, Cancel") << "English" << 1 << false << "&Ja"
                                                   << "Abbrechen";
    QTest::newRow("English, German tried, OK") << "English" << 1 << true << "&Ja"
                                               << "Abbrechen";
}

void tst_USoftOptions::qtTextsFollowTheLanguageOnScreen()
{
    QFETCH(QString, atStart);
    QFETCH(int, slot);
    QFETCH(bool, ok);
    QFETCH(QString, yes);
    QFETCH(QString, chooserCancel);
    if (!QFileInfo::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_de.qm")))
        QSKIP("Qt's translations are not installed (Debian package qt6-translations-l10n)");

    Program p;
    QVERIFY(p.language(QStringLiteral("Deutsch.lng"), "STR15 = Neue Konfiguration\n"));
    QVERIFY(p.language(QStringLiteral("English.lng"), "STR15 = New Configuration\n"));
    QVERIFY(p.write(QLatin1String(SettingsFileName),
        "<Conf_Settings><lastlang><language>" + atStart.toUtf8() + "</language></lastlang></Conf_Settings>"));
    p.start();
    p.show();
    QTest::mouseClick(p.slotName(slot), Qt::LeftButton);
    p.button(ok ? "Btn_OK" : "Btn_Cancel")->click();
    QVERIFY(p.options->isHidden());

    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box.button(QMessageBox::Yes)->text(), yes);

    // The program's file chooser is Qt's own, in the same language.
    bool native = true;
    QString cancel;
    QTimer::singleShot(0, [&] {
        auto *chooser = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!chooser)
            return;
        native = !chooser->testOption(QFileDialog::DontUseNativeDialog);
        if (auto *buttons = chooser->findChild<QDialogButtonBox *>())
            cancel = buttons->button(QDialogButtonBox::Cancel)->text();
        chooser->reject();
    });
    QCOMPARE(
        FileDialogs().openFileName(nullptr, QStringLiteral("x"), p.dir.path(), QStringLiteral("All (*)")), QString());
    QVERIFY(!native);
    QCOMPARE(cancel, chooserCancel);
}

QTEST_MAIN(tst_USoftOptions)
#include "tst_USoftOptions.moc"
