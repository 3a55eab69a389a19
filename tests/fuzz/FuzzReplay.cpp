// Runs a fuzz target once on the empty input and once on every file under the folders given on
// the command line, so that the seeds and every input that once found a fault are replayed by the
// normal test suite. A broken invariant stops the program like it stops the fuzzer.
#include "FuzzSupport.h"

#include <QDirIterator>
#include <QFile>
#include <QStringList>
#include <algorithm>
#include <cstdio>

int main(int argc, char *argv[])
{
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        QDirIterator it(QString::fromLocal8Bit(argv[i]), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            files.append(it.next());
    }
    std::sort(files.begin(), files.end());
    if (files.isEmpty()) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER...: no input files found\n", argv[0]);
        return 1;
    }

    const uint8_t none = 0;
    LLVMFuzzerTestOneInput(&none, 0);
    for (const QString &path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
            return 1;
        }
        const QByteArray input = file.readAll();
        // Named before it runs: a crash leaves the name as the last line.
        std::fprintf(stderr, "%s\n", qPrintable(path));
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(input.constData()), size_t(input.size()));
    }
    std::printf("%lld inputs replayed\n", static_cast<long long>(files.size()) + 1);
    return 0;
}
