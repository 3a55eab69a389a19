#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

namespace sw::test {

// Writes `bytes` to `path`, creating the folders on the way. When it cannot, it warns with the path
// and the reason and answers false: call it as QVERIFY(writeFile(...)) so that the test stops there.
[[nodiscard]] inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QString reason;
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        reason = QStringLiteral("its folder cannot be created");
    else if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        reason = file.errorString();
    else
        return true;
    qWarning("cannot write %s: %s", qUtf8Printable(QDir::toNativeSeparators(path)), qUtf8Printable(reason));
    return false;
}

// The bytes of `path`; "<unreadable>" when it cannot be read, so that a failed comparison says so.
inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArrayLiteral("<unreadable>");
}

// The little-endian 32-bit number at `at`, as the configuration images store their numbers.
inline quint32 read32(const QByteArray &bytes, qsizetype at)
{
    return quint32(quint8(bytes[at])) | quint32(quint8(bytes[at + 1])) << 8 | quint32(quint8(bytes[at + 2])) << 16
        | quint32(quint8(bytes[at + 3])) << 24;
}

} // namespace sw::test
