#include "PlainTips.h"
#include "PlatformInput.h"
#include "ProgramFolder.h"

#include "core/Error.h"
#include "core/Workspace.h"
#include "core/text/Catalogue.h"
#include "core/text/LanguageFile.h"
#include "core/text/MessageIds.h"
#include "core/update/UpdateParameters.h"
#include "platform/IcmpEcho.h"
#include "platform/posix/PosixLauncher.h"
#include "ui/shell/UTalventoFirmWare.h"
#include "ui/update/UBoot.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace sw;
using namespace std::chrono_literals;
using Kind = sw::test::ScriptedMessages::Kind;
using sw::test::readFile;
using sw::test::writeFile;

namespace {

// The dialog in a program folder, with the fake echo's clock as its time source.
struct Fixture : test::ProgramFolder
{
    std::unique_ptr<TFBoot> dlg;

    Fixture()
    {
        Default_Messages(pv.Msg_Catalogue);
        createWorkspace(pv, dir.path());
        activateConfiguration(pv, QStringLiteral("Plant"));
        dlg = std::make_unique<TFBoot>(pv, services);
        clock.steadyTime = [this] { return echo.now; };
    }

    template <class T = QWidget> T *get(const QString &name) const
    {
        T *w = dlg->findChild<T *>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    QLineEdit *box(int k) const { return get<QLineEdit>(QStringLiteral("E_IP%1").arg(k)); }
    QString boxes() const
    {
        return QStringList { box(1)->text(), box(2)->text(), box(3)->text(), box(4)->text() }.join(u'|');
    }
    void type(const QString &address) const
    {
        const QStringList parts = address.split(u'|');
        for (int k = 1; k <= 4; ++k)
            box(k)->setText(parts.value(k - 1));
    }
    void update() const { QTest::mouseClick(get<QPushButton>(QStringLiteral("Btn_Update")), Qt::LeftButton); }
    QString parameterFile() const { return updateParametersPath(pv.Dir_Program); }
};

// Counts the events of one type that reach an object.
class EventCounter final : public QObject
{
public:
    EventCounter(QObject *watched, QEvent::Type type, int &count)
        : m_type(type)
        , m_count(count)
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == m_type)
            ++m_count;
        return false;
    }

private:
    QEvent::Type m_type;
    int &m_count;
};

} // namespace

class tst_UBoot : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void updateClickFollowsTheReachabilityCheck_data();
    void updateClickFollowsTheReachabilityCheck();
    void successRemembersAndWritesEachRunsChoices();
    void echoFailureShowsItsReasonInTheCatalogueLanguage_data();
    void echoFailureShowsItsReasonInTheCatalogueLanguage();
    void updaterThatCannotStartIsReported_data();
    void updaterThatCannotStartIsReported();
    void unwritableParameterFileStartsNothing();
    void busyWhileCheckingAndWhileTheUpdaterRuns();
    void statusLineCountsRequestsAndSeconds();
    void statusLineTellsHowTheUpdaterEnded_data();
    void statusLineTellsHowTheUpdaterEnded();
    void inputDuringTheWaitsIsDropped_data();
    void inputDuringTheWaitsIsDropped();
    void showingPrefillsTheAddress_data();
    void showingPrefillsTheAddress();
    void showingRestoresChoicesAndFocus();
    void dotKeyMovesToTheNextBox_data();
    void dotKeyMovesToTheNextBox();
    void textsComeFromTheCatalogueAtEachShowing();
    void stackedPanelsSetTheSize();
    void updateDeviceShowsTheDialogForEthernet();
};

void tst_UBoot::updateClickFollowsTheReachabilityCheck_data()
{
    QTest::addColumn<QString>("answers"); // Y answered, N silent, one per request; silent after
    QTest::addColumn<int>("throwAt"); // the request (from 0) that cannot be sent, -1 none
    QTest::addColumn<int>("requests");
    QTest::addColumn<QString>("outcome"); // "started", or the entry of the message shown

    // An answer takes 2 ms, silence 400 ms: a request that ends past 5000 ms is the last.
    QTest::newRow("answers every request") << "YY" << -1 << 2 << "started";
    QTest::newRow("silent, then answers twice") << "NYY" << -1 << 3 << "started";
    QTest::newRow("answers, silent, answers") << "YNY" << -1 << 3 << "started";
    QTest::newRow("never answers") << "" << -1 << 13 << "1036";
    QTest::newRow("answers once, then silent") << "Y" << -1 << 14 << "1036";
    QTest::newRow("second answer after eleven silent requests") << "YNNNNNNNNNNNY" << -1 << 13 << "started";
    QTest::newRow("cannot send") << "YY" << 0 << 1 << "1037";
    QTest::newRow("cannot send after a silent request") << "N" << 1 << 2 << "1036";
}

