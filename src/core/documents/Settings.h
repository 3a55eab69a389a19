#pragma once

#include <QByteArray>
#include <QString>

namespace sw {

// What the settings file keeps from one run to the next.
struct StoredSettings
{
    QString projectName; // lastproj/projectname
    QString ipAddress; // lastipadd/ipaddress
    QString language; // lastlang/language
    bool enableInternet = false; // the four flags under lastinternet
    bool enableUpdate = false;
    bool jumpFieldTables = false;
    bool doubleClickAutoSize = false;
};

// Reads a settings document: each value missing from it keeps its value in `defaults`, alone;
// a document that is not well-formed gives `defaults` whole. Only the first child of each name
// counts, and a flag is on only for the exact text "1".
StoredSettings readSettingsDocument(const QByteArray &bytes, const StoredSettings &defaults);

// The same from the file at `path`; a file that is missing or cannot be read (a folder, a pipe)
// gives `defaults` whole, since the program must start either way.
StoredSettings readSettingsFile(const QString &path, const StoredSettings &defaults);

// The settings document: root Conf_Settings with lastproj, lastipadd, lastlang and lastinternet
// in that order; no declaration, no indentation.
QByteArray writeSettingsDocument(const StoredSettings &settings);

// Rewrites the settings file at `path` atomically. Throws sw::Error naming the file.
void saveSettingsFile(const QString &path, const StoredSettings &settings);

} // namespace sw
