#pragma once

#include "core/ProgramValues.h"

#include <QByteArray>

namespace sw {

// Reads the settings file beside the program into Conf_Name, Last_IP_Address, Language_Name and
// the four option flags. A missing file gives the defaults of every value; a file that is not
// well-formed or cannot be read (a folder, a pipe) gives them too, since the program must start
// either way. Each missing value falls back alone. Conf_Dir is not touched.
void readSettings(ProgramValues &values);

// The same, from the bytes of a settings document.
void readSettingsBytes(ProgramValues &values, const QByteArray &bytes);

// The settings document for the current values: root Conf_Settings with lastproj, lastipadd,
// lastlang and lastinternet in that order; no declaration, no indentation.
QByteArray settingsDocument(const ProgramValues &values);

// Rewrites the settings file beside the program atomically. Throws sw::Error naming the file.
void Save_Setting(const ProgramValues &values);

} // namespace sw
