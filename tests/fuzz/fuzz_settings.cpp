// Feeds arbitrary bytes to the settings reader and writes the result back.
#include "core/ProgramValues.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    sw::ProgramValues pv;
    sw::readSettingsBytes(pv, QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    const QByteArray written = sw::settingsDocument(pv);
    sw::ProgramValues back;
    sw::readSettingsBytes(back, written);
    // What the writer produces, the reader reads back unchanged.
    if (back.Conf_Name != pv.Conf_Name || back.Last_IP_Address != pv.Last_IP_Address
        || back.Language_Name != pv.Language_Name || back.Opt_Enable_Internet != pv.Opt_Enable_Internet)
        __builtin_trap();
    return 0;
}
