#pragma once

// What a file-system entry is, as every scan and every removal sees it: one identity (device and
// inode, with the mount it lies on), read with statx without ever following a link, and the
// descriptors that hold folders open.
//
//   entryAt(dirFd, name) / entryOf(fd)   the entry, lstat semantics, no automount
//   sameFile / sameMount                 identity checks before a folder is trusted or crossed
//   fileIdOf / stampOf                   the same identity from a struct stat (hard-link sets,
//                                        duplicate copies that must not have changed)
//   openFolder / openFolderAt            a folder opened without following a link in its last name
//   openParentFolder                     the folder of a path, reached without following any link
//   UniqueFd                             one owned descriptor

#include "model_types.h"

#include <QHashFunctions>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstddef>
#include <optional>
#include <utility>

namespace orvane::fs {

// A folder opened for reading, never through a link in its last component.
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

int openFolder(const FilePath& path);
int openFolderAt(int dirFd, const char* name);
// The folder holding the last of `parts` (the components of an absolute path), opened O_PATH one
// component at a time from "/" without following any link, so the path means exactly what it
// says. -1 (errno set) when that is not possible.
int openParentFolder(const QByteArrayList& parts);

// A file's identity on this machine: every hard link of it has the same one. `device` is st_dev.
struct FileId {
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const FileId&) const = default;
};
struct FileIdHash {
    size_t operator()(const FileId& k) const noexcept { return qHashMulti(0, k.device, k.inode); }
};

inline FileId fileIdOf(const struct stat& st)
{
    return {quint64(st.st_dev), quint64(st.st_ino)};
}

// What a duplicate copy must still look like when it is removed.
inline FileStamp stampOf(const struct stat& st)
{
    return FileStamp{qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec,
                     quint64(st.st_dev), quint64(st.st_ino)};
}

// One entry, as statx tells it.
struct Entry {
    FileId id;
    quint64 mount = 0;      // the kernel's mount id, when it says (hasMount)
    bool hasMount = false;
    mode_t mode = 0;
    uid_t owner = 0;
    qint64 size = 0;
    qint64 allocated = 0;   // the disk space it takes
    quint64 links = 1;

    bool isFolder() const { return S_ISDIR(mode); }
};

// The entry `name` of the open folder `dirFd` (a link is the link itself); none when it cannot
// be looked at (errno set).
std::optional<Entry> entryAt(int dirFd, const char* name);
// What an open descriptor refers to.
std::optional<Entry> entryOf(int fd);

inline bool sameFile(const Entry& a, const Entry& b)
{
    return a.id == b.id;
}

// Same mounted file system: same device, and the same mount where the kernel tells it (a bind
// mount of a folder of the same device is another mount).
inline bool sameMount(const Entry& a, const Entry& b)
{
    return a.id.device == b.id.device && (!(a.hasMount && b.hasMount) || a.mount == b.mount);
}

// One owned descriptor, closed when it goes.
class UniqueFd
{
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd)
        : m_fd(fd)
    {
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    UniqueFd(UniqueFd&& o) noexcept
        : m_fd(std::exchange(o.m_fd, -1))
    {
    }
    UniqueFd& operator=(UniqueFd&& o) noexcept
    {
        if (this != &o)
            reset(std::exchange(o.m_fd, -1));
        return *this;
    }
    ~UniqueFd() { reset(); }

    int get() const { return m_fd; }
    bool ok() const { return m_fd >= 0; }
    int release() { return std::exchange(m_fd, -1); }
    void reset(int fd = -1);

private:
    int m_fd = -1;
};

} // namespace orvane::fs
