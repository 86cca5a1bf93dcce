#pragma once

#include "model_types.h"

#include <QHashFunctions>

#include <sys/stat.h>

#include <cstddef>

namespace orvane {

// A file's identity on this machine: every hard link of it has the same one.
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

} // namespace orvane
