#include "ui/ImageBuilder.h"

#include "core/image/Compiler.h"

namespace sw {

WrittenImages CompilingImageBuilder::buildImages(const ProjectDocuments &documents, const QString &folder)
{
    const image::Images images = image::ImageCompiler().Compile_Bin(documents);
    image::Save_Bin(folder, images);
    return { folder,
        { { QString::fromLatin1(Bank1FileName), images.bank1.size() },
            { QString::fromLatin1(Bank2FileName), images.bank2.size() } } };
}

} // namespace sw
