#pragma once

#include "core/checks/CertificateInspection.h"
#include "core/documents/ProjectFiles.h"
#include "core/documents/VariablesDocument.h"

#include <QDateTime>
#include <QList>

namespace sw {

// Finding texts come from `catalogue`.

// Checks the stored (cutAtBlankName) and enabled ("Y") rows of the variable list: byte ranges
// [Position, Position + Length) that overlap in the internal data array (two "Digital (Bit)"
// variables overlap only on the same StartBit), a range beyond InternalDataBytes and a name used
// twice (errors); as warnings, a name that is no IEC 61850 object reference (naming the part that
// breaks it) and a Type that image::knownDataType does not know, which the image takes as Int. Rows whose Position or
// Length is no integer have no range and take part only in the name checks.
QList<Finding> checkVariables(const QList<VariableRow> &rows, const QStringList &catalogue);

// Checks the variables exactly as the image compiler takes them from the document at `path`
// (image::imageVariableRows: every row whose Enable is exactly "Y", however many, wherever they
// stand), with their document row numbers: the findings of checkVariables, and as errors a
// variable beyond VariableListCapacity, a Position that is no byte of the internal data and, for
// types other than "Digital (Bit)", a Length other than 1 to 4; as a warning, a row after the
// blank Name where the editor ends the list. Throws sw::Error when the document cannot be read.
QList<Finding> checkImageVariables(const QString &path, const QStringList &catalogue);

// The certificate findings of a configuration at time `now` (see inspectCertificates): only when
// its TLS server is on, the known certificates only when the server admits known clients alone,
// and of those the enabled rows only (a disabled row keeps its number). A document that cannot be
// read gives no finding here; what can be read is still checked.
QList<Finding> checkCertificates(const ProjectDocuments &documents, const QDateTime &now, const QStringList &catalogue);

// Reads the documents of a configuration and checks them at time `now`: a document that cannot be
// read is an error (the only finding that names no field); then the certificate findings and the
// findings of checkImageVariables.
QList<Finding> checkConfiguration(
    const ProjectDocuments &documents, const QDateTime &now, const QStringList &catalogue);

} // namespace sw
