// Prints how long reading a language file of one line per catalogue entry takes, and how long a
// full language switch takes: the load and every dialog's Set_Lang.
#include "ProgramFolder.h"
#include "TestFiles.h"

#include "core/ProgramValues.h"
#include "core/text/Catalogue.h"
#include "core/text/LanguageFile.h"
#include "ui/shell/Application.h"
#include "ui/shell/UTalventoFirmWare.h"

#include <QApplication>

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// A switch as the options dialog makes it: the language file of the chosen language is loaded and
// every dialog, the main window first, applies its texts again.
double languageSwitchMs(const QByteArray &lines)
{
    sw::test::ProgramFolder program;
    if (!QDir().mkpath(program.path(QStringLiteral("LANGUAGE")))
        || !program.write(QStringLiteral("LANGUAGE/Bench.lng"), lines))
        return -1;
    sw::ConfiguratorApplication configurator(program.pv, program.services, program.dir.path());
    constexpr int rounds = 50;
    QElapsedTimer timer;
    timer.start();
    for (int r = 0; r < rounds; ++r) {
        program.pv.Language_Name = QStringLiteral("Bench");
        sw::Load_Lang(program.pv);
        configurator.mainWindow()->Change_Language();
    }
    return double(timer.nsecsElapsed()) / rounds / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    // The dialogs need a platform; without a display they are built off screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Bench.lng"));
    QByteArray text = "\xEF\xBB\xBF; benchmark language\r\n";
    for (int i = 0; i < sw::Msg_Catalogue_Size; ++i)
        text += "STR" + QByteArray::number(i) + " = \xC2\xB6Translated text number " + QByteArray::number(i)
            + " \xC2\xB6 /#/ comment\r\n";
    if (!sw::test::writeFile(path, text))
        return 1;

    QStringList catalogue;
    sw::Default_Messages(catalogue);
    constexpr int rounds = 200;
    QElapsedTimer timer;
    timer.start();
    for (int r = 0; r < rounds; ++r)
        sw::Read_Lang_File(path, catalogue);
    const double perFile = double(timer.nsecsElapsed()) / rounds / 1e6;

    timer.restart();
    for (int r = 0; r < rounds; ++r)
        sw::Default_Messages(catalogue);
    const double perDefaults = double(timer.nsecsElapsed()) / rounds / 1e6;

    std::printf("Read_Lang_File, %d lines: %.3f ms per file (%d rounds)\n", sw::Msg_Catalogue_Size, perFile, rounds);
    std::printf("Default_Messages: %.3f ms per rebuild\n", perDefaults);
    // The benchmark's texts hold no placeholders, so texts made with arguments would warn on every round.
    QLoggingCategory::setFilterRules(QStringLiteral("default.warning=false"));
    std::printf("Language switch (Load_Lang + every dialog's Set_Lang): %.3f ms\n", languageSwitchMs(text));
    return 0;
}
