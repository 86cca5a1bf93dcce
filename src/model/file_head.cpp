#include "file_head.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace orvane {

std::optional<FileHead> readFileHead(int dirFd, const char* name, qsizetype limit)
{
    struct stat before;
    if (::fstatat(dirFd, name, &before, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(before.st_mode))
        return std::nullopt;
    // Non-blocking, so a FIFO swapped in after the check cannot hang the open.
    const int fd = ::openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat opened;
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_dev != before.st_dev
        || opened.st_ino != before.st_ino) {
        ::close(fd);
        return std::nullopt;
    }
    FileHead head;
    head.bytes.resize(limit + 1); // one spare byte tells a file longer than the limit
    qsizetype filled = 0;
    bool failed = false;
    while (filled < head.bytes.size()) {
        const ssize_t n = ::read(fd, head.bytes.data() + filled, size_t(head.bytes.size() - filled));
        if (n < 0 && errno == EINTR)
            continue;
        failed = n < 0;
        if (n <= 0)
            break;
        filled += n;
    }
    ::close(fd);
    if (failed)
        return std::nullopt;
    head.whole = filled <= limit;
    head.bytes.truncate(qMin(filled, limit));
    return head;
}

std::optional<QByteArray> readSmallFile(int dirFd, const char* name, qsizetype maxSize)
{
    std::optional<FileHead> head = readFileHead(dirFd, name, maxSize);
    if (!head || !head->whole)
        return std::nullopt;
    return std::move(head->bytes);
}

} // namespace orvane
