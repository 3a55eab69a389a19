#include "core/files/SaveTogether.h"

#include "core/Error.h"
#include "core/files/AtomicFile.h"
#include "core/files/FolderExchange.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <memory>

namespace sw::files {

namespace {

Error failure(const QString &path, const QString &reason)
{
    return Error(QStringLiteral("Cannot write \"%1\": %2").arg(QDir::toNativeSeparators(path), reason));
}

// Removes a folder tree when dropped, unless released. Links inside are removed, never followed.
class FolderRemover
{
public:
    explicit FolderRemover(QString path)
        : m_path(std::move(path))
    {
    }
    ~FolderRemover()
    {
        if (!m_path.isEmpty())
            QDir(m_path).removeRecursively();
    }
    FolderRemover(const FolderRemover &) = delete;
    FolderRemover &operator=(const FolderRemover &) = delete;
    void release() { m_path.clear(); }

private:
    QString m_path;
};

// Staging folders of saves that were killed before they cleaned up. Only real folders are removed.
void removeLeftoverStaging(const QDir &parent, const QString &prefix)
{
    const QFileInfoList leftovers = parent.entryInfoList(
        { prefix + QLatin1Char('*') }, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QFileInfo &leftover : leftovers)
        QDir(leftover.absoluteFilePath()).removeRecursively();
}

// A fresh, empty folder beside `folder`, with the permissions `folder` has (or the usual ones).
QString makeStagingFolder(const QDir &parent, const QString &prefix, const QFileInfo &folder)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString name = prefix + QString::number(QRandomGenerator::global()->generate64() & 0xffffffffffffULL, 36);
        if (!parent.mkdir(name))
            continue; // taken, or the parent refuses: the next attempt or the error tells
        const QString path = parent.filePath(name);
        if (folder.isDir())
            QFile::setPermissions(path, folder.permissions());
        return path;
    }
    return {};
}

// Copies what `from` holds, except `skip`, into the empty folder `to`. False when something
// cannot be copied as it is (a link, a device, a pipe): the caller then leaves `from` in place.
bool copyOthers(const QString &from, const QString &to, const QStringList &skip)
{
    QDirIterator it(from, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QFileInfo entry = it.fileInfo();
        if (skip.contains(entry.fileName()))
            continue;
        const QString target = QDir(to).filePath(entry.fileName());
        if (entry.isSymLink())
            return false;
        if (entry.isDir()) {
            if (!QDir(to).mkdir(entry.fileName()))
                return false;
            QFile::setPermissions(target, entry.permissions());
            if (!copyOthers(entry.filePath(), target, {}))
                return false;
        } else if (!entry.isFile() || !QFile::copy(entry.filePath(), target)) {
            return false;
        }
    }
    return true;
}

// Replaces each target in `folder` with its file, one after the other: every file is complete
// before the first replacement.
void replaceOneByOne(const QString &folder, const QList<NamedBytes> &files)
{
    std::vector<std::unique_ptr<AtomicFile>> pending;
    for (const NamedBytes &file : files) {
        pending.push_back(std::make_unique<AtomicFile>(QDir(folder).filePath(file.name)));
        pending.back()->write(file.bytes);
    }
    for (const auto &file : pending)
        file->commit();
}

} // namespace

void saveTogether(const QString &folder, const QList<NamedBytes> &files)
{
    const QFileInfo info(folder);
    QDir parent(info.absolutePath());
    const QString prefix = QString::fromLatin1(StagingPrefix) + info.fileName() + QLatin1Char('-');
    if (info.isSymLink())
        throw failure(folder, QStringLiteral("it is a link; only a real folder is written here"));
    if (info.exists() && !info.isDir())
        throw failure(folder, QStringLiteral("it is not a folder"));
    QStringList names;
    for (const NamedBytes &file : files) {
        requireWritableTarget(QDir(folder).filePath(file.name), Target::Own);
        names << file.name;
    }
    removeLeftoverStaging(parent, prefix);

    const QString staging = makeStagingFolder(parent, prefix, info);
    if (staging.isEmpty()) {
        // The project folder itself takes no new folder (read-only, full): say which file failed.
        throw failure(QDir(folder).filePath(files.value(0).name),
            QStringLiteral("no folder can be created in \"%1\"").arg(QDir::toNativeSeparators(parent.path())));
    }
    FolderRemover removeStaging(staging);
    const bool copied = !info.exists() || copyOthers(folder, staging, names);
    if (copied) {
        // Each file complete before anything is exchanged; errors name the file's real place.
        for (const NamedBytes &file : files) {
            AtomicFile staged(QDir(staging).filePath(file.name), Target::Own, QDir(folder).filePath(file.name));
            staged.write(file.bytes);
            staged.commit();
        }
    }
    if (copied && !info.exists()) {
        if (!parent.rename(QFileInfo(staging).fileName(), info.fileName()))
            throw failure(folder, QStringLiteral("the folder cannot be created"));
        removeStaging.release();
        return;
    }
    if (copied && !injectedFault(SaveStep::Exchange, folder)
        && exchangeFolders(staging, folder) == ExchangeResult::Exchanged)
        return; // the staging folder now holds the earlier files, and goes
    replaceOneByOne(folder, files);
}

} // namespace sw::files
