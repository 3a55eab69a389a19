#include "core/Error.h"
#include "platform/posix/PosixIcmpEcho.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <netinet/in.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace sw;
using namespace std::chrono_literals;

namespace {

// What the probe program reported from inside a network namespace.
struct ProbeResult
{
    int exitCode = -1;
    QString outcome; // "answered", "silent" or "error: ..."
    int elapsedMs = -1;
    int calls = -1;
};

// Runs `setup` and then the probe in a fresh network namespace (its own loopback, its own ICMP
// settings), so that the host's settings and interfaces are never touched. `prefix` goes in front
// of the probe's command line.
ProbeResult probeInNamespace(const QString &probe, const QString &setup, const QString &prefix, const QString &kind)
{
    const QString script
        = QStringLiteral("%1 exec %2 '%3' 127.0.0.1 400 %4")
              .arg(setup.isEmpty() ? QString() : QStringLiteral("{ %1; } || exit 97;").arg(setup), prefix, probe, kind);
    QProcess process;
    process.start(
        QStringLiteral("unshare"), { QStringLiteral("-n"), QStringLiteral("sh"), QStringLiteral("-c"), script });
    ProbeResult result;
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished(1000);
        return result;
    }
    const QStringList lines = QString::fromLocal8Bit(process.readAllStandardOutput()).split(QLatin1Char('\n'));
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.outcome = lines.value(0);
    result.elapsedMs = lines.value(1).toInt();
    result.calls = lines.value(2).toInt();
    if (result.exitCode > 2)
        qWarning() << "namespace probe:" << process.readAllStandardError();
    return result;
}

// Why the system's ping cannot stand in for a user without ICMP sockets here; empty when it can.
// It needs a privilege of its own: setuid or a file capability.
QString pingRefusal()
{
    if (::geteuid() != 0)
        return QStringLiteral("taking another user's id to lose the ICMP sockets needs root");
    const QString ping = QStandardPaths::findExecutable(QStringLiteral("ping"));
    if (ping.isEmpty())
        return QStringLiteral("the system has no ping (iputils-ping)");
    const QByteArray path = QFile::encodeName(QFileInfo(ping).canonicalFilePath());
    struct stat status = {};
    if (::stat(path.constData(), &status) != 0
        || (!(status.st_mode & S_ISUID) && ::getxattr(path.constData(), "security.capability", nullptr, 0) <= 0))
        return QStringLiteral("the system's ping has neither setuid nor a file capability");
    return QString();
}

// Why namespaces cannot be used here; empty when they can.
QString namespaceRefusal()
{
    for (const char *tool : { "unshare", "ip", "sysctl", "setpriv" })
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()
            && QStandardPaths::findExecutable(
                QString::fromLatin1(tool), { QStringLiteral("/usr/sbin"), QStringLiteral("/sbin") })
                   .isEmpty())
            return QStringLiteral("the tool %1 is missing").arg(QLatin1String(tool));
    QProcess process;
    process.start(QStringLiteral("unshare"),
        { QStringLiteral("-n"), QStringLiteral("sh"), QStringLiteral("-c"), QStringLiteral("ip link set lo up") });
    if (!process.waitForFinished(5000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        process.kill();
        return QStringLiteral("a network namespace cannot be created and set up here (unshare -n; ip link)");
    }
    return QString();
}

} // namespace

