#include "file_entry.h"

#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>

namespace orvane::fs {

namespace {

std::optional<Entry> statxEntry(int dirFd, const char* name, int flags)
{
    struct statx stx;
    constexpr unsigned mask = STATX_TYPE | STATX_MODE | STATX_UID | STATX_INO | STATX_SIZE | STATX_BLOCKS | STATX_NLINK
                              | STATX_MNT_ID;
    if (::statx(dirFd, name, flags | AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, mask, &stx) != 0)
        return std::nullopt;
    Entry entry;
    entry.id = {quint64(makedev(stx.stx_dev_major, stx.stx_dev_minor)), quint64(stx.stx_ino)};
    entry.hasMount = (stx.stx_mask & STATX_MNT_ID) != 0;
    entry.mount = entry.hasMount ? stx.stx_mnt_id : 0;
    entry.mode = stx.stx_mode;
    entry.owner = stx.stx_uid;
    entry.size = qint64(stx.stx_size);
    entry.allocated = qint64(stx.stx_blocks) * 512;
    entry.links = stx.stx_nlink;
    return entry;
}

} // namespace

int openFolder(const FilePath& path)
{
    return ::open(path.constData(), kFolderFlags);
}

int openFolderAt(int dirFd, const char* name)
{
    return ::openat(dirFd, name, kFolderFlags);
}

int openParentFolder(const QByteArrayList& parts)
{
    int fd = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    for (qsizetype i = 0; fd >= 0 && i + 1 < parts.size(); ++i) {
        const int next = ::openat(fd, parts[i].constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int error = errno;
        ::close(fd);
        fd = next;
        errno = error;
    }
    return fd;
}

std::optional<Entry> entryAt(int dirFd, const char* name)
{
    return statxEntry(dirFd, name, 0);
}

std::optional<Entry> entryOf(int fd)
{
    return statxEntry(fd, "", AT_EMPTY_PATH);
}

void UniqueFd::reset(int fd)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}

} // namespace orvane::fs
