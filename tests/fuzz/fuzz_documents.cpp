// Feeds arbitrary bytes as one of the three project documents to the communication parameters
// reader and to the image compiler. The first byte picks the document.
#include "core/Error.h"
#include "core/documents/ParGenDocument.h"
#include "core/image/Compiler.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    static const sw::ProjectDocuments docs = sw::projectDocuments(dir.path());
    if (size == 0)
        return 0;
    const QString *targets[] = { &docs.parGen, &docs.variables, &docs.knownCerts };
    for (const QString *t : targets)
        QFile::remove(*t);
    {
        QFile f(*targets[data[0] % 3]);
        if (!f.open(QIODevice::WriteOnly))
            return 0;
        f.write(reinterpret_cast<const char *>(data + 1), static_cast<qint64>(size - 1));
    }
    try {
        const sw::ParGenValues values = sw::readParGenFile(docs.parGen);
        if (values.MODBUS_SLAVE_PARITY < 0 || values.MODBUS_SLAVE_PARITY > 2)
            __builtin_trap();
    } catch (const sw::Error &) {
    }
    try {
        sw::image::ImageCompiler compiler;
        const sw::image::Images images = compiler.Compile_Bin(docs);
        if (images.bank1.size() != 2048 || images.bank2.size() < 55 || images.bank2.size() > 0x80000)
            __builtin_trap();
    } catch (const sw::Error &) {
    }
    return 0;
}
