// Starts the configurator and two reference Qt Widgets programs in turn, each from a scratch
// program folder, and prints per program the median and spread of the time from process start to
// the first mapped top-level window (seen from outside, as the X server's MapNotify) and of the
// resident memory once the program is idle, then the ratios of the configurator to each reference.
// The references are an empty window (the floor of any Qt Widgets program) and a window showing
// one line of text in a layout (which adds what every program pays that lays out text before its
// window appears: fontconfig, the font database, one font file and the text shaping libraries).
//
//   bench_start [--runs N] [--display :D | --xvfb] [--idle-ms MS] [--program PATH] [--compare PATH]
//
// --program measures another build of the configurator (from its own program folder, beside
// which its LANGUAGE folder is taken) in place of this build's. --compare measures another build
// as well, in the same rounds, so an earlier and a later build are compared in one run.
// Without --display it uses $DISPLAY; with --xvfb, or when there is no display, it starts its own
// Xvfb (no TCP listener).
// Exit code 0 on success, 1 when a program could not be started or never showed a window.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <poll.h>
#include <vector>
#include <xcb/xcb.h>

namespace {

constexpr int MapTimeoutMs = 20000;

struct Program
{
    const char *label;
    QString path;
    QString folder; // its working folder
    std::vector<double> startMs;
    std::vector<double> rssMb;
};

struct Display
{
    QString name;
    std::unique_ptr<QProcess> xvfb;
    xcb_connection_t *connection = nullptr;

    ~Display()
    {
        if (connection)
            xcb_disconnect(connection);
        if (xvfb) {
            xvfb->terminate();
            if (!xvfb->waitForFinished(5000))
                xvfb->kill();
            xvfb->waitForFinished(2000);
        }
    }
};

bool connectTo(Display &display)
{
    xcb_connection_t *c = xcb_connect(display.name.toLocal8Bit().constData(), nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return false;
    }
    display.connection = c;
    return true;
}

// Starts Xvfb on the first display number that has neither a lock file nor a socket, and waits
// (bounded) until it accepts a connection.
bool startXvfb(Display &display)
{
    for (int n = 90; n < 130; ++n) {
        if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n))
            || QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)))
            continue;
        display.name = QStringLiteral(":%1").arg(n);
        display.xvfb = std::make_unique<QProcess>();
        display.xvfb->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        display.xvfb->start(QStringLiteral("Xvfb"),
            { display.name, QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                QStringLiteral("-nolisten"), QStringLiteral("tcp") });
        if (!display.xvfb->waitForStarted(5000))
            return false;
        for (int attempt = 0; attempt < 100; ++attempt) {
            if (display.xvfb->state() != QProcess::Running)
                break;
            if (connectTo(display))
                return true;
            QThread::msleep(50);
        }
        display.xvfb->kill();
        display.xvfb->waitForFinished(2000);
        display.xvfb.reset();
    }
    return false;
}

// Waits, bounded in time, for a top-level window to be mapped; true when one was.
bool waitForMap(xcb_connection_t *c, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    const int fd = xcb_get_file_descriptor(c);
    while (timer.elapsed() < timeoutMs) {
        while (xcb_generic_event_t *event = xcb_poll_for_event(c)) {
            const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
            free(event);
            if (mapped)
                return true;
        }
        if (xcb_connection_has_error(c))
            return false;
        pollfd p { fd, POLLIN, 0 };
        poll(&p, 1, int(std::max<qint64>(1, timeoutMs - timer.elapsed())));
    }
    return false;
}

void drainEvents(xcb_connection_t *c)
{
    while (xcb_generic_event_t *event = xcb_poll_for_event(c))
        free(event);
}

double residentMb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}

bool runOnce(Program &program, const QString &displayName, xcb_connection_t *c, int idleMs)
{
    drainEvents(c);
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), displayName);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(program.folder);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(program.path, {});
    if (!process.waitForStarted(5000)) {
        std::fprintf(stderr, "bench_start: cannot start %s\n", qPrintable(program.path));
        return false;
    }
    const bool mapped = waitForMap(c, MapTimeoutMs);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    bool ok = mapped;
    if (mapped) {
        QThread::msleep(idleMs);
        const double rss = residentMb(process.processId());
        program.startMs.push_back(ms);
        program.rssMb.push_back(rss);
    } else {
        std::fprintf(stderr, "bench_start: %s showed no window within %d ms\n", program.label, MapTimeoutMs);
    }
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(2000);
    }
    return ok;
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void print(const Program &p)
{
    const auto [tMin, tMax] = std::minmax_element(p.startMs.begin(), p.startMs.end());
    const auto [mMin, mMax] = std::minmax_element(p.rssMb.begin(), p.rssMb.end());
    std::printf("%-13s start %7.1f ms (%.1f .. %.1f)   resident %6.1f MB (%.1f .. %.1f)\n", p.label, median(p.startMs),
        *tMin, *tMax, median(p.rssMb), *mMin, *mMax);
}

