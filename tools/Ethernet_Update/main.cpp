// Ethernet_Update: a stand-in for the external updater that the configurator starts after it has
// written Ethernet_Update.xml beside it. It carries out the file's operations against the device
// simulator (or anything that speaks the block protocol of tools/common/BlockProtocol.h).
//
// Started without arguments where a display is available (DISPLAY or WAYLAND_DISPLAY set, or a
// Qt platform given by QT_QPA_PLATFORM, and Qt can open it), as the configurator starts it from the
// desktop, it shows its progress and result in a window of its own, in the language of the
// configurator's settings, and ends when that window is closed. Otherwise, and always with
// --no-window, it prints its progress on the console; in the window it prints the same.
//
// Exit status: 0 when every operation succeeded, 1 when the device did not answer, refused a
// write or read back other bytes, or the window was closed before the end, 2 when the command line
// is wrong, or the parameter file or a data file is missing or wrong or the data does not fit its
// region of the device's memory; then nothing is sent.

#include "Transfer.h"
#include "UpdateFile.h"
#include "UpdateWindow.h"
#include "UpdaterTexts.h"
#include "common/Counted.h"
#include "common/Hex.h"
#include "common/StandardOptions.h"

#include "core/ProgramValues.h"
#include "core/update/UpdateParameters.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextStream>
#include <QThread>
#include <chrono>
#include <memory>
#include <thread>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace updater;
using sw::tools::counted;
using sw::tools::hex;
using sw::tools::UsageError;

