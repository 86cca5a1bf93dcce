#pragma once

// The user's keep-list: items never offered by any plan or the CLI. Stored with the settings
// (QSettings "Orvane"/"Orvane", key "keepList"), which are written atomically. A value that
// cannot be read counts as an empty list, with a warning; before a settings file that could not
// be read is written again, a copy of it is kept beside it, so nothing is lost silently.

#include "model_types.h"

namespace orvane {

// Copies a settings file whose keep-list cannot be read beside itself, then keeps only what
// could be read. Called at start-up before anything writes the settings: any write would store
// that value again as an invalid one.
void keepUnreadableKeepList();

// The kept paths, in the order they were added.
FilePaths keptPaths();
// Adds or takes back one absolute path: true when the list then holds it (keep) or no longer
// holds it (unkeep); false when the settings cannot be written or the path is not absolute.
bool keepPath(const FilePath& path);
bool unkeepPath(const FilePath& path);

// Whether `path` is a kept path, lies inside one or holds one (removing it would take a kept one).
bool touchesKept(const FilePath& path, const FilePaths& kept);

} // namespace orvane
