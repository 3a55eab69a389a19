#include "UpdaterTexts.h"

#include "core/ProgramValues.h"
#include "core/files/Paths.h"
#include "core/text/LanguageFile.h"

#include <QFileInfo>

namespace updater {

QStringList updaterTexts(const QString &startFolder, const QString &programFolder)
{
    // The configurator's own readers, bounded and lenient: a settings file or language file that
    // is missing, too large or not well-formed gives the defaults.
    sw::ProgramValues values;
    values.Dir_Program = startFolder;
    sw::readSettings(values);
    // A portable program folder holds its language files; a per-user workspace has none, and the
    // installation's are beside the updater that its link leads to.
    const QString folders[] = { sw::joinPath(startFolder, QStringLiteral("LANGUAGE")),
        sw::joinPath(programFolder, QStringLiteral("LANGUAGE")) };
    values.Dir_Language = folders[1];
    for (const QString &folder : folders) {
        if (sw::isLanguageName(values.Language_Name)
            && QFileInfo(sw::joinPath(folder, values.Language_Name + QStringLiteral(".lng"))).isFile()) {
            values.Dir_Language = folder;
            break;
        }
    }
    sw::Load_Lang(values);
    return values.Msg_Catalogue;
}

} // namespace updater
