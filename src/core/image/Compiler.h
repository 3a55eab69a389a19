#pragma once

#include "core/documents/VariablesDocument.h"

#include "core/documents/ProjectFiles.h"
#include "core/image/ParamBlock.h"
#include "core/image/SecondImage.h"

#include <QByteArray>
#include <QChar>
#include <QString>
#include <optional>

namespace pugi {
class xml_document;
}

// The image compiler: reads the project's three documents with its own defaults and conversions,
// fills the parameter block and the second image's record and encodes bank1.bin and bank2.bin.
namespace sw::image {

using sw::ProjectDocuments;

struct Images
{
    QByteArray bank1;
    QByteArray bank2;
};

// A row of the variables document as the compiler takes it into the image: its 1-based number
// among the root's elements (the editor's table row, for the first fifty) and its attributes as
// written, a missing one empty (the compiler reads both alike).
struct ImageVariableRow
{
    int row = 0;
    VariableRow text;
};

// The rows of the variables document at `path` that Compile_Bin puts into the image: every element
// of the root whose Enable is exactly "Y", in document order, however many there are and whatever
// stands before them. A missing document has none; one that cannot be read throws sw::Error.
QList<ImageVariableRow> imageVariableRows(const QString &path);

// The image's data type for a variable's Type text, read with blanks around it removed and letters
// upper-cased: "Int", "Float" or "Digital (Bit)". nullopt for any other text, which the image
// takes as an integer.
std::optional<quint32> knownDataType(const QString &type);

// The three documents held in memory; a missing one is nullopt, as a missing file.
struct DocumentBytes
{
    std::optional<QByteArray> parGen;
    std::optional<QByteArray> variables;
    std::optional<QByteArray> knownCerts;
};

class ImageCompiler
{
public:
    // Builds both images in memory. Every compilation starts from the defaults, so nothing of an
    // earlier one survives. Multiplication factors take either decimal mark, whatever the system
    // uses. Throws sw::Error, naming the file, for a document that cannot be read or is not
    // well-formed, and when bank2.bin would exceed its 524,288 bytes.
    Images Compile_Bin(const ProjectDocuments &docs);
    // The same from documents in memory; errors name the document's file name.
    Images Compile_Bin(const DocumentBytes &docs);

    // The state of the last compilation, for listings and tests.
    const ParamBlock &paramBlock() const { return Param_Block; }
    const TIEC61850 &record() const { return IEC61850; }

private:
    Images compile(
        const pugi::xml_document *parGen, const pugi::xml_document *variables, const pugi::xml_document *knownCerts);
    void Clear_IEC61850();
    // A null document stands for a missing file.
    void Read_ParGen(const pugi::xml_document *doc);
    void Read_IEC61850_Variables(const pugi::xml_document *doc);
    void Read_TLS_Known_Cert(const pugi::xml_document *doc);

    ParamBlock Param_Block;
    TIEC61850 IEC61850;
};

// Writes bank1.bin and bank2.bin into `binFolder`, creating the folder when it is missing, as one
// pair (files::saveTogether): a failure or a kill leaves the earlier pair, or none, never a mix;
// anything else the folder holds stays. Only where the file system cannot exchange folders in one
// step are the two files replaced one after the other. Throws sw::Error naming the file or folder
// that could not be written.
void Save_Bin(const QString &binFolder, const Images &images);

} // namespace sw::image
