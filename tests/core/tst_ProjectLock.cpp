// Writers of one configuration take turns: while another writer holds the configuration's lock, a
// save waits for it, and fails with a message naming the configuration when it is not released
// in time, writing nothing.
#include "TestFiles.h"

#include "core/Error.h"
#include "core/documents/ParGenDocument.h"
#include "core/files/ProjectLock.h"
#include "core/image/Compiler.h"

#include <QElapsedTimer>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace sw;
using namespace sw::test;

class tst_ProjectLock : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void heldLockRefusesEveryWriter_data()
    {
        QTest::addColumn<bool>("images");
        QTest::newRow("document") << false;
        QTest::newRow("image pair") << true;
    }

    void heldLockRefusesEveryWriter()
    {
        QFETCH(bool, images);
        QTemporaryDir dir;
        const QString project = dir.filePath(QStringLiteral("Plant 7"));
        QVERIFY(writeFile(project + QStringLiteral("/ParGen.xml"), "before"));
        QVERIFY(writeFile(project + QStringLiteral("/bin/bank1.bin"), "before"));

        // Another writer: a lock of its own on the same file, as another process would hold it.
        QLockFile other(project + QLatin1Char('/') + QLatin1String(files::ProjectLockName));
        QVERIFY(other.tryLock(0));

        QElapsedTimer clock;
        clock.start();
        QString error;
        try {
            if (images)
                image::Save_Bin(project + QStringLiteral("/bin"), image::Images { "new 1", "new 2" });
            else
                writeParGenFile(project + QStringLiteral("/ParGen.xml"), ParGenValues {});
        } catch (const Error &e) {
            error = e.message();
        }
        QVERIFY2(error.contains(QStringLiteral("\"Plant 7\" is being written by another program")), qPrintable(error));
        QVERIFY(clock.elapsed() >= files::ProjectLockWaitMs - 100);
        QCOMPARE(readFile(project + QStringLiteral("/ParGen.xml")), QByteArray("before"));
        QCOMPARE(readFile(project + QStringLiteral("/bin/bank1.bin")), QByteArray("before"));
        QVERIFY(!QFile::exists(project + QStringLiteral("/bin/bank2.bin")));
    }

    // A writer that finishes within the wait lets the next one write; the lock is gone afterwards.
    void writerWaitsForTheOther()
    {
        QTemporaryDir dir;
        const QString lockPath = dir.filePath(QLatin1String(files::ProjectLockName));
        auto *other = new QLockFile(lockPath);
        QVERIFY(other->tryLock(0));
        std::unique_ptr<QThread> releaser(QThread::create([other] {
            QThread::msleep(300);
            delete other;
        }));
        releaser->start();
        QVERIFY_THROWS_NO_EXCEPTION(writeParGenFile(dir.filePath(QStringLiteral("ParGen.xml")), ParGenValues {}));
        releaser->wait();
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("ParGen.xml"))));
        QVERIFY(!QFile::exists(lockPath));
    }
};

QTEST_GUILESS_MAIN(tst_ProjectLock)
#include "tst_ProjectLock.moc"
