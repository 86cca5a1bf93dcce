#pragma once

#include "model_types.h"

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

enum class RemovalOutcome {
    removed,       // the location is gone from its place
    partlyRemoved, // a folder that stays, emptied of what could go
    notRemoved,    // nothing of it went
};

// Why something stayed; removalReasonText() words it for the user.
enum class RemovalReason {
    none,
    gone,              // no longer there when its turn came
    changed,           // not what the scan saw: replaced, moved, a link on the way
    keptCopyChanged,   // the copy that stays changed or is gone, so this copy stays too
    lastCopy,          // a duplicate copy with no other copy kept: it would be its group's last
    otherDisk,         // is, or holds, another mounted disk
    noPermission,
    immutable,         // the entry or its folder is locked (immutable or append-only flag)
    inUse,
    readOnlyDisk,
    protectedLocation, // the home folder, "/", a Trash folder, outside home and Applications
    noTrash,           // the Trash cannot take it
    failed,            // anything else
    appStillInstalled, // the leftover of an app whose uninstall failed
    diskFull,          // no room left for the Trash's info file
    entryStays,        // a Trash info file whose entry is still there
};

struct RemovalResult {
    RemovalOutcome outcome = RemovalOutcome::notRemoved;
    RemovalReason reason = RemovalReason::none; // the first thing that stayed, and why
    // Bytes that went because of this location. Deleted for good: the disk space that came back
    // (allocated blocks of every file and folder that went; a file with several links only with
    // its last link). Moved to the Trash: the logical size moved, as the lists show it (a file
    // with several links counts once all its links went to the Trash in this run).
    qint64 freedBytes = 0;
    // Of a partly removed folder: the bytes seen that stayed (another disk's are never counted).
    qint64 stayedBytes = 0;
    bool forGood = false; // deleted for good, not moved to the Trash

    bool gone() const { return outcome == RemovalOutcome::removed; }
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
QList<RemovalResult> removeItems(const FilePaths& paths, RemovalStyle style);

// Bytes that really went: the sum of freedBytes.
qint64 freedBytes(const QList<RemovalResult>& results);
// The disk space that came back (what went for good), and the bytes moved to the Trash.
qint64 diskFreedBytes(const QList<RemovalResult>& results);
qint64 trashedBytes(const QList<RemovalResult>& results);

// Which locations removal deletes for good even when the style is the Trash: those already
// inside a Trash. Where the Trash folders are is read once, when the check is made, so one check
// serves many locations (and may be used on any thread).
struct RemovalRules;
class InsideTrash
{
public:
    InsideTrash();
    bool operator()(const FilePath& path) const;

private:
    std::shared_ptr<const RemovalRules> m_rules;
};

// Scan size of the targets that will be deleted for good with this style: all of them for
// permanent removal, those already inside a Trash and package apps (uninstalled) otherwise.
qint64 forGoodBytes(const RemovalTarget& target, RemovalStyle style, const InsideTrash& inTrash);
qint64 forGoodBytes(const QList<RemovalTarget>& targets, RemovalStyle style);

// A stable name for the reason ("otherDisk", "noPermission", …), the same in every language.
QString removalReasonName(RemovalReason reason);

// The reason in the current language ("on another disk", "no permission", …).
QString removalReasonText(RemovalReason reason);

// What a removal did, in the current language: "You freed …", "You moved … to the Trash", or
// both when items already in a Trash went for good during a move to the Trash.
QString removalDoneText(RemovalStyle style, const QList<RemovalResult>& results);

// One line about a location that stayed wholly or in part, named `name`; empty for one that went.
QString removalStayedLine(const QString& name, const RemovalResult& result);

} // namespace orvane