void tst_UBoot::updateClickFollowsTheReachabilityCheck()
{
    QFETCH(QString, answers);
    QFETCH(int, throwAt);
    QFETCH(int, requests);
    QFETCH(QString, outcome);

    Fixture f;
    f.dlg->show();
    f.type(QStringLiteral("127|0|0|1"));
    for (QChar c : answers)
        f.echo.answers.append(c == u'Y');
    f.echo.onRequest = [&] {
        if (f.echo.requests.size() - 1 == throwAt)
            f.echo.failure = std::make_exception_ptr(Error(QStringLiteral("echo requests not permitted")));
    };
    f.update();

    QCOMPARE(f.echo.requests.size(), requests);
    for (const test::FakeIcmpEcho::Request &r : std::as_const(f.echo.requests)) {
        QCOMPARE(r.address, QStringLiteral("127.0.0.1"));
        QCOMPARE(r.payload, QByteArray("127.0.0.1"));
        QCOMPARE(r.timeout, 400ms);
        QVERIFY(r.whileWaitingGiven);
    }
    if (outcome == QLatin1String("started")) {
        QVERIFY2(f.messages.records.isEmpty(), qPrintable(f.messages.texts().join(u'\n')));
        QCOMPARE(f.pv.Last_IP_Address, QStringLiteral("127.0.0.1"));
        QVERIFY(readFile(f.parameterFile()).contains("<IP_Address_Dev>127.0.0.1</IP_Address_Dev>"));
        QCOMPARE(f.launcher.starts.size(), 1);
        QCOMPARE(f.launcher.starts[0].program, updaterProgramPath(f.pv.Dir_Program));
        QCOMPARE(f.launcher.starts[0].limit, 150000ms);
        QVERIFY(f.launcher.starts[0].whileWaitingGiven);
        QVERIFY(f.dlg->isVisible()); // the dialog stays open for another run
        return;
    }
    QCOMPARE(f.messages.records.size(), 1);
    if (outcome == QLatin1String("1036")) {
        QCOMPARE(f.messages.records[0].kind, Kind::Warning);
        QCOMPARE(f.messages.last(), QStringLiteral("Device Not Found!"));
    } else {
        // The platform's reason follows the catalogue's text.
        QCOMPARE(f.messages.records[0].kind, Kind::Error);
        QCOMPARE(f.messages.last(), QStringLiteral("Error!!! Check the Ip Address\necho requests not permitted"));
    }
    QCOMPARE(f.pv.Last_IP_Address, QStringLiteral("192.168.2.205"));
    QVERIFY(!QFile::exists(f.parameterFile()));
    QVERIFY(f.launcher.starts.isEmpty());
}

void tst_UBoot::successRemembersAndWritesEachRunsChoices()
{
    Fixture f;
    f.pv.Update_Choice = 0;
    f.pv.Update_Read_Back = true;
    f.dlg->show();
    f.type(QStringLiteral(" 10|1|2|3"));
    auto *choice = f.get<QComboBox>(QStringLiteral("CB_Update_Options"));
    auto *readBack = f.get<QCheckBox>(QStringLiteral("CB_Update_Option_Read_Back"));

    choice->setCurrentIndex(2);
    readBack->setChecked(false);
    f.echo.answers = { true, true };
    f.update();
    QCOMPARE(f.pv.Last_IP_Address, QStringLiteral(" 10.1.2.3")); // exactly as typed
    QCOMPARE(f.pv.Update_Choice, 2);
    QCOMPARE(f.pv.Update_Read_Back, false);
    QByteArray file = readFile(f.parameterFile());
    QCOMPARE(file.count("<Operation>"), 2);
    QVERIFY(file.contains("bank1.bin") && !file.contains("Sim61942.sim"));
    QVERIFY(!file.contains("<Ope_Read_Back>1</Ope_Read_Back>"));

    // A second run in the same showing rewrites the file with its own choice.
    choice->setCurrentIndex(1);
    readBack->setChecked(true);
    f.echo.answers = { true, true };
    f.update();
    QCOMPARE(f.pv.Update_Choice, 1);
    QCOMPARE(f.pv.Update_Read_Back, true);
    file = readFile(f.parameterFile());
    QCOMPARE(file.count("<Operation>"), 1);
    QVERIFY(file.contains("Sim61942.sim") && !file.contains("bank1.bin"));
    QCOMPARE(f.launcher.starts.size(), 2);

    // A failed check afterwards changes nothing that was remembered.
    choice->setCurrentIndex(0);
    f.type(QStringLiteral("10|9|9|9"));
    f.update(); // the device is silent
    QCOMPARE(f.messages.last(), QStringLiteral("Device Not Found!"));
    QCOMPARE(f.pv.Last_IP_Address, QStringLiteral(" 10.1.2.3"));
    QCOMPARE(f.pv.Update_Choice, 1);
    QCOMPARE(readFile(f.parameterFile()), file);
}

