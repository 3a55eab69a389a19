#include "TestFiles.h"

#include "Ethernet_Update/UpdateFile.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace sw::test;

// The stand-in updater's reading of its parameter file and data files: what it refuses before it
// sends anything to the device, and how it names the reason.
class tst_UpdateFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // A parameter file with one operation that writes `dataFile` at `startAddress`.
    QString parameterFile(const QString &dataFile, const QString &startAddress)
    {
        const QString path = m_dir.filePath(QStringLiteral("Ethernet_Update.xml"));
        const QString xml
            = QStringLiteral("<Ethernet_Update><Version>1000</Version><IP_Address_Dev>127.0.0.1</IP_Address_Dev>"
                             "<Boot_Port>2008</Boot_Port><Operations><Operation><Ope_IP_Address/><Ope_Port/>"
                             "<Ope_FileName>%1</Ope_FileName><Ope_Start_Address>%2</Ope_Start_Address>"
                             "<Ope_Read_Back>1</Ope_Read_Back><Ope_GoToApp_After>0</Ope_GoToApp_After></Operation>"
                             "</Operations></Ethernet_Update>")
                  .arg(dataFile.toHtmlEscaped(), startAddress);
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
};

QTEST_GUILESS_MAIN(tst_UpdateFile)
#include "tst_UpdateFile.moc"
