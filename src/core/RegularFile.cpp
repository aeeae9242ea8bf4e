#include "core/RegularFile.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int OpenRegularFile(const QByteArray& nativePath, qint64* size) {
    const int fd = ::open(nativePath.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return -1;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = ENOENT;
        return -1;
    }
    if (size)
        *size = qint64(st.st_size);
    return fd;
}

std::optional<QByteArray> ReadOpenFile(int fd, qint64 size, qint64 limit) {
    if (size > limit)
        return std::nullopt;
    // One byte to spare: the read that meets the end needs no larger buffer, and a file that
    // has grown past the limit since it was measured shows as one byte too many.
    QByteArray bytes(qsizetype(qMax<qint64>(size, 0)) + 1, Qt::Uninitialized);
    qsizetype done = 0;
    for (;;) {
        if (done == bytes.size()) {
            if (done > limit)
                return std::nullopt;
            bytes.resize(qsizetype(qMin(limit + 1, qint64(done) + qMax<qint64>(4096, done / 2))));
        }
        const ssize_t n = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt; // EAGAIN among others: the file waits for data
        if (n == 0)
            break;
        done += n;
    }
    if (done > limit)
        return std::nullopt;
    bytes.truncate(done);
    return bytes;
}

std::optional<QByteArray> ReadRegularFile(const QString& path, qint64 limit) {
    qint64 size = 0;
    const int fd = OpenRegularFile(QFile::encodeName(path), &size);
    if (fd < 0)
        return std::nullopt;
    std::optional<QByteArray> bytes = ReadOpenFile(fd, size, limit);
    ::close(fd);
    return bytes;
}
