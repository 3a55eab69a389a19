#include "core/update/UpdaterLink.h"

#include <QFileInfo>
#include <filesystem>
#include <system_error>

namespace sw {

namespace fs = std::filesystem;

UpdaterLink linkUpdater(const QString &link, const QString &updater, const QString &markerName)
{
    const fs::path linkPath = QFileInfo(link).filesystemFilePath();
    const fs::path updaterPath = QFileInfo(updater).filesystemFilePath();
    std::error_code error;
    const fs::file_status status = fs::symlink_status(linkPath, error);
    if (status.type() == fs::file_type::not_found) {
        fs::create_symlink(updaterPath, linkPath, error);
        return error ? UpdaterLink::Failed : UpdaterLink::Made;
    }
    if (error || status.type() != fs::file_type::symlink)
        return UpdaterLink::Kept;
    const fs::path named = fs::read_symlink(linkPath, error);
    if (error || named == updaterPath)
        return UpdaterLink::Kept;

    const fs::path resolved = named.is_absolute() ? named : linkPath.parent_path() / named;
    // Only a link that certainly dangles counts as such: one that cannot be followed for want of
    // permission may name something real.
    const bool dangles = !fs::exists(resolved, error) && !error;
    error.clear();
    const bool earlierInstallation = named.filename() == updaterPath.filename()
        && fs::is_regular_file(resolved.parent_path() / markerName.toStdU16String(), error);
    if (!dangles && !earlierInstallation)
        return UpdaterLink::Kept;

    // A new link beside the old one takes its name, so that the name never goes missing.
    fs::path fresh = linkPath;
    fresh += ".relink";
    error.clear();
    if (fs::symlink_status(fresh, error).type() == fs::file_type::symlink)
        fs::remove(fresh, error); // left by an interrupted repair
    error.clear();
    fs::create_symlink(updaterPath, fresh, error);
    if (!error)
        fs::rename(fresh, linkPath, error);
    if (error) {
        std::error_code ignored;
        if (fs::symlink_status(fresh, ignored).type() == fs::file_type::symlink)
            fs::remove(fresh, ignored);
        return UpdaterLink::Failed;
    }
    return UpdaterLink::Repaired;
}

} // namespace sw
