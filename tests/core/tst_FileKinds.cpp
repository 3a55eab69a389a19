// What the configurator reads whole and where it writes: only regular files are read, up to a
// size limit checked before reading; a save in the program folder replaces only a regular file,
// and a save to a file the user chose may also go through a link to one. A refused save changes
// nothing at the path or behind it.
#include "TestFiles.h"

#include "core/Error.h"
#include "core/files/AtomicFile.h"
#include "core/files/RegularFile.h"

#include <QTemporaryDir>
#include <QTest>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

using namespace sw;
using namespace sw::test;
using files::Target;

Q_DECLARE_METATYPE(Target)

namespace {

enum class Kind { Absent, Regular, LinkToRegular, DanglingLink, LinkToFifo, Folder, Fifo, Socket, Device };

// Puts a thing of `kind` at `path`; the regular file a link points to is `outside`, beside the
// folder. False when this process cannot make it (a device node needs root).
bool make(Kind kind, const QString &path, const QString &outside)
{
    const QByteArray p = QFile::encodeName(path);
    switch (kind) {
    case Kind::Absent:
        return true;
    case Kind::Regular:
        return writeFile(path, "before");
    case Kind::LinkToRegular:
        return writeFile(outside, "outside") && QFile::link(outside, path);
    case Kind::DanglingLink:
        return QFile::link(outside, path);
    case Kind::LinkToFifo:
        // Never a link to a real device such as /dev/null: a faulty save would replace it.
        return ::mkfifo(QFile::encodeName(outside).constData(), 0600) == 0 && QFile::link(outside, path);
    case Kind::Folder:
        return QDir().mkpath(path);
    case Kind::Fifo:
        return ::mkfifo(p.constData(), 0600) == 0;
    case Kind::Socket: {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        if (fd < 0 || size_t(p.size()) >= sizeof(address.sun_path))
            return false;
        std::memcpy(address.sun_path, p.constData(), size_t(p.size()));
        const bool bound = ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0;
        ::close(fd);
        return bound;
    }
    case Kind::Device:
        // A node of its own in the scratch folder, for the same reason.
        return ::mknod(p.constData(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    }
    return false;
}

// The kind of thing at `path` now, as ls would say it.
QString kindAt(const QString &path)
{
    struct stat s
    {
    };
    if (::lstat(QFile::encodeName(path).constData(), &s) != 0)
        return QStringLiteral("absent");
    if (S_ISLNK(s.st_mode))
        return QStringLiteral("link");
    if (S_ISREG(s.st_mode))
        return QStringLiteral("regular");
    if (S_ISDIR(s.st_mode))
        return QStringLiteral("folder");
    if (S_ISFIFO(s.st_mode))
        return QStringLiteral("fifo");
    if (S_ISSOCK(s.st_mode))
        return QStringLiteral("socket");
    return QStringLiteral("device");
}

} // namespace

Q_DECLARE_METATYPE(Kind)

class tst_FileKinds : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void saves_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<Target>("target");
        QTest::addColumn<bool>("written");
        QTest::addColumn<QByteArray>("outsideAfter"); // the linked file afterwards; empty: none

        const struct
        {
            const char *name;
            Kind kind;
            bool own;
            bool chosen;
            QByteArray outside;
        } kinds[] = {
            { "absent", Kind::Absent, true, true, {} },
            { "regular file", Kind::Regular, true, true, {} },
            { "link to a regular file", Kind::LinkToRegular, false, true, "outside" },
            { "dangling link", Kind::DanglingLink, false, false, {} },
            { "link to a FIFO", Kind::LinkToFifo, false, false, {} },
            { "folder", Kind::Folder, false, false, {} },
            { "FIFO", Kind::Fifo, false, false, {} },
            { "socket", Kind::Socket, false, false, {} },
            { "device", Kind::Device, false, false, {} },
        };
        for (const auto &k : kinds) {
            QTest::addRow("own file: %s", k.name) << k.kind << Target::Own << k.own << k.outside;
            QTest::addRow("chosen file: %s", k.name)
                << k.kind << Target::Chosen << k.chosen << (k.kind == Kind::LinkToRegular ? "new" : k.outside);
        }
    }

