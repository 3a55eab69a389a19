#include "core/files/AtomicFile.h"

#include "core/Error.h"

#include <QDir>

namespace sw::files {

namespace {

SaveFault &saveFault()
{
    static SaveFault fault;
    return fault;
}

std::optional<QString> injectedFault(SaveStep step, const QString &path)
{
    return saveFault() ? saveFault()(step, path) : std::nullopt;
}

Error writeFailure(const QString &path, const QString &reason)
{
    return Error(QStringLiteral("Cannot write \"%1\": %2").arg(QDir::toNativeSeparators(path), reason));
}

} // namespace

void setSaveFault(SaveFault fault)
{
    saveFault() = std::move(fault);
}

AtomicFile::AtomicFile(const QString &path)
    : m_path(path)
    , m_file(path)
{
}

void AtomicFile::write(const QByteArray &bytes)
{
    if (!m_file.open(QIODevice::WriteOnly))
        throw writeFailure(m_path, m_file.errorString());
    if (const std::optional<QString> fault = injectedFault(SaveStep::Write, m_path)) {
        m_file.write(bytes.left(bytes.size() / 2));
        m_file.flush();
        throw writeFailure(m_path, *fault);
    }
    // The explicit flush matters: commit() does not notice a write that fails as the file is
    // closed (a full disk), and would then put an empty or cut file in place of the target.
    if (m_file.write(bytes) != bytes.size() || !m_file.flush())
        throw writeFailure(m_path, m_file.errorString());
}

void AtomicFile::commit()
{
    if (const std::optional<QString> fault = injectedFault(SaveStep::Replace, m_path))
        throw writeFailure(m_path, *fault);
    if (!m_file.commit())
        throw writeFailure(m_path, m_file.errorString());
}

void saveBytes(const QByteArray &bytes, const QString &path)
{
    AtomicFile file(path);
    file.write(bytes);
    file.commit();
}

void saveBuilt(const QString &path, const std::function<QByteArray()> &build)
{
    QByteArray bytes;
    try {
        bytes = build();
    } catch (const Error &e) {
        throw writeFailure(path, e.message());
    }
    saveBytes(bytes, path);
}

} // namespace sw::files
