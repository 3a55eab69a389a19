#pragma once

#include "core/image/ParamBlock.h"
#include "core/image/SecondImage.h"

#include <QtGlobal>
#include <array>

// The device's flash, as the updater and the device simulator both see it. The image sizes come
// from the core's image headers, so that the map cannot drift from what the configurator builds.
namespace sw::memory {

// A range of device addresses, both ends included.
struct Range
{
    const char *name;
    quint32 first;
    quint32 last;

    constexpr quint64 size() const { return quint64(last) - first + 1; }
    constexpr bool contains(quint32 address) const { return address >= first && address <= last; }
};

// bank1.bin, then the protection, internal-data and checksum words up to the firmware.
inline constexpr quint32 ParametersBase = 0x07000;
inline constexpr quint32 FirmwareBase = 0x08000;
inline constexpr quint32 FlashEnd = quint32(image::Bank2Base + image::Bank2MaxSize - 1);

// Where the device takes writes and answers reads. A write never spans two ranges.
inline constexpr std::array<Range, 3> FlashRanges { {
    { "parameters", ParametersBase, FirmwareBase - 1 },
    { "firmware", FirmwareBase, image::Bank2Base - 1 },
    { "second image", image::Bank2Base, FlashEnd },
} };

// What each file an update writes may fill: bank1.bin ends where the protection word begins, the
// firmware where the second image begins, bank2.bin with the flash. Data that runs past its
// region's end would overwrite the next one.
inline constexpr std::array<Range, 3> Regions { {
    { "bank1", ParametersBase, ParametersBase + image::ParamBlockSize - 1 },
    { "firmware", FirmwareBase, image::Bank2Base - 1 },
    { "bank2", image::Bank2Base, FlashEnd },
} };

// The region that `address` lies in, nullptr when none.
constexpr const Range *regionAt(quint32 address)
{
    for (const Range &region : Regions) {
        if (region.contains(address))
            return &region;
    }
    return nullptr;
}

} // namespace sw::memory
