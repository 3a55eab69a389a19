#pragma once

#include <QString>

namespace sw {

// True when `name` names one folder directly inside PROJECTS: not empty, not "." or "..", and
// without a path separator ("/" or "\") or a NUL character. Any other name would reach a folder
// elsewhere (for instance "../x" beside the program) or a nested one, so it never names a
// configuration.
bool isPlainFolderName(const QString &name);

} // namespace sw
