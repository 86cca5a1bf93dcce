#pragma once

#include "model_types.h"

#include <sys/stat.h>

#include <functional>

namespace orvane {

struct WalkOptions {
    bool skipHidden = false;   // leave out entries whose name starts with "."
    bool pruneLibrary = false; // do not enter entries named exactly "Library"
};

// One entry met by the walk. `path` is valid only during the callback.
struct WalkEntry {
    const FilePath& path;
    const struct stat& st; // lstat semantics: links are never followed
};

// Depth-first walk below `root` (the root itself is not reported), fd-relative with
// openat/fdopendir/fstatat(AT_SYMLINK_NOFOLLOW). Unreadable folders are passed over.
// Returns false when `root` cannot be opened as a folder (a root that is a link is not opened).
bool walkTree(const FilePath& root, const WalkOptions& options, const std::function<void(const WalkEntry&)>& visit);

// The one size rule: sum of st_size of every non-directory entry below `root`
// (a non-folder root measures its own st_size). 0 when nothing can be read.
qint64 treeSize(const FilePath& root);

} // namespace orvane
