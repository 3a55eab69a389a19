// Feeds arbitrary bytes as Ethernet_Update.xml to the stand-in updater's parameter-file reader.
// The reader runs in a scratch folder holding data.bin (some bytes) and empty.bin, which the seeds
// name as their data files. Asserts that the reader refuses only with its own error and
// that every operation it accepts has data, a valid dotted address, a port and fits in its region
// of the device's memory.
#include "FuzzSupport.h"

#include "Ethernet_Update/UpdateFile.h"
#include "common/MemoryMap.h"

#include <QDir>
#include <optional>

namespace {

bool isIpv4(const QString &text)
{
    const QStringList parts = text.split(u'.');
    if (parts.size() != 4)
        return false;
    for (const QString &part : parts) {
        bool ok = false;
        if (part.isEmpty() || part.size() > 3 || part.toUInt(&ok) > 255 || !ok)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool dataFiles = [] {
        fuzz::writeFile(QStringLiteral("data.bin"), QByteArray("\x01\x02\x03\x04 data file"));
        fuzz::writeFile(QStringLiteral("empty.bin"), QByteArray());
        return true;
    }();
    Q_UNUSED(dataFiles);
    const QByteArray input = fuzz::bytes(data, size);
    // The data files it names are read: keep the fuzzer away from the system's special files.
    for (const char *special : { "/proc", "/sys", "/dev" }) {
        if (input.contains(special))
            return 0;
    }

    const QString path = fuzz::writeFile(QStringLiteral("Ethernet_Update.xml"), input);
    // Only around the reader: the fuzzer itself reads and writes relative paths.
    const QString workingDir = QDir::currentPath();
    fuzz::require(QDir::setCurrent(fuzz::scratchDir()));
    std::optional<QList<updater::Operation>> operations;
    try {
        operations = updater::readUpdateFile(path);
    } catch (const updater::FileError &) {
    }
    fuzz::require(QDir::setCurrent(workingDir));
    if (!operations)
        return 0;
    fuzz::require(!operations->isEmpty());
    for (const updater::Operation &op : *operations) {
        fuzz::require(!op.data.isEmpty() && op.port != 0 && isIpv4(op.host));
        const sw::memory::Range *region = sw::memory::regionAt(op.startAddress);
        fuzz::require(region && op.startAddress + quint64(op.data.size()) - 1 <= region->last);
    }
    return 0;
}