void tst_UBoot::echoFailureShowsItsReasonInTheCatalogueLanguage_data()
{
    QTest::addColumn<QString>("language"); // a shipped language file, or empty for the defaults
    QTest::addColumn<int>("reason"); // an EchoFailure
    QTest::addColumn<QString>("detail");
    QTest::addColumn<QString>("shown"); // the text after entry 1037 and its line break

    const auto row
        = [](const char *name, const char *language, EchoFailure reason, const QString &detail, const QString &shown) {
              QTest::newRow(name) << QString::fromLatin1(language) << int(reason) << detail << shown;
          };
    row("not an address", "", EchoFailure::NotAnAddress, QStringLiteral("1.2.3.x"),
        QStringLiteral("\"1.2.3.x\" is not an IPv4 address: four numbers from 0 to 255 separated by points, such as "
                       "192.168.2.205"));
    // A long text in the boxes is quoted on one line, cut short.
    row("long address cut", "", EchoFailure::NotAnAddress, QStringLiteral("1.2.3.4\n") + QString(70, u'9'),
        QStringLiteral("\"1.2.3.4 ") + QString(51, u'9') + QChar(0x2026)
            + QStringLiteral("\" is not an IPv4 address: four numbers from 0 to 255 separated by points, such as "
                             "192.168.2.205"));
    // The command stands on a line of its own.
    const QString command = QStringLiteral("\n\nsudo sysctl -w net.ipv4.ping_group_range=\"0 2147483647\"\n\n");
    row("not permitted", "", EchoFailure::NotPermitted, QStringLiteral("Operation not permitted"),
        QStringLiteral("This computer does not let the program send ICMP echo requests. Allow them for your user's "
                       "group with the system setting net.ipv4.ping_group_range, for example with this command:")
            + command
            + QStringLiteral("To keep the setting after a restart, add the line net.ipv4.ping_group_range = 0 "
                             "2147483647 to a file in /etc/sysctl.d. Or give the program the capability "
                             "CAP_NET_RAW."));
    row("no route", "", EchoFailure::NoRoute, QStringLiteral("Network is unreachable"),
        QStringLiteral("No network of this computer leads to this address: check the address and the network "
                       "connection."));
    row("socket refused", "", EchoFailure::SocketRefused, QStringLiteral("Too many open files"),
        QStringLiteral("The system refused to open an ICMP socket: Too many open files"));
    row("send refused", "", EchoFailure::SendRefused, QStringLiteral("Message too long"),
        QStringLiteral("The system refused to send the echo request: Message too long"));
    // The system's own words never follow a translated text.
    row("not permitted, German", "Deutsch", EchoFailure::NotPermitted, QStringLiteral("Operation not permitted"),
        QStringLiteral("Dieser Computer erlaubt dem Programm keine ICMP-Echo-Anfragen. Erlauben Sie sie der Gruppe "
                       "Ihres Benutzers mit der Systemeinstellung net.ipv4.ping_group_range, zum Beispiel mit diesem "
                       "Befehl:")
            + command
            + QStringLiteral("Damit die Einstellung einen Neustart überdauert, tragen Sie die Zeile "
                             "net.ipv4.ping_group_range = 0 2147483647 in eine Datei in /etc/sysctl.d ein. Oder geben "
                             "Sie dem Programm die Berechtigung CAP_NET_RAW."));
    row("not an address, German", "Deutsch", EchoFailure::NotAnAddress, QStringLiteral("1.2.3"),
        QStringLiteral("\"1.2.3\" ist keine IPv4-Adresse: vier Zahlen von 0 bis 255, durch Punkte getrennt, etwa "
                       "192.168.2.205"));
}

