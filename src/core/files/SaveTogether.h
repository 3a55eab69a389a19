#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace sw::files {

// The name and bytes of one file of a set that is saved together.
struct NamedBytes
{
    QString name;
    QByteArray bytes;
};

// The prefix of the folders that saveTogether() stages its files in, beside the target folder.
inline constexpr char StagingPrefix[] = ".staging-";

// Saves `files` into `folder` so that a reader sees all of them new or all of them as they were,
// even when the process is killed midway: they are written into a fresh folder beside `folder`,
// together with copies of everything else `folder` holds, and the two folders are then exchanged
// in one step. A missing `folder` is created by renaming the staged one. Where the exchange is
// unavailable (see exchangeFolders), or `folder` holds something that cannot be copied (a link, a
// device), the staged files replace their targets one by one instead, each atomically. A failure
// before the exchange leaves `folder` as it was. `folder` itself must be a real folder, never a
// link. Staging folders left behind by a killed save are removed by the next one. Callers hold the
// folder's project lock. Throws sw::Error naming the file or folder that could not be written.
void saveTogether(const QString &folder, const QList<NamedBytes> &files);

} // namespace sw::files
