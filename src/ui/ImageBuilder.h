#pragma once

#include "core/documents/ProjectFiles.h"

#include <QList>
#include <QString>

namespace sw {

// The image files that a build has written, for the report to the user.
struct WrittenImages
{
    struct File
    {
        QString name; // file name inside `folder`
        qint64 size = 0; // bytes
    };
    QString folder;
    QList<File> files; // in the order they were written
};

// Builds the configuration image for the update step from a configuration's documents. The
// program compiles with CompilingImageBuilder; window tests pass a fake that records the calls.
class ImageBuilder
{
public:
    virtual ~ImageBuilder() = default;
    // Compiles `documents` and writes the image files into `folder`. Throws sw::Error naming the
    // file for a document that is not well-formed, an image that is too large or a file that
    // cannot be written.
    virtual WrittenImages buildImages(const ProjectDocuments &documents, const QString &folder) = 0;
};

// The image compiler of core: bank1.bin and bank2.bin, rebuilt from the documents on disk at every
// call and written as a pair.
class CompilingImageBuilder final : public ImageBuilder
{
public:
    WrittenImages buildImages(const ProjectDocuments &documents, const QString &folder) override;
};

} // namespace sw