void tst_UBoot::echoFailureShowsItsReasonInTheCatalogueLanguage()
{
    QFETCH(QString, language);
    QFETCH(int, reason);
    QFETCH(QString, detail);
    QFETCH(QString, shown);

    Fixture f;
    if (!language.isEmpty())
        QVERIFY(Read_Lang_File(
            QStringLiteral(SW_SOURCE_DIR "/resources/LANGUAGE/%1.lng").arg(language), f.pv.Msg_Catalogue));
    f.dlg->show();
    f.type(QStringLiteral("127|0|0|1"));
    f.echo.failure = std::make_exception_ptr(
        EchoError(EchoFailure(reason), detail, QStringLiteral("ICMP echo: the English line for logs")));
    f.update();

    QCOMPARE(f.messages.records.size(), 1);
    QCOMPARE(f.messages.records[0].kind, Kind::Error);
    QCOMPARE(f.messages.last(), f.pv.msg(MsgId::BootCheckAddress) + u'\n' + shown);
    QVERIFY(f.launcher.starts.isEmpty());
}

void tst_UBoot::updaterThatCannotStartIsReported_data()
{
    QTest::addColumn<QString>("updater"); // what stands at the updater's path; "refused" for a fake
    QTest::addColumn<QString>("reason");

    QTest::newRow("missing") << "missing"
                             << "the file does not exist.";
    QTest::newRow("not executable") << "plain"
                                    << "the file may not be run (it is not executable, or access to it is denied).";
    QTest::newRow("not a program") << "text"
                                   << "the file is not a program that this system can run.";
    QTest::newRow("refused by the system") << "refused"
                                           << "the system refused to start it (Too many processes).";
}

void tst_UBoot::updaterThatCannotStartIsReported()
{
    QFETCH(QString, updater);
    QFETCH(QString, reason);

    Fixture f;
    const QString program = updaterProgramPath(f.pv.Dir_Program);
    PosixLauncher real;
    if (updater == QLatin1String("refused")) {
        f.launcher.result = { StartFailure::Refused, QStringLiteral("Too many processes") };
    } else {
        f.services.launcher = &real;
        if (updater != QLatin1String("missing")) {
            const bool text = updater == QLatin1String("text");
            QVERIFY(writeFile(program, text ? "neither a script nor a binary\n" : "#!/bin/sh\nexit 0\n"));
            QVERIFY(QFile::setPermissions(program,
                QFileDevice::ReadOwner | QFileDevice::WriteOwner
                    | (text ? QFileDevice::ExeOwner : QFileDevice::Permissions())));
        }
    }
    f.dlg->show();
    f.type(QStringLiteral("127|0|0|1"));
    f.echo.answers = { true, true };
    f.update();

    QVERIFY(QFile::exists(f.parameterFile())); // written before the start was tried
    QCOMPARE(f.messages.records.size(), 1);
    QCOMPARE(f.messages.records[0].kind, Kind::Error);
    QCOMPARE(f.messages.last(),
        QStringLiteral("The updater %1 could not be started: %2").arg(QDir::toNativeSeparators(program), reason));
    QVERIFY(f.get<QPushButton>(QStringLiteral("Btn_Update"))->isEnabled());
    QVERIFY(f.dlg->isVisible());
}

void tst_UBoot::unwritableParameterFileStartsNothing()
{
    Fixture f;
    // A folder where the parameter file belongs: it cannot be written.
    QVERIFY(QDir().mkpath(f.parameterFile()));
    f.dlg->show();
    f.type(QStringLiteral("127|0|0|1"));
    f.echo.answers = { true, true };
    f.update();

    QCOMPARE(f.messages.records.size(), 1);
    QCOMPARE(f.messages.records[0].kind, Kind::GeneralError);
    QVERIFY2(f.messages.last().contains(QLatin1String(UpdateParametersFileName)), qPrintable(f.messages.last()));
    QVERIFY(f.launcher.starts.isEmpty());
    QCOMPARE(f.pv.Last_IP_Address, QStringLiteral("127.0.0.1")); // remembered before the write
    QVERIFY(f.get<QPushButton>(QStringLiteral("Btn_Update"))->isEnabled());
}

