#pragma once

// What may be removed: the places removal refuses, which locations already lie in a Trash, and
// which Trash info file belongs to which entry. Pure rules on path components: nothing here
// touches the file system but for reading where home and the Trash are.

#include "model_types.h"

#include <optional>

namespace orvane::removal {

using Components = QList<QByteArray>;

// The components of an absolute path; none for a relative path, one with "." or "..", or one
// holding a NUL byte (no file has such a name; the system would read a shorter path).
// Repeated and trailing slashes carry no meaning and are dropped.
std::optional<Components> components(const FilePath& path);
FilePath joined(const Components& parts);

// ".Trash" (home or volume) and ".Trash-$uid" (volume) folder names, any uid.
bool isTrashFolderName(const QByteArray& name);

// Where the user's things are, read once per removal.
struct Rules {
    FilePath home;
    FilePath applications{"/Applications"};
    FilePath homeApplications;
    QList<Components> trashFolders; // the home Trash and its own folders
    QList<Components> userMedia;    // /media/$USER and /run/media/$USER: the user's own volumes
    QByteArray uid;
};
Rules currentRules();

// Whether removal may touch `parts` at all: strictly inside home or an Applications folder, or
// an entry of files/ or info/ of the Trash of one of the user's own volumes; never a Trash
// folder, home itself or ~/Applications.
bool allowed(const Components& parts, const Rules& rules);

// Something already in a Trash: moving it there again would free nothing.
bool insideTrash(const Components& parts, const Rules& rules);

// The entry whose record a Trash info file ".../info/ENTRY.trashinfo" is; none for anything else.
std::optional<QByteArray> trashEntryOf(const Components& parts, const Rules& rules);

} // namespace orvane::removal