    // A refused save throws an error naming the path and leaves the thing there, and what a link
    // points to, as they were; no file appears where a dangling link points.
    void saves()
    {
        QFETCH(Kind, kind);
        QFETCH(Target, target);
        QFETCH(bool, written);
        QFETCH(QByteArray, outsideAfter);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("project/ParGen.xml"));
        const QString outside = dir.filePath(QStringLiteral("elsewhere.xml"));
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("project"))));
        if (!make(kind, path, outside))
            QSKIP("this process cannot make that kind of file here");
        const QString before = kindAt(path);

        QString error;
        try {
            files::saveBytes("new", path, target);
        } catch (const Error &e) {
            error = e.message();
        }
        if (written) {
            QVERIFY2(error.isEmpty(), qPrintable(error));
            QCOMPARE(kindAt(path), kind == Kind::LinkToRegular ? QStringLiteral("link") : QStringLiteral("regular"));
            QCOMPARE(readFile(path), QByteArray("new"));
        } else {
            QVERIFY(!error.isEmpty());
            QVERIFY2(error.contains(QDir::toNativeSeparators(path)), qPrintable(error));
            QCOMPARE(kindAt(path), before);
        }
        if (kind == Kind::LinkToFifo)
            QCOMPARE(kindAt(outside), QStringLiteral("fifo"));
        else if (outsideAfter.isEmpty())
            QCOMPARE(kindAt(outside), QStringLiteral("absent"));
        else
            QCOMPARE(readFile(outside), outsideAfter);
        // No temporary file is left behind.
        const QStringList left = QDir(dir.filePath(QStringLiteral("project")))
                                     .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
        QCOMPARE(left, kindAt(path) == QLatin1String("absent") ? QStringList() : QStringList { "ParGen.xml" });
    }

    void reads_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<QString>("refusal"); // empty: read

        QTest::newRow("at the limit") << Kind::Regular << qint64(100) << qint64(100) << QString();
        QTest::newRow("one byte over") << Kind::Regular << qint64(101) << qint64(100) << QStringLiteral("larger than");
        // Sparse: the refusal must come from the size, not from reading 5 GB.
        QTest::newRow("5 GB against the default limit")
            << Kind::Regular << qint64(5) * 1024 * 1024 * 1024 << files::MaxReadBytes << QStringLiteral("64 MiB");
        QTest::newRow("folder") << Kind::Folder << qint64(0) << files::MaxReadBytes
                                << QStringLiteral("not a regular file");
        QTest::newRow("FIFO") << Kind::Fifo << qint64(0) << files::MaxReadBytes << QStringLiteral("not a regular file");
        QTest::newRow("link to a FIFO") << Kind::LinkToFifo << qint64(0) << files::MaxReadBytes
                                        << QStringLiteral("not a regular file");
        QTest::newRow("socket") << Kind::Socket << qint64(0) << files::MaxReadBytes
                                << QStringLiteral("not a regular file");
        QTest::newRow("missing") << Kind::Absent << qint64(0) << files::MaxReadBytes
                                 << QStringLiteral("No such file or directory");
        QTest::newRow("link to a regular file") << Kind::LinkToRegular << qint64(7) << files::MaxReadBytes << QString();
        QTest::newRow("empty") << Kind::Regular << qint64(0) << files::MaxReadBytes << QString();
    }

    void reads()
    {
        QFETCH(Kind, kind);
        QFETCH(qint64, size);
        QFETCH(qint64, limit);
        QFETCH(QString, refusal);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("file"));
        QVERIFY(make(kind, path, dir.filePath(QStringLiteral("outside"))));
        if (kind == Kind::Regular) {
            QFile file(path);
            QVERIFY(file.resize(size));
        }
        try {
            QCOMPARE(files::readFileBytes(path, limit).size(), size);
            QVERIFY2(refusal.isEmpty(), "read");
        } catch (const Error &e) {
            QVERIFY2(!refusal.isEmpty() && e.message().contains(refusal), qPrintable(e.message()));
            QVERIFY2(e.message().contains(QDir::toNativeSeparators(path)), qPrintable(e.message()));
        }
    }
};

QTEST_GUILESS_MAIN(tst_FileKinds)
#include "tst_FileKinds.moc"
