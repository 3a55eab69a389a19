#pragma once

#include "core/ProgramValues.h"
#include "core/documents/KnownCertDocument.h"
#include "core/documents/ParGenDocument.h"
#include "core/documents/VariablesDocument.h"
#include "core/image/Compiler.h"

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QStringList>

namespace sw::test {

// Everything the program saves, each with its own writer. The tests that break or interrupt a save
// keep all of them in one folder, which is both the program folder and the configuration's folder.
enum class SavedDocument { ParGen, Variables, KnownCerts, Settings, Images };

inline constexpr SavedDocument AllSavedDocuments[] = { SavedDocument::ParGen, SavedDocument::Variables,
    SavedDocument::KnownCerts, SavedDocument::Settings, SavedDocument::Images };

inline const char *savedDocumentName(SavedDocument doc)
{
    switch (doc) {
    case SavedDocument::ParGen:
        return "ParGen.xml";
    case SavedDocument::Variables:
        return "variables";
    case SavedDocument::KnownCerts:
        return "known certificates";
    case SavedDocument::Settings:
        return "settings";
    case SavedDocument::Images:
        return "images";
    }
    return "";
}

// The files a save of `doc` writes, relative to the folder ('/' separators).
inline QStringList savedFiles(SavedDocument doc)
{
    switch (doc) {
    case SavedDocument::ParGen:
        return { QString::fromLatin1(ParGenFileName) };
    case SavedDocument::Variables:
        return { QString::fromLatin1(VariablesFileName) };
    case SavedDocument::KnownCerts:
        return { QString::fromLatin1(KnownCertFileName) };
    case SavedDocument::Settings:
        return { QString::fromLatin1(SettingsFileName) };
    case SavedDocument::Images:
        return { QStringLiteral("%1/%2").arg(QLatin1String(ImageFolderName), QLatin1String(Bank1FileName)),
            QStringLiteral("%1/%2").arg(QLatin1String(ImageFolderName), QLatin1String(Bank2FileName)) };
    }
    return {};
}

// Two versions (0 and 1) of each document that differ in every file, with about `bulk` characters
// of payload, so that a save can be made to last.
inline QString versionText(int version, int bulk)
{
    return QString(bulk, QChar(u'a' + version));
}

inline ParGenValues parGenVersion(int version, int bulk)
{
    ParGenValues values;
    values.IEC61850_Server_Port = QString::number(100 + version);
    values.TLS_Server_Key = versionText(version, bulk);
    return values;
}

inline QList<VariableRow> variablesVersion(int version, int bulk)
{
    QList<VariableRow> rows;
    for (int i = 0; i < VariableListCapacity; ++i) {
        VariableRow row;
        row.Name = QStringLiteral("V%1_%2").arg(version).arg(i);
        row.Mnemonic = versionText(version, bulk / VariableListCapacity);
        rows.append(row);
    }
    return rows;
}

inline QList<KnownCertRow> knownCertsVersion(int version, int bulk)
{
    QList<KnownCertRow> rows;
    for (int i = 0; i < KnownCertListCapacity; ++i)
        rows.append({ true, versionText(version, bulk / KnownCertListCapacity), QString::number(i) });
    return rows;
}

inline ProgramValues settingsVersion(const QString &folder, int version, int bulk)
{
    ProgramValues pv;
    pv.Dir_Program = QDir::toNativeSeparators(folder);
    pv.Conf_Name = versionText(version, bulk);
    pv.Opt_Enable_Internet = version == 1;
    return pv;
}

inline image::Images imagesVersion(int version, int bulk)
{
    return { QByteArray(image::ParamBlockSize, char('A' + version)),
        QByteArray(qMin<qsizetype>(bulk, image::Bank2MaxSize), char('a' + version)) };
}

// Saves version `version` of `doc` into `folder` with the program's own writer; throws its sw::Error.
inline void saveVersion(SavedDocument doc, const QString &folder, int version, int bulk)
{
    const ProjectDocuments docs = projectDocuments(folder);
    switch (doc) {
    case SavedDocument::ParGen:
        writeParGenFile(docs.parGen, parGenVersion(version, bulk));
        break;
    case SavedDocument::Variables:
        writeVariablesFile(docs.variables, variablesVersion(version, bulk));
        break;
    case SavedDocument::KnownCerts:
        writeKnownCertFile(docs.knownCerts, knownCertsVersion(version, bulk));
        break;
    case SavedDocument::Settings:
        Save_Setting(settingsVersion(folder, version, bulk));
        break;
    case SavedDocument::Images:
        image::Save_Bin(imageFolder(folder), imagesVersion(version, bulk));
        break;
    }
}

// The bytes that saveVersion writes into the file `relative` of `doc`.
inline QByteArray savedBytes(SavedDocument doc, const QString &relative, int version, int bulk)
{
    switch (doc) {
    case SavedDocument::ParGen:
        return parGenDocument(parGenVersion(version, bulk));
    case SavedDocument::Variables:
        return variablesDocument(variablesVersion(version, bulk));
    case SavedDocument::KnownCerts:
        return knownCertDocument(knownCertsVersion(version, bulk));
    case SavedDocument::Settings:
        return settingsDocument(settingsVersion(QString(), version, bulk));
    case SavedDocument::Images: {
        const image::Images images = imagesVersion(version, bulk);
        return relative.endsWith(QLatin1String(Bank1FileName)) ? images.bank1 : images.bank2;
    }
    }
    return {};
}

} // namespace sw::test
