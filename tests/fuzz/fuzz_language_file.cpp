// Feeds arbitrary bytes through the language file reader exactly as a file's bytes reach it:
// decoding, line splitting (CR, LF, CR LF) and every line rule.
#include "core/text/Catalogue.h"
#include "core/text/LanguageFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QStringList catalogue = [] {
        QStringList c;
        sw::Default_Messages(c);
        return c;
    }();
    sw::readLanguageBytes(QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)), catalogue);
    if (catalogue.size() != sw::Msg_Catalogue_Size)
        __builtin_trap();
    return 0;
}
