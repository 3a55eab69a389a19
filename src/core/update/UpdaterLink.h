#pragma once

#include <QString>

namespace sw {

// What linkUpdater found and did.
enum class UpdaterLink {
    Made, // nothing was there: the link is made
    Kept, // the link names the updater already, or something of the user's is there
    Repaired, // a link left by an earlier installation now names the updater
    Failed, // the link could not be made or replaced
};

// Keeps `link` a symbolic link to the installed updater `updater`. Where nothing is there, the link
// is made. A link that dangles (its installation was removed) or that names the updater of another
// shared installation (a program folder holding `markerName`: an earlier place of this one) is
// replaced in one step. Anything else stays: a real updater the user put there, a link to another
// program of the user's choice, a folder.
UpdaterLink linkUpdater(const QString &link, const QString &updater, const QString &markerName);

} // namespace sw
