#pragma once

#include <QString>

namespace sw {

// True when `name` can be one folder directly inside PROJECTS: not empty, not "." or "..", and
// without NUL or a path separator of this system ("/", and on Windows "\" as well). Any other
// name would reach a folder elsewhere (for instance "../x" beside the program) or a nested one,
// so it never names a configuration. Everything else is left to the folder creation: a "\" is an
// ordinary character in a folder name outside Windows.
bool isPlainFolderName(const QString &name);

} // namespace sw
