#pragma once

#include "FakeServices.h"
#include "TestFiles.h"

#include "core/ProgramValues.h"

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>

namespace sw::test {

// A program folder in a temporary directory, with its own program-wide values and every outside
// service faked. It starts empty: the start-up creates MASTER, PROJECTS and LANGUAGE as at a first
// run, around whatever the test has laid out before.
struct ProgramFolder : FakeServices
{
    QTemporaryDir dir;
    ProgramValues pv;

    // `relative` (with '/' separators) inside the program folder.
    QString path(const QString &relative) const { return dir.filePath(relative); }
    [[nodiscard]] bool write(const QString &relative, const QByteArray &bytes) const
    {
        return writeFile(path(relative), bytes);
    }
    QByteArray read(const QString &relative) const { return readFile(path(relative)); }

    // The folder of configuration `name` in PROJECTS.
    [[nodiscard]] bool createConfiguration(const QString &name) const
    {
        return QDir().mkpath(path(QStringLiteral("PROJECTS/") + name));
    }
    // Configuration `name` with its folder and a settings file that remembers it (and nothing else),
    // so that the start-up opens it.
    [[nodiscard]] bool rememberConfiguration(const QString &name) const
    {
        return createConfiguration(name)
            && write(QLatin1String(SettingsFileName),
                "<Conf_Settings><lastproj><projectname>" + name.toHtmlEscaped().toUtf8()
                    + "</projectname></lastproj></Conf_Settings>");
    }
};

} // namespace sw::test