namespace {

// Sends every operation to this port instead of the one the file names, so that tests can run
// against a simulator on a free port. The configurator never sets it.
constexpr char PortOverrideVariable[] = "SW61942_UPDATE_PORT";
// For tests and scripts of the window: a folder for its pictures and state texts, during the
// transfer and at its end, and a delay after the end before Close is pressed by itself.
constexpr char SnapshotsVariable[] = "SW61942_UPDATE_SNAPSHOTS";
constexpr char CloseAfterVariable[] = "SW61942_UPDATE_CLOSE_AFTER_MS";

// Printed after the options by --help.
constexpr char HelpEpilogue[]
    = "\n"
      "Exit status:\n"
      "  0  every operation succeeded\n"
      "  1  the device did not answer, refused a write or read back other bytes, or the window was\n"
      "     closed before the end\n"
      "  2  the command line is wrong, or Ethernet_Update.xml or a data file is missing, holds a value\n"
      "     that is not known or does not fit the device's memory; then nothing is sent\n"
      "\n"
      "Environment:\n"
      "  DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM\n"
      "                  a display (or Qt platform) to show the window on; without one that can\n"
      "                  be opened, and with --no-window, the progress is only printed\n"
      "  SW61942_UPDATE_PORT=PORT\n"
      "                  send every operation to this port instead of the one the file names\n"
      "  SW61942_UPDATE_SNAPSHOTS=DIR\n"
      "                  save pictures and texts of the window halfway and at the end into DIR\n"
      "  SW61942_UPDATE_CLOSE_AFTER_MS=N\n"
      "                  press Close N milliseconds after the end\n"
      "\n"
      "Files:\n"
      "  Ethernet_Update.xml\n"
      "                  the parameter file, read from the folder of the path the updater was started\n"
      "                  by: the configurator's program folder or, installed for every user of the\n"
      "                  computer (the Debian package), the user's workspace $XDG_DATA_HOME/sw61942\n"
      "                  (~/.local/share/sw61942), whose link Ethernet_Update the configurator starts\n";

// The longest wait for a trial of the display (a display across the network may not answer).
constexpr std::chrono::milliseconds DisplayTrialLimit { 10'000 };

bool displayNamed()
{
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    return true;
#else
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#endif
}

// Whether Qt can open the display. Qt ends a program whose display it cannot open (an X server that
// is not running, a Wayland socket that is gone, no permission), so a child process tries it first
// with the same environment and arguments, the very way the window would be opened. Checking the
// X or Wayland socket would not see refused authorisation or a platform given by QT_QPA_PLATFORM.
bool displayOpens(int argc, char *argv[])
{
#ifdef Q_OS_UNIX
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        // Qt's own complaint is not for the user: the updater says what it does instead.
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) {
            ::dup2(null, STDOUT_FILENO);
            ::dup2(null, STDERR_FILENO);
        }
        int count = argc;
        new QGuiApplication(count, argv); // aborts here when the display cannot be opened
        ::_exit(0);
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + DisplayTrialLimit;
    for (;;) {
        int status = 0;
        const pid_t ended = ::waitpid(child, &status, WNOHANG);
        if (ended == child)
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (ended < 0 && errno != EINTR)
            return false;
        if (Clock::now() >= deadline) {
            ::kill(child, SIGKILL);
            while (::waitpid(child, &status, 0) < 0 && errno == EINTR) { }
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
#else
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    return true;
#endif
}

// Prints the transfer's progress as the console report: one line per operation, its quarters
// written, the read-back and the time taken, then "Update complete" or the failure on stderr.
void reportOnConsole(Transfer &transfer, QObject *context, QTextStream &out, QTextStream &err)
{
    const auto shownQuarter = std::make_shared<int>(0);
    const QList<Operation> &operations = transfer.operations();
    const auto name = [&operations](int index) { return QFileInfo(operations.at(index).fileName).fileName(); };

    QObject::connect(&transfer, &Transfer::operationStarted, context, [=, &operations, &out](int index) {
        const Operation &op = operations.at(index);
        *shownQuarter = 0;
        out << "Operation " << index + 1 << '/' << operations.size() << ": " << name(index) << " ("
            << counted(op.data.size(), "byte", "bytes") << ") to " << hex(op.startAddress) << " on " << op.host << ':'
            << op.port << Qt::endl;
    });
    QObject::connect(&transfer, &Transfer::written, context, [=, &operations, &out](int index, qint64 done) {
        const qint64 size = operations.at(index).data.size();
        if (done == 0)
            out << "  writing" << Qt::flush;
        for (; *shownQuarter < int(4 * done / size); ++*shownQuarter)
            out << ' ' << 25 * (*shownQuarter + 1) << '%' << Qt::flush;
        if (done == size)
            out << Qt::endl;
    });
    QObject::connect(&transfer, &Transfer::verified, context, [&operations, &out](int index, qint64 done) {
        if (done == operations.at(index).data.size())
            out << "  read back and compared" << Qt::endl;
    });
    QObject::connect(&transfer, &Transfer::operationDone, context, [&out](int, qint64 elapsedMs, int repeated) {
        out << "  done in " << elapsedMs << " ms, " << counted(repeated, "request", "requests") << " repeated"
            << Qt::endl;
    });
    QObject::connect(&transfer, &Transfer::applicationStarted, context,
        [&out](int) { out << "  device asked to start its application" << Qt::endl; });
    QObject::connect(&transfer, &Transfer::completed, context, [&out] { out << "Update complete" << Qt::endl; });
    QObject::connect(&transfer, &Transfer::failed, context, [=, &out, &err](int index, const QString &reason) {
        out << Qt::endl;
        err << "Ethernet_Update: operation " << index + 1 << " (" << name(index) << "): " << reason << '\n'
            << Qt::flush;
    });
}

// Shows `message` as the result of a run that sent nothing, and waits until the window is closed.
int showFileError(const QString &message, const QStringList &texts, const QString &snapshots, int closeAfterMs)
{
    UpdateWindow window(texts);
    window.setSnapshotFolder(snapshots);
    window.setCloseAfterEnd(closeAfterMs);
    window.show();
    window.showFileError(message);
    QObject::connect(&window, &QDialog::finished, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    // The configurator starts the updater without arguments; any argument is a script's call.
    const bool displayGiven = argc == 1 && displayNamed();
    const bool window = displayGiven && displayOpens(argc, argv);
    std::unique_ptr<QCoreApplication> app
        = window ? std::make_unique<QApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QString::fromLatin1(sw::UpdaterBaseName));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(sw::Program_Version));
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (displayGiven && !window)
        err << "Ethernet_Update: the display cannot be opened; the progress is printed here only\n" << Qt::flush;

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Stand-in updater: reads Ethernet_Update.xml from its own folder and writes each operation's\n"
                       "file to the device over UDP in blocks, reading it back when asked. Where a display is\n"
                       "available it shows its progress and result in a window; otherwise it prints them."));
    const QCommandLineOption noWindowOption(
        QStringLiteral("no-window"), QStringLiteral("Print the progress on the console, never open a window."));
    parser.addOption(noWindowOption);
    sw::tools::StandardOptions standardOptions(parser);
    if (const std::optional<int> status
        = standardOptions.parse(QCoreApplication::arguments(), "Ethernet_Update", HelpEpilogue))
        return *status;
    if (!parser.positionalArguments().isEmpty()) {
        err << "Ethernet_Update: takes no arguments but --no-window (see --help)\n";
        return UsageError;
    }

