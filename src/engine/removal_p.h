#pragma once

// Internals of the removal, visible to its tests and benchmarks.

#include "removal.h"

#include <functional>

namespace orvane::removal {

// Work done by one removal.
struct Stats {
    qint64 folderReads = 0;   // complete listings of a folder (each folder is listed at most twice)
    qint64 foldersEntered = 0;
    int mostOpenFolders = 0;  // folder descriptors held at once by one tree walk
};

struct Options {
    Stats* stats = nullptr;
    // Called with the location after every check, once its Trash info file is written, right
    // before it is renamed into the Trash.
    std::function<void(const FilePath&)> beforeTrash;
    int maxOpenFolders = 32; // folder descriptors a tree walk may hold; deeper folders are reopened
};

QList<RemovalResult> removeItems(const QList<RemovalTarget>& targets, RemovalStyle style, const Options& options);

} // namespace orvane::removal
