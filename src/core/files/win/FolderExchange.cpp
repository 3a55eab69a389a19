#include "core/files/FolderExchange.h"

namespace sw::files {

// Windows has no call that exchanges two folders in one step; the callers then replace the files
// one by one.
ExchangeResult exchangeFolders(const QString &, const QString &)
{
    return ExchangeResult::Unavailable;
}

} // namespace sw::files
