// Feeds arbitrary bytes as an image pair to the decoder. The first two bytes choose where
// bank1.bin ends; the rest is bank2.bin. Whatever it accepts must compile back to the same bytes.
#include "FuzzSupport.h"

#include "core/Error.h"
#include "core/image/Compiler.h"
#include "core/image/Decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const size_t split = std::min<size_t>(size - 2, size_t(data[0]) | (size_t(data[1]) << 8));
    const QByteArray bank1 = fuzz::bytes(data + 2, split);
    const QByteArray bank2 = fuzz::bytes(data + 2 + split, size - 2 - split);
    try {
        const sw::image::DecodedImage decoded = sw::image::decodeImages(bank1, bank2);
        sw::image::ImageCompiler compiler;
        const sw::image::Images again = compiler.Compile_Bin(sw::image::documentBytes(decoded.content));
        fuzz::require(again.bank1 == bank1 && again.bank2 == bank2);
    } catch (const sw::Error &) {
    }
    return 0;
}
