#pragma once

#include <QString>
#include <QStringList>

namespace updater {

// The configurator's catalogue in the language its settings name, for the updater's window.
// `startFolder` is the folder the updater was started from: the program folder, or a per-user
// workspace that holds a link to the installed updater; its settings file names the language. The
// language file is read from LANGUAGE in that folder, else from LANGUAGE in `programFolder`, where
// the updater itself lies. What is missing or cannot be read gives the English texts, as in the
// configurator.
QStringList updaterTexts(const QString &startFolder, const QString &programFolder);

} // namespace updater
