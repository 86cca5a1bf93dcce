#pragma once

#include "file_entry.h"

#include <QString>

#include <functional>
#include <optional>

namespace orvane {

// Why an item did not go to the Trash.
enum class TrashFailure { none, gone, noPermission, readOnlyDisk, noTrash, noSpace, changed, other };

// Moves the entry `name` of the open folder `parentFd` into the freedesktop.org Trash of its own
// file system, by `renameat` from that descriptor: whatever happens to the path meanwhile, the
// entry that moves is the one in that folder. The Trash is $XDG_DATA_HOME/Trash for items on its
// mount, else the volume's $topdir/.Trash/$uid (when $topdir/.Trash is a sticky folder, not a
// link) or $topdir/.Trash-$uid, made when missing. The info file is written first (O_EXCL, a free
// name picked on a collision), synced and closed; then the entry is renamed without replacing
// anything. Whatever fails, nothing half-done stays: the info file is removed again, and an entry
// that is not `expected` (when given) is put back. `originalPath` is the path the info file
// records; `beforeRename` runs once the info file is written (for tests).
TrashFailure moveToTrashAt(int parentFd, const QByteArray& name, const FilePath& originalPath,
                           std::optional<fs::FileId> expected = std::nullopt,
                           const std::function<void()>& beforeRename = {});

// The same for a path, whose folders are opened one by one without following a link. Returns
// false, with the reason in `error` / `failure` when given, if the item was not trashed.
bool moveToTrash(const FilePath& path, QString* error = nullptr, TrashFailure* failure = nullptr);

} // namespace orvane
