// Feeds arbitrary bytes to the version logic: up to the first line feed they are the program's
// own version, after it the version service's reply, decoded as the version check decodes it.
// Asserts that a version number has four digits at most and that a reply counts as newer only
// when both numbers are known and the reply's is greater.
#include "FuzzSupport.h"

#include "core/update/Version.h"

namespace {

bool isVersionNumber(int number)
{
    return number >= -999 && number <= 9999;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = fuzz::bytes(data, size);
    const qsizetype lineFeed = input.indexOf('\n');
    const QString own = QString::fromUtf8(input.left(lineFeed < 0 ? 0 : lineFeed));
    const QString reply = QString::fromUtf8(lineFeed < 0 ? input : input.mid(lineFeed + 1));

    const int ownNumber = sw::Conv_Version(own);
    const int offeredNumber = sw::Conv_Version(reply.trimmed());
    fuzz::require(isVersionNumber(ownNumber) && isVersionNumber(offeredNumber));
    fuzz::require(isVersionNumber(sw::Conv_Version(reply)));
    if (sw::isNewerVersion(reply, own))
        fuzz::require(ownNumber != -1 && offeredNumber != -1 && offeredNumber > ownNumber);
    return 0;
}
