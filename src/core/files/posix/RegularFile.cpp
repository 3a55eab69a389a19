#include "core/files/RegularFile.h"

#include "core/Error.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sw::files {

namespace {

class Descriptor
{
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    {
    }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// Reads into `buffer` from `offset` until it is full or the file ends; the bytes now held.
qsizetype readInto(int fd, QByteArray &buffer, qsizetype offset, const QString &path)
{
    while (offset < buffer.size()) {
        const ssize_t got = ::read(fd, buffer.data() + offset, size_t(buffer.size() - offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw readFailure(path, qt_error_string(errno));
        if (got == 0)
            break;
        offset += got;
    }
    return offset;
}

} // namespace

// Straight system calls: a project's documents are read on every compile and each call of the
// portable file classes costs several more.
QByteArray readFileBytes(const QString &path, qint64 maxBytes)
{
    const QByteArray name = QFile::encodeName(path);
    // Opening a device can act on it (a serial line, a tape) and opening a pipe waits for a
    // writer: only regular files are opened. The kind is checked again on the open file, and the
    // open never waits, in case the name was swapped in between.
    struct stat before;
    if (::stat(name.constData(), &before) == 0 && !S_ISREG(before.st_mode))
        throw readFailure(path, notRegularReason());
    int fd;
    do
        fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        throw readFailure(path, qt_error_string(errno));
    const Descriptor file(fd);
    struct stat info;
    if (::fstat(fd, &info) != 0)
        throw readFailure(path, qt_error_string(errno));
    if (!S_ISREG(info.st_mode))
        throw readFailure(path, notRegularReason());
    if (info.st_size > maxBytes)
        throw readFailure(path, tooLargeReason(maxBytes));
    // A buffer of the file's own size and one byte to notice growth; a file that grows while it
    // is read is read on up to one byte over the limit and refused.
    QByteArray bytes(qsizetype(info.st_size) + 1, Qt::Uninitialized);
    qsizetype held = readInto(fd, bytes, 0, path);
    if (held == bytes.size()) {
        bytes.resize(qsizetype(maxBytes) + 1);
        held = readInto(fd, bytes, held, path);
    }
    if (held > maxBytes)
        throw readFailure(path, tooLargeReason(maxBytes));
    bytes.truncate(held);
    return bytes;
}

} // namespace sw::files
