#include "PlainTips.h"
#include "ProgramFolder.h"

#include "ui/shell/Application.h"
#include "ui/shell/UNew_Project.h"
#include "ui/shell/UOpenConf.h"
#include "ui/shell/UTalventoFirmWare.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

using namespace sw;
using sw::test::ScriptedMessages;

namespace {

// The program folder with the windows created as the program creates them.
struct Program : test::ProgramFolder
{
    std::unique_ptr<ConfiguratorApplication> app;

    QString projects(const QString &name = QString()) const
    {
        return QDir::toNativeSeparators(
            path(name.isEmpty() ? QStringLiteral("PROJECTS") : QStringLiteral("PROJECTS/") + name));
    }

    // Starts with the configuration `active` remembered (and its folder created) when given; false
    // when that cannot be laid out.
    [[nodiscard]] bool start(const QString &active = QString())
    {
        if (!active.isEmpty() && !rememberConfiguration(active))
            return false;
        app = std::make_unique<ConfiguratorApplication>(pv, services, dir.path());
        app->mainWindow()->dialogs(); // made now, as first use would make them, to be found by name
        return true;
    }
    TFTalventoFirmWare *window() const { return app->mainWindow(); }
    template <typename T = QWidget> T *control(const QWidget *parent, const char *name) const
    {
        return parent->findChild<T *>(QLatin1String(name));
    }
    void click(const char *name) const { control<QAbstractButton>(window(), name)->click(); }
    QString label(const char *name) const { return control<QLabel>(window(), name)->text(); }
};

// Runs `answer` on the modal dialog that the next action opens; the dialog must be closed by it.
void whenModal(const std::function<void(QDialog *)> &answer)
{
    QTimer::singleShot(0, [answer] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            qWarning("no modal dialog");
            return;
        }
        answer(dialog);
        if (dialog->isVisible()) // never leave the test hanging in a modal loop
            dialog->reject();
    });
}

void clickButton(QDialog *dialog, const char *name)
{
    QTest::mouseClick(dialog->findChild<QAbstractButton *>(QLatin1String(name)), Qt::LeftButton);
}

} // namespace

class tst_NewOpenConfiguration : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void newConfiguration_data();
    void newConfiguration();
    void newByEnterKey_data();
    void newByEnterKey();
    void newDialogEnterOnTabbedButton_data();
    void newDialogEnterOnTabbedButton();
    void newDialogStartsEmptyAndCancelChangesNothing();
    void newInUnwritableProjectsNamesTheFolder();
    void searchOpenConf_data();
    void searchOpenConf();
    void openPreselectsAndOpens_data();
    void openPreselectsAndOpens();
    void openListsVisibleFoldersOnly();
    void openListsNamesAsAPersonSortsThem();
    void openWithEmptyProjectsLeavesNoConfiguration_data();
    void openWithEmptyProjectsLeavesNoConfiguration();
    void openCancelChangesNothing();
    void textsFollowTheCatalogue_data();
    void textsFollowTheCatalogue();
};

void tst_NewOpenConfiguration::newConfiguration_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("existing"); // folder or file under PROJECTS before OK ("dir/" for a folder)
    QTest::addColumn<QString>("message"); // empty: created

    QTest::newRow("new name") << "Plant 1"
                              << ""
                              << "";
    QTest::newRow("name with blanks kept as typed") << " Plant 2 "
                                                    << ""
                                                    << "";
    QTest::newRow("empty") << ""
                           << ""
                           << "Error! Name Project is not valid";
    QTest::newRow("existing folder") << "Plant 1"
                                     << "Plant 1/"
                                     << "Error! Name project is not valid because directory already exists";
    QTest::newRow("existing file") << "notes"
                                   << "notes"
                                   << "Error! Name project is not valid";
    QTest::newRow("outside PROJECTS") << "../Escaped"
                                      << ""
                                      << "Error! Name project is not valid";
    QTest::newRow("nested in a configuration") << "Plant 1/Sub"
                                               << "Plant 1/"
                                               << "Error! Name project is not valid";
#ifdef Q_OS_WIN
    QTest::newRow("backslash") << "a\\b"
                               << ""
                               << "Error! Name project is not valid";