void tst_UBoot::busyWhileCheckingAndWhileTheUpdaterRuns()
{
    Fixture f;
    f.dlg->show();
    auto *update = f.get<QPushButton>(QStringLiteral("Btn_Update"));
    auto *cancel = f.get<QPushButton>(QStringLiteral("Btn_Cancel"));
    auto *status = f.get<QLabel>(QStringLiteral("L_Status"));
    struct Seen
    {
        QString status;
        bool waitCursor;
        bool buttonsEnabled;
        bool visibleAfterCancel;
    };
    QList<Seen> seen;
    const auto look = [&] {
        const QCursor *cursor = QApplication::overrideCursor();
        const bool enabled = update->isEnabled() || cancel->isEnabled();
        update->click(); // a second click cannot start a second check
        f.dlg->reject(); // nor can Escape or the close box end the dialog
        seen.append({ status->text(), cursor && cursor->shape() == Qt::WaitCursor, enabled, f.dlg->isVisible() });
    };
    f.echo.onRequest = look;
    f.launcher.onStart = look;
    f.echo.answers = { true, true };
    f.update();

    QCOMPARE(f.echo.requests.size(), 2);
    QCOMPARE(f.launcher.starts.size(), 1);
    QCOMPARE(seen.size(), 3);
    for (int i = 0; i < seen.size(); ++i) {
        const QString awaited = i < 2 ? QStringLiteral("Checking that the device answers...")
                                      : QStringLiteral("Updater running, please wait...");
        QVERIFY2(seen[i].status.startsWith(awaited), qPrintable(seen[i].status));
        QVERIFY(seen[i].waitCursor);
        QVERIFY(!seen[i].buttonsEnabled);
        QVERIFY(seen[i].visibleAfterCancel);
    }
    // Idle again: normal cursor, buttons back, and the status line says how the updater ended.
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(status->text(), QStringLiteral("Updater ended normally."));
    QVERIFY(update->isEnabled() && cancel->isEnabled());
    cancel->click();
    QVERIFY(!f.dlg->isVisible());
}

void tst_UBoot::statusLineCountsRequestsAndSeconds()
{
    Fixture f;
    f.dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.dlg.get()));
    f.type(QStringLiteral("127|0|0|1"));
    auto *status = f.get<QLabel>(QStringLiteral("L_Status"));
    int paints = 0;
    EventCounter painted(status, QEvent::Paint, paints);

    // Each wait moves the clock on; the status line shows what it shows when the window repaints.
    QStringList seen;
    const auto wait = [&](std::chrono::milliseconds now, const std::function<void()> &whileWaiting) {
        f.echo.now = now;
        const int before = paints;
        whileWaiting();
        seen << status->text();
        if (paints == before)
            seen << QStringLiteral("(not painted)");
    };
    // Silent twice (400 ms each), then answered twice (2 ms each).
    f.echo.answers = { false, false, true, true };
    f.echo.onRequest = [&] {
        seen << status->text();
        wait(f.echo.now + 250ms, f.echo.whileWaiting);
    };
    std::chrono::milliseconds started {};
    f.launcher.onStart = [&] {
        started = f.echo.now;
        seen << status->text();
        wait(started + 1999ms, f.launcher.whileWaiting);
        wait(started + 149000ms, f.launcher.whileWaiting);
    };
    f.update();

    const QString checking = QStringLiteral("Checking that the device answers... request %1, %2 s");
    const QString running = QStringLiteral("Updater running, please wait... %1 s (at most 150 s)");
    QCOMPARE(seen,
        (QStringList { checking.arg(1).arg(0), checking.arg(1).arg(0), // 0 and 250 ms
            checking.arg(2).arg(0), checking.arg(2).arg(0), // 650 and 900 ms
            checking.arg(3).arg(1), checking.arg(3).arg(1), // 1300 and 1550 ms
            checking.arg(4).arg(1), checking.arg(4).arg(1), // 1552 and 1802 ms
            running.arg(0), running.arg(1), running.arg(149) }));
    QCOMPARE(status->text(), QStringLiteral("Updater ended normally."));
}

void tst_UBoot::statusLineTellsHowTheUpdaterEnded_data()
{
    QTest::addColumn<int>("end"); // a ProgramEnd
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("status");
    QTest::newRow("exit status 0") << int(ProgramEnd::Exited) << 0 << "Updater ended normally.";
    QTest::newRow("exit status 1") << int(ProgramEnd::Exited) << 1 << "Updater ended with status 1.";
    QTest::newRow("aborted") << int(ProgramEnd::Signalled) << 6 << "Updater ended by signal 6.";
    QTest::newRow("past the limit") << int(ProgramEnd::StillRunning) << 0 << "Updater still running after 150 s.";
    QTest::newRow("collected elsewhere") << int(ProgramEnd::Unknown) << 0
                                         << "Updater ended; its exit status is unknown.";
}

