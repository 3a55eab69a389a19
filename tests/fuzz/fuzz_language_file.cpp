// Feeds arbitrary bytes through the language file reader exactly as a file's bytes reach it:
// decoding, line splitting (CR, LF, CR LF) and every line rule. The reader works on the bytes and
// decodes only values; it must give what decoding the whole file and reading its lines gives.
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
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QStringList fromText = catalogue;
    sw::readLanguageBytes(bytes, catalogue);
    sw::readLanguageText(sw::decodeLanguageText(bytes), fromText);
    if (catalogue.size() != sw::Msg_Catalogue_Size || catalogue != fromText)
        __builtin_trap();
    return 0;
}