#else
    // An ordinary character in a folder name here.
    QTest::newRow("backslash") << "a\\b"
                               << ""
                               << "";
#endif
    QTest::newRow("markup") << "<b>Bold<b>"
                            << ""
                            << "";
    QTest::newRow("slash") << "a/b"
                           << ""
                           << "Error! Name project is not valid";
    QTest::newRow("dot") << "."
                         << ""
                         << "Error! Name project is not valid";
    QTest::newRow("dot dot") << ".."
                             << ""
                             << "Error! Name project is not valid";
}

void tst_NewOpenConfiguration::newConfiguration()
{
    QFETCH(QString, name);
    QFETCH(QString, existing);
    QFETCH(QString, message);

    Program p;
    QVERIFY(p.start(QStringLiteral("Before")));
    if (existing.endsWith(u'/')) {
        QVERIFY(p.createConfiguration(existing));
    } else if (!existing.isEmpty()) {
        QVERIFY(p.write(QStringLiteral("PROJECTS/") + existing, QByteArray()));
    }
    const QStringList before = QDir(p.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    bool stayedOpen = false;
    whenModal([&](QDialog *dialog) {
        p.control<QLineEdit>(dialog, "E_New_Proj")->setText(name);
        clickButton(dialog, "Btn_OK");
        stayedOpen = dialog->isVisible();
    });
    p.click("Btn_New");

    if (message.isEmpty()) {
        QVERIFY(p.messages.records.isEmpty());
        QVERIFY(!stayedOpen);
        QVERIFY(QFileInfo(p.path(QStringLiteral("PROJECTS/") + name)).isDir());
        QVERIFY(QFileInfo(p.path(QStringLiteral("PROJECTS/") + name + QStringLiteral("/bin"))).isDir());
        QCOMPARE(p.pv.Conf_Name, name);
        QCOMPARE(p.pv.Conf_Dir, p.projects(name));
        QCOMPARE(p.pv.File_ParGen, p.projects(name + QStringLiteral("/ParGen.xml")));
        QCOMPARE(p.pv.File_TLS_Known_Cert, p.projects(name + QStringLiteral("/TLS_Known_Cert.xml")));
        QCOMPARE(p.pv.File_IEC61850_Variables, p.projects(name + QStringLiteral("/IEC61850_Variables.xml")));
        QCOMPARE(p.label("L_Name_Conf"), QStringLiteral("Opened Configuration of the Converter : "));
        QCOMPARE(p.label("L_Name_Conf_L2"), name);
        QCOMPARE(p.control<QLabel>(p.window(), "L_Name_Conf_L2")->textFormat(), Qt::PlainText);
    } else {
        QVERIFY(stayedOpen);
        QCOMPARE(p.messages.records.size(), 1);
        QCOMPARE(p.messages.records.first().kind, ScriptedMessages::Kind::Error);
        QCOMPARE(p.messages.last(), message);
        QCOMPARE(p.pv.Conf_Name, QStringLiteral("Before"));
        QCOMPARE(p.pv.Conf_Dir, p.projects(QStringLiteral("Before")));
        QCOMPARE(p.label("L_Name_Conf_L2"), QStringLiteral("Before"));
        // Nothing was created beside the program or inside another configuration.
        QCOMPARE(QDir(p.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        QVERIFY(!QFileInfo::exists(p.path(QStringLiteral("PROJECTS/Plant 1/Sub"))));
    }
}

void tst_NewOpenConfiguration::newByEnterKey_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("new name") << "Line 4"
                              << "";
    QTest::newRow("empty") << ""
                           << "Error! Name Project is not valid";
}

void tst_NewOpenConfiguration::newByEnterKey()
{
    QFETCH(QString, name);
    QFETCH(QString, message);

    Program p;
    QVERIFY(p.start());
    int result = -1;
    whenModal([&](QDialog *dialog) {
        auto *edit = p.control<QLineEdit>(dialog, "E_New_Proj");
        QTest::keyClicks(edit, name);
        QTest::keyClick(edit, Qt::Key_Return);
        result = dialog->isVisible() ? -1 : dialog->result();
    });
    p.click("Btn_New");

    if (message.isEmpty()) {
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(p.pv.Conf_Name, name);
        QVERIFY(QFileInfo(p.path(QStringLiteral("PROJECTS/") + name)).isDir());
        QVERIFY(p.messages.records.isEmpty());
    } else {
        QCOMPARE(result, -1); // still open
        QCOMPARE(p.messages.texts(), QStringList { message });
        QVERIFY(p.pv.Conf_Dir.isEmpty());
    }
}

void tst_NewOpenConfiguration::newDialogEnterOnTabbedButton_data()
{
    QTest::addColumn<int>("tabs"); // Tab presses from the name box
    QTest::addColumn<QString>("focused");
    QTest::addColumn<bool>("created");

    QTest::newRow("Tab to OK, Enter") << 1 << "Btn_OK" << true;
    QTest::newRow("Tab to Cancel, Enter") << 2 << "Btn_Cancel" << false;
}

void tst_NewOpenConfiguration::newDialogEnterOnTabbedButton()
{
    QFETCH(int, tabs);
    QFETCH(QString, focused);
    QFETCH(bool, created);

    Program p;
    QVERIFY(p.start(QStringLiteral("Before")));
    QString reached;
    int result = -1;
    whenModal([&](QDialog *dialog) {
        QTest::keyClicks(dialog->focusWidget(), QStringLiteral("Typed"));
        for (int i = 0; i < tabs; ++i)
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Tab);
        reached = dialog->focusWidget()->objectName();
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
        result = dialog->isVisible() ? -1 : dialog->result();
    });
    p.click("Btn_New");

    QCOMPARE(reached, focused);
    QCOMPARE(result, int(created ? QDialog::Accepted : QDialog::Rejected));
    QCOMPARE(QFileInfo(p.path(QStringLiteral("PROJECTS/Typed"))).isDir(), created);
    QCOMPARE(p.pv.Conf_Name, created ? QStringLiteral("Typed") : QStringLiteral("Before"));
    QVERIFY(p.messages.records.isEmpty());
}

void tst_NewOpenConfiguration::newDialogStartsEmptyAndCancelChangesNothing()
{
    Program p;
    QVERIFY(p.start(QStringLiteral("Before")));

    whenModal([&](QDialog *dialog) {
        p.control<QLineEdit>(dialog, "E_New_Proj")->setText(QStringLiteral("Typed"));
        clickButton(dialog, "Btn_Cancel");
    });
    p.click("Btn_New");
    QCOMPARE(p.pv.Conf_Name, QStringLiteral("Before"));
    QVERIFY(!QFileInfo::exists(p.path(QStringLiteral("PROJECTS/Typed"))));

    QString shownText = QStringLiteral("unset");
    bool focused = false;
    whenModal([&](QDialog *dialog) {
        auto *edit = p.control<QLineEdit>(dialog, "E_New_Proj");
        shownText = edit->text();
        focused = dialog->focusWidget() == edit;
        clickButton(dialog, "Btn_Cancel");
    });
    p.click("Btn_New");
    QCOMPARE(shownText, QString());
    QVERIFY(focused);
    QVERIFY(p.messages.records.isEmpty());
}

void tst_NewOpenConfiguration::newInUnwritableProjectsNamesTheFolder()
{
    Program p;
    QVERIFY(p.start());
    // A file in PROJECTS' place: no folder can be created in it, whoever runs the test.
    QVERIFY(QDir(p.path(QStringLiteral("PROJECTS"))).removeRecursively());
    QVERIFY(p.write(QStringLiteral("PROJECTS"), "x"));

    whenModal([&](QDialog *dialog) {
        p.control<QLineEdit>(dialog, "E_New_Proj")->setText(QStringLiteral("Plant 1"));
        clickButton(dialog, "Btn_OK");
    });
    p.click("Btn_New");

    QCOMPARE(p.messages.records.size(), 1);
    QCOMPARE(p.messages.records.first().kind, ScriptedMessages::Kind::Error);
    QCOMPARE(p.messages.last(),
        QStringLiteral("The configuration cannot be created: the folder %1 cannot be written.").arg(p.projects()));
    QVERIFY(p.pv.Conf_Dir.isEmpty());
}

void tst_NewOpenConfiguration::searchOpenConf_data()
{
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");

    const QStringList list { QStringLiteral("Alpha"), QStringLiteral("ABC"), QStringLiteral("abc"),
        QStringLiteral("\u00C9t\u00E9") };
    QTest::newRow("same text") << list << "Alpha" << 0;
    QTest::newRow("letters differ in case") << list << "aLPHA" << 0;
    QTest::newRow("first of two matches") << list << "Abc" << 1;
    QTest::newRow("non-ASCII letters must match exactly") << list << "\u00E9t\u00E9" << -1;
    QTest::newRow("non-ASCII letter kept, ASCII folded") << list << "\u00C9T\u00C9" << -1;
    QTest::newRow("prefix only") << list << "Alph" << -1;
    QTest::newRow("empty name") << list << "" << -1;
    QTest::newRow("empty list") << QStringList() << "abc" << -1;
}

void tst_NewOpenConfiguration::searchOpenConf()
{
    QFETCH(QStringList, list);
    QFETCH(QString, name);
    QFETCH(int, index);
    QCOMPARE(TFOpenConf::Search_Open_Conf(list, name), index);
}

void tst_NewOpenConfiguration::openPreselectsAndOpens_data()
{
    QTest::addColumn<QString>("active"); // Conf_Name before; its folder is not necessarily listed
    QTest::addColumn<QString>("clickOn"); // entry clicked before OK, empty for none
    QTest::addColumn<QString>("preselect"); // empty: the first listed entry
    QTest::addColumn<QString>("opened"); // empty: the first listed entry
    QTest::addColumn<bool>("doubleClick"); // the entry is double-clicked instead of clicked before OK

    QTest::newRow("no configuration: first entry") << ""
                                                   << ""
                                                   << ""
                                                   << "" << false;
    QTest::newRow("active one preselected") << "Beta"
                                            << ""
                                            << "Beta"
                                            << "Beta" << false;
    QTest::newRow("letter case of the listing wins") << "beta"
                                                     << ""
                                                     << "Beta"
                                                     << "Beta" << false;
    QTest::newRow("clicked entry opened") << "Beta"
                                          << "Gamma"
                                          << "Beta"
                                          << "Gamma" << false;
    QTest::newRow("double-clicked entry opened") << "Beta"
                                                 << "Gamma"
                                                 << "Beta"
                                                 << "Gamma" << true;
}

void tst_NewOpenConfiguration::openPreselectsAndOpens()
{
    QFETCH(QString, active);
    QFETCH(QString, clickOn);
    QFETCH(QString, preselect);
    QFETCH(QString, opened);
    QFETCH(bool, doubleClick);

    Program p;
    for (const char *name : { "Alpha", "Beta", "Gamma" })
        QVERIFY(p.createConfiguration(QLatin1String(name)));
    QVERIFY(p.start());
    if (!active.isEmpty()) {
        // Set as the dialogs would; the folder on disk may differ in case.
        activateConfiguration(p.pv, active);
    }

    QStringList listed;
    QString selected;
    whenModal([&](QDialog *dialog) {
        auto *list = p.control<QListWidget>(dialog, "ListBox1");
        for (int i = 0; i < list->count(); ++i)
            listed.append(list->item(i)->text());
        selected = list->currentItem() ? list->currentItem()->text() : QString();
        if (!clickOn.isEmpty()) {
            const QList<QListWidgetItem *> items = list->findItems(clickOn, Qt::MatchExactly);
            QCOMPARE(items.size(), 1);
            const QPoint at = list->visualItemRect(items.first()).center();
            if (doubleClick) {
                // A double click comes after the press and release of its first click.
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
                QVERIFY(!dialog->isVisible());
                QCOMPARE(dialog->result(), int(QDialog::Accepted));
                return;
            }
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        }
        clickButton(dialog, "Btn_OK");
    });
    p.click("Btn_Open");

    QStringList sorted = listed;
    sorted.sort();
    QCOMPARE(sorted, (QStringList { "Alpha", "Beta", "Gamma" }));
    QCOMPARE(selected, preselect.isEmpty() ? listed.first() : preselect);
    const QString expected = opened.isEmpty() ? listed.first() : opened;
    QCOMPARE(p.pv.Conf_Name, expected);
    QCOMPARE(p.pv.Conf_Dir, p.projects(expected));
    QCOMPARE(p.pv.File_ParGen, p.projects(expected + QStringLiteral("/ParGen.xml")));
    QCOMPARE(p.label("L_Name_Conf"), QStringLiteral("Opened Configuration of the Converter : "));
    QCOMPARE(p.label("L_Name_Conf_L2"), expected);
    QVERIFY(p.messages.records.isEmpty());
}

void tst_NewOpenConfiguration::openListsVisibleFoldersOnly()
{
    Program p;
    QVERIFY(p.createConfiguration(QStringLiteral("Visible")));
    QVERIFY(p.createConfiguration(QStringLiteral(".hidden")));
    QVERIFY(p.write(QStringLiteral("PROJECTS/readme.txt"), QByteArray()));
    QVERIFY(p.start());

    QStringList listed;
    whenModal([&](QDialog *dialog) {
        auto *list = p.control<QListWidget>(dialog, "ListBox1");
        for (int i = 0; i < list->count(); ++i)
            listed.append(list->item(i)->text());
        clickButton(dialog, "Btn_OK");
    });
    p.click("Btn_Open");

    QCOMPARE(listed, QStringList { QStringLiteral("Visible") });
    QCOMPARE(p.pv.Conf_Name, QStringLiteral("Visible"));
}

void tst_NewOpenConfiguration::openListsNamesAsAPersonSortsThem()
{
    Program p;
    for (const char *name : { "beta", "10kV", "Plant1", "Gamma plant", "zeta", "9kV", "Alpha" })
        QVERIFY(p.createConfiguration(QLatin1String(name)));
    QVERIFY(p.start());

    QStringList listed;
    whenModal([&](QDialog *dialog) {
        auto *list = p.control<QListWidget>(dialog, "ListBox1");
        for (int i = 0; i < list->count(); ++i)
            listed.append(list->item(i)->text());
        clickButton(dialog, "Btn_OK");
    });
    p.click("Btn_Open");

    QCOMPARE(listed, (QStringList { "9kV", "10kV", "Alpha", "beta", "Gamma plant", "Plant1", "zeta" }));
    // Without an active configuration the first of the sorted names is opened.
    QCOMPARE(p.pv.Conf_Name, QStringLiteral("9kV"));
}

void tst_NewOpenConfiguration::openWithEmptyProjectsLeavesNoConfiguration_data()
{
    QTest::addColumn<bool>("removeProjects");
    QTest::newRow("empty PROJECTS") << false;
    QTest::newRow("missing PROJECTS") << true;
}

void tst_NewOpenConfiguration::openWithEmptyProjectsLeavesNoConfiguration()
{
    QFETCH(bool, removeProjects);

    Program p;
    QVERIFY(p.start(QStringLiteral("Old")));
    QVERIFY(QDir(p.path(QStringLiteral("PROJECTS/Old"))).removeRecursively());
    if (removeProjects)
        QVERIFY(QDir(p.path(QStringLiteral("PROJECTS"))).removeRecursively());

    int count = -1;
    whenModal([&](QDialog *dialog) {
        count = p.control<QListWidget>(dialog, "ListBox1")->count();
        clickButton(dialog, "Btn_OK");
    });
    p.click("Btn_Open");

    QCOMPARE(count, 0);
    QVERIFY(p.pv.Conf_Name.isEmpty());
    QVERIFY(p.pv.Conf_Dir.isEmpty());
    QCOMPARE(p.label("L_Name_Conf"), QStringLiteral("None Configuration Opened "));
    QCOMPARE(p.label("L_Name_Conf_L2"), QStringLiteral("Use Step1 to open or create new configuration"));
    p.click("Btn_Prm_Gen");
    QCOMPARE(p.messages.texts(), QStringList { QStringLiteral("Error! Project not Valid") });
}

void tst_NewOpenConfiguration::openCancelChangesNothing()
{
    Program p;
    QVERIFY(p.createConfiguration(QStringLiteral("Other")));
    QVERIFY(p.start(QStringLiteral("Current")));
    const QString parGen = p.pv.File_ParGen;

    whenModal([&](QDialog *dialog) {
        auto *list = p.control<QListWidget>(dialog, "ListBox1");
        const QList<QListWidgetItem *> items = list->findItems(QStringLiteral("Other"), Qt::MatchExactly);
        QCOMPARE(items.size(), 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(items.first()).center());
        clickButton(dialog, "Btn_Cancel");
    });
    p.click("Btn_Open");

    QCOMPARE(p.pv.Conf_Name, QStringLiteral("Current"));
    QCOMPARE(p.pv.Conf_Dir, p.projects(QStringLiteral("Current")));
    QCOMPARE(p.pv.File_ParGen, parGen);
    QCOMPARE(p.label("L_Name_Conf_L2"), QStringLiteral("Current"));
}

void tst_NewOpenConfiguration::textsFollowTheCatalogue_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("control"); // empty: the dialog itself
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<int>("entry");

    const struct
    {
        const char *dialog;
        const char *control;
        const char *property;
        int entry;
    } rows[] = {
        { "TFNew_Project", "", "windowTitle", 100 },
        { "TFNew_Project", "L_SW_Desc", "text", 101 },
        { "TFNew_Project", "Label1", "text", 102 },
        { "TFNew_Project", "E_New_Proj", "accessibleName", 102 },
        { "TFNew_Project", "Btn_OK", "text", 103 },
        { "TFNew_Project", "Btn_Cancel", "text", 104 },
        { "TFNew_Project", "E_New_Proj", "toolTip", 108 },
        { "TFNew_Project", "Btn_OK", "toolTip", 109 },
        { "TFNew_Project", "Btn_Cancel", "toolTip", 110 },
        { "TFOpenConf", "", "windowTitle", 200 },
        { "TFOpenConf", "L_SW_Desc", "text", 201 },
        { "TFOpenConf", "Label1", "text", 202 },
        { "TFOpenConf", "ListBox1", "accessibleName", 202 },
        { "TFOpenConf", "Btn_OK", "text", 203 },
        { "TFOpenConf", "Btn_Cancel", "text", 204 },
        { "TFOpenConf", "ListBox1", "toolTip", 205 },
        { "TFOpenConf", "Btn_OK", "toolTip", 206 },
        { "TFOpenConf", "Btn_Cancel", "toolTip", 207 },
    };
    for (const auto &r : rows) {
        QTest::addRow("%s %s %s", r.dialog, *r.control ? r.control : "window", r.property)
            << r.dialog << r.control << QByteArray(r.property) << r.entry;
    }
}

