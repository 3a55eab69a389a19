#pragma once

#include <QString>

// Where a configuration keeps its documents and image files: the one place that spells their names.
namespace sw {

inline constexpr char ParGenFileName[] = "ParGen.xml";
inline constexpr char VariablesFileName[] = "IEC61850_Variables.xml";
inline constexpr char KnownCertFileName[] = "TLS_Known_Cert.xml";
inline constexpr char ImageFolderName[] = "bin";
inline constexpr char Bank1FileName[] = "bank1.bin";
inline constexpr char Bank2FileName[] = "bank2.bin";

// Full paths of a configuration's three documents. A missing file is not an error: its values
// keep their defaults.
struct ProjectDocuments
{
    QString parGen;
    QString variables;
    QString knownCerts;
};

// The documents of the configuration in `projectFolder` (formed also from an empty folder, which
// names no configuration).
ProjectDocuments projectDocuments(const QString &projectFolder);

// The folder of bank1.bin and bank2.bin inside `projectFolder`.
QString imageFolder(const QString &projectFolder);

} // namespace sw