// After the wait the status line says how the updater ended, until the next showing; nothing else
// is reported.
void tst_UBoot::statusLineTellsHowTheUpdaterEnded()
{
    QFETCH(int, end);
    QFETCH(int, code);
    QFETCH(QString, status);
    Fixture f;
    f.launcher.result.end = ProgramEnd(end);
    f.launcher.result.code = code;
    f.dlg->show();
    f.type(QStringLiteral("127|0|0|1"));
    f.echo.answers = { true, true };
    f.update();

    QCOMPARE(f.launcher.starts.size(), 1);
    QCOMPARE(f.get<QLabel>(QStringLiteral("L_Status"))->text(), status);
    QVERIFY2(f.messages.records.isEmpty(), qPrintable(f.messages.texts().join(u'\n')));
    f.dlg->hide();
    f.dlg->show();
    QCOMPARE(f.get<QLabel>(QStringLiteral("L_Status"))->text(), QString());
}

void tst_UBoot::inputDuringTheWaitsIsDropped_data()
{
    QTest::addColumn<bool>("duringCheck"); // else while the updater runs
    QTest::newRow("during the reachability check") << true;
    QTest::newRow("while the updater runs") << false;
}

void tst_UBoot::inputDuringTheWaitsIsDropped()
{
    QFETCH(bool, duringCheck);

    // A real updater that takes its time and counts its runs.
    Fixture f;
    PosixLauncher launcher;
    f.services.launcher = &launcher;
    const QString runs = f.path(QStringLiteral("runs.txt"));
    const QString program = updaterProgramPath(f.pv.Dir_Program);
    QVERIFY(writeFile(program, "#!/bin/sh\necho run >> \"$(dirname \"$0\")/runs.txt\"\nsleep 1\n"));
    QVERIFY(QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    const auto runCount = [&] { return readFile(runs).count("run"); };

    // Another window of the program, and the dialog in front with the focus in the last byte box.
    QPushButton other(QStringLiteral("other window"));
    int otherClicks = 0;
    connect(&other, &QPushButton::clicked, this, [&otherClicks] { ++otherClicks; });
    other.show();
    f.dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    QVERIFY(QTest::qWaitForWindowActive(f.dlg.get()));
    f.type(QStringLiteral("127|0|0|1"));
    f.box(4)->setFocus();
    auto *update = f.get<QPushButton>(QStringLiteral("Btn_Update"));
    auto *choice = f.get<QComboBox>(QStringLiteral("CB_Update_Options"));
    QCOMPARE(choice->currentIndex(), 0);

    // Clicks on the update button and the other window, a wheel notch on the choice and a key in
    // the focused box, each queued as the window system queues them.
    bool given = false;
    const auto giveInput = [&] {
        given = true;
        test::PlatformInput::click(update);
        test::PlatformInput::click(&other);
        test::PlatformInput::wheelDown(choice);
        test::PlatformInput::type(f.box(4), Qt::Key_9, QStringLiteral("9"));
    };
    // Enough answers for a second run, should one start.
    f.echo.answers = { true, true, true, true };
    f.echo.onRequest = [&] {
        if (duringCheck && !given) {
            giveInput();
            f.echo.whileWaiting(); // the check lets the window handle its events
        }
    };
    QTimer whileUpdating;
    whileUpdating.setInterval(20);
    connect(&whileUpdating, &QTimer::timeout, this, [&] {
        if (!duringCheck && !given && runCount() > 0)
            giveInput();
    });
    whileUpdating.start();
    update->click();
    whileUpdating.stop();
    QVERIFY(given);
    QTest::qWait(200); // what the waits left queued gets its turn

    QCOMPARE(runCount(), 1);
    QCOMPARE(f.echo.requests.size(), 2);
    QCOMPARE(otherClicks, 0);
    QCOMPARE(choice->currentIndex(), 0);
    QCOMPARE(f.box(4)->text(), QStringLiteral("1"));
    QVERIFY(update->isEnabled());

    // Afterwards the windows take input again.
    test::PlatformInput::click(&other);
    QTRY_COMPARE(otherClicks, 1);
}

void tst_UBoot::showingPrefillsTheAddress_data()
{
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("boxes");

    // Boxes holding 1|2|3|4 before the showing.
    QTest::newRow("dotted address") << "192.168.2.205"
                                    << "192|168|2|205";
    QTest::newRow("blanks around the parts") << " 10 . 0 .0. 7 "
                                             << "10|0|0|7";
    QTest::newRow("empty") << ""
                           << "1|2|3|4";
    QTest::newRow("third part 300") << "192.168.300.1"
                                    << "1|2|3|4";
    QTest::newRow("three parts") << "192.168.2"
                                 << "1|2|3|4";
    QTest::newRow("five parts") << "192.168.2.205.1"
                                << "1|2|3|4";
    QTest::newRow("not a number") << "192.168.2.x"
                                  << "1|2|3|4";
}

void tst_UBoot::showingPrefillsTheAddress()
{
    QFETCH(QString, last);
    QFETCH(QString, boxes);

    Fixture f;
    QCOMPARE(f.boxes(), QStringLiteral("0|0|0|0")); // before any showing
    f.type(QStringLiteral("1|2|3|4"));
    f.pv.Last_IP_Address = last;
    f.dlg->show();
    QCOMPARE(f.boxes(), boxes);
}

void tst_UBoot::showingRestoresChoicesAndFocus()
{
    Fixture f;
    auto *choice = f.get<QComboBox>(QStringLiteral("CB_Update_Options"));
    auto *readBack = f.get<QCheckBox>(QStringLiteral("CB_Update_Option_Read_Back"));
    QVERIFY(readBack->isChecked());
    f.pv.Update_Choice = 2;
    f.pv.Update_Read_Back = false;
    f.dlg->show();
    QVERIFY(QTest::qWaitForWindowActive(f.dlg.get()));
    QCOMPARE(choice->currentIndex(), 2);
    QVERIFY(!readBack->isChecked());
    QCOMPARE(QApplication::focusWidget(), f.box(1));

    // Changed without an update, then shown again: the remembered values come back.
    f.box(3)->setFocus();
    choice->setCurrentIndex(0);
    readBack->setChecked(true);
    f.dlg->hide();
    f.dlg->show();
    QCOMPARE(choice->currentIndex(), 2);
    QVERIFY(!readBack->isChecked());
    QCOMPARE(f.dlg->focusWidget(), f.box(1));
}

void tst_UBoot::dotKeyMovesToTheNextBox_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::newRow("E_IP1") << 1 << 2;
    QTest::newRow("E_IP2") << 2 << 3;
    QTest::newRow("E_IP3") << 3 << 4;
    QTest::newRow("E_IP4") << 4 << 4;
}

