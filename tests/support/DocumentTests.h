#pragma once

#include "TestFiles.h"

#include "core/Error.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

// What the tests of the project documents share: each reads a document file in a fresh folder,
// refuses one that is not well-formed, and keeps the earlier file when a write fails.
namespace sw::test {

// What `read` gives for the file `fileName` holding `bytes`, or for no file when `exists` is false.
template <class Read> auto readDocument(Read read, const char *fileName, bool exists, const QByteArray &bytes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QLatin1String(fileName));
    if (exists && !writeFile(path, bytes))
        qFatal("cannot write %s", qPrintable(path));
    return read(path);
}

// Why `read` did not refuse the file `fileName` holding `bytes` as it should: with an error that
// names the file and, when `place` is not empty, holds that text (the line and column); empty when
// it did.
template <class Read>
QString refusal(Read read, const char *fileName, const QByteArray &bytes, const QString &place = QString())
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QLatin1String(fileName));
    if (!writeFile(path, bytes))
        return QStringLiteral("cannot write ") + path;
    try {
        (void)read(path);
    } catch (const Error &e) {
        if (!e.message().contains(QDir::toNativeSeparators(path)))
            return QStringLiteral("the file is not named: ") + e.message();
        if (!place.isEmpty() && !e.message().contains(place))
            return QStringLiteral("no \"%1\" in: %2").arg(place, e.message());
        return QString();
    } catch (...) {
        return QStringLiteral("an error other than sw::Error");
    }
    return QStringLiteral("no error raised");
}

// Why a failed write of the file `fileName` did not behave: `writeGood` writes a file, then
// `writeBad` must throw an error naming it and leave the file as it was. Empty when it did.
template <class WriteGood, class WriteBad>
QString keptOnFailedWrite(const char *fileName, WriteGood writeGood, WriteBad writeBad)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QLatin1String(fileName));
    writeGood(path);
    const QByteArray before = readFile(path);
    try {
        writeBad(path);
        return QStringLiteral("no error raised");
    } catch (const Error &e) {
        if (!e.message().contains(QDir::toNativeSeparators(path)))
            return QStringLiteral("the file is not named: ") + e.message();
    }
    return readFile(path) == before ? QString() : QStringLiteral("the earlier file changed");
}

} // namespace sw::test
