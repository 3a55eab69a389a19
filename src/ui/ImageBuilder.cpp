#include "ui/ImageBuilder.h"

#include "core/image/Compiler.h"

namespace sw {

WrittenImages CompilingImageBuilder::buildImages(const ProjectDocuments &documents, const QString &folder)
{
    const image::Images images = image::ImageCompiler().Compile_Bin(documents);
    image::Save_Bin(folder, images);
    return { folder,
        { { QStringLiteral("bank1.bin"), images.bank1.size() },
            { QStringLiteral("bank2.bin"), images.bank2.size() } } };
}

} // namespace sw
