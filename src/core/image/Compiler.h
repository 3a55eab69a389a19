#pragma once

#include "core/image/ParamBlock.h"
#include "core/image/SecondImage.h"

#include <QByteArray>
#include <QChar>
#include <QString>

// The image compiler: reads the project's three documents with its own defaults and conversions,
// fills the parameter block and the second image's record and encodes bank1.bin and bank2.bin.
namespace sw::image {

// Full paths of the project documents; a missing file is not an error (its values keep defaults).
struct ProjectDocuments
{
    QString parGen;
    QString variables;
    QString knownCerts;
};

struct Images
{
    QByteArray bank1;
    QByteArray bank2;
};

class ImageCompiler
{
public:
    // Builds both images in memory. Every compilation starts from the defaults, so nothing of an
    // earlier one survives. `decimalSeparator` is the system's ("," or "."; anything else acts as
    // ","). Throws sw::Error, naming the file, for a document that cannot be read or is not
    // well-formed, and when bank2.bin would exceed its 524,288 bytes.
    Images Compile_Bin(const ProjectDocuments &docs, QChar decimalSeparator);

    // The state of the last compilation, for listings and tests.
    const ParamBlock &paramBlock() const { return Param_Block; }
    const TIEC61850 &record() const { return IEC61850; }

private:
    void Clear_IEC61850();
    void Read_ParGen(const QString &path);
    void Read_IEC61850_Variables(const QString &path, QChar decimalSeparator);
    void Read_TLS_Known_Cert(const QString &path);

    ParamBlock Param_Block;
    TIEC61850 IEC61850;
};

// Writes bank1.bin and bank2.bin into `binFolder`, creating the folder when it is missing. Both
// files are written completely to temporary files before either replaces its target, so a failure
// leaves the earlier pair in place. Throws sw::Error naming the file that could not be written.
void Save_Bin(const QString &binFolder, const Images &images);

} // namespace sw::image