    // The folder it was started from: a user's workspace holds a link to the installed updater,
    // and the parameter file beside that link is the one meant, as are the settings there.
    const QString started = QFile::decodeName(argv[0]);
    const QString folder = started.contains(QLatin1Char('/')) ? QFileInfo(started).absolutePath()
                                                              : QCoreApplication::applicationDirPath();
    const QString path = QDir(folder).filePath(QString::fromLatin1(sw::UpdateParametersFileName));
    // The window speaks the configurator's language; the console stays English for scripts.
    const QStringList texts = window ? updaterTexts(folder, QCoreApplication::applicationDirPath()) : QStringList();

    const QString snapshots = qEnvironmentVariable(SnapshotsVariable);
    bool closeAfterOk = false;
    const int closeAfterMs = qEnvironmentVariableIntValue(CloseAfterVariable, &closeAfterOk);
    const auto fileError = [&](const QString &message) {
        err << "Ethernet_Update: " << message << '\n' << Qt::flush;
        return window ? showFileError(message, texts, snapshots, closeAfterOk ? closeAfterMs : -1) : 2;
    };

    QList<Operation> operations;
    try {
        operations = readUpdateFile(path);
    } catch (const FileError &e) {
        return fileError(e.message());
    }
    if (qEnvironmentVariableIsSet(PortOverrideVariable)) {
        bool ok = false;
        const uint port = qEnvironmentVariable(PortOverrideVariable).toUInt(&ok);
        if (!ok || port == 0 || port > 65535)
            return fileError(QString::fromLatin1(PortOverrideVariable) + QStringLiteral(" is not a port number"));
        for (Operation &op : operations)
            op.port = quint16(port);
    }

    out << "Ethernet_Update: " << operations.size() << " operation(s) from " << QDir::toNativeSeparators(path)
        << Qt::endl;
    Transfer transfer(operations);
    int exitCode = 1;
    reportOnConsole(transfer, app.get(), out, err);
    QObject::connect(&transfer, &Transfer::completed, app.get(), [&exitCode] { exitCode = 0; });
    if (!window) {
        transfer.run();
        return exitCode;
    }

    // The transfer waits on the network, so it runs on a thread of its own; the window follows it
    // through queued signals and stays responsive.
    UpdateWindow updateWindow(texts);
    updateWindow.setSnapshotFolder(snapshots);
    updateWindow.setCloseAfterEnd(closeAfterOk ? closeAfterMs : -1);
    updateWindow.follow(&transfer);
    QThread worker;
    transfer.moveToThread(&worker);
    worker.start();
    QMetaObject::invokeMethod(&transfer, &Transfer::run, Qt::QueuedConnection);
    QObject::connect(&updateWindow, &QDialog::finished, app.get(), &QCoreApplication::quit);
    updateWindow.show();
    QCoreApplication::exec();
    // The window closes only after the transfer has ended; should it not have, it stops within one
    // request's attempts.
    transfer.requestStop();
    worker.quit();
    worker.wait();
    return exitCode;
}
