#pragma once

// Helpers that build fixture trees for engine tests.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

namespace fixture {

// Writes `size` bytes (a repeating pattern seeded by `seed`) to `path`, creating parent folders.
inline bool writeFile(const QByteArray& path, qint64 size, char seed = 'a')
{
    QDir().mkpath(QFileInfo(QString::fromUtf8(path)).absolutePath());
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    QByteArray block(64 * 1024, seed);
    for (int i = 0; i < block.size(); ++i)
        block[i] = char(seed + (i % 7));
    qint64 left = size;
    while (left > 0) {
        const qint64 n = qMin<qint64>(left, block.size());
        if (::write(fd, block.constData(), size_t(n)) != n) {
            ::close(fd);
            return false;
        }
        left -= n;
    }
    ::close(fd);
    return true;
}

// A sparse file of `size` bytes: full logical size, almost no disk.
inline bool writeSparse(const QByteArray& path, qint64 size)
{
    QDir().mkpath(QFileInfo(QString::fromUtf8(path)).absolutePath());
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::ftruncate(fd, size) == 0;
    ::close(fd);
    return ok;
}

} // namespace fixture
