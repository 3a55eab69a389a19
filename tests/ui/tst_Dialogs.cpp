// What every window of the configurator shares: captions exactly as the windows set them, Enter
// on a focused button, labels that never render markup and one-line boxes without a length limit.
#include "ProgramFolder.h"

#include "core/text/MessageIds.h"
#include "ui/Messages.h"
#include "ui/shell/Application.h"
#include "ui/shell/UAbout.h"
#include "ui/shell/UNew_Project.h"
#include "ui/shell/UOpenConf.h"
#include "ui/shell/UTalventoFirmWare.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <limits>
#include <memory>

using namespace sw;

namespace {

// The windows created as the program creates them, with the configuration "Plant" active.
struct Program : test::ProgramFolder
{
    std::unique_ptr<ConfiguratorApplication> app;

    // Lays out the program folder and creates the windows; false when the folder cannot be laid out.
    [[nodiscard]] bool start()
    {
        if (!rememberConfiguration(QStringLiteral("Plant")))
            return false;
        app = std::make_unique<ConfiguratorApplication>(pv, services, dir.path());
        return true;
    }

    QWidget *window(const QString &name) const
    {
        TFTalventoFirmWare *main = app->mainWindow();
        const TFTalventoFirmWare::Dialogs &d = main->dialogs();
        if (name == QLatin1String("main"))
            return main;
        if (name == QLatin1String("new"))
            return d.newProject;
        if (name == QLatin1String("open"))
            return d.openConf;
        if (name == QLatin1String("about"))
            return d.about;
        if (name == QLatin1String("parGen"))
            return d.parGen;
        qFatal("no window %s", qPrintable(name));
        return nullptr;
    }
    QList<QWidget *> windows() const
    {
        QList<QWidget *> out;
        for (const char *name : { "main", "new", "open", "about", "parGen" })
            out.append(window(QLatin1String(name)));
        return out;
    }
};

template <typename T = QWidget> T *child(QWidget *parent, const QString &name)
{
    T *w = parent->findChild<T *>(name);
    if (!w)
        qWarning("no control %s", qPrintable(name));
    return w;
}

// The link labels build their own markup from escaped parts; every other label is plain text.
bool isLinkLabel(const QLabel *label)
{
    static const QStringList links { QStringLiteral("LL_Update"), QStringLiteral("L_Quorvex"),
        QStringLiteral("Label4") };
    return links.contains(label->objectName());
}

} // namespace

class tst_Dialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void captionsAreExactlyTheirOwn_data();
    void captionsAreExactlyTheirOwn();
    void enterPressesTheFocusedButton_data();
    void enterPressesTheFocusedButton();
    void labelsShowMarkupLiterally_data();
    void labelsShowMarkupLiterally();
    void everyLabelIsPlainTextExceptLinks();
    void everyOneLineBoxTakesAnyLength();
    void messageBoxesShowTextLiterally_data();
    void messageBoxesShowTextLiterally();
};

void tst_Dialogs::initTestCase()
{
    setUpApplication();
}

void tst_Dialogs::captionsAreExactlyTheirOwn_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("caption");

    QTest::newRow("main window") << "main" << QString::fromLatin1(SWTitleText);
    QTest::newRow("new configuration") << "new"
                                       << "Create New Configuration";
    QTest::newRow("open configuration") << "open"
                                        << "Open Configuration";
    QTest::newRow("about") << "about"
                           << "About...";
    QTest::newRow("communication parameters") << "parGen"
                                              << "Set Communication";
}

void tst_Dialogs::captionsAreExactlyTheirOwn()
{
    QFETCH(QString, window);
    QFETCH(QString, caption);

    Program p;
    QVERIFY(p.start());
    QWidget *w = p.window(window);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QCOMPARE(w->windowTitle(), caption);
    QCOMPARE(w->windowHandle()->title(), caption);
    w->hide();

    // The platform appends an application display name, once one is set, to every caption: the
    // set-up of the program leaves it unset, so it follows the application name.
    const QString name = QCoreApplication::applicationName();
    QCOMPARE(name, QStringLiteral("SW61942"));
    QCoreApplication::setApplicationName(QStringLiteral("probe"));
    const QString displayName = QGuiApplication::applicationDisplayName();
    QCoreApplication::setApplicationName(name);
    QCOMPARE(displayName, QStringLiteral("probe"));
}

void tst_Dialogs::enterPressesTheFocusedButton_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("result"); // -1: the dialog stays open

    const int open = -1;
    const int ok = QDialog::Accepted;
    const int cancel = QDialog::Rejected;
    QTest::newRow("new: Cancel") << "new"
                                 << "Btn_Cancel" << cancel;
    QTest::newRow("new: OK") << "new"
                             << "Btn_OK" << ok;
    QTest::newRow("new: name box runs OK") << "new"
                                           << "E_New_Proj" << ok;
    QTest::newRow("open: Cancel") << "open"
                                  << "Btn_Cancel" << cancel;
    QTest::newRow("open: OK") << "open"
                              << "Btn_OK" << ok;
    QTest::newRow("open: list has no Enter") << "open"
                                             << "ListBox1" << open;
    QTest::newRow("about: OK") << "about"
                               << "LbButton1" << ok;
    QTest::newRow("parGen: Cancel") << "parGen"
                                    << "Btn_Cancel" << cancel;
    QTest::newRow("parGen: OK") << "parGen"
                                << "Btn_OK" << ok;
    QTest::newRow("parGen: Enter in a field never confirms") << "parGen"
                                                             << "E_IEC61850_Server_Port" << open;
    QTest::newRow("parGen: Enter on a check box never confirms") << "parGen"
                                                                 << "CB_ModbusSlave_ReadInput" << open;
}