void tst_UBoot::dotKeyMovesToTheNextBox()
{
    QFETCH(int, from);
    QFETCH(int, to);

    Fixture f;
    f.dlg->show();
    QVERIFY(QTest::qWaitForWindowActive(f.dlg.get()));
    f.type(QStringLiteral("|||"));
    f.box(from)->setFocus();
    QTest::keyClicks(f.box(from), QStringLiteral("12."));
    QCOMPARE(QApplication::focusWidget(), f.box(to));
    QTest::keyClicks(f.box(to), QStringLiteral("3"));
    if (from == to) {
        QCOMPARE(f.box(from)->text(), QStringLiteral("123"));
    } else {
        QCOMPARE(f.box(from)->text(), QStringLiteral("12"));
        QCOMPARE(f.box(to)->text(), QStringLiteral("3"));
    }
}

void tst_UBoot::textsComeFromTheCatalogueAtEachShowing()
{
    Fixture f;
    // Object name, "caption" or "hint", entry.
    const QList<std::tuple<QString, QString, int>> texts {
        { QStringLiteral("L_SW_Desc"), QStringLiteral("caption"), 1003 },
        { QStringLiteral("L_IP_Address"), QStringLiteral("caption"), 1006 },
        { QStringLiteral("L_Update_Option"), QStringLiteral("caption"), 1014 },
        { QStringLiteral("CB_Update_Option_Read_Back"), QStringLiteral("caption"), 1018 },
        { QStringLiteral("Btn_Cancel"), QStringLiteral("caption"), 1019 },
        { QStringLiteral("Btn_Update"), QStringLiteral("caption"), 1020 },
        { QStringLiteral("E_IP1"), QStringLiteral("hint"), 1021 },
        { QStringLiteral("E_IP2"), QStringLiteral("hint"), 1022 },
        { QStringLiteral("E_IP3"), QStringLiteral("hint"), 1023 },
        { QStringLiteral("E_IP4"), QStringLiteral("hint"), 1024 },
        { QStringLiteral("CB_Update_Options"), QStringLiteral("hint"), 1032 },
        { QStringLiteral("CB_Update_Option_Read_Back"), QStringLiteral("hint"), 1033 },
        { QStringLiteral("Btn_Cancel"), QStringLiteral("hint"), 1034 },
        { QStringLiteral("Btn_Update"), QStringLiteral("hint"), 1035 },
    };
    const auto shown = [&](const QString &name, const QString &property) {
        QWidget *w = f.get(name);
        if (property == QLatin1String("hint"))
            return test::shownTip(w->toolTip());
        if (auto *label = qobject_cast<QLabel *>(w))
            return label->text();
        return qobject_cast<QAbstractButton *>(w)->text();
    };
    auto *choice = f.get<QComboBox>(QStringLiteral("CB_Update_Options"));
    const auto items = [&] {
        QStringList out;
        for (int i = 0; i < choice->count(); ++i)
            out << choice->itemText(i);
        return out;
    };

    f.dlg->show();
    QCOMPARE(f.dlg->windowTitle(), QStringLiteral("Update Device by Ethernet (UDP)"));
    QCOMPARE(shown(QStringLiteral("Btn_Update"), QStringLiteral("caption")), QStringLiteral("Execute Update Firmware"));
    QCOMPARE(items(), (QStringList { "Firmware + Configuration", "Firmware", "Configuration" }));
    QCOMPARE(f.get<QLabel>(QStringLiteral("L_SW_Code"))->text(), QStringLiteral("SW61942"));
    f.dlg->hide();

    // Another language while the dialog is hidden: the next showing takes it.
    for (int entry = 1002; entry <= 1035; ++entry)
        f.pv.Msg_Catalogue[entry] = QStringLiteral("T%1").arg(entry);
    f.pv.Update_Choice = 1;
    f.dlg->show();
    QCOMPARE(f.dlg->windowTitle(), QStringLiteral("T1002"));
    for (const auto &[name, property, entry] : texts)
        QCOMPARE(shown(name, property), QStringLiteral("T%1").arg(entry));
    QCOMPARE(items(), (QStringList { "T1015", "T1016", "T1017" }));
    QCOMPARE(choice->currentIndex(), 1);

    // Set_Lang alone (a language change while the dialog is open) puts the first choice back.
    f.pv.Msg_Catalogue[1016] = QStringLiteral("Nur Firmware");
    f.dlg->Set_Lang();
    QCOMPARE(items(), (QStringList { "T1015", "Nur Firmware", "T1017" }));
    QCOMPARE(choice->currentIndex(), 0);
}

