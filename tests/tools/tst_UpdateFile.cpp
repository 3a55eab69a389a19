#include "TestFiles.h"

#include "Ethernet_Update/UpdateFile.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace sw::test;

namespace {

#ifdef Q_OS_UNIX
// A FIFO whose reader, should it open it, is let go after at most two seconds: a writer opens it
// and closes it again. A reader that waits on it then fails its test instead of hanging it.
class UnblockedFifo
{
public:
    explicit UnblockedFifo(const QString &path)
        : m_path(QFile::encodeName(path))
    {
        m_made = ::mkfifo(m_path.constData(), 0600) == 0;
        if (m_made)
            m_watchdog = std::thread([this] { watch(); });
    }
    ~UnblockedFifo()
    {
        m_done = true;
        if (m_watchdog.joinable())
            m_watchdog.join();
        ::unlink(m_path.constData());
    }
    bool made() const { return m_made; }

private:
    void watch()
    {
        for (int i = 0; i < 200 && !m_done; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        // Succeeds only while a reader waits in its open; closing gives that reader the end of file.
        for (int i = 0; i < 100 && !m_done; ++i) {
            const int fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                ::close(fd);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    QByteArray m_path;
    bool m_made = false;
    std::atomic<bool> m_done = false;
    std::thread m_watchdog;
};
#endif

} // namespace

// The stand-in updater's reading of its parameter file and data files: what it refuses before it
// sends anything to the device, and how it names the reason.
class tst_UpdateFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // A parameter file with one operation that writes `dataFile` at `startAddress`, to the device
    // at `device` or at the operation's own `operationAddress`; `prolog` goes before the root element.
    QString parameterFile(const QString &dataFile, const QString &startAddress,
        const QString &device = QStringLiteral("127.0.0.1"), const QString &operationAddress = {},
        const QString &prolog = {})
    {
        const QString path = m_dir.filePath(QStringLiteral("Ethernet_Update.xml"));
        const QString xml = prolog
            + QStringLiteral("<Ethernet_Update><Version>1000</Version><IP_Address_Dev>%3</IP_Address_Dev>"
                             "<Boot_Port>2008</Boot_Port><Operations><Operation><Ope_IP_Address>%4</Ope_IP_Address>"
                             "<Ope_Port/><Ope_FileName>%1</Ope_FileName><Ope_Start_Address>%2</Ope_Start_Address>"
                             "<Ope_Read_Back>1</Ope_Read_Back><Ope_GoToApp_After>0</Ope_GoToApp_After></Operation>"
                             "</Operations></Ethernet_Update>")
                  .arg(
                      dataFile.toHtmlEscaped(), startAddress, device.toHtmlEscaped(), operationAddress.toHtmlEscaped());
        return writeFile(path, xml.toUtf8()) ? path : QString();
    }

    // What readUpdateFile() refuses the file with; empty when it takes it.
    static QString whyRefused(const QString &path, QList<updater::Operation> *operations = nullptr)
    {
        try {
            const QList<updater::Operation> read = updater::readUpdateFile(path);
            if (operations)
                *operations = read;
            return {};
        } catch (const updater::FileError &e) {
            return e.message();
        }
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void prologIsPassedOver_data()
    {
        QTest::addColumn<QString>("prolog");
        QTest::newRow("declaration") << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
        QTest::newRow("declaration, comment, instruction, DOCTYPE")
            << "<?xml version=\"1.0\"?>\n<!-- saved elsewhere -->\n<?editor x?>\n<!DOCTYPE Ethernet_Update>\n";
    }

    // A file saved by another tool with a declaration and other nodes before the root is read
    // like one without them.
    void prologIsPassedOver()
    {
        QFETCH(QString, prolog);
        const QString dataFile = m_dir.filePath(QStringLiteral("prolog.bin"));
        QVERIFY(writeFile(dataFile, "abc"));
        QList<updater::Operation> operations;
        const QString message = whyRefused(
            parameterFile(dataFile, QStringLiteral("0x8000"), QStringLiteral("127.0.0.1"), QString(), prolog),
            &operations);
        QVERIFY2(message.isEmpty(), qPrintable(message));
        QCOMPARE(operations.size(), 1);
        QCOMPARE(operations[0].data, QByteArray("abc"));
    }

    void dataFitsItsRegion_data()
    {
        QTest::addColumn<QString>("startAddress");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("refusal"); // a pattern of the message; empty when taken

        const auto over = [](int size, int room, const char *from, const char *region, const char *end) {
            return QStringLiteral("holds %1 bytes, more than the %2 bytes from %3 to the end of the %4 region at %5")
                .arg(size)
                .arg(room)
                .arg(QLatin1String(from), QLatin1String(region), QLatin1String(end));
        };
        QTest::newRow("bank1 fills its region") << "0x07000" << qint64(2048) << QString();
        QTest::newRow("bank1 one byte into the protection word")
            << "0x07000" << qint64(2049) << over(2049, 2048, "0x07000", "bank1", "0x077FF");
        QTest::newRow("firmware fills its region") << "0x8000" << qint64(0x78000) << QString();
        QTest::newRow("firmware one byte into the second image")
            << "0x8000" << qint64(0x78001) << over(0x78001, 0x78000, "0x08000", "firmware", "0x7FFFF");
        QTest::newRow("a block at the firmware's end, one byte over")
            << "0x7FC00" << qint64(1025) << over(1025, 1024, "0x7FC00", "firmware", "0x7FFFF");
        QTest::newRow("bank2 fills the flash") << "0x80000" << qint64(0x80000) << QString();
        QTest::newRow("bank2 one byte past the flash")
            << "0x80000" << qint64(0x80001) << over(0x80001, 0x80000, "0x80000", "bank2", "0xFFFFF");
        // Sparse: it takes no disk, and reading it whole would take 5 GB of memory.
        QTest::newRow("5 GB of firmware") << "0x8000" << qint64(5) * 1024 * 1024 * 1024
                                          << QStringLiteral("holds 5368709120 bytes, more than the 491520 bytes");

        const QString nowhere = QStringLiteral("Ope_Start_Address %1 lies in none of the device's regions \\(bank1 "
                                               "0x07000-0x077FF, firmware 0x08000-0x7FFFF, bank2 0x80000-0xFFFFF\\)");
        QTest::newRow("below the flash") << "0x06FFF" << qint64(1) << nowhere.arg(QStringLiteral("0x06FFF"));
        QTest::newRow("among the protection words") << "0x07800" << qint64(1) << nowhere.arg(QStringLiteral("0x07800"));
        QTest::newRow("above the flash") << "0x100000" << qint64(1) << nowhere.arg(QStringLiteral("0x100000"));
    }

    void dataFileKinds_data()
    {
        QTest::addColumn<QString>("kind"); // what dataFileKinds() puts at the data file's path
        QTest::addColumn<QString>("refusal"); // how the message goes on after the quoted path; empty when taken

        QTest::newRow("regular file") << "file" << QString();
        QTest::newRow("link to a regular file") << "link to file" << QString();
        QTest::newRow("missing") << "nothing"
                                 << "does not exist";
        QTest::newRow("link to nothing") << "link to nothing"
                                         << "is a link whose target does not exist";
        QTest::newRow("empty") << "empty file"
                               << "is empty";
        QTest::newRow("folder") << "folder"
                                << "is a folder, not a file";
#ifdef Q_OS_UNIX
        QTest::newRow("FIFO") << "fifo"
                              << "is a FIFO (named pipe), not a regular file";
        QTest::newRow("link to a FIFO") << "link to fifo"
                                        << "is a FIFO (named pipe), not a regular file";
        QTest::newRow("device") << "/dev/null"
                                << "is a device, not a regular file";
#endif
    }

    // A data file that is no regular file is named for what it is, and a FIFO is never opened,
    // since the open would wait for a writer.
    void dataFileKinds()
    {
        QFETCH(QString, kind);
        QFETCH(QString, refusal);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString target = dir.filePath(QStringLiteral("target"));
        QString dataFile = dir.filePath(QStringLiteral("data.bin"));
        const QByteArray bytes("\x01\x02\x03", 3);
#ifdef Q_OS_UNIX
        std::optional<UnblockedFifo> fifo;
        if (kind.endsWith(QLatin1String("fifo"))) {
            fifo.emplace(kind == QLatin1String("fifo") ? dataFile : target);
            QVERIFY(fifo->made());
        }
#endif
        if (kind == QLatin1String("file"))
            QVERIFY(writeFile(dataFile, bytes));
        else if (kind == QLatin1String("empty file"))
            QVERIFY(writeFile(dataFile, {}));
        else if (kind == QLatin1String("link to file"))
            QVERIFY(writeFile(target, bytes));
        else if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(dataFile));
        else if (kind.startsWith(u'/'))
            dataFile = kind;
        if (kind.startsWith(QLatin1String("link to ")))
            QVERIFY(QFile::link(target, dataFile));

        QElapsedTimer timer;
        timer.start();
        QList<updater::Operation> operations;
        const QString message = whyRefused(parameterFile(dataFile, QStringLiteral("0x8000")), &operations);
        QVERIFY2(timer.elapsed() < 1000, "the reader waited on the data file");
        if (refusal.isEmpty()) {
            QVERIFY2(message.isEmpty(), qPrintable(message));
            QCOMPARE(operations.size(), 1);
            QCOMPARE(operations[0].data, bytes);
            return;
        }
        QCOMPARE(message,
            QStringLiteral("Ethernet_Update.xml: Operation 1: the data file \"%1\" %2")
                .arg(QDir::toNativeSeparators(dataFile), refusal));
    }

    // Data that would run past its region's end, or that starts outside every region, is refused
    // before anything is sent and without reading the data file whole.
    void dataFitsItsRegion()
    {
        QFETCH(QString, startAddress);
        QFETCH(qint64, size);
        QFETCH(QString, refusal);

        const QString dataFile = m_dir.filePath(QStringLiteral("data.bin"));
        QFile data(dataFile);
        QVERIFY(data.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QVERIFY2(data.resize(size), qPrintable(data.errorString()));
        data.close();

        QList<updater::Operation> operations;
        const QString message = whyRefused(parameterFile(dataFile, startAddress), &operations);
        QFile::remove(dataFile);
        if (refusal.isEmpty()) {
            QVERIFY2(message.isEmpty(), qPrintable(message));
            QCOMPARE(operations.size(), 1);
            QCOMPARE(operations[0].data.size(), size);
            return;
        }
        QVERIFY2(message.contains(QRegularExpression(refusal)), qPrintable(message));
        QVERIFY2(message.startsWith(QStringLiteral("Ethernet_Update.xml: Operation 1: ")), qPrintable(message));
    }

    void deviceAddress_data()
    {
        QTest::addColumn<QString>("device"); // IP_Address_Dev
        QTest::addColumn<QString>("operation"); // Ope_IP_Address
        QTest::addColumn<QString>("host"); // where the operation goes; empty when refused

        QTest::newRow("device address") << "192.168.2.205"
                                        << ""
                                        << "192.168.2.205";
        QTest::newRow("leading zeros, as typed in the boxes") << "192.168.002.205"
                                                              << ""
                                                              << "192.168.2.205";
        QTest::newRow("leading zero is decimal, not octal") << "010.0.0.1"
                                                            << ""
                                                            << "10.0.0.1";
        QTest::newRow("operation's own address with zeros") << "127.0.0.1"
                                                            << "127.000.000.001"
                                                            << "127.0.0.1";
        QTest::newRow("three parts") << "1.2.3"
                                     << ""
                                     << "";
        QTest::newRow("blank before") << " 1.2.3.4"
                                      << ""
                                      << "";
        QTest::newRow("hexadecimal") << "0x7f.0.0.1"
                                     << ""
                                     << "";
        QTest::newRow("operation's own address refused") << "127.0.0.1"
                                                         << "256.0.0.1"
                                                         << "";
    }

    // The addresses of the file are read as the address boxes mean them and handed on in the usual
    // form, so that nothing downstream reads a part with a leading zero as octal.
    void deviceAddress()
    {
        QFETCH(QString, device);
        QFETCH(QString, operation);
        QFETCH(QString, host);

        const QString dataFile = m_dir.filePath(QStringLiteral("data.bin"));
        QVERIFY(writeFile(dataFile, "\x01"));
        QList<updater::Operation> operations;
        const QString message
            = whyRefused(parameterFile(dataFile, QStringLiteral("0x8000"), device, operation), &operations);
        if (host.isEmpty()) {
            const QString value = operation.isEmpty() ? device : operation;
            QVERIFY2(message.contains(QStringLiteral("is \"%1\", expected an IPv4 address").arg(value)),
                qPrintable(message));
            return;
        }
        QVERIFY2(message.isEmpty(), qPrintable(message));
        QCOMPARE(operations.size(), 1);
        QCOMPARE(operations[0].host, host);
    }
};

QTEST_GUILESS_MAIN(tst_UpdateFile)
#include "tst_UpdateFile.moc"
