#pragma once

#include "core/documents/KnownCertDocument.h"
#include "core/documents/ParGenDocument.h"
#include "core/documents/VariablesDocument.h"
#include "core/image/Compiler.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// Rebuilds a configuration's documents from its image, bank1.bin and bank2.bin: for a lost
// project, an archived image or what was read back from a device.
namespace sw::image {

// The three documents of a configuration as values. An image built without ParGen.xml has no
// communication parameters: compiling gives it the image's own defaults, which no document holds.
struct ProjectContent
{
    std::optional<ParGenValues> parGen;
    QList<VariableRow> variables;
    QList<KnownCertRow> knownCerts;

    friend bool operator==(const ProjectContent &, const ProjectContent &) = default;
};

struct DecodedImage
{
    ProjectContent content;
    // What the image cannot hold and therefore took its default, one line each, in English.
    QStringList defaulted;
};

// Decodes the two images. Every value the image holds goes into the documents in the forms the
// editors write; the documents are then compiled again and must give back the same bytes.
// Throws sw::Error with the reason for images of the wrong size, a parameter block whose checksum
// is wrong, addresses outside bank2.bin, counts that do not fit, texts that a document cannot
// keep, and any byte that the compiler would not have written.
DecodedImage decodeImages(const QByteArray &bank1, const QByteArray &bank2);

// The documents as they would be written, for compiling without files.
DocumentBytes documentBytes(const ProjectContent &content);

// Reads bank1.bin and bank2.bin of `folder` (each bounded by its device region) and decodes them.
DecodedImage decodeImageFolder(const QString &folder);

// Whether `folder` holds an image pair rather than a project's documents.
bool isImageFolder(const QString &folder);

// The documents of the project in `folder`, read as the editors read them: the variable and
// certificate lists as stored, up to their first blank row. A missing ParGen.xml gives none.
ProjectContent readProjectContent(const QString &folder);

// Writes the three documents into `folder` (an absent or empty folder, created with its bin
// folder). Throws sw::Error when the folder holds anything or a document cannot be written.
void writeProjectContent(const QString &folder, const ProjectContent &content);

} // namespace sw::image