class tst_IcmpEcho : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("PATH", qgetenv("PATH") + ":/usr/sbin:/sbin");
        // A copy of the probe that every user can run, whatever the build folder lets others do.
        QVERIFY(m_probeFolder.isValid());
        m_probe = m_probeFolder.filePath(QStringLiteral("echo_probe"));
        QVERIFY(QFile::copy(QStringLiteral(SW_ECHO_PROBE_PATH), m_probe));
        QVERIFY(QFile::setPermissions(m_probeFolder.path(),
            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
        QVERIFY(
            QFile::setPermissions(m_probe, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
    }

    // Loopback answers every request; the payload is cut to the packet and may be empty, yet the
    // reply always carries the packet's data. Leading zeros in the address are decimal.
    void loopbackAnswers_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QByteArray>("payload");
        const QString loopback = QStringLiteral("127.0.0.1");
        QTest::newRow("dotted address") << loopback << QByteArray("127.0.0.1");
        QTest::newRow("empty") << loopback << QByteArray();
        QTest::newRow("longer than the packet") << loopback << QByteArray(3000, 'x');
        QTest::newRow("leading zeros") << QStringLiteral("127.000.000.001") << QByteArray("127.000.000.001");
    }
    void loopbackAnswers()
    {
        QFETCH(QString, address);
        QFETCH(QByteArray, payload);
        PosixIcmpEcho echo;
        QElapsedTimer timer;
        timer.start();
        QVERIFY(echo.echo(address, payload, 400ms));
        QVERIFY2(timer.elapsed() < 300, "loopback answers at once");
    }

    // The request as it travels: an ICMP echo of 1024 bytes whose data begin with the payload and
    // are zero-filled after it, with a valid checksum. Seen through a raw socket of the test's own.
    void requestOnTheWire()
    {
        const int watcher = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
        if (watcher < 0)
            QSKIP("a raw ICMP socket needs CAP_NET_RAW, which this test does not have");
        const auto closeWatcher = qScopeGuard([watcher] { ::close(watcher); });

        const QByteArray payload("10.0.0.42");
        QVERIFY(PosixIcmpEcho().echo(QStringLiteral("127.0.0.1"), payload, 400ms));

        QByteArray request;
        unsigned char buffer[4096];
        for (int reads = 0; reads < 200 && request.isEmpty(); ++reads) {
            pollfd waiting { watcher, POLLIN, 0 };
            if (::poll(&waiting, 1, 100) <= 0)
                break;
            const ssize_t size = ::recv(watcher, buffer, sizeof buffer, 0);
            if (size < 20)
                continue;
            const int header = (buffer[0] & 0x0f) * 4;
            const QByteArray icmp(reinterpret_cast<const char *>(buffer) + header, size - header);
            if (icmp.size() >= 8 && quint8(icmp[0]) == ICMP_ECHO && icmp.mid(8).startsWith(payload))
                request = icmp;
        }
        QCOMPARE(request.size(), PosixIcmpEcho::PacketSize);
        QCOMPARE(request.mid(8, payload.size()), payload);
        QCOMPARE(request.mid(8 + payload.size()), QByteArray(PosixIcmpEcho::DataSize - payload.size(), '\0'));
        quint32 sum = 0;
        for (int i = 0; i < request.size(); i += 2)
            sum += quint32(quint8(request[i])) << 8 | quint8(request[i + 1]);
        while (sum >> 16)
            sum = (sum & 0xffff) + (sum >> 16);
        QCOMPARE(sum, 0xffffu);
    }

    // Only a literal dotted IPv4 address is a target: nothing is looked up.
    void notAnAddress_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("word") << QStringLiteral("abc");
        QTest::newRow("three parts") << QStringLiteral("1.2.3");
        QTest::newRow("host name") << QStringLiteral("host.example");
        QTest::newRow("localhost") << QStringLiteral("localhost");
        QTest::newRow("empty") << QString();
        QTest::newRow("part above 255") << QStringLiteral("192.168.2.256");
        QTest::newRow("blank around") << QStringLiteral(" 127.0.0.1");
        QTest::newRow("IPv6") << QStringLiteral("::1");
        QTest::newRow("embedded NUL") << QStringLiteral("127.0.0.1") + QChar(0) + QStringLiteral("x");
    }
    void notAnAddress()
    {
        QFETCH(QString, address);
        int calls = 0;
        try {
            PosixIcmpEcho().echo(address, address.toLatin1(), 400ms, [&calls] { ++calls; });
            QFAIL("the echo took a target that is not an address");
        } catch (const EchoError &e) {
            QCOMPARE(e.reason(), EchoFailure::NotAnAddress);
            QCOMPARE(e.detail(), address);
        }
        QCOMPARE(calls, 0);
    }

    // Real peers in a network namespace of the test: loopback made silent, the unprivileged
    // datagram socket permitted there, ICMP sockets refused altogether, and a send the system
    // refuses because the namespace has no network up. A user who may open no ICMP socket
    // (another user id, no group in net.ipv4.ping_group_range) has the system's ping send the
    // request, with the same answers and time-out; where ping cannot gain its privilege either,
    // the permission is reported as missing.
    void inNamespace_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<bool>("throughPing");

        const QString up = QStringLiteral("ip link set lo up");
        const QString silent = QStringLiteral(" && sysctl -qw net.ipv4.icmp_echo_ignore_all=1");
        const QString datagram = QStringLiteral(" && sysctl -qw net.ipv4.ping_group_range='0 2147483647'");
        const QString noDatagram = QStringLiteral(" && sysctl -qw net.ipv4.ping_group_range='1 0'");
        const QString noRaw = QStringLiteral("setpriv --bounding-set -net_raw");
        const QString nobody = QStringLiteral("setpriv --reuid=65534 --regid=65534 --clear-groups");
        const QString notPermitted = QStringLiteral("error: not-permitted: *net.ipv4.ping_group_range*");

        QTest::newRow("silent device, raw socket") << up + silent << QString() << "raw" << 1 << "silent" << false;
        QTest::newRow("datagram socket answered")
            << up + datagram << QString() << "datagram" << 0 << "answered" << false;
        QTest::newRow("datagram socket chosen, answered")
            << up + datagram << noRaw << "auto" << 0 << "answered" << false;
        QTest::newRow("datagram socket, silent device")
            << up + silent + datagram << QString() << "datagram" << 1 << "silent" << false;
        QTest::newRow("no ICMP socket permitted, ping without its privilege")
            << up + noDatagram << noRaw << "auto" << 2 << notPermitted << false;
        QTest::newRow("datagram socket not permitted")
            << up + noDatagram << QString() << "datagram" << 2 << notPermitted << false;
        QTest::newRow("send refused, network down")
            << QString() << QString() << "auto" << 2 << "error: no-route: *send*" << false;
        QTest::newRow("excluded user, ping answered") << up + noDatagram << nobody << "auto" << 0 << "answered" << true;
        QTest::newRow("excluded user, ping to a silent device")
            << up + silent + noDatagram << nobody << "auto" << 1 << "silent" << true;
        QTest::newRow("excluded user, ping without its privilege")
            << up + noDatagram << nobody + QStringLiteral(" --bounding-set -net_raw") << "auto" << 2 << notPermitted
            << true;
        QTest::newRow("excluded user, network down")
            << QString() << nobody << "auto" << 2 << "error: no-route: *" << true;
    }
    void inNamespace()
    {
        QFETCH(QString, setup);
        QFETCH(QString, prefix);
        QFETCH(QString, kind);
        QFETCH(int, exitCode);
        QFETCH(QString, outcome);
        QFETCH(bool, throughPing);
        static const QString refusal = namespaceRefusal();
        if (!refusal.isEmpty())
            QSKIP(qPrintable(refusal));
        static const QString pingMissing = pingRefusal();
        if (throughPing && !pingMissing.isEmpty())
            QSKIP(qPrintable(pingMissing));

        const ProbeResult result = probeInNamespace(m_probe, setup, prefix, kind);
        if (result.exitCode == 97)
            QSKIP("the network namespace's interfaces or ICMP settings cannot be changed here");
        QVERIFY2(QRegularExpression(QRegularExpression::wildcardToRegularExpression(outcome))
                     .match(result.outcome)
                     .hasMatch(),
            qPrintable(result.outcome));
        QCOMPARE(result.exitCode, exitCode);
        if (exitCode == 1) {
            // No answer: the whole time-out is waited, and the wait keeps calling back.
            QVERIFY2(result.elapsedMs >= 395 && result.elapsedMs < 1000, qPrintable(QString::number(result.elapsedMs)));
            QVERIFY2(result.calls >= 10, qPrintable(QString::number(result.calls)));
        }
    }

private:
    QTemporaryDir m_probeFolder;
    QString m_probe;
};

QTEST_GUILESS_MAIN(tst_IcmpEcho)
#include "tst_IcmpEcho.moc"
