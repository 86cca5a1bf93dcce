#pragma once

// What removal answers for one location: an outcome and a reason, never a sentence
// (removal_texts.h words them for the screens and the CLI).

#include "model_types.h"

namespace orvane {

enum class RemovalOutcome {
    removed,       // the location is gone from its place
    partlyRemoved, // a folder that stays, emptied of what could go
    notRemoved,    // nothing of it went
};

// Why something stayed.
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

// A stable name for the reason ("otherDisk", "noPermission", …), the same in every language.
QString removalReasonName(RemovalReason reason);

} // namespace orvane
