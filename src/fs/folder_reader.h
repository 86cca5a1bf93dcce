#pragma once

// The one way a folder is listed: getdents64 on an open descriptor into a buffer the caller owns
// (no allocation per folder), "." and ".." left out. Walks and removal read with FolderReader;
// code that wants a folder's entries with their lstat calls readFolder.

#include "model_types.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <optional>
#include <vector>

namespace orvane::fs {

bool isDotOrDotDot(const char* name);

class FolderReader
{
public:
    static constexpr size_t kBufferSize = 64 * 1024;

    // `buffer` is resized to kBufferSize when smaller; `fd` stays the caller's.
    FolderReader(int fd, std::vector<char>& buffer);

    // The next entry (its d_name and d_type; d_type may be DT_UNKNOWN), or null at the end or on
    // a read error (then error() is its errno).
    const dirent64* next();
    int error() const { return m_error; }

private:
    int m_fd;
    std::vector<char>& m_buffer;
    ssize_t m_pos = 0;
    ssize_t m_end = 0;
    int m_error = 0;
};

struct FolderEntry {
    QByteArray name;
    struct stat st; // lstat: a link is the link itself
};

struct ReadOptions {
    bool skipHidden = false;  // leave out names starting with "."
    bool throughLink = false; // open the folder even when its own path ends in a link
};

// The entries of the folder at `path`, in listing order, each with its lstat; entries that
// vanish meanwhile are left out. None when it cannot be opened as a folder.
std::optional<std::vector<FolderEntry>> readFolder(const FilePath& path, ReadOptions options = {});

} // namespace orvane::fs
