// A program for the test that kills saves halfway. `save_loop FOLDER BULK` saves every document and
// the image pair into FOLDER over and over, alternating versions 1 and 0 of SavedVersions.h, and
// prints "ready" before the first save. `save_loop FOLDER BULK --pause-before write|replace FILE`
// saves version 1 of everything once, but stops at that step of the file FILE (relative to FOLDER):
// with its temporary file open and still empty, or complete and about to replace the target;
// `--pause-before exchange bin` stops with the new image pair staged, before it takes the place of
// the bin folder. It prints "paused" there and waits. Either way it ends by itself within a minute.
#include "SavedVersions.h"

#include "core/Error.h"
#include "core/files/AtomicFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace sw;
using namespace sw::test;

namespace {

constexpr qint64 LifetimeMs = 60'000;

void say(const char *line)
{
    std::puts(line);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3 && !(argc == 6 && std::strcmp(argv[3], "--pause-before") == 0))
        return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const int bulk = std::atoi(argv[2]);
    try {
        if (argc == 6) {
            const files::SaveStep pauseStep = std::strcmp(argv[4], "write") == 0 ? files::SaveStep::Write
                : std::strcmp(argv[4], "exchange") == 0                          ? files::SaveStep::Exchange
                                                                                 : files::SaveStep::Replace;
            const QString pausePath = QDir::cleanPath(QDir(folder).filePath(QString::fromLocal8Bit(argv[5])));
            files::setSaveFault([=](files::SaveStep step, const QString &path) -> std::optional<QString> {
                if (step == pauseStep && QDir::cleanPath(QDir::fromNativeSeparators(path)) == pausePath) {
                    say("paused");
                    QThread::msleep(LifetimeMs);
                }
                return std::nullopt;
            });
            for (const SavedDocument doc : AllSavedDocuments)
                saveVersion(doc, folder, 1, bulk);
            return 0;
        }
        say("ready");
        QElapsedTimer alive;
        alive.start();
        for (int version = 1; alive.elapsed() < LifetimeMs; version = 1 - version) {
            for (const SavedDocument doc : AllSavedDocuments)
                saveVersion(doc, folder, version, bulk);
        }
    } catch (const Error &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}
