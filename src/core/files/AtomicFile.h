#pragma once

#include <QSaveFile>
#include <QString>
#include <functional>
#include <optional>

// Every file the configurator writes is saved atomically: the bytes go to a temporary file in the
// target's folder, which then replaces the target, so a failed or interrupted save leaves the
// previous file whole.
namespace sw::files {

// What may stand at the path of a save.
enum class Target {
    // A file of the program folder (a document, the settings, an image): written only when it is a
    // regular file or absent. A link is refused, so a save never lands outside the folder.
    Own,
    // A file the user chose (an export): may also be a link to a regular file, which is then
    // replaced. A folder, device, pipe or socket is refused, never replaced by a regular file.
    Chosen,
};

// Throws sw::Error naming `path` when a save of kind `target` may not write there.
void requireWritableTarget(const QString &path, Target target);

// One file of an atomic save: write() puts the bytes into a temporary file in the target's folder,
// commit() then replaces the target with it. Dropped before commit(), it removes the temporary file
// and the target stays as it was. Both throw sw::Error naming the target and the reason. A file
// staged in another folder before it takes its place passes that place as `shownPath`: errors and
// injected faults name it instead of the staging path.
class AtomicFile
{
public:
    explicit AtomicFile(const QString &path, Target target = Target::Own, const QString &shownPath = {});
    void write(const QByteArray &bytes);
    void commit();

private:
    QString m_path;
    QString m_shownPath;
    Target m_target;
    QSaveFile m_file;
};

// A fault for tests to inject into the steps of every atomic save: a reason that the function
// returns for a step makes it fail there as the system's own failure would (a write leaves a
// temporary file holding part of the bytes; a folder exchange is unavailable, as on a file system
// without it). The program never sets one.
enum class SaveStep { Write, Replace, Exchange };

// The reason that `setSaveFault` gives for `step` at `path`, if any.
std::optional<QString> injectedFault(SaveStep step, const QString &path);
using SaveFault = std::function<std::optional<QString>(SaveStep step, const QString &path)>;
void setSaveFault(SaveFault fault);

// Writes bytes to `path` atomically. Throws sw::Error naming the file and the reason.
void saveBytes(const QByteArray &bytes, const QString &path, Target target = Target::Own);

// Writes the bytes that `build` returns to `path` atomically. An error while building (a value
// that the format cannot hold) is reported like a write error, naming the file; nothing is
// written then.
void saveBuilt(const QString &path, const std::function<QByteArray()> &build, Target target = Target::Own);

} // namespace sw::files
