#include "SavedVersions.h"
#include "TestFiles.h"

#include "core/Error.h"

#include <QDir>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace sw;
using namespace sw::test;

namespace {

// Large enough that each save takes a while and the kills land in different saves.
constexpr int Bulk = 200'000;
constexpr int StartTimeoutMs = 10'000;

} // namespace

class tst_KillDuringSave : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void everyFileIsOldOrNew_data();
    void everyFileIsOldOrNew();

private:
    // The version (0 or 1) that `bytes` are of the file `relative`; -1 for neither.
    int versionOf(const QString &relative, const QByteArray &bytes) const
    {
        for (int version : { 0, 1 }) {
            if (bytes == m_versions.value(relative)[version])
                return version;
        }
        return -1;
    }

    QHash<QString, std::array<QByteArray, 2>> m_versions; // the bytes of both versions by file
};

void tst_KillDuringSave::initTestCase()
{
    for (const SavedDocument doc : AllSavedDocuments) {
        for (const QString &file : savedFiles(doc))
            m_versions.insert(file, { savedBytes(doc, file, 0, Bulk), savedBytes(doc, file, 1, Bulk) });
    }
}

void tst_KillDuringSave::everyFileIsOldOrNew_data()
{
    QTest::addColumn<int>("delayMs"); // from the saver's first line to the kill
    QTest::addColumn<QString>("pauseStep"); // empty: saving in a loop; else where it waits to be killed
    QTest::addColumn<QString>("pauseFile");

    for (int delay : { 0, 3, 10, 30, 60, 100, 150, 250 })
        QTest::addRow("killed %d ms into the saves", delay) << delay << QString() << QString();
    for (const SavedDocument doc : AllSavedDocuments) {
        for (const QString &file : savedFiles(doc)) {
            QTest::addRow("killed with the temporary file of %s open", qPrintable(file))
                << 0 << QStringLiteral("write") << file;
            QTest::addRow("killed before %s replaces its target", qPrintable(file))
                << 0 << QStringLiteral("replace") << file;
        }
    }
    QTest::newRow("killed before the new image pair takes the place of bin")
        << 0 << QStringLiteral("exchange") << QStringLiteral("bin");
}

void tst_KillDuringSave::everyFileIsOldOrNew()
{
    QFETCH(int, delayMs);
    QFETCH(QString, pauseStep);
    QFETCH(QString, pauseFile);

    QTemporaryDir dir;
    const QString folder = dir.path();
    for (const SavedDocument doc : AllSavedDocuments)
        QVERIFY_THROWS_NO_EXCEPTION(saveVersion(doc, folder, 0, Bulk));

    QProcess saver;
    QStringList arguments { folder, QString::number(Bulk) };
    if (!pauseStep.isEmpty())
        arguments << QStringLiteral("--pause-before") << pauseStep << pauseFile;
    saver.start(QStringLiteral(SW_SAVE_LOOP_PATH), arguments);
    QVERIFY2(saver.waitForStarted(StartTimeoutMs), qPrintable(saver.errorString()));
    QVERIFY2(saver.waitForReadyRead(StartTimeoutMs), "the saver printed nothing");
    QTest::qSleep(delayMs);
    saver.kill();
    QVERIFY(saver.waitForFinished(StartTimeoutMs));
    QCOMPARE(saver.exitStatus(), QProcess::CrashExit); // killed, not ended on its own

    // Each file is complete in one version or the other and reads as that version. Temporary
    // files that the kill may leave behind are never looked at by the readers.
    QHash<QString, int> versions;
    for (const SavedDocument doc : AllSavedDocuments) {
        for (const QString &file : savedFiles(doc)) {
            const QString path = QDir(folder).filePath(file);
            const int version = versionOf(file, readFile(path));
            QVERIFY2(version >= 0, qPrintable(file + QStringLiteral(" holds neither version")));
            versions.insert(file, version);
            switch (doc) {
            case SavedDocument::ParGen:
                QCOMPARE(readParGenFile(path), parGenVersion(version, Bulk));
                break;
            case SavedDocument::Variables:
                QCOMPARE(readVariablesFile(path), variablesVersion(version, Bulk));
                break;
            case SavedDocument::KnownCerts:
                QCOMPARE(readKnownCertFile(path), knownCertsVersion(version, Bulk));
                break;
            case SavedDocument::Settings: {
                ProgramValues pv;
                pv.Dir_Program = folder;
                readSettings(pv);
                QCOMPARE(pv.Conf_Name, versionText(version, Bulk));
                break;
            }
            case SavedDocument::Images:
                break;
            }
        }
    }
    if (pauseStep.isEmpty())
        return; // where the kill landed is not known

    // Killed before its step, the paused file is still the earlier one; and the two images always
    // belong to one pair, wherever the kill landed.
    const QStringList images = savedFiles(SavedDocument::Images);
    QCOMPARE(versions.value(pauseFile == QLatin1String("bin") ? images.first() : pauseFile), 0);
    QCOMPARE(versions.value(images.first()), versions.value(images.last()));
}

QTEST_GUILESS_MAIN(tst_KillDuringSave)
#include "tst_KillDuringSave.moc"
