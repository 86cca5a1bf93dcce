#pragma once

#include "model_types.h"

namespace orvane {

// One location to remove, with what the scan saw of it.
struct RemovalTarget {
    FilePath path;
    qint64 scanSize = 0; // credited to the freed figure when this location goes
    // For duplicate copies: the copy must still look like this, and every kept copy of its
    // group must still exist and look as recorded, or the copy is left in place.
    std::optional<FileStamp> expected;
    QList<QPair<FilePath, FileStamp>> keptCopies;
    QString packageId;            // a Flatpak app: uninstalled by flatpak, never deleted here
    bool packageLeftover = false; // such an app's leftover: kept while the app stays installed
};

// The locations of the selected files in display order (each file's url, then its extras),
// every path once.
QList<RemovalTarget> removalTargets(const QList<CleanupCategory>& categories);

// Removes each target; result[i] is true when targets[i] is gone because of this call.
// Refuses the home folder itself, "/", Trash folders and anything outside the home folder
// and the two Applications folders; relative paths and paths with "." or ".." components;
// paths that pass through a symbolic link. Never follows a link and never enters another
// mounted file system (a folder holding a mount point is left, reported as not removed).
// A location listed again (however spelled) is not tried again: false. A duplicate copy goes
// only while it and every kept copy still look as the scan saw them.
QList<bool> removeItems(const QList<RemovalTarget>& targets, RemovalStyle style);
QList<bool> removeItems(const FilePaths& paths, RemovalStyle style);

// Sum of scanSize over the targets that went; a location inside another one that went is
// already counted in that one's scan size.
qint64 freedBytes(const QList<RemovalTarget>& targets, const QList<bool>& removed);

} // namespace orvane