// Every entry lands on its own control, at creation and again after a language change.
void tst_NewOpenConfiguration::textsFollowTheCatalogue()
{
    QFETCH(QString, dialog);
    QFETCH(QString, control);
    QFETCH(QByteArray, property);
    QFETCH(int, entry);

    Program p;
    QVERIFY(p.start());
    auto *window = p.window()->findChild<QDialog *>(dialog);
    QVERIFY(window);
    QObject *target = control.isEmpty() ? window : window->findChild<QWidget *>(control);
    QVERIFY(target);
    // A tooltip is shown as plain text.
    const auto shown = [&] {
        const QString text = target->property(property.constData()).toString();
        return property == "toolTip" ? test::shownTip(text) : text;
    };
    QCOMPARE(shown(), p.pv.msg(entry));

    for (int i = 0; i < p.pv.Msg_Catalogue.size(); ++i)
        p.pv.Msg_Catalogue[i] = QStringLiteral("#%1").arg(i);
    p.window()->Change_Language();
    QCOMPARE(shown(), QStringLiteral("#%1").arg(entry));
    QCOMPARE(window->findChild<QLabel *>(QStringLiteral("L_SW_Code"))->text(), QStringLiteral("SW61942"));
}

QTEST_MAIN(tst_NewOpenConfiguration)
#include "tst_NewOpenConfiguration.moc"
