// Feeds arbitrary bytes through the language file decoder and line reader.
#include "core/Catalogue.h"
#include "core/LanguageFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QStringList catalogue = [] {
        QStringList c;
        sw::Default_Messages(c);
        return c;
    }();
    const QString text
        = sw::decodeLanguageText(QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    for (const QString &line : text.split(QLatin1Char('\n')))
        sw::applyLanguageLine(line, catalogue);
    if (catalogue.size() != sw::Msg_Catalogue_Size)
        __builtin_trap();
    return 0;
}
