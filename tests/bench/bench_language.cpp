// Prints how long reading a language file of one line per catalogue entry takes.
#include "TestFiles.h"

#include "core/Catalogue.h"
#include "core/LanguageFile.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

int main()
{
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
    return 0;
}
