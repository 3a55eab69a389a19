#include "core/files/AtomicFile.h"

#include "core/Error.h"

#include <QDir>
#include <QFileInfo>

namespace sw::files {

namespace {

SaveFault &saveFault()
{
    static SaveFault fault;
    return fault;
}

Error writeFailure(const QString &path, const QString &reason)
{
    return Error(QStringLiteral("Cannot write \"%1\": %2").arg(QDir::toNativeSeparators(path), reason));
}

} // namespace

void requireWritableTarget(const QString &path, Target target)
{
    const QFileInfo info(path);
    if (info.isSymLink()) {
        if (target == Target::Own)
            throw writeFailure(path, QStringLiteral("it is a link; only a regular file is replaced here"));
        const QFileInfo linked(info.symLinkTarget());
        if (!linked.exists())
            throw writeFailure(path, QStringLiteral("it is a link to nothing"));
        if (!linked.isFile())
            throw writeFailure(path, QStringLiteral("it is a link to something that is not a regular file"));
        return;
    }
    if (!info.exists() || info.isFile())
        return;
    if (info.isDir())
        throw writeFailure(path, QStringLiteral("it is a folder"));
    throw writeFailure(path, QStringLiteral("it is not a regular file (a device, pipe or socket)"));
}

void setSaveFault(SaveFault fault)
{
    saveFault() = std::move(fault);
}

std::optional<QString> injectedFault(SaveStep step, const QString &path)
{
    return saveFault() ? saveFault()(step, path) : std::nullopt;
}

AtomicFile::AtomicFile(const QString &path, Target target, const QString &shownPath)
    : m_path(path)
    , m_shownPath(shownPath.isEmpty() ? path : shownPath)
    , m_target(target)
    , m_file(path)
{
}

void AtomicFile::write(const QByteArray &bytes)
{
    requireWritableTarget(m_path, m_target);
    if (!m_file.open(QIODevice::WriteOnly))
        throw writeFailure(m_shownPath, m_file.errorString());
    if (const std::optional<QString> fault = injectedFault(SaveStep::Write, m_shownPath)) {
        m_file.write(bytes.left(bytes.size() / 2));
        m_file.flush();
        throw writeFailure(m_shownPath, *fault);
    }
    // The explicit flush matters: commit() does not notice a write that fails as the file is
    // closed (a full disk), and would then put an empty or cut file in place of the target.
    if (m_file.write(bytes) != bytes.size() || !m_file.flush())
        throw writeFailure(m_shownPath, m_file.errorString());
}

void AtomicFile::commit()
{
    // Looked at again just before the replace: the write may have taken a while.
    requireWritableTarget(m_path, m_target);
    if (const std::optional<QString> fault = injectedFault(SaveStep::Replace, m_shownPath))
        throw writeFailure(m_shownPath, *fault);
    if (!m_file.commit())
        throw writeFailure(m_shownPath, m_file.errorString());
}

void saveBytes(const QByteArray &bytes, const QString &path, Target target)
{
    AtomicFile file(path, target);
    file.write(bytes);
    file.commit();
}

void saveBuilt(const QString &path, const std::function<QByteArray()> &build, Target target)
{
    QByteArray bytes;
    try {
        bytes = build();
    } catch (const Error &e) {
        throw writeFailure(path, e.message());
    }
    saveBytes(bytes, path, target);
}

} // namespace sw::files
