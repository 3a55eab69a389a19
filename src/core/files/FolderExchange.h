#pragma once

#include <QString>

namespace sw::files {

enum class ExchangeResult {
    Exchanged, // each path now names what the other named before
    Unavailable, // this system or file system cannot exchange in one step; nothing changed
};

// Exchanges two folders of the same file system in one step, so that a reader sees either the old
// or the new folder under each name, never a mix or neither. Throws sw::Error naming `second` when
// the exchange is available but fails. The code differs per operating system (posix/, win/).
ExchangeResult exchangeFolders(const QString &first, const QString &second);

} // namespace sw::files