void tst_Dialogs::enterPressesTheFocusedButton()
{
    QFETCH(QString, window);
    QFETCH(QString, focus);
    QFETCH(int, result);

    Program p;
    QVERIFY(p.start());
    auto *dialog = qobject_cast<QDialog *>(p.window(window));
    QVERIFY(dialog);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    if (window == QLatin1String("new"))
        child<QLineEdit>(dialog, QStringLiteral("E_New_Proj"))->setText(QStringLiteral("Typed"));
    dialog->setResult(-1);

    QWidget *target = child(dialog, focus);
    QVERIFY(target);
    target->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), target);
    QTest::keyClick(target, Qt::Key_Return);

    QCOMPARE(dialog->isVisible() ? -1 : dialog->result(), result);
    // Only OK creates the configuration or writes the document.
    const bool confirmed = result == QDialog::Accepted;
    if (window == QLatin1String("new"))
        QCOMPARE(QFileInfo(p.dir.filePath(QStringLiteral("PROJECTS/Typed"))).isDir(), confirmed);
    if (window == QLatin1String("parGen"))
        QCOMPARE(QFileInfo::exists(p.pv.File_ParGen), confirmed);
    QVERIFY2(p.messages.records.isEmpty(), qPrintable(p.messages.texts().join(u'\n')));
    dialog->hide();
}

void tst_Dialogs::labelsShowMarkupLiterally_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("entry");

    QTest::newRow("main: heading") << "main"
                                   << "L_Begin" << MsgId::Begin;
    QTest::newRow("main: step") << "main"
                                << "L_Step_1" << MsgId::Step1;
    QTest::newRow("main: active configuration") << "main"
                                                << "L_Name_Conf" << MsgId::OpenedConfiguration;
    QTest::newRow("new: prompt") << "new"
                                 << "Label1" << MsgId::NewPrompt;
    QTest::newRow("new: description") << "new"
                                      << "L_SW_Desc" << MsgId::NewDesc;
    QTest::newRow("open: list title") << "open"
                                      << "Label1" << MsgId::OpenListTitle;
    QTest::newRow("parGen: description") << "parGen"
                                         << "L_SW_Desc" << MsgId::ParGenDesc;
    QTest::newRow("parGen: field label") << "parGen"
                                         << "L_IEC61850_Server_Port" << MsgId::ParGenPort;
}

void tst_Dialogs::labelsShowMarkupLiterally()
{
    QFETCH(QString, window);
    QFETCH(QString, label);
    QFETCH(int, entry);

    Program p;
    QVERIFY(p.start());
    const QString markup = QStringLiteral("<b>Bold</b> <i>x</i>");
    p.pv.Msg_Catalogue[entry] = markup;
    p.app->mainWindow()->Change_Language();

    QWidget *w = p.window(window);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    auto *l = child<QLabel>(w, label);
    QVERIFY(l);
    QCOMPARE(l->text(), markup);
    QCOMPARE(l->textFormat(), Qt::PlainText);
    // Every character is laid out: rendered as markup, the tags would take no room.
    QVERIFY(l->sizeHint().width() >= l->fontMetrics().horizontalAdvance(markup));
    w->hide();
}

void tst_Dialogs::everyLabelIsPlainTextExceptLinks()
{
    Program p;
    QVERIFY(p.start());
    for (QWidget *w : p.windows()) {
        const QList<QLabel *> labels = w->findChildren<QLabel *>();
        QVERIFY(!labels.isEmpty());
        for (const QLabel *l : labels) {
            const QString where = w->objectName() + QLatin1Char('/') + l->objectName();
            QVERIFY2(l->textFormat() == (isLinkLabel(l) ? Qt::RichText : Qt::PlainText), qPrintable(where));
        }
    }
}

void tst_Dialogs::everyOneLineBoxTakesAnyLength()
{
    Program p;
    QVERIFY(p.start());
    int boxes = 0;
    for (QWidget *w : p.windows()) {
        for (const QLineEdit *e : w->findChildren<QLineEdit *>()) {
            ++boxes;
            QVERIFY2(e->maxLength() == std::numeric_limits<int>::max(),
                qPrintable(w->objectName() + QLatin1Char('/') + e->objectName()));
        }
    }
    QVERIFY(boxes > 0);
}

void tst_Dialogs::messageBoxesShowTextLiterally_data()
{
    QTest::addColumn<QString>("kind");
    for (const char *kind : { "error", "warning", "information", "confirm", "general error" })
        QTest::newRow(kind) << QString::fromLatin1(kind);
}

void tst_Dialogs::messageBoxesShowTextLiterally()
{
    QFETCH(QString, kind);

    // The box is read and answered with its default button once it is up.
    QString title;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    QTimer answer;
    answer.setSingleShot(true);
    connect(&answer, &QTimer::timeout, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        title = box->windowTitle();
        text = box->text();
        format = box->textFormat();
        box->defaultButton()->click();
    });
    answer.start(0);

    MessageBoxes boxes;
    const QString shown = QStringLiteral("Error in <b>Plant</b>");
    if (kind == QLatin1String("error"))
        boxes.error(nullptr, shown);
    else if (kind == QLatin1String("warning"))
        boxes.warning(nullptr, shown);
    else if (kind == QLatin1String("information"))
        boxes.information(nullptr, shown);
    else if (kind == QLatin1String("confirm"))
        QVERIFY(!boxes.confirm(nullptr, shown)); // No is the default answer
    else
        boxes.generalError(nullptr, shown);

    QCOMPARE(title, QStringLiteral("SW61942"));
    QCOMPARE(text, shown);
    QCOMPARE(format, Qt::PlainText);
}

QTEST_MAIN(tst_Dialogs)
#include "tst_Dialogs.moc"
