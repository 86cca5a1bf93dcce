#pragma once

#include "model_types.h"

#include <QString>

namespace orvane {

// Why an item did not go to the Trash.
enum class TrashFailure { none, gone, noPermission, readOnlyDisk, noTrash, other };

// Moves one item (a folder with everything in it) to the user's freedesktop.org Trash through
// GIO, which writes the info file first and picks a free name, so the item can be restored.
// Items on another volume go to that volume's .Trash-$uid. A link is moved as the link itself.
// Returns false, with the reason in `error` / `failure` when given, if the item was not trashed.
bool moveToTrash(const FilePath& path, QString* error = nullptr, TrashFailure* failure = nullptr);

} // namespace orvane