void tst_UBoot::stackedPanelsSetTheSize()
{
    Fixture f;
    f.dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.dlg.get()));
    int bottom = 0;
    for (const char *name : { "P_Title", "P_IP_Address", "P_Options", "P_Button" }) {
        QWidget *panel = f.get(QLatin1String(name));
        QCOMPARE(panel->y(), bottom);
        QCOMPARE(panel->width(), 449);
        bottom += panel->height();
    }
    QCOMPARE(f.dlg->size(), QSize(449, bottom));
}

void tst_UBoot::updateDeviceShowsTheDialogForEthernet()
{
    Fixture f;
    QVERIFY(f.rememberConfiguration(QStringLiteral("Plant")));
    TFTalventoFirmWare window(f.pv, f.services, f.dir.path());
    auto *boot = new TFBoot(f.pv, f.services, &window);
    TFTalventoFirmWare::Dialogs dialogs;
    dialogs.boot = boot;
    window.setDialogs(dialogs);

    int formType = -1;
    QWidget *modal = nullptr;
    QTimer::singleShot(0, [&] {
        modal = QApplication::activeModalWidget();
        formType = boot->formType();
        if (modal)
            modal->findChild<QPushButton *>(QStringLiteral("Btn_Cancel"))->click();
    });
    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("Btn_CreateBin")), Qt::LeftButton);

    QCOMPARE(modal, boot);
    QCOMPARE(formType, 1);
    QCOMPARE(f.imageBuilder.calls.size(), 1); // the images came first
    QVERIFY(f.messages.records.isEmpty()); // no report of the images besides the dialog
    QVERIFY(!QFile::exists(f.parameterFile()));
}

QTEST_MAIN(tst_UBoot)
#include "tst_UBoot.moc"
