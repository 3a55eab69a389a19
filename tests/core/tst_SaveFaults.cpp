#include "SavedVersions.h"
#include "TestFiles.h"

#include "core/Error.h"
#include "core/files/AtomicFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <sys/mount.h>
#include <unistd.h>

using namespace sw;
using namespace sw::test;

namespace {

enum class Fault {
    ReadOnlyFolder, // a file system mounted read-only
    FullDisk, // a file system with no space left
    FailedWrite, // injected: the temporary file takes part of the bytes, then the write fails
    FailedReplace, // injected: the temporary file is complete, but it cannot replace the target
};

constexpr int Bulk = 2000;
constexpr char MountOptions[] = "size=256k,mode=700";

// A small tmpfs on a folder of its own for the life of the object, when this process may mount
// one (root, and mounting permitted here); it is detached again at the end.
class ScratchFileSystem
{
public:
    ScratchFileSystem()
    {
        m_mounted = m_dir.isValid() && ::geteuid() == 0
            && ::mount(
                   "tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", MS_NOSUID | MS_NODEV, MountOptions)
                == 0;
    }
    ~ScratchFileSystem()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    ScratchFileSystem(const ScratchFileSystem &) = delete;
    ScratchFileSystem &operator=(const ScratchFileSystem &) = delete;

    bool mounted() const { return m_mounted; }
    QString path() const { return m_dir.path(); }

    bool makeReadOnly() const
    {
        return ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs",
                   MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, MountOptions)
            == 0;
    }

    // Writes a filler file until the file system refuses more; true when it ended full.
    bool fill() const
    {
        QFile filler(m_dir.filePath(QStringLiteral("filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(4096, 'f');
        for (int i = 0; i < 1024; ++i) { // far more than the file system holds
            if (filler.write(block) != block.size())
                return true;
        }
        return false;
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

// Every file under `folder` with its bytes, by relative path.
QMap<QString, QByteArray> filesUnder(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(folder).relativeFilePath(path), readFile(path));
    }
    return files;
}

// The message of the sw::Error that `run` throws; a null string when it throws none.
template <class F> QString errorOf(F &&run)
{
    try {
        run();
    } catch (const Error &e) {
        return e.message();
    }
    return {};
}

} // namespace

class tst_SaveFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void failedSaveKeepsEarlierFiles_data();
    void failedSaveKeepsEarlierFiles();
};

void tst_SaveFaults::failedSaveKeepsEarlierFiles_data()
{
    QTest::addColumn<SavedDocument>("doc");
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("failing"); // the file the error names, and where an injected fault strikes
    QTest::addColumn<QStringList>("replaced"); // files that hold the new version all the same

    const std::pair<Fault, const char *> faults[]
        = { { Fault::ReadOnlyFolder, "read-only folder" }, { Fault::FullDisk, "full disk" },
              { Fault::FailedWrite, "failed write" }, { Fault::FailedReplace, "failed replacement" } };
    for (const SavedDocument doc : AllSavedDocuments) {
        const QStringList files = savedFiles(doc);
        for (const auto &[fault, name] : faults) {
            // The second image failing to write shows that the first one's complete temporary
            // file is dropped too.
            const QString failing = fault == Fault::FailedWrite ? files.last() : files.first();
            QTest::addRow("%s, %s", savedDocumentName(doc), name) << doc << fault << failing << QStringList();
        }
    }
    // The two images are saved as a pair: when the second cannot take its place, the first is not
    // replaced either, and the error names bank2.bin.
    QTest::newRow("images, failed replacement of bank2.bin")
        << SavedDocument::Images << Fault::FailedReplace << savedFiles(SavedDocument::Images).last() << QStringList();
}

void tst_SaveFaults::failedSaveKeepsEarlierFiles()
{
    QFETCH(SavedDocument, doc);
    QFETCH(Fault, fault);
    QFETCH(QString, failing);
    QFETCH(QStringList, replaced);

    ScratchFileSystem scratch;
    QTemporaryDir plain;
    const bool needsMount = fault == Fault::ReadOnlyFolder || fault == Fault::FullDisk;
    if (needsMount && !scratch.mounted())
        QSKIP("this process may not mount a tmpfs (it needs root and a mount permission)");
    const QString folder = needsMount ? scratch.path() : plain.path();

    QVERIFY_THROWS_NO_EXCEPTION(saveVersion(doc, folder, 0, Bulk));
    const QString failingPath = QDir(folder).filePath(failing);
    const auto noFault = qScopeGuard([] { files::setSaveFault({}); });
    switch (fault) {
    case Fault::ReadOnlyFolder:
        QVERIFY(scratch.makeReadOnly());
        break;
    case Fault::FullDisk:
        QVERIFY(scratch.fill());
        break;
    case Fault::FailedWrite:
    case Fault::FailedReplace:
        const files::SaveStep failingStep
            = fault == Fault::FailedWrite ? files::SaveStep::Write : files::SaveStep::Replace;
        files::setSaveFault([=](files::SaveStep step, const QString &path) -> std::optional<QString> {
            if (step == failingStep && QDir::cleanPath(QDir::fromNativeSeparators(path)) == failingPath)
                return QStringLiteral("injected fault");
            return std::nullopt;
        });
        break;
    }
    const QMap<QString, QByteArray> before = filesUnder(folder);

    const QString error = errorOf([&] { saveVersion(doc, folder, 1, Bulk); });
    QVERIFY2(error.contains(QDir::toNativeSeparators(failingPath)), qPrintable(error));

    // The earlier files are there byte for byte, and nothing else is: no temporary file is left.
    QMap<QString, QByteArray> expected = before;
    for (const QString &file : replaced)
        expected[file] = savedBytes(doc, file, 1, Bulk);
    const QMap<QString, QByteArray> after = filesUnder(folder);
    QCOMPARE(after.keys(), expected.keys());
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QVERIFY2(after.value(it.key()) == it.value(), qPrintable(it.key()));
}

QTEST_GUILESS_MAIN(tst_SaveFaults)
#include "tst_SaveFaults.moc"
