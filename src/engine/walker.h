#pragma once

// The one walker every scan uses. It works fd-relative (openat/getdents/fstatat with
// AT_SYMLINK_NOFOLLOW, folders opened with O_NOFOLLOW), so a symbolic link is never followed:
// it counts as its own length and its target is never entered. Folders that cannot be opened
// or read are passed over; FIFOs, sockets and devices are only ever lstat'ed, never opened.
//
// Sizes follow one rule: the sum of st_size of every non-directory entry met.
//
// Mount points below a walk's roots are known from the mount table before it starts and are
// never opened or stat'ed (a mount that stopped answering cannot hold the walk); listFolder
// reports one as a folder of another mount without looking at it. The bulk walks keep a bounded
// number of folders open per thread (ancestors are opened again through "..", and checked), so
// any depth is walked within a small descriptor limit.
//
// Enumeration order is pre-order in the file system's listing order: a folder's entries in
// the order readdir returns them, each sub-folder's contents right after the sub-folder.
// The bulk walks (folderSizes, collectFiles) use every core and still return exactly what a
// one-thread pre-order walk would. Folders are read with fs::FolderReader.

#include "model_types.h"
#include "scan_progress.h"

#include <sys/stat.h>

#include <optional>
#include <vector>

namespace orvane {

struct WalkOptions {
    bool skipHidden = false;   // leave out entries whose name starts with "." (not reported, not entered)
    bool pruneLibrary = false; // leave out entries named exactly "Library" (not reported, not entered)
    // The bulk walks count what they meet here and stop early once it is cancelled (their
    // result is then partial: the caller throws it away).
    ScanProgress* progress = nullptr;
};

// The one size rule for one location: a folder measures the st_size sum of everything below it,
// any other entry its own st_size (a link its own length). 0 when nothing can be read.
qint64 treeSize(const FilePath& root);

// Sizes of several folders in one walk using every core: result[i] is the st_size sum of every
// non-directory below roots[i] on the root's own mount (another file system mounted inside is
// not entered, as removal leaves it); 0 for a root that is not a folder or cannot be opened.
std::vector<qint64> folderSizes(const FilePaths& roots, ScanProgress* progress = nullptr);

// A regular file met by collectFiles.
struct FoundFile {
    FilePath path;
    struct stat st;
};

// Every regular file (S_ISREG) of at least `minSize` bytes below `root`, in pre-order, walked
// with every core. Empty when `root` cannot be opened as a folder.
std::vector<FoundFile> collectFiles(const FilePath& root, qint64 minSize, const WalkOptions& options);

// The immediate entries of a folder, in listing order, each with its lstat; entries that
// vanish before they can be lstat'ed are left out. None when the folder cannot be listed.
struct ListedEntry {
    QByteArray name;
    FilePath path;
    struct stat st;
    bool otherMount = false; // a mount point (or an entry of another file system) in this folder
};
std::optional<std::vector<ListedEntry>> listFolder(const FilePath& folder, bool skipHidden);

// listFolder with each entry's whole size: a sub-folder its folderSizes total (all sub-folders
// measured in one walk), anything else its own st_size; an entry of another mount, 0.
struct MeasuredEntry {
    ListedEntry entry;
    qint64 size = 0;
};
std::optional<std::vector<MeasuredEntry>> measureFolder(const FilePath& folder, bool skipHidden,
                                                        ScanProgress* progress = nullptr);

} // namespace orvane
