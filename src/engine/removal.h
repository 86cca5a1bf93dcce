#pragma once

#include "removal_result.h"

#include <memory>

namespace orvane {

// One location to remove, with what the scan saw of it.
struct RemovalTarget {
    FilePath path;
    qint64 scanSize = 0; // what the scan credited to this location (shown before the removal)
    // For duplicate copies: the copy must still look like this, and every kept copy of its
    // group must still exist and look as recorded, or the copy is left in place.
    std::optional<FileStamp> expected;
    QList<QPair<FilePath, FileStamp>> keptCopies;
    QString packageId;            // a Flatpak app: uninstalled by flatpak, never deleted here
    bool packageLeftover = false; // such an app's leftover: kept while the app stays installed
};

// The locations of the selected files in display order (each file's url, then its extras),
// every path once. A duplicate group whose every copy is selected keeps its first copy: that
// copy is no target, and the other copies carry it as their kept copy.
QList<RemovalTarget> removalTargets(const QList<CleanupCategory>& categories);

// The copies that stay although selected: the first copy of each such duplicate group.
FilePaths keptLastCopies(const QList<CleanupCategory>& categories);

// Removes each target and says, per target, what happened. Refuses the home folder itself, "/",
// Trash folders and anything outside the home folder and the two Applications folders (but for
// the files/ and info/ entries of the Trash of the user's volumes under /media/$USER and
// /run/media/$USER); relative paths and paths with "." or ".." components; paths that pass
// through a symbolic link. Never
// follows a link and never touches another mounted file system: a folder holding a mount point
// is emptied around it when deleting for good (partly removed) and not moved to the Trash at all.
// Items already inside a Trash are deleted for good whatever the style; a Trash's info file only
// once its entry is gone from files/ (else it stays: entryStays). A location listed again
// (however spelled), or inside one that went earlier in the list, is not tried again: it shares
// that outcome with no bytes of its own. A duplicate copy goes only while it and every kept copy
// still look as the scan saw them, and never without a kept copy (whatever the caller built). Time is linear in the size of each tree, whatever fails in it.
QList<RemovalResult> removeItems(const QList<RemovalTarget>& targets, RemovalStyle style);

// Bytes that really went: the sum of freedBytes.
qint64 freedBytes(const QList<RemovalResult>& results);
// The disk space that came back (what went for good), and the bytes moved to the Trash.
qint64 diskFreedBytes(const QList<RemovalResult>& results);
qint64 trashedBytes(const QList<RemovalResult>& results);

// Which locations removal deletes for good even when the style is the Trash: those already
// inside a Trash. Where the Trash folders are is read once, when the check is made, so one check
// serves many locations (and may be used on any thread).
namespace removal {
struct Rules;
}
class InsideTrash
{
public:
    InsideTrash();
    bool operator()(const FilePath& path) const;

private:
    std::shared_ptr<const removal::Rules> m_rules;
};

// Scan size of the targets that will be deleted for good with this style: all of them for
// permanent removal, those already inside a Trash and package apps (uninstalled) otherwise.
qint64 forGoodBytes(const QList<RemovalTarget>& targets, RemovalStyle style);

} // namespace orvane