bool copyInto(const QString &from, const QString &folder)
{
    const QString to = QDir(folder).filePath(QFileInfo(from).fileName());
    return QFile::copy(from, to) && QFile::setPermissions(to, QFile::permissions(from));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int runs = 9;
    int idleMs = 1000;
    QString configuratorPath = QStringLiteral(SW_CONFIGURATOR_PATH);
    QString comparePath;
    Display display;
    display.name = qEnvironmentVariable("DISPLAY");
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString value = args.value(i + 1);
        if (args[i] == QLatin1String("--xvfb"))
            display.name.clear();
        else if (args[i] == QLatin1String("--runs"))
            runs = std::clamp(value.toInt(), 1, 1000), ++i;
        else if (args[i] == QLatin1String("--display"))
            display.name = value, ++i;
        else if (args[i] == QLatin1String("--idle-ms"))
            idleMs = std::clamp(value.toInt(), 0, 60000), ++i;
        else if (args[i] == QLatin1String("--program"))
            configuratorPath = QFileInfo(value).absoluteFilePath(), ++i;
        else if (args[i] == QLatin1String("--compare"))
            comparePath = QFileInfo(value).absoluteFilePath(), ++i;
    }

    // Each configurator build gets a scratch program folder of its own holding the program and its
    // language files, so it writes its workspace and settings there and never in a build.
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        std::fprintf(stderr, "bench_start: cannot make a scratch folder\n");
        return 1;
    }
    const auto prepare = [&scratch](const QString &sub, const QStringList &programs, const QString &languages) {
        const QString folder = QDir(scratch.path()).filePath(sub);
        const QString languageFolder = QDir(folder).filePath(QStringLiteral("LANGUAGE"));
        if (!QDir().mkpath(languageFolder))
            return QString();
        for (const QString &name : QDir(languages).entryList(QDir::Files))
            copyInto(QDir(languages).filePath(name), languageFolder);
        for (const QString &program : programs) {
            if (!copyInto(program, folder))
                return QString();
        }
        return folder;
    };
    const auto languagesOf
        = [](const QString &program) { return QFileInfo(program).dir().filePath(QStringLiteral("LANGUAGE")); };
    const QString references = prepare(QStringLiteral("references"),
        { QStringLiteral(SW_BARE_WINDOW_PATH), QStringLiteral(SW_TEXT_WINDOW_PATH) }, QString());
    const QString folder = prepare(QStringLiteral("configurator"), { configuratorPath }, languagesOf(configuratorPath));
    const QString compareFolder = comparePath.isEmpty()
        ? QString()
        : prepare(QStringLiteral("compared"), { comparePath }, languagesOf(comparePath));
    if (references.isEmpty() || folder.isEmpty() || (!comparePath.isEmpty() && compareFolder.isEmpty())) {
        std::fprintf(stderr, "bench_start: cannot prepare the scratch program folders\n");
        return 1;
    }
    const auto inFolder
        = [](const QString &dir, const QString &program) { return QDir(dir).filePath(QFileInfo(program).fileName()); };
    Program bare { "empty window", inFolder(references, QStringLiteral(SW_BARE_WINDOW_PATH)), references, {}, {} };
    Program text { "text window", inFolder(references, QStringLiteral(SW_TEXT_WINDOW_PATH)), references, {}, {} };
    Program configurator { "configurator", inFolder(folder, configuratorPath), folder, {}, {} };
    Program compared { "compared", inFolder(compareFolder, comparePath), compareFolder, {}, {} };

    const bool ownDisplay = display.name.isEmpty();
    if (ownDisplay ? !startXvfb(display) : !connectTo(display)) {
        std::fprintf(stderr, "bench_start: no X display\n");
        return 1;
    }
    const xcb_setup_t *setup = xcb_get_setup(display.connection);
    const xcb_window_t root = xcb_setup_roots_iterator(setup).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(display.connection, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(display.connection);

    // One start of each first, unmeasured, so all find the same warm file and font caches.
    std::vector<Program *> order { &bare, &text, &configurator };
    if (!comparePath.isEmpty())
        order.push_back(&compared);
    for (Program *p : order) {
        if (!runOnce(*p, display.name, display.connection, 0))
            return 1;
        p->startMs.clear();
        p->rssMb.clear();
    }
    for (int r = 0; r < runs; ++r) {
        for (Program *p : order) {
            if (!runOnce(*p, display.name, display.connection, idleMs))
                return 1;
        }
    }
    std::printf("%d starts each on %s%s\n", runs, qPrintable(display.name), ownDisplay ? " (Xvfb)" : "");
    for (Program *p : order)
        print(*p);
    const auto ratios = [&](const Program &p) {
        std::printf("%-13s start %.2f x empty, %.2f x text   resident %.2f x empty, %.2f x text\n", p.label,
            median(p.startMs) / median(bare.startMs), median(p.startMs) / median(text.startMs),
            median(p.rssMb) / median(bare.rssMb), median(p.rssMb) / median(text.rssMb));
    };
    ratios(configurator);
    if (!comparePath.isEmpty())
        ratios(compared);
    return 0;
}
