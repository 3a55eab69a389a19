#pragma once

#include "core/text/Catalogue.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

// What the fuzz targets share. Each target defines LLVMFuzzerTestOneInput; libFuzzer calls it with
// generated inputs, the replay program with the files of the target's corpus folder.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace fuzz {

inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

// Stops at once when an invariant does not hold, so that the fuzzer keeps the input.
inline void require(bool holds)
{
    if (!holds)
        __builtin_trap();
}

// The default English catalogue, filled once.
inline const QStringList &catalogue()
{
    static const QStringList texts = [] {
        QStringList c;
        sw::Default_Messages(c);
        return c;
    }();
    return texts;
}

// A folder that lives as long as the process.
inline QString scratchDir()
{
    static const QTemporaryDir dir;
    return dir.path();
}

// Replaces the file `name` in the scratch folder with `contents` and returns its path.
inline QString writeFile(const QString &name, const QByteArray &contents)
{
    const QString path = QDir(scratchDir()).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(contents) != contents.size())
        __builtin_trap();
    return path;
}

} // namespace fuzz
